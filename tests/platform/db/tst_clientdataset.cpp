// TClientDataSet: copying a dataset, taking a query's result read in packets,
// the change log, in-memory order, and applying the log to a table on every
// engine (all or nothing).

#include <QScopeGuard>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/database.h"
#include "db/dberror.h"
#include "db/dialect.h"
#include "db/query.h"
#include "db/table.h"
#include "support/dbfixture.h"

namespace {

void createPersonas(TDatabase* db) {
    const TFieldDefs defs{{QStringLiteral("Codigo"), ftInteger, 0, true},
                          {QStringLiteral("Nombre"), ftString, 20, false},
                          {QStringLiteral("Alta"), ftDate, 0, false}};
    for (const TFieldDef& d : defs) RegisterIdentifierSpelling(d.Name);
    db->Execute(db->dialect().createTable(QStringLiteral("PERSONAS"), defs,
                                          {QStringLiteral("Codigo")},
                                          QStringLiteral("PERSONAS_PK")));
    for (int i = 1; i <= 3; ++i)
        db->Execute(QStringLiteral("INSERT INTO PERSONAS (Codigo, Nombre, Alta) VALUES (?, ?, ?)"),
                    {i, QStringLiteral("N%1").arg(i), QStringLiteral("2024-01-0%1").arg(i)});
}

// Copies of the rows of PERSONAS of the "Database" session.
void loadPersonas(const QList<TClientDataSet*>& copies) {
    TQuery q;
    q.setDatabaseName(QStringLiteral("Database"));
    q.SQL().setText(QStringLiteral("SELECT Codigo, Nombre, Alta FROM PERSONAS ORDER BY Codigo"));
    q.Open();
    for (TClientDataSet* ds : copies) ds->LoadFromDataSet(&q);
}

QStringList column(TDataSet* ds, const QString& name) {
    QStringList out;
    ds->First();
    while (!ds->Eof()) {
        out << ds->FieldByName(name)->AsString();
        ds->Next();
    }
    return out;
}

QStringList tableNames(TDatabase* db) {
    QStringList out;
    QSqlQuery q = db->Execute(QStringLiteral("SELECT Nombre FROM PERSONAS ORDER BY Codigo"));
    while (q.next()) out << q.value(0).toString();
    return out;
}

}  // namespace

class TestClientDataSet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void changeLog();
    void indexOrder();
    void applyUpdates_data() { AddEngineRows(); }
    void applyUpdates();
    void applyFailureRollsBack_data() { AddEngineRows(); }
    void applyFailureRollsBack();
    void applyRefusesOtherUsersChanges_data() { AddEngineRows(); }
    void applyRefusesOtherUsersChanges();
    void readInPackets_data() { AddEngineRows(); }
    void readInPackets();
};

void TestClientDataSet::changeLog() {
    TClientDataSet ds;
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, ds.Open());  // no data yet
    ds.FieldDefs() = {{QStringLiteral("Codigo"), ftInteger, 0, false},
                      {QStringLiteral("Nombre"), ftString, 10, false}};
    ds.CreateDataSet();
    for (int i = 1; i <= 3; ++i) {
        ds.Append();
        ds.FieldByName(QStringLiteral("Codigo"))->setAsInteger(i);
        ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("N%1").arg(i));
        ds.Post();
    }
    QCOMPARE(ds.ChangeCount(), 3);
    QCOMPARE(ds.UpdateStatus(), usInserted);
    ds.MergeChangeLog();
    QCOMPARE(ds.ChangeCount(), 0);
    QCOMPARE(ds.UpdateStatus(), usUnmodified);

    ds.First();
    ds.Edit();
    ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("uno"));
    ds.Post();
    QCOMPARE(ds.UpdateStatus(), usModified);
    ds.Next();
    ds.Delete();
    QCOMPARE(ds.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 3);
    ds.Append();
    ds.FieldByName(QStringLiteral("Codigo"))->setAsInteger(4);
    ds.Post();
    ds.Append();
    ds.FieldByName(QStringLiteral("Codigo"))->setAsInteger(5);
    ds.Post();
    ds.Delete();  // an inserted row deleted again leaves no trace
    QCOMPARE(ds.ChangeCount(), 3);
    QCOMPARE(column(&ds, QStringLiteral("Codigo")), (QStringList{"1", "3", "4"}));

    ds.CancelUpdates();
    QCOMPARE(ds.ChangeCount(), 0);
    QCOMPARE(column(&ds, QStringLiteral("Nombre")), (QStringList{"N1", "N2", "N3"}));
    ds.Close();
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, ds.Open());  // closing drops the data
}

void TestClientDataSet::indexOrder() {
    TClientDataSet src;
    src.FieldDefs() = {{QStringLiteral("Nombre"), ftString, 10, false},
                       {QStringLiteral("Orden"), ftInteger, 0, false}};
    src.AddField(QStringLiteral("Nombre"));
    src.AddField(QStringLiteral("Orden"));
    TField* doble = src.AddField(QStringLiteral("Doble"), ftInteger, 0, fkCalculated);
    src.OnCalcFields = [](TDataSet* d) {
        d->FieldByName(QStringLiteral("Doble"))
            ->setAsInteger(2 * d->FieldByName(QStringLiteral("Orden"))->AsInteger());
    };
    src.CreateDataSet();
    const QStringList names{QStringLiteral("b"), QStringLiteral("Á"), QStringLiteral("B"),
                            QStringLiteral("a"), QString()};
    for (int i = 0; i < names.size(); ++i) {
        src.Append();
        if (!names[i].isNull()) src.FieldByName(QStringLiteral("Nombre"))->setAsString(names[i]);
        src.FieldByName(QStringLiteral("Orden"))->setAsInteger(i);
        src.Post();
    }
    src.First();
    src.Next();
    TClientDataSet copy;
    copy.LoadFromDataSet(&src);
    QCOMPARE(src.FieldByName(QStringLiteral("Orden"))->AsInteger(), 1);  // source kept its place
    QCOMPARE(copy.FieldCount(), 3);
    QCOMPARE(copy.FieldByName(QStringLiteral("Doble"))->DataType(), ftInteger);
    QCOMPARE(column(&copy, QStringLiteral("Doble")), (QStringList{"0", "2", "4", "6", "8"}));
    QCOMPARE(copy.ChangeCount(), 0);

    // Code-point order, NULL first; the current record stays current.
    copy.First();
    copy.Next();
    copy.setIndexFieldNames(QStringLiteral("Nombre"));
    QCOMPARE(copy.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("Á"));
    QCOMPARE(column(&copy, QStringLiteral("Nombre")), (QStringList{"", "B", "a", "b", "Á"}));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, copy.setIndexFieldNames(QStringLiteral("Nada")));
    QCOMPARE(copy.IndexFieldNames(), QStringLiteral("Nombre"));
    // A posted row takes its place in the order.
    copy.First();
    copy.Edit();
    copy.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("C"));
    copy.Post();
    QCOMPARE(column(&copy, QStringLiteral("Nombre")), (QStringList{"B", "C", "a", "b", "Á"}));
    copy.setIndexFieldNames(QStringLiteral("Orden"));
    QCOMPARE(column(&copy, QStringLiteral("Orden")), (QStringList{"0", "1", "2", "3", "4"}));
    Q_UNUSED(doble);
}

void TestClientDataSet::applyUpdates() {
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    createPersonas(db);
    TClientDataSet ds;
    loadPersonas({&ds});
    QCOMPARE(ds.FieldByName(QStringLiteral("Alta"))->AsString(), QStringLiteral("01/01/2024"));
    ds.Edit();
    ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Uno"));
    ds.Post();
    ds.Next();
    ds.Delete();
    ds.Append();
    ds.FieldByName(QStringLiteral("Codigo"))->setAsInteger(9);
    ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Nueve"));
    ds.FieldByName(QStringLiteral("Alta"))->setAsString(QStringLiteral("31/12/2024"));
    ds.Post();
    QCOMPARE(ds.ApplyUpdates(db, QStringLiteral("PERSONAS"), {QStringLiteral("Codigo")}), 0);
    QCOMPARE(ds.ChangeCount(), 0);
    QCOMPARE(tableNames(db), (QStringList{"Uno", "N3", "Nueve"}));
    QCOMPARE(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM PERSONAS WHERE Alta = ?"),
                        {QStringLiteral("2024-12-31")})
                 .toInt(),
             1);
    QVERIFY(!db->InTransaction());

    // Inside the caller's transaction: nothing confirmed by ApplyUpdates.
    db->StartTransaction();
    ds.First();
    ds.Edit();
    ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Otra vez"));
    ds.Post();
    ds.ApplyUpdates(db, QStringLiteral("PERSONAS"), {QStringLiteral("Codigo")});
    QVERIFY(db->InTransaction());
    db->Rollback();
    QCOMPARE(tableNames(db), (QStringList{"Uno", "N3", "Nueve"}));
}

void TestClientDataSet::applyFailureRollsBack() {
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    createPersonas(db);
    TClientDataSet ds;
    ds.FieldDefs() = {{QStringLiteral("Codigo"), ftInteger, 0, false},
                      {QStringLiteral("Nombre"), ftString, 20, false}};
    ds.CreateDataSet();
    ds.Append();
    ds.FieldByName(QStringLiteral("Codigo"))->setAsInteger(7);
    ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Siete"));
    ds.Post();
    ds.Append();
    ds.FieldByName(QStringLiteral("Codigo"))->setAsInteger(2);  // already in the table
    ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Dos"));
    ds.Post();
    try {
        ds.ApplyUpdates(db, QStringLiteral("PERSONAS"), {QStringLiteral("Codigo")});
        QFAIL("a duplicate key was applied");
    } catch (const EDatabaseError& e) {
        QCOMPARE(e.code(), DbError::KeyViolation);
    }
    QVERIFY(!db->InTransaction());
    QCOMPARE(ds.ChangeCount(), 2);                              // the log is intact
    QCOMPARE(tableNames(db), (QStringList{"N1", "N2", "N3"}));  // "Siete" rolled back

    // An update of a row another user deleted fails the same way.
    ds.MergeChangeLog();
    db->Execute(QStringLiteral("DELETE FROM PERSONAS WHERE Codigo = 7"));
    ds.First();
    ds.Edit();
    ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("x"));
    ds.Post();
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, ds.ApplyUpdates(db, QStringLiteral("PERSONAS"),
                                                             {QStringLiteral("Codigo")}));
    QCOMPARE(ds.ChangeCount(), 1);
}

// Two copies of one table edited at once: the second to apply finds the rows
// changed and is refused; nothing the first wrote is overwritten.
void TestClientDataSet::applyRefusesOtherUsersChanges() {
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    createPersonas(db);
    TClientDataSet first, second;
    loadPersonas({&first, &second});
    const QStringList keys{QStringLiteral("Codigo")};
    first.Edit();
    first.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Primero"));
    first.Post();
    first.Last();
    first.Edit();
    first.FieldByName(QStringLiteral("Alta"))->setAsString(QStringLiteral("05/05/2024"));
    first.Post();
    first.ApplyUpdates(db, QStringLiteral("PERSONAS"), keys);

    // Another column of the same row, a row deleted after the other's change.
    struct Caso {
        const char* what;
        std::function<void()> edit;
    };
    const QList<Caso> casos{
        {"update",
         [&] {
             second.First();
             second.Edit();
             second.FieldByName(QStringLiteral("Alta"))->setAsString(QStringLiteral("09/09/2024"));
             second.Post();
         }},
        {"delete",
         [&] {
             second.Last();
             second.Delete();
         }},
    };
    for (const Caso& c : casos) {
        second.CancelUpdates();
        c.edit();
        try {
            second.ApplyUpdates(db, QStringLiteral("PERSONAS"), keys);
            QFAIL(c.what);
        } catch (const EDatabaseError& e) {
            QCOMPARE(int(e.code()), int(DbError::RecordChanged));
        }
        QCOMPARE(second.ChangeCount(), 1);
        QVERIFY(!db->InTransaction());
        QCOMPARE(tableNames(db), (QStringList{"Primero", "N2", "N3"}));
        QCOMPARE(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM PERSONAS WHERE Alta = ?"),
                            {QStringLiteral("2024-05-05")})
                     .toInt(),
                 1);
    }
    // A row nobody else touched is written.
    second.CancelUpdates();
    second.First();
    second.Next();
    second.Edit();
    second.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Segundo"));
    second.Post();
    second.ApplyUpdates(db, QStringLiteral("PERSONAS"), keys);
    QCOMPARE(tableNames(db), (QStringList{"Primero", "Segundo", "N3"}));
}

// A query's result taken over while most of it is still to be read: the
// first rows are there at once; whatever needs them all, or another statement
// on the connection, reads the rest, and nothing is lost or read twice.
void TestClientDataSet::readInPackets() {
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    createPersonas(db);
    for (int i = 4; i <= 30; ++i)
        db->Execute(QStringLiteral("INSERT INTO PERSONAS (Codigo, Nombre, Alta) VALUES (?, ?, ?)"),
                    {i, QStringLiteral("N%1").arg(i), QStringLiteral("2024-02-%1").arg(i - 2, 2, 10, QChar(u'0'))});
    // An engine error after the first rows (PostgreSQL streams them; the
    // table as written is read in its order) is reported when reached; the
    // rows before it stay.
    if (CurrentEngine() == Engine::Postgres) {
        TQuery q;
        q.setDatabaseName(QStringLiteral("Database"));
        q.SQL().setText(QStringLiteral("SELECT Codigo, 100 / (Codigo - 20) AS R FROM PERSONAS"));
        q.setPacketRecords(4);
        q.Open();
        TClientDataSet ds;
        ds.LoadFromQuery(&q);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, ds.Last());
        QCOMPARE(ds.RecordCount(), 19);
    }
    QStringList all;
    for (int i = 1; i <= 30; ++i) all << QString::number(i);
    struct Caso {
        const char* what;
        std::function<QStringList(TClientDataSet&)> after;
        QStringList expected;
        bool inTransaction = false;  // the query opened inside one
    };
    // Pages of one row, so that each step reads the table again.
    const auto table = std::make_shared<TTable>();
    table->setDatabaseName(QStringLiteral("Database"));
    table->setTableName(QStringLiteral("PERSONAS"));
    table->setPageSize(1, 1);
    const QList<Caso> casos{
        {"navigation", [](TClientDataSet& ds) { return column(&ds, QStringLiteral("Codigo")); },
         all},
        {"last and count",
         [](TClientDataSet& ds) {
             ds.Last();
             return QStringList{ds.FieldByName(QStringLiteral("Codigo"))->AsString(),
                                ds.FieldByName(QStringLiteral("Alta"))->AsString(),
                                QString::number(ds.RecordCount())};
         },
         {"30", "28/02/2024", "30"}},
        {"another statement first",
         [db](TClientDataSet& ds) {
             db->Execute(QStringLiteral("UPDATE PERSONAS SET Nombre = 'X'"));
             QStringList out{db->ReadsPending() ? "pending" : "read"};
             return out + column(&ds, QStringLiteral("Nombre")).mid(26);
         },
         {"read", "N27", "N28", "N29", "N30"}},
        // A table open and on its first page before the query: its next
        // pages are read on the connection while the query's rest is due.
        {"a table walked in the transaction",
         [table](TClientDataSet& ds) {
             int n = 1;
             for (table->Next(); !table->Eof(); table->Next()) ++n;
             return QStringList{QString::number(n), QString::number(table->RecordCount())} +
                    column(&ds, QStringLiteral("Codigo")).mid(26);
         },
         {"30", "30", "27", "28", "29", "30"},
         true},
        {"filter",
         [](TClientDataSet& ds) {
             ds.setFilter(QStringLiteral("Codigo > 27"));
             ds.setFiltered(true);
             return QStringList{QString::number(ds.RecordCount())} +
                    column(&ds, QStringLiteral("Codigo"));
         },
         {"3", "28", "29", "30"}},
        {"index",
         [](TClientDataSet& ds) {
             ds.setIndexFieldNames(QStringLiteral("Nombre"));
             return column(&ds, QStringLiteral("Codigo")).mid(0, 3);
         },
         {"1", "10", "11"}},
        {"insert and apply",
         [db](TClientDataSet& ds) {
             ds.Edit();
             ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Uno"));
             ds.Post();
             ds.Append();
             ds.FieldByName(QStringLiteral("Codigo"))->setAsInteger(31);
             ds.Post();
             ds.ApplyUpdates(db, QStringLiteral("PERSONAS"), {QStringLiteral("Codigo")});
             return QStringList{column(&ds, QStringLiteral("Codigo")).last(),
                                QString::number(ds.RecordCount()), tableNames(db).first(),
                                QString::number(tableNames(db).size())};
         },
         {"31", "31", "Uno", "31"}},
        {"database closed",
         [db](TClientDataSet& ds) {
             db->Close();
             const QStringList out = column(&ds, QStringLiteral("Codigo"));
             db->Open();
             return out;
         },
         all},
        {"closed unread",
         [db](TClientDataSet& ds) {
             ds.Close();
             return QStringList{db->ReadsPending() ? "pending" : "none",
                                QString::number(tableNames(db).size())};
         },
         {"none", "30"}},
    };
    for (const Caso& c : casos) {
        db->Execute(QStringLiteral("DELETE FROM PERSONAS WHERE Codigo > 30"));
        db->Execute(QStringLiteral("UPDATE PERSONAS SET Nombre = 'N' || Codigo"));
        if (c.inTransaction) {
            db->StartTransaction();
            table->Open();
            table->First();
        }
        const auto ended = qScopeGuard([db, table] {
            table->Close();
            if (db->InTransaction()) db->Rollback();
        });
        TQuery q;
        q.setDatabaseName(QStringLiteral("Database"));
        q.SQL().setText(
            QStringLiteral("SELECT Codigo, Nombre, Alta FROM PERSONAS ORDER BY Codigo"));
        q.setPacketRecords(4);
        q.Open();
        TClientDataSet ds;
        ds.LoadFromQuery(&q);
        QVERIFY2(!q.Active(), c.what);
        QVERIFY2(db->ReadsPending(), c.what);
        const QVector<TRow> shown = ds.ReadRows(TBookmark(), 3);
        QCOMPARE(shown.size(), 3);
        QCOMPARE(ds.FieldByName(QStringLiteral("Alta"))->AsString(), QStringLiteral("01/01/2024"));
        QVERIFY2(db->ReadsPending(), c.what);
        QCOMPARE(c.after(ds), c.expected);
    }
}

QTEST_MAIN(TestClientDataSet)
#include "tst_clientdataset.moc"
