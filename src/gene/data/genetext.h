#pragma once
// Character, token and text routines that every unit uses: option texts
// (Name=Value lines and option words), tokens, field names turned into titles,
// SQL quoting, memo lines. Plain functions without state; none of them raises
// on bad input.

#include <QChar>
#include <QString>
#include <QStringList>
#include <QVariant>

// Character tests on a one-character text: ASCII letters and the 22 accented
// letters of each case; digits "0" to "9".
bool EsMinuscula(const QString& Caracter);
bool EsMayuscula(const QString& Caracter);
bool EsDigito(const QString& Caracter);

// The character with the highest code from 255 down to 0 that Texto does not
// hold; "" when Texto holds all 256.
QString CaracterNoUsado(const QString& Texto);

// The Indice-th piece (from 0) of Texto cut at Separador (any length); empty
// pieces count; "" past the last piece. Without any separator in Texto the
// whole text is the only piece.
QString ExtraerToken(int Indice, const QString& Texto, const QString& Separador);
// The piece counted from the end: N = 0 is the last piece, N at or past the
// number of separators the first.
QString ExtraerTokenDesdeFinal(int N, const QString& Texto, const QString& Separador);

int ContarCaracter(QChar Caracter, const QString& Texto);
// Occurrences of Subcadena, removed one by one until none is left (an
// occurrence formed by a removal counts too: "ab" in "aabb" is 2).
int ContarOcurrencias(const QString& Subcadena, const QString& Texto);

// Replaces every occurrence (case-sensitive, left to right); the result is
// stored back into Texto and returned.
QString ReemplazarTexto(const QString& Buscar, const QString& Reemplazo, QString& Texto);
// Replaces again and again until the text no longer changes ("   " with "  "
// to " " gives " ").
QString ReemplazarTextoRepetido(const QString& Buscar, const QString& Reemplazo,
                                const QString& Texto);

// "CodigoPostal" -> "Codigo Postal", "Nivel12" -> "Nivel 12", "NIF" -> "NIF".
QString SepararPalabras(const QString& Nombre);
// The words of a name as a reader expects them in a printed or exported
// text: SepararPalabras, then the words an identifier spells without their
// accent or "ñ" get it back ("AnoCalendario" -> "Año Calendario",
// "GrupoAnalisis1" -> "Grupo Análisis 1").
QString PalabrasLegibles(const QString& Nombre);
// Short column title: "FechaAlta" -> "F.Alta"; with Letras 2
// "FechaAltaEmpresa" -> "Fe.Al.Empresa".
QString AbreviarTitulo(const QString& Titulo, int Letras);

// The lines of a memo text as a QVariantList (a "|" also starts a new line; a
// line "finmemo" ends the list); a null QVariant for an empty text. A leading
// "(Memo)" display marker is ignored.
void LineasMemo(const QString& Texto, QVariant& Lineas);

// Texto without one final CR LF.
QString QuitarSaltoFinal(const QString& Texto);
// An SQL string literal: the text between single quotes, embedded quotes doubled.
QString Entrecomillar(const QString& Texto);
// Every ";" replaced by Separador, and one trailing Separador removed.
QString CambiarSeparador(const QString& Texto, const QString& Separador);
QString Espacios(int N);
QString RepetirCaracter(QChar Caracter, int N);
// The lines sorted without regard to case (Spanish collation), each followed
// by CR LF.
QString OrdenarLineas(const QString& Texto);
QString TextoSiNo(bool Valor);  // "SI" / "NO"

// Name=Value options. The name is compared without regard to case; the value
// is everything after the first "="; "" when the name is absent.
QString ValorParametro(const QString& Nombre, const QString& Texto);
QString ValorLista(const QString& Nombre, const QStringList& Lista);
// Sets the first line of that name, or appends one; an empty Valor removes it.
void AsignarValorLista(const QString& Nombre, const QString& Valor, QStringList& Lista);

// The lines of a text as the system splits them: at CR LF, LF or CR, without
// an empty last line after a final line break.
QStringList LineasTexto(const QString& Texto);
