#pragma once
// How PostgreSQL itself reads a statement's text, through its own scanner and
// parser (libpg_query), so that what a statement may do is decided on what
// the server will run and never on a second reading of ours.

#include <QString>
#include <QStringList>

// True when the server would read more than one statement in the text (empty
// ones, between ";" marks or after the last, do not count). A text the
// scanner refuses is left for the server to refuse.
bool PgHoldsSeveralStatements(const QString& sql);

// Why a statement a user typed may not run, in Spanish ("" when it may):
// - not exactly one statement, or a text the parser refuses (the reason
//   tells where, in Spanish words) or whose tree is too deep to be read;
// - `readOnly`: anything but a SELECT that only reads (no INTO, no locking
//   clause, no INSERT/UPDATE/DELETE/MERGE inside it);
// - otherwise anything but reading and changing rows and the ordinary
//   tables, views and indexes of its database (commands on roles,
//   extensions, rules, triggers, functions, settings, transactions,
//   server files, ... are refused);
// - a function that acts outside the statement's own result (other
//   sessions, the server, its files, large objects, other databases, text
//   run as SQL), a system catalog or information_schema relation, or a
//   schema other than `schemas` (and pg_catalog for functions and types),
//   anywhere in the statement.
QString PgUserStatementRefusal(const QString& sql, bool readOnly, const QStringList& schemas);
