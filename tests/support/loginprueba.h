#pragma once
// PostgreSQL: a login of the test's own on the test's server, so that a test
// may change what the server lets it do while the program runs without
// touching the other tests' sessions: take away its right to create
// schemas, or stop the server for it (its connections ended and new ones
// refused, as a stopped server does) and start it again.

#include <QByteArray>
#include <QString>

class TLoginPrueba {
public:
    // A login that may create schemas in the test's database. While it
    // lives, what the test connects (installations, sessions) logs in as it.
    TLoginPrueba();
    // The login goes, with whatever it still owns.
    ~TLoginPrueba();
    TLoginPrueba(const TLoginPrueba&) = delete;
    TLoginPrueba& operator=(const TLoginPrueba&) = delete;

    QString Nombre() const { return nombre_; }
    void QuitarCrearEsquemas();
    // The server out of reach for the login, and back.
    void Detener();
    void Reanudar();

private:
    void Ejecutar(const QString& sql);
    QString nombre_;
    QByteArray usuarioAnterior_;
};
