#pragma once
// Stored custom reports: the FILTRO rows of kind "GeneradorInformes" of the
// company database (Descripcion the report's name, Filtro its SQL,
// Instrucciones its design). Every save rewrites the whole row.

#include <QString>
#include <QStringList>

// The report's SQL and design; false when no row has that name.
bool LeerInforme(const QString& Nombre, QString& SQL, QString& Instrucciones);
bool ExisteInforme(const QString& Nombre);
// The first report by name, "" when none is stored.
QString PrimerInforme();
// The report whose name comes just before Nombre, or else the first one.
QString InformeAnterior(const QString& Nombre);
// True when the stored row differs from this SQL or design (or is missing).
bool InformeModificado(const QString& Nombre, const QString& SQL, const QString& Instrucciones);

// Replaces the row of that name (delete, then insert) in one transaction: a
// failure keeps the row that was stored and gives the database's message.
bool EscribirInforme(const QString& Nombre, const QString& SQL, const QString& Instrucciones,
                     QString& Motivo);
bool EliminarInforme(const QString& Nombre);

// Sets the two access lists (Name=Value lines) in the design of each named
// report, at once; an empty list removes its line. The number of rows written.
int CopiarAccesosInformes(const QStringList& Nombres, const QString& UsuariosAutorizados,
                          const QString& AplicacionesContenedoras);
