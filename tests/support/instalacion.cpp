#include "support/instalacion.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include "db/database.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/data/genemens.h"
#include "gene/session/sesion.h"
#include "io/inifile.h"
#include "io/textfile.h"
#include "support/dbfixture.h"

QString CarpetaDatosFuente() {
    return QStringLiteral(RH_DATOS_FUENTE);
}

namespace {

QString DiccionarioFuente() {
    return CarpetaDatosFuente() + QStringLiteral("/DATABASE.TXT");
}

QString PrefijoUnico() {
    static QAtomicInt seq;
    return QStringLiteral("I%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(seq.fetchAndAddRelaxed(1) + 1)
        .arg(QUuid::createUuid().toString(QUuid::Id128).left(6));
}

void EscribirTexto(const QString& archivo, const QString& texto) {
    WriteTextFile(archivo, texto, TextEncoding::Windows1252);
}

// Every schema of the installation (they all start with its prefix).
void BorrarEsquemas(const QString& prefijo) {
    const TConnectionParams p = PostgresServerParams();
    const QString nombre = QStringLiteral("instalacion_limpieza_") + prefijo;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), nombre);
        db.setHostName(p.host);
        db.setPort(p.port);
        db.setUserName(p.user);
        db.setDatabaseName(p.database);
        if (db.open()) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("SET client_min_messages = warning"));
            q.exec(QStringLiteral("SELECT nspname FROM pg_namespace WHERE nspname LIKE '") +
                   prefijo.toLower() + QStringLiteral("%'"));
            QStringList esquemas;
            while (q.next()) esquemas << q.value(0).toString();
            for (const QString& e : esquemas)
                q.exec(QStringLiteral("DROP SCHEMA \"") + e + QStringLiteral("\" CASCADE"));
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(nombre);
}

}  // namespace

TestInstalacion::TestInstalacion(Engine motor, const OpcionesInstalacion& opciones)
    : motor_(motor), opciones_(opciones), tmp_(std::make_unique<QTemporaryDir>()) {
    if (!tmp_->isValid()) qFatal("TestInstalacion: no temporary folder");
    if (!MessageSeam::isActive()) {
        MessageSeam::activate();
        activoSeam_ = true;
    }
    const QString prefijo = PrefijoUnico();
    aliasGeneral_ = prefijo + QStringLiteral("GEN");
    aliasEmpresa_ = prefijo + QStringLiteral("EMP");
    QDir().mkpath(carpetaGeneral());

    const QString tipo =
        motor == Engine::Postgres ? QStringLiteral("SQL Generica") : QStringLiteral("Paradox");
    EscribirTexto(archivoParametros(),
                  QStringLiteral("TipoBaseDatos=") + tipo + QStringLiteral("\r\n") +
                      QStringLiteral("AliasBaseDatosGeneral=") + aliasGeneral_ +
                      QStringLiteral("\r\n") + QStringLiteral("PathBaseDatosGeneral=") +
                      carpetaGeneral() + QStringLiteral("\r\n") +
                      QStringLiteral("AliasBaseDatos=") + aliasEmpresa_ + QStringLiteral("\r\n") +
                      QStringLiteral("PathArchivosTemporales=PrivateDir\r\n"));

    QString alias;
    if (motor == Engine::Postgres) {
        const TConnectionParams p = PostgresServerParams();
        const QString servidor = QStringLiteral("SERVER NAME=") + p.host +
                                 QStringLiteral("\r\nPORT=") + QString::number(p.port) +
                                 QStringLiteral("\r\nDATABASE NAME=") + p.database +
                                 QStringLiteral("\r\nUSER NAME=") + p.user + QStringLiteral("\r\n");
        alias = QLatin1Char('[') + aliasGeneral_ + QStringLiteral("]\r\n") + servidor +
                QStringLiteral("\r\n[") + aliasEmpresa_ + QStringLiteral("]\r\n") + servidor;
    } else {
        alias = QLatin1Char('[') + aliasGeneral_ + QStringLiteral("]\r\nPATH=") + carpetaGeneral() +
                QStringLiteral("\r\n\r\n[") + aliasEmpresa_ + QStringLiteral("]\r\nPATH=") +
                carpetaGeneral() + QStringLiteral("\r\n");
    }
    EscribirTexto(archivoAlias(), alias);

    // The test's own lines first: the first line of a key is the one read.
    QString ini = QStringLiteral("[Configuración]\r\n");
    for (const QString& l : opciones_.configuracion) ini += l + QStringLiteral("\r\n");
    ini += QStringLiteral("ArchivosTemporalesEnBD=SI\r\nDesactivarDiagnostico=SI\r\n");
    EscribirTexto(archivoConfiguracion(), ini);

    QFile::copy(DiccionarioFuente(), carpeta() + QStringLiteral("/DATABASE.TXT"));

    if (opciones_.crearBasesDatos) {
        TConnectionParams p;
        if (motor == Engine::Postgres) {
            p = PostgresServerParams();
            for (const QString& esquema : {aliasGeneral_, aliasEmpresa_}) {
                p.schema = esquema.toLower();
                TDatabase::CreateDatabase(p);
            }
        } else {
            p.engine = Engine::Sqlite;
            p.folder = carpetaGeneral();
            TDatabase::CreateDatabase(p);
        }
        for (int codigo : opciones_.empresas) CrearEmpresa(codigo);
    }
    if (opciones_.iniciar) Iniciar();
}

TestInstalacion::~TestInstalacion() {
    Terminar();
    TSession::instance().CloseDirectDatabases();
    if (!directorioAnterior_.isEmpty()) QDir::setCurrent(directorioAnterior_);
    if (motor_ == Engine::Postgres) BorrarEsquemas(aliasGeneral_.left(aliasGeneral_.size() - 3));
    if (activoSeam_) MessageSeam::deactivate();
    AnularTerminacion();
}

bool TestInstalacion::Iniciar(const QStringList& argumentosExtra) {
    Terminar();
    if (directorioAnterior_.isEmpty()) directorioAnterior_ = QDir::currentPath();
    QDir::setCurrent(carpeta());
    AnularTerminacion();
    sesion_ = new TfGENEINIC;
    fGENEINIC = sesion_;
    iniciada_ = sesion_->IniciarSesion(QStringList{QStringLiteral("L=") + archivoParametros()} +
                                       argumentosExtra);
    if (iniciada_ && opciones_.empresaActual != 0) {
        CodigoEmpresaActual = opciones_.empresaActual;
        ConectarBaseDatosEmpresa(sesion_, opciones_.empresaActual);
    }
    return iniciada_;
}

void TestInstalacion::Terminar() {
    delete sesion_;  // the destructor clears fGENEINIC
    sesion_ = nullptr;
    iniciada_ = false;
    TSession::instance().CloseDirectDatabases();
}

QString TestInstalacion::carpeta() const {
    return QDir(tmp_->path()).canonicalPath();
}
QString TestInstalacion::archivoParametros() const {
    return carpeta() + QStringLiteral("/PARAMETROS.TXT");
}
QString TestInstalacion::archivoAlias() const {
    return carpeta() + QStringLiteral("/ALIAS.INI");
}
QString TestInstalacion::archivoConfiguracion() const {
    return carpeta() + QStringLiteral("/QEVWIN.INI");
}
QString TestInstalacion::carpetaGeneral() const {
    return carpeta() + QStringLiteral("/DATOS");
}

QString TestInstalacion::ubicacionEmpresa(int codigo) const {
    if (motor_ == Engine::Postgres) return (aliasEmpresa_ + QString::number(codigo)).toLower();
    return carpetaGeneral() + QLatin1Char('/') + QString::number(codigo);
}

void TestInstalacion::CrearEmpresa(int codigo) {
    TConnectionParams p;
    if (motor_ == Engine::Postgres) {
        p = PostgresServerParams();
        p.schema = ubicacionEmpresa(codigo);
    } else {
        p.engine = Engine::Sqlite;
        p.folder = ubicacionEmpresa(codigo);
        QDir().mkpath(p.folder);
    }
    TDatabase::CreateDatabase(p);
}

void TestInstalacion::EscribirConfiguracion(const QString& seccion, const QString& clave,
                                            const QString& valor) {
    TIniFile(archivoConfiguracion()).WriteString(seccion, clave, valor);
}

void TestInstalacion::EscribirParametro(const QString& clave, const QString& valor) {
    QString texto;
    ReadTextFile(archivoParametros(), texto);
    QStringList lineas = texto.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    bool hecho = false;
    for (QString& l : lineas)
        if (l.section(QLatin1Char('='), 0, 0).compare(clave, Qt::CaseInsensitive) == 0) {
            l = clave + QLatin1Char('=') + valor;
            hecho = true;
        }
    if (!hecho) lineas << clave + QLatin1Char('=') + valor;
    EscribirTexto(archivoParametros(),
                  lineas.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}
