#pragma once
// A temporary installation of the program for one test: a folder that is the
// program's folder (the current directory while it lives) with the parameter
// file, the alias file, the settings file QEVWIN.INI and the dictionary
// DATABASE.TXT, the general database and the databases of the companies
// asked for, on SQLite or on the PostgreSQL server of the test run; then the
// session form started on it (fGENEINIC), as the program does at start-up.
// The destructor ends the session and removes every file and schema.
//
//     TestInstalacion inst(CurrentEngine());          // company 1, started
//     TestInstalacion inst(CurrentEngine(), {.empresas = {1, 12}, .empresaActual = 12});
//
// Messages go through the test seam (MessageSeam) while the installation
// lives, unless the test activated it itself.

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

#include "db/dialect.h"

class QTemporaryDir;
class TfGENEINIC;

struct OpcionesInstalacion {
    // Company databases created before the start (their folders or schemas).
    QList<int> empresas{1};
    // The company connected after the start (CodigoEmpresaActual); 0 = none.
    int empresaActual = 0;
    // False: only the folders and files are made; no database is created.
    bool crearBasesDatos = true;
    // False: the session is not started; call Iniciar() after changing files.
    bool iniciar = true;
    // Extra "Clave=Valor" lines of section "Configuración".
    QStringList configuracion;
};

// The source tree's data folder: the files an installation ships.
QString CarpetaDatosFuente();

class TestInstalacion {
public:
    explicit TestInstalacion(Engine motor = Engine::Sqlite,
                             const OpcionesInstalacion& opciones = OpcionesInstalacion());
    ~TestInstalacion();
    TestInstalacion(const TestInstalacion&) = delete;
    TestInstalacion& operator=(const TestInstalacion&) = delete;

    // Creates the session form and runs its start with "L=" + the parameter
    // file (and the extra arguments); connects empresaActual when asked.
    // False when the start failed (see MessageSeam::log()).
    bool Iniciar(const QStringList& argumentosExtra = {});
    // Deletes the session form (closing its databases).
    void Terminar();

    TfGENEINIC* sesion() const { return sesion_; }
    Engine motor() const { return motor_; }
    bool iniciada() const { return sesion_ != nullptr && iniciada_; }

    QString carpeta() const;               // the program's folder, with no trailing "/"
    QString archivoParametros() const;     // PARAMETROS.TXT
    QString archivoAlias() const;          // ALIAS.INI
    QString archivoConfiguracion() const;  // QEVWIN.INI
    QString carpetaGeneral() const;        // PathBaseDatosGeneral (DATOS)
    QString aliasGeneral() const { return aliasGeneral_; }
    QString aliasEmpresa() const { return aliasEmpresa_; }
    // SQLite: the company's folder; PostgreSQL: its schema.
    QString ubicacionEmpresa(int codigo) const;
    // Creates a company's database (folder and file, or schema).
    void CrearEmpresa(int codigo);

    // Rewrites one line of a file of the installation.
    void EscribirConfiguracion(const QString& seccion, const QString& clave, const QString& valor);
    void EscribirParametro(const QString& clave, const QString& valor);

private:
    Engine motor_;
    OpcionesInstalacion opciones_;
    std::unique_ptr<QTemporaryDir> tmp_;
    QString directorioAnterior_;
    QString aliasGeneral_;
    QString aliasEmpresa_;
    TfGENEINIC* sesion_ = nullptr;
    bool iniciada_ = false;
    bool activoSeam_ = false;
};
