#include "db/clientdataset.h"

#include <QSqlQuery>
#include <algorithm>

#include "db/database.h"
#include "db/dberror.h"
#include "db/dialect.h"
#include "db/query.h"
#include "db/sqllexis.h"
#include "db/tablecursor.h"

// The rows in memory. A row's identity is its position in `rows`, which
// never changes; `order` lists the visible rows in index order.
struct TClientDataSet::Store {
    struct Row {
        QVector<QVariant> values;
        QVector<QVariant> original;  // as loaded, while modified or deleted
        TUpdateStatus status = usUnmodified;
        bool gone = false;  // an inserted row deleted again, or merged away
        bool raw = false;   // values as read, until first used (`convert`)
    };
    TFieldDefs defs;
    std::vector<Row> rows;
    QVector<int> order;
    QVector<int> sortColumns;
    // The rows still to read (LoadFromQuery), `packet` at a time.
    std::unique_ptr<TRowSource> rest;
    int packet = 1;
    std::function<void(QVector<QVariant>&)> convert;
    // A pass (TDataSet::BeginPass), and the order entries held when it
    // began.
    TRowPass pass;
    int keptOrder = 0;

    // A row's values, in the fields' types.
    Row& row(int id) {
        Row& r = rows[id];
        if (r.raw) {
            convert(r.values);
            r.raw = false;
        }
        return r;
    }

    // Reads up to `count` more rows (all with -1) after the others; false
    // when there were none.
    bool readMore(int count) {
        const size_t before = rows.size();
        pass.Read(rest, [&] {
            ReadFromSource(rest, count, [this](QVector<QVariant>& values) {
                Row r;
                r.values = std::move(values);
                r.raw = true;
                rows.push_back(std::move(r));
                // Read rows come after every other: rows are only inserted,
                // or ordered by an index, once all are read.
                order.append(int(rows.size()) - 1);
            });
        });
        return rows.size() > before;
    }
    // In a pass, before reading more once every row is passed: the rows
    // read for it go when they are many. The position the next row read
    // takes in `order`.
    int letPassedGo() {
        if (pass.LetGo(rows.size(), rest)) {
            rows.resize(pass.Kept());
            order.resize(keptOrder);
        }
        return int(order.size());
    }
    void readAll() {
        while (rest) readMore(-1);
    }

    bool less(int a, int b) const {
        for (int c : sortColumns) {
            const QVariant& x = rows[a].values.value(c);
            const QVariant& y = rows[b].values.value(c);
            const bool xn = !x.isValid() || x.isNull(), yn = !y.isValid() || y.isNull();
            if (xn || yn) {
                if (xn != yn) return xn;
                continue;
            }
            int r;
            if (IsStringType(defs[c].DataType))
                r = x.toString().compare(y.toString());
            else if (IsIntegerType(defs[c].DataType) || IsFloatType(defs[c].DataType))
                r = x.toDouble() < y.toDouble() ? -1 : (x.toDouble() > y.toDouble() ? 1 : 0);
            else {
                const QPartialOrdering o = QVariant::compare(x, y);
                r = o == QPartialOrdering::Less ? -1 : (o == QPartialOrdering::Greater ? 1 : 0);
            }
            if (r != 0) return r < 0;
        }
        return false;
    }
    void rebuildOrder() {
        if (!sortColumns.isEmpty())
            for (int i = 0; i < int(rows.size()); ++i) row(i);
        order.clear();
        for (int i = 0; i < int(rows.size()); ++i)
            if (!rows[i].gone && rows[i].status != usDeleted) order.append(i);
        if (!sortColumns.isEmpty())
            std::stable_sort(order.begin(), order.end(),
                             [this](int a, int b) { return less(a, b); });
    }
    // Puts row `id` where the index wants it (a new row at the end without one).
    int place(int id) {
        const int at = int(order.indexOf(id));
        if (sortColumns.isEmpty() && at >= 0) return at;  // no index: rows keep their place
        if (at >= 0) order.removeAt(at);
        auto it = sortColumns.isEmpty()
                      ? order.end()
                      : std::upper_bound(order.begin(), order.end(), id,
                                         [this](int a, int b) { return less(a, b); });
        const int pos = int(it - order.begin());
        order.insert(pos, id);
        return pos;
    }
};

namespace {

class SkippingSource : public TRowSource {
public:
    SkippingSource(Reopen reopen, size_t skip, std::function<void(QVector<QVariant>&)> convert)
        : reopen_(std::move(reopen)), skip_(skip), convert_(std::move(convert)) {}

    bool Read(int count, std::vector<QVector<QVariant>>& rows) override {
        if (!source_ && !ended_) {
            source_ = reopen_();
            if (waiting_) source_->KeepWaiting(true);
            std::vector<QVector<QVariant>> passed;
            while (skip_ > 0 && source_) {
                passed.clear();
                const int n = int(std::min<size_t>(skip_, 2000));
                if (!source_->Read(n, passed)) source_.reset();
                skip_ -= std::min(skip_, passed.size());
            }
        }
        if (!source_) {
            ended_ = true;
            return false;
        }
        const bool more = source_->Read(count, rows);
        if (!more) {
            source_.reset();
            ended_ = true;
        }
        return more;
    }
    std::function<void(QVector<QVariant>&)> Converter() const override { return convert_; }
    Reopen Reopener() const override { return reopen_; }
    void KeepWaiting(bool on) override {
        waiting_ = on;
        if (source_) source_->KeepWaiting(on);
    }

private:
    Reopen reopen_;
    size_t skip_;
    std::function<void(QVector<QVariant>&)> convert_;
    std::unique_ptr<TRowSource> source_;
    bool ended_ = false;
    bool waiting_ = false;
};

class MemoryCursor : public TCursor {
public:
    explicit MemoryCursor(std::shared_ptr<TClientDataSet::Store> store)
        : store_(std::move(store)) {}

    TFieldDefs fieldDefs() const override { return store_->defs; }
    bool first(TRow& row) override {
        pos_ = 0;
        if (store_->order.isEmpty()) store_->readMore(store_->packet);
        return deliver(row);
    }
    bool last(TRow& row) override {
        store_->pass.ReadToEnd([this] { store_->readAll(); });
        pos_ = int(store_->order.size()) - 1;
        return deliver(row);
    }
    bool next(TRow& row) override {
        if (pos_ < int(store_->order.size())) ++pos_;
        if (pos_ >= int(store_->order.size()) && store_->rest) {
            const int at = store_->letPassedGo();
            if (store_->readMore(store_->pass.ReadCount(store_->packet))) pos_ = at;
        }
        return deliver(row);
    }
    bool prior(TRow& row) override {
        if (pos_ >= 0) --pos_;
        return deliver(row);
    }
    bool seek(const QVariant& identity, TRow& row) override {
        const int id = identity.isValid() ? identity.toInt() : -1;
        // The position we stand near first: seeks mostly come back to it.
        const int n = int(store_->order.size());
        for (int k = 0; k < n; ++k) {
            const int p = (std::max(pos_, 0) + k) % n;
            if (store_->order[p] == id) {
                pos_ = p;
                return deliver(row);
            }
        }
        return false;
    }
    int recordCount() override {
        store_->pass.ReadToEnd([this] { store_->readAll(); });
        return int(store_->order.size());
    }
    bool canModify() const override { return true; }
    void insertRow(TRow& row) override {
        store_->readAll();  // a new row goes after every row of the result
        TClientDataSet::Store::Row r;
        r.values = row.values;
        r.status = usInserted;
        store_->rows.push_back(r);
        const int id = int(store_->rows.size()) - 1;
        row.identity = id;
        pos_ = store_->place(id);
    }
    void updateRow(const TRow& old, TRow& row) override {
        const int id = old.identity.toInt();
        auto& r = store_->row(id);
        if (r.status == usUnmodified) {
            r.original = r.values;
            r.status = usModified;
        }
        r.values = row.values;
        row.identity = id;
        pos_ = store_->place(id);
    }
    void deleteRow(const TRow& old) override {
        const int id = old.identity.toInt();
        auto& r = store_->row(id);
        if (r.status == usInserted) {
            r.gone = true;
        } else {
            if (r.status == usUnmodified) r.original = r.values;
            r.status = usDeleted;
        }
        const int p = int(store_->order.indexOf(id));
        store_->order.removeAt(p);
        pos_ = p - 1;  // next() gives the row that followed
    }
    void refresh() override {}

    bool beginPass() override {
        TClientDataSet::Store& s = *store_;
        if (!s.pass.Begin(s.rows.size(), s.rest.get())) return false;
        s.keptOrder = int(s.order.size());
        return true;
    }
    bool endPass() override {
        TClientDataSet::Store& s = *store_;
        if (!s.pass.End(s.rest, s.convert)) return false;
        s.rows.resize(s.pass.Kept());
        s.order.resize(s.keptOrder);
        pos_ = -1;
        return true;
    }
    bool incomplete() const override { return store_->pass.Incomplete(); }

private:
    bool deliver(TRow& row) {
        const int n = int(store_->order.size());
        if (pos_ < 0 || pos_ >= n) {
            pos_ = pos_ < 0 ? -1 : n;
            return false;
        }
        const int id = store_->order[pos_];
        row.values = store_->row(id).values;
        row.identity = id;
        return true;
    }

    std::shared_ptr<TClientDataSet::Store> store_;
    int pos_ = -1;
};

}  // namespace

// ------------------------------------------------------------ TRowPass

namespace {

// Rows read for a pass beyond those held when it began: they go when this
// many are passed, and are read this many at a time.
constexpr size_t kPassHeldRows = 2000;

}  // namespace

bool TRowPass::Begin(size_t held, TRowSource* rest, TRowSource::Reopen reopen) {
    if (passing_) return false;
    passing_ = true;
    letGo_ = false;
    kept_ = held;
    reopen_ = reopen ? std::move(reopen) : rest ? rest->Reopener() : TRowSource::Reopen();
    if (rest) rest->KeepWaiting(true);
    return true;
}

int TRowPass::ReadCount(int packet) const {
    return passing_ ? int(kPassHeldRows) : packet;
}

bool TRowPass::LetGo(size_t held, const std::unique_ptr<TRowSource>& rest) {
    if (!passing_ || !rest || held < kept_ + kPassHeldRows) return false;
    letGo_ = true;
    return true;
}

void TRowPass::Read(const std::unique_ptr<TRowSource>& rest, const std::function<void()>& read) {
    try {
        read();
    } catch (const EUserStatementCancelled&) {
        if (passing_) {
            letGo_ = true;
            throw;
        }
        if (!rest) cut();
    } catch (...) {
        if (passing_)
            letGo_ = true;
        else if (!rest)
            cut();
        throw;
    }
}

void TRowPass::ReadToEnd(const std::function<void()>& readAll) {
    const bool before = incomplete_;
    readAll();
    if (before)
        if (TUserStatementWait* wait = UserStatementWait()) wait->Incomplete();
}

void TRowPass::cut() {
    incomplete_ = true;
    if (TUserStatementWait* wait = UserStatementWait()) wait->Incomplete();
}

bool TRowPass::End(std::unique_ptr<TRowSource>& rest,
                   const std::function<void(QVector<QVariant>&)>& convert) {
    if (!passing_) return false;
    passing_ = false;
    if (rest) rest->KeepWaiting(false);
    TRowSource::Reopen reopen = std::move(reopen_);
    reopen_ = nullptr;
    if (!letGo_) return false;
    letGo_ = false;
    rest = reopen ? std::make_unique<SkippingSource>(std::move(reopen), kept_, convert) : nullptr;
    if (!rest) cut();  // the rows after those kept are gone for good
    return true;
}

TClientDataSet::TClientDataSet(QObject* parent) : TDataSet(parent) {}

TClientDataSet::~TClientDataSet() {
    CloseOnDestroy();
}

QVector<int> TClientDataSet::sortColumns(const QString& names) const {
    QVector<int> cols;
    for (const QString& name : names.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        int col = -1;
        for (int i = 0; i < store_->defs.size() && col < 0; ++i)
            if (store_->defs[i].Name.compare(name.trimmed(), Qt::CaseInsensitive) == 0) col = i;
        if (col < 0) throw EDatabaseError::make(DbError::FieldNotFound, name.trimmed());
        cols.append(col);
    }
    return cols;
}

std::unique_ptr<TCursor> TClientDataSet::CreateCursor() {
    if (!store_)
        throw EDatabaseError(DbError::General,
                             QStringLiteral("Missing data provider or data packet"));
    store_->sortColumns = sortColumns(indexFieldNames_);
    if (!store_->sortColumns.isEmpty()) store_->readAll();
    store_->rebuildOrder();
    return std::make_unique<MemoryCursor>(store_);
}

void TClientDataSet::InternalClose() {
    // As the runtime's: the data go with the dataset's closing.
    store_.reset();
}

void TClientDataSet::CreateDataSet() {
    CheckInactive();
    auto store = std::make_shared<Store>();
    store->defs = fieldDefs_;
    if (store->defs.isEmpty()) {
        for (TField* f : Fields())
            if (f->FieldKind() == fkData)
                store->defs.append(TFieldDef{f->FieldName(), f->DataType(), f->Size(), false});
    }
    store_ = store;
    Open();
}

void TClientDataSet::LoadFromDataSet(TDataSet* source) {
    if (!source || !source->Active()) throw EDatabaseError::make(DbError::ClosedDataSet);
    Close();
    auto store = std::make_shared<Store>();
    const TFields& fields = source->Fields();
    for (TField* f : fields)
        store->defs.append(TFieldDef{f->FieldName(), f->DataType(), f->Size(), false});
    source->DisableControls();
    struct Enable {
        TDataSet* ds;
        ~Enable() { ds->EnableControls(); }
    } enable{source};
    const TBookmark mark = source->GetBookmark();
    source->First();
    while (!source->Eof()) {
        Store::Row r;
        r.values.reserve(fields.Count());
        for (TField* f : fields) r.values.append(f->Value());
        store->rows.push_back(std::move(r));
        source->Next();
    }
    if (!mark.IsNull() && source->BookmarkValid(mark)) source->GotoBookmark(mark);
    fieldDefs_ = store->defs;
    store_ = store;
    Open();
}

void TClientDataSet::LoadFromQuery(TQuery* query) {
    if (!query || !query->Active()) throw EDatabaseError::make(DbError::ClosedDataSet);
    Close();
    auto store = std::make_shared<Store>();
    store->packet = std::max(1, query->PacketRecords());
    std::vector<QVector<QVariant>> values;
    store->rest = query->TakeResult(store->defs, values);
    if (store->rest) store->convert = store->rest->Converter();
    for (TFieldDef& d : store->defs) d.Required = false;
    store->rows.reserve(values.size());
    for (auto& v : values) {
        Store::Row r;
        r.values = std::move(v);
        store->rows.push_back(std::move(r));
    }
    fieldDefs_ = store->defs;
    store_ = store;
    Open();
}

int TClientDataSet::RowsHeld() const {
    return store_ ? int(store_->rows.size()) : 0;
}

bool TClientDataSet::RowsPending() const {
    return store_ && store_->rest;
}

void TClientDataSet::setIndexFieldNames(const QString& names) {
    if (names == indexFieldNames_) return;
    if (!Active()) {
        indexFieldNames_ = names;
        return;
    }
    const QVector<int> cols = sortColumns(names);  // raises before anything changes
    CheckBrowseMode();
    if (!cols.isEmpty()) store_->readAll();
    indexFieldNames_ = names;
    store_->sortColumns = cols;
    store_->rebuildOrder();
    // The current record stays current in the new order.
    const TBookmark mark = GetBookmark();
    Requery();
    if (!mark.IsNull() && BookmarkValid(mark)) GotoBookmark(mark);
}

int TClientDataSet::ChangeCount() const {
    if (!store_) return 0;
    int n = 0;
    for (const Store::Row& r : store_->rows)
        if (!r.gone && r.status != usUnmodified) ++n;
    return n;
}

TUpdateStatus TClientDataSet::UpdateStatus() const {
    if (!store_ || IsEmpty() || State() == dsInsert)
        return State() == dsInsert ? usInserted : usUnmodified;
    const int id = CurrentRow().identity.toInt();
    return id >= 0 && id < int(store_->rows.size()) ? store_->rows[id].status : usUnmodified;
}

void TClientDataSet::CancelUpdates() {
    if (!store_) return;
    Cancel();
    for (Store::Row& r : store_->rows) {
        if (r.status == usInserted) r.gone = true;
        if (r.status == usModified || r.status == usDeleted) r.values = r.original;
        r.original.clear();
        r.status = usUnmodified;
    }
    store_->rebuildOrder();
    if (Active()) Requery();
}

void TClientDataSet::MergeChangeLog() {
    if (!store_) return;
    if (Active()) CheckBrowseMode();
    for (Store::Row& r : store_->rows) {
        if (r.status == usDeleted) r.gone = true;
        r.original.clear();
        r.status = usUnmodified;
    }
}

int TClientDataSet::ApplyUpdates(TDatabase* db, const QString& tableName,
                                 const QStringList& keyFields, const QStringList& columnNames,
                                 const QVector<bool>& leftOut) {
    if (!store_) return 0;
    if (Active()) CheckBrowseMode();
    if (ChangeCount() == 0) return 0;
    const SqlDialect& dialect = db->dialect();
    const bool sqlite = db->engine() == Engine::Sqlite;
    // Only the columns the table has: a copied result may hold expressions.
    QVector<int> columns;
    QVector<int> keys;
    const TFieldDefs tableDefs = db->ColumnDefs(tableName);
    QStringList names;
    for (int i = 0; i < store_->defs.size(); ++i)
        names << (columnNames.isEmpty() ? store_->defs[i].Name : columnNames.value(i));
    for (int i = 0; i < store_->defs.size(); ++i) {
        const QString& name = names[i];
        if (name.isEmpty() || leftOut.value(i)) continue;
        const bool inTable = std::any_of(
            tableDefs.begin(), tableDefs.end(),
            [&](const TFieldDef& d) { return d.Name.compare(name, Qt::CaseInsensitive) == 0; });
        if (inTable) columns.append(i);
    }
    for (const QString& k : keyFields) {
        int col = -1;
        for (int i : columns)
            if (names[i].compare(k.trimmed(), Qt::CaseInsensitive) == 0) col = i;
        if (col < 0) throw EDatabaseError::make(DbError::FieldNotFound, k.trimmed());
        keys.append(col);
    }
    const QString table = dialect.quoteIdentifier(tableName);
    auto bind = [&](const QVariant& v, int col) {
        return TTableCursor::toStorage(v, store_->defs[col].DataType, sqlite);
    };
    auto keyWhere = [&](const QVector<QVariant>& values, QVariantList& binds) {
        QStringList parts;
        for (int k : keys) {
            parts << dialect.quoteIdentifier(names[k]) + QStringLiteral(" = ?");
            binds << bind(values.value(k), k);
        }
        return parts.join(QStringLiteral(" AND "));
    };
    // The row as it was read, as a table's post checks it: another user's
    // change in between is refused, never overwritten.
    auto asRead = [&](const QVector<QVariant>& values, QVariantList& binds) {
        QVariantList keyBinds;
        QString where = keyWhere(values, keyBinds);
        for (int c : columns) {
            where += QStringLiteral(" AND ") +
                     TTableCursor::unchangedCondition(sqlite, dialect.quoteIdentifier(names[c]),
                                                      store_->defs[c].DataType);
            keyBinds << bind(values.value(c), c);
        }
        binds << keyBinds;
        return where;
    };
    auto existing = [&](const QVector<QVariant>& values) {
        QVariantList binds;
        const QString where = keyWhere(values, binds);
        return db
            ->Execute(QStringLiteral("SELECT 1 FROM ") + table + QStringLiteral(" WHERE ") + where,
                      binds)
            .next();
    };
    const bool started = !db->InTransaction();
    if (started) db->StartTransaction();
    int failed = -1;  // the row being written
    try {
        for (const Store::Row& r : store_->rows) {
            if (r.gone || r.status == usUnmodified) continue;
            failed = int(&r - store_->rows.data());
            for (int c = 0; c < leftOut.size(); ++c) {
                const QVariant& v = r.values.value(c);
                const QVariant& o = r.original.value(c);
                const auto empty = [](const QVariant& x) { return !x.isValid() || x.isNull(); };
                const bool set = r.status == usInserted   ? !empty(v)
                                 : r.status == usModified ? !(empty(v) && empty(o)) && v != o
                                                          : false;
                if (leftOut[c] && set)
                    throw EDatabaseError(DbError::SqlError,
                                         HiddenFieldWriteReason(store_->defs[c].Name), tableName);
            }
            QVariantList binds;
            QString sql;
            if (r.status == usDeleted) {
                sql = QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE ") +
                      asRead(r.original, binds);
            } else if (r.status == usModified) {
                QStringList set;
                for (int c : columns) {
                    if (r.values.value(c) == r.original.value(c)) continue;
                    set << dialect.quoteIdentifier(names[c]) + QStringLiteral(" = ?");
                    binds << bind(r.values.value(c), c);
                }
                if (set.isEmpty()) continue;
                sql = QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") +
                      set.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") +
                      asRead(r.original, binds);
            } else {
                QStringList inserted, marks;
                for (int c : columns) {
                    const QVariant& v = r.values.value(c);
                    if (!v.isValid() || v.isNull()) continue;  // the column's default
                    inserted << dialect.quoteIdentifier(names[c]);
                    marks << QStringLiteral("?");
                    binds << bind(v, c);
                }
                sql = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") +
                      inserted.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                      marks.join(QStringLiteral(", ")) + QLatin1Char(')');
            }
            QSqlQuery q = db->Execute(sql, binds);
            if (r.status != usInserted && q.numRowsAffected() == 0)
                throw EDatabaseError::make(
                    existing(r.original) ? DbError::RecordChanged : DbError::RecordDeleted,
                    QString(), tableName);
        }
        if (started) db->Commit();
    } catch (...) {
        if (started) {
            try {
                db->Rollback();
            } catch (const EDatabaseError&) {
                // The first failure is the one to report.
            }
        }
        // The dataset stands on the row refused, when it shows it, so that
        // its caller can name it.
        TBookmark mark;
        mark.identity = failed;
        try {
            if (failed >= 0 && BookmarkValid(mark)) GotoBookmark(mark);
        } catch (const std::exception&) {
        }
        throw;
    }
    MergeChangeLog();
    return 0;
}
