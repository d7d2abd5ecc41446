#pragma once
// A stored custom report exchanged as a text file, and the stored reports
// copied to other companies.
//
// The file holds the row as Name=Value lines (NombreTabla, Descripcion,
// Filtro, Instrucciones), each line break inside a value written as "·". It
// is written in Windows-1252, the encoding of the programs that share these
// files, or in UTF-8 with a byte-order mark when a character does not fit;
// it is read as UTF-8 when it has that mark and as Windows-1252 otherwise.

#include <QString>

class TTable;

// The refusal shown for a file that holds no complete custom report.
extern const QString kArchivoSinInforme;

// False, with the refusal shown, when the stored report is missing or its
// SQL or design holds "·" itself, which the file could not tell from a line
// break.
bool InformeExportable(const QString& Nombre);
// Writes the stored row of the report to the file. False, with the message
// shown, when the report is not exportable or the file cannot be written.
bool ExportarInforme(const QString& Nombre, const QString& Archivo);

// A report as read from an exchange file, its design with its line breaks
// back (its SQL is generated again where it is inserted).
struct InformeIntercambio {
    QString Descripcion, Instrucciones;
};
// Reads and checks an exchange file. A file that is missing, empty, cut
// short or that holds no custom report (a saved query's row, other text)
// gives false and shows kArchivoSinInforme.
bool LeerArchivoInforme(const QString& Archivo, InformeIntercambio& Informe);
// Inserts the report as a new row named Nombre, its SQL generated from its
// design for the engine in use (the file may come from another engine). A
// name already stored, or any refused insert, writes nothing and shows
// "¡No ha sido posible grabar el registro!. Motivo: " and the reason.
bool InsertarInformeImportado(const QString& Nombre, const InformeIntercambio& Informe);

// Opens a FILTRO table on the company database limited to the custom
// reports: the rows a copy to other companies takes (saved queries and
// filters of the same names there stay as they are). False when it cannot be
// opened.
bool AbrirTablaInformes(TTable* Tabla);
