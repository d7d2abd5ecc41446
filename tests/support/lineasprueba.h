#pragma once
// A line of a grid acted on as the user does, in a shown window: the grid's
// page brought up, a click on the line's cell, then the action; the record
// confirmed afterwards with the window's "pbConforme". And the table of
// cases that drives it over a window's line grids.

#include <QList>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <memory>

struct EmpresaPrueba;
class QWidget;
class TFichaPersona;
class TDBGrid;
class TForm;

// Fila: the grid's row (0 the first line); Campo: the field of the column
// clicked. Accion: "borrar", Ctrl+Supr answered "SI"; "teclear", Valor typed
// into the cell and Intro; "buscar", a double click on the cell and Valor
// searched for and taken in the search window. PorTeclado: the line is
// current already (reached with the keys), the cell is reached with Tab and
// F2 searches; no click. Every key goes to the control with the focus.
void ActuarSobreLinea(TForm* Ventana, TDBGrid* Rejilla, int Fila, const QString& Campo,
                      const QString& Accion, const QString& Valor, bool PorTeclado = false);

// A click on the first column of the grid's line Fila and Enter through its
// columns until the next line is current (a new one after the last), the
// focus in the grid after each.
void CruzarLineaConIntro(TDBGrid* Rejilla, int Fila);

// A grid of two lines or more (its page brought up) gone through with the
// keys, the focus in the grid after each: Enter through the first line
// onto the second, Shift+Tab back onto the first's last column, Enter
// through the last line onto a new one, Up, which drops it. Nothing stored
// changes.
void RecorrerRejillaConTeclas(TDBGrid* Rejilla);

// The record of a window brought to a moment: "abierta", as opened;
// "grabada", a letter typed at the end of the edit Nombre and the record
// confirmed; "movida", "pbSiguiente" then "pbAnterior" clicked.
void LlevarRegistroA(TForm* Ventana, QWidget* Nombre, const QString& Momento);

// An empty line left pending after the grid's line Fila, as the user leaves
// one: "Intro", a click on the line and Enter through its columns until a
// new line begins after it; "Abajo", a click on the line and Down.
void DejarLineaPendiente(TDBGrid* Rejilla, int Fila, const QString& Tecla);

// The clerk on the grid's line Actual (clicked) clicks line Fila, which
// another clerk deleted meanwhile (Borrado, run in another session): he is
// told it is gone, line Actual stays current and is drawn so; then
// Ctrl+Supr, answered "SI", to the control with the focus.
void ClicEnLineaBorradaEntretanto(TDBGrid* Rejilla, int Actual, int Fila, const QString& Borrado);
// A new line nobody typed into, in a shown window: a click on the grid's
// third line, Down (a new line after it, with the person's code and its
// defaults), its second column (a position's or training's code) reached
// and left with Tab; then the window closed
// answering the close question with its default (Cierre), or a click on
// the first line's fourth column. Consulta, as another user reads it, gives
// Filas before and after: no line stored, and no message but the question.
// The window is closed at the end.
void CasoLineaSinTeclear(TForm* Ventana, TDBGrid* Rejilla, const QString& Consulta,
                         const QString& Filas, bool Cierre);

// A line grid of a window with three lines.
struct RejillaDeLineas {
    QString nombre;    // the grid's object name
    QString consulta;  // the grid's lines as stored, in its order
    QString tecleado;  // the field a value is typed into, and the value
    QString texto;
    QString buscado;  // the field a code is looked up into ("": none), and the code
    QString codigo;
    QStringList antes;          // the lines before
    QString tecleada, buscada;  // the last line after the value typed, after the code looked up
};
// The columns engine, rejilla, consulta, momento, accion, campo, valor and
// lineas (the lines expected after the action on the last line) and a row
// for each engine, grid, moment and action. The moments are those of
// LlevarRegistroA, "pendiente tras Intro" / "pendiente tras Abajo": the
// record as opened with an empty line pending after the last (see
// DejarLineaPendiente), and "tras Intro por la anterior": the last line
// reached with Enter through the one before (CruzarLineaConIntro) and acted
// on with the keys alone.
void FilasLineaBajoElCursor(const QList<RejillaDeLineas>& Rejillas);

// For the window of the persons of Propietario ("PERSONAL", "CANDIDAT"):
// the positions ADM, OPE and JEF, the training types F1 to F4 and the
// groups G1 to G4 on file; person Codigo with the position lines ADM, OPE,
// JEF, the training lines F1, F2, F3 and the groups G1, G2, G3; person Otro
// with the position line ADM and the group G1. What stood in those tables
// goes first.
void DatosDeLineasDePersona(const QString& Propietario, int Codigo, int Otro);
// The position, training and group grids of person Codigo on those data.
QList<RejillaDeLineas> RejillasDePersona(int Codigo);

// A row of that table on a person's window (the personnel or candidates
// master) opened on its first record, whose code is Codigo: the window
// shown, the record brought to the row's moment (and a line left pending
// where the moment says so), the row's action done on
// the grid's last line; then the lines as another user reads them, and the
// lines Ajenas of another person (ConsultaAjena) unchanged; no warning; the
// record browsed again.
void CasoLineaBajoElCursor(TFichaPersona* Ventana, const QString& Codigo,
                           const QString& ConsultaAjena, const QStringList& Ajenas);

// One installation shared by the rows of a case, for the engine of the row:
// made again when the engine changes; let go (Soltar) before any other case
// and after a row that failed, so that no other case meets it.
class InstalacionPorMotor {
public:
    InstalacionPorMotor();
    ~InstalacionPorMotor();
    void Para(int Motor);
    void Soltar();

private:
    std::unique_ptr<EmpresaPrueba> empresa_;
    int motor_ = -1;
};
