#include "rrhh/rrhhlpla.h"

#include <QDate>
#include <QLayout>
#include <climits>

#include "gene/data/geneconv.h"
#include "rrhh/rrqrlpla.h"
#include "ui/controls.h"
#include "ui/registry.h"

int EjercicioPlanListado = 0;
TfRRHHLPLA* fRRHHLPLA = nullptr;

TfRRHHLPLA::TfRRHHLPLA(QWidget* owner)
    : TDialogoListado(owner, QStringLiteral("fRRHHLPLA"),
                      QStringLiteral("Listado de Plan de Formación")) {
    EditEjercicio = new TSpinEdit(Panel2);
    EditEjercicio->setObjectName(QStringLiteral("EditEjercicio"));
    EditEjercicio->setRange(INT_MIN, INT_MAX);
    FilaSeleccion(QStringLiteral("Ejercicio"), EditEjercicio);
    DesdeRevision = NuevoEdit(QStringLiteral("DesdeRevision"), QStringLiteral("1"), 30);
    HastaRevision = NuevoEdit(QStringLiteral("HastaRevision"), QStringLiteral("1"), 30);
    FilaSeleccion(QStringLiteral("Desde Revisión"), DesdeRevision, HastaRevision);
    DesdeFormacion = NuevoEdit(QStringLiteral("DesdeFormacion"), QString(), 8);
    // The default upper bound is longer than what can be typed.
    HastaFormacion =
        NuevoEdit(QStringLiteral("HastaFormacion"), QStringLiteral("zzzzzzzzzzzzz"), 8);
    FilaSeleccion(QStringLiteral("Desde Formación"), DesdeFormacion, HastaFormacion);

    QWidget* orden = GrupoOpciones(QStringLiteral("Clasificación"));
    PorAccionFormativa = new TRadioButton(orden, QStringLiteral("Por Acción Formativa"));
    PorAccionFormativa->setObjectName(QStringLiteral("PorAccionFormativa"));
    PorOperario = new TRadioButton(orden, QStringLiteral("Por Operario"));
    PorOperario->setObjectName(QStringLiteral("PorOperario"));
    PorOperario->setChecked(true);
    orden->layout()->addWidget(PorAccionFormativa);
    orden->layout()->addWidget(PorOperario);
    const QString opciones = QStringLiteral("Opciones");
    Activos = Opcion(opciones, QStringLiteral("Activos"), QStringLiteral("Activos"));
    NoActivos = Opcion(opciones, QStringLiteral("NoActivos"), QStringLiteral("No Activos"));
    Interno = Opcion(opciones, QStringLiteral("Interno"), QStringLiteral("Interno"));
    Externo = Opcion(opciones, QStringLiteral("Externo"), QStringLiteral("Externo"));
    Realizados = Opcion(opciones, QStringLiteral("Realizados"), QStringLiteral("Realizados"));
    NoRealizados =
        Opcion(opciones, QStringLiteral("NoRealizados"), QStringLiteral("No Realizados"));
    fRRHHLPLA = this;
}

TfRRHHLPLA::~TfRRHHLPLA() {
    if (fRRHHLPLA == this) fRRHHLPLA = nullptr;
}

void TfRRHHLPLA::ValoresIniciales() {
    EditEjercicio->setValue(QDate::currentDate().year());
    if (EjercicioPlanListado != 0) {
        EditEjercicio->setValue(EjercicioPlanListado);
        EjercicioPlanListado = 0;
    }
}

bool TfRRHHLPLA::Validar() {
    return ValidarEntero(DesdeOperario->Text(), QStringLiteral("Desde Operario")) &&
           ValidarEntero(HastaOperario->Text(), QStringLiteral("Hasta Operario")) &&
           ValidarEntero(DesdeRevision->Text(), QStringLiteral("Desde Revision")) &&
           ValidarEntero(HastaRevision->Text(), QStringLiteral("Hasta Revision")) &&
           ValidarEntero(EditEjercicio->text(), QStringLiteral("Ejercicio"));
}

TInformeListado* TfRRHHLPLA::CrearInforme() {
    auto* r = new TfRRQRLPLA(this);
    r->Ejercicio = EditEjercicio->text().toInt();
    r->DesdeOperario = DesdeOperario->Text().trimmed().toInt();
    r->HastaOperario = HastaOperario->Text().trimmed().toInt();
    r->DesdeRevision = DesdeRevision->Text().trimmed().toInt();
    r->HastaRevision = HastaRevision->Text().trimmed().toInt();
    r->DesdeFormacion = DesdeFormacion->Text();
    r->HastaFormacion = HastaFormacion->Text();
    r->RangosGruposAnalisis = RangosGruposAnalisis;
    r->Activos = Activos->isChecked();
    r->NoActivos = NoActivos->isChecked();
    r->Interno = Interno->isChecked();
    r->Externo = Externo->isChecked();
    r->Realizados = Realizados->isChecked();
    r->NoRealizados = NoRealizados->isChecked();
    r->PorAccionFormativa = PorAccionFormativa->isChecked();
    r->PorOperario = PorOperario->isChecked();
    return r;
}

void RegistrarTfRRHHLPLA() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHLPLA")))
        RegisterFormClass<TfRRHHLPLA>(QStringLiteral("TfRRHHLPLA"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHLPLA();
    return true;
}();
}  // namespace
