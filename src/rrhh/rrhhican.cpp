#include "rrhh/rrhhican.h"

#include "nomina/nomiiope_filas.h"
#include "ui/registry.h"

TfRRHHICAN* fRRHHICAN = nullptr;

namespace {

TDatosIntercambio DatosCandidatos() {
    return {QStringLiteral("fRRHHICAN"),
            QStringLiteral("Intercambio de Códigos de Candidatos"),
            QStringLiteral("CANDIDAT"),
            QStringLiteral("Codigo"),
            99999999,
            QStringLiteral("Candidato Origen"),
            QStringLiteral("Candidato Destino"),
            QStringLiteral("ImportarCandidatos"),
            QStringLiteral("Importar &Candidatos")};
}

}  // namespace

TfRRHHICAN::TfRRHHICAN(QWidget* owner) : TfNOMIIOPE(owner, DatosCandidatos()) {
    fRRHHICAN = this;
}

TfRRHHICAN::~TfRRHHICAN() {
    if (fRRHHICAN == this) fRRHHICAN = nullptr;
}

QList<TLugarCodigo> TfRRHHICAN::LugaresCodigo() {
    QList<TLugarCodigo> l = LugaresDiccionario(
        [](const QString& Tabla, const QString& Columna) {
            return Columna.contains(QLatin1String("CodigoCandidato")) &&
                   Tabla != QLatin1String("ORIGEN");
        },
        Datos().TablaMaestra);
    // The candidate's own position and training rows hold its code in
    // CodigoOperario: left behind, the next candidate given the old code
    // would inherit them.
    for (const char* tabla : {"HPUESTO", "HFORMACI"})
        l.append({QLatin1String(tabla), QStringLiteral("CodigoOperario"),
                  QStringLiteral("NombreTabla"), Datos().TablaMaestra});
    return l;
}

void RegistrarTfRRHHICAN() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHICAN")))
        RegisterFormClass<TfRRHHICAN>(QStringLiteral("TfRRHHICAN"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHICAN();
    return true;
}();
}  // namespace
