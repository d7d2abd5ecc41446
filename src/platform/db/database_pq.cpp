// The part of a PostgreSQL connection that the SQL driver does not offer: a
// statement parsed through the extended protocol, which refuses a text
// holding more than one command instead of running them all.

#include <libpq-fe.h>
#include <poll.h>

#include <QSqlDriver>
#include <QSqlError>

#include "db/database.h"
#include "db/dberror.h"
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

// Why a user's statement may not run for the fields hidden from the user
// (HiddenColumnTest), "" when it may: a hidden column named, one a view it
// reads takes from its tables (a view's own names may be any), or, where
// the statement could carry a column under another name (a "*" that does
// not land in its result, a whole row...), one of the tables it reads.
QString hiddenColumnRefusal(const QSqlDatabase& db, const QString& sql) {
    const THiddenColumnTest& hidden = HiddenColumnTest();
    if (!hidden) return QString();
    const PgColumnUse use = PgColumnUses(sql, hidden);
    if (!use.named.isEmpty()) return HiddenFieldReason(IdentifierSpelling(use.named));
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
            if (!view && use.carried.isEmpty()) continue;
            q.finish();
            return HiddenFieldReason(
                IdentifierSpelling(column),
                view ? QStringLiteral("la vista ") + QString(relation).remove(QLatin1Char('"'))
                     : use.carried);
        }
        q.finish();
    }
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

QString TDatabase::pgUserStatementRefusal(const QString& sql, bool readOnly) {
    if (const QString hidden = hiddenColumnRefusal(connection(), sql); !hidden.isEmpty())
        return hidden;
    const QString own = pgSchema();
    QStringList schemas{own};
    for (const QString& s : std::as_const(params_.searchPath))
        if (s.toLower() != own) schemas << s.toLower();
    QStringList targets;
    const QString refused =
        PgUserStatementRefusal(sql, readOnly, schemas, !ownIsGeneral(), &targets);
    if (!refused.isEmpty() || targets.isEmpty()) return refused;
    // An unqualified name leads where the search path finds it: a general
    // table the company lacks is the general database's.
    QSqlQuery q(connection());
    for (const QString& name : std::as_const(targets)) {
        q.prepare(QStringLiteral(
            "SELECT n.nspname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
            "WHERE c.oid = to_regclass(?)"));
        q.addBindValue(QString(QLatin1Char('"') +
                               QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                               QLatin1Char('"')));
        if (!q.exec()) raiseError(q.lastError(), q.lastQuery());
        const QString found = q.next() ? q.value(0).toString() : QString();
        q.finish();
        // Not there (the server will say so), the own schema, or the
        // session's own temporary tables.
        if (found.isEmpty() || found == own || found.startsWith(QLatin1String("pg_temp"))) continue;
        return schemas.contains(found) ? GeneralDatabaseWriteReason(found)
                                       : OtherDatabaseWriteReason(found);
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
