#include "gene/genediag.h"

#include <memory>

#include "gene/genedeta.h"
#include "gene/geneform.h"
#include "gene/geneinic.h"
#include "gene/geneinic_servicios.h"
#include "gene/sesion.h"
#include "io/textfile.h"

TfGENEDIAG* fGENEDIAG = nullptr;
TComprobacionesDiagnostico GanchoComprobacionesDiagnostico = &ComprobarInstalacion;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kTitulo = QStringLiteral("Diagnóstico de la Instalación");

// The first "Nombre=" line of the settings file, whatever its section.
QString ValorConfiguracion(const QString& Nombre) {
    QString texto;
    if (!ReadTextFile(ArchivoConfiguracion, texto)) return QString();
    const QString prefijo = Nombre + QLatin1Char('=');
    for (const QString& linea : texto.split(QLatin1Char('\n')))
        if (linea.startsWith(prefijo)) return linea.mid(prefijo.size()).trimmed();
    return QString();
}

QString Seccion(const QString& Encabezado, const QStringList& Lineas, const QString& Vineta) {
    QString s = Encabezado + kCrLf + kCrLf;
    for (const QString& l : Lineas) s += Vineta + l + kCrLf;
    return s;
}

}  // namespace

QString TextoDiagnostico(const THallazgosDiagnostico& h) {
    QStringList secciones;
    const QString anomalias = QStringLiteral("Las siguientes anomalías han sido detectadas en ");
    if (!h.Registro.isEmpty())
        secciones << Seccion(anomalias + QStringLiteral("el Registro de Windows:"), h.Registro,
                             QStringLiteral(" - "));
    if (!h.ConfiguracionBDE.isEmpty())
        secciones << Seccion(anomalias + QStringLiteral("el archivo de configuración del BDE:"),
                             h.ConfiguracionBDE, QStringLiteral(" - "));
    if (!h.SistemaOperativo.isEmpty())
        secciones << Seccion(anomalias + QStringLiteral("el Sistema Operativo: "),
                             h.SistemaOperativo, QString());
    if (!h.SQLServer.isEmpty())
        secciones << anomalias +
                         QStringLiteral(
                             "Microsoft SQL Server y deben ser reconfiguradas "
                             "manualmente: ") +
                         kCrLf + kCrLf + h.SQLServer.join(QString());
    return secciones.join(kCrLf + kCrLf);
}

void ComprobarInstalacion(const QString& Modo, THallazgosDiagnostico& Hallazgos) {
    // "Configuracion": the clock, the registry, the engine's configuration
    // and its system files are Windows's; none of them applies here.
    if (!Modo.contains(QLatin1String("MotorBaseDatos"))) return;
    // The agent that makes the periodic backups is SQL Server's own.
    if (TipoBaseDatos != QLatin1String("Microsoft SQL Server") ||
        VersionServidorSQL.contains(QLatin1String("Express Edition")))
        return;
    if (ValorConfiguracion(QStringLiteral("NombreServicioAgenteMSSQL")).isEmpty())
        Hallazgos.SQLServer << QStringLiteral(
                                   "No tiene configurado el sistema de alerta sobre la actividad "
                                   "del Agente de SQL Server (Gestor de Aplicaciones/Configuración/"
                                   "Configuración de Sistema/Microsoft SQL Server)") +
                                   kCrLf;
    // A named service's state is read from the Windows service manager,
    // which this platform lacks: it is not reported.
}

TfGENEDIAG::TfGENEDIAG(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEDIAG"));
    setCaption(kTitulo);
    setPosition(poScreenCenter);
    setKeyPreview(true);
    resize(320, 120);
    OnClose = [](QObject*, TCloseAction& Action) { Action = caFree; };
    OnActivate = [this](QObject*) { update(); };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    OnKeyPress = [this](QObject*, QChar& Key) {
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, this, Key);
    };
    fGENEDIAG = this;
}

TfGENEDIAG::~TfGENEDIAG() {
    if (fGENEDIAG == this) fGENEDIAG = nullptr;
}

bool TfGENEDIAG::DiagnosticoInstalacion(const QString& Modo) {
    THallazgosDiagnostico hallazgos;
    if (GanchoComprobacionesDiagnostico) GanchoComprobacionesDiagnostico(Modo, hallazgos);
    const QString informe = TextoDiagnostico(hallazgos);
    if (informe.isEmpty()) return true;
    MostrarDetalle(informe, kTitulo, QString());
    // Nothing found here could be written back: no repair is offered.
    return false;
}

int EjecutarDiagnostico(TfGENEINIC*, const QString& Modo) {
    std::unique_ptr<TfGENEDIAG> forma(NewForm<TfGENEDIAG>());
    return forma->DiagnosticoInstalacion(Modo) ? 1 : 0;
}

void InstalarDiagnostico() {
    GanchoDiagnosticoInstalacion = &EjecutarDiagnostico;
}
