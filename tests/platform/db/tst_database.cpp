// Connections, transactions, error mapping, catalog and the session registry,
// over every configured engine.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <memory>

#include "db/dberror.h"
#include "db/query.h"
#include "db/table.h"
#include "support/dbfixture.h"

namespace {

// Runs `f` and gives the database error it raised (code General when none).
template <typename F>
EDatabaseError errorOf(F f) {
    try {
        f();
    } catch (const EDatabaseError& e) {
        return e;
    }
    return EDatabaseError(DbError::General, QStringLiteral("<no error>"));
}

#define QVERIFY_DBERROR(expr, expectedCode, expectedText)                                    \
    do {                                                                                     \
        const EDatabaseError e_ = errorOf([&] { expr; });                                    \
        QCOMPARE(int(e_.code()), int(expectedCode));                                         \
        if (!QString(expectedText).isEmpty()) QCOMPARE(e_.Message(), QString(expectedText)); \
    } while (0)

int countRows(TDatabase* db, const QString& table) {
    return db->Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt();
}

void makePeople(TDatabase* db) {
    db->CreateTable(QStringLiteral("Personas"),
                    {{QStringLiteral("Codigo"), ftInteger, 0, true},
                     {QStringLiteral("Nombre"), ftString, 30, true},
                     {QStringLiteral("Notas"), ftMemo, 0, false}},
                    {QStringLiteral("Codigo")}, QStringLiteral("Personas_Clave1"));
}

// The child role of the crash test: commits rows 1-3, leaves 4-6 in an open
// transaction, says "ready" and waits to be killed.
int runCrashChild(const QStringList& args) {
    const Engine engine = Engine(args.value(0).toInt());
    TConnectionParams p;
    if (engine == Engine::Postgres) {
        p = PostgresServerParams();
        p.schema = args.value(1);
    } else {
        p.folder = args.value(1);
    }
    TDatabase db;
    db.Params() = p;
    db.Open();
    for (int i = 1; i <= 3; ++i)
        db.Execute(QStringLiteral("INSERT INTO Personas (Codigo, Nombre) VALUES (?, ?)"),
                   {i, QStringLiteral("committed")});
    db.StartTransaction();
    for (int i = 4; i <= 6; ++i)
        db.Execute(QStringLiteral("INSERT INTO Personas (Codigo, Nombre) VALUES (?, ?)"),
                   {i, QStringLiteral("pending")});
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    QThread::sleep(120);
    return 0;
}

}  // namespace

class TstDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void openMissingCreatesNothing_data() { AddEngineRows(); }
    void openMissingCreatesNothing();
    void copyOfTheFileHoldsConfirmedWork_data();
    void copyOfTheFileHoldsConfirmedWork();
    void createDatabase_data() { AddEngineRows(); }
    void createDatabase();
    void transactionsDoNotNest_data() { AddEngineRows(); }
    void transactionsDoNotNest();
    void errorMapping_data() { AddEngineRows(); }
    void errorMapping();
    void failedStatementKeepsTransaction_data() { AddEngineRows(); }
    void failedStatementKeepsTransaction();
    void busyIsRecordLocked_data() { AddEngineRows(); }
    void busyIsRecordLocked();
    void recordLocks_data() { AddEngineRows(); }
    void recordLocks();
    void failedCommitEndsTransaction_data() { AddEngineRows(); }
    void failedCommitEndsTransaction();
    void nulInText_data() { AddEngineRows(); }
    void nulInText();
    void loneSurrogates_data() { AddEngineRows(); }
    void loneSurrogates();
    void lostConnection_data() { AddEngineRows(); }
    void lostConnection();
    void preparedStatements_data() { AddEngineRows(); }
    void preparedStatements();
    void catalogRoundTrip_data() { AddEngineRows(); }
    void catalogRoundTrip();
    void valuesKeepTheirType_data() { AddEngineRows(); }
    void valuesKeepTheirType();
    void autoIncrement_data() { AddEngineRows(); }
    void autoIncrement();
    void generalVisibleWithoutPrefix_data() { AddEngineRows(); }
    void generalVisibleWithoutPrefix();
    void sessionResolution_data() { AddEngineRows(); }
    void sessionResolution();
    void crashKeepsOnlyCommittedRows_data() { AddEngineRows(); }
    void crashKeepsOnlyCommittedRows();
    void unsupportedEngine();
};

void TstDatabase::openMissingCreatesNothing() {
    const Engine engine = CurrentEngine();
    TDatabase db;
    if (engine == Engine::Sqlite) {
        QTemporaryDir tmp;
        const QString missingFolder = tmp.path() + QStringLiteral("/nada");
        db.Params().folder = missingFolder;
        QVERIFY_DBERROR(db.Open(), DbError::DatabaseNotFound, "Path not found");
        QVERIFY(!QFile::exists(missingFolder));
        // A folder without its file, written the Windows way.
        db.Params().folder = QString(tmp.path()).replace(QLatin1Char('/'), QLatin1Char('\\'));
        QVERIFY_DBERROR(db.Open(), DbError::DatabaseNotFound, "Path not found");
        QVERIFY(QDir(tmp.path()).isEmpty());
        QVERIFY(!db.Connected());
        QVERIFY(!TDatabase::DatabaseExists(db.Params()));
        // An attachment whose file is missing is refused as well.
        TestDatabase company(Engine::Sqlite, QStringLiteral("Empresa"));
        TDatabase withAttach;
        withAttach.Params() = company.params();
        withAttach.Params().attach = {{QStringLiteral("general"), tmp.path()}};
        QVERIFY_DBERROR(withAttach.Open(), DbError::DatabaseNotFound, "Path not found");
        QVERIFY(QDir(tmp.path()).isEmpty());
    } else {
        TestDatabase server(engine, QStringLiteral("Servidor"));
        db.Params() = PostgresServerParams();
        db.Params().schema = QStringLiteral("no_existe_") + server.location();
        QVERIFY_DBERROR(db.Open(), DbError::DatabaseNotFound, "Path not found");
        QVERIFY(!TDatabase::DatabaseExists(db.Params()));
        // An unreachable server is a connection failure that shows no password.
        TDatabase away;
        away.Params() = PostgresServerParams();
        away.Params().port = 1;
        away.Params().password = QStringLiteral("s3creta");
        const EDatabaseError e = errorOf([&] { away.Open(); });
        QCOMPARE(int(e.code()), int(DbError::ConnectionFailed));
        QCOMPARE(e.Message(), QStringLiteral("Unable to open database"));
        QVERIFY(!e.detail().contains(QLatin1String("s3creta")));
    }
}

void TstDatabase::createDatabase() {
    const Engine engine = CurrentEngine();
    TConnectionParams p;
    QTemporaryDir tmp;
    std::unique_ptr<TestDatabase> server;
    if (engine == Engine::Sqlite) {
        p.folder = tmp.path() + QStringLiteral("/nueva");
        QVERIFY_DBERROR(TDatabase::CreateDatabase(p), DbError::DatabaseNotFound, "Path not found");
        QVERIFY(!QFile::exists(p.folder));
        QVERIFY(QDir().mkdir(p.folder));
    } else {
        server = std::make_unique<TestDatabase>(engine, QStringLiteral("Servidor"));
        p = PostgresServerParams();
        p.schema = server->location() + QStringLiteral("_EMP2");  // created lower-cased
    }
    QVERIFY(!TDatabase::DatabaseExists(p));
    TDatabase::CreateDatabase(p);
    QVERIFY(TDatabase::DatabaseExists(p));
    TDatabase::CreateDatabase(p);  // again: nothing to do
    TDatabase db;
    db.Params() = p;
    db.Open();
    QVERIFY(db.Connected());
    db.Execute(QStringLiteral("CREATE TABLE Prueba (A INTEGER)"));
    QVERIFY(db.TableExists(QStringLiteral("PRUEBA")));
    if (engine == Engine::Postgres) {
        db.Execute(QStringLiteral("DROP SCHEMA ") + p.schema.toLower() +
                   QStringLiteral(" CASCADE"));
    }
    db.Close();
    QVERIFY(!db.Connected());
}

void TstDatabase::transactionsDoNotNest() {
    TestDatabase t(CurrentEngine());
    TDatabase* db = t.db();
    QVERIFY_DBERROR(db->Commit(), DbError::NotInTransaction, "No active transaction");
    QVERIFY_DBERROR(db->Rollback(), DbError::NotInTransaction, "No active transaction");
    db->StartTransaction();
    QVERIFY(db->InTransaction());
    QVERIFY_DBERROR(db->StartTransaction(), DbError::TransactionActive,
                    "Database already has an active transaction");
    QVERIFY(db->InTransaction());
    makePeople(db);  // inside the caller's transaction
    db->Rollback();
    QVERIFY(!db->InTransaction());
    QVERIFY(!db->TableExists(QStringLiteral("Personas")));
    makePeople(db);  // a transaction of its own
    QVERIFY(!db->InTransaction());
    QVERIFY(db->TableExists(QStringLiteral("Personas")));
}

void TstDatabase::errorMapping() {
    TestDatabase t(CurrentEngine());
    TDatabase* db = t.db();
    makePeople(db);
    const QString insert = QStringLiteral("INSERT INTO Personas (Codigo, Nombre) VALUES (?, ?)");
    db->Execute(insert, {1, QStringLiteral("Ana")});
    QVERIFY_DBERROR(db->Execute(insert, {1, QStringLiteral("Otra")}), DbError::KeyViolation,
                    "Key violation");
    QVERIFY_DBERROR(db->Execute(insert, {2, QVariant()}), DbError::FieldRequired,
                    "Field 'Nombre' must have a value");
    QVERIFY_DBERROR(db->Execute(QStringLiteral("SELECT * FROM NoExiste")), DbError::TableNotFound,
                    "Table does not exist");
    QVERIFY_DBERROR(db->Execute(QStringLiteral("SELECT Apellidos FROM Personas")),
                    DbError::FieldNotFound, "");
    const EDatabaseError syntax =
        errorOf([&] { db->Execute(QStringLiteral("SELEC * FROM Personas")); });
    QCOMPARE(int(syntax.code()), int(DbError::SqlError));
    QVERIFY2(syntax.Message().contains(QLatin1String("syntax error")),
             qPrintable(syntax.Message()));
    QCOMPARE(syntax.detail(), QStringLiteral("SELEC * FROM Personas"));
    // The same through a prepared statement.
    QSqlQuery& q = db->Prepared(insert);
    q.addBindValue(1);
    q.addBindValue(QStringLiteral("Dup"));
    QVERIFY_DBERROR(db->Run(q), DbError::KeyViolation, "Key violation");
    // The statement is reported as the caller wrote it, values bound in turn.
    TDatabase::BindValues(q, {1, QStringLiteral("Dup")});
    const QString reported = errorOf([&] { db->Run(q); }).detail();
    QVERIFY2(reported.endsWith(QLatin1String("\n") + insert), qPrintable(reported));
    QCOMPARE(countRows(db, QStringLiteral("Personas")), 1);
}

void TstDatabase::failedStatementKeepsTransaction() {
    TestDatabase t(CurrentEngine());
    TDatabase* db = t.db();
    makePeople(db);
    const QString insert = QStringLiteral("INSERT INTO Personas (Codigo, Nombre) VALUES (?, ?)");
    db->StartTransaction();
    db->Execute(insert, {1, QStringLiteral("Ana")});
    QVERIFY_DBERROR(db->Execute(insert, {1, QStringLiteral("Dup")}), DbError::KeyViolation, "");
    // What a routine does when a table is missing: a silent drop, then create.
    QVERIFY_DBERROR(db->Execute(QStringLiteral("DROP TABLE NoExiste")), DbError::TableNotFound, "");
    QSqlQuery& q = db->Prepared(insert);
    q.addBindValue(1);
    q.addBindValue(QStringLiteral("Dup"));
    QVERIFY_DBERROR(db->Run(q), DbError::KeyViolation, "");
    db->Execute(insert, {2, QStringLiteral("Benito")});
    db->Execute(insert, {3, QStringLiteral("Carmen")});
    // A result read inside the transaction keeps every row, direct or prepared.
    QSqlQuery all = db->Execute(QStringLiteral("SELECT Nombre FROM Personas ORDER BY Codigo"));
    QStringList names;
    while (all.next()) names << all.value(0).toString();
    QCOMPARE(names, QStringList({"Ana", "Benito", "Carmen"}));
    QSqlQuery& sel = db->Prepared(QStringLiteral("SELECT Codigo FROM Personas WHERE Codigo > ?"));
    sel.addBindValue(0);
    db->Run(sel);
    int rows = 0;
    while (sel.next()) ++rows;
    sel.finish();
    QCOMPARE(rows, 3);
    db->Commit();
    QCOMPARE(countRows(db, QStringLiteral("Personas")), 3);
}

void TstDatabase::busyIsRecordLocked() {
    TestDatabase t(CurrentEngine());
    makePeople(t.db());
    t.db()->Execute(QStringLiteral("INSERT INTO Personas (Codigo, Nombre) VALUES (1, 'Ana')"));
    TDatabase other;
    other.Params() = t.params();
    other.Params().busyTimeoutMs = 100;
    other.Open();
    t.db()->StartTransaction();
    t.db()->Execute(QStringLiteral("UPDATE Personas SET Nombre = 'Uno' WHERE Codigo = 1"));
    QVERIFY_DBERROR(
        other.Execute(QStringLiteral("UPDATE Personas SET Nombre = 'Dos' WHERE Codigo = 1")),
        DbError::RecordLocked, "Record locked by another user");
    // Readers are not blocked and see the committed value.
    QCOMPARE(other.Scalar(QStringLiteral("SELECT Nombre FROM Personas")).toString(),
             QStringLiteral("Ana"));
    t.db()->Commit();
    other.Execute(QStringLiteral("UPDATE Personas SET Nombre = 'Dos' WHERE Codigo = 1"));
    QCOMPARE(t.db()->Scalar(QStringLiteral("SELECT Nombre FROM Personas")).toString(),
             QStringLiteral("Dos"));
}

void TstDatabase::recordLocks() {
    const Engine engine = CurrentEngine();
    TestDatabase t(engine);
    auto second = t.openSecondSession(QStringLiteral("Segunda"));
    TDatabase* first = t.db();
    QVERIFY(first->TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1")));
    QVERIFY(first->TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1")));  // nested
    if (engine == Engine::Sqlite) {
        // SQLite keeps no record locks: a post checks for changes instead.
        QVERIFY(second->TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1")));
        return;
    }
    QVERIFY(!second->TryLockRecord(QStringLiteral("personal"), QStringLiteral("1")));
    QVERIFY(second->TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("2")));
    QVERIFY(second->TryLockRecord(QStringLiteral("CANDIDAT"), QStringLiteral("1")));
    first->UnlockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1"));
    QVERIFY(!second->TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1")));
    first->UnlockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1"));
    QVERIFY(second->TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1")));
    // Locks need no transaction and survive one that rolls back.
    second->StartTransaction();
    QVERIFY(second->TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("3")));
    second->Rollback();
    QVERIFY(!first->TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("3")));
    // Closing a session ends all its locks by the time Close returns.
    second->Close();
    QVERIFY(first->TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1")));
    QVERIFY(first->TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("3")));

    // The same key of the same table in another company is another record; a
    // table both companies reach through the search path is one.
    TestDatabase other(engine, QStringLiteral("OtraEmpresa"));
    QVERIFY(other.db()->TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1")));
    first->Execute(QStringLiteral("CREATE TABLE Compartida (A INTEGER)"));
    TDatabase reader;
    reader.setDatabaseName(QStringLiteral("Lectora"));
    reader.Params() = other.params();
    reader.Params().searchPath = QStringList{t.location()};
    reader.Open();
    QVERIFY(first->TryLockRecord(QStringLiteral("Compartida"), QStringLiteral("5")));
    QVERIFY(!reader.TryLockRecord(QStringLiteral("COMPARTIDA"), QStringLiteral("5")));
    first->UnlockRecord(QStringLiteral("Compartida"), QStringLiteral("5"));
    QVERIFY(reader.TryLockRecord(QStringLiteral("COMPARTIDA"), QStringLiteral("5")));
    // A table that does not exist is locked in the connection's own schema.
    QVERIFY(!reader.TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1")));
    QVERIFY(other.db()->TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1")));
    other.db()->UnlockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1"));
    other.db()->UnlockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1"));
    QVERIFY(reader.TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("1")));
}

void TstDatabase::failedCommitEndsTransaction() {
    const Engine engine = CurrentEngine();
    TestDatabase t(engine);
    TDatabase* db = t.db();
    // A constraint checked at COMMIT makes it fail the way a full disk does.
    if (engine == Engine::Sqlite) db->Execute(QStringLiteral("PRAGMA foreign_keys = ON"));
    db->Execute(QStringLiteral("CREATE TABLE Padre (Codigo INTEGER PRIMARY KEY)"));
    db->Execute(
        QStringLiteral("CREATE TABLE Hijo (Codigo INTEGER, Padre INTEGER REFERENCES "
                       "Padre (Codigo) DEFERRABLE INITIALLY DEFERRED)"));
    db->StartTransaction();
    db->Execute(QStringLiteral("INSERT INTO Hijo VALUES (1, 99)"));
    QVERIFY(errorOf([&] { db->Commit(); }).code() != DbError::General);
    QVERIFY(!db->InTransaction());
    QCOMPARE(countRows(db, QStringLiteral("Hijo")), 0);
    // Nothing is left open: the next unit of work starts and commits.
    db->StartTransaction();
    db->Execute(QStringLiteral("INSERT INTO Padre VALUES (99)"));
    db->Execute(QStringLiteral("INSERT INTO Hijo VALUES (1, 99)"));
    db->Commit();
    QCOMPARE(countRows(t.openSecondSession(QStringLiteral("Otra")).get(), QStringLiteral("Hijo")),
             1);
}

void TstDatabase::nulInText() {
    const Engine engine = CurrentEngine();
    TestDatabase t(engine);
    TDatabase* db = t.db();
    makePeople(db);
    const QString value = QStringLiteral("Ana") + QChar(0) + QStringLiteral("Luisa");
    const QString insert = QStringLiteral("INSERT INTO Personas (Codigo, Nombre) VALUES (?, ?)");
    if (engine == Engine::Sqlite) {
        db->Execute(insert, {1, value});
        QCOMPARE(db->Scalar(QStringLiteral("SELECT Nombre FROM Personas")).toString(), value);
        return;
    }
    const QString message = QStringLiteral(
        "¡ El texto contiene el carácter nulo (código 0), que la base de datos no puede guardar !");
    db->StartTransaction();
    QVERIFY_DBERROR(db->Execute(insert, {1, value}), DbError::InvalidValue, message);
    QVERIFY_DBERROR(
        db->Execute(QStringLiteral("INSERT INTO Personas (Codigo, Nombre) VALUES (2, ") +
                    SqlDialect::quoteString(value) + QLatin1Char(')')),
        DbError::InvalidValue, message);
    QSqlQuery& q = db->Prepared(insert);
    q.addBindValue(3);
    q.addBindValue(value);
    QVERIFY_DBERROR(db->Run(q), DbError::InvalidValue, message);
    // The transaction is still usable.
    db->Execute(insert, {4, QStringLiteral("Ana")});
    db->Commit();
    QCOMPARE(countRows(db, QStringLiteral("Personas")), 1);
}

// A lone surrogate is stored as U+FFFD: SQLite used to take it as half of a
// pair and swallow the character after it ("ab\uD800\uDC63d").
void TstDatabase::loneSurrogates() {
    TestDatabase t(CurrentEngine());
    TDatabase* db = t.db();
    makePeople(db);
    const QString lone = QStringLiteral("ab") + QChar(0xD800) + QStringLiteral("cd");
    const QString stored =
        QStringLiteral("ab") + QChar(QChar::ReplacementCharacter) + QStringLiteral("cd");
    const QString pair = QStringLiteral("a") + QChar(0xD83D) + QChar(0xDE00) + QStringLiteral("b");
    const QString lowFirst = QChar(0xDC00) + QStringLiteral("x") + QChar(0xD800);
    const QString insert = QStringLiteral("INSERT INTO Personas (Codigo, Nombre) VALUES (?, ?)");
    db->Execute(insert, {1, lone});
    db->Execute(insert, {2, pair});
    db->Execute(insert, {3, lowFirst});
    db->StartTransaction();
    QSqlQuery& q = db->Prepared(insert);
    q.addBindValue(4);
    q.addBindValue(lone);
    db->Run(q);
    db->Execute(QStringLiteral("INSERT INTO Personas (Codigo, Nombre) VALUES (5, ") +
                SqlDialect::quoteString(lone) + QLatin1Char(')'));
    db->Commit();
    auto nombre = [db](int codigo) {
        return db->Scalar(QStringLiteral("SELECT Nombre FROM Personas WHERE Codigo = ?"), {codigo})
            .toString();
    };
    for (int codigo : {1, 4, 5}) QCOMPARE(nombre(codigo), stored);
    QCOMPARE(nombre(2), pair);
    QCOMPARE(nombre(3), QChar(QChar::ReplacementCharacter) + QStringLiteral("x") +
                            QChar(QChar::ReplacementCharacter));
    // A search with the same text finds what was stored.
    QCOMPARE(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM Personas WHERE Nombre = ?"), {lone})
                 .toInt(),
             3);
}

// A PostgreSQL connection the server ends (a restart, a terminated backend)
// is told in Spanish with what was not saved, and the next action opens it
// again, with the record locks it held, or says which it could not take.
// A transaction it ended stays lost until ended: nothing runs outside it.
// One ended while idle is opened again by the next statement, silently.
void TstDatabase::lostConnection() {
    if (CurrentEngine() != Engine::Postgres) QSKIP("only a server connection can be lost");
    TestDatabase t(Engine::Postgres);
    TDatabase* db = t.db();
    makePeople(db);
    const auto other = t.openSecondSession(QStringLiteral("Otra"));
    auto endBackend = [db] { EndBackends({db}); };
    const QString lost =
        QStringLiteral("¡ Se ha perdido la conexión con el servidor de la Base de Datos !. ");
    const QString again = QStringLiteral(" La conexión se restablecerá en la próxima operación.");
    const QString insert = QStringLiteral("INSERT INTO Personas (Codigo, Nombre) VALUES (?, ?)");
    db->Execute(insert, {1, QStringLiteral("Ana")});
    QVERIFY(db->TryLockRecord(QStringLiteral("Personas"), QStringLiteral("1")));
    QVERIFY(db->TryLockRecord(QStringLiteral("Personas"), QStringLiteral("2")));

    // Inside a transaction: nothing of it was saved, and every statement
    // until it is ended says so instead of running outside it.
    const QString lostInTransaction =
        lost +
        "No se ha guardado ninguno de los cambios de la operación en curso: la transacción se "
        "ha cancelado." +
        again;
    db->StartTransaction();
    db->Execute(insert, {2, QStringLiteral("Luis")});
    endBackend();
    QVERIFY_DBERROR(db->Execute(insert, {3, QStringLiteral("Eva")}), DbError::ConnectionLost,
                    lostInTransaction);
    QVERIFY(db->InTransaction());
    QVERIFY(db->Connected());
    QVERIFY(db->ConnectionLost());
    // Meanwhile another session takes record 2; record 1 waits for its owner.
    QVERIFY(other->TryLockRecord(QStringLiteral("Personas"), QStringLiteral("2")));
    QSignalSpy reconnected(db, &TDatabase::Reconnected);
    QVERIFY_DBERROR(db->Execute(insert, {4, QStringLiteral("Rosa")}), DbError::ConnectionLost,
                    lostInTransaction);
    QVERIFY_DBERROR(db->Prepared(insert), DbError::ConnectionLost, lostInTransaction);
    QVERIFY_DBERROR(db->TryLockRecord(QStringLiteral("Personas"), QStringLiteral("4")),
                    DbError::ConnectionLost, lostInTransaction);
    QVERIFY_DBERROR(db->Commit(), DbError::ConnectionLost, lostInTransaction);
    QVERIFY(!db->InTransaction());
    QCOMPARE(reconnected.size(), 0);
    QCOMPARE(countRows(other.get(), QStringLiteral("Personas")), 1);
    QCOMPARE(countRows(db, QStringLiteral("Personas")), 1);
    QVERIFY(!db->ConnectionLost());
    QCOMPARE(reconnected.size(), 1);
    QCOMPARE(reconnected.at(0).at(0).toStringList(), QStringList{"PERSONAS (2)"});
    QVERIFY(!other->TryLockRecord(QStringLiteral("Personas"), QStringLiteral("1")));
    db->StartTransaction();
    db->Execute(insert, {2, QStringLiteral("Luis")});
    // Cancelled instead: ended quietly, and the next statement reconnects.
    endBackend();
    QVERIFY_DBERROR(db->Execute(insert, {3, QStringLiteral("Eva")}), DbError::ConnectionLost,
                    lostInTransaction);
    QVERIFY_DBERROR(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM Personas")),
                    DbError::ConnectionLost, lostInTransaction);
    db->Rollback();
    QVERIFY(!db->InTransaction());
    QCOMPARE(countRows(db, QStringLiteral("Personas")), 1);
    QCOMPARE(reconnected.size(), 2);
    db->StartTransaction();
    db->Execute(insert, {2, QStringLiteral("Luis")});
    db->Commit();

    // Ended while idle: the next change and the next read run as if
    // nothing had happened.
    endBackend();
    db->Execute(insert, {3, QStringLiteral("Eva")});
    endBackend();
    QCOMPARE(countRows(db, QStringLiteral("Personas")), 3);
    QCOMPARE(reconnected.size(), 4);
    db->Execute(QStringLiteral("DELETE FROM Personas WHERE Codigo = 3"));
    // Ended during a change, during a read, and at a commit.
    QVERIFY_DBERROR(db->Execute(QStringLiteral("INSERT INTO Personas (Codigo, Nombre) SELECT 3, "
                                               "'Eva' WHERE pg_terminate_backend("
                                               "pg_backend_pid())")),
                    DbError::ConnectionLost, lost + "No se ha guardado el último cambio." + again);
    QVERIFY_DBERROR(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM Personas WHERE "
                                              "pg_terminate_backend(pg_backend_pid())")),
                    DbError::ConnectionLost,
                    lost + "Los cambios ya guardados se conservan." + again);
    QCOMPARE(countRows(db, QStringLiteral("Personas")), 2);
    // A statement prepared before the loss fails; one prepared after works.
    QSqlQuery& held = db->Prepared(insert);
    db->StartTransaction();
    endBackend();
    QVERIFY_DBERROR(db->Commit(), DbError::ConnectionLost, "");
    held.addBindValue(5);
    held.addBindValue(QStringLiteral("Rosa"));
    QVERIFY_DBERROR(db->Run(held), DbError::ConnectionLost,
                    lost + "No se ha guardado el último cambio." + again);
    QSqlQuery& fresh = db->Prepared(insert);
    fresh.addBindValue(6);
    fresh.addBindValue(QStringLiteral("Juan"));
    db->Run(fresh);
    QCOMPARE(countRows(db, QStringLiteral("Personas")), 3);
    QCOMPARE(reconnected.size(), 7);
    QVERIFY(reconnected.last().at(0).toStringList().isEmpty());
    // A user's statement prepared on the server before the loss is prepared
    // again on the new connection.
    const QString users = QStringLiteral("SELECT COUNT(*) FROM Personas");
    QSqlQuery before = db->ExecuteUser(users);
    QVERIFY(before.next());
    QCOMPARE(before.value(0).toInt(), 3);
    before = QSqlQuery();
    endBackend();
    QSqlQuery after = db->ExecuteUser(users);
    QVERIFY(after.next());
    QCOMPARE(after.value(0).toInt(), 3);
}

void TstDatabase::preparedStatements() {
    TestDatabase t(CurrentEngine());
    TDatabase* db = t.db();
    makePeople(db);
    const QString insert = QStringLiteral("INSERT INTO Personas (Codigo, Nombre) VALUES (?, ?)");
    QSqlQuery& q = db->Prepared(insert);
    QCOMPARE(&db->Prepared(insert), &q);
    for (int i = 1; i <= 3; ++i) {
        q.addBindValue(i);
        q.addBindValue(QStringLiteral("N%1").arg(i));
        db->Run(q);
    }
    QSqlQuery& s = db->Prepared(QStringLiteral("SELECT Nombre FROM Personas WHERE Codigo = ?"));
    s.addBindValue(2);
    db->Run(s);
    QVERIFY(s.next());
    QCOMPARE(s.value(0).toString(), QStringLiteral("N2"));
    s.finish();
    // Values bound in turn each reach their own run, also where a mark sits
    // in text the driver does not take for one.
    const QStringList bound{
        QStringLiteral("SELECT Nombre AS \"a?\" FROM Personas WHERE Codigo = ? AND Nombre <> ?"),
        CurrentEngine() == Engine::Sqlite
            ? QStringLiteral("SELECT Nombre AS [a?] FROM Personas WHERE Codigo = ? AND Nombre <> ?")
            : QStringLiteral("SELECT Nombre FROM Personas WHERE Codigo = ?::int AND Nombre <> ?")};
    for (const QString& sql : bound) {
        for (int i : {1, 3, 2}) {
            QSqlQuery& b = db->Prepared(sql);
            TDatabase::BindValues(b, {i, QStringLiteral("?")});
            db->Run(b);
            QVERIFY2(b.next(), qPrintable(sql));
            QCOMPARE(b.value(0).toString(), QStringLiteral("N%1").arg(i));
            QVERIFY(!b.next());
            b.finish();
        }
    }
    QCOMPARE(
        db->Scalar(QStringLiteral("SELECT Nombre FROM Personas WHERE Codigo = ?"), {3}).toString(),
        QStringLiteral("N3"));
    QVERIFY(!db->Scalar(QStringLiteral("SELECT Nombre FROM Personas WHERE Codigo = 9")).isValid());
    // Closed: the cache goes with the connection.
    db->Close();
    QVERIFY_DBERROR(db->Prepared(insert), DbError::ClosedDataSet, "");
    db->Open();
    QCOMPARE(countRows(db, QStringLiteral("Personas")), 3);
}

void TstDatabase::catalogRoundTrip() {
    const Engine engine = CurrentEngine();
    TestDatabase t(engine);
    TDatabase* db = t.db();
    const TFieldDefs fields{
        {QStringLiteral("CodigoEmpresa"), ftSmallint, 0, true},
        {QStringLiteral("CodigoOperario"), ftInteger, 0, true},
        {QStringLiteral("Nombre"), ftString, 40, false},
        {QStringLiteral("Hijos"), ftWord, 0, false},
        {QStringLiteral("Activo"), ftBoolean, 0, false},
        {QStringLiteral("Salario"), ftFloat, 0, false},
        {QStringLiteral("Importe"), ftCurrency, 0, false},
        {QStringLiteral("Cambio"), ftBCD, 0, false},
        {QStringLiteral("FechaAlta"), ftDate, 0, false},
        {QStringLiteral("HoraEntrada"), ftTime, 0, false},
        {QStringLiteral("UltimoCambio"), ftDateTime, 0, false},
        {QStringLiteral("Huella"), ftBytes, 16, false},
        {QStringLiteral("Firma"), ftVarBytes, 64, false},
        {QStringLiteral("Adjunto"), ftBlob, 0, false},
        {QStringLiteral("Observaciones"), ftMemo, 0, false},
        {QStringLiteral("Foto"), ftGraphic, 0, false},
        {QStringLiteral("Formato"), ftFmtMemo, 0, false},
        {QStringLiteral("Ole"), ftParadoxOle, 0, false},
        {QStringLiteral("DbOle"), ftDBaseOle, 0, false},
        {QStringLiteral("Binario"), ftTypedBinary, 0, false},
    };
    db->CreateTable(QStringLiteral("PERSONAL"), fields,
                    {QStringLiteral("CodigoEmpresa"), QStringLiteral("CodigoOperario")},
                    QStringLiteral("PERSONAL_Clave1"));
    TIndexDef byName{QStringLiteral("Nombre"), QStringLiteral("Nombre"), ixCaseInsensitive, {}};
    TIndexDef byDate{QStringLiteral("FechaDesc"), QStringLiteral("FechaAlta;Nombre"),
                     ixDescending | ixUnique, QStringLiteral("FechaAlta")};
    TIndexDef allDesc{
        QStringLiteral("Salarios"), QStringLiteral("Salario;CodigoOperario"), ixDescending, {}};
    db->CreateIndex(QStringLiteral("PERSONAL"), byName);
    db->CreateIndex(QStringLiteral("PERSONAL"), byDate);
    db->CreateIndex(QStringLiteral("PERSONAL"), allDesc);

    // A fresh connection reads everything from the engine, not from a cache.
    auto other = t.openSecondSession(QStringLiteral("Otra"));
    for (TDatabase* d : {db, other.get()}) {
        const TFieldDefs back = d->ColumnDefs(QStringLiteral("personal"));
        QCOMPARE(back.size(), fields.size());
        for (int i = 0; i < fields.size(); ++i) {
            QCOMPARE(back[i].Name, fields[i].Name);
            QCOMPARE(FieldTypeName(back[i].DataType), FieldTypeName(fields[i].DataType));
            QCOMPARE(back[i].Size, HasSize(fields[i].DataType) ? fields[i].Size : 0);
        }
        QCOMPARE(back[2].Required, false);
        const TIndexDefs ix = d->IndexDefs(QStringLiteral("PERSONAL"));
        QCOMPARE(ix.size(), 4);
        QCOMPARE(ix[0].Name,
                 engine == Engine::Sqlite ? QString() : QStringLiteral("PERSONAL_Clave1"));
        QCOMPARE(ix[0].Fields, QStringLiteral("CodigoEmpresa;CodigoOperario"));
        QVERIFY(ix[0].Options & ixPrimary);
        QCOMPARE(ix[1].Name, QStringLiteral("Nombre"));
        QCOMPARE(ix[1].Options, int(ixCaseInsensitive));
        QCOMPARE(ix[2].Name, QStringLiteral("FechaDesc"));
        QCOMPARE(ix[2].Fields, QStringLiteral("FechaAlta;Nombre"));
        QCOMPARE(ix[2].Options, int(ixDescending | ixUnique));
        QCOMPARE(ix[2].DescFields, QStringLiteral("FechaAlta"));
        QCOMPARE(ix[3].Options, int(ixDescending));
        QCOMPARE(ix[3].DescFields, QString());
        QVERIFY(d->TableNames().contains(QStringLiteral("PERSONAL")));
    }
    // A name in any case gives the dictionary spelling back.
    QCOMPARE(IdentifierSpelling(QStringLiteral("codigooperario")),
             QStringLiteral("CodigoOperario"));
    QCOMPARE(IdentifierSpelling(QStringLiteral("SinRegistrar")), QStringLiteral("SinRegistrar"));

    db->DropIndex(QStringLiteral("PERSONAL"), QStringLiteral("Nombre"));
    QCOMPARE(db->IndexDefs(QStringLiteral("PERSONAL")).size(), 3);
    // DDL run as plain SQL drops what the catalog cache knew.
    db->Execute(QStringLiteral("ALTER TABLE PERSONAL ADD Extra INTEGER"));
    QCOMPARE(db->ColumnDefs(QStringLiteral("PERSONAL")).size(), fields.size() + 1);
    db->DropTableIfExists(QStringLiteral("PERSONAL"));
    db->DropTableIfExists(QStringLiteral("PERSONAL"));
    QVERIFY(!db->TableExists(QStringLiteral("PERSONAL")));
    QVERIFY_DBERROR(db->ColumnDefs(QStringLiteral("PERSONAL")), DbError::TableNotFound,
                    "Table does not exist");
}

void TstDatabase::valuesKeepTheirType() {
    TestDatabase t(CurrentEngine());
    TDatabase* db = t.db();
    db->CreateTable(QStringLiteral("Valores"),
                    {{QStringLiteral("Id"), ftInteger, 0, true},
                     {QStringLiteral("Codigo"), ftString, 10, false},
                     {QStringLiteral("Texto"), ftMemo, 0, false},
                     {QStringLiteral("Fecha"), ftDate, 0, false},
                     {QStringLiteral("Momento"), ftDateTime, 0, false},
                     {QStringLiteral("Importe"), ftFloat, 0, false}},
                    {QStringLiteral("Id")}, QStringLiteral("Valores_Clave1"));
    // Defaults: '' and the zero date, never NULL.
    db->Execute(QStringLiteral("INSERT INTO Valores (Id) VALUES (1)"));
    QSqlQuery q =
        db->Execute(QStringLiteral("SELECT Codigo, Texto, Fecha, Momento, Importe FROM Valores"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QString());
    QVERIFY(!q.value(0).isNull());
    QVERIFY(!q.value(1).isNull());
    QCOMPARE(q.value(2).toDate(), QDate(1899, 12, 30));
    QCOMPARE(q.value(3).toDateTime(), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    QCOMPARE(q.value(4).toDouble(), 0.0);
    // Digits in text columns stay text (leading zeros kept).
    db->Execute(
        QStringLiteral("INSERT INTO Valores (Id, Codigo, Texto, Fecha) VALUES (2, ?, ?, ?)"),
        {QStringLiteral("007"), QStringLiteral("0123"), QStringLiteral("2024-02-29")});
    q = db->Execute(QStringLiteral("SELECT Codigo, Texto, Fecha FROM Valores WHERE Id = 2"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("007"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("0123"));
    QCOMPARE(q.value(2).toDate(), QDate(2024, 2, 29));
    // Literals of the dialect compare with stored dates.
    const QString sql = QStringLiteral("SELECT COUNT(*) FROM Valores WHERE Fecha > ") +
                        db->dialect().dateLiteral(QDate(1899, 12, 30));
    QCOMPARE(db->Scalar(sql).toInt(), 1);
    // LIKE is case-sensitive on every engine.
    QCOMPARE(
        db->Scalar(QStringLiteral("SELECT COUNT(*) FROM Valores WHERE Codigo LIKE '00%'")).toInt(),
        1);
    db->Execute(QStringLiteral("UPDATE Valores SET Codigo = 'Abc' WHERE Id = 2"));
    QCOMPARE(
        db->Scalar(QStringLiteral("SELECT COUNT(*) FROM Valores WHERE Codigo LIKE 'a%'")).toInt(),
        0);
}

void TstDatabase::autoIncrement() {
    TestDatabase t(CurrentEngine());
    TDatabase* db = t.db();
    // Sole key.
    db->CreateTable(QStringLiteral("Contador"),
                    {{QStringLiteral("Numero"), ftAutoInc, 0, false},
                     {QStringLiteral("Texto"), ftString, 10, false}},
                    {QStringLiteral("Numero")}, QStringLiteral("Contador_Clave1"));
    for (int i = 0; i < 3; ++i)
        db->Execute(QStringLiteral("INSERT INTO Contador (Texto) VALUES ('x')"));
    db->Execute(QStringLiteral("DELETE FROM Contador WHERE Numero = 3"));
    db->Execute(QStringLiteral("INSERT INTO Contador (Texto) VALUES ('y')"));
    QCOMPARE(db->Scalar(QStringLiteral("SELECT Numero FROM Contador WHERE Texto = 'y'")).toInt(),
             4);
    QCOMPARE(db->ColumnDefs(QStringLiteral("Contador"))[0].DataType, ftAutoInc);
    // Part of a compound key.
    db->CreateTable(QStringLiteral("Lineas"),
                    {{QStringLiteral("Documento"), ftInteger, 0, true},
                     {QStringLiteral("Linea"), ftAutoInc, 0, true},
                     {QStringLiteral("Texto"), ftString, 10, false}},
                    {QStringLiteral("Documento"), QStringLiteral("Linea")},
                    QStringLiteral("Lineas_Clave1"));
    db->Execute(QStringLiteral("INSERT INTO Lineas (Documento, Texto) VALUES (1, 'a')"));
    db->Execute(QStringLiteral("INSERT INTO Lineas (Documento, Texto) VALUES (1, 'b')"));
    db->Execute(QStringLiteral("INSERT INTO Lineas (Documento, Linea, Texto) VALUES (2, 10, 'c')"));
    QCOMPARE(db->Scalar(QStringLiteral("SELECT Linea FROM Lineas WHERE Texto = 'b'")).toInt(), 2);
    QCOMPARE(db->Scalar(QStringLiteral("SELECT Linea FROM Lineas WHERE Texto = 'c'")).toInt(), 10);
    QCOMPARE(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM Lineas WHERE Linea IS NULL")).toInt(),
             0);
    QCOMPARE(db->ColumnDefs(QStringLiteral("Lineas"))[1].DataType, ftAutoInc);
}

void TstDatabase::generalVisibleWithoutPrefix() {
    const Engine engine = CurrentEngine();
    TestDatabase general(engine, QStringLiteral("DatabaseGeneral"));
    general.db()->CreateTable(QStringLiteral("PARAGENE"),
                              {{QStringLiteral("Clave"), ftInteger, 0, true}},
                              {QStringLiteral("Clave")}, QStringLiteral("PARAGENE_Clave1"));
    general.db()->Execute(QStringLiteral("INSERT INTO PARAGENE (Clave) VALUES (7)"));
    TestDatabase company(engine, QStringLiteral("DatabaseEmpresa"));
    makePeople(company.db());
    TDatabase db;
    db.Params() = company.params();
    if (engine == Engine::Sqlite)
        db.Params().attach = {{QStringLiteral("general"), general.location()}};
    else
        db.Params().searchPath = {general.location()};
    db.Open();
    QCOMPARE(db.Scalar(QStringLiteral("SELECT Clave FROM PARAGENE")).toInt(), 7);
    // Asked whether it exists, a table of the general database is found
    // only as one of the general tables; else it is not the company's.
    QVERIFY(!db.TableExists(QStringLiteral("paragene")));
    TDatabase::SetGeneralTableTest([](const QString& t) { return t == QLatin1String("PARAGENE"); });
    QVERIFY(db.TableExists(QStringLiteral("paragene")));
    TDatabase::SetGeneralTableTest(nullptr);
    QVERIFY(db.TableExists(QStringLiteral("Personas")));
    const QStringList names = db.TableNames();
    QVERIFY(names.indexOf(QStringLiteral("Personas")) >= 0);
    QVERIFY(names.indexOf(QStringLiteral("PARAGENE")) > names.indexOf(QStringLiteral("Personas")));
    QCOMPARE(db.ColumnDefs(QStringLiteral("PARAGENE")).first().Name, QStringLiteral("Clave"));
    // The company's own table is not seen from the general database.
    QVERIFY(!general.db()->TableExists(QStringLiteral("Personas")));
}

void TstDatabase::sessionResolution() {
    const Engine engine = CurrentEngine();
    TSession& session = TSession::instance();
    TestDatabase t(engine, QStringLiteral("Database"));
    TestDatabase other(engine, QStringLiteral("DatabaseGeneral"));
    QCOMPARE(session.FindDatabase(QStringLiteral("database")), t.db());
    QCOMPARE(session.FindDatabase(QStringLiteral("?Database")), t.db());
    session.AddAlias(QStringLiteral("EMP0001"), QStringLiteral("Database"));
    QCOMPARE(session.FindDatabase(QStringLiteral("emp0001")), t.db());
    QCOMPARE(session.FindDatabase(QStringLiteral("?EMP0001")), t.db());
    session.ClearAliases();
    QVERIFY_DBERROR(session.FindDatabase(QStringLiteral("EMP0001")), DbError::DatabaseNotFound,
                    "Path not found");
    // A database named directly: a folder (either separator) or a schema.
    TConnectionParams defaults = other.params();
    session.setDefaultParams(defaults);
    QString location = other.location();
    if (engine == Engine::Sqlite) location.replace(QLatin1Char('/'), QLatin1Char('\\'));
    TDatabase* direct = session.FindDatabase(QLatin1Char('?') + location);
    QVERIFY(direct != other.db());
    QVERIFY(direct->Connected());
    QCOMPARE(session.FindDatabase(QLatin1Char('?') + location), direct);  // kept
    other.db()->Execute(QStringLiteral("CREATE TABLE Directa (A INTEGER)"));
    QVERIFY(direct->TableExists(QStringLiteral("Directa")));
    QVERIFY_DBERROR(session.FindDatabase(QStringLiteral("?") + location + QStringLiteral("_no")),
                    DbError::DatabaseNotFound, "Path not found");
    session.CloseDirectDatabases();
    session.setDefaultParams(TConnectionParams());
    // Destroyed databases leave the registry.
    {
        auto gone = t.openSecondSession(QStringLiteral("Pasajera"));
        QCOMPARE(session.FindDatabase(QStringLiteral("Pasajera")), gone.get());
    }
    QVERIFY_DBERROR(session.FindDatabase(QStringLiteral("Pasajera")), DbError::DatabaseNotFound,
                    "");
}

void TstDatabase::crashKeepsOnlyCommittedRows() {
    const Engine engine = CurrentEngine();
    TestDatabase t(engine);
    makePeople(t.db());
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--crash-child"), QString::number(int(engine)), t.location()});
    QVERIFY(child.waitForStarted());
    QByteArray out;
    while (!out.contains("ready") && child.waitForReadyRead(30000))
        out += child.readAllStandardOutput();
    QVERIFY2(out.contains("ready"), out.constData());
    child.kill();  // SIGKILL: no rollback, no close
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(countRows(t.db(), QStringLiteral("Personas")), 3);
    QCOMPARE(t.db()->Scalar(QStringLiteral("SELECT MAX(Codigo) FROM Personas")).toInt(), 3);
    // The dead session's locks are gone: the same keys can be written now.
    t.db()->Execute(QStringLiteral("INSERT INTO Personas (Codigo, Nombre) VALUES (4, 'nuevo')"));
    QCOMPARE(countRows(t.db(), QStringLiteral("Personas")), 4);
}

void TstDatabase::unsupportedEngine() {
    QCOMPARE(EngineFromSetting(QString()), Engine::Sqlite);
    QVERIFY_DBERROR(EngineFromSetting(QStringLiteral("Microsoft Access")),
                    DbError::UnsupportedEngine, "Engine not available");
    TDatabase db;
    db.Params().engine = Engine::SqlServer;
    QVERIFY_DBERROR(db.Open(), DbError::UnsupportedEngine, "Engine not available");
}

// SQLite: work confirmed through the connection reaches the database files
// themselves, so that a copy of the file alone (the simplest backup, taken
// while the program runs and holds nothing open) holds it, as sqlite3 reads it.
void TstDatabase::copyOfTheFileHoldsConfirmedWork_data() {
    QTest::addColumn<bool>("transaction");
    QTest::addColumn<bool>("general");    // written to the attached general file
    QTest::addColumn<bool>("openTable");  // a table left open, browsing
    // A query read in part is left open, and another program does the work.
    QTest::addColumn<bool>("otherProgram");
    QTest::newRow("transaction") << true << false << false << false;
    QTest::newRow("outside a transaction") << false << false << false << false;
    QTest::newRow("attached general file") << true << true << false << false;
    QTest::newRow("table open, browsing") << true << false << true << false;
    QTest::newRow("query left open, another program") << true << false << false << true;
}

void TstDatabase::copyOfTheFileHoldsConfirmedWork() {
    QFETCH(bool, transaction);
    QFETCH(bool, general);
    QFETCH(bool, openTable);
    QFETCH(bool, otherProgram);
    QTemporaryDir tmp;
    const QString generalFolder = tmp.path() + QStringLiteral("/general");
    const QString companyFolder = tmp.path() + QStringLiteral("/1");
    QVERIFY(QDir().mkpath(generalFolder) && QDir().mkpath(companyFolder));
    TConnectionParams p;
    p.folder = generalFolder;
    TDatabase::CreateDatabase(p);
    p.folder = companyFolder;
    TDatabase::CreateDatabase(p);
    p.attach = {{QStringLiteral("general"), generalFolder}};
    TDatabase db;
    db.setDatabaseName(QStringLiteral("Copia"));
    db.Params() = p;
    db.Open();
    TSession::instance().AddDatabase(&db);
    const QString table = general ? QStringLiteral("general.NOTAS") : QStringLiteral("NOTAS");
    db.Execute(QStringLiteral("CREATE TABLE ") + table +
               QStringLiteral(" (Codigo INTEGER PRIMARY KEY, Texto VARCHAR(40))"));
    for (int i = 0; i < 50; ++i)
        db.Execute(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" VALUES (?, ?)"),
                   {i, QStringLiteral("antes|;· %1").arg(i)});
    TTable t;
    if (openTable) {
        t.setDatabaseName(QStringLiteral("Copia"));
        t.setTableName(QStringLiteral("NOTAS"));
        t.setPageSize(5, 5);
        t.Open();
        t.First();
        t.Next();
    }
    TQuery consulta;
    std::unique_ptr<TDatabase> otro;
    TDatabase* escritor = &db;
    if (otherProgram) {
        consulta.setDatabaseName(QStringLiteral("Copia"));
        consulta.SQL().Add(QStringLiteral("SELECT Codigo, Texto FROM NOTAS ORDER BY Codigo"));
        consulta.setPacketRecords(5);
        consulta.Open();
        consulta.Next();
        // The clerk's action is over: the program goes back to its event loop.
        QCoreApplication::processEvents();
        otro = std::make_unique<TDatabase>();
        otro->setDatabaseName(QStringLiteral("Otro"));
        otro->Params() = p;
        otro->Open();
        escritor = otro.get();
    }
    if (transaction) escritor->StartTransaction();
    for (int i = 50; i < 80; ++i)
        escritor->Execute(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" VALUES (?, ?)"),
                          {i, QStringLiteral("Łódź\n%1").arg(i)});
    if (transaction) escritor->Commit();
    // The clerk's action is over.
    QCoreApplication::processEvents();
    // The file alone, without its -wal, as a copy would take it.
    const QString file =
        (general ? generalFolder : companyFolder) + QStringLiteral("/datos.sqlite");
    const QString copy = tmp.path() + QStringLiteral("/copia.sqlite");
    QVERIFY(QFile::copy(file, copy));
    QProcess sqlite3;
    sqlite3.start(QStringLiteral("sqlite3"),
                  {copy, QStringLiteral("SELECT COUNT(*), MAX(Codigo) FROM NOTAS;")});
    QVERIFY(sqlite3.waitForFinished());
    QCOMPARE(QString::fromUtf8(sqlite3.readAllStandardOutput()).trimmed(), QStringLiteral("80|79"));
    // The engine's automatic checkpoint is left as it is.
    QCOMPARE(db.Scalar(QStringLiteral("PRAGMA wal_autocheckpoint")).toInt(), 1000);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--crash-child") == 0)
        return runCrashChild(app.arguments().mid(2));
    TstDatabase tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_database.moc"
