#pragma once
// The small arithmetic evaluator of the list editor's column formulas and of
// numeric cells: "+", "-", "*" (also "x"), "/" (also ":") and "#" (rounds to
// the nearest multiple), brackets, "." or "," as the decimal mark. It never
// fails: a factor that is no number counts as 1, a failed operation (a
// division by zero) is skipped, unbalanced brackets give 0.

#include <QString>
#include <functional>

// An expression without brackets. Terms start at every "+" or "-" (a "-"
// right after "*", "/" or "#" belongs to the number that follows); within a
// term the factors are applied from left to right. 2x3+10:4-1#2 is 6.5.
double EvaluarExpresion(const QString& Expresion);
// An expression with brackets: the innermost group is evaluated and written
// back in its place ("--" then reads as "+") until none is left.
double EvaluarFormula(const QString& Expresion);

// A column formula's expression with every operand that is not a number
// replaced, as a whole token, by the value ValorColumna gives for that name,
// or by 0 when it gives none. Negative values are written in brackets so
// that "A-B" with B = -3 stays a subtraction. Operands are separated by
// "+", "-", "*", "/", "#" and brackets.
using TValorColumna = std::function<bool(const QString& Nombre, double& Valor)>;
QString SustituirOperandos(const QString& Expresion, const TValorColumna& ValorColumna);

// A number as the evaluator writes it back into an expression: "." as the
// decimal mark, no exponent, no trailing zeros.
QString TextoNumeroFormula(double Valor);
