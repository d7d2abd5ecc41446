// The data module on empty and filled databases: the first administrator,
// the numeric templates, tax rates and base currency, and what happens with
// no company chosen.

#include <QtTest>

#include "db/database.h"
#include "db/datasource.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

OpcionesInstalacion conEmpresa(int codigo) {
    OpcionesInstalacion o;
    o.empresaActual = codigo;
    return o;
}

QString sql(const QString& sentencia, const QString& selector = QStringLiteral("Database")) {
    QString r;
    EjecutarSQL(nullptr, sentencia, selector, QString(), r);
    return r;
}

// One PARAGENE row with the given templates, rates and currencies.
void parametros(const QString& estandar, const QString& extra, int base = 1, int nacional = 1) {
    QCOMPARE(sql(QStringLiteral("DELETE FROM PARAGENE")), QString());
    QCOMPARE(sql(QStringLiteral("INSERT INTO PARAGENE (IdRegistro, PlantillaNumericaStd, "
                                "PlantillaNumericaExt, Iva1, Iva2, Recargo1, CodigoMonedaBase, "
                                "CodigoMonedaNacional) VALUES (1, ") +
                 (estandar.isNull() ? QStringLiteral("''")
                                    : QLatin1Char('\'') + estandar + QLatin1Char('\'')) +
                 QStringLiteral(", '") + extra + QStringLiteral("', 21, 10.5, 5.2, ") +
                 QString::number(base) + QStringLiteral(", ") + QString::number(nacional) +
                 QLatin1Char(')')),
             QString());
}

void reiniciarGlobales() {
    for (int n = 0; n < 6; ++n) {
        PlantillasNumericas[n].clear();
        CamposPlantillasNumericas[n].clear();
    }
    DecimalesMonedaBase = 7;
    CambioMonedaBase = 7.0;
    AbreviaturaMonedaBase = QStringLiteral("prev");
    DescripcionMonedaBase = QStringLiteral("previa");
}

}  // namespace

class TestGeneModu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { reiniciarGlobales(); }
    void cleanup() { AsignarProgramaEnEjecucion(QString()); }

    void basesVaciasCreanElAdministrador_data() { AddEngineRows(); }
    void basesVaciasCreanElAdministrador() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        QVERIFY(inst.iniciada());
        {
            TModuloDatos modulo;
            QCOMPARE(ModuloDatos, &modulo);
            QVERIFY(ModuloDatosPreparado);
            QCOMPARE(sql(QStringLiteral("SELECT Codigo, Nombre, Categoria, Empresas FROM USUARIO"),
                         QStringLiteral("DatabaseGeneral")),
                     QStringLiteral("ADMIN|Administrador|Administrador|1"));
            // The company tables were made from the dictionary and opened.
            for (TTable* t :
                 {modulo.ParamGenerales, modulo.Responsabilidad, modulo.GATablas, modulo.GAnalisis,
                  modulo.RegistroAccesos, modulo.Moneda, modulo.Usuario})
                QVERIFY2(t->Active(), qPrintable(t->objectName()));
            QCOMPARE(modulo.DSMoneda->DataSet(), modulo.Moneda);
            // An empty PARAGENE: the standard mask stays, the extras follow it,
            // and an unknown base currency gives the neutral values.
            QCOMPARE(PlantillaNumericaStd, QStringLiteral("#,###.##"));
            QCOMPARE(PlantillasNumericas[3], QStringLiteral("#,###.##"));
            QCOMPARE(DecimalesMonedaBase, 0);
            QCOMPARE(CambioMonedaBase, 1.0);
            QCOMPARE(AbreviaturaMonedaBase, QString());
            QVERIFY(!modulo.MonedaBaseDistintaNacional);
        }
        QVERIFY(!ModuloDatosPreparado);
        QCOMPARE(ModuloDatos, nullptr);

        // A second module finds the administrator there and adds nobody.
        TModuloDatos otro;
        QCOMPARE(
            sql(QStringLiteral("SELECT COUNT(*) FROM USUARIO"), QStringLiteral("DatabaseGeneral")),
            QStringLiteral("1"));
    }

    // A users table that held users and is later emptied or dropped is
    // refused, naming it, when the data module is made and at the start: no
    // administrator without password takes its place. Users kept from before
    // the marks existed count as defined.
    void usuariosPerdidos_data() { AddEngineRows(); }
    void usuariosPerdidos() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        { TModuloDatos primero; }
        const QString general = QStringLiteral("DatabaseGeneral");
        sql(QStringLiteral("DROP TABLE CREACION"), general);
        inst.Terminar();
        QVERIFY(inst.Iniciar());

        const QString restaurela = QStringLiteral(". Restáurela desde una copia de seguridad.");
        const QString vacia = QStringLiteral(
                                  "¡ La tabla de usuarios USUARIO de la Base de Datos general "
                                  "está vacía !") +
                              restaurela;
        const QString falta =
            QStringLiteral("¡ Falta la tabla de usuarios USUARIO de la Base de Datos general !") +
            restaurela;
        auto rechazado = [](const QString& motivo) {
            try {
                TModuloDatos modulo;
            } catch (const std::exception& e) {
                QCOMPARE(QString::fromUtf8(e.what()), motivo);
                QCOMPARE(ModuloDatos, nullptr);
                return;
            }
            QFAIL("the data module was made");
        };
        sql(QStringLiteral("DELETE FROM USUARIO"), general);
        rechazado(vacia);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM USUARIO"), general), QStringLiteral("0"));
        sql(QStringLiteral("DROP TABLE USUARIO"), general);
        rechazado(falta);
        QVERIFY(!inst.sesion()->DatabaseGeneral->TableExists(QStringLiteral("USUARIO")));

        inst.Terminar();
        MessageSeam::clearLog();
        QVERIFY(!inst.Iniciar());
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().kind, QStringLiteral("E"));
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("¡Imposible iniciar la aplicación!. Motivo: ") + falta);
        AnularTerminacion();
    }

    void plantillasTasasYMoneda_data() { AddEngineRows(); }
    void plantillasTasasYMoneda() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        { TModuloDatos crear; }  // makes the tables
        parametros(QStringLiteral("#,##0.00"),
                   QStringLiteral("PlantillaNumerica3=#,##0.000 Precio,Coste\r\n"
                                  "PlantillaNumerica5=0.0"),
                   2, 1);
        sql(
            QStringLiteral("INSERT INTO MONEDA (Codigo, Descripcion, Abreviatura, Cambio, "
                           "Decimales) VALUES (2, 'Peseta', 'Pts', 166.386, 0)"));
        CamposPlantillasNumericas[1] = QStringList{QStringLiteral("Previa")};
        TModuloDatos modulo;
        QCOMPARE(PlantillaNumericaStd, QStringLiteral("#,##0.00"));
        QCOMPARE(PlantillasNumericas[3], QStringLiteral("#,##0.000"));
        QCOMPARE(CamposPlantillasNumericas[3], (QStringList{"Coste", "Precio"}));
        QCOMPARE(PlantillasNumericas[5], QStringLiteral("0.0"));
        QCOMPARE(CamposPlantillasNumericas[5], QStringList());
        // Absent templates take the standard one; their keywords stay.
        QCOMPARE(PlantillasNumericas[1], QStringLiteral("#,##0.00"));
        QCOMPARE(CamposPlantillasNumericas[1], QStringList{QStringLiteral("Previa")});
        QCOMPARE(modulo.IVA[0], 0.0);
        QCOMPARE(modulo.IVA[1], 21.0);
        QCOMPARE(modulo.IVA[2], 10.5);
        QCOMPARE(modulo.Recargo[1], 5.2);
        QVERIFY(modulo.MonedaBaseDistintaNacional);
        QCOMPARE(DecimalesMonedaBase, 0);
        QCOMPARE(CambioMonedaBase, 166.386);
        QCOMPARE(AbreviaturaMonedaBase, QStringLiteral("Pts"));
        QCOMPARE(DescripcionMonedaBase, QStringLiteral("Peseta"));

        // A post of the parameters recomputes the base currency.
        modulo.ParamGenerales->Edit();
        modulo.ParamGenerales->FieldByName(QStringLiteral("CodigoMonedaBase"))->setAsInteger(1);
        modulo.ParamGenerales->Post();
        QVERIFY(!modulo.MonedaBaseDistintaNacional);
        QCOMPARE(CambioMonedaBase, 1.0);
        QCOMPARE(DescripcionMonedaBase, QString());
    }

    void ningunaVaciaLasPlantillas() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa(1));
        { TModuloDatos crear; }
        parametros(QStringLiteral("Ninguna"), QStringLiteral("PlantillaNumerica2=0.00 Importe"));
        TModuloDatos modulo;
        QCOMPARE(PlantillaNumericaStd, QString());
        QCOMPARE(PlantillasNumericas[1], QString());
        QCOMPARE(PlantillasNumericas[2], QStringLiteral("0.00"));
    }

    void sinEmpresaNiParametros_data() {
        QTest::addColumn<int>("empresa");
        QTest::addColumn<QString>("programa");
        QTest::newRow("sin empresa") << 0 << QString();
        QTest::newRow("programa de configuracion") << 1 << QStringLiteral("SALTEMO.EXE");
    }
    void sinEmpresaNiParametros() {
        QFETCH(int, empresa);
        QFETCH(QString, programa);
        TestInstalacion inst(Engine::Sqlite, conEmpresa(empresa));
        AsignarProgramaEnEjecucion(programa);
        TModuloDatos modulo;
        QVERIFY(ModuloDatosPreparado);
        QVERIFY(!modulo.ParamGenerales->Active());
        QVERIFY(!modulo.Moneda->Active());
        QCOMPARE(modulo.ParamGenerales->TableName(), QString());
        QCOMPARE(CambioMonedaBase, 7.0);  // kept from before
        QCOMPARE(AbreviaturaMonedaBase, QStringLiteral("prev"));
        QCOMPARE(
            sql(QStringLiteral("SELECT Codigo FROM USUARIO"), QStringLiteral("DatabaseGeneral")),
            QStringLiteral("ADMIN"));
    }

    void administradorImposible() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa(1));
        // A USUARIO of another shape: the first user cannot be written.
        TDatabase* general = BaseDatosSelector(QStringLiteral("DatabaseGeneral"));
        general->DropTableIfExists(QStringLiteral("USUARIO"));
        general->CreateTable(QStringLiteral("USUARIO"),
                             {{QStringLiteral("Codigo"), ftString, 20, true},
                              {QStringLiteral("Nombre"), ftString, 60, false}},
                             {QStringLiteral("Codigo")}, QStringLiteral("USUARIO_Clave1"));
        MessageSeam::clearLog();
        TModuloDatos modulo;
        QVERIFY(ModuloDatosPreparado);
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("¡Imposible definir el usuario administrador!"));
        QVERIFY(modulo.Usuario->IsEmpty());
        QCOMPARE(modulo.Usuario->State(), dsBrowse);
    }

    // A creation that raises (company parameters of another shape) leaves
    // no module behind: the session has none, and the next one is made and
    // freed as usual.
    void creacionFallida() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa(1));
        TDatabase* empresa = BaseDatosSelector(QStringLiteral("Database"));
        empresa->DropTableIfExists(QStringLiteral("PARAGENE"));
        empresa->CreateTable(QStringLiteral("PARAGENE"),
                             {{QStringLiteral("IdRegistro"), ftInteger, 0, true}},
                             {QStringLiteral("IdRegistro")}, QStringLiteral("PARAGENE_Clave1"));
        QVERIFY(!ModuloDatos);
        QVERIFY_THROWS_EXCEPTION(std::exception, new TModuloDatos(qApp));
        QVERIFY(!ModuloDatos);
        QVERIFY(!ModuloDatosPreparado);

        empresa->DropTableIfExists(QStringLiteral("PARAGENE"));
        {
            TModuloDatos modulo;
            QCOMPARE(ModuloDatos, &modulo);
            QVERIFY(ModuloDatosPreparado);
        }
        QVERIFY(!ModuloDatos);
    }
};

QTEST_MAIN(TestGeneModu)
#include "tst_genemodu.moc"
