#pragma once
// A table's structure read once from its definition lines, for the steps
// that create the table (field and index definitions, the SQL statements of
// each engine, the identifier spellings and column comments).
//
// A column line is "Tabla/C/n/Campo/ftTipo/size/*" (a "*" in the last place
// makes the column required), an index line "Tabla/I/n/Nombre/CampoA;CampoB/
// options" (in the options a "-" makes the index descending and the word
// "Unico" makes it unique; the name "<Primary>" marks the table's key). The
// text before the first "/" is the table's name, empty in a work-table
// definition. Other lines are no part of the structure.

#include <QList>
#include <QString>
#include <QStringList>

#include "db/fieldtypes.h"

struct TColumnaEstructura {
    QString Linea;                // the line as written, for messages
    QString Nombre;               // as written
    TFieldType Tipo = ftUnknown;  // ftUnknown when the type name is none
    QString Tamano;               // as written, trimmed ("20", "MAX", "")
    int Longitud = 0;             // the size as a number; 0 when it is none
    bool Requerido = false;
    // A column a table can be made with: a name and a known type.
    bool Valida() const { return !Nombre.trimmed().isEmpty() && Tipo != ftUnknown; }
};

struct TIndiceEstructura {
    QString Nombre;  // "<Primary>" for the table's key
    QString Campos;  // "CampoA;CampoB" as written
    bool Descendente = false;
    bool Unico = false;
    bool Primario() const { return Nombre == QLatin1String("<Primary>"); }
};

struct TEstructuraTabla {
    QList<TColumnaEstructura> Columnas;
    QList<TIndiceEstructura> Indices;
    // The columns written before the first index line: the user fields
    // follow them.
    qsizetype ColumnasIniciales = 0;

    bool Vacia() const { return Columnas.isEmpty() && Indices.isEmpty(); }
    // The fields of the last "<Primary>" line, empty pieces left out; none
    // without such a line.
    QStringList CamposClave() const;
    // The columns of Otra (user fields) placed after ColumnasIniciales.
    void AnadirCampos(const TEstructuraTabla& Otra);
};

// Every column and index line of Lineas, whatever table it names (a
// work-table definition).
TEstructuraTabla LeerEstructuraTabla(const QStringList& Lineas);
// The lines of the first run of lines of NombreTabla in a dictionary (the
// name compared without regard to case; a line without "/", an empty one or
// one of another table ends the run).
TEstructuraTabla LeerEstructuraDiccionario(const QStringList& Lineas, const QString& NombreTabla);
