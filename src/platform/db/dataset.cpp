#include "db/dataset.h"
#include <algorithm>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/filter.h"

namespace {

const QVariant kNullValue;

inline bool isNullValue(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

// Types a persistent field may declare for a column of another type.
int typeGroup(TFieldType t) {
    if (IsStringType(t)) return 1;
    if (IsIntegerType(t) || IsFloatType(t)) return 2;
    if (IsDateTimeType(t)) return 3;
    if (t == ftBoolean) return 4;
    if (IsBlobType(t)) return 5;
    return 0;
}

}  // namespace

TDataSet::TDataSet(QObject* parent) : QObject(parent) {
    connect(this, &QObject::objectNameChanged, this, [this] {
        for (TField* f : fields_) f->updateObjectName();
        for (TField* f : defaultPool_) f->updateObjectName();
    });
}

TDataSet::~TDataSet() {
    // Subclasses close their cursor in their own destructor; whatever is left
    // goes without events: the handlers' owners may be gone already.
    state_ = dsInactive;
    recordValues_ = nullptr;
    cursor_.reset();
    const QList<TDataSource*> sources = dataSources_;
    for (TDataSource* s : sources) s->setDataSet(nullptr);
}

// ---------------------------------------------------------------------------
// Opening and closing

void TDataSet::setActive(bool active) {
    if (active)
        Open();
    else
        Close();
}

void TDataSet::Open() {
    if (Active()) return;
    if (BeforeOpen) BeforeOpen(this);
    cursor_ = CreateCursor();
    try {
        bindFields();
        if (!filterText_.isEmpty()) bindFilter(filterText_, filtered_, nullptr);
        state_ = dsBrowse;
        pointBuffers();
        TRow row;
        if (fetch(0, row))
            setCurrent(row);
        else
            setNoCurrent();
        bof_ = true;
        eof_ = !hasRecord_;
        modified_ = false;
        calculateFields(true);
    } catch (...) {
        state_ = dsInactive;
        recordValues_ = nullptr;
        cursor_.reset();
        filter_.reset();
        current_ = TRow();
        hasRecord_ = false;
        InternalClose();
        throw;
    }
    DataEvent(deUpdateState);
    if (AfterOpen) AfterOpen(this);
    if (hasRecord_) DoAfterScroll();
}

void TDataSet::Close() {
    if (!Active()) return;
    if (BeforeClose) BeforeClose(this);
    if (state_ == dsEdit && cursor_) {
        try {
            cursor_->unlockRow(current_);
        } catch (const EDatabaseError&) {
            // The row is being left anyway; a lost lock cannot be kept.
        }
    }
    releaseCursor();
    InternalClose();
    DataEvent(deUpdateState);
    if (AfterClose) AfterClose(this);
}

void TDataSet::releaseCursor() {
    state_ = dsInactive;
    recordValues_ = nullptr;
    activeKey_ = nullptr;
    editBuffer_.clear();
    current_ = TRow();
    savedRow_ = TRow();
    hasRecord_ = false;
    bof_ = eof_ = true;
    modified_ = false;
    cursorOnCurrent_ = false;
    cursor_.reset();
    filter_.reset();
    if (persistent_.isEmpty()) {
        // Default fields stay alive (a form may hold them) for the next Open.
        for (TField* f : fields_)
            if (!defaultPool_.contains(f)) defaultPool_.append(f);
        fields_.clear();
    }
    for (TField* f : persistent_) f->column_ = -1;
}

void TDataSet::CloseOnDestroy() {
    if (!Active()) return;
    if (state_ == dsEdit && cursor_) {
        try {
            cursor_->unlockRow(current_);
        } catch (const EDatabaseError&) {
        }
    }
    releaseCursor();
}

TField* TDataSet::AddField(const QString& name, TFieldType type, int size, TFieldKind kind) {
    CheckInactive();
    for (TField* f : persistent_)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            throw EDatabaseError(DbError::General,
                                 QStringLiteral("Duplicate field name '%1'").arg(name));
    TField* f = new TField(this, name, type, size, kind);
    f->persistent_ = true;
    f->index_ = int(persistent_.size());
    persistent_.append(f);
    fields_.add(f);
    return f;
}

void TDataSet::moveField(TField* field, int index) {
    const int from = field->index_;
    if (from < 0 || from >= fields_.Count()) return;
    const int to = std::clamp(index, 0, fields_.Count() - 1);
    if (to == from) return;
    fields_.move(from, to);
    // Key buffers hold one value per field position: they follow the field.
    for (auto& k : keyBuffers_) {
        if (k.values.size() > std::max(from, to)) k.values.move(from, to);
        if (k.assigned.size() > std::max(from, to)) k.assigned.move(from, to);
    }
    DataEvent(deLayoutChange);
}

void TDataSet::bindFields() {
    const TFieldDefs defs = cursor_->fieldDefs();
    columnCount_ = int(defs.size());
    columnTypes_.resize(columnCount_);
    for (int i = 0; i < columnCount_; ++i) columnTypes_[i] = defs[i].DataType;
    emptyValues_ = QVector<QVariant>(columnCount_);

    if (!persistent_.isEmpty()) {
        for (TField* f : persistent_) {
            f->column_ = -1;
            if (f->fieldKind_ != fkData) continue;
            int col = -1;
            for (int i = 0; i < columnCount_; ++i)
                if (defs[i].Name.compare(f->fieldName_, Qt::CaseInsensitive) == 0) {
                    col = i;
                    break;
                }
            if (col < 0) throw EDatabaseError::make(DbError::FieldNotFound, f->fieldName_);
            const TFieldDef& d = defs[col];
            if (f->dataType_ == ftUnknown) {
                f->dataType_ = d.DataType;
                f->size_ = HasSize(d.DataType) ? d.Size : 0;
            } else if (typeGroup(f->dataType_) != typeGroup(d.DataType) &&
                       d.DataType != ftUnknown) {
                throw EDatabaseError::make(DbError::FieldTypeMismatch, f->fieldName_);
            } else if (f->size_ == 0 && HasSize(f->dataType_)) {
                f->size_ = d.Size;
            }
            if (d.Required) f->required_ = true;
            f->column_ = col;
        }
    } else {
        fields_.clear();
        for (int i = 0; i < columnCount_; ++i) {
            const TFieldDef& d = defs[i];
            TField* f = nullptr;
            for (int k = 0; k < defaultPool_.size(); ++k) {
                TField* p = defaultPool_[k];
                if (p->fieldName_ == d.Name && p->dataType_ == d.DataType) {
                    f = p;
                    defaultPool_.removeAt(k);
                    break;
                }
            }
            if (!f) f = new TField(this, d.Name, d.DataType, d.Size, fkData);
            f->size_ = HasSize(d.DataType) ? d.Size : 0;
            f->required_ = d.Required;
            f->column_ = i;
            f->index_ = i;
            fields_.add(f);
        }
    }
    int slot = 0;
    for (TField* f : fields_) f->calcSlot_ = f->fieldKind_ == fkData ? -1 : slot++;
    calcCount_ = slot;
    calcBuffer_ = QVector<QVariant>(calcCount_);
    lookupCache_ = QVector<LookupCache>(calcCount_);
    for (auto& k : keyBuffers_) k = KeyBuffer();
}

// ---------------------------------------------------------------------------
// Buffers and field access

void TDataSet::pointBuffers() {
    switch (state_) {
        case dsInactive:
            recordValues_ = nullptr;
            break;
        case dsEdit:
        case dsInsert:
            recordValues_ = &editBuffer_;
            break;
        case dsFilter:
            recordValues_ = filterRow_ ? &filterRow_->values : &emptyValues_;
            break;
        case dsCalcFields:
        case dsSetKey:
            break;
        case dsBrowse:
            recordValues_ = hasRecord_ ? &current_.values : &emptyValues_;
            break;
    }
}

const QVariant& TDataSet::fieldValue(const TField* f) const {
    if (activeKey_) {
        const int i = f->index_;
        return i >= 0 && i < activeKey_->values.size() ? activeKey_->values[i] : kNullValue;
    }
    if (!recordValues_) return kNullValue;
    if (f->column_ >= 0)
        return f->column_ < recordValues_->size() ? (*recordValues_)[f->column_] : kNullValue;
    if (f->calcSlot_ >= 0 && state_ != dsFilter) return calcBuffer_[f->calcSlot_];
    return kNullValue;
}

const QVariant& TDataSet::oldFieldValue(const TField* f) const {
    if (state_ == dsInsert || f->column_ < 0 || !hasRecord_) {
        return state_ == dsInsert ? kNullValue : fieldValue(f);
    }
    return current_.values[f->column_];
}

void TDataSet::setCurrent(const TRow& row) {
    current_ = row;
    if (current_.values.size() < columnCount_) current_.values.resize(columnCount_);
    hasRecord_ = true;
    pointBuffers();
}

void TDataSet::landOn(bool found, const TRow& row) {
    if (found) {
        setCurrent(row);
        cursorOnCurrent_ = true;
        bof_ = eof_ = false;
    } else {
        setNoCurrent();
    }
}

void TDataSet::setNoCurrent() {
    current_ = TRow();
    hasRecord_ = false;
    bof_ = eof_ = true;
    cursorOnCurrent_ = false;
    pointBuffers();
}

QVariant TDataSet::FieldValues(const QString& name) const {
    if (!name.contains(QLatin1Char(';'))) return FieldByName(name)->Value();
    QVariantList values;
    for (TField* f : fieldList(name)) values.append(f->Value());
    return values;
}

void TDataSet::setFieldValues(const QString& name, const QVariant& value) {
    if (!name.contains(QLatin1Char(';'))) {
        FieldByName(name)->setValue(value);
        return;
    }
    const QList<TField*> list = fieldList(name);
    const QVariantList values = value.toList();
    for (int i = 0; i < list.size(); ++i) list[i]->setValue(values.value(i));
}

QList<TField*> TDataSet::fieldList(const QString& names) const {
    QList<TField*> list;
    const QStringList parts = names.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& n : parts) list.append(FieldByName(n.trimmed()));
    return list;
}

// ---------------------------------------------------------------------------
// Navigation

bool TDataSet::fetch(int direction, TRow& row) {
    TCursor* c = cursor_.get();
    bool ok = false;
    switch (direction) {
        case 0:
            ok = c->first(row);
            break;
        case 2:
            ok = c->last(row);
            break;
        case 1:
            ok = c->next(row);
            break;
        default:
            ok = c->prior(row);
            break;
    }
    const bool forward = direction == 0 || direction == 1;
    while (ok && !RowPassesFilter(row)) ok = forward ? c->next(row) : c->prior(row);
    return ok;
}

bool TDataSet::ensureCursorOnCurrent() {
    if (cursorOnCurrent_ || !hasRecord_) return cursorOnCurrent_;
    TRow row;
    cursorOnCurrent_ = cursor_->seek(current_.identity, row);
    return cursorOnCurrent_;
}

void TDataSet::DoBeforeScroll() {
    if (BeforeScroll) BeforeScroll(this);
}

void TDataSet::DoAfterScroll() {
    if (AfterScroll) AfterScroll(this);
}

void TDataSet::First() {
    CheckBrowseMode();
    DoBeforeScroll();
    TRow row;
    if (fetch(0, row)) {
        setCurrent(row);
        cursorOnCurrent_ = true;
        eof_ = false;
    } else {
        setNoCurrent();
    }
    bof_ = true;
    calculateFields(true);
    DataEvent(deDataSetChange);
    DoAfterScroll();
}

void TDataSet::Last() {
    CheckBrowseMode();
    DoBeforeScroll();
    TRow row;
    if (fetch(2, row)) {
        setCurrent(row);
        cursorOnCurrent_ = true;
        bof_ = false;
    } else {
        setNoCurrent();
    }
    eof_ = true;
    calculateFields(true);
    DataEvent(deDataSetChange);
    DoAfterScroll();
}

void TDataSet::Next() {
    MoveBy(1);
}

void TDataSet::Prior() {
    MoveBy(-1);
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    DoBeforeScroll();
    int moved = 0;
    if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
        bof_ = eof_ = false;
        if (!ensureCursorOnCurrent()) {
            // The current row is gone: start again from the end we move away from.
            TRow row;
            if (fetch(distance > 0 ? 0 : 2, row)) {
                setCurrent(row);
                cursorOnCurrent_ = true;
                distance += distance > 0 ? -1 : 1;
                moved += distance > 0 ? 1 : -1;
            } else {
                setNoCurrent();
                distance = 0;
            }
        }
        TRow row;
        while (distance > 0) {
            if (!fetch(1, row)) {
                eof_ = true;
                cursorOnCurrent_ = false;
                break;
            }
            current_ = std::move(row);
            ++moved;
            --distance;
        }
        while (distance < 0) {
            if (!fetch(-1, row)) {
                bof_ = true;
                cursorOnCurrent_ = false;
                break;
            }
            current_ = std::move(row);
            --moved;
            ++distance;
        }
        if (moved != 0) {
            setCurrent(current_);
            calculateFields(true);
            DataEvent(deDataSetScroll, nullptr, moved);
        }
        DoAfterScroll();
    }
    return moved;
}

int TDataSet::RecordCount() {
    CheckActive();
    if (!filtered_ || (!filter_ && !OnFilterRecord)) return cursor_->recordCount();
    int n = 0;
    TRow row;
    for (bool ok = fetch(0, row); ok; ok = fetch(1, row)) ++n;
    cursorOnCurrent_ = false;
    return n;
}

void TDataSet::Resync(const TRow& row) {
    setCurrent(row);
    cursorOnCurrent_ = true;
    bof_ = eof_ = false;
    calculateFields(true);
    DataEvent(deDataSetChange);
    DoAfterScroll();
}

void TDataSet::Requery() {
    CheckBrowseMode();
    cursor_->refresh();
    cursorOnCurrent_ = false;
    First();
}

void TDataSet::BeginPass() {
    if (!Active()) return;
    CheckBrowseMode();
    if (cursor_->beginPass()) passMark_ = GetBookmark();
}

void TDataSet::EndPass() {
    if (!cursor_ || !cursor_->endPass()) return;
    const TBookmark mark = passMark_;
    passMark_ = TBookmark();
    cursorOnCurrent_ = false;
    First();
    if (!mark.IsNull() && BookmarkValid(mark)) GotoBookmark(mark);
}

TOnePass::TOnePass(TDataSet* dataSet) : ds_(dataSet) {
    if (ds_) ds_->BeginPass();
}

TOnePass::~TOnePass() {
    if (!ds_) return;
    try {
        ds_->EndPass();
    } catch (...) {
        // Perhaps unwinding: the dataset reads again when it is next moved.
    }
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    if (BeforeRefresh) BeforeRefresh(this);
    // The row after the current one, where to stand if the current is gone.
    QVariant nextIdentity;
    if (hasRecord_ && ensureCursorOnCurrent()) {
        TRow r;
        if (fetch(1, r)) nextIdentity = r.identity;
    }
    cursorOnCurrent_ = false;
    cursor_->refresh();
    TRow row;
    bool found = false;
    if (hasRecord_) {
        found = cursor_->seek(current_.identity, row) && RowPassesFilter(row);
        if (!found && nextIdentity.isValid())
            found = cursor_->seek(nextIdentity, row) && RowPassesFilter(row);
        if (!found) found = fetch(2, row);
    } else {
        found = fetch(0, row);
    }
    landOn(found, row);
    calculateFields(true);
    DataEvent(deDataSetChange);
    if (AfterRefresh) AfterRefresh(this);
}

void TDataSet::RereadRecord() {
    CheckActive();
    if (!hasRecord_ || state_ == dsInsert || (state_ == dsEdit && modified_) ||
        (state_ != dsBrowse && state_ != dsEdit))
        return;
    cursorOnCurrent_ = false;
    cursor_->refresh();
    TRow row;
    if (!cursor_->seek(current_.identity, row)) throw EDatabaseError::make(DbError::RecordDeleted);
    cursorOnCurrent_ = true;
    setCurrent(row);
    if (state_ == dsEdit) {
        editBuffer_ = current_.values;
        pointBuffers();
        // The lock follows the row's key where it moved with the row.
        cursor_->resumeLock(current_);
    }
    calculateFields(true);
    DataEvent(deDataSetChange);
}

// ---------------------------------------------------------------------------
// Bookmarks

TBookmark TDataSet::GetBookmark() const {
    if (!Active() || !hasRecord_ || state_ == dsInsert) return TBookmark();
    return TBookmark{current_.identity};
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
    CheckBrowseMode();
    DoBeforeScroll();
    TRow row;
    if (bookmark.IsNull() || !cursor_->seek(bookmark.identity, row)) {
        cursorOnCurrent_ = false;
        throw EDatabaseError::make(DbError::InvalidBookmark);
    }
    Resync(row);
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) {
    if (!Active() || bookmark.IsNull()) return false;
    TRow row;
    const bool valid = cursor_->seek(bookmark.identity, row);
    cursorOnCurrent_ = false;
    return valid;
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
    if (a.IsNull() || b.IsNull()) return a.IsNull() == b.IsNull() ? 0 : (a.IsNull() ? -1 : 1);
    if (a.identity == b.identity) return 0;
    const QPartialOrdering o = QVariant::compare(a.identity, b.identity);
    return o == QPartialOrdering::Less ? -1 : 1;
}

// ---------------------------------------------------------------------------
// Locate and Lookup

bool TDataSet::rowMatches(const TRow& row, const QList<TField*>& fields, const QVariantList& values,
                          TLocateOptions options) const {
    const Qt::CaseSensitivity cs =
        options & loCaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int i = 0; i < fields.size(); ++i) {
        const TField* f = fields[i];
        const QVariant& raw = f->column_ >= 0 ? row.values.value(f->column_) : kNullValue;
        const QVariant& want = i < values.size() ? values[i] : kNullValue;
        if (isNullValue(want)) {
            if (!isNullValue(raw)) return false;
            continue;
        }
        if (IsStringType(f->dataType_) || (options & loPartialKey)) {
            const QString have = TField::TextOf(raw, f->dataType_);
            const QString text =
                want.typeId() == QMetaType::QString
                    ? want.toString()
                    : TField::TextOf(TField::Coerce(want, f->dataType_, 0), f->dataType_);
            if (options & loPartialKey) {
                if (!have.startsWith(text, cs)) return false;
            } else if (have.compare(text, cs) != 0) {
                return false;
            }
            continue;
        }
        if (isNullValue(raw)) return false;
        const QVariant a = TField::Normalize(raw, f->dataType_);
        const QVariant b = TField::Coerce(want, f->dataType_, 0);
        if (a != b) return false;
    }
    return true;
}

bool TDataSet::LocateRow(const QList<TField*>& fields, const QVariantList& values,
                         TLocateOptions options, TRow& row) {
    TRow r;
    for (bool ok = fetch(0, r); ok; ok = fetch(1, r)) {
        if (rowMatches(r, fields, values, options)) {
            row = r;
            return true;
        }
    }
    return false;
}

static QVariantList keyValueList(const QVariant& values, int count) {
    if (count == 1) {
        if (values.typeId() == QMetaType::QVariantList && values.toList().size() == 1)
            return values.toList();
        return QVariantList{values};
    }
    return values.toList();
}

bool TDataSet::Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options) {
    CheckBrowseMode();
    const QList<TField*> fields = fieldList(keyFields);
    const QVariantList values = keyValueList(keyValues, int(fields.size()));
    DoBeforeScroll();
    TRow row;
    cursorOnCurrent_ = false;
    if (!LocateRow(fields, values, options, row)) return false;
    Resync(row);
    return true;
}

QVariant TDataSet::Lookup(const QString& keyFields, const QVariant& keyValues,
                          const QString& resultFields) {
    CheckActive();
    const QList<TField*> fields = fieldList(keyFields);
    const QList<TField*> results = fieldList(resultFields);
    const QVariantList values = keyValueList(keyValues, int(fields.size()));
    TRow row;
    cursorOnCurrent_ = false;
    if (!LocateRow(fields, values, 0, row)) return QVariant();
    auto valueOf = [&row](const TField* f) {
        return f->column_ >= 0 ? TField::Normalize(row.values.value(f->column_), f->dataType_)
                               : QVariant();
    };
    if (results.size() == 1) return valueOf(results.first());
    QVariantList list;
    for (TField* f : results) list.append(valueOf(f));
    return list;
}

// ---------------------------------------------------------------------------
// Filters

bool TDataSet::RowPassesFilter(const TRow& row) {
    if (!filtered_) return true;
    if (filter_ && !filter_->isEmpty()) {
        const bool ok = filter_->evaluate([this, &row](int column) {
            return TField::Normalize(row.values.value(column), columnTypes_.value(column));
        });
        if (!ok) return false;
    }
    if (!OnFilterRecord) return true;
    // OnFilterRecord reads the row under test through the fields.
    const TDataSetState saved = state_;
    const QVector<QVariant>* savedValues = recordValues_;
    KeyBuffer* savedKey = activeKey_;
    const TRow* savedRow = filterRow_;
    struct Restore {
        TDataSet* ds;
        TDataSetState state;
        const QVector<QVariant>* values;
        KeyBuffer* key;
        const TRow* row;
        ~Restore() {
            ds->state_ = state;
            ds->recordValues_ = values;
            ds->activeKey_ = key;
            ds->filterRow_ = row;
        }
    } restore{this, saved, savedValues, savedKey, savedRow};
    filterRow_ = &row;
    activeKey_ = nullptr;
    state_ = dsFilter;
    pointBuffers();
    bool accept = true;
    OnFilterRecord(this, accept);
    return accept;
}

void TDataSet::bindFilter(const QString& text, bool filtered, const std::function<void()>& apply) {
    std::unique_ptr<FilterExpression> expr;
    if (!text.trimmed().isEmpty()) {
        expr = std::make_unique<FilterExpression>(FilterExpression::parse(text));
        expr->bind(
            [this](const QString& name) {
                TField* f = FindField(name);
                return f ? f->column_ : -1;
            },
            [this](int column) { return columnTypes_.value(column, ftUnknown); });
    }
    // Nothing changes until the expression is known to be good.
    if (apply) apply();
    filter_ = std::move(expr);
    filterText_ = text;
    filtered_ = filtered;
}

void TDataSet::setFilter(const QString& text) {
    if (text == filterText_) return;
    if (!Active()) {
        filterText_ = text;
        return;
    }
    if (filtered_) {
        bindFilter(text, true, [this] { CheckBrowseMode(); });
        First();
    } else {
        bindFilter(text, false, nullptr);
    }
}

void TDataSet::setFiltered(bool filtered) {
    if (!Active()) {
        filtered_ = filtered;
        return;
    }
    if (filtered != filtered_) {
        if (filtered && !filter_ && !filterText_.trimmed().isEmpty()) {
            bindFilter(filterText_, true, [this] { CheckBrowseMode(); });
        } else {
            CheckBrowseMode();
            filtered_ = filtered;
        }
    }
    First();
}

// ---------------------------------------------------------------------------
// Data sources

void TDataSet::addDataSource(TDataSource* source) {
    if (!dataSources_.contains(source)) dataSources_.append(source);
}

void TDataSet::removeDataSource(TDataSource* source) {
    dataSources_.removeAll(source);
}

void TDataSet::DataEvent(TDataEvent event, TField* field, int info) {
    if (disableCount_ == 0) {
        const QList<TDataSource*> sources = dataSources_;
        for (TDataSource* s : sources)
            if (dataSources_.contains(s)) s->dataEvent(event, field, info);
    } else if ((event == deUpdateState && state_ == dsInactive) || event == deLayoutChange) {
        enableEvent_ = deLayoutChange;
    }
}

void TDataSet::DisableControls() {
    if (disableCount_++ == 0) {
        disableState_ = state_;
        enableEvent_ = deDataSetChange;
    }
}

void TDataSet::EnableControls() {
    if (disableCount_ == 0) return;
    if (--disableCount_ == 0) {
        if (disableState_ != state_) DataEvent(deUpdateState);
        if (disableState_ != dsInactive && state_ != dsInactive) DataEvent(enableEvent_);
    }
}

// ---------------------------------------------------------------------------
// Checks

void TDataSet::CheckActive() const {
    if (!Active()) throw EDatabaseError::make(DbError::ClosedDataSet);
}

void TDataSet::CheckInactive() const {
    if (Active()) throw EDatabaseError::make(DbError::OpenDataSet);
}

bool TDataSet::CanModify() const {
    return Active() && !readOnly_ && cursor_ && cursor_->canModify();
}

void TDataSet::CheckCanModify() const {
    if (!CanModify()) throw EDatabaseError::make(DbError::ReadOnly);
}

void TDataSet::setReadOnly(bool readOnly) {
    CheckInactive();
    readOnly_ = readOnly;
}

void TDataSet::SetState(TDataSetState state) {
    if (state_ == state) return;
    state_ = state;
    pointBuffers();
    DataEvent(deUpdateState);
}
