// The engine's PDF road: stored pages played onto a PDF writer at the
// format's paper size, and the parts of a job joined into its target.

#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>

#include "gene/data/mensajes.h"
#include "gene/print/genelimp.h"
#include "io/outputfile.h"
#include "io/paths.h"
#include "io/pdf.h"

QPageLayout LayoutPapel(double Ancho, double Alto) {
    const double corto = qMin(Ancho, Alto), largo = qMax(Ancho, Alto);
    return QPageLayout(
        QPageSize(QSizeF(corto, largo), QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
        Ancho > Alto ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

void TfGENELIMP::EmpezarPdfDirecto() {
    TerminarPdfDirecto();
    if (!archivoDirecto_.isEmpty()) QFile::remove(archivoDirecto_);
    archivoDirecto_ = CarpetaTrabajo() + QStringLiteral("/paginas.pdf");
    paginasDirectas_ = int(Paginas.size());
    errorDirecto_.clear();
    salidaDirecta_ = std::make_unique<TOutputFile>(archivoDirecto_);
    if (!salidaDirecta_->open(QIODevice::WriteOnly)) {
        errorDirecto_ = salidaDirecta_->errorString();
        salidaDirecta_.reset();
        archivoDirecto_.clear();
        return;
    }
    pdfDirecto_ = std::make_unique<QPdfWriter>(salidaDirecta_.get());
    pdfDirecto_->setCreator(QStringLiteral("Recursos Humanos"));
    pdfDirecto_->setResolution(150);
    pdfDirecto_->setPageLayout(LayoutPapel(AnchoPapel, AltoPapel));
    pintorPdf_ = std::make_unique<QPainter>();
    if (!pintorPdf_->begin(pdfDirecto_.get())) {
        pintorPdf_.reset();
        pdfDirecto_.reset();
        salidaDirecta_.reset();
        archivoDirecto_.clear();
    }
}

void TfGENELIMP::TerminarPdfDirecto() {
    if (pintorPdf_) pintorPdf_->end();
    pintorPdf_.reset();
    pdfDirecto_.reset();
    // The part file is there only when every byte of it was written.
    if (salidaDirecta_ && !salidaDirecta_->Commit()) {
        errorDirecto_ = salidaDirecta_->errorString();
        archivoDirecto_.clear();
    }
    salidaDirecta_.reset();
}

namespace {

QString NoSeEscribe(const QString& archivo, const QString& motivo) {
    return QStringLiteral("No se puede escribir el archivo ") + archivo +
           (motivo.isEmpty() ? QString() : QStringLiteral(" (") + motivo + QLatin1Char(')'));
}

}  // namespace

QString TfGENELIMP::EscribirPaginasPDF(const QString& Archivo) {
    // Pages drawn straight into a part file: that file is the PDF.
    if (!errorDirecto_.isEmpty() && paginasDirectas_ == 0 && !pintorPdf_) {
        const QString motivo = errorDirecto_;
        errorDirecto_.clear();
        return NoSeEscribe(Archivo, motivo);
    }
    if (!archivoDirecto_.isEmpty() && paginasDirectas_ == 0 && !pintorPdf_) {
        const QString origen = archivoDirecto_;
        archivoDirecto_.clear();
        QFile::remove(NativePath(Archivo));
        if (QFile::rename(origen, NativePath(Archivo)) ||
            (QFile::copy(origen, NativePath(Archivo)) && QFile::remove(origen)))
            return QString();
        return QStringLiteral("No se puede escribir el archivo ") + Archivo;
    }
    TOutputFile salida(NativePath(Archivo));
    if (!salida.open(QIODevice::WriteOnly)) return NoSeEscribe(Archivo, salida.errorString());
    QPdfWriter pdf(&salida);
    pdf.setCreator(QStringLiteral("Recursos Humanos"));
    pdf.setResolution(150);
    pdf.setPageLayout(LayoutPapel(AnchoPapel, AltoPapel));
    if (!PapelesPaginas.empty())
        pdf.setPageLayout(LayoutPapel(PapelesPaginas[0].width(), PapelesPaginas[0].height()));
    QPainter p;
    if (!p.begin(&pdf)) return QStringLiteral("No se puede escribir el archivo ") + Archivo;
    for (size_t i = 0; i < Paginas.size(); ++i) {
        const auto& pagina = Paginas[i];
        if (i > 0) {
            if (i < PapelesPaginas.size())
                pdf.setPageLayout(
                    LayoutPapel(PapelesPaginas[i].width(), PapelesPaginas[i].height()));
            pdf.newPage();
        }
        // A picture replays scaled by the target's resolution over its own;
        // the pages are recorded in the target's pixels already.
        p.save();
        p.scale(double(pagina->logicalDpiX()) / pdf.logicalDpiX(),
                double(pagina->logicalDpiY()) / pdf.logicalDpiY());
        p.drawPicture(0, 0, *pagina);
        p.restore();
    }
    if (!p.end()) return QStringLiteral("No se puede escribir el archivo ") + Archivo;
    if (!salida.Commit()) return NoSeEscribe(Archivo, salida.errorString());
    return QString();
}

void TfGENELIMP::UnirPartesPDF() {
    if (PartesPDF.isEmpty()) return;
    const QString destino = NativePath(DestinoImpreso.mid(4));
    if (PartesPDF.size() == 1) {
        // One part is the document: copied whole, the target replaced only
        // once the copy is complete.
        QFile parte(NativePath(PartesPDF.first()));
        QString motivo;
        if (!parte.open(QIODevice::ReadOnly))
            AvisoErrorPDF(NoSeEscribe(destino, parte.errorString()));
        else if (!WriteWholeFile(destino, parte.readAll(), &motivo))
            AvisoErrorPDF(NoSeEscribe(destino, motivo));
    } else {
        try {
            JoinPdfFiles(PartesPDF, destino);
        } catch (const EPdfError& e) {
            AvisoErrorPDF(e.Message());
        }
    }
    for (const QString& parte : std::as_const(PartesPDF)) QFile::remove(NativePath(parte));
    PartesPDF.clear();
}

void TfGENELIMP::AvisoErrorPDF(const QString& Motivo) {
    MensajeAdvertencia(
        QStringLiteral("Se ha producido un error al generar el archivo PDF. Motivo: ") + Motivo);
}
