#pragma once
// Inside the report engine: what a control sees while its band prints, and
// the drawing helpers that turn report units into page (picture) units.

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QRectF>
#include <functional>

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

struct TQRPrintContext {
    TQuickRep* report = nullptr;
    QPainter* painter = nullptr;  // the page being drawn
    int pageNumber = 0;
    int recordNumber = 0;
    std::function<int()> recordCount;
    QDateTime started;

    // A new page: the painter's state is its own again.
    void startPage(QPainter* p);
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
