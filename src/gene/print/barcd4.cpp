#include "gene/print/barcd4.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "db/field.h"
#include "gene/print/barcd4_p.h"
#include "ui/dbcontrols.h"

namespace {

constexpr int kLongitudMaxima = 280;

// The dotted outline that follows the mouse while the control is moved or
// resized; it lets the clicks through.
class TMarcoEdicion : public QWidget {
public:
    explicit TMarcoEdicion(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

enum { kIzquierda = 1, kArriba = 2, kDerecha = 4, kAbajo = 8 };

}  // namespace

void TDibujoBarras::Estrecho() {
    if (!propio || !control) return;
    lienzo->setPen(barra);
    lienzo->setBrush(fondo);
    lienzo->drawRect(control->rect().adjusted(0, 0, -1, -1));
}

void TDibujoBarras::TamanoControl(int ancho_, int alto_) {
    if (!propio || !control) return;
    if (control->width() != ancho_ || control->height() != alto_) control->resize(ancho_, alto_);
}

void TDibujoBarras::AnchoControl(int ancho_) {
    if (control) TamanoControl(ancho_, control->height());
}

TPrintBarcode::TPrintBarcode(QWidget* parent) : TPaintBox(parent), link_(new TFieldDataLink(this)) {
    setColor(clWhite);
    if (Width() < 100) setWidth(100);
    link_->OnDataChange = [this] { DatosCambiados(); };
    setMouseTracking(false);
}

TPrintBarcode::~TPrintBarcode() {
    delete marco_;
    delete link_;
}

void TPrintBarcode::Repintar() {
    if (parentWidget() && isVisible()) update();
}

void TPrintBarcode::setText(const QString& Value) {
    text_ = Value.left(kLongitudMaxima);
    Repintar();
}

void TPrintBarcode::setBarCodeType(TBarCodeType Value) {
    type_ = Value;
    if (Value == TBarCodeType::PostNet || Value == TBarCodeType::PostnetZip ||
        Value == TBarCodeType::PostNetZipPlus4 || Value == TBarCodeType::Postnet11)
        autoSizing_ = true;
    Repintar();
}

void TPrintBarcode::setMagnification(double Value) {
    switch (type_) {
        case TBarCodeType::EAN:
        case TBarCodeType::EAN8:
        case TBarCodeType::EAN13:
            magnification_ = std::clamp(Value, 0.8, 2.0);
            break;
        case TBarCodeType::Code128:
        case TBarCodeType::EAN128:
            magnification_ = std::clamp(Value, 0.2, 1.25);
            break;
        default:
            break;
    }
}

void TPrintBarcode::setBarColor(int Value) {
    barColor_ = Value;
    Repintar();
}

namespace {
double Pulgadas(int pixeles, int resolucion) {
    return resolucion > 0 ? std::round(double(pixeles) / resolucion * 1000.0) / 1000.0 : 0.0;
}
int Pixeles(double pulgadas, int resolucion) {
    return int(std::lround(resolucion * pulgadas));
}
}  // namespace

double TPrintBarcode::HeightInInches() const {
    return Pulgadas(Height(), logicalDpiY());
}
void TPrintBarcode::setHeightInInches(double Value) {
    setHeight(Pixeles(Value, logicalDpiY()));
}
double TPrintBarcode::WidthInInches() const {
    return Pulgadas(Width(), logicalDpiX());
}
void TPrintBarcode::setWidthInInches(double Value) {
    setWidth(Pixeles(Value, logicalDpiX()));
}
double TPrintBarcode::TopInInches() const {
    return Pulgadas(Top(), logicalDpiY());
}
void TPrintBarcode::setTopInInches(double Value) {
    setTop(Pixeles(Value, logicalDpiY()));
}
double TPrintBarcode::LeftInInches() const {
    return Pulgadas(Left(), logicalDpiX());
}
void TPrintBarcode::setLeftInInches(double Value) {
    setLeft(Pixeles(Value, logicalDpiX()));
}

TDataSource* TPrintBarcode::DataSource() const {
    return link_->DataSource();
}
void TPrintBarcode::setDataSource(TDataSource* Value) {
    link_->setDataSource(Value);
}
QString TPrintBarcode::DataField() const {
    return link_->FieldName();
}
void TPrintBarcode::setDataField(const QString& Value) {
    link_->setFieldName(Value);
    DatosCambiados();
}

void TPrintBarcode::DatosCambiados() {
    if (!link_->Field() || !link_->Active()) return;
    QString texto = link_->Field()->Text();
    const int minimo = type_ == TBarCodeType::EAN13 || type_ == TBarCodeType::ITF14 ? 12
                       : type_ == TBarCodeType::EAN8                                ? 7
                                                                                    : 0;
    if (texto.size() < minimo) texto = QString(minimo - texto.size(), QLatin1Char('0')) + texto;
    setText(texto);
}

void TPrintBarcode::DibujarCodigoBarras(QPainter* Lienzo, int Resolucion) {
    if (!Lienzo) {
        repaint();
        return;
    }
    Dibujar(Lienzo, false, Resolucion);
}

void TPrintBarcode::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Dibujar(&p, true, 0);
}

void TPrintBarcode::Dibujar(QPainter* lienzo, bool propio, int resolucion) {
    const int pantallaX = logicalDpiX();
    const int pantallaY = logicalDpiY();
    TDibujoBarras d;
    d.lienzo = lienzo;
    d.control = this;
    d.propio = propio;
    d.resX = resolucion < 5 ? pantallaX : resolucion;
    d.resY = d.resX;
    if (!propio)
        if (const auto* impresora = dynamic_cast<const QPrinter*>(lienzo->device())) {
            d.resX = impresora->logicalDpiX();
            d.resY = impresora->logicalDpiY();
        }
    if (!propio) {
        d.x0 = Left();
        d.y0 = Top();
        if (autoPosition_) {
            d.x0 = int(double(d.resX) * Left() / pantallaX);
            d.y0 = int(double(d.resY) * Top() / pantallaY);
        }
    }
    d.ancho = Width();
    d.alto = Height();
    const bool escalado = type_ == TBarCodeType::Code39 || type_ == TBarCodeType::Interleaved2Of5 ||
                          type_ == TBarCodeType::ITF14;
    if (escalado && autoSizing_) {
        d.alto = int(double(d.resY) * Height() / pantallaY);
        d.ancho = int(double(d.resX) * Width() / pantallaX);
    }
    d.clearZone = clearZone_;
    d.autoSizing = autoSizing_;
    d.autoPosition = autoPosition_;
    d.magnification = magnification_;
    d.barra = ColorToQt(barColor_);
    d.fondo = ColorToQt(Color());

    lienzo->save();
    lienzo->setRenderHint(QPainter::Antialiasing, false);
    switch (type_) {
        case TBarCodeType::Code39:
            PintarCode39(d, text_);
            break;
        case TBarCodeType::Interleaved2Of5:
            PintarInterleaved2de5(d, text_);
            break;
        case TBarCodeType::ITF14:
            PintarITF14(d, text_);
            break;
        case TBarCodeType::Code128:
            PintarCode128(d, text_, false);
            break;
        case TBarCodeType::EAN128:
            PintarCode128(d, text_, true);
            break;
        case TBarCodeType::PostnetZip:
            PintarPostnet(d, text_, 5);
            break;
        case TBarCodeType::PostNetZipPlus4:
            PintarPostnet(d, text_, 9);
            break;
        case TBarCodeType::Postnet11:
            PintarPostnet(d, text_, 11);
            break;
        case TBarCodeType::PostNet:
            // 6 to 9 characters take the 9-digit form, 10 or more the 11-digit one.
            PintarPostnet(d, text_, text_.size() < 6 ? 5 : text_.size() < 10 ? 9 : 11);
            break;
        case TBarCodeType::EAN:
        case TBarCodeType::EAN8:
        case TBarCodeType::EAN13:
            PintarEAN(d, text_);
            break;
        case TBarCodeType::FIMA:
            PintarFIM(d, QLatin1Char('A'));
            break;
        case TBarCodeType::FIMB:
            PintarFIM(d, QLatin1Char('B'));
            break;
        case TBarCodeType::FIMC:
            PintarFIM(d, QLatin1Char('C'));
            break;
    }
    lienzo->restore();
}

// ---------------------------------------------------------------- mouse editing

void TPrintBarcode::mousePressEvent(QMouseEvent* event) {
    TPaintBox::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !parentWidget()) return;
    const QPoint p = event->position().toPoint();
    bordes_ = 0;
    if (p.x() <= 3) bordes_ |= kIzquierda;
    if (p.y() <= 3) bordes_ |= kArriba;
    if (Width() - p.x() <= 3) bordes_ |= kDerecha;
    if (Height() - p.y() <= 3) bordes_ |= kAbajo;
    origenRaton_ = event->globalPosition().toPoint();
    rectInicial_ = geometry();
    delete marco_;
    marco_ = new TMarcoEdicion(parentWidget());
    marco_->setGeometry(rectInicial_);
    marco_->show();
    marco_->raise();
}

void TPrintBarcode::mouseMoveEvent(QMouseEvent* event) {
    TPaintBox::mouseMoveEvent(event);
    if (!marco_ || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint delta = event->globalPosition().toPoint() - origenRaton_;
    QRect r = rectInicial_;
    if (bordes_ == 0) {
        r.translate(delta);
    } else {
        if (bordes_ & kIzquierda) r.setLeft(r.left() + delta.x());
        if (bordes_ & kArriba) r.setTop(r.top() + delta.y());
        if (bordes_ & kDerecha) r.setRight(r.right() + delta.x());
        if (bordes_ & kAbajo) r.setBottom(r.bottom() + delta.y());
    }
    marco_->setGeometry(r.normalized());
    marco_->update();
}

void TPrintBarcode::mouseReleaseEvent(QMouseEvent* event) {
    TPaintBox::mouseReleaseEvent(event);
    if (!marco_ || event->button() != Qt::LeftButton) return;
    const QRect r = marco_->geometry();
    delete marco_;
    SetBounds(r.left(), r.top(), r.width(), r.height());
}
