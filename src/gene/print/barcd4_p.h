#pragma once
// The drawing of one barcode, shared by the control and its symbology
// painters: where and at what resolution it goes, and the element writer.

#include <QColor>
#include <QList>
#include <QPainter>
#include <QString>

class QWidget;

struct TDibujoBarras {
    QPainter* lienzo = nullptr;
    QWidget* control = nullptr;
    bool propio = false;  // on the control itself
    int resX = 96, resY = 96;
    int x0 = 0, y0 = 0;
    int ancho = 0, alto = 0;  // drawing size in target pixels
    int x = 0;                // current X from x0
    bool clearZone = true, autoSizing = true, autoPosition = false;
    double magnification = 1.0;
    QColor barra = Qt::black, fondo = Qt::white;

    // An element Width pixels wide from the current X over the drawing height
    // (or from Y, High pixels); X advances by the width.
    void Elemento(int ancho, bool esBarra) { Elemento(ancho, esBarra, y0, alto); }
    void Elemento(int ancho, bool esBarra, int y, int alto_) {
        if (ancho > 0 && alto_ > 0)
            lienzo->fillRect(x0 + x, y, ancho, alto_, esBarra ? barra : fondo);
        x += ancho;
    }
    void Espacios(int cuantos, int ancho) {
        for (int i = 0; i < cuantos; ++i) Elemento(ancho, false);
    }
    // The symbol does not fit: on the control itself its outline shows it.
    void Estrecho();
    // The control's own size, changed by painters that size themselves.
    void TamanoControl(int ancho, int alto_);
    void AnchoControl(int ancho);
};

void PintarCode39(TDibujoBarras& d, const QString& texto);
void PintarInterleaved2de5(TDibujoBarras& d, QString texto);
void PintarITF14(TDibujoBarras& d, QString texto);
void PintarPostnet(TDibujoBarras& d, const QString& texto, int digitos);
void PintarFIM(TDibujoBarras& d, QChar letra);
void PintarEAN(TDibujoBarras& d, QString texto);
void PintarCode128(TDibujoBarras& d, const QString& texto, bool fnc1);
// The Code 128 symbol characters of a text, start to check character.
QList<int> Codificar128(const QString& texto, bool fnc1);
