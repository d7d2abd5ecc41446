#pragma once
// Workbooks read back as a user's spreadsheet would show them: the parts are
// taken out of the file by unzip, the cells of the first sheet as texts.

#include <QList>
#include <QString>
#include <QStringList>

// The text of a part of an .xlsx file ("xl/worksheets/sheet1.xml").
QString ParteXlsx(const QString& Xlsx, const QString& Parte);
// The first sheet's rows, each cell as its text (shared strings resolved,
// numbers as written), an empty text where a row skips a column.
QList<QStringList> CeldasXlsx(const QString& Xlsx);
// The first sheet as a spreadsheet program shows it: each row's cells joined by
// ";" in column order, a cell with no value empty, from row 1 to the last
// written row (an empty row is "").
QStringList FilasXlsx(const QString& Xlsx);
