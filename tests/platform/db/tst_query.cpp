// TQuery on every engine: parameters, result types, live and read-only
// results, other sessions' changes, and the errors callers see.

#include <QtTest>

#include "db/database.h"
#include "db/dberror.h"
#include "db/dialect.h"
#include "db/query.h"
#include "db/sqllexis.h"
#include "db/sysutils.h"
#include "db/tablecursor.h"
#include "platform/db/dbtest.h"
#include "support/dbfixture.h"

namespace {

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

}  // namespace

class TestQuery : public QObject {
    Q_OBJECT
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
    void reachingNames_data();
    void reachingNames();
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
    QVERIFY(IsIntegerType(q.FieldByName(QStringLiteral("Total"))->DataType()));
    QCOMPARE(q.FieldByName(QStringLiteral("Total"))->AsInteger(), 3);
    QCOMPARE(q.FieldByName(QStringLiteral("Ultima"))->AsString(), QStringLiteral("05/03/2024"));
    QCOMPARE(q.FieldByName(QStringLiteral("Mayor"))->AsString(), QStringLiteral("Bea"));

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
    QCOMPARE(ErrorText([&] { q.ExecSQL(); }), QStringLiteral("No value for parameter 'Importe'"));
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
    QCOMPARE(ErrorText([&] { q.Open(); }), QStringLiteral("No value for parameter 'x'"));
    q.Params().Clear();
    QCOMPARE(q.ParamCount(), 0);
    QVERIFY(ErrorText([&] { q.Open(); }) != QStringLiteral("No value for parameter 'x'"));
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

    // Read in pieces: the read-only transaction lasts while rows are pending
    // (on PostgreSQL on the connection for users' statements, which the
    // program's own statements never wait for) and ends when they are read.
    TDatabase* usuarios = db->UserStatements();
    QCOMPARE(usuarios != db, pg);
    q.SQL().setText(QStringLiteral("SELECT Codigo FROM PRUEBA ORDER BY Codigo"));
    q.setPacketRecords(1);
    q.Open();
    QCOMPARE(usuarios->InReadOnly(), pg);
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
    // A query that would write is refused as a query, also while the
    // session's transaction runs, which stays the session's to confirm.
    db->Execute(QStringLiteral("CREATE SEQUENCE prueba_sec"));
    q.SQL().setText(QStringLiteral("SELECT nextval('prueba_sec') AS N"));
    QVERIFY(ErrorText([&] { q.Open(); }).contains(QLatin1String("read-only")));
    db->StartTransaction();
    QVERIFY(ErrorText([&] { q.Open(); }).contains(QLatin1String("read-only")));
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
        q.Open();
        q.Close();
    }
    for (const char* sql : {"SET search_path = pg_catalog", "BEGIN"}) {
        q.SQL().setText(QString::fromLatin1(sql));
        q.ExecSQL();
    }
    QVERIFY(otra.Scalar(QStringLiteral("SELECT pg_try_advisory_lock(77)")).toBool());
    QVERIFY(!otra.TryLockRecord(QStringLiteral("PRUEBA"), QStringLiteral("1")));
    QCOMPARE(filas(), 4);
    q.SQL().setText(QStringLiteral("UPDATE PRUEBA SET Nombre = 'Flor' WHERE Codigo = 4"));
    q.ExecSQL();
    QCOMPARE(otra.Scalar(QStringLiteral("SELECT Nombre FROM PRUEBA WHERE Codigo = 4")).toString(),
             QStringLiteral("Flor"));
    db->UnlockRecord(QStringLiteral("PRUEBA"), QStringLiteral("1"));
}

// On PostgreSQL a user's statement naming a function or command whose
// effect reaches beyond its own result is refused before it runs, however
// the name is written; the same words in texts and comments, and commands
// that only share a word with them, run.
void TestQuery::reachingNames_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("name");
    QTest::newRow("qualified") << "SELECT pg_catalog.Pg_Cancel_Backend(0)"
                               << "pg_cancel_backend";
    QTest::newRow("quoted") << "SELECT \"pg_terminate_backend\"(0)"
                            << "pg_terminate_backend";
    QTest::newRow("unicode") << "SELECT U&\"\\0070g_reload_conf\"()"
                             << "pg_reload_conf";
    QTest::newRow("uescape") << "SELECT U&\"!0070g_read_file\" UESCAPE '!' ('x')"
                             << "pg_read_file";
    QTest::newRow("large object") << "SELECT lo_import('/etc/passwd')"
                                  << "lo_import";
    QTest::newRow("dblink") << "SELECT * FROM dblink_exec('x', 'y')"
                            << "dblink_exec";
    QTest::newRow("query text") << "SELECT query_to_xml('SELECT 1', true, false, '')"
                                << "query_to_xml";
    QTest::newRow("directory") << "SELECT pg_ls_dir('.')"
                               << "pg_ls_dir";
    QTest::newRow("anonymous code") << "DO $$ BEGIN NULL; END $$"
                                    << "do";
    QTest::newRow("server file") << "COPY PRUEBA TO '/tmp/prueba.txt'"
                                 << "copy";
    QTest::newRow("function") << "CREATE FUNCTION f() RETURNS int AS 'SELECT 1' LANGUAGE sql"
                              << "function";
    QTest::newRow("server settings") << "ALTER SYSTEM SET work_mem = '8MB'"
                                     << "alter system";
    QTest::newRow("every session's settings")
        << "ALTER ROLE CURRENT_USER SET application_name = 'x'"
        << "alter role";
    QTest::newRow("in a text") << "SELECT 'pg_terminate_backend(0)' AS T"
                               << "";
    QTest::newRow("in a dollar text") << "SELECT $$pg_read_file$$ AS T"
                                      << "";
    QTest::newRow("in a comment") << "SELECT 1 AS T -- pg_cancel_backend(0)"
                                  << "";
    QTest::newRow("on conflict do") << "INSERT INTO PRUEBA (Codigo) VALUES (1) ON CONFLICT DO "
                                       "NOTHING"
                                    << "";
}

void TestQuery::reachingNames() {
    QFETCH(QString, sql);
    QFETCH(QString, name);
    QCOMPARE(SqlReachingName(sql), name);
    if (!AvailableEngines().contains(Engine::Postgres)) return;
    TestDatabase tdb(Engine::Postgres);
    createPrueba(tdb.db());
    TQuery q;
    q.setDatabaseName(QStringLiteral("Database"));
    q.setUserStatement(true);
    q.SQL().setText(sql);
    const QString error = ErrorText([&] { q.ExecSQL(); });
    QCOMPARE(error.isEmpty() ? QString() : error,
             name.isEmpty() ? QString() : ReachingNameReason(name));
}

QTEST_MAIN(TestQuery)
#include "tst_query.moc"
