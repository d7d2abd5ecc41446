#pragma once
// Inside the report engine: what a control sees while its band prints, and
// the drawing helpers that turn report units into page (picture) units.

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QRectF>
#include <functional>
#include <vector>

class QPainter;
class TQuickRep;
struct TQRFrame;
struct TQRPrintContext;

// Picture units (1/960 inch) per report unit (1/96 inch).
constexpr double kQRSub = 10.0;

inline QRectF QRPictureRect(const QRectF& r) {
    return QRectF(r.x() * kQRSub, r.y() * kQRSub, r.width() * kQRSub, r.height() * kQRSub);
}

// The font as a page draws it: its point size turned into picture units, so
// that its size follows the page at any resolution.
QFont QRPictureFont(const QFont& font);

// The frame's lines on the sides of `rect` (report units).
void QRDrawFrame(TQRPrintContext& ctx, const TQRFrame& frame, const QRectF& rect);

// A page as the run drew it: its drawing calls kept in order and played
// onto any painter later. Texts are laid out only when played, once per
// output, instead of when recorded and again from a picture.
class TQRPageRecord {
public:
    void setFont(const QFont& font);
    void setPen(const QPen& pen);
    void setBrush(const QBrush& brush);
    void fillRect(const QRectF& rect, const QColor& color);
    void drawLine(const QPointF& from, const QPointF& to);
    void drawRect(const QRectF& rect);
    void drawEllipse(const QRectF& rect);
    void drawImage(const QRectF& target, const QImage& image);
    // `oneLine`: the text is one line in the font's own glyphs (no line
    // breaks, tabs or characters another font would draw).
    void drawText(const QRectF& rect, int flags, const QString& text, bool oneLine = false);
    // Plays the calls from the painter's first state.
    void play(QPainter& painter) const;

private:
    enum Kind { Font, Pen, Brush, Fill, Line, Rect, Ellipse, Image, Text, OneLineText };
    struct Call {
        Kind kind;
        int index;  // into the list of its kind's values
        QRectF rect;
        int flags;
    };
    std::vector<Call> calls_;
    std::vector<QFont> fonts_;
    std::vector<QPen> pens_;
    std::vector<QBrush> brushes_;
    std::vector<QColor> colors_;
    std::vector<QImage> images_;
    std::vector<QString> texts_;
};

struct TQRPrintContext {
    TQuickRep* report = nullptr;
    TQRPageRecord* painter = nullptr;  // the page being drawn
    int pageNumber = 0;
    int recordNumber = 0;
    std::function<int()> recordCount;
    QDateTime started;

    // A new page: the painter's state is its own again.
    void startPage(TQRPageRecord* p);
    // Sets the painter's font, pen and brush only when they change, so that
    // a page does not record the same state for every text.
    void useFont(const QFont& pictureFont);
    void usePen(const QColor& color, double widthUnits);
    void useNoPen();
    void useBrush(const QColor& color);  // invalid: no brush

private:
    QFont font_;
    QColor pen_;
    double penWidth_ = -1;
    QColor brush_;
    bool hasFont_ = false;
    bool hasPen_ = false;
    bool hasBrush_ = false;
};
