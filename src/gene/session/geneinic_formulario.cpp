// The common preparation of forms and the common dataset handlers.

#include "gene/session/geneinic_formulario.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QPointer>

#include "db/database.h"
#include "db/dberror.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genecopi_registros.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genemone.h"
#include "gene/data/genereloj.h"
#include "gene/data/generest.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneform.h"
#include "gene/session/geneform_p.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/genemaes.h"
#include "gene/session/generejilla.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace {

const QString kSQLServer = QStringLiteral("Microsoft SQL Server");

bool EsSQLServer() {
    return TipoBaseDatos == kSQLServer;
}

void TransaccionVacia(TfGENEINIC* f) {
    if (!EsSQLServer() || !f->Database || !f->Database->Connected() || f->Database->InTransaction())
        return;
    if (IniciarTransaccion(f)) ConfirmarTransaccion(f);
}

QList<TTable*> TablasDe(QObject* Formulario) {
    QList<TTable*> tablas;
    for (QObject* c : geneform::Componentes(Formulario))
        if (auto* t = qobject_cast<TTable*>(c)) tablas.append(t);
    return tablas;
}

// Mouse moves, clicks and keys on a prepared form stamp the user's activity.
// One filter on the application sees them wherever they land (a key goes to
// the focused control, not to its form), so that no handler of a form is
// displaced; the forms it counts carry this property.
const char* const kActividad = "rhActividadUsuario";

class ActividadFormulario : public QObject {
public:
    ActividadFormulario() : QObject(qApp) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type tipo = event->type();
        if (tipo != QEvent::MouseMove && tipo != QEvent::MouseButtonPress &&
            tipo != QEvent::KeyPress)
            return false;
        if (!watched->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(watched);
        while (w && !w->property(kActividad).toBool()) w = w->parentWidget();
        if (!w) return false;
        if (tipo == QEvent::KeyPress) {
            int key = 0;
            RegistrarActividadTeclado(fGENEINIC, watched, key, 0);
        } else {
            RegistrarActividadRaton(fGENEINIC, watched, 0, 0, 0);
        }
        return false;
    }
};

void InstalarActividad(TForm* forma) {
    static QPointer<ActividadFormulario> instalado;
    if (!instalado && qobject_cast<QApplication*>(QCoreApplication::instance())) {
        instalado = new ActividadFormulario;
        qApp->installEventFilter(instalado);
    }
    forma->setProperty(kActividad, true);
    forma->setMouseTracking(true);
}

// Administrator mode: the control under the mouse names itself in the main
// window's caption (the application hint handler of the system).
class HintEnTitulo : public QObject {
public:
    explicit HintEnTitulo(TfGENEINIC* f) : QObject(qApp), f_(f) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Enter && watched->isWidgetType()) {
            if (TControlBase* c = ControlOf(static_cast<QWidget*>(watched)))
                if (!c->Hint().isEmpty()) MostrarHintEnTitulo(f_, c->Hint());
        }
        return false;
    }

private:
    TfGENEINIC* f_;
};

void InstalarHintEnTitulo(TfGENEINIC* f) {
    static QPointer<HintEnTitulo> instalado;
    if (instalado || !qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    instalado = new HintEnTitulo(f);
    qApp->installEventFilter(instalado);
}

// The record's delete runs in the transaction that BorradoRegistro began for
// its attachments: committed after the delete, rolled back when it failed,
// both at once, from the dataset's own delete (never later from the event
// loop, where a dialog shown meanwhile would run it before the delete).
struct BorradoPendiente {
    QPointer<TDataSet> dataSet;
    TDataSetNotifyEvent afterDelete;
    TDataSetNotifyEvent onDeleteError;
    bool terminado = false;
};

void TerminarBorrado(TfGENEINIC* f, const std::shared_ptr<BorradoPendiente>& p, bool confirmar) {
    if (p->terminado) return;
    p->terminado = true;
    if (p->dataSet) {
        p->dataSet->AfterDelete = p->afterDelete;
        p->dataSet->OnDeleteError = p->onDeleteError;
    }
    if (!f || !f->Database || !f->Database->InTransaction()) return;
    // A commit that failed with the transaction still held rolls it back.
    if (!confirmar || !ConfirmarTransaccion(f)) CancelarTransaccion(f);
}

void TraducirTrasAbrir(TfGENEINIC* f, QObject* Formulario) {
    // Fields made when the tables opened get their display formats too.
    for (QObject* c : geneform::Componentes(Formulario))
        if (auto* ds = qobject_cast<TDataSet*>(c))
            for (TField* campo : ds->Fields()) AplicarFormatoCampo(f, campo);
    TraducirFormulario(f, Formulario, QString());
}

void FormatoImporte(const QString& NombreCampo, QString& Formato) {
    FormatoCampoImporte(fGENEINIC, NombreCampo, Formato);
}

struct InstaladorServicios {
    InstaladorServicios() { InstalarServiciosFormulario(); }
};
const InstaladorServicios instalador;

}  // namespace

void InstalarServiciosFormulario() {
    GanchoPrepararFormulario = PrepararFormulario;
    GanchoTraducirFormulario = TraducirTrasAbrir;
    GanchoFormatoCampoImporte = FormatoImporte;
    geneform::InstalarListaValoresControl();
    SetFirstShowHook([](TForm* Formulario) { AsignarGlifosBotones(fGENEINIC, Formulario); });
}

void PrepararFormulario(TfGENEINIC* f, QObject* Formulario) {
    if (!Formulario) return;
    TForm* forma = qobject_cast<TForm*>(Formulario);

    TransaccionVacia(f);
    if (EsSQLServer()) {
        TCursorEspera espera;
        for (TTable* t : TablasDe(Formulario)) {
            if (t->TableName().isEmpty() || t->Active()) continue;
            QString fisico;
            NombreTablaFisico(ModuloDatosPreparado ? ModuloDatos : nullptr, t->TableName(), fisico);
            t->setTableName(fisico);
        }
    }
    {
        TCursorEspera espera;
        for (QObject* c : geneform::Componentes(Formulario)) AplicarFormatoCampo(f, c);
    }
    if (ModoAdministradorActivado) {
        InstalarHintEnTitulo(f);
        IdentificarControlesEnHint(f, Formulario);
    }
    if (ModuloDatosPreparado && forma) {
        QString nivel;
        if (NivelAccesoPrograma(ModuloDatos, CodigoUsuarioActual, forma->Caption(), nivel) ==
            QLatin1String("Solo Lectura"))
            FormularioSoloLectura(f, Formulario);
    }
    for (TTable* t : TablasDe(Formulario)) {
        if (t->TableName().isEmpty()) continue;
        if (!t->AfterPost) t->AfterPost = [f](TDataSet* ds) { GrabacionRegistro(f, ds); };
        if (!t->BeforeDelete) t->BeforeDelete = [f](TDataSet* ds) { BorradoRegistro(f, ds); };
    }
    if (forma) {
        if (!forma->OnCloseQuery)
            forma->OnCloseQuery = [f](QObject* Sender, bool& CanClose) {
                ComprobarEdicionPendiente(f, Sender, CanClose);
            };
        InstalarActividad(forma);
    }
    for (QObject* c : geneform::Componentes(Formulario))
        if (auto* campo = qobject_cast<TField*>(c))
            if (campo->objectName() == QLatin1String("Cambio") ||
                campo->FieldName() == QLatin1String("Cambio"))
                campo->setAlignment(taLeftJustify);
    OcultarCamposNoVisibles(f, Formulario);
    ConfigurarBotonesMoneda(f, Formulario, QStringLiteral("Asignar"));
    if (ModuloDatosPreparado) {
        QString valor;
        LeerConfiguracionUsuario(ModuloDatos, CodigoUsuarioActual,
                                 QStringLiteral("DesactivarPuntoPorComaDecimal"), valor,
                                 QStringLiteral("NO"));
        DesactivarPuntoPorComaDecimal = valor == QLatin1String("SI");
    }
    if (QObject* previa = BuscarComponente(Formulario, QStringLiteral("VisualizacionPrevia")))
        AsignarPropiedad(previa, QStringLiteral("Checked"), VisualizacionPreviaActivada);
    if (BuscarComponente(Formulario, QStringLiteral("DocumentacionElectronica1"))) {
        if (auto* tabla =
                qobject_cast<TTable*>(BuscarComponente(Formulario, QStringLiteral("Table1")))) {
            // A handler the form set itself is kept even when it is not a
            // published method: replacing it would silently drop the form's
            // own work (a delete cascade, a check). The documents window then
            // follows the record after the form's own after-scroll.
            static const char* const kSincroniza = "rhSincronizaDocumentos";
            if (!TieneMetodoPublicado(Formulario, QStringLiteral("Table1AfterScroll")) &&
                !tabla->property(kSincroniza).toBool()) {
                tabla->setProperty(kSincroniza, true);
                auto propio = tabla->AfterScroll;
                tabla->AfterScroll = [f, propio](TDataSet* ds) {
                    if (propio) propio(ds);
                    SincronizarDocumentacionElectronica(f, ds);
                };
            }
            if (!TieneMetodoPublicado(Formulario, QStringLiteral("Table1BeforeDelete")) &&
                !tabla->BeforeDelete)
                tabla->BeforeDelete = [f](TDataSet* ds) { BorradoRegistro(f, ds); };
        }
    }
    for (QObject* c : geneform::Componentes(Formulario)) {
        // A double-click on a plain edit searches its bound table.
        auto* edit = qobject_cast<TEdit*>(c);
        if (edit && !edit->OnDblClick &&
            QLatin1String(c->metaObject()->className()) == QLatin1String("TEdit"))
            edit->OnDblClick = [f](QObject* Sender) { AsociarTablaBusqueda(f, Sender); };
    }
    if (!IdiomaActual.isEmpty()) PrepararElementosTraducidos(f, Formulario);
    AplicarAspecto(f, Formulario);
    FinalizarPreparacionFormulario(f, Formulario);
}

void RefrescarDatos(TfGENEINIC* f, QObject* Formulario, const QString& Modo) {
    if (!Formulario) return;
    TCursorEspera espera;
    TModuloDatos* modulo = ModuloDatosPreparado ? ModuloDatos : nullptr;
    // A master whose lines are being typed is left as it was read: read
    // again by its key, its record may be another one (deleted and entered
    // again by another user), and the lines would then go under it.
    auto* maestro = qobject_cast<TFormularioMaestro*>(Formulario);
    if (maestro && !maestro->LineasPendientes().isEmpty()) return;
    for (QObject* c : geneform::Componentes(Formulario)) {
        auto* ds = qobject_cast<TDataSet*>(c);
        if (!ds || ds->State() != dsBrowse) continue;
        RefrescarDataSet(modulo, ds, Modo);
    }
}

void RefrescarFormulariosAbiertos(TfGENEINIC* f) {
    const QList<TForm*> formas = ApplicationForms();
    for (int i = formas.size() - 1; i >= 0; --i) {
        QPointer<TForm> forma(formas.at(i));
        try {
            if (forma) RefrescarDatos(f, forma, QString());
        } catch (const std::exception&) {
            // A form that cannot re-read keeps what it shows; the others go on.
        }
    }
}

void GrabacionRegistro(TfGENEINIC* f, TDataSet* DataSet) {
    // The embedded engine writes through at commit: there is no cache to flush.
    UltimaActividad = QDateTime::currentDateTime();
    if (!DataSet) return;
    auto* tabla = qobject_cast<TTable*>(DataSet);
    QString nombre;
    if (tabla)
        nombre = tabla->TableName();
    else if (auto* q = qobject_cast<TQuery*>(DataSet))
        nombre = NombreTablaSQL(q->SQL().Text());
    QString sinPropietario;
    NombreTablaSinPropietario(ModuloDatosPreparado ? ModuloDatos : nullptr, nombre, sinPropietario);
    if (EsTablaGeneral(sinPropietario.toUpper())) return;

    if (ModuloDatosPreparado && ModuloDatos->ParamGenerales &&
        ModuloDatos->ParamGenerales->Active()) {
        TField* campo =
            ModuloDatos->ParamGenerales->FindField(QStringLiteral("SolicitarCamposUsuario"));
        if (campo && campo->AsString() == QLatin1String("SI") && GanchoVisorCamposUsuario)
            GanchoVisorCamposUsuario(f, DataSet);
    }
    if (!tabla || !ResponsabilidadDocumentalActivada) return;
    QString clave;
    ClaveRegistro(ModuloDatosPreparado ? ModuloDatos : nullptr, tabla, clave);
    const QString k = QString(clave).replace(QLatin1Char(';'), QLatin1Char('|'));
    const QString k2 = k.left(k.size() - 1);
    const QString sql = QStringLiteral("SELECT NombreTabla FROM RESPDOC   WHERE NombreTabla= ") +
                        Entrecomillar(sinPropietario) + QStringLiteral("    AND ((ClaveTabla = ") +
                        Entrecomillar(k) + QStringLiteral(") ") +
                        QStringLiteral("      OR (ClaveTabla = ") + Entrecomillar(k2) +
                        QStringLiteral(")) ");
    QString resultado;
    EjecutarSQL(ModuloDatosPreparado ? ModuloDatos : nullptr, sql, QStringLiteral("Database"),
                QString(), resultado);
    if (resultado.isEmpty()) ResponsabilidadDocumentalRegistro(f, tabla);
}

void BorradoRegistro(TfGENEINIC* f, TDataSet* DataSet) {
    UltimaActividad = QDateTime::currentDateTime();
    auto* tabla = qobject_cast<TTable*>(DataSet);
    if (!tabla || !f || !f->DatabaseGeneral) return;
    if (tabla->DatabaseName() == f->DatabaseGeneral->DatabaseName()) return;

    // Without a transaction of the caller's, one is begun here and ended
    // with the record's own delete.
    std::shared_ptr<BorradoPendiente> pendiente;
    if (f->Database && f->Database->Connected() && !f->Database->InTransaction()) {
        // Without one the attachments would go even if the record stayed.
        if (!IniciarTransaccion(f)) {
            MensajeAdvertencia(TextoTransaccionNoIniciada());
            Abort();
        }
        pendiente = std::make_shared<BorradoPendiente>();
        pendiente->dataSet = tabla;
        pendiente->afterDelete = tabla->AfterDelete;
        pendiente->onDeleteError = tabla->OnDeleteError;
    }
    bool correcto = false;
    try {
        correcto = EliminarRegistrosAsociados(ModuloDatosPreparado ? ModuloDatos : nullptr, tabla);
    } catch (...) {
        if (pendiente) TerminarBorrado(f, pendiente, false);
        throw;
    }
    if (!correcto) {
        if (pendiente) TerminarBorrado(f, pendiente, false);
        Abort();
    }
    if (!pendiente) return;
    tabla->AfterDelete = [f, pendiente](TDataSet* ds) {
        // Restoring the form's handler destroys this one: locals only from here.
        TfGENEINIC* sesion = f;
        const std::shared_ptr<BorradoPendiente> p = pendiente;
        TerminarBorrado(sesion, p, true);
        if (p->afterDelete) p->afterDelete(ds);
    };
    tabla->OnDeleteError = [f, pendiente](TDataSet* ds) {
        TfGENEINIC* sesion = f;
        const std::shared_ptr<BorradoPendiente> p = pendiente;
        TerminarBorrado(sesion, p, false);
        if (p->onDeleteError) p->onDeleteError(ds);
    };
}

bool HayFormulariosOcupados(TfGENEINIC*) {
    QStringList titulos, nombres;
    for (TForm* forma : ApplicationForms()) {
        if (!forma->Busy()) continue;
        nombres << forma->Name();
        // A report form has no caption: the window that runs it names the work.
        if (!forma->Caption().isEmpty() && !titulos.contains(forma->Caption()))
            titulos << forma->Caption();
    }
    if (nombres.isEmpty()) return false;
    MensajeAdvertencia(QStringLiteral("¡Hay un listado o proceso en curso en ") +
                       (titulos.isEmpty() ? nombres : titulos).join(QStringLiteral(", ")) +
                       QStringLiteral("! Finalícelo o cierre su previsualización antes de "
                                      "continuar."));
    return true;
}

void FormularioSoloLectura(TfGENEINIC* f, QObject* Formulario) {
    if (!ModuloDatosPreparado || !Formulario) return;
    TCursorEspera espera;
    for (TTable* t : TablasDe(Formulario)) {
        if (t->ReadOnly()) continue;
        // A table already open takes the setting closed, and opens again.
        const bool abierta = t->Active();
        if (abierta) t->Close();
        t->setReadOnly(true);
        if (abierta) t->Open();
    }
}
