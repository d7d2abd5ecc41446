#include "io/outputfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>

EOutputError::EOutputError(const QString& message, const QString& fileName)
    : message_(message), fileName_(fileName), utf8_(message.toStdString()) {}

TemporaryTarget::TemporaryTarget(const QString& target) : target_(target) {
    const QFileInfo info(target);
    // The same folder keeps the final rename on one file system, where it is atomic.
    path_ = info.absolutePath() + QLatin1String("/.") + info.fileName() + QLatin1Char('.') +
            QString::number(QRandomGenerator::global()->generate64(), 36) + QLatin1String(".tmp");
}

TemporaryTarget::~TemporaryTarget() {
    if (created_) ::unlink(QFile::encodeName(path_).constData());
}

bool TemporaryTarget::Create(QString* reason) {
    if (created_) return true;
    // 0666 under the umask: the permissions of any new file of the user.
    const int fd =
        ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (reason) *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat st;
    if (::stat(QFile::encodeName(target_).constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, st.st_mode & 07777);
    ::close(fd);
    created_ = true;
    return true;
}

bool TemporaryTarget::Commit(QString* reason) {
    if (!created_) {
        if (reason) *reason = QStringLiteral("nothing was written");
        return false;
    }
    if (std::rename(QFile::encodeName(path_).constData(), QFile::encodeName(target_).constData()) !=
        0) {
        if (reason) *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    created_ = false;
    return true;
}

// ------------------------------------------------------------ TOutputFile

namespace {

constexpr qsizetype kBloque = 1 << 16;

QString razon(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

TOutputFile::TOutputFile(const QString& target, bool ownerOnly)
    : temp_(target), ownerOnly_(ownerOnly) {}

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
        return fail(QStringLiteral("the file can only be opened once, for writing"));
    QString reason;
    if (!temp_.Create(&reason)) return fail(reason);
    fd_ = ::open(QFile::encodeName(temp_.Path()).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd_ < 0) return fail(razon(errno));
    if (ownerOnly_ && ::fchmod(fd_, S_IRUSR | S_IWUSR) != 0) return fail(razon(errno));
    failed_ = false;
    return QIODevice::open(mode | Unbuffered);
}

bool TOutputFile::drain() {
    const char* p = buffer_.constData();
    qsizetype left = buffer_.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            buffer_.clear();
            return fail(razon(errno));
        }
        p += n;
        left -= n;
    }
    buffer_.clear();
    return true;
}

qint64 TOutputFile::writeData(const char* data, qint64 len) {
    if (failed_ || fd_ < 0) return -1;
    buffer_.append(data, qsizetype(len));
    if (buffer_.size() >= kBloque && !drain()) return -1;
    return len;
}

bool TOutputFile::Commit() {
    if (fd_ < 0) return failed_ ? false : fail(QStringLiteral("the file was not opened"));
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
