#pragma once
// The report of the employees-by-position listing: one line per job
// position an employee held (HPUESTO), with a "*" on his most recent one,
// by position code and start date, by employee or by position, on A4
// portrait.

#include <QDateTime>

#include "rrhh/rrqrlist.h"

class TTable;

class TfRRQRLPUE : public TInformeListado, public TSeleccionOperarios {
    Q_OBJECT
public:
    // Orden ("PorPuesto", anything else by employee) chooses the temporary
    // table, so it comes with the creation.
    explicit TfRRQRLPUE(const QString& Orden = QStringLiteral("PorOperario"),
                        TForm* Dialogo = nullptr, QWidget* owner = nullptr);

    TTable* Personal;
    TTable* HPuesto;
    TQRBand* Detail;

    QString DesdePuesto, HastaPuesto = QStringLiteral("zzzzzzzzzzzzz");
    QDateTime DesdeFecha, HastaFecha;

    static QString DefinicionTemporal(const QString& Orden);

protected:
    QString TituloListado() const override;
    TDataSet* TablaControl() const override;
    void RellenarTemporal() override;
};
