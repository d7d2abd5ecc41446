#pragma once
// The benchmarks' 100,000-row table: an integer key, two strings, a date and
// two floats, written in one transaction.

#include <QDate>
#include <QSqlQuery>

#include "db/database.h"
#include "db/table.h"

namespace bench {

constexpr int kRows100k = 100000;

inline QString isoDate(const QDate& d) {
    return d.toString(Qt::ISODate) + QStringLiteral("T00:00:00");
}

// Creates the table (Codigo, Nombre, Ciudad, Fecha, Importe, Horas), empty.
inline void createRowsTable(TDatabase* db, const QString& name) {
    TTable t;
    t.setDatabaseName(db->DatabaseName());
    t.setTableName(name);
    t.FieldDefs().Add(QStringLiteral("Codigo"), ftInteger, 0, true);
    t.FieldDefs().Add(QStringLiteral("Nombre"), ftString, 40);
    t.FieldDefs().Add(QStringLiteral("Ciudad"), ftString, 30);
    t.FieldDefs().Add(QStringLiteral("Fecha"), ftDateTime, 0);
    t.FieldDefs().Add(QStringLiteral("Importe"), ftFloat, 0);
    t.FieldDefs().Add(QStringLiteral("Horas"), ftFloat, 0);
    t.IndexDefs().Add(QString(), QStringLiteral("Codigo"), ixPrimary);
    t.CreateTable();
}

// Creates the table and fills it.
inline void fillRows100k(TDatabase* db, const QString& name) {
    createRowsTable(db, name);
    static const char* const cities[] = {"MADRID", "BILBAO", "SEVILLA", "VALENCIA", "ZARAGOZA"};
    db->StartTransaction();
    QSqlQuery& insert = db->Prepared(QStringLiteral("INSERT INTO ") + name +
                                     QStringLiteral(" (Codigo, Nombre, Ciudad, Fecha, Importe, "
                                                    "Horas) VALUES (?, ?, ?, ?, ?, ?)"));
    for (int i = 1; i <= kRows100k; ++i) {
        insert.bindValue(0, i);
        insert.bindValue(1, QStringLiteral("EMPLEADO %1 APELLIDO").arg(i, 6, 10, QChar('0')));
        insert.bindValue(2, QLatin1String(cities[i % 5]));
        insert.bindValue(3, isoDate(QDate(2020, 1, 1).addDays(i % 1500)));
        insert.bindValue(4, (i % 1000) * 12.25);
        insert.bindValue(5, double(i % 40));
        db->Run(insert);
    }
    db->Commit();
}

}  // namespace bench
