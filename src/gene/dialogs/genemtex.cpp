#include "gene/dialogs/genemtex.h"

#include <QGridLayout>

#include "db/datasource.h"
#include "db/table.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/mensajes.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/menus.h"
#include "ui/registry.h"

TfGENEMTEX* fGENEMTEX = nullptr;

namespace {

TDBEdit* NuevoEdit(QWidget* padre, const char* nombre, TDataSource* fuente, const char* campo) {
    auto* e = new TDBEdit(padre);
    e->setObjectName(QLatin1String(nombre));
    e->setDataSource(fuente);
    e->setDataField(QLatin1String(campo));
    return e;
}

TLabel* NuevaEtiqueta(QWidget* padre, const char* nombre, const QString& caption,
                      QWidget* control) {
    auto* l = new TLabel(padre, caption);
    l->setObjectName(QLatin1String(nombre));
    l->setFocusControl(control);
    return l;
}

}  // namespace

TfGENEMTEX::TfGENEMTEX(QWidget* owner)
    : TMaestroFicha(owner, QStringLiteral("fGENEMTEX"), QStringLiteral("Maestro de Textos"),
                    QStringLiteral("TEXTO")) {
    auto* datos = new QWidget(this);
    auto* rejilla = new QGridLayout(datos);
    EditCodigo = NuevoEdit(datos, "EditCodigo", DataSource1, "Codigo");
    EditDescripcion = NuevoEdit(datos, "EditDescripcion", DataSource1, "Descripcion");
    MemoTexto = new TDBMemo(datos);
    MemoTexto->setObjectName(QStringLiteral("MemoTexto"));
    MemoTexto->setDataSource(DataSource1);
    MemoTexto->setDataField(QStringLiteral("Texto"));
    EditTipo = new TDBComboBox(datos);
    EditTipo->setObjectName(QStringLiteral("EditTipo"));
    EditTipo->setDataSource(DataSource1);
    EditTipo->setDataField(QStringLiteral("Tipo"));
    EditTipo->setItems({QStringLiteral("Plantilla")});
    LabelCodigo = NuevaEtiqueta(datos, "LabelCodigo", QStringLiteral("Código"), EditCodigo);
    LabelDescripcion =
        NuevaEtiqueta(datos, "LabelDescripcion", QStringLiteral("Descripción"), EditDescripcion);
    LabelTexto = NuevaEtiqueta(datos, "LabelTexto", QStringLiteral("Texto"), MemoTexto);
    LabelTipo = NuevaEtiqueta(datos, "LabelTipo", QStringLiteral("Tipo"), EditTipo);
    rejilla->addWidget(LabelCodigo, 0, 0);
    rejilla->addWidget(EditCodigo, 0, 1);
    rejilla->addWidget(LabelTipo, 0, 2);
    rejilla->addWidget(EditTipo, 0, 3);
    rejilla->addWidget(LabelDescripcion, 1, 0);
    rejilla->addWidget(EditDescripcion, 1, 1, 1, 3);
    rejilla->addWidget(LabelTexto, 2, 0, Qt::AlignTop);
    rejilla->addWidget(MemoTexto, 2, 1, 1, 3);
    rejilla->setColumnStretch(1, 1);
    rejilla->setRowStretch(2, 1);
    AreaDatos->addWidget(datos, 1);
    CampoClave = EditCodigo;

    // "&Listar Ficha Actual" stands before the closing items of the menu.
    ListarFichaActual1 = new TMenuItem(Ficha1, QStringLiteral("ListarFichaActual1"),
                                       QStringLiteral("&Listar Ficha Actual"));
    Ficha1->Remove(ListarFichaActual1);
    Ficha1->Insert(Ficha1->IndexOf(Cerrar1) - 1, ListarFichaActual1);
    FormatoOriginal1 = new TMenuItem(ListarFichaActual1, QStringLiteral("FormatoOriginal1"),
                                     QStringLiteral("&Formato Original"));
    APaginaCompleta1 = new TMenuItem(ListarFichaActual1, QStringLiteral("APaginaCompleta1"),
                                     QStringLiteral("&A Página Completa"));
    resize(560, 420);

    FormatoOriginal1->OnClick = [this](QObject* s) { FormatoOriginal1Click(s); };
    APaginaCompleta1->OnClick = [this](QObject* s) { APaginaCompleta1Click(s); };
    // The form's own close check: the common one of the framework stays out.
    OnCloseQuery = [this](QObject* s, bool& c) { FormCloseQuery(s, c); };
    fGENEMTEX = this;
}

TfGENEMTEX::~TfGENEMTEX() {
    if (fGENEMTEX == this) fGENEMTEX = nullptr;
}

void TfGENEMTEX::Table1BeforeInsert(TDataSet* DataSet) {
    TMaestroFicha::Table1BeforeInsert(DataSet);
    EditCodigo->SetFocus();
}

void TfGENEMTEX::Table1AfterPost(TDataSet* DataSet) {
    ActualizarRegistroSQL(ModuloDatos, Table1);
    TMaestroFicha::Table1AfterPost(DataSet);
}

void TfGENEMTEX::FormCloseQuery(QObject*, bool& CanClose) {
    CanClose = !Editando();
    if (!CanClose)
        MensajeAdvertencia(
            QStringLiteral("¡ Debe grabar o cancelar la edición antes de cerrar la ventana !"));
}

void TfGENEMTEX::FormatoOriginal1Click(QObject*) {
    ImprimirFicha(false);
}

void TfGENEMTEX::APaginaCompleta1Click(QObject*) {
    ImprimirFicha(true);
}

void TfGENEMTEX::ImprimirFicha(bool AjustarPagina) {
    ImprimirImagenFormulario(ModuloDatos, this, AjustarPagina);
}

void RegistrarTfGENEMTEX() {
    if (!FormClassRegistered(QStringLiteral("TfGENEMTEX")))
        RegisterFormClass<TfGENEMTEX>(QStringLiteral("TfGENEMTEX"));
}

namespace {
const bool registrado = [] {
    RegistrarTfGENEMTEX();
    return true;
}();
}  // namespace
