#include "gene/data/genealta.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLockFile>
#include <QPointer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
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

// The records of the rows entries stored under their held codes: the
// master, the code, the run that held it, the row's table and the row as
// stored (TextoFila). Another program tells a dead hold's rows by them.
const QString kRegistros = QStringLiteral("RESERFIL");
using FilaAlta = QList<std::pair<QString, QVariant>>;

QVariant ValorDe(const FilaAlta& Fila, const QString& Campo) {
    for (const auto& [nombre, v] : Fila)
        if (nombre.compare(Campo, Qt::CaseInsensitive) == 0) return v;
    return QVariant();
}

// Every value of a row, typed, as a text no value can break (JSON).
QString TextoFila(const FilaAlta& Fila) {
    QJsonArray a;
    for (const auto& [campo, v] : Fila) {
        QJsonArray e{campo, v.typeId()};
        const int tipo = v.typeId();
        if (!v.isValid() || v.isNull())
            e.append(QJsonValue());
        else if (tipo == QMetaType::QByteArray)
            e.append(QString::fromLatin1(v.toByteArray().toBase64()));
        else if (tipo == QMetaType::QDate)
            e.append(v.toDate().toString(Qt::ISODate));
        else if (tipo == QMetaType::QDateTime)
            e.append(v.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")));
        else if (tipo == QMetaType::QTime)
            e.append(v.toTime().toString(QStringLiteral("HH:mm:ss.zzz")));
        else if (tipo == QMetaType::Double || tipo == QMetaType::Float)
            e.append(QString::number(v.toDouble(), 'g', 17));
        else
            e.append(v.toString());
        a.append(e);
    }
    return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
}

FilaAlta FilaDeTexto(const QString& Texto) {
    FilaAlta fila;
    const QJsonArray a = QJsonDocument::fromJson(Texto.toUtf8()).array();
    for (const QJsonValue& valor : a) {
        const QJsonArray e = valor.toArray();
        const QMetaType tipo(e.at(1).toInt());
        const QString texto = e.at(2).toString();
        QVariant v;
        if (e.at(2).isNull())
            v = QVariant(tipo);
        else if (tipo.id() == QMetaType::QByteArray)
            v = QByteArray::fromBase64(texto.toLatin1());
        else if (tipo.id() == QMetaType::QDate)
            v = QDate::fromString(texto, Qt::ISODate);
        else if (tipo.id() == QMetaType::QDateTime)
            v = QDateTime::fromString(texto, QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
        else if (tipo.id() == QMetaType::QTime)
            v = QTime::fromString(texto, QStringLiteral("HH:mm:ss.zzz"));
        else {
            v = texto;
            if (tipo.isValid()) v.convert(tipo);
        }
        fila.append({e.at(0).toString(), v});
    }
    return fila;
}

// The row by every value it was stored with (a real number to its last
// digits, which a round trip may change).
void CondicionFila(const FilaAlta& Fila, QString& Sql, QVariantList& Valores) {
    for (const auto& [campo, v] : Fila) {
        const int tipo = v.typeId();
        if (v.isValid() && !v.isNull() && (tipo == QMetaType::Double || tipo == QMetaType::Float)) {
            if (!Sql.isEmpty()) Sql += QStringLiteral(" AND ");
            Sql += QStringLiteral("ABS(") + campo + QStringLiteral(" - ?) <= ?");
            Valores << v << 1e-9 * qMax(1.0, qAbs(v.toDouble()));
        } else {
            CondicionValor(campo, v, Sql, Valores);
        }
    }
}

// The rows of Tabla under the condition, every column as stored.
QList<FilaAlta> LeerFilas(TDatabase* base, const QString& Tabla, const QString& Donde,
                          const QVariantList& Valores) {
    QList<FilaAlta> filas;
    QSqlQuery q = base->Execute(
        QStringLiteral("SELECT * FROM ") + Tabla + QStringLiteral(" WHERE ") + Donde, Valores);
    while (q.next()) {
        const QSqlRecord r = q.record();
        FilaAlta fila;
        for (int i = 0; i < r.count(); ++i) fila.append({r.fieldName(i), q.value(i)});
        filas << fila;
    }
    return filas;
}

// One statement on the recorded row of Tabla: how many rows it touched,
// none when it no longer stands as recorded; more than one is refused
// (the unit is taken back).
int SobreFila(TDatabase* base, const QString& Sentencia, const QString& Tabla, const QString& Fila,
              QVariantList Valores = {}) {
    QString donde;
    CondicionFila(FilaDeTexto(Fila), donde, Valores);
    if (donde.isEmpty() || !base->TableExists(Tabla)) return 0;
    const int n =
        base->Execute(Sentencia + QStringLiteral(" WHERE ") + donde, Valores).numRowsAffected();
    if (n > 1)
        throw EDatabaseError(DbError::General, QStringLiteral("Más de una fila de ") + Tabla +
                                                   QStringLiteral(" responde a la registrada."));
    return n;
}

// A column or table name as the dictionary writes them (letters such as ñ
// included), nothing that could carry SQL.
bool EsIdentificador(const QString& Nombre) {
    static const QRegularExpression identificador(QStringLiteral("^[\\p{L}_][\\p{L}\\p{N}_]*$"));
    return identificador.match(Nombre).hasMatch();
}

int QuitarFila(TDatabase* base, const QString& Tabla, const QString& Fila) {
    return SobreFila(base, QStringLiteral("DELETE FROM ") + Tabla, Tabla, Fila);
}

bool MaestroConClave(TDatabase* base, const QString& Maestro, const QString& Campo,
                     const QVariant& Clave) {
    return base->Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + Maestro +
                            QStringLiteral(" WHERE ") + Campo + QStringLiteral(" = ?"),
                        {Clave})
               .toInt() > 0;
}

}  // namespace

bool EsReservaDeAlta(const QString& Bloqueo) {
    return Bloqueo.startsWith(kPalabraAlta, Qt::CaseInsensitive);
}

void AntedatarInicioServidor(qint64 Segundos) {
    antedatado = Segundos;
}

void CrearTablaReservas(TDatabase* Base) {
    if (!Base) return;
    const bool reservas = ConReservas(Base);
    std::vector<std::pair<QString, QString>> tablas;
    if (reservas)
        tablas.push_back(
            {kReservas, QStringLiteral("(Tabla VARCHAR(30) NOT NULL, Clave VARCHAR(60) NOT NULL, "
                                       "Sesion VARCHAR(40) NOT NULL, Instante BIGINT NOT NULL, "
                                       "PRIMARY KEY (Tabla, Clave))")});
    tablas.push_back({kRegistros, QStringLiteral("(Tabla VARCHAR(30) NOT NULL, Clave VARCHAR(60) "
                                                 "NOT NULL, Sesion VARCHAR(40) NOT NULL, TablaFila "
                                                 "VARCHAR(30) NOT NULL, Fila TEXT NOT NULL)")});
    for (const auto& [tabla, columnas] : tablas) {
        if (Base->TableExists(tabla)) continue;
        try {
            Base->Execute(QStringLiteral("CREATE TABLE IF NOT EXISTS ") + tabla + QLatin1Char(' ') +
                          columnas);
        } catch (const EDatabaseError& e) {
            // The second of two sessions making it at once is refused.
            Base->InvalidateCatalog();
            if (Base->TableExists(tabla)) continue;
            MensajeAdvertencia(
                QStringLiteral("¡No es posible crear la tabla SQL (Paso 1)!. Motivo: ") +
                MotivoError(e));
        }
        Base->InvalidateCatalog();
    }
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
    if (MaestroConClave(base, tablaMaestra_, campoClave_, clave_)) return false;
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
            if (ReservaVigente()) return true;
        } catch (const std::exception& e) {
            AvisoError(e);
            return false;
        }
        // Another record's now: of what stands under the code, the entry's
        // own are the rows it recorded.
        QList<AdjuntoAlta> adjuntos = adjuntos_;
        try {
            adjuntos = AdjuntosPropios();
        } catch (const std::exception&) {
            // Unread: those recorded before go.
        }
        Traslado traslado{clave_, {}, adjuntos};
        for (const LineaGrabadaAlta& l : std::as_const(lineasGrabadas_))
            if (!l.ausente && !l.fila.isEmpty()) traslado.lineas << l;
        if (!traslado.lineas.isEmpty() || !traslado.adjuntos.isEmpty()) traslados_ << traslado;
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
        if (base && MaestroConClave(base, tablaMaestra_, campoClave_, Clave)) {
            MensajeAdvertencia(QString::fromUtf8(textosmaestro::kYaExisteRegistro));
            return false;
        }
        if (base && !base->TableExists(kRegistros)) CrearTablaReservas(base);
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
    if (!base) return true;
    // Held now: whoever recorded rows under the code holds it no more.
    bool correcto = false;
    {
        TGuardaTransaccion transaccion(fGENEINIC, base);
        if (!transaccion.Activa()) {
            MensajeAdvertencia(TextoTransaccionNoIniciada());
        } else {
            try {
                AbandonarRegistros(texto, true);
                correcto = transaccion.Confirmar();
            } catch (const std::exception& e) {
                AvisoError(e);
            }
        }
    }
    if (correcto) {
        // What stands under it now is not the entry's.
        try {
            for (const AdjuntoAlta& a : AdjuntosBajoClave())
                previos_ << a.marca();
        } catch (const std::exception& e) {
            AvisoError(e);
            correcto = false;
        }
    }
    if (correcto) return true;
    Soltar();
    return false;
}

bool TAltaMaestro::Cancelar() {
    TDatabase* base = BaseEmpresa();
    if (base && (reservada_ || !traslados_.isEmpty())) {
        // The entry's recorded rows go, and only they, all or none: a cancel
        // that cannot complete leaves the entry held and cancellable.
        TGuardaTransaccion transaccion(fGENEINIC, base);
        if (!transaccion.Activa()) {
            MensajeAdvertencia(TextoTransaccionNoIniciada());
            return false;
        }
        try {
            Trasladar(false);
            // A hold another program took meanwhile has given up the rows
            // it recorded: what stands under the code is the other's.
            if (reservada_ && ReservaVigente()) {
                for (const LineaGrabadaAlta& l : std::as_const(lineasGrabadas_))
                    if (!l.fila.isEmpty()) QuitarFila(base, l.tabla, l.fila);
                for (const AdjuntoAlta& a : AdjuntosPropios()) QuitarFila(base, a.tabla, a.fila);
            }
            DesanotarTodo();
            if (!transaccion.Confirmar()) return false;
        } catch (const std::exception& e) {
            AvisoError(e);
            return false;
        }
    }
    Liberar();
    return true;
}

void TAltaMaestro::Soltar() {
    if (reservada_) Desbloquear();
    reservada_ = false;
    conFilas_ = false;
    tomada_ = false;
    lineasGrabadas_.clear();
    editadas_.clear();
    aGrabar_.clear();
    adjuntos_.clear();
    previos_.clear();
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
        if (MaestroConClave(base, tablaMaestra_, campoClave_, clave_)) Liberar();
    } catch (const std::exception&) {
        // Unknown: held until the record is confirmed again or given up.
    }
}

void TAltaMaestro::Anotar(const QString& Tabla, const QString& Fila, const QString& Anterior) {
    TDatabase* base = BaseEmpresa();
    // Without the table (a login that may not make it, told so when the
    // company opened) the entry still cancels its rows; an ended one's stay.
    if (!base || !reservada_ || !base->TableExists(kRegistros)) return;
    if (!Anterior.isEmpty()) Desanotar(clave_, Tabla, Anterior);
    base->Execute(QStringLiteral("INSERT INTO ") + kRegistros +
                      QStringLiteral(" (Tabla, Clave, Sesion, TablaFila, Fila) VALUES "
                                     "(?, ?, ?, ?, ?)"),
                  {tablaMaestra_, clave_.toString(), SesionPrograma(), Tabla, Fila});
}

void TAltaMaestro::Desanotar(const QVariant& Codigo, const QString& Tabla, const QString& Fila) {
    TDatabase* base = BaseEmpresa();
    if (!base || !base->TableExists(kRegistros)) return;
    base->Execute(QStringLiteral("DELETE FROM ") + kRegistros +
                      QStringLiteral(" WHERE Tabla = ? AND Clave = ? AND Sesion = ? AND "
                                     "TablaFila = ? AND Fila = ?"),
                  {tablaMaestra_, Codigo.toString(), SesionPrograma(), Tabla, Fila});
}

void TAltaMaestro::DesanotarTodo() {
    TDatabase* base = BaseEmpresa();
    if (!base || !base->TableExists(kRegistros)) return;
    QStringList codigos;
    if (reservada_) codigos << clave_.toString();
    for (const Traslado& t : std::as_const(traslados_)) codigos << t.clave.toString();
    for (const QString& c : std::as_const(codigos))
        base->Execute(QStringLiteral("DELETE FROM ") + kRegistros +
                          QStringLiteral(" WHERE Tabla = ? AND Clave = ? AND Sesion = ?"),
                      {tablaMaestra_, c, SesionPrograma()});
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
    // The row as the database now holds it: its record.
    l.tabla = NombreTablaDataSet(Linea);
    TDatabase* base = BaseEmpresa();
    if (base && reservada_ && !l.tabla.isEmpty()) {
        QString donde;
        QVariantList valores;
        for (const QString& c : CamposClaveDataSet(ModuloDatos, Linea))
            CondicionValor(c, Linea->FieldByName(c)->Value(), donde, valores);
        if (!donde.isEmpty()) {
            const QList<FilaAlta> filas = LeerFilas(base, l.tabla, donde, valores);
            if (filas.size() == 1) l.fila = TextoFila(filas.first());
        }
    }
    const bool editada = aGrabar_.contains(Linea);
    const QString anterior = aGrabar_.value(Linea);
    qsizetype i = -1;
    qsizetype ausente = -1;
    if (restaurando_ >= 0 && restaurando_ < lineasGrabadas_.size() &&
        lineasGrabadas_.at(restaurando_).lineas == Linea) {
        i = restaurando_;
    } else if (editada) {
        // A changed line is the one it was, under its key as it now stands.
        i = LineaConClave(Linea, anterior);
        if (i < 0) i = LineaConClave(Linea, clave);
    } else {
        const qsizetype otra = LineaConClave(Linea, clave);
        if (otra >= 0 && lineasGrabadas_.at(otra).valores == l.valores) {
            // The same line posted again (its first post taken back).
            i = otra;
        } else if (otra >= 0) {
            // A new line stored under its key: the one shown there was gone.
            ausente = otra;
        }
        if (i < 0 && restaurando_ >= 0)
            // Stored again by another's post (a training line's group).
            for (qsizetype j = 0; j < lineasGrabadas_.size() && i < 0; ++j) {
                const LineaGrabadaAlta& p = lineasGrabadas_.at(j);
                if (p.lineas == Linea && p.ausente && p.clave == clave) i = j;
            }
    }
    // Recorded in the transaction that stored it; a failure raises before
    // the window counts the line as stored.
    if (!l.fila.isEmpty()) {
        const QString previa = i >= 0 ? lineasGrabadas_.at(i).fila : QString();
        if (previa != l.fila) Anotar(l.tabla, l.fila, previa);
    }
    aGrabar_.remove(Linea);
    if (editada) editadas_.remove(Linea);
    if (ausente >= 0) lineasGrabadas_[ausente].ausente = true;
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
    if (i < 0 || (Linea->State() == dsInsert && ExisteClave(ModuloDatos, Linea, clave))) return;
    const LineaGrabadaAlta l = lineasGrabadas_.takeAt(i);
    try {
        // A record whose row stays would only give it up later: its row is
        // no longer as recorded once it is gone.
        if (!l.fila.isEmpty()) Desanotar(clave_, l.tabla, l.fila);
    } catch (const std::exception&) {
    }
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
        if (!l.lineas || ExisteClave(ModuloDatos, l.lineas, l.clave)) continue;
        try {
            if (!l.fila.isEmpty()) Desanotar(clave_, l.tabla, l.fila);
        } catch (const std::exception&) {
        }
        lineasGrabadas_.removeAt(i);
    }
}

QStringList TAltaMaestro::ComprobarLineas() {
    QStringList nuevas = Trasladar(true);
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
    // The record is stored with this transaction: its rows are his.
    DesanotarTodo();
    return nuevas;
}

namespace {

// The attachments of a record and the field that names each.
constexpr std::pair<const char*, const char*> kAdjuntos[] = {{"BLOBTAB", "IdObjeto"},
                                                             {"DOCUTRON", "Nombre"}};

QString CampoIdentidad(const QString& Tabla) {
    for (const auto& [tabla, campo] : kAdjuntos)
        if (Tabla.compare(QLatin1String(tabla), Qt::CaseInsensitive) == 0)
            return QLatin1String(campo);
    return QString();
}

}  // namespace

bool TAltaMaestro::FilaDeLaClave(const QString& Tabla, const QString& Fila,
                                 const QString& Codigo) const {
    if (!EsIdentificador(Tabla)) return false;
    const FilaAlta fila = FilaDeTexto(Fila);
    if (fila.isEmpty() || std::any_of(fila.cbegin(), fila.cend(),
                                      [](const auto& c) { return !EsIdentificador(c.first); }))
        return false;
    // A line of the master's histories, under the code (and, in a table of
    // several masters, this master's).
    for (const TablaLineasAlta& l : std::as_const(lineas_))
        if (l.Tabla.compare(Tabla, Qt::CaseInsensitive) == 0)
            return ValorDe(fila, l.CampoClave).toString() == Codigo &&
                   (l.Condicion.isEmpty() ||
                    ValorDe(fila, QStringLiteral("NombreTabla")).toString() == tablaMaestra_);
    // A group, photo or document kept under the code as its text.
    const bool adjunto = Tabla.compare(QLatin1String("GRANTAB"), Qt::CaseInsensitive) == 0 ||
                         !CampoIdentidad(Tabla).isEmpty();
    return adjunto && ValorDe(fila, QStringLiteral("NombreTabla")).toString() == nombreAdjuntos_ &&
           ValorDe(fila, QStringLiteral("ClaveTabla")).toString() == Codigo;
}

void TAltaMaestro::AbandonarRegistros(const QString& Codigo, bool ConFilas) {
    TDatabase* base = BaseEmpresa();
    if (!base || !base->TableExists(kRegistros)) return;
    QList<std::pair<QString, QString>> filas;
    QSqlQuery q = base->Execute(QStringLiteral("SELECT TablaFila, Fila FROM ") + kRegistros +
                                    QStringLiteral(" WHERE Tabla = ? AND Clave = ?"),
                                {tablaMaestra_, Codigo});
    while (q.next()) filas.append({q.value(0).toString(), q.value(1).toString()});
    // A record that names no row of this master under the code (written
    // from outside) gives up nothing.
    if (ConFilas)
        for (const auto& [tabla, fila] : std::as_const(filas))
            if (FilaDeLaClave(tabla, fila, Codigo)) QuitarFila(base, tabla, fila);
    base->Execute(QStringLiteral("DELETE FROM ") + kRegistros +
                      QStringLiteral(" WHERE Tabla = ? AND Clave = ?"),
                  {tablaMaestra_, Codigo});
}

QList<TAltaMaestro::AdjuntoAlta> TAltaMaestro::AdjuntosBajoClave() const {
    QList<AdjuntoAlta> adjuntos;
    TDatabase* base = BaseEmpresa();
    if (!base || !reservada_) return adjuntos;
    for (const auto& [nombre, campo] : kAdjuntos) {
        const QString tabla = QLatin1String(nombre);
        if (!base->TableExists(tabla)) continue;
        for (const FilaAlta& f :
             LeerFilas(base, tabla, QStringLiteral("NombreTabla = ? AND ClaveTabla = ?"),
                       {nombreAdjuntos_, clave_.toString()})) {
            const QString identidad = ValorDe(f, QLatin1String(campo)).toString();
            adjuntos << AdjuntoAlta{tabla, identidad, TextoFila(f),
                                    tabla == QLatin1String("BLOBTAB")
                                        ? QStringLiteral("Foto")
                                        : QStringLiteral("Documento ") + identidad};
        }
    }
    return adjuntos;
}

QList<TAltaMaestro::AdjuntoAlta> TAltaMaestro::AdjuntosPropios() const {
    QList<AdjuntoAlta> propios = adjuntos_;
    // One stored since the last check, not recorded yet, is the entry's: it
    // was not there when the code was taken.
    if (!adjuntoNuevo_) return propios;
    for (const AdjuntoAlta& a : AdjuntosBajoClave()) {
        if (previos_.contains(a.marca())) continue;
        const auto b = std::find_if(propios.begin(), propios.end(),
                                    [&](const AdjuntoAlta& b) { return b.mismo(a); });
        if (b == propios.end())
            propios << a;
        else
            *b = a;
    }
    return propios;
}

void TAltaMaestro::AnotarAdjuntos() {
    TDatabase* base = BaseEmpresa();
    if (!reservada_ || !adjuntoNuevo_ || !base) return;
    try {
        if (!ReservaVigente()) return;
        const QList<AdjuntoAlta> ahora = AdjuntosBajoClave();
        TGuardaTransaccion transaccion(fGENEINIC, base);
        if (!transaccion.Activa()) return;
        QList<AdjuntoAlta> propios;
        for (const AdjuntoAlta& a : ahora) {
            if (previos_.contains(a.marca())) continue;
            const auto b = std::find_if(adjuntos_.cbegin(), adjuntos_.cend(),
                                        [&](const AdjuntoAlta& b) { return b.mismo(a); });
            if (b == adjuntos_.cend())
                Anotar(a.tabla, a.fila);
            else if (b->fila != a.fila)
                Anotar(a.tabla, a.fila, b->fila);
            propios << a;
        }
        for (const AdjuntoAlta& b : std::as_const(adjuntos_))
            if (std::none_of(propios.cbegin(), propios.cend(),
                             [&](const AdjuntoAlta& a) { return a.mismo(b); }))
                Desanotar(clave_, b.tabla, b.fila);
        if (!transaccion.Confirmar()) return;
        adjuntos_ = propios;
        adjuntoNuevo_ = false;
    } catch (const std::exception&) {
        // The next check of the hold tells it.
    }
}

QStringList TAltaMaestro::Trasladar(bool Mover) {
    QStringList perdidas;
    TDatabase* base = BaseEmpresa();
    if (traslados_.isEmpty() || !base || (Mover && !reservada_)) return perdidas;
    const QString nuevo = clave_.toString();
    for (Traslado& t : traslados_) {
        for (LineaGrabadaAlta& l : t.lineas) {
            // Told lost already: kept among the held code's lines.
            if (l.perdida) continue;
            if (!Mover) {
                QuitarFila(base, l.tabla, l.fila);
                continue;
            }
            if (!l.lineas) continue;
            const QString& tabla = l.tabla;
            const QStringList campos = CamposClaveDataSet(ModuloDatos, l.lineas);
            if (tabla.isEmpty() || campos.isEmpty()) continue;
            // The field of the master's key: a history's, or an attachment's text.
            QString campoClave = QStringLiteral("ClaveTabla");
            for (const TablaLineasAlta& h : std::as_const(lineas_))
                if (h.Tabla.compare(tabla, Qt::CaseInsensitive) == 0) campoClave = h.CampoClave;
            const FilaAlta fila = FilaDeTexto(l.fila);
            auto valor = [&](const QString& campo) { return ValorDe(fila, campo); };
            auto esClave = [&](const QString& campo) {
                return campo.compare(campoClave, Qt::CaseInsensitive) == 0;
            };
            const QVariant anterior = valor(campoClave);
            const QVariant codigo =
                anterior.typeId() == QMetaType::QString ? QVariant(nuevo) : clave_;
            auto perdida = [&] {
                l.perdida = true;
                perdidas << l.descripcion;
                // Stored again under the held code by the next confirm.
                LineaGrabadaAlta r = l;
                r.ausente = true;
                r.restaurar = false;
                r.fila.clear();
                for (auto& [nombre, v] : r.valores)
                    if (esClave(nombre)) v = codigo;
                QStringList partes = r.clave.split(QLatin1Char(';'));
                for (qsizetype i = 0; i < campos.size() && i < partes.size(); ++i)
                    if (esClave(campos.at(i))) partes[i] = nuevo;
                r.clave = partes.join(QLatin1Char(';'));
                lineasGrabadas_ << r;
            };
            // Its key under the held code.
            QString destino, otros;
            QVariantList enDestino, enOtros;
            for (qsizetype i = 0; i < campos.size(); ++i) {
                const QString& c = campos.at(i);
                CondicionValor(c, esClave(c) ? codigo : valor(c), destino, enDestino);
                if (i + 1 < campos.size())
                    CondicionValor(c, esClave(c) ? codigo : valor(c), otros, enOtros);
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
                    if (QuitarFila(base, tabla, l.fila) == 0) l.perdida = true;
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
            if (SobreFila(base,
                          QStringLiteral("UPDATE ") + tabla + QStringLiteral(" SET ") + asignar,
                          tabla, l.fila, valores) == 0)
                perdida();
        }
        // The photo and documents: one under the held code already stands
        // for the entry's; one told lost is stored again from its record.
        for (AdjuntoAlta& a : t.adjuntos) {
            if (!Mover) {
                if (!a.perdido) QuitarFila(base, a.tabla, a.fila);
                continue;
            }
            const QString campo = CampoIdentidad(a.tabla);
            const bool ocupado =
                base->Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + a.tabla +
                                 QStringLiteral(" WHERE NombreTabla = ? AND ClaveTabla = ? AND ") +
                                 campo + QStringLiteral(" = ?"),
                             {nombreAdjuntos_, nuevo, a.identidad})
                    .toInt() > 0;
            if (a.perdido) {
                if (ocupado) continue;
                FilaAlta fila = FilaDeTexto(a.fila);
                QStringList columnas, marcas;
                QVariantList valores;
                for (auto& [nombre, v] : fila) {
                    if (nombre.compare(QLatin1String("ClaveTabla"), Qt::CaseInsensitive) == 0)
                        v = nuevo;
                    columnas << nombre;
                    marcas << QStringLiteral("?");
                    valores << v;
                }
                base->Execute(QStringLiteral("INSERT INTO ") + a.tabla + QStringLiteral(" (") +
                                  columnas.join(QStringLiteral(", ")) +
                                  QStringLiteral(") VALUES (") + marcas.join(QStringLiteral(", ")) +
                                  QLatin1Char(')'),
                              valores);
                continue;
            }
            const int n = ocupado ? QuitarFila(base, a.tabla, a.fila)
                                  : SobreFila(base,
                                              QStringLiteral("UPDATE ") + a.tabla +
                                                  QStringLiteral(" SET ClaveTabla = ?"),
                                              a.tabla, a.fila, {nuevo});
            if (n == 0 && !ocupado) {
                perdidas << a.descripcion;
                a.perdido = true;
            }
        }
    }
    return perdidas;
}

bool TAltaMaestro::EliminarRestosAbandonados() {
    TDatabase* base = BaseEmpresa();
    if (!base) return true;
    // The codes under which entries recorded rows.
    QList<QVariant> codigos;
    try {
        if (!base->TableExists(kRegistros) || !base->TableExists(tablaMaestra_)) return true;
        QSqlQuery q = base->Execute(QStringLiteral("SELECT DISTINCT Clave FROM ") + kRegistros +
                                        QStringLiteral(" WHERE Tabla = ?"),
                                    {tablaMaestra_});
        while (q.next()) {
            const QString texto = q.value(0).toString();
            bool ok = false;
            const qlonglong numero = texto.toLongLong(&ok);
            codigos << (ok && QString::number(numero) == texto ? QVariant(numero)
                                                               : QVariant(texto));
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
        if (!correcto) MensajeAdvertencia(TextoTransaccionNoIniciada());
        try {
            for (qsizetype i = 0; correcto && i < libres.size(); ++i) {
                const QVariant& c = libres.at(i);
                AbandonarRegistros(c.toString(),
                                   !MaestroConClave(base, tablaMaestra_, campoClave_, c));
                // The hold of the program that ended goes with its rows.
                if (ConReservas(base))
                    base->Execute(QStringLiteral("DELETE FROM ") + kReservas +
                                      QStringLiteral(" WHERE Tabla = ? AND Clave = ?"),
                                  {tablaMaestra_, c.toString()});
            }
            if (correcto) correcto = transaccion.Confirmar();
        } catch (const std::exception& e) {
            AvisoError(e);
            correcto = false;
        }
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
