// The capability listings on a real installation, on both engines: the
// runs of fifteen job positions (each its own preview), the position range
// as text, the matrix cells, the machines' captions and the order of the
// rows by name, and the dialogs' checks.

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/generest.h"
#include "gene/listings/geneprev.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/sesion.h"
#include "report/controls.h"
#include "report/quickrep.h"
#include "rrhh/rrhhlcap.h"
#include "rrhh/rrqrlcap.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

void sql(const QString& sentencia) {
    QString r;
    EjecutarSQL(nullptr, sentencia, QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    QVERIFY2(!r.startsWith(QStringLiteral("Error.")), qPrintable(sentencia + r));
}

// Positions P01..Pn; employees 2 (BEA) and 1 (ANA); employee 1 holds P03
// then P02 (the higher line), employee 2 only a candidate's row of his number.
void Datos(int puestos) {
    for (int i = 1; i <= puestos; ++i)
        sql(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P%1', 'PUESTO %1')")
                .arg(i, 2, 10, QChar('0')));
    sql("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (1, 'BEA')");
    sql("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (2, 'ANA')");
    sql("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, CodigoPuesto, Descripcion) "
        "VALUES ('PERSONAL', 1, 1, 'P03', 'TRES')");
    sql("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, CodigoPuesto, Descripcion) "
        "VALUES ('PERSONAL', 1, 2, 'P02', 'DOS')");
    sql("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, CodigoPuesto, Descripcion) "
        "VALUES ('CANDIDAT', 2, 1, 'P09', 'NUEVE')");
}

QString Fila(TTable* t) {
    QString f = t->FieldByName(QStringLiteral("CodigoOperario"))->AsString() + QLatin1Char('|') +
                t->FieldByName(QStringLiteral("CodigoPuesto"))->AsString();
    for (int i = 0; i < 15; ++i) {
        TField* c = t->FieldByName(QStringLiteral("CapacitacionPuesto%1").arg(i));
        f += QLatin1Char('|') + (c->IsNull() ? QString() : c->AsString());
    }
    while (f.endsWith(QLatin1Char('|'))) f.chop(1);
    return f;
}
QStringList Filas(TTable* t) {
    QStringList filas;
    for (t->First(); !t->Eof(); t->Next()) filas << Fila(t);
    return filas;
}
QStringList Titulos(TfRRQRLCAP* r) {
    QStringList t;
    for (TQRLabel* l : r->ET) t << l->Caption();
    while (!t.isEmpty() && t.last().isEmpty()) t.removeLast();
    return t;
}

// Closes every preview once it has its pages, keeping the captions of each
// run; Accion runs on the preview before it closes.
struct Previas {
    QList<QStringList> titulos;
    std::function<void()> accion;
    QTimer timer;
    Previas() {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            TfGENEPREV* previa = fGENEPREV;
            if (!previa || !previa->isVisible() ||
                previa->EstadoInforme != QLatin1String("Finalizada"))
                return;
            for (QWidget* w : QApplication::allWidgets())
                if (auto* r = qobject_cast<TfRRQRLCAP*>(w)) titulos << Titulos(r);
            if (accion) accion();
            previa->Close();
        });
        timer.start();
    }
};

}  // namespace

class TestRrhhLcap : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void definicion() {
        const QString d = TfRRQRLCAP::DefinicionTemporal();
        QVERIFY(d.startsWith("Tabla Temporal\r\n/C/2/CodigoOperario/ftInteger/0/*\r\n"));
        QVERIFY(
            d.endsWith("/C/20/CapacitacionPuesto14/ftInteger/0/\r\n/I/1/<Primary>/"
                       "CodigoOPerario/"));
        // Equal names are kept apart, by code, and sort before a longer name.
        using M = TfRRQRLMAQ;
        QVERIFY(M::ClaveClasificacion("ANA", 9) < M::ClaveClasificacion("ANA", 10));
        QVERIFY(M::ClaveClasificacion("ANA", 10) < M::ClaveClasificacion("ANAB", 1));
        QVERIFY(M::ClaveClasificacion("", 5) < M::ClaveClasificacion("A", 1));
    }

    void capacitacion_data() { AddEngineRows(); }
    void capacitacion() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        Datos(3);
        sql("INSERT INTO PUESTO (Codigo) VALUES ('A10')");
        sql("INSERT INTO PUESTO (Codigo) VALUES ('B1')");
        sql("INSERT INTO PUESTO (Codigo) VALUES ('A')");
        for (const char* m : {"1, 'P01', 3", "1, 'p03', 7", "1, 'P02', 0", "2, 'P02', -1",
                              "2, 'P01', 12", "2, 'A10', 5"})
            sql(QStringLiteral("INSERT INTO MATRCAPA (CodigoOperario, CodigoPuesto, "
                               "Capacitacion) VALUES (") +
                QLatin1String(m) + QLatin1Char(')'));
        if (QTest::currentTestFailed()) return;
        TModuloDatos modulo;
        // As text, by byte order: A10 lies between A and B, B1 does not.
        QCOMPARE(TfRRQRLCAP::PuestosRango("A", "B"), (QStringList{"A", "A10"}));
        QCOMPARE(TfRRQRLCAP::PuestosRango(QString(), "A10"), (QStringList{"A", "A10"}));
        QCOMPARE(TfRRQRLCAP::PuestosRango("", "zz"),
                 (QStringList{"A", "A10", "B1", "P01", "P02", "P03"}));

        TfRRQRLCAP r;
        QVERIFY(ListarRestriccionesForzado);
        r.Activos = false;  // no contracts here: every employee is inactive
        // The default range, from an empty code on, takes every position.
        r.QuickReport->Prepare();
        QCOMPARE(Titulos(&r), (QStringList{"A", "A10", "B1", "P01", "P02", "P03"}));
        r.DesdePuesto = "P01";
        r.HastaPuesto = "P03";
        r.QuickReport->Prepare();
        // By code; the current position is the highest line, a candidate's
        // rows are not the employee's; matrix codes match whatever the case;
        // 0 and negative levels are blank.
        QCOMPARE(Filas(r.Temporal), (QStringList{"1|P02|3||7", "2||12"}));
        QCOMPARE(Titulos(&r), (QStringList{"P01", "P02", "P03"}));
        QCOMPARE(r.QuickReport->ReportTitle(),
                 QStringLiteral("Listado de Capacitación para Puestos de Trabajo. "));

        // A matrix that cannot be read: each line keeps its employee and
        // position, and the failure is reported per employee.
        sql("ALTER TABLE MATRCAPA RENAME TO MATRVIEJ");
        MessageSeam::clearLog();
        r.QuickReport->Prepare();
        QCOMPARE(Filas(r.Temporal), (QStringList{"1|P02", "2"}));
        QStringList avisos;
        for (const auto& m : MessageSeam::log()) avisos << m.kind + m.text;
        QCOMPARE(avisos,
                 (QStringList{"AError al grabar el operario 1", "AError al grabar el operario 2"}));
    }

    void ejecuciones_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("puestos");
        QTest::addColumn<QList<QStringList>>("titulos");
        const auto codigos = [](int desde, int hasta) {
            QStringList l;
            for (int i = desde; i <= hasta; ++i)
                l << QStringLiteral("P%1").arg(i, 2, 10, QChar('0'));
            return l;
        };
        for (Engine e : AvailableEngines()) {
            const char* n = e == Engine::Sqlite ? "sqlite" : "postgres";
            QTest::addRow("%s 15", n) << int(e) << 15 << QList<QStringList>{codigos(1, 15)};
            QTest::addRow("%s 16", n)
                << int(e) << 16 << QList<QStringList>{codigos(1, 15), codigos(16, 16)};
            QTest::addRow("%s 31", n)
                << int(e) << 31
                << QList<QStringList>{codigos(1, 15), codigos(16, 30), codigos(31, 31)};
        }
    }
    // One preview per started group of fifteen positions, in order; a cancel
    // in one preview still starts the next run.
    void ejecuciones() {
        QFETCH(int, engine);
        QFETCH(int, puestos);
        QFETCH(QList<QStringList>, titulos);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        Datos(puestos);
        if (QTest::currentTestFailed()) return;
        TModuloDatos modulo;
        QPointer<TfRRHHLCAP> f = qobject_cast<TfRRHHLCAP*>(CreateForm("TfRRHHLCAP"));
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Listado de Capacitación para Puestos de Trabajo"));
        Previas previas;
        previas.accion = [] { ListadoCancelado = true; };
        f->pbListarClick();
        QCOMPARE(previas.titulos, titulos);
        QVERIFY(!f->ListadoEnCurso);

        // No position in the range: the message, no run, the dialog idle.
        previas.titulos.clear();
        f->DesdePuesto->setText("X");
        MessageSeam::clearLog();
        f->pbListarClick();
        QVERIFY(previas.titulos.isEmpty());
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().text, QStringLiteral("No existen datos para listar"));
        QVERIFY(!f->ListadoEnCurso);
        f->Free();
    }

    void maquinas_data() { AddEngineRows(); }
    void maquinas() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        Datos(0);
        // Employee 3 has employee 2's name; machine 4 has no description.
        sql("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (3, 'ANA')");
        for (int m = 1; m <= 20; ++m)
            sql(QStringLiteral("INSERT INTO MAQUINA (Codigo, Descripcion) VALUES (%1, '%2')")
                    .arg(m)
                    .arg(m == 4 ? QString() : QStringLiteral("MAQ%1").arg(m)));
        for (const char* m : {"1, 1, 2", "1, 16, 9", "2, 15, 4", "3, 2, 0", "3, 3, 6"})
            sql(QStringLiteral("INSERT INTO MATRMAQU (CodigoOperario, CodigoMaquina, "
                               "Capacitacion) VALUES (") +
                QLatin1String(m) + QLatin1Char(')'));
        if (QTest::currentTestFailed()) return;
        TModuloDatos modulo;
        QStringList codigos;
        for (int m = 1; m <= 15; ++m) codigos << QString::number(m);
        {
            TfRRQRLMAQ r;
            r.Activos = false;
            r.QuickReport->Prepare();
            // By name, the two ANA both kept, by code; machine 16 has no column.
            QCOMPARE(Filas(r.Temporal), (QStringList{"2||||||||||||||||4", "3||||6", "1|P02|2"}));
            QCOMPARE(Titulos(&r), codigos);
            QCOMPARE(r.QuickReport->ReportTitle(),
                     QStringLiteral("Listado de Capacitación para Máquina. "));
        }
        TfRRQRLMAQ r;
        r.Activos = false;
        r.ListarCodigo = false;
        r.ListarDescripcion = true;
        r.DesdeMaquina = 2;
        r.HastaMaquina = 5;
        r.QuickReport->Prepare();
        QCOMPARE(Titulos(&r), (QStringList{"MAQ2", "MAQ3", "", "MAQ5"}));
        QCOMPARE(Filas(r.Temporal), (QStringList{"2", "3|||6", "1|P02"}));
    }

    // A company that never kept a matrix: the report makes its table, each
    // employee prints with no levels and nothing is said.
    void sinMatriz_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("maquinas");
        for (Engine e : AvailableEngines()) {
            const char* n = e == Engine::Sqlite ? "sqlite" : "postgres";
            QTest::addRow("%s puestos", n) << int(e) << false;
            QTest::addRow("%s maquinas", n) << int(e) << true;
        }
    }
    void sinMatriz() {
        QFETCH(int, engine);
        QFETCH(bool, maquinas);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        Datos(3);
        sql("INSERT INTO MAQUINA (Codigo, Descripcion) VALUES (1, 'MAQ1')");
        const QString tabla = QLatin1String(maquinas ? "MATRMAQU" : "MATRCAPA");
        sql(QStringLiteral("DROP TABLE IF EXISTS ") + tabla);
        if (QTest::currentTestFailed()) return;
        TModuloDatos modulo;
        MessageSeam::clearLog();
        std::unique_ptr<TfRRQRLCAP> r(maquinas ? new TfRRQRLMAQ : new TfRRQRLCAP);
        r->Activos = false;
        r->QuickReport->Prepare();
        const QStringList filas = maquinas ? QStringList{"2", "1|P02"} : QStringList{"1|P02", "2"};
        QCOMPARE(Filas(r->Temporal), filas);
        QCOMPARE(MessageSeam::log().size(), 0);
        QString n;
        EjecutarSQL(nullptr, QStringLiteral("SELECT COUNT(*) FROM ") + tabla,
                    QStringLiteral("Database"), QStringLiteral("Silenciosa"), n);
        QCOMPARE(n.trimmed(), QStringLiteral("0"));
    }

    // The code-range edits of the listing dialogs take 8 typed characters;
    // their default upper bound keeps its 13 letters.
    void limiteCodigos_data() {
        QTest::addColumn<QString>("clase");
        QTest::addColumn<QString>("edit");
        QTest::newRow("plan de formación") << "TfRRHHLPLA"
                                           << "HastaFormacion";
        QTest::newRow("nivel de formación") << "TfRRHHLFOR"
                                            << "HastaFormacion";
        QTest::newRow("operarios") << "TfRRHHLOPE"
                                   << "HastaPuesto";
        QTest::newRow("operarios por puesto") << "TfRRHHLPUE"
                                              << "HastaPuesto";
        QTest::newRow("capacitación") << "TfRRHHLCAP"
                                      << "HastaPuesto";
    }
    void limiteCodigos() {
        QFETCH(QString, clase);
        QFETCH(QString, edit);
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QPointer<TForm> f = qobject_cast<TForm*>(CreateForm(clase));
        QVERIFY(f);
        auto* hasta = f->findChild<TEdit*>(edit);
        QVERIFY(hasta);
        QCOMPARE(hasta->Text(), QStringLiteral("zzzzzzzzzzzzz"));
        hasta->setFocus();
        hasta->end(false);
        QTest::keyClicks(hasta, QStringLiteral("Q"));
        QCOMPARE(hasta->Text(), QStringLiteral("zzzzzzzzzzzzz"));
        hasta->selectAll();
        QTest::keyClicks(hasta, QStringLiteral("ABCDEFGHIJK"));
        QCOMPARE(hasta->Text(), QStringLiteral("ABCDEFGH"));
        QTest::keyClick(hasta, Qt::Key_Backspace);
        QTest::keyClicks(hasta, QStringLiteral("XY"));
        QCOMPARE(hasta->Text(), QStringLiteral("ABCDEFGX"));
        f->Free();
    }

    void dialogos() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QPointer<TfRRHHLMAQ> f = qobject_cast<TfRRHHLMAQ*>(CreateForm("TfRRHHLMAQ"));
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Listado de Capacitación para Máquinas"));
        f->DesdeMaquina->setText("M1");
        MessageSeam::clearLog();
        f->pbListarClick();
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("¡El valor de Desde Maquina es incorrecto! Repita por favor"));
        QVERIFY(!f->ListadoEnCurso);
        f->DesdeMaquina->setText("0");
        const QString resumen = ResumenSeleccion(f);
        // The restrictions line spells the edits' names as their labels do.
        QVERIFY2(resumen.startsWith("Desde Operario: 0, Hasta Operario: 9999, Desde Máquina: 0, "
                                    "Hasta Máquina: 9999, Activos, No Activos, Listar Código "
                                    "Máquina, "),
                 qPrintable(resumen));
        f->Free();
        QPointer<TfRRHHLCAP> c = qobject_cast<TfRRHHLCAP*>(CreateForm("TfRRHHLCAP"));
        const QString resumenPuestos = ResumenSeleccion(c);
        QVERIFY2(resumenPuestos.startsWith("Desde Operario: 0, Hasta Operario: 9999, Desde "
                                           "Puesto: , Hasta Puesto: zzzzzzzzzzzzz, Activos, No "
                                           "Activos, "),
                 qPrintable(resumenPuestos));
        c->Free();
    }
};

QTEST_MAIN(TestRrhhLcap)
#include "tst_rrhhlcap.moc"
