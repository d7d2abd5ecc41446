// Conversions, SQL literals, validators with their warnings, dates, rounding.

#include <QtTest>
#include <cmath>

#include "db/dialect.h"
#include "db/field.h"
#include "db/sysutils.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/session/sesion.h"

namespace {

QDateTime fecha(int a, int m, int d, int h = 0, int n = 0, int s = 0) {
    return QDateTime(QDate(a, m, d), QTime(h, n, s));
}

// Sets the session's engine for one test and restores it.
struct MotorDePrueba {
    explicit MotorDePrueba(const char* tipo) : previo(TipoBaseDatos) {
        TipoBaseDatos = QString::fromLatin1(tipo);
    }
    ~MotorDePrueba() { TipoBaseDatos = previo; }
    QString previo;
};

}  // namespace

class TestGeneConv : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { MessageSeam::activate(); }
    void cleanup() { MessageSeam::deactivate(); }

    void textoAReal_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("opciones");
        QTest::addColumn<double>("valor");
        QTest::newRow("miles y decimales") << "1.234,56"
                                           << "" << 1234.56;
        QTest::newRow("punto decimal") << "1,234.56"
                                       << "PuntoDecimal" << 1234.56;
        QTest::newRow("opcion entre otras") << "12.5"
                                            << "Silenciosa,PuntoDecimal" << 12.5;
        QTest::newRow("punto como miles") << "12.5"
                                          << "" << 125.0;
        QTest::newRow("negativo") << "-3,25"
                                  << "" << -3.25;
        QTest::newRow("letras") << "abc"
                                << "" << 0.0;
        QTest::newRow("vacio") << ""
                               << "" << 0.0;
        QTest::newRow("comillas") << "1'5"
                                  << "" << 0.0;
    }
    void textoAReal() {
        QFETCH(QString, texto);
        QFETCH(QString, opciones);
        QFETCH(double, valor);
        QCOMPARE(TextoAReal(texto, opciones), valor);
    }

    void textoAFechaHora() {
        QCOMPARE(TextoAFechaHora(QStringLiteral("15/03/2024 10:30")), fecha(2024, 3, 15, 10, 30));
        QCOMPARE(TextoAFechaHora(QStringLiteral("1/1/26")), fecha(2026, 1, 1));
        QCOMPARE(TextoAFechaHora(QStringLiteral("1/1/50")), fecha(1950, 1, 1));
        QCOMPARE(TextoAFechaHora(QStringLiteral("31/02/2020")), ZeroDateTime());
        QCOMPARE(TextoAFechaHora(QStringLiteral("mañana")), ZeroDateTime());
        QCOMPARE(TextoAFechaHora(QString()), ZeroDateTime());
    }

    void valorSQL() {
        MotorDePrueba motor("Paradox");
        QCOMPARE(ValorSQL(QVariant()), QStringLiteral("''"));
        QCOMPARE(ValorSQL(QVariant(QMetaType(QMetaType::QString))), QStringLiteral("''"));
        QCOMPARE(ValorSQL(7), QStringLiteral("7"));
        QCOMPARE(ValorSQL(QVariant::fromValue<short>(-12)), QStringLiteral("-12"));
        QCOMPARE(ValorSQL(QVariant::fromValue<uchar>(200)), QStringLiteral("200"));
        QCOMPARE(ValorSQL(Q_INT64_C(9000000000)), QStringLiteral("9000000000"));
        QCOMPARE(ValorSQL(7.5), QStringLiteral("7.500000"));
        QCOMPARE(ValorSQL(-1234.5678), QStringLiteral("-1234.567800"));
        QCOMPARE(ValorSQL(QStringLiteral("D'Ors")), QStringLiteral("'D''Ors'"));
        QCOMPARE(ValorSQL(QStringLiteral("x'; DROP TABLE T; --")),
                 QStringLiteral("'x''; DROP TABLE T; --'"));
        QCOMPARE(ValorSQL(true), QStringLiteral("1"));
        QCOMPARE(ValorSQL(QDate(2024, 3, 15)), QStringLiteral("'2024-03-15'"));
        QCOMPARE(ValorSQL(fecha(2024, 3, 15, 8, 5, 9)), QStringLiteral("'2024-03-15 08:05:09'"));
        QCOMPARE(ValorSQL(ZeroDateTime()), QStringLiteral("'1899-12-30'"));
        QCOMPARE(ValorSQL(QVariantList{1, 2}), QString());
    }

    void valorSQLSegunMotor() {
        {
            MotorDePrueba motor("SQL Generica");
            QCOMPARE(ValorSQL(false), QStringLiteral("FALSE"));
        }
        MotorDePrueba motor("Microsoft SQL Server");
        const QString previo = SqlServerDateFormat();
        SetSqlServerDateFormat(QStringLiteral("mm/dd/yyyy"));
        QCOMPARE(ValorSQL(ZeroDateTime()), QStringLiteral("'12/30/1899 00:00:00'"));
        QCOMPARE(ValorSQL(fecha(2024, 3, 15, 10)), QStringLiteral("'03/15/2024 10:00:00'"));
        SetSqlServerDateFormat(previo);
    }

    void textoVariante() {
        QCOMPARE(TextoVariante(QVariantList{QStringLiteral("uno"), 2}), QStringLiteral("uno"));
        QCOMPARE(TextoVariante(QVariantList{}), QString());
        QCOMPARE(TextoVariante(42), QStringLiteral("42"));
        QCOMPARE(TextoVariante(QVariant::fromValue<uchar>(7)), QStringLiteral("7"));
        QCOMPARE(TextoVariante(12.5), QStringLiteral("12,5"));
        QCOMPARE(TextoVariante(fecha(2024, 3, 15)), QStringLiteral("15/03/2024"));
        QCOMPARE(TextoVariante(QVariant()), QString());
    }

    void tiposDeCampo() {
        QCOMPARE(NombreTipoCampo(ftSmallint), QStringLiteral("ftSmallint"));
        QCOMPARE(NombreTipoCampo(ftUnknown), QStringLiteral("ftUnknown"));
        QCOMPARE(TipoCampoDeNombre(QStringLiteral("ftSmallInt")), ftSmallint);
        QCOMPARE(TipoCampoDeNombre(QStringLiteral("ftTypedBinary")), ftTypedBinary);
        QCOMPARE(TipoCampoDeNombre(QStringLiteral("ftstring")), ftUnknown);
        QCOMPARE(TipoCampoDeNombre(QStringLiteral("ftUnknown")), ftUnknown);
        QCOMPARE(AnchoCampo(nullptr), 0);
    }

    void anchoCampo() {
        // Fixed widths by type; other types keep the field's own width.
        TField flotante(nullptr, QStringLiteral("Importe"), ftFloat, 0, fkData);
        flotante.setDisplayWidth(30);
        QCOMPARE(AnchoCampo(&flotante), 13);
        TField fechaHora(nullptr, QStringLiteral("Alta"), ftDateTime, 0, fkData);
        QCOMPARE(AnchoCampo(&fechaHora), 10);
        TField texto(nullptr, QStringLiteral("Nombre"), ftString, 40, fkData);
        QCOMPARE(AnchoCampo(&texto), texto.DisplayWidth());
        texto.setDisplayWidth(7);
        QCOMPARE(AnchoCampo(&texto), 7);
    }

    void validadores_data() {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<bool>("valido");
        QTest::addColumn<QString>("aviso");
        const QString valor = QStringLiteral("¡El valor de Dato es incorrecto! Repita por favor");
        const QString fechaMal =
            QStringLiteral("¡La fecha de Dato es incorrecta! Repita por favor");
        const QString horaMal = QStringLiteral("¡La hora de Dato es incorrecta! Repita por favor");
        QTest::newRow("entero") << "E"
                                << " 42 " << true << "";
        QTest::newRow("entero con decimales") << "E"
                                              << "12,5" << false << valor;
        QTest::newRow("entero fuera de rango") << "E"
                                               << "2147483648" << false << valor;
        QTest::newRow("entero vacio") << "E"
                                      << "" << false << valor;
        QTest::newRow("real") << "R"
                              << "12,5" << true << "";
        QTest::newRow("real con miles") << "R"
                                        << "1.234,5" << true << "";
        QTest::newRow("real con punto") << "R"
                                        << "12.5" << false << valor;
        QTest::newRow("real con miles sin decimales") << "R"
                                                      << "1.600" << true << "";
        QTest::newRow("real con punto sin tres cifras") << "R"
                                                        << "1.6" << false << valor;
        QTest::newRow("real con punto tras la coma") << "R"
                                                     << "1,5.000" << false << valor;
        QTest::newRow("real con barra") << "R"
                                        << "1|2" << false << valor;
        QTest::newRow("hora") << "H"
                              << "23:59" << true << "";
        QTest::newRow("hora imposible") << "H"
                                        << "25:00" << false << horaMal;
        QTest::newRow("fecha limite") << "F"
                                      << "1/1/1890" << false << fechaMal;
        QTest::newRow("dia siguiente al limite") << "F"
                                                 << "2/1/1890" << true << "";
        QTest::newRow("fecha imposible") << "F"
                                         << "31/02/2020" << false << fechaMal;
        QTest::newRow("fecha con salto") << "F"
                                         << "1/1/2020\r\n"
                                         << false << fechaMal;
    }
    void validadores() {
        QFETCH(QString, tipo);
        QFETCH(QString, texto);
        QFETCH(bool, valido);
        QFETCH(QString, aviso);
        auto validar = [&](const QString& nombre) {
            if (tipo == QLatin1String("E")) return ValidarEntero(texto, nombre);
            if (tipo == QLatin1String("R")) return ValidarReal(texto, nombre);
            if (tipo == QLatin1String("H")) return ValidarHora(texto, nombre);
            return ValidarFecha(texto, nombre);
        };
        QCOMPARE(validar(QStringLiteral("Dato")), valido);
        if (aviso.isEmpty()) {
            QVERIFY(MessageSeam::log().isEmpty());
        } else {
            QCOMPARE(MessageSeam::log().size(), 1);
            QCOMPARE(MessageSeam::log().first().kind, QStringLiteral("A"));
            QCOMPARE(MessageSeam::log().first().text, aviso);
        }
        // Without a label the result is the same and nothing is shown.
        MessageSeam::clearLog();
        QCOMPARE(validar(QString()), valido);
        QVERIFY(MessageSeam::log().isEmpty());
    }

    void esCero() {
        QVERIFY(EsCero(0.00001));
        QVERIFY(EsCero(-0.00001));
        QVERIFY(!EsCero(0.000011));
    }

    void pedirFecha() {
        // A wrong answer is named in the warning and asked again, with itself
        // as the default; an empty (cancelled) answer is asked again silently.
        MessageSeam::enqueue(QStringLiteral("31/02/2024"));
        MessageSeam::enqueue(MessageSeam::cancel());
        MessageSeam::enqueue(QStringLiteral("29/02/2024"));
        QDateTime f = fecha(2024, 1, 10);
        PedirFecha(QStringLiteral("Fecha de baja:"), f);
        QCOMPARE(f, fecha(2024, 2, 29));
        const auto& log = MessageSeam::log();
        QCOMPARE(log.size(), 4);
        QCOMPARE(log.at(0).kind, QStringLiteral("P"));
        QCOMPARE(log.at(1).text,
                 QStringLiteral("¡La fecha de 31/02/2024 es incorrecta! Repita por favor"));
        QCOMPARE(log.at(2).kind, QStringLiteral("P"));
        QCOMPARE(log.at(3).answer, QStringLiteral("29/02/2024"));
    }

    void fechas() {
        QCOMPARE(AnoCompleto(49), 2049);
        QCOMPARE(AnoCompleto(50), 1950);
        QCOMPARE(AnoCompleto(0), 2000);
        QCOMPARE(AnoCompleto(100), 100);
        QCOMPARE(AnoDosCifras(fecha(2005, 6, 1)), 5);
        QCOMPARE(AnoDosCifras(fecha(1999, 6, 1)), 99);
        QCOMPARE(AnoTexto(fecha(2024, 1, 1)), QStringLiteral("2024"));
        QCOMPARE(DiasMes(fecha(2024, 2, 10)), 29);
        QCOMPARE(DiasMes(fecha(2023, 12, 31)), 31);
        QCOMPARE(PrimerDiaMes(fecha(2024, 2, 10, 9)), fecha(2024, 2, 1));
        QCOMPARE(UltimoDiaMes(fecha(2023, 2, 10)), fecha(2023, 2, 28));
        QCOMPARE(SumarMeses(fecha(2024, 1, 31, 8), 1), fecha(2024, 2, 29, 8));
        QCOMPARE(SumarMeses(fecha(2024, 3, 31), -13), fecha(2023, 2, 28));
        QCOMPARE(SumarMeses(fecha(2023, 12, 15), 1), fecha(2024, 1, 15));
        QCOMPARE(NombreMes(9), QStringLiteral("Septiembre"));
        QCOMPARE(NombreMes(0), QString());
        QCOMPARE(NombreMes(13), QString());
        QCOMPARE(ParteHora(fecha(2024, 5, 6, 7, 8, 9)), fecha(1899, 12, 30, 7, 8, 9));
        QCOMPARE(HorasDecimales(fecha(1899, 12, 30, 1, 30, 36)), 1.51);
        // Dates that are not there give neutral results, never a crash.
        QCOMPARE(AnoFecha(QDateTime()), 0);
        QVERIFY(!PrimerDiaMes(QDateTime()).isValid());
        QCOMPARE(HorasDecimales(QDateTime()), 0.0);
    }

    void redondeo_data() {
        QTest::addColumn<double>("valor");
        QTest::addColumn<int>("decimales");
        QTest::addColumn<double>("redondeado");
        QTest::newRow("medio") << 0.5 << 0 << 1.0;
        QTest::newRow("menos medio") << -0.5 << 0 << -1.0;
        QTest::newRow("dos y medio") << 2.5 << 0 << 3.0;
        QTest::newRow("menos dos y medio") << -2.5 << 0 << -3.0;
        QTest::newRow("por debajo del medio") << 1.49999 << 0 << 1.0;
        QTest::newRow("dos decimales") << 2.345 << 2 << 2.35;
        QTest::newRow("negativo dos decimales") << -2.345 << 2 << -2.35;
        QTest::newRow("cero decimales") << 2.345 << 0 << 2.0;
        QTest::newRow("decimales negativos") << 2.345 << -1 << 2.0;
        QTest::newRow("importe") << 1.005 << 2 << 1.01;
        QTest::newRow("fuera de 64 bits") << 1e20 << 0 << 1e20;
        QTest::newRow("demasiados decimales") << 2.345 << 400 << 2.345;
    }
    void redondeo() {
        QFETCH(double, valor);
        QFETCH(int, decimales);
        QFETCH(double, redondeado);
        QCOMPARE(RedondearDecimales(valor, decimales), redondeado);
    }

    void redondeoMultiplo() {
        QCOMPARE(RedondearMultiplo(7.3, 0.5), 7.5);
        QCOMPARE(RedondearMultiplo(-12, 5), -10.0);
        QCOMPARE(RedondearMultiplo(7.3, 0), 7.3);
        QVERIFY(std::isnan(RedondearValor(std::nan(""))));
    }
};

QTEST_MAIN(TestGeneConv)
#include "tst_geneconv.moc"
