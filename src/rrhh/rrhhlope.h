#pragma once
// The dialog "Listado de Operarios": an employee code range, the current
// job-position range, the contract options and up to five analysis-group
// categories picked from the company profile, which become the report's
// columns; it prints through TfRRQRLOPE. The candidates dialog (TfRRHHLCAN)
// is its twin.

#include "rrhh/rrhhlist.h"

class TListBox;

class TfRRHHLOPE : public TDialogoListado {
    Q_OBJECT
public:
    explicit TfRRHHLOPE(QWidget* owner = nullptr);
    ~TfRRHHLOPE() override;

    TEdit* DesdePuesto;
    TEdit* HastaPuesto;
    TCheckBox* Activos = nullptr;
    TCheckBox* NoActivos = nullptr;
    TListBox* ListaGruposDisponibles;
    TListBox* ListaGruposSeleccionados;
    TBitBtn* pbASelecionados;
    TBitBtn* pbASelecionadosTodo;
    TBitBtn* pbADisponibles;
    TBitBtn* pbADisponiblesTodo;

    bool Validar() override;
    TInformeListado* CrearInforme() override;

    // ">", ">>", "<", "<<".
    void pbASelecionadosClick();
    void pbASelecionadosTodoClick();
    void pbADisponiblesClick();
    void pbADisponiblesTodoClick();

protected:
    // Perfil: the line of the company's category profiles the lists offer.
    TfRRHHLOPE(QWidget* owner, const QString& nombre, const QString& titulo, const QString& Perfil);
    void ValoresIniciales() override;

private:
    void actualizarBotones();
    QString perfil_;
};

extern TfRRHHLOPE* fRRHHLOPE;

void RegistrarTfRRHHLOPE();

// Moves the selected items of Origen (all with Todos) to the end of Destino,
// in list order, and selects the item now at the place of the first one moved
// (the last when that place is past the end); with Todos, the first item of
// Destino.
void MoverCategorias(TListBox* Origen, TListBox* Destino, bool Todos);
