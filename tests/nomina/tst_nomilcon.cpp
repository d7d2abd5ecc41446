// The contract documents' records on a company with employees, contracts,
// contract types, categories and payrolls, on SQLite and PostgreSQL: what
// each option writes into the print engine's two work tables.

#include <QHash>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genesele.h"
#include "gene/print/genelimp.h"
#include "gene/print/genelimp_p.h"
#include "gene/registros_prueba.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "io/textfile.h"
#include "nomina/nomilcon.h"
#include "nomina/nomilcon_clausulas.h"
#include "nomina/nomilcon_rellenar.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/instalacion.h"
#include "support/otroprograma.h"
#include "support/pdfprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"

namespace {

QString fecha(const QDate& d) {
    return ValorSQL(QDateTime(d.isValid() ? d : ZeroDate(), QTime(0, 0)));
}

void sql(const QString& s) {
    QCOMPARE(Sql(s), QString());
}

struct Contratos : EmpresaPrueba {
    explicit Contratos(Engine e) : EmpresaPrueba(e) {
        for (const char* t : {"CATEGORI", "CONTRATO", "HCONTRAT", "NOMINA", "PERSONAL"}) {
            TTable tabla;
            tabla.setTableName(QLatin1String(t));
            AbrirTabla(fGENEINIC, &tabla);
        }
        sql(QStringLiteral("DELETE FROM PARAGENE"));
        sql(
            QStringLiteral("INSERT INTO PARAGENE (IdRegistro, RazonSocial, CIF, Direccion, "
                           "CodigoPostal, Poblacion, Provincia, NombreRepresentante) VALUES (1, "
                           "'TALLERES NORTE SL', 'B12345678', 'C/ Mayor 1', '28001', 'Madrid', "
                           "'Madrid', 'Luis Gil')"));
        sql(QStringLiteral("DELETE FROM PARANOMI"));
        sql(QStringLiteral(
                "INSERT INTO PARANOMI (IdRegistro, MesNomina, AnoNomina, FechaCambioEuro, "
                "NumeroAfiliacion, EntidadATEP, FechaFiniquitoVacaciones) VALUES (1, 1, 2024, %1, "
                "'281234567890', 'MUTUA UNO', '1/1')")
                .arg(fecha(QDate(2001, 12, 31))));
        MDNominas->Parametros->Refresh();
        MDNominas->Parametros->First();
        sql(QStringLiteral("INSERT INTO CATEGORI (Codigo, Descripcion) VALUES (7, 'Oficial')"));
        sql(
            QStringLiteral("INSERT INTO CONTRATO (CodigoContrato, Denominacion, Impreso) VALUES "
                           "(100, 'Indefinido', 'C1;C2'), (401, 'Obra', '')"));
        temporal.setTableName(QStringLiteral("TMPCONTR"));
        ltemporal.setTableName(QStringLiteral("TMPLCONT"));
        CrearTablaEstructura(fGENEINIC, &temporal, DefinicionTemporalContratos(), -1);
        CrearTablaEstructura(fGENEINIC, &ltemporal, DefinicionLTemporalContratos(), -1);
        temporal.Open();
        ltemporal.setIndexFieldNames(
            QStringLiteral("CodigoOperario;CodigoContrato;NumeroContrato;Pagina;Linea"));
        ltemporal.Open();
        datos.DesdeFecha = QStringLiteral("1/1/2024");
        datos.HastaFecha = QStringLiteral("31/12/2024");
        datos.FechaPresentacion = QStringLiteral("5/3/2024");
        datos.FormatoImpreso = QStringLiteral("Contrato100-1");
    }
    ~Contratos() {
        temporal.Close();
        ltemporal.Close();
    }

    void operario(int codigo, const QString& nombre,
                  const QString& dni = QStringLiteral("1234567Z"),
                  const QString& instrucciones = QString()) {
        sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, DNI, CodigoCategoria, "
                           "PuestoTrabajo, Instrucciones, FechaNacimiento) VALUES (%1, '%2', "
                           "'%3', 7, 'Tornero', '%4', %5)")
                .arg(codigo)
                .arg(nombre, dni, instrucciones, fecha(QDate(1980, 4, 9))));
    }
    void contrato(int op, int numero, int tipo, const QDate& inicio, const QDate& fin,
                  int registro = 0) {
        sql(QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, CodigoContrato, "
                           "FechaInicioContrato, FechaFinalContrato, Clausulas, "
                           "NumeroRegistroContrato, FechaPresentacionContrato) VALUES (%1, %2, "
                           "%3, %4, %5, 'Periodo de prueba de dos meses', %6, %7)")
                .arg(op)
                .arg(numero)
                .arg(tipo)
                .arg(fecha(inicio), fecha(fin))
                .arg(registro)
                .arg(fecha(inicio)));
    }
    void nomina(int op, int ano, int mes, const QString& tipo, int alta, double cc, double at,
                const QDate& inicio = QDate(2023, 1, 1), int regulacion = 0) {
        sql(QStringLiteral("INSERT INTO NOMINA (CodigoOperario, Ano, Mes, TipoNomina, DiasDeAlta, "
                           "DiasILTEnfermedad, DiasILTAccidente, DiasILTMaternidad, "
                           "DiasRegulacion, BaseTarifa, BaseATEP, BaseRegulacionCC, "
                           "BaseRegulacionAT, FechaInicioContrato, DiasDeVacaciones) VALUES (%1, "
                           "%2, %3, '%4', %5, 0, 0, 0, %6, %7, %8, 0, 0, %9, 0)")
                .arg(op)
                .arg(ano)
                .arg(mes)
                .arg(tipo)
                .arg(alta)
                .arg(regulacion)
                .arg(cc)
                .arg(at)
                .arg(fecha(inicio)));
    }

    void rellenar() { RellenarImpresos(datos, &temporal, &ltemporal); }

    // A column of a page; a null value when the page is not there.
    QVariant valor(int op, int tipo, int pagina, const char* campo) {
        temporal.Refresh();
        auto clave = [this](const char* c) {
            return temporal.FieldByName(QLatin1String(c))->AsInteger();
        };
        // The first contract's page of that type: the key also holds its number.
        for (temporal.First(); !temporal.Eof(); temporal.Next()) {
            if (clave("CodigoOperario") != op || clave("CodigoContrato") != tipo ||
                clave("Pagina") != pagina)
                continue;
            TField* f = temporal.FieldByName(QLatin1String(campo));
            return f->IsNull() ? QVariant(QString()) : f->Value();
        }
        return {};
    }
    QString texto(int op, int tipo, int pagina, const char* campo) {
        return valor(op, tipo, pagina, campo).toString();
    }
    int paginas() {
        temporal.Refresh();
        return temporal.RecordCount();
    }
    // The certificate's lines: "Ano/Mes dias CC AT" each, after
    // "employee-type-page-line" and before the remarks when asked for.
    QStringList lineas(bool claves = false) {
        QStringList r;
        ltemporal.Refresh();
        auto campo = [this](const char* c) { return ltemporal.FieldByName(QLatin1String(c)); };
        for (ltemporal.First(); !ltemporal.Eof(); ltemporal.Next()) {
            QString l = QStringLiteral("%1/%2 %3 %4 %5")
                            .arg(campo("Ano")->AsInteger())
                            .arg(campo("Mes")->AsInteger())
                            .arg(campo("DiasCotizados")->AsInteger())
                            .arg(campo("BaseCC")->AsFloat())
                            .arg(campo("BaseAT")->AsFloat());
            if (claves)
                l = QStringLiteral("%1-%2-%3-%4 ")
                        .arg(campo("CodigoOperario")->AsInteger())
                        .arg(campo("CodigoContrato")->AsInteger())
                        .arg(campo("Pagina")->AsInteger())
                        .arg(campo("Linea")->AsInteger()) +
                    l + QLatin1Char(' ') + campo("Observaciones")->AsString();
            r << l;
        }
        return r;
    }

    TTable temporal, ltemporal;
    TDatosContratos datos;
};

// The dialog over a company with one employee and his contract, printing
// through the printer seam into a PDF file.
struct Dialogo : Contratos {
    explicit Dialogo(Engine e) : Contratos(e) {
        // The shipped formats beside the program fill the new IMPRESO.
        QDir().mkpath(inst.carpeta() + QStringLiteral("/impresos"));
        const QDir fuente(CarpetaDatosFuente() + QStringLiteral("/impresos"));
        for (const QString& a : fuente.entryList(QDir::Files))
            QFile::copy(fuente.filePath(a), inst.carpeta() + QStringLiteral("/impresos/") + a);
        MessageSeam::clearLog();
        AsignarSeamDialogos([](QObject*) { return true; });
        AsignarSeamImpreso([this](const QString&) -> QString {
            ++impresiones;
            return QStringLiteral("PDF:") + pdf;
        });
        operario(1, QStringLiteral("GARCIA LOPEZ, ANA"));
        contrato(1, 1, 401, QDate(2024, 2, 1), QDate(2024, 7, 31));
        nomina(1, 2024, 7, QStringLiteral("Normal"), 31, 1550, 155, QDate(2024, 2, 1));
        nomina(1, 2024, 6, QStringLiteral("Normal"), 30, 1500, 150, QDate(2024, 2, 1));
        f = new TfNOMILCON;
        f->DoCreate();
        f->VisualizacionPrevia->setChecked(false);
    }
    ~Dialogo() {
        delete f.data();
        AsignarSeamImpreso(nullptr);
        AsignarSeamDialogos(nullptr);
    }
    void rango() {
        f->DesdeFecha->setText(QStringLiteral("1/1/2024"));
        f->HastaFecha->setText(QStringLiteral("31/12/2024"));
    }
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("contratos.pdf"));
    int impresiones = 0;
    QPointer<TfNOMILCON> f;
};

// Prints into Pdf one page of a shipped contract-document format with every
// column of the work tables at its longest: texts as wide capitals ("W"),
// large numbers, dates, and clauses filling their lines. Answers the sizes of the text columns;
// empty when the format prints other documents.
QHash<QString, int> ImprimirAlMaximo(const QString& Programa, const QString& Pdf) {
    const QString definicion = DefinicionTemporalContratos();
    Dialogo t{Engine::Sqlite};
    TfGENELIMP motor;
    CrearTablaEstructura(fGENEINIC, motor.Temporal, definicion, -1);
    motor.Temporal->Open();
    CrearTablaEstructura(fGENEINIC, motor.LTemporal, DefinicionLTemporalContratos(), -1);
    motor.LTemporal->setIndexFieldNames(
        QStringLiteral("CodigoOperario;CodigoContrato;NumeroContrato;Pagina;Linea"));
    motor.LTemporal->setMasterFields(
        QStringLiteral("CodigoOperario;CodigoContrato;NumeroContrato;Pagina"));
    motor.LTemporal->Open();
    for (const QString& l : LineasProgramaImpreso(Programa)) {
        const QString campo = l.section(QLatin1Char(';'), 3, 3);
        if (l.startsWith(QLatin1String("Camp=")) && !motor.Temporal->FindField(campo) &&
            !motor.LTemporal->FindField(campo))
            return {};
    }
    QHash<QString, int> tamanos;
    auto llenar = [&tamanos](TTable* t) {
        for (int i = 0; i < t->FieldCount(); ++i) {
            TField* f = t->Fields().Fields(i);
            if (f->DataType() == ftString) {
                f->setAsString(QString(f->Size(), QLatin1Char('W')));
                tamanos.insert(f->FieldName(), f->Size());
            } else if (f->DataType() == ftMemo)
                f->setAsString(
                    QStringList(30, QString(70, QLatin1Char('W'))).join(QStringLiteral("\r\n")));
            else if (IsDateTimeType(f->DataType()))
                f->setAsDateTime(QDateTime(QDate(2099, 12, 31), QTime()));
            else if (IsFloatType(f->DataType()))
                f->setAsFloat(9999999.99);
            else
                f->setAsInteger(f->DataType() == ftSmallint ? 9999 : 99999999);
        }
    };
    motor.Temporal->Append();
    llenar(motor.Temporal);
    for (const char* c :
         {"CodigoOperario", "CodigoContrato", "NumeroContrato", "Pagina", "NumeroCopias"})
        motor.Temporal->FieldByName(QLatin1String(c))->setAsInteger(1);
    motor.Temporal->FieldByName(QStringLiteral("CodigoImpreso"))
        ->setAsString(Programa.section(QStringLiteral("Codigo="), 1)
                          .section(QLatin1Char('\n'), 0, 0)
                          .trimmed());
    motor.Temporal->Post();
    for (int linea = 1; linea <= 2; ++linea) {
        motor.LTemporal->Append();
        llenar(motor.LTemporal);
        for (const char* c : {"CodigoOperario", "CodigoContrato", "NumeroContrato", "Pagina"})
            motor.LTemporal->FieldByName(QLatin1String(c))->setAsInteger(1);
        motor.LTemporal->FieldByName(QStringLiteral("Linea"))->setAsInteger(linea);
        motor.LTemporal->Post();
    }
    PrevisualizarImpreso = false;
    motor.Temporal->First();
    AsignarSeamImpreso([&](const QString&) -> QString { return QStringLiteral("PDF:") + Pdf; });
    motor.EjecutarImpreso();
    AsignarSeamImpreso(nullptr);
    return tamanos;
}

}  // namespace

class TestNomiLCon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    // The company's data as long as the company parameters hold it reach
    // every page of the contract, the TA2 and the certificate whole.
    void empresaAlMaximo() {
        for (Engine e : AvailableEngines()) {
            Contratos t(e);
            const QString razon = QString(60, QLatin1Char('R'));
            const QString direccion = QString(60, QLatin1Char('D'));
            const QString nombre = QString(60, QLatin1Char('N'));
            const QString titulo = QString(60, QLatin1Char('T'));
            const QString cif = QString(20, QLatin1Char('9'));
            sql(QStringLiteral("UPDATE PARAGENE SET RazonSocial = '%1', Direccion = '%2', "
                               "NombreRepresentante = '%3', TituloRepresentante = '%4', "
                               "CIFRepresentante = '%5'")
                    .arg(razon, direccion, nombre, titulo, cif));
            t.operario(1, QStringLiteral("GARCIA LOPEZ, ANA"));
            t.contrato(1, 1, 100, QDate(2024, 1, 15), QDate(2024, 3, 31));
            t.rellenar();
            for (int pagina : {1, 2}) {
                QCOMPARE(t.texto(1, 100, pagina, "RazonSocial"), razon);
                QCOMPARE(t.texto(1, 100, pagina, "DireccionEmpresa"), direccion);
                QCOMPARE(t.texto(1, 100, pagina, "NombreRepresentante"), nombre);
                QCOMPARE(t.texto(1, 100, pagina, "TituloRepresentante"), titulo);
                QCOMPARE(t.texto(1, 100, pagina, "CIFRepresentante"), cif);
            }
        }
    }

    // The contract's two pages: employee, company, payroll parameters, keys
    // of the free-form data, clauses, formats from the type or the chosen
    // one, and the previous contract.
    void contrato() {
        for (Engine e : AvailableEngines()) {
            Contratos t(e);
            t.operario(1, QStringLiteral("GARCIA LOPEZ, ANA"), QStringLiteral("1234567Z"),
                       QStringLiteral("HorasDia=8\r\nNombreTS=Pedro Ruiz\r\nGradoMinusvalia=33"));
            t.contrato(1, 1, 401, QDate(2023, 2, 1), QDate(2023, 12, 31), 55);
            t.contrato(1, 2, 100, QDate(2024, 1, 15), QDate(2024, 3, 31));
            t.contrato(1, 3, 999, QDate(2024, 4, 1), QDate());
            t.operario(2, QStringLiteral("SIN CONTRATO, LUIS"));
            t.rellenar();
            QCOMPARE(t.paginas(), 4);
            QCOMPARE(t.texto(1, 100, 1, "NombreOperario"), QStringLiteral("GARCIA LOPEZ, ANA"));
            QCOMPARE(t.texto(1, 100, 1, "NombreCategoria"), QStringLiteral("Oficial"));
            QCOMPARE(t.texto(1, 100, 1, "RazonSocial"), QStringLiteral("TALLERES NORTE SL"));
            QCOMPARE(t.texto(1, 100, 1, "CodigoCuentaCotizacion"), QStringLiteral("281234567890"));
            QCOMPARE(t.texto(1, 100, 1, "RegimenSS"), QStringLiteral("0111"));
            QCOMPARE(t.texto(1, 100, 1, "EntidadAT"), QString());
            QCOMPARE(t.texto(1, 100, 2, "EntidadAT"), QStringLiteral("MUTUA UNO"));
            QCOMPARE(t.texto(1, 100, 1, "HorasDia"), QStringLiteral("8"));
            QCOMPARE(t.texto(1, 100, 1, "NombreTS"), QStringLiteral("Pedro Ruiz"));
            QCOMPARE(t.texto(1, 100, 1, "GradoMinusvalia"), QStringLiteral("33"));
            QCOMPARE(t.texto(1, 100, 2, "NombreTS"), QString());
            QCOMPARE(t.texto(1, 100, 2, "Clausulas"),
                     QStringLiteral("Periodo de prueba de dos meses"));
            QCOMPARE(t.texto(1, 100, 2, "Domicilio"),
                     QStringLiteral("C/ Mayor 1 28001 Madrid Madrid"));
            QCOMPARE(t.texto(1, 100, 2, "PuestoTrabajo"), QStringLiteral("Tornero"));
            QCOMPARE(t.valor(1, 100, 2, "DiasPrevistosDD").toDouble(), 77.0);
            QCOMPARE(t.texto(1, 100, 1, "CodigoImpreso"), QStringLiteral("C1"));
            QCOMPARE(t.texto(1, 100, 2, "CodigoImpreso"), QStringLiteral("C2"));
            // A type without its row takes the chosen format and its second page.
            QCOMPARE(t.texto(1, 999, 1, "CodigoImpreso"), QStringLiteral("Contrato100-1"));
            QCOMPARE(t.texto(1, 999, 2, "CodigoImpreso"), QStringLiteral("Contrato100-2"));
            // An open contract plans no days.
            QCOMPARE(t.valor(1, 999, 2, "DiasPrevistosDD").toDouble(), 0.0);
            QCOMPARE(t.valor(1, 100, 1, "NumeroRegistroContrato").toInt(), 55);
            QCOMPARE(t.texto(1, 100, 1, "DescripcionContratoAnt"), QStringLiteral("Obra"));
            QCOMPARE(t.texto(1, 100, 1, "FechaInicioContratoAnt"), QStringLiteral("01/02/2023"));
            QCOMPARE(t.texto(1, 100, 1, "FechaFinalContratoAnt"), QStringLiteral("31/12/2023"));
            QCOMPARE(t.valor(1, 100, 1, "NumeroCopias").toInt(), 2);
            // The presentation date in March 2024.
            QCOMPARE(t.texto(1, 100, 1, "DiaPresentacion").trimmed(), QStringLiteral("cinco"));
            QCOMPARE(t.texto(1, 100, 1, "MesPresentacion"), QStringLiteral("Marzo"));
            QCOMPARE(t.texto(1, 100, 1, "AnoPresentacion"), QStringLiteral("4"));
            QCOMPARE(t.texto(1, 100, 1, "AnoPresentacion4"), QStringLiteral("2024"));

            // The extension takes the previous contract's start and its end + 1.
            t.datos.Opcion = TDatosContratos::ProrrogaContrato;
            t.datos.FormatoImpreso = QStringLiteral("ProrrogaContrato");
            t.datos.MesesDuracion = QStringLiteral("6");
            t.datos.DuracionInicial = QString();
            t.rellenar();
            QCOMPARE(t.paginas(), 2);
            QCOMPARE(t.valor(1, 100, 1, "TiempoAcumulado").toInt(), 6);
            QCOMPARE(t.texto(1, 100, 1, "FechaInicioProrroga"), QStringLiteral("01/01/2024"));
            QCOMPARE(t.valor(1, 100, 1, "FechaAlta").toDateTime().date(), QDate(2023, 2, 1));
            QCOMPARE(t.texto(1, 100, 1, "CodigoImpreso"), QStringLiteral("ProrrogaContrato"));
        }
    }

    // TA2: registration when the start lies in the range, deregistration
    // when the end does (both: deregistration), nothing otherwise.
    void ta2_data() {
        QTest::addColumn<QDate>("inicio");
        QTest::addColumn<QDate>("fin");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("alta") << QDate(2024, 5, 2) << QDate(2025, 1, 1)
                              << QStringLiteral("X| |ALTA CONTRATO|2/5/2024");
        QTest::newRow("baja") << QDate(2023, 5, 2) << QDate(2024, 6, 30)
                              << QStringLiteral(" |X|BAJA CONTRATO|30/6/2024");
        QTest::newRow("ambas") << QDate(2024, 2, 1) << QDate(2024, 6, 30)
                               << QStringLiteral(" |X|BAJA CONTRATO|30/6/2024");
        QTest::newRow("abierto fuera") << QDate(2023, 5, 2) << QDate() << QString();
        QTest::newRow("abierto dentro")
            << QDate(2024, 7, 1) << QDate() << QStringLiteral("X| |ALTA CONTRATO|1/7/2024");
    }
    void ta2() {
        QFETCH(QDate, inicio);
        QFETCH(QDate, fin);
        QFETCH(QString, esperado);
        for (Engine e : AvailableEngines()) {
            Contratos t(e);
            t.operario(1, QStringLiteral("PEREZ  SANZ GIL, MARIA JOSE"),
                       QStringLiteral("X1234567LA"), QStringLiteral("%RegulacionEmpleo=50"));
            t.contrato(1, 1, 100, inicio, fin);
            t.datos.Opcion = TDatosContratos::TA2;
            t.datos.FormatoImpreso = QStringLiteral("TA2");
            t.rellenar();
            if (esperado.isEmpty()) {
                QCOMPARE(t.paginas(), 0);
                continue;
            }
            QCOMPARE(QStringList({t.texto(1, 100, 1, "Alta"), t.texto(1, 100, 1, "Baja"),
                                  t.texto(1, 100, 1, "Causa"),
                                  QStringLiteral("%1/%2/%3")
                                      .arg(t.texto(1, 100, 1, "DiaAltaBaja"),
                                           t.texto(1, 100, 1, "MesAltaBaja"),
                                           t.texto(1, 100, 1, "AnoAltaBaja"))})
                         .join(QLatin1Char('|')),
                     esperado);
            // A 10-character document is the card; the name is split.
            QCOMPARE(t.texto(1, 100, 1, "TipoDocumentoDNI"), QStringLiteral(" "));
            QCOMPARE(t.texto(1, 100, 1, "TipoDocumentoTarjeta"), QStringLiteral("X"));
            QCOMPARE(t.texto(1, 100, 1, "Nombre"), QStringLiteral("MARIA JOSE"));
            QCOMPARE(t.texto(1, 100, 1, "PrimerApellido"), QStringLiteral("PEREZ"));
            QCOMPARE(t.texto(1, 100, 1, "SegundoApellido"), QStringLiteral("SANZ"));
            QCOMPARE(t.texto(1, 100, 1, "PorcRegulacionEmpleo"), QStringLiteral("50"));
            QCOMPARE(t.valor(1, 100, 1, "AnoNacimiento").toInt(), 1980);
        }
    }

    // The company certificate: payrolls from the latest back until the
    // days asked for, the crossing month prorated, the settlement into the
    // page, arrears into the next line, extra and empty payrolls left out.
    void certificado_data() {
        QTest::addColumn<QString>("dias");
        QTest::addColumn<bool>("ultimo");
        QTest::addColumn<int>("regulacion");
        QTest::addColumn<bool>("otroOperario");
        QTest::addColumn<QStringList>("lineasEsperadas");
        QTest::addColumn<QString>("totales");
        // Settlement 12/2023: 10 days, 400 / 40 on the page.
        // 11/2023 with arrears 50/5 met before it; 10/2023; 9/2023 from an
        // earlier contract; 8/2023 extra; 7/2023 without days.
        QTest::newRow("todo") << QStringLiteral("720") << false << 0 << false
                              << QStringList{QStringLiteral("2023/11 30 1250 125"),
                                             QStringLiteral("2023/10 30 1200 120"),
                                             QStringLiteral("2023/9 30 900 90")}
                              << QStringLiteral("100 3750 375 10 400 40");
        QTest::newRow("prorrateado") << QStringLiteral("50") << false << 0 << false
                                     << QStringList{QStringLiteral("2023/11 30 1250 125"),
                                                    QStringLiteral("2023/10 10 400 40")}
                                     << QStringLiteral("50 2050 205 10 400 40");
        QTest::newRow("ultimo contrato") << QStringLiteral("720") << true << 0 << false
                                         << QStringList{QStringLiteral("2023/11 30 1250 125"),
                                                        QStringLiteral("2023/10 30 1200 120")}
                                         << QStringLiteral("70 2850 285 10 400 40");
        QTest::newRow("dias vacios")
            << QString() << false << 0 << false << QStringList() << QStringLiteral("0 0 0 0 0 0");
        // A second employee's certificate after the first: each line keeps
        // its own employee, type and number, and every line the remarks.
        QTest::newRow("dos certificados")
            << QStringLiteral("720") << false << 0 << true
            << QStringList{QStringLiteral("1-100-1-1 2023/11 30 1250 125 Revisado"),
                           QStringLiteral("1-100-1-2 2023/10 30 1200 120 Revisado"),
                           QStringLiteral("1-100-1-3 2023/9 30 900 90 Revisado"),
                           QStringLiteral("2-401-1-1 2023/11 30 1000 100 Revisado"),
                           QStringLiteral("2-401-1-2 2023/10 15 500 50 Revisado")}
            << QStringLiteral("100 3750 375 10 400 40");

        // Five months of 20 days worked and 10 of employment regulation at
        // 1000 / 100 and 300 / 30: a suspension counts the regulation days,
        // a reduced working day adds only the regulation bases.
        QTest::newRow("regulacion suspension") << QStringLiteral("75") << false << 1 << false
                                               << QStringList{QStringLiteral("2023/11 30 1300 130"),
                                                              QStringLiteral("2023/10 30 1300 130"),
                                                              QStringLiteral("2023/9 15 750 75")}
                                               << QStringLiteral("75 3350 335 0 0 0");
        QTest::newRow("regulacion jornada reducida")
            << QStringLiteral("75") << false << 2 << false
            << QStringList{QStringLiteral("2023/11 20 1300 130"),
                           QStringLiteral("2023/10 20 1300 130"),
                           QStringLiteral("2023/9 20 1300 130"),
                           QStringLiteral("2023/8 15 1050 105")}
            << QStringLiteral("75 4950 495 0 0 0");
    }

    void certificado() {
        QFETCH(QString, dias);
        QFETCH(bool, ultimo);
        QFETCH(int, regulacion);
        QFETCH(bool, otroOperario);
        QFETCH(QStringList, lineasEsperadas);
        QFETCH(QString, totales);
        for (Engine e : AvailableEngines()) {
            Contratos t(e);
            t.operario(1, QStringLiteral("GARCIA LOPEZ, ANA"));
            t.contrato(1, 1, 100, QDate(2022, 6, 1), QDate(2022, 12, 31));
            // A second contract of the same type in the range: one certificate.
            t.contrato(1, 2, 100, QDate(2023, 1, 1), QDate(2023, 12, 10));
            const QDate actual(2023, 1, 1), anterior(2022, 6, 1);
            if (regulacion > 0) {
                for (int mes = 11; mes >= 7; --mes)
                    t.nomina(1, 2023, mes, QStringLiteral("Normal"), 20, 1000, 100, actual, 10);
                sql(
                    QStringLiteral("UPDATE NOMINA SET BaseRegulacionCC = 300, "
                                   "BaseRegulacionAT = 30"));
                sql(QStringLiteral("UPDATE HCONTRAT SET PorcentajeReduccionJornad = %1")
                        .arg(regulacion == 2 ? 50 : 0));
            } else {
                t.nomina(1, 2023, 12, QStringLiteral("Finiquito"), 10, 400, 40, actual);
                t.nomina(1, 2023, 12, QStringLiteral("Atrasos"), 0, 50, 5, actual);
                // Arrears carry no days of their own: give them one so the
                // filter keeps them.
                sql(QStringLiteral(
                    "UPDATE NOMINA SET DiasDeAlta = 1 WHERE TipoNomina = 'Atrasos'"));
                t.nomina(1, 2023, 11, QStringLiteral("Normal"), 30, 1200, 120, actual);
                t.nomina(1, 2023, 10, QStringLiteral("Normal"), 30, 1200, 120, actual);
                t.nomina(1, 2023, 9, QStringLiteral("Normal"), 30, 900, 90, anterior);
                t.nomina(1, 2023, 8, QStringLiteral("Extra"), 30, 700, 70, anterior);
                t.nomina(1, 2023, 7, QStringLiteral("Normal"), 0, 700, 70, anterior);
            }
            t.datos.Opcion = TDatosContratos::CertificadoEmpresa;
            t.datos.FormatoImpreso = QStringLiteral("CertificadoEmpresa");
            t.datos.DesdeFecha = QStringLiteral("1/1/2022");
            t.datos.DiasCertificado = dias;
            t.datos.UltimoContrato = ultimo;
            t.datos.CodigoCausa = QStringLiteral("15");
            t.datos.FechaSuspension = QStringLiteral("10/12/2023");
            if (otroOperario) {
                const QDate inicio(2023, 10, 16);
                t.operario(2, QStringLiteral("RUIZ PEREZ, LUIS"));
                t.contrato(2, 1, 401, inicio, QDate(2023, 12, 31));
                t.nomina(2, 2023, 11, QStringLiteral("Normal"), 30, 1000, 100, inicio);
                t.nomina(2, 2023, 10, QStringLiteral("Normal"), 15, 500, 50, inicio);
                t.datos.Observaciones = QStringLiteral("Revisado");
            }
            t.rellenar();
            QCOMPARE(t.paginas(), otroOperario ? 2 : 1);
            QCOMPARE(t.lineas(otroOperario), lineasEsperadas);
            QCOMPARE(
                QStringList({t.texto(1, 100, 1, "TotalDiasCotizados"),
                             t.texto(1, 100, 1, "TotalBaseCC"), t.texto(1, 100, 1, "TotalBaseAT"),
                             t.texto(1, 100, 1, "DiasCotizados"), t.texto(1, 100, 1, "BaseCC"),
                             t.texto(1, 100, 1, "BaseAT")})
                    .join(QLatin1Char(' ')),
                totales);
            QCOMPARE(t.texto(1, 100, 1, "CodigoCausaSituacionDesempleo"), QStringLiteral("15"));
            QCOMPARE(t.valor(1, 100, 1, "FechaBaja").toDateTime().date(), QDate(2023, 12, 10));
        }
    }

    // A page the engine refuses for a value its column cannot hold (the
    // dialog's checks keep such values out) is told with the engine's
    // reason, never dropped as if there were no data; the fill leaves
    // nothing half written. SQLite holds any number in any column.
    void certificadoRechazado() {
        for (Engine e : AvailableEngines()) {
            Contratos t(e);
            t.operario(1, QStringLiteral("GARCIA LOPEZ, ANA"));
            t.contrato(1, 1, 100, QDate(2023, 1, 1), QDate(2023, 12, 10));
            t.datos.Opcion = TDatosContratos::CertificadoEmpresa;
            t.datos.DesdeFecha = QStringLiteral("1/1/2023");
            t.datos.ReduccionRegulacion = QStringLiteral("1e300");
            if (e == Engine::Sqlite) {
                t.rellenar();
                QCOMPARE(t.paginas(), 1);
                continue;
            }
            try {
                t.rellenar();
                QFAIL("the page was dropped without a word");
            } catch (const EDatabaseError& error) {
                QCOMPARE(MotivoError(error),
                         QStringLiteral("¡ El número es demasiado grande para el campo !. Motivo: "
                                        "numeric field overflow"));
            }
            QCOMPARE(t.paginas(), 0);
        }
    }

    // A caller already inside a transaction keeps it: the fill neither
    // commits nor ends it, so the caller's rollback takes the pages too.
    void transaccionDelLlamador() {
        for (Engine e : AvailableEngines()) {
            Contratos t(e);
            t.operario(1, QStringLiteral("GARCIA LOPEZ, ANA"));
            t.contrato(1, 1, 401, QDate(2024, 2, 1), QDate(2024, 7, 31));
            t.nomina(1, 2024, 6, QStringLiteral("Normal"), 30, 1500, 150, QDate(2024, 2, 1));
            t.datos.Opcion = TDatosContratos::CertificadoEmpresa;
            TDatabase* base = t.temporal.Database();
            base->StartTransaction();
            t.rellenar();
            QVERIFY(base->InTransaction());
            QCOMPARE(t.paginas(), 1);
            QCOMPARE(t.lineas(), QStringList{QStringLiteral("2024/6 30 1500 150")});
            base->Rollback();
            QCOMPARE(t.paginas(), 0);
        }
    }

    // A company where the categories were never opened (a fresh
    // installation) gets the table made and the contract filled. While
    // another program holds the database the print stops before filling,
    // the clerk told that the database is busy, and the program goes on.
    void tablaSinCrear() {
        for (Engine e : AvailableEngines()) {
            Contratos t(e);
            t.operario(1, QStringLiteral("GARCIA LOPEZ, ANA"));
            t.contrato(1, 1, 401, QDate(2024, 2, 1), QDate(2024, 7, 31));
            sql(QStringLiteral("DROP TABLE CATEGORI"));
            {
                OtroPrograma otro(t.inst);
                otro.Retener({QStringLiteral("CATEGORI")});
                MessageSeam::clearLog();
                QVERIFY_THROWS_EXCEPTION(EAbort, t.rellenar());
                QCOMPARE(TextosMostrados(),
                         QStringList{QStringLiteral(
                             "¡ Error creando la tabla CATEGORI !. Motivo: ¡ La base de datos está "
                             "ocupada por otro usuario !. Inténtelo de nuevo dentro de unos "
                             "momentos.")});
                QVERIFY(!TerminacionSolicitada());
                QCOMPARE(t.paginas(), 0);
            }
            t.rellenar();
            QCOMPARE(t.paginas(), 2);
            QCOMPARE(t.texto(1, 401, 1, "NombreOperario"), QStringLiteral("GARCIA LOPEZ, ANA"));
            QCOMPARE(t.texto(1, 401, 1, "NombreCategoria"), QString());
        }
    }

    // The dialog's defaults, and what each option sets: copies, Top,
    // panels and the proposed shipped format.
    void dialogo() {
        for (Engine e : AvailableEngines()) {
            Dialogo t(e);
            TfNOMILCON* f = t.f;
            const QDate hoy = QDate::currentDate();
            QCOMPARE(f->DesdeOperario->Text(), QStringLiteral("0"));
            QCOMPARE(f->HastaOperario->Text(), QStringLiteral("9999"));
            QCOMPARE(TextoAFechaHora(f->DesdeFecha->Text()).date(),
                     QDate(hoy.year(), hoy.month(), 1));
            QCOMPARE(TextoAFechaHora(f->HastaFecha->Text()).date(),
                     QDate(hoy.year(), hoy.month(), hoy.daysInMonth()));
            QCOMPARE(f->NumeroCopias->Text(), QStringLiteral("2"));
            QCOMPARE(f->EditNumeroTrabajadores->Text(), QStringLiteral("0"));
            QCOMPARE(f->EditFormatoImpreso->KeyValue().toString(), QStringLiteral("Contrato100-1"));
            QCOMPARE(f->Top(), 0);
            struct Caso {
                void (TfNOMILCON::*click)();
                int top;
                const char* copias;
                bool panel3, panel4;
                const char* formato;
            };
            const Caso casos[] = {
                {&TfNOMILCON::TA2Click, 304, "2", false, false, "TA2"},
                {&TfNOMILCON::CertificadoEmpresaClick, 104, "2", false, true, "CertificadoEmpresa"},
                {&TfNOMILCON::CertificadoEmpresaClick, 0, "2", false, true, "CertificadoEmpresa"},
                {&TfNOMILCON::ProrrogaContratoClick, 304, "3", true, false, "ProrrogaContrato"},
                {&TfNOMILCON::ContratosClick, 304, "3", false, false, "Contrato100-1"}};
            for (const Caso& c : casos) {
                (f->*c.click)();
                QCOMPARE(f->Top(), c.top);
                QCOMPARE(f->NumeroCopias->Text(), QLatin1String(c.copias));
                QCOMPARE(f->Panel3->isVisibleTo(f), c.panel3);
                QCOMPARE(f->Panel4->isVisibleTo(f), c.panel4);
                QCOMPARE(f->EditFormatoImpreso->KeyValue().toString(), QLatin1String(c.formato));
            }
            // The opener's presets: codes, then dates.
            f->setProperty("OperarioDesdeContratos", 1);
            f->setProperty("OperarioHastaContratos", 1);
            f->setProperty("FechaDesdeContratos", QDateTime(QDate(2024, 2, 1), QTime()));
            f->setProperty("FechaHastaContratos", QDateTime(QDate(2024, 2, 1), QTime()));
            QCOMPARE(f->DesdeOperario->Text(), QStringLiteral("1"));
            QCOMPARE(TextoAFechaHora(f->HastaFecha->Text()).date(), QDate(2024, 2, 1));
        }
    }

    // The certificate's boxes shown whole in the window as it opens: every
    // caption readable and every date box wide enough for a date.
    void panelCertificado() {
        Dialogo t(Engine::Sqlite);
        t.f->show();
        t.f->CertificadoEmpresa->setChecked(true);
        t.f->CertificadoEmpresaClick();
        QCoreApplication::processEvents();
        const int fecha = t.f->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000"));
        for (TEdit* e : t.f->Panel4->findChildren<TEdit*>())
            QVERIFY2(e->width() >= fecha, qPrintable(e->objectName()));
        for (TLabel* l : t.f->Panel4->findChildren<TLabel*>())
            QVERIFY2(l->width() >= l->sizeHint().width() &&
                         l->geometry().right() <= t.f->Panel4->contentsRect().right(),
                     qPrintable(l->Caption()));
    }

    // Cause 15 of the list fills the code and the whole text after "15-".
    void causa() {
        Dialogo t(Engine::Sqlite);
        AlMostrarse<TfGENESELE>([](TfGENESELE* d) {
            d->ListBox1->setCurrentRow(14);
            d->pbAceptar->Click();
        });
        t.f->EditCodigoCausaDblClick();
        QCOMPARE(t.f->EditCodigoCausa->Text(), QStringLiteral("15"));
        QCOMPARE(t.f->CausaSituacionDesempleo->Text(),
                 QStringLiteral("Fin o interrupción de la actividad de los trabajadores "
                                "fijos-discontinuos"));
    }

    // Bad entries show their messages and print nothing: the required
    // boxes in order up to the first bad one, then every bad optional box,
    // the part-time rows all together; emptied number boxes count as 0.
    void entradasIncorrectas_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QStringList>("cajas");
        QTest::addColumn<QStringList>("mensajes");
        const QString fecha = QStringLiteral("¡La fecha de %1 es incorrecta! Repita por favor");
        const QString valor = QStringLiteral("¡El valor de %1 es incorrecto! Repita por favor");
        const int sqlite = int(Engine::Sqlite);
        const QString desde = fecha.arg(QStringLiteral("Fecha desde Contratos a Tiempo Parcial"));
        QTest::newRow("desde fecha") << sqlite << QStringList{"DesdeFecha=31/02/2024"}
                                     << QStringList{fecha.arg(QStringLiteral("Desde Fecha"))};
        QTest::newRow("operario") << sqlite << QStringList{"HastaOperario=x"}
                                  << QStringList{valor.arg(QStringLiteral("Hasta Operario"))};
        QTest::newRow("copias") << sqlite << QStringList{"NumeroCopias="}
                                << QStringList{valor.arg(QStringLiteral("Número Copias"))};
        QTest::newRow("parciales")
            << sqlite
            << QStringList{"EditDiasDesdeContratosTiempoParcial2=40/1/2024",
                           "EditReduccionCuidados=diez"}
            << QStringList{desde,
                           valor.arg(QStringLiteral("Porcentaje Cuidado de hijos o familiares"))};
        QTest::newRow("orden")
            << sqlite
            << QStringList{"HastaFecha=x",
                           "NumeroCopias=x",
                           "EditDiasTramitacionAl=x",
                           "EditDiasContratosTiempoParcial4=x",
                           "EditDiasHastaContratosTiempoParcial1=x",
                           "EditDiasDesdeContratosTiempoParcial3=x",
                           "EditDiasDesdeContratosTiempoParcial1=x",
                           "EditFechaSuspension=x"}
            << QStringList{fecha.arg(QStringLiteral("Hasta Fecha")),
                           desde,
                           desde,
                           fecha.arg(QStringLiteral("Fecha hasta Contratos a Tiempo Parcial")),
                           valor.arg(QStringLiteral("Días Contratos a Tiempo Parcial")),
                           fecha.arg(QStringLiteral("Fecha suspensión/extinción")),
                           fecha.arg(QStringLiteral("Fecha hasta tramitación"))};
        // Numbers their column cannot hold, on every engine alike: the message
        // before anything is printed.
        const QString fuera = QStringLiteral(
            "¡El valor de %1 es incorrecto! Debe estar entre %2 y %3. Repita por favor");
        const QString cifras = QStringLiteral(
            "¡El valor de %1 es incorrecto! Debe tener como máximo 20 cifras enteras. Repita por "
            "favor");
        for (Engine e : AvailableEngines()) {
            const QByteArray n = EngineTag(e).toLatin1();
            QTest::newRow(QByteArray(n + " dias parciales").constData())
                << int(e) << QStringList{"EditDiasContratosTiempoParcial1=32768"}
                << QStringList{fuera.arg(QStringLiteral("Días Contratos a Tiempo Parcial"),
                                         QStringLiteral("-32768"), QStringLiteral("32767"))};
            QTest::newRow(QByteArray(n + " dias tramitacion").constData())
                << int(e) << QStringList{"EditNumDiasTramitacion=40000"}
                << QStringList{
                       fuera.arg(QStringLiteral("Número de días de salarios de tramitación"),
                                 QStringLiteral("-32768"), QStringLiteral("32767"))};
            QTest::newRow(QByteArray(n + " porcentaje").constData())
                << int(e) << QStringList{"EditReduccionRegulacion=1e300"}
                << QStringList{
                       cifras.arg(QStringLiteral("Porcentaje Expediente de Regulación de Empleo"))};
            QTest::newRow(QByteArray(n + " todos a la vez").constData())
                << int(e)
                << QStringList{"EditDiasContratosTiempoParcial1=-32769",
                               "EditReduccionCuidados=-1e20", "EditNumDiasTramitacion=32767",
                               "EditReduccionRegulacion=9,99e19"}
                << QStringList{fuera.arg(QStringLiteral("Días Contratos a Tiempo Parcial"),
                                         QStringLiteral("-32768"), QStringLiteral("32767")),
                               cifras.arg(QStringLiteral("Porcentaje Cuidado de hijos o "
                                                         "familiares"))};
        }
    }

    void entradasIncorrectas() {
        QFETCH(int, engine);
        QFETCH(QStringList, cajas);
        QFETCH(QStringList, mensajes);
        Dialogo t{Engine(engine)};
        t.rango();
        // The certificate is the document that stores its boxes.
        t.f->CertificadoEmpresa->setChecked(true);
        t.f->CertificadoEmpresaClick();
        t.f->EditReduccionCuidados->setText(QStringLiteral("0"));
        for (const QString& c : cajas)
            t.f->findChild<TEdit*>(c.section(QLatin1Char('='), 0, 0))
                ->setText(c.section(QLatin1Char('='), 1));
        MessageSeam::clearLog();
        t.f->pbListarClick();
        QCOMPARE(TextosMostrados(), mensajes);
        QCOMPARE(t.impresiones, 0);
        QVERIFY(!t.f->Listando);
    }

    // A close asked for while the preview of a listing is open is refused;
    // once the listing is over the window closes.
    void cierreDuranteListado() {
        Dialogo t(Engine::Sqlite);
        t.rango();
        t.f->VisualizacionPrevia->setChecked(true);
        bool listando = false;
        AlMostrarse<TfGENELIMP>([&](TfGENELIMP* v) {
            t.f->Close();
            listando = t.f && t.f->Listando;
            v->Close();
        });
        t.f->pbListarClick();
        QVERIFY(listando);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(t.f);
        QVERIFY(!t.f->Listando);
        t.f->Close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(t.f.isNull());
    }

    // Each option printed with the shipped formats: the PDF holds the
    // employee, the company, every clause and the certificate's totals; the
    // amounts carried to the next page and the final ones with two decimals;
    // clauses the format would cut are told before printing.
    void imprimir_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("opcion");
        QTest::addColumn<int>("contratos");
        QTest::addColumn<int>("clausulas");
        QTest::addColumn<int>("nominas");
        QTest::addColumn<int>("paginas");
        QTest::addColumn<QStringList>("textos");
        QTest::addColumn<QStringList>("avisos");
        QStringList doce;
        for (int i = 1; i <= 12; ++i) doce << QStringLiteral("Cláusula %1.").arg(i);
        for (Engine e : AvailableEngines()) {
            const QByteArray n = EngineTag(e).toLatin1();
            QTest::newRow(QByteArray(n + " contrato").constData())
                << int(e) << 0 << 1 << 0 << 0 << 2
                << QStringList{"CONTRATO DE TRABAJO", "GARCIA LOPEZ, ANA", "TALLERES NORTE SL",
                               "Periodo de prueba de dos meses"}
                << QStringList();
            QTest::newRow(QByteArray(n + " contrato de 12 cláusulas").constData())
                << int(e) << 0 << 1 << 12 << 0 << 2 << doce << QStringList();
            QTest::newRow(QByteArray(n + " ta2").constData())
                << int(e) << 1 << 1 << 0 << 0 << 1
                << QStringList{"TA2", "GARCIA LOPEZ, ANA", "BAJA CONTRATO", "TALLERES NORTE SL"}
                << QStringList();
            QTest::newRow(QByteArray(n + " certificado").constData())
                << int(e) << 2 << 1 << 0 << 0 << 1
                << QStringList{"CERTIFICADO DE EMPRESA", "GARCIA LOPEZ, ANA", "TALLERES NORTE SL",
                               "1.550,00", "Totales 61 3.050,00 305,00"}
                << QStringList();
            QTest::newRow(QByteArray(n + " certificado de 36 nóminas").constData())
                << int(e) << 2 << 1 << 0 << 36 << 2
                << QStringList{"Suma y sigue 600 24.691,20 2.469,00",
                               "Totales 1.080 44.444,16 4.444,20"}
                << QStringList();
            QTest::newRow(QByteArray(n + " prorroga").constData())
                << int(e) << 3 << 1 << 0 << 0 << 1
                << QStringList{"PRÓRROGA DE CONTRATO", "GARCIA LOPEZ, ANA", "TALLERES NORTE SL"}
                << QStringList();
            // Two contracts of one type in the range: a document for each.
            QTest::newRow(QByteArray(n + " dos contratos del mismo tipo").constData())
                << int(e) << 0 << 2 << 0 << 0 << 4 << QStringList{"01/02/2024", "01/08/2024"}
                << QStringList();
            QTest::newRow(QByteArray(n + " ta2 de dos contratos del mismo tipo").constData())
                << int(e) << 1 << 2 << 0 << 0 << 2
                << QStringList{"Mes 7 Año 2024", "Mes 12 Año 2024"} << QStringList();
            // The certificate is one per employee and type: the last contract's.
            QTest::newRow(
                QByteArray(n + " certificado de dos contratos del mismo tipo").constData())
                << int(e) << 2 << 2 << 0 << 0 << 1 << QStringList{"CERTIFICADO DE EMPRESA"}
                << QStringList();
        }
        QTest::newRow("contrato de 40 cláusulas")
            << int(Engine::Sqlite) << 0 << 1 << 40 << 0 << 2 << QStringList{"Cláusula 30."}
            << QStringList{QStringLiteral(
                   "¡Las cláusulas de estos contratos no caben en su impreso y se imprimirán "
                   "cortadas!\r\nOperario 1 GARCIA LOPEZ, ANA, contrato 401 del 01/02/2024: las "
                   "cláusulas necesitan 40 líneas y el impreso Contrato100-2 imprime 30.")};
    }
    void imprimir() {
        QFETCH(int, engine);
        QFETCH(int, opcion);
        QFETCH(int, contratos);
        QFETCH(int, clausulas);
        QFETCH(int, nominas);
        QFETCH(int, paginas);
        QFETCH(QStringList, textos);
        QFETCH(QStringList, avisos);
        Dialogo t{Engine(engine)};
        for (int i = 2; i <= contratos; ++i)
            t.contrato(1, i, 401, QDate(2024, 8, 1), QDate(2024, 12, 31));
        if (clausulas > 0) {
            QStringList texto;
            for (int i = 1; i <= clausulas; ++i)
                texto << QStringLiteral(
                             "Cláusula %1. El trabajador prestará sus servicios con la "
                             "diligencia debida en el centro de trabajo de la empresa.")
                             .arg(i);
            sql(QStringLiteral("UPDATE HCONTRAT SET Clausulas = '%1'")
                    .arg(texto.join(QStringLiteral("\r\n"))));
        }
        if (nominas > 0) {
            // Monthly payrolls back from 7/2024, all of this contract.
            sql(QStringLiteral("DELETE FROM NOMINA"));
            for (int i = 0; i < nominas; ++i) {
                const QDate mes = QDate(2024, 7, 1).addMonths(-i);
                t.nomina(1, mes.year(), mes.month(), QStringLiteral("Normal"), 30, 1234.56, 123.45,
                         QDate(2024, 2, 1));
            }
            t.f->DiasCertificado->setText(QString::number(nominas * 30));
        }
        void (TfNOMILCON::*clicks[])() = {&TfNOMILCON::ContratosClick, &TfNOMILCON::TA2Click,
                                          &TfNOMILCON::CertificadoEmpresaClick,
                                          &TfNOMILCON::ProrrogaContratoClick};
        QRadioButton* radios[] = {t.f->Contratos, t.f->TA2, t.f->CertificadoEmpresa,
                                  t.f->ProrrogaContrato};
        radios[opcion]->setChecked(true);
        (t.f->*clicks[opcion])();
        t.rango();
        t.f->pbListarClick();
        QCOMPARE(t.impresiones, 1);
        QCOMPARE(TextosMostrados(), avisos);
        const QString texto = TextoPdfMaquetado(t.pdf).simplified();
        for (const QString& s : textos) QVERIFY2(texto.contains(s), qPrintable(s + "\n" + texto));
        // Every caption of the option's formats is read back whole.
        const char* const formatos[][2] = {{"Contrato100-1", "Contrato100-2"},
                                           {"TA2", nullptr},
                                           {"CertificadoEmpresa", nullptr},
                                           {"ProrrogaContrato", nullptr}};
        for (const char* formato : formatos[opcion]) {
            if (!formato) continue;
            QString programa;
            QVERIFY(ReadTextFile(CarpetaDatosFuente() + QStringLiteral("/impresos/") +
                                     QLatin1String(formato) + QStringLiteral(".TXT"),
                                 programa));
            // The carried sums print only at a page break.
            programa = programa.section(QStringLiteral("[PIESUMAYSIGUE]"), 0, 0) +
                       programa.section(QStringLiteral("[PIE]"), 1);
            for (const QString& l : LineasProgramaImpreso(programa)) {
                if (!l.startsWith(QLatin1String("Text="))) continue;
                const QString rotulo = LeerMarcado(l.section(QLatin1Char(';'), 3, 3)).Texto;
                QVERIFY2(texto.contains(rotulo.simplified()), qPrintable(rotulo));
            }
        }
        QCOMPARE(PaginasPdf(t.pdf), paginas * t.f->NumeroCopias->Text().toInt());
    }

    // Every caption of every shipped format is words a reader understands,
    // never a field's run-together identifier, and fits its box at every
    // resolution a document is laid out at.
    void formatosInstalados_data() {
        QTest::addColumn<QString>("archivo");
        const QDir fuente(CarpetaDatosFuente() + QStringLiteral("/impresos"));
        for (const QString& a : fuente.entryList(QDir::Files))
            QTest::newRow(qPrintable(a)) << fuente.filePath(a);
    }
    void formatosInstalados() {
        QFETCH(QString, archivo);
        QString programa;
        QVERIFY(ReadTextFile(archivo, programa));
        const QStringList lineas = LineasProgramaImpreso(programa);
        auto argumentos = [](const QString& l) {
            return l.section(QLatin1Char('='), 1, 1).split(QLatin1Char(';'));
        };
        const QRegularExpression identificador(QStringLiteral("^[A-Z][a-z]+[A-Z][A-Za-z0-9]*$"));
        QString fuente = QStringLiteral("Arial");
        double puntos = 10;
        bool negrita = false;
        int rotulos = 0;
        for (const QString& l : lineas) {
            const QStringList a = argumentos(l);
            if (l.startsWith(QLatin1String("Font="))) {
                fuente = a.value(0);
                puntos = a.value(1).toDouble();
                negrita = a.value(3).contains(QLatin1String("Negrita"));
            }
            if (!l.startsWith(QLatin1String("Text="))) continue;
            const QString rotulo = LeerMarcado(a.value(3)).Texto.trimmed();
            QVERIFY2(!rotulo.isEmpty(), qPrintable(l));
            QVERIFY2(!identificador.match(rotulo).hasMatch(), qPrintable(l));
            const double ancho = a.value(2).toDouble();
            if (ancho > 0)
                QVERIFY2(LineasMemoImpresas(a.value(3), fuente, puntos, negrita, ancho) == 1,
                         qPrintable(l));
            ++rotulos;
        }
        QVERIFY(rotulos > 0);

        // Printed with every value at its longest, each prints whole in its
        // box, on one line or wrapped to the lines the box gives it; no word
        // covers another or a rule, and none leaves the page.
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("maximo.pdf"));
        const QHash<QString, int> tamanos = ImprimirAlMaximo(programa, pdf);
        if (tamanos.isEmpty()) return;
        QCOMPARE(PaginasPdf(pdf), 1);
        const QList<Palabra> palabras = PalabrasPdf(pdf);
        const double mm = 72 / 25.4;
        const QStringList margenes = programa.section(QStringLiteral("Margenes="), 1)
                                         .section(QLatin1Char('\n'), 0, 0)
                                         .trimmed()
                                         .split(QLatin1Char(';'));
        const QPointF origen(margenes.value(0).toDouble() * mm, margenes.value(1).toDouble() * mm);
        for (qsizetype i = 0; i < palabras.size(); ++i) {
            const QRectF& c = palabras[i].caja;
            QVERIFY2(c.left() >= 0 && c.right() <= 595.3 && c.bottom() <= 841.9,
                     qPrintable(palabras[i].texto));
            for (qsizetype k = i + 1; k < palabras.size(); ++k)
                QVERIFY2(!c.adjusted(0.3, 0.3, -0.3, -0.3).intersects(palabras[k].caja),
                         qPrintable(palabras[i].texto + QLatin1Char('|') + palabras[k].texto));
        }
        auto numero = [&](const char* clave) {
            return programa.section(QLatin1String(clave), 1)
                .section(QLatin1Char('\n'), 0, 0)
                .trimmed()
                .toDouble();
        };
        int valores = 0;
        QString seccion;
        for (const QString& l : lineas) {
            if (l.startsWith(QLatin1Char('['))) seccion = l;
            if (seccion == QLatin1String("[PIESUMAYSIGUE]")) continue;  // one page: no carry
            const QStringList a = argumentos(l);
            if (l.startsWith(QLatin1String("Line=")) && a.value(1) == a.value(3)) {
                const double y = origen.y() + a.value(1).toDouble() * mm;
                for (const Palabra& p : palabras)
                    QVERIFY2(p.caja.top() + 0.3 >= y || p.caja.bottom() - 0.3 <= y,
                             qPrintable(l + QLatin1Char(' ') + p.texto));
            }
            if (!l.startsWith(QLatin1String("Camp=")) || !tamanos.contains(a.value(3))) continue;
            const bool cuerpo = seccion == QLatin1String("[LINEAS]");
            for (int linea = 1; linea <= (cuerpo ? 2 : 1); ++linea) {
                double y = a.value(1).toDouble();
                if (cuerpo) y += numero("InicioLineas=") + (linea - 1) * numero("AlturaLinea=");
                const int renglones = qMax(1, a.value(4).toInt());
                const QRectF caja(origen.x() + a.value(0).toDouble() * mm - 0.5,
                                  origen.y() + y * mm - 0.5, a.value(2).toDouble() * mm + 1,
                                  renglones * 2.9 * mm + 1);
                QList<Palabra> dentro;
                for (const Palabra& p : palabras)
                    if (caja.contains(p.caja.center())) dentro.append(p);
                std::sort(dentro.begin(), dentro.end(), [](const Palabra& x, const Palabra& y) {
                    return qRound(x.caja.top()) != qRound(y.caja.top())
                               ? x.caja.top() < y.caja.top()
                               : x.caja.left() < y.caja.left();
                });
                QString leido;
                for (const Palabra& p : dentro) {
                    // A text cut at its box still reads whole: it must end inside.
                    QVERIFY2(caja.contains(p.caja), qPrintable(l));
                    leido += p.texto;
                }
                QCOMPARE(
                    leido + QLatin1Char(' ') + l,
                    QString(tamanos.value(a.value(3)), QLatin1Char('W')) + QLatin1Char(' ') + l);
                ++valores;
            }
        }
        QVERIFY(valores > 0);
    }

    // The personnel master's print button: set last, the flag prints the
    // current contract without preview and the window closes itself.
    void imprimirDirectamente() {
        Dialogo t(Engine::Sqlite);
        t.f->VisualizacionPrevia->setChecked(true);
        t.f->setProperty("OperarioDesdeContratos", 1);
        t.f->setProperty("OperarioHastaContratos", 1);
        t.f->setProperty("FechaDesdeContratos", QDateTime(QDate(2024, 2, 1), QTime()));
        t.f->setProperty("FechaHastaContratos", QDateTime(QDate(2024, 2, 1), QTime()));
        t.f->setProperty("ImprimirDirectamenteContratos", true);
        QCOMPARE(t.impresiones, 0);
        // The queued print runs once the opener has returned.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(t.f.isNull());
        QCOMPARE(t.impresiones, 1);
        QVERIFY(TextoPdfMaquetado(t.pdf).contains(QLatin1String("GARCIA LOPEZ, ANA")));
    }

    // Vacation days not taken: from the vacation year's start (or the
    // contract's, when later) to the contract's end; an open contract owes none.
    void vacaciones() {
        for (Engine e : AvailableEngines()) {
            Contratos t(e);
            for (QDate d(2023, 1, 1); d <= QDate(2023, 6, 30); d = d.addDays(1))
                sql(QStringLiteral("INSERT INTO CALENDAR (Codigo, Fecha) VALUES (1, %1)")
                        .arg(fecha(d)));
            // 1/1/2023 to 30/6/2023: 181 days, 14,88 earned, 2 taken in 3/2023.
            t.operario(1, QStringLiteral("GARCIA LOPEZ, ANA"));
            t.contrato(1, 1, 100, QDate(2023, 1, 1), QDate(2023, 6, 30));
            t.nomina(1, 2023, 3, QStringLiteral("Normal"), 30, 0, 0);
            sql(QStringLiteral("UPDATE NOMINA SET DiasDeVacaciones = 2"));
            QCOMPARE(DiasVacacionesNoDisfrutadas(1, 1, QDateTime(QDate(2022, 6, 1), QTime()),
                                                 QDateTime(QDate(2023, 6, 30), QTime())),
                     12.88);
            QCOMPARE(DiasVacacionesNoDisfrutadas(1, 1, QDateTime(QDate(2023, 4, 1), QTime()),
                                                 QDateTime(QDate(2023, 6, 30), QTime())),
                     7.48);
            QCOMPARE(DiasVacacionesNoDisfrutadas(1, 1, QDateTime(QDate(2023, 4, 1), QTime()),
                                                 ZeroDateTime()),
                     0.0);
        }
    }
};

QTEST_MAIN(TestNomiLCon)
#include "tst_nomilcon.moc"
