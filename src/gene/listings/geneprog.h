#pragma once
// The progress window shown during long operations: its caption is the
// operation's title and its label the current progress text; it fits its
// width to the text and sits centred near the bottom of the screen, on top of
// the other windows. Esc asks whether the running listing should go on and
// sets ListadoCancelado from the answer; the window itself stays until its
// caller closes it.

#include <QElapsedTimer>
#include <QString>
#include <functional>

#include "ui/form.h"

class TLabel;
class TQRBand;
class TUserStatementWait;
class TPanel;
class TStatusBar;
class TTimer;

class TfGENEPROG : public TForm {
    Q_OBJECT
public:
    explicit TfGENEPROG(QWidget* owner = nullptr);

    // Sets the progress text and fits the window to it.
    void AsignarTexto(const QString& Texto);
    QString Texto() const;

    // Width 330, or the label's width + 40 when wider; the inner panel 16
    // narrower (24 on "Windows VISTA" and "Windows 7"); height 85; 150 pixels
    // above the bottom of the screen, centred across it.
    void EditProgresoChange();
    // Esc: "SI" to the question lets the listing go on, any other answer
    // stops it (ListadoCancelado).
    void FormKeyDown(int& Key, int Shift);

    TPanel* Panel1;
    TPanel* PanelProgreso;
    TLabel* EditProgreso;
    TStatusBar* StatusBar1;
    TTimer* Timer;
};

// What MostrarVentanaProgreso and VentanaProgreso do with the one progress
// window of the session (held in Ventana): Modo "ON" opens it (an open one is
// reused), "OFF" frees it, "" replaces its text while it is open; any other
// mode does nothing. Modes are compared exactly. Title and text are
// translated; of a text holding "..." only the part before the first "..."
// is, so that counters after it stay as written.
void ActualizarVentanaProgreso(TfGENEPROG*& Ventana, const QString& Modo, const QString& Titulo,
                               const QString& Texto);
// The text as the window shows it: translated with the "..." rule above
// (the text after a second "..." is dropped).
QString TextoProgresoTraducido(const QString& Texto);

// Installs (once) what keeps the program answering while a user's statement
// runs (the SQL editor, the saved-query runner, the custom reports): the
// progress window, opened when none is ("Consulta SQL"), takes the keyboard
// for the run, and Esc there asks the usual question; any answer other than
// "SI" stops the statement in the engine. A result stopped before its end
// while its rest was read is warned of once the running code is done.
// The fields hidden from the user (CampoNoVisible) are hidden from users'
// statements too, whatever name a statement gives them.
void VigilarSentenciasUsuario();
// What the windows say when the user stopped his statement.
QString TextoSentenciaCancelada();
// What they say before printing, exporting, charting or filtering a result
// whose reading was stopped or whose rest was lost: it is not done.
QString TextoConsultaIncompleta();

// While a print of a user's result makes its pages (every row read or not),
// Esc in the same progress window stops it as it stops the reading: the
// detail band's BeforePrint looks at the window every few tens of
// milliseconds and raises EUserStatementCancelled on a stop, so that the
// run ends, its caller tells it and nothing is put in place. The band gets
// its own handler back at the end.
class TParadaPaginas {
public:
    explicit TParadaPaginas(TQRBand* Banda);
    ~TParadaPaginas();
    TParadaPaginas(const TParadaPaginas&) = delete;
    TParadaPaginas& operator=(const TParadaPaginas&) = delete;

private:
    TQRBand* banda_;
    std::function<void(QObject*, bool&)> previo_;
    TUserStatementWait* espera_;
    QElapsedTimer reloj_;
    bool esperado_ = false;
};
