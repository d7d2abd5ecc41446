#include "gene/session/geneinic.h"

#include "gene/listings/geneprog.h"

TfGENEINIC* fGENEINIC = nullptr;

TfGENEINIC::TfGENEINIC(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("fGENEINIC"));
}

TfGENEINIC::~TfGENEINIC() {
    delete progreso_;
    if (fGENEINIC == this) fGENEINIC = nullptr;
}

TfGENEINIC* CrearSesion() {
    if (!fGENEINIC) fGENEINIC = new TfGENEINIC;
    return fGENEINIC;
}
