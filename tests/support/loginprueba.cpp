#include "support/loginprueba.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <memory>

#include "db/database.h"
#include "db/dberror.h"
#include "support/dbfixture.h"

namespace {

// A connection of the test's server's own login (RH_PG_USER before the
// test's login took its place).
std::unique_ptr<TDatabase> Servidor(const QByteArray& usuario) {
    auto servidor = std::make_unique<TDatabase>();
    servidor->setDatabaseName(QStringLiteral("ServidorLoginPrueba"));
    servidor->Params() = PostgresServerParams();
    servidor->Params().user = QString::fromUtf8(usuario);
    // The catalog schema is always there to connect to.
    servidor->Params().schema = QStringLiteral("pg_catalog");
    servidor->Open();
    return servidor;
}

}  // namespace

TLoginPrueba::TLoginPrueba() : usuarioAnterior_(qgetenv("RH_PG_USER")) {
    static QAtomicInt n;
    nombre_ = QStringLiteral("rh_login_%1_%2")
                  .arg(QCoreApplication::applicationPid())
                  .arg(n.fetchAndAddRelaxed(1) + 1);
    Ejecutar(QStringLiteral("CREATE ROLE %1 LOGIN").arg(nombre_));
    Ejecutar(QStringLiteral("GRANT CREATE ON DATABASE %1 TO %2")
                 .arg(PostgresServerParams().database, nombre_));
    qputenv("RH_PG_USER", nombre_.toUtf8());
}

TLoginPrueba::~TLoginPrueba() {
    qputenv("RH_PG_USER", usuarioAnterior_);
    try {
        Reanudar();
        Detener();
        Ejecutar(QStringLiteral("DROP OWNED BY %1 CASCADE").arg(nombre_));
        Ejecutar(QStringLiteral("DROP ROLE %1").arg(nombre_));
    } catch (const EDatabaseError& e) {
        qWarning("TLoginPrueba: %s left behind: %s", qPrintable(nombre_), e.what());
    }
}

void TLoginPrueba::Ejecutar(const QString& sql) {
    Servidor(usuarioAnterior_)->Execute(sql);
}

void TLoginPrueba::QuitarCrearEsquemas() {
    Ejecutar(QStringLiteral("REVOKE CREATE ON DATABASE %1 FROM %2")
                 .arg(PostgresServerParams().database, nombre_));
}

void TLoginPrueba::Detener() {
    Ejecutar(QStringLiteral("ALTER ROLE %1 NOLOGIN").arg(nombre_));
    const QString vivas =
        QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE usename = '%1'").arg(nombre_);
    auto servidor = Servidor(usuarioAnterior_);
    servidor->Execute(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                     "WHERE usename = '%1'")
                          .arg(nombre_));
    QElapsedTimer espera;
    espera.start();
    while (servidor->Scalar(vivas).toInt() > 0 && espera.elapsed() < 10000) QThread::msleep(20);
}

void TLoginPrueba::Reanudar() {
    Ejecutar(QStringLiteral("ALTER ROLE %1 LOGIN").arg(nombre_));
}
