#pragma once
// The payroll data module: the payroll-side tables (parameters, calendars,
// payrolls, leaves, contribution bases, contracts) that this program shares
// with the payroll and attendance programs, and the routines the personnel
// forms, the contract documents and the listings call on them: the contract
// in force, the per-user employee restriction, the regulatory bases of a
// leave, the contributed days of a period, calendar day counts and the
// rounding of payroll amounts.
//
// Created with every company (after TModuloDatos) into the global MDNominas
// and freed at the next company change. Its routines are methods; callers
// reach them through MDNominas. Routines that set an index or range on
// Nomina must not be interleaved (they run one after the other on the
// interface thread).

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>

class TDataSet;
class TTable;

class TMDNominas : public QObject {
    Q_OBJECT
public:
    // Named "MDNominas"; becomes the global MDNominas when there is none,
    // then runs ModuloDatosCreate.
    explicit TMDNominas(QObject* parent = nullptr);
    // Clears the global when it is this one.
    ~TMDNominas() override;

    // Physical names on SQL Server, display formats, then every table routed
    // to its database, created from the dictionary when missing, and opened.
    Q_INVOKABLE void ModuloDatosCreate();
    // OnCalcFields of Baja: TipoBaja from TSUBSDIO by CodigoBaja.
    Q_INVOKABLE void BajaCalcFields(TDataSet* DataSet);

    // Days of the calendar between the two dates (both included) of a kind:
    // "Naturales", "Trabajados", "Laborables", "Festivos", "Vacaciones";
    // any other kind gives 0. The range stays set on Calendario.
    int DiasCalendario(const QString& TipoDia, int CodigoCalendario, const QDateTime& FechaDesde,
                       const QDateTime& FechaHasta);
    // Positions a table of bases (FechaVigencia) on the last record in force
    // on the first day of the month; the first record when none is; a warning
    // when the table is empty.
    void PosicionarBaseVigente(TTable* Tabla, int Ano, int Mes);
    // The contribution ceiling of the employee at the date: by TipoOperario
    // from the bases in force, the employee's own MaximoATEP when set, 0 for
    // the group "Autonomo" and for an unknown employee.
    double ValorBasePorColectivo(int CodigoOperario, const QString& Colectivo,
                                 const QDateTime& Fecha);
    // Daily regulatory bases of a leave from the payrolls of the month before
    // it (common contingencies, work accidents) and the daily mean of the
    // overtime bases of the twelve months before it. A day total of 0 gives 0.
    double BaseReguladoraCC(int CodigoOperario, const QDateTime& FechaBaja);
    double MediaHorasExtra(int CodigoOperario, const QDateTime& FechaBaja);
    double BaseReguladoraAT(int CodigoOperario, const QDateTime& FechaBaja);
    // Contributed days of the payrolls of the period; every out value is set
    // to 0 first.
    void DiasCotizadosMes(int CodigoOperario, int AnoDesde, int MesDesde, int AnoHasta,
                          int MesHasta, int& DiasPeriodo, int& DiasAlta, int& DiasNoRetribuidos,
                          int& DiasNoRetribuidosNoCotiza, int& DiasRegulacion, int& DiasEnfermedad,
                          int& DiasAccidente, int& DiasMaternidad, int& DiasVacaciones,
                          int& DiasRegulacion2);
    // 2 decimals once the euro changeover (PARANOMI.FechaCambioEuro) lies
    // before the current payroll month, whole units otherwise (also while no
    // changeover date is set); half away from zero.
    double RedondeoMoneda(double Importe);
    // The integer part, plus 1 when the fraction is above 0.5.
    double RedondeoMitadAbajo(double Valor);
    // False when the user's setting OperariosNoAccesibles ("5, 10-20";
    // items apart by ",", ";", blanks or line breaks; "20-10" is 10..20)
    // names the employee; with the option "Mostrar Mensaje" the refusal is
    // shown. Items that are neither code nor range bar nobody and are warned
    // of once per list while this module lives, as are a negative code and an
    // item with more than one "-" ("5-7-9" bars 5..7 only).
    bool OperarioAccesible(const QString& CodigoUsuario, int CodigoOperario, const QString& Opcion);
    // Whether the employee's latest contract (by start date, then number) is
    // in force today: started and not ended before today.
    bool ContratoEnVigor(int CodigoOperario);
    // The employees whose contract is in force by the same rule, read in one
    // statement (for windows that test every employee).
    QSet<int> OperariosConContratoEnVigor();

    // Components.
    TTable* Parametros = nullptr;     // PARANOMI, one record
    TTable* Calendario = nullptr;     // CALENDAR
    TTable* Personal = nullptr;       // PERSONAL
    TTable* Baja = nullptr;           // BAJA, with the calculated TipoBaja
    TTable* Base = nullptr;           // BASE
    TTable* Nomina = nullptr;         // NOMINA
    TTable* LNomina = nullptr;        // LNOMINA
    TTable* Contrato = nullptr;       // CONTRATO
    TTable* HContrato = nullptr;      // HCONTRAT
    TTable* HBonificacion = nullptr;  // HBONIFIC
    TTable* Concoper = nullptr;       // CONCOPER

private:
    QSet<QString> listasAvisadas_;  // OperariosNoAccesibles lists already warned of
};

extern TMDNominas* MDNominas;

// Whether the current user may see the employee (everyone without the
// payroll module); no message.
bool OperarioAccesibleActual(int CodigoOperario);
// Told at the end of an output or a bulk change that left out the employees
// the user may not see ("%1": how many).
inline const QString kOperariosNoAccesibles =
    QStringLiteral("%1 operarios no accesibles no se han incluido");
QString AvisoOperariosNoAccesibles(int Excluidos);

// Creates the payroll, bills and accounting data modules of the current
// company into their globals, freeing those of the previous one. The main
// window's data-module step calls it when a company is chosen.
void CrearModulosNomina();
// Frees the three modules (company change, end of the program).
void LiberarModulosNomina();
