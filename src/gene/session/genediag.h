#pragma once
// The installation diagnosis: the checks of the workstation and of the
// database engine that damage shared work when they are wrong, reported in
// one text titled "Diagnóstico de la Instalación". Mode "Configuracion" runs
// at every start before the databases are connected; "MotorBaseDatos" after
// the login, when the user asks for it. A mode text naming both runs both.
//
// On this platform the checks are those of its own configuration, kept as a
// table (genediag.cpp), each filed under the section of the check it
// replaces: the SQLite database folders and files under the engine's
// configuration ("Configuracion", where the journal mode can be repaired),
// the PostgreSQL server's settings in the fourth section ("MotorBaseDatos",
// report only), the clock against the server and the outside programs under
// the operating system. The headings name this platform's configuration in
// place of the Windows registry and the old engine's file; the SQL Server
// agent's setting is kept for that engine.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

#include "ui/form.h"

class TfGENEINIC;

// The findings of a run, by section of the report.
struct THallazgosDiagnostico {
    QStringList Registro;          // Windows registry
    QStringList ConfiguracionBDE;  // the database engine's configuration
    QStringList SistemaOperativo;
    QStringList SQLServer;  // each finding with its own line ends, if any
};

// The report: each section that has findings, with its heading, the
// sections separated by CR LF CR LF; empty when there is nothing.
QString TextoDiagnostico(const THallazgosDiagnostico& Hallazgos);

// The checks of a mode on this platform. Reparaciones, when given, gets
// what would set right each finding the program can correct.
void ComprobarInstalacion(const QString& Modo, THallazgosDiagnostico& Hallazgos);
void ComprobarInstalacion(const QString& Modo, THallazgosDiagnostico& Hallazgos,
                          QList<std::function<void()>>* Reparaciones);

// The checks, for the tests. The findings of one SQLite database folder
// (its file, if any, included); Reparaciones gets the journal mode's repair.
// The file is only read: one that is no database of the program (empty,
// damaged, another program's) is named and gets no repair.
QStringList ComprobarCarpetaSqlite(const QString& Carpeta,
                                   QList<std::function<void()>>* Reparaciones = nullptr);
// The PostgreSQL server's settings read (max_connections, server_encoding)
// against the minimum of connections.
QStringList ComprobarServidorPostgreSQL(int MaximoConexiones, const QString& Codificacion,
                                        int MinimoConexiones);
// The local clock against the server's (both UTC).
QStringList ComprobarReloj(const QDateTime& Local, const QDateTime& Servidor);
// The outside programs the program calls, looked for on PATH.
QStringList ComprobarProgramasExternos();
// The file system type of a folder (statfs's f_type); tests stand in for it.
using TTipoSistemaArchivos = long (*)(const QString& Carpeta);
extern TTipoSistemaArchivos GanchoTipoSistemaArchivos;
// The local clock, UTC; tests stand in for it.
extern QDateTime (*GanchoRelojLocal)();
// The checks a run uses: ComprobarInstalacion unless a test put stand-in
// findings in its place.
using TComprobacionesDiagnostico = void (*)(const QString& Modo, THallazgosDiagnostico& Hallazgos);
extern TComprobacionesDiagnostico GanchoComprobacionesDiagnostico;

class TfGENEDIAG : public TForm {
    Q_OBJECT
public:
    explicit TfGENEDIAG(QWidget* owner = nullptr);
    ~TfGENEDIAG() override;

    // True when nothing was found; otherwise the report is shown in the
    // detail viewer and the answer is false.
    bool DiagnosticoInstalacion(const QString& Modo);
    Q_INVOKABLE void BuscarDatosDBEdit(QObject*) {}
};

extern TfGENEDIAG* fGENEDIAG;

// Creates fGENEDIAG, runs the diagnosis, closes it: 1 when nothing was
// found, 0 otherwise.
int EjecutarDiagnostico(TfGENEINIC* f, const QString& Modo);
// Sets the session's hook GanchoDiagnosticoInstalacion to EjecutarDiagnostico.
void InstalarDiagnostico();
