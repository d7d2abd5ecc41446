#pragma once
// Amounts in Spanish words, as contracts and cheques write them: upper case
// with feminine hundreds and ones ("DOSCIENTAS UNA"), except in the millions
// ("DOSCIENTOS VEINTIUN MILLONES"), or lower case masculine; cents after
// "CON"; no accents; every word followed by one blank.

#include <QString>

// 12,25 -> "DOCE CON VEINTICINCO ", 0 -> "CERO ", -5 -> "MENOS CINCO ".
// The amount is rounded to cents first (7,999 -> "OCHO ").
QString NumeroEnLetraMayusculas(double Importe);
// 21 -> "veintiuno ", 2500000 -> "dos millones quinientos mil ".
QString NumeroEnLetra(double Importe);

// One group of three digits ("021") in words. Contexto "Millones" gives the
// masculine forms, "Miles" writes nothing for a lone "001" (the caller writes
// "MIL"), anything else ("Unidades") the feminine forms.
QString GrupoEnLetra(const QString& Contexto, const QString& Grupo);
QString CentenasEnLetra(const QString& Contexto, const QString& Grupo);
// Teens and twenties include the units.
QString DecenasEnLetra(const QString& Contexto, const QString& Grupo);
QString UnidadesEnLetra(const QString& Contexto, const QString& Grupo);
