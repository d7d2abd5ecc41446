// Chart benchmark: the largest chart the result tools draw ("Gráfico" with
// the most values allowed), built and painted offscreen. Line printed:
//   chart bars_<series>x<points> ours=<s> raw=<s> ratio=<ours/raw>
//     the series text SeriesGrafico makes of a 1,000-row result with as many
//     numeric columns as a chart takes (each the values asked and "Otros",
//     the labels a few names repeated), built by the chart window
//     (ConstruirGrafico) and painted once at its size, against the same bars
//     built directly with Qt Charts (one stacked bar series per column, one
//     bar set each, the unique labels given to the category axis as one
//     list, a value axis) and painted at the same size. Best of five.

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "db/clientdataset.h"
#include "db/field.h"
#include "gene/listings/genecsql_rejilla.h"
#include "gene/listings/genegraf.h"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "bench_chart: %s\n", what);
    std::exit(1);
}

constexpr int kFilas = 1000;
const QSize kTamano(1600, 900);  // a maximised window

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

void pintar(QChartView* vista) {
    vista->resize(kTamano);
    QImage imagen(kTamano, QImage::Format_ARGB32_Premultiplied);
    imagen.fill(Qt::white);
    QPainter p(&imagen);
    vista->render(&p);
}

double nuestro(const QString& series) {
    QElapsedTimer reloj;
    reloj.start();
    TfGENEGRAF grafico;
    // The header the result tools send (in 3-D), on a maximised window.
    grafico.TextoGrafico =
        QStringLiteral("Titulo=Prueba;Medidas=1600x900;PanelControl=SI;StatusBar=SI;Leyenda=SI;");
    grafico.TextoSeries = series;
    grafico.ConstruirGrafico();
    pintar(grafico.Chart1);
    return seconds(reloj);
}

double directo(const QList<QList<qreal>>& valores, const QStringList& etiquetas) {
    QElapsedTimer reloj;
    reloj.start();
    QChartView vista;
    auto* grafico = new QChart;
    vista.setChart(grafico);
    auto* eje = new QBarCategoryAxis;
    eje->append(etiquetas);
    grafico->addAxis(eje, Qt::AlignBottom);
    auto* escala = new QValueAxis;
    grafico->addAxis(escala, Qt::AlignLeft);
    for (const QList<qreal>& columna : valores) {
        auto* serie = new QStackedBarSeries;
        auto* set = new QBarSet(QString());
        set->append(columna);
        serie->append(set);
        grafico->addSeries(serie);
        serie->attachAxis(eje);
        serie->attachAxis(escala);
    }
    pintar(&vista);
    return seconds(reloj);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // A result of names and as many numeric columns as a chart takes.
    const QStringList nombres{QStringLiteral("Ana"), QStringLiteral("Luis"), QStringLiteral("Pepe"),
                              QStringLiteral("Eva")};
    TClientDataSet datos;
    datos.FieldDefs() << TFieldDef{QStringLiteral("Nombre"), ftString, 20, false};
    for (int c = 0; c < kMaximoSeriesGrafico; ++c)
        datos.FieldDefs() << TFieldDef{QStringLiteral("Importe%1").arg(c), ftFloat, 0, false};
    datos.CreateDataSet();
    for (int i = 0; i < kFilas; ++i) {
        datos.Append();
        datos.Fields()[0]->setAsString(nombres[i % nombres.size()]);
        for (int c = 1; c <= kMaximoSeriesGrafico; ++c) datos.Fields()[c]->setAsFloat(i % 97 + c);
        datos.Post();
    }
    const QString series = SeriesGrafico(&datos, kMaximoValoresGrafico, false);

    // The same bars for Qt alone: the values of each column, the labels
    // made unique by position.
    QList<QList<qreal>> valores(kMaximoSeriesGrafico);
    QStringList etiquetas;
    for (int i = 0; i < kMaximoValoresGrafico; ++i)
        etiquetas << nombres[i % nombres.size()] + QStringLiteral(" (%1)").arg(i + 1);
    etiquetas << QStringLiteral("Otros");
    for (int c = 1; c <= kMaximoSeriesGrafico; ++c) {
        double resto = 0;
        for (int i = 0; i < kFilas; ++i) {
            const double v = i % 97 + c;
            if (i < kMaximoValoresGrafico)
                valores[c - 1] << v;
            else
                resto += v;
        }
        valores[c - 1] << resto;
    }
    if (series.count(QStringLiteral("Otros")) != kMaximoSeriesGrafico)
        fail("the series text is not the largest chart");

    double ours = 1e9, raw = 1e9;
    for (int vez = 0; vez < 5; ++vez) {
        ours = std::min(ours, nuestro(series));
        raw = std::min(raw, directo(valores, etiquetas));
    }
    std::printf("chart bars_%dx%d ours=%.4f raw=%.4f ratio=%.2f\n", kMaximoSeriesGrafico,
                kMaximoValoresGrafico + 1, ours, raw, raw > 0 ? ours / raw : 0.0);
    return 0;
}
