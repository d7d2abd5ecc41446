#include "rrhh/rrqrlcan.h"

const TfRRQRLOPE::Entidad TfRRQRLCAN::kCandidatos = {"fRRQRLCAN",
                                                     "Candidat",
                                                     "CANDIDAT",
                                                     "Codigo",
                                                     "CodigoCandidato",
                                                     "Listado de Candidatos. ",
                                                     "Listado de Candidatos",
                                                     "Candidato: ",
                                                     false};

TfRRQRLCAN::TfRRQRLCAN(TListBox* ListaCategorias, TForm* Dialogo, QWidget* owner)
    : TfRRQRLOPE(kCandidatos, ListaCategorias, Dialogo, owner) {}
