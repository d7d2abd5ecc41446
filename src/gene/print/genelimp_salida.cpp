// The engine's output back-ends: raw text streams, Word models, the
// attachments mode and bar codes. Placeholders until they are written: each
// does nothing.

#include "gene/print/genelimp.h"

void TfGENELIMP::ImprimirASCII() {}

void TfGENELIMP::ImprimirMSWord() {}

void TfGENELIMP::ImprimirDocumentosAdjuntos() {}

void TfGENELIMP::ImprimirConAdjuntos() {}

bool TfGENELIMP::EnviarFlujoTexto() {
    return false;
}

void TfGENELIMP::DibujarCodigoBarras(const QRect&, const QString&, const QString&, double,
                                     const QString&) {}
