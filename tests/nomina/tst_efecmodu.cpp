// The bills and accounting data modules: created with the payroll module
// without a word on a company that holds none of their tables (and creating
// none), and their routines on the tables when a company has them.

#include <QPointer>
#include <QtTest>

#include "db/database.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "nomina/contmodu.h"
#include "nomina/efecmodu.h"
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

void sql(const QString& s) {
    QCOMPARE(Sql(s), QString());
}

bool existe(const char* tabla) {
    return BaseDatosSelector(QStringLiteral("Database"))->TableExists(QLatin1String(tabla));
}

}  // namespace

class TestEfecModu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sinTablasNiMensajes_data() { AddEngineRows(); }
    void sinTablasNiMensajes() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        CrearTablasPersonalPrueba();
        CrearModulosNomina();
        QVERIFY(MDNominas && MDEfectos && MDContabilidad);
        QCOMPARE(MDNominas->parent(), &modulo);
        QVERIFY(MessageSeam::log().isEmpty());
        for (const char* t : {"PARAEFEC", "FACTURA", "COBRO", "PAGO", "PARACONT", "CUENTA"})
            QVERIFY2(!existe(t), t);
        // The payroll tables are created from the dictionary.
        QVERIFY(existe("NOMINA") && existe("HCONTRAT") && existe("BAJA"));

        // Their routines answer empty.
        QVariant direccion;
        MDEfectos->DireccionPagoDocumento(QStringLiteral("430/2005/7"), direccion);
        QCOMPARE(direccion.toStringList(), QStringList(6));
        QVERIFY(!MDEfectos->EsPagoDeFacturaEmitida(1, 2, 3));
        QVERIFY(!MDContabilidad->EsCuentaDeGrupo(QStringLiteral("43")));
        QCOMPARE(MDContabilidad->TipoCampoTablaDestino, QStringLiteral("ftString"));
        QVERIFY(MessageSeam::log().isEmpty());

        // A company change builds new ones; freeing them clears the globals.
        TMDNominas* anterior = MDNominas;
        QPointer<TMDNominas> vigilado(anterior);
        CrearModulosNomina();
        QVERIFY(!vigilado);
        QVERIFY(MDNominas);
        LiberarModulosNomina();
        QVERIFY(!MDNominas && !MDEfectos && !MDContabilidad);
    }

    void conTablasDeLaEmpresa() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        TModuloDatos modulo;
        CrearTablaPrueba(QStringLiteral("PARACONT"),
                         {{QStringLiteral("IdRegistro"), ftSmallint, 0, true},
                          {QStringLiteral("DigitosCuentas"), ftSmallint, 0, false},
                          {QStringLiteral("NombreTablaDestino"), ftString, 30, false},
                          {QStringLiteral("NombreTablaDestino2"), ftString, 30, false}},
                         {QStringLiteral("IdRegistro")});
        sql(QStringLiteral("INSERT INTO PARACONT VALUES (1, 4, 'CALENDAR', 'NOEXISTE')"));
        CrearTablaPrueba(QStringLiteral("CUENTA"),
                         {{QStringLiteral("Codigo"), ftString, 12, true},
                          {QStringLiteral("Titulo"), ftString, 40, false},
                          {QStringLiteral("RazonSocial"), ftString, 40, false},
                          {QStringLiteral("Direccion"), ftString, 40, false},
                          {QStringLiteral("CodigoPostal"), ftString, 10, false},
                          {QStringLiteral("Poblacion"), ftString, 40, false},
                          {QStringLiteral("Provincia"), ftString, 40, false}},
                         {QStringLiteral("Codigo")});
        for (const char* c : {"43", "430", "4300", "43000001"})
            sql(QStringLiteral("INSERT INTO CUENTA (Codigo, Titulo, Poblacion) VALUES ('%1', "
                               "'Cuenta %1', 'Lugo')")
                    .arg(QLatin1String(c)));
        // The lookups open in order; a missing one ends the module's opening.
        for (const char* t : {"DIARIO", "CONCEPTO", "MASCARA"})
            CrearTablaPrueba(QLatin1String(t), {{QStringLiteral("Codigo"), ftString, 10, true}},
                             {QStringLiteral("Codigo")});
        CrearTablaPrueba(QStringLiteral("COBRO"),
                         {{QStringLiteral("Ejercicio"), ftSmallint, 0, true},
                          {QStringLiteral("NumeroEfecto"), ftInteger, 0, true},
                          {QStringLiteral("NumeroOrden"), ftSmallint, 0, true},
                          {QStringLiteral("CodigoCuenta"), ftString, 12, false}},
                         {QStringLiteral("Ejercicio"), QStringLiteral("NumeroEfecto"),
                          QStringLiteral("NumeroOrden")});
        sql(QStringLiteral("INSERT INTO COBRO VALUES (2005, 7, 1, '43000001')"));
        CrearTablaPrueba(QStringLiteral("PAGO"),
                         {{QStringLiteral("Ejercicio"), ftSmallint, 0, true},
                          {QStringLiteral("NumeroEfecto"), ftInteger, 0, true},
                          {QStringLiteral("NumeroOrden"), ftSmallint, 0, true},
                          {QStringLiteral("Importe"), ftFloat, 0, false}},
                         {QStringLiteral("Ejercicio"), QStringLiteral("NumeroEfecto"),
                          QStringLiteral("NumeroOrden")});
        sql(QStringLiteral("INSERT INTO PAGO VALUES (2005, 1, 100, 50)"));
        sql(QStringLiteral("INSERT INTO PAGO VALUES (2005, 2, 99, 50)"));
        sql(QStringLiteral("INSERT INTO PAGO VALUES (2005, 3, 100, -50)"));

        TMDEfectos efectos;
        TMDContabilidad contabilidad;
        QVERIFY(MessageSeam::log().isEmpty());

        // Posting accounts have DigitosCuentas characters or more.
        QVERIFY(contabilidad.EsCuentaDeGrupo(QStringLiteral("430")));
        QVERIFY(!contabilidad.EsCuentaDeGrupo(QStringLiteral("4300")));
        QCOMPARE(contabilidad.LUGrupo->RecordCount(), 2);
        QCOMPARE(contabilidad.LUSoloCuenta->RecordCount(), 2);
        // The destination tables' first columns as the dictionary types them.
        QCOMPARE(contabilidad.TipoCampoTablaDestino, QStringLiteral("ftSmallint"));
        QCOMPARE(contabilidad.TipoCampoTablaDestino2, QStringLiteral("ftString"));

        QVariant direccion;
        efectos.DireccionPagoDocumento(QStringLiteral("2005/7/1"), direccion);
        QCOMPARE(direccion.toStringList(),
                 (QStringList{"Cuenta 43000001", "", "", "", "Lugo", ""}));
        efectos.DireccionPagoDocumento(QStringLiteral("2005/8/1"), direccion);
        QCOMPARE(direccion.toStringList(), QStringList(6));

        QVERIFY(efectos.EsPagoDeFacturaEmitida(2005, 1, 100));
        QVERIFY(!efectos.EsPagoDeFacturaEmitida(2005, 2, 99));
        QVERIFY(!efectos.EsPagoDeFacturaEmitida(2005, 3, 100));
        QVERIFY(!efectos.EsPagoDeFacturaEmitida(2005, 9, 100));
        QVERIFY(MessageSeam::log().isEmpty());
    }
};

QTEST_MAIN(TestEfecModu)
#include "tst_efecmodu.moc"
