// Programmable-listing benchmark: 100,000 rows (integer key, two strings, a
// date, two floats) listed with every field through the designer's query
// mode, the run-time built report and ImprimirInforme "PDF:", on a temporary
// SQLite installation. Lines printed:
//   proglisting pdf_100k ours=<s> raw=<s> ratio=<ours/raw>
//     the query opened and the report's pages written to a PDF, against a
//     plain QSqlQuery reading the rows and drawing the same cell texts at the
//     same places, with the same page breaks, on a QPdfWriter;
//   proglisting xlsx_100k ours=<s> raw=<s> ratio=<ours/raw>
//     ExportarExcel "SinDialogo" of the query against libxlsxwriter writing
//     the same cells;
//   proglisting first_page_before_end=<yes|no> first=<s> end=<s> pages=<n>
//     whether the report handed its first page over before its run ended.

#include <xlsxwriter.h>

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

#include "../common/filas100k.h"
#include "../common/instalacion.h"
#include "db/database.h"
#include "db/datasource.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneexpt.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesali.h"
#include "gene/listings/genecpro.h"
#include "gene/listings/genelpro.h"
#include "nomina/nomimodu.h"
#include "report/controls.h"
#include "report/quickrep.h"
#include "ui/controls.h"

namespace {

using bench::fail;
using bench::Installation;

constexpr int kRows = bench::kRows100k;
// The date column of the statement (fields in the designer's order).
int dateColumn = -1;

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

void line(const char* figure, double ours, double raw) {
    std::printf("proglisting %s ours=%.4f raw=%.4f ratio=%.2f\n", figure, ours, raw,
                raw > 0 ? ours / raw : 0.0);
    std::fflush(stdout);
}

// The report's cells drawn straight onto a PDF: the titles and one line per
// row at the report's column places, as many rows a page as its detail band
// allows, with the page header and footer texts.
int rawPdf(TDatabase* db, const QString& sql, const QList<QPair<int, int>>& columns,
           const QStringList& titles, int rowsPerPage, const QString& path) {
    QPdfWriter writer(path);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter p;
    if (!p.begin(&writer)) fail("raw pdf cannot be written");
    const double unit = writer.resolution() / 96.0;
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(qRound(8 * 96 / 72.0 * unit));
    QFont bold = font;
    bold.setBold(true);
    const double left = 5 * 96 / 25.4, top = 10 * 96 / 25.4;
    QSqlQuery q(db->connection());
    q.setForwardOnly(true);
    if (!q.exec(sql)) fail("raw pdf read failed");
    auto text = [&](double x, double y, int w, const QString& s, Qt::Alignment a) {
        p.drawText(QRectF(x * unit, y * unit, w * unit, 15 * unit), a | Qt::TextSingleLine, s);
    };
    int pages = 0;
    int onPage = rowsPerPage;
    double y = 0;
    while (q.next()) {
        if (onPage == rowsPerPage) {
            if (pages > 0) {
                text(left, top + 1000, 250, QStringLiteral("Impreso el "), Qt::AlignLeft);
                writer.newPage();
            }
            ++pages;
            onPage = 0;
            p.setFont(font);
            text(left + 100, top, 400, QStringLiteral("EMPRESA"), Qt::AlignLeft);
            text(left + 100, top + 46, 200, QStringLiteral("Página ") + QString::number(pages),
                 Qt::AlignLeft);
            p.setFont(bold);
            text(left + 100, top + 22, 500, QStringLiteral("Listado programable"), Qt::AlignLeft);
            for (int c = 0; c < columns.size(); ++c)
                text(left + columns[c].first, top + 79, columns[c].second, titles[c],
                     Qt::AlignLeft);
            p.setFont(font);
            y = top + 96;
        }
        for (int c = 0; c < columns.size(); ++c) {
            const QVariant v = q.value(c);
            QString s;
            Qt::Alignment a = Qt::AlignLeft;
            if (v.typeId() == QMetaType::Double) {
                s = FormatFloat(QStringLiteral("#,##0.00"), v.toDouble());
                a = Qt::AlignRight;
            } else if (c == dateColumn) {
                s = QDateTime::fromString(v.toString(), Qt::ISODate).toString("dd/MM/yyyy");
            } else {
                s = v.toString();
            }
            text(left + columns[c].first, y, columns[c].second, s, a);
        }
        y += 15;
        ++onPage;
    }
    p.end();
    return pages;
}

void rawXlsx(TDatabase* db, const QString& sql, const QStringList& titles, const QString& path) {
    lxw_workbook* book = workbook_new(path.toLocal8Bit().constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_format* boldFormat = workbook_add_format(book);
    format_set_bold(boldFormat);
    lxw_format* textFormat = workbook_add_format(book);
    format_set_num_format(textFormat, "@");
    lxw_format* numberFormat = workbook_add_format(book);
    format_set_num_format(numberFormat, "#,##0.00");
    for (int c = 0; c < titles.size(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), titles[c].toUtf8().constData(), boldFormat);
    QSqlQuery q(db->connection());
    q.setForwardOnly(true);
    if (!q.exec(sql)) fail("raw xlsx read failed");
    lxw_row_t row = 2;
    while (q.next()) {
        for (int c = 0; c < titles.size(); ++c) {
            const QVariant v = q.value(c);
            if (v.typeId() == QMetaType::Double)
                worksheet_write_number(sheet, row, lxw_col_t(c), v.toDouble(), numberFormat);
            else if (c == dateColumn)
                worksheet_write_string(sheet, row, lxw_col_t(c),
                                       QDateTime::fromString(v.toString(), Qt::ISODate)
                                           .toString("dd/MM/yyyy")
                                           .toUtf8()
                                           .constData(),
                                       textFormat);
            else
                worksheet_write_string(sheet, row, lxw_col_t(c), v.toString().toUtf8().constData(),
                                       textFormat);
        }
        ++row;
    }
    if (workbook_close(book) != LXW_NO_ERROR) fail("raw xlsx not written");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Installation installation;
    TModuloDatos module;
    CrearModulosNomina();
    TDatabase* db = fGENEINIC->Database;
    bench::fillRows100k(db, QStringLiteral("PLBENCH"));
    QTemporaryDir out;

    TTable table;
    table.setDatabaseName(db->DatabaseName());
    table.setTableName(QStringLiteral("PLBENCH"));
    table.Open();
    InstalarListadosProgramables();
    TfGENECPRO designer;
    if (!designer.ListadoProgramable(&table, QString(), QString(), QString(), false))
        fail("the designer did not open the table");
    designer.cbClasificado->setChecked(false);
    const QString sql = designer.SentenciaListado();
    dateColumn = int(designer.LBSeleccionado->Items().indexOf(QStringLiteral("Fecha")));

    double oursPdf = 1e9, rawPdfTime = 1e9, oursXlsx = 1e9, rawXlsxTime = 1e9;
    double firstPage = -1, end = -1;
    int pages = 0, rawPages = 0;
    QElapsedTimer clock;
    for (int round = 0; round < 3; ++round) {
        clock.restart();
        if (!designer.EjecutarSentenciaListado()) fail("the designer's query failed");
        TfGENELPRO report;
        report.QuickReport->setDataSet(designer.Query1);
        report.QuickReport->setReportTitle(QStringLiteral("Listado programable"));
        report.AjustarTexto = true;
        report.Sumatorios = QStringLiteral("Todas");
        report.TamanioPapel = QStringLiteral("A4");
        report.QuickReport->QRPrinter()->OnPageAvailable = [&](int n) {
            if (n == 1 && round == 0 && firstPage < 0) firstPage = seconds(clock);
        };
        report.QuickReport->AfterPrint = [&](QObject*) {
            if (round == 0 && end < 0) end = seconds(clock);
        };
        const QString pdf = out.filePath(QStringLiteral("ours.pdf"));
        if (!ImprimirInforme(ModuloDatos, report.QuickReport, QStringLiteral("PDF:") + pdf))
            fail("the report's PDF was not written");
        oursPdf = std::min(oursPdf, seconds(clock));
        pages = report.QuickReport->QRPrinter()->PageCount();

        QList<QPair<int, int>> columns;
        QStringList titles;
        for (TQRLabel* t : report.Titulos) {
            columns << qMakePair(t->Left(), t->Width());
            titles << t->Caption();
        }
        const int rowsPerPage = std::max(1, (kRows + pages - 1) / std::max(1, pages));
        clock.restart();
        rawPages =
            rawPdf(db, sql, columns, titles, rowsPerPage, out.filePath(QStringLiteral("raw.pdf")));
        rawPdfTime = std::min(rawPdfTime, seconds(clock));

        clock.restart();
        if (!designer.EjecutarSentenciaListado()) fail("the designer's query failed");
        if (!ExportarExcel(ModuloDatos, designer.Query1, nullptr,
                           out.filePath(QStringLiteral("LISTPRG.XLS")),
                           QStringLiteral("SinDialogo")))
            fail("the workbook was not written");
        oursXlsx = std::min(oursXlsx, seconds(clock));
        clock.restart();
        rawXlsx(db, sql, titles, out.filePath(QStringLiteral("raw.xlsx")));
        rawXlsxTime = std::min(rawXlsxTime, seconds(clock));
    }
    line("pdf_100k", oursPdf, rawPdfTime);
    line("xlsx_100k", oursXlsx, rawXlsxTime);
    std::printf("proglisting first_page_before_end=%s first=%.4f end=%.4f pages=%d raw_pages=%d\n",
                firstPage >= 0 && firstPage < end ? "yes" : "no", firstPage, end, pages, rawPages);
    return 0;
}
