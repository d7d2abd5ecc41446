// Amounts in Spanish words.

#include <QtTest>
#include <cmath>

#include "gene/data/genenlet.h"

class TestGeneNlet : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void importes_data() {
        QTest::addColumn<double>("importe");
        QTest::addColumn<QString>("mayusculas");
        QTest::addColumn<QString>("minusculas");
        QTest::newRow("0") << 0.0 << "CERO "
                           << "cero ";
        QTest::newRow("0,5") << 0.5 << "CERO CON CINCUENTA "
                             << "cero con cincuenta ";
        QTest::newRow("1") << 1.0 << "UNA "
                           << "uno ";
        QTest::newRow("16") << 16.0 << "DIECISEIS "
                            << "dieciseis ";
        QTest::newRow("21") << 21.0 << "VEINTIUNA "
                            << "veintiuno ";
        QTest::newRow("31") << 31.0 << "TREINTA Y UNA "
                            << "treinta y uno ";
        QTest::newRow("100") << 100.0 << "CIEN "
                             << "cien ";
        QTest::newRow("101") << 101.0 << "CIENTO UNA "
                             << "ciento uno ";
        QTest::newRow("116") << 116.0 << "CIENTO DIECISEIS "
                             << "ciento dieciseis ";
        QTest::newRow("555") << 555.0 << "QUINIENTAS CINCUENTA Y CINCO "
                             << "quinientos cincuenta y cinco ";
        QTest::newRow("1000") << 1000.0 << "MIL "
                              << "mil ";
        QTest::newRow("1001") << 1001.0 << "MIL UNA "
                              << "mil uno ";
        QTest::newRow("21000") << 21000.0 << "VEINTIUNA MIL "
                               << "veintiuno mil ";
        QTest::newRow("1000000") << 1000000.0 << "UN MILLON "
                                 << "un millon ";
        QTest::newRow("2500000") << 2500000.0 << "DOS MILLONES QUINIENTAS MIL "
                                 << "dos millones quinientos mil ";
        QTest::newRow("221000000") << 221000000.0 << "DOSCIENTOS VEINTIUN MILLONES "
                                   << "doscientos veintiun millones ";
        QTest::newRow("201001201") << 201001201.0 << "DOSCIENTOS UN MILLONES MIL DOSCIENTAS UNA "
                                   << "doscientos un millones mil doscientos uno ";
        QTest::newRow("-5") << -5.0 << "MENOS CINCO "
                            << "menos cinco ";
        QTest::newRow("-0,25") << -0.25 << "MENOS CERO CON VEINTICINCO "
                               << "menos cero con veinticinco ";
        QTest::newRow("-0,001") << -0.001 << "CERO "
                                << "cero ";
        QTest::newRow("12,25") << 12.25 << "DOCE CON VEINTICINCO "
                               << "doce con veinticinco ";
        QTest::newRow("12,01") << 12.01 << "DOCE CON UNA "
                               << "doce con uno ";
        // Cents rounded first: the units carry over.
        QTest::newRow("7,999") << 7.999 << "OCHO "
                               << "ocho ";
        QTest::newRow("999999,995") << 999999.995 << "UN MILLON "
                                    << "un millon ";
        QTest::newRow("1000000000") << 1e9 << "MIL MILLONES "
                                    << "mil millones ";
        QTest::newRow("2001000000") << 2001000000.0 << "DOS MIL UN MILLONES "
                                    << "dos mil un millones ";
    }
    void importes() {
        QFETCH(double, importe);
        QFETCH(QString, mayusculas);
        QFETCH(QString, minusculas);
        QCOMPARE(NumeroEnLetraMayusculas(importe), mayusculas);
        QCOMPARE(NumeroEnLetra(importe), minusculas);
    }

    void grupos() {
        const QString millones = QStringLiteral("Millones");
        const QString miles = QStringLiteral("Miles");
        const QString unidades = QStringLiteral("Unidades");
        QCOMPARE(GrupoEnLetra(miles, QStringLiteral("001")), QString());
        QCOMPARE(GrupoEnLetra(unidades, QStringLiteral("001")), QStringLiteral("UNA "));
        QCOMPARE(GrupoEnLetra(millones, QStringLiteral("321")),
                 QStringLiteral("TRESCIENTOS VEINTIUN "));
        QCOMPARE(CentenasEnLetra(unidades, QStringLiteral("100")), QStringLiteral("CIEN"));
        QCOMPARE(CentenasEnLetra(unidades, QStringLiteral("110")), QStringLiteral("CIENTO"));
        QCOMPARE(DecenasEnLetra(unidades, QStringLiteral("015")), QStringLiteral("QUINCE"));
        QCOMPARE(UnidadesEnLetra(millones, QStringLiteral("001")), QStringLiteral("UN"));
        // Anything but three digits gives no words.
        QCOMPARE(GrupoEnLetra(unidades, QStringLiteral("12")), QString());
        QCOMPARE(GrupoEnLetra(unidades, QStringLiteral("1a2")), QString());
        QCOMPARE(NumeroEnLetraMayusculas(std::nan("")), QString());
    }
};

QTEST_GUILESS_MAIN(TestGeneNlet)
#include "tst_genenlet.moc"
