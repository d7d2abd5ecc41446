// Capability-matrix benchmark: the position matrix of 1,000 employees with a
// contract in force by 50 positions, on a temporary SQLite installation.
// Lines printed:
//   matrix build_1000x50 ours=<s> raw=<s> ratio=<ours/raw>
//     the window's build of its sheet from a full matrix table against the
//     same reads (employees, contracts, positions, matrix) into a table
//     widget showing the same cells, titles and colours;
//   matrix save_1000x50 ours=<s> raw=<s> ratio=<ours/raw>
//     "&Grabar" of a full sheet into an empty matrix table against prepared
//     UPDATE and INSERT statements per pair, one commit per statement as each
//     cell is posted on its own.

#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QSignalBlocker>
#include <QSqlQuery>
#include <QTableWidget>
#include <algorithm>
#include <cstdio>

#include "../common/instalacion.h"
#include "db/table.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemodu.h"
#include "nomina/nomimodu.h"
#include "rrhh/rrhhcapa.h"
#include "ui/controls.h"
#include "ui/grids.h"
#include "ui/registry.h"

namespace {

using bench::fail;

constexpr int kEmployees = 1000;
constexpr int kPositions = 50;

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

QString position(int p) {
    return QStringLiteral("P%1").arg(p, 3, 10, QLatin1Char('0'));
}

int value(int e, int p) {
    return 1 + (e * 7 + p) % 5;
}

void fillData(TDatabase* db) {
    for (const char* name : {"PERSONAL", "HCONTRAT", "PUESTO", "MATRCAPA"}) {
        TTable t;
        t.setTableName(QLatin1String(name));
        if (!AbrirTabla(fGENEINIC, &t)) fail(QStringLiteral("cannot open ") + QLatin1String(name));
    }
    db->StartTransaction();
    QSqlQuery& person = db->Prepared(
        QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, PuestoTrabajo) VALUES (?, "
                       "?, ?)"));
    QSqlQuery& contract =
        db->Prepared(QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, "
                                    "FechaInicioContrato, FechaFinalContrato) VALUES (?, 1, "
                                    "'2020-01-01T00:00:00', '1899-12-30T00:00:00')"));
    for (int e = 1; e <= kEmployees; ++e) {
        person.bindValue(0, e);
        person.bindValue(1, QStringLiteral("EMPLEADO %1").arg(e));
        person.bindValue(2, position(1 + e % kPositions));
        db->Run(person);
        contract.bindValue(0, e);
        db->Run(contract);
    }
    QSqlQuery& puesto =
        db->Prepared(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES (?, ?)"));
    for (int p = 1; p <= kPositions; ++p) {
        puesto.bindValue(0, position(p));
        puesto.bindValue(1, QStringLiteral("PUESTO %1").arg(p));
        db->Run(puesto);
    }
    db->Commit();
}

int matrixRows(TDatabase* db) {
    return db->Scalar(QStringLiteral("SELECT COUNT(*) FROM MATRCAPA WHERE Capacitacion > 0"))
        .toInt();
}

// The same reads as the window's build, into a sheet showing what the
// window shows: the title row and the employee column in navy on the fixed
// colour, the employee's current position beside the name and the stored
// capability in each cell.
void rawBuild(TDatabase* db, QTableWidget& sheet) {
    QSqlQuery q(db->connection());
    q.setForwardOnly(true);
    QSet<int> inForce;
    if (!q.exec(QStringLiteral("SELECT CodigoOperario, FechaInicioContrato, FechaFinalContrato "
                               "FROM HCONTRAT ORDER BY CodigoOperario, FechaInicioContrato DESC, "
                               "NumeroContrato DESC")))
        fail("raw contracts failed");
    int last = -1;
    const QDate today = QDate::currentDate();
    while (q.next()) {
        const int e = q.value(0).toInt();
        if (e == last) continue;
        last = e;
        const QDate start = QDateTime::fromString(q.value(1).toString(), Qt::ISODate).date();
        const QDate end = QDateTime::fromString(q.value(2).toString(), Qt::ISODate).date();
        if (start.year() > 1899 && (end.year() <= 1899 || today <= end)) inForce.insert(e);
    }
    struct Row {
        int code;
        QString caption;
        QString position;
    };
    QList<Row> rows;
    if (!q.exec(QStringLiteral("SELECT CodigoOperario, Nombre, PuestoTrabajo FROM PERSONAL ORDER "
                               "BY CodigoOperario")))
        fail("raw employees failed");
    while (q.next()) {
        const int e = q.value(0).toInt();
        if (inForce.contains(e))
            rows.append({e, q.value(0).toString() + QStringLiteral(" - ") + q.value(1).toString(),
                         q.value(2).toString()});
    }
    QStringList header{QString(), QStringLiteral("PUESTO ACTUAL")};
    QHash<QString, int> column;
    if (!q.exec(QStringLiteral("SELECT Codigo, Descripcion FROM PUESTO ORDER BY Codigo")))
        fail("raw positions failed");
    while (q.next()) {
        column.insert(q.value(0).toString(), int(header.size()));
        header << q.value(0).toString() + QStringLiteral(" - ") + q.value(1).toString();
    }
    QHash<int, int> rowOf;
    for (int r = 0; r < rows.size(); ++r) rowOf.insert(rows[r].code, r + 1);

    sheet.setUpdatesEnabled(false);
    const QSignalBlocker quiet(sheet.model());
    sheet.clearContents();
    sheet.setColumnCount(int(header.size()));
    sheet.setRowCount(int(rows.size()) + 1);
    const QBrush fixed(sheet.palette().button());
    const QBrush navy(QColor(0, 0, 128));
    const auto put = [&sheet, &fixed, &navy](int r, int c, const QString& text, bool title) {
        auto* it = new QTableWidgetItem(text);
        it->setFlags(Qt::ItemIsEnabled);
        it->setBackground(fixed);
        if (title) it->setForeground(navy);
        sheet.setItem(r, c, it);
    };
    for (int c = 1; c < header.size(); ++c) put(0, c, header[c], true);
    for (int r = 0; r < rows.size(); ++r) {
        put(r + 1, 0, rows[r].caption, true);
        put(r + 1, 1, rows[r].position, false);
    }
    if (!q.exec(QStringLiteral("SELECT CodigoOperario, CodigoPuesto, Capacitacion FROM MATRCAPA")))
        fail("raw matrix failed");
    // The rows of one employee come together: the row found serves again.
    int code = -1, r = -1;
    while (q.next()) {
        const int e = q.value(0).toInt();
        if (e != code) {
            code = e;
            r = rowOf.value(e, -1);
        }
        const int c = column.value(q.value(1).toString(), -1);
        if (r > 0 && c >= 0) sheet.setItem(r, c, new QTableWidgetItem(q.value(2).toString()));
    }
    sheet.setUpdatesEnabled(true);
    sheet.viewport()->update();
}

// The same writes as "&Grabar": per pair an UPDATE, an INSERT when it found
// no row, each committed on its own.
void rawSave(TDatabase* db) {
    QSqlQuery update(db->connection());
    update.prepare(QStringLiteral(
        "UPDATE MATRCAPA SET Capacitacion = ? WHERE CodigoOperario = ? AND CodigoPuesto = ?"));
    QSqlQuery insert(db->connection());
    insert.prepare(QStringLiteral(
        "INSERT INTO MATRCAPA (CodigoOperario, CodigoPuesto, Capacitacion) VALUES (?, ?, ?)"));
    for (int e = 1; e <= kEmployees; ++e)
        for (int p = 1; p <= kPositions; ++p) {
            update.bindValue(0, value(e, p));
            update.bindValue(1, e);
            update.bindValue(2, position(p));
            if (!update.exec()) fail("raw update failed");
            if (update.numRowsAffected() > 0) continue;
            insert.bindValue(0, e);
            insert.bindValue(1, position(p));
            insert.bindValue(2, value(e, p));
            if (!insert.exec()) fail("raw insert failed");
        }
}

// Every cell of the sheet holds its pair's value.
void fillSheet(TfRRHHCAPA* form) {
    TStringGrid* g = form->StringGrid1;
    if (g->RowCount() != kEmployees + 1 || g->ColCount() != kPositions + 2)
        fail(QStringLiteral("the sheet has %1 x %2 cells").arg(g->RowCount()).arg(g->ColCount()));
    for (int r = 1; r <= kEmployees; ++r)
        for (int p = 1; p <= kPositions; ++p) g->setCells(p + 1, r, QString::number(value(r, p)));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Installation installation;
    InstalarServiciosFormulario();
    TModuloDatos module;
    CrearModulosNomina();
    TDatabase* db = fGENEINIC->Database;
    fillData(db);
    const int cells = kEmployees * kPositions;

    RegistrarTfRRHHCAPA();
    auto* form = qobject_cast<TfRRHHCAPA*>(CreateForm(QStringLiteral("TfRRHHCAPA")));
    if (!form) fail("the matrix window was not created");
    QTableWidget sheet;

    // The best of two rounds of each side, taken in turns.
    double saveOurs = 1e9, saveRaw = 1e9, buildOurs = 1e9, buildRaw = 1e9;
    QElapsedTimer clock;
    for (int round = 0; round < 2; ++round) {
        db->Execute(QStringLiteral("DELETE FROM MATRCAPA"));
        form->ConstruirMatriz();
        fillSheet(form);
        clock.restart();
        form->pbGrabarClick(form->pbGrabar);
        saveOurs = std::min(saveOurs, seconds(clock));
        if (matrixRows(db) != cells)
            fail(QStringLiteral("the window saved %1 cells").arg(matrixRows(db)));

        db->Execute(QStringLiteral("DELETE FROM MATRCAPA"));
        clock.restart();
        rawSave(db);
        saveRaw = std::min(saveRaw, seconds(clock));
        if (matrixRows(db) != cells)
            fail(QStringLiteral("the statements saved %1 cells").arg(matrixRows(db)));

        clock.restart();
        form->ConstruirMatriz();
        buildOurs = std::min(buildOurs, seconds(clock));
        if (form->StringGrid1->Cells(kPositions + 1, kEmployees) !=
            QString::number(value(kEmployees, kPositions)))
            fail("the window built another sheet");

        // The statements' sheet, as the window's, is full when a build replaces it.
        if (round == 0) rawBuild(db, sheet);
        clock.restart();
        rawBuild(db, sheet);
        buildRaw = std::min(buildRaw, seconds(clock));
        const QTableWidgetItem* corner = sheet.item(kEmployees, kPositions + 1);
        if (sheet.rowCount() != kEmployees + 1 || !corner ||
            corner->text() != QString::number(value(kEmployees, kPositions)))
            fail("the statements built another sheet");
    }
    delete form;
    std::printf("matrix build_1000x50 ours=%.4f raw=%.4f ratio=%.2f\n", buildOurs, buildRaw,
                buildRaw > 0 ? buildOurs / buildRaw : 0.0);
    std::printf("matrix save_1000x50 ours=%.4f raw=%.4f ratio=%.2f\n", saveOurs, saveRaw,
                saveRaw > 0 ? saveOurs / saveRaw : 0.0);
    return 0;
}
