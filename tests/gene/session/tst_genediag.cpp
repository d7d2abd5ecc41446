// The installation diagnosis: the report's sections, headings and line ends;
// the SQL Server agent's setting, the only check that applies here; the
// viewer shown for a finding and nothing at all without one; and its place
// in the start, before any database is connected, unless switched off.

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <optional>

#include "db/database.h"
#include "db/dberror.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genedeta.h"
#include "gene/session/genediag.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "io/inifile.h"
#include "io/textfile.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/instalacion.h"
#include "support/sqlprueba.h"

namespace {

const QString kRegistro = QStringLiteral(
    "Las siguientes anomalías han sido detectadas en la configuración de la instalación:");
const QString kBDE = QStringLiteral(
    "Las siguientes anomalías han sido detectadas en la configuración del motor de base de "
    "datos:");
const QString kSistema =
    QStringLiteral("Las siguientes anomalías han sido detectadas en el Sistema Operativo: ");
const QString kSQLServer = QStringLiteral(
    "Las siguientes anomalías han sido detectadas en Microsoft SQL Server y deben "
    "ser reconfiguradas manualmente: ");
const QString kSinAgente = QStringLiteral(
    "No tiene configurado el sistema de alerta sobre la actividad del Agente de SQL Server "
    "(Gestor de Aplicaciones/Configuración/Configuración de Sistema/Microsoft SQL "
    "Server)\r\n");

THallazgosDiagnostico hallazgosPrueba;
void comprobacionesPrueba(const QString&, THallazgosDiagnostico& h) {
    h = hallazgosPrueba;
}

// The calls the start made to the diagnosis: the mode and whether a database
// was connected then.
QStringList llamadas;
int diagnosticoArranque(TfGENEINIC* f, const QString& Modo) {
    llamadas << Modo + QLatin1Char('|') +
                    (f->Database->Connected() || f->DatabaseGeneral->Connected()
                         ? QLatin1String("conectada")
                         : QLatin1String("sin conectar"));
    return 1;
}

// PATH holding stand-ins for the outside programs the program calls (or
// none), for the life of the object.
struct Programas {
    explicit Programas(bool presentes) : antes(qgetenv("PATH")) {
        if (presentes)
            for (const char* p : {"lp", "soffice"}) {
                QFile f(dir.filePath(QLatin1String(p)));
                f.open(QIODevice::WriteOnly);
                f.write("#!/bin/sh\n");
                f.close();
                f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            }
        qputenv("PATH", QFile::encodeName(dir.path()));
    }
    ~Programas() { qputenv("PATH", antes); }
    QTemporaryDir dir;
    QByteArray antes;
};

// Statements run on a SQLite file of its own connection (which makes it).
void ejecutarSqlite(const QString& archivo, const QStringList& sentencias) {
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("prueba"));
        db.setDatabaseName(archivo);
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (const QString& s : sentencias) QVERIFY2(q.exec(s), qPrintable(s));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("prueba"));
}

// A SQLite database file in a folder, in the journal mode given, holding
// one table.
void baseSqlite(const QString& carpeta, const QString& modo,
                const QString& tabla = QStringLiteral("T (A INTEGER)")) {
    ejecutarSqlite(
        carpeta + QStringLiteral("/datos.sqlite"),
        {QStringLiteral("CREATE TABLE ") + tabla, QStringLiteral("PRAGMA journal_mode=") + modo});
}

// The program's table of saved filters, as another program could name one.
const QString kFiltroAjeno = QStringLiteral("filtro (id INTEGER, nombre TEXT)");

// A program's file whose first pages are sound and whose data pages are not.
void paginasDanadas(const QString& archivo) {
    QStringList sentencias{QStringLiteral("PRAGMA page_size=1024"),
                           QStringLiteral("CREATE TABLE EMPRESA (Codigo INTEGER, Nombre TEXT)")};
    for (int i = 0; i < 100; ++i)
        sentencias << QStringLiteral("INSERT INTO EMPRESA VALUES (%1, '%2')")
                          .arg(i)
                          .arg(QString(200, QLatin1Char('a' + i % 26)));
    ejecutarSqlite(archivo, sentencias);
    QFile f(archivo);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.size() > 10 * 1024);
    f.seek(5 * 1024);
    f.write(QByteArray(2048, '\xA5'));
}

// Another program's file in WAL mode with its -wal and -shm beside it: open
// in that program (the process returned, still running), or left by it
// after a crash (the files copied while it ran).
std::unique_ptr<QProcess> walAjena(const QString& archivo, bool abierta) {
    const QString origen = abierta ? archivo : archivo + QStringLiteral(".origen");
    auto otro = std::make_unique<QProcess>();
    otro->start(QStringLiteral("sqlite3"), {origen});
    if (!otro->waitForStarted()) return nullptr;
    otro->write("PRAGMA journal_mode=WAL;\nPRAGMA wal_autocheckpoint=0;\nCREATE TABLE " +
                kFiltroAjeno.toUtf8() + ";\nINSERT INTO filtro VALUES (1, 'x');\n.print listo\n");
    otro->waitForBytesWritten();
    QElapsedTimer reloj;
    reloj.start();
    while (!otro->readAllStandardOutput().contains("listo") && reloj.elapsed() < 10000)
        otro->waitForReadyRead(200);
    if (!abierta) {
        for (const char* lado : {"", "-wal", "-shm"})
            QFile::copy(origen + QLatin1String(lado), archivo + QLatin1String(lado));
        otro->closeWriteChannel();
        otro->waitForFinished();
        otro.reset();
    }
    return otro;
}

// A database file that is none of the program's: "cero" bytes, "basura",
// or a database "sin tablas" in rollback-journal mode.
void archivoNoBase(const QString& archivo, const QString& caso) {
    if (caso == QLatin1String("sin tablas")) {
        ejecutarSqlite(archivo, {QStringLiteral("PRAGMA user_version=7")});
        return;
    }
    QFile f(archivo);
    QVERIFY(f.open(QIODevice::WriteOnly));
    if (caso == QLatin1String("basura")) f.write(QByteArray(5000, 'x'));
}

QByteArray contenido(const QString& archivo) {
    QFile f(archivo);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

long cifs(const QString&) {
    return long(0xFF534D42L);
}

QDateTime relojAdelantado() {
    return QDateTime::currentDateTimeUtc().addSecs(300);
}

}  // namespace

class TestGeneDiag : public QObject {
    Q_OBJECT

    TTipoSistemaArchivos tipoOriginal = GanchoTipoSistemaArchivos;
    QDateTime (*relojOriginal)() = GanchoRelojLocal;

private Q_SLOTS:
    void init() { MessageSeam::activate(); }
    void cleanup() {
        MessageSeam::deactivate();
        GanchoComprobacionesDiagnostico = &ComprobarInstalacion;
        GanchoDiagnosticoInstalacion = nullptr;
        GanchoTipoSistemaArchivos = tipoOriginal;
        GanchoRelojLocal = relojOriginal;
        PathBaseDatosGeneral.clear();
        TipoBaseDatos = QStringLiteral("Paradox");
        VersionServidorSQL.clear();
        ArchivoConfiguracion.clear();
        llamadas.clear();
    }

    void informe_data() {
        QTest::addColumn<QStringList>("registro");
        QTest::addColumn<QStringList>("bde");
        QTest::addColumn<QStringList>("sistema");
        QTest::addColumn<QStringList>("sqlServer");
        QTest::addColumn<QString>("esperado");
        const QStringList nada;
        QTest::newRow("nada") << nada << nada << nada << nada << QString();
        QTest::newRow("registro")
            << QStringList{"MaxAllowedZone=0 no es un valor correcto en X.", "Y"} << nada << nada
            << nada
            << kRegistro + "\r\n\r\n - MaxAllowedZone=0 no es un valor correcto en X.\r\n - Y\r\n";
        QTest::newRow("sistema sin guion")
            << nada << nada << QStringList{"El archivo VREDIR.VXD debe ser actualizado."} << nada
            << kSistema + "\r\n\r\nEl archivo VREDIR.VXD debe ser actualizado.\r\n";
        QTest::newRow("sql server unido")
            << nada << nada << nada << QStringList{kSinAgente, "No iniciado."}
            << kSQLServer + "\r\n\r\n" + kSinAgente + "No iniciado.";
        QTest::newRow("las cuatro, en su orden")
            << QStringList{"R"} << QStringList{"B"} << QStringList{"S"} << QStringList{"Q"}
            << kRegistro + "\r\n\r\n - R\r\n\r\n\r\n" + kBDE + "\r\n\r\n - B\r\n\r\n\r\n" +
                   kSistema + "\r\n\r\nS\r\n\r\n\r\n" + kSQLServer + "\r\n\r\nQ";
    }
    void informe() {
        QFETCH(QStringList, registro);
        QFETCH(QStringList, bde);
        QFETCH(QStringList, sistema);
        QFETCH(QStringList, sqlServer);
        QFETCH(QString, esperado);
        QCOMPARE(TextoDiagnostico({registro, bde, sistema, sqlServer}), esperado);
    }

    // The agent's setting, read as plain lines of the settings file, on SQL
    // Server (not its Express edition) in the database-engine mode only.
    void agente_data() {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("configuracion");
        QTest::addColumn<QString>("modo");
        QTest::addColumn<bool>("hallazgo");
        const QString mssql = QStringLiteral("Microsoft SQL Server");
        const QString estandar = QStringLiteral("Microsoft SQL Server 2019 - Standard Edition");
        QTest::newRow("sin nombre de servicio") << mssql << estandar << "[Configuración]\r\nA=1\r\n"
                                                << "MotorBaseDatos" << true;
        QTest::newRow("ambos modos") << mssql << estandar << ""
                                     << "Configuracion,MotorBaseDatos" << true;
        QTest::newRow("nombre en otra seccion")
            << mssql << estandar << "[Otra]\r\nNombreServicioAgenteMSSQL=SQLAgent\r\n"
            << "MotorBaseDatos" << false;
        QTest::newRow("express") << mssql << "SQL Server 2019 Express Edition"
                                 << ""
                                 << "MotorBaseDatos" << false;
        QTest::newRow("solo configuracion") << mssql << estandar << ""
                                            << "Configuracion" << false;
        QTest::newRow("sqlite") << "Paradox"
                                << ""
                                << ""
                                << "MotorBaseDatos" << false;
        QTest::newRow("postgresql") << "SQL Generica"
                                    << ""
                                    << ""
                                    << "Configuracion,MotorBaseDatos" << false;
    }
    void agente() {
        QFETCH(QString, tipo);
        QFETCH(QString, version);
        QFETCH(QString, configuracion);
        QFETCH(QString, modo);
        QFETCH(bool, hallazgo);
        QTemporaryDir dir;
        ArchivoConfiguracion = dir.filePath(QStringLiteral("QEVWIN.INI"));
        QVERIFY(WriteTextFile(ArchivoConfiguracion, configuracion, TextEncoding::Windows1252));
        TipoBaseDatos = tipo;
        VersionServidorSQL = version;
        THallazgosDiagnostico h;
        Programas programas(true);
        ComprobarInstalacion(modo, h);
        QCOMPARE(h.SQLServer, hallazgo ? QStringList{kSinAgente} : QStringList());
        QVERIFY(h.Registro.isEmpty() && h.ConfiguracionBDE.isEmpty() &&
                h.SistemaOperativo.isEmpty());
    }

    // Through the session's hook: nothing found answers 1 and shows nothing;
    // a finding shows the viewer, asks nothing and answers 0.
    void visor_data() {
        QTest::addColumn<QString>("modo");
        QTest::newRow("configuracion") << "Configuracion";
        QTest::newRow("motor") << "MotorBaseDatos";
    }
    void visor() {
        QFETCH(QString, modo);
        MessageSeam::activate(true);
        Programas programas(true);
        InstalarDiagnostico();
        QCOMPARE(DiagnosticoArranque(nullptr, modo), 1);
        QVERIFY(MessageSeam::log().isEmpty());
        QVERIFY(!fGENEDIAG);

        hallazgosPrueba = {{QStringLiteral("R")}, {}, {}, {}};
        GanchoComprobacionesDiagnostico = &comprobacionesPrueba;
        QString titulo, texto;
        AlMostrarse<TfGENEDETA>([&](TfGENEDETA* d) {
            titulo = d->Caption();
            texto = d->Texto;
            d->Close();
        });
        QCOMPARE(DiagnosticoArranque(nullptr, modo), 0);
        QCOMPARE(titulo, QStringLiteral("Diagnóstico de la Instalación"));
        QCOMPARE(texto, kRegistro + "\r\n\r\n - R\r\n");
        QVERIFY(MessageSeam::log().isEmpty());
        QVERIFY(!fGENEDIAG);
    }

    // The SQLite folders: on a network file system, not writable, a file
    // whose journal is not WAL (which the repair sets); a sound one finds
    // nothing. A file that is no database of the program (empty, junk,
    // another program's) is named and never repaired; no check writes to
    // the file or leaves -wal or -shm beside it.
    void carpetaSqlite_data() {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<QString>("hallazgo");
        QTest::newRow("sana") << "sana" << QString();
        QTest::newRow("sin archivo") << "vacia" << QString();
        QTest::newRow("en red") << "red"
                                << "está en una unidad de red (CIFS)";
        QTest::newRow("diario") << "diario"
                                << "no está en modo WAL (journal_mode=delete).";
        QTest::newRow("sin escritura") << "escritura"
                                       << "El usuario no puede escribir en la carpeta";
        QTest::newRow("archivo vacio") << "cero"
                                       << "está vacío: no es una base de datos de la aplicación.";
        QTest::newRow("archivo basura") << "basura"
                                        << "está dañado: no se puede leer como base de datos.";
        QTest::newRow("sin tablas") << "sin tablas"
                                    << "está vacío: no es una base de datos de la aplicación.";
        QTest::newRow("de otro programa")
            << "ajena"
            << "no es una base de datos de la aplicación (no contiene ninguna de sus tablas).";
        QTest::newRow("con tablas del programa") << "propia" << QString();
        // A name alone is no table of the program; a damaged page anywhere
        // is a damaged file; another program's open or abandoned WAL files
        // are read without a byte changed.
        QTest::newRow("ajena con tabla filtro")
            << "ajena filtro"
            << "no es una base de datos de la aplicación (no contiene ninguna de sus tablas).";
        QTest::newRow("paginas danadas") << "danada"
                                         << "está dañado: no se puede leer como base de datos.";
        QTest::newRow("wal ajena abierta")
            << "wal abierta"
            << "no es una base de datos de la aplicación (no contiene ninguna de sus tablas).";
        QTest::newRow("wal ajena abandonada")
            << "wal abandonada"
            << "no es una base de datos de la aplicación (no contiene ninguna de sus tablas).";
    }
    void carpetaSqlite() {
        QFETCH(QString, caso);
        QFETCH(QString, hallazgo);
        QTemporaryDir dir;
        QString carpeta = dir.path();
        const QString archivo = dir.filePath(QStringLiteral("datos.sqlite"));
        const bool wal = caso.startsWith(QLatin1String("wal "));
        std::unique_ptr<QProcess> abierta;
        if (caso == QLatin1String("cero") || caso == QLatin1String("basura") ||
            caso == QLatin1String("sin tablas"))
            archivoNoBase(archivo, caso);
        else if (caso == QLatin1String("danada"))
            paginasDanadas(archivo);
        else if (wal)
            abierta = walAjena(archivo, caso == QLatin1String("wal abierta"));
        else if (caso != QLatin1String("vacia"))
            baseSqlite(carpeta,
                       caso == QLatin1String("diario") || caso.startsWith(QLatin1String("ajena"))
                           ? QStringLiteral("DELETE")
                           : QStringLiteral("WAL"),
                       caso == QLatin1String("propia") ? QStringLiteral("EMPRESA (Codigo INTEGER)")
                       : caso == QLatin1String("ajena filtro") ? kFiltroAjeno
                                                               : QStringLiteral("T (A INTEGER)"));
        if (caso.startsWith(QLatin1String("ajena")) || caso == QLatin1String("propia") ||
            caso == QLatin1String("danada") || wal) {
            // The dictionary declares the program's tables.
            PathBaseDatosGeneral = carpeta;
            QVERIFY(WriteTextFile(dir.filePath(QStringLiteral("DATABASE.TXT")),
                                  QStringLiteral("EMPRESA/C/1/Codigo/ftInteger/0/*\r\n"
                                                 "EMPRESA/C/2/Nombre/ftString/40/\r\n"
                                                 "FILTRO/C/1/NombreTabla/ftString/30/*\r\n"
                                                 "FILTRO/C/2/Descripcion/ftString/100/*\r\n"),
                                  TextEncoding::Windows1252));
        }
        if (caso == QLatin1String("red")) GanchoTipoSistemaArchivos = &cifs;
        // Not even the administrator can write there.
        if (caso == QLatin1String("escritura")) carpeta = QStringLiteral("/proc/self");
        const QByteArray antes = contenido(archivo);
        const QByteArray walAntes = contenido(archivo + QStringLiteral("-wal"));
        const QByteArray shmAntes = contenido(archivo + QStringLiteral("-shm"));
        if (wal) QVERIFY(!walAntes.isEmpty() && !shmAntes.isEmpty());
        QList<std::function<void()>> reparaciones;
        const QStringList h = ComprobarCarpetaSqlite(carpeta, &reparaciones);
        QCOMPARE(contenido(archivo), antes);
        QCOMPARE(QFile::exists(archivo + QStringLiteral("-wal")), wal);
        QCOMPARE(QFile::exists(archivo + QStringLiteral("-shm")), wal);
        QVERIFY(contenido(archivo + QStringLiteral("-wal")) == walAntes);
        QVERIFY(contenido(archivo + QStringLiteral("-shm")) == shmAntes);
        if (abierta) {
            abierta->closeWriteChannel();
            abierta->waitForFinished();
        }
        QCOMPARE(h.size(), hallazgo.isEmpty() ? 0 : 1);
        if (hallazgo.isEmpty()) return;
        QVERIFY2(h.first().contains(hallazgo), qPrintable(h.first()));
        QCOMPARE(reparaciones.size(), caso == QLatin1String("diario") ? 1 : 0);
        for (const auto& r : reparaciones) r();
        if (caso == QLatin1String("diario")) QVERIFY(ComprobarCarpetaSqlite(carpeta).isEmpty());
    }

    // Through the start's configuration mode: the general folder and each
    // company's are checked, the report shows the findings, and "SI" to the
    // repair question sets the company's file right. A general file that is
    // empty or junk is named and left as it was, repair or not.
    void reparacion_data() {
        QTest::addColumn<QString>("general");
        QTest::addColumn<QString>("hallazgo");
        QTest::newRow("general sana") << "sana" << QString();
        QTest::newRow("general vacia") << "cero"
                                       << " está vacío: no es una base de datos de la aplicación.";
        QTest::newRow("general basura") << "basura"
                                        << " está dañado: no se puede leer como base de datos.";
    }
    void reparacion() {
        QFETCH(QString, general);
        QFETCH(QString, hallazgo);
        MessageSeam::activate();
        Programas programas(true);
        InstalarDiagnostico();
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("1")));
        const QString archivo = dir.filePath(QStringLiteral("datos.sqlite"));
        if (general == QLatin1String("sana"))
            baseSqlite(dir.path(), QStringLiteral("WAL"));
        else
            archivoNoBase(archivo, general);
        baseSqlite(dir.filePath(QStringLiteral("1")), QStringLiteral("DELETE"));
        PathBaseDatosGeneral = dir.path();
        const QByteArray antes = contenido(archivo);
        QString texto;
        auto leerInforme = [&texto] {
            AlMostrarse<TfGENEDETA>([&texto](TfGENEDETA* d) {
                texto = d->Texto;
                d->Close();
            });
        };
        leerInforme();
        MessageSeam::enqueue(QStringLiteral("SI"));
        QCOMPARE(DiagnosticoArranque(nullptr, QStringLiteral("Configuracion")), 0);
        QString esperado = kBDE + "\r\n\r\n";
        if (!hallazgo.isEmpty()) esperado += " - El archivo " + archivo + hallazgo + "\r\n";
        esperado += " - El archivo " + dir.filePath(QStringLiteral("1/datos.sqlite")) +
                    " no está en modo WAL (journal_mode=delete).\r\n";
        QCOMPARE(texto, esperado);
        QCOMPARE(TextosMostrados(),
                 QStringList{QStringLiteral("¿Desea que la aplicación reconfigure la instalación "
                                            "\r\nintentando subsanar las anomalías detectadas?")});
        if (!hallazgo.isEmpty()) {
            QCOMPARE(contenido(archivo), antes);
            QVERIFY(!QFile::exists(archivo + QStringLiteral("-wal")));
            // The file alone is reported again, and no repair is asked for.
            MessageSeam::clearLog();
            leerInforme();
            QCOMPARE(DiagnosticoArranque(nullptr, QStringLiteral("Configuracion")), 0);
            QCOMPARE(texto, kBDE + "\r\n\r\n - El archivo " + archivo + hallazgo + "\r\n");
            QVERIFY(TextosMostrados().isEmpty());
            QCOMPARE(contenido(archivo), antes);
            return;
        }
        QCOMPARE(DiagnosticoArranque(nullptr, QStringLiteral("Configuracion")), 1);
    }

    // The PostgreSQL server's settings and clock, and the outside programs.
    void servidorYReloj() {
        QCOMPARE(ComprobarServidorPostgreSQL(100, QStringLiteral("UTF8"), 100), QStringList());
        QCOMPARE(ComprobarServidorPostgreSQL(50, QStringLiteral("UTF8"), 100),
                 QStringList{QStringLiteral("El valor max_connections=50 del servidor no es "
                                            "correcto (debería ser >= 100).")});
        QCOMPARE(ComprobarServidorPostgreSQL(100, QStringLiteral("SQL_ASCII"), 100),
                 QStringList{QStringLiteral("El valor server_encoding=SQL_ASCII del servidor no "
                                            "es correcto (debería ser UTF8).")});
        const QDateTime t = QDateTime::currentDateTimeUtc();
        QCOMPARE(ComprobarReloj(t, t.addSecs(59)), QStringList());
        QCOMPARE(ComprobarReloj(t, t.addSecs(-90)),
                 QStringList{QStringLiteral("El reloj de este equipo difiere en 90 segundos del "
                                            "reloj del servidor de base de datos.")});
        {
            Programas ninguno(false);
            QCOMPARE(ComprobarProgramasExternos().size(), 2);
            QVERIFY(ComprobarProgramasExternos().first().startsWith(
                QStringLiteral("No se encuentra el programa lp")));
        }
        Programas ambos(true);
        QCOMPARE(ComprobarProgramasExternos(), QStringList());
    }

    // On a real PostgreSQL server after the login: a healthy one finds
    // nothing; a minimum of connections above the server's and a clock five
    // minutes away are reported under their sections, asking nothing.
    void motorPostgreSQL() {
        if (!AvailableEngines().contains(Engine::Postgres)) QSKIP("no PostgreSQL server");
        EmpresaPrueba empresa(Engine::Postgres);
        MessageSeam::activate(true);
        THallazgosDiagnostico sano;
        ComprobarInstalacion(QStringLiteral("MotorBaseDatos"), sano);
        QCOMPARE(TextoDiagnostico(sano), QString());

        QTemporaryDir dir;
        const QString antes = ArchivoConfiguracion;
        ArchivoConfiguracion = dir.filePath(QStringLiteral("QEVWIN.INI"));
        QVERIFY(WriteTextFile(
            ArchivoConfiguracion,
            QStringLiteral("[Configuración]\r\nMinimoConexionesPostgreSQL=100000\r\n"),
            TextEncoding::Windows1252));
        GanchoRelojLocal = &relojAdelantado;
        THallazgosDiagnostico h;
        ComprobarInstalacion(QStringLiteral("MotorBaseDatos"), h);
        ArchivoConfiguracion = antes;
        const QString informe = TextoDiagnostico(h);
        QVERIFY2(informe.contains(QStringLiteral("detectadas en PostgreSQL y deben ser "
                                                 "reconfiguradas manualmente: \r\n\r\nEl valor "
                                                 "max_connections=")),
                 qPrintable(informe));
        const QRegularExpression reloj(
            QRegularExpression::escape(kSistema) +
            QStringLiteral("\r\n\r\nEl reloj de este equipo difiere en (29\\d|30\\d) segundos"));
        QVERIFY2(reloj.match(informe).hasMatch(), qPrintable(informe));
    }

    // A login that may not create roles: the users' statements are held by
    // the program's check alone, and the diagnosis says so in one line. The
    // logins start in turn (the first makes the installation), each adding
    // an employee that another connection reads; one that is no member of
    // the company's role ("!") is refused, told the GRANT that lets it in.
    void motorPostgreSQLSinRoles_data() {
        QTest::addColumn<QStringList>("pasos");
        const QString plano = QStringLiteral("RH_PG_PLAIN_ROLE");
        const QString gestor = QStringLiteral("RH_PG_ROLEMAKER_ROLE");
        QTest::newRow("plain, superuser, plain") << QStringList{plano, QString(), plano};
        QTest::newRow("superuser, plain, superuser")
            << QStringList{QString(), plano + '!', QString()};
        QTest::newRow("role maker, plain, role maker") << QStringList{gestor, plano + '!', gestor};
        // "?": the department has not let the login into the general schema.
        QTest::newRow("superuser, plain without general rights")
            << QStringList{QString(), plano + QStringLiteral("?!")};
        QTest::newRow("role maker, plain without general rights")
            << QStringList{gestor, plano + QStringLiteral("?!")};
        // Let in part: "usage" on the schema alone, "select" its tables'
        // SELECT as well. Told only what is missing.
        QTest::newRow("superuser, plain with schema usage only")
            << QStringList{QString(), plano + QStringLiteral("?usage!")};
        QTest::newRow("superuser, plain with usage and select only")
            << QStringList{QString(), plano + QStringLiteral("?usage select!")};
        // " ajeno": the company's schema holds a table and a materialised
        // view of another login, which this one cannot hand over: it starts
        // all the same, a member of the role, the objects left with their
        // owner and named.
        QTest::newRow("superuser, role maker beside another login's objects")
            << QStringList{QString(), gestor + QStringLiteral(" ajeno")};
    }
    void motorPostgreSQLSinRoles() {
        QFETCH(QStringList, pasos);
        if (!AvailableEngines().contains(Engine::Postgres) ||
            qEnvironmentVariableIsEmpty("RH_PG_ROLEMAKER_ROLE"))
            QSKIP("no PostgreSQL server");
        try {
            rolesEntreLogins(pasos);
        } catch (const EDatabaseError& e) {
            QFAIL(qPrintable(e.Message() + QLatin1Char(' ') + e.detail()));
        }
    }

private:
    void rolesEntreLogins(const QStringList& pasos) {
        const QByteArray superusuario = qgetenv("RH_PG_USER");
        auto nombre = [&](QString paso) {
            paso.remove(QRegularExpression(QStringLiteral("[!? a-z]")));
            return QString::fromLocal8Bit(paso.isEmpty() ? superusuario
                                                         : qgetenv(qPrintable(paso)));
        };
        const QString creador = nombre(pasos.first());
        qputenv("RH_PG_USER", creador.toLocal8Bit());
        OpcionesInstalacion o;
        o.iniciar = false;
        o.empresaActual = 1;
        std::optional<TestInstalacion> inst(std::in_place, Engine::Postgres, o);
        qputenv("RH_PG_USER", superusuario);
        MessageSeam::activate(true);
        const QString esquema = inst->ubicacionEmpresa(1);
        const QString rol = PgUsersRoleName(qEnvironmentVariable("RH_PG_DATABASE"), esquema);
        TDatabase servidor;  // the server's administrator
        servidor.Params() = PostgresServerParams();
        servidor.Params().schema = QStringLiteral("pg_catalog");
        servidor.Open();
        std::unique_ptr<TModuloDatos> modulo;
        for (int i = 0; i < pasos.size(); ++i) {
            const QString login = nombre(pasos[i]);
            for (const QString& alias : {inst->aliasGeneral(), inst->aliasEmpresa()})
                TIniFile(inst->archivoAlias())
                    .WriteString(alias, QStringLiteral("USER NAME"), login);
            // The department lets a new login into the general database.
            const QString general = inst->aliasGeneral().toLower();
            const bool sinDerechosGenerales = pasos[i].contains(QLatin1Char('?'));
            for (const char* sql : {"GRANT USAGE, CREATE ON SCHEMA %1 TO %2",
                                    "GRANT ALL ON ALL TABLES IN SCHEMA %1 TO %2"})
                if (login != creador && !sinDerechosGenerales)
                    servidor.Execute(QString::fromLatin1(sql).arg(general, login));
            const bool conUso = pasos[i].contains(QLatin1String("usage"));
            const bool conLectura = pasos[i].contains(QLatin1String("select"));
            if (conUso)
                servidor.Execute(
                    QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(general, login));
            if (conLectura)
                servidor.Execute(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA %1 TO %2")
                                     .arg(general, login));
            const bool ajenos = pasos[i].contains(QLatin1String("ajeno"));
            const QString otro = qEnvironmentVariable("RH_PG_PLAIN_ROLE");
            if (ajenos) {
                servidor.Execute(QStringLiteral("CREATE TABLE %1.ajena (a INTEGER)").arg(esquema));
                servidor.Execute(
                    QStringLiteral("CREATE MATERIALIZED VIEW %1.resumen_ajeno AS SELECT 1 "
                                   "AS a")
                        .arg(esquema));
                for (const char* sql : {"ALTER TABLE %1.ajena OWNER TO %2",
                                        "ALTER MATERIALIZED VIEW %1.resumen_ajeno OWNER TO %2"})
                    servidor.Execute(QString::fromLatin1(sql).arg(esquema, otro));
            }
            modulo.reset();
            MessageSeam::clearLog();
            if (sinDerechosGenerales) {
                // Told with the login, the schema and the statements to run,
                // never the server's text; those statements, run as written,
                // let the login in.
                MessageSeam::activate();
                const bool iniciada = inst->Iniciar();
                QString rechazo;
                for (const MessageSeam::Entry& e : MessageSeam::log()) rechazo += e.text;
                MessageSeam::activate(true);
                QVERIFY(!iniciada);
                // The advice names the incidents file it is also kept in.
                const QString nota = QStringLiteral(
                    "\nEste aviso, con sus sentencias, queda "
                    "también en el archivo ");
                QVERIFY2(rechazo.contains(nota + ArchivoIncidencias()), qPrintable(rechazo));
                rechazo = rechazo.section(nota, 0, 0);
                const QString inicio = QStringLiteral(
                    "¡Imposible iniciar la aplicación!. Motivo: ¡ El usuario «%1» "
                    "del servidor no tiene permiso sobre el esquema «%2» de la "
                    "Base de Datos general !. Un administrador del servidor debe "
                    "ejecutar: ");
                QVERIFY2(rechazo.startsWith(inicio.arg(login, general)) &&
                             !rechazo.contains(QLatin1String("permission denied")) &&
                             !rechazo.contains(QLatin1String("to_regclass")),
                         qPrintable(rechazo));
                for (const QString& sql :
                     rechazo.mid(inicio.arg(login, general).size()).split(QStringLiteral("; "))) {
                    // Nothing held is asked for again.
                    QVERIFY2(!(conUso && sql.contains(QLatin1String(" ON SCHEMA ")) &&
                               sql.contains(QLatin1String("USAGE"))) &&
                                 !(conLectura && sql.contains(QLatin1String(" ON ALL TABLES ")) &&
                                   sql.contains(QLatin1String("SELECT"))),
                             qPrintable(rechazo));
                    servidor.Execute(sql);
                }
            }
            if (pasos[i].endsWith(QLatin1Char('!'))) {
                // What the main window tells after "¡Imposible iniciar la aplicación!".
                QString rechazo;
                try {
                    inst->Iniciar();
                } catch (const std::exception& e) {
                    rechazo = TextoErrorBaseDatos(e);
                }
                const QString grant = QStringLiteral("GRANT \"%1\" TO \"%2\"").arg(rol, login);
                QVERIFY2(rechazo.startsWith(QStringLiteral("¡ El usuario «%1» del servidor no es "
                                                           "miembro del rol «%2»")
                                                .arg(login, rol)) &&
                             rechazo.endsWith(grant),
                         qPrintable(rechazo));
                servidor.Execute(grant);
            }
            QVERIFY2(inst->Iniciar(), qPrintable(TextosMostrados().join(QLatin1Char('\n'))));
            CodigoUsuarioActual = QLatin1String(kCodigoAdministradorInicial);
            modulo = std::make_unique<TModuloDatos>();
            TTable personal;
            personal.setTableName(QStringLiteral("PERSONAL"));
            QVERIFY(AbrirTabla(fGENEINIC, &personal));
            personal.Append();
            personal.FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(i + 1);
            personal.FieldByName(QStringLiteral("Nombre"))->setAsString(login);
            personal.Post();
            QVERIFY2(TextosMostrados().isEmpty(), qPrintable(TextosMostrados().join('\n')));
            QCOMPARE(servidor
                         .Scalar(QStringLiteral("SELECT Nombre FROM %1.PERSONAL WHERE "
                                                "CodigoOperario = %2")
                                     .arg(esquema)
                                     .arg(i + 1))
                         .toString(),
                     login);
            if (!ajenos) continue;
            // Left with their owner, who was made no member for them; the
            // diagnosis names each with the statement that hands it over.
            QCOMPARE(servidor
                         .Scalar(QStringLiteral("SELECT string_agg(relname || ':' || "
                                                "pg_get_userbyid(relowner), ',' ORDER BY relname) "
                                                "FROM pg_class WHERE relnamespace = "
                                                "CAST('%1' AS regnamespace) AND relname IN "
                                                "('ajena', 'resumen_ajeno')")
                                     .arg(esquema))
                         .toString(),
                     QStringLiteral("ajena:%1,resumen_ajeno:%1").arg(otro));
            QVERIFY(
                servidor
                    .Scalar(
                        QStringLiteral("SELECT pg_has_role('%1', '%2', 'MEMBER')").arg(login, rol))
                    .toBool());
            QVERIFY(
                !servidor
                     .Scalar(
                         QStringLiteral("SELECT pg_has_role('%1', '%2', 'MEMBER')").arg(otro, rol))
                     .toBool());
            THallazgosDiagnostico h;
            ComprobarInstalacion(QStringLiteral("MotorBaseDatos"), h);
            const QString informe = h.SQLServer.join(QString());
            for (const QString& objeto :
                 {QStringLiteral("TABLE \"%1\".\"ajena\""),
                  QStringLiteral("MATERIALIZED VIEW \"%1\".\"resumen_ajeno\"")})
                QVERIFY2(informe.contains(QStringLiteral("ALTER ") + objeto.arg(esquema) +
                                          QStringLiteral(" OWNER TO \"%1\"").arg(rol)),
                         qPrintable(informe));
        }
        if (!pasos.last().endsWith(QLatin1String("PLAIN_ROLE"))) return;
        THallazgosDiagnostico h;
        ComprobarInstalacion(QStringLiteral("MotorBaseDatos"), h);
        QCOMPARE(
            h.SQLServer,
            QStringList{QStringLiteral("El usuario ") + qEnvironmentVariable("RH_PG_PLAIN_ROLE") +
                        QStringLiteral(" del servidor no puede crear el rol de la empresa (no "
                                       "puede crear roles): las sentencias SQL de los "
                                       "usuarios quedan limitadas solo por la comprobación "
                                       "del programa, no por los permisos del servidor.\r\n")});
    }

private Q_SLOTS:
    // The start runs "Configuracion" before it connects anything, unless
    // DesactivarDiagnostico is "SI".
    void arranque_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("desactivar");
        QTest::addColumn<QStringList>("esperadas");
        for (Engine e : AvailableEngines()) {
            QTest::newRow(qPrintable(EngineTag(e) + QStringLiteral(":activo")))
                << int(e) << "NO" << QStringList{"Configuracion|sin conectar"};
            QTest::newRow(qPrintable(EngineTag(e) + QStringLiteral(":desactivado")))
                << int(e) << "SI" << QStringList();
        }
    }
    void arranque() {
        QFETCH(int, engine);
        QFETCH(QString, desactivar);
        QFETCH(QStringList, esperadas);
        OpcionesInstalacion o;
        o.iniciar = false;
        TestInstalacion inst(Engine(engine), o);
        inst.EscribirConfiguracion(QStringLiteral("Configuración"),
                                   QStringLiteral("DesactivarDiagnostico"), desactivar);
        GanchoDiagnosticoInstalacion = &diagnosticoArranque;
        QVERIFY(inst.Iniciar());
        QCOMPARE(llamadas, esperadas);
        QVERIFY(inst.sesion()->Database->Connected());
    }
};

QTEST_MAIN(TestGeneDiag)
#include "tst_genediag.moc"
