#pragma once
// What the listing suites read from the PDFs they print, as a user's own
// tools would: the words with their boxes (pdftotext -bbox), the plain text
// (pdftotext -layout) and the colour of a point of a page (pdftoppm).

#include <QColor>
#include <QList>
#include <QRectF>
#include <QString>

class QImage;

struct Palabra {
    QString texto;
    QRectF caja;  // points, from the page's top left
};
// The words of one page (1 = the first).
QList<Palabra> PalabrasPdf(const QString& Pdf, int Pagina = 1);
// The box of the words of Texto that follow each other on one line; empty
// when they are not there.
QRectF CajaTexto(const QList<Palabra>& Palabras, const QString& Texto);
// The text of every page, laid out as printed.
QString TextoPdfMaquetado(const QString& Pdf);
// A page rendered at 72 dots per inch (a pixel a point); null when unreadable.
QImage ImagenPdf(const QString& Pdf, int Pagina = 1);
// The colour at a point (in points) of a page, rendered at 72 dots per inch.
QColor ColorPdf(const QString& Pdf, int Pagina, QPointF Punto);
// From now on the shared print dialog confirms at once, printing on A4 into Pdf.
void ImprimirEnPdf(const QString& Pdf);
// The number of pages pdfinfo reads; -1 when it cannot read the file.
int PaginasPdf(const QString& Pdf);
