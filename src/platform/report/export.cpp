#include "report/export.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPicture>
#include <algorithm>
#include <functional>

#include "io/textfile.h"
#include "report/engine_p.h"
#include "report/quickrep.h"

namespace {

struct PlacedText {
    double x, y, width;  // y: the top of the text
    QString text;
};

// A paint engine that draws nothing and keeps the texts it is given with
// their baseline positions: playing a page on it reads the page's text.
class TextCollector : public QPaintEngine {
public:
    TextCollector() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override {
        if (state.state() & QPaintEngine::DirtyTransform) transform_ = state.transform();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
    }
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        const QString text = item.text();
        if (text.trimmed().isEmpty()) return;
        const QPointF at = transform_.map(p);
        // Texts of one band row share their top, whatever their fonts.
        const double top = at.y() - QFontMetricsF(item.font()).ascent() * transform_.m22();
        texts.append({at.x(), top, item.width() * transform_.m11(), text});
    }
    Type type() const override { return QPaintEngine::User; }

    QList<PlacedText> texts;

private:
    QTransform transform_;
};

class TextDevice : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable TextCollector engine;

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
            case PdmHeight:
                return 100000;
            case PdmWidthMM:
            case PdmHeightMM:
                return int(100000 * 25.4 / QPicture().logicalDpiX());
            // The pages' own resolution: playing them here does not scale them.
            case PdmDpiX:
            case PdmPhysicalDpiX:
                return QPicture().logicalDpiX();
            case PdmDpiY:
            case PdmPhysicalDpiY:
                return QPicture().logicalDpiY();
            case PdmNumColors:
                return 256;
            case PdmDepth:
                return 32;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return int(QPaintDevice::devicePixelRatioFScale());
            default:
                return 0;
        }
    }
};

QString csvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

}  // namespace

namespace {

// The texts of a page drawn by `draw` onto a painter in the page's own unit,
// by lines.
QList<TQRTextLine> textLines(const std::function<void(QPainter&)>& draw) {
    TextDevice device;
    {
        QPainter painter(&device);
        draw(painter);
    }
    QList<PlacedText> texts = device.engine.texts;
    std::stable_sort(texts.begin(), texts.end(), [](const PlacedText& a, const PlacedText& b) {
        return a.y < b.y || (a.y == b.y && a.x < b.x);
    });
    // Texts whose tops lie within a few report units share a line: a band row
    // (the lines of a wrapped text lie a whole line apart).
    const double tolerance = 4 * kQRSub;
    QList<TQRTextLine> lines;
    double lineY = 0;
    for (const PlacedText& t : texts) {
        if (lines.isEmpty() || t.y - lineY > tolerance) {
            lines.append(TQRTextLine());
            lineY = t.y;
        }
        lines.last().append({t.x / kQRSub, t.y / kQRSub, t.width / kQRSub, t.text});
    }
    for (TQRTextLine& line : lines)
        std::stable_sort(line.begin(), line.end(), [](const TQRTextItem& a, const TQRTextItem& b) {
            return a.Left < b.Left;
        });
    return lines;
}

}  // namespace

QList<TQRTextLine> PageTextLines(const QPicture& page) {
    return textLines([&page](QPainter& painter) { painter.drawPicture(0, 0, page); });
}

QList<TQRTextLine> PageTextLines(const TQRPageRecord& page) {
    return textLines([&page](QPainter& painter) { page.play(painter); });
}

TQRExportFilter::~TQRExportFilter() = default;

QString TQRExportFilter::Counted(const QString& text) {
    if (!FitsWindows1252(text)) ++lossy_;
    return text;
}

void TQRTextFilter::Page(int, const QList<TQRTextLine>& lines) {
    const double charWidth = CharWidth > 0 ? CharWidth : 6;
    for (const TQRTextLine& line : lines) {
        QString out;
        for (const TQRTextItem& item : line) {
            qsizetype column = qMax(0, qRound(item.Left / charWidth));
            // Never over the text before: one blank apart at least.
            if (!out.isEmpty() && column <= out.size()) column = out.size() + 1;
            out += QString(column - out.size(), u' ') + Counted(item.Text);
        }
        text_ += out + QStringLiteral("\r\n");
    }
}

bool TQRTextFilter::Finish() {
    return WriteTextFile(FileName(), text_, TextEncoding::Windows1252);
}

void TQRCSVFilter::Page(int, const QList<TQRTextLine>& lines) {
    for (const TQRTextLine& line : lines) {
        QStringList fields;
        for (const TQRTextItem& item : line) fields.append(csvField(Counted(item.Text)));
        text_ += fields.join(u',') + QStringLiteral("\r\n");
    }
}

bool TQRCSVFilter::Finish() {
    return WriteTextFile(FileName(), text_, TextEncoding::Windows1252);
}

void TQRHTMLFilter::Start(const QString& title) {
    html_ = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>") +
            title.toHtmlEscaped() + QStringLiteral("</title>\n</head>\n<body>\n");
}

void TQRHTMLFilter::Page(int number, const QList<TQRTextLine>& lines) {
    if (html_.isEmpty()) Start(QString());
    if (number > 1) html_ += QStringLiteral("<hr>\n");
    html_ += QStringLiteral("<table>\n");
    for (const TQRTextLine& line : lines) {
        html_ += QStringLiteral("<tr>");
        for (const TQRTextItem& item : line)
            html_ += QStringLiteral("<td>") + item.Text.toHtmlEscaped() + QStringLiteral("</td>");
        html_ += QStringLiteral("</tr>\n");
    }
    html_ += QStringLiteral("</table>\n");
}

bool TQRHTMLFilter::Finish() {
    if (html_.isEmpty()) Start(QString());
    return WriteTextFile(FileName(), html_ + QStringLiteral("</body>\n</html>\n"),
                         TextEncoding::Utf8);
}
