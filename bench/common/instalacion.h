#pragma once
// What every benchmark stands on: a temporary installation with the
// session started on it as the program starts, and the way out on failure.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "db/database.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/data/genemens.h"
#include "gene/session/sesion.h"
#include "io/textfile.h"

namespace bench {

[[noreturn]] inline void fail(const QString& what) {
    std::fprintf(stderr, "%s: %s\n",
                 qPrintable(QFileInfo(QCoreApplication::applicationFilePath()).fileName()),
                 qPrintable(what));
    std::exit(1);
}

// A program folder with its parameter, alias and settings files and the
// dictionary, the general database and company 1, and the session started
// on it as the program starts (messages scripted: nobody answers them).
class Installation {
public:
    Installation() {
        if (!tmp_.isValid()) fail("no temporary folder");
        MessageSeam::activate();
        const QString dir = QDir(tmp_.path()).canonicalPath();
        const QString datos = dir + QStringLiteral("/DATOS");
        QDir().mkpath(datos + QStringLiteral("/1"));
        write(dir + QStringLiteral("/PARAMETROS.TXT"),
              QStringLiteral("TipoBaseDatos=Paradox\r\nAliasBaseDatosGeneral=BENCHGEN\r\n"
                             "PathBaseDatosGeneral=") +
                  datos +
                  QStringLiteral("\r\nAliasBaseDatos=BENCHEMP\r\n"
                                 "PathArchivosTemporales=PrivateDir\r\n"));
        write(dir + QStringLiteral("/ALIAS.INI"),
              QStringLiteral("[BENCHGEN]\r\nPATH=") + datos +
                  QStringLiteral("\r\n\r\n[BENCHEMP]\r\nPATH=") + datos + QStringLiteral("\r\n"));
        write(dir + QStringLiteral("/QEVWIN.INI"),
              QStringLiteral("[Configuración]\r\nArchivosTemporalesEnBD=SI\r\n"
                             "DesactivarDiagnostico=SI\r\n"));
        const QString dictionary = QStringLiteral(RH_DATOS_FUENTE "/DATABASE.TXT");
        if (!QFile::copy(dictionary, dir + QStringLiteral("/DATABASE.TXT")))
            fail("no dictionary at " + dictionary);
        for (const QString& folder : QStringList{datos, datos + QStringLiteral("/1")}) {
            TConnectionParams p;
            p.engine = Engine::Sqlite;
            p.folder = folder;
            TDatabase::CreateDatabase(p);
        }
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir);
        session_ = new TfGENEINIC;
        fGENEINIC = session_;
        if (!session_->IniciarSesion(
                {QStringLiteral("L=") + dir + QStringLiteral("/PARAMETROS.TXT")}))
            fail("the session did not start");
        CodigoEmpresaActual = 1;
        ConectarBaseDatosEmpresa(session_, 1);
    }
    ~Installation() {
        delete session_;
        TSession::instance().CloseDirectDatabases();
        QDir::setCurrent(previous_);
        MessageSeam::deactivate();
    }

private:
    static void write(const QString& file, const QString& text) {
        WriteTextFile(file, text, TextEncoding::Windows1252);
    }
    QTemporaryDir tmp_;
    QString previous_;
    TfGENEINIC* session_ = nullptr;
};

}  // namespace bench
