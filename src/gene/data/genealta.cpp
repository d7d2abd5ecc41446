#include "gene/data/genealta.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QSqlQuery>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "db/database.h"
#include "gene/data/genecopi_registros.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/genemaes.h"
#include "gene/data/genemodu.h"
#include "gene/data/mensajes.h"

namespace {

TDatabase* BaseEmpresa() {
    return fGENEINIC ? fGENEINIC->Database : nullptr;
}

void AvisoError(const std::exception& e) {
    MensajeAdvertencia(QStringLiteral("Error. No es posible ejecutar la sentencia SQL. Motivo: ") +
                       MotivoError(e));
}

// A lock file just made may not name its owner yet: it is judged only once
// it is older than this.
constexpr qint64 kGraciaBloqueoMs = 5000;

// Removes a lock file whose owner cannot be read from it (empty: its
// process died between making it and writing itself in; unreadable) once
// the grace has passed, and answers whether it is gone. QLockFile judges the
// files that name their owner (a process of this machine that is gone is
// stale). A live owner holds a native lock on its file from just after
// making it until it ends: such a file is left alone.
bool RetirarBloqueoSinDueno(QLockFile& Bloqueo, const QString& Ruta) {
    const QFileInfo info(Ruta);
    if (!info.exists()) return true;
    if (qAbs(info.lastModified().msecsTo(QDateTime::currentDateTime())) < kGraciaBloqueoMs)
        return false;
    qint64 pid = 0;
    QString maquina, programa;
    if (Bloqueo.getLockInfo(&pid, &maquina, &programa)) return false;
    const QByteArray nativa = QFile::encodeName(Ruta);
    const int fd = ::open(nativa.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == EACCES && ::unlink(nativa.constData()) == 0;
    bool retirado = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        // Still the file we hold locked: another session may have removed
        // it and made its own meanwhile.
        struct stat abierto, actual;
        retirado = ::fstat(fd, &abierto) == 0 && ::stat(nativa.constData(), &actual) == 0 &&
                   abierto.st_dev == actual.st_dev && abierto.st_ino == actual.st_ino &&
                   ::unlink(nativa.constData()) == 0;
    }
    ::close(fd);
    return retirado;
}

// The keys this process holds for new records ("where" and key): a
// PostgreSQL advisory lock is granted again to the session that holds it,
// and a clean-up must not take a key an entry of this process is typing.
QSet<QString>& ClavesReservadas() {
    static QSet<QString> claves;
    return claves;
}

}  // namespace

TAltaMaestro::TAltaMaestro(const QString& TablaMaestra, const QString& CampoClave,
                           const QString& NombreAdjuntos, const QList<TablaLineasAlta>& Lineas)
    : tablaMaestra_(TablaMaestra),
      campoClave_(CampoClave),
      nombreAdjuntos_(NombreAdjuntos),
      lineas_(Lineas) {}

TAltaMaestro::~TAltaMaestro() {
    Liberar();
}

QString TAltaMaestro::IdentidadClave(const QString& texto) const {
    TDatabase* base = BaseEmpresa();
    if (!base) return QString();
    const QString donde =
        base->engine() == Engine::Postgres ? base->Params().schema : base->Params().folder;
    return donde + QLatin1Char('|') + tablaMaestra_ + QLatin1Char('|') + texto;
}

bool TAltaMaestro::TomarBloqueo(const QString& texto, std::unique_ptr<QLockFile>& archivo,
                                QString& palabra, bool& ocupada) const {
    ocupada = false;
    TDatabase* base = BaseEmpresa();
    if (!base) return true;
    if (ClavesReservadas().contains(IdentidadClave(texto))) {
        ocupada = true;
        return false;
    }
    if (base->engine() == Engine::Postgres) {
        // The company's schema keeps the same key of two companies apart.
        palabra = QStringLiteral("alta ") + base->Params().schema + QLatin1Char('.') +
                  tablaMaestra_.toLower();
        if (base->TryLockRecord(palabra, texto)) return true;
        palabra.clear();
        ocupada = true;
        return false;
    }
    const QString carpeta = base->Params().folder;
    if (carpeta.isEmpty()) return true;
    const QString ruta = carpeta + QStringLiteral("/ALTA_") + tablaMaestra_ + QLatin1Char('_') +
                         QString::fromLatin1(texto.toUtf8().toHex()) + QStringLiteral(".lck");
    archivo = std::make_unique<QLockFile>(ruta);
    // Stale only when its process is gone, however long a record is typed.
    archivo->setStaleLockTime(0);
    if (archivo->tryLock(0)) return true;
    if (archivo->error() == QLockFile::LockFailedError && RetirarBloqueoSinDueno(*archivo, ruta) &&
        archivo->tryLock(0))
        return true;
    ocupada = archivo->error() == QLockFile::LockFailedError;
    archivo.reset();
    return false;
}

void TAltaMaestro::SoltarBloqueo(const QString& texto, std::unique_ptr<QLockFile>& archivo,
                                 QString& palabra) const {
    archivo.reset();
    TDatabase* base = BaseEmpresa();
    if (palabra.isEmpty() || !base) return;
    try {
        base->UnlockRecord(palabra, texto);
    } catch (const std::exception&) {
        // The connection is gone, and its locks with it.
    }
    palabra.clear();
}

bool TAltaMaestro::Bloquear(const QString& texto) {
    bool ocupada = false;
    if (TomarBloqueo(texto, archivo_, bloqueo_, ocupada)) {
        ClavesReservadas().insert(IdentidadClave(texto));
        return true;
    }
    // A folder where no file can be made cannot take the record's rows either.
    return !ocupada;
}

void TAltaMaestro::Desbloquear() {
    ClavesReservadas().remove(IdentidadClave(clave_.toString()));
    SoltarBloqueo(clave_.toString(), archivo_, bloqueo_);
}

bool TAltaMaestro::Reservar(const QVariant& Clave) {
    if (reservada_ && clave_ == Clave) return true;
    Liberar();
    TDatabase* base = BaseEmpresa();
    const QString texto = Clave.toString();
    try {
        if (base &&
            base->Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + tablaMaestra_ +
                             QStringLiteral(" WHERE ") + campoClave_ + QStringLiteral(" = ?"),
                         {Clave})
                    .toInt() > 0) {
            MensajeAdvertencia(QString::fromUtf8(textosmaestro::kYaExisteRegistro));
            return false;
        }
        if (!Bloquear(texto)) {
            MensajeAdvertencia(
                QStringLiteral("¡ El registro esta siendo bloqueado por otro usuario !"));
            return false;
        }
    } catch (const std::exception& e) {
        AvisoError(e);
        return false;
    }
    clave_ = Clave;
    reservada_ = true;
    conFilas_ = false;
    if (EliminarRestos(Clave)) return true;
    Liberar();
    return false;
}

bool TAltaMaestro::Cancelar() {
    if (!reservada_) return true;
    const bool correcto = EliminarRestos(clave_);
    Liberar();
    return correcto;
}

void TAltaMaestro::Liberar() {
    if (reservada_) Desbloquear();
    reservada_ = false;
    conFilas_ = false;
    clave_ = QVariant();
}

bool TAltaMaestro::EliminarRestos(const QVariant& Clave) {
    TDatabase* base = BaseEmpresa();
    if (!base) return true;
    TGuardaTransaccion transaccion(fGENEINIC, base);
    if (!transaccion.Activa()) {
        MensajeAdvertencia(
            QStringLiteral("¡ La transacción no ha sido completada !. Inténtelo de nuevo."));
        return false;
    }
    try {
        // Rows of a record that exists are his, never remains.
        if (base->Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + tablaMaestra_ +
                             QStringLiteral(" WHERE ") + campoClave_ + QStringLiteral(" = ?"),
                         {Clave})
                .toInt() > 0)
            return true;
        for (const TablaLineasAlta& l : std::as_const(lineas_)) {
            // A table not made yet holds nothing.
            if (!base->TableExists(l.Tabla)) continue;
            base->Execute(
                QStringLiteral("DELETE FROM ") + l.Tabla + QStringLiteral(" WHERE ") +
                    l.CampoClave + QStringLiteral(" = ?") +
                    (l.Condicion.isEmpty() ? QString() : QStringLiteral(" AND ") + l.Condicion),
                {Clave});
        }
    } catch (const std::exception& e) {
        AvisoError(e);
        return false;
    }
    return EliminarRegistrosAsociadosClave(ModuloDatos, nombreAdjuntos_, Clave.toString()) &&
           transaccion.Confirmar();
}

bool TAltaMaestro::EliminarRestosAbandonados() {
    TDatabase* base = BaseEmpresa();
    if (!base) return true;
    // The codes that lines and attachments hold while the master has no row
    // with them, in the order found.
    QList<QVariant> codigos;
    QSet<QString> vistos;
    auto anotar = [&](const QVariant& v) {
        const QString t = v.toString();
        if (t.isEmpty() || vistos.contains(t)) return;
        vistos.insert(t);
        codigos << v;
    };
    try {
        // Without the master there is nothing to tell remains by.
        if (!base->TableExists(tablaMaestra_)) return true;
        const QString maestro = QStringLiteral(" FROM ") + tablaMaestra_ + QLatin1Char(')');
        for (const TablaLineasAlta& l : std::as_const(lineas_)) {
            if (!base->TableExists(l.Tabla)) continue;
            QSqlQuery q = base->Execute(
                QStringLiteral("SELECT DISTINCT ") + l.CampoClave + QStringLiteral(" FROM ") +
                l.Tabla + QStringLiteral(" WHERE ") +
                (l.Condicion.isEmpty() ? QString() : l.Condicion + QStringLiteral(" AND ")) +
                l.CampoClave + QStringLiteral(" NOT IN (SELECT ") + campoClave_ + maestro);
            while (q.next()) anotar(q.value(0));
        }
        // The attachments an entry writes (analysis groups, photo, documents)
        // under the key as its text.
        for (const char* adjuntos : {"GRANTAB", "BLOBTAB", "DOCUTRON"}) {
            const QString tabla = QLatin1String(adjuntos);
            if (!base->TableExists(tabla)) continue;
            QSqlQuery q = base->Execute(
                QStringLiteral("SELECT DISTINCT ClaveTabla FROM ") + tabla +
                    QStringLiteral(" WHERE NombreTabla = ? AND ClaveTabla NOT IN (SELECT CAST(") +
                    campoClave_ + QStringLiteral(" AS VARCHAR(20))") + maestro,
                {nombreAdjuntos_});
            while (q.next()) {
                // Only a text the numeric key gives: "007" is nobody's remains.
                const QString texto = q.value(0).toString();
                bool ok = false;
                const qlonglong numero = texto.toLongLong(&ok);
                if (ok && QString::number(numero) == texto) anotar(numero);
            }
        }
    } catch (const std::exception& e) {
        AvisoError(e);
        return false;
    }
    if (codigos.isEmpty()) return true;

    // Each code is held as an entry holds it, so that no entry starts on it
    // meanwhile; one that a live entry holds is that entry's.
    struct Tomado {
        QString texto;
        std::unique_ptr<QLockFile> archivo;
        QString palabra;
    };
    std::vector<Tomado> tomados;
    QList<QVariant> libres;
    for (const QVariant& c : std::as_const(codigos)) {
        Tomado t{c.toString(), nullptr, QString()};
        bool ocupada = false;
        if (!TomarBloqueo(t.texto, t.archivo, t.palabra, ocupada)) continue;
        tomados.push_back(std::move(t));
        libres << c;
    }
    bool correcto = true;
    if (!libres.isEmpty()) {
        TGuardaTransaccion transaccion(fGENEINIC, base);
        correcto = transaccion.Activa();
        for (qsizetype i = 0; correcto && i < libres.size(); ++i)
            correcto = EliminarRestos(libres.at(i));
        if (correcto) correcto = transaccion.Confirmar();
    }
    for (Tomado& t : tomados) SoltarBloqueo(t.texto, t.archivo, t.palabra);
    return correcto;
}
