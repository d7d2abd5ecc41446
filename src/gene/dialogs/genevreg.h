#pragma once
// The name=value record editor: a setting stored as Name=Value lines in one
// memo is edited against a template whose names, in their order, are the
// rows; values are typed, picked from a list, or entered through a button (a
// lower and upper range, or analysis-group ranges).

#include <QString>
#include <QStringList>

#include "gene/dialogs/genevtex.h"
#include "ui/form.h"

class TButton;
class TPanel;
class TValueListEditor;
class TModuloDatos;

class TfGENERINI : public TForm {
    Q_OBJECT
public:
    explicit TfGENERINI(QWidget* owner = nullptr);

    TPanel* PanelGrid;
    TValueListEditor* StringGrid;
    TPanel* PanelControl;
    TButton* pbAceptar;
    TButton* pbCancelar;

    // Name=Style lines: a style without "ELLIPSIS" is a pick list of
    // ","-separated items; "ELLIPSIS_RANGO" a range "lower...upper";
    // "ELLIPSIS_GA:entity" analysis-group ranges (line breaks as "·").
    QStringList EstilosEdicion;

    // The rows, in order; the name column as wide as the widest name + 10.
    void CargarLineas(const QStringList& Lineas);
    QStringList Lineas() const;
    QString EstiloFila(int Fila) const;
    QStringList ListaValoresFila(int Fila) const;
    bool TieneBoton(int Fila) const;
    // The button of the current row's value.
    void StringGridEditButtonClick();
    int AlturaIdeal() const;

private:
    void FormShow();
    int alturaExtra_ = 0;
};

extern TGeometriaDialogo GeometriaEditorRegistro;

// The template's lines with the stored values put in: a stored value wins,
// also when empty; names the template lacks are dropped; template order.
QStringList CombinarLineasINI(const QString& Plantilla, const QString& Actual);

// Shows the editor (Titulo empty: "Editor de Registro INI"; TitulosColumnas
// "Campo;Valor"; Opciones "Formato=left,top,width,height"). Resultado:
// Name=Value lines each ended by CR LF, the edited ones on "&Aceptar", the
// merged ones otherwise. True when the user accepted.
bool EditorRegistroINI(TModuloDatos* ModuloDatos, const QString& Plantilla, const QString& Actual,
                       const QString& Titulo, const QString& TitulosColumnas,
                       const QString& EstilosEdicion, const QString& Opciones, QString& Resultado);

// The value of Nombre in a Name=Value text file; Defecto when the file cannot
// be read or the value is empty.
void LeerParametro(TModuloDatos* ModuloDatos, const QString& Archivo, const QString& Nombre,
                   QString& Valor, const QString& Defecto);
