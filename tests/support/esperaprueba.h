#pragma once
// The user before an endless statement: Esc in the progress window while
// the engine runs it, and what the server still runs afterwards.

#include <QString>
#include <QStringList>
#include <QTimer>

// The question the progress window asks on Esc ("NO" stops the run).
extern const QString kPreguntaCancelarListado;
// What the user is shown when he stops it: the question twice ("SI", then
// "NO"), then that it was cancelled.
extern const QStringList kMensajesSentenciaDetenida;
// The user's statement that never ends on either engine.
extern const QString kSentenciaSinFin;

// Presses Esc in the shown progress window, at most Veces times, from the
// event loop: a press only lands while the window answers.
class EscEnProgreso {
public:
    explicit EscEnProgreso(int Veces = 2);
    int Pulsaciones() const { return pulsaciones_; }
    void Parar() { timer_.stop(); }

private:
    QTimer timer_;
    int veces_;
    int pulsaciones_ = 0;
};

// The progress window is shown.
bool ProgresoVisible();

// How many statements of the recursive kind are still running on the
// PostgreSQL server, seen from a connection of its own (0 on SQLite).
int SentenciasRecursivasEnServidor();
