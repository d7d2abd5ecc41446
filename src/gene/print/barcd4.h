#pragma once
// TPrintBarcode: one barcode, drawn on the control itself (a paint box on a
// form) or on any other painter at that device's resolution: a page of the
// print engine, an image, a printer. Every bar is a filled rectangle of whole
// device pixels, drawn straight onto the target, so that the narrow and wide
// elements of one symbol have the same widths everywhere on it.
//
// The text can follow a database field (DataSource, DataField), and the
// control can be moved and resized with the mouse.

#include <QPointer>

#include "ui/controls.h"

class QPainter;
class TDataSource;
class TFieldDataLink;

enum class TBarCodeType {
    Code39,
    Interleaved2Of5,
    Code128,
    PostNet,
    PostnetZip,
    PostNetZipPlus4,
    Postnet11,
    EAN,
    EAN8,
    EAN13,
    ITF14,
    FIMA,
    FIMB,
    FIMC,
    EAN128
};

class TPrintBarcode : public TPaintBox {
    Q_OBJECT
public:
    explicit TPrintBarcode(QWidget* parent = nullptr);
    ~TPrintBarcode() override;

    // At most 280 characters (a longer text is cut).
    QString Text() const { return text_; }
    void setText(const QString& Value);
    TBarCodeType BarCodeType() const { return type_; }
    // The POSTNET types also turn AutoSizing on.
    void setBarCodeType(TBarCodeType Value);
    bool ClearZone() const { return clearZone_; }
    void setClearZone(bool Value) { clearZone_ = Value; }
    bool AutoPosition() const { return autoPosition_; }
    void setAutoPosition(bool Value) { autoPosition_ = Value; }
    bool AutoSizing() const { return autoSizing_; }
    void setAutoSizing(bool Value) { autoSizing_ = Value; }
    // Taken only for Code 128, GS1-128 and the EAN types; held within 0.8 to
    // 2.0 for EAN, 0.2 to 1.25 for Code 128 and GS1-128.
    double Magnification() const { return magnification_; }
    void setMagnification(double Value);
    int BarColor() const { return barColor_; }
    void setBarColor(int Value);

    // Size and position in inches at the control's own resolution (vertical
    // for height and top, horizontal for width and left), read to three
    // decimals.
    double HeightInInches() const;
    void setHeightInInches(double Value);
    double WidthInInches() const;
    void setWidthInInches(double Value);
    double TopInInches() const;
    void setTopInInches(double Value);
    double LeftInInches() const;
    void setLeftInInches(double Value);

    TDataSource* DataSource() const;
    void setDataSource(TDataSource* Value);
    QString DataField() const;
    void setDataField(const QString& Value);

    // Draws the text on Lienzo at the control's Left and Top (converted from
    // screen pixels with AutoPosition) at Resolucion dots per inch; below 5
    // means the screen's. On a printer the printer's own horizontal and
    // vertical resolutions are used. A null Lienzo draws on the control
    // itself (repainting it).
    void DibujarCodigoBarras(QPainter* Lienzo, int Resolucion);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Dibujar(QPainter* lienzo, bool propio, int resolucion);
    void DatosCambiados();
    void Repintar();

    QString text_ = QStringLiteral("1234");
    TBarCodeType type_ = TBarCodeType::Interleaved2Of5;
    bool clearZone_ = true;
    bool autoPosition_ = false;
    bool autoSizing_ = true;
    double magnification_ = 1.0;
    int barColor_ = clBlack;
    TFieldDataLink* link_;

    // Mouse editing: the edges taken at the press, the press point and the
    // rectangle as it was, and the frame that shows the new one.
    int bordes_ = 0;
    QPoint origenRaton_;
    QRect rectInicial_;
    QPointer<QWidget> marco_;
};
