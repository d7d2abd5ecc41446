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

#include "gene/genemaes.h"
#include "rrhh/rrhhpers_p.h"

class TAltaMaestro;
class TDBComboBox;
class TDBGrid;
class TDBMemo;
class TField;
class TFotoFicha;
class TImage;
class TPageControl;
class TPopupMenu;
class TSpeedButton;
class TTabSheet;

class TfRRHHCAND : public TMaestroFicha {
    Q_OBJECT
public:
    explicit TfRRHHCAND(QWidget* owner = nullptr);
    ~TfRRHHCAND() override;

    // ---- Components.
    TTable* HPuesto;
    TDataSource* DSHPuesto;
    TTable* HFormacion;
    TDataSource* DSFormacion;
    TTable* GATablas;
    TDataSource* DSGATablas;
    // PERSONAL, written only by the hire.
    TTable* Personal;

    TDBEdit* EditCodigoOperario;
    TDBEdit* EditNombre;
    TSpeedButton* pbDocumentacionElectronica;
    TSpeedButton* ImprimirConDialogo;
    TSpeedButton* EnviarFichaPersonal;
    TPageControl* PageControl1;
    TTabSheet* PagIdentificacion;
    TTabSheet* PagHistoricos;
    TTabSheet* PagInstrucciones;
    TDBEdit* EditCodigoPais;
    TDBEdit* EditNombrePais;
    TDBComboBox* EditEstadoCivil;
    TDBComboBox* EditSexo;
    TDBComboBox* EditTipoOperario;
    TDBComboBox* EditTipoCotizacion;
    TDBComboBox* EditGrupoCotizacion;
    TDBEdit* EditPuestoTrabajo;
    TFotoFicha* FotoFicha;
    TPanel* PanelFoto;
    TImage* Foto;
    TPopupMenu* PopupMenuFoto;
    TMenuItem* BorrarlaImgen1;
    TDBGrid* DBGridGA;
    TDBGrid* DBGridHPuestos;
    TDBGrid* DBGridHFormacion;
    TDBMemo* EditInstrucciones;

    // ---- State.
    // The candidate itself is being deleted: the history grids no longer put
    // him into edit state.
    bool BorrandoCandidato = false;
    // The delete began its transaction; the dataset's delete ends it.
    bool TransaccionBorrado = false;
    // A hire runs: the candidate's delete joins its transaction.
    bool Contratando = false;
    // The code of the new candidate being typed, held for this session.
    std::unique_ptr<TAltaMaestro> AltaCandidato;

    // ---- Form and records.
    void FormCreate(QObject* Sender) override;
    void HabilitarModoEdicion(bool Editando) override;
    void CampoClaveExit(QObject* Sender) override;
    void BuscarDatosDBEdit(QObject* Sender) override;
    void Eliminar1Click(QObject* Sender) override;
    void Table1NewRecord(TDataSet* DataSet) override;
    void Table1BeforePost(TDataSet* DataSet) override;
    void Table1AfterPost(TDataSet* DataSet) override;
    void Table1CalcFields(TDataSet* DataSet);
    void Table1BeforeCancel(TDataSet* DataSet);
    Q_INVOKABLE void Table1BeforeDelete(TDataSet* DataSet);
    Q_INVOKABLE void Table1AfterScroll(TDataSet* DataSet);
    void DataSource1DataChange(TField* Field);
    void DataSourceStateChange(QObject* Sender);
    Q_INVOKABLE void EditEstadoCivilDropDown(QObject* Sender);
    Q_INVOKABLE void EditSexoDropDown(QObject* Sender);
    // Before insert, edit and delete of the position, training and group
    // lines: the candidate goes into edit state.
    void EditarOperario(TDataSet* DataSet);
    void HPuestoNewRecord(TDataSet* DataSet);
    void HPuestoAfterPost(TDataSet* DataSet);
    void HFormacionNewRecord(TDataSet* DataSet);
    void HFormacionAfterPost(TDataSet* DataSet);
    void HFormacionBeforeDelete(TDataSet* DataSet);
    void GATablasNewRecord(TDataSet* DataSet);
    void GATablasCalcFields(TDataSet* DataSet);
    // Before any line of a new candidate is posted: his code is held.
    void LineaBeforePost(TDataSet* DataSet);
    void LineaAfterPost(TDataSet* DataSet);
    // Leaving a column of the position or training grid.
    Q_INVOKABLE void DBGridHPuestosColExit(QObject* Sender);
    Q_INVOKABLE void DBGridHFormacionColExit(QObject* Sender);
    Q_INVOKABLE void DBGridHPuestosEditButtonClick(QObject* Sender);
    Q_INVOKABLE void DBGridHFormacionEditButtonClick(QObject* Sender);
    // The check of the training cell being left: false after its warning.
    bool ValidarLineaFormacion();

    // Before anything is written under a new candidate's code: the code must
    // be free and is held for this session (false after the warning).
    bool ReservarCodigoAlta();
    // The candidate code of the key edit (0 when it holds none).
    int CodigoActual() const;

    // ---- Delete, hire, photo and documents (rrhhcand_procesos.cpp).
    // The candidate's own rows in the histories; false at the first failure.
    bool EliminarDependientes(int Codigo);
    // The photo's key in BLOBTAB ("" without a record).
    QString ClaveFoto();
    bool SoltarArchivoFoto(const QStringList& Archivos);
    Q_INVOKABLE void BorrarlaImgen1Click(QObject* Sender);
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
    void ValoresCombo(TDBComboBox* Combo);
    void AsignarRangos();
    rrhhpers::TLineasADuplicar Duplicacion;
};

extern TfRRHHCAND* fRRHHCAND;

// Puts the form class in the form registry (idempotent).
void RegistrarTfRRHHCAND();
