#pragma once
// The personnel master "Maestro de Personal": the employee file PERSONAL with
// the histories shown on its pages (contracts HCONTRAT, leaves BAJA, positions
// held HPUESTO, training received HFORMACI, analysis groups GRANTAB), the
// photo and the instructions memo, on the record form of the master template.
//
// Split by topic: rrhhpers.cpp (controls, record changes, new records and
// lines), rrhhpers_procesos.cpp (calculated fields, the employee delete,
// bulk assignments, leave bases), rrhhpers_foto.cpp (photo, electronic
// documents and the windows opened for the current employee).
//
// A new employee's code is refused when it already exists or another user
// is entering it, before any line can be posted; the remains an interrupted
// entry left under the code are removed then; cancelling the new employee
// removes what was written under his code meanwhile (AltaOperario).

#include <QHash>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "rrhh/rrhhpers_p.h"

class TAltaMaestro;
class TDBComboBox;
class TField;
class TDBGrid;
class TDBLookupComboBox;
class TPopupMenu;
class TSpeedButton;

class TfRRHHPERS : public TFichaPersona {
    Q_OBJECT
public:
    explicit TfRRHHPERS(QWidget* owner = nullptr);
    ~TfRRHHPERS() override;

    // ---- Components.
    TTable* HContrato;
    TDataSource* DSHContratos;
    TTable* Baja;
    TDataSource* DSBaja;
    TTable* Seccion;
    TDataSource* DSSeccion;

    TBitBtn* pbDocumentacionElectronica;
    TBitBtn* ImprimirFicha;
    TTabSheet* PagContratos;
    TTabSheet* PagBajas;
    TTabSheet* PagPuestosTrabajo;
    TTabSheet* PagFormacion;
    TDBEdit* EditLugarNacimiento;
    TDBEdit* EditNumeroHijos;
    TDBEdit* EditNumeroMatricula;
    TDBLookupComboBox* EditCodigoSeccion;
    TDBEdit* EditCodigoCalendario;
    TSpeedButton* CalendarioOperario;
    TDBComboBox* EditTipoOperario;
    TDBComboBox* TipoCotizacion;
    TDBComboBox* EditGrupoCotizacion;
    TPanel* PanelActivoInactivo;
    TBitBtn* ImprimirConDialogo;
    TBitBtn* pbImprimir;
    TDBGrid* DBGrid4;
    TDBGrid* DBGrid3;
    TDBEdit* EditPuestoTrabajo;
    TBitBtn* AccesoEvaluacionPuesto;
    TBitBtn* pbVerHistoricoEvaluacionesPuesto;
    TBitBtn* AccesoEvaluacionFormacion;
    TBitBtn* pbVerHistoricoEvaluacionesFormacion;
    TPopupMenu* PopupMenu1;

    // ---- State.
    // A delete of the employee is running: the history grids no longer put
    // the employee into edit state.
    bool BorrandoOperario = false;
    // The code of the new employee being typed, held for this session.
    std::unique_ptr<TAltaMaestro> AltaOperario;

    // ---- Form and records.
    void FormCreate(QObject* Sender) override;
    void HabilitarModoEdicion(bool Editando) override;
    void pbCancelarClick(QObject* Sender) override;
    void Eliminar1Click(QObject* Sender) override;
    void BuscarDatosDBEdit(QObject* Sender) override;
    void Table1NewRecord(TDataSet* DataSet) override;
    void Table1AfterPost(TDataSet* DataSet) override;
    void DataSource1DataChange(TField* Field) override;
    void Table1BeforeCancel(TDataSet* DataSet) override;
    Q_INVOKABLE void Table1AfterScroll(TDataSet* DataSet) override;
    void HContratoNewRecord(TDataSet* DataSet);
    void BajaNewRecord(TDataSet* DataSet);
    // The line that was current is the source of "Agregar con Duplicación".
    void HContratoBeforeInsert(TDataSet* DataSet);
    void BajaBeforeInsert(TDataSet* DataSet);
    void HFormacionBeforeDelete(TDataSet* DataSet) override;
    // Before insert and edit of the position, training and group lines, and
    // before delete of positions and groups: the employee goes into edit.
    void EditarOperario(TDataSet* DataSet) override;
    // Before any line of a new employee is posted: his code is held.
    void LineaBeforePost(TDataSet* DataSet) override;

    // Leaving the code column of a training line fills its description.
    Q_INVOKABLE void DBGridHFormacionColExit(QObject* Sender);
    // Checks of a leave, contract or training line: false after the warning.
    // The leave check in the grid also requires the start date and the bases
    // of the column being left.
    bool ValidarLineaBaja(bool EnRejilla);
    bool ValidarLineaContrato();
    // A new contract's number is only proposed when its line starts: one
    // another clerk stored meanwhile gives way to the employee's next free one.
    void NumerarContratoNuevo();
    bool ValidarLineaFormacion();
    // The leave codes offered in the "Código Baja" column, refreshed on entry.
    Q_INVOKABLE void DBGrid3ColEnter(QObject* Sender);
    // Contract grid: the contract type search and the lists of the coded
    // columns (double click), the clause editor (ellipsis).
    Q_INVOKABLE void DBGrid4DblClick(QObject* Sender);
    Q_INVOKABLE void DBGrid4EditButtonClick(QObject* Sender);
    // The clause cells show whether they hold text.
    void DBGrid4DrawColumnCell(const QRect& Rect, int DataCol, int State);
    // The Descripcion of a code in a code master (empty when not found).
    QString DescripcionCodigo(const QString& Tabla, const QString& Codigo);

    // The default Instrucciones text of a new employee.
    static QString InstruccionesPorDefecto();

    // ---- Processes (rrhhpers_procesos.cpp).
    void Table1CalcFields(TDataSet* DataSet) override;
    void HPuestoCalcFields(TDataSet* DataSet);
    Q_INVOKABLE void Table1BeforeDelete(TDataSet* DataSet) override;
    // Deletes the employee's histories; false at the first failed statement.
    bool EliminarDependientes(int Codigo) override;
    // Removes what was written under a new employee's code (his cancel) and
    // refreshes the history tables.
    void EliminarRegistrosAlta();
    // One bulk assignment of the pop-up menu (question, prompt, check, field).
    void AsignacionMasiva(int Proceso);
    void ListadoProgramable1Click(QObject* Sender) override;
    Q_INVOKABLE void AsignarHorasMesActual1Click(QObject* Sender);
    Q_INVOKABLE void AsignarDasNoRetribuidosCotizables1Click(QObject* Sender);
    Q_INVOKABLE void AsignarDasNoRetribuidosNoCotizables1Click(QObject* Sender);
    Q_INVOKABLE void AsignarDasdeRegulacin1Click(QObject* Sender);
    Q_INVOKABLE void AsignarFechaHuelga1Click(QObject* Sender);
    Q_INVOKABLE void Asignar1Click(QObject* Sender);
    Q_INVOKABLE void DBGrid3DblClick(QObject* Sender);

    // ---- Photo, documents and linked windows (rrhhpers_foto.cpp).
    // The photo's key in BLOBTAB.
    QString ClaveFoto() override;
    Q_INVOKABLE void pbDocumentacionElectronicaClick(QObject* Sender);
    Q_INVOKABLE void ImprimirConDialogoClick(QObject* Sender);
    Q_INVOKABLE void pbImprimirClick(QObject* Sender);
    Q_INVOKABLE void CalendarioOperarioClick(QObject* Sender);
    Q_INVOKABLE void ImprimirFichaClick(QObject* Sender);
    Q_INVOKABLE void AccesoEvaluacionClick(QObject* Sender);
    Q_INVOKABLE void pbVerHistoricoEvaluacionesClick(QObject* Sender);

private:
    bool Cancelando() const;
    // The pick-list rule when the grid's selected field is Campo.
    bool ReglaLista(TDBGrid* Rejilla, const QString& Campo);
    // A line whose selected field holds a value: both pick-list rules.
    bool ValidarLineaConListas(TDBGrid* Rejilla, const QString& Campo1, const QString& Campo2);
    void AbrirContratos(bool Directamente);
    void ConstruirControles();
    // The tables' fields, with their formats and currency tags, declared
    // before the template prepares the form.
    void DeclararCamposTablas();
    void AsignarRangos() override;
    QList<TTable*> LineasFicha() const override;
};

extern TfRRHHPERS* fRRHHPERS;

// Puts the form class in the form registry (idempotent).
void RegistrarTfRRHHPERS();
