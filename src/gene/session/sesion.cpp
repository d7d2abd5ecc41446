#include "gene/session/sesion.h"

#include "db/dberror.h"

QString CodigoUsuarioActual;
int CodigoEmpresaActual = 0;
QString TipoBaseDatos = QStringLiteral("Paradox");
QString IdiomaActual;
QString FormatoFechaSQL = QStringLiteral("dd/mm/yyyy");
QString FechaCeroSQL = QStringLiteral("30/12/1899 00:00:00");
QString DirectorioPrograma;
QString PathBaseDatosGeneral;
QString PathArchivosTemporales;
QString ArchivoConfiguracion = QStringLiteral("QEVWIN.INI");
QString NivelCapturaIncidencias = QStringLiteral("Minimo");
bool ListadoCancelado = false;
QDateTime UltimaActividad = QDateTime::currentDateTime();

Engine MotorActual() {
    try {
        return EngineFromSetting(TipoBaseDatos);
    } catch (const EDatabaseError&) {
        return Engine::Sqlite;
    }
}

const SqlDialect& DialectoActual() { return SqlDialect::forEngine(MotorActual()); }

// ---- Start-up and connections.
#include <QColor>
#include <QFont>

QString CodigoUsuarioInicial;
QString ArchivoParametros;
QString AliasBaseDatosGeneral;
QString AliasBaseDatos;
QString PathDatosEmpresa;
QString NombreEmpresaActual;
QString LogotipoEmpresaActual = QStringLiteral("LOGO.BMP");
QString VersionWindows;
int AjusteAlturaFormularios = 27;
QFont FuenteAplicacion;
QColor ColorFondoAspecto;
QColor ColorDialogoAspecto;
QStringList ListaControlesNoVisibles;
QStringList TextosNoTraducidos;
QStringList MapaContextos;
QString ParametroL, ParametroI, ParametroT;

bool VisualizarLogoEmpresaEnMenu = false;
bool DesactivarForzadoGrabacionDatosADisco = false;
QString TiempoForzarTerminacionAplicacion;
bool ModoAdministradorActivado = false;
bool ModoControlesNoVisiblesActivado = false;
bool RegistroAccesosActivado = false;
bool ResponsabilidadDocumentalActivada = false;
bool DesactivarIndicesPorUsuarioEnBusquedas = false;
bool MensajeriaInternaActivada = false;
bool VisualizacionPreviaActivada = true;
bool BusquedaAproximadaActivada = false;
QString BDENetDir;
bool DesactivarDiagnostico = false;
bool AutenticacionWindows = false;
QString NombreIntercalacionMSSQL = QStringLiteral("SQL_Latin1_General_Cp1_CI_AI");
bool MonitorizarActividadUsuario = false;
bool ArchivosTemporalesEnBD = true;
QString NombreUsuarioInicioSesion;
QString PasswordInicioSesion;
QString URLAccesoMenuWebDistribuidor;
QString NivelAislamientoTransaccionesMSSQL = QStringLiteral("READ UNCOMMITTED");
QString AspectoAplicacion;
QString BDEPrivateDir;

QString ServidorBaseDatos;
int PuertoBaseDatos = 5432;
QString BaseDatosServidor;
QString UsuarioInicioSesion;
QString ClaveInicioSesion;
int NumeroSesionUsuario = 0;
QString DirectorioPrivado;
QString IntercalacionTextos;
QString VersionServidorSQL;

bool TransaccionIniciada = false;
bool ErrorEnTransaccion = false;
