#pragma once
// "Evaluación de Personal": evaluations of employees (EVLCION) against a job
// position ("Puesto") or a training type ("Formacion") on a date, with their
// lines (LEVLCION), the criteria of that position or training type scored by
// the evaluator. The evaluation's score comes from the lines' average and the
// targets of the capability cycle (CICLOCAP) of the level chosen. The record
// form of the master template serves it; the key is made of four controls.
//
// Deleting an evaluation removes its lines, its attachments and the header in
// one transaction. Its electronic documents are filed under the record's
// attachment key, the one the common delete removes.

#include <QString>
#include <QVariantList>
#include <memory>

#include "gene/session/genemaes.h"

class TDBComboBox;
class TDBGrid;
class TDBMemo;
class TField;
class TGuardaTransaccion;
class TPageControl;
class TTabSheet;
namespace rrhhpers {
class TOperarioMostrado;
}

class TfRRHHEVAL : public TMaestroFicha {
    Q_OBJECT
public:
    explicit TfRRHHEVAL(QWidget* owner = nullptr);
    ~TfRRHHEVAL() override;

    // ---- Components.
    TTable* Table2;  // LEVLCION, the lines of the evaluation shown
    TDataSource* DataSource2;
    TPanel* PanelCabecera;
    TDBEdit* EditCodigoOperario;
    TDBComboBox* EditTipo;
    TDBEdit* EditCodigo;
    TDBEdit* EditFechaEvaluacion;
    TDBEdit* EditNombreOperario;
    TDBEdit* EditDescripcionPuesto;
    TDBEdit* EditValoracion;
    TDBEdit* EditCodigoOPerarioEvaluador;
    TDBEdit* EditNombreOperarioEvaluador;
    TDBComboBox* EditNivel;
    TPageControl* PageControl1;
    TTabSheet* TabValoracion;
    TTabSheet* TabObservaciones;
    TDBGrid* DBGrid1;
    TDBMemo* EditObservaciones;
    TPanel* PanelHerramientas;
    TBitBtn* pbImportarCriterios;
    TBitBtn* pbDocumentacionElectronica;
    TBitBtn* ImprimirConDialogo;
    TBitBtn* pbDuplicar;
    // The four controls of the key, in key order.
    QList<QWidget*> ControlesClave;

    // ---- Form and header.
    void FormCreate(QObject* Sender) override;
    void DataSource1StateChange(QObject* Sender) override;
    void IniciarAlta() override;
    void pbCancelarClick(QObject* Sender) override;
    // Leaving the employee code: empty cancels, otherwise 1..9999.
    Q_INVOKABLE void CampoClaveP1Exit(QObject* Sender);
    // Leaving the date: empty cancels; an existing key of the four is warned about.
    void CampoClaveExit(QObject* Sender) override;
    void Table1BeforeInsert(TDataSet* DataSet) override;
    void Table1BeforePost(TDataSet* DataSet) override;
    void Table1AfterPost(TDataSet* DataSet) override;
    void Table1CalcFields(TDataSet* DataSet);
    Q_INVOKABLE void Table1BeforeDelete(TDataSet* DataSet);
    Q_INVOKABLE void Table1AfterScroll(TDataSet* DataSet);
    // The evaluation's type must be one of the combo's; false after the warning.
    Q_INVOKABLE bool ValidacionWinControl(QObject* Sender);
    void BuscarDatosDBEdit(QObject* Sender) override;
    // The levels of the cycle of the type and code shown, as EditNivel's items.
    Q_INVOKABLE void EditNivelDropDown(QObject* Sender);

    // ---- Lines.
    void Table2NewRecord(TDataSet* DataSet);
    void Table2BeforePost(TDataSet* DataSet);
    void Table2AfterPost(TDataSet* DataSet);
    void Table2AfterDelete(TDataSet* DataSet);
    // Ctrl+Delete deletes the line after the question; the key is swallowed.
    void DBGrid1KeyDown(QObject* Sender, int& Key, int Shift);
    Q_INVOKABLE void DBGrid1DblClick(QObject* Sender);

    // ---- Tools.
    // Copies the criteria of the position or training type (of the level
    // shown, when there is one) as the lines of an evaluation that has none.
    Q_INVOKABLE void pbImportarCriteriosClick(QObject* Sender);
    // Copies the evaluation and its lines under the date the user types.
    Q_INVOKABLE void pbDuplicarClick(QObject* Sender);
    Q_INVOKABLE void ImprimirConDialogoClick(QObject* Sender);
    Q_INVOKABLE void pbDocumentacionElectronicaClick(QObject* Sender);
    void DocumentacionElectronica1Click(QObject* Sender) override;

    // The score from the lines and the cycle, written into the header.
    void CalcularValoracionEvaluacion();
    // Whether the current evaluation has electronic documents (the button's glyph).
    bool ConDocumentacion() const { return conDocumentacion_; }

private:
    void ConstruirControles();
    // The lines shown follow the header's key.
    void AjustarLineas();
    void ActualizarGlifoDocumentacion();
    // The header's value of a field as an SQL literal.
    QString Literal(const char* Campo) const;
    // "CodigoOperario = .. AND Tipo = .. AND Codigo = .. AND FechaEvaluacion = .."
    QString CondicionEvaluacion() const;
    bool conDocumentacion_ = false;
    // A delete of the header began this transaction; its end is the delete's.
    bool transaccionBorrado_ = false;
    // A line posted alone: the header's check and the line's write, so that
    // no delete of the header slips between the two.
    std::unique_ptr<TGuardaTransaccion> transaccionLinea_;
    void TerminarTransaccionLinea(bool Confirmar);
    // The employee a new evaluation is typed for, as his name was last
    // shown, checked in the transaction that writes the header.
    std::unique_ptr<rrhhpers::TOperarioMostrado> operarioMostrado_;
    QVariantList rangoLineas_;
    bool rangoAplicado_ = false;
};

extern TfRRHHEVAL* fRRHHEVAL;

// Puts the form class in the form registry (idempotent).
void RegistrarTfRRHHEVAL();
