// Files, waiting, programs and the system.

#include "gene/data/genesist.h"

#include <ifaddrs.h>
#include <netinet/in.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QTimer>
#include <QUuid>
#include <cerrno>
#include <cstring>

#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "io/outputfile.h"
#include "io/paths.h"
#include "io/textfile.h"

namespace {

QString identidadPrograma;  // set by AsignarProgramaEnEjecucion

// WinExec's failure codes, which name the messages the user sees.
enum CodigoEjecucion {
    kSinRecursos = 0,
    kNoEncontrado = 2,
    kCaminoNoEncontrado = 3,
    kNoValido = 11,
    kCorrecto = 32
};

QString mensajeEjecucion(int codigo, const QString& linea) {
    switch (codigo) {
        case kSinRecursos:
            return QStringLiteral("Memoria o Recursos Insuficientes.");
        case kNoValido:
            return QStringLiteral("El archivo ") + linea +
                   QStringLiteral(" no es válido o no es una aplicación Win32.");
        case kNoEncontrado:
            return QStringLiteral("El archivo ") + linea +
                   QStringLiteral(" no ha sido encontrado.");
        case kCaminoNoEncontrado:
            return QStringLiteral("El camino(path) del archivo ") + linea +
                   QStringLiteral(" no ha sido encontrado.");
        default:
            return QStringLiteral("Error desconocido de tipo ") + QString::number(codigo) +
                   QLatin1Char('.');
    }
}

// Finds the program of a command line as WinExec did: a path as given, a bare
// name in the current folder first and then in the PATH.
int localizarPrograma(const QString& nombre, QString& ruta) {
    const QString p = NativePath(nombre);
    if (p.contains(QLatin1Char('/'))) {
        const QFileInfo fi(p);
        if (!QFileInfo(fi.absolutePath()).isDir()) return kCaminoNoEncontrado;
        if (!fi.exists()) return kNoEncontrado;
        ruta = fi.absoluteFilePath();
    } else {
        const QFileInfo local(QDir::current(), p);
        ruta = local.exists() ? local.absoluteFilePath() : QStandardPaths::findExecutable(p);
        if (ruta.isEmpty()) return kNoEncontrado;
    }
    const QFileInfo fi(ruta);
    return fi.isDir() || !fi.isExecutable() ? kNoValido : kCorrecto;
}

}  // namespace

// ---------------------------------------------------------------------------
// Files

void CopiarArchivo(const QString& Origen, const QString& Destino) {
    QFile origen(NativePath(Origen));
    if (!origen.open(QIODevice::ReadOnly))
        throw EInOutError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(Origen, origen.errorString()));
    // Copying a file onto itself would truncate it before it is read.
    const QString canonOrigen = QFileInfo(origen).canonicalFilePath();
    if (canonOrigen == QFileInfo(NativePath(Destino)).canonicalFilePath()) return;
    // The old file is replaced only by a whole copy.
    TOutputFile destino(NativePath(Destino));
    if (!destino.open(QIODevice::WriteOnly))
        throw EInOutError(
            QStringLiteral("Cannot create file \"%1\". %2").arg(Destino, destino.errorString()));
    while (!origen.atEnd()) {
        const QByteArray bloque = origen.read(1 << 16);
        if (bloque.isEmpty() && origen.error() != QFileDevice::NoError)
            throw EInOutError(
                QStringLiteral("Read error \"%1\". %2").arg(Origen, origen.errorString()));
        if (destino.write(bloque) != bloque.size())
            throw EInOutError(
                QStringLiteral("Write error \"%1\". %2").arg(Destino, destino.errorString()));
    }
    if (!destino.Commit())
        throw EInOutError(
            QStringLiteral("Write error \"%1\". %2").arg(Destino, destino.errorString()));
}

bool BorrarArchivos(const QString& Mascara) {
    const QFileInfo fi(NativePath(Mascara));
    QString patron = fi.fileName();
    if (patron.isEmpty()) return true;
    // Windows' "*.*" also matches names without an extension.
    if (patron == QLatin1String("*.*")) patron = QStringLiteral("*");
    const QDir carpeta(fi.path());
    bool correcto = true;
    const QFileInfoList entradas = carpeta.entryInfoList(
        {patron}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entradas) {
        if (e.isDir() && !e.isSymLink())
            correcto = false;
        else if (!QFile::remove(e.absoluteFilePath()))
            correcto = false;
    }
    return correcto;
}

bool CrearArchivoTexto(const QString& Archivo, const QString& Texto) {
    QString contenido;
    for (const QString& linea : LineasTexto(Texto)) contenido += linea + QStringLiteral("\r\n");
    // Written for other programs, in their encoding.
    QString motivo;
    if (WriteWholeFile(NativePath(Archivo), EncodeText(contenido, TextEncoding::Windows1252),
                       &motivo))
        return true;
    MensajeAdvertencia(QStringLiteral("Error de Creación del Archivo (.bat). Motivo: ") + motivo);
    return false;
}

QDateTime FechaArchivo(const QString& Archivo) {
    const QFileInfo fi(NativePath(Archivo));
    return fi.isFile() ? fi.lastModified() : QDateTime();
}

QString DirectorioTemporal() {
    return NativePath(QDir::tempPath() + QLatin1Char('/'));
}

QString DirectorioSistema() {
    return QStringLiteral("/usr/bin");
}

QString RutaDiccionario() {
    const QString nombre = QStringLiteral("DATABASE.TXT");
    const QString ruta = JoinPath(PathBaseDatosGeneral, nombre);
    const QString programa = JoinPath(DirectorioPrograma, nombre);
    if (!QFileInfo::exists(ruta) && QFileInfo::exists(programa)) {
        // Copied under a name of its own and renamed when whole: a session
        // starting at the same moment never reads it half written.
        const QString copia =
            ruta + QStringLiteral(".%1.nuevo").arg(QCoreApplication::applicationPid());
        try {
            CopiarArchivo(programa, copia);
            QFile::rename(copia, ruta);  // one made meanwhile is kept
        } catch (const EInOutError&) {
            // The caller reports the missing dictionary when it reads it.
        }
        QFile::remove(copia);
    }
    return ruta;
}

// ---------------------------------------------------------------------------
// Waiting

void Esperar(int Milisegundos) {
    if (Milisegundos <= 0) return;
    if (!QCoreApplication::instance()) {
        QThread::msleep(ulong(Milisegundos));
        return;
    }
    QEventLoop espera;
    QTimer::singleShot(Milisegundos, Qt::PreciseTimer, &espera, &QEventLoop::quit);
    espera.exec();
}

// ---------------------------------------------------------------------------
// Identity of the computer and of the program

QString GenerarGUID() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

bool NombreEquipo(QString& Nombre, QString& Direccion, QString& Error) {
    Direccion.clear();
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0) {
        Error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    Nombre = QString::fromLocal8Bit(buffer);
    // The machine's own first IPv4 address, read from its interfaces rather
    // than through a name lookup that could wait on the network.
    ifaddrs* lista = nullptr;
    if (getifaddrs(&lista) == 0) {
        QString bucleLocal;
        for (ifaddrs* i = lista; i; i = i->ifa_next) {
            if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
            const auto* a = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
            const auto* b = reinterpret_cast<const unsigned char*>(&a->sin_addr.s_addr);
            const QString texto =
                QStringLiteral("%1.%2.%3.%4").arg(b[0]).arg(b[1]).arg(b[2]).arg(b[3]);
            if (b[0] == 127) {
                if (bucleLocal.isEmpty()) bucleLocal = texto;
            } else {
                Direccion = texto;
                break;
            }
        }
        if (Direccion.isEmpty()) Direccion = bucleLocal;
        freeifaddrs(lista);
    }
    return true;
}

QString ProgramaEnEjecucion() {
    if (!identidadPrograma.isEmpty()) return identidadPrograma;
    const QString ruta = QCoreApplication::instance()
                             ? QCoreApplication::applicationFilePath()
                             : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    QString nombre = QFileInfo(ruta).fileName().toUpper();
    // The system knows its executables by their Windows names.
    if (!nombre.contains(QLatin1Char('.'))) nombre += QStringLiteral(".EXE");
    return nombre;
}

void AsignarProgramaEnEjecucion(const QString& Nombre) {
    identidadPrograma = Nombre.toUpper();
}

bool EsProgramaEnEjecucion(const QString& Nombre) {
    if (Nombre.isEmpty()) return false;
    return ProgramaEnEjecucion().contains(Nombre.toUpper());
}

// ---------------------------------------------------------------------------
// Programs

void EjecutarPrograma(const QString& LineaComando, const QString& Opciones) {
    QStringList argumentos = QProcess::splitCommand(LineaComando);
    QString ruta;
    int codigo =
        argumentos.isEmpty() ? int(kNoEncontrado) : localizarPrograma(argumentos.takeFirst(), ruta);
    if (codigo == kCorrecto && !QProcess::startDetached(ruta, argumentos)) codigo = kNoValido;
    if (codigo != kCorrecto && !Opciones.contains(QLatin1String("SinMensaje")))
        MensajeAdvertencia(mensajeEjecucion(codigo, LineaComando));
}

void EjecutarYEsperar(const QString& Programa, const QString& LineaComando) {
    QStringList argumentos = QProcess::splitCommand(LineaComando);
    QString programa = Programa;
    // The system's command lines begin with the program itself.
    if (programa.isEmpty()) {
        if (!argumentos.isEmpty()) programa = argumentos.takeFirst();
    } else if (!argumentos.isEmpty() && QFileInfo(NativePath(argumentos.first()))
                                                .fileName()
                                                .compare(QFileInfo(NativePath(programa)).fileName(),
                                                         Qt::CaseInsensitive) == 0) {
        argumentos.removeFirst();
    }
    QProcess proceso;
    proceso.setProgram(NativePath(programa));
    proceso.setArguments(argumentos);
    proceso.setProcessChannelMode(QProcess::ForwardedChannels);
    proceso.setStandardInputFile(QProcess::nullDevice());
    QEventLoop espera;
    bool terminado = false;
    auto terminar = [&] {
        terminado = true;
        espera.quit();
    };
    QObject::connect(&proceso, &QProcess::finished, &espera, terminar);
    QObject::connect(&proceso, &QProcess::errorOccurred, &espera, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) terminar();
    });
    proceso.start();
    if (!terminado && proceso.state() != QProcess::NotRunning) {
        if (QCoreApplication::instance())
            espera.exec();
        else
            proceso.waitForFinished(-1);
    }
    if (proceso.error() == QProcess::FailedToStart)
        MensajeAdvertencia(QStringLiteral("Error de Creación del Proceso: ") +
                           proceso.errorString());
}

// ---------------------------------------------------------------------------
// The operating system

bool ObtenerVersionWindows(TVersionSistema& Version) {
    Version = TVersionSistema();
    const QStringList numeros = QSysInfo::kernelVersion().split(
        QRegularExpression(QStringLiteral("[^0-9]+")), Qt::SkipEmptyParts);
    if (numeros.isEmpty()) return false;
    Version.MajorVersion = numeros.value(0).toInt();
    Version.MinorVersion = numeros.value(1).toInt();
    Version.BuildNumber = numeros.value(2).toInt();
    return true;
}

QString DatosVersionWindows() {
    TVersionSistema v;
    QString base = QStringLiteral("Desconocida");
    QString plataforma = base;
    if (ObtenerVersionWindows(v)) {
        base = QSysInfo::kernelType();
        if (!base.isEmpty()) base[0] = base.at(0).toUpper();
        plataforma = QSysInfo::prettyProductName();
    }
    return QStringLiteral("PlataformaBase=") + base + QStringLiteral("\r\nPlataforma=") +
           plataforma +
           QStringLiteral("\r\nVersion=%1.%2.%3")
               .arg(v.MajorVersion)
               .arg(v.MinorVersion)
               .arg(v.BuildNumber) +
           QStringLiteral("\r\nNivel=") + v.ServicePack;
}
