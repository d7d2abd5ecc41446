#pragma once
// The session's start-up and its connections: command line, parameter file,
// alias file, settings file, the general, company and alternate databases,
// the per-company database names and the SQL Server helpers for creating
// databases. The session form comes first in every routine.

#include <QString>
#include <QStringList>
#include <exception>

class TfGENEINIC;
class TDatabase;
class TDataSet;
struct TConnectionParams;

// ---------------------------------------------------------------- start-up

// The command line: "L=" parameter file, "U=" user, "I=" settings file, "T="
// language (the two letters in any case); without any "X=" argument the first
// argument is the parameter file and the second the user.
struct TLineaComando {
    QString ArchivoParametros;
    QString CodigoUsuario;
    QString ArchivoConfiguracion;
    QString Idioma;
};
TLineaComando LeerLineaComando(const QStringList& argumentos);

// The parameter file used when none is given or it cannot be read: this name
// in the program's folder.
inline constexpr const char* kArchivoParametrosPorDefecto = "PARAMETROS.TXT";
// The alias file beside the parameter file (see the README, "Configuración").
inline constexpr const char* kArchivoAlias = "ALIAS.INI";

// Reads the parameter file into TipoBaseDatos, AliasBaseDatosGeneral,
// PathBaseDatosGeneral, AliasBaseDatos and PathArchivosTemporales; falls back
// to the default file and then to the defaults with the warning "No ha sido
// posible leer los parámetros del archivo ...". Sets ArchivoParametros.
void LeerArchivoParametros(const QString& ruta);
// The settings file path for an "I=" value (empty = QEVWIN.INI in the
// program's folder; a bare name is a file there; anything else as given).
QString RutaConfiguracion(const QString& valorI);
// Reads every settings key into the session values (defaults for missing
// keys); normalises FormatoFechaSQL and sets FechaCeroSQL. False after the
// warning for an unreadable file.
bool LeerConfiguracion(const QString& archivo);
// The help map: "#define Topic_Name 120" lines become "Topic Name=120".
QStringList LeerMapaContextos(const QString& archivo);
// Deletes "_QS*.*" in the program's folder and "QRP*.TMP" in the temporary
// folder when no running session can own them (older than every live session).
void BorrarArchivosTemporalesAntiguos();

// " L=... U=... I=... T=..." for sibling programs (the current user in "U="),
// each part with its leading blank, empty values kept.
QString ParametrosSesion();

// The alias file: the "Name=Value" parameters of an alias in their order
// (SQLite: "PATH=folder" first; PostgreSQL and SQL Server: "SERVER NAME=",
// "PORT=", "DATABASE NAME=", "USER NAME="). Empty when the alias is unknown.
QString ArchivoAliasActual();
QStringList ParametrosAlias(const QString& alias);
// The value of one parameter of an alias ("" when missing).
QString ParametroAlias(const QString& alias, const QString& nombre);
// The folder of a database at start-up: on SQLite the alias's path (its first
// parameter, "PATH=...") or, for an alias the file does not define, the
// general path; elsewhere the alias itself names the database.
QString UbicacionAlias(const QString& alias);

// Renames a session database (closed) after the database it points at; its
// component name ("Database", "DatabaseGeneral"...) stays a session alias of
// it, so datasets may name either.
void NombrarBaseDatosSesion(TDatabase* d, const QString& nombre);

// The connection parameters of a database on the engine in use: on SQLite
// `ubicacion` is its folder, elsewhere its name (a schema on PostgreSQL).
// The company connections attach the general database.
TConnectionParams ParametrosConexion(TfGENEINIC* f, const QString& ubicacion, bool esGeneral);
// True when the engine says the database at that location does not exist and
// may be created there: SQLite, the folder is there and its file is not;
// PostgreSQL, the server answers and the schema is missing.
bool BaseDatosInexistente(TfGENEINIC* f, const QString& ubicacion, bool esGeneral);
// SQLite: the connected database's own file holds no table at all.
bool BaseDatosSinTablas(TDatabase* d);
// SQLite, once company `Codigo` is connected: its file holding tables is
// marked; one marked before that now holds none is closed and refused like a
// missing one ("¡ Falta la Base de Datos de la empresa N (...) !...").
void RechazarEmpresaSinTablas(TfGENEINIC* f, int Codigo, const QString& nombre);
// Tests only: run between the two looks of a check for a lost SQLite database
// (what shows it was in use, what its file holds) of company Codigo, or 0 for
// the general one, where another program may be filling it meanwhile.
extern void (*GanchoComprobarBaseDatosPerdida)(int Codigo);
// SQLite: company `Codigo`'s file holds tables (the program made one there).
void MarcarEmpresaConTablas(TfGENEINIC* f, int Codigo);
// SQLite, at start: every company of EMPRESA whose file holds tables is
// marked, also one this version never opened, so that its file found empty
// later is refused rather than filled with empty tables.
void MarcarEmpresasConTablas(TfGENEINIC* f);
// True when that database is there now: a session starting at the same
// moment made it after the engine said it was missing.
bool BaseDatosCreadaEntretanto(TfGENEINIC* f, const QString& ubicacion, bool esGeneral);

// After the server refused the login password: asks for it ("La clave de
// inicio de sesión de SQL Server no coincide..."), confirms an empty one, and
// stores it scrambled in the settings file (section "Microsoft SQL Server", or
// "SQL Generica" on PostgreSQL). True: try again; false: the user closed the
// prompt and gives up.
bool PedirClaveInicioSesion();

// ---------------------------------------------------------------- session

// Highest session number of this user among the running sessions (ours
// included), -1 when none. The session registers itself at start-up.
int NumeroSesionBDEUsuario();
// The server's version text ("SELECT @@VERSION" on SQL Server; the engine's
// own version elsewhere).
void LeerVersionServidorSQL(TfGENEINIC* f, QString& Version);
// The text of a failure as the user is told it: a database error's message
// with what it concerns (the folder, schema or engine text).
QString TextoErrorBaseDatos(const std::exception& e);
// The text of a database error as the exception translator reads it: its
// message, and for a database that is not there the file or schema it names.
QString MensajeExcepcionBaseDatos(const class EDatabaseError& e);
// The Spanish text of a database error whose English or engine text the
// exception translator's table does not know, chosen by its code (the
// engine's own code for engine errors: SQLSTATE, SQLite's result code),
// with the engine's words after ". Motivo: " where they help; "" when the
// error has no such text.
QString TraduccionErrorBaseDatos(const class EDatabaseError& e);
// The text of a failure put after ". Motivo: " or in a list of incidents:
// a database error in Spanish where its code is known, else its message.
QString MotivoError(const std::exception& e);
// True for the "table does not exist" messages of every engine, in any case.
bool EsErrorTablaInexistente(const QString& Mensaje);

// The login name of the user running the program; "Unknown" when unreadable.
void NombreUsuarioWindows(QString& Nombre);
// The first network adapter whose address is not all zeros, as "00-1A-2B-..."
// or, with the option "SinSeparadores", without separators.
void DireccionAdaptadorRed(const QString& Opciones, QString& Direccion);

// The stored form of the SQL Server password: three decimal digits per
// character, each character combined with a fixed six-letter key.
void CifrarClave(const QString& Texto, QString& Resultado);
void DescifrarClave(const QString& Texto, QString& Resultado);
// The first character of a password that cannot be stored as it is (empty when none).
QString CaracterNoCifrable(const QString& Texto);
inline void CifrarClaveSQL(const QString& Password, QString& Stored) {
    CifrarClave(Password, Stored);
}
inline void DescifrarClaveSQL(const QString& Stored, QString& Password) {
    DescifrarClave(Stored, Password);
}

// ---------------------------------------------------------------- companies

// SQLite: PathBaseDatosGeneral + "\" + code; other engines: AliasBaseDatos +
// code. Code 0: PathBaseDatosGeneral (SQLite) or AliasBaseDatos.
void NombreBaseDatosEmpresa(TfGENEINIC* f, int Codigo, QString& Nombre);
QString NombreBaseDatosEmpresa(TfGENEINIC* f, int Codigo);
// DatabaseGeneral's name for a general table, else Database's.
void NombreBaseDatosTabla(TfGENEINIC* f, const QString& NombreTabla, QString& NombreBaseDatos);
// Re-points Database at a company. A company database that the engine says
// does not exist is created the first time the company is chosen; after that
// its absence raises "¡ Falta la Base de Datos de la empresa N (...) !...";
// any other failure raises.
void ConectarBaseDatosEmpresa(TfGENEINIC* f, int Codigo);
// Raises that message when e tells that the database of a company made
// before is not there; returns otherwise.
void RechazarEmpresaPerdida(TfGENEINIC* f, int Codigo, const class EDatabaseError& e);
// The company among `Empresas` whose database `Nombre` stands for, as the
// session resolves it (a selector such as "DatabaseGeneral", a database's
// name or alias, "?" + a folder or schema, an alias of the alias file),
// compared by identity: on SQLite the folder's real path (links resolved),
// elsewhere the schema. 0 for anything else, the general database and the
// temporary store under any name included. Nothing is opened.
int EmpresaBaseDatos(TfGENEINIC* f, const QString& Nombre, const QList<int>& Empresas);
// Points DatabaseAlt at a company (Codigo) or at a database by name (Codigo
// -1); asking again for the same one does nothing. Raises on failure.
void ConectarBaseDatosAlt(TfGENEINIC* f, int Codigo, const QString& Nombre);
// Points a TTable or TQuery at a company (0 = the current one): its
// DatabaseName becomes "?" + that database's name. Other datasets are left.
void AsignarBaseDatosEmpresa(TfGENEINIC* f, TDataSet* DataSet, int CodigoEmpresa);
// The SQL Server (ADO) connection string of a target ("?name", "Database",
// "DatabaseGeneral", "DatabaseAlt", or a catalog name).
void CadenaConexionADO(TfGENEINIC* f, const QString& Destino, const QString& Servidor,
                       QString& Cadena);

// SQL Server: the isolation level set on every connection, and the query of
// the translation table's collation (IntercalacionTextos).
QString SentenciaNivelAislamiento();
QString SentenciaIntercalacionTextos();
// SQL Server: the three statements that create a database, as sent.
QStringList SentenciasCrearBaseDatosSQL(const QString& Nombre);
// Creates a database on the engine in use: SQLite a folder's file (the folder
// must exist), PostgreSQL a schema, SQL Server the three statements on
// "master". A failure shows "¡Imposible crear la base de datos ...!. Motivo:"
// (kind "E", the program ends) and answers false.
bool CrearBaseDatosSQL(TfGENEINIC* f, const QString& Nombre);
// The company's database: on SQLite its folder under the general folder is
// made when missing (the general folder must exist).
bool CrearBaseDatosEmpresa(TfGENEINIC* f, int Codigo);

// Marks of creation in the general database. A company's database is made
// only the first time the company is chosen, and the users table gets its
// first administrator only while it has never held users: what was made once
// and is gone is lost data, refused with a message rather than made again
// empty.
bool EmpresaCreada(TfGENEINIC* f, int Codigo);
void MarcarEmpresaCreada(TfGENEINIC* f, int Codigo);
bool UsuariosDefinidos(TfGENEINIC* f);
void MarcarUsuariosDefinidos(TfGENEINIC* f);
// At start: an installation made before the marks gets them for the
// companies whose database exists and for a users table with users.
// EmpresasExistentes lists the companies whose database exists (asked only
// then).
void PrepararMarcasCreacion(TfGENEINIC* f, QList<int> (*EmpresasExistentes)(TfGENEINIC*));
// The message for a users table that held users and is now missing or empty;
// empty when it is sound or new (a table with users is marked on the way).
QString MotivoUsuariosPerdidos(TfGENEINIC* f);

// NombreCampoSQL and TipoDecimalSQL live with table creation (geneinic_tablas.h).

// ---------------------------------------------------------------- transactions
// A transaction on a database (nullptr = Database). They do not nest: a second
// start while one runs answers true and starts nothing; the caller that
// started it ends it. Each sets or clears TransaccionIniciada and
// ErrorEnTransaccion as the session expects.
bool IniciarTransaccion(TfGENEINIC* f, TDatabase* Base = nullptr);
// The engine refused because another connection keeps the database or the
// rows busy (SQLite busy or locked; PostgreSQL's lock wait that ran out, a
// deadlock, a serialization failure): the clerk can only wait and try again.
// A record another clerk is editing (the program's own record lock) is not.
bool BaseOcupada(const std::exception& e);
// What the clerk is told then.
QString TextoBaseOcupada();
// Busy, or the connection to the server lost: whatever follows in the same
// action is refused too, so it stops at the first such refusal.
bool BaseNoDisponible(const std::exception& e);
// What the clerk is told of an action the database refused, by its cause:
// busy, the lost connection's own text, a record another clerk holds ("¡ El
// registro esta siendo bloqueado por otro usuario !"); else Aviso.
QString TextoRechazo(const std::exception& e, const QString& Aviso);
// A statement's refusal by a busy database or a lost connection has been
// told (AnotarRechazoDicho); TomarRechazoDicho answers whether one was since
// the last transaction began, so that the unit that stops adds no second
// message of its own.
void AnotarRechazoDicho();
bool RechazoDicho();
bool TomarRechazoDicho();
// What the clerk is told when a transaction could not begin, by why the last
// IniciarTransaccion failed: the database busy, the lost connection's text,
// else "¡ La transacción no ha sido completada !. Inténtelo de nuevo.".
QString TextoTransaccionNoIniciada();
// Commits; a failure warns "¡No se puede finalizar la transacción!. Mensaje
// Original: ..." and answers false. The flags stay set only while the engine
// still holds the transaction; one the failure ended is forgotten.
bool ConfirmarTransaccion(TfGENEINIC* f, TDatabase* Base = nullptr);
// Rolls back; a failure warns "¡No se puede finalizar la transacción!".
bool CancelarTransaccion(TfGENEINIC* f, TDatabase* Base = nullptr);

// For routines that add a transaction where none was asked for: starts one
// only when none is running, and confirms (Confirmar) or rolls back (on
// destruction without Confirmar) only what it started.
class TGuardaTransaccion {
public:
    explicit TGuardaTransaccion(TfGENEINIC* f, TDatabase* Base = nullptr);
    ~TGuardaTransaccion();
    TGuardaTransaccion(const TGuardaTransaccion&) = delete;
    TGuardaTransaccion& operator=(const TGuardaTransaccion&) = delete;
    // True when a transaction runs (ours or the caller's).
    bool Activa() const { return activa_; }
    bool Propia() const { return propia_; }
    // Commits what this guard started; with an outer transaction, true.
    bool Confirmar();

private:
    TfGENEINIC* f_;
    TDatabase* base_;
    bool activa_ = false;
    bool propia_ = false;
};
