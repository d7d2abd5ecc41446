// Tables created from definitions (the dictionary or a work-table text), on
// every engine, opened one by one or for a whole owner.

#include <QApplication>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <optional>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/hiddencolumns.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "io/textfile.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/loginprueba.h"
#include "support/otroprograma.h"

namespace {

// An advice shown without the line that names the incidents file it is
// also kept in.
QString SinNotaDeIncidencias(const QString& Aviso) {
    return Aviso.section(QStringLiteral("\nEste aviso, con sus sentencias"), 0, 0);
}

const QString CRLF = QStringLiteral("\r\n");

QString lineas(const QStringList& l) {
    return l.join(CRLF) + CRLF;
}

QStringList mostrados() {
    QStringList r;
    for (const auto& m : MessageSeam::log()) r << m.kind + QLatin1Char(':') + m.text;
    return r;
}

// The site's dictionary beside the standard one (the general folder).
void escribirDiccionario(const TestInstalacion& inst, const QString& extension,
                         const QStringList& l) {
    QVERIFY(WriteTextFile(inst.carpetaGeneral() + "/DATABASE." + extension, lineas(l),
                          TextEncoding::Windows1252));
}

const QStringList kPuesto{
    "PUESTO/C/1/Codigo/ftString/10/*",     "PUESTO/C/2/Descripcion/ftString/40/",
    "PUESTO/C/3/Importe/ftFloat/0/",       "PUESTO/I/1/<Primary>/Codigo/",
    "PUESTO/I/2/Descripcion/Descripcion/",
};

// A window that opens a table and then the users' table: the second tells
// whether the opening went on past the first.
struct VentanaDosTablas {
    QWidget form;
    TTable* tabla;
    TTable* usuario;
    VentanaDosTablas(const QString& nombre, const QString& nombreTabla)
        : tabla(new TTable(&form)), usuario(new TTable(&form)) {
        form.setObjectName(nombre);
        tabla->setObjectName("Table1");
        tabla->setTableName(nombreTabla);
        usuario->setObjectName("Table2");
        usuario->setTableName("USUARIO");
    }
    // The opening refused: the window closed before it was shown, and
    // nothing after the table opened.
    void AperturaAbandonada(TfGENEINIC* f) {
        form.show();
        QVERIFY_THROWS_EXCEPTION(EAbort, AbrirTablasFormulario(f, &form));
        QVERIFY(!form.isVisible());
        QVERIFY(!usuario->Active());
    }
};

QStringList nombresCampos(TDatabase* db, const QString& tabla) {
    QStringList r;
    db->InvalidateCatalog();
    for (const TFieldDef& f : db->ColumnDefs(tabla)) r << f.Name;
    return r;
}

// The company database as a program other than this one reaches it (an
// earlier version, an administrator's tool): a connection of its own.
struct DeFuera {
    Engine motor;
    TConnectionParams params;
    QString archivo;
    explicit DeFuera(const TestInstalacion& inst)
        : motor(inst.motor()),
          params(inst.sesion()->Database->Params()),
          archivo(inst.ubicacionEmpresa(1) + QLatin1Char('/') + QLatin1String(kDatabaseFileName)) {}
    // Runs one statement; the first column of each row it gives.
    QStringList operator()(const QString& sql) const {
        QStringList filas;
        const QString nombre = QStringLiteral("fuera del programa");
        {
            QSqlDatabase db;
            if (motor == Engine::Postgres) {
                db = OpenOutside(params, nombre);
                QSqlQuery(db).exec(QStringLiteral("SET search_path = ") + params.schema);
            } else {
                db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
                db.setDatabaseName(archivo);
                db.open();
            }
            QSqlQuery q(db);
            if (!q.exec(sql))
                QTest::qFail(qPrintable(q.lastError().text() + QStringLiteral(": ") + sql),
                             __FILE__, __LINE__);
            while (q.isSelect() && q.next()) filas << q.value(0).toString();
        }
        QSqlDatabase::removeDatabase(nombre);
        return filas;
    }
};

// A statement as the users' SQL window runs it, with its checks and its
// making of a program's table the statement names; false, once told, when
// refused.
bool ComoVentanaSQL(const QString& sql) {
    TQuery u;
    u.setDatabaseName(QStringLiteral("Database"));
    u.setUserStatement(true);
    u.SQL().setText(sql);
    return AbrirConsulta(ModuloDatos, &u, QStringLiteral("ExecSQL"));
}

}  // namespace

class TestGeneInicTablas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { MessageSeam::activate(); }
    void cleanup() {
        MessageSeam::deactivate();
        AnularTerminacion();
        TipoBaseDatos = QStringLiteral("Paradox");
        GanchoPrepararFormulario = nullptr;
        GanchoTraducirFormulario = nullptr;
    }

    // ------------------------------------------------------------ SQL Server text

    void nombresSQLServer() {
        TipoBaseDatos = QStringLiteral("Microsoft SQL Server");
        QString r;
        NombreCampoSQL(nullptr, QStringLiteral("AÑO-MES"), r);
        QCOMPARE(r, QStringLiteral("AÑOMES"));
        NombreCampoSQL(nullptr, QStringLiteral("año-mes"), r);
        QCOMPARE(r, QStringLiteral("a_o-mes"));
        TipoBaseDatos = QStringLiteral("SQL Generica");
        NombreCampoSQL(nullptr, QStringLiteral("Cod-Postal"), r);
        QCOMPARE(r, QStringLiteral("Cod-Postal"));
        TipoDecimalSQL(nullptr, QStringLiteral("CambioMoneda"), r);
        QCOMPARE(r, QStringLiteral("DECIMAL(28,8)"));
        TipoDecimalSQL(nullptr, QStringLiteral("FactorConversion"), r);
        QCOMPARE(r, QStringLiteral("DECIMAL(28,12)"));
        TipoDecimalSQL(nullptr, QStringLiteral("Cambio"), r);
        QCOMPARE(r, QStringLiteral("DECIMAL(28,12)"));
    }

    void sentenciasSQLServer() {
        TipoBaseDatos = QStringLiteral("Microsoft SQL Server");
        const QStringList l{
            "T/C/1/A/ftInteger/0/*",      "T/C/2/B/ftString/10/*/",
            "T/C/3/Importe/ftFloat/0/NO", "T/C/4/Cambio/ftFloat/0/",
            "T/C/5/Año/ftSmallint/0/",    "T/C/6/Cod-Postal/ftString/5/",
            "T/C/7/Alta/ftDateTime/0/",   "T/C/8/Nota/ftMemo/0/",
            "T/C/9/Foto/ftGraphic/0/",    "T/C/10/Id/ftAutoInc/0/",
            "T/C/11/Largo/ftString/MAX/", "T/C/12/Activo/ftBoolean/0/",
            "T/I/1/<Primary>/A;B/",       "T/I/2/Año/Año;B/-",
        };
        const TSentenciasTabla s = SentenciasCrearTablaSQL(Engine::SqlServer, "dbo.T", l, false);
        QCOMPARE(s.CrearTabla,
                 QStringLiteral(
                     "CREATE TABLE dbo.T (A INTEGER DEFAULT 0, B VARCHAR(10) DEFAULT '', "
                     "Importe DECIMAL(28,8) DEFAULT 0 NULL, Cambio DECIMAL(28,12) DEFAULT 0 NULL, "
                     "A_o SMALLINT DEFAULT 0 NULL, CodPostal VARCHAR(5) DEFAULT '' NULL, "
                     "Alta DATETIME DEFAULT '30/12/1899 00:00:00' NULL, Nota TEXT  NULL, "
                     "Foto IMAGE NULL, Id INTEGER IDENTITY(1,1) NULL, "
                     "Largo VARCHAR(MAX) DEFAULT '' NULL, Activo BIT DEFAULT 0 NULL, "
                     "CONSTRAINT T_Clave1 PRIMARY KEY (A, B))"));
        QCOMPARE(s.Indices, QStringList{"CREATE INDEX T_A_o ON T (A_o,B) "});
        QVERIFY(s.Comentarios.isEmpty());

        // A work table has no owner; SQL Server 2000 keeps long texts as TEXT.
        const TSentenciasTabla t =
            SentenciasCrearTablaSQL(Engine::SqlServer, "TEMP000001_fX",
                                    {"/C/1/Linea/ftInteger/0/*", "/C/2/Largo/ftString/max/"}, true,
                                    "Microsoft SQL Server  2000 - 8.00.2039");
        QCOMPARE(t.CrearTabla,
                 QStringLiteral("CREATE TABLE TEMP000001_fX (Linea INTEGER DEFAULT 0, "
                                "Largo TEXT  NULL, CONSTRAINT TEMP000001_fX_Clave1 "
                                "PRIMARY KEY (Linea))"));
        // A work table's key is its "<Primary>" line, in that order, also
        // over a column that is not required.
        QCOMPARE(SentenciasCrearTablaSQL(Engine::SqlServer, "TEMP000002_fX",
                                         {"/C/1/Grupo/ftString/10/", "/C/2/Fecha/ftDateTime/0/*",
                                          "/C/3/Nota/ftString/10/", "/I/1/<Primary>/grupo;Fecha"},
                                         true)
                     .CrearTabla,
                 QStringLiteral("CREATE TABLE TEMP000002_fX (Grupo VARCHAR(10) DEFAULT '', "
                                "Fecha DATETIME DEFAULT '30/12/1899 00:00:00', Nota VARCHAR(10) "
                                "DEFAULT '' NULL, CONSTRAINT TEMP000002_fX_Clave1 PRIMARY KEY "
                                "(Grupo, Fecha))"));
        // No key: no constraint, and no column at all: no statement.
        QCOMPARE(SentenciasCrearTablaSQL(Engine::SqlServer, "U", {"U/C/1/X/ftInteger/0/"}, false)
                     .CrearTabla,
                 QStringLiteral("CREATE TABLE dbo.U (X INTEGER DEFAULT 0 NULL)"));
        QVERIFY(SentenciasCrearTablaSQL(Engine::SqlServer, "U", {"U/I/1/<Primary>/X/"}, false)
                    .CrearTabla.isEmpty());
    }

    // Definition lines that are short, mistyped or padded give the
    // statements they always gave: a missing or unknown part is left empty
    // for the server to refuse, padding is trimmed, other lines are skipped.
    void lineasDefinicion_data() {
        QTest::addColumn<int>("motor");
        QTest::addColumn<bool>("temporal");
        QTest::addColumn<QStringList>("lineas");
        QTest::addColumn<QString>("crear");
        QTest::addColumn<QStringList>("indices");
        QTest::addColumn<QStringList>("comentarios");
        const int mssql = int(Engine::SqlServer), pg = int(Engine::Postgres);
        QTest::newRow("tamaño ausente")
            << pg << false << QStringList{"T/C/1/A/ftString//*"}
            << "CREATE TABLE T (A VARCHAR() COLLATE \"C\" DEFAULT '', CONSTRAINT T_Clave1 "
               "PRIMARY KEY (A))"
            << QStringList()
            << QStringList{"COMMENT ON TABLE T IS 'T'", "COMMENT ON COLUMN T.A IS 'A;ftString;0;0'",
                           "COMMENT ON INDEX T_Clave1 IS 'T_Clave1'"};
        QTest::newRow("tipo desconocido")
            << pg << false << QStringList{"T/C/1/A/ftInteger/0/*", "T/C/2/B/ftTexto/10/"}
            << "CREATE TABLE T (A INTEGER DEFAULT 0, B NULL, CONSTRAINT T_Clave1 PRIMARY KEY (A))"
            << QStringList()
            << QStringList{"COMMENT ON TABLE T IS 'T'",
                           "COMMENT ON COLUMN T.A IS 'A;ftInteger;0;0'",
                           "COMMENT ON COLUMN T.B IS 'B;ftUnknown;10;0'",
                           "COMMENT ON INDEX T_Clave1 IS 'T_Clave1'"};
        QTest::newRow("tamaño en minúsculas")
            << pg << false << QStringList{"T/C/1/L/ftString/max/"}
            << "CREATE TABLE T (L VARCHAR COLLATE \"C\" DEFAULT '' NULL)" << QStringList()
            << QStringList{"COMMENT ON TABLE T IS 'T'",
                           "COMMENT ON COLUMN T.L IS 'L;ftString;0;0'"};
        QTest::newRow("línea corta y líneas ajenas")
            << mssql << false << QStringList{"T/C/1/Solo",
                                             "texto suelto",
                                             "",
                                             "T/SQL/1/UPDATE T SET A = 1",
                                             "T/X/1/B/ftInteger/0/",
                                             "T/C/2/A/ftInteger/0/*"}
            << "CREATE TABLE dbo.T (Solo NULL, A INTEGER DEFAULT 0, CONSTRAINT T_Clave1 PRIMARY "
               "KEY (A))"
            << QStringList() << QStringList();
        QTest::newRow("espacios alrededor")
            << mssql << false << QStringList{"T/C/1/A/ftString/ 20 / * ", "T/C/2/B/ftString/5/ x"}
            << "CREATE TABLE dbo.T (A VARCHAR(20) DEFAULT '', B VARCHAR(5) DEFAULT '' NULL, "
               "CONSTRAINT T_Clave1 PRIMARY KEY (A))"
            << QStringList() << QStringList();
        QTest::newRow("opciones de índice")
            << mssql << false
            << QStringList{"T/C/1/A/ftInteger/0/", "T/C/2/B/ftInteger/0/", "T/I/1/Ambos/A;B/-Unico",
                           "T/I/2/Solo/B/Descendente-"}
            << "CREATE TABLE dbo.T (A INTEGER DEFAULT 0 NULL, B INTEGER DEFAULT 0 NULL)"
            << QStringList{"CREATE UNIQUE INDEX T_Ambos ON T (A,B) ",
                           "CREATE INDEX T_Solo ON T (B) "}
            << QStringList();
        // The last key line of a work table holds; its empty pieces name
        // no column.
        QTest::newRow("clave repetida")
            << mssql << true
            << QStringList{"/I/1/<Primary>/A/", "/C/1/A/ftInteger/0/", "/C/2/B/ftInteger/0/",
                           "/I/2/<Primary>/;B;/"}
            << "CREATE TABLE TMP (A INTEGER DEFAULT 0 NULL, B INTEGER DEFAULT 0, CONSTRAINT "
               "TMP_Clave1 PRIMARY KEY (B))"
            << QStringList() << QStringList();
    }
    void lineasDefinicion() {
        QFETCH(int, motor);
        QFETCH(bool, temporal);
        QFETCH(QStringList, lineas);
        const TSentenciasTabla s =
            SentenciasCrearTablaSQL(Engine(motor), temporal ? "TMP" : "T", lineas, temporal);
        QTEST(s.CrearTabla, "crear");
        QTEST(s.Indices, "indices");
        QTEST(s.Comentarios, "comentarios");
    }

    // ------------------------------------------------------------ both engines

    void tablaDelDiccionario_data() { AddEngineRows(); }
    // A missing table opened by AbrirTabla is created from the site's file,
    // the variant file and the user fields, on the company's database, and
    // opened without a message.
    void tablaDelDiccionario() {
        TestInstalacion inst(CurrentEngine(), {.empresas = {12}, .empresaActual = 12});
        QVERIFY(inst.iniciada());
        TfGENEINIC* f = inst.sesion();
        escribirDiccionario(inst, "ESP", kPuesto);
        escribirDiccionario(inst, "VRT",
                            {"[Definiciones Complementarias]", "PUESTO/C/4/Nivel/ftSmallint/0/",
                             "PUESTO/I/3/Nivel/Nivel;Codigo/"});
        f->DatabaseGeneral->Execute(
            "INSERT INTO CAMPOUSR (NombreTabla, NombreCampo, TipoCampo, LongitudCampo, "
            "OrdenCampo) VALUES ('PUESTO', 'Notas', 'Texto', 0, 2), "
            "('PUESTO', 'Zona', 'Alfanumerico', 8, 1), ('PUESTO', 'Raro', 'Hora', 0, 3)");
        MessageSeam::clearLog();

        QObject dueno;
        dueno.setObjectName("fRRHHPUES");
        auto* t = new TTable(&dueno);
        t->setObjectName("Table1");
        t->setTableName("PUESTO");
        QVERIFY(AbrirTabla(f, t));
        QVERIFY(t->Active());
        QCOMPARE(mostrados(), QStringList());
        QVERIFY(f->Database->TableExists("PUESTO"));
        QCOMPARE(nombresCampos(f->Database, "PUESTO"),
                 QStringList({"Codigo", "Descripcion", "Importe", "Nivel", "Zona", "Notas"}));
        const TFieldDefs campos = f->Database->ColumnDefs("PUESTO");
        QCOMPARE(campos[4].DataType, ftString);
        QCOMPARE(campos[4].Size, 8);
        QCOMPARE(campos[5].DataType, ftMemo);
        QCOMPARE(campos[2].DataType, ftFloat);
        const TIndexDefs indices = f->Database->IndexDefs("PUESTO");
        QVERIFY(indices.size() >= 3);
        QVERIFY(indices[0].Options & ixPrimary);
        QCOMPARE(indices[0].Fields, QStringLiteral("Codigo"));

        // Rows go in and come back, amounts with their decimals.
        t->Append();
        t->FieldByName("Codigo")->setAsString("P1");
        t->FieldByName("Importe")->setValue(1234.5678);
        t->FieldByName("Zona")->setAsString("NORTE");
        t->Post();
        t->Close();
        t->Open();
        QCOMPARE(t->FieldByName("Importe")->AsFloat(), 1234.5678);
        QCOMPARE(t->FieldByName("Zona")->AsString(), QStringLiteral("NORTE"));

        // An existing table is not touched: false, the row stays.
        t->Close();
        QVERIFY(!CrearTabla(f, t));
        QCOMPARE(f->Database->Scalar("SELECT COUNT(*) FROM PUESTO").toInt(), 1);
        QCOMPARE(mostrados(), QStringList());
    }

    void bloqueDelDiccionario_data() { AddEngineRows(); }
    // A table is made from the first run of its lines, whatever the case of
    // its name there; the user fields follow the columns written before the
    // first index line.
    void bloqueDelDiccionario() {
        TestInstalacion inst(CurrentEngine(), {.empresaActual = 1});
        QVERIFY(inst.iniciada());
        TfGENEINIC* f = inst.sesion();
        escribirDiccionario(
            inst, "ESP",
            {"OTRA/C/1/Nada/ftInteger/0/*", "lineas/C/1/Codigo/ftString/10/*",
             "LINEAS/I/1/<Primary>/Codigo/", "Lineas/C/2/Texto/ftString/20/",
             "LINEAS/I/2/Texto/Texto/", "", "LINEAS/C/3/Tarde/ftInteger/0/", kPuesto.join(CRLF)});
        f->DatabaseGeneral->Execute(
            "INSERT INTO CAMPOUSR (NombreTabla, NombreCampo, TipoCampo, LongitudCampo, "
            "OrdenCampo) VALUES ('LINEAS', 'Zona', 'Alfanumerico', 8, 1)");
        MessageSeam::clearLog();
        QObject dueno;
        TTable t(&dueno);
        t.setTableName("LINEAS");
        t.setDatabaseName(f->Database->DatabaseName());
        QVERIFY(CrearTabla(f, &t));
        QCOMPARE(mostrados(), QStringList());
        QCOMPARE(nombresCampos(f->Database, "LINEAS"), QStringList({"Codigo", "Zona", "Texto"}));
        QCOMPARE(f->Database->IndexDefs("LINEAS").size(), 2);
    }

    void tablasTemporales_data() { AddEngineRows(); }
    // "Tabla Temporal" and "Tabla Temporal 1" of one owner are two work
    // tables; a number that is not one counts as 0; made again, a work table
    // starts empty. They are left open.
    void tablasTemporales() {
        TestInstalacion inst(CurrentEngine(), {.empresaActual = 1});
        QVERIFY(inst.iniciada());
        TfGENEINIC* f = inst.sesion();
        QObject dueno;
        dueno.setObjectName("fRRHHLPLA");
        const QString cuerpo = CRLF + lineas({"/C/1/Linea/ftInteger/0/*", "/C/2/Texto/ftString/20/",
                                              "/I/1/<Primary>/Linea/", "/I/2/Texto/Texto/-"});
        TTable a(&dueno), b(&dueno), c(&dueno);
        QVERIFY(CrearTablaEstructura(f, &a, "Tabla Temporal" + cuerpo, -1));
        QVERIFY(CrearTablaEstructura(f, &b, "Tabla Temporal 1" + cuerpo, -1));
        QVERIFY(a.Active() && b.Active());
        QVERIFY(a.TableName() != b.TableName());
        QVERIFY(a.TableName().startsWith("TEMP"));
        QVERIFY(a.TableName().endsWith("_fRRHHLPLA"));
        a.Append();
        a.FieldByName("Linea")->setAsInteger(1);
        a.FieldByName("Texto")->setAsString("uno");
        a.Post();
        QCOMPARE(a.RecordCount(), 1);

        QVERIFY(CrearTablaEstructura(f, &c, "Tabla Temporal X" + cuerpo, -1));
        QCOMPARE(c.TableName(), a.TableName());
        QCOMPARE(c.RecordCount(), 0);
        QCOMPARE(mostrados(), QStringList());
    }

    void todosLosTipos_data() { AddEngineRows(); }
    // Every field type is created, keeps its type and holds a value.
    void todosLosTipos() {
        TestInstalacion inst(CurrentEngine(), {.empresaActual = 1});
        QVERIFY(inst.iniciada());
        TfGENEINIC* f = inst.sesion();
        QStringList def{"Tabla Temporal", "/C/1/Id/ftAutoInc/0/*"};
        QList<TFieldType> tipos;
        for (int t = ftString; t <= ftTypedBinary; ++t) {
            if (t == ftAutoInc) continue;
            tipos << TFieldType(t);
            def << QStringLiteral("/C/%1/C%1/%2/%3/")
                       .arg(t + 1)
                       .arg(FieldTypeName(TFieldType(t)))
                       .arg(HasSize(TFieldType(t)) ? 12 : 0);
        }
        QObject dueno;
        dueno.setObjectName("fTIPOS");
        TTable t(&dueno);
        QVERIFY2(CrearTablaEstructura(f, &t, lineas(def), -1), qPrintable(mostrados().join("\n")));
        TDatabase* db = t.Database();
        db->InvalidateCatalog();
        const TFieldDefs campos = db->ColumnDefs(t.TableName());
        QCOMPARE(campos.size(), tipos.size() + 1);
        QCOMPARE(campos[0].DataType, ftAutoInc);
        for (int i = 0; i < tipos.size(); ++i) {
            QCOMPARE(campos[i + 1].Name, QStringLiteral("C%1").arg(int(tipos[i]) + 1));
            QCOMPARE(FieldTypeName(campos[i + 1].DataType), FieldTypeName(tipos[i]));
        }
        // A row with the defaults: the identity numbers it, dates are the zero date.
        t.Append();
        t.FieldByName(QStringLiteral("C%1").arg(int(ftString) + 1))->setAsString("texto");
        t.Post();
        t.Close();
        t.Open();
        QCOMPARE(t.RecordCount(), 1);
        QVERIFY(t.FieldByName("Id")->AsInteger() > 0);
        QCOMPARE(t.FieldByName(QStringLiteral("C%1").arg(int(ftString) + 1))->AsString(),
                 QStringLiteral("texto"));
    }

    void fallosDeCreacion_data() { AddEngineRows(); }
    // A failed creation leaves no table and never ends a transaction that the
    // caller started.
    void fallosDeCreacion() {
        TestInstalacion inst(CurrentEngine(), {.empresaActual = 1});
        QVERIFY(inst.iniciada());
        TfGENEINIC* f = inst.sesion();
        const bool sqlite = CurrentEngine() == Engine::Sqlite;
        escribirDiccionario(inst, "ESP",
                            {"MALO/C/1/Codigo/ftInteger/0/*", "MALO/I/1/<Primary>/Codigo/",
                             "MALO/I/2/Falta/NoExiste/", "", "ROTO/C/1/Codigo//0/*",
                             "ROTO/I/1/<Primary>/Codigo/", "", kPuesto.join(CRLF)});
        QObject dueno;
        TTable malo(&dueno), roto(&dueno), puesto(&dueno);
        malo.setTableName("MALO");
        malo.setDatabaseName(f->Database->DatabaseName());
        roto.setTableName("ROTO");
        roto.setDatabaseName(f->Database->DatabaseName());
        puesto.setTableName("PUESTO");
        puesto.setDatabaseName(f->Database->DatabaseName());
        QVERIFY2(CrearTabla(f, &puesto), qPrintable(mostrados().join("\n")));

        // An index on a missing field: no table, no transaction left.
        MessageSeam::clearLog();
        if (sqlite) {
            // Only whatever needs the table stops; the program goes on.
            QVERIFY_THROWS_EXCEPTION(ETablaNoCreada, CrearTabla(f, &malo));
            QCOMPARE(MessageSeam::log().size(), 1);
            QCOMPARE(MessageSeam::log()[0].kind, QStringLiteral("A"));
            QVERIFY(
                MessageSeam::log()[0].text.startsWith("¡ Error creando la tabla MALO !. Motivo: "));
            QVERIFY(!TerminacionSolicitada());
        } else {
            QVERIFY_THROWS_EXCEPTION(EAbort, CrearTabla(f, &malo));
            QVERIFY2(MessageSeam::log().size() == 1, qPrintable(mostrados().join('\n')));
            QVERIFY(MessageSeam::log()[0].text.startsWith(
                "No es posible crear el índice en SQL. Mensaje: "));
        }
        QVERIFY(!f->Database->TableExists("MALO"));
        QVERIFY(!f->Database->InTransaction());

        // Inside the caller's transaction: its work stays, it stays open.
        f->Database->StartTransaction();
        f->Database->Execute("INSERT INTO PUESTO (Codigo) VALUES ('P1')");
        MessageSeam::clearLog();
        if (sqlite) {
            QVERIFY_THROWS_EXCEPTION(ETablaNoCreada, CrearTabla(f, &roto));
            QVERIFY(MessageSeam::log()[0].text.startsWith(
                "¡ Error creando la tabla ROTO !. Motivo: Definición de campo no válida: "));
            QVERIFY_THROWS_EXCEPTION(ETablaNoCreada, CrearTabla(f, &malo));
            QVERIFY(!TerminacionSolicitada());
        } else {
            QVERIFY_THROWS_EXCEPTION(EAbort, CrearTabla(f, &roto));
            QCOMPARE(mostrados().size(), 2);
            QVERIFY(mostrados()[0].startsWith(
                "A:¡No es posible crear la tabla SQL (Paso 1)!. Motivo: "));
            QVERIFY(mostrados()[1].startsWith("I:CREATE TABLE ROTO (Codigo, CONSTRAINT"));
            QVERIFY_THROWS_EXCEPTION(EAbort, CrearTabla(f, &malo));
        }
        QVERIFY(f->Database->InTransaction());
        QVERIFY(!f->Database->TableExists("ROTO"));
        QVERIFY(!f->Database->TableExists("MALO"));
        f->Database->Commit();
        QCOMPARE(f->Database->Scalar("SELECT COUNT(*) FROM PUESTO").toInt(), 1);

        // A table the dictionary does not define.
        MessageSeam::clearLog();
        TTable nada(&dueno);
        nada.setTableName("NINGUNA");
        nada.setDatabaseName(f->Database->DatabaseName());
        QVERIFY(!CrearTabla(f, &nada));
        QCOMPARE(mostrados(),
                 QStringList{"A:No se ha encontrado la definición de la tabla. Tabla: NINGUNA"});
    }

    void diccionarioAusente_data() { AddEngineRows(); }
    void diccionarioAusente() {
        TestInstalacion inst(CurrentEngine(), {.empresaActual = 1});
        QVERIFY(inst.iniciada());
        QFile::remove(inst.carpetaGeneral() + "/DATABASE.TXT");
        QFile::remove(inst.carpeta() + "/DATABASE.TXT");
        MessageSeam::clearLog();
        TfGENEINIC* f = inst.sesion();
        QObject dueno;
        TTable t(&dueno);
        t.setTableName("GRANALIS");
        t.setDatabaseName(f->Database->DatabaseName());
        QVERIFY(!CrearTabla(f, &t));
        const QStringList m = mostrados();
        QCOMPARE(m.size(), 2);
        QVERIFY(m[0].startsWith("A:No está disponible el archivo "));
        QCOMPARE(m[1], QStringLiteral("E:¡ Imposible abrir el fichero de estructuras de la Base de "
                                      "Datos !"));
        QVERIFY(!inst.sesion()->Database->TableExists("GRANALIS"));
    }

    void empresaInicial_data() { AddEngineRows(); }
    // The company table, created on a fresh installation, holds company 1,
    // whose database is created too.
    void empresaInicial() {
        TestInstalacion inst(CurrentEngine(), {.empresas = {}});
        QVERIFY(inst.iniciada());
        TfGENEINIC* f = inst.sesion();
        f->DatabaseGeneral->DropTableIfExists("EMPRESA");
        QObject dueno;
        TTable t(&dueno);
        t.setTableName("EMPRESA");
        QVERIFY(AbrirTabla(f, &t));
        QCOMPARE(t.RecordCount(), 1);
        QCOMPARE(t.FieldByName("Codigo")->AsInteger(), 1);
        QVERIFY(!t.FieldByName("Nombre")->AsString().isEmpty());
        QCOMPARE(t.FieldByName("Abreviatura")->AsString(), t.FieldByName("Nombre")->AsString());
        QVERIFY(
            TDatabase::DatabaseExists(ParametrosConexion(f, NombreBaseDatosEmpresa(f, 1), false)));
    }

    void creadaPorOtraSesion_data() { AddEngineRows(); }
    // Two sessions open a table not yet created: the one that finds it made
    // by the other meanwhile opens it, with no message of its own.
    void creadaPorOtraSesion() {
        TestInstalacion inst(CurrentEngine(), {.empresaActual = 1});
        QVERIFY(inst.iniciada());
        TfGENEINIC* f = inst.sesion();
        TDatabase otra;
        otra.Params() = f->Database->Params();
        otra.Open();
        // A user-fields table that cannot be read shows its warning after
        // the table was looked for and before it is created: while the user
        // reads it, the other session creates the table.
        f->DatabaseGeneral->DropTableIfExists("CAMPOUSR");
        f->DatabaseGeneral->Execute("CREATE TABLE CAMPOUSR (Otro INTEGER)");
        MessageSeam::deactivate();
        MessageSeam::activate(true);
        QTimer timer;
        timer.setInterval(5);
        bool creada = false;
        connect(&timer, &QTimer::timeout, [&creada, &otra] {
            auto* d = qobject_cast<TfGENEMENS*>(QApplication::activeModalWidget());
            if (!d || !d->isVisible()) return;
            if (!creada)
                otra.Execute("CREATE TABLE PUESTO (Codigo VARCHAR(10) NOT NULL PRIMARY KEY)");
            creada = true;
            d->close();
        });
        timer.start();
        QObject dueno;
        TTable t(&dueno);
        t.setTableName("PUESTO");
        QVERIFY(AbrirTabla(f, &t));
        QVERIFY(t.Active());
        QCOMPARE(MessageSeam::log().size(), 1);
        QVERIFY2(mostrados().first().startsWith(
                     "A:Se ha producido un error al incorporar los Campos de Usuario en la tabla: "
                     "PUESTO."),
                 qPrintable(mostrados().join('\n')));
        QVERIFY(!TerminacionSolicitada());
    }

    void abrirTablasFormulario_data() { AddEngineRows(); }
    // Each table to its database; PARAGENE waits for a company; a missing
    // table is created; one that cannot be closes the form, the others open.
    void abrirTablasFormulario() {
        TestInstalacion inst(CurrentEngine());
        QVERIFY(inst.iniciada());
        TfGENEINIC* f = inst.sesion();
        QCOMPARE(CodigoEmpresaActual, 0);
        QWidget form;
        form.setObjectName("fPRUEBA");
        auto tabla = [&](const QString& nombre) {
            auto* t = new TTable(&form);
            t->setObjectName(nombre);
            t->setTableName(nombre);
            return t;
        };
        TTable* paragene = tabla("PARAGENE");
        TTable* ninguna = tabla("NINGUNA");
        TTable* usuario = tabla("USUARIO");
        TTable* granalis = tabla("GRANALIS");
        static QStringList pasos;
        pasos.clear();
        GanchoPrepararFormulario = [](TfGENEINIC*, QObject* o) {
            pasos << "Preparar " + o->objectName();
        };
        GanchoTraducirFormulario = [](TfGENEINIC*, QObject* o) {
            pasos << "Traducir " + o->objectName();
        };
        form.show();
        MessageSeam::clearLog();
        AbrirTablasFormulario(f, &form);
        QCOMPARE(pasos, QStringList({"Preparar fPRUEBA", "Traducir fPRUEBA"}));
        QVERIFY(!paragene->Active());
        QVERIFY(!ninguna->Active());
        QVERIFY(usuario->Active());
        QCOMPARE(usuario->DatabaseName(), f->DatabaseGeneral->DatabaseName());
        QVERIFY(granalis->Active());
        QCOMPARE(granalis->DatabaseName(), f->Database->DatabaseName());
        QVERIFY(!form.isVisible());
        QCOMPARE(mostrados(),
                 QStringList{"A:No se ha encontrado la definición de la tabla. Tabla: NINGUNA"});
        QFile log(ArchivoIncidencias());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(log.readAll())
                    .contains("Al crear la tabla entrando en fGENEINIC (AbrirTablasForm)"));
    }

    // A table that cannot be opened now: another session holds it
    // exclusively (maintenance, a long LOCK) past the lock wait, or the
    // server ended the connection and is still away (stopped for the
    // session's login). The clerk is warned once (the database busy, not a
    // record lock; the connection lost), the window that was
    // opening closes before it is shown and nothing of it runs on, and the
    // program goes on; once the table is free or the server back, the next
    // opening opens it (connecting again).
    void tablaRetenidaPorOtraSesion_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("ventana");
        QTest::addColumn<bool>("servidorDetenido");
        for (Engine motor : AvailableEngines())
            if (motor == Engine::Postgres) {
                NewEngineRow(motor, "tabla suelta") << false << false;
                NewEngineRow(motor, "tablas de una ventana") << true << false;
                NewEngineRow(motor, "tabla suelta, servidor detenido") << false << true;
                NewEngineRow(motor, "tablas de una ventana, servidor detenido") << true << true;
            }
        if (!AvailableEngines().contains(Engine::Postgres))
            QTest::newRow("sin servidor") << -1 << false << false;
    }
    void tablaRetenidaPorOtraSesion() {
        QFETCH(int, engine);
        QFETCH(bool, ventana);
        QFETCH(bool, servidorDetenido);
        if (engine < 0) QSKIP("needs a PostgreSQL server");
        std::optional<TLoginPrueba> login;
        if (servidorDetenido) login.emplace();
        TestInstalacion inst{Engine(engine)};
        QVERIFY(inst.iniciada());
        TfGENEINIC* f = inst.sesion();
        {
            TTable t;
            t.setTableName("GRANALIS");
            QVERIFY(AbrirTabla(f, &t));  // created when missing
        }
        TDatabase otra;
        if (servidorDetenido) {
            login->Detener();
        } else {
            otra.Params() = f->Database->Params();
            otra.setDatabaseName(QStringLiteral("OtraSesion"));
            otra.Open();
            otra.Execute(QStringLiteral("BEGIN"));
            otra.Execute(QStringLiteral("LOCK TABLE GRANALIS IN ACCESS EXCLUSIVE MODE"));
            f->Database->Execute(QStringLiteral("SET lock_timeout = 300"));
        }
        MessageSeam::clearLog();
        VentanaDosTablas v("fPRUEBA", "GRANALIS");
        TTable* tabla = v.tabla;
        TTable* usuario = v.usuario;
        if (ventana) {
            v.AperturaAbandonada(f);
        } else {
            QVERIFY(!AbrirTabla(f, tabla));
        }
        QVERIFY(!tabla->Active());
        QCOMPARE(
            mostrados(),
            QStringList{servidorDetenido
                            ? "A:¡ No es posible restablecer la conexión con el servidor de la "
                              "Base de Datos !. Compruebe que está en marcha e inténtelo de "
                              "nuevo."
                            : "A:¡ La base de datos está ocupada por otro usuario !. "
                              "Inténtelo de nuevo dentro de unos momentos. Tabla: GRANALIS"});
        QVERIFY(!TerminacionSolicitada());
        if (!servidorDetenido) {
            QFile log(ArchivoIncidencias());
            QVERIFY(log.open(QIODevice::ReadOnly));
            QVERIFY(QString::fromUtf8(log.readAll()).contains("GRANALIS"));
            otra.Execute(QStringLiteral("COMMIT"));
        } else {
            login->Reanudar();
        }
        // Once the other session lets go, or the server is back, the table opens.
        MessageSeam::clearLog();
        QVERIFY(AbrirTabla(f, tabla));
        QVERIFY(AbrirTabla(f, usuario));
        QCOMPARE(mostrados(), QStringList());
    }

    // The company database held by another program past the lock wait while
    // a table not made yet is needed: by a window (the machines' master), by
    // a data module (two such tables), or alone (the contract print's
    // categories). The clerk is told once, naming the table, that the
    // database is busy and to try again; the window does not open and
    // whatever needed the table stops, a data module goes on without it;
    // the program goes on, another window's typing as it was. Once the
    // database is free the tables are made and open.
    void tablaNoCreadaBaseOcupada_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("dueno");
        for (Engine motor : AvailableEngines()) {
            NewEngineRow(motor, "ventana") << "ventana";
            NewEngineRow(motor, "modulo de datos") << "modulo";
            NewEngineRow(motor, "tabla suelta") << "suelta";
        }
    }
    void tablaNoCreadaBaseOcupada() {
        QFETCH(QString, dueno);
        TestInstalacion inst(CurrentEngine(), {.empresaActual = 1});
        QVERIFY(inst.iniciada());
        TfGENEINIC* f = inst.sesion();
        // Another window with a value typed and not saved.
        QWidget personal;
        personal.setObjectName("fRRHHPERS");
        auto* telefono = new QLineEdit(&personal);
        const QString tecleado = QStringLiteral("600 123 456 · Łódź|;");
        telefono->setText(tecleado);
        personal.show();

        const QString tabla = dueno == "suelta" ? "CATEGORI" : "MAQUINA";
        VentanaDosTablas v("fRRHHMMAQ", tabla);
        QObject modulo;
        modulo.setObjectName("ModuloPrueba");
        QList<TTable*> tablas{v.tabla};
        if (dueno == "modulo") {
            for (TTable* t : {v.tabla, v.usuario}) t->setParent(&modulo);
            auto* segunda = new TTable(&modulo);
            segunda->setObjectName("Table3");
            segunda->setTableName("CATEGORI");
            tablas << segunda;
        }
        QStringList nombres;
        for (TTable* t : tablas) nombres << t->TableName();
        OtroPrograma otro(inst);
        for (const QString& n : nombres) QVERIFY(!otro.Existe(n));
        otro.Retener(nombres);
        MessageSeam::clearLog();
        if (dueno == "ventana") {
            v.AperturaAbandonada(f);
        } else if (dueno == "modulo") {
            AbrirTablasFormulario(f, &modulo);
            QVERIFY(v.usuario->Active());
        } else {
            QVERIFY_THROWS_EXCEPTION(ETablaNoCreada, AbrirTabla(f, v.tabla));
        }
        for (TTable* t : tablas) QVERIFY(!t->Active());
        QCOMPARE(mostrados(),
                 QStringList{QStringLiteral("A:¡ Error creando la tabla ") + tabla +
                             QStringLiteral(" !. Motivo: ¡ La base de datos está ocupada por "
                                            "otro usuario !. Inténtelo de nuevo dentro de unos "
                                            "momentos.")});
        QVERIFY(!TerminacionSolicitada());
        QVERIFY(personal.isVisible());
        QCOMPARE(telefono->text(), tecleado);
        QFile log(ArchivoIncidencias());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(log.readAll()).contains("Tabla: " + tabla));
        otro.Soltar();
        for (const QString& n : nombres) QVERIFY(!otro.Existe(n));

        // The database free, the same opening makes the tables and opens them.
        MessageSeam::clearLog();
        if (dueno == "ventana") {
            v.form.show();
            AbrirTablasFormulario(f, &v.form);
            QVERIFY(v.form.isVisible());
            QVERIFY(v.usuario->Active());
        } else if (dueno == "modulo") {
            AbrirTablasFormulario(f, &modulo);
        } else {
            QVERIFY(AbrirTabla(f, v.tabla));
        }
        for (TTable* t : tablas) QVERIFY(t->Active());
        QCOMPARE(mostrados(), QStringList());
        for (const QString& n : nombres) QVERIFY(otro.Existe(n));
    }

    // An object put in place of one of the program's tables from outside
    // (a view an earlier version let a user make): the clerk is told what
    // stands there and what it reads; the window, the data module's table
    // or the lone table needing it is refused, and the program goes on,
    // another window's typed record kept and stored afterwards. Once the
    // object is gone, the same opening makes the table and opens it.
    void objetoEnLugarDeTabla_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("dueno");
        QTest::addColumn<QString>("objeto");
        for (Engine motor : AvailableEngines()) {
            NewEngineRow(motor, "ventana, vista") << "ventana"
                                                  << "VIEW";
            NewEngineRow(motor, "modulo de datos, vista") << "modulo"
                                                          << "VIEW";
            NewEngineRow(motor, "tabla suelta, vista") << "suelta"
                                                       << "VIEW";
            if (motor == Engine::Postgres)
                NewEngineRow(motor, "ventana, vista materializada") << "ventana"
                                                                    << "MATERIALIZED VIEW";
        }
    }
    void objetoEnLugarDeTabla() {
        QFETCH(QString, dueno);
        QFETCH(QString, objeto);
        TestInstalacion inst(CurrentEngine(), {.empresaActual = 1});
        QVERIFY(inst.iniciada());
        TfGENEINIC* f = inst.sesion();
        const DeFuera fuera(inst);
        // Another window's record, typed and not saved.
        TTable categorias;
        categorias.setTableName("CATEGORI");
        QVERIFY(AbrirTabla(f, &categorias));
        categorias.Append();
        categorias.FieldByName("Codigo")->setAsInteger(7);
        const QString tecleado = QStringLiteral("Oficial 1ª · Łódź|;");
        categorias.FieldByName("Descripcion")->setAsString(tecleado);

        fuera("CREATE TABLE otra_maquina (Codigo INTEGER, Descripcion VARCHAR(30))");
        fuera("INSERT INTO otra_maquina VALUES (1, 'Ana')");
        fuera("CREATE " + objeto + " MAQUINA AS SELECT Codigo, Descripcion FROM otra_maquina");
        VentanaDosTablas v("fRRHHMMAQ", "MAQUINA");
        QObject modulo;
        if (dueno == "modulo")
            for (TTable* t : {v.tabla, v.usuario}) t->setParent(&modulo);
        MessageSeam::clearLog();
        if (dueno == "ventana") {
            v.AperturaAbandonada(f);
        } else if (dueno == "modulo") {
            AbrirTablasFormulario(f, &modulo);
            QVERIFY(v.usuario->Active());
        } else {
            QVERIFY(!AbrirTabla(f, v.tabla));
        }
        QVERIFY(!v.tabla->Active());
        const QStringList avisos = mostrados();
        QCOMPARE(avisos.size(), 1);
        QVERIFY2(avisos.first().startsWith(
                     QStringLiteral("A:¡ En lugar de la tabla MAQUINA del programa hay ") +
                     (objeto == "VIEW" ? "una vista" : "una vista materializada") +
                     " en la Base de Datos, que lee la tabla otra_maquina !. El programa no lee "
                     "ni escribe a través de ella."),
                 qPrintable(avisos.first()));
        QVERIFY(!TerminacionSolicitada());
        QCOMPARE(fuera("SELECT Descripcion FROM otra_maquina"), QStringList{"Ana"});
        QCOMPARE(categorias.State(), dsInsert);
        QCOMPARE(categorias.FieldByName("Descripcion")->AsString(), tecleado);
        categorias.Post();
        QCOMPARE(fuera("SELECT Codigo || '|' || Descripcion FROM CATEGORI"),
                 QStringList{"7|" + tecleado});

        // The object gone, the same opening makes the table and opens it.
        fuera("DROP " + objeto + " MAQUINA");
        MessageSeam::clearLog();
        if (dueno == "ventana") {
            v.form.show();
            AbrirTablasFormulario(f, &v.form);
            QVERIFY(v.form.isVisible());
        } else if (dueno == "modulo") {
            AbrirTablasFormulario(f, &modulo);
        } else {
            QVERIFY(AbrirTabla(f, v.tabla));
        }
        QVERIFY(v.tabla->Active());
        QCOMPARE(mostrados(), QStringList());
        QCOMPARE(fuera("SELECT COUNT(*) FROM MAQUINA"), QStringList{"0"});
    }

    // A previous version's way round a table: renamed, a view under the
    // program's name reading it. The start goes on; whatever needs the
    // table is told the tables the view reads and the statements that keep
    // the rows, each one the users' SQL window runs (the INSERT makes the
    // program's table there, no window opens on an empty master); followed as
    // written, they bring the rows back into the program's table, and the
    // lines of the master's entries stay. A field hidden from the
    // administrator who reads the advice is named, and who must run it. A
    // table renamed away alone keeps its indexes' names: the window that
    // needs it is refused, told the statement that clears them, and the
    // program goes on.
    void vistaDeVersionAnterior_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<QStringList>("campos");
        QTest::addColumn<QStringList>("filas");   // values apart by tabs
        QTest::addColumn<QStringList>("lineas");  // rows written beside, from outside
        QTest::addColumn<QString>("oculto");      // a field hidden from the administrator
        QTest::addColumn<bool>("vista");          // false: renamed away, no view
        const QStringList lineasPersonal{
            "INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato) VALUES (21, 1)",
            "INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato) VALUES (21, 2)",
            "INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato) VALUES (22, 1)",
            "INSERT INTO HFORMACI (NombreTabla, CodigoOperario, Linea) VALUES ('PERSONAL', 21, "
            "1)"};
        for (Engine motor : AvailableEngines()) {
            NewEngineRow(motor, "tipos de contrato")
                << "CONTRATO" << QStringList{"CodigoContrato", "Denominacion", "Impreso"}
                << QStringList{"1\tIndefinido · Łódź|;\t", "2\tTemporal\tcontrato.doc"}
                << QStringList() << QString() << true;
            // With an index of its own besides the key, which kept its name.
            NewEngineRow(motor, "operarios")
                << "OPERARIO"
                << QStringList{"Codigo", "Nombre", "CodigoUsuario", "CodigoCalendario"}
                << QStringList{"1\tAna|;·\tANA\t3", "2\tŁukasz\tLUK\t1"} << QStringList()
                << QString() << true;
            NewEngineRow(motor, "personal con lineas")
                << "PERSONAL" << QStringList{"CodigoOperario", "Nombre", "Domicilio"}
                << QStringList{"21\tAna|;·\tC/ Mayor", "22\tŁukasz\t"} << lineasPersonal
                << QString() << true;
            NewEngineRow(motor, "candidatos con lineas")
                << "CANDIDAT" << QStringList{"Codigo", "Nombre"}
                << QStringList{"5\tCándida", "6\tOtro Łódź"}
                << QStringList{"INSERT INTO HFORMACI (NombreTabla, CodigoOperario, Linea) VALUES "
                               "('CANDIDAT', 5, 1)",
                               "INSERT INTO HFORMACI (NombreTabla, CodigoOperario, Linea) VALUES "
                               "('CANDIDAT', 6, 1)"}
                << QString() << true;
            NewEngineRow(motor, "administrador con un campo oculto")
                << "PERSONAL" << QStringList{"CodigoOperario", "Nombre", "Domicilio"}
                << QStringList{"21\tAna\tC/ Mayor 1"} << lineasPersonal << "Domicilio" << true;
            NewEngineRow(motor, "tabla renombrada con sus indices")
                << "HFORMACI" << QStringList{"NombreTabla", "CodigoOperario", "Linea", "CodigoFormacion"}
                << QStringList{"CANDIDAT\t5\t1\tF2", "PERSONAL\t21\t1\tF1"}
                << QStringList{"INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato) VALUES (21, 1)"}
                << QString() << false;
        }
    }
    void vistaDeVersionAnterior() {
        QFETCH(QString, tabla);
        QFETCH(QStringList, campos);
        QFETCH(QStringList, filas);
        QFETCH(QStringList, lineas);
        QFETCH(QString, oculto);
        QFETCH(bool, vista);
        TestInstalacion inst(CurrentEngine(), {.empresaActual = 1});
        QVERIFY2(inst.iniciada(), qPrintable(mostrados().join('\n')));
        const DeFuera fuera(inst);
        {
            TTable t;
            t.setTableName(tabla);
            QVERIFY(AbrirTabla(inst.sesion(), &t));
            for (const QString& fila : filas) {
                t.Append();
                for (int i = 0; i < campos.size(); ++i)
                    t.FieldByName(campos[i])->setAsString(fila.section('\t', i, i));
                t.Post();
            }
            for (const char* otra : {"HCONTRAT", "HFORMACI"}) {
                TTable l;
                l.setTableName(QString::fromLatin1(otra));
                QVERIFY(AbrirTabla(inst.sesion(), &l));
            }
        }
        for (const QString& sql : lineas) fuera(sql);
        // Every row of the tables beside, read from outside.
        auto lineasGuardadas = [&] {
            QStringList r;
            for (const QString& t : {QStringLiteral("HCONTRAT"), QStringLiteral("HFORMACI")})
                if (t != tabla) r << fuera("SELECT COUNT(*) FROM " + t);
            return r;
        };
        const QStringList lineasAntes = lineasGuardadas();
        inst.Terminar();
        const QString vieja = tabla.toLower() + "_vieja";
        fuera("ALTER TABLE " + tabla + " RENAME TO " + vieja);
        if (vista) fuera("CREATE VIEW " + tabla + " AS SELECT * FROM " + vieja);
        QStringList columnas;
        for (const QString& c : campos) columnas << "COALESCE(CAST(" + c + " AS VARCHAR(200)), '')";
        const QString leer = "SELECT " + columnas.join(" || '\t' || ") + " FROM %1 ORDER BY 1";

        MessageSeam::clearLog();
        QVERIFY2(inst.Iniciar(), qPrintable(mostrados().join('\n')));
        QVERIFY(!TerminacionSolicitada());
        TfGENEINIC* f = inst.sesion();
        if (!oculto.isEmpty())
            SetHiddenColumnTest(
                [oculto](const QString& c) { return c.compare(oculto, Qt::CaseInsensitive) == 0; });
        auto sinOcultos = qScopeGuard([] { SetHiddenColumnTest(nullptr); });
        MessageSeam::clearLog();
        VentanaDosTablas v("fPRUEBA", tabla);
        v.AperturaAbandonada(f);
        QVERIFY(!TerminacionSolicitada());
        const QStringList avisos = mostrados();
        QCOMPARE(avisos.size(), 1);
        const QString aviso = SinNotaDeIncidencias(avisos.first());
        QStringList sentencias;
        if (vista) {
            QVERIFY2(aviso.contains("hay una vista en la Base de Datos, que lee la tabla " + vieja +
                                    " !."),
                     qPrintable(aviso));
            sentencias =
                aviso.section(QStringLiteral("en este orden: "), 1).split(QStringLiteral(" ; "));
        } else {
            QVERIFY2(aviso.startsWith("A:¡ Error creando la tabla " + tabla + " !. Motivo: ") &&
                         aviso.contains(QStringLiteral(" de la tabla ") + vieja),
                     qPrintable(aviso));
            sentencias = aviso.section(QStringLiteral("en la ventana de SQL del programa: "), 1)
                             .split(QStringLiteral(" ; "));
        }
        QVERIFY2(sentencias.size() > 1 || !vista, qPrintable(aviso));
        if (!oculto.isEmpty()) {
            // Named, with who runs the statements: this administrator's
            // window refuses the first one, and nothing changes.
            QVERIFY2(aviso.contains(QStringLiteral(" oculto para usted"), Qt::CaseInsensitive) &&
                         aviso.contains(oculto, Qt::CaseInsensitive),
                     qPrintable(aviso));
            MessageSeam::clearLog();
            QVERIFY(!ComoVentanaSQL(sentencias.first()));
            SetHiddenColumnTest(nullptr);
        }
        MessageSeam::clearLog();
        for (const QString& sql : std::as_const(sentencias))
            QVERIFY2(ComoVentanaSQL(sql), qPrintable(sql + '\n' + mostrados().join('\n')));
        QCOMPARE(lineasGuardadas(), lineasAntes);
        MessageSeam::clearLog();
        v.form.show();
        AbrirTablasFormulario(f, &v.form);
        QVERIFY(v.tabla->Active());
        QCOMPARE(mostrados(), QStringList());
        v.tabla->Close();
        QCOMPARE(fuera(leer.arg(tabla)), vista ? filas : QStringList());
        QCOMPARE(fuera(leer.arg(vieja)), filas);
        QCOMPARE(lineasGuardadas(), lineasAntes);
        v.tabla->Open();
        QCOMPARE(v.tabla->RecordCount(), vista ? filas.size() : 0);
    }

    // An object under a program's name that the users' window cannot read
    // or drop for this login: on PostgreSQL a materialised view of another
    // login, on SQLite a virtual table. The advice says who runs what
    // outside the program first; followed as written, every row comes into
    // the program's table.
    void objetoFueraDeLaVentana_data() { AddEngineRows(); }
    void objetoFueraDeLaVentana() {
        const bool pg = CurrentEngine() == Engine::Postgres;
        if (pg && qEnvironmentVariableIsEmpty("RH_PG_PLAIN_ROLE")) QSKIP("no second login");
        TestInstalacion inst(CurrentEngine(), {.empresaActual = 1});
        QVERIFY(inst.iniciada());
        const DeFuera fuera(inst);
        const QStringList filas{"1|Indefinido · Łódź", "2|Temporal"};
        if (pg) {
            fuera("CREATE TABLE otra (CodigoContrato INTEGER, Denominacion VARCHAR(30))");
            fuera("INSERT INTO otra VALUES (1, 'Indefinido · Łódź'), (2, 'Temporal')");
            fuera("CREATE MATERIALIZED VIEW CONTRATO AS SELECT * FROM otra");
            fuera("ALTER MATERIALIZED VIEW CONTRATO OWNER TO " +
                  qEnvironmentVariable("RH_PG_PLAIN_ROLE"));
        } else {
            fuera("CREATE VIRTUAL TABLE CONTRATO USING fts4(CodigoContrato, Denominacion)");
            fuera("INSERT INTO CONTRATO VALUES (1, 'Indefinido · Łódź')");
            fuera("INSERT INTO CONTRATO VALUES (2, 'Temporal')");
        }
        MessageSeam::clearLog();
        VentanaDosTablas v("fPRUEBA", "CONTRATO");
        v.AperturaAbandonada(inst.sesion());
        QCOMPARE(mostrados().size(), 1);
        const QString aviso = SinNotaDeIncidencias(mostrados().first());
        const QString fueraDelPrograma = aviso.section(QStringLiteral("fuera del programa: "), 1)
                                             .section(QStringLiteral(" . Después, "), 0, 0);
        const QStringList antes = fueraDelPrograma.split(QStringLiteral(" ; "));
        const QStringList ventana =
            aviso.section(QStringLiteral("en este orden: "), 1).split(QStringLiteral(" ; "));
        QVERIFY2(!fueraDelPrograma.isEmpty() && !ventana.first().isEmpty(), qPrintable(aviso));
        // What this login's window cannot run is refused there.
        MessageSeam::clearLog();
        QVERIFY(!ComoVentanaSQL(pg ? ventana.at(1) : antes.at(1)));
        for (const QString& sql : antes) fuera(sql);
        MessageSeam::clearLog();
        for (const QString& sql : ventana)
            QVERIFY2(ComoVentanaSQL(sql), qPrintable(sql + '\n' + mostrados().join('\n')));
        QCOMPARE(fuera("SELECT CodigoContrato || '|' || Denominacion FROM CONTRATO ORDER BY 1"),
                 filas);
        MessageSeam::clearLog();
        v.form.show();
        AbrirTablasFormulario(inst.sesion(), &v.form);
        QVERIFY(v.tabla->Active());
        QCOMPARE(v.tabla->RecordCount(), 2);
        QCOMPARE(mostrados(), QStringList());
    }
};

QTEST_MAIN(TestGeneInicTablas)
#include "tst_geneinic_tablas.moc"
