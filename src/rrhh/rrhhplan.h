#pragma once
// The training plan "Plan de Formación": one line per employee and planned
// training action of a year (table PLANFORM, key year, employee, line), on
// the grid form of the master template. New lines start from the employee's
// department; lines marked done may be recorded in the employee's training
// history and analysis groups; pending lines are carried to the next year,
// a revision is set on the lines shown and a line is repeated for every
// employee with a contract in force.

#include <QVariant>
#include <memory>

#include "db/dataset.h"
#include "gene/session/genemaes_rejilla.h"

class TDBEdit;
class TLabel;
class TPopupMenu;
class TSpinEdit;
namespace rrhhpers {
class TOperarioMostrado;
}

class TfRRHHPLAN : public TMaestroRejilla {
    Q_OBJECT
public:
    explicit TfRRHHPLAN(QWidget* owner = nullptr);
    ~TfRRHHPLAN() override;

    // ---- Components.
    TTable* Table2;  // PLANFORM, written by the batch operations
    TTable* Personal;
    TTable* HFormacion;
    TTable* GATablas;
    TPanel* PanelSuperior;
    TLabel* LabelEjercicio;
    TSpinEdit* EditEjercicio;
    TBitBtn* pbDocumentacionElectronica;
    TBitBtn* ImprimirConDialogo;
    TDBEdit* EditNombre;
    TMenuItem* ListarFichaActual1;
    TMenuItem* FormatoOriginal1;
    TMenuItem* APaginaCompleta1;
    TPopupMenu* PopupMenu1;
    TMenuItem* FiltrarRegistrosporValorIgualA;
    TMenuItem* FiltrarRegistrosporValorDesde;
    TMenuItem* FiltrarRegistrosporValorHasta;
    TMenuItem* CancelarFiltros1;
    TMenuItem* PasarCursosPendientesalSiguienteEjercicio1;
    TMenuItem* PasarCursosSeleccionadosalSiguienteEjercicio1;
    TMenuItem* AsignarRevision1;
    TMenuItem* RepetirparatodoslosOperarios1;

    // ---- State.
    // The state Table1 had when its last post began.
    TDataSetState EstadoAnterior = dsInactive;
    // "Name=text" values of the line last posted or edited.
    QVariant ValoresUltimaLinea;

    // The year shown (the spin box).
    int Ejercicio() const;

    // ---- Handlers.
    void FormCreate(QObject* Sender) override;
    void FormClose(QObject* Sender, TCloseAction& Action) override;
    Q_INVOKABLE void EditEjercicioChange(QObject* Sender);
    void Table1NewRecord(TDataSet* DataSet) override;
    void Table1BeforeEdit(TDataSet* DataSet) override;
    void Table1BeforePost(TDataSet* DataSet) override;
    void Table1AfterPost(TDataSet* DataSet) override;
    void Table1CalcFields(TDataSet* DataSet);
    void Table1AfterScroll(TDataSet* DataSet);
    void Table2AfterPost(TDataSet* DataSet);
    void DBGrid1ColExit(QObject* Sender) override;
    void DBGrid1DblClick(QObject* Sender) override;
    void Buscar1Click(QObject* Sender) override;
    void FiltrarRegistros1Click(QObject* Sender) override;
    QString ClaveDocumentacion() override;

    Q_INVOKABLE void FiltrarRegistrosporValorClick(QObject* Sender);
    Q_INVOKABLE void CancelarFiltros1Click(QObject* Sender);
    Q_INVOKABLE void PasarCursosPendientesalSiguienteEjercicio1Click(QObject* Sender);
    Q_INVOKABLE void PasarCursosSeleccionadosalSiguienteEjercicio1Click(QObject* Sender);
    Q_INVOKABLE void AsignarRevision1Click(QObject* Sender);
    Q_INVOKABLE void RepetirparatodoslosOperarios1Click(QObject* Sender);
    Q_INVOKABLE void FormatoOriginal1Click(QObject* Sender);
    Q_INVOKABLE void APaginaCompleta1Click(QObject* Sender);
    Q_INVOKABLE void ImprimirConDialogoClick(QObject* Sender);
    Q_INVOKABLE void pbDocumentacionElectronicaClick(QObject* Sender);

    // Shows the line of a search result: its year in the spin box, then the
    // line itself. A null key changes nothing.
    void MostrarClave(const QVariant& Clave);
    // The line check: the employee exists (when Campo is CodigoOperario or
    // empty) and the selected column's value is one of its pick list.
    bool ValidarLinea(const QString& Campo);

private:
    // The employee's department: the last analysis group "DEP".."DEPZZ" of
    // the employee and its description; false when there is none.
    bool DepartamentoOperario(int Codigo, QString& Grupo, QString& Descripcion);
    void AsignarDepartamento(TDataSet* Linea, bool VaciarSinGrupo);
    // Offers to record a line marked done in the history and as a group.
    void OfrecerHistorico(TDataSet* Linea);
    void Carry(bool Seleccionados);
    // Keeps the values of a batch line whose edit did not end in a post.
    void GuardarValoresPendientes();
    // Keeps the values of the last line a batch operation posted.
    void GuardarValoresLote();
    void AplicarRango();
    void ImprimirFormulario(bool AjustarPagina);

    // A batch operation edits lines whatever column the grid has selected.
    bool EnProceso = false;
    // The last employee found during a batch operation: its lines come one
    // after the other, and asking the database again for each costs as much
    // as writing the line.
    QString OperarioComprobado;
    // The form's datasets but Table1, taken when a batch operation starts:
    // each line it posts looks only at them for lines being typed, as the
    // form's set does not change while it runs.
    QList<TDataSet*> ConjuntosLote;
    // A batch operation's line being edited whose values are kept when its
    // post ends (or, when the edit fails, once it is cancelled).
    bool ValoresPendientes = false;
    // The last line a batch operation posted: its values are kept when the
    // operation ends, as each line's would be by the next.
    TBookmark UltimaLineaLote;
    bool LineaLotePendiente = false;
    // The print dialog is open.
    bool Imprimiendo = false;
    // The employee of the line being typed, as his name was shown: the
    // line is stored only for him, checked in the transaction that writes it.
    std::unique_ptr<rrhhpers::TOperarioMostrado> operarioMostrado_;
};

extern TfRRHHPLAN* fRRHHPLAN;

// Puts the form class in the form registry (idempotent).
void RegistrarTfRRHHPLAN();
