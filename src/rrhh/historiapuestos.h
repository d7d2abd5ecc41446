#pragma once
// The order of a job-position history (HPUESTO): the row that started last
// is the latest; a row with no start date counts as the oldest, whichever
// engine sorts NULL first; on equal dates the later line is the later row.

#include <QString>

// The ORDER BY terms, without "ORDER BY": latest first when MasRecientePrimero,
// else oldest first.
inline QString OrdenHistoriaPuestos(bool MasRecientePrimero) {
    return MasRecientePrimero ? QStringLiteral(
                                    "CASE WHEN FechaInicio IS NULL THEN 1 ELSE 0 END, "
                                    "FechaInicio DESC, Linea DESC")
                              : QStringLiteral(
                                    "CASE WHEN FechaInicio IS NULL THEN 0 ELSE 1 END, "
                                    "FechaInicio, Linea");
}
