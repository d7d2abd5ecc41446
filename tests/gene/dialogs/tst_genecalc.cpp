#include <QtTest>
#include <clocale>

#include "db/dberror.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genecalc.h"
#include "ui/controls.h"

namespace {

// The keys of a sequence: one character each, as typed on the keyboard.
QString Teclear(TCalculadora& c, const QString& teclas) {
    for (const QChar t : teclas) {
        if (t == QChar(8))
            c.Retroceso();
        else
            c.Pulsar(TCalculadora::OperacionDeCaracter(t));
    }
    return c.Display;
}

}  // namespace

class TestGeneCalc : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        // Numbers follow the fixed Spanish conventions whatever the locale.
        std::setlocale(LC_ALL, "C");
        QLocale::setDefault(QLocale::c());
    }

    void secuencias_data() {
        QTest::addColumn<QString>("teclas");
        QTest::addColumn<QString>("display");
        QTest::newRow("suma") << "12+3="
                              << "15";
        QTest::newRow("tras resultado empieza otro numero") << "12+3=4"
                                                            << "4";
        QTest::newRow("operador encadenado") << "5+3+"
                                             << "8";
        QTest::newRow("encadenado y resultado") << "5+3+2="
                                                << "10";
        QTest::newRow("primer numero visible") << "5+"
                                               << "5";
        QTest::newRow("dos operadores seguidos") << "++"
                                                 << "Error";
        QTest::newRow("division por cero") << "7/0="
                                           << "Error";
        QTest::newRow("tras error un digito limpio") << "7/0=5"
                                                     << "5";
        QTest::newRow("dos decimales") << "1/3="
                                       << "0,33";
        QTest::newRow("a euros") << "100e"
                                 << "0,6";
        QTest::newRow("a pesetas") << "1p"
                                   << "166,39";
        QTest::newRow("cero sustituido") << "05"
                                         << "5";
        QTest::newRow("decimal") << "0,5"
                                 << "0,5";
        QTest::newRow("segunda coma ignorada") << "0,5,2"
                                               << "0,52";
        QTest::newRow("punto como coma") << "2.5*2="
                                         << "5";
        QTest::newRow("retroceso al cero") << QStringLiteral("7") + QChar(8) << "0";
        QTest::newRow("retroceso sobre error") << QStringLiteral("++") + QChar(8) << "0";
        QTest::newRow("borrar") << "12+3c"
                                << "0";
        QTest::newRow("igual sin operacion") << "7="
                                             << "7";
        QTest::newRow("negativo") << "3-5="
                                  << "-2";
        QTest::newRow("producto con x") << "6x7="
                                        << "42";
    }
    void secuencias() {
        QFETCH(QString, teclas);
        QFETCH(QString, display);
        TCalculadora c;
        QCOMPARE(Teclear(c, teclas), display);
    }

    // What closing returns: the display as a number, and no result at all
    // while it shows "Error".
    void valorAlCerrar() {
        TCalculadora c;
        Teclear(c, QStringLiteral("5+3"));
        QCOMPARE(c.Valor(), 3.0);
        QVERIFY(!c.ResultadoErroneo());
        Teclear(c, QStringLiteral("/0="));
        QVERIFY(c.ResultadoErroneo());
        // "Off" on an error: the display is cleared but the result stays unusable.
        c.Pulsar(QStringLiteral("Apagar"));
        QCOMPARE(c.Display, QStringLiteral("0"));
        QVERIFY(c.ResultadoErroneo());
    }

    // The window: keys typed go through the key panels; closing hides it and
    // stores the result; the pending operation survives to the next opening.
    void ventana() {
        TfGENECALC calc;
        calc.DoCreate();
        QCOMPARE(calc.Caption(), QStringLiteral("Calculadora"));
        for (const char* op : {"Apagar", "PonerACero", "0", "9", "PuntoDecimal", "Sumar", "Restar",
                               "Multiplicar", "Dividir", "Igual", "Euro", "Pesetas"})
            QVERIFY2(calc.Tecla(QLatin1String(op)) && calc.Tecla(QLatin1String(op))->Tag() == 1,
                     op);

        AlMostrarse<TfGENECALC>([](TfGENECALC* c) {
            QTest::keyClicks(DondeSeEscribe(c), QStringLiteral("*3"));
            QCOMPARE(c->Display->Caption(), QStringLiteral("3"));
            QTest::keyClick(DondeSeEscribe(c), Qt::Key_Escape);
        });
        QCOMPARE(CalculadoraModal(QStringLiteral("2,5")), 3.0);
        QVERIFY(!calc.isVisible());

        // The multiplication is still pending: "=" completes it.
        AlMostrarse<TfGENECALC>([](TfGENECALC* c) {
            QTest::keyClicks(DondeSeEscribe(c), QStringLiteral("="));
            c->Close();
        });
        QCOMPARE(CalculadoraModal(QStringLiteral("4")), 10.0);
    }

    // A display of "Error" at closing abandons the operation (silent abort),
    // so that the field keeps its value.
    void errorNoDevuelveCero() {
        TfGENECALC calc;
        calc.DoCreate();
        AlMostrarse<TfGENECALC>([](TfGENECALC* c) {
            QTest::keyClicks(DondeSeEscribe(c), QStringLiteral("/0="));
            QCOMPARE(c->Display->Caption(), QStringLiteral("Error"));
            QTest::keyClicks(DondeSeEscribe(c), QStringLiteral("o"));
        });
        QVERIFY_THROWS_EXCEPTION(EAbort, CalculadoraModal(QStringLiteral("8")));
    }
};

QTEST_MAIN(TestGeneCalc)
#include "tst_genecalc.moc"
