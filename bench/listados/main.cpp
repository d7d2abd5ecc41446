// Employees-listing benchmark: "Listado de Operarios" over 10,000 employees
// (two job positions each, three analysis groups in three categories, all
// three chosen as columns, half of them under contract) on a temporary SQLite
// installation. Lines printed:
//   listing operarios_10k ours=<s> raw=<s> ratio=<ours/raw>
//     the report's fill of its temporary table and its PDF, against the same
//     selection by plain prepared statements (each employee's latest position
//     and groups), the rows inserted in one transaction and the same text
//     lines drawn straight onto a QPdfWriter;
//   listing operarios_first_page_before_end=<yes|no> first=<s> end=<s>
//     whether the engine handed its first page over before the run ended.

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "../common/instalacion.h"
#include "db/database.h"
#include "db/table.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemodu.h"
#include "nomina/nomimodu.h"
#include "report/quickrep.h"
#include "rrhh/rrqrlope.h"
#include "ui/controls.h"

namespace {

using bench::fail;

constexpr int kEmployees = 10000;
const QStringList kCategories{"DEP", "CAT", "ZON"};

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

QString isoDate(const QDate& d) {
    return d.toString(Qt::ISODate) + QStringLiteral("T00:00:00");
}

// The group of an employee in a category: DEP 10 groups, CAT 5, ZON 3.
QString group(int category, int e) {
    static const int sizes[] = {10, 5, 3};
    return kCategories[category].left(1) + QString::number(e % sizes[category]);
}

void fillData(TDatabase* db) {
    for (const char* name :
         {"PERSONAL", "HCONTRAT", "HPUESTO", "GRANTAB", "GRANALIS", "PARAGENE"}) {
        TTable t;
        t.setTableName(QLatin1String(name));
        if (!AbrirTabla(fGENEINIC, &t)) fail(QStringLiteral("cannot open ") + QLatin1String(name));
    }
    db->StartTransaction();
    db->Execute(QStringLiteral("DELETE FROM PARAGENE"));
    db->Execute(
        QStringLiteral("INSERT INTO PARAGENE (IdRegistro, PerfilesCategoriasGA) VALUES "
                       "(1, 'Personal=DEP,CAT,ZON')"));
    QSqlQuery& analysis = db->Prepared(QStringLiteral(
        "INSERT INTO GRANALIS (Codigo, CategoriaGrupo, Descripcion) VALUES (?, ?, ?)"));
    for (int c = 0; c < 3; ++c)
        for (int g = 0; g < 10; ++g) {
            const QString code = group(c, g);
            if (code != kCategories[c].left(1) + QString::number(g)) continue;
            analysis.bindValue(0, code);
            analysis.bindValue(1, kCategories[c]);
            analysis.bindValue(2, QString(QStringLiteral("GRUPO ") + code));
            db->Run(analysis);
        }
    QSqlQuery& person =
        db->Prepared(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (?, ?)"));
    QSqlQuery& contract = db->Prepared(
        QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, FechaInicioContrato, "
                       "FechaFinalContrato) VALUES (?, 1, ?, ?)"));
    QSqlQuery& position = db->Prepared(
        QStringLiteral("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, FechaInicio, "
                       "CodigoPuesto, Descripcion) VALUES ('PERSONAL', ?, ?, ?, ?, ?)"));
    QSqlQuery& groups = db->Prepared(QStringLiteral(
        "INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES ('PERSONAL', ?, ?)"));
    for (int e = 1; e <= kEmployees; ++e) {
        person.bindValue(0, e);
        person.bindValue(1, QStringLiteral("EMPLEADO %1 APELLIDO").arg(e % 700, 4, 10, QChar('0')));
        db->Run(person);
        contract.bindValue(0, e);
        contract.bindValue(1, isoDate(QDate(2010, 1, 1)));
        // Odd codes have an open contract, even ones ended long ago.
        contract.bindValue(2, e % 2 ? isoDate(QDate(1899, 12, 30)) : isoDate(QDate(2015, 1, 1)));
        db->Run(contract);
        for (int l = 1; l <= 2; ++l) {
            position.bindValue(0, e);
            position.bindValue(1, l);
            position.bindValue(2, isoDate(QDate(2018 + 2 * l, 1 + e % 12, 1)));
            position.bindValue(3, QStringLiteral("P%1").arg((e + 7 * l) % 20, 2, 10, QChar('0')));
            position.bindValue(4, QStringLiteral("PUESTO"));
            db->Run(position);
        }
        for (int c = 0; c < 3; ++c) {
            groups.bindValue(0, QString::number(e));
            groups.bindValue(1, group(c, e));
            db->Run(groups);
        }
    }
    db->Commit();
}

// The same selection by plain statements: each employee's latest position
// (every one passes the default bounds) and groups, into a table of the
// report's columns in one transaction.
int rawFill(TDatabase* db) {
    db->Execute(QStringLiteral("DROP TABLE IF EXISTS BENCHRAW"));
    db->Execute(QStringLiteral(
        "CREATE TABLE BENCHRAW (GrupoAnalisis1 VARCHAR(40), CodigoOperario INTEGER, Nombre "
        "VARCHAR(40), Descripcion1 VARCHAR(40), Descripcion2 VARCHAR(40), Descripcion3 "
        "VARCHAR(40), Descripcion4 VARCHAR(40), Descripcion5 VARCHAR(40), PRIMARY KEY "
        "(GrupoAnalisis1, CodigoOperario))"));
    db->StartTransaction();
    QSqlQuery people(db->connection());
    people.setForwardOnly(true);
    people.prepare(
        QStringLiteral("SELECT CodigoOperario, Nombre FROM PERSONAL WHERE "
                       "CodigoOperario BETWEEN ? AND ? ORDER BY CodigoOperario"));
    people.addBindValue(0);
    people.addBindValue(kEmployees);
    if (!people.exec()) fail("raw read failed");
    QSqlQuery position(db->connection());
    position.setForwardOnly(true);
    position.prepare(QStringLiteral(
        "SELECT CodigoPuesto FROM HPUESTO WHERE NombreTabla = ? AND CodigoOperario = ? ORDER BY "
        "CASE WHEN FechaInicio IS NULL THEN 1 ELSE 0 END, FechaInicio DESC, Linea DESC LIMIT 1"));
    QSqlQuery groups(db->connection());
    groups.setForwardOnly(true);
    groups.prepare(QStringLiteral(
        "SELECT GRANALIS.CategoriaGrupo, GRANALIS.Codigo, GRANALIS.Descripcion FROM GRANTAB, "
        "GRANALIS WHERE GRANTAB.GrupoAnalisis = GRANALIS.Codigo AND GRANTAB.NombreTabla = ? AND "
        "GRANTAB.ClaveTabla = ? ORDER BY GRANALIS.Codigo"));
    QSqlQuery insert(db->connection());
    insert.prepare(QStringLiteral("INSERT INTO BENCHRAW VALUES (?, ?, ?, ?, ?, ?, '', '')"));
    int rows = 0;
    while (people.next()) {
        const int code = people.value(0).toInt();
        position.bindValue(0, QStringLiteral("PERSONAL"));
        position.bindValue(1, code);
        if (!position.exec()) fail("raw position failed");
        const QString puesto = position.next() ? position.value(0).toString() : QString();
        position.finish();
        if (puesto.isEmpty()) fail("an employee without position");
        groups.bindValue(0, QStringLiteral("PERSONAL"));
        groups.bindValue(1, QString::number(code));
        if (!groups.exec()) fail("raw groups failed");
        QString codes[3], descriptions[3];
        while (groups.next()) {
            const int c = int(kCategories.indexOf(groups.value(0).toString()));
            if (c < 0) continue;
            codes[c] = groups.value(1).toString();
            descriptions[c] = groups.value(2).toString();
        }
        groups.finish();
        insert.bindValue(0, codes[0]);
        insert.bindValue(1, code);
        insert.bindValue(2, people.value(1));
        for (int c = 0; c < 3; ++c) insert.bindValue(3 + c, descriptions[c]);
        if (!insert.exec()) fail("raw insert failed");
        ++rows;
    }
    db->Commit();
    return rows;
}

// The report's text lines drawn straight onto a PDF: the page header and one
// line of seven columns a row, as many lines a page as the detail band allows.
int rawPdf(TDatabase* db, const QString& path) {
    QPdfWriter writer(path);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
    QPainter p;
    if (!p.begin(&writer)) fail("raw pdf cannot be written");
    const double unit = writer.resolution() / 96.0;
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(qRound(8 * 96 / 72.0 * unit));
    QFont bold = font;
    bold.setBold(true);
    static const int widths[] = {60, 220, 150, 150, 150, 150, 150};
    const QStringList captions{"Operario", "Nombre", "DEP", "CAT", "ZON", "", ""};
    const double left = 10 * 96 / 25.4, top = 10 * 96 / 25.4;
    const double pageHeight = 210 * 96 / 25.4 - 10 * 96 / 25.4 - 22;
    QSqlQuery q(db->connection());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT CodigoOperario, Nombre, Descripcion1, Descripcion2, "
                               "Descripcion3, Descripcion4, Descripcion5 FROM BENCHRAW ORDER BY "
                               "GrupoAnalisis1, CodigoOperario")))
        fail("raw pdf read failed");
    int pages = 0;
    double y = pageHeight + 1;
    auto text = [&](double x, double yy, int w, const QString& s) {
        p.drawText(QRectF(x * unit, yy * unit, w * unit, 15 * unit),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, s);
    };
    while (q.next()) {
        if (y + 17 > pageHeight) {
            if (pages > 0) {
                text(left, pageHeight + 4, 250,
                     QStringLiteral("Impreso el ") + QDate::currentDate().toString("dd/MM/yyyy"));
                text(left + 600, pageHeight + 4, 120,
                     QStringLiteral("Página ") + QString::number(pages));
                writer.newPage();
            }
            ++pages;
            p.setFont(font);
            text(left + 100, top, 400, QStringLiteral("EMPRESA"));
            p.setFont(bold);
            text(left + 100, top + 18, 500, QStringLiteral("Listado de Operarios. "));
            double x = left;
            for (int c = 0; c < 7; ++c) {
                text(x, top + 62, widths[c], captions[c]);
                x += widths[c];
            }
            p.setFont(font);
            y = top + 80;
        }
        double x = left;
        for (int c = 0; c < 7; ++c) {
            text(x, y + 1, widths[c] - 4, q.value(c).toString());
            x += widths[c];
        }
        y += 17;
    }
    p.end();
    return pages;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Installation installation;
    TModuloDatos module;
    CrearModulosNomina();
    TDatabase* db = fGENEINIC->Database;
    fillData(db);
    QTemporaryDir out;

    TListBox categories;
    categories.setItems(kCategories);
    // The best of three rounds of each side, taken in turns; a new round of
    // ours fills afresh.
    TfRRQRLOPE report(&categories);
    report.HastaOperario = kEmployees;
    QElapsedTimer clock;
    double firstPage = -1, end = -1;
    report.QuickReport->QRPrinter()->OnPageAvailable = [&](int n) {
        if (n == 1 && firstPage < 0) firstPage = seconds(clock);
    };
    report.QuickReport->AfterPrint = [&](QObject*) {
        if (end < 0) end = seconds(clock);
    };
    double ours = 1e9, raw = 1e9;
    for (int round = 0; round < 3; ++round) {
        clock.restart();
        report.QuickReport->Prepare();
        if (report.Temporal->RecordCount() != kEmployees)
            fail(QStringLiteral("the report listed %1 employees")
                     .arg(report.Temporal->RecordCount()));
        if (!report.QuickReport->ExportToPdf(out.filePath(QStringLiteral("ours.pdf"))))
            fail("the report's PDF was not written");
        ours = std::min(ours, seconds(clock));

        clock.restart();
        if (rawFill(db) != kEmployees) fail("the statements listed another count");
        rawPdf(db, out.filePath(QStringLiteral("raw.pdf")));
        raw = std::min(raw, seconds(clock));
    }
    db->Execute(QStringLiteral("DROP TABLE IF EXISTS BENCHRAW"));
    std::printf("listing operarios_10k ours=%.4f raw=%.4f ratio=%.2f\n", ours, raw,
                raw > 0 ? ours / raw : 0.0);
    std::printf("listing operarios_first_page_before_end=%s first=%.4f end=%.4f\n",
                firstPage >= 0 && firstPage < end ? "yes" : "no", firstPage, end);
    return 0;
}
