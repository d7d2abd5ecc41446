// The sections master opened by its class name: SECCION created from the
// dictionary and a section with quotes in its name kept as typed.

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
#include "nomina/nomisecc.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

class TestNomiSecc : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void secciones() {
        TestInstalacion inst(Engine::Sqlite, empresa1());
        TModuloDatos modulo;
        RegistrarTfNOMISECC();
        std::unique_ptr<TForm> forma(CreateForm(QStringLiteral("TfNOMISECC")));
        auto* f = qobject_cast<TfNOMISECC*>(forma.get());
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Maestro de Secciones"));
        // The form's widths are in the units it was laid out in, scaled to the grid's font.
        const int digito = f->DBGrid1->fontMetrics().horizontalAdvance(QLatin1Char('0'));
        QCOMPARE(f->DBGrid1->Columns().Items(1)->Width(), qRound(301.0 * digito / 6));
        f->AgregarClick(f->Agregar);
        QVERIFY(teclear(f, {"MONTAJ", "Montaje \"final\""}));
        f->pbConformeClick(f->pbConforme);
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(sql(QStringLiteral("SELECT Nombre FROM SECCION WHERE Codigo = 'MONTAJ'")),
                 QStringLiteral("Montaje \"final\""));
    }
};

QTEST_MAIN(TestNomiSecc)
#include "tst_nomisecc.moc"
