// The saved-query runner on a real installation: the parameter panel, values
// bound one per edit, action statements, checks of the values, edits saved
// only on request (and kept when the engine refuses them), unknown names.

#include <QtTest>

#include "db/clientdataset.h"
#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sqllexis.h"
#include "gene/data/geneexpt.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/listings/genecsql.h"
#include "gene/listings/genecsql_rejilla.h"
#include "gene/listings/geneprog.h"
#include "gene/listings/geneusql.h"
#include "gene/session/geneinic.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/esperaprueba.h"
#include "support/lineasprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/registry.h"

namespace {

struct Entorno {
    explicit Entorno(Engine motor) : e(motor), motor(motor) {
        SqlPrueba(
            QStringLiteral("CREATE TABLE LISTPRU (Codigo INTEGER PRIMARY KEY, "
                           "Nombre VARCHAR(40), Importe FLOAT)"));
        SqlPrueba(QStringLiteral("INSERT INTO LISTPRU VALUES (1, 'A|B', 12.5)"));
        SqlPrueba(QStringLiteral("INSERT INTO LISTPRU VALUES (2, 'D''Ors', 3)"));
        SqlPrueba(QStringLiteral("INSERT INTO LISTPRU VALUES (3, 'Luis', 40)"));
        // FILTRO is made on its first reading.
        SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM FILTRO"));
        f = static_cast<TfGENEUSQL*>(CreateForm(QStringLiteral("TfGENEUSQL")));
    }
    ~Entorno() { delete f; }
    void abrir(const QString& sql) {
        SqlPrueba(QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro) VALUES "
                                 "('SQL', 'Prueba', ") +
                  Entrecomillar(sql) + QStringLiteral(")"));
        MessageSeam::clearLog();
        f->AbrirConsultaSQL(QStringLiteral("Prueba"));
    }
    QStringList filas() {
        QStringList l;
        TClientDataSet* d = f->ClientDataSet1;
        if (!d->Active()) return l;
        for (d->First(); !d->Eof(); d->Next()) l << d->Fields()[0]->AsString();
        return l;
    }
    EmpresaPrueba e;
    Engine motor;
    QPointer<TfGENEUSQL> f;
};

}  // namespace

class TestGeneUsql : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { InstalarConsultasSQL(); }

    void panel_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QSize>("interno");
        QTest::addColumn<QStringList>("visibles");
        QTest::newRow("una") << "SELECT Codigo FROM LISTPRU WHERE Nombre = :$Nombre"
                             << QSize(325, 26) << QStringList{"Nombre"};
        QTest::newRow("repetida oculta")
            << "SELECT Codigo FROM LISTPRU WHERE Nombre = :$Nombre AND Codigo = :#Codigo OR "
               "Nombre = :$Nombre"
            << QSize(573, 26) << QStringList{"Nombre", "Codigo"};
        QTest::newRow("tres") << "SELECT Codigo FROM LISTPRU WHERE Nombre = :$Nombre AND Codigo "
                                 "= :#Codigo AND Importe > :#ImporteMinimo"
                              << QSize(494, 50)
                              << QStringList{"Nombre", "Codigo", "Importe Minimo"};
        QTest::newRow("cuatro") << "SELECT Codigo FROM LISTPRU WHERE Nombre = :$A AND Codigo = "
                                   ":#B AND Importe > :#C AND Codigo < :#D"
                                << QSize(573, 50) << QStringList{"A", "B", "C", "D"};
    }
    void panel() {
        QFETCH(QString, sql);
        QFETCH(QSize, interno);
        QFETCH(QStringList, visibles);
        Entorno x(Engine::Sqlite);
        x.abrir(sql);
        QCOMPARE(QSize(x.f->PanelParametrosInterno->Width(), x.f->PanelParametrosInterno->Height()),
                 interno);
        QCOMPARE(x.f->PanelParametros->Height(), interno.height() + 30);
        // The splitter between the parameters and the grid.
        QCOMPARE(x.f->Separador->count(), 2);
        QCOMPARE(x.f->Separador->widget(0), x.f->PanelParametros);
        QCOMPARE(x.f->Separador->widget(1), x.f->PanelGrid);
        QStringList etiquetas;
        for (TLabel* l : x.f->EtiquetasParametros)
            if (!l->isHidden()) etiquetas << l->text();
        QCOMPARE(etiquetas, visibles);
        QCOMPARE(x.f->LBPanelParametros->text(),
                 QStringLiteral("Introduzca los valores para la consulta"));
        QVERIFY(!x.f->ClientDataSet1->Active());
        QCOMPARE(x.f->WindowState(), wsNormal);
    }

    void ejecucion_data() { AddEngineRows(); }
    void ejecucion() {
        QFETCH(int, engine);
        {
            // A "|" typed in a value stays in it; the repeat copies the first edit.
            Entorno x{Engine(engine)};
            x.abrir(QStringLiteral(
                "SELECT Codigo FROM LISTPRU WHERE (Nombre = :$Nombre OR Nombre = :$Nombre) AND "
                "Codigo < :#Hasta"));
            x.f->EditoresParametros[0]->setText(QStringLiteral("A|B"));
            x.f->EditoresParametros[2]->setText(QStringLiteral("3"));
            QCOMPARE(x.f->EjecutarConsultaSQL(), QString());
            QCOMPARE(x.f->EditoresParametros[1]->Text(), QStringLiteral("A|B"));
            QCOMPARE(x.filas(), QStringList{QStringLiteral("1")});
            // 3,5 is a real; a text that is no number stops the run with its message.
            x.f->EditoresParametros[2]->setText(QStringLiteral("3,5"));
            QCOMPARE(x.f->EjecutarConsultaSQL(), QString());
            MessageSeam::clearLog();
            x.f->EditoresParametros[2]->setText(QStringLiteral("tres"));
            QCOMPARE(x.f->EjecutarConsultaSQL(), QStringLiteral("Error: Validación Incorrecta"));
            QCOMPARE(TextosMostrados().size(), 1);
            QVERIFY(TextosMostrados().first().contains(QStringLiteral("Hasta")));
        }
        {
            // An action statement with variables: the process heading, no grid.
            Entorno x{Engine(engine)};
            x.abrir(
                QStringLiteral("UPDATE LISTPRU SET Importe = :#Importe WHERE Codigo = :#Codigo"));
            QCOMPARE(x.f->LBPanelParametros->text(),
                     QStringLiteral("Introduzca los datos para realizar el proceso"));
            QVERIFY(x.f->PanelGrid->isHidden());
            x.f->EditoresParametros[0]->setText(QStringLiteral("7"));
            x.f->EditoresParametros[1]->setText(QStringLiteral("2"));
            MessageSeam::clearLog();
            QCOMPARE(x.f->EjecutarConsultaSQL(), QString());
            QCOMPARE(TextosMostrados(),
                     QStringList{QStringLiteral("El proceso ha finalizado correctamente")});
            QCOMPARE(SqlPrueba(QStringLiteral("SELECT Importe FROM LISTPRU WHERE Codigo = 2")),
                     QStringLiteral("7"));
        }
        {
            // Without variables an action runs at opening; a second statement never.
            Entorno x{Engine(engine)};
            x.abrir(QStringLiteral("DELETE FROM LISTPRU WHERE Codigo = 3"));
            QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM LISTPRU")),
                     QStringLiteral("2"));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!x.f);
            x.f = static_cast<TfGENEUSQL*>(CreateForm(QStringLiteral("TfGENEUSQL")));
            SqlPrueba(QStringLiteral("DELETE FROM FILTRO"));
            x.abrir(QStringLiteral("SELECT Codigo FROM LISTPRU; DELETE FROM LISTPRU"));
            QVERIFY(TextosMostrados().value(0).startsWith(
                QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ")));
            QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM LISTPRU")),
                     QStringLiteral("2"));
        }
        {
            // An unknown name leaves the window empty.
            Entorno x{Engine(engine)};
            MessageSeam::clearLog();
            x.f->AbrirConsultaSQL(QStringLiteral("No existe"));
            QCOMPARE(x.f->SentenciaConsulta, QString());
            QCOMPARE(x.f->Caption(), QStringLiteral("No existe"));
            QCOMPARE(x.f->WindowState(), wsMinimized);
            QCOMPARE(TextosMostrados(), QStringList());
        }
    }

    // Answers are values: one that would close its list, or that holds
    // another variable, selects the rows it names beside numbers and texts.
    void respuestasComoValores_data() { AddEngineRows(); }
    void respuestasComoValores() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        x.abrir(QStringLiteral(
            "SELECT Codigo FROM LISTPRU WHERE Nombre IN ( :*A ) AND Nombre IN ( :*B ) AND "
            "Codigo >= :#Desde AND Nombre <> :$Salvo ORDER BY Codigo"));
        const auto ejecutar = [&x](const QStringList& valores) {
            for (int i = 0; i < valores.size(); ++i)
                x.f->EditoresParametros[i]->setText(valores.at(i));
            return x.f->EjecutarConsultaSQL();
        };
        QCOMPARE(ejecutar({"N1:*B", ") OR 1=1 OR LISTPRU.Nombre IN (", "0", "Nadie"}), QString());
        QCOMPARE(x.filas(), QStringList());
        QCOMPARE(ejecutar({"Luis,A|B,N1:*B:$Salvo", "Luis,A|B", "1", "A|B"}), QString());
        QCOMPARE(x.filas(), QStringList{"3"});
    }

    // A field hidden from the user ("Importe") is read as NULL under a LIKE
    // or GLOB pattern answered by the user (the engine prepares such a
    // statement again as it starts): every row comes, none with a value.
    void ocultoBajoPatron_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("patron");
        for (Engine m : AvailableEngines()) {
            NewEngineRow(m, "star under LIKE")
                << "SELECT * FROM LISTPRU WHERE Nombre LIKE :$Nombre ORDER BY Codigo"
                << "%";
            if (m != Engine::Sqlite) continue;  // PostgreSQL refuses the other names
            NewEngineRow(m, "alias under LIKE") << "SELECT Codigo, Importe AS Cantidad FROM "
                                                   "LISTPRU WHERE Nombre LIKE :$Nombre ORDER BY 1"
                                                << "%";
            NewEngineRow(m, "text under GLOB")
                << "SELECT Codigo, CAST(Importe AS TEXT) AS t FROM LISTPRU WHERE Nombre GLOB "
                   ":$Nombre ORDER BY 1"
                << "*";
        }
    }
    void ocultoBajoPatron() {
        QFETCH(int, engine);
        QFETCH(QString, sql);
        QFETCH(QString, patron);
        Entorno x{Engine(engine)};
        CamposNoVisiblesUsuario = QStringLiteral("Importe");
        const auto visibles = qScopeGuard([] { CamposNoVisiblesUsuario.clear(); });
        x.abrir(sql);
        x.f->EditoresParametros[0]->setText(patron);
        QCOMPARE(x.f->EjecutarConsultaSQL(), QString());
        QCOMPARE(x.filas(), (QStringList{"1", "2", "3"}));
        TClientDataSet* d = x.f->ClientDataSet1;
        for (d->First(); !d->Eof(); d->Next())
            QVERIFY2(d->Fields()[d->FieldCount() - 1]->IsNull(),
                     qPrintable(d->Fields()[d->FieldCount() - 1]->AsString()));
    }

    // An error that escapes the run (here from the result's own handler):
    // neither the progress window "Consulta SQL" nor the status text stays.
    void errorEscapado_data() { AddEngineRows(); }
    void errorEscapado() {
        QFETCH(int, engine);
        const auto falla = [](TDataSet*) {
            throw EDatabaseError(DbError::General, QStringLiteral("Sin memoria"));
        };
        const auto escapa = [](const std::function<void()>& ejecucion) {
            try {
                ejecucion();
            } catch (const EDatabaseError&) {
                return true;
            }
            return false;
        };
        {
            Entorno x{Engine(engine)};
            x.f->ClientDataSet1->AfterOpen = falla;
            QVERIFY(escapa([&] { x.abrir(QStringLiteral("SELECT Codigo FROM LISTPRU")); }));
            QVERIFY(!ProgresoVisible());
        }
        Entorno y{Engine(engine)};
        y.abrir(QStringLiteral("SELECT Codigo FROM LISTPRU WHERE Codigo < :#Hasta"));
        y.f->EditoresParametros[0]->setText(QStringLiteral("9"));
        y.f->ClientDataSet1->AfterOpen = falla;
        QVERIFY(escapa([&] { y.f->EjecutarConsultaSQL(); }));
        QCOMPARE(y.f->StatusBar1->SimpleText(), QString());
    }

    // An endless statement runs under the progress window, which answers:
    // Esc asks the usual question, "SI" goes on, "NO" stops it in the engine
    // and the window says so; the program and its connection go on.
    void detenerSentencia_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("resto");
        const QString sinFin = QStringLiteral(
            "FROM (WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) SELECT n FROM "
            "r) s");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "count") << QStringLiteral("SELECT count(*) ") + sinFin << false;
            // The first rows show at once; the rest is read, under the
            // window, when the program needs the connection (PostgreSQL: the
            // table whole).
            NewEngineRow(e, "rows") << QStringLiteral("SELECT n, 'Łódź|·' AS t ") + sinFin << true;
        }
    }
    void detenerSentencia() {
        QFETCH(QString, sql);
        QFETCH(bool, resto);
        Entorno x{CurrentEngine()};
        const QString pregunta = kPreguntaCancelarListado;
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        EscEnProgreso esc;
        x.abrir(sql);
        if (resto) {
            QVERIFY2(x.f->ClientDataSet1->Active(), qPrintable(TextosMostrados().join("/")));
            QCOMPARE(x.f->ClientDataSet1->FieldCount(), 2);
            QCOMPARE(x.f->ClientDataSet1->Fields()[1]->AsString(), QStringLiteral("Łódź|·"));
            QCOMPARE(esc.Pulsaciones(), 0);
            MessageSeam::clearLog();
            TDatabase* base = BaseDatosSelector(QStringLiteral("Database"));
            if (base->engine() == Engine::Postgres)
                base->Execute(QStringLiteral("ALTER TABLE LISTPRU ADD Extra INTEGER"));
            QCOMPARE(base->Scalar(QStringLiteral("SELECT COUNT(*) FROM LISTPRU")).toInt(), 3);
            QCoreApplication::processEvents();  // the warning waits for the statement
        }
        esc.Parar();
        QCOMPARE(esc.Pulsaciones(), 2);
        QCOMPARE(TextosMostrados().mid(0, 2), (QStringList{pregunta, pregunta}));
        QCOMPARE(TextosMostrados().size(), 3);
        QVERIFY(TextosMostrados().last().contains(
            resto ? QStringLiteral("sólo contiene las filas leídas")
                  : QStringLiteral("cancelada")));
        QVERIFY(!ProgresoVisible());
        QTRY_COMPARE(SentenciasRecursivasEnServidor(), 0);
        if (resto) {
            // The grid keeps the rows read, in order, and ends there.
            TClientDataSet* d = x.f->ClientDataSet1;
            const int n = d->RecordCount();
            QVERIFY(n >= 200);
            d->First();
            QCOMPARE(d->Fields()[0]->AsInteger(), 1);
            d->Last();
            QCOMPARE(d->Fields()[0]->AsInteger(), n);
            QCOMPARE(d->Fields()[1]->AsString(), QStringLiteral("Łódź|·"));
            // Never filtered as if it were the whole result.
            QCoreApplication::processEvents();  // what Last said
            MessageSeam::clearLog();
            MessageSeam::enqueue(QStringLiteral("1"));
            x.f->DBGrid1->setSelectedField(d->Fields()[0]);
            x.f->Herramientas->Filtrar(QStringLiteral("="));
            QString sinUsar;
            QVERIFY(MessageSeam::take(sinUsar));  // nothing asked
            QCOMPARE(TextosMostrados(), QStringList{TextoConsultaIncompleta()});
            QVERIFY(!d->Filtered());
        } else {
            QVERIFY(!x.f->ClientDataSet1->Active());
        }
        // The next statement runs on the same connection.
        MessageSeam::clearLog();
        x.f->SentenciaConsulta = QStringLiteral("SELECT Codigo FROM LISTPRU ORDER BY Codigo");
        QCOMPARE(x.f->EjecutarConsultaSQL(), QString());
        QCOMPARE(x.filas(), (QStringList{"1", "2", "3"}));
    }

    // A second statement hidden after a backslash escape or a dollar quote:
    // refused before anything runs, the table intact.
    void sentenciaOculta_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("sql");
        for (Engine m : AvailableEngines())
            for (const QString& sql : SentenciasConSegundaOculta("LISTPRU", "Nombre"))
                QTest::newRow(qPrintable(EngineTag(m) + " " + sql.mid(38, 8))) << int(m) << sql;
    }
    void sentenciaOculta() {
        QFETCH(int, engine);
        QFETCH(QString, sql);
        Entorno x{Engine(engine)};
        x.abrir(sql);
        QVERIFY2(TextosMostrados().value(0).startsWith(
                     QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ")),
                 qPrintable(TextosMostrados().join('|')));
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM LISTPRU")), QStringLiteral("3"));
    }

    // On PostgreSQL a saved query's effect ends with it: calls that reach
    // other sessions are refused with the reason, an advisory lock or a
    // setting it makes is gone once it ran (the window closed), and the
    // program's own record locks are never its to release.
    void alcance_data() { FilasAlcance(CasosAlcanceConsulta() << AlcancePrueba::RutaBusqueda); }
    void alcance() {
        QFETCH(int, caso);
        AlcanceSinServidor(caso);
        Entorno x(Engine::Postgres);
        AlcancePrueba a(AlcancePrueba::Caso(caso), QStringLiteral("LISTPRU"));
        x.abrir(a.Accion.isEmpty() ? QStringLiteral("SELECT ") + a.Expresion +
                                         QStringLiteral(" AS X FROM LISTPRU WHERE Codigo = 1")
                                   : a.Accion);
        if (a.Rechazo.isEmpty()) {
            QVERIFY2(TextosMostrados().join('|') == (a.Accion.isEmpty()
                                                         ? QString()
                                                         : QStringLiteral("El proceso ha "
                                                                          "finalizado "
                                                                          "correctamente")),
                     qPrintable(TextosMostrados().join('|')));
        } else {
            QCOMPARE(
                TextosMostrados().value(0),
                QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ") + a.Rechazo);
        }
        delete x.f;
        QCOMPARE(a.Fuga(), QString());
    }

    // An action statement of the runner changes rows and tables of its own
    // database only: what reaches beyond them is refused with the reason,
    // on either engine, and leaves nothing behind (no file, no temporary
    // table hiding FILTRO, no setting, no role or rule); an ordinary update
    // runs.
    void accionesConfinadas_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("motivo");   // "" when it runs
        QTest::addColumn<QString>("testigo");  // read before and after
        const QString temporales = QStringLiteral("SELECT COUNT(*) FROM sqlite_temp_master");
        QTest::newRow("sqlite attach")
            << int(Engine::Sqlite) << "ATTACH DATABASE '%DIR%/x.db' AS u"
            << ReachingNameReason(QStringLiteral("ATTACH")) << "PRAGMA database_list";
        QTest::newRow("sqlite temporary table")
            << int(Engine::Sqlite) << "CREATE TEMP TABLE FILTRO AS SELECT * FROM main.FILTRO"
            << ReachingNameReason(QStringLiteral("TEMP")) << temporales;
        QTest::newRow("sqlite temporary copy by name")
            << int(Engine::Sqlite) << "CREATE TABLE temp.FILTRO AS SELECT * FROM main.FILTRO"
            << OtherDatabaseWriteReason(QStringLiteral("temp")) << temporales;
        QTest::newRow("sqlite temporary view by name")
            << int(Engine::Sqlite) << "CREATE VIEW \"TEMP\".LISTPRU AS SELECT 9 AS Codigo"
            << OtherDatabaseWriteReason(QStringLiteral("temp")) << temporales;
        QTest::newRow("sqlite general table")
            << int(Engine::Sqlite) << "CREATE TABLE general.CALENOPE (a int)"
            << GeneralDatabaseWriteReason(QStringLiteral("general"))
            << "SELECT COUNT(*) FROM general.sqlite_master";
        QTest::newRow("sqlite general rows")
            << int(Engine::Sqlite) << "DELETE FROM EMPRESA"
            << GeneralDatabaseWriteReason(QStringLiteral("general"))
            << "SELECT COUNT(*) FROM EMPRESA";
        QTest::newRow("sqlite query only")
            << int(Engine::Sqlite) << "PRAGMA query_only = 1"
            << ReachingNameReason(QStringLiteral("PRAGMA query_only")) << "PRAGMA query_only";
        QTest::newRow("sqlite update")
            << int(Engine::Sqlite) << "UPDATE LISTPRU SET Importe = 10 WHERE Codigo = 1"
            << QString() << "SELECT Importe FROM LISTPRU";
        // What the engine refuses: the translator's words, or the engine's
        // after their lead-in.
        for (Engine m : AvailableEngines()) {
            // The program's tables as its dictionary, its general database
            // and its work tables name them: never a user's object's name.
            const QString objetos =
                m == Engine::Sqlite ? QStringLiteral(
                                          "SELECT COUNT(*) FROM sqlite_master WHERE name IN "
                                          "('CALENDAR', 'IDIOMA', 'TEMP000001_X') COLLATE NOCASE")
                                    // In the schemas this installation reads:
                                    // other suites make tables of these names.
                                    : QStringLiteral(
                                          "SELECT COUNT(*) FROM pg_class WHERE relname IN "
                                          "('calendar', 'idioma', 'temp000001_x') AND "
                                          "relnamespace IN (SELECT oid FROM pg_namespace WHERE "
                                          "nspname = ANY (current_schemas(false)))");
            NewEngineRow(m, "view named as a dictionary table")
                << "CREATE VIEW Calendar AS SELECT Codigo FROM LISTPRU"
                << TakenNameReason(QStringLiteral("CALENDAR"), false) << objetos;
            NewEngineRow(m, "table named as a general table")
                << "CREATE TABLE idioma (a int)" << TakenNameReason(QStringLiteral("IDIOMA"), false)
                << objetos;
            NewEngineRow(m, "table renamed as a work table")
                << "ALTER TABLE LISTPRU RENAME TO temp000001_x"
                << TakenNameReason(QStringLiteral("TEMP000001_X"), false) << objetos;
            NewEngineRow(m, "table of the user's named almost as a work table")
                << "CREATE TABLE Temporada2026 (a int)" << QString()
                << (m == Engine::Sqlite
                        ? "SELECT COUNT(*) FROM sqlite_master WHERE name = 'Temporada2026'"
                        : "SELECT COUNT(*) FROM pg_class WHERE relname = 'temporada2026' AND "
                          "relnamespace = to_regnamespace(current_schema())");
            NewEngineRow(m, "existing key")
                << "INSERT INTO LISTPRU VALUES (1, 'Łódź|·', 1)"
                << QStringLiteral("¡ Ya existe el registro !") << "SELECT COUNT(*) FROM LISTPRU";
            NewEngineRow(m, "unknown function")
                << "UPDATE LISTPRU SET Importe = nofunc(1)"
                << (m == Engine::Sqlite
                        ? QStringLiteral("Error de la base de datos: no such function: nofunc")
                        : QStringLiteral("Error de la base de datos: function "
                                         "nofunc(integer) does not exist"))
                << "SELECT Importe FROM LISTPRU";
        }
        if (!AvailableEngines().contains(Engine::Postgres)) return;
        QTest::newRow("postgres role")
            << int(Engine::Postgres) << "CREATE ROLE rh_intruso SUPERUSER LOGIN"
            << ReachingNameReason(QStringLiteral("CREATE ROLE"))
            << "SELECT COUNT(*) FROM pg_roles WHERE rolname = 'rh_intruso'";
        QTest::newRow("postgres rule")
            << int(Engine::Postgres)
            << "CREATE RULE r AS ON INSERT TO LISTPRU DO ALSO DELETE FROM FILTRO"
            << ReachingNameReason(QStringLiteral("CREATE RULE"))
            << "SELECT COUNT(*) FROM pg_rules WHERE rulename = 'r'";
        QTest::newRow("postgres extension")
            << int(Engine::Postgres) << "CREATE EXTENSION file_fdw"
            << ReachingNameReason(QStringLiteral("CREATE EXTENSION"))
            << "SELECT COUNT(*) FROM pg_extension WHERE extname = 'file_fdw'";
        QTest::newRow("postgres copy")
            << int(Engine::Postgres) << "COPY LISTPRU TO '%DIR%/x.txt'"
            << ReachingNameReason(QStringLiteral("COPY")) << "SELECT COUNT(*) FROM LISTPRU";
        QTest::newRow("postgres invalid value")
            << int(Engine::Postgres) << "UPDATE LISTPRU SET Codigo = 'a|b' WHERE Codigo = 1"
            << QStringLiteral("¡ El valor 'a|b' no es un número entero válido !")
            << "SELECT Codigo FROM LISTPRU";
        QTest::newRow("postgres update")
            << int(Engine::Postgres) << "UPDATE LISTPRU SET Importe = 10 WHERE Codigo = 1"
            << QString() << "SELECT Importe FROM LISTPRU";
    }
    void accionesConfinadas() {
        QFETCH(int, engine);
        QFETCH(QString, sql);
        QFETCH(QString, motivo);
        QFETCH(QString, testigo);
        Entorno x{Engine(engine)};
        QTemporaryDir dir;
        sql.replace(QLatin1String("%DIR%"), dir.path());
        const QString antes = SqlPrueba(testigo);
        x.abrir(sql);
        if (motivo.isEmpty()) {
            QCOMPARE(TextosMostrados(), QStringList{"El proceso ha finalizado correctamente"});
            QVERIFY(SqlPrueba(testigo) != antes);
        } else {
            QCOMPARE(TextosMostrados().value(0),
                     "¡No es posible ejecutar la sentencia SQL. Motivo: " + motivo);
            QCOMPARE(SqlPrueba(testigo), antes);
        }
        QVERIFY(QDir(dir.path()).isEmpty());
        // The program's own next write lands where every session reads it.
        QCOMPARE(SqlPrueba(QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro) "
                                          "VALUES ('SQL', 'Otra', 'x')")),
                 QString());
        std::unique_ptr<TDatabase> otra = std::make_unique<TDatabase>();
        otra->Params() = fGENEINIC->Database->Params();
        otra->setDatabaseName(QStringLiteral("OtraSesion"));
        otra->Open();
        QCOMPARE(otra->Scalar(QStringLiteral("SELECT COUNT(*) FROM FILTRO WHERE Descripcion = "
                                             "'Otra'"))
                     .toInt(),
                 1);
    }

    // A statement is a query when the engine says it returns rows and writes
    // nothing, whatever its first word: its rows are shown, and no "done". A
    // name a WITH defines is no table where the WITH reaches, whatever it is
    // called: only the tables the statement really reads are made on first
    // use (MAQUINA here), and the users table stays out of reach.
    void consultaSinSelectDelante_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("mensaje");  // first text shown ("" none: rows 1, 2, 3)
        const QString sinDefinicion =
            QStringLiteral("No se ha encontrado la definición de la tabla. Tabla: NOEXISTE");
        for (Engine m : AvailableEngines()) {
            NewEngineRow(m, "with")
                << QStringLiteral(
                       "WITH t AS (SELECT Codigo FROM LISTPRU) SELECT Codigo FROM t ORDER BY 1")
                << QString();
            NewEngineRow(m, "values") << QStringLiteral("VALUES (1), (2), (3)") << QString();
            NewEngineRow(m, "comment first")
                << QStringLiteral("/* informe */\r\nSELECT Codigo FROM LISTPRU ORDER BY 1")
                << QString();
            NewEngineRow(m, "with in from")
                << QStringLiteral(
                       "SELECT Codigo FROM (WITH r AS (SELECT Codigo FROM "
                       "MAQUINA) SELECT Codigo FROM LISTPRU WHERE Codigo NOT IN "
                       "(SELECT Codigo FROM r)) x ORDER BY 1")
                << QString();
            NewEngineRow(m, "with in where")
                << QStringLiteral(
                       "SELECT Codigo FROM LISTPRU WHERE Codigo NOT IN (WITH r AS "
                       "(SELECT Codigo FROM MAQUINA) SELECT Codigo "
                       "FROM r) ORDER BY 1")
                << QString();
            // A WITH named after a table of the company, and one after a table
            // the statement also reads outside the WITH.
            NewEngineRow(m, "with shadowing a table")
                << QStringLiteral(
                       "SELECT Codigo FROM (WITH PERSONAL AS (SELECT Codigo FROM "
                       "LISTPRU) SELECT Codigo FROM PERSONAL) x WHERE Codigo NOT IN "
                       "(WITH r AS (SELECT Codigo FROM MAQUINA) SELECT "
                       "Codigo FROM r) ORDER BY 1")
                << QString();
            NewEngineRow(m, "with shadowing a table made on first use")
                << QStringLiteral(
                       "SELECT Codigo FROM (WITH MAQUINA AS (SELECT Codigo FROM "
                       "LISTPRU) SELECT Codigo FROM MAQUINA) x WHERE Codigo NOT IN "
                       "(WITH r AS (SELECT Codigo FROM MAQUINA) SELECT Codigo FROM r) "
                       "ORDER BY 1")
                << QString();
            // Read as a query at its first run, when the table is not yet made.
            NewEngineRow(m, "with first over a table made on first use")
                << QStringLiteral(
                       "WITH r AS (SELECT Codigo FROM MAQUINA), \"v\" AS (SELECT 'x;(') "
                       "SELECT Codigo FROM LISTPRU WHERE Codigo NOT IN (SELECT Codigo FROM r) "
                       "ORDER BY 1")
                << QString();
            NewEngineRow(m, "recursive with")
                << QStringLiteral(
                       "SELECT n FROM (WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL "
                       "SELECT n + 1 FROM r WHERE n < 3 AND NOT EXISTS (SELECT 1 FROM "
                       "MAQUINA)) SELECT n FROM r) x ORDER BY 1")
                << QString();
            NewEngineRow(m, "missing table beside a with")
                << QStringLiteral(
                       "SELECT x.Codigo FROM (WITH r AS (SELECT Codigo FROM LISTPRU) "
                       "SELECT Codigo FROM r) x JOIN NOEXISTE n ON n.Codigo = x.Codigo")
                << sinDefinicion;
            NewEngineRow(m, "missing table named as a with elsewhere")
                << QStringLiteral(
                       "SELECT Codigo FROM (WITH NOEXISTE AS (SELECT Codigo FROM "
                       "LISTPRU) SELECT Codigo FROM NOEXISTE) x WHERE Codigo NOT IN "
                       "(SELECT Codigo FROM NOEXISTE) ORDER BY 1")
                << sinDefinicion;
            NewEngineRow(m, "users table beside a with named after it")
                << QStringLiteral(
                       "SELECT Codigo FROM (WITH USUARIO AS (SELECT CodigoOperario "
                       "FROM PERSONAL) SELECT * FROM USUARIO) x, USUARIO")
                << QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ") +
                       UsersTableReason();
        }
    }
    void consultaSinSelectDelante() {
        QFETCH(int, engine);
        QFETCH(QString, sql);
        QFETCH(QString, mensaje);
        Entorno x{Engine(engine)};
        TDatabase* db = BaseDatosSelector(QStringLiteral("Database"));
        QVERIFY(!db->TableExists(QStringLiteral("MAQUINA")));
        x.abrir(sql);
        QCOMPARE(TextosMostrados().value(0), mensaje);
        if (!mensaje.isEmpty()) {
            QCOMPARE(x.filas(), QStringList());
            return;
        }
        QCOMPARE(x.filas(), (QStringList{"1", "2", "3"}));
        // The rows the program's own query gives for the same text.
        TQuery q;
        q.setDatabaseName(db->DatabaseName());
        q.SQL().setText(sql);
        q.Open();
        QStringList filas;
        for (; !q.Eof(); q.Next()) filas << q.Fields()[0]->AsString();
        QCOMPARE(x.filas(), filas);
    }

    // With an interface language the menu caption is the translation of the
    // stored name: the name comes back only among saved queries' names.
    void traduccionDelNombre_data() { AddEngineRows(); }
    void traduccionDelNombre() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        SqlPrueba(
            QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro) VALUES "
                           "('SQL', 'Resumen d''Ors', 'SELECT Codigo FROM LISTPRU ORDER BY "
                           "Codigo')"));
        for (const char* fila : {"('EN', 'Resumen d''Ors', 'Summary')",
                                 "('EN', 'Listado', 'Report')", "('EN', 'Nomina', 'Payroll')"}) {
            QString r;
            EjecutarSQL(ModuloDatos,
                        QStringLiteral("INSERT INTO TXIDIOMA (Idioma, ClaveTexto, Texto) VALUES ") +
                            QLatin1String(fila),
                        QStringLiteral("DatabaseGeneral"), QStringLiteral("Silenciosa"), r);
            QCOMPARE(r, QString());
        }
        struct Idioma {
            Idioma() { IdiomaActual = QStringLiteral("EN"); }
            ~Idioma() { IdiomaActual.clear(); }
        } idioma;
        QCOMPARE(x.f->TraducirNombreConsulta(QStringLiteral("Summary")),
                 QStringLiteral("Resumen d'Ors"));
        // A translation of something that is no saved query gives no name.
        QCOMPARE(x.f->TraducirNombreConsulta(QStringLiteral("Payroll")), QString());
        x.f->AbrirConsultaSQL(QStringLiteral("Summary"));
        QCOMPARE(x.f->Caption(), QStringLiteral("Summary"));
        QCOMPARE(x.filas(), (QStringList{"1", "2", "3"}));
    }

    // The first run fits the window to the result: narrow columns make it
    // 640 wide (the parameter panel's width + 40 when wider) and spread over
    // the grid; later runs keep the user's width.
    void tamanoPrimeraEjecucion() {
        Entorno x(Engine::Sqlite);
        x.f->resize(1000, 600);
        x.abrir(QStringLiteral("SELECT Codigo FROM LISTPRU WHERE Codigo < :#A + :#B + :#C + :#D"));
        x.f->EditoresParametros[0]->setText(QStringLiteral("9"));
        QCOMPARE(x.f->EjecutarConsultaSQL(), QString());
        // No narrower than its buttons allow.
        QCOMPARE(x.f->Width(), std::max(573 + 40, x.f->minimumSizeHint().width()));
        QVERIFY(!x.f->PrimeraEjecucion);
        x.f->resize(900, 600);
        QCOMPARE(x.f->EjecutarConsultaSQL(), QString());
        QCOMPARE(x.f->Width(), 900);
        delete x.f;
        SqlPrueba(QStringLiteral("DELETE FROM FILTRO"));
        x.f = static_cast<TfGENEUSQL*>(CreateForm(QStringLiteral("TfGENEUSQL")));
        x.f->resize(1000, 600);
        x.f->Show();
        x.abrir(QStringLiteral("SELECT Codigo FROM LISTPRU"));
        QCOMPARE(x.f->Width(), std::max(640, x.f->minimumSizeHint().width()));
        const int columna = x.f->DBGrid1->Columns()[0]->Width();
        QVERIFY2(columna > 500, qPrintable(QString::number(columna)));
    }

    // A saved action query that writes FILTRO (the reports, queries and
    // filters others run), run by a user who is not an administrator, is
    // refused naming the table, and the row stays as every session reads
    // it; his result over FILTRO is not written back nor imported into. An
    // administrator's runs.
    void filtroSoloAdministradores_data() { FilasMotorYLogin(); }
    void filtroSoloAdministradores() {
        QFETCH(int, engine);
        QFETCH(QByteArray, login);
        ComoLoginPg comoLogin(login);
        Entorno x{Engine(engine)};
        SqlPrueba(QStringLiteral(
            "INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro) VALUES ('GeneradorInformes', "
            "'Plantilla', 'SELECT Codigo FROM LISTPRU')"));
        const QString filtro =
            QStringLiteral("SELECT Filtro FROM FILTRO WHERE NombreTabla = 'GeneradorInformes'");
        CrearUsuarioPrueba(QStringLiteral("PEPE"), QStringLiteral("Normal"), QStringLiteral("1"));
        const QString update = QStringLiteral(
            "UPDATE FILTRO SET Filtro = 'SELECT CodigoOperario AS Cambiado FROM PERSONAL' WHERE "
            "NombreTabla = 'GeneradorInformes'");
        {
            ComoUsuario como(QStringLiteral("PEPE"));
            x.abrir(update);
            QCOMPARE(TextosMostrados().value(0),
                     QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ") +
                         ProtectedTableReason(QStringLiteral("FILTRO")));
            QCOMPARE(PrimeroEnOtraSesion(filtro), QStringLiteral("SELECT Codigo FROM LISTPRU"));
            delete x.f;
            SqlPrueba(QStringLiteral("DELETE FROM FILTRO WHERE NombreTabla = 'SQL'"));
            x.f = static_cast<TfGENEUSQL*>(CreateForm(QStringLiteral("TfGENEUSQL")));
            x.f->pbModificar->setDown(true);
            x.abrir(QStringLiteral(
                "SELECT NombreTabla, Descripcion, Filtro FROM FILTRO WHERE NombreTabla = "
                "'GeneradorInformes'"));
            QCOMPARE(x.filas(), QStringList{"GeneradorInformes"});
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, x.f->ClientDataSet1->Edit());
            QVERIFY(x.f->QryConsultasSQL->Target().table.isEmpty());
        }
        delete x.f;
        SqlPrueba(QStringLiteral("DELETE FROM FILTRO WHERE NombreTabla = 'SQL'"));
        x.f = static_cast<TfGENEUSQL*>(CreateForm(QStringLiteral("TfGENEUSQL")));
        x.abrir(update);
        QCOMPARE(TextosMostrados(), QStringList{"El proceso ha finalizado correctamente"});
        QCOMPARE(PrimeroEnOtraSesion(filtro),
                 QStringLiteral("SELECT CodigoOperario AS Cambiado FROM PERSONAL"));
    }

    // Edits reach the table only through "Guardar"; a refused save keeps
    // them and shows the engine's reason.
    void guardarCambios_data() { AddEngineRows(); }
    void guardarCambios() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        x.f->pbModificar->setDown(true);
        x.abrir(QStringLiteral("SELECT Codigo, Nombre FROM LISTPRU ORDER BY Codigo"));
        QCOMPARE(x.filas().size(), 3);
        QVERIFY(x.f->pbGuardarCambios->isEnabled());
        TClientDataSet* d = x.f->ClientDataSet1;
        d->First();
        d->Edit();
        d->FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Ana"));
        d->Post();
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT Nombre FROM LISTPRU WHERE Codigo = 1")),
                 QStringLiteral("A|B"));
        BloquearModificacion(Engine(engine), QStringLiteral("LISTPRU"));
        MessageSeam::clearLog();
        QVERIFY(!x.f->pbGuardarCambiosClick());
        QVERIFY(TextosMostrados().value(0).startsWith(
            QStringLiteral("¡No es posible guardar los cambios! Motivo: ")));
        QCOMPARE(d->ChangeCount(), 1);
        QuitarBloqueoModificacion(Engine(engine), QStringLiteral("LISTPRU"));
        QVERIFY(x.f->pbGuardarCambiosClick());
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT Nombre FROM LISTPRU WHERE Codigo = 1")),
                 QStringLiteral("Ana"));
        QCOMPARE(d->ChangeCount(), 0);
        // A grouped or joined result has no row of its own in a table to
        // write back to: it stays read-only.
        for (const char* sql :
             {"SELECT Codigo, COUNT(*) AS N FROM LISTPRU GROUP BY Codigo",
              "SELECT a.Codigo, a.Nombre FROM LISTPRU a JOIN LISTPRU b ON b.Codigo = a.Codigo"}) {
            delete x.f;
            SqlPrueba(QStringLiteral("DELETE FROM FILTRO"));
            x.f = static_cast<TfGENEUSQL*>(CreateForm(QStringLiteral("TfGENEUSQL")));
            x.f->pbModificar->setDown(true);
            x.abrir(QString::fromLatin1(sql));
            QCOMPARE(x.filas().size(), 3);
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, x.f->ClientDataSet1->Edit());
        }
    }

    // The live result gone through with Enter, Tab and Shift+Tab keeps the
    // keys (the query-name combo never gets them); nothing stored changes.
    void recorridoConTeclas_data() { AddEngineRows(); }
    void recorridoConTeclas() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        x.f->pbModificar->setDown(true);
        x.abrir(QStringLiteral("SELECT Codigo, Nombre FROM LISTPRU ORDER BY Codigo"));
        x.f->Show();
        QVERIFY(QTest::qWaitForWindowActive(x.f));
        RecorrerRejillaConTeclas(x.f->DBGrid1);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(FilasEnOtraSesion(QStringLiteral("SELECT Codigo, Nombre FROM LISTPRU ORDER BY "
                                                  "Codigo")),
                 (QStringList{"1|A|B", "2|D'Ors", "3|Luis"}));
        QCOMPARE(x.f->ClientDataSet1->ChangeCount(), 0);
    }

    // "Guardar cambios" writes each result column into the table column it
    // comes from, as the query itself resolved it; a result that is no
    // table's own rows is refused before anything is written, and a row
    // another user changed meanwhile goes to the session's handler.
    void guardarEnSuOrigen_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("mensaje");   // first text shown ("" none)
        QTest::addColumn<QString>("guardado");  // LISTPRU.Nombre of row 1 after
        QTest::addColumn<QString>("oculto");    // a field hidden from the user
        const QString refusal = QStringLiteral(
            "¡No es posible guardar los cambios! Motivo: el resultado de la consulta no está "
            "formado por columnas de una sola tabla con su clave.");
        const QString otroUsuario = QStringLiteral(
            "¡ El registro ha sido modificado por otro usuario !. Debe cancelar la edición, "
            "salir e intentarlo de nuevo.");
        for (Engine m : AvailableEngines()) {
            const QString t = EngineTag(m) + QLatin1Char(' ');
            auto fila = [&](const char* nombre, const char* sql, const QString& mensaje,
                            const char* guardado, const QString& oculto = QString()) {
                QTest::newRow(qPrintable(t + QLatin1String(nombre)))
                    << int(m) << QString::fromUtf8(sql) << mensaje << QString::fromUtf8(guardado)
                    << oculto;
            };
            fila("FROM in a comment", "SELECT /* FROM OTRAPRU */ Codigo, Nombre FROM LISTPRU",
                 QString(), "Ana");
            fila("FROM in a line comment", "SELECT Codigo, Nombre -- FROM OTRAPRU\nFROM LISTPRU",
                 QString(), "Ana");
            fila("FROM in a string",
                 "SELECT Codigo, Nombre FROM LISTPRU WHERE Nombre <> 'x FROM OTRAPRU'", QString(),
                 "Ana");
            fila("quoted alias", "SELECT Codigo, Nombre AS \"OTRAPRU\" FROM LISTPRU", QString(),
                 "Ana");
            fila("another table's name as alias",
                 "SELECT OTRAPRU.Codigo, OTRAPRU.Nombre FROM LISTPRU OTRAPRU", QString(), "Ana");
            fila("FROM in a sub-select",
                 "SELECT Codigo, Nombre FROM LISTPRU WHERE Codigo IN (SELECT Codigo FROM OTRAPRU) "
                 "OR Codigo > 0",
                 QString(), "Ana");
            fila("aliased column", "SELECT Codigo, Nombre AS Descripcion FROM LISTPRU", QString(),
                 "Ana");
            fila("join",
                 "SELECT a.Codigo, a.Nombre FROM LISTPRU a JOIN OTRAPRU b ON b.Codigo = a.Codigo",
                 refusal, "A|B");
            fila("no key", "SELECT Nombre, Importe FROM LISTPRU", refusal, "A|B");
            // The program's connection writes it back: never to the general
            // database, whatever the name it goes by.
            fila("general table", "SELECT Codigo, Nombre FROM EMPRESA", refusal, "A|B");
            fila("general table named with its database",
                 "SELECT Codigo, Nombre FROM %GEN%.EMPRESA", refusal, "A|B");
            fila("group by without aggregate",
                 "SELECT Codigo, Nombre FROM LISTPRU GROUP BY Codigo, Nombre", refusal, "A|B");
            fila("changed by another user", "SELECT Codigo, Nombre FROM LISTPRU", otroUsuario,
                 "Otro");
            // The key changed to another row's: the message names the row.
            fila("repeated key", "SELECT Codigo AS Numero, Nombre FROM LISTPRU",
                 QStringLiteral("¡No es posible guardar los cambios! Motivo: ¡ Ya existe el "
                                "registro !. Clave: Numero = «2»"),
                 "A|B");
            // Importe hidden from the user: PostgreSQL refuses what names it
            // and gives it under its own name to "*" (the grid hides it);
            // SQLite reads it as NULL, and such a result writes nothing back.
            const bool pg = m == Engine::Postgres;
            const QString oculto = QStringLiteral("Importe");
            const QString refusalOculto =
                QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ") +
                HiddenFieldReason(QStringLiteral("Importe"));
            fila("hidden field under another name",
                 "SELECT Codigo, Nombre, Importe AS Cantidad FROM LISTPRU",
                 pg ? refusalOculto : refusal, "A|B", oculto);
            fila("hidden field cast",
                 "SELECT Codigo, CAST(Importe AS VARCHAR(20)) AS x FROM LISTPRU",
                 pg ? refusalOculto : refusal, "A|B", oculto);
            fila("hidden field in a sub-query",
                 "SELECT Codigo, x FROM (SELECT Codigo, Importe AS x FROM LISTPRU) s",
                 pg ? refusalOculto : refusal, "A|B", oculto);
            fila("hidden field through a WITH named after it",
                 "SELECT Codigo, x FROM (WITH Importe AS (SELECT Codigo, Importe AS x FROM "
                 "LISTPRU) SELECT * FROM Importe) s",
                 pg ? refusalOculto : refusal, "A|B", oculto);
            fila("hidden field, other field of a star edited", "SELECT * FROM LISTPRU",
                 pg ? QString() : refusal, pg ? "Ana" : "A|B", oculto);
            // A function named as a column of the table: the server applies
            // it to the whole row.
            if (pg)
                fila("hidden field in the whole row a function takes",
                     "SELECT Codigo, Nombre, l.to_jsonb AS j FROM LISTPRU l",
                     QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ") +
                         HiddenFieldReason(QStringLiteral("Importe"), QStringLiteral("l.to_jsonb")),
                     "A|B", oculto);
            // A star compared whole with a guess tells the value: refused
            // (SQLite compares it as NULL).
            if (pg)
                fila("hidden field compared through a star in EXISTS",
                     "SELECT l.Codigo, l.Nombre FROM LISTPRU l WHERE EXISTS (SELECT * FROM LISTPRU "
                     "x WHERE x.Codigo = l.Codigo INTERSECT SELECT 1, 'A|B', 12.5::float)",
                     QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ") +
                         HiddenFieldReason(QStringLiteral("Importe"), QStringLiteral("*")),
                     "A|B", oculto);
        }
    }
    void guardarEnSuOrigen() {
        QFETCH(int, engine);
        QFETCH(QString, sql);
        QFETCH(QString, mensaje);
        QFETCH(QString, guardado);
        QFETCH(QString, oculto);
        Entorno x{Engine(engine)};
        CamposNoVisiblesUsuario = oculto;
        const auto visibles = qScopeGuard([] { CamposNoVisiblesUsuario.clear(); });
        SqlPrueba(
            QStringLiteral("CREATE TABLE OTRAPRU (Codigo INTEGER PRIMARY KEY, Nombre VARCHAR(40), "
                           "Descripcion VARCHAR(40))"));
        SqlPrueba(QStringLiteral("INSERT INTO OTRAPRU VALUES (1, 'Otra', 'Otra')"));
        x.f->pbModificar->setDown(true);
        const QString empresas = QStringLiteral("SELECT Codigo, Nombre FROM EMPRESA ORDER BY 1");
        const QString general = SqlPrueba(empresas);
        sql.replace(QLatin1String("%GEN%"), engine == int(Engine::Postgres)
                                                ? fGENEINIC->DatabaseGeneral->Params().schema
                                                : QStringLiteral("general"));
        x.abrir(sql + QStringLiteral(" ORDER BY 1"));
        TClientDataSet* d = x.f->ClientDataSet1;
        // The hidden value reaches the user under no other name, and stays
        // as it was in the table.
        const auto sinOculto = qScopeGuard([&] {
            QCOMPARE(SqlPrueba(QStringLiteral("SELECT Importe FROM LISTPRU WHERE Codigo = 1")),
                     QStringLiteral("12,5"));
        });
        if (d->Active())
            for (d->First(); !d->Eof(); d->Next())
                for (int i = 0; i < d->FieldCount(); ++i)
                    if (!oculto.isEmpty() && !CampoNoVisible(nullptr, d->Fields()[i]->FieldName()))
                        QVERIFY2(!d->Fields()[i]->AsString().contains(QLatin1String("12")),
                                 qPrintable(d->Fields()[i]->AsString()));
        if (mensaje.contains(QLatin1String("ejecutar la sentencia"))) {
            QCOMPARE(TextosMostrados().value(0), mensaje);
            QCOMPARE(x.filas(), QStringList());
            return;
        }
        if (sql.contains(QLatin1String("EMPRESA")))
            QVERIFY(!x.filas().isEmpty());
        else
            QCOMPARE(x.filas().size(), sql.contains(QLatin1String("JOIN")) ? 1 : 3);
        const bool rechazo = mensaje.contains(QLatin1String("columnas de una sola tabla"));
        // A result that is not editable refuses the edit itself, and the
        // save says why.
        if (rechazo) {
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, d->Edit());
        } else {
            d->First();
            d->Edit();
            if (mensaje.contains(QLatin1String("Clave")))
                d->Fields()[0]->setAsInteger(2);
            else
                d->Fields()[1]->setAsString(QStringLiteral("Ana"));
            d->Post();
        }
        if (mensaje.contains(QLatin1String("otro usuario")))
            SqlPrueba(QStringLiteral("UPDATE LISTPRU SET Nombre = 'Otro' WHERE Codigo = 1"));
        MessageSeam::clearLog();
        QCOMPARE(x.f->pbGuardarCambiosClick(), mensaje.isEmpty());
        QCOMPARE(TextosMostrados().value(0), mensaje);
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT Nombre FROM LISTPRU WHERE Codigo = 1")),
                 guardado);
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT Nombre, Descripcion FROM OTRAPRU")),
                 QStringLiteral("Otra|Otra"));
        QCOMPARE(SqlPrueba(empresas), general);
        QCOMPARE(d->ChangeCount(), mensaje.isEmpty() || rechazo ? 0 : 1);
    }

    // A long result is shown before it is all read; counting, the last row
    // and the export still see every row.
    void filasLeidasAlMostrar_data() { AddEngineRows(); }
    void filasLeidasAlMostrar() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        TDatabase* db = fGENEINIC->Database;
        db->StartTransaction();
        for (int i = 4; i <= 1500; ++i)
            db->Execute(QStringLiteral("INSERT INTO LISTPRU VALUES (?, ?, ?)"),
                        {i, QStringLiteral("F%1").arg(i), double(i)});
        db->Commit();
        x.f->resize(800, 600);
        x.f->show();
        x.abrir(QStringLiteral("SELECT Codigo, Nombre FROM LISTPRU ORDER BY Codigo"));
        QAbstractItemModel* rejilla = x.f->DBGrid1->model();
        QVERIFY(rejilla->rowCount() > 1);
        QCOMPARE(rejilla->index(1, 0).data().toString(), QStringLiteral("2"));
        // On PostgreSQL a user's query is read whole while it runs: nothing of
        // its session waits for the rest.
        QCOMPARE(db->UserStatements()->ReadsPending(), Engine(engine) == Engine::Sqlite);
        TClientDataSet* d = x.f->ClientDataSet1;
        QCOMPARE(d->RecordCount(), 1500);
        d->Last();
        QCOMPARE(d->FieldByName(QStringLiteral("Codigo"))->AsInteger(), 1500);
        QTemporaryDir dir;
        const QString archivo = dir.filePath(QStringLiteral("SQL.TXT"));
        QVERIFY(ExportarASCII(ModuloDatos, d, nullptr, archivo, QStringLiteral("SinDialogo")));
        QFile f(archivo);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lineas = f.readAll().split('\n');
        QCOMPARE(lineas.size(), 1501);  // the last line break ends the file
        QCOMPARE(lineas.value(1499), QByteArray("1500|F1500|\r"));
    }
};

QTEST_MAIN(TestGeneUsql)
#include "tst_geneusql.moc"
