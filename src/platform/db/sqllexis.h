#pragma once
// How an engine reads the text of a statement: which parts are code and which
// are quoted texts, quoted names or comments, so that a scanner never takes a
// ";" or a ":name" inside a value for its own.
//
// Standard (SQLite): '...' with '' for a quote, "..." with "", [...] and
// `...` names, -- to the end of the line, /* */ (not nested).
// PostgreSQL: '...' and "..." as above, E'...' with backslash escapes (\' is a
// quote inside the text), $tag$...$tag$ with any text between, -- and nested
// /* */ comments; "$" is part of a name ("a$b$" is one name); -- ends at a
// line feed or a carriage return.

#include <QString>
#include <functional>

enum class SqlLexis { Standard, Postgres };

// Calls `piece` for each run of the text in order: [begin, end) and whether
// it is code. A quote or comment left open runs to the end of the text.
void ScanSqlText(const QString& sql, SqlLexis lexis,
                 const std::function<void(qsizetype begin, qsizetype end, bool code)>& piece);

// True when the text holds more than one statement as the engine reads it: a
// ";" in code followed by anything but blanks, comments and more ";".
bool SqlHoldsSeveralStatements(const QString& sql, SqlLexis lexis);

// The reason, in Spanish, why a user's text that holds several statements
// is refused (the same whichever engine or scanner found them).
QString SeveralStatementsReason();

// The reason, in Spanish, why a statement holding that name is refused.
QString ReachingNameReason(const QString& name);
// The reason, in Spanish, why a statement that writes (`what` names how) is
// refused where a user's statement may only read.
QString ReadOnlyPathReason(const QString& what);
// The reason, in Spanish, why a statement that would create, change or drop
// something in `where` (the general database, a temporary store) is refused:
// a user's statement writes only in its company's own database.
QString OtherDatabaseWriteReason(const QString& where);
// OtherDatabaseWriteReason for the general database, by the name the
// statement reaches it with.
QString GeneralDatabaseWriteReason(const QString& name);
// The reason, in Spanish, why a statement naming the users table is refused:
// it holds every user's password, level and rights.
QString UsersTableReason();
// A write a user may not make to one of the tables WriteProtectedTables
// names (db/hiddencolumns.h).
QString ProtectedTableReason(const QString& table);
// The reason, in Spanish, why a statement that would give something it
// creates or renames the name of one of the program's tables (`server`:
// a name the server keeps for its own objects) is refused.
QString TakenNameReason(const QString& name, bool server);
// The reason, in Spanish, why a statement that adds a generated column to
// `table` (one of the program's, or holding a field hidden from the user)
// is refused: the engine reads what it computes from without asking.
QString GeneratedColumnReason(const QString& table);
// The same for a CHECK condition added with a column: the engine checks
// it on every row already there without asking what it reads.
QString CheckConstraintReason(const QString& table);
// The reason, in Spanish, why a statement that makes `table` (one of the
// program's, or holding a field hidden from the user) a partition, child
// or parent of another table, or takes it out of one, is refused: the
// partition's bounds and the parent's reads reach its rows by another way.
QString KinshipReason(const QString& table);
// The reason, in Spanish, why a statement that reads, copies or changes a
// field hidden from the user (HiddenColumnTest) is refused; `how` says how
// it reaches it when not by the field's own name ("" when by name).
QString HiddenFieldReason(const QString& field, const QString& how = QString());
// Why a row a user writes may not give a value to `field`, hidden from him.
QString HiddenFieldWriteReason(const QString& field);
// The reason, in Spanish, why a text longer than `limit` bytes is refused
// before it is read.
QString TooLongReason(qsizetype limit);
// The reason, in Spanish, why a text nested too deeply is refused.
QString TooDeepReason();
// The largest value a user's statement may give, in bytes as the engine
// sends it (UTF-8 text): a larger one is refused before the program holds
// it, so that one value never takes more than a small multiple of this.
constexpr qsizetype kUserValueLimit = 16 * 1024 * 1024;
// The reason, in Spanish, why a statement giving a larger value is refused;
// `column` names where ("" when the engine does not tell).
QString ValueTooLargeReason(const QString& column);
