// Dataset filter expressions over an in-memory table: every operator on every
// field type, NULL and '' semantics, the texts the system's dialogs build, and
// the typed errors of bad expressions.

#include <QtTest>

#include "db/dberror.h"
#include "db/filter.h"
#include "db/sysutils.h"

namespace {

struct Column {
    const char* name;
    TFieldType type;
};

const Column kColumns[] = {
    {"Codigo", ftInteger}, {"Nombre", ftString},   {"Importe", ftFloat}, {"Fecha", ftDateTime},
    {"Activo", ftBoolean}, {"Alta", ftDate},       {"Hora", ftTime},     {"Notas", ftMemo},
    {"Foto", ftGraphic},   {"Numero", ftSmallint},
};

const QVariant kNull;

QDateTime dt(int y, int m, int d, int h = 0, int n = 0, int s = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, n, s));
}

// Codigo  Nombre     Importe  Fecha                Activo Alta        Hora      Notas        Numero
// 1       GARCIA     12,5     15/03/2024 10:00     true   15/03/2024  08:30     x            10
// 2       García     1234,5   15/03/2024 00:00     false  01/01/2024  17:00     ''           20
// (int64) 3       NULL       NULL     NULL                 NULL   NULL        NULL      NULL NULL
// 4       ''         0        30/12/1899 (zero)    true   30/12/1899  00:00     O'Brien      "30"
// (text) 5       O'Brien    -3,25    31/12/1999 23:59:59  false  31/12/1999  23:59:59  say
// "hi"     40.0 (double) 6       GARCIAS    100      01/01/2050           true   01/01/2050  12:00
// Ñandú        -5
QList<QVariantList> rows() {
    return {
        {1, "GARCIA", 12.5, dt(2024, 3, 15, 10), true, QDate(2024, 3, 15), QTime(8, 30), "x", kNull,
         10},
        {2, QString::fromUtf8("García"), 1234.5, dt(2024, 3, 15), false, QDate(2024, 1, 1),
         QTime(17, 0), "", kNull, qlonglong(20)},
        {3, kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull},
        {4, "", 0.0, ZeroDateTime(), true, ZeroDate(), QTime(0, 0), "O'Brien", kNull, "30"},
        {5, "O'Brien", -3.25, dt(1999, 12, 31, 23, 59, 59), false, QDate(1999, 12, 31),
         QTime(23, 59, 59), "say \"hi\"", kNull, 40.0},
        {6, "GARCIAS", 100.0, dt(2050, 1, 1), true, QDate(2050, 1, 1), QTime(12, 0),
         QString::fromUtf8("Ñandú"), kNull, -5},
    };
}

int indexOf(const QString& name) {
    for (int i = 0; i < int(std::size(kColumns)); ++i)
        if (name.compare(QLatin1String(kColumns[i].name), Qt::CaseInsensitive) == 0) return i;
    return -1;
}

TFieldType typeOf(int i) {
    return kColumns[i].type;
}

FilterExpression bound(const QString& text) {
    FilterExpression f = FilterExpression::parse(text);
    f.bind(indexOf, typeOf);
    return f;
}

// Codes of the rows that pass, joined by ",".
QString matching(const QString& text) {
    const FilterExpression f = bound(text);
    QStringList codes;
    for (const QVariantList& row : rows())
        if (f.evaluate([&](int i) { return row.at(i); })) codes << row.at(0).toString();
    return codes.join(QLatin1Char(','));
}

}  // namespace

class TestFilter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void strings_data();
    void strings();
    void numbers_data();
    void numbers();
    void datesAndTimes_data();
    void datesAndTimes();
    void booleans_data();
    void booleans();
    void nullAndEmpty_data();
    void nullAndEmpty();
    void structure_data();
    void structure();
    void systemTexts_data();
    void systemTexts();
    void errors_data();
    void errors();
    void errorPosition();
    void codePointOrder();
    void emptyAndUnbound();
    void shortCircuit();
    void longFilters();
};

void TestFilter::strings_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("codes");

    QTest::newRow("=") << "(Nombre = 'GARCIA')"
                       << "1";
    QTest::newRow("<> (NULL passes)") << "(Nombre <> 'GARCIA')"
                                      << "2,3,4,5,6";
    QTest::newRow("<") << "(Nombre < 'GARCIA')"
                       << "4";
    QTest::newRow(">") << "(Nombre > 'GARCIA')"
                       << "2,5,6";
    QTest::newRow("<=") << "(Nombre <= 'GARCIA')"
                        << "1,4";
    QTest::newRow(">=") << "(Nombre >= 'GARCIA')"
                        << "1,2,5,6";
    QTest::newRow("case-sensitive") << "(Nombre = 'garcia')"
                                    << "";
    QTest::newRow("accents are not letters") << "(Nombre = 'Garcia')"
                                             << "";
    QTest::newRow("prefix *") << "(Nombre = 'GARCIA*')"
                              << "1,6";
    QTest::newRow("prefix * short") << "(Nombre = 'G*')"
                                    << "1,2,6";
    QTest::newRow("<> prefix *") << "(Nombre <> 'GARCIA*')"
                                 << "2,3,4,5";
    QTest::newRow("* alone") << "(Nombre = '*')"
                             << "1,2,4,5,6";
    QTest::newRow("* with > is a character") << "(Nombre > 'GARCIA*')"
                                             << "2,5,6";
    QTest::newRow("doubled single quote") << "(Nombre = 'O''Brien')"
                                          << "5";
    QTest::newRow("double-quoted literal") << "(Nombre = \"O'Brien\")"
                                           << "5";
    QTest::newRow("double quotes inside single") << "(Notas = 'say \"hi\"')"
                                                 << "5";
    QTest::newRow("doubled double quote") << "(Notas = \"say \"\"hi\"\"\")"
                                          << "5";
    QTest::newRow("memo field") << "(Notas = 'O''Brien')"
                                << "4";
    QTest::newRow("non-ASCII above z") << "(Notas > 'z')"
                                       << "6";
    QTest::newRow("bare number on a string field") << "(Notas = 'x') OR (Nombre = 5)"
                                                   << "1";
}

void TestFilter::strings() {
    QFETCH(QString, filter);
    QFETCH(QString, codes);
    QCOMPARE(matching(filter), codes);
}

void TestFilter::numbers_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("codes");

    // Integer field
    QTest::newRow("int = bare") << "(Codigo = 2)"
                                << "2";
    QTest::newRow("int <> quoted") << "(Codigo <> '3')"
                                   << "1,2,4,5,6";
    QTest::newRow("int <") << "(Codigo < 2)"
                           << "1";
    QTest::newRow("int >") << "(Codigo > '4')"
                           << "5,6";
    QTest::newRow("int <=") << "(Codigo <= '2')"
                            << "1,2";
    QTest::newRow("int >=") << "(Codigo >= 4)"
                            << "4,5,6";
    QTest::newRow("int blanks in literal") << "(Codigo = ' 2 ')"
                                           << "2";
    QTest::newRow("int with float-looking literal") << "(Codigo = '2.0')"
                                                    << "2";
    QTest::newRow("int with fraction matches none") << "(Codigo = '2,5')"
                                                    << "";
    QTest::newRow("int < fraction") << "(Codigo < '2,5')"
                                    << "1,2";
    QTest::newRow("int negative literal") << "(Codigo > -1)"
                                          << "1,2,3,4,5,6";
    // Small integers given as int64, text and double by the cursor
    QTest::newRow("smallint mixed values") << "(Numero >= 20)"
                                           << "2,4,5";
    QTest::newRow("smallint negative") << "(Numero < '0')"
                                       << "6";
    QTest::newRow("smallint = text value") << "(Numero = 30)"
                                           << "4";
    // Float field
    QTest::newRow("float comma") << "(Importe = '12,5')"
                                 << "1";
    QTest::newRow("float ValorSQL style") << "(Importe = '12.500000')"
                                          << "1";
    QTest::newRow("float bare") << "(Importe = 12.5)"
                                << "1";
    QTest::newRow("float bare comma") << "(Importe = 12,5)"
                                      << "1";
    QTest::newRow("float thousands") << "(Importe = '1.234,5')"
                                     << "2";
    QTest::newRow("float <>") << "(Importe <> '12,5')"
                              << "2,3,4,5,6";
    QTest::newRow("float <") << "(Importe < 0)"
                             << "5";
    QTest::newRow("float >") << "(Importe > '100')"
                             << "2";
    QTest::newRow("float <=") << "(Importe <= '0')"
                              << "4,5";
    QTest::newRow("float >=") << "(Importe >= 100)"
                              << "2,6";
    QTest::newRow("float negative") << "(Importe = -3.25)"
                                    << "5";
    QTest::newRow("float exponent") << "(Importe = '1,25E1')"
                                    << "1";
    QTest::newRow("float exponent equal") << "(Importe = '1,25E2')"
                                          << "";
    QTest::newRow("float integer literal") << "(Importe = '100')"
                                           << "6";
}

void TestFilter::numbers() {
    QFETCH(QString, filter);
    QFETCH(QString, codes);
    QCOMPARE(matching(filter), codes);
}

void TestFilter::datesAndTimes_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("codes");

    QTest::newRow("datetime = with time") << "(Fecha = '15/03/2024 10:00')"
                                          << "1";
    QTest::newRow("datetime = date is midnight") << "(Fecha = '15/03/2024')"
                                                 << "2";
    QTest::newRow("datetime <>") << "(Fecha <> '15/03/2024')"
                                 << "1,3,4,5,6";
    QTest::newRow("datetime >=") << "(Fecha >= '15/03/2024')"
                                 << "1,2,6";
    QTest::newRow("datetime >") << "(Fecha > '15/03/2024')"
                                << "1,6";
    QTest::newRow("datetime <") << "(Fecha < '1/1/2000')"
                                << "4,5";
    QTest::newRow("datetime <= two-digit year") << "(Fecha <= '31/12/99')"
                                                << "4";
    QTest::newRow("datetime > two-digit year") << "(Fecha > '31/12/99')"
                                               << "1,2,5,6";
    QTest::newRow("zero date is a value") << "(Fecha = '30/12/1899')"
                                          << "4";
    QTest::newRow("date field =") << "(Alta = '15/03/2024')"
                                  << "1";
    QTest::newRow("date field vs date-time literal") << "(Alta < '15/03/2024 10:00')"
                                                     << "1,2,4,5";
    QTest::newRow("date field >=") << "(Alta >= '1/1/2024')"
                                   << "1,2,6";
    QTest::newRow("year 50 is 1950") << "(Alta = '01/01/50')"
                                     << "";
    QTest::newRow("four-digit 2050") << "(Alta = '1/1/2050')"
                                     << "6";
    QTest::newRow("dashes") << "(Alta = '15-03-2024')"
                            << "1";
    QTest::newRow("time >") << "(Hora > '12:00')"
                            << "2,5";
    QTest::newRow("time =") << "(Hora = '08:30:00')"
                            << "1";
    QTest::newRow("time <=") << "(Hora <= '8:30')"
                             << "1,4";
    QTest::newRow("listing range in dd/mm/yyyy")
        << "((Alta >= '01/01/2000') AND (Alta <= '31/12/2049'))"
        << "1,2";
}

void TestFilter::datesAndTimes() {
    QFETCH(QString, filter);
    QFETCH(QString, codes);
    QCOMPARE(matching(filter), codes);
}

void TestFilter::booleans_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("codes");

    QTest::newRow("True") << "(Activo = 'True')"
                          << "1,4,6";
    QTest::newRow("SI") << "(Activo = 'SI')"
                        << "1,4,6";
    QTest::newRow("si lower") << "(Activo = 'si')"
                              << "1,4,6";
    QTest::newRow("1") << "(Activo = '1')"
                       << "1,4,6";
    QTest::newRow("bare 1") << "(Activo = 1)"
                            << "1,4,6";
    QTest::newRow("bare True") << "(Activo = True)"
                               << "1,4,6";
    QTest::newRow("False") << "(Activo = 'False')"
                           << "2,5";
    QTest::newRow("NO") << "(Activo = 'NO')"
                        << "2,5";
    QTest::newRow("0") << "(Activo = '0')"
                       << "2,5";
    QTest::newRow("<> False (NULL passes)") << "(Activo <> 'False')"
                                            << "1,3,4,6";
    QTest::newRow("> False") << "(Activo > 'False')"
                             << "1,4,6";
}

void TestFilter::booleans() {
    QFETCH(QString, filter);
    QFETCH(QString, codes);
    QCOMPARE(matching(filter), codes);
}

void TestFilter::nullAndEmpty_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("codes");

    QTest::newRow("string = '' matches NULL and ''") << "(Nombre = '')"
                                                     << "3,4";
    QTest::newRow("string <> ''") << "(Nombre <> '')"
                                  << "1,2,5,6";
    QTest::newRow("memo = ''") << "(Notas = '')"
                               << "2,3";
    QTest::newRow("string >= '' is everything") << "(Nombre >= '')"
                                                << "1,2,3,4,5,6";
    QTest::newRow("string < '' is nothing") << "(Nombre < '')"
                                            << "";
    QTest::newRow("float = ''") << "(Importe = '')"
                                << "3";
    QTest::newRow("float <> ''") << "(Importe <> '')"
                                 << "1,2,4,5,6";
    QTest::newRow("date = ''") << "(Fecha = '')"
                               << "3";
    QTest::newRow("NULL keyword =") << "(Nombre = NULL)"
                                    << "3";
    QTest::newRow("NULL keyword <>") << "(Importe <> null)"
                                     << "1,2,4,5,6";
    QTest::newRow("NULL row fails every comparison but <>")
        << "(Importe < 1e9) OR (Importe > -1e9) OR (Importe = 0)"
        << "1,2,4,5,6";
    QTest::newRow("NOT of a NULL comparison") << "NOT (Importe = '5')"
                                              << "1,2,3,4,5,6";
}

void TestFilter::nullAndEmpty() {
    QFETCH(QString, filter);
    QFETCH(QString, codes);
    QCOMPARE(matching(filter), codes);
}

void TestFilter::structure_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("codes");

    QTest::newRow("empty") << ""
                           << "1,2,3,4,5,6";
    QTest::newRow("blank lines") << "  \r\n\t"
                                 << "1,2,3,4,5,6";
    QTest::newRow("no parentheses") << "Codigo = 1"
                                    << "1";
    QTest::newRow("no blanks") << "(Codigo=5)OR(Codigo=1)"
                               << "1,5";
    QTest::newRow("AND binds tighter than OR") << "(Codigo = 1) OR (Codigo = 2) AND (Codigo = 3)"
                                               << "1";
    QTest::newRow("AND tighter, other side") << "(Codigo = 2) AND (Codigo = 3) OR (Codigo = 1)"
                                             << "1";
    QTest::newRow("parentheses first") << "((Codigo = 1) OR (Codigo = 2)) AND (Activo = 'True')"
                                       << "1";
    QTest::newRow("NOT") << "NOT (Codigo = 1)"
                         << "2,3,4,5,6";
    QTest::newRow("NOT binds to one condition") << "NOT (Codigo = 1) AND NOT (Codigo = 2)"
                                                << "3,4,5,6";
    QTest::newRow("NOT of a group") << "NOT ((Codigo = 1) OR (Codigo = 2))"
                                    << "3,4,5,6";
    QTest::newRow("NOT NOT") << "NOT NOT (Codigo = 1)"
                             << "1";
    QTest::newRow("NOT before OR") << "NOT (Codigo = 1) OR (Codigo = 1)"
                                   << "1,2,3,4,5,6";
    QTest::newRow("keywords and names in any case") << "not (CODIGO = 1) and (nombre = 'GARCIAS')"
                                                    << "6";
    QTest::newRow("bracketed field") << "([Nombre] = 'GARCIA')"
                                     << "1";
    QTest::newRow("value first") << "('GARCIA' = Nombre)"
                                 << "1";
    QTest::newRow("value first flips <") << "(5 < Codigo)"
                                         << "6";
    QTest::newRow("value first flips >=") << "('2' >= Codigo)"
                                          << "1,2";
    QTest::newRow("CR LF lines") << "(Codigo >= 2) AND\r\n(Codigo <= 3) OR\r\n(Codigo = 6)"
                                 << "2,3,6";
    QTest::newRow("trailing AND at the end") << "(Importe > '0') AND"
                                             << "1,2,6";
    QTest::newRow("trailing AND and line break") << "(Importe > '0') AND\r\n"
                                                 << "1,2,6";
    QTest::newRow("trailing OR and blank lines") << "(Importe > '0') OR \r\n\r\n"
                                                 << "1,2,6";
    QTest::newRow("trailing AND inside parentheses") << "((Importe > '0') AND\r\n)"
                                                     << "1,2,6";
    QTest::newRow("tabs and runs of blanks") << "(Codigo\t=\t1)   OR\t\t(Codigo   =  2)"
                                             << "1,2";
    QTest::newRow("!= as <>") << "(Codigo != 1)"
                              << "2,3,4,5,6";
}

void TestFilter::structure() {
    QFETCH(QString, filter);
    QFETCH(QString, codes);
    QCOMPARE(matching(filter), codes);
}

void TestFilter::systemTexts_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("codes");

    // The filter dialog: one condition a line, every value quoted, " AND" ending a line.
    QTest::newRow("filter dialog lines")
        << "(Nombre = 'GARCIA*') AND\r\n(Importe >= '12,5') AND\r\n(Alta < '01/01/2050')"
        << "1";
    // The grid value filters: conditions joined by " AND " with Entrecomillar.
    QTest::newRow("value filters") << "(Nombre >= 'G') AND (Nombre <= 'GARCIAZ')"
                                   << "1,6";
    // The authorised-employee search: "(Codigo=" + code + ") OR " repeated.
    QTest::newRow("codes joined by OR") << "(Codigo=1) OR (Codigo=5) OR (Codigo=6)"
                                        << "1,5,6";
    // Analysis groups: "(CategoriaGrupo = " + "DEPARTAMENTO" in double quotes + ")".
    QTest::newRow("double-quoted group") << "(Nombre = \"GARCIAS\")"
                                         << "6";
    // The programmable listing: memo in parentheses AND the ranges, CR LF as blanks.
    QTest::newRow("listing condition")
        << "((Activo = 'True') AND  (Importe > '0')) AND ((Codigo >= '1') AND (Codigo <= '4'))"
        << "1";
}

void TestFilter::systemTexts() {
    QFETCH(QString, filter);
    QFETCH(QString, codes);
    QCOMPARE(matching(filter), codes);
}

void TestFilter::errors_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("detail");  // a part of the detail

    const int filterError = int(DbError::FilterError);
    const QString mismatch = "Type mismatch in expression";

    QTest::newRow("unknown field")
        << "(Desconocido = '1')" << int(DbError::FieldNotFound) << "Field 'Desconocido' not found"
        << "";
    QTest::newRow("unknown field in brackets")
        << "(Codigo = 1) OR ([Otro Campo] = 'x')" << int(DbError::FieldNotFound)
        << "Field 'Otro Campo' not found"
        << "";
    QTest::newRow("missing )") << "(Nombre = 'GARCIA'" << filterError << mismatch
                               << "'(' without ')'";
    QTest::newRow("extra )") << "(Nombre = 'GARCIA'))" << filterError << mismatch
                             << "')' without '('";
    QTest::newRow("nested missing )")
        << "((Codigo = 1) OR (Codigo = 2)" << filterError << mismatch << "'(' without ')'";
    QTest::newRow("empty parentheses") << "()" << filterError << mismatch << "empty parentheses";
    QTest::newRow("bad float") << "(Importe = 'abc')" << filterError << mismatch
                               << "'abc' is not a valid value for field Importe";
    QTest::newRow("bad float 12,,5")
        << "(Importe = '12,,5')" << filterError << mismatch << "'12,,5' is not a valid value";
    QTest::newRow("bad integer") << "(Codigo = '1x')" << filterError << mismatch
                                 << "'1x' is not a valid value for field Codigo";
    QTest::newRow("impossible date") << "(Fecha = '31/02/2024')" << filterError << mismatch
                                     << "'31/02/2024' is not a valid value for field Fecha";
    QTest::newRow("bad time") << "(Hora = '25:00')" << filterError << mismatch << "'25:00'";
    QTest::newRow("bad boolean") << "(Activo = 'quizas')" << filterError << mismatch
                                 << "'quizas' is not a valid value for field Activo";
    QTest::newRow("graphic field")
        << "(Foto = 'x')" << filterError << mismatch << "cannot be filtered";
    QTest::newRow("missing operator")
        << "(Nombre 'GARCIA')" << filterError << mismatch << "comparison operator";
    QTest::newRow("missing value")
        << "(Nombre = )" << filterError << mismatch << "a value expected";
    QTest::newRow("value missing at the end")
        << "Nombre =" << filterError << mismatch << "a value expected at the end";
    QTest::newRow("==") << "(Nombre == 'A')" << filterError << mismatch << "a value expected";
    QTest::newRow("unterminated literal")
        << "(Nombre = 'GARCIA) " << filterError << mismatch << "unterminated literal";
    QTest::newRow("undoubled quote (filter dialog)")
        << "(Nombre = 'O'Brien')" << filterError << mismatch << "";
    QTest::newRow("two conditions without AND")
        << "(Nombre = 'A') (Codigo = 1)" << filterError << mismatch << "AND or OR expected";
    QTest::newRow("leading AND") << "AND (Codigo = 1)" << filterError << mismatch
                                 << "AND where a field name was expected";
    QTest::newRow("AND AND") << "(Codigo = 1) AND AND (Codigo = 2)" << filterError << mismatch
                             << "AND where a field name was expected";
    QTest::newRow("dangling NOT") << "(Codigo = 1) AND NOT" << filterError << mismatch
                                  << "a field name expected at the end";
    QTest::newRow("XOR") << "(Codigo = 1) XOR (Codigo = 2)" << filterError << mismatch
                         << "AND or OR expected";
    QTest::newRow("two fields") << "(Nombre = Notas)" << filterError << mismatch
                                << "a value in quotes expected instead of 'Notas'";
    QTest::newRow("two values") << "('A' = 'B')" << filterError << mismatch
                                << "a field name expected";
    QTest::newRow("NULL with <") << "(Importe < NULL)" << filterError << mismatch << "NULL";
    QTest::newRow("stray character")
        << "(Codigo = 1) & (Codigo = 2)" << filterError << mismatch << "unexpected character '&'";
    QTest::newRow("missing ]") << "([Nombre = 'A')" << filterError << mismatch << "missing ']'";
    QTest::newRow("number glued to a word")
        << "(Codigo = 12abc)" << filterError << mismatch << "bad number";
    // Saved filters of any size end in an error, never in a stack overflow.
    const QString deep = QString("(").repeated(20000) + "Codigo = 1" + QString(")").repeated(20000);
    QTest::newRow("20000 nested parentheses")
        << deep << filterError << mismatch << "nested too deep";
    QTest::newRow("40000 NOT") << QString("NOT ").repeated(40000) + "(Codigo = 1)" << filterError
                               << mismatch << "nested too deep";
    QTest::newRow("deep nesting inside a long chain")
        << QString("(Codigo = 1) AND ").repeated(100) + deep << filterError << mismatch
        << "nested too deep";
}

void TestFilter::longFilters() {
    // Chains of many thousand conditions, and nesting as deep as allowed.
    QCOMPARE(matching(QString("(Codigo = 9) OR ").repeated(40000) + "(Codigo = 2)"), "2");
    QCOMPARE(matching(QString("(Codigo > 0) AND\r\n").repeated(40000) + "(Codigo < 3)"), "1,2");
    QCOMPARE(
        matching(QString("(Codigo = 9) OR (Codigo > 0) AND ").repeated(20000) + "(Codigo = 6)"),
        "6");
    QCOMPARE(matching(QString("(").repeated(255) + "Codigo = 4" + QString(")").repeated(255)), "4");
    QCOMPARE(matching(QString("NOT ").repeated(254) + "(Codigo = 4)"), "4");
}

void TestFilter::errors() {
    QFETCH(QString, filter);
    QFETCH(int, code);
    QFETCH(QString, message);
    QFETCH(QString, detail);
    try {
        const FilterExpression f = bound(filter);
        QFAIL("no error raised");
    } catch (const EDatabaseError& e) {
        QCOMPARE(int(e.code()), code);
        QCOMPARE(e.Message(), message);
        if (!detail.isEmpty() && !e.detail().contains(detail))
            QFAIL(qPrintable("detail was: " + e.detail()));
    }
}

void TestFilter::errorPosition() {
    try {
        FilterExpression::parse("(Codigo = 1) AND\r\n(Nombre 'X')");
        QFAIL("no error raised");
    } catch (const EDatabaseError& e) {
        QVERIFY2(e.detail().contains("line 2, column 9"), qPrintable(e.detail()));
    }
}

void TestFilter::codePointOrder() {
    // U+1F600 is above U+FB01 by code point though its UTF-16 units (D83D) are below.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString ligature = QString::fromUtf8("\xEF\xAC\x81");
    FilterExpression f = FilterExpression::parse("(Nombre > '" + ligature + "')");
    f.bind(indexOf, typeOf);
    auto pass = [&](const QString& v) { return f.evaluate([&](int) { return QVariant(v); }); };
    QVERIFY(pass(emoji));
    QVERIFY(!pass(QString::fromUtf8("Ñandú")));
    QVERIFY(!pass(ligature));
    QVERIFY(pass(ligature + "a"));
    QVERIFY(!pass("z"));
}

void TestFilter::emptyAndUnbound() {
    FilterExpression none;
    QVERIFY(none.isEmpty());
    QVERIFY(none.evaluate([](int) { return QVariant(); }));
    none.bind(indexOf, typeOf);  // nothing to bind

    FilterExpression blank = FilterExpression::parse(" \r\n ");
    QVERIFY(blank.isEmpty());

    FilterExpression f = FilterExpression::parse("(Codigo = 1)");
    QVERIFY(!f.isEmpty());
    try {
        f.evaluate([](int) { return QVariant(1); });
        QFAIL("evaluated before bind");
    } catch (const EDatabaseError& e) {
        QCOMPARE(e.code(), DbError::FilterError);
    }
    f.bind(indexOf, typeOf);
    FilterExpression moved = std::move(f);
    QVERIFY(moved.evaluate([](int) { return QVariant(1); }));
    QVERIFY(!moved.evaluate([](int) { return QVariant(2); }));
    // Binding again (fields re-opened) gives the same result.
    moved.bind(indexOf, typeOf);
    QVERIFY(moved.evaluate([](int) { return QVariant(1); }));
}

void TestFilter::shortCircuit() {
    FilterExpression f = bound("(Codigo = 1) OR (Nombre = 'x') AND (Importe = 5)");
    QList<int> asked;
    const QVariantList row = rows().at(0);
    QVERIFY(f.evaluate([&](int i) {
        asked << i;
        return row.at(i);
    }));
    QCOMPARE(asked, QList<int>{0});

    asked.clear();
    f = bound("(Codigo = 2) AND (Nombre = 'x')");
    QVERIFY(!f.evaluate([&](int i) {
        asked << i;
        return row.at(i);
    }));
    QCOMPARE(asked, QList<int>{0});
}

QTEST_GUILESS_MAIN(TestFilter)
#include "tst_filter.moc"
