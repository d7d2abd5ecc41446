#pragma once
// The calendar-incidence report of the orders led by the analysis group.

#include "rrhh/rrqrlinc.h"

namespace RRQRLIN2 {
extern TSeleccionIncidencias Seleccion;
}

class TfRRQRLIN2 : public TInformeIncidencias {
    Q_OBJECT
public:
    // Dialogo: the dialog that launched the listing (its selection summary).
    explicit TfRRQRLIN2(TForm* Dialogo = nullptr, QWidget* owner = nullptr);
};
