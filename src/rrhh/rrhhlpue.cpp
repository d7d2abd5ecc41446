#include "rrhh/rrhhlpue.h"

#include "rrhh/rrqrlpue.h"
#include "ui/controls.h"
#include "ui/registry.h"

TfRRHHLPUE* fRRHHLPUE = nullptr;

TfRRHHLPUE::TfRRHHLPUE(QWidget* owner)
    : TDialogoListado(owner, QStringLiteral("fRRHHLPUE"),
                      QStringLiteral("Listado de Operarios por Puesto")) {
    FilaPuestos(DesdePuesto, HastaPuesto);
    FilaFechas(QStringLiteral("Desde Fecha Ocupación"), DesdeFecha, HastaFecha);
    OpcionesActivos(Activos, NoActivos);
    const QString orden = QStringLiteral("Tipo Clasificación");
    PorOperario = OpcionOrden(orden, QStringLiteral("PorOperario"), QStringLiteral("Por Operario"));
    PorPuesto = OpcionOrden(orden, QStringLiteral("PorPuesto"), QStringLiteral("Por Puesto"));
    PorOperario->setChecked(true);
    fRRHHLPUE = this;
}

TfRRHHLPUE::~TfRRHHLPUE() {
    if (fRRHHLPUE == this) fRRHHLPUE = nullptr;
}

void TfRRHHLPUE::ValoresIniciales() {
    FechasAnoActual(DesdeFecha, HastaFecha);
}

bool TfRRHHLPUE::Validar() {
    return ValidarOperarios() && ValidarFechas(DesdeFecha, HastaFecha);
}

TInformeListado* TfRRHHLPUE::CrearInforme() {
    // The order chooses the temporary table: it goes in with the creation.
    auto* r = new TfRRQRLPUE(
        PorPuesto->isChecked() ? QStringLiteral("PorPuesto") : QStringLiteral("PorOperario"), this);
    DarSeleccion(*r, Activos, NoActivos);
    r->DesdePuesto = DesdePuesto->Text();
    r->HastaPuesto = HastaPuesto->Text();
    r->DesdeFecha = FechaEdit(DesdeFecha);
    r->HastaFecha = FechaEdit(HastaFecha);
    return r;
}

void RegistrarTfRRHHLPUE() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHLPUE")))
        RegisterFormClass<TfRRHHLPUE>(QStringLiteral("TfRRHHLPUE"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHLPUE();
    return true;
}();
}  // namespace
