// The employees-by-training-level listing on a real installation, on both
// engines: the three printing orders, the rows a selection keeps, the PDF
// and the dialog's checks and restrictions summary.

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
#include "gene/data/generest.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/sesion.h"
#include "report/quickrep.h"
#include "rrhh/rrhhlfor.h"
#include "rrhh/rrqrlfor.h"
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
QString fecha(int a, int m, int d) {
    return DialectoActual().dateLiteral(QDate(a, m, d));
}

// Employees 1 (ANA), 2 (BEA, in group DEP02, which the ranges reject) and 3
// (CARLOS); a candidate 1 with training of her own. SinCodigo adds lines
// with no training code: two stored as NULL, one as an empty text.
void Datos(bool SinCodigo = false) {
    sql("DELETE FROM PARAGENE");
    sql("INSERT INTO PARAGENE (IdRegistro, PerfilesCategoriasGA) VALUES (1, 'Personal=DEP')");
    sql("INSERT INTO GRANALIS (Codigo, CategoriaGrupo) VALUES ('DEP01', 'DEP')");
    sql("INSERT INTO GRANALIS (Codigo, CategoriaGrupo) VALUES ('DEP02', 'DEP')");
    sql("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES ('PERSONAL', '1', "
        "'DEP01')");
    sql("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES ('PERSONAL', '2', "
        "'DEP02')");
    sql("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES ('PERSONAL', '3', "
        "'DEP01')");
    for (const char* p : {"1, 'ANA'", "2, 'BEA'", "3, 'CARLOS'"})
        sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (") +
            QLatin1String(p) + QLatin1Char(')'));
    struct H {
        const char* tabla;
        int op, linea;
        const char* formacion;
        QString inicio, final_;
    };
    const QString nulo = QStringLiteral("NULL");
    const H filas[] = {
        // ANA: SOLDADURA twice with the same end, INGLES with no end date, and a
        // course begun before the range that ended inside it.
        {"PERSONAL", 1, 1, "SOLD", fecha(2024, 2, 1), fecha(2024, 3, 1)},
        {"PERSONAL", 1, 2, "SOLD", fecha(2024, 2, 10), fecha(2024, 3, 1)},
        {"PERSONAL", 1, 3, "INGL", fecha(2024, 5, 1), nulo},
        {"PERSONAL", 1, 4, "PREV", fecha(2023, 12, 1), fecha(2024, 1, 15)},
        {"PERSONAL", 2, 1, "SOLD", fecha(2024, 4, 1), fecha(2024, 4, 2)},
        {"PERSONAL", 3, 1, "AUTO", fecha(2024, 6, 1), fecha(2024, 1, 20)},
        {"PERSONAL", 3, 2, "ZZZZ", fecha(2024, 6, 1), fecha(2024, 6, 20)},
        {"CANDIDAT", 1, 1, "CAND", fecha(2024, 6, 1), fecha(2024, 6, 2)},
    };
    const H sinCodigo[] = {
        {"PERSONAL", 1, 5, nullptr, fecha(2024, 7, 1), nulo},
        {"PERSONAL", 3, 3, nullptr, fecha(2024, 3, 1), fecha(2024, 3, 5)},
        {"PERSONAL", 3, 4, "", fecha(2024, 4, 1), fecha(2024, 4, 5)},
    };
    QList<H> todas(std::begin(filas), std::end(filas));
    if (SinCodigo) todas.append(QList<H>(std::begin(sinCodigo), std::end(sinCodigo)));
    for (const H& h : todas) {
        const QString formacion = QString::fromUtf8(h.formacion);
        sql(QStringLiteral("INSERT INTO HFORMACI (NombreTabla, CodigoOperario, Linea, "
                           "CodigoFormacion, Descripcion, FechaInicio, FechaFinal) VALUES "
                           "('%1', %2, %3, %4, 'D-%5', %6, %7)")
                .arg(QLatin1String(h.tabla))
                .arg(h.op)
                .arg(h.linea)
                .arg(h.formacion ? QLatin1Char('\'') + formacion + QLatin1Char('\'') : nulo,
                     formacion, h.inicio, h.final_));
    }
}

QStringList Filas(TTable* t) {
    QStringList filas;
    for (t->First(); !t->Eof(); t->Next()) {
        const QDateTime f = t->FieldByName(QStringLiteral("FechaFinal"))->AsDateTime();
        filas << t->FieldByName(QStringLiteral("CodigoOperario"))->AsString() + QLatin1Char('/') +
                     t->FieldByName(QStringLiteral("CodigoFormacion"))->AsString() +
                     QLatin1Char('/') + (IsZeroDate(f) ? QString() : f.toString("MM-dd"));
    }
    return filas;
}

QString TextoPdf(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

class TestRrhhLfor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void definicion() {
        // The order decides the key and so the first three columns.
        QVERIFY(TfRRQRLFOR::DefinicionTemporal("PorOperario")
                    .contains("/C/1/CodigoOperario/ftInteger/0/*\r\n/C/2/CodigoFormacion/"
                              "ftString/10/*\r\n/C/3/FechaFinal/ftDateTime/0/*"));
        QVERIFY(TfRRQRLFOR::DefinicionTemporal("PorFormacion")
                    .endsWith("/I/1/<Primary>/CodigoFormacion;CodigoOperario;FechaFinal/"));
        QVERIFY(TfRRQRLFOR::DefinicionTemporal("otra").endsWith(
            "/I/1/<Primary>/FechaFinal;CodigoOperario;CodigoFormacion/"));
    }

    void listado_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("orden");
        QTest::addColumn<bool>("sinCodigo");
        QTest::addColumn<QStringList>("filas");
        for (Engine e : AvailableEngines()) {
            const char* n = e == Engine::Sqlite ? "sqlite" : "postgres";
            // The same training with the same end once; no end date first by
            // end date; the start before Desde, the candidate and the employee
            // the group ranges reject give nothing.
            QTest::addRow("%s operario", n)
                << int(e) << "PorOperario" << false
                << QStringList{"1/INGL/", "1/SOLD/03-01", "3/AUTO/01-20"};
            QTest::addRow("%s formacion", n)
                << int(e) << "PorFormacion" << false
                << QStringList{"3/AUTO/01-20", "1/INGL/", "1/SOLD/03-01"};
            QTest::addRow("%s fecha final", n)
                << int(e) << "PorFechaFinal" << false
                << QStringList{"1/INGL/", "3/AUTO/01-20", "1/SOLD/03-01"};
            // Lines with no training code, NULL or empty, are listed under an
            // empty code, first in the training order, on both engines alike.
            QTest::addRow("%s operario sin codigo", n)
                << int(e) << "PorOperario" << true
                << QStringList{"1//",      "1/INGL/",  "1/SOLD/03-01",
                               "3//03-05", "3//04-05", "3/AUTO/01-20"};
            QTest::addRow("%s formacion sin codigo", n)
                << int(e) << "PorFormacion" << true
                << QStringList{"1//",          "3//03-05", "3//04-05",
                               "3/AUTO/01-20", "1/INGL/",  "1/SOLD/03-01"};
            QTest::addRow("%s fecha final sin codigo", n)
                << int(e) << "PorFechaFinal" << true
                << QStringList{"1//",          "1/INGL/",  "3/AUTO/01-20",
                               "1/SOLD/03-01", "3//03-05", "3//04-05"};
        }
    }
    void listado() {
        QFETCH(int, engine);
        QFETCH(QString, orden);
        QFETCH(bool, sinCodigo);
        QFETCH(QStringList, filas);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        Datos(sinCodigo);
        if (QTest::currentTestFailed()) return;
        TModuloDatos modulo;
        TfRRQRLFOR r(orden);
        r.Activos = false;  // no contracts here: every employee is inactive
        r.DesdeFecha = QDateTime(QDate(2024, 1, 1), QTime(0, 0));
        r.HastaFecha = QDateTime(QDate(2024, 12, 31), QTime(0, 0));
        r.HastaFormacion = "YYYY";
        r.RangosGruposAnalisis = "DEP|DEP01|DEP01";
        r.QuickReport->Prepare();
        const QStringList listadas = Filas(r.Temporal);
        QCOMPARE(listadas, filas);
        // Every stored line of the employees kept that has no code is listed.
        const QStringList sinCodigoListadas = listadas.filter(QRegularExpression("^\\d+//"));
        QCOMPARE(QString::number(sinCodigoListadas.size()),
                 SqlPrueba("SELECT COUNT(*) FROM HFORMACI WHERE NombreTabla = 'PERSONAL' AND "
                           "CodigoOperario IN (1, 3) AND (CodigoFormacion IS NULL OR "
                           "CodigoFormacion = '')"));
        QCOMPARE(r.QuickReport->ReportTitle(),
                 QStringLiteral("Listado de Operarios por Nivel de Formación. Desde: 01/01/2024 "
                                "Hasta: 31/12/2024"));
        QVERIFY(ListarRestriccionesForzado);
        if (orden != QLatin1String("PorFechaFinal")) return;
        // The row with no end date prints an empty cell.
        QTemporaryDir dir;
        const QString pdf = dir.filePath("for.pdf");
        QVERIFY(r.QuickReport->ExportToPdf(pdf));
        const QStringList lineas = TextoPdf(pdf).split(QLatin1Char('\n'));
        QString ingles;
        for (const QString& l : lineas)
            if (l.contains("D-INGL")) ingles = l.simplified();
        QCOMPARE(ingles, QStringLiteral("1 ANA INGL D-INGL 01/05/2024"));
    }

    void dialogo_data() { AddEngineRows(); }
    void dialogo() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        Datos();
        if (QTest::currentTestFailed()) return;
        TModuloDatos modulo;
        QPointer<TfRRHHLFOR> f = qobject_cast<TfRRHHLFOR*>(CreateForm("TfRRHHLFOR"));
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Listado de Operarios por Nivel de Formación"));
        const QString ano = QString::number(QDate::currentDate().year() % 100);
        QCOMPARE(f->DesdeFecha->Text(), "1/1/" + ano);
        QCOMPARE(f->HastaFecha->Text(), "31/12/" + ano);
        QCOMPARE(f->Orden(), QStringLiteral("PorOperario"));
        f->PorFechaFinal->setChecked(true);
        QCOMPARE(f->Orden(), QStringLiteral("PorFechaFinal"));

        // Each bad value: its warning and no report.
        const struct {
            const char* edit;
            const char* texto;
            const char* aviso;
        } malos[] = {
            {"DesdeOperario", "x", "¡El valor de Desde Operario es incorrecto! Repita por favor"},
            {"HastaOperario", "9.5", "¡El valor de Hasta Operario es incorrecto! Repita por favor"},
            {"DesdeFecha", "31/2/24", "¡La fecha de Desde Fecha es incorrecta! Repita por favor"},
            {"HastaFecha", "1/1/1800", "¡La fecha de Hasta Fecha es incorrecta! Repita por favor"},
        };
        for (const auto& m : malos) {
            TEdit* e = f->findChild<TEdit*>(QLatin1String(m.edit));
            const QString antes = e->Text();
            e->setText(QString::fromUtf8(m.texto));
            MessageSeam::clearLog();
            f->pbListarClick();
            QCOMPARE(MessageSeam::log().size(), 1);
            QCOMPARE(MessageSeam::log().first().text, QString::fromUtf8(m.aviso));
            QVERIFY(!f->ListadoEnCurso);
            e->setText(antes);
        }
        const QString resumen = ResumenSeleccion(f);
        QVERIFY2(resumen.startsWith("Desde Operario: 0, Hasta Operario: 9999, Desde Fecha: 1/1/"),
                 qPrintable(resumen));
        QVERIFY(resumen.contains(QStringLiteral("Por Fecha Final, ")));
        f->Free();
    }
};

QTEST_MAIN(TestRrhhLfor)
#include "tst_rrhhlfor.moc"
