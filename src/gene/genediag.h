#pragma once
// The installation diagnosis: the checks of the workstation and of the
// database engine that damage shared work when they are wrong, reported in
// one text titled "Diagnóstico de la Instalación". Mode "Configuracion" runs
// at every start before the databases are connected; "MotorBaseDatos" after
// the login, when the user asks for it. A mode text naming both runs both.
//
// On this platform the Windows checks (the clock command, the registry, the
// old engine's configuration file, its old system files, the services) do
// not apply: they find nothing and write nothing. Our connections set what
// the engine's configuration guarded (WAL, busy timeout, UTF-8, unlimited
// blobs). What remains is the SQL Server agent's setting, on that engine
// only. With nothing to report no repair is offered.

#include <QString>
#include <QStringList>

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

// The checks of a mode on this platform.
void ComprobarInstalacion(const QString& Modo, THallazgosDiagnostico& Hallazgos);
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
