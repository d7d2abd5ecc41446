#pragma once
// The values a user types for the variables of a stored statement, shared by
// the saved queries and the custom reports: the label and edit of each
// variable, the checks of the values, and the statement filled for one run
// with each variable line taking its own edit's value.

#include <QString>
#include <QStringList>

class QWidget;
class TEdit;
class TLabel;
class TQuery;

// The caption of a variable line: no type character, split into words
// ("&FechaDesde" shows as "Fecha Desde").
QString EtiquetaVariable(const QString& Variable);
// The line a repeated variable line repeats ("&Desde" for "&Desde_3" when
// "&Desde" comes before it), else the line itself.
QString VariableRepetida(const QStringList& Variables, int Linea);
// The first text of its edit: "0" for "#", "1/1/1900" for "&", else "".
QString ValorInicialVariable(const QString& Variable);

// The label (navy, at Izquierda, Arriba, 100 x 13) and its edit (140 x 21,
// Separacion pixels right of the label's left, 4 pixels higher) of one
// variable line, inside Panel; the edit is named after the line.
void CrearControlesVariable(QWidget* Panel, const QString& Variable, int Izquierda, int Arriba,
                            int Separacion, bool Negrita, TLabel*& Etiqueta, TEdit*& Editor);

// Checks each value by its variable's type with the shared validators, which
// show their own messages: "#" an integer when it has no fraction, else a
// real; "&" a date. All are checked; false when any is wrong.
bool ValidarValoresVariables(const QStringList& Variables, const QStringList& Valores,
                             const QStringList& Etiquetas);

// The statement with every later occurrence of a repeated variable renamed
// as VariablesSQL lists it (":&Desde" twice: ":&Desde" and ":&Desde_1"), so
// that each occurrence is a parameter of its own. Quoted texts are kept.
QString NumerarVariablesRepetidas(const QString& SQL);
// Fills the query for one run: each occurrence its own variable, the
// multiple ("*") values written into the text as quoted lists (whole tokens
// only), the others bound; value i belongs to variable line i of VariablesSQL.
void AsignarSentenciaVariables(TQuery* Consulta, const QString& SQL, const QStringList& Valores);

// The stored name of a translated menu caption among the FILTRO rows of
// kind Tipo ("SQL", "GeneradorInformes"); "" when none matches.
QString TraducirNombreFiltro(const QString& Tipo, const QString& Nombre);
