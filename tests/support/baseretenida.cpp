#include "support/baseretenida.h"

#include <sqlite3.h>

#include "db/storedvalue.h"

TBaseRetenida::TBaseRetenida(TDatabase* Base, const QStringList& Tablas, const QString& Modo)
    : base_(Base), sqlite_(Base->Params().engine == Engine::Sqlite) {
    otra_.setDatabaseName(QStringLiteral("Retenedora"));
    otra_.Params() = Base->Params();
    otra_.Open();
    // SQLite: BEGIN IMMEDIATE takes the file's write lock at once.
    otra_.StartTransaction();
    if (!sqlite_)
        otra_.Execute(QStringLiteral("LOCK TABLE ") + Tablas.join(QStringLiteral(", ")) +
                      QStringLiteral(" IN ") + Modo + QStringLiteral(" MODE"));
    base_->Execute(sqlite_ ? QStringLiteral("PRAGMA busy_timeout = 50")
                           : QStringLiteral("SET lock_timeout = 300"));
}

TBaseRetenida::~TBaseRetenida() {
    Soltar();
}

void TBaseRetenida::Soltar() {
    if (!otra_.InTransaction()) return;
    otra_.Rollback();
    base_->Execute(sqlite_ ? QStringLiteral("PRAGMA busy_timeout = 10000")
                           : QStringLiteral("SET lock_timeout = 10000"));
}

void ContarEsperas(TDatabase* Base, int& Cuenta) {
    if (Base->Params().engine != Engine::Sqlite) return;
    sqlite3_busy_handler(
        SqliteHandleOf(Base->connection()),
        [](void* cuenta, int veces) {
            if (veces == 0) ++*static_cast<int*>(cuenta);
            return 0;
        },
        &Cuenta);
}
