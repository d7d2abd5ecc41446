#include "support/sqlprueba.h"

#include "gene/genemens.h"
#include "gene/genemodu_sql.h"

QString SqlPrueba(const QString& Sentencia) {
    QString r;
    EjecutarSQL(nullptr, Sentencia, QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    return r;
}

QStringList TextosMostrados() {
    QStringList l;
    for (const auto& e : MessageSeam::log()) l << e.text;
    return l;
}

void BloquearBorrado(Engine Motor, const QString& Tabla) {
    if (Motor == Engine::Sqlite) {
        SqlPrueba(QStringLiteral("CREATE TRIGGER bloqueo BEFORE DELETE ON %1 BEGIN SELECT "
                                 "RAISE(ABORT, 'bloqueado'); END")
                      .arg(Tabla));
        return;
    }
    SqlPrueba(
        QStringLiteral("CREATE OR REPLACE FUNCTION bloqueo() RETURNS trigger AS $$ BEGIN RAISE "
                       "EXCEPTION 'bloqueado'; END $$ LANGUAGE plpgsql"));
    SqlPrueba(QStringLiteral("CREATE TRIGGER bloqueo BEFORE DELETE ON %1 FOR EACH ROW EXECUTE "
                             "FUNCTION bloqueo()")
                  .arg(Tabla));
}

void QuitarBloqueoBorrado(Engine Motor, const QString& Tabla) {
    SqlPrueba(QStringLiteral("DROP TRIGGER bloqueo") +
              (Motor == Engine::Sqlite ? QString() : QStringLiteral(" ON ") + Tabla));
}
