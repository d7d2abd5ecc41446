#pragma once
// Shared by the payroll-side data modules: their tables are built the same way.

#include <QLatin1String>
#include <QObject>

#include "db/table.h"

// A table component of a module: its name and its logical table.
inline TTable* TablaModulo(QObject* owner, const char* nombre, const char* tabla) {
    auto* t = new TTable(owner);
    t->setObjectName(QLatin1String(nombre));
    t->setTableName(QLatin1String(tabla));
    return t;
}

// Opens a table of the company database only when it exists; never creates
// it, never shows a message. True when the table is open.
bool AbrirTablaExistente(TTable* Tabla);
