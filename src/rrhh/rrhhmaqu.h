#pragma once
// "Matriz de Capacitación para Máquinas": the capability of every employee
// for every machine of the machine master (MATRMAQU).

#include "rrhh/rrhhcapa_matriz.h"

class TfRRHHMAQU : public TMatrizCapacitacion {
    Q_OBJECT
public:
    explicit TfRRHHMAQU(QWidget* owner = nullptr);
    ~TfRRHHMAQU() override;

    TTable* Maquina;  // MAQUINA

protected:
    QList<TColumnaMatriz> LeerColumnas() override;
    QVariant ValorCodigo(const QString& Codigo) const override;
};

extern TfRRHHMAQU* fRRHHMAQU;

// Puts the form class in the form registry (idempotent).
void RegistrarTfRRHHMAQU();
