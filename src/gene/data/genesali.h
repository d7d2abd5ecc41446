#pragma once
// Where a listing goes and how the user is kept informed meanwhile: a
// report printed on a printer (chosen in the print dialog or by name) or
// written as a PDF file, the progress window, the title every report header
// prints, the chart window and the incident hook of the data module.
//
// Every print path tells the report's end: the report's AfterPrint runs once
// per call also when nothing could be printed (no printer, dialog cancelled),
// so that a preview waiting for the end of its print can always close.

#include <QString>
#include <QStringList>
#include <exception>
#include <functional>

class QPrinter;
class QVariant;
class TModuloDatos;
class TQuickRep;

// A company parameter (field of PARAGENE) as text; "" when the parameters are
// not open or have no such field.
QString ParametroGeneral(TModuloDatos* ModuloDatos, const QString& Campo);

// Destino "PDF:" + path writes the report's pages (made now when it holds
// none) as a PDF file at that path (up to a second "PDF:"); any other
// non-empty text prints on the first installed printer whose name contains
// it (letter case counts); an empty text prints at once when the company
// parameter SolicitarDialogoImpresora is "NO", else after the print dialog.
// False when nothing was written or printed: no page, a PDF that could not
// be written (after the warning), no such printer, a cancelled dialog, a
// printer that failed.
bool ImprimirInforme(TModuloDatos* ModuloDatos, TQuickRep* Informe, const QString& Destino);
// The print dialog; on confirmation the report's printer settings take the
// printer, copies and page range chosen.
bool DialogoImpresora(TModuloDatos* ModuloDatos, TQuickRep* Informe);

// The progress window (see ActualizarVentanaProgreso in geneprog.h); Extra
// is not used.
void VentanaProgreso(TModuloDatos* ModuloDatos, const QString& Modo, const QString& Titulo,
                     const QString& Extra, const QString& Texto);
// The title of every report header: the current company's name.
void TituloEmpresaListados(TModuloDatos* ModuloDatos, QString& Titulo);
// Shows the chart window modally for the chart options and series texts.
void MostrarGrafico(TModuloDatos* ModuloDatos, const QString& Parametros, const QString& Series);
// The chart window's unit sets this; unset, MostrarGrafico shows nothing.
using TGanchoMostrarGrafico = void (*)(const QString& Parametros, const QString& Series);
extern TGanchoMostrarGrafico GanchoMostrarGrafico;
// Incidents handed to the data module: recorded nowhere yet; never raises.
void CapturarIncidencia(TModuloDatos* ModuloDatos, const QString& Texto1, const QString& Texto2,
                        const QVariant& Extra);

// The text of an error for a message: a database or file error's message,
// any other exception's text.
QString TextoExcepcion(std::exception_ptr Error);

// ---- The PDF writer and the printers.

// The paper of a report as the PDF writer takes it: "A4", "A5" or "A3"
// (every other size gives "A4"), with "-Apaisado" for landscape.
QString PapelPDF(const TQuickRep* Informe);
// Writes the PDF file named before the "|" of Archivos from the page files
// whose names are the prefix after it followed by 1, 2, ... (pictures the
// report engine drew), on Papel. Returns the error text; "" on success.
QString CrearPDF(const QString& Archivos, const QString& Papel);

// The installed printers, in the system's order.
QStringList ImpresorasInstaladas();
// Points the printer at the installed printer of that name, letter case
// ignored (empty: the default one); false when there is no such printer or it
// cannot print.
bool PrepararImpresora(QPrinter& Impresora, const QString& Nombre);
// Tests replace the printers: the list, and what pointing a printer at a
// name does. Empty functions restore the system's.
void AsignarSeamImpresoras(std::function<QStringList()> Nombres,
                           std::function<bool(QPrinter&, const QString&)> Preparar);

// A fresh run of the report printed on that printer, with the copies and
// page range of its printer settings. A printer that prints into a file
// (TPrinterFile) leaves it whole or warns.
bool ImprimirInformeEn(TQuickRep* Informe, QPrinter& Impresora);
// The warning of a file the user chose that could not be written.
void AvisarArchivoNoGrabado(const QString& Archivo, const QString& Motivo);
// The file a printer printed into put in place (TPrinterFile::Commit);
// false after the warning.
bool ArchivoImpresoGrabado(class TPrinterFile& Archivo);
// Prints the pages a report holds (its last run, as previewed) from page
// Desde to Hasta (0: the first / the last) on the report's printer (the
// default one unless its settings name another). False
// when there is none or the print failed. The report's AfterPrint tells the end.
bool ImprimirPaginasInforme(TQuickRep* Informe, int Desde, int Hasta);
