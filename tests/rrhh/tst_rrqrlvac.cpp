// The vacation, bridge and leave-day listing on a real installation: which
// calendar decides a day, the day kinds asked for, date ranges across a year
// end, the totals printed and their pages, the cancel and the dialog.

#include <QDate>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/session/sesion.h"
#include "report/quickrep.h"
#include "rrhh/rrhhlvac.h"
#include "rrhh/rrqrlvac.h"
#include "support/dbfixture.h"
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

QString si(const QString& tipos, const char* tipo) {
    return tipos.contains(QLatin1String(tipo)) ? QStringLiteral("'SI'") : QStringLiteral("'NO'");
}
void DiaEmpresa(const char* fecha, const QString& tipos) {
    sql(QStringLiteral("INSERT INTO CALENDAR (Codigo, Fecha, EsDiaTrabajado, EsDiaFestivo, "
                       "EsDiaVacaciones, EsDiaPuente, NumeroHorario) VALUES (1, '%1', %2, 'NO', "
                       "%3, %4, 0)")
            .arg(QLatin1String(fecha), si(tipos, "Tr"), si(tipos, "Va"), si(tipos, "Pu")));
}
void DiaPropio(int operario, const char* fecha, const QString& tipos) {
    sql(QStringLiteral("INSERT INTO CALENOPE (CodigoOperario, Fecha, EsDiaTrabajado, "
                       "EsDiaFestivo, EsDiaVacaciones, EsDiaPuente, EsDiaPermiso, NumeroHorario) "
                       "VALUES (%1, '%2', %3, 'NO', %4, %5, %6, 0)")
            .arg(operario)
            .arg(QLatin1String(fecha), si(tipos, "Tr"), si(tipos, "Va"), si(tipos, "Pu"),
                 si(tipos, "Pe")));
}

// Employee 1 follows calendar 1 and has own days; employee 2 has no company
// calendar but an own vacation day; employee 3 has nothing. A calendar
// numbered 0 lends its vacation day to nobody without a calendar.
void Calendarios() {
    sql("INSERT INTO PERSONAL (CodigoOperario, Nombre, CodigoCalendario) VALUES (1, 'ANA', 1)");
    sql("INSERT INTO PERSONAL (CodigoOperario, Nombre, CodigoCalendario) VALUES (2, 'LUIS', 0)");
    sql("INSERT INTO PERSONAL (CodigoOperario, Nombre, CodigoCalendario) VALUES (3, 'NADIE', "
        "NULL)");
    sql("INSERT INTO CALENDAR (Codigo, Fecha, EsDiaTrabajado, EsDiaFestivo, EsDiaVacaciones, "
        "EsDiaPuente, NumeroHorario) VALUES (0, '2024-12-10', 'NO', 'NO', 'SI', 'NO', 0)");
    DiaEmpresa("2024-11-30", "Va");
    DiaEmpresa("2024-12-01", "Va");     // own: a plain working day, not selected
    DiaEmpresa("2024-12-02", "Va");     // own: leave instead
    DiaEmpresa("2024-12-03", "Va Pu");  // both kinds
    DiaEmpresa("2024-12-04", "Tr");
    DiaEmpresa("2025-01-31", "Pu");
    DiaEmpresa("2025-02-01", "Va");
    DiaPropio(1, "2024-12-01", "Tr");
    DiaPropio(1, "2024-12-02", "Pe");
    DiaPropio(2, "2025-01-15", "Va");
    PerfilesGruposPrueba(QStringLiteral("Personal=DEP"));
    // Analysis groups: employee 1 in DEP01, employee 2 in DEP02.
    for (const char* g : {"DEP01", "DEP02"})
        sql(QStringLiteral("INSERT INTO GRANALIS (Codigo, CategoriaGrupo) VALUES ('%1', 'DEP')")
                .arg(QLatin1String(g)));
    sql("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES ('PERSONAL', '1', "
        "'DEP01')");
    sql("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES ('PERSONAL', '2', "
        "'DEP02')");
}

QStringList Filas(TTable* t) {
    QStringList filas;
    for (t->First(); !t->Eof(); t->Next())
        filas << QStringList{t->FieldByName("CodigoOperario")->AsString(),
                             t->FieldByName("Fecha")->AsString(),
                             t->FieldByName("EsDiaVacaciones")->AsString(),
                             t->FieldByName("EsDiaPuente")->AsString(),
                             t->FieldByName("EsDiaPermiso")->AsString()}
                     .join(QLatin1Char(' '));
    return filas;
}

void Seleccion(TfRRQRLVAC& r, const QDate& desde, const QDate& hasta) {
    r.DesdeFecha = QDateTime(desde, QTime(0, 0));
    r.HastaFecha = QDateTime(hasta, QTime(0, 0));
    // No contracts here: everybody counts as inactive.
    r.NoActivos = true;
}

}  // namespace

class TestRrqrlvac : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dias_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QDate>("desde");
        QTest::addColumn<QDate>("hasta");
        QTest::addColumn<bool>("vacaciones");
        QTest::addColumn<QStringList>("filas");
        QTest::addColumn<QString>("rangos");  // analysis-group ranges
        const QDate diciembre(2024, 12, 1), enero(2025, 1, 31);
        for (Engine e : AvailableEngines()) {
            const QByteArray m = EngineTag(e).toLatin1();
            QTest::newRow(QByteArray(m + " todo").constData())
                << int(e) << diciembre << enero << true
                << QStringList{"1 01/12/2024 SI NO NO", "1 02/12/2024 NO NO SI",
                               "1 03/12/2024 SI SI NO", "1 31/01/2025 NO SI NO",
                               "2 15/01/2025 SI NO NO"}
                << QString();
            QTest::newRow(QByteArray(m + " sin vacaciones").constData())
                << int(e) << diciembre << enero << false
                << QStringList{"1 02/12/2024 NO NO SI", "1 03/12/2024 SI SI NO",
                               "1 31/01/2025 NO SI NO"}
                << QString();
            QTest::newRow(QByteArray(m + " un dia").constData())
                << int(e) << QDate(2024, 12, 2) << QDate(2024, 12, 2) << true
                << QStringList{"1 02/12/2024 NO NO SI"} << QString();
            QTest::newRow(QByteArray(m + " desde tras hasta").constData())
                << int(e) << enero << diciembre << true << QStringList{} << QString();
            QTest::newRow(QByteArray(m + " grupo DEP02").constData())
                << int(e) << diciembre << enero << true << QStringList{"2 15/01/2025 SI NO NO"}
                << "DEP|DEP02|DEP02";
            QTest::newRow(QByteArray(m + " grupos DEP00-DEP01").constData())
                << int(e) << QDate(2025, 1, 1) << enero << true
                << QStringList{"1 31/01/2025 NO SI NO"} << "DEP|DEP00|DEP01";
        }
    }
    void dias() {
        QFETCH(int, engine);
        QFETCH(QDate, desde);
        QFETCH(QDate, hasta);
        QFETCH(bool, vacaciones);
        QFETCH(QStringList, filas);
        QFETCH(QString, rangos);
        EmpresaPrueba empresa{Engine(engine)};
        Calendarios();
        if (QTest::currentTestFailed()) return;
        TfRRQRLVAC r;
        Seleccion(r, desde, hasta);
        r.RangosGruposAnalisis = rangos;
        r.Vacaciones = vacaciones;
        MessageSeam::clearLog();
        r.QuickReport->Prepare();
        QCOMPARE(Filas(r.Temporal), filas);
        QCOMPARE(r.QuickReport->QRPrinter()->PageCount(), filas.isEmpty() ? 0 : 1);
        QVERIFY(TextosMostrados().isEmpty());
    }

    // The totals per employee and of the listing, also when the report runs
    // a second time (a print from the preview); a page per employee and one
    // for the totals with "Salto Pagina".
    void totales_data() { AddEngineRows(); }
    void totales() {
        QFETCH(int, engine);
        EmpresaPrueba empresa{Engine(engine)};
        Calendarios();
        if (QTest::currentTestFailed()) return;
        TfRRQRLVAC r;
        Seleccion(r, {2024, 12, 1}, {2025, 1, 31});
        QTemporaryDir dir;
        for (int vez = 0; vez < 2; ++vez) {
            r.QuickReport->Prepare();
            const QString pdf = dir.filePath(QStringLiteral("vac%1.pdf").arg(vez));
            QVERIFY(r.QuickReport->ExportToPdf(pdf));
            const QString texto = TextoPdfMaquetado(pdf);
            QVERIFY(texto.contains(QStringLiteral(
                "Listado de Dias de Vacaciones/Puentes/Permisos (01/12/2024 - 31/01/2025)")));
            static const QRegularExpression operario(
                QStringLiteral("Total Operario:\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)"));
            QStringList parciales;
            for (const auto& m : operario.globalMatch(texto))
                parciales << m.captured(1) + m.captured(2) + m.captured(3);
            QCOMPARE(parciales, (QStringList{"221", "100"}));
            QVERIFY2(
                texto.contains(QRegularExpression(QStringLiteral("Total Listado:\\s+3\\s+2\\s+1"))),
                qPrintable(texto));
            QVERIFY(!texto.contains(QStringLiteral("NADIE")));
        }
        r.SaltoPagina = true;
        r.QuickReport->Prepare();
        QCOMPARE(r.QuickReport->QRPrinter()->PageCount(), 3);
    }

    // A cancel during the fill prints nothing.
    void cancelado() {
        EmpresaPrueba empresa{Engine::Sqlite};
        Calendarios();
        if (QTest::currentTestFailed()) return;
        TfRRQRLVAC r;
        Seleccion(r, {2024, 12, 1}, {2025, 1, 31});
        QTimer::singleShot(0, [] { ListadoCancelado = true; });
        r.QuickReport->Prepare();
        QCOMPARE(r.QuickReport->QRPrinter()->PageCount(), 0);
        ListadoCancelado = false;
    }

    void dialogo() {
        EmpresaPrueba empresa{Engine::Sqlite};
        QPointer<TfRRHHLVAC> f = qobject_cast<TfRRHHLVAC*>(CreateForm("TfRRHHLVAC"));
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Listado de Vacaciones/Puentes/Permisos"));
        const QString ano = QString::number(AnoDosCifras(QDateTime::currentDateTime()));
        QCOMPARE(f->DesdeFecha->Text(), "1/1/" + ano);
        QCOMPARE(f->HastaFecha->Text(), "31/12/" + ano);
        QVERIFY(f->Activos->isChecked());
        QVERIFY(!f->NoActivos->isChecked());
        QVERIFY(!f->SaltoPagina->isChecked());
        QVERIFY(f->cbVacaciones->isChecked() && f->cbPuentes->isChecked() &&
                f->cbPermisos->isChecked());

        f->HastaFecha->setText(QStringLiteral("31/02/25"));
        MessageSeam::clearLog();
        f->pbListarClick();
        QCOMPARE(TextosMostrados(),
                 QStringList{"¡La fecha de Hasta Fecha es incorrecta! Repita por favor"});

        // Two-digit years as typed; the selection reaches the report.
        f->DesdeFecha->setText(QStringLiteral("1/12/24"));
        f->HastaFecha->setText(QStringLiteral("31/1/25"));
        f->cbPuentes->setChecked(false);
        std::unique_ptr<TInformeListado> informe(f->CrearInforme());
        auto* r = qobject_cast<TfRRQRLVAC*>(informe.get());
        QVERIFY(r);
        QCOMPARE(r->DesdeFecha.date(), QDate(2024, 12, 1));
        QCOMPARE(r->HastaFecha.date(), QDate(2025, 1, 31));
        QVERIFY(r->Vacaciones && !r->Puentes && r->Permisos);
        informe.reset();
        f->Free();
    }
};

QTEST_MAIN(TestRrqrlvac)
#include "tst_rrqrlvac.moc"
