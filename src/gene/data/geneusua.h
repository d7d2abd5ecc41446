#pragma once
// Users, rights and per-user settings, all kept in USUARIO of the general
// database: the log-in, the access level of a program (a main-menu option
// key), the companies, processes and saved queries a user may use, the fields
// hidden from them, their preferred search indexes and every other per-user
// setting, and the search associations of BUSQUEDA.TXT.
//
// A user may borrow the settings of another user, the profile user: a
// Categoria that is not "Administrador", "Configurador", "Normal" or empty is
// that user's code (one level only). IndicesBusqueda, DatosBusqueda and
// ContadorAccesos are kept in the user's own row; every other setting in the
// profile user's. ProgramasNoAccesibles, ProgramasSoloLectura,
// ProgramasActivos and Empresas are columns (one item a line); the rest are
// Name=Value lines of the memo Configuracion.
//
// Rights fail closed: when USUARIO cannot be read, the access level is
// "Ninguno" and no process, program or saved query is allowed. A missing row
// or setting keeps the defaults.

#include <QString>

class TModuloDatos;

// The logged-in user's password (empty when the user has none), for the
// sibling programs that the session starts.
extern QString ClaveAccesoUsuarioActual;
// CamposNoVisibles of the logged-in user, read once at log-in.
extern QString CamposNoVisiblesUsuario;

// The log-in. The code is the Linux login name with AutenticacionWindows (no
// prompt; a missing user row is created as "Normal"); otherwise the prompt
// "Introduzca el Código de Usuario:" is always shown, preset with the "U="
// code or else the login name. Then the password, when the user has one; the
// third wrong password in a row locks the user, a right one resets the count.
// On success CodigoUsuario and CodigoUsuarioActual hold the code as stored.
bool IdentificarUsuario(TModuloDatos* ModuloDatos, QString& CodigoUsuario);

// The profile user's Empresas holds the company code.
bool UsuarioAccedeEmpresa(TModuloDatos* ModuloDatos, const QString& Usuario, int Empresa);
// "Total", "Solo Lectura" or "Ninguno" (then after the message "Vd. no tiene
// acceso al programa ..."). The program name is compared without "&" and
// without regard to case with whole lines of the user's lists.
QString NivelAccesoPrograma(TModuloDatos* ModuloDatos, const QString& Usuario,
                            const QString& Programa, QString& Nivel);
// The program is one of the user's ProgramasActivos.
bool ProgramaActivo(TModuloDatos* ModuloDatos, const QString& Usuario, const QString& Programa);
// The profile user's Categoria is "Administrador"; otherwise the warning
// unless Opciones holds "Silencio".
bool ExigirAdministrador(TModuloDatos* ModuloDatos, const QString& Usuario,
                         const QString& Opciones);
// The field is hidden from the logged-in user (CamposNoVisiblesUsuario):
// an item contained in the name hides it, a "-" + name item shows it.
bool CampoNoVisible(TModuloDatos* ModuloDatos, const QString& NombreCampo);
// The profile user's code: the user's own code unless its Categoria names
// another user.
QString UsuarioPerfil(TModuloDatos* ModuloDatos, const QString& Usuario, QString& Perfil);

// A per-user setting; Defecto for a missing row, or for a memo setting that
// is missing or empty (a column key gives its text, also when empty).
QString LeerConfiguracionUsuario(TModuloDatos* ModuloDatos, const QString& Usuario,
                                 const QString& Clave, QString& Valor,
                                 const QString& Defecto = QString());
// Writes a per-user setting (an empty value removes a memo line); a failure
// is warned about and leaves the row as it was. The data module's Usuario
// table is reopened afterwards so that it shows other sessions' changes.
void GrabarConfiguracionUsuario(TModuloDatos* ModuloDatos, const QString& Usuario,
                                const QString& Clave, const QString& Valor);

// ProcesosNoAutorizados does not mention the process.
bool ProcesoAutorizado(TModuloDatos* ModuloDatos, const QString& Usuario, const QString& Proceso);
// Administrators, and users whose profile code is one of the saved query's
// UsuariosAutorizados (all users when the query names none or does not exist).
bool ConsultaAutorizada(TModuloDatos* ModuloDatos, const QString& Consulta, const QString& Usuario);

// The one rule of who may run a saved query, for the run check and for the
// menus that list the queries: administrators always; anyone when the
// query's UsuariosAutorizados is empty; otherwise a user whose profile code
// is one of its ","-separated items, compared whole (blanks included) and
// without regard to case. The user's category and profile are read once, at
// the first query that names users.
class TDerechoConsultas {
public:
    TDerechoConsultas(TModuloDatos* ModuloDatos, const QString& Usuario);
    // Instrucciones: the saved query's text of Name=Value lines.
    bool Autorizada(const QString& Instrucciones);

private:
    TModuloDatos* modulo_;
    QString usuario_;
    bool leido_ = false;
    bool administrador_ = false;
    bool perfilLeido_ = false;
    QString perfil_;
};

// The logged-in user's preferred index of a table (IndicesBusqueda items
// "TABLA:n"); -1 for none, or with DesactivarIndicesPorUsuarioEnBusquedas.
int IndiceBusquedaUsuario(TModuloDatos* ModuloDatos, const QString& NombreTabla);

// The table searched from an edit control, from BUSQUEDA.TXT in the program's
// folder ("" when none); GrabarBusqueda sets it (an empty table removes it).
QString LeerBusqueda(TModuloDatos* ModuloDatos, const QString& Control, QString& Tabla);
void GrabarBusqueda(TModuloDatos* ModuloDatos, const QString& Control, const QString& Tabla);
