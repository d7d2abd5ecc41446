#pragma once
// The candidates master "Maestro de Candidatos": the file of job applicants
// CANDIDAT with the positions and training they bring (rows of HPUESTO and
// HFORMACI owned by "CANDIDAT"), their analysis groups (GRANTAB), photo,
// instructions and electronic documents, on the record form of the master
// template; and the hire, which turns a candidate into an employee of
// PERSONAL with everything he has.
//
// Split by topic: rrhhcand.cpp (controls, record changes, new records and
// lines), rrhhcand_procesos.cpp (the candidate delete, the hire, photo,
// documents and the card listing).
//
// A new candidate's code is held as the personnel master holds a new
// employee's (AltaCandidato): refused when it exists or another user enters
// it, the remains of an interrupted entry removed, and what was written
// under it removed again by the cancel.
//
// The card listing TfRRHHLFCA is opened by class name and handed the
// property "RangoListado": a map with "Desde" and "Hasta" (the candidate
// code) and "ImprimirDirectamente" (false).

#include <QString>
#include <QVariant>
#include <memory>

#include "rrhh/rrhhpers_p.h"

class TAltaMaestro;
class TDBComboBox;
class TField;
class TSpeedButton;

class TfRRHHCAND : public TFichaPersona {
    Q_OBJECT
public:
    explicit TfRRHHCAND(QWidget* owner = nullptr);
    ~TfRRHHCAND() override;

    // ---- Components.
    // PERSONAL, written only by the hire.
    TTable* Personal;

    TSpeedButton* pbDocumentacionElectronica;
    TSpeedButton* ImprimirConDialogo;
    TSpeedButton* EnviarFichaPersonal;
    TTabSheet* PagHistoricos;
    TDBComboBox* EditTipoOperario;
    TDBComboBox* EditTipoCotizacion;
    TDBComboBox* EditGrupoCotizacion;
    TDBEdit* EditPuestoTrabajo;

    // ---- State.
    // The candidate itself is being deleted: the history grids no longer put
    // him into edit state.
    bool BorrandoCandidato = false;
    // A hire runs: the candidate's delete joins its transaction.
    bool Contratando = false;
    // The code of the new candidate being typed, held for this session.
    std::unique_ptr<TAltaMaestro> AltaCandidato;

    // ---- Form and records.
    void FormCreate(QObject* Sender) override;
    void HabilitarModoEdicion(bool Editando) override;
    void BuscarDatosDBEdit(QObject* Sender) override;
    void Eliminar1Click(QObject* Sender) override;
    void Table1NewRecord(TDataSet* DataSet) override;
    void Table1AfterPost(TDataSet* DataSet) override;
    void Table1CalcFields(TDataSet* DataSet) override;
    void Table1BeforeCancel(TDataSet* DataSet) override;
    Q_INVOKABLE void Table1BeforeDelete(TDataSet* DataSet) override;
    Q_INVOKABLE void Table1AfterScroll(TDataSet* DataSet) override;
    void DataSource1DataChange(TField* Field) override;
    // Before insert, edit and delete of the position, training and group
    // lines: the candidate goes into edit state.
    void EditarOperario(TDataSet* DataSet) override;
    // Besides the employee's handling: the candidate keeps the analysis group
    // of his latest position only.
    void HPuestoAfterPost(TDataSet* DataSet) override;
    void HFormacionBeforeDelete(TDataSet* DataSet) override;
    // Before any line of a new candidate is posted: his code is held.
    void LineaBeforePost(TDataSet* DataSet) override;
    // Leaving a column of the training grid.
    Q_INVOKABLE void DBGridHFormacionColExit(QObject* Sender);
    Q_INVOKABLE void DBGridHPuestosEditButtonClick(QObject* Sender);
    Q_INVOKABLE void DBGridHFormacionEditButtonClick(QObject* Sender);
    // The check of the training cell being left: false after its warning.
    bool ValidarLineaFormacion();

    // ---- Delete, hire, photo and documents (rrhhcand_procesos.cpp).
    // The candidate's own rows in the histories; false at the first failure.
    bool EliminarDependientes(int Codigo) override;
    QString ClaveFoto() override;
    Q_INVOKABLE void pbDocumentacionElectronicaClick(QObject* Sender);
    Q_INVOKABLE void DocumentacionElectronica1Click(QObject* Sender) override;
    Q_INVOKABLE void ImprimirConDialogoClick(QObject* Sender);
    Q_INVOKABLE void EnviarFichaPersonalClick(QObject* Sender);
    // The hire of the current candidate under employee code Operario, all or
    // nothing; false after a warning.
    bool Contratar(int Operario);

private:
    void ConstruirControles();
    void DeclararCamposTablas();
    void AsignarRangos() override;
    QList<TTable*> LineasFicha() const override;
};

extern TfRRHHCAND* fRRHHCAND;

// Puts the form class in the form registry (idempotent).
void RegistrarTfRRHHCAND();
