#include "rrhh/rrhhlfor.h"

#include "rrhh/rrqrlfor.h"
#include "ui/controls.h"
#include "ui/registry.h"

TfRRHHLFOR* fRRHHLFOR = nullptr;

TfRRHHLFOR::TfRRHHLFOR(QWidget* owner)
    : TDialogoListado(owner, QStringLiteral("fRRHHLFOR"),
                      QStringLiteral("Listado de Operarios por Nivel de Formación")) {
    FilaFechas(QStringLiteral("Desde Fecha "), DesdeFecha, HastaFecha);
    DesdeFormacion = NuevoEdit(QStringLiteral("DesdeFormacion"), QString(), 8);
    // The default upper bound is longer than what can be typed.
    HastaFormacion =
        NuevoEdit(QStringLiteral("HastaFormacion"), QStringLiteral("zzzzzzzzzzzzz"), 8);
    FilaSeleccion(QStringLiteral("Desde Formación"), DesdeFormacion, HastaFormacion);
    OpcionesActivos(Activos, NoActivos);
    const QString orden = QStringLiteral("Tipo Clasificación");
    PorOperario = OpcionOrden(orden, QStringLiteral("PorOperario"), QStringLiteral("Por Operario"));
    PorFormacion =
        OpcionOrden(orden, QStringLiteral("PorFormacion"), QStringLiteral("Por Formación"));
    PorFechaFinal =
        OpcionOrden(orden, QStringLiteral("PorFechaFinal"), QStringLiteral("Por Fecha Final"));
    PorOperario->setChecked(true);
    fRRHHLFOR = this;
}

TfRRHHLFOR::~TfRRHHLFOR() {
    if (fRRHHLFOR == this) fRRHHLFOR = nullptr;
}

void TfRRHHLFOR::ValoresIniciales() {
    FechasAnoActual(DesdeFecha, HastaFecha);
}

bool TfRRHHLFOR::Validar() {
    return ValidarOperarios() && ValidarFechas(DesdeFecha, HastaFecha);
}

QString TfRRHHLFOR::Orden() const {
    if (PorOperario->isChecked()) return QStringLiteral("PorOperario");
    if (PorFormacion->isChecked()) return QStringLiteral("PorFormacion");
    return QStringLiteral("PorFechaFinal");
}

TInformeListado* TfRRHHLFOR::CrearInforme() {
    // The order chooses the temporary table: it goes in with the creation.
    auto* r = new TfRRQRLFOR(Orden(), this);
    DarSeleccion(*r, Activos, NoActivos);
    r->DesdeFormacion = DesdeFormacion->Text();
    r->HastaFormacion = HastaFormacion->Text();
    r->DesdeFecha = FechaEdit(DesdeFecha);
    r->HastaFecha = FechaEdit(HastaFecha);
    return r;
}

void RegistrarTfRRHHLFOR() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHLFOR")))
        RegisterFormClass<TfRRHHLFOR>(QStringLiteral("TfRRHHLFOR"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHLFOR();
    return true;
}();
}  // namespace
