#pragma once
// Named database connections and the session registry that finds them.
//
// SQLite ("Paradox"): a database is a folder holding one file, kDatabaseFileName.
// The company connection attaches the general file and the session's
// temporary-table file, so statements name tables of either without a prefix.
// PostgreSQL ("SQL Generica"): one database per installation, a schema per
// database ("general" and one per company); the connection's search path is
// its schema followed by the schemas it may read without a prefix.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

#include "db/dialect.h"
#include "db/fieldtypes.h"
#include "db/savepoints.h"

inline constexpr const char* kDatabaseFileName = "datos.sqlite";
// PostgreSQL: the name of a connection's prepared statement for users.
inline constexpr const char* kUserStatementName = "rh_sentencia_usuario";
// PostgreSQL: the role of a company's users' statements, named after the
// installation's database and the company's schema (roles are the server's,
// shared by its databases), at most 63 bytes.
QString PgUsersRoleName(const QString& database, const QString& schema);

struct TConnectionParams {
    Engine engine = Engine::Sqlite;
    // SQLite: the folder of the database, and folders whose files the
    // connection attaches (schema name -> folder), e.g. {"general", path}.
    QString folder;
    QList<QPair<QString, QString>> attach;
    // PostgreSQL.
    QString host = QStringLiteral("127.0.0.1");
    int port = 5432;
    QString user;
    QString password;        // never logged
    QString database;        // the installation's database
    QString schema;          // this connection's schema
    QStringList searchPath;  // schemas after `schema` ("general")
    int busyTimeoutMs = 10000;
    // The general database itself: users' statements only read it.
    bool general = false;
};

// A result its user reads in pieces (a grid showing the first rows of a large
// one). Before any other statement runs on the connection the database has
// every such result read whole into memory (ReadRest): an SQLite statement
// left open keeps its connection on an old snapshot, and PostgreSQL drops the
// rows of a streamed result when the next statement starts. On SQLite it is
// also read whole once control returns to the event loop: an open read holds
// back every checkpoint of the file.
class TPendingRead {
public:
    virtual ~TPendingRead() = default;
    virtual void ReadRest() = 0;
    // The connection was lost first (`why`: the text the user is told):
    // the rest is gone, and its reader must hear so.
    virtual void Lost(const QString& why) = 0;
};

// Keeps the program answering while a user's statement runs in the engine
// or its rows are read (installed by the windows that run them; without one
// the statement simply runs to its end).
class TUserStatementWait {
public:
    virtual ~TUserStatementWait() = default;
    // A run begins: nothing asks to stop it yet.
    virtual void Began() = 0;
    // Called on the program's thread every few tens of milliseconds while
    // the run lasts; true asks the engine to stop the statement.
    virtual bool Waiting() = 0;
    // The run is over (Waiting was called at least once when `waited`).
    virtual void Ended(bool waited) = 0;
    // A user's result was stopped before its end while the rest was read
    // for another statement: its holder keeps only the rows read so far.
    virtual void Incomplete() = 0;
};
void SetUserStatementWait(TUserStatementWait* wait);
TUserStatementWait* UserStatementWait();

// PostgreSQL: a user's result read through a cursor inside its read-only
// transaction holds the tables it reads against statements that take a
// table whole (DDL, LOCK, TRUNCATE, VACUUM FULL...). Before any statement
// of the program that may wait for such a lock (MayWaitForReaders), every
// holder lets its transaction go, the server keeping the rest of its rows,
// so that the program never waits on itself.
class TTableHolder {
public:
    virtual ~TTableHolder() = default;
    virtual void LetGo() = 0;
};
void AddTableHolder(TTableHolder* holder);
void RemoveTableHolder(TTableHolder* holder);
// Whether a statement may wait for a table a reader holds: anything but
// reads, row writes and transaction control.
bool MayWaitForReaders(const QString& sql);
// Every holder lets go (see TTableHolder).
void LetTablesGo();

class TDatabase : public QObject {
    Q_OBJECT
public:
    explicit TDatabase(QObject* parent = nullptr);
    ~TDatabase() override;

    // The logical name datasets use ("Database", "DatabaseGeneral", ...).
    QString DatabaseName() const { return databaseName_; }
    void setDatabaseName(const QString& name);  // only while closed
    TConnectionParams& Params() { return params_; }
    const TConnectionParams& Params() const { return params_; }

    // Opening a database that does not exist raises DatabaseNotFound (an
    // SQLite folder without its file, a missing schema); nothing is created.
    void Open();
    void Close();
    bool Connected() const;
    // Creates the database (SQLite: the file in an existing folder; PostgreSQL:
    // the schema). Raises when the folder is missing or the server refuses.
    static void CreateDatabase(const TConnectionParams& params);
    static bool DatabaseExists(const TConnectionParams& params);

    Engine engine() const { return params_.engine; }
    const SqlDialect& dialect() const;
    // Raises a ClosedDataSet-like error when closed. Pending reads are read
    // whole first: whoever takes the connection runs statements on it.
    QSqlDatabase connection() const;
    // Results read in pieces on this connection (not owned; a reader removes
    // itself when it ends or is destroyed).
    // A user's partly read result (settleWhenIdle false) stays open until the
    // program needs the connection: its rest is read under the user's wait.
    void AddPendingRead(TPendingRead* read, bool settleWhenIdle = true);
    void RemovePendingRead(TPendingRead* read);
    bool ReadsPending() const { return !pendingReads_.isEmpty(); }

    // Transactions do not nest: a second StartTransaction raises
    // TransactionActive; Commit/Rollback without one raise NotInTransaction.
    void StartTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const { return inTransaction_; }

    // Runs a statement, binding positional values ("?") in order. Engine
    // errors come back as EDatabaseError with the code mapped from the engine
    // (SQLite result codes, PostgreSQL SQLSTATEs). Inside a transaction on
    // PostgreSQL each statement runs under a savepoint, so a failure leaves the
    // transaction usable. The query is returned positioned before the first row.
    QSqlQuery Execute(const QString& sql, const QVariantList& binds = {});
    // Prepared statements cached by text for the life of the connection,
    // forward-only (a caller may change that). Call finish() on a SELECT once
    // read: on SQLite an unfinished statement pins its read snapshot.
    // Its "?" marks are named in order (":0", ":1", ...) for BindValues.
    QSqlQuery& Prepared(const QString& sql);
    // Binds `values` in order to a statement from Prepared: by name, which
    // costs the driver half what binding by position does.
    static void BindValues(QSqlQuery& query, const QVariantList& values);
    // Runs a query obtained from Prepared() after its values are bound.
    void Run(QSqlQuery& query);
    // As Run, for a table cursor's insert, update or delete whose values are
    // bound and whose result is not read back (no generated value, no row
    // identity): inside a transaction on PostgreSQL it joins a batch of such
    // rows under one savepoint (TSavepoints). A failed row costs that row
    // alone; when the rows before it cannot be written again the transaction
    // is broken: every statement and Commit raise until it is rolled back.
    // The query must be one of Prepared's.
    void RunWrite(QSqlQuery& query);
    // SAVEPOINT statements sent on this connection since it was opened.
    qint64 SavepointsSent() const { return savepoints_.Sent(); }
    // A statement a user typed, refused before it runs when it reaches beyond
    // its own database's rows and tables, or, with `readOnly`, when it would
    // write (the reason in Spanish). On PostgreSQL the text is read by the
    // server's own parser (PgUserStatementRefusal), then parsed as a prepared
    // statement and run as that statement, its values (at $1, $2, ...)
    // written as the driver writes them. On SQLite the engine's authorizer
    // judges it while it is prepared, and the prepare refuses a tail. A text
    // holding several statements reads SeveralStatementsReason(). Otherwise
    // as Execute. Run it on UserStatements().
    // With a `cursor` name (PostgreSQL, a query inside BeginReadOnly) the
    // statement is declared as that cursor (NO SCROLL, WITH HOLD) instead,
    // its rows read by FETCH.
    QSqlQuery ExecuteUser(const QString& sql, const QVariantList& binds = {}, bool readOnly = false,
                          const QString& cursor = QString());
    // Whether a statement a user typed is a query, as the engine reads it:
    // it returns rows and writes nothing (PostgreSQL: a SELECT, VALUES or
    // TABLE without INTO and without a writing WITH; SQLite: columns, and
    // read-only by the engine's own account). A statement that writes is an
    // action even when it returns rows (RETURNING). Its ":name" marks stand
    // for values. Nothing when the engine cannot read the text.
    std::optional<bool> IsUserQuery(const QString& sql);
    // A read-only transaction in which a user's query is read (PostgreSQL
    // only), begun only when no transaction runs: false when none was begun.
    // Whoever takes the connection next has pending reads read whole first,
    // and the reader of the query ends it (EndReadOnly rolls it back: it
    // wrote nothing). See TReadOnlyTransaction.
    bool BeginReadOnly();
    void EndReadOnly();
    bool InReadOnly() const { return readOnly_; }
    // PostgreSQL: the connection users' statements run on, opened on first
    // use with this database's parameters (its schema and search path, so
    // the company's and the general tables, temporary ones included, read
    // the same). What a statement does to its session (advisory locks,
    // settings, a transaction or prepared statements left open) ends with it
    // (EndUserStatement) and never reaches this connection's record locks,
    // settings or transaction. SQLite: this database itself.
    TDatabase* UserStatements();
    // PostgreSQL: the connection for users' statements handed over to a
    // result read through a cursor, which keeps it until the result is read
    // or dropped (UserStatements opens another meanwhile), and gives it back
    // (ReturnUserStatements; one kept, any other closed). Null elsewhere.
    std::unique_ptr<TDatabase> LendUserStatements();
    void ReturnUserStatements(std::unique_ptr<TDatabase> users);
    // A user's statement runs (or its rows are read) on this connection
    // between BeginUserRun and EndUserRun (see TUserRun): the engine keeps
    // the program answering through UserStatementWait(), and a stop asked
    // there is sent to the engine (PQcancel, sqlite3_interrupt). Runs nest.
    void BeginUserRun();
    void EndUserRun();
    // From a loop reading a user's rows: lets the wait look (throttled).
    void PollUserRun();
    // The user stopped the run under way.
    bool UserRunCancelled() const { return userRuns_ > 0 && cancelled_; }
    // PostgreSQL: runs the blocking `step` of a user's statement on a worker
    // thread while the program answers; other engines: in place.
    bool RunUserStep(const std::function<bool()>& step);
    // On the connection for users' statements: ends what the last one left
    // in the session (ending its read-only transaction does the same).
    // Elsewhere nothing.
    void EndUserStatement();
    // The first column of the first row, or an invalid QVariant.
    QVariant Scalar(const QString& sql, const QVariantList& binds = {});

    // Catalog; names come back with the dictionary spelling.
    // TableExists asks of a table named without a database only the
    // connection's own database and the session's temporary stores, so that
    // a company's table is never taken for the general database's one of
    // that name; a general table (SetGeneralTableTest) is looked for in
    // the general database too.
    bool TableExists(const QString& table);
    // Tells the general tables by name (the program's list; none until set).
    static void SetGeneralTableTest(bool (*test)(const QString& table));
    // Raises NotPlainTable, naming it in Spanish, when one of the program's
    // tables (SetProgramTableTest, db/hiddencolumns.h) among `tables` is, as this connection
    // resolves it, not a plain table (put in its place): a view, a materialised view or a foreign
    // table on PostgreSQL, a view or a virtual table on SQLite. The program's statements never
    // read or write through such an object with the program's rights. A plain table is asked once
    // per name until the catalog changes (DDL of this connection, a user's DDL on any
    // connection); anything else at every check, so that it opens once the object is gone.
    // Execute, Prepared and the tables' opening check by themselves.
    void CheckProgramTables(const QStringList& tables);
    QStringList TableNames();
    TFieldDefs ColumnDefs(const QString& table);  // raises TableNotFound
    // Primary index first; names as the engine gives them, the table prefix
    // stripped ("Clave1" style names on SQLite).
    // SQLite: the primary index has Name "" (SQLite keeps no constraint name);
    // other indexes are stored as TABLE + "_" + name (index names are unique
    // per file) and reported without that prefix. PostgreSQL: the primary
    // index is the constraint ("PERSONAL_Clave1"), others are stored as
    // T + "_" + name and reported without the prefix. Descending fields and
    // case-insensitive indexes are read back from the engine.
    TIndexDefs IndexDefs(const QString& table);
    void DropTableIfExists(const QString& table);

    // DDL through this class keeps the catalog cache right. CreateTable makes
    // the table with its key (primaryKeyName is the constraint name on
    // PostgreSQL) and, on PostgreSQL, keeps the dictionary spelling and field
    // types in the column comments. It runs in a transaction of its own when
    // none is active. CreateIndex names the index as IndexDefs describes.
    void CreateTable(const QString& table, const TFieldDefs& fields, const QStringList& primaryKey,
                     const QString& primaryKeyName);
    void CreateIndex(const QString& table, const TIndexDef& index);
    void DropIndex(const QString& table, const QString& indexName);
    // The engine's index name for an index of a table ("PERSONAL_Clave2").
    QString PhysicalIndexName(const QString& table, const QString& indexName) const;
    // Forgets cached catalog answers (after DDL made by other means).
    void InvalidateCatalog();

    // Record locks that need no open transaction (PostgreSQL advisory locks on
    // the table's schema, the table and the key; SQLite answers true and keeps
    // nothing). A lock held by
    // another session gives false. All of the session's locks end with it.
    bool TryLockRecord(const QString& table, const QString& key);
    void UnlockRecord(const QString& table, const QString& key);
    // Before a write under a record lock: true while the session holds it.
    // One a reconnection could not take again is taken now; false (nothing
    // taken) while another session holds it.
    bool KeepRecordLock(const QString& table, const QString& key);

    // PostgreSQL's text cannot hold the character 0: a statement or value
    // with one raises InvalidValue with a clear message (the server would
    // answer "unterminated quoted string"). Execute and Run check by
    // themselves.
    void RefuseNul(const QString& sql, const QVariantList& values) const;
    // RefuseNul on a query's bound values, and a lone surrogate in a bound
    // text replaced by U+FFFD (SQLite would take it as half of a pair and
    // swallow the next character). Execute and Run check by themselves.
    void CheckBoundValues(QSqlQuery& query) const;

    // Maps an engine error of this connection to EDatabaseError and throws it.
    // A PostgreSQL connection the server ended (restarted, backend ended)
    // raises ConnectionLost with a Spanish text that says what was not saved.
    // The next statement reconnects; inside a transaction every statement
    // raises the same until the transaction is ended (Commit raises it,
    // Rollback ends it quietly), so nothing of it is stored outside it. A
    // connection the server closed while idle is opened again before the
    // next statement is sent: nothing was lost, nothing is raised.
    [[noreturn]] void raiseError(const class QSqlError& error, const QString& sql) const;
    // True between a lost connection and the next statement's reconnection.
    bool ConnectionLost() const { return lost_; }

    // PostgreSQL, a company's database: the role its users' statements run
    // under (PgUsersRoleName), made and kept at every opening where the
    // program's login may create roles: it owns the company's tables, views
    // and sequences and may create them in its schema, reads the general
    // tables but the users table, and holds nothing else. Before it takes
    // an object over, the login and every login that reached the company's
    // objects (their owners, the schema's) are made its members by a grant
    // of their own. "" where the login may not create roles, the server
    // refused (UsersRoleNote says why; nothing was handed over), or an
    // object of another login could not be handed over (the rest was; the
    // note names what stayed): the policy
    // of users' statements alone holds then. A login that may not create
    // roles and is no member of the role that owns the company's objects
    // cannot open the database: the error names the GRANT to run.
    QString UsersRole() const { return usersRole_; }
    // Whether a table a user's result names is a plain table of the
    // database's own (its schema on PostgreSQL, `main` on SQLite; never the
    // general database), read from the catalog at the moment it is asked,
    // never from a cache: only such a result is written back through the
    // program's connection. `key` gets its primary key's fields.
    bool OwnsTable(const QString& table, QStringList* key = nullptr);
    QString UsersRoleNote() const { return usersRoleNote_; }

Q_SIGNALS:
    void aboutToClose();
    // After a reconnection: the record locks of the session that could not
    // be taken again (another session holds them now), each "TABLE (key)".
    void Reconnected(const QStringList& locksNotRetaken);

private:
    void openSqlite();
    void openPostgres();
    void setUpPostgresSession();
    // The SET statements every PostgreSQL session of this database starts with.
    QStringList pgSessionSettings() const;
    // The connection for users' statements back to a new session's state:
    // a transaction left open rolled back, then DISCARD ALL (advisory locks,
    // settings, prepared statements, temporary tables) and the settings.
    // False when the server refused.
    bool resetUserSession();
    // A lost connection opened again; its record locks taken again.
    void reconnect();
    // Before a statement: a lost connection opened again, or, inside the
    // transaction it ended, ConnectionLost raised.
    void reviveIfLost() const;
    // PostgreSQL: the server closed the connection while it was idle (no
    // transaction, nothing pending), as its socket tells without a round trip.
    bool closedWhileIdle() const;
    // Notes a lost connection: the transaction and pending reads are gone.
    void markLost(const QString& sql) const;
    bool isLoss(const class QSqlError& error) const;
    [[noreturn]] void raiseMapped(const class QSqlError& error, const QString& sql) const;
    // Runs one step of a statement; on PostgreSQL inside a transaction under a
    // savepoint. Raises the mapped error.
    template <typename Step>
    void guarded(QSqlQuery& q, const QString& sql, Step step);
    // Inside a transaction a failed batch could not write again: raises.
    void refuseIfBroken() const;
    QString pgSchema() const;
    QStringList sqliteSchemas() const;             // "main", attached ones, "temp"
    QString sqliteSchemaOf(const QString& table);  // "" when not found
    QString pgRegclass(const QString& table) const;
    // After a statement: cached catalog answers dropped when it changed the
    // catalog; a user's statement (`user`) drops those of every connection.
    void noteDdl(const QString& sql, bool user = false);
    // Before a cached answer or statement is used: a user's DDL anywhere
    // since the last look drops this connection's (catalog, names checked,
    // prepared statements, which the server would otherwise run over the
    // changed tables as they were planned).
    void followCatalog();
    // CheckProgramTables for the program's table names a statement holds.
    void checkProgramNames(const QString& sql);
    // PostgreSQL: a prepared statement the server refused because a table
    // it reads changed shape ("cached plan must not change result type")
    // prepared again with its values; false for any other error.
    bool prepareAgain(QSqlQuery& query) const;
    void settlePendingReads() const;
    // PostgreSQL: parses a user's statement as this connection's prepared
    // statement for users, replacing the last one. Raises the server's refusal.
    void prepareUserStatement(const QString& sql);
    // PostgreSQL: why a user's statement may not run on this connection
    // (PgUserStatementRefusal), "" when it may; the tables it would write
    // by unqualified names are looked up in the server's search path.
    QString pgUserStatementRefusal(const QString& sql, bool readOnly);
    // The users' role (UsersRole) made or set right; on the connection for
    // users' statements nothing. A refusal leaves it ""; raises only for a
    // login shut out of the role's objects.
    void setUpPgUsersRole();
    // The statements that give the users' role what it does not own yet in
    // the company's schema; the present owner of each added to `owners`.
    QStringList pgNotOwnedByUsers(const QString& role, QStringList* owners = nullptr) const;
    // After the program's own CREATE in the company's schema.
    void pgGiveCreatedToUsers(const QString& sql);
    // On the connection for users' statements: the role is in effect, or
    // the connection is closed and a Spanish error raised.
    void checkPgUsersRole();
    // The login may use the general schema and its tables; else the
    // connection is closed and a Spanish error names the grants it needs.
    void checkPgGeneralRights();
    QString usersRole_;
    QString usersRoleNote_;
    // The schema outside the own one (temporary tables aside) that a change
    // of `target` would reach, "" when none.
    QString pgReachOutsideOwn(const struct PgWriteTarget& target);
    // The schema and name of each relation a change of `target` reaches,
    // as the server resolves it (its name, partitions and children; a view's
    // tables when rows are written).
    QList<QPair<QString, QString>> pgReached(const struct PgWriteTarget& target);
    // The first of the user's write-protected tables (WriteProtectedTables)
    // the statement's targets reach in the own schema, "" when none.
    QString pgProtectedReached(const QList<struct PgWriteTarget>& targets);
    // PostgreSQL: a user's query (prepared here to describe its columns) as
    // the server runs it so that no value longer than kUserValueLimit is
    // ever sent: the server refuses it naming the column (raiseMapped tells
    // the user). `sql` itself when no column can hold such a value.
    QString pgBoundedQuery(const QString& sql);
    // SQLite, after a committed write (`sql`, a COMMIT or a statement run
    // outside a transaction): a PASSIVE checkpoint of every file of the
    // connection, so that confirmed work reaches the database files and a
    // copy of them holds it, once control is back in the event loop (a run
    // of commits or single statements pays for one).
    // It never waits for other programs and never fails the write.
    void checkpointAfter(const QString& sql);
    // SQLite: ExecuteUser, prepared under the authorizer that confines it.
    QSqlQuery executeSqliteUser(const QString& sql, const QVariantList& binds, bool readOnly);
    std::optional<bool> isSqliteUserQuery(const QString& sql);

    void cancelUserRun();
    void interruptSqlite();
    void cancelPg();
    void watchSqlite(bool on);
    int userRuns_ = 0;
    bool cancelled_ = false;
    bool polling_ = false;  // the wait is looking: no second look from inside it
    bool waited_ = false;
    bool onWorker_ = false;  // RunUserStep's worker has the connection
    qint64 polledAt_ = 0;    // ms, of the last look
    // The connection for users' statements (UserStatements), and whether
    // this is one.
    std::unique_ptr<TDatabase> users_;
    bool forUsers_ = false;
    bool closing_ = false;  // Close runs: no connection for users comes back

    QString databaseName_;
    QString connectionName_;
    TConnectionParams params_;
    QSqlDatabase db_;
    mutable bool inTransaction_ = false;
    mutable bool readOnly_ = false;  // a read-only transaction of BeginReadOnly runs
    bool userStatement_ = false;     // the prepared statement for users exists
    QStringList attached_;
    bool mainIsGeneral_ = false;  // SQLite: the company folder is the general one
    // The database itself is the general one: users' statements only read it.
    bool ownIsGeneral() const;
    mutable TSavepoints savepoints_;
    QHash<QString, std::shared_ptr<QSqlQuery>> prepared_;
    // The text a caller gave for each statement prepared with named marks,
    // for the statement an error reports.
    QHash<QString, QString> givenText_;
    // Prepared statements of a lost connection: callers may still hold them.
    QList<std::shared_ptr<QSqlQuery>> stale_;
    mutable bool lost_ = false;
    mutable QString lostText_;  // what the loss cost, for the next failure
    struct RecordLock {
        QString space;  // schema and table, as the lock was taken
        int count = 0;
        QString table;  // as the caller named it
        QString key;
    };
    QHash<QString, RecordLock> locks_;
    QHash<QString, TFieldDefs> columnCache_;
    // PostgreSQL: the kind of object each program table name resolved to
    // (lower-case name -> relkind), and the catalog's epoch they belong to.
    QHash<QString, QChar> relkinds_;
    quint64 catalogEpoch_ = 0;
    bool checkingNames_ = false;  // the check's own statement is not checked
    // The kind of object `table` resolves to ('r' a table, 'v' a view, 'm',
    // 'f', 'x' a virtual table; null: nothing), and the refusal of one that
    // is not a plain table.
    QChar programObjectKind(const QString& table);
    QString notPlainTableRefusal(const QString& table, QChar kind);
    QHash<QString, TIndexDefs> indexCache_;
    mutable QList<TPendingRead*> pendingReads_;
    bool settleQueued_ = false;      // SQLite: pending reads are read whole at the next idle
    bool checkpointQueued_ = false;  // SQLite: a checkpoint waits for the next idle
};

// PostgreSQL: true when the server reports `standard_conforming_strings`
// on for the connection (a backslash in a quoted text is a letter).
bool StandardStrings(const QSqlDatabase& db);
// PostgreSQL: sets it on for the connection and confirms it from what the
// server reports; raises ConnectionFailed, in Spanish, when it is not on.
void RequireStandardStrings(QSqlDatabase& db);

// True when the text holds a UTF-16 surrogate that is not half of a pair.
bool HasLoneSurrogate(const QString& text);
// The text with every lone surrogate replaced by U+FFFD.
QString WellFormedText(const QString& text);

// A user's statement under way on `db` (none: nothing).
class TUserRun {
public:
    explicit TUserRun(TDatabase* db) : db_(db) {
        if (db_) db_->BeginUserRun();
    }
    ~TUserRun() {
        if (db_) db_->EndUserRun();
    }
    TUserRun(const TUserRun&) = delete;
    TUserRun& operator=(const TUserRun&) = delete;

private:
    QPointer<TDatabase> db_;
};

// Begins a read-only transaction for a user's query where BeginReadOnly
// does, and ends it when destroyed or at End.
class TReadOnlyTransaction {
public:
    explicit TReadOnlyTransaction(TDatabase* db) : db_(db), begun_(db && db->BeginReadOnly()) {}
    ~TReadOnlyTransaction() { End(); }
    TReadOnlyTransaction(const TReadOnlyTransaction&) = delete;
    TReadOnlyTransaction& operator=(const TReadOnlyTransaction&) = delete;
    void End() {
        if (begun_ && db_) db_->EndReadOnly();
        begun_ = false;
    }

private:
    QPointer<TDatabase> db_;
    bool begun_;
};

// Field and table names are written unquoted in SQL; PostgreSQL folds them to
// lower case. The spelling registry gives them back their dictionary spelling.
void RegisterIdentifierSpelling(const QString& name);
QString IdentifierSpelling(const QString& name);

// The session's databases by logical name, their aliases, and databases named
// directly ("?" + a folder on SQLite or a schema on PostgreSQL).
class TSession {
public:
    static TSession& instance();

    void AddDatabase(TDatabase* db);  // not owned; removed when destroyed
    void RemoveDatabase(TDatabase* db);
    void AddAlias(const QString& alias, const QString& databaseName);
    void ClearAliases();
    // Parameters for databases named directly: engine, server, and the
    // attachments a direct company database gets.
    void setDefaultParams(const TConnectionParams& params) { defaults_ = params; }
    const TConnectionParams& defaultParams() const { return defaults_; }

    // Resolves a dataset's DatabaseName: a registered name or alias (any case),
    // "?" + name (a registered name, an alias, or a folder/schema opened on
    // demand and kept until CloseDirectDatabases; a folder may be written with
    // "\"). Raises DatabaseNotFound.
    TDatabase* FindDatabase(const QString& databaseName);
    // What FindDatabase(databaseName) stands for, with nothing opened: the
    // registered database it names (its name or an alias, "?" before it or
    // not), else for "?" + a name the parameters its direct database is
    // opened with (`direct`); null and false when it names neither.
    TDatabase* Registered(const QString& databaseName) const;
    bool DirectParams(const QString& databaseName, TConnectionParams& direct) const;
    void CloseDirectDatabases();

private:
    QList<TDatabase*> databases_;
    QHash<QString, QString> aliases_;  // lower-case alias -> name
    QHash<QString, TDatabase*> direct_;
    TConnectionParams defaults_;
};
