#pragma once
// The analysis-group master "Maestro de Grupos de Análisis": the catalogue
// GRANALIS (Codigo, Descripcion, DescripcionAmpliada, CategoriaGrupo) on the
// grid form of the master template. The grid shows the groups of one
// category, the one chosen in the combo above it; a new group belongs to it.
// A code that exists, typed into a new row, is refused and the row kept.

#include <QString>

#include "gene/session/genemaes_rejilla.h"

class QRect;
class TComboBox;
class TLabel;
class TPanel;

class TfGENEGANA : public TMaestroRejilla {
    Q_OBJECT
public:
    explicit TfGENEGANA(QWidget* owner = nullptr);
    ~TfGENEGANA() override;

    TPanel* Panel2;
    TLabel* Label1;
    TComboBox* EditCategoriaGrupo;

    void FormCreate(QObject* Sender) override;
    void Table1NewRecord(TDataSet* DataSet) override;
    void Table1BeforeInsert(TDataSet* DataSet) override;
    void Table1BeforePost(TDataSet* DataSet) override;
    void Table1AfterPost(TDataSet* DataSet) override;
    void Table1FilterRecord(TDataSet* DataSet, bool& Accept);
    bool ValidarColumna() override;

    // Fills the combo with the catalogue's categories, sorted.
    Q_INVOKABLE void EditCategoriaGrupoDropDown(QObject* Sender);
    Q_INVOKABLE void EditCategoriaGrupoChange(QObject* Sender);
    // The memo window on DescripcionAmpliada.
    Q_INVOKABLE void DBGrid1EditButtonClick(QObject* Sender);
    void DBGrid1DrawColumnCell(QObject* Sender, const QRect& Rect, int DataCol, int State);
};

extern TfGENEGANA* fGENEGANA;

// Puts the form class in the form registry (idempotent).
void RegistrarTfGENEGANA();
