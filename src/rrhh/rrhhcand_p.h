#pragma once
// Helpers shared by the files of the candidates master.

#include <QList>

struct TablaLineasAlta;

namespace rrhhcand {

// The owner name of the candidate rows in the histories shared with employees.
extern const char* const kCandidat;
// The candidate's histories by code (HPUESTO, HFORMACI under "CANDIDAT").
const QList<TablaLineasAlta>& HistoricosCandidato();

}  // namespace rrhhcand
