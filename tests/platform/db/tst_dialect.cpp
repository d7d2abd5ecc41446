// The SQL text each engine gets: literals, expressions and DDL. SQL Server has
// no server here, so its statements are checked as text; SQLite's declared
// types are also checked against the engine's own type affinity.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include "db/dberror.h"
#include "db/dialect.h"

namespace {
const SqlDialect& lite() {
    return SqlDialect::forEngine(Engine::Sqlite);
}
const SqlDialect& pg() {
    return SqlDialect::forEngine(Engine::Postgres);
}
const SqlDialect& mss() {
    return SqlDialect::forEngine(Engine::SqlServer);
}

// Restores the session's SQL Server date pattern after a test changes it.
struct DateFormatGuard {
    QString saved = SqlServerDateFormat();
    ~DateFormatGuard() { SetSqlServerDateFormat(saved); }
};
}  // namespace

class TstDialect : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void engineSetting();
    void quoteString_data();
    void quoteString();
    void dateLiterals();
    void literals();
    void expressions();
    void columnDefinitions_data();
    void columnDefinitions();
    void createTable();
    void indexes();
    void otherStatements();
    void sqliteTypesRoundTrip();
    void sqliteTypesAffinity();
};

void TstDialect::engineSetting() {
    QCOMPARE(EngineFromSetting(QStringLiteral("Paradox")), Engine::Sqlite);
    QCOMPARE(EngineFromSetting(QString()), Engine::Sqlite);
    QCOMPARE(EngineFromSetting(QStringLiteral("SQL Generica")), Engine::Postgres);
    QCOMPARE(EngineFromSetting(QStringLiteral("Microsoft SQL Server")), Engine::SqlServer);
    for (Engine e : {Engine::Sqlite, Engine::Postgres, Engine::SqlServer})
        QCOMPARE(EngineFromSetting(EngineSettingName(e)), e);
    for (const QString& refused : {QStringLiteral("Microsoft Access"), QStringLiteral("Oracle")}) {
        try {
            EngineFromSetting(refused);
            QFAIL("accepted an engine that is not available");
        } catch (const EDatabaseError& e) {
            QCOMPARE(int(e.code()), int(DbError::UnsupportedEngine));
            QCOMPARE(e.Message(), QStringLiteral("Engine not available"));
            QVERIFY(e.detail().contains(refused));
        }
    }
}

void TstDialect::quoteString_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("plain") << "Ana"
                           << "'Ana'";
    QTest::newRow("empty") << ""
                           << "''";
    QTest::newRow("apostrophe") << "O'Donnell"
                                << "'O''Donnell'";
    QTest::newRow("only apostrophes") << "''"
                                      << "''''''";
    QTest::newRow("injection") << "x'; DROP TABLE T; --"
                               << "'x''; DROP TABLE T; --'";
    QTest::newRow("accents") << "Peñalver d'Àvila"
                             << "'Peñalver d''Àvila'";
}

void TstDialect::quoteString() {
    QFETCH(QString, text);
    QFETCH(QString, quoted);
    QCOMPARE(SqlDialect::quoteString(text), quoted);
    for (Engine e : {Engine::Sqlite, Engine::Postgres, Engine::SqlServer})
        QCOMPARE(SqlDialect::forEngine(e).literal(text), quoted);
}

void TstDialect::dateLiterals() {
    DateFormatGuard guard;
    const QDate d(2024, 3, 5);
    const QDate zero(1899, 12, 30);
    const QDateTime dt(d, QTime(14, 5, 9));
    for (const SqlDialect* x : {&lite(), &pg()}) {
        QCOMPARE(x->dateLiteral(d), QStringLiteral("'2024-03-05'"));
        QCOMPARE(x->dateLiteral(zero), QStringLiteral("'1899-12-30'"));
        QCOMPARE(x->dateTimeLiteral(dt), QStringLiteral("'2024-03-05 14:05:09'"));
        QCOMPARE(x->timeLiteral(QTime(8, 0)), QStringLiteral("'08:00:00'"));
    }
    SetSqlServerDateFormat(QString());  // the default
    QCOMPARE(SqlServerDateFormat(), QStringLiteral("dd/mm/yyyy"));
    QCOMPARE(mss().dateLiteral(d), QStringLiteral("'05/03/2024'"));
    QCOMPARE(mss().dateLiteral(zero), QStringLiteral("'30/12/1899'"));
    QCOMPARE(mss().dateTimeLiteral(dt), QStringLiteral("'05/03/2024 14:05:09'"));
    SetSqlServerDateFormat(QStringLiteral("mm/dd/yyyy"));
    QCOMPARE(mss().dateLiteral(d), QStringLiteral("'03/05/2024'"));
    QCOMPARE(mss().dateTimeLiteral(QDateTime(zero, QTime(0, 0))),
             QStringLiteral("'12/30/1899 00:00:00'"));
    QCOMPARE(mss().columnDefault(ftDateTime), QStringLiteral("'12/30/1899 00:00:00'"));
    // The other engines never follow the SQL Server pattern.
    QCOMPARE(lite().dateLiteral(d), QStringLiteral("'2024-03-05'"));
}

void TstDialect::literals() {
    QCOMPARE(lite().literal(QVariant()), QStringLiteral("NULL"));
    QCOMPARE(pg().literal(QVariant(QMetaType(QMetaType::QString))), QStringLiteral("NULL"));
    QCOMPARE(lite().literal(true), QStringLiteral("1"));
    QCOMPARE(pg().literal(false), QStringLiteral("FALSE"));
    QCOMPARE(mss().literal(true), QStringLiteral("1"));
    QCOMPARE(lite().literal(42), QStringLiteral("42"));
    QCOMPARE(lite().literal(qlonglong(-7)), QStringLiteral("-7"));
    // "." as the decimal mark, whatever the regional conventions.
    QCOMPARE(pg().literal(1234.5), QStringLiteral("1234.5"));
    QCOMPARE(pg().literal(0.1), QStringLiteral("0.1"));
    const QDateTime dt(QDate(2024, 1, 31), QTime(23, 59, 58));
    QCOMPARE(lite().literal(dt), QStringLiteral("'2024-01-31 23:59:58'"));
    QCOMPARE(lite().literal(dt, ftDate), QStringLiteral("'2024-01-31'"));
    QCOMPARE(lite().literal(dt, ftTime), QStringLiteral("'23:59:58'"));
    QCOMPARE(pg().literal(QDate(2024, 1, 31), ftDateTime), QStringLiteral("'2024-01-31 00:00:00'"));
    const QByteArray bytes("\x01\xff", 2);
    QCOMPARE(lite().literal(bytes), QStringLiteral("X'01ff'"));
    QCOMPARE(pg().literal(bytes), QStringLiteral("'\\x01ff'::bytea"));
    QCOMPARE(mss().literal(bytes), QStringLiteral("0x01ff"));
}

void TstDialect::expressions() {
    const QString sel = QStringLiteral("SELECT Codigo FROM PERSONAL ORDER BY Codigo");
    QCOMPARE(lite().limitSelect(sel, 1), sel + QStringLiteral(" LIMIT 1"));
    QCOMPARE(pg().limitSelect(sel, 10), sel + QStringLiteral(" LIMIT 10"));
    QCOMPARE(mss().limitSelect(sel, 1),
             QStringLiteral("SELECT TOP 1 Codigo FROM PERSONAL ORDER BY Codigo"));
    QCOMPARE(mss().limitSelect(QStringLiteral("  select distinct A from T"), 3),
             QStringLiteral("  select distinct TOP 3 A from T"));

    const QStringList parts{QStringLiteral("Nombre"), QStringLiteral("' '"),
                            QStringLiteral("Apellidos")};
    QCOMPARE(lite().concat(parts), QStringLiteral("(Nombre || ' ' || Apellidos)"));
    QCOMPARE(pg().concat(parts), QStringLiteral("(Nombre || ' ' || Apellidos)"));
    QCOMPARE(mss().concat(parts), QStringLiteral("(Nombre + ' ' + Apellidos)"));

    QCOMPARE(lite().castToText(QStringLiteral("A")), QStringLiteral("CAST(A AS TEXT)"));
    QCOMPARE(mss().castToText(QStringLiteral("A")), QStringLiteral("CAST(A AS VARCHAR(8000))"));
    QCOMPARE(pg().castToInteger(QStringLiteral("A")), QStringLiteral("CAST(A AS INTEGER)"));
    QCOMPARE(lite().castToFloat(QStringLiteral("A")), QStringLiteral("CAST(A AS REAL)"));
    QCOMPARE(pg().castToFloat(QStringLiteral("A")), QStringLiteral("CAST(A AS DOUBLE PRECISION)"));
    QCOMPARE(mss().castToFloat(QStringLiteral("A")), QStringLiteral("CAST(A AS FLOAT)"));
    QCOMPARE(pg().upper(QStringLiteral("A")), QStringLiteral("UPPER(A)"));

    // LIKE on numbers and dates needs text on PostgreSQL only.
    QCOMPARE(pg().likeOperand(QStringLiteral("Codigo"), ftInteger),
             QStringLiteral("CAST(Codigo AS TEXT)"));
    QCOMPARE(pg().likeOperand(QStringLiteral("FechaAlta"), ftDate),
             QStringLiteral("CAST(FechaAlta AS TEXT)"));
    QCOMPARE(pg().likeOperand(QStringLiteral("Nombre"), ftString), QStringLiteral("Nombre"));
    QCOMPARE(pg().likeOperand(QStringLiteral("Notas"), ftMemo), QStringLiteral("Notas"));
    QCOMPARE(lite().likeOperand(QStringLiteral("Codigo"), ftInteger), QStringLiteral("Codigo"));
    QCOMPARE(mss().likeOperand(QStringLiteral("Codigo"), ftInteger), QStringLiteral("Codigo"));

    QCOMPARE(lite().datePart(QStringLiteral("YEAR"), QStringLiteral("F")),
             QStringLiteral("CAST(strftime('%Y', F) AS INTEGER)"));
    QCOMPARE(lite().datePart(QStringLiteral("month"), QStringLiteral("F")),
             QStringLiteral("CAST(strftime('%m', F) AS INTEGER)"));
    QCOMPARE(pg().datePart(QStringLiteral("DAY"), QStringLiteral("F")),
             QStringLiteral("CAST(EXTRACT(DAY FROM F) AS INTEGER)"));
    QCOMPARE(mss().datePart(QStringLiteral("YEAR"), QStringLiteral("F")),
             QStringLiteral("DATEPART(YEAR, F)"));
    try {
        pg().datePart(QStringLiteral("WEEK'); DROP"), QStringLiteral("F"));
        QFAIL("an unknown date part went into SQL");
    } catch (const EDatabaseError& e) {
        QCOMPARE(int(e.code()), int(DbError::SqlError));
    }

    QCOMPARE(lite().tablePrefix(), QString());
    QCOMPARE(pg().noLock(), QString());
    QCOMPARE(mss().tablePrefix(), QStringLiteral("dbo."));
    QCOMPARE(mss().noLock(), QStringLiteral(" WITH(NOLOCK)"));

    QCOMPARE(lite().orderExpression(QStringLiteral("Nombre"), true),
             QStringLiteral("Nombre COLLATE NOCASE"));
    QCOMPARE(pg().orderExpression(QStringLiteral("Nombre"), true), QStringLiteral("lower(Nombre)"));
    QCOMPARE(mss().orderExpression(QStringLiteral("Nombre"), true), QStringLiteral("Nombre"));
    QCOMPARE(pg().orderExpression(QStringLiteral("Nombre"), false), QStringLiteral("Nombre"));

    QCOMPARE(pg().quoteIdentifier(QStringLiteral("general.PARAGENE")),
             QStringLiteral("\"general\".\"paragene\""));
    QCOMPARE(lite().quoteIdentifier(QStringLiteral("Nom\"bre")), QStringLiteral("\"Nom\"\"bre\""));
    QCOMPARE(mss().quoteIdentifier(QStringLiteral("Codigo")), QStringLiteral("Codigo"));
    QCOMPARE(mss().quoteIdentifier(QStringLiteral("Fecha Alta")), QStringLiteral("[Fecha Alta]"));
    // PostgreSQL folds only ASCII letters of an unquoted name.
    QCOMPARE(PgFoldIdentifier(QStringLiteral("AÑO_Alta")), QStringLiteral("aÑo_alta"));
}

void TstDialect::columnDefinitions_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("sqlite");
    QTest::addColumn<QString>("postgres");
    QTest::addColumn<QString>("sqlserver");
    auto row = [](TFieldType t, int size, const char* a, const char* b, const char* c) {
        QTest::newRow(qPrintable(FieldTypeName(t))) << int(t) << size << QString::fromUtf8(a)
                                                    << QString::fromUtf8(b) << QString::fromUtf8(c);
    };
    row(ftString, 40, "VARCHAR(40) DEFAULT ''", "VARCHAR(40) COLLATE \"C\" DEFAULT ''",
        "VARCHAR(40) DEFAULT ''");
    row(ftSmallint, 0, "SMALLINT DEFAULT 0", "SMALLINT DEFAULT 0", "SMALLINT DEFAULT 0");
    row(ftInteger, 0, "INT DEFAULT 0", "INTEGER DEFAULT 0", "INTEGER DEFAULT 0");
    row(ftWord, 0, "WORD INTEGER DEFAULT 0", "INTEGER DEFAULT 0", "INTEGER DEFAULT 0");
    row(ftBoolean, 0, "BOOLEAN INTEGER DEFAULT 0", "BOOLEAN DEFAULT FALSE", "BIT DEFAULT 0");
    row(ftFloat, 0, "FLOAT DEFAULT 0", "DOUBLE PRECISION DEFAULT 0", "DECIMAL(28,8) DEFAULT 0");
    row(ftCurrency, 0, "CURRENCY REAL DEFAULT 0", "NUMERIC DEFAULT 0", "MONEY DEFAULT 0");
    row(ftBCD, 0, "BCD REAL DEFAULT 0", "NUMERIC DEFAULT 0", "DECIMAL(28,8) DEFAULT 0");
    row(ftDate, 0, "DATE TEXT DEFAULT '1899-12-30'", "DATE DEFAULT '1899-12-30'",
        "DATETIME DEFAULT '30/12/1899 00:00:00'");
    row(ftTime, 0, "TIME TEXT DEFAULT '00:00:00'", "TIME DEFAULT '00:00:00'",
        "DATETIME DEFAULT '30/12/1899 00:00:00'");
    row(ftDateTime, 0, "DATETIME TEXT DEFAULT '1899-12-30'",
        "TIMESTAMP DEFAULT '1899-12-30 00:00:00'", "DATETIME DEFAULT '30/12/1899 00:00:00'");
    row(ftBytes, 16, "BYTES BLOB(16)", "BYTEA", "BINARY(16)");
    row(ftVarBytes, 64, "VARBYTES BLOB(64)", "BYTEA", "VARBINARY(64)");
    row(ftAutoInc, 0, "AUTOINC INTEGER", "INTEGER GENERATED BY DEFAULT AS IDENTITY",
        "INTEGER IDENTITY(1,1)");
    row(ftBlob, 0, "BLOB", "BYTEA", "IMAGE");
    row(ftMemo, 0, "MEMO TEXT DEFAULT ''", "TEXT COLLATE \"C\" DEFAULT ''", "TEXT");
    row(ftGraphic, 0, "GRAPHIC BLOB", "BYTEA", "IMAGE");
    row(ftFmtMemo, 0, "FMTMEMO TEXT DEFAULT ''", "TEXT COLLATE \"C\" DEFAULT ''", "TEXT");
    row(ftParadoxOle, 0, "PARADOXOLE BLOB", "BYTEA", "IMAGE");
    row(ftDBaseOle, 0, "DBASEOLE BLOB", "BYTEA", "IMAGE");
    row(ftTypedBinary, 0, "TYPEDBINARY BLOB", "BYTEA", "IMAGE");
}

void TstDialect::columnDefinitions() {
    DateFormatGuard guard;
    SetSqlServerDateFormat(QStringLiteral("dd/mm/yyyy"));
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(QString, sqlite);
    QFETCH(QString, postgres);
    QFETCH(QString, sqlserver);
    const TFieldDef f{QStringLiteral("Campo"), TFieldType(type), size, false};
    QCOMPARE(lite().columnDefinition(f), QStringLiteral("\"Campo\" ") + sqlite);
    QCOMPARE(pg().columnDefinition(f), QStringLiteral("\"campo\" ") + postgres);
    QCOMPARE(mss().columnDefinition(f), QStringLiteral("Campo ") + sqlserver);
    TFieldDef required = f;
    required.Required = true;
    QVERIFY(lite().columnDefinition(required).endsWith(QLatin1String(" NOT NULL")));
}

void TstDialect::createTable() {
    const TFieldDefs fields{{QStringLiteral("CodigoEmpresa"), ftSmallint, 0, true},
                            {QStringLiteral("Codigo"), ftInteger, 0, true},
                            {QStringLiteral("Nombre"), ftString, 30, false}};
    const QStringList key{QStringLiteral("CodigoEmpresa"), QStringLiteral("Codigo")};
    QCOMPARE(
        lite().createTable(QStringLiteral("PERSONAL"), fields, key,
                           QStringLiteral("PERSONAL_Clave1")),
        QStringLiteral("CREATE TABLE \"PERSONAL\" (\"CodigoEmpresa\" SMALLINT DEFAULT 0 NOT NULL, "
                       "\"Codigo\" INT DEFAULT 0 NOT NULL, \"Nombre\" VARCHAR(30) DEFAULT '', "
                       "PRIMARY KEY (\"CodigoEmpresa\", \"Codigo\"))"));
    QCOMPARE(pg().createTable(QStringLiteral("PERSONAL"), fields, key,
                              QStringLiteral("PERSONAL_Clave1")),
             QStringLiteral(
                 "CREATE TABLE \"personal\" (\"codigoempresa\" SMALLINT DEFAULT 0 NOT NULL, "
                 "\"codigo\" INTEGER DEFAULT 0 NOT NULL, \"nombre\" VARCHAR(30) COLLATE \"C\" "
                 "DEFAULT '', CONSTRAINT \"personal_clave1\" PRIMARY KEY (\"codigoempresa\", "
                 "\"codigo\"))"));
    QCOMPARE(mss().createTable(QStringLiteral("PERSONAL"), fields, key,
                               QStringLiteral("PERSONAL_Clave1")),
             QStringLiteral("CREATE TABLE dbo.PERSONAL (CodigoEmpresa SMALLINT DEFAULT 0 NOT NULL, "
                            "Codigo INTEGER DEFAULT 0 NOT NULL, Nombre VARCHAR(30) DEFAULT '', "
                            "CONSTRAINT PERSONAL_Clave1 PRIMARY KEY (CodigoEmpresa, Codigo))"));
    QCOMPARE(mss().createTable(QStringLiteral("dbo.TEMP1"), {fields[2]}, {}, QString()),
             QStringLiteral("CREATE TABLE dbo.TEMP1 (Nombre VARCHAR(30) DEFAULT '')"));

    // An identity column that is the whole key becomes SQLite's rowid.
    const TFieldDefs counter{{QStringLiteral("Numero"), ftAutoInc, 0, true},
                             {QStringLiteral("Texto"), ftString, 10, false}};
    const QStringList one = lite().createTableStatements(QStringLiteral("C"), counter,
                                                         {QStringLiteral("Numero")}, QString());
    QCOMPARE(one, QStringList{QStringLiteral(
                      "CREATE TABLE \"C\" (\"Numero\" INTEGER PRIMARY KEY AUTOINCREMENT, "
                      "\"Texto\" VARCHAR(10) DEFAULT '')")});
    // In a compound key it stays nullable and a trigger numbers it.
    const QStringList two =
        lite().createTableStatements(QStringLiteral("general.L"),
                                     {{QStringLiteral("Doc"), ftInteger, 0, true},
                                      {QStringLiteral("Linea"), ftAutoInc, 0, true}},
                                     {QStringLiteral("Doc"), QStringLiteral("Linea")}, QString());
    QCOMPARE(two.size(), 2);
    QCOMPARE(two[0],
             QStringLiteral("CREATE TABLE \"general\".\"L\" (\"Doc\" INT DEFAULT 0 NOT NULL, "
                            "\"Linea\" AUTOINC INTEGER, PRIMARY KEY (\"Doc\", \"Linea\"))"));
    QCOMPARE(two[1],
             QStringLiteral("CREATE TRIGGER \"general\".\"L_Linea_AutoInc\" AFTER INSERT ON \"L\" "
                            "WHEN NEW.\"Linea\" IS NULL BEGIN UPDATE \"L\" SET \"Linea\" = "
                            "(SELECT COALESCE(MAX(\"Linea\"), 0) + 1 FROM \"L\") WHERE rowid = "
                            "NEW.rowid; END"));
    QCOMPARE(pg().createTableStatements(QStringLiteral("C"), counter, {QStringLiteral("Numero")},
                                        QStringLiteral("C_Clave1"))
                 .size(),
             1);
}

void TstDialect::indexes() {
    const TIndexDef mixed{QStringLiteral("Fecha"), QStringLiteral("FechaAlta;Nombre"),
                          ixDescending | ixCaseInsensitive, QStringLiteral("FechaAlta")};
    const TFieldDefs cols{{QStringLiteral("FechaAlta"), ftDate, 0, false},
                          {QStringLiteral("Nombre"), ftString, 30, false}};
    QCOMPARE(
        lite().createIndex(QStringLiteral("PERSONAL"), QStringLiteral("PERSONAL_Fecha"), mixed),
        QStringLiteral("CREATE INDEX \"PERSONAL_Fecha\" ON \"PERSONAL\" (\"FechaAlta\" COLLATE "
                       "NOCASE DESC, \"Nombre\" COLLATE NOCASE)"));
    QCOMPARE(
        pg().createIndex(QStringLiteral("PERSONAL"), QStringLiteral("PERSONAL_Fecha"), mixed, cols),
        QStringLiteral("CREATE INDEX \"personal_fecha\" ON \"personal\" (\"fechaalta\" DESC, "
                       "lower(\"nombre\"))"));
    QCOMPARE(
        mss().createIndex(QStringLiteral("PERSONAL"), QStringLiteral("PERSONAL_Fecha"), mixed),
        QStringLiteral("CREATE INDEX PERSONAL_Fecha ON dbo.PERSONAL (FechaAlta DESC, Nombre)"));
    // Descending with no DescFields: every field.
    const TIndexDef unique{QStringLiteral("U"), QStringLiteral("A;B"), ixUnique | ixDescending, {}};
    QCOMPARE(pg().createIndex(QStringLiteral("T"), QStringLiteral("T_U"), unique),
             QStringLiteral("CREATE UNIQUE INDEX \"t_u\" ON \"t\" (\"a\" DESC, \"b\" DESC)"));
    // An attached schema's table: the index lives in that schema.
    QCOMPARE(lite().createIndex(QStringLiteral("general.T"), QStringLiteral("T_U"), unique),
             QStringLiteral(
                 "CREATE UNIQUE INDEX \"general\".\"T_U\" ON \"T\" (\"A\" DESC, \"B\" DESC)"));
    QCOMPARE(lite().dropIndex(QStringLiteral("T"), QStringLiteral("T_U")),
             QStringLiteral("DROP INDEX \"T_U\""));
    QCOMPARE(pg().dropIndex(QStringLiteral("general.T"), QStringLiteral("T_U")),
             QStringLiteral("DROP INDEX \"general\".\"t_u\""));
    QCOMPARE(mss().dropIndex(QStringLiteral("T"), QStringLiteral("T_U")),
             QStringLiteral("DROP INDEX dbo.T.T_U"));
}

void TstDialect::otherStatements() {
    QCOMPARE(lite().dropTable(QStringLiteral("T")), QStringLiteral("DROP TABLE \"T\""));
    QCOMPARE(pg().dropTable(QStringLiteral("T")), QStringLiteral("DROP TABLE \"t\""));
    QCOMPARE(mss().dropTable(QStringLiteral("T")), QStringLiteral("DROP TABLE dbo.T"));
    QCOMPARE(lite().createDatabase(QStringLiteral("EMP0001")), QString());
    QCOMPARE(pg().createDatabase(QStringLiteral("EMP0001")),
             QStringLiteral("CREATE SCHEMA \"emp0001\""));
    QCOMPARE(mss().createDatabase(QStringLiteral("EMP0001")),
             QStringLiteral("CREATE DATABASE EMP0001"));
    for (const SqlDialect* x : {&lite(), &pg(), &mss()})
        QCOMPARE(x->deleteAll(QStringLiteral("TEMP1")), QStringLiteral("DELETE FROM TEMP1"));
}

void TstDialect::sqliteTypesRoundTrip() {
    for (int t = ftString; t <= ftTypedBinary; ++t) {
        const int size = HasSize(TFieldType(t)) ? 25 : 0;
        int back = -1;
        const QString declared = lite().columnType(TFieldType(t), size);
        QCOMPARE(FieldTypeName(SqliteDeclaredFieldType(declared, &back)),
                 FieldTypeName(TFieldType(t)));
        QCOMPARE(back, size);
        QCOMPARE(SqliteDeclaredFieldType(declared.toLower()), TFieldType(t));
    }
    // Declarations of other creators, by affinity.
    int size = 0;
    QCOMPARE(SqliteDeclaredFieldType(QStringLiteral("INTEGER")), ftInteger);
    QCOMPARE(SqliteDeclaredFieldType(QStringLiteral("BIGINT")), ftInteger);
    QCOMPARE(SqliteDeclaredFieldType(QStringLiteral("TEXT")), ftMemo);
    QCOMPARE(SqliteDeclaredFieldType(QStringLiteral("REAL")), ftFloat);
    QCOMPARE(SqliteDeclaredFieldType(QStringLiteral("DECIMAL(28,8)")), ftFloat);
    QCOMPARE(SqliteDeclaredFieldType(QStringLiteral("NVARCHAR(12)"), &size), ftString);
    QCOMPARE(size, 12);
    QCOMPARE(SqliteDeclaredFieldType(QString(), &size), ftString);
    QCOMPARE(size, 255);
}

// SQLite's own affinity: text stays text in text and date columns, numbers
// become numbers in numeric ones.
void TstDialect::sqliteTypesAffinity() {
    const QString name = QStringLiteral("affinity");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (int t = ftString; t <= ftTypedBinary; ++t) {
            if (t == ftAutoInc) continue;
            const TFieldType type = TFieldType(t);
            const QString decl = lite().columnType(type, 10);
            QVERIFY2(q.exec(QStringLiteral("CREATE TABLE t%1 (c %2)").arg(t).arg(decl)),
                     qPrintable(q.lastError().text()));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO t%1 VALUES ('0123')").arg(t)));
            QVERIFY(q.exec(QStringLiteral("SELECT typeof(c) FROM t%1").arg(t)));
            QVERIFY(q.next());
            const QString stored = q.value(0).toString();
            const QString expected = (IsStringType(type) || IsDateTimeType(type))
                                         ? QStringLiteral("text")
                                     : IsBlobType(type)  ? QStringLiteral("text")
                                     : IsFloatType(type) ? QStringLiteral("real")
                                                         : QStringLiteral("integer");
            QVERIFY2(stored == expected, qPrintable(FieldTypeName(type) + QLatin1Char(' ') + decl +
                                                    QStringLiteral(": ") + stored));
        }
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QTEST_GUILESS_MAIN(TstDialect)
#include "tst_dialect.moc"
