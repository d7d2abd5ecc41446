// Two users on one table: a write applies only to the row as it was read,
// and on PostgreSQL editing a record locks it against a second user without
// holding a transaction open.

#include <QTest>
#include <memory>

#include "support/dbfixture.h"
#include "tabletestutil.h"

using namespace tabletest;

namespace {

const char* kChanged = "A deadlock was detected";
const char* kDeleted = "Record/Key Deleted";
const char* kLocked = "Record locked by another user";

// One user's view: a second connection and a table on it.
struct User {
    std::unique_ptr<TDatabase> session;
    TTable table;
};

void setUp(TestDatabase& tdb) {
    TDatabase* db = tdb.db();
    db->CreateTable(QStringLiteral("FICHA"),
                    {TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, true},
                     TFieldDef{QStringLiteral("Nombre"), ftString, 20, false},
                     TFieldDef{QStringLiteral("Foto"), ftBlob, 0, false}},
                    {QStringLiteral("Codigo")}, QStringLiteral("FICHA_Clave1"));
    insertRows(db, QStringLiteral("FICHA"), {"Codigo", "Nombre", "Foto"},
               {{1, "uno", QByteArray("a")}, {2, "dos", QVariant()}, {3, "tres", QByteArray()}});
}

void openOn(TTable& t, const QString& database) {
    t.setDatabaseName(database);
    t.setTableName(QStringLiteral("FICHA"));
    t.Open();
}

QString nameOf(TDatabase* db, int codigo) {
    return db->Scalar(QStringLiteral("SELECT Nombre FROM FICHA WHERE Codigo = ?"), {codigo})
        .toString();
}

}  // namespace

class TestTableConcurrency : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void changedSinceRead_data() { AddEngineRows(); }
    void changedSinceRead();
    void deletedSinceRead_data() { AddEngineRows(); }
    void deletedSinceRead();
    void recordLocks();
    void lockNeedsNoTransaction();
};

void TestTableConcurrency::changedSinceRead() {
    TestDatabase tdb(CurrentEngine());
    setUp(tdb);
    auto other = tdb.openSecondSession(QStringLiteral("Otro"));
    TTable mine, theirs;
    openOn(mine, QStringLiteral("Database"));
    openOn(theirs, QStringLiteral("Otro"));

    // Both read record 1; the other user posts first.
    QVERIFY(mine.FindKey({1}));
    QVERIFY(theirs.FindKey({1}));
    theirs.Edit();
    theirs.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("suyo"));
    theirs.Post();
    mine.Edit();
    mine.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("mio"));
    QVERIFY_DBERROR(mine.Post(), DbError::RecordChanged, kChanged);
    QCOMPARE(mine.State(), dsEdit);
    QCOMPARE(nameOf(tdb.db(), 1), QStringLiteral("suyo"));
    mine.Cancel();
    // Deleting what changed since it was read fails too and deletes nothing.
    QVERIFY_DBERROR(mine.Delete(), DbError::RecordChanged, kChanged);
    QCOMPARE(nameOf(tdb.db(), 1), QStringLiteral("suyo"));
    // After a refresh the same edit goes through.
    mine.Refresh();
    QCOMPARE(mine.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("suyo"));
    mine.Edit();
    mine.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("mio"));
    mine.Post();
    QCOMPARE(nameOf(other.get(), 1), QStringLiteral("mio"));

    // A change in a column nobody edits here (a blob) is a change too.
    QVERIFY(mine.FindKey({3}));
    other->Execute(QStringLiteral("UPDATE FICHA SET Foto = ? WHERE Codigo = 3"), {QByteArray("x")});
    mine.Edit();
    mine.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("otro"));
    QVERIFY_DBERROR(mine.Post(), DbError::RecordChanged, kChanged);
    mine.Cancel();
    QCOMPARE(nameOf(tdb.db(), 3), QStringLiteral("tres"));
    // NULL read, NULL kept: no false alarm.
    QVERIFY(mine.FindKey({2}));
    mine.Edit();
    mine.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("DOS"));
    mine.Post();
    QCOMPARE(nameOf(other.get(), 2), QStringLiteral("DOS"));

    // Rows stored under a record's key are checked against it as read, by
    // the comparison a post gets: its own post is what it read (a NULL and
    // an empty blob kept), another user's change is refused, also from a
    // table of its own, until the record is read again, which keeps an
    // edit nothing was typed into.
    QVERIFY(mine.FindKey({2}));
    const TRowAsRead dos = mine.RowAsRead();
    mine.CheckUnchanged(dos);
    CheckRowAsRead(dos);
    // An edit nothing is typed into, as a line typed under the record makes.
    mine.Edit();
    other->Execute(
        QStringLiteral("UPDATE FICHA SET Nombre = 'a|b;c·d Łódź\nfin' WHERE Codigo = 2"));
    QVERIFY_DBERROR(mine.CheckUnchanged(mine.RowAsRead()), DbError::RecordChanged, kChanged);
    TRowAsRead suelto = dos;
    suelto.source = nullptr;
    QVERIFY_DBERROR(CheckRowAsRead(suelto), DbError::RecordChanged, kChanged);
    mine.RereadRecord();
    QCOMPARE(mine.State(), dsEdit);
    QCOMPARE(mine.FieldByName(QStringLiteral("Nombre"))->AsString(),
             QString::fromUtf8("a|b;c·d Łódź\nfin"));
    mine.CheckUnchanged(mine.RowAsRead());
    mine.Cancel();

    // The row as read follows its own table's posts, also once that table is
    // gone (a window closed after its clerk changed the record); a post
    // taken back with its transaction leaves the record as it stands again.
    TRowAsRead deUno;
    {
        TTable ventana;
        openOn(ventana, QStringLiteral("Database"));
        QVERIFY(ventana.FindKey({1}));
        deUno = ventana.RowAsRead();
        ventana.Edit();
        ventana.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("propio"));
        ventana.Post();
        tdb.db()->StartTransaction();
        ventana.Edit();
        ventana.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("deshecho"));
        const TDataSet::TEditSnapshot antes = ventana.SnapshotEdit();
        ventana.Post();
        tdb.db()->Rollback();
        ventana.RestoreEdit(antes);
        ventana.Cancel();
    }
    QCOMPARE(nameOf(other.get(), 1), QStringLiteral("propio"));
    CheckRowAsRead(deUno);
    other->Execute(QStringLiteral("UPDATE FICHA SET Nombre = 'ajeno' WHERE Codigo = 1"));
    QVERIFY_DBERROR(CheckRowAsRead(deUno), DbError::RecordChanged, kChanged);
}

void TestTableConcurrency::deletedSinceRead() {
    TestDatabase tdb(CurrentEngine());
    setUp(tdb);
    auto other = tdb.openSecondSession(QStringLiteral("Otro"));
    TTable mine, theirs;
    openOn(mine, QStringLiteral("Database"));
    openOn(theirs, QStringLiteral("Otro"));
    QVERIFY(mine.FindKey({2}));
    QVERIFY(theirs.FindKey({2}));
    theirs.Delete();
    mine.Edit();
    mine.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("mio"));
    QVERIFY_DBERROR(mine.Post(), DbError::RecordDeleted, kDeleted);
    mine.Cancel();
    QVERIFY_DBERROR(mine.Delete(), DbError::RecordDeleted, kDeleted);
    QCOMPARE(tdb.db()->Scalar(QStringLiteral("SELECT COUNT(*) FROM FICHA")).toInt(), 2);
    // Rows stored under its key are refused the same way; read again, it
    // stays as read for the caller to leave.
    const TRowAsRead leido = mine.RowAsRead();
    QVERIFY_DBERROR(mine.CheckUnchanged(leido), DbError::RecordDeleted, kDeleted);
    TRowAsRead suelto = leido;
    suelto.source = nullptr;
    QVERIFY_DBERROR(CheckRowAsRead(suelto), DbError::RecordDeleted, kDeleted);
    QVERIFY_DBERROR(mine.RereadRecord(), DbError::RecordDeleted, kDeleted);
    QCOMPARE(mine.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 2);

    // The gone record no longer shows after a refresh; the next one does.
    mine.Refresh();
    QCOMPARE(mine.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 3);
    QCOMPARE(mine.RecordCount(), 2);
    // Entered again under the same key, it is another record.
    other->Execute(QStringLiteral("INSERT INTO FICHA (Codigo, Nombre) VALUES (2, 'nuevo')"));
    try {
        CheckRowAsRead(suelto);
        QFAIL("the new record 2 taken for the one read");
    } catch (const EDatabaseError& e) {
        QVERIFY(e.code() == DbError::RecordChanged || e.code() == DbError::RecordDeleted);
    }
}

void TestTableConcurrency::recordLocks() {
    if (!AvailableEngines().contains(Engine::Postgres)) QSKIP("PostgreSQL is not configured");
    TestDatabase tdb(Engine::Postgres);
    setUp(tdb);
    auto other = tdb.openSecondSession(QStringLiteral("Otro"));
    TTable mine, theirs;
    openOn(mine, QStringLiteral("Database"));
    openOn(theirs, QStringLiteral("Otro"));
    QVERIFY(mine.FindKey({1}));
    QVERIFY(theirs.FindKey({1}));

    mine.Edit();
    QVERIFY_DBERROR(theirs.Edit(), DbError::RecordLocked, kLocked);
    QCOMPARE(theirs.State(), dsBrowse);
    QVERIFY_DBERROR(theirs.Delete(), DbError::RecordLocked, kLocked);
    QCOMPARE(nameOf(tdb.db(), 1), QStringLiteral("uno"));
    // Another record is free.
    theirs.Next();
    theirs.Edit();
    theirs.Cancel();
    theirs.Prior();

    mine.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("mio"));
    mine.Post();
    theirs.Refresh();
    theirs.Edit();  // free after the post
    QVERIFY_DBERROR(mine.Edit(), DbError::RecordLocked, kLocked);
    theirs.Cancel();
    mine.Edit();  // free after the cancel
    mine.Cancel();

    // A session that ends releases its locks.
    theirs.Edit();
    QVERIFY_DBERROR(mine.Edit(), DbError::RecordLocked, kLocked);
    theirs.Close();
    other->Close();
    mine.Edit();
    mine.Cancel();

    // A lock lost with the connection and taken by another session: the
    // post writes nothing while that one holds it, and takes it back first
    // once it is free.
    QVERIFY(mine.FindKey({2}));
    mine.Edit();
    mine.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("mio"));
    EndBackends({tdb.db()});
    auto third = tdb.openSecondSession(QStringLiteral("Tercero"));
    QVERIFY(third->TryLockRecord(QStringLiteral("FICHA"), QStringLiteral("2")));
    QVERIFY_DBERROR(mine.Post(), DbError::RecordLocked, kLocked);
    QCOMPARE(nameOf(third.get(), 2), QStringLiteral("dos"));
    third->UnlockRecord(QStringLiteral("FICHA"), QStringLiteral("2"));
    mine.Post();
    QCOMPARE(nameOf(third.get(), 2), QStringLiteral("mio"));
    mine.Edit();
    QVERIFY(!third->TryLockRecord(QStringLiteral("FICHA"), QStringLiteral("2")));
    mine.Cancel();
}

void TestTableConcurrency::lockNeedsNoTransaction() {
    if (!AvailableEngines().contains(Engine::Postgres)) QSKIP("PostgreSQL is not configured");
    TestDatabase tdb(Engine::Postgres);
    setUp(tdb);
    auto other = tdb.openSecondSession(QStringLiteral("Otro"));
    TTable editing, posting;
    openOn(editing, QStringLiteral("Database"));
    openOn(posting, QStringLiteral("Database"));
    QVERIFY(editing.FindKey({1}));
    editing.Edit();
    QVERIFY(!tdb.db()->InTransaction());
    // Posts of another dataset on the same connection are committed at once.
    posting.Append();
    posting.FieldByName(QStringLiteral("Codigo"))->setValue(9);
    posting.FieldByName(QStringLiteral("Nombre"))->setValue(QStringLiteral("nueve"));
    posting.Post();
    QVERIFY(posting.FindKey({2}));
    posting.Delete();
    QCOMPARE(nameOf(other.get(), 9), QStringLiteral("nueve"));
    QCOMPARE(other->Scalar(QStringLiteral("SELECT COUNT(*) FROM FICHA")).toInt(), 3);
    editing.Cancel();
}

QTEST_GUILESS_MAIN(TestTableConcurrency)
#include "tst_tableconcurrency.moc"
