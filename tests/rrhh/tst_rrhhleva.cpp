// The evaluation sheet on a real installation, on both engines: which
// evaluations are printed, what each row and line holds, and the sheets
// printed with the shipped format through the evaluation master's preset.

#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include "db/dialect.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/print/genelimp.h"
#include "gene/session/geneinic_formulario.h"
#include "rrhh/fichas_prueba.h"
#include "rrhh/rrhhfich.h"
#include "rrhh/rrhhleva.h"
#include "support/cortepg.h"
#include "support/dbfixture.h"
#include "support/discolleno.h"
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

QDateTime momento(int a, int m, int d, int h = 0) {
    return QDateTime(QDate(a, m, d), QTime(h, 0));
}

void evaluacion(int op, const char* tipo, const char* codigo, const QDateTime& fecha, int evaluador,
                const QList<std::pair<int, QString>>& lineas) {
    sql(QStringLiteral("INSERT INTO EVLCION (CodigoOperario, Tipo, Codigo, FechaEvaluacion, "
                       "CodigoOperarioEvaluador, Observaciones, Nivel, Valoracion) VALUES "
                       "(%1, '%2', '%3', %4, %5, 'Obs %3', 'Alto', 80)")
            .arg(op)
            .arg(QLatin1String(tipo), QLatin1String(codigo),
                 DialectoActual().dateTimeLiteral(fecha))
            .arg(evaluador));
    for (const auto& [linea, texto] : lineas)
        sql(QStringLiteral("INSERT INTO LEVLCION (CodigoOperario, Tipo, Codigo, FechaEvaluacion, "
                           "Linea, Descripcion, Valoracion) VALUES (%1, '%2', '%3', %4, %5, "
                           "'%6', %7)")
                .arg(op)
                .arg(QLatin1String(tipo), QLatin1String(codigo),
                     DialectoActual().dateTimeLiteral(fecha))
                .arg(linea)
                .arg(texto)
                .arg(linea * 10));
}

const QString kLarga = QStringLiteral(
    "Conoce los procedimientos de seguridad del puesto y los aplica en cada turno sin que nadie "
    "se lo recuerde, incluida la revision final de la maquina");

// Employee 7 (evaluated by 2): Puesto P1 on 15/03/2024 with lines 1, 3 and
// 4 (a long one), and Puesto P1 again on 20/03/2024. Employee 2: both kinds
// (evaluator 99, unknown) and a Formacion evaluation at 31/12/2024 10:00
// (no evaluator).
void Datos() {
    sql(
        QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, Localidad) VALUES "
                       "(7, 'VIDAL, ROSA', 'Soria')"));
    sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (2, 'LEON, PABLO')"));
    sql(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P1', 'Soldador')"));
    sql(QStringLiteral("INSERT INTO FORMCION (Codigo, Descripcion) VALUES ('F1', 'Prevencion')"));
    evaluacion(7, "Puesto", "P1", momento(2024, 3, 15), 2,
               {{1, QStringLiteral("Puntualidad")}, {3, QStringLiteral("Orden")}, {4, kLarga}});
    evaluacion(7, "Puesto", "P1", momento(2024, 3, 20), 2, {{1, QStringLiteral("Otra")}});
    evaluacion(2, "Puesto", "P1", momento(2024, 5, 1), 99, {{1, QStringLiteral("Ritmo")}});
    evaluacion(2, "Formacion", "F1", momento(2024, 5, 1), 0, {{1, QStringLiteral("Examen")}});
    evaluacion(2, "Formacion", "F1", momento(2024, 12, 31, 10), 0, {});
}

using Fila = QMap<QString, QString>;
QList<Fila> filas(TTable* t) {
    QList<Fila> r;
    for (t->First(); !t->Eof(); t->Next()) {
        Fila f;
        for (int i = 0; i < t->Fields().Count(); ++i)
            f.insert(t->Fields()[i]->FieldName(), t->Fields()[i]->AsString());
        r << f;
    }
    return r;
}

struct Hoja : EmpresaPrueba {
    explicit Hoja(Engine e) : EmpresaPrueba(e) {
        MessageSeam::clearLog();
        PrevisualizarImpreso = false;
        AsignarSeamDialogos([](QObject*) { return true; });
        CodigoImpreso = QStringLiteral("FichaEvaluacion");
        CargarFormatosFichas();
        Datos();
    }
    ~Hoja() {
        AsignarSeamDialogos(nullptr);
        PrevisualizarImpreso = false;
    }
    // The evaluations and lines of a selection (lines of all evaluations).
    void rellenar(const TSeleccionEvaluaciones& s) {
        const QString destino = QStringLiteral("PDF:") + dir.filePath(QStringLiteral("r.pdf"));
        ImprimirFichas(DefinicionEvaluaciones(), DefinicionLineasEvaluacion(),
                       QStringLiteral("CodigoOperario;Tipo;Codigo;FechaEvaluacion"), destino,
                       [&](TfGENELIMP* m) {
                           if (antes) antes(m);
                           RellenarEvaluaciones(m->Temporal, m->LTemporal, s);
                           evaluaciones = filas(m->Temporal);
                           m->LTemporal->setMasterFields(QString());
                           lineas = filas(m->LTemporal);
                           m->LTemporal->setMasterFields(
                               QStringLiteral("CodigoOperario;Tipo;Codigo;FechaEvaluacion"));
                       });
    }
    QList<Fila> evaluaciones, lineas;
    QTemporaryDir dir;
    std::function<void(TfGENELIMP*)> antes;  // before the fill, with its tables
};

TSeleccionEvaluaciones ano2024(const char* tipo) {
    TSeleccionEvaluaciones s;
    s.DesdeFecha = momento(2024, 1, 1);
    s.HastaFecha = momento(2024, 12, 31);
    s.Tipo = QLatin1String(tipo);
    return s;
}

}  // namespace

class TestRrhhLeva : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void relleno_data() { AddEngineRows(); }
    void relleno() {
        QFETCH(int, engine);
        Hoja h{Engine(engine)};
        if (QTest::currentTestFailed()) return;
        // "Puesto" over a range of employees that hold both kinds.
        TSeleccionEvaluaciones s = ano2024("Puesto");
        h.rellenar(s);
        QStringList claves;
        for (const Fila& f : h.evaluaciones)
            claves << f.value("CodigoOperario") + QLatin1Char('/') + f.value("Tipo") +
                          QLatin1Char('/') + f.value("FechaEvaluacion").left(10);
        QCOMPARE(claves, (QStringList{"2/Puesto/01/05/2024", "7/Puesto/15/03/2024",
                                      "7/Puesto/20/03/2024"}));
        const Fila& e7 = h.evaluaciones[1];
        QCOMPARE(e7.value("Nombre"), QStringLiteral("VIDAL, ROSA"));
        QCOMPARE(e7.value("Localidad"), QStringLiteral("Soria"));
        QCOMPARE(e7.value("NombreOperarioEvaluador"), QStringLiteral("LEON, PABLO"));
        QCOMPARE(e7.value("MateriaEvaluada"), QStringLiteral("Soldador"));
        QCOMPARE(e7.value("Valoracion"), QStringLiteral("80"));
        QCOMPARE(e7.value("Observaciones"), QStringLiteral("Obs P1"));
        // An unknown evaluator: empty, and no message.
        QCOMPARE(h.evaluaciones[0].value("NombreOperarioEvaluador"), QString());
        QVERIFY(TextosMostrados().isEmpty());
        // Each evaluation its own lines, numbered from 1, keeping the stored line.
        QStringList l;
        for (const Fila& f : h.lineas)
            l << f.value("CodigoOperario") + f.value("FechaEvaluacion").left(5) + QLatin1Char('/') +
                     f.value("Linea") + QLatin1Char('/') + f.value("LineaEvaluacion") +
                     QLatin1Char('/') + f.value("Valoracion");
        QCOMPARE(l, (QStringList{"201/05/1/1/10", "715/03/1/1/10", "715/03/2/3/30", "715/03/3/4/40",
                                 "720/03/1/1/10"}));

        // "Formacion": from FORMCION; no evaluator; 31/12 10:00 is after the bound.
        s = ano2024("Formacion");
        s.ListarValores = false;
        h.rellenar(s);
        QCOMPARE(h.evaluaciones.size(), 1);
        QCOMPARE(h.evaluaciones[0].value("MateriaEvaluada"), QStringLiteral("Prevencion"));
        QCOMPARE(h.evaluaciones[0].value("NombreOperarioEvaluador"), QString());
        QCOMPARE(h.evaluaciones[0].value("Valoracion"), QString());
        QCOMPARE(h.lineas.size(), 1);
        QCOMPARE(h.lineas[0].value("Valoracion"), QString());
        s.HastaFecha = momento(2025, 1, 1);
        h.rellenar(s);
        QCOMPARE(h.evaluaciones.size(), 2);

        // A fill that loses rows (the disk full; the server ending the
        // connection at a line of the second sheet): nothing is printed and
        // the user is told once.
        const QString pdf = h.dir.filePath(QStringLiteral("r.pdf"));
        QFile::remove(pdf);
        MessageSeam::clearLog();
        std::unique_ptr<TCorteConexion> cortada;
        std::unique_ptr<TDiscoLleno> lleno;
        h.antes = [&](TfGENELIMP* m) {
            if (Engine(engine) == Engine::Postgres)
                cortada = std::make_unique<TCorteConexion>(
                    m->LTemporal->Database(), m->LTemporal->TableName(), "NEW.LineaEvaluacion = 3");
            else
                lleno = std::make_unique<TDiscoLleno>(4096);
        };
        h.rellenar(ano2024("Puesto"));
        lleno.reset();
        h.antes = nullptr;
        if (cortada) QVERIFY(cortada->Cortada());
        QVERIFY(!QFile::exists(pdf));
        QVERIFY2(UnSoloAvisoListadoNoRealizado(),
                 qPrintable(TextosMostrados().join(QLatin1Char('|'))));
    }

    // The evaluated employee's postal code, town and province printed whole
    // on the sheet, at the longest they are typed, inside the page.
    void direccionEntera_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("provincia");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "con provincia") << "SANTA CRUZ DE TENERIFE Y LAS PALMAS NORT";
            NewEngineRow(e, "sin provincia") << "";
        }
    }
    void direccionEntera() {
        QFETCH(int, engine);
        QFETCH(QString, provincia);
        Hoja h{Engine(engine)};
        if (QTest::currentTestFailed()) return;
        const QString localidad = QStringLiteral("SAN BARTOLOME DE TIRAJANA DEL MONTE ALTO");
        sql(QStringLiteral("UPDATE PERSONAL SET CodigoPostal = '35100', Localidad = '%1', "
                           "Provincia = '%2' WHERE CodigoOperario = 7")
                .arg(localidad, provincia));
        TSeleccionEvaluaciones s = ano2024("Puesto");
        s.DesdeOperario = s.HastaOperario = 7;
        h.rellenar(s);
        const QList<Palabra> palabras = PalabrasPdf(h.dir.filePath(QStringLiteral("r.pdf")));
        const QRectF lugar = CajaTexto(palabras, QStringLiteral("35100 ") + localidad);
        // Clear of the next line, the job position; nothing between them
        // when there is no province.
        const QRectF puesto = CajaTexto(palabras, QStringLiteral("Puesto de trabajo"));
        QVERIFY(!lugar.isEmpty() && !puesto.isEmpty());
        if (provincia.isEmpty()) {
            for (const Palabra& p : palabras)
                QVERIFY2(p.caja.top() < lugar.bottom() || p.caja.bottom() > puesto.top(),
                         qPrintable(p.texto));
            return;
        }
        const QRectF prov = CajaTexto(palabras, provincia);
        QVERIFY(!prov.isEmpty());
        const double borde = 595.3 - 15 * 72 / 25.4;
        QVERIFY(lugar.right() <= borde && prov.right() <= borde && !lugar.intersects(prov));
        QVERIFY(prov.bottom() <= puesto.top());
    }

    void dialogo_data() { AddEngineRows(); }
    // Opened from the evaluation master on employee 7's evaluation of
    // 15/03/2024: the bounds shown, and that evaluation printed alone with
    // its lines, the long one wrapped.
    void dialogo() {
        QFETCH(int, engine);
        Hoja h{Engine(engine)};
        if (QTest::currentTestFailed()) return;
        QPointer<TfRRHHLEVA> f = qobject_cast<TfRRHHLEVA*>(CreateForm("TfRRHHLEVA"));
        QVERIFY(f);
        QCOMPARE(f->HastaOperario->Text(), QStringLiteral("999999999"));
        const QString ano = QString::number(QDate::currentDate().year());
        QCOMPARE(f->DesdeFecha->Text(), QStringLiteral("1/1/") + ano);
        QCOMPARE(f->HastaFecha->Text(), QStringLiteral("31/12/") + ano);
        const std::pair<const char*, QVariant> presets[] = {
            {"OperarioDesdeEvaluacion", 7},
            {"OperarioHastaEvaluacion", 7},
            {"CodigoDesdeEvaluacion", QStringLiteral("P1")},
            {"CodigoHastaEvaluacion", QStringLiteral("P1")},
            {"FechaDesdeEvaluacion", momento(2024, 3, 15)},
            {"FechaHastaEvaluacion", momento(2024, 3, 15)},
            {"TipoEvaluacion", QStringLiteral("Puesto")},
            {"ImprimirDirectamenteEvaluacion", false}};
        for (const auto& [p, v] : presets) f->setProperty(p, v);
        QCOMPARE(f->DesdeOperario->Text() + f->HastaOperario->Text(), QStringLiteral("77"));
        QCOMPARE(f->DesdeCodigo->Text() + f->HastaCodigo->Text(), QStringLiteral("P1P1"));
        QCOMPARE(f->DesdeFecha->Text(), QStringLiteral("15/03/2024"));
        QCOMPARE(f->HastaFecha->Text(), QStringLiteral("15/03/2024"));
        QCOMPARE(f->Tipo->Text(), QStringLiteral("Puesto"));
        const QString pdf = h.dir.filePath(QStringLiteral("eva.pdf"));
        f->DestinoImpreso = QStringLiteral("PDF:") + pdf;
        f->VisualizacionPrevia->setChecked(false);
        // No format: the warning with its closing sign, and the date check still made.
        f->EditFormatoImpreso->setCurrentIndex(-1);
        f->HastaFecha->setText(QStringLiteral("x"));
        MessageSeam::clearLog();
        f->pbListarClick();
        QCOMPARE(TextosMostrados(),
                 (QStringList{"¡Debe definir el Formato del Impreso!",
                              "¡La fecha de Hasta Fecha es incorrecta! Repita por favor"}));
        QVERIFY(!QFile::exists(pdf));
        f->EditFormatoImpreso->setCurrentIndex(0);
        f->HastaFecha->setText(QStringLiteral("15/03/2024"));
        f->pbListarClick();
        const QString texto = TextoPdf(pdf);
        QCOMPARE(PaginasPdf(pdf), 1);
        for (const char* t : {"FICHA DE EVALUACI", "VIDAL, ROSA", "Soldador", "Puntualidad",
                              "Orden", "Conoce los procedimientos", "revision final"})
            QVERIFY2(texto.contains(QLatin1String(t)), t);
        QVERIFY(!texto.contains(QLatin1String("Otra")));
        f->Close();
        QTRY_VERIFY(!f);
    }

    void hastaDiaEntero_data() { AddEngineRows(); }
    // A duplicated evaluation keeps the time it was made at (employee 2's
    // "Formacion" of 31/12/2024 10:00); printed from the master, the dialog
    // gets that date as both bounds and prints it.
    void hastaDiaEntero() {
        QFETCH(int, engine);
        Hoja h{Engine(engine)};
        if (QTest::currentTestFailed()) return;
        QPointer<TfRRHHLEVA> f = qobject_cast<TfRRHHLEVA*>(CreateForm("TfRRHHLEVA"));
        QVERIFY(f);
        const std::pair<const char*, QVariant> presets[] = {
            {"OperarioDesdeEvaluacion", 2},
            {"OperarioHastaEvaluacion", 2},
            {"CodigoDesdeEvaluacion", QStringLiteral("F1")},
            {"CodigoHastaEvaluacion", QStringLiteral("F1")},
            {"FechaDesdeEvaluacion", momento(2024, 12, 31, 10)},
            {"FechaHastaEvaluacion", momento(2024, 12, 31, 10)},
            {"TipoEvaluacion", QStringLiteral("Formacion")},
            {"ImprimirDirectamenteEvaluacion", false}};
        for (const auto& [p, v] : presets) f->setProperty(p, v);
        const QString pdf = h.dir.filePath(QStringLiteral("hora.pdf"));
        f->DestinoImpreso = QStringLiteral("PDF:") + pdf;
        f->VisualizacionPrevia->setChecked(false);
        MessageSeam::clearLog();
        f->pbListarClick();
        QVERIFY2(TextosMostrados().isEmpty(), qPrintable(TextosMostrados().join('|')));
        QCOMPARE(PaginasPdf(pdf), 1);
        const QString texto = TextoPdf(pdf);
        QVERIFY(texto.contains(QLatin1String("LEON, PABLO")));
        QVERIFY(texto.contains(QLatin1String("Prevencion")));
        // The 01/05 evaluation of the same subject stays out.
        QVERIFY(!texto.contains(QLatin1String("Examen")));
        f->Close();
        QTRY_VERIFY(!f);
    }
};

QTEST_MAIN(TestRrhhLeva)
#include "tst_rrhhleva.moc"
