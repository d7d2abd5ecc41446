#pragma once
// Typed constant lists and multiple variables, shared by the saved queries and
// the custom reports. A list typed as "a, b,c," is cut into its items the same
// way everywhere: a trailing "," dropped, blanks next to a comma removed, empty
// items left out; blanks inside an item are kept.

#include <QString>
#include <QStringList>

class TControlBase;

// The items of a typed comma list, cut as above.
QStringList ElementosListaConstantes(const QString& Lista);
// The stored form of a typed list: each item in double quotes, joined by ","
// with no blank; "" for a list without items.
QString ListaConstantesSQL(const QString& Lista);
// The same items as SQL string literals (Entrecomillar) joined by ","; "''"
// for a list without items. This is the form put into a statement: the
// engines read double-quoted items as column names.
QString ListaConstantesEntrecomilladas(const QString& Lista);

// Puts each answer of a "*" variable in place of its ":*name" token (a whole
// token: ":*Lista" does not touch ":*ListaB"). Variables are the lines of
// VariablesSQL, Valores the answers in the same order.
void SustituirVariablesMultiples(QString& SQL, const QStringList& Variables,
                                 const QStringList& Valores);

// Places a control inside its parent (a control without parent, such as an
// MDI child form, inside the main form): "Centro" both ways,
// "Centro-Horizontal" the left only, "Centro-Vertical" the top only,
// "Derecha" 4 pixels from the right edge. Halves are truncated toward zero.
void CentrarControl(TControlBase* Control, const QString& Modo);
