// The SQL workbench on a real installation: variables asked and bound, a
// multiple variable with a quote, action statements and the modification
// switch, refused and failing statements, the run check of a restricted
// query, saving, saving as and deleting queries with their settings, and
// the insertion lists.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sqllexis.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/listings/genecsql.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/esperaprueba.h"
#include "support/memoriaprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

// A company with the table LISTPRU and the workbench opened on it.
struct Entorno {
    explicit Entorno(Engine motor) : e(motor) {
        SqlPrueba(
            QStringLiteral("CREATE TABLE LISTPRU (Codigo INTEGER PRIMARY KEY, "
                           "Nombre VARCHAR(40), Importe FLOAT)"));
        SqlPrueba(QStringLiteral("INSERT INTO LISTPRU VALUES (1, 'Ana', 12.5)"));
        SqlPrueba(QStringLiteral("INSERT INTO LISTPRU VALUES (2, 'D''Ors', 3)"));
        SqlPrueba(QStringLiteral("INSERT INTO LISTPRU VALUES (3, 'Luis', 40)"));
        MessageSeam::clearLog();
        f = static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL")));
    }
    ~Entorno() { delete f; }
    // Runs a statement with the answers to its prompts (F9 in the statement,
    // as users do); the texts shown.
    QStringList ejecutar(const QString& sql, const QStringList& respuestas = {}) {
        MessageSeam::clearLog();
        for (const QString& r : respuestas) MessageSeam::enqueue(r);
        f->SentenciaSQL->setText(sql);
        QTest::keyClick(f->SentenciaSQL, Qt::Key_F9);
        return TextosMostrados();
    }
    QStringList filas() {
        QStringList l;
        if (!f->QryConsultasSQL->Active()) return l;
        for (f->QryConsultasSQL->First(); !f->QryConsultasSQL->Eof(); f->QryConsultasSQL->Next())
            l << f->QryConsultasSQL->Fields()[0]->AsString();
        return l;
    }
    EmpresaPrueba e;
    QPointer<TfGENECSQL> f;
};

// The first column of the rows another program reads in a database (the
// SQLite file of a folder; on PostgreSQL the server's superuser), `%1`
// standing in the statement for the schema and its dot.
QStringList FilasFuera(Engine motor, const QString& ubicacion, const QString& consulta) {
    if (motor == Engine::Postgres)
        return RunOutside(PostgresServerParams(), consulta.arg(ubicacion + QLatin1Char('.')));
    QStringList filas;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("LectorExterno"));
        db.setDatabaseName(ubicacion + QLatin1Char('/') + QLatin1String(kDatabaseFileName));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(db);
            q.exec(consulta.arg(QString()));
            while (q.next()) filas << q.value(0).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("LectorExterno"));
    return filas;
}

}  // namespace

class TestGeneCsql : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { InstalarConsultasSQL(); }

    void variables_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("respuestas");
        QTest::addColumn<QStringList>("preguntas");
        QTest::addColumn<QStringList>("filas");
        for (Engine e : AvailableEngines()) {
            const int motor = int(e);
            const QByteArray m = EngineTag(e).toLatin1() + ' ';
            QTest::newRow(QByteArray(m + "repetida se pide una vez").constData())
                << motor
                << "SELECT Codigo FROM LISTPRU WHERE Nombre = :$Nombre OR Nombre = :$Nombre"
                << QStringList{"Luis"} << QStringList{"Introduzca el valor para la variable Nombre"}
                << QStringList{"3"};
            QTest::newRow(QByteArray(m + "entero").constData())
                << motor << "SELECT Codigo FROM LISTPRU WHERE Importe = :#Valor" << QStringList{"3"}
                << QStringList{"Introduzca el valor para la variable Valor"} << QStringList{"2"};
            QTest::newRow(QByteArray(m + "real").constData())
                << motor << "SELECT Codigo FROM LISTPRU WHERE Importe = :#Valor"
                << QStringList{"12,5"} << QStringList{"Introduzca el valor para la variable Valor"}
                << QStringList{"1"};
            QTest::newRow(QByteArray(m + "lista con comilla").constData())
                << motor
                << "SELECT Codigo FROM LISTPRU WHERE Nombre IN ( :*Nombres ) ORDER BY Codigo"
                << QStringList{"D'Ors, Luis,"}
                << QStringList{"Introduzca el valor para la variable *Nombres"}
                << QStringList{"2", "3"};
            QTest::newRow(QByteArray(m + "lista vacia").constData())
                << motor << "SELECT Codigo FROM LISTPRU WHERE Nombre IN ( :*Nombres )"
                << QStringList{""} << QStringList{"Introduzca el valor para la variable *Nombres"}
                << QStringList{};
            // Answers are values, each read once: one that would close its
            // list, or that holds other variables, shifts no later value.
            QTest::newRow(QByteArray(m + "respuesta que cierra la lista").constData())
                << motor
                << "SELECT Codigo FROM LISTPRU WHERE Nombre IN ( :*A ) AND Nombre IN ( :*B )"
                << QStringList{"N1:*B", ") OR 1=1 OR LISTPRU.Nombre IN ("}
                << QStringList{"Introduzca el valor para la variable *A",
                               "Introduzca el valor para la variable *B"}
                << QStringList{};
            QTest::newRow(QByteArray(m + "respuesta con variables").constData())
                << motor
                << "SELECT Codigo FROM LISTPRU WHERE Nombre IN ( :*A ) AND Nombre <> :$Salvo AND "
                   "Codigo >= :#Desde ORDER BY Codigo"
                << QStringList{"Ana,Luis,x:#y:#z", "Luis", "1"}
                << QStringList{"Introduzca el valor para la variable *A",
                               "Introduzca el valor para la variable Salvo",
                               "Introduzca el valor para la variable Desde"}
                << QStringList{"1"};
        }
    }
    void variables() {
        QFETCH(int, engine);
        QFETCH(QString, sql);
        QFETCH(QStringList, respuestas);
        QFETCH(QStringList, preguntas);
        QFETCH(QStringList, filas);
        Entorno x{Engine(engine)};
        const QStringList mostrados = x.ejecutar(sql, respuestas);
        QCOMPARE(mostrados.size() >= preguntas.size(), true);
        for (int i = 0; i < preguntas.size(); ++i)
            QVERIFY2(mostrados.value(i).startsWith(preguntas.at(i)),
                     qPrintable(mostrados.join('\n')));
        QCOMPARE(x.filas(), filas);
    }

    // A field insertion leaves ", " at the end of the last line: the run uses
    // the text as typed and the memo loses that comma for the next run.
    void comaFinalDeLaInsercion() {
        Entorno x{Engine::Sqlite};
        x.ejecutar(QStringLiteral("SELECT Codigo FROM LISTPRU ORDER BY Codigo, "));
        QCOMPARE(x.f->SentenciaSQL->Text(),
                 QStringLiteral("SELECT Codigo FROM LISTPRU ORDER BY Codigo "));
    }

    static double importe() {
        return SqlPrueba(QStringLiteral("SELECT Importe FROM LISTPRU WHERE Codigo = 1"))
            .replace(QLatin1Char(','), QLatin1Char('.'))
            .toDouble();
    }
    // On PostgreSQL a query reaches nothing beyond its rows: calls on other
    // sessions are refused with the reason, advisory locks end with the
    // query, the program's record locks stay the program's.
    void alcance_data() { FilasAlcance(CasosAlcanceConsulta()); }
    void alcance() {
        QFETCH(int, caso);
        AlcanceSinServidor(caso);
        Entorno x{Engine::Postgres};
        AlcancePrueba a(AlcancePrueba::Caso(caso), QStringLiteral("LISTPRU"));
        const QStringList t =
            x.ejecutar("SELECT Codigo, " + a.Expresion + " AS X FROM LISTPRU WHERE Codigo = 1");
        if (a.Rechazo.isEmpty()) {
            QCOMPARE(t, QStringList());
            QCOMPARE(x.filas(), QStringList{"1"});
        } else {
            QCOMPARE(t.value(0), "¡No es posible ejecutar la sentencia SQL. Motivo: " + a.Rechazo);
            QCOMPARE(x.filas(), QStringList());
        }
        QCOMPARE(a.Fuga(), QString());
    }

    // A statement the engine refuses: one warning with the translator's
    // words, or the engine's after "Error de la base de datos: ", never its
    // bare English; the program goes on and the next statement runs.
    // A text the engine cannot read says so with the switch up too, and runs
    // nothing.
    void erroresDelMotor_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("motivo");
        QTest::addColumn<bool>("modificar");
        const auto fila = [](Engine e, const char* caso, const QString& sql, const QString& sqlite,
                             const QString& postgres, bool modificar = true) {
            NewEngineRow(e, caso) << sql << (e == Engine::Sqlite ? sqlite : postgres) << modificar;
        };
        const QString parametros = QStringLiteral(
            "¡ El número de parámetros de la sentencia no coincide con el de valores dados !");
        const QString disparador = QStringLiteral(
            "la sentencia usa CREATE TRIGGER, que actúa fuera de su propia consulta (sobre otras "
            "sesiones o sobre el servidor) y no está permitido");
        for (Engine e : AvailableEngines()) {
            fila(e, "sintaxis", QStringLiteral("SELEĆ 'Łódź|·'"),
                 QStringLiteral("¡ La sentencia utilizada es incorrecta ! Palabra: SELEĆ"),
                 QStringLiteral("la sentencia SQL no es válida: error de sintaxis cerca de "
                                "«SELEĆ» (línea 1, columna 1)"));
            fila(e, "sintaxis sin modificar", QStringLiteral("SELEC 1"),
                 QStringLiteral("¡ La sentencia utilizada es incorrecta ! Palabra: SELEC"),
                 QStringLiteral("la sentencia SQL no es válida: error de sintaxis cerca de "
                                "«SELEC» (línea 1, columna 1)"),
                 false);
            fila(e, "sintaxis de una accion sin modificar",
                 QStringLiteral("DELET FROM LISTPRU WHERE Codigo = 1"),
                 QStringLiteral("¡ La sentencia utilizada es incorrecta ! Palabra: DELET"),
                 QStringLiteral("la sentencia SQL no es válida: error de sintaxis cerca de "
                                "«DELET» (línea 1, columna 1)"),
                 false);
            fila(e, "tabla inexistente", QStringLiteral("SELECT * FROM NOEXISTE"),
                 QStringLiteral("¡ La tabla no existe !. Compruebe la Base de Datos por favor."),
                 QStringLiteral("¡ La tabla no existe !. Compruebe la Base de Datos por favor."));
            fila(e, "clave repetida", QStringLiteral("INSERT INTO LISTPRU VALUES (1, 'x|·', 1)"),
                 QStringLiteral("¡ Ya existe el registro !"),
                 QStringLiteral("¡ Ya existe el registro !"));
            fila(e, "marca de parametro",
                 QStringLiteral("SELECT Codigo FROM LISTPRU WHERE Codigo = ?"), parametros,
                 QStringLiteral("la sentencia SQL no es válida: la sentencia termina antes de "
                                "estar completa (línea 1, columna 44)"));
            fila(e, "parametro numerado",
                 QStringLiteral("SELECT Codigo FROM LISTPRU WHERE Codigo = $1"), parametros,
                 QStringLiteral("¡ La sentencia tiene un error de sintaxis !"));
            fila(e, "parametro sin valor",
                 QStringLiteral("SELECT Codigo FROM LISTPRU WHERE Codigo = :x"),
                 QStringLiteral("¡ El parámetro 'x' de la sentencia no tiene valor !"),
                 QStringLiteral("¡ El parámetro 'x' de la sentencia no tiene valor !"));
            // A trigger's body holds its own ";": told as the trigger it is.
            fila(e, "disparador",
                 QStringLiteral(
                     "CREATE TRIGGER t AFTER INSERT ON LISTPRU BEGIN DELETE FROM LISTPRU; END;"),
                 disparador, disparador);
            fila(e, "otro texto del motor", QStringLiteral("SELECT nofunc(Codigo) FROM LISTPRU"),
                 QStringLiteral("Error de la base de datos: no such function: nofunc"),
                 QStringLiteral(
                     "Error de la base de datos: function nofunc(integer) does not exist"));
        }
        // A value of 300 MB: refused before the program holds it.
        NewEngineRow(Engine::Sqlite, "valor de 300 MB")
            << QStringLiteral(
                   "SELECT replace(printf('%.*c', 20000, 'x'), 'x', "
                   "printf('%.*c', 15000, 'y')) AS Texto")
            << QStringLiteral(
                   "la sentencia da en la columna Texto un valor de más de 16 MB, que el "
                   "programa no puede mostrar")
            << true;
        // Also where the engine's printf would give an empty cell, and in a
        // result of several columns: the one past the limit named.
        NewEngineRow(Engine::Sqlite, "valor de 300 MB por printf")
            << QStringLiteral("SELECT printf('%.*c', 300000000, 'x')")
            << QStringLiteral(
                   "la sentencia da en la columna printf('%.*c', 300000000, 'x') un valor de más "
                   "de 16 MB, que el programa no puede mostrar")
            << true;
        NewEngineRow(Engine::Sqlite, "valor de 32 MB en la segunda de tres columnas")
            << QStringLiteral(
                   "SELECT Codigo, replace(printf('%.*c', Codigo * 4000, 'x'), 'x', "
                   "printf('%.*c', 4000, 'y')) AS Texto, Nombre FROM LISTPRU ORDER BY Codigo")
            << QStringLiteral(
                   "la sentencia da en la columna Texto un valor de más de 16 MB, que el "
                   "programa no puede mostrar")
            << false;
        if (AvailableEngines().contains(Engine::Postgres))
            NewEngineRow(Engine::Postgres, "valor de 300 MB")
                << QStringLiteral("SELECT repeat('x', 300000000)")
                << QStringLiteral(
                       "la sentencia da en la columna repeat un valor de más de 16 MB, "
                       "que el programa no puede mostrar")
                << true;
        if (AvailableEngines().contains(Engine::Postgres))
            fila(Engine::Postgres, "valor no valido",
                 QStringLiteral("SELECT Codigo FROM LISTPRU WHERE Codigo = 'a|b'"), QString(),
                 QStringLiteral("¡ El valor 'a|b' no es un número entero válido !"));
    }
    void erroresDelMotor() {
        QFETCH(int, engine);
        QFETCH(QString, sql);
        QFETCH(QString, motivo);
        QFETCH(bool, modificar);
        Entorno x{Engine(engine)};
        x.f->pbModificar->setDown(modificar);
        x.f->pbModificarClick();
        const QString cabecera =
            QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ");
        const qint64 antes = MemoriaMB();
        ReiniciarPicoMemoria();
        const QStringList t = x.ejecutar(sql);
        QVERIFY2(PicoMemoriaMB() - antes < LimiteMemoriaMB(150),
                 qPrintable(QString::number(PicoMemoriaMB() - antes)));
        QCOMPARE(t.filter(cabecera), QStringList{cabecera + motivo});
        for (const auto& m : MessageSeam::log())
            QVERIFY2(m.kind != QLatin1String("E"), qPrintable(m.text));
        QVERIFY(!TerminacionSolicitada());
        QCOMPARE(x.f->SentenciaSQL->Text(), sql);
        QVERIFY(!x.f->QryConsultasSQL->Active());
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM LISTPRU")), QStringLiteral("3"));
        QCOMPARE(x.ejecutar(QStringLiteral("SELECT Codigo FROM LISTPRU ORDER BY Codigo")),
                 QStringList());
        QCOMPARE(x.filas(), (QStringList{"1", "2", "3"}));
    }

    void accionesYModificacion_data() { AddEngineRows(); }
    void accionesYModificacion() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        const QString update = QStringLiteral("UPDATE LISTPRU SET Importe = 10 WHERE Codigo = 1");
        // Up: nothing runs, nothing is said.
        QCOMPARE(x.ejecutar(update), QStringList());
        QCOMPARE(importe(), 12.5);
        // The result itself refuses changes while the switch is up.
        x.ejecutar(QStringLiteral("SELECT Codigo, Nombre FROM LISTPRU ORDER BY Codigo"));
        QVERIFY(x.f->pbExportar->isEnabled());
        QVERIFY(!x.f->QryConsultasSQL->CanModify());
        // Down: the statement runs and the export buttons end disabled.
        x.f->pbModificar->setDown(true);
        x.f->pbModificarClick();
        QVERIFY(x.f->QryConsultasSQL->CanModify());
        // Grouped rows are no table's own rows, even without an aggregate.
        x.ejecutar(QStringLiteral("SELECT Codigo, Nombre FROM LISTPRU GROUP BY Codigo, Nombre"));
        QCOMPARE(x.filas().size(), 3);
        QVERIFY(!x.f->QryConsultasSQL->CanModify());
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, x.f->QryConsultasSQL->Edit());
        // A general table's rows, by any name, are only read: the program's
        // connection would write what a user's statement may not.
        const QString empresas = QStringLiteral("SELECT Codigo, Nombre FROM EMPRESA ORDER BY 1");
        const QString general = SqlPrueba(empresas);
        const QString esquema = engine == int(Engine::Postgres)
                                    ? fGENEINIC->DatabaseGeneral->Params().schema
                                    : QStringLiteral("general");
        for (const QString& s :
             {QStringLiteral("SELECT Codigo, Nombre FROM EMPRESA"),
              QStringLiteral("SELECT Codigo, Nombre FROM %1.EMPRESA").arg(esquema)}) {
            x.ejecutar(s);
            QVERIFY(!x.filas().isEmpty());
            QVERIFY(!x.f->QryConsultasSQL->CanModify());
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, x.f->QryConsultasSQL->Edit());
        }
        QCOMPARE(SqlPrueba(empresas), general);
        QCOMPARE(x.ejecutar(update), QStringList());
        QCOMPARE(importe(), 10.0);
        QVERIFY(!x.f->pbExportar->isEnabled());
        QVERIFY(!x.f->pbExportarExcel->isEnabled());
        // A second statement is refused before anything runs.
        const QStringList m = x.ejecutar(QStringLiteral(
            "UPDATE LISTPRU SET Importe = 20 WHERE Codigo = 1; DELETE FROM LISTPRU"));
        QCOMPARE(m.size(), 1);
        QVERIFY(m.at(0).startsWith(
            QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ")));
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM LISTPRU WHERE Importe = 10")),
                 QStringLiteral("1"));
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM LISTPRU")), QStringLiteral("3"));
        // Also when it hides after a backslash escape or a dollar quote.
        for (const QString& oculta : SentenciasConSegundaOculta("LISTPRU", "Nombre")) {
            const QStringList t = x.ejecutar(oculta);
            QVERIFY2(t.value(0).startsWith(
                         QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ")),
                     qPrintable(t.join('|')));
            QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM LISTPRU")),
                     QStringLiteral("3"));
        }
        // What reaches beyond the database's own rows and tables is refused
        // with its reason and leaves nothing behind: a later update lands.
        const QStringList fuera =
            Engine(engine) == Engine::Sqlite
                ? QStringList{"CREATE TEMP TABLE LISTPRU AS SELECT * FROM main.LISTPRU",
                              "PRAGMA foreign_keys = 0", "BEGIN"}
                : QStringList{"GRANT ALL ON LISTPRU TO PUBLIC",
                              "CREATE RULE r AS ON UPDATE TO LISTPRU DO INSTEAD NOTHING",
                              "NOTIFY canal"};
        for (const QString& sql : fuera) {
            const QStringList t = x.ejecutar(sql);
            QVERIFY2(t.value(0).startsWith(QStringLiteral(
                         "¡No es posible ejecutar la sentencia SQL. Motivo: la sentencia usa ")),
                     qPrintable(t.join('|')));
        }
        QCOMPARE(x.ejecutar(QStringLiteral("UPDATE LISTPRU SET Importe = 11 WHERE Codigo = 1")),
                 QStringList());
        QCOMPARE(importe(), 11.0);
        // A failing statement: the engine's reason, then the window's warning; no result.
        const QStringList fallo = x.ejecutar(QStringLiteral("SELECT Nada FROM LISTPRU"));
        QVERIFY2(fallo.size() >= 2, qPrintable(fallo.join(QLatin1Char('\n'))));
        QVERIFY2(fallo.first().startsWith(
                     QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ")),
                 qPrintable(fallo.join(QLatin1Char('\n'))));
        QCOMPARE(fallo.last(), QStringLiteral("¡No se ha podido ejecutar la sentencia SQL!"));
        QVERIFY(!x.f->QryConsultasSQL->Active());
        QVERIFY(!x.f->pbExportar->isEnabled());
    }

    void guardarYRestringir_data() { AddEngineRows(); }
    void guardarYRestringir() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        QCOMPARE(x.f->SentenciaSQL->Text(), QStringLiteral("SELECT * FROM "));
        // "Guardar" without a description asks for one: an empty answer is
        // refused with the reason, a cancel says nothing; no row either way.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QString());
        x.f->pbGuardarFiltroClick();
        MessageSeam::enqueue(MessageSeam::cancel());
        x.f->pbGuardarFiltroClick();
        QCOMPARE(TextosMostrados().filter(QStringLiteral("¡")),
                 QStringList{QStringLiteral(
                     "¡No es posible grabar la sentencia SQL sin una descripción!")});
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM FILTRO WHERE NombreTabla = 'SQL'")),
                 QStringLiteral("0"));
        // Save as: the new query is selected and loaded.
        x.f->SentenciaSQL->setText(QStringLiteral("SELECT Codigo FROM LISTPRU"));
        x.f->InstruccionesConsulta = {QStringLiteral("Font=Arial,,,10")};
        MessageSeam::enqueue(QStringLiteral("Importes"));
        x.f->pbGuardarFiltroComoClick();
        QCOMPARE(x.f->NombresConsultas(), QStringList{QStringLiteral("Importes")});
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT Filtro FROM FILTRO WHERE NombreTabla = 'SQL'")),
                 QStringLiteral("SELECT Codigo FROM LISTPRU"));
        // The settings keep their order; an emptied key goes.
        x.f->InstruccionesConsulta << QStringLiteral("UsuariosAutorizados=1,5,");
        x.f->InstruccionesConsulta << QStringLiteral("AplicacionesContenedoras=Recursos Humanos,");
        AsignarValorLista(QStringLiteral("Font"), QString(), x.f->InstruccionesConsulta);
        x.f->SentenciaSQL->setText(QStringLiteral("SELECT Nombre FROM LISTPRU"));
        x.f->pbGuardarFiltroClick();
        QCOMPARE(SqlPrueba(QStringLiteral(
                     "SELECT Instrucciones FROM FILTRO WHERE Descripcion = 'Importes'")),
                 QStringLiteral(
                     "UsuariosAutorizados=1,5,\r\nAplicacionesContenedoras=Recursos Humanos,"));
        // A restricted query refuses user 7 at run time.
        const QString antes = CodigoUsuarioActual;
        CodigoUsuarioActual = QStringLiteral("7");
        QCOMPARE(x.ejecutar(QStringLiteral("SELECT Codigo FROM LISTPRU")),
                 QStringList{QStringLiteral("¡Vd. no tiene acceso a la consulta!")});
        QVERIFY(!x.f->QryConsultasSQL->Active());
        CodigoUsuarioActual = QStringLiteral("5");
        QCOMPARE(x.ejecutar(QStringLiteral("SELECT Codigo FROM LISTPRU")), QStringList());
        CodigoUsuarioActual = antes;
        // A second name, then delete: the first row is loaded again.
        x.f->SentenciaSQL->setText(QStringLiteral("SELECT 1"));
        MessageSeam::enqueue(QStringLiteral("Uno"));
        x.f->pbGuardarFiltroComoClick();
        QCOMPARE(x.f->NombresConsultas(),
                 (QStringList{QStringLiteral("Importes"), QStringLiteral("Uno")}));
        QCOMPARE(x.f->EditDescripcionFiltro->Text(), QStringLiteral("Uno"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        x.f->pbEliminarFiltroClick();
        QCOMPARE(x.f->NombresConsultas().size(), 2);
        MessageSeam::enqueue(QStringLiteral("SI"));
        x.f->pbEliminarFiltroClick();
        QCOMPARE(x.f->NombresConsultas(), QStringList{QStringLiteral("Importes")});
        QCOMPARE(x.f->SentenciaSQL->Text(), QStringLiteral("SELECT Nombre FROM LISTPRU"));
        // A name already used is refused by the engine: the warning, no row.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("Importes"));
        x.f->pbGuardarFiltroComoClick();
        QCOMPARE(TextosMostrados().last(), QStringLiteral("¡Imposible grabar el registro!"));
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM FILTRO WHERE NombreTabla = 'SQL'")),
                 QStringLiteral("1"));
    }

    // An endless statement run with F9: the progress window answers while
    // the engine runs it; Esc asks, "SI" goes on, "NO" stops it in the engine
    // (nothing of it left running on the server) and the window says so; the
    // next statement runs.
    void detenerSentencia_data() { AddEngineRows(); }
    void detenerSentencia() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        EscEnProgreso esc;
        const QStringList t = x.ejecutar(kSentenciaSinFin, {"SI", "NO"});
        esc.Parar();
        QCOMPARE(esc.Pulsaciones(), 2);
        QCOMPARE(t, kMensajesSentenciaDetenida);
        QVERIFY(!ProgresoVisible());
        QVERIFY(!x.f->QryConsultasSQL->Active());
        QVERIFY(!x.f->pbImprimir->isEnabled());
        QTRY_COMPARE(SentenciasRecursivasEnServidor(), 0);
        QCOMPARE(x.ejecutar(QStringLiteral("SELECT Codigo FROM LISTPRU ORDER BY Codigo")),
                 QStringList());
        QCOMPARE(x.filas(), (QStringList{"1", "2", "3"}));
    }

    // Table at list position i, its field, an operator and SUM on the last line.
    void inserciones() {
        Entorno x{Engine::Sqlite};
        const int i = int(x.f->LBTablas->Items().indexOf(QStringLiteral("LISTPRU")));
        QVERIFY(i >= 0);
        const QString t = QStringLiteral("T") + QString::number(i);
        x.f->SentenciaSQL->setText(QStringLiteral("SELECT * FROM "));
        x.f->LBTablas->setItemIndex(i);
        x.f->CargaLBCampos();
        x.f->InsertarTabla();
        QCOMPARE(x.f->SentenciaSQL->Text(),
                 QStringLiteral("SELECT * FROM LISTPRU ") + t + QLatin1Char(' '));
        x.f->SentenciaSQL->setText(QStringLiteral("SELECT "));
        x.f->LBCampos->setItemIndex(int(x.f->LBCampos->Items().indexOf(QStringLiteral("Nombre"))));
        x.f->InsertarCampo();
        QCOMPARE(x.f->SentenciaSQL->Text(),
                 QStringLiteral("SELECT ") + t + QStringLiteral(".Nombre, "));
        x.f->LBComandosSQL->setItemIndex(
            int(x.f->LBComandosSQL->Items().indexOf(QStringLiteral("FROM"))));
        x.f->InsertarComando();
        QCOMPARE(x.f->SentenciaSQL->Lines(),
                 (QStringList{QStringLiteral("SELECT ") + t + QStringLiteral(".Nombre "),
                              QStringLiteral("    FROM ")}));
        x.f->SentenciaSQL->setText(QStringLiteral("SELECT "));
        x.f->LBCampos->setItemIndex(int(x.f->LBCampos->Items().indexOf(QStringLiteral("Importe"))));
        x.f->LBComandosSQL->setItemIndex(
            int(x.f->LBComandosSQL->Items().indexOf(QStringLiteral("SUM( )"))));
        x.f->InsertarComando();
        QCOMPARE(x.f->SentenciaSQL->Text(),
                 QStringLiteral("SELECT SUM(") + t + QStringLiteral(".Importe), "));
        x.f->LBOperacion->setItemIndex(0);
        x.f->InsertarOperacion();
        QCOMPARE(x.f->SentenciaSQL->Text(),
                 QStringLiteral("SELECT SUM(") + t + QStringLiteral(".Importe) = "));
    }

    // "Cambio de Base de Datos" opens the database of a company the user may
    // open, whatever the answer calls it, and nothing else, for every user:
    // not another company's, not the general one under any name (a link,
    // "..", its alias or selector) nor, on PostgreSQL, public,
    // information_schema or pg_catalog. A refusal opens, creates and grants
    // nothing, and leaves the editor's database as it was, as a cancel and an
    // empty answer do. A user with companies 1 and 2 reaches company 2's
    // table, under its role where roles are in effect, and nothing beyond it.
    void cambioBaseDatos_data() { FilasMotorYLogin(); }
    void cambioBaseDatos() {
        QFETCH(int, engine);
        QFETCH(QByteArray, login);
        const Engine motor = Engine(engine);
        const TConnectionParams servidor =
            motor == Engine::Postgres ? PostgresServerParams() : TConnectionParams();
        ComoLoginPg comoLogin(login);
        Entorno x{motor};
        TestInstalacion& inst = x.e.inst;
        for (int c : {2, 3}) inst.CrearEmpresa(c);
        const QString dos = QLatin1Char('?') + NombreBaseDatosEmpresa(fGENEINIC, 2);
        {
            // Company 2's table, made by the program as for any company.
            TDatabase* db = TSession::instance().FindDatabase(dos);
            db->Execute(
                QStringLiteral("CREATE TABLE OTRA (a INTEGER PRIMARY KEY, b VARCHAR(10), "
                               "Secreto VARCHAR(10))"));
            db->Execute(QStringLiteral("INSERT INTO OTRA VALUES (1, 'dos', 'clave')"));
            TSession::instance().CloseDirectDatabases();
        }
        const QString ocultosAntes = CamposNoVisiblesUsuario;
        CamposNoVisiblesUsuario = QStringLiteral("Secreto");
        const auto restaurar = qScopeGuard([&] { CamposNoVisiblesUsuario = ocultosAntes; });
        const QString general = motor == Engine::Sqlite
                                    ? inst.carpetaGeneral()
                                    : fGENEINIC->DatabaseGeneral->Params().schema;
        const QString empresas = QStringLiteral("SELECT Codigo || '|' || Nombre FROM %1EMPRESA");
        const QStringList empresasAntes = FilasFuera(motor, general, empresas);
        const QString otra = QStringLiteral("SELECT b FROM %1OTRA ORDER BY a");
        // Roles, owners and rights the server keeps, read from outside.
        const QString baseServidor = fGENEINIC->Database->Params().database;
        QStringList roles;
        for (const QString& e : {QStringLiteral("information_schema"), QStringLiteral("public"),
                                 QStringLiteral("pg_catalog"), general, inst.ubicacionEmpresa(3)})
            roles << QLatin1Char('\'') + PgUsersRoleName(baseServidor, e) + QLatin1Char('\'');
        const QString esquemas = QStringLiteral("'public', 'information_schema', 'pg_catalog', '") +
                                 general + QStringLiteral("', '") + inst.ubicacionEmpresa(3) +
                                 QLatin1Char('\'');
        auto estadoServidor = [&]() -> QStringList {
            if (motor != Engine::Postgres) return {};
            return RunOutside(
                servidor,
                QStringLiteral(
                    "SELECT (SELECT count(*) FROM pg_roles WHERE rolname IN (%1))::text || '/' || "
                    "(SELECT string_agg(DISTINCT n.nspname || ':' || pg_get_userbyid(c.relowner), "
                    "',' ORDER BY n.nspname || ':' || pg_get_userbyid(c.relowner)) FROM pg_class c "
                    "JOIN pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname IN (%2)) || "
                    "'/' || (SELECT string_agg(nspname || ':' || pg_get_userbyid(nspowner) || ':' "
                    "|| coalesce(nspacl::text, ''), ',' ORDER BY nspname) FROM pg_namespace WHERE "
                    "nspname IN (%2)) || '/' || (SELECT count(*) FROM pg_class WHERE "
                    "relnamespace = 'public'::regnamespace)")
                    .arg(roles.join(QLatin1Char(',')), esquemas));
        };
        const QStringList servidorAntes = estadoServidor();
        const QString propia = x.f->BaseDatosConsulta;
        const QString cabecera =
            QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ");
        auto cambiar = [&](const QString& respuesta) {
            MessageSeam::clearLog();
            MessageSeam::enqueue(respuesta);
            x.f->pbCambioDatabaseClick();
            return TextosMostrados().filter(QStringLiteral("¡"));
        };
        auto rechazo = [](const QString& respuesta) {
            return QStringList{QStringLiteral("¡No es posible abrir la Base de Datos! Motivo: «") +
                               respuesta.trimmed() +
                               QStringLiteral("» no es la base de datos de ninguna de las "
                                              "empresas a las que Vd. tiene acceso")};
        };

        CrearUsuarioPrueba(QStringLiteral("PEPE"), QStringLiteral("Normal"), QStringLiteral("1"));
        QStringList rechazadas{dos,
                               QLatin1Char('?') + NombreBaseDatosEmpresa(fGENEINIC, 3),
                               QStringLiteral("DatabaseGeneral"),
                               QStringLiteral(" ?DatabaseGeneral "),
                               inst.aliasGeneral(),
                               inst.aliasEmpresa(),
                               QLatin1Char('?') + general,
                               QStringLiteral("?nada")};
        const QString nueva = inst.carpeta() + QStringLiteral("/NUEVA");
        if (motor == Engine::Sqlite) {
            const QString relativa = QDir::current().relativeFilePath(general);
            QVERIFY(QFile::link(general, inst.carpeta() + QStringLiteral("/enlace")));
            QVERIFY(QDir().mkpath(nueva));
            rechazadas << QStringLiteral("?/proc/self/cwd/") + relativa
                       << QLatin1Char('?') + general + QStringLiteral("/1/..")
                       << QLatin1Char('?') + inst.carpeta() + QStringLiteral("/enlace")
                       << QLatin1Char('?') + nueva;
        } else {
            rechazadas << QStringLiteral("?information_schema") << QStringLiteral("?public")
                       << QStringLiteral("?pg_catalog") << QStringLiteral("?PG_CATALOG")
                       << QLatin1Char('?') + general.toUpper();
        }
        for (const QString& usuario : {QStringLiteral("PEPE"), QStringLiteral("ADMIN")}) {
            ComoUsuario como(usuario);
            for (const QString& r : std::as_const(rechazadas)) {
                QCOMPARE(cambiar(r), rechazo(r));
                QCOMPARE(x.f->BaseDatosConsulta, propia);
            }
            // A cancel and an empty answer change nothing and say nothing.
            for (const QString& r : {MessageSeam::cancel(), QString(), QStringLiteral("  ")}) {
                QCOMPARE(cambiar(r), QStringList());
                QCOMPARE(x.f->BaseDatosConsulta, propia);
            }
        }
        {
            // The editor still works on company 1: company 2's rows and the
            // general EMPRESA are out of its reach.
            ComoUsuario como(QStringLiteral("PEPE"));
            x.f->pbModificar->setDown(true);
            x.f->pbModificarClick();
            QVERIFY(
                !x.ejecutar(QStringLiteral("UPDATE OTRA SET b = 'X'")).filter(cabecera).isEmpty());
            QVERIFY(!x.ejecutar(QStringLiteral("UPDATE EMPRESA SET Nombre = 'X' WHERE Codigo = 2"))
                         .filter(cabecera)
                         .isEmpty());
            QCOMPARE(x.ejecutar(QStringLiteral("CREATE TABLE HX (a INTEGER)")), QStringList());
        }
        QCOMPARE(FilasFuera(motor, inst.ubicacionEmpresa(2), otra), QStringList{"dos"});
        QCOMPARE(FilasFuera(motor, general, empresas), empresasAntes);
        QCOMPARE(estadoServidor(), servidorAntes);
        if (motor == Engine::Sqlite) QVERIFY(QDir(nueva).isEmpty());

        // Companies 1 and 2: company 2's table, under any name of its folder.
        CrearUsuarioPrueba(QStringLiteral("PEPE"), QStringLiteral("Normal"),
                           QStringLiteral("1\r\n2"));
        ComoUsuario como(QStringLiteral("PEPE"));
        QStringList aceptadas{dos, QStringLiteral(" ") + dos.toUpper() + QStringLiteral(" ")};
        if (motor == Engine::Sqlite) {
            aceptadas.removeLast();  // folders are told by case
            QVERIFY(QFile::link(inst.ubicacionEmpresa(2), inst.carpeta() + QStringLiteral("/dos")));
            aceptadas << QStringLiteral("?/proc/self/cwd/") +
                             QDir::current().relativeFilePath(inst.ubicacionEmpresa(2))
                      << QLatin1Char('?') + inst.carpeta() + QStringLiteral("/dos");
        }
        for (const QString& r : std::as_const(aceptadas)) {
            QCOMPARE(cambiar(QStringLiteral("Database")), QStringList());
            QCOMPARE(x.f->BaseDatosConsulta, propia);
            QCOMPARE(cambiar(r), QStringList());
            QCOMPARE(x.f->BaseDatosConsulta, dos);
            QVERIFY(x.f->LBTablas->Items().contains(QStringLiteral("OTRA"), Qt::CaseInsensitive));
        }
        QCOMPARE(x.ejecutar(QStringLiteral("SELECT b FROM OTRA")), QStringList());
        QCOMPARE(x.filas(), QStringList{"dos"});
        // Its hidden field stays hidden.
        x.ejecutar(QStringLiteral("SELECT Secreto FROM OTRA"));
        QVERIFY(!x.filas().contains(QStringLiteral("clave")));
        QVERIFY(!TextosMostrados().join(QLatin1Char('|')).contains(QLatin1String("clave")));
        QCOMPARE(x.ejecutar(QStringLiteral("UPDATE OTRA SET b = 'X'")), QStringList());
        QCOMPARE(FilasFuera(motor, inst.ubicacionEmpresa(2), otra), QStringList{"X"});
        // Nothing beyond it: the general database, company 1, company 3.
        QStringList fuera{QStringLiteral("UPDATE EMPRESA SET Nombre = 'X' WHERE Codigo = 2"),
                          QStringLiteral("SELECT Codigo FROM LISTPRU")};
        if (motor == Engine::Postgres)
            fuera << QStringLiteral("SELECT Codigo FROM %1.LISTPRU").arg(inst.ubicacionEmpresa(1))
                  << QStringLiteral("CREATE TABLE %1.HY (a int)").arg(inst.ubicacionEmpresa(3));
        for (const QString& sql : std::as_const(fuera)) {
            QVERIFY2(!x.ejecutar(sql).filter(cabecera).isEmpty(), qPrintable(sql));
            QCOMPARE(x.filas(), QStringList());
        }
        // A table of another company named is refused, and the program goes on.
        QVERIFY(!TerminacionSolicitada());
        QCOMPARE(cambiar(QLatin1Char('?') + NombreBaseDatosEmpresa(fGENEINIC, 3)),
                 rechazo(QLatin1Char('?') + NombreBaseDatosEmpresa(fGENEINIC, 3)));
        QCOMPARE(x.f->BaseDatosConsulta, dos);
        QCOMPARE(FilasFuera(motor, general, empresas), empresasAntes);
        if (motor == Engine::Postgres) {
            // Company 2's role where the login may create roles, else the login.
            QCOMPARE(x.ejecutar(QStringLiteral("SELECT CAST(current_user AS varchar(63))")),
                     QStringList());
            const QString esperado = login == "RH_PG_PLAIN_ROLE"
                                         ? qEnvironmentVariable("RH_PG_PLAIN_ROLE")
                                         : PgUsersRoleName(baseServidor, inst.ubicacionEmpresa(2));
            QCOMPARE(x.filas(), QStringList{esperado});
            QString error;
            RunOutside(servidor,
                       QStringLiteral("SELECT count(*) FROM %1.hy").arg(inst.ubicacionEmpresa(3)),
                       &error);
            QVERIFY(!error.isEmpty());
        }
        QCOMPARE(estadoServidor(), servidorAntes);
    }

    // SQLite compares the columns of USING and NATURAL JOIN itself: through
    // the editor, a Normal user gets no hidden value and no password
    // however the statement compares them; a count and visible fields run.
    void comparadoPorElMotor() {
        Entorno x{Engine::Sqlite};
        const QString ocultosAntes = CamposNoVisiblesUsuario;
        CamposNoVisiblesUsuario = QStringLiteral("Importe");
        const auto restaurar = qScopeGuard([&] { CamposNoVisiblesUsuario = ocultosAntes; });
        CrearUsuarioPrueba(QStringLiteral("PEPE"), QStringLiteral("Normal"), QStringLiteral("1"));
        ComoUsuario como(QStringLiteral("PEPE"));
        const QString cabecera =
            QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ");
        const QString serie = QStringLiteral(
            "WITH RECURSIVE c(Importe, v) AS (SELECT 0.5, 0.5 UNION ALL SELECT Importe + 0.5, v + "
            "0.5 FROM c WHERE Importe < 50) ");
        const QStringList ocultas{
            serie + QStringLiteral("SELECT c.v FROM LISTPRU P JOIN c USING (Importe)"),
            QStringLiteral("SELECT Nombre FROM LISTPRU NATURAL JOIN (SELECT 12.5 AS Importe)"),
            serie + QStringLiteral("SELECT Codigo FROM LISTPRU WHERE Codigo IN (SELECT Codigo FROM "
                                   "LISTPRU JOIN c USING (Importe) WHERE c.v > 20)")};
        for (const QString& sql : ocultas) {
            QCOMPARE(x.ejecutar(sql).filter(cabecera),
                     QStringList{cabecera + HiddenFieldReason(QStringLiteral("Importe"))});
            QCOMPARE(x.filas(), QStringList());
        }
        QCOMPARE(x
                     .ejecutar(QStringLiteral(
                         "WITH RECURSIVE n(Codigo, ClaveAcceso, v) AS (SELECT 'ADMIN', '0000', 0 "
                         "UNION ALL SELECT 'ADMIN', printf('%04d', v + 1), v + 1 FROM n WHERE v < "
                         "9999) SELECT c.v FROM USUARIO JOIN n c USING (Codigo, ClaveAcceso)"))
                     .filter(cabecera),
                 QStringList{cabecera + UsersTableReason()});
        QCOMPARE(x.filas(), QStringList());
        QCOMPARE(x.ejecutar(QStringLiteral("SELECT COUNT(*) FROM LISTPRU")), QStringList());
        QCOMPARE(x.filas(), QStringList{"3"});
        QCOMPARE(x.ejecutar(QStringLiteral("SELECT Nombre FROM LISTPRU WHERE Codigo = 1")),
                 QStringList());
        QCOMPARE(x.filas(), QStringList{"Ana"});
    }

    // The saved reports, queries and filters other users run are an
    // administrator's to change by statement: a user's statement that
    // writes FILTRO under any spelling, through a view or a table under it,
    // is refused naming the table, and a result over it is not written
    // back; the row stays as it was for every other session. The window's
    // own save stays the user's, and an administrator's statement runs.
    void filtroSoloAdministradores_data() { FilasMotorYLogin(); }
    void filtroSoloAdministradores() {
        QFETCH(int, engine);
        QFETCH(QByteArray, login);
        const Engine motor = Engine(engine);
        ComoLoginPg comoLogin(login);
        Entorno x{motor};
        SqlPrueba(QStringLiteral(
            "INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro, Instrucciones) VALUES "
            "('GeneradorInformes', 'Plantilla', 'SELECT Codigo FROM LISTPRU', "
            "'UsuariosAutorizados=ADMIN,')"));
        const QString filtro = QStringLiteral(
            "SELECT NombreTabla || '|' || Descripcion || '|' || Filtro || '|' || Instrucciones "
            "FROM FILTRO ORDER BY 1");
        const QStringList antes = FilasEnOtraSesion(filtro);
        const QString esquema = fGENEINIC->Database->Params().schema;
        CrearUsuarioPrueba(QStringLiteral("PEPE"), QStringLiteral("Normal"), QStringLiteral("1"));
        const QString cambio = QStringLiteral(
            "SET Filtro = 'SELECT CodigoOperario AS Cambiado FROM PERSONAL' WHERE NombreTabla = "
            "'GeneradorInformes'");
        QStringList sentencias{
            QStringLiteral("UPDATE FILTRO ") + cambio,
            QStringLiteral("update filtro ") + cambio,
            QStringLiteral("UPDATE \"filtro\" ") + cambio,
            QStringLiteral("DELETE FROM Filtro"),
            QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro) VALUES ('SQL', "
                           "'Nueva', 'SELECT 1')"),
            QStringLiteral("DROP TABLE FILTRO"),
            QStringLiteral("ALTER TABLE FILTRO ADD COLUMN Z INTEGER"),
            QStringLiteral("CREATE INDEX IXF ON FILTRO (Descripcion)")};
        if (motor == Engine::Sqlite) {
            sentencias << QStringLiteral("UPDATE main.FILTRO ") + cambio
                       << QStringLiteral("WITH t AS (SELECT 1) UPDATE [FILTRO] ") + cambio
                       << QStringLiteral("REPLACE INTO FILTRO SELECT * FROM FILTRO");
        } else {
            sentencias << QStringLiteral("UPDATE %1.filtro ").arg(esquema) + cambio
                       << QStringLiteral("WITH t AS (UPDATE filtro ") + cambio +
                              QStringLiteral(" RETURNING 1) SELECT * FROM t")
                       << QStringLiteral("TRUNCATE filtro")
                       << QStringLiteral("CREATE TABLE HIJA () INHERITS (filtro)");
        }
        ComoUsuario como(QStringLiteral("PEPE"));
        x.f->pbModificar->setDown(true);
        x.f->pbModificarClick();
        const QString rechazo =
            QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ") +
            ProtectedTableReason(QStringLiteral("FILTRO"));
        for (const QString& sql : std::as_const(sentencias))
            QCOMPARE(x.ejecutar(sql).value(0), rechazo);
        if (motor == Engine::Postgres) {
            // A view of the user's over it is made, and never written through.
            QCOMPARE(x.ejecutar(QStringLiteral("CREATE VIEW VF AS SELECT * FROM FILTRO")),
                     QStringList());
            QCOMPARE(x.ejecutar(QStringLiteral("UPDATE VF ") + cambio).value(0), rechazo);
        }
        // Read it may, and its result is not written back.
        QCOMPARE(x.ejecutar(QStringLiteral("SELECT * FROM FILTRO WHERE NombreTabla = "
                                           "'GeneradorInformes'")),
                 QStringList());
        QCOMPARE(x.filas(), QStringList{"GeneradorInformes"});
        QVERIFY(!x.f->QryConsultasSQL->CanModify());
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, x.f->QryConsultasSQL->Edit());
        QCOMPARE(FilasEnOtraSesion(filtro), antes);
        // The window's own save is the user's.
        x.f->SentenciaSQL->setText(QStringLiteral("SELECT 2"));
        MessageSeam::enqueue(QStringLiteral("De Pepe"));
        x.f->pbGuardarFiltroComoClick();
        QCOMPARE(PrimeroEnOtraSesion(
                     QStringLiteral("SELECT Filtro FROM FILTRO WHERE Descripcion = 'De Pepe'")),
                 QStringLiteral("SELECT 2"));
        // An administrator's statement runs, and his result is written back.
        CodigoUsuarioActual = QStringLiteral("ADMIN");
        QCOMPARE(x.ejecutar(QStringLiteral("UPDATE FILTRO ") + cambio), QStringList());
        QCOMPARE(PrimeroEnOtraSesion(QStringLiteral(
                     "SELECT Filtro FROM FILTRO WHERE NombreTabla = 'GeneradorInformes'")),
                 QStringLiteral("SELECT CodigoOperario AS Cambiado FROM PERSONAL"));
        x.ejecutar(QStringLiteral("SELECT * FROM FILTRO"));
        QVERIFY(x.f->QryConsultasSQL->CanModify());
    }

    // A user whose access to the window is "Solo Lectura" finds the
    // modification switch up and disabled: only queries run. Not being an
    // administrator, he cannot restrict or place queries nor copy one's
    // settings over the others (a restriction would be lifted).
    void soloLectura() {
        EmpresaPrueba e(Engine::Sqlite);
        SqlPrueba(
            QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro, "
                           "Instrucciones) VALUES ('SQL', 'Abierta', 'SELECT 1', '')"));
        SqlPrueba(QStringLiteral(
            "INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro, Instrucciones) VALUES "
            "('SQL', 'Cerrada', 'SELECT 2', 'UsuariosAutorizados=1,')"));
        TQuery q;
        q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("DatabaseGeneral")));
        q.SQL().setText(QStringLiteral(
            "INSERT INTO USUARIO (Codigo, Nombre, Categoria, Configuracion, ProgramasSoloLectura, "
            "Empresas) VALUES ('PEPE', 'PEPE', 'Normal', '', 'Consultas SQL', '1')"));
        q.ExecSQL();
        const QString antes = CodigoUsuarioActual;
        CodigoUsuarioActual = QStringLiteral("PEPE");
        std::unique_ptr<TfGENECSQL> f(
            static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
        QVERIFY(!f->pbModificar->isEnabled());
        QVERIFY(!f->pbModificar->Down());
        for (TSpeedButton* b :
             {f->pbRestringirAUsuarios, f->pbPersonalizarMenu, f->pbCopiarConfiguracion})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->pbCopiarConfiguracionClick();
        CodigoUsuarioActual = antes;
        QCOMPARE(TextosMostrados(),
                 QStringList{QStringLiteral("¡Es necesario ser un usuario con categoría de "
                                            "Administrador para realizar este proceso!")});
        MessageSeam::clearLog();
        QCOMPARE(SqlPrueba(QStringLiteral(
                     "SELECT Instrucciones FROM FILTRO WHERE Descripcion = 'Cerrada'")),
                 QStringLiteral("UsuariosAutorizados=1,"));
    }
};

QTEST_MAIN(TestGeneCsql)
#include "tst_genecsql.moc"
