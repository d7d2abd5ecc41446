#include "nomina/nomisecc.h"

#include "ui/registry.h"

TfNOMISECC* fNOMISECC = nullptr;

TfNOMISECC::TfNOMISECC(QWidget* owner)
    : TMaestroRejilla(owner, QStringLiteral("fNOMISECC"), QStringLiteral("Maestro de Secciones"),
                      QStringLiteral("SECCION")) {
    UsarMarcoNomina();
    AgregarColumna(QStringLiteral("Codigo"), QStringLiteral("Código"), 66);
    AgregarColumna(QStringLiteral("Nombre"), QStringLiteral("Nombre"), 301);
    resize(420, 330);
    fNOMISECC = this;
}

TfNOMISECC::~TfNOMISECC() {
    if (fNOMISECC == this) fNOMISECC = nullptr;
}

void RegistrarTfNOMISECC() {
    RegisterFormClass<TfNOMISECC>(QStringLiteral("TfNOMISECC"));
}

namespace {
const bool registrado = [] {
    RegistrarTfNOMISECC();
    return true;
}();
}  // namespace
