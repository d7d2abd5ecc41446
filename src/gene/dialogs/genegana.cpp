#include "gene/dialogs/genegana.h"

#include <QHBoxLayout>
#include <QPainter>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/dialogs/genevmem.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/registry.h"

TfGENEGANA* fGENEGANA = nullptr;

namespace {

bool EnEdicion(const TDataSet* d) {
    return d->State() == dsEdit || d->State() == dsInsert || d->State() == dsSetKey;
}

}  // namespace

TfGENEGANA::TfGENEGANA(QWidget* owner)
    : TMaestroRejilla(owner, QStringLiteral("fGENEGANA"),
                      QStringLiteral("Maestro de Grupos de Análisis"), QStringLiteral("GRANALIS")) {
    ClaveExistente = ceRechazar;
    AltaTrasGrabarAlta = true;
    ModoRefresco = QStringLiteral("Apertura/Cierre");

    Panel2 = new TPanel(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* caja = new QHBoxLayout(Panel2);
    caja->setContentsMargins(6, 4, 6, 4);
    Label1 = new TLabel(Panel2, QStringLiteral("Categoría del Grupo"));
    Label1->setObjectName(QStringLiteral("Label1"));
    // The list is read from the catalogue each time it opens.
    EditCategoriaGrupo = new TComboBox(Panel2);
    EditCategoriaGrupo->setObjectName(QStringLiteral("EditCategoriaGrupo"));
    EditCategoriaGrupo->setMinimumWidth(200);
    Label1->setFocusControl(EditCategoriaGrupo);
    caja->addWidget(Label1);
    caja->addWidget(EditCategoriaGrupo);
    caja->addStretch(1);
    AreaDatos->insertWidget(0, Panel2);

    AgregarColumna(QStringLiteral("Codigo"), QString());
    AgregarColumna(QStringLiteral("Descripcion"), QStringLiteral("Descripción"), 314);
    TColumn* ampliada =
        AgregarColumna(QStringLiteral("DescripcionAmpliada"), QStringLiteral("..."), 16);
    ampliada->setButtonStyle(cbsEllipsis);
    resize(460, 380);

    EditCategoriaGrupo->OnDropDown = [this](QObject* s) { EditCategoriaGrupoDropDown(s); };
    EditCategoriaGrupo->OnChange = [this](QObject* s) { EditCategoriaGrupoChange(s); };
    Table1->OnFilterRecord = [this](TDataSet* d, bool& a) { Table1FilterRecord(d, a); };
    DBGrid1->OnEditButtonClick = [this](QObject* s) { DBGrid1EditButtonClick(s); };
    DBGrid1->OnDrawColumnCell = [this](QObject* s, const QRect& r, int c, TColumn*, int e) {
        DBGrid1DrawColumnCell(s, r, c, e);
    };
    fGENEGANA = this;
}

TfGENEGANA::~TfGENEGANA() {
    if (fGENEGANA == this) fGENEGANA = nullptr;
}

void TfGENEGANA::FormCreate(QObject* Sender) {
    TMaestroRejilla::FormCreate(Sender);
    // The title of the key column is the field's own.
    if (TField* codigo = Table1->FindField(QStringLiteral("Codigo")))
        DBGrid1->Columns().Items(0)->Title()->setCaption(codigo->DisplayLabel());
    Table1->setFiltered(true);
}

void TfGENEGANA::EditCategoriaGrupoDropDown(QObject*) {
    QString texto;
    ValoresDistintos(ModuloDatos, QStringLiteral("GRANALIS"), QStringLiteral("CategoriaGrupo"),
                     texto, QString());
    QStringList categorias = texto.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    categorias.sort();
    const QString actual = EditCategoriaGrupo->Text();
    const QSignalBlocker bloqueo(EditCategoriaGrupo);
    EditCategoriaGrupo->setItems(categorias);
    EditCategoriaGrupo->setText(actual);
}

void TfGENEGANA::EditCategoriaGrupoChange(QObject*) {
    if (Table1->Active()) Table1->Refresh();
}

void TfGENEGANA::Table1FilterRecord(TDataSet* DataSet, bool& Accept) {
    // Case matters: "DEP" and "Dep" are two categories.
    Accept = DataSet->FieldByName(QStringLiteral("CategoriaGrupo"))->AsString() ==
             EditCategoriaGrupo->Text();
}

void TfGENEGANA::Table1BeforeInsert(TDataSet* DataSet) {
    TMaestroRejilla::Table1BeforeInsert(DataSet);
    DBGrid1->setSelectedIndex(0);
}

void TfGENEGANA::Table1NewRecord(TDataSet* DataSet) {
    // A new group belongs to the category shown, so that it stays visible.
    Table1->FieldByName(QStringLiteral("CategoriaGrupo"))->setAsString(EditCategoriaGrupo->Text());
    TMaestroRejilla::Table1NewRecord(DataSet);
}

bool TfGENEGANA::ValidarColumna() {
    return ValidarListasRejilla();
}

void TfGENEGANA::Table1BeforePost(TDataSet* DataSet) {
    if (!ValidarListasRejilla()) Abort();
    TMaestroRejilla::Table1BeforePost(DataSet);
}

void TfGENEGANA::Table1AfterPost(TDataSet* DataSet) {
    ActualizarRegistroSQL(ModuloDatos, Table1);
    TMaestroRejilla::Table1AfterPost(DataSet);
}

void TfGENEGANA::DBGrid1EditButtonClick(QObject*) {
    if (!EnEdicion(Table1)) Table1->Edit();
    const QString titulo = QStringLiteral("Gr.Análisis ") +
                           Table1->FieldByName(QStringLiteral("Codigo"))->AsString() +
                           QStringLiteral(" - Descripción Ampliada");
    QString texto;
    VisualizarAsignarCampoTexto(Table1, titulo, QStringLiteral("DescripcionAmpliada"), texto);
    if (EnEdicion(Table1))
        Table1->FieldByName(QStringLiteral("DescripcionAmpliada"))->setAsString(texto);
}

void TfGENEGANA::DBGrid1DrawColumnCell(QObject*, const QRect& Rect, int DataCol, int State) {
    TColumn* columna = DBGrid1->Columns().Items(DataCol);
    QPainter* lienzo = DBGrid1->Canvas();
    if (!columna || !lienzo || !columna->Field() || columna->Field()->DataType() != ftMemo) return;
    // The memo mark replaces the field's own text.
    lienzo->fillRect(
        Rect, (State & gdSelected) ? DBGrid1->palette().highlight() : DBGrid1->palette().base());
    DibujarCeldaMemo(fGENEINIC, DBGrid1, lienzo, Rect, DataCol);
}

void RegistrarTfGENEGANA() {
    if (!FormClassRegistered(QStringLiteral("TfGENEGANA")))
        RegisterFormClass<TfGENEGANA>(QStringLiteral("TfGENEGANA"));
}

namespace {
const bool registrado = [] {
    RegistrarTfGENEGANA();
    return true;
}();
}  // namespace
