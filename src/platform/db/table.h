#pragma once
// TTable: a dataset on one table, walked live on the engine by an index (see
// db/tablecursor.h). Index names are accepted as the system spells them on
// every engine: the table's own prefix ("PERSONAL_Clave2") is dropped, and
// "", "<Primary>", "Clave1" and "PRIMARY" all mean the primary index.

#include <QMetaType>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <vector>

#include "db/dataset.h"
#include "db/fieldtypes.h"

class TDataSource;
class TTableCursor;

struct TRowAsRead;

// Field definitions of a table: read from the catalog when it opens, or
// written by a form before CreateTable.
class TFieldDefList : public TFieldDefs {
public:
    void Add(const QString& name, TFieldType type, int size = 0, bool required = false);
    void Clear() { clear(); }
    int Count() const { return int(size()); }
    int IndexOf(const QString& name) const;            // case-insensitive; -1 when missing
    const TFieldDef& Find(const QString& name) const;  // raises FieldNotFound
};

// Index definitions, primary index first.
class TIndexDefList : public TIndexDefs {
public:
    void Add(const QString& name, const QString& fields, int options,
             const QString& descFields = QString());
    void Clear() { clear(); }
    int Count() const { return int(size()); }
    // Any accepted spelling of the name; -1 when missing.
    int IndexOf(const QString& name) const;
    const TIndexDef& Find(const QString& name) const;  // raises IndexNotFound
    int PrimaryIndex() const;                          // -1 when the table has no primary index

    // The name an index is known by with the table's prefix removed ("" for
    // every spelling of the primary index).
    static QString NormalizedName(const QString& table, const QString& name);
    static bool IsPrimaryName(const QString& normalizedName);

private:
    friend class TTable;
    QString table_;
};

class TTable : public TDBDataSet {
    Q_OBJECT
public:
    explicit TTable(QObject* parent = nullptr);
    ~TTable() override;

    QString TableName() const { return tableName_; }
    void setTableName(const QString& name);  // only while closed

    // The order: an index by name, or fields ("A;B") that need no index.
    // Setting one clears the other; a name or field that does not exist
    // raises (IndexNotFound, FieldNotFound) and changes nothing. On an open
    // table the range is cancelled and the first record becomes current.
    QString IndexName() const { return indexName_; }
    void setIndexName(const QString& name);
    QString IndexFieldNames() const { return indexFieldNames_; }
    void setIndexFieldNames(const QString& names);
    int IndexFieldCount() const { return activeIndexFields_.size(); }
    TField* IndexFields(int i) const;
    void GetIndexNames(QStringList& list);

    TFieldDefList& FieldDefs() { return fieldDefs_; }
    TIndexDefList& IndexDefs() { return indexDefs_; }
    // Reads the definitions of the existing table from the catalog.
    void UpdateFieldDefs();
    void UpdateIndexDefs();

    bool Exists();
    // Creates the table from FieldDefs and IndexDefs (primary, unique,
    // case-insensitive and descending indexes).
    void CreateTable();
    void DeleteTable();  // TableNotFound when missing
    void EmptyTable();

    // Searches on the active index; 1 to as many values as it has fields,
    // a prefix of them. A row the filter hides is not found.
    bool FindKey(const QVariantList& values);
    void FindNearest(const QVariantList& values);  // the last record when none is at or after
    void SetKey();
    void EditKey();
    bool GotoKey();
    void GotoNearest();
    // Fields of the key used by GotoKey/ApplyRange (0: the leading assigned ones).
    int KeyFieldCount() const;
    void setKeyFieldCount(int count);
    // Whether the bound being edited excludes its own value.
    bool KeyExclusive() const;
    void setKeyExclusive(bool exclusive);

    // Ranges on a prefix of the index fields; with a master link, on the
    // index fields after the master's.
    void SetRangeStart();
    void SetRangeEnd();
    void EditRangeStart();
    void EditRangeEnd();
    void ApplyRange();
    void SetRange(const QVariantList& start, const QVariantList& end);
    void CancelRange();

    // Master-detail: the detail's leading index fields follow MasterFields
    // ("A;B") of MasterSource's current record.
    TDataSource* MasterSource() const { return masterSource_; }
    void setMasterSource(TDataSource* source);
    QString MasterFields() const { return masterFields_; }
    void setMasterFields(const QString& fields);

    // Rows per page read from the engine (tests use small pages).
    void setPageSize(int initial, int maximum);

    // The current record as read (in an edit, before its changes); empty
    // without one or while inserting.
    TRowAsRead RowAsRead() const;
    // Raises RecordChanged or RecordDeleted, as a stale post does, unless
    // the row `asRead` came from (a record of this table) still holds the
    // values it was read with. Inside a transaction the row stays so on
    // PostgreSQL until it ends.
    void CheckUnchanged(const TRowAsRead& asRead);

protected:
    std::unique_ptr<TCursor> CreateCursor() override;
    void InternalClose() override;
    void DoOnNewRecord() override;
    void RowRewritten(const QVariant& before, const TRow& row) override;

private:
    class MasterLink;
    friend class MasterLink;
    struct Bound {
        QVector<QVariant> values;
        bool exclusive = false;
    };

    TTableCursor* tableCursor() const;
    void applyIndex(const QString& indexName, const QString& fieldNames);
    QStringList masterFieldList() const;
    bool masterValues(QVector<QVariant>& values, bool& empty) const;
    void applyMaster(TTableCursor* cursor);
    void masterChanged();
    void applyRangeTo(TTableCursor* cursor);
    bool search(const QVector<QVariant>& values, bool nearest);
    QVector<QVariant> keyValues(int which, int offset) const;
    void beginKey(int which, bool clear);
    void readCatalog(TDatabase* db);

    QString tableName_;
    QString indexName_;
    QString indexFieldNames_;
    QStringList activeIndexFields_;
    TFieldDefList fieldDefs_;
    TIndexDefList indexDefs_;
    TDataSource* masterSource_ = nullptr;
    QString masterFields_;
    std::unique_ptr<MasterLink> masterLink_;
    // The master values the open cursor was last given.
    bool masterActive_ = false;
    bool masterEmpty_ = false;
    QVector<QVariant> masterValues_;

    bool rangeActive_ = false;
    Bound rangeStart_, rangeEnd_;
    int editingKey_ = -1;  // the key buffer being edited
    int keyFieldCount_[3] = {0, 0, 0};
    bool keyExclusive_[3] = {false, false, false};
    int pageInitial_ = 64;
    int pageMaximum_ = 1024;
    // The rows handed out by RowAsRead, moved by this table's own posts.
    mutable std::vector<std::weak_ptr<TRow>> handedOut_;
};

// A table's record as a window read it (its table, its row as the engine
// gave it): what rows stored under its key are checked against, so that
// they go only under the record the window shows, never under another
// entered since with the same key.
struct TRowAsRead {
    QString databaseName;
    QString tableName;
    TRow row;
    // The table it was read by, while it lives: its later posts of the same
    // record (the window's own changes) are what the window shows then.
    QPointer<TTable> source;
    // The record as that table last wrote it (its own posts, and a post
    // taken back with its transaction), also once the table is gone: the
    // clerk's own changes are never another user's. Shared by the copies.
    std::shared_ptr<const TRow> latest;
    // The row compared: the latest written by the table, else as read.
    const TRow& current() const { return latest ? *latest : row; }
    bool isEmpty() const { return tableName.isEmpty(); }
};
Q_DECLARE_METATYPE(TRowAsRead)

// TTable::CheckUnchanged on a table of its own, for a window that keeps a
// record another window read: nothing to check when `asRead` is empty.
void CheckRowAsRead(const TRowAsRead& asRead);
