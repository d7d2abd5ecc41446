#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "gene/session/geneinic_programas.h"
#include "gene/print/genelimp_salida.h"
#include "io/office.h"
#include "io/outputfile.h"
#include "io/paths.h"
#include "io/pdf.h"
#include "io/printqueue.h"

namespace {
bool EsPDF(const QString& documento) {
    QFile f(NativePath(documento));
    return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-";
}
}  // namespace

QString ComandoLibreOffice() {
    return ComandoProgramaHermano(QStringLiteral("soffice"));
}

QString TextoErrorWord(const QString& Motivo) {
    return QStringLiteral("¡Imposible conectar con Word!. (Motivo: ") + Motivo;
}

bool DocumentoAPDF(const QString& Documento, const QString& Pdf, QString& Motivo) {
    if (!EsPDF(Documento))
        return ConvertToPdf(Documento, Pdf, ComandoLibreOffice(), EsperaLibreOffice, &Motivo);
    try {
        JoinPdfFiles({NativePath(Documento)}, NativePath(Pdf));
        return true;
    } catch (const EOutputError& e) {
        Motivo = e.Message();
        return false;
    }
}

bool ImprimirDocumento(const QString& Documento, const QString& Impresora, QString& Motivo) {
    if (EsPDF(Documento)) return SendFileToPrintQueue(Impresora, Documento, false, &Motivo);
    QTemporaryDir carpeta;
    const QString pdf =
        carpeta.filePath(QFileInfo(Documento).completeBaseName() + QStringLiteral(".pdf"));
    return DocumentoAPDF(Documento, pdf, Motivo) &&
           SendFileToPrintQueue(Impresora, pdf, false, &Motivo);
}
