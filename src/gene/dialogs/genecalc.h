#pragma once
// The calculator: four operations and the peseta/euro conversion, opened by
// F2 on a float field. One window lives from start-up to the end of the
// session; its pending operation and first operand survive from one opening
// to the next until "C" or a computation clears them.

#include <QString>

#include "ui/form.h"

class TLabel;
class TPanel;

// The keys' rules, without the window. Display holds the number being typed
// or the last result with "," as its decimal mark, or "Error".
class TCalculadora {
public:
    QString Display = QStringLiteral("0");
    // "", "Sumar", "Restar", "Multiplicar", "Dividir", "Igual", "Euro" or "Pesetas".
    QString Pendiente;
    QString PrimerOperando;
    // The display showed "Error" when the window was asked to close.
    bool ErrorAlCerrar = false;

    // One key by its operation: a digit "0".."9", "PuntoDecimal", "Sumar",
    // "Restar", "Multiplicar", "Dividir", "Igual", "Euro", "Pesetas",
    // "PonerACero" or "Apagar" (which only notes an "Error" display here).
    void Pulsar(const QString& Operacion);
    // Backspace: the last character goes; an empty display becomes "0".
    void Retroceso();
    // The operation of a typed character ("" for the characters without one).
    static QString OperacionDeCaracter(QChar Caracter);
    // The display as a number; 0 when it is none.
    double Valor() const;
    // Display "Error" (now or when the close was asked): the result must not be used.
    bool ResultadoErroneo() const;
};

class TfGENECALC : public TForm {
    Q_OBJECT
public:
    explicit TfGENECALC(QWidget* owner = nullptr);
    ~TfGENECALC() override;

    TCalculadora Estado;
    // Stored when the window closes.
    double Resultado = 0;
    bool ResultadoValido = true;

    TPanel* PanelDisplay;
    TLabel* Display;

    // The key panel of an operation ("fn" + operation), or nullptr.
    TPanel* Tecla(const QString& Operacion) const;
    // A click on a key panel (the press effect included).
    void PanelClick(QObject* Sender);
    // Shows the value in the display.
    void AsignarDisplay(const QString& Texto);
    Q_INVOKABLE void BuscarDatosDBEdit(QObject* Sender) {}

private:
    void mostrar();
    void FormKeyPress(QChar& Key);
    void FormClose();
};

extern TfGENECALC* fGENECALC;

// Shows the calculator modally with the text in its display and returns its
// result. When the display shows "Error" at closing the operation is
// abandoned with a silent abort, so that the field the calculator was opened
// on keeps its value.
double CalculadoraModal(const QString& Display);
