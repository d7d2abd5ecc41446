// Data controls over a data source: edit mode on typing, read-only in all
// its forms, a text the field refuses, check boxes with "SI"/"NO", lookup
// combos, radio groups, the navigator and a memo too large to lay out.

#include <QElapsedTimer>
#include <QVBoxLayout>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/dberror.h"
#include "db/field.h"
#include "support/memoriaprueba.h"
#include "ui/dbcontrols.h"
#include "ui/form.h"

namespace {

// Personnel in memory: Codigo, Nombre (10), Importe, Activo ("SI"/"NO"), Puesto.
std::unique_ptr<TClientDataSet> personal() {
    auto ds = std::make_unique<TClientDataSet>();
    ds->setObjectName(QStringLiteral("Table1"));
    ds->FieldDefs() << TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, true}
                    << TFieldDef{QStringLiteral("Nombre"), ftString, 10, false}
                    << TFieldDef{QStringLiteral("Importe"), ftFloat, 0, false}
                    << TFieldDef{QStringLiteral("Activo"), ftString, 2, false}
                    << TFieldDef{QStringLiteral("Puesto"), ftInteger, 0, false};
    ds->CreateDataSet();
    const QVariantList rows[] = {{1, "Ana", 1234.5, "SI", 10},
                                 {2, "Luis", 20.0, "NO", 20},
                                 {3, "Eva", QVariant(), "X", QVariant()}};
    for (const QVariantList& r : rows) {
        ds->Append();
        for (int i = 0; i < r.size(); ++i) ds->Fields()[i]->setValue(r[i]);
        ds->Post();
    }
    ds->FieldByName(QStringLiteral("Importe"))->setDisplayFormat(QStringLiteral("#,##0.00"));
    ds->FieldByName(QStringLiteral("Importe"))->setEditFormat(QStringLiteral("0.##"));
    ds->First();
    return ds;
}

struct Errores {
    QStringList textos;
    Errores() {
        SetApplicationExceptionHandler([this](QObject*, std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const EDatabaseError& x) {
                textos << x.Message();
            } catch (const std::exception& x) {
                textos << QString::fromUtf8(x.what());
            }
        });
    }
    ~Errores() { SetApplicationExceptionHandler(nullptr); }
};

// A shown form holding the controls, one under the other.
struct Ficha {
    TForm form;
    QVBoxLayout* box = new QVBoxLayout(&form);
    template <class C>
    C* add(TDataSource* source, const QString& field) {
        auto* c = new C(&form);
        c->setDataSource(source);
        c->setDataField(field);
        box->addWidget(c);
        return c;
    }
    void show() {
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
    }
};

}  // namespace

class TestDBControls : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typingEditsThroughTheSource();
    void readOnlyInAllItsForms();
    void refusedTextKeepsTheValue();
    void checkBoxSiNo();
    void lookupComboAndRadioGroup();
    void navigator();
    void hugeMemoIsShownBounded_data();
    void hugeMemoIsShownBounded();
};

void TestDBControls::typingEditsThroughTheSource() {
    auto ds = personal();
    TDataSource source;
    source.setDataSet(ds.get());
    Ficha f;
    auto* nombre = f.add<TDBEdit>(&source, QStringLiteral("Nombre"));
    auto* importe = f.add<TDBEdit>(&source, QStringLiteral("Importe"));
    f.show();

    // Browsing, unfocused: the display text; the limit is the field's size.
    QCOMPARE(nombre->text(), QStringLiteral("Ana"));
    QCOMPARE(importe->text(), QStringLiteral("1.234,50"));
    QCOMPARE(nombre->maxLength(), 10);

    nombre->setFocus();
    nombre->setCursorPosition(3);
    QTest::keyClicks(nombre, QStringLiteral("bel"));
    QCOMPARE(ds->State(), dsEdit);
    QCOMPARE(nombre->text(), QStringLiteral("Anabel"));
    // Not in the field until the control is left or the record posted...
    QCOMPARE(ds->FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("Ana"));
    // ...and, while editing, numbers show their edit text.
    QCOMPARE(importe->text(), QStringLiteral("1234,5"));
    ds->Post();
    QCOMPARE(ds->FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("Anabel"));
    QCOMPARE(importe->text(), QStringLiteral("1.234,50"));

    // Leaving the control writes the field.
    importe->setFocus();
    importe->selectAll();
    QTest::keyClicks(importe, QStringLiteral("7,25"));
    nombre->setFocus();
    QCOMPARE(ds->FieldByName(QStringLiteral("Importe"))->AsFloat(), 7.25);
    QCOMPARE(ds->State(), dsEdit);
    ds->Post();

    // The controls follow the record.
    ds->Next();
    QCOMPARE(nombre->text(), QStringLiteral("Luis"));
    QCOMPARE(importe->text(), QStringLiteral("20,00"));

    // Letters in a number are refused as they are typed.
    importe->setFocus();
    QTest::keyClicks(importe, QStringLiteral("a"));
    QCOMPARE(ds->State(), dsBrowse);

    // Without AutoEdit typing does nothing.
    source.setAutoEdit(false);
    nombre->setFocus();
    QTest::keyClicks(nombre, QStringLiteral("zz"));
    QCOMPARE(ds->State(), dsBrowse);
    QCOMPARE(nombre->text(), QStringLiteral("Luis"));
}

void TestDBControls::readOnlyInAllItsForms() {
    auto ds = personal();
    TDataSource source;
    source.setDataSet(ds.get());
    Ficha f;
    auto* nombre = f.add<TDBEdit>(&source, QStringLiteral("Nombre"));
    auto* codigo = f.add<TDBEdit>(&source, QStringLiteral("Codigo"));
    auto* memo = f.add<TDBMemo>(&source, QStringLiteral("Nombre"));
    f.show();

    nombre->setReadOnly(true);
    nombre->setFocus();
    QTest::keyClicks(nombre, QStringLiteral("x"));
    QCOMPARE(ds->State(), dsBrowse);
    QCOMPARE(nombre->text(), QStringLiteral("Ana"));
    QVERIFY(nombre->ReadOnly());

    ds->FieldByName(QStringLiteral("Codigo"))->setReadOnly(true);
    codigo->setFocus();
    QTest::keyClicks(codigo, QStringLiteral("9"));
    QCOMPARE(ds->State(), dsBrowse);

    // A memo edits like an edit box.
    memo->setFocus();
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, QStringLiteral("!"));
    QCOMPARE(ds->State(), dsEdit);
    ds->Post();
    QCOMPARE(ds->FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("Ana!"));

    // A dataset that cannot be modified.
    TClientDataSet copia;
    copia.setReadOnly(true);
    copia.LoadFromDataSet(ds.get());
    source.setDataSet(&copia);
    QCOMPARE(memo->Text(), QStringLiteral("Ana!"));
    memo->setFocus();
    QTest::keyClicks(memo, QStringLiteral("?"));
    QCOMPARE(copia.State(), dsBrowse);
    QCOMPARE(memo->Text(), QStringLiteral("Ana!"));
}

void TestDBControls::refusedTextKeepsTheValue() {
    auto ds = personal();
    TDataSource source;
    source.setDataSet(ds.get());
    Ficha f;
    auto* importe = f.add<TDBEdit>(&source, QStringLiteral("Importe"));
    auto* nombre = f.add<TDBEdit>(&source, QStringLiteral("Nombre"));
    f.show();
    Errores errores;

    importe->setFocus();
    importe->selectAll();
    QTest::keyClicks(importe, QStringLiteral("1,2,3"));
    nombre->setFocus();
    // The field's conversion error; the value stays and so does the focus.
    QCOMPARE(errores.textos.size(), 1);
    QVERIFY2(errores.textos[0].contains(QStringLiteral("'1,2,3'")), qPrintable(errores.textos[0]));
    QCOMPARE(ds->FieldByName(QStringLiteral("Importe"))->AsFloat(), 1234.5);
    QTRY_COMPARE(QApplication::focusWidget(), importe);
    QCOMPARE(importe->text(), QStringLiteral("1,2,3"));

    // Posting with the bad text pending fails the same way and keeps editing.
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, ds->Post());
    QCOMPARE(ds->State(), dsEdit);
    // Esc gives the field's value back.
    QTest::keyClick(importe, Qt::Key_Escape);
    QCOMPARE(importe->text(), QStringLiteral("1234,5"));
    ds->Cancel();
    QCOMPARE(ds->FieldByName(QStringLiteral("Importe"))->AsFloat(), 1234.5);
}

void TestDBControls::checkBoxSiNo() {
    auto ds = personal();
    TDataSource source;
    source.setDataSet(ds.get());
    Ficha f;
    auto* activo = f.add<TDBCheckBox>(&source, QStringLiteral("Activo"));
    activo->setValueChecked(QStringLiteral("SI"));
    activo->setValueUnchecked(QStringLiteral("NO"));
    f.show();
    int clics = 0;
    QString visto;
    activo->OnClick = [&](QObject*) {
        ++clics;
        visto = ds->FieldByName(QStringLiteral("Activo"))->AsString();
    };

    QVERIFY(activo->isChecked());
    ds->Next();
    QVERIFY(!activo->isChecked());
    QCOMPARE(clics, 0);  // showing a record is not a click
    ds->Next();
    QCOMPARE(activo->checkState(), Qt::Unchecked);  // neither value

    ds->Prior();
    QTest::mouseClick(activo, Qt::LeftButton, {}, QPoint(5, activo->height() / 2));
    QCOMPARE(ds->State(), dsEdit);
    QCOMPARE(clics, 1);
    QCOMPARE(visto, QStringLiteral("SI"));  // the handler sees the field written
    ds->Post();
    QCOMPARE(ds->FieldByName(QStringLiteral("Activo"))->AsString(), QStringLiteral("SI"));
    activo->click();
    QCOMPARE(ds->FieldByName(QStringLiteral("Activo"))->AsString(), QStringLiteral("NO"));
    ds->Cancel();

    // Read-only: the click changes nothing.
    activo->setReadOnly(true);
    activo->click();
    QVERIFY(activo->isChecked());
    QCOMPARE(ds->State(), dsBrowse);
}

void TestDBControls::lookupComboAndRadioGroup() {
    auto ds = personal();
    TClientDataSet puestos;
    puestos.FieldDefs() << TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, true}
                        << TFieldDef{QStringLiteral("Descripcion"), ftString, 30, false};
    puestos.CreateDataSet();
    for (auto [codigo, texto] : {std::pair{10, "Tornero"}, {20, "Soldador"}, {30, "Pintor"}}) {
        puestos.Append();
        puestos.Fields()[0]->setValue(codigo);
        puestos.Fields()[1]->setValue(QString::fromUtf8(texto));
        puestos.Post();
    }
    puestos.First();
    TDataSource source, lista;
    source.setDataSet(ds.get());
    lista.setDataSet(&puestos);
    Ficha f;
    auto* puesto = f.add<TDBLookupComboBox>(&source, QStringLiteral("Puesto"));
    puesto->setListSource(&lista);
    puesto->setKeyField(QStringLiteral("Codigo"));
    puesto->setListField(QStringLiteral("Descripcion"));
    auto* grupo = f.add<TDBRadioGroup>(&source, QStringLiteral("Activo"));
    grupo->setItems({QStringLiteral("Activo"), QStringLiteral("Baja")});
    grupo->setValues({QStringLiteral("SI"), QStringLiteral("NO")});
    f.show();

    QCOMPARE(puesto->Text(), QStringLiteral("Tornero"));
    QCOMPARE(grupo->ItemIndex(), 0);
    ds->Next();
    QCOMPARE(puesto->Text(), QStringLiteral("Soldador"));
    QCOMPARE(grupo->Value(), QStringLiteral("NO"));
    ds->Next();
    QCOMPARE(puesto->Text(), QString());  // no key
    QCOMPARE(grupo->ItemIndex(), -1);

    // The list is read without moving the list's dataset; a pick writes the key.
    puestos.Next();
    puesto->showPopup();
    QCOMPARE(puesto->count(), 3);
    QCOMPARE(puestos.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 20);
    puesto->hidePopup();
    Q_EMIT puesto->activated(2);
    QCOMPARE(ds->State(), dsEdit);
    QCOMPARE(ds->FieldByName(QStringLiteral("Puesto"))->AsInteger(), 30);
    QCOMPARE(puesto->Text(), QStringLiteral("Pintor"));
    QCOMPARE(puesto->KeyValue(), QVariant(30));

    // Picking a radio button writes its value.
    grupo->findChildren<QRadioButton*>().at(1)->click();
    QCOMPARE(ds->FieldByName(QStringLiteral("Activo"))->AsString(), QStringLiteral("NO"));
    ds->Post();
}

void TestDBControls::navigator() {
    auto ds = personal();
    TDataSource source;
    source.setDataSet(ds.get());
    TDBNavigator nav;
    nav.setDataSource(&source);
    QVERIFY(!nav.Button(nbFirst)->isEnabled());
    QVERIFY(nav.Button(nbNext)->isEnabled());
    QVERIFY(!nav.Button(nbPost)->isEnabled());
    QList<TNavigateBtn> pulsados;
    nav.OnNavClick = [&](QObject*, TNavigateBtn b) { pulsados << b; };
    nav.Button(nbLast)->click();
    QCOMPARE(ds->FieldByName(QStringLiteral("Codigo"))->AsInteger(), 3);
    QVERIFY(!nav.Button(nbNext)->isEnabled());
    nav.Button(nbEdit)->click();
    QCOMPARE(ds->State(), dsEdit);
    QVERIFY(nav.Button(nbPost)->isEnabled());
    QVERIFY(!nav.Button(nbFirst)->isEnabled());
    nav.Button(nbCancel)->click();
    QCOMPARE(pulsados, QList<TNavigateBtn>({nbLast, nbEdit, nbCancel}));
}

// A memo of 20 MB opens in a moment and within bounded memory (one line of
// it laid out wrapped takes minutes): shown read-only, its long lines broken
// but never inside a letter; an edit box, which holds less, does not edit
// it either; the record keeps the whole value when another field is edited
// and posted.
void TestDBControls::hugeMemoIsShownBounded_data() {
    QTest::addColumn<QString>("valor");
    QString grande(20'000'000, QLatin1Char('x'));
    QTest::newRow("una línea") << grande;
    for (qsizetype i = 200'000; i < grande.size(); i += 200'001) grande[i] = QLatin1Char('\n');
    // A letter outside Latin-1 (two UTF-16 units) where a line is broken.
    grande.replace(TDBMemo::kLineaMemo - 1, 2, QStringLiteral("\U0001D11E"));
    QTest::newRow("líneas LF, fuera de Latin-1 en el corte") << grande;
}

void TestDBControls::hugeMemoIsShownBounded() {
    QFETCH(QString, valor);
    TClientDataSet ds;
    ds.FieldDefs() << TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, true}
                   << TFieldDef{QStringLiteral("Notas"), ftMemo, 0, false};
    ds.CreateDataSet();
    ds.Append();
    ds.Fields()[0]->setAsInteger(1);
    ds.Fields()[1]->setAsString(valor);
    ds.Post();
    TDataSource source;
    source.setDataSet(&ds);
    ReiniciarPicoMemoria();
    const qint64 antes = PicoMemoriaMB();
    QElapsedTimer reloj;
    reloj.start();
    Ficha f;
    auto* codigo = f.add<TDBEdit>(&source, QStringLiteral("Codigo"));
    auto* memo = f.add<TDBMemo>(&source, QStringLiteral("Notas"));
    f.show();
    memo->repaint();
    memo->setFocus();
    memo->moveCursor(QTextCursor::End);
    memo->repaint();
    QVERIFY2(reloj.elapsed() < 5000, qPrintable(QString::number(reloj.elapsed())));
    const qint64 tomada = PicoMemoriaMB() - antes;
    QVERIFY2(tomada < LimiteMemoriaMB(200), qPrintable(QString::number(tomada)));

    QVERIFY(memo->isReadOnly());
    const QStringList lineas = memo->toPlainText().split(QLatin1Char('\n'));
    QVERIFY(lineas.first().startsWith(valor.left(100)));
    for (const QString& linea : lineas) {
        QVERIFY2(linea.size() <= TDBMemo::kLineaMemo + 1,
                 qPrintable(QString::number(linea.size())));
        QVERIFY(linea.isEmpty() || !linea.front().isLowSurrogate());
        QVERIFY(linea.isEmpty() || !linea.back().isHighSurrogate());
    }
    // Typed into, the record is not edited; nor through an edit box, which
    // holds less; another field is, and posted.
    QTest::keyClicks(memo, QStringLiteral("z"));
    QCOMPARE(ds.State(), dsBrowse);
    auto* linea = f.add<TDBEdit>(&source, QStringLiteral("Notas"));
    linea->setFocus();
    linea->end(false);
    QTest::keyClicks(linea, QStringLiteral("z"));
    QCOMPARE(ds.State(), dsBrowse);
    codigo->setFocus();
    codigo->selectAll();
    QTest::keyClicks(codigo, QStringLiteral("2"));
    memo->setFocus();
    codigo->setFocus();
    ds.Post();
    QCOMPARE(ds.Fields()[0]->AsInteger(), 2);
    QVERIFY(ds.Fields()[1]->AsString() == valor);
    QVERIFY(memo->Value() == valor);
}

QTEST_MAIN(TestDBControls)
#include "tst_dbcontrols.moc"
