#pragma once
// Word-processor documents for the suites that fill models: a .docx or .odt
// made from the XML of its body, and the text a reader of a filled document
// sees in it.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

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
