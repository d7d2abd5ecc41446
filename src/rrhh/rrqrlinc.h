#pragma once
// The reports of the calendar-incidence listing: one row per incidence of
// the selected employees in a date range (table INCCALOP), with the sums of
// the incidence time per employee, per analysis group and for the listing.
// TfRRQRLINC prints the orders led by the employee, TfRRQRLIN2 (rrqrlin2.h)
// those led by the analysis group; incidences without a group form a block
// with an empty code, printed first.

#include <QDateTime>

#include "rrhh/rrqrcale.h"

class TQRDBCalc;
class TQRGroup;

// The selection of one of the two reports, written by the dialog before it
// creates the report: the creation chooses the table by the order.
struct TSeleccionIncidencias {
    int DesdeOperario = 0, HastaOperario = 9999;
    QDateTime DesdeFecha, HastaFecha;
    bool Activos = true, NoActivos = false, SaltoPagina = false;
    QString RangosGruposAnalisis;
    // "Por Operario/Fecha", "Por Operario/Gr.Analisis", "Por Gr.Analisis/Fecha"
    // or "Por Gr.Analisis/Operario".
    QString TipoClasificacion;
};
namespace RRQRLINC {
extern TSeleccionIncidencias Seleccion;
}

class TInformeIncidencias : public TInformeCalendario {
    Q_OBJECT
public:
    TTable* Personal;
    TQRGroup* GrupoOperario;
    TQRGroup* GrupoGrAnalisis;
    TQRBand* Detail;
    TQRBand* PieOperario;
    TQRBand* PieGrAnalisis;
    TQRBand* PieListado;

    const TSeleccionIncidencias Seleccion;

    // The temporary table of an order (empty for an unknown one).
    static QString DefinicionTablaIncidencias(const QString& TipoClasificacion);

protected:
    // PorGrupo: the analysis group is the outer group and the second column
    // shows the employee's name.
    TInformeIncidencias(TForm* Dialogo, QWidget* owner, const QString& nombre,
                        const TSeleccionIncidencias& Seleccion, bool PorGrupo);
    QString TituloListado() const override;
    TDataSet* TablaControl() const override;
    void RellenarTemporal() override;

private:
    TQRGroup* grupo(const QString& nombre, const QString& expresion);
    TQRBand* pie(TQRGroup* grupo, const QString& nombre, const QString& caption, bool reiniciar);
};

class TfRRQRLINC : public TInformeIncidencias {
    Q_OBJECT
public:
    // Dialogo: the dialog that launched the listing (its selection summary).
    explicit TfRRQRLINC(TForm* Dialogo = nullptr, QWidget* owner = nullptr);
};
