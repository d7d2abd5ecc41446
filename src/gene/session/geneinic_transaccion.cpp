// Transactions of the session's databases. The second ("ADO") road uses the
// same connection as the first, so one engine transaction covers both.

#include <QHash>
#include <QSqlQuery>
#include <utility>

#include "db/database.h"
#include "db/dberror.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"

namespace {

TDatabase* BaseOPorDefecto(TfGENEINIC* f, TDatabase* Base) {
    if (Base) return Base;
    return f ? f->Database : nullptr;
}

QString TextoDe(const std::exception& e) {
    if (auto* d = dynamic_cast<const EDatabaseError*>(&e)) return d->Message();
    return QString::fromUtf8(e.what());
}

const QString kNoFinaliza =
    QStringLiteral("¡No se puede finalizar la transacción!. Mensaje Original: ");

// The transactions started here that no confirmation or cancellation has
// ended yet, each with whether the connection was lost meanwhile: the
// server then ended it, and confirming it must not answer that the work
// was saved.
struct Vigilada {
    bool abierta = false;
    bool perdida = false;
};
QHash<const TDatabase*, Vigilada>& Vigiladas() {
    static QHash<const TDatabase*, Vigilada> v;
    return v;
}

void Vigilar(TDatabase* d) {
    auto& v = Vigiladas();
    if (!v.contains(d)) {
        // A reconnection (the next statement after the loss) clears the
        // connection's own mark; this one stays until the confirmation.
        QObject::connect(d, &TDatabase::Reconnected, d, [d] {
            auto it = Vigiladas().find(d);
            if (it != Vigiladas().end() && it->abierta) it->perdida = true;
        });
        QObject::connect(d, &QObject::destroyed, [d] { Vigiladas().remove(d); });
    }
    v[d] = {true, false};
}

void Terminada(const TDatabase* d) {
    auto it = Vigiladas().find(d);
    if (it != Vigiladas().end()) *it = {};
}

// True when the transaction started here on d was ended by a lost
// connection before it could be confirmed.
bool PerdidaConLaConexion(const TDatabase* d) {
    const Vigilada v = Vigiladas().value(d);
    return v.abierta && (v.perdida || d->ConnectionLost());
}

// Why the last start failed when it is the database's state, as the clerk
// is told it: the busy text or the lost connection's own; empty otherwise.
QString motivoInicio;

QString TextoInicioFallido(const std::exception& e) {
    if (BaseOcupada(e)) return TextoBaseOcupada();
    const auto* d = dynamic_cast<const EDatabaseError*>(&e);
    return d && d->code() == DbError::ConnectionLost ? d->Message() : QString();
}

}  // namespace

bool BaseOcupada(const std::exception& e) {
    const auto* d = dynamic_cast<const EDatabaseError*>(&e);
    // The engine's own refusal carries its code; the program's record lock
    // refused by another clerk's carries none.
    return d && d->code() == DbError::RecordLocked && !d->engineCode().isEmpty();
}

bool BaseNoDisponible(const std::exception& e) {
    const auto* d = dynamic_cast<const EDatabaseError*>(&e);
    return BaseOcupada(e) || (d && d->code() == DbError::ConnectionLost);
}

QString TextoBaseOcupada() {
    return QStringLiteral(
        "¡ La base de datos está ocupada por otro usuario !. Inténtelo de nuevo dentro de unos "
        "momentos.");
}

namespace {
bool rechazoDicho = false;
}  // namespace

void AnotarRechazoDicho() {
    rechazoDicho = true;
}

bool RechazoDicho() {
    return rechazoDicho;
}

bool TomarRechazoDicho() {
    return std::exchange(rechazoDicho, false);
}

QString TextoRechazo(const std::exception& e, const QString& Aviso) {
    if (BaseOcupada(e)) return TextoBaseOcupada();
    const auto* d = dynamic_cast<const EDatabaseError*>(&e);
    if (d && d->code() == DbError::ConnectionLost) return d->Message();
    // The program's own record lock, held by another clerk's edit.
    if (d && d->code() == DbError::RecordLocked)
        return QStringLiteral("¡ El registro esta siendo bloqueado por otro usuario !");
    return Aviso;
}

QString TextoTransaccionNoIniciada() {
    return motivoInicio.isEmpty()
               ? QStringLiteral("¡ La transacción no ha sido completada !. Inténtelo de nuevo.")
               : motivoInicio;
}

bool IniciarTransaccion(TfGENEINIC* f, TDatabase* Base) {
    TDatabase* d = BaseOPorDefecto(f, Base);
    bool resultado = false;
    motivoInicio.clear();
    rechazoDicho = false;
    if (d && d->InTransaction()) {
        resultado = true;  // they do not nest: whoever started it ends it
    } else if (d) {
        try {
            d->StartTransaction();
            Vigilar(d);
            resultado = true;
        } catch (const std::exception& e) {
            resultado = false;  // the caller decides what to say
            motivoInicio = TextoInicioFallido(e);
        }
    }
    TransaccionIniciada = resultado;
    return resultado;
}

bool ConfirmarTransaccion(TfGENEINIC* f, TDatabase* Base) {
    TDatabase* d = BaseOPorDefecto(f, Base);
    // The server ended the transaction with its connection: it is ended here
    // too (nothing of it to commit) and told as not saved.
    const bool perdida = d && d->InTransaction() && d->ConnectionLost();
    if (perdida) d->Rollback();
    if (!d || !d->InTransaction()) {
        TransaccionIniciada = false;
        ErrorEnTransaccion = false;
        if (!d || !(perdida || PerdidaConLaConexion(d))) return true;
        Terminada(d);
        MensajeAdvertencia(kNoFinaliza +
                           QStringLiteral("¡ Se ha perdido la conexión con el servidor de la "
                                          "Base de Datos !. No se ha guardado ninguno de los "
                                          "cambios de la operación en curso: la transacción se "
                                          "ha cancelado."));
        return false;
    }
    Terminada(d);
    try {
        d->Commit();
    } catch (const std::exception& e) {
        MensajeAdvertencia(kNoFinaliza + TextoDe(e));
        // The flags stay only while the engine still holds the transaction,
        // for the caller to cancel. One the engine ended (PostgreSQL after a
        // failed COMMIT, SQLite after rolling back by itself) is rolled back
        // to the last statement and forgotten: a flag left set would refuse
        // every later transaction of the session as "another one running".
        if (d->InTransaction()) return false;
        if (d->Connected()) {
            try {
                QSqlQuery q(d->connection());
                q.exec(QStringLiteral("ROLLBACK"));
            } catch (const std::exception&) {
                // Nothing is left to roll back on a connection that is gone.
            }
        }
        TransaccionIniciada = false;
        ErrorEnTransaccion = false;
        return false;
    }
    TransaccionIniciada = false;
    ErrorEnTransaccion = false;
    return true;
}

bool CancelarTransaccion(TfGENEINIC* f, TDatabase* Base) {
    TDatabase* d = BaseOPorDefecto(f, Base);
    if (d) Terminada(d);
    if (!d || !d->InTransaction()) {
        TransaccionIniciada = false;
        ErrorEnTransaccion = false;
        return true;
    }
    try {
        d->Rollback();
    } catch (const std::exception&) {
        MensajeAdvertencia(QStringLiteral("¡No se puede finalizar la transacción!"));
        return false;
    }
    TransaccionIniciada = false;
    ErrorEnTransaccion = false;
    return true;
}

TGuardaTransaccion::TGuardaTransaccion(TfGENEINIC* f, TDatabase* Base)
    : f_(f), base_(BaseOPorDefecto(f, Base)) {
    if (base_ && base_->InTransaction()) {
        activa_ = true;
        return;
    }
    propia_ = activa_ = IniciarTransaccion(f_, base_);
}

TGuardaTransaccion::~TGuardaTransaccion() {
    if (propia_ && base_ && base_->InTransaction()) CancelarTransaccion(f_, base_);
}

bool TGuardaTransaccion::Confirmar() {
    if (!activa_) return false;
    if (!propia_) return true;
    const bool ok = ConfirmarTransaccion(f_, base_);
    if (ok) propia_ = false;
    return ok;
}
