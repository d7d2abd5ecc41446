#pragma once
// What the session lends the report forms of the listings: the block that
// prints the user's selection ("RESTRICCIONES Y OPCIONES DEL LISTADO: ...")
// at the top of the first page, and the currency hooks of the amount
// controls of a form or report.

#include <QList>
#include <QPointer>
#include <QString>

class QIcon;
class QObject;
class QWidget;
class TQRCustomLabel;
class TfGENEINIC;

// The restrictions block of the report being prepared; each report form
// writes it when it is created and sets PrimeraPagina before it prints.
struct TRestriccionesListado {
    // The memo (or label) on the band that holds the restrictions text.
    QPointer<TQRCustomLabel> Memo;
    // The band's height as designed, without the block.
    int AlturaBanda = 0;
    bool BandaPreparada = false;
    // The next print of the band is the first page of a run.
    bool PrimeraPagina = false;
    // "Name=Top" lines, CR LF separated, of the band's labels as designed.
    QString PosicionesEtiquetas;
    // The launching dialog's controls in tab order.
    QList<QPointer<QWidget>> ControlesDialogo;
};
extern TRestriccionesListado RestriccionesListado;
// Set by the forms of the listings that always print their restrictions;
// from then on every report form prints them, until the program ends.
extern bool ListarRestriccionesForzado;

extern const char* const kTituloRestricciones;  // "RESTRICCIONES Y OPCIONES DEL LISTADO: "

// The BeforePrint handler of the band that carries the block (Sender).
// First page with a text: the block shows, one line of 15 units per 100
// characters (160 on landscape paper; 30 units at least), the band grows by
// its height and the band's labels move down by it, except
// "TituloNombreEmpresa". Otherwise the block is hidden and the band and its
// labels are as designed. PrintBand is left as it is.
void ImprimirRestriccionesListado(TfGENEINIC* f, QObject* Sender, bool& PrintBand);
// The height of the block for a text (prefix included) on portrait or
// landscape paper.
int AlturaRestricciones(const QString& Texto, bool Apaisado);

// Modo "Asignar": every label, expression, field text or calculation of the
// form (or report) whose Tag is 1000 or more and that has no print handler of
// its own prints its amount in the currency of the view; float fields with
// such a Tag show theirs so (their text handler replaced); a speed button
// "pbEuro" shows the glyph of the national currency when the company's base
// currency is not the euro, else the euro's. "Desasignar" takes those
// handlers away. Any other mode does nothing.
void ConfigurarBotonesMoneda(TfGENEINIC* f, QObject* Formulario, const QString& Modo);
QIcon GlifoMonedaEuro();
QIcon GlifoMonedaNacional();
