#pragma once
// Small helpers of the database suites: a statement on the company database,
// the texts the message seam showed, and a trigger with which the engine
// refuses every delete, update or insert on a table (to force a failure half-way).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

#include "db/dialect.h"

// The result text of EjecutarSQL on "Database", without messages.
QString SqlPrueba(const QString& Sentencia);
// A statement run by another user's session on the company database (never
// through the program's own connection), and the rows it reads: the columns
// of a row joined by "|", NULL as nothing.
QStringList FilasEnOtraSesion(const QString& Consulta);
// The first row another user's session reads of a one-column query ("" when none).
QString PrimeroEnOtraSesion(const QString& Consulta);
// Another clerk, on a session of his own, acts on employee Codigo as the
// scene says: "sustituido" deletes him and enters another under his code
// named Nombre, "modificado" renames him Nombre; any other leaves him.
void OperarioEnOtraSesion(const QString& Escena, int Codigo, const QString& Nombre);
// The rows "<engine> <scene>" of columns "engine" (int) and "escena" for
// those scenes and "nadie lo toca", on every engine.
void FilasOperarioEnOtraSesion();
// The texts of the messages shown since the seam's log was last cleared.
QStringList TextosMostrados();
// Statements whose second one, deleting every row of Tabla, hides in a quoted
// text that a scanner ending a text at its next quote misses: after a
// backslash escape (E'\'') and after a dollar quote ($$'$$). Campo is a
// text column of Tabla.
QStringList SentenciasConSegundaOculta(const QString& Tabla, const QString& Campo);
// What a user's statement on PostgreSQL could do beyond its own result, and
// how a suite tells that it did not. Expresion is a boolean expression to
// put in a query (a column, a restriction); Accion, when not empty, the
// action statement to run instead; Rechazo the reason the engine gives for
// refusing it ("" when it runs, its effect ending with it). After the run
// through the caller, Fuga() tells what reached beyond it ("" when nothing):
// another session ended, an advisory lock still held, the program's own
// record lock on Tabla (key "1") released, the program's reads failing,
// rows of Tabla deleted.
class AlcancePrueba {
public:
    enum Caso {
        TerminarSesion,
        CancelarSesion,
        BloqueoAsesor,
        LiberarBloqueos,
        RutaBusqueda,
        BorradoEnWith,
        TextoContinuado,  // a call hidden after an E'...' text continued on the next line
        CatalogoSistema,
        OtraEmpresa  // another company's schema named
    };
    AlcancePrueba(Caso caso, const QString& Tabla);
    ~AlcancePrueba();
    QString Expresion;
    QString Accion;
    QString Rechazo;
    QString Fuga();

private:
    Caso caso_;
    QString tabla_;
    QString filas_;
    QString otraEmpresa_;
    std::unique_ptr<class TDatabase> otra_;  // another user's session
};
// Data rows "<caso>" of column "caso" (int) for the cases given, PostgreSQL
// only (on SQLite none of them exists); without PostgreSQL one row, caso
// -1, which the case skips (AlcanceSinServidor).
#define AlcanceSinServidor(caso) \
    if ((caso) < 0) QSKIP("Sin servidor PostgreSQL")
void FilasAlcance(const QList<AlcancePrueba::Caso>& Casos);
// The cases any query a user typed meets: other sessions ended or
// cancelled, an advisory lock taken, every advisory lock released.
QList<AlcancePrueba::Caso> CasosAlcanceConsulta();
// Until QuitarBloqueoBorrado, every delete on Tabla fails in the engine.
void BloquearBorrado(Engine Motor, const QString& Tabla);
void QuitarBloqueoBorrado(Engine Motor, const QString& Tabla);
// Until QuitarBloqueoModificacion, every update on Tabla fails in the engine.
void BloquearModificacion(Engine Motor, const QString& Tabla);
void QuitarBloqueoModificacion(Engine Motor, const QString& Tabla);
// Until QuitarBloqueoAlta, every insert into Tabla fails in the engine.
void BloquearAlta(Engine Motor, const QString& Tabla);
void QuitarBloqueoAlta(Engine Motor, const QString& Tabla);
// From now on a transaction that runs Operacion ("UPDATE", "DELETE") on Tabla
// fails at its commit: the engine checks a constraint only then.
void FallarConfirmacion(Engine Motor, const QString& Tabla, const QString& Operacion);

// The company's analysis-group profiles (PARAGENE.PerfilesCategoriasGA, as
// "Personal=DEP"), read again by the data module.
void PerfilesGruposPrueba(const QString& Perfiles);

// In a QtTest _data function: columns "engine" (int) and "login"
// (QByteArray), a row for SQLite and, beside a server, one for each
// PostgreSQL login users' statements are confined under: the superuser
// (""), one that may create roles and one that may not, each given by the
// variable scripts/with-postgres names it with.
void FilasMotorYLogin();
// Connections opened meanwhile log in as the login a variable names (the
// server's superuser for ""); the superuser's back after.
class ComoLoginPg {
public:
    explicit ComoLoginPg(const QByteArray& login);
    ~ComoLoginPg();
    ComoLoginPg(const ComoLoginPg&) = delete;
    ComoLoginPg& operator=(const ComoLoginPg&) = delete;

private:
    QByteArray antes_;
};
// A user of the installation (its row replaced): a category, its
// companies, one a line, and the programs he may only read.
void CrearUsuarioPrueba(const QString& Codigo, const QString& Categoria, const QString& Empresas,
                        const QString& SoloLectura = QString());
// CodigoUsuarioActual for a while.
class ComoUsuario {
public:
    explicit ComoUsuario(const QString& Codigo);
    ~ComoUsuario();
    ComoUsuario(const ComoUsuario&) = delete;
    ComoUsuario& operator=(const ComoUsuario&) = delete;

private:
    QString antes_;
};
