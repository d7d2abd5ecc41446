// The program entry: the application, the main window, the session (command
// line, parameter and settings files, databases), the dialogs every window
// shares, then the event loop. The main window's first show logs the user in
// and opens the company.

#include <QPointer>
#include <QStringList>

#include "gene/session/geneapp.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/sesion.h"
#include "rrhh/rrhhmenu.h"
#include "ui/component.h"
#include "ui/registry.h"

namespace {

// The dialogs that live from the start to the end of the session, created
// once their units are part of the program.
void CrearDialogosComunes() {
    const QStringList clases = {
        BusquedaAproximadaActivada ? QStringLiteral("TfGENEBUSA") : QStringLiteral("TfGENEBUSQ"),
        QStringLiteral("TfGENEFILT"),
        QStringLiteral("TfGENECOPI"),
        QStringLiteral("TfGENEVMEM"),
        QStringLiteral("TfGENECALC"),
        QStringLiteral("TfGENECPRO"),
        QStringLiteral("TfGENEDETA"),
    };
    for (const QString& clase : clases)
        if (FormClassRegistered(clase)) CreateForm(clase);
}

}  // namespace

int main(int argc, char** argv) {
    TAplicacion aplicacion(argc, argv);
    InstalarServiciosPrograma();

    QPointer<TfRRHHMENU> menu = NewForm<TfRRHHMENU>();
    TfGENEINIC* sesion = CrearSesion();
    if (!sesion->IniciarSesion(aplicacion.arguments().mid(1)) || TerminacionSolicitada()) {
        delete menu;
        delete sesion;
        return 1;
    }
    InstalarRegistroLiberacion(sesion);
    CrearDialogosComunes();

    QObject::connect(menu, &QObject::destroyed, &aplicacion, &QCoreApplication::quit);
    menu->setWindowState(wsMaximized);
    menu->Show();
    const int resultado = TerminacionSolicitada() ? 1 : aplicacion.exec();
    delete menu;
    delete sesion;
    return resultado;
}
