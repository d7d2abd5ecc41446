#pragma once
// How PostgreSQL itself reads a statement's text, through its own scanner and
// parser (libpg_query), so that what a statement may do is decided on what
// the server will run and never on a second reading of ours.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// A table a user's statement writes, alters or drops in the database's own
// schema (or by a name the search path resolves), for its caller to ask the
// server what it really reaches: the tables a view stands on when its rows
// are written, and the partitions and children of a table.
struct PgWriteTarget {
    QString schema;  // "" when unqualified
    QString name;
    bool rows = false;  // its rows are written (INSERT, UPDATE, DELETE, MERGE, TRUNCATE)
    // Not a table reached but the name given to something the statement
    // creates or renames (a table, view, index...), as the parser reads it,
    // for the caller to compare with the names of the program's tables.
    bool named = false;
    // Made a partition, child or parent of another table, or taken out of
    // one: its rows are then read or bounded by another way than its own.
    bool kin = false;
};

// True when the server would read more than one statement in the text (empty
// ones, between ";" marks or after the last, do not count). A text the
// scanner refuses is left for the server to refuse.
bool PgHoldsSeveralStatements(const QString& sql);

// The text of the one statement the server reads in `sql`, without the ";"
// marks and blanks around it (a comment at its end stays); `sql` itself
// when the scanner cannot read it.
QString PgStatementBody(const QString& sql);

// A column of a statement's result as the server describes it.
struct PgColumn {
    QString name;
    unsigned type;  // the type's oid
    int size;       // bytes of a fixed-size type, < 0 when its values vary
    // A column of a table whose field is hidden from the user: read as NULL.
    bool hidden = false;
};
// A user's query whose result has `columns`, written so that the server
// refuses any value longer than kUserValueLimit in text form before it sends
// it, with an error PgTooLargeColumn reads; `sql` itself when no column can
// hold such a value. A hidden column comes as NULL of its type, never
// looked at (its length would tell of its value).
QString PgBoundedQuery(const QString& sql, const QList<PgColumn>& columns);
// The column the server named in such a refusal (the text of its error);
// nothing when the error is another.
std::optional<QString> PgTooLargeColumn(const QString& serverText);

// Why a statement a user typed may not run, in Spanish ("" when it may):
// - a text longer than the parser is given (TooLongReason), not exactly one
//   statement, or a text the parser refuses (the reason tells where, in
//   Spanish words) or whose tree is too deep to be read (TooDeepReason);
//   the text is parsed on a thread whose stack holds the deepest tree the
//   longest text can make;
// - `readOnly`: anything but a SELECT that only reads (no INTO, no locking
//   clause, no INSERT/UPDATE/DELETE/MERGE inside it);
// - otherwise anything but reading and changing rows and the ordinary
//   tables, views and indexes of its database (commands on roles,
//   extensions, rules, triggers, functions, settings, transactions,
//   server files, ... are refused);
// - a function that acts outside the statement's own result (other
//   sessions, the server, its files, large objects, other databases, text
//   run as SQL), a system catalog or information_schema relation, the
//   users table USUARIO, or a schema other than `schemas` (and pg_catalog
//   for functions and types), anywhere in the statement;
// - a write, creation, change or drop in any schema but the first of
//   `schemas` (the database's own; none when `ownWritable` is false: the
//   others are only read), ATTACH and DETACH PARTITION writing the table
//   they name. The tables it writes, alters, drops, inherits from or
//   references by unqualified names or in the own schema go to `targets`,
//   for the caller to ask the server where they lead and what they reach;
//   without `targets` they are taken as the own schema's; so do, marked
//   `named`, the names given to what it creates or renames; and, marked
//   `kin`, the tables ATTACH/DETACH PARTITION, INHERIT/NO INHERIT, PARTITION
//   OF and INHERITS name (the one altered too);
// - a locking clause (FOR UPDATE, FOR SHARE...): readOnly, refused; else
//   the tables its SELECT reads are taken as the rows it writes;
// - a name given (created, renamed to) that the server keeps for its own
//   (pg_...) or the users table's; the option security_invoker, which
//   runs a view with the rights of whoever reads it (the program's own);
// - to_regclass and its kin, has_..._privilege and the reg... casts of a
//   name outside `schemas`, or of anything but a written name;
//   current_setting of the server's files and folders.
// A name a WITH of the statement defines is that result, not a table.
QString PgUserStatementRefusal(const QString& sql, bool readOnly, const QStringList& schemas,
                               bool ownWritable = true, QList<PgWriteTarget>* targets = nullptr);

// True when the statement is a query: one SELECT, VALUES or TABLE that
// writes nothing (no INTO, no INSERT/UPDATE/DELETE/MERGE in a WITH).
// Nothing when the text is not one statement the parser reads.
std::optional<bool> PgStatementIsQuery(const QString& sql);

// What a user's statement does with the columns of the tables it reads, as
// the parser reads it, for a user from whom some columns are hidden:
// - `named`: the first column it names (in any expression or clause, by
//   its name alone or qualified) that `hidden` hides, "" when none;
// - `carried`: the first place where a column could come out or be copied
//   under another name without being named ("" when none): a "*" anywhere
//   but the target list of the statement's own SELECT, when that SELECT
//   has no set operation, DISTINCT, GROUP BY or INTO (anywhere else: in
//   EXISTS or IN, a set operation's branch, a sub-query, a WITH, INSERT ...
//   SELECT, CREATE TABLE/VIEW ... AS...), a whole-row reference, a table
//   with a column alias list, a NATURAL join;
// - `sortedByStar`: the ORDER BY positions of that SELECT that may stand
//   on a column its "*" brings, for the caller to ask the server which
//   column each one is;
// - `relations`: the tables and views it names, as the server reads a
//   name given as text, for the caller to ask which columns they hold;
// - `filledWhole`: those of them an INSERT (or MERGE's) gives values
//   without a column list, so every column of them.
// - `qualified`: the names that follow a table's name or alias in a
//   qualified column reference (p.codigo, esquema.prueba.codigo; EXCLUDED
//   stands for the table an INSERT ... ON CONFLICT writes), for the caller
//   to ask whether each is a column of that table: where it is not, the
//   server applies the function of that name to the table's whole row
//   (p.to_jsonb, p.record_out).
// Empty when the text is not one statement the parser reads.
struct PgQualifiedName {
    // The tables it may stand on, as the server reads a name given as text;
    // several for a join's alias, whose row holds the columns of them all.
    QStringList relations;
    QString name;
    QString written;  // the reference as written, "p.to_jsonb"
};
struct PgColumnUse {
    QString named;
    QString carried;
    QList<int> sortedByStar;
    QStringList relations;
    QStringList filledWhole;
    QList<PgQualifiedName> qualified;
};
PgColumnUse PgColumnUses(const QString& sql, const std::function<bool(const QString&)>& hidden);
