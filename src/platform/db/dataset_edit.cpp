// TDataSet: editing, field writes, calculated and lookup fields, key buffers.

#include <QScopedValueRollback>

#include "db/dataset.h"
#include "db/dberror.h"

namespace {

inline bool isNullValue(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

// Unlocking must not keep a dataset in edit mode: a lock that cannot be
// released (a lost connection) is gone with the connection anyway.
void unlockQuietly(TCursor* cursor, const TRow& row) {
    try {
        cursor->unlockRow(row);
    } catch (const EDatabaseError&) {
    }
}

}  // namespace

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    switch (state_) {
        case dsEdit:
        case dsInsert:
            UpdateRecord();
            if (modified_)
                Post();
            else
                Cancel();
            break;
        case dsSetKey:
            EndKeyBuffer();
            break;
        default:
            break;
    }
}

void TDataSet::UpdateRecord() {
    if (state_ != dsEdit && state_ != dsInsert && state_ != dsSetKey)
        throw EDatabaseError::make(DbError::NotEditing);
    DataEvent(deUpdateRecord);
}

void TDataSet::Edit() {
    if (state_ == dsEdit || state_ == dsInsert) return;
    CheckActive();
    if (!hasRecord_) {
        // Said to the insert's handlers: the user is at a field (a key typed,
        // a value looked up) and what he types next belongs there.
        const QScopedValueRollback<bool> porEdicion(insertStartedByEdit_, true);
        Append();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    const QVariant fila = current_.identity;
    if (BeforeEdit) BeforeEdit(this);
    if (state_ == dsEdit || state_ == dsInsert) return;  // a handler began it
    backToRow(fila);
    cursor_->lockRow(current_);
    editBuffer_ = current_.values;
    modified_ = false;
    SetState(dsEdit);
    DataEvent(deRecordChange);
    if (AfterEdit) AfterEdit(this);
}

void TDataSet::backToRow(const QVariant& identity) {
    if (hasRecord_ && current_.identity == identity) return;
    // A before-handler re-read the data (a range set again, a refresh) and
    // another row became current: the row asked for is found again by its
    // identity, or, gone from the view, nothing is done to any row.
    TRow row;
    if (state_ != dsBrowse || !identity.isValid() || !cursor_->seek(identity, row) ||
        !RowPassesFilter(row)) {
        cursorOnCurrent_ = false;
        throw EDatabaseError::make(DbError::RecordDeleted);
    }
    Resync(row);
}

void TDataSet::Append() {
    beginInsert(true);
}

void TDataSet::Insert() {
    beginInsert(false);
}

void TDataSet::DoOnNewRecord() {
    if (OnNewRecord) OnNewRecord(this);
}

void TDataSet::beginInsert(bool append) {
    CheckActive();
    CheckBrowseMode();
    CheckCanModify();
    if (BeforeInsert) BeforeInsert(this);
    DoBeforeScroll();
    savedRow_ = current_;
    savedHasRecord_ = hasRecord_;
    savedBof_ = bof_;
    savedEof_ = eof_;
    editBuffer_ = QVector<QVariant>(columnCount_);
    modified_ = false;
    bof_ = false;
    eof_ = append;
    SetState(dsInsert);
    try {
        DoOnNewRecord();
    } catch (...) {
        // An abort (or any failure) in OnNewRecord cancels the insert.
        endInsertAborted();
        throw;
    }
    modified_ = false;
    calculateFields(true);
    DataEvent(deDataSetChange);
    if (AfterInsert) AfterInsert(this);
    DoAfterScroll();
}

void TDataSet::restoreSavedRecord() {
    editBuffer_.clear();
    current_ = savedRow_;
    hasRecord_ = savedHasRecord_;
    bof_ = savedBof_;
    eof_ = savedEof_;
    savedRow_ = TRow();
}

void TDataSet::endInsertAborted() {
    restoreSavedRecord();
    modified_ = false;
    SetState(dsBrowse);
    pointBuffers();
    calculateFields(true);
    DataEvent(deDataSetChange);
}

void TDataSet::Post() {
    CheckActive();
    UpdateRecord();
    DataEvent(deCheckBrowseMode);
    TRow row;
    try {
        if (BeforePost) BeforePost(this);
        if (state_ != dsEdit && state_ != dsInsert) return;  // a handler ended the edit
        for (TField* f : fields_) {
            if (f->column_ < 0 || !f->required_ || f->dataType_ == ftAutoInc) continue;
            const QVariant& v = editBuffer_[f->column_];
            const bool missing =
                isNullValue(v) || (IsStringType(f->dataType_) && v.toString().isEmpty());
            if (missing) throw EDatabaseError::make(DbError::FieldRequired, f->DisplayName());
        }
        // The cursor works on a copy: a failure leaves the edit buffer intact.
        row.values = editBuffer_;
        if (state_ == dsInsert) {
            cursor_->insertRow(row);
        } else {
            row.identity = current_.identity;
            cursor_->updateRow(current_, row);
            unlockQuietly(cursor_.get(), current_);
        }
    } catch (...) {
        if (OnPostError) OnPostError(this);
        throw;
    }
    const bool edicion = state_ == dsEdit;
    const QVariant antes = current_.identity;
    editBuffer_.clear();
    savedRow_ = TRow();
    setCurrent(row);
    if (edicion) RowRewritten(antes, current_);
    cursorOnCurrent_ = true;
    bof_ = eof_ = false;
    modified_ = false;
    SetState(dsBrowse);
    calculateFields(true);
    DataEvent(deDataSetChange);
    if (AfterPost) AfterPost(this);
}

TDataSet::TEditSnapshot TDataSet::SnapshotEdit() const {
    TEditSnapshot s;
    if (state_ != dsEdit && state_ != dsInsert) return s;
    s.state = state_;
    s.buffer = editBuffer_;
    s.current = current_;
    s.saved = savedRow_;
    s.hasRecord = hasRecord_;
    s.bof = bof_;
    s.eof = eof_;
    s.savedHasRecord = savedHasRecord_;
    s.savedBof = savedBof_;
    s.savedEof = savedEof_;
    s.modified = modified_;
    return s;
}

void TDataSet::RestoreEdit(const TEditSnapshot& s) {
    if ((s.state != dsEdit && s.state != dsInsert) || !Active() || !cursor_) return;
    if (state_ == dsEdit) unlockQuietly(cursor_.get(), current_);
    // The undone post's row stands again as it was read.
    if (s.state == dsEdit) RowRewritten(current_.identity, s.current);
    // The cursor may hold the row the undone post wrote.
    cursorOnCurrent_ = false;
    cursor_->refresh();
    current_ = s.current;
    hasRecord_ = s.hasRecord;
    bof_ = s.bof;
    eof_ = s.eof;
    savedRow_ = s.saved;
    savedHasRecord_ = s.savedHasRecord;
    savedBof_ = s.savedBof;
    savedEof_ = s.savedEof;
    editBuffer_ = s.buffer;
    modified_ = s.modified;
    if (s.state == dsEdit) cursor_->resumeLock(current_);
    try {
        SetState(s.state);
        pointBuffers();
        calculateFields(true);
        DataEvent(deDataSetChange);
    } catch (const std::exception&) {
        // A lookup on a connection still down: shown when next read.
        state_ = s.state;
        pointBuffers();
    }
}

void TDataSet::Cancel() {
    if (state_ == dsSetKey) {
        EndKeyBuffer();
        return;
    }
    if (state_ != dsEdit && state_ != dsInsert) return;
    DataEvent(deCheckBrowseMode);
    if (BeforeCancel) BeforeCancel(this);
    if (state_ == dsInsert) {
        restoreSavedRecord();
    } else if (state_ == dsEdit) {
        unlockQuietly(cursor_.get(), current_);
        editBuffer_.clear();
    } else {
        return;  // a handler ended the edit
    }
    modified_ = false;
    SetState(dsBrowse);
    pointBuffers();
    calculateFields(true);
    DataEvent(deDataSetChange);
    if (AfterCancel) AfterCancel(this);
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (state_ == dsSetKey) EndKeyBuffer();
    if (!hasRecord_) throw EDatabaseError::make(DbError::EmptyDataSet);
    CheckCanModify();
    DataEvent(deCheckBrowseMode);
    TRow old;
    const QVariant fila = current_.identity;
    try {
        if (BeforeDelete) BeforeDelete(this);
        backToRow(fila);
        DoBeforeScroll();
        if (current_.identity != fila) throw EDatabaseError::make(DbError::RecordDeleted);
        old = current_;
        cursor_->deleteRow(old);
    } catch (...) {
        if (OnDeleteError) OnDeleteError(this);
        throw;
    }
    if (state_ == dsEdit) {
        unlockQuietly(cursor_.get(), old);
        editBuffer_.clear();
    }
    modified_ = false;
    state_ = dsBrowse;
    TRow row;
    bool found = fetch(1, row);
    if (!found) found = fetch(-1, row);
    landOn(found, row);
    DataEvent(deUpdateState);
    calculateFields(true);
    DataEvent(deDataSetChange);
    if (AfterDelete) AfterDelete(this);
    DoAfterScroll();
}

void TDataSet::ClearFields() {
    if (state_ != dsEdit && state_ != dsInsert) throw EDatabaseError::make(DbError::NotEditing);
    DataEvent(deCheckBrowseMode);
    for (QVariant& v : editBuffer_) v = QVariant();
    calculateFields(false);
    DataEvent(deRecordChange);
}

// ---------------------------------------------------------------------------
// Field writes

void TDataSet::setFieldValue(TField* f, QVariant value) {
    if (activeKey_) {
        const int i = f->index_;
        if (i < 0 || i >= activeKey_->values.size()) return;
        activeKey_->values[i] = std::move(value);
        activeKey_->assigned[i] = true;
        return;
    }
    const bool data = f->column_ >= 0;
    const bool calc = f->calcSlot_ >= 0;
    if (!data && !calc) throw EDatabaseError::make(DbError::NotEditing);
    switch (state_) {
        case dsEdit:
        case dsInsert:
            break;
        case dsCalcFields:
            if (calc) {
                calcBuffer_[f->calcSlot_] = std::move(value);
                return;
            }
            [[fallthrough]];
        default:
            throw EDatabaseError::make(DbError::NotEditing);
    }
    if (data && f->readOnly_)
        throw EDatabaseError(DbError::ReadOnly,
                             QStringLiteral("Field '%1' cannot be modified").arg(f->DisplayName()));
    QVector<QVariant>& buffer = data ? editBuffer_ : calcBuffer_;
    const int slot = data ? f->column_ : f->calcSlot_;
    if (f->OnValidate) {
        // OnValidate sees the new value; an exception keeps the old one.
        QVariant old = buffer[slot];
        buffer[slot] = std::move(value);
        try {
            f->OnValidate(f);
        } catch (...) {
            if ((state_ == dsEdit || state_ == dsInsert) && slot < buffer.size())
                buffer[slot] = std::move(old);
            throw;
        }
    } else {
        buffer[slot] = std::move(value);
    }
    if (data) {
        modified_ = true;
        calculateFields(false);
    }
    DataEvent(deFieldChange, f);
    if (f->OnChange) f->OnChange(f);
}

// ---------------------------------------------------------------------------
// Calculated and lookup fields: once per change of record and after a data
// field changes while editing; never on a read.

void TDataSet::calculateFields(bool recordChanged) {
    if (calcCount_ == 0 || calculating_) return;
    if (recordChanged)
        for (LookupCache& c : lookupCache_) c.valid = false;
    for (QVariant& v : calcBuffer_) v = QVariant();
    if (state_ == dsBrowse && !hasRecord_) return;
    calculating_ = true;
    const TDataSetState saved = state_;
    struct Restore {
        TDataSet* ds;
        TDataSetState state;
        ~Restore() {
            ds->state_ = state;
            ds->calculating_ = false;
        }
    } restore{this, saved};
    for (TField* f : fields_) {
        if (f->fieldKind_ != fkLookup) continue;
        TDataSet* other = f->lookupDataSet_;
        if (!other || !other->Active() || f->keyFields_.isEmpty()) continue;
        QVariantList key;
        for (TField* k : fieldList(f->keyFields_)) key.append(k->Value());
        LookupCache& cache = lookupCache_[f->calcSlot_];
        if (!cache.valid || cache.key != key) {
            cache.key = key;
            cache.result =
                other->Lookup(f->lookupKeyFields_, key.size() == 1 ? key.first() : QVariant(key),
                              f->lookupResultField_);
            cache.valid = true;
        }
        calcBuffer_[f->calcSlot_] = TField::Coerce(cache.result, f->dataType_, f->size_);
    }
    if (OnCalcFields) {
        state_ = dsCalcFields;
        OnCalcFields(this);
    }
}

// ---------------------------------------------------------------------------
// Key buffers

void TDataSet::BeginKeyBuffer(int which, bool clear) {
    CheckBrowseMode();
    KeyBuffer& k = keyBuffers_[which];
    const int n = fields_.Count();
    if (clear || k.values.size() != n) {
        k.values = QVector<QVariant>(n);
        k.assigned = QVector<bool>(n, false);
    }
    activeKey_ = &k;
    SetState(dsSetKey);
}

void TDataSet::EndKeyBuffer() {
    activeKey_ = nullptr;
    if (state_ == dsSetKey) SetState(dsBrowse);
}

QVector<QVariant> TDataSet::KeyBufferValues(int which) const {
    const KeyBuffer& k = keyBuffers_[which];
    return k.values.size() == fields_.Count() ? k.values : QVector<QVariant>(fields_.Count());
}

QVector<bool> TDataSet::KeyBufferAssigned(int which) const {
    const KeyBuffer& k = keyBuffers_[which];
    return k.assigned.size() == fields_.Count() ? k.assigned
                                                : QVector<bool>(fields_.Count(), false);
}
