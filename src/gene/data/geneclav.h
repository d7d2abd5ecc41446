#pragma once
// Record keys and the record services built on them.
//
// Key string: the text of each key field of a record, in key order, each
// followed by ";" ("7;2;"). Attachment key: the same values joined by "|"
// with nothing after the last ("7|2"); the attachment tables (RESPDOC,
// DOCUTRON, BLOBTAB, GRANTAB, CONTACTO, RELACION) store it beside the owner's
// table name. A date-time field whose name contains "Hora" (any case) holds a
// time of day and is written and read as its time text ("10:30:00").
//
// Readers split a key string at ";" and stop at the first empty part, so the
// trailing ";" is optional. Key values go into SQL by the type of their column
// (ValorSQL); a part that is no value of that type finds nothing.

#include <QString>
#include <QStringList>
#include <QVariant>

class QObject;
class TDataSet;
class TField;
class TModuloDatos;
class TTable;
struct TRowAsRead;

// True for a time-of-day field (date-time type, "Hora" in its name).
bool EsCampoHora(const TField* Campo);
// A field's text as the key routines write it: the time text for a
// time-of-day field, else its text.
QString TextoCampoClave(const TField* Campo);

// A code as typed (or as stored) made a key string: followed by the key
// separator, so that a code that itself ends in ";" is read whole and never as
// another record's.
QString CadenaClave(const QString& Codigo);
// The key string of the current record of a TTable or a TQuery (the table
// after its FROM); "" for other datasets or when the key cannot be read.
void ClaveRegistro(TModuloDatos* ModuloDatos, TDataSet* DataSet, QString& Clave);
// The attachment key of the current record: its first fields, as many as the
// table has key fields, joined by "|".
void ClaveTablaRegistro(TModuloDatos* ModuloDatos, TDataSet* DataSet, QString& Clave);
// The key string of the last record that shares the current record's key
// values but the last one (keys of 2 to 5 fields; others: the table's last
// record); "" when there is none.
void ClaveUltimoRegistro(TModuloDatos* ModuloDatos, TTable* Tabla, QString& Clave);

// Whether a record with that key string exists in the dataset's table (a
// TTable, or a TQuery's table after FROM); the general database for general
// tables. A failing statement is shown and answers false.
bool ExisteClave(TModuloDatos* ModuloDatos, TDataSet* DataSet, const QString& Clave);
bool ExisteClaveTabla(TModuloDatos* ModuloDatos, const QString& NombreTabla, const QString& Clave);

// The texts of the listed fields (";"-separated; empty = every field) of the
// record with that key, as a QVariantList, or a null QVariant when not found
// or on any failure. A last key part "Ant:" + key asks for the record just
// before that one among those sharing its other key values. Keys of 0 to 4
// fields (0: the first record); 5 or more find nothing.
// A text typed into a text key field of a table whose key has several
// fields may not hold ";", the separator of its key string: warned, and true.
bool SeparadorEnClaveCompuesta(TModuloDatos* ModuloDatos, TDataSet* DataSet, const TField* Campo,
                               const QString& Texto);
void BuscarDatosClave(TModuloDatos* ModuloDatos, const QString& NombreTabla, const QString& Clave,
                      QVariant& Datos, const QString& Campos);
// The statement BuscarDatosClave sends to SQL Server for these key fields.
QString SentenciaBuscarDatosClaveSQLServer(const QString& NombreTabla,
                                           const QStringList& CamposClave, const QString& Clave,
                                           const QString& Campos);

// The next code of the table's last key field among the records that share
// the current record's other key values: the maximum plus Incremento, within
// the bounds (-1: none); a text counter counts only its values that are whole
// numbers. 0 + Incremento when there is none or the maximum cannot be read;
// 0, after a warning, when the next code does not fit the counter field.
int SiguienteCodigo(TModuloDatos* ModuloDatos, TTable* Tabla, int Incremento, int LimiteInferior,
                    int LimiteSuperior);
// A new record's counter field takes the next code (increment 1, no
// bounds); with none free it is left as it is for the user to type.
void AsignarSiguienteCodigo(TModuloDatos* ModuloDatos, TTable* Tabla, TField* Campo);
// The statement SiguienteCodigo runs (for tests and diagnosis).
QString SentenciaSiguienteCodigo(TModuloDatos* ModuloDatos, TTable* Tabla, int LimiteInferior,
                                 int LimiteSuperior);

// The current record's key values (date-times as such), a null QVariant for
// no key; LocalizarClave goes back to the record that has them.
void ValoresClaveRegistro(TModuloDatos* ModuloDatos, TTable* Tabla, QVariant& Valores);
bool LocalizarClave(TModuloDatos* ModuloDatos, TTable* Tabla, const QVariant& Valores);
// Rereads a browsing dataset (on SQL Server "Apertura/Cierre" reopens it
// keeping the record).
void RefrescarDataSet(TModuloDatos* ModuloDatos, TDataSet* DataSet, const QString& Opciones);

// Into the record being edited: every non-key field (keys of 1 to 6 fields),
// or one field (keys of 1 to 5 fields), of the record with that key string.
// Nothing changes when the model is not found; a value a field refuses is
// skipped.
void CopiarDatosRegistro(TModuloDatos* ModuloDatos, TTable* Tabla, const QString& Clave);
void CopiarCampoRegistro(TModuloDatos* ModuloDatos, TTable* Tabla, const QString& Campo,
                         const QString& Clave);

// The record clipboard: one text for the session, positional ("|" after
// every field's text). ValoresRegistro copies the current record into it;
// TextoRegistro copies Name=Value pairs of the non-empty fields the user may
// see (options "FormatoINI": one per line, line breaks inside a value as "·";
// "SoloCamposTabla": no calculated fields); AsignarValoresRegistro pastes it
// field by field ("SinIndices": key fields untouched), skipping what a field
// refuses.
void ValoresRegistro(TModuloDatos* ModuloDatos, TDataSet* DataSet, QString& Texto);
void TextoRegistro(TModuloDatos* ModuloDatos, TDataSet* DataSet, const QString& Opciones,
                   QString& Texto);
void AsignarValoresRegistro(TModuloDatos* ModuloDatos, TDataSet* DataSet, const QString& Opciones);

// The distinct values of the first listed field of a company table, one per
// line each followed by CR LF, then every extra value (";"-separated) that
// is not among them.
void ValoresDistintos(TModuloDatos* ModuloDatos, const QString& NombreTabla, const QString& Campos,
                      QString& Texto, const QString& ValoresExtra);

bool DataSetVacio(TModuloDatos* ModuloDatos, TDataSet* DataSet);

// Whether the field's edit text is one of the values the control offers for
// it (the pick list of a grid column bound to the field, the items of a data
// combo box); the warning names the value and the column or field. Any other
// control, no control, or a grid on another field: true.
bool ValidarValorLista(TModuloDatos* ModuloDatos, QObject* Control, TField* Campo);
// What ValidarValorLista asks of a control; the data-aware controls install
// the answer. Unset, every control counts as "any other".
struct TListaValoresControl {
    enum Clase { Otro, Rejilla, Combo };
    Clase clase = Otro;
    QString texto;          // the edit text of the field
    QStringList elementos;  // the pick list or the items
    QString tituloColumna;  // grids: the column's title
};
using TGanchoListaValoresControl = bool (*)(QObject* Control, TField* Campo,
                                            TListaValoresControl& Datos);
extern TGanchoListaValoresControl GanchoListaValoresControl;

// Deletes every record the dataset shows (within its filter or range) after
// two questions; stops at the first record that cannot be deleted (false).
bool EliminarRegistrosActivos(TModuloDatos* ModuloDatos, TDataSet* DataSet);

// The programmable listing of a table (a query lists its whole table) or of
// any open dataset (copied into a temporary table first).
void ListarTabla(TModuloDatos* ModuloDatos, TDataSet* DataSet);
void ListarDataSet(TModuloDatos* ModuloDatos, TDataSet* DataSet, const QString& Prefijo,
                   const QString& Titulo);
// The programmable-listing designer, installed by its unit. Unset, listings
// do nothing. FuenteFija: the source may not be switched to a physical table.
using TGanchoListadoProgramable = void (*)(TDataSet* DataSet, const QString& Prefijo,
                                           const QString& Titulo, const QString& Opciones,
                                           bool FuenteFija);
extern TGanchoListadoProgramable GanchoListadoProgramable;

// The electronic documents of a record (table name, attachment key, and the
// record as the calling window read it: documents go only under it).
void DocumentacionElectronica(TModuloDatos* ModuloDatos, const QString& NombreTabla,
                              const QString& Clave, const TRowAsRead& Registro);
bool TieneDocumentacionElectronica(TModuloDatos* ModuloDatos, const QString& NombreTabla,
                                   const QString& Clave);
// The electronic-documentation window, installed by its unit. Unset, nothing opens.
using TGanchoDocumentacionElectronica = void (*)(const QString& NombreTabla, const QString& Clave,
                                                 const TRowAsRead& Registro);
extern TGanchoDocumentacionElectronica GanchoDocumentacionElectronica;
