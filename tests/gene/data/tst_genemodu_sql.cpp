// The SQL layer: result texts, options, the cache, missing tables, errors and
// the statements it builds, on every engine of the run.

#include <QtTest>

#include "db/database.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sqllexis.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

OpcionesInstalacion conEmpresa(int codigo) {
    OpcionesInstalacion o;
    o.empresaActual = codigo;
    return o;
}

const QString kCrLf = QStringLiteral("\r\n");
const QString kError = QStringLiteral("Error. No es posible ejecutar la sentencia SQL. Motivo: ");

QString sql(const QString& sentencia, const QString& opciones = QString(),
            const QString& selector = QStringLiteral("Database")) {
    QString r;
    EjecutarSQL(nullptr, sentencia, selector, opciones, r);
    return r;
}

TDatabase* empresa() {
    return BaseDatosSelector(QStringLiteral("Database"));
}

void abrirPrueba(TTable& t) {
    t.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    t.setTableName(QStringLiteral("PRUEBA"));
    t.Open();
}

// PRUEBA (Codigo, Nombre, Notas memo, Alta date-time) with three rows; the
// second has a memo of two lines, the third a NULL name.
void crearPrueba() {
    TFieldDefs campos{{QStringLiteral("Codigo"), ftInteger, 0, true},
                      {QStringLiteral("Nombre"), ftString, 30, false},
                      {QStringLiteral("Notas"), ftMemo, 0, false},
                      {QStringLiteral("Alta"), ftDateTime, 0, false}};
    empresa()->CreateTable(QStringLiteral("PRUEBA"), campos, {QStringLiteral("Codigo")},
                           QStringLiteral("PRUEBA_Clave1"));
    TTable t;
    abrirPrueba(t);
    const QList<QVariantList> filas = {
        {1, QStringLiteral("Ana"), QStringLiteral("uno"), QDateTime(QDate(2024, 1, 5), QTime())},
        {2, QStringLiteral("Luis=Jefe"), QStringLiteral("línea 1\r\nlínea 2"),
         QDateTime(QDate(2023, 12, 31), QTime(8, 30))},
        {3, QVariant(), QString(), QVariant()}};
    for (const QVariantList& f : filas) {
        t.Append();
        t.FieldByName(QStringLiteral("Codigo"))->setValue(f[0]);
        t.FieldByName(QStringLiteral("Nombre"))->setValue(f[1]);
        t.FieldByName(QStringLiteral("Notas"))->setValue(f[2]);
        t.FieldByName(QStringLiteral("Alta"))->setValue(f[3]);
        t.Post();
    }
}

QStringList mostrados() {
    QStringList r;
    for (const auto& m : MessageSeam::log()) r << m.kind + QLatin1Char(':') + m.text;
    return r;
}

}  // namespace

class TestGeneModuSql : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { ErrorEnTransaccion = false; }

    void formatosDelResultado_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("sentencia");
        QTest::addColumn<QString>("opciones");
        QTest::addColumn<QString>("esperado");
        const QList<std::tuple<const char*, QString, QString, QString>> casos = {
            {"una columna", "SELECT Codigo FROM PRUEBA ORDER BY Codigo", "", "1\r\n2\r\n3"},
            {"sin quitar el ultimo salto", "SELECT Codigo FROM PRUEBA ORDER BY Codigo",
             "NoEliminarUltimoCRLF", "1\r\n2\r\n3\r\n"},
            {"varias columnas y NULL", "SELECT Codigo, Nombre FROM PRUEBA ORDER BY Codigo", "",
             "1|Ana\r\n2|Luis=Jefe\r\n3|"},
            {"memo solo conserva sus saltos", "SELECT Notas FROM PRUEBA WHERE Codigo = 2", "",
             "línea 1\r\nlínea 2"},
            {"memo entre columnas", "SELECT Codigo, Notas FROM PRUEBA WHERE Codigo = 2", "",
             "2|línea 1 línea 2"},
            {"delimitador de memo", "SELECT Codigo, Notas FROM PRUEBA WHERE Codigo = 2",
             "Silenciosa,DelimitadorCRLFMemo=<br>", "2|línea 1<br>línea 2"},
            {"FormatoINI", "SELECT Codigo, Nombre FROM PRUEBA WHERE Codigo < 3 ORDER BY Codigo",
             "FormatoINI", "Codigo=1\u00B7Nombre=Ana\r\nCodigo=2\u00B7Nombre=Luis=Jefe"},
            {"FormatoINI de una columna", "SELECT Nombre FROM PRUEBA WHERE Codigo = 1",
             "FormatoINI", "Nombre=Ana"},
            {"fechas como texto", "SELECT Alta FROM PRUEBA ORDER BY Codigo", "",
             "05/01/2024\r\n31/12/2023 08:30:00\r\n"},
            {"sin filas", "SELECT Codigo FROM PRUEBA WHERE Codigo > 9", "", ""},
            {"select en minusculas no lee filas", "select Codigo FROM PRUEBA", "", ""},
            {"=NULL en un SELECT", "SELECT Codigo FROM PRUEBA WHERE Nombre =NULL", "", "3"},
            {"= '' con ForzarNULL", "SELECT Codigo FROM PRUEBA WHERE Nombre = ''", "ForzarNULL",
             "3"},
        };
        for (const auto& [nombre, s, o, e] : casos) {
            for (Engine m : AvailableEngines()) {
                QTest::addRow("%s %s", qPrintable(EngineTag(m)), nombre) << int(m) << s << o << e;
            }
        }
    }
    void formatosDelResultado() {
        QFETCH(int, engine);
        QFETCH(QString, sentencia);
        QFETCH(QString, opciones);
        QFETCH(QString, esperado);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        QVERIFY(inst.iniciada());
        crearPrueba();
        MessageSeam::clearLog();
        QCOMPARE(sql(sentencia, opciones), esperado);
        QCOMPARE(mostrados(), QStringList());
    }

    void sentenciasSinResultado_data() { AddEngineRows(); }
    void sentenciasSinResultado() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        crearPrueba();
        // "=NULL" outside a SELECT is sent as written: an assignment.
        QCOMPARE(sql(QStringLiteral("UPDATE PRUEBA SET Nombre =NULL WHERE Codigo = 1")), QString());
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM PRUEBA WHERE Nombre IS NULL")),
                 QStringLiteral("2"));
        QVERIFY(InsertarRegistroSQL(nullptr,
                                    QStringLiteral("PRUEBA\r\nCodigo=7\r\nNombre=O'Neil\r\n"
                                                   "Notas=\r\n=x"),
                                    QStringLiteral("Database"), QString()));
        QCOMPARE(sql(QStringLiteral("SELECT Nombre, Notas FROM PRUEBA WHERE Codigo = 7")),
                 QStringLiteral("ONeil|"));
    }

    // Values are sent as written, whatever they hold: a leading quote, the
    // words the null patches look for, a line break inside.
    void valoresQueParecenSentencia_data() { AddEngineRows(); }
    void valoresQueParecenSentencia() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        crearPrueba();
        MessageSeam::clearLog();
        for (const auto& [codigo, nombre] :
             QList<std::pair<int, QString>>{{4, QStringLiteral("'Hooft")},
                                            {5, QStringLiteral("a= NULL")},
                                            {6, QStringLiteral("uno\r\ndos = ''")}}) {
            QCOMPARE(sql(QStringLiteral("INSERT INTO PRUEBA (Codigo, Nombre) VALUES (%1, %2)")
                             .arg(codigo)
                             .arg(Entrecomillar(nombre))),
                     QString());
            QCOMPARE(sql(QStringLiteral("SELECT Codigo FROM PRUEBA WHERE Nombre = ") +
                         Entrecomillar(nombre)),
                     QString::number(codigo));
            QCOMPARE(
                empresa()
                    ->Scalar(QStringLiteral("SELECT Nombre FROM PRUEBA WHERE Codigo = ?"), {codigo})
                    .toString(),
                nombre);
        }
        QCOMPARE(sql(QStringLiteral("DELETE FROM PRUEBA WHERE Nombre = '''Hooft' AND Notas = ''")),
                 QString());
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM PRUEBA WHERE Codigo = 4")),
                 QStringLiteral("0"));
        QCOMPARE(mostrados(), QStringList());
    }

    void erroresConMensajesOSilenciosos_data() { AddEngineRows(); }
    void erroresConMensajesOSilenciosos() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        crearPrueba();
        MessageSeam::clearLog();
        const QString malo = QStringLiteral("SELECT Codigo FROM PRUEBA WHERE");
        const QString r = sql(malo);
        QVERIFY2(r.startsWith(kError), qPrintable(r));
        QCOMPARE(MessageSeam::log().size(), 2);
        QCOMPARE(MessageSeam::log().at(0).kind, QStringLiteral("A"));
        QCOMPARE(MessageSeam::log().at(0).text, r);
        QCOMPARE(MessageSeam::log().at(1).text,
                 QStringLiteral("Hay un error en la siguiente Sentencia SQL: \r\n") + malo);
        // A statement's failure is its result: the transaction flag stays.
        QVERIFY(!ErrorEnTransaccion);

        MessageSeam::clearLog();
        QVERIFY(sql(malo, QStringLiteral("Silenciosa")).startsWith(kError));
        QVERIFY(sql(QStringLiteral("SELECT Codigo FROM PRUEBA"), QString(),
                    QStringLiteral("NoHayTalBase"))
                    .startsWith(QStringLiteral("Error.")));
        QCOMPARE(MessageSeam::log().size(), 2);  // only the unknown database spoke
    }

    void cacheSinErroresYAcotada_data() { AddEngineRows(); }
    void cacheSinErroresYAcotada() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        crearPrueba();
        QStringList cache;
        const QString s =
            QStringLiteral("SELECT Codigo, Nombre, Notas FROM PRUEBA WHERE Codigo = 2");
        const QString esperado = QStringLiteral("2|Luis=Jefe|línea 1 línea 2");
        QString r;
        EjecutarSQLCache(nullptr, s, cache, QStringLiteral("Database"), QString(), r);
        QCOMPARE(r, esperado);
        QCOMPARE(cache.size(), 1);
        QCOMPARE(cache.first().count(QLatin1Char('=')), 1);  // "=" kept as "$IGUAL$"

        // From the cache, not the table: the row is gone but the answer stays.
        sql(QStringLiteral("DELETE FROM PRUEBA WHERE Codigo = 2"));
        EjecutarSQLCache(nullptr, s, cache, QStringLiteral("Database"), QString(), r);
        QCOMPARE(r, esperado);

        const QString dosLineas =
            QStringLiteral("SELECT Notas FROM PRUEBA WHERE Codigo = 1 OR Nombre = 'Ana'");
        sql(QStringLiteral("UPDATE PRUEBA SET Notas = 'a=b' WHERE Codigo = 1"));
        EjecutarSQLCache(nullptr, dosLineas + QStringLiteral(" OR Codigo = 3"), cache,
                         QStringLiteral("Database"), QStringLiteral("NoEliminarUltimoCRLF"), r);
        const QString conSaltos = r;
        QVERIFY(conSaltos.contains(kCrLf));
        EjecutarSQLCache(nullptr, dosLineas + QStringLiteral(" OR Codigo = 3"), cache,
                         QStringLiteral("Database"), QString(), r);
        QCOMPARE(r, conSaltos);

        const QString vacio = QStringLiteral("SELECT Codigo FROM PRUEBA WHERE Codigo = 99");
        EjecutarSQLCache(nullptr, vacio, cache, QStringLiteral("Database"), QString(), r);
        QCOMPARE(r, QString());
        QVERIFY(cache.last().endsWith(QLatin1String("=Conjunto_Vacio")));
        EjecutarSQLCache(nullptr, vacio, cache, QStringLiteral("Database"), QString(), r);
        QCOMPARE(r, QString());

        // A failure is not kept: once the cause is gone the answer is right.
        const int antes = cache.size();
        const QString tardia = QStringLiteral("SELECT Dato FROM TARDIA");
        EjecutarSQLCache(nullptr, tardia, cache, QStringLiteral("Database"),
                         QStringLiteral("Silenciosa No Crear Tabla"), r);
        QVERIFY(r.startsWith(kError));
        QCOMPARE(cache.size(), antes);
        empresa()->CreateTable(QStringLiteral("TARDIA"),
                               {{QStringLiteral("Dato"), ftInteger, 0, true}},
                               {QStringLiteral("Dato")}, QStringLiteral("TARDIA_Clave1"));
        sql(QStringLiteral("INSERT INTO TARDIA (Dato) VALUES (5)"));
        EjecutarSQLCache(nullptr, tardia, cache, QStringLiteral("Database"),
                         QStringLiteral("Silenciosa No Crear Tabla"), r);
        QCOMPARE(r, QStringLiteral("5"));

        // Past 20000 entries each lookup drops the oldest one.
        QStringList llena;
        for (int i = 0; i < 20001; ++i) llena << QStringLiteral("K%1=V").arg(i);
        EjecutarSQLCache(nullptr, QStringLiteral("K5"), llena, QStringLiteral("Database"),
                         QString(), r);
        QCOMPARE(r, QStringLiteral("V"));
        QCOMPARE(llena.size(), 20000);
        QCOMPARE(llena.first(), QStringLiteral("K1=V"));
    }

    void tablaInexistenteCreadaYReintentada_data() { AddEngineRows(); }
    void tablaInexistenteCreadaYReintentada() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        TDatabase* db = empresa();
        QVERIFY(!db->TableExists(QStringLiteral("MONEDA")));

        MessageSeam::clearLog();
        QString r =
            sql(QStringLiteral("SELECT Codigo FROM MONEDA"), QStringLiteral("No Crear Tabla"));
        QVERIFY(r.startsWith(kError));
        QVERIFY(!db->TableExists(QStringLiteral("MONEDA")));

        // Created from the dictionary and the statement run once more.
        MessageSeam::clearLog();
        QCOMPARE(sql(QStringLiteral("INSERT INTO MONEDA (Codigo, Descripcion) VALUES (1, 'Euro')")),
                 QString());
        QVERIFY(db->TableExists(QStringLiteral("MONEDA")));
        QCOMPARE(sql(QStringLiteral("SELECT Descripcion FROM MONEDA")), QStringLiteral("Euro"));
        QCOMPARE(mostrados(), QStringList());

        // A join names several tables: the missing one is made, the rest kept.
        QVERIFY(!db->TableExists(QStringLiteral("GRANALIS")));
        r = sql(QStringLiteral("SELECT M.Descripcion FROM MONEDA M JOIN GRANALIS G ON 1 = 1"));
        QVERIFY2(!r.startsWith(QLatin1String("Error")), qPrintable(r));
        QVERIFY(db->TableExists(QStringLiteral("GRANALIS")));

        // A general table named on the company database goes to the general one.
        BaseDatosSelector(QStringLiteral("DatabaseGeneral"))
            ->DropTableIfExists(QStringLiteral("TXIDIOMA"));
        sql(QStringLiteral("SELECT COUNT(*) FROM TXIDIOMA"), QStringLiteral("Silenciosa"));
        QVERIFY(BaseDatosSelector(QStringLiteral("DatabaseGeneral"))
                    ->TableExists(QStringLiteral("TXIDIOMA")));

        // A table that the dictionary does not know cannot be made: the error stays.
        r = sql(QStringLiteral("SELECT X FROM NOEXISTE"), QStringLiteral("Silenciosa"));
        QVERIFY(r.startsWith(kError));
    }

    void abrirConsulta_data() { AddEngineRows(); }
    void abrirConsulta() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        TQuery q;
        q.SQL().setText(QStringLiteral("SELECT Codigo, Descripcion FROM MONEDA"));
        QVERIFY(AbrirConsulta(nullptr, &q, QString()));
        QVERIFY(q.Active());
        QCOMPARE(q.DatabaseName(), NombreBaseDatosSelector(QString()));
        q.Close();

        q.SQL().setText(QStringLiteral("INSERT INTO MONEDA (Codigo) VALUES (3)"));
        QVERIFY(AbrirConsulta(nullptr, &q, QString()));
        QVERIFY(!q.Active());

        MessageSeam::clearLog();
        q.SQL().setText(QStringLiteral("INSERT INTO MONEDA (Codigo) VALUES (3)"));  // duplicate
        QVERIFY(!AbrirConsulta(nullptr, &q, QStringLiteral("Silencio")));
        QCOMPARE(MessageSeam::log().size(), 0);
        QVERIFY(!AbrirConsulta(nullptr, &q, QString()));
        QVERIFY(MessageSeam::log().first().text.startsWith(
            QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ")));
        // Outside a transaction a failure spoils no unit of work: the next
        // delete of a master is not refused for it.
        QVERIFY(!ErrorEnTransaccion);
        // Inside one it does, silent or not.
        for (const QString& opciones : {QStringLiteral("Silencio"), QString()}) {
            QVERIFY(IniciarTransaccion(inst.sesion()));
            QVERIFY(!AbrirConsulta(nullptr, &q, opciones));
            QVERIFY(ErrorEnTransaccion);
            QVERIFY(CancelarTransaccion(inst.sesion()));
            QVERIFY(!ErrorEnTransaccion);
        }
    }

    // One statement at a time on both engines, the program's own too; a
    // user's statement ("SentenciaUsuario") only reads, and reaches nothing
    // beyond its database: refused before anything runs, the rows intact
    // and no file written.
    void unaSentenciaYSoloLectura_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("ruta");
        QTest::addColumn<QString>("sentencia");
        QTest::addColumn<QString>("motivo");
        const QString varias = SeveralStatementsReason();
        const QList<std::tuple<const char*, const char*, QString, QString>> casos = {
            {"select y update", "EjecutarSQL",
             "SELECT Codigo FROM PRUEBA; UPDATE PRUEBA SET Nombre = 'cambiado'", varias},
            {"select y delete", "AbrirConsulta", "SELECT Codigo FROM PRUEBA; DELETE FROM PRUEBA",
             varias},
            {"update y delete", "AbrirConsulta",
             "UPDATE PRUEBA SET Nombre = 'cambiado';\nDELETE FROM PRUEBA", varias},
            {"delete de un usuario", "SentenciaUsuario", "DELETE FROM PRUEBA WHERE Codigo = 1",
             ReadOnlyPathReason(QStringLiteral("DELETE"))},
            {"delete en WITH de un usuario", "SentenciaUsuario",
             "WITH x AS (SELECT 1) DELETE FROM PRUEBA WHERE Codigo = 2",
             ReadOnlyPathReason(QStringLiteral("DELETE"))},
            {"attach de un usuario", "SentenciaUsuario", "ATTACH DATABASE '%DIR%/x.db' AS u",
             QString()},
            {"usuarios leídos por un usuario", "SentenciaUsuario",
             "SELECT * FROM USUARIO", UsersTableReason()},
            {"usuarios contados por un usuario", "SentenciaUsuario",
             "SELECT COUNT(*) FROM Usuario", UsersTableReason()},
        };
        for (const auto& [nombre, ruta, sentencia, motivo] : casos)
            for (Engine m : AvailableEngines())
                QTest::addRow("%s %s", qPrintable(EngineTag(m)), nombre)
                    << int(m) << QString::fromLatin1(ruta) << sentencia << motivo;
    }
    void unaSentenciaYSoloLectura() {
        QFETCH(int, engine);
        QFETCH(QString, ruta);
        QFETCH(QString, sentencia);
        QFETCH(QString, motivo);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        crearPrueba();
        QTemporaryDir dir;
        sentencia.replace(QLatin1String("%DIR%"), dir.path());
        const QString filas = sql(QStringLiteral("SELECT Codigo, Nombre FROM PRUEBA ORDER BY 1"));
        QString r;
        if (ruta == QLatin1String("AbrirConsulta")) {
            TQuery q;
            q.SQL().setText(sentencia);
            QVERIFY(!AbrirConsulta(nullptr, &q, QStringLiteral("Silencio"), r));
        } else {
            r = sql(sentencia, ruta == QLatin1String("SentenciaUsuario")
                                   ? QStringLiteral("Silenciosa SentenciaUsuario")
                                   : QStringLiteral("Silenciosa"));
            QVERIFY2(r.startsWith(kError), qPrintable(r));
            r = r.mid(kError.size());
        }
        if (!motivo.isEmpty())
            QCOMPARE(r, motivo);
        else  // the engine's own refusal, in Spanish
            QVERIFY2(r.startsWith(QLatin1String("la sentencia ")), qPrintable(r));
        QCOMPARE(sql(QStringLiteral("SELECT Codigo, Nombre FROM PRUEBA ORDER BY 1")), filas);
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    // A user's statement of any length or depth is checked or refused
    // cleanly: the program goes on, the rows intact. PostgreSQL's check
    // says why in Spanish (too long to check, nested too deeply).
    void sentenciaLargaOProfunda_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("sentencia");
        QTest::addColumn<QString>("motivo");  // on PostgreSQL
        for (Engine m : AvailableEngines()) {
            NewEngineRow(m, "cadena de 70.000 términos")
                << QString(QStringLiteral("SELECT 1") + QStringLiteral("+1").repeated(70000))
                << QStringLiteral("demasiado profundamente");
            NewEngineRow(m, "200.000 paréntesis")
                << QString(QStringLiteral("SELECT ") + QString(200000, QLatin1Char('(')) +
                           QLatin1Char('1') + QString(200000, QLatin1Char(')')))
                << QStringLiteral("demasiado larga");
            NewEngineRow(m, "4 MB")
                << QString(QStringLiteral("SELECT '") + QString(4 << 20, QLatin1Char('x')) +
                           QStringLiteral("' AS x"))
                << QStringLiteral("demasiado larga");
        }
    }
    void sentenciaLargaOProfunda() {
        QFETCH(int, engine);
        QFETCH(QString, sentencia);
        QFETCH(QString, motivo);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        crearPrueba();
        const QString filas = sql(QStringLiteral("SELECT Codigo, Nombre FROM PRUEBA ORDER BY 1"));
        const QString r = sql(sentencia, QStringLiteral("Silenciosa SentenciaUsuario"));
        // SQLite reads them all itself: a refusal, or the 4 MB text back.
        if (engine == int(Engine::Postgres))
            QVERIFY2(r.startsWith(kError) && r.contains(motivo), qPrintable(r.left(200)));
        QCOMPARE(sql(QStringLiteral("SELECT Codigo, Nombre FROM PRUEBA ORDER BY 1")), filas);
    }

    void dentroDeUnaTransaccion_data() { AddEngineRows(); }
    void dentroDeUnaTransaccion() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        crearPrueba();
        QVERIFY(IniciarTransaccion(inst.sesion()));
        // A silent DROP of a missing table, and a missing table created and
        // retried: the transaction goes on (PostgreSQL aborts it otherwise).
        QVERIFY(sql(QStringLiteral("DROP TABLE TEMPNOEXISTE1"), QStringLiteral("Silenciosa"))
                    .startsWith(kError));
        QCOMPARE(sql(QStringLiteral("INSERT INTO PRUEBA (Codigo, Nombre) VALUES (8, 'Ocho')")),
                 QString());
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM GRANTAB")), QStringLiteral("0"));
        QVERIFY(empresa()->InTransaction());
        QVERIFY(ConfirmarTransaccion(inst.sesion()));
        QCOMPARE(sql(QStringLiteral("SELECT Nombre FROM PRUEBA WHERE Codigo = 8")),
                 QStringLiteral("Ocho"));
        QVERIFY(empresa()->TableExists(QStringLiteral("GRANTAB")));
    }

    void variablesNumeradas() {
        QString lista;
        VariablesSQL(nullptr,
                     QStringLiteral("SELECT * FROM P WHERE N = :$Nombre AND F >= :&Desde AND M = "
                                    ":$Nombre"),
                     lista);
        QCOMPARE(lista, QStringLiteral("$Nombre\r\n&Desde\r\n$Nombre_1\r\n"));
        VariablesSQL(nullptr,
                     QStringLiteral("WHERE (A = :$Nombre) OR (B = :$Nombre,\r\n) AND C = :&Fecha"),
                     lista);
        QCOMPARE(lista, QStringLiteral("$Nombre\r\n$Nombre_0\r\n&Fecha\r\n"));
        VariablesSQL(nullptr, QStringLiteral("SELECT A FROM T WHERE B = :#N AND C = ::x"), lista);
        QCOMPARE(lista, QStringLiteral("#N\r\n"));
        VariablesSQL(nullptr, QStringLiteral("SELECT 1"), lista);
        QCOMPARE(lista, QString());
    }

    void consultasGuardadas_data() { AddEngineRows(); }
    // The menu lists, per user, exactly the queries the run check lets that
    // user run: authorised codes compared whole and in any letter case, and
    // every query for an administrator.
    void consultasGuardadas() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        TModuloDatos modulo;
        const QStringList filas = {
            "'SQL', 'Bajas', 'AplicacionesContenedoras=KORVAND.EXE, PELISTO.EXE'",
            "'SQL', 'Altas', 'AplicacionesContenedoras=KORVAND.EXE\r\nUsuariosAutorizados=JEFE'",
            "'SQL', 'Mixta', 'AplicacionesContenedoras=KORVAND.EXE\r\nUsuariosAutorizados=jefe, "
            "LUIS,'",
            "'SQL', 'Otras', 'AplicacionesContenedoras=MURDANE.EXE'",
            "'GeneradorInformes', 'Informe', 'AplicacionesContenedoras=KORVAND.EXE'"};
        for (const QString& f : filas)
            QCOMPARE(sql(QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, "
                                        "Instrucciones) VALUES (") +
                         f + QLatin1Char(')')),
                     QString());
        for (const char* u : {"('ANA', 'JEFE')", "('LUIS', 'Normal')", "('JEFE', 'Normal')",
                              "('JULIA', 'Administrador')"})
            sql(QStringLiteral("INSERT INTO USUARIO (Codigo, Categoria) VALUES ") +
                    QLatin1String(u),
                QString(), QStringLiteral("DatabaseGeneral"));

        QString lista;
        ConsultasGuardadas(&modulo, QString(), QString(), QStringLiteral("ConsultasSQL"), lista);
        QCOMPARE(lista, QStringLiteral("Altas\r\nBajas\r\nMixta\r\nOtras\r\n"));
        const struct {
            const char* usuario;
            const char* menu;
        } casos[] = {
            // ANA borrows JEFE's rights: "jefe" is JEFE.
            {"ANA", "Altas\r\nBajas\r\nMixta\r\n"},
            // " LUIS" (with its blank) is not LUIS.
            {"LUIS", "Bajas\r\n"},
            {"JULIA", "Altas\r\nBajas\r\nMixta\r\n"},
        };
        for (const auto& c : casos) {
            const QString usuario = QLatin1String(c.usuario);
            ConsultasGuardadas(&modulo, usuario, QStringLiteral("KORVAND.EXE"),
                               QStringLiteral("ConsultasSQL"), lista);
            QCOMPARE(lista, QString::fromUtf8(c.menu));
            for (const char* q : {"Altas", "Bajas", "Mixta"})
                QVERIFY2(ConsultaAutorizada(&modulo, QLatin1String(q), usuario) ==
                             lista.contains(QLatin1String(q)),
                         qPrintable(usuario + QLatin1Char('/') + QLatin1String(q)));
        }
        ConsultasGuardadas(&modulo, QStringLiteral("LUIS"), QStringLiteral("KORVAND.EXE"),
                           QStringLiteral("GeneradorInformes"), lista);
        QCOMPARE(lista, QStringLiteral("Informe\r\n"));
    }

    void sentenciasDeSqlServer_data() { AddEngineRows(); }
    void sentenciasDeSqlServer() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa(1));
        crearPrueba();
        TTable t;
        abrirPrueba(t);
        QVERIFY(t.FindKey({3}));
        // Empty memos go as NULL, the rest quoted; the key picks the row.
        QCOMPARE(SentenciaActualizarRegistroSQL(nullptr, &t),
                 QStringLiteral("UPDATE PRUEBA  SET Notas = NULL  WHERE Codigo = '3'"));
        QVERIFY(t.FindKey({2}));
        QCOMPARE(
            SentenciaActualizarRegistroSQL(nullptr, &t),
            QStringLiteral("UPDATE PRUEBA  SET Notas = 'línea 1\r\nlínea 2'  WHERE Codigo = '2'"));

        QCOMPARE(ColumnasTablaSQLServer(&t),
                 QStringLiteral("Codigo INTEGER DEFAULT 0, Nombre VARCHAR(30) DEFAULT '' NULL, "
                                "Notas TEXT NULL, Alta DATETIME DEFAULT '") +
                     FechaCeroSQL + QStringLiteral("' NULL, "));
        // Nothing runs on the other engines.
        MessageSeam::clearLog();
        ActualizarRegistroSQL(nullptr, &t);
        QCOMPARE(mostrados(), QStringList());
    }

    void camposDeFechaYHora() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa(1));
        crearPrueba();
        TTable t;
        abrirPrueba(t);
        TField* alta = t.FieldByName(QStringLiteral("Alta"));
        QString texto;
        QVERIFY(t.FindKey({1}));
        TextoCampoFecha(nullptr, alta, texto);
        QCOMPARE(texto, QStringLiteral("05/01/2024"));
        QVERIFY(t.FindKey({3}));
        TextoCampoFecha(nullptr, alta, texto);
        QCOMPARE(texto, QString());
        t.Edit();
        alta->setAsString(QStringLiteral("30/12/1899 10:15:00"));
        TextoCampoFechaHora(nullptr, alta, texto);
        QCOMPARE(texto, QStringLiteral("10:15:00"));
        TextoCampoFecha(nullptr, alta, texto);
        QCOMPARE(texto, QString());
        AsignarHora(nullptr, alta, QStringLiteral("9"));
        QCOMPARE(alta->AsDateTime().time(), QTime(9, 0));
        AsignarHora(nullptr, alta, QString());
        QCOMPARE(alta->AsDateTime().time(), QTime(0, 0));
        t.Cancel();
    }
};

QTEST_MAIN(TestGeneModuSql)
#include "tst_genemodu_sql.moc"
