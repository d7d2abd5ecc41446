// TBatchMove between two databases of the same engine: every mode, field
// mappings, key violations with and without abort, values that do not fit,
// and the transaction it runs in.

#include <QDate>
#include <QTest>

#include "db/batchmove.h"
#include "support/dbfixture.h"
#include "tabletestutil.h"

using namespace tabletest;

namespace {

void createOrigen(TDatabase* db) {
    db->CreateTable(QStringLiteral("ORIGEN"),
                    {TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, true},
                     TFieldDef{QStringLiteral("Nombre"), ftString, 20, false},
                     TFieldDef{QStringLiteral("Fecha"), ftDate, 0, false}},
                    {QStringLiteral("Codigo")}, QStringLiteral("ORIGEN_Clave1"));
    QList<QVariantList> rows;
    for (int i = 1; i <= 5; ++i)
        rows << QVariantList{i, QStringLiteral("origen %1").arg(i),
                             QStringLiteral("2024-02-0%1").arg(i)};
    insertRows(db, QStringLiteral("ORIGEN"), {"Codigo", "Nombre", "Fecha"}, rows);
}

void createDestino(TDatabase* db, const QList<int>& codes) {
    db->CreateTable(QStringLiteral("DESTINO"),
                    {TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, true},
                     TFieldDef{QStringLiteral("Nombre"), ftString, 20, false},
                     TFieldDef{QStringLiteral("Fecha"), ftDate, 0, false}},
                    {QStringLiteral("Codigo")}, QStringLiteral("DESTINO_Clave1"));
    QList<QVariantList> rows;
    for (int c : codes) rows << QVariantList{c, QStringLiteral("destino %1").arg(c), QVariant()};
    insertRows(db, QStringLiteral("DESTINO"), {"Codigo", "Nombre", "Fecha"}, rows);
}

QStringList names(TDatabase* db, const QString& table,
                  const QString& field = QStringLiteral("Nombre")) {
    QStringList out;
    QSqlQuery q = db->Execute(QStringLiteral("SELECT ") + field + QStringLiteral(" FROM ") + table +
                              QStringLiteral(" ORDER BY 1"));
    while (q.next()) out << q.value(0).toString();
    return out;
}

// Two databases of the current engine, ORIGEN in the first, and a move from
// it into `destTable` of the second.
struct Setup {
    TestDatabase from{CurrentEngine(), QStringLiteral("Database")};
    TestDatabase to{CurrentEngine(), QStringLiteral("Otra")};
    TTable source, dest;
    TBatchMove move;
    explicit Setup(const QString& destTable) {
        createOrigen(from.db());
        source.setDatabaseName(QStringLiteral("Database"));
        source.setTableName(QStringLiteral("ORIGEN"));
        dest.setDatabaseName(QStringLiteral("Otra"));
        dest.setTableName(destTable);
        move.setSource(&source);
        move.setDestination(&dest);
    }
};

}  // namespace

class TestBatchMove : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void copyRecreates_data() { AddEngineRows(); }
    void copyRecreates();
    void appendAndKeyViolations_data() { AddEngineRows(); }
    void appendAndKeyViolations();
    void updateModesByKey_data() { AddEngineRows(); }
    void updateModesByKey();
    void mappingsAndProblems_data() { AddEngineRows(); }
    void mappingsAndProblems();
};

void TestBatchMove::copyRecreates() {
    Setup s(QStringLiteral("DESTINO"));
    TestDatabase& to = s.to;
    TTable& source = s.source;
    TTable& dest = s.dest;
    TBatchMove& move = s.move;
    createDestino(to.db(), {7, 8});
    move.setMode(batCopy);
    move.Execute();
    QCOMPARE(move.MovedCount(), 5);
    QVERIFY(!source.Active());
    QVERIFY(!dest.Active());
    dest.Open();
    QCOMPARE(dest.RecordCount(), 5);
    QCOMPARE(dest.FieldByName(QStringLiteral("Fecha"))->Value().toDate(), QDate(2024, 2, 1));
    QCOMPARE(dest.FieldByName(QStringLiteral("Nombre"))->Size(), 20);
    // The key came along.
    QVERIFY(dest.IndexDefs().PrimaryIndex() >= 0);
    QCOMPARE(dest.IndexFields(0)->FieldName(), QStringLiteral("Codigo"));
    dest.Append();
    dest.FieldByName(QStringLiteral("Codigo"))->setValue(3);
    QVERIFY_DBERROR(dest.Post(), DbError::KeyViolation, "Key violation");
    dest.Cancel();
}

void TestBatchMove::appendAndKeyViolations() {
    Setup s(QStringLiteral("DESTINO"));
    TestDatabase& to = s.to;
    TTable& dest = s.dest;
    TBatchMove& move = s.move;
    createDestino(to.db(), {2});
    move.setMode(batAppend);

    // Aborting undoes every record moved before the violation.
    QVERIFY_DBERROR(move.Execute(), DbError::KeyViolation, "Key violation");
    QCOMPARE(move.KeyViolCount(), 1);
    QCOMPARE(names(to.db(), QStringLiteral("DESTINO")), QStringList({"destino 2"}));
    QVERIFY(!to.db()->InTransaction());

    move.setAbortOnKeyViol(false);
    dest.Open();
    move.Execute();
    QVERIFY(dest.Active());
    QCOMPARE(move.MovedCount(), 4);
    QCOMPARE(move.KeyViolCount(), 1);
    QCOMPARE(dest.RecordCount(), 5);
    QCOMPARE(names(to.db(), QStringLiteral("DESTINO")),
             QStringList({"destino 2", "origen 1", "origen 3", "origen 4", "origen 5"}));

    // Inside the caller's transaction: nothing is committed by the move.
    to.db()->StartTransaction();
    to.db()->Execute(QStringLiteral("DELETE FROM DESTINO"));
    move.Execute();
    QCOMPARE(move.MovedCount(), 5);
    QVERIFY(to.db()->InTransaction());
    to.db()->Rollback();
    QCOMPARE(names(to.db(), QStringLiteral("DESTINO")).size(), 5);
    QCOMPARE(names(to.db(), QStringLiteral("DESTINO")).first(), QStringLiteral("destino 2"));
}

void TestBatchMove::updateModesByKey() {
    Setup s(QStringLiteral("DESTINO"));
    TestDatabase& from = s.from;
    TestDatabase& to = s.to;
    TTable& source = s.source;
    TTable& dest = s.dest;
    TBatchMove& move = s.move;
    createDestino(to.db(), {1, 2, 3});
    dest.setIndexFieldNames(QStringLiteral("Nombre"));

    move.setMode(batUpdate);
    dest.Open();
    move.Execute();
    QCOMPARE(move.MovedCount(), 3);
    QCOMPARE(names(to.db(), QStringLiteral("DESTINO")),
             QStringList({"origen 1", "origen 2", "origen 3"}));
    QCOMPARE(dest.IndexFieldNames(), QStringLiteral("Nombre"));  // the order is back

    from.db()->Execute(QStringLiteral("UPDATE ORIGEN SET Nombre = 'nuevo' WHERE Codigo = 2"));
    move.setMode(batAppendUpdate);
    move.Execute();
    QCOMPARE(move.MovedCount(), 5);
    QCOMPARE(names(to.db(), QStringLiteral("DESTINO")),
             QStringList({"nuevo", "origen 1", "origen 3", "origen 4", "origen 5"}));

    // Deleting what the (filtered) source holds.
    source.Open();
    source.OnFilterRecord = [](TDataSet* ds, bool& accept) {
        accept = ds->FieldByName(QStringLiteral("Codigo"))->AsInteger() % 2 == 0;
    };
    source.setFiltered(true);
    move.setMode(batDelete);
    move.Execute();
    QCOMPARE(move.MovedCount(), 2);
    QVERIFY(source.Active());
    QCOMPARE(names(to.db(), QStringLiteral("DESTINO"), QStringLiteral("Codigo")),
             QStringList({"1", "3", "5"}));

    // Finding needs a key.
    to.db()->Execute(QStringLiteral("CREATE TABLE SINCLAVE (Codigo INTEGER, Nombre VARCHAR(20))"));
    TTable keyless;
    keyless.setDatabaseName(QStringLiteral("Otra"));
    keyless.setTableName(QStringLiteral("SINCLAVE"));
    move.setDestination(&keyless);
    move.setMode(batUpdate);
    QVERIFY_DBERROR(move.Execute(), DbError::NoIndexActive, "No index currently active");
    QVERIFY(!keyless.Active());
}

void TestBatchMove::mappingsAndProblems() {
    Setup s(QStringLiteral("OTRA"));
    TestDatabase& from = s.from;
    TestDatabase& to = s.to;
    TBatchMove& move = s.move;
    from.db()->Execute(QStringLiteral("UPDATE ORIGEN SET Nombre = '12' WHERE Codigo <> 4"));
    to.db()->CreateTable(QStringLiteral("OTRA"),
                         {TFieldDef{QStringLiteral("Clave"), ftInteger, 0, true},
                          TFieldDef{QStringLiteral("Numero"), ftInteger, 0, false},
                          TFieldDef{QStringLiteral("Dia"), ftDate, 0, false}},
                         {QStringLiteral("Clave")}, QStringLiteral("OTRA_Clave1"));
    move.setMode(batAppendUpdate);
    move.setMappings({QStringLiteral("Clave=Codigo"), QStringLiteral(" Numero = Nombre "),
                      QStringLiteral("Dia=Fecha")});
    move.Execute();
    // "origen 4" is not a number: that record is a problem, the others move.
    QCOMPARE(move.MovedCount(), 4);
    QCOMPARE(move.ProblemCount(), 1);
    QCOMPARE(names(to.db(), QStringLiteral("OTRA"), QStringLiteral("Clave")),
             QStringList({"1", "2", "3", "5"}));
    QCOMPARE(to.db()->Scalar(QStringLiteral("SELECT Numero FROM OTRA WHERE Clave = 5")).toInt(),
             12);

    move.setMappings({QStringLiteral("Clave=Nada")});
    QVERIFY_DBERROR(move.Execute(), DbError::FieldNotFound, "Field 'Nada' not found");
}

QTEST_GUILESS_MAIN(TestBatchMove)
#include "tst_batchmove.moc"
