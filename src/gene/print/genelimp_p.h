#pragma once
// Pieces of the print engine shared by its files and its tests.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

class QPageLayout;

// A program's lines, whatever its line ends.
QStringList LineasProgramaImpreso(const QString& Programa);

// Paper of a Formato in millimetres; A4 for anything unknown.
struct TTamanoPapel {
    double Ancho;
    double Alto;
};
TTamanoPapel TamanoPapelImpreso(const QString& Formato);

// The leading markup of a printed text: "<R>" red, "<V>" green, "<A>" blue,
// "<N>" bold, "<C>" italic, "<S>" underline, "<12>" a size; "</>" cancels it.
struct TMarcado {
    QString Texto;    // the leading blanks and the text after the tags
    QString Prefijo;  // the tags read, passed on to the pieces of a wrapped memo line
    QColor Color;     // invalid: unchanged
    QString Estilos;  // "N", "C", "S", at most three
    int Tamano = 0;   // 0: unchanged
};
TMarcado LeerMarcado(const QString& Texto);

// A format's font name as this platform has it (Courier New, Arial and the
// misspelt "Ariel" by their Liberation equivalents).
QFont FuenteImpreso(const QString& Nombre);

// Text in the printers' OEM code page (850).
QByteArray TextoOEM(const QString& Texto);

// A page of that many millimetres, without margins, for the printer and PDF.
QPageLayout LayoutPapel(double Ancho, double Alto);
