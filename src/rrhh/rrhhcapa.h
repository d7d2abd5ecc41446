#pragma once
// "Matriz de Capacitación para Puestos de Trabajo": the capability of every
// employee for every job position (MATRCAPA), with each employee's current
// position beside the name, and the import of the latest evaluation scores.

#include "rrhh/rrhhcapa_matriz.h"

class TfRRHHCAPA : public TMatrizCapacitacion {
    Q_OBJECT
public:
    explicit TfRRHHCAPA(QWidget* owner = nullptr);
    ~TfRRHHCAPA() override;

    TBitBtn* pbImportarEvaluacion;

    // Every position cell gets the score of the employee's latest evaluation
    // for that position, emptied when there is none (or it is 0).
    Q_INVOKABLE void pbImportarEvaluacionClick(QObject* Sender);

protected:
    QList<TColumnaMatriz> LeerColumnas() override;
};

extern TfRRHHCAPA* fRRHHCAPA;

// Puts the form class in the form registry (idempotent).
void RegistrarTfRRHHCAPA();
