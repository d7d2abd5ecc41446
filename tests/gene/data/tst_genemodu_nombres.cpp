// Physical table and index names per engine, key fields and columns, and the
// register of temporary-table names.

#include <QtTest>

#include "db/database.h"
#include "db/dberror.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

OpcionesInstalacion conEmpresa(int codigo) {
    OpcionesInstalacion o;
    o.empresaActual = codigo;
    return o;
}

QString fisico(const QString& nombre) {
    QString r;
    NombreTablaFisico(nullptr, nombre, r);
    return r;
}

QString sinPropietario(const QString& nombre) {
    QString r;
    NombreTablaSinPropietario(nullptr, nombre, r);
    return r;
}

QString indice(const QString& tabla, const QString& nombre) {
    TTable t;
    t.setTableName(tabla);
    QString r;
    NombreIndice(nullptr, &t, nombre, r);
    return r;
}

QString sql(const QString& sentencia, const QString& selector = QStringLiteral("DatabaseGeneral")) {
    QString r;
    EjecutarSQL(nullptr, sentencia, selector, QString(), r);
    return r;
}

}  // namespace

class TestGeneModuNombres : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        TipoBaseDatos = QStringLiteral("Paradox");
        PathArchivosTemporales.clear();
        ArchivosTemporalesEnBD = false;
    }

    void nombresPorMotor() {
        ArchivosTemporalesEnBD = false;
        TipoBaseDatos = QStringLiteral("Paradox");
        QCOMPARE(fisico(QStringLiteral("PERSONAL")), QStringLiteral("PERSONAL"));
        QCOMPARE(sinPropietario(QStringLiteral("dbo.PERSONAL")), QStringLiteral("dbo.PERSONAL"));
        QCOMPARE(indice(QStringLiteral("PERSONAL"), QStringLiteral("<Primary>")),
                 QStringLiteral("Clave1"));
        QCOMPARE(indice(QStringLiteral("PERSONAL"), QString()), QString());
        QCOMPARE(indice(QStringLiteral("PERSONAL"), QStringLiteral("Nombre")),
                 QStringLiteral("Nombre"));

        TipoBaseDatos = QStringLiteral("Microsoft SQL Server");
        QCOMPARE(fisico(QStringLiteral("PERSONAL")), QStringLiteral("dbo.PERSONAL"));
        QCOMPARE(fisico(QStringLiteral("dbo.PERSONAL")), QStringLiteral("dbo.PERSONAL"));
        PathArchivosTemporales = QStringLiteral("C:\\TEMP");
        QCOMPARE(fisico(QStringLiteral("TEMP000001_fX")), QStringLiteral("TEMP000001_fX"));
        PathArchivosTemporales = QStringLiteral("TEMPORALES");
        QCOMPARE(fisico(QStringLiteral("TEMP000001_fX")), QStringLiteral("dbo.TEMP000001_fX"));
        QCOMPARE(sinPropietario(QStringLiteral("dbo.PERSONAL")), QStringLiteral("PERSONAL"));
        QCOMPARE(sinPropietario(QStringLiteral("srv.dbo.PERSONAL")),
                 QStringLiteral("srv.dbo.PERSONAL"));
        QCOMPARE(indice(QStringLiteral("dbo.PERSONAL"), QStringLiteral("<Primary>")),
                 QStringLiteral("PERSONAL_Clave1"));
        QCOMPARE(indice(QStringLiteral("dbo.PERSONAL"), QString()),
                 QStringLiteral("PERSONAL_Clave1"));
        QCOMPARE(indice(QStringLiteral("dbo.PERSONAL"), QStringLiteral("Nombre")),
                 QStringLiteral("PERSONAL_Nombre"));
        // A temporary table kept as a local file is named as on Paradox.
        QCOMPARE(indice(QStringLiteral("TEMP000001_fX"), QStringLiteral("<Primary>")),
                 QStringLiteral("Clave1"));
        ArchivosTemporalesEnBD = true;
        QCOMPARE(indice(QStringLiteral("TEMP000001_fX"), QStringLiteral("<Primary>")),
                 QStringLiteral("TEMP000001_fX_Clave1"));

        TipoBaseDatos = QStringLiteral("Microsoft Access");
        QCOMPARE(indice(QStringLiteral("PERSONAL"), QStringLiteral("<Primary>")),
                 QStringLiteral("PERSONAL_Clave1"));
        QCOMPARE(fisico(QStringLiteral("PERSONAL")), QStringLiteral("PERSONAL"));

        TipoBaseDatos = QStringLiteral("SQL Generica");
        QCOMPARE(indice(QStringLiteral("PERSONAL"), QStringLiteral("<Primary>")),
                 QStringLiteral("PERSONAL_<Primary>"));
        QCOMPARE(indice(QStringLiteral("PERSONAL"), QStringLiteral("Nombre")),
                 QStringLiteral("PERSONAL_Nombre"));
        QCOMPARE(fisico(QStringLiteral("PERSONAL")), QStringLiteral("PERSONAL"));
    }

    void sentenciasDeCatalogoSqlServer() {
        QCOMPARE(SentenciaCamposClaveSQLServer(QStringLiteral("PERSONAL_Clave1")),
                 QStringLiteral("SELECT C.Name   FROM SYSINDEXES I JOIN SYSINDEXKEYS K   ON I.id = "
                                "K.id AND I.indid = K.indid   JOIN SYSCOLUMNS C ON I.id = C.id "
                                "AND K.colid = C.colid   WHERE I.Name = 'PERSONAL_Clave1'  ORDER "
                                "BY K.KeyNo"));
        QCOMPARE(SentenciaCamposTablaSQLServer(QStringLiteral("O'K"), true),
                 QStringLiteral("SELECT C.Name   FROM SYSCOLUMNS C JOIN SYSOBJECTS O        ON "
                                "C.id = O.id   WHERE O.name = 'O''K' AND C.xtype <> 35  ORDER BY "
                                "C.colid "));
    }

    void camposClaveYColumnas_data() { AddEngineRows(); }
    void camposClaveYColumnas() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        TDatabase* db = BaseDatosSelector(QStringLiteral("Database"));
        db->CreateTable(QStringLiteral("CURSO"),
                        {{QStringLiteral("Empresa"), ftInteger, 0, true},
                         {QStringLiteral("Codigo"), ftString, 10, true},
                         {QStringLiteral("Titulo"), ftString, 60, false},
                         {QStringLiteral("Notas"), ftMemo, 0, false}},
                        {QStringLiteral("Empresa"), QStringLiteral("Codigo")},
                        QStringLiteral("CURSO_Clave1"));
        db->CreateIndex(
            QStringLiteral("CURSO"),
            {QStringLiteral("Titulo"), QStringLiteral("Titulo"), ixCaseInsensitive, {}});
        db->CreateTable(QStringLiteral("SINCLAVE"), {{QStringLiteral("Dato"), ftInteger, 0, false}},
                        {}, QString());

        TTable t;
        t.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
        t.setTableName(QStringLiteral("CURSO"));
        QString campos;
        CamposClave(nullptr, &t, QString(), campos);
        QCOMPARE(campos, QStringLiteral("Empresa;Codigo"));
        CamposClave(nullptr, &t, QStringLiteral("Titulo"), campos);
        QCOMPARE(campos, QStringLiteral("Titulo"));
        QCOMPARE(NumeroCamposClave(nullptr, &t), 2);
        QCOMPARE(NumeroCamposClaveSQL(nullptr, QStringLiteral("CURSO")), 2);
        CamposClaveSQL(nullptr, QStringLiteral("CURSO"), QStringLiteral("Titulo"), campos);
        QCOMPARE(campos, QStringLiteral("Titulo"));

        TTable s;
        s.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
        s.setTableName(QStringLiteral("SINCLAVE"));
        QCOMPARE(NumeroCamposClave(nullptr, &s), 0);

        CamposTablaSQL(nullptr, QStringLiteral("CURSO"), QString(), campos);
        QCOMPARE(campos, QStringLiteral("Empresa;Codigo;Titulo;Notas"));
        QString lista;
        CamposTabla(nullptr, QStringLiteral("CURSO"), QStringLiteral("Sin Campos Memo"), lista);
        QCOMPARE(lista, QStringLiteral("Empresa\r\nCodigo\r\nTitulo"));

        // A table that is not there: the error text, shown, instead of a list.
        MessageSeam::clearLog();
        CamposTablaSQL(nullptr, QStringLiteral("NOEXISTE"), QString(), campos);
        QVERIFY(campos.startsWith(QLatin1String("Error.")));
        QCOMPARE(MessageSeam::log().size(), 1);
    }

    void nombresTemporales_data() { AddEngineRows(); }
    void nombresTemporales() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        CodigoUsuarioActual = QStringLiteral("ADMIN");
        QObject listado;
        listado.setObjectName(QStringLiteral("fRRHHLPERSONALES"));
        QObject anonimo;

        QString a, b, c, d;
        NombreTablaTemporalUnica(nullptr, &listado, 0, a);
        QCOMPARE(a, QStringLiteral("TEMP000001_fRRHHLPER"));  // cut to 20 characters
        NombreTablaTemporalUnica(nullptr, &listado, 1, b);
        QCOMPARE(b, QStringLiteral("TEMP000002_fRRHHLPER"));
        NombreTablaTemporalUnica(nullptr, &anonimo, 0, c);
        QCOMPARE(c, QStringLiteral("TEMP000003_Unknown"));
        // The same owner, number, machine, session and user: the same table.
        NombreTablaTemporalUnica(nullptr, &listado, 0, d);
        QCOMPARE(d, a);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM NOMBTTEM")), QStringLiteral("3"));
        const QString largo = NombreTablaTemporalLargo(&listado, 0);
        QVERIFY(largo.startsWith(QLatin1String("TEMP_")));
        QVERIFY(largo.endsWith(
            QStringLiteral("_fRRHHLPERSONALES_0_%1_ADMIN").arg(NumeroSesionUsuario)));
        QCOMPARE(largo.split(QLatin1Char('_')).at(1).size(), 12);  // the adapter's twelve digits

        // Another user's session gets its own name.
        CodigoUsuarioActual = QStringLiteral("LUIS");
        NombreTablaTemporalUnica(nullptr, &listado, 0, d);
        QCOMPARE(d, QStringLiteral("TEMP000004_fRRHHLPER"));
    }

    void registroInalcanzableAcotado_data() { AddEngineRows(); }
    void registroInalcanzableAcotado() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        // A register that can never answer: the long-name column is missing.
        TDatabase* general = BaseDatosSelector(QStringLiteral("DatabaseGeneral"));
        general->DropTableIfExists(QStringLiteral("NOMBTTEM"));
        general->CreateTable(QStringLiteral("NOMBTTEM"),
                             {{QStringLiteral("Contador"), ftInteger, 0, true}},
                             {QStringLiteral("Contador")}, QStringLiteral("NOMBTTEM_Clave1"));
        MessageSeam::clearLog();
        QObject propietario;
        propietario.setObjectName(QStringLiteral("fPRUEBA"));
        QString nombre = QStringLiteral("x");
        QVERIFY_THROWS_EXCEPTION(EAbort,
                                 NombreTablaTemporalUnica(nullptr, &propietario, 0, nombre));
        QCOMPARE(nombre, QString());
        QCOMPARE(MessageSeam::log().size(), 1);
        QVERIFY(MessageSeam::log().first().text.startsWith(
            QStringLiteral("¡No es posible obtener un nombre para la tabla temporal TEMP_")));
    }

    // Only the last try's row reaches the register (the earlier ones are
    // dropped, as when other sessions keep taking the number): it is the name.
    void nombreDelUltimoIntento() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa(1));
        TDatabase* general = BaseDatosSelector(QStringLiteral("DatabaseGeneral"));
        QObject propietario;
        propietario.setObjectName(QStringLiteral("fPRUEBA"));
        QString nombre;
        NombreTablaTemporalUnica(nullptr, &propietario, 0, nombre);  // the register exists
        general->Execute(QStringLiteral("DELETE FROM NOMBTTEM"));
        general->Execute(QStringLiteral("CREATE TABLE INTENTOS (N INTEGER)"));
        general->Execute(
            QStringLiteral("CREATE TRIGGER SOLO_EL_ULTIMO BEFORE INSERT ON NOMBTTEM "
                           "WHEN (SELECT COUNT(*) FROM INTENTOS) < 9 "
                           "BEGIN INSERT INTO INTENTOS VALUES (1); SELECT RAISE(IGNORE); END"));
        MessageSeam::clearLog();
        nombre.clear();
        NombreTablaTemporalUnica(nullptr, &propietario, 0, nombre);
        QCOMPARE(nombre, QStringLiteral("TEMP000001_fPRUEBA"));
        QCOMPARE(MessageSeam::log().size(), 0);
    }
};

QTEST_MAIN(TestGeneModuNombres)
#include "tst_genemodu_nombres.moc"
