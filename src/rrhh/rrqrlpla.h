#pragma once
// The report of the training-plan listing: one line per plan line of a year
// (table PLANFORM) of the selected employees, by training action or by
// employee, on A4 landscape.

#include "rrhh/rrqrlist.h"

class TTable;

class TfRRQRLPLA : public TInformeListado {
    Q_OBJECT
public:
    // Dialogo: the dialog that launched the listing (its selection summary).
    explicit TfRRQRLPLA(TForm* Dialogo = nullptr, QWidget* owner = nullptr);

    TTable* Personal;
    TTable* PlanFormacion;
    TQRBand* Detail;

    // The selection, written by the dialog after the creation.
    int Ejercicio = 0;
    int DesdeRevision = 1, HastaRevision = 1;
    int DesdeOperario = 0, HastaOperario = 9999;
    QString DesdeFormacion, HastaFormacion = QStringLiteral("zzzzzzzzzzzzz");
    QString RangosGruposAnalisis;
    bool Activos = true, NoActivos = true, Realizados = true, NoRealizados = true;
    bool Interno = true, Externo = true;
    bool PorAccionFormativa = false, PorOperario = true;

    static const char* const kDefinicionTemporal;

    // The printing key of a plan line: the Part's order, then a separator
    // below every printable character and the employee's code, so that two
    // lines whose order key is the same are both kept.
    static QString Clasificacion(bool PorAccion, const QString& Accion, const QString& Nombre,
                                 int Linea, int CodigoOperario);
    // Whether a line's revision is selected: inside Desde..Hasta, or its
    // absolute value is Hasta.
    static bool RevisionSeleccionada(int Revision, int Desde, int Hasta);

protected:
    QString TituloListado() const override;
    TDataSet* TablaControl() const override;
    void RellenarTemporal() override;
};
