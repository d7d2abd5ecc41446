#pragma once
// The session form and the world outside the program: the sibling programs
// of the installation (internal messaging, special applications, the mail and
// print utility), the visual-style manifest (none on Linux), help pages by
// context number, the what-is-new entry, HTML shown in a browser control, the
// file and folder picker and a few identity utilities.
//
// Sibling programs start through the command configured for them in the
// settings file, section "Programas", key the program's Windows name:
//     [Programas]
//     DORNAFEL.EXE=/opt/rrhh/bin/aplicaciones-especiales
// Without one, the program's name is looked for in the program's folder as
// the system did, and its absence is reported as the system reports it.

#include <QDate>
#include <QString>
#include <QStringList>

class QObject;
class TfGENEINIC;

// The command configured for a sibling program ("" when none).
QString ComandoProgramaHermano(const QString& Programa);
// The command line that starts a sibling program: the configured command or
// else the program's own name, a blank and the arguments.
QString LineaProgramaHermano(const QString& Programa, const QString& Argumentos);
// Starts a sibling program without waiting and without reporting failures
// (the shell's "open" whose result nobody reads). False when it did not start.
bool IniciarProgramaHermano(const QString& Programa, const QStringList& Argumentos);

// " L=" parameter file, " U=" user, " I=" settings file, " T=" language, each
// with its leading blank, empty values kept.
void ParametrosSesion(QString& Texto);

// The look's manifest: on Linux no manifest exists and the program never
// restarts for a look; false (nothing changed).
bool ConfigurarManifiesto(TfGENEINIC* f, const QString& Aspecto);

// Prints a Word ("DOC") or PDF document through the mail and print utility
// QEVLEXT.EXE with a request file ("PathDocumento=", "NombreImpresora=") in
// the temporary folder, waiting for it; both files are removed afterwards.
// An installation without the utility prints it through LibreOffice (a
// document as its PDF) and CUPS on that printer ("", "Ninguna" and
// "Predeterminada": the default one), with a warning when it cannot.
void ImprimirDocumentoExterno(TfGENEINIC* f, const QString& Documento, const QString& Impresora,
                              const QString& Tipo);
// The request file's lines.
QString TextoPeticionImpresion(const QString& Documento, const QString& Impresora);

// The help page of a context number: the help map's name for it ("_" for the
// blanks) + ".html" in the folder "help" of the program's folder.
QString PaginaAyuda(int Contexto);
// Shows the page of the context in the help window. A missing page is
// reported ("¡No existe el archivo de ayuda!") and the window still opens.
bool MostrarAyuda(TfGENEINIC* f, int Contexto);
// The help context of a topic name (a window caption); 0 when the map has
// none or it is not a number.
int ContextoAyuda(const QString& Nombre);
// The name before "=" of the first map line whose number is Codigo; "" else.
void NombreAplicacion(TfGENEINIC* f, int Codigo, QString& Nombre);

// The what-is-new entry: "Está opción estará disponible en próximas versiones."
void ListaNovedades(TfGENEINIC* f, const QString& Opciones);

// Saves the HTML into a unique file of the temporary folder and shows it in
// the browser control (a QTextBrowser); VaciarNavegador shows an empty page.
void MostrarHTML(TfGENEINIC* f, const QString& Html, QObject* Navegador);
void VaciarNavegador(TfGENEINIC* f, QObject* Navegador);

// The file and folder picker titled Titulo, starting at Ruta: folders with
// "Carpetas" in the options, files with "Archivos". True with Ruta set to the
// chosen item; false when cancelled. Under the message test seam the next
// scripted answer is the choice (a cancel answer cancels).
bool SeleccionarArchivo(TfGENEINIC* f, const QString& Titulo, QString& Ruta,
                        const QString& Opciones);

// Frees the on-screen keypad window, when one exists.
void CerrarTecladoNumerico(TfGENEINIC* f);

// The universal name of a path: no network provider maps drives here, so the
// path comes back as given.
void NombreUniversal(const QString& Ruta, QString& Resultado);
// 1 for Monday to 7 for Sunday.
int DiaSemana(const QDate& Fecha);
