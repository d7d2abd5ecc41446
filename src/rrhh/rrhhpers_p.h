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
#include <optional>
#include <utility>

#include "db/table.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/genemaes.h"

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
void RefrescarLineas(const QList<TTable*>& tablas);
// The first value of a search's key, null when nothing was chosen.
QVariant PrimerValor(const QVariant& clave);
// The Descripcion of a code in a code master (empty when not found).
QString DescripcionMaestro(const QString& Tabla, const QString& Codigo);

// ---- The employee a window showed.
// The employee (his PERSONAL row) a window read from a table open on
// PERSONAL: what the rows it stores for him later are checked against.
TRowAsRead OperarioLeido(const TTable* Personal);
// The employee under the code as he stands now; empty when there is none.
TRowAsRead OperarioLeido(const QVariant& Codigo);
// Refuses rows for an employee who is no longer the one read: another clerk
// changed him, or deleted him and entered another under his code, is told
// as a record changed by another user; deleted and not replaced, as a record
// no longer there. Read empty (nobody was shown), only someone entered since
// is refused. Called inside the transaction that stores the rows: on
// PostgreSQL his row then stays as compared until it ends. Personal, when
// given, is a table open on PERSONAL that serves the check.
void ComprobarOperarioLeido(const TRowAsRead& Leido, const QVariant& Codigo,
                            TTable* Personal = nullptr);

// The employee a window shows for the rows it stores under his code, and
// the transaction that checks him and stores a row: read when his code is
// shown with his name (Leer; the same code again keeps him unless DeNuevo);
// before a row's post a transaction begins where none runs and he is
// compared (Comprobar); the post's end confirms it (Terminar(true): false
// when the commit failed, which has said why) or takes it back
// (Terminar(false), or the end of this object). A window whose rows are
// typed one by one forgets him after each (Olvidar): the next row compares
// the one shown then.
class TOperarioMostrado {
public:
    void Leer(const QVariant& Codigo, bool DeNuevo = false);
    void Comprobar(const QVariant& Codigo);
    // Comprobar for a write that is not a dataset's post: a refusal ends
    // the transaction and is told (false then).
    bool Vigente(const QVariant& Codigo);
    bool Terminar(bool Confirmar);
    void Olvidar() { leido_ = false; }

private:
    QVariant codigo_;
    bool leido_ = false;
    TRowAsRead operario_;
    std::optional<TGuardaTransaccion> transaccion_;
};

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

// ---- The record form of a person (rrhhpers_lineas.cpp): the master template
// with what an employee's and a candidate's forms both keep: the histories of
// positions held, training received and analysis groups (the rows of the
// owner name Propietario under the person's code), the key and name edits,
// the identification and instructions pages, the photo above the groups grid,
// the history grids, and the handlers of those histories. Each form builds
// its own controls around these and gives its own checks through the virtual
// members.

class TDBMemo;
class TImage;
class TPageControl;
class TPopupMenu;
class TTabSheet;

class TFichaPersona : public TMaestroFicha {
    Q_OBJECT
public:
    // Codigo: the master's code field, of 1 to CodigoMaximo; Persona: the
    // word for the person in the warnings of a new code ("operario");
    // PerfilGrupos: the profile whose analysis groups the groups grid offers.
    TFichaPersona(QWidget* owner, const QString& Nombre, const QString& Titulo,
                  const char* NombrePropietario, const QString& Codigo, int CodigoMaximo,
                  const QString& Persona, const QString& PerfilGrupos);

    // ---- Components.
    TTable* HPuesto = nullptr;
    TDataSource* DSHPuesto = nullptr;
    TTable* HFormacion = nullptr;
    TDataSource* DSFormacion = nullptr;
    TTable* GATablas = nullptr;
    TDataSource* DSGATablas = nullptr;

    TDBEdit* EditCodigoOperario = nullptr;
    TDBEdit* EditNombre = nullptr;
    TPageControl* PageControl1 = nullptr;
    TTabSheet* PagIdentificacion = nullptr;
    TTabSheet* PagInstrucciones = nullptr;
    TDBEdit* EditCodigoPais = nullptr;
    TDBEdit* EditNombrePais = nullptr;
    TDBComboBox* EditEstadoCivil = nullptr;
    TDBComboBox* EditSexo = nullptr;
    // The photo panel, its picture and pop-up (owned by FotoFicha's form).
    TFotoFicha* FotoFicha = nullptr;
    TPanel* PanelFoto = nullptr;
    TImage* Foto = nullptr;
    TPopupMenu* PopupMenuFoto = nullptr;
    TMenuItem* BorrarlaImgen1 = nullptr;
    TDBGrid* DBGridGA = nullptr;
    TDBGrid* DBGridHPuestos = nullptr;
    TDBGrid* DBGridHFormacion = nullptr;
    TDBMemo* EditInstrucciones = nullptr;

    // ---- State.
    // The person's delete began its transaction; the dataset's delete ends it.
    bool TransaccionBorrado = false;

    // ---- Records.
    // The person's code of the key edit, else the record's (0 without either).
    int CodigoActual() const;
    // Before anything is written under a new person's code: the code must be
    // free and is held for this session (false after the warning). A code
    // changed after rows were written under the held one, or while lines
    // typed under it are pending, is refused.
    bool ReservarCodigoAlta();
    // The new record's code: the next that no live entry of another clerk
    // holds, so that his stored lines never show as this record's.
    void ProponerCodigoAlta();
    // Before a document is added under Clave: the new person typed under it
    // holds his code as for a line (false after the warning).
    Q_INVOKABLE bool ReservarClaveDocumentacion(const QString& Clave);
    // Whether the new person typed holds Clave as his code: his documents
    // go, and are removed, with his entry.
    Q_INVOKABLE bool RetieneClaveDocumentacion(const QString& Clave);
    // A new person's code that exists already, or that another user is
    // entering, is refused at once, so that no line can be posted under
    // another person's code.
    void CampoClaveExit(QObject* Sender) override;
    void Table1BeforePost(TDataSet* DataSet) override;
    // The person's own rows in the line tables; false at the first failure.
    virtual bool EliminarDependientes(int Codigo) = 0;
    // The photo's key in BLOBTAB ("" without a record).
    virtual QString ClaveFoto() = 0;
    virtual void DataSource1DataChange(TField* Field) = 0;
    virtual void Table1BeforeCancel(TDataSet* DataSet) = 0;
    Q_INVOKABLE virtual void Table1AfterScroll(TDataSet* DataSet) = 0;
    virtual void Table1CalcFields(TDataSet* DataSet) = 0;
    Q_INVOKABLE virtual void Table1BeforeDelete(TDataSet* DataSet) = 0;
    void DataSourceStateChange(QObject* Sender);
    // The civil-status and sex lists: the values stored, read as they open.
    Q_INVOKABLE void EditEstadoCivilDropDown(QObject* Sender);
    Q_INVOKABLE void EditSexoDropDown(QObject* Sender);

    // ---- The histories' lines.
    // Before insert, edit and delete of the lines: the person goes into edit.
    virtual void EditarOperario(TDataSet* DataSet) = 0;
    // Before any line of a new person is posted: his code is held.
    virtual void LineaBeforePost(TDataSet* DataSet) = 0;
    // Before a line of a stored person is posted, after its own checks: he
    // is still there, read in the transaction that stores the line (one of
    // its own when the line is posted alone, ended by its after-post or by
    // the post's failure); one another user deleted raises the database's
    // "deleted" error, nothing written.
    void ComprobarPersonaVigente(TDataSet* Linea);
    // A line's BeforePost: a new person's entry learns whether it is a new
    // line or a stored one changed, then the member's checks run.
    void AntesDeGrabarLinea(TDataSet* Linea);
    // Before a training line is deleted: its group goes by the rule of
    // QuitarGrupoFormacion, and a new person's entry no longer shows it stored.
    void QuitarGrupoDeFormacion();
    // The code of the person a line is stored under.
    int CodigoDeLinea(TDataSet* Linea) const;
    // After a line's post: the grid's log, and the row counted for the cancel.
    void LineaAfterPost(TDataSet* DataSet);
    // A new person's lines stored before him (rrhhpers_alta.cpp): the confirm
    // checks in its transaction that each one the window shows as stored
    // still is; those removed meanwhile stop it, are named to the clerk, and
    // are stored again with the person at the next confirm.
    bool AltaConLineasGrabadas() const override;
    bool LineasDelAltaVigentes() override;
    // The person was posted: his code is given up once he is stored, not
    // while the confirm's transaction may still be taken back (its lines
    // would then be taken for an interrupted entry's and removed).
    void AltaGrabada();
    void GrabarDatos() override;
    // Once another program took the held code, the new lines being typed
    // carry the code the clerk gives instead (the stored ones move to it
    // with the confirm).
    void LineasAlNuevoCodigo();
    // The page and line of a line, as the clerk names it ("H.Contratos, línea 1").
    QString DescripcionLinea(TDataSet* Linea) const;
    void HPuestoNewRecord(TDataSet* DataSet);
    // The position's description becomes the person's PuestoTrabajo.
    virtual void HPuestoAfterPost(TDataSet* DataSet);
    void HFormacionNewRecord(TDataSet* DataSet);
    // The training type is mirrored as an analysis group of the person.
    void HFormacionAfterPost(TDataSet* DataSet);
    virtual void HFormacionBeforeDelete(TDataSet* DataSet) = 0;
    void GATablasNewRecord(TDataSet* DataSet);
    void GATablasCalcFields(TDataSet* DataSet);
    // Leaving the code column of a position line fills its description.
    Q_INVOKABLE void DBGridHPuestosColExit(QObject* Sender);

    // ---- Photo.
    // A picture file dropped on the photo: the first one replaces the photo.
    bool SoltarArchivoFoto(const QStringList& Archivos);
    Q_INVOKABLE void BorrarlaImgen1Click(QObject* Sender);

protected:
    // The transaction of a line posted alone, and that line.
    std::optional<TGuardaTransaccion> TransaccionLinea;
    TDataSet* LineaEnTransaccion = nullptr;
    // Confirms or rolls back the transaction Linea's post started.
    void TerminarTransaccionLinea(TDataSet* Linea, bool Confirmar);
    // The histories' tables and sources.
    void CrearHistoricos();
    // The history tables' handlers and those of the record form's own data.
    void ConectarFicha();
    // A new person's lines leave the list of those shown as stored when the
    // clerk deletes one or gives up a new one.
    void ConectarLineasAlta();
    // The page control under the header with its first page, Identificación.
    void CrearPaginas();
    TTabSheet* NuevaPagina(const char* Nombre, const QString& Titulo);
    // The column right of the identification data: the photo above the
    // groups grid.
    void CrearFotoYGrupos(QBoxLayout* Identificacion);
    // The last page, Instrucciones, with the record's instructions memo.
    void CrearPaginaInstrucciones();
    // The search of the control Foco: the country edit's country, or the
    // cell of the groups, positions or training grid.
    void BuscarDatosFicha(QObject* Foco);
    // The position, training and group tables on the person's rows.
    void AsignarRangosHistoricos(int Codigo);
    // The range of a line table from and to Clave, unless the record is in
    // edit and the range stands so already: a range set again re-reads the
    // lines and stands on the first, under a line the user is deleting,
    // typing or looking a code up into (the record put into edit for that
    // line asks for the ranges again).
    void RangoLineas(TTable* Tabla, const QVariantList& Clave);
    // Items of a combo: the distinct values of its field, the current one selected.
    void ValoresCombo(TDBComboBox* Combo);
    // The line tables of the record, in the order they are cancelled and refreshed.
    virtual QList<TTable*> LineasFicha() const = 0;
    // The line tables on the current person's rows.
    virtual void AsignarRangos() = 0;
    // Before the dataset's delete of the person: his rows and the usage log
    // inside one transaction, or inside the caller's (TransaccionAjena), with
    // Borrando set meanwhile. A failure undoes the transaction, warns (but
    // inside the caller's) and aborts the delete.
    void BorrarConDependientes(int Codigo, bool& Borrando, bool TransaccionAjena);

    // The held code of a new person (set by the member's constructor).
    TAltaMaestro* Alta = nullptr;
    // Duplication of history lines: the key of the line current before an
    // insert, per table; the new line copies it when duplication is on.
    rrhhpers::TLineasADuplicar Duplicacion;
    const QString Propietario;
    const QString CampoCodigo;
    const int CodigoMaximo;
    const QString Persona;

private:
    QString perfilGrupos_;
    // The range each line table was last set to.
    QHash<const TTable*, QVariantList> rangos_;
    bool liberarAlta_ = false;
};
