#pragma once
// Helpers shared by the files of the personnel master and by the candidates
// master, which keeps the same histories for applicants.

#include <QHash>
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
class QAbstractButton;
class QBoxLayout;
class TAltaMaestro;
class TField;
class TFotoFicha;
class TMenuItem;

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

// ---- The record forms of a person (an employee, a candidate).
// The key and name edits at the head of the form, on the code field.
void NuevaCabecera(QWidget* Formulario, QBoxLayout* Linea, TDataSource* Fuente,
                   const QString& CampoCodigo, TDBEdit*& Codigo, TDBEdit*& Nombre);
// The grids of positions held, training received and analysis groups.
TDBGrid* NuevaRejillaPuestos(QWidget* Padre, TDataSource* Fuente);
TDBGrid* NuevaRejillaFormacion(QWidget* Padre, TDataSource* Fuente);
TDBGrid* NuevaRejillaGrupos(QWidget* Padre, TDataSource* Fuente);
// The code typed in the key edit, else the record's (0 without either).
int CodigoFicha(TDBEdit* Edit, TDataSet* Tabla, const QString& CampoCodigo);
// While browsing, the pages of a record whose code the user may not see
// stay hidden.
void PaginasAccesibles(TDataSet* Tabla, const QString& CampoCodigo, QWidget* Paginas);
// After a scroll: the documents button shows whether the record has
// documents, and the record's photo is shown.
void MostrarDocumentosYFoto(TDataSet* Tabla, const QString& NombreTabla, const QString& Clave,
                            QAbstractButton* Boton, TFotoFicha* Foto);
// Cancels the lines being edited.
void CancelarLineas(const QList<TTable*>& Lineas);
// The record delete whose cascade began a transaction (Transaccion true):
// the dataset's delete confirms it, a refused delete undoes it.
void InstalarFinBorrado(TTable* Tabla, bool& Transaccion);
// A delete that stopped before the dataset's own delete: its transaction is
// undone.
void CancelarBorradoPendiente(bool& Transaccion);
// The form goes away: a new record pending is cancelled as the user's cancel
// would, a delete transaction left open is undone, and the tables close
// while the form's sources and handlers are still whole.
void CerrarFichaPersona(QObject* Formulario, TDataSet* Table1, TAltaMaestro& Alta,
                        bool& TransaccionBorrado, const QList<TTable*>& Lineas,
                        const QList<TTable*>& Tablas);

// "Agregar con Duplicación" of history lines: the line current before an
// insert is copied into the new one.
class TLineasADuplicar {
public:
    void Guardar(TDataSet* Linea);
    void Duplicar(TTable* Linea, TMenuItem* Agregar);

private:
    QHash<TDataSet*, QString> claves_;
};

}  // namespace rrhhpers
