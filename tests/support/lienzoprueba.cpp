#include "support/lienzoprueba.h"

#include <QPaintEngine>
#include <QPen>
#include <QTableView>
#include <QTextItem>
#include <QTransform>
#include <QWidget>

namespace {

class MotorPrueba : public QPaintEngine {
public:
    explicit MotorPrueba(LienzoPrueba* Lienzo) : QPaintEngine(AllFeatures), lienzo_(Lienzo) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    void updateState(const QPaintEngineState& Estado) override {
        if (Estado.state() & DirtyPen) color_ = Estado.pen().color();
        if (Estado.state() & DirtyTransform) transformacion_ = Estado.transform();
    }
    void drawTextItem(const QPointF& Punto, const QTextItem& Texto) override {
        lienzo_->textos.append({Texto.text(), color_, transformacion_.map(Punto)});
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}
    void drawRects(const QRect*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawLines(const QLine*, int) override {}
    void drawPath(const QPainterPath&) override {}

private:
    LienzoPrueba* lienzo_;
    QColor color_;
    QTransform transformacion_;
};

}  // namespace

LienzoPrueba::LienzoPrueba(const QSize& Medidas)
    : medidas_(Medidas), motor_(std::make_unique<MotorPrueba>(this)) {}

LienzoPrueba::~LienzoPrueba() = default;

QPaintEngine* LienzoPrueba::paintEngine() const {
    return motor_.get();
}

int LienzoPrueba::metric(PaintDeviceMetric Medida) const {
    switch (Medida) {
        case PdmWidth:
            return medidas_.width();
        case PdmHeight:
            return medidas_.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 1 << 24;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        case PdmWidthMM:
            return medidas_.width() * 254 / 960;
        case PdmHeightMM:
            return medidas_.height() * 254 / 960;
    }
    return 0;
}

QList<LienzoPrueba::Texto> TextosDibujados(QWidget* Widget) {
    LienzoPrueba lienzo(Widget->size());
    Widget->render(&lienzo);
    return lienzo.textos;
}

QMap<std::pair<int, int>, QStringList> TextosCeldas(QTableView* Rejilla) {
    QMap<std::pair<int, int>, QStringList> celdas;
    const QPoint origen = Rejilla->viewport()->mapTo(Rejilla, QPoint(0, 0));
    for (const LienzoPrueba::Texto& t : TextosDibujados(Rejilla)) {
        // A little below the baseline's origin: inside the text's own cell.
        const QModelIndex i = Rejilla->indexAt(t.punto.toPoint() - origen + QPoint(1, -1));
        if (i.isValid())
            celdas[{i.column(), i.row()}] << t.texto + QLatin1Char(' ') + t.color.name();
    }
    return celdas;
}

QStringList MarcasDia(QTableView* Rejilla, int Columna, int Fila, int Dia) {
    QStringList marcas = TextosCeldas(Rejilla).value({Columna, Fila});
    marcas.removeAll(QString::number(Dia) + QStringLiteral(" #000000"));
    return marcas;
}
