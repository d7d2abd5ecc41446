// Documentary responsibility of a record.

#include "gene/dialogs/generesp.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "db/datasource.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/dialogs/genebusc.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/registry.h"

const QString TfGENERESP::kRealizado = QStringLiteral("RealizadoPor");
const QString TfGENERESP::kAprobado = QStringLiteral("AprobadoPor");

namespace {

// Where the dialog was last closed, for the rest of the run.
int izquierdaAnterior = 0;
int arribaAnterior = 0;

const QString kRegistrado = QStringLiteral("RegistradoPor");

QString campoFecha(const QString& Campo) {
    if (Campo == TfGENERESP::kRealizado) return QStringLiteral("FechaRealizacion");
    if (Campo == TfGENERESP::kAprobado) return QStringLiteral("FechaAprobacion");
    return QStringLiteral("FechaRegistro");
}

bool editando(TDataSet* d) {
    return d->State() == dsEdit || d->State() == dsInsert;
}

TDBEdit* edicion(QWidget* padre, const char* nombre, TDataSource* fuente, const char* campo) {
    auto* e = new TDBEdit(padre);
    e->setObjectName(QLatin1String(nombre));
    e->setDataSource(fuente);
    e->setDataField(QLatin1String(campo));
    e->setReadOnly(true);
    e->setColor(clBtnFace);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

TSpeedButton* boton(QWidget* padre, const QString& nombre, const char* texto, const char* hint) {
    auto* b = new TSpeedButton(padre, QLatin1String(texto));
    b->setObjectName(nombre);
    b->setHint(QString::fromUtf8(hint));
    b->setFlat(true);
    return b;
}

// A panel with its title, an employee's name and a date, and the buttons.
TPanel* panelRol(QWidget* padre, const char* nombre, const QString& titulo, TDBEdit*& Nombre,
                 TDBEdit*& Fecha, TDataSource* fuente, const char* campoNombre,
                 const char* campoFecha, TSpeedButton* asignar, TSpeedButton* desasignar,
                 const char* nombreEdit, const char* fechaEdit) {
    auto* panel = new TPanel(padre);
    panel->setObjectName(QLatin1String(nombre));
    auto* capa = new QGridLayout(panel);
    capa->addWidget(new TLabel(panel, titulo), 0, 0, 1, 4);
    Nombre = edicion(panel, nombreEdit, fuente, campoNombre);
    Fecha = edicion(panel, fechaEdit, fuente, campoFecha);
    int columna = 0;
    if (asignar) {
        asignar->setParent(panel);
        desasignar->setParent(panel);
        capa->addWidget(asignar, 1, columna++);
        capa->addWidget(desasignar, 1, columna++);
    }
    capa->addWidget(Nombre, 1, columna++);
    capa->addWidget(new TLabel(panel, QStringLiteral("Fecha")), 1, columna++);
    capa->addWidget(Fecha, 1, columna);
    capa->setColumnStretch(asignar ? 2 : 0, 1);
    return panel;
}

}  // namespace

bool OperarioAutorizado(const QString& Lista, int Codigo) {
    const QString codigo = QString::number(Codigo);
    for (const QString& item : Lista.split(QLatin1Char(','))) {
        const QString t = item.trimmed();
        if (t.isEmpty()) return false;
        if (t == codigo) return true;
    }
    return false;
}

QString FiltroOperariosAutorizados(const QString& Lista) {
    QStringList partes;
    for (const QString& item : Lista.split(QLatin1Char(','))) {
        const QString t = item.trimmed();
        if (t.isEmpty()) break;
        bool ok = false;
        const int codigo = t.toInt(&ok);
        // Only numbers reach the filter text.
        if (ok) partes << QStringLiteral("(Codigo=%1)").arg(codigo);
    }
    return partes.join(QStringLiteral(" OR "));
}

TfGENERESP::TfGENERESP(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENERESP"));
    setCaption(QStringLiteral("Responsabilidad Documental"));
    setKeyPreview(true);
    setBorderStyle(bsDialog);
    resize(420, 250);

    Table1 = new TTable(this);
    Table1->setObjectName(QStringLiteral("Table1"));
    Table1->setTableName(QStringLiteral("RESPDOC"));
    const std::pair<const char*, TFieldType> campos[] = {
        {"NombreTabla", ftString},     {"ClaveTabla", ftString},
        {"RealizadoPor", ftSmallint},  {"FechaRealizacion", ftDateTime},
        {"AprobadoPor", ftSmallint},   {"FechaAprobacion", ftDateTime},
        {"RegistradoPor", ftSmallint}, {"FechaRegistro", ftDateTime}};
    for (const auto& [nombre, tipo] : campos)
        Table1->AddField(QLatin1String(nombre), tipo,
                         QLatin1String(nombre) == QLatin1String("NombreTabla")  ? 30
                         : QLatin1String(nombre) == QLatin1String("ClaveTabla") ? 136
                                                                                : 0);
    for (const char* nombre : {"NombreRealizadoPor", "NombreAprobadoPor", "NombreRegistradoPor"})
        Table1->AddField(QLatin1String(nombre), ftString, 40, fkCalculated);
    Table1->OnCalcFields = [this](TDataSet* d) { Table1CalcFields(d); };
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Table1);
    Operario = new TTable(this);
    Operario->setObjectName(QStringLiteral("Operario"));
    Operario->setTableName(QStringLiteral("OPERARIO"));

    pbAsignarRealizadoPor =
        boton(this, QStringLiteral("pbAsignarRealizadoPor"), "+", "Asignar el Operario/Fecha");
    pbDesasignarRealizadoPor = boton(this, QStringLiteral("pbDesasignarRealizadoPor"), "-",
                                     "Desasignar el Operario/Fecha");
    pbAsignarAprobadoPor =
        boton(this, QStringLiteral("pbAsignarAprobadoPor"), "+", "Asignar el Operario/Fecha");
    pbDesasignarAprobadoPor =
        boton(this, QStringLiteral("pbDesasignarAprobadoPor"), "-", "Desasignar el Operario/Fecha");

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    PanelRegistradoPor =
        panelRol(this, "PanelRegistradoPor", QStringLiteral("Registrado Por (última modificación)"),
                 EditNombreRegistradoPor, EditFechaRegistro, DataSource1, "NombreRegistradoPor",
                 "FechaRegistro", nullptr, nullptr, "EditNombreRegistradoPor", "EditFechaRegistro");
    PanelRealizadoPor =
        panelRol(this, "PanelRealizadoPor", QStringLiteral("Realizado Por"), EditNombreRealizadoPor,
                 EditFechaRealizacion, DataSource1, "NombreRealizadoPor", "FechaRealizacion",
                 pbAsignarRealizadoPor, pbDesasignarRealizadoPor, "EditNombreRealizadoPor",
                 "EditFechaRealizacion");
    PanelAprobadoPor =
        panelRol(this, "PanelAprobadoPor", QStringLiteral("Aprobado Por"), EditNombreAprobadoPor,
                 EditFechaAprobacion, DataSource1, "NombreAprobadoPor", "FechaAprobacion",
                 pbAsignarAprobadoPor, pbDesasignarAprobadoPor, "EditNombreAprobadoPor",
                 "EditFechaAprobacion");
    raiz->addWidget(PanelRegistradoPor);
    raiz->addWidget(PanelRealizadoPor);
    raiz->addWidget(PanelAprobadoPor);

    PanelControl = new TPanel(this);
    PanelControl->setObjectName(QStringLiteral("PanelControl"));
    auto* capaControl = new QHBoxLayout(PanelControl);
    pbGrabar = new TButton(PanelControl, QStringLiteral("&Grabar"));
    pbGrabar->setObjectName(QStringLiteral("pbGrabar"));
    pbGrabar->setHint(QStringLiteral("Grabar los datos en el registro"));
    pbCancelar = new TButton(PanelControl, QStringLiteral("&Cancelar"));
    pbCancelar->setObjectName(QStringLiteral("pbCancelar"));
    pbCancelar->setHint(QStringLiteral("Abandonar sin grabar los datos en el registro"));
    pbCancelar->setCancel(true);
    capaControl->addStretch(1);
    capaControl->addWidget(pbGrabar);
    capaControl->addWidget(pbCancelar);
    capaControl->addStretch(1);
    raiz->addWidget(PanelControl);

    pbAsignarRealizadoPor->OnClick = [this](QObject* s) { pbAsignarRealizadoPorClick(s); };
    pbDesasignarRealizadoPor->OnClick = [this](QObject* s) { pbDesasignarRealizadoPorClick(s); };
    pbAsignarAprobadoPor->OnClick = [this](QObject* s) { pbAsignarAprobadoPorClick(s); };
    pbDesasignarAprobadoPor->OnClick = [this](QObject* s) { pbDesasignarAprobadoPorClick(s); };
    pbGrabar->OnClick = [this](QObject* s) { pbGrabarClick(s); };
    pbCancelar->OnClick = [this](QObject* s) { pbCancelarClick(s); };

    OnCreate = [this](QObject*) { FormCreate(); };
    OnShow = [this](QObject*) {
        if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
    };
    OnClose = [this](QObject*, TCloseAction&) {
        izquierdaAnterior = Left();
        arribaAnterior = Top();
    };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    OnKeyPress = [this](QObject*, QChar& Key) {
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, this, Key);
    };
}

TfGENERESP::~TfGENERESP() = default;

QString TfGENERESP::autorizados(const QString& Campo) const {
    return Campo == kRealizado ? AutorizadosRealizadoPor : AutorizadosAprobadoPor;
}

int TfGENERESP::OperarioUsuario() {
    if (!Operario->Active() || CodigoUsuarioActual.isEmpty()) return 0;
    const QVariant codigo = Operario->Lookup(QStringLiteral("CodigoUsuario"), CodigoUsuarioActual,
                                             QStringLiteral("Codigo"));
    return codigo.isValid() ? codigo.toInt() : 0;
}

bool TfGENERESP::localizarFila() {
    // Rows stored with a trailing "|" are found too.
    return Table1->FindKey({NombreTabla, ClaveTabla}) ||
           Table1->FindKey({NombreTabla, QString(ClaveTabla + QLatin1Char('|'))});
}

void TfGENERESP::nuevaFila() {
    Table1->Append();
    insertada_ = true;
}

void TfGENERESP::estamparRegistro() {
    if (localizarFila())
        Table1->Edit();
    else
        nuevaFila();
    Table1->FieldByName(QStringLiteral("NombreTabla"))->setAsString(NombreTabla);
    Table1->FieldByName(QStringLiteral("ClaveTabla"))->setAsString(ClaveTabla);
    if (Solicitado(kRegistrado)) {
        const int operario = OperarioUsuario();
        if (operario != 0)
            Table1->FieldByName(kRegistrado)->setAsInteger(operario);
        else
            Table1->FieldByName(kRegistrado)->Clear();
    }
    if (Solicitado(QStringLiteral("FechaRegistro")))
        Table1->FieldByName(QStringLiteral("FechaRegistro"))
            ->setAsDateTime(QDateTime::currentDateTime());
    Table1->Post();
}

void TfGENERESP::FormCreate() {
    if (izquierdaAnterior == 0 && arribaAnterior == 0) {
        setPosition(poScreenCenter);
    } else {
        setPosition(poDesigned);
        setLeft(izquierdaAnterior);
        setTop(arribaAnterior);
    }
    NombreTablaSinPropietario(ModuloDatos, TablaResponsabilidad, NombreTabla);
    ClaveTabla = ClaveResponsabilidad;
    TfGENEINIC* sesion = fGENEINIC ? fGENEINIC : CrearSesion();
    AbrirTablasFormulario(sesion, this);

    // The fields the table asks for, with the authorized employees per role.
    TQuery configuracion;
    configuracion.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    configuracion.SQL().Add(
        QStringLiteral("SELECT CamposSolicitados FROM CONFRESP WHERE NombreTabla = :NombreTabla"));
    configuracion.ParamByName(QStringLiteral("NombreTabla"))->setAsString(NombreTabla);
    if (AbrirConsulta(ModuloDatos, &configuracion, QStringLiteral("Open Silencio")) &&
        !configuracion.IsEmpty()) {
        const QString texto =
            configuracion.FieldByName(QStringLiteral("CamposSolicitados"))->AsString();
        for (const QString& linea : LineasTexto(texto)) {
            const QString campo = ExtraerToken(0, linea, QStringLiteral(":")).trimmed();
            if (campo.isEmpty()) continue;
            CamposSolicitados << campo;
            const QString lista = linea.section(QLatin1Char(':'), 1);
            if (campo == kRealizado) AutorizadosRealizadoPor = lista;
            if (campo == kAprobado) AutorizadosAprobadoPor = lista;
        }
    }

    for (TDBEdit* e : {EditFechaRealizacion, EditFechaAprobacion}) {
        if (!Solicitado(e->DataField())) continue;
        e->setReadOnly(false);
        e->setColor(clWindow);
        e->setFocusPolicy(Qt::StrongFocus);
    }
    PanelRegistradoPor->setEnabled(false);
    PanelRealizadoPor->setEnabled(false);
    PanelAprobadoPor->setEnabled(false);

    if (Solicitado(kRegistrado) || Solicitado(QStringLiteral("FechaRegistro"))) {
        // The stamp is silent: a row another user holds (or one that cannot
        // be written) keeps what it has, and the record saved before it
        // stays saved.
        try {
            estamparRegistro();
        } catch (const std::exception&) {
            if (editando(Table1)) Table1->Cancel();
            insertada_ = false;
        }
    }

    PanelRealizadoPor->setEnabled(Solicitado(kRealizado) ||
                                  Solicitado(QStringLiteral("FechaRealizacion")));
    PanelAprobadoPor->setEnabled(Solicitado(kAprobado) ||
                                 Solicitado(QStringLiteral("FechaAprobacion")));

    for (const QString& c : std::as_const(CamposSolicitados))
        if (c != kRegistrado && c != QLatin1String("FechaRegistro")) CamposEditables = true;
    if (!CamposEditables) return;

    if (!localizarFila()) nuevaFila();
    setCaption(Caption() + QStringLiteral(" (") + NombreTabla + QStringLiteral(": ") + ClaveTabla +
               QLatin1Char(')'));
    if (Table1->State() == dsBrowse) {
        try {
            Table1->Edit();
        } catch (const std::exception&) {
            // Another user holds the row: it is shown as it is.
        }
    }
    if (insertada_ && editando(Table1)) {
        const int operario = OperarioUsuario();
        for (const QString& rol : {kRealizado, kAprobado}) {
            TField* codigo = Table1->FieldByName(rol);
            if (Solicitado(rol) && codigo->AsInteger() == 0 && operario != 0 &&
                (autorizados(rol).trimmed().isEmpty() ||
                 OperarioAutorizado(autorizados(rol), operario)))
                codigo->setAsInteger(operario);
            TField* fecha = Table1->FieldByName(campoFecha(rol));
            if (Solicitado(campoFecha(rol)) && IsZeroDate(fecha->AsDateTime()))
                fecha->setAsDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
        }
    }
    setActiveControl(pbGrabar);
}

void TfGENERESP::Table1CalcFields(TDataSet* DataSet) {
    for (const QString& rol : {kRealizado, kAprobado, kRegistrado}) {
        TField* nombre = DataSet->FieldByName(QStringLiteral("Nombre") + rol);
        nombre->setAsString(QString());
        const int codigo = DataSet->FieldByName(rol)->AsInteger();
        if (codigo == 0 || !Operario->Active()) continue;
        const QVariant v =
            Operario->Lookup(QStringLiteral("Codigo"), codigo, QStringLiteral("Nombre"));
        if (v.isValid()) nombre->setAsString(v.toString());
    }
}

bool TfGENERESP::ValidarRegistro(const QString& Campo) {
    if (!editando(Table1) || QApplication::focusWidget() == pbCancelar) return true;
    const std::pair<QString, const char*> roles[] = {
        {kRealizado, "¡El Operario de Realizado Por no está autorizado!"},
        {kAprobado, "¡El Operario de Aprobado Por no está autorizado!"}};
    for (const auto& [rol, aviso] : roles) {
        if (!Campo.isEmpty() && Campo != rol) continue;
        const QString lista = autorizados(rol);
        const int codigo = Table1->FieldByName(rol)->AsInteger();
        if (!lista.trimmed().isEmpty() && codigo != 0 && !OperarioAutorizado(lista, codigo)) {
            MensajeAdvertencia(QString::fromUtf8(aviso));
            return false;
        }
    }
    if (Campo.isEmpty()) {
        for (const QString& rol : {kRealizado, kAprobado})
            if (Solicitado(rol) && Solicitado(campoFecha(rol)) &&
                Table1->FieldByName(rol)->AsInteger() == 0)
                Table1->FieldByName(campoFecha(rol))->Clear();
    }
    return true;
}

void TfGENERESP::AsignarOperario(const QString& Campo) {
    if (!editando(Table1)) return;
    const QString lista = autorizados(Campo);
    const int usuario = OperarioUsuario();
    TField* codigo = Table1->FieldByName(Campo);
    TField* fecha = Table1->FieldByName(campoFecha(Campo));
    const QDateTime hoy(QDate::currentDate(), QTime(0, 0));
    if (!lista.trimmed().isEmpty()) {
        if (usuario != 0 && !OperarioAutorizado(lista, usuario)) return;
        QVariant clave;
        BuscarConFiltro(QStringLiteral("OPERARIO"), 0, FiltroOperariosAutorizados(lista), clave);
        if (clave.isNull() || !clave.isValid()) return;
        const QVariant elegido =
            clave.typeId() == QMetaType::QVariantList ? clave.toList().value(0) : clave;
        codigo->setAsInteger(elegido.toString().trimmed().toInt());
        if (ValidarRegistro(Campo) && Solicitado(campoFecha(Campo))) fecha->setAsDateTime(hoy);
        return;
    }
    // Only the person assigned may stamp again.
    if (codigo->AsInteger() != 0 && codigo->AsInteger() != usuario) return;
    if (Solicitado(Campo) && usuario != 0) codigo->setAsInteger(usuario);
    if (Solicitado(campoFecha(Campo))) fecha->setAsDateTime(hoy);
}

void TfGENERESP::DesasignarOperario(const QString& Campo) {
    if (!editando(Table1)) return;
    TField* codigo = Table1->FieldByName(Campo);
    const int usuario = OperarioUsuario();
    if (autorizados(Campo).trimmed().isEmpty() && codigo->AsInteger() != 0 && usuario != 0 &&
        usuario != codigo->AsInteger())
        return;
    if (Solicitado(Campo)) codigo->Clear();
    if (Solicitado(campoFecha(Campo))) Table1->FieldByName(campoFecha(Campo))->Clear();
}

void TfGENERESP::pbGrabarClick(QObject*) {
    if (!ValidarRegistro(QString())) return;
    if (editando(Table1)) {
        try {
            Table1->FieldByName(QStringLiteral("NombreTabla"))->setAsString(NombreTabla);
            Table1->FieldByName(QStringLiteral("ClaveTabla"))->setAsString(ClaveTabla);
            for (const char* f : {"FechaRealizacion", "FechaAprobacion", "FechaRegistro"}) {
                TField* fecha = Table1->FieldByName(QLatin1String(f));
                if (fecha->IsNull()) fecha->setAsDateTime(ZeroDateTime());
            }
            Table1->Post();
        } catch (const std::exception&) {
            MensajeAdvertencia(QStringLiteral(
                "¡Imposible modificar el registro. Es posible que esté siendo modificado por "
                "otro usuario.!"));
            Table1->Cancel();
        }
    }
    setModalResult(mrOk);
    Close();
}

void TfGENERESP::pbCancelarClick(QObject*) {
    if (Table1->Active()) Table1->Cancel();
    setModalResult(mrCancel);
    Close();
}

void RegistrarTfGENERESP() {
    if (!FormClassRegistered(QStringLiteral("TfGENERESP")))
        RegisterFormClass<TfGENERESP>(QStringLiteral("TfGENERESP"));
}

namespace {
const bool registrado = [] {
    RegistrarTfGENERESP();
    return true;
}();
}  // namespace
