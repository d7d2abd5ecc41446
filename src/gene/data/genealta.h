#pragma once
// A new record of a master with detail lines (an employee, a candidate): its
// lines and attachments are written under the new key before the record
// itself. So that they never reach another record:
// - the key is held for this session while the record is typed, and another
//   session that enters the same key is refused as a locked record. Holding
//   it needs no open transaction and ends with the session, also when the
//   process dies (PostgreSQL: an advisory lock of the connection; SQLite: a
//   lock file beside the database, stale once its process is gone). On
//   PostgreSQL a row of RESERCOD, refreshed while the program runs, tells a
//   lock lost with the connection (the program lives) from a program that
//   ended; a held code is checked again before anything is written under it;
// - every row the entry stores under the held code is recorded in RESERFIL
//   (the master, the code, this run, the row's table and every value it was
//   stored with), in the transaction that stores the row, and changed or
//   dropped with it; the confirm's transaction drops the records;
// - an entry whose hold is dead gives up exactly its recorded rows, each
//   removed only while it still stands as recorded: rows under a code with
//   no master and no record (restored from a copy, typed from outside, left
//   by an earlier version) are nobody's remains and stay;
// - cancelling the new record removes its recorded rows in one transaction;
//   a cancel that cannot complete leaves the entry as it was;
// - the confirm checks, inside its transaction, that every line the window
//   shows as stored under the key still is: one removed meanwhile (by
//   another program that took the entry for an ended one) stops the confirm
//   and is stored again with the record at the next one;
// - when another program takes the held code meanwhile, the rows the entry
//   recorded under it (never the other record's, whatever their keys) go
//   with the code the clerk gives, in the confirm's transaction; one no
//   longer there is told lost by name.

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class QLockFile;
class TDatabase;
class TDataSet;

// A record lock a reconnection could not take back ("TABLA (clave)") that is
// a new record's code hold: its entry tells the clerk at its next write.
bool EsReservaDeAlta(const QString& Bloqueo);

// The table of the rows entries stored under their held codes (RESERFIL)
// and, on PostgreSQL, that of the hold rows (RESERCOD), made with the
// company's other tables when the company is opened; a login that may not
// create tables finds them there. Warns when one can be neither found nor
// made.
void CrearTablaReservas(TDatabase* Base);

// For the suites, whose server has just started: the server's start, by
// which a hold's age is counted, is taken as that many seconds earlier
// (0, the default, as it was).
void AntedatarInicioServidor(qint64 Segundos);

// A table whose rows hang on the master's key: the field holding the key and,
// for a table shared with other masters, the condition that picks this
// master's rows ("NombreTabla='PERSONAL'"), or empty.
struct TablaLineasAlta {
    QString Tabla;
    QString CampoClave;
    QString Condicion;
};

class TAltaMaestro {
public:
    // TablaMaestra and CampoClave: the master's table and key field;
    // NombreAdjuntos: the table name its attachments are kept under.
    TAltaMaestro(const QString& TablaMaestra, const QString& CampoClave,
                 const QString& NombreAdjuntos, const QList<TablaLineasAlta>& Lineas);
    // Releases the key; removes nothing.
    ~TAltaMaestro();
    TAltaMaestro(const TAltaMaestro&) = delete;
    TAltaMaestro& operator=(const TAltaMaestro&) = delete;

    // Holds Clave for the new record and gives up the rows that entries
    // whose hold is dead recorded under it. A key held already answers true
    // at once; another one held before is released first. False after a
    // warning when the master has the key ("¡ Ya existe el registro !"),
    // another session holds it, or the rows could not be given up.
    bool Reservar(const QVariant& Clave);
    // Removes the rows the entry recorded, under the held key and under a
    // code another program took, in one transaction, then releases the key.
    // False after a warning when it could not complete: the entry stays as
    // it was, held and cancellable.
    bool Cancelar();
    // The record was posted: the key is released and its rows stay.
    void Liberar();
    // Liberar once the master has the record (its post committed); a post
    // taken back with its transaction keeps the key and its rows held.
    void LiberarSiGrabado();

    // The last Reservar was refused, without a message, because an entry
    // of a program that may still live holds the code (its hold was lost
    // with its connection, not given up): its rows stay, the caller
    // proposes another code.
    bool EnUso() const { return enUso_; }
    // The held code was taken by another program meanwhile (told, and given
    // up): what is being typed for the record goes with the next code.
    bool Tomada() const { return tomada_; }
    // The first code after Clave and after the master's highest that no
    // live entry holds (its hold probed as Reservar takes it, on either
    // engine, and let go), up to Maximo; null when there is none.
    QVariant SiguienteClaveLibre(const QVariant& Clave, qlonglong Maximo);

    bool Reservada() const { return reservada_; }
    QVariant Clave() const { return clave_; }
    // The caller wrote a row under the held key.
    void FilaGrabada() { conFilas_ = true; }
    bool ConFilas() const { return conFilas_; }

    // Before a line of the new record is posted (BeforePost): whether it is
    // a new line or a stored one changed, and the key it is stored under.
    void LineaAGrabar(TDataSet* Linea);
    // Before a stored line is edited (BeforeEdit): the key it stands under.
    void LineaEditada(TDataSet* Linea);
    // The line just posted under the held key, as the window now shows it
    // stored (its current record; Descripcion names it for the clerk): a
    // changed line under its new key, a new one beside those it may share a
    // key with (one told lost is kept to be stored again).
    void LineaGrabada(TDataSet* Linea, const QString& Descripcion);
    // The line's current record no longer stands under the key by the
    // window's doing: deleted, or a post that was taken back (a new line
    // given up whose row is not stored).
    void LineaQuitada(TDataSet* Linea);
    // Runs Regla, a removal of rows of Lineas' table by the window's own
    // rules (a training line's group, a candidate's former position's):
    // the lines it removed are no longer shown as stored, never told lost.
    void QuitarConRegla(TDataSet* Lineas, const std::function<void()>& Regla);
    // Whether the window shows lines as stored under the key, or has rows
    // to bring from a code taken by another program.
    bool ConLineas() const {
        return !lineasGrabadas_.isEmpty() || !traslados_.isEmpty() || !adjuntos_.isEmpty();
    }
    // Inside the confirm's transaction: first, what the entry stored under a
    // code another program took goes to the held one; then the descriptions
    // of the lines shown as stored that are not (and of the rows to be
    // brought that are gone), kept to be stored again, but those already
    // told. When there is none the records of the entry's rows go. When none is new, the ones kept
    // are stored again through their own datasets (which must be browsing), under a number of their
    // own when a new line took theirs. Raises what a store raises.
    QStringList ComprobarLineas();
    // A photo or document is about to be stored under the held key.
    void AdjuntoGrabado() {
        conFilas_ = true;
        adjuntoNuevo_ = true;
    }
    // Once it was stored: what stands under the key while it is still held
    // is the entry's own.
    void AnotarAdjuntos();

    // The rows recorded by every entry whose hold is dead (a crash, a power
    // loss), each removed while it still stands as recorded, in one
    // transaction; true when nothing failed.
    bool EliminarRestosAbandonados();

private:
    bool Bloquear(const QString& texto);
    // The held code is still this entry's: the master has no row with it,
    // and its lock (taken again after a reconnection) and hold are its own.
    bool ReservaVigente();
    void Desbloquear();
    // Holds a key as an entry does (a lock file on SQLite, an advisory lock
    // on PostgreSQL). False when it cannot be held; ocupada tells that a
    // live entry holds it.
    bool TomarBloqueo(const QString& texto, std::unique_ptr<QLockFile>& archivo, QString& palabra,
                      bool& ocupada) const;
    void SoltarBloqueo(const QString& texto, std::unique_ptr<QLockFile>& archivo,
                       QString& palabra) const;
    QString IdentidadClave(const QString& texto) const;

    QString tablaMaestra_;
    QString campoClave_;
    QString nombreAdjuntos_;
    QList<TablaLineasAlta> lineas_;
    QVariant clave_;
    struct LineaGrabadaAlta {
        QPointer<TDataSet> lineas;
        QString clave;  // its key string
        QString descripcion;
        QList<std::pair<QString, QVariant>> valores;  // every stored field
        bool perdida = false;                         // told as lost already
        bool ausente = false;                         // known gone: kept to be stored again
        bool restaurar = false;                       // to be stored again by this confirm
        QString tabla;                                // its table
        QString fila;                                 // its record: the row as stored
    };
    // The entry of Linea's current record (under Clave when given) that is
    // not known gone, or -1.
    qsizetype LineaDe(TDataSet* Linea, QString& clave) const;
    qsizetype LineaConClave(TDataSet* Linea, const QString& clave) const;
    QList<LineaGrabadaAlta> lineasGrabadas_;
    // Per line dataset, while its post runs: the key a stored line stood
    // under (empty for a new line).
    QHash<TDataSet*, QString> editadas_;
    QHash<TDataSet*, QString> aGrabar_;
    qsizetype restaurando_ = -1;  // the entry being stored again
    // A photo or document the entry stored (its recorded row).
    struct AdjuntoAlta {
        QString tabla;
        QString identidad;  // its name (IdObjeto, Nombre)
        QString fila;
        QString descripcion;
        bool perdido = false;  // told lost: stored again from its record
        // Which attachment it is, whatever it holds now.
        QString marca() const { return tabla + QLatin1Char('|') + identidad; }
        bool mismo(const AdjuntoAlta& otro) const {
            return tabla == otro.tabla && identidad == otro.identidad;
        }
    };
    QList<AdjuntoAlta> adjuntos_;
    // The attachments under the key when it was taken: not the entry's.
    QStringList previos_;
    bool adjuntoNuevo_ = false;  // one stored since the last check
    // What the entry stored under a code another program took, to go with
    // the code the clerk gives.
    struct Traslado {
        QVariant clave;
        QList<LineaGrabadaAlta> lineas;
        QList<AdjuntoAlta> adjuntos;
    };
    QList<Traslado> traslados_;
    // The attachments under the held key as they now stand.
    QList<AdjuntoAlta> AdjuntosBajoClave() const;
    // The entry's attachments: those recorded, and any stored since the last
    // check (as they now stand).
    QList<AdjuntoAlta> AdjuntosPropios() const;
    // The rows of traslado_ moved under the held key (Mover) or removed;
    // the descriptions of those no longer there, not told before.
    QStringList Trasladar(bool Mover);
    // A row stored under the held key, recorded as the entry's (Anterior:
    // the record it replaces).
    void Anotar(const QString& Tabla, const QString& Fila, const QString& Anterior = QString());
    void Desanotar(const QVariant& Codigo, const QString& Tabla, const QString& Fila);
    // The records of this entry's rows under its codes.
    void DesanotarTodo();
    // Inside the caller's transaction, the caller holding the code: the rows
    // entries whose hold is dead recorded under it are given up (ConFilas),
    // each only while it stands as recorded, and their records go.
    void AbandonarRegistros(const QString& Codigo, bool ConFilas);
    // Whether a record names a row of this master under the code.
    bool FilaDeLaClave(const QString& Tabla, const QString& Fila, const QString& Codigo) const;
    // Releases the key, keeping what is to be brought from a taken code.
    void Soltar();
    bool reservada_ = false;
    bool conFilas_ = false;
    bool tomada_ = false;
    mutable bool enUso_ = false;
    QString bloqueo_;  // the PostgreSQL lock's table word
    std::unique_ptr<QLockFile> archivo_;
};
