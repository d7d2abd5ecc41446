#pragma once
// Values of a result read straight from the engine's own row, without the
// SQL driver's variant per value and copy of every row: on PostgreSQL from
// libpq's text in a field's type, for the stored forms that the driver
// converts in one plain way; on SQLite as the driver gives them.

#include <QVariant>

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
