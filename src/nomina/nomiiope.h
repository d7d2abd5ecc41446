#pragma once
// "Intercambio de Códigos de Operario": the user fills a table of pairs
// (origin code, destination code) and runs the interchange, which rewrites
// every row that refers to the origin so that it refers to the destination,
// one pair per transaction. When the destination already exists the origin's
// master record goes and its rows join the destination's.
//
// Rows both people hold under the same key are settled as nomiiope_filas.h
// says (next free number, the destination's row prevailing, payroll rows
// refusing the pair). A pair is all or nothing: a table that cannot be
// processed, a payroll collision or a failed master or attachment step rolls
// the pair back; it stays "Pendiente" and the incidences name the table and
// the value. Rows whose destination equals their origin are skipped. Every
// "Pendiente" row is checked before anything changes, against the codes as
// the earlier rows leave them; no run starts while another window holds a
// transaction. Tables the company database lacks are skipped, never created.
//
// The candidates' twin (TfRRHHICAN) runs on the same form with its own
// master table, captions and list of columns.

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>

#include "ui/form.h"

class TDBGrid;
class TDataSet;
class TDataSource;
class TMemo;
class TMenuItem;
class TPanel;
class TPopupMenu;
class TStatusBar;
class TTable;
class TButton;
class TMovedorCodigos;
struct TLugarCodigo;

// What tells the employee and the candidate interchanges apart.
struct TDatosIntercambio {
    QString NombreFormulario;  // "fNOMIIOPE"
    QString Titulo;            // the caption
    QString TablaMaestra;      // "PERSONAL"
    QString CampoClave;        // "CodigoOperario"
    int CodigoMaximo;          // the master's key range is 1..CodigoMaximo
    QString TituloOrigen;      // "Operario Origen"
    QString TituloDestino;     // "Operario Destino"
    QString NombreImportar;    // "ImportarOperarios"
    QString TituloImportar;    // "Importar &Operarios"
};

class TfNOMIIOPE : public TForm {
    Q_OBJECT
public:
    explicit TfNOMIIOPE(QWidget* owner = nullptr);
    ~TfNOMIIOPE() override;

    // ---- Components.
    TTable* Temporal;  // the equivalence table
    TDataSource* DataSource1;
    TTable* Maestro;  // the master table the import reads
    TMemo* Memo1;
    TDBGrid* DBGrid1;
    TPanel* PanelControl;
    TButton* pbConforme;
    TButton* pbSalir;
    TStatusBar* StatusBar1;
    TPopupMenu* PopupMenu1;
    TMenuItem* Inicializartabladeequivalencias1;
    TMenuItem* ImportarMaestro;
    TMenuItem* ImportardesdeArchivodeTexto1;
    TMenuItem* ExportaraArchivodeTexto1;
    TMenuItem* IntercambiarDatoOrigenporDatoDestino1;
    TMenuItem* AgregarcifraenDestino;
    TMenuItem* EliminarcifraenDestino;

    // ---- State.
    QStringList Incidencias;
    bool Importando = false;
    bool Ejecutando = false;
    const TDatosIntercambio& Datos() const { return datos_; }

    // ---- Handlers.
    void FormCreate();
    Q_INVOKABLE void pbConformeClick(QObject* Sender);
    Q_INVOKABLE void Inicializartabladeequivalencias1Click(QObject* Sender);
    Q_INVOKABLE void ImportarMaestroClick(QObject* Sender);
    Q_INVOKABLE void ImportardesdeArchivodeTexto1Click(QObject* Sender);
    Q_INVOKABLE void ExportaraArchivodeTexto1Click(QObject* Sender);
    Q_INVOKABLE void IntercambiarDatoOrigenporDatoDestino1Click(QObject* Sender);
    Q_INVOKABLE void AgregarcifraenDestinoClick(QObject* Sender);
    Q_INVOKABLE void EliminarcifraenDestinoClick(QObject* Sender);

    // ---- The steps, for the handlers and the tests.
    // One row (the current one of Temporal): the origin exists, the
    // destination is a code the master takes, and an existing destination is
    // accepted by the user. Preguntar false skips the destination question.
    bool ValidarIntercambio(bool Preguntar = true);
    // Appends a pair as the imports do (not validated); false when the origin
    // is already in the table.
    bool AgregarPar(const QString& Origen, const QString& Destino);
    // Interchanges one pair inside the caller's transaction; false when a
    // step failed (the incidences tell which).
    virtual bool IntercambiarPar(const QString& Origen, const QString& Destino);
    // Moves the rows of a column from the origin to the destination (only the
    // rows of the owner Propietario in a table shared through NombreTabla),
    // with their attachments; a row the destination already holds is settled
    // as the header of nomiiope_filas.h says. A table the company database
    // lacks is skipped as done.
    bool CambiarDato(const QString& Tabla, const QString& Columna, const QString& Origen,
                     const QString& Destino, const QString& Propietario = QString());
    bool EliminarDato(const QString& Tabla, const QString& Columna, const QString& Valor,
                      const QString& Condicion = QString());
    // Whether the master table holds that code.
    bool ExisteCodigo(const QString& Codigo);

protected:
    TfNOMIIOPE(QWidget* owner, const TDatosIntercambio& datos);
    // Where the code is stored, in the order it is rewritten, before the
    // master record.
    virtual QList<TLugarCodigo> LugaresCodigo();
    // The master step (renumber or delete the origin) and the master
    // record's attachments.
    bool IntercambiarMaestroYAnexos(const QString& Origen, const QString& Destino);
    TMovedorCodigos& Movedor();
    // The columns of the data dictionary that Elegir takes (table, column),
    // with the owner's rows only where the table is shared by NombreTabla.
    static QList<TLugarCodigo> LugaresDiccionario(
        const std::function<bool(const QString&, const QString&)>& Elegir,
        const QString& Propietario);

private:
    void construir();
    void temporalBeforePost();
    void temporalCalcFields();
    void dibujarCelda(const QRect& Rect, int Columna, int Estado);
    void ejecutar();
    bool validarPendientes();
    bool otraTransaccion();
    void estado(const QString& Texto);
    struct Fila {
        QString origen, destino, situacion;
    };
    QList<Fila> filas();
    void reponer(const QList<Fila>& Filas);
    void mostrarNombres();
    // Appends pairs loaded in bulk, unchecked; origins already there are
    // left out and told, with the lines refused before (Rechazos).
    void cargar(const QList<std::pair<QString, QString>>& Pares, QStringList Rechazos = {});
    void sumarCifra(const QString& Pregunta, int Signo);
    // Runs a change of every row (given the rows as they were); a refused
    // row puts them all back.
    void reescribir(const std::function<void(const QList<Fila>&)>& Cambio);

    TDatosIntercambio datos_;
    std::unique_ptr<TMovedorCodigos> movedor_;
    QList<TLugarCodigo> lugares_;  // for the run under way
    // While the rows are checked before the run: the codes the checked rows
    // leave, and whether a check uses them.
    QHash<int, bool> simulados_;
    bool simulando_ = false;
};

extern TfNOMIIOPE* fNOMIIOPE;

// Puts the form class in the form registry (idempotent).
void RegistrarTfNOMIIOPE();
