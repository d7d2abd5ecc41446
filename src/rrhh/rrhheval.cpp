#include "rrhh/rrhheval.h"

#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

#include "db/database.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/dialect.h"
#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/data/genecopi_registros.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genebusc.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/generejilla.h"
#include "gene/session/sesion.h"
#include "rrhh/rrhhpers_p.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

TfRRHHEVAL* fRRHHEVAL = nullptr;

namespace {

const char* const kPuesto = "Puesto";
const char* const kFormacion = "Formacion";
const char* const kBaseDatos = "Database";

bool EnEdicion(const TDataSet* d) {
    return d->State() == dsEdit || d->State() == dsInsert || d->State() == dsSetKey;
}

// The answer of a statement on the company database ("Error. ..." on failure,
// shown to the user by EjecutarSQL).
QString Consulta(const QString& sql) {
    QString r;
    EjecutarSQL(ModuloDatos, sql, QLatin1String(kBaseDatos), QString(), r);
    return r;
}

bool EsError(const QString& respuesta) {
    return respuesta.startsWith(QLatin1String("Error."));
}

// The level combo asks for its items each time it drops down.
class TComboNiveles : public TDBComboBox {
public:
    using TDBComboBox::TDBComboBox;
    std::function<void()> AlDesplegar;
    void showPopup() override {
        if (AlDesplegar) AlDesplegar();
        TDBComboBox::showPopup();
    }
};

TDBEdit* NuevoEdit(QWidget* padre, const char* nombre, const char* campo, TDataSource* fuente) {
    auto* e = new TDBEdit(padre);
    e->setObjectName(QLatin1String(nombre));
    e->setDataSource(fuente);
    e->setDataField(QLatin1String(campo));
    return e;
}

TBitBtn* BotonHerramienta(QWidget* padre, const char* nombre, const char* hint,
                          QStyle::StandardPixmap i) {
    auto* b = new TBitBtn(padre);
    b->setObjectName(QLatin1String(nombre));
    b->setHint(QString::fromUtf8(hint));
    b->setGlyph(padre->style()->standardIcon(i));
    b->setWidth(31);
    b->setHeight(25);
    return b;
}

}  // namespace

TfRRHHEVAL::TfRRHHEVAL(QWidget* owner)
    : TMaestroFicha(owner, QStringLiteral("fRRHHEVAL"), QStringLiteral("Evaluación de Personal"),
                    QStringLiteral("EVLCION")) {
    ModoRefresco = QStringLiteral("Apertura/Cierre");
    TextoErrorModificacion = QStringLiteral(
        "¡Imposible modificar el registro!. Es posible que esté siendo modificado por otro "
        "usuario.");
    // A failed new evaluation is cancelled and the next one started.
    MantenerAltaFallida = false;

    Table2 = new TTable(this);
    Table2->setObjectName(QStringLiteral("Table2"));
    Table2->setTableName(QStringLiteral("LEVLCION"));
    DataSource2 = new TDataSource(this);
    DataSource2->setObjectName(QStringLiteral("DataSource2"));
    DataSource2->setDataSet(Table2);

    ConstruirControles();
    CampoClave = EditFechaEvaluacion;
    ControlesClave = {EditCodigoOperario, EditTipo, EditCodigo, EditFechaEvaluacion};
    resize(969, 609);

    EditCodigoOperario->OnExit = [this](QObject* s) { CampoClaveP1Exit(s); };
    for (QWidget* w : std::initializer_list<QWidget*>{EditCodigoOperario, EditCodigo,
                                                      EditCodigoOPerarioEvaluador})
        static_cast<TDBEdit*>(w)->OnDblClick = [this](QObject* s) { BuscarDatosDBEdit(s); };
    static_cast<TComboNiveles*>(EditNivel)->AlDesplegar = [this] { EditNivelDropDown(EditNivel); };
    DataSource1->OnDataChange = [this](TDataSource*, TField* campo) {
        if (!campo) AjustarLineas();
    };
    DataSource2->OnStateChange = [this](TDataSource*) { HabilitarModoEdicion(Editando()); };
    Table1->OnCalcFields = [this](TDataSet* d) { Table1CalcFields(d); };
    Table1->AfterScroll = [this](TDataSet* d) { Table1AfterScroll(d); };
    Table1->BeforeDelete = [this](TDataSet* d) { Table1BeforeDelete(d); };
    Table1->AfterDelete = [this](TDataSet* d) {
        if (transaccionBorrado_) {
            transaccionBorrado_ = false;
            if (!ConfirmarTransaccion(fGENEINIC)) CancelarTransaccion(fGENEINIC);
        }
        Table1AfterScroll(d);
    };
    Table1->OnDeleteError = [this](TDataSet*) {
        if (!transaccionBorrado_) return;
        transaccionBorrado_ = false;
        CancelarTransaccion(fGENEINIC);
    };
    Table2->OnNewRecord = [this](TDataSet* d) { Table2NewRecord(d); };
    Table2->BeforeInsert = [this](TDataSet*) {
        // Lines belong to an evaluation already written.
        if (!Table1->Active() || Table1->IsEmpty() || Table1->State() == dsInsert) Abort();
    };
    Table2->BeforePost = [this](TDataSet* d) { Table2BeforePost(d); };
    Table2->AfterPost = [this](TDataSet* d) { Table2AfterPost(d); };
    Table2->OnPostError = [this](TDataSet*) { TerminarTransaccionLinea(false); };
    operarioMostrado_ = std::make_unique<rrhhpers::TOperarioMostrado>();
    Table1->OnPostError = [this](TDataSet*) {
        // Refused, the next confirm compares the employee shown then.
        operarioMostrado_->Terminar(false);
        operarioMostrado_->Olvidar();
    };
    Table2->AfterDelete = [this](TDataSet* d) { Table2AfterDelete(d); };
    // The lines have no attachments of their own.
    Table2->BeforeDelete = [](TDataSet*) {};
    DBGrid1->OnKeyDown = [this](QObject* s, int& k, TShiftState sh) { DBGrid1KeyDown(s, k, sh); };
    DBGrid1->OnDblClick = [this](QObject* s) { DBGrid1DblClick(s); };
    pbImportarCriterios->OnClick = [this](QObject* s) { pbImportarCriteriosClick(s); };
    pbDocumentacionElectronica->OnClick = [this](QObject* s) {
        pbDocumentacionElectronicaClick(s);
    };
    ImprimirConDialogo->OnClick = [this](QObject* s) { ImprimirConDialogoClick(s); };
    pbDuplicar->OnClick = [this](QObject* s) { pbDuplicarClick(s); };
    fRRHHEVAL = this;
}

TfRRHHEVAL::~TfRRHHEVAL() {
    transaccionLinea_.reset();
    Table1->OnPostError = nullptr;
    operarioMostrado_.reset();
    if (transaccionBorrado_) CancelarTransaccion(fGENEINIC);
    if (fRRHHEVAL == this) fRRHHEVAL = nullptr;
    for (TDataSource* s : findChildren<TDataSource*>()) {
        s->OnStateChange = nullptr;
        s->OnDataChange = nullptr;
        s->setDataSet(nullptr);
    }
    for (TTable* t : {Table2, Table1}) {
        t->OnCalcFields = nullptr;
        t->AfterScroll = nullptr;
        t->Close();
    }
}

void TfRRHHEVAL::ConstruirControles() {
    PanelCabecera = new TPanel(this);
    PanelCabecera->setObjectName(QStringLiteral("PanelCabecera"));
    auto* rejilla = new QGridLayout(PanelCabecera);
    rejilla->setContentsMargins(6, 6, 6, 6);
    TDataSource* s = DataSource1;
    EditCodigoOperario = NuevoEdit(PanelCabecera, "EditCodigoOperario", "CodigoOperario", s);
    EditNombreOperario = NuevoEdit(PanelCabecera, "EditNombreOperario", "NombreOperario", s);
    EditTipo = new TDBComboBox(PanelCabecera);
    EditTipo->setObjectName(QStringLiteral("EditTipo"));
    EditTipo->setDataSource(s);
    EditTipo->setDataField(QStringLiteral("Tipo"));
    EditTipo->setItems({QLatin1String(kPuesto), QLatin1String(kFormacion)});
    EditTipo->setStyle(csDropDownList);
    EditCodigo = NuevoEdit(PanelCabecera, "EditCodigo", "Codigo", s);
    EditDescripcionPuesto = NuevoEdit(PanelCabecera, "EditDescripcionPuesto", "Descripcion", s);
    EditFechaEvaluacion = NuevoEdit(PanelCabecera, "EditFechaEvaluacion", "FechaEvaluacion", s);
    EditValoracion = NuevoEdit(PanelCabecera, "EditValoracion", "Valoracion", s);
    EditCodigoOPerarioEvaluador =
        NuevoEdit(PanelCabecera, "EditCodigoOPerarioEvaluador", "CodigoOperarioEvaluador", s);
    EditNombreOperarioEvaluador =
        NuevoEdit(PanelCabecera, "EditNombreOperarioEvaluador", "NombreOperarioEvaluador", s);
    EditNivel = new TComboNiveles(PanelCabecera);
    EditNivel->setObjectName(QStringLiteral("EditNivel"));
    EditNivel->setDataSource(s);
    EditNivel->setDataField(QStringLiteral("Nivel"));
    EditNivel->setStyle(csDropDown);
    for (TDBEdit* e : {EditNombreOperario, EditDescripcionPuesto, EditNombreOperarioEvaluador}) {
        e->setReadOnly(true);
        e->setEnabled(false);
    }
    EditValoracion->setReadOnly(true);
    EditValoracion->setColor(clBtnFace);

    const auto etiqueta = [this](const char* texto) {
        return new TLabel(PanelCabecera, QString::fromUtf8(texto));
    };
    rejilla->addWidget(etiqueta("Código Operario"), 0, 0);
    rejilla->addWidget(EditCodigoOperario, 0, 1);
    rejilla->addWidget(EditNombreOperario, 0, 2, 1, 3);
    rejilla->addWidget(etiqueta("Tipo"), 1, 0);
    rejilla->addWidget(EditTipo, 1, 1);
    rejilla->addWidget(etiqueta("Código "), 2, 0);
    rejilla->addWidget(EditCodigo, 2, 1);
    rejilla->addWidget(EditDescripcionPuesto, 2, 2, 1, 3);
    rejilla->addWidget(etiqueta("Fecha Evaluación"), 3, 0);
    rejilla->addWidget(EditFechaEvaluacion, 3, 1);
    rejilla->addWidget(etiqueta("Valoración"), 3, 3);
    rejilla->addWidget(EditValoracion, 3, 4);
    rejilla->addWidget(etiqueta("Evaluador"), 4, 0);
    rejilla->addWidget(EditCodigoOPerarioEvaluador, 4, 1);
    rejilla->addWidget(EditNombreOperarioEvaluador, 4, 2, 1, 3);
    rejilla->addWidget(etiqueta("Nivel"), 5, 0);
    rejilla->addWidget(EditNivel, 5, 1, 1, 2);
    rejilla->setColumnStretch(2, 1);
    AreaDatos->addWidget(PanelCabecera);

    PageControl1 = new TPageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabValoracion = new TTabSheet(PageControl1, QStringLiteral("Valoración"));
    TabValoracion->setObjectName(QStringLiteral("TabValoracion"));
    TabObservaciones = new TTabSheet(PageControl1, QStringLiteral("Observaciones"));
    TabObservaciones->setObjectName(QStringLiteral("TabObservaciones"));
    DBGrid1 = new TDBGrid(TabValoracion);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setDataSource(DataSource2);
    const std::pair<const char*, const char*> columnas[] = {
        {"Linea", "Línea"}, {"Valoracion", "Valoración"}, {"Descripcion", "Descripción"}};
    for (const auto& [campo, titulo] : columnas) {
        TColumn* c = DBGrid1->Columns().Add();
        c->setFieldName(QLatin1String(campo));
        c->Title()->setCaption(QString::fromUtf8(titulo));
    }
    DBGrid1->Columns().Items(2)->setWidth(600);
    auto* caja = new QVBoxLayout(TabValoracion);
    caja->setContentsMargins(0, 0, 0, 0);
    caja->addWidget(DBGrid1);
    EditObservaciones = new TDBMemo(TabObservaciones);
    EditObservaciones->setObjectName(QStringLiteral("EditObservaciones"));
    EditObservaciones->setDataSource(DataSource1);
    EditObservaciones->setDataField(QStringLiteral("Observaciones"));
    auto* cajaMemo = new QVBoxLayout(TabObservaciones);
    cajaMemo->setContentsMargins(0, 0, 0, 0);
    cajaMemo->addWidget(EditObservaciones);
    AreaDatos->addWidget(PageControl1, 1);

    // The tools sit on the control panel, right of the navigator.
    PanelHerramientas = new TPanel(PanelControl);
    PanelHerramientas->setObjectName(QStringLiteral("PanelHerramientas"));
    auto* herramientas = new QHBoxLayout(PanelHerramientas);
    herramientas->setContentsMargins(1, 1, 1, 1);
    herramientas->setSpacing(0);
    pbImportarCriterios = BotonHerramienta(PanelHerramientas, "pbImportarCriterios",
                                           "Importar criterios de evaluación del puesto/formación",
                                           QStyle::SP_ArrowDown);
    pbDocumentacionElectronica =
        BotonHerramienta(PanelHerramientas, "pbDocumentacionElectronica",
                         "Acceso a la Documentación Electrónica", QStyle::SP_DirClosedIcon);
    ImprimirConDialogo =
        BotonHerramienta(PanelHerramientas, "ImprimirConDialogo", "Imprimir la Ficha de Evaluación",
                         QStyle::SP_FileDialogDetailedView);
    pbDuplicar = BotonHerramienta(PanelHerramientas, "pbDuplicar", "Duplicar la Evaluación",
                                  QStyle::SP_FileDialogNewFolder);
    for (TBitBtn* b :
         {pbImportarCriterios, pbDocumentacionElectronica, ImprimirConDialogo, pbDuplicar})
        herramientas->addWidget(b);
    if (auto* control = qobject_cast<QHBoxLayout*>(PanelControl->layout()))
        control->insertWidget(1, PanelHerramientas);
}

// ---------------------------------------------------------------- form and header

void TfRRHHEVAL::FormCreate(QObject* Sender) {
    TMaestroFicha::FormCreate(Sender);
    AjustarTamanoFormulario(fGENEINIC, this, QString());
    rrhhpers::DeclararCampos(Table1, {{QStringLiteral("NombreOperario"), 40},
                                      {QStringLiteral("Descripcion"), 40},
                                      {QStringLiteral("NombreOperarioEvaluador"), 40}});
    // Opened from the main menu the reopening with the declared fields can
    // fail once; the table must not stay closed.
    if (!Table1->Active()) AbrirTabla(fGENEINIC, Table1);
    PageControl1->setActivePage(TabValoracion);
    AjustarLineas();
    ActualizarGlifoDocumentacion();
}

void TfRRHHEVAL::DataSource1StateChange(QObject*) {
    HabilitarModoEdicion(Editando());
    const TDataSetState estado = Table1->State();
    if (estado == dsSetKey) return;
    // The key is typed only into a new evaluation.
    const bool alta = estado == dsInsert;
    for (TDBEdit* e : {EditCodigoOperario, EditCodigo, EditFechaEvaluacion}) {
        e->setReadOnly(!alta);
        e->setColor(alta ? clWindow : clBtnFace);
    }
    EditTipo->setReadOnly(!alta);
    EditTipo->setEnabled(alta);
    EditTipo->setColor(alta ? clWindow : clBtnFace);
}

void TfRRHHEVAL::IniciarAlta() {
    Table1->Insert();
}

void TfRRHHEVAL::pbCancelarClick(QObject* Sender) {
    if (EnEdicion(Table2)) Table2->Cancel();
    TMaestroFicha::pbCancelarClick(Sender);
}

void TfRRHHEVAL::CampoClaveP1Exit(QObject*) {
    const QString texto = EditCodigoOperario->Text().trimmed();
    if (texto.isEmpty()) {
        Table1->Cancel();
        Abort();
    }
    bool ok = false;
    const int valor = texto.toInt(&ok);
    if (!ok || valor < 1 || valor > 9999) {
        MensajeAdvertencia(QString::fromUtf8(textosmaestro::kRango9999));
        EditCodigoOperario->SetFocus();
        Abort();
    }
}

void TfRRHHEVAL::CampoClaveExit(QObject*) {
    const QString texto = EditFechaEvaluacion->Text().trimmed();
    if (texto.isEmpty()) {
        Table1->Cancel();
        Abort();
    }
    const TDataSetState estado = Table1->State();
    if (estado != dsInsert && !(estado == dsEdit && CampoClaveModificado)) return;
    const QString clave = EditCodigoOperario->Text().trimmed() + QLatin1Char(';') +
                          EditTipo->Text() + QLatin1Char(';') + EditCodigo->Text().trimmed() +
                          QLatin1Char(';') + texto;
    // Only warned about here; the post refuses the duplicate.
    if (ExisteClave(ModuloDatos, Table1, clave)) {
        MensajeAdvertencia(QString::fromUtf8(textosmaestro::kYaExisteRegistro));
        if (estado == dsInsert) EditFechaEvaluacion->SetFocus();
    }
}

void TfRRHHEVAL::Table1BeforeInsert(TDataSet* DataSet) {
    TMaestroFicha::Table1BeforeInsert(DataSet);
    // A record begun by a key typed into a field keeps the focus there, so
    // that the rest of what is typed follows the first key.
    if (!Table1->InsertStartedByEdit()) EditCodigoOperario->SetFocus();
}

void TfRRHHEVAL::Table1BeforePost(TDataSet* DataSet) {
    TMaestroFicha::Table1BeforePost(DataSet);
    if (!ValidacionWinControl(EditTipo)) Abort();
    // The employee whose name the window showed: one another clerk changed,
    // or deleted and entered again under the same code, is not the one the
    // evaluation was typed for.
    if (Table1->State() == dsInsert)
        operarioMostrado_->Comprobar(
            Table1->FieldByName(QStringLiteral("CodigoOperario"))->Value());
}

void TfRRHHEVAL::Table1AfterPost(TDataSet* DataSet) {
    operarioMostrado_->Olvidar();
    if (!operarioMostrado_->Terminar(true)) {
        // The commit failed (and said so): the window shows what is stored.
        if (Table1->Active() && Table1->State() == dsBrowse) Table1->Refresh();
        Abort();
    }
    TMaestroFicha::Table1AfterPost(DataSet);
}

bool TfRRHHEVAL::ValidacionWinControl(QObject* Sender) {
    if (Sender != EditTipo) return true;
    return ValidarValorLista(ModuloDatos, EditTipo, Table1->FieldByName(QStringLiteral("Tipo")));
}

void TfRRHHEVAL::Table1CalcFields(TDataSet* DataSet) {
    const auto texto = [DataSet](const char* campo) {
        TField* f = DataSet->FindField(QLatin1String(campo));
        return f ? f->AsString() : QString();
    };
    const auto poner = [DataSet](const char* campo, const QString& valor) {
        if (TField* f = DataSet->FindField(QLatin1String(campo))) f->setAsString(valor);
    };
    const auto nombre = [](const QString& codigo) {
        bool ok = false;
        const int n = codigo.toInt(&ok);
        // Only numbers go into the statement.
        if (!ok) return QString();
        return Consulta(QStringLiteral("SELECT Nombre FROM PERSONAL WHERE CodigoOperario = ") +
                        QString::number(n));
    };
    // A new evaluation: the employee is read before his name is shown, so
    // that the confirm stores it for him or refuses it.
    if (operarioMostrado_ && DataSource1->State() == dsInsert)
        operarioMostrado_->Leer(DataSet->FieldByName(QStringLiteral("CodigoOperario"))->Value());
    poner("NombreOperario", nombre(texto("CodigoOperario")));
    poner("NombreOperarioEvaluador", nombre(texto("CodigoOperarioEvaluador")));
    const QString codigo = texto("Codigo");
    const QString tipo = texto("Tipo");
    QString descripcion;
    if (!codigo.isEmpty() && (tipo == QLatin1String(kPuesto) || tipo == QLatin1String(kFormacion)))
        descripcion = Consulta(QStringLiteral("SELECT Descripcion FROM ") +
                               (tipo == QLatin1String(kPuesto) ? QStringLiteral("PUESTO")
                                                               : QStringLiteral("FORMCION")) +
                               QStringLiteral(" WHERE Codigo = ") + Entrecomillar(codigo));
    poner("Descripcion", descripcion);
}

QString TfRRHHEVAL::Literal(const char* Campo) const {
    return ValorSQL(Table1->FieldByName(QLatin1String(Campo))->Value());
}

QString TfRRHHEVAL::CondicionEvaluacion() const {
    return QStringLiteral("CodigoOperario = ") + Literal("CodigoOperario") +
           QStringLiteral(" AND Tipo = ") + Literal("Tipo") + QStringLiteral(" AND Codigo = ") +
           Literal("Codigo") + QStringLiteral(" AND FechaEvaluacion = ") +
           Literal("FechaEvaluacion");
}

void TfRRHHEVAL::Table1BeforeDelete(TDataSet*) {
    // Lines, attachments and header go together: a header the engine refuses
    // keeps its lines and documents.
    TDatabase* base = fGENEINIC ? fGENEINIC->Database : nullptr;
    if (base && !base->InTransaction()) {
        if (!IniciarTransaccion(fGENEINIC)) {
            MensajeAdvertencia(TextoTransaccionNoIniciada());
            Abort();
        }
        transaccionBorrado_ = true;
    }
    bool correcto =
        !EsError(Consulta(QStringLiteral("DELETE FROM LEVLCION WHERE ") + CondicionEvaluacion()));
    if (correcto) {
        try {
            BorradoRegistro(fGENEINIC, Table1);
        } catch (const std::exception&) {
            correcto = false;
        }
    }
    if (!correcto) {
        if (transaccionBorrado_) {
            transaccionBorrado_ = false;
            CancelarTransaccion(fGENEINIC);
        }
        Abort();
    }
}

void TfRRHHEVAL::Table1AfterScroll(TDataSet*) {
    SincronizarDocumentacionElectronica(fGENEINIC, Table1);
    ActualizarGlifoDocumentacion();
}

void TfRRHHEVAL::ActualizarGlifoDocumentacion() {
    const QString clave = ClaveDocumentacion();
    conDocumentacion_ =
        !clave.isEmpty() && TieneDocumentacionElectronica(ModuloDatos, Table1->TableName(), clave);
    pbDocumentacionElectronica->setProperty("ConDocumentacion", conDocumentacion_);
    pbDocumentacionElectronica->setGlyph(style()->standardIcon(
        conDocumentacion_ ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
}

void TfRRHHEVAL::BuscarDatosDBEdit(QObject* Sender) {
    // The key handler passes the focused control; a double click its own.
    QObject* control = Sender;
    if (control != EditCodigoOperario && control != EditCodigo &&
        control != EditCodigoOPerarioEvaluador)
        control = ActiveControl();
    const bool alta = Table1->State() == dsInsert;
    QString tabla;
    const char* campo = nullptr;
    if (control == EditCodigoOperario && alta) {
        tabla = QStringLiteral("PERSONAL");
        campo = "CodigoOperario";
    } else if (control == EditCodigoOPerarioEvaluador) {
        if (!EnEdicion(Table1)) {
            if (!Table1->Active() || Table1->IsEmpty()) return;
            Table1->Edit();
        }
        tabla = QStringLiteral("PERSONAL");
        campo = "CodigoOperarioEvaluador";
    } else if (control == EditCodigo && alta) {
        const QString tipo = Table1->FieldByName(QStringLiteral("Tipo"))->AsString();
        if (tipo == QLatin1String(kPuesto))
            tabla = QStringLiteral("PUESTO");
        else if (tipo == QLatin1String(kFormacion))
            tabla = QStringLiteral("FORMCION");
        campo = "Codigo";
    }
    if (tabla.isEmpty()) return;
    QVariant clave;
    BuscarCodigo(tabla, 0, clave);
    const QVariantList valores = clave.toList();
    if (valores.isEmpty() || valores.first().isNull()) return;
    Table1->FieldByName(QLatin1String(campo))->setAsString(valores.first().toString());
}

void TfRRHHEVAL::EditNivelDropDown(QObject*) {
    const QString niveles =
        Consulta(QStringLiteral("SELECT DISTINCT(Nivel) FROM CICLOCAP WHERE Tipo = ") +
                 Entrecomillar(EditTipo->Text()) + QStringLiteral(" AND Codigo = ") +
                 Entrecomillar(EditCodigo->Text()) + QStringLiteral(" ORDER BY Nivel"));
    const QString actual = EditNivel->Text();
    const QSignalBlocker bloqueo(EditNivel);
    EditNivel->setItems(EsError(niveles)
                            ? QStringList()
                            : niveles.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts));
    EditNivel->setText(actual);
}

// ---------------------------------------------------------------- lines

void TfRRHHEVAL::AjustarLineas() {
    if (!Table1->Active() || !Table2->Active() || EnEdicion(Table2)) return;
    QVariantList rango;
    for (const char* campo : {"CodigoOperario", "Tipo", "Codigo", "FechaEvaluacion"})
        rango << Table1->FieldByName(QLatin1String(campo))->Value();
    if (rangoAplicado_ && rango == rangoLineas_) return;
    rangoLineas_ = rango;
    rangoAplicado_ = true;
    Table2->SetRange(rango, rango);
}

void TfRRHHEVAL::Table2NewRecord(TDataSet* DataSet) {
    for (const char* campo : {"CodigoOperario", "Tipo", "Codigo", "FechaEvaluacion"})
        DataSet->FieldByName(QLatin1String(campo))
            ->setAsString(Table1->FieldByName(QLatin1String(campo))->AsString());
    AsignarSiguienteCodigo(ModuloDatos, Table2, DataSet->FieldByName(QStringLiteral("Linea")));
}

void TfRRHHEVAL::Table2BeforePost(TDataSet*) {
    if (!Table1->Active() || Table1->State() == dsInsert || Table1->IsEmpty()) return;
    TDatabase* base = fGENEINIC ? fGENEINIC->Database : nullptr;
    if (base && !base->InTransaction() && !transaccionLinea_) {
        transaccionLinea_ = std::make_unique<TGuardaTransaccion>(fGENEINIC, base);
        const bool activa = transaccionLinea_->Activa();
        if (!transaccionLinea_->Propia()) transaccionLinea_.reset();
        // Refused (the database busy): said once, not after a second wait
        // for the line's own write.
        if (!activa) {
            MensajeAdvertencia(TextoTransaccionNoIniciada());
            Abort();
        }
    }
    // The evaluation as the window read it (and as its own posts left it):
    // one another clerk changed, or deleted and entered again under the same
    // key, is not the one the line was typed for.
    Table1->CheckUnchanged(Table1->RowAsRead());
}

void TfRRHHEVAL::TerminarTransaccionLinea(bool Confirmar) {
    if (!transaccionLinea_) return;
    const bool confirmada = !Confirmar || transaccionLinea_->Confirmar();
    transaccionLinea_.reset();
    if (confirmada) return;
    // The commit failed (and said so): the grid shows what is stored.
    if (Table2->Active() && Table2->State() == dsBrowse) Table2->Refresh();
    Abort();
}

void TfRRHHEVAL::Table2AfterPost(TDataSet*) {
    TerminarTransaccionLinea(true);
    CalcularValoracionEvaluacion();
}

void TfRRHHEVAL::Table2AfterDelete(TDataSet*) {
    CalcularValoracionEvaluacion();
}

void TfRRHHEVAL::DBGrid1KeyDown(QObject*, int& Key, int Shift) {
    TeclaEliminarLinea(Table2, Key, Shift);
}

void TfRRHHEVAL::DBGrid1DblClick(QObject*) {}

void TfRRHHEVAL::CalcularValoracionEvaluacion() {
    if (!Table1->Active() || Table1->IsEmpty() || Table1->State() == dsInsert) return;
    const SqlDialect& dialecto = DialectoActual();
    const QString ciclo = QStringLiteral(" FROM CICLOCAP WHERE Tipo = ") + Literal("Tipo") +
                          QStringLiteral(" AND Codigo = ") + Literal("Codigo");
    const QString nivel = QStringLiteral(" AND Nivel = ") + Entrecomillar(EditNivel->Text());
    const auto primero = [&dialecto](const QString& sql) {
        return Consulta(dialecto.limitSelect(sql, 1));
    };
    // The target of the level's last cycle line, and of the line before its first.
    const double objNivel = TextoAReal(primero(QStringLiteral("SELECT Objetivo") + ciclo + nivel +
                                               QStringLiteral(" ORDER BY Linea DESC")));
    bool ok = false;
    int lineaNivel =
        primero(QStringLiteral("SELECT Linea") + ciclo + nivel + QStringLiteral(" ORDER BY Linea"))
            .trimmed()
            .toInt(&ok);
    if (!ok) lineaNivel = 0;
    const double objAnterior = TextoAReal(
        primero(QStringLiteral("SELECT Objetivo") + ciclo + QStringLiteral(" AND Linea < ") +
                QString::number(lineaNivel) + QStringLiteral(" ORDER BY Linea DESC")));
    // Lines without a score count in the divisor.
    const QString lineas = QStringLiteral(" FROM LEVLCION WHERE ") + CondicionEvaluacion();
    const double suma = TextoAReal(Consulta(QStringLiteral("SELECT SUM(Valoracion)") + lineas));
    const int cuenta = Consulta(QStringLiteral("SELECT COUNT(*)") + lineas).trimmed().toInt(&ok);
    const double media = ok && cuenta != 0 ? suma / cuenta : 0.0;
    const double valor =
        EsCero(objNivel) ? media : (objNivel - objAnterior) / 100.0 * media + objAnterior;

    const bool editaba = Table1->State() == dsEdit;
    try {
        Table1->Edit();
        Table1->FieldByName(QStringLiteral("Valoracion"))
            ->setAsInteger(static_cast<int>(RedondearValor(valor)));
        Table1->Post();
    } catch (const EAbort&) {
        if (!editaba) Table1->Cancel();
    } catch (const std::exception&) {
        if (!editaba) Table1->Cancel();
        MensajeAdvertencia(TextoErrorModificacion);
    }
}

// ---------------------------------------------------------------- tools

void TfRRHHEVAL::pbImportarCriteriosClick(QObject*) {
    // Criteria go to an evaluation that is written.
    if (!Table1->Active()) return;
    if (Table1->IsEmpty() || Table1->State() == dsInsert) {
        MensajeAdvertencia(
            QStringLiteral("¡Debe grabar la evaluación antes de importar los criterios!"));
        return;
    }
    const QString lineas =
        Consulta(QStringLiteral("SELECT COUNT(*) FROM LEVLCION WHERE ") + CondicionEvaluacion());
    if (EsError(lineas)) return;
    if (lineas.trimmed() != QLatin1String("0")) {
        MensajeAdvertencia(QStringLiteral("Ya existen líneas para esta evaluación!"));
        return;
    }
    const QString tipo = Table1->FieldByName(QStringLiteral("Tipo"))->AsString();
    if (tipo != QLatin1String(kPuesto) && tipo != QLatin1String(kFormacion)) return;
    QString criterios = QStringLiteral(" FROM CRITEVAL WHERE Tipo = ") + Literal("Tipo") +
                        QStringLiteral(" AND Codigo = ") + Literal("Codigo");
    const QString nivel = EditNivel->Text();
    if (!nivel.isEmpty()) criterios += QStringLiteral(" AND Nivel = ") + Entrecomillar(nivel);
    // An import that finds nothing would look like one that did not run.
    const QString cuantos = Consulta(QStringLiteral("SELECT COUNT(*)") + criterios);
    if (EsError(cuantos)) return;
    if (cuantos.trimmed() == QLatin1String("0")) {
        MensajeAdvertencia(
            nivel.isEmpty()
                ? QStringLiteral("¡No existen criterios de evaluación para este puesto/formación!")
                : QStringLiteral("¡No existen criterios de evaluación para este puesto/formación "
                                 "en el nivel ") +
                      nivel + QStringLiteral("!"));
        return;
    }
    // The criteria go only under the evaluation the window shows, checked
    // in the transaction that writes them.
    TGuardaTransaccion transaccion(fGENEINIC);
    if (!transaccion.Activa()) {
        MensajeAdvertencia(TextoTransaccionNoIniciada());
        return;
    }
    try {
        Table1->CheckUnchanged(Table1->RowAsRead());
    } catch (const std::exception&) {
        HandleApplicationException(this, std::current_exception());
        return;
    }
    const bool escrito = !EsError(Consulta(
        QStringLiteral("INSERT INTO LEVLCION (CodigoOperario, Tipo, Codigo, FechaEvaluacion, "
                       "Linea, Descripcion) SELECT ") +
        Literal("CodigoOperario") + QStringLiteral(", ") + Literal("Tipo") + QStringLiteral(", ") +
        Literal("Codigo") + QStringLiteral(", ") + Literal("FechaEvaluacion") +
        QStringLiteral(", Linea, Descripcion") + criterios));
    if (escrito) transaccion.Confirmar();
    Table2->Refresh();
}

void TfRRHHEVAL::pbDuplicarClick(QObject*) {
    if (Editando() || !Table1->Active() || Table1->IsEmpty()) return;
    QString respuesta = DateTimeToStr(QDateTime::currentDateTime());
    MensajePeticion(QStringLiteral("Introduzca la fecha de Evaluación"), respuesta);
    if (respuesta.isEmpty()) return;
    if (!ValidarFecha(respuesta.section(QLatin1Char(' '), 0, 0), QStringLiteral("Fecha"))) return;
    const QString clave =
        Table1->FieldByName(QStringLiteral("CodigoOperario"))->AsString() + QLatin1Char(';') +
        Table1->FieldByName(QStringLiteral("Tipo"))->AsString() + QLatin1Char(';') +
        Table1->FieldByName(QStringLiteral("Codigo"))->AsString() + QLatin1Char(';') + respuesta;
    QString resultado;
    CambiarCodigo(ModuloDatos, Table1, {Table2}, clave, resultado);
    if (resultado.contains(QLatin1String("Error")))
        MensajeAdvertencia(QStringLiteral("¡No se ha podido duplicar el registro!. Motivo: ") +
                           resultado);
}

void TfRRHHEVAL::ImprimirConDialogoClick(QObject*) {
    QString nivel;
    NivelAccesoPrograma(ModuloDatos, CodigoUsuarioActual,
                        QStringLiteral("Listado de Ficha de Evaluación"), nivel);
    if (nivel != QLatin1String("Total") && nivel != QLatin1String("Solo Lectura")) return;
    if (!Table1->Active() || Table1->IsEmpty()) return;
    if (!FormClassRegistered(QStringLiteral("TfRRHHLEVA"))) return;
    TForm* f = nullptr;
    AbrirFormulario(ModuloDatos, QStringLiteral("TfRRHHLEVA"), f, QString(),
                    QStringLiteral("fRRHHLEVA"));
    if (!f) return;
    const auto valor = [this](const char* campo) {
        return Table1->FieldByName(QLatin1String(campo))->Value();
    };
    for (const char* p : {"OperarioDesdeEvaluacion", "OperarioHastaEvaluacion"})
        f->setProperty(p, valor("CodigoOperario"));
    for (const char* p : {"CodigoDesdeEvaluacion", "CodigoHastaEvaluacion"})
        f->setProperty(p, valor("Codigo"));
    for (const char* p : {"FechaDesdeEvaluacion", "FechaHastaEvaluacion"})
        f->setProperty(p, valor("FechaEvaluacion"));
    f->setProperty("TipoEvaluacion", valor("Tipo"));
    f->setProperty("ImprimirDirectamenteEvaluacion", false);
}

void TfRRHHEVAL::pbDocumentacionElectronicaClick(QObject*) {
    const QString clave = ClaveDocumentacion();
    if (clave.isEmpty()) return;
    DocumentacionElectronica(ModuloDatos, Table1->TableName(), clave, Table1->RowAsRead());
    ActualizarGlifoDocumentacion();
}

void TfRRHHEVAL::DocumentacionElectronica1Click(QObject* Sender) {
    pbDocumentacionElectronicaClick(Sender);
}

void RegistrarTfRRHHEVAL() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHEVAL")))
        RegisterFormClass<TfRRHHEVAL>(QStringLiteral("TfRRHHEVAL"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHEVAL();
    return true;
}();
}  // namespace
