#include "rrhh/rrhhmmaq.h"

#include "db/field.h"
#include "db/table.h"
#include "ui/registry.h"

TfRRHHMMAQ* fRRHHMMAQ = nullptr;

TfRRHHMMAQ::TfRRHHMMAQ(QWidget* owner)
    : TMaestroRejilla(owner, QStringLiteral("fRRHHMMAQ"), QStringLiteral("Maestro de Máquinas"),
                      QStringLiteral("MAQUINA")) {
    AgregarColumna(QStringLiteral("Codigo"), QStringLiteral("Código"), 48);
    AgregarColumna(QStringLiteral("Descripcion"), QStringLiteral("Descripción"), 263);
    resize(360, 330);
    fRRHHMMAQ = this;
}

TfRRHHMMAQ::~TfRRHHMMAQ() {
    if (fRRHHMMAQ == this) fRRHHMMAQ = nullptr;
}

void TfRRHHMMAQ::FormCreate(QObject* Sender) {
    TMaestroRejilla::FormCreate(Sender);
    if (TField* f = Table1->FindField(QStringLiteral("Codigo"))) {
        f->setDisplayLabel(QStringLiteral("Código"));
        f->setDisplayWidth(12);
    }
    if (TField* f = Table1->FindField(QStringLiteral("Descripcion"))) {
        f->setDisplayLabel(QStringLiteral("Descripción"));
        f->setDisplayWidth(45);
    }
}

void RegistrarTfRRHHMMAQ() {
    RegisterFormClass<TfRRHHMMAQ>(QStringLiteral("TfRRHHMMAQ"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHMMAQ();
    return true;
}();
}  // namespace
