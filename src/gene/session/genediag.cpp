#include "gene/session/genediag.h"

#include <sys/vfs.h>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>
#include <QUuid>
#include <memory>

#include "db/database.h"
#include "gene/data/genereloj.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genedeta.h"
#include "gene/session/genedicc.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "io/textfile.h"

TfGENEDIAG* fGENEDIAG = nullptr;
TComprobacionesDiagnostico GanchoComprobacionesDiagnostico =
    static_cast<TComprobacionesDiagnostico>(&ComprobarInstalacion);

namespace {
long TipoSistemaArchivos(const QString& Carpeta) {
    struct statfs datos {};
    if (statfs(QFile::encodeName(Carpeta).constData(), &datos) != 0) return 0;
    return long(datos.f_type);
}
QDateTime RelojLocal() {
    return QDateTime::currentDateTimeUtc();
}
}  // namespace

TTipoSistemaArchivos GanchoTipoSistemaArchivos = &TipoSistemaArchivos;
QDateTime (*GanchoRelojLocal)() = &RelojLocal;

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
    // The Windows registry and the old engine's file are this platform's
    // configuration; the server section names the server in use.
    if (!h.Registro.isEmpty())
        secciones << Seccion(anomalias + QStringLiteral("la configuración de la instalación:"),
                             h.Registro, QStringLiteral(" - "));
    if (!h.ConfiguracionBDE.isEmpty())
        secciones << Seccion(
            anomalias + QStringLiteral("la configuración del motor de base de datos:"),
            h.ConfiguracionBDE, QStringLiteral(" - "));
    if (!h.SistemaOperativo.isEmpty())
        secciones << Seccion(anomalias + QStringLiteral("el Sistema Operativo: "),
                             h.SistemaOperativo, QString());
    if (!h.SQLServer.isEmpty())
        secciones << anomalias +
                         (TipoBaseDatos == QLatin1String("SQL Generica")
                              ? QStringLiteral("PostgreSQL")
                              : QStringLiteral("Microsoft SQL Server")) +
                         QStringLiteral(" y deben ser reconfiguradas manualmente: ") + kCrLf +
                         kCrLf + h.SQLServer.join(QString());
    return secciones.join(kCrLf + kCrLf);
}

namespace {

// What a database file is, read without writing to it: a database of the
// program, or a file that must not be touched (empty, damaged, another
// program's).
enum class EstadoArchivo { Legible, Vacio, Danado, Ajeno };

struct LecturaArchivo {
    EstadoArchivo estado = EstadoArchivo::Danado;
    bool wal = false;
};

// The tables the dictionary declares (the standard file and the site's own)
// with their columns, upper-cased; empty when it cannot be read. Read here
// without the warning or the copy into the general folder that the
// session's readers make.
QHash<QString, QSet<QString>> TablasDelPrograma() {
    QHash<QString, QSet<QString>> tablas;
    for (const QString& carpeta :
         {NativePath(PathBaseDatosGeneral), NativePath(DirectorioPrograma)}) {
        for (const char* nombre : {"DATABASE.TXT", "DATABASE.ESP"}) {
            QString texto;
            if (carpeta.isEmpty() || !ReadTextFile(JoinPath(carpeta, QLatin1String(nombre)), texto))
                continue;
            QString lista;
            TablasTextoDiccionario(nullptr, texto, QString(), lista);
            for (const QString& t : LineasTexto(lista)) {
                if (t.isEmpty()) continue;
                QString campos;
                CamposDefinicionTabla(nullptr, t, texto, campos, QString());
                QSet<QString>& columnas = tablas[t.toUpper()];
                for (const QString& c : LineasTexto(campos))
                    if (!c.isEmpty()) columnas.insert(c.toUpper());
            }
        }
        if (!tablas.isEmpty()) break;
    }
    // The general database's record of what was created once.
    if (!tablas.isEmpty())
        tablas.insert(QStringLiteral("CREACION"),
                      {QStringLiteral("OBJETO"), QStringLiteral("CODIGO")});
    return tablas;
}

// A connection that reads the file as it stands, changing no byte of it or
// of its side files: immutable (no locks, no -wal or -shm made) unless a
// session's -wal and -shm are there already, whose pages belong to what is
// read; those are then read with the -shm opened read-only.
QString UriLectura(const QString& Archivo) {
    const bool enUso = QFileInfo::exists(Archivo + QStringLiteral("-wal")) &&
                       QFileInfo::exists(Archivo + QStringLiteral("-shm"));
    return QUrl::fromLocalFile(Archivo).toString(QUrl::FullyEncoded) +
           (enUso ? QStringLiteral("?mode=ro&readonly_shm=1")
                  : QStringLiteral("?mode=ro&immutable=1"));
}

// Runs f on a connection to the file opened by Uri (never creating it);
// false when it cannot be opened.
template <typename F>
bool ConArchivo(const QString& Uri, bool Lectura, F f) {
    const QString nombre = QStringLiteral("diagnostico-") + QUuid::createUuid().toString();
    bool abierta = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        db.setDatabaseName(Uri);
        db.setConnectOptions(Lectura ? QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY")
                                     : QStringLiteral("QSQLITE_OPEN_URI"));
        abierta = db.open();
        if (abierta) f(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(nombre);
    return abierta;
}

LecturaArchivo LeerArchivo(const QString& Archivo) {
    LecturaArchivo r;
    QFile f(Archivo);
    if (!f.open(QIODevice::ReadOnly)) return r;
    if (f.size() == 0) {
        r.estado = EstadoArchivo::Vacio;
        return r;
    }
    // The header: its text, and the format bytes that say whether the file
    // keeps a write-ahead log (2) or a rollback journal (1).
    const QByteArray cabecera = f.read(100);
    if (cabecera.size() < 100 || !cabecera.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return r;
    const char escritura = cabecera.at(18), lectura = cabecera.at(19);
    if (escritura != lectura || (escritura != 1 && escritura != 2)) return r;
    r.wal = escritura == 2;
    bool leida = false;
    QHash<QString, QSet<QString>> tablas;
    ConArchivo(UriLectura(Archivo), true, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        // SQLite's own check reads every page: sound first pages say nothing
        // of the rest.
        leida = q.exec(QStringLiteral("PRAGMA quick_check")) && q.next() &&
                q.value(0).toString() == QLatin1String("ok") && !q.next();
        leida = leida &&
                q.exec(QStringLiteral("SELECT m.name, c.name FROM sqlite_master AS m, "
                                      "pragma_table_info(m.name) AS c WHERE m.type = 'table'"));
        while (leida && q.next())
            tablas[q.value(0).toString().toUpper()].insert(q.value(1).toString().toUpper());
    });
    if (!leida) return r;
    if (tablas.isEmpty()) {
        // The program makes its files in WAL mode and fills them at once.
        r.estado = r.wal ? EstadoArchivo::Legible : EstadoArchivo::Vacio;
        return r;
    }
    // A table of the program has the program's name and columns: a name alone
    // ("FILTRO") is found in other programs' files too. Columns a site added
    // do not make it foreign.
    const QHash<QString, QSet<QString>> propias = TablasDelPrograma();
    r.estado = propias.isEmpty() ? EstadoArchivo::Legible : EstadoArchivo::Ajeno;
    for (auto t = tablas.cbegin(); t != tablas.cend(); ++t) {
        const auto p = propias.constFind(t.key());
        if (p != propias.cend() && 2 * QSet<QString>(t.value()).intersect(*p).size() > t->size())
            r.estado = EstadoArchivo::Legible;
    }
    return r;
}

// The journal mode set to WAL on a file that is still a database of the
// program; never creates one.
void PonerModoWal(const QString& Archivo) {
    if (LeerArchivo(Archivo).estado != EstadoArchivo::Legible) return;
    ConArchivo(
        QUrl::fromLocalFile(Archivo).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw"),
        false, [](QSqlDatabase& db) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        });
}

// The installation's SQLite folders: the general one and each company's.
QStringList CarpetasSqlite() {
    QStringList l;
    const QString general = NativePath(PathBaseDatosGeneral);
    if (general.isEmpty() || !QFileInfo(general).isDir()) return l;
    l << general;
    static const QRegularExpression numero(QStringLiteral("^[0-9]+$"));
    const QDir dir(general);
    for (const QString& c : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (numero.match(c).hasMatch()) l << dir.filePath(c);
    return l;
}

TDatabase* BasePostgreSQL() {
    TDatabase* db = fGENEINIC ? fGENEINIC->Database : nullptr;
    return db && db->Connected() && db->engine() == Engine::Postgres ? db : nullptr;
}

using TReparaciones = QList<std::function<void()>>;

void ComprobarSqlite(THallazgosDiagnostico& h, TReparaciones* r) {
    for (const QString& c : CarpetasSqlite()) h.ConfiguracionBDE << ComprobarCarpetaSqlite(c, r);
}

void ComprobarPostgreSQL(THallazgosDiagnostico& h, TReparaciones*) {
    TDatabase* db = BasePostgreSQL();
    if (!db) return;
    bool ok = false;
    int minimo = ValorConfiguracion(QStringLiteral("MinimoConexionesPostgreSQL")).toInt(&ok);
    if (!ok || minimo <= 0) minimo = 100;
    try {
        const int maximo = db->Scalar(QStringLiteral("SHOW max_connections")).toInt();
        const QString codificacion = db->Scalar(QStringLiteral("SHOW server_encoding")).toString();
        // The fourth section joins its findings as they come: each ends its line.
        for (const QString& l : ComprobarServidorPostgreSQL(maximo, codificacion, minimo))
            h.SQLServer << l + kCrLf;
    } catch (const std::exception& e) {
        h.SQLServer << QStringLiteral(
                           "No se puede consultar la configuración del servidor. "
                           "Motivo: ") +
                           QString::fromUtf8(e.what()) + kCrLf;
    }  // Without the company's own role the server's rights do not hold the
    // users' statements: only the program's check of each one does.
    if (db->UsersRole().isEmpty() && !db->UsersRoleNote().isEmpty())
        h.SQLServer << QStringLiteral(
                           "El usuario %1 del servidor no puede crear el rol de la empresa "
                           "(%2): las sentencias SQL de los usuarios quedan limitadas solo por "
                           "la comprobación del programa, no por los permisos del servidor.")
                               .arg(db->Params().user, db->UsersRoleNote()) +
                           kCrLf;
}

void ComprobarRelojServidor(THallazgosDiagnostico& h, TReparaciones*) {
    TDatabase* db = BasePostgreSQL();
    if (!db) return;
    try {
        const double segundos =
            db->Scalar(QStringLiteral("SELECT EXTRACT(EPOCH FROM clock_timestamp())")).toDouble();
        h.SistemaOperativo << ComprobarReloj(
            GanchoRelojLocal(), QDateTime::fromMSecsSinceEpoch(qint64(segundos * 1000), Qt::UTC));
    } catch (const std::exception&) {
        // A server that cannot be asked was reported by the check before.
    }
}

void ComprobarProgramas(THallazgosDiagnostico& h, TReparaciones*) {
    h.SistemaOperativo << ComprobarProgramasExternos();
}

void ComprobarAgenteSQLServer(THallazgosDiagnostico& h, TReparaciones*) {
    // The agent that makes the periodic backups: not in the Express edition.
    if (VersionServidorSQL.contains(QLatin1String("Express Edition"))) return;
    if (ValorConfiguracion(QStringLiteral("NombreServicioAgenteMSSQL")).isEmpty())
        h.SQLServer << QStringLiteral(
                           "No tiene configurado el sistema de alerta sobre la actividad "
                           "del Agente de SQL Server (Gestor de Aplicaciones/Configuración/"
                           "Configuración de Sistema/Microsoft SQL Server)") +
                           kCrLf;
    // A named service's state is read from the Windows service manager,
    // which this platform lacks: it is not reported.
}

// The checks: the mode that runs each, the engine it applies to (any when
// empty), and the check.
struct Comprobacion {
    const char* modo;
    const char* motor;
    void (*comprobar)(THallazgosDiagnostico&, TReparaciones*);
};
const Comprobacion kComprobaciones[] = {
    {"Configuracion", "Paradox", &ComprobarSqlite},
    {"Configuracion", "", &ComprobarProgramas},
    {"MotorBaseDatos", "SQL Generica", &ComprobarRelojServidor},
    {"MotorBaseDatos", "SQL Generica", &ComprobarPostgreSQL},
    {"MotorBaseDatos", "Microsoft SQL Server", &ComprobarAgenteSQLServer},
};

}  // namespace

QStringList ComprobarCarpetaSqlite(const QString& Carpeta, TReparaciones* Reparaciones) {
    QStringList l;
    const QString carpeta = NativePath(Carpeta);
    if (carpeta.isEmpty() || !QFileInfo(carpeta).isDir()) return l;
    // Statfs's magic numbers of the network file systems.
    const long tipo = GanchoTipoSistemaArchivos(carpeta);
    const QString red = tipo == 0x6969                        ? QStringLiteral("NFS")
                        : tipo == 0x517B                      ? QStringLiteral("SMB")
                        : (tipo & 0xFFFFFFFFL) == 0xFF534D42L ? QStringLiteral("CIFS")
                        : (tipo & 0xFFFFFFFFL) == 0xFE534D42L ? QStringLiteral("SMB2")
                                                              : QString();
    if (!red.isEmpty())
        l << QStringLiteral("La carpeta ") + carpeta +
                 QStringLiteral(" está en una unidad de red (") + red +
                 QStringLiteral("): sus bloqueos de archivos no son fiables para varios usuarios.");
    {
        QTemporaryFile prueba(carpeta + QStringLiteral("/diagnostico-XXXXXX"));
        if (!prueba.open())
            l << QStringLiteral("El usuario no puede escribir en la carpeta ") + carpeta +
                     QLatin1Char('.');
    }
    const QString archivo = JoinPath(carpeta, QString::fromLatin1(kDatabaseFileName));
    if (!QFileInfo(archivo).isFile()) return l;
    const LecturaArchivo lectura = LeerArchivo(archivo);
    // A file that is no database of the program is named and never
    // repaired: a repair would turn it into a new, empty database.
    switch (lectura.estado) {
        case EstadoArchivo::Vacio:
            l << QStringLiteral("El archivo ") + archivo +
                     QStringLiteral(" está vacío: no es una base de datos de la aplicación.");
            return l;
        case EstadoArchivo::Danado:
            l << QStringLiteral("El archivo ") + archivo +
                     QStringLiteral(" está dañado: no se puede leer como base de datos.");
            return l;
        case EstadoArchivo::Ajeno:
            l << QStringLiteral("El archivo ") + archivo +
                     QStringLiteral(
                         " no es una base de datos de la aplicación (no contiene ninguna de sus "
                         "tablas).");
            return l;
        case EstadoArchivo::Legible:
            break;
    }
    // The program sets WAL itself, so that several sessions share the file.
    if (!lectura.wal) {
        l << QStringLiteral("El archivo ") + archivo +
                 QStringLiteral(" no está en modo WAL (journal_mode=delete).");
        if (Reparaciones) Reparaciones->append([archivo] { PonerModoWal(archivo); });
    }
    return l;
}

QStringList ComprobarServidorPostgreSQL(int MaximoConexiones, const QString& Codificacion,
                                        int MinimoConexiones) {
    QStringList l;
    if (MaximoConexiones < MinimoConexiones)
        l << QStringLiteral(
                 "El valor max_connections=%1 del servidor no es correcto (debería ser "
                 ">= %2).")
                 .arg(MaximoConexiones)
                 .arg(MinimoConexiones);
    if (Codificacion.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) != 0)
        l << QStringLiteral("El valor server_encoding=") + Codificacion +
                 QStringLiteral(" del servidor no es correcto (debería ser UTF8).");
    return l;
}

QStringList ComprobarReloj(const QDateTime& Local, const QDateTime& Servidor) {
    const qint64 diferencia = Local.secsTo(Servidor);
    if (qAbs(diferencia) <= 60) return {};
    return {QStringLiteral("El reloj de este equipo difiere en %1 segundos del reloj del servidor "
                           "de base de datos.")
                .arg(qAbs(diferencia))};
}

QStringList ComprobarProgramasExternos() {
    QStringList l;
    const struct {
        const char* programa;
        const char* uso;
    } programas[] = {{"lp", "la impresión"},
                     {"soffice", "los documentos de Word y su conversión a PDF"}};
    for (const auto& p : programas)
        if (QStandardPaths::findExecutable(QLatin1String(p.programa)).isEmpty())
            l << QStringLiteral("No se encuentra el programa ") + QLatin1String(p.programa) +
                     QStringLiteral(", necesario para ") + QString::fromUtf8(p.uso) +
                     QLatin1Char('.');
    return l;
}

void ComprobarInstalacion(const QString& Modo, THallazgosDiagnostico& Hallazgos) {
    ComprobarInstalacion(Modo, Hallazgos, nullptr);
}

void ComprobarInstalacion(const QString& Modo, THallazgosDiagnostico& Hallazgos,
                          TReparaciones* Reparaciones) {
    for (const Comprobacion& c : kComprobaciones) {
        if (!Modo.contains(QLatin1String(c.modo))) continue;
        if (*c.motor && TipoBaseDatos != QLatin1String(c.motor)) continue;
        // Only the configuration mode offers repairs.
        c.comprobar(Hallazgos, QLatin1String(c.modo) == QLatin1String("Configuracion")
                                   ? Reparaciones
                                   : nullptr);
    }
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
    TReparaciones reparaciones;
    if (GanchoComprobacionesDiagnostico ==
        static_cast<TComprobacionesDiagnostico>(&ComprobarInstalacion))
        ComprobarInstalacion(Modo, hallazgos, &reparaciones);
    else if (GanchoComprobacionesDiagnostico)
        GanchoComprobacionesDiagnostico(Modo, hallazgos);
    const QString informe = TextoDiagnostico(hallazgos);
    if (informe.isEmpty()) return true;
    MostrarDetalle(informe, kTitulo, QString());
    // Only what the program can set is offered, in the configuration mode.
    if (!reparaciones.isEmpty() && Modo.contains(QLatin1String("Configuracion")) &&
        MensajeConfirmacion(QStringLiteral("¿Desea que la aplicación reconfigure la instalación ") +
                            kCrLf +
                            QStringLiteral("intentando subsanar las anomalías detectadas?")) ==
            QLatin1String("SI")) {
        TCursorEspera reloj;
        for (const auto& r : reparaciones) r();
    }
    return false;
}

int EjecutarDiagnostico(TfGENEINIC*, const QString& Modo) {
    std::unique_ptr<TfGENEDIAG> forma(NewForm<TfGENEDIAG>());
    return forma->DiagnosticoInstalacion(Modo) ? 1 : 0;
}

void InstalarDiagnostico() {
    GanchoDiagnosticoInstalacion = &EjecutarDiagnostico;
}
