#pragma once
// The selection list: the user picks one or several lines of a list. Lines
// marked with "*" start selected; leaving without "&Aceptar" gives back the
// marked lines.

#include <QString>
#include <QStringList>

#include "gene/dialogs/genevtex.h"
#include "ui/form.h"

class TButton;
class TListBox;
class TMainMenu;
class TMenuItem;
class TPanel;
class TfGENEINIC;

class TfGENESELE : public TForm {
    Q_OBJECT
public:
    explicit TfGENESELE(QWidget* owner = nullptr);

    TPanel* P1;
    TListBox* ListBox1;
    TPanel* PanelControl;
    TPanel* Panel1;
    TButton* pbAceptar;
    TButton* pbCancelar;
    TMainMenu* MainMenu1;
    TMenuItem* Opciones;
    TMenuItem* SeleccionarTodo;
    TMenuItem* DeseleccionarTodo;
    TMenuItem* Invertirleleccion;
    TMenuItem* RestaurarSeleccionInicial;

    // The selection when the window was shown: each selected index in
    // decimal between single quotes ("'1''12'").
    QString SeleccionInicial;

    // Loads the items (sorted when asked), the "*" lines selected without
    // their first "*".
    void Cargar(const QString& Elementos, bool Ordenada);
    bool Multiple() const;
    void setMultiple(bool Multiple);
    // The selected lines in list order joined by CR LF.
    QString TextoSeleccion() const;
    void RegistrarSeleccionInicial();

    void SeleccionarTodoClick();
    void DeseleccionarTodoClick();
    void InvertirleleccionClick();
    void RestaurarSeleccionInicialClick();

private:
    // Selects exactly the rows given (in single mode only the last of them).
    void seleccionar(const QList<int>& filas);
};

// The placement of the next selection list (all 0 at start).
extern TGeometriaDialogo GeometriaSeleccion;

// Opciones: "Titulo", "Modo" ("Multiple" allows several lines), "Opciones"
// ("Ordenada" sorts) and "Formato" (left, top, width, height).
void SeleccionarDeLista(TfGENEINIC* f, const QString& Opciones, const QString& Elementos,
                        QString& Seleccion);
