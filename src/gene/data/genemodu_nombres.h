#pragma once
// Physical table and index names per engine, key fields and columns of a
// table, and the register of temporary-table names (NOMBTTEM).

#include <QString>

class QObject;
class TModuloDatos;
class TTable;

// SQL Server: "dbo." + name, unless the name carries "dbo." already or is a
// temporary table kept as a file; every other engine: the name unchanged.
void NombreTablaFisico(TModuloDatos* ModuloDatos, const QString& Nombre, QString& Resultado);
// SQL Server: the part after the only "."; otherwise the name unchanged.
void NombreTablaSinPropietario(TModuloDatos* ModuloDatos, const QString& Nombre,
                               QString& Resultado);
// The engine's name of an index of a table: "Clave1" for "<Primary>" on
// Paradox, T + "_" + I on the servers (T + "_Clave1" for the primary one on
// SQL Server and Access).
void NombreIndice(TModuloDatos* ModuloDatos, TTable* Tabla, const QString& NombreIndice,
                  QString& Resultado);

// Key fields of an index (empty name: the primary one), joined by ";".
void CamposClave(TModuloDatos* ModuloDatos, TTable* Tabla, const QString& NombreIndice,
                 QString& Campos);
// The same from the catalog by table name (SQL Server's system tables; the
// other engines' catalogs elsewhere).
void CamposClaveSQL(TModuloDatos* ModuloDatos, const QString& NombreTabla,
                    const QString& NombreIndice, QString& Campos);
// Fields of the primary key; 0 for an empty key list.
int NumeroCamposClave(TModuloDatos* ModuloDatos, TTable* Tabla);
int NumeroCamposClaveSQL(TModuloDatos* ModuloDatos, const QString& NombreTabla);
// Column names joined by ";" ("SinMemos": without text columns).
void CamposTablaSQL(TModuloDatos* ModuloDatos, const QString& NombreTabla, const QString& Opciones,
                    QString& Campos);
// The same one per line, no line break after the last ("Sin Campos Memo").
void CamposTabla(TModuloDatos* ModuloDatos, const QString& NombreTabla, const QString& Opciones,
                 QString& Lista);

// The catalog statements as SQL Server receives them.
QString SentenciaCamposClaveSQLServer(const QString& NombreIndiceFisico);
QString SentenciaCamposTablaSQLServer(const QString& NombreTabla, bool SinMemos);

// A physical temporary-table name for this owner (its objectName, "Unknown"
// without one) and number, unique per machine, session and user, and the same
// every time it is asked with the same values: "TEMP" + six digits + "_" +
// owner, at most 20 characters.
void NombreTablaTemporalUnica(TModuloDatos* ModuloDatos, QObject* Propietario, int Numero,
                              QString& Nombre);
// The long name NombreTablaTemporalUnica registers.
QString NombreTablaTemporalLargo(QObject* Propietario, int Numero);
// Looks the long name up in NOMBTTEM or registers it. After ten failed tries
// (register unreachable, numbers taken by other sessions) it shows why and
// ends in a silent abort (EAbort).
void NombreTablaTemporal(TModuloDatos* ModuloDatos, const QString& NombreLargo,
                         const QString& NombrePropietario, QString& Nombre);
