#pragma once
// The maintenance-form template: every master (one table of codes or
// records, browsed, edited, searched and listed) is a TFormularioMaestro with
// the same control panel of ten buttons, the same "&Ficha" menu (group index
// 3, merged into the main window's bar), the same switch between browsing
// and editing, the same key checks and new-record rules.
//
// Two variants stand on it: the record form TMaestroFicha below (one record
// in data controls, the key typed into a key edit and checked on leaving
// it) and the grid form TMaestroRejilla (genemaes_rejilla.h).
//
// A member derives from a variant; its constructor builds its own controls
// into AreaDatos, declares its columns, sets the configuration fields below
// and may override the virtual handlers (calling the template's where it
// wants the common behaviour too). The template's constructor assigns every
// handler; FormCreate (OnCreate) opens the tables through
// AbrirTablasFormulario, so nothing is read before the form is created.
// Handlers are public so that tests drive them without showing the form.

#include <QList>
#include <QString>
#include <exception>
#include <memory>

#include "ui/form.h"

class QChar;
class QVBoxLayout;
class TBitBtn;
class TDBEdit;
class TDBGrid;
class TDataSet;
class TDataSource;
class TMainMenu;
class TMenuItem;
class TPanel;
class TTable;

// Whether anything was typed into the record of `d`: a text still in its
// control is taken into the record first and counts, and so does one its
// field refuses.
bool Tecleado(TDataSet* d);

// The template's texts, shared by the members.
namespace textosmaestro {
inline const char* const kPreguntaEliminar = "¿ Está seguro de querer eliminar el registro ?";
inline const char* const kPreguntaEliminarConLineas =
    "¿Está seguro de querer eliminar el registro y todas sus líneas?";
inline const char* const kRegistroYaExiste = "¡ Este registro ya existe !";
inline const char* const kYaExisteRegistro = "¡ Ya existe el registro !";
inline const char* const kNoPuedeEliminarse = "¡ Este registro no puede eliminarse !";
inline const char* const kRegistroNoModificado = "¡El registro no ha sido modificado!";
inline const char* const kImposibleModificar =
    "¡ Imposible modificar el registro. Es posible que esté siendo modificado por otro "
    "usuario. !";
inline const char* const kPrimerRegistro = "Está Vd. en el primer registro";
inline const char* const kUltimoRegistro = "Está Vd. en el último registro";
inline const char* const kRango9999 = "¡ El valor debe estar entre 1 y 9999 !";
inline const char* const kRango99999999 = "¡ El valor debe estar entre 1 y 99999999 !";
inline const char* const kNoSePuedeGrabar =
    "¡ No se puede grabar el registro porque está bloqueado por otro usuario o porque el dato "
    "introducido no es válido !";
inline const char* const kRegistroNoGrabado = "¡ El registro no ha sido grabado !";
inline const char* const kClaveConLineas =
    "¡ No se puede cambiar la clave del registro: tiene líneas sin grabar con la clave %1 !";
inline const char* const kTransaccionNoCompletada =
    "¡ La transacción no ha sido completada !. Inténtelo de nuevo.";
// F5 or "Agregar" while the record shown, or a line of it, is being edited.
inline const char* const kConfirmeOCancele = "¡ Confirme o cancele antes el registro actual !";
inline const char* const kAgregar = "&Agregar";
inline const char* const kAgregarConDuplicacion = "&Agregar con Duplicación";
}  // namespace textosmaestro

// A confirm's failure caused by the database rather than by a check of the
// form: a busy or held database, a lock wait that ran out, a record another
// user changed or deleted since it was read, a lost connection, a view put
// in place of one of the program's tables.
bool FalloDeLaBase(const std::exception& e);
// Why a confirm failed, for the line under the master's own text: the
// exception translator's words where it knows the error, the program's own
// text for a lost connection, else the short reason (never the statement).
QString MotivoFalloBase(const std::exception& e);
// The warning of a confirm the database refused: the master's own text
// (Texto) with the reason under it; a busy database is no one's edit of the
// record, and only says so.
QString AvisoFalloBase(const QString& Texto, const std::exception& e);

// The records being typed when a confirm begins, as they stand. Once the
// confirm's transaction was rolled back whole (a failure of the database),
// Restaurar puts each one posted since back as typed, never shown as stored,
// and the grids of the form's other lines show what is stored again.
class TEdicionesPendientes {
public:
    TEdicionesPendientes(QObject* Formulario, const QList<TDataSet*>& Registros);
    ~TEdicionesPendientes();
    TEdicionesPendientes(const TEdicionesPendientes&) = delete;
    TEdicionesPendientes& operator=(const TEdicionesPendientes&) = delete;
    // Grabados: the records whose post went through in the transaction.
    void Restaurar(const QList<TDataSet*>& Grabados);

private:
    struct Datos;
    std::unique_ptr<Datos> d_;
};

class TFormularioMaestro : public TForm {
    Q_OBJECT
public:
    // Nombre: the form's Name ("fRRHHMMAQ"); Titulo: its caption;
    // NombreTabla: Table1's table name, made physical at creation
    // (NombreTablaFisico); an empty name leaves Table1's name as the member
    // set it.
    TFormularioMaestro(QWidget* owner, const QString& Nombre, const QString& Titulo,
                       const QString& NombreTabla);
    ~TFormularioMaestro() override;

    // ---- Components.
    TTable* Table1;
    TDataSource* DataSource1;
    TMainMenu* MainMenu1;
    TMenuItem* Ficha1;
    TMenuItem* IralPaneldeControl1;
    TMenuItem* Agregar;
    TMenuItem* Eliminar1;
    TMenuItem* EliminacionMultiple1;
    TMenuItem* Buscar;
    TMenuItem* FiltrarRegistros1;
    TMenuItem* CopiarRegistrosaOtrasEmpresas1;
    TMenuItem* CancelarEdicion1;
    TMenuItem* ListadoProgramable1;
    TMenuItem* DocumentacionElectronica1;
    TMenuItem* Cerrar1;
    TPanel* PanelControl;
    TPanel* PanelNavegador;
    TBitBtn* pbConforme;
    TBitBtn* pbCancelar;
    TBitBtn* pbPrimero;
    TBitBtn* pbAnterior;
    TBitBtn* pbSiguiente;
    TBitBtn* pbUltimo;
    TBitBtn* pbRefrescar;
    TBitBtn* pbEliminar;
    TBitBtn* pbAgregar;
    TBitBtn* pbSalir;

    // ---- Configuration, set by the member's constructor.
    QString TituloMaestro;
    QString NombreTablaMaestro;
    // Warning after a failed post of an edited record (the edit is cancelled).
    QString TextoErrorModificacion = QString::fromUtf8(textosmaestro::kRegistroNoModificado);
    // Warning after a failed post of a new record.
    QString TextoErrorAlta = QString::fromUtf8(textosmaestro::kRegistroYaExiste);
    QString PreguntaEliminar = QString::fromUtf8(textosmaestro::kPreguntaEliminar);
    // The mode of RefrescarDatos ("" or "Apertura/Cierre").
    QString ModoRefresco;
    // pbRefrescar is disabled while editing, and its handler does nothing then.
    bool RefrescoSoloNavegando = false;
    // After a failed post of a new record: true keeps the row in insertion
    // and starts no new row over it (the user corrects it); false cancels it
    // and starts the next row.
    bool MantenerAltaFallida = true;
    // The new record gets Codigo := the table's highest code + 1.
    bool ProponerCodigo = false;
    // Confirming a new record starts the next one at once.
    bool AltaContinua = true;
    // Any post of a new record (also by leaving its row) starts the next one.
    bool AltaTrasGrabarAlta = false;
    // "Eliminación Múltiple" refreshes Table1 afterwards.
    bool RefrescarTrasEliminacionMultiple = true;

    // ---- State.
    int IndiceBusqueda = 0;
    // Key string of the record current when the insertion began.
    QString ClaveAnterior;
    // The state Table1 had when its last post began (dsInsert for a new record).
    int EstadoAntesDeGrabar = 0;
    // The last confirm was refused for a record another user changed or
    // deleted since it was read: cancelling the edit, or "Refrescar", shows
    // what is stored (and the next edit starts from it).
    bool RegistroCambiadoPorOtro = false;

    // ---- Handlers.
    Q_INVOKABLE virtual void FormCreate(QObject* Sender);
    Q_INVOKABLE virtual void FormActivate(QObject* Sender);
    virtual void FormClose(QObject* Sender, TCloseAction& Action);
    virtual void FormKeyDown(QObject* Sender, int& Key, int Shift);
    virtual void FormKeyPress(QObject* Sender, QChar& Key);
    virtual void DataSource1StateChange(QObject* Sender);

    Q_INVOKABLE virtual void IralPaneldeControl1Click(QObject* Sender);
    Q_INVOKABLE virtual void AgregarClick(QObject* Sender);
    Q_INVOKABLE virtual void Eliminar1Click(QObject* Sender);
    Q_INVOKABLE virtual void EliminacionMultiple1Click(QObject* Sender);
    Q_INVOKABLE virtual void Buscar1Click(QObject* Sender);
    Q_INVOKABLE virtual void FiltrarRegistros1Click(QObject* Sender);
    Q_INVOKABLE virtual void CopiarRegistrosaOtrasEmpresas1Click(QObject* Sender);
    Q_INVOKABLE virtual void pbCancelarClick(QObject* Sender);
    Q_INVOKABLE virtual void ListadoProgramable1Click(QObject* Sender);
    Q_INVOKABLE virtual void DocumentacionElectronica1Click(QObject* Sender);
    Q_INVOKABLE virtual void Cerrar1Click(QObject* Sender);
    Q_INVOKABLE virtual void pbConformeClick(QObject* Sender);
    Q_INVOKABLE virtual void pbPrimeroClick(QObject* Sender);
    Q_INVOKABLE virtual void pbAnteriorClick(QObject* Sender);
    Q_INVOKABLE virtual void pbSiguienteClick(QObject* Sender);
    Q_INVOKABLE virtual void pbUltimoClick(QObject* Sender);
    Q_INVOKABLE virtual void pbRefrescarClick(QObject* Sender);
    Q_INVOKABLE virtual void Salir1Click(QObject* Sender);
    // F2 or a double click on a code field: the member's own lookups.
    Q_INVOKABLE virtual void BuscarDatosDBEdit(QObject* Sender);

    // Posts the record being edited or inserted; failures warn (see the
    // configuration) and leave the form usable. The detail lines being typed
    // are posted first, in one transaction with the record. A failure of the
    // database (FalloDeLaBase, or a commit that fails) rolls it back whole
    // and leaves the window as it was before the confirm: the record and
    // each line still being typed, with every value, the box giving the
    // master's text and the reason. A duplicate key takes back the lines
    // posted with it (and cancels the record unless it is kept for
    // correction); a refusal by a check keeps the lines posted before it.
    virtual void GrabarDatos();
    // Posts every detail line being typed (any dataset of the form but
    // Table1 in edit or insert state, in the order the form made them); a
    // new line nobody typed into is dropped.
    // The first that fails stops: its own message is shown (a check's
    // warning, else the error as the common handling words it), its grid
    // takes the focus, and false is answered. Grabadas receives the
    // datasets posted.
    // PorLaBase tells whether the failure was the database's (FalloDeLaBase).
    bool GrabarLineasPendientes(QList<TDataSet*>* Grabadas = nullptr, bool* PorLaBase = nullptr);
    // The datasets of the form, but Table1, in edit or insert state.
    QList<TDataSet*> LineasPendientes() const;
    // Before another record is shown (navigation, search, any scroll of the
    // record's dataset): a line being typed in a grid of the form belongs to
    // the record on screen, so it is posted now. When its post fails, the
    // reason has been shown and false is answered: the record must stay,
    // with the line as typed.
    bool LineasAntesDeCambiarRegistro();
    // The grid showing the dataset comes forward (its page shown) with the focus.
    void MostrarRejillaDe(TDataSet* Lineas);
    // The form's grid showing the dataset, or nullptr.
    TDBGrid* RejillaDe(TDataSet* Lineas) const;
    // Before the lines being typed are posted: they still carry the record's
    // key (false after the warning).
    virtual bool LineasConClaveDelRegistro();
    // A new record whose lines were stored before it: its confirm runs in a
    // transaction even with no line being typed, and LineasDelAltaVigentes
    // checks there, once the typed lines are posted and before the record,
    // that those stored lines still are. False after the member's warning:
    // the confirm is taken back whole, everything kept as typed.
    virtual bool AltaConLineasGrabadas() const;
    virtual bool LineasDelAltaVigentes();

    virtual void Table1BeforeInsert(TDataSet* DataSet);
    virtual void Table1NewRecord(TDataSet* DataSet);
    virtual void Table1BeforePost(TDataSet* DataSet);
    virtual void Table1AfterPost(TDataSet* DataSet);
    // A cancel brings back the record shown before without a scroll: what
    // follows the current record (the documents window and button, the
    // photo) is shown again for it through Table1's after-scroll handler.
    virtual void Table1AfterCancel(TDataSet* DataSet);

    // Enables the buttons and items of the mode: editing enables only
    // confirm and cancel.
    virtual void HabilitarModoEdicion(bool Editando);
    // Whether the form is editing (Table1 in edit, insert or set-key state;
    // the record form asks every dataset of the form).
    virtual bool Editando() const;
    // Starts a new record (grid: first column, append; record: insert, key edit).
    virtual void IniciarAlta() = 0;
    // The key of the record's electronic documents (the key values joined by "|").
    virtual QString ClaveDocumentacion();
    // Ctrl+Delete in a grid of Lineas: with Lineas not being edited, asks and
    // deletes the current line, with what its delete handlers remove, in one
    // transaction (a failure warns and leaves all); the key is consumed.
    // Other keys pass untouched.
    void TeclaEliminarLinea(TDataSet* Lineas, int& Key, int Shift);

protected:
    // Where the member puts its controls, above the control panel.
    QVBoxLayout* AreaDatos;
    // Runs `paso` and tells whether it went through; a failure that is not a
    // silent abort shows `aviso` (kind "A").
    bool Intentar(const std::function<void()>& paso, const QString& aviso);

private:
    TMenuItem* NuevoItem(const QString& nombre, const QString& caption, int tecla,
                         const QString& hint);
    TBitBtn* NuevoBoton(const QString& nombre, const QString& hint);
};

// The record form: one record at a time in data controls, the key typed into
// the key edit CampoClave (set by the member's constructor) and checked when
// the user leaves it. A duplicate key is warned about there and refused by
// the post.
class TMaestroFicha : public TFormularioMaestro {
    Q_OBJECT
public:
    TMaestroFicha(QWidget* owner, const QString& Nombre, const QString& Titulo,
                  const QString& NombreTabla);
    ~TMaestroFicha() override;

    TDBEdit* CampoClave = nullptr;
    // The key text was changed while the record was being edited.
    bool CampoClaveModificado = false;
    // The key of the new record as it stood when the insertion began or the
    // key edit was last left: the lines typed meanwhile carry it.
    QString ClaveAlta;
    // Warning of a key change refused while lines are pending ("%1": the key
    // they carry).
    QString TextoClaveConLineas = QString::fromUtf8(textosmaestro::kClaveConLineas);

    // A new record keeps the key its pending lines carry, so that they are
    // never saved under a key the record does not have: another key in
    // Texto is refused with the warning, the key edit and field get the
    // lines' key back, and false is answered.
    bool ConservarClaveAlta(const QString& Texto);
    bool LineasConClaveDelRegistro() override;

    // Also: every grid of the form's lines deletes its line on Ctrl+Delete
    // (after the grid's own key handler, which may have consumed the key).
    void FormCreate(QObject* Sender) override;
    void DataSource1StateChange(QObject* Sender) override;
    Q_INVOKABLE virtual void CampoClaveExit(QObject* Sender);
    virtual void CampoClaveChange(QObject* Sender);

    bool Editando() const override;
    void IniciarAlta() override;
};
