// F1 as a user meets it: every window the menus open shows its own help page
// (what it is for, its keys and buttons, its messages), found through the
// help map by the window's caption, never the index in its place.

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>

#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genebusc.h"
#include "gene/dialogs/genevlis.h"
#include "gene/listings/genecinf.h"
#include "gene/listings/genecpro.h"
#include "gene/listings/genecsql.h"
#include "gene/listings/geneprev.h"
#include "gene/session/geneayud.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_programas.h"
#include "gene/session/sesion.h"
#include "rrhh/rrhhmenu.h"
#include "rrhh/rrhhptra.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/sqlprueba.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

// The installation's help, as `make run` copies it, and its help map read.
void CopiarAyuda(const TestInstalacion& inst) {
    const QString ayuda = CarpetaDatosFuente() + QStringLiteral("/help");
    QDir().mkpath(inst.carpeta() + QStringLiteral("/help"));
    for (const QString& p : QDir(ayuda).entryList(QDir::Files))
        QFile::copy(ayuda + QLatin1Char('/') + p, inst.carpeta() + QStringLiteral("/help/") + p);
    MapaContextos = LeerMapaContextos(ayuda + QStringLiteral("/QEVWIN.MAP"));
}

// The installation's help copied, ADMIN logged in at the main window, its
// company open.
void Entrar(const TestInstalacion& inst, QPointer<TfRRHHMENU>& menu) {
    QVERIFY(inst.iniciada());
    CopiarAyuda(inst);
    menu = NewForm<TfRRHHMENU>();
    CodigoUsuarioInicial = QStringLiteral("ADMIN");
    MessageSeam::enqueue(QStringLiteral("ADMIN"));
    menu->FormShow(menu);
    QCOMPARE(CodigoEmpresaActual, 1);
}

// A statement on the company database that must run.
void Ejecutar(const QString& sentencia) {
    QString r;
    EjecutarSQL(nullptr, sentencia, QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    QVERIFY2(r.isEmpty(), qPrintable(r));
}

TfGENEAYUD* VentanaAyuda() {
    for (TForm* f : ApplicationForms())
        if (auto* v = qobject_cast<TfGENEAYUD*>(f)) return v;
    return nullptr;
}

}  // namespace

class TestRrhhAyud : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        InstalarServiciosFormulario();
        InstalarVisoresGenericos();
        InstalarDialogosBusqueda();
        InstalarPrevisualizacion();
        InstalarListadosProgramables();
        InstalarConsultasSQL();
        RegistrarTfGENECINF();
    }

    void ventanasDeLosMenus() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresas = {1}});
        QPointer<TfRRHHMENU> menu;
        Entrar(inst, menu);
        if (QTest::currentTestFailed()) return;

        // A saved query in the menu, to be opened like the fixed windows.
        Ejecutar(
            QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro, "
                           "Instrucciones) VALUES ('SQL', 'Plantilla por centro', "
                           "'SELECT Codigo FROM EMPRESA', "
                           "'AplicacionesContenedoras=Recursos Humanos,')"));
        menu->ActualizarMenusConsultas();
        menu->show();
        QVERIFY(QTest::qWaitForWindowActive(menu));

        QList<TMenuItem*> items;
        for (const TOpcionMenuPrincipal& o : OpcionesMenuPrincipal())
            items << qobject_cast<TMenuItem*>(menu->FindComponent(QLatin1String(o.Item)));
        for (TMenuItem* padre : {menu->Adicional1, menu->Informes1})
            for (int i = 0; i < padre->Count(); ++i)
                if (padre->Items(i)->Tag() == 100 && padre->Items(i)->Caption() != u"-")
                    items << padre->Items(i);
        QCOMPARE(items.size(), OpcionesMenuPrincipal().size() + 2);
        QStringList fallos;
        const QString indice = PaginaAyuda(0);
        for (TMenuItem* item : items) {
            QVERIFY(item);
            MessageSeam::clearLog();
            item->Click();
            TForm* hijo = menu->ActiveMDIChild();
            if (!hijo) {
                fallos << item->Caption() + QStringLiteral(": no window");
                continue;
            }
            // F1 where the user is: the window's own page.
            menu->activateWindow();
            QTRY_VERIFY(menu->isActiveWindow());
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : hijo,
                            Qt::Key_F1);
            TfGENEAYUD* ventana = VentanaAyuda();
            const QString pagina = ventana ? ventana->Pagina() : QString();
            QFile archivo(pagina);
            const QString texto = archivo.open(QIODevice::ReadOnly)
                                      ? QString::fromUtf8(archivo.readAll())
                                      : QString();
            if (pagina.isEmpty() || pagina == indice || texto.isEmpty() ||
                !TextosMostrados().isEmpty())
                fallos << hijo->Caption() + QStringLiteral(": ") + pagina;
            else if (!texto.contains(QStringLiteral("<h2>Teclas</h2>")) ||
                     !texto.contains(QStringLiteral("<h2>Botones</h2>")))
                fallos << hijo->Caption() + QStringLiteral(": no keys or buttons");
            else if (ventana->Caption() != hijo->Caption() && hijo->Name() != u"fGENEUSQL")
                fallos << hijo->Caption() + QStringLiteral(": page titled ") + ventana->Caption();
            if (ventana) ventana->Close();
            hijo->Close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QVERIFY2(fallos.isEmpty(), qPrintable(fallos.join(QLatin1Char('\n'))));
        delete menu;
        delete ModuloDatos;
    }

    // F1 in "Maestro de Calendarios de Operario", which the personnel
    // master opens with its calendar button (no menu does): its own page.
    void calendarioDeOperario() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresas = {1}});
        QPointer<TfRRHHMENU> menu;
        Entrar(inst, menu);
        if (QTest::currentTestFailed()) return;
        Ejecutar(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, CodigoCalendario) "
                           "VALUES (7, 'Ana', 1)"));
        menu->show();
        QVERIFY(QTest::qWaitForWindowActive(menu));
        qobject_cast<TMenuItem*>(menu->FindComponent(QStringLiteral("MaestrodePersonal1")))
            ->Click();
        TForm* personal = menu->ActiveMDIChild();
        QVERIFY(personal);
        auto* boton = personal->findChild<QAbstractButton*>(QStringLiteral("CalendarioOperario"));
        QVERIFY(boton);
        QTest::mouseClick(boton, Qt::LeftButton);
        TForm* calendario = menu->ActiveMDIChild();
        QVERIFY(calendario);
        QCOMPARE(calendario->Caption(), QStringLiteral("Maestro de Calendarios de Operario"));
        MessageSeam::clearLog();
        menu->activateWindow();
        QTRY_VERIFY(menu->isActiveWindow());
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : calendario,
                        Qt::Key_F1);
        QCOMPARE(TextosMostrados(), QStringList());
        TfGENEAYUD* ventana = VentanaAyuda();
        QVERIFY(ventana);
        QCOMPARE(QFileInfo(ventana->Pagina()).fileName(),
                 QStringLiteral("Maestro_de_Calendarios_de_Operario.html"));
        QCOMPARE(ventana->Caption(), calendario->Caption());
        QFile pagina(ventana->Pagina());
        QVERIFY(pagina.open(QIODevice::ReadOnly));
        const QString texto = QString::fromUtf8(pagina.readAll());
        QVERIFY(texto.contains(QStringLiteral("<h2>Teclas</h2>")));
        QVERIFY(texto.contains(QStringLiteral("<h2>Botones</h2>")));
        ventana->Close();
        calendario->Close();
        personal->Close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete menu;
        delete ModuloDatos;
    }

    // F1 in the programmable listing, the modal dialog a master's "Listado
    // Programable..." opens: its own page, in a help window that takes keys
    // above the dialog; Esc closes it and gives the dialog back.
    void listadoProgramable() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        QVERIFY(inst.iniciada());
        CopiarAyuda(inst);
        TModuloDatos modulo;
        RegistrarTfRRHHPTRA();
        QPointer<TForm> maestro = CreateForm(QStringLiteral("TfRRHHPTRA"));
        QVERIFY(maestro);
        QString pagina, indice = PaginaAyuda(0);
        bool porEncima = false, devuelto = false;
        QStringList avisos;
        AlMostrarse<TfGENECPRO>([&](TfGENECPRO* c) {
            QTRY_VERIFY(c->isVisible());
            MessageSeam::clearLog();
            // Where the keyboard is in the dialog.
            QTRY_VERIFY(c->isActiveWindow());
            QWidget* foco = QApplication::focusWidget();
            QTest::keyClick(foco && c->isAncestorOf(foco) ? foco : c, Qt::Key_F1);
            avisos = TextosMostrados();
            TfGENEAYUD* ventana = VentanaAyuda();
            if (ventana) {
                pagina = ventana->Pagina();
                porEncima = ventana->isVisible() && QApplication::activeModalWidget() == ventana;
                QTRY_VERIFY(ventana->isActiveWindow());
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : ventana,
                                Qt::Key_Escape);
                devuelto = QApplication::activeModalWidget() == c;
            }
            c->Close();
        });
        qobject_cast<TMenuItem*>(maestro->FindComponent(QStringLiteral("ListadoProgramable1")))
            ->Click();
        QCOMPARE(avisos, QStringList());
        QCOMPARE(QFileInfo(pagina).fileName(), QStringLiteral("Listado_Programable.html"));
        QVERIFY(pagina != indice);
        QVERIFY(porEncima);
        QVERIFY(devuelto);
        maestro->Close();
        QTRY_VERIFY(!maestro);
    }
};

QTEST_MAIN(TestRrhhAyud)
#include "tst_rrhhayud.moc"
