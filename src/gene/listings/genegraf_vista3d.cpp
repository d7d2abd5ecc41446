#include "gene/listings/genegraf_vista3d.h"

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QGraphicsObject>
#include <QPainter>
#include <QPainterPath>
#include <QPieSeries>
#include <QPieSlice>
#include <QScatterSeries>
#include <QValueAxis>
#include <QtMath>
#include <algorithm>

namespace {

// How far the back of the chart lies up and to the right of its front, in
// scene pixels (printing scales it with the rest of the chart).
constexpr qreal kProfundidad = 14;
const QPointF kFondo(kProfundidad, -kProfundidad);
// A pie's disc seen from above: its height over its width, and its rim's
// height over its width.
constexpr qreal kInclinacion = 0.55;
constexpr qreal kCanto = 0.12;

// Shades of a series' colour for the faces that turn away from the front.
QColor CaraSuperior(const QColor& Color) {
    return Color.darker(125);
}
QColor CaraLateral(const QColor& Color) {
    return Color.darker(165);
}

// The face that the edge A-B sweeps going to the back.
void PintarCara(QPainter* Lienzo, QPointF A, QPointF B, const QColor& Color) {
    Lienzo->setBrush(Color);
    Lienzo->setPen(QPen(Color.darker(130), 0));
    Lienzo->drawPolygon(QPolygonF({A, B, B + kFondo, A + kFondo}));
}

bool EsTarta(const QAbstractSeries* Serie) {
    return Serie->type() == QAbstractSeries::SeriesTypePie;
}

bool EsHorizontal(const QAbstractSeries* Serie) {
    switch (Serie->type()) {
        case QAbstractSeries::SeriesTypeHorizontalBar:
        case QAbstractSeries::SeriesTypeHorizontalStackedBar:
        case QAbstractSeries::SeriesTypeHorizontalPercentBar:
            return true;
        default:
            return false;
    }
}

// Each bar's front is drawn by the chart; its top and its side go back. Bars
// further right (up, for horizontal bars) stand nearer, so they come later.
// The chart sets the bar series of one direction side by side in each
// category, each in its share of the category.
void PintarBarras(QPainter* Lienzo, QChart* Grafico, QAbstractBarSeries* Serie) {
    const bool horizontal = EsHorizontal(Serie);
    int orden = 0, vecinas = 0;
    for (QAbstractSeries* s : Grafico->series()) {
        if (!qobject_cast<QAbstractBarSeries*>(s) || EsHorizontal(s) != horizontal) continue;
        if (s == Serie) orden = vecinas;
        ++vecinas;
    }
    const qreal mitad = Serie->barWidth() / vecinas / 2;
    const qreal desplazamiento = (orden + 0.5) / vecinas - 0.5;
    int categorias = 0;
    for (QBarSet* set : Serie->barSets()) categorias = std::max(categorias, set->count());
    for (int i = 0; i < categorias; ++i) {
        const qreal centro = i + desplazamiento;
        qreal positivo = 0, negativo = 0;
        for (QBarSet* set : Serie->barSets()) {
            const qreal valor = i < set->count() ? set->at(i) : 0;
            if (valor == 0) continue;
            qreal& base = valor > 0 ? positivo : negativo;
            const QPointF desde =
                horizontal ? QPointF(base, centro - mitad) : QPointF(centro - mitad, base);
            base += valor;
            const QPointF hasta =
                horizontal ? QPointF(base, centro + mitad) : QPointF(centro + mitad, base);
            const QRectF frente =
                QRectF(Grafico->mapToPosition(desde, Serie), Grafico->mapToPosition(hasta, Serie))
                    .normalized();
            const QColor color = set->color();
            PintarCara(Lienzo, frente.topLeft(), frente.topRight(), CaraSuperior(color));
            PintarCara(Lienzo, frente.topRight(), frente.bottomRight(), CaraLateral(color));
        }
    }
}

// A line becomes a ribbon going back from it.
void PintarCinta(QPainter* Lienzo, QChart* Grafico, QXYSeries* Serie) {
    const QList<QPointF> valores = Serie->points();
    for (qsizetype i = 1; i < valores.size(); ++i)
        PintarCara(Lienzo, Grafico->mapToPosition(valores[i - 1], Serie),
                   Grafico->mapToPosition(valores[i], Serie), CaraSuperior(Serie->color()));
}

// Each point's marker becomes a solid: its shape repeated back to the wall,
// in the darker shade, behind the marker the chart draws in front.
void PintarSolidos(QPainter* Lienzo, QChart* Grafico, QScatterSeries* Serie) {
    const qreal lado = Serie->markerSize();
    // A drawn marker (the inverted triangle) has one colour, taken from its
    // middle; its silhouette in the darker shade makes the solid.
    const QImage marca = Serie->lightMarker();
    QImage silueta;
    if (!marca.isNull()) {
        silueta = marca.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter p(&silueta);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(silueta.rect(), CaraLateral(marca.pixelColor(marca.rect().center())));
    }
    for (qsizetype i = 0; i < Serie->count(); ++i) {
        const QColor color =
            CaraLateral(Serie->pointConfiguration(int(i))
                            .value(QXYSeries::PointConfiguration::Color, Serie->color())
                            .value<QColor>());
        const QPointF centro = Grafico->mapToPosition(Serie->at(int(i)), Serie);
        Lienzo->setPen(Qt::NoPen);
        Lienzo->setBrush(color);
        for (int paso = int(kProfundidad); paso > 0; --paso) {
            const QRectF caja(centro + kFondo * paso / kProfundidad - QPointF(lado, lado) / 2,
                              QSizeF(lado, lado));
            if (!silueta.isNull())
                Lienzo->drawImage(caja, silueta);
            else if (Serie->markerShape() == QScatterSeries::MarkerShapeRectangle)
                Lienzo->drawRect(caja);
            else
                Lienzo->drawEllipse(caja);
        }
    }
}

// The chart's own (round) pie is transparent; this draws it tilted: the rim along
// the front half, then the slices on top, then their labels when shown.
void PintarDisco(QPainter* Lienzo, QChart* Grafico, QPieSeries* Serie) {
    const QRectF area = Grafico->plotArea();
    const qreal radio =
        Serie->pieSize() * std::min(area.width() / 2, area.height() / (2 * kInclinacion + kCanto));
    const qreal canto = radio * kCanto;
    const QPointF centro(area.left() + area.width() * Serie->horizontalPosition(),
                         area.top() + area.height() * Serie->verticalPosition() - canto / 2);
    const QRectF elipse(centro.x() - radio, centro.y() - radio * kInclinacion, 2 * radio,
                        2 * radio * kInclinacion);
    // Slice angles run clockwise from twelve o'clock.
    const auto punto = [&](qreal Angulo) {
        return QPointF(centro.x() + radio * qSin(qDegreesToRadians(Angulo)),
                       centro.y() - radio * kInclinacion * qCos(qDegreesToRadians(Angulo)));
    };
    const QList<QPieSlice*> porciones = Serie->slices();
    for (QPieSlice* p : porciones) {
        const qreal desde = std::max(p->startAngle(), 90.0);
        const qreal hasta = std::min(p->startAngle() + p->angleSpan(), 270.0);
        if (hasta <= desde) continue;
        QPainterPath rim(punto(desde));
        rim.arcTo(elipse, 90 - desde, desde - hasta);
        rim.lineTo(punto(hasta) + QPointF(0, canto));
        rim.arcTo(elipse.translated(0, canto), 90 - hasta, hasta - desde);
        rim.closeSubpath();
        Lienzo->setPen(QPen(CaraLateral(p->color()).darker(130), 0));
        Lienzo->setBrush(CaraLateral(p->color()));
        Lienzo->drawPath(rim);
    }
    for (QPieSlice* p : porciones) {
        QPainterPath porcion(centro);
        porcion.arcTo(elipse, 90 - p->startAngle(), -p->angleSpan());
        porcion.closeSubpath();
        Lienzo->setPen(p->pen());
        Lienzo->setBrush(p->brush());
        Lienzo->drawPath(porcion);
    }
    for (QPieSlice* p : porciones) {
        if (!p->isLabelVisible()) continue;
        const qreal medio = p->startAngle() + p->angleSpan() / 2;
        const qreal seno = qSin(qDegreesToRadians(medio));
        const qreal coseno = qCos(qDegreesToRadians(medio));
        // Labels of the front half clear the rim.
        const QPointF borde = punto(medio) + QPointF(0, coseno < 0 ? canto : 0);
        const QPointF brazo = borde + QPointF(seno, -coseno) * radio * p->labelArmLengthFactor();
        Lienzo->setPen(QPen(p->labelColor(), 0));
        Lienzo->drawLine(borde, brazo);
        // In pixels, as on screen: a printer's painter would size points
        // for its own resolution, and the chart's scaling comes on top.
        QFont fuente = p->labelFont();
        fuente.setPixelSize(QFontInfo(fuente).pixelSize());
        Lienzo->setFont(fuente);
        const QFontMetricsF medidas(fuente);
        const qreal ancho = medidas.horizontalAdvance(p->label());
        const QPointF origen(seno >= 0 ? brazo.x() + 2 : brazo.x() - 2 - ancho,
                             brazo.y() + (medidas.ascent() - medidas.descent()) / 2 -
                                 (coseno > 0.5 ? medidas.height() / 2 : 0));
        Lienzo->drawText(origen, p->label());
    }
}

// The values at which an axis draws its grid lines.
QList<qreal> ValoresRejilla(const QAbstractAxis* Eje) {
    QList<qreal> valores;
    if (auto* v = qobject_cast<const QValueAxis*>(Eje)) {
        const int n = std::max(v->tickCount(), 2);
        for (int k = 0; k < n; ++k) valores << v->min() + k * (v->max() - v->min()) / (n - 1);
    } else if (auto* c = qobject_cast<const QBarCategoryAxis*>(Eje)) {
        for (int k = 0; k <= c->count(); ++k) valores << k - 0.5;
    }
    return valores;
}

// One layer of the 3-D view, painted from the chart's state at paint time so
// that resizing and the toggles need no rebuilding. The walls lie below the
// chart's axes and series, the faces below the series' fronts.
class CapaVista3D final : public QGraphicsObject {
public:
    enum Tipo { Paredes, Caras };
    CapaVista3D(QChart* Grafico, Tipo Capa, const QList<QAbstractAxis*>& Rejillas = {})
        : QGraphicsObject(Grafico), grafico_(Grafico), capa_(Capa), rejillas_(Rejillas) {
        // Above the plot area's background, below the grid (walls); above
        // the axes, below the series (faces).
        setZValue(Capa == Paredes ? 0.5 : 3.5);
        setAcceptedMouseButtons(Qt::NoButton);
        connect(Grafico, &QGraphicsWidget::geometryChanged, this,
                [this] { prepareGeometryChange(); });
        connect(Grafico, &QChart::plotAreaChanged, this, [this] { update(); });
    }
    QRectF boundingRect() const override { return grafico_->rect(); }
    void paint(QPainter* Lienzo, const QStyleOptionGraphicsItem*, QWidget*) override {
        Lienzo->save();
        Lienzo->setRenderHint(QPainter::Antialiasing);
        if (capa_ == Paredes)
            PintarParedes(Lienzo);
        else
            PintarCaras(Lienzo);
        Lienzo->restore();
    }

private:
    void PintarParedes(QPainter* Lienzo) const {
        const QList<QAbstractSeries*> series = grafico_->series();
        if (std::all_of(series.begin(), series.end(), EsTarta)) return;
        const QRectF area = grafico_->plotArea();
        const QColor pared = grafico_->plotAreaBackgroundBrush().color();
        Lienzo->setPen(QPen(QColor(128, 128, 128), 0));
        Lienzo->setBrush(pared);
        Lienzo->drawRect(area.translated(kFondo));
        Lienzo->setBrush(pared.darker(108));
        Lienzo->drawPolygon(QPolygonF({area.bottomLeft(), area.topLeft(), area.topLeft() + kFondo,
                                       area.bottomLeft() + kFondo}));
        Lienzo->setBrush(pared.darker(116));
        Lienzo->drawPolygon(QPolygonF({area.bottomLeft(), area.bottomRight(),
                                       area.bottomRight() + kFondo, area.bottomLeft() + kFondo}));
        // The grid runs along the back wall and the side wall (or floor).
        for (const QAbstractAxis* eje : rejillas_) {
            QAbstractSeries* serie = nullptr;
            for (QAbstractSeries* s : series)
                if (s->attachedAxes().contains(const_cast<QAbstractAxis*>(eje))) serie = s;
            if (!serie) continue;
            Lienzo->setPen(eje->gridLinePen());
            const bool vertical = eje->orientation() == Qt::Vertical;
            for (const qreal valor : ValoresRejilla(eje)) {
                const QPointF p = grafico_->mapToPosition(
                    vertical ? QPointF(0, valor) : QPointF(valor, 0), serie);
                QPointF desde, hasta;
                if (vertical) {
                    if (p.y() < area.top() - 0.5 || p.y() > area.bottom() + 0.5) continue;
                    desde = QPointF(area.left(), p.y());
                    hasta = QPointF(area.right(), p.y()) + kFondo;
                } else {
                    if (p.x() < area.left() - 0.5 || p.x() > area.right() + 0.5) continue;
                    desde = QPointF(p.x(), area.bottom());
                    hasta = QPointF(p.x(), area.top()) + kFondo;
                }
                const QPointF esquina = desde + kFondo;
                Lienzo->drawPolyline(QPolygonF({desde, esquina, hasta}));
            }
        }
    }

    void PintarCaras(QPainter* Lienzo) const {
        for (QAbstractSeries* s : grafico_->series()) {
            if (auto* barras = qobject_cast<QAbstractBarSeries*>(s))
                PintarBarras(Lienzo, grafico_, barras);
            else if (auto* puntos = qobject_cast<QScatterSeries*>(s))
                PintarSolidos(Lienzo, grafico_, puntos);
            else if (auto* linea = qobject_cast<QXYSeries*>(s))
                PintarCinta(Lienzo, grafico_, linea);
            else if (auto* tarta = qobject_cast<QPieSeries*>(s))
                PintarDisco(Lienzo, grafico_, tarta);
        }
    }

    QChart* grafico_;
    Tipo capa_;
    QList<QAbstractAxis*> rejillas_;
};

}  // namespace

void AplicarVista3D(QChart* Grafico) {
    const QList<QAbstractSeries*> series = Grafico->series();
    // Room above and to the right of the plot for its back.
    if (!std::all_of(series.begin(), series.end(), EsTarta)) {
        QMargins margenes = Grafico->margins();
        margenes.setTop(margenes.top() + int(kProfundidad));
        margenes.setRight(margenes.right() + int(kProfundidad));
        Grafico->setMargins(margenes);
    }
    // The grid moves onto the walls.
    QList<QAbstractAxis*> rejillas;
    for (QAbstractAxis* eje : Grafico->axes())
        if (eje->isGridLineVisible()) {
            rejillas << eje;
            eje->setGridLineVisible(false);
        }
    new CapaVista3D(Grafico, CapaVista3D::Paredes, rejillas);
    auto* caras = new CapaVista3D(Grafico, CapaVista3D::Caras);
    for (QAbstractSeries* s : series) {
        auto* tarta = qobject_cast<QPieSeries*>(s);
        if (!tarta) continue;
        // Drawn here: the chart's own round pie turns transparent (hiding
        // it would take its entries out of the legend).
        tarta->setOpacity(0);
        for (QPieSlice* p : tarta->slices())
            QObject::connect(p, &QPieSlice::labelVisibleChanged, caras,
                             [caras] { caras->update(); });
    }
}
