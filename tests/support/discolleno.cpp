#include "support/discolleno.h"

#include <QDir>
#include <csignal>

TDiscoLleno::TDiscoLleno(rlim_t bytes) {
    senal_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previo_);
    struct rlimit limite = previo_;
    limite.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limite);
}

TDiscoLleno::~TDiscoLleno() {
    setrlimit(RLIMIT_FSIZE, &previo_);
    std::signal(SIGXFSZ, senal_);
}

QStringList EntradasCarpeta(const QString& carpeta) {
    return QDir(carpeta).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}
