// TField conversions under the fixed Spanish conventions, their error texts,
// NULL against '' and the zero date, sizes, display texts and field events.

#include <QImage>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/dberror.h"
#include "db/sysutils.h"
#include "platform/db/dbtest.h"

namespace {

// One row of every kind of field, in edit mode.
std::unique_ptr<TClientDataSet> makeRecord() {
    auto ds = std::make_unique<TClientDataSet>();
    ds->setObjectName(QStringLiteral("Datos"));
    ds->FieldDefs() = {{QStringLiteral("Nombre"), ftString, 5, false},
                       {QStringLiteral("Numero"), ftInteger, 0, false},
                       {QStringLiteral("Importe"), ftFloat, 0, false},
                       {QStringLiteral("Fecha"), ftDate, 0, false},
                       {QStringLiteral("Momento"), ftDateTime, 0, false},
                       {QStringLiteral("Hora"), ftTime, 0, false},
                       {QStringLiteral("Activo"), ftBoolean, 0, false},
                       {QStringLiteral("Notas"), ftMemo, 0, false},
                       {QStringLiteral("Foto"), ftGraphic, 0, false}};
    ds->CreateDataSet();
    ds->Append();
    return ds;
}

}  // namespace

class TestField : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textsOfEachType();
    void conversionErrors_data();
    void conversionErrors();
    void nullEmptyAndZeroDate();
    void sizeAndNames();
    void displayText();
    void eventsOnWrite();
    void blobs();
};

void TestField::textsOfEachType() {
    auto ds = makeRecord();
    auto f = [&](const char* n) { return ds->FieldByName(QString::fromLatin1(n)); };
    f("Importe")->setAsString(QStringLiteral("1.234,5"));
    QCOMPARE(f("Importe")->AsFloat(), 1234.5);
    QCOMPARE(f("Importe")->AsString(), QStringLiteral("1234,5"));
    f("Importe")->setAsFloat(12.5);
    QCOMPARE(f("Importe")->AsString(), QStringLiteral("12,5"));
    QCOMPARE(f("Importe")->AsInteger(), 12);  // rounds half to even, as the runtime
    f("Numero")->setAsString(QStringLiteral(" 42 "));
    QCOMPARE(f("Numero")->Value(), QVariant(42));
    f("Numero")->setAsFloat(7.6);
    QCOMPARE(f("Numero")->AsInteger(), 8);
    f("Fecha")->setAsString(QStringLiteral("5/3/24"));
    QCOMPARE(f("Fecha")->AsString(), QStringLiteral("05/03/2024"));
    QCOMPARE(f("Fecha")->Value(), QVariant(QDate(2024, 3, 5)));
    f("Momento")->setAsDateTime(QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
    QCOMPARE(f("Momento")->AsString(), QStringLiteral("05/03/2024"));  // midnight: no time
    f("Momento")->setAsDateTime(QDateTime(QDate(2024, 3, 5), QTime(9, 5, 7)));
    QCOMPARE(f("Momento")->AsString(), QStringLiteral("05/03/2024 09:05:07"));
    f("Activo")->setAsBoolean(true);
    QCOMPARE(f("Activo")->AsString(), QStringLiteral("True"));
    f("Activo")->setAsString(QStringLiteral("f"));
    QCOMPARE(f("Activo")->AsString(), QStringLiteral("False"));
    // A text field holds what other types write into it.
    f("Nombre")->setAsFloat(2.5);
    QCOMPARE(f("Nombre")->AsString(), QStringLiteral("2,5"));
    f("Nombre")->setAsBoolean(true);
    QCOMPARE(f("Nombre")->AsString(), QStringLiteral("T"));
    f("Nombre")->setAsString(QStringLiteral("abc"));
    QCOMPARE(ErrorText([&] { f("Nombre")->AsInteger(); }),
             QStringLiteral("'abc' is not a valid integer value"));
    // Values of any type are converted by the field's type.
    f("Numero")->setValue(QStringLiteral("15"));
    QCOMPARE(f("Numero")->AsInteger(), 15);
    f("Fecha")->setValue(QDateTime(QDate(2020, 1, 2), QTime(10, 0)));
    QCOMPARE(f("Fecha")->AsString(), QStringLiteral("02/01/2020"));
}

void TestField::conversionErrors_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("integer") << "Numero"
                             << "abc"
                             << "'abc' is not a valid integer value";
    QTest::newRow("integer with decimals") << "Numero"
                                           << "12,5"
                                           << "'12,5' is not a valid integer value";
    QTest::newRow("float") << "Importe"
                           << "1,2,3"
                           << "'1,2,3' is not a valid floating point value";
    QTest::newRow("date") << "Fecha"
                          << "32/13/2024"
                          << "'32/13/2024' is not a valid date";
    QTest::newRow("boolean") << "Activo"
                             << "quizá"
                             << "'quizá' is not a valid boolean value for field 'Activo'";
}

void TestField::conversionErrors() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    auto ds = makeRecord();
    TField* f = ds->FieldByName(field);
    f->setAsString(field == QLatin1String("Activo")  ? QStringLiteral("True")
                   : field == QLatin1String("Fecha") ? QStringLiteral("01/01/2000")
                                                     : QStringLiteral("1"));
    const QVariant before = f->Value();
    try {
        f->setAsString(text);
        QFAIL("no error");
    } catch (const EConvertError& e) {
        QCOMPARE(e.Message(), message);
    }
    QCOMPARE(f->Value(), before);  // unchanged
}

void TestField::nullEmptyAndZeroDate() {
    auto ds = makeRecord();
    TField* nombre = ds->FieldByName(QStringLiteral("Nombre"));
    TField* fecha = ds->FieldByName(QStringLiteral("Fecha"));
    TField* numero = ds->FieldByName(QStringLiteral("Numero"));
    QVERIFY(nombre->IsNull());
    nombre->setAsString(QString(""));
    QVERIFY(!nombre->IsNull());  // '' is a value
    QCOMPARE(nombre->Value(), QVariant(QString("")));
    nombre->Clear();
    QVERIFY(nombre->IsNull());
    QVERIFY(!nombre->Value().isValid());

    // NULL reads as 0, '' and the zero date; an empty text clears a number.
    QCOMPARE(numero->AsInteger(), 0);
    QVERIFY(IsZeroDate(fecha->AsDateTime()));
    QCOMPARE(fecha->AsString(), QString());
    numero->setAsInteger(3);
    numero->setAsString(QString());
    QVERIFY(numero->IsNull());

    // The zero date is stored as a date, never as NULL.
    fecha->setAsDateTime(ZeroDateTime());
    QVERIFY(!fecha->IsNull());
    QCOMPARE(fecha->AsString(), QStringLiteral("30/12/1899"));
    ds->Post();
    QVERIFY(!fecha->IsNull());
    QVERIFY(nombre->IsNull());
}

void TestField::sizeAndNames() {
    auto ds = makeRecord();
    TField* nombre = ds->FieldByName(QStringLiteral("nombre"));
    nombre->setAsString(QStringLiteral("abcdefgh"));
    QCOMPARE(nombre->AsString(), QStringLiteral("abcde"));  // cut to Size 5
    nombre->setValue(QStringLiteral("1234567"));
    QCOMPARE(nombre->AsString(), QStringLiteral("12345"));
    ds->FieldByName(QStringLiteral("Notas"))->setAsString(QString(300, QLatin1Char('x')));
    QCOMPARE(ds->FieldByName(QStringLiteral("Notas"))->AsString().size(), 300);
    QCOMPARE(nombre->objectName(), QStringLiteral("DatosNombre"));
    QCOMPARE(nombre->DisplayLabel(), QStringLiteral("Nombre"));
    nombre->setDisplayLabel(QStringLiteral("Nombre completo"));
    QCOMPARE(nombre->DisplayName(), QStringLiteral("Nombre completo"));
    QCOMPARE(nombre->FieldNo(), 1);
    QCOMPARE(ds->FieldByName(QStringLiteral("Numero"))->Index(), 1);
    QCOMPARE(ds->FieldByName(QStringLiteral("Importe"))->Alignment(), taRightJustify);
    QCOMPARE(ErrorText([&] { ds->FieldByName(QStringLiteral("Nada")); }),
             QStringLiteral("Field 'Nada' not found"));
    QCOMPARE(ds->FieldValues(QStringLiteral("NOMBRE")).toString(), QStringLiteral("12345"));
}

void TestField::displayText() {
    auto ds = makeRecord();
    TField* importe = ds->FieldByName(QStringLiteral("Importe"));
    TField* fecha = ds->FieldByName(QStringLiteral("Fecha"));
    TField* notas = ds->FieldByName(QStringLiteral("Notas"));
    importe->setAsFloat(1234.5);
    importe->setDisplayFormat(QStringLiteral("#,##0.00"));
    QCOMPARE(importe->DisplayText(), QStringLiteral("1.234,50"));
    QCOMPARE(importe->Text(), QStringLiteral("1234,5"));  // no EditFormat: the plain number
    importe->setEditFormat(QStringLiteral("0.0"));
    QCOMPARE(importe->Text(), QStringLiteral("1234,5"));
    QCOMPARE(importe->AsString(), QStringLiteral("1234,5"));
    importe->Clear();
    QCOMPARE(importe->DisplayText(), QString());
    fecha->setAsString(QStringLiteral("05/03/2024"));
    fecha->setDisplayFormat(QStringLiteral("dd \"de\" mmmm \"de\" yyyy"));
    QCOMPARE(fecha->DisplayText(), QStringLiteral("05 de marzo de 2024"));
    QCOMPARE(fecha->Text(), QStringLiteral("05/03/2024"));
    QCOMPARE(notas->DisplayText(), QStringLiteral("(memo)"));
    notas->setAsString(QStringLiteral("texto"));
    QCOMPARE(notas->DisplayText(), QStringLiteral("(MEMO)"));
    QCOMPARE(notas->Text(), QStringLiteral("texto"));
    QCOMPARE(ds->FieldByName(QStringLiteral("Foto"))->DisplayText(), QStringLiteral("(graphic)"));

    // OnGetText wins over every format and tells display from edit text.
    QStringList asked;
    fecha->OnGetText = [&asked](TField* f, QString& text, bool display) {
        asked << (display ? QStringLiteral("display") : QStringLiteral("edit"));
        text = QStringLiteral("<") + f->AsString() + QLatin1Char('>');
    };
    QCOMPARE(fecha->DisplayText(), QStringLiteral("<05/03/2024>"));
    QCOMPARE(fecha->Text(), QStringLiteral("<05/03/2024>"));
    QCOMPARE(asked, (QStringList{QStringLiteral("display"), QStringLiteral("edit")}));
    fecha->OnSetText = [](TField* f, const QString& text) { f->setAsString(text.mid(1)); };
    fecha->setText(QStringLiteral("x07/03/2024"));
    QCOMPARE(fecha->AsString(), QStringLiteral("07/03/2024"));
}

void TestField::eventsOnWrite() {
    auto ds = makeRecord();
    TField* numero = ds->FieldByName(QStringLiteral("Numero"));
    QStringList log;
    numero->OnValidate = [&log](TField* f) {
        log << QStringLiteral("validate %1").arg(f->AsInteger());  // sees the new value
        if (f->AsInteger() < 0) throw EDatabaseError(DbError::General, QStringLiteral("negativo"));
    };
    numero->OnChange = [&log](TField* f) {
        log << QStringLiteral("change %1").arg(f->AsInteger());
    };
    numero->setAsInteger(5);
    QCOMPARE(ErrorText([&] { numero->setAsInteger(-1); }), QStringLiteral("negativo"));
    QCOMPARE(numero->AsInteger(), 5);  // the old value stays
    QCOMPARE(log, (QStringList{QStringLiteral("validate 5"), QStringLiteral("change 5"),
                               QStringLiteral("validate -1")}));
    QVERIFY(ds->Modified());
    numero->setReadOnly(true);
    QCOMPARE(ErrorText([&] { numero->setAsInteger(1); }),
             QStringLiteral("Field 'Numero' cannot be modified"));
}

void TestField::blobs() {
    auto ds = makeRecord();
    TField* foto = ds->FieldByName(QStringLiteral("Foto"));
    QImage img(4, 3, QImage::Format_RGB32);
    img.fill(Qt::red);
    foto->setAsImage(img);
    QVERIFY(!foto->IsNull());
    QCOMPARE(foto->DisplayText(), QStringLiteral("(GRAPHIC)"));
    const QImage back = foto->AsImage();
    QCOMPARE(back.size(), QSize(4, 3));
    QCOMPARE(back.pixelColor(1, 1), QColor(Qt::red));
    foto->setAsBytes(QByteArray("\x00\x01\xff", 3));
    QCOMPARE(foto->AsBytes(), QByteArray("\x00\x01\xff", 3));
    QVERIFY(foto->AsImage().isNull());  // not an image: a null image, no error
    ds->Post();
    QCOMPARE(foto->AsBytes().size(), 3);
}

QTEST_MAIN(TestField)
#include "tst_field.moc"
