// The analysis-group master on a real installation: the grid shows one
// category at a time and new groups take it; an existing code typed into a
// new row is refused with the row kept; an empty code drops the row; texts
// with quotes are stored whole.

#include <QApplication>
#include <QtTest>

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genegana.h"
#include "gene/dialogs/genevmem.h"
#include "gene/session/geneinic_formulario.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/sqlprueba.h"
#include "support/tecladoprueba.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
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

// The window shown with the keys in its grid, the messages' log emptied.
TfGENEGANA* abrirConFocoEnRejilla() {
    MessageSeam::clearLog();
    TfGENEGANA* f = abrir();
    if (!f) return nullptr;
    f->Show();
    if (!QTest::qWaitForWindowActive(f)) return nullptr;
    f->DBGrid1->setFocus();
    return QTest::qWaitFor([f] { return f->DBGrid1->hasFocus(); }) ? f : nullptr;
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
    // Groups typed at the keyboard: Enter goes from the code to the
    // description and from there to the next line, passing over the "…"
    // column, whose viewer a click and Ctrl+Enter still open; the rows as
    // another user reads them.
    void alTeclado_data() { AddEngineRows(); }
    void alTeclado() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QPointer<TfGENEGANA> f = abrirConFocoEnRejilla();
        QVERIFY(f);
        TDBGrid* g = f->DBGrid1;
        QTest::keyClick(g, Qt::Key_Insert);
        QCOMPARE(f->Table1->State(), dsInsert);
        const QList<std::pair<QString, QString>> grupos{{"ADM", "Administración"},
                                                        {"CALID", "Calidad ŝ"}};
        for (const auto& [codigo, descripcion] : grupos) {
            QCOMPARE(g->SelectedField()->FieldName(), QStringLiteral("Codigo"));
            TeclearEnFoco(codigo);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(g->SelectedField()->FieldName(), QStringLiteral("Descripcion"));
            TeclearEnFoco(descripcion);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QCOMPARE(textos(), QStringList());
        QCOMPARE(FilasEnOtraSesion(QStringLiteral(
                     "SELECT Codigo, Descripcion, CategoriaGrupo FROM GRANALIS ORDER BY Codigo")),
                 (QStringList{"ADM|Administración|", "CALID|Calidad ŝ|"}));
        // The next line waits at its code.
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(g->SelectedField()->FieldName(), QStringLiteral("Codigo"));

        // A click on the first group's "…" cell: the empty line goes and
        // that cell is the current one, whose viewer Ctrl+Enter opens.
        const QModelIndex celda = g->model()->index(0, 2);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(celda).center());
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("Codigo"))->AsString(),
                 QStringLiteral("ADM"));
        QCOMPARE(g->currentIndex().row(), 0);
        QCOMPARE(g->currentIndex().column(), 2);
        QCOMPARE(g->SelectedField()->FieldName(), QStringLiteral("DescripcionAmpliada"));
        AlMostrarse<TfGENEVMEM>([](TfGENEVMEM* v) {
            v->DBMemo->setText(QStringLiteral("Área | de gestión"));
            QTest::keyClick(v->DBMemo, Qt::Key_Escape);
        });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(FilasEnOtraSesion(QStringLiteral(
                     "SELECT Codigo, DescripcionAmpliada FROM GRANALIS ORDER BY Codigo")),
                 (QStringList{"ADM|Área | de gestión", "CALID|"}));
        f->Close();
        QTRY_VERIFY(!f);
    }

    // Groups typed quickly, one Enter per column shown ("…" included): the
    // Enter on a new line nobody typed into moves to its next column and
    // the line stays; a line given up for want of its code gives way to a
    // new one; no group typed before is ever rewritten, no letter searches.
    void introsDeMas_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("teclas");
        QTest::addColumn<QStringList>("filas");
        for (Engine motor : AvailableEngines()) {
            NewEngineRow(motor, "DEP")
                << "DEPADM ⏎ Administracion ⏎ ⏎ DEPPRO ⏎ Produccion ⏎ ⏎ DEPVEN ⏎ Ventas ⏎ ⏎"
                << QStringList{"DEPADM|Administracion", "DEPVEN|Ventas", "Produccion|"};
            NewEngineRow(motor, "G") << "G1 ⏎ Uno ⏎ ⏎ G2 ⏎ Dos ⏎ ⏎ G3 ⏎ Tres ⏎ ⏎"
                                     << QStringList{"Dos|", "G1|Uno", "G3|Tres"};
        }
    }
    void introsDeMas() {
        QFETCH(int, engine);
        QFETCH(QString, teclas);
        QFETCH(QStringList, filas);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QPointer<TfGENEGANA> f = abrirConFocoEnRejilla();
        QVERIFY(f);
        TDBGrid* g = f->DBGrid1;
        PulsarEnFoco({QStringLiteral("⏎")}, g);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert);
        QCOMPARE(f->Table1->State(), dsInsert);
        PulsarEnFoco(teclas.split(QLatin1Char(' ')), g);
        QCOMPARE(textos(), QStringList());
        QCOMPARE(FilasEnOtraSesion(
                     QStringLiteral("SELECT Codigo, Descripcion FROM GRANALIS ORDER BY Codigo")),
                 filas);
        // The last Enter crossed the new line's code; it waits, untouched.
        QCOMPARE(f->Table1->State(), dsInsert);
        QVERIFY(!f->Table1->Modified());
        QCOMPARE(g->SelectedField()->FieldName(), QStringLiteral("Descripcion"));
        f->Close();
        QTRY_VERIFY(!f);
    }
};

QTEST_MAIN(TestGeneGana)
#include "tst_genegana.moc"
