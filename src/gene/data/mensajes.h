#pragma once
// The message wrappers: one per message kind, each handed to the session's
// message dispatcher (TfGENEINIC::MostrarMensaje), and the progress forwarder.

#include <QString>

void MensajeInformacion(const QString& Texto);
void MensajeAdvertencia(const QString& Texto);
// Shows the error; the program ends when control returns to the event loop.
void MensajeError(const QString& Texto);
// "SI" when the user answers yes, else "NO" (closing the dialog included).
QString MensajeConfirmacion(const QString& Texto);
// The typed text, or "" when the user cancels. A Defecto of "Password" hides
// the typing; ":SelStart:"/":SelEnd:" in Defecto preselect the text between them.
QString MensajePeticion(const QString& Texto, const QString& Defecto = QString());
// The same with the default answer in and the typed text out.
QString MensajePeticion(const QString& Texto, QString& Respuesta);
// The same with an edit that takes at most LongitudMaxima characters.
QString MensajePeticion(const QString& Texto, QString& Respuesta, int LongitudMaxima);
// True when the last prompt was cancelled or closed rather than accepted, so
// that a caller can tell an empty answer from a cancel.
bool PeticionCancelada();

// Modo "ON" opens the progress window, "OFF" closes it, "" updates its text.
void MostrarVentanaProgreso(const QString& Modo, const QString& Titulo, const QString& Texto,
                            const QString& Extra = QString());
