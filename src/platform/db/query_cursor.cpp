// TQuery's results: their rows read from either engine (whole, in packets,
// or through a cursor for a user's query), typed, and held for navigation
// and live editing.

#include <QPointer>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <deque>
#include <optional>
#include <utility>

#include <libpq-fe.h>
#include <sqlite3.h>

#include "db/database.h"
#include "db/dberror.h"
#include "db/hiddencolumns.h"
#include "db/query.h"
#include "db/query_p.h"
#include "db/sqllexis.h"
#include "db/storedvalue.h"
#include "db/sysutils.h"
#include "db/tablecursor.h"

namespace {

// SQLite keeps dates as ISO text.
TFieldType isoTextType(const QVariant& v) {
    static const QRegularExpression date(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    static const QRegularExpression dateTime(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}[ T]\\d{2}:\\d{2}(:\\d{2}(\\.\\d+)?)?$"));
    if (v.typeId() != QMetaType::QString) return ftString;
    const QString s = v.toString();
    if (date.match(s).hasMatch()) return ftDate;
    if (dateTime.match(s).hasMatch()) return ftDateTime;
    return ftString;
}

// An SQLite expression column has no declared type and each of its values
// a type of its own: the column is typed by every value read so far, never
// by the first alone. Numbers make a real (an integer may sit beside a
// fraction further down); ISO dates alone a date; anything mixed a text,
// which shows every value as it is.
TFieldType sqliteValuesType(const std::vector<TRow>& rows, int column) {
    TFieldType type = ftUnknown;
    for (const TRow& r : rows) {
        const QVariant& v = r.values.value(column);
        if (v.isNull()) continue;
        TFieldType t;
        switch (v.typeId()) {
            case QMetaType::LongLong:
            case QMetaType::Int:
            case QMetaType::Double:
                t = ftFloat;
                break;
            case QMetaType::QByteArray:
                t = ftBlob;
                break;
            default:
                t = isoTextType(v);
        }
        if (type == ftUnknown || type == t)
            type = t;
        else if (IsDateTimeType(type) && IsDateTimeType(t))
            type = ftDateTime;
        else
            return ftString;
    }
    return type == ftUnknown ? ftString : type;
}

TFieldType typeOfMeta(int id) {
    switch (id) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return ftInteger;
        case QMetaType::Double:
        case QMetaType::Float:
            return ftFloat;
        case QMetaType::Bool:
            return ftBoolean;
        case QMetaType::QDate:
            return ftDate;
        case QMetaType::QTime:
            return ftTime;
        case QMetaType::QDateTime:
            return ftDateTime;
        case QMetaType::QByteArray:
            return ftBlob;
        default:
            return ftString;
    }
}

// Steps through the rows of an executed query: on SQLite on the engine's
// statement itself, which the driver's exec leaves on the first row (the
// driver would copy every row into variants of its own first), elsewhere
// through the driver.
class RowSteps {
public:
    // `user`: a user's statement, whose values the engine keeps under
    // kUserValueLimit as it did when it ran (TDatabase::ExecuteUser).
    explicit RowSteps(const QSqlQuery& q, bool user = false)
        : st_(SqliteStatementOf(q)), user_(user) {
        // Its confinement in every step, for SQLite may prepare it again
        // inside one (TSqliteConfinement); it ran as a query.
        if (st_ && user_) {
            auto confinement =
                std::make_shared<TSqliteConfinement>(sqlite3_db_handle(st_), true, false, true);
            confinement->SetPrepared();
            confinement_ = std::move(confinement);
        }
    }

    // Onto the next row; false at the end and at an error (error()).
    bool next(QSqlQuery& q) {
        if (!st_) return q.next();
        if (!started_) {
            started_ = true;
            onRow_ = sqlite3_data_count(st_) > 0;
            return onRow_;
        }
        if (!onRow_) return false;
        int rc;
        {
            const Held held(*this);
            rc = sqlite3_step(st_);
        }
        onRow_ = rc == SQLITE_ROW;
        if (!onRow_ && rc != SQLITE_DONE) error_ = SqliteStepError(st_, rc, user_);
        return onRow_;
    }
    QSqlError error(const QSqlQuery& q) const { return st_ ? error_ : q.lastError(); }
    sqlite3_stmt* statement() const { return st_; }

    // A user's statement's confinement and value limit held over a run of
    // steps with nothing between them but the reading of their rows and the
    // look at the user (during which the connection refuses the program's
    // statements, as inside a step). Set per step, an authorizer costs SQLite
    // a pass that expires every statement of the connection, twice a row.
    // The statement is neither ended nor its error raised while it is held.
    // One made while another holds the statement does nothing.
    class Held {
    public:
        explicit Held(RowSteps& steps)
            : steps_(steps.held_ ? nullptr : &steps),
              confined_(steps_ ? steps.confinement_.get() : nullptr) {
            if (!steps_) return;
            steps_->held_ = true;
            if (steps_->st_ && steps_->user_) {
                handle_ = sqlite3_db_handle(steps_->st_);
                length_ = sqlite3_limit(handle_, SQLITE_LIMIT_LENGTH, int(kUserValueLimit));
            }
        }
        ~Held() {
            if (!steps_) return;
            steps_->held_ = false;
            if (handle_) sqlite3_limit(handle_, SQLITE_LIMIT_LENGTH, length_);
        }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        RowSteps* steps_;
        const TSqliteConfinement::Scope confined_;
        sqlite3* handle_ = nullptr;
        int length_ = -1;
    };

private:
    sqlite3_stmt* st_;
    bool user_;
    bool held_ = false;
    std::shared_ptr<const TSqliteConfinement> confinement_;
    bool started_ = false;
    bool onRow_ = false;
    QSqlError error_;
};

// How the values of a result's rows are read. On PostgreSQL, once its
// columns are typed, straight from libpq's result in the columns' types (the
// forms the driver alone reads through the driver, converted at once): no
// variant of the driver's per value, no conversion after. Elsewhere, or
// untyped, as the driver gives them, to be converted (Conversion).
class RowReading {
public:
    // Values read from now on come in the types of `defs`: those of the
    // columns marked in `convert` as fromStorage gives them, the others as
    // the driver gives them (a NULL too).
    void type(const TFieldDefs& defs, const QVector<bool>& convert, const QSqlRecord& record) {
        types_.clear();
        nulls_.clear();
        convert_ = convert;
        for (int i = 0; i < defs.size(); ++i) {
            types_ << defs[i].DataType;
            nulls_ << QVariant(record.field(i).metaType());
        }
        dateTimes_.assign(defs.size(), {});
    }
    bool typed() const { return !types_.isEmpty(); }
    // Lets the date-times built go once a result is read.
    void forgetBuilt() const {
        for (auto& built : dateTimes_) built.clear();
    }

    // The values of the row `q` stands on (`steps` its steps).
    void read(const QSqlQuery& q, const RowSteps& steps, int n, QVector<QVariant>& values) const {
        values.resize(n);
        if (sqlite3_stmt* st = steps.statement()) {
            for (int i = 0; i < n; ++i) values[i] = SqliteStoredValue(st, i);
            return;
        }
        const PGresult* pg = typed() && n == types_.size() ? PgResultOf(q) : nullptr;
        // A forward-only result is streamed a row at a time.
        const int row = q.isForwardOnly() ? 0 : q.at();
        if (!pg || row < 0 || row >= PQntuples(pg) || n > PQnfields(pg)) {
            for (int i = 0; i < n; ++i) values[i] = q.value(i);
            return;
        }
        for (int i = 0; i < n; ++i) {
            QVariant& v = values[i];
            // A local date-time costs a time-zone lookup to build, and stored
            // ones repeat: each distinct text is built once.
            QHash<QByteArray, QVariant>* done = nullptr;
            if (types_[i] == ftDateTime && !PQgetisnull(pg, row, i)) {
                done = &dateTimes_[i];
                const QByteArray text =
                    QByteArray::fromRawData(PQgetvalue(pg, row, i), PQgetlength(pg, row, i));
                const auto hit = done->constFind(text);
                if (hit != done->constEnd()) {
                    v = *hit;
                    continue;
                }
            }
            if (PgCanonicalValue(pg, row, i, types_[i], v)) {
                if (!convert_[i] && !v.isValid()) v = nulls_[i];
                if (done && done->size() < kMaxDateTimes)
                    done->insert(QByteArray(PQgetvalue(pg, row, i), PQgetlength(pg, row, i)), v);
                continue;
            }
            v = q.value(i);
            if (convert_[i]) v = TTableCursor::fromStorage(std::move(v), types_[i]);
        }
    }

private:
    static constexpr qsizetype kMaxDateTimes = 20000;
    QVector<TFieldType> types_;
    QVector<bool> convert_;
    QVector<QVariant> nulls_;
    mutable std::vector<QHash<QByteArray, QVariant>> dateTimes_;
};

// A statement's result: its columns and every row, values as `reading` gives
// them.
struct RawResult {
    QSqlRecord record;
    std::vector<TRow> rows;
    QStringList declared;  // SQLite: each column's declared type ("" for an expression)
};

QStringList sqliteDeclaredTypes(const RowSteps& steps, int columns) {
    QStringList declared;
    if (sqlite3_stmt* st = steps.statement())
        for (int i = 0; i < columns; ++i)
            declared << QString::fromUtf8(sqlite3_column_decltype(st, i));
    return declared;
}

// `typing` is told the columns before any row is read.
// `users`: the connection of a user's statement, which lets the user stop it.
RawResult runStatement(QSqlQuery q, const QString& statement, const RowReading& reading,
                       const std::function<void(const QSqlRecord&)>& typing = nullptr,
                       TDatabase* users = nullptr) {
    if (!q.isSelect())
        throw EDatabaseError::make(DbError::SqlError,
                                   QStringLiteral("Error creating cursor handle"), statement);
    RawResult r;
    r.record = q.record();
    if (typing) typing(r.record);
    const int n = r.record.count();
    // Read whole at once, while nothing else runs on the connection: an
    // SQLite statement left open keeps its connection on the snapshot it began
    // with (blind to other sessions' posts, and its own writes fail as
    // locked), and PostgreSQL streams a forward result that the next statement
    // on the connection discards.
    RowSteps steps(q, users != nullptr);
    r.declared = sqliteDeclaredTypes(steps, n);
    {
        const RowSteps::Held held(steps);
        while (steps.next(q)) {
            TRow row;
            reading.read(q, steps, n, row.values);
            row.identity = int(r.rows.size());
            r.rows.push_back(std::move(row));
            if (users) users->PollUserRun();
        }
    }
    if (users && users->UserRunCancelled()) throw EUserStatementCancelled();
    // A row that failed ends the result: never taken for its end.
    if (const QSqlError error = steps.error(q); error.isValid()) {
        if (users) users->raiseError(error, statement);
        throw EDatabaseError::make(DbError::SqlError, error.databaseText(), statement);
    }
    q.finish();
    reading.forgetBuilt();
    return r;
}

// Turns stored values into the columns' types. Stored texts repeat (dates
// above all) and a local date-time costs a time-zone lookup each: each
// distinct text is converted once.
class Conversion {
public:
    Conversion(TFieldDefs defs, QVector<bool> convert)
        : defs_(std::move(defs)), convert_(std::move(convert)), done_(convert_.size()) {}

    void row(QVector<QVariant>& values) {
        for (int i = 0; i < convert_.size() && i < values.size(); ++i) {
            if (!convert_[i]) continue;
            QVariant& v = values[i];
            if (v.typeId() == QMetaType::QString && IsStringType(defs_[i].DataType)) continue;
            if (v.typeId() != QMetaType::QString) {
                // A number among texts shows as the program writes numbers.
                if (IsStringType(defs_[i].DataType) &&
                    (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::LongLong))
                    v = FloatToStr(v.toDouble());
                else
                    v = TTableCursor::fromStorage(std::move(v), defs_[i].DataType);
                continue;
            }
            QHash<QString, QVariant>& done = done_[i];
            const QString text = v.toString();
            auto hit = done.constFind(text);
            if (hit != done.constEnd()) {
                v = *hit;
                continue;
            }
            v = TTableCursor::fromStorage(std::move(v), defs_[i].DataType);
            if (done.size() < kMaxConverted) done.insert(text, v);
        }
    }

private:
    static constexpr qsizetype kMaxConverted = 20000;
    TFieldDefs defs_;
    QVector<bool> convert_;
    std::vector<QHash<QString, QVariant>> done_;
};

// A forward result read in pieces. Rows the database has it read early (a
// statement coming) wait in `early` as the driver gave them.
class ResultReader : public TRowSource, public TPendingRead {
public:
    ResultReader(TDatabase* db, QSqlQuery query, RowSteps steps, QString statement, TFieldDefs defs,
                 QVector<bool> convert, std::shared_ptr<const RowReading> reading,
                 std::unique_ptr<TReadOnlyTransaction> readOnly, bool user)
        : db_(db),
          user_(user),
          readOnly_(std::move(readOnly)),
          query_(std::move(query)),
          steps_(steps),
          statement_(std::move(statement)),
          reading_(std::move(reading)),
          conversion_(std::make_shared<Conversion>(std::move(defs), std::move(convert))),
          columns_(query_.record().count()) {
        db_->AddPendingRead(this, !user_);
    }
    ~ResultReader() override { stop(); }

    bool Read(int count, std::vector<QVector<QVariant>>& rows) override {
        while (count != 0 && !early_.empty()) {
            rows.push_back(std::move(early_.front()));
            early_.pop_front();
            --count;
        }
        {
            TUserRun run(user_ ? db_.data() : nullptr);
            bool more = true;
            {
                const std::optional<RowSteps::Held> held = hold();
                while (count != 0 && (more = readRow(rows))) --count;
            }
            if (!more) endRows();
        }
        // Stopped by the user (while its reader waited, or while its rest
        // was read for another statement): once its rows are taken, the
        // reader decides what they are worth.
        if (incomplete_ && !raised_ && early_.empty()) {
            raised_ = true;
            throw EUserStatementCancelled();
        }
        if (early_.empty() && error_) {
            const std::exception_ptr error = error_;
            error_ = nullptr;
            std::rethrow_exception(error);
        }
        return query_.isActive() || !early_.empty();
    }

    std::function<void(QVector<QVariant>&)> Converter() const override {
        return [conversion = conversion_](QVector<QVariant>& values) { conversion->row(values); };
    }
    Reopen Reopener() const override { return reopen_; }
    void setReopener(Reopen reopen) { reopen_ = std::move(reopen); }
    void KeepWaiting(bool on) override {
        keep_.reset();
        if (on && user_ && query_.isActive()) keep_ = std::make_unique<TUserRun>(db_.data());
    }

    // A user's result is read on under the wait, which lets the user stop
    // an endless one; its holder then keeps the rows read so far.
    void ReadRest() override {
        listed_ = false;  // the database took it off its list
        std::vector<QVector<QVariant>> rows;
        {
            TUserRun run(user_ ? db_.data() : nullptr);
            {
                const std::optional<RowSteps::Held> held = hold();
                while (readRow(rows)) {
                }
            }
            endRows();
        }
        for (auto& r : rows) early_.push_back(std::move(r));
        noteIncomplete();
    }
    // The connection went before the rest was read: it is raised once the
    // rows read before are taken.
    void Lost(const QString& why) override {
        listed_ = false;  // the database dropped it
        if (!query_.isActive()) return;
        error_ = std::make_exception_ptr(EDatabaseError(DbError::ConnectionLost, why, statement_));
        stop();
    }

private:
    // The statement held for a run of reads; never one already ended.
    std::optional<RowSteps::Held> hold() {
        if (!query_.isActive()) return std::nullopt;
        return std::optional<RowSteps::Held>(std::in_place, steps_);
    }
    // The next row into `rows`; false when there is none to read now: then
    // endRows, once the statement is no longer held, tells why.
    bool readRow(std::vector<QVector<QVariant>>& rows) {
        if (!query_.isActive()) return false;
        if (user_ && db_) db_->PollUserRun();
        if (user_ && db_ && db_->UserRunCancelled()) return false;
        if (!steps_.next(query_)) return false;
        QVector<QVariant> values;
        reading_->read(query_, steps_, columns_, values);
        rows.push_back(std::move(values));
        return true;
    }
    // The reading ended: stopped by the user (before or inside a step: SQLite
    // interrupts it, which is a stop, not the engine's "interrupted"), at an
    // error, or at the end.
    void endRows() {
        if (!query_.isActive()) return;
        if (user_ && db_ && db_->UserRunCancelled()) {
            incomplete_ = true;
            stop();
            return;
        }
        const QSqlError error = steps_.error(query_);
        if (error.isValid()) {
            try {
                if (db_) db_->raiseError(error, statement_);
                throw EDatabaseError::make(DbError::SqlError, error.databaseText(), statement_);
            } catch (...) {
                error_ = std::current_exception();
            }
        }
        stop();
    }
    void noteIncomplete() {
        if (!incomplete_ || noted_) return;
        noted_ = true;
        if (TUserStatementWait* wait = UserStatementWait()) wait->Incomplete();
    }
    void stop() {
        keep_.reset();
        if (listed_ && db_) db_->RemovePendingRead(this);
        listed_ = false;
        // No query may outlive its connection's removal.
        query_ = QSqlQuery();
        readOnly_.reset();  // the rows are all read
        if (reading_) reading_->forgetBuilt();
    }

    QPointer<TDatabase> db_;
    bool user_;
    bool incomplete_ = false;  // stopped by the user before its end
    bool noted_ = false;       // the user told
    bool raised_ = false;      // the reader told
    std::unique_ptr<TReadOnlyTransaction> readOnly_;
    bool listed_ = true;
    QSqlQuery query_;
    RowSteps steps_;
    QString statement_;
    std::shared_ptr<const RowReading> reading_;
    std::shared_ptr<Conversion> conversion_;
    int columns_;
    std::deque<QVector<QVariant>> early_;
    std::exception_ptr error_;
    Reopen reopen_;
    std::unique_ptr<TUserRun> keep_;
};

// A user's result on PostgreSQL, read through a cursor on a connection of
// its own (lent by the database for users' statements), a packet per FETCH:
// the program keeps only what was read. The cursor's read-only transaction
// lasts until the rest is read or the result dropped, or until the program
// needs a table whole (LetGo: COMMIT, after which the server keeps the rest
// for the cursor and the transaction holds nothing).
class CursorReader : public TRowSource, public TTableHolder {
public:
    CursorReader(TDatabase* owner, QString statement, std::shared_ptr<const RowReading> reading)
        : owner_(owner),
          conn_(owner->LendUserStatements()),
          statement_(std::move(statement)),
          reading_(std::move(reading)) {
        // A company change closes the result: the rows read stay.
        closing_ = QObject::connect(owner, &TDatabase::aboutToClose, conn_.get(), [this] {
            owner_ = nullptr;
            incomplete_ = true;
            cut_ = std::make_exception_ptr(EUserStatementCancelled());
            finish();
        });
    }
    ~CursorReader() override { finish(); }

    // Declares the cursor for the statement in a read-only transaction;
    // `typing` is told the columns at the first FETCH.
    void Declare(const QString& sql, const QVariantList& binds,
                 std::function<void(const QSqlRecord&)> typing) {
        typing_ = std::move(typing);
        try {
            QSqlQuery begin(conn_->connection());
            if (!begin.exec(QStringLiteral("BEGIN READ ONLY")))
                conn_->raiseError(begin.lastError(), begin.lastQuery());
            inTransaction_ = true;
            TUserRun run(conn_.get());
            conn_->ExecuteUser(sql, binds, true, QString::fromLatin1(kCursor));
        } catch (...) {
            finish();
            throw;
        }
        AddTableHolder(this);
    }

    void setConversion(TFieldDefs defs, QVector<bool> convert) {
        conversion_ = std::make_shared<Conversion>(std::move(defs), std::move(convert));
    }
    Reopen Reopener() const override { return reopen_; }
    void setReopener(Reopen reopen) { reopen_ = std::move(reopen); }
    void KeepWaiting(bool on) override {
        keep_.reset();
        if (on && conn_) keep_ = std::make_unique<TUserRun>(conn_.get());
    }

    bool Read(int count, std::vector<QVector<QVariant>>& rows) override {
        // Ended before its end meanwhile: its reader is told once.
        if (cut_) std::rethrow_exception(std::exchange(cut_, nullptr));
        // One wait for the whole read, however many FETCHes it takes.
        TUserRun run(conn_.get());
        while (count != 0 && conn_) {
            const int n = count < 0 ? kChunk : std::min(count, kChunk);
            const int got = fetch(n, rows);
            if (count > 0) count -= got;
            if (got < n) finish();  // the end of the result
        }
        return conn_ != nullptr;
    }

    std::function<void(QVector<QVariant>&)> Converter() const override {
        return [conversion = conversion_](QVector<QVariant>& values) { conversion->row(values); };
    }

    void LetGo() override {
        RemoveTableHolder(this);
        if (!conn_ || !inTransaction_) return;
        inTransaction_ = false;
        // The server reads the rest of the result now, under the wait.
        bool ok = false, cancelled = false;
        try {
            TUserRun run(conn_.get());
            QSqlQuery q(conn_->connection());
            ok = conn_->RunUserStep([&] { return q.exec(QStringLiteral("COMMIT")); });
            cancelled = conn_->UserRunCancelled();
        } catch (const std::exception&) {
            // A lost connection: the cursor is gone with it.
            cut_ = std::current_exception();
        }
        if (ok && !cancelled) return;
        // Stopped or failed: the cursor went with its transaction.
        if (!cut_) cut_ = std::make_exception_ptr(EUserStatementCancelled());
        incomplete_ = true;
        finish();
    }

private:
    static constexpr const char* kCursor = "rh_cursor_usuario";
    static constexpr int kChunk = 2000;

    // Appends up to `n` rows; how many came. Raises after finishing.
    int fetch(int n, std::vector<QVector<QVariant>>& rows) {
        TDatabase* c = conn_.get();
        const QString sql =
            QStringLiteral("FETCH FORWARD %1 FROM %2").arg(n).arg(QLatin1String(kCursor));
        int got = 0;
        bool cancelled = false;
        QSqlError error;
        {
            TUserRun run(c);
            QSqlQuery q(c->connection());
            q.setForwardOnly(true);
            if (c->RunUserStep([&] { return q.exec(sql); })) {
                if (typing_) {
                    typing_(q.record());
                    typing_ = nullptr;
                }
                const int columns = q.record().count();
                RowSteps steps(q);
                while (!c->UserRunCancelled() && steps.next(q)) {
                    QVector<QVariant> values;
                    reading_->read(q, steps, columns, values);
                    rows.push_back(std::move(values));
                    ++got;
                    c->PollUserRun();
                }
                if (!c->UserRunCancelled()) error = steps.error(q);
            } else {
                error = q.lastError();
            }
            cancelled = c->UserRunCancelled();
        }
        if (cancelled) {
            finish();
            throw EUserStatementCancelled();
        }
        if (error.isValid()) {
            try {
                c->raiseError(error, statement_);
            } catch (...) {
                finish();
                throw;
            }
        }
        return got;
    }

    void finish() {
        RemoveTableHolder(this);
        keep_.reset();
        if (!conn_) return;
        QObject::disconnect(closing_);
        std::unique_ptr<TDatabase> c = std::move(conn_);
        inTransaction_ = false;
        if (reading_) reading_->forgetBuilt();
        if (incomplete_)
            if (TUserStatementWait* wait = UserStatementWait()) wait->Incomplete();
        if (owner_) {
            // Its session reset (the cursor closed) before it serves again.
            owner_->ReturnUserStatements(std::move(c));
            return;
        }
        // Perhaps inside a signal it receives.
        c->Close();
        c.release()->deleteLater();
    }

    QPointer<TDatabase> owner_;
    std::unique_ptr<TDatabase> conn_;
    QString statement_;
    std::shared_ptr<const RowReading> reading_;
    std::shared_ptr<Conversion> conversion_;
    std::function<void(const QSqlRecord&)> typing_;
    QMetaObject::Connection closing_;
    Reopen reopen_;
    std::unique_ptr<TUserRun> keep_;
    bool inTransaction_ = false;
    bool incomplete_ = false;  // ended before its end while the program needed a table
    std::exception_ptr cut_;   // why, for its reader
};

// The result kept in memory. A live result writes through a table cursor on
// its base table.
class QueryCursor : public TCursor {
public:
    explicit QueryCursor(std::function<RawResult()> rerun) : rerun_(std::move(rerun)) {}

    // Types of the columns and which need converting from their storage form.
    TFieldDefs defs;
    QVector<bool> convert;
    // A live result: the writer on the base table and the key's columns.
    std::unique_ptr<TTableCursor> writer;
    QVector<TTableCursor::IndexColumn> keyIndex;
    TQuery::LiveTarget target;

    void load(std::vector<TRow> rows) {
        rest_.reset();
        rows_ = std::move(rows);
        Conversion conversion(defs, convert);
        for (TRow& r : rows_) conversion.row(r.values);
        deleted_.assign(rows_.size(), false);
        pos_ = -1;
        pass_.ReadAnew();
    }
    // The rows after those loaded, read as navigation reaches them.
    void loadRest(std::unique_ptr<TRowSource> rest, int packet) {
        convertRest_ = rest->Converter();
        rest_ = std::move(rest);
        packet_ = std::max(1, packet);
    }
    // Hands the rows and the reader over (TQuery::TakeResult).
    std::unique_ptr<TRowSource> takeResult(std::vector<QVector<QVariant>>& rows) {
        rows.reserve(rows.size() + rows_.size());
        for (size_t i = 0; i < rows_.size(); ++i)
            if (!deleted_[i]) rows.push_back(std::move(rows_[i].values));
        rows_.clear();
        deleted_.clear();
        return std::move(rest_);
    }

    int rowsHeld() const { return int(rows_.size()); }
    TFieldDefs fieldDefs() const override { return defs; }
    bool first(TRow& row) override {
        pos_ = -1;
        return next(row);
    }
    bool last(TRow& row) override {
        pass_.ReadToEnd([this] { readMore(-1); });
        pos_ = int(rows_.size());
        return prior(row);
    }
    bool next(TRow& row) override {
        while (true) {
            int n = int(rows_.size());
            while (++pos_ < n)
                if (!deleted_[pos_]) {
                    row = rows_[pos_];
                    return true;
                }
            if (pass_.LetGo(rows_.size(), rest_)) {
                // Every row read for the pass is passed: they go.
                rows_.resize(pass_.Kept());
                deleted_.resize(pass_.Kept());
                n = int(pass_.Kept());
            }
            pos_ = n;
            if (!readMore(pass_.ReadCount(packet_))) return false;
            pos_ = n - 1;
        }
    }
    bool prior(TRow& row) override {
        if (pos_ > int(rows_.size())) pos_ = int(rows_.size());
        while (--pos_ >= 0)
            if (!deleted_[pos_]) {
                row = rows_[pos_];
                return true;
            }
        pos_ = -1;
        return false;
    }
    bool seek(const QVariant& identity, TRow& row) override {
        if (!identity.isValid()) return false;
        const int id = identity.toInt();
        if (id < 0 || id >= int(rows_.size()) || deleted_[id]) return false;
        pos_ = id;
        row = rows_[id];
        return true;
    }
    int recordCount() override {
        pass_.ReadToEnd([this] { readMore(-1); });
        return int(std::count(deleted_.begin(), deleted_.end(), false));
    }
    bool canModify() const override { return writer != nullptr; }

    void insertRow(TRow& row) override {
        checkLive();
        readMore(-1);  // a new row's identity follows every read one
        TRow t{row.values, QVariant()};
        writer->insertRow(t);
        row.values = t.values;
        row.identity = int(rows_.size());
        rows_.push_back(row);
        deleted_.push_back(false);
        pos_ = row.identity.toInt();
    }
    void updateRow(const TRow& old, TRow& row) override {
        checkLive();
        TRow t{row.values, QVariant()};
        writer->updateRow(tableRow(old), t);
        const int id = old.identity.toInt();
        row.identity = id;
        rows_[id] = row;
        pos_ = id;
    }
    void deleteRow(const TRow& old) override {
        checkLive();
        writer->deleteRow(tableRow(old));
        const int id = old.identity.toInt();
        deleted_[id] = true;
        pos_ = id;
    }
    void lockRow(const TRow& row) override {
        if (writer) writer->lockRow(row);
    }
    void unlockRow(const TRow& row) override {
        if (writer) writer->unlockRow(row);
    }
    // Runs the statement again; identities are row numbers, so the dataset
    // comes back to the same place in the new result. A result read in
    // packets reads again as far as the position, and the rest as
    // navigation reaches it.
    void refresh() override {
        if (!reopen_) {
            load(rerun_().rows);
            return;
        }
        const int upTo = pos_;
        // The old reader goes first: on SQLite the statement run anew would
        // otherwise read its whole rest.
        rest_.reset();
        std::unique_ptr<TRowSource> again = reopen_();
        load({});
        loadRest(std::move(again), packet_);
        readMore(std::max(packet_, upTo + 2));
    }
    void setReopen(TRowSource::Reopen reopen) { reopen_ = std::move(reopen); }

    bool beginPass() override { return pass_.Begin(rows_.size(), rest_.get(), reopen_); }
    bool endPass() override {
        if (!pass_.End(rest_, convertRest_)) return false;
        rows_.resize(pass_.Kept());
        deleted_.resize(pass_.Kept());
        pos_ = -1;
        return true;
    }
    bool incomplete() const override { return pass_.Incomplete(); }

private:
    void checkLive() const {
        if (!writer) throw EDatabaseError::make(DbError::ReadOnly);
    }
    // Appends up to `count` rows from the reader (all with -1); false when
    // it had none.
    bool readMore(int count) {
        const size_t before = rows_.size();
        pass_.Read(rest_, [&] {
            ReadFromSource(rest_, count, [this](QVector<QVariant>& values) {
                convertRest_(values);
                rows_.push_back(TRow{std::move(values), int(rows_.size())});
                deleted_.push_back(false);
            });
        });
        return rows_.size() > before;
    }
    // The row as the table cursor knows it: found again by its key as read,
    // so that a row deleted meanwhile is reported as such.
    TRow tableRow(const TRow& old) {
        QVector<QVariant> key;
        for (const auto& k : keyIndex) key.append(old.values.value(k.field));
        TRow found;
        if (!writer->findKey(key, false, nullptr, found))
            throw EDatabaseError::make(DbError::RecordDeleted);
        return TRow{old.values, found.identity};
    }

    std::function<RawResult()> rerun_;
    std::vector<TRow> rows_;
    std::vector<bool> deleted_;
    std::unique_ptr<TRowSource> rest_;
    std::function<void(QVector<QVariant>&)> convertRest_;
    int packet_ = 1;
    int pos_ = -1;
    // What reads the result anew (a result read in packets), and a pass.
    TRowSource::Reopen reopen_;
    TRowPass pass_;
};

}  // namespace

TQuery::LiveTarget TQuery::Target() const {
    const auto* cursor = Active() ? static_cast<const QueryCursor*>(Cursor()) : nullptr;
    return cursor && cursor->writer ? cursor->target : LiveTarget{};
}

namespace {

// What the catalog says of the tables a SELECT names; read before the
// statement runs.
struct Catalog {
    QHash<QString, TFieldDefs> columns;
    TIndexDefs indexes;  // of the one table of a simple SELECT
};

Catalog readCatalog(TDatabase* db, const SelectShape& shape, bool wantIndexes) {
    Catalog c;
    for (const QString& t : shape.tables) {
        try {
            c.columns.insert(t, db->ColumnDefs(t));
        } catch (const EDatabaseError&) {
            // A view or a name the catalog does not know: typed by the driver.
        }
    }
    if (wantIndexes && shape.simple && c.columns.contains(shape.tables.first())) {
        try {
            c.indexes = db->IndexDefs(shape.tables.first());
        } catch (const EDatabaseError&) {
        }
    }
    return c;
}

// Types the result's columns: a column of a table named in FROM takes the
// table's type, size and spelling; any other column its driver type, on
// SQLite its declared type or, for an expression, the type of the values in
// `rows` (sqliteValuesType). Fills `source` with the table column of each
// result column ("" when none).
void describe(const SelectShape& shape, const Catalog& catalog, const QSqlRecord& rec,
              const std::vector<TRow>& rows, const QStringList& declared, bool sqlite,
              QueryCursor& cursor, QStringList& source) {
    auto findColumn = [&](const QString& table, const QString& column, TFieldDef& out) {
        for (const TFieldDef& d : catalog.columns.value(table))
            if (d.Name.compare(column, Qt::CaseInsensitive) == 0) {
                out = d;
                return true;
            }
        return false;
    };
    QHash<QString, TFieldDef> mapped;  // lower result name -> column
    QHash<QString, QString> spelling;  // lower alias -> as written
    for (const SelectShape::Item& it : shape.items) {
        QStringList tables = shape.tables;
        if (!it.qualifier.isEmpty()) {
            const QString t = shape.aliases.value(it.qualifier.toLower());
            tables = t.isEmpty() ? QStringList() : QStringList{t};
        }
        if (!it.alias.isEmpty()) spelling.insert(it.alias.toLower(), it.alias);
        if (it.star) {
            for (const QString& t : tables)
                for (const TFieldDef& d : catalog.columns.value(t))
                    if (!mapped.contains(d.Name.toLower())) mapped.insert(d.Name.toLower(), d);
        } else if (it.plain) {
            for (const QString& t : tables) {
                TFieldDef d;
                if (!findColumn(t, it.column, d)) continue;
                const QString name = it.alias.isEmpty() ? d.Name : it.alias;
                mapped.insert(name.toLower(), d);
                break;
            }
        }
    }
    const int n = rec.count();
    for (int i = 0; i < n; ++i) {
        const QSqlField f = rec.field(i);
        const QString key = f.name().toLower();
        const int id = f.metaType().id();
        TFieldDef def;
        auto m = mapped.constFind(key);
        if (m != mapped.constEnd()) {
            def = *m;
            source << def.Name;
            if (spelling.contains(key)) def.Name = spelling.value(key);
            def.Required = false;
        } else {
            source << QString();
            def.Name = spelling.contains(key) ? spelling.value(key)
                                              : (sqlite ? f.name() : IdentifierSpelling(f.name()));
            def.DataType = typeOfMeta(id);
            def.Size = def.DataType == ftString && f.length() > 0 ? int(f.length()) : 0;
            if (sqlite) {
                int size = 0;
                const QString type = declared.value(i);
                def.DataType = type.isEmpty() ? sqliteValuesType(rows, i)
                                              : SqliteDeclaredFieldType(type, &size);
                def.Size = def.DataType == ftString ? size : 0;
            }
        }
        const TFieldType t = def.DataType;
        cursor.convert << (IsDateTimeType(t) || t == ftBoolean ||
                           (sqlite && IsStringType(t) && source.last().isEmpty()) ||
                           (IsFloatType(t) && id != QMetaType::Double) ||
                           (IsIntegerType(t) && id == QMetaType::QString) ||
                           (IsBlobType(t) && !IsStringType(t) && id != QMetaType::QByteArray));
        cursor.defs << def;
    }
}

// SQLite reads a column hidden from the user as NULL in a user's query: a
// result holding one would write the NULL back.
bool holdsHiddenColumn(const QStringList& source) {
    const THiddenColumnTest& hidden = HiddenColumnTest();
    if (!hidden) return false;
    for (const QString& column : source)
        if (!column.isEmpty() && hidden(column)) return true;
    return false;
}

// A live result writes to its one table by key: every column must be a
// column of that table, the primary key must be among them, and the table
// must be the database's own.
void makeLive(TDatabase* db, const SelectShape& shape, const Catalog& catalog,
              const QStringList& source, QueryCursor& cursor, bool user) {
    if (!shape.simple || source.contains(QString())) return;
    const TIndexDefs& indexes = catalog.indexes;
    if (indexes.isEmpty() || !(indexes.first().Options & ixPrimary)) return;
    QStringList keyFields = indexes.first().FieldList();
    // A user's result is written through the program's connection, which
    // neither the server's role nor the policy of users' statements judges:
    // only to a plain table of the database's own, and by its key, as the
    // server tells them now (another session may have put anything in its
    // place since the catalog was cached).
    if (user && !db->OwnsTable(shape.tables.first(), &keyFields)) return;
    if (keyFields.isEmpty()) return;
    QVector<int> key;
    for (const QString& k : std::as_const(keyFields)) {
        int col = -1;
        for (int i = 0; i < source.size() && col < 0; ++i)
            if (source[i].compare(k, Qt::CaseInsensitive) == 0) col = i;
        if (col < 0) return;
        key << col;
    }
    // A user's result reads a field hidden from him as NULL: it is never
    // written back nor taken for the row's value (a hidden key: no edits).
    QVector<bool> leftOut(source.size(), false);
    const THiddenColumnTest& hidden = HiddenColumnTest();
    for (int i = 0; user && hidden && i < source.size(); ++i) leftOut[i] = hidden(source[i]);
    for (int k : std::as_const(key))
        if (leftOut[k]) return;
    TFieldDefs defs = cursor.defs;
    for (int i = 0; i < defs.size(); ++i) defs[i].Name = source[i];
    cursor.writer = std::make_unique<TTableCursor>(db, shape.tables.first(), defs, key, false);
    cursor.writer->leaveOut(leftOut);
    cursor.target = {shape.tables.first(), source, keyFields, leftOut};
    for (int k : key) cursor.keyIndex.append(TTableCursor::IndexColumn{k, false, false});
    cursor.writer->setIndex(cursor.keyIndex);
}

}  // namespace

std::unique_ptr<TCursor> TQuery::CreateCursor() {
    const QString statement = text();
    if (statement.trimmed().isEmpty()) throw EDatabaseError::make(DbError::NoSqlStatement);
    TDatabase* db = OpenDatabase();
    const bool sqlite = db->engine() == Engine::Sqlite;
    QVariantList binds;
    const QString sql = bindStatement(binds, db);
    const SelectShape shape = analyse(statement);
    const Catalog catalog = readCatalog(db, shape, requestLive_);
    const bool user = userStatement_;
    // Typed once the columns are described (PostgreSQL): every row read after
    // comes in the columns' types.
    auto reading = std::make_shared<RowReading>();
    auto run = [db, sql, binds, statement, user,
                reading](const std::function<void(const QSqlRecord&)>& typing) {
        // A user's query reads and writes nothing else meanwhile, on the
        // connection for users' statements.
        TDatabase* users = user ? db->UserStatements() : nullptr;
        TReadOnlyTransaction readOnly(users);
        TUserRun userRun(users);
        return runStatement(user ? users->ExecuteUser(sql, binds, true) : db->Execute(sql, binds),
                            statement, *reading, typing, users);
    };
    auto cursor = std::make_unique<QueryCursor>([run] { return run(nullptr); });
    QStringList source;
    bool described = false;
    // SQLite's columns are described once the first rows are read (the
    // values of an expression column type it); PostgreSQL's before any row.
    auto describeColumns = [&](const RawResult& read) {
        describe(shape, catalog, read.record, read.rows, read.declared, sqlite, *cursor, source);
        described = true;
        if (sqlite) return;
        reading->type(cursor->defs, cursor->convert, read.record);
        cursor->convert.fill(false);
    };
    auto typing = [&](const QSqlRecord& record) {
        if (!sqlite) describeColumns(RawResult{record, {}, {}});
    };
    const int packets = packetRecords_;
    RawResult result;
    QSqlQuery pending;
    std::optional<RowSteps> pendingSteps;
    std::unique_ptr<TRowSource> cursorRest;
    CursorReader* cursorReader = nullptr;
    // A user's query on PostgreSQL read in packets: through a cursor on a
    // connection of its own, whose transaction holds nothing the program
    // needs (see CursorReader).
    const bool throughCursor = user && !sqlite && packets > 0;
    // Open while the rows are read: the reader of the rest ends it. The
    // main connection never holds a user's read-only transaction.
    TDatabase* reader = user && packets > 0 && !throughCursor ? db->UserStatements() : db;
    auto readOnly = std::make_unique<TReadOnlyTransaction>(
        user && packets > 0 && !throughCursor ? reader : nullptr);
    if (throughCursor) {
        auto declared = std::make_unique<CursorReader>(db, statement, reading);
        declared->Declare(sql, binds, [&](const QSqlRecord& record) {
            result.record = record;
            typing(record);
        });
        cursorReader = declared.get();
        cursorRest = std::move(declared);
        ReadFromSource(cursorRest, packets, [&](QVector<QVariant>& values) {
            result.rows.push_back(TRow{std::move(values), int(result.rows.size())});
        });
    } else if (packets > 0) {
        // The first packet now, the rest as it is needed.
        TUserRun userRun(user ? reader : nullptr);
        pending = execute(reader, sql, binds, true);
        RowSteps& steps = pendingSteps.emplace(pending, user);
        if (!pending.isSelect())
            throw EDatabaseError::make(DbError::SqlError,
                                       QStringLiteral("Error creating cursor handle"), statement);
        result.record = pending.record();
        typing(result.record);
        const int n = result.record.count();
        result.declared = sqliteDeclaredTypes(steps, n);
        bool stopped = false, ended = false;
        {
            const RowSteps::Held held(steps);
            while (int(result.rows.size()) < packets) {
                if (user) reader->PollUserRun();
                if ((stopped = user && reader->UserRunCancelled())) break;
                if ((ended = !steps.next(pending))) break;
                TRow row;
                reading->read(pending, steps, n, row.values);
                row.identity = int(result.rows.size());
                result.rows.push_back(std::move(row));
            }
        }
        if (stopped || (ended && user && reader->UserRunCancelled()))
            throw EUserStatementCancelled();
        if (ended) {
            if (steps.error(pending).isValid()) reader->raiseError(steps.error(pending), statement);
            pending = QSqlQuery();
        }
    } else {
        result = run(typing);
    }
    if (!described) describeColumns(result);
    if (requestLive_ && !(user && sqlite && holdsHiddenColumn(source)))
        makeLive(db, shape, catalog, source, *cursor, user);
    cursor->load(std::move(result.rows));
    // The same rows read again from the first, for a holder that let some
    // go (TDataSet::BeginPass) and for a refresh.
    TRowSource::Reopen reopen = [dbp = QPointer<TDatabase>(db), sql, binds, statement, reading,
                                 defs = cursor->defs, convert = cursor->convert, user,
                                 throughCursor]() -> std::unique_ptr<TRowSource> {
        if (!dbp) throw EDatabaseError::make(DbError::ClosedDataSet);
        if (throughCursor) {
            auto again = std::make_unique<CursorReader>(dbp, statement, reading);
            again->Declare(sql, binds, nullptr);
            again->setConversion(defs, convert);
            return again;
        }
        TDatabase* on = user ? dbp->UserStatements() : dbp.data();
        auto readOnly = std::make_unique<TReadOnlyTransaction>(user ? on : nullptr);
        QSqlQuery q;
        {
            TUserRun run(user ? on : nullptr);
            q = user ? on->ExecuteUser(sql, binds, true) : on->Execute(sql, binds);
        }
        const RowSteps steps(q, user);
        return std::make_unique<ResultReader>(on, std::move(q), steps, statement, defs, convert,
                                              reading, std::move(readOnly), user);
    };
    if (packets > 0) cursor->setReopen(reopen);
    if (cursorRest) {
        cursorReader->setConversion(cursor->defs, cursor->convert);
        cursorReader->setReopener(reopen);
        cursor->loadRest(std::move(cursorRest), packets);
    }
    if (pending.isActive()) {
        auto rest = std::make_unique<ResultReader>(reader, std::move(pending), *pendingSteps,
                                                   statement, cursor->defs, cursor->convert,
                                                   reading, std::move(readOnly), user);
        rest->setReopener(reopen);
        cursor->loadRest(std::move(rest), packets);
    }
    return cursor;
}

int TQuery::RowsHeld() const {
    auto* cursor = static_cast<QueryCursor*>(Cursor());
    return Active() && cursor ? cursor->rowsHeld() : 0;
}

std::unique_ptr<TRowSource> TQuery::TakeResult(TFieldDefs& defs,
                                               std::vector<QVector<QVariant>>& rows) {
    CheckActive();
    CheckBrowseMode();
    auto* cursor = static_cast<QueryCursor*>(Cursor());
    defs = cursor->defs;
    std::unique_ptr<TRowSource> rest = cursor->takeResult(rows);
    Close();
    return rest;
}
