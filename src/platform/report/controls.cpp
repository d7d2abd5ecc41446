#include "report/controls.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QRawFont>
#include <QRegularExpression>
#include <QTextLayout>
#include <algorithm>

#include "db/dataset.h"
#include "db/sysutils.h"
#include "report/engine_p.h"
#include "report/expr.h"
#include "report/quickrep.h"
#include "ui/component.h"

// ---------------------------------------------------------------------------
// TQRPrintable

TQRPrintable::TQRPrintable(QObject* owner, TQRCustomBand* band) : QObject(owner) {
    if (band) {
        font_ = band->Font();
    } else {
        font_ = MakeFont(QStringLiteral("Arial"), 10);
    }
    setParentBand(band);
}

TQRPrintable::~TQRPrintable() {
    if (band_) band_->removeControl(this);
}

TQRCustomBand* TQRPrintable::ParentBand() const {
    return band_;
}

void TQRPrintable::setParentBand(TQRCustomBand* band) {
    if (band == band_) return;
    if (band_) band_->removeControl(this);
    band_ = band;
    if (band_) band_->addControl(this);
}

bool TQRPrintable::WillPrint() const {
    return enabled_ && band_ && band_->Enabled();
}

void TQRPrintable::SetBounds(int left, int top, int width, int height) {
    setLeft(left);
    setTop(top);
    setWidth(width);
    setHeight(height);
}

void TQRPrintable::setFont(const QFont& font) {
    font_ = font;
    font_.setFamily(FontFamily(font.family()));
    pictureFontValid_ = false;
}

const QFont& TQRPrintable::pictureFont() const {
    if (!pictureFontValid_) {
        pictureFont_ = QRPictureFont(font_);
        pictureFontValid_ = true;
        pictureHeight_ = QFontMetricsF(pictureFont_).height();
        pictureWidest_ = -1;
        pictureNarrowest_ = -1;
        // The font's own glyphs: a character it lacks is drawn by another
        // font, whose height may differ.
        const QRawFont raw = QRawFont::fromFont(pictureFont_);
        for (quint64& bits : pictureLatin1_) bits = 0;
        for (char16_t c = 0x20; c <= 0xFF; ++c)
            if ((c < 0x7F || c >= 0xA0) && raw.supportsCharacter(QChar(c)))
                pictureLatin1_[(c - 0x20) / 64] |= quint64(1) << ((c - 0x20) % 64);
    }
    return pictureFont_;
}

double TQRPrintable::pictureLineHeight(QStringView text) const {
    pictureFont();
    for (QChar ch : text) {
        // Line breaks, tabs, controls and anything past Latin-1 take the layout.
        const char16_t c = ch.unicode();
        if (c < 0x20 || c > 0xFF) return -1;
        if (!(pictureLatin1_[(c - 0x20) / 64] & (quint64(1) << ((c - 0x20) % 64)))) return -1;
    }
    return pictureHeight_;
}

namespace {

// The narrowest and the widest advance of a font's printable Latin-1
// characters. A run uses a few fonts, sized in pixels: each is measured
// once, not again for every control or record that sets it.
std::pair<double, double> Latin1Advances(const QFont& font) {
    thread_local QHash<QFont, std::pair<double, double>> known;
    auto it = known.constFind(font);
    if (it == known.cend()) {
        const QFontMetricsF fm(font);
        double narrowest = 0, widest = 0;
        for (char16_t c = 0x20; c <= 0xFF; ++c) {
            if (c >= 0x7F && c < 0xA0) continue;
            const double advance = fm.horizontalAdvance(QChar(c));
            widest = qMax(widest, advance);
            // A soft hyphen takes no room, and neither does a glyph the font lacks.
            if (advance > 0 && (narrowest == 0 || advance < narrowest)) narrowest = advance;
        }
        if (known.size() >= 64) known.clear();
        it = known.insert(font, {qMax(1.0, narrowest), widest});
    }
    return *it;
}

}  // namespace

bool TQRPrintable::surelyNarrower(QStringView text, double width) const {
    if (pictureLineHeight(text) < 0) return false;
    if (pictureWidest_ < 0) pictureWidest_ = Latin1Advances(pictureFont_).second;
    // No character of the font's own is wider than the widest of them.
    return text.size() * pictureWidest_ <= width;
}

double TQRPrintable::pictureNarrowest() const {
    if (pictureNarrowest_ < 0) pictureNarrowest_ = Latin1Advances(pictureFont()).first;
    return pictureNarrowest_;
}

void TQRPrintable::drawBox(TQRPrintContext& ctx, const QRectF& rect) const {
    TQRPageRecord* p = ctx.painter;
    if (!p) return;
    // A box of the band's own colour needs no paint: the band has it already.
    if (!transparent_ && (!band_ || color_ != band_->Color())) {
        const QColor c = ColorToQt(color_);
        if (c.isValid()) p->fillRect(QRPictureRect(rect), c);
    }
    QRDrawFrame(ctx, Frame, rect);
}

// ---------------------------------------------------------------------------
// Text controls

TQRCustomLabel::TQRCustomLabel(QObject* owner, TQRCustomBand* band) : TQRPrintable(owner, band) {}

void TQRCustomLabel::setEventOnPrint(const QVariant& v) {
    if (v.canConvert<TQRLabelOnPrintEvent>() &&
        v.metaType() == QMetaType::fromType<TQRLabelOnPrintEvent>())
        OnPrint = v.value<TQRLabelOnPrintEvent>();
    else if (!v.isValid() || v.isNull() || (v.typeId() == QMetaType::Bool && !v.toBool()))
        OnPrint = nullptr;
}

void TQRCustomLabel::Prepare(TQRPrintContext& ctx) {
    whole_ = Value(ctx);
    if (OnPrint) OnPrint(this, whole_);
    if (whole_.contains(u'\r')) whole_.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    fitted_ = false;
    rest_.clear();
    text_.clear();
    next_ = 0;
    // A page shows at most its lines (the box's, where the box keeps its
    // height), each of no more letters than the narrowest fit in the width
    // (a figure may shrink to half its size).
    const QSizeF sheet = ctx.report ? ctx.report->Page.SheetSize() : QSizeF(297, 420);
    const double length = MMToQRUnits(qMax(sheet.width(), sheet.height())) * kQRSub;
    const double line = qMax(1.0, QFontMetricsF(pictureFont()).height());
    const double tall = autoStretch_ || autoSize_ ? length : Height() * kQRSub;
    const double wide = autoSize_ ? length : Width() * kQRSub;
    pageLines_ = qsizetype(tall / line) + 2;
    lineLetters_ = qsizetype(wide / pictureNarrowest()) * (fitFigure_ ? 2 : 1) + 2;
    windowed_ = true;
    takePage();
    printed_ = next_ < whole_.size() ? whole_ : text_;
}

void TQRCustomLabel::takePage() {
    partRoom_ = -1;
    const QStringView from = QStringView(whole_).mid(next_);
    // What was shaped is shaped again only when it may have ended in a word
    // that was cut.
    if (from.isEmpty() && !windowed_) return;
    if (text_.isEmpty() && next_ == 0 && whole_.size() <= pageLines_ * lineLetters_) {
        text_ = whole_;  // the usual case: the whole value, however it is shaped
        next_ = whole_.size();
        windowed_ = false;
    } else if (wraps()) {
        // Letters up to a page's worth; a word cut here goes on with the next
        // letters when the rest of this part is printed.
        const qsizetype n = WholeLetters(from, pageLines_ * lineLetters_ - text_.size());
        text_ += from.left(n);
        next_ += n;
    } else {
        // Whole lines, each cut to what a line shows: the rest of a longer
        // line is never shown, in the box or on the page.
        qsizetype lines = text_.isEmpty() ? 0 : text_.count(u'\n') + 1;
        bool first = text_.isEmpty();
        qsizetype at = 0;
        while (lines < pageLines_ && at < from.size()) {
            qsizetype end = from.indexOf(u'\n', at);
            if (end < 0) end = from.size();
            const qsizetype n = WholeLetters(QStringView(from).mid(at, end - at), lineLetters_);
            if (!first) text_ += u'\n';
            first = false;
            text_ += from.mid(at, n);
            ++lines;
            at = end + 1;
        }
        next_ += qMin(at, from.size());
    }
    if (fitFigure_)
        fitFigure();
    else if (!autoSize_ && !wordWrap_)
        cutToBox();
    else if (!autoSize_)
        breakLongWords();
}

namespace {

// The longest part of `line` (its start when left-aligned, its end when
// right-aligned) no wider than `room`, never half a surrogate pair.
QString LongestThatFits(const QFontMetricsF& fm, const QString& line, double room, bool right) {
    if (fm.horizontalAdvance(line) <= room) return line;
    qsizetype lo = 0, hi = line.size();  // lo fits, hi does not
    auto part = [&](qsizetype n) { return right ? line.right(n) : line.left(n); };
    while (hi - lo > 1) {
        const qsizetype mid = (lo + hi) / 2;
        if (fm.horizontalAdvance(part(mid)) <= room)
            lo = mid;
        else
            hi = mid;
    }
    QString cut = part(lo);
    if (!cut.isEmpty()) {
        if (!right && cut.back().isHighSurrogate()) cut.chop(1);
        if (right && cut.front().isLowSurrogate()) cut.remove(0, 1);
    }
    return cut;
}

// The lines `text` is laid out in at `width` (picture units) in `font`,
// as the painter lays out a text drawn in a box: where each ends, and
// (with `bottoms`) how far down each reaches.
QList<qsizetype> LineEnds(const QString& text, const QFont& font, double width,
                          QTextOption::WrapMode wrap, QList<double>* bottoms = nullptr,
                          double below = qInf()) {
    QString t = text;
    t.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(t, font);
    QTextOption option;
    option.setWrapMode(wrap);
    layout.setTextOption(option);
    QList<qsizetype> ends;
    layout.beginLayout();
    double y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        ends.append(line.textStart() + line.textLength());
        y += line.height();
        if (bottoms) bottoms->append(y);
        // The lines past `below` are not needed: they are not laid out.
        if (y > below) break;
    }
    layout.endLayout();
    return ends;
}

}  // namespace

void TQRCustomLabel::cutToBox() {
    // What does not fit is left out, not drawn past the box and clipped:
    // a reader of the page sees no text running under the next box. Each
    // line of a text of several is cut on its own.
    if (text_.isEmpty()) return;
    const QFontMetricsF fm(pictureFont());
    const double room = Width() * kQRSub;
    const bool right = Alignment() == taRightJustify;
    if (!text_.contains(u'\n')) {
        text_ = LongestThatFits(fm, text_, room, right);
        return;
    }
    QStringList lines = text_.split(u'\n');
    for (QString& line : lines) line = LongestThatFits(fm, line, room, right);
    text_ = lines.join(u'\n');
}

void TQRCustomLabel::breakLongWords() {
    // Word wrap breaks lines between words: a word wider than the box would
    // still run past it, over the next box. Such a word is broken where the
    // box ends, with a line break of its own.
    const double room = Width() * kQRSub;
    if (text_.isEmpty() || room <= 0) return;
    const QFont& font = pictureFont();
    // Most texts have no word near the box's width: that is seen from their
    // lengths, without measuring them.
    const QFontMetricsF fm(font);
    bool wide = false;
    for (qsizetype i = 0, start = -1; i <= text_.size() && !wide; ++i) {
        if (i < text_.size() && !text_[i].isSpace()) {
            if (start < 0) start = i;
            continue;
        }
        if (start < 0) continue;
        const QStringView word = QStringView(text_).mid(start, i - start);
        start = -1;
        wide = !surelyNarrower(word, room) && (word.size() * pictureNarrowest() > room ||
                                               fm.horizontalAdvance(word.toString()) > room);
    }
    if (!wide) return;
    const QList<qsizetype> ends =
        LineEnds(text_, font, room, QTextOption::WrapAtWordBoundaryOrAnywhere);
    QString broken;
    qsizetype from = 0;
    for (qsizetype end : ends) {
        if (end <= from || end >= text_.size()) continue;
        const QChar before = text_[end - 1], after = text_[end];
        if (before.isSpace() || after.isSpace()) continue;
        broken += QStringView(text_).mid(from, end - from);
        broken += u'\n';
        from = end;
    }
    if (from == 0) return;
    broken += QStringView(text_).mid(from);
    text_ = broken;
}

void TQRCustomLabel::fitFigure() {
    const double room = Width() * kQRSub;
    if (text_.isEmpty() || QFontMetricsF(pictureFont()).horizontalAdvance(text_) <= room) return;
    // Down to six tenths of the size, a tenth at a time.
    for (int tenths = 9; tenths >= 6; --tenths) {
        QFont smaller = Font();
        if (smaller.pointSizeF() > 0)
            smaller.setPointSizeF(smaller.pointSizeF() * tenths / 10);
        else
            smaller.setPixelSize(std::max(1, smaller.pixelSize() * tenths / 10));
        const QFont picture = QRPictureFont(smaller);
        if (QFontMetricsF(picture).horizontalAdvance(text_) <= room) {
            fittedFont_ = picture;
            fitted_ = true;
            return;
        }
    }
    const double hash = QFontMetricsF(pictureFont()).horizontalAdvance(QLatin1Char('#'));
    text_ = QString(std::max(1, hash > 0 ? int(room / hash) : 1), QLatin1Char('#'));
    if (OnOverflow) OnOverflow();
}

int TQRCustomLabel::textFlags() const {
    int flags = Qt::AlignTop;
    switch (Alignment()) {
        case taRightJustify:
            flags |= Qt::AlignRight;
            break;
        case taCenter:
            flags |= Qt::AlignHCenter;
            break;
        default:
            flags |= Qt::AlignLeft;
    }
    // A box that takes its text's size has nothing to wrap at; a figure
    // is never wrapped.
    if (autoSize_ && !fitFigure_)
        flags |= Qt::TextDontClip;
    else if (wordWrap_ && !fitFigure_)
        flags |= Qt::TextWordWrap;
    return flags;
}

double TQRCustomLabel::StretchedHeight(TQRPrintContext& ctx) {
    if (!autoStretch_ || text_.isEmpty()) return 0;
    const QFontMetricsF fm(pictureFont());
    // A page's worth of text with more after it is taller than a page.
    if (next_ < whole_.size()) return pageLines_ * fm.height() / kQRSub;
    const int flags = textFlags();
    // Text that cannot wrap, in the font's own glyphs, is one line of the font's height.
    if (!(flags & Qt::TextWordWrap)) {
        const double line = pictureLineHeight(text_);
        if (line >= 0) return line / kQRSub;
    }
    const QRectF box(0, 0, Width() * kQRSub, 1e9);
    return fm.boundingRect(box, flags, text_).height() / kQRSub;
}

qsizetype TQRCustomLabel::partEnd(double room, double* height) const {
    // The engine asks for the part's height and then keeps it, for one room.
    if (room == partRoom_) {
        *height = partHeight_;
        return partEnd_;
    }
    *height = 0;
    const int flags = textFlags();
    QList<double> bottoms;
    const QFontMetricsF fm(pictureFont());
    const double limit = room * kQRSub + 0.01;
    const QList<qsizetype> ends =
        LineEnds(text_, pictureFont(), Width() * kQRSub,
                 flags & Qt::TextWordWrap ? QTextOption::WordWrap : QTextOption::ManualWrap,
                 &bottoms, limit + 2 * fm.height());
    const QRectF box(0, 0, Width() * kQRSub, 1e9);
    auto heightOf = [&](qsizetype n) {
        QStringView part = QStringView(text_).left(ends[n - 1]);
        while (!part.isEmpty() && part.back().isSpace()) part.chop(1);
        return fm.boundingRect(box, flags, part.toString()).height();
    };
    // The most lines whose height, as the painter lays them out, fits:
    // from the layout's own count, settled by the painter's measure a line
    // at a time (a page's worth of text measured a few times, not once per
    // halving).
    qsizetype lo = std::upper_bound(bottoms.begin(), bottoms.end(), limit) - bottoms.begin();
    double loHeight = 0;
    while (lo > 0 && (loHeight = heightOf(lo)) > limit) --lo;
    while (lo < ends.size()) {
        const double h = heightOf(lo + 1);
        if (h > limit) break;
        ++lo;
        loHeight = h;
    }
    partRoom_ = room;
    partHeight_ = *height = lo == 0 ? 0 : loHeight / kQRSub;
    return partEnd_ = lo == 0 ? 0 : ends[lo - 1];
}

double TQRCustomLabel::PartHeight(double room) const {
    // A figure is never cut; a box that keeps its height clips what it holds.
    if (!autoStretch_ || fitFigure_ || text_.trimmed().isEmpty()) return -1;
    double height = 0;
    partEnd(room, &height);
    return height;
}

void TQRCustomLabel::KeepPart(double room) {
    double height = 0;
    const qsizetype end = partEnd(room, &height);
    partRoom_ = -1;
    rest_ = text_.mid(end);
    text_.truncate(end);
    while (!text_.isEmpty() && text_.back().isSpace()) text_.chop(1);
}

bool TQRCustomLabel::NextPart() {
    partRoom_ = -1;
    text_ = rest_;
    rest_.clear();
    takePage();
    // Blanks alone print nothing: the letters after them go on.
    while (text_.trimmed().isEmpty() && next_ < whole_.size()) {
        text_.clear();
        takePage();
    }
    return !text_.trimmed().isEmpty();
}

void TQRCustomLabel::Draw(TQRPrintContext& ctx, const QRectF& rect) {
    drawBox(ctx, rect);
    if (text_.isEmpty() || !ctx.painter) return;
    ctx.useFont(fitted_ ? fittedFont_ : pictureFont());
    ctx.usePen(ColorToQt(FontColor()), 0);
    ctx.painter->drawText(QRPictureRect(rect), textFlags(), text_,
                          !fitted_ && pictureLineHeight(text_) >= 0);
}

TQRLabel::TQRLabel(QObject* owner, TQRCustomBand* band) : TQRCustomLabel(owner, band) {
    setAutoSize(true);
}

// ---------------------------------------------------------------------------
// TQRDBText

namespace {

// The records a running total counts: its Master's, else its report's.
bool isMasterOf(QObject* master, QObject* own, const TQRCustomBand* band) {
    if (own) return master == own;
    return band && master == static_cast<QObject*>(band->ParentReport());
}

EReportError missingField(const QString& field, const QString& control) {
    return EReportError(QStringLiteral("El campo «%1» de «%2» no existe en los datos del informe")
                            .arg(field, control));
}

TDataSet* dataSetOf(TDataSet* own, const TQRCustomBand* band) {
    if (own) return own;
    TQuickRep* report = band ? band->ParentReport() : nullptr;
    return report ? report->DataSet() : nullptr;
}

}  // namespace

TQRDBText::TQRDBText(QObject* owner, TQRCustomBand* band) : TQRCustomLabel(owner, band) {}

QString TQRDBText::Value(TQRPrintContext&) {
    TDataSet* ds = dataSetOf(dataSet_, ParentBand());
    if (!ds || dataField_.isEmpty() || !ds->Active()) return QString();
    TField* f = ds->FindField(dataField_);
    if (!f) return QString();
    const TFieldType t = f->DataType();
    if (!mask_.isEmpty()) {
        if (IsIntegerType(t) || IsFloatType(t))
            return f->IsNull() ? QString() : FormatFloat(mask_, f->AsFloat());
        if (IsDateTimeType(t))
            return f->IsNull() ? QString() : FormatDateTime(mask_, f->AsDateTime());
    }
    if (t == ftMemo || t == ftFmtMemo) return f->AsString();
    return f->DisplayText();
}

void TQRDBText::StartReport(TQuickRep* report) {
    if (!WillPrint() || dataField_.isEmpty()) return;
    TDataSet* ds = dataSetOf(dataSet_, ParentBand());
    if (ds && ds->Active() && !ds->FindField(dataField_))
        throw missingField(dataField_, objectName());
}

// ---------------------------------------------------------------------------
// TQRExpr

TQRExpr::TQRExpr(QObject* owner, TQRCustomBand* band) : TQRCustomLabel(owner, band) {}
TQRExpr::~TQRExpr() = default;

void TQRExpr::setExpression(const QString& e) {
    if (e == expression_) return;
    expression_ = e;
    evaluator_.reset();
}

bool TQRExpr::bind(TQuickRep* report) {
    if (evaluator_) return true;
    if (!report && ParentBand()) report = ParentBand()->ParentReport();
    if (!report) return false;
    auto ev = std::make_unique<TQREvaluator>();
    ev->Prepare(expression_, [report](const QString& name) { return report->ResolveName(name); });
    evaluator_ = std::move(ev);
    return true;
}

QVariant TQRExpr::Evaluate() {
    return bind(nullptr) ? evaluator_->Value() : QVariant();
}

QString TQRExpr::Value(TQRPrintContext& ctx) {
    return TQREvaluator::FormatValue(bind(ctx.report) ? evaluator_->Value() : QVariant(), mask_);
}

void TQRExpr::Printed() {
    if (resetAfterPrint_ && evaluator_) evaluator_->ResetAggregates();
}

void TQRExpr::StartReport(TQuickRep* report) {
    evaluator_.reset();  // totals start again with every run
    try {
        bind(report);
    } catch (const EReportError&) {
        // A control that is not printed may name what the data lack (a
        // hidden field); it is bound again if it comes to print.
        if (WillPrint()) throw;
    }
}

void TQRExpr::RecordReached(QObject* master) {
    if (!evaluator_ || !evaluator_->IsAggregate()) return;
    if (isMasterOf(master, master_, ParentBand())) evaluator_->UpdateAggregates();
}

// ---------------------------------------------------------------------------
// TQRDBCalc

TQRDBCalc::TQRDBCalc(QObject* owner, TQRCustomBand* band) : TQRCustomLabel(owner, band) {}
TQRDBCalc::~TQRDBCalc() = default;

QVariant TQRDBCalc::Evaluate() const {
    return evaluator_ ? evaluator_->Value() : QVariant();
}

QString TQRDBCalc::Value(TQRPrintContext&) {
    return TQREvaluator::FormatValue(Evaluate(), printMask_);
}

void TQRDBCalc::Printed() {
    if (resetAfterPrint_ && evaluator_) evaluator_->ResetAggregates();
}

void TQRDBCalc::StartReport(TQuickRep* report) {
    evaluator_.reset();
    TDataSet* ds = dataSetOf(dataSet_, ParentBand());
    TField* field = ds && ds->Active() ? ds->FindField(dataField_) : nullptr;
    if (!field && operation_ != dbcCount) {
        if (WillPrint()) throw missingField(dataField_, objectName());
        return;
    }
    static const char* const kCalls[] = {"SUM(F)", "COUNT", "MAX(F)", "MIN(F)", "AVERAGE(F)"};
    QPointer<TField> f = field;
    evaluator_ = std::make_unique<TQREvaluator>();
    evaluator_->Prepare(QLatin1String(kCalls[operation_]), [f](const QString&) {
        return TQRValueGetter([f]() { return f ? f->Value() : QVariant(); });
    });
}

void TQRDBCalc::RecordReached(QObject* master) {
    if (!evaluator_) return;
    if (isMasterOf(master, master_, ParentBand())) evaluator_->UpdateAggregates();
}

// ---------------------------------------------------------------------------
// TQRSysData

TQRSysData::TQRSysData(QObject* owner, TQRCustomBand* band) : TQRCustomLabel(owner, band) {
    setAutoSize(true);
}

QString TQRSysData::Value(TQRPrintContext& ctx) {
    QString value;
    switch (data_) {
        case qrsTime:
            value = TimeToStr(ctx.started.time());
            break;
        case qrsDate:
            value = DateToStr(ctx.started.date());
            break;
        case qrsDateTime:
            value = DateTimeToStr(ctx.started);
            break;
        case qrsPageNumber:
            value = IntToStr(ctx.pageNumber);
            break;
        case qrsReportTitle:
            value = ctx.report ? ctx.report->ReportTitle() : QString();
            break;
        case qrsDetailCount:
            value = IntToStr(ctx.recordCount ? ctx.recordCount() : 0);
            break;
        case qrsDetailNo:
            value = IntToStr(ctx.recordNumber);
            break;
    }
    return text_ + value;
}

// ---------------------------------------------------------------------------
// TQRMemo

TQRMemo::TQRMemo(QObject* owner, TQRCustomBand* band) : TQRCustomLabel(owner, band) {}

QString TQRMemo::Text() const {
    return lines_.join(u'\n');
}

void TQRMemo::setText(const QString& text) {
    static const QRegularExpression kBreak(QStringLiteral("\r\n|\n|\r"));
    lines_ = text.isEmpty() ? QStringList() : text.split(kBreak);
}

// ---------------------------------------------------------------------------
// TQRShape

TQRShape::TQRShape(QObject* owner, TQRCustomBand* band) : TQRPrintable(owner, band) {}

void TQRShape::Draw(TQRPrintContext& ctx, const QRectF& rect) {
    TQRPageRecord* p = ctx.painter;
    if (!p) return;
    const QColor pen = ColorToQt(Pen.Color);
    const double w = Pen.Width;
    const QRectF r = QRPictureRect(rect);
    if (w > 0 && pen.isValid())
        ctx.usePen(pen, w);
    else
        ctx.useNoPen();
    const double half = w * kQRSub / 2;
    const QRectF inner = r.adjusted(half, half, -half, -half);
    switch (shape_) {
        case qrsRectangle:
            ctx.useBrush(Brush.Clear ? QColor() : ColorToQt(Brush.Color));
            p->drawRect(inner);
            break;
        case qrsCircle:
            ctx.useBrush(Brush.Clear ? QColor() : ColorToQt(Brush.Color));
            p->drawEllipse(inner);
            break;
        case qrsHorLine:
            p->drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
            break;
        case qrsVertLine:
            p->drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
            break;
        case qrsTopAndBottom:
            p->drawLine(QPointF(r.left(), inner.top()), QPointF(r.right(), inner.top()));
            p->drawLine(QPointF(r.left(), inner.bottom()), QPointF(r.right(), inner.bottom()));
            break;
        case qrsRightAndLeft:
            p->drawLine(QPointF(inner.left(), r.top()), QPointF(inner.left(), r.bottom()));
            p->drawLine(QPointF(inner.right(), r.top()), QPointF(inner.right(), r.bottom()));
            break;
    }
}

// ---------------------------------------------------------------------------
// Pictures

TQRImage::TQRImage(QObject* owner, TQRCustomBand* band) : TQRPrintable(owner, band) {
    setTransparent(true);
}

void TQRImage::setPicture(const QImage& image) {
    picture_ = image;
    if (autoSize_ && !image.isNull()) {
        setWidth(image.width());
        setHeight(image.height());
    }
}

void TQRImage::Draw(TQRPrintContext& ctx, const QRectF& rect) {
    drawBox(ctx, rect);
    if (!ctx.painter) return;
    const QImage image = CurrentPicture();
    if (image.isNull()) return;
    // Without Stretch a pixel is a report unit; what falls outside the box
    // is not printed.
    QRectF target = rect;
    QRectF source(0, 0, image.width(), image.height());
    if (!stretch_) {
        target = QRectF(rect.topLeft(), QSizeF(image.width(), image.height()));
        if (center_) target.moveCenter(rect.center());
        const QRectF visible = target.intersected(rect);
        if (visible.isEmpty()) return;
        source = QRectF(visible.topLeft() - target.topLeft(), visible.size());
        target = visible;
    }
    // Pages keep the picture at no more than 300 dots per inch of paper, so
    // that a logo on every page does not weigh a full-size copy on each.
    const QSize needed(qMax(1, qRound(target.width() * 300 / kQRUnitsPerInch)),
                       qMax(1, qRound(target.height() * 300 / kQRUnitsPerInch)));
    const QRect src = source.toAlignedRect();
    const qint64 key = image.cacheKey() ^ (qint64(src.x()) << 16) ^ (qint64(src.width()) << 32) ^
                       (qint64(needed.width()) << 48);
    if (scaled_.isNull() || key != scaledKey_) {
        QImage part = src == image.rect() ? image : image.copy(src);
        if (part.width() > needed.width() || part.height() > needed.height())
            part = part.scaled(needed, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled_ = part;
        scaledKey_ = key;
    }
    ctx.painter->drawImage(QRPictureRect(target), scaled_);
}

TQRDBImage::TQRDBImage(QObject* owner, TQRCustomBand* band) : TQRImage(owner, band) {}

QImage TQRDBImage::CurrentPicture() {
    TDataSet* ds = dataSetOf(dataSet_, ParentBand());
    if (!ds || !ds->Active() || dataField_.isEmpty()) return QImage();
    TField* f = ds->FindField(dataField_);
    return f ? f->AsImage() : QImage();
}
