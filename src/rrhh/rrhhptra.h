#pragma once
// The job-position master "Maestro de Puestos de Trabajo": table PUESTO
// (Codigo, Descripcion and the profile memo Perfil) on the grid form of the
// master template. Positions are the subject of "Puesto" criteria and
// evaluations, the columns of the position capability matrix and the codes
// of the position histories; deleting one deletes its criteria and cycle.

#include "db/dataset.h"  // Table1BeforeDelete is published with a dataset argument
#include "gene/session/genemaes_rejilla.h"

class TDBMemo;
class TLabel;

class TfRRHHPTRA : public TMaestroRejilla {
    Q_OBJECT
public:
    explicit TfRRHHPTRA(QWidget* owner = nullptr);
    ~TfRRHHPTRA() override;

    TLabel* Label1;
    TDBMemo* DBPerfil;
    TBitBtn* pbAccesoCriterios;

    void Table1BeforePost(TDataSet* DataSet) override;
    void Table1BeforeEdit(TDataSet* DataSet) override;
    // Published: the framework leaves a form's own delete handler in place.
    Q_INVOKABLE void Table1BeforeDelete(TDataSet* DataSet);
    // The criteria form on the current position.
    Q_INVOKABLE void pbAccesoCriteriosClick(QObject* Sender);
};

extern TfRRHHPTRA* fRRHHPTRA;

// Puts the form class in the form registry (idempotent).
void RegistrarTfRRHHPTRA();

// Puts a button at the right end of a master's control panel.
TBitBtn* AgregarBotonPanelControl(TFormularioMaestro* Formulario, const QString& Nombre,
                                  const QString& Caption, const QString& Hint);
