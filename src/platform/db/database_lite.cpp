// The part of an SQLite connection that the SQL driver does not offer: a
// user's statement prepared under SQLite's own authorizer, which sees every
// table, pragma, function and command the statement would use, so that it
// reaches only the rows and tables of the databases the connection opened.

#include <sqlite3.h>

#include <QSqlDriver>
#include <QSqlError>

#include "db/database.h"
#include "db/dberror.h"
#include "db/sqllexis.h"
#include "db/storedvalue.h"

namespace {

// Pragmas that only read, whatever their argument (the authorizer cannot
// tell "table_info(t)" from "foreign_keys = 0", so it goes by name).
const char* const kReadingPragmas[] = {"table_info",     "table_xinfo",   "index_list",
                                       "index_info",     "index_xinfo",   "foreign_key_list",
                                       "collation_list", "database_list", "function_list"};

struct Confinement {
    bool readOnly = false;
    QString refused;  // what was refused, as a user writes it
    // A write where only reads may run: refused once prepared (preparing
    // it does nothing), so that a second statement is told first.
    QString write;
};

QString upper(const char* text) {
    return QString::fromUtf8(text ? text : "").toUpper();
}

int authorize(void* data, int action, const char* a, const char* b, const char*, const char*) {
    auto* c = static_cast<Confinement*>(data);
    auto deny = [c](const QString& what) {
        if (c->refused.isEmpty()) c->refused = what;
        return SQLITE_DENY;
    };
    switch (action) {
        case SQLITE_ATTACH:
            return deny(QStringLiteral("ATTACH"));
        case SQLITE_DETACH:
            return deny(QStringLiteral("DETACH"));
        case SQLITE_PRAGMA:
            for (const char* p : kReadingPragmas)
                if (qstricmp(a, p) == 0) return SQLITE_OK;
            return deny(QStringLiteral("PRAGMA ") + QString::fromUtf8(a).toLower());
        case SQLITE_TRANSACTION:
            // The program keeps its own transaction on this same connection.
            return deny(upper(a));
        case SQLITE_SAVEPOINT:
            return deny(upper(a) == QLatin1String("BEGIN") ? QStringLiteral("SAVEPOINT")
                                                           : upper(a));
        case SQLITE_CREATE_TEMP_TABLE:
        case SQLITE_CREATE_TEMP_VIEW:
        case SQLITE_CREATE_TEMP_INDEX:
        case SQLITE_DROP_TEMP_TABLE:
        case SQLITE_DROP_TEMP_VIEW:
        case SQLITE_DROP_TEMP_INDEX:
            // A temporary table hides the program's own one of that name.
            return deny(QStringLiteral("TEMP"));
        case SQLITE_CREATE_TRIGGER:
        case SQLITE_CREATE_TEMP_TRIGGER:
        case SQLITE_DROP_TRIGGER:
        case SQLITE_DROP_TEMP_TRIGGER:
            return deny(QStringLiteral("TRIGGER"));
        case SQLITE_CREATE_VTABLE:
        case SQLITE_DROP_VTABLE:
            return deny(QStringLiteral("VIRTUAL TABLE"));
        case SQLITE_FUNCTION:
            if (qstricmp(b, "load_extension") == 0) return deny(QStringLiteral("load_extension"));
            return SQLITE_OK;
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
        case SQLITE_DELETE:
        case SQLITE_CREATE_TABLE:
        case SQLITE_CREATE_VIEW:
        case SQLITE_CREATE_INDEX:
        case SQLITE_DROP_TABLE:
        case SQLITE_DROP_VIEW:
        case SQLITE_DROP_INDEX:
        case SQLITE_ALTER_TABLE:
        case SQLITE_REINDEX:
        case SQLITE_ANALYZE:
            if (!c->readOnly || !c->write.isEmpty()) return SQLITE_OK;
            // The schema table is written by CREATE, ALTER and DROP.
            if (qstrnicmp(a, "sqlite_", 7) == 0)
                c->write = QStringLiteral("CREATE, ALTER o DROP");
            else if (action == SQLITE_INSERT)
                c->write = QStringLiteral("INSERT");
            else if (action == SQLITE_UPDATE)
                c->write = QStringLiteral("UPDATE");
            else if (action == SQLITE_DELETE)
                c->write = QStringLiteral("DELETE");
            else
                c->write = QStringLiteral("CREATE, ALTER o DROP");
            return SQLITE_OK;
        default:
            return SQLITE_OK;
    }
}

// The first word of code of a text, upper-cased.
QString firstWord(const QString& sql) {
    QString word;
    bool done = false;
    ScanSqlText(sql, SqlLexis::Standard, [&](qsizetype begin, qsizetype end, bool code) {
        for (qsizetype i = begin; code && !done && i < end; ++i) {
            const QChar c = sql.at(i);
            if (c.isLetter())
                word += c.toUpper();
            else if (!word.isEmpty() || !(c.isSpace() || c == QLatin1Char(';')))
                done = true;
        }
        if (!code && !word.isEmpty()) done = true;
    });
    return word;
}

sqlite3* sqliteHandle(const QSqlDatabase& db) {
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid() || !h.constData() || qstrcmp(h.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(h.constData());
}

// Called by SQLite every kProgressOps instructions of a user's statement.
int lookDuringStep(void* db) {
    auto* d = static_cast<TDatabase*>(db);
    d->PollUserRun();
    return d->UserRunCancelled() ? 1 : 0;  // non-zero interrupts the statement
}

constexpr int kProgressOps = 20000;

}  // namespace

void TDatabase::watchSqlite(bool on) {
    if (sqlite3* handle = sqliteHandle(db_))
        sqlite3_progress_handler(handle, on ? kProgressOps : 0, on ? lookDuringStep : nullptr,
                                 on ? this : nullptr);
}

void TDatabase::interruptSqlite() {
    if (sqlite3* handle = sqliteHandle(db_)) sqlite3_interrupt(handle);
}

QSqlQuery TDatabase::executeSqliteUser(const QString& statement, const QVariantList& parameters,
                                       bool readOnly) {
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    RefuseNul(statement, parameters);
    const QString sql = WellFormedText(statement);
    // No authorizer call reaches VACUUM (whose INTO writes a file anywhere):
    // known by its first word, as SQLite reads it past blanks and comments.
    if (firstWord(sql) == QLatin1String("VACUUM"))
        throw EDatabaseError(DbError::SqlError, ReachingNameReason(QStringLiteral("VACUUM")),
                             statement);
    sqlite3* handle = sqliteHandle(db_);
    if (!handle) throw EDatabaseError::make(DbError::ConnectionFailed, QString(), databaseName_);
    Confinement confinement;
    confinement.readOnly = readOnly;
    sqlite3_set_authorizer(handle, authorize, &confinement);
    const bool prepared = q.prepare(sql);
    sqlite3_set_authorizer(handle, nullptr, nullptr);
    if (!confinement.refused.isEmpty())
        throw EDatabaseError(DbError::SqlError, ReachingNameReason(confinement.refused), statement);
    if (!prepared) raiseError(q.lastError(), sql);
    if (!confinement.write.isEmpty())
        throw EDatabaseError(DbError::SqlError, ReadOnlyPathReason(confinement.write), statement);
    // What the authorizer does not name as a write (a write inside a CTE
    // is named; anything else SQLite knows writes) is still refused.
    if (readOnly) {
        sqlite3_stmt* st = SqliteStatementOf(q);
        if (st && !sqlite3_stmt_readonly(st))
            throw EDatabaseError(DbError::SqlError,
                                 ReadOnlyPathReason(QStringLiteral("una escritura")), statement);
    }
    noteDdl(sql);
    for (const QVariant& v : parameters) q.addBindValue(v);
    CheckBoundValues(q);
    if (!q.exec()) {
        if (UserRunCancelled()) throw EUserStatementCancelled();
        raiseError(q.lastError(), sql);
    }
    return q;
}
