#include "nomina/nomipais.h"

#include "ui/registry.h"

TfNOMIPAIS* fNOMIPAIS = nullptr;

TfNOMIPAIS::TfNOMIPAIS(QWidget* owner)
    : TMaestroRejilla(owner, QStringLiteral("fNOMIPAIS"), QStringLiteral("Maestro de Paises"),
                      QStringLiteral("PAIS")) {
    UsarMarcoNomina();
    AgregarColumna(QStringLiteral("Codigo"), QStringLiteral("Código"));
    AgregarColumna(QStringLiteral("Nombre"), QStringLiteral("Nombre"), 246);
    AgregarColumna(QStringLiteral("CodigoPaisISO"), QStringLiteral("Código ISO"), 76);
    resize(420, 330);
    fNOMIPAIS = this;
}

TfNOMIPAIS::~TfNOMIPAIS() {
    if (fNOMIPAIS == this) fNOMIPAIS = nullptr;
}

void RegistrarTfNOMIPAIS() {
    RegisterFormClass<TfNOMIPAIS>(QStringLiteral("TfNOMIPAIS"));
}

namespace {
const bool registrado = [] {
    RegistrarTfNOMIPAIS();
    return true;
}();
}  // namespace
