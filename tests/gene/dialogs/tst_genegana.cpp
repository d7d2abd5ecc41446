// The analysis-group master on a real installation: the grid shows one
// category at a time and new groups take it; an existing code typed into a
// new row is refused with the row kept; an empty code drops the row; texts
// with quotes are stored whole.

#include <QtTest>

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/dialogs/genegana.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
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

TfGENEGANA* abrir() {
    RegistrarTfGENEGANA();
    return qobject_cast<TfGENEGANA*>(CreateForm(QStringLiteral("TfGENEGANA")));
}

// The key typed into the first column and the column left; false when the
// grid refused to leave it.
bool teclearCodigo(TfGENEGANA* f, const QString& codigo) {
    f->DBGrid1->setSelectedIndex(0);
    f->Table1->FieldByName(QStringLiteral("Codigo"))->setText(codigo);
    try {
        f->DBGrid1ColExit(f->DBGrid1);
        return true;
    } catch (const EAbort&) {
        return false;
    }
}

QStringList codigosVisibles(TTable* t) {
    QStringList l;
    for (t->First(); !t->Eof(); t->Next())
        l << t->FieldByName(QStringLiteral("Codigo"))->AsString();
    return l;
}

}  // namespace

class TestGeneGana : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void categoriasYClaves_data() { AddEngineRows(); }
    void categoriasYClaves() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        sql(
            QStringLiteral("INSERT INTO GRANALIS (Codigo, Descripcion, CategoriaGrupo) VALUES "
                           "('Z1', 'Norte', 'ZONA')"));
        sql(
            QStringLiteral("INSERT INTO GRANALIS (Codigo, Descripcion, CategoriaGrupo) VALUES "
                           "('D9', 'Minúsculas', 'dep')"));
        QPointer<TfGENEGANA> f = abrir();
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Maestro de Grupos de Análisis"));
        QVERIFY(f->Table1->Filtered());
        // No category chosen: only groups without one.
        QCOMPARE(codigosVisibles(f->Table1), QStringList());

        f->EditCategoriaGrupoDropDown(f->EditCategoriaGrupo);
        QCOMPARE(f->EditCategoriaGrupo->Items(), (QStringList{"ZONA", "dep"}));
        f->EditCategoriaGrupo->setText(QStringLiteral("DEP"));
        QCOMPARE(codigosVisibles(f->Table1), QStringList());

        // A new group takes the category shown and stays visible; confirming
        // starts the next row.
        f->AgregarClick(f->Agregar);
        QVERIFY(teclearCodigo(f, QStringLiteral("DEP01")));
        f->Table1->FieldByName(QStringLiteral("Descripcion"))
            ->setText(QStringLiteral("Dpto. d'Administració"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(f->Table1->State(), dsInsert);
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(sql(QStringLiteral("SELECT CategoriaGrupo, Descripcion FROM GRANALIS WHERE "
                                    "Codigo = 'DEP01'")),
                 QStringLiteral("DEP|Dpto. d'Administració"));
        QCOMPARE(codigosVisibles(f->Table1), QStringList{QStringLiteral("DEP01")});

        // An existing code, even of a hidden category, is refused and the row kept.
        MessageSeam::clearLog();
        f->AgregarClick(f->Agregar);
        QVERIFY(!teclearCodigo(f, QStringLiteral("Z1")));
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ Ya existe el registro !")});
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("Codigo"))->AsString(),
                 QStringLiteral("Z1"));
        // Corrected, it goes through.
        QVERIFY(teclearCodigo(f, QStringLiteral("DEP02")));
        f->pbConformeClick(f->pbConforme);
        // An empty code drops the new row.
        QCOMPARE(f->Table1->State(), dsInsert);
        QVERIFY(!teclearCodigo(f, QString()));
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM GRANALIS")), QStringLiteral("4"));

        // Another category hides them.
        f->EditCategoriaGrupo->setText(QStringLiteral("ZONA"));
        QCOMPARE(codigosVisibles(f->Table1), QStringList{QStringLiteral("Z1")});

        // The key of an existing group is never edited.
        MessageSeam::clearLog();
        f->DBGrid1->setSelectedIndex(0);
        QVERIFY_THROWS_EXCEPTION(EAbort, f->Table1->Edit());
        QCOMPARE(textos(),
                 QStringList{QStringLiteral("¡ No se puede modificar la clave del registro !")});
        f->Close();
        QTRY_VERIFY(!f);
    }

    void descripcionAmpliada() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        sql(
            QStringLiteral("INSERT INTO GRANALIS (Codigo, Descripcion, CategoriaGrupo) VALUES "
                           "('Z1', 'Norte', '')"));
        QPointer<TfGENEGANA> f = abrir();
        QVERIFY(f);
        QCOMPARE(codigosVisibles(f->Table1), QStringList{QStringLiteral("Z1")});
        f->DBGrid1->setSelectedIndex(2);
        f->Table1->Edit();
        f->Table1->FieldByName(QStringLiteral("DescripcionAmpliada"))
            ->setAsString(QStringLiteral("L'àrea nord\r\n'cotxeres'"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(sql(QStringLiteral("SELECT DescripcionAmpliada FROM GRANALIS")),
                 QStringLiteral("L'àrea nord\r\n'cotxeres'"));
        // The statement the SQL Server road runs keeps the quotes.
        QVERIFY(SentenciaActualizarRegistroSQL(ModuloDatos, f->Table1)
                    .contains(QStringLiteral("'L''àrea nord\r\n''cotxeres'''")));
        f->Close();
        QTRY_VERIFY(!f);
    }
};

QTEST_MAIN(TestGeneGana)
#include "tst_genegana.moc"
