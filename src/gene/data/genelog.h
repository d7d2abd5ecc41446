#pragma once
// Small services of the data module: the usage log, record objects (a photo
// or file kept with a record in BLOBTAB), predefined texts and templates of
// TEXTO, the mail settings of a user, and the attendance code of an employee.

#include <QString>

#include "db/table.h"

class QObject;
class QVariant;
class TDataSet;
class TModuloDatos;
class TfGENEINIC;

// Appends "date time, action, form name, caption, host/address, " to the
// log file named after the login name in the program's folder, keeping the
// last 101 lines; an action holding "Start" ("Start,Show") empties the file
// and writes its second item. Only with MonitorizarActividadUsuario; never
// reports a failure.
void RegistrarUso(TModuloDatos* ModuloDatos, QObject* Formulario, const QString& Accion);

// The record's photo ("Foto", type "Imagen") replaced by a JPEG, BMP or PNG
// file and shown in the image control (its "Picture" property); an empty
// file name removes it. A file that cannot be read or is no picture leaves
// the stored photo as it was (after a warning) and answers false, as does
// a record Propietario (the record as the window read it) that another user
// changed or deleted since: nothing is stored under its key then.
bool GrabarObjetoBLOB(TModuloDatos* ModuloDatos, const QString& Tabla, const QString& Clave,
                      QObject* Imagen, const QString& Archivo,
                      const TRowAsRead& Propietario = TRowAsRead());
// The object's TipoObjeto; "" when there is none.
QString TipoObjetoBLOB(TModuloDatos* ModuloDatos, const QString& Tabla, const QString& Clave,
                       const QString& IdObjeto, QString& Tipo);
// Writes the object into a new temporary file named for the data module and
// apart from every other, ending in "." + its lower-case type; "" when there
// is no object. The caller removes it.
QString ExtraerObjetoBLOB(TModuloDatos* ModuloDatos, const QString& Tabla, const QString& Clave,
                          const QString& IdObjeto, QString& Archivo);
// Shows the object in the image control (empty when it is none or no picture).
void MostrarImagenBLOB(TModuloDatos* ModuloDatos, const QString& Tabla, const QString& Clave,
                       const QString& IdObjeto, QObject* Imagen);

// The text of TEXTO with that code, a template ("Plantilla") filled in by the
// user; an empty or unknown code opens the search window on TEXTO. "" when
// nothing is chosen or the table cannot be read.
QString TextoPredefinido(TModuloDatos* ModuloDatos, const QString& Codigo, QString& Texto);
// A template's fields (one a line, the label before ":") asked for in the
// data-entry viewer; the lines "label: value" of what was typed.
QString RellenarPlantilla(TModuloDatos* ModuloDatos, const QString& Codigo, QString& Texto);

// The seven SMTP lines ("ClienteSMTP=..." to "CuentaFromSMTP=...", or their
// "(Masivo)" keys when Opciones holds "Masivo"): the user's own settings when
// any is set, else those of the company's CfgCorreoElectronico.
void ConfiguracionSMTP(TModuloDatos* ModuloDatos, const QString& Usuario, const QString& Opciones,
                       QString& Texto);

// PERSONAL.CodigoOperarioPresencia of the employee when it is a non-zero
// number, else the code itself.
int CodigoOperarioPresencia(TModuloDatos* ModuloDatos, int CodigoOperario);

// The dialogs these services open belong to the generic dialogs; until they
// are set, the search chooses nothing and the data-entry viewer returns "".
using TBuscarConFiltroYValor = void (*)(const QString& NombreTabla, int Indice,
                                        const QString& Filtro, QVariant& Clave,
                                        const QString& ValorPorDefecto);
extern TBuscarConFiltroYValor GanchoBuscarConFiltroYValor;
using TVisorAgregarDatos = void (*)(TfGENEINIC* f, const QString& Opciones, TDataSet* Tabla,
                                    QString& Resultado);
extern TVisorAgregarDatos GanchoVisorAgregarDatos;
