// What data sources and data links hear from a dataset: state changes,
// record against field changes, pending edits, DisableControls, AutoEdit.

#include <QtTest>

#include "db/clientdataset.h"
#include "db/datasource.h"
#include "db/dberror.h"

namespace {

std::unique_ptr<TClientDataSet> makeData() {
    auto ds = std::make_unique<TClientDataSet>();
    ds->FieldDefs() = {{QStringLiteral("Codigo"), ftInteger, 0, false},
                       {QStringLiteral("Nombre"), ftString, 20, false}};
    ds->CreateDataSet();
    for (int i = 1; i <= 3; ++i) {
        ds->Append();
        ds->FieldByName(QStringLiteral("Codigo"))->setAsInteger(i);
        ds->FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("N%1").arg(i));
        ds->Post();
    }
    ds->MergeChangeLog();
    ds->First();
    return ds;
}

// A control's link: records what it hears and writes its text on UpdateData.
class EditLink : public TDataLink {
public:
    QStringList log;
    QString pending;
    TField* field = nullptr;

protected:
    void ActiveChanged() override {
        log << (Active() ? QStringLiteral("active") : QStringLiteral("inactive"));
    }
    void RecordChanged(TField* f) override {
        log << (f ? QStringLiteral("field ") + f->FieldName() : QStringLiteral("record"));
    }
    void DataSetScrolled(int distance) override {
        log << QStringLiteral("scrolled %1").arg(distance);
    }
    void EditingChanged() override {
        log << (Editing() ? QStringLiteral("editing") : QStringLiteral("browsing"));
    }
    void UpdateData() override {
        if (field && !pending.isEmpty()) field->setAsString(pending);
        pending.clear();
    }
};

QString take(QStringList& log) {
    const QString s = log.join(QLatin1Char(','));
    log.clear();
    return s;
}

}  // namespace

class TestDataSource : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void notifications();
    void linksAndPendingEdits();
    void disableControls();
    void autoEditAndLifetime();
};

void TestDataSource::notifications() {
    TClientDataSet ds;
    ds.FieldDefs() = {{QStringLiteral("Codigo"), ftInteger, 0, false}};
    TDataSource a, b;
    QStringList la, lb;
    auto hook = [](TDataSource& s, QStringList& log) {
        s.OnStateChange = [&log](TDataSource* src) {
            log << QStringLiteral("state %1").arg(src->State());
        };
        s.OnDataChange = [&log](TDataSource*, TField* f) {
            log << (f ? QStringLiteral("data ") + f->FieldName() : QStringLiteral("data"));
        };
    };
    hook(a, la);
    hook(b, lb);
    a.setDataSet(&ds);
    b.setDataSet(&ds);
    QCOMPARE(a.State(), dsInactive);
    ds.CreateDataSet();
    QCOMPARE(take(la), QStringLiteral("state 1,data"));
    ds.Append();
    ds.FieldByName(QStringLiteral("Codigo"))->setAsInteger(1);
    ds.Post();
    // Both sources hear the same, a field change naming its field.
    QCOMPARE(take(la), QStringLiteral("state 3,data,data Codigo,state 1,data"));
    QCOMPARE(take(lb), QStringLiteral("state 1,data,state 3,data,data Codigo,state 1,data"));
    b.setDataSet(nullptr);
    QCOMPARE(take(lb), QStringLiteral("state 0"));
    ds.Delete();
    QCOMPARE(take(la), QStringLiteral("data"));
    QVERIFY(lb.isEmpty());
    ds.Close();
    QCOMPARE(take(la), QStringLiteral("state 0"));
}

void TestDataSource::linksAndPendingEdits() {
    auto ds = makeData();
    TDataSource src;
    src.setDataSet(ds.get());
    QStringList log;
    src.OnDataChange = [&log](TDataSource*, TField* f) {
        log << (f ? QStringLiteral("data ") + f->FieldName() : QStringLiteral("data"));
    };
    src.OnStateChange = [&log](TDataSource* s) {
        log << QStringLiteral("state %1").arg(s->State());
    };
    EditLink link;
    link.field = ds->FieldByName(QStringLiteral("Nombre"));
    link.setDataSource(&src);
    QCOMPARE(take(link.log), QStringLiteral("active"));
    QVERIFY(link.Active());

    ds->Next();
    QCOMPARE(take(link.log), QStringLiteral("scrolled 1"));
    QCOMPARE(take(log), QStringLiteral("data"));

    // Editing: the state change, then a field change names the field.
    QVERIFY(link.Edit());
    QCOMPARE(take(link.log), QStringLiteral("editing,record"));
    QCOMPARE(take(log), QStringLiteral("state 2,data"));
    ds->FieldByName(QStringLiteral("Codigo"))->setAsInteger(20);
    QCOMPARE(take(link.log), QStringLiteral("field Codigo"));
    QCOMPARE(take(log), QStringLiteral("data Codigo"));

    // Post asks the link for its pending text first.
    link.pending = QStringLiteral("tecleado");
    ds->Post();
    QCOMPARE(ds->FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("tecleado"));
    QCOMPARE(take(link.log), QStringLiteral("browsing,record"));
    QCOMPARE(take(log), QStringLiteral("data Nombre,state 1,data"));

    ds->Close();
    QCOMPARE(take(link.log), QStringLiteral("inactive"));
    QVERIFY(!link.Active());
}

void TestDataSource::disableControls() {
    auto ds = makeData();
    TDataSource src;
    src.setDataSet(ds.get());
    int changes = 0;
    src.OnDataChange = [&changes](TDataSource*, TField*) { ++changes; };
    ds->DisableControls();
    ds->DisableControls();
    QVERIFY(ds->ControlsDisabled());
    while (!ds->Eof()) ds->Next();
    ds->First();
    ds->EnableControls();
    QCOMPARE(changes, 0);  // still disabled: the counts nest
    ds->EnableControls();
    QVERIFY(!ds->ControlsDisabled());
    QCOMPARE(changes, 1);  // one DataSetChanged for all that happened
    ds->EnableControls();  // an extra enable does nothing
    QCOMPARE(changes, 1);
}

void TestDataSource::autoEditAndLifetime() {
    auto ds = makeData();
    TDataSource src;
    src.setDataSet(ds.get());
    src.setAutoEdit(false);
    src.Edit();
    QCOMPARE(ds->State(), dsBrowse);
    src.setAutoEdit(true);
    src.Edit();
    QCOMPARE(ds->State(), dsEdit);
    ds->Cancel();
    src.setEnabled(false);
    QCOMPARE(src.State(), dsInactive);
    src.setEnabled(true);
    QCOMPARE(src.State(), dsBrowse);

    // A link or source that goes away first leaves nothing dangling.
    {
        EditLink link;
        link.setDataSource(&src);
    }
    ds->Next();
    auto other = std::make_unique<TDataSource>();
    other->setDataSet(ds.get());
    other.reset();
    ds->Next();
    ds.reset();
    QCOMPARE(src.State(), dsInactive);
    QVERIFY(src.DataSet() == nullptr);
}

QTEST_MAIN(TestDataSource)
#include "tst_datasource.moc"
