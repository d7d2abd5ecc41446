#include "rrhh/preslcal.h"

#include <QDate>
#include <QLayout>

#include "gene/data/geneconv.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/data/genesist.h"
#include "rrhh/reqrlcal.h"
#include "ui/controls.h"
#include "ui/registry.h"

TfPRESLCAL* fPRESLCAL = nullptr;

TfPRESLCAL::TfPRESLCAL(QWidget* owner)
    : TDialogoListado(owner, QStringLiteral("fPRESLCAL"),
                      QStringLiteral("Listado de Calendarios de Operarios")) {
    DesdeOperario->setMaxLength(4);
    HastaOperario->setMaxLength(4);
    AnoCalendario = NuevoEdit(QStringLiteral("AnoCalendario"), QString(), 10);
    FilaSeleccion(QStringLiteral("Año Calendario"), AnoCalendario);
    Observaciones = new TMemo(Panel2);
    Observaciones->setObjectName(QStringLiteral("Observaciones"));
    Observaciones->setMaximumHeight(60);
    FilaSeleccion(QStringLiteral("Observaciones"), Observaciones);

    QWidget* modo = GrupoOpciones(QStringLiteral("Opciones"));
    rbHorarios = new TRadioButton(modo, QStringLiteral("Mostrar Horarios"));
    rbHorarios->setObjectName(QStringLiteral("rbHorarios"));
    rbHorarios->setChecked(true);
    rbTiposDia = new TRadioButton(modo, QStringLiteral("Mostrar Tipos de Día"));
    rbTiposDia->setObjectName(QStringLiteral("rbTiposDia"));
    modo->layout()->addWidget(rbHorarios);
    modo->layout()->addWidget(rbTiposDia);
    fPRESLCAL = this;
}

TfPRESLCAL::~TfPRESLCAL() {
    if (fPRESLCAL == this) fPRESLCAL = nullptr;
}

void TfPRESLCAL::ValoresIniciales() {
    AnoCalendario->setText(AnoTexto(QDateTime::currentDateTime()));
    // The payroll program lists day types only, the attendance program
    // schedules only; this program offers both, day types first.
    if (EsProgramaEnEjecucion(QStringLiteral("MURDANE.EXE"))) {
        rbHorarios->setChecked(true);
        rbTiposDia->setEnabled(false);
        setCaption(QStringLiteral("Listado de Calendarios de Operarios"));
    } else {
        rbTiposDia->setChecked(true);
        if (EsProgramaEnEjecucion(QStringLiteral("PELISTO.EXE"))) rbHorarios->setEnabled(false);
        setCaption(QStringLiteral("Listado de Calendarios de Personal"));
    }
    TraducirFormulario(fGENEINIC, this, QString());
}

bool TfPRESLCAL::Validar() {
    return ValidarEntero(DesdeOperario->Text(), QStringLiteral("Desde Operario")) &&
           ValidarEntero(HastaOperario->Text(), QStringLiteral("Hasta Operario")) &&
           ValidarEntero(AnoCalendario->Text(), QStringLiteral("Año Calendario"));
}

TInformeListado* TfPRESLCAL::CrearInforme() {
    // The report's creation reads the mode: everything is written first.
    REQRLCAL::DesdeOperario = DesdeOperario->Text().trimmed().toInt();
    REQRLCAL::HastaOperario = HastaOperario->Text().trimmed().toInt();
    REQRLCAL::AnoCalendario = AnoCalendario->Text().trimmed().toInt();
    REQRLCAL::Observaciones = Observaciones->Text();
    REQRLCAL::RangosGruposAnalisis = RangosGruposAnalisis;
    REQRLCAL::MostrarHorarios = rbHorarios->isChecked();
    REQRLCAL::MostrarTiposDia = rbTiposDia->isChecked();
    return new TfREQRLCAL(this);
}

void RegistrarTfPRESLCAL() {
    if (!FormClassRegistered(QStringLiteral("TfPRESLCAL")))
        RegisterFormClass<TfPRESLCAL>(QStringLiteral("TfPRESLCAL"));
}

namespace {
const bool registrado = [] {
    RegistrarTfPRESLCAL();
    return true;
}();
}  // namespace
