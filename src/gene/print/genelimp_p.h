#pragma once
// Pieces of the print engine shared by its files and its tests.

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QPageLayout;

// A font's metrics on the print device, with the widths of the texts
// measured in it.
struct TMedidaFuente {
    QFont fuente;
    QFontMetrics metricas;
    QHash<QString, int> anchos;
    // The exact advance of a run of n blanks (index n), as drawing lays it.
    std::vector<qreal> blancos;
};

// The ranges of the numbers a format's program gives: a number outside its
// range counts as one that cannot be read, so that no text a user can edit
// or import makes a position, a size or a division overflow.
namespace impreso {
constexpr double kCoordenada = 10000;  // positions, widths, margins, heights (mm, columns, rows)
constexpr double kCompresionMinima = 0.01, kCompresionMaxima = 100;
constexpr int kEtiquetasLado = 1000;    // label columns, label rows
constexpr double kTamanoFuente = 1000;  // points
constexpr double kGrosorPluma = 100;
constexpr double kAumento = 100;  // bar-code magnification
constexpr double kLineasMemo = 100000;
constexpr double kPapel = 5000;  // mm of a custom Formato
}  // namespace impreso

// A number of a format's program read with the system's decimal separator;
// false when it cannot be read, is not finite or lies outside [Minimo, Maximo].
bool LeerNumeroImpreso(const QString& Texto, double Minimo, double Maximo, double& Valor);
// A derived value as a whole number: 0 when it is not finite or does not fit.
int EnteroImpreso(double Valor);

// DriverAlternativo's copy: only between regular files inside the
// installation folder (the parameter file's) and its subfolders, never
// through a symbolic link; false when it was refused or failed.
bool CopiarDriverAlternativo(const QString& Origen, const QString& Destino);

// The one way the engine takes a record's field for what it makes (any
// command, expression, total, bar code, lookup key or file name): a field
// hidden from the user (CampoNoVisible) is no field, so that it gives an
// empty text, 0 in a number and a total, no record and no file.
class TField;
TField* CampoVisible(TField* Campo);

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
// The pieces one line of a memo is wrapped into: words joined while they fit,
// a word wider than the column broken where it fits; an empty line is one
// empty piece. Cabe tells whether a piece fits, and whether it is the line's
// first; it is never asked about a piece longer than a line can hold
// (kLetrasLinea). With Maximo >= 0, the first Maximo pieces only.
QStringList PartirLineaMemo(const QString& Linea,
                            const std::function<bool(const QString&, bool)>& Cabe,
                            qsizetype Maximo = -1);

// No line of a document holds more letters: a longer text is cut there
// before it is measured or drawn, whatever the size of the value.
inline constexpr qsizetype kLetrasLinea = 4096;

// A format's font name as this platform has it (Courier New, Arial and the
// misspelt "Ariel" by their Liberation equivalents).
QFont FuenteImpreso(const QString& Nombre);

// Text in the printers' OEM code page (850).
QByteArray TextoOEM(const QString& Texto);

// A page of that many millimetres, without margins, for the printer and PDF.
QPageLayout LayoutPapel(double Ancho, double Alto);
