#pragma once
// The record source behind a dataset. A dataset keeps the current record, its
// edit buffer, fields, events, filters and data sources; the cursor delivers
// rows in order and writes them back. TTable's cursor is live on the engine
// (rows come in pages by index order), TQuery's reads its result as it goes,
// TClientDataSet's lives in memory.

#include <QVariant>
#include <QVector>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "db/fieldtypes.h"

// One row: a value per physical field in the cursor's field order (an invalid
// QVariant is NULL) and an identity the cursor uses to find the row again
// (a rowid, the key values...). The identity is opaque to the dataset and is
// what a bookmark holds.
struct TRow {
    QVector<QVariant> values;
    QVariant identity;
};

// The rows of a result still to be read from the engine, in order: a result
// handed from a query to a client dataset that reads it as it is shown.
class TRowSource {
public:
    virtual ~TRowSource() = default;
    // Appends up to `count` rows (every remaining one when count < 0) to
    // `rows`, values as the engine gave them; false once none remain. An
    // engine error met on the way is raised once, after the rows before it.
    virtual bool Read(int count, std::vector<QVector<QVariant>>& rows) = 0;
    // What turns a row read into the fields' types (dates read as text...):
    // done when a row is first shown, not for every row read.
    virtual std::function<void(QVector<QVariant>&)> Converter() const = 0;
    // What reads the same rows again from the first (the statement run
    // anew), for a holder that let some go; empty when nothing can.
    using Reopen = std::function<std::unique_ptr<TRowSource>()>;
    virtual Reopen Reopener() const { return {}; }
    // A run of reads follows (a pass over every row): a user's statement
    // keeps its wait open across them, so that Esc is seen however short
    // each read is.
    virtual void KeepWaiting(bool on) {}
};

// Reads up to `count` rows of `source` (all with -1), handing each to
// `take`, and drops the source once it has no more; an error is raised after
// the rows read before it are taken. False when no row came.
template <typename Take>
bool ReadFromSource(std::unique_ptr<TRowSource>& source, int count, Take take) {
    if (!source) return false;
    std::vector<QVector<QVariant>> rows;
    bool more = false;
    std::exception_ptr error;
    try {
        more = source->Read(count, rows);
    } catch (...) {
        error = std::current_exception();
    }
    if (!more) source.reset();
    for (auto& r : rows) take(r);
    if (error) std::rethrow_exception(error);
    return !rows.empty();
}

class TCursor {
public:
    virtual ~TCursor() = default;

    // Physical fields, in order; the dictionary spelling.
    virtual TFieldDefs fieldDefs() const = 0;

    // Navigation. Each moves the cursor's own position and fills `row`; false
    // means there is no such row and the position is past the end (next),
    // before the start (prior) or unchanged (first/last of an empty set).
    virtual bool first(TRow& row) = 0;
    virtual bool last(TRow& row) = 0;
    virtual bool next(TRow& row) = 0;
    virtual bool prior(TRow& row) = 0;
    // Positions on the row with this identity; false when it is gone.
    virtual bool seek(const QVariant& identity, TRow& row) = 0;
    // Counts the rows of the cursor's set (may run a COUNT).
    virtual int recordCount() = 0;

    // Writing. Errors are EDatabaseError. insertRow fills the identity and any
    // value the engine assigns (auto-increment) and leaves the position on the
    // new row; updateRow gets the row as it was read and the new values, fails
    // with RecordChanged / RecordDeleted when another user changed or deleted
    // it since, and leaves the position on it; deleteRow does the same checks
    // and leaves the position where next() gives the following row.
    virtual bool canModify() const = 0;
    virtual void insertRow(TRow& row) = 0;
    virtual void updateRow(const TRow& old, TRow& row) = 0;
    virtual void deleteRow(const TRow& old) = 0;

    // Called when the dataset enters and leaves edit mode on a row (PostgreSQL
    // tables take and drop a record lock here; lockRow raises RecordLocked).
    virtual void lockRow(const TRow& row) {}
    virtual void unlockRow(const TRow& row) {}
    // An edit put back on a row after its post was undone: the lock is taken
    // again where it can be, else at the next post (which then refuses a
    // row another session holds). Never raises.
    virtual void resumeLock(const TRow& row) {}

    // Forgets what was read so that the next navigation reads the engine again
    // (other users' posts become visible); the position is kept by identity.
    virtual void refresh() = 0;

    // A pass over every row (TDataSet::BeginPass): rows read for it beyond
    // those held when it began may be let go once passed. beginPass is false
    // when a pass is already running (or the cursor keeps every row anyway);
    // endPass is true when rows were let go: the cursor then holds what it
    // held before and reads the rest anew as navigation reaches it.
    virtual bool beginPass() { return false; }
    virtual bool endPass() { return false; }
    // The rows read are not the whole result: its reading was stopped, or
    // its rest lost (a connection gone, an engine error), and it is not
    // read again.
    virtual bool incomplete() const { return false; }
};

// The state of a pass (TCursor::beginPass) of a cursor that holds the rows
// it read from a TRowSource: the rows it held when the pass began, whether
// rows read since were let go, and what reads the result anew.
class TRowPass {
public:
    bool Active() const { return passing_; }
    // Rows held when the pass began: the holder cuts back to them.
    size_t Kept() const { return kept_; }
    // False when a pass is running already. `reopen` reads the result anew
    // (when empty: the rest's own Reopener).
    bool Begin(size_t held, TRowSource* rest, TRowSource::Reopen reopen = {});
    // How many rows to read at a time.
    int ReadCount(int packet) const;
    // Before reading on, every row held being passed: true when the rows
    // read for the pass are to go now (the holder cuts back to Kept()).
    bool LetGo(size_t held, const std::unique_ptr<TRowSource>& rest);
    // Runs the holder's read of more rows from `rest`. A stop by the user
    // or an error fails a pass whole (its rows are read anew after it) and
    // goes on to the caller. Outside a pass, when `rest` is gone by it the
    // result is incomplete and the user is told; a stop then goes no
    // further (the holder keeps what it read), an error goes on.
    void Read(const std::unique_ptr<TRowSource>& rest, const std::function<void()>& read);
    // False when nothing went. Else `rest` becomes the rows after Kept(),
    // read anew from the statement as navigation reaches them, and the
    // holder cuts back to Kept().
    bool End(std::unique_ptr<TRowSource>& rest,
             const std::function<void(QVector<QVariant>&)>& convert);
    // See TCursor::incomplete. Whole again once the result is read anew
    // from its first row (ReadAnew).
    bool Incomplete() const { return incomplete_; }
    void ReadAnew() { incomplete_ = false; }
    // Runs the holder's read of every remaining row (Last, RecordCount):
    // a result incomplete before it is told so again, as its end is
    // only the end of the rows read.
    void ReadToEnd(const std::function<void()>& readAll);

private:
    void cut();

    bool passing_ = false;
    bool letGo_ = false;  // or the source failed
    bool incomplete_ = false;
    size_t kept_ = 0;
    TRowSource::Reopen reopen_;
};
