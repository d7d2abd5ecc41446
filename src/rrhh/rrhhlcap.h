#pragma once
// The dialogs of the capability listings: "Listado de Capacitación para
// Puestos de Trabajo" prints one run of TfRRQRLCAP per 15 job positions of
// its range, each previewed in turn; "Listado de Capacitación para Máquinas"
// prints the first 15 machines of its range once through TfRRQRLMAQ.

#include <QStringList>

#include "rrhh/rrhhlist.h"

class TfRRHHLCAP : public TDialogoListado {
    Q_OBJECT
public:
    explicit TfRRHHLCAP(QWidget* owner = nullptr);
    ~TfRRHHLCAP() override;

    TEdit* DesdePuesto;
    TEdit* HastaPuesto;
    TCheckBox* Activos;
    TCheckBox* NoActivos;

    bool Validar() override;
    TInformeListado* CrearInforme() override { return CrearInformeEjecucion(0); }

    // Positions a run covers.
    static constexpr int kColumnas = 15;

    // The positions of the range, read once per "&Listar": one run per 15;
    // none tells "No existen datos para listar" and runs nothing.
    int Ejecuciones() override;
    TInformeListado* CrearInformeEjecucion(int Ejecucion) override;

private:
    QStringList puestos_;
};

class TfRRHHLMAQ : public TDialogoListado {
    Q_OBJECT
public:
    explicit TfRRHHLMAQ(QWidget* owner = nullptr);
    ~TfRRHHLMAQ() override;

    TEdit* DesdeMaquina;
    TEdit* HastaMaquina;
    TCheckBox* Activos;
    TCheckBox* NoActivos;
    TRadioButton* ListarCodigo;
    TRadioButton* ListarDescripcion;

    bool Validar() override;
    TInformeListado* CrearInforme() override;
};

extern TfRRHHLCAP* fRRHHLCAP;
extern TfRRHHLMAQ* fRRHHLMAQ;

void RegistrarTfRRHHLCAP();
void RegistrarTfRRHHLMAQ();
