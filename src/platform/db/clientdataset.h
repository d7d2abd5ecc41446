#pragma once
// TClientDataSet: a dataset held in memory, filled from its FieldDefs
// (CreateDataSet) or copied from another dataset (LoadFromDataSet), with a
// change log that can be undone or applied to one table of a database.

#include <QStringList>
#include <memory>

#include "db/dataset.h"

class TDatabase;
class TQuery;

enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };

class TClientDataSet : public TDataSet {
    Q_OBJECT
public:
    explicit TClientDataSet(QObject* parent = nullptr);
    ~TClientDataSet() override;

    // The structure CreateDataSet builds (when empty: the persistent fields').
    TFieldDefs& FieldDefs() { return fieldDefs_; }
    // Opens an empty dataset of that structure.
    void CreateDataSet();
    // Copies the structure and the rows of an open dataset (every field,
    // calculated ones as values) and opens on the first row; the source keeps
    // its position.
    void LoadFromDataSet(TDataSet* source);
    // Takes an open query's result over (the query closes): the structure and
    // the rows it has read now, the rest from the engine in packets of its
    // PacketRecords as navigation reaches them. Last, RecordCount, an index,
    // an inserted row and ApplyUpdates read every row first.
    void LoadFromQuery(TQuery* query);

    // The change log: rows inserted, modified or deleted since the data were
    // loaded or the log last merged.
    int ChangeCount() const;
    void CancelUpdates();                // back to the data as loaded
    void MergeChangeLog();               // the changes become the loaded data
    TUpdateStatus UpdateStatus() const;  // of the current record
    // Writes the log to `tableName` (inserts, updates of the changed columns
    // by key, deletes by key), in a transaction of its own when none is
    // running. Returns the number of errors (0); a failure rolls back what it
    // started, keeps the log, stands on the row refused (when it is shown)
    // and raises.
    // `columns`, when given, names the table column of each field ("" for
    // one that is not the table's); otherwise a field writes the column of
    // its own name. `leftOut` marks the fields never written nor matched by
    // (see TQuery::LiveTarget): a row that gives one a value is refused.
    int ApplyUpdates(TDatabase* db, const QString& tableName, const QStringList& keyFields,
                     const QStringList& columns = {}, const QVector<bool>& leftOut = {});

    // Rows held: how many it keeps now (a pass lets those it read go,
    // TDataSet::BeginPass).
    int RowsHeld() const;
    // Rows of the result are still to be read from the engine.
    bool RowsPending() const;

    // Fields ";"-separated that order the rows (texts by code point).
    QString IndexFieldNames() const { return indexFieldNames_; }
    void setIndexFieldNames(const QString& names);

    struct Store;

protected:
    std::unique_ptr<TCursor> CreateCursor() override;
    void InternalClose() override;

private:
    QVector<int> sortColumns(const QString& names) const;

    TFieldDefs fieldDefs_;
    QString indexFieldNames_;
    std::shared_ptr<Store> store_;
};
