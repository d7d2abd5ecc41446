#pragma once
// The dialog "Listado de Fichas de Candidatos": one candidate sheet per
// candidate of a code range, laid out by a print format of type "Ficha
// Candidato"; the twin of the personnel sheet without contracts and the
// active / inactive options. The candidates master hands it the property
// "RangoListado": a map with "Desde", "Hasta" and "ImprimirDirectamente".

#include <QVariantMap>

#include "rrhh/rrhhlfic.h"

class TfRRHHLFCA : public TDialogoFicha {
    Q_OBJECT
    Q_PROPERTY(QVariantMap RangoListado READ RangoListado WRITE setRangoListado)
public:
    explicit TfRRHHLFCA(QWidget* owner = nullptr);
    ~TfRRHHLFCA() override;

    TEdit* NumeroCopias;

    QVariantMap RangoListado() const;
    // The range first, the print-at-once flag last.
    void setRangoListado(const QVariantMap& Rango);

    bool Validar() override;
    void pbRangoGruposAnalisisCandidatosClick();

protected:
    void Imprimir() override;
};

extern TfRRHHLFCA* fRRHHLFCA;

void RegistrarTfRRHHLFCA();
