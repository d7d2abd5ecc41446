#pragma once
// The savepoints of a PostgreSQL transaction, and every rule about them.
//
// PostgreSQL aborts a whole transaction at its first failed statement. So
// that a failure a caller expects (a row refused, a silent DROP, a missing
// table created and retried) costs only that statement:
// - a statement runs under a savepoint of its own (Enter, then Leave or Undo);
// - plain cursor writes (values bound by us, nothing read back) share one
//   savepoint per batch of rows (Write). When a row fails, the batch is rolled
//   back to its savepoint and its earlier rows are written again from the
//   values kept for them; only the failing row is lost. A replay that does not
//   give the same rows leaves the batch rolled back and the transaction broken
//   (nothing of it may be committed).
// - any statement that is not a batch write ends the batch first, so that a
//   later rollback of the batch never undoes work that is not replayed.
// A batch starts at kFirstBatch rows and doubles up to kLastBatch while its
// rows succeed: a long fill opens few subtransactions (each takes a
// transaction ID, and past 64 of them every other session's snapshot
// overflows), and a failure replays a bounded number of rows.

#include <QSqlDatabase>
#include <QSqlError>
#include <QVariantList>
#include <QVector>
#include <functional>
#include <memory>

class QSqlQuery;

class TSavepoints {
public:
    static constexpr int kFirstBatch = 64;
    static constexpr int kLastBatch = 4096;

    TSavepoints();
    ~TSavepoints();

    // The connection the savepoint statements run on; an invalid one when
    // closed or lost. Forgets any batch.
    void Attach(const QSqlDatabase& db);
    // The transaction ended (commit, rollback, a lost connection): its
    // batch and a broken mark go with it.
    void Forget();

    // A statement under its own savepoint: Enter (ending a batch first), run
    // it, then Leave when it succeeded or Undo when it failed. False with
    // `error` when the engine refused a savepoint statement.
    bool Enter(QSqlError& error);
    bool Leave(QSqlError& error);
    void Undo();
    // Ends the open batch, keeping its rows.
    bool EndBatch(QSqlError& error);

    enum class Outcome {
        Written,   // the row is stored
        Failed,    // the row alone is lost (`error` says why); the rest stays
        Broken,    // the batch could not be written again: the transaction is broken
        NotBegun,  // the batch's savepoint was refused (`error`)
    };
    // Runs a prepared write whose values are bound inside the batch. The
    // query must stay alive (prepared statements cached by the connection)
    // until the batch ends. `lost` tells whether an error ended the
    // connection: then nothing is replayed.
    Outcome Write(QSqlQuery& query, QSqlError& error,
                  const std::function<bool(const QSqlError&)>& lost);

    bool Broken() const { return broken_; }
    // SAVEPOINT statements sent since the connection was opened.
    qint64 Sent() const { return sent_; }

private:
    struct Row {
        QSqlQuery* query;
        QVariantList values;
        int affected;
    };
    bool exec(const QString& sql, QSqlError* error = nullptr);
    bool begin(QSqlError& error);
    bool kept(QSqlQuery& query, QSqlError& error);
    // After a failed row: the batch rolled back and its rows written again.
    bool replay();

    std::unique_ptr<QSqlQuery> q_;  // the savepoint statements
    bool open_ = false;             // a batch savepoint is taken
    QVector<Row> rows_;
    int limit_ = kFirstBatch;
    bool broken_ = false;
    qint64 sent_ = 0;
};
