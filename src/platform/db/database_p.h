#pragma once
// Inside TDatabase: what its units (database*.cpp) share.

#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include "db/database.h"

// A name quoted as PostgreSQL reads it.
QString pgQuote(const QString& name);
// The first word of a statement, upper-cased.
QString firstWord(const QString& sql);
// Whether a statement of the program changes the catalog (CREATE, DROP,
// ALTER), so that cached answers are dropped.
bool isDdl(const QString& sql);
// The values with each text's lone surrogates replaced.
QVariantList WellFormedValues(const QVariantList& values);

// TDatabase::guarded, for the units that run statements through it.

template <typename Step>
void TDatabase::guarded(QSqlQuery& q, const QString& sql, Step step) {
    if (!inTransaction_ || params_.engine != Engine::Postgres) {
        if (!step()) raiseError(q.lastError(), sql);
        return;
    }
    refuseIfBroken();
    // PostgreSQL aborts the whole transaction at a failed statement; a
    // savepoint keeps what came before usable (TSavepoints).
    QSqlError error;
    if (!savepoints_.Enter(error)) raiseError(error, QStringLiteral("SAVEPOINT"));
    // A forward-only result is streamed row by row by the driver, and the
    // RELEASE below would discard the rows not yet read: fetch it whole.
    q.setForwardOnly(false);
    bool done = false;
    try {
        done = step();
    } catch (...) {
        savepoints_.Undo();
        throw;
    }
    if (!done) {
        error = q.lastError();
        savepoints_.Undo();
        raiseError(error, sql);
    }
    if (!savepoints_.Leave(error)) raiseError(error, QStringLiteral("RELEASE SAVEPOINT"));
}
