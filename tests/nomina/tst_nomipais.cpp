// The countries master opened by its class name on a real
// installation: their tables created from the dictionary, countries typed
// row after row, an existing code moving the grid to that country, an empty
// code dropping the row, a name with quotes, the refresh re-reading what
// another user wrote, and deleting with the question.

#include <QtTest>

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "maestros_prueba.h"
#include "nomina/nomipais.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

class TestNomiPais : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void paises_data() { AddEngineRows(); }
    void paises() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), empresa1());
        TModuloDatos modulo;
        RegistrarTfNOMIPAIS();
        QPointer<TfNOMIPAIS> f =
            qobject_cast<TfNOMIPAIS*>(CreateForm(QStringLiteral("TfNOMIPAIS")));
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
};

QTEST_MAIN(TestNomiPais)
#include "tst_nomipais.moc"
