#include "rrhh/rrqrlin2.h"

namespace RRQRLIN2 {
TSeleccionIncidencias Seleccion;
}

TfRRQRLIN2::TfRRQRLIN2(TForm* Dialogo, QWidget* owner)
    : TInformeIncidencias(Dialogo, owner, QStringLiteral("fRRQRLIN2"), RRQRLIN2::Seleccion, true) {}
