#pragma once
// Amounts in either currency. Amounts are stored in the company's base
// currency (PARAGENE.CodigoMonedaBase); the user may see them in the other of
// national currency and euro, converted with the rate (MONEDA.Cambio: units
// of the base currency per unit of that currency) and decimals of MONEDA,
// without changing anything stored. A rate of 0 or less converts nothing.
//
// The view is switched by the main window's menu item
// "VerDatosEnMonedaNacionalOEuro" (checked: the other currency) or by a speed
// button "pbEuro" of a form (down: the other currency), which takes
// precedence on the form that has one.

#include <QString>

class QObject;
class TField;
class TModuloDatos;

// Display handler of amount fields (float fields whose Tag is 1000 or more):
// the field's value formatted, converted when the view asks for it. Never
// raises: on any failure the plainly formatted value.
void ImporteGetText(TModuloDatos* ModuloDatos, TField* Campo, QString& Texto, bool DisplayText);
// Print handler of amount report controls: Valor converted when the view
// asks for it, else unchanged.
void ImporteQRPrint(TModuloDatos* ModuloDatos, QObject* Control, QString& Valor);

// An amount text ("1.000", "250D") converted (ConvertirMoneda with Modo) and
// formatted with the amount template; "D" and "H" markers kept after it; "€ "
// before a non-zero amount when the base currency is the national one.
void ConvertirTextoImporte(TModuloDatos* ModuloDatos, const QString& Texto, const QString& Modo,
                           QString& Resultado);
void ConvertirTextoImporte(TModuloDatos* ModuloDatos, const QString& Texto, QString& Resultado);
// Modo "AutoInverso": from the other currency back to the base (× rate,
// base decimals); "Otra Moneda": to the other currency with the euro's
// decimals; anything else: to the other currency with its own decimals.
// Unchanged when a currency row is missing or its rate is 0 or less.
double ConvertirMoneda(TModuloDatos* ModuloDatos, const QString& Modo, double Importe);
// Importe × Cambio (taken as 1 when not greater than 0), base decimals.
double ConvertirImporte(TModuloDatos* ModuloDatos, double Importe, double Cambio);
// MONEDA.Decimales and MONEDA.Cambio of a currency; 0 when it is not there.
int DecimalesMoneda(TModuloDatos* ModuloDatos, int Codigo);
double CambioMoneda(TModuloDatos* ModuloDatos, int Codigo);

// The amount template of a field name (FormatoCampoImporte); unset, the
// template given stays.
using TGanchoFormatoCampoImporte = void (*)(const QString& NombreCampo, QString& Formato);
extern TGanchoFormatoCampoImporte GanchoFormatoCampoImporte;
