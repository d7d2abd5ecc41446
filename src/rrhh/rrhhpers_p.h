#pragma once
// Helpers shared by the files of the personnel master and by the candidates
// master, which keeps the same histories for applicants.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <exception>
#include <initializer_list>
#include <utility>

class QGridLayout;
class QObject;
class QWidget;
class TBitBtn;
class TDataSet;
class TDataSource;
class TDBComboBox;
class TDBEdit;
class TDBGrid;
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

// ---- Building the record forms' components.
TTable* NuevaTabla(QObject* owner, const char* nombre, const char* tabla);
TDataSource* NuevaFuente(QObject* owner, const char* nombre, TDataSet* d);
// A labelled edit (label at col, edit at col + 1 of the grid layout).
TDBEdit* NuevoEdit(QWidget* padre, QGridLayout* rejilla, int fila, int col, const char* nombre,
                   const QString& campo, const QString& etiqueta, TDataSource* fuente);
TDBComboBox* NuevoCombo(QWidget* padre, QGridLayout* rejilla, int fila, int col, const char* nombre,
                        const QString& campo, const QString& etiqueta, TDataSource* fuente,
                        const QStringList& items, int estilo);
// A grid with its columns (field, title).
TDBGrid* NuevaRejilla(QWidget* padre, const char* nombre, TDataSource* fuente,
                      const QList<std::pair<const char*, QString>>& columnas);
TBitBtn* NuevoBotonHint(QWidget* padre, const char* nombre, const QString& hint);

// ---- Records.
// Edit, insert or set-key state.
bool EnEdicion(TDataSet* d);
// Rereads the browsing tables.
void RefrescarLineas(std::initializer_list<TTable*> tablas);
// The first value of a search's key, null when nothing was chosen.
QVariant PrimerValor(const QVariant& clave);
// The Descripcion of a code in a code master (empty when not found).
QString DescripcionMaestro(const QString& Tabla, const QString& Codigo);

}  // namespace rrhhpers

// ---- Shared by the personnel and candidates masters (rrhhpers_lineas.cpp).
class TAltaMaestro;
class TField;

namespace rrhhpers {

// The combo's items: the distinct values its field holds in the table, the
// current text kept.
void ValoresComboDistintos(const QString& Tabla, TDBComboBox* Combo);
// A field of a code master's row ("" when there is none).
QString DatoMaestro(const QString& Tabla, const QString& Codigo, const QString& Campo);
// A new history line of the owner's table and code, with the next line number.
void IniciarLineaHistorico(TTable* Linea, const QString& NombreTabla, int Codigo);
// Appends and posts the analysis group to the owner's groups; a group he has
// already (or an empty one) is dropped silently: false then.
bool AgregarGrupo(TTable* GATablas, const QString& Grupo);
// Before a training line is deleted: the group of its code goes unless
// another line of the owner has that code.
void QuitarGrupoFormacion(TTable* HFormacion, TTable* GATablas, const QString& NombreTabla);
// The category and description of a group row's GrupoAnalisis.
void CalcularGrupoAnalisis(TDataSet* DataSet);
// The search of the group grid's GrupoAnalisis cell, among the categories
// of the profile.
void BuscarGrupoRejilla(TDBGrid* Rejilla, TTable* GATablas, const QString& Perfil);
// The search of a history grid's code cell in its master; the chosen code
// brings its Descripcion.
void BuscarCodigoLinea(TDBGrid* Rejilla, TTable* Linea, const QString& Campo,
                       const QString& Maestro);
// Deletes the rows of the history tables under the code, one statement per
// table; false at the first failure (after the statement's warning).
bool EliminarHistoricos(const QList<TablaLineasAlta>& Tablas, int Codigo);
// The warning of a statement of ours that failed.
void AvisoSentencia(const std::exception& e);
// Before anything is written under a new record's code (Tabla in insert):
// the code in 1..Maximo, unchanged once rows were written under the held
// one, free and held for this session. False after the warning; Nueva tells
// that the code was held just now.
bool ReservarCodigoNuevo(TAltaMaestro& Alta, TDataSet* Tabla, const QString& CampoClave,
                         TDBEdit* Edit, int Codigo, int Maximo, const QString& Persona,
                         bool& Nueva);

}  // namespace rrhhpers
