#pragma once
// The report of the candidates listing: the employees listing's twin on the
// candidates file (CANDIDAT), with no contract test.

#include "rrhh/rrqrlope.h"

class TfRRQRLCAN : public TfRRQRLOPE {
    Q_OBJECT
public:
    explicit TfRRQRLCAN(TListBox* ListaCategorias = nullptr, TForm* Dialogo = nullptr,
                        QWidget* owner = nullptr);

    TTable*& Candidat = Personal;
    int& DesdeCandidato = DesdeOperario;
    int& HastaCandidato = HastaOperario;

    static const Entidad kCandidatos;
};
