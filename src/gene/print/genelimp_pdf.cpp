// The engine's PDF road: stored pages played onto a PDF writer at the
// format's paper size, and the parts of a job joined into its target.

#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>

#include "gene/mensajes.h"
#include "gene/print/genelimp.h"
#include "io/paths.h"
#include "io/pdf.h"

QPageLayout LayoutPapel(double Ancho, double Alto) {
    const double corto = qMin(Ancho, Alto), largo = qMax(Ancho, Alto);
    return QPageLayout(
        QPageSize(QSizeF(corto, largo), QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
        Ancho > Alto ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

QString TfGENELIMP::EscribirPaginasPDF(const QString& Archivo) {
    QPdfWriter pdf(NativePath(Archivo));
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
    return QString();
}

void TfGENELIMP::UnirPartesPDF() {
    if (PartesPDF.isEmpty()) return;
    try {
        JoinPdfFiles(PartesPDF, DestinoImpreso.mid(4));
    } catch (const EPdfError& e) {
        AvisoErrorPDF(e.Message());
    }
    for (const QString& parte : std::as_const(PartesPDF)) QFile::remove(NativePath(parte));
    PartesPDF.clear();
}

void TfGENELIMP::AvisoErrorPDF(const QString& Motivo) {
    MensajeAdvertencia(
        QStringLiteral("Se ha producido un error al generar el archivo PDF. Motivo: ") + Motivo);
}
