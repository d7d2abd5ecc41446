// The common keys of every form, pressed on a shown form as a user does:
// Enter from field to field outside memos, the keypad's point as "," (":" in time
// fields), Ctrl+F5 on "Agregar", Esc for the running listing (never the Esc
// that closes a drop-down list), F3 to the confirm button, exact modifiers,
// and failures that never leave the keys.

#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/field.h"
#include "gene/data/genemens.h"
#include "gene/session/geneform.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/form.h"
#include "ui/menus.h"

namespace {

int vistas = 0;
void contarVista(TfGENEINIC*, TDataSet*) {
    ++vistas;
}
void fallarVista(TfGENEINIC*, TDataSet*) {
    throw std::runtime_error("visor roto");
}
int camposUsuario = 0;
void contarCamposUsuario(TfGENEINIC*, TDataSet*) {
    ++camposUsuario;
}

class TfTECLAS : public TForm {
    Q_OBJECT
public:
    TfTECLAS() {
        setName(QStringLiteral("fTECLAS"));
        setKeyPreview(true);
        Datos = new TClientDataSet(this);
        Datos->setObjectName(QStringLiteral("Table1"));
        Datos->FieldDefs() << TFieldDef{QStringLiteral("Importe"), ftFloat, 0, false}
                           << TFieldDef{QStringLiteral("HoraEntrada"), ftDateTime, 0, false};
        Datos->CreateDataSet();
        Datos->Append();
        Datos->Post();
        DataSource1 = new TDataSource(this);
        DataSource1->setObjectName(QStringLiteral("DataSource1"));
        DataSource1->setDataSet(Datos);
        auto* caja = new QVBoxLayout(this);
        Edit1 = agregar<TEdit>(caja, "Edit1");
        Edit2 = agregar<TEdit>(caja, "Edit2");
        Memo1 = agregar<TMemo>(caja, "Memo1");
        Hora = agregar<TDBEdit>(caja, "DBEditHora");
        Hora->setDataSource(DataSource1);
        Hora->setDataField(QStringLiteral("HoraEntrada"));
        EditSexo = agregar<TComboBox>(caja, "EditSexo");
        EditSexo->setItems({QStringLiteral("Hombre"), QStringLiteral("Mujer")});
        EditSexo->setItemIndex(0);
        pbGrabar = agregar<TButton>(caja, "pbGrabar");
        pbAceptar = agregar<TButton>(caja, "pbAceptar");
        EditVacio = agregar<TComboBox>(caja, "EditVacio");
        Menu = new TMainMenu(this);
        Menu->setObjectName(QStringLiteral("MainMenu1"));
        auto* ficha =
            new TMenuItem(Menu->Items(), QStringLiteral("Ficha1"), QStringLiteral("&Ficha"));
        Agregar = new TMenuItem(ficha, QStringLiteral("Agregar"), QStringLiteral("&Agregar"));
        setMenu(Menu);
        OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
            TeclaPulsadaFormulario(nullptr, this, Key, Shift);
            if (Key == VK_ESCAPE) ++escapes;
        };
        OnKeyPress = [this](QObject*, QChar& Key) {
            TeclaPresionadaFormulario(nullptr, this, Key);
        };
    }
    template <class C>
    C* agregar(QVBoxLayout* caja, const char* nombre) {
        auto* c = new C(this);
        c->setObjectName(QLatin1String(nombre));
        caja->addWidget(c);
        return c;
    }
    TClientDataSet* Datos;
    TDataSource* DataSource1;
    TEdit* Edit1;
    TEdit* Edit2;
    TMemo* Memo1;
    TDBEdit* Hora;
    TComboBox* EditSexo;
    TButton* pbGrabar;
    TButton* pbAceptar;
    TComboBox* EditVacio;
    TMainMenu* Menu;
    TMenuItem* Agregar;
    int escapes = 0;
};

void enfocar(QWidget* w) {
    w->activateWindow();
    w->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(w->hasFocus());
}

}  // namespace

class TestGeneFormTeclado : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { MessageSeam::activate(); }
    void init() {
        DesactivarPuntoPorComaDecimal = false;
        ListadoCancelado = false;
        vistas = 0;
        GanchoVisorCampos = contarVista;
    }

    void introComoTabulador() {
        TfTECLAS f;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        enfocar(f.Edit1);
        QTest::keyClick(f.Edit1, Qt::Key_Return);
        QTRY_VERIFY(f.Edit2->hasFocus());
        QCOMPARE(f.Edit1->Text(), QString());
        // In a memo Enter is a line break.
        enfocar(f.Memo1);
        QTest::keyClicks(f.Memo1, QStringLiteral("a"));
        QTest::keyClick(f.Memo1, Qt::Key_Return);
        QTest::keyClicks(f.Memo1, QStringLiteral("b"));
        QVERIFY(f.Memo1->hasFocus());
        QCOMPARE(f.Memo1->Lines(), (QStringList{"a", "b"}));
        // Enter goes from field to field: the buttons between are Tab's only.
        enfocar(f.EditSexo);
        QTest::keyClick(f.EditSexo, Qt::Key_Return);
        QTRY_VERIFY(f.EditVacio->hasFocus());
        QTest::keyClick(f.EditVacio, Qt::Key_Return);
        QTRY_VERIFY(f.Edit1->hasFocus());
        enfocar(f.EditSexo);
        QTest::keyClick(f.EditSexo, Qt::Key_Tab);
        QTRY_VERIFY(f.pbGrabar->hasFocus());
    }

    void puntoDelTecladoNumerico() {
        TfTECLAS f;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        enfocar(f.Edit1);
        QTest::keyClick(f.Edit1, Qt::Key_1);
        QTest::keyClick(f.Edit1, Qt::Key_Period, Qt::KeypadModifier);
        QTest::keyClick(f.Edit1, Qt::Key_Period);
        QCOMPARE(f.Edit1->Text(), QStringLiteral("1,."));

        // In a time field it is ":", also when the user keeps the point.
        DesactivarPuntoPorComaDecimal = true;
        enfocar(f.Hora);
        QTest::keyClick(f.Hora, Qt::Key_9);
        QTest::keyClick(f.Hora, Qt::Key_Period, Qt::KeypadModifier);
        QTest::keyClick(f.Hora, Qt::Key_3);
        QCOMPARE(f.Hora->Text(), QStringLiteral("9:3"));
        enfocar(f.Edit2);
        QTest::keyClick(f.Edit2, Qt::Key_Period, Qt::KeypadModifier);
        QCOMPARE(f.Edit2->Text(), QStringLiteral("."));
    }

    void teclasDeControl() {
        TfTECLAS f;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        enfocar(f.Edit1);
        QTest::keyClick(f.Edit1, Qt::Key_F5, Qt::ControlModifier);
        QVERIFY(f.Agregar->Checked());
        QCOMPARE(f.Agregar->Caption(), QStringLiteral("&Agregar con Duplicación"));
        QTest::keyClick(f.Edit1, Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(f.Agregar->Checked());
        QTest::keyClick(f.Edit1, Qt::Key_F5, Qt::ControlModifier);
        QCOMPARE(f.Agregar->Caption(), QStringLiteral("&Agregar"));

        // Ctrl alone opens the viewer on DataSource1's dataset; with Shift nothing.
        QTest::keyClick(f.Edit1, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(vistas, 0);
        QTest::keyClick(f.Edit1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(vistas, 1);
        // A failing viewer never leaves the key handling.
        GanchoVisorCampos = fallarVista;
        QTest::keyClick(f.Edit1, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(MessageSeam::log().isEmpty());

        // Esc, with any modifier, cancels the listing and reaches the form.
        QTest::keyClick(f.Edit1, Qt::Key_Escape, Qt::ShiftModifier);
        QVERIFY(ListadoCancelado);
        QCOMPARE(f.escapes, 1);

        // F3 goes to the confirm button, pbAceptar before pbGrabar.
        QTest::keyClick(f.Edit1, Qt::Key_F3);
        QTRY_VERIFY(f.pbAceptar->hasFocus());
    }

    // Esc or Enter that closes an open drop-down list (also one that opened
    // empty) only closes it: the record being typed is not cancelled, the
    // listing goes on, the focus stays; with the list closed Esc cancels the
    // edit again.
    void teclasDeListaDesplegable_data() {
        QTest::addColumn<int>("tecla");
        QTest::addColumn<int>("elegido");
        QTest::newRow("Esc") << int(Qt::Key_Escape) << 0;
        QTest::newRow("Intro") << int(Qt::Key_Return) << 1;
    }
    void teclasDeListaDesplegable() {
        QFETCH(int, tecla);
        QFETCH(int, elegido);
        TfTECLAS f;
        // A master's "Cancelar Edición" answers Esc.
        int cancelaciones = 0;
        auto* cancelar =
            new TMenuItem(f.Menu->Items()->Items(0), QStringLiteral("CancelarEdicion1"),
                          QStringLiteral("&Cancelar Edición"), ShortCut(VK_ESCAPE));
        cancelar->OnClick = [&cancelaciones](QObject*) { ++cancelaciones; };
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        enfocar(f.EditSexo);
        f.EditSexo->showPopup();
        QTRY_VERIFY(QApplication::activePopupWidget());
        QWidget* lista = QApplication::focusWidget();
        QVERIFY(lista && QApplication::activePopupWidget()->isAncestorOf(lista));
        QTest::keyClick(lista, Qt::Key_Down);
        QTest::keyClick(lista, Qt::Key(tecla));
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QCOMPARE(f.EditSexo->ItemIndex(), elegido);
        QVERIFY(!ListadoCancelado);
        QCOMPARE(f.escapes, 0);
        QCOMPARE(cancelaciones, 0);

        QTRY_VERIFY(f.EditSexo->hasFocus());
        QTest::keyClick(f.EditSexo, Qt::Key_Escape);
        QCOMPARE(cancelaciones, 1);

        // A list with nothing in it opens empty, and the key closes just that.
        enfocar(f.EditVacio);
        f.EditVacio->showPopup();
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key(tecla));
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QCOMPARE(cancelaciones, 1);
        QCOMPARE(f.escapes, 0);
        QVERIFY(!ListadoCancelado);
    }

    // The keys of the common table that a field would take as typed text
    // (Ctrl with the keypad's "+", Ctrl+Alt with a letter) do their work and
    // never reach the edit or the grid's cell, whether the viewer opens or not.
    void teclasQueNoSonTexto_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("tecla");
        QTest::addColumn<int>("modificadores");
        QTest::addColumn<bool>("visor");
        QTest::addColumn<int>("vistasEsperadas");
        const int ctrlTeclado = int(Qt::ControlModifier | Qt::KeypadModifier);
        const int ctrlAlt = int(Qt::ControlModifier | Qt::AltModifier);
        QTest::newRow("edit, Ctrl+NumPad+, visor")
            << "edit" << int(Qt::Key_Plus) << ctrlTeclado << true << 1;
        QTest::newRow("edit, Ctrl+NumPad+, sin visor")
            << "edit" << int(Qt::Key_Plus) << ctrlTeclado << false << 0;
        // The grid's record is being typed: the viewer waits for browsing.
        QTest::newRow("celda, Ctrl+NumPad+")
            << "celda" << int(Qt::Key_Plus) << ctrlTeclado << true << 0;
        QTest::newRow("celda, Ctrl+Alt+C") << "celda" << int(Qt::Key_C) << ctrlAlt << true << 0;
        QTest::newRow("celda, Ctrl+Alt+V") << "celda" << int(Qt::Key_V) << ctrlAlt << true << 0;
    }
    void teclasQueNoSonTexto() {
        QFETCH(QString, control);
        QFETCH(int, tecla);
        QFETCH(int, modificadores);
        QFETCH(bool, visor);
        QFETCH(int, vistasEsperadas);
        camposUsuario = 0;
        GanchoVisorCamposUsuario = visor ? contarCamposUsuario : nullptr;
        TfTECLAS f;
        auto* rejilla = new TDBGrid(&f);
        rejilla->setObjectName(QStringLiteral("DBGrid1"));
        rejilla->setDataSource(f.DataSource1);
        f.layout()->addWidget(rejilla);
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QLineEdit* campo = f.Edit1;
        if (control == QLatin1String("edit")) {
            enfocar(f.Edit1);
        } else {
            enfocar(rejilla);
            rejilla->setSelectedIndex(0);
            QTest::keyClicks(rejilla, QStringLiteral("5"));
            campo = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            QVERIFY(campo && rejilla->isAncestorOf(campo));
        }
        campo->clear();
        QTest::keyClicks(campo, QStringLiteral("12"));
        QTest::keyClick(campo, Qt::Key(tecla), Qt::KeyboardModifiers(modificadores));
        // Ctrl+Alt+V pastes the copied record (none here) over the typing.
        QCOMPARE(campo->text(), tecla == Qt::Key_V ? QString() : QStringLiteral("12"));
        QCOMPARE(camposUsuario, vistasEsperadas);
        GanchoVisorCamposUsuario = nullptr;
    }

    // The typed-key buffer: plain keys as characters, the rest as one "|".
    void teclasPulsadas() {
        TeclasPulsadas.clear();
        int key = 'A';
        TeclaPulsadaFormulario(nullptr, nullptr, key, 0);
        key = 'B';
        TeclaPulsadaFormulario(nullptr, nullptr, key, 0);
        key = VK_CONTROL;
        TeclaPulsadaFormulario(nullptr, nullptr, key, ssCtrl);
        key = 'T';
        TeclaPulsadaFormulario(nullptr, nullptr, key, ssCtrl);
        QCOMPARE(TeclasPulsadas, QStringLiteral("AB|"));
        QCOMPARE(UltimaTeclaPulsada, int('T'));
        TeclasPulsadas = QString(10001, QLatin1Char('x'));
        key = 'C';
        TeclaPulsadaFormulario(nullptr, nullptr, key, 0);
        QCOMPARE(TeclasPulsadas, QStringLiteral("C"));
    }
};

QTEST_MAIN(TestGeneFormTeclado)
#include "tst_geneform_teclado.moc"
