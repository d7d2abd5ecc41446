#pragma once
// Table names, SQL range conditions, files, waiting, programs and the system.
// Paths are accepted with either separator and returned in native form.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "db/dberror.h"

// Table names. An owner prefix ("dbo.PERSONAL") is skipped: the second
// "."-separated piece is judged.
bool EsTablaGeneral(const QString& NombreTabla);   // EMPRESA, USUARIO... (case counts)
bool EsTablaTemporal(const QString& NombreTabla);  // "TEMP..." of 9 characters or more
// Upper-case name of the table after the first " FROM " of a query; "" without one.
QString NombreTablaSQL(const QString& SQL);

// An SQL condition for Campo between Desde and Hasta (equality when they are
// the same text), widened to NULL when the lower bound is empty or zero. Tipo:
// "ftInteger", "ftSmallint", "CAST_AS_INTEGER", "ftFloat", "ftDate",
// "ftDateTime"; anything else is "ftString". Integer bounds that are empty or
// not numbers read as 0; an empty float bound reads as 0, one that is not a
// number shows the re-entry warning and cancels the operation (Abort()).
// Strings are quoted; dates are written as the engine in use writes them.
QString CondicionDesdeHasta(const QString& Campo, const QString& Desde, const QString& Hasta,
                            const QString& Tipo);
// "Desde Campo: d, Hasta Campo: h, " for every line "Campo|d|h" of Lista
// (CR LF separated) that has a bound.
QString TextoDesdeHasta(const QString& Lista);
// Every "F = ''" after the WHERE becomes "(F = '' OR F IS NULL)" and every
// "F <> ''" becomes "(F <> '' AND F IS NOT NULL)".
QString IncluirNulosEnCondiciones(const QString& SQL);
// A statement with its quoted values set aside, so that rewrites of its own
// words never touch a value: Texto() has each literal other than '' as a
// mark, Restaurar() puts them back as they were written.
class TLiteralesSQL {
public:
    explicit TLiteralesSQL(const QString& SQL);
    const QString& Texto() const { return texto_; }
    QString Restaurar(const QString& Texto) const;

private:
    QChar marca_;
    QString texto_;
    QStringList literales_;
};

// Files.
// A file that cannot be read or written.
class EInOutError : public EDatabaseError {
public:
    explicit EInOutError(const QString& message) : EDatabaseError(DbError::General, message) {}
};
// Copies Origen over Destino; raises EInOutError when either cannot be opened.
void CopiarArchivo(const QString& Origen, const QString& Destino);
// Deletes every entry that matches the mask ("C:\TEMP\*.TMP"); false when one
// could not be deleted (folders are never deleted).
bool BorrarArchivos(const QString& Mascara);
// Writes the text as lines ended by CR LF, replacing the file; false after a
// failure, which is shown.
bool CrearArchivoTexto(const QString& Archivo, const QString& Texto);
// Time of the last write; an invalid QDateTime when the file is missing.
QDateTime FechaArchivo(const QString& Archivo);
QString DirectorioTemporal();  // with a trailing separator
QString DirectorioSistema();   // without one
// The dictionary DATABASE.TXT in the general database's folder, copied there
// from the program's folder when it is missing.
QString RutaDiccionario();

// Waits while the application goes on handling its events (timers, input,
// repaints); so may any caller's handlers run meanwhile.
void Esperar(int Milisegundos);

// A new GUID, 36 upper-case characters without braces.
QString GenerarGUID();
// The computer's host name and its first IPv4 address; false with Error set
// when the name cannot be had.
bool NombreEquipo(QString& Nombre, QString& Direccion, QString& Error);

// The running program's name as the system knows it: "KORVAND.EXE" for the
// executable korvand. AsignarProgramaEnEjecucion gives another identity (tests,
// sibling programs); an empty name restores the executable's.
QString ProgramaEnEjecucion();
void AsignarProgramaEnEjecucion(const QString& Nombre);
// True when the running program's name equals or contains Nombre (any case).
bool EsProgramaEnEjecucion(const QString& Nombre);

// Starts a command line without waiting. The window words of Opciones
// ("Minimizado", "Maximizado", "Oculto") mean nothing here; failures are shown
// unless Opciones holds "SinMensaje".
void EjecutarPrograma(const QString& LineaComando, const QString& Opciones);
// Runs Programa with the arguments of LineaComando (whose first word is the
// program itself, as the system writes it; Programa empty takes it from
// there) and waits for it to end while the application keeps handling events.
void EjecutarYEsperar(const QString& Programa, const QString& LineaComando);

// The operating system's version. This is Linux: the Windows-only rules of
// the callers ("Windows NT", "Windows XP") never apply.
struct TVersionSistema {
    int MajorVersion = 0;
    int MinorVersion = 0;
    int BuildNumber = 0;
    QString ServicePack;  // always empty here
};
bool ObtenerVersionWindows(TVersionSistema& Version);
// "PlataformaBase=Linux", "Plataforma=" the distribution's name, "Version="
// the kernel's major.minor.build and "Nivel=", CR LF between them.
QString DatosVersionWindows();
