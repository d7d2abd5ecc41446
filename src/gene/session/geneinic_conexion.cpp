// The session's databases: connection parameters from the alias file, the
// per-company database names, company and alternate connections, database
// creation, and the small services the connections need (login password
// scrambling, the user's name, the network adapter, error classification).

#include "gene/session/geneinic_conexion.h"

#include <pwd.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <stdexcept>

#include "db/database.h"
#include "db/dataset.h"
#include "db/dberror.h"
#include "gene/data/genealta.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "io/inifile.h"
#include "io/paths.h"
#include "io/textfile.h"

namespace {

// The fixed key of the stored login password. Changing it makes existing
// settings files unreadable.
const QString kClave = QStringLiteral("mabrel");

bool EsSqlite() {
    return MotorActual() == Engine::Sqlite;
}

}  // namespace

void NombrarBaseDatosSesion(TDatabase* d, const QString& nombre) {
    d->setDatabaseName(nombre);
    // The component's name keeps naming it whatever database it points at.
    if (nombre.compare(d->objectName(), Qt::CaseInsensitive) != 0)
        TSession::instance().AddAlias(d->objectName(), nombre);
}

TDatabase* CrearBaseDatosSesion(QObject* owner, const QString& nombreComponente) {
    auto* db = new TDatabase(owner);
    db->setObjectName(nombreComponente);
    db->setDatabaseName(nombreComponente);
    TSession::instance().AddDatabase(db);
    // A lost server connection opened again: the records another user took
    // meanwhile are no longer this session's to change. Told once the
    // action under way is over.
    QObject::connect(
        db, &TDatabase::Reconnected, db,
        [](QStringList bloqueos) {
            // A new record's code hold is told by its entry, in its words.
            bloqueos.removeIf(EsReservaDeAlta);
            if (bloqueos.isEmpty()) return;
            MensajeAdvertencia(
                QStringLiteral("¡ Se ha restablecido la conexión con el servidor de la Base de "
                               "Datos, pero otro usuario ha bloqueado entretanto: ") +
                bloqueos.join(QStringLiteral(", ")) +
                QStringLiteral(" !. Vuelva a leer esos registros antes de modificarlos."));
        },
        Qt::QueuedConnection);
    return db;
}

// ---------------------------------------------------------------- aliases

QString ArchivoAliasActual() {
    QString carpeta;
    if (!ArchivoParametros.isEmpty() && QFileInfo::exists(NativePath(ArchivoParametros)))
        carpeta = QFileInfo(NativePath(ArchivoParametros)).absolutePath();
    else
        carpeta =
            DirectorioPrograma.isEmpty() ? QDir::currentPath() : NativePath(DirectorioPrograma);
    return JoinPath(carpeta, QString::fromLatin1(kArchivoAlias));
}

QStringList ParametrosAlias(const QString& alias) {
    if (alias.trimmed().isEmpty()) return {};
    const QString archivo = ArchivoAliasActual();
    if (!QFileInfo::exists(archivo)) return {};
    QStringList valores;
    TIniFile(archivo).ReadSectionValues(alias.trimmed(), valores);
    return valores;
}

QString ParametroAlias(const QString& alias, const QString& nombre) {
    for (const QString& linea : ParametrosAlias(alias)) {
        const int igual = linea.indexOf(QLatin1Char('='));
        if (igual > 0 && linea.left(igual).trimmed().compare(nombre, Qt::CaseInsensitive) == 0)
            return linea.mid(igual + 1).trimmed();
    }
    return {};
}

QString UbicacionAlias(const QString& alias) {
    if (MotorActual() != Engine::Sqlite) return alias;
    const QStringList parametros = ParametrosAlias(alias);
    if (!parametros.isEmpty() && parametros.first().size() > 5)
        return parametros.first().mid(5).trimmed();
    return PathBaseDatosGeneral;
}

TConnectionParams ParametrosConexion(TfGENEINIC* f, const QString& ubicacion, bool esGeneral) {
    TConnectionParams p;
    p.engine = MotorActual();
    p.general = esGeneral;
    if (p.engine == Engine::Sqlite) {
        p.folder = NativePath(ubicacion);
        if (!esGeneral && f && f->DatabaseGeneral) {
            const QString general = f->DatabaseGeneral->Params().folder;
            if (!general.isEmpty()) p.attach.append({QStringLiteral("general"), general});
            if (f->DatabaseTemporal && f->DatabaseTemporal->Connected())
                p.attach.append({QStringLiteral("temporal"), f->DatabaseTemporal->Params().folder});
        }
        return p;
    }
    QString servidor = ServidorBaseDatos;
    if (servidor.startsWith(QLatin1String("np:"), Qt::CaseInsensitive)) servidor = servidor.mid(3);
    if (!servidor.isEmpty()) p.host = servidor;
    p.port = PuertoBaseDatos;
    p.user = UsuarioInicioSesion;
    p.password = ClaveInicioSesion;
    p.database = BaseDatosServidor;
    p.schema = ubicacion.trimmed().toLower();
    if (!esGeneral && f && f->DatabaseGeneral && !f->DatabaseGeneral->Params().schema.isEmpty())
        p.searchPath = {f->DatabaseGeneral->Params().schema};
    return p;
}

// ---------------------------------------------------------------- session services

namespace {

// The English text the exception translator reads: a missing database names
// its file or schema after the code's words; a refused connection says why.
QString MensajeIngles(const EDatabaseError& e) {
    const bool conDetalle =
        e.code() == DbError::DatabaseNotFound ||
        (e.code() == DbError::ConnectionFailed && e.Message() == DbErrorText(e.code()));
    if (conDetalle && !e.detail().isEmpty())
        return e.Message() + QStringLiteral(": ") + e.detail().section(QLatin1Char('\n'), 0, 0);
    return e.Message();
}

bool TraductorLoConoce(const QString& mensaje) {
    return ClasificarExcepcion(mensaje).Texto != mensaje;
}

// The engine's own words: the message of a statement the engine refused,
// else the first line of the detail.
QString PalabrasMotor(const EDatabaseError& e) {
    if (e.code() == DbError::SqlError || e.code() == DbError::General) return e.Message();
    return e.detail().section(QLatin1Char('\n'), 0, 0).trimmed();
}

QString ConMotivo(const QString& texto, const QString& motivo) {
    if (!motivo.isEmpty()) return texto + QStringLiteral(". Motivo: ") + motivo;
    return texto.endsWith(QLatin1Char('!')) ? texto : texto + QLatin1Char('.');
}

// Engine errors by code. A PostgreSQL SQLSTATE has five characters, an
// SQLite result code fewer; the texts of either vary with server language
// and version, their codes do not.
struct TraduccionCodigo {
    const char* sqlite;    // extended result code, or ""
    const char* postgres;  // SQLSTATE, or ""
    const char* texto;
};
const TraduccionCodigo kPorCodigo[] = {
    {"13", "53100",
     "¡ No queda espacio en el disco de la Base de Datos !. Libere espacio e inténtelo de nuevo"},
    {"", "54011", "¡ La consulta tiene demasiadas columnas !. Seleccione menos campos"},
    {"", "22008", "¡ La fecha (u hora) está fuera del intervalo admitido !"},
    {"", "22007", "¡ La fecha (u hora) no es válida !"},
    {"", "22003", "¡ El número es demasiado grande para el campo !"},
    {"18", "22001", "¡ El dato es demasiado largo para el campo !"},
};

// SQLite gives one code to many errors: these are told by their text.
struct TraduccionTexto {
    const char* motor;
    const char* texto;
};
const TraduccionTexto kPorTextoSqlite[] = {
    {"too many columns", "¡ La consulta tiene demasiadas columnas !. Seleccione menos campos"},
    {"unrecognized token",
     "¡ La sentencia SQL contiene un símbolo que la base de datos no "
     "reconoce !"},
};

// SQLite reads a statement only up to a character 0 in it, and then stumbles
// on what is left (an open quote): told as PostgreSQL's refusal of it is.
const char* const kCaracterNulo =
    "¡ El texto contiene el carácter nulo (código 0), que la base de datos no puede guardar !";

// What a conversion expected, by the words after "is not a valid".
const TraduccionTexto kConversiones[] = {
    {"integer value", "un número entero válido"},
    {"floating point value", "un número válido"},
    {"date and time", "una fecha y hora válidas"},
    {"date", "una fecha válida"},
    {"time", "una hora válida"},
    {"boolean value", "un valor lógico válido (SI o NO)"},
    {"value", "un valor válido"},
};

QString TraduccionConversion(const QString& mensaje) {
    static const QRegularExpression valor(
        QStringLiteral("^'(.*)' is not a valid (.+?)( for field '?([^']*)'?)?$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = valor.match(mensaje);
    if (!m.hasMatch()) return {};
    for (const TraduccionTexto& t : kConversiones) {
        if (m.captured(2) != QLatin1String(t.motor)) continue;
        QString texto = QStringLiteral("¡ El valor '") + m.captured(1) +
                        QStringLiteral("' no es ") + QString::fromUtf8(t.texto);
        if (!m.captured(4).isEmpty()) texto += QStringLiteral(" para el campo ") + m.captured(4);
        return texto + QStringLiteral(" !");
    }
    return {};
}

// A statement the engine cannot read, in the exception translator's words:
// the word it stumbled on when the engine names it (SQLite's `near "X"`).
const char* const kErrorSintaxis = "¡ La sentencia tiene un error de sintaxis !";

QString TraduccionSintaxis(const QString& motor) {
    // SQLite's words, and PostgreSQL's where its parser left them to the server.
    static const QRegularExpression cerca(
        QStringLiteral("^(?:near \"(.*)\": syntax error|syntax error at or near \"(.*)\")$"));
    const QRegularExpressionMatch m = cerca.match(motor);
    if (!m.hasMatch()) return QString::fromUtf8(kErrorSintaxis);
    return ClasificarExcepcion(QStringLiteral("Token not found. Token: ") + m.captured(1) +
                               m.captured(2))
        .Texto;
}

// A text the engine could not read as a column's type (SQLSTATE 22P02): the
// value and what it should have been where the engine's words name them,
// else the translator's words for a value that is not valid.
QString TraduccionValorNoValido(const QString& motor) {
    struct Tipo {
        const char* motor;
        const char* texto;
    };
    static const Tipo kTipos[] = {
        {"integer", "integer value"},     {"smallint", "integer value"},
        {"bigint", "integer value"},      {"numeric", "floating point value"},
        {"real", "floating point value"}, {"double precision", "floating point value"},
        {"boolean", "boolean value"},
    };
    static const QRegularExpression valor(
        QStringLiteral("^invalid input syntax for (?:type )?([a-z ]+): \"(.*)\"$"));
    const QRegularExpressionMatch m = valor.match(motor);
    QString tipo = QStringLiteral("value");
    for (const Tipo& t : kTipos)
        if (m.hasMatch() && m.captured(1) == QLatin1String(t.motor)) tipo = QLatin1String(t.texto);
    const QString texto = m.hasMatch()
                              ? TraduccionConversion(QLatin1Char('\'') + m.captured(2) +
                                                     QStringLiteral("' is not a valid ") + tipo)
                              : QString();
    return texto.isEmpty() ? ClasificarExcepcion(QStringLiteral("'' is not a valid value")).Texto
                           : texto;
}

}  // namespace

QString MensajeExcepcionBaseDatos(const EDatabaseError& e) {
    // The engine's busy refusal shares its code with another clerk's record
    // lock, whose text in the table would blame a record nobody holds.
    if (BaseOcupada(e)) return TextoBaseOcupada();
    // The table's own texts stay its own; what it does not know is told in
    // Spanish where the code says what it is.
    const QString mensaje = MensajeIngles(e);
    if (TraductorLoConoce(mensaje)) return mensaje;
    const QString traduccion = TraduccionErrorBaseDatos(e);
    return traduccion.isEmpty() ? mensaje : traduccion;
}

QString TraduccionErrorBaseDatos(const EDatabaseError& e) {
    if (BaseOcupada(e)) return TextoBaseOcupada();
    const QString codigo = e.engineCode();
    const bool postgres = codigo.size() == 5;
    const QString motor = PalabrasMotor(e);
    if (!codigo.isEmpty()) {
        for (const TraduccionCodigo& t : kPorCodigo) {
            if (codigo != QLatin1String(postgres ? t.postgres : t.sqlite)) continue;
            // SQLite names the database file after its words.
            if (!postgres && TraductorLoConoce(e.Message()))
                return TraducirMensajeMotor(QStringLiteral("TRADUCIR: ") + e.Message());
            return ConMotivo(QString::fromUtf8(t.texto), motor);
        }
        if (!postgres && e.code() == DbError::SqlError && e.detail().contains(QChar(0)))
            return QString::fromUtf8(kCaracterNulo);
        if (!postgres)
            for (const TraduccionTexto& t : kPorTextoSqlite)
                if (motor.contains(QLatin1String(t.motor)))
                    return ConMotivo(QString::fromUtf8(t.texto), motor);
        if (postgres
                ? codigo == QLatin1String("42601")
                : e.code() == DbError::SqlError && (motor.endsWith(QLatin1String("syntax error")) ||
                                                    motor == QLatin1String("incomplete input")))
            return TraduccionSintaxis(motor);
        if (postgres && codigo == QLatin1String("22P02")) return TraduccionValorNoValido(motor);
    }
    // The SQL driver's own text (it carries no code): values bound that do
    // not match the statement's marks ("?", "$1").
    if (e.code() == DbError::SqlError && e.Message() == QLatin1String("Parameter count mismatch"))
        return QStringLiteral(
            "¡ El número de parámetros de la sentencia no coincide con el de valores dados !");
    switch (e.code()) {
        case DbError::UnsupportedEngine: {
            if (e.Message() != DbErrorText(e.code())) return {};
            QString tipo = e.detail().section(QLatin1Char('\n'), 0, 0);
            tipo.remove(QRegularExpression(QStringLiteral("^TipoBaseDatos:\\s*")));
            return QStringLiteral("¡ El tipo de base de datos \"") + tipo +
                   QStringLiteral(
                       "\" no está disponible !. Indique en TipoBaseDatos \"Paradox\" o "
                       "\"SQL Generica\".");
        }
        case DbError::FieldNotFound: {
            static const QRegularExpression campo(QStringLiteral("^Field '(.*)' not found$"));
            const QRegularExpressionMatch m = campo.match(e.Message());
            if (!m.hasMatch()) return {};
            return ConMotivo(QStringLiteral("¡ El campo '") + m.captured(1) +
                                 QStringLiteral("' no existe !. Compruebe la estructura de la "
                                                "tabla o de la consulta"),
                             PalabrasMotor(e));
        }
        case DbError::TableNotFound:
            if (e.Message() != DbErrorText(e.code())) return {};
            return TraducirMensajeMotor(ClasificarExcepcion(e.Message()).Texto);
        case DbError::InvalidValue:
            return TraduccionConversion(e.Message());
        default:
            return {};
    }
}

namespace {

// What the exception translator's table says of an error, in its words; ""
// when the table does not know it or would drop it unseen.
QString TextoTraductor(const EDatabaseError& e) {
    const QString mensaje = MensajeIngles(e);
    const ClasificacionExcepcion c = ClasificarExcepcion(mensaje);
    if (c.Texto == mensaje || c.Clase == QLatin1String("IGNORAR") ||
        c.Clase == QLatin1String("BLOB"))
        return {};
    return TraducirMensajeMotor(c.Texto);
}

}  // namespace

QString MotivoError(const std::exception& e) {
    const auto* d = dynamic_cast<const EDatabaseError*>(&e);
    if (!d) return QString::fromUtf8(e.what());
    QString texto = TraduccionErrorBaseDatos(*d);
    if (texto.isEmpty()) texto = TextoTraductor(*d);
    if (!texto.isEmpty()) return texto;
    // Words of the engine nobody translates are told as the engine's.
    if (d->engineWords()) return QStringLiteral("Error de la base de datos: ") + d->Message();
    return d->Message();
}

QString TextoErrorBaseDatos(const std::exception& e) {
    // A table not made now: the Spanish text its warning gave.
    if (auto* n = dynamic_cast<const ETablaNoCreada*>(&e)) return n->Motivo();
    if (auto* d = dynamic_cast<const EDatabaseError*>(&e)) {
        if (BaseOcupada(e)) return TextoBaseOcupada();
        // What the exception translator knows is told in its words.
        if (const QString texto = TextoTraductor(*d); !texto.isEmpty()) return texto;
        const QString traduccion = TraduccionErrorBaseDatos(*d);
        if (!traduccion.isEmpty()) return traduccion;
        // The code's standard text says little ("Path not found"); the detail
        // names what was not found or the engine's own words.
        if (!d->detail().isEmpty() && d->detail() != d->Message())
            return d->Message() + QStringLiteral(": ") + d->detail();
        return d->Message();
    }
    return QString::fromUtf8(e.what());
}

bool EsErrorTablaInexistente(const QString& Mensaje) {
    const auto tiene = [&Mensaje](const char* t) {
        return Mensaje.contains(QLatin1String(t), Qt::CaseInsensitive);
    };
    return tiene("Table does not exist") || tiene("Table unknown") || tiene("no such table") ||
           (tiene("relation") && tiene("does not exist")) || tiene("Invalid object name");
}

void NombreUsuarioWindows(QString& Nombre) {
    Nombre.clear();
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name)
        Nombre = QString::fromLocal8Bit(pw->pw_name);
    if (Nombre.isEmpty()) Nombre = qEnvironmentVariable("USER");
    if (Nombre.isEmpty()) Nombre = QStringLiteral("Unknown");
    Nombre = Nombre.left(255);
}

void DireccionAdaptadorRed(const QString& Opciones, QString& Direccion) {
    Direccion.clear();
    const bool sinSeparadores = Opciones.contains(QLatin1String("SinSeparadores"));
    QDir red(QStringLiteral("/sys/class/net"));
    for (const QString& nombre : red.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        QFile f(red.filePath(nombre + QStringLiteral("/address")));
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QString mac = QString::fromLatin1(f.readAll()).trimmed().toUpper();
        QString hex = mac;
        hex.remove(QLatin1Char(':'));
        if (hex.size() != 12 || hex.count(QLatin1Char('0')) == 12) continue;
        Direccion = sinSeparadores ? hex : mac.split(QLatin1Char(':')).join(QLatin1Char('-'));
        return;
    }
}

// Passwords are kept as Windows-1252 bytes, the character set of the
// settings files; the passwords stored as Latin-1 before read the same.
void CifrarClave(const QString& Texto, QString& Resultado) {
    Resultado.clear();
    const QByteArray bytes = EncodeText(Texto, TextEncoding::Windows1252);
    for (int i = 1; i <= bytes.size(); ++i) {
        const int c = static_cast<unsigned char>(bytes[i - 1]) ^ kClave[i % 6].unicode();
        Resultado += QStringLiteral("%1").arg(c & 0xFF, 3, 10, QLatin1Char('0'));
    }
}

void DescifrarClave(const QString& Texto, QString& Resultado) {
    Resultado.clear();
    QByteArray bytes;
    for (int i = 1; i * 3 <= Texto.size(); ++i) {
        bool ok = false;
        int v = Texto.mid((i - 1) * 3, 3).toInt(&ok);
        if (!ok) v = 0;
        bytes.append(static_cast<char>((v ^ kClave[i % 6].unicode()) & 0xFF));
    }
    Resultado = DecodeWindows1252(bytes);
}

QString CaracterNoCifrable(const QString& Texto) {
    for (qsizetype i = 0; i < Texto.size(); ++i) {
        const qsizetype n = Texto[i].isHighSurrogate() && i + 1 < Texto.size() ? 2 : 1;
        const QString c = Texto.mid(i, n);
        if (!FitsWindows1252(c)) return c;
        i += n - 1;
    }
    return QString();
}

// ---------------------------------------------------------------- companies

void NombreBaseDatosEmpresa(TfGENEINIC* f, int Codigo, QString& Nombre) {
    Q_UNUSED(f);
    if (EsSqlite()) {
        Nombre = Codigo != 0 ? PathBaseDatosGeneral + QLatin1Char('\\') + QString::number(Codigo)
                             : PathBaseDatosGeneral;
    } else {
        Nombre = Codigo != 0 ? AliasBaseDatos + QString::number(Codigo) : AliasBaseDatos;
    }
}

QString NombreBaseDatosEmpresa(TfGENEINIC* f, int Codigo) {
    QString n;
    NombreBaseDatosEmpresa(f, Codigo, n);
    return n;
}

void NombreBaseDatosTabla(TfGENEINIC* f, const QString& NombreTabla, QString& NombreBaseDatos) {
    TDatabase* d = EsTablaGeneral(NombreTabla) ? f->DatabaseGeneral : f->Database;
    NombreBaseDatos = d->DatabaseName();
}

namespace {

// Closes a session database and opens it on another location under a new
// name. Raises what Open raises; the database stays closed then.
void Reconectar(TfGENEINIC* f, TDatabase* d, const QString& nombre, bool esGeneral) {
    d->Close();
    NombrarBaseDatosSesion(d, nombre);
    d->Params() = ParametrosConexion(f, nombre, esGeneral);
    d->Open();
}

}  // namespace

// True when the engine says the database at this location does not exist (and
// could be created there): SQLite, the folder is there and the file is not;
// PostgreSQL, the server answers and the schema is missing.
bool BaseDatosInexistente(TfGENEINIC* f, const QString& ubicacion, bool esGeneral) {
    const TConnectionParams p = ParametrosConexion(f, ubicacion, esGeneral);
    if (p.engine == Engine::Sqlite) {
        const QString carpeta = NativePath(ubicacion);
        return !carpeta.isEmpty() && QFileInfo(carpeta).isDir() &&
               !QFileInfo::exists(JoinPath(carpeta, QString::fromLatin1(kDatabaseFileName)));
    }
    if (p.engine != Engine::Postgres) return false;
    try {
        return !TDatabase::DatabaseExists(p);
    } catch (const std::exception&) {
        return false;  // a server that does not answer says nothing about the schema
    }
}

// ---------------------------------------------------------------- creation marks

namespace {

// The general database's record of what was created once and must never be
// made again empty: the companies whose database was made, and the users
// table once it held users.
const QString kTablaMarcas = QStringLiteral("CREACION");
const QString kMarcaEmpresa = QStringLiteral("EMPRESA");
const QString kMarcaUsuarios = QStringLiteral("USUARIO");
// A company whose database has held tables.
const QString kMarcaTablas = QStringLiteral("TABLAS");

TDatabase* BaseMarcas(TfGENEINIC* f) {
    TDatabase* g = f ? f->DatabaseGeneral : nullptr;
    if (!g || !g->Connected() || g->engine() == Engine::SqlServer) return nullptr;
    return g;
}

bool HayMarca(TfGENEINIC* f, const QString& Objeto, int Codigo) {
    TDatabase* g = BaseMarcas(f);
    if (!g || !g->TableExists(kTablaMarcas)) return false;
    return g->Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + kTablaMarcas +
                         QStringLiteral(" WHERE Objeto = ? AND Codigo = ?"),
                     {Objeto, Codigo})
               .toInt() > 0;
}

void CrearTablaMarcas(TDatabase* g) {
    try {
        g->Execute(QStringLiteral("CREATE TABLE IF NOT EXISTS ") + kTablaMarcas +
                   QStringLiteral(" (Objeto VARCHAR(20) NOT NULL, Codigo INTEGER NOT NULL, "
                                  "PRIMARY KEY (Objeto, Codigo))"));
    } catch (const EDatabaseError&) {
        // PostgreSQL refuses the second of two sessions making it at once.
        g->InvalidateCatalog();
        if (!g->TableExists(kTablaMarcas)) throw;
    }
    g->InvalidateCatalog();
}

void PonerMarca(TfGENEINIC* f, const QString& Objeto, int Codigo) {
    TDatabase* g = BaseMarcas(f);
    if (!g) return;
    if (!g->TableExists(kTablaMarcas)) CrearTablaMarcas(g);
    if (HayMarca(f, Objeto, Codigo)) return;
    try {
        g->Execute(QStringLiteral("INSERT INTO ") + kTablaMarcas +
                       QStringLiteral(" (Objeto, Codigo) VALUES (?, ?)"),
                   {Objeto, Codigo});
    } catch (const EDatabaseError& e) {
        // A session starting at the same time put it first.
        if (e.code() != DbError::KeyViolation) throw;
    }
}

// The first line of a missing database's detail: the file or schema.
QString UbicacionPerdida(const EDatabaseError& e) {
    const QString ubicacion = e.detail().section(QLatin1Char('\n'), 0, 0);
    return ubicacion.isEmpty() ? QString() : QStringLiteral(" (") + ubicacion + QLatin1Char(')');
}

}  // namespace

void (*GanchoComprobarBaseDatosPerdida)(int Codigo) = nullptr;

void RechazarEmpresaSinTablas(TfGENEINIC* f, int Codigo, const QString& nombre) {
    if (Codigo <= 0 || f->Database->engine() != Engine::Sqlite) return;
    // A company's file that held tables once and holds none is a copy of the
    // file alone (its work was in the -wal file) or an emptied one: filling
    // it with empty tables would hide the loss. A company made but never
    // used has none, and is not refused.
    // The mark is read before the file: another program making the
    // company's first tables marks it only once they are in the file, so a
    // mark seen first means tables that must be there now.
    const bool conTablasAntes = HayMarca(f, kMarcaTablas, Codigo);
    if (GanchoComprobarBaseDatosPerdida) GanchoComprobarBaseDatosPerdida(Codigo);
    const bool sinTablas = BaseDatosSinTablas(f->Database);
    if (!sinTablas) {
        if (!conTablasAntes) PonerMarca(f, kMarcaTablas, Codigo);
        return;
    }
    if (!conTablasAntes) return;
    f->Database->Close();
    throw std::runtime_error(
        QString(QStringLiteral("¡ Falta la Base de Datos de la empresa ") +
                QString::number(Codigo) + QStringLiteral(" (") +
                JoinPath(NativePath(nombre), QString::fromLatin1(kDatabaseFileName)) +
                QStringLiteral(") !. Restáurela desde una copia de seguridad."))
            .toStdString());
}

void MarcarEmpresaConTablas(TfGENEINIC* f, int Codigo) {
    if (Codigo > 0 && EsSqlite() && !HayMarca(f, kMarcaTablas, Codigo))
        PonerMarca(f, kMarcaTablas, Codigo);
}

void MarcarEmpresasConTablas(TfGENEINIC* f) {
    TDatabase* g = BaseMarcas(f);
    if (!g || g->engine() != Engine::Sqlite || !g->TableExists(QStringLiteral("EMPRESA"))) return;
    QList<int> codigos;
    QSqlQuery q = g->Execute(QStringLiteral("SELECT Codigo FROM EMPRESA"));
    while (q.next()) codigos << q.value(0).toInt();
    for (int codigo : std::as_const(codigos)) {
        if (codigo <= 0 || HayMarca(f, kMarcaTablas, codigo)) continue;
        const QString carpeta = NativePath(NombreBaseDatosEmpresa(f, codigo));
        if (!QFileInfo::exists(JoinPath(carpeta, QString::fromLatin1(kDatabaseFileName)))) continue;
        TDatabase empresa;
        empresa.Params().engine = Engine::Sqlite;
        empresa.Params().folder = carpeta;
        try {
            empresa.Open();
            if (!BaseDatosSinTablas(&empresa)) PonerMarca(f, kMarcaTablas, codigo);
        } catch (const EDatabaseError&) {
            // One that cannot be read says nothing here; its opening tells.
        }
    }
}

bool EmpresaCreada(TfGENEINIC* f, int Codigo) {
    return HayMarca(f, kMarcaEmpresa, Codigo);
}

void MarcarEmpresaCreada(TfGENEINIC* f, int Codigo) {
    if (Codigo > 0) PonerMarca(f, kMarcaEmpresa, Codigo);
}

bool UsuariosDefinidos(TfGENEINIC* f) {
    return HayMarca(f, kMarcaUsuarios, 0);
}

void MarcarUsuariosDefinidos(TfGENEINIC* f) {
    PonerMarca(f, kMarcaUsuarios, 0);
}

void PrepararMarcasCreacion(TfGENEINIC* f, QList<int> (*EmpresasExistentes)(TfGENEINIC*)) {
    TDatabase* g = BaseMarcas(f);
    if (!g || g->TableExists(kTablaMarcas)) return;
    // An installation older than the marks: what it holds was created.
    CrearTablaMarcas(g);
    for (int codigo : EmpresasExistentes(f)) MarcarEmpresaCreada(f, codigo);
    if (g->TableExists(QStringLiteral("USUARIO")) &&
        g->Scalar(QStringLiteral("SELECT COUNT(*) FROM USUARIO")).toInt() > 0)
        MarcarUsuariosDefinidos(f);
}

QString MotivoUsuariosPerdidos(TfGENEINIC* f) {
    TDatabase* g = BaseMarcas(f);
    if (!g) return QString();
    // The mark is read before the rows: a session starting at the same
    // moment stores its administrator and only then marks the users
    // defined, so a mark seen here has its rows already there.
    const bool definidos = UsuariosDefinidos(f);
    const bool existe = g->TableExists(QStringLiteral("USUARIO"));
    const bool conFilas =
        existe && g->Scalar(QStringLiteral("SELECT COUNT(*) FROM USUARIO")).toInt() > 0;
    if (conFilas) {
        // Users kept before the marks existed count as defined.
        if (!definidos) MarcarUsuariosDefinidos(f);
        return QString();
    }
    if (!definidos) return QString();
    return (existe ? QStringLiteral("¡ La tabla de usuarios USUARIO de la Base de Datos general "
                                    "está vacía !")
                   : QStringLiteral("¡ Falta la tabla de usuarios USUARIO de la Base de Datos "
                                    "general !")) +
           QStringLiteral(". Restáurela desde una copia de seguridad.");
}

void RechazarEmpresaPerdida(TfGENEINIC* f, int Codigo, const EDatabaseError& e) {
    // Made once, the first time the company is chosen: one that was made and
    // is gone is lost data, never made again empty.
    if (e.code() != DbError::DatabaseNotFound || Codigo <= 0 || !EmpresaCreada(f, Codigo) ||
        !BaseDatosInexistente(f, NombreBaseDatosEmpresa(f, Codigo), false))
        return;
    throw std::runtime_error(QString(QStringLiteral("¡ Falta la Base de Datos de la empresa ") +
                                     QString::number(Codigo) + UbicacionPerdida(e) +
                                     QStringLiteral(" !. Restáurela desde una copia de seguridad."))
                                 .toStdString());
}

bool BaseDatosSinTablas(TDatabase* d) {
    // Only the file's own tables: a company's connection attaches others.
    return d && d->Connected() && d->engine() == Engine::Sqlite &&
           d->Scalar(QStringLiteral("SELECT COUNT(*) FROM main.sqlite_master WHERE type = "
                                    "'table'"))
                   .toInt() == 0;
}

bool BaseDatosCreadaEntretanto(TfGENEINIC* f, const QString& ubicacion, bool esGeneral) {
    // A session starting at the same moment made it after the engine said
    // it was not there.
    try {
        return TDatabase::DatabaseExists(ParametrosConexion(f, ubicacion, esGeneral));
    } catch (const std::exception&) {
        return false;
    }
}

namespace {

// Why the database could not be created; empty when it was.
QString MotivoNoCreada(TfGENEINIC* f, const QString& Nombre) {
    try {
        TConnectionParams p = ParametrosConexion(f, Nombre, true);
        if (p.engine == Engine::SqlServer)
            throw EDatabaseError::make(DbError::UnsupportedEngine, QString(),
                                       EngineSettingName(p.engine));
        TDatabase::CreateDatabase(p);
        return QString();
    } catch (const std::exception& e) {
        return QStringLiteral("¡Imposible crear la base de datos ") + Nombre +
               QStringLiteral("!. Motivo:") + TextoErrorBaseDatos(e);
    }
}

}  // namespace

void ConectarBaseDatosEmpresa(TfGENEINIC* f, int Codigo) {
    const QString nombre = NombreBaseDatosEmpresa(f, Codigo);
    try {
        Reconectar(f, f->Database, nombre, false);
    } catch (const EDatabaseError& e) {
        // Only a database the engine says is not there is made: on SQLite
        // the company's folder exists and holds no file. A missing folder is
        // reported with the file it should hold.
        if (e.code() != DbError::DatabaseNotFound) throw;
        if (BaseDatosInexistente(f, nombre, false)) {
            RechazarEmpresaPerdida(f, Codigo, e);
            // The caller tells why and stays on the company it had: a
            // company that cannot be made never ends the program.
            const QString motivo = MotivoNoCreada(f, nombre);
            if (!motivo.isEmpty()) throw std::runtime_error(motivo.toStdString());
        } else if (!BaseDatosCreadaEntretanto(f, nombre, false)) {
            throw;
        }
        Reconectar(f, f->Database, nombre, false);
    }
    if (Codigo > 0 && !EmpresaCreada(f, Codigo)) MarcarEmpresaCreada(f, Codigo);
    RechazarEmpresaSinTablas(f, Codigo, nombre);
    if (MotorActual() == Engine::SqlServer) f->Database->Execute(SentenciaNivelAislamiento());
    if (MotorActual() == Engine::SqlServer && !f->Database->InTransaction()) {
        IniciarTransaccion(f, f->Database);
        ConfirmarTransaccion(f, f->Database);
    }
}

namespace {

// What identifies a database whatever it is called: on SQLite its folder's
// real path (links, "." and ".." resolved; "" when there is no such
// folder), elsewhere its schema.
QString IdentidadBaseDatos(const TConnectionParams& p) {
    if (p.engine == Engine::Sqlite)
        return p.folder.isEmpty() ? QString() : QFileInfo(NativePath(p.folder)).canonicalFilePath();
    return p.schema.trimmed().toLower();
}

// The identity of what a name stands for, as the session resolves it: a
// session selector or a database's name or alias, "?" + a folder or
// schema, or an alias of the alias file; "" when it names nothing.
QString IdentidadNombrada(TfGENEINIC* f, const QString& nombre) {
    const TSession& sesion = TSession::instance();
    TConnectionParams p;
    if (const TDatabase* db = sesion.Registered(NombreBaseDatosSelector(nombre)))
        return IdentidadBaseDatos(db->Params());
    if (sesion.DirectParams(nombre, p)) return IdentidadBaseDatos(p);
    if (ParametrosAlias(nombre).isEmpty()) return QString();
    return IdentidadBaseDatos(ParametrosConexion(f, UbicacionAlias(nombre), false));
}

}  // namespace

int EmpresaBaseDatos(TfGENEINIC* f, const QString& Nombre, const QList<int>& Empresas) {
    const QString nombrada = IdentidadNombrada(f, Nombre.trimmed());
    if (nombrada.isEmpty() || !f) return 0;
    // The general database and the temporary store are no company's, even
    // where a company's name leads to them.
    for (const TDatabase* d : {f->DatabaseGeneral, f->DatabaseTemporal})
        if (d && IdentidadBaseDatos(d->Params()) == nombrada) return 0;
    for (int codigo : Empresas)
        if (codigo > 0 &&
            IdentidadNombrada(f, QLatin1Char('?') + NombreBaseDatosEmpresa(f, codigo)) == nombrada)
            return codigo;
    return 0;
}

void ConectarBaseDatosAlt(TfGENEINIC* f, int Codigo, const QString& Nombre) {
    const QString nombre = Nombre.isEmpty() ? NombreBaseDatosEmpresa(f, Codigo) : Nombre;
    const QString baseDatos = Codigo != -1 ? NombreBaseDatosEmpresa(f, Codigo) : nombre;
    if (f->DatabaseAlt->Connected() &&
        f->DatabaseAlt->DatabaseName().compare(baseDatos, Qt::CaseInsensitive) == 0)
        return;
    Reconectar(f, f->DatabaseAlt, baseDatos, false);
    if (MotorActual() == Engine::SqlServer) {
        f->DatabaseAlt->Execute(SentenciaNivelAislamiento());
        if (!f->Database->InTransaction()) {
            IniciarTransaccion(f, f->Database);
            ConfirmarTransaccion(f, f->Database);
        }
    }
}

QString SentenciaNivelAislamiento() {
    return QStringLiteral("SET TRANSACTION ISOLATION LEVEL ") + NivelAislamientoTransaccionesMSSQL;
}

QString SentenciaIntercalacionTextos() {
    return QStringLiteral(
        "SELECT TOP 1 collation_name   FROM information_schema.columns   WHERE "
        "table_name = 'TXIDIOMA'");
}

void AsignarBaseDatosEmpresa(TfGENEINIC* f, TDataSet* DataSet, int CodigoEmpresa) {
    auto* ds = qobject_cast<TDBDataSet*>(DataSet);
    if (!ds) return;
    const int codigo = CodigoEmpresa == 0 ? CodigoEmpresaActual : CodigoEmpresa;
    if (MotorActual() == Engine::SqlServer) {
        ConectarBaseDatosAlt(f, codigo, QString());
        ds->setDatabaseName(QLatin1Char('?') + f->DatabaseAlt->DatabaseName());
    } else {
        ds->setDatabaseName(QLatin1Char('?') + NombreBaseDatosEmpresa(f, codigo));
    }
}

void CadenaConexionADO(TfGENEINIC* f, const QString& Destino, const QString& Servidor,
                       QString& Cadena) {
    QString servidor = Servidor.isEmpty() ? ServidorBaseDatos : Servidor;
    servidor.remove(QLatin1String("np:"), Qt::CaseInsensitive);
    QString catalogo;
    if (Destino.startsWith(QLatin1Char('?')))
        catalogo = Destino.mid(1);
    else if (Destino == QLatin1String("DatabaseGeneral"))
        catalogo = f->DatabaseGeneral->DatabaseName();
    else if (Destino == QLatin1String("DatabaseAlt"))
        catalogo = f->DatabaseAlt->DatabaseName();
    else if (Destino.isEmpty() || Destino == QLatin1String("Database"))
        catalogo = NombreBaseDatosEmpresa(f, CodigoEmpresaActual);
    else
        catalogo = Destino;
    const QString aplicacion = QStringLiteral("Application Name=") + ProgramaEnEjecucion() +
                               QLatin1Char('|') + CodigoUsuarioActual;
    if (AutenticacionWindows) {
        Cadena = QStringLiteral(
                     "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security "
                     "Info=False;Initial Catalog=") +
                 catalogo + QStringLiteral(";Data Source=") + servidor + QLatin1Char(';') +
                 aplicacion;
    } else {
        Cadena = QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=") +
                 UsuarioInicioSesion + QStringLiteral(";Password=") + ClaveInicioSesion +
                 QLatin1Char(';') + QStringLiteral("Connect Timeout=0;") +
                 QStringLiteral("Initial Catalog=") + catalogo + QStringLiteral(";Data Source=") +
                 servidor + QLatin1Char(';') + aplicacion;
    }
}

// ---------------------------------------------------------------- creation

QStringList SentenciasCrearBaseDatosSQL(const QString& Nombre) {
    const QString intercalacion = NombreIntercalacionMSSQL.isEmpty()
                                      ? QStringLiteral("SQL_Latin1_General_Cp1_CI_AI")
                                      : NombreIntercalacionMSSQL;
    return {QStringLiteral("USE master CREATE DATABASE ") + Nombre + QStringLiteral("  COLLATE ") +
                intercalacion,
            QStringLiteral("EXEC sp_dbcmptlevel ") + Nombre + QStringLiteral(", 80"),
            QStringLiteral("ALTER DATABASE ") + Nombre + QStringLiteral(" SET RECOVERY SIMPLE")};
}

bool CrearBaseDatosSQL(TfGENEINIC* f, const QString& Nombre) {
    const QString motivo = MotivoNoCreada(f, Nombre);
    if (motivo.isEmpty()) return true;
    MensajeError(motivo);
    return false;
}

bool CrearBaseDatosEmpresa(TfGENEINIC* f, int Codigo) {
    const QString nombre = NombreBaseDatosEmpresa(f, Codigo);
    // A company made before is never made again (see ConectarBaseDatosEmpresa).
    if (EmpresaCreada(f, Codigo)) return !BaseDatosInexistente(f, nombre, false);
    if (EsSqlite()) {
        // The company's folder is made only inside an existing general folder.
        const QString carpeta = NativePath(nombre);
        if (!QFileInfo(carpeta).isDir() && QFileInfo(NativePath(PathBaseDatosGeneral)).isDir())
            QDir().mkdir(carpeta);
    }
    if (!CrearBaseDatosSQL(f, nombre)) return false;
    MarcarEmpresaCreada(f, Codigo);
    return true;
}
