#pragma once
// Documents as the suites make and read them: a .docx or .odt made from the
// XML of its body, the text a reader of a filled document sees in it, a
// PDF's text as pdftotext reads it and the codes zbarimg reads in an image.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// A zip archive of those entries, in order (a "mimetype" entry is stored).
bool CrearZip(const QString& Ruta, const QList<QPair<QString, QByteArray>>& Entradas);

// A .docx whose body holds BodyXml (w:p elements) and whose first header
// holds HeaderXml (none when empty). False when it cannot be written.
bool CrearDocx(const QString& Ruta, const QString& BodyXml, const QString& HeaderXml = QString());
// An .odt whose office:text holds BodyXml (text:p elements).
bool CrearOdt(const QString& Ruta, const QString& BodyXml);
// The bytes of one entry of a zip archive ("" when missing).
QByteArray EntradaZip(const QString& Ruta, const QString& Entrada);
// The text of an XML part as read: paragraphs end in "\n", w:br and
// text:line-break are "\n", tags dropped, entities decoded.
QString TextoXml(const QByteArray& Xml);
// pdftotext's text of a PDF file.
QString TextoPdf(const QString& Pdf);
// What zbarimg reads in the image ("TYPE:data" lines), with its options.
QString LeerCodigos(const QImage& Imagen, const QStringList& Opciones = {});
