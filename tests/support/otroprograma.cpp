#include "support/otroprograma.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>
#include <utility>

#include "gene/session/geneinic.h"
#include "support/instalacion.h"

OtroPrograma::OtroPrograma(const TestInstalacion& inst) : inst_(inst) {
    if (sqlite()) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conexion_);
        db.setDatabaseName(inst.ubicacionEmpresa(1) + QLatin1Char('/') +
                           QLatin1String(kDatabaseFileName));
        QVERIFY(db.open());
    } else {
        pg_.Params() = inst.sesion()->Database->Params();
        pg_.setDatabaseName(QStringLiteral("OtroPrograma"));
        pg_.Open();
    }
}

OtroPrograma::~OtroPrograma() {
    Soltar();
    if (sqlite()) {
        QSqlDatabase::database(conexion_, false).close();
        QSqlDatabase::removeDatabase(conexion_);
    }
}

bool OtroPrograma::sqlite() const {
    return inst_.motor() == Engine::Sqlite;
}

void OtroPrograma::Retener(const QStringList& tablas) {
    retenida_ = true;
    TDatabase* sesion = inst_.sesion()->Database;
    if (sqlite()) {
        QVERIFY(QSqlQuery(QSqlDatabase::database(conexion_, false))
                    .exec(QStringLiteral("BEGIN IMMEDIATE")));
        sesion->Execute(QStringLiteral("PRAGMA busy_timeout=300"));
    } else {
        pg_.Execute(QStringLiteral("BEGIN"));
        for (const QString& tabla : tablas)
            pg_.Execute(QStringLiteral("CREATE TABLE ") + tabla + QStringLiteral(" (X INTEGER)"));
        sesion->Execute(QStringLiteral("SET lock_timeout = 300"));
    }
}

void OtroPrograma::Soltar() {
    if (!std::exchange(retenida_, false)) return;
    if (sqlite())
        QSqlQuery(QSqlDatabase::database(conexion_, false)).exec(QStringLiteral("ROLLBACK"));
    else
        pg_.Execute(QStringLiteral("ROLLBACK"));
}

bool OtroPrograma::Existe(const QString& tabla) {
    if (sqlite()) {
        QSqlQuery q(QSqlDatabase::database(conexion_, false));
        q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE UPPER(name) = '") +
               tabla.toUpper() + QLatin1Char('\''));
        return q.next() && q.value(0).toInt() > 0;
    }
    return pg_.Scalar(QStringLiteral("SELECT COUNT(*) FROM information_schema.tables WHERE "
                                     "table_schema = current_schema() AND UPPER(table_name) = '") +
                      tabla.toUpper() + QLatin1Char('\''))
               .toInt() > 0;
}
