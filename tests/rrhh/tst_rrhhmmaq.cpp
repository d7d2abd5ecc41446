// The machine master on a real installation: opened by its class name with
// MAQUINA created from the dictionary, machines added one after the other,
// edited, duplicated and deleted through the form's own handlers, and the
// key checks of the grid (range, existing codes, the key never edited).

#include <QApplication>
#include <QtTest>

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "rrhh/rrhhmmaq.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/otroprograma.h"
#include "support/tecladoprueba.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

QString sql(const QString& sentencia) {
    QString r;
    EjecutarSQL(nullptr, sentencia, QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    return r;
}

QStringList textos() {
    QStringList l;
    for (const auto& e : MessageSeam::log()) l << e.text;
    return l;
}

TfRRHHMMAQ* abrir() {
    RegistrarTfRRHHMMAQ();
    return qobject_cast<TfRRHHMMAQ*>(CreateForm(QStringLiteral("TfRRHHMMAQ")));
}

// Types a row the way the grid does: the key into the first column, leaving
// it, then the description.
void teclearFila(TfRRHHMMAQ* f, const QString& codigo, const QString& descripcion) {
    f->DBGrid1->setSelectedIndex(0);
    f->Table1->FieldByName(QStringLiteral("Codigo"))->setText(codigo);
    f->DBGrid1ColExit(f->DBGrid1);
    f->DBGrid1->setSelectedIndex(1);
    f->Table1->FieldByName(QStringLiteral("Descripcion"))->setText(descripcion);
}

bool colExit(TfRRHHMMAQ* f) {
    try {
        f->DBGrid1ColExit(f->DBGrid1);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

class TestRrhhMmaq : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    // Machines typed at the keyboard: F5, code, Enter, description, Enter
    // saves the row and starts the next one at its code with the focus in
    // the grid; Esc drops the row being typed and leaves the window as it was.
    void filasConElTeclado() {
        OpcionesInstalacion opciones;
        opciones.empresaActual = 1;
        TestInstalacion inst(Engine::Sqlite, opciones);
        TModuloDatos modulo;
        QPointer<TfRRHHMMAQ> f = abrir();
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
        QCOMPARE(f->Table1->State(), dsInsert);
        for (const char* fila : {"7", "Torno", "8", "Fresa"}) {
            TeclearEnFoco(QLatin1String(fila));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QCOMPARE(sql(QStringLiteral("SELECT Codigo, Descripcion FROM MAQUINA ORDER BY Codigo")),
                 QStringLiteral("7|Torno\r\n8|Fresa"));
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(f->DBGrid1->SelectedIndex(), 0);
        QWidget* foco = QApplication::focusWidget();
        QVERIFY(foco == f->DBGrid1 || f->DBGrid1->isAncestorOf(foco));
        TeclearEnFoco(QStringLiteral("9"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM MAQUINA")), QStringLiteral("2"));
        QVERIFY(f);
        f->Close();
        QTRY_VERIFY(!f);
    }

    void altasEdicionYBajas_data() { AddEngineRows(); }
    void altasEdicionYBajas() {
        QFETCH(int, engine);
        OpcionesInstalacion opciones;
        opciones.empresaActual = 1;
        TestInstalacion inst(Engine(engine), opciones);
        TModuloDatos modulo;
        QPointer<TfRRHHMMAQ> f = abrir();
        QVERIFY(f);
        QCOMPARE(fRRHHMMAQ, f.data());
        QCOMPARE(f->Caption(), QStringLiteral("Maestro de Máquinas"));
        QVERIFY(f->Table1->Active());
        QVERIFY(!f->pbConforme->isEnabled());

        f->AgregarClick(f->Agregar);
        QCOMPARE(f->Table1->State(), dsInsert);
        QVERIFY(f->pbConforme->isEnabled());
        QVERIFY(!f->Agregar->isEnabled());
        teclearFila(f, QStringLiteral("7"), QStringLiteral("Torno"));
        f->pbConformeClick(f->pbConforme);
        // Confirming starts the next row.
        QCOMPARE(f->Table1->State(), dsInsert);
        teclearFila(f, QStringLiteral("3"), QStringLiteral("Fresa"));
        f->pbConformeClick(f->pbConforme);
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(sql(QStringLiteral("SELECT Descripcion FROM MAQUINA ORDER BY Codigo")),
                 QStringLiteral("Fresa\r\nTorno"));

        // An existing code typed into a new row: the grid goes to that machine.
        MessageSeam::clearLog();
        f->AgregarClick(f->Agregar);
        f->Table1->FieldByName(QStringLiteral("Codigo"))->setText(QStringLiteral("7"));
        QVERIFY(!colExit(f));
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ Ya existe el registro !")});
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("Descripcion"))->AsString(),
                 QStringLiteral("Torno"));

        // Out of range.
        MessageSeam::clearLog();
        for (const char* codigo : {"0", "10000"}) {
            f->AgregarClick(f->Agregar);
            f->Table1->FieldByName(QStringLiteral("Codigo"))->setText(QLatin1String(codigo));
            QVERIFY(!colExit(f));
            QCOMPARE(f->Table1->State(), dsInsert);
            f->Table1->Cancel();
        }
        QCOMPARE(textos(),
                 QStringList(2, QStringLiteral("¡ El valor debe estar entre 1 y 9999 !")));

        // The key is never edited; another column is.
        MessageSeam::clearLog();
        f->DBGrid1->setSelectedIndex(0);
        QVERIFY_THROWS_EXCEPTION(EAbort, f->Table1->Edit());
        QCOMPARE(textos(),
                 QStringList{QStringLiteral("¡ No se puede modificar la clave del registro !")});
        f->DBGrid1->setSelectedIndex(1);
        f->Table1->Edit();
        f->Table1->FieldByName(QStringLiteral("Descripcion"))->setText(QStringLiteral("Torno CNC"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(sql(QStringLiteral("SELECT Descripcion FROM MAQUINA WHERE Codigo = 7")),
                 QStringLiteral("Torno CNC"));

        // Deleting asks; "NO" keeps it.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("NO"));
        f->Eliminar1Click(f->Eliminar1);
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->Eliminar1Click(f->Eliminar1);
        QCOMPARE(textos(),
                 QStringList(2, QStringLiteral("¿ Está seguro de querer eliminar el registro ?")));
        QCOMPARE(sql(QStringLiteral("SELECT Codigo FROM MAQUINA")), QStringLiteral("3"));
        f->Close();
        QTRY_VERIFY(!f);
    }

    // Opened while another program holds the company database and MAQUINA
    // is not made yet: one warning that the database is busy, no window
    // left, the program goes on; opened again once the database is free,
    // the master is there with its table made.
    void baseOcupada_data() { AddEngineRows(); }
    void baseOcupada() {
        QFETCH(int, engine);
        OpcionesInstalacion opciones;
        opciones.empresaActual = 1;
        TestInstalacion inst(Engine(engine), opciones);
        TModuloDatos modulo;
        {
            OtroPrograma otro(inst);
            otro.Retener({QStringLiteral("MAQUINA")});
            MessageSeam::clearLog();
            QPointer<TfRRHHMMAQ> f;
            try {
                f = abrir();
            } catch (const EAbort&) {
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!f);
            for (QWidget* w : QApplication::topLevelWidgets())
                QVERIFY(!qobject_cast<TfRRHHMMAQ*>(w));
            QCOMPARE(textos(), QStringList{QStringLiteral(
                                   "¡ Error creando la tabla MAQUINA !. Motivo: ¡ La base de "
                                   "datos está ocupada por otro usuario !. Inténtelo de nuevo "
                                   "dentro de unos momentos.")});
            QVERIFY(!TerminacionSolicitada());
            otro.Soltar();
            QVERIFY(!otro.Existe(QStringLiteral("MAQUINA")));
        }
        MessageSeam::clearLog();
        QPointer<TfRRHHMMAQ> f = abrir();
        QVERIFY(f);
        QVERIFY(f->Table1->Active());
        QCOMPARE(textos(), QStringList());
        f->Close();
        QTRY_VERIFY(!f);
    }
};

QTEST_MAIN(TestRrhhMmaq)
#include "tst_rrhhmmaq.moc"
