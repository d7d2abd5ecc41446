// The employee-calendar listing on a real installation: the month lines that
// the company and own calendars leave in the temporary table, the day cells
// by weekday, the legends of the printed sheet (counts, schedules, colours)
// and the dialog's checks and modes per program.

#include <QDate>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesali.h"
#include "gene/data/genesist.h"
#include "gene/session/geneinic.h"
#include "report/quickrep.h"
#include "rrhh/preslcal.h"
#include "rrhh/reqrlcal.h"
#include "rrhh/rrqrlist.h"
#include "support/cortepg.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/pdfprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

void sql(const QString& sentencia) {
    const QString r = SqlPrueba(sentencia);
    QVERIFY2(!r.startsWith(QStringLiteral("Error.")), qPrintable(sentencia + r));
}

// A day of a calendar; Tipos holds the marks of the day: "Tr" worked, "Fe"
// holiday, "Va", "Pu", "Pe".
QString Fila(int clave, const QDate& fecha, const QString& tipos, int horario, bool propio) {
    auto si = [&tipos](const char* t) {
        return tipos.contains(QLatin1String(t)) ? QStringLiteral("'SI'") : QStringLiteral("'NO'");
    };
    return QStringLiteral("(%1, '%2', %3, %4, %5, %6, %7%8)")
        .arg(clave)
        .arg(fecha.toString(Qt::ISODate), si("Tr"), si("Fe"), si("Va"), si("Pu"))
        .arg(horario)
        .arg(propio ? QStringLiteral(", ") + si("Pe") : QString());
}
void Dias(bool propio, const QStringList& filas) {
    sql((propio ? QStringLiteral("INSERT INTO CALENOPE (CodigoOperario, Fecha, EsDiaTrabajado, "
                                 "EsDiaFestivo, EsDiaVacaciones, EsDiaPuente, NumeroHorario, "
                                 "EsDiaPermiso) VALUES ")
                : QStringLiteral("INSERT INTO CALENDAR (Codigo, Fecha, EsDiaTrabajado, "
                                 "EsDiaFestivo, EsDiaVacaciones, EsDiaPuente, NumeroHorario) "
                                 "VALUES ")) +
        filas.join(QStringLiteral(", ")));
}
void Empleado(int codigo, const QString& nombre, int calendario) {
    sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, CodigoCalendario) VALUES "
                       "(%1, '%2', %3)")
            .arg(codigo)
            .arg(nombre)
            .arg(calendario));
}
void Horario(int numero, const QString& descripcion, int color) {
    sql(QStringLiteral("INSERT INTO HORARIO (Numero, Descripcion, Color) VALUES (%1, '%2', %3)")
            .arg(numero)
            .arg(descripcion)
            .arg(color));
}

void Seleccion(int desde, int hasta, int ano, bool horarios) {
    REQRLCAL::DesdeOperario = desde;
    REQRLCAL::HastaOperario = hasta;
    REQRLCAL::AnoCalendario = ano;
    REQRLCAL::Observaciones.clear();
    REQRLCAL::RangosGruposAnalisis.clear();
    REQRLCAL::MostrarHorarios = horarios;
    REQRLCAL::MostrarTiposDia = !horarios;
}

QString Valor(TTable* t, const QString& campo) {
    return t->FieldByName(campo)->AsString();
}

// The keys of the table's lines, employee/month, in order.
QStringList Claves(TTable* t) {
    QStringList claves;
    for (t->First(); !t->Eof(); t->Next())
        claves << Valor(t, "CodigoOperario") + QLatin1Char('/') + Valor(t, "Mes");
    return claves;
}

}  // namespace

class TestReqrlcal : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void celdas_data() {
        QTest::addColumn<QDate>("fecha");
        QTest::addColumn<int>("celda");
        QTest::newRow("lunes 1") << QDate(2024, 1, 1) << 1;
        QTest::newRow("domingo 1") << QDate(2024, 9, 1) << 7;
        QTest::newRow("viernes 1, dia 31") << QDate(2024, 3, 31) << 35;
        QTest::newRow("domingo 1, dia 31") << QDate(2024, 12, 31) << 37;
        QTest::newRow("febrero bisiesto") << QDate(2024, 2, 29) << 32;
    }
    void celdas() {
        QFETCH(QDate, fecha);
        QFETCH(int, celda);
        QCOMPARE(TfREQRLCAL::CeldaDia(fecha), celda);
    }

    void definicion() {
        const QString d = TfREQRLCAL::DefinicionTablaCalendario(false, true);
        const QStringList l = d.split(QStringLiteral("\r\n"));
        QCOMPARE(l.size(), 1 + 4 + 40 + 120 + 1);
        QCOMPARE(l[4], QStringLiteral("/C/4/NombreOperario/ftString/40/"));
        QCOMPARE(l[5], QStringLiteral("/C/5/Dia1/ftInteger/0/"));
        QCOMPARE(l[44], QStringLiteral("/C/5/Dia40/ftInteger/0/"));
        QCOMPARE(l.last(), QStringLiteral("/I/1/<Primary>/CodigoOperario;CodigoCalendario;Mes"));
        QVERIFY(!d.endsWith(QStringLiteral("\r\n")));
        QCOMPARE(TfREQRLCAL::DefinicionTablaCalendario(true, false).count(QStringLiteral("/C/6/")),
                 40);
    }

    void relleno_data() { AddEngineRows(); }
    // Own days replace every mark and the schedule of the company's day;
    // only the year's days are read; an employee without a name is listed.
    void relleno() {
        QFETCH(int, engine);
        EmpresaPrueba empresa{Engine(engine)};
        Empleado(1, QStringLiteral("GARCIA"), 1);
        Empleado(2, QString(), 1);
        Empleado(3, QStringLiteral("FUERA"), 1);
        Dias(false,
             {Fila(1, {2024, 1, 1}, "Fe", 0, false), Fila(1, {2024, 1, 2}, "Tr", 1, false),
              Fila(1, {2024, 12, 31}, "Tr Va", 1, false), Fila(1, {2023, 12, 31}, "Tr", 1, false),
              Fila(1, {2025, 1, 1}, "Tr", 1, false), Fila(2, {2024, 6, 3}, "Tr", 1, false)});
        // Calendar 2 is nobody's.
        Dias(true,
             {Fila(1, {2024, 1, 2}, "Va Pe", 5, true), Fila(1, {2024, 1, 3}, "Tr Pu", 0, true),
              Fila(3, {2024, 1, 3}, "Tr Pu", 0, true)});
        if (QTest::currentTestFailed()) return;

        for (const bool horarios : {false, true}) {
            Seleccion(0, 2, 2024, horarios);
            TfREQRLCAL r;
            r.QuickReport->Prepare();
            TTable* t = r.Temporal;
            QCOMPARE(t->RecordCount(), 4);
            QVERIFY(t->FindKey({1, 1, 1}));
            QCOMPARE(Valor(t, "NombreOperario"), QStringLiteral("GARCIA"));
            QCOMPARE(Valor(t, "Dia1"), QStringLiteral("1"));
            QCOMPARE(Valor(t, "Dia3"), QStringLiteral("3"));
            // 1 January 2025 (a Wednesday) is not this year's.
            QCOMPARE(t->FieldByName("Dia4")->AsInteger(), 0);
            if (horarios) {
                QCOMPARE(Valor(t, "NumeroHorario2"), QStringLiteral("5"));
            } else {
                QCOMPARE(Valor(t, "EsDiaFestivoLaborable1"), QStringLiteral("Fe"));
                QCOMPARE(Valor(t, "EsDiaTrabajado2"), QString());
                QCOMPARE(Valor(t, "EsDiaVacacionesPuentePermiso2"), QStringLiteral("Pe"));
                QCOMPARE(Valor(t, "EsDiaTrabajado3"), QStringLiteral("Tr"));
                QCOMPARE(Valor(t, "EsDiaVacacionesPuentePermiso3"), QStringLiteral("Pu"));
            }
            QVERIFY(t->FindKey({1, 1, 12}));
            QCOMPARE(Valor(t, "Dia37"), QStringLiteral("31"));
            // 31 December 2023 would have taken cell 35.
            QCOMPARE(t->FieldByName("Dia35")->AsInteger(), 0);
            QVERIFY(t->FindKey({2, 1, 1}));
            QCOMPARE(Valor(t, "NombreOperario"), QString());
            if (!horarios) QCOMPARE(Valor(t, "EsDiaVacacionesPuentePermiso2"), QString());
            if (horarios) QCOMPARE(Valor(t, "NumeroHorario2"), QStringLiteral("1"));
            // The line written before it held cell 37 (31 December): each
            // line has its own cells.
            QCOMPARE(t->FieldByName("Dia37")->AsInteger(), 0);
            if (!horarios) QCOMPARE(Valor(t, "EsDiaTrabajado37"), QString());
            QVERIFY(t->FindKey({2, 1, 12}));
            QCOMPARE(Valor(t, "Dia37"), QStringLiteral("31"));
            QCOMPARE(Valor(t, "Dia2"), QString());
            if (!horarios)
                QCOMPARE(Valor(t, "EsDiaVacacionesPuentePermiso37"), QStringLiteral("Va"));
            QVERIFY(!t->FindKey({2, 1, 6}));
            QVERIFY(!t->FindKey({3, 1, 1}));
            QCOMPARE(r.QuickReport->QRPrinter()->PageCount(), 2);
        }

        // Past the employees read before the first page the others are read
        // as the pages are made: each month line once, in order.
        Seleccion(0, 9999, 2024, false);
        {
            TfREQRLCAL r;
            r.QuickReport->Prepare();
            QCOMPARE(Claves(r.Temporal),
                     (QStringList{"1/1", "1/12", "2/1", "2/12", "3/1", "3/12"}));
            QCOMPARE(r.QuickReport->QRPrinter()->PageCount(), 3);
            QVERIFY(r.Temporal->FindKey({3, 1, 1}));
            QCOMPARE(Valor(r.Temporal, "NombreOperario"), QStringLiteral("FUERA"));
            QCOMPARE(Valor(r.Temporal, "EsDiaVacacionesPuentePermiso3"), QStringLiteral("Pu"));
        }

        // The server ends the connection while the pages are made (the third
        // employee's lines are written then), as a PDF job and in a preview:
        // no page is printed, shown or written, and the user is told once.
        if (Engine(engine) == Engine::Postgres) {
            for (const bool vista : {false, true}) {
                TfREQRLCAL r;
                QTemporaryDir dir;
                const QString pdf = dir.filePath(QStringLiteral("corte.pdf"));
                MessageSeam::clearLog();
                bool escrito = false;
                {
                    TCorteConexion cortada(r.Temporal->Database(), r.NombreTablaTemporal(),
                                           QStringLiteral("NEW.CodigoOperario = 3"));
                    try {
                        if (vista)
                            r.QuickReport->Preview();
                        else
                            escrito = ImprimirInforme(ModuloDatos, r.QuickReport, "PDF:" + pdf);
                    } catch (const EAbort&) {
                    }
                    QVERIFY(cortada.Cortada());
                }
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                QVERIFY(!escrito);
                QVERIFY(!QFile::exists(pdf));
                QVERIFY(!r.QuickReport->QRPrinter()->PreviewWindow());
                if (!vista) QCOMPARE(r.QuickReport->QRPrinter()->PageCount(), 0);
                QVERIFY2(UnSoloAvisoListadoNoRealizado(),
                         qPrintable(TextosMostrados().join(QLatin1Char('|'))));
            }
        }

        // An analysis-group range keeps only the employees of its groups.
        PerfilesGruposPrueba(QStringLiteral("Personal=DEP"));
        sql("INSERT INTO GRANALIS (Codigo, CategoriaGrupo) VALUES ('DEP02', 'DEP')");
        sql("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES ('PERSONAL', "
            "'2', 'DEP02')");
        Seleccion(0, 9999, 2024, false);
        REQRLCAL::RangosGruposAnalisis = QStringLiteral("DEP|DEP02|DEP02");
        {
            TfREQRLCAL r;
            r.QuickReport->Prepare();
            QCOMPARE(Claves(r.Temporal), (QStringList{"2/1", "2/12"}));
            // Its first line after a listing that ended on 31 December.
            QVERIFY(r.Temporal->FindKey({2, 1, 1}));
            QCOMPARE(r.Temporal->FieldByName("Dia37")->AsInteger(), 0);
            QCOMPARE(Valor(r.Temporal, "EsDiaVacacionesPuentePermiso37"), QString());
        }

        // An inverted range or a year without days: no page and no message.
        MessageSeam::clearLog();
        Seleccion(2, 1, 2024, false);
        TfREQRLCAL vacio;
        vacio.QuickReport->Prepare();
        QCOMPARE(vacio.QuickReport->QRPrinter()->PageCount(), 0);
        Seleccion(0, 9999, 1999, false);
        TfREQRLCAL otroAno;
        otroAno.QuickReport->Prepare();
        QCOMPARE(otroAno.QuickReport->QRPrinter()->PageCount(), 0);
        QVERIFY(TextosMostrados().isEmpty());
    }

    // The day-type legend counts the whole year of its own employee; the
    // remarks print in each employee's footer.
    void leyendaTipos_data() { AddEngineRows(); }
    void leyendaTipos() {
        QFETCH(int, engine);
        EmpresaPrueba empresa{Engine(engine)};
        Empleado(1, QStringLiteral("GARCIA"), 1);
        // Employee 2 on calendar 2: ten worked days and a holiday.
        Empleado(2, QStringLiteral("LOPEZ"), 2);
        QStringList otro;
        for (int dia = 1; dia <= 10; ++dia) otro << Fila(2, {2024, 1, dia}, "Tr", 0, false);
        otro << Fila(2, {2024, 1, 11}, "Fe", 0, false);
        Dias(false, otro);
        QStringList ano;
        for (QDate d(2024, 1, 1); d.year() == 2024; d = d.addDays(1)) {
            const bool agosto = d.month() == 8;
            QString tipos;
            if (d.dayOfWeek() == 7) tipos += QStringLiteral("Fe ");
            if (d.dayOfWeek() <= 5 && !agosto) tipos += QStringLiteral("Tr ");
            if (agosto) tipos += QStringLiteral("Va");
            ano << Fila(1, d, tipos, 0, false);
        }
        Dias(false, ano);
        // Tuesday 2 January: leave with vacation instead of work; Monday 5
        // August: worked bridge instead of vacation.
        Dias(true,
             {Fila(1, {2024, 1, 2}, "Va Pe", 0, true), Fila(1, {2024, 8, 5}, "Tr Pu", 0, true)});
        if (QTest::currentTestFailed()) return;
        Seleccion(0, 9999, 2024, false);
        REQRLCAL::Observaciones = QStringLiteral("REVISAR EN MARZO");
        TfREQRLCAL r;
        r.QuickReport->Prepare();
        QCOMPARE(r.QuickReport->ReportTitle(),
                 QStringLiteral("Listado de Calendarios de Operarios del Año 2024 - Tipos de Día"));
        QTemporaryDir dir;
        const QString pdf = dir.filePath("tipos.pdf");
        QVERIFY(r.QuickReport->ExportToPdf(pdf));
        const QStringList paginas = TextoPdfMaquetado(pdf).split(QLatin1Char('\f'));
        QVERIFY(paginas.size() >= 2);
        const struct {
            int pagina;
            const char* linea;
        } casos[] = {{0, "Trabajados 240 Dias"}, {0, "Laborables 314 Dias"},
                     {0, "Festivos 52 Dias"},    {0, "Vacaciones 30 Dias"},
                     {0, "Puente 1 Dias"},       {0, "Permiso 1 Dias"},
                     {0, "REVISAR EN MARZO"},    {0, "Tipos de Dia:"},
                     {0, "Diciembre"},           {1, "LOPEZ"},
                     {1, "Trabajados 10 Dias"},  {1, "Laborables 10 Dias"},
                     {1, "Festivos 1 Dias"},     {1, "Vacaciones 0 Dias"},
                     {1, "Permiso 0 Dias"},      {1, "REVISAR EN MARZO"}};
        for (const auto& c : casos)
            QVERIFY2(paginas[c.pagina].contains(QLatin1String(c.linea)), c.linea);
    }

    // Schedule mode: each cell in its schedule's colour, a missing schedule
    // white; the legend lists at most 12 schedules in order.
    void leyendaHorarios_data() { AddEngineRows(); }
    void leyendaHorarios() {
        QFETCH(int, engine);
        EmpresaPrueba empresa{Engine(engine)};
        Empleado(1, QStringLiteral("GARCIA"), 1);
        QStringList dias;
        for (int n = 1; n <= 13; ++n) {
            Horario(n, QStringLiteral("H%1").arg(n), n == 1 ? 255 : 0xFFFF00);
            dias << Fila(1, {2024, 1, n}, "Tr", n, false);
        }
        dias << Fila(1, {2024, 1, 14}, "Tr", 99, false);
        Dias(false, dias);
        if (QTest::currentTestFailed()) return;
        Seleccion(0, 9999, 2024, true);
        TfREQRLCAL r;
        r.QuickReport->Prepare();
        QTemporaryDir dir;
        const QString pdf = dir.filePath("horarios.pdf");
        QVERIFY(r.QuickReport->ExportToPdf(pdf));
        const QString texto = TextoPdfMaquetado(pdf);
        QVERIFY(texto.contains(QStringLiteral("01-H1")));
        QVERIFY(texto.contains(QStringLiteral("12-H12")));
        QVERIFY(!texto.contains(QStringLiteral("13-H13")));
        QVERIFY(!texto.contains(QStringLiteral("99-")));
        QVERIFY(texto.contains(QStringLiteral("Horarios:")));

        // The cells of day 1 (colour 255, red) and day 14 (no schedule).
        const QList<Palabra> palabras = PalabrasPdf(pdf);
        const QRectF enero = CajaTexto(palabras, QStringLiteral("Enero"));
        QVERIFY(!enero.isNull());
        auto celda = [&](const QString& dia) {
            for (const Palabra& p : palabras)
                if (p.texto == dia && qAbs(p.caja.center().y() - enero.center().y()) < 3 &&
                    p.caja.left() > enero.right())
                    return QPointF(p.caja.left() - 2.5, p.caja.center().y());
            return QPointF();
        };
        const QPointF uno = celda(QStringLiteral("1")), catorce = celda(QStringLiteral("14"));
        QVERIFY(!uno.isNull() && !catorce.isNull());
        const QColor rojo = ColorPdf(pdf, 1, uno);
        QVERIFY2(rojo.red() > 200 && rojo.green() < 60 && rojo.blue() < 60,
                 qPrintable(rojo.name()));
        QCOMPARE(ColorPdf(pdf, 1, catorce), QColor(Qt::white));
    }

    void dialogo_data() {
        QTest::addColumn<QString>("programa");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("tiposDia");
        QTest::addColumn<bool>("horariosActivo");
        QTest::addColumn<bool>("tiposActivo");
        QTest::newRow("este programa")
            << QString() << "Listado de Calendarios de Personal" << true << true << true;
        QTest::newRow("nominas") << "PELISTO.EXE"
                                 << "Listado de Calendarios de Personal" << true << false << true;
        QTest::newRow("presencia")
            << "MURDANE.EXE"
            << "Listado de Calendarios de Operarios" << false << true << false;
    }
    void dialogo() {
        QFETCH(QString, programa);
        QFETCH(QString, caption);
        QFETCH(bool, tiposDia);
        QFETCH(bool, horariosActivo);
        QFETCH(bool, tiposActivo);
        EmpresaPrueba empresa{Engine::Sqlite};
        AsignarProgramaEnEjecucion(programa);
        QPointer<TfPRESLCAL> f = qobject_cast<TfPRESLCAL*>(CreateForm("TfPRESLCAL"));
        AsignarProgramaEnEjecucion(QString());
        QVERIFY(f);
        QCOMPARE(f->Caption(), caption);
        QCOMPARE(f->rbTiposDia->isChecked(), tiposDia);
        QCOMPARE(f->rbHorarios->isEnabled(), horariosActivo);
        QCOMPARE(f->rbTiposDia->isEnabled(), tiposActivo);
        QCOMPARE(f->AnoCalendario->Text(), QString::number(QDate::currentDate().year()));
        QCOMPARE(f->DesdeOperario->maxLength(), 4);

        // The restrictions line names the year's edit with its "ñ".
        const QString resumen = ResumenSeleccion(f);
        QVERIFY2(resumen.contains(QStringLiteral("Año Calendario: ") + f->AnoCalendario->Text() +
                                  QStringLiteral(", ")),
                 qPrintable(resumen));
        QVERIFY2(!resumen.contains(QStringLiteral("Ano")), qPrintable(resumen));

        f->AnoCalendario->setText(QStringLiteral("dos mil"));
        MessageSeam::clearLog();
        f->pbListarClick();
        QCOMPARE(TextosMostrados(),
                 QStringList{"¡El valor de Año Calendario es incorrecto! Repita por favor"});
        QVERIFY(!f->ListadoEnCurso);
        f->Free();
    }
};

QTEST_MAIN(TestReqrlcal)
#include "tst_reqrlcal.moc"
