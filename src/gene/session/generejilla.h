#pragma once
// Windows of the main window and their data controls: a child window exists
// once per form name (AbrirFormulario brings it forward or creates it by its
// registered class), grid columns defined from a text and fitted to the
// grid's width, the field under a data control emptied, the key of a menu
// option, and the answers the list-value check needs from grids and combos.

#include <QString>

class QObject;
class TDBGrid;
class TDBLookupComboBox;
class TField;
class TForm;
class TMainMenu;
class TModuloDatos;

// Brings forward the main window's child whose name, up to its first "_",
// is NombreFormulario (the last such child): restored when minimised or
// maximised ("Restore"), else shown ("Show"). Without one, or with a Modo
// containing "Create" (which closes the open one through its ordinary
// close), a new form of the registered class Clase is created ("Create");
// an open one that is busy (TForm::Busy) is brought forward instead.
// The usage log gets the action. A class nobody registered yet opens
// nothing (Formulario becomes nullptr). Errors of the form's own creation
// reach the caller.
void AbrirFormulario(TModuloDatos* ModuloDatos, const QString& Clase, TForm*& Formulario,
                     const QString& Modo, const QString& NombreFormulario);
template <class F>
void AbrirFormulario(TModuloDatos* ModuloDatos, const QString& Clase, F*& Formulario,
                     const QString& Modo, const QString& NombreFormulario) {
    TForm* forma = Formulario;
    AbrirFormulario(ModuloDatos, Clase, forma, Modo, NombreFormulario);
    Formulario = dynamic_cast<F*>(forma);
}
// A child of the main window has exactly that name.
bool FormularioAbierto(TModuloDatos* ModuloDatos, const QString& Nombre);
// The open child of that exact name, or nullptr.
TForm* BuscarFormularioAbierto(const QString& Nombre);

// Fits the visible columns to the grid's width in proportion to their
// fields' standard widths; Opciones "ColumnaInicial:n" keeps the columns
// before n as they are.
void AjustarColumnasRejilla(TModuloDatos* ModuloDatos, TDBGrid* Rejilla, const QString& Opciones);
void AjustarRejilla(TModuloDatos* ModuloDatos, TDBGrid* Rejilla);
// Adds a column per line "Title,Field,Width" (title translated), then hides
// every column whose field the user may not see. A width that is not a
// number raises EConvertError; the columns added before it stay.
void DefinirColumnasRejilla(TModuloDatos* ModuloDatos, const QString& Definicion, TDBGrid* Rejilla);
// The width the visible columns need (+1 each, +12 for the indicator).
int AnchoRejilla(TModuloDatos* ModuloDatos, TDBGrid* Rejilla);
// The first column of that field (exact name) becomes invisible.
void OcultarColumnaRejilla(const QString& NombreCampo, TDBGrid* Rejilla);

// Empties the data under a control: the field of a check box, combo box or
// image, the key of a lookup combo, an image's picture, the key field of a
// grid's lookup column (grid failures ignored).
void BorrarCampoControl(TModuloDatos* ModuloDatos, QObject* Control);
void BorrarCampoLookup(TModuloDatos* ModuloDatos, TDBLookupComboBox* Combo);
// 0 for numbers and dates (the empty date, not NULL), "" for texts, blobs
// cleared; the dataset goes into edit and the record is not posted.
void BorrarCampo(TModuloDatos* ModuloDatos, TField* Campo);
// A date-time field whose name contains "Hora" in any case.
bool EsCampoHora(TModuloDatos* ModuloDatos, const TField* Campo);

// The option key of a menu item: the captions below the top-level entry
// down to the item joined by blanks ("&" kept); a top-level entry's caption;
// "" for anything that is not a menu item.
void ClaveOpcionMenu(TModuloDatos* ModuloDatos, QObject* Componente, QString& Clave);
