// TDatabase's catalog: tables, columns and indexes as the program names
// them, read from either engine and cached; tables and indexes made.

#include <QDir>
#include <QMap>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <atomic>

#include "db/database.h"

#include "db/database_p.h"
#include "db/dberror.h"
#include "db/hiddencolumns.h"
#include "db/sqllexis.h"

namespace {

// Column comments on PostgreSQL: "Spelling;ftType;Size;Required".
QString columnComment(const TFieldDef& f) {
    return f.Name + QLatin1Char(';') + FieldTypeName(f.DataType) + QLatin1Char(';') +
           QString::number(f.Size) + QLatin1Char(';') +
           (f.Required ? QLatin1Char('1') : QLatin1Char('0'));
}

bool parseColumnComment(const QString& comment, const QString& attname, TFieldDef& f) {
    const QStringList parts = comment.split(QLatin1Char(';'));
    if (parts.size() != 4 || PgFoldIdentifier(parts[0]) != attname) return false;
    const TFieldType t = FieldTypeFromName(parts[1]);
    if (t == ftUnknown) return false;
    f.Name = parts[0];
    f.DataType = t;
    f.Size = parts[2].toInt();
    f.Required = parts[3] == QLatin1String("1");
    return true;
}

TFieldType pgFieldType(const QString& formatted, bool identity, int* size) {
    static const QRegularExpression sized(
        QStringLiteral("^(character varying|character|varchar|char)\\((\\d+)\\)$"));
    *size = 0;
    const QRegularExpressionMatch m = sized.match(formatted);
    if (m.hasMatch()) {
        *size = m.captured(2).toInt();
        return ftString;
    }
    if (formatted == QLatin1String("character varying")) {
        *size = 255;
        return ftString;
    }
    if (formatted == QLatin1String("smallint")) return ftSmallint;
    if (formatted == QLatin1String("integer") || formatted == QLatin1String("bigint"))
        return identity ? ftAutoInc : ftInteger;
    if (formatted == QLatin1String("boolean")) return ftBoolean;
    if (formatted == QLatin1String("double precision") || formatted == QLatin1String("real") ||
        formatted.startsWith(QLatin1String("numeric")))
        return ftFloat;
    if (formatted == QLatin1String("date")) return ftDate;
    if (formatted.startsWith(QLatin1String("time "))) return ftTime;
    if (formatted.startsWith(QLatin1String("timestamp"))) return ftDateTime;
    if (formatted == QLatin1String("bytea")) return ftBlob;
    return ftMemo;
}

QString spelledField(const TFieldDefs& columns, const QString& name) {
    for (const TFieldDef& f : columns)
        if (f.Name.compare(name, Qt::CaseInsensitive) == 0) return f.Name;
    return IdentifierSpelling(name);
}

// Descending flags as TIndexDef keeps them: all of them -> no DescFields.
void setDescending(TIndexDef& ix, const QStringList& fields, const QStringList& desc) {
    if (desc.isEmpty()) return;
    ix.Options |= ixDescending;
    if (desc.size() != fields.size()) ix.DescFields = desc.join(QLatin1Char(';'));
}

QHash<QString, QString>& spellings() {
    static QHash<QString, QString> map;
    return map;
}

}  // namespace

// ---------------------------------------------------------------- spelling

void RegisterIdentifierSpelling(const QString& name) {
    if (name.isEmpty()) return;
    spellings().insert(name.toLower(), name);
}

QString IdentifierSpelling(const QString& name) {
    return spellings().value(name.toLower(), name);
}

// ---------------------------------------------------------------- catalog

namespace {

// Counts the users' statements that changed the catalog, on any connection
// of the program: each connection compares it with the count its cached
// answers belong to (TDatabase::followCatalog).
std::atomic<quint64> catalogEpoch{0};

// What the object standing under one of the program's table names is, in
// Spanish, and the statement that removes it.
QString notPlainWhat(QChar kind) {
    switch (kind.unicode()) {
        case 'v':
            return QStringLiteral("una vista");
        case 'm':
            return QStringLiteral("una vista materializada");
        case 'x':
            return QStringLiteral("una tabla virtual");
        default:
            return QStringLiteral("una tabla externa");
    }
}

QString notPlainDrop(QChar kind) {
    switch (kind.unicode()) {
        case 'v':
            return QStringLiteral("DROP VIEW ");
        case 'm':
            return QStringLiteral("DROP MATERIALIZED VIEW ");
        case 'x':
            return QStringLiteral("DROP TABLE ");
        default:
            return QStringLiteral("DROP FOREIGN TABLE ");
    }
}

}  // namespace

void TDatabase::InvalidateCatalog() {
    columnCache_.clear();
    indexCache_.clear();
    relkinds_.clear();
}

void TDatabase::noteDdl(const QString& sql, bool user) {
    if (user && params_.engine != Engine::Sqlite) {
        // A user's statement may also change what a DDL word does not
        // start (SELECT INTO, IMPORT FOREIGN SCHEMA, GRANT...): only row
        // work leaves the catalog alone.
        static const QStringList rowWork{QStringLiteral("SELECT"), QStringLiteral("WITH"),
                                         QStringLiteral("VALUES"), QStringLiteral("TABLE"),
                                         QStringLiteral("INSERT"), QStringLiteral("UPDATE"),
                                         QStringLiteral("DELETE")};
        if (rowWork.contains(firstWord(sql))) return;
    } else if (!isDdl(sql)) {
        return;
    }
    InvalidateCatalog();
    // Every connection of the program, this one's opener and the general
    // database's included, reads and runs its cached answers anew.
    if (user) ++catalogEpoch;
}

void TDatabase::followCatalog() {
    const quint64 now = catalogEpoch.load();
    if (now == catalogEpoch_) return;
    catalogEpoch_ = now;
    InvalidateCatalog();
    // Kept alive for callers that may hold them, as after a reconnection;
    // the next Prepared of each text prepares it anew.
    for (const auto& q : std::as_const(prepared_)) stale_ << q;
    prepared_.clear();
}

QChar TDatabase::programObjectKind(const QString& table) {
    checkingNames_ = true;
    const auto done = qScopeGuard([this] { checkingNames_ = false; });
    QChar kind;
    if (params_.engine == Engine::Postgres) {
        QSqlQuery& q =
            Prepared(QStringLiteral("SELECT relkind FROM pg_class WHERE oid = to_regclass(?)"));
        q.addBindValue(pgRegclass(table));
        Run(q);
        if (q.next() && !q.value(0).toString().isEmpty()) kind = q.value(0).toString().at(0);
        q.finish();
        return kind;
    }
    // As SQLite resolves a name: the temporary schema, the main one, then
    // the attached ones in order.
    QString bare = table;
    QStringList schemas{QStringLiteral("temp"), QStringLiteral("main")};
    schemas << attached_;
    if (table.contains(QLatin1Char('.'))) {
        schemas = QStringList{table.section(QLatin1Char('.'), 0, 0)};
        bare = table.section(QLatin1Char('.'), 1);
    }
    for (const QString& s : std::as_const(schemas)) {
        QSqlQuery& q =
            Prepared(QStringLiteral("SELECT type, sql FROM ") + dialect().quoteIdentifier(s) +
                     QStringLiteral(".sqlite_master WHERE type IN ('table', 'view') "
                                    "AND name = ? COLLATE NOCASE"));
        q.addBindValue(bare);
        Run(q);
        if (q.next()) {
            static const QRegularExpression isVirtual(QStringLiteral("^\\s*CREATE\\s+VIRTUAL\\s"),
                                                      QRegularExpression::CaseInsensitiveOption);
            if (q.value(0).toString() == QLatin1String("view"))
                kind = QLatin1Char('v');
            else
                kind = isVirtual.match(q.value(1).toString()).hasMatch() ? QLatin1Char('x')
                                                                         : QLatin1Char('r');
        }
        q.finish();
        if (!kind.isNull()) break;
    }
    return kind;
}

// Names the tables the object reads and tells the administrator a sequence
// of statements, each one the users' statement window runs, that keeps the
// rows the previous version read through it: deleting it alone would leave
// the program's table empty while the rows stay where nobody looks. What
// that window cannot run for this login (a hidden field, another owner's
// object, a virtual table) is told with who runs what instead.
QString TDatabase::notPlainTableRefusal(const QString& table, QChar kind) {
    checkingNames_ = true;
    const auto done = qScopeGuard([this] { checkingNames_ = false; });
    const QString name = table.section(QLatin1Char('.'), -1).toUpper();
    QStringList reads;
    QStringList columns;
    QStringList clashing;
    try {
        if (params_.engine == Engine::Postgres) {
            QSqlQuery& q = Prepared(QStringLiteral(
                "SELECT DISTINCT CASE WHEN n.oid = v.relnamespace THEN c.relname::text "
                "ELSE n.nspname || '.' || c.relname END "
                "FROM pg_class v JOIN pg_rewrite r ON r.ev_class = v.oid "
                "JOIN pg_depend d ON d.classid = 'pg_rewrite'::regclass AND d.objid = r.oid "
                "AND d.refclassid = 'pg_class'::regclass "
                "JOIN pg_class c ON c.oid = d.refobjid AND c.oid <> v.oid "
                "AND c.relkind IN ('r', 'p', 'v', 'm', 'f') "
                "JOIN pg_namespace n ON n.oid = c.relnamespace "
                "WHERE v.oid = to_regclass(?) ORDER BY 1"));
            q.addBindValue(pgRegclass(table));
            Run(q);
            while (q.next()) reads << q.value(0).toString();
            q.finish();
            QSqlQuery& c = Prepared(QStringLiteral(
                "SELECT attname FROM pg_attribute WHERE attrelid = to_regclass(?) AND attnum > 0 "
                "AND NOT attisdropped ORDER BY attnum"));
            c.addBindValue(pgRegclass(table));
            Run(c);
            while (c.next()) columns << c.value(0).toString();
            c.finish();
            // The indexes that kept the program's names when the table was
            // renamed: the program's own, made with the table, would clash.
            QSqlQuery& x = Prepared(QStringLiteral(
                "SELECT DISTINCT i.relname FROM pg_rewrite r "
                "JOIN pg_depend d ON d.classid = 'pg_rewrite'::regclass AND d.objid = r.oid "
                "AND d.refclassid = 'pg_class'::regclass "
                "JOIN pg_index ix ON ix.indrelid = d.refobjid "
                "JOIN pg_class i ON i.oid = ix.indexrelid "
                "WHERE r.ev_class = to_regclass(?) AND lower(i.relname) LIKE ? ORDER BY 1"));
            x.addBindValue(pgRegclass(table));
            x.addBindValue(QString(name.toLower() + QStringLiteral("\\_%")));
            Run(x);
            while (x.next()) clashing << x.value(0).toString();
            x.finish();
        } else {
            QString schema = table.contains(QLatin1Char('.'))
                                 ? table.section(QLatin1Char('.'), 0, 0)
                                 : sqliteSchemaOf(table);
            if (schema.isEmpty()) schema = QStringLiteral("main");
            QSqlQuery& c = Prepared(QStringLiteral("SELECT name FROM pragma_table_info(?, ?)"));
            c.addBindValue(table.section(QLatin1Char('.'), -1));
            c.addBindValue(schema);
            Run(c);
            while (c.next()) columns << c.value(0).toString();
            c.finish();
            if (kind == QLatin1Char('v')) {
                // The names in the view's text that are tables of the database.
                const QString master =
                    dialect().quoteIdentifier(schema) + QStringLiteral(".sqlite_master");
                QSqlQuery& q =
                    Prepared(QStringLiteral("SELECT sql FROM ") + master +
                             QStringLiteral(" WHERE type = 'view' AND name = ? COLLATE NOCASE"));
                q.addBindValue(table.section(QLatin1Char('.'), -1));
                Run(q);
                const QString text = q.next() ? q.value(0).toString() : QString();
                q.finish();
                QSqlQuery& t = Prepared(QStringLiteral("SELECT name FROM ") + master +
                                        QStringLiteral(" WHERE type IN ('table', 'view')"));
                Run(t);
                QStringList names;
                while (t.next()) names << t.value(0).toString();
                t.finish();
                static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_$]*"));
                ScanSqlText(text, SqlLexis::Standard,
                            [&](qsizetype begin, qsizetype end, bool code) {
                                if (!code) return;
                                auto it = word.globalMatch(text.mid(begin, end - begin));
                                while (it.hasNext()) {
                                    const QString w = it.next().captured(0);
                                    for (const QString& n : std::as_const(names))
                                        if (n.compare(w, Qt::CaseInsensitive) == 0 &&
                                            n.compare(name, Qt::CaseInsensitive) != 0 &&
                                            !reads.contains(n, Qt::CaseInsensitive))
                                            reads << n;
                                }
                            });
                QSqlQuery& x = Prepared(
                    QStringLiteral("SELECT name FROM ") + master +
                    QStringLiteral(" WHERE type = 'index' AND sql IS NOT NULL AND tbl_name = ? "
                                   "COLLATE NOCASE AND lower(name) LIKE ? ESCAPE '\\'"));
                for (const QString& r : std::as_const(reads)) {
                    x.addBindValue(r);
                    x.addBindValue(QString(name.toLower() + QStringLiteral("\\_%")));
                    Run(x);
                    while (x.next()) clashing << x.value(0).toString();
                    x.finish();
                }
            }
        }
    } catch (const EDatabaseError&) {
        // Told without them: the refusal itself matters most.
    }
    QString text =
        QStringLiteral("¡ En lugar de la tabla %1 del programa hay %2 en la Base de Datos")
            .arg(name, notPlainWhat(kind));
    if (reads.size() == 1)
        text += QStringLiteral(", que lee la tabla ") + reads.first();
    else if (!reads.isEmpty())
        text += QStringLiteral(", que lee las tablas ") + reads.join(QStringLiteral(", "));
    text += QStringLiteral(" !. El programa no lee ni escribe a través de ella.");
    if (columns.isEmpty()) return text;
    // Bare where the engine reads the name back as it stands.
    static const QRegularExpression bareName(QStringLiteral("^[a-z_][a-z0-9_]*$"));
    const auto written = [&](const QString& n) {
        return bareName.match(params_.engine == Engine::Postgres ? n : n.toLower()).hasMatch()
                   ? n
                   : dialect().quoteIdentifier(n);
    };
    QStringList quoted;
    for (const QString& c : std::as_const(columns)) quoted << written(c);
    const QString list = quoted.join(QStringLiteral(", "));
    QStringList renames;
    // SQLite renames no index; dropping one loses no row.
    for (const QString& i : std::as_const(clashing))
        renames << (params_.engine == Engine::Postgres
                        ? QString(QStringLiteral("ALTER INDEX ") + written(i) +
                                  QStringLiteral(" RENAME TO ") +
                                  written(i + QStringLiteral("_anterior")))
                        : QString(QStringLiteral("DROP INDEX ") + written(i)));
    const QString copy = name + QStringLiteral("_COPIA");
    // The program's table is made by the users' window itself, when the
    // INSERT names it: no window of the program opens on an empty master.
    QStringList window{QStringLiteral("CREATE TABLE %1 AS SELECT %2 FROM %3").arg(copy, list, name),
                       notPlainDrop(kind) + name};
    window << renames;
    window << QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(name, list, copy)
           << QStringLiteral("DROP TABLE ") + copy;

    // What the users' window cannot do for this login: a field hidden from
    // it is never read, an object of another owner is neither dropped nor
    // read (PostgreSQL), a virtual table neither read nor dropped (SQLite).
    QStringList hidden;
    if (HiddenColumnTest())
        for (const QString& c : std::as_const(columns))
            if (HiddenColumnTest()(c)) hidden << c;
    QStringList outside;  // statements run outside the program, before
    QString outsideWho;
    if (params_.engine == Engine::Postgres) {
        try {
            QSqlQuery& o = Prepared(QStringLiteral(
                "SELECT CASE WHEN pg_has_role(e.r, c.relowner, 'USAGE') AND "
                "has_table_privilege(e.r, c.oid, 'SELECT') THEN NULL ELSE "
                "quote_ident(n.nspname) || '.' || quote_ident(c.relname) END, "
                "quote_ident(e.r), pg_get_userbyid(c.relowner), c.relkind FROM (SELECT "
                "CAST(COALESCE(NULLIF(?, ''), current_user) AS name) AS r) e, pg_class c JOIN "
                "pg_namespace n ON n.oid = c.relnamespace WHERE c.oid = to_regclass(?) OR c.oid "
                "IN (SELECT x.indrelid FROM pg_index x WHERE x.indexrelid = ANY(CAST(? AS "
                "regclass[]))) ORDER BY c.oid = to_regclass(?) DESC"));
            QStringList regs;
            for (const QString& i : std::as_const(clashing)) regs << pgRegclass(i);
            o.addBindValue(usersRole_);
            o.addBindValue(pgRegclass(table));
            o.addBindValue(
                QString(QLatin1Char('{') + regs.join(QLatin1Char(',')) + QLatin1Char('}')));
            o.addBindValue(pgRegclass(table));
            Run(o);
            QStringList owners;
            while (o.next()) {
                if (o.value(0).isNull()) continue;
                const QString k = o.value(3).toString();
                outside << QStringLiteral("ALTER %1 %2 OWNER TO %3")
                               .arg(k == QLatin1String("v")   ? QStringLiteral("VIEW")
                                    : k == QLatin1String("m") ? QStringLiteral("MATERIALIZED VIEW")
                                    : k == QLatin1String("f") ? QStringLiteral("FOREIGN TABLE")
                                                              : QStringLiteral("TABLE"),
                                    o.value(0).toString(), o.value(1).toString());
                if (!owners.contains(o.value(2).toString())) owners << o.value(2).toString();
            }
            o.finish();
            if (!outside.isEmpty())
                outsideWho = QStringLiteral(
                                 "un administrador del servidor (o el usuario «%1» del "
                                 "servidor, dueño de lo que no pertenece a quien ejecuta las "
                                 "sentencias de la ventana) ejecuta antes, fuera del programa: ")
                                 .arg(owners.join(QStringLiteral("», «")));
        } catch (const EDatabaseError&) {
            // Told without it.
        }
    } else if (kind == QLatin1Char('x')) {
        outside = window.mid(0, 2);
        window = window.mid(2);
        outsideWho = QStringLiteral(
                         "la ventana de SQL del programa no lee ni borra tablas virtuales: con "
                         "el programa cerrado, quien administra la instalación ejecuta antes con "
                         "sqlite3 sobre el archivo %1, fuera del programa: ")
                         .arg(QDir(params_.folder).filePath(QLatin1String(kDatabaseFileName)));
    }
    QString advice = QStringLiteral(" Para conservar sus filas, ");
    if (!outside.isEmpty())
        advice += outsideWho + outside.join(QStringLiteral(" ; ")) + QStringLiteral(" . Después, ");
    if (hidden.isEmpty())
        advice += QStringLiteral("el administrador ejecuta");
    else
        advice +=
            QStringLiteral(
                "un administrador del programa que vea todos sus campos (%1 %2 "
                "oculto para usted, y la ventana de SQL no lo lee) ejecuta")
                .arg(hidden.size() == 1 ? QStringLiteral("el campo ")
                                        : QStringLiteral("los campos "),
                     hidden.join(QStringLiteral(", ")) +
                         (hidden.size() == 1 ? QStringLiteral(" está") : QStringLiteral(" están")));
    advice += QStringLiteral(
                  " en la ventana de SQL del programa, que crea la tabla %1 al ejecutar el "
                  "INSERT, en este orden: ")
                  .arg(name) +
              window.join(QStringLiteral(" ; "));
    return text + advice;
}

void TDatabase::CheckProgramTables(const QStringList& tables) {
    if (!ProgramTablesKnown() || checkingNames_) return;
    followCatalog();
    for (const QString& table : tables) {
        const QString bare = table.section(QLatin1Char('.'), -1);
        if (bare.isEmpty() || !ProgramTable(bare)) continue;
        const QString key = table.toLower();
        QChar kind = relkinds_.value(key);
        if (kind.isNull()) {
            kind = programObjectKind(table);
            // A name that resolves to nothing is asked again: the statement
            // fails by itself, or the table is made meanwhile.
            if (kind.isNull()) continue;
        }
        // What a statement can read or write through; an index or a
        // sequence under such a name (an index of a work table) is no way
        // anywhere.
        if (kind == QLatin1Char('v') || kind == QLatin1Char('m') || kind == QLatin1Char('f') ||
            kind == QLatin1Char('x'))
            throw EDatabaseError(DbError::NotPlainTable, notPlainTableRefusal(table, kind), table);
        relkinds_.insert(key, kind);
    }
}

void TDatabase::checkProgramNames(const QString& sql) {
    if (!ProgramTablesKnown() || checkingNames_) return;
    // Names as the server reads them in code, dotted ones whole; quoted
    // names and texts are left out (the program writes its names bare).
    static const QRegularExpression name(
        QStringLiteral("[A-Za-z_][A-Za-z0-9_$]*(?:\\.[A-Za-z_][A-Za-z0-9_$]*)*"));
    QStringList names;
    const SqlLexis lexis =
        params_.engine == Engine::Postgres ? SqlLexis::Postgres : SqlLexis::Standard;
    ScanSqlText(sql, lexis, [&](qsizetype begin, qsizetype end, bool code) {
        if (!code) return;
        auto it = name.globalMatch(sql.mid(begin, end - begin));
        while (it.hasNext()) {
            // A schema and a table at most: anything before is no name of
            // a table in this database.
            const QString n = it.next().captured(0).section(QLatin1Char('.'), -2);
            const QString bare = n.section(QLatin1Char('.'), -1);
            if (ProgramTable(bare) && !names.contains(n, Qt::CaseInsensitive)) names << n;
        }
    });
    if (!names.isEmpty()) CheckProgramTables(names);
}

QStringList TDatabase::sqliteSchemas() const {
    QStringList out{QStringLiteral("main")};
    out << attached_;
    out << QStringLiteral("temp");
    return out;
}

QString TDatabase::sqliteSchemaOf(const QString& table) {
    QString bare = table;
    QStringList schemas = sqliteSchemas();
    if (table.contains(QLatin1Char('.'))) {
        schemas = QStringList{table.section(QLatin1Char('.'), 0, 0)};
        bare = table.section(QLatin1Char('.'), 1);
    }
    for (const QString& s : std::as_const(schemas)) {
        const QString sql = QStringLiteral("SELECT 1 FROM ") + dialect().quoteIdentifier(s) +
                            QStringLiteral(
                                ".sqlite_master WHERE type IN ('table', 'view') AND "
                                "name = ? COLLATE NOCASE");
        QSqlQuery& q = Prepared(sql);
        q.addBindValue(bare);
        Run(q);
        const bool found = q.next();
        q.finish();
        if (found) return s;
    }
    return {};
}

// A table name as to_regclass reads it: plain names unquoted (folded as the
// system's SQL is), anything else quoted.
QString TDatabase::pgRegclass(const QString& table) const {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_$]*$"));
    QStringList parts = table.split(QLatin1Char('.'));
    for (QString& p : parts)
        if (!plain.match(p).hasMatch()) p = pgQuote(p);
    return parts.join(QLatin1Char('.'));
}

namespace {
bool (*generalTableTest)(const QString&) = nullptr;
}  // namespace

void TDatabase::SetGeneralTableTest(bool (*test)(const QString& table)) {
    generalTableTest = test;
}

bool TDatabase::TableExists(const QString& table) {
    if (table.trimmed().isEmpty()) return false;
    const bool anywhere =
        table.contains(QLatin1Char('.')) || (generalTableTest && generalTableTest(table.toUpper()));
    if (params_.engine == Engine::Sqlite) {
        if (anywhere) return !sqliteSchemaOf(table).isEmpty();
        for (const QString& s : sqliteSchemas())
            if (s != QLatin1String("general") &&
                !sqliteSchemaOf(s + QLatin1Char('.') + table).isEmpty())
                return true;
        return false;
    }
    // Else the own schema, or the session's temporary tables.
    QSqlQuery& q = Prepared(
        anywhere ? QStringLiteral("SELECT to_regclass(?) IS NOT NULL")
                 : QStringLiteral("SELECT COALESCE(to_regclass(?), to_regclass(?)) IS NOT NULL"));
    if (anywhere) {
        q.addBindValue(pgRegclass(table));
    } else {
        q.addBindValue(QString(pgQuote(pgSchema()) + QLatin1Char('.') + pgRegclass(table)));
        q.addBindValue(QString(QStringLiteral("pg_temp.") + pgRegclass(table)));
    }
    Run(q);
    const bool found = q.next() && q.value(0).toBool();
    q.finish();
    return found;
}

QStringList TDatabase::TableNames() {
    QStringList out;
    QSet<QString> seen;
    auto add = [&](const QString& name) {
        if (seen.contains(name.toLower())) return;
        seen.insert(name.toLower());
        out << name;
    };
    if (params_.engine == Engine::Sqlite) {
        for (const QString& s : sqliteSchemas()) {
            QSqlQuery q =
                Execute(QStringLiteral("SELECT name FROM ") + dialect().quoteIdentifier(s) +
                        QStringLiteral(".sqlite_master WHERE type IN ('table', 'view') "
                                       "AND name NOT LIKE 'sqlite_%' ORDER BY name"));
            while (q.next()) add(q.value(0).toString());
        }
        return out;
    }
    QStringList schemas{pgSchema()};
    for (const QString& s : std::as_const(params_.searchPath)) schemas << s.toLower();
    QSqlQuery q =
        Execute(QStringLiteral(
                    "SELECT c.relname, obj_description(c.oid, 'pg_class') FROM pg_class c "
                    "JOIN pg_namespace n ON n.oid = c.relnamespace "
                    "WHERE c.relkind IN ('r', 'v', 'p', 'm', 'f') "
                    "AND n.nspname = ANY(string_to_array(?, ',')) "
                    "ORDER BY array_position(string_to_array(?, ','), n.nspname::text), c.relname"),
                {schemas.join(QLatin1Char(',')), schemas.join(QLatin1Char(','))});
    while (q.next()) {
        const QString rel = q.value(0).toString();
        const QString comment = q.value(1).toString();
        if (!comment.isEmpty() && PgFoldIdentifier(comment) == rel) {
            RegisterIdentifierSpelling(comment);
            add(comment);
        } else {
            add(IdentifierSpelling(rel));
        }
    }
    return out;
}

TFieldDefs TDatabase::ColumnDefs(const QString& table) {
    followCatalog();
    const QString key = table.toLower();
    auto cached = columnCache_.constFind(key);
    if (cached != columnCache_.constEnd()) return *cached;
    TFieldDefs out;
    if (params_.engine == Engine::Sqlite) {
        const QString schema = sqliteSchemaOf(table);
        if (schema.isEmpty()) throw EDatabaseError::make(DbError::TableNotFound, QString(), table);
        const QString bare = table.section(QLatin1Char('.'), -1);
        const QString qs = dialect().quoteIdentifier(schema);
        QSqlQuery q = Execute(QStringLiteral("PRAGMA ") + qs + QStringLiteral(".table_info(") +
                              dialect().quoteIdentifier(bare) + QLatin1Char(')'));
        QList<int> pk;
        while (q.next()) {
            TFieldDef f;
            f.Name = q.value(1).toString();
            int size = 0;
            f.DataType = SqliteDeclaredFieldType(q.value(2).toString(), &size);
            f.Size = size;
            f.Required = q.value(3).toInt() != 0;
            pk << q.value(5).toInt();
            out << f;
        }
        // "INTEGER PRIMARY KEY AUTOINCREMENT" is the only declaration that
        // reads as "INTEGER" with AUTOINCREMENT in the table's text.
        if (pk.count(0) == pk.size() - 1) {
            const int at =
                int(std::find_if(pk.begin(), pk.end(), [](int v) { return v != 0; }) - pk.begin());
            const QVariant sql = Scalar(QStringLiteral("SELECT sql FROM ") + qs +
                                            QStringLiteral(".sqlite_master WHERE type = 'table' "
                                                           "AND name = ? COLLATE NOCASE"),
                                        {bare});
            if (out[at].DataType == ftInteger &&
                sql.toString().contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive))
                out[at].DataType = ftAutoInc;
        }
    } else {
        // A table another session has just created can be found by name
        // while its columns are not yet seen by the statement that reads
        // them (its snapshot is older): they are read again, never cached
        // as none.
        for (int attempt = 0; out.isEmpty() && attempt < 3; ++attempt) {
            QSqlQuery q =
                Execute(QStringLiteral("SELECT a.attname, format_type(a.atttypid, a.atttypmod), "
                                       "a.attnotnull, a.attidentity <> '', "
                                       "col_description(a.attrelid, a.attnum) FROM pg_attribute a "
                                       "WHERE a.attrelid = to_regclass(?) AND a.attnum > 0 AND NOT "
                                       "a.attisdropped ORDER BY a.attnum"),
                        {pgRegclass(table)});
            while (q.next()) {
                TFieldDef f;
                const QString att = q.value(0).toString();
                if (!parseColumnComment(q.value(4).toString(), att, f)) {
                    int size = 0;
                    f.Name = IdentifierSpelling(att);
                    f.DataType = pgFieldType(q.value(1).toString(), q.value(3).toBool(), &size);
                    f.Size = size;
                    f.Required = q.value(2).toBool();
                }
                out << f;
            }
            if (out.isEmpty() && !TableExists(table))
                throw EDatabaseError::make(DbError::TableNotFound, QString(), table);
        }
        if (out.isEmpty()) return out;
    }
    for (const TFieldDef& f : std::as_const(out)) RegisterIdentifierSpelling(f.Name);
    columnCache_.insert(key, out);
    return out;
}

TIndexDefs TDatabase::IndexDefs(const QString& table) {
    followCatalog();
    const QString key = table.toLower();
    auto cached = indexCache_.constFind(key);
    if (cached != indexCache_.constEnd()) return *cached;
    const TFieldDefs columns = ColumnDefs(table);  // raises TableNotFound
    const QString bare = table.section(QLatin1Char('.'), -1);
    const QString prefix = bare + QLatin1Char('_');
    TIndexDefs out;
    if (params_.engine == Engine::Sqlite) {
        const QString schema = sqliteSchemaOf(table);
        const QString qs = dialect().quoteIdentifier(schema);
        // The key, from the columns (a rowid key has no index of its own).
        {
            QSqlQuery q = Execute(QStringLiteral("PRAGMA ") + qs + QStringLiteral(".table_info(") +
                                  dialect().quoteIdentifier(bare) + QLatin1Char(')'));
            QMap<int, QString> keyCols;
            while (q.next())
                if (q.value(5).toInt() > 0)
                    keyCols.insert(q.value(5).toInt(), q.value(1).toString());
            if (!keyCols.isEmpty()) {
                TIndexDef pk;
                pk.Fields = keyCols.values().join(QLatin1Char(';'));
                pk.Options = ixPrimary | ixUnique;
                out << pk;
            }
        }
        QHash<QString, QPair<bool, QString>> info;  // name -> unique, origin
        {
            QSqlQuery q = Execute(QStringLiteral("PRAGMA ") + qs + QStringLiteral(".index_list(") +
                                  dialect().quoteIdentifier(bare) + QLatin1Char(')'));
            while (q.next())
                info.insert(q.value(1).toString(),
                            qMakePair(q.value(2).toInt() != 0, q.value(3).toString()));
        }
        // In creation order.
        QSqlQuery names = Execute(QStringLiteral("SELECT name FROM ") + qs +
                                      QStringLiteral(".sqlite_master WHERE type = 'index' AND "
                                                     "tbl_name = ? COLLATE NOCASE ORDER BY rowid"),
                                  {bare});
        QStringList order;
        while (names.next()) order << names.value(0).toString();
        for (const auto& [name, meta] : info.asKeyValueRange())
            if (!order.contains(name)) order << name;  // automatic indexes
        for (const QString& name : std::as_const(order)) {
            const auto meta = info.value(name);
            if (meta.second == QLatin1String("u")) continue;  // not made by us
            QSqlQuery x = Execute(QStringLiteral("PRAGMA ") + qs + QStringLiteral(".index_xinfo(") +
                                  dialect().quoteIdentifier(name) + QLatin1Char(')'));
            QStringList fields, desc;
            bool nocase = false;
            while (x.next()) {
                if (x.value(5).toInt() == 0) continue;  // the rowid tail
                const QString f = spelledField(columns, x.value(2).toString());
                fields << f;
                if (x.value(3).toInt() != 0) desc << f;
                if (x.value(4).toString().compare(QLatin1String("NOCASE"), Qt::CaseInsensitive) ==
                    0)
                    nocase = true;
            }
            if (meta.second == QLatin1String("pk")) {
                if (!out.isEmpty() && out.first().Options & ixPrimary)
                    setDescending(out.first(), fields, desc);
                continue;
            }
            TIndexDef ix;
            ix.Name = name.startsWith(prefix, Qt::CaseInsensitive) ? name.mid(prefix.size()) : name;
            ix.Fields = fields.join(QLatin1Char(';'));
            if (meta.first) ix.Options |= ixUnique;
            if (nocase) ix.Options |= ixCaseInsensitive;
            setDescending(ix, fields, desc);
            out << ix;
        }
    } else {
        QSqlQuery q =
            Execute(QStringLiteral(
                        "SELECT ci.relname, obj_description(ci.oid, 'pg_class'), ix.indisprimary, "
                        "ix.indisunique, pg_get_indexdef(ix.indexrelid, k, true), "
                        "(ix.indoption[k - 1]::int & 1) <> 0 "
                        "FROM pg_index ix JOIN pg_class ci ON ci.oid = ix.indexrelid "
                        "CROSS JOIN LATERAL generate_series(1, ix.indnkeyatts) AS k "
                        "WHERE ix.indrelid = to_regclass(?) "
                        "ORDER BY ix.indisprimary DESC, ci.oid, k"),
                    {pgRegclass(table)});
        static const QRegularExpression lowerExpr(
            QStringLiteral("^lower\\(\\(?\"?([^\"):]+)\"?\\)?(::text)?\\)$"));
        QString current;
        TIndexDef ix;
        QStringList fields, desc;
        auto flush = [&] {
            if (current.isEmpty()) return;
            ix.Fields = fields.join(QLatin1Char(';'));
            setDescending(ix, fields, desc);
            out << ix;
        };
        while (q.next()) {
            const QString rel = q.value(0).toString();
            if (rel != current) {
                flush();
                current = rel;
                ix = TIndexDef();
                fields.clear();
                desc.clear();
                const QString comment = q.value(1).toString();
                const QString name = (!comment.isEmpty() && PgFoldIdentifier(comment) == rel)
                                         ? comment
                                         : IdentifierSpelling(rel);
                const bool primary = q.value(2).toBool();
                ix.Name = (!primary && name.startsWith(prefix, Qt::CaseInsensitive))
                              ? name.mid(prefix.size())
                              : name;
                if (primary) ix.Options |= ixPrimary;
                if (q.value(3).toBool()) ix.Options |= ixUnique;
            }
            QString expr = q.value(4).toString();
            const QRegularExpressionMatch m = lowerExpr.match(expr);
            if (m.hasMatch()) {
                expr = m.captured(1);
                ix.Options |= ixCaseInsensitive;
            }
            expr.remove(QLatin1Char('"'));
            const QString f = spelledField(columns, expr);
            fields << f;
            if (q.value(5).toBool()) desc << f;
        }
        flush();
    }
    indexCache_.insert(key, out);
    return out;
}

void TDatabase::DropTableIfExists(const QString& table) {
    InvalidateCatalog();
    Execute(QStringLiteral("DROP TABLE IF EXISTS ") + dialect().quoteIdentifier(table));
}

QString TDatabase::PhysicalIndexName(const QString& table, const QString& indexName) const {
    return table.section(QLatin1Char('.'), -1) + QLatin1Char('_') + indexName;
}

void TDatabase::CreateTable(const QString& table, const TFieldDefs& fields,
                            const QStringList& primaryKey, const QString& primaryKeyName) {
    QStringList statements =
        dialect().createTableStatements(table, fields, primaryKey, primaryKeyName);
    QString comments;
    if (params_.engine == Engine::Postgres) {
        const SqlDialect& d = dialect();
        QStringList each;
        each << QStringLiteral("COMMENT ON TABLE ") + d.quoteIdentifier(table) +
                    QStringLiteral(" IS ") +
                    SqlDialect::quoteString(table.section(QLatin1Char('.'), -1));
        for (const TFieldDef& f : fields)
            each << QStringLiteral("COMMENT ON COLUMN ") + d.quoteIdentifier(table) +
                        QLatin1Char('.') + d.quoteIdentifier(f.Name) + QStringLiteral(" IS ") +
                        SqlDialect::quoteString(columnComment(f));
        if (!primaryKey.isEmpty() && !primaryKeyName.isEmpty()) {
            QString idx = d.quoteIdentifier(primaryKeyName);
            if (table.contains(QLatin1Char('.')))
                idx = d.quoteIdentifier(table.section(QLatin1Char('.'), 0, -2)) + QLatin1Char('.') +
                      idx;
            each << QStringLiteral("COMMENT ON INDEX ") + idx + QStringLiteral(" IS ") +
                        SqlDialect::quoteString(primaryKeyName);
        }
        // One round trip for all the comments: text built here, every value
        // quoted, so not held to Execute's one statement at a time.
        comments = each.join(QStringLiteral("; "));
    }
    const bool own = !inTransaction_;
    if (own) StartTransaction();
    try {
        for (const QString& sql : std::as_const(statements)) Execute(sql);
        if (!comments.isEmpty()) {
            QSqlQuery q(connection());
            guarded(q, comments, [&] { return q.exec(comments); });
        }
        if (own) Commit();
    } catch (...) {
        if (own && inTransaction_) {
            try {
                Rollback();
            } catch (...) {
            }
        }
        InvalidateCatalog();
        throw;
    }
    InvalidateCatalog();
    RegisterIdentifierSpelling(table.section(QLatin1Char('.'), -1));
    if (!primaryKeyName.isEmpty()) RegisterIdentifierSpelling(primaryKeyName);
    for (const TFieldDef& f : fields) RegisterIdentifierSpelling(f.Name);
}

void TDatabase::CreateIndex(const QString& table, const TIndexDef& index) {
    const SqlDialect& d = dialect();
    const QString physical = PhysicalIndexName(table, index.Name);
    TFieldDefs columns;
    if (params_.engine == Engine::Postgres && (index.Options & ixCaseInsensitive))
        columns = ColumnDefs(table);
    QStringList statements{d.createIndex(table, physical, index, columns)};
    if (params_.engine == Engine::Postgres) {
        QString idx = d.quoteIdentifier(physical);
        if (table.contains(QLatin1Char('.')))
            idx =
                d.quoteIdentifier(table.section(QLatin1Char('.'), 0, -2)) + QLatin1Char('.') + idx;
        statements << QStringLiteral("COMMENT ON INDEX ") + idx + QStringLiteral(" IS ") +
                          SqlDialect::quoteString(physical);
    }
    for (const QString& sql : std::as_const(statements)) Execute(sql);
    InvalidateCatalog();
    RegisterIdentifierSpelling(physical);
}

void TDatabase::DropIndex(const QString& table, const QString& indexName) {
    Execute(dialect().dropIndex(table, PhysicalIndexName(table, indexName)));
    InvalidateCatalog();
}
