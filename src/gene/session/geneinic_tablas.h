#pragma once
// Tables of the session form: creation from structure definitions (a
// temporary-table definition text or the data dictionary), opening one table
// or every table of an owner on the general or company database, creating
// the ones that do not exist yet.
//
// A temporary definition starts with a line holding "Tabla Temporal",
// optionally followed by a number ("Tabla Temporal 1") that tells apart the
// work tables of one owner; column lines "/C/n/Campo/ftTipo/size/*" and index
// lines "/I/n/Nombre/CampoA;CampoB/options" follow. In the options a "-"
// makes the index descending and the word "Unico" makes it unique.

#include <QString>
#include <QStringList>

#include "db/dberror.h"
#include "db/dialect.h"

class QObject;
struct TEstructuraTabla;
class TTable;
class TfGENEINIC;

// A table that could not be made, after the warning that said why: for a
// reason of the moment (the database busy or locked by another program, the
// connection lost, the disk full), made at a later try; or a lasting one (an
// object holding a name it needs, which the warning names with the
// statement that clears it). A silent abort to callers that do not look for
// it: only what needed the table stops.
class ETablaNoCreada : public EAbort {
public:
    explicit ETablaNoCreada(const QString& Motivo) : motivo_(Motivo) {}
    // The text the user was shown.
    const QString& Motivo() const { return motivo_; }
    const char* what() const noexcept override { return "Table not created"; }

private:
    QString motivo_;
};

// Creates the physical table of Tabla (its TableName on the database of its
// DatabaseName) from Definicion: a temporary definition, "" for the standard
// dictionary, or "dictionary;specific" file names. Opcion is the company
// whose database a DatabaseName "?" + name means (-1: the standard company
// alias). True when the table was created; false when it already existed (a
// permanent table, left untouched) or could not be created (after the
// message). A failed CREATE statement warns, shows the statement and ends in
// a silent abort (EAbort); a failure of the moment, an object in the way or
// any failure of the embedded engine ends in ETablaNoCreada. A
// transaction the caller started is never committed or rolled back here.
bool CrearTablaEstructura(TfGENEINIC* f, TTable* Tabla, const QString& Definicion, int Opcion);
// CrearTablaEstructura(Tabla, "", -1).
bool CrearTabla(TfGENEINIC* f, TTable* Tabla);

// A field or index name as SQL Server takes it: every "ñ" becomes "_" ("Año"
// -> "A_o"); a name without "ñ" loses its "-" ("Cod-Postal" -> "CodPostal").
// Other engines keep the name.
void NombreCampoSQL(TfGENEINIC* f, const QString& Nombre, QString& Resultado);
// "DECIMAL(28,12)" for the name "Cambio" and names holding "Factor", else
// "DECIMAL(28,8)".
void TipoDecimalSQL(TfGENEINIC* f, const QString& NombreCampo, QString& Resultado);

// The statements that create a table on an SQL engine (PostgreSQL or SQL
// Server), built from its column and index lines: CREATE TABLE, one CREATE
// INDEX per index other than "<Primary>" and, on PostgreSQL, the comments
// that keep the dictionary's spelling and field types. Field and index names
// as NombreCampoSQL gives them for the engine in use. VersionServidor is the
// SQL Server version text ("MAX" strings become TEXT on SQL Server 2000).
struct TSentenciasTabla {
    QString CrearTabla;  // empty when there are no columns
    QStringList Indices;
    QStringList Comentarios;
};
TSentenciasTabla SentenciasCrearTablaSQL(Engine Motor, const QString& NombreTabla,
                                         const QStringList& Lineas, bool Temporal,
                                         const QString& VersionServidor = QString());
// The same from a structure already read.
TSentenciasTabla SentenciasCrearTablaSQL(Engine Motor, const QString& NombreTabla,
                                         const TEstructuraTabla& Estructura, bool Temporal,
                                         const QString& VersionServidor = QString());

// Opens one table on its database (general tables on the general database, a
// temporary table on its own, "?" + name on that database, the rest on the
// company database), creating it from the dictionary when it does not exist.
// True when the table is open.
bool AbrirTabla(TfGENEINIC* f, TTable* Tabla);

// Company 1 ("Empresa 1") written into an empty company table (closed on
// entry and on return), and its database created.
void CrearEmpresaInicial(TfGENEINIC* f, TTable* Tabla);

// Routes every TTable child of the owner (a form or a data module) with a
// table name to the general or company database, creates a missing one and
// opens it. A PARAGENE table is skipped while no company is chosen. A window
// whose table cannot be made now (ETablaNoCreada) is closed and the opening
// ends in a silent abort; a data module goes on without the tables still to
// be made.
void AbrirTablasFormulario(TfGENEINIC* f, QObject* Formulario);

// Hook points of the form framework: the common preparation of an owner
// (display formats, the common dataset handlers...) run before its tables
// open, and the translation of an owner run after. Unset, nothing runs.
using TGanchoFormulario = void (*)(TfGENEINIC* f, QObject* Formulario);
extern TGanchoFormulario GanchoPrepararFormulario;
extern TGanchoFormulario GanchoTraducirFormulario;
