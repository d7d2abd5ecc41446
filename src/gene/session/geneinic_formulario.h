#pragma once
// The common preparation of every form (or data module) and the common
// dataset handlers it installs: GrabacionRegistro after every post,
// BorradoRegistro before every delete, the pending-edits check on closing.
// AbrirTablasFormulario (geneinic_tablas.h) runs PrepararFormulario before it
// opens an owner's tables and TraducirFormulario after, through its hook
// points, once InstalarServiciosFormulario has run.
//
// A handler the owner assigned itself is never replaced: a form that wants
// the common behaviour as well calls GrabacionRegistro or BorradoRegistro
// from its own handler.

#include <QString>

class QObject;
class TDataSet;
class TfGENEINIC;

// Sets the hook points of the table opening, the currency display and the
// list-value check to the routines of the form framework. Idempotent; the
// program entry and the tests run it before the first form is created.
void InstalarServiciosFormulario();

// Table names per engine, display formats, administrator hints, read-only
// tables at "Solo Lectura", the common handlers, hidden fields, currency
// handlers, the "VisualizacionPrevia" check box, the electronic-documents
// follower, translated list items, search on double-click, the look, hidden
// controls and the translation.
void PrepararFormulario(TfGENEINIC* f, QObject* Formulario);

// Re-reads every browsing dataset of the owner; datasets being edited are
// left alone, and so is a whole master form with detail lines being typed.
// Modo "Apertura/Cierre" reopens them on SQL Server.
void RefrescarDatos(TfGENEINIC* f, QObject* Formulario, const QString& Modo);
// RefrescarDatos with an empty mode for every form, from the last to the first.
void RefrescarFormulariosAbiertos(TfGENEINIC* f);

// The common after-post handler: activity stamp, the record's user fields
// when the company asks for them, the documentary-responsibility dialog for
// a record that has none yet.
void GrabacionRegistro(TfGENEINIC* f, TDataSet* DataSet);
// The common before-delete handler (run from a dataset's BeforeDelete):
// activity stamp and, for a company table, the record's attachments deleted
// in the same transaction as the record, which the dataset's delete then
// confirms or undoes with them (a failure of the rest of the before-delete
// undoes them too). A false answer of the attachment delete, or a transaction
// that cannot begin, cancels the record's delete.
void BorradoRegistro(TfGENEINIC* f, TDataSet* DataSet);

// The windows that are listing, printing or waiting in a loop of their own
// (TForm::Busy); when there is one, a warning names them. A company change
// or the exit stops there.
bool HayFormulariosOcupados(TfGENEINIC* f);

// Every TTable of the owner read-only (only once the data module is ready).
void FormularioSoloLectura(TfGENEINIC* f, QObject* Formulario);
