#pragma once
// The data dictionary: the structure of every permanent table (columns,
// indexes and SQL lines) declared in DATABASE.TXT, a site's specific file
// beside it (".ESP") and variant files (".VRT") that add or replace
// definitions, plus the user-defined fields kept in CAMPOUSR.
//
// A line is "TABLA/kind/..." with kind "C" (column: number, name, type name,
// size, "*" for a key column), "I" (index: number, name or "<Primary>",
// fields joined by ";", options with "-" for descending) or "SQL". The lines
// of one table stand together; the first run of a table's lines is its
// definition, so an earlier run hides a later one. Texts use CR LF.

#include <QString>
#include <QStringList>

class TfGENEINIC;

// Section headers of a variant file.
inline constexpr const char* kSeccionSustitutivas = "[Definiciones Nuevas o Sustitutivas]";
inline constexpr const char* kSeccionComplementarias = "[Definiciones Complementarias]";

// The merged dictionary: the specific file first (its definitions hide the
// standard ones), then the standard file, then each variant file of the
// comma-separated list merged in order. A missing specific or variant file
// is no error; a standard file that cannot be read is warned about ("No está
// disponible el archivo ...") and the result is false (Texto holds what could
// be read).
bool LeerDiccionarioDatos(TfGENEINIC* f, const QString& ArchivoDiccionario,
                          const QString& ArchivoEspecifico, const QString& ArchivosVariantes,
                          QString& Texto);
// The standard merged dictionary: RutaDiccionario with its ".ESP" and ".VRT"
// companions.
bool LeerDiccionarioEstandar(TfGENEINIC* f, QString& Texto);

// Merges one variant text into a dictionary text (pure).
void CombinarDiccionario(TfGENEINIC* f, const QString& Diccionario, const QString& Variante,
                         QString& Resultado);

// The definition lines of one table (exact name): columns, user fields (from
// CAMPOUSR, numbered 1000 + OrdenCampo), indexes and SQL lines, each ended by
// CR LF. Partes: comma-separated "Campos", "CamposUsuario", "Indices", "SQL";
// empty = all.
void DefinicionTablaDiccionario(TfGENEINIC* f, const QString& NombreTabla,
                                const QString& TextoDiccionario, QString& Definicion,
                                const QString& Partes);

// The sorted table names of a dictionary text, one per line, no duplicates.
// "IncluirFecha" in Opciones appends "/" + the line's second token per line
// and leaves the list unsorted.
void TablasTextoDiccionario(TfGENEINIC* f, const QString& Texto, const QString& Opciones,
                            QString& Resultado);
// The table names of the standard dictionary; Opciones exactly
// "ExcluirTablasBDGeneral" leaves out the general database's tables.
void ListaTablasDiccionario(TfGENEINIC* f, const QString& Opciones, QString& Texto);
// Tells the database layer the program's own table names (TDatabase::
// SetProgramTableTest): the tables of the installation's dictionary as it
// reads now, the general tables and the work tables. No message when the
// dictionary is missing: the general and work tables are known anyway.
void ConocerTablasPrograma(TfGENEINIC* f);
// The field names of a table (user fields included), one per line.
void CamposTablaDiccionario(TfGENEINIC* f, const QString& NombreTabla, const QString& Opciones,
                            QString& Texto);
// The field names of the table's "C" lines of a definition text; with
// "IncluirTipo" each as name + "/" + type name.
void CamposDefinicionTabla(TfGENEINIC* f, const QString& NombreTabla, const QString& Definicion,
                           QString& Texto, const QString& Opciones);

// The user-field column lines of a table from CAMPOUSR (the table's name
// without owner, compared without regard to case; never for CAMPOUSR itself),
// in OrdenCampo order. ParaCrear numbers them 1000, 1001... and ends them
// "/NO"; otherwise they are numbered 1000 + OrdenCampo and end "/". Without a
// connected general database or a CAMPOUSR table there are none. False with
// Error set when CAMPOUSR cannot be read.
bool LineasCamposUsuario(TfGENEINIC* f, const QString& NombreTabla, bool ParaCrear,
                         QStringList& Lineas, QString& Error);

// The type name of a CAMPOUSR TipoCampo ("Alfanumerico" -> "ftString",
// "Numerico" -> "ftFloat", "Entero" -> "ftInteger", "Fecha" -> "ftDateTime",
// "Texto" -> "ftMemo"); "" for any other value.
QString TipoCampoUsuario(const QString& TipoCampo);

// Whether a table of that name is one the program makes (case ignored): a
// table of the standard dictionary (its site's and variant files
// included), a general table, a work table, or a register the program
// keeps beside them. Read without messages: the checks of users'
// statements ask it (nothing a user creates or renames takes such a name).
bool EsTablaDelPrograma(const QString& NombreTabla);
