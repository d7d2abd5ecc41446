// The calendar-incidence listing on a real installation: the four orders as
// printed (groups, totals, the block without a group), the times of day, a
// date range across a year end, the pages and the dialog's choice of report.

#include <QDate>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesali.h"
#include "report/quickrep.h"
#include "rrhh/rrhhlinc.h"
#include "rrhh/rrqrlin2.h"
#include "rrhh/rrqrlinc.h"
#include "support/cortepg.h"
#include "support/dbfixture.h"
#include "support/discolleno.h"
#include "support/empresaprueba.h"
#include "support/pdfprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

void sql(const QString& sentencia) {
    const QString r = SqlPrueba(sentencia);
    QVERIFY2(!r.startsWith(QStringLiteral("Error.")), qPrintable(sentencia + r));
}

// A time of nullptr is stored empty (NULL).
void Incidencia(int operario, const char* fecha, int linea, const char* grupo, const char* inicio,
                const char* final, double tiempo, const char* descripcion) {
    const auto hora = [](const char* h) {
        return h ? QStringLiteral("'1899-12-30 %1'").arg(QLatin1String(h)) : QStringLiteral("NULL");
    };
    sql(QStringLiteral("INSERT INTO INCCALOP (CodigoOperario, Fecha, Linea, GrupoAnalisis, "
                       "HoraInicio, HoraFinal, Tiempo, Descripcion) VALUES (%1, '%2', %3, '%4', "
                       "%5, %6, %7, '%8')")
            .arg(operario)
            .arg(QLatin1String(fecha))
            .arg(linea)
            .arg(QLatin1String(grupo), hora(inicio), hora(final))
            .arg(tiempo)
            .arg(QLatin1String(descripcion)));
}

// Two employees, incidences on both sides of a year end, one without group
// or hours, a night one stored with a negative time before the window added
// the hours across midnight, and one stored since.
void Incidencias() {
    sql("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (1, 'ANA')");
    sql("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (2, 'LUIS')");
    Incidencia(1, "2024-12-31", 1, "G2", "08:30:00", "10:15:00", 1.75, "REUNION");
    Incidencia(1, "2024-12-31", 2, "", nullptr, nullptr, 1, "SIN GRUPO");
    Incidencia(1, "2025-01-02", 1, "G1", "22:00:00", "02:00:00", -20, "NOCHE");
    Incidencia(2, "2025-01-02", 1, "G1", "08:00:00", "09:00:00", 1, "LUIS G1");
    Incidencia(2, "2025-01-02", 2, "G2", "23:00:00", "01:00:00", 2, "TURNO");
    Incidencia(2, "2024-11-30", 1, "G1", "08:00:00", "09:00:00", 1, "FUERA");
    Incidencia(2, "2025-02-01", 1, "G1", "08:00:00", "09:00:00", 1, "FUERA");
}

TSeleccionIncidencias Seleccion(const QString& orden) {
    TSeleccionIncidencias s;
    s.TipoClasificacion = orden;
    s.DesdeFecha = QDateTime(QDate(2024, 12, 1), QTime(0, 0));
    s.HastaFecha = QDateTime(QDate(2025, 1, 31), QTime(0, 0));
    s.NoActivos = true;  // no contracts here
    return s;
}

std::unique_ptr<TInformeIncidencias> Informe(const TSeleccionIncidencias& s) {
    const bool porGrupo = s.TipoClasificacion.startsWith(QStringLiteral("Por Gr"));
    (porGrupo ? RRQRLIN2::Seleccion : RRQRLINC::Seleccion) = s;
    if (porGrupo) return std::make_unique<TfRRQRLIN2>();
    return std::make_unique<TfRRQRLINC>();
}

std::unique_ptr<TInformeIncidencias> Informe(const QString& orden) {
    return Informe(Seleccion(orden));
}

}  // namespace

class TestRrqrlinc : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ordenes_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("orden");
        QTest::addColumn<QStringList>("descripciones");
        QTest::addColumn<int>("cabecerasGrupo");
        QTest::addColumn<int>("totalesGrupo");
        QTest::addColumn<int>("totalesOperario");
        // Every total as printed, in order, by hand: "G" a group's, "O" an
        // employee's, "L" the listing's.
        QTest::addColumn<QStringList>("totales");
        for (Engine e : AvailableEngines()) {
            const QByteArray m = EngineTag(e).toLatin1() + ' ';
            QTest::newRow(QByteArray(m + "operario/fecha").constData())
                << int(e) << "Por Operario/Fecha"
                << QStringList{"REUNION", "SIN GRUPO", "NOCHE", "LUIS G1", "TURNO"} << 0 << 0 << 2
                << QStringList{"O -17,25", "O 3,00", "L -14,25"};
            QTest::newRow(QByteArray(m + "operario/grupo").constData())
                << int(e) << "Por Operario/Gr.Analisis"
                << QStringList{"SIN GRUPO", "NOCHE", "REUNION", "LUIS G1", "TURNO"} << 5 << 5 << 2
                << QStringList{"G 1,00", "G -20,00", "G 1,75", "O -17,25",
                               "G 1,00", "G 2,00",   "O 3,00", "L -14,25"};
            QTest::newRow(QByteArray(m + "grupo/fecha").constData())
                << int(e) << "Por Gr.Analisis/Fecha"
                << QStringList{"SIN GRUPO", "NOCHE", "LUIS G1", "REUNION", "TURNO"} << 3 << 3 << 0
                << QStringList{"G 1,00", "G -19,00", "G 3,75", "L -14,25"};
            QTest::newRow(QByteArray(m + "grupo/operario").constData())
                << int(e) << "Por Gr.Analisis/Operario"
                << QStringList{"SIN GRUPO", "NOCHE", "LUIS G1", "REUNION", "TURNO"} << 3 << 3 << 5
                << QStringList{"O 1,00", "G 1,00", "O -20,00", "O 1,00",  "G -19,00",
                               "O 1,75", "O 2,00", "G 3,75",   "L -14,25"};
        }
    }
    void ordenes() {
        QFETCH(int, engine);
        QFETCH(QString, orden);
        QFETCH(QStringList, descripciones);
        QFETCH(int, cabecerasGrupo);
        QFETCH(int, totalesGrupo);
        QFETCH(int, totalesOperario);
        QFETCH(QStringList, totales);
        EmpresaPrueba empresa{Engine(engine)};
        Incidencias();
        if (QTest::currentTestFailed()) return;
        auto r = Informe(orden);
        r->QuickReport->Prepare();
        QStringList filas;
        for (r->Temporal->First(); !r->Temporal->Eof(); r->Temporal->Next())
            filas << r->Temporal->FieldByName("Descripcion")->AsString();
        QCOMPARE(filas, descripciones);
        QCOMPARE(r->QuickReport->ReportTitle(),
                 "Listado de Incidencias de Calendario " + orden + " (01/12/2024 - 31/01/2025)");

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("incidencias.pdf"));
        QVERIFY(r->QuickReport->ExportToPdf(pdf));
        const QString texto = TextoPdfMaquetado(pdf);
        QCOMPARE(texto.count(QStringLiteral("Total Gr.Análisis:")), totalesGrupo);
        QCOMPARE(texto.count(QStringLiteral("Total Operario:")), totalesOperario);
        QCOMPARE(texto.count(QStringLiteral("Gr.Análisis:")) - totalesGrupo, cabecerasGrupo);
        // The listing's lines in the printed order; times as typed, empty
        // hours as midnight; each time as stored, the old negative one too.
        int desde = 0;
        for (const QString& d : descripciones) {
            const int en = texto.indexOf(d, desde);
            QVERIFY2(en >= 0, qPrintable(d + " out of order"));
            desde = en + d.size();
        }
        for (const char* t : {"08:30:00", "10:15:00", "22:00:00", "02:00:00", "23:00:00",
                              "01:00:00", "-20,00", "1,75"})
            QVERIFY2(texto.contains(QLatin1String(t)), t);
        QVERIFY(texto.contains(
            QRegularExpression(QStringLiteral("00:00:00\\s+00:00:00\\s+1,00\\s+SIN GRUPO"))));
        // Each total sums its own rows only.
        QStringList impresos;
        const QRegularExpression total(
            QStringLiteral("Total (Gr.Análisis|Operario|Listado):\\s+(-?[0-9.,]+)"));
        for (auto it = total.globalMatch(texto); it.hasNext();) {
            const auto t = it.next();
            impresos << t.captured(1).left(1) + QLatin1Char(' ') + t.captured(2);
        }
        QCOMPARE(impresos, totales);
        QVERIFY(!texto.contains(QStringLiteral("FUERA")));
        // The whole title fits on the page.
        QVERIFY(texto.contains(orden + " (01/12/2024 - 31/01/2025)"));
    }

    // The employee total sums the employee's rows; with "Salto Pagina" each
    // employee and the listing total print on pages of their own.
    void paginas_data() { AddEngineRows(); }
    void paginas() {
        QFETCH(int, engine);
        EmpresaPrueba empresa{Engine(engine)};
        Incidencias();
        if (QTest::currentTestFailed()) return;
        RRQRLINC::Seleccion = Seleccion(QStringLiteral("Por Operario/Fecha"));
        {
            TfRRQRLINC r;
            r.QuickReport->Prepare();
            QCOMPARE(r.QuickReport->QRPrinter()->PageCount(), 1);
            QTemporaryDir dir;
            const QString pdf = dir.filePath(QStringLiteral("p.pdf"));
            QVERIFY(r.QuickReport->ExportToPdf(pdf));
            const QString texto = TextoPdfMaquetado(pdf);
            QVERIFY(
                texto.contains(QRegularExpression(QStringLiteral("Total Operario:\\s+-17,25"))));
            QVERIFY(texto.contains(QRegularExpression(QStringLiteral("Total Operario:\\s+3,00"))));
        }
        RRQRLINC::Seleccion.SaltoPagina = true;
        TfRRQRLINC r;
        r.QuickReport->Prepare();
        QCOMPARE(r.QuickReport->QRPrinter()->PageCount(), 3);
    }

    // The analysis-group ranges keep only the employees of their groups.
    void gruposAnalisis_data() { AddEngineRows(); }
    void gruposAnalisis() {
        QFETCH(int, engine);
        EmpresaPrueba empresa{Engine(engine)};
        Incidencias();
        PerfilesGruposPrueba(QStringLiteral("Personal=DEP"));
        sql("INSERT INTO GRANALIS (Codigo, CategoriaGrupo) VALUES ('DEP02', 'DEP')");
        sql("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES ('PERSONAL', "
            "'2', 'DEP02')");
        if (QTest::currentTestFailed()) return;
        for (const QString& orden :
             {QStringLiteral("Por Operario/Fecha"), QStringLiteral("Por Gr.Analisis/Operario")}) {
            TSeleccionIncidencias s = Seleccion(orden);
            s.RangosGruposAnalisis = QStringLiteral("DEP|DEP02|DEP02");
            auto r = Informe(s);
            r->QuickReport->Prepare();
            QStringList filas;
            for (r->Temporal->First(); !r->Temporal->Eof(); r->Temporal->Next())
                filas << r->Temporal->FieldByName("Descripcion")->AsString();
            QCOMPARE(filas, (QStringList{"LUIS G1", "TURNO"}));
        }
    }

    // 300 incidences, one stored with no group (NULL): all of them listed and
    // summed in every order, that one under an empty group code. A fill
    // that loses rows half-way (the server ends the connection while the
    // second batch is written, after the first was stored; the disk fills)
    // prints nothing, and the user is told once why.
    void grupoNulo_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("orden");
        QTest::addColumn<QString>("corte");
        for (Engine e : AvailableEngines())
            for (const char* o : {"Por Operario/Fecha", "Por Operario/Gr.Analisis",
                                  "Por Gr.Analisis/Fecha", "Por Gr.Analisis/Operario"})
                QTest::addRow("%s %s", qPrintable(EngineTag(e)), o)
                    << int(e) << QString::fromLatin1(o) << QString();
        QTest::addRow("sqlite disco lleno")
            << int(Engine::Sqlite) << "Por Operario/Fecha" << QStringLiteral("disco");
        if (AvailableEngines().contains(Engine::Postgres))
            QTest::addRow("postgres conexion cortada")
                << int(Engine::Postgres) << "Por Gr.Analisis/Operario"
                << QStringLiteral("conexion");
    }
    void grupoNulo() {
        QFETCH(int, engine);
        QFETCH(QString, orden);
        QFETCH(QString, corte);
        EmpresaPrueba empresa{Engine(engine)};
        for (int op = 1; op <= 3; ++op) {
            sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (%1, 'OP%1')")
                    .arg(op));
            for (int d = 0; d < 100; ++d)
                sql(QStringLiteral("INSERT INTO INCCALOP (CodigoOperario, Fecha, Linea, "
                                   "GrupoAnalisis, Tiempo, Descripcion) VALUES (%1, '%2', 1, %3, "
                                   "1, 'I%1-%4')")
                        .arg(op)
                        .arg(QDate(2025, 1, 1).addDays(d).toString(Qt::ISODate))
                        .arg(op == 2 && d == 50 ? QStringLiteral("NULL") : QStringLiteral("'G1'"))
                        .arg(d));
        }
        if (QTest::currentTestFailed()) return;
        TSeleccionIncidencias s = Seleccion(orden);
        s.DesdeFecha = QDateTime(QDate(2025, 1, 1), QTime(0, 0));
        s.HastaFecha = QDateTime(QDate(2025, 12, 31), QTime(0, 0));
        auto r = Informe(s);
        if (!corte.isEmpty()) {
            QTemporaryDir dir;
            const QString pdf = dir.filePath(QStringLiteral("corte.pdf"));
            MessageSeam::clearLog();
            bool escrito = false;
            if (corte == QLatin1String("conexion")) {
                TCorteConexion cortada(r->Temporal->Database(), r->NombreTablaTemporal(),
                                       QStringLiteral("NEW.Descripcion = 'I2-50'"));
                escrito = ImprimirInforme(ModuloDatos, r->QuickReport, "PDF:" + pdf);
                QVERIFY(cortada.Cortada());
            } else {
                TDiscoLleno lleno(16 * 1024);
                escrito = ImprimirInforme(ModuloDatos, r->QuickReport, "PDF:" + pdf);
            }
            QVERIFY(!escrito);
            QVERIFY(!QFile::exists(pdf));
            QCOMPARE(r->QuickReport->QRPrinter()->PageCount(), 0);
            QVERIFY2(UnSoloAvisoListadoNoRealizado(),
                     qPrintable(TextosMostrados().join(QLatin1Char('|'))));
            return;
        }
        r->QuickReport->Prepare();
        int filas = 0;
        QStringList sinGrupo;
        for (r->Temporal->First(); !r->Temporal->Eof(); r->Temporal->Next(), ++filas)
            if (r->Temporal->FieldByName("GrupoAnalisis")->AsString().isEmpty())
                sinGrupo << r->Temporal->FieldByName("Descripcion")->AsString();
        QCOMPARE(filas, 300);
        QCOMPARE(sinGrupo, QStringList{"I2-50"});
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("nulo.pdf"));
        QVERIFY(r->QuickReport->ExportToPdf(pdf));
        const QString texto = TextoPdfMaquetado(pdf);
        QVERIFY2(texto.contains(QRegularExpression(QStringLiteral("Total Listado:\\s+300,00"))),
                 qPrintable(texto.right(400)));
        QVERIFY(texto.contains(QStringLiteral("I2-50")));
    }

    // No employees at all: the message and no report.
    void vacio() {
        EmpresaPrueba empresa{Engine::Sqlite};
        RRQRLINC::Seleccion = Seleccion(QStringLiteral("Por Operario/Fecha"));
        TfRRQRLINC r;
        MessageSeam::clearLog();
        r.QuickReport->Prepare();
        QCOMPARE(r.QuickReport->QRPrinter()->PageCount(), 0);
        QCOMPARE(TextosMostrados(), QStringList{"No existen datos para listar"});
    }

    void dialogo_data() {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("orden");
        QTest::addColumn<bool>("porGrupo");
        QTest::newRow("1") << "PorOperarioFecha"
                           << "Por Operario/Fecha" << false;
        QTest::newRow("2") << "PorGrAnalisisFecha"
                           << "Por Gr.Analisis/Fecha" << true;
        QTest::newRow("3") << "PorOperarioGrAnalisis"
                           << "Por Operario/Gr.Analisis" << false;
        QTest::newRow("4") << "PorGrAnalisisOperario"
                           << "Por Gr.Analisis/Operario" << true;
    }
    void dialogo() {
        QFETCH(QString, radio);
        QFETCH(QString, orden);
        QFETCH(bool, porGrupo);
        EmpresaPrueba empresa{Engine::Sqlite};
        QPointer<TfRRHHLINC> f = qobject_cast<TfRRHHLINC*>(CreateForm("TfRRHHLINC"));
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Listado de Incidencias de Calendario"));
        QVERIFY(f->PorOperarioFecha->isChecked());
        f->DesdeOperario->setText(QStringLiteral("x"));
        MessageSeam::clearLog();
        f->pbListarClick();
        QCOMPARE(TextosMostrados(),
                 QStringList{"¡El valor de Desde Operario es incorrecto! Repita por favor"});
        f->DesdeOperario->setText(QStringLiteral("0"));
        f->DesdeFecha->setText(QStringLiteral("1/12/24"));
        f->findChild<TRadioButton*>(radio)->setChecked(true);
        std::unique_ptr<TInformeListado> informe(f->CrearInforme());
        auto* r = qobject_cast<TInformeIncidencias*>(informe.get());
        QVERIFY(r);
        QCOMPARE(qobject_cast<TfRRQRLIN2*>(r) != nullptr, porGrupo);
        QCOMPARE(r->Seleccion.TipoClasificacion, orden);
        QCOMPARE(r->Seleccion.DesdeFecha.date(), QDate(2024, 12, 1));
        informe.reset();
        f->Free();
    }
};

QTEST_MAIN(TestRrqrlinc)
#include "tst_rrqrlinc.moc"
