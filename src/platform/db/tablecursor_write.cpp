// TTableCursor: inserts, updates and deletes, and the record locks they keep.

#include <QSqlQuery>

#include "db/database.h"
#include "db/dberror.h"
#include "db/sqllexis.h"
#include "db/tablecursor.h"

// ------------------------------------------------------------ writing

TTableCursor::Entry TTableCursor::entryOf(const TRow& row) const {
    Entry e;
    e.row = row;
    e.inSet = false;  // written here: it may lie outside the range or master
    return e;
}

QVector<QVariant> TTableCursor::keyOf(const Entry& e) const {
    if (!e.key.isEmpty()) return e.key;
    QVector<QVariant> key;
    key.reserve(order_.size());
    for (const OrderColumn& c : order_) {
        if (c.field < 0)
            key << e.row.identity;
        else
            key << toStorage(e.row.values.value(c.field), fields_[c.field].DataType, sqlite_);
    }
    return key;
}

namespace {
bool sameValue(const QVariant& a, const QVariant& b) {
    const bool an = !a.isValid() || a.isNull(), bn = !b.isValid() || b.isNull();
    if (an || bn) return an == bn;
    return a == b;
}
}  // namespace

QString TTableCursor::insertStatement(const QVector<int>& generated) const {
    QString cols, marks;
    for (int i = 0; i < fields_.size(); ++i) {
        if (generated.contains(i) || leftOut(i)) continue;
        if (!cols.isEmpty()) {
            cols += QStringLiteral(", ");
            marks += QStringLiteral(", ");
        }
        cols += columnNames_[i];
        marks += u'?';
    }
    QString sql = QStringLiteral("INSERT INTO ") + table_;
    sql += cols.isEmpty()
               ? QStringLiteral(" DEFAULT VALUES")
               : QStringLiteral(" (") + cols + QStringLiteral(") VALUES (") + marks + u')';
    if (!sqlite_) {
        // A duplicate key gives no row instead of an error, the key
        // violation the callers expect.
        sql += QStringLiteral(" ON CONFLICT DO NOTHING");
        QStringList returning;
        for (int g : generated) returning << columnNames_[g];
        if (identity_ == Identity::Ctid) returning << QStringLiteral("ctid");
        if (!returning.isEmpty()) sql += QStringLiteral(" RETURNING ") + returning.join(u", ");
    }
    return sql;
}

void TTableCursor::insertRow(TRow& row) {
    if (readOnly_) throw EDatabaseError::make(DbError::ReadOnly);
    const int n = fields_.size();
    row.values.resize(n);
    QVector<int> generated;  // autoinc columns the engine fills
    for (int i = 0; i < n; ++i) {
        const QVariant& v = row.values[i];
        const bool empty = !v.isValid() || v.isNull();
        if (leftOut(i) && !empty) refuseLeftOut(i);
        if (fields_[i].DataType == ftAutoInc && empty) generated << i;
    }
    // Rows appended one after another fill the same columns: the statement
    // is written once for them.
    if (generated != insertGenerated_ || insertSql_.isEmpty()) {
        insertGenerated_ = generated;
        insertSql_ = insertStatement(generated);
    }
    QSqlQuery& q = prepared(insertSql_);
    QVariantList binds;
    binds.reserve(n - generated.size());
    for (int i = 0; i < n; ++i)
        if (!generated.contains(i) && !leftOut(i))
            binds << toStorage(row.values[i], fields_[i].DataType, sqlite_);
    TDatabase::BindValues(q, binds);
    // A value read back would differ if the row were written again (a
    // serial, a ctid): such a row runs on its own, never in a batch.
    if (!generated.isEmpty() || identity_ == Identity::Ctid)
        db_->Run(q);
    else
        db_->RunWrite(q);
    if (sqlite_) {
        row.identity = q.lastInsertId().toLongLong();
        q.finish();
        if (!generated.isEmpty()) {
            // Numbered by the engine (rowid alias or trigger): read them back.
            QVariantList b{row.identity};
            QStringList names;
            for (int g : generated) names << columnNames_[g];
            QSqlQuery& r =
                prepared(QStringLiteral("SELECT ") + names.join(u", ") + QStringLiteral(" FROM ") +
                         table_ + QStringLiteral(" WHERE rowid = ?"));
            r.bindValue(0, row.identity);
            runDirect(r);
            if (r.next())
                for (int i = 0; i < generated.size(); ++i)
                    row.values[generated[i]] =
                        fromStorage(r.value(i), fields_[generated[i]].DataType);
            r.finish();
        }
    } else {
        const bool returning = !generated.isEmpty() || identity_ == Identity::Ctid;
        const bool inserted = returning ? q.next() : q.numRowsAffected() > 0;
        if (inserted && returning) {
            for (int i = 0; i < generated.size(); ++i)
                row.values[generated[i]] = fromStorage(q.value(i), fields_[generated[i]].DataType);
            if (identity_ == Identity::Ctid) row.identity = q.value(generated.size()).toString();
        }
        q.finish();
        if (!inserted) throw EDatabaseError::make(DbError::KeyViolation, QString(), tableName_);
        if (identity_ == Identity::PrimaryKey) {
            QVariantList id;
            for (int f : primaryKey_) id << row.values[f];
            row.identity = id;
        }
    }
    buf_ = {entryOf(row)};
    pos_ = 0;
    atStart_ = atEnd_ = false;
    pageForward_ = pageBackward_ = 0;
}

QString TTableCursor::unchangedCondition(bool sqlite, const QString& column, TFieldType type) {
    if (!sqlite) return column + QStringLiteral(" IS NOT DISTINCT FROM ?");
    // Dates are text on SQLite: compare them as dates, whatever the spelling.
    switch (type) {
        case ftDate:
            return QStringLiteral("date(") + column + QStringLiteral(") IS date(?)");
        case ftTime:
            return QStringLiteral("time(") + column + QStringLiteral(") IS time(?)");
        case ftDateTime:
            return QStringLiteral("datetime(") + column + QStringLiteral(") IS datetime(?)");
        default:
            return column + QStringLiteral(" IS ?");
    }
}

QString TTableCursor::unchangedRowCondition(const TRow& asRead, QVariantList& binds) const {
    const QString where = identityCondition(binds, asRead.identity) + unchangedWhere_;
    for (int i = 0; i < fields_.size(); ++i)
        if (!leftOut(i)) binds << toStorage(asRead.values.value(i), fields_[i].DataType, sqlite_);
    return where;
}

void TTableCursor::refuseLeftOut(int field) const {
    throw EDatabaseError(DbError::SqlError, HiddenFieldWriteReason(fields_[field].Name),
                         tableName_);
}

void TTableCursor::raiseStale(const QVariant& identity) {
    throw EDatabaseError::make(
        rowExists(identity) ? DbError::RecordChanged : DbError::RecordDeleted, QString(),
        tableName_);
}

void TTableCursor::checkUnchanged(const TRow& asRead) {
    QVariantList binds;
    QString sql = QStringLiteral("SELECT 1 FROM ") + table_ + QStringLiteral(" WHERE ") +
                  unchangedRowCondition(asRead, binds);
    // Inside a transaction on PostgreSQL the row stays as compared until it
    // ends: a change or delete by another session waits for the rows
    // stored under it. SQLite's snapshot refuses a write after a change.
    if (!sqlite_ && db_->InTransaction()) sql += QStringLiteral(" FOR SHARE");
    QSqlQuery& q = prepared(sql);
    TDatabase::BindValues(q, binds);
    // Under a savepoint: a lock wait that runs out leaves the caller's
    // transaction usable, as any failure of a write would.
    db_->Run(q);
    const bool found = q.next();
    q.finish();
    if (!found) raiseStale(asRead.identity);
}

bool TTableCursor::rowExists(const QVariant& identity) {
    QVariantList binds;
    const QString where = identityCondition(binds, identity);
    QSqlQuery& q =
        prepared(QStringLiteral("SELECT 1 FROM ") + table_ + QStringLiteral(" WHERE ") + where);
    TDatabase::BindValues(q, binds);
    runDirect(q);
    const bool found = q.next();
    q.finish();
    return found;
}

void TTableCursor::updateRow(const TRow& old, TRow& row) {
    if (readOnly_) throw EDatabaseError::make(DbError::ReadOnly);
    const int n = fields_.size();
    row.values.resize(n);
    QString set;
    QVariantList binds;
    for (int i = 0; i < n; ++i) {
        if (sameValue(old.values.value(i), row.values[i])) continue;
        if (leftOut(i)) refuseLeftOut(i);
        if (!binds.isEmpty()) set += QStringLiteral(", ");
        set += columnNames_[i] + QStringLiteral(" = ?");
        binds << toStorage(row.values[i], fields_[i].DataType, sqlite_);
    }
    row.identity = old.identity;
    if (binds.isEmpty()) return;  // nothing to write
    const QString where = unchangedRowCondition(old, binds);
    QString sql = QStringLiteral("UPDATE ") + table_ + QStringLiteral(" SET ") + set +
                  QStringLiteral(" WHERE ") + where;
    const bool returning = identity_ == Identity::Ctid;
    if (returning) sql += QStringLiteral(" RETURNING ctid");
    QSqlQuery& q = prepared(sql);
    keepLock(lockKey(old));
    TDatabase::BindValues(q, binds);
    if (returning)
        db_->Run(q);
    else
        db_->RunWrite(q);
    bool applied;
    if (returning) {
        applied = q.next();
        if (applied) row.identity = q.value(0).toString();
    } else {
        applied = q.numRowsAffected() > 0;
    }
    q.finish();
    if (!applied) raiseStale(old.identity);
    if (identity_ == Identity::PrimaryKey) {
        QVariantList id;
        for (int f : primaryKey_) id << row.values[f];
        row.identity = id;
    }
    Entry e = entryOf(row);
    if (const int i = liveEntry(old.identity); i >= 0 && keyOf(buf_[i]) == keyOf(e)) {
        e.inSet = buf_[i].inSet;  // the set is defined on key columns only
        buf_[i] = std::move(e);
        pos_ = i;
        return;
    }
    // The row moved in the order: its neighbours are read again from it.
    buf_ = {std::move(e)};
    pos_ = 0;
    atStart_ = atEnd_ = false;
}

void TTableCursor::deleteRow(const TRow& old) {
    if (readOnly_) throw EDatabaseError::make(DbError::ReadOnly);
    // A record another user is editing is not deleted under them.
    QString tempLock;
    if (!sqlite_) {
        const QString key = lockKey(old);
        if (key != lockedKey_) {
            if (!db_->TryLockRecord(tableName_, key))
                throw EDatabaseError::make(DbError::RecordLocked, QString(), tableName_);
            tempLock = key;
        } else {
            keepLock(key);
        }
    }
    struct Unlock {
        TDatabase* db;
        const QString& table;
        const QString& key;
        ~Unlock() {
            try {
                if (!key.isEmpty()) db->UnlockRecord(table, key);
            } catch (...) {
            }
        }
    } unlock{db_, tableName_, tempLock};

    QVariantList binds;
    const QString where = unchangedRowCondition(old, binds);
    QSqlQuery& q =
        prepared(QStringLiteral("DELETE FROM ") + table_ + QStringLiteral(" WHERE ") + where);
    TDatabase::BindValues(q, binds);
    // A ctid another write of the batch gave may differ when written again.
    if (identity_ == Identity::Ctid)
        db_->Run(q);
    else
        db_->RunWrite(q);
    const bool applied = q.numRowsAffected() > 0;
    q.finish();
    if (!applied) raiseStale(old.identity);
    if (const int i = liveEntry(old.identity); i >= 0) {
        buf_[i].deleted = true;
        pos_ = i;
        return;
    }
    Entry e = entryOf(old);
    e.deleted = true;
    buf_ = {std::move(e)};
    pos_ = 0;
    atStart_ = atEnd_ = false;
}

QString TTableCursor::lockKey(const TRow& row) const {
    if (identity_ != Identity::PrimaryKey) return row.identity.toString();
    QStringList parts;
    for (int f : primaryKey_) {
        const QVariant s = toStorage(row.values.value(f), fields_[f].DataType, sqlite_);
        parts << s.toString();
    }
    return parts.join(u';');
}

void TTableCursor::lockRow(const TRow& row) {
    if (sqlite_) return;  // SQLite checks at post time instead
    const QString key = lockKey(row);
    if (key == lockedKey_) return;
    if (!db_->TryLockRecord(tableName_, key))
        throw EDatabaseError::make(DbError::RecordLocked, QString(), tableName_);
    if (!lockedKey_.isEmpty()) db_->UnlockRecord(tableName_, lockedKey_);
    lockedKey_ = key;
}

void TTableCursor::keepLock(const QString& key) {
    // A lock a reconnection lost may have been taken by another session,
    // whose edit then goes first: nothing is written over it.
    if (sqlite_ || key.isEmpty() || key != lockedKey_) return;
    if (!db_->KeepRecordLock(tableName_, key))
        throw EDatabaseError::make(DbError::RecordLocked, QString(), tableName_);
}

void TTableCursor::resumeLock(const TRow& row) {
    if (sqlite_) return;
    const QString key = lockKey(row);
    if (key == lockedKey_) return;
    try {
        if (!lockedKey_.isEmpty()) unlockRow(row);
        db_->TryLockRecord(tableName_, key);
    } catch (const EDatabaseError&) {
        // A server still down: the post takes it, or refuses.
    }
    // Held or not, the post goes through keepLock, which takes it first.
    lockedKey_ = key;
}

void TTableCursor::unlockRow(const TRow&) {
    if (lockedKey_.isEmpty()) return;
    const QString key = lockedKey_;
    lockedKey_.clear();
    db_->UnlockRecord(tableName_, key);
}

void TTableCursor::refresh() {
    if (pos_ >= 0 && pos_ < buf_.size()) {
        // The current row stays only as the point to read on from; marked
        // as gone, it is neither delivered nor found by seek.
        Entry keep = buf_[pos_];
        keep.deleted = true;
        buf_ = {std::move(keep)};
        pos_ = 0;
    } else {
        buf_.clear();
        pos_ = -1;
    }
    atStart_ = atEnd_ = false;
    pageForward_ = pageBackward_ = 0;
}
