// TTable over every configured engine: definitions and DDL, index names,
// paging by keyset in both directions, ranges and key searches on keys of
// mixed types, descending and case-insensitive indexes, master-detail with a
// range, bookmarks, key violations and value round trips.

#include <QDate>
#include <QDateTime>
#include <QSet>
#include <QSqlQuery>
#include <QTest>
#include <memory>

#include "db/datasource.h"
#include "db/tablecursor.h"
#include "support/dbfixture.h"
#include "tabletestutil.h"

using namespace tabletest;

namespace {

void defineEmple(TTable& t) {
    t.setTableName(QStringLiteral("EMPLE"));
    t.FieldDefs().Clear();
    t.FieldDefs().Add(QStringLiteral("Codigo"), ftString, 10, true);
    t.FieldDefs().Add(QStringLiteral("Nombre"), ftString, 30);
    t.FieldDefs().Add(QStringLiteral("Importe"), ftFloat);
    t.IndexDefs().Clear();
    t.IndexDefs().Add(QStringLiteral("<Primary>"), QStringLiteral("Codigo"), ixPrimary | ixUnique);
    t.IndexDefs().Add(QStringLiteral("Nombre"), QStringLiteral("Nombre"), ixCaseInsensitive);
    t.IndexDefs().Add(QStringLiteral("Importe"), QStringLiteral("Importe;Codigo"), ixDescending,
                      QStringLiteral("Importe"));
}

// A column of every type, keyed by Id.
void defineValores(TTable& t) {
    t.setTableName(QStringLiteral("VALORES"));
    TFieldDefList& f = t.FieldDefs();
    f.Add(QStringLiteral("Id"), ftInteger, 0, true);
    f.Add(QStringLiteral("S"), ftString, 10);
    f.Add(QStringLiteral("D"), ftDate);
    f.Add(QStringLiteral("DT"), ftDateTime);
    f.Add(QStringLiteral("T"), ftTime);
    f.Add(QStringLiteral("B"), ftBoolean);
    f.Add(QStringLiteral("F"), ftFloat);
    f.Add(QStringLiteral("C"), ftCurrency);
    f.Add(QStringLiteral("M"), ftMemo);
    f.Add(QStringLiteral("G"), ftBlob);
    f.Add(QStringLiteral("I"), ftInteger);
    t.IndexDefs().Add(QString(), QStringLiteral("Id"), ixPrimary | ixUnique);
}

void appendEmple(TTable& t, const QString& codigo, const QVariant& nombre,
                 const QVariant& importe) {
    t.Append();
    t.FieldByName(QStringLiteral("Codigo"))->setValue(codigo);
    t.FieldByName(QStringLiteral("Nombre"))->setValue(nombre);
    t.FieldByName(QStringLiteral("Importe"))->setValue(importe);
    t.Post();
}

// A table with a composite key of three types: year, code, date.
void createK3(TDatabase* db) {
    TFieldDefs f;
    f << TFieldDef{QStringLiteral("Ano"), ftSmallint, 0, true}
      << TFieldDef{QStringLiteral("Codigo"), ftString, 5, true}
      << TFieldDef{QStringLiteral("Fecha"), ftDate, 0, true}
      << TFieldDef{QStringLiteral("Valor"), ftInteger, 0, false};
    db->CreateTable(QStringLiteral("K3"), f,
                    {QStringLiteral("Ano"), QStringLiteral("Codigo"), QStringLiteral("Fecha")},
                    QStringLiteral("K3_Clave1"));
    const QStringList cols{QStringLiteral("Ano"), QStringLiteral("Codigo"), QStringLiteral("Fecha"),
                           QStringLiteral("Valor")};
    const SqlDialect& d = db->dialect();
    auto row = [&](int ano, const char* cod, QDate fecha, int valor) {
        db->Execute(
            QStringLiteral("INSERT INTO K3 (Ano, Codigo, Fecha, Valor) VALUES (%1, '%2', %3, %4)")
                .arg(ano)
                .arg(QLatin1String(cod))
                .arg(d.dateLiteral(fecha))
                .arg(valor));
    };
    row(2022, "A", QDate(2022, 1, 5), 1);
    row(2023, "A", QDate(2023, 1, 1), 2);
    row(2023, "A", QDate(2023, 6, 1), 3);
    row(2023, "B", QDate(2023, 3, 1), 4);
    row(2024, "A", QDate(2024, 1, 1), 5);
}

// Lines of a code: Codigo (integer), Linea (small integer), Texto, keyed
// by the first two.
void createLineas(TDatabase* db) {
    db->CreateTable(QStringLiteral("LINEAS"),
                    {TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, true},
                     TFieldDef{QStringLiteral("Linea"), ftSmallint, 0, true},
                     TFieldDef{QStringLiteral("Texto"), ftString, 20, false}},
                    {QStringLiteral("Codigo"), QStringLiteral("Linea")},
                    QStringLiteral("LINEAS_Clave1"));
}

}  // namespace

class TestTable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void definitionsAndDdl_data() { AddEngineRows(); }
    void definitionsAndDdl();
    void indexNames_data() { AddEngineRows(); }
    void indexNames();
    void pagingBothWays_data() { AddEngineRows(); }
    void pagingBothWays();
    void rangesOnMixedKeys_data() { AddEngineRows(); }
    void rangesOnMixedKeys();
    void keySearches_data() { AddEngineRows(); }
    void keySearches();
    void descendingAndCaseInsensitive_data() { AddEngineRows(); }
    void descendingAndCaseInsensitive();
    void masterDetailWithRange_data() { AddEngineRows(); }
    void masterDetailWithRange();
    void bookmarksAndOtherTables_data() { AddEngineRows(); }
    void bookmarksAndOtherTables();
    void actsOnRowBeforeHandlers_data();
    void actsOnRowBeforeHandlers();
    void keyViolationKeepsInsert_data() { AddEngineRows(); }
    void keyViolationKeepsInsert();
    void appendsNumberedOrNot_data() { AddEngineRows(); }
    void appendsNumberedOrNot();
    void valueRoundTrips_data() { AddEngineRows(); }
    void valueRoundTrips();
    void tableWithoutKey_data() { AddEngineRows(); }
    void tableWithoutKey();
    void storedFormsRead_data();
    void storedFormsRead();
};

void TestTable::definitionsAndDdl() {
    TestDatabase tdb(CurrentEngine());
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(QStringLiteral("EMPLE"));
    QVERIFY(!t.Exists());
    QVERIFY_DBERROR(t.Open(), DbError::TableNotFound, "Table does not exist");
    QVERIFY(!t.Active());
    QVERIFY_DBERROR(t.DeleteTable(), DbError::TableNotFound, "Table does not exist");
    QVERIFY_DBERROR(t.EmptyTable(), DbError::TableNotFound, "Table does not exist");

    defineEmple(t);
    t.CreateTable();
    QVERIFY(t.Exists());
    t.Open();
    QVERIFY(t.IsEmpty());
    QCOMPARE(t.FieldCount(), 3);
    QCOMPARE(t.FieldDefs().Count(), 3);
    QCOMPARE(t.FieldDefs()[0].Name, QStringLiteral("Codigo"));
    QCOMPARE(t.IndexDefs().Count(), 3);
    QVERIFY(t.IndexDefs()[0].Options & ixPrimary);
    QCOMPARE(t.IndexDefs().PrimaryIndex(), 0);
    const int nombre = t.IndexDefs().IndexOf(QStringLiteral("EMPLE_Nombre"));
    QVERIFY(nombre > 0);
    QVERIFY(t.IndexDefs()[nombre].Options & ixCaseInsensitive);
    QCOMPARE(t.IndexDefs().IndexOf(QStringLiteral("nombre")), nombre);
    const TIndexDef& importe = t.IndexDefs().Find(QStringLiteral("Importe"));
    QVERIFY(importe.Options & ixDescending);
    QVERIFY_DBERROR(t.IndexDefs().Find(QStringLiteral("Nada")), DbError::IndexNotFound,
                    "Index does not exist");
    QCOMPARE(t.IndexFieldCount(), 1);
    QCOMPARE(t.IndexFields(0)->FieldName(), QStringLiteral("Codigo"));
    QStringList names;
    t.GetIndexNames(names);
    QCOMPARE(names.size(), 3);

    appendEmple(t, QStringLiteral("A"), QStringLiteral("uno"), 1.0);
    appendEmple(t, QStringLiteral("B"), QStringLiteral("dos"), 2.0);
    QCOMPARE(t.RecordCount(), 2);
    t.EmptyTable();
    QVERIFY(t.Active());
    QVERIFY(t.IsEmpty());
    QCOMPARE(t.RecordCount(), 0);
    QVERIFY_DBERROR(t.DeleteTable(), DbError::OpenDataSet, "");
    t.Close();
    t.DeleteTable();
    QVERIFY(!t.Exists());

    // A unique index refuses a second equal value.
    t.IndexDefs().Add(QStringLiteral("Unico"), QStringLiteral("Nombre"), ixUnique);
    t.CreateTable();
    t.Open();
    appendEmple(t, QStringLiteral("A"), QStringLiteral("igual"), 1.0);
    t.Append();
    t.FieldByName(QStringLiteral("Codigo"))->setValue(QStringLiteral("B"));
    t.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("igual"));
    QVERIFY_DBERROR(t.Post(), DbError::KeyViolation, "Key violation");
    t.Cancel();
}

void TestTable::indexNames() {
    TestDatabase tdb(CurrentEngine());
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    defineEmple(t);
    t.CreateTable();
    t.Open();
    appendEmple(t, QStringLiteral("A"), QStringLiteral("zeta"), 3.0);
    appendEmple(t, QStringLiteral("B"), QStringLiteral("alfa"), 1.0);
    appendEmple(t, QStringLiteral("C"), QStringLiteral("Beta"), 2.0);

    for (const char* primary : {"", "<Primary>", "Clave1", "clave1", "PRIMARY", "EMPLE_Clave1",
                                "emple_clave1", "EMPLE_", "EMPLE_<Primary>"}) {
        t.setIndexName(QLatin1String(primary));
        QCOMPARE(all(t, QStringLiteral("Codigo")), QStringList({"A", "B", "C"}));
        QCOMPARE(t.IndexFieldCount(), 1);
    }
    for (const char* secondary : {"Nombre", "NOMBRE", "EMPLE_Nombre", "emple_nombre"}) {
        t.setIndexName(QLatin1String(secondary));
        QCOMPARE(all(t, QStringLiteral("Nombre")), QStringList({"alfa", "Beta", "zeta"}));
    }
    // An unknown index changes nothing: name, order and record stay.
    t.setIndexName(QStringLiteral("Nombre"));
    t.Last();
    QVERIFY_DBERROR(t.setIndexName(QStringLiteral("Nada")), DbError::IndexNotFound,
                    "Index does not exist");
    QCOMPARE(t.IndexName(), QStringLiteral("Nombre"));
    QCOMPARE(t.State(), dsBrowse);
    QCOMPARE(t.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("zeta"));
    QCOMPARE(all(t, QStringLiteral("Nombre")), QStringList({"alfa", "Beta", "zeta"}));

    // Fields need no index; the same fields as an index take its options.
    t.setIndexFieldNames(QStringLiteral("Nombre;Codigo"));
    QCOMPARE(t.IndexName(), QString());
    QCOMPARE(all(t, QStringLiteral("Nombre")), QStringList({"Beta", "alfa", "zeta"}));
    t.setIndexFieldNames(QStringLiteral("nombre"));
    QCOMPARE(all(t, QStringLiteral("Nombre")), QStringList({"alfa", "Beta", "zeta"}));
    QVERIFY_DBERROR(t.setIndexFieldNames(QStringLiteral("Nombre;Nada")), DbError::FieldNotFound,
                    "Field 'Nada' not found");
    QCOMPARE(t.IndexFieldNames(), QStringLiteral("nombre"));
    t.Close();

    // Opening with an unknown index fails and leaves the table closed.
    t.setIndexName(QStringLiteral("EMPLE_Nada"));
    QVERIFY_DBERROR(t.Open(), DbError::IndexNotFound, "Index does not exist");
    QVERIFY(!t.Active());
}

void TestTable::pagingBothWays() {
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    TFieldDefs f;
    f << TFieldDef{QStringLiteral("Id"), ftInteger, 0, true}
      << TFieldDef{QStringLiteral("Grupo"), ftString, 5, false}
      << TFieldDef{QStringLiteral("Valor"), ftInteger, 0, false};
    db->CreateTable(QStringLiteral("P"), f, {QStringLiteral("Id")}, QStringLiteral("P_Clave1"));
    TIndexDef g;
    g.Name = QStringLiteral("Grupo");
    g.Fields = QStringLiteral("Grupo");
    db->CreateIndex(QStringLiteral("P"), g);
    QList<QVariantList> rows;
    // Every fifth group is NULL: keyset paging must neither lose nor repeat them.
    for (int id = 1; id <= 40; ++id)
        rows << QVariantList{
            id, id % 5 == 0 ? QVariant() : QVariant(QStringLiteral("G%1").arg(id % 4)), id};
    insertRows(db, QStringLiteral("P"), {"Id", "Grupo", "Valor"}, rows);

    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(QStringLiteral("P"));
    t.setPageSize(3, 3);
    t.Open();
    QStringList ids;
    for (int id = 1; id <= 40; ++id) ids << QString::number(id);
    QCOMPARE(walk(t, QStringLiteral("Id")), ids);
    QVERIFY(t.Eof());
    QCOMPARE(t.FieldByName(QStringLiteral("Id"))->AsInteger(), 40);  // Eof keeps the record
    t.Prior();                                                       // from Eof
    QVERIFY(!t.Eof());
    QCOMPARE(t.FieldByName(QStringLiteral("Id"))->AsInteger(), 39);
    t.Last();
    QStringList back = ids;
    std::reverse(back.begin(), back.end());
    QCOMPARE(walk(t, QStringLiteral("Id"), false), back);
    QVERIFY(t.Bof());
    t.First();
    QCOMPARE(t.MoveBy(10), 10);
    QCOMPARE(t.FieldByName(QStringLiteral("Id"))->AsInteger(), 11);
    QCOMPARE(t.MoveBy(-7), -7);
    QCOMPARE(t.FieldByName(QStringLiteral("Id"))->AsInteger(), 4);
    // Back and forth over a page boundary.
    for (int i = 0; i < 4; ++i) {
        t.Next();
        QCOMPARE(t.FieldByName(QStringLiteral("Id"))->AsInteger(), 5);
        t.Prior();
        QCOMPARE(t.FieldByName(QStringLiteral("Id"))->AsInteger(), 4);
    }
    QCOMPARE(t.RecordCount(), 40);
    // Inside a transaction every page is read whole too.
    db->StartTransaction();
    t.Append();
    t.FieldByName(QStringLiteral("Id"))->setValue(41);
    t.Post();
    t.First();
    QCOMPARE(walk(t, QStringLiteral("Id")), ids + QStringList{"41"});
    db->Rollback();

    // A non-unique index with NULLs: a total order, the same both ways.
    t.setIndexName(QStringLiteral("Grupo"));
    const QStringList forward = walk(t, QStringLiteral("Id"));
    QCOMPARE(forward.size(), 40);
    QCOMPARE(QSet<QString>(forward.begin(), forward.end()).size(), 40);
    t.Last();
    QStringList backward = walk(t, QStringLiteral("Id"), false);
    std::reverse(backward.begin(), backward.end());
    QCOMPARE(backward, forward);
    // Within a group the rows keep key order.
    t.SetRange({QStringLiteral("G1")}, {QStringLiteral("G1")});
    QCOMPARE(walk(t, QStringLiteral("Id")),
             QStringList({"1", "9", "13", "17", "21", "29", "33", "37"}));
    QCOMPARE(t.RecordCount(), 8);
    // Ranges reaching the NULLs (first on SQLite, last on PostgreSQL) and one
    // of values only, walked both ways across pages: a page going on from a
    // NULL keeps the NULLs after it, one from a value leaves them out.
    const bool sqlite = CurrentEngine() == Engine::Sqlite;
    const struct {
        QVariant low, high;
        int rows;
    } ranges[] = {{QVariant(), QStringLiteral("G1"), sqlite ? 24 : 0},
                  {QStringLiteral("G1"), QVariant(), sqlite ? 0 : 32},
                  {QStringLiteral("G0"), QStringLiteral("G2"), 24}};
    for (const auto& r : ranges) {
        t.SetRange({r.low}, {r.high});
        const QStringList there = walk(t, QStringLiteral("Id"));
        t.Last();
        QStringList back = walk(t, QStringLiteral("Id"), false);
        std::reverse(back.begin(), back.end());
        QCOMPARE(back, there);
        QCOMPARE(there.size(), r.rows);
        QCOMPARE(QSet<QString>(there.begin(), there.end()).size(), r.rows);
    }
}

void TestTable::rangesOnMixedKeys() {
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    TFieldDefs f{TFieldDef{QStringLiteral("Codigo"), ftString, 10, true}};
    db->CreateTable(QStringLiteral("DEPT"), f, {QStringLiteral("Codigo")},
                    QStringLiteral("DEPT_Clave1"));
    QList<QVariantList> rows;
    for (const char* c : {"DE", "DEP", "DEP01", "DEPA", "DEPZZ", "DEPZZA", "DEQ"})
        rows << QVariantList{QLatin1String(c)};
    insertRows(db, QStringLiteral("DEPT"), {"Codigo"}, rows);
    TTable dept;
    dept.setDatabaseName(QStringLiteral("Database"));
    dept.setTableName(QStringLiteral("DEPT"));
    dept.Open();
    dept.SetRange({QStringLiteral("DEP")}, {QStringLiteral("DEPZZ")});
    QCOMPARE(walk(dept, QStringLiteral("Codigo")), QStringList({"DEP", "DEP01", "DEPA", "DEPZZ"}));
    QCOMPARE(dept.RecordCount(), 4);

    createK3(db);
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(QStringLiteral("K3"));
    t.Open();
    auto values = [&] { return all(t, QStringLiteral("Valor")); };
    t.SetRange({2023}, {2023});
    QCOMPARE(values(), QStringList({"2", "3", "4"}));
    t.SetRange({2023, QStringLiteral("A")}, {2023, QStringLiteral("A")});
    QCOMPARE(values(), QStringList({"2", "3"}));
    t.SetRange({2023, QStringLiteral("A"), QDate(2023, 3, 1)},
               {2023, QStringLiteral("B"), QDate(2023, 12, 31)});
    QCOMPARE(values(), QStringList({"3", "4"}));
    // Dates written as the user types them.
    t.SetRange({2023, QStringLiteral("A"), QStringLiteral("01/03/2023")},
               {2023, QStringLiteral("A"), QStringLiteral("31/12/2023")});
    QCOMPARE(values(), QStringList({"3"}));
    // Bounds of another type, or beyond the field's range, compare sanely.
    t.SetRange({QStringLiteral("2023")}, {QStringLiteral("2023")});
    QCOMPARE(values(), QStringList({"2", "3", "4"}));
    t.SetRange({-99999}, {99999});
    QCOMPARE(t.RecordCount(), 5);
    t.SetRange({99999}, {999999999999.0});
    QVERIFY(t.IsEmpty());
    t.SetRange({2022.5}, {QStringLiteral("2024")});
    QCOMPARE(values(), QStringList({"2", "3", "4", "5"}));
    t.SetRange({QStringLiteral("abc")}, {QStringLiteral("abc")});
    QVERIFY(t.IsEmpty());
    t.SetRange({2023, 7}, {2023, 7});  // a number on a string field
    QVERIFY(t.IsEmpty());
    // An empty range.
    t.SetRange({2024}, {2022});
    QVERIFY(t.IsEmpty());
    QVERIFY(t.Eof() && t.Bof());
    QCOMPARE(t.RecordCount(), 0);

    // Key buffers, exclusive bounds, and editing one bound keeps the other.
    t.SetRangeStart();
    QCOMPARE(t.State(), dsSetKey);
    t.FieldByName(QStringLiteral("Ano"))->setValue(2022);
    t.setKeyExclusive(true);
    t.SetRangeEnd();
    t.FieldByName(QStringLiteral("Ano"))->setValue(2024);
    t.setKeyExclusive(true);
    t.ApplyRange();
    QCOMPARE(t.State(), dsBrowse);
    QCOMPARE(values(), QStringList({"2", "3", "4"}));
    t.EditRangeEnd();
    t.setKeyExclusive(false);
    t.ApplyRange();
    QCOMPARE(values(), QStringList({"2", "3", "4", "5"}));
    t.CancelRange();
    QCOMPARE(t.RecordCount(), 5);
}

void TestTable::keySearches() {
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    TFieldDefs f;
    f << TFieldDef{QStringLiteral("A"), ftInteger, 0, true}
      << TFieldDef{QStringLiteral("B"), ftString, 5, true}
      << TFieldDef{QStringLiteral("C"), ftDate, 0, true}
      << TFieldDef{QStringLiteral("D"), ftSmallint, 0, true}
      << TFieldDef{QStringLiteral("E"), ftString, 5, true}
      << TFieldDef{QStringLiteral("F"), ftInteger, 0, true}
      << TFieldDef{QStringLiteral("Valor"), ftInteger, 0, false};
    const QStringList key{"A", "B", "C", "D", "E", "F"};
    db->CreateTable(QStringLiteral("K6"), f, key, QStringLiteral("K6_Clave1"));
    QList<QVariantList> rows;
    int valor = 0;
    for (int a : {1, 2})
        for (const char* b : {"x", "y"})
            for (int d : {1, 2})
                rows << QVariantList{
                    a,      QLatin1String(b),    QStringLiteral("2024-01-0%1").arg(d),
                    d,      QStringLiteral("e"), d * 10,
                    ++valor};
    insertRows(db, QStringLiteral("K6"), key + QStringList{"Valor"}, rows);

    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(QStringLiteral("K6"));
    t.setPageSize(2, 2);
    t.Open();
    auto valorNow = [&] { return t.FieldByName(QStringLiteral("Valor"))->AsInteger(); };
    const QDate d2(2024, 1, 2);
    QVERIFY(t.FindKey({2}));
    QCOMPARE(valorNow(), 5);
    QVERIFY(t.FindKey({1, QStringLiteral("y")}));
    QCOMPARE(valorNow(), 3);
    QVERIFY(t.FindKey({1, QStringLiteral("y"), d2}));
    QCOMPARE(valorNow(), 4);
    QVERIFY(t.FindKey({2, QStringLiteral("x"), d2, 2}));
    QCOMPARE(valorNow(), 6);
    QVERIFY(t.FindKey({2, QStringLiteral("y"), d2, 2, QStringLiteral("e")}));
    QCOMPARE(valorNow(), 8);
    QVERIFY(t.FindKey({1, QStringLiteral("x"), d2, 2, QStringLiteral("e"), 20}));
    QCOMPARE(valorNow(), 2);
    // Not found: the position stays.
    QVERIFY(!t.FindKey({1, QStringLiteral("x"), d2, 2, QStringLiteral("e"), 21}));
    QVERIFY(!t.FindKey({3}));
    QVERIFY(!t.FindKey({QStringLiteral("uno")}));
    QCOMPARE(valorNow(), 2);
    QVERIFY_DBERROR(t.FindKey({1, "x", d2, 2, "e", 20, 0}), DbError::General,
                    "Field index out of range");
    // Navigation goes on from a found row.
    t.Next();
    QCOMPARE(valorNow(), 3);
    t.Prior();
    t.Prior();
    QCOMPARE(valorNow(), 1);

    t.FindNearest({1, QStringLiteral("xa")});
    QCOMPARE(valorNow(), 3);
    t.FindNearest({1, QStringLiteral("y"), QDate(2023, 12, 31)});
    QCOMPARE(valorNow(), 3);
    t.FindNearest({9});
    QCOMPARE(valorNow(), 8);  // nothing after: the last record

    t.SetKey();
    t.FieldByName(QStringLiteral("A"))->setValue(2);
    t.FieldByName(QStringLiteral("B"))->setValue(QStringLiteral("y"));
    QVERIFY(t.GotoKey());
    QCOMPARE(valorNow(), 7);
    QCOMPARE(t.State(), dsBrowse);
    t.EditKey();
    QCOMPARE(t.FieldByName(QStringLiteral("B"))->AsString(), QStringLiteral("y"));
    t.FieldByName(QStringLiteral("B"))->setValue(QStringLiteral("w"));
    QVERIFY(!t.GotoKey());
    QCOMPARE(valorNow(), 7);
    t.EditKey();
    t.GotoNearest();
    QCOMPARE(valorNow(), 5);

    // A row the filter hides is not found; the next match is.
    t.OnFilterRecord = [](TDataSet* ds, bool& accept) {
        accept = ds->FieldByName(QStringLiteral("Valor"))->AsInteger() != 5;
    };
    t.setFiltered(true);
    QVERIFY(!t.FindKey({2, QStringLiteral("x"), QDate(2024, 1, 1)}));
    QVERIFY(t.FindKey({2}));
    QCOMPARE(valorNow(), 6);

    // Searches of one key length follow the range set after them.
    t.setFiltered(false);
    QVERIFY(t.FindKey({1, QStringLiteral("y")}));
    QCOMPARE(valorNow(), 3);
    t.SetRange({2}, {2});
    QVERIFY(!t.FindKey({1, QStringLiteral("y")}));
    QVERIFY(t.FindKey({2, QStringLiteral("y")}));
    QCOMPARE(valorNow(), 7);
    t.CancelRange();
    QVERIFY(t.FindKey({1, QStringLiteral("y")}));
    QCOMPARE(valorNow(), 3);
}

void TestTable::descendingAndCaseInsensitive() {
    TestDatabase tdb(CurrentEngine());
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    defineEmple(t);
    t.CreateTable();
    t.Open();
    appendEmple(t, QStringLiteral("A"), QStringLiteral("beta"), 10.5);
    appendEmple(t, QStringLiteral("B"), QStringLiteral("ALFA"), 30.0);
    appendEmple(t, QStringLiteral("C"), QStringLiteral("Gamma"), 20.25);
    appendEmple(t, QStringLiteral("D"), QStringLiteral("alfa"), 20.25);
    appendEmple(t, QStringLiteral("E"), QVariant(), QVariant());

    t.setIndexName(QStringLiteral("Importe"));
    QStringList order = all(t, QStringLiteral("Codigo"));
    // NULL sorts where the engine puts it; the others descend, ties by code.
    order.removeAll(QStringLiteral("E"));
    QCOMPARE(order, QStringList({"B", "C", "D", "A"}));
    QVERIFY(t.FindKey({20.25}));
    QCOMPARE(t.FieldByName(QStringLiteral("Codigo"))->AsString(), QStringLiteral("C"));
    t.Next();
    QCOMPARE(t.FieldByName(QStringLiteral("Codigo"))->AsString(), QStringLiteral("D"));
    t.SetRange({25.0}, {15});  // a range runs in index order: high to low
    QCOMPARE(all(t, QStringLiteral("Codigo")), QStringList({"C", "D"}));
    t.CancelRange();

    t.setIndexName(QStringLiteral("Nombre"));
    t.SetRange({QStringLiteral("ALFA")}, {QStringLiteral("Beta")});
    QCOMPARE(all(t, QStringLiteral("Codigo")).size(), 3);
    t.CancelRange();
    QVERIFY(t.FindKey({QStringLiteral("GAMMA")}));
    QCOMPARE(t.FieldByName(QStringLiteral("Codigo"))->AsString(), QStringLiteral("C"));
    QVERIFY(t.FindKey({QStringLiteral("Alfa")}));
    QVERIFY(t.FieldByName(QStringLiteral("Nombre"))
                ->AsString()
                .compare(QStringLiteral("alfa"), Qt::CaseInsensitive) == 0);
}

void TestTable::masterDetailWithRange() {
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    db->CreateTable(QStringLiteral("MAESTRO"),
                    {TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, true},
                     TFieldDef{QStringLiteral("Nombre"), ftString, 20, false}},
                    {QStringLiteral("Codigo")}, QStringLiteral("MAESTRO_Clave1"));
    createLineas(db);
    insertRows(db, QStringLiteral("MAESTRO"), {"Codigo", "Nombre"},
               {{1, "uno"}, {2, "dos"}, {3, "tres"}});
    QList<QVariantList> lines;
    for (int c = 1; c <= 3; ++c)
        for (int l = 1; l <= 5 - c; ++l)
            lines << QVariantList{c, l, QStringLiteral("%1.%2").arg(c).arg(l)};
    insertRows(db, QStringLiteral("LINEAS"), {"Codigo", "Linea", "Texto"}, lines);

    TTable master, detail;
    master.setDatabaseName(QStringLiteral("Database"));
    master.setTableName(QStringLiteral("MAESTRO"));
    detail.setDatabaseName(QStringLiteral("Database"));
    detail.setTableName(QStringLiteral("LINEAS"));
    TDataSource source;
    source.setDataSet(&master);
    detail.setMasterSource(&source);
    detail.setMasterFields(QStringLiteral("Codigo"));
    master.Open();
    detail.Open();
    auto texts = [&] { return all(detail, QStringLiteral("Texto")); };
    QCOMPARE(texts(), QStringList({"1.1", "1.2", "1.3", "1.4"}));
    master.Next();
    QCOMPARE(texts(), QStringList({"2.1", "2.2", "2.3"}));

    // Editing the master's key does not move the detail; its record change does.
    master.Edit();
    master.FieldByName(QStringLiteral("Codigo"))->setValue(3);
    QCOMPARE(texts(), QStringList({"2.1", "2.2", "2.3"}));
    master.Cancel();
    QCOMPARE(texts(), QStringList({"2.1", "2.2", "2.3"}));

    // A range on the fields after the master's, kept while the master scrolls.
    detail.SetRange({2}, {3});
    QCOMPARE(texts(), QStringList({"2.2", "2.3"}));
    master.Next();
    QCOMPARE(texts(), QStringList({"3.2"}));
    master.First();
    QCOMPARE(texts(), QStringList({"1.2", "1.3"}));
    QCOMPARE(detail.RecordCount(), 2);

    // A new line gets the master's key.
    detail.Append();
    QCOMPARE(detail.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 1);
    detail.FieldByName(QStringLiteral("Linea"))->setValue(9);
    detail.FieldByName(QStringLiteral("Texto"))->setValue(QStringLiteral("1.9"));
    detail.Post();
    detail.CancelRange();
    QCOMPARE(texts(), QStringList({"1.1", "1.2", "1.3", "1.4", "1.9"}));

    // FindKey on a detail searches within its master.
    QVERIFY(detail.FindKey({1, 3}));
    QVERIFY(!detail.FindKey({2, 1}));
    // and follows it when it scrolls.
    master.Next();
    QVERIFY(detail.FindKey({2, 1}));
    QVERIFY(!detail.FindKey({1, 3}));
    master.First();

    // A master without records leaves the detail empty.
    master.OnFilterRecord = [](TDataSet*, bool& accept) { accept = false; };
    master.setFiltered(true);
    QVERIFY(master.IsEmpty());
    QVERIFY(detail.IsEmpty());
    master.setFiltered(false);
    QCOMPARE(detail.RecordCount(), 5);
    master.Close();
    QCOMPARE(detail.RecordCount(), 10);  // no master: every line
}

// A before-delete or before-edit handler that reads the lines again (the
// range set anew, a refresh) or moves off the row: the delete or the edit
// is done to the row current when it was asked for, or refused when that
// row left the view, never done to another row.
void TestTable::actsOnRowBeforeHandlers_data() {
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("accion");
    QTest::addColumn<QString>("manejador");
    QTest::addColumn<QString>("lineas");
    for (Engine e : AvailableEngines()) {
        // Line 3 of code 1 is current; the other code's line stays whatever happens.
        NewEngineRow(e, "delete, range again") << "borrar"
                                               << "rango"
                                               << "1.1 1.2 2.1";
        NewEngineRow(e, "delete, refresh then first") << "borrar"
                                                      << "primero"
                                                      << "1.1 1.2 2.1";
        NewEngineRow(e, "delete, range elsewhere") << "borrar"
                                                   << "otro"
                                                   << "1.1 1.2 1.3 2.1";
        NewEngineRow(e, "delete, line gone") << "borrar"
                                             << "ajeno"
                                             << "1.1 1.2 2.1";
        NewEngineRow(e, "edit, range again") << "editar"
                                             << "rango"
                                             << "1.1 1.2 1.3* 2.1";
        NewEngineRow(e, "edit, refresh then first") << "editar"
                                                    << "primero"
                                                    << "1.1 1.2 1.3* 2.1";
        NewEngineRow(e, "edit, range elsewhere") << "editar"
                                                 << "otro"
                                                 << "1.1 1.2 1.3 2.1";
        NewEngineRow(e, "edit, line gone") << "editar"
                                           << "ajeno"
                                           << "1.1 1.2 2.1";
        // Changed by another clerk so that the filter leaves it out.
        NewEngineRow(e, "delete, line out of the filter") << "borrar"
                                                          << "filtro"
                                                          << "1.1 1.2 fuera 2.1";
        NewEngineRow(e, "edit, line out of the filter") << "editar"
                                                        << "filtro"
                                                        << "1.1 1.2 fuera 2.1";
    }
}

void TestTable::actsOnRowBeforeHandlers() {
    QFETCH(QString, accion);
    QFETCH(QString, manejador);
    QFETCH(QString, lineas);
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    createLineas(db);
    insertRows(db, QStringLiteral("LINEAS"), {"Codigo", "Linea", "Texto"},
               {{1, 1, "1.1"}, {1, 2, "1.2"}, {1, 3, "1.3"}, {2, 1, "2.1"}});
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(QStringLiteral("LINEAS"));
    t.Open();
    t.setFilter(QStringLiteral("Texto <> 'fuera'"));
    t.setFiltered(true);
    t.SetRange({1}, {1});
    t.Last();
    QCOMPARE(t.FieldByName(QStringLiteral("Texto"))->AsString(), QStringLiteral("1.3"));
    const std::unique_ptr<TDatabase> otra = tdb.openSecondSession(QStringLiteral("Otra"));
    TDataSetNotifyEvent antes = [&](TDataSet*) {
        if (manejador == QLatin1String("rango")) {
            t.SetRange({1}, {1});
        } else if (manejador == QLatin1String("primero")) {
            t.Refresh();
            t.First();
        } else if (manejador == QLatin1String("otro")) {
            t.SetRange({2}, {2});
        } else if (manejador == QLatin1String("filtro")) {
            otra->Execute(
                QStringLiteral("UPDATE LINEAS SET Texto = 'fuera' WHERE Codigo = 1 AND Linea = 3"));
            t.SetRange({1}, {1});
        } else {
            otra->Execute(QStringLiteral("DELETE FROM LINEAS WHERE Codigo = 1 AND Linea = 3"));
            t.SetRange({1}, {1});
        }
    };
    const bool refused = manejador == QLatin1String("otro") ||
                         manejador == QLatin1String("ajeno") ||
                         manejador == QLatin1String("filtro");
    const EDatabaseError e = errorOf([&] {
        if (accion == QLatin1String("borrar")) {
            t.BeforeDelete = antes;
            t.Delete();
        } else {
            t.BeforeEdit = antes;
            t.Edit();
            t.FieldByName(QStringLiteral("Texto"))->setAsString(QStringLiteral("1.3*"));
            t.Post();
        }
    });
    QCOMPARE(int(e.code()), int(refused ? DbError::RecordDeleted : DbError::General));
    QCOMPARE(t.State(), dsBrowse);
    QStringList vistas;
    QSqlQuery q(otra->connection());
    QVERIFY(q.exec(QStringLiteral("SELECT Texto FROM LINEAS ORDER BY Codigo, Linea")));
    while (q.next()) vistas << q.value(0).toString();
    QCOMPARE(vistas.join(QLatin1Char(' ')), lineas);
}

void TestTable::bookmarksAndOtherTables() {
    TestDatabase tdb(CurrentEngine());
    TTable a, b;
    for (TTable* t : {&a, &b}) {
        t->setDatabaseName(QStringLiteral("Database"));
        defineEmple(*t);
        t->setPageSize(3, 3);
    }
    a.CreateTable();
    a.Open();
    for (int i = 10; i < 30; i += 2)
        appendEmple(a, QStringLiteral("C%1").arg(i), QStringLiteral("n%1").arg(i), i);
    b.Open();
    QVERIFY(b.FindKey({QStringLiteral("C20")}));
    const TBookmark mark = b.GetBookmark();
    // Rows posted through another table before and after the marked one.
    appendEmple(a, QStringLiteral("C11"), QStringLiteral("nuevo"), 1);
    appendEmple(a, QStringLiteral("C25"), QStringLiteral("nuevo"), 1);
    a.First();
    a.Delete();  // C10
    QCOMPARE(b.RecordCount(), 11);
    b.Refresh();
    QCOMPARE(b.FieldByName(QStringLiteral("Codigo"))->AsString(), QStringLiteral("C20"));
    b.First();
    QCOMPARE(b.FieldByName(QStringLiteral("Codigo"))->AsString(), QStringLiteral("C11"));
    QVERIFY(b.BookmarkValid(mark));
    b.GotoBookmark(mark);
    QCOMPARE(b.FieldByName(QStringLiteral("Codigo"))->AsString(), QStringLiteral("C20"));
    b.Next();
    b.Next();
    QCOMPARE(b.FieldByName(QStringLiteral("Codigo"))->AsString(), QStringLiteral("C24"));
    b.Next();
    QCOMPARE(b.FieldByName(QStringLiteral("Codigo"))->AsString(), QStringLiteral("C25"));

    // Deleting walks on to the following row, also across a page boundary.
    b.Edit();
    b.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("cambiado"));
    b.Post();
    a.Refresh();
    QVERIFY(a.FindKey({QStringLiteral("C25")}));
    QCOMPARE(a.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("cambiado"));
    a.Delete();
    QCOMPARE(a.FieldByName(QStringLiteral("Codigo"))->AsString(), QStringLiteral("C26"));
    a.Last();
    a.Delete();
    QCOMPARE(a.FieldByName(QStringLiteral("Codigo"))->AsString(), QStringLiteral("C26"));
    QCOMPARE(a.RecordCount(), 9);
    QVERIFY(b.BookmarkValid(mark));
    a.FindKey({QStringLiteral("C20")});
    a.Delete();
    QVERIFY(!b.BookmarkValid(mark));
    QVERIFY_DBERROR(b.GotoBookmark(mark), DbError::InvalidBookmark, "Invalid bookmark");
}

void TestTable::keyViolationKeepsInsert() {
    TestDatabase tdb(CurrentEngine());
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    defineEmple(t);
    t.CreateTable();
    t.Open();
    appendEmple(t, QStringLiteral("A"), QStringLiteral("primero"), 1);
    t.Append();
    t.FieldByName(QStringLiteral("Codigo"))->setValue(QStringLiteral("A"));
    t.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("segundo"));
    QVERIFY_DBERROR(t.Post(), DbError::KeyViolation, "Key violation");
    QCOMPARE(t.State(), dsInsert);
    QCOMPARE(t.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("segundo"));
    // Corrected, the same insert goes through.
    t.FieldByName(QStringLiteral("Codigo"))->setValue(QStringLiteral("B"));
    t.Post();
    QCOMPARE(t.State(), dsBrowse);
    QCOMPARE(t.FieldByName(QStringLiteral("Codigo"))->AsString(), QStringLiteral("B"));
    QCOMPARE(t.RecordCount(), 2);
    // An edit into an existing key fails the same way and keeps the edit.
    t.Edit();
    t.FieldByName(QStringLiteral("Codigo"))->setValue(QStringLiteral("A"));
    QVERIFY_DBERROR(t.Post(), DbError::KeyViolation, "Key violation");
    QCOMPARE(t.State(), dsEdit);
    t.Cancel();
    QCOMPARE(all(t, QStringLiteral("Nombre")), QStringList({"primero", "segundo"}));

    // Inside a transaction the violation leaves the transaction usable.
    tdb.db()->StartTransaction();
    t.Append();
    t.FieldByName(QStringLiteral("Codigo"))->setValue(QStringLiteral("B"));
    QVERIFY_DBERROR(t.Post(), DbError::KeyViolation, "Key violation");
    t.FieldByName(QStringLiteral("Codigo"))->setValue(QStringLiteral("C"));
    t.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("tercero"));
    t.Post();
    tdb.db()->Commit();
    QCOMPARE(all(t, QStringLiteral("Nombre")), QStringList({"primero", "segundo", "tercero"}));

    // An insert the engine refuses for another reason (a trigger here) costs
    // that row only: the rows before and after it in the transaction stay.
    if (CurrentEngine() == Engine::Sqlite) {
        tdb.db()->Execute(
            QStringLiteral("CREATE TRIGGER rechazo BEFORE INSERT ON EMPLE WHEN NEW.Nombre = "
                           "'rechazado' BEGIN SELECT RAISE(ABORT, 'rechazado'); END"));
    } else {
        tdb.db()->Execute(QStringLiteral(
            "CREATE OR REPLACE FUNCTION rechazo_emple() RETURNS trigger AS $$ BEGIN IF "
            "NEW.Nombre = 'rechazado' THEN RAISE EXCEPTION 'rechazado'; END IF; RETURN NEW; END "
            "$$ LANGUAGE plpgsql"));
        tdb.db()->Execute(
            QStringLiteral("CREATE TRIGGER rechazo BEFORE INSERT ON EMPLE FOR EACH ROW EXECUTE "
                           "FUNCTION rechazo_emple()"));
    }
    tdb.db()->StartTransaction();
    appendEmple(t, QStringLiteral("D"), QStringLiteral("cuarto"), 4);
    t.Append();
    t.FieldByName(QStringLiteral("Codigo"))->setValue(QStringLiteral("E"));
    t.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("rechazado"));
    bool rechazado = false;
    try {
        t.Post();
    } catch (const EDatabaseError&) {
        rechazado = true;
    }
    QVERIFY(rechazado);
    t.Cancel();
    appendEmple(t, QStringLiteral("F"), QStringLiteral("sexto"), 6);
    tdb.db()->Commit();
    QCOMPARE(all(t, QStringLiteral("Nombre")),
             QStringList({"primero", "segundo", "tercero", "cuarto", "sexto"}));
}

// Rows appended one after another, some leaving their number to the engine
// and some bringing their own: each keeps what it was given.
void TestTable::appendsNumberedOrNot() {
    TestDatabase tdb(CurrentEngine());
    tdb.db()->CreateTable(QStringLiteral("LINEAS"),
                          {{QStringLiteral("Linea"), ftAutoInc, 0, false},
                           {QStringLiteral("Texto"), ftString, 10, false}},
                          {QStringLiteral("Linea")}, QStringLiteral("LINEAS_Clave1"));
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(QStringLiteral("LINEAS"));
    t.Open();
    TField* linea = t.FieldByName(QStringLiteral("Linea"));
    TField* texto = t.FieldByName(QStringLiteral("Texto"));
    const QList<QPair<int, QString>> rows{{0, "a"}, {0, "b"}, {50, "c"}, {0, "d"}, {70, "e"}};
    QList<int> numbers;
    for (const auto& r : rows) {
        t.Append();
        if (r.first) linea->setValue(r.first);
        texto->setValue(r.second);
        t.Post();
        numbers << linea->AsInteger();
        QCOMPARE(texto->AsString(), r.second);
    }
    QCOMPARE(numbers[2], 50);
    QCOMPARE(numbers[4], 70);
    QCOMPARE(QSet<int>(numbers.begin(), numbers.end()).size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        QVERIFY(numbers[i] > 0);
        QCOMPARE(
            tdb.db()
                ->Scalar(QStringLiteral("SELECT Texto FROM LINEAS WHERE Linea = ?"), {numbers[i]})
                .toString(),
            rows[i].second);
    }
}

void TestTable::valueRoundTrips() {
    TestDatabase tdb(CurrentEngine());
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    defineValores(t);
    t.CreateTable();
    t.Open();
    const QDateTime stamp(QDate(2023, 5, 6), QTime(7, 8, 9));
    const QByteArray bytes("\x00\x01\xff'\"x", 6);
    t.Append();
    t.FieldByName(QStringLiteral("Id"))->setValue(1);
    t.FieldByName(QStringLiteral("S"))->setValue(QString(""));
    t.FieldByName(QStringLiteral("D"))->setValue(QDate(1899, 12, 30));
    t.FieldByName(QStringLiteral("DT"))->setValue(stamp);
    t.FieldByName(QStringLiteral("T"))->setValue(QTime(10, 11, 12));
    t.FieldByName(QStringLiteral("B"))->setValue(true);
    t.FieldByName(QStringLiteral("F"))->setValue(0.1 + 0.2);
    t.FieldByName(QStringLiteral("C"))->setValue(12.34);
    t.FieldByName(QStringLiteral("M"))->setValue(QStringLiteral("línea 'uno'\r\nsegunda"));
    t.FieldByName(QStringLiteral("G"))->setValue(bytes);
    t.Post();
    t.Append();
    t.FieldByName(QStringLiteral("Id"))->setValue(2);
    t.Post();
    t.Append();
    t.FieldByName(QStringLiteral("Id"))->setValue(3);
    t.FieldByName(QStringLiteral("S"))->setValue(QStringLiteral("abcdefghijklmno"));
    t.Post();
    // Dates as the system's own SQL writes them, date-only into a date-time.
    TDatabase* db = tdb.db();
    db->Execute(QStringLiteral("INSERT INTO VALORES (Id, DT, D) VALUES (4, %1, %2)")
                    .arg(db->dialect().dateLiteral(QDate(2023, 1, 1)),
                         db->dialect().dateLiteral(QDate(2023, 1, 2))));
    t.Close();
    t.Open();

    QVERIFY(t.FindKey({1}));
    auto field = [&](const char* n) { return t.FieldByName(QLatin1String(n)); };
    QVERIFY(!field("S")->IsNull());
    QCOMPARE(field("S")->AsString(), QString());
    QCOMPARE(field("D")->Value().toDate(), QDate(1899, 12, 30));
    QCOMPARE(field("DT")->Value().toDateTime(), stamp);
    QCOMPARE(field("T")->Value().toTime(), QTime(10, 11, 12));
    QCOMPARE(field("B")->AsBoolean(), true);
    QCOMPARE(field("F")->AsFloat(), 0.1 + 0.2);
    QCOMPARE(field("C")->AsFloat(), 12.34);
    QCOMPARE(field("M")->AsString(), QStringLiteral("línea 'uno'\r\nsegunda"));
    QCOMPARE(field("G")->AsBytes(), bytes);
    // What was read is what a post compares with: nothing seems changed.
    t.Edit();
    field("S")->setValue(QStringLiteral("editado"));
    t.Post();
    t.Edit();
    field("S")->setValue(QString(""));
    t.Post();

    QVERIFY(t.FindKey({2}));
    for (const char* n : {"S", "D", "DT", "T", "B", "F", "C", "M", "G"})
        QVERIFY2(field(n)->IsNull(), n);
    t.Edit();
    field("B")->setValue(false);
    t.Post();
    QVERIFY(t.FindKey({3}));
    QCOMPARE(field("S")->AsString(), QStringLiteral("abcdefghij"));
    // The size counts characters: a pair of UTF-16 units is one, never cut.
    const QString emoji = QStringLiteral("\U0001F600");
    for (const auto& [value, kept] : QList<std::pair<QString, QString>>{
             {QStringLiteral("abcdefghi") + emoji, QStringLiteral("abcdefghi") + emoji},
             {QStringLiteral("abcdefghij") + emoji, QStringLiteral("abcdefghij")},
             {emoji.repeated(11), emoji.repeated(10)}}) {
        t.Edit();
        field("S")->setValue(value);
        t.Post();
        QCOMPARE(db->Scalar(QStringLiteral("SELECT S FROM VALORES WHERE Id = 3")).toString(), kept);
    }
    // PostgreSQL's text cannot hold the character 0: refused with a clear
    // message, the edit kept for the user to mend.
    t.Edit();
    field("M")->setValue(QString(QStringLiteral("uno") + QChar(0) + QStringLiteral("dos")));
    if (CurrentEngine() == Engine::Postgres) {
        QVERIFY_DBERROR(t.Post(), DbError::InvalidValue,
                        "¡ El texto contiene el carácter nulo (código 0), que la base de datos "
                        "no puede guardar !");
        QCOMPARE(t.State(), dsEdit);
        t.Cancel();
    } else {
        t.Post();
    }
    QVERIFY(t.FindKey({4}));
    QCOMPARE(field("DT")->Value().toDateTime(), QDateTime(QDate(2023, 1, 1), QTime(0, 0)));
    t.Edit();
    field("S")->setValue(QStringLiteral("x"));
    t.Post();
    QCOMPARE(db->Scalar(QStringLiteral("SELECT S FROM VALORES WHERE Id = 4")).toString(),
             QStringLiteral("x"));
    QCOMPARE(db->Scalar(QStringLiteral("SELECT S FROM VALORES WHERE Id = 1")).toString(),
             QString(""));
    QVERIFY(!db->Scalar(QStringLiteral("SELECT S FROM VALORES WHERE Id = 1")).isNull());
    // A date-time at midnight posted through the table is found by the SQL the
    // system writes for a date or a date-time, in either kind of column.
    QVERIFY(t.FindKey({2}));
    t.Edit();
    field("DT")->setValue(QDateTime(QDate(2024, 3, 15), QTime(0, 0)));
    field("D")->setValue(QDate(2024, 3, 15));
    t.Post();
    const SqlDialect& d = db->dialect();
    const QDateTime midnight(QDate(2024, 3, 15), QTime(0, 0));
    for (const QString& lit : {d.dateLiteral(midnight.date()), d.dateTimeLiteral(midnight)}) {
        QCOMPARE(db->Scalar(QStringLiteral("SELECT Id FROM VALORES WHERE DT = ") + lit).toInt(), 2);
        QCOMPARE(db->Scalar(QStringLiteral("SELECT Id FROM VALORES WHERE D = ") + lit).toInt(), 2);
    }
    QCOMPARE(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM VALORES WHERE DT >= ") +
                        d.dateLiteral(QDate(2024, 3, 15)) + QStringLiteral(" AND DT <= ") +
                        d.dateLiteral(QDate(2024, 3, 15)))
                 .toInt(),
             1);
}

void TestTable::tableWithoutKey() {
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    db->CreateTable(QStringLiteral("SINCLAVE"),
                    {TFieldDef{QStringLiteral("Texto"), ftString, 10, false},
                     TFieldDef{QStringLiteral("Numero"), ftInteger, 0, false}},
                    {}, QString());
    // Equal rows too: the engine's row identity tells them apart.
    QList<QVariantList> rows;
    for (int i = 0; i < 8; ++i) rows << QVariantList{QStringLiteral("t%1").arg(i % 3), i % 3};
    insertRows(db, QStringLiteral("SINCLAVE"), {"Texto", "Numero"}, rows);
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(QStringLiteral("SINCLAVE"));
    t.setPageSize(3, 3);
    t.Open();
    QCOMPARE(t.IndexFieldCount(), 0);
    QCOMPARE(walk(t, QStringLiteral("Numero")).size(), 8);
    t.Last();
    QCOMPARE(walk(t, QStringLiteral("Numero"), false).size(), 8);
    t.setIndexFieldNames(QStringLiteral("Texto"));
    QCOMPARE(all(t, QStringLiteral("Texto")),
             QStringList({"t0", "t0", "t0", "t1", "t1", "t1", "t2", "t2"}));
    // Edited twice: the row is found again after it moved (PostgreSQL's ctid changes).
    t.First();
    t.Next();
    const TBookmark mark = t.GetBookmark();
    t.Edit();
    t.FieldByName(QStringLiteral("Numero"))->setValue(10);
    t.Post();
    t.Edit();
    t.FieldByName(QStringLiteral("Numero"))->setValue(11);
    t.Post();
    QCOMPARE(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM SINCLAVE WHERE Numero = 11")).toInt(),
             1);
    QCOMPARE(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM SINCLAVE WHERE Numero = 0")).toInt(),
             2);
    t.Delete();
    QCOMPARE(t.RecordCount(), 7);
    QCOMPARE(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM SINCLAVE WHERE Numero = 0")).toInt(),
             2);
    if (CurrentEngine() == Engine::Sqlite) QVERIFY(!t.BookmarkValid(mark));
    t.Append();
    t.FieldByName(QStringLiteral("Texto"))->setValue(QStringLiteral("t0"));
    t.Post();
    t.Edit();
    t.FieldByName(QStringLiteral("Numero"))->setValue(12);
    t.Post();
    QCOMPARE(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM SINCLAVE WHERE Numero = 12")).toInt(),
             1);
}

// A table reads every stored form into its field as a plain query's value
// converts, across pages, in the order of an index on a date column: SQLite
// keeps whatever a statement stored in any column, PostgreSQL's values reach
// the ends of their types.
void TestTable::storedFormsRead_data() {
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("literal");
    const QList<std::pair<const char*, const char*>> postgres{
        {"S", "'ñandú €'"},
        {"S", "''"},
        {"S", "NULL"},
        {"I", "-2147483648"},
        {"I", "2147483647"},
        {"I", "0"},
        {"I", "-7"},
        {"B", "true"},
        {"B", "false"},
        {"F", "0.1"},
        {"F", "1e308"},
        {"F", "'-0'"},
        {"F", "'Infinity'"},
        {"F", "5e-324"},
        {"F", "-1.5e-7"},
        {"C", "12.34"},
        {"D", "'1899-12-30'"},
        {"D", "'0001-01-01'"},
        {"D", "'9999-12-31'"},
        {"DT", "'2023-05-06 07:08:09.5'"},
        {"DT", "'2023-05-06 07:08:09'"},
        {"DT", "'2023-05-06 00:00:00'"},
        {"DT", "'1899-12-30 23:59:59.999'"},
        {"DT", "'2023-05-06 07:08:09.12'"},
        {"DT", "'2023-05-06 07:08:09.999999'"},
        {"DT", "'2023-05-06 07:08:09.1234'"},
        {"DT", "'2023-03-26 02:30:00'"},
        {"DT", "'2023-10-29 02:30:00'"},
        {"DT", "'0044-03-15 12:00:00 BC'"},
        {"DT", "'12023-05-06 07:08:09'"},
        {"DT", "'infinity'"},
        {"T", "'07:08:09'"},
        {"M", "'línea'"},
        {"G", "'\\x00ff27'"},
    };
    const QList<std::pair<const char*, const char*>> sqlite{
        {"S", "'texto'"},
        {"S", "''"},
        {"S", "'ñandú €'"},
        {"S", "42"},
        {"S", "1.5"},
        {"S", "X'6162'"},
        {"S", "NULL"},
        {"I", "7"},
        {"I", "-2147483648"},
        {"I", "'12'"},
        {"I", "'doce'"},
        {"I", "2.6"},
        {"I", "NULL"},
        {"B", "1"},
        {"B", "0"},
        {"B", "'S'"},
        {"B", "'no'"},
        {"B", "2.0"},
        {"F", "0.25"},
        {"F", "3"},
        {"F", "'1,5'"},
        {"F", "'x'"},
        {"D", "'2023-05-06'"},
        {"D", "'2023-05-06 07:08:09'"},
        {"D", "'2023-5-6'"},
        {"D", "'06/05/2023'"},
        {"D", "'2023-02-30'"},
        {"D", "45000"},
        {"D", "'２０２３-05-06'"},
        {"D", "NULL"},
        {"DT", "'2023-05-06'"},
        {"DT", "'2023-05-06 07:08:09'"},
        {"DT", "'2023-05-06 07:08:09.5'"},
        {"DT", "'2023-05-06T07:08'"},
        {"DT", "'2023-05-06 25:00'"},
        {"DT", "12.5"},
        {"T", "'07:08:09'"},
        {"T", "'2023-05-06 07:08:09'"},
        {"T", "'7:8'"},
        {"M", "'línea\r\notra'"},
        {"M", "5"},
        {"G", "X'00FF27'"},
        {"G", "'texto ñ'"},
        {"G", "X''"},
        {"G", "NULL"},
    };
    for (Engine e : AvailableEngines())
        for (const auto& [column, literal] : e == Engine::Sqlite ? sqlite : postgres)
            QTest::newRow(qPrintable(
                QStringLiteral("%1 %2 %3")
                    .arg(EngineTag(e), QLatin1String(column), QString::fromUtf8(literal))))
                << int(e) << QString::fromLatin1(column) << QString::fromUtf8(literal);
}

void TestTable::storedFormsRead() {
    QFETCH(QString, column);
    QFETCH(QString, literal);
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    defineValores(t);
    const TFieldDefList& f = t.FieldDefs();
    t.IndexDefs().Add(QStringLiteral("Fecha"), QStringLiteral("D;Id"), 0);
    t.CreateTable();
    // The same value in five rows, with dates around it for the date index.
    for (int id = 1; id <= 5; ++id)
        db->Execute(
            QStringLiteral("INSERT INTO VALORES (Id, D) VALUES (%1, '2023-01-0%1')").arg(id));
    db->Execute(QStringLiteral("UPDATE VALORES SET %1 = %2").arg(column, literal) +
                (column == u"D" ? QStringLiteral(" WHERE Id % 2 = 1") : QString()));

    // The oracle: the driver's value of each stored form, converted.
    QList<QList<QVariant>> expected;
    QStringList names;
    for (int i = 0; i < f.Count(); ++i) names << f[i].Name;
    QSqlQuery q = db->Execute(QStringLiteral("SELECT ") + names.join(u", ") +
                              QStringLiteral(" FROM VALORES ORDER BY D, Id"));
    while (q.next()) {
        QList<QVariant> row;
        for (int i = 0; i < names.size(); ++i)
            row << TTableCursor::fromStorage(q.value(i), f[i].DataType);
        expected << row;
    }
    QCOMPARE(expected.size(), 5);

    t.setIndexName(QStringLiteral("Fecha"));
    t.setPageSize(1, 2);
    t.Open();
    for (const bool forward : {true, false}) {
        int n = 0;
        for (forward ? t.First() : t.Last(); !(forward ? t.Eof() : t.Bof());
             forward ? t.Next() : t.Prior()) {
            const QList<QVariant>& want = expected[forward ? n : 4 - n];
            for (int i = 0; i < names.size(); ++i) {
                const QVariant have = t.FieldByName(names[i])->Value();
                QVERIFY2(have.typeId() == want[i].typeId() && have == want[i],
                         qPrintable(names[i] + QStringLiteral(": ") + have.toString() +
                                    QStringLiteral(" / ") + want[i].toString()));
            }
            ++n;
        }
        QCOMPARE(n, 5);
    }
}

QTEST_GUILESS_MAIN(TestTable)
#include "tst_table.moc"
