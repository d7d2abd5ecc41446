#pragma once
// "Criterios de Evaluación": for each job position (type "Puesto") and each
// training type (type "Formacion") its evaluation criteria (CRITEVAL) and
// its capability cycle (CICLOCAP: levels, terms and target scores). The
// header is browsed only (PUESTO in Table0 or FORMCION in Table1, chosen in
// EditTipo); the lines of the header shown are kept in two grids, keyed by
// (Tipo, Codigo, Linea). The record form of the master template serves it.

#include <QString>

#include "gene/session/genemaes.h"

class TComboBox;
class TDBGrid;
class TPageControl;
class TTabSheet;

// The type with which the next creation of the form starts ("Formacion" or
// anything else for positions). The position and training-type masters set
// it before opening the form; it keeps its value after the form closes.
extern QString TipoCriterios;

class TfRRHHCRIT : public TMaestroFicha {
    Q_OBJECT
public:
    explicit TfRRHHCRIT(QWidget* owner = nullptr);
    ~TfRRHHCRIT() override;

    TTable* Table0;  // PUESTO (Table1 is FORMCION)
    TTable* Table2;  // CRITEVAL
    TTable* Table3;  // CICLOCAP
    TDataSource* DataSource2;
    TDataSource* DataSource3;
    TPanel* PanelCabecera;
    TDBEdit* EditCodigo;
    TDBEdit* EditDescripcion;
    TComboBox* EditTipo;
    TPageControl* PageControl1;
    TTabSheet* TabCriterios;
    TTabSheet* TabCiclo;
    TDBGrid* DBGrid1;
    TDBGrid* DBGrid2;

    // The header dataset shown (Table0 or Table1).
    TTable* Cabecera() const;
    // The code shown in EditCodigo ("" without a header record).
    QString CodigoCabecera() const;
    // Moves the header to the position or training type with that code.
    bool LocalizarCodigo(const QString& Codigo);

    void FormCreate(QObject* Sender) override;
    Q_INVOKABLE void EditTipoChange(QObject* Sender);
    // On every move of the header: the lines of the record shown, the levels.
    void DataSource1DataChange();
    void DataSource1StateChange(QObject* Sender) override;
    void DataSourceLineasStateChange();
    void Buscar1Click(QObject* Sender) override;
    void Eliminar1Click(QObject* Sender) override;
    void EliminacionMultiple1Click(QObject* Sender) override;
    void FiltrarRegistros1Click(QObject* Sender) override;
    void CopiarRegistrosaOtrasEmpresas1Click(QObject* Sender) override;
    void ListadoProgramable1Click(QObject* Sender) override;
    void DocumentacionElectronica1Click(QObject* Sender) override;
    void pbCancelarClick(QObject* Sender) override;
    void pbPrimeroClick(QObject* Sender) override;
    void pbAnteriorClick(QObject* Sender) override;
    void pbSiguienteClick(QObject* Sender) override;
    void pbUltimoClick(QObject* Sender) override;
    // Posts the criteria line, then the cycle line, being edited.
    void GrabarDatos() override;
    void IniciarAlta() override;
    QString ClaveDocumentacion() override;

    void LineaBeforeInsert(TDataSet* DataSet);
    void LineaNewRecord(TDataSet* DataSet);
    void Table3AfterPost(TDataSet* DataSet);
    // Ctrl+Delete in either grid deletes its line after the question.
    void DBGridKeyDown(TDBGrid* Grid, int& Key, int Shift);

    // The levels of the cycle of the record shown, as the pick list of the
    // Nivel column of both grids.
    void RefrescarNiveles();

private:
    void MostrarCabecera(TTable* Tabla);
    // Key string of the line current when an insertion began (duplication).
    QString claveLinea_;
};

extern TfRRHHCRIT* fRRHHCRIT;

// Puts the form class in the form registry (idempotent).
void RegistrarTfRRHHCRIT();
// Opens the criteria form (or brings it forward) with TipoCriterios := Tipo
// for a new one, and moves its header to Codigo.
void AbrirCriterios(const QString& Tipo, const QString& Codigo);
// Before a position is deleted (in the positions master or here): its
// attachments, criteria and capability cycle go with it.
void EliminarPuestoConLineas(TDataSet* Puesto);
