// TDataSet over a scripted in-memory cursor: event order, the silent abort,
// re-entrant handlers, navigation, filters, calculated and lookup fields.

#include <QtTest>

#include "db/clientdataset.h"
#include "db/dataset.h"
#include "db/dberror.h"
#include "platform/db/dbtest.h"

namespace {

// Rows in a vector; identity = a serial number. Writes can be made to fail
// and locks are counted, so that the dataset's side of the contract shows.
struct Rows {
    TFieldDefs defs;
    QVector<TRow> rows;
    int serial = 0;
    bool failWrites = false;
    int locks = 0;
    int unlocks = 0;
    int counts = 0;
};

class ScriptCursor : public TCursor {
public:
    explicit ScriptCursor(Rows* d) : d_(d) {}
    TFieldDefs fieldDefs() const override { return d_->defs; }
    bool first(TRow& r) override { return at(pos_ = 0, r); }
    bool last(TRow& r) override { return at(pos_ = int(d_->rows.size()) - 1, r); }
    bool next(TRow& r) override {
        if (pos_ < int(d_->rows.size())) ++pos_;
        return at(pos_, r);
    }
    bool prior(TRow& r) override {
        if (pos_ >= 0) --pos_;
        return at(pos_, r);
    }
    bool seek(const QVariant& id, TRow& r) override {
        for (int i = 0; i < d_->rows.size(); ++i)
            if (d_->rows[i].identity == id) return at(pos_ = i, r);
        return false;
    }
    int recordCount() override {
        ++d_->counts;
        return int(d_->rows.size());
    }
    bool canModify() const override { return true; }
    void insertRow(TRow& r) override {
        check();
        r.identity = ++d_->serial;
        d_->rows.append(r);
        pos_ = int(d_->rows.size()) - 1;
    }
    void updateRow(const TRow& old, TRow& r) override {
        check();
        for (int i = 0; i < d_->rows.size(); ++i)
            if (d_->rows[i].identity == old.identity) {
                d_->rows[i].values = r.values;
                pos_ = i;
                return;
            }
        throw EDatabaseError::make(DbError::RecordDeleted);
    }
    void deleteRow(const TRow& old) override {
        check();
        for (int i = 0; i < d_->rows.size(); ++i)
            if (d_->rows[i].identity == old.identity) {
                d_->rows.removeAt(i);
                pos_ = i - 1;
                return;
            }
    }
    void lockRow(const TRow&) override { ++d_->locks; }
    void unlockRow(const TRow&) override { ++d_->unlocks; }
    void refresh() override {}

private:
    void check() {
        if (d_->failWrites) throw EDatabaseError::make(DbError::KeyViolation);
    }
    bool at(int i, TRow& r) {
        if (i < 0 || i >= d_->rows.size()) {
            pos_ = i < 0 ? -1 : int(d_->rows.size());
            return false;
        }
        r = d_->rows[i];
        return true;
    }
    Rows* d_;
    int pos_ = -1;
};

class ScriptDataSet : public TDataSet {
public:
    explicit ScriptDataSet(Rows* rows, QObject* parent = nullptr) : TDataSet(parent), d_(rows) {}
    ~ScriptDataSet() override { CloseOnDestroy(); }

protected:
    std::unique_ptr<TCursor> CreateCursor() override { return std::make_unique<ScriptCursor>(d_); }

private:
    Rows* d_;
};

// Codigo (int, key), Nombre (string 10): rows 1..n named "N<i>".
Rows makeRows(int n) {
    Rows d;
    d.defs = {TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, true},
              TFieldDef{QStringLiteral("Nombre"), ftString, 10, false}};
    for (int i = 1; i <= n; ++i) d.rows.append(TRow{{i, QStringLiteral("N%1").arg(i)}, ++d.serial});
    return d;
}

QStringList names(const Rows& d) {
    QStringList out;
    for (const TRow& r : d.rows) out << r.values.value(1).toString();
    return out;
}

// Records every event of a dataset by name.
struct Recorder {
    QStringList log;
    void attach(TDataSet* ds) {
        auto rec = [this](const char* name) {
            return [this, name](TDataSet*) { log << QString::fromLatin1(name); };
        };
        ds->BeforeInsert = rec("BeforeInsert");
        ds->AfterInsert = rec("AfterInsert");
        ds->BeforeEdit = rec("BeforeEdit");
        ds->AfterEdit = rec("AfterEdit");
        ds->BeforePost = rec("BeforePost");
        ds->AfterPost = rec("AfterPost");
        ds->BeforeCancel = rec("BeforeCancel");
        ds->AfterCancel = rec("AfterCancel");
        ds->BeforeDelete = rec("BeforeDelete");
        ds->AfterDelete = rec("AfterDelete");
        ds->BeforeScroll = rec("BeforeScroll");
        ds->AfterScroll = rec("AfterScroll");
        ds->OnNewRecord = rec("OnNewRecord");
        ds->BeforeOpen = rec("BeforeOpen");
        ds->AfterOpen = rec("AfterOpen");
        ds->BeforeClose = rec("BeforeClose");
        ds->AfterClose = rec("AfterClose");
    }
    QString take() {
        const QString s = log.join(QLatin1Char(','));
        log.clear();
        return s;
    }
};

}  // namespace

class TestDataSet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eventOrder();
    void silentAbort();
    void cursorFailureKeepsEdit();
    void requiredAndStateErrors();
    void navigation();
    void bookmarks();
    void reentrantHandlers();
    void editWhileIterating();
    void appendWhileIterating();
    void calculatedFieldsOncePerRecord();
    void lookupFields();
    void filters();
    void locateAndLookup();
    void persistentFields();
};

void TestDataSet::eventOrder() {
    Rows d = makeRows(2);
    ScriptDataSet ds(&d);
    QVERIFY(!ds.BeforePost);  // "assigned" is operator bool
    Recorder r;
    r.attach(&ds);
    QVERIFY(ds.BeforePost);
    ds.Open();
    QCOMPARE(r.take(), QStringLiteral("BeforeOpen,AfterOpen,AfterScroll"));

    ds.Append();
    QCOMPARE(ds.State(), dsInsert);
    QCOMPARE(r.take(),
             QStringLiteral("BeforeInsert,BeforeScroll,OnNewRecord,AfterInsert,AfterScroll"));
    ds.FieldByName(QStringLiteral("Codigo"))->setAsInteger(3);
    ds.Post();
    QCOMPARE(r.take(), QStringLiteral("BeforePost,AfterPost"));
    QCOMPARE(d.rows.size(), 3);

    ds.Edit();
    QCOMPARE(r.take(), QStringLiteral("BeforeEdit,AfterEdit"));
    QCOMPARE(d.locks, 1);
    ds.Cancel();
    QCOMPARE(r.take(), QStringLiteral("BeforeCancel,AfterCancel"));
    QCOMPARE(d.unlocks, 1);

    ds.Delete();
    QCOMPARE(r.take(), QStringLiteral("BeforeDelete,BeforeScroll,AfterDelete,AfterScroll"));

    // Next posts a pending edit first; a move at Eof fires no AfterScroll.
    ds.Last();
    r.take();
    ds.Edit();
    ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("x"));
    r.take();
    ds.Next();
    QCOMPARE(r.take(), QStringLiteral("BeforePost,AfterPost,BeforeScroll,AfterScroll"));
    QVERIFY(ds.Eof());
    ds.Next();
    QCOMPARE(r.take(), QStringLiteral("BeforeScroll"));
    ds.Close();
    QCOMPARE(r.take(), QStringLiteral("BeforeClose,AfterClose"));
}

void TestDataSet::silentAbort() {
    Rows d = makeRows(3);
    ScriptDataSet ds(&d);
    ds.Open();
    ds.Next();  // on N2

    // OnNewRecord: the insert is undone, back on the row we left.
    ds.OnNewRecord = [](TDataSet* s) {
        s->FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("nuevo"));
        Abort();
    };
    QVERIFY_THROWS_EXCEPTION(EAbort, ds.Append());
    QCOMPARE(ds.State(), dsBrowse);
    QCOMPARE(ds.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("N2"));
    QCOMPARE(d.rows.size(), 3);
    ds.OnNewRecord = nullptr;

    // BeforePost: still inserting, the typed values kept.
    ds.Append();
    ds.FieldByName(QStringLiteral("Codigo"))->setAsInteger(9);
    ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("nueve"));
    bool refuse = true;
    ds.BeforePost = [&refuse](TDataSet*) {
        if (refuse) Abort();
    };
    QVERIFY_THROWS_EXCEPTION(EAbort, ds.Post());
    QCOMPARE(ds.State(), dsInsert);
    QCOMPARE(ds.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("nueve"));
    QCOMPARE(d.rows.size(), 3);
    refuse = false;
    ds.Post();
    QCOMPARE(d.rows.size(), 4);

    // BeforeDelete: nothing deleted, same record, no scroll.
    ds.First();
    int scrolls = 0;
    ds.AfterScroll = [&scrolls](TDataSet*) { ++scrolls; };
    ds.BeforeDelete = [](TDataSet*) { Abort(); };
    QVERIFY_THROWS_EXCEPTION(EAbort, ds.Delete());
    QCOMPARE(d.rows.size(), 4);
    QCOMPARE(ds.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 1);
    QCOMPARE(scrolls, 0);
    ds.BeforeDelete = nullptr;

    // BeforeInsert and BeforeEdit: the state never changes.
    ds.BeforeInsert = [](TDataSet*) { Abort(); };
    QVERIFY_THROWS_EXCEPTION(EAbort, ds.Insert());
    QCOMPARE(ds.State(), dsBrowse);
    ds.BeforeEdit = [](TDataSet*) { Abort(); };
    QVERIFY_THROWS_EXCEPTION(EAbort, ds.Edit());
    QCOMPARE(ds.State(), dsBrowse);
    QCOMPARE(d.locks, 0);
}

void TestDataSet::cursorFailureKeepsEdit() {
    Rows d = makeRows(2);
    ScriptDataSet ds(&d);
    ds.Open();
    ds.Edit();
    ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("cambio"));
    d.failWrites = true;
    QCOMPARE(ErrorCode([&] { ds.Post(); }), DbError::KeyViolation);
    QCOMPARE(ds.State(), dsEdit);
    QVERIFY(ds.Modified());
    QCOMPARE(ds.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("cambio"));
    QCOMPARE(ds.FieldByName(QStringLiteral("Nombre"))->OldValue().toString(), QStringLiteral("N1"));
    QCOMPARE(d.unlocks, 0);  // the lock stays while editing
    d.failWrites = false;
    ds.Post();
    QCOMPARE(d.rows[0].values[1].toString(), QStringLiteral("cambio"));
    QCOMPARE(d.unlocks, 1);

    d.failWrites = true;
    QCOMPARE(ErrorCode([&] { ds.Delete(); }), DbError::KeyViolation);
    QCOMPARE(d.rows.size(), 2);
    QCOMPARE(ds.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 1);
}

void TestDataSet::requiredAndStateErrors() {
    Rows d = makeRows(1);
    ScriptDataSet ds(&d);
    QCOMPARE(ErrorText([&] { ds.Edit(); }),
             QStringLiteral("Cannot perform this operation on a closed dataset"));
    QCOMPARE(ErrorText([&] { ds.Post(); }),
             QStringLiteral("Cannot perform this operation on a closed dataset"));
    ds.Open();
    QCOMPARE(ErrorText([&] {
                 ds.Open();
                 ds.AddField(QStringLiteral("X"));
             }),
             QStringLiteral("Cannot perform this operation on an open dataset"));
    QCOMPARE(ErrorText([&] {
                 ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("a"));
             }),
             QStringLiteral("Dataset not in edit or insert mode"));
    QCOMPARE(ErrorText([&] { ds.Post(); }), QStringLiteral("Dataset not in edit or insert mode"));
    QCOMPARE(ErrorText([&] { ds.FieldByName(QStringLiteral("Nada")); }),
             QStringLiteral("Field 'Nada' not found"));
    QVERIFY(ds.FindField(QStringLiteral("nada")) == nullptr);
    QCOMPARE(ds.FieldByName(QStringLiteral("NOMBRE")), ds.FindField(QStringLiteral("Nombre")));

    // Required: NULL and '' both missing; the record stays in insert.
    ds.FieldByName(QStringLiteral("Nombre"))->setRequired(true);
    ds.Append();
    ds.FieldByName(QStringLiteral("Codigo"))->setAsInteger(2);
    ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QString(""));
    QCOMPARE(ErrorText([&] { ds.Post(); }), QStringLiteral("Field 'Nombre' must have a value"));
    QCOMPARE(ds.State(), dsInsert);
    ds.FieldByName(QStringLiteral("Nombre"))->Clear();
    QCOMPARE(ErrorText([&] { ds.Post(); }), QStringLiteral("Field 'Nombre' must have a value"));
    ds.Cancel();

    // An empty dataset: Delete refuses, Edit appends.
    Rows empty = makeRows(0);
    ScriptDataSet e(&empty);
    e.Open();
    QVERIFY(e.IsEmpty() && e.Bof() && e.Eof());
    QCOMPARE(ErrorText([&] { e.Delete(); }),
             QStringLiteral("Cannot perform this operation on an empty dataset"));
    e.Edit();
    QCOMPARE(e.State(), dsInsert);
    e.Cancel();

    // A read-only dataset refuses every change.
    ds.Close();
    ds.setReadOnly(true);
    ds.Open();
    QVERIFY(!ds.CanModify());
    QCOMPARE(ErrorText([&] { ds.Edit(); }), QStringLiteral("Cannot modify a read-only dataset"));
    QCOMPARE(ErrorText([&] { ds.Append(); }), QStringLiteral("Cannot modify a read-only dataset"));
    QCOMPARE(ErrorText([&] { ds.Delete(); }), QStringLiteral("Cannot modify a read-only dataset"));
}

void TestDataSet::navigation() {
    Rows d = makeRows(3);
    ScriptDataSet ds(&d);
    ds.Open();
    TField* nombre = ds.FieldByName(QStringLiteral("Nombre"));
    QVERIFY(ds.Bof() && !ds.Eof());
    QCOMPARE(ds.RecordCount(), 3);
    ds.Prior();  // already at Bof: nothing
    QCOMPARE(nombre->AsString(), QStringLiteral("N1"));
    QCOMPARE(ds.MoveBy(5), 2);
    QVERIFY(ds.Eof());
    QCOMPARE(nombre->AsString(), QStringLiteral("N3"));  // Eof keeps the last row
    ds.Prior();
    QCOMPARE(nombre->AsString(), QStringLiteral("N2"));
    QVERIFY(!ds.Eof() && !ds.Bof());
    ds.Prior();
    ds.Prior();
    QVERIFY(ds.Bof());
    QCOMPARE(nombre->AsString(), QStringLiteral("N1"));
    ds.Next();
    QCOMPARE(nombre->AsString(), QStringLiteral("N2"));
    ds.Last();
    QVERIFY(ds.Eof());
    QCOMPARE(ds.MoveBy(-2), -2);
    QCOMPARE(nombre->AsString(), QStringLiteral("N1"));

    // Deleting the last row lands on the new last; deleting all empties.
    ds.Last();
    ds.Delete();
    QCOMPARE(nombre->AsString(), QStringLiteral("N2"));
    ds.Delete();
    ds.Delete();
    QVERIFY(ds.IsEmpty() && ds.Eof() && ds.Bof());
    QVERIFY(nombre->IsNull());

    // Refresh keeps the row by identity; a vanished row gives the next.
    d = makeRows(3);
    ds.Close();
    ds.Open();
    ds.Next();
    d.rows.removeAt(1);
    ds.Refresh();
    QCOMPARE(nombre->AsString(), QStringLiteral("N3"));
}

void TestDataSet::bookmarks() {
    Rows d = makeRows(3);
    ScriptDataSet ds(&d);
    ds.Open();
    ds.Next();
    TBookmark b = ds.GetBookmark();
    ds.Last();
    QVERIFY(ds.BookmarkValid(b));
    ds.GotoBookmark(b);
    QCOMPARE(ds.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 2);
    QCOMPARE(ds.CompareBookmarks(b, ds.GetBookmark()), 0);
    ds.Delete();
    QVERIFY(!ds.BookmarkValid(b));
    QCOMPARE(ErrorCode([&] { ds.GotoBookmark(b); }), DbError::InvalidBookmark);
    ds.FreeBookmark(b);
    QVERIFY(b.IsNull());
    // After a failed move the position still answers Next/Prior correctly.
    ds.First();
    ds.Next();
    QCOMPARE(ds.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 3);
}

void TestDataSet::reentrantHandlers() {
    Rows dm = makeRows(1), dl = makeRows(0);
    ScriptDataSet master(&dm), log(&dl);
    master.Open();
    log.Open();
    // AfterPost of one dataset posts another, which edits the first again later.
    master.AfterPost = [&log](TDataSet* s) {
        log.Append();
        log.FieldByName(QStringLiteral("Codigo"))
            ->setAsInteger(s->FieldByName(QStringLiteral("Codigo"))->AsInteger());
        log.FieldByName(QStringLiteral("Nombre"))
            ->setAsString(s->FieldByName(QStringLiteral("Nombre"))->AsString());
        log.Post();
    };
    log.AfterPost = [&master](TDataSet*) {
        if (master.State() == dsBrowse) {
            master.AfterPost = nullptr;
            master.Edit();
            master.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("segunda"));
            master.Post();
        }
    };
    master.Edit();
    master.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("primera"));
    master.Post();
    QCOMPARE(names(dl), QStringList{QStringLiteral("primera")});
    QCOMPARE(names(dm), QStringList{QStringLiteral("segunda")});
    QCOMPARE(master.State(), dsBrowse);
    QCOMPARE(log.State(), dsBrowse);
}

void TestDataSet::editWhileIterating() {
    Rows d = makeRows(4);
    ScriptDataSet ds(&d);
    ds.Open();
    int visited = 0;
    while (!ds.Eof()) {
        ds.Edit();
        ds.FieldByName(QStringLiteral("Nombre"))
            ->setAsString(ds.FieldByName(QStringLiteral("Nombre"))->AsString() + QLatin1Char('*'));
        ds.Next();
        ++visited;
    }
    QCOMPARE(visited, 4);
    QCOMPARE(names(d), (QStringList{"N1*", "N2*", "N3*", "N4*"}));
}

void TestDataSet::appendWhileIterating() {
    Rows d = makeRows(3);
    ScriptDataSet ds(&d);
    ds.Open();
    ds.Next();
    const TBookmark mark = ds.GetBookmark();
    ds.Append();
    ds.FieldByName(QStringLiteral("Codigo"))->setAsInteger(10);
    ds.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("copia"));
    ds.Post();
    ds.GotoBookmark(mark);
    QCOMPARE(ds.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("N2"));
    ds.Next();
    QCOMPARE(ds.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("N3"));
    ds.Next();
    QCOMPARE(ds.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("copia"));
    ds.Next();
    QVERIFY(ds.Eof());
}

void TestDataSet::calculatedFieldsOncePerRecord() {
    Rows d = makeRows(3);
    ScriptDataSet ds(&d);
    ds.AddField(QStringLiteral("Codigo"));
    ds.AddField(QStringLiteral("Nombre"));
    TField* doble = ds.AddField(QStringLiteral("Doble"), ftInteger, 0, fkCalculated);
    int calls = 0;
    TDataSetState seen = dsInactive;
    ds.OnCalcFields = [&](TDataSet* s) {
        ++calls;
        seen = s->State();
        s->FieldByName(QStringLiteral("Doble"))
            ->setAsInteger(2 * s->FieldByName(QStringLiteral("Codigo"))->AsInteger());
    };
    ds.Open();
    QCOMPARE(calls, 1);
    QCOMPARE(seen, dsCalcFields);
    QCOMPARE(ds.State(), dsBrowse);
    for (int i = 0; i < 10; ++i) QCOMPARE(doble->AsInteger(), 2);
    QCOMPARE(calls, 1);  // reads never recompute
    ds.Next();
    QCOMPARE(calls, 2);
    QCOMPARE(doble->AsInteger(), 4);
    ds.Edit();
    QCOMPARE(calls, 2);
    ds.FieldByName(QStringLiteral("Codigo"))->setAsInteger(7);  // a data field changes
    QCOMPARE(calls, 3);
    QCOMPARE(doble->AsInteger(), 14);
    ds.Post();
    QCOMPARE(calls, 4);
    QCOMPARE(ErrorCode([&] { doble->setAsInteger(1); }), DbError::NotEditing);
    ds.Refresh();
    QCOMPARE(calls, 5);
}

void TestDataSet::lookupFields() {
    Rows dp = makeRows(3), dn;
    dn.defs = {TFieldDef{QStringLiteral("Linea"), ftInteger, 0, false},
               TFieldDef{QStringLiteral("CodigoOperario"), ftInteger, 0, false}};
    dn.rows = {TRow{{1, 2}, 1}, TRow{{2, 2}, 2}, TRow{{3, 9}, 3}};
    ScriptDataSet people(&dp), lines(&dn);
    people.Open();
    lines.AddField(QStringLiteral("Linea"));
    lines.AddField(QStringLiteral("CodigoOperario"));
    TField* nombre = lines.AddField(QStringLiteral("NombreOperario"), ftString, 10, fkLookup);
    nombre->setKeyFields(QStringLiteral("CodigoOperario"));
    nombre->setLookupDataSet(&people);
    nombre->setLookupKeyFields(QStringLiteral("Codigo"));
    nombre->setLookupResultField(QStringLiteral("Nombre"));
    lines.Open();
    QCOMPARE(nombre->AsString(), QStringLiteral("N2"));
    QCOMPARE(people.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 1);  // did not move
    lines.Last();
    QVERIFY(nombre->IsNull());  // no employee 9
    lines.Edit();
    lines.FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(3);
    QCOMPARE(nombre->AsString(), QStringLiteral("N3"));
    lines.Cancel();
    QVERIFY(nombre->IsNull());
}

void TestDataSet::filters() {
    Rows d = makeRows(6);
    ScriptDataSet ds(&d);
    ds.setFilter(QStringLiteral("Codigo >= 2"));
    ds.setFiltered(true);
    ds.OnFilterRecord = [](TDataSet* s, bool& accept) {
        QCOMPARE(s->State(), dsFilter);
        accept = s->FieldByName(QStringLiteral("Codigo"))->AsInteger() % 2 == 0;
    };
    ds.Open();
    QCOMPARE(ds.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 2);
    QCOMPARE(ds.RecordCount(), 3);
    ds.Next();
    QCOMPARE(ds.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 4);
    ds.Last();
    QCOMPARE(ds.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 6);
    ds.Prior();
    QCOMPARE(ds.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 4);

    // A bad filter raises; the old filter and the position stay.
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, ds.setFilter(QStringLiteral("(Codigo = ")));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, ds.setFilter(QStringLiteral("Nada = 1")));
    QCOMPARE(ds.Filter(), QStringLiteral("Codigo >= 2"));
    QCOMPARE(ds.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 4);
    QCOMPARE(ds.RecordCount(), 3);

    ds.setFilter(QStringLiteral("Nombre = 'N6'"));
    QCOMPARE(ds.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 6);
    QCOMPARE(ds.RecordCount(), 1);
    ds.setFiltered(false);
    QCOMPARE(ds.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 1);
    QCOMPARE(ds.RecordCount(), 6);

    // A filter that rejects all leaves an empty view.
    ds.OnFilterRecord = nullptr;
    ds.setFilter(QStringLiteral("Codigo > 100"));
    ds.setFiltered(true);
    QVERIFY(ds.IsEmpty());
    QCOMPARE(ds.RecordCount(), 0);
}

void TestDataSet::locateAndLookup() {
    Rows d = makeRows(0);
    for (const char* n : {"Ana", "alberto", "Bea", "ANA"})
        d.rows.append(TRow{{d.serial + 1, QString::fromLatin1(n)}, ++d.serial});
    ScriptDataSet ds(&d);
    ds.Open();
    TField* codigo = ds.FieldByName(QStringLiteral("Codigo"));
    QVERIFY(ds.Locate(QStringLiteral("Nombre"), QStringLiteral("ANA"), 0));
    QCOMPARE(codigo->AsInteger(), 4);
    QVERIFY(ds.Locate(QStringLiteral("Nombre"), QStringLiteral("ana"), loCaseInsensitive));
    QCOMPARE(codigo->AsInteger(), 1);
    QVERIFY(ds.Locate(QStringLiteral("Nombre"), QStringLiteral("Al"),
                      loCaseInsensitive | loPartialKey));
    QCOMPARE(codigo->AsInteger(), 2);
    QVERIFY(!ds.Locate(QStringLiteral("Nombre"), QStringLiteral("Al"), loPartialKey));
    QCOMPARE(codigo->AsInteger(), 2);  // a failed locate does not move
    ds.Next();
    QCOMPARE(codigo->AsInteger(), 3);
    QVERIFY(ds.Locate(QStringLiteral("Codigo;Nombre"), QVariantList{3, QStringLiteral("Bea")}, 0));
    QVERIFY(ds.Locate(QStringLiteral("Codigo"), QStringLiteral("4"), 0));  // values convert
    QCOMPARE(ds.Lookup(QStringLiteral("Codigo"), 2, QStringLiteral("Nombre")).toString(),
             QStringLiteral("alberto"));
    QCOMPARE(
        ds.Lookup(QStringLiteral("Codigo"), 2, QStringLiteral("Codigo;Nombre")).toList().size(), 2);
    QVERIFY(!ds.Lookup(QStringLiteral("Codigo"), 99, QStringLiteral("Nombre")).isValid());
    QCOMPARE(codigo->AsInteger(), 4);  // Lookup does not move either
    ds.Prior();
    QCOMPARE(codigo->AsInteger(), 3);
}

void TestDataSet::persistentFields() {
    Rows d = makeRows(2);
    ScriptDataSet ds(&d);
    ds.setObjectName(QStringLiteral("Table1"));
    TField* nombre = ds.AddField(QStringLiteral("nombre"));
    QCOMPARE(nombre->objectName(), QStringLiteral("Table1nombre"));
    ds.setObjectName(QStringLiteral("Tabla"));
    QCOMPARE(nombre->objectName(), QStringLiteral("Tablanombre"));
    ds.Open();
    QCOMPARE(ds.FieldCount(), 1);  // only the declared fields
    QCOMPARE(nombre->DataType(), ftString);
    QCOMPARE(nombre->Size(), 10);
    QCOMPARE(nombre->AsString(), QStringLiteral("N1"));
    QVERIFY(ds.FindField(QStringLiteral("Codigo")) == nullptr);
    QCOMPARE(ErrorCode([&] { nombre->setFieldName(QStringLiteral("x")); }), DbError::OpenDataSet);
    ds.Close();
    ds.AddField(QStringLiteral("Falta"));
    QCOMPARE(ErrorCode([&] { ds.Open(); }), DbError::FieldNotFound);
    QVERIFY(!ds.Active());

    // Default fields survive a close and reopen as the same objects.
    ScriptDataSet plain(&d);
    plain.Open();
    TField* f = plain.FieldByName(QStringLiteral("Nombre"));
    plain.Close();
    QCOMPARE(plain.FieldCount(), 0);
    QVERIFY(f->IsNull());  // a closed dataset reads NULL, never a dangling row
    plain.Open();
    QCOMPARE(plain.FieldByName(QStringLiteral("Nombre")), f);
}

QTEST_MAIN(TestDataSet)
#include "tst_dataset.moc"
