// The session's start: command line, parameter, settings and help-map files,
// and the start sequence on each engine with its failures.

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "db/database.h"
#include "db/dberror.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"
#include "io/inifile.h"
#include "io/paths.h"
#include "io/textfile.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

// While a test watches, the mode a file has at the moment a text naming the
// login password is written into it (the program's writes go through the
// write below).
bool vigilarEscrituras = false;
QList<mode_t> modosAlEscribir;

}  // namespace

extern "C" ssize_t write(int fd, const void* datos, size_t n) {
    using Escritura = ssize_t (*)(int, const void*, size_t);
    static const auto real = reinterpret_cast<Escritura>(::dlsym(RTLD_NEXT, "write"));
    static const char marca[] = "PasswordInicioSesion=";
    struct stat st;
    if (vigilarEscrituras && ::memmem(datos, n, marca, sizeof marca - 1) && ::fstat(fd, &st) == 0 &&
        S_ISREG(st.st_mode))
        modosAlEscribir.append(st.st_mode & 0777);
    return real(fd, datos, n);
}

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

void Escribir(const QString& archivo, const QByteArray& bytes) {
    QFile::remove(archivo);
    QFile f(archivo);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

void Linea(const QString& texto) {
    std::fputs((texto + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

// A PostgreSQL server that wants a password and refuses every one, as far
// as a client sees it: it declines encryption, asks for the password in
// clear and answers it with the server's refusal. It counts the passwords
// it was given.
class ServidorConClave {
public:
    ServidorConClave() {
        escucha_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t largo = sizeof a;
        ::bind(escucha_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(escucha_, 8);
        ::getsockname(escucha_, reinterpret_cast<sockaddr*>(&a), &largo);
        puerto_ = ntohs(a.sin_port);
        hilo_ = std::thread([this] { Atender(); });
    }
    ~ServidorConClave() {
        ::shutdown(escucha_, SHUT_RDWR);
        ::close(escucha_);
        hilo_.join();
    }
    int puerto() const { return puerto_; }
    QStringList claves() const {
        std::lock_guard<std::mutex> l(m_);
        return claves_;
    }

private:
    static bool Leer(int s, char* b, size_t n) {
        for (size_t hecho = 0; hecho < n;) {
            const ssize_t r = ::read(s, b + hecho, n - hecho);
            if (r <= 0) return false;
            hecho += size_t(r);
        }
        return true;
    }
    static quint32 Entero(const char* b) {
        return qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(b));
    }
    void Atender() {
        for (;;) {
            const int s = ::accept(escucha_, nullptr, nullptr);
            if (s < 0) return;
            char cabecera[8];
            // Encryption requests first (declined), then the start message.
            while (Leer(s, cabecera, 8)) {
                QByteArray resto(int(Entero(cabecera)) - 8, Qt::Uninitialized);
                if (!resto.isEmpty() && !Leer(s, resto.data(), size_t(resto.size()))) break;
                const quint32 codigo = Entero(cabecera + 4);
                if (codigo == 80877103 || codigo == 80877104) {
                    (void)!::write(s, "N", 1);
                    continue;
                }
                const char pide[] = {'R', 0, 0, 0, 8, 0, 0, 0, 3};
                (void)!::write(s, pide, sizeof pide);
                char tipo;
                if (!Leer(s, &tipo, 1) || tipo != 'p' || !Leer(s, cabecera, 4)) break;
                QByteArray clave(int(Entero(cabecera)) - 4, Qt::Uninitialized);
                if (!Leer(s, clave.data(), size_t(clave.size()))) break;
                {
                    std::lock_guard<std::mutex> l(m_);
                    claves_ << QString::fromUtf8(clave.constData());
                }
                const QByteArray campos = QByteArray("SFATAL") + '\0' + "VFATAL" + '\0' + "C28P01" +
                                          '\0' + "Mpassword authentication failed for user \"rh\"" +
                                          '\0' + '\0';
                QByteArray error("E");
                char largo[4];
                qToBigEndian<quint32>(quint32(campos.size() + 4), largo);
                error += QByteArray(largo, 4) + campos;
                (void)!::write(s, error.constData(), size_t(error.size()));
                break;
            }
            ::close(s);
        }
    }

    int escucha_ = -1;
    int puerto_ = 0;
    std::thread hilo_;
    mutable std::mutex m_;
    QStringList claves_;
};

// A session of the program in a process of its own, as a user starts it: it
// says "listo", starts when told ("ya"), builds the data module on company 1
// (which opens, and on a fresh installation creates, the tables of first
// use), reports its session number and every message it got, and keeps
// running until its input ends.
int SesionHija(const QString& parametros) {
    MessageSeam::activate();
    QDir::setCurrent(QFileInfo(parametros).absolutePath());
    Linea(QStringLiteral("listo"));
    std::string orden;
    std::getline(std::cin, orden);
    auto* f = new TfGENEINIC;
    fGENEINIC = f;
    bool ok = f->IniciarSesion({QStringLiteral("L=") + parametros});
    if (ok) {
        try {
            CodigoEmpresaActual = 1;
            ConectarBaseDatosEmpresa(f, 1);
            new TModuloDatos(qApp);
        } catch (const std::exception& e) {
            ok = false;
            Linea(QStringLiteral("excepcion|") + QString::fromUtf8(e.what()));
        }
    }
    Linea(QStringLiteral("numero=%1").arg(NumeroSesionUsuario));
    for (const auto& e : MessageSeam::log()) Linea(e.kind + QLatin1Char('|') + e.text);
    Linea(ok && !TerminacionSolicitada() ? QStringLiteral("fin=ok") : QStringLiteral("fin=mal"));
    while (std::getline(std::cin, orden)) {
    }
    return 0;
}

// On SQLite, once the first session has made the general database, holds
// its write lock for a moment: every session that meanwhile found a table
// missing waits to create it, and all of them try it together when the
// lock is let go, as sessions whose starts overlap do now and then.
void RetenerEscrituraGeneral(const TestInstalacion& inst) {
    const QString archivo = inst.carpetaGeneral() + QLatin1Char('/') + kDatabaseFileName;
    QElapsedTimer reloj;
    reloj.start();
    while (!QFileInfo::exists(archivo) && reloj.elapsed() < 60000) QThread::usleep(200);
    try {
        TDatabase general;
        general.Params().folder = inst.carpetaGeneral();
        general.Open();
        general.StartTransaction();
        QThread::msleep(1500);
        general.Commit();
    } catch (const EDatabaseError& e) {
        QFAIL(qPrintable(e.Message() + QLatin1Char(' ') + e.detail()));
    }
}

// Starts `n` sessions of the installation at the same moment and keeps them
// all running until each has reported; their reports, in order.
// With `retenerRegistro` (ms), the register of running sessions is held
// by this process from before the sessions start until that time is up.
QList<QByteArray> ArranquesSimultaneos(const TestInstalacion& inst, int n,
                                       int retenerRegistro = 0) {
    std::vector<std::unique_ptr<QProcess>> hijas;
    for (int i = 0; i < n; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->setWorkingDirectory(inst.carpeta());
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--sesion-hija"), inst.archivoParametros()});
        hijas.push_back(std::move(p));
    }
    QList<QByteArray> salidas(n);
    auto leerHasta = [&](int i, const char* marca) {
        while (!salidas[i].contains(marca) && hijas[i]->waitForReadyRead(120000))
            salidas[i] += hijas[i]->readAllStandardOutput();
        salidas[i] += hijas[i]->readAllStandardOutput();
    };
    for (int i = 0; i < n; ++i) leerHasta(i, "listo");
    std::thread retencion;
    if (retenerRegistro > 0) {
        QDir().mkpath(inst.carpeta() + QStringLiteral("/SESIONES"));
        auto cerrojo =
            std::make_shared<QLockFile>(inst.carpeta() + QStringLiteral("/SESIONES/REGISTRO.lock"));
        cerrojo->setStaleLockTime(0);
        if (!cerrojo->tryLock(0)) qFatal("el registro de sesiones no se pudo retener");
        retencion = std::thread([cerrojo, retenerRegistro] {
            QThread::msleep(retenerRegistro);
            cerrojo->unlock();
        });
    }
    for (auto& p : hijas) p->write("ya\n");
    // A child reads "ya" only once its pipe is written, which the reads
    // below do one child after another: written to all first, the sessions
    // start together.
    for (auto& p : hijas) p->waitForBytesWritten();
    if (inst.motor() == Engine::Sqlite) RetenerEscrituraGeneral(inst);
    for (int i = 0; i < n; ++i) leerHasta(i, "fin=");
    for (auto& p : hijas) p->closeWriteChannel();
    for (auto& p : hijas) p->waitForFinished(30000);
    if (retencion.joinable()) retencion.join();
    return salidas;
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
              QStringLiteral("abcdefghijklm"), QStringLiteral("Clave€2024"),
              QStringLiteral("‰Œž“”")}) {
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

    // A settings file that others may read gets the password only as a new
    // file of its owner alone, renamed over it: the password is never in a
    // file others may read, and its other keys and encoding stay.
    void claveEnArchivoExistente() {
        QTemporaryDir tmp;
        const QString tipo = TipoBaseDatos;
        TipoBaseDatos = QStringLiteral("Microsoft SQL Server");
        ArchivoConfiguracion = tmp.filePath(QStringLiteral("QEVWIN.INI"));
        const QByteArray antes = "[Configuraci\xf3n]\r\nIdioma=Espa\xf1ol\r\n";
        {
            QFile f(ArchivoConfiguracion);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(antes);
        }
        QVERIFY(QFile::setPermissions(ArchivoConfiguracion, QFile::Permissions(0x6644)));
        modosAlEscribir.clear();
        vigilarEscrituras = true;
        MessageSeam::enqueue(QStringLiteral("cl@ve"));
        const bool pedida = PedirClaveInicioSesion();
        vigilarEscrituras = false;
        QVERIFY(pedida);
        QVERIFY(!modosAlEscribir.isEmpty());
        for (mode_t modo : std::as_const(modosAlEscribir)) QCOMPARE(modo, mode_t(0600));
        QCOMPARE(QFile::permissions(ArchivoConfiguracion) & QFile::Permissions(0x0077),
                 QFile::Permissions());
        const QByteArray despues = Contenido(ArchivoConfiguracion);
        QVERIFY2(despues.startsWith(
                     QByteArray(antes + "\r\n[Microsoft SQL Server]\r\nPasswordInicioSesion=")),
                 despues.constData());
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), QStringList{"QEVWIN.INI"});
        TipoBaseDatos = tipo;
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

        // A character the stored form cannot hold is named and asked again;
        // the password is never stored changed. "€" is stored as typed.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("Łukasz\U0001F600"));
        MessageSeam::enqueue(QStringLiteral("Clave€2024"));
        QVERIFY(PedirClaveInicioSesion());
        const QStringList vistos = Mensajes();
        QCOMPARE(vistos.size(), 3);
        QCOMPARE(vistos[1], QStringLiteral("A|¡ La contraseña contiene el carácter 'Ł', que no "
                                           "es posible guardar. Introduzca otra contraseña !"));
        QCOMPARE(ClaveInicioSesion, QStringLiteral("Clave€2024"));
        const auto almacenada = [] {
            QString clave;
            DescifrarClave(TIniFile(ArchivoConfiguracion)
                               .ReadString(QStringLiteral("Microsoft SQL Server"),
                                           QStringLiteral("PasswordInicioSesion"), QString()),
                           clave);
            return clave;
        };
        QCOMPARE(almacenada(), QStringLiteral("Clave€2024"));
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("ok\U0001F600"));
        MessageSeam::enqueue(MessageSeam::cancel());
        QVERIFY(!PedirClaveInicioSesion());
        QVERIFY(Mensajes().value(1).contains(QStringLiteral("'\U0001F600'")));
        QCOMPARE(almacenada(), QStringLiteral("Clave€2024"));

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

        // A password written into it makes it its owner's alone; the answer
        // is typed hidden.
        MessageSeam::deactivate();
        QLineEdit::EchoMode eco = QLineEdit::Normal;
        auto* timer = new QTimer;
        timer->setInterval(5);
        connect(timer, &QTimer::timeout, [timer, &eco] {
            auto* d = qobject_cast<TfGENEMENS*>(QApplication::activeModalWidget());
            if (!d || !d->isVisible()) return;
            timer->stop();
            timer->deleteLater();
            eco = d->EditRespuesta->echoMode();
            QTest::keyClicks(d->EditRespuesta, QStringLiteral("otra"));
            d->pbAceptar->click();
        });
        timer->start();
        QVERIFY(PedirClaveInicioSesion());
        MessageSeam::activate();
        QCOMPARE(eco, QLineEdit::Password);
        QCOMPARE(ClaveInicioSesion, QStringLiteral("otra"));
        QCOMPARE(QFile::permissions(ArchivoConfiguracion) &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
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
        const QString noDisponible = QStringLiteral(
            "¡ El tipo de base de datos \"%1\" no está disponible !. Indique en TipoBaseDatos "
            "\"Paradox\" o \"SQL Generica\".");
        QTest::newRow("Access") << "TipoBaseDatos"
                                << "Microsoft Access" << noDisponible.arg("Microsoft Access");
        // No server here: the driver or the engine is missing, and it says so.
        QTest::newRow("SQL Server") << "TipoBaseDatos"
                                    << "Microsoft SQL Server"
                                    << "";
        QTest::newRow("desconocido") << "TipoBaseDatos"
                                     << "Oracle9" << noDisponible.arg("Oracle9");
        QTest::newRow("carpeta inexistente")
            << "PathBaseDatosGeneral"
            << "/no/existe/DATOS"
            << "¡ La dirección (path) de la Base de Datos /no/existe/DATOS/datos.sqlite es "
               "incorrecta !";
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

    // A damaged general file (emptied, or not a database) is never taken for
    // a new one: the start names it and writes nothing.
    void archivoCorrupto_data() {
        QTest::addColumn<QByteArray>("contenido");
        QTest::newRow("vacio") << QByteArray();
        QTest::newRow("basura") << QByteArray(4096, 'x');
    }
    void archivoCorrupto() {
        QFETCH(QByteArray, contenido);
        OpcionesInstalacion o;
        o.iniciar = false;
        o.empresas = {};
        TestInstalacion inst(Engine::Sqlite, o);
        const QString archivo = inst.carpetaGeneral() + "/" + kDatabaseFileName;
        Escribir(archivo, contenido);
        QVERIFY(!inst.Iniciar());
        QCOMPARE(Mensajes(), QStringList{"E|" + kImposible + "¡ La Base de Datos " + archivo +
                                         " está dañada !. Restáurela desde una copia de "
                                         "seguridad."});
        QCOMPARE(Contenido(archivo), contenido);
        QCOMPARE(QDir(inst.carpetaGeneral()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{kDatabaseFileName});
    }

    // A general database that is gone while the companies' are there was
    // lost: it is not made again with a first administrator who would see
    // their data.
    void generalPerdida_data() { AddEngineRows(); }
    void generalPerdida() {
        OpcionesInstalacion o;
        o.iniciar = false;
        o.empresas = {1, 2};
        TestInstalacion inst(CurrentEngine(), o);
        TConnectionParams general;
        if (inst.motor() == Engine::Sqlite) {
            general.folder = inst.carpetaGeneral();
            QVERIFY(QFile::remove(inst.carpetaGeneral() + "/" + kDatabaseFileName));
        } else {
            general = PostgresServerParams();
            general.schema = inst.aliasGeneral().toLower();
            TDatabase servidor;
            servidor.Params() = PostgresServerParams();
            servidor.Params().schema = QStringLiteral("pg_catalog");
            servidor.Open();
            servidor.Execute(QStringLiteral("DROP SCHEMA ") + general.schema +
                             QStringLiteral(" CASCADE"));
        }
        QVERIFY(!inst.Iniciar());
        QVERIFY2(HayMensaje(QStringLiteral("E"), kImposible + "¡ Falta la Base de Datos general "),
                 qPrintable(Mensajes().join('\n')));
        QCOMPARE(Mensajes().size(), 1);
        QVERIFY(!TDatabase::DatabaseExists(general));
    }

    // SQLite: a general file that holds no table (a copy of the file alone)
    // beside companies' databases is refused, never taken for a first start:
    // no administrator is made and the file stays without tables. One that
    // another program starting at the same moment fills while this one looks
    // at the companies is no lost one: the start goes on.
    void generalCopiadaSinTablas_data() {
        QTest::addColumn<bool>("llenadaEntretanto");
        QTest::newRow("copia sin tablas") << false;
        QTest::newRow("llenada por otro programa entretanto") << true;
    }
    void generalCopiadaSinTablas() {
        QFETCH(bool, llenadaEntretanto);
        OpcionesInstalacion o;
        o.iniciar = false;
        o.empresas = {1, 2};
        TestInstalacion inst(Engine::Sqlite, o);
        {
            // The companies were in use.
            TDatabase empresa;
            empresa.Params().folder = inst.ubicacionEmpresa(2);
            empresa.Open();
            empresa.Execute(QStringLiteral("CREATE TABLE TRABAJO (Codigo INTEGER)"));
        }
        const QString archivo = inst.carpetaGeneral() + "/" + kDatabaseFileName;
        for (const char* resto : {"", "-wal", "-shm"})
            QFile::remove(archivo + QLatin1String(resto));
        QTemporaryDir vacia;
        TConnectionParams p;
        p.folder = vacia.path();
        TDatabase::CreateDatabase(p);
        QVERIFY(QFile::copy(vacia.path() + "/" + kDatabaseFileName, archivo));
        if (llenadaEntretanto) {
            static QString carpeta;
            carpeta = inst.carpetaGeneral();
            GanchoComprobarBaseDatosPerdida = [](int codigo) {
                if (codigo != 0) return;
                TDatabase otro;
                otro.Params().folder = carpeta;
                otro.Open();
                otro.Execute(QStringLiteral(
                    "CREATE TABLE IF NOT EXISTS CREACION (Objeto VARCHAR(20) NOT NULL, "
                    "Codigo INTEGER NOT NULL, PRIMARY KEY (Objeto, Codigo))"));
            };
            const auto sinGancho = qScopeGuard([] { GanchoComprobarBaseDatosPerdida = nullptr; });
            QVERIFY2(inst.Iniciar(), qPrintable(Mensajes().join('\n')));
            QVERIFY(!HayMensaje(QStringLiteral("E"), QString()));
            return;
        }
        QVERIFY(!inst.Iniciar());
        QCOMPARE(Mensajes(),
                 QStringList{"E|" + kImposible + "¡ La Base de Datos general " +
                             NativePath(inst.carpetaGeneral()) + "/" + kDatabaseFileName +
                             " no contiene ninguna tabla, pero existen las de las "
                             "empresas !. Restáurela desde una copia de seguridad."});
        QProcess sqlite3;
        sqlite3.start(QStringLiteral("sqlite3"),
                      {archivo, QStringLiteral("SELECT COUNT(*) FROM sqlite_master;")});
        QVERIFY(sqlite3.waitForFinished());
        QCOMPARE(sqlite3.readAllStandardOutput().trimmed(), QByteArray("0"));
    }

    // A server that wants a password none is stored for: the user is asked
    // for it, hidden; one it refuses is asked again; giving up ends the start
    // with the refusal in Spanish. A one-letter password changes no text.
    void servidorConClave() {
        ServidorConClave servidor;
        OpcionesInstalacion o;
        o.iniciar = false;
        o.crearBasesDatos = false;
        TestInstalacion inst(Engine::Postgres, o);
        QString alias;
        ReadTextFile(inst.archivoAlias(), alias);
        alias.replace(QRegularExpression(QStringLiteral("PORT=\\d+")),
                      QStringLiteral("PORT=%1").arg(servidor.puerto()));
        alias.replace(QRegularExpression(QStringLiteral("SERVER NAME=[^\r\n]*")),
                      QStringLiteral("SERVER NAME=127.0.0.1"));
        WriteTextFile(inst.archivoAlias(), alias, TextEncoding::Windows1252);
        MessageSeam::enqueue(QStringLiteral("a"));
        MessageSeam::enqueue(MessageSeam::cancel());
        QVERIFY(!inst.Iniciar());
        QCOMPARE(servidor.claves(), QStringList{QStringLiteral("a")});
        const QString pregunta = QStringLiteral(
            "P|La clave de inicio de sesión de SQL Server no coincide con la registrada. Puede "
            "introducirla ahora si lo desea: ");
        QCOMPARE(Mensajes(), (QStringList{pregunta, pregunta,
                                          "E|" + kImposible +
                                              "¡ El servidor de la Base de Datos no acepta el "
                                              "usuario o la clave de inicio de sesión !"}));
        // The password typed was kept for the owner's eyes only.
        QCOMPARE(
            QFile::permissions(inst.archivoConfiguracion()) & (QFile::ReadGroup | QFile::ReadOther),
            QFile::Permissions());
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
        // A one-letter password masks nothing but itself.
        QString cifrada;
        CifrarClave(QStringLiteral("a"), cifrada);
        inst.EscribirConfiguracion(QStringLiteral("SQL Generica"),
                                   QStringLiteral("PasswordInicioSesion"), cifrada);
        QVERIFY(!inst.Iniciar());
        QCOMPARE(Mensajes(),
                 QStringList{"E|" + kImposible +
                             "¡ No es posible conectar con el servidor de la Base de Datos !. "
                             "Compruebe que está en marcha y que su nombre y puerto son los "
                             "correctos."});
    }

    // Sessions get numbers no other running session holds, whoever its
    // user; a number comes free when its session ends.
    void numerosSesion() {
        TestInstalacion inst(Engine::Sqlite);
        QVERIFY(inst.iniciada());
        QCOMPARE(NumeroSesionUsuario, 1);
        TfGENEINIC segunda, tercera;
        QVERIFY(segunda.IniciarSesion({"L=" + inst.archivoParametros()}));
        QCOMPARE(NumeroSesionUsuario, 2);
        // Another user's session holds number 4.
        QLockFile otro(inst.carpeta() + "/SESIONES/otro.4.lck");
        QVERIFY(otro.tryLock(0));
        QVERIFY(tercera.IniciarSesion({"L=" + inst.archivoParametros()}));
        QCOMPARE(NumeroSesionUsuario, 3);
        inst.Terminar();
        TfGENEINIC cuarta, quinta;
        QVERIFY(cuarta.IniciarSesion({"L=" + inst.archivoParametros()}));
        QCOMPARE(NumeroSesionUsuario, 1);
        QVERIFY(quinta.IniciarSesion({"L=" + inst.archivoParametros()}));
        QCOMPARE(NumeroSesionUsuario, 5);
    }

    // Users starting a new installation at the same moment: all come up,
    // each with a number of its own, and the installation has one company 1
    // and one first administrator. Sixteen of them wait together while
    // another program holds the register for 35 s: the wait is fair, so
    // each gets its turn once it is let go, and none goes on without a
    // number (which would share another session's work tables).
    void arranquesSimultaneos_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("sesiones");
        QTest::addColumn<int>("retencion");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "ocho") << 8 << 0;
            NewEngineRow(e, "dieciseis con el registro retenido") << 16 << 35000;
        }
    }
    void arranquesSimultaneos() {
        QFETCH(int, sesiones);
        QFETCH(int, retencion);
        OpcionesInstalacion o;
        o.iniciar = false;
        o.crearBasesDatos = false;
        TestInstalacion inst(CurrentEngine(), o);
        const QList<QByteArray> salidas = ArranquesSimultaneos(inst, sesiones, retencion);
        QSet<int> numeros;
        for (const QByteArray& salida : salidas) {
            QVERIFY2(salida.contains("fin=ok\n") && !salida.contains("|"), salida.constData());
            const qsizetype i = salida.indexOf("numero=") + 7;
            numeros.insert(salida.mid(i, salida.indexOf('\n', i) - i).toInt());
        }
        QCOMPARE(numeros.size(), sesiones);
        QVERIFY(!numeros.contains(0));
        QVERIFY(inst.Iniciar());
        TDatabase* general = inst.sesion()->DatabaseGeneral;
        QCOMPARE(general->Scalar(QStringLiteral("SELECT COUNT(*) FROM EMPRESA")).toInt(), 1);
        QCOMPARE(general->Scalar(QStringLiteral("SELECT COUNT(*) FROM USUARIO")).toInt(), 1);
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

    // A first start while another program holds the general database: the
    // table that cannot be made now is told with its cause, and the start
    // ends saying why in Spanish, never in the engine's or the program's
    // English words. Let go, the next start makes it.
    // On PostgreSQL a creation refused for good ("42501") ends the start
    // after its own warning and statement, with no English word after them.
    void primerInicioRetenido_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("codigo");
        for (Engine motor : AvailableEngines()) {
            NewEngineRow(motor, "retenida") << QStringLiteral("55P03");
            if (motor == Engine::Postgres)
                NewEngineRow(motor, "rechazada") << QStringLiteral("42501");
        }
    }
    void primerInicioRetenido() {
        QFETCH(QString, codigo);
        TestInstalacion inst(CurrentEngine());
        QVERIFY(inst.iniciada());
        // The user-fields table is still to be made, as at a first start.
        inst.sesion()->DatabaseGeneral->Execute(QStringLiteral("DROP TABLE CAMPOUSR"));
        inst.Terminar();
        MessageSeam::clearLog();
        TDatabase otra;
        if (inst.motor() == Engine::Sqlite) {
            otra.Params().engine = Engine::Sqlite;
            otra.Params().folder = inst.carpetaGeneral();
            otra.Open();
            otra.StartTransaction();
        } else {
            // The server refuses the general tables' creation as a lock it
            // waited for in vain.
            otra.Params() = PostgresServerParams();
            otra.Params().schema = QStringLiteral("pg_catalog");
            otra.Open();
            const QString esquema = inst.aliasGeneral().toLower();
            otra.Execute(
                QStringLiteral(
                    "CREATE FUNCTION %1.retener() RETURNS event_trigger LANGUAGE plpgsql "
                    "AS $$ BEGIN IF current_schema() = '%1' THEN RAISE EXCEPTION "
                    "'%3' USING ERRCODE = '%2'; END IF; END $$")
                    .arg(esquema, codigo,
                         codigo == QLatin1String("55P03")
                             ? QStringLiteral("canceling statement due to lock timeout")
                             : QStringLiteral("permission denied for schema %1").arg(esquema)));
            otra.Execute(
                QStringLiteral("CREATE EVENT TRIGGER retener_%1 ON ddl_command_start "
                               "WHEN TAG IN ('CREATE TABLE') EXECUTE FUNCTION %1.retener()")
                    .arg(esquema));
        }
        auto soltar = qScopeGuard([&] {
            if (inst.motor() == Engine::Sqlite)
                otra.Rollback();
            else
                otra.Execute(QStringLiteral("DROP EVENT TRIGGER retener_") +
                             inst.aliasGeneral().toLower());
        });
        QVERIFY(!inst.Iniciar());
        const QStringList m = Mensajes();
        if (codigo == QLatin1String("42501")) {
            QVERIFY2(m.size() == 2 &&
                         m[0].startsWith("A|¡No es posible crear la tabla SQL (Paso 1)!") &&
                         m[1].startsWith("I|CREATE TABLE CAMPOUSR"),
                     qPrintable(m.join('\n')));
            QVERIFY(TerminacionSolicitada());
        } else
            QVERIFY2(!m.isEmpty() &&
                         m.last().startsWith("E|" + kImposible + "¡ Error creando la tabla ") &&
                         m.last().contains(QStringLiteral("ocupada")) &&
                         !m.join('\n').contains(QLatin1String("Table not created")) &&
                         !m.join('\n').contains(QLatin1String("lock timeout")),
                     qPrintable(m.join('\n')));
        soltar.dismiss();
        if (inst.motor() == Engine::Sqlite)
            otra.Rollback();
        else
            otra.Execute(QStringLiteral("DROP EVENT TRIGGER retener_") +
                         inst.aliasGeneral().toLower());
        MessageSeam::clearLog();
        AnularTerminacion();
        QVERIFY2(inst.Iniciar(), qPrintable(Mensajes().join('\n')));
        QVERIFY(inst.sesion()->DatabaseGeneral->TableExists(QStringLiteral("CAMPOUSR")));
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

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "--sesion-hija") == 0)
        return SesionHija(QString::fromLocal8Bit(argv[2]));
    TestGeneinicInicio tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_geneinic_inicio.moc"
