#pragma once
// The services every form receives from the session form: the common key
// handling, display formats, administrator mode and hidden controls, the
// menus of saved queries and reports, search-table binding of plain edits,
// memo cells of grids, and the look, translation and layout of forms.
// The preparation that installs them is in geneinic_formulario.h.

#include <QString>
#include <QStringList>

#include "gene/session/geneinic_formulario.h"

class QChar;
class QIcon;
class QObject;
class QPainter;
class QRect;
class TDBGrid;
class TDataSet;
class TForm;
class TMainMenu;
class TStatusBar;
class TfGENEINIC;

// ---- Keyboard (every form forwards its key-down and key-press events).

// Virtual-key code of the last key-down (VK_DECIMAL: the keypad's point).
extern int UltimaTeclaPulsada;
// The keys typed: plain keys (codes 40..122 without modifiers) as their
// characters, every other key as "|" (runs of "|" collapsed); emptied past
// 10000 characters. Ctrl+T in a grid takes its code from it.
extern QString TeclasPulsadas;
// The user's setting "DesactivarPuntoPorComaDecimal" is "SI" (read at form
// preparation once the data module is ready): the keypad's point stays ".".
extern bool DesactivarPuntoPorComaDecimal;

// The common key-down handling: Enter as Tab outside memos, Ctrl+F5 toggles
// "Agregar" with duplication, F2 searches or opens the calculator, Ctrl+G/H
// fit or reset a grid's columns, Ctrl+I empties the field under the control,
// Ctrl+T inserts a predefined text, F3 focuses the confirm button, F8 (in
// administrator mode) hides the control under the mouse, Esc sets
// ListadoCancelado, and the record viewers and copy/paste of records. Rows
// match with exact modifiers (Ctrl means Ctrl alone); its own failures are
// swallowed except where a row names a message.
void TeclaPulsadaFormulario(TfGENEINIC* f, TForm* Formulario, int& Key, int Shift);
// The common key-press handling: Enter moves to the next control (Tab in
// grids, a line break in memos); the keypad's "." becomes "," (":" in a
// time-of-day field) unless DesactivarPuntoPorComaDecimal.
void TeclaPresionadaFormulario(TfGENEINIC* f, TForm* Formulario, QChar& Key);

// The record viewers the keys open (the field list, the user-defined fields,
// the access history) belong to the generic viewers, which set these when
// they are built; unset, the keys do nothing.
using TGanchoVisorRegistro = void (*)(TfGENEINIC* f, TDataSet* DataSet);
extern TGanchoVisorRegistro GanchoVisorCampos;
extern TGanchoVisorRegistro GanchoVisorCamposUsuario;
extern TGanchoVisorRegistro GanchoHistorialAccesosRegistro;

// ---- Display formats, administrator mode, hidden controls.

// The display format of one component by its field name: "#,###.##" amounts
// by FormatoCampoImporte, time-of-day fields as "HH:MM:SS" with the time
// handlers, other date-times with the empty-date handler.
void AplicarFormatoCampo(TfGENEINIC* f, QObject* Componente);
// The amount template of a field name (case-insensitive, first hit wins):
// "Precio" template 2, "Importe" template 3, the keywords of templates 1..5,
// "Total" template 3; otherwise PlantillaNumericaStd.
void FormatoCampoImporte(TfGENEINIC* f, const QString& NombreCampo, QString& Formato);
// Administrator mode: the main window's caption shows the hint of the
// control under the mouse; every control's hint is form name + "." + name.
void MostrarHintEnTitulo(TfGENEINIC* f, const QString& Hint);
void IdentificarControlesEnHint(TfGENEINIC* f, QObject* Formulario);
// Hides every data control and grid column bound to a field the user may
// not see (CampoNoVisible), and disables the report texts whose field,
// expression or name is such a field, so that they do not print.
void OcultarCamposNoVisibles(TfGENEINIC* f, QObject* Formulario);
// Hides the controls and grid columns of the user's ControlesNoVisibles.
void OcultarControlesNoVisibles(TfGENEINIC* f, QObject* Formulario);
// Hidden controls (unless administrator mode), then the translation.
void FinalizarPreparacionFormulario(TfGENEINIC* f, QObject* Formulario);
// At exit: "Close" usage-log lines, and in administrator mode the hidden
// list shown and appended to the users the administrator names.
void FinalizarSesion(TfGENEINIC* f);
// Before a company change: the data modules and the business windows are
// freed (windows named "fGE..." stay, except the query and report windows).
// False, with nothing freed, while a window is busy or when one refuses to
// close (its unconfirmed records are asked about first, as at exit).
bool CerrarFormulariosEmpresa(TfGENEINIC* f);
// F8 in administrator mode: adds the control named by the first word of the
// main window's caption (a whole grid or one of its columns) to the list.
void AgregarControlNoVisible(TfGENEINIC* f, TForm* Formulario);

// ---- Menus of saved queries and reports; search binding; memo cells.

// Rebuilds the items of Tag 100 under "Adicional" (saved queries) and
// "Informes" (the configuration item and the saved report definitions).
void ConfigurarMenusConsultas(TfGENEINIC* f, const QString& Usuario, const QString& Aplicacion,
                              TMainMenu* Menu);
// A saved query or report was written or deleted: the main window lists them
// again at once.
void MenusConsultasModificados();
// Click of a saved query or report item: the window of that name opens anew.
void AbrirConsultaMenu(TfGENEINIC* f, QObject* Sender);
// The report definition the report runner (TfGENEUINF) runs; set before it
// is created.
extern QString InformeUsuarioAEjecutar;
// The selection list of the generic dialogs (Opciones: "Titulo=", "Formato=",
// "Opciones=" lines; Seleccion: the chosen lines), set by its unit; unset,
// nothing is chosen.
using TSeleccionarDeLista = void (*)(TfGENEINIC* f, const QString& Opciones,
                                     const QString& Elementos, QString& Seleccion);
extern TSeleccionarDeLista GanchoSeleccionarDeLista;
// Click of "Configuración de Informes Personalizados" (administrators only).
void AbrirConfiguracionInformes(TfGENEINIC* f, QObject* Sender);
// Double-click or F2 on a plain edit: the search window of its bound table
// (offering to bind one from the dictionary when there is none) fills it.
void AsociarTablaBusqueda(TfGENEINIC* f, QObject* Edit);
// After a grid draws a cell: a memo column shows a red " -->" when the memo
// has text, " ..." otherwise.
void DibujarCeldaMemo(TfGENEINIC* f, TDBGrid* Grid, QPainter* Canvas, const QRect& Rect,
                      int DataCol);
// Remembers the form for the on-screen keypad, which this program never
// shows (TecladoNumericoEnPantalla stays "NO").
void ActivarTecladoNumerico(TfGENEINIC* f, TForm* Formulario, const QString& Opciones);
extern QString TecladoNumericoEnPantalla;

// ---- Look, translation and layout.

// The look of AspectoAplicacion: the application font for "MS Sans Serif"
// fonts of size 8 or 9, the look's background colours for button-face
// colours, own-drawn tabs and status panels ("evo" looks).
void AplicarAspecto(TfGENEINIC* f, QObject* Formulario);
// Captions, hints, report titles, grid column titles, first-row cells of
// string grids, list-view column captions into Idioma (empty: IdiomaActual;
// nothing without a language).
void TraducirFormulario(TfGENEINIC* f, QObject* Componente, const QString& Idioma);
// The string property of that name of every component the owner holds.
void TraducirPropiedad(TfGENEINIC* f, QObject* Propietario, const QString& Propiedad);
// While a language is set, list-only combo boxes show their items translated
// (TextoElementoTraducido); editable combos keep their text part, and list
// boxes, never drawn by the program, show their items as stored.
void PrepararElementosTraducidos(TfGENEINIC* f, QObject* Formulario);
// The item text of a combo or list box as shown while a language is set:
// each ";"-separated part translated (the stored item stays as it is).
QString TextoElementoTraducido(TfGENEINIC* f, const QString& Texto);
// Clears the status bar and shows the translated Texto; "|" separates
// panels. Contexto holds Name=Value lines replacing "$"-prefixed names.
void MensajeBarraEstado(TfGENEINIC* f, TStatusBar* Barra, const QString& Texto,
                        const QString& Contexto);
// The session's two glyphs of the electronic-documents button: a record that
// has documents, a record that has none.
QIcon GlifoConDocumentacion();
QIcon GlifoSinDocumentacion();
// Every button of the form (TBitBtn, TSpeedButton) that shows neither a
// glyph nor a caption gets the glyph its name or hint asks for (print, print
// with a dialog, calendar, evaluations, history, documents, search, fit); one that
// asks for none shows its hint as caption. Buttons that have either keep it.
// Every form gets this once, before it is first shown.
void AsignarGlifosBotones(TfGENEINIC* f, QObject* Formulario);
// Modo "Design": 20 pixels lower for a form with a menu; "Fit": fills the
// main window's area; otherwise 969 x 609 on a main window of at least
// 1024 x 768, else 760 x 520.
void AjustarTamanoFormulario(TfGENEINIC* f, TForm* Formulario, const QString& Modo);
