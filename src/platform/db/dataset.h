#pragma once
// TDataSet: the record-by-record view of a record source (TCursor) with the
// component behaviour forms rely on: states, navigation with Bof/Eof,
// bookmarks, editing with its events in their order, the silent abort,
// fields (data, calculated, lookup), filters, Locate/Lookup, and the data
// sources that controls listen to. It holds only the current row, the edit
// buffer and the row as it was before editing; the cursor holds the rest.

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

#include "db/cursor.h"
#include "db/field.h"
#include "db/fieldtypes.h"

class FilterExpression;
class TDataSource;
class TDatabase;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter };

// What a dataset tells its data sources (and they their data links).
enum TDataEvent {
    deFieldChange,      // a field's value changed (info: the field)
    deRecordChange,     // the current record entered edit mode
    deDataSetChange,    // the record set or its contents changed (post, cancel, open...)
    deDataSetScroll,    // another record became current (info: distance)
    deLayoutChange,     // fields were added or removed
    deUpdateRecord,     // controls must write their pending edits (Post, UpdateRecord)
    deUpdateState,      // the state changed
    deCheckBrowseMode,  // the dataset is about to leave edit mode
};

enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = int;

// A bookmark holds the identity of a row; a null bookmark holds nothing.
struct TBookmark {
    QVariant identity;
    bool IsNull() const { return !identity.isValid(); }
    bool operator==(const TBookmark& other) const { return identity == other.identity; }
};

class TDataSet;
using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;

class TDataSet : public QObject {
    Q_OBJECT
public:
    explicit TDataSet(QObject* parent = nullptr);
    ~TDataSet() override;

    // Opening and closing. Open on an open dataset does nothing; Close
    // discards a pending edit.
    void Open();
    void Close();
    bool Active() const { return state_ != dsInactive; }
    void setActive(bool active);
    TDataSetState State() const { return state_; }

    // Navigation. Next on the last record sets Eof and keeps the record;
    // Prior on the first sets Bof. MoveBy returns the distance moved.
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    // Rows of the set; with a filter, the rows it accepts.
    int RecordCount();
    bool IsEmpty() const { return !hasRecord_; }

    // Fields. Persistent fields are declared before opening; once any is
    // declared only those fields exist, in that order. Without them the
    // fields are the record source's.
    TField* AddField(const QString& name, TFieldType type = ftUnknown, int size = 0,
                     TFieldKind kind = fkData);
    const TFields& Fields() const { return fields_; }
    int FieldCount() const { return fields_.Count(); }
    TField* FindField(const QString& name) const { return fields_.FindField(name); }
    TField* FieldByName(const QString& name) const { return fields_.FieldByName(name); }
    QVariant FieldValues(const QString& name) const;
    void setFieldValues(const QString& name, const QVariant& value);

    // Editing.
    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    // Re-reads the record source keeping the position by identity (the next
    // row when the current one is gone, else the last).
    void Refresh();
    // The current record read again from the engine, in browse or in an edit
    // nothing was typed into (the edit stays, from the row as it now
    // stands), so that what is written under its key next is compared with
    // what another user made of it; RecordDeleted, the record kept, when the
    // row is gone.
    void RereadRecord();
    // Posts a modified record, cancels an unmodified one.
    void CheckBrowseMode();
    // Asks the data links to write their pending edits into the fields.
    void UpdateRecord();
    // Sets every field of the record being edited to NULL.
    void ClearFields();
    bool Modified() const { return modified_; }
    // While an insert begins (BeforeInsert to AfterInsert): whether Edit on
    // an empty dataset began it, for a key typed or a value looked up into
    // a field, rather than Insert or Append.
    bool InsertStartedByEdit() const { return insertStartedByEdit_; }
    // A record being edited or inserted as it stands: its state, the values
    // typed and the row it was read as.
    struct TEditSnapshot {
        TDataSetState state = dsInactive;
        QVector<QVariant> buffer;
        TRow current, saved;
        bool hasRecord = false, bof = false, eof = false;
        bool savedHasRecord = false, savedBof = false, savedEof = false;
        bool modified = false;
    };
    // Taken before a post inside a transaction; RestoreEdit, once that
    // transaction was rolled back, puts the record back as typed (a record
    // begun since gives way) so that it is shown and posted again, never as
    // stored. The rows read since are read again. Without events; never
    // raises. A snapshot of a record not being edited restores nothing.
    TEditSnapshot SnapshotEdit() const;
    void RestoreEdit(const TEditSnapshot& snapshot);
    virtual bool CanModify() const;
    bool ReadOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly);

    // Searching. Several fields are ";"-separated with a QVariantList of values.
    bool Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options);
    // The result field(s) of the first matching row (a QVariantList for
    // several), without moving; an invalid QVariant when none matches.
    QVariant Lookup(const QString& keyFields, const QVariant& keyValues,
                    const QString& resultFields);

    // A pass over every row that keeps none of those read for it: between
    // BeginPass and EndPass, rows the engine gives beyond those held when
    // the pass began are let go once passed (a few thousand stay). At its
    // end, when any went, the dataset holds what it held before, stands on
    // the same record (else the first) and reads the rest anew from the
    // engine as navigation reaches it. Nothing for a dataset that keeps
    // every row anyway.
    void BeginPass();
    void EndPass();
    // The rows held are not the whole result (a reading stopped by the
    // user, a rest lost with its connection): what goes over every row
    // would give a part for the whole.
    bool ResultIncomplete() const { return cursor_ && cursor_->incomplete(); }

    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& bookmark);  // raises InvalidBookmark when gone
    void FreeBookmark(TBookmark& bookmark) { bookmark = TBookmark(); }
    bool BookmarkValid(const TBookmark& bookmark);
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;

    // For controls that show several records at once (grids, lookup lists):
    // up to `count` rows the filter accepts, in the dataset's order after the
    // row of `from` (from the first row when `from` is null), or before it
    // (from the last) when `backward`, nearest first. The current record, the
    // state and the events are left alone; a `from` that is gone gives none.
    QVector<TRow> ReadRows(const TBookmark& from, int count, bool backward = false);
    // Between BeginRowView and EndRowView the fields read `row` (calculated
    // and lookup fields computed for it) instead of the current record: for
    // showing it, never for writing. Views do not nest.
    void BeginRowView(const TRow& row);
    void EndRowView();

    // While disabled (counts nest) data sources hear nothing; on the last
    // EnableControls they get one DataSetChanged.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    // Filter text (see db/filter.h), applied while Filtered, together with
    // OnFilterRecord. A bad filter raises and leaves the previous one.
    QString Filter() const { return filterText_; }
    void setFilter(const QString& text);
    bool Filtered() const { return filtered_; }
    void setFiltered(bool filtered);

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh, OnNewRecord, OnCalcFields;
    // The delete failed once BeforeDelete had begun (BeforeDelete itself or a
    // scroll handler raised, or the engine refused the record): runs before
    // the error goes on to the caller, so that what BeforeDelete began can be
    // undone at once.
    TDataSetNotifyEvent OnDeleteError;
    // The same for a post: BeforePost, a required field or the engine
    // refused the row.
    TDataSetNotifyEvent OnPostError;
    TFilterRecordEvent OnFilterRecord;

protected:
    // The record source; called by Open after BeforeOpen.
    virtual std::unique_ptr<TCursor> CreateCursor() = 0;
    // After the cursor is dropped on Close.
    virtual void InternalClose() {}
    // Runs OnNewRecord on a new record; a subclass may fill fields first
    // (a detail's link fields) and then call this.
    virtual void DoOnNewRecord();
    // A record of this dataset now stands as `row` in the engine after its
    // row `before` (the dataset's own post of an edit, or that post taken
    // back): what a subclass handed out as read may follow it.
    virtual void RowRewritten(const QVariant& before, const TRow& row) {
        Q_UNUSED(before);
        Q_UNUSED(row);
    }
    // Finds the first row whose fields match; true leaves the cursor on it.
    // The default reads the cursor from the first row; a subclass may ask
    // the engine instead. Only rows the filter accepts count.
    virtual bool LocateRow(const QList<TField*>& fields, const QVariantList& values,
                           TLocateOptions options, TRow& row);

    TCursor* Cursor() const { return cursor_.get(); }
    // Makes `row` (on which the cursor stands) the current record: Bof/Eof
    // false, calculated fields, data sources told, AfterScroll.
    void Resync(const TRow& row);
    // After a range, master, index or filter change: back to the first record.
    void Requery();
    bool RowPassesFilter(const TRow& row);
    void CheckActive() const;
    void CheckInactive() const;
    void CheckCanModify() const;
    void SetState(TDataSetState state);
    void DataEvent(TDataEvent event, TField* field = nullptr, int info = 0);
    void DoBeforeScroll();
    void DoAfterScroll();
    const TRow& CurrentRow() const { return current_; }
    // For a subclass's destructor: drops the cursor without events (the
    // handlers' owners may be gone) and without InternalClose.
    void CloseOnDestroy();

    // Key buffers of TTable (0 key, 1 range start, 2 range end): in dsSetKey
    // field reads and writes go to the buffer, one value per field of Fields().
    void BeginKeyBuffer(int which, bool clear);
    void EndKeyBuffer();
    // TField::setIndex: the field moves to that position of Fields().
    void moveField(TField* field, int index);
    QVector<QVariant> KeyBufferValues(int which) const;
    QVector<bool> KeyBufferAssigned(int which) const;

private:
    friend class TField;
    friend class TDataSource;

    TBookmark passMark_;  // where a pass began (BeginPass)

    struct KeyBuffer {
        QVector<QVariant> values;
        QVector<bool> assigned;
    };
    struct LookupCache {
        QVariantList key;
        QVariant result;
        bool valid = false;
    };

    // Field access from TField.
    const QVariant& fieldValue(const TField* f) const;
    const QVariant& oldFieldValue(const TField* f) const;
    void setFieldValue(TField* f, QVariant value);

    void bindFields();
    // Parses and binds `text`; only when that succeeds runs `apply` and
    // installs it, so a bad filter changes nothing.
    void bindFilter(const QString& text, bool filtered, const std::function<void()>& apply);
    void releaseCursor();
    void restoreSavedRecord();
    void pointBuffers();
    bool fetch(int direction, TRow& row);  // 0 first, 1 next, -1 prior, 2 last
    bool ensureCursorOnCurrent();
    void setCurrent(const TRow& row);
    void setNoCurrent();
    // The record found by a move (or none: empty), with the cursor on it.
    void landOn(bool found, const TRow& row);
    void calculateFields(bool recordChanged);
    void dispatch(TDataEvent event, TField* field, int info);
    void addDataSource(TDataSource* source);
    void removeDataSource(TDataSource* source);
    void beginInsert(bool append);
    // Makes the row of that identity current again after a before-handler
    // moved away from it; raises RecordDeleted when it left the view.
    void backToRow(const QVariant& identity);
    void endInsertAborted();
    QList<TField*> fieldList(const QString& names) const;
    bool rowMatches(const TRow& row, const QList<TField*>& fields, const QVariantList& values,
                    TLocateOptions options) const;

    std::unique_ptr<TCursor> cursor_;
    TDataSetState state_ = dsInactive;
    TFields fields_;
    QList<TField*> persistent_;   // declared by AddField, in order
    QList<TField*> defaultPool_;  // default fields kept across Close for reuse
    int columnCount_ = 0;
    QVector<TFieldType> columnTypes_;

    TRow current_;  // the current record as read
    bool hasRecord_ = false;
    QVector<QVariant> editBuffer_;                     // edit and insert
    QVector<QVariant> calcBuffer_;                     // calculated and lookup values
    QVector<QVariant> emptyValues_;                    // NULLs, read when there is no record
    const QVector<QVariant>* recordValues_ = nullptr;  // what fields read
    const TRow* filterRow_ = nullptr;                  // the row OnFilterRecord looks at
    KeyBuffer keyBuffers_[3];
    KeyBuffer* activeKey_ = nullptr;
    TDataSetState stateBeforeKey_ = dsBrowse;

    // Insert keeps the record it left, to come back on Cancel.
    TRow savedRow_;
    bool savedHasRecord_ = false;
    bool savedBof_ = false;
    bool savedEof_ = false;

    bool bof_ = false;
    bool eof_ = false;
    bool modified_ = false;
    bool readOnly_ = false;
    bool cursorOnCurrent_ = false;
    bool calculating_ = false;
    bool insertStartedByEdit_ = false;
    int calcCount_ = 0;
    QVector<LookupCache> lookupCache_;

    int disableCount_ = 0;
    TDataSetState disableState_ = dsInactive;
    TDataEvent enableEvent_ = deDataSetChange;
    QList<TDataSource*> dataSources_;

    // A row shown through the fields (BeginRowView).
    bool inRowView_ = false;
    QVector<QVariant> viewValues_;
    QVector<QVariant> viewSavedCalc_;
    const QVector<QVariant>* viewSavedValues_ = nullptr;

    QString filterText_;
    bool filtered_ = false;
    std::unique_ptr<FilterExpression> filter_;
};

// A pass (TDataSet::BeginPass to EndPass) for a scope.
class TOnePass {
public:
    explicit TOnePass(TDataSet* dataSet);
    ~TOnePass();
    TOnePass(const TOnePass&) = delete;
    TOnePass& operator=(const TOnePass&) = delete;

private:
    TDataSet* ds_;
};

// A dataset on a named database of the session.
class TDBDataSet : public TDataSet {
    Q_OBJECT
public:
    explicit TDBDataSet(QObject* parent = nullptr);
    ~TDBDataSet() override;

    QString DatabaseName() const { return databaseName_; }
    void setDatabaseName(const QString& name);  // only while closed
    // The database the name resolves to (TSession::FindDatabase); raises
    // DatabaseNotFound.
    TDatabase* Database();

protected:
    // For CreateCursor: resolves the database and closes this dataset when
    // that database closes or goes away.
    TDatabase* OpenDatabase();

private:
    QString databaseName_;
    TDatabase* database_ = nullptr;
    QMetaObject::Connection closeConnection_;
    QMetaObject::Connection destroyConnection_;
};
