#pragma once
// The vacation, bridge and leave-day listing dialog: employee and date
// ranges, active options, a page per employee and the day kinds to list; it
// prints through TfRRQRLVAC.

#include "rrhh/rrqrcale.h"

class TfRRHHLVAC : public TDialogoFechas {
    Q_OBJECT
public:
    explicit TfRRHHLVAC(QWidget* owner = nullptr);
    ~TfRRHHLVAC() override;

    TCheckBox* cbVacaciones;
    TCheckBox* cbPuentes;
    TCheckBox* cbPermisos;

    TInformeListado* CrearInforme() override;
};

extern TfRRHHLVAC* fRRHHLVAC;

// Puts the dialog in the form registry (idempotent).
void RegistrarTfRRHHLVAC();
