#include "support/sqlprueba.h"

#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"

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

QStringList SentenciasConSegundaOculta(const QString& Tabla, const QString& Campo) {
    const QString select = QStringLiteral("SELECT ") + Campo + QStringLiteral(" FROM ") + Tabla +
                           QStringLiteral(" WHERE ") + Campo;
    const QString borrado = QStringLiteral(" ; DELETE FROM ") + Tabla + QStringLiteral("; --'");
    return {select + QStringLiteral(" <> E'\\''") + borrado,
            select + QStringLiteral(" <> $$'$$") + borrado};
}

namespace {

// A trigger named Nombre with which the engine refuses every Operacion on Tabla.
void Bloquear(Engine Motor, const QString& Tabla, const QString& Operacion, const QString& Nombre) {
    if (Motor == Engine::Sqlite) {
        SqlPrueba(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 BEGIN SELECT "
                                 "RAISE(ABORT, 'bloqueado'); END")
                      .arg(Nombre, Operacion, Tabla));
        return;
    }
    SqlPrueba(
        QStringLiteral("CREATE OR REPLACE FUNCTION bloqueo() RETURNS trigger AS $$ BEGIN RAISE "
                       "EXCEPTION 'bloqueado'; END $$ LANGUAGE plpgsql"));
    SqlPrueba(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE "
                             "FUNCTION bloqueo()")
                  .arg(Nombre, Operacion, Tabla));
}

void Desbloquear(Engine Motor, const QString& Tabla, const QString& Nombre) {
    SqlPrueba(QStringLiteral("DROP TRIGGER ") + Nombre +
              (Motor == Engine::Sqlite ? QString() : QStringLiteral(" ON ") + Tabla));
}

}  // namespace

void BloquearBorrado(Engine Motor, const QString& Tabla) {
    Bloquear(Motor, Tabla, QStringLiteral("DELETE"), QStringLiteral("bloqueo"));
}

void QuitarBloqueoBorrado(Engine Motor, const QString& Tabla) {
    Desbloquear(Motor, Tabla, QStringLiteral("bloqueo"));
}

void BloquearModificacion(Engine Motor, const QString& Tabla) {
    Bloquear(Motor, Tabla, QStringLiteral("UPDATE"), QStringLiteral("bloqueo_modificacion"));
}

void QuitarBloqueoModificacion(Engine Motor, const QString& Tabla) {
    Desbloquear(Motor, Tabla, QStringLiteral("bloqueo_modificacion"));
}

void BloquearAlta(Engine Motor, const QString& Tabla) {
    Bloquear(Motor, Tabla, QStringLiteral("INSERT"), QStringLiteral("bloqueo_alta"));
}

void QuitarBloqueoAlta(Engine Motor, const QString& Tabla) {
    Desbloquear(Motor, Tabla, QStringLiteral("bloqueo_alta"));
}

void FallarConfirmacion(Engine Motor, const QString& Tabla, const QString& Operacion) {
    SqlPrueba(QStringLiteral("CREATE TABLE PADRE (Codigo INTEGER PRIMARY KEY)"));
    SqlPrueba(
        QStringLiteral("CREATE TABLE HIJO (Padre INTEGER REFERENCES PADRE (Codigo) DEFERRABLE "
                       "INITIALLY DEFERRED)"));
    if (Motor == Engine::Sqlite) {
        SqlPrueba(QStringLiteral("PRAGMA foreign_keys = ON"));
        SqlPrueba(QStringLiteral("CREATE TRIGGER fallo AFTER %1 ON %2 BEGIN INSERT INTO HIJO "
                                 "VALUES (99); END")
                      .arg(Operacion, Tabla));
        return;
    }
    SqlPrueba(
        QStringLiteral("CREATE FUNCTION fallo() RETURNS trigger AS $$ BEGIN INSERT INTO HIJO "
                       "VALUES (99); RETURN NULL; END $$ LANGUAGE plpgsql"));
    SqlPrueba(QStringLiteral("CREATE TRIGGER fallo AFTER %1 ON %2 FOR EACH ROW EXECUTE FUNCTION "
                             "fallo()")
                  .arg(Operacion, Tabla));
}

void PerfilesGruposPrueba(const QString& Perfiles) {
    const QString valor = Entrecomillar(Perfiles);
    if (SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM PARAGENE")) == QLatin1String("0"))
        SqlPrueba(QStringLiteral("INSERT INTO PARAGENE (IdRegistro, PerfilesCategoriasGA) "
                                 "VALUES (1, ") +
                  valor + QLatin1Char(')'));
    else
        SqlPrueba(QStringLiteral("UPDATE PARAGENE SET PerfilesCategoriasGA = ") + valor);
    if (ModuloDatos && ModuloDatos->ParamGenerales) {
        ModuloDatos->ParamGenerales->Close();
        ModuloDatos->ParamGenerales->Open();
    }
}
