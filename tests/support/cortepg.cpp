#include "support/cortepg.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>
#include <chrono>

#include "db/database.h"
#include "support/dbfixture.h"
#include "support/sqlprueba.h"

namespace {

// A connection of the calling thread of its own, on the test's server.
QSqlDatabase Conexion(const QString& nombre) {
    return OpenOutside(PostgresServerParams(), nombre);
}

bool Ejecutar(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (q.exec(sql)) return true;
    qWarning("TCorteConexion: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return false;
}

}  // namespace

TCorteConexion::TCorteConexion(TDatabase* Base, const QString& Tabla, const QString& Condicion,
                               const QString& Operacion) {
    const QString esquema = Base->Params().schema;
    const int pid = Base->Scalar(QStringLiteral("SELECT pg_backend_pid()")).toInt();
    const int clave = 7310000 + pid;
    funcion_ = esquema + QStringLiteral(".corte_espera_%1").arg(pid);
    std::promise<void> listo;
    std::future<void> tomado = listo.get_future();
    std::promise<bool> cortada;
    cortada_ = cortada.get_future();
    hilo_ = std::thread([this, pid, clave, listo = std::move(listo),
                         cortada = std::move(cortada)]() mutable {
        bool hecho = false;
        {
            QSqlDatabase db = Conexion(QStringLiteral("corte%1").arg(pid));
            Ejecutar(db, QStringLiteral("SELECT pg_advisory_lock(%1)").arg(clave));
            listo.set_value();
            // The backend waits on the lock once it reached the row.
            const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            QSqlQuery q(db);
            while (!fin_ && std::chrono::steady_clock::now() < limite) {
                q.exec(QStringLiteral("SELECT COUNT(*) FROM pg_locks WHERE pid = %1 AND "
                                      "locktype = 'advisory' AND NOT granted")
                           .arg(pid));
                if (q.next() && q.value(0).toInt() > 0) {
                    hecho =
                        Ejecutar(db, QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid));
                    for (int i = 0; i < 500; ++i) {
                        q.exec(
                            QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE pid = %1")
                                .arg(pid));
                        if (q.next() && q.value(0).toInt() == 0) break;
                        QThread::msleep(10);
                    }
                    break;
                }
                QThread::msleep(5);
            }
            Ejecutar(db, QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(clave));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("corte%1").arg(pid));
        cortada.set_value(hecho);
    });
    tomado.wait();
    QSqlDatabase db = Conexion(QStringLiteral("corte_ddl"));
    Ejecutar(db, QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                "PERFORM pg_advisory_xact_lock(%2); RETURN NEW; END $$")
                     .arg(funcion_)
                     .arg(clave));
    Ejecutar(db, QStringLiteral("CREATE TRIGGER corte BEFORE %5 ON %1.%2 FOR EACH ROW WHEN "
                                "(%3) EXECUTE FUNCTION %4()")
                     .arg(esquema, Tabla, Condicion, funcion_, Operacion));
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("corte_ddl"));
}

bool TCorteConexion::Cortada() {
    if (!unido_) {
        fin_ = true;
        hilo_.join();
        unido_ = true;
        resultado_ = cortada_.get();
    }
    return resultado_;
}

TCorteConexion::~TCorteConexion() {
    if (!unido_) {
        fin_ = true;
        hilo_.join();
    }
    {
        QSqlDatabase db = Conexion(QStringLiteral("corte_ddl"));
        Ejecutar(db, QStringLiteral("SET lock_timeout = '5s'"));
        Ejecutar(db, QStringLiteral("DROP FUNCTION IF EXISTS %1() CASCADE").arg(funcion_));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("corte_ddl"));
}

bool ServidorPropio() {
    return qEnvironmentVariableIntValue("RH_PG_PROPIO") == 1;
}

int EnServidorPropio(const QStringList& Argumentos) {
    QProcess p;
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert(QStringLiteral("RH_PG_PROPIO"), QStringLiteral("1"));
    p.setProcessEnvironment(entorno);
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QStringLiteral("bash"),
            QStringList{QStringLiteral(RH_DATOS_FUENTE "/../scripts/with-postgres"),
                        QCoreApplication::applicationFilePath()} +
                Argumentos);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit) return -1;
    return p.exitCode();
}

bool ReiniciarServidorPostgres() {
    const QString datos = qEnvironmentVariable("RH_PG_DATA");
    if (datos.isEmpty() || !ServidorPropio()) return false;
    const QString pgCtl = qEnvironmentVariable("RH_PG_BIN") + QStringLiteral("/pg_ctl");
    const QString dueno = qEnvironmentVariable("RH_PG_OWNER");
    // Its log as before: the server must not hold this process's output.
    QStringList args{QStringLiteral("-D"), datos,
                     QStringLiteral("-l"), qEnvironmentVariable("RH_PG_LOG"),
                     QStringLiteral("-m"), QStringLiteral("fast"),
                     QStringLiteral("-w"), QStringLiteral("restart")};
    QString programa = pgCtl;
    if (!dueno.isEmpty()) {
        args = QStringList{QStringLiteral("-u"), dueno, QStringLiteral("--"), pgCtl} + args;
        programa = QStringLiteral("runuser");
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(programa, args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        qWarning("ReiniciarServidorPostgres: %s", p.readAll().constData());
        return false;
    }
    QSqlDatabase db = Conexion(QStringLiteral("reinicio"));
    const bool abierta = db.isOpen();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("reinicio"));
    return abierta;
}

bool UnSoloAvisoListadoNoRealizado() {
    const QStringList textos = TextosMostrados();
    return textos.size() == 1 && textos[0].startsWith(QStringLiteral(
                                     "¡ No se ha podido realizar el listado !. Motivo: "));
}
