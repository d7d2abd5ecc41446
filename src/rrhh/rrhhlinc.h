#pragma once
// The calendar-incidence listing dialog: employee and date ranges, active
// options, a page per employee group and one of four orders; the orders led
// by the employee print through TfRRQRLINC, those led by the analysis group
// through TfRRQRLIN2.

#include "rrhh/rrqrcale.h"

class TRadioButton;

class TfRRHHLINC : public TDialogoFechas {
    Q_OBJECT
public:
    explicit TfRRHHLINC(QWidget* owner = nullptr);
    ~TfRRHHLINC() override;

    TRadioButton* PorOperarioFecha;
    TRadioButton* PorGrAnalisisFecha;
    TRadioButton* PorOperarioGrAnalisis;
    TRadioButton* PorGrAnalisisOperario;

    TInformeListado* CrearInforme() override;
};

extern TfRRHHLINC* fRRHHLINC;

// Puts the dialog in the form registry (idempotent).
void RegistrarTfRRHHLINC();
