#pragma once
// The employee calendars "Maestro de Calendarios de Operario": an employee's
// month over the company calendar (table CALENOPE holds the days that are
// the employee's own, key CodigoOperario, Fecha), the marking of days, the
// deletion of own days of a day, month or year, and the day incidences
// (table INCCALOP, key CodigoOperario, Fecha, Linea) in a grid below. The
// payroll program also generates employee days from contracts and leaves.

#include <QDate>
#include <QString>
#include <memory>

#include "ui/form.h"

class QRect;
class TBitBtn;
class TColumn;
class TComboBox;
class TDataSet;
class TDataSource;
class TDBGrid;
class TDBLookupComboBox;
class TEdit;
class TMenuItem;
class TPanel;
class TPopupMenu;
class TSpeedButton;
class TSpinButton;
class TStringGrid;
class TTable;
struct TDiaCalendario;
namespace rrhhpers {
class TOperarioMostrado;
}

// ---- Without a window.

// The time of an incidence in hours from its start and end times of day; an
// end earlier than the start crosses midnight (22:00-02:00 is 4 hours).
double TiempoIncidencia(const QTime& Inicio, const QTime& Final);

// Generates the days of employees from their contracts and leaves, in the
// payroll program only (elsewhere it changes nothing). For every date of the
// period with a contract in force: a day the employee has already becomes
// "Regulacion Empleo"; a missing day is written as the company calendar
// CodigoCalendarioEmpresa has it (Sunday a holiday, Monday to Friday worked,
// August vacation, where that calendar has no row), with the situation
// Situacion or the type of a leave covering the date. Each employee's
// contracts and leaves are read once; each employee's days are committed
// together. At the first day that cannot be written the warning "¡ Está
// intentando grabar un calendario que ya existe !" ends that employee's
// period (the days before it are kept).
class TGeneradorCalendarioOperario {
public:
    TGeneradorCalendarioOperario(int CodigoCalendarioEmpresa, const QDate& Desde,
                                 const QDate& Hasta, const QString& Situacion);
    ~TGeneradorCalendarioOperario();
    TGeneradorCalendarioOperario(const TGeneradorCalendarioOperario&) = delete;
    TGeneradorCalendarioOperario& operator=(const TGeneradorCalendarioOperario&) = delete;
    // False when the employee's period stopped at a day that could not be written.
    bool Generar(int CodigoOperario);

private:
    struct Datos;
    Datos* d_;
};

// The period of a generation: the month of Mes unless a Desde or Hasta
// text (as typed) is given.
void PeriodoGeneracion(const QString& DesdeFecha, const QString& HastaFecha, const QDate& Mes,
                       QDate& Desde, QDate& Hasta);
// One employee, as the window's routine.
bool GeneraCalendarioOperario(int CodigoOperario, const QString& DesdeFecha,
                              const QString& HastaFecha, int CodigoCalendarioEmpresa,
                              const QString& Situacion, const QDate& Mes);

// ---- The window.

class TfRRHHCAOP : public TForm {
    Q_OBJECT
    // Set by whoever opens the window (the personnel master); the window
    // shows the month again on each.
    Q_PROPERTY(int CodigoOperarioCalendario READ CodigoOperario WRITE setCodigoOperarioCalendario)
    Q_PROPERTY(int EjercicioCalendario READ Ejercicio WRITE setEjercicioCalendario)
    Q_PROPERTY(int MesCalendario READ Mes WRITE setMesCalendario)
    Q_PROPERTY(
        int CodigoCalendarioOperario READ CodigoCalendarioEmpresa WRITE setCodigoCalendarioOperario)
public:
    explicit TfRRHHCAOP(QWidget* owner = nullptr);
    ~TfRRHHCAOP() override;

    // ---- Components.
    TTable* Calendario;   // CALENOPE
    TTable* Incidencias;  // INCCALOP
    TTable* Horario;
    TDataSource* DSIncidencias;
    TDataSource* DSHorario;
    TPanel* PanelControl;
    TEdit* EditOperario;
    TSpinButton* SpinOperario;
    TEdit* EditNombreOperario;
    TEdit* EditEjercicio;
    TSpinButton* SpinEjercicio;
    TEdit* EditMes;
    TSpinButton* SpinMes;
    TPanel* PanelTiposDia;
    TSpeedButton* pbTrabajados;
    TSpeedButton* pbLaborables;
    TSpeedButton* pbFestivos;
    TSpeedButton* pbVacaciones;
    TSpeedButton* pbPermiso;
    TSpeedButton* pbPuente;
    TSpeedButton* pbModificar;
    TSpeedButton* pbZoom;
    TComboBox* EditSituacion;
    TDBLookupComboBox* EditNumeroHorario;
    TBitBtn* pbGenerarCalendario;
    TBitBtn* pbMarcarDiasRegulacionEmpleo;
    TBitBtn* pbEliminarEjercicio;
    TBitBtn* pbEliminar;
    TBitBtn* pbSalir;
    TStringGrid* SGrid;
    TPopupMenu* PopupMenu1;
    TMenuItem* Eliminardia;
    TPanel* PanelIncidencias;
    TDBGrid* DBGrid1;

    // ---- State.
    int CodigoOperario() const { return codigoOperario_; }
    int Ejercicio() const { return ejercicio_; }
    int Mes() const { return mes_; }
    int CodigoCalendarioEmpresa() const { return codigoCalendarioEmpresa_; }
    void setCodigoOperarioCalendario(int v);
    void setEjercicioCalendario(int v);
    void setMesCalendario(int v);
    void setCodigoCalendarioOperario(int v);
    // The cell colours: an employee's own day, a company day.
    int ColorDiaOperario = 13828095;
    int ColorDiaEmpresa = 16777215;

    // ---- Handlers.
    void FormCreate(QObject* Sender);
    void SpinOperarioUpClick(QObject* Sender);
    void SpinOperarioDownClick(QObject* Sender);
    void SpinEjercicioUpClick(QObject* Sender);
    void SpinEjercicioDownClick(QObject* Sender);
    void SpinMesUpClick(QObject* Sender);
    void SpinMesDownClick(QObject* Sender);
    void pbMarcasClick(QObject* Sender);
    void pbZoomClick(QObject* Sender);
    void EliminardiaClick(QObject* Sender);
    void pbEliminarClick(QObject* Sender);
    void pbEliminarEjercicioClick(QObject* Sender);
    void pbGenerarCalendarioClick(QObject* Sender);
    void pbMarcarDiasRegulacionEmpleoClick(QObject* Sender);
    void SGridSelectCell(QObject* Sender, int ACol, int ARow, bool& CanSelect);
    void SGridDrawCell(QObject* Sender, int ACol, int ARow, const QRect& Rect, int State);
    void DBGrid1ColExit(QObject* Sender);
    // Also Ctrl+Enter's, by name: Enter passes over the "..." column.
    Q_INVOKABLE void DBGrid1EditButtonClick(QObject* Sender);
    void DBGrid1DrawColumnCell(QObject* Sender, const QRect& Rect, int DataCol, TColumn* Column,
                               int State);
    Q_INVOKABLE void BuscarDatosDBEdit(QObject* Sender);
    void IncidenciasNewRecord(TDataSet* DataSet);
    void IncidenciasBeforePost(TDataSet* DataSet);

    // Lays the month out, shows the employee's name, reads the days and
    // limits the incidences to the month.
    void MostrarMes();
    // Marks the day of a cell with the palette (only while pbModificar is down).
    void MarcarDia(int ACol, int ARow);
    // The date of a cell of rows 1..6, invalid for an empty cell.
    QDate FechaCelda(int ACol, int ARow) const;
    // The day a cell shows: the employee's own (Propio) or the company's;
    // false when neither has one.
    bool DiaMostrado(const QDate& Fecha, TDiaCalendario& Dia, bool& Propio) const;
    // The window's routine: the month on display unless dates are given.
    bool GeneraCalendarioOperario(int Codigo, const QString& DesdeFecha, const QString& HastaFecha);

private:
    void LeerMes();
    // Posts an incidence line being typed before the month or the employee
    // changes; false, with the reason shown by the session's handler, when
    // it cannot be posted (the line stays to be corrected or cancelled).
    bool GrabarIncidenciaPendiente();
    // The employees of a "Desde/Hasta" range, each run through the routine.
    void GenerarRango(int Desde, int Hasta, const QString& DesdeFecha, const QString& HastaFecha);
    void EliminarDias(const QDate& Desde, const QDate& Hasta, const char* PreguntaIncidencias);

    // The employee shown, as his name was read: his days and incidences are
    // stored or removed only while he is still the one under his code,
    // checked in the transaction that writes them.
    std::unique_ptr<rrhhpers::TOperarioMostrado> operarioMostrado_;

    int codigoOperario_ = 0;
    int ejercicio_ = 0;
    int mes_ = 0;
    int codigoCalendarioEmpresa_ = 0;
    struct DiasMes;
    DiasMes* dias_;
};

extern TfRRHHCAOP* fRRHHCAOP;

// Puts the form class in the form registry (idempotent).
void RegistrarTfRRHHCAOP();
