// Conversions under fixed Spanish conventions: the results must not depend on
// the process locale (the suite runs in the C locale and again under es_ES).

#include <QFileInfo>
#include <QProcess>
#include <QtTest>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "db/dberror.h"
#include "db/sysutils.h"
#include "db/typednumber.h"

namespace {

// The message of the EConvertError that fn raises, or "" when it does not raise.
template <typename Fn>
QString convertError(Fn fn) {
    try {
        fn();
    } catch (const EConvertError& e) {
        if (e.code() != DbError::InvalidValue) return QStringLiteral("wrong code");
        return e.Message();
    }
    return QString();
}

QDateTime dt(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, n, s, ms));
}

}  // namespace

class TestSysUtils : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    // Numbers
    void strToFloat_data();
    void strToFloat();
    void strToFloatBad_data();
    void strToFloatBad();
    void typedStrToFloat_data();
    void typedStrToFloat();
    void strToInt_data();
    void strToInt();
    void strToIntBad_data();
    void strToIntBad();
    void floatToStr_data();
    void floatToStr();
    void floatToStrRoundTrip_data();
    void floatToStrRoundTrip();
    void formatFloat_data();
    void formatFloat();
    void localeDoesNotMatter();

    // Dates
    void strToDate_data();
    void strToDate();
    void strToDateBad_data();
    void strToDateBad();
    void strToTime_data();
    void strToTime();
    void strToDateTime_data();
    void strToDateTime();
    void dateToStr();
    void zeroDate();
    void dayNumbers_data();
    void dayNumbers();
    void dayNumberEdges();
    void formatDateTime_data();
    void formatDateTime();
    void boolToStr();
    void userTimeZoneKept_data();
    void userTimeZoneKept();
};

void TestSysUtils::initTestCase() {
    // Whatever the environment says, run under the C locale as CI does.
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
}

// --------------------------------------------------------------------------- numbers

void TestSysUtils::strToFloat_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("comma decimal") << "12,5" << 12.5;
    QTest::newRow("point decimal (ValorSQL style)") << "12.500000" << 12.5;
    QTest::newRow("integer") << "42" << 42.0;
    QTest::newRow("surrounding blanks") << "  12,5 " << 12.5;
    QTest::newRow("tab") << "\t7\t" << 7.0;
    QTest::newRow("minus") << "-3,25" << -3.25;
    QTest::newRow("plus") << "+3" << 3.0;
    QTest::newRow("thousands with comma decimal") << "1.234,5" << 1234.5;
    QTest::newRow("two thousands groups") << "-1.234.567,89" << -1234567.89;
    QTest::newRow("single point is decimal") << "1.234" << 1.234;
    QTest::newRow("leading decimal mark") << ",5" << 0.5;
    QTest::newRow("trailing decimal mark") << "5," << 5.0;
    QTest::newRow("exponent") << "1,5E3" << 1500.0;
    QTest::newRow("negative exponent") << "1e-2" << 0.01;
    QTest::newRow("exponent with plus") << "2.5E+2" << 250.0;
    QTest::newRow("zero") << "0" << 0.0;
    QTest::newRow("leading zeros") << "007,50" << 7.5;
}

void TestSysUtils::strToFloat() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    double v = -999;
    QVERIFY(TryStrToFloat(text, v));
    QCOMPARE(v, expected);
    QCOMPARE(StrToFloat(text), expected);
}

void TestSysUtils::strToFloatBad_data() {
    QTest::addColumn<QString>("text");

    QTest::newRow("double comma") << "12,,5";
    QTest::newRow("letters") << "abc";
    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("two points") << "1.2.3";
    QTest::newRow("thousands without decimal comma") << "1.234.567";
    QTest::newRow("short thousands group") << "1.23,5";
    QTest::newRow("long thousands group") << "1.2345,5";
    QTest::newRow("leading thousands mark") << ".123,5";
    QTest::newRow("two commas") << "1,2,3";
    QTest::newRow("double sign") << "--1";
    QTest::newRow("sign only") << "-";
    QTest::newRow("decimal mark only") << ",";
    QTest::newRow("exponent without digits") << "1e";
    QTest::newRow("trailing letter") << "12a";
    QTest::newRow("inner blank") << "1 000";
    QTest::newRow("infinity") << "inf";
    QTest::newRow("nan") << "nan";
    QTest::newRow("overflow") << "1e999";
    QTest::newRow("hex") << "0x10";
}

void TestSysUtils::strToFloatBad() {
    QFETCH(QString, text);
    double v = 123;
    QVERIFY(!TryStrToFloat(text, v));
    QCOMPARE(v, 123.0);  // untouched on failure
    QCOMPARE(convertError([&] { StrToFloat(text); }),
             "'" + text + "' is not a valid floating point value");
}

// A figure as a clerk types it: "." only as a thousands mark in a
// well-formed grouping, anything else refused (NaN) rather than read as
// another number.
void TestSysUtils::typedStrToFloat_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    const double refused = std::numeric_limits<double>::quiet_NaN();

    QTest::newRow("thousands") << "1.600" << 1600.0;
    QTest::newRow("thousands and decimals") << "1.234,5" << 1234.5;
    QTest::newRow("two groups") << "12.345.678" << 12345678.0;
    QTest::newRow("negative groups") << "-1.234.567,89" << -1234567.89;
    QTest::newRow("blanks and sign") << " +1.000 " << 1000.0;
    QTest::newRow("no mark") << "0,125" << 0.125;
    QTest::newRow("leading zeros without marks") << "007,5" << 7.5;
    QTest::newRow("zero before the mark") << "0.125" << refused;
    QTest::newRow("negative zero before the mark") << "-0.125" << refused;
    QTest::newRow("long first group") << "12345.678" << refused;
    QTest::newRow("long first group, decimals") << "1234.567,8" << refused;
    QTest::newRow("leading zero in the first group") << "01.234" << refused;
    QTest::newRow("short group") << "1.6" << refused;
    QTest::newRow("long group") << "1.2345" << refused;
    QTest::newRow("short middle group") << "1.23.456" << refused;
    QTest::newRow("mark first") << ".125" << refused;
    QTest::newRow("mark last") << "125." << refused;
    QTest::newRow("mark after the comma") << "1,5.000" << refused;
    QTest::newRow("exponent after a group") << "1.234e5" << refused;
}

void TestSysUtils::typedStrToFloat() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    double v = 123;
    const bool read = TryTypedStrToFloat(text, v);
    QCOMPARE(read, !std::isnan(expected));
    QCOMPARE(v, read ? expected : 123.0);
}

void TestSysUtils::strToInt_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("digits") << "42" << qint64(42);
    QTest::newRow("blanks and minus") << " -7 " << qint64(-7);
    QTest::newRow("plus") << "+5" << qint64(5);
    QTest::newRow("leading zeros") << "007" << qint64(7);
    QTest::newRow("int max") << "2147483647" << qint64(2147483647);
    QTest::newRow("int min") << "-2147483648" << qint64(-2147483647 - 1);
}

void TestSysUtils::strToInt() {
    QFETCH(QString, text);
    QFETCH(qint64, expected);
    QCOMPARE(StrToInt(text), int(expected));
    QCOMPARE(StrToInt64(text), expected);
    int i = 0;
    QVERIFY(TryStrToInt(text, i));
    QCOMPARE(i, int(expected));
}

void TestSysUtils::strToIntBad_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("validInt64");

    QTest::newRow("empty") << "" << false;
    QTest::newRow("blank") << " " << false;
    QTest::newRow("letters") << "abc" << false;
    QTest::newRow("sign only") << "-" << false;
    QTest::newRow("decimal point") << "12.0" << false;
    QTest::newRow("decimal comma") << "1,0" << false;
    QTest::newRow("inner blank") << "1 2" << false;
    QTest::newRow("hex") << "0x10" << false;
    QTest::newRow("above int") << "2147483648" << true;
    QTest::newRow("below int") << "-2147483649" << true;
    QTest::newRow("above int64") << "9223372036854775808" << false;
}

void TestSysUtils::strToIntBad() {
    QFETCH(QString, text);
    QFETCH(bool, validInt64);
    int i = 99;
    QVERIFY(!TryStrToInt(text, i));
    QCOMPARE(i, 99);
    QCOMPARE(convertError([&] { StrToInt(text); }), "'" + text + "' is not a valid integer value");
    qint64 l = 0;
    QCOMPARE(TryStrToInt64(text, l), validInt64);
    if (!validInt64)
        QCOMPARE(convertError([&] { StrToInt64(text); }),
                 "'" + text + "' is not a valid integer value");
}

void TestSysUtils::floatToStr_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("integer") << 42.0 << "42";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("fraction") << 12.5 << "12,5";
    QTest::newRow("negative") << -1234.5 << "-1234,5";
    QTest::newRow("15 digits of 0.1+0.2") << (0.1 + 0.2) << "0,3";
    QTest::newRow("small fixed") << 0.00001 << "0,00001";
    QTest::newRow("small scientific") << 0.000001 << "1E-6";
    QTest::newRow("small scientific fraction") << -0.0000015 << "-1,5E-6";
    QTest::newRow("15 integer digits") << 999999999999999.0 << "999999999999999";
    QTest::newRow("1e15") << 1e15 << "1E15";
    QTest::newRow("16 digits") << 1234567890123456.0 << "1,23456789012346E15";
    QTest::newRow("no thousands") << 1234567.25 << "1234567,25";
    QTest::newRow("third") << (1.0 / 3.0) << "0,333333333333333";
}

void TestSysUtils::floatToStr() {
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(FloatToStr(value), expected);
}

void TestSysUtils::floatToStrRoundTrip_data() {
    QTest::addColumn<double>("value");
    QTest::newRow("amount") << 1234.56;
    QTest::newRow("rate") << 0.0725;
    QTest::newRow("negative") << -98765.4321;
    QTest::newRow("tiny") << 1.5e-12;
    QTest::newRow("huge") << 6.02e23;
    QTest::newRow("15 digits") << 123456789.012345;
}

void TestSysUtils::floatToStrRoundTrip() {
    QFETCH(double, value);
    QCOMPARE(StrToFloat(FloatToStr(value)), value);
}

void TestSysUtils::formatFloat_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    // The standard amount template: zero and empty show as blank, no leading zero.
    QTest::newRow("#,###.## thousands") << "#,###.##" << 1234.5 << "1.234,5";
    // An empty positive section: the general format, never an empty text.
    QTest::newRow(";(0) positive") << ";(0)" << 5.0 << "5";
    QTest::newRow(";(0) negative") << ";(0)" << -5.0 << "(5)";
    QTest::newRow(";(0) zero") << ";(0)" << 0.0 << "0";
    QTest::newRow(";(0) positive fraction") << ";(0)" << 2.75 << "2,75";
    QTest::newRow("#,###.## millions") << "#,###.##" << 1234567.891 << "1.234.567,89";
    QTest::newRow("#,###.## zero is blank") << "#,###.##" << 0.0 << "";
    QTest::newRow("#,###.## below one") << "#,###.##" << 0.5 << ",5";
    QTest::newRow("#,###.## negative") << "#,###.##" << -1234.567 << "-1.234,57";
    QTest::newRow("#,###.## integer") << "#,###.##" << 100.0 << "100";
    QTest::newRow("#,###.## tiny rounds to blank") << "#,###.##" << 0.001 << "";
    QTest::newRow("#,###.## hundredths") << "#,###.##" << 0.05 << ",05";
    QTest::newRow("#,###.## 0.09") << "#,###.##" << 0.09 << ",09";
    QTest::newRow("#,###.## 0.01") << "#,###.##" << 0.01 << ",01";
    QTest::newRow("#,###.## 0.005 rounds up") << "#,###.##" << 0.005 << ",01";
    QTest::newRow("#,###.## negative hundredths") << "#,###.##" << -0.05 << "-,05";
    QTest::newRow("#,###.## 0.25") << "#,###.##" << 0.25 << ",25";
    QTest::newRow("#,###.## 0.999 rounds to one") << "#,###.##" << 0.999 << "1";
    QTest::newRow("#,###.## thousands and hundredths") << "#,###.##" << 1234.05 << "1.234,05";
    QTest::newRow("#.#0 hundredths") << "#.#0" << 0.05 << ",05";
    QTest::newRow("0.## hundredths") << "0.##" << 0.05 << "0,05";
    QTest::newRow("#,##0.00 hundredths") << "#,##0.00" << 0.05 << "0,05";
    QTest::newRow("#,###.#### ") << "#,###.####" << 1.23456 << "1,2346";
    QTest::newRow("#.## below one") << "#.##" << 0.129 << ",13";
    QTest::newRow("0.## integer") << "0.##" << 3.0 << "3";
    QTest::newRow("0.## fraction") << "0.##" << 3.1 << "3,1";
    QTest::newRow("0.## zero") << "0.##" << 0.0 << "0";
    // Totals and times
    QTest::newRow("#,##0.00 zero") << "#,##0.00" << 0.0 << "0,00";
    QTest::newRow("#,##0.00 below one") << "#,##0.00" << 0.5 << "0,50";
    QTest::newRow("#,##0.00 thousands") << "#,##0.00" << 1234.5 << "1.234,50";
    QTest::newRow("#,##0.0000") << "#,##0.0000" << 12345.6 << "12.345,6000";
    QTest::newRow("###,###,##0") << "###,###,##0" << 1234567.0 << "1.234.567";
    QTest::newRow("###,###,##0 zero") << "###,###,##0" << 0.0 << "0";
    QTest::newRow("#,##0 more digits than places") << "#,##0" << -1234567.5 << "-1.234.568";
    // Rounding: half away from zero on the value as written
    QTest::newRow("2.345") << "0.00" << 2.345 << "2,35";
    QTest::newRow("1.005") << "0.00" << 1.005 << "1,01";
    QTest::newRow("-2.345") << "0.00" << -2.345 << "-2,35";
    QTest::newRow("0.5 to 0 places") << "0" << 0.5 << "1";
    QTest::newRow("2.5 to 0 places") << "0" << 2.5 << "3";
    QTest::newRow("-0.5 to 0 places") << "0" << -0.5 << "-1";
    QTest::newRow("-0.005 to cents") << "#,##0.00" << -0.005 << "-0,01";
    QTest::newRow("carry into a new digit") << "0.00" << 9.999 << "10,00";
    QTest::newRow("carry into thousands") << "#,##0" << 999.5 << "1.000";
    // A negative value that rounds to zero is written as zero, without sign
    QTest::newRow("-0.4 to 0 places") << "0" << -0.4 << "0";
    QTest::newRow("-0.001 to cents") << "0.00" << -0.001 << "0,00";
    QTest::newRow("-0.001 takes the zero section") << "0.00;-0.00;''" << -0.001 << "";
    // Sections
    QTest::newRow("zero section '' empty") << "0.00;-0.00;''" << 0.0 << "";
    QTest::newRow("positive section") << "0.00;-0.00;''" << 3.5 << "3,50";
    QTest::newRow("negative section") << "0.00;-0.00;''" << -3.5 << "-3,50";
    QTest::newRow("negative section brackets") << "0.00;(0.00)" << -3.5 << "(3,50)";
    QTest::newRow("empty negative section adds minus") << "0.00;;'cero'" << -2.0 << "-2,00";
    QTest::newRow("zero section literal") << "0.00;;'cero'" << 0.0 << "cero";
    QTest::newRow("empty zero section uses first") << "0.00;-0.00;" << 0.0 << "0,00";
    QTest::newRow("#;-#;# zero") << "#;-#;#" << 0.0 << "";
    QTest::newRow("#;-#;# positive") << "#;-#;#" << 3.6 << "4";
    QTest::newRow("#;-#;# negative") << "#;-#;#" << -3.0 << "-3";
    QTest::newRow("quoted ; is not a section") << "0' ;'" << 1.0 << "1 ;";
    // Fixed widths and SQL values
    QTest::newRow("0.000000 (ValorSQL)") << "0.000000" << 12.5 << "12,500000";
    QTest::newRow("0.00 (amount in words)") << "0.00" << 0.25 << "0,25";
    QTest::newRow("000000000") << "000000000" << 123.0 << "000000123";
    QTest::newRow("0000 year") << "0000" << 2024.0 << "2024";
    QTest::newRow("00") << "00" << 7.0 << "07";
    QTest::newRow("000") << "000" << 12345.0 << "12345";
    QTest::newRow("0.0 rounds up") << "0.0" << 0.05 << "0,1";
    QTest::newRow("0.0 rounds down") << "0.0" << 0.04 << "0,0";
    // "#.###,##" is read as the runtime reads it: "." decimal point, "," thousands
    QTest::newRow("#.###,## rate") << "#.###,##" << 12.5 << "12,5";
    QTest::newRow("#.###,## thousands") << "#.###,##" << 1234.5678 << "1.234,5678";
    QTest::newRow("#.###,## zero") << "#.###,##" << 0.0 << "";
    // Literals and exponents
    QTest::newRow("quoted literal") << "'Total: '#,##0.00" << 5.0 << "Total: 5,00";
    QTest::newRow("double-quoted literal") << "\"x\"0" << 1.0 << "x1";
    QTest::newRow("plain characters copied") << "€ #,##0.00" << 1.0 << "€ 1,00";
    QTest::newRow("minus goes first") << "€ 0" << -1.0 << "-€ 1";
    QTest::newRow("E+00") << "0.0E+00" << 12345.0 << "1,2E+04";
    QTest::newRow("E- positive") << "0.00E-0" << 12345.0 << "1,23E4";
    QTest::newRow("E- negative exponent") << "0.00E-0" << 0.000123 << "1,23E-4";
    QTest::newRow("E+ zero") << "0E+0" << 0.0 << "0E+0";
    QTest::newRow("E rounds mantissa") << "0.0E+0" << 9.96 << "1,0E+1";
    // Optional decimals and odd masks
    QTest::newRow("0.0# one decimal") << "0.0#" << 1.5 << "1,5";
    QTest::newRow("0.0# rounds to two") << "0.0#" << 1.555 << "1,56";
    QTest::newRow("00.00 leading zero") << "00.00" << 1.5 << "01,50";
    QTest::newRow("negative section with thousands")
        << "#,##0.00;(#,##0.00)" << -1234.5 << "(1.234,50)";
    QTest::newRow("no digit places") << "'abc'" << 5.0 << "abc";
    QTest::newRow("too large for a mask") << "0" << 1e20 << "1E20";
    // Empty mask
    QTest::newRow("empty mask") << "" << 12.5 << "12,5";
    QTest::newRow("empty mask zero") << "" << 0.0 << "0";
}

void TestSysUtils::formatFloat() {
    QFETCH(QString, mask);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(FormatFloat(mask, value), expected);
}

void TestSysUtils::localeDoesNotMatter() {
    // A Spanish or German C locale must not change anything either.
    const char* set = std::setlocale(LC_ALL, "es_ES.UTF-8");
    if (!set) set = std::setlocale(LC_ALL, "de_DE.UTF-8");
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(StrToFloat("12.500000"), 12.5);
    QCOMPARE(StrToFloat("1.234,5"), 1234.5);
    QCOMPARE(FloatToStr(1234.5), QString("1234,5"));
    QCOMPARE(FormatFloat("#,##0.00", 1234.5), QString("1.234,50"));
    QCOMPARE(FormatDateTime("dddd d mmmm", dt(2024, 1, 1)), QString("lunes 1 enero"));
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
}

// --------------------------------------------------------------------------- dates

void TestSysUtils::strToDate_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("dd/mm/yyyy") << "15/03/2024" << QDate(2024, 3, 15);
    QTest::newRow("d/m/yyyy") << "1/2/2024" << QDate(2024, 2, 1);
    QTest::newRow("dashes") << "15-03-2024" << QDate(2024, 3, 15);
    QTest::newRow("points") << "15.03.2024" << QDate(2024, 3, 15);
    QTest::newRow("blanks around") << " 15/03/2024 " << QDate(2024, 3, 15);
    QTest::newRow("two-digit 26") << "1/1/26" << QDate(2026, 1, 1);
    QTest::newRow("two-digit 49") << "1/1/49" << QDate(2049, 1, 1);
    QTest::newRow("two-digit 50") << "1/1/50" << QDate(1950, 1, 1);
    QTest::newRow("two-digit 99") << "1/1/99" << QDate(1999, 1, 1);
    QTest::newRow("two-digit 00") << "1/1/00" << QDate(2000, 1, 1);
    QTest::newRow("four-digit year kept") << "1/1/0050" << QDate(50, 1, 1);
    QTest::newRow("zero date") << "30/12/1899" << QDate(1899, 12, 30);
    QTest::newRow("leap day") << "29/02/2024" << QDate(2024, 2, 29);
    QTest::newRow("the system's first date") << "1/1/1900" << QDate(1900, 1, 1);
    QTest::newRow("year first (ISO)") << "2024-03-15" << QDate(2024, 3, 15);
    QTest::newRow("no year") << "15/3" << QDate(QDate::currentDate().year(), 3, 15);
}

void TestSysUtils::strToDate() {
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    QCOMPARE(StrToDate(text), expected);
    QDate d;
    QVERIFY(TryStrToDate(text, d));
    QCOMPARE(d, expected);
}

void TestSysUtils::strToDateBad_data() {
    QTest::addColumn<QString>("text");

    QTest::newRow("31 February") << "31/02/2024";
    QTest::newRow("29 February, not leap") << "29/02/2023";
    QTest::newRow("29 February 1900") << "29/02/1900";
    QTest::newRow("month 13") << "1/13/2024";
    QTest::newRow("day 0") << "0/1/2024";
    QTest::newRow("year 0") << "1/1/0000";
    QTest::newRow("empty") << "";
    QTest::newRow("one number") << "15";
    QTest::newRow("letters") << "hoy";
    QTest::newRow("mixed separators") << "1/2-2024";
    QTest::newRow("trailing text") << "1/2/2024x";
    QTest::newRow("with a time") << "1/2/2024 10:00";
    QTest::newRow("trailing separator") << "1/2/";
}

void TestSysUtils::strToDateBad() {
    QFETCH(QString, text);
    QDate d(2000, 1, 1);
    QVERIFY(!TryStrToDate(text, d));
    QCOMPARE(d, QDate(2000, 1, 1));
    QCOMPARE(convertError([&] { StrToDate(text); }), "'" + text + "' is not a valid date");
}

void TestSysUtils::strToTime_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("expected");  // invalid: refused

    QTest::newRow("hh:nn:ss") << "10:30:15" << QTime(10, 30, 15);
    QTest::newRow("h:nn") << "9:05" << QTime(9, 5);
    QTest::newRow("milliseconds comma") << "10:30:15,250" << QTime(10, 30, 15, 250);
    QTest::newRow("milliseconds point") << "10:30:15.5" << QTime(10, 30, 15, 500);
    QTest::newRow("midnight") << "00:00:00" << QTime(0, 0);
    QTest::newRow("pm") << "3:15 PM" << QTime(15, 15);
    QTest::newRow("12 am") << "12:00 am" << QTime(0, 0);
    QTest::newRow("hour 24") << "24:00" << QTime();
    QTest::newRow("minute 60") << "10:60" << QTime();
    QTest::newRow("second 60") << "10:00:60" << QTime();
    QTest::newRow("hour alone") << "10" << QTime();
    QTest::newRow("empty") << "" << QTime();
    QTest::newRow("13 pm") << "13:00 pm" << QTime();
}

void TestSysUtils::strToTime() {
    QFETCH(QString, text);
    QFETCH(QTime, expected);
    QTime t;
    QCOMPARE(TryStrToTime(text, t), expected.isValid());
    if (expected.isValid()) {
        QCOMPARE(t, expected);
        QCOMPARE(StrToTime(text), expected);
    } else {
        QCOMPARE(convertError([&] { StrToTime(text); }), "'" + text + "' is not a valid time");
    }
}

void TestSysUtils::strToDateTime_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected");  // invalid: refused

    QTest::newRow("date only") << "15/03/2024" << dt(2024, 3, 15);
    QTest::newRow("date and time") << "15/03/2024 10:30:15" << dt(2024, 3, 15, 10, 30, 15);
    QTest::newRow("date and short time") << "1/1/26 8:05" << dt(2026, 1, 1, 8, 5);
    QTest::newRow("zero date literal") << "30/12/1899 00:00:00" << dt(1899, 12, 30);
    QTest::newRow("time alone is on the zero date") << "10:30" << dt(1899, 12, 30, 10, 30);
    QTest::newRow("bad time") << "15/03/2024 25:00" << QDateTime();
    QTest::newRow("bad date") << "31/04/2024 10:00" << QDateTime();
    QTest::newRow("trailing text") << "15/03/2024 10:00 x" << QDateTime();
    QTest::newRow("empty") << "" << QDateTime();
}

void TestSysUtils::strToDateTime() {
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    QDateTime v;
    QCOMPARE(TryStrToDateTime(text, v), expected.isValid());
    if (expected.isValid()) {
        QCOMPARE(v, expected);
        QCOMPARE(StrToDateTime(text), expected);
    } else {
        QCOMPARE(convertError([&] { StrToDateTime(text); }),
                 "'" + text + "' is not a valid date and time");
    }
}

void TestSysUtils::dateToStr() {
    QCOMPARE(DateToStr(QDate(2024, 3, 5)), QString("05/03/2024"));
    QCOMPARE(DateToStr(QDate(26, 1, 1)), QString("01/01/0026"));
    QCOMPARE(DateToStr(QDate()), QString());
    QCOMPARE(TimeToStr(QTime(9, 5, 7)), QString("09:05:07"));
    QCOMPARE(DateTimeToStr(dt(2024, 3, 5)), QString("05/03/2024"));
    QCOMPARE(DateTimeToStr(dt(2024, 3, 5, 0, 0, 1)), QString("05/03/2024 00:00:01"));
    QCOMPARE(DateTimeToStr(dt(2024, 3, 5, 17, 45)), QString("05/03/2024 17:45:00"));
    QCOMPARE(DateTimeToStr(ZeroDateTime()), QString("30/12/1899"));
    // Round trips
    QCOMPARE(StrToDate(DateToStr(QDate(1950, 6, 30))), QDate(1950, 6, 30));
    QCOMPARE(StrToDateTime(DateTimeToStr(dt(2049, 12, 31, 23, 59, 59))),
             dt(2049, 12, 31, 23, 59, 59));
}

void TestSysUtils::zeroDate() {
    QCOMPARE(ZeroDate(), QDate(1899, 12, 30));
    QCOMPARE(ZeroDateTime(), dt(1899, 12, 30));
    QVERIFY(IsZeroDate(QDate(1899, 12, 30)));
    QVERIFY(!IsZeroDate(QDate(1899, 12, 31)));
    QVERIFY(!IsZeroDate(QDate()));
    QVERIFY(IsZeroDate(dt(1899, 12, 30)));
    QVERIFY(!IsZeroDate(dt(1899, 12, 30, 10)));  // a time on the zero date is a time, not "no date"
    QVERIFY(!IsZeroDate(QDateTime()));
    QCOMPARE(DateTimeToDouble(ZeroDateTime()), 0.0);
    QCOMPARE(DoubleToDateTime(0), ZeroDateTime());
}

void TestSysUtils::dayNumbers_data() {
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<double>("number");

    QTest::newRow("1/1/1900") << dt(1900, 1, 1) << 2.0;
    QTest::newRow("noon") << dt(1899, 12, 30, 12) << 0.5;
    QTest::newRow("2024 with time") << dt(2024, 3, 15, 6) << 45366.25;
    QTest::newRow("day before zero") << dt(1899, 12, 29) << -1.0;
    // Before the zero date the time still runs forward: -1.25 is 29/12/1899 06:00
    QTest::newRow("day before zero, 6 h") << dt(1899, 12, 29, 6) << -1.25;
    QTest::newRow("1/1/1800") << dt(1800, 1, 1, 18) << -36522.75;
    QTest::newRow("31/12/9999") << dt(9999, 12, 31) << 2958465.0;
}

void TestSysUtils::dayNumbers() {
    QFETCH(QDateTime, value);
    QFETCH(double, number);
    QCOMPARE(DateTimeToDouble(value), number);
    QCOMPARE(DoubleToDateTime(number), value);
}

void TestSysUtils::dayNumberEdges() {
    // Milliseconds round; a fraction that rounds to a whole day moves to the next day.
    QCOMPARE(DoubleToDateTime(0.99999999999), dt(1899, 12, 31));
    QCOMPARE(DoubleToDateTime(-0.99999999999), dt(1899, 12, 29));
    QCOMPARE(DoubleToDateTime(1.0 / 86400000.0 * 1.4), dt(1899, 12, 30, 0, 0, 0, 0).addMSecs(1));
    // -0,5 is noon of the zero date, as 0,5.
    QCOMPARE(DoubleToDateTime(-0.5), dt(1899, 12, 30, 12));
    QCOMPARE(DoubleToDateTime(2958465.999999999), dt(9999, 12, 31, 23, 59, 59, 999));
    QVERIFY(!DoubleToDateTime(2958466.0).isValid());
    QVERIFY(!DoubleToDateTime(1e300).isValid());
    QVERIFY(!DoubleToDateTime(-1e300).isValid());
    QVERIFY(!DoubleToDateTime(std::nan("")).isValid());
    QCOMPARE(DoubleToDateTime(-693593.0), dt(1, 1, 1));
    QCOMPARE(DateTimeToDouble(QDateTime()), 0.0);
}

void TestSysUtils::formatDateTime_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<QString>("expected");

    const QDateTime mon = dt(2024, 1, 1, 9, 5, 7, 45);  // Monday
    QTest::newRow("dd/mm/yyyy") << "dd/mm/yyyy" << mon << "01/01/2024";
    QTest::newRow("d/m/yy") << "d/m/yy" << mon << "1/1/24";
    QTest::newRow("hh:nn:ss") << "hh:nn:ss" << mon << "09:05:07";
    QTest::newRow("h:n:s") << "h:n:s" << mon << "9:5:7";
    QTest::newRow("z and zzz") << "s.z s.zzz" << mon << "7.45 7.045";
    QTest::newRow("day names") << "ddd dddd" << mon << "lun lunes";
    QTest::newRow("Wednesday accents") << "ddd dddd" << dt(2024, 1, 3) << "mié miércoles";
    QTest::newRow("Saturday accents") << "ddd dddd" << dt(2024, 1, 6) << "sáb sábado";
    QTest::newRow("Sunday") << "dddd" << dt(2024, 1, 7) << "domingo";
    QTest::newRow("month names") << "mmm mmmm" << dt(2024, 9, 1) << "sep septiembre";
    QTest::newRow("December") << "mmm mmmm" << dt(2024, 12, 1) << "dic diciembre";
    QTest::newRow("upper-case tokens") << "DD/MM/YYYY HH:NN" << mon << "01/01/2024 09:05";
    QTest::newRow("m after h is minutes") << "hh:mm" << mon << "09:05";
    QTest::newRow("mmmm after h is minutes") << "h:mmmm" << mon << "9:05";
    QTest::newRow("m after h and date is month") << "hh:mm d/m" << mon << "09:05 1/1";
    QTest::newRow("quoted literals") << "d 'de' mmmm \"de\" yyyy" << mon << "1 de enero de 2024";
    QTest::newRow("ddddd short date") << "ddddd" << mon << "01/01/2024";
    QTest::newRow("dddddd long date") << "dddddd" << mon << "lunes, 1 de enero de 2024";
    QTest::newRow("c with time") << "c" << mon << "01/01/2024 09:05:07";
    QTest::newRow("c midnight") << "c" << dt(2024, 1, 1) << "01/01/2024";
    QTest::newRow("empty is c") << "" << dt(2024, 1, 1) << "01/01/2024";
    QTest::newRow("t and tt") << "t|tt" << mon << "09:05|09:05:07";
    QTest::newRow("am/pm") << "h:nn am/pm" << dt(2024, 1, 1, 15, 30) << "3:30 pm";
    QTest::newRow("AM/PM midnight") << "hh AM/PM" << dt(2024, 1, 1, 0, 30) << "12 AM";
    QTest::newRow("a/p") << "h a/p" << dt(2024, 1, 1, 13) << "1 p";
    QTest::newRow("zero date") << "dd/mm/yyyy" << ZeroDateTime() << "30/12/1899";
    QTest::newRow("other characters copied") << "yyyymmdd-hhnn" << mon << "20240101-0905";
    QTest::newRow("invalid value") << "dd/mm/yyyy" << QDateTime() << "";
}

void TestSysUtils::formatDateTime() {
    QFETCH(QString, format);
    QFETCH(QDateTime, value);
    QFETCH(QString, expected);
    QCOMPARE(FormatDateTime(format, value), expected);
}

void TestSysUtils::boolToStr() {
    QCOMPARE(BoolToStr(true), QString("True"));
    QCOMPARE(BoolToStr(false), QString("False"));
}

// The zone a user set stays his: the program names the system's zone file
// only when TZ is unset. A child run of this program reports the TZ it sees
// and the offset of a summer noon.
void TestSysUtils::userTimeZoneKept_data() {
    QTest::addColumn<bool>("unset");
    QTest::addColumn<QString>("tz");
    QTest::addColumn<QString>("seen");
    QTest::addColumn<int>("offset");
    const int local = QDateTime(QDate(2026, 7, 1), QTime(12, 0)).offsetFromUtc();
    if (QFileInfo::exists(QStringLiteral("/etc/localtime")))
        QTest::newRow("unset") << true << ""
                               << ":/etc/localtime" << local;
    QTest::newRow("posix zone") << false << "EST5EDT"
                                << "EST5EDT" << -4 * 3600;
    QTest::newRow("utc") << false << "UTC0"
                         << "UTC0" << 0;
    QTest::newRow("empty") << false << ""
                           << "" << 0;
}

void TestSysUtils::userTimeZoneKept() {
    QFETCH(bool, unset);
    QFETCH(QString, tz);
    QFETCH(QString, seen);
    QFETCH(int, offset);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("TZ"));
    if (!unset) env.insert(QStringLiteral("TZ"), tz);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--zona")});
    QVERIFY(child.waitForFinished(30000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    QCOMPARE(out, seen + QLatin1Char('|') + QString::number(offset));
}

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], "--zona") == 0) {
        const char* tz = std::getenv("TZ");
        std::printf("%s|%d\n", tz ? tz : "(unset)",
                    QDateTime(QDate(2026, 7, 1), QTime(12, 0)).offsetFromUtc());
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestSysUtils tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_sysutils.moc"
