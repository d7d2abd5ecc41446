#pragma once
// The steps every report form of the program shares, whether its layout is
// designed in advance or built when it runs: the company's listing style on
// labels and bands, the compression of positions and fonts, and the
// restrictions block on the first page's header.

#include <QString>

class TForm;
class TModuloDatos;
class TQRBand;
class TQRImage;
class TQRLabel;
class TQRMemo;
class TQRPrintable;
class TQRSysData;
class TQuickRep;

// What every report form starts with: the report (A4, header on the first
// page, footer on the last, nothing printed when empty), its page header of
// that height with the company's logo and name, and the report's title in
// 12 bold points at (100, ArribaTitulo).
struct TMarcoInforme {
    TQuickRep* Informe;
    TQRBand* Cabecera;
    TQRImage* Logotipo;
    TQRLabel* Empresa;
    TQRSysData* Titulo;
};
TMarcoInforme CrearMarcoInforme(TForm* Formulario, int AlturaCabecera, const QString& NombreTitulo,
                                int ArribaTitulo);
// The current company's name and logo (a missing file leaves it empty).
void CargarEmpresaInforme(TQRLabel* Empresa, TQRImage* Logotipo);

// The style of the company parameter TipoCombinacionTramas ("Standard",
// "Basica", "Blanco y Negro") on every band and control of the form.
void AplicarEstiloInforme(TForm* Informe);
// Whether a label of black background is drawn in the "Basica" style (white,
// black font, framed): true for "Basica" and "Blanco y Negro".
bool EstiloBasicoInforme(TModuloDatos* ModuloDatos);

// The compression factors of the company parameters, and whether they apply
// at all (not when either is 0, nor when both are 1 and the font is "Por
// Defecto").
struct TCompresionListado {
    double Posicion = 1;
    double Letra = 1;
    QString TipoLetra;  // "Por Defecto" or a font name
    bool Aplica = false;
};
TCompresionListado CompresionListados(TModuloDatos* ModuloDatos);
// One control compressed: Left and Width by the position factor (plus
// Desplazamiento on the left); with Fuente also its font size and name.
void ComprimirControl(TQRPrintable* Control, const TCompresionListado& Compresion,
                      int Desplazamiento, bool Fuente);

// The restrictions block: the positions of the header's labels recorded,
// the header's before-print handler installed, and a maroon memo (Arial 8)
// created at Arriba across the header, empty; it is returned.
TQRMemo* CrearBloqueRestricciones(TForm* Informe, TQRBand* PageHeader, int Arriba);
