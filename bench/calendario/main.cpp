// Calendar benchmark on a temporary SQLite installation: 500 employees with
// contracts and leaves over the year 2024. Lines printed:
//   calendario generar_500 ours=<s> raw=<s> ratio=<ours/raw>
//     the employees' own days generated from their contracts and leaves
//     (under the payroll program's identity) against the same 183,000 rows
//     inserted by one prepared statement in one transaction;
//   calendario listado_pdf_500 ours=<s> raw=<s> ratio=<ours/raw>
//     the day-type calendar listing of those employees, fill and PDF, as a
//     job to a "PDF:" file makes it,
//     against the same rows read by plain queries and the same page (title,
//     headings, cells, legend, footer) drawn straight onto a QPdfWriter;
//   calendario first_page_before_end=<yes|no> first=<s> end=<s> pages=<n>
//     whether the report handed its first page over before its run ended;
//   calendario listado_parts fill=<s> pages=<s> pdf=<s>
//     where the listing's time goes: the fill of its table before the first
//     page, the pages made as pictures (for a preview, with the rest of the
//     table filled as they are made), those pictures written to a PDF.
// With the argument "generar_500" the run ends after the generation (the
// listing reads the generated days, so it always follows one), for a
// profiler to be pointed at it alone.

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cstdio>

#include "../common/instalacion.h"
#include "db/database.h"
#include "db/table.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesali.h"
#include "gene/data/genesist.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "nomina/nomimodu.h"
#include "report/quickrep.h"
#include "rrhh/reqrlcal.h"
#include "rrhh/rrhhcaop.h"

namespace {

using bench::fail;
using bench::Installation;

constexpr int kEmployees = 500;
constexpr int kYear = 2024;

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

void line(const char* figure, double ours, double raw) {
    std::printf("calendario %s ours=%.4f raw=%.4f ratio=%.2f\n", figure, ours, raw,
                raw > 0 ? ours / raw : 0.0);
    std::fflush(stdout);
}

QString isoDate(const QDate& d) {
    return d.toString(Qt::ISODate) + QStringLiteral("T00:00:00");
}

const char* siNo(bool b) {
    return b ? "SI" : "NO";
}

// Employees on calendar 1, their contracts and leaves, and calendar 1 for
// the year, as the company calendar window generates it.
void fillData(TDatabase* db) {
    for (const char* name :
         {"PERSONAL", "HCONTRAT", "BAJA", "TSUBSDIO", "CALENDAR", "CALENOPE", "HORARIO"}) {
        TTable t;
        t.setTableName(QLatin1String(name));
        if (!AbrirTabla(fGENEINIC, &t)) fail(QStringLiteral("cannot open ") + QLatin1String(name));
    }
    db->StartTransaction();
    db->Execute(QStringLiteral(
        "INSERT INTO HORARIO (Numero, Descripcion, Color) VALUES (1, 'GENERAL', 16776960)"));
    db->Execute(QStringLiteral(
        "INSERT INTO TSUBSDIO (Codigo, HastaDias, TipoBaja) VALUES ('EC', 0, 'Enfermedad')"));
    QSqlQuery& person = db->Prepared(QStringLiteral(
        "INSERT INTO PERSONAL (CodigoOperario, Nombre, CodigoCalendario) VALUES (?, ?, 1)"));
    QSqlQuery& contract = db->Prepared(
        QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, FechaInicioContrato, "
                       "FechaFinalContrato) VALUES (?, 1, ?, ?)"));
    QSqlQuery& leave = db->Prepared(
        QStringLiteral("INSERT INTO BAJA (CodigoOperario, CodigoBaja, FechaInicio, FechaFinal) "
                       "VALUES (?, 'EC', ?, ?)"));
    for (int e = 1; e <= kEmployees; ++e) {
        person.bindValue(0, e);
        person.bindValue(1, QStringLiteral("EMPLEADO %1 APELLIDO").arg(e, 4, 10, QChar('0')));
        db->Run(person);
        contract.bindValue(0, e);
        contract.bindValue(1, isoDate(QDate(2010, 1, 1)));
        contract.bindValue(2, isoDate(QDate(1899, 12, 30)));
        db->Run(contract);
        const QDate start = QDate(kYear, 1, 10).addDays(e % 300);
        leave.bindValue(0, e);
        leave.bindValue(1, isoDate(start));
        leave.bindValue(2, isoDate(start.addDays(6)));
        db->Run(leave);
    }
    QSqlQuery& day = db->Prepared(QStringLiteral(
        "INSERT INTO CALENDAR (Codigo, Fecha, EsDiaTrabajado, EsDiaFestivo, EsDiaVacaciones, "
        "EsDiaPuente, NumeroHorario) VALUES (1, ?, ?, ?, ?, 'NO', ?)"));
    for (QDate d(kYear, 1, 1); d.year() == kYear; d = d.addDays(1)) {
        const bool sunday = d.dayOfWeek() == 7, august = d.month() == 8;
        day.bindValue(0, isoDate(d));
        day.bindValue(1, QLatin1String(siNo(d.dayOfWeek() <= 5 && !august)));
        day.bindValue(2, QLatin1String(siNo(sunday)));
        day.bindValue(3, QLatin1String(siNo(august)));
        day.bindValue(4, sunday || august ? 0 : 1);
        db->Run(day);
    }
    db->Commit();
}

// The employees' own days for the year, as the payroll program generates
// them, by one prepared statement in one transaction; returns the rows.
int rawGenerate(TDatabase* db, const QString& table) {
    db->StartTransaction();
    QSqlQuery& insert = db->Prepared(
        QStringLiteral("INSERT INTO ") + table +
        QStringLiteral(" (CodigoOperario, Fecha, EsDiaTrabajado, EsDiaFestivo, "
                       "EsDiaVacaciones, EsDiaPermiso, EsDiaPuente, NumeroHorario, Situacion) "
                       "VALUES (?, ?, ?, ?, ?, 'NO', 'NO', 0, ?)"));
    int rows = 0;
    for (int e = 1; e <= kEmployees; ++e) {
        const QDate leaveStart = QDate(kYear, 1, 10).addDays(e % 300);
        for (QDate d(kYear, 1, 1); d.year() == kYear; d = d.addDays(1)) {
            const bool august = d.month() == 8;
            insert.bindValue(0, e);
            insert.bindValue(1, isoDate(d));
            insert.bindValue(2, QLatin1String(siNo(d.dayOfWeek() <= 5 && !august)));
            insert.bindValue(3, QLatin1String(siNo(d.dayOfWeek() == 7)));
            insert.bindValue(4, QLatin1String(siNo(august)));
            const bool sick = d >= leaveStart && d <= leaveStart.addDays(6);
            insert.bindValue(5, sick ? QStringLiteral("Enfermedad") : QStringLiteral("Alta"));
            db->Run(insert);
            ++rows;
        }
    }
    db->Commit();
    return rows;
}

// The listing's rows by plain queries and its page drawn straight onto a
// PDF, with what the report's page shows: the title, a header per employee
// with the weekday initials on their dark boxes, a line per month with its
// name and each day a cell of three coloured parts with its digits, the
// legend of day types with their coloured codes and counts, the line above
// it, the remarks' caption and the page footer.
int rawPdf(TDatabase* db, const QString& file) {
    struct Cell {
        int day = 0;
        QColor tr, lafe, vpp;
        int codes[3] = {-1, -1, -1};  // the day types of its three parts
    };
    QPdfWriter pdf(file);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Landscape);
    pdf.setResolution(96);
    QPainter p(&pdf);
    const QFont small(QStringLiteral("Liberation Sans"), 7);
    const QFont normal(QStringLiteral("Liberation Sans"), 10);
    QFont bold = normal;
    bold.setBold(true);
    QFont title(QStringLiteral("Liberation Sans"), 12);
    title.setBold(true);
    const QColor blue(0, 128, 255), green(0, 128, 0), red(255, 0, 0), maroon(128, 0, 0),
        orange(255, 128, 0), fuchsia(255, 0, 255);
    static const char* const kMonths[] = {"Enero",      "Febrero", "Marzo",     "Abril",
                                          "Mayo",       "Junio",   "Julio",     "Agosto",
                                          "Septiembre", "Octubre", "Noviembre", "Diciembre"};
    static const char* const kInitials[] = {"L", "M", "X", "J", "V", "S", "D"};
    // The legend's slots: code, colour, description (worked, working day,
    // holiday, vacation, bridge, leave).
    static const char* const kCodes[] = {"Tr", "La", "Fe", "Va", "Pu", "Pe"};
    static const char* const kTypes[] = {"Trabajados ", "Laborables ", "Festivos ",
                                         "Vacaciones ", "Puente ",     "Permiso "};
    const QColor typeColours[] = {blue, green, red, maroon, orange, fuchsia};
    const QString heading =
        QStringLiteral("Listado de Calendarios de Operarios del Año %1 - Tipos de Día").arg(kYear);
    const QString printed =
        QStringLiteral("Impreso el ") +
        QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    const double left = 19, footerTop = pdf.height() - 38 - 22;
    QSqlQuery company(db->connection()), own(db->connection());
    company.setForwardOnly(true);
    own.setForwardOnly(true);
    const QString select = QStringLiteral(
        "SELECT OP.CodigoOperario, OP.Nombre, C.Fecha, C.EsDiaTrabajado, C.EsDiaFestivo, "
        "C.EsDiaVacaciones, C.EsDiaPuente, OP.CodigoCalendario%1 FROM PERSONAL OP JOIN %2 WHERE "
        "C.Fecha >= ? AND C.Fecha < ? ORDER BY OP.CodigoOperario, C.Fecha");
    company.prepare(
        select.arg(QString(), QStringLiteral("CALENDAR C ON OP.CodigoCalendario = C.Codigo")));
    own.prepare(select.arg(QStringLiteral(", C.EsDiaPermiso"),
                           QStringLiteral("CALENOPE C ON OP.CodigoOperario = C.CodigoOperario")));
    for (QSqlQuery* q : {&company, &own}) {
        q->addBindValue(QDate(kYear, 1, 1).toString(Qt::ISODate));
        q->addBindValue(QDate(kYear + 1, 1, 1).toString(Qt::ISODate));
        if (!q->exec()) fail("raw listing read failed");
    }
    bool moreCompany = company.next(), moreOwn = own.next();
    int pages = 0;
    while (moreCompany || moreOwn) {
        int employee = INT_MAX;
        if (moreCompany) employee = company.value(0).toInt();
        if (moreOwn) employee = std::min(employee, own.value(0).toInt());
        std::array<std::array<Cell, 41>, 13> months{};
        QString name;
        int calendar = 0;
        auto take = [&](QSqlQuery& q, bool& more, bool withLeave) {
            for (; more && q.value(0).toInt() == employee; more = q.next()) {
                name = q.value(1).toString();
                calendar = q.value(7).toInt();
                const QDate d = QDate::fromString(q.value(2).toString().left(10), Qt::ISODate);
                const int cell = QDate(d.year(), d.month(), 1).dayOfWeek() + d.day() - 1;
                Cell& c = months[d.month()][cell];
                const bool worked = q.value(3).toString() == QLatin1String("SI");
                const bool holiday = q.value(4).toString() == QLatin1String("SI");
                c.day = d.day();
                c.tr = worked ? blue : holiday ? red : green;
                c.lafe = holiday ? red : green;
                c.vpp = holiday ? red : green;
                c.codes[0] = worked ? 0 : -1;
                c.codes[1] = holiday ? 2 : 1;
                c.codes[2] = -1;
                if (q.value(5).toString() == QLatin1String("SI")) c.codes[2] = 3;
                if (q.value(6).toString() == QLatin1String("SI")) c.codes[2] = 4;
                if (withLeave && q.value(8).toString() == QLatin1String("SI")) c.codes[2] = 5;
                if (c.codes[2] >= 0) c.vpp = typeColours[c.codes[2]];
            }
        };
        take(company, moreCompany, false);
        take(own, moreOwn, true);
        if (pages++ > 0) pdf.newPage();
        p.setPen(Qt::black);
        p.setFont(title);
        p.drawText(QRectF(left + 150, 58, 700, 20), heading);
        p.setFont(normal);
        p.drawText(QRectF(left, 130, 60, 17), QStringLiteral("Operario:"));
        p.drawText(QRectF(left + 62, 130, 40, 17), QString::number(employee));
        p.drawText(QRectF(left + 105, 130, 300, 17), name);
        p.drawText(QRectF(left + 420, 130, 70, 17), QStringLiteral("Calendario:"));
        p.drawText(QRectF(left + 492, 130, 40, 17), QString::number(calendar));
        // The weekday initials, white on black (red on Sundays).
        p.setFont(bold);
        p.fillRect(QRectF(left, 152, 85, 17), Qt::black);
        p.setPen(Qt::white);
        p.drawText(QRectF(left, 152, 85, 17), Qt::AlignHCenter | Qt::AlignTop,
                   QStringLiteral("Mes"));
        for (int n = 1; n <= 40; ++n) {
            const QRectF box(left + 90 + 24 * (n - 1), 152, 21, 17);
            p.fillRect(box, (n - 1) % 7 == 6 ? red : Qt::black);
            p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, QLatin1String(kInitials[(n - 1) % 7]));
        }
        p.setPen(Qt::black);
        int counts[6] = {};
        for (int m = 1; m <= 12; ++m) {
            const double y = 174 + (m - 1) * 22;
            p.setFont(normal);
            p.drawText(QRectF(left, y + 3, 85, 17), QLatin1String(kMonths[m - 1]));
            p.setFont(small);
            for (int n = 1; n <= 40; ++n) {
                const Cell& c = months[m][n];
                if (c.day == 0) continue;
                const double x = left + 90 + 24 * (n - 1);
                p.fillRect(QRectF(x, y + 4, 20, 16), c.tr);
                p.fillRect(QRectF(x + 7, y + 4, 7, 16), c.lafe);
                p.fillRect(QRectF(x + 13, y + 4, 7, 16), c.vpp);
                p.drawText(QRectF(x + 7, y + 4, 7, 16),
                           QString::number(c.day >= 10 ? c.day / 10 : c.day));
                if (c.day >= 10)
                    p.drawText(QRectF(x + 13, y + 4, 7, 16), QString::number(c.day % 10));
                for (int code : c.codes)
                    if (code >= 0) ++counts[code];
            }
        }
        // The legend, under a line.
        const double legend = 174 + 12 * 22;
        p.drawLine(QPointF(left, legend), QPointF(left + 1040, legend));
        p.setFont(normal);
        p.drawText(QRectF(left, legend + 4, 120, 17), QStringLiteral("Tipos de Dia:"));
        for (int k = 0; k < 6; ++k) {
            const QRectF box(left + 10, legend + 24 + 16 * k, 22, 14);
            p.fillRect(box, typeColours[k]);
            p.setPen(Qt::white);
            p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, QLatin1String(kCodes[k]));
            p.setPen(Qt::black);
            p.drawText(
                QRectF(left + 38, legend + 24 + 16 * k, 300, 14),
                QLatin1String(kTypes[k]) + QString::number(counts[k]) + QStringLiteral(" Dias"));
        }
        p.drawText(QRectF(left, legend + 124, 90, 17), QStringLiteral("Observaciones:"));
        p.drawText(QRectF(left, footerTop + 4, 250, 17), printed);
        p.drawText(QRectF(left + 600, footerTop + 4, 120, 17),
                   QStringLiteral("Página %1").arg(pages));
    }
    p.end();
    return pages;
}

// The report with its fill timed on its own.
class TimedReport : public TfREQRLCAL {
public:
    double fillSeconds = 0;

protected:
    void RellenarTemporal() override {
        QElapsedTimer t;
        t.start();
        TfREQRLCAL::RellenarTemporal();
        fillSeconds = seconds(t);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool generationOnly = app.arguments().contains(QStringLiteral("generar_500"));
    Installation installation;
    TModuloDatos module;
    CrearModulosNomina();
    TDatabase* db = fGENEINIC->Database;
    fillData(db);
    QTemporaryDir out;
    QElapsedTimer clock;

    // Generation: ours writes CALENOPE, raw a copy of its structure.
    db->Execute(QStringLiteral("DROP TABLE IF EXISTS BENCHRAW"));
    db->Execute(QStringLiteral(
        "CREATE TABLE BENCHRAW (CodigoOperario SMALLINT, Fecha TIMESTAMP, EsDiaTrabajado "
        "VARCHAR(2), EsDiaFestivo VARCHAR(2), EsDiaVacaciones VARCHAR(2), EsDiaPermiso "
        "VARCHAR(2), EsDiaPuente VARCHAR(2), NumeroHorario SMALLINT, Situacion VARCHAR(40), "
        "PRIMARY KEY (CodigoOperario, Fecha))"));
    clock.start();
    const int rawRows = rawGenerate(db, QStringLiteral("BENCHRAW"));
    const double rawGeneration = seconds(clock);
    AsignarProgramaEnEjecucion(QStringLiteral("PELISTO.EXE"));
    clock.restart();
    for (int e = 1; e <= kEmployees; ++e)
        GeneraCalendarioOperario(e, QStringLiteral("1/1/2024"), QStringLiteral("31/12/2024"), 1,
                                 QStringLiteral("Alta"), QDate(kYear, 1, 1));
    const double oursGeneration = seconds(clock);
    AsignarProgramaEnEjecucion(QString());
    QString written;
    EjecutarSQL(ModuloDatos, QStringLiteral("SELECT COUNT(*) FROM CALENOPE"),
                QStringLiteral("Database"), QStringLiteral("Silenciosa"), written);
    if (written.toInt() != rawRows)
        fail(QStringLiteral("generated %1 days, raw %2").arg(written).arg(rawRows));
    line("generar_500", oursGeneration, rawGeneration);
    if (generationOnly) return 0;

    // The listing: the best of three rounds of each side.
    REQRLCAL::DesdeOperario = 0;
    REQRLCAL::HastaOperario = 9999;
    REQRLCAL::AnoCalendario = kYear;
    REQRLCAL::MostrarHorarios = false;
    REQRLCAL::MostrarTiposDia = true;
    // The first round's job: its first page and its end.
    double firstPage = -1, end = -1;
    double ours = 1e9, raw = 1e9, fill = 1e9, pagesTime = 1e9, pdfTime = 1e9;
    int pages = 0, rawPages = 0;
    for (int round = 0; round < 3; ++round) {
        // The job, each round a fresh run (pages held would be written again).
        {
            TimedReport job;
            if (round == 0) {
                job.QuickReport->QRPrinter()->OnPageAvailable = [&](int n) {
                    if (n == 1 && firstPage < 0) firstPage = seconds(clock);
                };
                job.QuickReport->AfterPrint = [&](QObject*) {
                    if (end < 0) end = seconds(clock);
                };
            }
            clock.restart();
            if (!ImprimirInforme(&module, job.QuickReport,
                                 QStringLiteral("PDF:") + out.filePath(QStringLiteral("ours.pdf"))))
                fail("the report's PDF was not written");
            ours = std::min(ours, seconds(clock));
            pages = job.QuickReport->QRPrinter()->PageCount();
        }
        // The preview's way: pictures, then those pictures to a PDF. One
        // listing form at a time: each has the same work table.
        TimedReport report;
        clock.restart();
        report.QuickReport->Prepare();
        const double prepared = seconds(clock);
        if (!report.QuickReport->ExportToPdf(out.filePath(QStringLiteral("preview.pdf"))))
            fail("the report's PDF was not written");
        fill = std::min(fill, report.fillSeconds);
        pagesTime = std::min(pagesTime, prepared - report.fillSeconds);
        pdfTime = std::min(pdfTime, seconds(clock) - prepared);
        if (round == 0 && pages != kEmployees)
            fail(QStringLiteral("the report made %1 pages").arg(pages));
        clock.restart();
        rawPages = rawPdf(db, out.filePath(QStringLiteral("raw.pdf")));
        raw = std::min(raw, seconds(clock));
    }
    line("listado_pdf_500", ours, raw);
    std::printf("calendario listado_parts fill=%.4f pages=%.4f pdf=%.4f\n", fill, pagesTime,
                pdfTime);
    std::printf("calendario first_page_before_end=%s first=%.4f end=%.4f pages=%d raw_pages=%d\n",
                firstPage >= 0 && firstPage < end ? "yes" : "no", firstPage, end, pages, rawPages);
    return 0;
}
