// The evaluation criteria on a real installation: the type the form starts
// with, the lines of the position or training type shown (numbered per type
// and code, gaps kept), the levels of the cycle offered to the criteria,
// line deletion with Ctrl+Delete, and the opening from the masters.

#include <QSqlQuery>
#include <QtTest>

#include "db/database.h"
#include "db/datasource.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/dialogs/genedoce.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/sesion.h"
#include "rrhh/rrhhcrit.h"
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

TfRRHHCRIT* abrir() {
    RegistrarTfRRHHCRIT();
    return qobject_cast<TfRRHHCRIT*>(CreateForm(QStringLiteral("TfRRHHCRIT")));
}

void nuevaLinea(TfRRHHCRIT* f, TTable* t, const QString& nivel, const QString& descripcion) {
    f->PageControl1->setActivePage(t == f->Table2 ? f->TabCriterios : f->TabCiclo);
    f->AgregarClick(f->Agregar);
    t->FieldByName(QStringLiteral("Nivel"))->setAsString(nivel);
    t->FieldByName(QStringLiteral("Descripcion"))->setAsString(descripcion);
    f->pbConformeClick(f->pbConforme);
}

QString lineas(const QString& tabla) {
    return sql(QStringLiteral("SELECT Tipo, Codigo, Linea, Nivel FROM ") + tabla +
               QStringLiteral(" ORDER BY Tipo, Codigo, Linea"));
}

void ctrlSupr(TfRRHHCRIT* f, TDBGrid* g) {
    int tecla = VK_DELETE;
    f->DBGridKeyDown(g, tecla, ssCtrl);
    QCOMPARE(tecla, 0);
}

}  // namespace

class TestRrhhCrit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    // "Eliminación Múltiple" on the positions takes their criteria and
    // cycles along, as deleting a position does: a later position of the
    // same code starts with no lines. A training type's lines of that code
    // stay.
    void eliminacionMultipleConLineas_data() { AddEngineRows(); }
    void eliminacionMultipleConLineas() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        for (const char* p : {"P1", "P2"})
            sql(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('%1', 'x')")
                    .arg(QLatin1String(p)));
        for (const char* fila : {"'Puesto', 'P1', 1", "'Puesto', 'P2', 1", "'Formacion', 'P1', 1"})
            for (const char* t : {"CRITEVAL", "CICLOCAP"})
                sql(QStringLiteral("INSERT INTO %1 (Tipo, Codigo, Linea) VALUES (%2)")
                        .arg(QLatin1String(t), QLatin1String(fila)));
        TipoCriterios.clear();
        QPointer<TfRRHHCRIT> f = abrir();
        QVERIFY(f);
        QCOMPARE(f->Cabecera(), f->Table0);
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->EliminacionMultiple1Click(f->EliminacionMultiple1);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM PUESTO")), QStringLiteral("0"));
        QCOMPARE(lineas(QStringLiteral("CRITEVAL")), QStringLiteral("Formacion|P1|1|"));
        QCOMPARE(lineas(QStringLiteral("CICLOCAP")), QStringLiteral("Formacion|P1|1|"));
        f->Close();
        QTRY_VERIFY(!f);
    }

    // A criteria or cycle line typed on position P1 and not confirmed, then
    // the next-record button or the type changed to "Formacion": the line is
    // stored under P1 and the grid shows the new header's lines only, so an
    // edit or Ctrl+Delete there never reaches P1's lines.
    void lineaPendienteAlCambiarDeCabecera_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("ciclo");
        QTest::addColumn<bool>("cambioDeTipo");
        for (Engine e : AvailableEngines())
            for (bool ciclo : {false, true})
                for (bool tipo : {false, true})
                    QTest::addRow("%s %s %s", qPrintable(EngineTag(e)),
                                  ciclo ? "ciclo" : "criterios", tipo ? "tipo" : "siguiente")
                        << int(e) << ciclo << tipo;
    }
    void lineaPendienteAlCambiarDeCabecera() {
        QFETCH(int, engine);
        QFETCH(bool, ciclo);
        QFETCH(bool, cambioDeTipo);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        for (const char* p : {"P1", "P2"})
            sql(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('%1', 'x')")
                    .arg(QLatin1String(p)));
        sql(QStringLiteral("INSERT INTO FORMCION (Codigo, Descripcion) VALUES ('P1', 'y')"));
        TipoCriterios.clear();
        QPointer<TfRRHHCRIT> f = abrir();
        QVERIFY(f);
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        QCOMPARE(f->CodigoCabecera(), QStringLiteral("P1"));
        TTable* t = ciclo ? f->Table3 : f->Table2;
        f->PageControl1->setActivePage(ciclo ? f->TabCiclo : f->TabCriterios);
        f->AgregarClick(f->Agregar);
        QCOMPARE(t->State(), dsInsert);
        t->FieldByName(QStringLiteral("Descripcion"))->setAsString(QStringLiteral("Pendiente"));
        MessageSeam::clearLog();
        if (cambioDeTipo)
            f->EditTipo->setText(QStringLiteral("Formacion"));
        else
            QTest::mouseClick(f->pbSiguiente, Qt::LeftButton);
        QCOMPARE(t->State(), dsBrowse);
        const QString tabla = ciclo ? QStringLiteral("CICLOCAP") : QStringLiteral("CRITEVAL");
        QCOMPARE(sql(QStringLiteral("SELECT Tipo, Codigo, Descripcion FROM ") + tabla),
                 QStringLiteral("Puesto|P1|Pendiente"));
        QCOMPARE(f->CodigoCabecera(), cambioDeTipo ? QStringLiteral("P1") : QStringLiteral("P2"));
        QCOMPARE(f->Cabecera(), cambioDeTipo ? f->Table1 : f->Table0);
        // The grid is on the new header: empty, so nothing of P1 to touch.
        QVERIFY(t->IsEmpty());
        f->Close();
        QTRY_VERIFY(!f);
    }

    // A criteria line and a cycle line typed together, one of them changed
    // by another user meanwhile: "Conforme" stores neither. One warning, the
    // other user's change kept, the other line as stored before, and both
    // lines still on screen as typed for the clerk to try again.
    void ambasLineasConCambioAjeno_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("ajena");
        for (Engine e : AvailableEngines())
            for (const char* tabla : {"CICLOCAP", "CRITEVAL"})
                QTest::addRow("%s %s", qPrintable(EngineTag(e)), tabla)
                    << int(e) << QString::fromLatin1(tabla);
    }
    void ambasLineasConCambioAjeno() {
        QFETCH(int, engine);
        QFETCH(QString, ajena);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        sql(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P1', 'Tornero')"));
        for (const char* t : {"CRITEVAL", "CICLOCAP"})
            sql(QStringLiteral("INSERT INTO %1 (Tipo, Codigo, Linea, Nivel, Descripcion) VALUES "
                               "('Puesto', 'P1', 1, 'Básico', 'Guardada')")
                    .arg(QLatin1String(t)));
        TipoCriterios.clear();
        QPointer<TfRRHHCRIT> f = abrir();
        QVERIFY(f);
        QCOMPARE(f->CodigoCabecera(), QStringLiteral("P1"));
        const QString criterio = QStringLiteral("Lectura de planos · «TIG»; 5|6");
        const QString ciclo = QStringLiteral("Nivel Ł avanzado");
        f->PageControl1->setActivePage(f->TabCriterios);
        f->Table2->Edit();
        f->Table2->FieldByName(QStringLiteral("Descripcion"))->setAsString(criterio);
        f->PageControl1->setActivePage(f->TabCiclo);
        f->Table3->Edit();
        f->Table3->FieldByName(QStringLiteral("Descripcion"))->setAsString(ciclo);
        const QString leer = QStringLiteral("SELECT Descripcion FROM %1 WHERE Linea = 1");
        FilasEnOtraSesion(
            QStringLiteral("UPDATE %1 SET Descripcion = 'Ajena' WHERE Linea = 1").arg(ajena));
        MessageSeam::clearLog();
        QTest::mouseClick(f->pbConforme, Qt::LeftButton);
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().text.section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("¡Imposible modificar el registro!"));
        for (const char* t : {"CRITEVAL", "CICLOCAP"})
            QCOMPARE(
                PrimeroEnOtraSesion(leer.arg(QLatin1String(t))),
                ajena == QLatin1String(t) ? QStringLiteral("Ajena") : QStringLiteral("Guardada"));
        QCOMPARE(f->Table2->State(), dsEdit);
        QCOMPARE(f->Table3->State(), dsEdit);
        QCOMPARE(f->Table2->FieldByName(QStringLiteral("Descripcion"))->AsString(), criterio);
        QCOMPARE(f->Table3->FieldByName(QStringLiteral("Descripcion"))->AsString(), ciclo);
        f->pbCancelarClick(f->pbCancelar);
        f->Close();
        QTRY_VERIFY(!f);
    }

    void lineasYNiveles_data() { AddEngineRows(); }
    void lineasYNiveles() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        sql(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P1', 'Tornero')"));
        sql(
            QStringLiteral("INSERT INTO FORMCION (Codigo, Tipo, Descripcion) VALUES "
                           "('P1', 'CURSO', 'Soldadura')"));
        TipoCriterios.clear();
        QPointer<TfRRHHCRIT> f = abrir();
        QVERIFY(f);
        // From the main menu: positions.
        QCOMPARE(f->EditTipo->Text(), QStringLiteral("Puesto"));
        QCOMPARE(f->Cabecera(), f->Table0);
        QCOMPARE(f->EditDescripcion->Text(), QStringLiteral("Tornero"));

        // Lines numbered per type and code; a gap left by a deletion stays.
        nuevaLinea(f, f->Table2, QString(), QStringLiteral("Manejo del torno"));
        nuevaLinea(f, f->Table2, QString(), QStringLiteral("Lectura de planos"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->Table2->First();
        ctrlSupr(f, f->DBGrid1);
        nuevaLinea(f, f->Table2, QString(), QStringLiteral("Seguridad"));
        QCOMPARE(lineas(QStringLiteral("CRITEVAL")),
                 QStringLiteral("Puesto|P1|2|\r\nPuesto|P1|3|"));

        // A level of the cycle is offered at once to the criteria.
        QVERIFY(f->DBGrid1->Columns().Items(1)->PickList().isEmpty());
        nuevaLinea(f, f->Table3, QStringLiteral("Básico"), QStringLiteral("Inicial"));
        nuevaLinea(f, f->Table3, QStringLiteral("Avanzado"), QStringLiteral("Final"));
        QCOMPARE(f->DBGrid1->Columns().Items(1)->PickList(), (QStringList{"Avanzado", "Básico"}));
        QCOMPARE(f->DBGrid2->Columns().Items(2)->PickList(), (QStringList{"Avanzado", "Básico"}));

        // Ctrl+Delete while a line is being edited deletes nothing.
        MessageSeam::clearLog();
        f->Table3->Edit();
        ctrlSupr(f, f->DBGrid2);
        QVERIFY(MessageSeam::log().isEmpty());
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(f->Table3->State(), dsBrowse);

        // The training type of the same code has lines of its own.
        f->EditTipo->setText(QStringLiteral("Formacion"));
        QCOMPARE(f->Cabecera(), f->Table1);
        QVERIFY(f->Table2->IsEmpty());
        QVERIFY(f->DBGrid1->Columns().Items(1)->PickList().isEmpty());
        nuevaLinea(f, f->Table2, QString(), QStringLiteral("Soldadura TIG"));
        QCOMPARE(lineas(QStringLiteral("CRITEVAL")),
                 QStringLiteral("Formacion|P1|1|\r\nPuesto|P1|2|\r\nPuesto|P1|3|"));
        QCOMPARE(lineas(QStringLiteral("CICLOCAP")),
                 QStringLiteral("Puesto|P1|1|Básico\r\nPuesto|P1|2|Avanzado"));
        f->Close();
        QTRY_VERIFY(!f);
    }

    // The criteria and cycle grids gone through with Enter, Tab and
    // Shift+Tab keep the keys (the type combo never gets them); nothing
    // stored changes.
    void recorridoConTeclas_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("ciclo");
        for (Engine e : AvailableEngines())
            for (bool ciclo : {false, true})
                QTest::addRow("%s %s", qPrintable(EngineTag(e)), ciclo ? "ciclo" : "criterios")
                    << int(e) << ciclo;
    }
    void recorridoConTeclas() {
        QFETCH(int, engine);
        QFETCH(bool, ciclo);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        sql(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P1', 'Tornero')"));
        TipoCriterios.clear();
        QPointer<TfRRHHCRIT> f = abrir();
        QVERIFY(f);
        TTable* t = ciclo ? f->Table3 : f->Table2;
        nuevaLinea(f, t, ciclo ? QStringLiteral("Básico") : QString(), QStringLiteral("Uno"));
        nuevaLinea(f, t, ciclo ? QStringLiteral("Avanzado") : QString(), QStringLiteral("Dos"));
        const QString tabla = ciclo ? QStringLiteral("CICLOCAP") : QStringLiteral("CRITEVAL");
        const QString antes = lineas(tabla);
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        MessageSeam::clearLog();
        RecorrerRejillaConTeclas(ciclo ? f->DBGrid2 : f->DBGrid1);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(TextosMostrados(), QStringList());
        QCOMPARE(lineas(tabla), antes);
        QCOMPARE(f->EditTipo->Text(), QStringLiteral("Puesto"));
        f->Close();
        QTRY_VERIFY(!f);
    }

    void aperturaDesdeMaestros() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        TForm principal;
        principal.setFormStyle(fsMDIForm);
        SetMainForm(&principal);
        sql(
            QStringLiteral("INSERT INTO FORMCION (Codigo, Tipo, Descripcion) VALUES "
                           "('F1', 'CURSO', 'Uno'), ('F2', 'CURSO', 'Dos')"));
        sql(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('F2', 'Puesto')"));

        AbrirCriterios(QStringLiteral("Formacion"), QStringLiteral("F2"));
        QPointer<TfRRHHCRIT> f = fRRHHCRIT;
        QVERIFY(f);
        QCOMPARE(f->EditTipo->Text(), QStringLiteral("Formacion"));
        QCOMPARE(f->EditCodigo->Text(), QStringLiteral("F2"));
        // Already open: brought forward with its type; the code is located in it.
        AbrirCriterios(QStringLiteral("Puesto"), QStringLiteral("F1"));
        QCOMPARE(fRRHHCRIT, f.data());
        QCOMPARE(f->EditTipo->Text(), QStringLiteral("Formacion"));
        QCOMPARE(f->EditCodigo->Text(), QStringLiteral("F1"));
        f->Close();
        QTRY_VERIFY(!f);
        // The type the last master asked for stays for the next opening.
        TipoCriterios = QStringLiteral("Formacion");
        f = abrir();
        QCOMPARE(f->EditTipo->Text(), QStringLiteral("Formacion"));
        f->Close();
        QTRY_VERIFY(!f);
        SetMainForm(nullptr);
    }

    void sinCabecera_data() { AddEngineRows(); }
    void sinCabecera() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        TipoCriterios.clear();
        QPointer<TfRRHHCRIT> f = abrir();
        QVERIFY(f);
        // No position: no line can belong to one.
        f->AgregarClick(f->Agregar);
        QCOMPARE(f->Table2->State(), dsBrowse);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM CRITEVAL")), QStringLiteral("0"));
        // Nor a document: its window refuses to add one.
        CodigoUsuarioActual = QLatin1String(kCodigoAdministradorInicial);
        InstalarDocumentacionElectronica();
        f->DocumentacionElectronica1Click(f);
        QPointer<TfGENEDOCE> documentos = fGENEDOCE;
        QVERIFY(documentos);
        MessageSeam::clearLog();
        QVERIFY(!documentos->AgregarDocumento(QStringLiteral("Normas"),
                                              QStringLiteral("www.empresa.prueba"), QString()));
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("¡ No hay ningún registro actual al que asociar el documento !"));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM DOCUTRON")), QStringLiteral("0"));
        documentos->Close();
        QTRY_VERIFY(!documentos);
        f->Close();
        QTRY_VERIFY(!f);
    }
};

QTEST_MAIN(TestRrhhCrit)
#include "tst_rrhhcrit.moc"
