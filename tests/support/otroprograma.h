#pragma once
// Another program on a company database of a test installation, as a clerk
// meets it: Retener holds the database past the session's lock wait (cut
// short meanwhile): on SQLite a write transaction on the company's file; on
// PostgreSQL a transaction that is itself creating the tables named (their
// names stay taken until it ends). Soltar ends that work keeping nothing.

#include <QString>
#include <QStringList>

#include "db/database.h"

class TestInstalacion;

class OtroPrograma {
public:
    explicit OtroPrograma(const TestInstalacion& inst);
    ~OtroPrograma();
    OtroPrograma(const OtroPrograma&) = delete;
    OtroPrograma& operator=(const OtroPrograma&) = delete;

    void Retener(const QStringList& tablas);
    void Soltar();
    // Whether the table is in the company database, as this program reads it.
    bool Existe(const QString& tabla);

private:
    bool sqlite() const;
    const QString conexion_ = QStringLiteral("OtroPrograma");
    const TestInstalacion& inst_;
    bool retenida_ = false;
    TDatabase pg_;
};
