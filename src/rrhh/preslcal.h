#pragma once
// The employee-calendar listing dialog: employee range, year, remarks and
// the display mode (schedules or day types); it prints through TfREQRLCAL.

#include "rrhh/rrhhlist.h"

class TMemo;
class TRadioButton;

class TfPRESLCAL : public TDialogoListado {
    Q_OBJECT
public:
    explicit TfPRESLCAL(QWidget* owner = nullptr);
    ~TfPRESLCAL() override;

    TEdit* AnoCalendario;
    TMemo* Observaciones;
    TRadioButton* rbHorarios;
    TRadioButton* rbTiposDia;

    bool Validar() override;
    TInformeListado* CrearInforme() override;

protected:
    void ValoresIniciales() override;
};

extern TfPRESLCAL* fPRESLCAL;

// Puts the dialog in the form registry (idempotent).
void RegistrarTfPRESLCAL();
