#include "support/dbfixture.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUuid>

#include "db/dberror.h"

namespace {

bool postgresConfigured() {
    for (const char* v : {"RH_PG_HOST", "RH_PG_PORT", "RH_PG_USER", "RH_PG_DATABASE"})
        if (qEnvironmentVariableIsEmpty(v)) return false;
    return true;
}

QString uniqueSchema() {
    static QAtomicInt seq;
    return QStringLiteral("t%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(seq.fetchAndAddRelaxed(1) + 1)
        .arg(QUuid::createUuid().toString(QUuid::Id128).left(8));
}

}  // namespace

QList<Engine> AvailableEngines() {
    QList<Engine> out{Engine::Sqlite};
    if (postgresConfigured()) out << Engine::Postgres;
    return out;
}

QString EngineTag(Engine e) {
    switch (e) {
        case Engine::Sqlite:
            return QStringLiteral("sqlite");
        case Engine::Postgres:
            return QStringLiteral("postgres");
        case Engine::SqlServer:
            return QStringLiteral("sqlserver");
    }
    return {};
}

void AddEngineRows() {
    QTest::addColumn<int>("engine");
    for (Engine e : AvailableEngines()) QTest::newRow(qPrintable(EngineTag(e))) << int(e);
}

QTestData& NewEngineRow(Engine e, const char* caso) {
    return QTest::newRow(qPrintable(EngineTag(e) + QLatin1Char(' ') + QLatin1String(caso)))
           << int(e);
}

Engine CurrentEngine() {
    void* data = QTest::qData("engine", QMetaType::Int);
    return data ? Engine(*static_cast<int*>(data)) : Engine::Sqlite;
}

TConnectionParams PostgresServerParams() {
    TConnectionParams p;
    p.engine = Engine::Postgres;
    p.host = qEnvironmentVariable("RH_PG_HOST");
    p.port = qEnvironmentVariableIntValue("RH_PG_PORT");
    p.user = qEnvironmentVariable("RH_PG_USER");
    p.database = qEnvironmentVariable("RH_PG_DATABASE");
    return p;
}

TestDatabase::TestDatabase(Engine engine, const QString& name) : engine_(engine) {
    if (engine == Engine::Sqlite) {
        tmp_ = std::make_unique<QTemporaryDir>();
        if (!tmp_->isValid()) qFatal("TestDatabase: no temporary folder");
        folder_ = tmp_->path();
    } else if (engine == Engine::Postgres) {
        if (!postgresConfigured()) qFatal("TestDatabase: PostgreSQL is not configured (RH_PG_*)");
        schema_ = uniqueSchema();
    } else {
        qFatal("TestDatabase: engine without a server here");
    }
    TDatabase::CreateDatabase(params());
    db_ = std::make_unique<TDatabase>();
    db_->setDatabaseName(name);
    db_->Params() = params();
    db_->Open();
    TSession::instance().AddDatabase(db_.get());
}

TestDatabase::~TestDatabase() {
    if (!db_) return;
    if (engine_ == Engine::Postgres && db_->Connected()) {
        try {
            if (db_->InTransaction()) db_->Rollback();
            db_->Execute(QStringLiteral("DROP SCHEMA ") +
                         SqlDialect::forEngine(Engine::Postgres).quoteIdentifier(schema_) +
                         QStringLiteral(" CASCADE"));
        } catch (const EDatabaseError& e) {
            qWarning("TestDatabase: schema %s left behind: %s", qPrintable(schema_), e.what());
        }
    }
    db_.reset();  // closes and leaves the session
}

TConnectionParams TestDatabase::params() const {
    TConnectionParams p;
    if (engine_ == Engine::Postgres) {
        p = PostgresServerParams();
        p.schema = schema_;
    } else {
        p.engine = Engine::Sqlite;
        p.folder = folder_;
    }
    return p;
}

std::unique_ptr<TDatabase> TestDatabase::openSecondSession(const QString& name) const {
    auto db = std::make_unique<TDatabase>();
    db->setDatabaseName(name);
    db->Params() = params();
    db->Open();
    TSession::instance().AddDatabase(db.get());
    return db;
}

void EndBackends(const QList<TDatabase*>& databases) {
    if (databases.isEmpty()) return;
    QVariantList pids;
    for (TDatabase* db : databases) pids << db->Scalar(QStringLiteral("SELECT pg_backend_pid()"));
    EndBackendPids(databases.first()->Params(), pids);
}

QSqlDatabase OpenOutside(const TConnectionParams& params, const QString& name) {
    QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    c.setHostName(params.host);
    c.setPort(params.port);
    c.setUserName(params.user);
    c.setPassword(params.password);
    c.setDatabaseName(params.database);
    c.open();
    return c;
}

QStringList RunOutside(const TConnectionParams& params, const QString& sql, QString* error) {
    const QString name = QStringLiteral("fuera del programa");
    QStringList rows;
    QString refusal;
    {
        QSqlDatabase c = OpenOutside(params, name);
        QSqlQuery q(c.isOpen() ? c : QSqlDatabase());
        if (!c.isOpen())
            refusal = c.lastError().text();
        else if (!q.exec(sql))
            refusal = q.lastError().text();
        while (q.isSelect() && q.next()) rows << q.value(0).toString();
    }
    QSqlDatabase::removeDatabase(name);
    if (error)
        *error = refusal;
    else if (!refusal.isEmpty())
        QTest::qFail(qPrintable(refusal + QStringLiteral(": ") + sql), __FILE__, __LINE__);
    return rows;
}

void EndBackendPids(const TConnectionParams& params, const QVariantList& pids) {
    TDatabase server;
    server.setDatabaseName(QStringLiteral("FinDeSesiones"));
    server.Params() = params;
    server.Open();
    const QString alive = QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE pid = ?");
    for (const QVariant& pid : pids) {
        server.Execute(QStringLiteral("SELECT pg_terminate_backend(?)"), {pid});
        QElapsedTimer waited;
        waited.start();
        while (server.Scalar(alive, {pid}).toInt() > 0 && waited.elapsed() < 10000)
            QThread::msleep(20);
    }
}
