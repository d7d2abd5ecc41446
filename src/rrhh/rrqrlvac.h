#pragma once
// The report of the vacation, bridge and leave-day listing: per employee and
// date the vacation, bridge and leave days of a date range, from the
// employee's company calendar and own calendar, with per-employee and grand
// totals of each kind.

#include <QDateTime>

#include "rrhh/rrqrcale.h"

class TQRGroup;

class TfRRQRLVAC : public TInformeCalendario {
    Q_OBJECT
public:
    // Dialogo: the dialog that launched the listing (its selection summary).
    explicit TfRRQRLVAC(TForm* Dialogo = nullptr, QWidget* owner = nullptr);

    TTable* Personal;
    TQRGroup* GrupoOperario;
    TQRBand* Detail;
    TQRBand* PieOperario;
    TQRBand* PieListado;
    TQRLabel *lbParcialDiasVacaciones, *lbParcialDiasPuentes, *lbParcialDiasPermisos;
    TQRLabel *lbTotalDiasVacaciones, *lbTotalDiasPuentes, *lbTotalDiasPermisos;

    // The selection, written by the dialog after the creation.
    int DesdeOperario = 0, HastaOperario = 9999;
    QDateTime DesdeFecha, HastaFecha;
    bool Activos = true, NoActivos = false, SaltoPagina = false;
    bool Vacaciones = true, Puentes = true, Permisos = true;
    QString RangosGruposAnalisis;

    static const char* const kDefinicionTemporal;

protected:
    QString TituloListado() const override;
    TDataSet* TablaControl() const override;
    void RellenarTemporal() override;

private:
    // Partial and total counts of vacation, bridge and leave days.
    int parcial_[3] = {};
    int total_[3] = {};
};
