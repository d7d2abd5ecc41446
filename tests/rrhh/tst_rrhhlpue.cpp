// The employees-by-position listing on a real installation, on both
// engines: the positions kept and marked current, the two orders, the date
// bounds, the PDF and the dialog's checks.

#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "db/dialect.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/sesion.h"
#include "report/quickrep.h"
#include "rrhh/rrhhlpue.h"
#include "rrhh/rrqrlpue.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

void sql(const QString& sentencia) {
    QString r;
    EjecutarSQL(nullptr, sentencia, QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    QVERIFY2(!r.startsWith(QStringLiteral("Error.")), qPrintable(sentencia + r));
}

// Employee 1 held A, then B, then A again; employee 2's latest row (C) starts
// after the range, his older B inside it and ending on no date; employee 3
// has no history; candidate 1 held Z. SinCodigo adds lines with no position
// code: employee 3's older one an empty text and his latest NULL, and a
// fourth employee's only one NULL.
void Datos(bool SinCodigo = false) {
    for (const char* p : {"1, 'ANA'", "2, 'BEA'", "3, 'CARLOS'"})
        sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (") +
            QLatin1String(p) + QLatin1Char(')'));
    if (SinCodigo) sql("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (4, 'DAVID')");
    const auto f = [](int m, int d) { return DialectoActual().dateLiteral(QDate(2024, m, d)); };
    struct H {
        const char* tabla;
        int op, linea;
        const char* puesto;
        QString inicio, final_;
    };
    const H filas[] = {
        {"PERSONAL", 1, 1, "A", f(1, 10), f(2, 1)}, {"PERSONAL", 1, 2, "B", f(2, 2), f(3, 1)},
        {"PERSONAL", 1, 3, "A", f(3, 2), f(4, 1)},  {"PERSONAL", 2, 1, "B", f(6, 30), "NULL"},
        {"PERSONAL", 2, 2, "C", f(7, 1), f(8, 1)},  {"CANDIDAT", 1, 1, "Z", f(3, 3), f(4, 4)},
    };
    const H sinCodigo[] = {
        {"PERSONAL", 3, 1, "", f(1, 5), f(1, 20)},
        {"PERSONAL", 3, 2, nullptr, f(2, 1), f(3, 1)},
        {"PERSONAL", 4, 1, nullptr, f(2, 1), "NULL"},
    };
    QList<H> todas(std::begin(filas), std::end(filas));
    if (SinCodigo) todas.append(QList<H>(std::begin(sinCodigo), std::end(sinCodigo)));
    for (const H& h : todas) {
        const QString puesto = QString::fromUtf8(h.puesto);
        sql(QStringLiteral("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, "
                           "CodigoPuesto, Descripcion, FechaInicio, FechaFinal) VALUES "
                           "('%1', %2, %3, %4, 'D-%5', %6, %7)")
                .arg(QLatin1String(h.tabla))
                .arg(h.op)
                .arg(h.linea)
                .arg(h.puesto ? QLatin1Char('\'') + puesto + QLatin1Char('\'')
                              : QStringLiteral("NULL"),
                     puesto, h.inicio, h.final_));
    }
}

QStringList Filas(TTable* t) {
    QStringList filas;
    for (t->First(); !t->Eof(); t->Next()) {
        const QDateTime f = t->FieldByName(QStringLiteral("FechaFinal"))->AsDateTime();
        filas << t->FieldByName(QStringLiteral("CodigoOperario"))->AsString() + QLatin1Char('/') +
                     t->FieldByName(QStringLiteral("CodigoPuesto"))->AsString() +
                     t->FieldByName(QStringLiteral("PuestoActual"))->AsString() + QLatin1Char('/') +
                     (IsZeroDate(f) ? QString() : f.toString("MM-dd"));
    }
    return filas;
}

}  // namespace

class TestRrhhLpue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void listado_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("orden");
        QTest::addColumn<QString>("hasta");
        QTest::addColumn<QString>("hastaPuesto");
        QTest::addColumn<bool>("sinCodigo");
        QTest::addColumn<QStringList>("filas");
        for (Engine e : AvailableEngines()) {
            const char* n = e == Engine::Sqlite ? "sqlite" : "postgres";
            // A, B, A: one A with the mark and one B; employee 2's latest row
            // is after the range, so his B carries no mark and no end date.
            QTest::addRow("%s operario", n)
                << int(e) << "PorOperario"
                << "30/06/2024"
                << "zzzzzzzzzzzzz" << false << QStringList{"1/A*/04-01", "1/B/03-01", "2/B/"};
            QTest::addRow("%s puesto", n)
                << int(e) << "PorPuesto"
                << "30/06/2024"
                << "zzzzzzzzzzzzz" << false << QStringList{"1/A*/04-01", "1/B/03-01", "2/B/"};
            // The bound that excludes the latest row: the older A is kept, no mark.
            QTest::addRow("%s hasta puesto", n) << int(e) << "PorPuesto"
                                                << "29/06/2024"
                                                << "A" << false << QStringList{"1/A/02-01"};
            QTest::addRow("%s hasta fecha", n)
                << int(e) << "PorOperario"
                << "01/07/2024"
                << "zzzzzzzzzzzzz" << false
                << QStringList{"1/A*/04-01", "1/B/03-01", "2/B/", "2/C*/08-01"};
            // Lines with no position code, NULL or empty, are listed under an
            // empty code on both engines alike; the two of one employee are one
            // position, held twice: his latest is kept, with the mark.
            QTest::addRow("%s operario sin codigo", n)
                << int(e) << "PorOperario"
                << "30/06/2024"
                << "zzzzzzzzzzzzz" << true
                << QStringList{"1/A*/04-01", "1/B/03-01", "2/B/", "3/*/03-01", "4/*/"};
            QTest::addRow("%s puesto sin codigo", n)
                << int(e) << "PorPuesto"
                << "30/06/2024"
                << "zzzzzzzzzzzzz" << true
                << QStringList{"1/A*/04-01", "1/B/03-01", "2/B/", "3/*/03-01", "4/*/"};
        }
    }
    void listado() {
        QFETCH(int, engine);
        QFETCH(QString, orden);
        QFETCH(QString, hasta);
        QFETCH(QString, hastaPuesto);
        QFETCH(bool, sinCodigo);
        QFETCH(QStringList, filas);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        Datos(sinCodigo);
        if (QTest::currentTestFailed()) return;
        TModuloDatos modulo;
        TfRRQRLPUE r(orden);
        r.Activos = false;  // no contracts here: every employee is inactive
        r.DesdeFecha = QDateTime(QDate(2024, 1, 1), QTime(0, 0));
        r.HastaFecha = QDateTime(StrToDate(hasta), QTime(0, 0));
        r.HastaPuesto = hastaPuesto;
        if (hastaPuesto == QLatin1String("A")) {
            // Position A only, and the latest A is after the dates.
            r.HastaFecha = QDateTime(QDate(2024, 3, 1), QTime(0, 0));
        }
        r.QuickReport->Prepare();
        QStringList esperadas = filas;
        if (orden == QLatin1String("PorPuesto")) {
            // By position: the holders of one position together.
            std::stable_sort(esperadas.begin(), esperadas.end(),
                             [](const QString& a, const QString& b) {
                                 return a.section('/', 1, 1).left(1) < b.section('/', 1, 1).left(1);
                             });
        }
        const QStringList listadas = Filas(r.Temporal);
        QCOMPARE(listadas, esperadas);
        // Every employee with a stored line that has no code is listed under
        // the empty code once.
        const QStringList sinCodigoListadas = listadas.filter(QRegularExpression("^\\d+/\\*?/"));
        QCOMPARE(QString::number(sinCodigoListadas.size()),
                 SqlPrueba("SELECT COUNT(DISTINCT CodigoOperario) FROM HPUESTO WHERE NombreTabla "
                           "= 'PERSONAL' AND (CodigoPuesto IS NULL OR CodigoPuesto = '')"));
        QVERIFY(r.QuickReport->ReportTitle().startsWith(
            QStringLiteral("Listado de Operarios por Puesto. Desde: 01/01/2024 Hasta: ")));
        if (hasta != QLatin1String("30/06/2024") || orden != QLatin1String("PorOperario") ||
            sinCodigo)
            return;
        QTemporaryDir dir;
        const QString pdf = dir.filePath("pue.pdf");
        QVERIFY(r.QuickReport->ExportToPdf(pdf));
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished();
        QStringList lineas;
        for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
            if (l.contains("D-")) lineas << l.simplified();
        QCOMPARE(lineas,
                 (QStringList{"1 ANA A D-A 02/03/2024 01/04/2024 *",
                              "1 ANA B D-B 02/02/2024 01/03/2024", "2 BEA B D-B 30/06/2024"}));
    }

    void vacio_data() { AddEngineRows(); }
    // Both kinds of employee unticked, or Desde after Hasta: nothing, silently;
    // an empty employee file: the message.
    void vacio() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        {
            TfRRQRLPUE r;
            MessageSeam::clearLog();
            r.QuickReport->Prepare();
            QCOMPARE(r.QuickReport->QRPrinter()->PageCount(), 0);
            QCOMPARE(MessageSeam::log().last().text,
                     QStringLiteral("No existen datos para listar"));
        }
        Datos();
        TfRRQRLPUE r;
        r.DesdeFecha = QDateTime(QDate(2024, 1, 1), QTime(0, 0));
        r.HastaFecha = QDateTime(QDate(2024, 12, 31), QTime(0, 0));
        r.Activos = r.NoActivos = false;
        MessageSeam::clearLog();
        r.QuickReport->Prepare();
        QVERIFY(r.Temporal->IsEmpty());
        r.NoActivos = true;
        r.DesdeOperario = 3;
        r.HastaOperario = 1;
        r.QuickReport->Prepare();
        QVERIFY(r.Temporal->IsEmpty());
        QVERIFY(MessageSeam::log().isEmpty());
    }

    void dialogo() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QPointer<TfRRHHLPUE> f = qobject_cast<TfRRHHLPUE*>(CreateForm("TfRRHHLPUE"));
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Listado de Operarios por Puesto"));
        const QString ano = QString::number(QDate::currentDate().year() % 100);
        QCOMPARE(f->DesdeFecha->Text(), "1/1/" + ano);
        f->DesdeFecha->setText("40/1/24");
        MessageSeam::clearLog();
        f->pbListarClick();
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("¡La fecha de Desde Fecha es incorrecta! Repita por favor"));
        QVERIFY(!f->ListadoEnCurso);
        f->DesdeFecha->setText("1/1/24");
        f->PorPuesto->setChecked(true);
        const QString resumen = ResumenSeleccion(f);
        QVERIFY2(resumen.startsWith("Desde Operario: 0, Hasta Operario: 9999, Desde Puesto: , "
                                    "Hasta Puesto: zzzzzzzzzzzzz, Desde Fecha: 1/1/24, "),
                 qPrintable(resumen));
        QVERIFY(resumen.contains(QStringLiteral("Por Puesto, ")));
        f->Free();
    }
};

QTEST_MAIN(TestRrhhLpue)
#include "tst_rrhhlpue.moc"
