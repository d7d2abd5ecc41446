#pragma once
// The training-plan listing dialog "Listado de Plan de Formación": year,
// employee, revision and training ranges, the order (by training action or
// by employee) and the kind and state filters; it prints through TfRRQRLPLA.

#include "rrhh/rrhhlist.h"

class TRadioButton;
class TSpinEdit;

// The year the training-plan master asks the next dialog to show (0: none).
extern int EjercicioPlanListado;

class TfRRHHLPLA : public TDialogoListado {
    Q_OBJECT
public:
    explicit TfRRHHLPLA(QWidget* owner = nullptr);
    ~TfRRHHLPLA() override;

    TSpinEdit* EditEjercicio;
    TEdit* DesdeRevision;
    TEdit* HastaRevision;
    TEdit* DesdeFormacion;
    TEdit* HastaFormacion;
    TRadioButton* PorAccionFormativa;
    TRadioButton* PorOperario;
    TCheckBox* Activos;
    TCheckBox* NoActivos;
    TCheckBox* Interno;
    TCheckBox* Externo;
    TCheckBox* Realizados;
    TCheckBox* NoRealizados;

    bool Validar() override;
    TInformeListado* CrearInforme() override;

protected:
    void ValoresIniciales() override;
};

extern TfRRHHLPLA* fRRHHLPLA;

// Puts the dialog in the form registry (idempotent).
void RegistrarTfRRHHLPLA();
