#include "db/savepoints.h"

#include <QSqlQuery>

namespace {

const QString kSavepoint = QStringLiteral("SAVEPOINT rh_sp");
const QString kRelease = QStringLiteral("RELEASE SAVEPOINT rh_sp");
const QString kRollbackTo = QStringLiteral("ROLLBACK TO SAVEPOINT rh_sp");
const QString kBatch = QStringLiteral("SAVEPOINT rh_lote");
const QString kBatchRelease = QStringLiteral("RELEASE SAVEPOINT rh_lote");
const QString kBatchRollbackTo = QStringLiteral("ROLLBACK TO SAVEPOINT rh_lote");

}  // namespace

TSavepoints::TSavepoints() = default;
TSavepoints::~TSavepoints() = default;

void TSavepoints::Attach(const QSqlDatabase& db) {
    q_.reset();
    if (db.isValid() && db.isOpen()) q_ = std::make_unique<QSqlQuery>(db);
    Forget();
}

void TSavepoints::Forget() {
    open_ = false;
    rows_.clear();
    limit_ = kFirstBatch;
    broken_ = false;
}

bool TSavepoints::exec(const QString& sql, QSqlError* error) {
    if (!q_) return false;
    if (q_->exec(sql)) return true;
    if (error) *error = q_->lastError();
    return false;
}

bool TSavepoints::Enter(QSqlError& error) {
    if (!EndBatch(error)) return false;
    ++sent_;
    return exec(kSavepoint, &error);
}

bool TSavepoints::Leave(QSqlError& error) {
    return exec(kRelease, &error);
}

void TSavepoints::Undo() {
    exec(kRollbackTo);
    exec(kRelease);
}

bool TSavepoints::EndBatch(QSqlError& error) {
    if (!open_) return true;
    open_ = false;
    rows_.clear();
    return exec(kBatchRelease, &error);
}

bool TSavepoints::begin(QSqlError& error) {
    ++sent_;
    if (!exec(kBatch, &error)) return false;
    open_ = true;
    rows_.reserve(limit_);
    return true;
}

bool TSavepoints::kept(QSqlQuery& query, QSqlError& error) {
    rows_.push_back(Row{&query, query.boundValues(), query.numRowsAffected()});
    if (rows_.size() < limit_) return true;
    // A batch that went through whole: the next one may be longer.
    limit_ = std::min(limit_ * 2, kLastBatch);
    return EndBatch(error);
}

TSavepoints::Outcome TSavepoints::Write(QSqlQuery& query, QSqlError& error,
                                        const std::function<bool(const QSqlError&)>& lost) {
    if (!open_ && !begin(error)) return Outcome::NotBegun;
    if (query.exec()) return kept(query, error) ? Outcome::Written : Outcome::Failed;
    error = query.lastError();
    // A connection that ended took the transaction: nothing to write again.
    if (lost(error)) {
        Forget();
        return Outcome::Failed;
    }
    return replay() ? Outcome::Failed : Outcome::Broken;
}

bool TSavepoints::replay() {
    limit_ = kFirstBatch;
    bool whole = exec(kBatchRollbackTo);
    for (qsizetype i = 0; whole && i < rows_.size(); ++i) {
        Row& r = rows_[i];
        for (qsizetype v = 0; v < r.values.size(); ++v) r.query->bindValue(int(v), r.values[v]);
        whole = r.query->exec() && r.query->numRowsAffected() == r.affected;
        r.query->finish();
    }
    if (!whole) {
        // Never half written again: the batch is undone, and the transaction
        // that lost it may not be committed.
        exec(kBatchRollbackTo);
        broken_ = true;
    }
    open_ = false;
    rows_.clear();
    exec(kBatchRelease);
    return whole;
}
