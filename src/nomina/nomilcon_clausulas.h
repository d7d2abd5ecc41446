#pragma once
// The memo texts of the contract documents (the clauses) that need more
// lines than their print format gives them: the engine prints a memo outside
// the body up to the format's line limit and drops the rest without a word,
// so the dialog warns before printing.

#include <QString>
#include <QStringList>

class TTable;

// The lines a memo text takes when the print engine wraps it Ancho
// millimetres wide in that font (format name, points, bold): the most it
// takes at any of the resolutions a document is laid out at (screen
// preview, PDF, printers).
int LineasMemoImpresas(const QString& Texto, const QString& Fuente, double Puntos, bool Negrita,
                       double Ancho);

// One line for every memo of a document of Temporal that needs more lines
// than the format named in its CodigoImpreso (read from Impreso) prints,
// naming the employee, the contract and both counts; empty when all fit.
QStringList MemosQueNoCaben(TTable* Temporal, TTable* Impreso);
