#pragma once
// "Intercambio de Códigos de Candidatos": the code interchange of the
// employees' window run on the candidates file. A candidate's code is
// rewritten in every column of the data dictionary named after
// "CodigoCandidato", in the candidate's own rows of the position and
// training histories, in the candidates file and in the candidate's
// attachments (documents, analysis groups, contacts, photo and objects).

#include "nomina/nomiiope.h"

class TfRRHHICAN : public TfNOMIIOPE {
    Q_OBJECT
public:
    explicit TfRRHHICAN(QWidget* owner = nullptr);
    ~TfRRHHICAN() override;

protected:
    QList<TLugarCodigo> LugaresCodigo() override;
};

extern TfRRHHICAN* fRRHHICAN;

// Puts the form class in the form registry (idempotent).
void RegistrarTfRRHHICAN();
