#pragma once
// One suite over every configured engine, as QtSql's own tests do: SQLite
// always, PostgreSQL when the test runs beside a server (RH_PG_HOST, RH_PG_PORT,
// RH_PG_USER, RH_PG_DATABASE, set by scripts/with-postgres).

#include <QList>
#include <QString>
#include <memory>

#include "db/database.h"

QList<Engine> AvailableEngines();
QString EngineTag(Engine e);  // "sqlite", "postgres"
// In a QtTest _data function: a column "engine" (int) and a row per engine
// ("sqlite" always, "postgres" beside a server).
void AddEngineRows();
// In a QtTest _data function whose first column is "engine": a row named
// "<engine> <case>" with its engine given, for the other columns to follow.
class QTestData& NewEngineRow(Engine e, const char* caso);
// The server of the PostgreSQL rows (RH_PG_*), with no schema set.
TConnectionParams PostgresServerParams();
// The engine of the current data row.
Engine CurrentEngine();
// PostgreSQL: the server ends the backends of these connections, as a
// restart does, from a connection of its own; returns once they are gone.
// The connections do not know it until they are next used.
void EndBackends(const QList<TDatabase*>& databases);
// The same for backends known by their pids (a connection busy meanwhile:
// a cursor's), on the server of `params`.
void EndBackendPids(const TConnectionParams& params, const QVariantList& pids);

// PostgreSQL: a plain connection of the calling thread to the server of
// `params` (its login, its password), registered under `name` and opened
// (isOpen tells), as any other program's.
class QSqlDatabase OpenOutside(const TConnectionParams& params, const QString& name);
// PostgreSQL: runs one statement on a plain connection of its own to the
// server of `params` (its login, its password, no setting of the program's),
// as any other way into the server would: the first column of each row it
// gives. The server's refusal goes to `error` ("" when it ran), or, without
// `error`, fails the running test.
QStringList RunOutside(const TConnectionParams& params, const QString& sql,
                       QString* error = nullptr);

// A fresh, empty database for one test, registered in TSession under `name`
// and open. SQLite: a temporary folder; PostgreSQL: a new schema of its own.
// The destructor closes and removes it.
class TestDatabase {
public:
    explicit TestDatabase(Engine engine, const QString& name = QStringLiteral("Database"));
    ~TestDatabase();
    TDatabase* db() const { return db_.get(); }
    Engine engine() const { return engine_; }
    // The parameters of this database, for another connection on the same data.
    TConnectionParams params() const;
    // A second session on the same data (another connection), registered
    // under `name`; owned by the caller.
    std::unique_ptr<TDatabase> openSecondSession(const QString& name) const;

    // SQLite: the database folder; PostgreSQL: the schema.
    QString location() const { return engine_ == Engine::Sqlite ? folder_ : schema_; }

private:
    Engine engine_;
    std::unique_ptr<class QTemporaryDir> tmp_;
    QString folder_;
    QString schema_;
    std::unique_ptr<TDatabase> db_;
};
