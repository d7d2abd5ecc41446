#include <QDialog>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

#include "db/dberror.h"
#include "gene/session/genecomp.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/grids.h"

class TestControls : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void publishedByName();
    void eventsFromUserAndCode();
    void enterAndExit();
    void masks_data();
    void masks();
    void memoLinesAndLimit();
    void pagesAndTabs();
    void stringGridCells();
    void stringGridDrawingAndClicks();
    void spinButton();
    void fontsAndColors();
};

void TestControls::publishedByName() {
    TForm form;
    auto* boton = new TButton(&form, QStringLiteral("&Aceptar"));
    boton->setObjectName(QStringLiteral("pbAceptar"));
    auto* edit = new TEdit(&form);
    auto* grid = new TStringGrid(&form);
    QObject* controles[] = {boton,
                            edit,
                            grid,
                            new TLabel(&form),
                            new TCheckBox(&form),
                            new TComboBox(&form),
                            new TPanel(&form),
                            new TMemo(&form)};
    for (QObject* c : controles) {
        for (const char* p : {"Enabled", "Visible", "Tag", "Hint", "Color", "Font", "Left", "Top",
                              "Width", "Height", "TabOrder", "OnClick", "OnEnter", "OnExit",
                              "OnKeyDown", "OnKeyPress", "OnDblClick"})
            QVERIFY2(TienePropiedad(c, QLatin1String(p)),
                     qPrintable(QStringLiteral("%1.%2").arg(c->metaObject()->className(), p)));
        QVERIFY(!TienePropiedad(c, QStringLiteral("onclick")));
    }
    QVERIFY(TienePropiedad(boton, QStringLiteral("Caption")));
    QVERIFY(TienePropiedad(edit, QStringLiteral("Text")));
    QVERIFY(TienePropiedad(edit, QStringLiteral("OnChange")));
    QVERIFY(TienePropiedad(edit, QStringLiteral("ReadOnly")));

    QVariant v;
    LeerPropiedad(boton, QStringLiteral("Caption"), v);
    QCOMPARE(v.toString(), QStringLiteral("&Aceptar"));
    LeerPropiedad(boton, QStringLiteral("OnClick"), v);
    QCOMPARE(v, QVariant(false));
    boton->OnClick = [](QObject*) {};
    LeerPropiedad(boton, QStringLiteral("OnClick"), v);
    QCOMPARE(v, QVariant(true));

    // Written by name: sizes become the control's size hint; Visible is the
    // control's own flag, whatever its form shows.
    AsignarPropiedad(boton, QStringLiteral("Width"), 31);
    AsignarPropiedad(boton, QStringLiteral("Height"), 25);
    QCOMPARE(boton->sizeHint(), QSize(31, 25));
    QCOMPARE(boton->Width(), 31);
    LeerPropiedad(edit, QStringLiteral("Visible"), v);
    QCOMPARE(v, QVariant(true));
    AsignarPropiedad(edit, QStringLiteral("Visible"), false);
    LeerPropiedad(edit, QStringLiteral("Visible"), v);
    QCOMPARE(v, QVariant(false));
    AsignarPropiedad(edit, QStringLiteral("Hint"), QStringLiteral("fPRUEBA.Edit1"));
    QCOMPARE(edit->toolTip(), QStringLiteral("fPRUEBA.Edit1"));
    AsignarPropiedad(edit, QStringLiteral("Tag"), 1000);
    QCOMPARE(edit->Tag(), 1000);
}

void TestControls::eventsFromUserAndCode() {
    TForm form;
    auto* box = new QVBoxLayout(&form);
    auto* check = new TCheckBox(&form, QStringLiteral("Activo"));
    auto* edit = new TEdit(&form);
    auto* boton = new TButton(&form, QStringLiteral("&Conforme"));
    auto* panel = new TPanel(&form);
    panel->setHeight(30);
    auto* grupo = new TRadioGroup(&form);
    for (QWidget* w :
         {static_cast<QWidget*>(check), static_cast<QWidget*>(edit), static_cast<QWidget*>(boton),
          static_cast<QWidget*>(panel), static_cast<QWidget*>(grupo)})
        box->addWidget(w);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QStringList log;
    check->OnClick = [&](QObject*) {
        log << QStringLiteral("check ") + (check->Checked() ? "1" : "0");
    };
    edit->OnChange = [&](QObject*) { log << QStringLiteral("change ") + edit->Text(); };
    boton->OnClick = [&](QObject*) { log << QStringLiteral("boton"); };
    panel->OnClick = [&](QObject*) { log << QStringLiteral("panel"); };
    grupo->OnClick = [&](QObject*) { log << QStringLiteral("grupo %1").arg(grupo->ItemIndex()); };

    check->setChecked(true);  // by code too, as the system expects
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
    QTest::keyClicks(edit, QStringLiteral("ab"));
    edit->setText(QStringLiteral("x"));
    QTest::mouseClick(boton, Qt::LeftButton);
    QTest::mouseClick(panel, Qt::LeftButton);
    grupo->setItems({QStringLiteral("Mañana"), QStringLiteral("Tarde")});
    grupo->setItemIndex(1);
    grupo->setItemIndex(1);  // no change, no event
    QCOMPARE(log, QStringList({"check 1", "check 0", "change a", "change ab", "change x", "boton",
                               "panel", "grupo 1"}));

    // A button with a modal result ends its dialog.
    TForm dialog;
    auto* aceptar = new TButton(&dialog, QStringLiteral("&Aceptar"));
    aceptar->setModalResult(mrOk);
    dialog.OnShow = [&](QObject*) { QTimer::singleShot(0, aceptar, [&] { aceptar->click(); }); };
    QCOMPARE(dialog.ShowModal(), mrOk);
}

void TestControls::enterAndExit() {
    TForm form;
    auto* box = new QVBoxLayout(&form);
    auto* clave = new TEdit(&form);
    auto* nombre = new TEdit(&form);
    box->addWidget(clave);
    box->addWidget(nombre);
    form.setActiveControl(clave);  // before showing: taken when shown
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(form.ActiveControl(), clave);

    QStringList log;
    clave->OnExit = [&](QObject*) {
        log << QStringLiteral("exit ") + clave->Text();
        if (clave->Text().isEmpty()) Abort();
    };
    nombre->OnEnter = [&](QObject*) { log << QStringLiteral("enter nombre"); };
    SetApplicationExceptionHandler([](QObject*, std::exception_ptr) {});
    // An exit that raises keeps the focus where it was.
    nombre->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), clave);
    QCOMPARE(log, QStringList({"exit "}));
    clave->setText(QStringLiteral("7"));
    nombre->setFocus();
    QCOMPARE(QApplication::focusWidget(), nombre);
    QCOMPARE(log, QStringList({"exit ", "exit 7", "enter nombre"}));

    // A message shown over the form (a dialog of its own, parented to it)
    // takes the focus and gives it back without leaving the control.
    clave->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), clave);
    log.clear();
    QDialog mensaje(&form);
    auto* aceptar = new QPushButton(QStringLiteral("Aceptar"), &mensaje);
    QObject::connect(aceptar, &QPushButton::clicked, &mensaje, &QDialog::accept);
    bool enMensaje = false;
    QTimer::singleShot(0, &mensaje, [&] {
        mensaje.activateWindow();
        aceptar->setFocus();
        QTimer::singleShot(50, aceptar, [&] {
            enMensaje = QApplication::focusWidget() == aceptar;
            aceptar->click();
        });
    });
    mensaje.exec();
    QVERIFY(enMensaje);
    form.activateWindow();
    QTRY_COMPARE(QApplication::focusWidget(), clave);
    QCOMPARE(log, QStringList());
    SetApplicationExceptionHandler(nullptr);
}

void TestControls::masks_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("qt");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::newRow("fecha") << "!99/99/0000;1;_"
                           << "00/00/9999;_"
                           << "01022024"
                           << "01/02/2024";
    QTest::newRow("sin literales") << "00.000;0;_"
                                   << "99.999;_"
                                   << "12345"
                                   << "12345";
    QTest::newRow("mayusculas") << ">LL-000;1;*"
                                << ">AA-999;*"
                                << "ab123"
                                << "AB-123";
    QTest::newRow("literal escapado") << "\\A000;1; "
                                      << "\\A999; "
                                      << "123"
                                      << "A123";
    QTest::newRow("letra de Qt como literal") << "0h0;1;_"
                                              << "9\\h9;_"
                                              << "12"
                                              << "1h2";
}

void TestControls::masks() {
    QFETCH(QString, mask);
    QFETCH(QString, qt);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QCOMPARE(TMaskEdit::QtInputMask(mask), qt);
    TMaskEdit edit;
    edit.setEditMask(mask);
    edit.show();
    edit.setFocus();
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, typed);
    QCOMPARE(edit.Text(), text);
}

void TestControls::memoLinesAndLimit() {
    TMemo memo;
    memo.setText(QStringLiteral("uno\r\ndos"));
    QCOMPARE(memo.Lines(), QStringList({"uno", "dos"}));
    QCOMPARE(memo.Text(), QStringLiteral("uno\r\ndos"));
    memo.setLines({QStringLiteral("a")});
    memo.setMaxLength(3);
    memo.show();
    memo.setFocus();
    memo.moveCursor(QTextCursor::End);
    QTest::keyClicks(&memo, QStringLiteral("bcdef"));
    QCOMPARE(memo.Text(), QStringLiteral("abc"));
}

void TestControls::pagesAndTabs() {
    TPageControl pages;
    auto* datos = new TTabSheet(&pages, QStringLiteral("Datos"));
    auto* foto = new TTabSheet(&pages, QStringLiteral("Foto"));
    auto* notas = new TTabSheet(&pages, QStringLiteral("Notas"));
    QCOMPARE(pages.PageCount(), 3);
    QCOMPARE(foto->PageIndex(), 1);
    QCOMPARE(foto->PageControl(), &pages);
    QCOMPARE(pages.ActivePage(), datos);

    bool permitir = false;
    int cambios = 0;
    pages.OnChanging = [&](QObject*, bool& allow) { allow = permitir; };
    pages.OnChange = [&](QObject*) { ++cambios; };
    pages.setCurrentIndex(2);
    QCOMPARE(pages.ActivePage(), datos);  // refused
    permitir = true;
    pages.setActivePage(notas);
    QCOMPARE(pages.ActivePageIndex(), 2);
    QCOMPARE(cambios, 1);

    // Controls on a page are the form's components, found by name.
    TForm form;
    auto* paginas = new TPageControl(&form);
    auto* hoja = new TTabSheet(paginas, QStringLiteral("Datos"));
    hoja->setObjectName(QStringLiteral("TabSheet1"));
    auto* edit = new TEdit(hoja);
    edit->setObjectName(QStringLiteral("EditNombre"));
    QCOMPARE(form.FindComponent(QStringLiteral("EditNombre")), edit);
    QCOMPARE(form.FindComponent(QStringLiteral("TabSheet1")), hoja);

    foto->setTabVisible(false);
    QVERIFY(!pages.isTabVisible(1));
    foto->setCaption(QStringLiteral("Fotografía"));
    QCOMPARE(pages.tabText(1), QStringLiteral("Fotografía"));
}

void TestControls::stringGridCells() {
    TStringGrid grid;
    grid.setColCount(2);
    grid.setRowCount(3);
    grid.setCells(0, 0, QStringLiteral("Campo"));
    grid.setCells(1, 0, QStringLiteral("Valor"));
    grid.setCells(1, 2, QStringLiteral("Pérez"));
    QCOMPARE(grid.Cells(1, 2), QStringLiteral("Pérez"));
    QCOMPARE(grid.Rows(0), QStringList({"Campo", "Valor"}));
    QCOMPARE(grid.Cols(1), QStringList({"Valor", "", "Pérez"}));
    QCOMPARE(grid.Cells(5, 5), QString());
    grid.setCells(5, 5, QStringLiteral("fuera"));  // outside the grid: nothing
    QCOMPARE(grid.RowCount(), 3);
    // Titles cannot be edited, even with editing on.
    grid.setOptions(grid.Options() | goEditing);
    QVERIFY(!(grid.item(0, 1)->flags() & Qt::ItemIsEditable));
    QVERIFY(grid.item(2, 1)->flags() & Qt::ItemIsEditable);

    TValueListEditor lista;
    lista.setStrings({QStringLiteral("Nombre=Ana"), QStringLiteral("Edad=30")});
    QCOMPARE(lista.Values(QStringLiteral("edad")), QStringLiteral("30"));
    lista.setValues(QStringLiteral("Ciudad"), QStringLiteral("Vigo"));
    QCOMPARE(lista.Strings(), QStringList({"Nombre=Ana", "Edad=30", "Ciudad=Vigo"}));
    QCOMPARE(lista.Cells(0, 0), QStringLiteral("Clave"));
}

void TestControls::stringGridDrawingAndClicks() {
    TForm form;
    auto* grid = new TStringGrid(&form);
    grid->setColCount(3);
    grid->setRowCount(3);
    grid->setFixedCols(0);
    grid->setDefaultColWidth(40);
    grid->setDefaultRowHeight(20);
    grid->setDefaultDrawing(false);
    grid->resize(140, 80);
    QList<QPoint> dibujadas;
    int fijas = 0;
    grid->OnDrawCell = [&](QObject*, int c, int r, const QRect& rect, int state) {
        QVERIFY(grid->Canvas());
        dibujadas << QPoint(c, r);
        if (state & gdFixed) ++fijas;
        grid->Canvas()->fillRect(rect, c == 1 && r == 1 ? Qt::yellow : Qt::white);
    };
    const QImage imagen = grid->grab().toImage();
    QCOMPARE(dibujadas.size(), 9);
    QCOMPARE(fijas, 3);
    QVERIFY(!grid->Canvas());
    const QRect celda = grid->visualRect(grid->model()->index(1, 1));
    const QPoint dentro = grid->viewport()->mapTo(grid, celda.center());
    QCOMPARE(imagen.pixelColor(dentro), QColor(Qt::yellow));

    QList<QPoint> elegidas;
    grid->OnSelectCell = [&](QObject*, int c, int r, bool&) { elegidas << QPoint(c, r); };
    form.show();
    const QPoint centro = grid->visualRect(grid->model()->index(2, 2)).center();
    // The right button leaves the selection alone (the pop-up menu acts on it).
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, centro);
    QCOMPARE(elegidas.size(), 0);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centro);
    QCOMPARE(elegidas, QList<QPoint>({QPoint(2, 2)}));
    // A second click on the same cell selects it again.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centro);
    QCOMPARE(elegidas.size(), 2);
}

void TestControls::spinButton() {
    TSpinButton spin;
    QStringList pulsado;
    spin.OnUpClick = [&](QObject* s) {
        QCOMPARE(s, &spin);
        pulsado << QStringLiteral("arriba");
    };
    spin.OnDownClick = [&](QObject*) { pulsado << QStringLiteral("abajo"); };
    spin.UpClick();
    QTest::mouseClick(spin.DownButton(), Qt::LeftButton);
    QCOMPARE(pulsado, QStringList({"arriba", "abajo"}));
    QVERIFY(spin.UpButton()->autoRepeat());
    QVERIFY(spin.setProperty("OnDownClick", QVariant()));
    spin.DownClick();
    QCOMPARE(pulsado.size(), 2);
}

void TestControls::fontsAndColors() {
    QCOMPARE(FontFamily(QStringLiteral("MS Sans Serif")), QStringLiteral("Liberation Sans"));
    QCOMPARE(FontFamily(QStringLiteral("Small Fonts")), QStringLiteral("Liberation Sans"));
    QCOMPARE(FontFamily(QStringLiteral("courier new")), QStringLiteral("Liberation Mono"));
    QCOMPARE(FontFamily(QStringLiteral("DejaVu Sans")), QStringLiteral("DejaVu Sans"));
    TLabel label;
    label.AssignFont(QFont(QStringLiteral("Tahoma"), 10));
    QCOMPARE(label.font().family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(label.font().pointSize(), 10);

    // Button-face controls tell so; a colour given is kept and painted.
    TPanel panel;
    TEdit edit;
    QCOMPARE(panel.Color(), int(clBtnFace));
    QCOMPARE(edit.Color(), int(clWindow));
    panel.setColor(clRed);
    QCOMPARE(panel.Color(), int(clRed));
    QCOMPARE(panel.palette().color(QPalette::Window), QColor(255, 0, 0));
    QCOMPARE(ColorFromQt(ColorToQt(15780518)), 15780518);
    QVERIFY(!ColorToQt(clNone).isValid());
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
