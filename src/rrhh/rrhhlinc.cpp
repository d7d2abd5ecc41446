#include "rrhh/rrhhlinc.h"

#include <QLayout>

#include "gene/data/geneconv.h"
#include "rrhh/rrqrlin2.h"
#include "rrhh/rrqrlinc.h"
#include "ui/controls.h"
#include "ui/registry.h"

TfRRHHLINC* fRRHHLINC = nullptr;

TfRRHHLINC::TfRRHHLINC(QWidget* owner)
    : TDialogoFechas(owner, QStringLiteral("fRRHHLINC"),
                     QStringLiteral("Listado de Incidencias de Calendario")) {
    QWidget* orden = GrupoOpciones(QStringLiteral("Tipo Clasificación"));
    auto radio = [orden](const char* nombre, const char* caption) {
        auto* r = new TRadioButton(orden, QString::fromUtf8(caption));
        r->setObjectName(QLatin1String(nombre));
        orden->layout()->addWidget(r);
        return r;
    };
    PorOperarioFecha = radio("PorOperarioFecha", "Por Operario / Fecha");
    PorGrAnalisisFecha = radio("PorGrAnalisisFecha", "Por Gr.Análisis / Fecha");
    PorOperarioGrAnalisis = radio("PorOperarioGrAnalisis", "Por Operario / Gr.Análisis");
    PorGrAnalisisOperario = radio("PorGrAnalisisOperario", "Por Gr.Análisis / Operario");
    PorOperarioFecha->setChecked(true);
    fRRHHLINC = this;
}

TfRRHHLINC::~TfRRHHLINC() {
    if (fRRHHLINC == this) fRRHHLINC = nullptr;
}

TInformeListado* TfRRHHLINC::CrearInforme() {
    // The report's creation chooses its table by the order: everything is
    // written first, into the variables of the report that runs.
    const bool porGrupo = PorGrAnalisisFecha->isChecked() || PorGrAnalisisOperario->isChecked();
    TSeleccionIncidencias& s = porGrupo ? RRQRLIN2::Seleccion : RRQRLINC::Seleccion;
    if (PorOperarioFecha->isChecked())
        s.TipoClasificacion = QStringLiteral("Por Operario/Fecha");
    else if (PorOperarioGrAnalisis->isChecked())
        s.TipoClasificacion = QStringLiteral("Por Operario/Gr.Analisis");
    else if (PorGrAnalisisFecha->isChecked())
        s.TipoClasificacion = QStringLiteral("Por Gr.Analisis/Fecha");
    else
        s.TipoClasificacion = QStringLiteral("Por Gr.Analisis/Operario");
    s.DesdeOperario = DesdeOperario->Text().trimmed().toInt();
    s.HastaOperario = HastaOperario->Text().trimmed().toInt();
    s.DesdeFecha = TextoAFechaHora(DesdeFecha->Text());
    s.HastaFecha = TextoAFechaHora(HastaFecha->Text());
    s.RangosGruposAnalisis = RangosGruposAnalisis;
    s.Activos = Activos->isChecked();
    s.NoActivos = NoActivos->isChecked();
    s.SaltoPagina = SaltoPagina->isChecked();
    if (porGrupo) return new TfRRQRLIN2(this);
    return new TfRRQRLINC(this);
}

void RegistrarTfRRHHLINC() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHLINC")))
        RegisterFormClass<TfRRHHLINC>(QStringLiteral("TfRRHHLINC"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHLINC();
    return true;
}();
}  // namespace
