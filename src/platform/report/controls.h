#pragma once
// The controls a report band prints. Each is a QObject owned by its form,
// named by its component name, placed on its ParentBand at Left/Top with
// Width/Height in report units (1/96 inch, see report/quickrep.h), drawn in
// its Font (Windows names stand for their installed substitutes: Liberation
// Sans for Arial, MS Sans Serif and Tahoma, Liberation Mono for Courier New)
// and colours given as colour values (red + 256 * green + 65536 * blue).
//
// Text controls (label, field text, expression, calculation, system data,
// memo) work out their value when their band is about to print, hand it to
// OnPrint, which may change it (a Tag of 1000 or more marks an amount whose
// handler converts the currency), and print it top-aligned inside their box:
// AutoSize lets the text run past the box on the side away from its
// alignment, WordWrap breaks it into lines at the box's width, and
// AutoStretch makes the box, and its band, as tall as the lines need.
// What is laid out at a time is what a page can show of the text: a value of
// any size is taken a page at a time, the rest elided where the box keeps its
// height, or printed on the next pages where it stretches.

#include <QFont>
#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

#include "db/field.h"  // TAlignment
#include "report/bands.h"

class QRectF;
class TDataSet;
class TQREvaluator;
struct TQRPrintContext;

using TQRLabelOnPrintEvent = std::function<void(QObject* Sender, QString& Value)>;
Q_DECLARE_METATYPE(TQRLabelOnPrintEvent)

class TQRPrintable : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE setLeft)
    Q_PROPERTY(int Top READ Top WRITE setTop)
    Q_PROPERTY(int Width READ Width WRITE setWidth)
    Q_PROPERTY(int Height READ Height WRITE setHeight)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
    Q_PROPERTY(int Color READ Color WRITE setColor)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(QFont Font READ Font WRITE setFont)
    Q_PROPERTY(int FontColor READ FontColor WRITE setFontColor)
public:
    ~TQRPrintable() override;

    TQRCustomBand* ParentBand() const;
    // Moves the control to another band (nullptr: none; it then never prints).
    void setParentBand(TQRCustomBand* band);

    int Left() const { return left_; }
    void setLeft(int v) { left_ = v; }
    int Top() const { return top_; }
    void setTop(int v) { top_ = v; }
    int Width() const { return width_; }
    void setWidth(int v) { width_ = v < 0 ? 0 : v; }
    int Height() const { return height_; }
    void setHeight(int v) { height_ = v < 0 ? 0 : v; }
    void SetBounds(int left, int top, int width, int height);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool v) { enabled_ = v; }
    int Tag() const { return tag_; }
    void setTag(int v) { tag_ = v; }
    // Background; painted unless Transparent.
    int Color() const { return color_; }
    void setColor(int v) { color_ = v; }
    bool Transparent() const { return transparent_; }
    void setTransparent(bool v) { transparent_ = v; }
    QFont Font() const { return font_; }
    void setFont(const QFont& font);  // the family is substituted on the way in
    int FontColor() const { return fontColor_; }
    void setFontColor(int v) { fontColor_ = v; }
    TAlignment Alignment() const { return alignment_; }
    void setAlignment(TAlignment a) { alignment_ = a; }
    TQRFrame Frame;

protected:
    TQRPrintable(QObject* owner, TQRCustomBand* band);

    // The report engine's steps, each time the band prints: Prepare (the
    // value is worked out, OnPrint runs), StretchedHeight (the height that
    // AutoStretch asks for; 0 when the box keeps its Height), Draw (rect: the
    // box on the page, in report units) and Printed.
    virtual void Prepare(TQRPrintContext& ctx) {}
    virtual double StretchedHeight(TQRPrintContext& ctx) { return 0; }
    virtual void Draw(TQRPrintContext& ctx, const QRectF& rect) = 0;
    virtual void Printed() {}
    // At the start of a run (names bound) and per record of `master` (the
    // report or a sub-detail band) for the running totals.
    virtual void StartReport(TQuickRep* report) {}
    virtual void RecordReached(QObject* master) {}
    // The value changes with the page (it is worked out again when the band
    // moves to a new page).
    virtual bool DependsOnPage() const { return false; }
    // A control taller than what is left of the page goes on over the next
    // pages, a part on each. PartHeight: the height of the whole lines of
    // what is left that fit in `room` (report units from the box's top), 0
    // when not even the first does, -1 when the control does not split.
    // KeepPart makes those lines what Draw draws next; NextPart makes the
    // rest after them what it draws (false when nothing is left).
    virtual double PartHeight(double room) const { return -1; }
    virtual void KeepPart(double room) {}
    virtual bool NextPart() { return false; }

    // Enabled on an enabled band: a name it lacks stops the report at its start.
    bool WillPrint() const;
    void drawBox(TQRPrintContext& ctx, const QRectF& rect) const;  // background and frame
    const QFont& pictureFont() const;
    // The height in picture units of `text` laid out as one line of the
    // picture font's own glyphs: the font's height, with no layout. -1 when
    // the text may break into lines or needs glyphs of another font.
    double pictureLineHeight(QStringView text) const;
    // Whether `text` is one line of the picture font's own glyphs that is
    // surely no wider than `width` (picture units), without measuring it.
    bool surelyNarrower(QStringView text, double width) const;
    // The narrowest advance of the picture font's own Latin-1 glyphs
    // (picture units): no line `width` wide holds more of them than
    // width / narrowest.
    double pictureNarrowest() const;

private:
    friend class TQREngine;
    friend class TQRCustomBand;

    TQRCustomBand* band_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 65;
    int height_ = 17;
    int tag_ = 0;
    int color_ = 0xFFFFFF;
    int fontColor_ = 0x000000;
    bool enabled_ = true;
    bool transparent_ = false;
    TAlignment alignment_ = taLeftJustify;
    QFont font_;
    mutable QFont pictureFont_;
    mutable bool pictureFontValid_ = false;
    // With the picture font: its height, which Latin-1 characters it draws
    // itself (bit c - 0x20 of the printable ones, 0x20-0x7E and 0xA0-0xFF)
    // and the widest advance among them (-1 until asked for).
    mutable double pictureHeight_ = 0;
    mutable double pictureWidest_ = -1;
    mutable double pictureNarrowest_ = -1;
    mutable quint64 pictureLatin1_[4] = {};
};

// What every text control shares.
class TQRCustomLabel : public TQRPrintable {
    Q_OBJECT
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
    Q_PROPERTY(bool AutoStretch READ AutoStretch WRITE setAutoStretch)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)
    Q_PROPERTY(QVariant OnPrint READ eventOnPrint WRITE setEventOnPrint)
public:
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool v) { autoSize_ = v; }
    bool AutoStretch() const { return autoStretch_; }
    void setAutoStretch(bool v) { autoStretch_ = v; }
    bool WordWrap() const { return wordWrap_; }
    void setWordWrap(bool v) { wordWrap_ = v; }

    TQRLabelOnPrintEvent OnPrint;
    QVariant eventOnPrint() const { return bool(OnPrint); }
    void setEventOnPrint(const QVariant& v);

    // The text as printed the last time (after OnPrint), whole when it went
    // on over several pages.
    QString PrintedText() const { return printed_; }

    // A figure is never wrapped or cut: one wider than the box prints in a
    // smaller font, and where even the smallest cannot hold it the box is
    // filled with "#" and OnOverflow is called, rather than a wrong figure.
    bool FitFigure() const { return fitFigure_; }
    void setFitFigure(bool v) { fitFigure_ = v; }
    std::function<void()> OnOverflow;

protected:
    TQRCustomLabel(QObject* owner, TQRCustomBand* band);
    // The value before OnPrint.
    virtual QString Value(TQRPrintContext& ctx) = 0;

    void Prepare(TQRPrintContext& ctx) override;
    double StretchedHeight(TQRPrintContext& ctx) override;
    void Draw(TQRPrintContext& ctx, const QRectF& rect) override;
    double PartHeight(double room) const override;
    void KeepPart(double room) override;
    bool NextPart() override;

private:
    int textFlags() const;
    void fitFigure();
    void cutToBox();
    void breakLongWords();
    // Adds to text_ what a page can show of whole_ from next_, shaped for the box.
    void takePage();
    bool wraps() const { return wordWrap_ && !autoSize_ && !fitFigure_; }
    // Where the whole lines of text_ that fit in `room` (report units) end
    // in it, and their height; 0 when none fits.
    qsizetype partEnd(double room, double* height) const;
    QString text_;               // what Draw draws: the whole text or the part of this page
    QString printed_;            // the whole text
    QString rest_;               // what goes on to the next page
    QString whole_;              // the value after OnPrint, laid out a page at a time
    qsizetype next_ = 0;         // where in whole_ what is not yet in text_ or rest_ starts
    bool windowed_ = false;      // whole_ is laid out a page at a time
    qsizetype pageLines_ = 0;    // the most lines a page (or the box) shows
    qsizetype lineLetters_ = 0;  // the most characters a line shows
    // The last part worked out of text_: for which room, where it ends, its height.
    mutable double partRoom_ = -1;
    mutable qsizetype partEnd_ = 0;
    mutable double partHeight_ = 0;
    QFont fittedFont_;  // the smaller font of a figure, when fitted_
    bool fitted_ = false;
    bool fitFigure_ = false;
    bool autoSize_ = false;
    bool autoStretch_ = false;
    bool wordWrap_ = true;
};

class TQRLabel : public TQRCustomLabel {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
public:
    explicit TQRLabel(QObject* owner = nullptr, TQRCustomBand* band = nullptr);
    QString Caption() const { return caption_; }
    void setCaption(const QString& c) { caption_ = c; }

protected:
    QString Value(TQRPrintContext& ctx) override { return caption_; }

private:
    QString caption_;
};

// A field's text: FormatFloat(Mask) for numbers and FormatDateTime(Mask) for
// dates when a Mask is set, otherwise the field's DisplayText (its
// DisplayFormat and OnGetText); memos print their whole text.
class TQRDBText : public TQRCustomLabel {
    Q_OBJECT
    Q_PROPERTY(QString DataField READ DataField WRITE setDataField)
    Q_PROPERTY(QString Mask READ Mask WRITE setMask)
public:
    explicit TQRDBText(QObject* owner = nullptr, TQRCustomBand* band = nullptr);
    // nullptr: the report's dataset.
    TDataSet* DataSet() const { return dataSet_; }
    void setDataSet(TDataSet* ds) { dataSet_ = ds; }
    QString DataField() const { return dataField_; }
    void setDataField(const QString& f) { dataField_ = f; }
    QString Mask() const { return mask_; }
    void setMask(const QString& m) { mask_ = m; }

protected:
    QString Value(TQRPrintContext& ctx) override;
    void StartReport(TQuickRep* report) override;

private:
    TDataSet* dataSet_ = nullptr;
    QString dataField_;
    QString mask_;
};

// The value of an expression (report/expr.h). Totals in it (SUM, COUNT, ...)
// run over the records of Master (the report unless set) and, with
// ResetAfterPrint, start again after each print of the control.
class TQRExpr : public TQRCustomLabel {
    Q_OBJECT
    Q_PROPERTY(QString Expression READ Expression WRITE setExpression)
    Q_PROPERTY(QString Mask READ Mask WRITE setMask)
    Q_PROPERTY(bool ResetAfterPrint READ ResetAfterPrint WRITE setResetAfterPrint)
public:
    explicit TQRExpr(QObject* owner = nullptr, TQRCustomBand* band = nullptr);
    ~TQRExpr() override;
    QString Expression() const { return expression_; }
    void setExpression(const QString& e);
    QString Mask() const { return mask_; }
    void setMask(const QString& m) { mask_ = m; }
    bool ResetAfterPrint() const { return resetAfterPrint_; }
    void setResetAfterPrint(bool v) { resetAfterPrint_ = v; }
    QObject* Master() const { return master_; }
    void setMaster(QObject* master) { master_ = master; }
    // The value now (binds the expression to the report when needed).
    QVariant Evaluate();

protected:
    QString Value(TQRPrintContext& ctx) override;
    void Printed() override;
    void StartReport(TQuickRep* report) override;
    void RecordReached(QObject* master) override;

private:
    bool bind(TQuickRep* report);
    QString expression_;
    QString mask_;
    bool resetAfterPrint_ = false;
    QObject* master_ = nullptr;
    std::unique_ptr<TQREvaluator> evaluator_;
};

enum TQRCalcOperation { dbcSum, dbcCount, dbcMax, dbcMin, dbcAverage };

// A running total of a field over the records of Master (the report unless
// set), printed with PrintMask.
class TQRDBCalc : public TQRCustomLabel {
    Q_OBJECT
    Q_PROPERTY(QString DataField READ DataField WRITE setDataField)
    Q_PROPERTY(QString PrintMask READ PrintMask WRITE setPrintMask)
    Q_PROPERTY(bool ResetAfterPrint READ ResetAfterPrint WRITE setResetAfterPrint)
public:
    explicit TQRDBCalc(QObject* owner = nullptr, TQRCustomBand* band = nullptr);
    ~TQRDBCalc() override;
    TDataSet* DataSet() const { return dataSet_; }
    void setDataSet(TDataSet* ds) { dataSet_ = ds; }
    QString DataField() const { return dataField_; }
    void setDataField(const QString& f) { dataField_ = f; }
    TQRCalcOperation Operation() const { return operation_; }
    void setOperation(TQRCalcOperation op) { operation_ = op; }
    QString PrintMask() const { return printMask_; }
    void setPrintMask(const QString& m) { printMask_ = m; }
    bool ResetAfterPrint() const { return resetAfterPrint_; }
    void setResetAfterPrint(bool v) { resetAfterPrint_ = v; }
    QObject* Master() const { return master_; }
    void setMaster(QObject* master) { master_ = master; }
    QVariant Evaluate() const;

protected:
    QString Value(TQRPrintContext& ctx) override;
    void Printed() override;
    void StartReport(TQuickRep* report) override;
    void RecordReached(QObject* master) override;

private:
    TDataSet* dataSet_ = nullptr;
    QString dataField_;
    QString printMask_;
    TQRCalcOperation operation_ = dbcSum;
    bool resetAfterPrint_ = false;
    QObject* master_ = nullptr;
    std::unique_ptr<TQREvaluator> evaluator_;
};

enum TQRSysDataType {
    qrsTime,
    qrsDate,
    qrsDateTime,
    qrsPageNumber,
    qrsReportTitle,
    qrsDetailCount,
    qrsDetailNo
};

// Text followed by a value of the run: the page number, the date and time
// the run started, the report's title, the record number or count.
class TQRSysData : public TQRCustomLabel {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE setText)
public:
    explicit TQRSysData(QObject* owner = nullptr, TQRCustomBand* band = nullptr);
    TQRSysDataType Data() const { return data_; }
    void setData(TQRSysDataType d) { data_ = d; }
    QString Text() const { return text_; }
    void setText(const QString& t) { text_ = t; }

protected:
    QString Value(TQRPrintContext& ctx) override;
    bool DependsOnPage() const override { return data_ == qrsPageNumber; }

private:
    TQRSysDataType data_ = qrsTime;
    QString text_;
};

class TQRMemo : public TQRCustomLabel {
    Q_OBJECT
    Q_PROPERTY(QStringList Lines READ Lines WRITE setLines)
public:
    explicit TQRMemo(QObject* owner = nullptr, TQRCustomBand* band = nullptr);
    QStringList Lines() const { return lines_; }
    void setLines(const QStringList& l) { lines_ = l; }
    // The lines as one text, separated by line breaks.
    QString Text() const;
    void setText(const QString& text);

protected:
    QString Value(TQRPrintContext& ctx) override { return Text(); }

private:
    QStringList lines_;
};

enum TQRShapeType {
    qrsRectangle,
    qrsCircle,
    qrsVertLine,
    qrsHorLine,
    qrsTopAndBottom,
    qrsRightAndLeft
};

struct TQRPen {
    int Color = 0x000000;
    int Width = 1;  // report units
};

struct TQRBrush {
    int Color = 0xFFFFFF;
    bool Clear = false;  // no fill
};

class TQRShape : public TQRPrintable {
    Q_OBJECT
public:
    explicit TQRShape(QObject* owner = nullptr, TQRCustomBand* band = nullptr);
    TQRShapeType Shape() const { return shape_; }
    void setShape(TQRShapeType s) { shape_ = s; }
    TQRPen Pen;
    TQRBrush Brush;

protected:
    void Draw(TQRPrintContext& ctx, const QRectF& rect) override;

private:
    TQRShapeType shape_ = qrsRectangle;
};

// A picture: at its own size (one pixel a report unit), clipped to the box;
// Stretch fits it to the box, Center centres it.
class TQRImage : public TQRPrintable {
    Q_OBJECT
    Q_PROPERTY(bool Stretch READ Stretch WRITE setStretch)
    Q_PROPERTY(bool Center READ Center WRITE setCenter)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
public:
    explicit TQRImage(QObject* owner = nullptr, TQRCustomBand* band = nullptr);
    QImage Picture() const { return picture_; }
    // With AutoSize the box takes the picture's size.
    void setPicture(const QImage& image);
    bool Stretch() const { return stretch_; }
    void setStretch(bool v) { stretch_ = v; }
    bool Center() const { return center_; }
    void setCenter(bool v) { center_ = v; }
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool v) { autoSize_ = v; }

protected:
    void Draw(TQRPrintContext& ctx, const QRectF& rect) override;
    // The picture to print now.
    virtual QImage CurrentPicture() { return picture_; }

private:
    QImage picture_;
    QImage scaled_;  // the last picture made fit for a page, reused while it is the same
    qint64 scaledKey_ = 0;
    bool stretch_ = false;
    bool center_ = false;
    bool autoSize_ = false;
};

// The picture held by a field (graphic or blob).
class TQRDBImage : public TQRImage {
    Q_OBJECT
    Q_PROPERTY(QString DataField READ DataField WRITE setDataField)
public:
    explicit TQRDBImage(QObject* owner = nullptr, TQRCustomBand* band = nullptr);
    TDataSet* DataSet() const { return dataSet_; }
    void setDataSet(TDataSet* ds) { dataSet_ = ds; }
    QString DataField() const { return dataField_; }
    void setDataField(const QString& f) { dataField_ = f; }

protected:
    QImage CurrentPicture() override;

private:
    TDataSet* dataSet_ = nullptr;
    QString dataField_;
};
