#pragma once
// Values of the running session, fixed at start-up and read everywhere.
// Start-up fills them from the command line, the parameter file and the
// settings file; until then they hold the defaults below.

#include <QDateTime>
#include <QString>

#include "db/dialect.h"

extern QString CodigoUsuarioActual;    // user code
extern int CodigoEmpresaActual;        // 0 = no company chosen
extern QString TipoBaseDatos;          // "Paradox", "SQL Generica", "Microsoft SQL Server"
extern QString IdiomaActual;           // interface language; empty = no translation
extern QString FormatoFechaSQL;        // "dd/mm/yyyy" or "mm/dd/yyyy"
extern QString FechaCeroSQL;           // "30/12/1899 00:00:00" or "12/30/1899 00:00:00"
extern QString DirectorioPrograma;     // start folder with a trailing "\"
extern QString PathBaseDatosGeneral;   // folder (or name) of the general database
extern QString PathArchivosTemporales; // folder (or database) of temporary tables
extern QString ArchivoConfiguracion;   // path of the settings file (QEVWIN.INI)
extern QString NivelCapturaIncidencias;  // "Minimo" (default), "Ninguno", "Maximo"
extern bool ListadoCancelado;          // set by Esc; long listings test it
extern QDateTime UltimaActividad;      // last user activity (inactivity timer)

// The engine of TipoBaseDatos, and its SQL dialect (Paradox when unknown).
Engine MotorActual();
const SqlDialect& DialectoActual();
