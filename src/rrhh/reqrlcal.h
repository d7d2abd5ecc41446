#pragma once
// The report of the employee-calendar listing: per employee and year one
// sheet, a line per month of 40 day cells lined up by weekday, showing the
// schedule of each day (cells in the schedule's colour, with a legend of the
// schedules used) or the day types (worked, working day or holiday,
// vacation, bridge or leave, each third of a cell in its colour, with the
// count of each type), on A4 landscape. A day of the employee's own calendar
// (CALENOPE) replaces the company calendar's day (CALENDAR).

#include <QDate>
#include <QHash>
#include <QList>
#include <QStringList>
#include <array>
#include <memory>

#include "rrhh/rrqrlist.h"

class TField;
class TQRDBText;
class TQRGroup;

// The selection, written by the dialog before it creates the report: the
// creation reads the mode.
namespace REQRLCAL {
extern int DesdeOperario;
extern int HastaOperario;
extern int AnoCalendario;
extern QString Observaciones;
extern QString RangosGruposAnalisis;
extern bool MostrarHorarios;
extern bool MostrarTiposDia;
}  // namespace REQRLCAL

class TfREQRLCAL : public TInformeListado {
    Q_OBJECT
public:
    // Dialogo: the dialog that launched the listing (its selection summary).
    explicit TfREQRLCAL(TForm* Dialogo = nullptr, QWidget* owner = nullptr);
    ~TfREQRLCAL() override;

    TTable* Horario;
    TQRGroup* BandaCabecera;
    TQRBand* Master;
    TQRBand* PieGrupo;
    TQRDBText* LBMes;
    TQRLabel* LBObservaciones;
    TQRLabel* LBHorarios;
    QList<TQRDBText*> LBDia;  // cells 1..40 at index 0..39
    QList<TQRLabel*> CeldasTr, CeldasLaFe, CeldasVaPuPe;
    QList<TQRLabel*> Col, DescHorario;  // legend slots 1..18
    // One entry per schedule shown in the group: "nn-Descripcion|Color", sorted.
    QStringList ListaHorarios;

    // The cell of a day: the weekday of the 1st of its month (Monday 1)
    // plus the day, less one.
    static int CeldaDia(const QDate& Fecha);
    static QString DefinicionTablaCalendario(bool Horarios, bool TiposDia);

protected:
    QString TituloListado() const override;
    TDataSet* TablaControl() const override { return nullptr; }
    void RellenarTemporal() override;

private:
    // The year's rows being read, kept from one batch of employees to the
    // next: the pages of the first employees are made while the others are
    // still to be read.
    struct Carga;
    std::unique_ptr<Carga> carga_;
    void AbrirCalendarios();
    // The month lines of the next `Operarios` employees read; false once
    // every row was read (or the listing cancelled).
    bool CargarOperarios(TRellenoListado& Relleno, int Operarios);
    // A fill stopped while the pages are made: the run ends and none of its
    // pages is printed, shown or written.
    void DescartarPaginas();
    void MasterBeforePrint();
    void PieGrupoBeforePrint();
    TQRLabel* CrearEtiquetaCelda(int n, const QString& tipo);
    bool horarios_;
    bool tiposDia_;
    int operarioImpreso_ = 0;
    struct CamposCelda {
        TField *dia, *horario, *trabajado, *festivo, *vacaciones;
    };
    QList<CamposCelda> camposCeldas_;  // by cell number, looked up once
    TField* campoOperario_ = nullptr;
    struct DatosHorario {
        QString descripcion;
        int color = 0;
    };
    QHash<int, DatosHorario> horariosLeidos_;
    // Per employee the day-type cells written: worked, working day, holiday,
    // vacation, bridge, leave.
    QHash<int, std::array<int, 6>> cuentasTipos_;
};
