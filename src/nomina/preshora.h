#pragma once
// The schedule master "Maestro de Horarios" (table HORARIO, key Numero):
// work schedules with two intervals a day, a pause, the kinds of schedule
// and shift, the resulting hours, an analysis group and a display colour.
// Calendar days point to a schedule by its number and draw in its colour.

#include "gene/session/genemaes_rejilla.h"

class QRect;
class TColumn;
class TTable;

// Hours of a schedule from its times as fractions of a day (06:00 = 0.25).
// A "Nocturno" interval whose end is earlier than its start crosses
// midnight (22:00-06:00 is 8 hours); an end equal to a non-zero start is a
// whole day; an empty interval (both 0) counts nothing. Other shifts add
// the two intervals as they are, an end of 00:00 read as midnight (08:00 to
// 00:00 is 16 hours). The pause is not subtracted.
double NumeroHorasHorario(const QString& TipoTurno, double Inicio1, double Final1, double Inicio2,
                          double Final2);
// Whether the intervals can be counted: only a "Nocturno" shift crosses
// midnight; in any other an interval that ends before it starts cannot.
bool TramosHorarioValidos(const QString& TipoTurno, double Inicio1, double Final1, double Inicio2,
                          double Final2);

class TfPRESHORA : public TMaestroRejilla {
    Q_OBJECT
public:
    explicit TfPRESHORA(QWidget* owner = nullptr);
    ~TfPRESHORA() override;

    // The analysis groups, for the lookup column and the check.
    TTable* GrupoAnalisis;

    void FormCreate(QObject* Sender) override;
    void Table1NewRecord(TDataSet* DataSet) override;
    void Table1BeforePost(TDataSet* DataSet) override;
    void DBGrid1DblClick(QObject* Sender) override;
    void DBGrid1DrawColumnCell(QObject* Sender, const QRect& Rect, int DataCol, TColumn* Column,
                               int State);

    bool ValidarColumna() override;
    // The schedule check: hours recomputed, the analysis group known, the
    // pick lists. AntesDeGrabar: called before a post rather than on leaving
    // a column.
    bool ValidarHorario(bool AntesDeGrabar);
    // NumeroHoras of the row being edited from its times.
    void CalcularNumeroHoras();

    // The colour dialog (red in the low byte); false when cancelled. Tests
    // replace it.
    std::function<bool(int& Color)> ElegirColor;
};

extern TfPRESHORA* fPRESHORA;

// Puts the form class in the form registry (idempotent).
void RegistrarTfPRESHORA();
