#include "gene/print/genelimp.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPicture>
#include <QPrinter>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include "db/datasource.h"
#include "db/table.h"
#include "ui/controls.h"
#include "ui/registry.h"

QString NombreLlamadorImpreso;
bool PrevisualizarImpreso = false;
QString CodigoImpreso;
bool OmitirDialogoImpresora = false;
TSumaImpreso SumasImpreso[MaximoSumasImpreso];
TfGENELIMP* fGENELIMP = nullptr;

namespace {
TSeamImpreso seamImpreso;

TSpeedButton* boton(QWidget* padre, const char* nombre, const QString& texto,
                    const QString& ayuda) {
    auto* b = new TSpeedButton(padre);
    b->setObjectName(QLatin1String(nombre));
    b->setText(texto);
    b->setToolTip(ayuda);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}
}  // namespace

void AsignarSeamImpreso(TSeamImpreso seam) {
    seamImpreso = std::move(seam);
}

QString DestinoSeamImpreso(const QString& Impresora) {
    return seamImpreso ? seamImpreso(Impresora) : QString();
}

TfGENELIMP::TfGENELIMP(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENELIMP"));
    setKeyPreview(true);
    setWindowState(wsMaximized);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    auto* barra = new TPanel(this);
    barra->setObjectName(QStringLiteral("PanelBotones"));
    auto* botones = new QHBoxLayout(barra);
    botones->setContentsMargins(4, 2, 4, 2);
    auto* etiquetaPagina = new QLabel(QStringLiteral("Página"), barra);
    SpinEditPagina = new TSpinEdit(barra);
    SpinEditPagina->setObjectName(QStringLiteral("SpinEditPagina"));
    SpinEditPagina->setRange(0, 99999);
    pbPrimeraPagina = boton(barra, "pbPrimeraPagina", QStringLiteral("|<"),
                            QStringLiteral("Ir a la primera página"));
    pbUltimaPagina = boton(barra, "pbUltimaPagina", QStringLiteral(">|"),
                           QStringLiteral("Ir a la última página"));
    auto* etiquetaZoom = new QLabel(QStringLiteral("Zoom"), barra);
    SpinEditZoom = new TSpinEdit(barra);
    SpinEditZoom->setObjectName(QStringLiteral("SpinEditZoom"));
    SpinEditZoom->setRange(10, 300);
    SpinEditZoom->setSingleStep(10);
    SpinEditZoom->setValue(100);
    pbZoomToFit = boton(barra, "pbZoomToFit", QStringLiteral("Página"),
                        QStringLiteral("Visualizar la página completa"));
    pbZoomTo100 = boton(barra, "pbZoomTo100", QStringLiteral("100%"),
                        QStringLiteral("Visualizar con Zoom=100%"));
    pbZoomToWidth = boton(barra, "pbZoomToWidth", QStringLiteral("Ancho"),
                          QStringLiteral("Visualizar el ancho de página completo"));
    pbImprimir =
        boton(barra, "pbImprimir", QStringLiteral("Imprimir"), QStringLiteral("Imprimir todo"));
    pbImprimirPagina =
        boton(barra, "pbImprimirPagina", QStringLiteral("Documento"),
              QStringLiteral("Imprimir solo el Documento Asociado a la página actual"));
    pbExportarAExcel = boton(barra, "pbExportarAExcel", QStringLiteral("Exportar"),
                             QStringLiteral("Exportar los registros base de este impreso a Excel"));
    pbExportarAPDF = boton(barra, "pbExportarAPDF", QStringLiteral("PDF"),
                           QStringLiteral("Exportar los datos del informe a formato PDF"));
    pbAyuda = boton(barra, "pbAyuda", QStringLiteral("?"), QStringLiteral("Acceso a la ayuda"));
    pbSalir = new TButton(barra);
    pbSalir->setObjectName(QStringLiteral("pbSalir"));
    pbSalir->setText(QStringLiteral("&Salir"));
    pbSalir->setDefault(true);
    for (QWidget* w : std::initializer_list<QWidget*>{
             etiquetaPagina, SpinEditPagina, pbPrimeraPagina, pbUltimaPagina, etiquetaZoom,
             SpinEditZoom, pbZoomToFit, pbZoomTo100, pbZoomToWidth, pbImprimir, pbImprimirPagina,
             pbExportarAExcel, pbExportarAPDF, pbAyuda})
        botones->addWidget(w);
    botones->addStretch(1);
    botones->addWidget(pbSalir);
    botones->addSpacing(16);  // the exit button stands 16 pixels from the right edge
    raiz->addWidget(barra);
    ScrollBox1 = new TScrollBox(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    Image1 = new QLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    ScrollBox1->setWidget(Image1);
    raiz->addWidget(ScrollBox1, 1);

    Temporal = new TTable(this);
    Temporal->setObjectName(QStringLiteral("Temporal"));
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Temporal);
    LTemporal = new TTable(this);
    LTemporal->setObjectName(QStringLiteral("LTemporal"));
    LTemporal->setMasterSource(DataSource1);
    Impreso = new TTable(this);
    Impreso->setObjectName(QStringLiteral("Impreso"));
    Impreso->setTableName(QStringLiteral("IMPRESO"));
}

TfGENELIMP::~TfGENELIMP() = default;

bool TfGENELIMP::DestinoPDF() const {
    return DestinoImpreso.startsWith(QLatin1String("PDF:"));
}

QString TfGENELIMP::CarpetaTrabajo() {
    if (!carpeta_) carpeta_ = std::make_unique<QTemporaryDir>();
    return carpeta_->path();
}

void RegistrarTfGENELIMP() {
    if (!FormClassRegistered(QStringLiteral("TfGENELIMP")))
        RegisterFormClass<TfGENELIMP>(QStringLiteral("TfGENELIMP"));
}

namespace {
const bool registrado = [] {
    RegistrarTfGENELIMP();
    return true;
}();
}  // namespace
