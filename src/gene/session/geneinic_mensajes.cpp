// The session's messages: dispatcher, exception translation, incidents, the
// rebuild queue of damaged tables and the progress window.

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QRegularExpression>
#include <QWidget>
#include <utility>

#include "db/database.h"
#include "gene/data/genemens.h"
#include "gene/data/mensajes.h"
#include "gene/listings/geneprog.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_diferidos.h"
#include "gene/session/sesion.h"
#include "io/inifile.h"
#include "io/paths.h"

namespace {

struct MensajeDiferido {
    QString tipo;
    QString texto;
};
int gProfundidadDiferidos = 0;
QList<MensajeDiferido>& MensajesDiferidos() {
    static QList<MensajeDiferido> cola;
    return cola;
}

bool terminacionSolicitada = false;

const QString kAdvertencia = QStringLiteral("Advertencia");
const QString kError = QStringLiteral("Error");
const QString kIgnorar = QStringLiteral("IGNORAR");
const QString kBlob = QStringLiteral("BLOB");
const QString kTraducir = QStringLiteral("TRADUCIR: ");

const QString kSentenciaIncorrecta =
    QStringLiteral("¡ La sentencia utilizada es incorrecta ! Palabra: ");
const QString kLineaNumero = QStringLiteral(" en la línea número: ");
const QString kLimiteInterno = QStringLiteral(
    "¡Se ha producido un error de límite interno!. Cierre alguna aplicación e inténtelo de "
    "nuevo.");

bool Contiene(const QString& m, const char* texto) {
    return m.contains(QLatin1String(texto));
}
bool Igual(const QString& m, const char* texto) {
    return m == QLatin1String(texto);
}

// The database file an engine text names after its words ("file is not a
// database: /datos/datos.sqlite"); empty when it names none.
QString ArchivoTras(const QString& m, const char* texto) {
    const QString clave = QLatin1String(texto) + QStringLiteral(": ");
    const qsizetype i = m.indexOf(clave);
    if (i < 0) return {};
    QString archivo = m.mid(i + clave.size()).section(QLatin1Char('\n'), 0, 0);
    // An SQLite path ends with the file's own name, whatever follows it.
    const qsizetype fin = archivo.indexOf(QLatin1String(kDatabaseFileName));
    if (fin >= 0) archivo.truncate(fin + qstrlen(kDatabaseFileName));
    return archivo.trimmed();
}

// The engine's texts about a database file, with the file named.
struct TextoArchivo {
    const char* motor;
    const char* antes;
    const char* despues;
    bool error;  // the program cannot go on
};
const TextoArchivo kTextosArchivo[] = {
    {"database disk image is malformed", "¡ La Base de Datos ",
     " está dañada !. Restáurela desde una copia de seguridad.", true},
    {"file is not a database", "¡ La Base de Datos ",
     " está dañada !. Restáurela desde una copia de seguridad.", true},
    {"unable to open database file", "¡ No es posible abrir la Base de Datos ",
     " !. Compruebe que existe y que tiene permiso para leerla.", true},
    {"disk I/O error", "¡ Se ha producido un error de lectura o escritura en la Base de Datos ",
     " !", true},
    {"attempt to write a readonly database", "¡ La Base de Datos ",
     " es de sólo lectura !. No es posible guardar los cambios.", false},
    {"database or disk is full", "¡ No queda espacio en el disco de la Base de Datos ",
     " !. Libere espacio e inténtelo de nuevo.", false},
};

// The Spanish text of one of them, with the file when the engine text names it.
QString TextoDeArchivo(const TextoArchivo& t, const QString& m) {
    QString r = QString::fromUtf8(t.antes);  // ends with a blank
    const QString archivo = ArchivoTras(m, t.motor);
    if (archivo.isEmpty())
        r.chop(1);
    else
        r += archivo;
    return r + QString::fromUtf8(t.despues);
}

}  // namespace

QString TraducirMensajeMotor(const QString& Texto) {
    QString t = Texto;
    if (!t.contains(QLatin1String("TRADUCIR:"))) return t;
    // The marker goes wherever it stands, with the blank after it.
    t.remove(kTraducir);
    t.remove(QLatin1String("TRADUCIR:"));
    if (Contiene(t, "Index is out of date"))
        t.replace(QLatin1String("Index is out of date"),
                  QStringLiteral("El índice no está actualizado."));
    if (Contiene(t, "At beginning of table"))
        t.replace(QLatin1String("At beginning of table"),
                  QStringLiteral("Al principio de la tabla."));
    if (Contiene(t, "Field") && Contiene(t, "not found")) {
        t.replace(QLatin1String("Field"), QStringLiteral("El campo"));
        t.replace(QLatin1String("not found"), QStringLiteral("no está definido."));
    }
    if (Contiene(t, "Field") && Contiene(t, "is not of the expected type")) {
        t.replace(QLatin1String("Field"), QStringLiteral("El campo"));
        t.replace(QLatin1String("is not of the expected type"),
                  QStringLiteral("no es del tipo adecuado."));
    }
    if (Contiene(t, "An error occurred while attempting to initialize the Borland Database Engine"))
        t = QStringLiteral("Se ha producido un error al inicializar el BDE.");
    if (Contiene(t, "Some internal limit")) t = kLimiteInterno;
    for (const TextoArchivo& a : kTextosArchivo) {
        const qsizetype i = t.indexOf(QLatin1String(a.motor));
        if (i < 0) continue;
        const QString archivo = ArchivoTras(t, a.motor);
        const qsizetype largo = qstrlen(a.motor) + (archivo.isEmpty() ? 0 : archivo.size() + 2);
        t.replace(i, largo, TextoDeArchivo(a, t.mid(i)));
    }
    return t;
}

ClasificacionExcepcion ClasificarExcepcion(const QString& M) {
    if (Contiene(M, "Invalid BLOB handle in record buffer"))
        return {kBlob, QStringLiteral("¡El número de campos Memo que se intenta manejar es "
                                      "excesivo!. Acote la consulta.")};
    QString texto;
    QString clase;

    // Warnings: every row is tested; a later match overwrites the text.
    if (Igual(M, "Unable to insert a line"))
        texto = QStringLiteral(
            "¡ La cantidad de información es excesiva !. Seleccione menos "
            "datos o segrégelos en varios bloques diferentes.");
    if (Igual(M, "Record already locked by this session"))
        texto = QStringLiteral("¡ El registro esta bloqueado en esta sesion !");
    if (Igual(M, "Dataset not in edit or insert mode"))
        texto = QStringLiteral("¡ Debe estar en modo edición !");
    if (Igual(M, "Cannot perform this operation on an empty dataset"))
        texto = QStringLiteral("¡ Es imposible realizar esta operación !. La Tabla está vacía.");
    if (Igual(M, "Type mismatch in expression"))
        texto = QStringLiteral("¡ La sentencia tiene un error de sintaxis !");
    if (Igual(M, "No SQL statement available"))
        texto = QStringLiteral("¡ No hay ninguna sentencia SQL disponible !");
    if (Contiene(M, "Cannot modify a read-only dataset") || Contiene(M, "Table is read only"))
        texto = QStringLiteral("¡Ud. no tiene autorización para realizar modificaciones!");
    if (Contiene(M, "Key violation")) texto = QStringLiteral("¡ Ya existe el registro !");
    if (M.toUpper().contains(QLatin1String("RECORD/KEY DELETED")))
        texto = QStringLiteral(
            "¡Este registro ya no está disponible en la vista actual!. Para ver "
            "la nueva situación vuelva a seleccionar o filtrar los datos que "
            "desee.");
    if (Contiene(M, "Record locked by another user"))
        texto = QStringLiteral("¡ El registro esta siendo bloqueado por otro usuario !");
    if (Contiene(M, "already has an active transaction"))
        texto = QStringLiteral("¡ Hay una transaccion activa en la Base de Datos !");
    if (Contiene(M, "A deadlock was detected"))
        texto = QStringLiteral(
            "¡ El registro ha sido modificado por otro usuario !. Debe cancelar "
            "la edición, salir e intentarlo de nuevo.");
    if (Contiene(M, "is not a valid date"))
        texto = QStringLiteral("¡ La fecha (u hora) introducida no es válida !. Repita por favor.");
    if (Contiene(M, "is not a valid time"))
        texto = QStringLiteral("¡ La hora introducida no es válida !. Repita por favor.");
    if (Contiene(M, "is not a valid value") || Contiene(M, "is not a valid integer value") ||
        Contiene(M, "is not a valid floating point value"))
        texto = QStringLiteral("¡ El dato introducido no es válido !. Repita por favor.");
    if (Contiene(M, "No index currently active"))
        texto = QStringLiteral(
            "¡La tabla no está disponible. Cierre la ventana e inténtelo de "
            "nuevo.");
    if (Contiene(M, "Field") && Contiene(M, "must have a value")) {
        // The field name with the blanks around it: what follows "Field ".
        QString campo = M.mid(M.indexOf(QLatin1String("Field")) + 6);
        campo.remove(QLatin1String("must have a value"));
        texto = QStringLiteral("¡ Debe introducir un valor en el campo ") + campo +
                QStringLiteral(" !");
    }
    if (Contiene(M, "Invalid use of keyword")) {
        texto = M;
        texto.replace(QLatin1String("Invalid use of keyword. Token: "), kSentenciaIncorrecta);
        texto.replace(QLatin1String(". Line Number: "), kLineaNumero);
    }
    if (Contiene(M, "Token not found")) {
        texto = M;
        texto.replace(QLatin1String("Token not found. Token: "), kSentenciaIncorrecta);
        texto.replace(QLatin1String(". Line Number: "), kLineaNumero);
    }
    for (const TextoArchivo& t : kTextosArchivo)
        if (!t.error && Contiene(M, t.motor)) texto = TextoDeArchivo(t, M);
    if (!texto.isEmpty() && clase.isEmpty()) clase = kAdvertencia;

    // Errors: the program cannot go on.
    if (Contiene(M, "Cannot lock network file"))
        texto = QStringLiteral(
            "¡ Es imposible iniciar la aplicación en este momento!. Inténtelo "
            "de nuevo.");
    if (Igual(M, "Cannot perform this operation on a closed dataset"))
        texto = QStringLiteral("¡ Es imposible realizar esta operación !. La Tabla está cerrada.");
    if (Contiene(M, "Table does not exist"))
        texto = QStringLiteral("¡ La tabla no existe !. Compruebe la Base de Datos por favor.");
    if (Contiene(M, "Path not found")) {
        const QString archivo = ArchivoTras(M, "Path not found");
        texto = archivo.isEmpty()
                    ? QStringLiteral("¡ La dirección (path) de la Base de Datos es incorrecta !")
                    : QStringLiteral("¡ La dirección (path) de la Base de Datos ") + archivo +
                          QStringLiteral(" es incorrecta !");
    }
    for (const TextoArchivo& t : kTextosArchivo)
        if (t.error && Contiene(M, t.motor)) texto = TextoDeArchivo(t, M);
    if (Contiene(M, "Unable to open database"))
        texto = QStringLiteral("¡ No es posible conectar con la Base de Datos !. Motivo: ") +
                M.mid(M.indexOf(QLatin1String("Unable to open database")) + 23)
                    .remove(QRegularExpression(QStringLiteral("^:\\s*")));
    if (Contiene(M, "Unable to open database") &&
        (Contiene(M, "Connection refused") || Contiene(M, "could not connect") ||
         Contiene(M, "could not translate host name") || Contiene(M, "timeout expired")))
        texto = QStringLiteral(
            "¡ No es posible conectar con el servidor de la Base de Datos !. Compruebe que está "
            "en marcha y que su nombre y puerto son los correctos.");
    if (Contiene(M, "password authentication failed") || Contiene(M, "no password supplied"))
        texto = QStringLiteral(
            "¡ El servidor de la Base de Datos no acepta el usuario o la clave de inicio de "
            "sesión !");
    if (Contiene(M, "Field") && Contiene(M, "is not of the expected type")) texto = kTraducir + M;
    if (Contiene(M, "At beginning of table")) texto = QStringLiteral("Al principio de la tabla.");
    if (Contiene(M, "Some internal limit")) texto = kLimiteInterno;
    if (Contiene(M, "Access violation"))
        texto = QStringLiteral(
            "¡Se ha producido un error indeterminado en el sistema!. En estas "
            "condiciones es recomendable reiniciar la computadora.");
    if (Contiene(M, "Index is out of date")) texto = kTraducir + M;
    if (Igual(M, "No index currently active"))
        texto = QStringLiteral("No hay un índice activo en la tabla");
    if (!texto.isEmpty() && clase.isEmpty()) clase = kError;

    // Noise.
    if (Igual(M, "Cannot focus a disabled or invisible window") ||
        Igual(M, "Error creating cursor handle") || Contiene(M, "Table is busy") ||
        Contiene(M, "Cursor unknown") ||
        M.contains(QLatin1String("'0.0'") + QLatin1String(" is not a valid"))) {
        texto = kIgnorar;
        clase = kIgnorar;
    }

    if (texto.isEmpty()) {
        clase = kAdvertencia;
        texto = M;
    }
    return {clase, texto};
}

TMensajesDiferidos::TMensajesDiferidos() {
    ++gProfundidadDiferidos;
}

TMensajesDiferidos::~TMensajesDiferidos() {
    try {
        Mostrar();
    } catch (...) {
        // A message shown while unwinding must not end the program.
    }
}

void TMensajesDiferidos::Mostrar() {
    if (!activo_) return;
    activo_ = false;
    if (--gProfundidadDiferidos > 0) return;
    // A message shown may start another confirm: the queue is taken first.
    const QList<MensajeDiferido> cola = std::exchange(MensajesDiferidos(), {});
    for (const MensajeDiferido& m : cola) {
        QString respuesta;
        CrearSesion()->MostrarMensaje(m.tipo, m.texto, respuesta);
    }
}

namespace {

// An advice with statements an administrator must run (rights to grant, a
// view or index in a program table's way): the program's own texts say so
// with one of these words.
bool ConsejoConSentencias(const QString& Texto) {
    return Texto.contains(QLatin1String("debe ejecutar: ")) ||
           Texto.contains(QLatin1String("ejecuta en la ventana de SQL del programa"));
}

}  // namespace

void TfGENEINIC::MostrarMensaje(const QString& Tipo, const QString& Texto, QString& Respuesta) {
    if (gProfundidadDiferidos > 0 && (Tipo == QLatin1String("A") || Tipo == QLatin1String("I"))) {
        MensajesDiferidos().append({Tipo, Texto});
        return;
    }
    QString texto = TraducirMensajeMotor(Texto);
    if (Tipo != QLatin1String("C") && Tipo != QLatin1String("P") && ConsejoConSentencias(texto)) {
        // Kept whole for whoever runs the statements, whatever the level of
        // incidents captured; the message says where.
        CapturarIncidencia(QStringLiteral("Consejo"), texto, QString(), nullptr);
        texto += QStringLiteral("\nEste aviso, con sus sentencias, queda también en el archivo ") +
                 ArchivoIncidencias() + QLatin1Char('.');
    }
    bool cancelado = false;
    const QString respuesta = ResponderMensaje(Tipo, texto, Respuesta, cancelado);
    if (Tipo == QLatin1String("C")) {
        Respuesta = respuesta;
    } else if (Tipo == QLatin1String("P")) {
        Respuesta = respuesta;
        peticionCancelada_ = cancelado;
    } else if (Tipo == QLatin1String("E")) {
        SolicitarTerminacion();
    }
}

void TfGENEINIC::GestionExcepciones(QObject* Sender, const QString& Mensaje) {
    const ClasificacionExcepcion c = ClasificarExcepcion(Mensaje);
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());

    if (c.Clase == kBlob) {
        // A plain box, outside the message dispatcher.
        if (MessageSeam::isActive() && !MessageSeam::showsDialogs())
            MessageSeam::record(QString(), c.Texto, QString());
        else if (app)
            QMessageBox::information(QApplication::activeWindow(), QString(), c.Texto);
        auto* rejilla = qobject_cast<QWidget*>(Sender);
        if (rejilla && Sender->inherits("TDBGrid") && rejilla->window() != rejilla)
            rejilla->window()->close();
        return;
    }
    if (c.Clase == kIgnorar) {
        if (app)
            while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    } else if (c.Clase == kAdvertencia) {
        MensajeAdvertencia(c.Texto);
    } else {
        if (app) QApplication::setOverrideCursor(Qt::ForbiddenCursor);
        MensajeError(c.Texto);
    }
    if (c.Clase == kError || NivelCapturaIncidencias == QLatin1String("Maximo"))
        CapturarIncidencia(
            Sender ? QString::fromLatin1(Sender->metaObject()->className()) : QString(), Mensaje,
            QString(), Sender);
}

void TfGENEINIC::RegistrarIncidencia(const QString& Area, const QString& Texto,
                                     const QVariant& Extra) {
    if (NivelCapturaIncidencias == QLatin1String("Ninguno")) return;
    CapturarIncidencia(Area, Texto, Extra.toString(), nullptr);
}

void TfGENEINIC::RegistrarTablaAReconstruir(const QString& NombreTabla, const QString& Mensaje) {
    if (TipoBaseDatos != QLatin1String("Paradox") || NombreTabla.isEmpty()) return;
    const QString m = Mensaje.toUpper();
    if (!m.contains(QLatin1String("INDEX")) && !m.contains(QLatin1String("CORRUPT"))) return;

    static const QString kSeccion = QStringLiteral("Reconstrucción Automática de Tablas");
    TIniFile ini(RutaArchivoConfiguracion());
    // Sorted, without duplicates (paths compared without regard to case).
    QStringList tablas;
    auto agregar = [&tablas](const QString& tabla) {
        const QString t = tabla.trimmed();
        if (t.isEmpty() || tablas.contains(t, Qt::CaseInsensitive)) return;
        tablas.append(t);
    };
    for (const QString& t :
         ini.ReadString(kSeccion, QStringLiteral("Tablas"), QString()).split(QLatin1Char(',')))
        agregar(t);
    const QString empresa = JoinPath(PathBaseDatosGeneral, QString::number(CodigoEmpresaActual));
    agregar(WindowsPath(JoinPath(empresa, NombreTabla)));
    std::sort(tablas.begin(), tablas.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QString valor;
    for (const QString& t : tablas) valor += t + QLatin1Char(',');
    ini.WriteString(kSeccion, QStringLiteral("Tablas"), valor);
    ini.UpdateFile();
}

void TfGENEINIC::MostrarVentanaProgreso(const QString& Modo, const QString& Titulo,
                                        const QString& Texto, const QString& Extra) {
    ActualizarVentanaProgreso(progreso_, Modo, Titulo, Texto);
}

bool TerminacionSolicitada() {
    return terminacionSolicitada;
}

void SolicitarTerminacion() {
    terminacionSolicitada = true;
    // Under the test seam the request is only noted, so the test run goes on.
    if (MessageSeam::isActive() || !QCoreApplication::instance()) return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
}

void AnularTerminacion() {
    terminacionSolicitada = false;
}

QString RutaArchivoConfiguracion() {
    const QString ruta = NativePath(ArchivoConfiguracion);
    if (QDir::isAbsolutePath(ruta) || DirectorioPrograma.isEmpty()) return ruta;
    return JoinPath(DirectorioPrograma, ArchivoConfiguracion);
}

QString ArchivoIncidencias() {
    const QString carpeta = DirectorioPrograma.isEmpty() ? QDir::currentPath() : DirectorioPrograma;
    return JoinPath(carpeta, QStringLiteral("Incidencias.log"));
}

void CapturarIncidencia(const QString& Area, const QString& Texto, const QString& Extra,
                        QObject* Sender) {
    // One line per incident: breaks and tabs inside the texts become blanks.
    auto linea = [](QString t) {
        for (QChar& c : t)
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
                c = QLatin1Char(' ');
        return t;
    };
    QString texto = QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) +
                    QLatin1Char('\t') + linea(CodigoUsuarioActual) + QLatin1Char('\t') +
                    linea(Area) + QLatin1Char('\t') + linea(Texto);
    if (!Extra.isEmpty()) texto += QLatin1Char('\t') + linea(Extra);
    if (Sender && !Sender->objectName().isEmpty())
        texto += QLatin1Char('\t') + linea(Sender->objectName());
    QFile archivo(ArchivoIncidencias());
    if (!archivo.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return;
    archivo.write(texto.toUtf8() + '\n');
}
