// Listing benchmark: the training-plan report over 10,000 plan lines of one
// year (1,000 employees, half of them under contract) on a temporary SQLite
// installation. Lines printed:
//   listing fill_10k ours=<s> raw=<s> ratio=<ours/raw>
//     the report's fill of its temporary table against the same selection
//     read and inserted by plain prepared statements in one transaction;
//   listing pdf_10k ours=<s> raw=<s> ratio=<ours/raw>
//     after the fill, the pages made and written to a PDF, against the same
//     text lines drawn straight onto a QPdfWriter;
//   listing first_page_before_end=<yes|no> first=<s> end=<s> pages=<n>
//     whether the engine handed its first page over before the run ended.

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "../common/instalacion.h"
#include "db/database.h"
#include "db/table.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/session/sesion.h"
#include "io/pdf.h"
#include "io/textfile.h"
#include "nomina/nomimodu.h"
#include "report/quickrep.h"
#include "rrhh/rrqrlpla.h"

namespace {

using bench::fail;
using bench::Installation;

constexpr int kEmployees = 1000;
constexpr int kLinesPerEmployee = 10;
constexpr int kYear = 2024;

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

void line(const char* figure, double ours, double raw) {
    std::printf("listing %s ours=%.4f raw=%.4f ratio=%.2f\n", figure, ours, raw,
                raw > 0 ? ours / raw : 0.0);
    std::fflush(stdout);
}

// The report with its fill timed on its own.
class TimedReport : public TfRRQRLPLA {
public:
    double fillSeconds = 0;

protected:
    void RellenarTemporal() override {
        QElapsedTimer t;
        t.start();
        TfRRQRLPLA::RellenarTemporal();
        fillSeconds = seconds(t);
    }
};

QString isoDate(const QDate& d) {
    return d.toString(Qt::ISODate) + QStringLiteral("T00:00:00");
}

// Employees, their contracts and the plan, in one transaction.
void fillData(TDatabase* db) {
    for (const char* name : {"PERSONAL", "HCONTRAT", "PLANFORM"}) {
        TTable t;
        t.setTableName(QLatin1String(name));
        if (!AbrirTabla(fGENEINIC, &t)) fail(QStringLiteral("cannot open ") + QLatin1String(name));
    }
    static const char* const actions[] = {"SOLDADURA", "INGLES", "PREVENCION DE RIESGOS",
                                          "CARRETILLAS", "PRIMEROS AUXILIOS"};
    db->StartTransaction();
    QSqlQuery& person = db->Prepared(QStringLiteral(
        "INSERT INTO PERSONAL (CodigoOperario, Nombre, NumeroMatricula) VALUES (?, ?, ?)"));
    for (int e = 1; e <= kEmployees; ++e) {
        person.bindValue(0, e);
        person.bindValue(1, QStringLiteral("EMPLEADO %1 APELLIDO").arg(e % 700, 4, 10, QChar('0')));
        person.bindValue(2, 10000 + e);
        db->Run(person);
    }
    QSqlQuery& contract = db->Prepared(
        QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, FechaInicioContrato, "
                       "FechaFinalContrato) VALUES (?, 1, ?, ?)"));
    for (int e = 1; e <= kEmployees; ++e) {
        contract.bindValue(0, e);
        contract.bindValue(1, isoDate(QDate(2010, 1, 1)));
        // Odd codes have an open contract, even ones ended long ago.
        contract.bindValue(2, e % 2 ? isoDate(QDate(1899, 12, 30)) : isoDate(QDate(2015, 1, 1)));
        db->Run(contract);
    }
    QSqlQuery& plan = db->Prepared(QStringLiteral(
        "INSERT INTO PLANFORM (Ejercicio, CodigoOperario, Linea, Departamento, Imputacion, "
        "CodigoFormacion, AccionFormativa, NecesidadFijadaPor, Tipo, Impartido, Duracion, "
        "FechaInicio, FechaFinal, Realizado, TituloObtenido, Revision, ValoracionAlumno, "
        "ValoracionJefeSeccion) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int e = 1; e <= kEmployees; ++e) {
        for (int l = 1; l <= kLinesPerEmployee; ++l) {
            const int i = e * kLinesPerEmployee + l;
            const QDate start = QDate(kYear, 1, 1).addDays(i % 300);
            const QVariantList values{kYear,
                                      e,
                                      l,
                                      QStringLiteral("PRODUCCION"),
                                      QStringLiteral("CENTRO %1").arg(i % 7),
                                      QStringLiteral("F%1").arg(i % 40),
                                      QLatin1String(actions[i % 5]),
                                      QStringLiteral("JEFE DE SECCION"),
                                      i % 3 ? QStringLiteral("Interno") : QStringLiteral("Externo"),
                                      QStringLiteral("FORMADORES S.L."),
                                      double(4 + i % 36),
                                      isoDate(start),
                                      isoDate(start.addDays(5)),
                                      i % 4 ? QStringLiteral("SI") : QStringLiteral("NO"),
                                      QStringLiteral("CERTIFICADO"),
                                      1,
                                      1 + i % 5,
                                      1 + i % 4};
            for (int k = 0; k < values.size(); ++k) plan.bindValue(k, values[k]);
            db->Run(plan);
        }
    }
    db->Commit();
}

// The same selection as the report's (every option on, all revisions 1,
// every employee with or without contract) read and written by plain
// prepared statements in one transaction; returns the rows written.
// Kept out of line so that a profile shows it apart from the report.
[[gnu::noinline]] int rawFill(TDatabase* db) {
    const QStringList columns{
        "Clasificacion",         "CodigoOperario", "Nombre",          "Departamento",
        "NumeroMatricula",       "Imputacion",     "AccionFormativa", "TituloObtenido",
        "NecesidadFijadaPor",    "Tipo",           "Impartido",       "Duracion",
        "FechaInicio",           "FechaFinal",     "Realizado",       "ValoracionAlumno",
        "ValoracionJefeSeccion", "Revision"};
    db->Execute(QStringLiteral("DROP TABLE IF EXISTS BENCHRAW"));
    db->Execute(QStringLiteral(
        "CREATE TABLE BENCHRAW (Clasificacion VARCHAR(1000) PRIMARY KEY, CodigoOperario INTEGER, "
        "Nombre VARCHAR(40), Departamento VARCHAR(40), NumeroMatricula INTEGER, Imputacion "
        "VARCHAR(40), AccionFormativa VARCHAR(40), TituloObtenido VARCHAR(40), "
        "NecesidadFijadaPor VARCHAR(40), Tipo VARCHAR(40), Impartido VARCHAR(40), Duracion "
        "DOUBLE PRECISION, FechaInicio TIMESTAMP, FechaFinal TIMESTAMP, Realizado VARCHAR(2), "
        "ValoracionAlumno VARCHAR(1), ValoracionJefeSeccion VARCHAR(1), Revision INTEGER)"));
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i) marks << QStringLiteral("?");
    db->StartTransaction();
    QSqlQuery read(db->connection());
    read.setForwardOnly(true);
    read.prepare(QStringLiteral(
        "SELECT p.CodigoOperario, p.Linea, p.Departamento, p.Imputacion, p.AccionFormativa, "
        "p.TituloObtenido, p.NecesidadFijadaPor, p.Tipo, p.Impartido, p.Duracion, p.FechaInicio, "
        "p.FechaFinal, p.Realizado, p.ValoracionAlumno, p.ValoracionJefeSeccion, p.Revision, "
        "p.CodigoFormacion, e.Nombre, e.NumeroMatricula FROM PLANFORM p JOIN PERSONAL e ON "
        "e.CodigoOperario = p.CodigoOperario WHERE p.Ejercicio = ? AND p.CodigoOperario BETWEEN "
        "? AND ? ORDER BY p.CodigoOperario, p.Linea"));
    read.addBindValue(kYear);
    read.addBindValue(0);
    read.addBindValue(9999);
    if (!read.exec()) fail("raw read failed");
    QSqlQuery contract(db->connection());
    contract.prepare(QStringLiteral(
        "SELECT FechaInicioContrato, FechaFinalContrato FROM HCONTRAT WHERE CodigoOperario = ? "
        "ORDER BY FechaInicioContrato DESC, NumeroContrato DESC"));
    QSqlQuery insert(db->connection());
    insert.prepare(QStringLiteral("INSERT INTO BENCHRAW (") + columns.join(QStringLiteral(", ")) +
                   QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) +
                   QStringLiteral(")"));
    QHash<int, bool> contracts;
    int rows = 0;
    while (read.next()) {
        const int code = read.value(0).toInt();
        if (!contracts.contains(code)) {
            contract.addBindValue(code);
            contract.exec();
            contracts.insert(code, contract.next());  // both options on: only asked
            contract.finish();
        }
        const int revision = read.value(15).toInt();
        if (!TfRRQRLPLA::RevisionSeleccionada(revision, 1, 1)) continue;
        const QString name = read.value(17).toString();
        const bool done = read.value(12).toString() == QLatin1String("SI");
        const QVariantList values{TfRRQRLPLA::Clasificacion(false, read.value(4).toString(), name,
                                                            read.value(1).toInt(), code),
                                  code,
                                  name,
                                  read.value(2),
                                  read.value(18),
                                  read.value(3),
                                  read.value(4),
                                  read.value(5),
                                  read.value(6),
                                  read.value(7),
                                  read.value(8),
                                  read.value(9),
                                  read.value(10),
                                  read.value(11),
                                  read.value(12),
                                  done ? read.value(13).toString() : QString(),
                                  done ? read.value(14).toString() : QString(),
                                  revision};
        for (int k = 0; k < values.size(); ++k) insert.bindValue(k, values[k]);
        if (!insert.exec()) fail("raw insert failed");
        ++rows;
    }
    db->Commit();
    return rows;
}

// The report's text lines drawn straight onto a PDF: the page header (company,
// title, captions) and one line of fifteen columns per row, in the report's
// order, as many lines a page as the report's detail band allows.
int rawPdf(TDatabase* db, const QString& table, const QString& path) {
    QPdfWriter writer(path);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
    QPainter p;
    if (!p.begin(&writer)) fail("raw pdf cannot be written");
    const double unit = writer.resolution() / 96.0;  // report units to device
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(qRound(8 * 96 / 72.0 * unit));
    QFont bold = font;
    bold.setBold(true);
    static const int widths[] = {150, 40, 90, 130, 80, 100, 45, 80, 60, 62, 62, 50, 34, 34, 25};
    static const char* const captions[] = {"Nombre",      "N.Mat.",
                                           "Imputación",  "Acción Formativa",
                                           "Título",      "Necesidad fijada por",
                                           "Int/Ext.",    "Impartido",
                                           "Duración(H)", "Fecha Inicio",
                                           "Fecha Final", "Realizado",
                                           "V.A.",        "V.J.S.",
                                           "R."};
    const double left = 5 * 96 / 25.4, top = 10 * 96 / 25.4;
    const double pageHeight = 210 * 96 / 25.4 - 10 * 96 / 25.4 - 22;
    QSqlQuery q(db->connection());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral(
                    "SELECT Nombre, NumeroMatricula, Imputacion, AccionFormativa, TituloObtenido, "
                    "NecesidadFijadaPor, Tipo, Impartido, Duracion, FechaInicio, FechaFinal, "
                    "Realizado, "
                    "ValoracionAlumno, ValoracionJefeSeccion, Revision FROM ") +
                table + QStringLiteral(" ORDER BY Clasificacion")))
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
            text(left + 100, top + 18, 500, QStringLiteral("PLAN DE FORMACION AÑO 2024"));
            double x = left;
            for (int c = 0; c < 15; ++c) {
                text(x, top + 62, widths[c], QString::fromUtf8(captions[c]));
                x += widths[c];
            }
            p.setFont(font);
            y = top + 80;
        }
        double x = left;
        for (int c = 0; c < 15; ++c) {
            QString s = q.value(c).toString();
            if (c == 9 || c == 10) s = q.value(c).toDate().toString(QStringLiteral("dd/MM/yyyy"));
            text(x, y + 1, widths[c] - 2, s);
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
    Installation installation;
    TModuloDatos module;
    CrearModulosNomina();
    TDatabase* db = fGENEINIC->Database;
    fillData(db);
    QTemporaryDir out;

    // The best of three rounds of each side, taken in turns. Ours: the report
    // prepared (fill, then pages), then its PDF; a new round fills afresh.
    TimedReport report;
    report.Ejercicio = kYear;
    QElapsedTimer clock;
    double firstPage = -1, end = -1;
    report.QuickReport->QRPrinter()->OnPageAvailable = [&](int n) {
        if (n == 1 && firstPage < 0) firstPage = seconds(clock);
    };
    report.QuickReport->AfterPrint = [&](QObject*) {
        if (end < 0) end = seconds(clock);
    };
    double oursFill = 1e9, oursPdf = 1e9, rawFillTime = 1e9, rawPdfTime = 1e9;
    int pages = 0, rawPages = 0;
    for (int round = 0; round < 3; ++round) {
        clock.restart();
        report.QuickReport->Prepare();
        const double prepare = seconds(clock);
        pages = report.QuickReport->QRPrinter()->PageCount();
        if (pages == 0 || report.Temporal->RecordCount() == 0) fail("the report made no page");
        clock.restart();
        if (!report.QuickReport->ExportToPdf(out.filePath(QStringLiteral("ours.pdf"))))
            fail("the report's PDF was not written");
        oursPdf = std::min(oursPdf, prepare - report.fillSeconds + seconds(clock));
        oursFill = std::min(oursFill, report.fillSeconds);

        // Raw: the same selection and the same lines.
        clock.restart();
        const int rawRows = rawFill(db);
        rawFillTime = std::min(rawFillTime, seconds(clock));
        if (rawRows != report.Temporal->RecordCount())
            fail(QStringLiteral("raw fill wrote %1 rows, the report %2")
                     .arg(rawRows)
                     .arg(report.Temporal->RecordCount()));
        clock.restart();
        rawPages =
            rawPdf(db, report.NombreTablaTemporal(), out.filePath(QStringLiteral("raw.pdf")));
        rawPdfTime = std::min(rawPdfTime, seconds(clock));
    }
    db->Execute(QStringLiteral("DROP TABLE IF EXISTS BENCHRAW"));

    line("fill_10k", oursFill, rawFillTime);
    line("pdf_10k", oursPdf, rawPdfTime);
    std::printf("listing first_page_before_end=%s first=%.4f end=%.4f pages=%d raw_pages=%d\n",
                firstPage >= 0 && firstPage < end ? "yes" : "no", firstPage, end, pages, rawPages);
    std::printf("listing pdf_pages ours=%d\n",
                PdfPageCount(out.filePath(QStringLiteral("ours.pdf"))));
    return 0;
}
