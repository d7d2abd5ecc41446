#pragma once
// PostgreSQL: a connection ended by the server in the middle of its writes, as
// a restart does. A trigger on a table makes the first insert whose row meets
// a condition wait for a lock that a thread of the test holds on a connection
// of its own; the thread then ends the waiting backend and lets go. The rows
// written before that insert stay as they were (committed or not).

#include <QString>
#include <atomic>
#include <future>
#include <thread>

class TDatabase;

class TCorteConexion {
public:
    // Base: the connection to end; Tabla: a table of its schema; Condicion:
    // a test on NEW (unquoted names, e.g. "NEW.CodigoOperario >= 3");
    // Operacion: the write that waits ("INSERT", "UPDATE").
    TCorteConexion(TDatabase* Base, const QString& Tabla, const QString& Condicion,
                   const QString& Operacion = QStringLiteral("INSERT"));
    ~TCorteConexion();
    TCorteConexion(const TCorteConexion&) = delete;
    TCorteConexion& operator=(const TCorteConexion&) = delete;
    // Once the run under test is over: whether the backend was ended.
    bool Cortada();

private:
    QString funcion_;
    std::atomic<bool> fin_{false};
    std::future<bool> cortada_;
    std::thread hilo_;
    bool unido_ = false;
    bool resultado_ = false;
};

// Whether this process has its server to itself (run by EnServidorPropio):
// only then may it be restarted, for the suites that run beside it share
// the one they were given.
bool ServidorPropio();
// Runs this test program with Argumentos (a test function and row) beside a
// throw-away server of its own (scripts/with-postgres); its exit code, -1
// when it could not run.
int EnServidorPropio(const QStringList& Argumentos);
// The test's own server stopped as an outage stops it (every connection
// ended, fast) and started again on the same port; true once it accepts
// connections. False, doing nothing, without ServidorPropio.
bool ReiniciarServidorPostgres();

// The messages shown since the log was cleared are exactly one, the warning
// of a listing not made ("¡ No se ha podido realizar el listado !. Motivo: "
// and the reason).
bool UnSoloAvisoListadoNoRealizado();
