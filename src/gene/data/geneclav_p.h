#pragma once
// Helpers the record-key and record-copy units share; not for forms.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "db/fieldtypes.h"

class QObject;
class TDataSet;
class TField;
class TModuloDatos;
class TTable;

// A field name that marks a time of day ("Hora" in any case).
bool EsNombreHora(const QString& nombre);
// A key part as a value of the column's type (a time-of-day column from its
// time text); false when the text is no such value.
bool ValorParteClave(const QString& parte, TFieldType tipo, int size, bool hora, QVariant& valor);
// Assigns a text as the key routines write it (a time-of-day field from its
// time text); raises EConvertError when the field refuses it.
void AsignarTextoCampo(TField* Campo, const QString& Texto);
// The table a dataset reads: a TTable's name, a TQuery's table after FROM.
QString NombreTablaDataSet(TDataSet* DataSet);
// The dataset's key fields in key order (the table's index definitions, or
// the catalog by table name); empty when they cannot be read.
QStringList CamposClaveDataSet(TModuloDatos* ModuloDatos, TDataSet* DataSet);
// A cursor of its own on a table, open in primary-key order; nullptr when it
// cannot be opened.
std::unique_ptr<TTable> AbrirSegundoCursor(QObject* Propietario, const QString& BaseDatos,
                                           const QString& Tabla);
// The Name=Value text of the current record as TextoRegistro writes it, the
// record clipboard untouched; with Ocultos the fields hidden from the user
// are written too (a program row written whole to a file, such as a report
// design the user sees in its own window).
QString TextoNombreValorRegistro(TDataSet* DataSet, const QString& Opciones, bool Ocultos);
