#pragma once
// Room gene/session: the session form (start-up, connections, transactions, tables, messages), the
// application object, the form framework and master-form template, parameters, dictionary, diagnosis,
// help and mail. May include the platform, gene/data and the dialogs, print and progress it opens.

// The session form: the non-visual object that lives from start-up to exit and
// holds the session's services (messages, exception translation, incidents,
// progress window). Other topics add their members in geneinic_*.cpp files.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

class TfGENEPROG;
class TDatabase;

// Creates one of the session form's database components (geneinic_conexion.cpp).
TDatabase* CrearBaseDatosSesion(QObject* owner, const QString& nombreComponente);

class TfGENEINIC : public QObject {
    Q_OBJECT
public:
    explicit TfGENEINIC(QObject* parent = nullptr);
    ~TfGENEINIC() override;

    // Kinds "I", "A", "C", "P", "E". Respuesta in: the default answer ("P");
    // out: "SI"/"NO" ("C"), the typed text or "" ("P").
    void MostrarMensaje(const QString& Tipo, const QString& Texto, QString& Respuesta);
    // True when the last "P" message was cancelled or closed.
    bool PeticionCancelada() const { return peticionCancelada_; }

    // The application's handler of exceptions that reached the event loop:
    // classifies the engine's English message and shows it in Spanish.
    Q_INVOKABLE void GestionExcepciones(QObject* Sender, const QString& Mensaje);

    void RegistrarIncidencia(const QString& Area, const QString& Texto,
                             const QVariant& Extra = QVariant());
    // Queues a damaged table for the outside rebuild tool (embedded engine only).
    void RegistrarTablaAReconstruir(const QString& NombreTabla, const QString& Mensaje);

    void MostrarVentanaProgreso(const QString& Modo, const QString& Titulo, const QString& Texto,
                                const QString& Extra = QString());
    TfGENEPROG* fGENEPROG() const { return progreso_; }

    // The session's databases (geneinic_conexion.cpp). Created with the form
    // and registered in TSession under their component names' databases;
    // connected by IniciarSesion. The "ADO" connections are the same objects,
    // so one transaction covers both roads.
    TDatabase* Database = CrearBaseDatosSesion(this, QStringLiteral("Database"));
    TDatabase* DatabaseGeneral = CrearBaseDatosSesion(this, QStringLiteral("DatabaseGeneral"));
    TDatabase* DatabaseAlt = CrearBaseDatosSesion(this, QStringLiteral("DatabaseAlt"));
    // SQLite with ArchivosTemporalesEnBD "NO": the temporary tables' own
    // file in PathArchivosTemporales, named by that path and attached to the
    // company connection. Closed otherwise.
    TDatabase* DatabaseTemporal = CrearBaseDatosSesion(this, QStringLiteral("DatabaseTemporal"));
    TDatabase* ADOConnection() const { return Database; }
    TDatabase* ADOConnectionAlt() const { return DatabaseAlt; }
    // The start sequence (geneinic_inicio.cpp): command line, parameter,
    // alias and settings files, database session and connections. False after
    // a fatal message (the program is then asked to end).
    bool IniciarSesion(const QStringList& argumentos);

private:
    bool peticionCancelada_ = false;
    TfGENEPROG* progreso_ = nullptr;
};

extern TfGENEINIC* fGENEINIC;
// Creates the session form when there is none; returns it.
TfGENEINIC* CrearSesion();

// Classification of an exception's message (pure: no dialog, no session).
struct ClasificacionExcepcion {
    QString Clase;  // "Advertencia", "Error", "IGNORAR", or "BLOB" for the memo-limit case
    QString Texto;  // what is shown
};
ClasificacionExcepcion ClasificarExcepcion(const QString& Mensaje);
// The "TRADUCIR:" marker removed and the engine phrases put into Spanish.
QString TraducirMensajeMotor(const QString& Texto);

// A kind "E" message ends the program: the request is carried out when control
// returns to the event loop; a program entry that has not started its loop yet
// tests this and does not start it.
bool TerminacionSolicitada();
void SolicitarTerminacion();
void AnularTerminacion();  // for tests that check the request

// The settings file as resolved against the program's folder.
QString RutaArchivoConfiguracion();

// The incident log: one line per incident (date, user, area, text) in the
// program's folder.
void CapturarIncidencia(const QString& Area, const QString& Texto, const QString& Extra,
                        QObject* Sender);
QString ArchivoIncidencias();
