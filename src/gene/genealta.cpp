#include "gene/genealta.h"

#include <QLockFile>

#include "db/database.h"
#include "gene/genecopi_registros.h"
#include "gene/geneinic.h"
#include "gene/geneinic_conexion.h"
#include "gene/genemaes.h"
#include "gene/genemodu.h"
#include "gene/mensajes.h"

namespace {

TDatabase* BaseEmpresa() {
    return fGENEINIC ? fGENEINIC->Database : nullptr;
}

void AvisoError(const std::exception& e) {
    MensajeAdvertencia(QStringLiteral("Error. No es posible ejecutar la sentencia SQL. Motivo: ") +
                       MotivoError(e));
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

bool TAltaMaestro::Bloquear(const QString& texto) {
    TDatabase* base = BaseEmpresa();
    if (!base) return true;
    if (base->engine() == Engine::Postgres) {
        // The company's schema keeps the same key of two companies apart.
        bloqueo_ = QStringLiteral("alta ") + base->Params().schema + QLatin1Char('.') +
                   tablaMaestra_.toLower();
        return base->TryLockRecord(bloqueo_, texto);
    }
    const QString carpeta = base->Params().folder;
    if (carpeta.isEmpty()) return true;
    archivo_ = std::make_unique<QLockFile>(
        carpeta + QStringLiteral("/ALTA_") + tablaMaestra_ + QLatin1Char('_') +
        QString::fromLatin1(texto.toUtf8().toHex()) + QStringLiteral(".lck"));
    // Stale only when its process is gone, however long a record is typed.
    archivo_->setStaleLockTime(0);
    if (archivo_->tryLock(0)) return true;
    const bool ocupada = archivo_->error() == QLockFile::LockFailedError;
    archivo_.reset();
    // A folder where no file can be made cannot take the record's rows either.
    return !ocupada;
}

void TAltaMaestro::Desbloquear() {
    archivo_.reset();
    TDatabase* base = BaseEmpresa();
    if (bloqueo_.isEmpty() || !base) return;
    try {
        base->UnlockRecord(bloqueo_, clave_.toString());
    } catch (const std::exception&) {
        // The connection is gone, and its locks with it.
    }
    bloqueo_.clear();
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
