#pragma once
// Services of the session form for whatever form is open: the activity
// stamps and the inactivity timer that ends an abandoned session, the usage
// log of released windows, the common close-query check for unconfirmed
// edits, the diagnosis at start, the calculator, the documentary
// responsibility and electronic documentation of the current record, and the
// start of the internal-messaging program. The session form comes first.
//
// The windows these services open (diagnosis, calculator, responsibility,
// documentation) belong to their own units, which register their classes;
// until one is registered the service that opens it does nothing.

#include <QString>
#include <QStringList>

#include "db/table.h"

class QObject;
class TDataSet;
class TTable;
class TfGENEINIC;

// Mouse-move and key events that form preparation installs: both only stamp
// UltimaActividad with the current time.
void RegistrarActividadRaton(TfGENEINIC* f, QObject* Sender, int Shift, int X, int Y);
void RegistrarActividadTeclado(TfGENEINIC* f, QObject* Sender, int& Key, int Shift);

// The inactivity timer's tick: with TiempoForzarTerminacionAplicacion minutes
// (0 when not a number) passed since the last activity, the timer stops and
// the program is asked to end, without a question.
void TimerAplicacionTimer(TfGENEINIC* f, QObject* Sender);

// Writes the usage-log line "Free" for the main window's active MDI child when
// a form is released (the application's hook, installed by the main window).
void RegistrarLiberacionFormulario(TfGENEINIC* f, QObject* Liberado);
// Installs that hook on the application: every TForm's deferred release.
void InstalarRegistroLiberacion(TfGENEINIC* f);

// The common close-query handler: the datasets of the form in edit, insert or
// set-key state are named in the question "Hay registros de ... cuya grabación
// no ha sido confirmada. ¿Desea cancelar la grabación?"; "SI" cancels them,
// otherwise each is posted when its first field has a text, else cancelled.
// Closing is never refused; a failed post reaches the caller.
void ComprobarEdicionPendiente(TfGENEINIC* f, QObject* Sender, bool& CanClose);

// The installation diagnosis and the calculator belong to their own units,
// which set these hooks; unset, the diagnosis answers 0 and the calculator
// gives the value back unchanged.
using TDiagnosticoInstalacion = int (*)(TfGENEINIC* f, const QString& Opciones);
extern TDiagnosticoInstalacion GanchoDiagnosticoInstalacion;
// Shows the calculator modally with Display in its display; its result.
using TCalculadoraModal = double (*)(const QString& Display);
extern TCalculadoraModal GanchoCalculadora;

int DiagnosticoArranque(TfGENEINIC* f, const QString& Opciones);
// The calculator opened with the value as "0.##"; its result.
double Calculadora(TfGENEINIC* f, double Valor);

// The documentary-responsibility dialog of the table's current record, when
// ResponsabilidadDocumentalActivada and the table is a key of CONFRESP. The
// dialog (class "TfGENERESP") reads TablaResponsabilidad and
// ClaveResponsabilidad when created and tells through its property "HayDatos"
// whether it has something to show.
extern QString TablaResponsabilidad;
extern QString ClaveResponsabilidad;
void ResponsabilidadDocumentalRegistro(TfGENEINIC* f, TTable* Tabla);
// The record key the dialog gets: the texts of the table's key fields, each
// followed by "|", the last "|" removed.
QString ClaveResponsabilidadRegistro(TTable* Tabla);

// Opens (or brings forward) the electronic-documentation window "fGENEDOCE"
// for a record when the user may use "Documentación Electrónica"; the window
// gets the properties "NombreTabla", "ClaveTabla" and "RegistroLeido" (the
// record as the calling window read it; empty: none is checked) and its
// published "CargarDocumentos" runs.
void AbrirDocumentacionElectronica(TfGENEINIC* f, const QString& NombreTabla, const QString& Clave,
                                   const TRowAsRead& Registro);
// After-scroll event of forms that offer electronic documentation: while
// "fGENEDOCE" is open, the owner form's "DocumentacionElectronica1Click" runs
// with its component "DocumentacionElectronica1".
void SincronizarDocumentacionElectronica(TfGENEINIC* f, TDataSet* DataSet);
// After documents of a record of that table were added or removed: every
// open form offering electronic documentation whose "Table1" is on that
// table runs its after-scroll again, so that the mark of its documents
// button tells the truth, while the documents window stays where it is.
void DocumentacionElectronicaModificada(TfGENEINIC* f, const QString& NombreTabla);
// Before a document is added under a record of that table: an open form
// typing a new record of it runs its published "ReservarClaveDocumentacion"
// with the key, so that a new record's key is held as for its lines. False
// when one refused it (it has said why). Retenida, when given, tells whether
// such an entry now holds the key (its published "RetieneClaveDocumentacion").
bool ReservarClaveDocumentacion(TfGENEINIC* f, const QString& NombreTabla, const QString& Clave,
                                bool* Retenida = nullptr);

// Starts the internal-messaging program BRUVELI.EXE when
// MensajeriaInternaActivada: arguments parameter file, user, the path of a
// file (mode 0600) holding the password (or "Indefinida" when the user has
// none) and the mode. The password never goes on the command line.
void IniciarMensajeria(TfGENEINIC* f, const QString& Modo);
// The argument line IniciarMensajeria uses (and the password file it wrote,
// "" when the user has no password).
QStringList ArgumentosMensajeria(const QString& Modo, QString& ArchivoClave);
