#pragma once
// The sections master "Maestro de Secciones" (table SECCION: Codigo,
// Nombre), the payroll-side grid master unchanged.

#include "gene/session/genemaes_rejilla.h"

class TfNOMISECC : public TMaestroRejilla {
    Q_OBJECT
public:
    explicit TfNOMISECC(QWidget* owner = nullptr);
    ~TfNOMISECC() override;
};

extern TfNOMISECC* fNOMISECC;

// Puts the form class in the form registry (idempotent).
void RegistrarTfNOMISECC();
