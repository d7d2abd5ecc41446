// Session services for open forms: activity, inactivity, released windows,
// pending edits on closing, diagnosis, calculator, responsibility and
// electronic documentation of a record, internal messaging.

#include "gene/session/geneinic_servicios.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QTimer>

#include "db/dataset.h"
#include "db/datasource.h"
#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genelog.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genesist.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_programas.h"
#include "gene/session/genemaes.h"
#include "gene/session/generejilla.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "ui/form.h"
#include "ui/registry.h"

TDiagnosticoInstalacion GanchoDiagnosticoInstalacion = nullptr;
TCalculadoraModal GanchoCalculadora = nullptr;
QString TablaResponsabilidad;
QString ClaveResponsabilidad;

namespace {

bool DeUnFormulario(const QObject* o) {
    for (; o; o = o->parent())
        if (qobject_cast<const TForm*>(o)) return true;
    return false;
}

// The datasets a form holds, in component order (any owner: a form or a
// data module).
QList<TDataSet*> DataSetsDe(QObject* Propietario) {
    QList<TDataSet*> lista;
    if (auto* forma = qobject_cast<TForm*>(Propietario)) {
        for (QObject* c : forma->Components())
            if (auto* d = qobject_cast<TDataSet*>(c)) lista << d;
        // A data module's dataset that the form edits through its own data
        // source (the company parameters) is the form's unconfirmed record
        // too, where the form says so: a viewer bound to its caller's dataset
        // leaves that record to its caller.
        if (forma->property("EditaModuloDatos").toBool())
            for (QObject* c : forma->Components())
                if (auto* fuente = qobject_cast<TDataSource*>(c))
                    if (TDataSet* d = fuente->DataSet())
                        if (!lista.contains(d) && !DeUnFormulario(d)) lista << d;
    } else if (Propietario) {
        lista = Propietario->findChildren<TDataSet*>();
    }
    return lista;
}

bool EnEdicion(const TDataSet* d) {
    const TDataSetState s = d->State();
    return s == dsEdit || s == dsInsert || s == dsSetKey;
}

// Watches the application's deferred deletes: a form being released.
class TRegistroLiberacion : public QObject {
public:
    TRegistroLiberacion(TfGENEINIC* f) : QObject(f), f_(f) {
        setObjectName(QStringLiteral("RegistroLiberacion"));
    }
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::DeferredDelete && qobject_cast<TForm*>(objeto))
            RegistrarLiberacionFormulario(f_, objeto);
        return false;  // never handled here
    }

private:
    TfGENEINIC* f_;
};

}  // namespace

// ---------------------------------------------------------------- activity

void RegistrarActividadRaton(TfGENEINIC*, QObject*, int, int, int) {
    UltimaActividad = QDateTime::currentDateTime();
}

void RegistrarActividadTeclado(TfGENEINIC*, QObject*, int&, int) {
    UltimaActividad = QDateTime::currentDateTime();
}

void TimerAplicacionTimer(TfGENEINIC* f, QObject* Sender) {
    bool ok = false;
    int minutos = TiempoForzarTerminacionAplicacion.trimmed().toInt(&ok);
    if (!ok) minutos = 0;
    if (UltimaActividad.secsTo(QDateTime::currentDateTime()) <= qint64(minutos) * 60) return;
    QTimer* timer = qobject_cast<QTimer*>(Sender);
    if (!timer && f) timer = f->findChild<QTimer*>(QStringLiteral("TimerAplicacion"));
    if (timer) timer->stop();
    SolicitarTerminacion();
}

// ---------------------------------------------------------------- released windows

void RegistrarLiberacionFormulario(TfGENEINIC*, QObject* Liberado) {
    // The line names the window being released (not whichever child happens
    // to be active), with the same rule as the lines written at exit.
    auto* forma = qobject_cast<TForm*>(Liberado);
    if (!forma || forma == MainForm()) return;
    const QString nombre = forma->Name();
    if (nombre.startsWith(QLatin1String("fGE")) && nombre != QLatin1String("fGENEGANA")) return;
    RegistrarUso(ModuloDatos, forma, QStringLiteral("Free"));
}

void InstalarRegistroLiberacion(TfGENEINIC* f) {
    if (!f || !qApp) return;
    if (f->findChild<QObject*>(QStringLiteral("RegistroLiberacion"), Qt::FindDirectChildrenOnly))
        return;
    qApp->installEventFilter(new TRegistroLiberacion(f));
}

// ---------------------------------------------------------------- pending edits

void ComprobarEdicionPendiente(TfGENEINIC*, QObject* Sender, bool& CanClose) {
    CanClose = true;
    QList<TDataSet*> pendientes;
    QString lista;
    for (TDataSet* d : DataSetsDe(Sender)) {
        if (!EnEdicion(d)) continue;
        pendientes << d;
        lista += d->objectName() + QStringLiteral(", ");
    }
    if (pendientes.isEmpty()) return;
    const auto* forma = qobject_cast<TForm*>(Sender);
    const QString titulo = forma ? forma->Caption() : Sender->objectName();
    const QString respuesta = MensajeConfirmacion(
        QStringLiteral("Hay registros de ") + titulo + QStringLiteral(" (") + lista +
        QStringLiteral(") ") +
        QStringLiteral(" cuya grabación no ha sido confirmada. ¿Desea cancelar la grabación?"));
    const bool conservar = respuesta != QLatin1String("SI");
    // A new record nobody typed into (only its defaults and its master's
    // key) is given up, as leaving it in any other way does; but a master
    // record stays for the lines typed or stored under it, which its post
    // stores.
    QList<TDataSet*> sinTeclear;
    if (conservar) {
        auto* maestro = qobject_cast<TFormularioMaestro*>(Sender);
        bool conLineas = maestro && maestro->AltaConLineasGrabadas();
        for (TDataSet* d : std::as_const(pendientes)) {
            if (d->State() == dsSetKey) continue;
            // A refused text is told by its post.
            const bool tecleado = Tecleado(d);
            if (d->State() == dsInsert && !tecleado)
                sinTeclear << d;
            else if (tecleado && (!maestro || d != maestro->Table1))
                conLineas = true;
        }
        if (maestro && conLineas) sinTeclear.removeAll(maestro->Table1);
    }
    for (TDataSet* d : pendientes) {
        if (!EnEdicion(d)) continue;  // a post of another one may have ended it
        // A search key being typed is no record: it is never posted.
        const bool grabar = conservar && d->State() != dsSetKey && !sinTeclear.contains(d) &&
                            d->FieldCount() > 0 && !d->Fields()[0]->Text().isEmpty();
        if (grabar)
            d->Post();
        else
            d->Cancel();
    }
}

// ---------------------------------------------------------------- diagnosis, calculator

int DiagnosticoArranque(TfGENEINIC* f, const QString& Opciones) {
    return GanchoDiagnosticoInstalacion ? GanchoDiagnosticoInstalacion(f, Opciones) : 0;
}

double Calculadora(TfGENEINIC*, double Valor) {
    if (!GanchoCalculadora) return Valor;
    return GanchoCalculadora(FormatFloat(QStringLiteral("0.##"), Valor));
}

// ---------------------------------------------------------------- responsibility

QString ClaveResponsabilidadRegistro(TTable* Tabla) {
    const int n = std::min(NumeroCamposClave(ModuloDatos, Tabla), Tabla->FieldCount());
    QStringList partes;
    for (int i = 0; i < n; ++i) partes << Tabla->Fields()[i]->Text();
    return partes.join(QLatin1Char('|'));
}

void ResponsabilidadDocumentalRegistro(TfGENEINIC*, TTable* Tabla) {
    if (!ResponsabilidadDocumentalActivada || !Tabla) return;
    QString nombre;
    NombreTablaSinPropietario(ModuloDatos, Tabla->TableName(), nombre);
    if (!ExisteClaveTabla(ModuloDatos, QStringLiteral("CONFRESP"), nombre)) return;
    if (!FormClassRegistered(QStringLiteral("TfGENERESP"))) return;
    TablaResponsabilidad = Tabla->TableName();
    ClaveResponsabilidad = ClaveResponsabilidadRegistro(Tabla);
    QPointer<TForm> dialogo = CreateForm(QStringLiteral("TfGENERESP"));
    if (!dialogo) return;
    QVariant hay;
    LeerPropiedad(dialogo, QStringLiteral("HayDatos"), hay);
    if (hay.toBool()) dialogo->ShowModal();
    if (dialogo) dialogo->Free();
}

// ---------------------------------------------------------------- electronic documents

void AbrirDocumentacionElectronica(TfGENEINIC*, const QString& NombreTabla, const QString& Clave,
                                   const TRowAsRead& Registro) {
    QString nivel;
    NivelAccesoPrograma(ModuloDatos, CodigoUsuarioActual,
                        QStringLiteral("Documentación Electrónica"), nivel);
    if (nivel != QLatin1String("Total") && nivel != QLatin1String("Solo Lectura")) return;
    TForm* ventana = BuscarFormularioAbierto(QStringLiteral("fGENEDOCE"));
    AbrirFormulario(ModuloDatos, QStringLiteral("TfGENEDOCE"), ventana, QString(),
                    QStringLiteral("fGENEDOCE"));
    if (!ventana) return;
    QString tabla;
    NombreTablaSinPropietario(ModuloDatos, NombreTabla, tabla);
    AsignarPropiedad(ventana, QStringLiteral("NombreTabla"), tabla);
    AsignarPropiedad(ventana, QStringLiteral("ClaveTabla"), Clave);
    AsignarPropiedad(ventana, QStringLiteral("RegistroLeido"), QVariant::fromValue(Registro));
    LlamarMetodoPublicado(ventana, QStringLiteral("CargarDocumentos"), nullptr);
}

namespace {
// Set while the forms redraw their documents mark: the documents window is
// already on its record and must not be moved by their after-scroll.
bool marcandoDocumentacion = false;
}  // namespace

void SincronizarDocumentacionElectronica(TfGENEINIC*, TDataSet* DataSet) {
    if (marcandoDocumentacion) return;
    if (!DataSet || !FormularioAbierto(ModuloDatos, QStringLiteral("fGENEDOCE"))) return;
    QObject* duenio = DataSet->parent();
    while (duenio && !qobject_cast<TForm*>(duenio)) duenio = duenio->parent();
    if (!duenio) return;
    LlamarMetodoPublicado(duenio, QStringLiteral("DocumentacionElectronica1Click"),
                          BuscarComponente(duenio, QStringLiteral("DocumentacionElectronica1")));
}

void DocumentacionElectronicaModificada(TfGENEINIC*, const QString& NombreTabla) {
    QScopedValueRollback<bool> marcando(marcandoDocumentacion, true);
    for (TForm* forma : ApplicationForms()) {
        if (!BuscarComponente(forma, QStringLiteral("DocumentacionElectronica1"))) continue;
        auto* tabla = qobject_cast<TTable*>(BuscarComponente(forma, QStringLiteral("Table1")));
        if (!tabla || !tabla->Active() || !tabla->AfterScroll) continue;
        QString nombre;
        NombreTablaSinPropietario(ModuloDatos, tabla->TableName(), nombre);
        if (nombre.compare(NombreTabla, Qt::CaseInsensitive) != 0) continue;
        QPointer<TTable> viva = tabla;
        RunHandler(forma, [viva] {
            if (viva) viva->AfterScroll(viva);
        });
    }
}

bool ReservarClaveDocumentacion(TfGENEINIC*, const QString& NombreTabla, const QString& Clave,
                                bool* Retenida) {
    if (Retenida) *Retenida = false;
    for (TForm* forma : ApplicationForms()) {
        if (forma->metaObject()->indexOfMethod("ReservarClaveDocumentacion(QString)") < 0 ||
            !BuscarComponente(forma, QStringLiteral("DocumentacionElectronica1")))
            continue;
        auto* tabla = qobject_cast<TTable*>(BuscarComponente(forma, QStringLiteral("Table1")));
        if (!tabla || !tabla->Active() || tabla->State() != dsInsert) continue;
        QString nombre;
        NombreTablaSinPropietario(ModuloDatos, tabla->TableName(), nombre);
        if (nombre.compare(NombreTabla, Qt::CaseInsensitive) != 0) continue;
        bool reservada = true;
        if (QMetaObject::invokeMethod(forma, "ReservarClaveDocumentacion", Qt::DirectConnection,
                                      Q_RETURN_ARG(bool, reservada), Q_ARG(QString, Clave)) &&
            !reservada)
            return false;
        bool retenida = false;
        if (Retenida &&
            QMetaObject::invokeMethod(forma, "RetieneClaveDocumentacion", Qt::DirectConnection,
                                      Q_RETURN_ARG(bool, retenida), Q_ARG(QString, Clave)) &&
            retenida)
            *Retenida = true;
    }
    return true;
}

// ---------------------------------------------------------------- internal messaging

namespace {

// The folder of the messaging program's password files: one of the
// temporary folder's that only its owner may enter. Empty, with the reason
// for the user, when it cannot be made, is not a folder or belongs to
// someone else.
QString CarpetaClavesMensajeria(QString& Motivo) {
    const QString carpeta =
        JoinPath(DirectorioTemporal(), QStringLiteral("BRUVELI-%1").arg(::geteuid()));
    const QByteArray nativa = QFile::encodeName(carpeta);
    if (::mkdir(nativa.constData(), 0700) != 0 && errno != EEXIST) {
        Motivo = QStringLiteral("no se puede crear la carpeta ") + carpeta + QStringLiteral(" (") +
                 QString::fromLocal8Bit(std::strerror(errno)) + QLatin1Char(')');
        return {};
    }
    struct stat st;
    if (::lstat(nativa.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        Motivo = carpeta + QStringLiteral(
                               " no es una carpeta. Bórrelo para que la mensajería "
                               "pueda crear la suya");
        return {};
    }
    if (st.st_uid != ::geteuid()) {
        Motivo = QStringLiteral("la carpeta ") + carpeta +
                 QStringLiteral(
                     " pertenece a otro usuario. Pida al administrador del sistema "
                     "que la borre");
        return {};
    }
    if ((st.st_mode & 077) != 0 && ::chmod(nativa.constData(), 0700) != 0) {
        Motivo = QStringLiteral("no se puede reservar la carpeta ") + carpeta +
                 QStringLiteral(" a su usuario");
        return {};
    }
    return carpeta;
}

// Removes the password files of sessions that are no longer running (and an
// earlier one of this session, which is written again).
void BorrarClavesAbandonadas(const QString& carpeta) {
    static const QRegularExpression nombre(QStringLiteral("^BRUVELI_([0-9]+)\\.clave$"));
    const QDir d(carpeta);
    for (const QString& archivo : d.entryList(QDir::Files | QDir::System | QDir::Hidden)) {
        const QRegularExpressionMatch m = nombre.match(archivo);
        if (!m.hasMatch()) continue;
        const pid_t pid = static_cast<pid_t>(m.captured(1).toLongLong());
        if (pid == ::getpid() || (::kill(pid, 0) != 0 && errno == ESRCH))
            QFile::remove(d.filePath(archivo));
    }
}

}  // namespace

QStringList ArgumentosMensajeria(const QString& Modo, QString& ArchivoClave) {
    ArchivoClave.clear();
    QString clave = QStringLiteral("Indefinida");
    QString motivo;
    const QString carpeta =
        ClaveAccesoUsuarioActual.isEmpty() ? QString() : CarpetaClavesMensajeria(motivo);
    if (!carpeta.isEmpty()) {
        BorrarClavesAbandonadas(carpeta);
        // One file per session, made new for its owner alone before the
        // password goes in: a file someone else placed there is never used.
        const QString ruta = JoinPath(
            carpeta, QStringLiteral("BRUVELI_%1.clave").arg(QCoreApplication::applicationPid()));
        QFile archivo(ruta);
        if (archivo.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                         QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            const QByteArray bytes = ClaveAccesoUsuarioActual.toUtf8();
            const bool escrito = archivo.write(bytes) == bytes.size() && archivo.flush();
            archivo.close();
            if (escrito) {
                ArchivoClave = ruta;
                clave = ruta;
            } else {
                archivo.remove();
            }
        }
        if (ArchivoClave.isEmpty())
            motivo = QStringLiteral("no se puede escribir el archivo ") + ruta;
    }
    // Without it the user would be asked a password he was never told about.
    if (!motivo.isEmpty())
        MensajeAdvertencia(
            QStringLiteral("¡ El programa de mensajería interna no recibirá su clave de acceso: ") +
            motivo + QStringLiteral(" !"));
    return {ArchivoParametros, CodigoUsuarioActual, clave, Modo};
}

void IniciarMensajeria(TfGENEINIC* f, const QString& Modo) {
    if (!MensajeriaInternaActivada) return;
    QString archivoClave;
    const QStringList argumentos = ArgumentosMensajeria(Modo, archivoClave);
    if (!archivoClave.isEmpty() && f) {
        // The password file goes with the session.
        QObject::connect(f, &QObject::destroyed, [archivoClave] { QFile::remove(archivoClave); });
    }
    // A missing program is not reported.
    IniciarProgramaHermano(QStringLiteral("BRUVELI.EXE"), argumentos);
}
