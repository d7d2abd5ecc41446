// The countries master opened by its class name on a real
// installation: their tables created from the dictionary, countries typed
// row after row, an existing code moving the grid to that country, an empty
// code dropping the row, a name with quotes, the refresh re-reading what
// another user wrote, and deleting with the question.

#include <QtTest>

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "maestros_prueba.h"
#include "nomina/nomipais.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/sqlprueba.h"
#include "support/tecladoprueba.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {
TfNOMIPAIS* abrir() {
    RegistrarTfNOMIPAIS();
    return qobject_cast<TfNOMIPAIS*>(CreateForm(QStringLiteral("TfNOMIPAIS")));
}
}  // namespace

class TestNomiPais : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void paises_data() { AddEngineRows(); }
    void paises() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), empresa1());
        TModuloDatos modulo;
        QPointer<TfNOMIPAIS> f = abrir();
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Maestro de Paises"));
        QCOMPARE(f->ModoRefresco, QStringLiteral("Apertura/Cierre"));
        QVERIFY(f->Table1->Active());
        MessageSeam::clearLog();

        f->AgregarClick(f->Agregar);
        QVERIFY(teclear(f, {"ESP", "España", "ES"}));
        f->pbConformeClick(f->pbConforme);
        QVERIFY(teclear(f, {"CIV", "Costa d'Ivoire", "CI"}));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(f->Table1->State(), dsInsert);
        // A string key has no range; an empty one drops the row.
        QVERIFY(!teclear(f, {""}));
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(sql(QStringLiteral("SELECT Nombre FROM PAIS ORDER BY Codigo")),
                 QStringLiteral("Costa d'Ivoire\r\nEspaña"));

        f->AgregarClick(f->Agregar);
        QVERIFY(!teclear(f, {"ESP"}));
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ Ya existe el registro !")});
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("Nombre"))->AsString(),
                 QStringLiteral("España"));

        // Another user's country shows after a refresh.
        sql(
            QStringLiteral("INSERT INTO PAIS (Codigo, Nombre, CodigoPaisISO) VALUES ('FRA', "
                           "'Francia', 'FR')"));
        f->pbRefrescarClick(f->pbRefrescar);
        QVERIFY(f->Table1->Locate(QStringLiteral("Codigo"), QStringLiteral("FRA"), 0));

        MessageSeam::enqueue(QStringLiteral("SI"));
        f->Eliminar1Click(f->Eliminar1);
        QCOMPARE(textos(),
                 QStringList{QStringLiteral("¿ Está seguro de querer eliminar el registro ?")});
        QCOMPARE(sql(QStringLiteral("SELECT Codigo FROM PAIS ORDER BY Codigo")),
                 QStringLiteral("CIV\r\nESP"));
        f->Close();
        QTRY_VERIFY(!f);
    }

    // Countries typed at the keyboard, each key to the control with the
    // focus: a country that sorts before the last is followed by a new line
    // at the end. A click on another country's name after a line left
    // pending, added or changed lands on that name: what is typed next
    // goes there. The rows as another user reads them.
    void alTeclado_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("antes");  // what is done on A03 before the click
        QTest::addColumn<QStringList>("filas");
        const QStringList base{"33|Francia|FR", "34|España|ES", "351|Portugal|PT"};
        for (Engine motor : AvailableEngines()) {
            NewEngineRow(motor, "pendiente")
                << "pendiente" << base + QStringList{"A01|Uno|", "A02|Dos|", "A03|Tres|"};
            NewEngineRow(motor, "insertada")
                << "insertada"
                << base + QStringList{"A01|Uno|", "A02|Dos|", "A03|Tres|", "A04|Cuatro|"};
            NewEngineRow(motor, "editada")
                << "editada" << base + QStringList{"A01|Uno|", "A02|Dos|", "A03|Trece|"};
        }
    }
    void alTeclado() {
        QFETCH(int, engine);
        QFETCH(QString, antes);
        QFETCH(QStringList, filas);
        TestInstalacion inst(Engine(engine), empresa1());
        TModuloDatos modulo;
        QPointer<TfNOMIPAIS> f = abrir();
        QVERIFY(f);
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        TDBGrid* g = f->DBGrid1;
        MessageSeam::clearLog();
        f->AgregarClick(f->Agregar);
        QTRY_VERIFY(g->hasFocus());
        PulsarEnFoco(QStringLiteral("34 ⏎ España ⏎ ES ⏎ 33 ⏎ Francia ⏎ FR ⏎ 351 ⏎ Portugal ⏎ PT ⏎")
                         .split(QLatin1Char(' ')),
                     g);
        QCOMPARE(textos(), QStringList());
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(g->currentIndex().row(), g->model()->rowCount() - 1);
        QCOMPARE(FilasEnOtraSesion(QStringLiteral(
                     "SELECT Codigo, Nombre, CodigoPaisISO FROM PAIS ORDER BY Codigo")),
                 (QStringList{"33|Francia|FR", "34|España|ES", "351|Portugal|PT"}));
        f->pbCancelarClick(f->pbCancelar);

        sql(QStringLiteral("DELETE FROM PAIS WHERE Codigo LIKE '3%'"));
        f->pbRefrescarClick(f->pbRefrescar);
        f->AgregarClick(f->Agregar);
        PulsarEnFoco(
            QStringLiteral("A01 ⏎ Uno ⏎ ⏎ A02 ⏎ Dos ⏎ ⏎ A03 ⏎ Tres ⏎ ⏎").split(QLatin1Char(' ')),
            g);
        f->pbCancelarClick(f->pbCancelar);
        sql(
            QStringLiteral("INSERT INTO PAIS (Codigo, Nombre, CodigoPaisISO) VALUES ('33', "
                           "'Francia', 'FR'), ('34', 'España', 'ES'), ('351', 'Portugal', 'PT')"));
        f->pbRefrescarClick(f->pbRefrescar);
        QVERIFY(f->Table1->Locate(QStringLiteral("Codigo"), QStringLiteral("A01"), 0));
        const int a01 = g->currentIndex().row();
        auto clic = [g](int fila) {
            const QRect celda = g->visualRect(g->model()->index(fila, 1));
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, celda.center());
        };
        clic(a01 + 2);
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("Codigo"))->AsString(),
                 QStringLiteral("A03"));
        if (antes == QLatin1String("pendiente"))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        else if (antes == QLatin1String("insertada"))
            PulsarEnFoco({"⏎", "⏎", "A04", "⏎", "Cuatro"}, g);
        else
            PulsarEnFoco({"Trece"}, g);
        QVERIFY(f->Table1->State() != dsBrowse);
        clic(a01);
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("Codigo"))->AsString(),
                 QStringLiteral("A01"));
        QCOMPARE(g->SelectedField()->FieldName(), QStringLiteral("Nombre"));
        QCOMPARE(g->currentIndex().column(), 1);
        PulsarEnFoco({"Uno", "⏎"}, g);
        QCOMPARE(textos(), QStringList());
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(FilasEnOtraSesion(QStringLiteral(
                     "SELECT Codigo, Nombre, CodigoPaisISO FROM PAIS ORDER BY Codigo")),
                 filas);
        f->Close();
        QTRY_VERIFY(!f);
    }
};

QTEST_MAIN(TestNomiPais)
#include "tst_nomipais.moc"
