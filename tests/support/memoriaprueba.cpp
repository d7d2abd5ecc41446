#include "support/memoriaprueba.h"

#include <QFile>

namespace {

qint64 Campo(const char* nombre) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& l : f.readAll().split('\n'))
        if (l.startsWith(nombre))
            return l.mid(qstrlen(nombre)).trimmed().split(' ').first().toLongLong() / 1024;
    return -1;
}

}  // namespace

void ReiniciarPicoMemoria() {
    // "5" sets the peak back to the present size (Linux).
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

qint64 PicoMemoriaMB() {
    return Campo("VmHWM:");
}

qint64 MemoriaMB() {
    return Campo("VmRSS:");
}
