// The main window's session steps: the first show (log-in, access to the
// program, the first company), the data modules, the company change and the
// currency view.

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QVariant>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genelog.h"
#include "gene/data/genemodu.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "rrhh/rrhhmenu.h"
#include "ui/controls.h"
#include "ui/menus.h"

namespace {

void Terminar(const QString& Aviso) {
    if (!Aviso.isEmpty()) MensajeAdvertencia(Aviso);
    SolicitarTerminacion();
}

const QString kDistribuidor = QStringLiteral(". Póngase en contacto con su distribuidor.");

}  // namespace

// ---------------------------------------------------------------- first show

void TfRRHHMENU::FormShow(QObject* Sender) {
    // Only the first show prepares the session.
    if (iniciado_) return;
    iniciado_ = true;
    PrepararFormulario(fGENEINIC, this);
    CrearModulosDatos();

    // After a request to end, no later step runs for a user who is not in.
    QString codigo = CodigoUsuarioActual;
    if (!IdentificarUsuario(ModuloDatos, codigo)) {
        Terminar(QStringLiteral("No ha sido posible iniciar la aplicación (3)") + kDistribuidor);
        return;
    }
    QString nivel;
    NivelAccesoPrograma(ModuloDatos, CodigoUsuarioActual, TituloPrograma, nivel);
    if (nivel != QLatin1String("Total") && nivel != QLatin1String("Solo Lectura")) {
        Terminar(QStringLiteral("No ha sido posible iniciar la aplicación (4)") + kDistribuidor);
        return;
    }

    // The companies' table, created when it cannot be opened.
    try {
        Empresa->Close();
        Empresa->setDatabaseName(fGENEINIC->DatabaseGeneral->DatabaseName());
        Empresa->Open();
    } catch (const std::exception&) {
        bool abierta = false;
        try {
            CrearTabla(fGENEINIC, Empresa);
            Empresa->Open();
            abierta = Empresa->Active();
        } catch (const std::exception&) {
            abierta = false;
        }
        if (!abierta) {
            Terminar(QStringLiteral("No ha sido posible crear la empresa."));
            return;
        }
    }

    CodigoEmpresaActual = 0;
    QString perfil;
    UsuarioPerfil(ModuloDatos, CodigoUsuarioActual, perfil);
    QVariant empresas;
    BuscarDatosClave(ModuloDatos, QStringLiteral("USUARIO"), perfil, empresas,
                     QStringLiteral("Empresas"));
    if (!empresas.isNull()) {
        QString lista = empresas.typeId() == QMetaType::QVariantList
                            ? empresas.toList().value(0).toString()
                            : empresas.toString();
        lista.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
        lista.replace(QLatin1Char('\n'), QLatin1Char('\r'));
        bool ok = false;
        const int primera = lista.section(QLatin1Char('\r'), 0, 0).trimmed().toInt(&ok);
        CodigoEmpresaActual = ok ? primera : 0;
        if (SeleccionarEmpresa() == TSeleccionEmpresa::Fallida) {
            MensajeError(QStringLiteral("¡Imposible iniciar la aplicación!. Motivo: ") +
                         ErrorEmpresa);
            return;
        }
    }
    if (CodigoEmpresaActual == 0) {
        Terminar(QStringLiteral("¡Ud. no tiene acceso a ninguna empresa!"));
        return;
    }

    if (!DesactivarDiagnostico) {
        QString diagnostico;
        LeerConfiguracionUsuario(ModuloDatos, CodigoUsuarioActual,
                                 QStringLiteral("DiagnosticoBaseDatosActivado"), diagnostico,
                                 QStringLiteral("NO"));
        if (diagnostico == QLatin1String("SI"))
            DiagnosticoArranque(fGENEINIC, QStringLiteral("MotorBaseDatos"));
    }
    IniciarMensajeria(fGENEINIC, QStringLiteral("Modo=Inicio"));
    RegistrarUso(ModuloDatos, this, QStringLiteral("Start,Show"));

    Q_UNUSED(Sender);
    CambioEmpresa1->setEnabled(true);
    ConsultasSQL1->setEnabled(true);
    IrAPaginaWeb->setCaption(URLAccesoMenuWebDistribuidor);
    IrAPaginaWeb->setEnabled(!IrAPaginaWeb->Caption().isEmpty());
    mostrado_ = true;
    // The log-in prompts may have left the keyboard elsewhere (a window
    // manager hands it back to the window the program was started from):
    // the user's next key is for the menus.
    raise();
    activateWindow();
    FormActivate(this);
}

// ---------------------------------------------------------------- data modules

void TfRRHHMENU::CrearModulosDatos() {
    // A module left over from the previous company goes first, so that the
    // new one becomes the session's module.
    delete ModuloDatos;
    new TModuloDatos(qApp);
    VerDatosenMonedaNacionalOEuro->setChecked(true);
    VerDatosenMonedaNacionalOEuroClick(VerDatosenMonedaNacionalOEuro);
    if (CodigoEmpresaActual == 0) return;
    if (GanchoCrearModulosNomina) GanchoCrearModulosNomina();
}

// ---------------------------------------------------------------- companies

namespace {

// The company's database opened on a connection of its own: a damaged,
// unreadable or lost one says so here, while the current company is still
// whole. One
// that does not exist yet is left to ConectarBaseDatosEmpresa, which creates
// it where it may.
void ComprobarBaseDatosEmpresa(int Codigo) {
    TDatabase prueba;
    prueba.Params() =
        ParametrosConexion(fGENEINIC, NombreBaseDatosEmpresa(fGENEINIC, Codigo), false);
    if (prueba.Params().engine == Engine::SqlServer) return;
    try {
        prueba.Open();
    } catch (const EDatabaseError& e) {
        RechazarEmpresaPerdida(fGENEINIC, Codigo, e);
        if (e.code() == DbError::DatabaseNotFound) return;
        throw;
    }
    prueba.TableNames();
}

}  // namespace

TfRRHHMENU::TSeleccionEmpresa TfRRHHMENU::SeleccionarEmpresa() {
    const int codigo = CodigoEmpresaActual;
    ErrorEmpresa.clear();
    // The company must exist and be the user's before anything is closed.
    bool encontrada = false;
    try {
        encontrada = ModuloDatos &&
                     UsuarioAccedeEmpresa(ModuloDatos, CodigoUsuarioActual, codigo) &&
                     Empresa->Active() && Empresa->FindKey({codigo});
    } catch (const std::exception&) {
        encontrada = false;
    }
    if (!encontrada) {
        CodigoEmpresaActual = 0;
        return TSeleccionEmpresa::SinAcceso;
    }
    const QString nombre = Empresa->FieldByName(QStringLiteral("Nombre"))->AsString();
    const QString logotipo = Empresa->FieldByName(QStringLiteral("Logotipo"))->AsString();
    const QString abreviatura = Empresa->FieldByName(QStringLiteral("Abreviatura"))->AsString();

    try {
        ComprobarBaseDatosEmpresa(codigo);
    } catch (const std::exception& e) {
        ErrorEmpresa = TextoErrorBaseDatos(e);
        CodigoEmpresaActual = empresaAbierta_;
        return TSeleccionEmpresa::Fallida;
    }
    if (!CerrarFormulariosEmpresa(fGENEINIC)) {
        CodigoEmpresaActual = empresaAbierta_;
        // The data modules may have gone with the windows.
        if (!ModuloDatos) RecuperarEmpresa();
        return TSeleccionEmpresa::Rechazada;
    }
    try {
        ConectarBaseDatosEmpresa(fGENEINIC, codigo);
        CrearModulosDatos();
    } catch (const std::exception& e) {
        ErrorEmpresa = TextoErrorBaseDatos(e);
        RecuperarEmpresa();
        return TSeleccionEmpresa::Fallida;
    }
    empresaAbierta_ = codigo;
    NombreEmpresaActual = nombre;
    if (!logotipo.isEmpty()) LogotipoEmpresaActual = logotipo;
    setCaption(abreviatura + QStringLiteral(": ") + TituloPrograma);
    if (VisualizarLogoEmpresaEnMenu) MostrarLogotipo();
    ConfigurarMenusConsultas(fGENEINIC, CodigoUsuarioActual, TituloPrograma, MainMenu1);
    return TSeleccionEmpresa::Abierta;
}

void TfRRHHMENU::ActualizarMenusConsultas() {
    if (empresaAbierta_ != 0)
        ConfigurarMenusConsultas(fGENEINIC, CodigoUsuarioActual, TituloPrograma, MainMenu1);
}

void TfRRHHMENU::RecuperarEmpresa() {
    CodigoEmpresaActual = empresaAbierta_;
    try {
        if (empresaAbierta_ != 0) ConectarBaseDatosEmpresa(fGENEINIC, empresaAbierta_);
        CrearModulosDatos();
    } catch (const std::exception& e) {
        // Nothing to work with any more: the program cannot go on.
        MensajeError(QStringLiteral("¡Imposible iniciar la aplicación!. Motivo: ") +
                     TextoErrorBaseDatos(e));
    }
}

void TfRRHHMENU::MostrarLogotipo() {
    PanelLogotipo->setVisible(true);
    QString ruta = NativePath(LogotipoEmpresaActual);
    if (QFileInfo(ruta).isRelative()) ruta = JoinPath(NativePath(DirectorioPrograma), ruta);
    // A missing or damaged picture leaves the panel empty.
    ImagenLogotipo->setPicture(QImage(ruta));
    PanelLogotipo->update();
}

void TfRRHHMENU::PedirEmpresa() {
    if (!GanchoBuscarConFiltroYValor) return;
    QVariant clave;
    GanchoBuscarConFiltroYValor(QStringLiteral("EMPRESA"), 0, QString(), clave, QString());
    if (clave.isNull() || !clave.isValid()) return;
    const QVariant primero =
        clave.typeId() == QMetaType::QVariantList ? clave.toList().value(0) : clave;
    bool ok = false;
    const int codigo = primero.toString().trimmed().toInt(&ok);
    if (ok) CodigoEmpresaActual = codigo;
}

void TfRRHHMENU::CambioEmpresa1Click(QObject*) {
    const int anterior = CodigoEmpresaActual;
    // A window that is listing or waiting keeps the company where it is.
    if (HayFormulariosOcupados(fGENEINIC)) return;
    PedirEmpresa();
    if (CodigoEmpresaActual == anterior) return;
    switch (SeleccionarEmpresa()) {
        case TSeleccionEmpresa::Abierta:
            PrimeraActivacion = true;
            FormActivate(this);
            return;
        case TSeleccionEmpresa::SinAcceso:
            MensajeAdvertencia(QStringLiteral("¡Ud. no tiene acceso a esta empresa!"));
            break;
        case TSeleccionEmpresa::Fallida:
            MensajeAdvertencia(QStringLiteral("¡No ha sido posible abrir la empresa!. Motivo: ") +
                               ErrorEmpresa);
            break;
        case TSeleccionEmpresa::Rechazada:
            break;
    }
    CodigoEmpresaActual = anterior;
}

// ---------------------------------------------------------------- currency view

void TfRRHHMENU::VerDatosenMonedaNacionalOEuroClick(QObject*) {
    TMenuItem* item = VerDatosenMonedaNacionalOEuro;
    if (CodigoEmpresaActual != 0) item->setChecked(!item->Checked());
    RefrescarFormulariosAbiertos(fGENEINIC);
    const bool marcado = item->Checked();
    const bool distinta = ModuloDatos && ModuloDatos->MonedaBaseDistintaNacional;
    // The panel tells in which currency the amounts show: in both states,
    // hidden in one it would leave the user guessing.
    PanelMoneda->setVisible(true);
    const bool pesetas = marcado == distinta;
    PanelMoneda->setCaption(pesetas ? QStringLiteral("Pts") : QStringLiteral("€"));
    QFont fuente = MakeFont(QStringLiteral("Tahoma"), pesetas ? 18 : 36);
    fuente.setBold(true);
    PanelMoneda->setFont(fuente);
    PanelMoneda->setFontColor(pesetas ? clWhite : clNavy);
    // White letters need a dark ground to be seen.
    PanelMoneda->setColor(pesetas ? clNavy : clBtnFace);
    const QList<TForm*> formas = ApplicationForms();
    for (qsizetype i = formas.size() - 1; i >= 0; --i) {
        TForm* forma = formas[i];
        if (forma == this || !ApplicationForms().contains(forma)) continue;
        LlamarMetodoPublicado(forma, QStringLiteral("VerDatosEnMonedaNacionalOEuroClick"), forma);
    }
}
