// TDatabase's record locks, and the session registry (TSession).

#include <QDir>
#include <QSqlQuery>

#include "db/database.h"
#include "db/dberror.h"
#include "io/paths.h"

// ------------------------------------------------------------ record locks

namespace {

// The lock space of a table: the schema it lives in (the connection's own
// when it does not exist yet) and its name, so that the same key in two
// companies are two locks, and a general table is one lock for all.
const QString kLockSpace = QStringLiteral(
    "SELECT coalesce((SELECT n.nspname FROM pg_class c JOIN pg_namespace n ON n.oid = "
    "c.relnamespace WHERE c.oid = to_regclass(?)), current_schema()) || '.' || ?");

}  // namespace

bool TDatabase::TryLockRecord(const QString& table, const QString& key) {
    if (params_.engine != Engine::Postgres) return true;
    const QString id = table.toLower() + QChar(0) + key;
    auto it = locks_.find(id);
    if (it != locks_.end()) {
        ++it->count;
        return true;
    }
    QSqlQuery& s = Prepared(kLockSpace);
    s.addBindValue(pgRegclass(table));
    s.addBindValue(table.toLower());
    Run(s);
    const QString space = s.next() ? s.value(0).toString() : table.toLower();
    s.finish();
    // Session-level: held without a transaction, released by unlock or by
    // the end of the connection. Two (table, key) pairs whose hashes collide
    // share a lock; the cost is a rare needless refusal.
    QSqlQuery& q =
        Prepared(QStringLiteral("SELECT pg_try_advisory_lock(hashtext(?), hashtext(?))"));
    q.addBindValue(space);
    q.addBindValue(key);
    Run(q);
    const bool got = q.next() && q.value(0).toBool();
    q.finish();
    if (got) locks_.insert(id, RecordLock{space, 1, table, key});
    return got;
}

bool TDatabase::KeepRecordLock(const QString& table, const QString& key) {
    if (params_.engine != Engine::Postgres) return true;
    reviveIfLost();  // a reconnection due now drops the locks it cannot take
    if (locks_.contains(table.toLower() + QChar(0) + key)) return true;
    return TryLockRecord(table, key);
}

void TDatabase::UnlockRecord(const QString& table, const QString& key) {
    if (params_.engine != Engine::Postgres) return;
    const QString id = table.toLower() + QChar(0) + key;
    auto it = locks_.find(id);
    if (it == locks_.end()) return;
    if (--it->count > 0) return;
    const QString space = it->space;
    locks_.erase(it);
    if (!Connected()) return;
    QSqlQuery& q = Prepared(QStringLiteral("SELECT pg_advisory_unlock(hashtext(?), hashtext(?))"));
    q.addBindValue(space);
    q.addBindValue(key);
    Run(q);
    q.finish();
}

// ---------------------------------------------------------------- TSession

TSession& TSession::instance() {
    static TSession session;
    return session;
}

void TSession::AddDatabase(TDatabase* db) {
    if (db && !databases_.contains(db)) databases_ << db;
}

void TSession::RemoveDatabase(TDatabase* db) {
    databases_.removeAll(db);
    for (auto it = direct_.begin(); it != direct_.end();) {
        if (it.value() == db)
            it = direct_.erase(it);
        else
            ++it;
    }
}

void TSession::AddAlias(const QString& alias, const QString& databaseName) {
    aliases_.insert(alias.trimmed().toLower(), databaseName);
}

void TSession::ClearAliases() {
    aliases_.clear();
}

TDatabase* TSession::Registered(const QString& databaseName) const {
    QString name = databaseName.trimmed();
    if (name.startsWith(QLatin1Char('?'))) name = name.mid(1).trimmed();
    auto registered = [&](const QString& n) -> TDatabase* {
        for (TDatabase* db : std::as_const(databases_))
            if (db->DatabaseName().compare(n, Qt::CaseInsensitive) == 0) return db;
        return nullptr;
    };
    if (TDatabase* db = registered(name)) return db;
    const auto alias = aliases_.constFind(name.toLower());
    return alias != aliases_.constEnd() ? registered(*alias) : nullptr;
}

bool TSession::DirectParams(const QString& databaseName, TConnectionParams& direct) const {
    QString name = databaseName.trimmed();
    if (!name.startsWith(QLatin1Char('?'))) return false;
    name = name.mid(1).trimmed();
    if (name.isEmpty()) return false;
    direct = defaults_;
    if (direct.engine == Engine::Sqlite)
        direct.folder = QDir::cleanPath(NativePath(name));
    else
        direct.schema = name.toLower();
    return true;
}

TDatabase* TSession::FindDatabase(const QString& databaseName) {
    if (TDatabase* db = Registered(databaseName)) return db;
    TConnectionParams p;
    if (DirectParams(databaseName, p)) {
        const QString key = p.engine == Engine::Sqlite ? p.folder : p.schema;
        if (TDatabase* db = direct_.value(key)) return db;
        auto db = std::make_unique<TDatabase>();
        db->setDatabaseName(QLatin1Char('?') + databaseName.trimmed().mid(1).trimmed());
        db->Params() = p;
        db->Open();  // raises DatabaseNotFound for a missing folder, file or schema
        direct_.insert(key, db.get());
        return db.release();
    }
    throw EDatabaseError::make(DbError::DatabaseNotFound, QString(), databaseName);
}

void TSession::CloseDirectDatabases() {
    const QList<TDatabase*> dbs = direct_.values();
    direct_.clear();
    qDeleteAll(dbs);
}
