#pragma once
// Translation of the interface into the session language (IdiomaActual, the
// "T=" argument) from table TXIDIOMA of the general database: a cache of
// looked-up texts (TextosNoTraducidos, "Spanish=translation" lines), an
// exact lookup, a pattern whose "\X1", "\X2"... words carry numbers, dates
// and nested phrases over, and last a word-by-word translation.
//
// Lookups never show messages (the message dialog translates its own texts);
// a lookup that fails counts as "no translation" and is not cached.

#include <QString>

class TModuloDatos;

// The translation of Texto into Idioma (empty: IdiomaActual); the text
// without "&" when nothing translates it. Variables holds Name=Value lines:
// every "$" + Name of the result is replaced by the translated Value.
void Traducir(TModuloDatos* ModuloDatos, const QString& Texto, const QString& Variables,
              const QString& Idioma, QString& Resultado);
// Every item of a ";"-separated list translated; the list itself when that
// gives nothing.
void TraducirLista(TModuloDatos* ModuloDatos, const QString& Lista, const QString& Idioma,
                   QString& Resultado);

// The steps of Traducir.
QString TraducirTexto(TModuloDatos* ModuloDatos, const QString& Texto, const QString& Variables,
                      const QString& Idioma);
// From the cache or by exact lookup; "" when there is no translation.
QString BuscarTraduccion(TModuloDatos* ModuloDatos, const QString& Texto, const QString& Idioma);
// By a stored pattern; "" when none applies.
QString TraducirPorPatron(TModuloDatos* ModuloDatos, const QString& Texto, const QString& Idioma);
// Modo "Directo" puts every Separador on a line of its own (CR LF around it),
// "Inverso" takes it back.
QString AislarSeparador(const QString& Texto, const QString& Separador, const QString& Modo);
