// The job-position master on a real installation: positions added one after
// the other, the profile memo edited whatever grid column is selected, the
// key column protected, and a deletion that takes the position's own
// criteria and cycle (not those of a training type with the same code).

#include <QApplication>
#include <QtTest>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "rrhh/rrhhcrit.h"
#include "rrhh/rrhhptra.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/lineasprueba.h"
#include "support/sqlprueba.h"
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

TfRRHHPTRA* abrirPuestos() {
    RegistrarTfRRHHPTRA();
    return qobject_cast<TfRRHHPTRA*>(CreateForm(QStringLiteral("TfRRHHPTRA")));
}

void teclearFila(TfRRHHPTRA* f, const QString& codigo, const QString& descripcion) {
    f->DBGrid1->setSelectedIndex(0);
    f->Table1->FieldByName(QStringLiteral("Codigo"))->setText(codigo);
    f->DBGrid1ColExit(f->DBGrid1);
    f->DBGrid1->setSelectedIndex(1);
    f->Table1->FieldByName(QStringLiteral("Descripcion"))->setText(descripcion);
}

// Answers every message dialog as a user would, as it shows: "SI" to a
// question, "Aceptar" to the rest; the texts in the order they came.
class Contestador : public QObject {
public:
    Contestador() {
        connect(&timer_, &QTimer::timeout, this, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* d = qobject_cast<TfGENEMENS*>(w);
                if (!d || !d->isVisible() || !d->isModal() || d == ultimo_) continue;
                ultimo_ = d;
                textos << d->MensajeDialogo;
                (d->TipoMensaje == QLatin1String("C") ? d->pbSI : d->pbAceptar)->click();
                return;
            }
        });
        timer_.start(5);
    }
    QStringList textos;

private:
    QTimer timer_;
    QPointer<TfGENEMENS> ultimo_;
};

}  // namespace

class TestRrhhPtra : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void puestos_data() { AddEngineRows(); }
    void puestos() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QPointer<TfRRHHPTRA> f = abrirPuestos();
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Maestro de Puestos de Trabajo"));

        // After a new position the grid is on a further new row.
        f->AgregarClick(f->Agregar);
        teclearFila(f, QStringLiteral("SOL"), QStringLiteral("Soldador"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(f->Table1->State(), dsInsert);
        teclearFila(f, QStringLiteral("TOR"), QStringLiteral("Tornero"));
        f->Table1->Post();
        QCOMPARE(f->Table1->State(), dsInsert);
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(sql(QStringLiteral("SELECT Codigo FROM PUESTO ORDER BY Codigo")),
                 QStringLiteral("SOL\r\nTOR"));

        // The profile is edited from its memo with the key column selected;
        // after an edit the grid stays on the row.
        f->Table1->First();
        f->DBGrid1->setSelectedIndex(0);
        f->setActiveControl(f->DBPerfil);
        f->Table1->Edit();
        f->Table1->FieldByName(QStringLiteral("Perfil"))
            ->setAsString(QStringLiteral("Lectura de planos; 'TIG' y 'MIG'"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(sql(QStringLiteral("SELECT Perfil FROM PUESTO WHERE Codigo = 'SOL'")),
                 QStringLiteral("Lectura de planos; 'TIG' y 'MIG'"));
        // In the grid the key column is not edited.
        MessageSeam::clearLog();
        f->setActiveControl(f->DBGrid1);
        QVERIFY_THROWS_EXCEPTION(EAbort, f->Table1->Edit());
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().at(0).text,
                 QStringLiteral("¡ No se puede modificar la clave del registro !"));

        // Deleting a position takes its criteria and cycle, not the training
        // type's of the same code.
        for (const char* tipo : {"Puesto", "Formacion"}) {
            sql(QStringLiteral("INSERT INTO CRITEVAL (Tipo, Codigo, Linea, Descripcion) VALUES "
                               "('%1', 'SOL', 1, 'x')")
                    .arg(QLatin1String(tipo)));
            sql(QStringLiteral("INSERT INTO CICLOCAP (Tipo, Codigo, Linea, Nivel) VALUES "
                               "('%1', 'SOL', 1, 'x')")
                    .arg(QLatin1String(tipo)));
        }
        sql(QStringLiteral(
            "INSERT INTO CRITEVAL (Tipo, Codigo, Linea) VALUES ('Puesto', 'TOR', 1)"));
        QVERIFY(f->Table1->Locate(QStringLiteral("Codigo"), QStringLiteral("SOL"), 0));
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->Eliminar1Click(f->Eliminar1);
        QCOMPARE(sql(QStringLiteral("SELECT Codigo FROM PUESTO")), QStringLiteral("TOR"));
        QCOMPARE(sql(QStringLiteral("SELECT Tipo, Codigo FROM CRITEVAL ORDER BY Tipo")),
                 QStringLiteral("Formacion|SOL\r\nPuesto|TOR"));
        QCOMPARE(sql(QStringLiteral("SELECT Tipo FROM CICLOCAP")), QStringLiteral("Formacion"));
        f->Close();
        QTRY_VERIFY(!f);
    }

    // A confirm while another program holds the database (SQLite) or the
    // positions table (PostgreSQL): the box gives the master's text and why,
    // and the new position, or the profile typed into an existing one, stays
    // on screen as typed; once free, the next confirm stores it. Before, an
    // edit went back to the stored profile, the typing lost.
    // The positions grid gone through with Enter, Tab and Shift+Tab keeps
    // the keys (the profile memo never gets them); nothing stored changes.
    void recorridoConTeclas_data() { AddEngineRows(); }
    void recorridoConTeclas() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QPointer<TfRRHHPTRA> f = abrirPuestos();
        sql(
            QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('SOL', 'Soldador'), "
                           "('TOR', 'Tornero')"));
        f->Table1->Refresh();
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        MessageSeam::clearLog();
        RecorrerRejillaConTeclas(f->DBGrid1);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(FilasEnOtraSesion(QStringLiteral(
                     "SELECT Codigo, Descripcion, Perfil FROM PUESTO ORDER BY Codigo")),
                 (QStringList{"SOL|Soldador|", "TOR|Tornero|"}));
        f->Close();
        QTRY_VERIFY(!f);
    }

    void confirmacionConLaBaseRetenida_data() { AddEngineRows(); }
    void confirmacionConLaBaseRetenida() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QPointer<TfRRHHPTRA> f = abrirPuestos();
        sql(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('SOL', 'Soldador')"));
        f->Table1->Refresh();
        f->Show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        const bool sqlite = Engine(engine) == Engine::Sqlite;
        TDatabase otra;
        otra.setDatabaseName(QStringLiteral("Retenedora"));
        otra.Params() = fGENEINIC->Database->Params();
        otra.Open();
        auto retener = [&] {
            otra.StartTransaction();
            otra.Execute(sqlite ? QStringLiteral("DELETE FROM PUESTO WHERE Codigo = 'x'")
                                : QStringLiteral("LOCK TABLE PUESTO IN EXCLUSIVE MODE"));
        };
        fGENEINIC->Database->Execute(sqlite ? QStringLiteral("PRAGMA busy_timeout = 50")
                                            : QStringLiteral("SET lock_timeout = 300"));
        // The engine's wait is no one's edit of the record: only waiting helps.
        const QString ocupada = QStringLiteral(
            "¡ La base de datos está ocupada por otro usuario !. Inténtelo de nuevo dentro de unos "
            "momentos.");

        // An existing position's profile.
        f->setActiveControl(f->DBPerfil);
        f->Table1->Edit();
        f->Table1->FieldByName(QStringLiteral("Perfil"))->setAsString(QStringLiteral("Planos"));
        retener();
        MessageSeam::clearLog();
        QTest::mouseClick(f->pbConforme, Qt::LeftButton);
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().at(0).text, ocupada);
        QCOMPARE(f->Table1->State(), dsEdit);
        QCOMPARE(f->DBPerfil->Text(), QStringLiteral("Planos"));
        otra.Rollback();
        QTest::mouseClick(f->pbConforme, Qt::LeftButton);
        QCOMPARE(sql(QStringLiteral("SELECT Perfil FROM PUESTO")), QStringLiteral("Planos"));

        // A new position.
        f->AgregarClick(f->Agregar);
        teclearFila(f, QStringLiteral("TOR"), QStringLiteral("Tornero"));
        retener();
        MessageSeam::clearLog();
        QTest::mouseClick(f->pbConforme, Qt::LeftButton);
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().at(0).text, ocupada);
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("Descripcion"))->AsString(),
                 QStringLiteral("Tornero"));
        otra.Rollback();
        MessageSeam::clearLog();
        QTest::mouseClick(f->pbConforme, Qt::LeftButton);
        QCOMPARE(MessageSeam::log().size(), 0);
        QCOMPARE(sql(QStringLiteral("SELECT Descripcion FROM PUESTO WHERE Codigo = 'TOR'")),
                 QStringLiteral("Tornero"));
        f->pbCancelarClick(f->pbCancelar);
        f->Close();
        QTRY_VERIFY(!f);
    }

    // The delete with the dialogs on screen: the cycle goes, the criteria's
    // statement fails (their table has another shape) and shows its warning, and the
    // position, its cycle and its attachment still go together, in one
    // transaction that the warning does not end.
    void borradoConDialogos_data() { AddEngineRows(); }
    void borradoConDialogos() {
        QFETCH(int, engine);
        MessageSeam::activate(true);
        // The next tests answer their messages through the seam again.
        const auto sinDialogos = qScopeGuard([] { MessageSeam::deactivate(); });
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        RegistrarTfRRHHPTRA();
        TTable blob;
        blob.setTableName(QStringLiteral("BLOBTAB"));
        QVERIFY(AbrirTabla(fGENEINIC, &blob));
        blob.Close();
        QPointer<TfRRHHPTRA> f = abrirPuestos();
        QVERIFY(f);
        sql(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('SOL', 'Soldador')"));
        sql(QStringLiteral(
            "INSERT INTO CICLOCAP (Tipo, Codigo, Linea, Nivel) VALUES ('Puesto', 'SOL', 1, 'x')"));
        sql(
            QStringLiteral("INSERT INTO BLOBTAB (NombreTabla, ClaveTabla, IdObjeto) VALUES "
                           "('PUESTO', 'SOL', 'Foto')"));
        // Criteria of another shape: their statement fails.
        TDatabase* empresa = BaseDatosSelector(QStringLiteral("Database"));
        empresa->DropTableIfExists(QStringLiteral("CRITEVAL"));
        empresa->CreateTable(QStringLiteral("CRITEVAL"),
                             {{QStringLiteral("Linea"), ftInteger, 0, true}},
                             {QStringLiteral("Linea")}, QStringLiteral("CRITEVAL_Clave1"));
        f->Table1->Refresh();
        QVERIFY(f->Table1->Locate(QStringLiteral("Codigo"), QStringLiteral("SOL"), 0));

        Contestador contestador;
        f->Eliminar1Click(f->Eliminar1);
        // The question, then the failed statement's own warnings.
        QVERIFY(contestador.textos.size() > 1);
        QCOMPARE(contestador.textos.first(),
                 QStringLiteral("¿ Está seguro de querer eliminar el registro ?"));
        QVERIFY2(contestador.textos.last().contains(QStringLiteral("CRITEVAL")),
                 qPrintable(contestador.textos.last()));
        QVERIFY(!fGENEINIC->Database->InTransaction());
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM PUESTO")), QStringLiteral("0"));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM CICLOCAP")), QStringLiteral("0"));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM BLOBTAB")), QStringLiteral("0"));
        f->Close();
        QTRY_VERIFY(!f);
    }

    // A row typed as a user types it: the key, Tab (the grid enters the
    // next column), the description, the confirm button.
    void filaTecleada() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QPointer<TfRRHHPTRA> f = abrirPuestos();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        auto teclear = [](const QString& texto) {
            for (QChar c : texto) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        };
        f->AgregarClick(f->Agregar);
        teclear(QStringLiteral("SOL"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(f->DBGrid1->SelectedIndex(), 1);
        teclear(QStringLiteral("Soldador"));
        // Confirming posts what was typed and opens the next row.
        f->pbConforme->click();
        QCOMPARE(sql(QStringLiteral("SELECT Codigo, Descripcion FROM PUESTO")),
                 QStringLiteral("SOL|Soldador"));
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(f->DBGrid1->SelectedIndex(), 0);
        f->Table1->Cancel();
        f->Close();
        QTRY_VERIFY(!f);
    }

    // A code that ends in the key separator is a code of its own, beside the
    // code without it.
    void codigoConSeparador_data() { AddEngineRows(); }
    void codigoConSeparador() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        RegistrarTfRRHHPTRA();
        QPointer<TfRRHHPTRA> f =
            qobject_cast<TfRRHHPTRA*>(CreateForm(QStringLiteral("TfRRHHPTRA")));
        sql(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('A', 'Ajustador')"));
        f->Table1->Refresh();
        MessageSeam::clearLog();
        f->AgregarClick(f->Agregar);
        teclearFila(f, QStringLiteral("A;"), QStringLiteral("Ayudante"));
        QCOMPARE(MessageSeam::log().size(), 0);
        f->pbConforme->click();
        QCOMPARE(sql(QStringLiteral("SELECT Codigo, Descripcion FROM PUESTO ORDER BY Codigo")),
                 QStringLiteral("A|Ajustador\r\nA;|Ayudante"));
        // Typed again, it is the one that exists.
        if (f->Table1->State() != dsInsert) f->AgregarClick(f->Agregar);
        f->Table1->FieldByName(QStringLiteral("Codigo"))->setText(QStringLiteral("A;"));
        QVERIFY_THROWS_EXCEPTION(EAbort, f->DBGrid1ColExit(f->DBGrid1));
        QCOMPARE(MessageSeam::log().size(), 1);
        f->Table1->Cancel();
        f->Close();
        QTRY_VERIFY(!f);
    }

    void criteriosDelPuesto() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        TForm principal;
        principal.setFormStyle(fsMDIForm);
        SetMainForm(&principal);
        sql(QStringLiteral(
            "INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('A', 'a'), ('B', 'b')"));
        TipoCriterios = QStringLiteral("Formacion");
        QPointer<TfRRHHPTRA> f = abrirPuestos();
        f->Table1->Last();
        f->pbAccesoCriteriosClick(f->pbAccesoCriterios);
        QPointer<TfRRHHCRIT> criterios = fRRHHCRIT;
        QVERIFY(criterios);
        QCOMPARE(TipoCriterios, QStringLiteral("Puesto"));
        QCOMPARE(criterios->EditTipo->Text(), QStringLiteral("Puesto"));
        QCOMPARE(criterios->EditCodigo->Text(), QStringLiteral("B"));
        QVERIFY(criterios->Table2->IsEmpty());
        criterios->Close();
        f->Close();
        QTRY_VERIFY(!f && !criterios);
        SetMainForm(nullptr);
    }
};

QTEST_MAIN(TestRrhhPtra)
#include "tst_rrhhptra.moc"
