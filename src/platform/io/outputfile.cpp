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
