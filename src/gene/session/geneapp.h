#pragma once
// The application object: exceptions that escape an event handler reach the
// event loop here and go to the session's exception handler instead of ending
// the program. Fatal signals (an invalid memory access) cannot be handled in
// C++: they end the program after one line on standard error.

#include <QApplication>
#include <exception>

class TAplicacion : public QApplication {
    Q_OBJECT
public:
    TAplicacion(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Hands an exception raised while Sender handled an event to
// fGENEINIC->GestionExcepciones: a database error with its message, any other
// with its text; the silent abort is dropped.
void DespacharExcepcion(QObject* Sender, std::exception_ptr Excepcion);

// One line on standard error, then the signal's default action.
void InstalarManejadorSenalesFatales();

// Qt's own texts (file and print dialogs, standard buttons) in Spanish, from
// Qt's translations; false when they are not installed (they stay in English).
bool InstalarTraduccionesQt();
