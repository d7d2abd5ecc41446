#include "gene/listings/genegraf.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsSimpleTextItem>
#include <QHBoxLayout>
#include <QHorizontalStackedBarSeries>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>
#include <QPointer>
#include <QPrinter>
#include <QScatterSeries>
#include <QSet>
#include <QStackedBarSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <limits>

#include "db/sysutils.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/listings/genegraf_vista3d.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/sesion.h"
#include "io/printqueue.h"
#include "ui/controls.h"

namespace {

const char* const kColoresAutomaticos[] = {
    "Rojo",        "Azul",        "Amarillo",  "Verde",      "Fucsia",     "Rojo Oscuro",
    "Azul Marino", "Oliva",       "Esmeralda", "Purpura",    "Aguamarina", "Verde Claro",
    "Negro",       "Gris Oscuro", "Gris",      "Gris Claro", "Plateado",   "Blanco"};

QColor ColorNombre(const QString& Nombre) {
    return ColorToQt(ColorSegunNombre(Nombre));
}

// Name=Value lines of an option text whose items are separated by ";".
QString Opcion(const QStringList& Lineas, const QString& Nombre) {
    const QString prefijo = Nombre + QLatin1Char('=');
    for (const QString& l : Lineas)
        if (l.startsWith(prefijo)) return l.mid(prefijo.size());
    return QString();
}

QStringList Opciones(const QString& Texto) {
    return Texto.split(QLatin1Char(';'));
}

// A downward triangle for the point series that ask for it.
QImage TrianguloInvertido(const QColor& Color) {
    QImage imagen(12, 12, QImage::Format_ARGB32_Premultiplied);
    imagen.fill(Qt::transparent);
    QPainter p(&imagen);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Color);
    p.setPen(Qt::black);
    p.drawPolygon(QPolygonF({QPointF(1, 1), QPointF(11, 1), QPointF(6, 11)}));
    return imagen;
}

struct Punto {
    int x;
    double y;
    QString etiqueta;
    QColor color;
};

// The categories the points from the axis' count on add: each its own. The
// category axis keeps a repeated label once, which would move every later
// bar under the next point's name; a label that repeats is marked with its
// point's number ("Ana (3)"), an empty one is that number.
QStringList CategoriasNuevas(const QStringList& Existentes, const QList<Punto>& Puntos) {
    QHash<QString, int> veces;
    for (const Punto& p : Puntos) ++veces[p.etiqueta];
    QSet<QString> tomadas(Existentes.begin(), Existentes.end());
    QStringList nuevas;
    for (qsizetype i = Existentes.size(); i < Puntos.size(); ++i) {
        const QString numero = QString::number(i + 1);
        const QString& etiqueta = Puntos[i].etiqueta;
        QString c = etiqueta.isEmpty()    ? numero
                    : veces[etiqueta] > 1 ? etiqueta + QStringLiteral(" (") + numero + u')'
                                          : etiqueta;
        while (tomadas.contains(c)) c += QStringLiteral(" (") + numero + u')';
        tomadas.insert(c);
        nuevas << c;
    }
    return nuevas;
}

}  // namespace

TfGENEGRAF::TfGENEGRAF(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEGRAF"));
    setKeyPreview(true);
    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    // "Medidas" may ask for a window smaller than its parts would like.
    raiz->setSizeConstraint(QLayout::SetNoConstraint);
    PanelControl = new TPanel(this);
    PanelControl->setObjectName(QStringLiteral("PanelControl"));
    auto* botones = new QHBoxLayout(PanelControl);
    pbLeyenda = new TSpeedButton(PanelControl, QStringLiteral("Leyenda"));
    pbLeyenda->setObjectName(QStringLiteral("pbLeyenda"));
    pbLeyenda->setToolTip(QStringLiteral("Ver/No Ver Leyenda"));
    pbLeyenda->setGroupIndex(1);
    pbLeyenda->setCheckable(true);
    pbMarcas = new TSpeedButton(PanelControl, QStringLiteral("Marcas"));
    pbMarcas->setObjectName(QStringLiteral("pbMarcas"));
    pbMarcas->setToolTip(QStringLiteral("Ver/No Ver Marcas"));
    pbMarcas->setGroupIndex(2);
    pbMarcas->setCheckable(true);
    pbImprimir = new TSpeedButton(PanelControl, QStringLiteral("Imprimir"));
    pbImprimir->setObjectName(QStringLiteral("pbImprimir"));
    pbImprimir->setToolTip(QStringLiteral("Imprimir el Gráfico"));
    botones->addWidget(pbLeyenda);
    botones->addWidget(pbMarcas);
    botones->addWidget(pbImprimir);
    botones->addStretch();
    raiz->addWidget(PanelControl);
    Chart1 = new QChartView(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setRenderHint(QPainter::Antialiasing);
    raiz->addWidget(Chart1, 1);
    PanelStatusBar = new TPanel(this);
    PanelStatusBar->setObjectName(QStringLiteral("PanelStatusBar"));
    PanelStatusBar->setFixedHeight(20);
    raiz->addWidget(PanelStatusBar);

    pbLeyenda->OnClick = [this](QObject*) { pbLeyendaClick(); };
    pbMarcas->OnClick = [this](QObject*) { pbMarcasClick(); };
    pbImprimir->OnClick = [this](QObject*) { pbImprimirClick(); };
    OnShow = [this](QObject*) { ConstruirGrafico(); };
    OnKeyDown = [this](QObject*, int& Key, int Shift) {
        TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
        // The window only shows: Esc leaves it.
        if (Key == VK_ESCAPE) Close();
    };
    // Enter moves on to the next control, inside a data grid it is Tab.
    OnKeyPress = [this](QObject*, QChar& Key) { TeclaPresionadaFormulario(fGENEINIC, this, Key); };
    AplicarAspecto(fGENEINIC, this);
    setPosition(poScreenCenter);
    resize(200, 100);
}

void TfGENEGRAF::showEvent(QShowEvent* event) {
    // The size the chart asks for is taken before the window is centred.
    if (!construido_) AplicarMedidas();
    TForm::showEvent(event);
}

void TfGENEGRAF::AplicarMedidas() {
    const QStringList medidas =
        Opcion(Opciones(TextoGrafico), QStringLiteral("Medidas")).split(QLatin1Char('x'));
    bool bien = false;
    int ancho = medidas.value(0).trimmed().toInt(&bien);
    if (!bien || ancho <= 0) ancho = 200;
    int alto = medidas.value(1).trimmed().toInt(&bien);
    if (!bien || alto <= 0) alto = 100;
    resize(ancho, alto);
}

TfGENEGRAF::~TfGENEGRAF() = default;

QColor TfGENEGRAF::siguienteColor() {
    const int n = int(std::size(kColoresAutomaticos));
    const QString nombre = QLatin1String(kColoresAutomaticos[std::min(colorAutomatico_, n - 1)]);
    ++colorAutomatico_;
    return ColorNombre(nombre);
}

void TfGENEGRAF::ConstruirGrafico() {
    if (construido_) return;
    construido_ = true;
    colorAutomatico_ = 0;
    ColoresPuntos.clear();
    auto* grafico = new QChart;
    Chart1->setChart(grafico);
    // Labels and axes write numbers as the program does: "," decimal mark and
    // no thousands marks, as FloatToStr.
    QLocale numeros(QLocale::Spanish, QLocale::Spain);
    numeros.setNumberOptions(QLocale::OmitGroupSeparator);
    grafico->setLocale(numeros);
    grafico->setLocalizeNumbers(true);

    const QStringList opciones = Opciones(TextoGrafico);
    const QString titulo = Opcion(opciones, QStringLiteral("Titulo"));
    setCaption(titulo);
    // Left-aligned above the plot: the chart's own title would be centred.
    if (!titulo.isEmpty()) {
        auto* rotulo = new QGraphicsSimpleTextItem(titulo, grafico);
        rotulo->setFont(grafico->titleFont());
        rotulo->setBrush(grafico->titleBrush());
        // Inside the background, which the chart draws a little inset.
        rotulo->setPos(grafico->margins().left() + 12, 14);
        QMargins margenes = grafico->margins();
        margenes.setTop(margenes.top() + int(rotulo->boundingRect().height()) + 8);
        grafico->setMargins(margenes);
    }
    if (Opcion(opciones, QStringLiteral("ColorFondo")) != QLatin1String("Ninguno")) {
        QLinearGradient degradado(0, 0, 0, 1);
        degradado.setCoordinateMode(QGradient::ObjectBoundingMode);
        degradado.setColorAt(0, QColor(0, 128, 255));
        degradado.setColorAt(1, QColor(255, 255, 128));
        grafico->setBackgroundBrush(degradado);
    }
    grafico->setPlotAreaBackgroundBrush(QColor(255, 255, 217));
    grafico->setPlotAreaBackgroundVisible(true);
    pbMarcas->setDown(Opcion(opciones, QStringLiteral("Marcas")) == QLatin1String("SI"));
    pbLeyenda->setDown(Opcion(opciones, QStringLiteral("Leyenda")) == QLatin1String("SI"));
    AplicarMedidas();
    PanelControl->setVisible(Opcion(opciones, QStringLiteral("PanelControl")) !=
                             QLatin1String("NO"));
    PanelStatusBar->setVisible(Opcion(opciones, QStringLiteral("StatusBar")) !=
                               QLatin1String("NO"));

    const QFont marcas(FuenteAplicacion.family(), FuenteAplicacion.pointSize());
    QStringList lineas = TextoSeries.split(QRegularExpression(QStringLiteral("\r?\n")));
    // The values of every series but pies, bars from 0: one scale shows them all.
    double minimo = std::numeric_limits<double>::max();
    double maximo = std::numeric_limits<double>::lowest();
    int conEscala = 0;
    for (const QString& linea : lineas) {
        if (linea.trimmed().isEmpty()) continue;
        const QStringList serie = Opciones(linea);
        const QString tipo = Opcion(serie, QStringLiteral("Tipo"));
        const QString nombreColor = Opcion(serie, QStringLiteral("Color"));
        const QColor colorSerie = ColorNombre(nombreColor);
        const bool sinColor = colorSerie == QColor(Qt::black);
        const bool enLeyenda =
            Opcion(serie, QStringLiteral("IncluirEnLeyenda")) == QLatin1String("SI");
        // An unknown type makes no series; the numbering of the others stays.
        static const QStringList tipos = {QStringLiteral("Lineas"), QStringLiteral("Tarta"),
                                          QStringLiteral("Barras"), QStringLiteral("Puntos"),
                                          QStringLiteral("BarrasH")};
        if (!tipos.contains(tipo)) continue;

        QList<Punto> puntos;
        for (const QString& texto :
             Opcion(serie, QStringLiteral("Valores")).split(QLatin1Char('/'))) {
            if (texto.isEmpty()) break;
            const QStringList partes = texto.split(QLatin1Char(':'));
            bool xBien = false;
            const int x = partes.value(0).trimmed().toInt(&xBien);
            double y = 0;
            if (!xBien || !TryStrToFloat(partes.value(1).trimmed(), y)) continue;
            QColor color;
            if (!partes.value(3).isEmpty())
                color = ColorNombre(partes.value(3));
            else if (!sinColor)
                color = colorSerie;
            else
                color = siguienteColor();
            puntos << Punto{x, y, partes.value(2), color};
        }
        QList<QColor> colores;
        for (const Punto& p : puntos) colores << p.color;
        ColoresPuntos << colores;

        if (tipo != QLatin1String("Tarta") && !puntos.isEmpty()) {
            ++conEscala;
            if (tipo.startsWith(QLatin1String("Barras"))) minimo = std::min(minimo, 0.0);
            for (const Punto& p : puntos) {
                minimo = std::min(minimo, p.y);
                maximo = std::max(maximo, p.y);
            }
        }
        const QString tituloSerie = Opcion(serie, QStringLiteral("Titulo"));
        QAbstractSeries* creada = nullptr;
        if (tipo == QLatin1String("Tarta")) {
            auto* s = new QPieSeries;
            double total = 0;
            for (const Punto& p : puntos) total += p.y;
            // Added at once (the series lays every slice out again on each
            // addition), with the border and label colours the chart's theme
            // would give them: the theme giving each its own goes over every
            // slice for each.
            QList<QPieSlice*> porciones;
            porciones.reserve(puntos.size());
            for (const Punto& p : puntos) {
                auto* porcion =
                    new QPieSlice(p.etiqueta + QLatin1Char(' ') +
                                      QString::number(total > 0 ? p.y * 100 / total : 0, 'f', 0) +
                                      QLatin1Char('%'),
                                  p.y);
                porcion->setColor(p.color);
                porcion->setPen(QPen(QColor(Qt::white)));
                porcion->setLabelBrush(QColor(0x40, 0x40, 0x44));
                porcion->setLabelFont(marcas);
                porcion->setLabelArmLengthFactor(0.03);
                porciones << porcion;
            }
            s->append(porciones);
            creada = s;
        } else if (tipo == QLatin1String("Barras") || tipo == QLatin1String("BarrasH")) {
            // One bar set per colour, stacked: each bar shows its point's
            // colour (a value of 0 in every other set), and the sets stay as
            // few as the colours whatever the number of points.
            QAbstractBarSeries* s = tipo == QLatin1String("Barras")
                                        ? static_cast<QAbstractBarSeries*>(new QStackedBarSeries)
                                        : new QHorizontalStackedBarSeries;
            QList<QColor> coloresSets;
            QList<QList<qreal>> valores;
            QStringList nombres;
            for (qsizetype i = 0; i < puntos.size(); ++i) {
                qsizetype k = coloresSets.indexOf(puntos[i].color);
                if (k < 0) {
                    k = coloresSets.size();
                    coloresSets << puntos[i].color;
                    valores << QList<qreal>(puntos.size(), 0.0);
                    nombres << puntos[i].etiqueta;
                }
                valores[k][i] = puntos[i].y;
            }
            QList<QBarSet*> sets;
            for (qsizetype k = 0; k < coloresSets.size(); ++k) {
                auto* set = new QBarSet(nombres[k]);
                set->append(valores[k]);
                set->setColor(coloresSets[k]);
                set->setLabelColor(Qt::black);
                set->setLabelFont(marcas);
                sets << set;
            }
            s->append(sets);
            s->setLabelsFormat(QStringLiteral("@value"));
            creada = s;
        } else {
            QXYSeries* s = tipo == QLatin1String("Puntos")
                               ? static_cast<QXYSeries*>(new QScatterSeries)
                               : new QLineSeries;
            if (!sinColor) s->setColor(colorSerie);
            const bool triangulos =
                tipo == QLatin1String("Puntos") &&
                Opcion(serie, QStringLiteral("Estilo")) == QLatin1String("Triangulo Invertido");
            QList<QPointF> xy;
            xy.reserve(puntos.size());
            // A point's own colour makes the chart draw it as a round
            // marker, whatever the series' triangle. Given at once: each
            // point's alone would have the series go over all of them.
            QHash<int, QHash<QXYSeries::PointConfiguration, QVariant>> configuracion;
            for (qsizetype i = 0; i < puntos.size(); ++i) {
                xy << QPointF(puntos[i].x, puntos[i].y);
                if (!triangulos)
                    configuracion[int(i)].insert(QXYSeries::PointConfiguration::Color,
                                                 puntos[i].color);
            }
            s->append(xy);
            if (!configuracion.isEmpty()) s->setPointsConfiguration(configuracion);
            s->setPointLabelsFormat(QStringLiteral("@yPoint"));
            s->setPointLabelsFont(marcas);
            s->setPointLabelsColor(Qt::black);
            if (triangulos)
                s->setLightMarker(TrianguloInvertido(sinColor ? QColor(Qt::red) : colorSerie));
            creada = s;
        }
        creada->setName(tituloSerie);
        grafico->addSeries(creada);
        // Bars show the point labels on their category axis, one for all the
        // bar series of a direction: each would draw its labels again.
        if (auto* barras = qobject_cast<QAbstractBarSeries*>(creada)) {
            const Qt::Alignment lado =
                tipo == QLatin1String("Barras") ? Qt::AlignBottom : Qt::AlignLeft;
            QBarCategoryAxis* eje = nullptr;
            for (QAbstractAxis* a :
                 grafico->axes(lado == Qt::AlignBottom ? Qt::Horizontal : Qt::Vertical))
                if (auto* c = qobject_cast<QBarCategoryAxis*>(a)) eje = c;
            if (!eje) {
                eje = new QBarCategoryAxis;
                grafico->addAxis(eje, lado);
            }
            // As one list: the axis lays itself out again on each addition.
            const QStringList nuevas = CategoriasNuevas(eje->categories(), puntos);
            if (!nuevas.isEmpty()) eje->append(nuevas);
            barras->attachAxis(eje);
        }
        // The legend lists series, not points: bars and pies keep one marker,
        // named and coloured after the series.
        const QList<QLegendMarker*> marcadores = grafico->legend()->markers(creada);
        for (qsizetype i = 0; i < marcadores.size(); ++i)
            marcadores[i]->setVisible(enLeyenda && i == 0);
        const bool porPuntos =
            qobject_cast<QPieSeries*>(creada) || qobject_cast<QAbstractBarSeries*>(creada);
        if (porPuntos && !marcadores.isEmpty()) {
            // An empty label would give the marker back its point's name.
            marcadores.first()->setLabel(tituloSerie.isEmpty() ? QStringLiteral(" ") : tituloSerie);
            marcadores.first()->setBrush(sinColor ? puntos.first().color : colorSerie);
        }
    }
    // Value axes for what has none yet.
    for (QAbstractSeries* s : grafico->series()) {
        if (qobject_cast<QPieSeries*>(s)) continue;
        const bool barras = qobject_cast<QAbstractBarSeries*>(s);
        const bool horizontal = qobject_cast<QHorizontalStackedBarSeries*>(s);
        for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
            if (!s->attachedAxes().isEmpty() && barras && ((o == Qt::Horizontal) != horizontal))
                continue;
            bool tiene = false;
            for (QAbstractAxis* a : s->attachedAxes())
                if (a->orientation() == o) tiene = true;
            if (tiene) continue;
            QList<QAbstractAxis*> existentes = grafico->axes(o);
            QAbstractAxis* eje = nullptr;
            for (QAbstractAxis* a : existentes)
                if (a->type() == QAbstractAxis::AxisTypeValue) eje = a;
            // Beside upright bars a line's points sit over their bars: on the
            // bars' categories, point n at category n - 1.
            auto* xy = qobject_cast<QXYSeries*>(s);
            if (xy && o == Qt::Horizontal)
                for (QAbstractAxis* a : existentes)
                    if (a->type() == QAbstractAxis::AxisTypeBarCategory) {
                        // Each point keeps its own colour.
                        const auto configuracion = xy->pointsConfiguration();
                        QList<QPointF> puntosXY = xy->points();
                        for (QPointF& p : puntosXY) p -= QPointF(1, 0);
                        xy->replace(puntosXY);
                        xy->setPointsConfiguration(configuracion);
                        eje = a;
                    }
            if (!eje) {
                eje = new QValueAxis;
                grafico->addAxis(eje, o == Qt::Horizontal ? Qt::AlignBottom : Qt::AlignLeft);
            }
            s->attachAxis(eje);
        }
    }
    // A shared value axis keeps the range of the first series attached to
    // it: a later series' larger values would fall off the chart.
    if (conEscala > 1 && maximo > minimo) {
        for (QAbstractSeries* s : grafico->series()) {
            if (qobject_cast<QPieSeries*>(s)) continue;
            const Qt::Orientation valores =
                qobject_cast<QHorizontalStackedBarSeries*>(s) ? Qt::Horizontal : Qt::Vertical;
            for (QAbstractAxis* a : s->attachedAxes())
                if (auto* v = qobject_cast<QValueAxis*>(a); v && a->orientation() == valores) {
                    v->setRange(minimo, maximo);
                    v->applyNiceNumbers();
                }
        }
    }
    if (Opcion(opciones, QStringLiteral("Vista3D")) != QLatin1String("NO")) AplicarVista3D(grafico);
    connect(grafico, &QChart::plotAreaChanged, this, [this] { ajustarTartas(); });
    pbLeyendaClick();
    pbMarcasClick();
    TraducirFormulario(fGENEINIC, this, QString());
}

void TfGENEGRAF::pbLeyendaClick() {
    if (QChart* c = Chart1->chart()) c->legend()->setVisible(pbLeyenda->Down());
}

void TfGENEGRAF::pbMarcasClick() {
    QChart* c = Chart1->chart();
    if (!c) return;
    const bool ver = pbMarcas->Down();
    for (QAbstractSeries* s : c->series()) {
        if (auto* xy = qobject_cast<QXYSeries*>(s)) xy->setPointLabelsVisible(ver);
        if (auto* b = qobject_cast<QAbstractBarSeries*>(s)) b->setLabelsVisible(ver);
        if (auto* p = qobject_cast<QPieSeries*>(s)) p->setLabelsVisible(ver);
    }
    ajustarTartas();
}

void TfGENEGRAF::ajustarTartas() {
    QChart* c = Chart1->chart();
    if (!c) return;
    const QRectF area = c->plotArea();
    const double lado = std::min(area.width(), area.height());
    for (QAbstractSeries* s : c->series()) {
        auto* tarta = qobject_cast<QPieSeries*>(s);
        if (!tarta || tarta->slices().isEmpty() || lado <= 0) continue;
        // The chart cuts a label that leaves the plot area above or below (one
        // too wide it shortens): with marks on, the pie leaves a label's
        // height and its arm free around it.
        double tamano = 0.7;
        QPieSlice* primera = tarta->slices().first();
        if (primera->isLabelVisible()) {
            const double rotulo = QFontMetricsF(primera->labelFont()).height() + 14;
            tamano = std::clamp((lado - 2 * rotulo) / lado, 0.2, 0.7);
        }
        tarta->setPieSize(tamano);
    }
}

bool TfGENEGRAF::pbImprimirClick() {
    TPrintDialog* dialogo = PrintDialog1(ModuloDatos);
    const QPointer<TfGENEGRAF> yo(this);
    if (!dialogo->Execute() || !yo) return false;
    QPrinter& impresora = dialogo->Printer();
    TPrinterFile archivo(impresora);
    QPainter lienzo;
    if (!lienzo.begin(&impresora)) return false;
    // The whole page inside 5 mm margins.
    const QRectF pagina = impresora.pageLayout().fullRectPixels(impresora.resolution());
    const double margen = 5.0 / 25.4 * impresora.resolution();
    const QRectF destino =
        pagina.adjusted(margen, margen, -margen, -margen)
            .translated(-impresora.pageLayout().paintRectPixels(impresora.resolution()).topLeft());
    // Laid out anew for the page, at the screen's size of its texts, and
    // drawn over the whole rectangle; then back to the window's size.
    QChart* grafico = Chart1->chart();
    const QSizeF enPantalla = grafico->size();
    const double escala = impresora.resolution() / double(std::max(1, Chart1->logicalDpiX()));
    grafico->resize(destino.size() / escala);
    if (grafico->layout()) grafico->layout()->activate();
    Chart1->scene()->render(&lienzo, destino, grafico->sceneBoundingRect(), Qt::IgnoreAspectRatio);
    grafico->resize(enPantalla);
    if (grafico->layout()) grafico->layout()->activate();
    return lienzo.end() && ArchivoImpresoGrabado(archivo);
}

// ---------------------------------------------------------------- installation

namespace {

void MostrarGraficoGancho(const QString& Parametros, const QString& Series) {
    TfGENEGRAF f;
    f.TextoGrafico = Parametros;
    f.TextoSeries = Series;
    f.ShowModal();
}

}  // namespace

void InstalarGraficos() {
    GanchoMostrarGrafico = MostrarGraficoGancho;
}

namespace {
const bool graficosInstalados = [] {
    InstalarGraficos();
    return true;
}();
}  // namespace
