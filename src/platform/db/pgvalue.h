#pragma once
// Values of a PostgreSQL result read straight from libpq's text in a field's
// type, for the stored forms that the SQL driver converts in one plain way:
// no variant of the driver's and no second conversion per value.

#include <QVariant>

#include "db/fieldtypes.h"

class QSqlQuery;
typedef struct pg_result PGresult;

// The result behind an executed query on PostgreSQL (the current row's alone
// while a forward-only query streams it); null on any other engine.
const PGresult* PgResultOf(const QSqlQuery& q);
// Column `col` of row `row` of `r` as a NULL (an invalid variant) or in
// `type`'s canonical form; false when the stored form is one to leave to the
// driver.
bool PgCanonicalValue(const PGresult* r, int row, int col, TFieldType type, QVariant& out);
