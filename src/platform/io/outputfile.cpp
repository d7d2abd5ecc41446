#include "io/outputfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>

EOutputError::EOutputError(const QString& message, const QString& fileName)
    : message_(message), fileName_(fileName), utf8_(message.toStdString()) {}

namespace {

QString razon(int error) {
    return FileErrorReason(error);
}

// The file a path names, its links followed (a link to a missing file names
// the file the link will make); a loop of links is left to open() to refuse.
QString SinEnlaces(const QString& ruta) {
    QString actual = QFileInfo(ruta).absoluteFilePath();
    for (int i = 0; i < 40; ++i) {
        const QFileInfo info(actual);
        if (!info.isSymLink()) break;
        const QString destino = info.symLinkTarget();
        if (destino.isEmpty()) break;
        actual = destino;
    }
    return actual;
}

QString Oculto(const QString& carpeta, const QString& nombre) {
    return carpeta + QLatin1String("/.") + nombre + QLatin1Char('.') +
           QString::number(QRandomGenerator::global()->generate64(), 36) + QLatin1String(".tmp");
}

int Crear(const QString& ruta) {
    // 0666 under the umask: the permissions of any new file of the user.
    return ::open(QFile::encodeName(ruta).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  0666);
}

bool Escribir(int fd, const char* p, qsizetype left, int* error) {
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            *error = errno;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

}  // namespace

QString FileErrorReason(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return QStringLiteral("permiso denegado");
        case ENOSPC:
            return QStringLiteral("no queda espacio en el disco");
        case EDQUOT:
            return QStringLiteral("se ha superado la cuota de disco");
        case EFBIG:
            return QStringLiteral("el archivo es demasiado grande");
        case EROFS:
            return QStringLiteral("el disco es de solo lectura");
        case ENOENT:
            return QStringLiteral("la carpeta no existe");
        case ENOTDIR:
            return QStringLiteral("una parte de la ruta no es una carpeta");
        case EISDIR:
            return QStringLiteral("es una carpeta");
        case ENAMETOOLONG:
            return QStringLiteral("el nombre es demasiado largo");
        case ELOOP:
            return QStringLiteral("demasiados enlaces simbólicos");
        case EIO:
            return QStringLiteral("error de lectura o escritura en el disco");
        case ETXTBSY:
        case EBUSY:
            return QStringLiteral("el archivo está en uso");
        default:
            return QStringLiteral("error del sistema %1 (%2)")
                .arg(error)
                .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

TemporaryTarget::TemporaryTarget(const QString& target)
    : target_(target), file_(SinEnlaces(target)) {
    // The same folder as the file keeps the final rename on one file system,
    // where it is atomic.
    const QFileInfo info(file_);
    path_ = Oculto(info.absolutePath(), info.fileName());
}

TemporaryTarget::~TemporaryTarget() {
    if (created_) ::unlink(QFile::encodeName(path_).constData());
}

bool TemporaryTarget::Create(QString* reason) {
    if (created_) return true;
    int fd = Crear(path_);
    if (fd < 0) {
        const int error = errno;
        // A folder that takes no new file may hold a file its user may write:
        // the new bytes wait elsewhere and go into it in place.
        const QByteArray archivo = QFile::encodeName(file_);
        struct stat st;
        if (::stat(archivo.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(archivo.constData(), W_OK) == 0) {
            const QString fuera = Oculto(QDir::tempPath(), QFileInfo(file_).fileName());
            fd = Crear(fuera);
            if (fd >= 0) {
                ::fchmod(fd, S_IRUSR | S_IWUSR);
                path_ = fuera;
                inPlace_ = true;
            }
        }
        if (fd < 0) {
            if (reason) *reason = razon(error);
            return false;
        }
    } else {
        struct stat st;
        if (::stat(QFile::encodeName(file_).constData(), &st) == 0 && S_ISREG(st.st_mode))
            ::fchmod(fd, st.st_mode & 07777);
    }
    ::close(fd);
    created_ = true;
    return true;
}

bool TemporaryTarget::commitInPlace(QString* reason) {
    auto falla = [&](int error) {
        if (reason) *reason = razon(error);
        return false;
    };
    const int origen = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_CLOEXEC);
    if (origen < 0) return falla(errno);
    const int destino = ::open(QFile::encodeName(file_).constData(), O_WRONLY | O_CLOEXEC);
    if (destino < 0) {
        const int error = errno;
        ::close(origen);
        return falla(error);
    }
    int error = 0;
    off_t total = 0;
    bool ok = !ownerOnly_ || ::fchmod(destino, S_IRUSR | S_IWUSR) == 0 || (error = errno, false);
    QByteArray bloque(1 << 16, Qt::Uninitialized);
    while (ok) {
        const ssize_t n = ::read(origen, bloque.data(), size_t(bloque.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            ok = false;
        } else if (n == 0) {
            break;
        } else {
            ok = Escribir(destino, bloque.constData(), n, &error);
            total += n;
        }
    }
    // The old content past the new end goes; what was written reaches the disk.
    if (ok && ::ftruncate(destino, total) != 0) ok = (error = errno, false);
    if (ok && ::fsync(destino) != 0 && errno != EINVAL) ok = (error = errno, false);
    if (::close(destino) != 0 && ok) ok = (error = errno, false);
    ::close(origen);
    if (!ok) return falla(error);
    ::unlink(QFile::encodeName(path_).constData());
    created_ = false;
    return true;
}

bool TemporaryTarget::Commit(QString* reason) {
    if (!created_) {
        if (reason) *reason = QStringLiteral("no se ha escrito nada");
        return false;
    }
    if (inPlace_) return commitInPlace(reason);
    if (std::rename(QFile::encodeName(path_).constData(), QFile::encodeName(file_).constData()) !=
        0) {
        if (reason) *reason = razon(errno);
        return false;
    }
    created_ = false;
    return true;
}

// ------------------------------------------------------------ TOutputFile

namespace {

constexpr qsizetype kBloque = 1 << 16;

}  // namespace

TOutputFile::TOutputFile(const QString& target, bool ownerOnly)
    : temp_(target), ownerOnly_(ownerOnly) {
    if (ownerOnly) temp_.SetOwnerOnly();
}

TOutputFile::~TOutputFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool TOutputFile::fail(const QString& reason) {
    failed_ = true;
    setErrorString(reason);
    return false;
}

bool TOutputFile::open(OpenMode mode) {
    if (fd_ >= 0 || !(mode & WriteOnly) || (mode & ReadOnly))
        return fail(QStringLiteral("el archivo solo se puede abrir una vez, para escribir"));
    QString reason;
    if (!temp_.Create(&reason)) return fail(reason);
    fd_ = ::open(QFile::encodeName(temp_.Path()).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd_ < 0) return fail(razon(errno));
    if (ownerOnly_ && ::fchmod(fd_, S_IRUSR | S_IWUSR) != 0) return fail(razon(errno));
    failed_ = false;
    return QIODevice::open(mode | Unbuffered);
}

bool TOutputFile::drain() {
    int error = 0;
    const bool ok = Escribir(fd_, buffer_.constData(), buffer_.size(), &error);
    buffer_.clear();
    return ok || fail(razon(error));
}

qint64 TOutputFile::writeData(const char* data, qint64 len) {
    if (failed_ || fd_ < 0) return -1;
    buffer_.append(data, qsizetype(len));
    if (buffer_.size() >= kBloque && !drain()) return -1;
    return len;
}

bool TOutputFile::Commit() {
    if (fd_ < 0) return failed_ ? false : fail(QStringLiteral("el archivo no se ha abierto"));
    bool ok = !failed_ && drain();
    // A disk that takes the bytes into its cache may still refuse them here.
    if (ok && ::fsync(fd_) != 0 && errno != EINVAL) ok = fail(razon(errno));
    if (::close(fd_) != 0 && ok) ok = fail(razon(errno));
    fd_ = -1;
    QIODevice::close();
    QString reason;
    if (ok && !temp_.Commit(&reason)) ok = fail(reason);
    return ok;
}

void TOutputFile::close() {
    // Closed without Commit(): nothing replaces the target.
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    buffer_.clear();
    QIODevice::close();
}

bool WriteWholeFile(const QString& target, const QByteArray& bytes, QString* reason,
                    bool ownerOnly) {
    TOutputFile file(target, ownerOnly);
    const bool ok =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.Commit();
    if (!ok && reason) *reason = file.errorString();
    return ok;
}
