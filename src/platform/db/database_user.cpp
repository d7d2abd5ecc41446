// TDatabase's users' statements: the connection they run on, their
// read-only transactions, and the wait that lets the user stop one.

#include <QDateTime>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlField>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "db/database.h"
#include "db/database_p.h"
#include "db/dberror.h"

namespace {

// A value the driver binds as NULL: a null text or bytes, an invalid date.
bool isNullValue(const QVariant& v) {
    if (v.isNull()) return true;
    switch (v.typeId()) {
        case QMetaType::QString:
            return v.toString().isNull();
        case QMetaType::QByteArray:
            return v.toByteArray().isNull();
        case QMetaType::QDateTime:
            return !v.toDateTime().isValid();
        case QMetaType::QDate:
            return !v.toDate().isValid();
        case QMetaType::QTime:
            return !v.toTime().isValid();
        default:
            return false;
    }
}

}  // namespace

QSqlQuery TDatabase::ExecuteUser(const QString& statement, const QVariantList& parameters,
                                 bool readOnly, const QString& cursor) {
    if (params_.engine != Engine::Postgres)
        return executeSqliteUser(statement, parameters, readOnly);
    RefuseNul(statement, parameters);
    const QString sql = WellFormedText(statement);
    // Decided on the text exactly as the server will parse it.
    const QString refused = pgUserStatementRefusal(sql, readOnly);
    if (!refused.isEmpty()) throw EDatabaseError(DbError::SqlError, refused, statement);
    if (!readOnly && MayWaitForReaders(sql)) LetTablesGo();
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    const QVariantList binds = WellFormedValues(parameters);
    noteDdl(sql, true);
    // The values as the driver writes them for its own prepared statements.
    QStringList values;
    for (const QVariant& v : binds) {
        QSqlField f(QString(), v.metaType());
        if (isNullValue(v))
            f.clear();
        else
            f.setValue(v);
        values << db_.driver()->formatValue(f);
    }
    QString execute = QStringLiteral("EXECUTE ") + QString::fromLatin1(kUserStatementName);
    if (!values.isEmpty())
        execute += QLatin1Char('(') + values.join(QStringLiteral(", ")) + QLatin1Char(')');
    try {
        guarded(q, sql, [&] {
            // A query's values are bounded by the server before they are sent.
            const QString bounded = readOnly ? pgBoundedQuery(sql) : sql;
            // The checked query follows the declaration as it was checked.
            if (!cursor.isEmpty())
                prepareUserStatement(QStringLiteral("DECLARE ") + cursor +
                                     QStringLiteral(" NO SCROLL CURSOR WITH HOLD FOR ") + bounded);
            else if (!readOnly || bounded != sql)
                prepareUserStatement(bounded);
            return RunUserStep([&] { return q.exec(execute); });
        });
    } catch (const EDatabaseError&) {
        noteDdl(sql, true);
        if (UserRunCancelled()) throw EUserStatementCancelled();
        throw;
    }
    // Again once it ran: the program may have read the catalog while the
    // statement was waiting.
    noteDdl(sql, true);
    return q;
}

bool TDatabase::BeginReadOnly() {
    if (params_.engine != Engine::Postgres) return false;
    QSqlQuery q(connection());  // reads pending first, which ends their transaction
    if (inTransaction_ || readOnly_) return false;
    static const QString kBegin = QStringLiteral("BEGIN READ ONLY");
    if (!q.exec(kBegin)) raiseError(q.lastError(), kBegin);
    readOnly_ = true;
    return true;
}

void TDatabase::EndReadOnly() {
    if (!readOnly_) return;
    readOnly_ = false;
    if (!Connected()) return;
    if (forUsers_) {
        EndUserStatement();  // rolls the transaction back too
        return;
    }
    // Nothing to keep; a connection lost meanwhile has ended it anyway.
    QSqlQuery q(db_);
    q.exec(QStringLiteral("ROLLBACK"));
}

TDatabase* TDatabase::UserStatements() {
    if (params_.engine != Engine::Postgres || forUsers_) return this;
    connection();  // raises when closed
    if (!users_) {
        users_ = std::make_unique<TDatabase>();
        users_->forUsers_ = true;
        users_->databaseName_ = databaseName_;
        users_->params_ = params_;
        users_->usersRole_ = usersRole_;
    }
    // Closed after a reset that failed: a fresh session.
    if (!users_->Connected()) users_->Open();
    return users_.get();
}

std::unique_ptr<TDatabase> TDatabase::LendUserStatements() {
    if (params_.engine != Engine::Postgres || forUsers_) return nullptr;
    UserStatements();
    return std::move(users_);
}

void TDatabase::ReturnUserStatements(std::unique_ptr<TDatabase> users) {
    if (!users) return;
    // Never into a database closing: the next company's would read through it.
    if (!users_ && !closing_ && users->Connected() && Connected()) {
        users->EndUserStatement();
        if (users->Connected()) users_ = std::move(users);
    }
}

namespace {

QList<TTableHolder*>& tableHolders() {
    static QList<TTableHolder*> holders;
    return holders;
}

}  // namespace

void AddTableHolder(TTableHolder* holder) {
    if (!tableHolders().contains(holder)) tableHolders().append(holder);
}

void RemoveTableHolder(TTableHolder* holder) {
    tableHolders().removeAll(holder);
}

bool MayWaitForReaders(const QString& sql) {
    if (tableHolders().isEmpty()) return false;
    static const QStringList rowWork{
        QStringLiteral("SELECT"),  QStringLiteral("WITH"),     QStringLiteral("VALUES"),
        QStringLiteral("INSERT"),  QStringLiteral("UPDATE"),   QStringLiteral("DELETE"),
        QStringLiteral("SHOW"),    QStringLiteral("SET"),      QStringLiteral("RESET"),
        QStringLiteral("BEGIN"),   QStringLiteral("START"),    QStringLiteral("COMMIT"),
        QStringLiteral("END"),     QStringLiteral("ROLLBACK"), QStringLiteral("SAVEPOINT"),
        QStringLiteral("RELEASE"), QStringLiteral("FETCH"),    QStringLiteral("CLOSE"),
        QStringLiteral("DECLARE"), QStringLiteral("MOVE"),     QStringLiteral("DEALLOCATE"),
        QStringLiteral("EXECUTE"), QStringLiteral("PREPARE"),  QStringLiteral("DISCARD")};
    return !rowWork.contains(firstWord(sql));
}

void LetTablesGo() {
    // A holder leaves the list as it lets go.
    const QList<TTableHolder*> holders = tableHolders();
    for (TTableHolder* h : holders)
        if (tableHolders().contains(h)) h->LetGo();
}

namespace {

TUserStatementWait* userWait = nullptr;

// The program's clock for throttling the wait's looks.
qint64 nowMs() {
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    return clock.elapsed();
}

constexpr qint64 kLookEveryMs = 40;

}  // namespace

void SetUserStatementWait(TUserStatementWait* wait) {
    userWait = wait;
}

TUserStatementWait* UserStatementWait() {
    return userWait;
}

void TDatabase::BeginUserRun() {
    if (userRuns_++ > 0) return;
    cancelled_ = false;
    waited_ = false;
    polledAt_ = nowMs();
    if (!userWait) return;
    userWait->Began();
    if (params_.engine == Engine::Sqlite) watchSqlite(true);
}

void TDatabase::EndUserRun() {
    if (userRuns_ == 0 || --userRuns_ > 0) return;
    if (!userWait) return;
    if (params_.engine == Engine::Sqlite) watchSqlite(false);
    userWait->Ended(waited_);
}

void TDatabase::PollUserRun() {
    if (!userWait || userRuns_ == 0 || cancelled_ || polling_) return;
    const qint64 now = nowMs();
    if (now - polledAt_ < kLookEveryMs) return;
    // The wait lets events through: a look from inside one is refused.
    polling_ = true;
    waited_ = true;
    bool stop = false;
    try {
        stop = userWait->Waiting();
    } catch (...) {
        stop = true;  // nothing may escape into the engine's callback
    }
    polling_ = false;
    polledAt_ = nowMs();
    if (stop) cancelUserRun();
}

void TDatabase::cancelUserRun() {
    cancelled_ = true;
    if (params_.engine == Engine::Sqlite)
        interruptSqlite();
    else if (params_.engine == Engine::Postgres)
        cancelPg();
}

bool TDatabase::RunUserStep(const std::function<bool()>& step) {
    if (params_.engine != Engine::Postgres || !userWait || userRuns_ == 0) return step();
    // The connection is this thread's again only once the worker is done:
    // nothing else runs on it meanwhile (users' statements have their own).
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool result = false;
    std::exception_ptr error;
    onWorker_ = true;
    const auto back = qScopeGuard([this] { onWorker_ = false; });
    std::thread worker([&] {
        try {
            result = step();
        } catch (...) {
            error = std::current_exception();
        }
        const std::lock_guard<std::mutex> lock(mutex);
        done = true;
        finished.notify_one();
    });
    // The user is looked at while the step runs, and its end taken at once:
    // a step is mostly one short FETCH, which a fixed pause would outlast.
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (!finished.wait_for(lock, std::chrono::milliseconds(5), [&] { return done; })) {
            lock.unlock();
            PollUserRun();
            lock.lock();
        }
    }
    worker.join();
    if (error) std::rethrow_exception(error);
    return result;
}

void TDatabase::EndUserStatement() {
    if (!forUsers_) return;
    readOnly_ = false;
    if (!db_.isValid() || !db_.isOpen() || lost_) return;
    // A session that cannot be reset is not used again.
    if (!resetUserSession()) Close();
}
