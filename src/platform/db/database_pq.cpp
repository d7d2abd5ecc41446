// The part of a PostgreSQL connection that the SQL driver does not offer: a
// statement parsed through the extended protocol, which refuses a text
// holding more than one command instead of running them all.

#include <libpq-fe.h>

#include <QSqlDriver>
#include <QSqlError>

#include "db/database.h"
#include "db/dberror.h"

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
    return q.exec(pgSessionSettings().join(QStringLiteral("; ")));
}
