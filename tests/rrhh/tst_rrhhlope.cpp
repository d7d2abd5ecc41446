// The employees and candidates listings on a real installation, on both
// engines: the current position (ties and missing dates), the category
// columns, the position bounds, the order of the rows, the category lists of
// the dialog, its checks and its restrictions summary, and the PDF.

#include <QImage>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "db/dialect.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneexpt.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/generest.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/sesion.h"
#include "report/controls.h"
#include "report/quickrep.h"
#include "rrhh/rrhhlcan.h"
#include "rrhh/rrhhlope.h"
#include "rrhh/rrqrlcan.h"
#include "rrhh/rrqrlope.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/pdfprueba.h"
#include "support/xlsxprueba.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

void sql(const QString& sentencia) {
    QString r;
    EjecutarSQL(nullptr, sentencia, QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    QVERIFY2(!r.startsWith(QStringLiteral("Error.")), qPrintable(sentencia + r));
}

void Perfil(const char* perfiles) {
    sql("DELETE FROM PARAGENE");
    sql(QStringLiteral("INSERT INTO PARAGENE (IdRegistro, PerfilesCategoriasGA) VALUES (1, '") +
        QString::fromUtf8(perfiles) + QStringLiteral("')"));
}

// Employees: 1 holds D2 and C1, and positions P1 and P2 begun the same day; 2
// holds only C1, and P3 with no start date before P1; 3 holds two groups of
// DEP and no position; 4 holds D1 and Z1 and the position "p9". Candidate 1,
// with employee 1's code, holds Z1 and P5.
void Datos() {
    Perfil("Personal=DEP,CAT,ZON\r\nCandidato=ZON, DEP");
    for (const char* g : {"'D1', 'DEP', 'Dpto 1'", "'D2', 'DEP', 'Dpto 2'", "'C1', 'CAT', 'Cat 1'",
                          "'Z1', 'ZON', 'Zona 1'"})
        sql(QStringLiteral("INSERT INTO GRANALIS (Codigo, CategoriaGrupo, Descripcion) VALUES (") +
            QLatin1String(g) + QLatin1Char(')'));
    for (const char* g : {"'PERSONAL', '1', 'D2'", "'PERSONAL', '1', 'C1'", "'PERSONAL', '2', 'C1'",
                          "'PERSONAL', '3', 'D2'", "'PERSONAL', '3', 'D1'", "'PERSONAL', '4', 'D1'",
                          "'PERSONAL', '4', 'Z1'", "'CANDIDAT', '1', 'Z1'"})
        sql(QStringLiteral(
                "INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES (") +
            QLatin1String(g) + QLatin1Char(')'));
    for (const char* p : {"1, 'ANA'", "2, 'BEA'", "3, 'CARLOS'", "4, 'DIEGO'"})
        sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (") +
            QLatin1String(p) + QLatin1Char(')'));
    sql("INSERT INTO CANDIDAT (Codigo, Nombre) VALUES (1, 'ELENA')");
    const auto f = [](int a, int m) { return DialectoActual().dateLiteral(QDate(a, m, 1)); };
    const QString h[] = {
        "'PERSONAL', 1, 1, 'P1', " + f(2024, 1), "'PERSONAL', 1, 2, 'P2', " + f(2024, 1),
        "'PERSONAL', 2, 1, 'P1', " + f(2023, 1), "'PERSONAL', 2, 2, 'P3', NULL",
        "'PERSONAL', 4, 1, 'p9', " + f(2024, 2), "'CANDIDAT', 1, 1, 'P5', " + f(2024, 3),
    };
    for (const QString& v : h)
        sql("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, CodigoPuesto, FechaInicio) "
            "VALUES (" +
            v + ")");
}

QStringList Filas(TTable* t, const char* codigo = "CodigoOperario") {
    QStringList filas;
    for (t->First(); !t->Eof(); t->Next()) {
        QString f = t->FieldByName(QLatin1String(codigo))->AsString() + QLatin1Char('|') +
                    t->FieldByName(QStringLiteral("GrupoAnalisis1"))->AsString();
        for (int i = 1; i <= 5; ++i)
            f += QLatin1Char('|') +
                 t->FieldByName(QStringLiteral("Descripcion%1").arg(i))->AsString();
        while (f.endsWith(QLatin1Char('|'))) f.chop(1);
        filas << f;
    }
    return filas;
}

QStringList Titulos(TfRRQRLOPE* r) {
    QStringList t;
    for (TQRLabel* l : r->TituloCategoria) t << l->Caption();
    return t;
}

}  // namespace

class TestRrhhLope : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void listado_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QStringList>("categorias");
        QTest::addColumn<QString>("desdePuesto");
        QTest::addColumn<QString>("hastaPuesto");
        QTest::addColumn<QStringList>("filas");
        QTest::addColumn<int>("desde");
        QTest::addColumn<int>("hasta");
        for (Engine e : AvailableEngines()) {
            const char* n = e == Engine::Sqlite ? "sqlite" : "postgres";
            // No group in the first category sorts first; two groups of one
            // category: the one read last; no history passes the defaults.
            QTest::addRow("%s dos categorias", n)
                << int(e) << QStringList{"DEP", "CAT"} << ""
                << "zzzzzzzzzzzzz"
                << QStringList{"2|||Cat 1", "4|D1|Dpto 1", "1|D2|Dpto 2|Cat 1", "3|D2|Dpto 2"} << 0
                << 9999;
            QTest::addRow("%s sin categorias", n)
                << int(e) << QStringList{} << ""
                << "zzzzzzzzzzzzz" << QStringList{"1", "2", "3", "4"} << 0 << 9999;
            // The current position: P2 (same day, higher line) and P1 (the row
            // with no date is the oldest); the bounds inclusive and by case.
            QTest::addRow("%s puestos", n) << int(e) << QStringList{"ZON"} << "P1"
                                           << "P2" << QStringList{"1", "2"} << 0 << 9999;
            QTest::addRow("%s solo P2", n) << int(e) << QStringList{"ZON"} << "P2"
                                           << "P2" << QStringList{"1"} << 0 << 9999;
            QTest::addRow("%s minusculas", n) << int(e) << QStringList{"ZON"} << "P3"
                                              << "zz" << QStringList{"4|Z1|Zona 1"} << 0 << 9999;
            QTest::addRow("%s seis categorias", n)
                << int(e) << QStringList{"ZON", "CAT", "X", "Y", "W", "DEP"} << ""
                << "zz" << QStringList{"1|||Cat 1", "2|||Cat 1", "3", "4|Z1|Zona 1"} << 0 << 9999;
            // The code range: both bounds listed.
            QTest::addRow("%s operarios 2 a 3", n)
                << int(e) << QStringList{"DEP", "CAT"} << ""
                << "zzzzzzzzzzzzz" << QStringList{"2|||Cat 1", "3|D2|Dpto 2"} << 2 << 3;
            // Bounds beyond the small-integer code column: the codes within.
            QTest::addRow("%s hasta 99999", n)
                << int(e) << QStringList{"DEP", "CAT"} << ""
                << "zzzzzzzzzzzzz"
                << QStringList{"2|||Cat 1", "4|D1|Dpto 1", "1|D2|Dpto 2|Cat 1", "3|D2|Dpto 2"} << 0
                << 99999;
            QTest::addRow("%s desde -99999 hasta 2", n)
                << int(e) << QStringList{"DEP", "CAT"} << ""
                << "zzzzzzzzzzzzz" << QStringList{"2|||Cat 1", "1|D2|Dpto 2|Cat 1"} << -99999 << 2;
            QTest::addRow("%s desde 40000", n)
                << int(e) << QStringList{"DEP", "CAT"} << ""
                << "zzzzzzzzzzzzz" << QStringList{} << 40000 << 99999;
        }
    }
    void listado() {
        QFETCH(int, engine);
        QFETCH(QStringList, categorias);
        QFETCH(QString, desdePuesto);
        QFETCH(QString, hastaPuesto);
        QFETCH(QStringList, filas);
        QFETCH(int, desde);
        QFETCH(int, hasta);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        Datos();
        if (QTest::currentTestFailed()) return;
        TModuloDatos modulo;
        TListBox lista;
        lista.setItems(categorias);
        TfRRQRLOPE r(&lista);
        r.DesdeOperario = desde;
        r.HastaOperario = hasta;
        QVERIFY(ListarRestriccionesForzado);
        r.Activos = false;  // no contracts here: every employee is inactive
        r.DesdePuesto = desdePuesto;
        r.HastaPuesto = hastaPuesto;
        QCOMPARE(r.PuestoActual("PERSONAL", 1), QStringLiteral("P2"));
        QCOMPARE(r.PuestoActual("PERSONAL", 2), QStringLiteral("P1"));
        r.QuickReport->Prepare();
        QCOMPARE(Filas(r.Temporal), filas);
        QStringList titulos = categorias.mid(0, 5);
        while (titulos.size() < 5) titulos << QString();
        QCOMPARE(Titulos(&r), titulos);
        QCOMPARE(r.QuickReport->ReportTitle(), QStringLiteral("Listado de Operarios. "));
        QCOMPARE(r.PuestoActual("PERSONAL", 3), QString());
        QCOMPARE(r.PuestoActual("CANDIDAT", 1), QStringLiteral("P5"));

        // Neither kind of employee: nothing.
        r.NoActivos = false;
        r.QuickReport->Prepare();
        QVERIFY(r.Temporal->IsEmpty());
    }

    void candidatos_data() { AddEngineRows(); }
    // The candidate with employee 1's code: only his own groups and position.
    void candidatos() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        Datos();
        if (QTest::currentTestFailed()) return;
        TModuloDatos modulo;
        TListBox lista;
        lista.setItems({"ZON", "DEP", "CAT"});
        TfRRQRLCAN r(&lista);
        r.DesdePuesto = "P5";
        r.HastaPuesto = "P5";
        r.QuickReport->Prepare();
        QCOMPARE(Filas(r.Temporal, "CodigoCandidato"), QStringList{"1|Z1|Zona 1"});
        QCOMPARE(r.QuickReport->ReportTitle(), QStringLiteral("Listado de Candidatos. "));
        r.HastaCandidato = 0;
        r.QuickReport->Prepare();
        QVERIFY(r.Temporal->IsEmpty());
    }

    // The categories as columns of the printed page, and the workbook of the
    // preview's Excel export read back cell by cell: an employee with no group
    // in the first category has an empty cell there, and the titles are words
    // with their accents.
    void salidas() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        Datos();
        TModuloDatos modulo;
        TListBox lista;
        lista.setItems({"DEP", "CAT"});
        TfRRQRLOPE r(&lista);
        r.Activos = false;
        r.QuickReport->Prepare();
        QTemporaryDir dir;
        const QString pdf = dir.filePath("ope.pdf");
        QVERIFY(r.QuickReport->ExportToPdf(pdf));
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished();
        QStringList lineas;
        for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
            if (l.contains("Nombre") || l.contains("ANA") || l.contains("BEA"))
                lineas << l.simplified();
        QCOMPARE(lineas,
                 (QStringList{"Operario Nombre DEP CAT", "2 BEA Cat 1", "1 ANA Dpto 2 Cat 1"}));

        QVERIFY(ExportarExcel(nullptr, r.Temporal, nullptr, dir.filePath("OPE.XLS"),
                              QStringLiteral("SinDialogo")));
        QStringList filas = FilasXlsx(dir.filePath("OPE.xlsx"));
        for (QString& f : filas) f = f.section(';', 0, 3);
        QCOMPARE(filas, (QStringList{"Grupo Análisis 1;Código Operario;Nombre;Descripción 1", "",
                                     ";2;BEA;", "D1;4;DIEGO;Dpto 1", "D2;1;ANA;Dpto 2",
                                     "D2;3;CARLOS;Dpto 2"}));
    }

    // A name as long as its column holds (40 capitals) prints whole in the
    // page, clear of the group description that follows it on its row.
    void nombreLargo_data() {
        QTest::addColumn<QString>("nombre");
        QTest::newRow("mayúsculas") << "FERNANDEZ DE MONTEMAYOR Y CASTELLANOS, M";
        QTest::newRow("compuesto") << "MONTENEGRO BUSTAMANTE, MARIA DEL ROSARIO";
        QTest::newRow("fuera de Latin-1") << "ŁUKASZEWICZ ŚWIĘTOCHOWSKA, ŻANETA ĆWIKŁA";
    }
    void nombreLargo() {
        QFETCH(QString, nombre);
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        Datos();
        sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (5, '") + nombre +
            QStringLiteral("')"));
        sql("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES ('PERSONAL', "
            "'5', 'Z1')");
        TModuloDatos modulo;
        TListBox lista;
        lista.setItems({"ZON"});
        TfRRQRLOPE r(&lista);
        r.Activos = false;
        r.DesdeOperario = r.HastaOperario = 5;
        QTemporaryDir dir;
        const QString pdf = dir.filePath("ope.pdf");
        r.QuickReport->Prepare();
        QVERIFY(r.QuickReport->ExportToPdf(pdf));
        const QList<Palabra> palabras = PalabrasPdf(pdf);
        const QRectF caja = CajaTexto(palabras, nombre);
        const QRectF zona = CajaTexto(palabras, QStringLiteral("Zona 1"));
        QVERIFY2(!caja.isEmpty() && !zona.isEmpty(), qPrintable(TextoPdfMaquetado(pdf)));
        QVERIFY2(caja.right() < zona.left(),
                 qPrintable(QStringLiteral("%1 >= %2").arg(caja.right()).arg(zona.left())));
        QVERIFY(zona.right() <= 842 - 10 * 72 / 25.4);
        // The printed image too: nothing of the name is cut by its cell.
        const QImage pagina = ImagenPdf(pdf);
        bool tinta = false;
        for (int y = int(caja.top()); y <= int(caja.bottom()); ++y)
            for (int x = int(caja.right()) - 3; x < int(caja.right()); ++x)
                if (pagina.pixelColor(x, y).value() < 160) tinta = true;
        QVERIFY2(tinta, "the name's last letter is not drawn");
    }

    void dialogo() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        Perfil("Personal=DEP, CAT,ZON");
        TModuloDatos modulo;
        QPointer<TfRRHHLOPE> f = qobject_cast<TfRRHHLOPE*>(CreateForm("TfRRHHLOPE"));
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Listado de Operarios"));
        TListBox* d = f->ListaGruposDisponibles;
        TListBox* s = f->ListaGruposSeleccionados;
        const auto botones = [f]() -> QString {
            return QString::number(f->pbASelecionados->isEnabled()) +
                   QString::number(f->pbASelecionadosTodo->isEnabled()) +
                   QString::number(f->pbADisponibles->isEnabled()) +
                   QString::number(f->pbADisponiblesTodo->isEnabled());
        };
        QCOMPARE(d->Items(), (QStringList{"DEP", " CAT", "ZON"}));
        QCOMPARE(botones(), QStringLiteral("1100"));
        d->setSelected(0, true);
        d->setSelected(2, true);
        f->pbASelecionadosClick();
        QCOMPARE(s->Items(), (QStringList{"DEP", "ZON"}));
        QCOMPARE(d->Items(), (QStringList{" CAT"}));
        QVERIFY(d->Selected(0));
        QCOMPARE(botones(), QStringLiteral("1111"));
        f->pbASelecionadosTodoClick();
        QCOMPARE(s->Items(), (QStringList{"DEP", "ZON", " CAT"}));
        QCOMPARE(s->ItemIndex(), 0);
        QCOMPARE(botones(), QStringLiteral("0011"));
        s->clearSelection();
        s->setSelected(1, true);
        f->pbADisponiblesClick();
        QCOMPARE(d->Items(), (QStringList{"ZON"}));
        QCOMPARE(s->Items(), (QStringList{"DEP", " CAT"}));
        QVERIFY(s->Selected(1));
        f->pbADisponiblesTodoClick();
        QCOMPARE(d->Items(), (QStringList{"ZON", "DEP", " CAT"}));
        QCOMPARE(botones(), QStringLiteral("1100"));

        f->DesdeOperario->setText("1e3");
        MessageSeam::clearLog();
        f->pbListarClick();
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("¡El valor de Desde Operario es incorrecto! Repita por favor"));
        f->Free();

        // No line for the profile: empty lists, no button.
        QPointer<TfRRHHLCAN> c = qobject_cast<TfRRHHLCAN*>(CreateForm("TfRRHHLCAN"));
        QVERIFY(c);
        QCOMPARE(c->Caption(), QStringLiteral("Listado de Candidatos"));
        QVERIFY(c->ListaGruposDisponibles->Items().isEmpty());
        QVERIFY(!c->pbASelecionados->isEnabled() && !c->pbASelecionadosTodo->isEnabled() &&
                !c->pbADisponibles->isEnabled() && !c->pbADisponiblesTodo->isEnabled());
        QCOMPARE(c->EntidadGrupos, QStringLiteral("Candidato"));
        c->HastaCandidato->setText("zz");
        MessageSeam::clearLog();
        c->pbListarClick();
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("¡El valor de Hasta Candidato es incorrecto! Repita por favor"));
        c->HastaCandidato->setText("9999");
        const QString resumen = ResumenSeleccion(c);
        QVERIFY2(resumen.startsWith("Desde Candidato: 0, Hasta Candidato: 9999, Desde Puesto: , "
                                    "Hasta Puesto: zzzzzzzzzzzzz, "),
                 qPrintable(resumen));
        c->Free();
    }
};

QTEST_MAIN(TestRrhhLope)
#include "tst_rrhhlope.moc"
