#pragma once
// The text editor of the generic dialogs (a free text edited in a memo and
// handed back) and the remembered placement that the generic dialogs share:
// each dialog keeps the position and size of its last closed window for the
// rest of the session.

#include <QList>
#include <QString>

#include "ui/form.h"

class QBoxLayout;
class TButton;
class TMemo;
class TPanel;
class TSpeedButton;
class TfGENEINIC;

// A dialog's remembered placement; 0 means "not set".
struct TGeometriaDialogo {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};
// "Formato": left, top, width and height separated by ","; an item that is
// not an integer leaves its value as it was.
void LeerFormatoDialogo(const QString& Formato, TGeometriaDialogo& Geometria);
// At creation: a saved Left or Top places the window there, otherwise it is
// centred (Centrado: on the screen or on the main window); a saved Width and
// a saved Height are applied when not 0.
void AplicarGeometriaDialogo(TForm* Dialogo, const TGeometriaDialogo& Geometria,
                             TPosition Centrado = poScreenCenter);
// At closing.
void RecordarGeometriaDialogo(const TForm* Dialogo, TGeometriaDialogo& Geometria);

// Building blocks of the generic dialogs' windows. A button with its caption,
// hint and modal result (Cancelar: Esc clicks it); a panel whose controls sit
// centred, 2 pixels apart; the form's key events passed to the session's
// common key handlers.
TButton* CrearBotonDialogo(QWidget* Padre, const QString& Nombre, const QString& Titulo,
                           const QString& Hint, int ModalResult, bool Cancelar = false);
TPanel* CrearPanelCentrado(QWidget* Padre, const QString& Nombre, const QList<QWidget*>& Controles);
// A tool-bar button of Padre with its caption and hint, added to Barra.
TSpeedButton* CrearBotonBarra(QWidget* Padre, QBoxLayout* Barra, const QString& Nombre,
                              const QString& Titulo, const QString& Hint);
void TeclasComunesDialogo(TForm* Dialogo);

class TfGENETEXT : public TForm {
    Q_OBJECT
public:
    explicit TfGENETEXT(QWidget* owner = nullptr);

    TPanel* P1;
    TMemo* Memo1;
    TPanel* PanelControl;
    TPanel* Panel1;
    TButton* pbAceptar;
    TButton* pbCancelar;
};

// The placement of the next text editor (all 0 at start).
extern TGeometriaDialogo GeometriaEditorTextos;

// Opciones: "Titulo" (caption) and "Formato" (left, top, width, height; left
// and top both 0 centre the window, a width or height of 0 keeps the design
// size). Resultado: the edited text on "&Aceptar", Texto otherwise.
void EditarTexto(TfGENEINIC* f, const QString& Opciones, const QString& Texto, QString& Resultado);
