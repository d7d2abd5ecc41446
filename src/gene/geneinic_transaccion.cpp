// Transactions of the session's databases. The second ("ADO") road uses the
// same connection as the first, so one engine transaction covers both.

#include "db/database.h"
#include "db/dberror.h"
#include "gene/geneinic.h"
#include "gene/geneinic_conexion.h"
#include "gene/mensajes.h"
#include "gene/sesion.h"

namespace {

TDatabase* BaseOPorDefecto(TfGENEINIC* f, TDatabase* Base) {
    if (Base) return Base;
    return f ? f->Database : nullptr;
}

QString TextoDe(const std::exception& e) {
    if (auto* d = dynamic_cast<const EDatabaseError*>(&e)) return d->Message();
    return QString::fromUtf8(e.what());
}

}  // namespace

bool IniciarTransaccion(TfGENEINIC* f, TDatabase* Base) {
    TDatabase* d = BaseOPorDefecto(f, Base);
    bool resultado = false;
    if (d && d->InTransaction()) {
        resultado = true;  // they do not nest: whoever started it ends it
    } else if (d) {
        try {
            d->StartTransaction();
            resultado = true;
        } catch (const std::exception&) {
            resultado = false;  // the caller decides what to say
        }
    }
    TransaccionIniciada = resultado;
    return resultado;
}

bool ConfirmarTransaccion(TfGENEINIC* f, TDatabase* Base) {
    TDatabase* d = BaseOPorDefecto(f, Base);
    if (!d || !d->InTransaction()) {
        TransaccionIniciada = false;
        ErrorEnTransaccion = false;
        return true;
    }
    try {
        d->Commit();
    } catch (const std::exception& e) {
        MensajeAdvertencia(QStringLiteral("¡No se puede finalizar la transacción!. Mensaje "
                                          "Original: ") +
                           TextoDe(e));
        return false;
    }
    TransaccionIniciada = false;
    ErrorEnTransaccion = false;
    return true;
}

bool CancelarTransaccion(TfGENEINIC* f, TDatabase* Base) {
    TDatabase* d = BaseOPorDefecto(f, Base);
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
