// Report expressions: operators and their order, texts, comparisons, NULLs,
// running totals, bad input, and how values print.

#include <QtTest>

#include "db/sysutils.h"
#include "report/controls.h"
#include "report/expr.h"
#include "reporttest.h"

namespace {

// Names bound to the values of a map (case as written).
struct Names {
    QHash<QString, QVariant> values;
    TQRNameResolver resolver() {
        return [this](const QString& name) -> TQRValueGetter {
            if (!values.contains(name)) return {};
            return [this, name] { return values.value(name); };
        };
    }
};

QVariant evaluate(const QString& expression, Names& names) {
    TQREvaluator e;
    e.Prepare(expression, names.resolver());
    return e.Value();
}

}  // namespace

class TestExpr : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void values_data();
    void values();
    void badExpressions_data();
    void badExpressions();
    void runningTotals();
    void groupKeys();
    void printedValues_data();
    void printedValues();
    void namesOfTheReportData();
};

void TestExpr::values_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("precedence") << "1 + 2 * 3" << QVariant(7.0);
    QTest::newRow("brackets") << "(1 + 2) * 3" << QVariant(9.0);
    QTest::newRow("left to right") << "10 - 4 - 3" << QVariant(3.0);
    QTest::newRow("division") << "10 / 4" << QVariant(2.5);
    QTest::newRow("division by zero") << "7 / (2 - 2)" << QVariant(0.0);
    QTest::newRow("unary minus") << "-3 + 1" << QVariant(-2.0);
    QTest::newRow("decimal point") << "0.5 * 3" << QVariant(1.5);
    QTest::newRow("texts joined") << "'ab' + \"cd\"" << QVariant(QStringLiteral("abcd"));
    QTest::newRow("quote doubled") << "'It''s'" << QVariant(QStringLiteral("It's"));
    QTest::newRow("text and number") << "'N.' + Codigo" << QVariant(QStringLiteral("N.7"));
    QTest::newRow("greater") << "2 > 1" << QVariant(true);
    QTest::newRow("texts by code") << "'b' < 'a'" << QVariant(false);
    QTest::newRow("case counts") << "'A' <> 'a'" << QVariant(true);
    QTest::newRow("integer field equals number") << "Codigo = 7.0" << QVariant(true);
    QTest::newRow("not") << "NOT (1 = 2)" << QVariant(true);
    QTest::newRow("and before or") << "1 = 2 AND 1 = 1 OR 2 = 2" << QVariant(true);
    QTest::newRow("and") << "true and FALSE" << QVariant(false);
    QTest::newRow("dates compare") << "Fecha < Hoy" << QVariant(true);
    QTest::newRow("str of integer") << "Str(Codigo)" << QVariant(QStringLiteral("7"));
    QTest::newRow("str of decimal") << "STR(2.5)" << QVariant(QStringLiteral("2,5"));
    QTest::newRow("str joined") << "Str(Codigo) + Str(Codigo)" << QVariant(QStringLiteral("77"));
    QTest::newRow("qualified name") << "Temporal.Nombre" << QVariant(QStringLiteral("Ana"));
    QTest::newRow("NULL adds nothing") << "Vacio + 1" << QVariant(1.0);
    QTest::newRow("NULL joins nothing") << "Vacio + 'x'" << QVariant(QStringLiteral("x"));
    QTest::newRow("NULL sorts first") << "Vacio < 0" << QVariant(true);
    QTest::newRow("empty expression") << "  " << QVariant();
    QTest::newRow("name with blanks") << "SUM(Total Horas) + Total Horas * 2" << QVariant(6.0);
    QTest::newRow("longest name") << "Total Horas Extra" << QVariant(5);
    QTest::newRow("name with blanks, then and") << "Total Horas AND Codigo = 7" << QVariant(true);
    QTest::newRow("quoted text stays text")
        << "'Total Horas'" << QVariant(QStringLiteral("Total Horas"));
}

void TestExpr::values() {
    QFETCH(QString, expression);
    QFETCH(QVariant, expected);
    Names names;
    names.values = {{"Codigo", 7},
                    {"Total Horas", 3},
                    {"Total Horas Extra", 5},
                    {"Temporal.Nombre", QStringLiteral("Ana")},
                    {"Vacio", QVariant()},
                    {"Fecha", QDate(2024, 1, 1)},
                    {"Hoy", QDateTime(QDate(2024, 1, 1), QTime(8, 0))}};
    const QVariant value = evaluate(expression, names);
    QCOMPARE(value, expected);
}

void TestExpr::badExpressions_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("why");
    QTest::newRow("missing operand") << "1 +"
                                     << "falta un operando";
    QTest::newRow("open bracket") << "(1 + 2"
                                  << "falta «)»";
    QTest::newRow("unknown name") << "Codigo + Foo"
                                  << "no existe el campo «Foo»";
    QTest::newRow("unknown words") << "Codigo Foo"
                                   << "sobra «Foo»";
    QTest::newRow("unknown function") << "Upper(Nombre)"
                                      << "no existe la función «Upper»";
    QTest::newRow("total of a total") << "SUM(SUM(Codigo))"
                                      << "un total dentro de otro total";
    QTest::newRow("stray character") << "1 $ 2"
                                     << "carácter inesperado «$»";
    QTest::newRow("open text") << "'abc"
                               << "falta cerrar un texto";
    QTest::newRow("two values") << "1 2"
                                << "sobra «2»";
    QTest::newRow("sum without argument") << "SUM()"
                                          << "falta el argumento de «SUM»";
}

void TestExpr::badExpressions() {
    QFETCH(QString, expression);
    QFETCH(QString, why);
    Names names;
    names.values = {{"Codigo", 1}, {"Nombre", QStringLiteral("x")}};
    TQREvaluator e;
    try {
        e.Prepare(expression, names.resolver());
        QFAIL("accepted");
    } catch (const EReportError& error) {
        QCOMPARE(
            error.Message(),
            QStringLiteral("La expresión «%1» del informe no es válida: %2").arg(expression, why));
    }
    QVERIFY(!e.Prepared());
    QCOMPARE(e.Value(), QVariant());
}

void TestExpr::runningTotals() {
    Names names;
    TQREvaluator sum, count, countField, min, max, avg, mixed, names_;
    const struct {
        TQREvaluator* e;
        const char* text;
    } all[] = {{&sum, "SUM(Importe)"},
               {&count, "COUNT"},
               {&countField, "Count(Importe)"},
               {&min, "MIN(Importe)"},
               {&max, "MAX(Importe)"},
               {&avg, "AVERAGE(Importe)"},
               {&mixed, "SUM(Importe) * 2 + COUNT"},
               {&names_, "MAX(Nombre)"}};
    names.values = {{"Importe", QVariant()}, {"Nombre", QString()}};
    for (const auto& a : all) {
        a.e->Prepare(QLatin1String(a.text), names.resolver());
        QVERIFY(a.e->IsAggregate());
    }
    // Before any record: nothing summed, nothing divided by zero.
    QCOMPARE(sum.Value(), QVariant(0.0));
    QCOMPARE(avg.Value(), QVariant(0.0));
    QCOMPARE(min.Value(), QVariant());
    const QList<QVariant> amounts = {2.0, QVariant(), 5.5, 1};
    const QStringList texts = {"pera", "", "uva", "higo"};
    for (int i = 0; i < amounts.size(); ++i) {
        names.values[QStringLiteral("Importe")] = amounts[i];
        names.values[QStringLiteral("Nombre")] = texts[i];
        for (const auto& a : all) a.e->UpdateAggregates();
    }
    QCOMPARE(sum.Value(), QVariant(8.5));
    QCOMPARE(count.Value(), QVariant(qint64(4)));       // records
    QCOMPARE(countField.Value(), QVariant(qint64(3)));  // values
    QCOMPARE(min.Value(), QVariant(1));
    QCOMPARE(max.Value(), QVariant(5.5));
    QCOMPARE(avg.Value().toDouble(), 8.5 / 3);
    QCOMPARE(mixed.Value(), QVariant(21.0));
    QCOMPARE(names_.Value(), QVariant(QStringLiteral("uva")));
    sum.ResetAggregates();
    QCOMPARE(sum.Value(), QVariant(0.0));
    sum.UpdateAggregates();
    QCOMPARE(sum.Value(), QVariant(1.0));
    TQREvaluator plain;
    plain.Prepare(QStringLiteral("Importe"), names.resolver());
    QVERIFY(!plain.IsAggregate());
}

void TestExpr::groupKeys() {
    Names names;
    names.values = {{"A", 1}, {"B", 12}};
    TQREvaluator joined, single;
    joined.Prepare(QStringLiteral("Str(A) + Str(B)"), names.resolver());
    single.Prepare(QStringLiteral("(A + B)"), names.resolver());
    QCOMPARE(joined.GroupKey(), QVariantList({QStringLiteral("1"), QStringLiteral("12")}));
    QCOMPARE(joined.Value(), QVariant(QStringLiteral("112")));
    QCOMPARE(single.GroupKey(), QVariantList({1, 12}));

    // Group expressions list field names, quoted when they hold blanks.
    names.values.insert(QStringLiteral("Total Horas"), 8);
    TQREvaluator quoted;
    quoted.Prepare(QStringLiteral("'Total Horas'+A"), names.resolver(),
                   TQREvaluator::QuotedFieldNames);
    QCOMPARE(quoted.GroupKey(), QVariantList({8, 1}));
    names.values[QStringLiteral("Total Horas")] = 9;
    QCOMPARE(quoted.GroupKey(), QVariantList({9, 1}));
}

void TestExpr::printedValues_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");
    QTest::newRow("NULL") << QVariant() << "#,##0.00"
                          << "";
    QTest::newRow("decimal") << QVariant(1234.5) << ""
                             << "1234,5";
    QTest::newRow("whole") << QVariant(3.0) << ""
                           << "3";
    QTest::newRow("mask") << QVariant(1234.5) << "#,##0.00"
                          << "1.234,50";
    QTest::newRow("count") << QVariant(qint64(12)) << "000"
                           << "012";
    QTest::newRow("text ignores mask") << QVariant(QStringLiteral("abc")) << "000"
                                       << "abc";
    QTest::newRow("date") << QVariant(QDate(2024, 2, 9)) << ""
                          << "09/02/2024";
    QTest::newRow("date-time at midnight")
        << QVariant(QDateTime(QDate(2024, 2, 9), QTime(0, 0))) << ""
        << "09/02/2024";
    QTest::newRow("date-time") << QVariant(QDateTime(QDate(2024, 2, 9), QTime(8, 5, 3))) << ""
                               << "09/02/2024 08:05:03";
    QTest::newRow("date mask") << QVariant(QDate(2024, 2, 9)) << "mmmm yyyy"
                               << "febrero 2024";
    QTest::newRow("time") << QVariant(QTime(8, 30)) << ""
                          << "08:30:00";
    QTest::newRow("boolean") << QVariant(true) << ""
                             << "True";
}

void TestExpr::printedValues() {
    QFETCH(QVariant, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(TQREvaluator::FormatValue(value, mask), expected);
}

void TestExpr::namesOfTheReportData() {
    // A report binds names to its dataset's fields, plain or qualified.
    auto ds = MakePeople(2);
    QObject form;
    TQuickRep rep(&form);
    rep.setDataSet(ds.get());
    TQRBand band(&form, &rep);
    TQRExpr expr(&form, &band);
    expr.setExpression(QStringLiteral("temporal.NOMBRE + ': ' + Str(Importe * 2)"));
    ds->First();
    QCOMPARE(expr.Evaluate(), QVariant(QStringLiteral("Nombre 1: 3")));
    ds->Next();
    QCOMPARE(expr.Evaluate(), QVariant(QStringLiteral("Nombre 2: 6")));
    QVERIFY(bool(rep.ResolveName(QStringLiteral("Otra.Nombre"))));  // no such set: the report's
    QVERIFY(!rep.ResolveName(QStringLiteral("NoExiste")));
}

QTEST_MAIN(TestExpr)
#include "tst_expr.moc"
