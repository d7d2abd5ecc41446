// Long runs of table writes inside one transaction, on every engine: a row
// the engine refuses costs that row alone, wherever it falls in a run, and
// what the datasets hold matches the table read back afterwards. On
// PostgreSQL these runs share savepoints, written again when a row fails.

#include <QSqlQuery>
#include <QTest>

#include "support/dbfixture.h"
#include "tabletestutil.h"

using namespace tabletest;

namespace {

const QString kRefused = QStringLiteral("rechazado");

// A text for row i that carries the values that were lost elsewhere: the
// separators of the texts values travel in, a line feed, letters outside
// Latin-1.
QString textOf(int i) {
    static const char* const kinds[] = {"a|b;c·d %1", "Łódź ✓ 中文 %1", "línea\nsegunda %1",
                                        "fila %1"};
    return QString::fromUtf8(kinds[i % 4]).arg(i);
}

// A trigger that refuses a row whose Texto is kRefused, on insert and update.
void refuseRows(TDatabase* db, const QString& table) {
    if (db->engine() == Engine::Sqlite) {
        for (const char* when : {"INSERT", "UPDATE"})
            db->Execute(QStringLiteral("CREATE TRIGGER rechazo_%1_%2 BEFORE %2 ON %1 WHEN "
                                       "NEW.Texto = '%3' BEGIN SELECT RAISE(ABORT, '%3'); END")
                            .arg(table, QLatin1String(when), kRefused));
        return;
    }
    db->Execute(QStringLiteral("CREATE OR REPLACE FUNCTION rechazo() RETURNS trigger AS $$ BEGIN "
                               "IF NEW.Texto = '%1' THEN RAISE EXCEPTION '%1'; END IF; RETURN "
                               "NEW; END $$ LANGUAGE plpgsql")
                    .arg(kRefused));
    db->Execute(QStringLiteral("CREATE TRIGGER rechazo BEFORE INSERT OR UPDATE ON %1 FOR EACH "
                               "ROW EXECUTE FUNCTION rechazo()")
                    .arg(table));
}

// Posts the current insert or edit; true when the engine refused it (the
// dataset then cancels it, as a caller that goes past the row does).
bool postOrCancel(TTable& t) {
    try {
        t.Post();
        return false;
    } catch (const EDatabaseError&) {
        t.Cancel();
        return true;
    }
}

// Table rows as "Codigo=Texto[/Nota]", by Codigo.
QStringList stored(TDatabase* db, const QString& table) {
    QSqlQuery q = db->Execute(QStringLiteral("SELECT Codigo, Texto, Nota FROM ") + table +
                              QStringLiteral(" ORDER BY Codigo"));
    QStringList out;
    while (q.next()) {
        QString r = q.value(0).toString() + u'=' + q.value(1).toString();
        if (!q.value(2).toString().isEmpty()) r += u'/' + q.value(2).toString();
        out << r;
    }
    return out;
}

TFieldDefs loteFields(TFieldType codigo) {
    return {TFieldDef{QStringLiteral("Codigo"), codigo, 0, false},
            TFieldDef{QStringLiteral("Texto"), ftString, 40, false},
            TFieldDef{QStringLiteral("Nota"), ftString, 20, false}};
}

}  // namespace

class TestTableWrites : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void failedRowCostsItself_data();
    void failedRowCostsItself();
    void updatesAndDeletesInARun_data() { AddEngineRows(); }
    void updatesAndDeletesInARun();
    void headerKeptWhenALineFails_data() { AddEngineRows(); }
    void headerKeptWhenALineFails();
    void rowsThatCannotBeWrittenAgain();
    void connectionLostInARun();
};

// Rows appended in one transaction; the refused ones are left out, every
// other row is stored with the values the dataset gave it.
void TestTableWrites::failedRowCostsItself_data() {
    QTest::addColumn<int>("engine");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("refused");
    // After this row a routine's own statement marks the rows so far.
    QTest::addColumn<int>("routineAfter");
    // Rows whose Codigo the engine numbers (read back), -1 in the list: none.
    QTest::addColumn<QList<int>>("generated");
    QTest::addColumn<bool>("keyless");  // rows known by the engine's row identity
    for (Engine e : AvailableEngines()) {
        NewEngineRow(e, "middle of a run") << 200 << QList<int>{100} << -1 << QList<int>{} << false;
        NewEngineRow(e, "first row") << 80 << QList<int>{0} << -1 << QList<int>{} << false;
        NewEngineRow(e, "last row of a batch")
            << 200 << QList<int>{63} << -1 << QList<int>{} << false;
        NewEngineRow(e, "first row of a batch")
            << 200 << QList<int>{64} << -1 << QList<int>{} << false;
        NewEngineRow(e, "several, one after another")
            << 300 << QList<int>{10, 11, 150, 299} << -1 << QList<int>{} << false;
        NewEngineRow(e, "after a long run")
            << 9000 << QList<int>{8500} << -1 << QList<int>{} << false;
        NewEngineRow(e, "after a routine's statement")
            << 150 << QList<int>{120} << 100 << QList<int>{} << false;
        NewEngineRow(e, "after a value read back")
            << 150 << QList<int>{90, 140} << -1 << QList<int>{70, 130} << false;
        NewEngineRow(e, "table without a key")
            << 150 << QList<int>{100} << -1 << QList<int>{} << true;
    }
}

void TestTableWrites::failedRowCostsItself() {
    QFETCH(int, rows);
    QFETCH(QList<int>, refused);
    QFETCH(int, routineAfter);
    QFETCH(QList<int>, generated);
    QFETCH(bool, keyless);
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    const QString table = QStringLiteral("LOTE");
    db->CreateTable(table, loteFields(generated.isEmpty() ? ftInteger : ftAutoInc),
                    keyless ? QStringList() : QStringList{QStringLiteral("Codigo")},
                    keyless ? QString() : QStringLiteral("LOTE_Clave1"));
    refuseRows(db, table);
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(table);
    t.Open();
    TField* codigo = t.FieldByName(QStringLiteral("Codigo"));
    TField* texto = t.FieldByName(QStringLiteral("Texto"));
    QStringList expected;
    const qint64 savepoints = db->SavepointsSent();
    db->StartTransaction();
    for (int i = 0; i < rows; ++i) {
        t.Append();
        const bool refuse = refused.contains(i);
        if (!generated.contains(i)) codigo->setValue(100000 + i);
        texto->setValue(refuse ? kRefused : textOf(i));
        QCOMPARE(postOrCancel(t), refuse);
        // What the dataset holds now is what the table must hold at the end.
        if (!refuse) expected << codigo->AsString() + u'=' + textOf(i);
        if (i == routineAfter) {
            db->Execute(QStringLiteral("UPDATE LOTE SET Nota = 'rutina'"));
            for (QString& e : expected) e += QStringLiteral("/rutina");
        }
    }
    db->Commit();
    QStringList got = stored(db, table);
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        return a.section(u'=', 0, 0).toLongLong() < b.section(u'=', 0, 0).toLongLong();
    });
    QCOMPARE(got.size(), expected.size());
    QCOMPARE(got, expected);
    // A long run opens few subtransactions.
    if (db->engine() == Engine::Postgres && generated.isEmpty() && !keyless)
        QVERIFY2(db->SavepointsSent() - savepoints <= (rows + 63) / 64 + 2 * refused.size() + 2,
                 qPrintable(QString::number(db->SavepointsSent() - savepoints)));
}

// Updates and deletes mixed in one transaction, one update refused: the
// others are stored, and the transaction goes on.
void TestTableWrites::updatesAndDeletesInARun() {
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    db->CreateTable(QStringLiteral("LOTE"), loteFields(ftInteger), {QStringLiteral("Codigo")},
                    QStringLiteral("LOTE_Clave1"));
    QList<QVariantList> initial;
    for (int i = 0; i < 200; ++i) initial << QVariantList{i, QStringLiteral("antes %1").arg(i)};
    insertRows(db, QStringLiteral("LOTE"), {"Codigo", "Texto"}, initial);
    refuseRows(db, QStringLiteral("LOTE"));
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(QStringLiteral("LOTE"));
    t.Open();
    TField* texto = t.FieldByName(QStringLiteral("Texto"));
    QStringList expected;
    db->StartTransaction();
    t.First();
    for (int i = 0; i < 200; ++i) {
        if (i % 50 == 49) {
            t.Delete();  // the next row becomes current
            continue;
        }
        t.Edit();
        const bool refuse = i == 130;
        texto->setValue(refuse ? kRefused : textOf(i));
        QCOMPARE(postOrCancel(t), refuse);
        expected << QString::number(i) + u'=' + (refuse ? QStringLiteral("antes 130") : textOf(i));
        t.Next();
    }
    db->Commit();
    QCOMPARE(stored(db, QStringLiteral("LOTE")), expected);
}

// A record and its lines saved together; a line the engine refuses costs
// that line: the record keeps its code, numbered by the engine, and the
// other lines are stored under it.
void TestTableWrites::headerKeptWhenALineFails() {
    TestDatabase tdb(CurrentEngine());
    TDatabase* db = tdb.db();
    db->CreateTable(QStringLiteral("CABECERA"), loteFields(ftAutoInc), {QStringLiteral("Codigo")},
                    QStringLiteral("CABECERA_Clave1"));
    db->CreateTable(QStringLiteral("LINEA"),
                    {TFieldDef{QStringLiteral("Cabecera"), ftInteger, 0, true},
                     TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, true},
                     TFieldDef{QStringLiteral("Texto"), ftString, 40, false},
                     TFieldDef{QStringLiteral("Nota"), ftString, 20, false}},
                    {QStringLiteral("Cabecera"), QStringLiteral("Codigo")},
                    QStringLiteral("LINEA_Clave1"));
    refuseRows(db, QStringLiteral("LINEA"));
    TTable cabecera, lineas;
    for (TTable* t : {&cabecera, &lineas}) t->setDatabaseName(QStringLiteral("Database"));
    cabecera.setTableName(QStringLiteral("CABECERA"));
    lineas.setTableName(QStringLiteral("LINEA"));
    cabecera.Open();
    lineas.Open();
    QStringList expected;
    db->StartTransaction();
    for (int h = 0; h < 3; ++h) {
        cabecera.Append();
        cabecera.FieldByName(QStringLiteral("Texto"))->setValue(textOf(h));
        cabecera.Post();
        const int code = cabecera.FieldByName(QStringLiteral("Codigo"))->AsInteger();
        QVERIFY(code > 0);
        for (int l = 0; l < 100; ++l) {
            lineas.Append();
            lineas.FieldByName(QStringLiteral("Cabecera"))->setValue(code);
            lineas.FieldByName(QStringLiteral("Codigo"))->setValue(l);
            const bool refuse = h == 1 && l == 70;
            lineas.FieldByName(QStringLiteral("Texto"))->setValue(refuse ? kRefused : textOf(l));
            QCOMPARE(postOrCancel(lineas), refuse);
            if (!refuse) expected << QStringLiteral("%1.%2").arg(code).arg(l);
        }
    }
    db->Commit();
    QCOMPARE(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM CABECERA")).toInt(), 3);
    QSqlQuery q = db->Execute(QStringLiteral(
        "SELECT L.Cabecera, L.Codigo FROM LINEA L JOIN CABECERA C ON C.Codigo = L.Cabecera "
        "ORDER BY L.Cabecera, L.Codigo"));
    QStringList got;
    while (q.next()) got << q.value(0).toString() + u'.' + q.value(1).toString();
    QCOMPARE(got, expected);
}

// PostgreSQL: when the rows before a refused one cannot be written again as
// they were, nothing of the transaction may be committed.
void TestTableWrites::rowsThatCannotBeWrittenAgain() {
    if (!AvailableEngines().contains(Engine::Postgres)) QSKIP("no PostgreSQL server");
    TestDatabase tdb(Engine::Postgres);
    TDatabase* db = tdb.db();
    db->CreateTable(QStringLiteral("LOTE"), loteFields(ftInteger), {QStringLiteral("Codigo")},
                    QStringLiteral("LOTE_Clave1"));
    refuseRows(db, QStringLiteral("LOTE"));
    // A row that goes in once: a sequence is not rolled back with the batch.
    db->Execute(QStringLiteral("CREATE SEQUENCE veces"));
    db->Execute(QStringLiteral(
        "CREATE OR REPLACE FUNCTION una_vez() RETURNS trigger AS $$ BEGIN IF NEW.Texto = "
        "'una vez' AND nextval('veces') > 1 THEN RAISE EXCEPTION 'otra vez'; END IF; RETURN NEW; "
        "END $$ LANGUAGE plpgsql"));
    db->Execute(QStringLiteral(
        "CREATE TRIGGER una_vez BEFORE INSERT ON LOTE FOR EACH ROW EXECUTE FUNCTION una_vez()"));
    insertRows(db, QStringLiteral("LOTE"), {"Codigo", "Texto"}, {{1, QStringLiteral("antes")}});
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(QStringLiteral("LOTE"));
    t.Open();
    auto append = [&](int code, const QString& text) {
        t.Append();
        t.FieldByName(QStringLiteral("Codigo"))->setValue(code);
        t.FieldByName(QStringLiteral("Texto"))->setValue(text);
        t.Post();
    };
    const QString broken =
        QStringLiteral("¡ La transacción no ha sido completada !. Inténtelo de nuevo.");
    db->StartTransaction();
    append(10, QStringLiteral("primera"));
    append(11, QStringLiteral("una vez"));
    append(12, QStringLiteral("tercera"));
    QVERIFY_DBERROR(append(13, kRefused), DbError::General, broken);
    t.Cancel();
    // Every later write and the commit say so; nothing of it is stored.
    QVERIFY_DBERROR(append(14, QStringLiteral("después")), DbError::General, broken);
    t.Cancel();
    QVERIFY_DBERROR(db->Execute(QStringLiteral("UPDATE LOTE SET Nota = 'x'")), DbError::General,
                    broken);
    QVERIFY_DBERROR(db->Commit(), DbError::General, broken);
    QVERIFY(!db->InTransaction());
    QCOMPARE(stored(db, QStringLiteral("LOTE")), QStringList{QStringLiteral("1=antes")});
    // The next transaction starts clean.
    db->Execute(QStringLiteral("DROP TRIGGER una_vez ON LOTE"));
    db->StartTransaction();
    append(20, QStringLiteral("nueva"));
    db->Commit();
    QCOMPARE(stored(db, QStringLiteral("LOTE")),
             QStringList({QStringLiteral("1=antes"), QStringLiteral("20=nueva")}));
}

// PostgreSQL: the server connection ends in the middle of a run: nothing of
// the transaction is stored, and the next one works on a new connection.
void TestTableWrites::connectionLostInARun() {
    if (!AvailableEngines().contains(Engine::Postgres)) QSKIP("no PostgreSQL server");
    TestDatabase tdb(Engine::Postgres);
    TDatabase* db = tdb.db();
    db->CreateTable(QStringLiteral("LOTE"), loteFields(ftInteger), {QStringLiteral("Codigo")},
                    QStringLiteral("LOTE_Clave1"));
    TTable t;
    t.setDatabaseName(QStringLiteral("Database"));
    t.setTableName(QStringLiteral("LOTE"));
    t.Open();
    auto append = [&](int code) {
        t.Append();
        t.FieldByName(QStringLiteral("Codigo"))->setValue(code);
        t.FieldByName(QStringLiteral("Texto"))->setValue(textOf(code));
        t.Post();
    };
    db->StartTransaction();
    for (int i = 0; i < 30; ++i) append(i);
    EndBackends({db});
    QCOMPARE(int(errorOf([&] { append(30); }).code()), int(DbError::ConnectionLost));
    t.Cancel();
    QCOMPARE(int(errorOf([&] { db->Commit(); }).code()), int(DbError::ConnectionLost));
    QCOMPARE(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM LOTE")).toInt(), 0);
    db->StartTransaction();
    for (int i = 40; i < 45; ++i) append(i);
    db->Commit();
    QCOMPARE(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM LOTE")).toInt(), 5);
}

QTEST_GUILESS_MAIN(TestTableWrites)
#include "tst_tablewrites.moc"
