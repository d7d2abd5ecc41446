#include "gene/sesion.h"

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
