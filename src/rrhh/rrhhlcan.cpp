#include "rrhh/rrhhlcan.h"

#include "gene/data/geneconv.h"
#include "rrhh/rrqrlcan.h"
#include "ui/controls.h"
#include "ui/registry.h"

TfRRHHLCAN* fRRHHLCAN = nullptr;

TfRRHHLCAN::TfRRHHLCAN(QWidget* owner)
    : TfRRHHLOPE(owner, QStringLiteral("fRRHHLCAN"), QStringLiteral("Listado de Candidatos"),
                 QStringLiteral("Candidato")) {
    DesdeCandidato = DesdeOperario;
    HastaCandidato = HastaOperario;
    DesdeCandidato->setObjectName(QStringLiteral("DesdeCandidato"));
    HastaCandidato->setObjectName(QStringLiteral("HastaCandidato"));
    for (TLabel* l : Panel2->findChildren<TLabel*>())
        if (l->Caption() == QLatin1String("Desde Operario"))
            l->setCaption(QStringLiteral("Desde Candidato"));
    EntidadGrupos = QStringLiteral("Candidato");
    fRRHHLCAN = this;
}

TfRRHHLCAN::~TfRRHHLCAN() {
    if (fRRHHLCAN == this) fRRHHLCAN = nullptr;
}

bool TfRRHHLCAN::Validar() {
    return ValidarEntero(DesdeCandidato->Text(), QStringLiteral("Desde Candidato")) &&
           ValidarEntero(HastaCandidato->Text(), QStringLiteral("Hasta Candidato"));
}

TInformeListado* TfRRHHLCAN::CrearInforme() {
    auto* r = new TfRRQRLCAN(ListaGruposSeleccionados, this);
    r->DesdeCandidato = DesdeCandidato->Text().trimmed().toInt();
    r->HastaCandidato = HastaCandidato->Text().trimmed().toInt();
    r->DesdePuesto = DesdePuesto->Text();
    r->HastaPuesto = HastaPuesto->Text();
    r->RangosGruposAnalisis = RangosGruposAnalisis;
    return r;
}

void RegistrarTfRRHHLCAN() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHLCAN")))
        RegisterFormClass<TfRRHHLCAN>(QStringLiteral("TfRRHHLCAN"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHLCAN();
    return true;
}();
}  // namespace
