#include "rrhh/rrhhcrit.h"

#include <QGridLayout>
#include <QVBoxLayout>
#include <optional>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genebusc.h"
#include "gene/dialogs/genecopi.h"
#include "gene/dialogs/genefilt.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_diferidos.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/generejilla.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

QString TipoCriterios;
TfRRHHCRIT* fRRHHCRIT = nullptr;

namespace {

const char* const kPuesto = "Puesto";
const char* const kFormacion = "Formacion";

bool EnEdicion(const TDataSet* d) {
    return d->State() == dsEdit || d->State() == dsInsert || d->State() == dsSetKey;
}

TTable* NuevaTabla(QObject* owner, const char* nombre, const char* tabla) {
    auto* t = new TTable(owner);
    t->setObjectName(QLatin1String(nombre));
    t->setTableName(QLatin1String(tabla));
    return t;
}

TDBGrid* NuevaRejilla(QWidget* padre, const char* nombre, TDataSource* fuente,
                      const QList<std::pair<const char*, const char*>>& columnas) {
    auto* g = new TDBGrid(padre);
    g->setObjectName(QLatin1String(nombre));
    g->setDataSource(fuente);
    QFont titulos = g->TitleFont();
    titulos.setBold(true);
    g->setTitleFont(titulos);
    for (const auto& [campo, titulo] : columnas) {
        TColumn* c = g->Columns().Add();
        c->setFieldName(QLatin1String(campo));
        c->Title()->setCaption(QString::fromUtf8(titulo));
    }
    auto* caja = new QVBoxLayout(padre);
    caja->setContentsMargins(0, 0, 0, 0);
    caja->addWidget(g);
    return g;
}

}  // namespace

TfRRHHCRIT::TfRRHHCRIT(QWidget* owner)
    : TMaestroFicha(owner, QStringLiteral("fRRHHCRIT"), QStringLiteral("Criterios de Evaluación"),
                    QStringLiteral("FORMCION")) {
    ModoRefresco = QStringLiteral("Apertura/Cierre");
    TextoErrorModificacion = QStringLiteral("¡Imposible modificar el registro!");
    Table0 = NuevaTabla(this, "Table0", "PUESTO");
    Table2 = NuevaTabla(this, "Table2", "CRITEVAL");
    Table3 = NuevaTabla(this, "Table3", "CICLOCAP");
    DataSource2 = new TDataSource(this);
    DataSource2->setObjectName(QStringLiteral("DataSource2"));
    DataSource2->setDataSet(Table2);
    DataSource3 = new TDataSource(this);
    DataSource3->setObjectName(QStringLiteral("DataSource3"));
    DataSource3->setDataSet(Table3);

    PanelCabecera = new TPanel(this);
    PanelCabecera->setObjectName(QStringLiteral("PanelCabecera"));
    auto* rejilla = new QGridLayout(PanelCabecera);
    rejilla->setContentsMargins(6, 6, 6, 6);
    EditTipo = new TComboBox(PanelCabecera);
    EditTipo->setObjectName(QStringLiteral("EditTipo"));
    EditTipo->setItems({QLatin1String(kPuesto), QLatin1String(kFormacion)});
    EditCodigo = new TDBEdit(PanelCabecera);
    EditCodigo->setObjectName(QStringLiteral("EditCodigo"));
    EditCodigo->setDataSource(DataSource1);
    EditCodigo->setDataField(QStringLiteral("Codigo"));
    // The header is only browsed: its code is never typed here.
    EditCodigo->setReadOnly(true);
    EditCodigo->setColor(clBtnFace);
    EditDescripcion = new TDBEdit(PanelCabecera);
    EditDescripcion->setObjectName(QStringLiteral("EditDescripcion"));
    EditDescripcion->setDataSource(DataSource1);
    EditDescripcion->setDataField(QStringLiteral("Descripcion"));
    EditDescripcion->setReadOnly(true);
    EditDescripcion->setEnabled(false);
    rejilla->addWidget(new TLabel(PanelCabecera, QStringLiteral("Tipo")), 0, 0);
    rejilla->addWidget(EditTipo, 0, 1);
    rejilla->addWidget(new TLabel(PanelCabecera, QStringLiteral("Código")), 1, 0);
    rejilla->addWidget(EditCodigo, 1, 1);
    rejilla->addWidget(EditDescripcion, 1, 2);
    rejilla->setColumnStretch(2, 1);
    AreaDatos->addWidget(PanelCabecera);

    PageControl1 = new TPageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabCriterios = new TTabSheet(PageControl1, QStringLiteral("Criterios de Valoración"));
    TabCriterios->setObjectName(QStringLiteral("TabCriterios"));
    TabCiclo = new TTabSheet(PageControl1, QStringLiteral("Ciclo de Capacitación"));
    TabCiclo->setObjectName(QStringLiteral("TabCiclo"));
    DBGrid1 =
        NuevaRejilla(TabCriterios, "DBGrid1", DataSource2,
                     {{"Linea", "Línea"}, {"Nivel", "Nivel"}, {"Descripcion", "Descripción"}});
    DBGrid1->Columns().Items(2)->setWidth(400);
    DBGrid2 = NuevaRejilla(TabCiclo, "DBGrid2", DataSource3,
                           {{"Linea", "Línea"},
                            {"Plazo", "Plazo"},
                            {"Nivel", "Nivel"},
                            {"Objetivo", "Valoración Objetivo"},
                            {"Descripcion", "Descripción"}});
    DBGrid2->Columns().Items(4)->setWidth(300);
    AreaDatos->addWidget(PageControl1, 1);
    resize(640, 440);

    EditTipo->OnChange = [this](QObject* s) { EditTipoChange(s); };
    DataSource1->OnDataChange = [this](TDataSource*, TField* campo) {
        if (!campo) DataSource1DataChange();
    };
    DataSource2->OnStateChange = [this](TDataSource*) { DataSourceLineasStateChange(); };
    DataSource3->OnStateChange = [this](TDataSource*) { DataSourceLineasStateChange(); };
    for (TTable* t : {Table2, Table3}) {
        t->BeforeInsert = [this](TDataSet* d) { LineaBeforeInsert(d); };
        t->OnNewRecord = [this](TDataSet* d) { LineaNewRecord(d); };
    }
    Table2->AfterPost = [](TDataSet* d) { GrabacionRegistro(fGENEINIC, d); };
    Table2->BeforeDelete = [](TDataSet* d) { BorradoRegistro(fGENEINIC, d); };
    // The cycle lines have no attachments: the common handlers stay out.
    Table3->AfterPost = [this](TDataSet* d) { Table3AfterPost(d); };
    Table3->BeforeDelete = [](TDataSet*) {};
    // The documents window follows the positions too, not only the training
    // types of Table1, which the common preparation takes care of.
    Table0->AfterScroll = [](TDataSet* d) { SincronizarDocumentacionElectronica(fGENEINIC, d); };
    // A position deleted here ("Eliminación Múltiple") takes its lines along,
    // as in the positions master: a later position of its code starts empty.
    Table0->BeforeDelete = [](TDataSet* d) { EliminarPuestoConLineas(d); };
    // Either header may be shown: a line being typed is posted before the
    // position changes too, or the position stays.
    Table0->BeforeScroll = [this](TDataSet*) {
        if (!LineasAntesDeCambiarRegistro()) Abort();
    };
    DBGrid1->OnKeyDown = [this](QObject*, int& k, TShiftState s) { DBGridKeyDown(DBGrid1, k, s); };
    DBGrid2->OnKeyDown = [this](QObject*, int& k, TShiftState s) { DBGridKeyDown(DBGrid2, k, s); };
    fRRHHCRIT = this;
}

TfRRHHCRIT::~TfRRHHCRIT() {
    if (fRRHHCRIT == this) fRRHHCRIT = nullptr;
}

TTable* TfRRHHCRIT::Cabecera() const {
    return qobject_cast<TTable*>(DataSource1->DataSet());
}

QString TfRRHHCRIT::CodigoCabecera() const {
    TTable* cabecera = Cabecera();
    if (!cabecera || !cabecera->Active() || cabecera->IsEmpty()) return QString();
    return cabecera->FieldByName(QStringLiteral("Codigo"))->AsString();
}

void TfRRHHCRIT::FormCreate(QObject* Sender) {
    TMaestroFicha::FormCreate(Sender);
    PageControl1->setActivePage(TabCriterios);
    const bool formacion = TipoCriterios == QLatin1String(kFormacion);
    const QSignalBlocker bloqueo(EditTipo);
    EditTipo->setText(QLatin1String(formacion ? kFormacion : kPuesto));
    MostrarCabecera(formacion ? Table1 : Table0);
}

void TfRRHHCRIT::EditTipoChange(QObject*) {
    TTable* nueva = EditTipo->Text() == QLatin1String(kPuesto) ? Table0 : Table1;
    // The lines shown belong to the other type's header: one being typed is
    // posted under it first, or the type shown stays.
    if (nueva != Cabecera() && !LineasAntesDeCambiarRegistro()) {
        const QSignalBlocker bloqueo(EditTipo);
        EditTipo->setText(QLatin1String(nueva == Table0 ? kFormacion : kPuesto));
        return;
    }
    MostrarCabecera(nueva);
}

void TfRRHHCRIT::MostrarCabecera(TTable* Tabla) {
    if (DataSource1->DataSet() != Tabla) DataSource1->setDataSet(Tabla);
    DataSource1DataChange();
}

bool TfRRHHCRIT::LocalizarCodigo(const QString& Codigo) {
    TTable* cabecera = Cabecera();
    return cabecera && cabecera->Active() &&
           cabecera->Locate(QStringLiteral("Codigo"), Codigo, TLocateOptions());
}

void TfRRHHCRIT::DataSource1DataChange() {
    TTable* cabecera = Cabecera();
    if (!cabecera || !cabecera->Active()) return;
    const QVariantList rango{EditTipo->Text(), CodigoCabecera()};
    for (TTable* t : {Table2, Table3})
        if (t->Active() && !EnEdicion(t)) t->SetRange(rango, rango);
    RefrescarNiveles();
}

void TfRRHHCRIT::RefrescarNiveles() {
    QString niveles;
    EjecutarSQL(ModuloDatos,
                QStringLiteral("SELECT DISTINCT(Nivel) FROM CICLOCAP WHERE Tipo = ") +
                    Entrecomillar(EditTipo->Text()) + QStringLiteral(" AND Codigo = ") +
                    Entrecomillar(CodigoCabecera()) + QStringLiteral(" ORDER BY Nivel"),
                QStringLiteral("Database"), QString(), niveles);
    const QStringList lista = niveles.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    DBGrid2->Columns().Items(2)->setPickList(lista);
    DBGrid1->Columns().Items(1)->setPickList(lista);
}

void TfRRHHCRIT::DataSource1StateChange(QObject*) {
    HabilitarModoEdicion(Editando());
}

void TfRRHHCRIT::DataSourceLineasStateChange() {
    HabilitarModoEdicion(Editando());
}

void TfRRHHCRIT::IniciarAlta() {
    if (CodigoCabecera().isEmpty()) return;
    const bool ciclo = PageControl1->ActivePage() == TabCiclo;
    TDBGrid* rejilla = ciclo ? DBGrid2 : DBGrid1;
    if (rejilla->isVisible()) rejilla->setFocus();
    rejilla->setSelectedIndex(1);
    (ciclo ? Table3 : Table2)->Append();
}

void TfRRHHCRIT::LineaBeforeInsert(TDataSet* DataSet) {
    // Lines belong to a position or training type: none without one.
    if (CodigoCabecera().isEmpty()) Abort();
    claveLinea_.clear();
    if (!DataSet->IsEmpty()) ClaveRegistro(ModuloDatos, DataSet, claveLinea_);
}

void TfRRHHCRIT::LineaNewRecord(TDataSet* DataSet) {
    auto* tabla = qobject_cast<TTable*>(DataSet);
    // With duplication the new line copies the other fields of the line
    // that was current, then gets its own key.
    if (Agregar->Caption() == QString::fromUtf8(textosmaestro::kAgregarConDuplicacion) &&
        !claveLinea_.isEmpty())
        CopiarDatosRegistro(ModuloDatos, tabla, claveLinea_);
    DataSet->FieldByName(QStringLiteral("Tipo"))->setAsString(EditTipo->Text());
    DataSet->FieldByName(QStringLiteral("Codigo"))->setAsString(CodigoCabecera());
    AsignarSiguienteCodigo(ModuloDatos, tabla, DataSet->FieldByName(QStringLiteral("Linea")));
}

void TfRRHHCRIT::Table3AfterPost(TDataSet*) {
    RefrescarNiveles();
}

void TfRRHHCRIT::GrabarDatos() {
    QList<TDataSet*> lineas;
    for (TTable* t : {Table2, Table3})
        if (EnEdicion(t)) lineas << t;
    if (lineas.isEmpty()) return;
    // Both lines or neither: a failure of the database leaves both as typed
    // and says why once the transaction has ended.
    TMensajesDiferidos mensajes;
    TEdicionesPendientes antes(this, lineas);
    std::optional<TGuardaTransaccion> transaccion;
    if (lineas.size() > 1) {
        transaccion.emplace(fGENEINIC);
        if (!transaccion->Activa()) {
            MensajeAdvertencia(TextoTransaccionNoIniciada());
            return;
        }
    }
    QList<TDataSet*> grabadas;
    for (TDataSet* t : std::as_const(lineas)) {
        try {
            t->Post();
            grabadas << t;
        } catch (const EAbort&) {
            // A check that has warned already: the line stays for correction.
            break;
        } catch (const std::exception& e) {
            if (FalloDeLaBase(e)) {
                transaccion.reset();
                antes.Restaurar(grabadas);
                MensajeAdvertencia(AvisoFalloBase(TextoErrorModificacion, e));
                return;
            }
            MensajeAdvertencia(TextoErrorModificacion);
            break;
        }
    }
    if (transaccion && !transaccion->Confirmar()) {
        transaccion.reset();
        antes.Restaurar(grabadas);
    }
}

void TfRRHHCRIT::pbCancelarClick(QObject*) {
    for (TTable* t : {Table2, Table3})
        if (EnEdicion(t)) t->Cancel();
}

void TfRRHHCRIT::DBGridKeyDown(TDBGrid* Grid, int& Key, int Shift) {
    TeclaEliminarLinea(Grid->DataSource()->DataSet(), Key, Shift);
}

// ---- The header's services: the dataset shown, not Table1.

void TfRRHHCRIT::Buscar1Click(QObject*) {
    QVariant clave;
    BuscarRegistro(Cabecera(), IndiceBusqueda, clave);
    const QVariantList valores = clave.toList();
    if (!valores.isEmpty()) LocalizarCodigo(valores.first().toString());
}

void TfRRHHCRIT::Eliminar1Click(QObject*) {}

void EliminarPuestoConLineas(TDataSet* Puesto) {
    // The common handler first: it opens the transaction that the record's
    // own delete ends, so the criteria and the cycle go with the position or
    // stay with it. A refusal there stops the deletion before anything goes.
    BorradoRegistro(fGENEINIC, Puesto);
    const QString codigo = Entrecomillar(Puesto->FieldByName(QStringLiteral("Codigo"))->AsString());
    QString resultado;
    for (const char* tabla : {"CICLOCAP", "CRITEVAL"})
        EjecutarSQL(ModuloDatos,
                    QStringLiteral("DELETE FROM ") + QLatin1String(tabla) +
                        QStringLiteral(" WHERE Tipo = 'Puesto' AND Codigo = ") + codigo,
                    QStringLiteral("Database"), QString(), resultado);
}

void TfRRHHCRIT::EliminacionMultiple1Click(QObject*) {
    EliminarRegistrosActivos(ModuloDatos, Cabecera());
    Cabecera()->Refresh();
}

void TfRRHHCRIT::FiltrarRegistros1Click(QObject*) {
    FiltrarRegistros(Cabecera());
}

void TfRRHHCRIT::CopiarRegistrosaOtrasEmpresas1Click(QObject*) {
    CopiarRegistrosAEmpresas(Cabecera());
}

void TfRRHHCRIT::ListadoProgramable1Click(QObject*) {
    ListarTabla(ModuloDatos, Cabecera());
}

QString TfRRHHCRIT::ClaveDocumentacion() {
    QString clave;
    if (Cabecera()->Active() && !Cabecera()->IsEmpty())
        ClaveTablaRegistro(ModuloDatos, Cabecera(), clave);
    return clave;
}

void TfRRHHCRIT::DocumentacionElectronica1Click(QObject*) {
    DocumentacionElectronica(ModuloDatos, Cabecera()->TableName(), ClaveDocumentacion(),
                             Cabecera()->RowAsRead());
}

void TfRRHHCRIT::pbPrimeroClick(QObject*) {
    Cabecera()->First();
}

void TfRRHHCRIT::pbAnteriorClick(QObject*) {
    Cabecera()->Prior();
    if (Cabecera()->Bof()) MensajeInformacion(QString::fromUtf8(textosmaestro::kPrimerRegistro));
}

void TfRRHHCRIT::pbSiguienteClick(QObject*) {
    Cabecera()->Next();
    if (Cabecera()->Eof()) MensajeInformacion(QString::fromUtf8(textosmaestro::kUltimoRegistro));
}

void TfRRHHCRIT::pbUltimoClick(QObject*) {
    Cabecera()->Last();
}

void RegistrarTfRRHHCRIT() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHCRIT")))
        RegisterFormClass<TfRRHHCRIT>(QStringLiteral("TfRRHHCRIT"));
}

void AbrirCriterios(const QString& Tipo, const QString& Codigo) {
    RegistrarTfRRHHCRIT();
    TipoCriterios = Tipo;
    TForm* forma = nullptr;
    AbrirFormulario(ModuloDatos, QStringLiteral("TfRRHHCRIT"), forma, QString(),
                    QStringLiteral("fRRHHCRIT"));
    if (auto* criterios = qobject_cast<TfRRHHCRIT*>(forma)) criterios->LocalizarCodigo(Codigo);
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHCRIT();
    return true;
}();
}  // namespace
