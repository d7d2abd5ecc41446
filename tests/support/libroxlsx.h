#pragma once
// Reads a workbook back as a spreadsheet program shows it: the rows of its
// first sheet, each row's cells joined by ";" in column order, a cell with no
// value empty, from row 1 to the last written row (an empty row is "").

#include <QString>
#include <QStringList>

QStringList FilasXlsx(const QString& archivo);
