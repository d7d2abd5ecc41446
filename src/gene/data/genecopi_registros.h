#pragma once
// Bulk record operations: a record and its detail lines copied under a new
// key, the attachments of a record deleted with it, every record of one table
// copied into another, fields copied between datasets by name, and a
// Name=Value snapshot of a record.

#include <QList>
#include <QString>
#include <QVariant>

class TDataSet;
class TField;
class TModuloDatos;
class TTable;

// Writes a copy of the table's current record, and of every line its detail
// tables show, under a new key: NuevaClave holds the key values joined by ";"
// (empty: each is asked, preset with the next free code). The old record and
// its lines stay. All or nothing (in the caller's transaction when one runs).
// Resultado: "" done, "Cancelada" (a value refused or not given, nothing
// written), "Error: " + the reason (nothing written). A detail table that
// cannot be opened is warned about and left out.
void CambiarCodigo(TModuloDatos* ModuloDatos, TTable* Tabla, const QList<TTable*>& Detalles,
                   const QString& NuevaClave, QString& Resultado);

// Deletes what RESPDOC, DOCUTRON, BLOBTAB, GRANTAB, CONTACTO and RELACION
// attach to the dataset's current record (by table name and attachment key).
// Each failure is warned about and the other tables are still tried; then the
// deletes are undone together, and the answer is false so that the caller
// undoes the record's own delete in the same transaction.
bool EliminarRegistrosAsociados(TModuloDatos* ModuloDatos, TDataSet* Tabla);
// The same for the record of a table (name without owner) and attachment key.
bool EliminarRegistrosAsociadosClave(TModuloDatos* ModuloDatos, const QString& NombreTabla,
                                     const QString& Clave);

// Copies every record of Origen into Destino. Modo holds words: "Agregar"
// inserts (a record whose key exists is skipped), "Sustituir" overwrites the
// record of the same key, "Copiar" empties Destino and fills it as one unit.
// No message is shown. False only when "Copiar" failed, which leaves Destino
// as it was.
bool CopiarRegistros(TModuloDatos* ModuloDatos, TTable* Origen, TTable* Destino,
                     const QString& Modo);

// The listed fields (";"-separated; empty = every field of Origen) into the
// fields of the same name of Destino (in edit or insert); a field Destino
// lacks or a value it refuses is skipped.
void CopiarCampos(TModuloDatos* ModuloDatos, TDataSet* Origen, TDataSet* Destino,
                  const QString& Campos);

// The same copy with the fields paired once, for a run that copies record
// after record between the same two datasets: binary contents and times of
// day as they are, whole numbers and local date-times to the second straight
// (their text would give back the same value), everything else through its
// text.
class TCopiaCampos {
public:
    TCopiaCampos(TDataSet* Origen, TDataSet* Destino, const QString& Campos = QString());
    void Copiar() const;

    enum Modo { Texto, Valor, Entero, FechaHora };
    static Modo ModoDe(TField* origen, TField* destino);
    static void Copiar(TField* origen, TField* destino, Modo modo);

private:
    struct Par {
        TField* origen;
        TField* destino;
        Modo modo;
    };
    QList<Par> pares_;
};

// The current record as a QVariantList of "Name=text" (null without fields),
// and the text of one field in it (name in any case; "" when absent).
void ListaValoresRegistro(TModuloDatos* ModuloDatos, TDataSet* DataSet, QVariant& Valores);
void BuscarValorLista(TModuloDatos* ModuloDatos, const QString& Campo, const QVariant& Lista,
                      QString& Valor);
