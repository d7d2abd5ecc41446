#pragma once
// The dialog "Listado de Operarios por Nivel de Formación": the employees'
// training history by start date and training code, ordered by employee, by
// training or by end date; it prints through TfRRQRLFOR.

#include "rrhh/rrhhlist.h"

class TRadioButton;

class TfRRHHLFOR : public TDialogoListado {
    Q_OBJECT
public:
    explicit TfRRHHLFOR(QWidget* owner = nullptr);
    ~TfRRHHLFOR() override;

    TEdit* DesdeFecha;
    TEdit* HastaFecha;
    TEdit* DesdeFormacion;
    TEdit* HastaFormacion;
    TCheckBox* Activos;
    TCheckBox* NoActivos;
    TRadioButton* PorOperario;
    TRadioButton* PorFormacion;
    TRadioButton* PorFechaFinal;

    bool Validar() override;
    TInformeListado* CrearInforme() override;
    // "PorOperario", "PorFormacion" or "PorFechaFinal", from the order buttons.
    QString Orden() const;

protected:
    void ValoresIniciales() override;
};

extern TfRRHHLFOR* fRRHHLFOR;

void RegistrarTfRRHHLFOR();
