#pragma once
// Values of the running session, fixed at start-up and read everywhere.
// Start-up fills them from the command line, the parameter file and the
// settings file; until then they hold the defaults below.

#include <QDateTime>
#include <QString>
#include <QStringList>

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

// ---- Start-up and connections (command line, parameter and settings files).
class QFont;
class QColor;

extern QString CodigoUsuarioInicial;     // "U=" or the second positional argument
extern QString ArchivoParametros;        // the parameter file actually read
extern QString AliasBaseDatosGeneral;    // parameter file
extern QString AliasBaseDatos;           // parameter file; company databases derive from it
extern QString PathDatosEmpresa;         // company data path (SQLite: the company alias's folder)
extern QString NombreEmpresaActual;      // empty until a company is chosen
extern QString LogotipoEmpresaActual;    // "LOGO.BMP"
extern QString VersionWindows;           // the "Plataforma" line of the system's version
extern int AjusteAlturaFormularios;      // 27 (32 on "Windows XP")
extern QFont FuenteAplicacion;           // include <QFont> to use
extern QColor ColorFondoAspecto;         // MDI children; include <QColor> to use
extern QColor ColorDialogoAspecto;       // dialogs
extern QStringList ListaControlesNoVisibles;  // sorted, no duplicates
extern QStringList TextosNoTraducidos;
extern QStringList MapaContextos;        // "topic name=context number" lines
extern QString ParametroL, ParametroI, ParametroT;  // "L=", "I=", "T=" values as given

// Settings of section "Configuración" (and "Microsoft SQL Server"), read once
// at start-up; yes/no keys are true exactly when the text is "SI".
extern bool VisualizarLogoEmpresaEnMenu;
extern bool DesactivarForzadoGrabacionDatosADisco;
extern QString TiempoForzarTerminacionAplicacion;  // minutes; empty = never
extern bool ModoAdministradorActivado;
extern bool ModoControlesNoVisiblesActivado;
extern bool RegistroAccesosActivado;
extern bool ResponsabilidadDocumentalActivada;
extern bool DesactivarIndicesPorUsuarioEnBusquedas;
extern bool MensajeriaInternaActivada;
extern bool VisualizacionPreviaActivada;
extern bool BusquedaAproximadaActivada;
extern QString BDENetDir;
extern bool DesactivarDiagnostico;
extern bool AutenticacionWindows;
extern QString NombreIntercalacionMSSQL;
extern bool MonitorizarActividadUsuario;
extern bool ArchivosTemporalesEnBD;
extern QString NombreUsuarioInicioSesion;
extern QString PasswordInicioSesion;     // scrambled, as stored
extern QString URLAccesoMenuWebDistribuidor;
extern QString NivelAislamientoTransaccionesMSSQL;
extern QString AspectoAplicacion;
extern QString BDEPrivateDir;

// Connection values.
extern QString ServidorBaseDatos;        // the company alias's "SERVER NAME"
extern int PuertoBaseDatos;              // the company alias's "PORT" (PostgreSQL)
extern QString BaseDatosServidor;        // the company alias's "DATABASE NAME" (PostgreSQL)
extern QString UsuarioInicioSesion;      // login name (plain)
extern QString ClaveInicioSesion;        // login password (plain, never logged)
extern int NumeroSesionUsuario;          // this user's session number (private folder)
extern QString DirectorioPrivado;        // the session's private folder, "" when none
extern QString IntercalacionTextos;      // collation of TXIDIOMA (SQL Server)
extern QString VersionServidorSQL;       // "SELECT @@VERSION" (SQL Server)

// Transaction flags of the company database.
extern bool TransaccionIniciada;
extern bool ErrorEnTransaccion;
