#pragma once
// Exports of a dataset for other programs and the import back: delimited
// text files (Windows-1252, CR LF lines, a separator after every field) and
// Excel workbooks (.xlsx). Both can carry the lines of a detail dataset,
// linked to the main one, under each main record.
//
// Text files. Optional header lines "CamposCabecera=" + the main field names
// and, with a detail dataset, "CamposLinea=" + the detail field names, each
// name followed by the separator. One line per main record and, with a
// detail dataset, a marker piece "0" right after its key fields (as many as
// the main table's current index has) followed by one line per detail
// record. A line break inside a value is written as the line-break mark.
// Delimiters: "|" and "·" (byte 0xB7) with the options "ConDelimitadorStd"
// or "SinDialogo", else the company parameters CaracterSeparadorASCII and
// CaracterSeparadorCRLF (the standard ones where those are empty).
//
// Options (words of the text): "SinDialogo" (no file dialog, no question,
// the default name), "ConDelimitadorStd", "ConFormatoCampos" (header lines
// without asking), "SinFormatoCampos" (no header lines, no question),
// "Nuevo" (import without header and with a detail dataset: the main key
// pieces are not stored and the detail lines store only the fields after
// the key).

#include <QString>
#include <QStringList>

class TDataSet;
class TModuloDatos;

// The warning for `Valores` values a text file in Windows-1252 could not hold
// whole and holds with "?" instead.
QString AvisoValoresConInterrogacion(int Valores);
// ". Clave: A = «1», B = «2»": the current record's values of the fields
// named (empty when none is a field of the dataset), after the reason of a
// record refused for its key.
QString TextoClave(TDataSet* Datos, const QStringList& Campos);

// True when the file was written.
bool ExportarASCII(TModuloDatos* ModuloDatos, TDataSet* Tabla, TDataSet* Detalle,
                   const QString& ArchivoDefecto, const QString& Opciones);
// Inserts one record per line (into Detalle for detail lines); records that
// cannot be stored, and lines whose number of pieces differs from the header
// of their kind, are collected as incidents and offered to the user at the
// end. Archivo receives the file read ("" when none was). The main dataset's
// filtering is on afterwards.
void ImportarASCII(TModuloDatos* ModuloDatos, TDataSet* Tabla, TDataSet* Detalle,
                   const QString& ArchivoDefecto, const QString& Opciones, QString& Archivo);

// Every field whose Tag is not 999, in field order from column A, with a
// bold title row of the field names in words; without a detail dataset the
// records from the third row, floats as numbers and widths by type; with
// one, per main record its title and row and then the detail's titles and
// rows. A name given as ".XLS" is saved as ".xlsx". True when saved.
bool ExportarExcel(TModuloDatos* ModuloDatos, TDataSet* Tabla, TDataSet* Detalle,
                   const QString& ArchivoDefecto, const QString& Opciones);
