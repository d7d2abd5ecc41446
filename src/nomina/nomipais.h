#pragma once
// The countries master "Maestro de Paises" (table PAIS: Codigo, Nombre,
// CodigoPaisISO) on the grid form of the master template with the small
// payroll-side masters' differences.

#include "gene/session/genemaes_rejilla.h"

class TfNOMIPAIS : public TMaestroRejilla {
    Q_OBJECT
public:
    explicit TfNOMIPAIS(QWidget* owner = nullptr);
    ~TfNOMIPAIS() override;
};

extern TfNOMIPAIS* fNOMIPAIS;

// Puts the form class in the form registry (idempotent).
void RegistrarTfNOMIPAIS();
