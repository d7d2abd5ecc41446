// The chart window: sizes, panels, the colours its points get, points that
// cannot be read, many series, and the chart shown through MostrarGrafico
// and printed on one page.

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>

#include "gene/dialogo_modal.h"
#include "gene/session/genecomp.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/listings/genegraf.h"
#include "support/empresaprueba.h"
#include "support/lienzoprueba.h"
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
        // Two bars are two bar sets, each of its point's colour.
        if (QTest::currentDataTag() == QByteArray("dos barras")) {
            auto* s = qobject_cast<QAbstractBarSeries*>(f.Chart1->chart()->series().first());
            QCOMPARE(s->barSets().size(), 2);
            QCOMPARE(s->barSets()[1]->color(), Color("Azul"));
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
