#pragma once
// The message dialog: one modal dialog per message, laid out for its kind
// ("I" information, "A" warning, "E" error, "C" yes/no question, "P" prompt).
// The message dispatcher (TfGENEINIC::MostrarMensaje) is its only user.

#include <QDialog>
#include <QList>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

class TfGENEMENS : public QDialog {
    Q_OBJECT
public:
    // Results besides QDialog::Rejected (the window closed or Esc).
    enum Resultado { ResultadoAceptar = 1, ResultadoSi = 2, ResultadoNo = 3 };

    TfGENEMENS(const QString& Tipo, const QString& Mensaje, const QString& Respuesta,
               QWidget* parent = nullptr);

    // The hand-over values: kind, text, and for "P" the default answer in and
    // the typed text out (kept when the dialog is hidden).
    QString TipoMensaje;
    QString MensajeDialogo;
    QString RespuestaDialogo;

    // Lays the dialog out for its kind (runs when it is shown; tests call it).
    void FormShow();
    // Preselects the text between ":SelStart:" and ":SelEnd:" of the answer.
    void FormActivate();
    void FormHide();

    QFrame* PanelMensaje;
    QLabel* TextoMensaje;
    // Holds the text: a text longer than the label's 276 x 78 grows the
    // dialog up to the screen, and scrolls beyond it.
    QScrollArea* AreaMensaje;
    QLabel* ImagenInformacion;
    QLabel* ImagenExclamacion;
    QLabel* ImagenInterrogacion;
    QLabel* ImagenError;
    QFrame* PanelRespuesta;
    QLineEdit* EditRespuesta;
    QPushButton* pbAceptar;
    QPushButton* pbSI;
    QPushButton* pbNO;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Sizes the text area for the text; returns how much the dialog grows.
    QSize ajustarAlTexto(const QRect& pantalla, int altoBase);
    void pasarTeclaComun(QKeyEvent* event);
    const QKeyEvent* teclaComun_ = nullptr;  // the key already passed on
    int tamanoFuente_ = 0;                   // the label's point size, restored on hide
    bool preparado_ = false;
};

// Shows one message of kind Tipo and returns the dispatcher's answer: "SI"/"NO"
// for "C", the typed text for "P" ("" and Cancelado set when cancelled), and
// Respuesta unchanged for the other kinds. Under the test seam nothing is shown.
QString ResponderMensaje(const QString& Tipo, const QString& Texto, const QString& Respuesta,
                         bool& Cancelado);
// The next prompt's edit takes at most Longitud characters (0: any number);
// the limit holds for that one prompt.
void LimitarSiguientePeticion(int Longitud);

// Test seam of the message layer. While active, no dialog is shown: questions
// ("C") and prompts ("P") take their answers from a queue, in order; "I", "A"
// and "E" messages take none. An empty queue answers as if the dialog had been
// closed ("NO", or a cancelled prompt). Every message is logged while active.
class MessageSeam {
public:
    struct Entry {
        QString kind;
        QString text;
        QString answer;
    };
    // Starts scripted mode with an empty queue and log. With showDialogs the
    // dialogs are shown (for tests that drive them) and only logged.
    static void activate(bool showDialogs = false);
    static void deactivate();
    static bool isActive();
    static bool showsDialogs();
    // "SI", "NO", a typed text, or cancel() for a closed dialog.
    static void enqueue(const QString& answer);
    static QString cancel();
    static int pending();
    static const QList<Entry>& log();
    static void clearLog();
    static void record(const QString& kind, const QString& text, const QString& answer);
    // The next scripted answer; false when the queue is empty.
    static bool take(QString& answer);
};
