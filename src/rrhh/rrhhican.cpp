#include "rrhh/rrhhican.h"

#include <QSet>

#include "gene/genedicc.h"
#include "gene/geneinic.h"
#include "gene/genetext.h"
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

bool TfRRHHICAN::IntercambiarPar(const QString& Origen, const QString& Destino) {
    QString texto;
    if (!LeerDiccionarioEstandar(fGENEINIC, texto)) return false;
    QSet<QString> hechas;
    for (const QString& linea : LineasTexto(texto)) {
        const QStringList piezas = linea.split(QLatin1Char('/'));
        if (piezas.size() < 4 || piezas[1] != QLatin1String("C")) continue;
        const QString tabla = piezas[0].trimmed(), columna = piezas[3].trimmed();
        if (!columna.contains(QLatin1String("CodigoCandidato")) ||
            tabla == QLatin1String("ORIGEN") ||
            hechas.contains(tabla.toUpper() + QLatin1Char('/') + columna.toUpper()))
            continue;
        hechas.insert(tabla.toUpper() + QLatin1Char('/') + columna.toUpper());
        if (!CambiarDato(tabla, columna, Origen, Destino)) return false;
    }
    // The candidate's own position and training rows hold its code in
    // CodigoOperario: left behind, the next candidate given the old code
    // would inherit them.
    const QString propio = QStringLiteral("(NombreTabla = 'CANDIDAT')");
    for (const char* tabla : {"HPUESTO", "HFORMACI"})
        if (!CambiarDato(QLatin1String(tabla), QStringLiteral("CodigoOperario"), Origen, Destino,
                         propio))
            return false;
    return IntercambiarMaestroYAnexos(Origen, Destino);
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
