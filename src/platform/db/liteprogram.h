#pragma once
// What a user's statement will read on SQLite, judged by the program the
// engine compiled for it: SQLite resolves some columns itself (a USING list,
// a NATURAL JOIN, a generated column's expression, an index it seeks in)
// without asking the authorizer, so the names the authorizer was told are
// not all the statement reads.

#include <QString>
#include <QVariantList>

struct sqlite3_stmt;
class TSqliteConfinement;

// Why the prepared statement `st`, a user's, may not run: its program reads
// a column hidden from the user (a column read, a whole row read, or a
// cursor on an index or key whose order or rows follow one, other than to
// count it), or opens the users table USUARIO or one of its indexes, in
// whichever database. "" when it may. The program is read through EXPLAIN,
// prepared under `confinement` with `values` bound as the statement's own,
// so that it is the program that will run. Reads on a cursor the statement
// writes through (a row rebuilt, its indexes kept) are the engine's own.
QString SqliteProgramRefusal(sqlite3_stmt* st, const QVariantList& values,
                             const TSqliteConfinement& confinement);
