// The training-plan listing on a real installation: the selection rules of
// the plan lines, the printing order, the pages of the report and its PDF,
// the temporary table that goes with the report form, and the dialog's
// checks, keys and preset year.

#include <QDate>
#include <QTemporaryDir>
#include <QtTest>

#include "db/table.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/sesion.h"
#include "io/pdf.h"
#include "report/quickrep.h"
#include "rrhh/rrhhlpla.h"
#include "rrhh/rrqrlpla.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/pdfprueba.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

void sql(const QString& sentencia) {
    QString r;
    EjecutarSQL(nullptr, sentencia, QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    QVERIFY2(!r.startsWith(QStringLiteral("Error.")), qPrintable(sentencia + r));
}

// Employees 1 and 2 share a name; employee 3 has no plan. The plan of 2024
// holds lines of every kind, and one of an employee that is gone.
void Plan(TModuloDatos* modulo) {
    TTable personal, plan;
    personal.setTableName(QStringLiteral("PERSONAL"));
    plan.setTableName(QStringLiteral("PLANFORM"));
    QVERIFY(AbrirTabla(fGENEINIC, &personal));
    QVERIFY(AbrirTabla(fGENEINIC, &plan));
    Q_UNUSED(modulo);
    sql("INSERT INTO PERSONAL (CodigoOperario, Nombre, NumeroMatricula) VALUES (1, 'GARCIA', 11)");
    sql("INSERT INTO PERSONAL (CodigoOperario, Nombre, NumeroMatricula) VALUES (2, 'GARCIA', 22)");
    sql("INSERT INTO PERSONAL (CodigoOperario, Nombre, NumeroMatricula) VALUES (3, 'PEREZ', 33)");
    struct L {
        int op, linea;
        const char *accion, *tipo, *realizado;
        int revision;
        const char* formacion;
    };
    const L lineas[] = {
        {1, 2, "SOLDADURA", "Interno", "SI", 1, "F1"},
        {1, 10, "SOLDADURA", "Interno", "SI", 1, "F1"},
        {2, 2, "SOLDADURA", "Interno", "NO", 1, "F1"},
        {2, 3, "INGLES", "Externo", "SI", 1, "F2"},
        {1, 4, "REV0", "Interno", "SI", 0, "F1"},
        {1, 5, "REV2", "Interno", "SI", 2, "F1"},
        {1, 6, "REVMENOS1", "Interno", "SI", -1, "F1"},
        {99, 1, "BORRADO", "Interno", "SI", 1, "F1"},
    };
    for (const L& l : lineas)
        sql(QStringLiteral(
                "INSERT INTO PLANFORM (Ejercicio, CodigoOperario, Linea, AccionFormativa, "
                "Tipo, Realizado, Revision, CodigoFormacion, ValoracionAlumno, "
                "ValoracionJefeSeccion, Duracion) VALUES (2024, %1, %2, '%3', '%4', "
                "'%5', %6, '%7', 4, 5, 10)")
                .arg(l.op)
                .arg(l.linea)
                .arg(QLatin1String(l.accion), QLatin1String(l.tipo), QLatin1String(l.realizado))
                .arg(l.revision)
                .arg(QLatin1String(l.formacion)));
}

QStringList Filas(TTable* t) {
    QStringList filas;
    for (t->First(); !t->Eof(); t->Next())
        filas << t->FieldByName(QStringLiteral("CodigoOperario"))->AsString() + QLatin1Char('/') +
                     t->FieldByName(QStringLiteral("AccionFormativa"))->AsString() +
                     QLatin1Char('/') +
                     t->FieldByName(QStringLiteral("ValoracionAlumno"))->AsString();
    return filas;
}

// No contract data module here: every employee counts as inactive.
void SinContratos(TfRRQRLPLA* r) {
    r->Ejercicio = 2024;
    r->Activos = false;
    r->NoActivos = true;
}

}  // namespace

class TestRrhhLpla : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void reglas() {
        QVERIFY(TfRRQRLPLA::RevisionSeleccionada(1, 1, 1));
        QVERIFY(TfRRQRLPLA::RevisionSeleccionada(-1, 1, 1));
        QVERIFY(!TfRRQRLPLA::RevisionSeleccionada(0, 1, 1));
        QVERIFY(!TfRRQRLPLA::RevisionSeleccionada(2, 1, 1));
        // Line 10 sorts before line 2 (text key); the employee code keeps two
        // equal keys apart without moving them past a longer key.
        const QString l10 = TfRRQRLPLA::Clasificacion(false, "A", "N", 10, 1);
        const QString l2 = TfRRQRLPLA::Clasificacion(false, "A", "N", 2, 1);
        QVERIFY(l10 < l2);
        QVERIFY(TfRRQRLPLA::Clasificacion(false, "A", "N", 1, 9) < l10);
        QVERIFY(TfRRQRLPLA::Clasificacion(false, "A", "N", 2, 1) !=
                TfRRQRLPLA::Clasificacion(false, "A", "N", 2, 2));
    }

    void listado_data() { AddEngineRows(); }
    void listado() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        Plan(&modulo);
        if (QTest::currentTestFailed()) return;

        QString tabla;
        {
            TfRRQRLPLA r;
            tabla = r.NombreTablaTemporal();
            QVERIFY(r.Temporal->Exists());
            SinContratos(&r);
            r.QuickReport->Prepare();
            // By employee: the two GARCIA interleaved by action and line, line
            // 10 before line 2; revisions 0 and 2 and the gone employee left
            // out; "NO" prints without valuations.
            QCOMPARE(Filas(r.Temporal), (QStringList{"2/INGLES/4", "1/REVMENOS1/4", "1/SOLDADURA/4",
                                                     "1/SOLDADURA/4", "2/SOLDADURA/"}));
            r.Temporal->First();
            QCOMPARE(r.Temporal->FieldByName("Revision")->AsInteger(), 1);
            QCOMPARE(r.QuickReport->QRPrinter()->PageCount(), 1);
            QCOMPARE(r.QuickReport->ReportTitle(), QStringLiteral("PLAN DE FORMACION AÑO 2024"));

            // Kind, state and training filters; a second run starts afresh.
            r.Externo = false;
            r.NoRealizados = false;
            r.HastaFormacion = "F1";
            r.PorAccionFormativa = true;
            r.PorOperario = false;
            r.QuickReport->Prepare();
            QCOMPARE(Filas(r.Temporal),
                     (QStringList{"1/REVMENOS1/4", "1/SOLDADURA/4", "1/SOLDADURA/4"}));

            QTemporaryDir dir;
            const QString pdf = dir.filePath("plan.pdf");
            QVERIFY(r.QuickReport->ExportToPdf(pdf));
            QCOMPARE(PdfPageCount(pdf), 1);
        }
        // The temporary table goes with its report form.
        TTable t;
        t.setDatabaseName(fGENEINIC->Database->DatabaseName());
        t.setTableName(tabla);
        QVERIFY(!tabla.isEmpty());
        QVERIFY(!t.Exists());
    }

    // Each line finds its own employee whatever the gaps between the codes:
    // one gone between two others, one far on, one past the last.
    void operariosSalteados() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        TTable personal, plan;
        personal.setTableName(QStringLiteral("PERSONAL"));
        plan.setTableName(QStringLiteral("PLANFORM"));
        QVERIFY(AbrirTabla(fGENEINIC, &personal));
        QVERIFY(AbrirTabla(fGENEINIC, &plan));
        for (int e : {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 40})
            sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, NumeroMatricula) "
                               "VALUES (%1, 'N%2', %1)")
                    .arg(e)
                    .arg(e, 2, 10, QChar('0')));
        for (int e : {1, 7, 8, 40, 41})
            sql(QStringLiteral("INSERT INTO PLANFORM (Ejercicio, CodigoOperario, Linea, "
                               "AccionFormativa, Tipo, Realizado, Revision, CodigoFormacion) "
                               "VALUES (2024, %1, 1, 'A%1', 'Interno', 'NO', 1, 'F1')")
                    .arg(e));
        TfRRQRLPLA r;
        SinContratos(&r);
        r.QuickReport->Prepare();
        QCOMPARE(Filas(r.Temporal), (QStringList{"1/A1/", "8/A8/", "40/A40/"}));
        r.Temporal->Last();
        QCOMPARE(r.Temporal->FieldByName("Nombre")->AsString(), QStringLiteral("N40"));
        QCOMPARE(r.Temporal->FieldByName("NumeroMatricula")->AsInteger(), 40);
    }

    // The printed page: valuations of two characters print whole, and no
    // caption runs into its neighbour or into the restrictions block.
    void pagina() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        sql("INSERT INTO PERSONAL (CodigoOperario, Nombre, NumeroMatricula) VALUES (1, 'GARCIA', "
            "11)");
        sql("INSERT INTO PLANFORM (Ejercicio, CodigoOperario, Linea, AccionFormativa, Tipo, "
            "Realizado, Revision, CodigoFormacion, ValoracionAlumno, ValoracionJefeSeccion, "
            "Duracion, NecesidadFijadaPor) VALUES (2024, 1, 1, 'SOLDADURA', 'Interno', 'SI', 1, "
            "'F1', 10, -5, 12, 'JEFE')");
        if (QTest::currentTestFailed()) return;
        // From its dialog: the restrictions block prints the selection.
        QPointer<TfRRHHLPLA> dialogo = qobject_cast<TfRRHHLPLA*>(CreateForm("TfRRHHLPLA"));
        QVERIFY(dialogo);
        TfRRQRLPLA r(dialogo);
        SinContratos(&r);
        r.QuickReport->Prepare();
        dialogo->Free();
        QCOMPARE(r.Temporal->FieldByName("ValoracionAlumno")->AsString(), QStringLiteral("10"));
        QTemporaryDir dir;
        const QString pdf = dir.filePath("plan.pdf");
        QVERIFY(r.QuickReport->ExportToPdf(pdf));
        const QList<Palabra> palabras = PalabrasPdf(pdf);

        const QRectF a = CajaTexto(palabras, "10"), j = CajaTexto(palabras, "-5");
        QVERIFY2(!a.isNull() && !j.isNull(), "the valuations print whole");
        QVERIFY(a.left() < j.left());

        // Left to right as laid out, each ending before the next begins.
        const QStringList titulos{"Nombre",      "N.Mat.",
                                  "Imputación",  "Acción Formativa",
                                  "Título",      "Necesidad fijada por",
                                  "Int/Ext.",    "Impartido",
                                  "Duración(H)", "Fecha Inicio",
                                  "Fecha Final", "Realizado",
                                  "V.A.",        "V.J.S.",
                                  "R."};
        QRectF anterior;
        for (const QString& t : titulos) {
            const QRectF caja = CajaTexto(palabras, t);
            QVERIFY2(!caja.isNull(), qPrintable(t));
            if (!anterior.isNull())
                QVERIFY2(anterior.right() < caja.left(),
                         qPrintable(t + " runs into the previous one"));
            anterior = caja;
        }
        QVERIFY2(anterior.right() < 842 - 14, "the last caption is on the page");

        const QRectF titulo = CajaTexto(palabras, QStringLiteral("PLAN DE FORMACION AÑO 2024"));
        const QRectF restricciones = CajaTexto(palabras, "RESTRICCIONES Y OPCIONES DEL LISTADO:");
        QVERIFY(!titulo.isNull() && !restricciones.isNull());
        QVERIFY2(titulo.bottom() <= restricciones.top(), "the title is above the restrictions");
        QVERIFY(restricciones.bottom() <= CajaTexto(palabras, "Nombre").top());
    }

    void vacio_data() { AddEngineRows(); }
    // An empty plan table: the message and no page; a selection that leaves
    // nothing: no message and no page either.
    void vacio() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        TfRRQRLPLA r;
        SinContratos(&r);
        MessageSeam::clearLog();
        r.QuickReport->Prepare();
        QCOMPARE(r.QuickReport->QRPrinter()->PageCount(), 0);
        QVERIFY(!MessageSeam::log().isEmpty());
        QCOMPARE(MessageSeam::log().last().text, QStringLiteral("No existen datos para listar"));
    }

    void dialogo_data() { AddEngineRows(); }
    void dialogo() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        Plan(&modulo);
        if (QTest::currentTestFailed()) return;

        EjercicioPlanListado = 2024;
        QPointer<TfRRHHLPLA> f = qobject_cast<TfRRHHLPLA*>(CreateForm("TfRRHHLPLA"));
        QVERIFY(f);
        QCOMPARE(f->EditEjercicio->value(), 2024);
        QCOMPARE(EjercicioPlanListado, 0);
        QCOMPARE(f->Caption(), QStringLiteral("Listado de Plan de Formación"));

        // Letters in a number: the warning, no report.
        f->DesdeOperario->setText("abc");
        MessageSeam::clearLog();
        f->pbListarClick();
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("¡El valor de Desde Operario es incorrecto! Repita por favor"));
        QVERIFY(!f->ListadoEnCurso);

        // Enter moves on and starts nothing.
        QChar enter(VK_RETURN);
        f->FormKeyPress(enter);
        QVERIFY(enter.isNull());

        // A close while a listing runs is refused.
        TCloseAction accion = caFree;
        f->ListadoEnCurso = true;
        f->FormClose(accion);
        QCOMPARE(accion, caNone);
        f->ListadoEnCurso = false;

        // The summary the restrictions block prints.
        f->DesdeOperario->setText("0");
        const QString resumen = ResumenSeleccion(f);
        QVERIFY2(resumen.startsWith("Desde Operario: 0, Hasta Operario: 9999, "),
                 qPrintable(resumen));
        QVERIFY(!resumen.contains(QStringLiteral("Visualización Previa")));
        QVERIFY(resumen.contains(QStringLiteral("Por Operario, ")));
        f->Free();

        // A later dialog shows the current year.
        QPointer<TfRRHHLPLA> g = qobject_cast<TfRRHHLPLA*>(CreateForm("TfRRHHLPLA"));
        QCOMPARE(g->EditEjercicio->value(), QDate::currentDate().year());
        g->Free();
    }
};

QTEST_MAIN(TestRrhhLpla)
#include "tst_rrhhlpla.moc"
