// The session's start sequence: command line, leftover files, parameter file,
// settings file, look, the database session (session number, private folder,
// general and company databases), help map, inactivity timer and the
// user-fields table.

#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QLockFile>
#include <QPalette>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <memory>
#include <vector>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genesist.h"
#include "gene/data/mensajes.h"
#include "gene/session/genedicc.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "io/inifile.h"
#include "io/paths.h"
#include "io/textfile.h"

namespace {

const QString kConfiguracion = QStringLiteral("Configuración");
const QString kSeccionMSSQL = QStringLiteral("Microsoft SQL Server");
const QString kSeccionPostgres = QStringLiteral("SQL Generica");
const QString kIntercalacionPorDefecto = QStringLiteral("SQL_Latin1_General_Cp1_CI_AI");
const QString kAislamientoPorDefecto = QStringLiteral("READ UNCOMMITTED");
// The distributor's address of the main window's link when none is set.
const QString kURLPorDefecto = QStringLiteral("https://www.recursos-humanos.example/");
// The look the main window declares when the settings name none.
const QString kAspectoPorDefecto = QStringLiteral("evo+");
const QString kConflicto = QStringLiteral(
    "Se ha producido un conflicto con otro usuario (o aplicación). Inténtelo de nuevo.");
const QString kImposibleIniciar = QStringLiteral("¡Imposible iniciar la aplicación!. Motivo: ");

QString ConBarra(const QString& carpeta) {
    return carpeta.endsWith(QLatin1Char('/')) ? carpeta : carpeta + QLatin1Char('/');
}

QString AvisoParametros(const QString& archivo) {
    return QStringLiteral("No ha sido posible leer los parámetros del archivo ") + archivo +
           QStringLiteral(". ") + QStringLiteral("Se utilizarán los parámetros por defecto.");
}

// How long a start waits for the register of running sessions.
constexpr qint64 kEsperaRegistro = 60000;

// The end of a start that has already told the user why.
struct EInicioInterrumpido {};

// The end of a start that a failure stops: its cause told in the user's
// words; a silent abort (a statement refused after its own warning) was
// told already and ends the start without a second, English, word.
void InicioImposible(const std::exception& e) {
    if (dynamic_cast<const EAbort*>(&e) && !dynamic_cast<const ETablaNoCreada*>(&e)) {
        SolicitarTerminacion();
        return;
    }
    MensajeError(kImposibleIniciar + TextoErrorBaseDatos(e));
}

// The lock files a session holds until it ends: its place in the session
// register and its private folder.
class TBloqueosSesion : public QObject {
public:
    explicit TBloqueosSesion(QObject* parent) : QObject(parent) {
        setObjectName(QStringLiteral("BloqueosSesion"));
    }
    std::vector<std::unique_ptr<QLockFile>> bloqueos;
    QDateTime inicio = QDateTime::currentDateTime();
};

std::unique_ptr<QLockFile> Bloquear(const QString& archivo) {
    auto lf = std::make_unique<QLockFile>(archivo);
    // Only a dead owner on this machine makes a lock stale; age never does.
    lf->setStaleLockTime(0);
    if (!lf->tryLock(0)) return nullptr;
    return lf;
}

// The folder of the register of running sessions (the engine's network
// control directory): BDENetDir when set ("LOCAL" with a server engine is the
// temporary folder), else the program's folder.
QString CarpetaControl() {
    QString carpeta = NativePath(BDENetDir.trimmed());
    if (carpeta.isEmpty())
        carpeta = NativePath(DirectorioPrograma);
    else if (MotorActual() != Engine::Sqlite &&
             BDENetDir.trimmed().compare(QLatin1String("LOCAL"), Qt::CaseInsensitive) == 0)
        carpeta = DirectorioTemporal();
    return JoinPath(carpeta, QStringLiteral("SESIONES"));
}

QString PrefijoUsuario() {
    QString usuario;
    NombreUsuarioWindows(usuario);
    // The register compares the first 15 characters of the name.
    usuario = usuario.left(15);
    for (QChar& c : usuario)
        if (!c.isLetterOrNumber() && c != QLatin1Char('_') && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    return usuario + QLatin1Char('.');
}

// A lock file whose owner is alive (probing takes and frees a stale one).
bool BloqueoVivo(const QString& archivo) {
    QLockFile lf(archivo);
    lf.setStaleLockTime(0);
    if (lf.tryLock(0)) {
        lf.unlock();
        return false;
    }
    return true;
}

// The number of a register entry "<user>.<n>.lck" (0 when it has none).
int NumeroEntrada(const QString& nombre) {
    const QStringList partes = nombre.split(QLatin1Char('.'));
    return partes.size() >= 3 ? partes.at(partes.size() - 2).toInt() : 0;
}

// Takes the lowest number that no running session holds, whoever its user,
// and keeps the entry locked in `bloqueos`; -1 when none could be taken.
// Choosing and locking happen under the register's own lock, so sessions
// that start together never get the same number.
int TomarNumeroSesion(const QString& registro, std::vector<std::unique_ptr<QLockFile>>& bloqueos) {
    QLockFile cerrojo(JoinPath(registro, QStringLiteral("REGISTRO.lock")));
    cerrojo.setStaleLockTime(0);
    // Short steps of random length: the lock's own waiting doubles its sleeps,
    // so starts that wait together wake together and the latest ones starve.
    QElapsedTimer espera;
    espera.start();
    while (!cerrojo.tryLock(0)) {
        if (cerrojo.error() == QLockFile::PermissionError || espera.elapsed() > kEsperaRegistro)
            return -1;
        QThread::msleep(5 + QRandomGenerator::global()->bounded(25));
    }
    QSet<int> ocupados;
    const QDir d(registro);
    for (const QString& nombre : d.entryList({QStringLiteral("*.lck")}, QDir::Files | QDir::Hidden))
        if (const int n = NumeroEntrada(nombre); n > 0 && BloqueoVivo(d.filePath(nombre)))
            ocupados.insert(n);
    for (int k = 1; k < 100000; ++k) {
        if (ocupados.contains(k)) continue;
        auto lf =
            Bloquear(d.filePath(PrefijoUsuario() + QString::number(k) + QStringLiteral(".lck")));
        if (!lf) continue;
        bloqueos.push_back(std::move(lf));
        return k;
    }
    return -1;
}

}  // namespace

// ---------------------------------------------------------------- command line

TLineaComando LeerLineaComando(const QStringList& argumentos) {
    TLineaComando r;
    bool posicional = true;
    for (const QString& a : argumentos) {
        if (a.size() >= 2 && a[1] == QLatin1Char('=')) posicional = false;
        const QString clave = a.left(2).toUpper();
        if (clave == QLatin1String("L="))
            r.ArchivoParametros = a.mid(2);
        else if (clave == QLatin1String("U="))
            r.CodigoUsuario = a.mid(2);
        else if (clave == QLatin1String("I="))
            r.ArchivoConfiguracion = a.mid(2);
        else if (clave == QLatin1String("T="))
            r.Idioma = a.mid(2);
    }
    if (posicional) {
        if (argumentos.size() > 0) r.ArchivoParametros = argumentos[0];
        if (argumentos.size() > 1) r.CodigoUsuario = argumentos[1];
    }
    return r;
}

QString ParametrosSesion() {
    // Each part with its leading blank; empty values keep their prefixes.
    return QStringLiteral(" L=") + ArchivoParametros + QStringLiteral(" U=") + CodigoUsuarioActual +
           QStringLiteral(" I=") + ParametroI + QStringLiteral(" T=") + ParametroT;
}

// ---------------------------------------------------------------- parameter file

namespace {

bool CargarParametros(const QString& ruta, QStringList& lineas) {
    if (ruta.trimmed().isEmpty()) return false;
    const QString nativa = NativePath(ruta);
    if (!QFileInfo(nativa).isFile()) return false;
    QString texto;
    if (!ReadTextFile(nativa, texto)) return false;
    texto.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    texto.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    lineas = texto.split(QLatin1Char('\n'));
    return true;
}

// The value of the first line whose name matches, without regard to case.
QString Valor(const QStringList& lineas, const QString& nombre) {
    for (const QString& l : lineas) {
        const int igual = l.indexOf(QLatin1Char('='));
        if (igual > 0 && l.left(igual).compare(nombre, Qt::CaseInsensitive) == 0)
            return l.mid(igual + 1);
    }
    return {};
}

}  // namespace

void LeerArchivoParametros(const QString& ruta) {
    QStringList lineas;
    const QString porDefecto =
        NativePath(DirectorioPrograma) + QString::fromLatin1(kArchivoParametrosPorDefecto);
    ArchivoParametros.clear();
    if (CargarParametros(ruta, lineas)) {
        ArchivoParametros = ruta;
    } else if (CargarParametros(porDefecto, lineas)) {
        ArchivoParametros = porDefecto;
    } else {
        lineas.clear();
        MensajeAdvertencia(AvisoParametros(porDefecto));
    }
    TipoBaseDatos = Valor(lineas, QStringLiteral("TipoBaseDatos")).trimmed();
    if (TipoBaseDatos.isEmpty()) TipoBaseDatos = QStringLiteral("Paradox");
    AliasBaseDatosGeneral = Valor(lineas, QStringLiteral("AliasBaseDatosGeneral")).trimmed();
    PathBaseDatosGeneral = Valor(lineas, QStringLiteral("PathBaseDatosGeneral")).trimmed();
    AliasBaseDatos = Valor(lineas, QStringLiteral("AliasBaseDatos")).trimmed();
    PathArchivosTemporales = Valor(lineas, QStringLiteral("PathArchivosTemporales")).trimmed();
    PathDatosEmpresa = PathBaseDatosGeneral;
}

// ---------------------------------------------------------------- settings file

QString RutaConfiguracion(const QString& valorI) {
    if (valorI.isEmpty()) return NativePath(DirectorioPrograma) + QStringLiteral("QEVWIN.INI");
    if (!valorI.contains(QLatin1Char('\\')) && !valorI.contains(QLatin1Char('/')))
        return NativePath(DirectorioPrograma) + valorI;
    return NativePath(valorI);
}

bool LeerConfiguracion(const QString& archivo) {
    const QFileInfo info(NativePath(archivo));
    bool legible = info.isFile() && info.isReadable();
    if (legible) {
        QFile prueba(info.filePath());
        legible = prueba.open(QIODevice::ReadOnly);
    }
    if (!legible) MensajeAdvertencia(AvisoParametros(archivo));
    // An unreadable file gives every key its default.
    const TIniFile ini(legible ? info.filePath() : QString());
    auto texto = [&](const QString& seccion, const char* clave, const QString& defecto) {
        return legible ? ini.ReadString(seccion, QLatin1String(clave), defecto) : defecto;
    };
    auto siNo = [&](const char* clave, const char* defecto) {
        return texto(kConfiguracion, clave, QLatin1String(defecto)) == QLatin1String("SI");
    };
    const bool sqlServer = TipoBaseDatos == QLatin1String("Microsoft SQL Server");
    // PostgreSQL's login is kept in a section of its own, with the same keys.
    const QString seccionLogin =
        TipoBaseDatos == QLatin1String("SQL Generica") ? kSeccionPostgres : kSeccionMSSQL;

    VisualizarLogoEmpresaEnMenu = siNo("VisualizarLogoEmpresaEnMenu", "NO");
    NivelCapturaIncidencias =
        texto(kConfiguracion, "NivelCapturaIncidencias", QStringLiteral("Minimo"));
    DesactivarForzadoGrabacionDatosADisco = siNo("DesactivarForzadoGrabacionDatosADisco", "NO");
    TiempoForzarTerminacionAplicacion =
        texto(kConfiguracion, "TiempoForzarTerminacionAplicacion", QString());
    ModoAdministradorActivado = siNo("ModoAdministradorActivado", "NO");
    ModoControlesNoVisiblesActivado = siNo("ModoControlesNoVisiblesActivado", "NO");
    RegistroAccesosActivado = siNo("RegistroAccesosActivado", "NO");
    ResponsabilidadDocumentalActivada = siNo("ResponsabilidadDocumentalActivada", "NO");
    DesactivarIndicesPorUsuarioEnBusquedas = siNo("DesactivarIndicesPorUsuarioEnBusquedas", "NO");
    FormatoFechaSQL = QStringLiteral("mm/dd/yyyy");
    if (sqlServer) {
        FormatoFechaSQL = texto(kConfiguracion, "FormatoFechaSQL", FormatoFechaSQL);
        if (FormatoFechaSQL.isEmpty()) FormatoFechaSQL = QStringLiteral("mm/dd/yyyy");
    }
    MensajeriaInternaActivada = siNo("MensajeriaInternaActivada", "NO");
    VisualizacionPreviaActivada = siNo("VisualizacionPreviaActivada", "SI");
    BusquedaAproximadaActivada = siNo("BusquedaAproximadaActivada", "NO");
    BDENetDir = texto(kConfiguracion, "BDENetDir", QString());
    DesactivarDiagnostico = siNo("DesactivarDiagnostico", "NO");
    AutenticacionWindows = siNo("AutenticacionWindows", "NO");
    NombreIntercalacionMSSQL =
        texto(kSeccionMSSQL, "NombreIntercalacionMSSQL", kIntercalacionPorDefecto);
    if (NombreIntercalacionMSSQL.isEmpty()) NombreIntercalacionMSSQL = kIntercalacionPorDefecto;
    MonitorizarActividadUsuario = siNo("MonitorizarActividadUsuario", "NO");
    ArchivosTemporalesEnBD = siNo("ArchivosTemporalesEnBD", "SI");
    NombreUsuarioInicioSesion = texto(seccionLogin, "NombreUsuarioInicioSesion", QString());
    PasswordInicioSesion = texto(seccionLogin, "PasswordInicioSesion", QString());
    URLAccesoMenuWebDistribuidor = texto(kConfiguracion, "URLAccesoMenuWebDistribuidor", QString());
    NivelAislamientoTransaccionesMSSQL =
        texto(kSeccionMSSQL, "NivelAislamientoTransaccionesMSSQL", kAislamientoPorDefecto);
    if (NivelAislamientoTransaccionesMSSQL.isEmpty())
        NivelAislamientoTransaccionesMSSQL = kAislamientoPorDefecto;
    AspectoAplicacion = texto(kConfiguracion, "AspectoAplicacion", QString());
    BDEPrivateDir = texto(kConfiguracion, "BDEPrivateDir", QString());

    FechaCeroSQL = FormatoFechaSQL == QLatin1String("dd/mm/yyyy")
                       ? QStringLiteral("30/12/1899 00:00:00")
                       : QStringLiteral("12/30/1899 00:00:00");
    SetSqlServerDateFormat(FormatoFechaSQL);
    if (ArchivosTemporalesEnBD) PathArchivosTemporales = AliasBaseDatosGeneral;
    return legible;
}

QStringList LeerMapaContextos(const QString& archivo) {
    QStringList mapa;
    QString texto;
    if (!ReadTextFile(NativePath(archivo), texto)) return mapa;
    texto.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& linea : texto.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList palabras = linea.simplified().split(QLatin1Char(' '));
        if (palabras.size() < 3) continue;
        QString entrada = palabras[1] + QLatin1Char('=') + palabras[2];
        entrada.replace(QLatin1Char('_'), QLatin1Char(' '));
        mapa << entrada;
    }
    return mapa;
}

// ---------------------------------------------------------------- session register

int NumeroSesionBDEUsuario() {
    const QDir registro(CarpetaControl());
    const QString prefijo = PrefijoUsuario();
    int mayor = -1;
    const QStringList archivos =
        registro.entryList({prefijo + QStringLiteral("*.lck")}, QDir::Files | QDir::Hidden);
    for (const QString& nombre : archivos) {
        bool ok = false;
        const int n = nombre.mid(prefijo.size()).chopped(4).toInt(&ok);
        if (ok && n > mayor && BloqueoVivo(registro.filePath(nombre))) mayor = n;
    }
    return mayor;
}

void BorrarArchivosTemporalesAntiguos() {
    // A file is left alone while a running session may own it: one written
    // after the start of the oldest running session.
    QDateTime limite = QDateTime::currentDateTime();
    const QDir registro(CarpetaControl());
    for (const QFileInfo& lf : registro.entryInfoList({QStringLiteral("*.lck")}, QDir::Files)) {
        if (lf.lastModified() < limite && BloqueoVivo(lf.filePath())) limite = lf.lastModified();
    }
    auto borrar = [&limite](const QString& carpeta, const QString& mascara) {
        const QDir d(carpeta);
        for (const QFileInfo& fi : d.entryInfoList({mascara}, QDir::Files | QDir::Hidden))
            if (fi.lastModified() < limite) QFile::remove(fi.filePath());
    };
    borrar(NativePath(DirectorioPrograma), QStringLiteral("_QS*.*"));
    borrar(DirectorioTemporal(), QStringLiteral("QRP*.TMP"));
}

void LeerVersionServidorSQL(TfGENEINIC* f, QString& Version) {
    Version.clear();
    TDatabase* d = f->DatabaseGeneral->Connected() ? f->DatabaseGeneral : f->Database;
    if (!d->Connected()) return;
    switch (d->engine()) {
        case Engine::SqlServer:
            Version = d->Scalar(QStringLiteral("SELECT @@VERSION")).toString();
            break;
        case Engine::Postgres:
            Version = d->Scalar(QStringLiteral("SELECT version()")).toString();
            break;
        case Engine::Sqlite:
            Version = QStringLiteral("SQLite ") +
                      d->Scalar(QStringLiteral("SELECT sqlite_version()")).toString();
            break;
    }
}

// ---------------------------------------------------------------- start sequence

bool PedirClaveInicioSesion() {
    ClaveInicioSesion.clear();
    QString respuesta;
    for (;;) {
        // The answer is typed hidden.
        respuesta = MensajePeticion(
            QStringLiteral("La clave de inicio de sesión de SQL Server no coincide con la "
                           "registrada. Puede introducirla ahora si lo desea: "),
            QStringLiteral("Password"));
        // Closing the prompt gives up; only a typed empty answer may be kept.
        if (PeticionCancelada()) return false;
        // A password is never stored other than as typed.
        const QString caracter = CaracterNoCifrable(respuesta);
        if (caracter.isEmpty()) break;
        MensajeAdvertencia(QStringLiteral("¡ La contraseña contiene el carácter '") + caracter +
                           QStringLiteral("', que no es posible guardar. Introduzca otra "
                                          "contraseña !"));
    }
    if (respuesta.isEmpty() &&
        MensajeConfirmacion(
            QStringLiteral("¿Está seguro de que desea dejar la contraseña en blanco?")) != "SI")
        return true;
    ClaveInicioSesion = respuesta;
    CifrarClave(respuesta, PasswordInicioSesion);
    const QString seccion =
        TipoBaseDatos == QLatin1String("SQL Generica") ? kSeccionPostgres : kSeccionMSSQL;
    // A file that holds a password is its owner's alone, from before the
    // password is in it: a new file replaces the old one, other keys kept.
    const QString archivo = NativePath(ArchivoConfiguracion);
    TIniFile ini(archivo);
    ini.SetOwnerOnly(!respuesta.isEmpty() || !QFileInfo::exists(archivo));
    ini.WriteString(seccion, QStringLiteral("PasswordInicioSesion"), PasswordInicioSesion);
    return true;
}

namespace {

// The companies whose database the installation holds: on SQLite a
// numbered folder of the general folder with its file, on PostgreSQL a
// schema named after the company alias and a number.
QList<int> EmpresasConBaseDatos(TfGENEINIC* f) {
    static const QRegularExpression numero(QStringLiteral("^[0-9]+$"));
    QList<int> codigos;
    if (MotorActual() == Engine::Sqlite) {
        const QDir general(NativePath(PathBaseDatosGeneral));
        for (const QString& c : general.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (numero.match(c).hasMatch() &&
                QFileInfo::exists(
                    JoinPath(general.filePath(c), QString::fromLatin1(kDatabaseFileName))))
                codigos << c.toInt();
        return codigos;
    }
    if (MotorActual() != Engine::Postgres) return codigos;
    // The server's catalog schema is always there to ask.
    TDatabase catalogo;
    catalogo.Params() = ParametrosConexion(f, QStringLiteral("pg_catalog"), true);
    catalogo.Open();
    const QString alias = AliasBaseDatos.trimmed().toLower();
    QSqlQuery q =
        catalogo.Execute(QStringLiteral("SELECT nspname FROM pg_namespace WHERE nspname ~ ?"),
                         {QVariant(QLatin1Char('^') + QRegularExpression::escape(alias) +
                                   QStringLiteral("[0-9]+$"))});
    while (q.next()) codigos << q.value(0).toString().mid(alias.size()).toInt();
    return codigos;
}

bool HayBasesDatosEmpresa(TfGENEINIC* f) {
    return !EmpresasConBaseDatos(f).isEmpty();
}

// SQLite: a company's database holds tables: the installation was in use
// (at a first start, or one an installer prepared, they are all empty).
bool HayEmpresasConTablas(TfGENEINIC* f) {
    if (MotorActual() != Engine::Sqlite) return false;
    if (GanchoComprobarBaseDatosPerdida) GanchoComprobarBaseDatosPerdida(0);
    for (int codigo : EmpresasConBaseDatos(f)) {
        TDatabase empresa;
        empresa.Params().engine = Engine::Sqlite;
        empresa.Params().folder =
            JoinPath(NativePath(PathBaseDatosGeneral), QString::number(codigo));
        try {
            empresa.Open();
            if (!BaseDatosSinTablas(&empresa)) return true;
        } catch (const EDatabaseError&) {
            // One that cannot be read says nothing here; its start tells.
        }
    }
    return false;
}

// Opens a session database at start-up. A refused password is asked for
// again; a database the engine says does not exist is created there; any
// other failure goes to the caller.
void ConectarAlInicio(TfGENEINIC* f, TDatabase* d, const QString& nombre, const QString& ubicacion,
                      bool esGeneral) {
    d->Close();
    NombrarBaseDatosSesion(d, nombre);
    for (;;) {
        d->Params() = ParametrosConexion(f, ubicacion, esGeneral);
        try {
            d->Open();
        } catch (const EDatabaseError& e) {
            const QString texto = e.Message() + QLatin1Char(' ') + e.detail();
            // Also a server that asks for a password none was given for.
            const bool claveRechazada =
                texto.contains(QLatin1String("Unknown user name or password")) ||
                texto.contains(QLatin1String("password authentication failed")) ||
                texto.contains(QLatin1String("no password supplied"));
            if (claveRechazada && !AutenticacionWindows) {
                if (PedirClaveInicioSesion()) continue;
                throw;  // the user gave up: the refusal is the reason
            }
            if (e.code() == DbError::DatabaseNotFound &&
                BaseDatosInexistente(f, ubicacion, esGeneral)) {
                // A general database is new only in a new installation: with
                // companies already there, it was lost, and a new one would
                // open their data to a first administrator without password.
                if (d == f->DatabaseGeneral && HayBasesDatosEmpresa(f)) {
                    MensajeError(kImposibleIniciar +
                                 QStringLiteral("¡ Falta la Base de Datos general ") +
                                 e.detail().section(QLatin1Char('\n'), 0, 0) +
                                 QStringLiteral(", pero existen las de las empresas !. Restáurela "
                                                "desde una copia de seguridad."));
                    throw EInicioInterrumpido{};
                }
                if (!CrearBaseDatosSQL(f, ubicacion)) throw EInicioInterrumpido{};
                d->Params() = ParametrosConexion(f, ubicacion, esGeneral);
                d->Open();
                return;
            }
            if (e.code() == DbError::DatabaseNotFound &&
                BaseDatosCreadaEntretanto(f, ubicacion, esGeneral)) {
                d->Open();
                return;
            }
            throw;
        }
        // A general file with no table beside companies' databases that hold
        // tables is a copy of the file alone or an emptied one, never a first
        // start: a new administrator without password would see their data.
        // Looked at again after the companies: a program starting a new
        // installation at the same moment fills the general file before any
        // company's, so only one still empty then is a lost one.
        if (d == f->DatabaseGeneral && BaseDatosSinTablas(d) && HayEmpresasConTablas(f) &&
            BaseDatosSinTablas(d)) {
            const QString archivo =
                JoinPath(NativePath(ubicacion), QString::fromLatin1(kDatabaseFileName));
            d->Close();
            MensajeError(kImposibleIniciar + QStringLiteral("¡ La Base de Datos general ") +
                         archivo +
                         QStringLiteral(" no contiene ninguna tabla, pero existen las de las "
                                        "empresas !. Restáurela desde una copia de seguridad."));
            throw EInicioInterrumpido{};
        }
        return;
    }
}

QString NombreLogico(const QString& alias, const QString& componente) {
    return alias.trimmed().isEmpty() ? componente : alias.trimmed();
}

}  // namespace

bool TfGENEINIC::IniciarSesion(const QStringList& argumentos) {
    UltimaActividad = QDateTime::currentDateTime();
    // The platform line of the system's version text.
    VersionWindows.clear();
    for (const QString& l : DatosVersionWindows().split(QStringLiteral("\r\n")))
        if (l.startsWith(QLatin1String("Plataforma="))) VersionWindows = l.mid(11);
    AjusteAlturaFormularios = VersionWindows == QLatin1String("Windows XP") ? 32 : 27;

    const TLineaComando linea = LeerLineaComando(argumentos);
    CodigoUsuarioInicial = linea.CodigoUsuario;
    ParametroL = linea.ArchivoParametros;
    ParametroI = linea.ArchivoConfiguracion;
    ParametroT = linea.Idioma;

    ListaControlesNoVisibles.clear();
    TextosNoTraducidos.clear();
    DirectorioPrograma = ConBarra(QDir::currentPath());

    LeerArchivoParametros(linea.ArchivoParametros);

    CodigoEmpresaActual = 0;
    NombreEmpresaActual.clear();
    LogotipoEmpresaActual = QStringLiteral("LOGO.BMP");
    IdiomaActual = linea.Idioma;

    ArchivoConfiguracion = RutaConfiguracion(linea.ArchivoConfiguracion);
    LeerConfiguracion(ArchivoConfiguracion);

    const QString aspecto = AspectoAplicacion.isEmpty() ? kAspectoPorDefecto : AspectoAplicacion;
    const bool evo = aspecto.startsWith(QLatin1String("evo"));
    FuenteAplicacion = QFont(evo ? QStringLiteral("Segoe UI") : QStringLiteral("MS Sans Serif"), 8);
    const QColor caraBoton =
        qGuiApp ? QGuiApplication::palette().color(QPalette::Button) : QColor(240, 240, 240);
    // The inactive caption gradient of the classic Windows palette.
    ColorFondoAspecto = evo ? QColor(215, 228, 242) : caraBoton;
    ColorDialogoAspecto = evo ? QColor(234, 234, 255) : caraBoton;

    try {
        const Engine motor = EngineFromSetting(TipoBaseDatos);
        if (motor == Engine::SqlServer && !QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
            throw EDatabaseError(DbError::UnsupportedEngine,
                                 QStringLiteral("El controlador ODBC (QODBC) para Microsoft SQL "
                                                "Server no está instalado"));

        // Login values from the company alias and the settings.
        ServidorBaseDatos = ParametroAlias(AliasBaseDatos, QStringLiteral("SERVER NAME"));
        if (AutenticacionWindows && motor == Engine::SqlServer &&
            !ServidorBaseDatos.contains(QLatin1String("np:")))
            ServidorBaseDatos.prepend(QStringLiteral("np:"));
        bool puertoOk = false;
        PuertoBaseDatos = ParametroAlias(AliasBaseDatos, QStringLiteral("PORT")).toInt(&puertoOk);
        if (!puertoOk) PuertoBaseDatos = 5432;
        BaseDatosServidor = ParametroAlias(AliasBaseDatos, QStringLiteral("DATABASE NAME"));
        if (AutenticacionWindows) {
            UsuarioInicioSesion.clear();
            ClaveInicioSesion.clear();
        } else {
            UsuarioInicioSesion = NombreUsuarioInicioSesion.isEmpty()
                                      ? ParametroAlias(AliasBaseDatos, QStringLiteral("USER NAME"))
                                      : NombreUsuarioInicioSesion;
            DescifrarClave(PasswordInicioSesion, ClaveInicioSesion);
        }

        // The session's place in the register of running sessions.
        // A new start gives up what an earlier one of this form held.
        delete findChild<QObject*>(QStringLiteral("BloqueosSesion"), Qt::FindDirectChildrenOnly);
        auto* bloqueos = new TBloqueosSesion(this);
        const QString registro = CarpetaControl();
        if (!QDir().mkpath(registro))
            throw EDatabaseError(DbError::ConnectionFailed,
                                 QStringLiteral("No es posible crear la carpeta ") + registro);
        NumeroSesionUsuario = TomarNumeroSesion(registro, bloqueos->bloqueos);
        if (NumeroSesionUsuario <= 0) {
            // Without a number of its own the session would share another's
            // work tables and private folder.
            NumeroSesionUsuario = 0;
            MensajeAdvertencia(kConflicto);
            SolicitarTerminacion();
            return false;
        }
        // The installation's own checks, before any database is connected.
        if (!DesactivarDiagnostico) DiagnosticoArranque(this, QStringLiteral("Configuracion"));
        BorrarArchivosTemporalesAntiguos();

        // A numbered private folder per concurrent session of one user.
        DirectorioPrivado.clear();
        if (BDEPrivateDir.compare(QLatin1String("AUTO"), Qt::CaseInsensitive) == 0 &&
            BDENetDir.compare(QLatin1String("LOCAL"), Qt::CaseInsensitive) != 0 &&
            !ArchivosTemporalesEnBD) {
            const QString privdir = NativePath(DirectorioPrograma) + QStringLiteral("PRIVDIR");
            QDir().mkpath(privdir);
            for (int n = NumeroSesionUsuario; n > 0 && DirectorioPrivado.isEmpty(); --n) {
                const QString carpeta = JoinPath(privdir, QString::number(n));
                QDir().mkpath(carpeta);
                auto lf = Bloquear(carpeta + QStringLiteral(".lck"));
                if (!lf) continue;  // held by another running session
                bloqueos->bloqueos.push_back(std::move(lf));
                DirectorioPrivado = ConBarra(carpeta);
                QDir d(carpeta);
                for (const QString& t : d.entryList({QStringLiteral("TEMP*.*")}, QDir::Files))
                    d.remove(t);
            }
            if (DirectorioPrivado.isEmpty()) {
                MensajeAdvertencia(kConflicto);
                SolicitarTerminacion();
                return false;
            }
        }
        if (PathArchivosTemporales.compare(QLatin1String("PrivateDir"), Qt::CaseInsensitive) == 0)
            PathArchivosTemporales =
                DirectorioPrivado.isEmpty() ? DirectorioTemporal() : DirectorioPrivado;

        // The general database first: the company connection attaches it.
        ConectarAlInicio(this, DatabaseGeneral,
                         NombreLogico(AliasBaseDatosGeneral, QStringLiteral("DatabaseGeneral")),
                         UbicacionAlias(AliasBaseDatosGeneral), true);
        if (motor == Engine::SqlServer) DatabaseGeneral->Execute(SentenciaNivelAislamiento());
        // Temporary tables outside the general database: a file of their own
        // (SQLite); a server keeps them in the general schema.
        DatabaseTemporal->Close();
        if (!ArchivosTemporalesEnBD) {
            if (motor == Engine::Sqlite)
                ConectarAlInicio(this, DatabaseTemporal, PathArchivosTemporales,
                                 PathArchivosTemporales, true);
            else
                PathArchivosTemporales = DatabaseGeneral->DatabaseName();
        }
        PathDatosEmpresa = UbicacionAlias(AliasBaseDatos);
        ConectarAlInicio(this, Database, NombreLogico(AliasBaseDatos, QStringLiteral("Database")),
                         PathDatosEmpresa, false);
        if (motor == Engine::SqlServer) {
            Database->Execute(SentenciaNivelAislamiento());
            IntercalacionTextos =
                DatabaseGeneral->Scalar(SentenciaIntercalacionTextos()).toString();
        }
        // Its own names are plain tables to every statement of the program
        // from here on (the dictionary is read once the general database is
        // known to be sound: reading it may copy it there).
        ConocerTablasPrograma(this);
        // Databases named directly ("?" + folder or schema) get the same server
        // and see the general tables.
        TConnectionParams directos = ParametrosConexion(this, QString(), false);
        TSession::instance().setDefaultParams(directos);
        TransaccionIniciada = false;
        ErrorEnTransaccion = false;
        // Users that were defined and are gone are lost data: never a new
        // administrator without password in their place.
        PrepararMarcasCreacion(this, EmpresasConBaseDatos);
        MarcarEmpresasConTablas(this);
        const QString perdidos = MotivoUsuariosPerdidos(this);
        if (!perdidos.isEmpty()) {
            MensajeError(kImposibleIniciar + perdidos);
            return false;
        }
    } catch (const EInicioInterrumpido&) {
        return false;
    } catch (const std::exception& e) {
        InicioImposible(e);
        return false;
    }

    MapaContextos =
        LeerMapaContextos(NativePath(DirectorioPrograma) + QStringLiteral("QEVWIN.MAP"));

    auto* timer = findChild<QTimer*>(QStringLiteral("TimerAplicacion"));
    if (!timer) {
        timer = new QTimer(this);
        timer->setObjectName(QStringLiteral("TimerAplicacion"));
        timer->setInterval(15000);
        connect(timer, &QTimer::timeout, this,
                [this, timer] { TimerAplicacionTimer(this, timer); });
    }
    if (!TiempoForzarTerminacionAplicacion.isEmpty()) timer->start();

    // The user-fields table must exist from the start.
    auto* campos = findChild<TTable*>(QStringLiteral("CamposUsuario"));
    if (!campos) {
        campos = new TTable(this);
        campos->setObjectName(QStringLiteral("CamposUsuario"));
        campos->setTableName(QStringLiteral("CAMPOUSR"));
    }
    campos->Close();
    campos->setDatabaseName(DatabaseGeneral->DatabaseName());
    bool abierta = false;
    try {
        abierta = AbrirTabla(this, campos);
    } catch (const std::exception& e) {
        InicioImposible(e);
        return false;
    }
    if (!abierta) {
        SolicitarTerminacion();
        return false;
    }
    campos->Close();

    // A new installation starts with company 1, which the first
    // administrator may open.
    try {
        TTable empresas(this);
        empresas.setTableName(QStringLiteral("EMPRESA"));
        empresas.setDatabaseName(DatabaseGeneral->DatabaseName());
        if (AbrirTabla(this, &empresas) && empresas.IsEmpty()) {
            empresas.Close();
            CrearEmpresaInicial(this, &empresas);
        }
    } catch (const std::exception& e) {
        InicioImposible(e);
        return false;
    }

    try {
        LeerVersionServidorSQL(this, ::VersionServidorSQL);
    } catch (const std::exception&) {
        ::VersionServidorSQL.clear();
    }

    if (URLAccesoMenuWebDistribuidor.isEmpty() ||
        URLAccesoMenuWebDistribuidor == QLatin1String("Por Defecto"))
        URLAccesoMenuWebDistribuidor = kURLPorDefecto;
    else if (URLAccesoMenuWebDistribuidor == QLatin1String("Ninguna"))
        URLAccesoMenuWebDistribuidor.clear();
    return true;
}
