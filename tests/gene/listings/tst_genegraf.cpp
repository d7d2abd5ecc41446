// The chart window: sizes, panels, the colours its points get, points that
// cannot be read, many series, the 3-D view on screen and in print, and the
// chart shown through MostrarGrafico and printed on one page.

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QPageSize>
#include <QPieSeries>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QXYSeries>
#include <QtTest>

#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/dialogo_modal.h"
#include "gene/listings/genegraf.h"
#include "gene/session/genecomp.h"
#include "gene/session/sesion.h"
#include "support/empresaprueba.h"
#include "support/lienzoprueba.h"
#include "support/memoriaprueba.h"
#include "support/pdfprueba.h"
#include "ui/component.h"
#include "ui/controls.h"

namespace {

QColor Color(const char* nombre) {
    return ColorToQt(ColorSegunNombre(QLatin1String(nombre)));
}

QString Puntos(int n) {
    QString v;
    for (int i = 1; i <= n; ++i) v += QStringLiteral("%1:%1:P%1:/").arg(i);
    return v;
}

// A darker shade of Color: its hue with less light.
bool Sombra(const QColor& Pixel, const QColor& Color) {
    const int giro = std::abs(Pixel.hsvHue() - Color.hsvHue());
    return Pixel.hsvSaturation() > Color.hsvSaturation() / 2 && std::min(giro, 360 - giro) <= 12 &&
           Pixel.value() < Color.value() * 0.85;
}

bool Parecido(const QColor& A, const QColor& B, int Margen = 40) {
    return std::abs(A.red() - B.red()) <= Margen && std::abs(A.green() - B.green()) <= Margen &&
           std::abs(A.blue() - B.blue()) <= Margen;
}

// Whether a pixel next to Punto has about the series' colour (a line is
// thin and smoothed).
bool EnLaSerie(const std::function<QColor(QPointF)>& Pixel, QPointF Punto, const QColor& Color) {
    for (int x = -2; x <= 2; ++x)
        for (int y = -2; y <= 2; ++y)
            if (Parecido(Pixel(Punto + QPointF(x, y)), Color, 60)) return true;
    return false;
}

// Going from Desde, on a series drawn in Color, in steps of Paso: whether a
// face in a darker shade of Color follows once Color is left (5 pixels on
// end within the next 12, more than an outline), as the depth of a 3-D chart
// does.
bool CaraDetras(const std::function<QColor(QPointF)>& Pixel, QPointF Desde, QPointF Paso,
                const QColor& Color) {
    QPointF p = Desde;
    // Onto the series (a line may lie a pixel off), then past it.
    for (int i = 0; i < 3 && !Parecido(Pixel(p), Color, 60); ++i) p += Paso;
    for (int i = 0; i < 400 && Parecido(Pixel(p), Color); ++i) p += Paso;
    int seguidos = 0;
    for (int i = 0; i < 12; ++i, p += Paso) {
        seguidos = Sombra(Pixel(p), Color) ? seguidos + 1 : 0;
        if (seguidos == 5) return true;
    }
    return false;
}

// Where a value of the chart's first series lies in the view's viewport (the
// centre of the plot for a pie).
QPointF EnVista(const TfGENEGRAF& Grafico, QPointF Valor) {
    QChart* c = Grafico.Chart1->chart();
    QAbstractSeries* s = c->series().first();
    const QPointF punto =
        qobject_cast<QPieSeries*>(s) ? c->plotArea().center() : c->mapToPosition(Valor, s);
    return Grafico.Chart1->mapFromScene(c->mapToScene(punto));
}

int Veces(const QList<LienzoPrueba::Texto>& Textos, const QString& Texto) {
    return int(std::count_if(Textos.begin(), Textos.end(),
                             [&](const LienzoPrueba::Texto& t) { return t.texto == Texto; }));
}

}  // namespace

using Colores = QList<QColor>;

class TestGeneGraf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void grafico_data() {
        QTest::addColumn<QString>("grafico");
        QTest::addColumn<QString>("series");
        QTest::addColumn<QSize>("medidas");
        QTest::addColumn<bool>("paneles");
        QTest::addColumn<int>("numeroSeries");
        QTest::addColumn<Colores>("colores");  // of the first series
        QTest::newRow("sin medidas") << "Titulo=Ventas"
                                     << "" << QSize(200, 100) << true << 0 << Colores{};
        QTest::newRow("450x300") << "Medidas=450x300;PanelControl=SI"
                                 << "" << QSize(450, 300) << true << 0 << Colores{};
        QTest::newRow("ancho ilegible") << "Medidas=ax300"
                                        << "" << QSize(200, 300) << true << 0 << Colores{};
        QTest::newRow("dos barras")
            << ""
            << "Tipo=Barras;Valores=1:10,5:Enero:/2:7:Febrero:" << QSize(200, 100) << true << 1
            << Colores{Color("Rojo"), Color("Azul")};
        QTest::newRow("serie negra")
            << ""
            << "Tipo=Lineas;Color=Negro;Valores=1:1:a:/2:2:b:Verde" << QSize(200, 100) << true << 1
            << Colores{Color("Rojo"), Color("Verde")};
        QTest::newRow("serie azul")
            << ""
            << "Tipo=Puntos;Color=Azul;Estilo=Triangulo Invertido;"
               "Valores=1:1:a:/2:2:b:"
            << QSize(200, 100) << true << 1 << Colores{Color("Azul"), Color("Azul")};
        Colores veinte;
        const char* const automaticos[] = {
            "Rojo",        "Azul",        "Amarillo",  "Verde",      "Fucsia",     "Rojo Oscuro",
            "Azul Marino", "Oliva",       "Esmeralda", "Purpura",    "Aguamarina", "Verde Claro",
            "Negro",       "Gris Oscuro", "Gris",      "Gris Claro", "Plateado",   "Blanco"};
        for (int i = 0; i < 20; ++i) veinte << Color(automaticos[std::min(i, 17)]);
        QTest::newRow("veinte puntos")
            << ""
            << "Tipo=Tarta;Valores=" + Puntos(20) << QSize(200, 100) << true << 1 << veinte;
        QTest::newRow("triangulos")
            << "Vista3D=NO;Medidas=450x300"
            << "Tipo=Puntos;Color=Azul;Estilo=Triangulo Invertido;Valores=1:1:a:/2:2:b:/3:3:c:"
            << QSize(450, 300) << true << 1 << Colores(3, Color("Azul"));
        QTest::newRow("sin paneles") << "PanelControl=NO;StatusBar=NO"
                                     << "" << QSize(200, 100) << false << 0 << Colores{};
        QTest::newRow("puntos ilegibles")
            << ""
            << "Tipo=Lineas;Valores=x:1:a:/2:z:b:/3:4,5:c:" << QSize(200, 100) << true << 1
            << Colores{Color("Rojo")};
        QString doce;
        for (int i = 0; i < 12; ++i)
            doce += QStringLiteral("Tipo=Barras;Valores=1:%1:a:\r\n").arg(i);
        QTest::newRow("doce barras")
            << "" << doce << QSize(200, 100) << true << 12 << Colores{Color("Rojo")};
        QTest::newRow("tipo desconocido")
            << ""
            << "Tipo=Area;Valores=1:1:a:\r\nTipo=BarrasH;"
               "Valores=1:1:a:Oliva"
            << QSize(200, 100) << true << 1 << Colores{Color("Oliva")};
    }
    void grafico() {
        QFETCH(QString, grafico);
        QFETCH(QString, series);
        QFETCH(QSize, medidas);
        QFETCH(bool, paneles);
        QFETCH(int, numeroSeries);
        QFETCH(Colores, colores);
        TfGENEGRAF f;
        f.TextoGrafico = grafico;
        f.TextoSeries = series;
        f.ConstruirGrafico();
        QCOMPARE(f.size(), medidas);
        QCOMPARE(f.PanelControl->isVisibleTo(&f), paneles);
        QCOMPARE(f.PanelStatusBar->isVisibleTo(&f), paneles);
        QCOMPARE(f.Chart1->chart()->series().size(), numeroSeries);
        QCOMPARE(f.ColoresPuntos.value(0), colores);
        // The title is drawn at the chart's left.
        if (grafico.contains(QStringLiteral("Titulo=Ventas"))) {
            f.show();
            bool titulo = false;
            for (const LienzoPrueba::Texto& t : TextosDibujados(f.Chart1))
                if (t.texto == QLatin1String("Ventas")) {
                    titulo = true;
                    QVERIFY2(t.punto.x() < f.Chart1->width() / 4.0,
                             qPrintable(QString::number(t.punto.x())));
                }
            QVERIFY(titulo);
        }
        // The middle point is a downward triangle: wide above, nothing
        // beside its tip.
        if (QTest::currentDataTag() == QByteArray("triangulos")) {
            f.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f));
            const QImage imagen = f.Chart1->viewport()->grab().toImage();
            const QPointF centro = EnVista(f, QPointF(2, 2));
            const auto pixel = [&](QPointF d) { return imagen.pixelColor((centro + d).toPoint()); };
            QVERIFY(Parecido(pixel(QPointF(0, -3)), Color("Azul")));
            QVERIFY2(!Parecido(pixel(QPointF(3, 3)), Color("Azul")),
                     qPrintable(pixel(QPointF(3, 3)).name()));
        }
        // Two bars are two bar sets, each of its point's colour.
        if (QTest::currentDataTag() == QByteArray("dos barras")) {
            auto* s = qobject_cast<QAbstractBarSeries*>(f.Chart1->chart()->series().first());
            QCOMPARE(s->barSets().size(), 2);
            QCOMPARE(s->barSets()[1]->color(), Color("Azul"));
        }
    }

    // The same series flat ("Vista3D=NO") and in 3-D: leaving the series in
    // the direction of the depth, only the 3-D chart shows a face in a darker
    // shade of its colour, on screen and on the printed page; marks and the
    // legend stay.
    void vista3D_data() {
        QTest::addColumn<QString>("grafico");  // the 3-D chart
        QTest::addColumn<QString>("series");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QPointF>("valor");
        QTest::addColumn<QPointF>("paso");
        QTest::addColumn<QString>("marca");  // drawn as mark and in the legend
        const QString barras =
            QStringLiteral("Tipo=Barras;Color=Rojo;Valores=1:10:Enero:/2:6:Febrero:");
        QTest::newRow("lado de la barra") << "Vista3D=SI" << barras << Color("Rojo")
                                          << QPointF(0, 5) << QPointF(1, 0) << QString();
        QTest::newRow("techo de la barra") << "Vista3D=SI" << barras << Color("Rojo")
                                           << QPointF(1, 3) << QPointF(0, -1) << QString();
        QTest::newRow("barra horizontal")
            << "Vista3D=si"
            << "Tipo=BarrasH;Color=Verde;Valores=1:10:Enero:/2:6:Febrero:" << Color("Verde")
            << QPointF(5, 0) << QPointF(0, -1) << QString();
        QTest::newRow("cinta de la linea")
            << "Vista3D=SI"
            << "Tipo=Lineas;Color=Azul;Valores=1:2:a:/2:6:b:/3:4:c:" << Color("Azul")
            << QPointF(1.25, 3) << QPointF(1, -1) << QString();
        QTest::newRow("puntos") << "Vista3D=SI"
                                << "Tipo=Puntos;Color=Fucsia;Valores=1:2:a:/2:4:b:/3:6:c:"
                                << Color("Fucsia") << QPointF(2, 4) << QPointF(1, -1) << QString();
        QTest::newRow("triangulos")
            << "Vista3D=SI"
            << "Tipo=Puntos;Color=Azul;Estilo=Triangulo Invertido;"
               "Valores=1:2:a:/2:4:b:/3:6:c:"
            << Color("Azul") << QPointF(2, 4) << QPointF(0, -1) << QString();
        // 3-D unless asked for flat.
        QTest::newRow("canto de la tarta")
            << "Leyenda=SI;Marcas=SI"
            << "Tipo=Tarta;Titulo=Ventas;IncluirEnLeyenda=SI;Color=Rojo;Valores=1:10:Enero:"
            << Color("Rojo") << QPointF() << QPointF(0, 1) << QStringLiteral("Enero 100%");
    }
    void vista3D() {
        QFETCH(QString, grafico);
        QFETCH(QString, series);
        QFETCH(QColor, color);
        QFETCH(QPointF, valor);
        QFETCH(QPointF, paso);
        QFETCH(QString, marca);
        EmpresaPrueba empresa(Engine::Sqlite);
        QTemporaryDir dir;
        for (const bool tresD : {false, true}) {
            TfGENEGRAF f;
            f.TextoGrafico = (tresD ? QString() : QStringLiteral("Vista3D=NO;")) + grafico +
                             QStringLiteral(";Medidas=450x300");
            f.TextoSeries = series;
            f.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f));
            const QImage pantalla = f.Chart1->viewport()->grab().toImage();
            const QPointF desde = EnVista(f, valor);
            const auto enPantalla = [&](QPointF p) { return pantalla.pixelColor(p.toPoint()); };
            QVERIFY(EnLaSerie(enPantalla, desde, color));
            QCOMPARE(CaraDetras(enPantalla, desde, paso, color), tresD);
            // The page holds the chart laid out anew over the whole page inside
            // 5 mm margins, its texts at their size on screen.
            const QString pdf = dir.filePath(QStringLiteral("%1.pdf").arg(tresD));
            ImprimirEnPdf(pdf);
            QVERIFY(f.pbImprimirClick());
            AsignarSeamDialogos(nullptr);
            QCOMPARE(f.Chart1->chart()->size(), QSizeF(f.Chart1->viewport()->size()));
            const QImage pagina = ImagenPdf(pdf);
            const double margen = 5 / 25.4 * 72;
            const QSizeF dentro = QSizeF(pagina.size()) - QSizeF(2 * margen, 2 * margen);
            const double punto = 72.0 / f.Chart1->logicalDpiX();
            QChart* c = f.Chart1->chart();
            c->resize(dentro / punto);
            c->layout()->activate();
            const QPointF enPagina = qobject_cast<QPieSeries*>(c->series().first())
                                         ? c->plotArea().center()
                                         : c->mapToPosition(valor, c->series().first());
            c->resize(f.Chart1->viewport()->size());
            c->layout()->activate();
            const auto impreso = [&](QPointF p) {
                return pagina.pixelColor((QPointF(margen, margen) + p * punto).toPoint());
            };
            QCOMPARE(CaraDetras(impreso, enPagina, paso, color), tresD);
            // The chart's background reaches the page's four inner corners.
            for (const QPointF esquina :
                 {QPointF(margen + 12, margen + 12),
                  QPointF(pagina.width() - margen - 12, margen + 12),
                  QPointF(margen + 12, pagina.height() - margen - 12),
                  QPointF(pagina.width() - margen - 12, pagina.height() - margen - 12)})
                QVERIFY2(pagina.pixelColor(esquina.toPoint()) != QColor(Qt::white),
                         qPrintable(QStringLiteral("%1,%2").arg(esquina.x()).arg(esquina.y())));
            if (!marca.isEmpty()) {
                // The mark on the slice; the legend names the series.
                const QList<LienzoPrueba::Texto> textos = TextosDibujados(f.Chart1);
                QCOMPARE(Veces(textos, marca), 1);
                QCOMPARE(Veces(textos, QStringLiteral("Ventas")), 1);
                // Printed at the size they have on screen, scaled as the chart.
                int impresas = 0;
                for (const Palabra& p : PalabrasPdf(pdf))
                    if (marca.startsWith(p.texto + QLatin1Char(' '))) {
                        ++impresas;
                        QVERIFY2(p.caja.height() < 20,
                                 qPrintable(QString::number(p.caja.height())));
                    }
                QCOMPARE(impresas, 1);
                f.pbMarcas->setDown(false);
                f.pbMarcasClick();
                QCOMPARE(Veces(TextosDibujados(f.Chart1), marca), 0);
            }
        }
    }

    // Series of different sizes share one value scale that shows them all.
    void escalaComun() {
        TfGENEGRAF f;
        f.TextoSeries = QStringLiteral(
            "Titulo=Codigo;Tipo=Barras;Color=Rojo;Valores=1:3:A:/2:5:B:/\r\n"
            "Titulo=Importe;Tipo=Barras;Color=Verde;Valores=1:200:A:/2:310:B:/\r\n");
        f.ConstruirGrafico();
        const QList<QAbstractAxis*> ejes = f.Chart1->chart()->axes(Qt::Vertical);
        QCOMPARE(ejes.size(), 1);
        auto* eje = qobject_cast<QValueAxis*>(ejes.first());
        QVERIFY(eje);
        QVERIFY2(eje->min() <= 0 && eje->max() >= 310, qPrintable(QString::number(eje->max())));
    }

    // The legend lists the series by their titles, those that ask for it,
    // whatever their type; the points keep their own colours; bars of two
    // series label their categories once.
    void leyendaPorSeries_data() {
        QTest::addColumn<QString>("series");
        QTest::addColumn<QStringList>("leyenda");
        QTest::addColumn<int>("categorias");  // "Enero" drawn on the axis
        QTest::newRow("dos series de barras")
            << "Titulo=2023;Tipo=Barras;IncluirEnLeyenda=SI;Valores=1:10:Enero:/2:7:Febrero:\r\n"
               "Titulo=2024;Tipo=Barras;IncluirEnLeyenda=SI;Color=Verde;"
               "Valores=1:8:Enero:/2:9:Febrero:"
            << QStringList{"2023", "2024"} << 1;
        QTest::newRow("barras horizontales, una fuera")
            << "Titulo=Norte;Tipo=BarrasH;IncluirEnLeyenda=NO;Valores=1:3:Enero:/2:4:Febrero:\r\n"
               "Titulo=Sur;Tipo=BarrasH;IncluirEnLeyenda=SI;Valores=1:5:Enero:/2:6:Febrero:"
            << QStringList{"Sur"} << 1;
        QTest::newRow("tarta") << "Titulo=Ventas Łódź;Tipo=Tarta;IncluirEnLeyenda=SI;"
                                  "Valores=1:10:Enero:/2:20:Febrero:/3:30:Marzo:"
                               << QStringList{"Ventas Łódź"} << 0;
        QTest::newRow("líneas y puntos")
            << "Titulo=A;Tipo=Lineas;IncluirEnLeyenda=SI;Valores=1:1:Enero:/2:2:b:\r\n"
               "Titulo=B;Tipo=Puntos;Valores=1:3:c:"
            << QStringList{"A"} << 0;
        QTest::newRow("sin título")
            << "Tipo=Barras;IncluirEnLeyenda=SI;Valores=1:1:Enero:" << QStringList{" "} << 1;
    }
    void leyendaPorSeries() {
        QFETCH(QString, series);
        QFETCH(QStringList, leyenda);
        QFETCH(int, categorias);
        TfGENEGRAF f;
        f.TextoGrafico = QStringLiteral("Leyenda=SI;Marcas=NO;Vista3D=NO;Medidas=500x350");
        f.TextoSeries = series;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QChart* c = f.Chart1->chart();
        QStringList vistos;
        for (QLegendMarker* m : c->legend()->markers())
            if (m->isVisible()) vistos << m->label();
        QCOMPARE(vistos, leyenda);
        // Each point its colour, the legend's the series' (its first point's
        // when it has none of its own).
        QList<QColor> automaticos = {Color("Rojo"),  Color("Azul"),   Color("Amarillo"),
                                     Color("Verde"), Color("Fucsia"), Color("Rojo Oscuro")};
        if (QTest::currentDataTag() == QByteArray("dos series de barras")) {
            QCOMPARE(f.ColoresPuntos, (QList<QList<QColor>>{{Color("Rojo"), Color("Azul")},
                                                            {Color("Verde"), Color("Verde")}}));
            QCOMPARE(c->legend()->markers().first()->brush().color(), Color("Rojo"));
            QCOMPARE(c->legend()->markers(c->series()[1]).first()->brush().color(), Color("Verde"));
        }
        if (QTest::currentDataTag() == QByteArray("tarta"))
            QCOMPARE(f.ColoresPuntos.first(), automaticos.mid(0, 3));
        QCOMPARE(Veces(TextosDibujados(f.Chart1), QStringLiteral("Enero")), categorias);
    }

    // With marks on, every slice's label is drawn inside the window (a text
    // too wide for it shortened), in a small or a low window too.
    void marcasDeTartaDentro_data() {
        QTest::addColumn<QString>("grafico");
        QTest::addColumn<QString>("etiqueta");
        QTest::newRow("pequeña") << "Medidas=300x220"
                                 << "Departamento de Producción";
        QTest::newRow("grande") << "Medidas=600x400"
                                << "Administración";
        QTest::newRow("ancha y baja") << "Medidas=700x200"
                                      << "Ventas";
        QTest::newRow("3D") << "Medidas=500x260;Vista3D=SI"
                            << "Łódź";
    }
    void marcasDeTartaDentro() {
        QFETCH(QString, grafico);
        QFETCH(QString, etiqueta);
        TfGENEGRAF f;
        f.TextoGrafico = QStringLiteral("Marcas=SI;Leyenda=NO;Vista3D=NO;") + grafico;
        f.TextoSeries = QStringLiteral(
                            "Tipo=Tarta;Valores=1:5:%1 1:/2:40:%1 2:/3:10:%1 3:/"
                            "4:30:%1 4:/5:15:%1 5:")
                            .arg(etiqueta);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QFontMetricsF medida(QFont(FuenteAplicacion.family(), FuenteAplicacion.pointSize()));
        QStringList marcas;
        for (const LienzoPrueba::Texto& t : TextosDibujados(f.Chart1)) {
            if (!t.texto.startsWith(etiqueta.left(4))) continue;
            marcas << t.texto;
            const QRectF caja(t.punto.x(), t.punto.y() - medida.ascent(),
                              medida.horizontalAdvance(t.texto), medida.height());
            QVERIFY2(QRectF(f.Chart1->rect()).contains(caja),
                     qPrintable(t.texto + QStringLiteral(" %1,%2 %3,%4")
                                              .arg(caja.left())
                                              .arg(caja.top())
                                              .arg(caja.right())
                                              .arg(caja.bottom())));
        }
        QCOMPARE(marcas.size(), 5);
        // Marks off, the pie takes its room back.
        f.pbMarcas->setDown(false);
        f.pbMarcasClick();
        QCOMPARE(qobject_cast<QPieSeries*>(f.Chart1->chart()->series().first())->pieSize(), 0.7);
    }

    // Value labels and axis numbers as the program writes numbers ("," as
    // the decimal mark), read from what the chart draws; a line beside bars
    // shares their axes, each point over its bar.
    void numerosYLineaSobreBarras() {
        TfGENEGRAF f;
        f.TextoGrafico = QStringLiteral("Marcas=SI;Leyenda=NO;Vista3D=NO;Medidas=600x400");
        f.TextoSeries = QStringLiteral(
            "Tipo=Barras;Color=Rojo;Valores=1:-10,5:Enero:/2:0,05:Febrero:/3:7,25:Marzo:\r\n"
            "Tipo=Lineas;Color=Azul;Valores=1:-2,5:a:/2:3,75:b:/3:1,5:c:");
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QStringList textos;
        for (const LienzoPrueba::Texto& t : TextosDibujados(f.Chart1)) textos << t.texto;
        for (const char* marca : {"-10,5", "0,05", "7,25", "-2,5", "3,75", "1,5"})
            QVERIFY2(textos.contains(QLatin1String(marca)), qPrintable(textos.join('|')));
        for (const QString& t : std::as_const(textos))
            QVERIFY2(!QRegularExpression(QStringLiteral("\\d\\.\\d")).match(t).hasMatch(),
                     qPrintable(t));
        QChart* c = f.Chart1->chart();
        QCOMPARE(c->axes(Qt::Horizontal).size(), 1);
        QCOMPARE(c->axes(Qt::Vertical).size(), 1);
        // Each line point stands over the middle of its bar.
        QAbstractSeries* barras = c->series().at(0);
        QAbstractSeries* linea = c->series().at(1);
        for (int i = 0; i < 3; ++i) {
            const double x = c->mapToPosition(QPointF(i, 0), barras).x();
            const auto* xy = qobject_cast<QXYSeries*>(linea);
            QVERIFY(std::abs(c->mapToPosition(xy->at(i), linea).x() - x) < 1);
        }
    }

    // A chart of thousands of points opens and paints in a time and memory
    // that grow with the points (a set of bars or a slice per point
    // grows with their square); each point keeps its colour.
    void muchosPuntos_data() {
        QTest::addColumn<QString>("series");
        QTest::addColumn<int>("segundos");
        QTest::addColumn<int>("megas");
        const int n = 5000;
        QString valores;
        for (int i = 1; i <= n; ++i)
            valores += QStringLiteral("%1:%2:P%1:%3/")
                           .arg(i)
                           .arg(i % 97)
                           .arg(i == 2 ? QStringLiteral("Verde") : QString());
        QTest::newRow("barras") << "Tipo=Barras;Color=Azul;Valores=" + valores << 20 << 300;
        QTest::newRow("barras de colores automáticos")
            << "Tipo=BarrasH;Valores=" + valores << 20 << 600;
        // Closing takes the most: the chart drops its legend marks one by
        // one (the chart's own code); the memory tells a slice set per point.
        QTest::newRow("tarta") << "Tipo=Tarta;Valores=" + valores << 120 << 150;
        QTest::newRow("línea sobre barras")
            << "Tipo=Barras;Color=Azul;Valores=" + valores + "\r\nTipo=Lineas;Valores=" + valores
            << 20 << 300;
    }
    void muchosPuntos() {
        QFETCH(QString, series);
        QFETCH(int, segundos);
        QFETCH(int, megas);
        ReiniciarPicoMemoria();
        const qint64 antes = MemoriaMB();
        QElapsedTimer reloj;
        reloj.start();
        {
            TfGENEGRAF f;
            f.TextoGrafico = QStringLiteral("Medidas=600x400;Vista3D=NO");
            f.TextoSeries = series;
            f.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f));
            f.Chart1->viewport()->grab();
            QCOMPARE(f.ColoresPuntos.first().size(), 5000);
            QCOMPARE(f.ColoresPuntos.first()[1], Color("Verde"));
            QAbstractSeries* primera = f.Chart1->chart()->series().first();
            if (auto* b = qobject_cast<QAbstractBarSeries*>(primera)) {
                // The second bar in its own colour, the others in the set of theirs.
                for (QBarSet* set : b->barSets()) {
                    QCOMPARE(set->count(), 5000);
                    QCOMPARE(set->at(1) != 0, set->color() == Color("Verde"));
                }
            }
            if (auto* p = qobject_cast<QPieSeries*>(primera)) {
                QCOMPARE(p->count(), 5000);
                QCOMPARE(p->slices()[1]->color(), Color("Verde"));
            }
        }
        const qint64 tardado = reloj.elapsed();
        const qint64 tomado = PicoMemoriaMB() - antes;
        qInfo("%lld ms, %lld MB", tardado, tomado);
        QVERIFY2(tardado < segundos * 1000, qPrintable(QString::number(tardado)));
        QVERIFY2(tomado < LimiteMemoriaMB(megas), qPrintable(QString::number(tomado)));
    }

    void leyendaYMarcas() {
        TfGENEGRAF f;
        f.TextoGrafico = QStringLiteral("Leyenda=SI;Marcas=NO");
        f.TextoSeries = QStringLiteral("Tipo=Lineas;IncluirEnLeyenda=SI;Valores=1:1:a:");
        f.ConstruirGrafico();
        QVERIFY(f.Chart1->chart()->legend()->isVisible());
        f.pbLeyenda->setDown(false);
        f.pbLeyendaClick();
        QVERIFY(!f.Chart1->chart()->legend()->isVisible());
    }

    // Enter moves on to the next control as Tab does and types nothing.
    void introPasaAlSiguiente() {
        TfGENEGRAF f;
        auto* edicion = new TEdit(f.PanelStatusBar);
        f.PanelStatusBar->setFixedHeight(40);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        edicion->activateWindow();
        edicion->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(edicion->hasFocus());
        QTest::keyClick(edicion, Qt::Key_Return);
        QTRY_VERIFY(!edicion->hasFocus());
        QVERIFY(f.Chart1->hasFocus());
        QCOMPARE(edicion->Text(), QString());
    }

    // MostrarGrafico shows the window modally at the screen's centre, with the
    // size asked for; its print makes one page; Esc closes it.
    void mostrarEImprimir() {
        EmpresaPrueba empresa(Engine::Sqlite);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("grafico.pdf"));
        ImprimirEnPdf(pdf);
        bool impreso = false;
        QString titulo;
        QRect marco, pantalla;
        QSize tamano;
        bool cerradoConEsc = false;
        AlMostrarse<TfGENEGRAF>([&](TfGENEGRAF* f) {
            titulo = f->Caption();
            marco = f->frameGeometry();
            tamano = f->size();
            pantalla = f->screen()->availableGeometry();
            impreso = f->pbImprimirClick();
            QTest::keyClick(DondeSeEscribe(f), Qt::Key_Escape);
            // A modal window leaves its loop once its result is set.
            cerradoConEsc = f->ModalResult() != mrNone;
            if (!cerradoConEsc) f->Close();
        });
        MostrarGrafico(
            ModuloDatos, QStringLiteral("Titulo=Ventas;Medidas=450x300;Leyenda=SI;"),
            QStringLiteral("Tipo=Barras;Titulo=2024;Valores=1:10,5:Enero:/2:7:Febrero:"));
        AsignarSeamDialogos(nullptr);
        QVERIFY(impreso);
        QCOMPARE(titulo, QStringLiteral("Ventas"));
        QCOMPARE(tamano, QSize(450, 300));
        QVERIFY2((marco.center() - pantalla.center()).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2 en %3x%4")
                                .arg(marco.x())
                                .arg(marco.y())
                                .arg(pantalla.width())
                                .arg(pantalla.height())));
        QVERIFY(cerradoConEsc);
        QCOMPARE(PaginasPdf(pdf), 1);
    }
};

QTEST_MAIN(TestGeneGraf)
#include "tst_genegraf.moc"
