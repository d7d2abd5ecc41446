#include "support/sqlprueba.h"

#include <QCoreApplication>

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include "db/database.h"
#include "db/dberror.h"
#include "db/query.h"
#include "db/sqllexis.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/session/geneinic.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"

QString SqlPrueba(const QString& Sentencia) {
    QString r;
    EjecutarSQL(nullptr, Sentencia, QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    return r;
}

QStringList FilasEnOtraSesion(const QString& Consulta) {
    TDatabase otra;
    otra.setDatabaseName(QStringLiteral("OtraSesionLectora"));
    otra.Params() = fGENEINIC->Database->Params();
    otra.Open();
    QStringList filas;
    {
        QSqlQuery q(otra.connection());
        if (!q.exec(Consulta)) {
            QTest::qFail(qPrintable(q.lastError().text()), __FILE__, __LINE__);
            return filas;
        }
        while (q.next()) {
            QStringList columnas;
            for (int i = 0; i < q.record().count(); ++i) columnas << q.value(i).toString();
            filas << columnas.join(QLatin1Char('|'));
        }
    }
    otra.Close();
    return filas;
}

QString PrimeroEnOtraSesion(const QString& Consulta) {
    return FilasEnOtraSesion(Consulta).value(0);
}

void OperarioEnOtraSesion(const QString& Escena, int Codigo, const QString& Nombre) {
    const QString codigo = QString::number(Codigo);
    if (Escena == QLatin1String("sustituido")) {
        FilasEnOtraSesion(QStringLiteral("DELETE FROM PERSONAL WHERE CodigoOperario = ") + codigo);
        FilasEnOtraSesion(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (") +
                          codigo + QStringLiteral(", ") + ValorSQL(Nombre) + QLatin1Char(')'));
    } else if (Escena == QLatin1String("modificado")) {
        FilasEnOtraSesion(QStringLiteral("UPDATE PERSONAL SET Nombre = ") + ValorSQL(Nombre) +
                          QStringLiteral(" WHERE CodigoOperario = ") + codigo);
    }
}

void FilasOperarioEnOtraSesion() {
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("escena");
    for (Engine motor : AvailableEngines())
        for (const char* escena : {"nadie lo toca", "sustituido", "modificado"})
            NewEngineRow(motor, escena) << QString::fromLatin1(escena);
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

namespace {
// Advisory locks are the whole database's: the suites beside one server share
// them, so each test program checks a key of its own (its pid), never one
// another program's check holds for a moment.
QString ClaveAsesor() {
    return QStringLiteral("424242, %1").arg(QCoreApplication::applicationPid() % 2000000000);
}
}  // namespace

AlcancePrueba::AlcancePrueba(Caso caso, const QString& Tabla) : caso_(caso), tabla_(Tabla) {
    filas_ = SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM ") + Tabla);
    otra_ = std::make_unique<TDatabase>();
    otra_->Params() = fGENEINIC->Database->Params();
    otra_->setDatabaseName(QStringLiteral("OtraSesion"));
    otra_->Open();
    const QString pid = otra_->Scalar(QStringLiteral("SELECT pg_backend_pid()")).toString();
    switch (caso) {
        case TerminarSesion:
            Expresion = QStringLiteral("pg_catalog.PG_TERMINATE_BACKEND(%1)").arg(pid);
            Rechazo = ReachingNameReason(QStringLiteral("pg_terminate_backend"));
            break;
        case CancelarSesion:
            Expresion = QStringLiteral("\"pg_cancel_backend\"(%1)").arg(pid);
            Rechazo = ReachingNameReason(QStringLiteral("pg_cancel_backend"));
            break;
        case BloqueoAsesor:
            Expresion = QStringLiteral("pg_try_advisory_lock(%1)").arg(ClaveAsesor());
            Rechazo = ReachingNameReason(QStringLiteral("pg_try_advisory_lock"));
            break;
        case LiberarBloqueos:
            fGENEINIC->Database->TryLockRecord(Tabla, QStringLiteral("1"));
            Expresion =
                QStringLiteral("(SELECT COUNT(*) FROM (SELECT pg_advisory_unlock_all()) u) = 1");
            Rechazo = ReachingNameReason(QStringLiteral("pg_advisory_unlock_all"));
            break;
        case RutaBusqueda:
            Expresion = QStringLiteral("set_config('search_path', 'pg_catalog', false) <> ''");
            Accion = QStringLiteral("SET search_path = pg_catalog");
            Rechazo = ReachingNameReason(QStringLiteral("SET"));
            break;
        case BorradoEnWith:
            Expresion = QStringLiteral("TRUE");
            Accion = QStringLiteral("WITH d AS (DELETE FROM ") + Tabla +
                     QStringLiteral(" RETURNING 1) SELECT COUNT(*) AS N FROM d");
            Rechazo = ReadOnlyPathReason(QStringLiteral("DELETE"));
            break;
        case TextoContinuado:
            // The server reads the second line's text on in escape mode: the
            // call is code for it, and "--'" a comment.
            Expresion =
                QStringLiteral("(E'x'\n'\\'' <> '' OR pg_terminate_backend(%1)) --'\n").arg(pid);
            Rechazo = ReachingNameReason(QStringLiteral("pg_terminate_backend"));
            break;
        case CatalogoSistema:
            Expresion = QStringLiteral("(SELECT COUNT(*) FROM pg_catalog.pg_stat_activity) > 0");
            Rechazo = ReachingNameReason(QStringLiteral("pg_stat_activity"));
            break;
        case OtraEmpresa:
            otraEmpresa_ = fGENEINIC->Database->Params().schema.toLower() +
                           QStringLiteral("_otra");  // a company schema
            otra_->Execute(QStringLiteral("CREATE SCHEMA IF NOT EXISTS ") + otraEmpresa_);
            otra_->Execute(
                QStringLiteral("CREATE TABLE %1.otra AS SELECT 1 AS a").arg(otraEmpresa_));
            Expresion = QStringLiteral("(SELECT COUNT(*) FROM %1.otra) = 1").arg(otraEmpresa_);
            Rechazo = ReachingNameReason(otraEmpresa_);
            break;
    }
}

AlcancePrueba::~AlcancePrueba() {
    if (caso_ == LiberarBloqueos && fGENEINIC && fGENEINIC->Database)
        fGENEINIC->Database->UnlockRecord(tabla_, QStringLiteral("1"));
    if (!otraEmpresa_.isEmpty() && otra_ && otra_->Connected())
        otra_->Execute(QStringLiteral("DROP SCHEMA ") + otraEmpresa_ + QStringLiteral(" CASCADE"));
}

QString AlcancePrueba::Fuga() {
    QString fuga;
    try {
        otra_->Scalar(QStringLiteral("SELECT 1"));
    } catch (const EDatabaseError&) {
        return QStringLiteral("otra sesión terminada");
    }
    if (otra_->Scalar(QStringLiteral("SELECT pg_try_advisory_lock(%1)").arg(ClaveAsesor()))
            .toBool())
        otra_->Scalar(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(ClaveAsesor()));
    else
        fuga += QStringLiteral("bloqueo asesor retenido; ");
    if (caso_ == LiberarBloqueos) {
        if (otra_->TryLockRecord(tabla_, QStringLiteral("1"))) {
            otra_->UnlockRecord(tabla_, QStringLiteral("1"));
            fuga += QStringLiteral("bloqueo del registro liberado; ");
        }
    }
    const QString filas = SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM ") + tabla_);
    if (filas != filas_) fuga += QStringLiteral("lectura: ") + filas;
    return fuga;
}

QList<AlcancePrueba::Caso> CasosAlcanceConsulta() {
    return {AlcancePrueba::TerminarSesion,  AlcancePrueba::CancelarSesion,
            AlcancePrueba::BloqueoAsesor,   AlcancePrueba::LiberarBloqueos,
            AlcancePrueba::TextoContinuado, AlcancePrueba::CatalogoSistema,
            AlcancePrueba::OtraEmpresa};
}

void FilasAlcance(const QList<AlcancePrueba::Caso>& Casos) {
    static const char* const nombres[] = {
        "terminar sesión",  "cancelar sesión",      "bloqueo asesor",
        "liberar bloqueos", "ruta de búsqueda",     "borrado en WITH",
        "texto continuado", "catálogo del sistema", "otra empresa"};
    QTest::addColumn<int>("caso");
    // A table without rows stops the whole suite: one row that skips.
    if (!AvailableEngines().contains(Engine::Postgres)) {
        QTest::newRow("sin PostgreSQL") << -1;
        return;
    }
    for (AlcancePrueba::Caso c : Casos) QTest::newRow(nombres[c]) << int(c);
}

void FilasMotorYLogin() {
    QTest::addColumn<int>("engine");
    QTest::addColumn<QByteArray>("login");
    for (Engine motor : AvailableEngines()) {
        if (motor != Engine::Postgres) {
            NewEngineRow(motor, "") << QByteArray();
            continue;
        }
        for (const char* login : {"", "RH_PG_ROLEMAKER_ROLE", "RH_PG_PLAIN_ROLE"})
            if (!*login || !qEnvironmentVariableIsEmpty(login))
                NewEngineRow(motor, *login ? login : "superusuario") << QByteArray(login);
    }
}

ComoLoginPg::ComoLoginPg(const QByteArray& login) : antes_(qgetenv("RH_PG_USER")) {
    if (!login.isEmpty()) qputenv("RH_PG_USER", qgetenv(login.constData()));
}

ComoLoginPg::~ComoLoginPg() {
    qputenv("RH_PG_USER", antes_);
}

void CrearUsuarioPrueba(const QString& Codigo, const QString& Categoria, const QString& Empresas,
                        const QString& SoloLectura) {
    TQuery q;
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("DatabaseGeneral")));
    q.SQL().setText(QStringLiteral("DELETE FROM USUARIO WHERE Codigo = :Codigo"));
    q.ParamByName(QStringLiteral("Codigo"))->setAsString(Codigo);
    q.ExecSQL();
    q.SQL().setText(
        QStringLiteral("INSERT INTO USUARIO (Codigo, Nombre, Categoria, Configuracion, Empresas, "
                       "ProgramasSoloLectura) VALUES (:Codigo, :Nombre, :Categoria, '', "
                       ":Empresas, :SoloLectura)"));
    q.ParamByName(QStringLiteral("Codigo"))->setAsString(Codigo);
    q.ParamByName(QStringLiteral("Nombre"))->setAsString(Codigo);
    q.ParamByName(QStringLiteral("Categoria"))->setAsString(Categoria);
    q.ParamByName(QStringLiteral("Empresas"))->setAsString(Empresas);
    q.ParamByName(QStringLiteral("SoloLectura"))->setAsString(SoloLectura);
    q.ExecSQL();
}

ComoUsuario::ComoUsuario(const QString& Codigo) : antes_(CodigoUsuarioActual) {
    CodigoUsuarioActual = Codigo;
}

ComoUsuario::~ComoUsuario() {
    CodigoUsuarioActual = antes_;
}
