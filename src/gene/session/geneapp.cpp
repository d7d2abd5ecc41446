#include "gene/session/geneapp.h"

#include <unistd.h>

#include <QLibraryInfo>
#include <QTranslator>
#include <csignal>

#include "db/dberror.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"

namespace {

const char kLineaFatal[] =
    "¡Se ha producido un error indeterminado en el sistema!. En estas condiciones es "
    "recomendable reiniciar la computadora.\n";

extern "C" void SenalFatal(int senal) {
    // Only async-signal-safe calls here.
    ssize_t escrito = write(STDERR_FILENO, kLineaFatal, sizeof(kLineaFatal) - 1);
    (void)escrito;
    std::signal(senal, SIG_DFL);
    std::raise(senal);
}

}  // namespace

void InstalarManejadorSenalesFatales() {
    for (int senal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) std::signal(senal, SenalFatal);
}

bool InstalarTraduccionesQt() {
    auto* traductor = new QTranslator(QCoreApplication::instance());
    if (!traductor->load(QStringLiteral("qtbase_es"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(traductor)) {
        delete traductor;
        return false;
    }
    return true;
}

TAplicacion::TAplicacion(int& argc, char** argv) : QApplication(argc, argv) {
    InstalarManejadorSenalesFatales();
}

bool TAplicacion::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        DespacharExcepcion(receiver, std::current_exception());
        return false;
    }
}

void DespacharExcepcion(QObject* Sender, std::exception_ptr Excepcion) {
    QString mensaje;
    try {
        std::rethrow_exception(Excepcion);
    } catch (const EAbort&) {
        return;
    } catch (const EDatabaseError& e) {
        mensaje = MensajeExcepcionBaseDatos(e);
    } catch (const std::exception& e) {
        mensaje = QString::fromUtf8(e.what());
    } catch (...) {
        mensaje = QStringLiteral("Error desconocido");
    }
    try {
        CrearSesion()->GestionExcepciones(Sender, mensaje);
    } catch (...) {
        // The handler is the last stop: nothing may leave it.
    }
}
