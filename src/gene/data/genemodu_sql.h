#pragma once
// The SQL layer: every unit runs its statements through these routines. A
// statement comes back as one result text (rows separated by CR LF, columns
// by "|") or as an error text that starts with "Error.".
//
// Database selector: "Database" or "" the company database, "DatabaseGeneral"
// the general one, "DatabaseAlt" the alternative one, "?" + name or any other
// text the database or alias of that name.
//
// Options (plain case-sensitive substring tests): "Silenciosa" (no messages),
// "FormatoINI" (Name=Value columns joined by the byte 0xB7),
// "NoEliminarUltimoCRLF", "DelimitadorCRLFMemo=x" (what replaces a line break
// inside a memo of a multi-column result; a blank by default), "ForzarNULL",
// "No Crear Tabla" (a missing table is not created from the dictionary),
// "ADOConnection" (InsertarRegistroSQL), "Open", "ExecSQL", "Temporal"
// (AbrirConsulta), "SentenciaUsuario" (a query a user typed: refused by
// the engine when it holds several, read whatever its first word, on
// PostgreSQL in a read-only transaction on the connection for users'
// statements; see TQuery::setUserStatement).
//
// ModuloDatos may be null (start-up, between company changes): the routines
// then do without the cache and the module's tables.

#include <QString>
#include <QStringList>

class TDatabase;
class TDataSet;
class TField;
class TModuloDatos;
class TQuery;

// The result of a statement as text; see above. Never raises: a failure is
// the "Error. ..." text (shown unless "Silenciosa").
void EjecutarSQL(TModuloDatos* ModuloDatos, const QString& SQL, const QString& Selector,
                 const QString& Opciones, QString& Resultado);
// EjecutarSQL with "Silenciosa" whose "Error. ..." text is taken as no
// answer, so that it can never be read as a name or a statement.
QString ConsultaSilenciosa(TModuloDatos* ModuloDatos, const QString& SQL, const QString& Selector);
// The second access road. Here it is the same connection as EjecutarSQL; the
// differences of contract stay: no "FormatoINI", no "rowguid" rule, no table
// created on failure, EXEC executed but not read.
void EjecutarSQLADO(TModuloDatos* ModuloDatos, const QString& SQL, const QString& Selector,
                    const QString& Opciones, QString& Resultado);
// EjecutarSQL through a cache of Name=Value lines ("=" kept as "$IGUAL$", CR LF
// as "$CRLF$", an empty result as "Conjunto_Vacio"); at most about 20000
// entries, the oldest dropped first. Error results are never cached.
void EjecutarSQLCache(TModuloDatos* ModuloDatos, const QString& SQL, QStringList& Cache,
                      const QString& Selector, const QString& Opciones, QString& Resultado);

// Opens ("Open") or executes ("ExecSQL") a query the caller filled; without
// either word a SELECT is opened and anything else executed. A missing table
// is created from the dictionary and the statement run once more. A failure
// is shown unless the options hold "Silencio", sets ErrorEnTransaccion and
// answers false.
bool AbrirConsulta(TModuloDatos* ModuloDatos, TQuery* Consulta, const QString& Opciones);
// The same, giving the reason of a failure in Motivo (as `MotivoError` words it).
bool AbrirConsulta(TModuloDatos* ModuloDatos, TQuery* Consulta, const QString& Opciones,
                   QString& Motivo);
bool AbrirConsultaADO(TModuloDatos* ModuloDatos, TQuery* Consulta, const QString& Opciones);

// A text the user wrote into a statement must hold one statement: the
// reason why it does not (a ";" outside quotes and comments followed by more
// than blanks and comments), "" when it holds one; a CREATE TRIGGER, whose
// body holds its own ";", is refused as a trigger. A second statement would
// run on some engines with the rights of the program.
QString MotivoSegundaSentencia(const QString& SQL);

// Creates, from the dictionary, every table that the statement names after
// FROM, JOIN, UPDATE, INTO or DELETE FROM and that does not exist yet, on the
// selector's database; a name standing where a WITH of the statement defines
// it is that WITH's rows, not a table. True when the last creation succeeded or none was needed.
bool CrearTablasSentencia(TModuloDatos* ModuloDatos, const QString& SQL, const QString& Selector);

// SQL Server: the column list of the temporary table that holds a query's
// result ("Name VARCHAR(n) DEFAULT '' NULL, ..."), as CrearTablaSQLServer writes it.
QString ColumnasTablaSQLServer(TDataSet* Consulta);
// SQL Server only: copies an opened query's result into a temporary table of
// the general database and reopens the query on it.
void CrearTablaSQLServer(TModuloDatos* ModuloDatos, TQuery* Consulta);

// INSERT from a text whose first line is the table name and whose other
// lines are Field=Value; single quotes are removed from the values and lines
// with an empty value are left out. True when the statement succeeded.
bool InsertarRegistroSQL(TModuloDatos* ModuloDatos, const QString& Texto, const QString& Selector,
                         const QString& Opciones);
// SQL Server only: rewrites the memo fields of the current record by key.
void ActualizarRegistroSQL(TModuloDatos* ModuloDatos, TDataSet* Tabla);
// The UPDATE statement ActualizarRegistroSQL runs ("" when there is nothing
// to set or no key); empty memos are written as NULL.
QString SentenciaActualizarRegistroSQL(TModuloDatos* ModuloDatos, TDataSet* Tabla);

// Descriptions of the saved queries ("ConsultasSQL") or custom reports (any
// other kind, e.g. "GeneradorInformes") of FILTRO that the user may run in
// the application, each followed by CR LF.
void ConsultasGuardadas(TModuloDatos* ModuloDatos, const QString& Usuario,
                        const QString& Aplicacion, const QString& Tipo, QString& Lista);

// The variables (":$name", ":#name", ":&name", ":*name") of a statement, one
// per line each ended by CR LF; a repeated name gets "_" and a number.
void VariablesSQL(TModuloDatos* ModuloDatos, const QString& SQL, QString& Lista);
// Creates the query's parameters for those variables from "|"-separated values:
// "$" string, "#" integer or float, "&" date-time, "*" none (substituted by
// the caller).
void AsignarVariablesSQL(TModuloDatos* ModuloDatos, TQuery* Consulta, const QString& Valores);
// The same with one value per variable line: a "|" typed into a value stays
// in that value instead of shifting every later one.
void AsignarValoresVariablesSQL(TModuloDatos* ModuloDatos, TQuery* Consulta,
                                const QStringList& Valores);
// The same for variable lines taken before the text changed (the multiple
// values written in): value i to line i, a line without parameter skipped.
void AsignarValoresVariablesSQL(TModuloDatos* ModuloDatos, TQuery* Consulta,
                                const QStringList& Variables, const QStringList& Valores);

// "9" -> "9:00:00", "" -> "00:00:00", "9:30" kept.
void AsignarHora(TModuloDatos* ModuloDatos, TField* Campo, const QString& Texto);
// The display text, or "" for the zero date.
void TextoCampoFecha(TModuloDatos* ModuloDatos, TField* Campo, QString& Texto);
// The display text; "" for the zero date; only the time on the zero day.
void TextoCampoFechaHora(TModuloDatos* ModuloDatos, TField* Campo, QString& Texto);

// The database a selector names: "Database" (or ""), "DatabaseGeneral" and
// "DatabaseAlt" are the session form's databases, whatever alias they are
// connected to; anything else is resolved by the session ("?" + name, an
// alias). Raises EDatabaseError when there is none.
TDatabase* BaseDatosSelector(const QString& Selector);
// The DatabaseName a dataset gets to reach the selector's database.
QString NombreBaseDatosSelector(const QString& Selector);
