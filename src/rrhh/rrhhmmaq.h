#pragma once
// The machine master "Maestro de Máquinas": the machines whose codes the
// machine capability matrix and its listing use, kept in table MAQUINA
// (Codigo 1..9999, Descripcion) on the grid form of the master template.

#include "gene/session/genemaes_rejilla.h"

class TfRRHHMMAQ : public TMaestroRejilla {
    Q_OBJECT
public:
    explicit TfRRHHMMAQ(QWidget* owner = nullptr);
    ~TfRRHHMMAQ() override;
    void FormCreate(QObject* Sender) override;
};

extern TfRRHHMMAQ* fRRHHMMAQ;

// Puts the form class in the form registry (idempotent).
void RegistrarTfRRHHMMAQ();
