#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/field.h"
#include "gene/session/genecomp.h"
#include "ui/form.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

// A form class as the form units write them: controls and handlers in the
// constructor, state of its own that OnDestroy still sees.
class TfPRUEBA : public TForm {
    Q_OBJECT
public:
    explicit TfPRUEBA(QWidget* owner = nullptr) : TForm(owner) {
        setObjectName(QStringLiteral("fPRUEBA"));
        OnCreate = [this](QObject*) {
            ++creaciones;
            setCaption(QStringLiteral("Prueba"));
        };
        OnDestroy = [this](QObject*) { destruidoConLista = lista.size(); };
        lista = {QStringLiteral("a"), QStringLiteral("b")};
    }
    int creaciones = 0;
    QStringList lista;
    static inline qsizetype destruidoConLista = -1;
};

// The main window with "&Archivo" (group 0) and "&Ventana" (group 9).
struct Principal {
    TForm* form = new TForm;
    TMainMenu* menu = new TMainMenu(form);
    TMenuItem* archivo =
        new TMenuItem(menu->Items(), QStringLiteral("Archivo1"), QStringLiteral("&Archivo"));
    TMenuItem* ventana =
        new TMenuItem(menu->Items(), QStringLiteral("Ventana1"), QStringLiteral("&Ventana"));
    Principal() {
        form->setObjectName(QStringLiteral("fRRHHMENU"));
        form->setFormStyle(fsMDIForm);
        ventana->setGroupIndex(9);
        new TMenuItem(archivo, QStringLiteral("Salir1"), QStringLiteral("&Salir"));
        new TMenuItem(ventana, QStringLiteral("Cascada1"), QStringLiteral("&Cascada"));
        form->setMenu(menu);
        form->resize(800, 600);
    }
    ~Principal() { delete form; }
    QStringList bar() const {
        QStringList captions;
        for (QAction* a : form->MenuBar()->actions())
            if (a->isVisible()) captions << a->text();
        return captions;
    }
};

// An MDI child with a "&Ficha" menu (group 3): Agregar on F5, Cancelar on Esc.
TForm* hijo(const QString& nombre, int* agregados, int* cancelados) {
    auto* f = new TForm;
    f->setObjectName(nombre);
    f->setFormStyle(fsMDIChild);
    auto* menu = new TMainMenu(f);
    auto* ficha = new TMenuItem(menu->Items(), QStringLiteral("Ficha1"), QStringLiteral("&Ficha"));
    ficha->setGroupIndex(3);
    auto* agregar = new TMenuItem(ficha, QStringLiteral("Agregar"), QStringLiteral("&Agregar"),
                                  ShortCut(VK_F5));
    agregar->OnClick = [agregados](QObject*) { ++*agregados; };
    auto* cancelar = new TMenuItem(ficha, QStringLiteral("CancelarEdicion1"),
                                   QStringLiteral("&Cancelar Edición"), ShortCut(VK_ESCAPE));
    cancelar->OnClick = [cancelados](QObject*) { ++*cancelados; };
    f->setMenu(menu);
    new QLineEdit(f);
    f->DoCreate();
    return f;
}

void processDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace

class TestForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void closeProtocol();
    void mdiCloseAsksChildren();
    void modalResults();
    void modalCloseRefusedAndFreed();
    void mdiChildShownModallyLeavesNoFrame();
    void busyFormWaitsForItsFrame();
    void freedFormCancelsPendingRecord();
    void registry();
    void menuMergeByGroupIndex();
    void shortcutsReachActiveChild();
    void childrenOpenInsideTheArea();
    void ctrlF4ClosesTheActiveChild();
    void keyPreviewAndReplacedKeys();
    void componentsAndPublishedProperties();
};

void TestForm::closeProtocol() {
    auto* form = new TfPRUEBA;
    QPointer<TForm> guard(form);
    form->show();
    QVERIFY(form->Visible());

    // Refused: OnClose never runs and the form stays.
    int consultas = 0;
    int cierres = 0;
    bool permitir = false;
    TCloseAction accion = caHide;
    form->OnCloseQuery = [&](QObject* sender, bool& canClose) {
        QCOMPARE(sender, form);
        ++consultas;
        canClose = permitir;
    };
    form->OnClose = [&](QObject*, TCloseAction& action) {
        QCOMPARE(action, caHide);  // the default of a form that is not an MDI child
        ++cierres;
        action = accion;
    };
    form->Close();
    QCOMPARE(consultas, 1);
    QCOMPARE(cierres, 0);
    QVERIFY(form->Visible());
    // The window's own close button goes through the same protocol.
    QVERIFY(!form->close());
    QCOMPARE(consultas, 2);
    QVERIFY(form->Visible());

    // caNone keeps it; caHide hides it.
    permitir = true;
    accion = caNone;
    form->Close();
    QCOMPARE(cierres, 1);
    QVERIFY(form->Visible());
    accion = caHide;
    form->Close();
    QVERIFY(!form->Visible());
    QVERIFY(guard);

    // caFree: freed once the events under way are done, OnDestroy first,
    // while the form's own members are still there.
    form->show();
    accion = caFree;
    TfPRUEBA::destruidoConLista = -1;
    form->Close();
    QVERIFY(guard);
    processDeferredDeletes();
    QVERIFY(!guard);
    QCOMPARE(TfPRUEBA::destruidoConLista, 2);
}

void TestForm::mdiCloseAsksChildren() {
    Principal main;
    main.form->show();
    int a = 0, c = 0;
    TForm* child = hijo(QStringLiteral("fHIJO"), &a, &c);
    QCOMPARE(main.form->MDIChildCount(), 1);
    QCOMPARE(main.form->MDIChildren(0), child);
    bool hijoPermite = false;
    bool principalPreguntado = false;
    child->OnCloseQuery = [&](QObject*, bool& can) { can = hijoPermite; };
    main.form->OnCloseQuery = [&](QObject*, bool&) { principalPreguntado = true; };
    QVERIFY(!main.form->CloseQuery());
    QVERIFY(!principalPreguntado);
    hijoPermite = true;
    QVERIFY(main.form->CloseQuery());
    QVERIFY(principalPreguntado);

    // An MDI child minimises by default, and closes for good with caFree.
    QPointer<TForm> guard(child);
    child->Close();
    QCOMPARE(child->WindowState(), wsMinimized);
    child->OnClose = [](QObject*, TCloseAction& action) { action = caFree; };
    child->Close();
    processDeferredDeletes();
    QVERIFY(!guard);
    QCOMPARE(main.form->MDIChildCount(), 0);
}

void TestForm::modalResults() {
    TForm dialog;
    int mostrado = 0;
    dialog.OnShow = [&](QObject*) {
        ++mostrado;
        QTimer::singleShot(0, &dialog, [&] { dialog.setModalResult(mrOk); });
    };
    QCOMPARE(dialog.ShowModal(), mrOk);
    QCOMPARE(mostrado, 1);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.Modal());

    // Close() on a modal form answers mrCancel.
    dialog.OnShow = [&](QObject*) { QTimer::singleShot(0, &dialog, [&] { dialog.Close(); }); };
    QCOMPARE(dialog.ShowModal(), mrCancel);
    // So does the window's close button.
    dialog.OnShow = [&](QObject*) { QTimer::singleShot(0, &dialog, [&] { dialog.close(); }); };
    QCOMPARE(dialog.ShowModal(), mrCancel);
}

void TestForm::modalCloseRefusedAndFreed() {
    auto* dialog = new TForm;
    QPointer<TForm> guard(dialog);
    int consultas = 0;
    dialog->OnCloseQuery = [&](QObject*, bool& can) { can = ++consultas > 1; };
    dialog->OnShow = [&](QObject*) {
        QTimer::singleShot(0, dialog, [&] {
            dialog->setModalResult(mrYes);
            // The first answer is refused: the dialog stays, its result cleared.
            QTimer::singleShot(0, dialog, [&] {
                QCOMPARE(dialog->ModalResult(), mrNone);
                QVERIFY(dialog->isVisible());
                dialog->setModalResult(mrNo);
            });
        });
    };
    dialog->OnClose = [](QObject*, TCloseAction& action) { action = caFree; };
    QCOMPARE(dialog->ShowModal(), mrNo);
    QCOMPARE(consultas, 2);
    processDeferredDeletes();
    QVERIFY(!guard);
}

// A child opened inside the main window and then shown modally (an editor
// opened from a key in another form) is a dialog of its own: no empty frame
// is left in the area while it runs nor after it is freed, and its menu
// goes with it.
void TestForm::mdiChildShownModallyLeavesNoFrame() {
    Principal main;
    main.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(main.form));
    int a = 0, c = 0;
    TForm* otro = hijo(QStringLiteral("fOTRO"), &a, &c);
    QPointer<TForm> editor = hijo(QStringLiteral("fEDITOR"), &a, &c);
    QCOMPARE(main.form->MDIChildCount(), 2);
    QStringList enArea;
    QStringList barraPropia;
    bool ventanaPropia = false;
    editor->OnShow = [&](QObject*) {
        QTimer::singleShot(0, editor, [&] {
            for (QMdiSubWindow* w : main.form->MDIArea()->subWindowList())
                if (w->isVisible())
                    enArea << (w->widget() ? w->widget()->objectName() : QStringLiteral("vacío"));
            ventanaPropia = editor->isWindow() && editor->isVisible();
            if (editor->MenuBar())
                for (QAction* accion : editor->MenuBar()->actions()) barraPropia << accion->text();
            editor->activateWindow();
            if (QTest::qWaitFor([&] { return QApplication::activeWindow() == editor; }))
                QTest::keyClick(editor->findChild<QLineEdit*>(), Qt::Key_F5);
            editor->setModalResult(mrOk);
        });
    };
    QCOMPARE(editor->ShowModal(), mrOk);
    QCOMPARE(enArea, QStringList({"fOTRO"}));
    QVERIFY(ventanaPropia);
    QCOMPARE(barraPropia, QStringList({"&Ficha"}));
    QCOMPARE(a, 1);
    QCOMPARE(main.bar(), QStringList({"&Archivo", "&Ficha", "&Ventana"}));
    editor->Free();
    processDeferredDeletes();
    QCOMPARE(main.form->MDIChildCount(), 1);
    QCOMPARE(main.form->MDIChildren(0), otro);
}

// A child whose handler waits in a loop of its own (a listing under its
// preview): every way of closing or freeing it waits for that frame to end.
void TestForm::busyFormWaitsForItsFrame() {
    Principal main;
    main.form->show();
    int a = 0, c = 0;
    QPointer<TForm> child = hijo(QStringLiteral("fLISTADO"), &a, &c);
    child->OnClose = [](QObject*, TCloseAction& action) { action = caFree; };
    bool comprobado = false;
    QTimer::singleShot(0, child, [&] {
        // Inside the frame's loop: the exit, its close and its button are refused.
        QVERIFY(child->Busy());
        QVERIFY(!main.form->CloseQuery());
        child->Close();
        QVERIFY(!child->close());
        QVERIFY(child->Visible());
        // Freed by whatever path meanwhile: not under the waiting frame.
        child->Release();
        child->Free();
        processDeferredDeletes();
        QVERIFY(child);
        comprobado = true;
    });
    {
        TBusyForm ocupado(child);
        QEventLoop espera;
        QTimer::singleShot(0, &espera, [&] { QTimer::singleShot(0, &espera, &QEventLoop::quit); });
        espera.exec();
        QVERIFY(child);  // the frame resumes on its form
    }
    QVERIFY(comprobado);
    QVERIFY(child);
    processDeferredDeletes();
    QVERIFY(!child);
    QVERIFY(main.form->CloseQuery());

    // Idle again after the frame, a busy form closes as any other.
    QPointer<TForm> otro = hijo(QStringLiteral("fOTRO"), &a, &c);
    { TBusyForm ocupado(otro); }
    otro->OnClose = [](QObject*, TCloseAction& action) { action = caFree; };
    otro->Close();
    processDeferredDeletes();
    QVERIFY(!otro);
}

// A record being typed when its form goes (closed, freed by its owner) is
// cancelled, so that the form's cancel handlers undo what was written for
// it; a record already posted is left alone.
void TestForm::freedFormCancelsPendingRecord() {
    for (int forma = 0; forma < 3; ++forma) {
        auto* dueno = new TForm;
        auto* f = new TForm(forma == 2 ? dueno : nullptr);
        auto* ds = new TClientDataSet(f);
        ds->setObjectName(QStringLiteral("Table1"));
        ds->FieldDefs() = {{QStringLiteral("Codigo"), ftInteger, 0, false}};
        ds->CreateDataSet();
        auto* otro = new TClientDataSet(f);
        otro->setObjectName(QStringLiteral("Table2"));
        otro->FieldDefs() = ds->FieldDefs();
        otro->CreateDataSet();
        QStringList cancelados;
        bool destruido = false;
        ds->BeforeCancel = [&](TDataSet* d) {
            cancelados << d->objectName() + QLatin1Char(':') +
                              d->FieldByName(QStringLiteral("Codigo"))->AsString();
            QVERIFY(!destruido);  // while the form is whole
        };
        otro->BeforeCancel = ds->BeforeCancel;
        f->OnDestroy = [&](QObject*) { destruido = true; };
        ds->Append();
        ds->FieldByName(QStringLiteral("Codigo"))->setAsInteger(7);
        otro->Append();
        otro->FieldByName(QStringLiteral("Codigo"))->setAsInteger(8);
        otro->Post();
        if (forma == 0) {
            f->Free();
        } else if (forma == 1) {
            f->Release();
            processDeferredDeletes();
        } else {
            delete dueno;
            dueno = nullptr;
        }
        QCOMPARE(cancelados, QStringList{QStringLiteral("Table1:7")});
        QVERIFY(destruido);
        delete dueno;
    }
}

void TestForm::registry() {
    RegisterFormClass<TfPRUEBA>(QStringLiteral("TfPRUEBA"));
    QVERIFY(FormClassRegistered(QStringLiteral("TfPRUEBA")));
    QVERIFY(RegisteredFormClasses().contains(QStringLiteral("TfPRUEBA")));

    TForm* form = CreateForm(QStringLiteral("TfPRUEBA"));
    auto* prueba = qobject_cast<TfPRUEBA*>(form);
    QVERIFY(prueba);
    QCOMPARE(prueba->creaciones, 1);
    QCOMPARE(form->Caption(), QStringLiteral("Prueba"));
    QCOMPARE(form->ClassName(), QStringLiteral("TfPRUEBA"));
    QVERIFY(ApplicationForms().contains(form));
    form->DoCreate();  // the protocol runs once
    QCOMPARE(prueba->creaciones, 1);
    form->Free();
    QVERIFY(!ApplicationForms().contains(form));

    try {
        CreateForm(QStringLiteral("TfNADA"));
        QFAIL("an unknown class was created");
    } catch (const EClassNotFound& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Class TfNADA not found"));
    }

    // A failing OnCreate reaches the caller and leaves no form behind.
    RegisterFormClass(QStringLiteral("TfFALLA"), [](QWidget* owner) {
        auto* f = new TForm(owner);
        f->OnCreate = [](QObject*) { throw std::runtime_error("sin tabla"); };
        return f;
    });
    const qsizetype antes = ApplicationForms().size();
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, CreateForm(QStringLiteral("TfFALLA")));
    QCOMPARE(ApplicationForms().size(), antes);

    // An MDI child created by name opens inside the main window.
    Principal main;
    main.form->show();
    RegisterFormClass(QStringLiteral("TfHIJO"), [](QWidget* owner) {
        auto* f = new TForm(owner);
        f->setFormStyle(fsMDIChild);
        return f;
    });
    TForm* child = CreateForm(QStringLiteral("TfHIJO"));
    QCOMPARE(main.form->MDIChildren(0), child);
    QVERIFY(child->MDISubWindow());
    QVERIFY(child->Visible());
}

void TestForm::menuMergeByGroupIndex() {
    Principal main;
    main.form->show();
    QCOMPARE(main.bar(), QStringList({"&Archivo", "&Ventana"}));
    // A "-" item is a plain separator line, not a section titled "-".
    auto* linea = new TMenuItem(main.archivo, QStringLiteral("N1"), QStringLiteral("-"));
    QVERIFY(linea->isSeparator());
    QVERIFY(linea->text().isEmpty());
    QCOMPARE(linea->Caption(), QStringLiteral("-"));

    int a = 0, c = 0;
    TForm* uno = hijo(QStringLiteral("fUNO"), &a, &c);
    QCOMPARE(main.form->ActiveMDIChild(), uno);
    QCOMPARE(main.bar(), QStringList({"&Archivo", "&Ficha", "&Ventana"}));

    // A child item of group 0 replaces the main window's group 0.
    auto* edicion =
        new TMenuItem(uno->Menu()->Items(), QStringLiteral("Edicion1"), QStringLiteral("&Edición"));
    QCOMPARE(edicion->GroupIndex(), 0);
    QCOMPARE(main.bar(), QStringList({"&Edición", "&Ficha", "&Ventana"}));
    edicion->setGroupIndex(10);
    QCOMPARE(main.bar(), QStringList({"&Archivo", "&Ficha", "&Ventana", "&Edición"}));

    // Another child active: its menu instead; none active: the main menu alone.
    TForm* sinMenu = new TForm;
    sinMenu->setFormStyle(fsMDIChild);
    sinMenu->DoCreate();
    QCOMPARE(main.form->ActiveMDIChild(), sinMenu);
    QCOMPARE(main.bar(), QStringList({"&Archivo", "&Ventana"}));
    main.form->MDIArea()->setActiveSubWindow(uno->MDISubWindow());
    QCOMPARE(main.bar(), QStringList({"&Archivo", "&Ficha", "&Ventana", "&Edición"}));
    uno->Free();
    sinMenu->Free();
    QCoreApplication::processEvents();
    QCOMPARE(main.bar(), QStringList({"&Archivo", "&Ventana"}));
}

void TestForm::shortcutsReachActiveChild() {
    Principal main;
    main.form->show();
    QVERIFY(QTest::qWaitForWindowActive(main.form));
    int agregadosUno = 0, cancelUno = 0, agregadosDos = 0, cancelDos = 0;
    TForm* uno = hijo(QStringLiteral("fUNO"), &agregadosUno, &cancelUno);
    TForm* dos = hijo(QStringLiteral("fDOS"), &agregadosDos, &cancelDos);
    int activados = 0, desactivados = 0;
    uno->OnActivate = [&](QObject*) { ++activados; };
    uno->OnDeactivate = [&](QObject*) { ++desactivados; };
    QCOMPARE(main.form->ActiveMDIChild(), dos);

    QWidget* editor = dos->findChild<QLineEdit*>();
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_F5);
    QTest::keyClick(editor, Qt::Key_Escape);
    QCOMPARE(agregadosDos, 1);
    QCOMPARE(cancelDos, 1);
    QCOMPARE(agregadosUno, 0);

    main.form->MDIArea()->setActiveSubWindow(uno->MDISubWindow());
    QCOMPARE(activados, 1);
    QTest::keyClick(uno->findChild<QLineEdit*>(), Qt::Key_F5);
    QCOMPARE(agregadosUno, 1);
    QCOMPARE(agregadosDos, 1);
    main.form->MDIArea()->setActiveSubWindow(dos->MDISubWindow());
    QCOMPARE(desactivados, 1);

    // Clicking an item does not check it; Checked is the handler's business.
    auto* agregar = dos->Menu()->FindItem(QStringLiteral("AGREGAR"));
    QVERIFY(agregar);
    agregar->setChecked(true);
    agregar->trigger();
    QVERIFY(agregar->Checked());
    QCOMPARE(agregadosDos, 2);
}

// Each child opens wholly inside the area's visible part; it keeps its size
// unless it is larger than the area.
void TestForm::childrenOpenInsideTheArea() {
    Principal main;
    main.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(main.form));
    const QRect sitio = main.form->MDIArea()->viewport()->rect();
    const QList<QSize> tamanos = {{500, 400}, {500, 400}, {450, 350}, {2000, 300}, {300, 1500}};
    for (const QSize& tamano : tamanos) {
        auto* f = new TForm;
        f->setFormStyle(fsMDIChild);
        f->resize(tamano);
        f->DoCreate();
        const QRect marco = f->MDISubWindow()->geometry();
        QVERIFY2(sitio.contains(marco), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                       .arg(marco.x())
                                                       .arg(marco.y())
                                                       .arg(marco.width())
                                                       .arg(marco.height())));
        if (tamano.width() < sitio.width()) QCOMPARE(f->Width(), tamano.width());
        if (tamano.height() < sitio.height()) QCOMPARE(f->Height(), tamano.height());
    }
}

// Ctrl+F4, like Ctrl+W, closes the active child through its close protocol.
void TestForm::ctrlF4ClosesTheActiveChild() {
    Principal main;
    main.form->show();
    QVERIFY(QTest::qWaitForWindowActive(main.form));
    int a = 0, c = 0;
    QPointer<TForm> uno = hijo(QStringLiteral("fUNO"), &a, &c);
    QPointer<TForm> dos = hijo(QStringLiteral("fDOS"), &a, &c);
    for (TForm* f : {uno.data(), dos.data()})
        f->OnClose = [](QObject*, TCloseAction& action) { action = caFree; };
    QWidget* editor = dos->findChild<QLineEdit*>();
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_F4, Qt::ControlModifier);
    processDeferredDeletes();
    QVERIFY(!dos);
    QVERIFY(uno);
    QCOMPARE(main.form->MDIChildCount(), 1);
    // With no child left it does nothing.
    uno->Free();
    QTest::keyClick(main.form, Qt::Key_F4, Qt::ControlModifier);
    QVERIFY(main.form->isVisible());
}

void TestForm::keyPreviewAndReplacedKeys() {
    TForm form;
    auto* box = new QVBoxLayout(&form);
    auto* primero = new QLineEdit(&form);
    auto* segundo = new QLineEdit(&form);
    box->addWidget(primero);
    box->addWidget(segundo);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    primero->setFocus();

    QStringList orden;
    form.setKeyPreview(true);
    form.OnKeyDown = [&](QObject* sender, int& key, TShiftState shift) {
        QCOMPARE(sender, &form);
        orden << QStringLiteral("form %1 %2").arg(key).arg(shift);
        if (key == VK_RETURN) key = VK_TAB;          // Enter moves on
        if (key == 'Z' && shift == ssCtrl) key = 0;  // swallowed
    };
    form.OnKeyPress = [&](QObject*, QChar& key) {
        if (key == QLatin1Char('.')) key = QLatin1Char(',');
        if (key == QLatin1Char('#')) key = QChar();
    };
    QTest::keyClicks(primero, QStringLiteral("1.5#"));
    QCOMPARE(primero->text(), QStringLiteral("1,5"));
    QTest::keyClick(primero, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(orden.last(), QStringLiteral("form 90 4"));
    QCOMPARE(primero->text(), QStringLiteral("1,5"));
    QTest::keyClick(primero, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), segundo);
    // A key the edit box ignores travels on to the form: still heard once.
    const qsizetype antes = orden.size();
    QTest::keyClick(segundo, Qt::Key_F2);
    QCOMPARE(orden.size(), antes + 1);
    QCOMPARE(orden.last(), QStringLiteral("form %1 0").arg(int(VK_F2)));
    // The keypad's decimal key has its own code.
    QTest::keyClick(segundo, Qt::Key_Period, Qt::KeypadModifier);
    QCOMPARE(orden.last(), QStringLiteral("form %1 0").arg(int(VK_DECIMAL)));
    QCOMPARE(segundo->text(), QStringLiteral(","));

    // A handler that raises swallows the key; the error goes to the hook.
    QStringList errores;
    SetApplicationExceptionHandler([&](QObject*, std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            errores << QString::fromUtf8(x.what());
        }
    });
    form.OnKeyDown = [](QObject*, int&, TShiftState) { throw std::runtime_error("falla"); };
    QTest::keyClick(segundo, Qt::Key_A);
    SetApplicationExceptionHandler(nullptr);
    QCOMPARE(errores, QStringList({"falla"}));
    QCOMPARE(segundo->text(), QStringLiteral(","));
}

void TestForm::componentsAndPublishedProperties() {
    TForm form;
    form.setObjectName(QStringLiteral("fRRHHMMAQ"));
    auto* panel = new QWidget(&form);
    panel->setObjectName(QStringLiteral("PanelControl"));
    auto* menu = new TMainMenu(&form);
    menu->setObjectName(QStringLiteral("MainMenu1"));
    auto* ficha = new TMenuItem(menu->Items(), QStringLiteral("Ficha1"), QStringLiteral("&Ficha"));
    new TMenuItem(ficha, QStringLiteral("Agregar"), QStringLiteral("&Agregar"));
    auto* boton = new QLineEdit(panel);
    boton->setObjectName(QStringLiteral("pbSalir"));
    new QLineEdit(panel);  // unnamed: nobody's component
    TForm otra(&form);     // another form keeps its own components
    new QLineEdit(&otra);
    otra.findChild<QLineEdit*>()->setObjectName(QStringLiteral("Ajeno"));

    QStringList nombres;
    for (QObject* c : form.Components()) nombres << c->objectName();
    QCOMPARE(nombres, QStringList({"PanelControl", "pbSalir", "MainMenu1", "Ficha1", "Agregar"}));
    QCOMPARE(form.ComponentCount(), 5);
    QCOMPARE(form.Components(1), boton);
    QCOMPARE(form.FindComponent(QStringLiteral("AGREGAR"))->objectName(),
             QStringLiteral("Agregar"));
    QCOMPARE(form.FindComponent(QStringLiteral("Ajeno")), nullptr);

    // Through the framework's by-name routines.
    QVERIFY(TienePropiedad(&form, QStringLiteral("Caption")));
    QVERIFY(!TienePropiedad(&form, QStringLiteral("caption")));
    QVERIFY(TienePropiedad(&form, QStringLiteral("OnClose")));
    QVERIFY(TienePropiedad(&form, QStringLiteral("OnCreate")));
    QVERIFY(TienePropiedad(ficha, QStringLiteral("OnClick")));
    AsignarPropiedad(&form, QStringLiteral("Width"), 640);
    QCOMPARE(form.Width(), 640);
    AsignarPropiedad(&form, QStringLiteral("Caption"), QStringLiteral("Maestro de Máquinas"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Maestro de Máquinas"));
    QVariant valor;
    LeerPropiedad(&form, QStringLiteral("FormStyle"), valor);
    QCOMPARE(valor.toString(), QStringLiteral("fsNormal"));
    AsignarPropiedad(&form, QStringLiteral("Position"), QStringLiteral("poScreenCenter"));
    QCOMPARE(form.Position(), poScreenCenter);
    LeerPropiedad(&form, QStringLiteral("OnClose"), valor);
    QCOMPARE(valor, QVariant(false));

    // Handlers assigned by name, and removed.
    int clics = 0;
    AsignarPropiedad(ficha, QStringLiteral("OnClick"),
                     QVariant::fromValue(TNotifyEvent([&](QObject*) { ++clics; })));
    LeerPropiedad(ficha, QStringLiteral("OnClick"), valor);
    QCOMPARE(valor, QVariant(true));
    ficha->Click();
    QCOMPARE(clics, 1);
    AsignarPropiedad(ficha, QStringLiteral("OnClick"), QStringLiteral("otra cosa"));
    QVERIFY(bool(ficha->OnClick));  // a value of another type changes nothing
    AsignarPropiedad(ficha, QStringLiteral("OnClick"), QVariant());
    QVERIFY(!ficha->OnClick);
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
