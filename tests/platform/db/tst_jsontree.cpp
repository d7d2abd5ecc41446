// The reader of the parser's statement trees against Qt's JSON reader, which
// the statement checks used before it: every text read the same way (or
// refused by both), walked member by member, so that a check written for
// one gives the same answer on the other.

#include <pg_query.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <limits>

#include "db/jsontree.h"

namespace {

// A value written out as a walk sees it: kinds, texts (null or not),
// integers, booleans, members in their order.
template <typename Value, typename Object, typename Array>
QString dump(const Value& v) {
    if (v.isObject()) {
        const Object o = v.toObject();
        QString out = QStringLiteral("{");
        for (auto it = o.constBegin(); it != o.constEnd(); ++it)
            out += QString(it.key()) + QLatin1Char(':') + dump<Value, Object, Array>(it.value()) +
                   QLatin1Char(',');
        return out + QLatin1Char('}');
    }
    if (v.isArray()) {
        const Array a = v.toArray();
        QString out = QStringLiteral("[");
        for (qsizetype i = 0; i < a.size(); ++i)
            out += dump<Value, Object, Array>(Value(a.at(i))) + QLatin1Char(',');
        return out + QLatin1Char(']');
    }
    if (v.isString()) {
        const QString s = v.toString();
        return s.isNull() ? QStringLiteral("s:null") : QStringLiteral("s<") + s + QLatin1Char('>');
    }
    if (v.toBool(false) == v.toBool(true)) return QStringLiteral("b:%1").arg(v.toBool());
    constexpr int none = std::numeric_limits<int>::min() + 1;
    const int n = v.toInt(none);
    return n == none ? QStringLiteral("other") : QStringLiteral("n:%1").arg(n);
}

QString qtReading(const QByteArray& json, bool& read) {
    QJsonParseError error;
    const QJsonDocument d = QJsonDocument::fromJson(json, &error);
    read = error.error == QJsonParseError::NoError;
    if (!read) return QString();
    return dump<QJsonValue, QJsonObject, QJsonArray>(
        d.isObject() ? QJsonValue(d.object()) : QJsonValue(d.array()));
}

QString treeReading(const QByteArray& json, TreeDocument& d, bool& read) {
    read = d.parse(json);
    if (!read) return QString();
    return dump<TreeValue, TreeObject, TreeArray>(d.root());
}

QByteArray nested(int levels, bool objects) {
    QByteArray open, close;
    for (int i = 0; i < levels; ++i) {
        const bool object = objects && i % 2;
        open += object ? "{\"k\":" : "[";
        close.prepend(object ? "}" : "]");
    }
    return open + "1" + close;
}

// What the server's parser writes for `sql`.
QByteArray parserTree(const char* sql) {
    PgQueryParseResult r = pg_query_parse(sql);
    const QByteArray tree = r.error ? QByteArray() : QByteArray(r.parse_tree);
    pg_query_free_parse_result(r);
    return tree;
}

}  // namespace

class TestJsonTree : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readAsQtReads_data();
    void readAsQtReads();
    void missingAndOtherKinds();
};

void TestJsonTree::readAsQtReads_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("read");
    const struct {
        const char* tag;
        QByteArray json;
        bool read;
    } rows[] = {
        {"members out of order", R"({"b":1,"a":2,"B":3,"ab":4,"a_":5,"A":6})", true},
        {"a name given twice keeps its last value", R"({"x":1,"y":2,"x":{"z":3}})", true},
        {"empty text and containers", R"({"s":"","o":{},"a":[]})", true},
        {"escapes", R"(["\"\\\/\b\f\n\r\t","\u0041\u00e9\u20ac","\ud834\udd1e","a\u0000b"])",
         true},
        {"letters outside Latin-1 as they stand", "[\"ñ€𝄞\",{\"k\":\"ñ\"}]", true},
        {"a text holding the tree's own marks", R"({"relname":"x\",\"relname\":\"usuario"})",
         true},
        {"numbers", "[0,-1,2147483647,2147483648,-2147483648,1.5,1e3,-0,12345678901234567890]",
         true},
        {"literals and blanks", " [ true , false ,\tnull\n] ", true},
        {"1024 levels of arrays", nested(1024, false), true},
        {"1025 levels of arrays", nested(1025, false), false},
        {"1024 levels of objects and arrays", nested(1024, true), true},
        {"1025 levels of objects and arrays", nested(1025, true), false},
        {"a comma before the end", "[1,]", false},
        {"a member without its colon", R"({"a" 1})", false},
        {"a text that does not end", R"(["a)", false},
        {"a number with a leading zero", "[01]", false},
        {"something after the end", "{} x", false},
        {"nothing", "", false},
        {"the parser's tree of a hostile statement",
         parserTree("SELECT \"o\"\"t\\ra\", U&\"\\0001\", 'ñ€𝄞', E'\\t\\n' FROM "
                    "\"x\"\",\"\"relname\"\":\"\"usuario\".t WHERE a = 1.5 AND b = -2 AND c IS "
                    "NULL AND d = TRUE"),
         true},
        {"the parser's tree of a deep expression",
         parserTree(QByteArray("SELECT 1").append(QByteArray("+1").repeated(300)).constData()),
         true},
    };
    for (const auto& r : rows) QTest::newRow(r.tag) << r.json << r.read;
}

void TestJsonTree::readAsQtReads() {
    QFETCH(QByteArray, json);
    QFETCH(bool, read);
    bool qtRead = false, treeRead = false;
    const QString qt = qtReading(json, qtRead);
    TreeDocument d;
    const QString tree = treeReading(json, d, treeRead);
    QCOMPARE(treeRead, read);
    QCOMPARE(qtRead, read);
    QCOMPARE(tree, qt);
    if (!read) QVERIFY(d.root().isUndefined());
}

// Lookups by name, and what a walk gets for a member that is not there or
// is of another kind: nothing that could pass for a value.
void TestJsonTree::missingAndOtherKinds() {
    TreeDocument d;
    QVERIFY(d.parse(R"({"a":{"b":[{"c":"d"}]},"n":7,"s":"t"})"));
    const TreeObject root = d.root().toObject();
    QCOMPARE(root.value(QLatin1String("a"))
                 .toObject()
                 .value(QLatin1String("b"))
                 .toArray()
                 .at(0)
                 .toObject()
                 .value(QLatin1String("c"))
                 .toString(),
             QStringLiteral("d"));
    QVERIFY(root.value(QLatin1String("x")).isUndefined());
    QVERIFY(!root.contains(QLatin1String("x")));
    QVERIFY(root.value(QLatin1String("x")).toObject().isEmpty());
    QVERIFY(root.value(QLatin1String("x")).toString().isNull());
    QVERIFY(root.value(QLatin1String("n")).toString().isNull());
    QVERIFY(root.value(QLatin1String("s")).toArray().isEmpty());
    QCOMPARE(root.value(QLatin1String("s")).toInt(-1), -1);
    QCOMPARE(root.value(QLatin1String("n")).toInt(), 7);
    QVERIFY(root.value(QLatin1String("a")).toObject().value(QLatin1String("b")).toArray().at(5)
                .isUndefined());
    // A prefix of a name is not the name.
    QVERIFY(!root.contains(QLatin1String("")));
    QVERIFY(!d.parse("[1,"));
    QVERIFY(d.root().isUndefined());
}

QTEST_GUILESS_MAIN(TestJsonTree)
#include "tst_jsontree.moc"
