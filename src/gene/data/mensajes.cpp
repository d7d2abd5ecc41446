#include "gene/data/mensajes.h"

#include "gene/session/geneinic.h"
#include "gene/data/genemens.h"

namespace {
QString Mostrar(const char* tipo, const QString& texto, const QString& respuesta) {
    QString r = respuesta;
    CrearSesion()->MostrarMensaje(QLatin1String(tipo), texto, r);
    return r;
}
}  // namespace

void MensajeInformacion(const QString& Texto) {
    Mostrar("I", Texto, QString());
}
void MensajeAdvertencia(const QString& Texto) {
    Mostrar("A", Texto, QString());
}
void MensajeError(const QString& Texto) {
    Mostrar("E", Texto, QString());
}
QString MensajeConfirmacion(const QString& Texto) {
    return Mostrar("C", Texto, QString());
}

QString MensajePeticion(const QString& Texto, const QString& Defecto) {
    return Mostrar("P", Texto, Defecto);
}

QString MensajePeticion(const QString& Texto, QString& Respuesta) {
    Respuesta = Mostrar("P", Texto, Respuesta);
    return Respuesta;
}

QString MensajePeticion(const QString& Texto, QString& Respuesta, int LongitudMaxima) {
    LimitarSiguientePeticion(LongitudMaxima);
    return MensajePeticion(Texto, Respuesta);
}

bool PeticionCancelada() {
    return fGENEINIC && fGENEINIC->PeticionCancelada();
}

void MostrarVentanaProgreso(const QString& Modo, const QString& Titulo, const QString& Texto,
                            const QString& Extra) {
    CrearSesion()->MostrarVentanaProgreso(Modo, Titulo, Texto, Extra);
}
