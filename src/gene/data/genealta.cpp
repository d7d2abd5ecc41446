#include "gene/data/genealta.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLockFile>
#include <QPointer>
#include <QScopeGuard>
#include <QSet>
#include <QSqlQuery>
#include <QTimer>
#include <QUuid>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "db/database.h"
#include "db/dataset.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneclav_p.h"
#include "gene/data/geneconv.h"
#include "gene/data/genecopi_registros.h"
#include "gene/data/genemodu.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/genemaes.h"

namespace {

TDatabase* BaseEmpresa() {
    return fGENEINIC ? fGENEINIC->Database : nullptr;
}

void AvisoError(const std::exception& e) {
    MensajeAdvertencia(QStringLiteral("Error. No es posible ejecutar la sentencia SQL. Motivo: ") +
                       MotivoError(e));
}

// "Campo = valor" added to a condition: dates as the engine's literals,
// other values bound.
void CondicionValor(const QString& Campo, const QVariant& Valor, QString& Sql,
                    QVariantList& Valores) {
    if (!Sql.isEmpty()) Sql += QStringLiteral(" AND ");
    const int tipo = Valor.typeId();
    if (!Valor.isValid() || Valor.isNull()) {
        Sql += Campo + QStringLiteral(" IS NULL");
    } else if (tipo == QMetaType::QDate || tipo == QMetaType::QDateTime ||
               tipo == QMetaType::QTime) {
        Sql += Campo + QStringLiteral(" = ") + ValorSQL(Valor);
    } else {
        Sql += Campo + QStringLiteral(" = ?");
        Valores << Valor;
    }
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

// PostgreSQL: the advisory lock of a held code ends with the connection, so
// a server restart (or a backend ended alone) frees it while the program
// that holds the code goes on. The hold is therefore also a row of RESERCOD
// naming this program's run, whose time stamp it refreshes while it lives:
// another program judges rows under a code by it. A row refreshed lately is
// a live entry's (its rows stay); one not refreshed for kVigenciaS seconds
// is the hold of a program that has ended (its rows are leftovers). Nobody
// can refresh a row while the server is down, so its age counts from the
// later of its refresh and the server's start: after a restart every hold
// has a full period in which its program reconnects.
constexpr int kRefrescoMs = 30000;
constexpr qint64 kVigenciaS = 120;
const QString kReservas = QStringLiteral("RESERCOD");
// The lock word of a code hold begins so ("alta " + schema + "." + table).
const QString kPalabraAlta = QStringLiteral("alta ");
const QString kAhora = QStringLiteral("CAST(EXTRACT(EPOCH FROM clock_timestamp()) AS BIGINT)");
qint64 antedatado = 0;

QString InicioServidor() {
    return QStringLiteral("CAST(EXTRACT(EPOCH FROM pg_postmaster_start_time()) AS BIGINT) - ") +
           QString::number(antedatado);
}

const QString& SesionPrograma() {
    static const QString sesion = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return sesion;
}

bool ConReservas(TDatabase* base) {
    return base && base->engine() == Engine::Postgres;
}

// The run that holds the code by its row, and for how many seconds it has
// not been refreshed while the server ran; an empty run when there is no row.
std::pair<QString, qint64> ReservaDe(TDatabase* base, const QString& tabla, const QString& texto) {
    QSqlQuery q = base->Execute(QStringLiteral("SELECT Sesion, ") + kAhora +
                                    QStringLiteral(" - GREATEST(Instante, ") + InicioServidor() +
                                    QStringLiteral(") FROM ") + kReservas +
                                    QStringLiteral(" WHERE Tabla = ? AND Clave = ?"),
                                {tabla, texto});
    if (!q.next()) return {QString(), 0};
    return {q.value(0).toString(), q.value(1).toLongLong()};
}

bool ReservaAjenaViva(TDatabase* base, const QString& tabla, const QString& texto) {
    const auto [sesion, edad] = ReservaDe(base, tabla, texto);
    return !sesion.isEmpty() && sesion != SesionPrograma() && edad < kVigenciaS;
}

void AnotarReserva(TDatabase* base, const QString& tabla, const QString& texto) {
    base->Execute(QStringLiteral("INSERT INTO ") + kReservas +
                      QStringLiteral(" (Tabla, Clave, Sesion, Instante) VALUES (?, ?, ?, ") +
                      kAhora +
                      QStringLiteral(") ON CONFLICT (Tabla, Clave) DO UPDATE SET Sesion = "
                                     "EXCLUDED.Sesion, Instante = EXCLUDED.Instante"),
                  {tabla, texto, SesionPrograma()});
}

// The connection the hold rows are refreshed on, to the company's database
// the work connection is on. Of its own: it never holds a transaction, so
// neither a confirm nor a message box left open inside the work
// connection's transaction (nor that transaction lost with its connection)
// holds the refresh back; a lost one is opened again by its next statement.
TDatabase* ConexionReservas(TDatabase* base) {
    static QPointer<TDatabase> conexion;
    if (!conexion) {
        conexion = new TDatabase(QCoreApplication::instance());
        conexion->setDatabaseName(QStringLiteral("ReservasCodigos"));
    }
    const TConnectionParams& p = base->Params();
    const TConnectionParams& c = conexion->Params();
    const bool misma = c.host == p.host && c.port == p.port && c.user == p.user &&
                       c.password == p.password && c.database == p.database &&
                       c.schema == p.schema && c.searchPath == p.searchPath;
    if (!misma) {
        conexion->Close();
        conexion->Params() = p;
    }
    conexion->Open();
    return conexion;
}

// Keeps this run's hold rows fresh while it holds a code, whatever its work
// connection is doing. A row another session has locked (its confirm
// writing it) is left to the next beat rather than waited for.
void RefrescarReservas() {
    TDatabase* base = BaseEmpresa();
    if (!ConReservas(base) || ClavesReservadas().isEmpty()) return;
    const QString sql = QStringLiteral("UPDATE ") + kReservas + QStringLiteral(" SET Instante = ") +
                        kAhora +
                        QStringLiteral(" WHERE (Tabla, Clave) IN (SELECT Tabla, Clave FROM ") +
                        kReservas + QStringLiteral(" WHERE Sesion = ? FOR UPDATE SKIP LOCKED)");
    // A connection the server ended is told by its first statement and made
    // again by the second.
    for (int intento = 0; intento < 2; ++intento) {
        try {
            ConexionReservas(base)->Execute(sql, {SesionPrograma()});
            return;
        } catch (const EDatabaseError& e) {
            if (e.code() != DbError::ConnectionLost) return;
        } catch (const std::exception&) {
            return;  // the server is away: a later beat refreshes them
        }
    }
}

// The work connection opened again after a loss has taken back the locks
// of its held codes (those another program took meanwhile are told at the
// next write under them): their rows are refreshed before its next
// statement, so that nobody takes them for an ended program's.
void VigilarReconexion(TDatabase* base) {
    static QSet<TDatabase*> vigiladas;
    if (vigiladas.contains(base)) return;
    vigiladas.insert(base);
    QObject::connect(base, &QObject::destroyed, [base] { vigiladas.remove(base); });
    QObject::connect(base, &TDatabase::Reconnected, base, [] { RefrescarReservas(); });
}

void LatidoReservas() {
    static QTimer* latido = nullptr;
    if (latido || !QCoreApplication::instance()) return;
    latido = new QTimer(QCoreApplication::instance());
    latido->setObjectName(QStringLiteral("LatidoReservas"));
    latido->setInterval(kRefrescoMs);
    QObject::connect(latido, &QTimer::timeout, &RefrescarReservas);
    latido->start();
}

}  // namespace

bool EsReservaDeAlta(const QString& Bloqueo) {
    return Bloqueo.startsWith(kPalabraAlta, Qt::CaseInsensitive);
}

void AntedatarInicioServidor(qint64 Segundos) {
    antedatado = Segundos;
}

void CrearTablaReservas(TDatabase* Base) {
    if (!ConReservas(Base) || Base->TableExists(kReservas)) return;
    try {
        Base->Execute(QStringLiteral("CREATE TABLE IF NOT EXISTS ") + kReservas +
                      QStringLiteral(" (Tabla VARCHAR(30) NOT NULL, Clave VARCHAR(60) NOT NULL, "
                                     "Sesion VARCHAR(40) NOT NULL, Instante BIGINT NOT NULL, "
                                     "PRIMARY KEY (Tabla, Clave))"));
    } catch (const EDatabaseError& e) {
        // The second of two sessions making it at once is refused.
        Base->InvalidateCatalog();
        if (Base->TableExists(kReservas)) return;
        MensajeAdvertencia(QStringLiteral("¡No es posible crear la tabla SQL (Paso 1)!. Motivo: ") +
                           MotivoError(e));
    }
    Base->InvalidateCatalog();
}

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
        palabra = kPalabraAlta + base->Params().schema + QLatin1Char('.') + tablaMaestra_.toLower();
        if (base->TryLockRecord(palabra, texto)) {
            // Free only because its holder's connection ended: its program
            // may live and come back for it.
            if (!ReservaAjenaViva(base, tablaMaestra_, texto)) return true;
            base->UnlockRecord(palabra, texto);
            enUso_ = true;
        }
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
        TDatabase* base = BaseEmpresa();
        if (ConReservas(base)) {
            try {
                AnotarReserva(base, tablaMaestra_, texto);
            } catch (...) {
                SoltarBloqueo(texto, archivo_, bloqueo_);
                throw;
            }
            VigilarReconexion(base);
            LatidoReservas();
        }
        ClavesReservadas().insert(IdentidadClave(texto));
        return true;
    }
    // A folder where no file can be made cannot take the record's rows either.
    return !ocupada;
}

void TAltaMaestro::Desbloquear() {
    const QString texto = clave_.toString();
    ClavesReservadas().remove(IdentidadClave(texto));
    TDatabase* base = BaseEmpresa();
    if (ConReservas(base)) {
        try {
            base->Execute(QStringLiteral("DELETE FROM ") + kReservas +
                              QStringLiteral(" WHERE Tabla = ? AND Clave = ? AND Sesion = ?"),
                          {tablaMaestra_, texto, SesionPrograma()});
        } catch (const std::exception&) {
            // Left behind, it goes stale: nobody is kept from the code for long.
        }
    }
    SoltarBloqueo(texto, archivo_, bloqueo_);
}

bool TAltaMaestro::ReservaVigente() {
    TDatabase* base = BaseEmpresa();
    if (!base) return true;
    const QString texto = clave_.toString();
    // Stored by someone else meanwhile.
    if (base->Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + tablaMaestra_ +
                         QStringLiteral(" WHERE ") + campoClave_ + QStringLiteral(" = ?"),
                     {clave_})
            .toInt() > 0)
        return false;
    if (base->engine() == Engine::Postgres) {
        if (bloqueo_.isEmpty()) return true;
        // A reconnection takes the lock again unless another session took it.
        if (!base->KeepRecordLock(bloqueo_, texto)) return false;
        const auto [sesion, edad] = ReservaDe(base, tablaMaestra_, texto);
        Q_UNUSED(edad);
        if (!sesion.isEmpty() && sesion != SesionPrograma()) return false;
        if (sesion.isEmpty()) AnotarReserva(base, tablaMaestra_, texto);
        return true;
    }
    if (!archivo_) return true;
    // The file is still the one this run made.
    qint64 pid = 0;
    QString maquina, programa;
    return archivo_->isLocked() && archivo_->getLockInfo(&pid, &maquina, &programa) &&
           pid == QCoreApplication::applicationPid();
}

bool TAltaMaestro::Reservar(const QVariant& Clave) {
    enUso_ = false;
    if (reservada_ && clave_ == Clave) {
        // Before anything more is written under it: the hold may have been
        // lost with the connection and the code taken meanwhile.
        try {
            if (ReservaVigente()) {
                // Held all along: what stands under it is the entry's.
                adjuntos_ = AdjuntosBajoClave();
                adjuntoNuevo_ = false;
                return true;
            }
        } catch (const std::exception& e) {
            AvisoError(e);
            return false;
        }
        // Another record's now: of what stands under the code, the entry's
        // own are the lines it posted and the attachments seen there while
        // it held it (and, when one was stored since, those there now).
        Traslado traslado{clave_, {}, adjuntos_};
        for (const LineaGrabadaAlta& l : std::as_const(lineasGrabadas_))
            if (!l.ausente) traslado.lineas << l;
        if (adjuntoNuevo_) {
            try {
                const Adjuntos ahora = AdjuntosBajoClave();
                for (const QString& d : ahora.documentos)
                    if (!traslado.adjuntos.documentos.contains(d))
                        traslado.adjuntos.documentos << d;
                traslado.adjuntos.foto = traslado.adjuntos.foto || ahora.foto;
            } catch (const std::exception&) {
                // Unread: those seen before go.
            }
        }
        if (!traslado.lineas.isEmpty() || !traslado.adjuntos.documentos.isEmpty() ||
            traslado.adjuntos.foto)
            traslados_ << traslado;
        const QString texto = clave_.toString();
        Soltar();
        tomada_ = true;
        MensajeAdvertencia(QStringLiteral("¡ Otro usuario ha tomado entretanto el código ") +
                           texto + QStringLiteral(" !. Indique otro código."));
        return false;
    }
    Soltar();
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
            // A code in use by an entry whose hold cannot be judged: its
            // caller proposes another one.
            if (!enUso_)
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
    Soltar();
    return false;
}

bool TAltaMaestro::Cancelar() {
    bool correcto = true;
    if (!traslados_.isEmpty()) {
        // The entry's rows under a code another record now has go, and only they.
        TGuardaTransaccion transaccion(fGENEINIC, BaseEmpresa());
        if (!transaccion.Activa()) {
            MensajeAdvertencia(TextoTransaccionNoIniciada());
            correcto = false;
        } else {
            try {
                Trasladar(false);
                correcto = transaccion.Confirmar();
            } catch (const std::exception& e) {
                AvisoError(e);
                correcto = false;
            }
        }
    }
    if (reservada_ && !EliminarRestos(clave_)) correcto = false;
    Liberar();
    return correcto;
}

void TAltaMaestro::Soltar() {
    if (reservada_) Desbloquear();
    reservada_ = false;
    conFilas_ = false;
    tomada_ = false;
    lineasGrabadas_.clear();
    editadas_.clear();
    aGrabar_.clear();
    adjuntos_ = Adjuntos();
    adjuntoNuevo_ = false;
    clave_ = QVariant();
}

void TAltaMaestro::Liberar() {
    Soltar();
    traslados_.clear();
}

void TAltaMaestro::LiberarSiGrabado() {
    TDatabase* base = BaseEmpresa();
    if (!reservada_ || !base) return;
    try {
        if (base->Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + tablaMaestra_ +
                             QStringLiteral(" WHERE ") + campoClave_ + QStringLiteral(" = ?"),
                         {clave_})
                .toInt() > 0)
            Liberar();
    } catch (const std::exception&) {
        // Unknown: held until the record is confirmed again or given up.
    }
}

qsizetype TAltaMaestro::LineaConClave(TDataSet* Linea, const QString& clave) const {
    for (qsizetype i = 0; i < lineasGrabadas_.size(); ++i) {
        const LineaGrabadaAlta& l = lineasGrabadas_.at(i);
        if (l.lineas == Linea && !l.ausente && l.clave == clave) return i;
    }
    return -1;
}

qsizetype TAltaMaestro::LineaDe(TDataSet* Linea, QString& clave) const {
    clave.clear();
    if (!Linea || !Linea->Active() || Linea->IsEmpty()) return -1;
    ClaveRegistro(ModuloDatos, Linea, clave);
    return LineaConClave(Linea, clave);
}

void TAltaMaestro::LineaEditada(TDataSet* Linea) {
    QString clave;
    if (Linea && Linea->State() == dsBrowse && LineaDe(Linea, clave) >= 0)
        editadas_.insert(Linea, clave);
    else
        editadas_.remove(Linea);
}

void TAltaMaestro::LineaAGrabar(TDataSet* Linea) {
    if (!Linea) return;
    // A line stored again after a confirm taken back is read as it was
    // edited: under the key it had before, or already under its new one.
    if (Linea->State() == dsEdit)
        aGrabar_.insert(Linea, editadas_.value(Linea));
    else
        aGrabar_.remove(Linea);
}

void TAltaMaestro::LineaGrabada(TDataSet* Linea, const QString& Descripcion) {
    conFilas_ = true;
    QString clave;
    LineaDe(Linea, clave);
    if (clave.isEmpty()) return;
    LineaGrabadaAlta l{Linea, clave, Descripcion, {}, false, false};
    for (int f = 0; f < Linea->FieldCount(); ++f) {
        const TField* campo = Linea->Fields().Fields(f);
        if (campo->FieldKind() == fkData) l.valores.append({campo->FieldName(), campo->Value()});
    }
    const bool editada = aGrabar_.contains(Linea);
    const QString anterior = aGrabar_.take(Linea);
    qsizetype i = -1;
    if (restaurando_ >= 0 && restaurando_ < lineasGrabadas_.size() &&
        lineasGrabadas_.at(restaurando_).lineas == Linea) {
        i = restaurando_;
    } else if (editada) {
        // A changed line is the one it was, under its key as it now stands.
        i = LineaConClave(Linea, anterior);
        if (i < 0) i = LineaConClave(Linea, clave);
        editadas_.remove(Linea);
    } else {
        const qsizetype otra = LineaConClave(Linea, clave);
        if (otra >= 0 && lineasGrabadas_.at(otra).valores == l.valores) {
            // The same line posted again (its first post taken back).
            i = otra;
        } else if (otra >= 0) {
            // A new line stored under its key: the one shown there was gone.
            lineasGrabadas_[otra].ausente = true;
        }
        if (i < 0 && restaurando_ >= 0)
            // Stored again by another's post (a training line's group).
            for (qsizetype j = 0; j < lineasGrabadas_.size() && i < 0; ++j) {
                const LineaGrabadaAlta& p = lineasGrabadas_.at(j);
                if (p.lineas == Linea && p.ausente && p.clave == clave) i = j;
            }
    }
    if (i < 0) {
        lineasGrabadas_.append(l);
        return;
    }
    // A line stored again keeps having been told lost.
    l.perdida = lineasGrabadas_.at(i).perdida;
    lineasGrabadas_[i] = l;
}

void TAltaMaestro::LineaQuitada(TDataSet* Linea) {
    aGrabar_.remove(Linea);
    editadas_.remove(Linea);
    QString clave;
    const qsizetype i = LineaDe(Linea, clave);
    // A new line typed over a stored one's key is not that line.
    if (i >= 0 && (Linea->State() != dsInsert || !ExisteClave(ModuloDatos, Linea, clave)))
        lineasGrabadas_.removeAt(i);
}

void TAltaMaestro::QuitarConRegla(TDataSet* Lineas, const std::function<void()>& Regla) {
    // Those there before the rule and gone after it are the rule's doing.
    QList<qsizetype> antes;
    for (qsizetype i = 0; i < lineasGrabadas_.size(); ++i) {
        const LineaGrabadaAlta& l = lineasGrabadas_.at(i);
        if (l.lineas == Lineas && !l.ausente && ExisteClave(ModuloDatos, Lineas, l.clave))
            antes << i;
    }
    Regla();
    for (qsizetype k = antes.size() - 1; k >= 0; --k) {
        const qsizetype i = antes.at(k);
        const LineaGrabadaAlta& l = lineasGrabadas_.at(i);
        if (l.lineas && !ExisteClave(ModuloDatos, l.lineas, l.clave)) lineasGrabadas_.removeAt(i);
    }
}

QStringList TAltaMaestro::ComprobarLineas() {
    Trasladar(true);
    QStringList nuevas;
    for (LineaGrabadaAlta& l : lineasGrabadas_) {
        l.restaurar = false;
        if (!l.lineas) continue;
        if (!l.ausente && ExisteClave(ModuloDatos, l.lineas, l.clave)) continue;
        l.ausente = l.restaurar = true;
        if (l.perdida) continue;
        l.perdida = true;
        nuevas << l.descripcion;
    }
    if (!nuevas.isEmpty()) return nuevas;
    // Stored again as they were stored, by their datasets' own posts: their
    // checks, numbering and after-post steps run as for a typed line (and
    // may store or remove other lines meanwhile).
    const auto fin = qScopeGuard([this] { restaurando_ = -1; });
    for (;;) {
        const auto p = std::find_if(lineasGrabadas_.cbegin(), lineasGrabadas_.cend(),
                                    [](const LineaGrabadaAlta& l) { return l.restaurar; });
        if (p == lineasGrabadas_.cend()) break;
        const qsizetype i = p - lineasGrabadas_.cbegin();
        lineasGrabadas_[i].restaurar = false;
        const LineaGrabadaAlta l = lineasGrabadas_.at(i);
        if (!l.lineas || !l.ausente) continue;
        auto* tabla = qobject_cast<TTable*>(l.lineas.data());
        l.lineas->Append();
        for (const auto& [campo, valor] : l.valores) l.lineas->FieldByName(campo)->setValue(valor);
        if (ExisteClave(ModuloDatos, l.lineas, l.clave)) {
            // A new line took its key: a numbered line takes the next number;
            // any other (a group stored again with its line) is there.
            const QStringList campos = CamposClaveDataSet(ModuloDatos, l.lineas);
            TField* numero = campos.isEmpty() ? nullptr : l.lineas->FindField(campos.last());
            if (!tabla || !numero || !IsIntegerType(numero->DataType())) {
                l.lineas->Cancel();
                lineasGrabadas_[i].ausente = false;
                continue;
            }
            AsignarSiguienteCodigo(ModuloDatos, tabla, numero);
        }
        restaurando_ = i;
        try {
            l.lineas->Post();
        } catch (...) {
            if (l.lineas && l.lineas->State() == dsInsert) l.lineas->Cancel();
            throw;
        }
        restaurando_ = -1;
    }
    return nuevas;
}

TAltaMaestro::Adjuntos TAltaMaestro::AdjuntosBajoClave() const {
    Adjuntos a;
    TDatabase* base = BaseEmpresa();
    if (!base || !reservada_) return a;
    const QVariantList clave{nombreAdjuntos_, clave_.toString()};
    const QString donde = QStringLiteral(" WHERE NombreTabla = ? AND ClaveTabla = ?");
    if (base->TableExists(QStringLiteral("DOCUTRON"))) {
        QSqlQuery q = base->Execute(QStringLiteral("SELECT Nombre FROM DOCUTRON") + donde, clave);
        while (q.next()) a.documentos << q.value(0).toString();
    }
    if (base->TableExists(QStringLiteral("BLOBTAB")))
        a.foto =
            base->Scalar(QStringLiteral("SELECT COUNT(*) FROM BLOBTAB") + donde, clave).toInt() > 0;
    return a;
}

void TAltaMaestro::AnotarAdjuntos() {
    if (!reservada_ || !adjuntoNuevo_) return;
    try {
        if (!ReservaVigente()) return;
        adjuntos_ = AdjuntosBajoClave();
        adjuntoNuevo_ = false;
    } catch (const std::exception&) {
        // The next check of the hold tells it.
    }
}

void TAltaMaestro::Trasladar(bool Mover) {
    TDatabase* base = BaseEmpresa();
    if (traslados_.isEmpty() || !base || (Mover && !reservada_)) return;
    const QString nuevo = clave_.toString();
    for (const Traslado& t : std::as_const(traslados_)) {
        for (const LineaGrabadaAlta& l : t.lineas) {
            if (!l.lineas) continue;
            const QString tabla = NombreTablaDataSet(l.lineas);
            const QStringList campos = CamposClaveDataSet(ModuloDatos, l.lineas);
            if (tabla.isEmpty() || campos.isEmpty()) continue;
            // The field of the master's key: a history's, or an attachment's text.
            QString campoClave = QStringLiteral("ClaveTabla");
            for (const TablaLineasAlta& h : std::as_const(lineas_))
                if (h.Tabla.compare(tabla, Qt::CaseInsensitive) == 0) campoClave = h.CampoClave;
            auto valor = [&](const QString& campo) {
                for (const auto& [nombre, v] : l.valores)
                    if (nombre.compare(campo, Qt::CaseInsensitive) == 0) return v;
                return QVariant();
            };
            auto esClave = [&](const QString& campo) {
                return campo.compare(campoClave, Qt::CaseInsensitive) == 0;
            };
            const QVariant anterior = valor(campoClave);
            const QVariant codigo =
                anterior.typeId() == QMetaType::QString ? QVariant(nuevo) : clave_;
            // The row as the entry stored it, and its key under the held code.
            QString donde, destino, otros;
            QVariantList enDonde, enDestino, enOtros;
            for (qsizetype i = 0; i < campos.size(); ++i) {
                const QString& c = campos.at(i);
                CondicionValor(c, valor(c), donde, enDonde);
                CondicionValor(c, esClave(c) ? codigo : valor(c), destino, enDestino);
                if (i + 1 < campos.size())
                    CondicionValor(c, esClave(c) ? codigo : valor(c), otros, enOtros);
            }
            const QString borrar =
                QStringLiteral("DELETE FROM ") + tabla + QStringLiteral(" WHERE ") + donde;
            if (!Mover) {
                base->Execute(borrar, enDonde);
                continue;
            }
            QString asignar = campoClave + QStringLiteral(" = ?");
            QVariantList valores{codigo};
            if (base->Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + tabla +
                                 QStringLiteral(" WHERE ") + destino,
                             enDestino)
                    .toInt() > 0) {
                const QString ultimo = campos.last();
                const QVariant numero = valor(ultimo);
                const int tipo = numero.typeId();
                const bool numerada = !esClave(ultimo) && campos.size() > 1 &&
                                      (tipo == QMetaType::Int || tipo == QMetaType::LongLong ||
                                       tipo == QMetaType::Short || tipo == QMetaType::UInt);
                if (!numerada) {
                    // The same line (a group) stands under the held code already.
                    base->Execute(borrar, enDonde);
                    continue;
                }
                // Numbered among the held code's lines.
                asignar += QStringLiteral(", ") + ultimo + QStringLiteral(" = ?");
                valores << base->Scalar(QStringLiteral("SELECT COALESCE(MAX(") + ultimo +
                                            QStringLiteral("), 0) + 1 FROM ") + tabla +
                                            QStringLiteral(" WHERE ") + otros,
                                        enOtros)
                               .toLongLong();
            }
            base->Execute(QStringLiteral("UPDATE ") + tabla + QStringLiteral(" SET ") + asignar +
                              QStringLiteral(" WHERE ") + donde,
                          valores + enDonde);
        }
        // The photo and documents: one under the held code already stands
        // for the entry's.
        const QString viejo = t.clave.toString();
        auto adjunto = [&](const QString& tabla, const QString& extra, const QVariantList& valor) {
            if (!base->TableExists(tabla)) return;
            const QString donde =
                QStringLiteral(" WHERE NombreTabla = ? AND ClaveTabla = ?") + extra;
            if (Mover && base->Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + tabla + donde,
                                      QVariantList{nombreAdjuntos_, nuevo} + valor)
                                 .toInt() == 0)
                base->Execute(QStringLiteral("UPDATE ") + tabla +
                                  QStringLiteral(" SET ClaveTabla = ?") + donde,
                              QVariantList{nuevo, nombreAdjuntos_, viejo} + valor);
            else
                base->Execute(QStringLiteral("DELETE FROM ") + tabla + donde,
                              QVariantList{nombreAdjuntos_, viejo} + valor);
        };
        if (t.adjuntos.foto) adjunto(QStringLiteral("BLOBTAB"), QString(), {});
        for (const QString& d : t.adjuntos.documentos)
            adjunto(QStringLiteral("DOCUTRON"), QStringLiteral(" AND Nombre = ?"), {d});
    }
}

bool TAltaMaestro::EliminarRestos(const QVariant& Clave) {
    TDatabase* base = BaseEmpresa();
    if (!base) return true;
    TGuardaTransaccion transaccion(fGENEINIC, base);
    if (!transaccion.Activa()) {
        MensajeAdvertencia(TextoTransaccionNoIniciada());
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
        try {
            if (!TomarBloqueo(t.texto, t.archivo, t.palabra, ocupada)) continue;
        } catch (const std::exception& e) {
            AvisoError(e);
            break;
        }
        tomados.push_back(std::move(t));
        libres << c;
    }
    bool correcto = true;
    if (!libres.isEmpty()) {
        TGuardaTransaccion transaccion(fGENEINIC, base);
        correcto = transaccion.Activa();
        for (qsizetype i = 0; correcto && i < libres.size(); ++i) {
            correcto = EliminarRestos(libres.at(i));
            if (!correcto || !ConReservas(base)) continue;
            // The hold of the program that ended goes with its leftovers.
            try {
                base->Execute(QStringLiteral("DELETE FROM ") + kReservas +
                                  QStringLiteral(" WHERE Tabla = ? AND Clave = ?"),
                              {tablaMaestra_, libres.at(i).toString()});
            } catch (const std::exception& e) {
                AvisoError(e);
                correcto = false;
            }
        }
        if (correcto) correcto = transaccion.Confirmar();
    }
    for (Tomado& t : tomados) SoltarBloqueo(t.texto, t.archivo, t.palabra);
    return correcto;
}

QVariant TAltaMaestro::SiguienteClaveLibre(const QVariant& Clave, qlonglong Maximo) {
    TDatabase* base = BaseEmpresa();
    if (!base) return QVariant();
    // Probing a code says nothing of this entry's own last Reservar.
    const bool enUso = enUso_;
    const auto restaurar = qScopeGuard([this, enUso] { enUso_ = enUso; });
    try {
        qlonglong codigo =
            qMax(Clave.toLongLong(), base->Scalar(QStringLiteral("SELECT MAX(") + campoClave_ +
                                                  QStringLiteral(") FROM ") + tablaMaestra_)
                                         .toLongLong()) +
            1;
        // A code a live entry holds is that entry's, with the lines it
        // stored under it; held as an entry holds it, and let go at once.
        for (; codigo <= Maximo; ++codigo) {
            const QString texto = QString::number(codigo);
            std::unique_ptr<QLockFile> archivo;
            QString palabra;
            bool ocupada = false;
            const bool libre = TomarBloqueo(texto, archivo, palabra, ocupada);
            if (libre) SoltarBloqueo(texto, archivo, palabra);
            if (libre || !ocupada) return codigo;
        }
    } catch (const std::exception& e) {
        AvisoError(e);
    }
    return QVariant();
}
