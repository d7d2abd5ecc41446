// Saved-query runner benchmark: 100,000 rows (integer key, two strings, a
// date, two floats) shown and exported by an offscreen runner, on a temporary
// installation on SQLite and, beside scripts/with-postgres, on PostgreSQL.
// Lines printed per engine:
//   savedquery grid_100k ours=<s> raw=<s> ratio=<ours/raw> first_rows=<s> (<engine>)
//     the saved "SELECT" opened by name until its grid painted its first
//     rows, then `Last` and the grid painted again, against a forward-only
//     QSqlQuery reading every value; first_rows is the time to the first
//     painted rows;
//   savedquery txt_100k ours=<s> raw=<s> ratio=<ours/raw> (<engine>)
//     the saved query opened and ExportarASCII "SinDialogo" of its rows,
//     against the same read writing the same Windows-1252 lines to a QFile;
//   savedquery xlsx_100k ours=<s> raw=<s> ratio=<ours/raw> (<engine>)
//     the saved query opened and ExportarExcel "SinDialogo" of its rows,
//     against the same read writing the same cells with libxlsxwriter.
//   savedquery first_rows_3m ours=<s> raw=<s> ratio=<ours/raw> goal=0.5 peak_mb=<MB>
//       goal_mb=200 held=<rows> (<engine>)
//     a saved query of 3,000,000 rows opened by name until its grid painted
//     its first rows, against a forward-only QSqlQuery reaching its first
//     row; peak_mb is the process's peak resident memory (VmHWM, reset
//     before the opening) while only that first screen is shown, held the
//     rows the grid's dataset holds then.
// Once, whatever the engine:
//   savedquery check_256k ours=<s> raw=<s> ratio=<ours/raw> goal=0.3 refused_over=<s>
//     the check of what a user's statement may reach on PostgreSQL
//     (PgUserStatementRefusal) of a SELECT of quoted columns just under the
//     256 KB users' statements may have (some 32,700 columns), against
//     PostgreSQL's parser alone on the same text; ours is to stay under the
//     goal, in seconds. refused_over is the time the same check takes to
//     refuse the same shape one column over the limit.

#include <malloc.h>
#include <pg_query.h>
#include <xlsxwriter.h>

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "../common/filas100k.h"
#include "db/clientdataset.h"
#include "db/database.h"
#include "db/pgstatement.h"
#include "db/table.h"
#include "gene/data/geneexpt.h"
#include "gene/data/genemodu.h"
#include "gene/data/genetext.h"
#include "gene/data/genetrad.h"
#include "gene/listings/genecsql.h"
#include "gene/listings/geneusql.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "io/textfile.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "ui/dbgrid.h"
#include "ui/registry.h"

namespace {

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_savedquery: %s\n", qPrintable(what));
    std::exit(1);
}

constexpr int kRows = bench::kRows100k;
const QString kSql = QStringLiteral(
    "SELECT Codigo, Nombre, Ciudad, Fecha, Importe, Horas FROM SQBENCH ORDER BY Codigo");

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

// Counts the paints of the grid while it holds rows.
class Paints : public QObject {
public:
    explicit Paints(TDBGrid* grid) : grid_(grid) { grid->viewport()->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && grid_->model()->rowCount() > 0) ++count;
        return false;
    }

private:
    TDBGrid* grid_;
};

// Until the grid painted after the `before`th paint (one that came while the
// runner worked counts).
void waitPaint(Paints& paints, int before) {
    QElapsedTimer guard;
    guard.start();
    while (paints.count == before) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (guard.elapsed() > 120000) fail("the grid was never painted");
    }
}

QSqlQuery rawQuery(TDatabase* db) {
    QSqlQuery q(db->connection());
    q.setForwardOnly(true);
    if (!q.exec(kSql)) fail("raw read failed");
    return q;
}

[[gnu::noinline]] double rawRead(TDatabase* db) {
    QElapsedTimer clock;
    clock.start();
    QSqlQuery q = rawQuery(db);
    int rows = 0;
    QVariant sink;
    while (q.next()) {
        for (int c = 0; c < 6; ++c) sink = q.value(c);
        ++rows;
    }
    if (rows != kRows) fail(QStringLiteral("raw read %1 rows").arg(rows));
    return seconds(clock);
}

// The export's texts of a row's values, done plainly: dates as dd/mm/yyyy,
// floats with the decimal comma and no zeros after it.
QDate dateOf(const QVariant& v) {
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().date();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}
QString floatText(double v) {
    return QString::number(v, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

void rawTxt(TDatabase* db, const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) fail("raw text not written");
    QSqlQuery q = rawQuery(db);
    const QString sep = QStringLiteral("|");
    while (q.next()) {
        const QString line = q.value(0).toString() + sep + q.value(1).toString() + sep +
                             q.value(2).toString() + sep +
                             dateOf(q.value(3)).toString(QStringLiteral("dd/MM/yyyy")) + sep +
                             floatText(q.value(4).toDouble()) + sep +
                             floatText(q.value(5).toDouble()) + sep + QStringLiteral("\r\n");
        f.write(EncodeText(line, TextEncoding::Windows1252));
    }
}

[[gnu::noinline]] void rawXlsx(TDatabase* db, const QStringList& titles, const QString& path) {
    lxw_workbook* book = workbook_new(path.toLocal8Bit().constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_format* boldFormat = workbook_add_format(book);
    format_set_bold(boldFormat);
    format_set_num_format(boldFormat, "@");
    lxw_format* textFormat = workbook_add_format(book);
    format_set_num_format(textFormat, "@");
    format_set_align(textFormat, LXW_ALIGN_LEFT);
    format_set_align(textFormat, LXW_ALIGN_VERTICAL_TOP);
    lxw_format* numberFormat = workbook_add_format(book);
    format_set_align(numberFormat, LXW_ALIGN_RIGHT);
    format_set_align(numberFormat, LXW_ALIGN_VERTICAL_TOP);
    for (int c = 0; c < titles.size(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), titles[c].toUtf8().constData(), boldFormat);
    QSqlQuery q = rawQuery(db);
    lxw_row_t row = 2;
    while (q.next()) {
        worksheet_write_number(sheet, row, 0, q.value(0).toDouble(), numberFormat);
        for (int c : {1, 2})
            worksheet_write_string(sheet, row, lxw_col_t(c),
                                   q.value(c).toString().toUtf8().constData(), textFormat);
        worksheet_write_string(
            sheet, row, 3,
            dateOf(q.value(3)).toString(QStringLiteral("dd/MM/yyyy")).toUtf8().constData(),
            textFormat);
        for (int c : {4, 5})
            worksheet_write_number(sheet, row, lxw_col_t(c), q.value(c).toDouble(), numberFormat);
        ++row;
    }
    if (workbook_close(book) != LXW_NO_ERROR) fail("raw xlsx not written");
}

QByteArray contents(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) fail("cannot read " + path);
    return f.readAll();
}

void line(const char* figure, double ours, double raw, const QString& tail) {
    std::printf("savedquery %s ours=%.4f raw=%.4f ratio=%.2f%s\n", figure, ours, raw,
                raw > 0 ? ours / raw : 0.0, qPrintable(tail));
    std::fflush(stdout);
}

TfGENEUSQL* newRunner() {
    auto* form = qobject_cast<TfGENEUSQL*>(CreateForm(QStringLiteral("TfGENEUSQL")));
    if (!form) fail("the runner was not created");
    form->resize(1000, 700);
    return form;
}

void openSaved(TfGENEUSQL* form) {
    form->AbrirConsultaSQL(QStringLiteral("Bench"));
    if (!form->ClientDataSet1->Active()) fail("the saved query did not open");
}

// The longest text of a user's statement that is checked (pgstatement.cpp):
// a longer one is refused unread.
constexpr int kLongestStatement = 256 * 1024;

// "SELECT "c0000","c0001",... FROM SQBENCH" of `columns` columns.
QByteArray quotedColumns(int columns) {
    QString sql = QStringLiteral("SELECT ");
    for (int i = 0; i < columns; ++i)
        sql += QStringLiteral("\"c%1\",").arg(i, 4, 16, QLatin1Char('0'));
    sql.chop(1);
    sql += QStringLiteral(" FROM SQBENCH");
    return sql.toUtf8();
}

void checkStatement() {
    // As many columns as the limit lets through, and one more.
    const int fixed = int(quotedColumns(0).size()) - 1;
    const int columns = (kLongestStatement - fixed) / 8;
    const QByteArray text = quotedColumns(columns);
    const QByteArray over = quotedColumns(columns + 1);
    if (text.size() > kLongestStatement || over.size() <= kLongestStatement)
        fail("the statements do not sit either side of the limit");
    const QString sql = QString::fromUtf8(text);
    const QString overSql = QString::fromUtf8(over);
    const QStringList schemas{QStringLiteral("general")};
    double ours = 1e9, raw = 1e9, refusal = 1e9;
    QElapsedTimer clock;
    for (int round = 0; round < 3; ++round) {
        clock.restart();
        const QString refused = PgUserStatementRefusal(sql, true, schemas);
        ours = std::min(ours, seconds(clock));
        if (!refused.isEmpty()) fail("the statement was refused: " + refused);
        clock.restart();
        PgQueryParseResult r = pg_query_parse(text.constData());
        raw = std::min(raw, seconds(clock));
        if (r.error) fail("the parser refused the statement");
        pg_query_free_parse_result(r);
        clock.restart();
        const QString tooLong = PgUserStatementRefusal(overSql, true, schemas);
        refusal = std::min(refusal, seconds(clock));
        if (tooLong.isEmpty()) fail("the statement over the limit was let through");
    }
    line("check_256k", ours, raw,
         QStringLiteral(" goal=0.3 refused_over=%1 (%2 bytes, %3 columns)")
             .arg(refusal, 0, 'f', 4)
             .arg(text.size())
             .arg(columns));
}

// The process's peak resident memory since the last reset, in MB.
double peakMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& l : status.readAll().split('\n'))
        if (l.startsWith("VmHWM:")) return l.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}

void resetPeak() {
    // What the figures before freed goes back first: the peak starts at the
    // memory resident now, which is not the opening's.
    malloc_trim(0);
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) refs.write("5");
}

constexpr int kBigRows = 3000000;

// SQBIG: the 100k table's columns, 3,000,000 rows written by the engine.
void fillBig(TDatabase* db) {
    bench::createRowsTable(db, QStringLiteral("SQBIG"));
    const bool pg = db->engine() == Engine::Postgres;
    const QString rows =
        pg ? QStringLiteral("SELECT g AS i FROM generate_series(1, %1) g").arg(kBigRows)
           : QStringLiteral(
                 "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s "
                 "WHERE i < %1) SELECT i FROM s")
                 .arg(kBigRows);
    const QString date =
        pg ? QStringLiteral("TIMESTAMP '2020-01-01' + (i % 1500) * INTERVAL '1 day'")
           : QStringLiteral("datetime('2020-01-01', (i % 1500) || ' days')");
    db->Execute(QStringLiteral("INSERT INTO SQBIG (Codigo, Nombre, Ciudad, Fecha, Importe, Horas) "
                               "SELECT i, 'EMPLEADO ' || i || ' APELLIDO', 'MADRID', ") +
                date + QStringLiteral(", (i % 1000) * 12.25, i % 40 FROM (") + rows +
                QStringLiteral(") x"));
}

void bigResult(TDatabase* db, const QString& tag) {
    fillBig(db);
    const QString sql = QStringLiteral(
        "SELECT Codigo, Nombre, Ciudad, Fecha, Importe, Horas FROM SQBIG ORDER BY Codigo");
    db->Execute(QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro) VALUES "
                               "('SQL', 'Grande', ") +
                Entrecomillar(sql) + QStringLiteral(")"));
    double raw = 1e9;
    QElapsedTimer clock;
    for (int round = 0; round < 3; ++round) {
        clock.restart();
        QSqlQuery q(db->connection());
        q.setForwardOnly(true);
        if (!q.exec(sql) || !q.next()) fail("raw read of the large table failed");
        raw = std::min(raw, seconds(clock));
    }
    TfGENEUSQL* form = newRunner();
    Paints paints(form->DBGrid1);
    QCoreApplication::processEvents();
    resetPeak();
    clock.restart();
    form->show();
    form->AbrirConsultaSQL(QStringLiteral("Grande"));
    if (!form->ClientDataSet1->Active()) fail("the large saved query did not open");
    waitPaint(paints, 0);
    const double first = seconds(clock);
    const double peak = peakMb();
    const int held = form->ClientDataSet1->RowsHeld();
    delete form;
    line("first_rows_3m", first, raw,
         QStringLiteral(" goal=0.5 peak_mb=%1 goal_mb=200 held=%2").arg(peak, 0, 'f', 1).arg(held) +
             tag);
    db->Execute(QStringLiteral("DROP TABLE SQBIG"));
}

// Figures and engines ("sqlite", "postgres") named on the command line run
// alone (for profiling).
QStringList onlyFigures, onlyEngines;
bool wanted(const char* figure) {
    return onlyFigures.isEmpty() || onlyFigures.contains(QLatin1String(figure));
}

void run(Engine engine) {
    if (!onlyEngines.isEmpty() &&
        !onlyEngines.contains(QLatin1String(engine == Engine::Postgres ? "postgres" : "sqlite")))
        return;
    EmpresaPrueba company(engine);
    TDatabase* db = fGENEINIC->Database;
    bench::fillRows100k(db, QStringLiteral("SQBENCH"));
    {
        TTable filtro;
        filtro.setTableName(QStringLiteral("FILTRO"));
        if (!AbrirTabla(fGENEINIC, &filtro)) fail("cannot open FILTRO");
    }
    db->Execute(QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro) VALUES "
                               "('SQL', 'Bench', ") +
                Entrecomillar(kSql) + QStringLiteral(")"));
    const QString tag =
        engine == Engine::Postgres ? QStringLiteral(" (PostgreSQL)") : QStringLiteral(" (SQLite)");
    // First, while the process holds little else.
    if (wanted("first_rows_3m")) bigResult(db, tag);
    QTemporaryDir out;

    // The best of three rounds of each side, taken in turns.
    double ours = 1e9, raw = 1e9, first = 1e9;
    QElapsedTimer clock;
    for (int round = 0; round < 3 && wanted("grid_100k"); ++round) {
        TfGENEUSQL* form = newRunner();
        Paints paints(form->DBGrid1);
        clock.restart();
        form->show();
        openSaved(form);
        waitPaint(paints, 0);
        first = std::min(first, seconds(clock));
        const int shown = paints.count;
        form->ClientDataSet1->Last();
        form->DBGrid1->viewport()->update();
        waitPaint(paints, shown);
        ours = std::min(ours, seconds(clock));
        if (form->ClientDataSet1->RecordCount() != kRows)
            fail(QStringLiteral("the runner shows %1 rows")
                     .arg(form->ClientDataSet1->RecordCount()));
        delete form;
        raw = std::min(raw, rawRead(db));
    }
    if (wanted("grid_100k"))
        line("grid_100k", ours, raw, QStringLiteral(" first_rows=%1").arg(first, 0, 'f', 4) + tag);
    if (!wanted("txt_100k") && !wanted("xlsx_100k")) return;

    double oursTxt = 1e9, rawTxtTime = 1e9, oursXlsx = 1e9, rawXlsxTime = 1e9;
    const QString txt = out.filePath(QStringLiteral("SQL.TXT"));
    const QString rawTxtPath = out.filePath(QStringLiteral("raw.txt"));
    const QString xlsx = out.filePath(QStringLiteral("SQL.XLS"));
    QStringList titles;
    for (int round = 0; round < 3; ++round) {
        TfGENEUSQL* form = newRunner();
        clock.restart();
        openSaved(form);
        if (!ExportarASCII(ModuloDatos, form->ClientDataSet1, nullptr, txt,
                           QStringLiteral("SinDialogo")))
            fail("the text file was not written");
        oursTxt = std::min(oursTxt, seconds(clock));
        clock.restart();
        rawTxt(db, rawTxtPath);
        rawTxtTime = std::min(rawTxtTime, seconds(clock));
        if (contents(txt) != contents(rawTxtPath)) fail("the text files differ");

        clock.restart();
        openSaved(form);
        if (!ExportarExcel(ModuloDatos, form->ClientDataSet1, nullptr, xlsx,
                           QStringLiteral("SinDialogo")))
            fail("the workbook was not written");
        oursXlsx = std::min(oursXlsx, seconds(clock));
        if (titles.isEmpty())
            for (TField* f : form->ClientDataSet1->Fields()) {
                QString t;
                Traducir(ModuloDatos, SepararPalabras(f->FieldName()), QString(), QString(), t);
                titles << t;
            }
        delete form;
        clock.restart();
        rawXlsx(db, titles, out.filePath(QStringLiteral("raw.xlsx")));
        rawXlsxTime = std::min(rawXlsxTime, seconds(clock));
    }
    line("txt_100k", oursTxt, rawTxtTime, tag);
    line("xlsx_100k", oursXlsx, rawXlsxTime, tag);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (const QString& a : app.arguments().mid(1))
        (a == QLatin1String("sqlite") || a == QLatin1String("postgres") ? onlyEngines : onlyFigures)
            << a;
    InstalarConsultasSQL();
    if (wanted("check_256k")) checkStatement();
    for (Engine engine : AvailableEngines()) run(engine);
    return 0;
}
