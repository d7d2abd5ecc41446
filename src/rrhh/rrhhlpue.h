#pragma once
// The dialog "Listado de Operarios por Puesto": the job-position history of
// the employees of a code range, by position code and start date, ordered by
// employee or by position; it prints through TfRRQRLPUE.

#include "rrhh/rrhhlist.h"

class TRadioButton;

class TfRRHHLPUE : public TDialogoListado {
    Q_OBJECT
public:
    explicit TfRRHHLPUE(QWidget* owner = nullptr);
    ~TfRRHHLPUE() override;

    TEdit* DesdePuesto;
    TEdit* HastaPuesto;
    TEdit* DesdeFecha;
    TEdit* HastaFecha;
    TCheckBox* Activos;
    TCheckBox* NoActivos;
    TRadioButton* PorOperario;
    TRadioButton* PorPuesto;

    bool Validar() override;
    TInformeListado* CrearInforme() override;

protected:
    void ValoresIniciales() override;
};

extern TfRRHHLPUE* fRRHHLPUE;

void RegistrarTfRRHHLPUE();
