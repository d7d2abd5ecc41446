// The session's start: command line, parameter, settings and help-map files,
// and the start sequence on each engine with its failures.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "db/database.h"
#include "gene/geneinic.h"
#include "gene/geneinic_conexion.h"
#include "gene/genemens.h"
#include "gene/sesion.h"
#include "io/inifile.h"
#include "io/textfile.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

const QString kImposible = QStringLiteral("¡Imposible iniciar la aplicación!. Motivo: ");

// The messages of the seam's log, as "kind|text".
QStringList Mensajes() {
    QStringList out;
    for (const auto& e : MessageSeam::log()) out << e.kind + QLatin1Char('|') + e.text;
    return out;
}

bool HayMensaje(const QString& tipo, const QString& comienzo) {
    for (const auto& e : MessageSeam::log())
        if (e.kind == tipo && e.text.startsWith(comienzo)) return true;
    return false;
}

QByteArray Contenido(const QString& archivo) {
    QFile f(archivo);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestGeneinicInicio : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        MessageSeam::activate();
        AnularTerminacion();
    }
    void cleanup() {
        MessageSeam::deactivate();
        AnularTerminacion();
    }

    void lineaComando_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("parametros");
        QTest::addColumn<QString>("usuario");
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("idioma");
        QTest::newRow("sin argumentos") << QStringList() << ""
                                        << ""
                                        << ""
                                        << "";
        QTest::newRow("solo usuario") << QStringList{"U=PEPE"} << ""
                                      << "PEPE"
                                      << ""
                                      << "";
        QTest::newRow("l minuscula") << QStringList{"l=/x/p.txt"} << "/x/p.txt"
                                     << ""
                                     << ""
                                     << "";
        QTest::newRow("tres posicionales") << QStringList{"p.txt", "ANA", "otro"} << "p.txt"
                                           << "ANA"
                                           << ""
                                           << "";
        QTest::newRow("posicional apagado por X=") << QStringList{"p.txt", "ANA", "T=EN"} << ""
                                                   << ""
                                                   << ""
                                                   << "EN";
        QTest::newRow("todas y repetida")
            << QStringList{"L=a", "I=b.ini", "t=FR", "L=c", "u=X"} << "c"
            << "X"
            << "b.ini"
            << "FR";
        QTest::newRow("igual en otra posicion no cuenta") << QStringList{"abc=1", "ANA"} << "abc=1"
                                                          << "ANA"
                                                          << ""
                                                          << "";
    }
    void lineaComando() {
        QFETCH(QStringList, args);
        const TLineaComando l = LeerLineaComando(args);
        QTEST(l.ArchivoParametros, "parametros");
        QTEST(l.CodigoUsuario, "usuario");
        QTEST(l.ArchivoConfiguracion, "ini");
        QTEST(l.Idioma, "idioma");
    }

    void archivoParametros() {
        QTemporaryDir tmp;
        DirectorioPrograma = tmp.path() + QLatin1Char('/');
        const QString propio = tmp.filePath(QStringLiteral("mio.txt"));
        WriteTextFile(propio,
                      QStringLiteral("aliasbasedatos=EMP\r\nAliasBaseDatos=OTRO\r\n"
                                     "PathBaseDatosGeneral=C:\\DATOS\r\nOtra=1\r\n"),
                      TextEncoding::Windows1252);
        LeerArchivoParametros(propio);
        QCOMPARE(ArchivoParametros, propio);
        QCOMPARE(TipoBaseDatos, QStringLiteral("Paradox"));  // missing key
        QCOMPARE(AliasBaseDatos, QStringLiteral("EMP"));     // first match, any case
        QCOMPARE(PathBaseDatosGeneral, QStringLiteral("C:\\DATOS"));
        QVERIFY(MessageSeam::log().isEmpty());

        // A named file that is missing: the default file is read instead.
        WriteTextFile(tmp.filePath(QString::fromLatin1(kArchivoParametrosPorDefecto)),
                      QStringLiteral("TipoBaseDatos=SQL Generica\r\n"), TextEncoding::Utf8);
        LeerArchivoParametros(tmp.filePath(QStringLiteral("no.txt")));
        QCOMPARE(TipoBaseDatos, QStringLiteral("SQL Generica"));
        QCOMPARE(AliasBaseDatos, QString());
        QVERIFY(MessageSeam::log().isEmpty());

        // Neither: the warning and the defaults.
        QFile::remove(tmp.filePath(QString::fromLatin1(kArchivoParametrosPorDefecto)));
        LeerArchivoParametros(QString());
        QCOMPARE(Mensajes(), QStringList{QStringLiteral("A|No ha sido posible leer los parámetros "
                                                        "del archivo ") +
                                         DirectorioPrograma +
                                         "PARAMETROS.TXT. Se utilizarán los "
                                         "parámetros por defecto."});
        QCOMPARE(TipoBaseDatos, QStringLiteral("Paradox"));
        QCOMPARE(PathBaseDatosGeneral, QString());
        QCOMPARE(ArchivoParametros, QString());
    }

    void configuracion() {
        QTemporaryDir tmp;
        DirectorioPrograma = tmp.path() + QLatin1Char('/');
        QCOMPARE(RutaConfiguracion(QString()), DirectorioPrograma + "QEVWIN.INI");
        QCOMPARE(RutaConfiguracion(QStringLiteral("OTRO.INI")), DirectorioPrograma + "OTRO.INI");
        QCOMPARE(RutaConfiguracion(QStringLiteral("/etc/x/Q.INI")), QStringLiteral("/etc/x/Q.INI"));

        const QString ini = tmp.filePath(QStringLiteral("QEVWIN.INI"));
        // Written as the other programs of an installation write it (Windows-1252).
        WriteTextFile(
            ini,
            QStringLiteral("[Configuración]\r\nVisualizacionPreviaActivada=NO\r\n"
                           "ModoAdministradorActivado=si\r\nRegistroAccesosActivado=SI\r\n"
                           "FormatoFechaSQL=dd/mm/yyyy\r\nTiempoForzarTerminacionAplicacion=5\r\n"
                           "[Microsoft SQL Server]\r\nNombreIntercalacionMSSQL=\r\n"
                           "NivelAislamientoTransaccionesMSSQL=SERIALIZABLE\r\n"),
            TextEncoding::Windows1252);
        TipoBaseDatos = QStringLiteral("Paradox");
        AliasBaseDatosGeneral = QStringLiteral("GENERAL");
        PathArchivosTemporales = QStringLiteral("PrivateDir");
        QVERIFY(LeerConfiguracion(ini));
        QVERIFY(!VisualizacionPreviaActivada);
        QVERIFY(!ModoAdministradorActivado);  // only "SI" in capitals is yes
        QVERIFY(RegistroAccesosActivado);
        QVERIFY(ArchivosTemporalesEnBD);  // missing: "SI"
        QCOMPARE(PathArchivosTemporales, QStringLiteral("GENERAL"));
        QCOMPARE(TiempoForzarTerminacionAplicacion, QStringLiteral("5"));
        QCOMPARE(NivelCapturaIncidencias, QStringLiteral("Minimo"));
        QCOMPARE(NombreIntercalacionMSSQL, QStringLiteral("SQL_Latin1_General_Cp1_CI_AI"));
        QCOMPARE(NivelAislamientoTransaccionesMSSQL, QStringLiteral("SERIALIZABLE"));
        // The date format is read on SQL Server only.
        QCOMPARE(FormatoFechaSQL, QStringLiteral("mm/dd/yyyy"));
        QCOMPARE(FechaCeroSQL, QStringLiteral("12/30/1899 00:00:00"));
        TipoBaseDatos = QStringLiteral("Microsoft SQL Server");
        QVERIFY(LeerConfiguracion(ini));
        QCOMPARE(FormatoFechaSQL, QStringLiteral("dd/mm/yyyy"));
        QCOMPARE(FechaCeroSQL, QStringLiteral("30/12/1899 00:00:00"));
        QVERIFY(MessageSeam::log().isEmpty());

        // Missing or unreadable (a folder by that name): the warning, every default.
        for (const QString& malo : {tmp.filePath(QStringLiteral("NO.INI")), tmp.path()}) {
            MessageSeam::clearLog();
            TipoBaseDatos = QStringLiteral("Paradox");
            QVERIFY(!LeerConfiguracion(malo));
            QCOMPARE(Mensajes(),
                     QStringList{QStringLiteral("A|No ha sido posible leer los parámetros del "
                                                "archivo ") +
                                 malo + ". Se utilizarán los parámetros por defecto."});
            QVERIFY(VisualizacionPreviaActivada);
            QVERIFY(!RegistroAccesosActivado);
            QCOMPARE(TiempoForzarTerminacionAplicacion, QString());
            QCOMPARE(NivelAislamientoTransaccionesMSSQL, QStringLiteral("READ UNCOMMITTED"));
        }
    }

    void mapaContextos() {
        QTemporaryDir tmp;
        const QString mapa = tmp.filePath(QStringLiteral("QEVWIN.MAP"));
        WriteTextFile(mapa,
                      QStringLiteral("#define Ficha_de_Personal 120\r\n\r\n#define   Otra  7\r\n"
                                     "suelta\r\n"),
                      TextEncoding::Windows1252);
        QCOMPARE(LeerMapaContextos(mapa),
                 (QStringList{QStringLiteral("Ficha de Personal=120"), QStringLiteral("Otra=7")}));
        QCOMPARE(LeerMapaContextos(tmp.filePath(QStringLiteral("no.map"))), QStringList());
    }

    void claveCifrada() {
        for (const QString& clave :
             {QString(), QStringLiteral("a"), QStringLiteral("Secreto-123 ñ"),
              QStringLiteral("abcdefghijklm")}) {
            QString cifrada, descifrada;
            CifrarClave(clave, cifrada);
            QCOMPARE(cifrada.size(), clave.size() * 3);
            DescifrarClaveSQL(cifrada, descifrada);
            QCOMPARE(descifrada, clave);
        }
        QString c;
        CifrarClaveSQL(QStringLiteral("a"), c);
        QCOMPARE(c, QStringLiteral("000"));  // the first character meets the key's second letter
        // A group that is not a number counts as 0; a short tail is ignored.
        QString d;
        DescifrarClave(QStringLiteral("xyz00"), d);
        QCOMPARE(d, QStringLiteral("a"));
    }

    // The login password asked again after the server refused it.
    void claveInicioSesion() {
        QTemporaryDir tmp;
        const QString tipo = TipoBaseDatos;
        TipoBaseDatos = QStringLiteral("Microsoft SQL Server");
        ArchivoConfiguracion = tmp.filePath(QStringLiteral("QEVWIN.INI"));
        const QString pregunta = QStringLiteral(
            "P|La clave de inicio de sesión de SQL Server no coincide con la registrada. Puede "
            "introducirla ahora si lo desea: ");
        const QString enBlanco =
            QStringLiteral("C|¿Está seguro de que desea dejar la contraseña en blanco?");

        // Closing the prompt gives up; an empty answer not confirmed asks again.
        MessageSeam::enqueue(MessageSeam::cancel());
        QVERIFY(!PedirClaveInicioSesion());
        MessageSeam::enqueue(QString());
        MessageSeam::enqueue(QStringLiteral("NO"));
        QVERIFY(PedirClaveInicioSesion());
        QCOMPARE(Mensajes(), (QStringList{pregunta, pregunta, enBlanco}));
        QVERIFY(!QFileInfo::exists(ArchivoConfiguracion));

        // A new settings file holding the password is its owner's alone.
        MessageSeam::enqueue(QStringLiteral("cl@ve"));
        QVERIFY(PedirClaveInicioSesion());
        QCOMPARE(ClaveInicioSesion, QStringLiteral("cl@ve"));
        const QFile::Permissions modo = QFile::permissions(ArchivoConfiguracion);
        QVERIFY(modo.testFlags(QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(!(modo &
                  (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther)));
        QString guardada, leida;
        guardada = TIniFile(ArchivoConfiguracion)
                       .ReadString(QStringLiteral("Microsoft SQL Server"),
                                   QStringLiteral("PasswordInicioSesion"), QString());
        DescifrarClave(guardada, leida);
        QCOMPARE(leida, QStringLiteral("cl@ve"));

        // An existing file keeps its mode; an empty password confirmed is kept.
        QFile::setPermissions(ArchivoConfiguracion, QFile::ReadOwner | QFile::WriteOwner |
                                                        QFile::ReadGroup | QFile::ReadOther);
        MessageSeam::enqueue(QString());
        MessageSeam::enqueue(QStringLiteral("SI"));
        QVERIFY(PedirClaveInicioSesion());
        QCOMPARE(ClaveInicioSesion, QString());
        QVERIFY(QFile::permissions(ArchivoConfiguracion) & QFile::ReadOther);
        QCOMPARE(TIniFile(ArchivoConfiguracion)
                     .ReadString(QStringLiteral("Microsoft SQL Server"),
                                 QStringLiteral("PasswordInicioSesion"), QStringLiteral("x")),
                 QString());
        TipoBaseDatos = tipo;
    }

    void inicio_data() { AddEngineRows(); }
    void inicio() {
        TestInstalacion inst(CurrentEngine());
        QVERIFY2(inst.iniciada(), qPrintable(Mensajes().join('\n')));
        TfGENEINIC* f = inst.sesion();
        QVERIFY(f->Database->Connected());
        QVERIFY(f->DatabaseGeneral->Connected());
        QCOMPARE(f->ADOConnection(), f->Database);
        QCOMPARE(f->DatabaseGeneral->DatabaseName(), inst.aliasGeneral());
        QCOMPARE(DirectorioPrograma, inst.carpeta() + QLatin1Char('/'));
        QCOMPARE(ArchivoParametros, inst.archivoParametros());
        QCOMPARE(ArchivoConfiguracion, inst.archivoConfiguracion());
        QCOMPARE(PathArchivosTemporales, inst.aliasGeneral());
        QCOMPARE(CodigoEmpresaActual, 0);
        QCOMPARE(LogotipoEmpresaActual, QStringLiteral("LOGO.BMP"));
        QVERIFY(NumeroSesionUsuario >= 1);
        CodigoUsuarioActual = QStringLiteral("ANA");
        QCOMPARE(ParametrosSesion(), " L=" + inst.archivoParametros() + " U=ANA I= T=");
        // The user-fields table exists in the general database from the start.
        QVERIFY(f->DatabaseGeneral->TableExists(QStringLiteral("CAMPOUSR")));
        QVERIFY(!f->findChild<QTimer*>(QStringLiteral("TimerAplicacion"))->isActive());
        QVERIFY(!TerminacionSolicitada());
    }

    // A start that cannot connect says why and creates nothing.
    void inicioFallido_data() {
        QTest::addColumn<QString>("clave");
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("Access") << "TipoBaseDatos"
                                << "Microsoft Access"
                                << "Engine not available";
        // No server here: the driver or the engine is missing, and it says so.
        QTest::newRow("SQL Server") << "TipoBaseDatos" << "Microsoft SQL Server" << "";
        QTest::newRow("desconocido") << "TipoBaseDatos"
                                     << "Oracle"
                                     << "Engine not available";
        QTest::newRow("carpeta inexistente") << "PathBaseDatosGeneral"
                                             << "/no/existe/DATOS"
                                             << "Path not found";
    }
    void inicioFallido() {
        QFETCH(QString, clave);
        QFETCH(QString, valor);
        QFETCH(QString, motivo);
        OpcionesInstalacion o;
        o.iniciar = false;
        o.crearBasesDatos = false;
        TestInstalacion inst(Engine::Sqlite, o);
        inst.EscribirParametro(clave, valor);
        // The aliases name no folder, so the general path is the one used.
        WriteTextFile(inst.archivoAlias(), QString(), TextEncoding::Windows1252);
        QVERIFY(!inst.Iniciar());
        QVERIFY2(HayMensaje(QStringLiteral("E"), kImposible + motivo),
                 qPrintable(Mensajes().join('\n')));
        QVERIFY(TerminacionSolicitada());
        QVERIFY(!QFileInfo::exists(inst.carpetaGeneral() + "/" + kDatabaseFileName));
        QVERIFY(!QFileInfo::exists("/no/existe"));
    }

    void archivoCorrupto() {
        OpcionesInstalacion o;
        o.iniciar = false;
        TestInstalacion inst(Engine::Sqlite, o);
        const QString archivo = inst.carpetaGeneral() + "/" + kDatabaseFileName;
        QFile::remove(archivo);
        QFile f(archivo);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        QVERIFY(!inst.Iniciar());
        QVERIFY2(HayMensaje(QStringLiteral("E"), kImposible), qPrintable(Mensajes().join('\n')));
        QCOMPARE(Contenido(archivo), QByteArray(4096, 'x'));
    }

    void servidorCaido() {
        if (!AvailableEngines().contains(Engine::Postgres)) QSKIP("sin PostgreSQL");
        OpcionesInstalacion o;
        o.iniciar = false;
        TestInstalacion inst(Engine::Postgres, o);
        QString alias;
        ReadTextFile(inst.archivoAlias(), alias);
        alias.replace(QRegularExpression(QStringLiteral("PORT=\\d+")), QStringLiteral("PORT=1"));
        WriteTextFile(inst.archivoAlias(), alias, TextEncoding::Windows1252);
        QVERIFY(!inst.Iniciar());
        QVERIFY2(HayMensaje(QStringLiteral("E"), kImposible + "Unable to open database"),
                 qPrintable(Mensajes().join('\n')));
    }

    // A fresh installation: the engine says the databases do not exist, so
    // they are made; company 1 too, when it is first connected.
    void instalacionNueva_data() { AddEngineRows(); }
    void instalacionNueva() {
        OpcionesInstalacion o;
        o.crearBasesDatos = false;
        o.empresaActual = 1;
        TestInstalacion inst(CurrentEngine(), o);
        QVERIFY2(inst.iniciada(), qPrintable(Mensajes().join('\n')));
        TfGENEINIC* f = inst.sesion();
        QVERIFY(f->Database->Connected());
        QCOMPARE(f->Database->DatabaseName(), NombreBaseDatosEmpresa(f, 1));
        if (inst.motor() == Engine::Sqlite)
            QVERIFY(QFileInfo::exists(inst.ubicacionEmpresa(1) + "/" + kDatabaseFileName));
        else
            QCOMPARE(f->Database->Params().schema, inst.ubicacionEmpresa(1));
        QVERIFY(!HayMensaje(QStringLiteral("E"), QString()));
        // Company 1 is there for the first administrator, once.
        const QString sql = QStringLiteral("SELECT Nombre FROM EMPRESA WHERE Codigo = 1");
        QCOMPARE(f->DatabaseGeneral->Scalar(sql).toString(), QStringLiteral("Empresa 1"));
        f->DatabaseGeneral->Execute(QStringLiteral("UPDATE EMPRESA SET Codigo = 5"));
        QVERIFY(inst.Iniciar());
        QCOMPARE(inst.sesion()
                     ->DatabaseGeneral->Scalar(QStringLiteral("SELECT COUNT(*) FROM EMPRESA"))
                     .toInt(),
                 1);
    }

    void directorioPrivado() {
        OpcionesInstalacion o;
        o.configuracion = QStringList{"ArchivosTemporalesEnBD=NO", "BDEPrivateDir=auto"};
        TestInstalacion inst(Engine::Sqlite, o);
        QVERIFY2(inst.iniciada(), qPrintable(Mensajes().join('\n')));
        QCOMPARE(DirectorioPrivado, inst.carpeta() + "/PRIVDIR/1/");
        QCOMPARE(NumeroSesionUsuario, 1);
        // Temporary tables live in the private folder's own file, seen from
        // the company connection.
        TfGENEINIC* f = inst.sesion();
        QCOMPARE(PathArchivosTemporales, DirectorioPrivado);
        QVERIFY(f->DatabaseTemporal->Connected());
        QCOMPARE(f->DatabaseTemporal->DatabaseName(), DirectorioPrivado);
        f->DatabaseTemporal->Execute(QStringLiteral("CREATE TABLE TEMP000001_X (A INTEGER)"));
        ConectarBaseDatosEmpresa(f, 1);
        QCOMPARE(f->Database->Scalar(QStringLiteral("SELECT COUNT(*) FROM TEMP000001_X")).toInt(),
                 0);

        // A second session of the same user takes the next folder; its
        // number counts the first one's entry.
        TfGENEINIC segunda;
        QVERIFY(segunda.IniciarSesion({"L=" + inst.archivoParametros()}));
        QCOMPARE(NumeroSesionUsuario, 2);
        QCOMPARE(DirectorioPrivado, inst.carpeta() + "/PRIVDIR/2/");
    }

    void conflictoDirectorioPrivado() {
        OpcionesInstalacion o;
        o.iniciar = false;
        o.configuracion = QStringList{"ArchivosTemporalesEnBD=NO", "BDEPrivateDir=AUTO"};
        TestInstalacion inst(Engine::Sqlite, o);
        // Folder 1 is held by a running session that is not in the register.
        QDir().mkpath(inst.carpeta() + "/PRIVDIR");
        QLockFile otro(inst.carpeta() + "/PRIVDIR/1.lck");
        QVERIFY(otro.tryLock(0));
        QVERIFY(!inst.Iniciar());
        QCOMPARE(Mensajes(), QStringList{"A|Se ha producido un conflicto con otro usuario (o "
                                         "aplicación). Inténtelo de nuevo."});
        QVERIFY(TerminacionSolicitada());
        QVERIFY(!inst.sesion()->Database->Connected());
    }

    void archivosTemporalesAntiguos() {
        OpcionesInstalacion o;
        o.iniciar = false;
        TestInstalacion inst(Engine::Sqlite, o);
        const QString viejo = inst.carpeta() + "/_QS0001.TMP";
        const QString reciente = inst.carpeta() + "/_QS0002.TMP";
        for (const QString& a : {viejo, reciente}) {
            QFile f(a);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QFile v(viejo);
        QVERIFY(v.open(QIODevice::ReadWrite));
        QVERIFY(v.setFileTime(QDateTime::currentDateTime().addDays(-2),
                              QFileDevice::FileModificationTime));
        v.close();
        // Another session of the program has been running for an hour: the
        // file written since may be its own.
        QDir().mkpath(inst.carpeta() + "/SESIONES");
        QLockFile otra(inst.carpeta() + "/SESIONES/otro.1.lck");
        QVERIFY(otra.tryLock(0));
        QFile lf(inst.carpeta() + "/SESIONES/otro.1.lck");
        QVERIFY(lf.open(QIODevice::ReadWrite));
        QVERIFY(lf.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                               QFileDevice::FileModificationTime));
        lf.close();
        QVERIFY(inst.Iniciar());
        QVERIFY(!QFileInfo::exists(viejo));
        QVERIFY(QFileInfo::exists(reciente));
    }

    void temporizadorInactividad() {
        OpcionesInstalacion o;
        o.configuracion = QStringList{"TiempoForzarTerminacionAplicacion=diez"};
        TestInstalacion inst(Engine::Sqlite, o);
        QVERIFY(inst.iniciada());
        auto* timer = inst.sesion()->findChild<QTimer*>(QStringLiteral("TimerAplicacion"));
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 15000);
        // Not a number counts as 0 minutes: the first tick ends the program.
        UltimaActividad = QDateTime::currentDateTime().addSecs(-1);
        timer->start(1);
        QTRY_VERIFY(TerminacionSolicitada());
        QVERIFY(!timer->isActive());
    }
};

QTEST_MAIN(TestGeneinicInicio)
#include "tst_geneinic_inicio.moc"
