#pragma once
// The sheets printed by the document print engine: the personnel sheet, the
// candidate sheet (one document per employee or candidate) and the
// evaluation sheet (one document per evaluation, its scored criteria as
// lines). Each fill writes the engine's work tables from a selection and
// needs no window; ImprimirFichas runs one print job around a fill.

#include <QDateTime>
#include <QString>
#include <functional>

class TfGENELIMP;
class TTable;

// Whose sheet: PERSONAL or CANDIDAT rows.
enum class TTipoFicha { Personal, Candidato };

struct TSeleccionFichas {
    int DesdeOperario = 0;
    int HastaOperario = 9999;
    // Employees with a contract in force / without one (personnel only).
    bool Activos = true;
    bool NoActivos = true;
    QString RangosGruposAnalisis;
    // Copies of each sheet on the printer.
    int NumeroCopias = 1;
};

struct TSeleccionEvaluaciones {
    int DesdeOperario = 0;
    int HastaOperario = 999999999;
    QString DesdeCodigo;
    QString HastaCodigo = QStringLiteral("zzzzzzzzzzzzzz");
    // Both bounds are compared as date-times: a typed date is its midnight.
    QDateTime DesdeFecha;
    QDateTime HastaFecha;
    QString Tipo = QStringLiteral("Puesto");
    bool ListarValores = true;
};

// The definitions of the engine's work tables.
QString DefinicionFichas(TTipoFicha Tipo);
QString DefinicionEvaluaciones();
QString DefinicionLineasEvaluacion();

// Writes one Temporal row per selected employee or candidate, in code order.
void RellenarFichas(TTipoFicha Tipo, TTable* Temporal, const TSeleccionFichas& Seleccion);
// Writes one Temporal row per selected evaluation and its lines into
// LTemporal, numbered from 1 per evaluation.
void RellenarEvaluaciones(TTable* Temporal, TTable* LTemporal,
                          const TSeleccionEvaluaciones& Seleccion);

// One print job: the engine created, its Temporal (and LTemporal when a
// definition is given, linked to Temporal by Enlace) made, Rellenar run on
// the engine, EjecutarImpreso (to Destino when not empty: a printer or
// "PDF:" + file), and the engine freed with its work tables whatever
// happens. Uses the engine's request variables as the caller set them.
void ImprimirFichas(const QString& Definicion, const QString& DefinicionLineas,
                    const QString& Enlace, const QString& Destino,
                    const std::function<void(TfGENELIMP*)>& Rellenar);
