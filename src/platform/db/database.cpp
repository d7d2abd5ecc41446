#include "db/database.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlError>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

#include "db/database_p.h"
#include "db/dberror.h"
#include "db/liteprintf.h"
#include "db/pgstatement.h"
#include "db/sqllexis.h"
#include "db/storedvalue.h"
#include "io/paths.h"

namespace {

QAtomicInt connectionSeq;

const QString kTransactionNotDone =
    QStringLiteral("¡ La transacción no ha sido completada !. Inténtelo de nuevo.");

QString newConnectionName() {
    return QStringLiteral("rh-db-%1").arg(connectionSeq.fetchAndAddRelaxed(1) + 1);
}

QString sqliteFile(const QString& folder) {
    return JoinPath(folder, QString::fromLatin1(kDatabaseFileName));
}

QString defaultSchema(const TConnectionParams& p) {
    return p.schema.isEmpty() ? QStringLiteral("general") : p.schema.toLower();
}

// Engine texts may quote the connection string; a password never leaves
// here. Only the value of its "password=" is masked, so that a short password
// leaves the rest of the text (and the words callers look for) as it was.
QString scrubbed(QString text, const QString& password) {
    static const QRegularExpression inConnectionString(
        QStringLiteral("(\\bpassword\\s*=\\s*)('(?:[^'\\\\]|\\\\.)*'|[^\\s;]*)"),
        QRegularExpression::CaseInsensitiveOption);
    if (!password.isEmpty()) text.replace(inConnectionString, QStringLiteral("\\1***"));
    return text.trimmed();
}

// An SQLite error about the file itself, with the file named after the
// engine's words ("file is not a database: /datos/datos.sqlite").
[[noreturn]] void raiseFileError(DbError code, const QString& text, const QString& file,
                                 const QString& detail = QString()) {
    throw EDatabaseError(code, text + QStringLiteral(": ") + QFileInfo(file).absoluteFilePath(),
                         detail);
}

// Before a database folder is opened: only a folder that is there and can be
// read, holding no file, is a database that does not exist; a folder or file
// that cannot be read, and an empty file (a database file never is), are
// faults of their own, so that nobody creates a new database over them.
void checkSqliteFile(const QString& folder) {
    // Named in full: the user reads it in a message.
    const QString file = QFileInfo(sqliteFile(folder)).absoluteFilePath();
    const QFileInfo dir(folder);
    if (folder.isEmpty() || !dir.exists())
        throw EDatabaseError::make(DbError::DatabaseNotFound, QString(), file);
    const QByteArray native = QFile::encodeName(folder);
    if (!dir.isDir() || ::access(native.constData(), R_OK | X_OK) != 0)
        raiseFileError(DbError::ConnectionFailed, QStringLiteral("unable to open database file"),
                       file);
    struct stat st;
    if (::stat(QFile::encodeName(file).constData(), &st) != 0) {
        if (errno == ENOENT) throw EDatabaseError::make(DbError::DatabaseNotFound, QString(), file);
        raiseFileError(DbError::ConnectionFailed, QStringLiteral("unable to open database file"),
                       file);
    }
    if (!S_ISREG(st.st_mode) || ::access(QFile::encodeName(file).constData(), R_OK) != 0)
        raiseFileError(DbError::ConnectionFailed, QStringLiteral("unable to open database file"),
                       file);
    if (st.st_size == 0)
        raiseFileError(DbError::ConnectionFailed, QStringLiteral("file is not a database"), file);
}

void configurePg(QSqlDatabase& db, const TConnectionParams& p) {
    db.setHostName(p.host);
    db.setPort(p.port);
    db.setUserName(p.user);
    db.setPassword(p.password);
    db.setDatabaseName(p.database);
    db.setConnectOptions(QStringLiteral("connect_timeout=10"));
}

// A short-lived connection for the static helpers; removed when it goes.
class ScratchConnection {
public:
    explicit ScratchConnection(const TConnectionParams& p, const QString& file = QString())
        : name_(newConnectionName()) {
        db_ = QSqlDatabase::addDatabase(
            p.engine == Engine::Postgres ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"),
            name_);
        if (p.engine == Engine::Postgres) {
            configurePg(db_, p);
        } else {
            db_.setDatabaseName(file.isEmpty() ? sqliteFile(NativePath(p.folder)) : file);
        }
        if (!db_.open())
            throw EDatabaseError::make(DbError::ConnectionFailed, QString(),
                                       scrubbed(db_.lastError().text(), p.password));
        if (p.engine == Engine::Postgres) {
            try {
                RequireStandardStrings(db_);
            } catch (...) {
                close();
                throw;
            }
        }
    }
    ~ScratchConnection() { close(); }
    QSqlDatabase& db() { return db_; }

private:
    void close() {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }
    QString name_;
    QSqlDatabase db_;
};

bool pgSchemaExists(QSqlDatabase& db, const QString& schema) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM pg_namespace WHERE nspname = ?"));
    q.addBindValue(schema);
    if (!q.exec())
        throw EDatabaseError::make(DbError::ConnectionFailed, QString(), q.lastError().text());
    return q.next();
}

// Statements that change no stored data.
bool isReadOnlyStatement(const QString& sql) {
    static const QStringList reads{
        QStringLiteral("SELECT"),    QStringLiteral("WITH"),    QStringLiteral("SHOW"),
        QStringLiteral("VALUES"),    QStringLiteral("SET"),     QStringLiteral("BEGIN"),
        QStringLiteral("SAVEPOINT"), QStringLiteral("RELEASE"), QStringLiteral("ROLLBACK")};
    return reads.contains(firstWord(sql));
}

}  // namespace

// ------------------------------------------------------------ shared helpers

QString pgQuote(const QString& name) {
    return SqlDialect::forEngine(Engine::Postgres).quoteIdentifier(name);
}

// Statements that change the catalog, so that cached answers are dropped.
bool isDdl(const QString& sql) {
    int i = 0;
    while (i < sql.size() && sql.at(i).isSpace()) ++i;
    if (i >= sql.size()) return false;
    const QChar c = sql.at(i).toUpper();
    if (c != QLatin1Char('C') && c != QLatin1Char('D') && c != QLatin1Char('A')) return false;
    const QStringView head = QStringView(sql).mid(i, 7);
    return head.startsWith(QLatin1String("CREATE"), Qt::CaseInsensitive) ||
           head.startsWith(QLatin1String("DROP"), Qt::CaseInsensitive) ||
           head.startsWith(QLatin1String("ALTER"), Qt::CaseInsensitive);
}

// The first word of a statement, upper-cased.
QString firstWord(const QString& sql) {
    static const QRegularExpression word(QStringLiteral("^[\\s(]*([A-Za-z]+)"));
    return word.match(sql).captured(1).toUpper();
}

// ---------------------------------------------------------------- TDatabase

TDatabase::TDatabase(QObject* parent) : QObject(parent), connectionName_(newConnectionName()) {
    // The registry must outlive every database, even a static one: built first,
    // it is destroyed last.
    TSession::instance();
}

TDatabase::~TDatabase() {
    TSession::instance().RemoveDatabase(this);
    if (Connected()) {
        try {
            Close();
        } catch (...) {
        }
    }
}

void TDatabase::setDatabaseName(const QString& name) {
    if (Connected())
        throw EDatabaseError::make(DbError::OpenDataSet, QString(), QStringLiteral("DatabaseName"));
    databaseName_ = name;
}

const SqlDialect& TDatabase::dialect() const {
    return SqlDialect::forEngine(params_.engine);
}

bool TDatabase::Connected() const {
    // A lost connection still counts: the next statement opens it again.
    return db_.isValid() && (db_.isOpen() || lost_);
}

QSqlDatabase TDatabase::connection() const {
    if (!Connected()) throw EDatabaseError::make(DbError::ClosedDataSet, QString(), databaseName_);
    // A user's statement is running on it, and what reached here came from
    // the events let through meanwhile: the engine forbids a second use.
    // Busy, as a locked database is, but told as what it is.
    if (polling_ || onWorker_)
        throw EDatabaseError(DbError::RecordLocked,
                             QStringLiteral("¡Debe esperar a que finalice la consulta en curso!"),
                             databaseName_);
    // Whoever takes the connection runs a statement on it.
    reviveIfLost();
    settlePendingReads();
    // What a caller runs on the connection is not written again if a batch
    // row fails later: the batch ends before it.
    QSqlError error;
    if (!savepoints_.EndBatch(error)) raiseError(error, QStringLiteral("RELEASE SAVEPOINT"));
    return db_;
}

void TDatabase::reviveIfLost() const {
    if (!lost_ && closedWhileIdle()) lost_ = true;
    if (!lost_) return;
    // The transaction the loss ended is its owner's to end: a statement run
    // on a new connection would be stored outside it.
    if (inTransaction_) throw EDatabaseError(DbError::ConnectionLost, lostText_, databaseName_);
    const_cast<TDatabase*>(this)->reconnect();
}

void TDatabase::AddPendingRead(TPendingRead* read, bool settleWhenIdle) {
    if (pendingReads_.contains(read)) return;
    pendingReads_.append(read);
    // SQLite: an open statement keeps a read transaction, which holds back
    // every checkpoint (other programs' too) while the clerk looks at the
    // rows. Read whole once control is back in the event loop, so that none
    // stays open between the clerk's actions.
    if (params_.engine == Engine::Sqlite && settleWhenIdle && !settleQueued_) {
        settleQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                settleQueued_ = false;
                settlePendingReads();
            },
            Qt::QueuedConnection);
    }
}

void TDatabase::RemovePendingRead(TPendingRead* read) {
    pendingReads_.removeAll(read);
}

void TDatabase::settlePendingReads() const {
    while (!pendingReads_.isEmpty()) pendingReads_.takeFirst()->ReadRest();
}

void TDatabase::Open() {
    if (Connected()) return;
    if (params_.engine == Engine::SqlServer)
        throw EDatabaseError::make(DbError::UnsupportedEngine, QString(),
                                   EngineSettingName(params_.engine));
    try {
        if (params_.engine == Engine::Sqlite)
            openSqlite();
        else
            openPostgres();
    } catch (...) {
        prepared_.clear();
        savepoints_.Attach(QSqlDatabase());
        if (db_.isValid()) db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
        throw;
    }
}

void TDatabase::openSqlite() {
    const QString folder = NativePath(params_.folder);
    const QString file = sqliteFile(folder);
    // Never create a database by opening it: a missing file is reported.
    checkSqliteFile(folder);
    for (const auto& a : std::as_const(params_.attach)) checkSqliteFile(NativePath(a.second));
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    db_.setDatabaseName(file);
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(params_.busyTimeoutMs));
    if (!db_.open())
        throw EDatabaseError::make(DbError::ConnectionFailed, QString(), db_.lastError().text());
    HoldSqlitePrintfToLimit(SqliteHandleOf(db_));
    QSqlQuery q(db_);
    auto run = [&](const QString& sql) {
        if (!q.exec(sql)) raiseError(q.lastError(), sql);
        q.finish();
    };
    run(QStringLiteral("PRAGMA journal_mode=WAL"));
    run(QStringLiteral("PRAGMA busy_timeout=%1").arg(params_.busyTimeoutMs));
    run(QStringLiteral("PRAGMA case_sensitive_like=ON"));
    run(QStringLiteral("PRAGMA synchronous=NORMAL"));
    run(QStringLiteral("PRAGMA foreign_keys=OFF"));
    attached_.clear();
    mainIsGeneral_ = false;
    const QString own = QFileInfo(file).absoluteFilePath();
    for (const auto& a : std::as_const(params_.attach)) {
        const QString f = sqliteFile(NativePath(a.second));
        // A company folder that is the general folder itself needs no attachment.
        if (QFileInfo(f).absoluteFilePath() == own) {
            mainIsGeneral_ = a.first == QLatin1String("general");
            continue;
        }
        const QString schema = dialect().quoteIdentifier(a.first);
        q.prepare(QStringLiteral("ATTACH DATABASE ? AS ") + schema);
        q.addBindValue(f);
        if (!q.exec()) raiseError(q.lastError(), QStringLiteral("ATTACH ") + f);
        run(QStringLiteral("PRAGMA ") + schema + QStringLiteral(".journal_mode=WAL"));
        run(QStringLiteral("PRAGMA ") + schema + QStringLiteral(".synchronous=NORMAL"));
        attached_ << a.first;
    }
}

void TDatabase::openPostgres() {
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName_);
    configurePg(db_, params_);
    if (!db_.open())
        throw EDatabaseError::make(DbError::ConnectionFailed, QString(),
                                   scrubbed(db_.lastError().text(), params_.password));
    setUpPostgresSession();
    setUpPgUsersRole();
}

QStringList TDatabase::pgSessionSettings() const {
    const QString schema = pgSchema();
    QStringList path{pgQuote(schema)};
    for (const QString& s : std::as_const(params_.searchPath))
        if (s.toLower() != schema) path << pgQuote(s.toLower());
    QStringList settings{
        QStringLiteral("SET search_path TO ") + path.join(QStringLiteral(", ")),
        // A row lock waits as long as SQLite's busy handler would, then fails.
        QStringLiteral("SET lock_timeout = %1").arg(params_.busyTimeoutMs),
        // Notices ("drop cascades to...") are not for the user's console.
        QStringLiteral("SET client_min_messages = warning"),
        // Texts read as the program quotes them (RequireStandardStrings).
        QStringLiteral("SET standard_conforming_strings = on"),
    };
    // The server ends a user's statement whose program died meanwhile.
    if (forUsers_) settings << QStringLiteral("SET client_connection_check_interval = 3000");
    // The company's role holds users' statements to its rights (last: the
    // settings before are the login's).
    if (forUsers_ && !usersRole_.isEmpty())
        settings << QStringLiteral("SET ROLE \"") +
                        QString(usersRole_).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                        QLatin1Char('"');
    return settings;
}

void TDatabase::setUpPostgresSession() {
    const QString schema = pgSchema();
    if (!pgSchemaExists(db_, schema))
        throw EDatabaseError::make(DbError::DatabaseNotFound, QString(), schema);
    QSqlQuery q(db_);
    for (const QString& sql : pgSessionSettings())
        if (!q.exec(sql) && !sql.startsWith(QLatin1String("SET ROLE")))
            raiseError(q.lastError(), sql);
    checkPgGeneralRights();
    checkPgUsersRole();  // a role refused is told there
    RequireStandardStrings(db_);
    savepoints_.Attach(db_);
}

void TDatabase::markLost(const QString& sql) const {
    lost_ = true;
    savepoints_.Forget();
    const bool transaction = inTransaction_ || firstWord(sql) == QLatin1String("COMMIT");
    // A transaction stays open, lost, until its owner ends it.
    readOnly_ = false;
    // Rows not yet read are gone with the connection (told below).
    const QList<TPendingRead*> reads = std::exchange(pendingReads_, {});
    QString what;
    if (transaction)
        what = QStringLiteral(
            "No se ha guardado ninguno de los cambios de la operación en curso: la transacción "
            "se ha cancelado.");
    else if (!isReadOnlyStatement(sql))
        what = QStringLiteral("No se ha guardado el último cambio.");
    else
        what = QStringLiteral("Los cambios ya guardados se conservan.");
    lostText_ =
        QStringLiteral("¡ Se ha perdido la conexión con el servidor de la Base de Datos !. ") +
        what + QStringLiteral(" La conexión se restablecerá en la próxima operación.");
    for (TPendingRead* read : reads) read->Lost(lostText_);
}

void TDatabase::reconnect() {
    // The prepared statements of the old connection stay alive, emptied, for
    // callers that still hold them; new ones are prepared on the new one.
    for (const auto& q : std::as_const(prepared_)) {
        q->clear();
        stale_ << q;
    }
    prepared_.clear();
    userStatement_ = false;  // the server's prepared statements end with it
    savepoints_.Attach(QSqlDatabase());
    InvalidateCatalog();
    db_.close();
    // One try per action: a server still down is told again at the next one.
    if (!db_.open())
        throw EDatabaseError(
            DbError::ConnectionLost,
            QStringLiteral("¡ No es posible restablecer la conexión con el servidor de la Base de "
                           "Datos !. Compruebe que está en marcha e inténtelo de nuevo."),
            scrubbed(db_.lastError().text(), params_.password));
    lost_ = false;
    try {
        setUpPostgresSession();
    } catch (...) {
        lost_ = true;
        throw;
    }
    // The record locks the session held, taken again; one another session
    // took meanwhile is no longer this session's.
    QStringList notRetaken;
    QSqlQuery q(db_);
    for (auto it = locks_.begin(); it != locks_.end();) {
        q.prepare(QStringLiteral("SELECT pg_try_advisory_lock(hashtext(?), hashtext(?))"));
        q.addBindValue(it->space);
        q.addBindValue(it->key);
        const bool got = q.exec() && q.next() && q.value(0).toBool();
        q.finish();
        if (got) {
            ++it;
            continue;
        }
        notRetaken << it->table.toUpper() + QStringLiteral(" (") + it->key + QLatin1Char(')');
        it = locks_.erase(it);
    }
    Q_EMIT Reconnected(notRetaken);
}

QString TDatabase::pgSchema() const {
    return defaultSchema(params_);
}

void TDatabase::Close() {
    users_.reset();
    if (!db_.isValid()) return;
    closing_ = true;
    const auto closed = qScopeGuard([this] { closing_ = false; });
    Q_EMIT aboutToClose();
    // Rows already handed to a client stay its own: the rest is read now.
    settlePendingReads();
    if (inTransaction_ && db_.isOpen()) {
        QSqlQuery q(db_);
        q.exec(QStringLiteral("ROLLBACK"));
    }
    inTransaction_ = false;
    readOnly_ = false;
    userStatement_ = false;
    // The server ends a closed connection's advisory locks only when its
    // backend gets round to exiting, after Close has returned; released here,
    // they are free for the next session the moment Close returns.
    if (!locks_.isEmpty() && params_.engine == Engine::Postgres && db_.isOpen()) {
        QSqlQuery q(db_);
        q.exec(QStringLiteral("SELECT pg_advisory_unlock_all()"));
    }
    locks_.clear();
    prepared_.clear();
    givenText_.clear();
    stale_.clear();
    lost_ = false;
    savepoints_.Attach(QSqlDatabase());
    InvalidateCatalog();
    attached_.clear();
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
}

void TDatabase::CreateDatabase(const TConnectionParams& params) {
    if (params.engine == Engine::Sqlite) {
        const QString folder = NativePath(params.folder);
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            throw EDatabaseError::make(DbError::DatabaseNotFound, QString(), folder);
        const QString file = sqliteFile(folder);
        if (QFileInfo::exists(file)) return;
        // Made under a name of its own and linked into place when whole: no
        // session ever opens it half made (empty), and sessions creating it
        // at once all succeed with the one that got there first.
        const QString fresh = file + QStringLiteral(".%1.%2.nuevo")
                                         .arg(QCoreApplication::applicationPid())
                                         .arg(connectionSeq.fetchAndAddRelaxed(1) + 1);
        {
            ScratchConnection c(params, fresh);
            QSqlQuery q(c.db());
            // WAL is a property of the file: set once, every connection gets it.
            if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) {
                const QString why = q.lastError().text();
                q = QSqlQuery();
                QFile::remove(fresh);
                throw EDatabaseError::make(DbError::ConnectionFailed, QString(), why);
            }
        }
        int linked =
            ::link(QFile::encodeName(fresh).constData(), QFile::encodeName(file).constData());
        int why = errno;
        // A file system without links: a rename that never replaces a file.
        if (linked != 0 && why != EEXIST && !QFileInfo::exists(file)) {
            linked = QFile::rename(fresh, file) ? 0 : -1;
            why = QFileInfo::exists(file) ? EEXIST : why;
        }
        QFile::remove(fresh);
        if (linked != 0 && why != EEXIST)
            raiseFileError(DbError::ConnectionFailed,
                           QStringLiteral("unable to open database file"), file,
                           QString::fromLocal8Bit(std::strerror(why)));
        return;
    }
    if (params.engine != Engine::Postgres)
        throw EDatabaseError::make(DbError::UnsupportedEngine, QString(),
                                   EngineSettingName(params.engine));
    ScratchConnection c(params);
    const QString schema = defaultSchema(params);
    if (pgSchemaExists(c.db(), schema)) return;
    QSqlQuery q(c.db());
    const QString sql = SqlDialect::forEngine(Engine::Postgres).createDatabase(schema);
    // A session that created it at the same time leaves it made.
    if (!q.exec(sql) && !pgSchemaExists(c.db(), schema))
        throw EDatabaseError::make(DbError::SqlError, q.lastError().databaseText().trimmed(), sql);
}

bool TDatabase::DatabaseExists(const TConnectionParams& params) {
    if (params.engine == Engine::Sqlite)
        return QFileInfo::exists(sqliteFile(NativePath(params.folder)));
    if (params.engine != Engine::Postgres) return false;
    ScratchConnection c(params);
    return pgSchemaExists(c.db(), defaultSchema(params));
}

// ------------------------------------------------------------ statements

void TDatabase::refuseIfBroken() const {
    if (savepoints_.Broken())
        throw EDatabaseError(DbError::General, kTransactionNotDone, databaseName_);
}

void TDatabase::RefuseNul(const QString& sql, const QVariantList& values) const {
    if (params_.engine != Engine::Postgres) return;
    bool nul = sql.contains(QChar(0));
    for (qsizetype i = 0; !nul && i < values.size(); ++i)
        nul = values.at(i).typeId() == QMetaType::QString &&
              values.at(i).toString().contains(QChar(0));
    if (nul)
        throw EDatabaseError(DbError::InvalidValue,
                             QStringLiteral("¡ El texto contiene el carácter nulo (código 0), "
                                            "que la base de datos no puede guardar !"),
                             sql);
}

bool HasLoneSurrogate(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!c.isSurrogate()) continue;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else
            return true;
    }
    return false;
}

QString WellFormedText(const QString& text) {
    if (!HasLoneSurrogate(text)) return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else {
            out += c.isSurrogate() ? QChar(QChar::ReplacementCharacter) : c;
        }
    }
    return out;
}

// The values with each text's lone surrogates replaced (a copy only when
// one has any).
QVariantList WellFormedValues(const QVariantList& values) {
    QVariantList out = values;
    for (qsizetype i = 0; i < values.size(); ++i)
        if (values.at(i).typeId() == QMetaType::QString &&
            HasLoneSurrogate(values.at(i).toString()))
            out[i] = WellFormedText(values.at(i).toString());
    return out;
}

void TDatabase::CheckBoundValues(QSqlQuery& query) const {
    const QVariantList values = query.boundValues();
    RefuseNul(QString(), values);
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant& v = values.at(i);
        if (v.typeId() == QMetaType::QString && HasLoneSurrogate(v.toString()))
            query.bindValue(int(i), WellFormedText(v.toString()));
    }
}

QSqlQuery TDatabase::Execute(const QString& statement, const QVariantList& values) {
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    RefuseNul(statement, values);
    // SQLite reads a lone surrogate as half of a pair and swallows the
    // character after it: text reaches either engine well formed.
    const QString sql = WellFormedText(statement);
    const QVariantList binds = WellFormedValues(values);
    // The server would run every statement of a text sent without values,
    // where SQLite's prepare refuses a tail: one at a time on both.
    if (params_.engine == Engine::Postgres && binds.isEmpty() && PgHoldsSeveralStatements(sql))
        throw EDatabaseError(DbError::SqlError, SeveralStatementsReason(), sql);
    checkProgramNames(sql);
    noteDdl(sql);
    if (params_.engine == Engine::Postgres && MayWaitForReaders(sql)) LetTablesGo();
    if (binds.isEmpty()) {
        // No server-side PREPARE: it takes no DDL and no list of statements.
        guarded(q, sql, [&] { return q.exec(sql); });
    } else {
        guarded(q, sql, [&] {
            if (!q.prepare(sql)) return false;
            for (const QVariant& v : binds) q.addBindValue(v);
            return q.exec();
        });
    }
    if (params_.engine == Engine::Postgres) pgGiveCreatedToUsers(sql);
    if (!inTransaction_) checkpointAfter(sql);
    return q;
}

namespace {

const QStringList& markNames() {
    static const QStringList names = [] {
        QStringList n;
        for (int i = 0; i < 256; ++i) n << QStringLiteral(":%1").arg(i);
        return n;
    }();
    return names;
}

// `sql` with its "?" marks outside quoted text named as markNames() gives
// them, in order; `marks` gets how many were named.
QString namedMarks(const QString& sql, qsizetype& marks) {
    const QStringList& names = markNames();
    QString out;
    out.reserve(sql.size() + 64);
    marks = 0;
    QChar quote;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == u'\'' || c == u'"' || c == u'`') {
            quote = c;
        } else if (c == u'?') {
            // More marks than names: the text is left as it is.
            if (marks == names.size()) return sql;
            out += names[marks++];
            continue;
        }
        out += c;
    }
    return out;
}

}  // namespace

QSqlQuery& TDatabase::Prepared(const QString& sql) {
    // A lost connection's statements are not handed out again.
    reviveIfLost();
    followCatalog();
    auto it = prepared_.constFind(sql);
    if (it != prepared_.constEnd()) return **it;
    // Checked as it is prepared: a user's DDL prepares it anew.
    checkProgramNames(sql);
    auto q = std::make_shared<QSqlQuery>(connection());
    q->setForwardOnly(true);
    qsizetype marks = 0;
    const QString named = namedMarks(sql, marks);
    bool asNamed = false;
    if (marks > 0 && named != sql) {
        // Taken only when the driver reads the same marks in the text; else
        // the statement keeps its "?" (bound by position the first time).
        guarded(*q, sql, [&] { return q->prepare(named); });
        asNamed = q->boundValues().size() == marks;
        if (asNamed) givenText_.insert(named, sql);
    }
    if (!asNamed) guarded(*q, sql, [&] { return q->prepare(sql); });
    prepared_.insert(sql, q);
    return *q;
}

// A statement with "?" marks has the driver's own names for them once bound
// by position; those are the names markNames() gives.
void TDatabase::BindValues(QSqlQuery& query, const QVariantList& values) {
    const QStringList& names = markNames();
    if (query.boundValues().size() != values.size() || values.size() > names.size()) {
        for (qsizetype i = 0; i < values.size(); ++i) query.bindValue(int(i), values[i]);
        return;
    }
    for (qsizetype i = 0; i < values.size(); ++i) query.bindValue(names[i], values[i]);
}

void TDatabase::Run(QSqlQuery& query) {
    if (lost_ && inTransaction_) reviveIfLost();  // raises
    settlePendingReads();
    CheckBoundValues(query);
    if (!inTransaction_ || params_.engine != Engine::Postgres) {
        if (!query.exec() && !(prepareAgain(query) && query.exec()))
            raiseError(query.lastError(), query.lastQuery());
        if (!inTransaction_) checkpointAfter(query.lastQuery());
        return;
    }
    try {
        guarded(query, query.lastQuery(), [&] { return query.exec(); });
    } catch (const EDatabaseError&) {
        // The savepoint undid the failure: the transaction goes on.
        if (!prepareAgain(query)) throw;
        guarded(query, query.lastQuery(), [&] { return query.exec(); });
    }
}

bool TDatabase::prepareAgain(QSqlQuery& query) const {
    const QSqlError error = query.lastError();
    // The server re-plans a prepared statement whose tables changed and
    // refuses to run it when the result's columns changed with them: a
    // table renamed away and made again, a column altered.
    if (params_.engine != Engine::Postgres || error.nativeErrorCode() != QLatin1String("0A000") ||
        !error.databaseText().contains(QLatin1String("cached plan must not change result type")))
        return false;
    const QVariantList values = query.boundValues();
    if (!query.prepare(query.lastQuery())) return false;
    for (qsizetype i = 0; i < values.size(); ++i) query.bindValue(int(i), values.at(i));
    return true;
}

void TDatabase::RunWrite(QSqlQuery& query) {
    if (!inTransaction_ || params_.engine != Engine::Postgres) {
        Run(query);
        return;
    }
    if (lost_) reviveIfLost();  // raises
    refuseIfBroken();
    settlePendingReads();
    CheckBoundValues(query);
    QSqlError error;
    switch (savepoints_.Write(query, error, [this](const QSqlError& e) { return isLoss(e); })) {
        case TSavepoints::Outcome::Written:
            return;
        case TSavepoints::Outcome::NotBegun:
            raiseError(error, QStringLiteral("SAVEPOINT"));
        case TSavepoints::Outcome::Failed:
            // The rows before it were written again: this one may be too.
            if (inTransaction_ && !lost_ && prepareAgain(query)) {
                RunWrite(query);
                return;
            }
            raiseError(error, query.lastQuery());
        case TSavepoints::Outcome::Broken:
            throw EDatabaseError(DbError::General, kTransactionNotDone,
                                 error.databaseText().trimmed());
    }
}

QVariant TDatabase::Scalar(const QString& sql, const QVariantList& binds) {
    QSqlQuery q = Execute(sql, binds);
    return q.next() ? q.value(0) : QVariant();
}

// ---------------------------------------------------------- transactions

void TDatabase::StartTransaction() {
    if (inTransaction_)
        throw EDatabaseError::make(DbError::TransactionActive, QString(), databaseName_);
    // SQLite: take the write lock now, so that a transaction that reads and
    // then writes never fails half-way on a snapshot another writer moved.
    const QString sql = params_.engine == Engine::Sqlite ? QStringLiteral("BEGIN IMMEDIATE")
                                                         : QStringLiteral("BEGIN");
    QSqlQuery q(connection());
    EndReadOnly();  // the reads of a user's query are over
    if (!q.exec(sql)) raiseError(q.lastError(), sql);
    savepoints_.Forget();
    inTransaction_ = true;
}

void TDatabase::Commit() {
    if (!inTransaction_)
        throw EDatabaseError::make(DbError::NotInTransaction, QString(), databaseName_);
    if (lost_) {
        // The server ended it with the connection: nothing of it was saved.
        inTransaction_ = false;
        throw EDatabaseError(DbError::ConnectionLost, lostText_, QStringLiteral("COMMIT"));
    }
    QSqlQuery q(connection());
    inTransaction_ = false;
    if (savepoints_.Broken()) {
        // Rows a failed batch took with it are missing: nothing is stored.
        savepoints_.Forget();
        q.exec(QStringLiteral("ROLLBACK"));
        throw EDatabaseError(DbError::General, kTransactionNotDone, QStringLiteral("COMMIT"));
    }
    // Committed with the transaction: an open batch needs no release.
    savepoints_.Forget();
    if (!q.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = q.lastError();
        // A failed commit leaves no transaction: PostgreSQL ends it whatever
        // happened; SQLite may have rolled back already (a full disk) or
        // kept it open (a deferred constraint), and then it is rolled back.
        if (params_.engine == Engine::Sqlite) q.exec(QStringLiteral("ROLLBACK"));
        raiseError(error, QStringLiteral("COMMIT"));
    }
    q.finish();
    checkpointAfter(QStringLiteral("COMMIT"));
}

void TDatabase::Rollback() {
    if (!inTransaction_)
        throw EDatabaseError::make(DbError::NotInTransaction, QString(), databaseName_);
    inTransaction_ = false;
    savepoints_.Forget();
    // A lost connection took its transaction with it: nothing to undo, and
    // the next statement reconnects.
    if (lost_) return;
    QSqlQuery q(connection());
    if (!q.exec(QStringLiteral("ROLLBACK"))) raiseError(q.lastError(), QStringLiteral("ROLLBACK"));
}

// ---------------------------------------------------------- error mapping

namespace {

// A value of a user's statement over the limit, refused by the engine
// (SQLite: SqliteStepError; PostgreSQL: PgBoundedQuery): told in the
// program's words, without the engine's.
void refuseTooLarge(const QSqlError& error, Engine engine, const QString& sql) {
    if (engine == Engine::Sqlite && (error.nativeErrorCode().toInt() & 0xff) == 18) {
        const QString text = error.driverText();
        const QLatin1String mark(kSqliteTooLarge);
        throw EDatabaseError(
            DbError::SqlError,
            ValueTooLargeReason(text.startsWith(mark) ? text.mid(mark.size()) : QString()), sql);
    }
    if (engine == Engine::Postgres && error.nativeErrorCode() == QLatin1String("22P02"))
        if (const std::optional<QString> column = PgTooLargeColumn(error.databaseText()))
            throw EDatabaseError(DbError::SqlError,
                                 ValueTooLargeReason(IdentifierSpelling(*column)), sql);
}

}  // namespace

void TDatabase::raiseError(const QSqlError& error, const QString& sql) const {
    refuseTooLarge(error, params_.engine, sql);
    try {
        raiseMapped(error, sql);
    } catch (EDatabaseError& e) {
        e.setEngineCode(error.nativeErrorCode()).setEngineText(error.text());
        throw;
    }
}

bool TDatabase::isLoss(const QSqlError& error) const {
    // The driver may take a broken connection for a closed one.
    if (params_.engine != Engine::Postgres || !db_.isValid()) return false;
    // Connection exceptions, and the server ending the backend (terminated,
    // crashed, shutting down).
    auto lossState = [](const QString& state) {
        return state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") ||
               state == QLatin1String("57P02") || state == QLatin1String("57P03");
    };
    const QString state = error.nativeErrorCode();
    if (lossState(state)) return true;
    if (!state.isEmpty()) return false;
    // libpq's own failures carry no state ("server closed the connection
    // unexpectedly", "no connection to the server"): a probe tells.
    QSqlQuery probe(db_);
    if (probe.exec(QStringLiteral("SELECT 1"))) return false;
    const QString probeState = probe.lastError().nativeErrorCode();
    return probeState.isEmpty() || lossState(probeState);
}

void TDatabase::raiseMapped(const QSqlError& error, const QString& statement) const {
    const QString sql = givenText_.value(statement, statement);
    const QString text = scrubbed(
        error.databaseText().isEmpty() ? error.text() : error.databaseText(), params_.password);
    const QString detail = text + QStringLiteral("\n") + sql;
    auto fieldAfterDot = [](QString name) {
        name = name.trimmed();
        name.remove(QLatin1Char('"'));
        return IdentifierSpelling(name.section(QLatin1Char('.'), -1));
    };
    // A text holding a second statement: the driver (SQLite, whose own
    // text then reads "not an error") or the server refuses the tail.
    if (error.driverText().contains(QLatin1String("multiple statements")) ||
        text.contains(QLatin1String("cannot insert multiple commands")))
        throw EDatabaseError(DbError::SqlError, SeveralStatementsReason(), sql);
    if (params_.engine == Engine::Sqlite) {
        // QSQLITE gives SQLite's extended result code (1555 for a duplicate
        // key, 517 for a busy snapshot); the primary code is its low byte.
        const int code = error.nativeErrorCode().toInt() & 0xff;
        if (code == 5 || code == 6 || text.contains(QLatin1String("database is locked")) ||
            text.contains(QLatin1String("database table is locked")))
            throw EDatabaseError::make(DbError::RecordLocked, QString(), detail);
        if (text.contains(QLatin1String("UNIQUE constraint failed")) ||
            text.contains(QLatin1String("PRIMARY KEY must be unique")) ||
            text.contains(QLatin1String("is not unique")))
            throw EDatabaseError::make(DbError::KeyViolation, QString(), detail);
        static const QRegularExpression notNull(
            QStringLiteral("NOT NULL constraint failed: ([^\\s]+)"));
        QRegularExpressionMatch m = notNull.match(text);
        if (m.hasMatch())
            throw EDatabaseError::make(DbError::FieldRequired, fieldAfterDot(m.captured(1)),
                                       detail);
        if (text.contains(QLatin1String("no such table")))
            throw EDatabaseError::make(DbError::TableNotFound, QString(), detail);
        static const QRegularExpression noColumn(QStringLiteral("no such column: ([^\\s]+)"));
        m = noColumn.match(text);
        if (m.hasMatch())
            throw EDatabaseError::make(DbError::FieldNotFound, fieldAfterDot(m.captured(1)),
                                       detail);
        // The file's own faults (damaged, read-only, full, unreadable) name it.
        if (code == 14 || code == 26)
            raiseFileError(DbError::ConnectionFailed, text, sqliteFile(NativePath(params_.folder)),
                           detail);
        if (code == 8 || code == 10 || code == 11 || code == 13)
            raiseFileError(DbError::SqlError, text, sqliteFile(NativePath(params_.folder)), sql);
        throw EDatabaseError::make(DbError::SqlError, text, sql);
    }
    const QString state = error.nativeErrorCode();
    if (isLoss(error)) {
        markLost(sql);
        throw EDatabaseError(DbError::ConnectionLost, lostText_, detail);
    }
    // A user's query that would write, refused by its read-only transaction.
    if (state == QLatin1String("25006")) {
        static const QRegularExpression what(QStringLiteral("cannot execute (.+) in a read-only"));
        const QRegularExpressionMatch m = what.match(text);
        throw EDatabaseError(DbError::SqlError,
                             ReadOnlyPathReason(m.hasMatch() ? m.captured(1) : QStringLiteral("?")),
                             sql);
    }
    // "ERROR:  message\n(...)": the first line without the severity.
    QString message = text;
    static const QRegularExpression severity(QStringLiteral("^(ERROR|FATAL|PANIC):\\s*"));
    message.remove(severity);
    message = message.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (state == QLatin1String("23505"))
        throw EDatabaseError::make(DbError::KeyViolation, QString(), detail);
    if (state == QLatin1String("23502")) {
        static const QRegularExpression column(QStringLiteral("column \"([^\"]+)\""));
        const QRegularExpressionMatch m = column.match(text);
        throw EDatabaseError::make(DbError::FieldRequired,
                                   m.hasMatch() ? IdentifierSpelling(m.captured(1)) : QString(),
                                   detail);
    }
    if (state == QLatin1String("42P01"))
        throw EDatabaseError::make(DbError::TableNotFound, QString(), detail);
    if (state == QLatin1String("42703")) {
        static const QRegularExpression column(
            QStringLiteral("column \"?([^\"\\s]+)\"? does not exist"));
        const QRegularExpressionMatch m = column.match(text);
        throw EDatabaseError::make(DbError::FieldNotFound,
                                   m.hasMatch() ? fieldAfterDot(m.captured(1)) : QString(), detail);
    }
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01") ||
        state == QLatin1String("40001"))
        throw EDatabaseError::make(DbError::RecordLocked, QString(), detail);
    if (state == QLatin1String("3F000"))
        throw EDatabaseError::make(DbError::DatabaseNotFound, QString(), detail);
    if (state.startsWith(QLatin1String("08")) ||
        (state.isEmpty() && error.type() == QSqlError::ConnectionError) || !db_.isOpen())
        throw EDatabaseError::make(DbError::ConnectionFailed, QString(), detail);
    throw EDatabaseError::make(DbError::SqlError, message.isEmpty() ? text : message, sql);
}
