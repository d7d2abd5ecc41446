#pragma once
// What the vacation and incidence listings share: the dialog with its date
// range, the date condition of their queries and the walk over the selected
// employees with the progress window and the cancel.

#include <QDateTime>
#include <QString>
#include <functional>

#include "rrhh/rrhhlist.h"
#include "rrhh/rrqrlist.h"

class TTable;

// A listing dialog with "Desde Fecha " / "Hasta" (1/1 and 31/12 of this
// year, written with two digits as typed), the options Activos (checked),
// No Activos and "Salto Pagina"; it checks the employee codes and the dates.
class TDialogoFechas : public TDialogoListado {
    Q_OBJECT
public:
    TDialogoFechas(QWidget* owner, const QString& nombre, const QString& titulo);

    TEdit* DesdeFecha;
    TEdit* HastaFecha;
    TCheckBox* Activos;
    TCheckBox* NoActivos;
    TCheckBox* SaltoPagina;

    bool Validar() override;

protected:
    void ValoresIniciales() override;
};

class TInformeCalendario : public TInformeListado {
    Q_OBJECT
public:
    using TInformeListado::TInformeListado;

protected:
    // Walks PERSONAL (Personal) from Desde to Hasta with the progress window
    // "Listado de Operarios": per employee the cancel check and "Operario: "
    // and the code, the active / inactive options and the analysis-group
    // ranges; PorOperario writes the rows of every employee kept through
    // Relleno (whose Seguir it calls before each row it reads). False when
    // the listing was cancelled.
    bool RecorrerOperarios(
        TTable* Personal, int Desde, int Hasta, bool Activos, bool NoActivos, const QString& Rangos,
        const std::function<void(int Codigo, TRellenoListado& Relleno)>& PorOperario);
};

// The days from Desde to Hasta as a range of dates: "(Campo >= Desde AND
// Campo < the day after Hasta)", so that the last day is whole whatever time
// a stored date carries; nothing when Desde is after Hasta.
QString CondicionFechas(const QString& Campo, const QDate& Desde, const QDate& Hasta);
