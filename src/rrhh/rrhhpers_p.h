#pragma once
// Helpers shared by the files of the personnel master.

#include <QList>
#include <QString>
#include <QVariant>
#include <utility>

class TTable;
struct TablaLineasAlta;

namespace rrhhpers {

// The owner name of the employee rows in the histories shared with candidates.
extern const char* const kPersonal;

// A statement of ours on the company database with its values bound in
// order; raises on failure.
void EjecutarConParametros(const QString& sql, const QVariantList& valores);
// The first column of the first row (null when there is none); raises on failure.
QVariant ValorConParametros(const QString& sql, const QVariantList& valores);
// Makes the table's stored columns persistent fields and adds the
// calculated text fields (name, size); the table is left closed.
void DeclararCampos(TTable* Tabla, const QList<std::pair<QString, int>>& calculados);
// The employee's histories by code, in the order his delete removes them.
const QList<TablaLineasAlta>& HistoricosOperario();

}  // namespace rrhhpers
