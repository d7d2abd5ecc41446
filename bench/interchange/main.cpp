// Code interchange benchmark: one employee holding 200,000 rows over the
// tables that store an employee's code and its attachments, renumbered to a
// free code through the interchange window, on a temporary installation on
// SQLite and, beside scripts/with-postgres, on PostgreSQL. Line printed per
// engine:
//   interchange renumber_200k ours=<s> raw=<s> ratio=<ours/raw> (<engine>)
//     the window's "&Conforme" on one pair against the same UPDATE
//     statements sent through QSqlQuery in one transaction.
//   interchange merge_200k ours=<s> raw=<s> ratio=<ours/raw> (<engine>)
//     the same 200,000 rows of an employee merged into another who holds
//     the keys of half of them (position lines that take the destination's
//     next numbers, calendar days that yield to the destination's), against
//     plain UPDATE and DELETE statements with the new numbers computed by
//     hand, in one transaction.

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "db/database.h"
#include "db/fieldtypes.h"
#include "db/table.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "nomina/nomiiope.h"
#include "nomina/nomimodu.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_interchange: %s\n", qPrintable(what));
    std::exit(1);
}

constexpr int kRows = 200000;

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

// Where the code is rewritten, in the window's order; the master step and
// the attachments follow.
struct Place {
    const char* table;
    const char* column;
    bool own;  // only the personnel file's rows
};
constexpr Place kPlaces[] = {
    {"ATRASOS", "CodigoOperario", false},
    {"BAJA", "CodigoOperario", false},
    {"CALENOPE", "CodigoOperario", false},
    {"CONCOPER", "CodigoOperario", false},
    {"HBONIFIC", "CodigoOperario", false},
    {"HCONTRAT", "CodigoOperario", false},
    {"HFORMACI", "CodigoOperario", true},
    {"HPUESTO", "CodigoOperario", true},
    {"LBONIFIC", "CodigoOperario", false},
    {"LCOTIZAC", "CodigoOperario", false},
    {"LNOMINA", "CodigoOperario", false},
    {"EVLCION", "CodigoOperario", false},
    {"EVLCION", "CodigoOperarioEvaluador", false},
    {"LEVLCION", "CodigoOperario", false},
    {"MATRCAPA", "CodigoOperario", false},
    {"MATRMAQU", "CodigoOperario", false},
    {"NOMINA", "CodigoOperario", false},
    {"PLANFORM", "CodigoOperario", false},
    {"PERSONAL", "CodigoOperario", false},
    {"DOCUTRON", "ClaveTabla", true},
    {"GRANTAB", "ClaveTabla", true},
    {"CONTACTO", "CodigoTabla", true},
    {"BLOBTAB", "ClaveTabla", true},
};

bool codeColumn(const QString& table, const QString& column) {
    for (const Place& p : kPlaces)
        if (table == QLatin1String(p.table) &&
            column.compare(QLatin1String(p.column), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Rows of employee 1 in every table but PERSONAL (EVLCION holds the code in
// both its columns), each table a share of kRows, every column filled.
void fillData(TDatabase* db) {
    QStringList tables;
    for (const Place& p : kPlaces)
        if (!tables.contains(QLatin1String(p.table))) tables << QLatin1String(p.table);
    tables.removeAll(QStringLiteral("PERSONAL"));
    const int perTable = kRows / int(tables.size());
    db->StartTransaction();
    db->Execute(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (1, 'ANA')"));
    db->Commit();
    for (const QString& table : tables) {
        TTable t;
        t.setTableName(table);
        // A table the dictionary lacks gets the code column and a line.
        try {
            AbrirTabla(fGENEINIC, &t);
        } catch (const std::exception&) {
        }
        db->InvalidateCatalog();
        if (!db->TableExists(table))
            db->Execute(QStringLiteral("CREATE TABLE ") + table +
                        QStringLiteral(" (CodigoOperario INTEGER NOT NULL, Linea INTEGER NOT "
                                       "NULL, PRIMARY KEY (CodigoOperario, Linea))"));
        const TFieldDefs columns = db->ColumnDefs(table);
        QStringList names, marks;
        for (const TFieldDef& d : columns) {
            names << d.Name;
            marks << QStringLiteral("?");
        }
        db->StartTransaction();
        QSqlQuery& insert =
            db->Prepared(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") +
                         names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                         marks.join(QStringLiteral(", ")) + QLatin1Char(')'));
        for (int i = 1; i <= perTable; ++i) {
            for (int k = 0; k < columns.size(); ++k) {
                const TFieldDef& d = columns[k];
                QVariant v;
                if (codeColumn(table, d.Name))
                    v = IsStringType(d.DataType) ? QVariant(QStringLiteral("1")) : QVariant(1);
                else if (d.Name.compare(QLatin1String("NombreTabla"), Qt::CaseInsensitive) == 0)
                    v = QStringLiteral("PERSONAL");
                else if (d.DataType == ftDateTime || d.DataType == ftDate)
                    v = QString(QDate(2000, 1, 1).addDays(i).toString(Qt::ISODate) +
                                QStringLiteral("T00:00:00"));
                else if (d.DataType == ftBlob || d.DataType == ftGraphic)
                    v = QVariant(QMetaType::fromType<QByteArray>());
                else if (IsStringType(d.DataType))
                    v = d.Size > 0 ? QString::number(i).right(d.Size) : QString::number(i);
                else if (d.DataType == ftBoolean)
                    v = true;
                else
                    v = i;
                insert.bindValue(k, v);
            }
            db->Run(insert);
        }
        db->Commit();
    }
}

// The same statements as the window sends, in one transaction.
void rawRenumber(TDatabase* db, int from, int to) {
    db->connection().transaction();
    QSqlQuery q(db->connection());
    for (const Place& p : kPlaces) {
        const bool text = QLatin1String(p.column) == QLatin1String("ClaveTabla") ||
                          QLatin1String(p.column) == QLatin1String("CodigoTabla");
        QString sql = QStringLiteral("UPDATE ") + QLatin1String(p.table) + QStringLiteral(" SET ") +
                      QLatin1String(p.column) + QStringLiteral(" = ? WHERE ") +
                      QLatin1String(p.column) + QStringLiteral(" = ?");
        if (p.own) sql += QStringLiteral(" AND (NombreTabla = 'PERSONAL')");
        if (!q.prepare(sql)) fail(QStringLiteral("raw prepare failed: ") + sql);
        q.addBindValue(text ? QVariant(QString::number(to)) : QVariant(to));
        q.addBindValue(text ? QVariant(QString::number(from)) : QVariant(from));
        if (!q.exec()) fail(QStringLiteral("raw update failed: ") + sql);
    }
    db->connection().commit();
}

int rowsOf(TDatabase* db, int code) {
    int n = 0;
    for (const Place& p : kPlaces) {
        const bool text = QLatin1String(p.column) == QLatin1String("ClaveTabla") ||
                          QLatin1String(p.column) == QLatin1String("CodigoTabla");
        n += db->Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(p.table) +
                            QStringLiteral(" WHERE ") + QLatin1String(p.column) +
                            QStringLiteral(" = ?"),
                        {text ? QVariant(QString::number(code)) : QVariant(code)})
                 .toInt();
    }
    return n;
}

void run(Engine engine) {
    // A company installation as the program's own suites make it.
    EmpresaPrueba company(engine);
    TDatabase* db = fGENEINIC->Database;
    fillData(db);
    const int expected = rowsOf(db, 1);
    if (expected < kRows) fail(QStringLiteral("only %1 rows were written").arg(expected));

    RegistrarTfNOMIIOPE();
    auto* form = qobject_cast<TfNOMIIOPE*>(CreateForm(QStringLiteral("TfNOMIIOPE")));
    if (!form) fail("the interchange window was not created");

    // The best of two rounds of each side, taken in turns: the window moves
    // employee 1 to 2, the statements move it back.
    double ours = 1e9, raw = 1e9;
    QElapsedTimer clock;
    for (int round = 0; round < 2; ++round) {
        form->Inicializartabladeequivalencias1Click(nullptr);
        form->AgregarPar(QStringLiteral("1"), QStringLiteral("2"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        clock.restart();
        form->pbConformeClick(nullptr);
        ours = std::min(ours, seconds(clock));
        if (!form->Incidencias.isEmpty()) fail(form->Incidencias.join(QLatin1Char(' ')));
        if (rowsOf(db, 2) != expected || rowsOf(db, 1) != 0)
            fail(QStringLiteral("the window moved %1 rows").arg(rowsOf(db, 2)));

        clock.restart();
        rawRenumber(db, 2, 1);
        raw = std::min(raw, seconds(clock));
        if (rowsOf(db, 1) != expected)
            fail(QStringLiteral("the statements moved %1 rows").arg(rowsOf(db, 1)));
    }
    delete form;
    std::printf("interchange renumber_200k ours=%.4f raw=%.4f ratio=%.2f (%s)\n", ours, raw,
                raw > 0 ? ours / raw : 0.0, engine == Engine::Postgres ? "PostgreSQL" : "SQLite");
    std::fflush(stdout);
}

// Employee From holds lines 1..kRows/2 of HPUESTO and kRows/2 calendar
// days; employee To holds the first half of each.
void fillMerge(TDatabase* db) {
    for (const char* t : {"HPUESTO", "CALENOPE", "PERSONAL"}) {
        TTable table;
        table.setTableName(QLatin1String(t));
        AbrirTabla(fGENEINIC, &table);
        table.Close();
        db->Execute(QStringLiteral("DELETE FROM ") + QLatin1String(t));
    }
    const int half = kRows / 2;
    db->StartTransaction();
    db->Execute(QStringLiteral(
        "INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (1, 'ANA'), (2, 'LUIS')"));
    QSqlQuery& line = db->Prepared(QStringLiteral(
        "INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, CodigoPuesto) VALUES "
        "('PERSONAL', ?, ?, 'PT1')"));
    QSqlQuery& day = db->Prepared(
        QStringLiteral("INSERT INTO CALENOPE (CodigoOperario, Fecha, EsDiaTrabajado) VALUES (?, ?, "
                       "'SI')"));
    for (int employee : {1, 2})
        for (int i = 1; i <= (employee == 1 ? half : half / 2); ++i) {
            line.bindValue(0, employee);
            line.bindValue(1, i);
            db->Run(line);
            day.bindValue(0, employee);
            day.bindValue(1, QString(QDate(1800, 1, 1).addDays(i).toString(Qt::ISODate) +
                                     QStringLiteral("T00:00:00")));
            db->Run(day);
        }
    db->Commit();
}

void rawMerge(TDatabase* db) {
    const int half = kRows / 2;
    const QString cut =
        QDate(1800, 1, 1).addDays(half / 2).toString(Qt::ISODate) + QStringLiteral("T00:00:00");
    db->connection().transaction();
    QSqlQuery q(db->connection());
    const QStringList statements = {
        QStringLiteral("UPDATE HPUESTO SET CodigoOperario = 2, Linea = Linea + %1 WHERE "
                       "NombreTabla = 'PERSONAL' AND CodigoOperario = 1 AND Linea <= %2")
            .arg(half)
            .arg(half / 2),
        QStringLiteral("UPDATE HPUESTO SET CodigoOperario = 2 WHERE NombreTabla = 'PERSONAL' AND "
                       "CodigoOperario = 1"),
        QStringLiteral("DELETE FROM CALENOPE WHERE CodigoOperario = 1 AND Fecha <= '%1'").arg(cut),
        QStringLiteral("UPDATE CALENOPE SET CodigoOperario = 2 WHERE CodigoOperario = 1"),
        QStringLiteral("DELETE FROM PERSONAL WHERE CodigoOperario = 1"),
    };
    for (const QString& sql : statements)
        if (!q.exec(sql)) fail(QStringLiteral("raw merge failed: ") + sql);
    db->connection().commit();
}

void checkMerge(TDatabase* db, const char* who) {
    const int half = kRows / 2;
    const int lines = db->Scalar(QStringLiteral("SELECT COUNT(*) FROM HPUESTO WHERE CodigoOperario "
                                                "= 2 AND Linea > %1")
                                     .arg(half))
                          .toInt();
    const int days =
        db->Scalar(QStringLiteral("SELECT COUNT(*) FROM CALENOPE WHERE CodigoOperario = 2"))
            .toInt();
    const int left =
        db->Scalar(QStringLiteral("SELECT COUNT(*) FROM HPUESTO WHERE CodigoOperario = 1"))
            .toInt() +
        db->Scalar(QStringLiteral("SELECT COUNT(*) FROM CALENOPE WHERE CodigoOperario = 1"))
            .toInt();
    if (lines != half / 2 || days != half || left != 0)
        fail(QStringLiteral("%1 merged wrong: %2 renumbered, %3 days, %4 left")
                 .arg(QLatin1String(who))
                 .arg(lines)
                 .arg(days)
                 .arg(left));
}

void merge(Engine engine) {
    EmpresaPrueba company(engine);
    TDatabase* db = fGENEINIC->Database;
    RegistrarTfNOMIIOPE();
    auto* form = qobject_cast<TfNOMIIOPE*>(CreateForm(QStringLiteral("TfNOMIIOPE")));
    if (!form) fail("the interchange window was not created");
    double ours = 1e9, raw = 1e9;
    QElapsedTimer clock;
    for (int round = 0; round < 2; ++round) {
        fillMerge(db);
        form->Inicializartabladeequivalencias1Click(nullptr);
        form->AgregarPar(QStringLiteral("1"), QStringLiteral("2"));
        // Yes to the destination, to the start; no to the incidences.
        for (const char* answer : {"SI", "SI", "NO"}) MessageSeam::enqueue(QLatin1String(answer));
        clock.restart();
        form->pbConformeClick(nullptr);
        ours = std::min(ours, seconds(clock));
        checkMerge(db, "the window");

        fillMerge(db);
        clock.restart();
        rawMerge(db);
        raw = std::min(raw, seconds(clock));
        checkMerge(db, "the statements");
    }
    delete form;
    std::printf("interchange merge_200k ours=%.4f raw=%.4f ratio=%.2f (%s)\n", ours, raw,
                raw > 0 ? ours / raw : 0.0, engine == Engine::Postgres ? "PostgreSQL" : "SQLite");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstalarServiciosFormulario();
    for (Engine engine : AvailableEngines()) {
        run(engine);
        merge(engine);
    }
    return 0;
}
