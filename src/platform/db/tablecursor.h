#pragma once
// A live cursor on one table of the engine. Rows come in pages by the order
// of the active index plus a tie-breaker that makes the order total (rowid on
// SQLite; the primary key, or ctid when there is none, on PostgreSQL), by
// keyset pagination: the next page is the rows after the last key read, so
// opening, First, Last and key searches cost the same on any table size.
// Every statement is prepared once per shape (TDatabase::Prepared) and every
// value is bound. Key comparisons run in SQL, under the collation ORDER BY
// uses.

#include <QPointer>
#include <QString>
#include <QVector>
#include <functional>

#include "db/cursor.h"

class QSqlQuery;
class TDatabase;
struct sqlite3_stmt;
class SqlDialect;

class TTableCursor : public TCursor {
public:
    // One column of the active index.
    struct IndexColumn {
        int field = -1;  // position in fieldDefs()
        bool descending = false;
        bool caseInsensitive = false;
    };

    // `fields` and `primaryKey` (field positions) come from the catalog.
    // Raises nothing; the table is read at the first navigation.
    TTableCursor(TDatabase* db, const QString& table, const TFieldDefs& fields,
                 const QVector<int>& primaryKey, bool readOnly);
    ~TTableCursor() override;

    // Columns this cursor never writes nor matches a row by (a user's result
    // reads a field hidden from him as NULL): left out of every UPDATE's SET
    // and row condition and of every INSERT; a row that would set one is
    // refused naming it.
    void leaveOut(const QVector<bool>& columns);

    // The order; an empty list walks by the tie-breaker alone.
    void setIndex(const QVector<IndexColumn>& columns);
    int indexColumnCount() const { return indexColumns_; }

    // A master link fixes the leading index columns to these values (none
    // when `active` is false; no row at all when `empty` is true: the master
    // has no current record).
    void setMaster(bool active, bool empty, const QVector<QVariant>& values);
    // A range on the index columns that follow the master's: `start`/`end`
    // hold values for a prefix of them (an empty list is no bound).
    void setRange(const QVector<QVariant>& start, bool startExclusive, const QVector<QVariant>& end,
                  bool endExclusive);
    void clearRange();

    // Positions on the first row whose leading index columns equal `values`
    // (nearest: the first row at or after them in index order) that `accept`
    // takes; false (and the position unchanged) when there is none.
    bool findKey(const QVector<QVariant>& values, bool nearest,
                 const std::function<bool(const TRow&)>& accept, TRow& row);

    // Rows per page: the first page of a walk has `initial` rows, following
    // pages in the same direction grow up to `maximum`.
    void setPageSize(int initial, int maximum);

    // The key text a record lock is taken on: the primary key values joined
    // by ";" (ctid or rowid when there is no key).
    QString lockKey(const TRow& row) const;

    // TCursor
    TFieldDefs fieldDefs() const override { return fields_; }
    bool first(TRow& row) override;
    bool last(TRow& row) override;
    bool next(TRow& row) override;
    bool prior(TRow& row) override;
    bool seek(const QVariant& identity, TRow& row) override;
    int recordCount() override;
    bool canModify() const override { return !readOnly_; }
    void insertRow(TRow& row) override;
    void updateRow(const TRow& old, TRow& row) override;
    void deleteRow(const TRow& old) override;
    void lockRow(const TRow& row) override;
    void unlockRow(const TRow& row) override;
    void resumeLock(const TRow& row) override;
    void refresh() override;

    // A condition with its bound values; a key value as SQL compares it.
    struct Pred;
    struct KeyValue;

    // Storage form of a canonical value for binding (ISO text for dates,
    // 0/1 for booleans on SQLite) and the canonical form of a stored value.
    static QVariant toStorage(const QVariant& value, TFieldType type, bool sqlite);
    static QVariant fromStorage(QVariant value, TFieldType type);
    // A column compared null-safely with its value as read (bound as
    // toStorage gives it), so that a write applies only to a row nobody
    // changed since.
    static QString unchangedCondition(bool sqlite, const QString& column, TFieldType type);
    // Raises RecordChanged or RecordDeleted (the errors of a stale post)
    // unless the row still holds the values it was read with, so that rows
    // stored under its key go only under the record a window shows.
    void checkUnchanged(const TRow& asRead);

private:
    // Before writing the record under its lock: the lock still held, or
    // taken again; RecordLocked while another session holds it.
    void keepLock(const QString& key);
    struct Entry {
        TRow row;
        // Storage values of the order columns as read, where converting the
        // row's values back might not spell them the same; else empty.
        QVector<QVariant> key;
        bool deleted = false;
        bool inSet = true;  // read from the engine within the cursor's conditions
    };
    struct OrderColumn {
        int field;  // -1: the identity column (rowid / ctid)
        bool descending;
        bool caseInsensitive;
        bool nullable;
        QString expr;  // as ordered and compared
    };
    enum class Op { After, AtOrAfter, Before, AtOrBefore, Equal };
    enum class Identity { RowId, PrimaryKey, Ctid };

    bool sqlite() const { return sqlite_; }
    void invalidate();
    void rebuildBase();
    KeyValue boundValue(const QVariant& v, TFieldType type) const;
    KeyValue exactValue(const QVariant& storage) const;
    Pred columnPred(const OrderColumn& c, const KeyValue& v, Op op) const;
    Pred tuplePred(int from, const QVector<KeyValue>& values, Op op) const;
    QString param(const OrderColumn& c) const;

    // Reads up to `limit` rows in `forward` order after (or before) `from`'s
    // key, within the cursor's set and `extra`; rows come in read order.
    // `written` gets the statement run (unchanged when none is). With
    // `keepFrom`, `from` leads the rows when a statement runs.
    QVector<Entry> fetch(bool forward, const Entry* from, int limit, const Pred* extra,
                         QString* written = nullptr, bool keepFrom = false);
    QSqlQuery& prepared(const QString& sql);
    void runDirect(QSqlQuery& q);
    // `limit`: the rows the statement can give at most (its LIMIT, or 1 for
    // a search by identity). `lead`, when given, comes first in the rows.
    QVector<Entry> runSelect(const QString& sql, const QVariantList& binds, int limit = 1,
                             const Entry* lead = nullptr);
    void readSqliteRows(QSqlQuery& q, sqlite3_stmt* st, int limit, QVector<Entry>& out);
    Entry entryOf(const TRow& row) const;
    QVector<QVariant> keyOf(const Entry& e) const;
    QString identityCondition(QVariantList& binds, const QVariant& identity) const;
    QVariantList identityStorage(const QVariant& identity) const;
    bool rowExists(const QVariant& identity);
    // The row's identity and every column as read: what a write or a check
    // on it requires (its values bound in `binds`).
    QString unchangedRowCondition(const TRow& asRead, QVariantList& binds) const;
    // The error for a row that no longer holds its values as read: changed
    // when it is still there, else deleted.
    [[noreturn]] void raiseStale(const QVariant& identity);
    [[noreturn]] void refuseLeftOut(int field) const;
    QString insertStatement(const QVector<int>& generated) const;
    void setRowFrom(Entry& e);
    int growPage(bool forward);
    bool deliver(TRow& row);
    // The position of the row with `identity` not marked deleted; -1 when
    // the buffer holds none.
    int liveEntry(const QVariant& identity) const;

    QPointer<TDatabase> db_;
    const SqlDialect* dialect_;
    bool sqlite_;
    QString table_;      // as written in SQL
    QString tableName_;  // as given (for locks)
    TFieldDefs fields_;
    QVector<QString> columnNames_;  // quoted
    QVector<TFieldType> types_;
    QVector<int> primaryKey_;
    Identity identity_;
    bool readOnly_;
    QString selectList_;
    QString selectFrom_;  // "SELECT <selectList_> FROM <table_>"
    // " AND <column> unchanged" for every column: the condition every update
    // and delete adds to the row's identity.
    QString unchangedWhere_;
    QVector<bool> leftOut_;  // see leaveOut
    bool leftOut(int field) const { return field < leftOut_.size() && leftOut_[field]; }
    QString orderTail_[2];  // " ORDER BY ..." forward, backward
    int firstColumn_ = 0;   // select position of field 0

    QVector<OrderColumn> order_;
    int indexColumns_ = 0;
    bool rawKeys_ = false;  // entries keep their keys as read

    bool masterActive_ = false;
    bool masterEmpty_ = false;
    QVector<QVariant> masterValues_;
    QVector<QVariant> rangeStart_, rangeEnd_;
    bool rangeStartExclusive_ = false, rangeEndExclusive_ = false;
    bool rangeSet_ = false;
    QString baseWhere_;  // master, range start and end together
    QVariantList baseBinds_;
    QString masterWhere_, startWhere_, endWhere_;
    QVariantList masterBinds_, startBinds_, endBinds_;
    // The range's bounds without the NULLs of its first column, for a page
    // that goes on from a row whose value there is not NULL towards where
    // the NULLs do not sort: the key condition already leaves them out, and
    // an "OR ... IS NULL" there keeps SQLite from seeking in the index.
    QString startWhereKnown_, endWhereKnown_;
    QVariantList startBindsKnown_, endBindsKnown_;
    int knownColumn_ = -1;    // that first column, -1 when the bounds are the same
    int masterFixed_ = 0;     // leading order columns the master fixes
    bool baseEmpty_ = false;  // the set has no rows whatever the table holds

    QVector<Entry> buf_;
    int pos_ = -1;          // -1 before the buffer, buf_.size() after it
    bool atStart_ = false;  // buf_ begins at the set's first row
    bool atEnd_ = false;    // buf_ ends at the set's last row
    int initialPage_ = 64;
    int maxPage_ = 1024;
    int pageForward_ = 0, pageBackward_ = 0;
    QString lockedKey_;
    QString findSql_;    // the last exact key search's statement (for one row)
    int findKeys_ = -1;  // its number of key values; -1 when none is written
    QString insertSql_;  // the last insert written, for the autoinc columns left to the engine
    QVector<int> insertGenerated_;
};
