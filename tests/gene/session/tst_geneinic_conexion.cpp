// Company and alternate connections, database names per engine, the SQL
// Server texts, and the missing-table test of every engine.

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genesist.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

QString Mensajes() {
    QStringList out;
    for (const auto& e : MessageSeam::log()) out << e.kind + QLatin1Char('|') + e.text;
    return out.join(QLatin1Char('\n'));
}

}  // namespace

class TestGeneinicConexion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { AnularTerminacion(); }

    // Company 12: its own database, the general tables seen from it without
    // a prefix, and the alternate connection asked twice connects once.
    void empresa12_data() { AddEngineRows(); }
    void empresa12() {
        OpcionesInstalacion o;
        o.empresas = {1, 12};
        o.empresaActual = 12;
        TestInstalacion inst(CurrentEngine(), o);
        QVERIFY2(inst.iniciada(), qPrintable(Mensajes()));
        TfGENEINIC* f = inst.sesion();

        const QString nombre = NombreBaseDatosEmpresa(f, 12);
        if (inst.motor() == Engine::Sqlite) {
            QCOMPARE(nombre, inst.carpetaGeneral() + QStringLiteral("\\12"));
            QCOMPARE(QFileInfo(f->Database->Params().folder).canonicalFilePath(),
                     inst.ubicacionEmpresa(12));
        } else {
            QCOMPARE(nombre, inst.aliasEmpresa() + QStringLiteral("12"));
            QCOMPARE(f->Database->Params().schema, inst.ubicacionEmpresa(12));
        }
        QCOMPARE(f->Database->DatabaseName(), nombre);
        // The component names keep naming the session's databases.
        QCOMPARE(TSession::instance().FindDatabase(QStringLiteral("Database")), f->Database);
        QCOMPARE(TSession::instance().FindDatabase(QStringLiteral("DatabaseGeneral")),
                 f->DatabaseGeneral);

        // A table of company 12 and a general table, both reached from the
        // company connection.
        f->Database->Execute(QStringLiteral("CREATE TABLE PRUEBA (Codigo INTEGER)"));
        f->Database->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (12)"));
        QCOMPARE(f->Database->Scalar(QStringLiteral("SELECT COUNT(*) FROM CAMPOUSR")).toInt(), 0);
        QString base;
        NombreBaseDatosTabla(f, QStringLiteral("EMPRESA"), base);
        QCOMPARE(base, f->DatabaseGeneral->DatabaseName());
        NombreBaseDatosTabla(f, QStringLiteral("PERSONAL"), base);
        QCOMPARE(base, nombre);

        // Company 1 holds no such table.
        ConectarBaseDatosAlt(f, 1, QString());
        QVERIFY(f->DatabaseAlt->Connected());
        QVERIFY(!f->DatabaseAlt->TableExists(QStringLiteral("PRUEBA")));
        QSignalSpy cierres(f->DatabaseAlt, &TDatabase::aboutToClose);
        ConectarBaseDatosAlt(f, 1, QString());
        QCOMPARE(cierres.count(), 0);
        ConectarBaseDatosAlt(f, 12, QString());
        QCOMPARE(cierres.count(), 1);
        QCOMPARE(f->DatabaseAlt->Scalar(QStringLiteral("SELECT Codigo FROM PRUEBA")).toInt(), 12);

        // A table pointed at the current company shares its connection (and
        // so its transaction); one pointed at company 1 reads that company.
        TTable t;
        t.setTableName(QStringLiteral("PRUEBA"));
        AsignarBaseDatosEmpresa(f, &t, 0);
        QCOMPARE(t.DatabaseName(), QLatin1Char('?') + nombre);
        QCOMPARE(t.Database(), f->Database);
        t.Open();
        QCOMPARE(t.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 12);
        t.Close();
        TTable otra;
        otra.setTableName(QStringLiteral("CAMPOUSR"));
        AsignarBaseDatosEmpresa(f, &otra, 1);
        QCOMPARE(otra.DatabaseName(), QLatin1Char('?') + NombreBaseDatosEmpresa(f, 1));
        otra.Open();  // the general tables are seen from any company
        QVERIFY(otra.IsEmpty());
    }

    // A company's database is made the first time the company is chosen
    // (its folder made by hand on SQLite) and never again: once made, its
    // loss is refused with the company named and nothing is created. An
    // installation older than the marks gets them at its next start for the
    // companies whose database is there.
    void empresaPerdida_data() { AddEngineRows(); }
    void empresaPerdida() {
        OpcionesInstalacion o;
        o.empresaActual = 1;
        TestInstalacion inst(CurrentEngine(), o);
        QVERIFY2(inst.iniciada(), qPrintable(Mensajes()));
        const bool sqlite = inst.motor() == Engine::Sqlite;
        auto elegir = [&inst](int codigo) {
            ConectarBaseDatosEmpresa(inst.sesion(), codigo);
            ConectarBaseDatosEmpresa(inst.sesion(), 1);
        };
        auto perder = [&inst, sqlite](int codigo) {
            if (sqlite) {
                for (const char* resto : {"", "-wal", "-shm"})
                    QFile::remove(inst.ubicacionEmpresa(codigo) + QLatin1Char('/') +
                                  kDatabaseFileName + QLatin1String(resto));
            } else {
                inst.sesion()->DatabaseGeneral->Execute(QStringLiteral("DROP SCHEMA ") +
                                                        inst.ubicacionEmpresa(codigo) +
                                                        QStringLiteral(" CASCADE"));
            }
        };
        auto rechazada = [&inst, sqlite](int codigo) {
            try {
                ConectarBaseDatosEmpresa(inst.sesion(), codigo);
            } catch (const std::exception& e) {
                const QString texto = TextoErrorBaseDatos(e);
                QVERIFY2(texto.startsWith(QStringLiteral("¡ Falta la Base de Datos de la "
                                                         "empresa %1 (")
                                              .arg(codigo)) &&
                             texto.endsWith(
                                 QStringLiteral(" !. Restáurela desde una copia de seguridad.")),
                         qPrintable(texto));
                if (sqlite)
                    QVERIFY(!QFileInfo::exists(inst.ubicacionEmpresa(codigo) + QLatin1Char('/') +
                                               kDatabaseFileName));
                else
                    QVERIFY(!TDatabase::DatabaseExists(ParametrosConexion(
                        inst.sesion(), NombreBaseDatosEmpresa(inst.sesion(), codigo), false)));
                return;
            }
            QFAIL("a lost company was made again");
        };
        for (int codigo : {12, 13}) {
            if (sqlite)
                QVERIFY(QDir().mkpath(NativePath(NombreBaseDatosEmpresa(inst.sesion(), codigo))));
            elegir(codigo);
        }
        perder(13);
        rechazada(13);

        // Marks lost with an older version: the next start finds company 12.
        inst.sesion()->DatabaseGeneral->Execute(QStringLiteral("DROP TABLE CREACION"));
        inst.Terminar();
        QVERIFY2(inst.Iniciar(), qPrintable(Mensajes()));
        perder(12);
        rechazada(12);
    }

    // SQLite: a company whose file held tables and holds none (a copy of the
    // file alone, taken while its work was in the -wal file) is refused like
    // a missing one, and nothing is created in it: whether it was chosen
    // again once it held tables, the program made its tables (a brand-new
    // company), or it is a company of EMPRESA this version never opened,
    // whose tables an older one made (found at the next start).
    void empresaCopiadaSinTablas_data() {
        QTest::addColumn<QString>("como");
        QTest::newRow("elegida de nuevo") << "elegida";
        QTest::newRow("tablas hechas por el programa") << "programa";
        QTest::newRow("nunca abierta en esta version") << "version anterior";
    }
    void empresaCopiadaSinTablas() {
        QFETCH(QString, como);
        OpcionesInstalacion o;
        o.empresaActual = 1;
        TestInstalacion inst(Engine::Sqlite, o);
        QVERIFY2(inst.iniciada(), qPrintable(Mensajes()));
        const QString carpeta = NativePath(NombreBaseDatosEmpresa(inst.sesion(), 12));
        QVERIFY(QDir().mkpath(carpeta));
        if (como == QLatin1String("version anterior")) {
            TTable empresas;
            empresas.setTableName(QStringLiteral("EMPRESA"));
            QVERIFY(AbrirTabla(inst.sesion(), &empresas));
            empresas.Close();
            inst.sesion()->DatabaseGeneral->Execute(
                QStringLiteral("INSERT INTO EMPRESA (Codigo, Nombre) VALUES (12, 'Doce')"));
            TConnectionParams p;
            p.folder = carpeta;
            TDatabase::CreateDatabase(p);
            TDatabase anterior;
            anterior.Params() = p;
            anterior.Open();
            anterior.Execute(QStringLiteral("CREATE TABLE TRABAJO (Codigo INTEGER)"));
            anterior.Close();
            inst.Terminar();
            QVERIFY2(inst.Iniciar(), qPrintable(Mensajes()));
        } else {
            CodigoEmpresaActual = 12;
            ConectarBaseDatosEmpresa(inst.sesion(), 12);
            if (como == QLatin1String("programa")) {
                TTable t;
                t.setTableName(QStringLiteral("GRANALIS"));
                QVERIFY(AbrirTabla(inst.sesion(), &t));
            } else {
                // Chosen again once it holds tables; one never used connects
                // empty.
                inst.sesion()->Database->Execute(
                    QStringLiteral("CREATE TABLE TRABAJO (Codigo INTEGER)"));
                for (int codigo : {1, 12}) ConectarBaseDatosEmpresa(inst.sesion(), codigo);
            }
            CodigoEmpresaActual = 1;
            ConectarBaseDatosEmpresa(inst.sesion(), 1);
        }
        // The restored copy: a database file without any table.
        QTemporaryDir vacia;
        TConnectionParams p;
        p.folder = vacia.path();
        TDatabase::CreateDatabase(p);
        const QString archivo = carpeta + QLatin1Char('/') + kDatabaseFileName;
        for (const char* resto : {"", "-wal", "-shm"})
            QFile::remove(archivo + QLatin1String(resto));
        QVERIFY(QFile::copy(vacia.path() + QLatin1Char('/') + kDatabaseFileName, archivo));
        QString texto;
        try {
            ConectarBaseDatosEmpresa(inst.sesion(), 12);
        } catch (const std::exception& e) {
            texto = TextoErrorBaseDatos(e);
        }
        QCOMPARE(texto, QStringLiteral("¡ Falta la Base de Datos de la empresa 12 (") + archivo +
                            QStringLiteral(") !. Restáurela desde una copia de seguridad."));
        QVERIFY(!inst.sesion()->Database->Connected());
        QProcess sqlite3;
        sqlite3.start(QStringLiteral("sqlite3"),
                      {archivo, QStringLiteral("SELECT COUNT(*) FROM sqlite_master;")});
        QVERIFY(sqlite3.waitForFinished());
        QCOMPARE(sqlite3.readAllStandardOutput().trimmed(), QByteArray("0"));
        // A company made and never used connects empty, again and again.
        QVERIFY(QDir().mkpath(NativePath(NombreBaseDatosEmpresa(inst.sesion(), 14))));
        for (int codigo : {14, 1, 14}) ConectarBaseDatosEmpresa(inst.sesion(), codigo);
        QVERIFY(inst.sesion()->Database->Connected());
    }

    // Another program makes a company's first tables, and marks them, while
    // this one checks the company's file: the company connects with them,
    // never told lost (eight programs starting a new installation at once).
    void empresaConTablasHechasEntretanto() {
        OpcionesInstalacion o;
        o.empresaActual = 1;
        TestInstalacion inst(Engine::Sqlite, o);
        QVERIFY2(inst.iniciada(), qPrintable(Mensajes()));
        static QString carpeta, general;
        static int hechas;
        carpeta = NativePath(NombreBaseDatosEmpresa(inst.sesion(), 12));
        general = inst.carpetaGeneral();
        hechas = 0;
        QVERIFY(QDir().mkpath(carpeta));
        CodigoEmpresaActual = 12;
        ConectarBaseDatosEmpresa(inst.sesion(), 12);  // made, still empty
        CodigoEmpresaActual = 1;
        ConectarBaseDatosEmpresa(inst.sesion(), 1);
        GanchoComprobarBaseDatosPerdida = [](int codigo) {
            if (codigo != 12 || hechas++) return;
            // The other program, on connections of its own.
            TDatabase empresa, marcas;
            empresa.Params().folder = carpeta;
            empresa.Open();
            empresa.Execute(QStringLiteral("CREATE TABLE TRABAJO (Codigo INTEGER)"));
            marcas.Params().folder = general;
            marcas.Open();
            marcas.Execute(
                QStringLiteral("INSERT INTO CREACION (Objeto, Codigo) VALUES ('TABLAS', 12)"));
        };
        const auto sinGancho = qScopeGuard([] { GanchoComprobarBaseDatosPerdida = nullptr; });
        CodigoEmpresaActual = 12;
        QString texto;
        try {
            ConectarBaseDatosEmpresa(inst.sesion(), 12);
        } catch (const std::exception& e) {
            texto = TextoErrorBaseDatos(e);
        }
        CodigoEmpresaActual = 1;
        QCOMPARE(hechas, 1);
        QCOMPARE(texto, QString());
        QVERIFY(inst.sesion()->Database->Connected());
        QCOMPARE(
            inst.sesion()->Database->Scalar(QStringLiteral("SELECT COUNT(*) FROM TRABAJO")).toInt(),
            0);
    }

    // A company database is created only where its folder is there without
    // its file; anything else is refused with the file named, and nothing is
    // written.
    void empresaSinBaseDatos_data() {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<QString>("motivo");  // empty: it connects
        const QString ruta = QStringLiteral(
            "¡ La dirección (path) de la Base de Datos %1 es "
            "incorrecta !");
        QTest::newRow("carpeta sin archivo") << "carpeta" << QString();
        QTest::newRow("sin carpeta") << "nada" << ruta;
        QTest::newRow("general inexistente") << "general" << ruta;
        QTest::newRow("archivo vacio") << "vacio"
                                       << "¡ La Base de Datos %1 está dañada !. Restáurela desde "
                                          "una copia de seguridad.";
        const QString ilegible = QStringLiteral(
            "¡ No es posible abrir la Base de Datos %1 !. "
            "Compruebe que existe y que tiene permiso para "
            "leerla.");
        QTest::newRow("carpeta que es un archivo") << "archivo" << ilegible;
        QTest::newRow("carpeta ilegible") << "ilegible" << ilegible;
    }
    void empresaSinBaseDatos() {
        QFETCH(QString, caso);
        QFETCH(QString, motivo);
        if (caso == QLatin1String("ilegible") && ::geteuid() == 0) {
            // Root reads every folder: the case runs again, in a process of
            // its own, as a user without privileges.
            QProcess hija;
            hija.setProcessChannelMode(QProcess::ForwardedChannels);
            hija.start(QStringLiteral("setpriv"),
                       {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                        QStringLiteral("--clear-groups"), QStringLiteral("--"),
                        QCoreApplication::applicationFilePath(),
                        QStringLiteral("empresaSinBaseDatos:carpeta ilegible")});
            QVERIFY2(hija.waitForFinished(120000), "setpriv did not start or end");
            QCOMPARE(hija.exitStatus(), QProcess::NormalExit);
            QCOMPARE(hija.exitCode(), 0);
            return;
        }
        OpcionesInstalacion o;
        o.empresas = {};
        TestInstalacion inst(Engine::Sqlite, o);
        QVERIFY2(inst.iniciada(), qPrintable(Mensajes()));
        TfGENEINIC* f = inst.sesion();
        if (caso == QLatin1String("general"))
            PathBaseDatosGeneral = inst.carpeta() + QStringLiteral("/NOEXISTE");
        const QString carpeta = NativePath(NombreBaseDatosEmpresa(f, 7));
        const QString archivo = carpeta + QLatin1Char('/') + kDatabaseFileName;
        if (caso != QLatin1String("nada") && caso != QLatin1String("general") &&
            caso != QLatin1String("archivo"))
            QVERIFY(QDir().mkpath(carpeta));
        if (caso == QLatin1String("vacio")) QVERIFY(QFile(archivo).open(QIODevice::WriteOnly));
        if (caso == QLatin1String("archivo")) QVERIFY(QFile(carpeta).open(QIODevice::WriteOnly));
        if (caso == QLatin1String("ilegible")) QVERIFY(QFile::setPermissions(carpeta, {}));
        const QStringList antes =
            QDir(inst.carpetaGeneral()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        try {
            ConectarBaseDatosEmpresa(f, 7);
            QVERIFY2(motivo.isEmpty(), "connected");
            QVERIFY(f->Database->Connected());
            QVERIFY(QFileInfo(archivo).size() > 0);
        } catch (const EDatabaseError& e) {
            QFile::setPermissions(carpeta, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QCOMPARE(TextoErrorBaseDatos(e), motivo.arg(archivo));
            QVERIFY(!f->Database->Connected());
            QCOMPARE(QDir(inst.carpetaGeneral()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     antes);
            QVERIFY(!QFileInfo::exists(archivo) || QFileInfo(archivo).size() == 0);
            if (QFileInfo(carpeta).isDir())
                QCOMPARE(QDir(carpeta).entryList(QDir::Files), QFileInfo::exists(archivo)
                                                                   ? QStringList{kDatabaseFileName}
                                                                   : QStringList());
        }
        QVERIFY(!QFileInfo::exists(inst.carpeta() + QStringLiteral("/NOEXISTE")));
        QVERIFY(MessageSeam::log().isEmpty());
    }

    // The server ends the session's connection while it is idle: the next
    // table opened opens it again, with no word of a loss (nothing was
    // lost); a record lock another user took meanwhile is named once the
    // action is over.
    void conexionPerdida() {
        if (!AvailableEngines().contains(Engine::Postgres)) QSKIP("sin PostgreSQL");
        TestInstalacion inst(Engine::Postgres, {.empresaActual = 1});
        QVERIFY2(inst.iniciada(), qPrintable(Mensajes()));
        TfGENEINIC* f = inst.sesion();
        TDatabase otra;
        otra.Params() = f->Database->Params();
        otra.Open();
        QVERIFY(f->Database->TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("7")));
        const int pid = f->Database->Scalar(QStringLiteral("SELECT pg_backend_pid()")).toInt();
        otra.Execute(QStringLiteral("SELECT pg_terminate_backend(?)"), {pid});
        QTRY_VERIFY(otra.TryLockRecord(QStringLiteral("PERSONAL"), QStringLiteral("7")));
        MessageSeam::clearLog();
        f->Database->InvalidateCatalog();
        QObject dueno;
        TTable t(&dueno);
        t.setTableName(QStringLiteral("PERSONAL"));
        QVERIFY(AbrirTabla(f, &t));
        QVERIFY(t.Active());
        QVERIFY(!TerminacionSolicitada());
        QTRY_COMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().at(0).kind, QStringLiteral("A"));
        QCOMPARE(MessageSeam::log().at(0).text,
                 QStringLiteral("¡ Se ha restablecido la conexión con el servidor de la Base de "
                                "Datos, pero otro usuario ha bloqueado entretanto: PERSONAL (7) "
                                "!. Vuelva a leer esos registros antes de modificarlos."));
        // The session works on: a second table, a statement.
        TTable puesto(&dueno);
        puesto.setTableName(QStringLiteral("PUESTO"));
        QVERIFY(AbrirTabla(f, &puesto));
        QCOMPARE(f->Database->Scalar(QStringLiteral("SELECT COUNT(*) FROM PERSONAL")).toInt(), 0);
        QCOMPARE(MessageSeam::log().size(), 1);
    }

    void nombresPorMotor() {
        const QString tipo = TipoBaseDatos, alias = AliasBaseDatos, path = PathBaseDatosGeneral;
        TfGENEINIC f;
        AliasBaseDatos = QStringLiteral("QEVPDX");
        PathBaseDatosGeneral = QStringLiteral("C:\\DATOS");
        TipoBaseDatos = QStringLiteral("Microsoft SQL Server");
        QCOMPARE(NombreBaseDatosEmpresa(&f, 12), QStringLiteral("QEVPDX12"));
        QCOMPARE(NombreBaseDatosEmpresa(&f, 0), QStringLiteral("QEVPDX"));
        TipoBaseDatos = QStringLiteral("Paradox");
        QCOMPARE(NombreBaseDatosEmpresa(&f, 12), QStringLiteral("C:\\DATOS\\12"));
        QCOMPARE(NombreBaseDatosEmpresa(&f, 0), QStringLiteral("C:\\DATOS"));
        TipoBaseDatos = tipo;
        AliasBaseDatos = alias;
        PathBaseDatosGeneral = path;
    }

    void cadenaConexionADO() {
        TfGENEINIC f;
        const QString tipo = TipoBaseDatos;
        TipoBaseDatos = QStringLiteral("Microsoft SQL Server");
        AliasBaseDatos = QStringLiteral("NOMINA");
        CodigoEmpresaActual = 7;
        CodigoUsuarioActual = QStringLiteral("ANA");
        AsignarProgramaEnEjecucion(QStringLiteral("KORVAND.EXE"));
        ServidorBaseDatos = QStringLiteral("np:SERVIDOR");
        UsuarioInicioSesion = QStringLiteral("sa");
        ClaveInicioSesion = QStringLiteral("x;y");
        AutenticacionWindows = false;
        QString c;
        CadenaConexionADO(&f, QString(), QString(), c);
        QCOMPARE(c, QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;"
                                   "Password=x;y;Connect Timeout=0;Initial Catalog=NOMINA7;"
                                   "Data Source=SERVIDOR;Application Name=KORVAND.EXE|ANA"));
        AutenticacionWindows = true;
        CadenaConexionADO(&f, QStringLiteral("?HISTORICO"), QStringLiteral("OTRO"), c);
        QCOMPARE(c, QStringLiteral("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security "
                                   "Info=False;Initial Catalog=HISTORICO;Data Source=OTRO;"
                                   "Application Name=KORVAND.EXE|ANA"));
        CadenaConexionADO(&f, QStringLiteral("master"), QString(), c);
        QVERIFY(c.contains(QLatin1String("Initial Catalog=master;Data Source=SERVIDOR;")));
        AutenticacionWindows = false;
        AsignarProgramaEnEjecucion(QString());
        CodigoEmpresaActual = 0;
        TipoBaseDatos = tipo;
    }

    void sentenciasCrearBaseDatosSQL() {
        NombreIntercalacionMSSQL = QStringLiteral("Modern_Spanish_CI_AS");
        QCOMPARE(SentenciasCrearBaseDatosSQL(QStringLiteral("QEVPDX12")),
                 (QStringList{QStringLiteral("USE master CREATE DATABASE QEVPDX12  COLLATE "
                                             "Modern_Spanish_CI_AS"),
                              QStringLiteral("EXEC sp_dbcmptlevel QEVPDX12, 80"),
                              QStringLiteral("ALTER DATABASE QEVPDX12 SET RECOVERY SIMPLE")}));
        NombreIntercalacionMSSQL = QStringLiteral("SQL_Latin1_General_Cp1_CI_AI");
    }

    // The engines' own "no such table" texts, in any case.
    void errorTablaInexistente_data() { AddEngineRows(); }
    void errorTablaInexistente() {
        TestDatabase t(CurrentEngine());
        try {
            t.db()->Execute(QStringLiteral("SELECT * FROM NOEXISTE"));
            QFAIL("no error");
        } catch (const EDatabaseError& e) {
            QVERIFY2(EsErrorTablaInexistente(e.Message() + QLatin1Char(' ') + e.detail()),
                     qPrintable(e.Message() + " / " + e.detail()));
        }
        QVERIFY(EsErrorTablaInexistente(QStringLiteral("TABLE DOES NOT EXIST")));
        QVERIFY(EsErrorTablaInexistente(QStringLiteral("Invalid object name 'dbo.X'.")));
        QVERIFY(!EsErrorTablaInexistente(QStringLiteral("Key violation")));
        QVERIFY(!EsErrorTablaInexistente(QStringLiteral("column \"x\" does not exist")));
    }

    void usuarioYAdaptador() {
        QString nombre;
        NombreUsuarioWindows(nombre);
        QVERIFY(!nombre.isEmpty());
        QString mac, sin;
        DireccionAdaptadorRed(QString(), mac);
        DireccionAdaptadorRed(QStringLiteral("SinSeparadores"), sin);
        if (mac.isEmpty()) QSKIP("no network adapter with an address");
        QVERIFY(QRegularExpression(QStringLiteral("^([0-9A-F]{2}-){5}[0-9A-F]{2}$"))
                    .match(mac)
                    .hasMatch());
        QCOMPARE(sin, QString(mac).remove(QLatin1Char('-')));
    }
};

QTEST_MAIN(TestGeneinicConexion)
#include "tst_geneinic_conexion.moc"
