// The payroll data module on a company of its own: the contract in force
// around today, the per-user employee restriction, the roundings, calendar
// day counts, the regulatory bases of a leave and the contributed days on a
// payroll fixture, and the leave's calculated type.

#include <QtTest>

#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/geneusua.h"
#include "gene/session/sesion.h"
#include "nomina/nomimodu.h"
#include "nominas_prueba.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

QString fecha(const QDate& d) {
    return ValorSQL(QDateTime(d, QTime(0, 0)));
}

void sql(const QString& s) {
    QCOMPARE(Sql(s), QString());
}

void contrato(int op, int numero, const QDate& inicio, const QDate& fin, double reduccion = 0) {
    sql(QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, CodigoContrato, "
                       "FechaInicioContrato, FechaFinalContrato, PorcentajeReduccionJornad) "
                       "VALUES (%1, %2, 100, %3, %4, %5)")
            .arg(op)
            .arg(numero)
            .arg(fecha(inicio), fecha(fin.isValid() ? fin : ZeroDate()))
            .arg(reduccion));
}

struct Nomina {
    int ano, mes;
    const char* tipo;
    int alta = 30, enfermedad = 0, accidente = 0, maternidad = 0, regulacion = 0;
    double tarifa = 0, regulacionCC = 0, at = 0, regulacionAT = 0;
    double hee = 0, hene = 0, baseMaternidad = 0;
    int numeroContrato = 1;
    QDate inicio = QDate(2004, 1, 1);
    double irpf = 0;
};

void nomina(int op, const Nomina& n) {
    sql(QStringLiteral(
            "INSERT INTO NOMINA (CodigoOperario, Ano, Mes, TipoNomina, DiasDeAlta, "
            "DiasILTEnfermedad, DiasILTAccidente, DiasILTMaternidad, DiasRegulacion, BaseTarifa, "
            "BaseRegulacionCC, BaseATNormalizada, BaseRegulacionAT, BaseHEE, BaseHENE, "
            "BaseILTMaternidad, NumeroContrato, CodigoContrato, FechaInicioContrato, BaseIRPF, "
            "DiasNoRetribuidos, DiasDeVacaciones) VALUES (%1, %2, %3, '%4', %5, %6, %7, %8, %9, "
            "%10, %11, %12, %13, %14, %15, %16, %17, 100, %18, %19, 1, 2)")
            .arg(op)
            .arg(n.ano)
            .arg(n.mes)
            .arg(QLatin1String(n.tipo))
            .arg(n.alta)
            .arg(n.enfermedad)
            .arg(n.accidente)
            .arg(n.maternidad)
            .arg(n.regulacion)
            .arg(n.tarifa)
            .arg(n.regulacionCC)
            .arg(n.at)
            .arg(n.regulacionAT)
            .arg(n.hee)
            .arg(n.hene)
            .arg(n.baseMaternidad)
            .arg(n.numeroContrato)
            .arg(fecha(n.inicio))
            .arg(n.irpf));
}

void parametros(const QDate& cambioEuro, int ano = 2005, int mes = 3,
                const char* ultimaNomina = "NO") {
    sql(QStringLiteral("DELETE FROM PARANOMI"));
    sql(QStringLiteral("INSERT INTO PARANOMI (IdRegistro, MesNomina, AnoNomina, FechaCambioEuro, "
                       "BaseReguladoraUltNomina) VALUES (1, %1, %2, %3, '%4')")
            .arg(mes)
            .arg(ano)
            .arg(fecha(cambioEuro.isValid() ? cambioEuro : ZeroDate()))
            .arg(QLatin1String(ultimaNomina)));
    MDNominas->Parametros->Refresh();
    MDNominas->Parametros->First();
}

QStringList mensajes() {
    QStringList l;
    for (const auto& e : MessageSeam::log()) l << e.text;
    MessageSeam::clearLog();
    return l;
}

}  // namespace

class TestNomiModu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void contratoEnVigor_data() { AddEngineRows(); }
    void contratoEnVigor() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        CrearTablasPersonalPrueba();
        TMDNominas nominas;
        QCOMPARE(MDNominas, &nominas);
        const QDate hoy = QDate::currentDate();

        QVERIFY(!nominas.ContratoEnVigor(1));  // no contract
        contrato(1, 1, hoy.addYears(-1), QDate());
        QVERIFY(nominas.ContratoEnVigor(1));  // open
        contrato(2, 1, hoy.addYears(-1), hoy);
        QVERIFY(nominas.ContratoEnVigor(2));  // the end day is still in force
        contrato(3, 1, hoy.addYears(-1), hoy.addDays(-1));
        QVERIFY(!nominas.ContratoEnVigor(3));  // ended yesterday
        contrato(4, 1, hoy.addDays(10), QDate());
        QVERIFY(nominas.ContratoEnVigor(4));  // starts in the future

        // Only the latest start counts, even with an earlier one still open.
        contrato(5, 1, hoy.addYears(-2), QDate());
        contrato(5, 2, hoy.addYears(-1), hoy.addDays(-3));
        QVERIFY(!nominas.ContratoEnVigor(5));
        // The same start day: the later contract number decides.
        contrato(6, 1, hoy.addMonths(-1), QDate());
        contrato(6, 2, hoy.addMonths(-1), hoy.addDays(-1));
        QVERIFY(!nominas.ContratoEnVigor(6));
        contrato(7, 2, hoy.addMonths(-1), hoy.addDays(-1));
        contrato(7, 3, hoy.addMonths(-1), QDate());
        QVERIFY(nominas.ContratoEnVigor(7));
        QVERIFY(MessageSeam::log().isEmpty());
    }

    void operarioAccesible_data() { AddEngineRows(); }
    void operarioAccesible() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        CrearTablasPersonalPrueba();
        TMDNominas nominas;
        const QString usuario = QLatin1String(kCodigoAdministradorInicial);

        QVERIFY(nominas.OperarioAccesible(usuario, 5, QStringLiteral("Mostrar Mensaje")));
        GrabarConfiguracionUsuario(&modulo, usuario, QStringLiteral("OperariosNoAccesibles"),
                                   QStringLiteral("5, 10-20"));
        QStringList vistos;
        for (int op : {4, 5, 6, 9, 10, 15, 20, 21})
            if (nominas.OperarioAccesible(usuario, op, QString())) vistos << QString::number(op);
        QCOMPARE(vistos, (QStringList{"4", "6", "9", "21"}));
        QVERIFY(MessageSeam::log().isEmpty());
        QVERIFY(!nominas.OperarioAccesible(usuario, 12, QStringLiteral("Mostrar Mensaje")));
        QCOMPARE(mensajes(), QStringList{"Autorización denegada"});

        // "0-5" is no range and no code; a trailing comma bars nobody.
        GrabarConfiguracionUsuario(&modulo, usuario, QStringLiteral("OperariosNoAccesibles"),
                                   QStringLiteral("0-5, x, 7,"));
        QVERIFY(nominas.OperarioAccesible(usuario, 0, QString()));
        QVERIFY(nominas.OperarioAccesible(usuario, 3, QString()));
        QVERIFY(!nominas.OperarioAccesible(usuario, 7, QString()));
    }

    // Lists typed with other separators or a reversed range still bar whom
    // they name; an item that is neither code nor range bars nobody and is
    // warned of once, naming it.
    void listaNoAccesibles_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("lista");
        QTest::addColumn<QStringList>("vistos");
        QTest::addColumn<QString>("incorrectos");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "vacia")
                << QString() << QStringList{"4", "5", "6", "7", "10", "12"} << QString();
            NewEngineRow(e, "letra griega")
                << QStringLiteral("Ω;7") << QStringList{"4", "5", "6", "10", "12"}
                << QStringLiteral("Ω");
            NewEngineRow(e, "punto y coma")
                << QStringLiteral("5;6") << QStringList{"4", "7", "10", "12"} << QString();
            NewEngineRow(e, "blanco")
                << QStringLiteral("5 6") << QStringList{"4", "7", "10", "12"} << QString();
            NewEngineRow(e, "tabulador")
                << QStringLiteral("5\t6,\t12") << QStringList{"4", "7", "10"} << QString();
            NewEngineRow(e, "rango al reves")
                << QStringLiteral("10-5") << QStringList{"4", "12"} << QString();
            NewEngineRow(e, "rango con blancos")
                << QStringLiteral("12 - 10") << QStringList{"4", "5", "6", "7"} << QString();
            NewEngineRow(e, "no es codigo")
                << QStringLiteral("abc,7") << QStringList{"4", "5", "6", "10", "12"}
                << QStringLiteral("abc");
            NewEngineRow(e, "decimal y cero")
                << QStringLiteral("5.0, 0-6; 12") << QStringList{"4", "5", "6", "7", "10"}
                << QStringLiteral("5.0, 0-6");
            // Two dashes read as the range of the first two codes; a negative
            // code names nobody: both are warned of.
            NewEngineRow(e, "dos guiones")
                << QStringLiteral("5-7-9") << QStringList{"4", "10", "12"}
                << QStringLiteral("5-7-9");
            NewEngineRow(e, "dos guiones con blancos")
                << QStringLiteral("12, 5 - 6 - 10") << QStringList{"4", "7", "10"}
                << QStringLiteral("5-6-10");
            NewEngineRow(e, "codigo negativo")
                << QStringLiteral("-5, 7") << QStringList{"4", "5", "6", "10", "12"}
                << QStringLiteral("-5");
        }
    }
    void listaNoAccesibles() {
        QFETCH(QString, lista);
        QFETCH(QStringList, vistos);
        QFETCH(QString, incorrectos);
        TestInstalacion inst(CurrentEngine(), conEmpresa());
        TModuloDatos modulo;
        CrearTablasPersonalPrueba();
        TMDNominas nominas;
        const QString usuario = QLatin1String(kCodigoAdministradorInicial);
        GrabarConfiguracionUsuario(&modulo, usuario, QStringLiteral("OperariosNoAccesibles"),
                                   lista);
        MessageSeam::clearLog();
        QStringList accesibles;
        for (int op : {4, 5, 6, 7, 10, 12})
            if (nominas.OperarioAccesible(usuario, op, QString()))
                accesibles << QString::number(op);
        QCOMPARE(accesibles, vistos);
        const QStringList avisos = mensajes();
        if (incorrectos.isEmpty()) {
            QVERIFY(avisos.isEmpty());
        } else {
            // One warning for the whole session, however many employees it reads.
            QCOMPARE(avisos.size(), 1);
            QVERIFY2(avisos[0].contains(QLatin1Char('(') + incorrectos + QLatin1Char(')')) &&
                         avisos[0].contains(QStringLiteral("administrador")),
                     qPrintable(avisos[0]));
        }
    }

    void redondeos() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        TModuloDatos modulo;
        CrearTablasPersonalPrueba();
        TMDNominas nominas;
        QCOMPARE(nominas.RedondeoMitadAbajo(2.5), 2.0);
        QCOMPARE(nominas.RedondeoMitadAbajo(2.51), 3.0);
        QCOMPARE(nominas.RedondeoMitadAbajo(7.0), 7.0);

        // No parameters at all, then no changeover date: whole units.
        QCOMPARE(nominas.RedondeoMoneda(12.6), 13.0);
        parametros(QDate());
        QCOMPARE(nominas.RedondeoMoneda(12.345), 12.0);
        parametros(QDate(2002, 1, 1));
        QCOMPARE(nominas.RedondeoMoneda(12.345), 12.35);
        QCOMPARE(nominas.RedondeoMoneda(-12.345), -12.35);
        // A changeover on the payroll month itself is not before it yet.
        parametros(QDate(2005, 3, 1));
        QCOMPARE(nominas.RedondeoMoneda(12.345), 12.0);
    }

    void diasCalendario_data() { AddEngineRows(); }
    void diasCalendario() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        CrearTablasPersonalPrueba();
        TMDNominas nominas;
        // Calendar 1, 1..10 May 2005 (1 May a Sunday): worked Monday to
        // Friday, weekends holidays, 9 and 10 vacation; calendar 2 on the same days must not count.
        for (int cal : {1, 2})
            for (int d = 1; d <= 10; ++d) {
                const QDate dia(2005, 5, d);
                const bool festivo = dia.dayOfWeek() >= 6 || d == 1;
                sql(QStringLiteral("INSERT INTO CALENDAR (Codigo, Fecha, EsDiaTrabajado, "
                                   "EsDiaFestivo, EsDiaVacaciones) VALUES (%1, %2, '%3', '%4', "
                                   "'%5')")
                        .arg(cal)
                        .arg(fecha(dia))
                        .arg(festivo || d >= 9 ? "NO" : "SI", festivo ? "SI" : "NO",
                             d >= 9 ? "SI" : "NO"));
            }
        const QDateTime desde(QDate(2005, 5, 1), QTime(0, 0));
        const QDateTime hasta(QDate(2005, 5, 10), QTime(15, 30));  // a time does not cut the day
        QCOMPARE(nominas.DiasCalendario(QStringLiteral("Naturales"), 1, desde, hasta), 10);
        QCOMPARE(nominas.DiasCalendario(QStringLiteral("Festivos"), 1, desde, hasta), 3);
        QCOMPARE(nominas.DiasCalendario(QStringLiteral("Laborables"), 1, desde, hasta), 7);
        QCOMPARE(nominas.DiasCalendario(QStringLiteral("Trabajados"), 1, desde, hasta), 5);
        QCOMPARE(nominas.DiasCalendario(QStringLiteral("Vacaciones"), 1, desde, hasta), 2);
        QCOMPARE(nominas.DiasCalendario(QStringLiteral("Otros"), 1, desde, hasta), 0);
        QCOMPARE(nominas.DiasCalendario(QStringLiteral("Naturales"), 3, desde, hasta), 0);
    }

    void basesDeLaBaja_data() { AddEngineRows(); }
    void basesDeLaBaja() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        CrearTablasPersonalPrueba();
        TMDNominas nominas;
        parametros(QDate(2002, 1, 1));
        sql(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, TipoOperario, MaximoATEP, "
                           "Instrucciones) VALUES (1, 'Mayor 18', 0, 'Otro=1\r\n"
                           "%RegulacionEmpleo=50')"));
        sql(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, TipoOperario, MaximoATEP) "
                           "VALUES (2, 'Menor 18', 1500.5)"));
        for (const auto& [fecha_, mas, menos] : {std::tuple{QDate(2004, 1, 1), 2800.0, 1400.0},
                                                 std::tuple{QDate(2005, 1, 1), 3000.0, 1500.0}})
            sql(QStringLiteral("INSERT INTO BASE (FechaVigencia, BaseMaximoTrabajadoresMas18, "
                               "BaseMaximoTrabajadoresMenos18) VALUES (%1, %2, %3)")
                    .arg(fecha(fecha_))
                    .arg(mas)
                    .arg(menos));
        nominas.Base->Refresh();
        contrato(1, 1, QDate(2004, 1, 1), QDate(), 50);

        // February 2005: the monthly payroll, arrears and a settlement.
        nomina(1, {.ano = 2005,
                   .mes = 2,
                   .tipo = "Mensual",
                   .alta = 25,
                   .enfermedad = 3,
                   .regulacion = 2,
                   .tarifa = 900,
                   .regulacionCC = 100,
                   .at = 950,
                   .regulacionAT = 50,
                   .hee = 60,
                   .hene = 30});
        nomina(1, {.ano = 2005, .mes = 2, .tipo = "Atrasos", .alta = 28, .tarifa = 200, .at = 150});
        nomina(
            1,
            {.ano = 2005, .mes = 2, .tipo = "Finiquito", .alta = 28, .tarifa = 5000, .at = 5000});
        nomina(1, {.ano = 2004, .mes = 3, .tipo = "Mensual", .alta = 31, .hee = 62, .hene = 0});
        nomina(1, {.ano = 2004, .mes = 2, .tipo = "Mensual", .alta = 29, .hee = 1000});
        const QDateTime baja(QDate(2005, 3, 15), QTime(0, 0));

        // Common contingencies: the settlement is skipped, the arrears add
        // their base but no days; the reduced contract drops the regulation
        // days. (1000 + 200) / 28.
        QCOMPARE(nominas.BaseReguladoraCC(1, baja), 42.86);
        // Work accident: the employee's regulation is not 100 %: no
        // regulation days. (1000 + 150 + 5000) / (28 + 28).
        QCOMPARE(nominas.BaseReguladoraAT(1, baja), 109.82);
        // The bases in force of February 2005 stay current.
        QCOMPARE(
            nominas.Base->FieldByName(QStringLiteral("BaseMaximoTrabajadoresMas18"))->AsFloat(),
            3000.0);
        // Overtime of March 2004 to February 2005 (February 2004 is out);
        // the days of arrears are out, those of the settlement in.
        QCOMPARE(nominas.MediaHorasExtra(1, baja), nominas.RedondeoMoneda(152.0 / (31 + 28 + 28)));
        QVERIFY(MessageSeam::log().isEmpty());

        // The last-payroll rule: the last of the month replaces the totals.
        parametros(QDate(2002, 1, 1), 2005, 3, "SI");
        QCOMPARE(nominas.BaseReguladoraCC(1, baja), nominas.RedondeoMoneda(1000.0 / 28));

        // No payroll the month before: the message and 0; no payroll at all
        // in the year before: 0 without dividing.
        QCOMPARE(nominas.BaseReguladoraCC(2, baja), 0.0);
        QCOMPARE(nominas.BaseReguladoraAT(2, baja), 0.0);
        QCOMPARE(mensajes(), (QStringList{"¡ No existe nómina del mes anterior de la baja !",
                                          "¡ No existe nómina del mes anterior de la baja !"}));
        QCOMPARE(nominas.MediaHorasExtra(2, baja), 0.0);
        // Payrolls without days give 0, not a division by zero.
        nomina(3, {.ano = 2005, .mes = 2, .tipo = "Mensual", .alta = 0, .tarifa = 500, .at = 500});
        QCOMPARE(nominas.BaseReguladoraCC(3, baja), 0.0);
        QCOMPARE(nominas.BaseReguladoraAT(3, baja), 0.0);

        // Ceilings: by type of employee, the employee's own one wins, none
        // for the self-employed or an unknown employee.
        QCOMPARE(nominas.ValorBasePorColectivo(1, QString(), baja), 3000.0);
        QCOMPARE(nominas.ValorBasePorColectivo(1, QString(), QDateTime(QDate(2004, 6, 1), {})),
                 2800.0);
        QCOMPARE(nominas.ValorBasePorColectivo(2, QString(), baja), 1500.5);
        QCOMPARE(nominas.ValorBasePorColectivo(1, QStringLiteral("Autonomo"), baja), 0.0);
        QCOMPARE(nominas.ValorBasePorColectivo(9, QString(), baja), 0.0);
    }

    void maternidadYRegulacionCompleta() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        TModuloDatos modulo;
        CrearTablasPersonalPrueba();
        TMDNominas nominas;
        parametros(QDate(2002, 1, 1));
        sql(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Instrucciones) VALUES (1, "
                           "'%RegulacionEmpleo=100')"));
        sql(QStringLiteral("INSERT INTO BASE (FechaVigencia) VALUES (%1)")
                .arg(fecha(QDate(2004, 1, 1))));
        nominas.Base->Refresh();
        nomina(1, {.ano = 2005,
                   .mes = 2,
                   .tipo = "Mensual",
                   .alta = 20,
                   .regulacion = 8,
                   .at = 1000.3,
                   .baseMaternidad = 100.4});
        nomina(1, {.ano = 2005, .mes = 2, .tipo = "Finiquito1", .alta = 20, .at = 9999});
        // A full regulation keeps its days; maternity bases are added with
        // the half rounded down: 1100.7 -> 1101, over 28 days.
        QCOMPARE(nominas.BaseReguladoraAT(1, QDateTime(QDate(2005, 3, 2), QTime(0, 0))),
                 nominas.RedondeoMoneda(1101.0 / 28));
    }

    void diasCotizados_data() { AddEngineRows(); }
    void diasCotizados() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        CrearTablasPersonalPrueba();
        TMDNominas nominas;
        sql(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, TipoCotizacion) VALUES (1, "
                           "'Diaria')"));
        sql(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, TipoCotizacion) VALUES (2, "
                           "'Mensual')"));
        contrato(1, 1, QDate(2004, 1, 1), QDate());
        nomina(1, {.ano = 2005,
                   .mes = 1,
                   .tipo = "Mensual",
                   .alta = 31,
                   .enfermedad = 2,
                   .regulacion = 1});
        nomina(1, {.ano = 2005, .mes = 2, .tipo = "Mensual", .alta = 28});
        nomina(1, {.ano = 2005, .mes = 2, .tipo = "Atrasos", .alta = 28});
        nomina(1, {.ano = 2005, .mes = 3, .tipo = "Mensual", .alta = 31});

        int v[10];
        const auto dias = [&](int op, int a1, int m1, int a2, int m2) {
            std::fill(std::begin(v), std::end(v), -1);
            nominas.DiasCotizadosMes(op, a1, m1, a2, m2, v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                     v[7], v[8], v[9]);
            return QList<int>(std::begin(v), std::end(v));
        };
        QCOMPARE(dias(1, 2005, 1, 2005, 2), (QList<int>{59, 59, 2, 0, 1, 2, 0, 0, 4, 1}));
        QCOMPARE(dias(2, 2005, 2, 2005, 2), (QList<int>{30, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(dias(9, 2005, 1, 2005, 2), (QList<int>(10, 0)));  // unknown employee
        QVERIFY(MessageSeam::log().isEmpty());

        // A settlement with tax base in the same contract and year: nothing
        // of that year's payrolls of the contract counts.
        nomina(1, {.ano = 2005, .mes = 4, .tipo = "Finiquito", .irpf = 100});
        QCOMPARE(dias(1, 2005, 1, 2005, 3)[1], 0);

        // A payroll of a contract that is not in the history: the warning
        // and the totals gathered up to it.
        nomina(1,
               {.ano = 2006, .mes = 1, .tipo = "Mensual", .alta = 31, .inicio = QDate(2006, 1, 1)});
        nomina(1, {.ano = 2006, .mes = 2, .tipo = "Mensual", .alta = 28});
        QCOMPARE(dias(1, 2006, 1, 2006, 2)[1], 0);
        const QStringList m = mensajes();
        QCOMPARE(m.size(), 1);
        QVERIFY2(m[0].startsWith(QStringLiteral("¡No se ha podido encontrar el Contrato 100 de "
                                                "Fecha 01/01/2006")),
                 qPrintable(m[0]));
        QVERIFY(m[0].endsWith(QStringLiteral(" para el Operario 1 para el mes 1")));
    }

    void tipoDeBaja() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        TModuloDatos modulo;
        CrearTablasPersonalPrueba();
        TMDNominas nominas;
        sql(
            QStringLiteral("INSERT INTO TSUBSDIO (Codigo, HastaDias, TipoBaja) VALUES "
                           "('ENF''COMUN', 3, 'Enfermedad')"));
        sql(QStringLiteral("INSERT INTO BAJA (CodigoOperario, FechaInicio, CodigoBaja) VALUES "
                           "(1, %1, 'ENF''COMUN')")
                .arg(fecha(QDate(2005, 3, 1))));
        sql(QStringLiteral("INSERT INTO BAJA (CodigoOperario, FechaInicio, CodigoBaja) VALUES "
                           "(1, %1, 'OTRA')")
                .arg(fecha(QDate(2005, 4, 1))));
        nominas.Baja->Refresh();
        nominas.Baja->First();
        QCOMPARE(nominas.Baja->FieldByName(QStringLiteral("TipoBaja"))->AsString(),
                 QStringLiteral("Enfermedad"));
        QCOMPARE(nominas.Baja->FieldByName(QStringLiteral("CodigoBaja"))->AsString(),
                 QStringLiteral("ENF'COMUN"));
        nominas.Baja->Next();
        QCOMPARE(nominas.Baja->FieldByName(QStringLiteral("TipoBaja"))->AsString(), QString());
        QVERIFY(MessageSeam::log().isEmpty());
    }
};

QTEST_MAIN(TestNomiModu)
#include "tst_nomimodu.moc"
