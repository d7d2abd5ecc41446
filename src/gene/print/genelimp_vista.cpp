// The engine form as the preview window: the job's pages one at a time,
// paging, zoom, the measurement grid, printing all documents or the shown
// page's document, and the exports.

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPicture>
#include <QScreen>

#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneexpt.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_programas.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/mensajes.h"
#include "gene/print/genelimp.h"
#include "gene/print/genelimp_p.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"

void TfGENELIMP::ConectarVista() {
    connect(SpinEditPagina, &QSpinBox::valueChanged, this, [this] { SpinEditPaginaChange(); });
    connect(SpinEditZoom, &QSpinBox::valueChanged, this, [this] { SpinEditZoomChange(); });
    using Accion = void (TfGENELIMP::*)();
    const std::pair<QToolButton*, Accion> botones[] = {
        {pbPrimeraPagina, &TfGENELIMP::pbPrimeraPaginaClick},
        {pbUltimaPagina, &TfGENELIMP::pbUltimaPaginaClick},
        {pbZoomToFit, &TfGENELIMP::pbZoomToFitClick},
        {pbZoomTo100, &TfGENELIMP::pbZoomTo100Click},
        {pbZoomToWidth, &TfGENELIMP::pbZoomToWidthClick},
        {pbImprimir, &TfGENELIMP::pbImprimirClick},
        {pbImprimirPagina, &TfGENELIMP::pbImprimirPaginaClick},
        {pbExportarAExcel, &TfGENELIMP::pbExportarAExcelClick},
        {pbExportarAPDF, &TfGENELIMP::pbExportarAPDFClick},
        {pbAyuda, &TfGENELIMP::pbAyudaClick}};
    for (const auto& [boton, accion] : botones)
        connect(boton, &QToolButton::clicked, this, [this, a = accion] { (this->*a)(); });
    connect(pbSalir, &QPushButton::clicked, this, [this] { pbSalirClick(); });
    // The common keys of every form: Esc sets ListadoCancelado, which stops
    // a running generation (the pages made stay in the preview); Enter moves
    // on as Tab.
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    OnKeyPress = [this](QObject*, QChar& Key) {
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, this, Key);
    };
    OnClose = [this](QObject*, TCloseAction& Accion) {
        // Closing while pages are still made stops the job; the pages stay.
        if (Generando) ListadoCancelado = true;
        VistaCerrada = true;
        Accion = caHide;
    };
}

namespace {
QString tituloVista(const QString& descripcion) {
    return descripcion.isEmpty() ? QStringLiteral("Previsualización de Impresos")
                                 : QStringLiteral("Previsualización de ") + descripcion;
}
}  // namespace

// The format of page n (from 1): the one it was drawn with, else the job's.
QString TfGENELIMP::DescripcionPagina(int n) const {
    if (n >= 1 && n <= DescripcionesPaginas.size()) return DescripcionesPaginas.at(n - 1);
    return CampoImpreso("Descripcion");
}

void TfGENELIMP::FormShow() {
    SoloDocumentoActual = false;
    setCaption(tituloVista(DescripcionPagina(1)));
    {
        const QSignalBlocker b(SpinEditPagina);
        SpinEditPagina->setValue(1);
    }
    const QString fmt = ParametroGeneral(ModuloDatos, QStringLiteral("FmtVisualizacionPrevia"));
    if (fmt == QLatin1String("Pagina Completa"))
        pbZoomToFitClick();
    else if (fmt == QLatin1String("Ancho Ajustado"))
        pbZoomToWidthClick();
    else {
        bool ok = false;
        const int z = fmt.toInt(&ok);
        const QSignalBlocker b(SpinEditZoom);
        SpinEditZoom->setValue(ok ? z : 100);
    }
    MostrarPagina(1);
}

QImage TfGENELIMP::ImagenPaginaMostrada() const {
    const int n = SpinEditPagina->value();
    if (n < 1 || n > int(Paginas.size())) return QImage();
    const double zoom = SpinEditZoom->value() / 100.0;
    QImage imagen(qRound(AnchoPixels * zoom), qRound(AltoPixels * zoom), QImage::Format_RGB32);
    imagen.fill(Qt::white);
    QPainter p(&imagen);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(zoom, zoom);
    p.drawPicture(0, 0, *Paginas.at(n - 1));
    if (!regla_.isNull()) {
        // The grid shows through the white areas only.
        p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        p.drawImage(0, 0, regla_);
    }
    p.end();
    return imagen;
}

void TfGENELIMP::MostrarPagina(int Pagina) {
    if (Pagina < 1 || Pagina > int(Paginas.size())) return;
    const QImage imagen = ImagenPaginaMostrada();
    Image1->setPixmap(QPixmap::fromImage(imagen));
    Image1->resize(imagen.size());
    setCaption(tituloVista(DescripcionPagina(Pagina)));
}

void TfGENELIMP::DibujarRegla() {
    regla_ = QImage();
    if (ParametroGeneral(ModuloDatos, QStringLiteral("PrevisualizacionSinRegla")) ==
        QLatin1String("SI"))
        return;
    regla_ = QImage(AnchoPixels, AltoPixels, QImage::Format_RGB32);
    regla_.fill(Qt::white);
    QPainter p(&regla_);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(8);  // "Small Fonts" 6 points on the screen
    p.setFont(f);
    const double ux = ModoTexto ? 2.54 : 1.0, uy = ModoTexto ? 4.23333 : 1.0;
    const int paso = ModoTexto ? 6 : 10;
    for (int i = 0; i <= int(AnchoPapel); i += 10) {
        const int x = qRound(i * ux * AnchoPixels / AnchoPapel);
        p.setPen(QColor(0xC0, 0xC0, 0xC0));
        p.drawLine(x, 0, x, AltoPixels);
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawText(x + 1, 9, QString::number(i));
    }
    for (int i = 0; i <= int(AltoPapel); i += paso) {
        const int y = qRound(i * uy * AltoPixels / AltoPapel);
        p.setPen(QColor(0xC0, 0xC0, 0xC0));
        p.drawLine(0, y, AnchoPixels, y);
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawText(1, y + 9, QString::number(i));
    }
}

void TfGENELIMP::PaginaTerminada() {
    if (!VistaPrevia) return;
    if (!isVisible()) {
        FormShow();
        setWindowModality(Qt::ApplicationModal);
        show();
        raise();
    }
}

void TfGENELIMP::ActualizarBotonesVista() {
    for (QWidget* b : std::initializer_list<QWidget*>{pbImprimir, pbImprimirPagina,
                                                      pbExportarAExcel, pbExportarAPDF})
        b->setEnabled(!Generando);
}

void TfGENELIMP::EsperarVistaPrevia() {
    if (!isVisible()) FormShow();
    ShowModal();
}

void TfGENELIMP::SpinEditPaginaChange() {
    if (Dispositivo == Impresora) return;
    const int paginas = int(Paginas.size());
    int n = SpinEditPagina->value();
    if (n < 1) n = 1;
    if (n > paginas) n = paginas;
    if (n != SpinEditPagina->value()) {
        const QSignalBlocker b(SpinEditPagina);
        SpinEditPagina->setValue(n);
    }
    MostrarPagina(n);
}

void TfGENELIMP::SpinEditZoomChange() {
    MostrarPagina(SpinEditPagina->value());
}

void TfGENELIMP::pbPrimeraPaginaClick() {
    SpinEditPagina->setValue(1);
}

void TfGENELIMP::pbUltimaPaginaClick() {
    SpinEditPagina->setValue(int(Paginas.size()));
}

namespace {
QSize pantalla() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize(1024, 768);
}
}  // namespace

void TfGENELIMP::pbZoomToWidthClick() {
    SpinEditZoom->setValue(qRound((pantalla().width() - 8) * 100.0 / AnchoPixels));
}

void TfGENELIMP::pbZoomToFitClick() {
    const int ancho = qRound((pantalla().width() - 8) * 100.0 / AnchoPixels);
    const int alto = qRound((pantalla().height() - 76) * 100.0 / AltoPixels);
    SpinEditZoom->setValue(qMin(ancho, alto));
}

void TfGENELIMP::pbZoomTo100Click() {
    SpinEditZoom->setValue(100);
}

void TfGENELIMP::pbImprimirClick() {
    if (Generando) return;
    TBusyForm ocupado(this);
    // An Esc that stopped the preview's generation does not stop this print.
    ListadoCancelado = false;
    const int paginas = ContadorPaginas;
    Dispositivo = Impresora;
    VistaPrevia = false;
    GenerarImpreso();
    Dispositivo = Pantalla;
    VistaPrevia = true;
    // The selector never passes the stored pages.
    ContadorPaginas = paginas;
}

void TfGENELIMP::pbImprimirPaginaClick() {
    if (Generando) return;
    const int n = SpinEditPagina->value();
    if (n < 1 || n > ClavesPaginas.size()) return;
    TBusyForm ocupado(this);
    ListadoCancelado = false;
    const int paginas = ContadorPaginas;
    SoloDocumentoActual = true;
    ClaveDocumentoActual = ClavesPaginas.at(n - 1);
    Dispositivo = Impresora;
    VistaPrevia = false;
    GenerarImpreso();
    Dispositivo = Pantalla;
    VistaPrevia = true;
    ContadorPaginas = paginas;
    SoloDocumentoActual = false;
}

void TfGENELIMP::pbExportarAExcelClick() {
    if (Generando) return;
    ExportarExcel(ModuloDatos, Temporal, LTemporal->Active() ? LTemporal : nullptr, QString(),
                  QString());
}

void TfGENELIMP::pbExportarAPDFClick() {
    if (Generando) return;
    TBusyForm ocupado(this);
    TFileDialog* dialogo = SaveDialog1(ModuloDatos);
    const FiltroGuardado filtro(dialogo);
    // The file holds the whole job: named after the format it starts with.
    const QString descripcion = DescripcionPagina(1);
    dialogo->FileName = descripcion.isEmpty() ? QStringLiteral("Impreso") : descripcion;
    dialogo->Filter = QStringLiteral("Archivos PDF (*.PDF)|*.PDF");
    dialogo->FilterIndex = 1;
    if (!dialogo->Execute()) return;
    ListadoCancelado = false;
    QString archivo = dialogo->FileName;
    if (!archivo.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        archivo += QStringLiteral(".pdf");

    // The preview keeps its pages and its target: the export runs the job
    // again into the file.
    std::vector<std::unique_ptr<QPicture>> paginas = std::move(Paginas);
    const QStringList claves = ClavesPaginas;
    const QStringList descripciones = DescripcionesPaginas;
    const int contador = ContadorPaginas, ancho = AnchoPixels, alto = AltoPixels;
    const QString destino = DestinoImpreso;
    Paginas.clear();
    ClavesPaginas.clear();
    DescripcionesPaginas.clear();
    DestinoImpreso = QStringLiteral("PDF:") + archivo;
    bool bien = true;
    try {
        EjecutarImpreso();
    } catch (...) {
        bien = false;
    }
    DestinoImpreso = destino;
    Paginas = std::move(paginas);
    ClavesPaginas = claves;
    DescripcionesPaginas = descripciones;
    ContadorPaginas = contador;
    AnchoPixels = ancho;
    AltoPixels = alto;
    Dispositivo = Pantalla;
    VistaPrevia = true;
    if (!bien) MensajeAdvertencia(QStringLiteral("¡No ha sido posible grabar el informe!"));
}

void TfGENELIMP::pbAyudaClick() {
    int contexto = 0;
    for (const QString& l : MapaContextos)
        if (l.section(QLatin1Char('='), 0, 0) == Caption()) {
            contexto = l.section(QLatin1Char('='), 1).toInt();
            break;
        }
    if (fGENEINIC) MostrarAyuda(fGENEINIC, contexto);
}

void TfGENELIMP::pbSalirClick() {
    Close();
}
