#pragma once
// Conversion of texts to numbers and dates and of values to SQL literals, the
// validators of entry fields with their re-entry warnings, field-type names,
// date parts and the rounding of amounts. Numbers and dates follow the fixed
// Spanish conventions of db/sysutils.h ("," decimal, "." thousands,
// day/month/year) whatever the process locale. Nothing here raises on bad
// input: converters give 0 or an empty text, validators false.

#include <QDateTime>
#include <QString>
#include <QVariant>

#include "db/fieldtypes.h"

class TField;

// Conversion.
// A number as typed ("1.234,56"); with the option word "PuntoDecimal" in
// Opciones, as written with "." decimals and "," thousands ("1,234.56").
// 0 when the text is not a number.
double TextoAReal(const QString& Texto, const QString& Opciones = QString());
// A date, a date and time, or a time; the zero date when the text is none.
QDateTime TextoAFechaHora(const QString& Texto);
// The value as an SQL literal of the engine in use: numbers with "." (floats
// with six decimals), texts quoted with their quotes doubled, dates and
// booleans as the engine writes them, NULL as two single quotes.
QString ValorSQL(const QVariant& Valor);
// The value as text: element 0 of a list, numbers and dates in Spanish form,
// "" for NULL.
QString TextoVariante(const QVariant& Valor);
QString NombreTipoCampo(TFieldType Tipo);  // "ftString" .. "ftTypedBinary", "ftUnknown"
// Exact inverse of NombreTipoCampo ("ftSmallInt" also accepted); ftUnknown otherwise.
TFieldType TipoCampoDeNombre(const QString& Nombre);
// Display width in characters by the field's type.
int AnchoCampo(const TField* Campo);

// Validation. False for an unacceptable text; then, when NombreDato (the
// field's label) is not empty, the re-entry warning naming it is shown first.
bool ValidarEntero(const QString& Texto, const QString& NombreDato);  // 32-bit integer
bool ValidarReal(const QString& Texto, const QString& NombreDato);
bool ValidarHora(const QString& Texto, const QString& NombreDato);
bool ValidarFecha(const QString& Texto, const QString& NombreDato);  // after 1/1/1890
bool EsCero(double Valor);                                           // within 0.00001 of zero
// Asks for a date until a valid one is typed; Fecha is the default and the result.
void PedirFecha(const QString& Pregunta, QDateTime& Fecha);

// Dates. Two-digit years: 0-49 are 2000-2049, 50-99 are 1950-1999.
int AnoCompleto(int Ano);
int AnoDosCifras(const QDateTime& Fecha);
int AnoFecha(const QDateTime& Fecha);
int MesFecha(const QDateTime& Fecha);
int DiaFecha(const QDateTime& Fecha);
QString AnoTexto(const QDateTime& Fecha);  // four digits
int DiasMes(const QDateTime& Fecha);
QDateTime PrimerDiaMes(const QDateTime& Fecha);
QDateTime UltimoDiaMes(const QDateTime& Fecha);
// Moved by whole months; a day the target month lacks becomes its last day.
QDateTime SumarMeses(const QDateTime& Fecha, int Meses);
QString NombreMes(int Mes);                       // "Enero" .. "Diciembre"; "" outside 1-12
QDateTime ParteHora(const QDateTime& FechaHora);  // the time on the zero date
double HorasDecimales(const QDateTime& Hora);     // 1:30:00 -> 1.5

// Rounding, halves away from zero (2.5 -> 3, -2.5 -> -3).
double RedondearValor(double Valor);
double RedondearDecimales(double Valor, int Decimales);
// The nearest multiple of Multiplo; Valor itself when Multiplo is 0.
double RedondearMultiplo(double Valor, double Multiplo);
