#pragma once
// The company calendars "Maestro de Calendarios" (table CALENDAR, key
// Codigo, Fecha): one row per day of a calendar year saying whether it is
// worked, a holiday, a vacation or a bridge day and which schedule applies.
// The window shows one month of one calendar as a 7 x 7 grid; a year is
// generated, marked day by day, deleted and copied to other calendars.
// The month layout and the drawing of a day's marks serve the employee
// calendars too.

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

#include "ui/form.h"

class QBoxLayout;
class QPainter;
class QRect;
class QSqlQuery;
class TDatabase;
class TDataSource;
class TDBLookupComboBox;
class TEdit;
class TMainMenu;
class TMenuItem;
class TPanel;
class TSpeedButton;
class TSpinButton;
class TStringGrid;
class TTable;
class TBitBtn;

// ---- Shared by the calendar windows.

// The 42 day cells of rows 1..6 of a month, Monday first: cell i (0-based)
// holds its day number, or 0 before the 1st and after the last day.
QVector<int> CeldasMes(int Ano, int Mes);
// Rows 0..6 of a calendar grid: the weekday titles and the month's days.
void RellenarRejillaMes(TStringGrid* Rejilla, int Ano, int Mes);

// What a calendar day says: the "SI"/"NO" flags, the schedule and (employee
// days only) the leave flag and the situation.
struct TDiaCalendario {
    QString Trabajado;
    QString Festivo;
    QString Vacaciones;
    QString Puente;
    QString Permiso;
    QString Situacion;
    int NumeroHorario = 0;
};
using TDiasCalendario = QHash<QDate, TDiaCalendario>;

// The marks of a day in "Small Fonts" 6 bold: "Tr" (worked) at 26 pixels
// from the left, "Fe" or "La" at 38 (nothing when the holiday flag is empty),
// "Va" at 50, "Pu" at 62, "Pe" at 74, all 20 pixels below the top, and the
// situation's abbreviation right-aligned at 12 from the top (Marcas); the
// schedule number, when not 0, right-aligned at 3 from the top (Horario).
void DibujarMarcasDia(QPainter* Lienzo, const QRect& Celda, const TDiaCalendario& Dia, bool Marcas,
                      bool Horario);
// The abbreviation a situation is drawn with ("Enfermedad" -> "Enf."); ""
// for an unknown one.
QString AbreviaturaSituacion(const QString& Situacion);
// Row 0: the weekday title at 2, 2, size 8, bold, blue.
void DibujarTituloDia(QPainter* Lienzo, const QRect& Celda, const QFont& Base,
                      const QString& Titulo);
// The day number at 2, 2, black, today's in red.
void DibujarNumeroDia(QPainter* Lienzo, const QRect& Celda, const QFont& Base, const QDate& Fecha,
                      bool Negrita);
// The counters of the calendar windows: a code or a year within 1..9999,
// a month that runs into the next or previous year (not past 1 or 9999).
void MoverContador(int& Valor, int Paso);
void MoverMes(int& Ano, int& Mes, int Paso);
// A read-only box with a label and a spin button beside it, on a row of the panel.
void CrearContador(QWidget* Panel, QBoxLayout* Fila, const char* Etiqueta, const char* NombreEdit,
                   const char* NombreSpin, int Ancho, TEdit*& Edit, TSpinButton*& Spin);
// A palette toggle of PanelTiposDia: bold caption in its colour.
TSpeedButton* BotonPaleta(TPanel* Panel, const char* Nombre, const char* Caption, int Color,
                          const char* Hint, int Grupo);
// The palette of day types "PanelTiposDia" on Panel with the toggles both
// calendars have (groups 1 to 4); a window adds its others by BotonPaleta.
TPanel* CrearPanelTiposDia(QWidget* Panel, TSpeedButton*& Trabajados, TSpeedButton*& Laborables,
                           TSpeedButton*& Festivos, TSpeedButton*& Vacaciones);
// The schedule chooser, labelled "Horario:", on a row of the panel: the
// schedules of Horarios by number, shown by description.
TDBLookupComboBox* CrearSelectorHorario(QWidget* Panel, QBoxLayout* Fila, TDataSource* Horarios);
// The month grid "SGrid" of 7 x 7 cells of Ancho x Alto pixels (row 0 the
// weekdays), drawn by its window, without scroll bars.
TStringGrid* CrearRejillaMes(QWidget* Padre, int Ancho, int Alto);
// The flags of a day as a calendar query reads them, in columns 1 to 4:
// worked, holiday, vacation and bridge.
TDiaCalendario DiaLeido(const QSqlQuery& Consulta);
// The company database; the bounds of whole days Desde..Hasta as it binds them.
TDatabase* BaseCalendarios();
QVariantList LimitesDias(TDatabase* Base, const QDate& Desde, const QDate& Hasta);
// Whether the running program draws the flags and the schedule number on the
// day cells (payroll: flags; this program: both; attendance: the number).
bool CalendarioMuestraMarcas();
bool CalendarioMuestraHorario();

// ---- Company calendars, without a window.

// The days of calendar Codigo from Desde to Hasta (both included).
TDiasCalendario LeerDiasCalendario(int Codigo, const QDate& Desde, const QDate& Hasta);
// The day generated for a date: Sunday a holiday, Monday to Friday worked,
// every day of August a vacation day and not worked; the schedule only on a
// day that is neither a vacation, a bridge nor a holiday.
TDiaCalendario DiaGenerado(const QDate& Fecha, int NumeroHorario);
// Generates 1 January to 31 December of Ano for calendar Codigo in date
// order; at the first day that exists already the warning "¡ Está
// intentando grabar un calendario que ya existe !" and false, the days
// before it kept. A year outside 1..9999 is refused with a warning (false).
bool GenerarAnoCalendario(int Codigo, int Ano, int NumeroHorario);
// Deletes that year of that calendar (bounds from the year number); a year
// outside 1..9999 is refused with the same warning (false).
bool EliminarAnoCalendario(int Codigo, int Ano);
// Copies year Ano of calendar Origen over calendars Desde..Hasta, each
// target's year replaced in one transaction; Origen itself is never a
// target. False when a target could not be written or the year is outside
// 1..9999 (refused with the warning before anything is touched).
bool CopiarAnoCalendario(int Origen, int Ano, int Desde, int Hasta);

class TfNOMICALE : public TForm {
    Q_OBJECT
public:
    explicit TfNOMICALE(QWidget* owner = nullptr);
    ~TfNOMICALE() override;

    // ---- Components.
    TTable* Calendario;
    TTable* Horario;
    TDataSource* DSHorario;
    TMainMenu* MainMenu1;
    TMenuItem* Ficha1;
    TMenuItem* IralPaneldeControl1;
    TMenuItem* Agregar;
    TMenuItem* Eliminar1;
    TMenuItem* Buscar;
    TMenuItem* Cerrar1;
    TPanel* PanelControl;
    TEdit* EditCalendario;
    TSpinButton* SpinCalendario;
    TEdit* EditEjercicio;
    TSpinButton* SpinEjercicio;
    TEdit* EditMes;
    TSpinButton* SpinMes;
    TDBLookupComboBox* EditNumeroHorario;
    TPanel* PanelTiposDia;
    TSpeedButton* pbTrabajados;
    TSpeedButton* pbLaborables;
    TSpeedButton* pbFestivos;
    TSpeedButton* pbVacaciones;
    TSpeedButton* pbPuente;
    TBitBtn* pbDuplicar;
    TBitBtn* pbCopiaMasiva;
    TBitBtn* pbNuevo;
    TBitBtn* pbEliminar;
    TBitBtn* pbSalir;
    TStringGrid* SGrid;

    // ---- State: the calendar, year and month on display.
    int CodigoCalendario = 1;
    int Ejercicio = 0;
    int Mes = 0;

    // ---- Handlers.
    void FormCreate(QObject* Sender);
    void SpinCalendarioUpClick(QObject* Sender);
    void SpinCalendarioDownClick(QObject* Sender);
    void SpinEjercicioUpClick(QObject* Sender);
    void SpinEjercicioDownClick(QObject* Sender);
    void SpinMesUpClick(QObject* Sender);
    void SpinMesDownClick(QObject* Sender);
    void pbNuevoClick(QObject* Sender);
    void pbEliminarClick(QObject* Sender);
    void pbDuplicarClick(QObject* Sender);
    void pbCopiaMasivaClick(QObject* Sender);
    void Buscar1Click(QObject* Sender);
    void SGridSelectCell(QObject* Sender, int ACol, int ARow, bool& CanSelect);
    void SGridDrawCell(QObject* Sender, int ACol, int ARow, const QRect& Rect, int State);

    // Shows calendar, year and month in the boxes, lays the month out and
    // reads its days.
    void MostrarMes();
    // Marks the day of a cell with the palette (rows 1..6 holding a day).
    void MarcarDia(int ACol, int ARow);
    // Shows the calendar, year and month of a search result (calendar, day);
    // a null key changes nothing.
    void MostrarClave(const QVariant& Clave);
    // The schedule chosen in the lookup box (0 when none).
    int HorarioSeleccionado() const;
    // The day read for a date of the month on display (nullptr when none).
    const TDiaCalendario* DiaMostrado(const QDate& Fecha) const;

private:
    TDiasCalendario dias_;
};

extern TfNOMICALE* fNOMICALE;

// Puts the form class in the form registry (idempotent).
void RegistrarTfNOMICALE();
