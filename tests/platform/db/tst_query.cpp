// TQuery on every engine: parameters, result types, live and read-only
// results, other sessions' changes, and the errors callers see.

#include <pthread.h>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QtTest>
#include <thread>

#include "db/clientdataset.h"
#include "db/database.h"
#include "db/dberror.h"
#include "db/dialect.h"
#include "db/hiddencolumns.h"
#include "db/query.h"
#include "db/sqllexis.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "db/tablecursor.h"
#include "platform/db/dbtest.h"
#include "support/dbfixture.h"
#include "support/memoriaprueba.h"

namespace {

// The PostgreSQL logins the confinement of users' statements is tested
// under: the superuser (""), a login that may create roles and one that may
// not, each named by the variable scripts/with-postgres sets.
QStringList PostgresLogins() {
    QStringList logins{QString()};
    for (const char* v : {"RH_PG_ROLEMAKER_ROLE", "RH_PG_PLAIN_ROLE"})
        if (!qEnvironmentVariableIsEmpty(v)) logins << QLatin1String(v);
    return logins;
}
// The program's own prepared update of CALENDAR ("updated…"), or its table
// `tabla` opened and a row deleted (anything else): the refusal's text, ""
// when it ran.
QString ProgramWriteError(TDatabase* e, const QString& caso, const QString& tabla) {
    if (caso.startsWith(QLatin1String("updated")))
        return ErrorText([&] {
            QSqlQuery& u =
                e->Prepared(QStringLiteral("UPDATE CALENDAR SET Codigo = ? WHERE Codigo = ?"));
            TDatabase::BindValues(u, {7, 1});
            e->Run(u);
        });
    return ErrorText([&] {
        TTable t;
        t.setDatabaseName(QStringLiteral("Database"));
        t.setTableName(tabla);
        t.Open();
        t.Delete();
    });
}

QString LoginTag(const QString& login) {
    if (login == QLatin1String("RH_PG_PLAIN_ROLE")) return QStringLiteral(" as a plain role ");
    if (login == QLatin1String("RH_PG_ROLEMAKER_ROLE")) return QStringLiteral(" as a role maker ");
    return QStringLiteral(" ");
}
// Connections opened meanwhile use the login; the superuser's back after.
class ComoLogin {
public:
    explicit ComoLogin(const QString& login) : login_(login), usuario_(qgetenv("RH_PG_USER")) {
        if (!login.isEmpty()) qputenv("RH_PG_USER", qgetenv(qPrintable(login)));
    }
    ~ComoLogin() { qputenv("RH_PG_USER", usuario_); }
    // The login is what it stands for, and the users' role is in effect
    // exactly where the login may create roles.
    bool creaRoles() const { return login_ != QLatin1String("RH_PG_PLAIN_ROLE"); }
    void comprobar(TDatabase* db) const {
        if (db->engine() != Engine::Postgres) return;
        QCOMPARE(db->Scalar(QStringLiteral("SELECT rolsuper FROM pg_roles WHERE rolname = "
                                           "current_user"))
                     .toBool(),
                 login_.isEmpty());
        QCOMPARE(!db->UsersRole().isEmpty(), creaRoles());
    }

private:
    QString login_;
    QByteArray usuario_;
};

// PRUEBA (Codigo int key, Nombre string 20, Fecha date, Importe float,
// Activo boolean, Notas memo) with three rows.
void createPrueba(TDatabase* db) {
    const TFieldDefs defs{{QStringLiteral("Codigo"), ftInteger, 0, true},
                          {QStringLiteral("Nombre"), ftString, 20, false},
                          {QStringLiteral("Fecha"), ftDate, 0, false},
                          {QStringLiteral("Importe"), ftFloat, 0, false},
                          {QStringLiteral("Activo"), ftBoolean, 0, false},
                          {QStringLiteral("Notas"), ftMemo, 0, false}};
    for (const TFieldDef& d : defs) RegisterIdentifierSpelling(d.Name);
    RegisterIdentifierSpelling(QStringLiteral("PRUEBA"));
    db->Execute(db->dialect().createTable(QStringLiteral("PRUEBA"), defs,
                                          {QStringLiteral("Codigo")}, QStringLiteral("PRUEBA_PK")));
    const QString insert = QStringLiteral(
        "INSERT INTO PRUEBA (Codigo, Nombre, Fecha, Importe, Activo, Notas) VALUES (?, ?, ?, ?, ?, "
        "?)");
    const QVariant t = db->engine() == Engine::Sqlite ? QVariant(1) : QVariant(true);
    db->Execute(insert, {1, QStringLiteral("Ana"), QStringLiteral("2024-03-05"), 12.5, t,
                         QStringLiteral("nota")});
    db->Execute(insert,
                {2, QStringLiteral("Bea"), QStringLiteral("1899-12-30"), 0.0, t, QString("")});
    db->Execute(insert, {3, QString(""), QVariant(), QVariant(), QVariant(), QVariant()});
}

// The program's own tables, as the program hands them to the checks of
// users' statements, while the object lives: PRUEBA as a company table,
// CALENDAR as one not made yet, EMPRESA and CAMPOUSR as general ones.
struct TablasDelPrograma {
    TablasDelPrograma() {
        SetProgramTableTest([](const QString& t) {
            for (const char* n : {"PRUEBA", "CALENDAR", "EMPRESA", "CAMPOUSR"})
                if (t.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) return true;
            return false;
        });
    }
    ~TablasDelPrograma() { SetProgramTableTest(nullptr); }
};

// Stands for the windows' wait: counts its looks and asks to stop from the
// `stopAt`-th on (0: never).
struct StopAfter : TUserStatementWait {
    int stopAt = 1;
    int looks = 0, began = 0, ended = 0, incomplete = 0;
    // What the events let through at a look run (none: nothing).
    std::function<void()> atLook;
    void Began() override { ++began; }
    bool Waiting() override {
        if (atLook) atLook();
        return stopAt > 0 && ++looks >= stopAt;
    }
    void Ended(bool) override { ++ended; }
    void Incomplete() override { ++incomplete; }
    StopAfter() { SetUserStatementWait(this); }
    ~StopAfter() override { SetUserStatementWait(nullptr); }
};

}  // namespace

class TestQuery : public QObject {
    Q_OBJECT
    void standardStringsOn();
private Q_SLOTS:
    void params();
    void resultTypes_data() { AddEngineRows(); }
    void resultTypes();
    void liveResult_data() { AddEngineRows(); }
    void liveResult();
    void readOnlyResults_data() { AddEngineRows(); }
    void readOnlyResults();
    void otherSession_data() { AddEngineRows(); }
    void otherSession();
    void errorsAndExec_data() { AddEngineRows(); }
    void errorsAndExec();
    void userStatements_data() { AddEngineRows(); }
    void userStatements();
    void userStatementStopped_data();
    void userStatementStopped();
    void largeResult_data();
    void largeResult();
    void hostileStatements_data();
    void hostileStatements();
    void ordinaryStatements_data();
    void ordinaryStatements();
    void otherStores_data();
    void otherStores();
    void companyTablesStayApart_data() { AddEngineRows(); }
    void companyTablesStayApart();
    void companyRoleKeepsLogins_data();
    void companyRoleKeepsLogins();
    void programTablesStayTables_data();
    void programTablesStayTables();
    void programTablesStayTablesLite_data();
    void programTablesStayTablesLite();
    void standardStrings();
    void queryOrAction_data();
    void queryOrAction();
    void writeProtectedTables_data();
    void writeProtectedTables();
};

void TestQuery::params() {
    QString positional;
    const QStringList names = TQuery::ParamNames(
        QStringLiteral("SELECT a::text, ':x', \":y\" FROM T WHERE A = :Codigo AND B = :codigo "
                       "-- :comentario\nAND C = :Fecha /* :otro */"),
        &positional);
    QCOMPARE(names, (QStringList{QStringLiteral("Codigo"), QStringLiteral("Fecha")}));
    QCOMPARE(positional, QStringLiteral("SELECT a::text, ':x', \":y\" FROM T WHERE A = ? AND B = ? "
                                        "-- :comentario\nAND C = ? /* :otro */"));
    // Saved queries' variables: "$" text, "#" number, "&" date; "*" is pasted
    // into the text by its caller and is no parameter.
    QCOMPARE(
        TQuery::ParamNames(
            QStringLiteral(
                "SELECT * FROM T WHERE N = :$Nombre AND C > :#Cod AND F < :&Fecha AND X = :*Otro "
                "AND M = :$Nombre"),
            &positional),
        (QStringList{"$Nombre", "#Cod", "&Fecha"}));
    QCOMPARE(
        positional,
        QStringLiteral("SELECT * FROM T WHERE N = ? AND C > ? AND F < ? AND X = :*Otro AND M = ?"));

    TQuery q;
    q.SQL().Add(QStringLiteral("SELECT * FROM T WHERE A = :Uno"));
    q.SQL().Add(QStringLiteral("AND B = :Dos"));
    QCOMPARE(q.SQL().Text(), QStringLiteral("SELECT * FROM T WHERE A = :Uno\r\nAND B = :Dos\r\n"));
    QCOMPARE(q.ParamCount(), 2);
    TParam* uno = q.ParamByName(QStringLiteral("UNO"));
    uno->setAsInteger(7);
    QCOMPARE(uno->DataType(), ftInteger);
    QCOMPARE(uno->AsString(), QStringLiteral("7"));
    q.SQL().setText(QStringLiteral("SELECT * FROM T WHERE A = :uno\r\n"));
    QCOMPARE(q.ParamCount(), 1);
    QCOMPARE(q.ParamByName(QStringLiteral("Uno")), uno);  // same object, value kept
    QCOMPARE(uno->AsInteger(), 7);
    QCOMPARE(ErrorText([&] { q.ParamByName(QStringLiteral("Dos")); }),
             QStringLiteral("Parameter 'Dos' not found"));
    uno->setAsDateTime(QDateTime(QDate(2024, 1, 2), QTime(0, 0)));
    QCOMPARE(uno->DataType(), ftDateTime);
    uno->Clear();
    QVERIFY(uno->IsNull());
}

void TestQuery::resultTypes() {
    TestDatabase tdb(CurrentEngine());
    createPrueba(tdb.db());
    TQuery q;
    q.setDatabaseName(QStringLiteral("Database"));
    q.SQL().setText(QStringLiteral("select * from prueba where Codigo >= :Desde order by codigo"));
    q.ParamByName(QStringLiteral("Desde"))->setAsInteger(1);
    q.Open();
    QCOMPARE(q.FieldCount(), 6);
    QCOMPARE(q.Fields()[0]->FieldName(), QStringLiteral("Codigo"));  // dictionary spelling
    QCOMPARE(q.FieldByName(QStringLiteral("Nombre"))->Size(), 20);
    QCOMPARE(q.FieldByName(QStringLiteral("Fecha"))->DataType(), ftDate);
    QCOMPARE(q.FieldByName(QStringLiteral("Activo"))->DataType(), ftBoolean);
    QCOMPARE(q.FieldByName(QStringLiteral("Fecha"))->AsString(), QStringLiteral("05/03/2024"));
    QCOMPARE(q.FieldByName(QStringLiteral("Importe"))->AsString(), QStringLiteral("12,5"));
    QCOMPARE(q.FieldByName(QStringLiteral("Activo"))->AsString(), QStringLiteral("True"));
    QCOMPARE(q.FieldByName(QStringLiteral("Notas"))->DisplayText(), QStringLiteral("(MEMO)"));
    q.Next();
    // The zero date is a date; '' is not NULL.
    QVERIFY(!q.FieldByName(QStringLiteral("Fecha"))->IsNull());
    QVERIFY(IsZeroDate(q.FieldByName(QStringLiteral("Fecha"))->AsDateTime()));
    QVERIFY(!q.FieldByName(QStringLiteral("Notas"))->IsNull());
    QCOMPARE(q.FieldByName(QStringLiteral("Notas"))->DisplayText(), QStringLiteral("(memo)"));
    q.Next();
    QVERIFY(!q.FieldByName(QStringLiteral("Nombre"))->IsNull());
    QCOMPARE(q.FieldByName(QStringLiteral("Nombre"))->AsString(), QString());
    QVERIFY(q.FieldByName(QStringLiteral("Fecha"))->IsNull());
    q.Next();
    QVERIFY(q.Eof());
    q.First();
    QCOMPARE(q.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 1);
    QCOMPARE(q.RecordCount(), 3);

    // Columns that are not a table's: typed by the driver or by the value.
    q.Close();
    q.SQL().setText(QStringLiteral(
        "SELECT COUNT(*) AS Total, MAX(Fecha) AS Ultima, MAX(Nombre) AS Mayor FROM PRUEBA"));
    q.Open();
    QCOMPARE(q.Fields()[0]->FieldName(), QStringLiteral("Total"));
    // SQLite gives an expression no type: its numbers make a real.
    QVERIFY(tdb.db()->engine() == Engine::Sqlite
                ? IsFloatType(q.FieldByName(QStringLiteral("Total"))->DataType())
                : IsIntegerType(q.FieldByName(QStringLiteral("Total"))->DataType()));
    QCOMPARE(q.FieldByName(QStringLiteral("Total"))->AsInteger(), 3);
    QCOMPARE(q.FieldByName(QStringLiteral("Ultima"))->AsString(), QStringLiteral("05/03/2024"));
    QCOMPARE(q.FieldByName(QStringLiteral("Mayor"))->AsString(), QStringLiteral("Bea"));

    // Expression columns typed by every value, not by the first row: a
    // NULL or an integer first never rounds the fractions below it (nor
    // makes a text of a column that totals), a date first never empties the
    // texts below it, and numbers among texts show as numbers do.
    const struct {
        const char* sql;
        const char* rows;
        bool numeric;
        bool sqliteOnly;
    } expressions[] = {
        {"SELECT COALESCE(Importe, 0) AS Valor FROM PRUEBA ORDER BY Codigo DESC", "0;0;12,5", true,
         false},
        {"SELECT Importe * 2 AS Valor FROM PRUEBA WHERE Codigo = 3 UNION ALL SELECT Importe / 5 "
         "FROM PRUEBA WHERE Codigo = 1",
         "-;2,5", true, false},
        {"SELECT CASE WHEN Codigo = 1 THEN CAST(Fecha AS VARCHAR(10)) ELSE Nombre END AS Valor "
         "FROM PRUEBA ORDER BY Codigo",
         "2024-03-05;Bea;", false, false},
        {"SELECT CASE WHEN Codigo = 1 THEN Importe ELSE Nombre END AS Valor FROM PRUEBA ORDER BY "
         "Codigo",
         "12,5;Bea;", false, true},
        {"SELECT CASE WHEN Codigo = 1 THEN 3 ELSE 'Łódź|·;' END AS Valor FROM PRUEBA ORDER BY "
         "Codigo",
         "3;Łódź|·;;Łódź|·;", false, true},
    };
    for (const auto& e : expressions) {
        if (e.sqliteOnly && tdb.db()->engine() != Engine::Sqlite) continue;
        TQuery r;
        r.setDatabaseName(QStringLiteral("Database"));
        r.setUserStatement(true);
        r.SQL().setText(QString::fromUtf8(e.sql));
        r.Open();
        QCOMPARE(IsFloatType(r.Fields()[0]->DataType()), e.numeric);
        QStringList rows;
        for (; !r.Eof(); r.Next())
            rows << (r.Fields()[0]->IsNull() ? QStringLiteral("-") : r.Fields()[0]->AsString());
        QCOMPARE(rows.join(QLatin1Char(';')), QString::fromUtf8(e.rows));
    }

    // Every row's values, whether the result is read whole at Open, in
    // packets, or inside a transaction (where PostgreSQL hands it over whole
    // instead of a row at a time); date-times that repeat among others, and
    // texts beyond ASCII.
    const TFieldDefs moments{{QStringLiteral("Codigo"), ftInteger, 0, true},
                             {QStringLiteral("Momento"), ftDateTime, 0, false}};
    tdb.db()->Execute(tdb.db()->dialect().createTable(QStringLiteral("MOMENTOS"), moments,
                                                      {QStringLiteral("Codigo")},
                                                      QStringLiteral("MOMENTOS_PK")));
    const QDateTime morning(QDate(2024, 3, 5), QTime(8, 30));
    const QDateTime late(QDate(2023, 12, 31), QTime(23, 59, 58));
    const QDateTime midnight(QDate(2024, 3, 6), QTime(0, 0));
    const bool sqlite = tdb.db()->engine() == Engine::Sqlite;
    int code = 0;
    for (const QDateTime& when : {morning, late, morning, QDateTime(), midnight, morning, late})
        tdb.db()->Execute(QStringLiteral("INSERT INTO MOMENTOS (Codigo, Momento) VALUES (?, ?)"),
                          {++code, TTableCursor::toStorage(when, ftDateTime, sqlite)});
    const struct {
        const char* sql;
        const char* rows;
    } reads[] = {
        {"SELECT Codigo, Nombre, Fecha, Importe, Activo, Codigo * 2 AS Doble FROM PRUEBA ORDER "
         "BY Codigo",
         "1|Ana|05/03/2024|12,5|True|2;2|Bea|30/12/1899|0|True|4;3||-|-|-|6"},
        {"SELECT Nombre || 'ñ' AS Texto, Nombre FROM PRUEBA ORDER BY Codigo",
         "Anañ|Ana;Beañ|Bea;ñ|"},
        {"SELECT Codigo, Momento FROM MOMENTOS ORDER BY Codigo",
         "1|2024-03-05T08:30:00.000;2|2023-12-31T23:59:58.000;3|2024-03-05T08:30:00.000;4|-;"
         "5|2024-03-06T00:00:00.000;6|2024-03-05T08:30:00.000;7|2023-12-31T23:59:58.000"},
    };
    for (const auto& read : reads)
        for (const char* how : {"whole", "packets", "transaction"}) {
            const bool inTransaction = qstrcmp(how, "transaction") == 0;
            if (inTransaction) tdb.db()->StartTransaction();
            TQuery r;
            r.setDatabaseName(QStringLiteral("Database"));
            r.setPacketRecords(qstrcmp(how, "packets") == 0 ? 1 : -1);
            r.SQL().setText(QString::fromUtf8(read.sql));
            r.Open();
            QStringList rows;
            for (; !r.Eof(); r.Next()) {
                QStringList values;
                for (TField* f : r.Fields())
                    values << (f->IsNull() ? QStringLiteral("-")
                               : f->DataType() == ftDateTime
                                   ? f->AsDateTime().toString(Qt::ISODateWithMs)
                                   : f->AsString());
                rows << values.join(QLatin1Char('|'));
            }
            r.Close();
            if (inTransaction) tdb.db()->Rollback();
            QCOMPARE(rows.join(QLatin1Char(';')), QString::fromUtf8(read.rows));
        }
}

void TestQuery::liveResult() {
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    createPrueba(db);
    TQuery q;
    q.setDatabaseName(QStringLiteral("Database"));
    q.SQL().setText(
        QStringLiteral("SELECT Codigo, Nombre, Fecha, Notas FROM PRUEBA P ORDER BY Codigo"));
    q.Open();
    QVERIFY(q.CanModify());

    // Edit: '' and NULL and the zero date go in as such.
    q.Edit();
    q.FieldByName(QStringLiteral("Nombre"))->setAsString(QString(""));
    q.FieldByName(QStringLiteral("Fecha"))->setAsDateTime(ZeroDateTime());
    q.FieldByName(QStringLiteral("Notas"))->Clear();
    q.Post();
    QCOMPARE(
        db->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA WHERE Codigo = 1 AND Nombre = ''"))
            .toInt(),
        1);
    QCOMPARE(
        db->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA WHERE Codigo = 1 AND Notas IS NULL"))
            .toInt(),
        1);
    QCOMPARE(
        db->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA WHERE Codigo = 1 AND Fecha = ?"),
                   {QStringLiteral("1899-12-30")})
            .toInt(),
        1);

    // Insert and delete; the result keeps its rows and positions.
    q.Append();
    q.FieldByName(QStringLiteral("Codigo"))->setAsInteger(10);
    q.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Diez"));
    q.FieldByName(QStringLiteral("Fecha"))->setAsString(QStringLiteral("01/02/2025"));
    q.Post();
    QCOMPARE(db->Scalar(QStringLiteral("SELECT Nombre FROM PRUEBA WHERE Codigo = 10")).toString(),
             QStringLiteral("Diez"));
    QCOMPARE(q.RecordCount(), 4);
    q.First();
    q.Next();
    q.Delete();
    QCOMPARE(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA")).toInt(), 3);
    QCOMPARE(q.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 3);

    // A duplicate key leaves the insert pending with its values.
    q.Append();
    q.FieldByName(QStringLiteral("Codigo"))->setAsInteger(3);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.Post());
    QCOMPARE(q.State(), dsInsert);
    QCOMPARE(q.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 3);
    q.Cancel();

    // Read back through a new query.
    q.Close();
    q.Open();
    QCOMPARE(q.FieldByName(QStringLiteral("Nombre"))->AsString(), QString());
    QVERIFY(!q.FieldByName(QStringLiteral("Nombre"))->IsNull());
    QCOMPARE(q.FieldByName(QStringLiteral("Fecha"))->AsString(), QStringLiteral("30/12/1899"));
    q.Last();
    QCOMPARE(q.FieldByName(QStringLiteral("Fecha"))->AsString(), QStringLiteral("01/02/2025"));
}

void TestQuery::readOnlyResults() {
    TestDatabase tdb(CurrentEngine());
    createPrueba(tdb.db());
    const QStringList readOnly{
        QStringLiteral("SELECT Nombre FROM PRUEBA"),  // no key
        QStringLiteral("SELECT DISTINCT Codigo, Nombre FROM PRUEBA"),
        QStringLiteral("SELECT Codigo, COUNT(*) AS N FROM PRUEBA GROUP BY Codigo"),
        QStringLiteral(
            "SELECT A.Codigo, A.Nombre FROM PRUEBA A, PRUEBA B WHERE A.Codigo = B.Codigo"),
        QStringLiteral("SELECT Codigo, Nombre || 'x' AS Otro FROM PRUEBA"),
        QStringLiteral("SELECT Codigo FROM PRUEBA UNION SELECT Codigo FROM PRUEBA"),
    };
    for (const QString& sql : readOnly) {
        TQuery q;
        q.setDatabaseName(QStringLiteral("Database"));
        q.SQL().setText(sql);
        q.Open();
        QVERIFY2(!q.CanModify(), qPrintable(sql));
        QCOMPARE(ErrorText([&] { q.Edit(); }), QStringLiteral("Cannot modify a read-only dataset"));
        QCOMPARE(ErrorText([&] { q.Append(); }),
                 QStringLiteral("Cannot modify a read-only dataset"));
    }
    TQuery q;
    q.setDatabaseName(QStringLiteral("Database"));
    q.SQL().setText(QStringLiteral("SELECT * FROM PRUEBA"));
    q.setRequestLive(false);
    q.Open();
    QVERIFY(!q.CanModify());
}

void TestQuery::otherSession() {
    TestDatabase tdb(CurrentEngine());
    createPrueba(tdb.db());
    std::unique_ptr<TDatabase> other = tdb.openSecondSession(QStringLiteral("Otra"));
    TQuery q;
    q.setDatabaseName(QStringLiteral("Database"));
    q.SQL().setText(QStringLiteral("SELECT * FROM PRUEBA ORDER BY Codigo"));
    q.Open();

    other->Execute(QStringLiteral("UPDATE PRUEBA SET Nombre = 'Otro' WHERE Codigo = 1"));
    q.Edit();
    q.FieldByName(QStringLiteral("Importe"))->setAsFloat(3);
    QCOMPARE(ErrorText([&] { q.Post(); }), QStringLiteral("A deadlock was detected"));
    QCOMPARE(q.State(), dsEdit);
    q.Cancel();

    q.Next();
    other->Execute(QStringLiteral("DELETE FROM PRUEBA WHERE Codigo = 2"));
    q.Edit();
    q.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("x"));
    QCOMPARE(ErrorText([&] { q.Post(); }), QStringLiteral("Record/Key Deleted"));
    q.Cancel();
    QCOMPARE(ErrorText([&] { q.Delete(); }), QStringLiteral("Record/Key Deleted"));
    QCOMPARE(q.FieldByName(QStringLiteral("Codigo"))->AsInteger(), 2);
    other.reset();
}

void TestQuery::errorsAndExec() {
    TestDatabase tdb(CurrentEngine());
    createPrueba(tdb.db());
    TQuery q;
    q.setDatabaseName(QStringLiteral("Database"));
    QCOMPARE(ErrorText([&] { q.Open(); }), QStringLiteral("No SQL statement available"));
    q.SQL().setText(QStringLiteral("UPDATE PRUEBA SET Importe = :Importe WHERE Codigo < :Hasta"));
    QCOMPARE(ErrorText([&] { q.ExecSQL(); }),
             QStringLiteral("¡ El parámetro 'Importe' de la sentencia no tiene valor !"));
    q.ParamByName(QStringLiteral("Importe"))->setAsFloat(1.25);
    q.ParamByName(QStringLiteral("Hasta"))->setAsInteger(3);
    q.Prepare();
    QVERIFY(q.Prepared());
    q.ExecSQL();
    QCOMPARE(q.RowsAffected(), 2);
    QCOMPARE(ErrorText([&] { q.Open(); }), QStringLiteral("Error creating cursor handle"));
    QVERIFY(!q.Active());

    // Parameters cleared: nothing is bound, the text goes as typed.
    q.SQL().setText(
        QStringLiteral("SELECT COUNT(*) AS N FROM PRUEBA WHERE Nombre <> ':x' AND :x = 1"));
    QCOMPARE(ErrorText([&] { q.Open(); }),
             QStringLiteral("¡ El parámetro 'x' de la sentencia no tiene valor !"));
    q.Params().Clear();
    QCOMPARE(q.ParamCount(), 0);
    QVERIFY(ErrorText([&] { q.Open(); }) !=
            QStringLiteral("¡ El parámetro 'x' de la sentencia no tiene valor !"));
    q.SQL().setText(QStringLiteral("SELECT COUNT(*) AS N FROM PRUEBA WHERE Nombre <> ':x'"));
    q.Open();
    QCOMPARE(q.FieldByName(QStringLiteral("N"))->AsInteger(), 3);
    q.Close();
    q.SQL().setText(QStringLiteral("SELECT Importe FROM PRUEBA WHERE Fecha = :Fecha"));
    QVERIFY(!q.Prepared());
    q.ParamByName(QStringLiteral("Fecha"))->setAsDate(QDate(2024, 3, 5));
    q.Open();
    QCOMPARE(q.FieldByName(QStringLiteral("Importe"))->AsFloat(), 1.25);
    QCOMPARE(ErrorText([&] { q.setDatabaseName(QStringLiteral("Otra")); }),
             QStringLiteral("Cannot perform this operation on an open dataset"));
    QCOMPARE(ErrorText([&] { q.ExecSQL(); }),
             QStringLiteral("Cannot perform this operation on an open dataset"));
    q.Close();
    for (const QString& name : {QStringLiteral("NoExiste"), QString()}) {
        q.setDatabaseName(name);
        QCOMPARE(ErrorCode([&] { q.Open(); }), DbError::DatabaseNotFound);
    }
    q.setDatabaseName(QStringLiteral("Database"));
    q.SQL().setText(QStringLiteral("SELECT Nada FROM PRUEBA"));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.Open());
    QVERIFY(!q.Active());
}

// A statement a user typed: a second one hidden from a scanner that ends a
// text at its next quote is refused by the engine and deletes nothing; a
// query is read in a read-only transaction that ends before anything else
// runs, and inside the session's own transaction it is part of it.
void TestQuery::userStatements() {
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    createPrueba(db);
    const bool pg = db->engine() == Engine::Postgres;
    auto filas = [&] { return db->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA")).toInt(); };
    TQuery q;
    q.setDatabaseName(QStringLiteral("Database"));
    q.setUserStatement(true);
    for (const char* ataque :
         {"SELECT Codigo FROM PRUEBA WHERE Nombre <> E'\\'' ; DELETE FROM PRUEBA; --'",
          "SELECT Codigo FROM PRUEBA WHERE Nombre <> $$'$$ ; DELETE FROM PRUEBA; --'",
          "SELECT Codigo FROM PRUEBA; DELETE FROM PRUEBA",
          "UPDATE PRUEBA SET Importe = 0; DELETE FROM PRUEBA"}) {
        q.SQL().setText(QString::fromLatin1(ataque));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.Open());
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.ExecSQL());
        QCOMPARE(filas(), 3);
    }
    // Either engine's refusal of a plain second statement reads the same.
    for (const char* doble : {"SELECT Codigo FROM PRUEBA; DELETE FROM PRUEBA",
                              "UPDATE PRUEBA SET Importe = 0; "
                              "DELETE FROM PRUEBA"}) {
        q.SQL().setText(QString::fromLatin1(doble));
        QCOMPARE(ErrorText([&] { q.Open(); }), SeveralStatementsReason());
        QCOMPARE(ErrorText([&] { q.ExecSQL(); }), SeveralStatementsReason());
    }
    QVERIFY(!db->InReadOnly());

    // An action statement runs as always, its values bound (a hostile one
    // stays a value), one after another.
    const QString hostil = QStringLiteral("\\'); DELETE x; --");
    q.SQL().setText(QStringLiteral("UPDATE PRUEBA SET Nombre = :N WHERE Codigo = :C"));
    q.ParamByName(QStringLiteral("N"))->setAsString(hostil);
    q.ParamByName(QStringLiteral("C"))->setAsInteger(1);
    q.ExecSQL();
    QCOMPARE(db->Scalar(QStringLiteral("SELECT Nombre FROM PRUEBA WHERE Codigo = 1")).toString(),
             hostil);
    QCOMPARE(filas(), 3);
    for (int c : {2, 3}) {
        q.ParamByName(QStringLiteral("N"))->setAsString(QStringLiteral("O'Neil"));
        q.ParamByName(QStringLiteral("C"))->setAsInteger(c);
        q.ExecSQL();
        QCOMPARE(q.RowsAffected(), 1);
    }
    QCOMPARE(
        db->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA WHERE Nombre = 'O''Neil'")).toInt(),
        2);

    // Read in pieces: on PostgreSQL through a cursor on a connection of its
    // own, never in a transaction of the program's connection; it reads the
    // rows as they stood when it began.
    TDatabase* usuarios = db->UserStatements();
    QCOMPARE(usuarios != db, pg);
    q.SQL().setText(QStringLiteral("SELECT Codigo FROM PRUEBA ORDER BY Codigo"));
    q.setPacketRecords(1);
    q.Open();
    QVERIFY(!usuarios->InReadOnly());
    QVERIFY(!db->InReadOnly());
    db->Execute(QStringLiteral("INSERT INTO PRUEBA (Codigo, Nombre) VALUES (4, 'Dora')"));
    QStringList codigos;
    for (q.First(); !q.Eof(); q.Next()) codigos << q.Fields()[0]->AsString();
    QCOMPARE(codigos, (QStringList{"1", "2", "3"}));
    QVERIFY(!usuarios->InReadOnly());
    q.Close();
    q.Open();
    q.Close();  // left unread
    QVERIFY(!usuarios->InReadOnly());
    q.setPacketRecords(-1);
    QCOMPARE(filas(), 4);

    // A refusal inside the session's transaction leaves it usable.
    db->StartTransaction();
    q.SQL().setText(QStringLiteral("SELECT Codigo FROM PRUEBA; DELETE FROM PRUEBA"));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.Open());
    db->Execute(QStringLiteral("UPDATE PRUEBA SET Nombre = 'Eva' WHERE Codigo = 4"));
    db->Commit();
    QCOMPARE(db->Scalar(QStringLiteral("SELECT Nombre FROM PRUEBA WHERE Codigo = 4")).toString(),
             QStringLiteral("Eva"));

    if (!pg) return;
    {
        // While a user's query runs (here waiting for a table another session
        // locked) the program's own connection is not inside a transaction.
        const QString pid = db->Scalar(QStringLiteral("SELECT pg_backend_pid()")).toString();
        const TConnectionParams p = db->Params();
        QSemaphore bloqueada;
        QString estado;
        std::thread otra([&] {
            {
                QSqlDatabase c = OpenOutside(p, QStringLiteral("bloqueo"));
                QSqlQuery l(c.isOpen() ? c : QSqlDatabase());
                l.exec(QStringLiteral("BEGIN"));
                l.exec(QStringLiteral("LOCK TABLE %1.prueba").arg(tdb.location()));
                bloqueada.release();
                QThread::msleep(700);
                l.exec(QStringLiteral("SELECT state FROM pg_stat_activity WHERE pid = ") + pid);
                if (l.next()) estado = l.value(0).toString();
                l.exec(QStringLiteral("COMMIT"));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("bloqueo"));
        });
        bloqueada.acquire();
        q.SQL().setText(QStringLiteral("SELECT Codigo FROM PRUEBA"));
        q.Open();
        otra.join();
        QCOMPARE(q.RecordCount(), 4);
        q.Close();
        QCOMPARE(estado, QStringLiteral("idle"));
    }
    // A query that would write is refused as a query, also while the
    // session's transaction runs, which stays the session's to confirm.
    db->Execute(QStringLiteral("CREATE SEQUENCE prueba_sec"));
    q.SQL().setText(QStringLiteral("SELECT nextval('prueba_sec') AS N"));
    const QString escribe = ReadOnlyPathReason(QStringLiteral("nextval()"));
    QCOMPARE(ErrorText([&] { q.Open(); }), escribe);
    db->StartTransaction();
    QCOMPARE(ErrorText([&] { q.Open(); }), escribe);
    QVERIFY(db->InTransaction());
    db->Commit();
    QCOMPARE(db->Scalar(QStringLiteral("SELECT nextval('prueba_sec')")).toInt(), 1);

    // What a user's statement does to its session ends with it: its advisory
    // locks, its settings, a transaction it began; the program's own record
    // locks and settings are never its own.
    QVERIFY(db->TryLockRecord(QStringLiteral("PRUEBA"), QStringLiteral("1")));
    TDatabase otra;
    otra.Params() = db->Params();
    otra.setDatabaseName(QStringLiteral("Otra"));
    otra.Open();
    for (const char* sql : {"SELECT pg_try_advisory_lock(77) AS B",
                            "SELECT COUNT(*) AS N FROM (SELECT pg_advisory_unlock_all()) u"}) {
        q.SQL().setText(QString::fromLatin1(sql));
        QVERIFY(ErrorText([&] { q.Open(); }).contains(QLatin1String("advisory")));
    }
    // Settings and transactions are the program's: refused as commands.
    for (const char* sql : {"SET search_path = pg_catalog", "BEGIN"}) {
        q.SQL().setText(QString::fromLatin1(sql));
        QVERIFY(ErrorText([&] { q.ExecSQL(); }).startsWith(QLatin1String("la sentencia usa ")));
    }
    QVERIFY(otra.Scalar(QStringLiteral("SELECT pg_try_advisory_lock(77)")).toBool());
    // Let go now: left to the backend's exit, it could still be held when the
    // next check asks for it on a loaded machine.
    QVERIFY(otra.Scalar(QStringLiteral("SELECT pg_advisory_unlock(77)")).toBool());
    QVERIFY(!otra.TryLockRecord(QStringLiteral("PRUEBA"), QStringLiteral("1")));
    QCOMPARE(filas(), 4);
    q.SQL().setText(QStringLiteral("UPDATE PRUEBA SET Nombre = 'Flor' WHERE Codigo = 4"));
    q.ExecSQL();
    QCOMPARE(otra.Scalar(QStringLiteral("SELECT Nombre FROM PRUEBA WHERE Codigo = 4")).toString(),
             QStringLiteral("Flor"));
    db->UnlockRecord(QStringLiteral("PRUEBA"), QStringLiteral("1"));
}

namespace {

// The rows a statement reads, "a|b;c|d".
QString filasDe(TDatabase* db, const QString& sql) {
    QStringList out;
    QSqlQuery q = db->Execute(sql);
    while (q.next()) {
        QStringList fila;
        for (int i = 0; i < q.record().count(); ++i) fila << q.value(i).toString();
        out << fila.join(QLatin1Char('|'));
    }
    return out.join(QLatin1Char(';'));
}

// What another company's table holds, never a user's to read.
const QString kSecreto = QStringLiteral("secreto de otra empresa");

// What a user's statement could leave behind it, read before and after it
// ran: the database's rows, another session, the program's record lock and
// settings, a file, a role, an extension, a rule, a trigger, another
// company's rows.
class Testigos {
public:
    Testigos(TestDatabase& tdb) : db_(tdb.db()), pg_(db_->engine() == Engine::Postgres) {
        otra_ = tdb.openSecondSession(QStringLiteral("Otra"));
        if (pg_) {
            otraEmpresa_ = tdb.location() + QStringLiteral("_otra");
            db_->Execute(QStringLiteral("CREATE SCHEMA %1").arg(otraEmpresa_));
            db_->Execute(QStringLiteral("CREATE TABLE %1.otra (a int, b text)").arg(otraEmpresa_));
            db_->Execute(
                QStringLiteral("INSERT INTO %1.otra VALUES (1, '%2')").arg(otraEmpresa_, kSecreto));
            pid_ = otra_->Scalar(QStringLiteral("SELECT pg_backend_pid()")).toString();
            mainPid_ = db_->Scalar(QStringLiteral("SELECT pg_backend_pid()")).toString();
            QVERIFY(db_->TryLockRecord(QStringLiteral("PRUEBA"), QStringLiteral("1")));
        }
        antes_ = estado();
    }
    ~Testigos() {
        if (!pg_) return;
        db_->UnlockRecord(QStringLiteral("PRUEBA"), QStringLiteral("1"));
        otra_.reset();
        try {
            db_->Execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(otraEmpresa_));
        } catch (const EDatabaseError&) {
        }
    }
    // The statement with its marks filled in: %DIR% a folder, %OTRA% another
    // company's schema, %PROPIO% its own, %PID% another session.
    QString sentencia(QString sql) const {
        return sql.replace(QLatin1String("%DIR%"), dir_.path())
            .replace(QLatin1String("%OTRA%"), otraEmpresa_)
            .replace(QLatin1String("%PROPIO%"), pg_ ? otraEmpresa_.chopped(5) : QString())
            .replace(QLatin1String("%PID%"), pid_.isEmpty() ? QStringLiteral("0") : pid_);
    }
    // What changed, "" when nothing: then the program's next write lands
    // and the other session reads it.
    QString fugas() {
        QString f;
        try {
            otra_->Scalar(QStringLiteral("SELECT 1"));
        } catch (const EDatabaseError&) {
            return QStringLiteral("otra sesión terminada");
        }
        const QString despues = estado();
        if (despues != antes_)
            f += QStringLiteral("estado: ") + antes_ + QStringLiteral(" -> ") + despues;
        if (!QDir(dir_.path()).isEmpty()) f += QStringLiteral(" archivo creado;");
        if (pg_) {
            if (!otra_->Scalar(QStringLiteral("SELECT pg_try_advisory_lock(77)")).toBool())
                f += QStringLiteral(" bloqueo asesor retenido;");
            otra_->Scalar(QStringLiteral("SELECT pg_advisory_unlock_all()"));
            if (otra_->TryLockRecord(QStringLiteral("PRUEBA"), QStringLiteral("1"))) {
                otra_->UnlockRecord(QStringLiteral("PRUEBA"), QStringLiteral("1"));
                f += QStringLiteral(" bloqueo del registro liberado;");
            }
            // The program's connection is not left inside a transaction.
            const QString estado = otra_
                                       ->Scalar(QStringLiteral("SELECT state FROM "
                                                               "pg_stat_activity WHERE pid = ") +
                                                mainPid_)
                                       .toString();
            if (estado != QLatin1String("idle"))
                f += QStringLiteral(" conexión principal: ") + estado;
        }
        db_->Execute(QStringLiteral("UPDATE PRUEBA SET Nombre = 'Zoe' WHERE Codigo = 3"));
        if (otra_->Scalar(QStringLiteral("SELECT Nombre FROM PRUEBA WHERE Codigo = 3"))
                .toString() != QLatin1String("Zoe"))
            f += QStringLiteral(" escritura del programa perdida;");
        return f;
    }

private:
    QString uno(const QString& sql) { return filasDe(otra_.get(), sql); }
    QString estado() {
        QStringList e{uno(QStringLiteral("SELECT * FROM PRUEBA ORDER BY Codigo"))};
        // Its columns, generated ones too.
        e << uno(
            pg_ ? QStringLiteral("SELECT string_agg(attname, ',' ORDER BY attnum) FROM "
                                 "pg_attribute WHERE attrelid = to_regclass('prueba') AND "
                                 "attnum > 0 AND NOT attisdropped")
                : QStringLiteral("SELECT group_concat(name) FROM pragma_table_xinfo('PRUEBA')"));
        if (pg_) {
            const QString schema = otraEmpresa_.chopped(5);
            e << uno(QStringLiteral("SELECT COUNT(*) FROM %1.otra").arg(otraEmpresa_))
              << uno(QStringLiteral("SELECT COUNT(*) FROM pg_roles WHERE rolname = 'rh_intruso'"))
              << uno(QStringLiteral("SELECT extname FROM pg_extension ORDER BY 1"))
              << uno(QStringLiteral("SELECT COUNT(*) FROM pg_rules WHERE schemaname = '%1'")
                         .arg(schema))
              << uno(QStringLiteral("SELECT COUNT(*) FROM pg_trigger t JOIN pg_class c ON "
                                    "c.oid = t.tgrelid JOIN pg_namespace n ON n.oid = "
                                    "c.relnamespace WHERE n.nspname = '%1'")
                         .arg(schema))
              // Row security hides the rows from an ordinary role; a
              // replica identity or a tablespace reaches the server's files.
              << uno(QStringLiteral("SELECT c.relname, c.relacl::text, c.relrowsecurity, "
                                    "c.relforcerowsecurity, c.relreplident, c.reltablespace, "
                                    "obj_description(c.oid) FROM pg_class c JOIN "
                                    "pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname "
                                    "IN ('%1', '%2') ORDER BY 1")
                         .arg(schema, otraEmpresa_))
              << uno(QStringLiteral("SELECT COUNT(*) FROM pg_proc p JOIN pg_namespace n ON "
                                    "n.oid = p.pronamespace WHERE n.nspname = '%1'")
                         .arg(schema))
              << uno(QStringLiteral(
                         "SELECT (SELECT COUNT(*) FROM pg_policy p JOIN pg_class c ON c.oid "
                         "= p.polrelid JOIN pg_namespace n ON n.oid = c.relnamespace "
                         "WHERE n.nspname = '%1'), (SELECT COUNT(*) FROM pg_namespace "
                         "WHERE nspname IN ('intrusa', '%2')), (SELECT COUNT(*) FROM "
                         "pg_type t JOIN pg_namespace n ON n.oid = t.typnamespace "
                         "WHERE n.nspname = '%1'), (SELECT COUNT(*) FROM "
                         // Event triggers are the database's: those of another test
                         // program beside this one (its schemas carry its process id)
                         // come and go on their own.
                         "pg_event_trigger e JOIN pg_proc f ON f.oid = e.evtfoid JOIN "
                         "pg_namespace s ON s.oid = f.pronamespace WHERE coalesce(substring("
                         "s.nspname from '^[it]([0-9]+)_'), '%3') = '%3'), "
                         "(SELECT COUNT(*) FROM pg_foreign_server), "
                         "(SELECT COUNT(*) FROM pg_database WHERE datname = "
                         "'intrusa'), (SELECT COUNT(*) FROM pg_publication)")
                         .arg(schema, otraEmpresa_)
                         .arg(QCoreApplication::applicationPid()))
              << db_->Scalar(QStringLiteral("SHOW search_path")).toString();
        } else {
            for (const char* sql : {"PRAGMA query_only", "PRAGMA foreign_keys",
                                    "PRAGMA writable_schema", "PRAGMA main.journal_mode",
                                    "PRAGMA main.synchronous", "PRAGMA temp_store_directory"})
                e << db_->Scalar(QString::fromLatin1(sql)).toString();
            QSqlQuery q = db_->Execute(QStringLiteral("PRAGMA database_list"));
            int n = 0;  // "temp" comes when it is first used, by the program too
            while (q.next()) n += q.value(1).toString() != QLatin1String("temp");
            e << QString::number(n)
              << db_->Scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_temp_master")).toString()
              << db_->Scalar(QStringLiteral("SELECT group_concat(type || name) FROM sqlite_master"))
                     .toString();
        }
        return e.join(QStringLiteral(" / "));
    }

    TDatabase* db_;
    bool pg_;
    std::unique_ptr<TDatabase> otra_;
    QTemporaryDir dir_;
    QString otraEmpresa_, pid_, mainPid_, antes_;
};

}  // namespace

// A user's statement reaches only its own database's rows and tables: what
// reaches beyond (other sessions, the server, its files and settings,
// another company, the program's transaction and settings) is refused
// before it runs, in Spanish and naming what was refused, however it is
// written; on a read-only path so is any write. Nothing is left behind.
// An endless user's statement, stopped from the wait while the engine runs
// it, on each way it is run: nothing of it stays (no rows written, no
// statement left running on the server), the connection goes on, and a
// result whose rest was being read keeps the rows read so far; a pass over
// every row (its last row, its count) ends with the stop.
void TestQuery::userStatementStopped_data() {
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("sql");
    const QString endless =
        QStringLiteral("WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) ");
    for (Engine e : AvailableEngines()) {
        NewEngineRow(e, "count") << "whole" << endless + "SELECT count(*) FROM r";
        NewEngineRow(e, "rows") << "whole" << endless + "SELECT n FROM r";
        NewEngineRow(e, "first packet") << "packets" << endless + "SELECT count(*) AS Ñandú FROM r";
        NewEngineRow(e, "action") << "exec"
                                  << endless + "INSERT INTO PRUEBA (Codigo) SELECT n + 10 FROM r";
        NewEngineRow(e, "rest read for another statement")
            << "rest" << endless + "SELECT n, 'a|b;c·' AS Texto FROM r";
        // One row past the first packet costs without end.
        const QString costly =
            QStringLiteral(
                "WITH RECURSIVE f(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM f WHERE n < 300) "
                "SELECT n, CASE WHEN n = 250 THEN (") +
            endless + QStringLiteral("SELECT count(*) FROM r) ELSE 0 END AS x FROM f");
        NewEngineRow(e, "costly row in the rest") << "costly row" << costly;
        // A pass's read of the whole rest, by the grid holding the result.
        NewEngineRow(e, "costly row in a pass's last") << "costly last" << costly;
        NewEngineRow(e, "costly row in a pass's count") << "costly count" << costly;
    }
}

void TestQuery::userStatementStopped() {
    QFETCH(QString, way);
    QFETCH(QString, sql);
    TestDatabase tdb{CurrentEngine()};
    createPrueba(tdb.db());
    const bool rest = way == QLatin1String("rest");
    const bool costly = way.startsWith(QLatin1String("costly"));
    StopAfter wait;
    // The rest of a result is stopped, not its first packet.
    wait.stopAt = rest || costly ? 0 : 3;
    TQuery q;
    q.setDatabaseName(QStringLiteral("Database"));
    q.setUserStatement(true);
    q.setPacketRecords(way == QLatin1String("whole") || way == QLatin1String("exec") ? -1 : 200);
    q.SQL().setText(sql);
    const bool pg = tdb.db()->engine() == Engine::Postgres;
    if (rest || costly) {
        q.Open();
    } else {
        // What a look lets through finds the connection the statement runs
        // on (SQLite: the program's own) busy, told in Spanish; on
        // PostgreSQL the program's own answers.
        QString busy;
        int read = -1;
        TDatabase* users = tdb.db()->UserStatements();
        wait.atLook = [&] {
            if (!busy.isEmpty()) return;
            busy = ErrorText([&] { users->Scalar(QStringLiteral("SELECT 1")); });
            if (pg) read = tdb.db()->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA")).toInt();
        };
        QVERIFY_THROWS_EXCEPTION(EUserStatementCancelled,
                                 way == QLatin1String("exec") ? q.ExecSQL() : q.Open());
        wait.atLook = nullptr;
        QVERIFY(!q.Active());
        QVERIFY(wait.looks >= 3);
        QCOMPARE(wait.ended, wait.began);
        QCOMPARE(busy, QStringLiteral("¡Debe esperar a que finalice la consulta en curso!"));
        QCOMPARE(read, pg ? 3 : -1);
    }
    if (costly && way != QLatin1String("costly row")) {
        // Never the rows read taken for the whole result (a short count or
        // last row reported as the end): the pass ends with the stop, and
        // the grid holds what it held, the rest to be read anew.
        TClientDataSet c;
        c.LoadFromQuery(&q);
        c.Next();
        wait.stopAt = wait.looks + 2;
        int n = -1;
        {
            TOnePass pass(&c);
            QVERIFY_THROWS_EXCEPTION(EUserStatementCancelled, {
                if (way == QLatin1String("costly last"))
                    c.Last();
                else
                    n = c.RecordCount();
            });
        }
        QCOMPARE(n, -1);
        QVERIFY(!c.ResultIncomplete());
        QCOMPARE(wait.incomplete, 0);
        QCOMPARE(c.RowsHeld(), 200);
        wait.stopAt = 0;
        c.First();
        QCOMPARE(c.FieldByName(QStringLiteral("n"))->AsInteger(), 1);
        c.Close();
        q.Close();
    } else if (costly) {
        // Stopped while the engine works on that row: a stop, never the
        // engine's error. A pass over every row ends with it; reaching the
        // row by navigation keeps the rows read before it, and says so.
        wait.stopAt = wait.looks + 2;
        {
            TOnePass pass(&q);
            QVERIFY_THROWS_EXCEPTION(EUserStatementCancelled, {
                for (q.First(); !q.Eof(); q.Next()) {
                }
            });
        }
        q.Close();
        q.Open();
        wait.stopAt = wait.looks + 2;
        q.Last();
        QCOMPARE(wait.incomplete, 1);
        const int n = q.FieldByName(QStringLiteral("n"))->AsInteger();
        QVERIFY2(n >= 200 && n < 250, qPrintable(QString::number(n)));
        q.Close();
    }
    if (rest) {
        // Another statement needs the connection (PostgreSQL: the table
        // whole): the rest is read under the wait, which stops it, and the
        // holder is told.
        wait.stopAt = wait.looks + 2;
        if (pg) tdb.db()->Execute(QStringLiteral("ALTER TABLE PRUEBA ADD Extra INTEGER"));
        QCOMPARE(tdb.db()->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA")).toInt(), 3);
        QCOMPARE(wait.incomplete, 1);
        int n = 0;
        for (q.First(); !q.Eof(); q.Next()) ++n;
        QVERIFY(n >= 200);
        q.Last();
        QCOMPARE(q.FieldByName(QStringLiteral("n"))->AsInteger(), n);
        QCOMPARE(q.FieldByName(QStringLiteral("Texto"))->AsString(), QStringLiteral("a|b;c·"));
        q.Close();
    }
    // Nothing written; the connection answers at once, and on the server
    // nothing of the statement runs on.
    auto other = tdb.openSecondSession(QStringLiteral("Otra"));
    QCOMPARE(other->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA")).toInt(), 3);
    if (pg)
        QTRY_COMPARE(other
                         ->Scalar(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE "
                                                 "state = 'active' AND query LIKE '%RECURSIVE%' "
                                                 "AND pid <> pg_backend_pid()"))
                         .toInt(),
                     0);
    wait.stopAt = 0;
    q.SQL().setText(QStringLiteral("SELECT COUNT(*) AS N FROM PRUEBA"));
    q.Open();
    QCOMPARE(q.FieldByName(QStringLiteral("N"))->AsInteger(), 3);
}

// A user's result larger than a packet is held a packet at a time: the
// rest is read as it is reached, also after the program took the table
// whole (PostgreSQL: its own DDL never waits on the user's cursor), and a
// pass over every row keeps none of the rows it read beyond those held.
// A rest lost (PostgreSQL: the company closed, the reading backend ended
// after the first packet) leaves the result incomplete, and the end of its
// rows says so every time it is reached (before, the clerk's Last and
// count stopped at row 200 as if it were the whole).
void TestQuery::largeResult_data() {
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("way");
    for (Engine e : AvailableEngines())
        for (const char* way :
             {"last", "table taken", "pass", "company closed", "query pass", "query refresh"})
            NewEngineRow(e, way) << QString::fromLatin1(way);
    if (AvailableEngines().contains(Engine::Postgres))
        for (const char* way : {"rest lost", "query rest lost"})
            NewEngineRow(Engine::Postgres, way) << QString::fromLatin1(way);
}

void TestQuery::largeResult() {
    QFETCH(QString, way);
    TestDatabase tdb{CurrentEngine()};
    TDatabase* db = tdb.db();
    createPrueba(db);
    const bool pg = db->engine() == Engine::Postgres;
    // A failure waits a moment, never for ever.
    if (pg) db->Execute(QStringLiteral("SET lock_timeout = '3s'"));
    StopAfter wait;
    wait.stopAt = 0;
    const int total = 3 * 3000;
    TQuery q;
    q.setDatabaseName(QStringLiteral("Database"));
    q.setUserStatement(true);
    q.setPacketRecords(200);
    q.SQL().setText(QStringLiteral(
        "WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r WHERE n < 3000) "
        "SELECT r.n * 10 + p.Codigo AS Orden, p.Nombre, 'Łódź|;·' AS Texto FROM r, PRUEBA p "
        "ORDER BY 1"));
    // The backend the cursor reads on, ended once the first packet is held.
    const QVariant reader =
        pg ? db->UserStatements()->Scalar(QStringLiteral("SELECT pg_backend_pid()")) : QVariant();
    q.Open();
    if (way.endsWith(QLatin1String("rest lost"))) {
        EndBackendPids(db->Params(), {reader});
        TDataSet* d = &q;
        TClientDataSet c;
        if (!way.startsWith(QLatin1String("query"))) {
            c.LoadFromQuery(&q);
            d = &c;
        }
        int n = 0;
        try {
            for (d->First(); !d->Eof(); d->Next()) ++n;
            QFAIL("the rest was read from an ended backend");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.code(), DbError::ConnectionLost);
        }
        QCOMPARE(n, 200);
        QCOMPARE(wait.incomplete, 1);
        QVERIFY(d->ResultIncomplete());
        d->Last();
        QCOMPARE(d->FieldByName(QStringLiteral("Orden"))->AsInteger(), 672);
        QCOMPARE(wait.incomplete, 2);
        QCOMPARE(d->RecordCount(), 200);
        QCOMPARE(wait.incomplete, 3);
        // Run again, on a connection made anew, it is whole.
        q.Close();
        q.Open();
        QVERIFY(!q.ResultIncomplete());
        QCOMPARE(q.RecordCount(), total);
        QCOMPARE(wait.incomplete, 3);
        return;
    }
    if (way.startsWith(QLatin1String("query"))) {
        // The query itself, as the SQL editor keeps it: a pass lets the rows
        // it read go, a refresh reads again only as far as the record shown.
        QCOMPARE(q.RowsHeld(), 200);
        q.Next();
        if (way == QLatin1String("query pass")) {
            TOnePass pass(&q);
            int n = 0, most = 0;
            for (q.First(); !q.Eof(); q.Next()) {
                ++n;
                most = std::max(most, q.RowsHeld());
            }
            QCOMPARE(n, total);
            QVERIFY2(most < 5000, qPrintable(QString::number(most)));
        } else {
            db->Execute(QStringLiteral("UPDATE PRUEBA SET Nombre = 'Eva' WHERE Codigo = 2"));
            q.Refresh();
            QCOMPARE(q.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("Eva"));
        }
        QCOMPARE(q.RowsHeld(), 200);
        QCOMPARE(q.FieldByName(QStringLiteral("Orden"))->AsInteger(), 12);
        q.Last();
        QCOMPARE(q.RecordCount(), total);
        QCOMPARE(q.FieldByName(QStringLiteral("Orden"))->AsInteger(), 30003);
        return;
    }
    TClientDataSet c;
    c.LoadFromQuery(&q);
    QCOMPARE(c.RowsHeld(), 200);
    int expected = total;
    if (way == QLatin1String("table taken")) {
        // The program's own DDL and a clerk's save on the table read.
        db->Execute(QStringLiteral("ALTER TABLE PRUEBA ADD Extra INTEGER"));
        db->Execute(QStringLiteral("UPDATE PRUEBA SET Nombre = 'Eva' WHERE Codigo = 1"));
        QCOMPARE(c.RowsHeld(), 200);
    } else if (way == QLatin1String("pass")) {
        c.Next();
        c.BeginPass();
        int n = 0, most = 0;
        for (c.First(); !c.Eof(); c.Next()) {
            ++n;
            most = std::max(most, c.RowsHeld());
        }
        c.EndPass();
        QCOMPARE(n, total);
        QVERIFY2(most < 5000, qPrintable(QString::number(most)));
        QCOMPARE(c.RowsHeld(), 200);
        QCOMPARE(c.FieldByName(QStringLiteral("Orden"))->AsInteger(), 12);
    } else if (way == QLatin1String("company closed")) {
        db->Close();
        // PostgreSQL: the cursor closed, its rows kept and the user told;
        // SQLite reads its rest before the file closes.
        if (pg) expected = 200;
        QCOMPARE(wait.incomplete, pg ? 1 : 0);
    }
    c.Last();
    QCOMPARE(c.ResultIncomplete(), expected != total);
    QCOMPARE(c.RecordCount(), expected);
    // The end of an incomplete result is told as such each time.
    QCOMPARE(wait.incomplete, expected == total ? 0 : 3);
    QCOMPARE(c.FieldByName(QStringLiteral("Orden"))->AsInteger(), expected == total ? 30003 : 672);
    QCOMPARE(c.FieldByName(QStringLiteral("Texto"))->AsString(), QStringLiteral("Łódź|;·"));
    if (way == QLatin1String("company closed")) return;
    c.Close();
    // Nothing of the user's read holds the table any longer.
    db->Execute(QStringLiteral("ALTER TABLE PRUEBA ADD Otra INTEGER"));
    QCOMPARE(db->Scalar(QStringLiteral("SELECT Nombre FROM PRUEBA WHERE Codigo = 1")).toString(),
             way == QLatin1String("table taken") ? QStringLiteral("Eva") : QStringLiteral("Ana"));
}

void TestQuery::hostileStatements_data() {
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("lectura");    // Open (read-only path) or ExecSQL
    QTest::addColumn<QString>("nombre");  // what the refusal names
    QTest::addColumn<QString>("login");  // PostgreSQL: the variable naming the login, "" RH_PG_USER
    QTest::addColumn<QString>("oculto");  // a field hidden from the user ("" none)
    struct Caso {
        const char* tag;
        const char* sql;
        bool lectura;
        const char* nombre;
    };
    static const Caso postgres[] = {
        {"continued E text", "SELECT E'x'\n'\\'', pg_terminate_backend(%PID%) AS k --'", true,
         "pg_terminate_backend"},
        {"continued E text, action", "SELECT E'x'\n'\\'', pg_terminate_backend(%PID%) AS k --'",
         false, "pg_terminate_backend"},
        {"quoted name", "SELECT \"pg_terminate_backend\"(%PID%)", true, "pg_terminate_backend"},
        {"unicode name", "SELECT U&\"\\0070g_cancel_backend\"(%PID%)", true, "pg_cancel_backend"},
        {"uescape", "SELECT U&\"!0070g_read_file\" UESCAPE '!' ('/etc/hostname')", true,
         "pg_read_file"},
        {"comment inside a qualified name", "SELECT pg_catalog./* x */Pg_Terminate_Backend(%PID%)",
         true, "pg_terminate_backend"},
        {"function in FROM", "SELECT * FROM pg_ls_dir('.') d", true, "pg_ls_dir"},
        {"query as text", "SELECT query_to_xml('DELETE FROM prueba RETURNING 1', true, false, '')",
         true, "query_to_xml"},
        {"table as text", "SELECT table_to_xml('prueba', true, false, '')", true, "table_to_xml"},
        {"reload", "SELECT pg_reload_conf()", true, "pg_reload_conf"},
        {"statistics reset", "SELECT pg_stat_reset()", true, "pg_stat_reset"},
        {"advisory lock", "SELECT Codigo, pg_try_advisory_lock(77) FROM PRUEBA", true,
         "pg_try_advisory_lock"},
        {"every lock released", "SELECT COUNT(*) FROM (SELECT pg_advisory_unlock_all()) u", true,
         "pg_advisory_unlock_all"},
        {"setting", "SELECT set_config('search_path', 'pg_catalog', false)", true, "set_config"},
        {"large object", "SELECT lo_import('/etc/hostname')", true, "lo_import"},
        {"other database", "SELECT * FROM dblink('dbname=postgres', 'SELECT 1') AS t(a int)", true,
         "dblink"},
        {"text search", "SELECT * FROM ts_stat('SELECT 1')", true, "ts_stat"},
        {"system catalog", "SELECT rolname FROM pg_authid", true, "pg_authid"},
        {"sessions view", "SELECT pid FROM pg_catalog.pg_stat_activity", true, "pg_stat_activity"},
        {"information_schema", "SELECT table_name FROM information_schema.tables", true,
         "information_schema"},
        {"another company", "SELECT * FROM %OTRA%.otra", true, "%OTRA%"},
        {"another company, quoted", "DELETE FROM \"%OTRA%\".otra", false, "%OTRA%"},
        // Names the parser's tree carries escaped, read back whole.
        {"another schema, a name holding quotes, a backslash, a tab and letters outside Latin-1",
         "SELECT * FROM \"o\"\"t\\ra\tñ€𝄞\"\",\"\"relname\"\":\"\"x\".t", true,
         "o\"t\\ra\tñ€𝄞\",\"relname\":\"x"},
        {"another schema, a control character by its code", "SELECT * FROM U&\"o\\0001tra\".t",
         true, "o\001tra"},
        {"another company, updated", "UPDATE %OTRA%.otra SET a = 2", false, "%OTRA%"},
        {"another company's type", "SELECT CAST(ROW(1) AS %OTRA%.otra) AS k", true, "%OTRA%"},
        {"another company, in a sub-select",
         "UPDATE PRUEBA SET Importe = (SELECT COUNT(*) FROM %OTRA%.otra)", false, "%OTRA%"},
        {"another company's sequence", "SELECT setval('%OTRA%.s', 100)", false, "%OTRA%"},
        {"another company's sequence, quoted", "SELECT nextval('\"%OTRA%\".s'::regclass)", false,
         "%OTRA%"},
        {"sequence named by an expression", "SELECT nextval('s' || '')", false, "nextval"},
        {"sequence", "CREATE SEQUENCE s", false, "CREATE SEQUENCE"},
        {"another company's table as text", "SELECT '%OTRA%.otra'::regclass", true, "%OTRA%"},
        {"another company's operator", "SELECT 1 OPERATOR(%OTRA%.+) 1", true, "%OTRA%"},
        {"drop schema", "DROP SCHEMA %OTRA% CASCADE", false, "DROP SCHEMA"},
        {"drop another company's table", "DROP TABLE %OTRA%.otra", false, "%OTRA%"},
        {"set schema", "ALTER TABLE PRUEBA SET SCHEMA %OTRA%", false, "SET SCHEMA"},
        {"sub-select", "SELECT (SELECT pg_cancel_backend(%PID%)) AS k", true, "pg_cancel_backend"},
        {"cast", "SELECT CAST(pg_terminate_backend(%PID%) AS text) AS k", true,
         "pg_terminate_backend"},
        {"view", "CREATE VIEW v AS SELECT pg_terminate_backend(%PID%) AS k", false,
         "pg_terminate_backend"},
        {"column default", "CREATE TABLE t2 (a text DEFAULT pg_terminate_backend(%PID%)::text)",
         false, "pg_terminate_backend"},
        {"role", "CREATE ROLE rh_intruso SUPERUSER LOGIN", false, "CREATE ROLE"},
        {"extension", "CREATE EXTENSION file_fdw", false, "CREATE EXTENSION"},
        {"rule", "CREATE RULE r AS ON INSERT TO PRUEBA DO ALSO DELETE FROM PRUEBA", false,
         "CREATE RULE"},
        {"trigger",
         "CREATE TRIGGER t AFTER INSERT ON PRUEBA EXECUTE FUNCTION suppress_redundant_updates_"
         "trigger()",
         false, "CREATE TRIGGER"},
        {"function", "CREATE FUNCTION f() RETURNS int AS 'SELECT 1' LANGUAGE sql", false,
         "CREATE FUNCTION"},
        {"grant", "GRANT ALL ON PRUEBA TO PUBLIC", false, "GRANT"},
        {"notify", "NOTIFY canal", false, "NOTIFY"},
        {"copy to a server file", "COPY PRUEBA TO '%DIR%/x.txt'", false, "COPY"},
        {"anonymous code", "DO $$ BEGIN DELETE FROM prueba; END $$", false, "DO"},
        {"setting by command", "SET search_path = pg_catalog", false, "SET"},
        {"role by command", "SET ROLE NONE", false, "SET"},
        {"role reset", "RESET ROLE", false, "RESET"},
        {"session's user", "SET SESSION AUTHORIZATION DEFAULT", false, "SET"},
        {"role of the transaction", "SET LOCAL ROLE NONE", false, "SET"},
        {"another company's table looked up", "SELECT to_regclass('%OTRA%.otra')", true, "%OTRA%"},
        {"another company's schema looked up", "SELECT to_regnamespace('%OTRA%')", true, "%OTRA%"},
        {"another company's schema as a type", "SELECT '%OTRA%'::regnamespace", true, "%OTRA%"},
        {"another company's table's rights", "SELECT has_table_privilege('%OTRA%.otra', 'SELECT')",
         true, "%OTRA%"},
        {"another company's table's rights for a role",
         "SELECT has_table_privilege('public', '\"%OTRA%\".otra', 'SELECT')", true, "%OTRA%"},
        {"another company's column", "SELECT has_column_privilege('%OTRA%.otra', 'a', 'SELECT')",
         true, "%OTRA%"},
        {"another company's schema's rights",
         "SELECT has_schema_privilege('public', '%OTRA%', 'USAGE')", true, "%OTRA%"},
        {"name worked out", "SELECT to_regclass(Nombre || '.otra') FROM PRUEBA", true, "regclass"},
        {"object by its number", "SELECT CAST(16384 AS regclass)::text", true, "regclass"},
        {"roles looked up", "SELECT to_regrole('rh_intruso')", true, "regrole"},
        {"database's rights", "SELECT has_database_privilege('postgres', 'CONNECT')", true,
         "has_database_privilege"},
        {"server's folder", "SELECT current_setting('data_directory')", true, "current_setting"},
        {"server's configuration file", "SELECT current_setting('config_file')", true,
         "current_setting"},
        {"server's sockets", "SELECT current_setting('unix_socket_directories')", true,
         "current_setting"},
        {"users table under a WITH of its name",
         "WITH usuario AS (SELECT * FROM usuario) SELECT * FROM usuario", true, "USUARIO"},
        {"users table beside a WITH of its name",
         "SELECT * FROM usuario, (WITH usuario AS (SELECT 1 AS a) SELECT a FROM usuario) w", true,
         "USUARIO"},
        {"users table written under a WITH of its name",
         "WITH usuario AS (SELECT 1 AS a) DELETE FROM usuario", false, "USUARIO"},
        {"another company's table attached as a partition",
         "ALTER TABLE PRUEBA ATTACH PARTITION %OTRA%.otra DEFAULT", false, "%OTRA%"},
        {"another company's table detached", "ALTER TABLE PRUEBA DETACH PARTITION %OTRA%.otra",
         false, "%OTRA%"},
        {"another company's index attached",
         "ALTER INDEX prueba_pk ATTACH PARTITION %OTRA%.otra_pk", false, "%OTRA%"},
        {"partition of another company's table", "CREATE TABLE P2 PARTITION OF %OTRA%.otra DEFAULT",
         false, "%OTRA%"},
        {"transaction", "BEGIN", false, "BEGIN"},
        {"server settings", "ALTER SYSTEM SET work_mem = '8MB'", false, "ALTER SYSTEM"},
        {"every session's settings", "ALTER ROLE CURRENT_USER SET application_name = 'x'", false,
         "ALTER ROLE"},
        {"vacuum", "VACUUM PRUEBA", false, "VACUUM"},
        {"lock", "LOCK TABLE PRUEBA", false, "LOCK"},
        {"prepare", "PREPARE p AS DELETE FROM PRUEBA", false, "PREPARE"},
        {"cursor", "DECLARE c CURSOR WITH HOLD FOR SELECT 1", false, "DECLARE CURSOR"},
        {"owner", "ALTER TABLE PRUEBA OWNER TO postgres", false, "OWNER"},
        // Every family of functions that reaches beyond the statement.
        {"server file's bytes", "SELECT pg_read_binary_file('/etc/hostname')", true,
         "pg_read_binary_file"},
        {"server file's facts", "SELECT (pg_stat_file('/etc/hostname')).size", true,
         "pg_stat_file"},
        {"notice by function", "SELECT pg_notify('canal', 'x')", true, "pg_notify"},
        {"large object written to a server file",
         "SELECT lo_export(lo_from_bytea(0, 'x'), '%DIR%/x.txt')", true, "lo_export"},
        {"large object read", "SELECT loread(0, 10)", true, "loread"},
        {"large object written", "SELECT lowrite(0, 'x')", true, "lowrite"},
        {"query as text, rewritten",
         "SELECT ts_rewrite('a'::tsquery, 'SELECT ''a''::tsquery, ''b''::tsquery FROM "
         "%OTRA%.otra')",
         true, "ts_rewrite"},
        {"another company's schema as text", "SELECT schema_to_xml('%OTRA%', true, false, '')",
         true, "schema_to_xml"},
        {"another company's schema as text, with its xml schema",
         "SELECT schema_to_xml_and_xmlschema('%OTRA%', true, false, '')", true, "schema_to_xml"},
        {"every company as text", "SELECT database_to_xml(true, false, '')", true,
         "database_to_xml"},
        {"cursor as text", "SELECT cursor_to_xml('c', 10, true, false, '')", true, "cursor_to_xml"},
        {"another company's sequence read", "SELECT currval('%OTRA%.s')", true, "%OTRA%"},
        // Every command that reaches beyond the company's rows and tables.
        {"row security", "ALTER TABLE PRUEBA ENABLE ROW LEVEL SECURITY", false,
         "ENABLE ROW SECURITY"},
        {"row security forced", "ALTER TABLE PRUEBA FORCE ROW LEVEL SECURITY", false,
         "FORCE ROW SECURITY"},
        {"policy", "CREATE POLICY p ON PRUEBA USING (false)", false, "CREATE POLICY"},
        {"triggers disabled", "ALTER TABLE PRUEBA DISABLE TRIGGER ALL", false, "DISABLE TRIG"},
        {"rule enabled", "ALTER TABLE PRUEBA ENABLE RULE r", false, "ENABLE RULE"},
        {"tablespace of a table", "ALTER TABLE PRUEBA SET TABLESPACE pg_default", false,
         "SET TABLE SPACE"},
        {"table created in a tablespace", "CREATE TABLE t2 (a int) TABLESPACE pg_default", false,
         "TABLESPACE"},
        {"replica identity", "ALTER TABLE PRUEBA REPLICA IDENTITY FULL", false, "REPLICA IDENTITY"},
        {"foreign options", "ALTER TABLE PRUEBA OPTIONS (ADD x 'y')", false, "OPTIONS"},
        {"foreign table", "CREATE FOREIGN TABLE f (a int) SERVER s", false, "CREATE FOREIGN TABLE"},
        {"foreign table altered", "ALTER FOREIGN TABLE f ADD COLUMN b int", false,
         "ALTER FOREIGN TABLE"},
        {"foreign schema imported", "IMPORT FOREIGN SCHEMA public FROM SERVER s INTO %OTRA%", false,
         "IMPORT FOREIGN SCHEMA"},
        {"foreign data wrapper", "CREATE FOREIGN DATA WRAPPER w", false,
         "CREATE FOREIGN DATA WRAPPER"},
        {"foreign server", "CREATE SERVER s FOREIGN DATA WRAPPER w", false, "CREATE SERVER"},
        {"user mapping", "CREATE USER MAPPING FOR CURRENT_USER SERVER s", false,
         "CREATE USER MAPPING"},
        {"event trigger",
         "CREATE EVENT TRIGGER e ON ddl_command_start EXECUTE FUNCTION "
         "suppress_redundant_updates_trigger()",
         false, "CREATE EVENT TRIGGER"},
        {"schema", "CREATE SCHEMA intrusa", false, "CREATE SCHEMA"},
        {"schema renamed", "ALTER SCHEMA %OTRA% RENAME TO intrusa", false, "ALTER SCHEMA RENAME"},
        {"sequence altered", "ALTER SEQUENCE s RESTART", false, "ALTER SEQUENCE"},
        {"sequence dropped", "DROP SEQUENCE s", false, "DROP SEQUENCE"},
        {"function dropped", "DROP FUNCTION f()", false, "DROP FUNCTION"},
        {"function altered", "ALTER FUNCTION f() SECURITY DEFINER", false, "ALTER FUNCTION"},
        {"procedure called", "CALL p()", false, "CALL"},
        {"type", "CREATE TYPE tipo AS (a int)", false, "CREATE TYPE"},
        {"domain", "CREATE DOMAIN dominio AS int", false, "CREATE DOMAIN"},
        {"aggregate", "CREATE AGGREGATE ag (int) (SFUNC = int4pl, STYPE = int)", false,
         "CREATE AGGREGATE"},
        {"operator", "CREATE OPERATOR === (FUNCTION = int4eq, LEFTARG = int, RIGHTARG = int)",
         false, "CREATE OPERATOR"},
        {"cast", "CREATE CAST (int AS text) WITH INOUT", false, "CREATE CAST"},
        {"language", "CREATE LANGUAGE plx HANDLER plpgsql_call_handler", false, "CREATE LANGUAGE"},
        {"statistics", "CREATE STATISTICS st ON Codigo, Nombre FROM PRUEBA", false,
         "CREATE STATISTICS"},
        {"access method", "CREATE ACCESS METHOD am TYPE INDEX HANDLER bthandler", false,
         "CREATE ACCESS METHOD"},
        {"materialized view refreshed", "REFRESH MATERIALIZED VIEW m", false,
         "REFRESH MATERIALIZED VIEW"},
        {"database", "CREATE DATABASE intrusa", false, "CREATE DATABASE"},
        {"database altered", "ALTER DATABASE postgres SET work_mem = '8MB'", false,
         "ALTER DATABASE"},
        {"tablespace", "CREATE TABLESPACE ts LOCATION '%DIR%'", false, "CREATE TABLESPACE"},
        {"publication", "CREATE PUBLICATION pub FOR TABLE PRUEBA", false, "CREATE PUBLICATION"},
        {"subscription", "CREATE SUBSCRIPTION sub CONNECTION 'dbname=postgres' PUBLICATION pub",
         false, "CREATE SUBSCRIPTION"},
        {"extension altered", "ALTER EXTENSION plpgsql UPDATE", false, "ALTER EXTENSION"},
        {"role granted", "GRANT pg_read_server_files TO CURRENT_USER", false, "GRANT ROLE"},
        {"revoke", "REVOKE ALL ON PRUEBA FROM PUBLIC", false, "REVOKE"},
        {"default privileges", "ALTER DEFAULT PRIVILEGES GRANT ALL ON TABLES TO PUBLIC", false,
         "ALTER DEFAULT PRIVILEGES"},
        {"role dropped", "DROP ROLE rh_intruso", false, "DROP ROLE"},
        {"everything owned dropped", "DROP OWNED BY CURRENT_USER", false, "DROP OWNED"},
        {"everything owned given away", "REASSIGN OWNED BY CURRENT_USER TO postgres", false,
         "REASSIGN OWNED"},
        {"comment", "COMMENT ON TABLE PRUEBA IS 'x'", false, "COMMENT"},
        {"security label", "SECURITY LABEL ON TABLE PRUEBA IS 'x'", false, "SECURITY LABEL"},
        {"setting reset", "RESET search_path", false, "RESET"},
        {"setting shown", "SHOW search_path", false, "SHOW"},
        {"constraints deferred", "SET CONSTRAINTS ALL DEFERRED", false, "SET CONSTRAINTS"},
        {"commit", "COMMIT", false, "COMMIT"},
        {"rollback", "ROLLBACK", false, "ROLLBACK"},
        {"start", "START TRANSACTION", false, "START"},
        {"savepoint", "SAVEPOINT s", false, "SAVEPOINT"},
        {"savepoint released", "RELEASE SAVEPOINT s", false, "RELEASE"},
        {"back to a savepoint", "ROLLBACK TO SAVEPOINT s", false, "ROLLBACK TO"},
        {"two-phase transaction", "PREPARE TRANSACTION 'x'", false, "PREPARE"},
        {"two-phase commit", "COMMIT PREPARED 'x'", false, "COMMIT PREPARED"},
        {"execute", "EXECUTE p", false, "EXECUTE"},
        {"deallocate", "DEALLOCATE ALL", false, "DEALLOCATE"},
        {"fetch", "FETCH ALL FROM c", false, "FETCH"},
        {"close", "CLOSE c", false, "CLOSE"},
        {"discard", "DISCARD ALL", false, "DISCARD"},
        {"listen", "LISTEN canal", false, "LISTEN"},
        {"unlisten", "UNLISTEN *", false, "UNLISTEN"},
        {"load", "LOAD '%DIR%/x.so'", false, "LOAD"},
        {"cluster", "CLUSTER PRUEBA USING prueba_pk", false, "CLUSTER"},
        {"reindex", "REINDEX TABLE PRUEBA", false, "REINDEX"},
        {"statistics", "ANALYZE PRUEBA", false, "ANALYZE"},
        {"checkpoint", "CHECKPOINT", false, "CHECKPOINT"},
        {"explain", "EXPLAIN ANALYZE DELETE FROM PRUEBA", false, "EXPLAIN"},
        {"explain on a query path", "EXPLAIN ANALYZE DELETE FROM PRUEBA", true, "EXPLAIN"},
        {"delete on a query path", "DELETE FROM PRUEBA", true, "DELETE"},
        {"delete in WITH", "WITH d AS (DELETE FROM PRUEBA RETURNING 1) SELECT COUNT(*) FROM d",
         true, "DELETE"},
        {"select into", "SELECT * INTO copia FROM PRUEBA", true, "INTO"},
        {"locking clause", "SELECT * FROM PRUEBA FOR UPDATE", true, "FOR UPDATE"},
        {"syntax", "SELEC Codigo FROM PRUEBA", true, "cerca de «SELEC» (línea 1, columna 1)"},
        {"only a comment", "-- SELECT 1", true, "ninguna sentencia"},
        {"syntax after letters outside Latin-1", "SELECT '€𝄞' FRM PRUEBA", true,
         "cerca de «PRUEBA» (línea 1, columna 17)"},
        {"syntax, second line", "SELECT Codigo\nFROM PRUEBA WHERE", true,
         "la sentencia termina antes de estar completa (línea 2"},
        // Values the server refuses to send, naming their column.
        {"text of 20 MB", "SELECT Codigo, repeat('x', 20000000) AS \"Grande|;·Ł\" FROM PRUEBA;",
         true, "columna Grande|;·Ł un valor de más de 16 MB"},
        {"text of 20 MB after rows", "SELECT repeat('x', Codigo * 9000000) AS t FROM PRUEBA -- x",
         true, "columna t un valor de más de 16 MB"},
        {"binary of 9 MB", "SELECT decode(repeat('ab', 9000000), 'hex') AS datos", true,
         "columna datos un valor"},
        {"list of 9,000,000", "SELECT array_fill('x'::text, ARRAY[9000000]) AS lista", true,
         "columna lista un valor"},
        {"row of 20 MB", "SELECT p FROM (SELECT 1, repeat('x', 20000000)) AS p", true,
         "columna p un valor"},
    };
    static const Caso sqlite[] = {
        {"delete on a query path", "DELETE FROM PRUEBA WHERE Codigo = 1", true, "DELETE"},
        {"delete in WITH", "WITH x AS (SELECT 1) DELETE FROM PRUEBA", true, "DELETE"},
        {"insert on a query path", "INSERT INTO PRUEBA (Codigo) VALUES (9)", true, "INSERT"},
        {"drop on a query path", "DROP TABLE PRUEBA", true, "DROP"},
        {"attach", "ATTACH DATABASE '%DIR%/x.db' AS u", true, "ATTACH"},
        {"attach, action", "ATTACH DATABASE '%DIR%/x.db' AS u", false, "ATTACH"},
        {"detach", "DETACH DATABASE main", false, "DETACH"},
        {"temporary table", "CREATE TEMP TABLE PRUEBA AS SELECT * FROM main.PRUEBA", false, "TEMP"},
        {"temporary view", "CREATE TEMP VIEW v AS SELECT 1", false, "TEMP"},
        {"query only", "PRAGMA query_only = 1", false, "PRAGMA query_only"},
        {"query only, query path", "PRAGMA query_only = 1", true, "PRAGMA query_only"},
        {"foreign keys", "PRAGMA foreign_keys = 0", false, "PRAGMA foreign_keys"},
        {"trigger", "CREATE TRIGGER t AFTER INSERT ON PRUEBA BEGIN DELETE FROM PRUEBA; END", false,
         "TRIGGER"},
        {"begin", "BEGIN", false, "BEGIN"},
        {"commit", "COMMIT", false, "COMMIT"},
        {"savepoint", "SAVEPOINT s", false, "SAVEPOINT"},
        {"vacuum into", "VACUUM INTO '%DIR%/copia.db'", false, "VACUUM"},
        {"vacuum into, query path", " vacuum\ninto '%DIR%/copia.db'", true, "VACUUM"},
        {"vacuum after a comment", "/* x */VACUUM INTO '%DIR%/copia.db'", false, "VACUUM"},
        {"vacuum after a line comment", ";-- x\n\tvacuum\tinto '%DIR%/copia.db'", true, "VACUUM"},
        {"extension", "SELECT load_extension('%DIR%/x')", true, "load_extension"},
        {"rollback", "ROLLBACK", false, "ROLLBACK"},
        {"savepoint released", "RELEASE s", false, "RELEASE"},
        {"back to a savepoint", "ROLLBACK TO s", false, "ROLLBACK"},
        {"temporary trigger",
         "CREATE TEMP TRIGGER t AFTER UPDATE ON main.PRUEBA BEGIN DELETE FROM PRUEBA; END", false,
         "TRIGGER"},
        {"temporary trigger, query path",
         "CREATE TEMP TRIGGER t AFTER UPDATE ON main.PRUEBA BEGIN DELETE FROM PRUEBA; END", true,
         "TRIGGER"},
        {"virtual table", "CREATE VIRTUAL TABLE v USING fts4(a)", false, "VIRTUAL TABLE"},
        {"schema made writable", "PRAGMA writable_schema = 1", false, "PRAGMA writable_schema"},
        {"journal off", "PRAGMA journal_mode = OFF", false, "PRAGMA journal_mode"},
        {"synchronous off", "PRAGMA main.synchronous = 0", false, "PRAGMA synchronous"},
        {"temporary store in a file", "PRAGMA temp_store_directory = '%DIR%'", false,
         "PRAGMA temp_store_directory"},
        {"key checks off by a function", "SELECT * FROM pragma_foreign_keys(0)", true,
         "pragma_foreign_keys"},
        {"tokenizer pointer", "SELECT fts3_tokenizer('simple')", true, "fts3_tokenizer"},
        {"tokenizer replaced", "SELECT fts3_tokenizer('simple', x'0000000000000000')", false,
         "fts3_tokenizer"},
        {"file pages", "SELECT * FROM dbstat", true, "dbstat"},
        // A generated column is computed without the engine asking about
        // the columns it reads: never on a table of the program.
        {"generated column on a program table", "ALTER TABLE PRUEBA ADD COLUMN g AS (Codigo * 2)",
         false, "PRUEBA"},
        {"generated column always, quoted names",
         "ALTER TABLE main.\"prueba\" ADD \"g\" TEXT GENERATED ALWAYS AS (Nombre || '|;·Ł') "
         "VIRTUAL",
         false, "PRUEBA"},
        {"generated column after a comment, the table in brackets",
         "ALTER TABLE [Prueba] /* x */ ADD g\nAS\n(CAST(Codigo AS TEXT))", false, "PRUEBA"},
        {"check added with a column to a program table",
         "ALTER TABLE PRUEBA ADD COLUMN x int CHECK (x > 0)", false,
         "condición CHECK a la tabla PRUEBA"},
        // Values over the limit: the engine builds none.
        {"text of 300 MB",
         "SELECT replace(printf('%.*c', 20000, 'x'), 'x', printf('%.*c', 15000, 'y')) AS Grande",
         true, "columna Grande un valor de más de 16 MB"},
        {"text of 20 MB after rows",
         "SELECT Codigo, printf('%.*c', Codigo * 5000000, 'x') || printf('%.*c', Codigo * 5000000, "
         "'x') FROM PRUEBA ORDER BY Codigo",
         true,
         "columna printf('%.*c', Codigo * 5000000, 'x') || printf('%.*c', Codigo * 5000000, 'x') "
         "un valor de más de 16 MB"},
        // The column to blame among many, found one column at a time.
        {"text of 32 MB in the second of three columns",
         "SELECT Codigo, replace(printf('%.*c', Codigo * 4000, 'x'), 'x', printf('%.*c', 4000, "
         "'y')) AS \"Grande|;·Ł\", Nombre FROM PRUEBA ORDER BY Codigo;",
         true, "columna Grande|;·Ł un valor de más de 16 MB"},
        {"text of 32 MB beside repeated names, an open comment after",
         "SELECT Codigo AS n, Nombre AS n, replace(printf('%.*c', Codigo * 4000, 'x'), 'x', "
         "printf('%.*c', 4000, 'y')) AS Grande, Codigo AS n FROM PRUEBA /* fin",
         true, "columna Grande un valor de más de 16 MB"},
        {"text of 32 MB after a WITH of its own and a line comment",
         "WITH w AS (SELECT Codigo, ';' AS s FROM PRUEBA) SELECT s, replace(printf('%.*c', Codigo "
         "* 4000, 'x'), 'x', printf('%.*c', 4000, 'y')) AS Grande, Codigo FROM w -- fin;",
         true, "columna Grande un valor de más de 16 MB"},
        {"text of 32 MB by a parameter",
         "SELECT Codigo, replace(printf('%.*c', Codigo * :n, 'x'), 'x', printf('%.*c', :n, 'y')) "
         "AS Grande FROM PRUEBA",
         true, "columna Grande un valor de más de 16 MB"},
        {"text of 32 MB a sort is built on, no column of its own",
         "SELECT Codigo, Nombre FROM PRUEBA ORDER BY replace(printf('%.*c', Codigo * 4000, 'x'), "
         "'x', printf('%.*c', 4000, 'y'))",
         true, "en una de sus columnas un valor de más de 16 MB"},
        // printf and format past the limit: refused as any other value,
        // never an empty cell, nor a NULL written.
        {"text of 300 MB by printf", "SELECT printf('%.*c', 300000000, 'x') AS Grande", true,
         "columna Grande un valor de más de 16 MB"},
        {"text of 18 MB by format after rows",
         "SELECT Codigo, format('%.*c', Codigo * 9000000, 'x') AS f, Nombre FROM PRUEBA ORDER BY "
         "Codigo",
         true, "columna f un valor de más de 16 MB"},
        {"text of 300 MB by printf written",
         "UPDATE PRUEBA SET Nombre = printf('%.*c', 300000000, 'x') WHERE Codigo = 1", false,
         "un valor de más de 16 MB"},
        {"text of 20 MB written",
         "UPDATE PRUEBA SET Nombre = printf('%.*c', 9000000, 'x') || printf('%.*c', 9000000, 'x')",
         false, "un valor de más de 16 MB"},
    };
    auto add = [](Engine e, const Caso* casos, size_t n, const QString& login) {
        for (size_t i = 0; i < n; ++i)
            QTest::newRow(qPrintable(EngineTag(e) + LoginTag(login) + QLatin1String(casos[i].tag)))
                << int(e) << QString::fromUtf8(casos[i].sql) << casos[i].lectura
                << QString::fromUtf8(casos[i].nombre) << login << QString();
    };
    add(Engine::Sqlite, sqlite, std::size(sqlite), QString());
    // Importe hidden from the user: its values never come out or are copied
    // under another name. PostgreSQL refuses what names it or could carry it
    // unnamed; SQLite reads it as NULL in a query and refuses it elsewhere.
    // A "*" that lands in the result keeps the column's own name (then
    // hidden in the grid). "" as the name: the statement runs.
    struct Oculto {
        const char* tag;
        const char* sql;
        bool lectura;
        const char* postgres;
        const char* sqlite;
    };
    static const Oculto ocultos[] = {
        {"alias", "SELECT Codigo, Importe AS Cantidad FROM PRUEBA", true, "Importe", ""},
        {"cast", "SELECT CAST(Importe AS VARCHAR(20)) AS x FROM PRUEBA", true, "Importe", ""},
        {"qualified, in an expression", "SELECT p.Codigo, p.IMPORTE + 0 AS d FROM PRUEBA p", true,
         "Importe", ""},
        {"star", "SELECT * FROM PRUEBA", true, "", ""},
        {"column alias list", "SELECT d FROM PRUEBA AS p(a, b, c, d)", true, "Importe", nullptr},
        {"star under a column alias list", "SELECT x FROM (SELECT * FROM PRUEBA) s(a, b, c, x)",
         true, "Importe", nullptr},
        {"star in WITH under a column alias list",
         "WITH w(a, b, c, x, e, f) AS (SELECT * FROM PRUEBA) SELECT x FROM w", true, "Importe", ""},
        {"sub-query", "SELECT c FROM (SELECT Importe AS c FROM PRUEBA) s", true, "Importe", ""},
        {"join",
         "SELECT a.Codigo, b.Importe AS c FROM PRUEBA a JOIN PRUEBA b ON b.Codigo = a.Codigo", true,
         "Importe", ""},
        {"join condition", "SELECT a.Codigo FROM PRUEBA a JOIN PRUEBA b USING (Importe)", true,
         "Importe", nullptr},
        {"whole row", "SELECT CAST(p AS text) AS t FROM PRUEBA p", true, "Importe", nullptr},
        {"whole row as JSON", "SELECT row_to_json(p.*) AS t FROM PRUEBA p", true, "Importe",
         nullptr},
        // A name that is no column of the table it follows is, for the
        // server, a function applied to the table's whole row.
        {"whole row as a column", "SELECT p.Codigo, p.row_to_json FROM PRUEBA p", true, "Importe",
         nullptr},
        {"whole row as a column of the table's name", "SELECT PRUEBA.to_jsonb AS j FROM PRUEBA",
         true, "Importe", nullptr},
        {"whole row as a column of the table in its schema",
         "SELECT %PROPIO%.prueba.to_jsonb AS j FROM PRUEBA", true, "Importe", nullptr},
        {"whole row as a column, aggregated", "SELECT jsonb_agg(p.to_jsonb) AS j FROM PRUEBA p",
         true, "Importe", nullptr},
        {"whole row as a column in LATERAL",
         "SELECT p.Codigo, l.j FROM PRUEBA p, LATERAL (SELECT p.to_jsonb AS j) l", true, "Importe",
         nullptr},
        {"whole row as a column in WITH",
         "WITH w AS (SELECT p.to_jsonb AS j FROM PRUEBA p) SELECT j FROM w", true, "Importe",
         nullptr},
        {"whole row as a column in a sub-select",
         "SELECT Codigo, (SELECT x.to_jsonb FROM PRUEBA x WHERE x.Codigo = p.Codigo) AS j FROM "
         "PRUEBA p",
         true, "Importe", nullptr},
        {"whole row as a column made a record again",
         "SELECT r.* FROM PRUEBA p, jsonb_populate_record(NULL::prueba, p.to_jsonb) r", true,
         "Importe", nullptr},
        {"whole row as a column sorting",
         "SELECT Codigo FROM PRUEBA p ORDER BY (p.to_jsonb->>'importe')::float", true, "Importe",
         nullptr},
        {"whole row as a column dividing by zero",
         "SELECT Codigo, CASE WHEN (p.to_jsonb->>'importe')::float > 12 THEN 1 / 0 END AS x FROM "
         "PRUEBA p",
         true, "Importe", nullptr},
        {"whole row as a column of a join's alias",
         "SELECT j.to_jsonb FROM (PRUEBA a JOIN MIA b USING (Codigo)) AS j", true, "Importe",
         nullptr},
        {"whole row as a column written to a visible field",
         "UPDATE PRUEBA p SET Notas = p.record_out::text", false, "Importe", nullptr},
        {"whole row as a column written on conflict",
         "INSERT INTO PRUEBA (Codigo, Nombre) VALUES (1, 'x') ON CONFLICT (Codigo) DO UPDATE SET "
         "Notas = PRUEBA.to_jsonb::text",
         false, "Importe", nullptr},
        {"whole row as a column written by MERGE",
         "MERGE INTO PRUEBA p USING (SELECT 1 AS c) s ON p.Codigo = s.c WHEN MATCHED THEN UPDATE "
         "SET Notas = p.to_jsonb::text",
         false, "Importe", nullptr},
        {"whole row as a column choosing the rows deleted",
         "DELETE FROM PRUEBA p WHERE (p.to_jsonb->>'importe')::float > 12", false, "Importe",
         nullptr},
        {"whole row as a column converting a visible field",
         "ALTER TABLE PRUEBA ALTER COLUMN Notas TYPE text USING PRUEBA.to_jsonb::text", false,
         "Importe", nullptr},
        {"whole row as a column checked",
         "ALTER TABLE PRUEBA ADD CONSTRAINT c CHECK ((PRUEBA.to_jsonb->>'importe')::float < 12)",
         false, "Importe", nullptr},
        {"view reading a whole row as a column", "SELECT Codigo, Fila FROM VATRIB", true, "Importe",
         nullptr},
        // Columns, however they are named, are read as columns.
        {"column named like a function", "SELECT c.Codigo, c.to_jsonb FROM CONFUN c", true, "",
         nullptr},
        {"system column", "SELECT p.ctid, p.xmin, p.Codigo FROM PRUEBA p", true, "", nullptr},
        {"column of a join's alias",
         "SELECT j.Codigo, j.Nombre FROM (PRUEBA a JOIN MIA b USING (Codigo)) AS j", true, "",
         nullptr},
        {"column of a function's result",
         "SELECT x.key, x.value FROM PRUEBA p, jsonb_each(jsonb_build_object('c', p.Codigo)) x",
         true, "", nullptr},
        // A "*" of a table whose other columns are of fixed size: the
        // hidden one is still read as NULL.
        {"star, the other columns of fixed size", "SELECT * FROM MIA", true, "", ""},
        // SQLite's program for this join reads the hidden field (for the
        // automatic index it builds from b's row): the statement is refused.
        {"star of a join, the other columns of fixed size",
         "SELECT * FROM MIA a JOIN MIA b ON b.Codigo = a.Codigo", true, "", "Importe"},
        {"star of a view, the other columns of fixed size", "SELECT * FROM VMIA", true, "Importe",
         ""},
        {"star in the second branch of a union",
         "SELECT Codigo, Nombre, Fecha, Notas AS n, Activo, Notas FROM PRUEBA WHERE 1 = 0 UNION "
         "ALL SELECT * FROM PRUEBA",
         true, "Importe", ""},
        {"update", "UPDATE PRUEBA SET Importe = Importe * 1.1", false, "Importe", "Importe"},
        {"set without being read", "UPDATE PRUEBA SET Importe = 0", false, "Importe", "Importe"},
        {"update of another field", "UPDATE PRUEBA SET Notas = CAST(Importe AS VARCHAR(20))", false,
         "Importe", "Importe"},
        {"insert from a select",
         "INSERT INTO PRUEBA SELECT Codigo + 10, Nombre, Fecha, Importe, "
         "Activo, Notas FROM PRUEBA",
         false, "Importe", "Importe"},
        {"insert from a star",
         "INSERT INTO PRUEBA SELECT * FROM (SELECT Codigo + 10 AS Codigo FROM PRUEBA) a, "
         "(SELECT Nombre, Fecha, Importe, Activo, Notas FROM PRUEBA WHERE Codigo = 1) b",
         false, "Importe", "Importe"},
        {"table made from a star", "CREATE TABLE COPIA AS SELECT * FROM PRUEBA", false, "Importe",
         "Importe"},
        {"view made from a star", "CREATE VIEW VCOPIA AS SELECT * FROM PRUEBA", false, "Importe",
         nullptr},
        // The value past the limit found as the query ran: with the field
        // read as NULL (a, 4 MB), not by its value (a, 200 MB).
        {"beside a value past the limit",
         "SELECT replace(printf('%.*c', 1000 + coalesce(Importe, 0) * 4000, 'x'), 'x', "
         "printf('%.*c', 4000, 'y')) AS a, replace(printf('%.*c', Codigo * 4000, 'x'), 'x', "
         "printf('%.*c', 4000, 'y')) AS b FROM PRUEBA",
         true, "Importe", "columna b un valor"},
        // Made by a user who sees it (VPRUEBA: Codigo, Importe AS Cantidad).
        {"view that renames it", "SELECT Codigo, Cantidad FROM VPRUEBA", true, "Importe", ""},
        // A "*" lands under the columns' own names only in the statement's
        // own result; anywhere else its rows are compared whole.
        {"star in EXISTS compared by INTERSECT",
         "SELECT l.Codigo, (SELECT v / 2.0 FROM generate_series(0, 100) AS t(v) WHERE EXISTS "
         "(SELECT * FROM PRUEBA x WHERE x.Codigo = l.Codigo INTERSECT SELECT l.Codigo, l.Nombre, "
         "l.Fecha, (v / 2.0)::float, l.Activo, l.Notas)) AS revelado FROM PRUEBA l",
         true, "Importe", nullptr},
        {"star in EXCEPT",
         "SELECT Codigo FROM (SELECT * FROM PRUEBA EXCEPT SELECT 1, 'Ana', '2024-03-05', 12.5, "
         "true, 'nota') s",
         true, "Importe", ""},
        {"star in UNION, its rows counted",
         "SELECT COUNT(*) AS n FROM (SELECT * FROM PRUEBA UNION SELECT 1, 'Ana', '2024-03-05', "
         "12.5, true, 'nota') s",
         true, "Importe", ""},
        {"star in IN",
         "SELECT 1 AS a WHERE (1, 'Ana', '2024-03-05', 12.5, true, 'nota') IN "
         "(SELECT * FROM PRUEBA)",
         true, "Importe", nullptr},
        {"star in a sub-query", "SELECT * FROM (SELECT * FROM PRUEBA) s", true, "Importe", ""},
        {"star ordered by its position", "SELECT * FROM PRUEBA ORDER BY 4", true, "Importe", ""},
        {"star after a column, ordered by its position", "SELECT Nombre, * FROM PRUEBA ORDER BY 5",
         true, "Importe", ""},
        {"star ordered by a visible position", "SELECT * FROM PRUEBA ORDER BY 1 DESC", true, "",
         ""},
        {"star ordered by its position, the last one", "SELECT * FROM MIA ORDER BY 2", true,
         "Importe", ""},
        {"column before a star ordered by its position",
         "SELECT Nombre AS n, p.* FROM PRUEBA p ORDER BY 1, 2", true, "", ""},
        {"distinct star", "SELECT DISTINCT * FROM PRUEBA", true, "Importe", ""},
        {"star grouped", "SELECT * FROM PRUEBA GROUP BY Codigo", true, "Importe", ""},
        {"join under a column alias list",
         "SELECT x FROM (PRUEBA a JOIN PRUEBA b USING (Codigo)) AS j(c, n, f, x)", true, "Importe",
         nullptr},
        {"update where a star is compared by INTERSECT",
         "UPDATE PRUEBA SET Nombre = 'x' WHERE EXISTS (SELECT * FROM PRUEBA q WHERE q.Codigo = "
         "PRUEBA.Codigo INTERSECT SELECT 1, 'Ana', '2024-03-05', 12.5, true, 'nota')",
         false, "Importe", "Importe"},
        // Renamed, it would be read under its new name.
        {"renamed", "ALTER TABLE PRUEBA RENAME COLUMN Importe TO Cantidad", false, "Importe",
         "Importe"},
        {"renamed, the word COLUMN left out", "ALTER TABLE PRUEBA RENAME \"importe\" TO c", false,
         "Importe", "importe"},
        // Read by a generated column, which SQLite computes without asking.
        {"generated column", "ALTER TABLE PRUEBA ADD COLUMN g AS (Importe * 2)", false, nullptr,
         "PRUEBA"},
        {"generated column on the user's table holding it",
         "ALTER TABLE MIA ADD COLUMN t AS (CAST(Importe AS TEXT) || '')", false, nullptr, "MIA"},
        {"generated column stored",
         "ALTER TABLE PRUEBA ADD COLUMN g float GENERATED ALWAYS AS (Importe * 2) STORED", false,
         "Importe", nullptr},
        // Dropped, or read by a CHECK the engine runs on every row there.
        {"dropped", "ALTER TABLE PRUEBA DROP COLUMN Importe", false, "Importe", "Importe"},
        {"checked by a column added", "ALTER TABLE PRUEBA ADD COLUMN x int CHECK (Importe < 13)",
         false, "Importe", "PRUEBA"},
        {"checked by a column added to the user's table holding it",
         "ALTER TABLE MIA ADD x int CONSTRAINT c CHECK (Importe > 12)", false, "Importe", "MIA"},
        // The server cannot describe it: its own reason, not one about the sort.
        {"star ordered by its position beside a parameter of no type",
         "SELECT * FROM PRUEBA WHERE :n IS NULL ORDER BY 2", true,
         "could not determine data type of parameter $1", ""},
        // A partition's bounds and a parent's reads reach the rows by
        // another way (PARTIDA, by range of a column of that name; PADRE).
        {"table holding it made a partition",
         "ALTER TABLE PARTIDA ATTACH PARTITION MIA FOR VALUES FROM (12) TO (13)", false, "PARTIDA",
         nullptr},
        {"table holding it made the default partition",
         "ALTER TABLE PARTIDA ATTACH PARTITION MIA DEFAULT", false, "PARTIDA", nullptr},
        {"table holding it taken out of a partitioned table",
         "ALTER TABLE PARTIDA DETACH PARTITION MIA", false, "PARTIDA", nullptr},
        {"table holding it made a child", "ALTER TABLE MIA INHERIT PADRE", false, "MIA", nullptr},
        {"table holding it no longer a child", "ALTER TABLE mia NO INHERIT PADRE", false, "MIA",
         nullptr},
        {"table holding it made a parent", "CREATE TABLE HIJA () INHERITS (MIA)", false, "MIA",
         nullptr},
        {"table holding it given a partition", "CREATE TABLE PARTE PARTITION OF PARTIDA DEFAULT",
         false, "PARTIDA", nullptr},
        {"program table made a child", "ALTER TABLE PRUEBA INHERIT PADRE", false, "PRUEBA",
         nullptr},
        // A view's own query read: a whole row of a table holding it is
        // that field too, at any depth of views.
        {"view reading a whole row", "SELECT * FROM VFILA", true, "Importe", nullptr},
        {"view reading only a whole row", "SELECT Fila FROM VFILA0", true, "Importe", nullptr},
        {"view reading a whole row as JSON", "SELECT Codigo, Fila FROM VJSON", true, "Importe",
         nullptr},
        {"view over a view reading a whole row", "SELECT * FROM VFILA2", true, "Importe", nullptr},
        {"view naming only visible columns", "SELECT * FROM VVISIBLE", true, "", nullptr},
        // SQLite prepares these again as they start: a LIKE or GLOB pattern
        // bound, the schema changed by another session since it was read.
        {"under a LIKE pattern",
         "SELECT Codigo, Importe AS c FROM PRUEBA WHERE Nombre LIKE :patron", true, nullptr, ""},
        {"under a GLOB pattern",
         "SELECT Codigo, CAST(Importe AS TEXT) AS t FROM PRUEBA WHERE Nombre GLOB :comodin", true,
         nullptr, ""},
        {"star under a LIKE pattern", "SELECT * FROM PRUEBA WHERE Nombre LIKE :patron", true,
         nullptr, ""},
        {"compared under a LIKE pattern",
         "SELECT Codigo, 'es 12,5' AS x FROM PRUEBA WHERE Nombre LIKE :patron AND Importe = 12.5",
         true, nullptr, ""},
        {"run again after another session changed the schema",
         "SELECT Codigo, Importe AS c FROM PRUEBA", true, nullptr, ""},
        // Never set, on a new row either; left out of the column list, it may.
        {"inserted by name", "INSERT INTO PRUEBA (Codigo, Nombre, Importe) VALUES (8, 'Ins', 555)",
         false, "Importe", "Importe"},
        {"inserted by position", "INSERT INTO PRUEBA VALUES (9, 'Ins2', NULL, 444, NULL, NULL)",
         false, "Importe", "Importe"},
        {"inserted by position from a select",
         "INSERT INTO PRUEBA SELECT Codigo + 20, Nombre, Fecha, 555, Activo, Notas FROM PRUEBA",
         false, "Importe", "Importe"},
        {"inserted from a select into it",
         "INSERT INTO PRUEBA (Codigo, Importe) SELECT Codigo + 20, 555 FROM PRUEBA", false,
         "Importe", "Importe"},
        {"inserted under a WITH",
         "WITH w(c) AS (SELECT 30) INSERT INTO main.PRUEBA AS p VALUES ((SELECT c FROM w), 'x', "
         "NULL, 1, NULL, NULL)",
         false, nullptr, "Importe"},
        {"replaced", "REPLACE INTO PRUEBA (Codigo, Nombre) VALUES (1, 'Ana')", false, nullptr,
         "Importe"},
        {"inserted or replaced", "INSERT OR REPLACE INTO PRUEBA (Codigo, Nombre) VALUES (1, 'Ana')",
         false, nullptr, "Importe"},
        {"set on conflict",
         "INSERT INTO PRUEBA (Codigo, Nombre) VALUES (1, 'Ana') ON CONFLICT (Codigo) DO UPDATE "
         "SET Importe = 555",
         false, "Importe", "Importe"},
        {"merged by position",
         "MERGE INTO PRUEBA p USING (SELECT 9 AS c) s ON p.Codigo = s.c WHEN NOT MATCHED THEN "
         "INSERT VALUES (9, 'x', NULL, 555, NULL, NULL)",
         false, "Importe", nullptr},
        {"inserted leaving it out", "INSERT INTO MIA (Codigo) VALUES (2)", false, "", ""},
    };
    for (Engine e : AvailableEngines())
        for (const QString& login :
             e == Engine::Postgres ? PostgresLogins() : QStringList{QString()})
            for (const Oculto& o : ocultos)
                if (e == Engine::Sqlite ? o.sqlite != nullptr : o.postgres != nullptr)
                    QTest::newRow(qPrintable(EngineTag(e) + LoginTag(login) +
                                             QStringLiteral("hidden field, ") +
                                             QLatin1String(o.tag)))
                        << int(e) << QString::fromUtf8(o.sql) << o.lectura
                        << QString::fromUtf8(e == Engine::Sqlite ? o.sqlite : o.postgres) << login
                        << QStringLiteral("Importe");
    // SQLite resolves USING and NATURAL columns, a generated column's
    // expression and an index's order itself, without asking: judged by
    // the program it compiled. Rows tagged "index on it" run with Importe
    // indexed in PRUEBA and MIA; a count and the engine's own upkeep of a
    // written row still run.
    struct Compilado {
        const char* tag;
        const char* sql;
        bool lectura;
        const char* nombre;
    };
    static const Compilado compilados[] = {
        {"USING against a recursive WITH",
         "SELECT P.Codigo, c.v FROM PRUEBA P JOIN (WITH RECURSIVE c(Importe, v) AS (SELECT 0.5, "
         "0.5 UNION ALL SELECT Importe + 0.5, v + 0.5 FROM c WHERE Importe < 20) SELECT * FROM c) "
         "c "
         "USING (Importe)",
         true, "Importe"},
        {"USING against the statement's own WITH",
         "WITH RECURSIVE c(Importe, v) AS (SELECT 0.5, 0.5 UNION ALL SELECT Importe + 0.5, v + 0.5 "
         "FROM c WHERE Importe < 20) SELECT P.Codigo, c.v FROM PRUEBA P JOIN c USING (Importe)",
         true, "Importe"},
        {"NATURAL JOIN", "SELECT Codigo FROM PRUEBA NATURAL JOIN (SELECT 12.5 AS Importe)", true,
         "Importe"},
        {"NATURAL JOIN with a WITH",
         "WITH c(Importe, v) AS (VALUES (12.5, 'doce y medio')) SELECT Codigo, v FROM PRUEBA "
         "NATURAL JOIN c",
         true, "Importe"},
        {"USING in a view", "SELECT Codigo, v FROM VUSING", true, "Importe"},
        {"USING in a listing's filter",
         "SELECT Codigo, Nombre FROM PRUEBA WHERE Codigo IN (SELECT Codigo FROM PRUEBA JOIN "
         "(SELECT 12.5 AS Importe) USING (Importe))",
         true, "Importe"},
        {"table copied through USING",
         "CREATE TABLE ROBO AS SELECT P.Codigo, c.v FROM PRUEBA P JOIN (WITH RECURSIVE c(Importe, "
         "v) AS (SELECT 0.5, 0.5 UNION ALL SELECT Importe + 0.5, v + 0.5 FROM c WHERE Importe < "
         "20) SELECT * FROM c) c USING (Importe)",
         false, "Importe"},
        {"rows written through NATURAL JOIN",
         "UPDATE MIA SET Codigo = 7 WHERE Codigo IN (SELECT Codigo FROM PRUEBA NATURAL JOIN "
         "(SELECT 12.5 AS Importe))",
         false, "Importe"},
        {"generated column of a table holding it", "SELECT Codigo, Doble FROM GEN", true,
         "Importe"},
        {"key of a table without rowid holding it", "SELECT Codigo FROM SINROWID", true, "Importe"},
        {"generated column put in place after it was judged", "SELECT Codigo, Doble FROM GEN2",
         true, "Importe"},
        {"prepared statements of the connection", "SELECT sql FROM sqlite_stmt", true,
         "sqlite_stmt"},
        {"key of a table without rowid holding it, counted", "SELECT COUNT(*) AS n FROM SINROWID",
         true, ""},
        {"USING, index on it",
         "SELECT P.Codigo, c.v FROM PRUEBA P JOIN (WITH RECURSIVE c(Importe, v) AS (SELECT 0.5, "
         "0.5 UNION ALL SELECT Importe + 0.5, v + 0.5 FROM c WHERE Importe < 20) SELECT * FROM c) "
         "c "
         "USING (Importe)",
         true, "Importe"},
        {"ranked by INDEXED BY, index on it", "SELECT Codigo FROM PRUEBA INDEXED BY PRUEBA_IMPORTE",
         true, "Importe"},
        {"counted, index on it", "SELECT COUNT(*) AS n FROM PRUEBA", true, ""},
        {"user's table counted, index on it", "SELECT COUNT(*) AS n FROM MIA", true, ""},
        {"updated, index on it", "UPDATE MIA SET Codigo = 5 WHERE Codigo = 1", false, ""},
        {"deleted, index on it", "DELETE FROM MIA WHERE Codigo = 1", false, ""},
    };
    if (AvailableEngines().contains(Engine::Sqlite))
        for (const Compilado& c : compilados)
            QTest::newRow(qPrintable(EngineTag(Engine::Sqlite) +
                                     QStringLiteral(" hidden field read by the engine, ") +
                                     QLatin1String(c.tag)))
                << int(Engine::Sqlite) << QString::fromUtf8(c.sql) << c.lectura
                << QString::fromUtf8(c.nombre) << QString() << QStringLiteral("Importe");
    if (!AvailableEngines().contains(Engine::Postgres)) return;
    for (const QString& login : PostgresLogins())
        add(Engine::Postgres, postgres, std::size(postgres), login);
    // Deeper than the tree can be read back: refused, never let through.
    QString profundo = QStringLiteral("SELECT pg_terminate_backend(%PID%)");
    for (int i = 0; i < 600; ++i) profundo += QStringLiteral(" + 0");
    QTest::newRow("postgres deep expression")
        << int(Engine::Postgres) << profundo << true << "demasiado profundamente" << QString()
        << QString();
    // Long and deep texts: refused before the parser, or parsed on a stack
    // that holds them, never the end of the program.
    auto cadena = [](int terminos, const char* termino) -> QString {
        QString t = QStringLiteral("SELECT 1");
        t.reserve(8 + terminos * int(qstrlen(termino)));
        for (int i = 0; i < terminos; ++i) t += QLatin1String(termino);
        return t;
    };
    auto parentesis = [](int n) -> QString {
        return QStringLiteral("SELECT ") + QString(n, QLatin1Char('(')) + QLatin1Char('1') +
               QString(n, QLatin1Char(')'));
    };
    for (bool lectura : {true, false}) {
        const char* camino = lectura ? ", query path" : ", action";
        QTest::newRow(qPrintable(QStringLiteral("postgres chain of 70,000 terms") + camino))
            << int(Engine::Postgres) << cadena(70000, "+1") << lectura << "demasiado profundamente"
            << QString() << QString();
        QTest::newRow(qPrintable(QStringLiteral("postgres chain of 200,000 terms") + camino))
            << int(Engine::Postgres) << cadena(200000, "+1") << lectura << "demasiado larga"
            << QString() << QString();
        QTest::newRow(qPrintable(QStringLiteral("postgres 100,000 parentheses") + camino))
            << int(Engine::Postgres) << parentesis(100000) << lectura << "demasiado profundamente"
            << QString() << QString();
        QTest::newRow(qPrintable(QStringLiteral("postgres 200,000 parentheses") + camino))
            << int(Engine::Postgres) << parentesis(200000) << lectura << "demasiado larga"
            << QString() << QString();
        QTest::newRow(qPrintable(QStringLiteral("postgres NOT chain") + camino))
            << int(Engine::Postgres)
            << QString(QStringLiteral("SELECT ") + QStringLiteral("NOT ").repeated(20000) +
                       QStringLiteral("TRUE"))
            << lectura << "demasiado profundamente" << QString() << QString();
        QTest::newRow(qPrintable(QStringLiteral("postgres 4 MB statement") + camino))
            << int(Engine::Postgres)
            << QString(QStringLiteral("SELECT '") + QString(4 * 1024 * 1024, QLatin1Char('x')) +
                       QStringLiteral("'"))
            << lectura << "demasiado larga" << QString() << QString();
    }
}

void TestQuery::hostileStatements() {
    QFETCH(int, engine);
    QFETCH(QString, sql);
    QFETCH(bool, lectura);
    QFETCH(QString, nombre);
    QFETCH(QString, login);
    QFETCH(QString, oculto);
    ComoLogin como(login);
    const auto restaurar = qScopeGuard([] { SetHiddenColumnTest(nullptr); });
    auto esOculto = [&](const QString& campo) {
        return !oculto.isEmpty() && campo.contains(oculto, Qt::CaseInsensitive);
    };
    if (!oculto.isEmpty()) SetHiddenColumnTest(esOculto);
    TestDatabase tdb{Engine(engine)};
    como.comprobar(tdb.db());
    createPrueba(tdb.db());
    if (!oculto.isEmpty()) {
        tdb.db()->Execute(QStringLiteral(
            "CREATE VIEW VPRUEBA AS SELECT Codigo, Importe AS Cantidad FROM PRUEBA"));
        // A user's own table with a column of the hidden field's name.
        tdb.db()->Execute(QStringLiteral("CREATE TABLE MIA (Codigo INTEGER, Importe FLOAT)"));
        tdb.db()->Execute(QStringLiteral("INSERT INTO MIA VALUES (1, 12.5)"));
        tdb.db()->Execute(QStringLiteral("CREATE VIEW VMIA AS SELECT * FROM MIA"));
        if (tdb.db()->engine() == Engine::Postgres)
            for (const char* s :
                 {"CREATE TABLE PARTIDA (Codigo INTEGER, Importe FLOAT) PARTITION BY RANGE "
                  "(Importe)",
                  "CREATE TABLE PADRE (Codigo INTEGER)",
                  "CREATE VIEW VFILA AS SELECT Codigo, CAST(l AS text) AS Fila FROM PRUEBA l",
                  "CREATE VIEW VFILA0 AS SELECT CAST(l AS text) AS Fila FROM PRUEBA l",
                  "CREATE VIEW VJSON AS SELECT Codigo, row_to_json(l) AS Fila FROM PRUEBA l",
                  "CREATE VIEW VFILA2 AS SELECT Codigo, Fila FROM VFILA",
                  "CREATE VIEW VVISIBLE AS SELECT Codigo, Nombre FROM PRUEBA",
                  "CREATE VIEW VATRIB AS SELECT Codigo, l.to_jsonb AS Fila FROM PRUEBA l",
                  "CREATE TABLE CONFUN (Codigo INTEGER, to_jsonb TEXT, Importe FLOAT)",
                  "INSERT INTO CONFUN VALUES (1, 'x', 12.5)"})
                tdb.db()->Execute(QString::fromLatin1(s));
        else
            for (const char* s :
                 {"CREATE VIEW VUSING AS SELECT P.Codigo, c.v FROM PRUEBA P JOIN (SELECT 12.5 AS "
                  "Importe, 'doce y medio' AS v) c USING (Importe)",
                  "CREATE TABLE GEN (Codigo INTEGER, Importe FLOAT, Doble AS (Importe * 2))",
                  "INSERT INTO GEN (Codigo, Importe) VALUES (1, 12.5)",
                  "CREATE TABLE SINROWID (Importe FLOAT PRIMARY KEY, Codigo INTEGER) WITHOUT ROWID",
                  "INSERT INTO SINROWID VALUES (12.5, 1), (0, 2)",
                  "CREATE TABLE GEN2 (Codigo INTEGER, Doble FLOAT, Extra INTEGER)",
                  "INSERT INTO GEN2 VALUES (1, 0, 0)"})
                tdb.db()->Execute(QString::fromLatin1(s));
        if (QByteArray(QTest::currentDataTag()).endsWith("index on it"))
            for (const char* s : {"CREATE INDEX PRUEBA_IMPORTE ON PRUEBA (Importe)",
                                  "CREATE INDEX MIA_IMPORTE ON MIA (Importe)"})
                tdb.db()->Execute(QString::fromLatin1(s));
    }
    TablasDelPrograma delPrograma;
    Testigos testigos(tdb);
    TQuery q;
    q.setDatabaseName(QStringLiteral("Database"));
    q.setUserStatement(true);
    q.SQL().setText(testigos.sentencia(sql));
    if (TParam* n = q.Params().FindParam(QStringLiteral("n"))) n->setAsInteger(4000);
    if (TParam* p = q.Params().FindParam(QStringLiteral("patron")))
        p->setAsString(QStringLiteral("%"));
    if (TParam* p = q.Params().FindParam(QStringLiteral("comodin")))
        p->setAsString(QStringLiteral("*"));
    if (QByteArray(QTest::currentDataTag()).endsWith("changed the schema")) {
        q.Open();
        q.Close();
        // Made and gone: the schema changed, nothing left of it.
        const auto otra = tdb.openSecondSession(QStringLiteral("Esquema"));
        otra->Execute(QStringLiteral("CREATE TABLE OTRO_ESQUEMA (x INTEGER)"));
        otra->Execute(QStringLiteral("DROP TABLE OTRO_ESQUEMA"));
    }
    // Another session puts a table in the place of the one read once the
    // statement was judged, before it starts (SQLite then compiles it
    // again): its generated column now reads the hidden field.
    std::unique_ptr<TDatabase> cambia;
    if (QByteArray(QTest::currentDataTag()).endsWith("after it was judged")) {
        cambia = tdb.openSecondSession(QStringLiteral("Cambia"));
        SetHiddenColumnTest([&, hecho = false](const QString& campo) mutable {
            if (!hecho && campo == QLatin1String("Extra")) {
                hecho = true;
                for (const char* s :
                     {"DROP TABLE GEN2",
                      "CREATE TABLE GEN2 (Codigo INTEGER, Importe FLOAT, Doble AS (Importe * 2), "
                      "Extra INTEGER)",
                      "INSERT INTO GEN2 (Codigo, Importe) VALUES (1, 12.5)"})
                    cambia->Execute(QString::fromLatin1(s));
            }
            return esOculto(campo);
        });
    }
    const qint64 antes = MemoriaMB();
    ReiniciarPicoMemoria();
    const QString error = ErrorText([&] {
        if (lectura)
            q.Open();
        else
            q.ExecSQL();
    });
    // The program's own statements on that connection read the field: the
    // user's confinement ended with his statement.
    if (!oculto.isEmpty())
        QCOMPARE(tdb.db()
                     ->Scalar(QStringLiteral("SELECT Importe FROM PRUEBA WHERE Codigo = 1"))
                     .toDouble(),
                 12.5);
    // Nothing copied out of sight either.
    if (Engine(engine) == Engine::Sqlite)
        QCOMPARE(tdb.db()
                     ->Scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = "
                                             "'ROBO'"))
                     .toInt(),
                 0);
    // No value the statement makes is held whole.
    QVERIFY2(PicoMemoriaMB() - antes < LimiteMemoriaMB(150),
             qPrintable(QString::number(PicoMemoriaMB() - antes)));
    // No row of another company reached the user, nor a hidden value under
    // another name (12.5 is the one Importe that is not 0 or NULL).
    if (q.Active())
        for (q.First(); !q.Eof(); q.Next())
            for (int i = 0; i < q.FieldCount(); ++i) {
                const QString valor = q.Fields()[i]->AsString();
                QVERIFY2(!valor.contains(kSecreto), qPrintable(error));
                // Under its own name too: read as NULL, never handed out.
                if (!oculto.isEmpty())
                    QVERIFY2(!valor.contains(QLatin1String("12.5")) &&
                                 !valor.contains(QLatin1String("12,5")),
                             qPrintable(q.Fields()[i]->FieldName() + QLatin1Char('=') + valor));
            }
    if (nombre.isEmpty()) {
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(testigos.fugas(), QString());
        // SQLite read the hidden column as NULL: nothing is written back.
        if (q.Active() && Engine(engine) == Engine::Sqlite) QVERIFY(!q.CanModify());
        return;
    }
    QCOMPARE(testigos.fugas(), QString());
    // Told in Spanish, naming what was refused; or the server's own reason.
    QVERIFY2(error.startsWith(QLatin1String("la sentencia ")) ||
                 error.startsWith(QLatin1String("el texto ")) || error.startsWith(nombre),
             qPrintable(error));
    QVERIFY2(error.contains(testigos.sentencia(nombre)), qPrintable(error));
}

// What a user may run keeps running, on both engines and either path, with
// the same rows: the parser's own forms of EXTRACT, SUBSTRING, TRIM and
// casts, groups, windows, WITH, UNION, sub-selects, names and words in texts
// and comments; on the action path rows and the database's own tables,
// views and indexes.
void TestQuery::ordinaryStatements_data() {
    QTest::addColumn<int>("engine");
    QTest::addColumn<QStringList>("sql");
    QTest::addColumn<QString>("filas");  // of the last statement, or of PRUEBA after it
    QTest::addColumn<QString>("login");  // PostgreSQL (see PostgresLogins)
    struct Caso {
        const char* tag;
        QStringList sql;
        const char* filas;
        int motor;  // -1 both engines, else the only one
    };
    const Caso casos[] = {
        {"join and group",
         {"SELECT a.Nombre, COUNT(*) FROM PRUEBA a JOIN PRUEBA b ON b.Codigo <= a.Codigo WHERE "
          "a.Codigo < 3 GROUP BY a.Nombre ORDER BY 1"},
         "Ana|1;Bea|2",
         -1},
        {"with, union, sub-select",
         {"WITH w AS (SELECT Codigo FROM PRUEBA WHERE Codigo > 1) SELECT Codigo FROM w UNION "
          "SELECT (SELECT MIN(Codigo) FROM PRUEBA) ORDER BY 1"},
         "1;2;3",
         -1},
        {"window",
         {"SELECT Codigo, ROW_NUMBER() OVER (ORDER BY Codigo DESC) FROM PRUEBA ORDER BY 1"},
         "1|3;2|2;3|1",
         -1},
        {"substring, trim, cast",
         {"SELECT SUBSTRING(Nombre FROM 1 FOR 2), TRIM('  ' || Nombre || ' '), CAST(Codigo AS "
          "varchar(5)) FROM PRUEBA WHERE Codigo = 1"},
         "An|Ana|1",
         int(Engine::Postgres)},
        {"extract, at time zone",
         {"SELECT EXTRACT(YEAR FROM Fecha), CAST(TIMESTAMP '2024-01-01 10:00' AT TIME ZONE 'UTC' "
          "AT TIME ZONE 'UTC' AS text), pg_typeof(Codigo) FROM PRUEBA WHERE Codigo = 1"},
         "2024|2024-01-01 10:00:00|integer",
         int(Engine::Postgres)},
        {"names in texts and comments",
         {"SELECT 'pg_terminate_backend(0)', $$pg_read_file$$ -- pg_cancel_backend(0)\nFROM "
          "PRUEBA WHERE Codigo = 1"},
         "pg_terminate_backend(0)|pg_read_file",
         int(Engine::Postgres)},
        {"names in texts and comments",
         {"SELECT 'pg_terminate_backend(0)' /* ATTACH */ FROM PRUEBA WHERE Codigo = 1"},
         "pg_terminate_backend(0)",
         -1},
        {"letters outside Latin-1 and an empty value",
         {"SELECT 'Łódź €𝄞' || Codigo FROM PRUEBA WHERE Fecha IS NULL"},
         "Łódź €𝄞3",
         -1},
        {"own table as text, catalog operator",
         {"SELECT 'prueba'::regclass::text, 2 OPERATOR(pg_catalog.+) 1"},
         "prueba|3",
         int(Engine::Postgres)},
        {"pragma that reads", {"PRAGMA table_info(PRUEBA)"}, "", int(Engine::Sqlite)},
        // The engine's printf and format as they are, empty texts and NULLs
        // apart (printf('') is NULL, printf('%s', NULL) '').
        {"printf and format",
         {"SELECT printf('%d;%5.2f', 42, 3.14159), quote(printf('%q', 'O''Hara')), printf('%Q', "
          "'a'), quote(printf('%Q', NULL)), printf('%w', 'x\"y'), quote(printf('%s', NULL)), "
          "quote(printf('')), printf('%c', 'xyz'), printf('%,d', 1234567), printf('%%'), "
          "quote(printf('%d %s')), quote(format(NULL)), quote(printf()), format('%s-%d', "
          "x'414243', '7z'), quote(printf('%5')), typeof(format(12)) FROM PRUEBA WHERE Codigo = 1"},
         "42; 3.14|'O''''Hara'|'a'|'NULL'|x\"\"y|''|NULL|x|1,234,567|%|'0 "
         "'|NULL|NULL|ABC-7|NULL|text",
         int(Engine::Sqlite)},
        {"table-valued functions",
         {"SELECT (SELECT COUNT(*) FROM json_each('[1,2]')), (SELECT COUNT(*) FROM "
          "json_tree('[1,[2]]')), (SELECT COUNT(*) FROM pragma_table_info('PRUEBA')), (SELECT "
          "COUNT(*) FROM pragma_index_list('PRUEBA'))"},
         "2|4|6|1",
         int(Engine::Sqlite)},
        {"update, insert, delete",
         {"UPDATE PRUEBA SET Nombre = 'Eva' WHERE Codigo = 3",
          "INSERT INTO PRUEBA (Codigo, Nombre) VALUES (4, 'Flor') ON CONFLICT DO NOTHING",
          "DELETE FROM PRUEBA WHERE Codigo = 2"},
         "1|Ana;3|Eva;4|Flor",
         -1},
        {"tables, views and indexes",
         {"CREATE TABLE COPIA (a int, b varchar(10))", "CREATE INDEX COPIA_a ON COPIA (a)",
          "ALTER TABLE COPIA ADD COLUMN c int",
          "INSERT INTO COPIA (a, b) SELECT Codigo, Nombre FROM PRUEBA",
          "CREATE VIEW VCOPIA AS SELECT a, b FROM COPIA WHERE a < 3",
          "SELECT a, b FROM VCOPIA ORDER BY a", "DROP VIEW VCOPIA", "DROP TABLE COPIA"},
         "1|Ana;2|Bea",
         -1},
        {"a checked column added to the user's own table, another dropped",
         {"CREATE TABLE COPIA (a int, b varchar(10))",
          "INSERT INTO COPIA (a, b) SELECT Codigo, Nombre FROM PRUEBA",
          "ALTER TABLE COPIA ADD COLUMN c int CHECK (c > a)", "ALTER TABLE COPIA DROP COLUMN b",
          "INSERT INTO COPIA (a, c) VALUES (4, 5)", "SELECT * FROM COPIA ORDER BY a"},
         "1|;2|;3|;4|5",
         -1},
        {"a WITH named as the users table",
         {"WITH usuario AS (SELECT 1 AS a) SELECT a FROM usuario"},
         "1",
         -1},
        {"own names looked up",
         {"SELECT to_regclass('prueba')::text, has_table_privilege('prueba', 'SELECT')::text, "
          "current_setting('client_min_messages')"},
         "prueba|true|warning",
         int(Engine::Postgres)},
        {"the program's own table altered and emptied",
         {"ALTER TABLE PRUEBA ADD COLUMN Extra int", "CREATE INDEX PRUEBA_x ON PRUEBA (Extra)",
          "TRUNCATE PRUEBA", "INSERT INTO PRUEBA (Codigo, Nombre, Extra) VALUES (7, 'Gil', 1)"},
         "7|Gil",
         int(Engine::Postgres)},
        {"the program's own table altered",
         {"ALTER TABLE PRUEBA ADD COLUMN Extra int", "CREATE INDEX PRUEBA_x ON PRUEBA (Extra)",
          "DELETE FROM PRUEBA", "INSERT INTO PRUEBA (Codigo, Nombre, Extra) VALUES (7, 'Gil', 1)"},
         "7|Gil",
         int(Engine::Sqlite)},
        {"a view of the own tables written, a partition of its own",
         {"CREATE VIEW VPRUEBA AS SELECT Codigo, Nombre FROM PRUEBA",
          "UPDATE VPRUEBA SET Nombre = 'Eva' WHERE Codigo = 3",
          "CREATE TABLE PARTIDA (a int, b text) PARTITION BY LIST (a)",
          "CREATE TABLE PARTE1 PARTITION OF PARTIDA FOR VALUES IN (1)",
          "CREATE TABLE PARTE2 (a int, b text)",
          "ALTER TABLE PARTIDA ATTACH PARTITION PARTE2 FOR VALUES IN (2)",
          "ALTER TABLE PARTIDA DETACH PARTITION PARTE1", "DROP TABLE PARTIDA"},
         "1|Ana;2|Bea;3|Eva",
         int(Engine::Postgres)},
    };
    for (Engine e : AvailableEngines())
        for (const QString& login :
             e == Engine::Postgres ? PostgresLogins() : QStringList{QString()})
            for (const Caso& c : casos)
                if (c.motor < 0 || c.motor == int(e))
                    QTest::newRow(qPrintable(EngineTag(e) + LoginTag(login) + QLatin1String(c.tag)))
                        << int(e) << c.sql << QString::fromUtf8(c.filas) << login;
}

void TestQuery::ordinaryStatements() {
    QFETCH(int, engine);
    QFETCH(QStringList, sql);
    QFETCH(QString, filas);
    QFETCH(QString, login);
    ComoLogin como(login);
    TestDatabase tdb{Engine(engine)};
    como.comprobar(tdb.db());
    createPrueba(tdb.db());
    TQuery q;
    q.setDatabaseName(QStringLiteral("Database"));
    q.setUserStatement(true);
    q.setRequestLive(false);
    QStringList leidas;
    for (const QString& s : sql) {
        q.Close();
        q.SQL().setText(s);
        const bool consulta = s.startsWith(QLatin1String("SELECT")) ||
                              s.startsWith(QLatin1String("WITH")) ||
                              s.startsWith(QLatin1String("PRAGMA"));
        const QString error = ErrorText([&] {
            if (consulta)
                q.Open();
            else
                q.ExecSQL();
        });
        QVERIFY2(error.isEmpty(), qPrintable(s + QLatin1String(": ") + error));
        if (!consulta) continue;
        leidas.clear();
        for (q.First(); !q.Eof(); q.Next()) {
            QStringList fila;
            for (int i = 0; i < q.FieldCount(); ++i) fila << q.Fields()[i]->AsString();
            leidas << fila.join(QLatin1Char('|'));
        }
    }
    if (sql.last().startsWith(QLatin1String("PRAGMA"))) {
        QCOMPARE(leidas.size(), 6);  // one row per column
        return;
    }
    if (leidas.isEmpty()) {
        QSqlQuery r =
            tdb.db()->Execute(QStringLiteral("SELECT Codigo, Nombre FROM PRUEBA ORDER BY Codigo"));
        while (r.next()) leidas << r.value(0).toString() + QLatin1Char('|') + r.value(1).toString();
    }
    QCOMPARE(leidas.join(QLatin1Char(';')), filas);
}

namespace {

QString schemaUnico(const char* prefijo) {
    return QLatin1String(prefijo) + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

// A company database beside the general one, as the program opens them:
// on SQLite the company file attaches the general file ("general") and the
// session's temporary-tables file ("temporal"); on PostgreSQL the company
// schema's search path reads the general schema after its own. The general
// database holds EMPRESA and the users table USUARIO.
class ConGeneral {
public:
    explicit ConGeneral(Engine e) : engine_(e) {
        TConnectionParams general, empresa;
        if (e == Engine::Sqlite) {
            for (QTemporaryDir* d : {&gen_, &emp_, &tmp_}) {
                TConnectionParams p;
                p.folder = d->path();
                TDatabase::CreateDatabase(p);
            }
            general.folder = gen_.path();
            empresa.folder = emp_.path();
            empresa.attach = {{QStringLiteral("general"), gen_.path()},
                              {QStringLiteral("temporal"), tmp_.path()}};
            nombreGeneral_ = QStringLiteral("general");
        } else {
            general = empresa = PostgresServerParams();
            nombreGeneral_ = general.schema = schemaUnico("gen");
            empresa.schema = schemaUnico("emp");
            empresa.searchPath = {general.schema};
        }
        general.general = true;
        for (const TConnectionParams& p : {general, empresa}) TDatabase::CreateDatabase(p);
        general_ = abrir(QStringLiteral("DatabaseGeneral"), general);
        for (const char* sql :
             {"CREATE TABLE EMPRESA (Codigo int PRIMARY KEY, Nombre varchar(20))",
              "INSERT INTO EMPRESA VALUES (1, 'Uno')",
              "CREATE TABLE USUARIO (Codigo varchar(10) PRIMARY KEY, Clave varchar(20), Nivel "
              "int)",
              "INSERT INTO USUARIO VALUES ('ANA', 'secreta', 1)"})
            general_->Execute(QString::fromLatin1(sql));
        empresa_ = abrir(QStringLiteral("Database"), empresa);
        // What the users' statements are judged against is read from
        // another session of the general database.
        testigo_ = abrir(QStringLiteral("TestigoGeneral"), general);
        if (e == Engine::Sqlite) {
            TConnectionParams t;
            t.folder = tmp_.path();
            temporal_ = abrir(QStringLiteral("TestigoTemporal"), t);
            t.folder = emp_.path();
            testigoEmpresa_ = abrir(QStringLiteral("TestigoEmpresa"), t);
        }
    }
    ~ConGeneral() {
        if (engine_ != Engine::Postgres) return;
        for (const QString& s : {empresa_->Params().schema, general_->Params().schema})
            testigo_->Execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(s));
    }
    TDatabase* general() const { return general_.get(); }
    TDatabase* empresa() const { return empresa_.get(); }
    QString nombreGeneral() const { return nombreGeneral_; }
    // The general database's tables and rows, and what the company's
    // connection keeps outside its own file.
    QString estado() {
        QStringList e;
        const auto filas = filasDe;
        e << filas(testigo_.get(), QStringLiteral("SELECT * FROM USUARIO"))
          << filas(testigo_.get(), QStringLiteral("SELECT * FROM EMPRESA"));
        if (engine_ == Engine::Sqlite) {
            const QString objetos =
                QStringLiteral("SELECT type, name FROM sqlite_master ORDER BY 2");
            e << filas(testigo_.get(), objetos) << filas(temporal_.get(), objetos)
              << filas(empresa_.get(), QStringLiteral("SELECT type, name FROM sqlite_temp_master"))
              // The company's own objects and their definitions.
              << filas(testigoEmpresa_.get(),
                       QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY 2"));
        } else {
            e << filas(testigo_.get(),
                       QStringLiteral("SELECT c.relname, c.relkind, c.reloptions FROM pg_class c "
                                      "JOIN pg_namespace n ON n.oid = c.relnamespace WHERE "
                                      "n.nspname = '%1' ORDER BY 1")
                           .arg(empresa_->Params().schema));
            e << filas(testigo_.get(),
                       QStringLiteral("SELECT c.relname, c.relkind FROM pg_class c JOIN "
                                      "pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname "
                                      "= '%1' ORDER BY 1")
                           .arg(nombreGeneral_))
              << filas(testigo_.get(), QStringLiteral("SELECT COUNT(*) FROM pg_inherits"))
              << filas(testigo_.get(), QStringLiteral("SELECT COUNT(*) FROM pg_trigger t JOIN "
                                                      "pg_class c ON c.oid = t.tgrelid WHERE "
                                                      "c.relname = 'empresa'"));
        }
        return e.join(QStringLiteral(" / "));
    }

private:
    std::unique_ptr<TDatabase> abrir(const QString& nombre, const TConnectionParams& p) {
        auto db = std::make_unique<TDatabase>();
        db->setDatabaseName(nombre);
        db->Params() = p;
        db->Open();
        TSession::instance().AddDatabase(db.get());
        return db;
    }
    Engine engine_;
    QTemporaryDir gen_, emp_, tmp_;
    QString nombreGeneral_;
    std::unique_ptr<TDatabase> general_, empresa_, testigo_, temporal_, testigoEmpresa_;
};

}  // namespace

// A user's statement writes, creates, alters and drops only in its
// company's own database: never in the general database (not even when it
// runs on the general database itself), nor in SQLite's temporary stores,
// whatever the spelling; it never reaches the users table, not even to read
// it. Each refusal names what it refused, and nothing changed.
void TestQuery::otherStores_data() {
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("lectura");
    QTest::addColumn<bool>("enGeneral");  // run on the general database itself
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QStringList>("antes");  // the user's statements that run first
    QTest::addColumn<QString>("login");      // PostgreSQL (see PostgresLogins)
    QTest::addColumn<bool>("politica");
    struct Caso {
        const char* tag;
        const char* sql;
        bool lectura;
        bool enGeneral;
        const char* nombre;
        int motor;  // -1 both engines
        QStringList antes = {};
        // Refused by the policy alone: the server's rights let it (in the
        // company's own schema).
        bool politica = false;
    };
    const char* general = "base de datos general";
    const int pg = int(Engine::Postgres);
    const QStringList vista{QStringLiteral("CREATE VIEW VEMP AS SELECT * FROM %GEN%.EMPRESA")};
    const QStringList vistas{
        vista.first(), QStringLiteral("CREATE VIEW VEMP2 AS SELECT Codigo, Nombre FROM VEMP")};
    const QStringList particionada{
        QStringLiteral("CREATE TABLE PEMP (LIKE %GEN%.EMPRESA) PARTITION BY LIST (Codigo)")};
    const QStringList aparte{QStringLiteral("ALTER TABLE CALENDAR RENAME TO calendar_antes")};
    const QStringList hx{QStringLiteral("CREATE TABLE HX (a int)")}, ninguno;
    // A company table on the page the users' index has in the general file.
    const QStringList pagina{QStringLiteral("CREATE TABLE PAGINA (Codigo varchar(10))")};
    const QStringList suelta{QStringLiteral("DROP TABLE CALENDAR")};
    const QStringList aparteHx = aparte + hx;
    const QStringList libre{QStringLiteral("CREATE VIEW VLIBRE AS SELECT Codigo FROM PRUEBA")};
    const QStringList particionCal{
        QStringLiteral("CREATE TABLE PCAL (Codigo int, Fecha date) PARTITION BY LIST (Codigo)")};
    const Caso casos[] = {
        {"table created in general", "CREATE TABLE %GEN%.CALENOPE (a int)", false, false, general,
         -1},
        {"table copied into general", "CREATE TABLE %GEN%.COPIA AS SELECT * FROM PRUEBA", false,
         false, general, -1},
        {"view in general", "CREATE VIEW %GEN%.PUBLICA AS SELECT * FROM PRUEBA", false, false,
         general, -1},
        {"index on a general table", "CREATE INDEX EMPRESA_x ON EMPRESA (Nombre)", false, false,
         general, int(Engine::Postgres)},
        {"index on a general table", "CREATE INDEX general.EMPRESA_x ON EMPRESA (Nombre)", false,
         false, general, int(Engine::Sqlite)},
        {"general table written by its bare name", "INSERT INTO EMPRESA VALUES (2, 'Dos')", false,
         false, general, -1},
        {"general table emptied", "DELETE FROM EMPRESA", false, false, general, -1},
        {"general table changed", "UPDATE %GEN%.EMPRESA SET Nombre = 'x'", false, false, general,
         -1},
        {"general table altered", "ALTER TABLE EMPRESA ADD COLUMN Nota int", false, false, general,
         -1},
        {"general table dropped", "DROP TABLE EMPRESA", false, false, general, -1},
        {"general table written in a WITH",
         "WITH d AS (DELETE FROM EMPRESA RETURNING 1) SELECT COUNT(*) FROM d", false, false,
         general, int(Engine::Postgres)},
        {"child of a general table", "CREATE TABLE HIJA () INHERITS (EMPRESA)", false, false,
         general, int(Engine::Postgres)},
        {"key referencing a general table", "CREATE TABLE HIJA (e int REFERENCES EMPRESA (Codigo))",
         false, false, general, int(Engine::Postgres)},
        {"general database named as the company", "INSERT INTO EMPRESA VALUES (3, 'Tres')", false,
         true, general, -1},
        {"table created in the general database named as the company", "CREATE TABLE NUEVA (a int)",
         false, true, general, -1},
        {"users read", "SELECT * FROM USUARIO", true, false, "USUARIO", -1},
        {"users counted", "SELECT COUNT(*) FROM %GEN%.usuario", true, false, "USUARIO", -1},
        {"users in a sub-select", "SELECT (SELECT MAX(Clave) FROM Usuario) AS c", true, false,
         "USUARIO", -1},
        {"users read on the general database", "SELECT Clave FROM USUARIO", true, true, "USUARIO",
         -1},
        {"users raised", "UPDATE USUARIO SET Nivel = 9", false, false, "USUARIO", -1},
        // Compared by the engine itself, never named as a read of a column:
        // the program it compiled opens the table or one of its indexes,
        // on a page a company table has in its own file.
        {"users' keys tried through USING",
         "WITH RECURSIVE n(Codigo, Clave, v) AS (SELECT 'ANA', '0000', 0 UNION ALL SELECT 'ANA', "
         "printf('%04d', v + 1), v + 1 FROM n WHERE v < 9999) SELECT c.v FROM USUARIO JOIN n c "
         "USING (Codigo, Clave)",
         true, false, "USUARIO", int(Engine::Sqlite)},
        {"users' key found through NATURAL JOIN",
         "WITH n(Codigo, Clave, v) AS (VALUES ('ANA', 'clave', 1), ('ANA', 'secreta', 2)) SELECT "
         "n.v FROM n NATURAL JOIN %GEN%.USUARIO",
         true, false, "USUARIO", int(Engine::Sqlite)},
        {"users counted beside a USING column",
         "SELECT COUNT(*) AS n FROM USUARIO JOIN (SELECT 'ANA' AS Codigo) USING (Codigo)", true,
         false, "USUARIO", int(Engine::Sqlite)},
        {"users reached only through their index",
         "SELECT x.Codigo FROM (SELECT 'ANA' AS Codigo) x JOIN USUARIO USING (Codigo)", true, false,
         "USUARIO", int(Engine::Sqlite), pagina},
        {"users' keys tried on the general database",
         "SELECT v FROM (SELECT 'ANA' AS Codigo, 'secreta' AS Clave, 1 AS v) JOIN USUARIO USING "
         "(Codigo, Clave)",
         true, true, "USUARIO", int(Engine::Sqlite)},
        {"users renamed", "ALTER TABLE %GEN%.USUARIO RENAME TO U2", false, false, "USUARIO", -1},
        {"users inherited", "CREATE TABLE HIJA () INHERITS (USUARIO)", false, false, "USUARIO",
         int(Engine::Postgres)},
        {"users as text", "SELECT 'usuario'::regclass", true, false, "USUARIO",
         int(Engine::Postgres)},
        {"temporary copy over a company table",
         "CREATE TABLE temp.PRUEBA AS SELECT * FROM main.PRUEBA", false, false, "en temp",
         int(Engine::Sqlite)},
        {"temporary table, quoted", "CREATE TABLE \"TEMP\".x (a)", false, false, "en temp",
         int(Engine::Sqlite)},
        {"temporary view", "CREATE VIEW temp.PRUEBA AS SELECT 99 AS Codigo", false, false,
         "en temp", int(Engine::Sqlite)},
        {"temporary table altered", "ALTER TABLE temp.TX ADD COLUMN b", false, false, "en temp",
         int(Engine::Sqlite)},
        {"temporary table dropped", "DROP TABLE temp.TX", false, false, "TEMP",
         int(Engine::Sqlite)},
        {"session's temporary-tables file", "CREATE TABLE temporal.T (a)", false, false,
         "en temporal", int(Engine::Sqlite)},
        {"statistics written in general", "ANALYZE general", false, false, general,
         int(Engine::Sqlite)},
        {"general indexes rebuilt", "REINDEX general.EMPRESA", false, false, general,
         int(Engine::Sqlite)},
        {"temporary trigger", "CREATE TEMP TRIGGER t AFTER INSERT ON PRUEBA BEGIN SELECT 1; END",
         false, false, "TRIGGER", int(Engine::Sqlite)},
        {"trigger named in temp",
         "CREATE TRIGGER temp.t AFTER INSERT ON PRUEBA BEGIN SELECT 1; END", false, false,
         "TRIGGER", int(Engine::Sqlite)},
        {"tokenizer pointer", "SELECT hex(fts3_tokenizer('simple')) AS p", true, false,
         "fts3_tokenizer", int(Engine::Sqlite)},
        {"file pages", "SELECT name, pageno FROM dbstat", true, false, "dbstat",
         int(Engine::Sqlite)},
        {"pragma function that is not a reading one", "SELECT * FROM pragma_foreign_keys", true,
         false, "pragma_foreign_keys", int(Engine::Sqlite)},
        // What a view, a partition or a child reaches is judged, not its name.
        {"general table changed through a view", "UPDATE VEMP SET Nombre = 'x'", false, false,
         general, pg, vista},
        {"general table written through a view", "INSERT INTO VEMP VALUES (5, 'x')", false, false,
         general, pg, vista},
        {"general table emptied through a view", "DELETE FROM VEMP", false, false, general, pg,
         vista},
        {"general table written through a view on conflict",
         "INSERT INTO VEMP VALUES (1, 'x') ON CONFLICT (Codigo) DO UPDATE SET Nombre = 'y'", false,
         false, general, pg, vista},
        {"general table emptied through a view in a WITH",
         "WITH d AS (DELETE FROM VEMP RETURNING 1) SELECT COUNT(*) FROM d", false, false, general,
         pg, vista},
        {"general table changed through a view of a view", "UPDATE VEMP2 SET Nombre = 'x'", false,
         false, general, pg, vistas},
        {"general table changed through a view named with the schema",
         "UPDATE %EMP%.VEMP SET Nombre = 'x'", false, false, general, pg, vista},
        {"general table attached as a partition",
         "ALTER TABLE PEMP ATTACH PARTITION %GEN%.EMPRESA DEFAULT", false, false, general, pg,
         particionada},
        {"general table attached as a partition by its bare name",
         "ALTER TABLE PEMP ATTACH PARTITION EMPRESA DEFAULT", false, false, general, pg,
         particionada},
        {"general table detached", "ALTER TABLE PEMP DETACH PARTITION EMPRESA", false, false,
         general, pg, particionada},
        {"partition of a general table", "CREATE TABLE PEMP2 PARTITION OF EMPRESA DEFAULT", false,
         false, general, pg},
        // Nothing a user makes or renames stands where the program reads
        // and writes its own tables (CALENDAR, made by the program, renamed
        // away first), nor under a general table's name, which the
        // company's name would hide, nor the server's.
        {"view put in place of a company table renamed away",
         "CREATE VIEW CALENDAR AS SELECT Codigo, CAST('2026-06-01' AS date) AS Fecha FROM "
         "%GEN%.EMPRESA",
         false, false, "CALENDAR", pg, aparte, true},
        {"view put in place of a company table renamed away",
         "CREATE VIEW CALENDAR AS SELECT Codigo, '2026-06-01' AS Fecha FROM PRUEBA", false, false,
         "CALENDAR", int(Engine::Sqlite), aparte, true},
        {"view run with its reader's rights",
         "CREATE VIEW Calendar WITH (security_invoker = true) AS SELECT Codigo FROM %GEN%.EMPRESA",
         false, false, "security_invoker", pg, aparte, true},
        {"view set to run with its reader's rights",
         "ALTER VIEW VLIBRE SET (security_invoker = on)", false, false, "security_invoker", pg,
         libre, true},
        {"view's options set as a table's", "ALTER TABLE VLIBRE SET (Security_Invoker)", false,
         false, "security_invoker", pg, libre, true},
        {"table renamed to a company table's name", "ALTER TABLE HX RENAME TO calendar", false,
         false, "CALENDAR", -1, aparteHx, true},
        {"table renamed to a company table's name, quoted", "ALTER TABLE HX RENAME TO \"Calendar\"",
         false, false, "CALENDAR", int(Engine::Sqlite), aparteHx, true},
        // Quoted as the server folds the program's unquoted name: the same.
        {"table renamed to a company table's name, quoted in lower case",
         "ALTER TABLE HX RENAME TO \"calendar\"", false, false, "CALENDAR", pg, aparteHx, true},
        {"table renamed to a company table's name as a text",
         "ALTER TABLE \"hx\" /* RENAME TO x */ RENAME\nTO 'CALENDAR';", false, false, "CALENDAR",
         int(Engine::Sqlite), aparteHx, true},
        {"table renamed to a company table's name after an empty statement",
         " ;\n;ALTER TABLE HX RENAME TO calendar", false, false, "CALENDAR", int(Engine::Sqlite),
         aparteHx, true},
        {"table renamed to a company table's name in brackets",
         "ALTER TABLE main.HX RENAME TO [calendar]", false, false, "CALENDAR", int(Engine::Sqlite),
         aparteHx, true},
        {"table renamed to the users table's name", "ALTER TABLE HX RENAME TO usuario", false,
         false, "USUARIO", -1, hx, true},
        {"table renamed to a server's name", "ALTER TABLE HX RENAME TO pg_class", false, false,
         "pg_class", pg, hx, true},
        {"index renamed to a server's name", "ALTER INDEX prueba_pk RENAME TO pg_toast_x", false,
         false, "pg_toast_x", pg, ninguno, true},
        {"index renamed to a company table's name", "ALTER INDEX prueba_pk RENAME TO calendar",
         false, false, "CALENDAR", pg, aparte, true},
        {"general table's name taken in the company",
         "CREATE TABLE empresa (Codigo int, Nombre varchar(20))", false, false, "EMPRESA", -1,
         ninguno, true},
        {"general table's name taken, quoted", "CREATE TABLE \"CampoUsr\" (a int)", false, false,
         "CAMPOUSR", int(Engine::Sqlite), ninguno, true},
        {"general table's name taken", "CREATE TABLE campousr (a int)", false, false, "CAMPOUSR",
         pg, ninguno, true},
        {"index named as a company table", "CREATE INDEX calendar ON PRUEBA (Nombre)", false, false,
         "CALENDAR", -1, aparte, true},
        {"table made from a query under a company table's name",
         "CREATE TABLE Calendar AS SELECT * FROM PRUEBA", false, false, "CALENDAR", -1, aparte,
         true},
        {"table selected into under a company table's name", "SELECT * INTO calendar FROM PRUEBA",
         false, false, "CALENDAR", pg, aparte, true},
        {"materialized view named as a company table",
         "CREATE MATERIALIZED VIEW calendar AS SELECT 1 AS a", false, false, "CALENDAR", pg, aparte,
         true},
        {"key named as a company table", "CREATE TABLE HY (a int CONSTRAINT calendar PRIMARY KEY)",
         false, false, "CALENDAR", pg, aparte, true},
        {"unique constraint named as a company table",
         "CREATE TABLE HY (a int CONSTRAINT calendar UNIQUE)", false, false, "CALENDAR", pg, aparte,
         true},
        {"exclusion constraint named as a company table",
         "CREATE TABLE HY (a int, CONSTRAINT Calendar EXCLUDE (a WITH =))", false, false,
         "CALENDAR", pg, aparte, true},
        {"unique constraint added under a company table's name",
         "ALTER TABLE PRUEBA ADD CONSTRAINT calendar UNIQUE (Nombre)", false, false, "CALENDAR", pg,
         aparte, true},
        // A company table is no partition, child or parent of another.
        {"company table attached as a partition",
         "ALTER TABLE PCAL ATTACH PARTITION calendar DEFAULT", false, false, "CALENDAR", pg,
         particionCal, true},
        {"company table detached", "ALTER TABLE PCAL DETACH PARTITION CALENDAR", false, false,
         "CALENDAR", pg, particionCal, true},
        {"company table given a partition", "ALTER TABLE CALENDAR ATTACH PARTITION HX DEFAULT",
         false, false, "CALENDAR", pg, hx, true},
        {"company table made a child", "ALTER TABLE CALENDAR INHERIT HX", false, false, "CALENDAR",
         pg, hx, true},
        {"company table no longer a child", "ALTER TABLE CALENDAR NO INHERIT HX", false, false,
         "CALENDAR", pg, hx, true},
        {"company table made a parent", "CREATE TABLE HIJA () INHERITS (calendar)", false, false,
         "CALENDAR", pg, ninguno, true},
        {"table made a child of a company table", "ALTER TABLE HX INHERIT %EMP%.calendar", false,
         false, "CALENDAR", pg, hx, true},
        {"partition of a company table", "CREATE TABLE P3 PARTITION OF CALENDAR DEFAULT", false,
         false, "CALENDAR", pg, ninguno, true},
        {"company table dropped and made again as the user's", "CREATE TABLE CALENDAR (a int)",
         false, false, "CALENDAR", -1, suelta, true},
        // Row locks on general rows, whatever path and wherever in the statement.
        {"general rows locked in a materialized WITH",
         "WITH l AS MATERIALIZED (SELECT Codigo FROM %GEN%.EMPRESA FOR UPDATE) SELECT COUNT(*) "
         "FROM l",
         false, false, general, pg},
        {"general rows locked by their bare name", "SELECT Codigo FROM EMPRESA FOR KEY SHARE",
         false, false, general, pg},
        {"general rows locked in an update's sub-select",
         "UPDATE PRUEBA SET Nombre = 'x' WHERE Codigo IN (SELECT Codigo FROM EMPRESA FOR SHARE)",
         false, false, general, pg},
        {"general rows locked through a view", "SELECT * FROM VEMP FOR NO KEY UPDATE", false, false,
         general, pg, vista},
    };
    for (Engine e : AvailableEngines())
        for (const QString& login :
             e == Engine::Postgres ? PostgresLogins() : QStringList{QString()})
            for (const Caso& c : casos)
                if (c.motor < 0 || c.motor == int(e))
                    QTest::newRow(qPrintable(EngineTag(e) + LoginTag(login) + QLatin1String(c.tag)))
                        << int(e) << QString::fromUtf8(c.sql) << c.lectura << c.enGeneral
                        << QString::fromUtf8(c.nombre) << c.antes << login << c.politica;
}

void TestQuery::otherStores() {
    QFETCH(int, engine);
    QFETCH(QString, sql);
    QFETCH(bool, lectura);
    QFETCH(bool, enGeneral);
    QFETCH(QString, nombre);
    QFETCH(QStringList, antes);
    QFETCH(QString, login);
    QFETCH(bool, politica);
    ComoLogin como(login);
    ConGeneral c{Engine(engine)};
    como.comprobar(c.empresa());
    createPrueba(c.empresa());
    c.empresa()->Execute(QStringLiteral("CREATE TABLE CALENDAR (Codigo int, Fecha date)"));
    if (engine == int(Engine::Sqlite))
        c.empresa()->Execute(QStringLiteral("CREATE TEMP TABLE TX (a)"));
    TablasDelPrograma delPrograma;
    auto nombres = [&](QString texto) {
        return texto.replace(QLatin1String("%GEN%"), c.nombreGeneral())
            .replace(QLatin1String("%EMP%"), c.empresa()->Params().schema);
    };
    TQuery q;
    q.setDatabaseName(enGeneral ? QStringLiteral("DatabaseGeneral") : QStringLiteral("Database"));
    q.setUserStatement(true);
    for (const QString& a : antes) {
        q.SQL().setText(nombres(a));
        q.ExecSQL();
    }
    const QString inicial = c.estado();
    q.SQL().setText(nombres(sql));
    const QString error = ErrorText([&] {
        if (lectura)
            q.Open();
        else
            q.ExecSQL();
    });
    QVERIFY2(error.startsWith(QLatin1String("la sentencia ")), qPrintable(error));
    QVERIFY2(error.contains(nombre), qPrintable(error));
    QCOMPARE(c.estado(), inicial);
    // No general row is held: another session takes it at once.
    if (engine == int(Engine::Postgres))
        c.general()->Execute(
            nombres(QStringLiteral("SELECT Codigo FROM %GEN%.EMPRESA FOR UPDATE NOWAIT")));
    if (engine == int(Engine::Postgres) && !enGeneral) {
        // The server's own rights, the statements sent past the policy on
        // the connection for users' statements: nothing changes where the
        // users' role holds, and the users table is never read.
        TDatabase* usuarios = c.empresa()->UserStatements();
        QCOMPARE(usuarios->Scalar(QStringLiteral("SELECT current_user")).toString(),
                 como.creaRoles() ? c.empresa()->UsersRole() : c.empresa()->Params().user);
        if (como.creaRoles() && !politica) {
            for (const QString& a : antes) ErrorText([&] { usuarios->Execute(nombres(a)); });
            QString leido;
            const QString fallo = ErrorText([&] {
                QSqlQuery r = usuarios->Execute(nombres(sql));
                while (r.isSelect() && r.next())
                    for (int i = 0; i < r.record().count(); ++i) leido += r.value(i).toString();
            });
            QVERIFY2(!fallo.isEmpty() || !leido.contains(QLatin1String("secreta")),
                     qPrintable(leido));
            usuarios->EndUserStatement();
            QCOMPARE(c.estado(), inicial);
        }
        // A user's statement runs under the role after the session is reset
        // and after the connection comes back.
        const QString quien =
            como.creaRoles() ? c.empresa()->UsersRole() : c.empresa()->Params().user;
        const QVariant pid = usuarios->Scalar(QStringLiteral("SELECT pg_backend_pid()"));
        usuarios->EndUserStatement();
        q.Close();
        q.SQL().setText(QStringLiteral("SELECT current_user AS quien"));
        q.Open();
        QCOMPARE(q.Fields()[0]->AsString(), quien);
        q.Close();
        c.general()->Execute(QStringLiteral("SELECT pg_terminate_backend(?)"), {pid});
        QTRY_COMPARE(
            c.general()
                ->Scalar(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE pid = ?"),
                         {pid})
                .toInt(),
            0);
        q.Open();
        QCOMPARE(q.Fields()[0]->AsString(), quien);
        q.Close();
    }
    // The general tables stay readable, and the company's own writable.
    q.Close();
    q.SQL().setText(QStringLiteral("SELECT Nombre FROM EMPRESA"));
    q.Open();
    QCOMPARE(q.Fields()[0]->AsString(), QStringLiteral("Uno"));
    if (enGeneral) return;
    // CALENDAR stands on the page USUARIO has in the general file.
    if (engine == int(Engine::Sqlite) &&
        c.empresa()
                ->Scalar(QStringLiteral("SELECT COUNT(*) FROM main.sqlite_master WHERE name = "
                                        "'CALENDAR' AND type = 'table'"))
                .toInt() == 1) {
        q.Close();
        q.SQL().setText(QStringLiteral("SELECT COUNT(*) AS n FROM CALENDAR"));
        q.Open();
        QCOMPARE(q.Fields()[0]->AsInteger(), 0);
    }
    q.Close();
    q.SQL().setText(QStringLiteral("CREATE TABLE PROPIA AS SELECT * FROM PRUEBA"));
    q.ExecSQL();
    QCOMPARE(c.empresa()->Scalar(QStringLiteral("SELECT COUNT(*) FROM PROPIA")).toInt(), 3);
    // A generated column on a table of the user's own making.
    q.SQL().setText(engine == int(Engine::Sqlite)
                        ? QStringLiteral("ALTER TABLE PROPIA ADD COLUMN g AS (Codigo * 2)")
                        : QStringLiteral("ALTER TABLE PROPIA ADD COLUMN g int GENERATED ALWAYS AS "
                                         "(Codigo * 2) STORED"));
    q.ExecSQL();
    QCOMPARE(c.empresa()->Scalar(QStringLiteral("SELECT SUM(g) FROM PROPIA")).toInt(), 12);
    if (engine != int(Engine::Postgres)) return;
    // A quoted name in capitals is not the program's PRUEBA, whose
    // unquoted name folds to lower case: the program reads its own still.
    q.SQL().setText(QStringLiteral("CREATE TABLE \"PRUEBA\" (a int)"));
    q.ExecSQL();
    QCOMPARE(c.empresa()->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA")).toInt(), 3);
}

// A company table is looked for in the company's own database only: a
// table of that name in the general database is not its own, so the company
// creates and fills its own. General tables are still found.
void TestQuery::companyTablesStayApart() {
    ConGeneral c(CurrentEngine());
    TDatabase::SetGeneralTableTest([](const QString& t) { return t == QLatin1String("EMPRESA"); });
    const auto sinGenerales = qScopeGuard([] { TDatabase::SetGeneralTableTest(nullptr); });
    const TFieldDefs campos{{QStringLiteral("Codigo"), ftInteger, 0, true}};
    c.general()->CreateTable(QStringLiteral("CALENOPE"), campos, {QStringLiteral("Codigo")},
                             QStringLiteral("CALENOPE_PK"));
    TDatabase* empresa = c.empresa();
    QVERIFY(!empresa->TableExists(QStringLiteral("CALENOPE")));
    QVERIFY(!empresa->TableExists(QStringLiteral("calenope")));
    QVERIFY(empresa->TableExists(QStringLiteral("EMPRESA")));
    QVERIFY(!empresa->TableExists(QStringLiteral("USUARIO")));  // not on the general list
    empresa->CreateTable(QStringLiteral("CALENOPE"), campos, {QStringLiteral("Codigo")},
                         QStringLiteral("CALENOPE_PK"));
    QVERIFY(empresa->TableExists(QStringLiteral("CALENOPE")));
    empresa->Execute(QStringLiteral("INSERT INTO CALENOPE (Codigo) VALUES (7)"));
    QCOMPARE(empresa->Scalar(QStringLiteral("SELECT COUNT(*) FROM CALENOPE")).toInt(), 1);
    QCOMPARE(c.general()->Scalar(QStringLiteral("SELECT COUNT(*) FROM CALENOPE")).toInt(), 0);
    // The session's temporary tables are its own too.
    empresa->Execute(QStringLiteral("CREATE TEMP TABLE TEMPORAL1 (a int)"));
    QVERIFY(empresa->TableExists(QStringLiteral("TEMPORAL1")));
}

// The company's role (PostgreSQL) never shuts out a login that reached the
// company's objects: the logins open the company in turn (the first makes
// it) and each adds a row that another connection reads; members and owners
// are read from the server's catalog. A login that is no member of the role
// owning the objects is refused ("!"), told the GRANT to run; where a member
// cannot be made, nothing moves and the note names that GRANT.
void TestQuery::companyRoleKeepsLogins_data() {
    QTest::addColumn<QStringList>("pasos");
    QTest::addColumn<QString>("antes");  // what the server's administrator did first
    if (PostgresLogins().size() < 3) {
        QTest::newRow("no server") << QStringList() << QString();
        return;
    }
    const QString plano = QStringLiteral("RH_PG_PLAIN_ROLE");
    QTest::newRow("plain, superuser, plain") << QStringList{plano, QString(), plano} << QString();
    QTest::newRow("plain, role maker, plain: nothing moved")
        << QStringList{plano, QStringLiteral("RH_PG_ROLEMAKER_ROLE"), plano} << QString();
    // As an earlier start handed everything over without members.
    QTest::newRow("plain shut out, superuser mends")
        << QStringList{plano + '!', QString(), plano} << QStringLiteral("sin miembros");
    // The creator's membership revoked ("-", by the server's administrator,
    // or never granted by an older version): the next administrator's
    // start grants it again.
    QTest::newRow("creator's membership revoked, superuser mends")
        << QStringList{plano, QString(), QStringLiteral("-"), QString(), plano} << QString();
    // A role of that name made a member of the plain login.
    QTest::newRow("member refused by the server, nothing moved")
        << QStringList{plano, QString(), plano} << QStringLiteral("circular");
}

void TestQuery::companyRoleKeepsLogins() {
    QFETCH(QStringList, pasos);
    QFETCH(QString, antes);
    if (pasos.isEmpty()) QSKIP("Sin servidor PostgreSQL con sus tres usuarios");
    auto login = [](QString paso) {
        paso.remove(QLatin1Char('!'));
        return qEnvironmentVariable(paso.isEmpty() ? "RH_PG_USER" : qPrintable(paso));
    };
    TConnectionParams p = PostgresServerParams();
    p.schema = schemaUnico("roles");
    p.user = login(pasos.first());
    const QString rol = PgUsersRoleName(p.database, p.schema);
    TestDatabase servidor(Engine::Postgres);  // the administrator's
    TDatabase* s = servidor.db();
    const auto borrar = qScopeGuard(
        [&] { s->Execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(p.schema)); });
    auto miembro = [&](const QString& quien) {  // by a grant of its own
        return s->Scalar(QStringLiteral("SELECT COUNT(*) FROM pg_auth_members WHERE roleid = "
                                        "(SELECT oid FROM pg_roles WHERE rolname = ?) AND member "
                                        "= (SELECT oid FROM pg_roles WHERE rolname = ?)"),
                         {rol, quien})
                   .toInt() == 1;
    };
    auto ajenos = [&] {  // objects of owners other than the role
        return s
            ->Scalar(QStringLiteral("SELECT string_agg(c.relname || ':' || pg_get_userbyid("
                                    "c.relowner), ',' ORDER BY c.relname) FROM pg_class c WHERE "
                                    "c.relowner IS DISTINCT FROM (SELECT oid FROM pg_roles WHERE "
                                    "rolname = ?) AND c.relnamespace = to_regnamespace(?) AND "
                                    "c.relkind IN ('r', 'v', 'S')"),
                     {rol, p.schema})
            .toString();
    };
    TDatabase::CreateDatabase(p);
    auto db = std::make_unique<TDatabase>();
    db->Params() = p;
    db->Open();
    db->Execute(QStringLiteral("CREATE TABLE FILAS (Id serial PRIMARY KEY, Quien varchar(40))"));
    db->Execute(QStringLiteral("CREATE VIEW VFILAS AS SELECT Quien FROM FILAS"));
    db.reset();
    const QString plano = login(QStringLiteral("RH_PG_PLAIN_ROLE"));
    if (!antes.isEmpty()) s->Execute(QStringLiteral("CREATE ROLE \"%1\" NOLOGIN").arg(rol));
    if (antes == QLatin1String("sin miembros"))
        for (const char* objeto : {"TABLE %1.FILAS", "VIEW %1.VFILAS"})
            s->Execute(QStringLiteral("ALTER %1 OWNER TO \"%2\"")
                           .arg(QString::fromLatin1(objeto).arg(p.schema), rol));
    if (antes == QLatin1String("circular"))
        s->Execute(QStringLiteral("GRANT \"%1\" TO \"%2\"").arg(plano, rol));
    const QString inicial = ajenos();
    for (const QString& paso : pasos) {
        if (paso == QLatin1String("-")) {
            s->Execute(QStringLiteral("REVOKE \"%1\" FROM \"%2\"").arg(rol, plano));
            QVERIFY(!miembro(plano));
            continue;
        }
        const QString quien = login(paso);
        const QString grant = QStringLiteral("GRANT \"%1\" TO \"%2\"").arg(rol, quien);
        db = std::make_unique<TDatabase>();
        db->Params() = p;
        db->Params().user = quien;
        if (paso.endsWith(QLatin1Char('!'))) {
            QCOMPARE(ErrorText([&] { db->Open(); }),
                     QStringLiteral("¡ El usuario «%1» del servidor no es miembro del rol «%2», "
                                    "al que pertenecen las tablas de la empresa, y no puede "
                                    "hacerse miembro de él !. Un administrador del servidor debe "
                                    "ejecutar: %3")
                         .arg(quien, rol, grant));
            continue;
        }
        db->Open();
        if (paso == QLatin1String("RH_PG_PLAIN_ROLE")) {
            db->Execute(QStringLiteral("INSERT INTO FILAS (Quien) VALUES (?)"), {quien});
            QCOMPARE(
                s->Scalar(
                     QStringLiteral("SELECT COUNT(*) FROM %1.VFILAS WHERE Quien = ?").arg(p.schema),
                     {quien})
                    .toInt(),
                1);
            s->Execute(QStringLiteral("DELETE FROM %1.FILAS").arg(p.schema));
        } else if (paso.isEmpty() && antes != QLatin1String("circular")) {
            QCOMPARE(ajenos(), QString());
            QVERIFY(miembro(plano) && miembro(quien));
        } else {  // a member that cannot be made; another login's objects
            QCOMPARE(db->UsersRole(), QString());
            QCOMPARE(ajenos(), inicial);
            if (paso.isEmpty())
                QVERIFY2(db->UsersRoleNote().endsWith(
                             QStringLiteral("ejecutar: GRANT \"%1\" TO \"%2\"").arg(rol, plano)),
                         qPrintable(db->UsersRoleNote()));
        }
    }
}

// Whatever stands where one of the program's tables stood, put there by a
// user's statement or by anyone with the server's rights: the program never
// reads or writes through a view, a materialised view..., by its own
// statements, its tables or a user's result made live (judged as the server
// has it now, not as cached), and its own statements over a table made
// again with other columns run as they are prepared anew.
void TestQuery::programTablesStayTables_data() {
    QTest::addColumn<QString>("login");  // see PostgresLogins
    QTest::addColumn<QString>("caso");
    QTest::addColumn<bool>("fuera");  // moved away from outside the program, else by a user
    if (!AvailableEngines().contains(Engine::Postgres)) return;
    // A change from outside is heard of by no connection of the program:
    // CALENDAR is first resolved after it (names are asked once per name
    // and connection), while LISTPRU was read, edited and made live before,
    // as the cached catalog and statements of the last two cases need.
    const struct {
        const char* caso;
        bool fuera;
    } casos[] = {
        {"deleted by the program's text", false},
        {"deleted by the program's text", true},
        {"updated by a prepared statement", false},
        {"updated by a prepared statement", true},
        {"table opened", false},
        {"table opened", true},
        {"materialised view", false},
        {"user's result made live", false},
        {"user's result made live", true},
        {"table made again", false},
        {"table made again", true},
    };
    for (const QString& login : PostgresLogins())
        for (const auto& c : casos)
            QTest::newRow(qPrintable(
                QStringLiteral("postgres") + LoginTag(login) + QLatin1String(c.caso) +
                (c.fuera ? QStringLiteral(", from outside") : QStringLiteral(", by a user"))))
                << login << QString::fromLatin1(c.caso) << c.fuera;
}

void TestQuery::programTablesStayTables() {
    if (!AvailableEngines().contains(Engine::Postgres)) QSKIP("Sin servidor PostgreSQL");
    QFETCH(QString, login);
    QFETCH(QString, caso);
    QFETCH(bool, fuera);
    const TConnectionParams servidor = PostgresServerParams();
    ComoLogin como(login);
    ConGeneral c(Engine::Postgres);
    como.comprobar(c.empresa());
    TDatabase* e = c.empresa();
    const QString emp = e->Params().schema;
    const QString gen = c.nombreGeneral();
    // Another company's table, which a view could reach as well.
    const QString otra = schemaUnico("otra");
    const auto sinOtra = qScopeGuard([&] {
        c.general()->Execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(otra));
    });
    for (const QString& sql :
         {QStringLiteral("CREATE SCHEMA %1").arg(otra),
          QStringLiteral("CREATE TABLE %1.CALENDAR (Codigo int, Fecha date, PRIMARY KEY (Codigo, "
                         "Fecha))")
              .arg(otra),
          QStringLiteral("INSERT INTO %1.CALENDAR VALUES (1, '2026-06-01')").arg(otra)})
        c.general()->Execute(sql);
    e->Execute(QStringLiteral(
        "CREATE TABLE CALENDAR (Codigo int, Fecha date, PRIMARY KEY (Codigo, Fecha))"));
    e->Execute(QStringLiteral("INSERT INTO CALENDAR VALUES (1, '2026-06-01'), (1, '2026-06-02')"));
    e->Execute(QStringLiteral(
        "CREATE TABLE LISTPRU (Codigo int PRIMARY KEY, Nombre varchar(40), Importe float)"));
    e->Execute(QStringLiteral("INSERT INTO LISTPRU VALUES (1, 'A|B', 12.5), (2, 'Łódź; x·y', 3)"));
    SetProgramTableTest([](const QString& t) {
        return t == QLatin1String("CALENDAR") || t == QLatin1String("LISTPRU") ||
               t == QLatin1String("EMPRESA");
    });
    const auto sinNombres = qScopeGuard([] { SetProgramTableTest(nullptr); });
    const QString inicial = c.estado();
    const QString otraInicial =
        filasDe(c.general(), QStringLiteral("SELECT * FROM %1.CALENDAR").arg(otra));
    // The superuser's connection, standing for any way into the server.
    auto externa = [&](QString sql) {
        RunOutside(servidor, sql.replace(QLatin1String("%EMP%"), emp)
                                 .replace(QLatin1String("%GEN%"), gen)
                                 .replace(QLatin1String("%OTRA%"), otra));
    };
    auto deUsuario = [&](const QString& sql) {
        TQuery u;
        u.setDatabaseName(QStringLiteral("Database"));
        u.setUserStatement(true);
        u.SQL().setText(sql);
        u.ExecSQL();
    };
    // The program has used its tables: names checked, catalog read,
    // statements prepared, a user's result on LISTPRU live.
    {
        TTable t;
        t.setDatabaseName(QStringLiteral("Database"));
        t.setTableName(QStringLiteral("LISTPRU"));
        t.Open();
        t.Edit();
        t.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Ana"));
        t.Post();
        TQuery q;
        q.setDatabaseName(QStringLiteral("Database"));
        q.setUserStatement(true);
        q.SQL().setText(QStringLiteral("SELECT Codigo, Nombre FROM LISTPRU ORDER BY 1"));
        q.Open();
        QVERIFY(q.CanModify());
    }
    if (!fuera) QCOMPARE(e->Scalar(QStringLiteral("SELECT COUNT(*) FROM CALENDAR")).toInt(), 2);
    const bool listpru = caso.startsWith(QLatin1String("user's")) || caso.endsWith(u"again");
    const QString tabla = listpru ? QStringLiteral("LISTPRU") : QStringLiteral("CALENDAR");
    const QString lejos =
        QStringLiteral("ALTER TABLE %EMP%.") + tabla + QStringLiteral(" RENAME TO antes");
    if (fuera)
        externa(lejos);
    else
        deUsuario(QStringLiteral("ALTER TABLE ") + tabla + QStringLiteral(" RENAME TO antes"));
    if (caso.endsWith(u"again")) {
        externa(
            QStringLiteral("CREATE TABLE %EMP%.LISTPRU (Codigo int PRIMARY KEY, Nombre "
                           "varchar(60), Importe numeric(10, 2))"));
        externa(QStringLiteral("INSERT INTO %EMP%.LISTPRU VALUES (1, 'A|B', 1)"));
        externa(QStringLiteral("GRANT ALL ON %EMP%.LISTPRU TO PUBLIC"));
        // The objects as moved and made here; the rows as they were.
        const QString preparado = c.estado();
        QCOMPARE(preparado.section(QStringLiteral(" / "), 0, 1),
                 inicial.section(QStringLiteral(" / "), 0, 1));
        TTable t;
        t.setDatabaseName(QStringLiteral("Database"));
        t.setTableName(QStringLiteral("LISTPRU"));
        // After a user's DDL the statements are prepared anew before they
        // run, inside a transaction too (where a failed read would end it).
        const QString error = ErrorText([&] {
            if (!fuera) e->StartTransaction();
            t.Open();
            QCOMPARE(t.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("A|B"));
            t.Edit();
            t.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Eva"));
            t.Post();
            if (!fuera) e->Commit();
        });
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(filasDe(c.general(), QStringLiteral("SELECT Nombre FROM %1.LISTPRU").arg(emp)),
                 QStringLiteral("Eva"));
        QCOMPARE(c.estado(), preparado);
        return;
    }
    if (caso.startsWith(QLatin1String("materialised")))
        externa(
            QStringLiteral("CREATE MATERIALIZED VIEW %EMP%.CALENDAR AS SELECT Codigo, DATE "
                           "'2026-06-01' AS Fecha FROM %GEN%.EMPRESA"));
    else if (listpru)
        externa(
            QStringLiteral("CREATE VIEW %EMP%.LISTPRU WITH (security_invoker = true) AS SELECT "
                           "Codigo, Nombre, 0::float AS Importe FROM %GEN%.EMPRESA"));
    else if (caso.startsWith(QLatin1String("deleted")))
        externa(
            QStringLiteral("CREATE VIEW %EMP%.CALENDAR AS SELECT Codigo, CAST('2026-06-01' AS "
                           "date) AS Fecha FROM %GEN%.EMPRESA"));
    else
        externa(QStringLiteral("CREATE VIEW %EMP%.CALENDAR AS SELECT * FROM %OTRA%.CALENDAR"));
    externa(QStringLiteral("GRANT ALL ON %EMP%.") + tabla + QStringLiteral(" TO PUBLIC"));
    // The objects as moved and made here; the rows (users, companies) as
    // they were.
    const QString preparado = c.estado();
    QCOMPARE(preparado.section(QStringLiteral(" / "), 0, 1),
             inicial.section(QStringLiteral(" / "), 0, 1));
    QString error;
    bool vivo = false;
    if (listpru) {
        // Read, never written back.
        TQuery q;
        q.setDatabaseName(QStringLiteral("Database"));
        q.setUserStatement(true);
        q.SQL().setText(QStringLiteral("SELECT Codigo, Nombre FROM LISTPRU ORDER BY 1"));
        q.Open();
        vivo = q.CanModify();
        error = ErrorText([&] {
            q.Edit();
            q.Fields()[1]->setAsString(QStringLiteral("HACKED"));
            q.Post();
        });
    } else {
        if (caso.startsWith(QLatin1String("deleted")) || caso.startsWith(QLatin1String("mat")))
            error = ErrorText([&] {
                e->Execute(
                    QStringLiteral(
                        "DELETE FROM CALENDAR WHERE Codigo = ? AND Fecha >= ? AND Fecha <= ?"),
                    {1, QDate(2026, 1, 1), QDate(2026, 12, 31)});
            });
        else
            error = ProgramWriteError(e, caso, QStringLiteral("CALENDAR"));
    }
    QCOMPARE(c.estado(), preparado);
    QCOMPARE(filasDe(c.general(), QStringLiteral("SELECT * FROM %1.CALENDAR").arg(otra)),
             otraInicial);
    QCOMPARE(filasDe(c.general(), QStringLiteral("SELECT COUNT(*) FROM %1.antes").arg(emp)),
             QStringLiteral("2"));
    // Read only; else told why, naming the table and what stands in its place.
    QVERIFY(!vivo);
    if (listpru)
        QVERIFY(!error.isEmpty());
    else
        QVERIFY2(error.contains(QLatin1String("CALENDAR")) &&
                     error.contains(caso.startsWith(QLatin1String("mat"))
                                        ? QLatin1String("vista materializada")
                                        : QLatin1String("una vista")),
                 qPrintable(error));
}

// The same on the embedded engine, the object put in place from another
// connection on the database's file before this one resolves the name: no
// statement or table of the program reads or writes through it, the refusal
// names it and what it reads; once it is gone the program's table made
// again is used as usual.
void TestQuery::programTablesStayTablesLite_data() {
    QTest::addColumn<QString>("caso");
    QTest::addColumn<QString>("objeto");
    for (const char* caso :
         {"deleted by the program's text", "updated by a prepared statement", "table opened"}) {
        QTest::newRow(qPrintable(QStringLiteral("sqlite, view, ") + QLatin1String(caso)))
            << QString::fromLatin1(caso) << QStringLiteral("view");
        QTest::newRow(qPrintable(QStringLiteral("sqlite, virtual table, ") + QLatin1String(caso)))
            << QString::fromLatin1(caso) << QStringLiteral("virtual");
    }
    QTest::newRow("sqlite, view in the general database, table opened")
        << QStringLiteral("general") << QStringLiteral("view");
}

void TestQuery::programTablesStayTablesLite() {
    QFETCH(QString, caso);
    QFETCH(QString, objeto);
    ConGeneral c(Engine::Sqlite);
    TDatabase* e = c.empresa();
    e->Execute(QStringLiteral(
        "CREATE TABLE CALENDAR (Codigo int, Fecha date, PRIMARY KEY (Codigo, Fecha))"));
    e->Execute(QStringLiteral("INSERT INTO CALENDAR VALUES (1, '2026-06-01'), (1, '2026-06-02')"));
    SetProgramTableTest([](const QString& t) {
        return t.compare(QLatin1String("CALENDAR"), Qt::CaseInsensitive) == 0 ||
               t.compare(QLatin1String("EMPRESA"), Qt::CaseInsensitive) == 0;
    });
    const auto sinNombres = qScopeGuard([] { SetProgramTableTest(nullptr); });
    const bool general = caso == QLatin1String("general");
    const QString tabla = general ? QStringLiteral("EMPRESA") : QStringLiteral("CALENDAR");
    const QString archivo =
        (general ? c.general() : e)->Params().folder + QStringLiteral("/") + kDatabaseFileName;
    auto externa = [&](const QString& sql) {
        const QString nombre = QStringLiteral("fuera del programa");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
            db.setDatabaseName(archivo);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY2(q.exec(sql), qPrintable(q.lastError().text() + QStringLiteral(": ") + sql));
        }
        QSqlDatabase::removeDatabase(nombre);
    };
    externa(QStringLiteral("ALTER TABLE ") + tabla + QStringLiteral(" RENAME TO antes"));
    if (objeto == QLatin1String("virtual"))
        externa(QStringLiteral("CREATE VIRTUAL TABLE ") + tabla +
                QStringLiteral(" USING fts5(Codigo, Fecha)"));
    else
        externa(QStringLiteral("CREATE VIEW ") + tabla + QStringLiteral(" AS SELECT * FROM antes"));
    // (The general database's state is read through the program's
    // connections, refused as well where the view stands.)
    const QString preparado = general ? QString() : c.estado();
    QString error;
    if (caso.startsWith(QLatin1String("deleted")))
        error = ErrorText(
            [&] { e->Execute(QStringLiteral("DELETE FROM CALENDAR WHERE Codigo = ?"), {1}); });
    else
        error = ProgramWriteError(e, caso, tabla);
    if (!general) QCOMPARE(c.estado(), preparado);
    QVERIFY2(error.startsWith(QStringLiteral("¡ En lugar de la tabla ") + tabla +
                              QStringLiteral(" del programa hay ") +
                              (objeto == QLatin1String("view")
                                   ? QStringLiteral("una vista en la Base de Datos, que lee la "
                                                    "tabla antes !.")
                                   : QStringLiteral("una tabla virtual en la Base de Datos !."))),
             qPrintable(error));
    // Gone, and the table back: used as before.
    externa((objeto == QLatin1String("view") ? QStringLiteral("DROP VIEW ")
                                             : QStringLiteral("DROP TABLE ")) +
            tabla);
    externa(QStringLiteral("ALTER TABLE antes RENAME TO ") + tabla);
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(tabla);
    t.Open();
    QVERIFY(!t.IsEmpty());
}

// A server whose database reads a backslash in a text as an escape (an
// older installation's default) is told to read it as a letter on every
// connection: the program's quoted values and a user's statement checked
// by the parser stay the texts they were.
void TestQuery::standardStrings() {
    if (!AvailableEngines().contains(Engine::Postgres)) QSKIP("Sin servidor PostgreSQL");
    try {
        standardStringsOn();
    } catch (const EDatabaseError& e) {
        QFAIL(qPrintable(e.Message() + QLatin1Char(' ') + e.detail()));
    }
}

void TestQuery::standardStringsOn() {
    TConnectionParams p = PostgresServerParams();
    const QString base = schemaUnico("antigua");
    auto servidor = [s = PostgresServerParams()](const QString& sql) { RunOutside(s, sql); };
    servidor(QStringLiteral("CREATE DATABASE ") + base);
    servidor(QStringLiteral("ALTER DATABASE %1 SET standard_conforming_strings = off").arg(base));
    const auto borrar = qScopeGuard(
        [&] { servidor(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(base)); });
    p.database = base;
    p.schema = QStringLiteral("emp");
    TDatabase::CreateDatabase(p);
    TDatabase db;
    db.setDatabaseName(QStringLiteral("Database"));
    db.Params() = p;
    db.Open();
    TSession::instance().AddDatabase(&db);
    createPrueba(&db);
    QCOMPARE(db.Scalar(QStringLiteral("SHOW standard_conforming_strings")).toString(),
             QStringLiteral("on"));
    TDatabase otra;
    otra.setDatabaseName(QStringLiteral("Otra"));
    otra.Params() = p;
    otra.Open();
    const QString pid = otra.Scalar(QStringLiteral("SELECT pg_backend_pid()")).toString();
    // A value typed into a field, quoted by the program.
    const QString valor = QStringLiteral("a\\'); DELETE FROM PRUEBA; --");
    db.Execute(QStringLiteral("UPDATE PRUEBA SET Nombre = ") +
               db.dialect().quoteString(valor.left(20)) + QStringLiteral(" WHERE Codigo = 1"));
    QCOMPARE(otra.Scalar(QStringLiteral("SELECT Nombre FROM PRUEBA WHERE Codigo = 1")).toString(),
             valor.left(20));
    QCOMPARE(otra.Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA")).toInt(), 3);
    // A user's statement: one text for the parser, and for the server too.
    TQuery q;
    q.setDatabaseName(QStringLiteral("Database"));
    q.setUserStatement(true);
    q.SQL().setText(
        QStringLiteral("SELECT 'a\\' AS x, ' , pg_terminate_backend(%1) AS k --'").arg(pid));
    q.Open();
    QCOMPARE(q.Fields()[0]->AsString(), QStringLiteral("a\\"));
    q.Close();
    QCOMPARE(otra.Scalar(QStringLiteral("SELECT 1")).toInt(), 1);
    // Reset after a statement, the users' connection reads texts the same way.
    q.SQL().setText(QStringLiteral("SELECT 'b\\' AS x"));
    q.Open();
    QCOMPARE(q.Fields()[0]->AsString(), QStringLiteral("b\\"));
    q.Close();
    TSession::instance().RemoveDatabase(&db);
}

// A statement counts as a query when the engine says it returns rows and
// writes nothing, whatever its first word.
void TestQuery::queryOrAction_data() {
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("consulta");  // 1 query, 0 action, -1 the engine cannot read it
    QTest::addColumn<int>("veces");     // asked again and again in one program
    struct Caso {
        const char* tag;
        const char* sql;
        int consulta;
        int motor;
        int veces = 1;
    };
    const Caso casos[] = {
        {"select", "SELECT * FROM PRUEBA", 1, -1},
        {"with before a select", "WITH t AS (SELECT Codigo FROM PRUEBA) SELECT * FROM t", 1, -1},
        {"values", "VALUES (1), (2)", 1, -1},
        {"parenthesised select", "(SELECT Codigo FROM PRUEBA)", 1, int(Engine::Postgres)},
        {"comment first", "/* informe */ SELECT 1", 1, -1},
        {"parameter", "SELECT * FROM PRUEBA WHERE Codigo = :Codigo", 1, -1},
        {"table", "TABLE PRUEBA", 1, int(Engine::Postgres)},
        {"pragma that reads", "PRAGMA table_info(PRUEBA)", 1, int(Engine::Sqlite)},
        {"update", "UPDATE PRUEBA SET Nombre = 'x'", 0, -1},
        {"update with a parameter", "UPDATE PRUEBA SET Nombre = :Nombre", 0, -1},
        {"insert returning", "INSERT INTO PRUEBA (Codigo) VALUES (9) RETURNING Codigo", 0, -1},
        {"delete in a with", "WITH d AS (DELETE FROM PRUEBA RETURNING 1) SELECT COUNT(*) FROM d", 0,
         int(Engine::Postgres)},
        {"with before a delete", "WITH x AS (SELECT 1) DELETE FROM PRUEBA", 0, -1},
        {"select into", "SELECT * INTO COPIA FROM PRUEBA", 0, int(Engine::Postgres)},
        {"create", "CREATE TABLE T2 (a int)", 0, -1},
        {"syntax", "SELEC 1", -1, -1},
        // More statements than the process has thread keys.
        {"asked 1,500 times", "SELECT * FROM PRUEBA WHERE Codigo = :Codigo", 1, -1, 1500},
    };
    for (Engine e : AvailableEngines())
        for (const Caso& c : casos)
            if (c.motor < 0 || c.motor == int(e))
                QTest::newRow(qPrintable(EngineTag(e) + QLatin1Char(' ') + QLatin1String(c.tag)))
                    << int(e) << QString::fromUtf8(c.sql) << c.consulta << c.veces;
}

void TestQuery::queryOrAction() {
    QFETCH(int, engine);
    QFETCH(QString, sql);
    QFETCH(int, consulta);
    QFETCH(int, veces);
    TestDatabase tdb{Engine(engine)};
    createPrueba(tdb.db());
    for (int i = 0; i < veces; ++i) {
        const std::optional<bool> es = tdb.db()->IsUserQuery(sql);
        QCOMPARE(es ? int(*es) : -1, consulta);
    }
    // The libraries that make a thread key on first use (GLib's event loop
    // among them) end the program when none is left.
    pthread_key_t clave;
    QCOMPARE(pthread_key_create(&clave, nullptr), 0);
    pthread_key_delete(clave);
    QCOMPARE(tdb.db()->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA")).toInt(), 3);
}

// A table the program tells a user may only read (the saved reports and
// queries, for one who is not an administrator): every statement that
// writes, alters, drops or stands something on it is refused naming it,
// whatever it calls the table (quoted, lower case, qualified, in a WITH,
// through a view of the user's), and its result is not written back; the
// rows stay for every other session. Told nothing, the same statements run;
// a user's own table whose quoted name differs is no such table.
void TestQuery::writeProtectedTables_data() {
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("login");
    for (Engine e : AvailableEngines())
        for (const QString& login :
             e == Engine::Postgres ? PostgresLogins() : QStringList{QString()})
            QTest::newRow(qPrintable(EngineTag(e) + LoginTag(login))) << int(e) << login;
}

void TestQuery::writeProtectedTables() {
    QFETCH(int, engine);
    QFETCH(QString, login);
    const Engine motor = Engine(engine);
    ComoLogin como(login);
    TestDatabase tdb{motor};
    como.comprobar(tdb.db());
    createPrueba(tdb.db());
    std::unique_ptr<TDatabase> otra = tdb.openSecondSession(QStringLiteral("Otra"));
    const QString filas =
        QStringLiteral("SELECT string_agg(Nombre, ',' ORDER BY Codigo) FROM PRUEBA");
    const QString lectura = motor == Engine::Sqlite
                                ? QStringLiteral(
                                      "SELECT group_concat(Nombre, ',') FROM (SELECT "
                                      "Nombre FROM PRUEBA ORDER BY Codigo)")
                                : filas;
    const QString antes = otra->Scalar(lectura).toString();
    QStringList sentencias{QStringLiteral("UPDATE PRUEBA SET Nombre = 'x'"),
                           QStringLiteral("update \"prueba\" set Nombre = 'x'"),
                           QStringLiteral("DELETE FROM Prueba WHERE Codigo = 1"),
                           QStringLiteral("INSERT INTO PRUEBA (Codigo, Nombre) VALUES (9, 'x')"),
                           QStringLiteral("ALTER TABLE PRUEBA ADD COLUMN Z INTEGER"),
                           QStringLiteral("CREATE INDEX PRUEBA_Z ON PRUEBA (Nombre)"),
                           QStringLiteral("DROP TABLE PRUEBA")};
    if (motor == Engine::Sqlite) {
        sentencias << QStringLiteral("UPDATE main.[PRUEBA] SET Nombre = 'x'")
                   << QStringLiteral("WITH t AS (SELECT 1) DELETE FROM PRUEBA")
                   << QStringLiteral("REPLACE INTO PRUEBA (Codigo, Nombre) VALUES (1, 'x')");
    } else {
        sentencias << QStringLiteral("UPDATE %1.prueba SET Nombre = 'x'").arg(tdb.location())
                   << QStringLiteral(
                          "WITH t AS (UPDATE PRUEBA SET Nombre = 'x' RETURNING 1) "
                          "SELECT COUNT(*) FROM t")
                   << QStringLiteral("TRUNCATE PRUEBA")
                   << QStringLiteral("CREATE TABLE HIJA () INHERITS (PRUEBA)")
                   << QStringLiteral("CREATE TABLE REFIERE (c int REFERENCES PRUEBA (Codigo))")
                   << QStringLiteral("ALTER TABLE PRUEBA RENAME TO APARTADA")
                   << QStringLiteral("CREATE VIEW VP AS SELECT * FROM PRUEBA")
                   << QStringLiteral("UPDATE VP SET Nombre = 'x'")
                   << QStringLiteral("CREATE VIEW VVP AS SELECT * FROM VP")
                   << QStringLiteral("DELETE FROM VVP")
                   << QStringLiteral("CREATE TABLE \"PRUEBA\" (a int)")
                   << QStringLiteral("INSERT INTO \"PRUEBA\" VALUES (1)");
    }
    auto ejecutar = [&](const QString& sql) {
        return ErrorText([&] {
            TQuery q;
            q.setDatabaseName(QStringLiteral("Database"));
            q.setUserStatement(true);
            q.SQL().setText(sql);
            q.ExecSQL();
        });
    };
    auto viva = [&] {
        TQuery q;
        q.setDatabaseName(QStringLiteral("Database"));
        q.setUserStatement(true);
        q.setRequestLive(true);
        q.SQL().setText(QStringLiteral("SELECT * FROM PRUEBA"));
        q.Open();
        return q.CanModify();
    };
    {
        SetWriteProtectedTables([] { return QStringList{QStringLiteral("PRUEBA")}; });
        const auto restaurar = qScopeGuard([] { SetWriteProtectedTables(nullptr); });
        for (const QString& sql : std::as_const(sentencias)) {
            const bool propia = sql.contains(QLatin1String("CREATE VIEW")) ||
                                sql.contains(QLatin1String("\"PRUEBA\""));
            QCOMPARE(ejecutar(sql),
                     propia ? QString() : ProtectedTableReason(QStringLiteral("PRUEBA")));
        }
        QVERIFY(!viva());
        QCOMPARE(otra->Scalar(lectura).toString(), antes);
    }
    // Told nothing, the same statements run.
    QCOMPARE(ejecutar(sentencias.first()), QString());
    QCOMPARE(otra->Scalar(lectura).toString(), QStringLiteral("x,x,x"));
    QVERIFY(viva());
}

QTEST_MAIN(TestQuery)
#include "tst_query.moc"
