#pragma once
// The report of the employees-by-training-level listing: the training
// history rows (HFORMACI) of the selected employees whose start date and
// training code fall in the ranges, in one of three orders, on A4 portrait.

#include <QDateTime>

#include "rrhh/rrqrlist.h"

class TTable;

class TfRRQRLFOR : public TInformeListado, public TSeleccionOperarios {
    Q_OBJECT
public:
    // Orden ("PorOperario", "PorFormacion", anything else by end date)
    // chooses the temporary table, so it comes with the creation.
    explicit TfRRQRLFOR(const QString& Orden = QStringLiteral("PorOperario"),
                        TForm* Dialogo = nullptr, QWidget* owner = nullptr);

    TTable* Personal;
    TTable* HFormacion;
    TQRBand* Detail;

    QString DesdeFormacion, HastaFormacion = QStringLiteral("zzzzzzzzzzzzz");
    QDateTime DesdeFecha, HastaFecha;

    // The temporary table of an order: the three key columns first, in the
    // order of the printing key.
    static QString DefinicionTemporal(const QString& Orden);

protected:
    QString TituloListado() const override;
    TDataSet* TablaControl() const override;
    void RellenarTemporal() override;
};
