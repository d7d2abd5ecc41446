#include "gene/dialogs/genecopi.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <memory>

#include "db/batchmove.h"
#include "db/database.h"
#include "db/table.h"
#include "gene/data/genecopi_registros.h"
#include "gene/data/genemodu.h"
#include "gene/data/genetrad.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genebusq.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"

namespace {

using dialogos::Modulo;
using dialogos::Traducido;

// The hourglass while the copy runs, whatever ends it.
struct CursorEspera {
    CursorEspera() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CursorEspera() { QApplication::restoreOverrideCursor(); }
};

// The source keeps its record when the copy walks it.
struct PosicionOrigen {
    explicit PosicionOrigen(TTable* t) : tabla(t), marca(t->GetBookmark()) {}
    ~PosicionOrigen() {
        try {
            if (!marca.IsNull() && tabla->BookmarkValid(marca)) tabla->GotoBookmark(marca);
        } catch (const std::exception&) {
        }
    }
    TTable* tabla;
    TBookmark marca;
};

}  // namespace

bool CopiarRegistrosEmpresa(TTable* Origen, int CodigoEmpresa, TMetodoCopia Metodo) {
    TfGENEINIC* f = fGENEINIC;
    if (!f || !Origen) return false;
    TTable destino;
    destino.setObjectName(QStringLiteral("TablaDestino"));
    TDatabase* base = nullptr;
    try {
        AsignarBaseDatosEmpresa(f, &destino, CodigoEmpresa);
        destino.setTableName(Origen->TableName());
        // A company without a database is this company's failure, never a
        // reason to end the session.
        base = TSession::instance().FindDatabase(destino.DatabaseName());
        if (!base->Connected()) base->Open();
    } catch (const std::exception&) {
        return false;
    }
    if (!AbrirTabla(f, &destino)) return false;

    TGuardaTransaccion transaccion(f, base);
    if (!transaccion.Activa()) return false;
    PosicionOrigen posicion(Origen);
    try {
        if (Metodo == mcAgregar) {
            // Records whose key exists are skipped: that is the method, not a failure.
            if (!CopiarRegistros(Modulo(), Origen, &destino, QStringLiteral("Agregar")))
                return false;
        } else {
            TBatchMove movimiento;
            movimiento.setSource(Origen);
            movimiento.setDestination(&destino);
            movimiento.setMode(Metodo == mcSustituir ? batUpdate : batAppendUpdate);
            movimiento.Execute();
            if (movimiento.ProblemCount() > 0) return false;
        }
        return transaccion.Confirmar();
    } catch (const std::exception&) {
        return false;
    }
}

TfGENECOPI::TfGENECOPI(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENECOPI"));
    setPosition(poScreenCenter);
    setKeyPreview(true);
    resize(420, 400);

    auto* raiz = new QVBoxLayout(this);
    PanelEmpresaOrigen = new TPanel(this);
    PanelEmpresaOrigen->setObjectName(QStringLiteral("PanelEmpresaOrigen"));
    auto* origen = new QHBoxLayout(PanelEmpresaOrigen);
    auto* lOrigen = new TLabel(PanelEmpresaOrigen, QStringLiteral("Empresa Origen:"));
    lOrigen->setObjectName(QStringLiteral("Label1"));
    EditEmpresaOrigen = new TEdit(PanelEmpresaOrigen);
    EditEmpresaOrigen->setObjectName(QStringLiteral("EditEmpresaOrigen"));
    EditEmpresaOrigen->setReadOnly(true);
    origen->addWidget(lOrigen);
    origen->addWidget(EditEmpresaOrigen, 1);
    raiz->addWidget(PanelEmpresaOrigen);

    LabelLista = new TLabel(this, QStringLiteral(" Copiar Datos a las Empresas..."));
    LabelLista->setObjectName(QStringLiteral("LabelLista"));
    raiz->addWidget(LabelLista);
    ListaEmpresas = new TListBox(this);
    ListaEmpresas->setObjectName(QStringLiteral("ListaEmpresas"));
    ListaEmpresas->setMultiSelect(true);
    raiz->addWidget(ListaEmpresas, 1);

    PanelMetodo = new TPanel(this);
    PanelMetodo->setObjectName(QStringLiteral("PanelMetodo"));
    auto* metodo = new QHBoxLayout(PanelMetodo);
    auto* lMetodo = new TLabel(PanelMetodo, QStringLiteral("Método"));
    lMetodo->setObjectName(QStringLiteral("Label2"));
    AgregarYSustituir = new TRadioButton(PanelMetodo, QStringLiteral("Agregar y Sustituir"));
    AgregarYSustituir->setObjectName(QStringLiteral("AgregarYSustituir"));
    AgregarYSustituir->setChecked(true);
    Agregar = new TRadioButton(PanelMetodo, QStringLiteral("Agregar"));
    Agregar->setObjectName(QStringLiteral("Agregar"));
    Sustituir = new TRadioButton(PanelMetodo, QStringLiteral("Sustituir"));
    Sustituir->setObjectName(QStringLiteral("Sustituir"));
    metodo->addWidget(lMetodo);
    metodo->addWidget(AgregarYSustituir);
    metodo->addWidget(Agregar);
    metodo->addWidget(Sustituir);
    raiz->addWidget(PanelMetodo);

    auto* botones = new QHBoxLayout;
    pbConforme = dialogos::Boton(this, QStringLiteral("pbConforme"), QStringLiteral("&Conforme"),
                                 mrOk, QStringLiteral("Iniciar el proceso"));
    pbCancelar =
        dialogos::Boton(this, QStringLiteral("pbCancelar"), QStringLiteral("&Cancelar"), mrCancel);
    botones->addStretch(1);
    botones->addWidget(pbConforme);
    botones->addWidget(pbCancelar);
    raiz->addLayout(botones);

    OnCreate = [this](QObject*) { RestaurarGeometriaDialogo(this); };
    OnShow = [this](QObject*) {
        if (!fGENEINIC) return;
        AplicarAspecto(fGENEINIC, this);
        TraducirFormulario(fGENEINIC, this, QString());
    };
    OnClose = [this](QObject*, TCloseAction&) { GuardarGeometriaDialogo(this); };
    OnKeyDown = [](QObject*, int& Key, TShiftState) {
        if (Key == VK_RETURN) Key = VK_TAB;
    };
    OnKeyPress = [this](QObject*, QChar& Key) {
        if (Key == QLatin1Char('\r')) {
            Key = QChar();
            focusNextChild();
        }
    };
}

TfGENECOPI::~TfGENECOPI() = default;

bool TfGENECOPI::Preparar() {
    LabelLista->setCaption(QLatin1Char(' ') +
                           Traducido(QStringLiteral("Copiar Datos a las Empresas...")));
    PanelEmpresaOrigen->setVisible(true);
    PanelMetodo->setVisible(true);
    Empresas.clear();
    QString origen;
    TTable empresa;
    empresa.setObjectName(QStringLiteral("Empresa"));
    empresa.setTableName(QStringLiteral("EMPRESA"));
    if (!fGENEINIC || !AbrirTabla(fGENEINIC, &empresa)) return false;
    for (empresa.First(); !empresa.Eof(); empresa.Next()) {
        const int codigo = empresa.FieldByName(QStringLiteral("Codigo"))->AsInteger();
        const QString nombre = empresa.FieldByName(QStringLiteral("Nombre"))->AsString();
        // Only into the companies the user may open.
        if (codigo == CodigoEmpresaActual)
            origen = nombre;
        else if (UsuarioAccedeEmpresa(Modulo(), CodigoUsuarioActual, codigo))
            Empresas << Empresa{codigo, nombre};
    }
    EditEmpresaOrigen->setText(origen);
    QStringList elementos{QStringLiteral("Todas")};
    for (const Empresa& e : std::as_const(Empresas)) elementos << e.Nombre;
    ListaEmpresas->setItems(elementos);
    setCaption(Traducido(QStringLiteral("Copiar datos desde la empresa")) + QLatin1Char(' ') +
               origen);
    ListaEmpresas->SetFocus();
    return true;
}

TMetodoCopia TfGENECOPI::Metodo() const {
    if (Agregar->isChecked()) return mcAgregar;
    if (Sustituir->isChecked()) return mcSustituir;
    return mcAgregarYSustituir;
}

QList<int> TfGENECOPI::EmpresasElegidas() const {
    const bool todas = ListaEmpresas->count() > 0 && ListaEmpresas->Selected(0);
    QStringList nombres;
    for (int i = 1; i < ListaEmpresas->count(); ++i)
        if (ListaEmpresas->Selected(i)) nombres << ListaEmpresas->item(i)->text();
    QList<int> codigos;
    for (const Empresa& e : Empresas)
        if (todas || nombres.contains(e.Nombre)) codigos << e.Codigo;
    return codigos;
}

void CopiarRegistrosAEmpresas(TTable* DataSet) {
    if (!DataSet) return;
    if (MensajeConfirmacion(QStringLiteral(
            "¡Esta opción copiará todos los registros activos de la tabla!. Puede utilizar "
            "previamente opciones de filtrado para limitar los registros a copiar. ¿Desea "
            "continuar?")) != QLatin1String("SI"))
        return;
    if (MensajeConfirmacion(QStringLiteral(
            "¿Está Vd. realmente seguro de querer copiar todos los registros activos de la "
            "tabla?")) != QLatin1String("SI"))
        return;
    std::unique_ptr<TfGENECOPI> dialogo(NewForm<TfGENECOPI>());
    if (!dialogo->Preparar()) return;
    if (dialogo->ShowModal() != mrOk) return;
    const TMetodoCopia metodo = dialogo->Metodo();
    const QList<int> empresas = dialogo->EmpresasElegidas();
    CursorEspera espera;
    for (int codigo : empresas) {
        if (CopiarRegistrosEmpresa(DataSet, codigo, metodo)) continue;
        MensajeAdvertencia(
            Traducido(QStringLiteral("No se han podido copiar los registros a la empresa $Empresa"),
                      QStringLiteral("Empresa=") + QString::number(codigo)));
    }
}
