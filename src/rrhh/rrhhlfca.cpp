#include "rrhh/rrhhlfca.h"

#include "gene/data/geneconv.h"
#include "gene/data/genegrup.h"
#include "gene/data/genemodu.h"
#include "gene/print/genelimp.h"
#include "rrhh/rrhhfich.h"
#include "ui/controls.h"
#include "ui/registry.h"

TfRRHHLFCA* fRRHHLFCA = nullptr;

TfRRHHLFCA::TfRRHHLFCA(QWidget* owner)
    : TDialogoFicha(owner, QStringLiteral("fRRHHLFCA"),
                    QStringLiteral("Listado de Fichas de Candidatos"),
                    QStringLiteral("Ficha Candidato")) {
    // Candidate codes run up to 99999999: a shorter box would cut a preset
    // code into another candidate's.
    DesdeOperario->setMaxLength(8);
    HastaOperario->setMaxLength(8);
    HastaOperario->setText(QStringLiteral("99999999"));
    NumeroCopias = NuevoEdit(QStringLiteral("NumeroCopias"), QStringLiteral("1"), 4);
    FilaSeleccion(QStringLiteral("Número de Copias"), NumeroCopias);
    // The candidates' analysis groups, not the employees'.
    pbRangoGruposAnalisis->OnClick = [this](QObject*) { pbRangoGruposAnalisisCandidatosClick(); };
    fRRHHLFCA = this;
}

TfRRHHLFCA::~TfRRHHLFCA() {
    if (fRRHHLFCA == this) fRRHHLFCA = nullptr;
}

QVariantMap TfRRHHLFCA::RangoListado() const {
    return {{QStringLiteral("Desde"), DesdeOperario->Text()},
            {QStringLiteral("Hasta"), HastaOperario->Text()},
            {QStringLiteral("ImprimirDirectamente"), false}};
}

void TfRRHHLFCA::setRangoListado(const QVariantMap& Rango) {
    if (Rango.contains(QStringLiteral("Desde")))
        DesdeOperario->setText(Rango.value(QStringLiteral("Desde")).toString());
    if (Rango.contains(QStringLiteral("Hasta")))
        HastaOperario->setText(Rango.value(QStringLiteral("Hasta")).toString());
    ImprimirDirectamente(Rango.value(QStringLiteral("ImprimirDirectamente")).toBool());
}

void TfRRHHLFCA::pbRangoGruposAnalisisCandidatosClick() {
    QString rangos = RangosGruposAnalisis;
    SeleccionRangosGruposAnalisis(ModuloDatos, QStringLiteral("Candidato"), RangosGruposAnalisis,
                                  rangos);
    RangosGruposAnalisis = rangos;
}

bool TfRRHHLFCA::Validar() {
    const bool formato = ValidarFormato(QString());
    const bool valores =
        ValidarOperarios() && ValidarEntero(NumeroCopias->Text(), QStringLiteral("Número Copias"));
    return formato && valores;
}

void TfRRHHLFCA::Imprimir() {
    TSeleccionFichas s;
    s.DesdeOperario = DesdeOperario->Text().trimmed().toInt();
    s.HastaOperario = HastaOperario->Text().trimmed().toInt();
    s.RangosGruposAnalisis = RangosGruposAnalisis;
    s.NumeroCopias = NumeroCopias->Text().trimmed().toInt();
    ImprimirFichas(
        DefinicionFichas(TTipoFicha::Candidato), QString(), QString(), DestinoImpreso,
        [&s](TfGENELIMP* motor) { RellenarFichas(TTipoFicha::Candidato, motor->Temporal, s); });
}

void RegistrarTfRRHHLFCA() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHLFCA")))
        RegisterFormClass<TfRRHHLFCA>(QStringLiteral("TfRRHHLFCA"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHLFCA();
    return true;
}();
}  // namespace
