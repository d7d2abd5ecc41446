#include "db/batchmove.h"

#include "db/database.h"
#include "db/dberror.h"
#include "db/table.h"

namespace {

struct Pair {
    QString dest;
    QString src;
};

QList<Pair> parseMappings(const QStringList& lines) {
    QList<Pair> out;
    for (const QString& line : lines) {
        const QString t = line.trimmed();
        if (t.isEmpty()) continue;
        const int eq = t.indexOf(QLatin1Char('='));
        if (eq < 0)
            out << Pair{t, t};
        else
            out << Pair{t.left(eq).trimmed(), t.mid(eq + 1).trimmed()};
    }
    return out;
}

// Leaves the datasets as they were found: opened ones closed, controls
// enabled, the destination's order back.
class Restore {
public:
    Restore(TDataSet* source, TTable* destination)
        : source_(source),
          destination_(destination),
          sourceWasOpen_(source->Active()),
          indexName_(destination->IndexName()),
          indexFieldNames_(destination->IndexFieldNames()) {}
    ~Restore() {
        try {
            if (controls_) {
                source_->EnableControls();
                destination_->EnableControls();
            }
            if (destination_->Active() &&
                (destination_->State() == dsEdit || destination_->State() == dsInsert))
                destination_->Cancel();
            if (!destinationWasOpen_) {
                destination_->Close();
            } else if (destination_->Active() &&
                       (destination_->IndexName() != indexName_ ||
                        destination_->IndexFieldNames() != indexFieldNames_)) {
                if (indexFieldNames_.isEmpty())
                    destination_->setIndexName(indexName_);
                else
                    destination_->setIndexFieldNames(indexFieldNames_);
            }
            if (!sourceWasOpen_) source_->Close();
        } catch (...) {
        }
    }
    void destinationState(bool wasOpen) { destinationWasOpen_ = wasOpen; }
    void disableControls() {
        source_->DisableControls();
        destination_->DisableControls();
        controls_ = true;
    }

private:
    TDataSet* source_;
    TTable* destination_;
    bool sourceWasOpen_;
    bool destinationWasOpen_ = true;
    bool controls_ = false;
    QString indexName_;
    QString indexFieldNames_;
};

}  // namespace

TBatchMove::TBatchMove(QObject* parent) : QObject(parent) {}

TBatchMove::~TBatchMove() = default;

void TBatchMove::Execute() {
    moved_ = keyViol_ = problems_ = 0;
    if (!source_ || !destination_)
        throw EDatabaseError(DbError::General,
                             QStringLiteral("Source and destination tables required"));
    Restore restore(source_, destination_);
    if (!source_->Active()) source_->Open();
    source_->CheckBrowseMode();
    QList<Pair> pairs = parseMappings(mappings_);

    if (mode_ == batCopy) {
        // The destination is made anew with the source's structure and key.
        restore.destinationState(false);
        destination_->Close();
        if (pairs.isEmpty())
            for (TField* f : source_->Fields())
                if (f->FieldKind() == fkData) pairs << Pair{f->FieldName(), f->FieldName()};
        TFieldDefList& defs = destination_->FieldDefs();
        defs.Clear();
        for (const Pair& p : pairs) {
            TField* f = source_->FieldByName(p.src);
            // Copied numbers keep their values; the engine would not continue them.
            const TFieldType type = f->DataType() == ftAutoInc ? ftInteger : f->DataType();
            defs.Add(p.dest, type, HasSize(type) ? f->Size() : 0, f->Required());
        }
        TIndexDefList& indexes = destination_->IndexDefs();
        indexes.Clear();
        if (auto* table = qobject_cast<TTable*>(source_)) {
            const int primary = table->IndexDefs().PrimaryIndex();
            QStringList key;
            if (primary >= 0)
                for (const QString& f : table->IndexDefs()[primary].FieldList())
                    for (const Pair& p : std::as_const(pairs))
                        if (p.src.compare(f, Qt::CaseInsensitive) == 0) key << p.dest;
            if (primary >= 0 && key.size() == table->IndexDefs()[primary].FieldList().size())
                indexes.Add(QStringLiteral("<Primary>"), key.join(QLatin1Char(';')),
                            ixPrimary | ixUnique);
        }
        if (destination_->Exists()) destination_->DeleteTable();
        destination_->CreateTable();
    } else {
        restore.destinationState(destination_->Active());
    }
    if (!destination_->Active()) destination_->Open();
    destination_->CheckBrowseMode();

    // Field pairs: the mappings, or the destination's fields the source has.
    struct Link {
        TField* dest;
        TField* src;
    };
    QList<Link> links;
    if (pairs.isEmpty()) {
        for (TField* d : destination_->Fields())
            if (d->FieldKind() == fkData)
                if (TField* s = source_->FindField(d->FieldName())) links << Link{d, s};
    } else {
        for (const Pair& p : std::as_const(pairs))
            links << Link{destination_->FieldByName(p.dest), source_->FieldByName(p.src)};
    }

    // The modes that find records do so by the destination's primary key.
    QList<TField*> keySources;
    const bool byKey = mode_ == batUpdate || mode_ == batAppendUpdate || mode_ == batDelete;
    if (byKey) {
        if (!destination_->IndexName().isEmpty() || !destination_->IndexFieldNames().isEmpty())
            destination_->setIndexName(QString());
        const int primary = destination_->IndexDefs().PrimaryIndex();
        if (primary < 0) throw EDatabaseError::make(DbError::NoIndexActive);
        for (const QString& k : destination_->IndexDefs()[primary].FieldList()) {
            TField* src = nullptr;
            for (const Link& l : std::as_const(links))
                if (l.dest->FieldName().compare(k, Qt::CaseInsensitive) == 0) src = l.src;
            if (!src) throw EDatabaseError::make(DbError::FieldNotFound, k);
            keySources << src;
        }
    }

    TDatabase* db = destination_->Database();
    const bool ownTransaction = !db->InTransaction();
    if (ownTransaction) db->StartTransaction();
    try {
        restore.disableControls();
        for (source_->First(); !source_->Eof(); source_->Next()) {
            bool found = false;
            if (byKey) {
                QVariantList key;
                for (TField* f : std::as_const(keySources)) key << f->Value();
                found = destination_->FindKey(key);
            }
            if (mode_ == batDelete) {
                if (found) {
                    destination_->Delete();
                    ++moved_;
                }
                continue;
            }
            if (mode_ == batUpdate && !found) continue;
            if (found)
                destination_->Edit();
            else
                destination_->Append();
            try {
                for (const Link& l : std::as_const(links)) l.dest->setValue(l.src->Value());
            } catch (const EDatabaseError& e) {
                if (e.code() != DbError::InvalidValue) throw;
                destination_->Cancel();
                ++problems_;
                continue;
            }
            try {
                destination_->Post();
                ++moved_;
            } catch (const EDatabaseError& e) {
                if (e.code() != DbError::KeyViolation) throw;
                destination_->Cancel();
                ++keyViol_;
                if (abortOnKeyViol_) throw;
            }
        }
        if (ownTransaction) db->Commit();
    } catch (...) {
        if (ownTransaction && db->InTransaction()) {
            try {
                if (destination_->Active()) destination_->Cancel();
                db->Rollback();
                // What the destination shows may have been undone.
                if (destination_->Active()) destination_->Refresh();
            } catch (...) {
            }
        }
        throw;
    }
}
