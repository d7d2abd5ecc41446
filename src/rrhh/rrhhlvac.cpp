#include "rrhh/rrhhlvac.h"

#include "gene/data/geneconv.h"
#include "rrhh/rrqrlvac.h"
#include "ui/controls.h"
#include "ui/registry.h"

TfRRHHLVAC* fRRHHLVAC = nullptr;

TfRRHHLVAC::TfRRHHLVAC(QWidget* owner)
    : TDialogoFechas(owner, QStringLiteral("fRRHHLVAC"),
                     QStringLiteral("Listado de Vacaciones/Puentes/Permisos")) {
    const QString tipos = QStringLiteral("Tipos Dia");
    cbVacaciones = Opcion(tipos, QStringLiteral("cbVacaciones"), QStringLiteral("Vacaciones"));
    cbPuentes = Opcion(tipos, QStringLiteral("cbPuentes"), QStringLiteral("Puentes"));
    cbPermisos = Opcion(tipos, QStringLiteral("cbPermisos"), QStringLiteral("Permisos"));
    fRRHHLVAC = this;
}

TfRRHHLVAC::~TfRRHHLVAC() {
    if (fRRHHLVAC == this) fRRHHLVAC = nullptr;
}

TInformeListado* TfRRHHLVAC::CrearInforme() {
    auto* r = new TfRRQRLVAC(this);
    r->DesdeOperario = DesdeOperario->Text().trimmed().toInt();
    r->HastaOperario = HastaOperario->Text().trimmed().toInt();
    r->DesdeFecha = TextoAFechaHora(DesdeFecha->Text());
    r->HastaFecha = TextoAFechaHora(HastaFecha->Text());
    r->Activos = Activos->isChecked();
    r->NoActivos = NoActivos->isChecked();
    r->SaltoPagina = SaltoPagina->isChecked();
    r->Vacaciones = cbVacaciones->isChecked();
    r->Puentes = cbPuentes->isChecked();
    r->Permisos = cbPermisos->isChecked();
    r->RangosGruposAnalisis = RangosGruposAnalisis;
    return r;
}

void RegistrarTfRRHHLVAC() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHLVAC")))
        RegisterFormClass<TfRRHHLVAC>(QStringLiteral("TfRRHHLVAC"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHLVAC();
    return true;
}();
}  // namespace
