#pragma once
// Another program holding a session's database past the session's lock wait
// (cut short meanwhile), as a colleague's long save or a maintenance job
// would: on SQLite a write transaction on the file (writes wait, reads go
// on); on PostgreSQL the tables named locked in Modo ("EXCLUSIVE": writes
// wait; "ACCESS EXCLUSIVE": reads too). Soltar, or the end, lets go and
// gives the session its usual waits back.

#include <QString>
#include <QStringList>

#include "db/database.h"

class TBaseRetenida {
public:
    TBaseRetenida(TDatabase* Base, const QStringList& Tablas,
                  const QString& Modo = QStringLiteral("EXCLUSIVE"));
    ~TBaseRetenida();
    TBaseRetenida(const TBaseRetenida&) = delete;
    TBaseRetenida& operator=(const TBaseRetenida&) = delete;
    void Soltar();

private:
    TDatabase* base_;
    TDatabase otra_;
    bool sqlite_;
};

// SQLite: from now on, each statement of Base that meets the held file adds
// one to Cuenta (a wait, given up at once) until Base's wait is set again
// (TBaseRetenida's end does); Cuenta must live that long. Nothing on another
// engine, where beginning a transaction never waits.
void ContarEsperas(TDatabase* Base, int& Cuenta);
