#pragma once
// Documents made from a model: a copy of a .docx or .odt model in which every
// "$" + field name + "$" is replaced by the field's value, in the body, the
// headers and the footers. A placeholder may be split over several runs of a
// paragraph (a word processor splits text where formatting or spell checking
// changed); the replaced text takes the format of the placeholder's first
// character. Values go in as plain text (no markup is read from them); a line
// break inside a value (CR LF, CR or LF) becomes a line break of the document.
// Field names are matched regardless of letter case, as a word processor's
// replace does by default. An empty value takes its placeholder out; a value
// is never searched for placeholders itself.

#include <QList>
#include <QPair>
#include <QString>

using TCamposModelo = QList<QPair<QString, QString>>;

// Writes Target (a new file, or replacing one) from Model with the fields
// replaced (where two names fit one place, the one given first). False with a Spanish reason when
// the model cannot be read, is not a .docx or .odt document, or the target cannot be written; the
// target is then left as it was.
bool FillModelDocument(const QString& Model, const QString& Target, const TCamposModelo& Fields,
                       QString* Reason);
