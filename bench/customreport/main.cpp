// Custom-report runner benchmark: 100,000 HPUESTO rows joined to PUESTO,
// with a date variable, a group on the position and a float sum, on SQLite
// and (when RH_PG_* are set) PostgreSQL. Lines printed per engine:
//   customreport <engine> pdf_100k ours=<s> raw=<s> ratio=<ours/raw>
//     "Listar" of the stored report straight to a PDF (query, fetch, layout,
//     pages) against the same SELECT through QSqlQuery drawn on QPdfWriter
//     with the same lines, column titles, group headers and totals, the
//     amounts right-aligned in their column as the report aligns them.
//   customreport <engine> fetch_100k ours=<s> raw=<s> ratio=<ours/raw>
//     the runner's query into its client dataset against a QSqlQuery scan
//     keeping every row's values in memory.
//   customreport <engine> preview_100k first_page=<s> end=<s>
//     "Listar" into the preview window: when its first page is painted on
//     screen, and when the run has laid out the last page.

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "../common/instalacion.h"
#include "db/clientdataset.h"
#include "db/database.h"
#include "db/table.h"
#include "db/tablecursor.h"
#include "gene/data/genemodu.h"
#include "gene/listings/genecinf_filtro.h"
#include "gene/listings/genecinf_sql.h"
#include "gene/listings/geneprev.h"
#include "gene/listings/geneuinf.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "report/quickrep.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/pdfprueba.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

using bench::fail;

constexpr int kRows = 100000;
constexpr int kPositions = 40;

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

void fillData(TDatabase* db, bool sqlite) {
    for (const char* name : {"PUESTO", "HPUESTO", "FILTRO"}) {
        TTable t;
        t.setTableName(QLatin1String(name));
        if (!AbrirTabla(fGENEINIC, &t)) fail(QStringLiteral("cannot open ") + QLatin1String(name));
    }
    db->StartTransaction();
    QSqlQuery& puesto =
        db->Prepared(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES (?, ?)"));
    for (int p = 0; p < kPositions; ++p) {
        puesto.bindValue(0, QStringLiteral("P%1").arg(p));
        puesto.bindValue(1, QStringLiteral("PUESTO DE TRABAJO %1").arg(p, 2, 10, QChar('0')));
        db->Run(puesto);
    }
    QSqlQuery& historia = db->Prepared(
        QStringLiteral("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, FechaInicio, "
                       "CodigoPuesto, Descripcion) VALUES (?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < kRows; ++i) {
        historia.bindValue(0, QStringLiteral("PERSONAL"));
        historia.bindValue(1, i / 4 + 1);
        historia.bindValue(2, i % 4 + 1);
        historia.bindValue(
            3, TTableCursor::toStorage(QDateTime(QDate(2015, 1, 1).addDays(i % 3000), QTime(0, 0)),
                                       ftDateTime, sqlite));
        historia.bindValue(4, QStringLiteral("P%1").arg(i % kPositions));
        historia.bindValue(5, QStringLiteral("HISTORIA %1").arg(i));
        db->Run(historia);
    }
    db->Commit();
}

DefinicionInforme design() {
    DefinicionInforme d;
    d.Tablas = QStringList{"HPUESTO", "PUESTO"};
    d.Columnas =
        QStringList{"PUESTO.Descripcion AS 'Puesto'", "HPUESTO.CodigoOperario", "HPUESTO.Linea",
                    "HPUESTO.FechaInicio", "(HPUESTO.Linea * 1.5) AS 'Horas'"};
    d.Restricciones = QStringList{"HPUESTO.FechaInicio >= :&Desde"};
    d.Ordenacion =
        QStringList{"PUESTO.Descripcion AS 'Puesto'", "HPUESTO.CodigoOperario", "HPUESTO.Linea"};
    d.Vinculos = QStringList{"HPUESTO.CodigoPuesto = PUESTO.Codigo"};
    d.Grupos = QStringList{"PUESTO.Descripcion AS 'Puesto'"};
    d.Sumatorios = QStringList{"_Expresion AS 'Horas'"};
    d.FormatoColumnas = QStringLiteral("-1|25|25|25|25|");
    d.Opciones = QStringLiteral("FormatoColumnar,");
    return d;
}

// The same listing drawn by hand: title, column titles on each page, a
// header per position, the rows, group totals and the grand total.
double rawPdf(TDatabase* db, const QString& sql, const QString& file) {
    QElapsedTimer clock;
    clock.start();
    QSqlQuery q(db->connection());
    q.setForwardOnly(true);
    if (!q.exec(sql)) fail("raw query failed");
    QPdfWriter writer(file);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(300);
    QPainter p(&writer);
    QFont font(QStringLiteral("Arial"), 8);
    p.setFont(font);
    // Amounts end at their column's right edge, as the report aligns its
    // real fields and totals: each measured, then drawn.
    const QFontMetrics metrics(font, &writer);
    // Rows 4 mm high and a page footer, as the report's bands: as many pages.
    const int lineHeight = 300 * 4 / 25;
    const int bottom = writer.height() - 4 * lineHeight;
    const QString printed =
        QStringLiteral("Impreso el ") +
        QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    const QStringList titles{"Codigo Operario", "Linea", "Fecha Inicio", "Horas"};
    const int column = writer.width() / 4;
    int y = 0, rows = 0, page = 1;
    auto amount = [&](double value) {
        const QString text = QString::number(value, 'f', 2);
        p.drawText(4 * column - metrics.horizontalAdvance(text), y, text);
    };
    auto header = [&] {
        y = lineHeight;
        p.drawText(0, y, QStringLiteral("Bench"));
        p.drawText(0, y + lineHeight, QStringLiteral("Empresa"));
        p.drawText(writer.width() / 2, y, QStringLiteral("Página %1").arg(page));
        y += 3 * lineHeight;
        p.fillRect(0, y - lineHeight + 4, writer.width(), lineHeight, Qt::black);
        p.setPen(Qt::white);
        for (int c = 0; c < titles.size(); ++c) p.drawText(c * column, y, titles[c]);
        p.setPen(Qt::black);
        y += lineHeight;
    };
    auto room = [&] {
        if (y < bottom) return;
        p.drawText(writer.width() / 2, writer.height() - lineHeight, printed);
        writer.newPage();
        ++page;
        header();
    };
    header();
    QString group;
    double groupSum = 0, total = 0;
    bool first = true;
    auto footer = [&] {
        room();
        amount(groupSum);
        y += lineHeight;
    };
    while (q.next()) {
        const QString position = q.value(0).toString();
        if (first || position != group) {
            if (!first) footer();
            first = false;
            group = position;
            groupSum = 0;
            room();
            p.drawText(0, y, QStringLiteral("Puesto: ") + position);
            y += lineHeight;
        }
        room();
        const double hours = q.value(4).toDouble();
        p.drawText(0, y, q.value(1).toString());
        p.drawText(column, y, q.value(2).toString());
        p.drawText(2 * column, y, q.value(3).toDateTime().toString(QStringLiteral("dd/MM/yyyy")));
        amount(hours);
        y += lineHeight;
        groupSum += hours;
        total += hours;
        ++rows;
    }
    if (!first) footer();
    room();
    amount(total);
    p.drawText(writer.width() / 2, writer.height() - lineHeight, printed);
    p.end();
    if (rows != kRows) fail(QStringLiteral("raw listing of %1 rows").arg(rows));
    return seconds(clock);
}

// The same rows into memory as the runner's dataset holds them: each row's
// values kept as the driver gives them, and the rows of the run before let
// go first, as the runner lets its own go.
[[gnu::noinline]] double rawScan(TDatabase* db, const QString& sql,
                                 std::vector<QVector<QVariant>>& rows) {
    QElapsedTimer clock;
    clock.start();
    rows.clear();
    QSqlQuery q(db->connection());
    q.setForwardOnly(true);
    if (!q.exec(sql)) fail("raw scan failed");
    while (q.next()) {
        QVector<QVariant> row(5);
        for (int c = 0; c < 5; ++c) row[c] = q.value(c);
        rows.push_back(std::move(row));
    }
    if (rows.size() != size_t(kRows)) fail(QStringLiteral("raw scan of %1 rows").arg(rows.size()));
    return seconds(clock);
}

// Times a listing into the preview window: the first paint of the page viewer
// once a page exists, and the report's end, after which the window is closed
// so that the runner's Preview returns.
class PreviewClock : public QObject {
public:
    explicit PreviewClock(const QElapsedTimer& clock) : clock_(clock) {
        qApp->installEventFilter(this);
    }
    ~PreviewClock() override { qApp->removeEventFilter(this); }
    double firstPage = 0, end = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show) {
            if (auto* w = qobject_cast<TfGENEPREV*>(o)) watch(w);
        } else if (e->type() == QEvent::Paint && firstPage == 0) {
            for (QObject* p = o; p; p = p->parent()) {
                auto* viewer = qobject_cast<TQRPreview*>(p);
                if (!viewer) continue;
                if (viewer->QRPrinter() && viewer->QRPrinter()->PageCount() > 0)
                    firstPage = seconds(clock_);
                break;
            }
        }
        return false;
    }

private:
    void watch(TfGENEPREV* w) {
        TQuickRep* report = w->Informe();
        auto previous = report->AfterPrint;
        QPointer<TfGENEPREV> window(w);
        report->AfterPrint = [this, previous, window](QObject* sender) {
            if (previous) previous(sender);
            end = seconds(clock_);
            // Closed once the run has returned: a running report refuses it.
            QTimer::singleShot(0, window, [window] {
                if (window) window->Close();
            });
        };
    }
    const QElapsedTimer& clock_;
};

// Figures and engines ("sqlite", "postgres") named on the command line run
// alone (for profiling).
QStringList onlyFigures, onlyEngines;
bool wanted(const char* figure) {
    return onlyFigures.isEmpty() || onlyFigures.contains(QLatin1String(figure));
}

void line(const char* engine, const char* figure, double ours, double raw) {
    std::printf("customreport %s %s ours=%.4f raw=%.4f ratio=%.2f\n", engine, figure, ours, raw,
                raw > 0 ? ours / raw : 0.0);
    std::fflush(stdout);
}

void run(Engine engine) {
    const bool sqlite = engine == Engine::Sqlite;
    const char* name = sqlite ? "sqlite" : "postgres";
    if (!onlyEngines.isEmpty() && !onlyEngines.contains(QLatin1String(name))) return;
    EmpresaPrueba company(engine);
    TDatabase* db = fGENEINIC->Database;
    fillData(db, sqlite);
    const DefinicionInforme d = design();
    const QString sql = GenerarSentenciaSQL(d, engine);
    QString motivo;
    if (!EscribirInforme(QStringLiteral("Bench"), sql, ComponerInstrucciones(d), motivo))
        fail(QStringLiteral("the report was not stored: ") + motivo);
    QString rawSql = sql;
    rawSql.replace(QStringLiteral(":&Desde"),
                   SqlDialect::forEngine(engine).dateLiteral(QDate(1900, 1, 1)));

    InformeUsuarioAEjecutar = QStringLiteral("Bench");
    auto* form = qobject_cast<TfGENEUINF*>(CreateForm(QStringLiteral("TfGENEUINF")));
    if (!form || form->EditoresParametros.size() != 1) fail("the runner was not created");
    form->VisualizacionPrevia->setChecked(false);
    QTemporaryDir dir;

    double ours = 1e9, raw = 1e9, fetch = 1e9, scan = 1e9;
    std::vector<QVector<QVariant>> rawRows;
    QElapsedTimer clock;
    for (int round = 0; round < 2 && wanted("pdf_100k"); ++round) {
        const QString pdf = dir.filePath(QStringLiteral("ours%1.pdf").arg(round));
        ImprimirEnPdf(pdf);
        clock.restart();
        form->pbListarClick();
        ours = std::min(ours, seconds(clock));
        if (!QFile::exists(pdf) || form->ClientDataSet1->RecordCount() != kRows)
            fail(QStringLiteral("the runner listed %1 rows")
                     .arg(form->ClientDataSet1->RecordCount()));
        raw = std::min(raw, rawPdf(db, rawSql, dir.filePath(QStringLiteral("raw.pdf"))));
    }
    for (int round = 0; round < 2 && wanted("fetch_100k"); ++round) {
        clock.restart();
        if (!form->EjecutarConsultaInforme().isEmpty()) fail("the runner's query failed");
        fetch = std::min(fetch, seconds(clock));
        if (form->ClientDataSet1->RecordCount() != kRows) fail("the runner fetched too few rows");
        scan = std::min(scan, rawScan(db, rawSql, rawRows));
    }
    double firstPage = 1e9, end = 1e9;
    form->VisualizacionPrevia->setChecked(true);
    for (int round = 0; round < 2 && wanted("preview_100k"); ++round) {
        PreviewClock preview(clock);
        clock.restart();
        form->pbListarClick();
        if (preview.firstPage == 0 || preview.end == 0) fail("the preview showed no page");
        firstPage = std::min(firstPage, preview.firstPage);
        end = std::min(end, preview.end);
    }
    delete form;
    if (wanted("pdf_100k")) line(name, "pdf_100k", ours, raw);
    if (wanted("fetch_100k")) line(name, "fetch_100k", fetch, scan);
    if (wanted("preview_100k")) {
        std::printf("customreport %s preview_100k first_page=%.4f end=%.4f\n", name, firstPage,
                    end);
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (const QString& a : app.arguments().mid(1))
        (a == QLatin1String("sqlite") || a == QLatin1String("postgres") ? onlyEngines : onlyFigures)
            << a;
    InstalarServiciosFormulario();
    RegistrarTfGENEUINF();
    for (Engine engine : AvailableEngines()) run(engine);
    return 0;
}
