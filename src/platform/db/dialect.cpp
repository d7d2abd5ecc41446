#include "db/dialect.h"

#include <QByteArray>
#include <QHash>
#include <QRegularExpression>

#include "db/dberror.h"

namespace {

const QDate kZeroDate(1899, 12, 30);

QString sqlServerDateFormat = QStringLiteral("dd/mm/yyyy");

// "yyyy-MM-dd" etc. without QLocale, so that the process locale never leaks in.
QString pad(int v, int width) {
    return QString::number(v).rightJustified(width, QLatin1Char('0'));
}
QString isoDate(const QDate& d) {
    return pad(d.year(), 4) + QLatin1Char('-') + pad(d.month(), 2) + QLatin1Char('-') +
           pad(d.day(), 2);
}
QString isoTime(const QTime& t) {
    return pad(t.hour(), 2) + QLatin1Char(':') + pad(t.minute(), 2) + QLatin1Char(':') +
           pad(t.second(), 2);
}

// The installation's date pattern: d, dd, m, mm, yy, yyyy; other characters copied.
QString patternDate(const QString& pattern, const QDate& d) {
    QString out;
    const QString p = pattern.toLower();
    for (int i = 0; i < p.size();) {
        const QChar c = p.at(i);
        int run = 1;
        while (i + run < p.size() && p.at(i + run) == c) ++run;
        if (c == QLatin1Char('d')) {
            out += run >= 2 ? pad(d.day(), 2) : QString::number(d.day());
        } else if (c == QLatin1Char('m')) {
            out += run >= 2 ? pad(d.month(), 2) : QString::number(d.month());
        } else if (c == QLatin1Char('y')) {
            out += run >= 3 ? pad(d.year(), 4) : pad(d.year() % 100, 2);
        } else {
            out += pattern.mid(i, run);
        }
        i += run;
    }
    return out;
}

QString joinColumns(const QStringList& columns) {
    return columns.join(QStringLiteral(", "));
}

// A name that SQL accepts unquoted on every engine.
bool isPlainIdentifier(const QString& name) {
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re.match(name).hasMatch();
}

bool descendingField(const TIndexDef& index, const QString& field) {
    if (!(index.Options & ixDescending)) return false;
    if (index.DescFields.trimmed().isEmpty()) return true;
    const QStringList desc = index.DescFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& d : desc)
        if (d.trimmed().compare(field, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// Quotes each part of a dotted name with `quote`.
template <typename Quote>
QString quoteParts(const QString& name, Quote quote) {
    QStringList parts = name.split(QLatin1Char('.'));
    for (QString& p : parts) p = quote(p);
    return parts.join(QLatin1Char('.'));
}

QString doubleQuoted(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// The date parts every dialect accepts, upper-cased; raises for another.
QString knownDatePart(const QString& part) {
    static const QStringList known{QStringLiteral("YEAR"),   QStringLiteral("MONTH"),
                                   QStringLiteral("DAY"),    QStringLiteral("HOUR"),
                                   QStringLiteral("MINUTE"), QStringLiteral("SECOND")};
    const QString p = part.trimmed().toUpper();
    if (!known.contains(p))
        throw EDatabaseError::make(DbError::SqlError, QStringLiteral("Invalid date part ") + part);
    return p;
}

QString cast(const QString& e, const char* type) {
    return QStringLiteral("CAST(") + e + QStringLiteral(" AS ") + QLatin1String(type) +
           QLatin1Char(')');
}

TFieldType columnTypeOf(const TFieldDefs& columns, const QString& field) {
    for (const TFieldDef& f : columns)
        if (f.Name.compare(field, Qt::CaseInsensitive) == 0) return f.DataType;
    return ftUnknown;
}

// ---------------------------------------------------------------- SQLite

class SqliteDialect : public SqlDialect {
public:
    Engine engine() const override { return Engine::Sqlite; }
    QString quoteIdentifier(const QString& name) const override {
        return quoteParts(name, doubleQuoted);
    }
    QString booleanLiteral(bool b) const override {
        return b ? QStringLiteral("1") : QStringLiteral("0");
    }
    // Dates are ISO text compared as text: a date-time at midnight is written
    // as the bare date, the form date columns hold, so that "Fecha = <date>"
    // matches in either kind of column.
    QString dateTimeLiteral(const QDateTime& dt) const override {
        if (dt.time() == QTime(0, 0)) return dateLiteral(dt.date());
        return SqlDialect::dateTimeLiteral(dt);
    }
    QString castToFloat(const QString& e) const override { return cast(e, "REAL"); }
    QString datePart(const QString& part, const QString& e) const override {
        static const QHash<QString, QString> formats{
            {QStringLiteral("YEAR"), QStringLiteral("%Y")},
            {QStringLiteral("MONTH"), QStringLiteral("%m")},
            {QStringLiteral("DAY"), QStringLiteral("%d")},
            {QStringLiteral("HOUR"), QStringLiteral("%H")},
            {QStringLiteral("MINUTE"), QStringLiteral("%M")},
            {QStringLiteral("SECOND"), QStringLiteral("%S")}};
        // Dates are ISO text here.
        return castToInteger(QStringLiteral("strftime('") + formats.value(knownDatePart(part)) +
                             QStringLiteral("', ") + e + QLatin1Char(')'));
    }

    // Declared types chosen so that the catalog gives the field type back and
    // SQLite's affinity rules store each value as the field needs it (a type
    // without INT, CHAR, TEXT, BLOB, REAL, FLOA or DOUB would get NUMERIC
    // affinity and turn the text "0123" into the number 123). ftInteger is
    // "INT", not "INTEGER": a sole INTEGER key would become the rowid and take
    // NULL as "give me a number".
    QString columnType(TFieldType type, int size) const override {
        switch (type) {
            case ftString:
                return QStringLiteral("VARCHAR(%1)").arg(size);
            case ftSmallint:
                return QStringLiteral("SMALLINT");
            case ftInteger:
                return QStringLiteral("INT");
            case ftWord:
                return QStringLiteral("WORD INTEGER");
            case ftBoolean:
                return QStringLiteral("BOOLEAN INTEGER");
            case ftFloat:
                return QStringLiteral("FLOAT");
            case ftCurrency:
                return QStringLiteral("CURRENCY REAL");
            case ftBCD:
                return QStringLiteral("BCD REAL");
            case ftDate:
                return QStringLiteral("DATE TEXT");
            case ftTime:
                return QStringLiteral("TIME TEXT");
            case ftDateTime:
                return QStringLiteral("DATETIME TEXT");
            case ftBytes:
                return QStringLiteral("BYTES BLOB(%1)").arg(size);
            case ftVarBytes:
                return QStringLiteral("VARBYTES BLOB(%1)").arg(size);
            case ftAutoInc:
                return QStringLiteral("AUTOINC INTEGER");
            case ftBlob:
                return QStringLiteral("BLOB");
            case ftMemo:
                return QStringLiteral("MEMO TEXT");
            case ftGraphic:
                return QStringLiteral("GRAPHIC BLOB");
            case ftFmtMemo:
                return QStringLiteral("FMTMEMO TEXT");
            case ftParadoxOle:
                return QStringLiteral("PARADOXOLE BLOB");
            case ftDBaseOle:
                return QStringLiteral("DBASEOLE BLOB");
            case ftTypedBinary:
                return QStringLiteral("TYPEDBINARY BLOB");
            case ftUnknown:
                break;
        }
        return QStringLiteral("TEXT");
    }
    // The constraint name is not kept: SQLite has no named primary keys to report.
    QString createTable(const QString& table, const TFieldDefs& fields,
                        const QStringList& primaryKey, const QString&) const override {
        if (!soleAutoIncKey(fields, primaryKey)) {
            TFieldDefs cols = fields;
            // Numbered by the trigger of createTableStatements after a NULL insert.
            for (TFieldDef& f : cols)
                if (f.DataType == ftAutoInc) f.Required = false;
            return SqlDialect::createTable(table, cols, primaryKey, QString());
        }
        QStringList cols;
        for (const TFieldDef& f : fields)
            cols << (f.DataType == ftAutoInc
                         ? quoteIdentifier(f.Name) +
                               QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT")
                         : columnDefinition(f));
        return QStringLiteral("CREATE TABLE ") + quoteIdentifier(table) + QStringLiteral(" (") +
               joinColumns(cols) + QLatin1Char(')');
    }
    // An ftAutoInc column that is not the sole key: inserted as NULL (SQLite
    // lets a key column of a rowid table hold NULL for that instant) and numbered
    // by a trigger one above the highest value, inside the same write (SQLite
    // serialises writers, so two inserts never get the same number).
    QStringList createTableStatements(const QString& table, const TFieldDefs& fields,
                                      const QStringList& primaryKey,
                                      const QString& primaryKeyName) const override {
        QStringList out{createTable(table, fields, primaryKey, primaryKeyName)};
        if (soleAutoIncKey(fields, primaryKey)) return out;
        const QString bare = quoteIdentifier(table.section(QLatin1Char('.'), -1));
        for (const TFieldDef& f : fields) {
            if (f.DataType != ftAutoInc) continue;
            const QString c = quoteIdentifier(f.Name);
            const QString trigger =
                inTableSchema(table, table.section(QLatin1Char('.'), -1) + QLatin1Char('_') +
                                         f.Name + QStringLiteral("_AutoInc"));
            out << QStringLiteral("CREATE TRIGGER ") + trigger +
                       QStringLiteral(" AFTER INSERT ON ") + bare + QStringLiteral(" WHEN NEW.") +
                       c + QStringLiteral(" IS NULL BEGIN UPDATE ") + bare +
                       QStringLiteral(" SET ") + c + QStringLiteral(" = (SELECT COALESCE(MAX(") +
                       c + QStringLiteral("), 0) + 1 FROM ") + bare +
                       QStringLiteral(") WHERE rowid = NEW.rowid; END");
        }
        return out;
    }
    QString createIndex(const QString& table, const QString& physicalName, const TIndexDef& index,
                        const TFieldDefs&) const override {
        QStringList cols;
        for (const QString& f : index.FieldList()) {
            QString c = quoteIdentifier(f);
            if (index.Options & ixCaseInsensitive) c += QStringLiteral(" COLLATE NOCASE");
            if (descendingField(index, f)) c += QStringLiteral(" DESC");
            cols << c;
        }
        // "s"."idx" ON "T": the index goes to the table's schema.
        return indexStatement(index, inTableSchema(table, physicalName),
                              quoteIdentifier(table.section(QLatin1Char('.'), -1)), cols);
    }
    QString createDatabase(const QString&) const override { return {}; }
    QString orderExpression(const QString& column, bool ci) const override {
        return ci ? column + QStringLiteral(" COLLATE NOCASE") : column;
    }

private:
    static bool soleAutoIncKey(const TFieldDefs& fields, const QStringList& primaryKey) {
        return primaryKey.size() == 1 && columnTypeOf(fields, primaryKey.first()) == ftAutoInc;
    }
};

// ------------------------------------------------------------ PostgreSQL

class PostgresDialect : public SqlDialect {
public:
    Engine engine() const override { return Engine::Postgres; }
    // Quoted with the case PostgreSQL gives the unquoted name, so that the
    // system's unquoted SQL finds what our DDL created.
    QString quoteIdentifier(const QString& name) const override {
        return quoteParts(name, [](const QString& p) { return doubleQuoted(PgFoldIdentifier(p)); });
    }
    QString booleanLiteral(bool b) const override {
        return b ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    }
    QString castToFloat(const QString& e) const override { return cast(e, "DOUBLE PRECISION"); }
    // PostgreSQL has LIKE for text only.
    QString likeOperand(const QString& column, TFieldType type) const override {
        return IsStringType(type) ? column : castToText(column);
    }
    QString likeEscape() const override { return QStringLiteral(" ESCAPE ''"); }
    QString datePart(const QString& part, const QString& e) const override {
        return castToInteger(QStringLiteral("EXTRACT(") + knownDatePart(part) +
                             QStringLiteral(" FROM ") + e + QLatin1Char(')'));
    }

    QString columnType(TFieldType type, int size) const override {
        switch (type) {
            case ftString:
                return (size > 0 ? QStringLiteral("VARCHAR(%1)").arg(size)
                                 : QStringLiteral("VARCHAR")) +
                       QStringLiteral(" COLLATE \"C\"");
            case ftSmallint:
                return QStringLiteral("SMALLINT");
            case ftInteger:
                return QStringLiteral("INTEGER");
            case ftWord:
                return QStringLiteral("INTEGER");  // 0..65535 does not fit SMALLINT
            case ftBoolean:
                return QStringLiteral("BOOLEAN");
            case ftFloat:
                return QStringLiteral("DOUBLE PRECISION");
            case ftCurrency:
            case ftBCD:
                return QStringLiteral("NUMERIC");
            case ftDate:
                return QStringLiteral("DATE");
            case ftTime:
                return QStringLiteral("TIME");
            case ftDateTime:
                return QStringLiteral("TIMESTAMP");
            case ftAutoInc:
                return QStringLiteral("INTEGER GENERATED BY DEFAULT AS IDENTITY");
            case ftMemo:
            case ftFmtMemo:
                return QStringLiteral("TEXT COLLATE \"C\"");
            case ftBytes:
            case ftVarBytes:
            case ftBlob:
            case ftGraphic:
            case ftParadoxOle:
            case ftDBaseOle:
            case ftTypedBinary:
                return QStringLiteral("BYTEA");
            case ftUnknown:
                break;
        }
        return QStringLiteral("TEXT COLLATE \"C\"");
    }
    QString createIndex(const QString& table, const QString& physicalName, const TIndexDef& index,
                        const TFieldDefs& columns) const override {
        QStringList cols;
        for (const QString& f : index.FieldList()) {
            QString c = quoteIdentifier(f);
            if ((index.Options & ixCaseInsensitive) &&
                (columns.isEmpty() || IsStringType(columnTypeOf(columns, f))))
                c = QStringLiteral("lower(") + c + QLatin1Char(')');
            if (descendingField(index, f)) c += QStringLiteral(" DESC");
            cols << c;
        }
        // The index goes to the table's schema by itself.
        return indexStatement(index, quoteIdentifier(physicalName), quoteIdentifier(table), cols);
    }
    QString createDatabase(const QString& name) const override {
        return QStringLiteral("CREATE SCHEMA ") + quoteIdentifier(name.toLower());
    }
    QString orderExpression(const QString& column, bool ci) const override {
        return ci ? QStringLiteral("lower(") + column + QLatin1Char(')') : column;
    }
};

// ------------------------------------------------------------ SQL Server

class SqlServerDialect : public SqlDialect {
public:
    Engine engine() const override { return Engine::SqlServer; }
    // Names as the system writes them; brackets only where SQL needs them.
    QString quoteIdentifier(const QString& name) const override {
        return quoteParts(name, [](const QString& p) {
            return isPlainIdentifier(p)
                       ? p
                       : QLatin1Char('[') +
                             QString(p).replace(QLatin1Char(']'), QStringLiteral("]]")) +
                             QLatin1Char(']');
        });
    }
    QString quoteAlias(const QString& title) const override { return quoteString(title); }
    QString dateLiteral(const QDate& d) const override {
        return quoteString(patternDate(sqlServerDateFormat, d));
    }
    QString dateTimeLiteral(const QDateTime& dt) const override {
        return quoteString(patternDate(sqlServerDateFormat, dt.date()) + QLatin1Char(' ') +
                           isoTime(dt.time()));
    }
    QString booleanLiteral(bool b) const override {
        return b ? QStringLiteral("1") : QStringLiteral("0");
    }
    QString limitSelect(const QString& select, int n) const override {
        static const QRegularExpression head(QStringLiteral("^\\s*SELECT(\\s+DISTINCT)?\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = head.match(select);
        if (!m.hasMatch()) return select;
        return select.left(m.capturedEnd()) + QStringLiteral(" TOP ") + QString::number(n) +
               select.mid(m.capturedEnd());
    }
    QString concat(const QStringList& parts) const override {
        return QLatin1Char('(') + parts.join(QStringLiteral(" + ")) + QLatin1Char(')');
    }
    QString castToText(const QString& e) const override { return cast(e, "VARCHAR(8000)"); }
    QString castToFloat(const QString& e) const override { return cast(e, "FLOAT"); }
    QString datePart(const QString& part, const QString& e) const override {
        return QStringLiteral("DATEPART(") + knownDatePart(part) + QStringLiteral(", ") + e +
               QLatin1Char(')');
    }
    QString tablePrefix() const override { return QStringLiteral("dbo."); }
    QString noLock() const override { return QStringLiteral(" WITH(NOLOCK)"); }

    QString columnType(TFieldType type, int size) const override {
        switch (type) {
            case ftString:
                return QStringLiteral("VARCHAR(%1)").arg(size);
            case ftSmallint:
                return QStringLiteral("SMALLINT");
            case ftInteger:
            case ftWord:
                return QStringLiteral("INTEGER");
            case ftBoolean:
                return QStringLiteral("BIT");
            case ftFloat:
            case ftBCD:
                return QStringLiteral("DECIMAL(28,8)");
            case ftCurrency:
                return QStringLiteral("MONEY");
            case ftDate:
            case ftTime:
            case ftDateTime:
                return QStringLiteral("DATETIME");
            case ftBytes:
                return QStringLiteral("BINARY(%1)").arg(size);
            case ftVarBytes:
                return QStringLiteral("VARBINARY(%1)").arg(size);
            case ftAutoInc:
                return QStringLiteral("INTEGER IDENTITY(1,1)");
            case ftMemo:
            case ftFmtMemo:
                return QStringLiteral("TEXT");
            case ftBlob:
            case ftGraphic:
            case ftParadoxOle:
            case ftDBaseOle:
            case ftTypedBinary:
                return QStringLiteral("IMAGE");
            case ftUnknown:
                break;
        }
        return QStringLiteral("TEXT");
    }
    QString columnDefault(TFieldType type) const override {
        if (type == ftMemo || type == ftFmtMemo) return {};  // TEXT columns take no default
        // DATETIME holds dates and times alike.
        if (IsDateTimeType(type)) return dateTimeLiteral(QDateTime(kZeroDate, QTime(0, 0)));
        return SqlDialect::columnDefault(type);
    }
    QString createTable(const QString& table, const TFieldDefs& fields,
                        const QStringList& primaryKey,
                        const QString& primaryKeyName) const override {
        return SqlDialect::createTable(owned(table), fields, primaryKey, primaryKeyName);
    }
    QString dropTable(const QString& table) const override {
        return SqlDialect::dropTable(owned(table));
    }
    QString createIndex(const QString& table, const QString& physicalName, const TIndexDef& index,
                        const TFieldDefs&) const override {
        QStringList cols;
        for (const QString& f : index.FieldList())
            cols << quoteIdentifier(f) +
                        (descendingField(index, f) ? QStringLiteral(" DESC") : QString());
        return indexStatement(index, quoteIdentifier(physicalName), quoteIdentifier(owned(table)),
                              cols);
    }
    QString dropIndex(const QString& table, const QString& physicalName) const override {
        return QStringLiteral("DROP INDEX ") + quoteIdentifier(owned(table)) + QLatin1Char('.') +
               quoteIdentifier(physicalName);
    }
    QString createDatabase(const QString& name) const override {
        return QStringLiteral("CREATE DATABASE ") + quoteIdentifier(name);
    }
    QString orderExpression(const QString& column, bool) const override { return column; }

private:
    // "dbo." + the table, unless it already names its owner.
    QString owned(const QString& table) const {
        return table.contains(QLatin1Char('.')) ? table : tablePrefix() + table;
    }
};

}  // namespace

// ------------------------------------------------------------ shared ISO SQL

QString SqlDialect::dateLiteral(const QDate& d) const {
    return quoteString(isoDate(d));
}
QString SqlDialect::timeLiteral(const QTime& t) const {
    return quoteString(isoTime(t));
}
QString SqlDialect::dateTimeLiteral(const QDateTime& dt) const {
    return quoteString(isoDate(dt.date()) + QLatin1Char(' ') + isoTime(dt.time()));
}
QString SqlDialect::limitSelect(const QString& select, int n) const {
    return select + QStringLiteral(" LIMIT ") + QString::number(n);
}
QString SqlDialect::concat(const QStringList& parts) const {
    return QLatin1Char('(') + parts.join(QStringLiteral(" || ")) + QLatin1Char(')');
}
QString SqlDialect::castToText(const QString& e) const {
    return cast(e, "TEXT");
}
QString SqlDialect::castToInteger(const QString& e) const {
    return cast(e, "INTEGER");
}
// SQLite compares any value with LIKE as its text (dates are ISO text), and
// SQL Server converts numbers and dates for LIKE by itself.
QString SqlDialect::likeOperand(const QString& column, TFieldType) const {
    return column;
}
QString SqlDialect::likeEscape() const {
    return {};
}
QString SqlDialect::likeCondition(const QString& column, TFieldType type,
                                  const QString& pattern) const {
    return likeOperand(column, type) + QStringLiteral(" LIKE ") + quoteString(pattern) +
           likeEscape();
}
QString SqlDialect::upper(const QString& e) const {
    return QStringLiteral("UPPER(") + e + QLatin1Char(')');
}
QString SqlDialect::tablePrefix() const {
    return {};
}
QString SqlDialect::noLock() const {
    return {};
}

QString SqlDialect::columnDefault(TFieldType type) const {
    switch (type) {
        case ftString:
        case ftMemo:
        case ftFmtMemo:
            return QStringLiteral("''");
        case ftBoolean:
            return booleanLiteral(false);
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            return QStringLiteral("0");
        case ftDate:
            return dateLiteral(kZeroDate);
        case ftTime:
            return timeLiteral(QTime(0, 0));
        case ftDateTime:
            return dateTimeLiteral(QDateTime(kZeroDate, QTime(0, 0)));
        default:
            return {};  // blobs and the identity column
    }
}

QString SqlDialect::createTable(const QString& table, const TFieldDefs& fields,
                                const QStringList& primaryKey,
                                const QString& primaryKeyName) const {
    QStringList cols;
    for (const TFieldDef& f : fields) cols << columnDefinition(f);
    if (!primaryKey.isEmpty()) {
        QStringList keys;
        for (const QString& k : primaryKey) keys << quoteIdentifier(k);
        QString c;
        if (!primaryKeyName.isEmpty())
            c = QStringLiteral("CONSTRAINT ") + quoteIdentifier(primaryKeyName) + QLatin1Char(' ');
        cols << c + QStringLiteral("PRIMARY KEY (") + joinColumns(keys) + QLatin1Char(')');
    }
    return QStringLiteral("CREATE TABLE ") + quoteIdentifier(table) + QStringLiteral(" (") +
           joinColumns(cols) + QLatin1Char(')');
}

QString SqlDialect::dropTable(const QString& table) const {
    return QStringLiteral("DROP TABLE ") + quoteIdentifier(table);
}

QString SqlDialect::dropIndex(const QString& table, const QString& physicalName) const {
    return QStringLiteral("DROP INDEX ") + inTableSchema(table, physicalName);
}

QString SqlDialect::deleteAll(const QString& table) const {
    return QStringLiteral("DELETE FROM ") + table;
}

QString SqlDialect::indexStatement(const TIndexDef& index, const QString& name,
                                   const QString& table, const QStringList& columns) {
    return QStringLiteral("CREATE ") +
           ((index.Options & (ixUnique | ixPrimary)) ? QStringLiteral("UNIQUE ") : QString()) +
           QStringLiteral("INDEX ") + name + QStringLiteral(" ON ") + table + QStringLiteral(" (") +
           joinColumns(columns) + QLatin1Char(')');
}

QString SqlDialect::inTableSchema(const QString& table, const QString& name) const {
    const QString q = quoteIdentifier(name);
    if (!table.contains(QLatin1Char('.'))) return q;
    return quoteIdentifier(table.section(QLatin1Char('.'), 0, -2)) + QLatin1Char('.') + q;
}

QString EngineSettingName(Engine e) {
    switch (e) {
        case Engine::Sqlite:
            return QStringLiteral("Paradox");
        case Engine::Postgres:
            return QStringLiteral("SQL Generica");
        case Engine::SqlServer:
            return QStringLiteral("Microsoft SQL Server");
    }
    return QStringLiteral("Paradox");
}

Engine EngineFromSetting(const QString& tipoBaseDatos) {
    const QString s = tipoBaseDatos.trimmed();
    if (s.isEmpty() || s.compare(QLatin1String("Paradox"), Qt::CaseInsensitive) == 0)
        return Engine::Sqlite;
    if (s.compare(QLatin1String("SQL Generica"), Qt::CaseInsensitive) == 0) return Engine::Postgres;
    if (s.compare(QLatin1String("Microsoft SQL Server"), Qt::CaseInsensitive) == 0)
        return Engine::SqlServer;
    throw EDatabaseError(DbError::UnsupportedEngine, DbErrorText(DbError::UnsupportedEngine),
                         QStringLiteral("TipoBaseDatos: ") + tipoBaseDatos);
}

const SqlDialect& SqlDialect::forEngine(Engine e) {
    static const SqliteDialect sqlite;
    static const PostgresDialect postgres;
    static const SqlServerDialect sqlServer;
    switch (e) {
        case Engine::Postgres:
            return postgres;
        case Engine::SqlServer:
            return sqlServer;
        case Engine::Sqlite:
            break;
    }
    return sqlite;
}

QString SqlDialect::quoteString(const QString& text) {
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

QString SqlDialect::quoteAlias(const QString& title) const {
    return QLatin1Char('"') + QString(title).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

QString SqlDialect::literal(const QVariant& value, TFieldType type) const {
    if (!value.isValid() || value.isNull()) return QStringLiteral("NULL");
    switch (value.typeId()) {
        case QMetaType::Bool:
            return booleanLiteral(value.toBool());
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return value.toString();
        case QMetaType::Double:
        case QMetaType::Float:
            return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        case QMetaType::QDate:
            return type == ftDateTime ? dateTimeLiteral(QDateTime(value.toDate(), QTime(0, 0)))
                                      : dateLiteral(value.toDate());
        case QMetaType::QTime:
            return timeLiteral(value.toTime());
        case QMetaType::QDateTime: {
            const QDateTime dt = value.toDateTime();
            if (type == ftDate) return dateLiteral(dt.date());
            if (type == ftTime) return timeLiteral(dt.time());
            return dateTimeLiteral(dt);
        }
        case QMetaType::QByteArray: {
            const QByteArray hex = value.toByteArray().toHex();
            switch (engine()) {
                case Engine::Sqlite:
                    return QStringLiteral("X'") + QLatin1String(hex) + QLatin1Char('\'');
                case Engine::Postgres:
                    return QStringLiteral("'\\x") + QLatin1String(hex) + QStringLiteral("'::bytea");
                case Engine::SqlServer:
                    return QStringLiteral("0x") + QLatin1String(hex);
            }
            break;
        }
        default:
            break;
    }
    return quoteString(value.toString());
}

QString SqlDialect::columnDefinition(const TFieldDef& f) const {
    QString s = quoteIdentifier(f.Name) + QLatin1Char(' ') + columnType(f.DataType, f.Size);
    const QString def = columnDefault(f.DataType);
    if (!def.isEmpty()) s += QStringLiteral(" DEFAULT ") + def;
    if (f.Required) s += QStringLiteral(" NOT NULL");
    return s;
}

QStringList SqlDialect::createTableStatements(const QString& table, const TFieldDefs& fields,
                                              const QStringList& primaryKey,
                                              const QString& primaryKeyName) const {
    return {createTable(table, fields, primaryKey, primaryKeyName)};
}

void SetSqlServerDateFormat(const QString& formatoFechaSQL) {
    sqlServerDateFormat =
        formatoFechaSQL.isEmpty() ? QStringLiteral("dd/mm/yyyy") : formatoFechaSQL;
}
QString SqlServerDateFormat() {
    return sqlServerDateFormat;
}

QString PgFoldIdentifier(const QString& name) {
    QString out = name;
    for (QChar& c : out)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + 32);
    return out;
}

TFieldType SqliteDeclaredFieldType(const QString& declaredType, int* size) {
    static const QRegularExpression sized(
        QStringLiteral("^(.*?)\\s*\\(\\s*(\\d+)\\s*(,\\s*\\d+\\s*)?\\)$"));
    QString t = declaredType.trimmed().toUpper();
    int n = 0;
    const QRegularExpressionMatch m = sized.match(t);
    if (m.hasMatch()) {
        t = m.captured(1).trimmed();
        n = m.captured(2).toInt();
    }
    auto give = [&](TFieldType ft, int s = 0) {
        if (size) *size = s;
        return ft;
    };
    // What createTable writes.
    static const QHash<QString, TFieldType> exact{
        {QStringLiteral("SMALLINT"), ftSmallint},
        {QStringLiteral("INT"), ftInteger},
        {QStringLiteral("INTEGER"), ftInteger},
        {QStringLiteral("WORD INTEGER"), ftWord},
        {QStringLiteral("BOOLEAN INTEGER"), ftBoolean},
        {QStringLiteral("FLOAT"), ftFloat},
        {QStringLiteral("CURRENCY REAL"), ftCurrency},
        {QStringLiteral("BCD REAL"), ftBCD},
        {QStringLiteral("DATE TEXT"), ftDate},
        {QStringLiteral("TIME TEXT"), ftTime},
        {QStringLiteral("DATETIME TEXT"), ftDateTime},
        {QStringLiteral("AUTOINC INTEGER"), ftAutoInc},
        {QStringLiteral("BLOB"), ftBlob},
        {QStringLiteral("MEMO TEXT"), ftMemo},
        {QStringLiteral("GRAPHIC BLOB"), ftGraphic},
        {QStringLiteral("FMTMEMO TEXT"), ftFmtMemo},
        {QStringLiteral("PARADOXOLE BLOB"), ftParadoxOle},
        {QStringLiteral("DBASEOLE BLOB"), ftDBaseOle},
        {QStringLiteral("TYPEDBINARY BLOB"), ftTypedBinary},
        // Common spellings of other creators.
        {QStringLiteral("BOOLEAN"), ftBoolean},
        {QStringLiteral("BOOL"), ftBoolean},
        {QStringLiteral("DATE"), ftDate},
        {QStringLiteral("TIME"), ftTime},
        {QStringLiteral("DATETIME"), ftDateTime},
        {QStringLiteral("TIMESTAMP"), ftDateTime},
        {QStringLiteral("TEXT"), ftMemo},
        {QStringLiteral("CLOB"), ftMemo},
    };
    if (t == QLatin1String("VARCHAR") || t == QLatin1String("CHAR") ||
        t == QLatin1String("CHARACTER") || t == QLatin1String("NVARCHAR"))
        return give(ftString, m.hasMatch() ? n : 255);
    if (t == QLatin1String("BYTES BLOB")) return give(ftBytes, n);
    if (t == QLatin1String("VARBYTES BLOB")) return give(ftVarBytes, n);
    const auto it = exact.constFind(t);
    if (it != exact.constEnd()) return give(*it);
    // Anything else by SQLite's affinity rules; no declared type (a column of
    // CREATE TABLE ... AS SELECT) reads as text.
    if (t.isEmpty()) return give(ftString, 255);
    if (t.contains(QLatin1String("INT"))) return give(ftInteger);
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) ||
        t.contains(QLatin1String("TEXT")))
        return give(ftMemo);
    if (t.contains(QLatin1String("BLOB"))) return give(ftBlob);
    return give(ftFloat);
}
