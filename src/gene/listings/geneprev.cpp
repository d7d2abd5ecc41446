#include "gene/listings/geneprev.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>
#include <exception>
#include <memory>

#include "db/dberror.h"
#include "db/table.h"
#include "gene/session/genecomp.h"
#include "gene/data/geneexpt.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_programas.h"
#include "gene/data/genemodu.h"
#include "gene/data/generest.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "io/outputfile.h"
#include "report/bands.h"
#include "report/export.h"
#include "report/quickrep.h"
#include "ui/controls.h"
#include "ui/menus.h"

QPointer<TfGENEPREV> fGENEPREV;
QPointer<TQuickRep> InformeTablaExportacion;

namespace {

const QString kEnProgreso = QStringLiteral("En Progreso");
const QString kFinalizada = QStringLiteral("Finalizada");
const QString kNoGrabado = QStringLiteral("¡No ha sido posible grabar el informe!");

TSpeedButton* Boton(QWidget* padre, const char* nombre, const QString& texto, const QString& hint,
                    QStyle::StandardPixmap icono = QStyle::SP_CustomBase) {
    auto* b = new TSpeedButton(padre, texto);
    b->setObjectName(QLatin1String(nombre));
    b->setHint(hint);
    if (icono != QStyle::SP_CustomBase) {
        b->setIcon(b->style()->standardIcon(icono));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    return b;
}

TGroupBox* Grupo(QWidget* padre, const char* nombre, const QString& titulo) {
    auto* g = new TGroupBox(padre, titulo);
    g->setObjectName(QLatin1String(nombre));
    auto* fila = new QHBoxLayout(g);
    fila->setContentsMargins(4, 2, 4, 2);
    fila->setSpacing(2);
    return g;
}

}  // namespace

TfGENEPREV::TfGENEPREV(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEPREV"));
    setCaption(QStringLiteral("Previsualización de Informes"));
    setPosition(poScreenCenter);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setKeyPreview(true);
    setCursor(Qt::WaitCursor);  // until the first page is there

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    PanelBotones = new TPanel(this);
    PanelBotones->setObjectName(QStringLiteral("PanelBotones"));
    auto* botones = new QHBoxLayout(PanelBotones);
    botones->setContentsMargins(4, 2, 4, 2);

    GroupBoxPagina = Grupo(PanelBotones, "GroupBoxPagina", QStringLiteral("Página"));
    SpinEditPagina = new TSpinEdit(GroupBoxPagina);
    SpinEditPagina->setObjectName(QStringLiteral("SpinEditPagina"));
    SpinEditPagina->setRange(1, 999999);
    pbPrimeraPagina = Boton(GroupBoxPagina, "pbPrimeraPagina", QStringLiteral("|<"),
                            QStringLiteral("Ir a la primera página"), QStyle::SP_MediaSkipBackward);
    pbUltimaPagina = Boton(GroupBoxPagina, "pbUltimaPagina", QStringLiteral(">|"),
                           QStringLiteral("Ir a la última página"), QStyle::SP_MediaSkipForward);
    for (QWidget* w :
         {static_cast<QWidget*>(SpinEditPagina), static_cast<QWidget*>(pbPrimeraPagina),
          static_cast<QWidget*>(pbUltimaPagina)})
        GroupBoxPagina->layout()->addWidget(w);

    GroupBoxZoom = Grupo(PanelBotones, "GroupBoxZoom", QStringLiteral("Zoom"));
    SpinEditZoom = new TSpinEdit(GroupBoxZoom);
    SpinEditZoom->setObjectName(QStringLiteral("SpinEditZoom"));
    SpinEditZoom->setRange(10, 300);
    SpinEditZoom->setSingleStep(10);
    SpinEditZoom->setValue(100);
    pbZoomToFit = Boton(GroupBoxZoom, "pbZoomToFit", QStringLiteral("Página"),
                        QStringLiteral("Visualizar la página completa"));
    pbZoomTo100 = Boton(GroupBoxZoom, "pbZoomTo100", QStringLiteral("100%"),
                        QStringLiteral("Visualizar con Zoom=100%"));
    pbZoomToWidth = Boton(GroupBoxZoom, "pbZoomToWidth", QStringLiteral("Ancho"),
                          QStringLiteral("Visualizar el ancho de página completo"));
    for (QWidget* w : {static_cast<QWidget*>(SpinEditZoom), static_cast<QWidget*>(pbZoomToFit),
                       static_cast<QWidget*>(pbZoomTo100), static_cast<QWidget*>(pbZoomToWidth)})
        GroupBoxZoom->layout()->addWidget(w);

    GroupBoxImprimir = Grupo(PanelBotones, "GroupBoxImprimir", QStringLiteral("Imprimir"));
    pbImprimir = Boton(GroupBoxImprimir, "pbImprimir", QStringLiteral("Todo"),
                       QStringLiteral("Imprimir el documento"));
    pbImprimirPagina = Boton(GroupBoxImprimir, "pbImprimirPagina", QStringLiteral("Página"),
                             QStringLiteral("Imprimir solo la página actual"));
    GroupBoxImprimir->layout()->addWidget(pbImprimir);
    GroupBoxImprimir->layout()->addWidget(pbImprimirPagina);

    GroupBoxExportar = Grupo(PanelBotones, "GroupBoxExportar", QStringLiteral("Exportar"));
    pbExportar = Boton(GroupBoxExportar, "pbExportar", QStringLiteral("ASCII"),
                       QStringLiteral("Exportar el informe a formato ASCII"));
    pbExportarAExcel = Boton(
        GroupBoxExportar, "pbExportarAExcel", QStringLiteral("Excel"),
        QStringLiteral("Exportar los datos de la tabla principal del informe a formato Excel"));
    pbExportarAPDF = Boton(GroupBoxExportar, "pbExportarAPDF", QStringLiteral("PDF"),
                           QStringLiteral("Exportar los datos del informe a formato PDF"));
    for (QWidget* w : {static_cast<QWidget*>(pbExportar), static_cast<QWidget*>(pbExportarAExcel),
                       static_cast<QWidget*>(pbExportarAPDF)})
        GroupBoxExportar->layout()->addWidget(w);

    pbAyuda =
        Boton(PanelBotones, "pbAyuda", QStringLiteral("?"), QStringLiteral("Acceso a la ayuda"));
    pbSalir = Boton(PanelBotones, "pbSalir", QStringLiteral("&Salir"), QString());
    pbSalir->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QWidget* w : {static_cast<QWidget*>(GroupBoxPagina), static_cast<QWidget*>(GroupBoxZoom),
                       static_cast<QWidget*>(GroupBoxImprimir),
                       static_cast<QWidget*>(GroupBoxExportar), static_cast<QWidget*>(pbAyuda)})
        botones->addWidget(w);
    botones->addStretch(1);
    botones->addWidget(pbSalir);  // at the right edge
    raiz->addWidget(PanelBotones);

    QRPreview1 = new TQRPreview(this);
    raiz->addWidget(QRPreview1, 1);
    ProgressBar1 = new TProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    raiz->addWidget(ProgressBar1);

    MenuPrevisualizacion = new TPopupMenu(this);
    MenuPrevisualizacion->setObjectName(QStringLiteral("MenuPrevisualizacion"));
    CancelarelListado1 =
        new TMenuItem(MenuPrevisualizacion->Items(), QStringLiteral("CancelarelListado1"),
                      QStringLiteral("&Cancelar el Listado"), QKeySequence(Qt::Key_Escape));
    setPopupMenu(MenuPrevisualizacion);

    // The private report: Informe is never empty.
    propio_ = new TQuickRep(this);
    propio_->setObjectName(QStringLiteral("InformePropio"));
    setInforme(propio_);

    SpinEditPagina->OnChange = [this](QObject*) { SpinEditPaginaChange(); };
    SpinEditZoom->OnChange = [this](QObject*) { SpinEditZoomChange(); };
    pbPrimeraPagina->OnClick = [this](QObject*) { pbPrimeraPaginaClick(); };
    pbUltimaPagina->OnClick = [this](QObject*) { pbUltimaPaginaClick(); };
    pbZoomToFit->OnClick = [this](QObject*) { pbZoomToFitClick(); };
    pbZoomTo100->OnClick = [this](QObject*) { pbZoomTo100Click(); };
    pbZoomToWidth->OnClick = [this](QObject*) { pbZoomToWidthClick(); };
    pbImprimir->OnClick = [this](QObject* Sender) { pbImprimirClick(Sender); };
    pbImprimirPagina->OnClick = [this](QObject* Sender) { pbImprimirClick(Sender); };
    pbExportar->OnClick = [this](QObject*) { pbExportarClick(); };
    pbExportarAExcel->OnClick = [this](QObject*) { pbExportarAExcelClick(); };
    pbExportarAPDF->OnClick = [this](QObject*) { pbExportarAPDFClick(); };
    pbAyuda->OnClick = [this](QObject*) { pbAyudaClick(); };
    pbSalir->OnClick = [this](QObject*) { pbSalirClick(); };
    CancelarelListado1->OnClick = [this](QObject*) { CancelarelListado1Click(); };

    OnShow = [this](QObject*) { FormShow(); };
    OnClose = [this](QObject*, TCloseAction& Action) { FormClose(Action); };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        // Esc is the pop-up menu's: the listing's cancel, not the common one.
        if (Key == VK_ESCAPE) {
            Key = 0;
            CancelarelListado1Click();
            return;
        }
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    OnKeyPress = [this](QObject*, QChar& Key) {
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, this, Key);
    };

    setLeft(0);
    setTop(0);
    setWindowState(wsMaximized);
    if (fGENEINIC) PrepararFormulario(fGENEINIC, this);
}

TfGENEPREV::~TfGENEPREV() {
    // The report may outlive the window: its notices must not reach it.
    if (TQRPrinter* p = QRPreview1->QRPrinter()) {
        p->OnPageAvailable = nullptr;
        p->OnProgressUpdate = nullptr;
    }
}

TQuickRep* TfGENEPREV::Informe() const {
    return informe_ ? informe_.data() : propio_;
}

void TfGENEPREV::setInforme(TQuickRep* informe) {
    informe_ = informe ? informe : propio_;
    QPointer<TfGENEPREV> yo(this);
    informe_->AfterPrint = [yo](QObject*) {
        if (yo) yo->InformeFinalizado();
    };
}

void TfGENEPREV::setQRPrinter(TQRPrinter* printer) {
    QRPreview1->setQRPrinter(printer);
    if (!printer) return;
    QPointer<TfGENEPREV> yo(this);
    printer->OnPageAvailable = [yo](int n) {
        if (yo) yo->QRPreview1PageAvailable(n);
    };
    printer->OnProgressUpdate = [yo](int p) {
        if (yo) yo->QRPreview1ProgressUpdate(p);
    };
    printer->SetPreviewWindow(this);
}

void TfGENEPREV::InformeFinalizado() {
    EstadoInforme = kFinalizada;
    unsetCursor();  // also when the report made no page
    // A report that printed nothing ("No existen datos para listar", a
    // cancelled fill) leaves no empty window behind: hidden, the report's
    // Preview returns, and the window goes once its run has ended.
    const TQRPrinter* p = QRPreview1->QRPrinter();
    if (p && p->PageCount() == 0 && !ImpresionLanzada) {
        Hide();
        Release();
    }
}

void TfGENEPREV::FormShow() {
    SpinEditPagina->setRange(1, 999999);
    SpinEditPagina->setValue(1);
    PrimeraPagina = true;
    if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
}

bool TfGENEPREV::ocupado() const {
    const TQRPrinter* p = QRPreview1->QRPrinter();
    return (p && p->Busy()) || EstadoInforme == kEnProgreso;
}

void TfGENEPREV::FormClose(TCloseAction& Action) {
    if (ocupado()) {
        MensajeAdvertencia(QStringLiteral(
            "¡Debe esperar a que finalice el informe para cerrar la previsualización!"));
        Action = caNone;
        return;
    }
    Action = caFree;
}

void TfGENEPREV::QRPreview1PageAvailable(int PageNumber) {
    unsetCursor();
    NumeroPaginas = PageNumber;
    // The field follows the pages as they come, so that every page made can
    // be reached.
    SpinEditPagina->setMaximum(qMax(1, NumeroPaginas));
    QRPreview1->PaginasCambiadas();
    if (!PrimeraPagina) return;
    PrimeraPagina = false;
    SpinEditPagina->setRange(1, qMax(1, NumeroPaginas));
    SpinEditPagina->setValue(1);
    QRPreview1->setPageNumber(1);
    const QString formato = ParametroGeneral(ModuloDatos, QStringLiteral("FmtVisualizacionPrevia"));
    if (formato == QLatin1String("Normal")) {
        QRPreview1->setZoom(100);
    } else if (formato == QLatin1String("Pagina Completa")) {
        QRPreview1->ZoomToFit();
    } else if (formato == QLatin1String("Ancho Ajustado")) {
        QRPreview1->ZoomToWidth();
    } else {
        bool ok = false;
        const int zoom = formato.trimmed().toInt(&ok);
        QRPreview1->setZoom(ok ? zoom : 100);
    }
    SpinEditZoom->setValue(QRPreview1->Zoom());
}

void TfGENEPREV::QRPreview1ProgressUpdate(int Progress) {
    if (Progress > 0) PaginasEnCurso = true;
    ProgressBar1->setValue(Progress);
    if (ProgressBar1->value() >= ProgressBar1->maximum()) ProgressBar1->hide();
}

void TfGENEPREV::SpinEditPaginaChange() {
    int pagina = SpinEditPagina->value();
    if (pagina > NumeroPaginas) pagina = NumeroPaginas;
    if (pagina < 1) pagina = 1;
    if (pagina != SpinEditPagina->value()) SpinEditPagina->setValue(pagina);
    QRPreview1->setPageNumber(pagina);
}

void TfGENEPREV::SpinEditZoomChange() {
    QRPreview1->setZoom(SpinEditZoom->value());
}

void TfGENEPREV::pbZoomToFitClick() {
    QRPreview1->ZoomToFit();
    SpinEditZoom->setValue(QRPreview1->Zoom());
}

void TfGENEPREV::pbZoomToWidthClick() {
    QRPreview1->ZoomToWidth();
    SpinEditZoom->setValue(QRPreview1->Zoom());
}

void TfGENEPREV::pbZoomTo100Click() {
    QRPreview1->setZoom(100);
    SpinEditZoom->setValue(QRPreview1->Zoom());
}

void TfGENEPREV::pbPrimeraPaginaClick() {
    QRPreview1->setPageNumber(1);
    SpinEditPagina->setValue(QRPreview1->PageNumber());
}

void TfGENEPREV::pbUltimaPaginaClick() {
    QRPreview1->setPageNumber(qMax(1, NumeroPaginas));
    SpinEditPagina->setValue(QRPreview1->PageNumber());
}

void TfGENEPREV::pbImprimirClick(QObject* Sender) {
    if (ocupado()) {
        MensajeAdvertencia(QStringLiteral("¡Debe esperar a que finalice el informe en curso!"));
        return;
    }
    const bool soloPagina = Sender == pbImprimirPagina;
    TQuickRep* informe = Informe();
    PaginasEnCurso = false;
    ImpresionLanzada = true;
    RestriccionesListado.PrimeraPagina = true;  // the printed copy carries the block again
    // However the print ends, the window can close afterwards.
    struct Fin {
        TfGENEPREV* w;
        ~Fin() {
            if (w->EstadoInforme == kEnProgreso) w->EstadoInforme = kFinalizada;
        }
    } fin{this};
    if (ParametroGeneral(ModuloDatos, QStringLiteral("SolicitarDialogoImpresora")) ==
        QLatin1String("NO")) {
        EstadoInforme = kEnProgreso;
        const int pagina = soloPagina ? QRPreview1->PageNumber() : 0;
        ImprimirPaginasInforme(informe, pagina, pagina);
        return;
    }
    if (!DialogoImpresora(ModuloDatos, informe)) return;
    if (soloPagina) {
        informe->PrinterSettings.FirstPage = SpinEditPagina->value();
        informe->PrinterSettings.LastPage = SpinEditPagina->value();
    }
    EstadoInforme = kEnProgreso;
    ImprimirInformeEn(informe, PrintDialog1(ModuloDatos)->Printer());
}

void TfGENEPREV::pbExportarClick() {
    TFileDialog* d = SaveDialog1(ModuloDatos);
    FiltroGuardado filtro(d);
    d->FileName = QStringLiteral("INFORME");
    d->Filter = QStringLiteral(
        "Archivos de Texto (*.TXT)|*.TXT|Formato CSV (*.CSV)|*.CSV|Documento HTML (*.HTM)|*.HTM");
    d->FilterIndex = 1;
    if (!d->Execute()) return;
    bool escrito = false;
    int perdidos = 0;
    try {
        TQRPrinter* paginas = QRPreview1->QRPrinter();
        if (!paginas) paginas = Informe()->QRPrinter();
        std::unique_ptr<TQRExportFilter> f;
        switch (d->FilterIndex) {
            case 2:
                f = std::make_unique<TQRCSVFilter>(d->FileName + QStringLiteral(".CSV"));
                break;
            case 3:
                f = std::make_unique<TQRHTMLFilter>(d->FileName + QStringLiteral(".HTM"));
                break;
            default:
                f = std::make_unique<TQRTextFilter>(d->FileName + QStringLiteral(".TXT"));
                break;
        }
        escrito = paginas->ExportToFilter(*f);
        perdidos = f->LossyValues();
    } catch (...) {
        escrito = false;
    }
    if (!escrito) {
        MensajeAdvertencia(kNoGrabado);
        return;
    }
    // The text file keeps its character set; what it could not hold is told once.
    if (perdidos > 0) MensajeAdvertencia(AvisoValoresConInterrogacion(perdidos));
}

void TfGENEPREV::pbExportarAPDFClick() {
    TFileDialog* d = SaveDialog1(ModuloDatos);
    FiltroGuardado filtro(d);
    d->FileName = nombreFormularioInforme();
    d->Filter = QStringLiteral("Archivos PDF (*.PDF)|*.PDF");
    d->FilterIndex = 1;
    if (!d->Execute()) return;
    // The output gets ".pdf" once: a name typed with it keeps just that one.
    QString nombre = d->FileName;
    if (nombre.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) nombre.chop(4);
    try {
        ImprimirInforme(ModuloDatos, Informe(),
                        QStringLiteral("PDF:") + nombre + QStringLiteral(".pdf"));
    } catch (...) {
        MensajeAdvertencia(kNoGrabado + QStringLiteral(" Motivo: ") +
                           TextoExcepcion(std::current_exception()));
    }
}

void TfGENEPREV::pbExportarAExcelClick() {
    if (MensajeConfirmacion(QStringLiteral(
            "No se garantiza que la exportación a hoja Excel desde la previsualización muestre "
            "todos los datos que espera. ¿Desea continuar en cualquier caso?")) ==
        QLatin1String("NO"))
        return;
    TQuickRep* informe = Informe();
    TDataSet* datos = informe->DataSet();
    TDataSet* detalle = nullptr;
    TTable* exportacion = ModuloDatos ? ModuloDatos->QR_Export_Table : nullptr;
    if (exportacion && exportacion->Active() && InformeTablaExportacion == informe) {
        datos = exportacion;
    } else {
        // A band named "Detail" counts only when it is a sub-detail with data.
        auto* sub = qobject_cast<TQRSubDetail*>(BuscarComponente(
            informe->parent() ? informe->parent() : informe, QStringLiteral("Detail")));
        if (sub && sub->DataSet()) detalle = sub->DataSet();
    }
    ExportarExcel(ModuloDatos, datos, detalle, nombreFormularioInforme(), QString());
}

void TfGENEPREV::CancelarelListado1Click() {
    TQuickRep* informe = Informe();
    auto* tabla = qobject_cast<TTable*>(informe->DataSet());
    if (!PaginasEnCurso && tabla && !EsTablaTemporal(tabla->TableName())) return;
    if (PaginasEnCurso) {
        MensajeAdvertencia(QStringLiteral("¡No es posible cancelar el listado en este momento!"));
        return;
    }
    ListadoCancelado =
        MensajeConfirmacion(QStringLiteral("El listado será cancelado a continuación. ¿Desea "
                                           "continuar con el listado?")) != QLatin1String("SI");
    if (!ListadoCancelado || !ImpresionLanzada) return;
    EstadoInforme = kFinalizada;
    try {
        if (TQRPrinter* p = QRPreview1->QRPrinter()) p->Abort();
    } catch (...) {
    }
    Close();
}

void TfGENEPREV::pbAyudaClick() {
    bool ok = false;
    int contexto = ValorLista(Caption(), MapaContextos).trimmed().toInt(&ok);
    if (!ok) contexto = 0;
    if (fGENEINIC) MostrarAyuda(fGENEINIC, contexto);
}

void TfGENEPREV::pbSalirClick() {
    Close();
}

QString TfGENEPREV::nombreFormularioInforme() const {
    const TQuickRep* informe = Informe();
    return informe->parent() ? informe->parent()->objectName() : informe->objectName();
}

TfGENEPREV* PrevisualizarInforme(TQuickRep* Informe, QWidget* Dueno) {
    auto* w = new TfGENEPREV;
    if (Dueno) w->setParent(Dueno, Qt::Window);
    fGENEPREV = w;
    w->setInforme(Informe);
    w->setQRPrinter(Informe->QRPrinter());
    w->Show();
    return w;
}

void InstalarPrevisualizacion() {
    TQuickRep::SetPreviewHook([](TQuickRep* Informe) { PrevisualizarInforme(Informe); });
}
