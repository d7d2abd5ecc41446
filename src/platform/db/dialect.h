#pragma once
// What differs in SQL text between the engines. One object per engine; the
// system's SQL leaves identifiers unquoted, so quoteIdentifier is only for
// names that need it (DDL of our own, spaces, reserved words).

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>

#include "db/fieldtypes.h"

enum class Engine {
    Sqlite,     // "Paradox"
    Postgres,   // "SQL Generica"
    SqlServer,  // "Microsoft SQL Server" (text only here)
};

// "Paradox", "SQL Generica", "Microsoft SQL Server"; EngineFromSetting raises
// EDatabaseError(UnsupportedEngine) for "Microsoft Access" or anything unknown.
QString EngineSettingName(Engine e);
Engine EngineFromSetting(const QString& tipoBaseDatos);

// The defaults are the ISO SQL that SQLite and PostgreSQL share; each engine
// overrides what it writes differently.
class SqlDialect {
public:
    virtual ~SqlDialect() = default;
    static const SqlDialect& forEngine(Engine e);

    virtual Engine engine() const = 0;

    // '...' with every embedded ' doubled. The one quoting routine.
    static QString quoteString(const QString& text);
    virtual QString quoteIdentifier(const QString& name) const = 0;
    // A column title after AS or in ORDER BY, its case kept: "Title" with
    // inner double quotes doubled; 'Title' (a string) on SQL Server.
    virtual QString quoteAlias(const QString& title) const;

    // Literals. Dates: ISO 'yyyy-mm-dd' on SQLite and PostgreSQL, the
    // FormatoFechaSQL pattern on SQL Server (default "dd/mm/yyyy"); the zero
    // date is written like any other date. Times 'hh:mm:ss'.
    virtual QString dateLiteral(const QDate& d) const;
    virtual QString timeLiteral(const QTime& t) const;
    virtual QString dateTimeLiteral(const QDateTime& dt) const;
    virtual QString booleanLiteral(bool b) const = 0;
    // Any value as a literal: NULL, numbers with ".", strings quoted, dates as
    // above (a QDateTime for an ftDate field as a date), bytes in hex.
    QString literal(const QVariant& value, TFieldType type = ftUnknown) const;

    // "SELECT TOP n ..." on SQL Server, "... LIMIT n" elsewhere, applied to a
    // statement that starts with SELECT.
    virtual QString limitSelect(const QString& select, int n) const;
    // "(a || b)"; "(a + b)" on SQL Server.
    virtual QString concat(const QStringList& parts) const;
    virtual QString castToText(const QString& expr) const;
    QString castToInteger(const QString& expr) const;
    virtual QString castToFloat(const QString& expr) const = 0;
    // LIKE on a column of any type: casts a non-text column where the engine needs it.
    virtual QString likeOperand(const QString& column, TFieldType type) const;
    // "column LIKE 'pattern'" with "%" and "_" as wildcards and "\" an
    // ordinary character on every engine.
    QString likeCondition(const QString& column, TFieldType type, const QString& pattern) const;
    // What makes "\" ordinary in LIKE: " ESCAPE ''" where it is the default escape.
    virtual QString likeEscape() const;
    QString upper(const QString& expr) const;
    // Date parts: "YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "SECOND"; another
    // name raises SqlError. The result is an integer.
    virtual QString datePart(const QString& part, const QString& expr) const = 0;
    // "dbo." on SQL Server, "" elsewhere; " WITH(NOLOCK)" on SQL Server, "" elsewhere.
    virtual QString tablePrefix() const;
    virtual QString noLock() const;

    // DDL. Column types for every field type with DEFAULT '' for strings, 0 for
    // numbers and booleans, the zero date for dates; ftAutoInc as the engine's
    // identity column. Strings compare byte-wise on every engine (COLLATE "C"
    // on PostgreSQL) so that key order is the same everywhere. Identifiers are
    // quoted in DDL (quoteIdentifier) so that any dictionary name is accepted.
    virtual QString columnType(TFieldType type, int size) const = 0;
    virtual QString columnDefault(TFieldType type) const;
    virtual QString columnDefinition(const TFieldDef& f) const;  // name type default [NOT NULL]
    // primaryKeyName is the constraint name where the engine has one.
    virtual QString createTable(const QString& table, const TFieldDefs& fields,
                                const QStringList& primaryKey, const QString& primaryKeyName) const;
    // createTable followed by what the engine needs besides it (on SQLite the
    // trigger that numbers an ftAutoInc column that is not the sole key).
    virtual QStringList createTableStatements(const QString& table, const TFieldDefs& fields,
                                              const QStringList& primaryKey,
                                              const QString& primaryKeyName) const;
    virtual QString dropTable(const QString& table) const;
    // physicalName is the engine's index name (unique per schema on PostgreSQL,
    // per table on SQL Server, per file on SQLite). `columns`, when given, lets
    // a case-insensitive index fold only its text columns (PostgreSQL's lower()
    // takes no numbers); without it every column of such an index is folded.
    virtual QString createIndex(const QString& table, const QString& physicalName,
                                const TIndexDef& index, const TFieldDefs& columns = {}) const = 0;
    virtual QString dropIndex(const QString& table, const QString& physicalName) const;
    // SQLite: "" (a database is its file, created by opening it in an existing
    // folder); PostgreSQL: CREATE SCHEMA; SQL Server: CREATE DATABASE.
    virtual QString createDatabase(const QString& name) const = 0;
    QString deleteAll(const QString& table) const;  // "DELETE FROM t"

    // Expression a key column is ordered and compared by (lower() for a
    // case-insensitive index on PostgreSQL, COLLATE NOCASE on SQLite). Pass
    // caseInsensitive only for text columns.
    virtual QString orderExpression(const QString& column, bool caseInsensitive) const = 0;

protected:
    // "CREATE [UNIQUE] INDEX name ON table (columns)".
    static QString indexStatement(const TIndexDef& index, const QString& name, const QString& table,
                                  const QStringList& columns);
    // An object of a table's schema: "s.T" and "x" give "s"."x".
    QString inTableSchema(const QString& table, const QString& name) const;
};

// The field type and size an SQLite declared column type stands for: the
// types createTable writes map back exactly ("VARCHAR(40)" -> ftString 40,
// "MEMO TEXT" -> ftMemo, "DATE TEXT" -> ftDate...); other declarations by
// their affinity. "INTEGER" is ftInteger here; the catalog reads an
// AUTOINCREMENT key as ftAutoInc.
TFieldType SqliteDeclaredFieldType(const QString& declaredType, int* size = nullptr);

// How PostgreSQL folds an unquoted identifier (ASCII letters to lower case,
// nothing else), so that quoted DDL names match the system's unquoted SQL.
QString PgFoldIdentifier(const QString& name);

// SQL Server writes dates with the installation's pattern; the session sets it.
void SetSqlServerDateFormat(const QString& formatoFechaSQL);
QString SqlServerDateFormat();
