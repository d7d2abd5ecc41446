#include "db/table.h"

#include "db/database.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/tablecursor.h"

namespace {

[[noreturn]] void fieldIndexError() {
    throw EDatabaseError(DbError::General, QStringLiteral("Field index out of range"));
}

int fieldPosition(const TFieldDefs& fields, const QString& name) {
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].Name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QStringList splitFields(const QString& names) {
    QStringList out;
    for (const QString& n : names.split(QLatin1Char(';'))) {
        const QString t = n.trimmed();
        if (!t.isEmpty()) out << t;
    }
    return out;
}

bool sameFieldList(const QStringList& a, const QStringList& b) {
    if (a.size() != b.size()) return false;
    for (int i = 0; i < a.size(); ++i)
        if (a[i].compare(b[i], Qt::CaseInsensitive) != 0) return false;
    return true;
}

struct ResolvedIndex {
    QVector<TTableCursor::IndexColumn> columns;
    QStringList names;  // the fields' catalog spelling
};

void addColumns(ResolvedIndex& r, const TFieldDefs& fields, const QStringList& names,
                const TIndexDef* def) {
    const QStringList desc = def ? splitFields(def->DescFields) : QStringList();
    for (const QString& n : names) {
        const int pos = fieldPosition(fields, n);
        if (pos < 0) throw EDatabaseError::make(DbError::FieldNotFound, n);
        TTableCursor::IndexColumn c;
        c.field = pos;
        if (def) {
            c.caseInsensitive = def->Options & ixCaseInsensitive;
            c.descending = (def->Options & ixDescending) &&
                           (desc.isEmpty() || desc.contains(n, Qt::CaseInsensitive));
        }
        r.columns << c;
        r.names << fields[pos].Name;
    }
}

ResolvedIndex resolveIndex(const QString& table, const TFieldDefs& fields,
                           const TIndexDefList& indexes, const QString& indexName,
                           const QString& fieldNames) {
    ResolvedIndex r;
    const QStringList wanted = splitFields(fieldNames);
    if (!wanted.isEmpty()) {
        // No index is needed; one on the same fields lends its order options.
        const TIndexDef* def = nullptr;
        for (const TIndexDef& d : indexes)
            if (sameFieldList(d.FieldList(), wanted)) {
                def = &d;
                break;
            }
        addColumns(r, fields, wanted, def);
        return r;
    }
    const QString normalized = TIndexDefList::NormalizedName(table, indexName);
    int i = indexes.IndexOf(indexName);
    if (i < 0) {
        // A table without a key walks in its stored order.
        if (normalized.isEmpty()) return r;
        throw EDatabaseError::make(DbError::IndexNotFound, QString(), indexName);
    }
    addColumns(r, fields, indexes[i].FieldList(), &indexes[i]);
    return r;
}

QString baseTableName(const QString& table) {
    return table.section(QLatin1Char('.'), -1);
}

}  // namespace

// ------------------------------------------------------------ definitions

void TFieldDefList::Add(const QString& name, TFieldType type, int size, bool required) {
    TFieldDef d;
    d.Name = name;
    d.DataType = type;
    d.Size = size;
    d.Required = required;
    append(d);
}

int TFieldDefList::IndexOf(const QString& name) const {
    return fieldPosition(*this, name);
}

const TFieldDef& TFieldDefList::Find(const QString& name) const {
    const int i = IndexOf(name);
    if (i < 0) throw EDatabaseError::make(DbError::FieldNotFound, name);
    return at(i);
}

void TIndexDefList::Add(const QString& name, const QString& fields, int options,
                        const QString& descFields) {
    TIndexDef d;
    d.Name = name;
    d.Fields = fields;
    d.Options = options;
    d.DescFields = descFields;
    append(d);
}

QString TIndexDefList::NormalizedName(const QString& table, const QString& name) {
    QString n = name.trimmed();
    const QStringList prefixes{table + QLatin1Char('_'), baseTableName(table) + QLatin1Char('_')};
    for (const QString& prefix : prefixes) {
        if (prefix.size() > 1 && n.startsWith(prefix, Qt::CaseInsensitive)) {
            n = n.mid(prefix.size());
            break;
        }
    }
    return IsPrimaryName(n) ? QString() : n;
}

bool TIndexDefList::IsPrimaryName(const QString& n) {
    return n.isEmpty() || n.compare(QLatin1String("<Primary>"), Qt::CaseInsensitive) == 0 ||
           n.compare(QLatin1String("Clave1"), Qt::CaseInsensitive) == 0 ||
           n.compare(QLatin1String("PRIMARY"), Qt::CaseInsensitive) == 0;
}

int TIndexDefList::PrimaryIndex() const {
    for (int i = 0; i < size(); ++i)
        if (at(i).Options & ixPrimary) return i;
    for (int i = 0; i < size(); ++i)
        if (!at(i).Name.trimmed().isEmpty() && NormalizedName(table_, at(i).Name).isEmpty())
            return i;
    return -1;
}

int TIndexDefList::IndexOf(const QString& name) const {
    const QString n = NormalizedName(table_, name);
    if (n.isEmpty()) return PrimaryIndex();
    for (int i = 0; i < size(); ++i)
        if (!(at(i).Options & ixPrimary) &&
            NormalizedName(table_, at(i).Name).compare(n, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const TIndexDef& TIndexDefList::Find(const QString& name) const {
    const int i = IndexOf(name);
    if (i < 0) throw EDatabaseError::make(DbError::IndexNotFound, QString(), name);
    return at(i);
}

// ------------------------------------------------------------ master link

class TTable::MasterLink : public TDataLink {
public:
    explicit MasterLink(TTable* table) : table_(table) {}

protected:
    void ActiveChanged() override { table_->masterChanged(); }
    // Field edits on the master leave the detail alone; a change of record
    // (or a posted key) moves it.
    void RecordChanged(TField* field) override {
        if (!field) table_->masterChanged();
    }

private:
    TTable* table_;
};

// ------------------------------------------------------------ TTable

TTable::TTable(QObject* parent) : TDBDataSet(parent), masterLink_(new MasterLink(this)) {}

TTable::~TTable() {
    CloseOnDestroy();
    masterLink_->setDataSource(nullptr);
}

TTableCursor* TTable::tableCursor() const {
    return static_cast<TTableCursor*>(Cursor());
}

void TTable::setTableName(const QString& name) {
    CheckInactive();
    tableName_ = name;
    indexDefs_.table_ = name;
}

void TTable::readCatalog(TDatabase* db) {
    const TFieldDefs cols = db->ColumnDefs(tableName_);
    const TIndexDefs idx = db->IndexDefs(tableName_);
    fieldDefs_.clear();
    fieldDefs_.append(cols);
    indexDefs_.clear();
    indexDefs_.append(idx);
    indexDefs_.table_ = tableName_;
}

void TTable::UpdateFieldDefs() {
    TDatabase* db = Database();
    const TFieldDefs cols = db->ColumnDefs(tableName_);
    fieldDefs_.clear();
    fieldDefs_.append(cols);
}

void TTable::UpdateIndexDefs() {
    TDatabase* db = Database();
    const TIndexDefs idx = db->IndexDefs(tableName_);
    indexDefs_.clear();
    indexDefs_.append(idx);
    indexDefs_.table_ = tableName_;
}

std::unique_ptr<TCursor> TTable::CreateCursor() {
    if (tableName_.trimmed().isEmpty())
        throw EDatabaseError(DbError::General, QStringLiteral("Missing TableName property"));
    TDatabase* db = OpenDatabase();
    // Never a user's view or foreign table put in place of one of ours.
    db->CheckProgramTables({tableName_});
    TIndexDefList indexes;
    indexes.table_ = tableName_;
    const TFieldDefs cols = db->ColumnDefs(tableName_);  // TableNotFound
    indexes.append(db->IndexDefs(tableName_));
    const ResolvedIndex ri = resolveIndex(tableName_, cols, indexes, indexName_, indexFieldNames_);
    if (masterFieldList().size() > ri.names.size()) fieldIndexError();

    QVector<int> primaryKey;
    const int p = indexes.PrimaryIndex();
    if (p >= 0)
        for (const QString& f : indexes[p].FieldList()) {
            const int pos = fieldPosition(cols, f);
            if (pos >= 0) primaryKey << pos;
        }
    auto cursor = std::make_unique<TTableCursor>(db, tableName_, cols, primaryKey, ReadOnly());
    cursor->setPageSize(pageInitial_, pageMaximum_);
    cursor->setIndex(ri.columns);
    fieldDefs_.clear();
    fieldDefs_.append(cols);
    indexDefs_ = indexes;
    activeIndexFields_ = ri.names;
    applyMaster(cursor.get());
    applyRangeTo(cursor.get());
    return cursor;
}

void TTable::InternalClose() {
    masterActive_ = false;
    masterEmpty_ = false;
    masterValues_.clear();
    editingKey_ = -1;
}

TRowAsRead TTable::RowAsRead() const {
    TRowAsRead r;
    if (!Active() || IsEmpty() || State() == dsInsert) return r;
    r.databaseName = DatabaseName();
    r.tableName = tableName_;
    r.row = CurrentRow();
    r.source = const_cast<TTable*>(this);
    std::erase_if(handedOut_, [](const std::weak_ptr<TRow>& w) { return w.expired(); });
    auto latest = std::make_shared<TRow>(r.row);
    handedOut_.push_back(latest);
    r.latest = std::move(latest);
    return r;
}

void TTable::RowRewritten(const QVariant& before, const TRow& row) {
    std::erase_if(handedOut_, [&](const std::weak_ptr<TRow>& w) {
        const std::shared_ptr<TRow> r = w.lock();
        if (r && r->identity == before) *r = row;
        return !r;
    });
}

void TTable::CheckUnchanged(const TRowAsRead& asRead) {
    CheckActive();
    // No row was there when it was looked for.
    if (!asRead.row.identity.isValid())
        throw EDatabaseError::make(DbError::RecordDeleted, QString(), tableName_);
    // A row of another table, or one read before a change of its columns,
    // cannot be the record this one holds.
    if (asRead.tableName.compare(tableName_, Qt::CaseInsensitive) != 0 ||
        asRead.current().values.size() != tableCursor()->fieldDefs().size())
        throw EDatabaseError::make(DbError::RecordChanged, QString(), tableName_);
    tableCursor()->checkUnchanged(asRead.current());
}

void CheckRowAsRead(const TRowAsRead& asRead) {
    if (asRead.isEmpty()) return;
    if (TTable* source = asRead.source) {
        const TRowAsRead now = source->RowAsRead();
        if (!now.isEmpty() && now.row.identity == asRead.current().identity) {
            source->CheckUnchanged(now);
            return;
        }
    }
    TTable table;
    table.setDatabaseName(asRead.databaseName);
    table.setTableName(asRead.tableName);
    table.setPageSize(1, 1);
    table.Open();
    table.CheckUnchanged(asRead);
}

void TTable::setPageSize(int initial, int maximum) {
    pageInitial_ = initial;
    pageMaximum_ = maximum;
    if (Active()) tableCursor()->setPageSize(initial, maximum);
}

// ------------------------------------------------------------ index

void TTable::applyIndex(const QString& indexName, const QString& fieldNames) {
    if (!Active()) {
        indexName_ = indexName;
        indexFieldNames_ = fieldNames;
        return;
    }
    TTableCursor* cursor = tableCursor();
    const ResolvedIndex ri =
        resolveIndex(tableName_, cursor->fieldDefs(), indexDefs_, indexName, fieldNames);
    if (masterFieldList().size() > ri.names.size()) fieldIndexError();
    CheckBrowseMode();
    indexName_ = indexName;
    indexFieldNames_ = fieldNames;
    activeIndexFields_ = ri.names;
    // A range is on the fields of the index it was set for.
    rangeActive_ = false;
    cursor->setIndex(ri.columns);
    cursor->clearRange();
    applyMaster(cursor);
    Requery();
}

void TTable::setIndexName(const QString& name) {
    applyIndex(name, QString());
}

void TTable::setIndexFieldNames(const QString& names) {
    applyIndex(QString(), names);
}

TField* TTable::IndexFields(int i) const {
    if (i < 0 || i >= activeIndexFields_.size()) fieldIndexError();
    return FieldByName(activeIndexFields_[i]);
}

void TTable::GetIndexNames(QStringList& list) {
    if (!Active()) UpdateIndexDefs();
    list.clear();
    for (const TIndexDef& d : indexDefs_) list << d.Name;
}

// ------------------------------------------------------------ table DDL

bool TTable::Exists() {
    if (tableName_.trimmed().isEmpty()) return false;
    return Database()->TableExists(tableName_);
}

void TTable::CreateTable() {
    CheckInactive();
    TDatabase* db = Database();
    if (fieldDefs_.isEmpty())
        throw EDatabaseError(DbError::General, QStringLiteral("Missing field definitions"));
    indexDefs_.table_ = tableName_;
    const int p = indexDefs_.PrimaryIndex();
    QStringList primaryKey;
    for (const TIndexDef& d : indexDefs_)
        for (const QString& f : d.FieldList())
            if (fieldDefs_.IndexOf(f) < 0) throw EDatabaseError::make(DbError::FieldNotFound, f);
    if (p >= 0)
        for (const QString& f : indexDefs_[p].FieldList())
            primaryKey << fieldDefs_[fieldDefs_.IndexOf(f)].Name;
    db->CreateTable(tableName_, fieldDefs_, primaryKey,
                    baseTableName(tableName_) + QStringLiteral("_Clave1"));
    try {
        for (int i = 0; i < indexDefs_.size(); ++i) {
            if (i == p) continue;
            TIndexDef d = indexDefs_[i];
            d.Name = TIndexDefList::NormalizedName(tableName_, d.Name);
            if (d.Name.isEmpty()) d.Name = QStringLiteral("Clave%1").arg(i + 1);
            db->CreateIndex(tableName_, d);
        }
    } catch (...) {
        // Half a table is worse than none.
        try {
            db->DropTableIfExists(tableName_);
        } catch (...) {
        }
        throw;
    }
}

void TTable::DeleteTable() {
    CheckInactive();
    TDatabase* db = Database();
    if (tableName_.trimmed().isEmpty() || !db->TableExists(tableName_))
        throw EDatabaseError::make(DbError::TableNotFound, QString(), tableName_);
    db->DropTableIfExists(tableName_);
}

void TTable::EmptyTable() {
    if (Active()) CheckBrowseMode();
    TDatabase* db = Database();
    if (tableName_.trimmed().isEmpty() || !db->TableExists(tableName_))
        throw EDatabaseError::make(DbError::TableNotFound, QString(), tableName_);
    db->Execute(db->dialect().deleteAll(db->dialect().quoteIdentifier(tableName_)));
    if (Active()) Requery();
}

// ------------------------------------------------------------ searching

bool TTable::search(const QVector<QVariant>& values, bool nearest) {
    CheckActive();
    CheckBrowseMode();
    DoBeforeScroll();
    TRow row;
    const bool found = tableCursor()->findKey(
        values, nearest, [this](const TRow& r) { return RowPassesFilter(r); }, row);
    if (found) {
        Resync(row);
        return true;
    }
    if (nearest) Last();
    return false;
}

bool TTable::FindKey(const QVariantList& values) {
    CheckActive();
    if (values.isEmpty() || values.size() > IndexFieldCount()) fieldIndexError();
    return search(values, false);
}

void TTable::FindNearest(const QVariantList& values) {
    CheckActive();
    if (values.size() > IndexFieldCount()) fieldIndexError();
    search(values, true);
}

void TTable::beginKey(int which, bool clear) {
    CheckActive();
    if (State() != dsSetKey) CheckBrowseMode();
    BeginKeyBuffer(which, clear);
    editingKey_ = which;
    if (clear) {
        keyFieldCount_[which] = 0;
        keyExclusive_[which] = false;
    }
}

void TTable::SetKey() {
    beginKey(0, true);
}
void TTable::EditKey() {
    beginKey(0, false);
}
void TTable::SetRangeStart() {
    beginKey(1, true);
}
void TTable::SetRangeEnd() {
    beginKey(2, true);
}
void TTable::EditRangeStart() {
    beginKey(1, false);
}
void TTable::EditRangeEnd() {
    beginKey(2, false);
}

int TTable::KeyFieldCount() const {
    return keyFieldCount_[editingKey_ < 0 ? 0 : editingKey_];
}

void TTable::setKeyFieldCount(int count) {
    keyFieldCount_[editingKey_ < 0 ? 0 : editingKey_] = std::max(0, count);
}

bool TTable::KeyExclusive() const {
    return keyExclusive_[editingKey_ < 0 ? 0 : editingKey_];
}

void TTable::setKeyExclusive(bool exclusive) {
    keyExclusive_[editingKey_ < 0 ? 0 : editingKey_] = exclusive;
}

// The values of a key buffer for the index fields from `offset`: the leading
// assigned ones, or KeyFieldCount fields counted from the index's first.
QVector<QVariant> TTable::keyValues(int which, int offset) const {
    const QVector<QVariant> values = KeyBufferValues(which);
    const QVector<bool> assigned = KeyBufferAssigned(which);
    const int count = keyFieldCount_[which];
    const int limit =
        count > 0 ? std::min<int>(count, activeIndexFields_.size()) : activeIndexFields_.size();
    QVector<QVariant> out;
    for (int i = offset; i < limit; ++i) {
        TField* f = FindField(activeIndexFields_[i]);
        const int idx = f && f->FieldKind() == fkData ? f->Index() : -1;
        const bool isSet = idx >= 0 && idx < assigned.size() && assigned[idx];
        if (!isSet && count == 0) break;
        out << (isSet ? values[idx] : QVariant());
    }
    return out;
}

bool TTable::GotoKey() {
    CheckActive();
    if (State() == dsSetKey) EndKeyBuffer();
    editingKey_ = -1;
    return search(keyValues(0, 0), false);
}

void TTable::GotoNearest() {
    CheckActive();
    if (State() == dsSetKey) EndKeyBuffer();
    editingKey_ = -1;
    search(keyValues(0, 0), true);
}

// ------------------------------------------------------------ ranges

void TTable::applyRangeTo(TTableCursor* cursor) {
    if (rangeActive_)
        cursor->setRange(rangeStart_.values, rangeStart_.exclusive, rangeEnd_.values,
                         rangeEnd_.exclusive);
    else
        cursor->clearRange();
}

void TTable::ApplyRange() {
    CheckActive();
    if (State() == dsSetKey) EndKeyBuffer();
    editingKey_ = -1;
    CheckBrowseMode();
    const int offset = masterActive_ ? masterValues_.size() : 0;
    rangeStart_ = Bound{keyValues(1, offset), keyExclusive_[1]};
    rangeEnd_ = Bound{keyValues(2, offset), keyExclusive_[2]};
    rangeActive_ = true;
    applyRangeTo(tableCursor());
    Requery();
}

void TTable::SetRange(const QVariantList& start, const QVariantList& end) {
    CheckActive();
    const int offset = masterActive_ ? masterValues_.size() : 0;
    if (offset + std::max(start.size(), end.size()) > IndexFieldCount()) fieldIndexError();
    // The key buffers get what converts (EditRangeStart edits them); the
    // range itself keeps the values as given, which SQL compares sanely
    // whatever their type.
    for (int which : {1, 2}) {
        beginKey(which, true);
        const QVariantList& vals = which == 1 ? start : end;
        for (int i = 0; i < vals.size(); ++i) {
            try {
                FieldByName(activeIndexFields_[offset + i])->setValue(vals[i]);
            } catch (const EDatabaseError&) {
            }
        }
    }
    EndKeyBuffer();
    editingKey_ = -1;
    CheckBrowseMode();
    rangeStart_ = Bound{QVector<QVariant>(start.begin(), start.end()), false};
    rangeEnd_ = Bound{QVector<QVariant>(end.begin(), end.end()), false};
    rangeActive_ = true;
    applyRangeTo(tableCursor());
    Requery();
}

void TTable::CancelRange() {
    rangeActive_ = false;
    rangeStart_ = rangeEnd_ = Bound();
    if (!Active()) return;
    CheckBrowseMode();
    tableCursor()->clearRange();
    Requery();
}

// ------------------------------------------------------------ master-detail

void TTable::setMasterSource(TDataSource* source) {
    if (source && source->DataSet() == this)
        throw EDatabaseError(DbError::General,
                             QStringLiteral("Circular datalinks are not allowed"));
    masterSource_ = source;
    masterLink_->setDataSource(source);
    masterChanged();
}

void TTable::setMasterFields(const QString& fields) {
    if (Active() && splitFields(fields).size() > IndexFieldCount()) fieldIndexError();
    masterFields_ = fields;
    masterChanged();
}

QStringList TTable::masterFieldList() const {
    return masterSource_ ? splitFields(masterFields_) : QStringList();
}

// False when no master applies (no source, no fields, master closed).
bool TTable::masterValues(QVector<QVariant>& values, bool& empty) const {
    values.clear();
    empty = false;
    const QStringList names = masterFieldList();
    TDataSet* master = masterSource_ ? masterSource_->DataSet() : nullptr;
    if (names.isEmpty() || !master || !master->Active()) return false;
    empty = master->IsEmpty() && master->State() != dsInsert;
    for (const QString& n : names) values << master->FieldByName(n)->Value();
    return true;
}

void TTable::applyMaster(TTableCursor* cursor) {
    masterActive_ = masterValues(masterValues_, masterEmpty_);
    cursor->setMaster(masterActive_, masterEmpty_, masterValues_);
}

void TTable::masterChanged() {
    if (!Active()) return;
    QVector<QVariant> values;
    bool empty = false;
    const bool active = masterValues(values, empty);
    if (active == masterActive_ && empty == masterEmpty_ && values == masterValues_) return;
    CheckBrowseMode();
    applyMaster(tableCursor());
    // The explicit range follows the fields after the master's.
    applyRangeTo(tableCursor());
    Requery();
}

void TTable::DoOnNewRecord() {
    // A new detail line belongs to the master's current record.
    if (masterActive_ && !masterEmpty_) {
        for (int i = 0; i < masterValues_.size() && i < activeIndexFields_.size(); ++i)
            if (TField* f = FindField(activeIndexFields_[i])) f->setValue(masterValues_[i]);
    }
    TDBDataSet::DoOnNewRecord();
}
