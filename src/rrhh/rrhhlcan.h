#pragma once
// The dialog "Listado de Candidatos": the employees listing's twin on the
// candidates file, with a candidate code range, the "Candidato" profile's
// categories and no contract options; it prints through TfRRQRLCAN.

#include "rrhh/rrhhlope.h"

class TfRRHHLCAN : public TfRRHHLOPE {
    Q_OBJECT
public:
    explicit TfRRHHLCAN(QWidget* owner = nullptr);
    ~TfRRHHLCAN() override;

    // The frame's code range, named and labelled for candidates.
    TEdit* DesdeCandidato;
    TEdit* HastaCandidato;

    bool Validar() override;
    TInformeListado* CrearInforme() override;
};

extern TfRRHHLCAN* fRRHHLCAN;

void RegistrarTfRRHHLCAN();
