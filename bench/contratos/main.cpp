// Contract documents benchmark: the company certificate filled for 200
// employees with 24 monthly payrolls each, on a temporary SQLite
// installation. Line printed:
//   contratos certificado_200 ours=<s> raw=<s> ratio=<ours/raw>
//     RellenarImpresos with 720 certificate days (so every payroll is walked)
//     against plain QSqlQuery reads of the same rows and the same page and
//     lines inserted by prepared statements in one transaction.

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>

#include "../common/instalacion.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemodu.h"
#include "nomina/nomilcon_rellenar.h"
#include "nomina/nomimodu.h"

namespace {

using bench::fail;

constexpr int kEmployees = 200;
constexpr int kPayrolls = 24;
constexpr int kContractType = 100;

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

QDateTime start() {
    return QDateTime(QDate(2022, 1, 1), QTime(0, 0));
}

// Parameters, one contract type, and each employee with one contract and
// two years of monthly payrolls, in one transaction.
void fillData(TDatabase* db) {
    for (const char* name :
         {"CATEGORI", "CONTRATO", "HCONTRAT", "NOMINA", "PARAGENE", "PARANOMI", "PERSONAL"}) {
        TTable t;
        t.setTableName(QLatin1String(name));
        if (!AbrirTabla(fGENEINIC, &t)) fail(QStringLiteral("cannot open ") + QLatin1String(name));
    }
    db->StartTransaction();
    db->Execute(QStringLiteral("DELETE FROM PARAGENE"));
    db->Execute(
        QStringLiteral("INSERT INTO PARAGENE (IdRegistro, RazonSocial, CIF) VALUES (1, "
                       "'TALLERES NORTE SL', 'B12345678')"));
    db->Execute(QStringLiteral("INSERT INTO CONTRATO (CodigoContrato, Denominacion, Impreso) "
                               "VALUES (%1, 'Indefinido', '')")
                    .arg(kContractType));
    QSqlQuery& person = db->Prepared(
        QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, DNI) VALUES (?, ?, ?)"));
    QSqlQuery& contract = db->Prepared(
        QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, CodigoContrato, "
                       "FechaInicioContrato, FechaFinalContrato) VALUES (?, 1, ?, ?, ?)"));
    QSqlQuery& payroll = db->Prepared(QStringLiteral(
        "INSERT INTO NOMINA (CodigoOperario, Ano, Mes, TipoNomina, DiasDeAlta, "
        "DiasILTEnfermedad, DiasILTAccidente, DiasILTMaternidad, DiasRegulacion, BaseTarifa, "
        "BaseATEP, BaseRegulacionCC, BaseRegulacionAT, FechaInicioContrato, DiasDeVacaciones) "
        "VALUES (?, ?, ?, 'Normal', 30, 0, 0, 0, 0, ?, ?, 0, 0, ?, 0)"));
    for (int e = 1; e <= kEmployees; ++e) {
        person.bindValue(0, e);
        person.bindValue(1, QStringLiteral("GARCIA LOPEZ, EMPLEADO %1").arg(e));
        person.bindValue(2, QStringLiteral("1234567Z"));
        db->Run(person);
        contract.bindValue(0, e);
        contract.bindValue(1, kContractType);
        contract.bindValue(2, start());
        contract.bindValue(3, QDateTime(QDate(2023, 12, 31), QTime(0, 0)));
        db->Run(contract);
        for (int m = 0; m < kPayrolls; ++m) {
            const QDate month = QDate(2022, 1, 1).addMonths(m);
            payroll.bindValue(0, e);
            payroll.bindValue(1, month.year());
            payroll.bindValue(2, month.month());
            payroll.bindValue(3, 1000.0 + e + m);
            payroll.bindValue(4, 100.0 + m);
            payroll.bindValue(5, start());
            db->Run(payroll);
        }
    }
    db->Commit();
}

int count(TDatabase* db, const QString& table) {
    return db->Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt();
}

// The same reads and writes by plain statements: the employees, each one's
// contracts and payrolls, one page and one line per payroll inserted.
void rawFill(TDatabase* db, TDatabase* work, const QString& pages, const QString& lines) {
    QSqlDatabase c = db->connection();
    QSqlDatabase w = work->connection();
    QSqlQuery(w).exec(QStringLiteral("DELETE FROM ") + pages);
    QSqlQuery(w).exec(QStringLiteral("DELETE FROM ") + lines);
    QSqlQuery people(c), contracts(c), payrolls(c), page(w), line(w);
    contracts.prepare(QStringLiteral(
        "SELECT * FROM HCONTRAT WHERE CodigoOperario = ? ORDER BY NumeroContrato DESC"));
    payrolls.prepare(
        QStringLiteral("SELECT * FROM NOMINA WHERE CodigoOperario = ? ORDER BY Ano "
                       "DESC, Mes DESC, TipoNomina DESC"));
    page.prepare(
        QStringLiteral("INSERT INTO %1 (CodigoOperario, CodigoContrato, NumeroContrato, Pagina, "
                       "NombreOperario, TotalDiasCotizados, TotalBaseCC, TotalBaseAT) VALUES (?, "
                       "?, ?, 1, ?, ?, ?, ?)")
            .arg(pages));
    line.prepare(
        QStringLiteral("INSERT INTO %1 (CodigoOperario, CodigoContrato, NumeroContrato, Pagina, "
                       "Linea, Ano, Mes, DiasCotizados, BaseCC, BaseAT) VALUES (?, ?, ?, 1, ?, ?, "
                       "?, ?, ?, ?)")
            .arg(lines));
    w.transaction();
    if (!people.exec(QStringLiteral("SELECT * FROM PERSONAL WHERE CodigoOperario >= 0 AND "
                                    "CodigoOperario <= 9999 ORDER BY CodigoOperario")))
        fail("raw read failed");
    while (people.next()) {
        const QVariant op = people.value(QStringLiteral("CodigoOperario"));
        const QString name = people.value(QStringLiteral("Nombre")).toString();
        contracts.bindValue(0, op);
        if (!contracts.exec()) fail("raw contract read failed");
        while (contracts.next()) {
            const QVariant type = contracts.value(QStringLiteral("CodigoContrato"));
            const QVariant contractNumber = contracts.value(QStringLiteral("NumeroContrato"));
            payrolls.bindValue(0, op);
            if (!payrolls.exec()) fail("raw payroll read failed");
            int days = 0, number = 0;
            double cc = 0, at = 0;
            while (payrolls.next()) {
                const int d = payrolls.value(QStringLiteral("DiasDeAlta")).toInt();
                const double bcc = payrolls.value(QStringLiteral("BaseTarifa")).toDouble();
                const double bat = payrolls.value(QStringLiteral("BaseATEP")).toDouble();
                line.bindValue(0, op);
                line.bindValue(1, type);
                line.bindValue(2, contractNumber);
                line.bindValue(3, ++number);
                line.bindValue(4, payrolls.value(QStringLiteral("Ano")));
                line.bindValue(5, payrolls.value(QStringLiteral("Mes")));
                line.bindValue(6, d);
                line.bindValue(7, bcc);
                line.bindValue(8, bat);
                if (!line.exec()) fail("raw line insert failed");
                days += d;
                cc += bcc;
                at += bat;
            }
            page.bindValue(0, op);
            page.bindValue(1, type);
            page.bindValue(2, contractNumber);
            page.bindValue(3, name);
            page.bindValue(4, days);
            page.bindValue(5, cc);
            page.bindValue(6, at);
            if (!page.exec()) fail("raw page insert failed");
        }
    }
    w.commit();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Installation installation;
    InstalarServiciosFormulario();
    TModuloDatos module;
    CrearModulosNomina();
    TDatabase* db = fGENEINIC->Database;
    fillData(db);

    TTable temporal, ltemporal;
    temporal.setTableName(QStringLiteral("TMPCONTR"));
    ltemporal.setTableName(QStringLiteral("TMPLCONT"));
    CrearTablaEstructura(fGENEINIC, &temporal, DefinicionTemporalContratos(), -1);
    CrearTablaEstructura(fGENEINIC, &ltemporal, DefinicionLTemporalContratos(), -1);
    temporal.Open();
    ltemporal.setIndexFieldNames(
        QStringLiteral("CodigoOperario;CodigoContrato;NumeroContrato;Pagina;Linea"));
    ltemporal.Open();
    TDatabase* work = temporal.Database();

    TDatosContratos datos;
    datos.Opcion = TDatosContratos::CertificadoEmpresa;
    datos.FormatoImpreso = QStringLiteral("CertificadoEmpresa");
    datos.DesdeFecha = QStringLiteral("1/1/2022");
    datos.HastaFecha = QStringLiteral("31/12/2022");
    datos.FechaPresentacion = QStringLiteral("5/3/2024");
    datos.DiasCertificado = QStringLiteral("720");

    const int lines = kEmployees * kPayrolls;
    // The best of two rounds of each side, taken in turns.
    double ours = 1e9, raw = 1e9;
    QElapsedTimer clock;
    for (int round = 0; round < 2; ++round) {
        clock.restart();
        RellenarImpresos(datos, &temporal, &ltemporal);
        ours = std::min(ours, seconds(clock));
        if (count(work, temporal.TableName()) != kEmployees ||
            count(work, ltemporal.TableName()) != lines)
            fail(QStringLiteral("the fill wrote %1 pages and %2 lines")
                     .arg(count(work, temporal.TableName()))
                     .arg(count(work, ltemporal.TableName())));

        clock.restart();
        rawFill(db, work, temporal.TableName(), ltemporal.TableName());
        raw = std::min(raw, seconds(clock));
        if (count(work, temporal.TableName()) != kEmployees ||
            count(work, ltemporal.TableName()) != lines)
            fail("the statements wrote other rows");
    }
    temporal.Close();
    ltemporal.Close();
    std::printf("contratos certificado_200 ours=%.4f raw=%.4f ratio=%.2f\n", ours, raw,
                raw > 0 ? ours / raw : 0.0);
    return 0;
}
