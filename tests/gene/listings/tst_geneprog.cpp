// The progress window: its size and place follow the text, Esc asks whether
// the listing goes on, and one window serves every "ON".

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

#include "gene/session/geneinic.h"
#include "gene/data/genemens.h"
#include "gene/listings/geneprog.h"
#include "gene/data/genesali.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"

class TestGeneProg : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        MessageSeam::activate();
        CrearSesion();
    }
    void cleanupTestCase() { MessageSeam::deactivate(); }
    void init() {
        MessageSeam::clearLog();
        VersionWindows.clear();
    }

    void anchoSegunElTexto() {
        TfGENEPROG v;
        const QRect pantalla = QGuiApplication::primaryScreen()->geometry();
        v.AsignarTexto(QStringLiteral("Operario: 12"));
        QCOMPARE(v.Width(), 330);
        QCOMPARE(v.Height(), 85);
        QCOMPARE(v.PanelProgreso->width(), 330 - 16);
        QCOMPARE(v.Top(), pantalla.height() - 85 - 150);
        QCOMPARE(v.Left(), (pantalla.width() - 330) / 2);

        v.AsignarTexto(QStringLiteral("Procesando ") + QString(120, QLatin1Char('W')));
        QVERIFY(v.EditProgreso->width() + 40 > 330);
        QCOMPARE(v.Width(), v.EditProgreso->width() + 40);
        QCOMPARE(v.Left(), (pantalla.width() - v.Width()) / 2);
        // The whole text stays inside the panel.
        QVERIFY(v.EditProgreso->x() + v.EditProgreso->width() <= v.PanelProgreso->width());

        v.AsignarTexto(QString());
        QCOMPARE(v.Width(), 330);
    }

    void panelMasEstrechoEnWindows7() {
        TfGENEPROG v;
        VersionWindows = QStringLiteral("Windows XP");
        v.AsignarTexto(QStringLiteral("x"));
        const int xp = v.PanelProgreso->width();
        VersionWindows = QStringLiteral("Windows 7");
        v.AsignarTexto(QStringLiteral("x"));
        QCOMPARE(v.PanelProgreso->width(), xp - 8);
        VersionWindows = QStringLiteral("Windows VISTA");
        v.AsignarTexto(QStringLiteral("y"));
        QCOMPARE(v.PanelProgreso->width(), xp - 8);
    }

    void escapePreguntaSiSeguir() {
        TfGENEPROG v;
        v.show();
        ListadoCancelado = false;
        MessageSeam::enqueue(QStringLiteral("NO"));
        QTest::keyClick(&v, Qt::Key_Escape);
        QVERIFY(ListadoCancelado);
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log()[0].kind, QStringLiteral("C"));
        QCOMPARE(MessageSeam::log()[0].text,
                 QStringLiteral(
                     "El listado será cancelado a continuación. ¿Desea continuar con el listado?"));
        QVERIFY(v.isVisible());  // its caller closes it

        MessageSeam::enqueue(QStringLiteral("SI"));
        QTest::keyClick(&v, Qt::Key_Escape);
        QVERIFY(!ListadoCancelado);
        // A closed question is not a "SI".
        QTest::keyClick(&v, Qt::Key_Escape);
        QVERIFY(ListadoCancelado);
        // Other keys ask nothing.
        MessageSeam::clearLog();
        QTest::keyClick(&v, Qt::Key_A);
        QVERIFY(MessageSeam::log().isEmpty());
        ListadoCancelado = false;
    }

    void textoConContador() {
        // Without a language nothing is translated; what follows "..." is
        // kept as written and a second "..." ends it.
        QCOMPARE(TextoProgresoTraducido(QStringLiteral("Procesando...12")),
                 QStringLiteral("Procesando...12"));
        QCOMPARE(TextoProgresoTraducido(QStringLiteral("Leyendo...3 de 9...resto")),
                 QStringLiteral("Leyendo...3 de 9"));
        QCOMPARE(TextoProgresoTraducido(QStringLiteral("Sin puntos")),
                 QStringLiteral("Sin puntos"));
    }

    void unaVentanaParaCadaON() {
        VentanaProgreso(nullptr, QStringLiteral("ON"), QStringLiteral("Listado de Operarios"),
                        QStringLiteral("ignorado"), QString());
        TfGENEPROG* primera = fGENEINIC->fGENEPROG();
        QVERIFY(primera);
        QCOMPARE(primera->Caption(), QStringLiteral("Listado de Operarios"));
        QVERIFY(primera->isVisible());
        VentanaProgreso(nullptr, QString(), QString(), QString(), QStringLiteral("Operario: 7"));
        QCOMPARE(primera->Texto(), QStringLiteral("Operario: 7"));
        // A second "ON" takes the same window, so that one "OFF" closes it.
        VentanaProgreso(nullptr, QStringLiteral("ON"), QStringLiteral("Otro"), QString(),
                        QStringLiteral("Empezando"));
        QCOMPARE(fGENEINIC->fGENEPROG(), primera);
        QCOMPARE(primera->Caption(), QStringLiteral("Otro"));
        // Modes are exact.
        VentanaProgreso(nullptr, QStringLiteral("on"), QString(), QString(), QStringLiteral("x"));
        VentanaProgreso(nullptr, QStringLiteral("off"), QString(), QString(), QString());
        QCOMPARE(fGENEINIC->fGENEPROG(), primera);
        QCOMPARE(primera->Texto(), QStringLiteral("Empezando"));
        VentanaProgreso(nullptr, QStringLiteral("OFF"), QString(), QString(), QString());
        QCOMPARE(fGENEINIC->fGENEPROG(), nullptr);
        // Text after "OFF" goes nowhere.
        VentanaProgreso(nullptr, QString(), QString(), QString(), QStringLiteral("tarde"));
        QCOMPARE(fGENEINIC->fGENEPROG(), nullptr);
    }
};

QTEST_MAIN(TestGeneProg)
#include "tst_geneprog.moc"
