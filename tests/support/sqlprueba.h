#pragma once
// Small helpers of the database suites: a statement on the company database,
// the texts the message seam showed, and a trigger with which the engine
// refuses every delete, update or insert on a table (to force a failure half-way).

#include <QString>
#include <QStringList>

#include "db/dialect.h"

// The result text of EjecutarSQL on "Database", without messages.
QString SqlPrueba(const QString& Sentencia);
// The texts of the messages shown since the seam's log was last cleared.
QStringList TextosMostrados();
// Statements whose second one, deleting every row of Tabla, hides in a quoted
// text that a scanner ending a text at its next quote misses: after a
// backslash escape (E'\'') and after a dollar quote ($$'$$). Campo is a
// text column of Tabla.
QStringList SentenciasConSegundaOculta(const QString& Tabla, const QString& Campo);
// Until QuitarBloqueoBorrado, every delete on Tabla fails in the engine.
void BloquearBorrado(Engine Motor, const QString& Tabla);
void QuitarBloqueoBorrado(Engine Motor, const QString& Tabla);
// Until QuitarBloqueoModificacion, every update on Tabla fails in the engine.
void BloquearModificacion(Engine Motor, const QString& Tabla);
void QuitarBloqueoModificacion(Engine Motor, const QString& Tabla);
// Until QuitarBloqueoAlta, every insert into Tabla fails in the engine.
void BloquearAlta(Engine Motor, const QString& Tabla);
void QuitarBloqueoAlta(Engine Motor, const QString& Tabla);
