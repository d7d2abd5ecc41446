#pragma once
// Work tables of the record-service tests: created on the company database
// (or another one) with a primary key, and opened as a form opens them.

#include <QStringList>
#include <memory>

#include "db/database.h"
#include "db/fieldtypes.h"
#include "db/table.h"
#include "gene/data/genemodu_sql.h"

// A statement on the company database (or the selector's); its result text.
inline QString Sql(const QString& sentencia, const QString& selector = QStringLiteral("Database")) {
    QString r;
    EjecutarSQL(nullptr, sentencia, selector, QStringLiteral("Silenciosa"), r);
    return r;
}

inline void CrearTablaPrueba(const QString& nombre, const TFieldDefs& campos,
                             const QStringList& clave,
                             const QString& selector = QStringLiteral("Database")) {
    TDatabase* db = BaseDatosSelector(selector);
    db->DropTableIfExists(nombre);
    db->CreateTable(nombre, campos, clave, nombre + QStringLiteral("_Clave1"));
}

inline std::unique_ptr<TTable> AbrirTablaPrueba(
    const QString& nombre, const QString& selector = QStringLiteral("Database")) {
    auto t = std::make_unique<TTable>();
    t->setObjectName(QStringLiteral("Table1"));
    t->setDatabaseName(NombreBaseDatosSelector(selector));
    t->setTableName(nombre);
    t->Open();
    return t;
}

// LINEAS: an employee's lines, keyed by CodigoOperario and Linea.
inline void CrearLineas(const QString& selector = QStringLiteral("Database")) {
    CrearTablaPrueba(QStringLiteral("LINEAS"),
                     {{QStringLiteral("CodigoOperario"), ftSmallint, 0, true},
                      {QStringLiteral("Linea"), ftSmallint, 0, true},
                      {QStringLiteral("Texto"), ftString, 40, false},
                      {QStringLiteral("Importe"), ftFloat, 0, false},
                      {QStringLiteral("Notas"), ftMemo, 0, false}},
                     {QStringLiteral("CodigoOperario"), QStringLiteral("Linea")}, selector);
}
