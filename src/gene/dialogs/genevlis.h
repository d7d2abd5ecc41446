#pragma once
// The field-list viewer: label/value pairs in a two-column grid, for three
// callers: the read-only view of the current record (VisorCampos, Ctrl+Z),
// the entry of the record's user-defined fields (genevcus.h) and small forms
// of typed values (VisorAgregarDatos). The window stores nothing itself: the
// caller fills it, shows it and reads column 1 back on "&Grabar".
//
// Memo values travel with their line breaks as "·" (code 183); the memo list
// joins a label and its text with the character of code 255.

#include <QString>
#include <QStringList>

#include "gene/dialogs/genevtex.h"
#include "ui/form.h"

class TButton;
class TDataSet;
class TPanel;
class TSpeedButton;
class TStringGrid;
class TfGENEINIC;

// The mode the next viewer opens in: "VisorCampos" (read-only),
// "VisorCamposUsuario" or "VisorAgregarDatos" (editable).
extern QString ModoVisorLista;
// The placement of the next viewer (Left, Top, Height of the last closed one
// and its width at creation).
extern TGeometriaDialogo GeometriaVisorCampos;

// The character that stands for a line break inside a one-line value, and
// the one that joins a memo's label and text in the memo list.
inline constexpr QChar kSaltoLineaValor = QChar(0x00B7);
inline constexpr QChar kSeparadorMemo = QChar(0x00FF);
// Line breaks (CR LF, or a lone LF or CR) as "·" and back as CR LF; as blanks
// in a cell that shows a memo on one line.
QString SaltosAPunto(const QString& Texto);
QString SaltosABlancos(const QString& Texto);
QString PuntosASaltos(const QString& Texto);
// The memo list's line of a field.
QString LineaMemoVisor(const QString& Etiqueta, const QString& Texto);

class TfGENEVLIS : public TForm {
    Q_OBJECT
public:
    explicit TfGENEVLIS(QWidget* owner = nullptr);

    TPanel* PanelGrid;
    TStringGrid* StringGrid;
    TSpeedButton* pbAutoajustar;
    TPanel* PanelControl;
    TButton* pbGrabar;
    TButton* pbCancelar;

    // Filled by the caller before ShowModal.
    QString TextosMemoVisor;
    QString OpcionesVisor;
    // Lookup entries "Target>Label>Values>Flags": a table whose keys the
    // value must be (unless Flags hold "NoValidar"), or "?" + label with the
    // allowed values separated by "/".
    QStringList AtributosVisor;

    // Rows 1.. with a label and a value each (row 0: "Campo", "Valor").
    void PrepararRejilla(int Filas);
    void AsignarFila(int Fila, const QString& Etiqueta, const QString& Valor);

    // The height the window must not exceed: one grid row per line, plus the
    // button panel when editable, cut to twenty rows when taller than the main
    // window less 100 pixels.
    int AlturaIdeal() const;
    // Column 0 as wide as its widest label (as painted) + 8; the window grows alike.
    void pbAutoajustarClick();
    // Double click or F2 on the current row: the search table, the allowed
    // values or the memo editor of its label.
    void StringGridDblClick();
    // "&Grabar": the window closes with OK only when the values pass.
    void pbGrabarClick();
    bool ValidarDatos();
    // The label as the grid shows it.
    QString TextoEtiqueta(const QString& Etiqueta) const;

private:
    void FormShow();
    // The viewer's own closing keys; true when Key was one.
    bool FormKeyDown(int& Key, int Mods);
    QStringList entradaAtributos(const QString& Etiqueta) const;
    void editarMemo(int Fila);
    int alturaExtra_ = 0;
    int alturaIdeal_ = 0;
    int xRaton_ = 0;
    QStringList valoresIniciales_;  // column 1 as the caller filled it
};

// The fields of the current record that the user may see, read-only.
void VisorCampos(TfGENEINIC* f, TDataSet* DataSet);
// Opciones: "Titulo", "Opciones" (option words for the viewer, such as
// "RespetarNombresCampos") and "DefinicionCampos" (";"-separated items of
// comma-separated parts: 0 label, 1 type name, 4 search table, 5 allowed
// values separated by "/", 6 flags such as "NoValidar"). Valores: the
// initial values, one per line in item order. On "&Grabar" Resultado holds
// label + "=" + value + CR LF per row; otherwise it stays empty.
void VisorAgregarDatos(TfGENEINIC* f, const QString& Opciones, const QString& Valores,
                       QString& Resultado);

// Registers the generic viewers and editors by class name and gives the
// services that open them (record viewers, selection list, calculator, list
// editor, data entry) their routines. Idempotent; the program entry runs it.
void InstalarVisoresGenericos();
