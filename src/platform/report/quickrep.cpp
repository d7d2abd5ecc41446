#include "report/quickrep.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFontMetricsF>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QPrinter>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <vector>

#include "db/dataset.h"
#include "io/outputfile.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/engine_p.h"
#include "report/export.h"
#include "ui/component.h"

double MMToQRUnits(double mm) {
    return mm * kQRUnitsPerInch / 25.4;
}

QSizeF TQRPage::SheetSize() const {
    QSizeF s;
    switch (PaperSize) {
        case TQRPaperSize::A4:
            s = QSizeF(210, 297);
            break;
        case TQRPaperSize::A3:
            s = QSizeF(297, 420);
            break;
        case TQRPaperSize::A5:
            s = QSizeF(148, 210);
            break;
        case TQRPaperSize::Letter:
            s = QSizeF(215.9, 279.4);
            break;
        case TQRPaperSize::Legal:
            s = QSizeF(215.9, 355.6);
            break;
        case TQRPaperSize::Custom:
            s = QSizeF(Width > 0 ? Width : 210, Length > 0 ? Length : 297);
            break;
    }
    return Orientation == poLandscape ? s.transposed() : s;
}

// ---------------------------------------------------------------------------
// Drawing helpers

QFont QRPictureFont(const QFont& font) {
    QFont f(font);
    const double points = font.pointSizeF();
    const double pixels = points > 0 ? points * kQRUnitsPerInch / 72.0 : font.pixelSize();
    f.setPixelSize(qMax(1, qRound(pixels * kQRSub)));
    // Unhinted outlines keep the same proportions on screen, paper and PDF.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void QRDrawFrame(TQRPrintContext& ctx, const TQRFrame& frame, const QRectF& rect) {
    if (!ctx.painter || !frame.Any() || frame.Width <= 0) return;
    const QColor c = ColorToQt(frame.Color);
    if (!c.isValid()) return;
    ctx.usePen(c, frame.Width);
    const QRectF r = QRPictureRect(rect);
    const double h = frame.Width * kQRSub / 2;  // lines run inside the box
    TQRPageRecord* p = ctx.painter;
    if (frame.DrawTop) p->drawLine(QPointF(r.left(), r.top() + h), QPointF(r.right(), r.top() + h));
    if (frame.DrawBottom)
        p->drawLine(QPointF(r.left(), r.bottom() - h), QPointF(r.right(), r.bottom() - h));
    if (frame.DrawLeft)
        p->drawLine(QPointF(r.left() + h, r.top()), QPointF(r.left() + h, r.bottom()));
    if (frame.DrawRight)
        p->drawLine(QPointF(r.right() - h, r.top()), QPointF(r.right() - h, r.bottom()));
}

void TQRPageRecord::setFont(const QFont& font) {
    calls_.push_back({Font, int(fonts_.size()), {}, 0});
    fonts_.push_back(font);
}

void TQRPageRecord::setPen(const QPen& pen) {
    calls_.push_back({Pen, int(pens_.size()), {}, 0});
    pens_.push_back(pen);
}

void TQRPageRecord::setBrush(const QBrush& brush) {
    calls_.push_back({Brush, int(brushes_.size()), {}, 0});
    brushes_.push_back(brush);
}

void TQRPageRecord::fillRect(const QRectF& rect, const QColor& color) {
    calls_.push_back({Fill, int(colors_.size()), rect, 0});
    colors_.push_back(color);
}

void TQRPageRecord::drawLine(const QPointF& from, const QPointF& to) {
    calls_.push_back({Line, 0, QRectF(from, to), 0});
}

void TQRPageRecord::drawRect(const QRectF& rect) {
    calls_.push_back({Rect, 0, rect, 0});
}

void TQRPageRecord::drawEllipse(const QRectF& rect) {
    calls_.push_back({Ellipse, 0, rect, 0});
}

void TQRPageRecord::drawImage(const QRectF& target, const QImage& image) {
    calls_.push_back({Image, int(images_.size()), target, 0});
    images_.push_back(image);
}

void TQRPageRecord::drawText(const QRectF& rect, int flags, const QString& text, bool oneLine) {
    calls_.push_back({oneLine ? OneLineText : Text, int(texts_.size()), rect, flags});
    texts_.push_back(text);
}

namespace {
// What drawing a line of text in a font at its baseline needs: how far below
// its box's top the painter's text layout puts the baseline (the ascent; the
// top itself taken in the layout's fixed point, 1/64 cut towards zero), the
// line's height and the widest advance of a Latin-1 character, which bound
// the room the line takes. No ascent (-1) for a font whose lines are
// decorated or spaced, which the layout draws.
struct LineMetrics {
    double ascent = -1, height = 0, widest = 0;
};

LineMetrics lineMetrics(const QFont& font) {
    if (font.underline() || font.strikeOut() || font.overline() || font.letterSpacing() != 0 ||
        font.wordSpacing() != 0 || font.capitalization() != QFont::MixedCase)
        return {};
    // A run uses a few fonts on every page, sized in pixels (their metrics
    // the same on any device).
    thread_local QHash<QFont, LineMetrics> known;
    const bool pixels = font.pixelSize() > 0;
    const auto it = pixels ? known.constFind(font) : known.cend();
    if (it != known.cend()) return *it;
    const QFontMetricsF fm(font);
    LineMetrics m{fm.ascent(), fm.height(), 0};
    for (char16_t c = 0x20; c <= 0xFF; ++c)
        if (c < 0x7F || c >= 0xA0) m.widest = qMax(m.widest, fm.horizontalAdvance(QChar(c)));
    if (!pixels) return m;
    if (known.size() >= 64) known.clear();
    known.insert(font, m);
    return m;
}
}  // namespace

void TQRPageRecord::play(QPainter& painter) const {
    // A one-line text at the top left of its box, that does not overflow it
    // or may, is drawn at its baseline: the same glyphs at the same place,
    // without the layout that only finds the single line and its (zero)
    // offsets again.
    constexpr int kTopLeft = Qt::AlignTop | Qt::AlignLeft;
    LineMetrics font;
    for (const Call& c : calls_) {
        switch (c.kind) {
            case Font:
                painter.setFont(fonts_[c.index]);
                font = lineMetrics(painter.font());
                break;
            case Pen:
                painter.setPen(pens_[c.index]);
                break;
            case Brush:
                painter.setBrush(brushes_[c.index]);
                break;
            case Fill:
                painter.fillRect(c.rect, colors_[c.index]);
                break;
            case Line:
                painter.drawLine(c.rect.topLeft(), c.rect.bottomRight());
                break;
            case Rect:
                painter.drawRect(c.rect);
                break;
            case Ellipse:
                painter.drawEllipse(c.rect);
                break;
            case Image:
                painter.drawImage(c.rect, images_[c.index]);
                break;
            case OneLineText: {
                const QString& text = texts_[c.index];
                const int other = c.flags & ~(kTopLeft | Qt::TextDontClip | Qt::TextWordWrap);
                // Unwrapped and unclipped, or surely within its box (one
                // unit to spare): one line, no clip.
                const bool free = (c.flags & Qt::TextDontClip) && !(c.flags & Qt::TextWordWrap);
                const bool within = font.height + 1 <= c.rect.height() &&
                                    text.size() * font.widest + 1 <= c.rect.width();
                if ((c.flags & kTopLeft) == kTopLeft && other == 0 && font.ascent >= 0 &&
                    (free || within)) {
                    const double top = std::trunc(c.rect.y() * 64) / 64;
                    painter.drawText(QPointF(c.rect.x(), top + font.ascent), text);
                    break;
                }
                [[fallthrough]];
            }
            case Text:
                painter.drawText(c.rect, c.flags, texts_[c.index]);
                break;
        }
    }
}

void TQRPrintContext::startPage(TQRPageRecord* p) {
    painter = p;
    hasFont_ = hasPen_ = hasBrush_ = false;
}

void TQRPrintContext::useFont(const QFont& pictureFont) {
    if (hasFont_ && font_ == pictureFont) return;
    font_ = pictureFont;
    hasFont_ = true;
    painter->setFont(pictureFont);
}

void TQRPrintContext::usePen(const QColor& color, double widthUnits) {
    if (hasPen_ && pen_ == color && penWidth_ == widthUnits) return;
    pen_ = color;
    penWidth_ = widthUnits;
    hasPen_ = true;
    QPen pen(color);
    pen.setWidthF(widthUnits * kQRSub);
    pen.setCapStyle(Qt::FlatCap);
    painter->setPen(pen);
}

void TQRPrintContext::useNoPen() {
    if (hasPen_ && !pen_.isValid()) return;
    pen_ = QColor();
    penWidth_ = 0;
    hasPen_ = true;
    painter->setPen(Qt::NoPen);
}

void TQRPrintContext::useBrush(const QColor& color) {
    if (hasBrush_ && brush_ == color) return;
    brush_ = color;
    hasBrush_ = true;
    if (color.isValid())
        painter->setBrush(color);
    else
        painter->setBrush(Qt::NoBrush);
}

// ---------------------------------------------------------------------------
// TQRPrinter

TQRPrinter::TQRPrinter(QObject* parent) : QObject(parent) {}
TQRPrinter::~TQRPrinter() = default;

int TQRPrinter::PageCount() const {
    return pages_.isEmpty() ? straightPages_ : int(pages_.size());
}

namespace {
// A page's drawing in its own unit (1/960 inch) at `dotsPerInch` painter
// units per inch, from the painter's first state.
void playPage(const TQRPageRecord& page, QPainter& painter, double dotsPerInch) {
    painter.save();
    const double scale = dotsPerInch / kQRPictureUnitsPerInch;
    painter.scale(scale, scale);
    page.play(painter);
    painter.restore();
}
}  // namespace

void TQRPrinter::ensurePictures() const {
    // Pictures are a cache of the run: making them again changes nothing the
    // caller holds but the pages themselves.
    if (pages_.isEmpty() && straightPages_ > 0 && report_ && !busy_) report_->Prepare();
}

const QPicture& TQRPrinter::Page(int number) const {
    static const QPicture kEmpty;
    ensurePictures();
    if (number < 1 || number > pages_.size()) return kEmpty;
    if (pictures_.size() != pages_.size()) pictures_ = QList<QPicture>(pages_.size());
    QPicture& picture = pictures_[number - 1];
    if (picture.isNull()) {
        const QSizeF sheet = sheet_ * (kQRPictureUnitsPerInch / 25.4);
        picture.setBoundingRect(QRect(0, 0, qRound(sheet.width()), qRound(sheet.height())));
        QPainter painter(&picture);
        // Played at the picture's own resolution, the page keeps its unit.
        playPage(*pages_[number - 1], painter, kQRPictureUnitsPerInch);
    }
    return picture;
}

void TQRPrinter::DrawPage(QPainter& painter, int number, double dotsPerInch) const {
    ensurePictures();
    if (number < 1 || number > pages_.size()) return;
    playPage(*pages_[number - 1], painter, dotsPerInch);
}

void TQRPrinter::SetPreviewWindow(QObject* window) {
    if (preview_) preview_->removeEventFilter(this);
    preview_ = window;
    previewClosed_ = false;
    if (window) {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, [this] { Q_EMIT previewClosed(); });
    }
}

bool TQRPrinter::eventFilter(QObject* watched, QEvent* event) {
    // A window closed is hidden at once but deleted only later, when the
    // event loop that closed it gets control back: the hiding is the close.
    if (watched == preview_ && event->type() == QEvent::Hide && !event->spontaneous()) {
        previewClosed_ = true;
        Q_EMIT previewClosed();
    }
    return false;
}

void TQRPrinter::clear(const QSizeF& sheet, TPrinterOrientation orientation, const QString& title) {
    pages_.clear();
    pictures_.clear();
    straightPages_ = 0;
    straightPdf_.clear();
    straightLayout_.reset();
    sheet_ = sheet;
    orientation_ = orientation;
    title_ = title;
}

namespace {

QPageLayout layoutOf(const QSizeF& sheet, TPrinterOrientation orientation) {
    const QSizeF portrait = orientation == poLandscape ? sheet.transposed() : sheet;
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                       orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

// Clears a flag when the scope ends, however it ends.
struct FlagGuard {
    bool& flag;
    explicit FlagGuard(bool& f) : flag(f) { flag = true; }
    ~FlagGuard() { flag = false; }
};

// Runs the report's AfterPrint when the scope ends, however it ends, so that
// a preview waiting for the end of a run or print never waits for ever.
struct TellEnd {
    TQuickRep* report;
    ~TellEnd() noexcept(false) {
        if (!report || !report->AfterPrint) return;
        if (std::uncaught_exceptions() == 0) {
            report->AfterPrint(report);
            return;
        }
        try {
            report->AfterPrint(report);
        } catch (...) {  // the error under way is the one to report
        }
    }
};

}  // namespace

bool TQRPrinter::Print(QPrinter& printer, int firstPage, int lastPage, int copies) {
    if (busy_) return false;
    ensurePictures();
    TellEnd end{report_};
    const int count = PageCount();
    const int first = firstPage > 0 ? qMin(firstPage, count) : 1;
    const int last = lastPage > 0 ? qMin(lastPage, count) : count;
    if (count == 0 || first > last) return true;  // nothing to print
    printer.setFullPage(true);
    printer.setPageLayout(layoutOf(sheet_, orientation_));
    copies = qMax(1, copies);
    printer.setCopyCount(copies);
    int rounds = 1;
    if (copies > 1 && !printer.supportsMultipleCopies()) {
        printer.setCopyCount(1);
        rounds = copies;  // the device takes one copy: the pages go again
    }
    FlagGuard busy(busy_);
    aborted_ = false;
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    bool firstSheet = true;
    for (int round = 0; round < rounds && !aborted_; ++round) {
        for (int n = first; n <= last && !aborted_; ++n) {
            if (!firstSheet && !printer.newPage()) return false;
            firstSheet = false;
            DrawPage(painter, n, printer.resolution());
        }
    }
    if (aborted_) printer.abort();
    return painter.end() && !aborted_;
}

bool TQRPrinter::ExportToPdf(const QString& path, const QString& title) {
    ensurePictures();
    if (PageCount() == 0) return false;
    TOutputFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QPdfWriter writer(&file);
    return writePdf(writer, title, layoutOf(sheet_, orientation_)) && file.Commit();
}

bool TQRPrinter::writePdf(QPdfWriter& writer, const QString& title, const QPageLayout& layout) {
    writer.setPageLayout(layout);
    writer.setTitle(title.isEmpty() ? title_ : title);
    FlagGuard busy(busy_);
    QPainter painter;
    if (!painter.begin(&writer)) return false;
    for (int n = 1; n <= PageCount(); ++n) {
        if (n > 1 && !writer.newPage()) return false;
        DrawPage(painter, n, writer.resolution());
    }
    return painter.end();
}

bool TQRPrinter::ExportToFilter(TQRExportFilter& filter) const {
    ensurePictures();
    filter.Start(title_);
    for (int n = 1; n <= pages_.size(); ++n) filter.Page(n, PageTextLines(*pages_[n - 1]));
    return filter.Finish();
}

// ---------------------------------------------------------------------------
// The run: bands into pages

class TQREngine {
public:
    TQREngine(TQuickRep& report, TQRPrinter& out) : rep_(report), out_(out) {}
    // Pages drawn into `pdf` through `painter` (begun on the first page, in
    // `layout`) as they are laid out, instead of into pictures.
    void drawStraight(QPagedPaintDevice& pdf, QPainter& painter,
                      std::function<QPageLayout()> layout) {
        pdf_ = &pdf;
        pdfPainter_ = &painter;
        pdfLayout_ = std::move(layout);
    }
    void run();

private:
    bool isBody(const TQRCustomBand* band) const {
        const TQRBandType t = band->BandType();
        return t != rbPageHeader && t != rbTitle && t != rbColumnHeader && t != rbPageFooter;
    }
    TQRCustomBand* bandOfType(TQRBandType type) const;
    void collectBands();
    void startControls();
    bool printBand(TQRCustomBand* band, bool atFoot = false);
    // A band (or a part of one) drawn in `rect`: its controls at their
    // places, or at `tops` (from the part's top; -1 skips a control).
    void drawPart(TQRCustomBand* band, const QRectF& rect, const QList<TQRPrintable*>& controls,
                  const std::vector<double>& heights, const std::vector<double>& tops);
    // Whether a band that goes on over the next pages can start on this one.
    bool startsHere(TQRCustomBand* band, const QList<TQRPrintable*>& controls,
                    const std::vector<double>& heights) const;
    void printParts(TQRCustomBand* band, const QList<TQRPrintable*>& controls,
                    std::vector<double> heights);
    void newPage();
    void endPage(bool last);
    void reach(QObject* master);
    void printGroupHeaders(int from);
    void printGroupFooters(int to);
    void printSubDetails(TQRSubDetail* master);
    bool nextRecord();
    // At the dataset's end: the records OnNeedData adds, if any.
    bool moreRecords(TDataSet* ds);
    int recordCount();
    void progress();
    double limit() const { return pageHeight_ - bottom_ - footerReserve_; }

    TQuickRep& rep_;
    TQRPrinter& out_;
    TQRPrintContext ctx_;
    std::shared_ptr<TQRPageRecord> page_;
    QPagedPaintDevice* pdf_ = nullptr;
    QPainter* pdfPainter_ = nullptr;
    std::function<QPageLayout()> pdfLayout_;
    bool pageOpen_ = false;

    double pageWidth_ = 0, pageHeight_ = 0;
    double top_ = 0, bottom_ = 0, left_ = 0;
    double footerReserve_ = 0;
    double y_ = 0;
    double bodyTop_ = 0;  // where the page's body starts, below its headers
    bool pageHasBody_ = false;
    bool settingUp_ = false;

    TQRCustomBand* pageHeader_ = nullptr;
    TQRCustomBand* title_ = nullptr;
    TQRCustomBand* columnHeader_ = nullptr;
    TQRCustomBand* detail_ = nullptr;
    TQRCustomBand* summary_ = nullptr;
    TQRCustomBand* pageFooter_ = nullptr;
    struct Group {
        TQRGroup* band;
        std::unique_ptr<TQREvaluator> evaluator;
        QVariantList key;
    };
    std::vector<Group> groups_;
    int openGroups_ = 0;  // groups whose header printed and footer has not
    QList<TQRSubDetail*> subDetails_;
    QList<TQRCustomBand*> allBands_;
    int recordCount_ = -1;
    bool previewed_ = false;  // a preview was open when the run began
};

TQRCustomBand* TQREngine::bandOfType(TQRBandType type) const {
    for (TQRCustomBand* b : rep_.bands_)
        if (b->BandType() == type && b->Enabled()) return b;
    return nullptr;
}

void TQREngine::collectBands() {
    pageHeader_ = bandOfType(rbPageHeader);
    title_ = bandOfType(rbTitle);
    columnHeader_ = bandOfType(rbColumnHeader);
    detail_ = bandOfType(rbDetail);
    summary_ = bandOfType(rbSummary);
    pageFooter_ = bandOfType(rbPageFooter);
    // Every band that can print: the report's and those named by them.
    std::function<void(TQRCustomBand*)> add = [&](TQRCustomBand* b) {
        if (!b || allBands_.contains(b)) return;
        allBands_.append(b);
        add(b->ChildBand());
        if (auto* g = qobject_cast<TQRGroup*>(b)) add(g->FooterBand());
        if (auto* s = qobject_cast<TQRSubDetail*>(b)) {
            add(s->HeaderBand());
            add(s->FooterBand());
        }
    };
    for (TQRCustomBand* b : rep_.bands_) add(b);
    for (TQRCustomBand* b : rep_.bands_) {
        if (!b->Enabled()) continue;
        if (auto* g = qobject_cast<TQRGroup*>(b)) {
            auto ev = std::make_unique<TQREvaluator>();
            ev->Prepare(
                g->Expression(), [this](const QString& name) { return rep_.ResolveName(name); },
                TQREvaluator::QuotedFieldNames);
            groups_.push_back(Group{g, std::move(ev), {}});
        } else if (auto* s = qobject_cast<TQRSubDetail*>(b)) {
            subDetails_.append(s);
        }
    }
}

void TQREngine::startControls() {
    for (TQRCustomBand* b : allBands_)
        for (TQRPrintable* c : b->Controls()) c->StartReport(&rep_);
}

int TQREngine::recordCount() {
    if (rep_.ExpectedRecords() > 0) return rep_.ExpectedRecords();
    if (recordCount_ < 0) {
        TDataSet* ds = rep_.DataSet();
        recordCount_ = ds && ds->Active() ? ds->RecordCount() : 0;
    }
    return recordCount_;
}

void TQREngine::progress() {
    if (!out_.OnProgressUpdate) return;
    const int count = recordCount();
    out_.OnProgressUpdate(count > 0 ? qMin(100, ctx_.recordNumber * 100 / count) : 0);
}

void TQREngine::reach(QObject* master) {
    for (TQRCustomBand* b : allBands_) {
        const QList<TQRPrintable*> controls = b->Controls();  // shared, not detached
        for (TQRPrintable* c : controls) c->RecordReached(master);
    }
}

bool TQREngine::printBand(TQRCustomBand* band, bool atFoot) {
    if (!band || !band->Enabled()) return false;
    bool print = true;
    if (band->BeforePrint) band->BeforePrint(band, print);
    if (!print) {
        if (band->AfterPrint) band->AfterPrint(band, false);
        return false;
    }
    const QList<TQRPrintable*> all = band->Controls();
    QList<TQRPrintable*> controls;
    controls.reserve(all.size());
    for (TQRPrintable* c : all)
        if (c->Enabled()) controls.append(c);
    std::vector<double> heights(controls.size());
    double height = band->Height();
    auto prepare = [&](bool pageOnly) {
        for (qsizetype i = 0; i < controls.size(); ++i) {
            TQRPrintable* c = controls[i];
            if (pageOnly && !c->DependsOnPage()) continue;
            c->Prepare(ctx_);
            const double stretched = c->StretchedHeight(ctx_);
            heights[i] = qMax<double>(c->Height(), stretched);
            if (stretched > c->Height()) height = qMax(height, c->Top() + stretched);
        }
    };
    prepare(false);
    // A band taller than a page's body whose text can go on over the next
    // pages is printed in parts, from where the page has room for it.
    const bool splits = !atFoot && !settingUp_ && height > limit() - bodyTop_ + 0.001 &&
                        std::any_of(controls.begin(), controls.end(), [&](TQRPrintable* c) {
                            return c->PartHeight(limit() - bodyTop_) >= 0;
                        });
    if (atFoot) {
        y_ = pageHeight_ - bottom_ - height;
    } else if (!settingUp_ && pageHasBody_ &&
               (band->ForceNewPage() || (y_ + height > limit() + 0.001 &&
                                         !(splits && startsHere(band, controls, heights))))) {
        newPage();
        prepare(true);
    }
    if (splits && y_ + height > limit() + 0.001) {
        printParts(band, controls, heights);
    } else {
        const QRectF bandRect(left_, y_, band->Width(), height);
        drawPart(band, bandRect, controls, heights, {});
        y_ += height;
    }
    if (isBody(band)) pageHasBody_ = true;
    for (TQRPrintable* c : controls) c->Printed();
    if (band->AfterPrint) band->AfterPrint(band, true);
    if (TQRChildBand* child = band->ChildBand()) printBand(child);
    return true;
}

void TQREngine::drawPart(TQRCustomBand* band, const QRectF& rect,
                         const QList<TQRPrintable*>& controls, const std::vector<double>& heights,
                         const std::vector<double>& tops) {
    if (TQRPageRecord* p = ctx_.painter) {
        const QColor c = ColorToQt(band->Color());
        if (c.isValid() && c != Qt::white) p->fillRect(QRPictureRect(rect), c);
    }
    for (qsizetype i = 0; i < controls.size(); ++i) {
        TQRPrintable* c = controls[i];
        const double top = tops.empty() ? c->Top() : tops[i];
        if (top < 0) continue;  // nothing of it in this part
        c->Draw(ctx_, QRectF(left_ + c->Left(), rect.top() + top, c->Width(), heights[i]));
    }
    QRDrawFrame(ctx_, band->Frame, rect);
}

bool TQREngine::startsHere(TQRCustomBand* band, const QList<TQRPrintable*>& controls,
                           const std::vector<double>& heights) const {
    // Here when what does not split, and the first line of what does, fit
    // in what is left of the page.
    const double room = limit() - y_ + 0.001;
    if (band->Height() > room) return false;
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const TQRPrintable* c = controls[i];
        if (c->Top() + heights[i] <= room) continue;
        if (c->PartHeight(room - c->Top()) <= 0) return false;
    }
    return true;
}

void TQREngine::printParts(TQRCustomBand* band, const QList<TQRPrintable*>& controls,
                           std::vector<double> heights) {
    // The first part holds every control at its place; each next part, at
    // the top of the next page's body, the rest of those that went on.
    std::vector<char> going(controls.size(), 1);
    std::vector<double> tops(controls.size());
    for (bool first = true;; first = false) {
        const double room = limit() - y_;
        double height = first ? qMin<double>(band->Height(), room) : 0;
        bool more = false;
        for (qsizetype i = 0; i < controls.size(); ++i) {
            TQRPrintable* c = controls[i];
            tops[i] = -1;
            if (!going[i]) continue;
            const double top = first ? c->Top() : 0;
            tops[i] = top;
            // What fits, does not split, or cannot put even one line on a
            // page of its own prints whole.
            const double part = top + heights[i] <= room + 0.001 ? -1 : c->PartHeight(room - top);
            if (part < 0 || (part == 0 && !pageHasBody_)) {
                going[i] = 0;
                height = qMax(height, top + heights[i]);
                continue;
            }
            // The lines that fit stay here (with none, all of it goes on).
            c->KeepPart(room - top);
            heights[i] = part;
            if (part == 0) tops[i] = -1;
            more = true;
        }
        if (more) height = qMax(height, room);
        drawPart(band, QRectF(left_, y_, band->Width(), height), controls, heights, tops);
        y_ += height;
        pageHasBody_ = true;
        if (!more) return;
        newPage();
        if (out_.aborted_) return;
        for (qsizetype i = 0; i < controls.size(); ++i) {
            if (!going[i]) continue;
            TQRPrintable* c = controls[i];
            if (!c->NextPart()) {
                going[i] = 0;
                continue;
            }
            heights[i] = qMax<double>(c->Height(), c->StretchedHeight(ctx_));
        }
        if (std::none_of(going.begin(), going.end(), [](char g) { return g != 0; })) return;
    }
}

void TQREngine::newPage() {
    if (pageOpen_) endPage(false);
    if (out_.aborted_) return;  // what is left of the run draws nowhere
    ++ctx_.pageNumber;
    rep_.pageNumber_ = ctx_.pageNumber;
    if (pdf_) {
        if (!pdfPainter_->isActive()) {
            pdf_->setPageLayout(pdfLayout_());
            if (!pdfPainter_->begin(pdf_)) {
                out_.aborted_ = true;
                return;
            }
        } else {
            pdf_->newPage();
        }
    }
    page_ = std::make_shared<TQRPageRecord>();
    ctx_.startPage(page_.get());
    pageOpen_ = true;
    y_ = top_;
    pageHasBody_ = false;
    footerReserve_ = pageFooter_ && pageFooter_->Enabled() ? pageFooter_->Height() : 0;

    settingUp_ = true;
    if (ctx_.pageNumber > 1 || (rep_.Options() & FirstPageHeader)) printBand(pageHeader_);
    if (ctx_.pageNumber == 1) printBand(title_);
    printBand(columnHeader_);
    for (int k = 0; k < openGroups_; ++k)
        if (groups_[k].band->ReprintOnNewPage()) printBand(groups_[k].band);
    settingUp_ = false;
    bodyTop_ = y_;
}

void TQREngine::endPage(bool last) {
    if (!pageOpen_) return;
    if (!last || (rep_.Options() & LastPageFooter)) {
        settingUp_ = true;
        printBand(pageFooter_, true);
        settingUp_ = false;
    }
    ctx_.painter = nullptr;
    pageOpen_ = false;
    if (pdf_) {
        playPage(*page_, *pdfPainter_, pdf_->logicalDpiX());
        ++out_.straightPages_;
    } else {
        out_.pages_.append(page_);
    }
    page_.reset();
    if (out_.OnPageAvailable) out_.OnPageAvailable(out_.PageCount());
    progress();
    // With a preview on screen the pages show as they come, and the preview
    // can stop the run; once it is closed nobody waits for more.
    if (previewed_) {
        if (out_.PreviewOpen()) QCoreApplication::processEvents();
        if (!out_.PreviewOpen()) out_.aborted_ = true;
    }
}

void TQREngine::printGroupHeaders(int from) {
    for (int k = from; k < int(groups_.size()); ++k) {
        groups_[k].key = groups_[k].evaluator->GroupKey();
        openGroups_ = k;
        printBand(groups_[k].band);
        openGroups_ = k + 1;
    }
}

void TQREngine::printGroupFooters(int to) {
    for (int k = int(groups_.size()) - 1; k >= to; --k) {
        openGroups_ = k + 1;  // still inside the group: a new page repeats its header
        printBand(groups_[k].band->FooterBand());
        openGroups_ = k;
    }
}

void TQREngine::printSubDetails(TQRSubDetail* master) {
    for (TQRSubDetail* sub : subDetails_) {
        if (sub->Master() != master) continue;
        TDataSet* ds = sub->DataSet();
        if (!ds || !ds->Active()) continue;
        ds->DisableControls();
        struct Enable {
            TDataSet* ds;
            ~Enable() { ds->EnableControls(); }
        } enable{ds};
        ds->First();
        if (ds->IsEmpty() && !sub->PrintIfEmpty()) continue;
        printBand(sub->HeaderBand());
        for (; !ds->Eof() && !ds->IsEmpty() && !out_.aborted_; ds->Next()) {
            reach(sub);
            printBand(sub);
            printSubDetails(sub);
        }
        printBand(sub->FooterBand());
    }
}

bool TQREngine::moreRecords(TDataSet* ds) {
    bool more = rep_.OnNeedData != nullptr;
    while (more && ds->Eof() && !out_.aborted_) {
        const bool walked = !ds->IsEmpty();
        more = false;
        rep_.OnNeedData(&rep_, more);
        if (!more) break;
        // The records added: read again, from the last record walked (or
        // from the first, when there was none).
        ds->Refresh();
        if (walked)
            ds->Next();
        else
            ds->First();
    }
    return !ds->Eof();
}

bool TQREngine::nextRecord() {
    if (TDataSet* ds = rep_.DataSet()) {
        ds->Next();
        return ds->Eof() ? moreRecords(ds) : true;
    }
    bool more = false;
    if (rep_.OnNeedData) rep_.OnNeedData(&rep_, more);
    return more;
}

void TQREngine::run() {
    out_.clear(rep_.Page.SheetSize(), rep_.Page.Orientation, rep_.ReportTitle());
    out_.aborted_ = false;
    previewed_ = out_.PreviewOpen();
    rep_.pageNumber_ = 0;
    rep_.recordNumber_ = 0;
    FlagGuard busy(out_.busy_);
    TellEnd end{&rep_};

    bool printReport = true;
    if (rep_.BeforePrint) rep_.BeforePrint(&rep_, printReport);
    if (!printReport) return;
    // BeforePrint sets the title and may choose the paper.
    out_.clear(rep_.Page.SheetSize(), rep_.Page.Orientation, rep_.ReportTitle());

    TDataSet* ds = rep_.DataSet();
    if (ds && !ds->Active()) ds->Open();
    const QSizeF sheet = rep_.Page.SheetSize();
    pageWidth_ = MMToQRUnits(sheet.width());
    pageHeight_ = MMToQRUnits(sheet.height());
    top_ = MMToQRUnits(rep_.Page.TopMargin);
    bottom_ = MMToQRUnits(rep_.Page.BottomMargin);
    left_ = MMToQRUnits(rep_.Page.LeftMargin);
    ctx_.report = &rep_;
    ctx_.started = QDateTime::currentDateTime();
    ctx_.recordCount = [this] { return recordCount(); };
    collectBands();
    startControls();

    struct Enable {
        TDataSet* ds;
        ~Enable() {
            if (ds) ds->EnableControls();
        }
    } enable{ds};
    // Ends before the controls come back (its end may move the dataset).
    std::optional<TOnePass> pass;
    if (ds && rep_.ReadInOnePass && groups_.empty()) pass.emplace(ds);
    bool more = true;
    if (ds) {
        ds->DisableControls();
        ds->First();
        more = !ds->IsEmpty() || moreRecords(ds);
    } else if (rep_.OnNeedData) {
        more = false;
        rep_.OnNeedData(&rep_, more);
    }
    if (!more && !rep_.PrintIfEmpty()) return;

    newPage();
    if (more) printGroupHeaders(0);
    while (more && !out_.aborted_) {
        ++ctx_.recordNumber;
        rep_.recordNumber_ = ctx_.recordNumber;
        reach(&rep_);
        printBand(detail_);
        printSubDetails(nullptr);
        more = nextRecord();
        // The outermost group whose key changed; all groups close at the end.
        int changed = int(groups_.size());
        if (!more) {
            changed = 0;
        } else {
            for (int k = 0; k < int(groups_.size()); ++k) {
                if (groups_[k].evaluator->GroupKey() != groups_[k].key) {
                    changed = k;
                    break;
                }
            }
        }
        if (changed < int(groups_.size())) {
            // Footers show the last record of their group.
            const bool stepBack = more && ds;
            if (stepBack) ds->Prior();
            printGroupFooters(changed);
            if (stepBack) ds->Next();
        }
        if (more) printGroupHeaders(changed);
    }
    if (!out_.aborted_) printBand(summary_);
    endPage(true);
    if (out_.OnProgressUpdate && !out_.aborted_) out_.OnProgressUpdate(100);
}

// ---------------------------------------------------------------------------
// TQuickRep

namespace {

TQRPreviewHook& previewHook() {
    static TQRPreviewHook hook;
    return hook;
}

}  // namespace

TQuickRep::TQuickRep(QObject* owner) : QObject(owner), printer_(new TQRPrinter(this)) {
    printer_->report_ = this;
}

TQuickRep::~TQuickRep() {
    for (TQRCustomBand* b : bands_) b->report_ = nullptr;
}

void TQuickRep::addBand(TQRCustomBand* band) {
    if (!bands_.contains(band)) bands_.append(band);
}

void TQuickRep::removeBand(TQRCustomBand* band) {
    bands_.removeAll(band);
}

int TQuickRep::PrintableWidth() const {
    const double mm = Page.SheetSize().width() - Page.LeftMargin - Page.RightMargin;
    return qMax(0, qRound(MMToQRUnits(mm)));
}

TQRValueGetter TQuickRep::ResolveName(const QString& name) const {
    QList<TDataSet*> sets;
    if (dataSet_) sets.append(dataSet_);
    for (TQRCustomBand* b : bands_)
        if (auto* s = qobject_cast<TQRSubDetail*>(b))
            if (s->DataSet() && !sets.contains(s->DataSet())) sets.append(s->DataSet());
    QString fieldName = name;
    const qsizetype dot = name.indexOf(u'.');
    if (dot > 0) {
        // "Temporal.Nombre": the field of the dataset of that name.
        const QString setName = name.left(dot);
        fieldName = name.mid(dot + 1);
        for (TDataSet* ds : sets) {
            if (ds->objectName().compare(setName, Qt::CaseInsensitive) == 0) {
                sets = {ds};
                break;
            }
        }
    }
    for (TDataSet* ds : sets) {
        if (!ds->Active()) continue;
        if (TField* f = ds->FindField(fieldName)) {
            QPointer<TField> field = f;
            return [field]() { return field ? field->Value() : QVariant(); };
        }
    }
    return TQRValueGetter();
}

void TQuickRep::run(TQRPrinter* target) {
    TQREngine(*this, *target).run();
}

void TQuickRep::Prepare() {
    run(printer_);
}

void TQuickRep::SetPreviewHook(TQRPreviewHook hook) {
    previewHook() = std::move(hook);
}

bool TQuickRep::HasPreviewHook() {
    return bool(previewHook());
}

void TQuickRep::Preview() {
    printer_->SetPreviewWindow(nullptr);
    if (OnPreview)
        OnPreview(this);
    else if (previewHook())
        previewHook()(this);
    try {
        run(printer_);
    } catch (...) {
        // A run that stopped before its end (the user's stop, a lost
        // connection) made pages that are not the report: they go, and
        // their preview with them, so that nothing prints or exports them.
        printer_->clear(Page.SheetSize(), Page.Orientation, title_);
        if (QPointer<QObject> window = printer_->PreviewWindow()) {
            printer_->SetPreviewWindow(nullptr);
            if (auto* w = qobject_cast<QWidget*>(window.data())) w->hide();
            window->deleteLater();
        }
        throw;
    }
    if (printer_->PreviewOpen()) {
        QEventLoop loop;
        connect(printer_, &TQRPrinter::previewClosed, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

bool TQuickRep::Print() {
    QPrinter printer(QPrinter::HighResolution);
    if (!PrinterSettings.PrinterName.isEmpty()) {
        printer.setPrinterName(PrinterSettings.PrinterName);
        // An unknown name leaves QPrinter on the default printer: never print
        // on a printer nobody chose.
        if (printer.printerName() != PrinterSettings.PrinterName) return false;
    }
    if (!printer.isValid() || printer.outputFormat() != QPrinter::NativeFormat) return false;
    if (PrinterSettings.OutputBin == 0) printer.setPaperSource(QPrinter::Auto);
    return Print(printer);
}

bool TQuickRep::Print(QPrinter& printer) {
    if (PrinterSettings.FirstPage <= 0 && PrinterSettings.LastPage <= 0 &&
        PrinterSettings.Copies <= 1) {
        // Every page once: drawn onto the printer as the run lays it out,
        // instead of recorded whole and played back.
        TQRPrinter pages;
        QPainter painter;
        TQREngine engine(*this, pages);
        engine.drawStraight(printer, painter, [&] {
            printer.setFullPage(true);
            printer.setCopyCount(1);
            return layoutOf(pages.sheet_, pages.orientation_);
        });
        try {
            engine.run();
        } catch (...) {
            // A run stopped before its end (the user's stop, a lost
            // connection) sends no half job to the printer.
            if (painter.isActive()) printer.abort();
            throw;
        }
        if (pages.aborted_) {
            if (painter.isActive()) printer.abort();
            return false;
        }
        return !painter.isActive() || painter.end();
    }
    TQRPrinter pages;
    run(&pages);
    return pages.Print(printer, PrinterSettings.FirstPage, PrinterSettings.LastPage,
                       PrinterSettings.Copies);
}

bool TQuickRep::ExportToPdf(const QString& path) {
    if (printer_->PageCount() == 0) Prepare();
    return printer_->ExportToPdf(path, title_);
}

bool TQuickRep::PrintToPdf(const QString& path, const std::function<QPageLayout()>& layout,
                           QString* reason) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setCreator(QStringLiteral("Recursos Humanos"));
    if (!printer_->pages_.isEmpty()) {
        if (!printer_->writePdf(pdf, title_, layout())) return false;
    } else if (printer_->straightLayout_ && printer_->straightLayout_->isEquivalentTo(layout())) {
        bytes = printer_->straightPdf_;
    } else {
        // Nothing held for this layout: a run drawn straight into the file's bytes.
        QPainter painter;
        // A run that fails or makes nothing leaves no pages that were not written.
        struct Forget {
            TQuickRep* rep;
            bool kept = false;
            ~Forget() {
                if (!kept)
                    rep->printer_->clear(rep->Page.SheetSize(), rep->Page.Orientation, rep->title_);
            }
        } forget{this};
        TQREngine engine(*this, *printer_);
        // The title is the one the report's start gave.
        QPageLayout used;
        engine.drawStraight(pdf, painter, [&] {
            pdf.setTitle(title_);
            used = layout();
            return used;
        });
        engine.run();
        if (!painter.isActive() || !painter.end() || printer_->straightPages_ == 0) return false;
        forget.kept = true;
        printer_->straightPdf_ = bytes;
        printer_->straightLayout_ = std::make_shared<QPageLayout>(used);
    }
    // A failure leaves no half file.
    return WriteWholeFile(path, bytes, reason);
}

bool TQuickRep::ExportToFilter(TQRExportFilter& filter) {
    if (printer_->PageCount() == 0) Prepare();
    return printer_->ExportToFilter(filter);
}
