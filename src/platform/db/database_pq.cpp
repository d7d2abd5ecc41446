// The part of a PostgreSQL connection that the SQL driver does not offer: a
// statement parsed through the extended protocol, which refuses a text
// holding more than one command instead of running them all.

#include <libpq-fe.h>
#include <poll.h>

#include <QCryptographicHash>
#include <QSqlDriver>
#include <QSqlError>

#include "db/database.h"
#include "db/dberror.h"
#include "db/dialect.h"
#include "db/hiddencolumns.h"
#include "db/pgstatement.h"
#include "db/query.h"
#include "db/sqllexis.h"

namespace {

PGconn* pgConnection(const QSqlDatabase& db) {
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid() || !h.constData()) return nullptr;
    if (qstrcmp(h.typeName(), "PGconn*") != 0 && qstrcmp(h.typeName(), "pg_conn*") != 0)
        return nullptr;
    return *static_cast<PGconn* const*>(h.constData());
}

// The server's error of a result as the driver would give it.
QSqlError resultError(const PGresult* r) {
    const char* state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
    return QSqlError(QString(), QString::fromUtf8(PQresultErrorMessage(r)),
                     QSqlError::StatementError, QString::fromLatin1(state ? state : ""));
}

struct Result {
    explicit Result(PGresult* r) : r(r) {}
    ~Result() { PQclear(r); }
    PGresult* r;
};

QString quotedIdentifier(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// A target's name as a text to_regclass reads as the statement's name.
QString regclassText(const PgWriteTarget& target) {
    return target.schema.isEmpty()
               ? quotedIdentifier(target.name)
               : quotedIdentifier(target.schema) + QLatin1Char('.') + quotedIdentifier(target.name);
}

// The columns of the table or view a name given as text stands for, its
// system columns (ctid, xmin...) too where `system`; none when there is none.
QStringList relationColumns(const QSqlDatabase& db, const QString& relation, bool system,
                            const QString& sql) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT attname::text FROM pg_attribute WHERE attrelid = "
                             "to_regclass(?) AND attnum %1 0 AND NOT attisdropped")
                  .arg(system ? QStringLiteral("<>") : QStringLiteral(">")));
    q.addBindValue(relation);
    if (!q.exec())
        throw EDatabaseError(DbError::SqlError, q.lastError().text(),
                             sql.isEmpty() ? q.lastQuery() : sql);
    QStringList names;
    while (q.next()) names << q.value(0).toString();
    return names;
}

// Why a user's statement may not make `target` (marked kin) a partition,
// child or parent of a table, or take it out of one: a program's table,
// or one holding a column hidden from the user, whose values a partition's
// bounds or a parent's reads would give away. "" when it may.
QString kinRefusal(const QSqlDatabase& db, const PgWriteTarget& target) {
    if (!target.kin) return QString();
    // The program's names fold to lower case: a quoted name in capitals
    // is never one of its tables.
    if (target.name == PgFoldIdentifier(target.name) && ProgramTable(target.name))
        return KinshipReason(target.name.toUpper());
    const THiddenColumnTest& hidden = HiddenColumnTest();
    if (!hidden) return QString();
    for (const QString& c : relationColumns(db, regclassText(target), false, QString()))
        if (hidden(c)) return KinshipReason(target.name.toUpper());
    return QString();
}

// The name of the table column that stands at each column of a described
// result, as the server tells it; "" for anything else (an expression).
QStringList describedColumns(const QSqlDatabase& db, const PGresult* described,
                             const QString& sql) {
    QStringList names, tables, numbers;
    for (int i = 0; i < PQnfields(described); ++i) {
        names << QString();
        if (PQftable(described, i) == InvalidOid || PQftablecol(described, i) <= 0) continue;
        tables << QString::number(PQftable(described, i));
        numbers << QString::number(PQftablecol(described, i));
    }
    if (tables.isEmpty()) return names;
    // One look for them all.
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "SELECT a.attrelid::int8, a.attnum::int, a.attname::text FROM pg_attribute a JOIN "
        "unnest(?::oid[], ?::int2[]) AS u(r, n) ON a.attrelid = u.r AND a.attnum = u.n"));
    q.addBindValue(QString(QLatin1Char('{') + tables.join(QLatin1Char(',')) + QLatin1Char('}')));
    q.addBindValue(QString(QLatin1Char('{') + numbers.join(QLatin1Char(',')) + QLatin1Char('}')));
    if (!q.exec()) throw EDatabaseError(DbError::SqlError, q.lastError().text(), sql);
    while (q.next())
        for (int i = 0; i < PQnfields(described); ++i)
            if (PQftable(described, i) == q.value(0).toUInt() &&
                PQftablecol(described, i) == q.value(1).toInt())
                names[i] = q.value(2).toString();
    return names;
}

// Why a user's query may not run for sorting by a hidden column that its
// "*" brings (`positions`, of ORDER BY): the server tells which table's
// column stands at each position of the result, as it describes it. ""
// when none is hidden; when the server cannot read the statement, its own
// reason goes to `unread` (the statement is not run then either, and the
// failure has ended the transaction the caller would go on in).
QString sortedByHidden(const QSqlDatabase& db, const QString& sql, const QList<int>& positions,
                       QSqlError& unread) {
    PGconn* pg = pgConnection(db);
    if (positions.isEmpty() || !pg) return QString();
    Result prepared(PQprepare(pg, "", sql.toUtf8().constData(), 0, nullptr));
    if (PQresultStatus(prepared.r) != PGRES_COMMAND_OK) {
        unread = resultError(prepared.r);
        return QString();
    }
    Result d(PQdescribePrepared(pg, ""));
    if (PQresultStatus(d.r) != PGRES_COMMAND_OK) {
        unread = resultError(d.r);
        return QString();
    }
    const QStringList columns = describedColumns(db, d.r, sql);
    for (int position : positions) {
        const QString name = columns.value(position - 1);
        if (!name.isEmpty() && HiddenColumnTest()(name))
            return HiddenFieldReason(IdentifierSpelling(name),
                                     QStringLiteral("ORDER BY %1").arg(position));
    }
    return QString();
}

// Why a user's statement may not read `relation` when a view, nor the
// views it reads, down every level, for a field hidden from the user: each
// view's own query is read as a user's statement is (PgColumnUses); where
// it names the field, or could carry a column unnamed (a whole row, which
// the catalog's dependencies do not record when the view names a column
// too), a column of what it reads hidden from the user counts as read.
QString viewQueryRefusal(const QSqlDatabase& db, const QString& relation,
                         const THiddenColumnTest& hidden, const QString& sql) {
    QSqlQuery q(db), columns(db);
    q.prepare(QStringLiteral(
        "WITH RECURSIVE vista(oid) AS ("
        " SELECT c.oid FROM pg_class c WHERE c.oid = to_regclass(?) AND c.relkind IN ('v', 'm')"
        " UNION SELECT d.refobjid FROM vista v JOIN pg_rewrite r ON r.ev_class = v.oid"
        " JOIN pg_depend d ON d.classid = 'pg_rewrite'::regclass AND d.objid = r.oid"
        " AND d.refclassid = 'pg_class'::regclass AND d.refobjid <> r.ev_class"
        " JOIN pg_class c ON c.oid = d.refobjid AND c.relkind IN ('v', 'm'))"
        " SELECT v.oid, v.oid::regclass::text, pg_get_viewdef(v.oid) FROM vista v"));
    q.addBindValue(relation);
    if (!q.exec()) throw EDatabaseError(DbError::SqlError, q.lastError().text(), sql);
    QList<QVariantList> views;
    while (q.next()) views << QVariantList{q.value(0), q.value(1), q.value(2)};
    q.finish();
    for (const QVariantList& v : std::as_const(views)) {
        const QString view = v.at(1).toString().remove(QLatin1Char('"'));
        const PgColumnUse use = PgColumnUses(v.at(2).toString(), hidden);
        if (!use.named.isEmpty())
            return HiddenFieldReason(IdentifierSpelling(use.named),
                                     QStringLiteral("la vista ") + view);
        // Unread (no relation found in it): judged as carrying.
        if (use.carried.isEmpty() && !use.relations.isEmpty()) continue;
        columns.prepare(QStringLiteral(
            "SELECT a.attname::text FROM pg_rewrite r JOIN pg_depend d ON d.classid ="
            " 'pg_rewrite'::regclass AND d.objid = r.oid AND d.refclassid = 'pg_class'::regclass"
            " AND d.refobjid <> r.ev_class JOIN pg_attribute a ON a.attrelid = d.refobjid"
            " AND a.attnum > 0 AND NOT a.attisdropped WHERE r.ev_class = ?"));
        columns.addBindValue(v.at(0));
        if (!columns.exec())
            throw EDatabaseError(DbError::SqlError, columns.lastError().text(), sql);
        while (columns.next())
            if (hidden(columns.value(0).toString()))
                return HiddenFieldReason(IdentifierSpelling(columns.value(0).toString()),
                                         QStringLiteral("la vista ") + view);
    }
    return QString();
}

// Why a user's statement may not run for a function it applies to the
// whole row of a table holding a field hidden from the user, by naming it
// as a column of the table (p.to_jsonb, p.record_out): a name that follows
// a table's name or alias and is no column of it. "" when none.
QString wholeRowRefusal(const QSqlDatabase& db, const QList<PgQualifiedName>& qualified,
                        const THiddenColumnTest& hidden, const QString& sql) {
    if (qualified.isEmpty()) return QString();
    QHash<QString, QStringList> columns;  // none: no table of that name (a WITH's)
    auto columnsOf = [&](const QString& relation) -> const QStringList& {
        auto it = columns.constFind(relation);
        if (it != columns.constEnd()) return *it;
        return *columns.insert(relation, relationColumns(db, relation, true, sql));
    };
    for (const PgQualifiedName& n : qualified) {
        bool column = false;
        for (const QString& r : n.relations) column = column || columnsOf(r).contains(n.name);
        if (column) continue;
        for (const QString& r : n.relations)
            for (const QString& c : columnsOf(r))
                if (hidden(c)) return HiddenFieldReason(IdentifierSpelling(c), n.written);
    }
    return QString();
}

// Why a user's statement may not run for the fields hidden from the user
// (HiddenColumnTest), "" when it may: a hidden column named, one a view it
// reads takes from its tables (a view's own names may be any), or, where
// the statement could carry a column under another name (a "*" that does
// not land in its result, a whole row...), one of the tables it reads.
QString hiddenColumnRefusal(const QSqlDatabase& db, const QString& sql, QSqlError& unread) {
    const THiddenColumnTest& hidden = HiddenColumnTest();
    if (!hidden) return QString();
    const PgColumnUse use = PgColumnUses(sql, hidden);
    if (!use.named.isEmpty()) return HiddenFieldReason(IdentifierSpelling(use.named));
    if (const QString whole = wholeRowRefusal(db, use.qualified, hidden, sql); !whole.isEmpty())
        return whole;
    if (const QString sorted = sortedByHidden(db, sql, use.sortedByStar, unread);
        !sorted.isEmpty() || unread.isValid())
        return sorted;
    QSqlQuery q(db);
    for (const QString& relation : use.relations) {
        // Second column: read by a view (through views over views too).
        q.prepare(QStringLiteral(
            "WITH RECURSIVE leida(rel, col) AS ("
            " SELECT d.refobjid, d.refobjsubid FROM pg_rewrite r JOIN pg_depend d ON d.classid ="
            " 'pg_rewrite'::regclass AND d.objid = r.oid AND d.refclassid = 'pg_class'::regclass"
            " AND d.refobjsubid > 0 AND d.refobjid <> r.ev_class WHERE r.ev_class = to_regclass(?)"
            " UNION SELECT d.refobjid, d.refobjsubid FROM leida l JOIN pg_rewrite r ON r.ev_class"
            " = l.rel JOIN pg_depend d ON d.classid = 'pg_rewrite'::regclass AND d.objid = r.oid"
            " AND d.refclassid = 'pg_class'::regclass AND d.refobjsubid > 0 AND d.refobjid <>"
            " r.ev_class)"
            " SELECT a.attname::text, true FROM leida l JOIN pg_attribute a ON a.attrelid = l.rel"
            " AND a.attnum = l.col"
            " UNION ALL SELECT a.attname::text, false FROM pg_attribute a WHERE a.attrelid ="
            " to_regclass(?) AND a.attnum > 0 AND NOT a.attisdropped"));
        q.addBindValue(relation);
        q.addBindValue(relation);
        if (!q.exec()) throw EDatabaseError(DbError::SqlError, q.lastError().text(), sql);
        while (q.next()) {
            const QString column = q.value(0).toString();
            if (!hidden(column)) continue;
            const bool view = q.value(1).toBool();
            const bool filled = use.filledWhole.contains(relation);
            if (!view && use.carried.isEmpty() && !filled) continue;
            q.finish();
            return HiddenFieldReason(
                IdentifierSpelling(column),
                view ? QStringLiteral("la vista ") + QString(relation).remove(QLatin1Char('"'))
                : use.carried.isEmpty() ? QStringLiteral("INSERT sin lista de columnas")
                                        : use.carried);
        }
        q.finish();
    }
    for (const QString& relation : use.relations)
        if (const QString view = viewQueryRefusal(db, relation, hidden, sql); !view.isEmpty())
            return view;
    return QString();
}

}  // namespace

void TDatabase::prepareUserStatement(const QString& sql) {
    PGconn* pg = pgConnection(connection());
    if (!pg) throw EDatabaseError::make(DbError::ConnectionFailed, QString(), databaseName_);
    if (userStatement_) {
        userStatement_ = false;
        const QByteArray deallocate = QByteArrayLiteral("DEALLOCATE ") + kUserStatementName;
        Result r(PQexec(pg, deallocate.constData()));
        if (PQresultStatus(r.r) != PGRES_COMMAND_OK)
            raiseError(resultError(r.r), QString::fromLatin1(deallocate));
    }
    Result r(PQprepare(pg, kUserStatementName, sql.toUtf8().constData(), 0, nullptr));
    if (PQresultStatus(r.r) != PGRES_COMMAND_OK) raiseError(resultError(r.r), sql);
    userStatement_ = true;
}

QString TDatabase::pgBoundedQuery(const QString& sql) {
    PGconn* pg = pgConnection(connection());
    if (!pg) throw EDatabaseError::make(DbError::ConnectionFailed, QString(), databaseName_);
    prepareUserStatement(sql);
    Result d(PQdescribePrepared(pg, kUserStatementName));
    if (PQresultStatus(d.r) != PGRES_COMMAND_OK) raiseError(resultError(d.r), sql);
    QList<PgColumn> columns;
    const THiddenColumnTest& hidden = HiddenColumnTest();
    // What the policy lets through of a hidden field: a "*" of the
    // statement's own result, under the column's own name.
    const QStringList sources = hidden ? describedColumns(connection(), d.r, sql) : QStringList();
    for (int i = 0; i < PQnfields(d.r); ++i) {
        PgColumn c{QString::fromUtf8(PQfname(d.r, i)), PQftype(d.r, i), PQfsize(d.r, i)};
        c.hidden = !sources.value(i).isEmpty() && hidden(sources.value(i));
        columns << c;
    }
    return PgBoundedQuery(sql, columns);
}

QString TDatabase::pgUserStatementRefusal(const QString& sql, bool readOnly) {
    const QString own = pgSchema();
    QStringList schemas{own};
    for (const QString& s : std::as_const(params_.searchPath))
        if (s.toLower() != own) schemas << s.toLower();
    QList<PgWriteTarget> targets;
    const QString refused =
        PgUserStatementRefusal(sql, readOnly, schemas, !ownIsGeneral(), &targets);
    if (!refused.isEmpty()) return refused;
    // After the schemas: the catalog is read as the session's role, which
    // may not look into another company's schema.
    QSqlError unread;
    if (const QString hidden = hiddenColumnRefusal(connection(), sql, unread); !hidden.isEmpty())
        return hidden;
    if (unread.isValid()) raiseError(unread, sql);
    if (targets.isEmpty()) return QString();
    for (const PgWriteTarget& t : std::as_const(targets)) {
        if (!t.named) continue;
        // The program's names fold to lower case: a quoted name in
        // capitals is never one of its tables.
        if (t.name != PgFoldIdentifier(t.name)) continue;
        if (const QString taken = ProgramNameRefusal(t.name); !taken.isEmpty()) return taken;
    }
    if (const QString p = pgProtectedReached(targets); !p.isEmpty()) return ProtectedTableReason(p);
    for (const PgWriteTarget& t : std::as_const(targets)) {
        if (t.named) continue;
        const QString found = pgReachOutsideOwn(t);
        if (found.isEmpty()) continue;
        return schemas.contains(found) ? GeneralDatabaseWriteReason(found)
                                       : OtherDatabaseWriteReason(found);
    }
    for (const PgWriteTarget& t : std::as_const(targets))
        if (const QString kin = kinRefusal(connection(), t); !kin.isEmpty()) return kin;
    return QString();
}

QList<QPair<QString, QString>> TDatabase::pgReached(const PgWriteTarget& target) {
    const QString name = regclassText(target);
    // What a change of the table reaches, as the server resolves it: the
    // table an unqualified name leads to, its partitions and children, and,
    // when rows are written, the tables a view stands on (its rule's
    // dependencies), down every level.
    QSqlQuery q(connection());
    q.prepare(QStringLiteral(
        "WITH RECURSIVE alcance(oid) AS ("
        " SELECT c.oid FROM pg_class c WHERE c.oid = to_regclass(?)"
        " UNION SELECT x.hijo FROM alcance a JOIN ("
        "  SELECT i.inhparent AS padre, i.inhrelid AS hijo FROM pg_inherits i"
        "  UNION ALL SELECT w.ev_class, d.refobjid FROM pg_rewrite w JOIN pg_depend d"
        "   ON d.classid = 'pg_rewrite'::regclass AND d.objid = w.oid"
        "   AND d.refclassid = 'pg_class'::regclass AND d.refobjid <> w.ev_class"
        "   WHERE ?) x ON x.padre = a.oid)"
        " SELECT DISTINCT n.nspname, c.relname FROM alcance a JOIN pg_class c ON c.oid = a.oid"
        " JOIN pg_namespace n ON n.oid = c.relnamespace"));
    q.addBindValue(name);
    q.addBindValue(target.rows);
    if (!q.exec()) raiseError(q.lastError(), q.lastQuery());
    QList<QPair<QString, QString>> reached;
    while (q.next()) reached.append({q.value(0).toString(), q.value(1).toString()});
    q.finish();
    return reached;
}

QString TDatabase::pgReachOutsideOwn(const PgWriteTarget& target) {
    const QString own = pgSchema();
    // The own schema, or the session's own temporary tables.
    for (const auto& [found, relation] : pgReached(target))
        if (found != own && !found.startsWith(QLatin1String("pg_temp"))) return found;
    return QString();
}

QString TDatabase::pgProtectedReached(const QList<PgWriteTarget>& targets) {
    const QStringList protectedTables = WriteProtectedTables();
    if (protectedTables.isEmpty()) return QString();
    // The program's own table, as the server resolves the name: a quoted
    // name in capitals is another table, a view over it is written through.
    for (const PgWriteTarget& t : targets) {
        if (t.named) continue;
        for (const auto& [schema, relation] : pgReached(t))
            if (schema == pgSchema() && relation == PgFoldIdentifier(relation) &&
                protectedTables.contains(relation, Qt::CaseInsensitive))
                return relation;
    }
    return QString();
}

std::optional<bool> TDatabase::IsUserQuery(const QString& sql) {
    if (params_.engine != Engine::Postgres) return isSqliteUserQuery(sql);
    QString numbered;  // ":name" as the server reads a value: $1, $2, ...
    TQuery::ParamNames(sql, &numbered, nullptr, nullptr, true);
    return PgStatementIsQuery(WellFormedText(numbered));
}

void TDatabase::cancelPg() {
    // PQcancel is made to be called while another thread waits on the
    // connection: it sends the request on a connection of its own.
    PGconn* pg = pgConnection(db_);
    if (!pg) return;
    PGcancel* cancel = PQgetCancel(pg);
    if (!cancel) return;
    char error[256];
    PQcancel(cancel, error, int(sizeof error));
    PQfreeCancel(cancel);
}

bool TDatabase::resetUserSession() {
    PGconn* pg = pgConnection(db_);
    if (!pg) return false;
    userStatement_ = false;  // DISCARD ALL deallocates it
    QSqlQuery q(db_);
    // A transaction left open (ours, read-only, or one the user began) first:
    // DISCARD cannot run inside one.
    if (PQtransactionStatus(pg) != PQTRANS_IDLE && !q.exec(QStringLiteral("ROLLBACK")))
        return false;
    // Advisory locks, SET values, prepared statements, temporary tables.
    if (!q.exec(QStringLiteral("DISCARD ALL"))) return false;
    if (!q.exec(pgSessionSettings().join(QStringLiteral("; ")))) return false;
    // DISCARD ended the role too: it holds again, or the session is not used.
    if (!usersRole_.isEmpty() && !(q.exec(QStringLiteral("SELECT current_user")) && q.next() &&
                                   q.value(0).toString() == usersRole_))
        return false;
    q.finish();
    // DISCARD brought back the database's defaults.
    return StandardStrings(db_);
}

bool StandardStrings(const QSqlDatabase& db) {
    PGconn* pg = pgConnection(db);
    const char* value = pg ? PQparameterStatus(pg, "standard_conforming_strings") : nullptr;
    return value && qstrcmp(value, "on") == 0;
}

void RequireStandardStrings(QSqlDatabase& db) {
    // Quotes are doubled in the program's texts and users' statements are
    // checked by a parser that reads a backslash as a letter: a server
    // reading it as an escape would end those texts elsewhere.
    QSqlQuery q(db);
    q.exec(QStringLiteral("SET standard_conforming_strings = on"));
    if (StandardStrings(db)) return;
    throw EDatabaseError(
        DbError::ConnectionFailed,
        QStringLiteral("¡ El servidor de la Base de Datos no admite leer los textos de forma "
                       "estándar (standard_conforming_strings = on), y sin ello los textos "
                       "con barras invertidas no estarían a salvo !. No se utiliza la conexión."),
        q.lastError().databaseText().trimmed());
}

namespace {

// Notices read while idle: the server's farewell (a FATAL one, as when it
// ends the backend or shuts down) comes as one before the socket closes.
void noteFarewell(void* seen, const PGresult* r) {
    const char* severity = PQresultErrorField(r, PG_DIAG_SEVERITY_NONLOCALIZED);
    if (severity && (qstrcmp(severity, "FATAL") == 0 || qstrcmp(severity, "PANIC") == 0))
        *static_cast<bool*>(seen) = true;
}

}  // namespace

bool TDatabase::closedWhileIdle() const {
    if (params_.engine != Engine::Postgres || inTransaction_ || readOnly_ ||
        !pendingReads_.isEmpty() || !db_.isValid() || !db_.isOpen())
        return false;
    PGconn* pg = pgConnection(db_);
    if (!pg) return false;
    if (PQstatus(pg) == CONNECTION_BAD) return true;
    if (PQtransactionStatus(pg) != PQTRANS_IDLE) return false;
    // An idle connection has nothing to read: a live one costs one poll.
    pollfd p{PQsocket(pg), POLLIN, 0};
    if (p.fd < 0) return true;
    if (::poll(&p, 1, 0) <= 0) return false;
    bool farewell = false;
    // The driver's own receiver takes no argument of its own.
    const PQnoticeReceiver driver = PQsetNoticeReceiver(pg, noteFarewell, &farewell);
    for (int i = 0; i < 4 && PQstatus(pg) == CONNECTION_OK && !farewell; ++i) {
        if (!PQconsumeInput(pg)) break;
        PQisBusy(pg);  // parses what came
        if (::poll(&p, 1, 0) <= 0) break;
    }
    PQsetNoticeReceiver(pg, driver, nullptr);
    return farewell || PQstatus(pg) == CONNECTION_BAD;
}

// ---------------------------------------------------------------- the users' role

QString PgUsersRoleName(const QString& database, const QString& schema) {
    QString name = QStringLiteral("rh_") + database.toLower() + QLatin1Char('_') + schema.toLower();
    // The server keeps 63 bytes of a name: a longer one keeps its start and
    // a digest of the whole, so that two companies never share a role.
    if (name.toUtf8().size() > 63) {
        const QString digest = QString::fromLatin1(
            QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(12));
        QString start = name;
        while (start.toUtf8().size() > 63 - 13 || start.back().isHighSurrogate()) start.chop(1);
        name = start + QLatin1Char('_') + digest;
    }
    return name;
}

namespace {

// The statement that makes a login a member of the company's role, as an
// administrator would type it.
QString PgGrantRoleText(const QString& role, const QString& login) {
    return QStringLiteral("GRANT %1 TO %2").arg(quotedIdentifier(role), quotedIdentifier(login));
}

// The statements that give a login the rights it lacks on the general
// schema, as an administrator would type them: Falta holds the rights
// missing, "SCHEMA:USAGE", "TABLE:SELECT", "SEQUENCE:UPDATE"...
QStringList PgGrantGeneralText(const QString& schema, const QString& login,
                               const QStringList& falta) {
    const QString s = quotedIdentifier(schema), l = quotedIdentifier(login);
    QStringList out;
    auto rights = [&](const QString& on) {
        QStringList r;
        for (const QString& f : falta)
            if (f.startsWith(on + QLatin1Char(':'))) r << f.section(QLatin1Char(':'), 1);
        return r.join(QStringLiteral(", "));
    };
    if (const QString r = rights(QStringLiteral("SCHEMA")); !r.isEmpty())
        out << QStringLiteral("GRANT %1 ON SCHEMA %2 TO %3").arg(r, s, l);
    if (const QString r = rights(QStringLiteral("TABLE")); !r.isEmpty())
        out << QStringLiteral("GRANT %1 ON ALL TABLES IN SCHEMA %2 TO %3").arg(r, s, l);
    if (const QString r = rights(QStringLiteral("SEQUENCE")); !r.isEmpty())
        out << QStringLiteral("GRANT %1 ON ALL SEQUENCES IN SCHEMA %2 TO %3").arg(r, s, l);
    return out;
}

// The objects of a schema the role does not own, those that follow their
// table (indexes, a column's sequence) aside: kind, name and owner.
const char* const kNotOwnedSql =
    "SELECT c.relkind, c.relname, pg_get_userbyid(c.relowner) FROM pg_class c WHERE "
    "c.relnamespace = (SELECT oid FROM "
    "pg_namespace WHERE nspname = ?) AND c.relkind IN ('r', 'p', 'v', 'm', 'S') AND c.relowner "
    "IS DISTINCT FROM (SELECT oid FROM pg_roles WHERE rolname = ?) AND NOT EXISTS (SELECT 1 FROM "
    "pg_depend d WHERE d.classid = 'pg_class'::regclass AND d.objid = c.oid AND d.deptype IN "
    "('a', 'i')) ORDER BY c.relkind = 'S', c.relname";

}  // namespace

QStringList TDatabase::pgNotOwnedByUsers(const QString& role, QStringList* owners) const {
    const QString schema = pgSchema();
    QSqlQuery q(db_);
    q.prepare(QLatin1String(kNotOwnedSql));
    q.addBindValue(schema);
    q.addBindValue(role);
    if (!q.exec()) raiseError(q.lastError(), q.lastQuery());
    QStringList statements;
    while (q.next()) {
        const QString kind = q.value(0).toString();
        const char* what = kind == QLatin1String("v")   ? "VIEW"
                           : kind == QLatin1String("m") ? "MATERIALIZED VIEW"
                           : kind == QLatin1String("S") ? "SEQUENCE"
                                                        : "TABLE";
        statements << QStringLiteral("ALTER %1 %2.%3 OWNER TO %4")
                          .arg(QLatin1String(what), quotedIdentifier(schema),
                               quotedIdentifier(q.value(1).toString()), quotedIdentifier(role));
        if (owners) *owners << q.value(2).toString();
    }
    return statements;
}

void TDatabase::pgGiveCreatedToUsers(const QString& sql) {
    if (forUsers_ || usersRole_.isEmpty() ||
        !sql.trimmed().startsWith(QLatin1String("CREATE"), Qt::CaseInsensitive))
        return;
    for (const QString& alter : pgNotOwnedByUsers(usersRole_)) Execute(alter);
}

// A login the department has not let into the general schema meets the
// refusal at the first statement of the start, in the server's words: told
// here instead, with the statements an administrator runs to let it in. Work
// tables of other sessions ("TEMP" + six digits) are not the program's to ask.
void TDatabase::checkPgGeneralRights() {
    if (forUsers_) return;  // the company's role is judged by its own check
    QStringList schemas;
    // The server's catalog, opened to ask it, is read only by every login.
    if (params_.general && pgSchema() != QLatin1String("pg_catalog")) schemas << pgSchema();
    for (const QString& s : std::as_const(params_.searchPath))
        if (s.toLower() != pgSchema() && !schemas.contains(s.toLower())) schemas << s.toLower();
    // The server answers a list of rights true when any one of them is held:
    // each right is asked on its own.
    static const QString sql = []() -> QString {
        QString text = QStringLiteral("SELECT current_user");
        for (const char* r : {"USAGE", "CREATE"})
            text += QStringLiteral(", has_schema_privilege(n.oid, '%1')").arg(QLatin1String(r));
        const QString some = QStringLiteral(
            ", NOT EXISTS (SELECT 1 FROM pg_class c WHERE c.relnamespace = n.oid AND c.relname "
            "!~ '^temp[0-9]{6}_' AND CASE WHEN c.relkind IN (%1) THEN NOT %2(c.oid, '%3') ELSE "
            "false END)");
        for (const char* r : {"SELECT", "INSERT", "UPDATE", "DELETE"})
            text += some.arg(QStringLiteral("'r', 'p'"), QStringLiteral("has_table_privilege"),
                             QLatin1String(r));
        for (const char* r : {"USAGE", "SELECT", "UPDATE"})
            text += some.arg(QStringLiteral("'S'"), QStringLiteral("has_sequence_privilege"),
                             QLatin1String(r));
        return text + QStringLiteral(" FROM pg_namespace n WHERE n.nspname = ?");
    }();
    static const QStringList rights{
        QStringLiteral("SCHEMA:USAGE"),   QStringLiteral("SCHEMA:CREATE"),
        QStringLiteral("TABLE:SELECT"),   QStringLiteral("TABLE:INSERT"),
        QStringLiteral("TABLE:UPDATE"),   QStringLiteral("TABLE:DELETE"),
        QStringLiteral("SEQUENCE:USAGE"), QStringLiteral("SEQUENCE:SELECT"),
        QStringLiteral("SEQUENCE:UPDATE")};
    for (const QString& schema : std::as_const(schemas)) {
        QSqlQuery q(db_);
        q.prepare(sql);
        q.addBindValue(schema);
        if (!q.exec()) raiseError(q.lastError(), q.lastQuery());
        QStringList falta;
        if (q.next())
            for (int i = 0; i < rights.size(); ++i)
                if (!q.value(i + 1).toBool()) falta << rights[i];
        if (falta.isEmpty()) {
            q.finish();
            continue;
        }
        const QString login = q.value(0).toString();
        q = QSqlQuery();
        db_.close();
        throw EDatabaseError(
            DbError::ConnectionFailed,
            QStringLiteral("¡ El usuario «%1» del servidor no tiene permiso sobre el esquema «%2» "
                           "de la Base de Datos general !. Un administrador del servidor debe "
                           "ejecutar: %3")
                .arg(login, schema,
                     PgGrantGeneralText(schema, login, falta).join(QStringLiteral("; "))));
    }
}

void TDatabase::setUpPgUsersRole() {
    if (forUsers_) return;  // it has its opener's
    usersRole_.clear();
    usersRoleNote_.clear();
    if (ownIsGeneral()) return;
    const QString schema = pgSchema();
    const QString role = PgUsersRoleName(params_.database, schema);
    QStringList generals;
    for (const QString& s : std::as_const(params_.searchPath))
        if (s.toLower() != schema) generals << s.toLower();
    const QString general = QLatin1Char('{') + generals.join(QLatin1Char(',')) + QLatin1Char('}');
    QSqlQuery q(db_);
    auto value = [&](const QString& sql, const QVariantList& binds) {
        q.prepare(sql);
        for (const QVariant& b : binds) q.addBindValue(b);
        if (!q.exec()) raiseError(q.lastError(), sql);
        const QVariant v = q.next() ? q.value(0) : QVariant();
        q.finish();
        return v;
    };
    auto run = [&](const QString& sql) {
        if (!q.exec(sql)) raiseError(q.lastError(), sql);
        q.finish();
    };
    auto roleExists = [&] {
        return value(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {role}).isValid();
    };
    auto member = [&] {
        return value(QStringLiteral("SELECT pg_has_role(current_user, ?, 'MEMBER')"), {role})
            .toBool();
    };
    const QString login = value(QStringLiteral("SELECT current_user"), {}).toString();
    // What the role owns is out of reach of a login that is no member of it
    // and could not become one: told now, with the GRANT to run, not as the
    // first table refused.
    auto refuseNonMember = [&] {
        if (!roleExists() || member() ||
            !value(QStringLiteral(
                       "SELECT EXISTS (SELECT 1 FROM pg_class c WHERE c.relnamespace = (SELECT "
                       "oid FROM pg_namespace WHERE nspname = ?) AND c.relowner = (SELECT oid "
                       "FROM pg_roles WHERE rolname = ?) AND c.relkind IN ('r', 'p', 'v', 'm', "
                       "'S') AND NOT CASE WHEN c.relkind = 'S' THEN has_sequence_privilege(c.oid, "
                       "'USAGE') ELSE has_table_privilege(c.oid, 'SELECT') END)"),
                   {schema, role})
                 .toBool())
            return;
        db_.close();
        throw EDatabaseError(
            DbError::ConnectionFailed,
            QStringLiteral("¡ El usuario «%1» del servidor no es miembro del rol «%2», al que "
                           "pertenecen las tablas de la empresa, y no puede hacerse miembro "
                           "de él !. Un administrador del servidor debe ejecutar: %3")
                .arg(login, role, PgGrantRoleText(role, login)));
    };
    if (!value(QStringLiteral("SELECT rolsuper OR rolcreaterole FROM pg_roles WHERE rolname = "
                              "current_user"),
               {})
             .toBool()) {
        usersRoleNote_ = QStringLiteral("no puede crear roles");
        // What the role owns is out of this login's reach until an
        // administrator makes it a member: told now, not as the first table
        // refused.
        refuseNonMember();
        return;
    }
    // A member by a grant of its own (a row of pg_auth_members): a superuser
    // counts as a member without one, and a login that used the objects
    // before they were handed over would have none.
    auto granted = [&](const QString& who) {
        return value(QStringLiteral("SELECT EXISTS (SELECT 1 FROM pg_auth_members WHERE roleid = "
                                    "(SELECT oid FROM pg_roles WHERE rolname = ?) AND member = "
                                    "(SELECT oid FROM pg_roles WHERE rolname = ?))"),
                     {role, who})
            .toBool();
    };
    // The schema's owner made the company: a login that uses it.
    const QString schemaOwner =
        value(
            QStringLiteral("SELECT pg_get_userbyid(nspowner) FROM pg_namespace WHERE nspname = ?"),
            {schema})
            .toString();
    auto ownSchemaGranted = [&] {
        // Each right on its own: a list is answered true for any one of them.
        return value(QStringLiteral("SELECT has_schema_privilege(?, ?, 'USAGE') AND "
                                    "has_schema_privilege(?, ?, 'CREATE')"),
                     {role, schema, role, schema})
            .toBool();
    };
    // USAGE on every general schema, SELECT on every general table but the
    // users table, none on that one.
    auto generalGranted = [&] {
        return value(QStringLiteral(
                         "SELECT NOT EXISTS (SELECT 1 FROM unnest(CAST(? AS text[])) g WHERE NOT "
                         "has_schema_privilege(?, g, 'USAGE')) AND NOT EXISTS (SELECT 1 FROM "
                         "pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE "
                         "n.nspname = ANY(CAST(? AS text[])) AND c.relkind IN ('r', 'p', 'v', "
                         "'m') AND (lower(c.relname) = 'usuario') = has_table_privilege(?, c.oid, "
                         "'SELECT'))"),
                     {general, role, general, role})
            .toBool();
    };
    // What a start-up costs when nothing changed: a few questions.
    if (roleExists() && granted(login) && (schemaOwner == role || granted(schemaOwner)) &&
        ownSchemaGranted() && pgNotOwnedByUsers(role).isEmpty() && generalGranted()) {
        usersRole_ = role;
        return;
    }
    const QString r = quotedIdentifier(role);
    QString grant;  // the membership being granted, while it is
    try {
        run(QStringLiteral("BEGIN"));
        // Two programs starting at once would update the same catalog rows.
        run(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('rh roles de usuarios'))"));
        if (!roleExists()) run(QStringLiteral("CREATE ROLE %1 NOLOGIN").arg(r));
        // Every login that reaches the objects now keeps reaching them once
        // the role owns them: members before anything moves, this login
        // and the schema's owner first.
        for (const QString& who : {login, schemaOwner}) {
            if (who == role || who.isEmpty() || granted(who)) continue;
            grant = PgGrantRoleText(role, who);
            run(grant);
            grant.clear();
        }
        const QString own = quotedIdentifier(schema);
        run(QStringLiteral("GRANT USAGE, CREATE ON SCHEMA %1 TO %2").arg(own, r));
        // An object of a login this one is no member of cannot be handed
        // over: it stays with its owner, who is made no member for it, and
        // the rest goes on.
        QStringList owners, left;
        const QStringList alters = pgNotOwnedByUsers(role, &owners);
        for (qsizetype i = 0; i < alters.size(); ++i) {
            run(QStringLiteral("SAVEPOINT rh_traspaso"));
            const QString& who = owners.at(i);
            bool ok =
                who == role || who.isEmpty() || granted(who) || q.exec(PgGrantRoleText(role, who));
            q.finish();
            ok = ok && q.exec(alters.at(i));
            q.finish();
            run(ok ? QStringLiteral("RELEASE SAVEPOINT rh_traspaso")
                   : QStringLiteral("ROLLBACK TO SAVEPOINT rh_traspaso"));
            if (!ok) left << alters.at(i);
        }
        // Tables the program makes there by other means are the users' to
        // work with until their owner changes too.
        run(QStringLiteral("ALTER DEFAULT PRIVILEGES IN SCHEMA %1 GRANT SELECT, INSERT, UPDATE, "
                           "DELETE, TRUNCATE, REFERENCES ON TABLES TO %2")
                .arg(own, r));
        run(QStringLiteral(
                "ALTER DEFAULT PRIVILEGES IN SCHEMA %1 GRANT USAGE, SELECT, UPDATE ON SEQUENCES "
                "TO %2")
                .arg(own, r));
        for (const QString& g : std::as_const(generals)) {
            const QString gq = quotedIdentifier(g);
            run(QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(gq, r));
            run(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA %1 TO %2").arg(gq, r));
            run(QStringLiteral("ALTER DEFAULT PRIVILEGES IN SCHEMA %1 GRANT SELECT ON TABLES TO %2")
                    .arg(gq, r));
            q.prepare(QStringLiteral(
                "SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                "WHERE n.nspname = ? AND lower(c.relname) = 'usuario'"));
            q.addBindValue(g);
            if (!q.exec()) raiseError(q.lastError(), q.lastQuery());
            QStringList users;
            while (q.next()) users << q.value(0).toString();
            q.finish();
            for (const QString& u : std::as_const(users))
                run(QStringLiteral("REVOKE ALL ON %1.%2 FROM %3").arg(gq, quotedIdentifier(u), r));
        }
        run(QStringLiteral("COMMIT"));
        if (left.isEmpty()) {
            usersRole_ = role;
        } else {
            // The role would not reach what stayed with its owners: the
            // policy alone holds, and the diagnosis names them.
            usersRoleNote_ = QStringLiteral(
                                 "no puede traspasar al rol de la empresa lo que pertenece a otros "
                                 "usuarios del servidor; un administrador del servidor debe "
                                 "ejecutar: %1")
                                 .arg(left.join(QStringLiteral("; ")));
        }
    } catch (const EDatabaseError& e) {
        q.exec(QStringLiteral("ROLLBACK"));
        // Nothing moved; the policy alone holds: the diagnosis tells why,
        // and, for a member that could not be made, what to run.
        usersRoleNote_ = e.detail().isEmpty() ? e.Message() : e.detail();
        if (!grant.isEmpty())
            usersRoleNote_ = QStringLiteral(
                                 "no puede hacer miembros del rol a quienes usan sus tablas: %1; "
                                 "un administrador del servidor debe ejecutar: %2")
                                 .arg(e.Message().trimmed(), grant);
        refuseNonMember();
    }
}

void TDatabase::checkPgUsersRole() {
    if (!forUsers_ || usersRole_.isEmpty()) return;
    QSqlQuery q(db_);
    const QString current = q.exec(QStringLiteral("SELECT current_user")) && q.next()
                                ? q.value(0).toString()
                                : QString();
    q.finish();
    if (current == usersRole_) return;
    db_.close();
    throw EDatabaseError(
        DbError::ConnectionFailed,
        QStringLiteral("¡ El servidor de la Base de Datos no ha aceptado el rol «%1» de la empresa "
                       "para las sentencias SQL de los usuarios, y sin él el servidor no las "
                       "limitaría a la empresa !. No se utiliza la conexión.")
            .arg(usersRole_),
        current);
}

bool TDatabase::OwnsTable(const QString& table, QStringList* key) {
    if (key) key->clear();
    // The general database is only read through a user's statement.
    if (ownIsGeneral()) return false;
    // Nor is a table the user may only read written back.
    const QStringList readOnlyTables = WriteProtectedTables();
    if (params_.engine == Engine::Sqlite) {
        if (sqliteSchemaOf(table) != QLatin1String("main")) return false;
        const QString bare = table.section(QLatin1Char('.'), -1);
        if (readOnlyTables.contains(bare, Qt::CaseInsensitive)) return false;
        // A view of its own in `main` is written through by nobody.
        QSqlQuery q = Execute(QStringLiteral("SELECT type FROM main.sqlite_master WHERE name = ? "
                                             "COLLATE NOCASE AND type IN ('table', 'view')"),
                              {bare});
        if (!q.next() || q.value(0).toString() != QLatin1String("table")) return false;
        q = Execute(QStringLiteral("SELECT name FROM pragma_table_info(?, 'main') WHERE pk > 0 "
                                   "ORDER BY pk"),
                    {bare});
        while (key && q.next()) *key << q.value(0).toString();
        return true;
    }
    if (params_.engine != Engine::Postgres) return false;
    // One question: what stands under the name now, where, and its key.
    QSqlQuery q(connection());
    q.prepare(QStringLiteral(
        "SELECT c.relkind, n.nspname, (SELECT string_agg(a.attname::text, ';' ORDER BY k.i) FROM "
        "pg_index x CROSS JOIN LATERAL unnest(x.indkey) WITH ORDINALITY AS k(att, i) JOIN "
        "pg_attribute a ON a.attrelid = x.indrelid AND a.attnum = k.att WHERE x.indrelid = c.oid "
        "AND x.indisprimary), c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = "
        "c.relnamespace "
        "WHERE c.oid = to_regclass(?)"));
    q.addBindValue(pgRegclass(table));
    if (!q.exec()) raiseError(q.lastError(), q.lastQuery());
    const bool own = q.next() && q.value(1).toString() == pgSchema() &&
                     (q.value(0).toString() == QLatin1String("r") ||
                      q.value(0).toString() == QLatin1String("p")) &&
                     !(q.value(3).toString() == PgFoldIdentifier(q.value(3).toString()) &&
                       readOnlyTables.contains(q.value(3).toString(), Qt::CaseInsensitive));
    if (own && key && !q.value(2).isNull())
        for (const QString& k : q.value(2).toString().split(QLatin1Char(';')))
            *key << IdentifierSpelling(k);
    q.finish();
    return own;
}
