#pragma once
// Values of a result read straight from the engine's own row, without the
// SQL driver's variant per value and copy of every row: on PostgreSQL from
// libpq's text in a field's type, for the stored forms that the driver
// converts in one plain way; on SQLite as the driver gives them.

#include <QVariant>
#include <memory>

#include "db/fieldtypes.h"

class QSqlDatabase;
class QSqlError;
class QSqlQuery;
typedef struct pg_result PGresult;
struct sqlite3;
struct sqlite3_stmt;

// The result behind an executed query on PostgreSQL (the current row's alone
// while a forward-only query streams it); null on any other engine.
const PGresult* PgResultOf(const QSqlQuery& q);
// Column `col` of row `row` of `r` (both within the result) as a NULL (an
// invalid variant) or in `type`'s canonical form; false when the stored form
// is one to leave to the driver.
bool PgCanonicalValue(const PGresult* r, int row, int col, TFieldType type, QVariant& out);

// The engine's own connection behind an open database on SQLite; null on any
// other engine.
sqlite3* SqliteHandleOf(const QSqlDatabase& db);
// The statement behind an executed query on SQLite; null on any other
// engine. The driver's exec leaves it on the first row of its result (reset
// when there is none).
sqlite3_stmt* SqliteStatementOf(const QSqlQuery& q);
// Column `col` of the statement's current row as the SQL driver gives it.
QVariant SqliteStoredValue(sqlite3_stmt* st, int col);
// The error of a failed step (result code `rc`), as the SQL driver reports it.
// A value over the connection's length limit (SQLITE_TOOBIG) is told by a
// driver text of kSqliteTooLarge and the name of the result's column when it
// has one alone or, for a user's query (`user`), SqliteTooLargeColumn finds
// it (SQLite does not say which).
QSqlError SqliteStepError(sqlite3_stmt* st, int rc, bool user = false);
// The name of the column of a user's query `st` whose value passed
// kUserValueLimit, found by running the statement again one column at a
// time under that limit and the user's confinement; "" when no column alone
// is to blame, or the statement cannot be run so.
QString SqliteTooLargeColumn(sqlite3_stmt* st);
inline constexpr const char* kSqliteTooLarge = "Value too large: ";

// The authorizer that confines a user's statement on SQLite (see
// TDatabase::ExecuteUser). SQLite prepares a statement again inside a step
// (a LIKE or GLOB pattern bound after it was prepared, the schema changed by
// anyone), so the statement's confinement is in force over its preparation
// and over every one of its steps, and only there: never over the program's
// own statements on the same connection. It lives as long as the statement.
class TSqliteConfinement {
public:
    // `query`: hidden columns read as NULL (anything else that reads one is
    // refused); `readOnly`: a write is refused.
    TSqliteConfinement(sqlite3* handle, bool readOnly, bool mainIsGeneral, bool query);
    ~TSqliteConfinement();
    TSqliteConfinement(const TSqliteConfinement&) = delete;
    TSqliteConfinement& operator=(const TSqliteConfinement&) = delete;
    // What was refused, as the user is told ("" when nothing was).
    QString Refused() const;
    // The statement is prepared: what a preparation inside a step would
    // let through to be told afterwards (a write) is refused at once.
    void SetPrepared();

    // The confinement in force over its connection while this lives (none
    // for a null confinement).
    class Scope {
    public:
        explicit Scope(const TSqliteConfinement* confinement);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        const TSqliteConfinement* confinement_;
        const TSqliteConfinement* previous_ = nullptr;
    };

    struct Rules;
    Rules& rules() const { return *rules_; }

private:
    static void install(const TSqliteConfinement* confinement, sqlite3* handle);
    sqlite3* handle_;
    std::unique_ptr<Rules> rules_;
};
