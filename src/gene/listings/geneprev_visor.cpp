// The page viewer of the preview window.

#include <QPainter>
#include <QScrollBar>

#include "gene/listings/geneprev.h"
#include "report/quickrep.h"

namespace {
constexpr int kBorde = 12;  // grey around the page
constexpr double kMmPorPulgada = 25.4;
}  // namespace

class TQRPreview::Hoja : public QWidget {
public:
    explicit Hoja(TQRPreview* visor) : QWidget(visor), visor_(visor) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(128, 128, 128));
        const QSize pagina = visor_->tamanoPagina();
        const QRect r(kBorde, kBorde, pagina.width(), pagina.height());
        p.fillRect(r.translated(3, 3), QColor(64, 64, 64));
        p.fillRect(r, Qt::white);
        TQRPrinter* printer = visor_->printer_;
        if (!printer || visor_->page_ > printer->PageCount()) return;
        p.setClipRect(r);
        p.translate(r.topLeft());
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        printer->DrawPage(p, visor_->page_, kQRUnitsPerInch * visor_->zoom_ / 100.0);
    }

private:
    TQRPreview* visor_;
};

TQRPreview::TQRPreview(QWidget* parent) : QScrollArea(parent), hoja_(new Hoja(this)) {
    setObjectName(QStringLiteral("QRPreview1"));
    setAlignment(Qt::AlignCenter);
    setBackgroundRole(QPalette::Dark);
    setWidget(hoja_);
    ajustar();
}

TQRPrinter* TQRPreview::QRPrinter() const {
    return printer_;
}

void TQRPreview::setQRPrinter(TQRPrinter* printer) {
    printer_ = printer;
    page_ = 1;
    ajustar();
}

void TQRPreview::setPageNumber(int page) {
    page_ = qMax(1, page);
    hoja_->update();
}

void TQRPreview::setZoom(int percent) {
    zoom_ = qBound(5, percent, 500);
    ajustar();
}

QSize TQRPreview::tamanoPagina() const {
    const QSizeF mm = printer_ ? printer_->SheetSize() : QSizeF(210, 297);
    const double escala = kQRUnitsPerInch * zoom_ / 100.0 / kMmPorPulgada;
    return QSize(qRound(mm.width() * escala), qRound(mm.height() * escala));
}

void TQRPreview::ZoomToFit() {
    const QSizeF mm = printer_ ? printer_->SheetSize() : QSizeF(210, 297);
    const double a100 = kQRUnitsPerInch / kMmPorPulgada;  // pixels per mm at 100 %
    const QSize v = viewport()->size() - QSize(2 * kBorde + 4, 2 * kBorde + 4);
    const double zx = v.width() / (mm.width() * a100);
    const double zy = v.height() / (mm.height() * a100);
    setZoom(qMax(1, int(qMin(zx, zy) * 100)));
}

void TQRPreview::ZoomToWidth() {
    const QSizeF mm = printer_ ? printer_->SheetSize() : QSizeF(210, 297);
    const double a100 = kQRUnitsPerInch / kMmPorPulgada;
    const int ancho =
        viewport()->width() - 2 * kBorde - 4 - verticalScrollBar()->sizeHint().width();
    setZoom(qMax(1, int(ancho / (mm.width() * a100) * 100)));
}

void TQRPreview::PaginasCambiadas() {
    ajustar();
}

void TQRPreview::ajustar() {
    const QSize pagina = tamanoPagina();
    hoja_->resize(pagina.width() + 2 * kBorde + 4, pagina.height() + 2 * kBorde + 4);
    hoja_->update();
}
