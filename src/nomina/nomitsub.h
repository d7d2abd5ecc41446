#pragma once
// The subsidy-type master "Maestro de Tipos de Subsidio" (table TSUBSDIO,
// key Codigo + HastaDias): per type of leave, the scale of sick-leave
// subsidies by day of leave. The grid shows the lines of the code chosen
// in the combo box EditRango above it; a new line takes that code.

#include "gene/session/genemaes_rejilla.h"

class TComboBox;
class TLabel;

class TfNOMITSUB : public TMaestroRejilla {
    Q_OBJECT
public:
    explicit TfNOMITSUB(QWidget* owner = nullptr);
    ~TfNOMITSUB() override;

    TLabel* Label1;
    TComboBox* EditRango;

    void FormCreate(QObject* Sender) override;
    // Table1 limited to the lines of the combo's code.
    Q_INVOKABLE void EditRangoChange(QObject* Sender);
    void Table1NewRecord(TDataSet* DataSet) override;
    void Table1BeforePost(TDataSet* DataSet) override;
    void Buscar1Click(QObject* Sender) override;
    void FiltrarRegistros1Click(QObject* Sender) override;
    void pbRefrescarClick(QObject* Sender) override;

    bool ValidarColumna() override;
    QString ClaveNueva(const QString& TextoClave) override;

private:
    // The code whose lines the grid shows: a new line is stored under it,
    // whatever the box holds while it is being typed.
    QString codigoRango_;
};

extern TfNOMITSUB* fNOMITSUB;

// Puts the form class in the form registry (idempotent).
void RegistrarTfNOMITSUB();
