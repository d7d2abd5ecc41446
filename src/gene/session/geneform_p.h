#pragma once
// Shared helpers of the form framework's files (not for other units).

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QObject;
class TDataSet;
class TField;
class TForm;

namespace geneform {

// The components of an owner in creation order: a form's Components(), or
// every named object below a data module (forms it holds left out).
QList<QObject*> Componentes(QObject* Propietario);
// The form a component is on (itself when it is one), or nullptr.
TForm* FormaDe(QObject* Objeto);
// The dataset behind a data-aware control (its DataSource property), or nullptr.
TDataSet* DataSetDeControl(QObject* Control);
// The field a data-aware control edits (DataSource + DataField), or nullptr.
TField* CampoDeControl(QObject* Control);
// The first dataset of the form's component "DataSource1", or nullptr.
TDataSet* DataSetPrincipal(QObject* Formulario);
// The dataset a grid shows, and its selected field.
TDataSet* DataSetDeRejilla(QObject* Rejilla);
TField* CampoSeleccionadoRejilla(QObject* Rejilla);
// The field names of a grid's columns, in column order.
QStringList CamposColumnasRejilla(QObject* Rejilla);
// The field of a grid's column (by its index among the columns), or nullptr.
TField* CampoColumnaRejilla(QObject* Rejilla, int Columna);
// The grid's columns back to the defaults of its dataset.
void ColumnasPorDefectoRejilla(QObject* Rejilla);
// Multi-row selection switched on or off.
void AlternarSeleccionMultiple(QObject* Rejilla);
// Every column title through Traduccion.
void TraducirTitulosRejilla(QObject* Rejilla,
                            const std::function<QString(const QString&)>& Traduccion);
// Sets the list-value check's hook to the answers of grids and data combos.
void InstalarListaValoresControl();
// Same-class test by the stand-in's class name (inheritance counted).
bool EsClase(const QObject* Objeto, const char* Clase);

}  // namespace geneform
