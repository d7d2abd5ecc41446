// The personnel sheet on a real installation, on both engines: the columns
// each employee's sheet gets, which employees are kept, the copies on the
// printer, the sheets printed with the shipped format and read back from the
// PDF, and the dialog's checks and presets.

#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "db/dialect.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/geneusua.h"
#include "gene/dialogo_modal.h"
#include "gene/print/genelimp.h"
#include "gene/session/geneinic_formulario.h"
#include "rrhh/fichas_prueba.h"
#include "rrhh/rrhhfich.h"
#include "rrhh/rrhhlfca.h"
#include "rrhh/rrhhlfic.h"
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

QString dia(int a, int m, int d) {
    return DialectoActual().dateLiteral(QDate(a, m, d));
}

// Employee 1 GARCIA LOPEZ, JUAN: category 3 (described), department DEP01,
// three positions stored out of date order, two training lines, a first
// contract still in force and a later one. Employee 2 PEREZ: no comma, a
// category without a CATEGORI row, nothing else. Employee 3 ROS, ANA: a
// contract ended in 2020, a category with an empty description, an undated
// position and two of one date. Candidate 1 shares employee 1's
// number.
void Datos() {
    sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, NumeroMatricula, "
                       "FechaNacimiento, CodigoCategoria, DNI, Localidad) VALUES "
                       "(1, 'GARCIA LOPEZ, JUAN', 55, %1, 3, '123X', 'Burgos')")
            .arg(dia(1980, 5, 2)));
    sql(
        QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, CodigoCategoria) VALUES "
                       "(2, 'PEREZ MARTIN JOSE', 9)"));
    sql(
        QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, CodigoCategoria) VALUES "
                       "(3, 'ROS, ANA', 4)"));
    sql(QStringLiteral("INSERT INTO CATEGORI (Codigo, Descripcion) VALUES (4, '')"));
    sql(QStringLiteral("INSERT INTO CATEGORI (Codigo, Descripcion) VALUES (3, 'OFICIAL')"));
    sql(
        QStringLiteral("INSERT INTO GRANALIS (Codigo, Descripcion) VALUES ('DEP01', "
                       "'Produccion')"));
    sql(
        QStringLiteral("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES "
                       "('PERSONAL', '1', 'DEP01')"));
    const struct {
        const char* tabla;
        int linea;
        const char* puesto;
        int ano;
    } puestos[] = {{"PERSONAL", 1, "P2", 2015},
                   {"PERSONAL", 2, "P3", 2020},
                   {"PERSONAL", 3, "P1", 2010},
                   {"CANDIDAT", 1, "C9", 2021}};
    for (const auto& p : puestos)
        sql(QStringLiteral("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, "
                           "CodigoPuesto, Descripcion, FechaInicio) VALUES ('%1', 1, %2, '%3', "
                           "'Puesto %3', %4)")
                .arg(QLatin1String(p.tabla))
                .arg(p.linea)
                .arg(QLatin1String(p.puesto), dia(p.ano, 3, 1)));
    // Employee 3: an undated row (the oldest, whichever engine sorts NULL
    // first) and two rows of one date (the later line is the later).
    for (const auto& [linea, puesto, fecha] :
         {std::tuple{1, "PA - Sin fecha", QStringLiteral("NULL")},
          std::tuple{2, "PB - Peon", dia(2010, 3, 1)},
          std::tuple{3, "PC - Oficial", dia(2010, 3, 1)}})
        sql(QStringLiteral("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, "
                           "CodigoPuesto, Descripcion, FechaInicio) VALUES ('PERSONAL', 3, %1, "
                           "'%2', '%3', %4)")
                .arg(linea)
                .arg(QLatin1String(puesto).left(2), QLatin1String(puesto).mid(5), fecha));
    for (const auto& [linea, texto] : {std::pair{1, "Soldadura"}, std::pair{2, "Carretillas"}})
        sql(QStringLiteral("INSERT INTO HFORMACI (NombreTabla, CodigoOperario, Linea, "
                           "Descripcion) VALUES ('PERSONAL', 1, %1, '%2')")
                .arg(linea)
                .arg(QLatin1String(texto)));
    sql(QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, CodigoContrato, "
                       "FechaInicioContrato) VALUES (1, 1, 401, %1)")
            .arg(dia(2010, 1, 10)));
    sql(QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, CodigoContrato, "
                       "FechaInicioContrato) VALUES (1, 2, 402, %1)")
            .arg(dia(2012, 1, 10)));
    sql(QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, CodigoContrato, "
                       "FechaInicioContrato, FechaFinalContrato) VALUES (3, 1, 100, %1, %2)")
            .arg(dia(2019, 1, 1), dia(2020, 1, 1)));
}

// The sheet rows of a selection, each column as text by name.
using Fila = QMap<QString, QString>;
// Antes: called with the work table before the fill.
QList<Fila> Fichas(TTipoFicha tipo, const TSeleccionFichas& s, const QString& destino = {},
                   const std::function<void(TTable*)>& antes = {}) {
    QList<Fila> filas;
    OmitirDialogoImpresora = true;  // there is no printer here; an engine freed clears it
    ImprimirFichas(DefinicionFichas(tipo), QString(), QString(), destino, [&](TfGENELIMP* motor) {
        if (antes) antes(motor->Temporal);
        RellenarFichas(tipo, motor->Temporal, s);
        TTable* t = motor->Temporal;
        for (t->First(); !t->Eof(); t->Next()) {
            Fila f;
            for (int i = 0; i < t->Fields().Count(); ++i)
                f.insert(t->Fields()[i]->FieldName(), t->Fields()[i]->AsString());
            filas << f;
        }
    });
    return filas;
}

struct Hoja : EmpresaPrueba {
    explicit Hoja(Engine e) : EmpresaPrueba(e) {
        MessageSeam::clearLog();
        PrevisualizarImpreso = false;
        // No print dialog may wait for a user.
        AsignarSeamDialogos([](QObject*) { return true; });
        CodigoImpreso = QStringLiteral("FichaPersonal");
        CargarFormatosFichas();
        Datos();
    }
    ~Hoja() {
        AsignarSeamImpreso(nullptr);
        AsignarSeamDialogos(nullptr);
        PrevisualizarImpreso = false;
    }
    QTemporaryDir dir;
};

}  // namespace

class TestRrhhLfic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void columnas_data() { AddEngineRows(); }
    // What each employee's sheet holds, and the sheets printed with the
    // shipped format.
    void columnas() {
        QFETCH(int, engine);
        Hoja h{Engine(engine)};
        if (QTest::currentTestFailed()) return;
        const QString pdf = h.dir.filePath(QStringLiteral("fichas.pdf"));
        const QList<Fila> filas = Fichas(TTipoFicha::Personal, {}, QStringLiteral("PDF:") + pdf);
        QCOMPARE(filas.size(), 3);
        const struct {
            int fila;
            const char* columna;
            QString valor;
        } casos[] = {
            {0, "NombreOperario", "GARCIA LOPEZ, JUAN"},
            {0, "Nombre", " JUAN"},
            {0, "PrimerApellido", "GARCIA"},
            {0, "SegundoApellido", "LOPEZ"},
            {0, "NumeroMatricula", "55"},
            {0, "FechaNacimiento", "02/05/1980"},
            {0, "FechaIngreso", "10/01/2010"},
            {0, "CodigoContrato", "401"},
            {0, "CategoriaProfesional", "3 - OFICIAL"},
            {0, "Seccion", "DEP01 - Produccion"},
            {0, "PuestoTrabajo", "P3 - Puesto P3"},
            {0, "FechaOcupacionPuesto", "01/03/2020"},
            {0, "OtrosPuestos", "P1 - Puesto P1\r\nP2 - Puesto P2\r\n"},
            {0, "Formacion", "\r\nSoldadura\r\nCarretillas"},
            {0, "DNI", "123X"},
            {0, "NumeroCopias", "1"},
            // No comma: no first name, the surnames are the first two words.
            {1, "Nombre", ""},
            {1, "PrimerApellido", "PEREZ"},
            {1, "SegundoApellido", "MARTIN"},
            {1, "CategoriaProfesional", "9"},
            // No contract, position, department or birth date: empty, never 30/12/1899.
            {1, "FechaIngreso", ""},
            {1, "FechaNacimiento", ""},
            {1, "CodigoContrato", "0"},
            {1, "Seccion", ""},
            {1, "PuestoTrabajo", ""},
            {1, "OtrosPuestos", ""},
            {1, "Formacion", ""},
            {2, "Nombre", " ANA"},
            {2, "SegundoApellido", ""},
            // A category with an empty description: its code and " - ".
            {2, "CategoriaProfesional", "4 - "},
            {2, "PuestoTrabajo", "PC - Oficial"},
            {2, "FechaOcupacionPuesto", "01/03/2010"},
            {2, "OtrosPuestos", "PA - Sin fecha\r\nPB - Peon\r\n"},
        };
        for (const auto& c : casos)
            QVERIFY2(filas[c.fila].value(QLatin1String(c.columna)) == c.valor,
                     qPrintable(QStringLiteral("%1 %2: [%3]")
                                    .arg(c.fila)
                                    .arg(QLatin1String(c.columna),
                                         filas[c.fila].value(QLatin1String(c.columna)))));
        const QString texto = TextoPdf(pdf);
        QCOMPARE(PaginasPdf(pdf), 3);
        for (const char* s : {"FICHA DE PERSONAL", "GARCIA LOPEZ, JUAN", "DEP01 - Produccion",
                              "P3 - Puesto P3", "P1 - Puesto P1", "P2 - Puesto P2", "Soldadura",
                              "Carretillas", "3 - OFICIAL", "10/01/2010", "PEREZ MARTIN JOSE"})
            QVERIFY2(texto.contains(QLatin1String(s)), s);
        QVERIFY(!texto.contains(QLatin1String("1899")));
    }

    void seleccion_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("activos");
        QTest::addColumn<bool>("noActivos");
        QTest::addColumn<int>("desde");
        QTest::addColumn<int>("hasta");
        QTest::addColumn<QString>("codigos");
        // A fill that loses rows (the disk full, the server ending the
        // connection at the second sheet): nothing printed, one message.
        QTest::addColumn<QString>("corte");
        for (Engine e : AvailableEngines()) {
            const QByteArray t = EngineTag(e).toLatin1();
            QTest::addRow("%s  todos", t.constData())
                << int(e) << true << true << 0 << 9999 << QStringLiteral("1,2,3") << QString();
            QTest::addRow("%s  activos", t.constData())
                << int(e) << true << false << 0 << 9999 << QStringLiteral("1") << QString();
            QTest::addRow("%s  no activos", t.constData())
                << int(e) << false << true << 0 << 9999 << QStringLiteral("2,3") << QString();
            QTest::addRow("%s  ninguno", t.constData())
                << int(e) << false << false << 0 << 9999 << QString() << QString();
            QTest::addRow("%s  rango", t.constData())
                << int(e) << true << true << 2 << 3 << QStringLiteral("2,3") << QString();
            QTest::addRow("%s  invertido", t.constData())
                << int(e) << true << true << 3 << 1 << QString() << QString();
        }
        QTest::addRow("sqlite  disco lleno")
            << int(Engine::Sqlite) << true << true << 0 << 9999 << QString() << "disco";
        if (AvailableEngines().contains(Engine::Postgres))
            QTest::addRow("postgres  conexion cortada")
                << int(Engine::Postgres) << true << true << 0 << 9999 << QString() << "conexion";
    }
    // Which employees get a sheet: the range and the contract in force.
    void seleccion() {
        QFETCH(int, engine);
        QFETCH(bool, activos);
        QFETCH(bool, noActivos);
        QFETCH(int, desde);
        QFETCH(int, hasta);
        QFETCH(QString, codigos);
        QFETCH(QString, corte);
        Hoja h{Engine(engine)};
        if (QTest::currentTestFailed()) return;
        TSeleccionFichas s;
        s.Activos = activos;
        s.NoActivos = noActivos;
        s.DesdeOperario = desde;
        s.HastaOperario = hasta;
        QStringList obtenidos;
        const QString pdf = h.dir.filePath(QStringLiteral("x.pdf"));
        AsignarSeamImpreso(
            [pdf](const QString&) -> QString { return QStringLiteral("PDF:") + pdf; });
        std::unique_ptr<TCorteConexion> cortada;
        std::unique_ptr<TDiscoLleno> lleno;
        const auto antes = [&](TTable* t) {
            if (corte == QLatin1String("conexion"))
                cortada = std::make_unique<TCorteConexion>(t->Database(), t->TableName(),
                                                           "NEW.CodigoOperario = 2");
            if (corte == QLatin1String("disco")) lleno = std::make_unique<TDiscoLleno>(4096);
        };
        for (const Fila& f : Fichas(TTipoFicha::Personal, s, QString(), antes))
            obtenidos << f.value(QStringLiteral("CodigoOperario"));
        lleno.reset();
        QCOMPARE(obtenidos.join(QLatin1Char(',')), codigos);
        if (!corte.isEmpty()) {
            if (cortada) QVERIFY(cortada->Cortada());
            QVERIFY(!QFile::exists(pdf));
            QVERIFY2(UnSoloAvisoListadoNoRealizado(),
                     qPrintable(TextosMostrados().join(QLatin1Char('|'))));
        }
        // Nothing selected: the engine says so, nothing is printed.
        if (codigos.isEmpty() && corte.isEmpty())
            QVERIFY2(TextosMostrados().contains(QStringLiteral("¡No hay datos para procesar!")),
                     qPrintable(TextosMostrados().join(QLatin1Char('|'))));
    }

    // Copies typed in the dialog reach the printer; the preview shows one.
    void copias() {
        Hoja h{Engine::Sqlite};
        const QString pdf = h.dir.filePath(QStringLiteral("copias.pdf"));
        AsignarSeamImpreso(
            [pdf](const QString&) -> QString { return QStringLiteral("PDF:") + pdf; });
        TSeleccionFichas s;
        s.DesdeOperario = s.HastaOperario = 1;
        s.NumeroCopias = 2;
        Fichas(TTipoFicha::Personal, s);
        QVERIFY2(PaginasPdf(pdf) == 2, qPrintable(TextosMostrados().join(QLatin1Char('|'))));
        PrevisualizarImpreso = true;
        int paginas = -1;
        AlMostrarse<TfGENELIMP>([&](TfGENELIMP* v) {
            paginas = int(v->Paginas.size());
            v->Close();
        });
        Fichas(TTipoFicha::Personal, s);
        QCOMPARE(paginas, 1);
    }

    // The dialog: its checks with the listing's labels, the format warning
    // that lets the later checks run, the presets of the personnel master,
    // and a listing to PDF.
    void dialogo() {
        Hoja h{Engine::Sqlite};
        QPointer<TfRRHHLFIC> f = qobject_cast<TfRRHHLFIC*>(CreateForm("TfRRHHLFIC"));
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Listado de Fichas del Personal"));
        QCOMPARE(f->FormatoElegido(), QStringLiteral("FichaPersonal"));
        QCOMPARE(f->DesdeOperario->Text(), QStringLiteral("0"));
        QCOMPARE(f->HastaOperario->Text(), QStringLiteral("9999"));
        const QString pdf = h.dir.filePath(QStringLiteral("dialogo.pdf"));
        f->DestinoImpreso = QStringLiteral("PDF:") + pdf;
        f->VisualizacionPrevia->setChecked(false);

        const struct {
            bool formato;
            const char* desde;
            const char* copias;
            QStringList avisos;
        } casos[] = {
            {false, "0", "1", {"¡Debe definir el Formato del Impreso"}},
            {false,
             "x",
             "1",
             {"¡Debe definir el Formato del Impreso",
              "¡El valor de Desde Operario es incorrecto! Repita por favor"}},
            {true, "0", "a", {"¡El valor de Número Copias es incorrecto! Repita por favor"}},
        };
        for (const auto& c : casos) {
            f->EditFormatoImpreso->setCurrentIndex(c.formato ? 0 : -1);
            f->DesdeOperario->setText(QLatin1String(c.desde));
            f->NumeroCopias->setText(QLatin1String(c.copias));
            MessageSeam::clearLog();
            f->pbListarClick();
            QCOMPARE(TextosMostrados(), c.avisos);
            QVERIFY(!QFile::exists(pdf));
            QVERIFY(!f->ListadoEnCurso);
        }
        // The next click works.
        f->EditFormatoImpreso->setCurrentIndex(0);
        f->DesdeOperario->setText(QStringLiteral("1"));
        f->HastaOperario->setText(QStringLiteral("1"));
        f->NumeroCopias->setText(QStringLiteral("1"));
        f->pbListarClick();
        QVERIFY(TextoPdf(pdf).contains(QLatin1String("GARCIA LOPEZ, JUAN")));
        QVERIFY(!f->ListadoEnCurso);
        f->Close();
        QTRY_VERIFY(!f);

        // The personnel master's preset, then a plain opening.
        f = qobject_cast<TfRRHHLFIC*>(CreateForm("TfRRHHLFIC"));
        f->setProperty("OperarioDesdeFicha", 12);
        f->setProperty("OperarioHastaFicha", 12);
        f->setProperty("ImprimirDirectamenteFicha", false);
        QCOMPARE(f->DesdeOperario->Text(), QStringLiteral("12"));
        QCOMPARE(f->HastaOperario->Text(), QStringLiteral("12"));
        QVERIFY(f->VisualizacionPrevia->isChecked());
        f->Close();
        QTRY_VERIFY(!f);
        f = qobject_cast<TfRRHHLFIC*>(CreateForm("TfRRHHLFIC"));
        QCOMPARE(f->DesdeOperario->Text(), QStringLiteral("0"));
        QCOMPARE(f->HastaOperario->Text(), QStringLiteral("9999"));
        f->Close();
        QTRY_VERIFY(!f);
    }

    // A sheet prints what the personnel master hides from a user barred from
    // an employee: the dialog leaves those employees out and says how many.
    void noAccesibles_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("lista");
        QTest::addColumn<QStringList>("impresos");
        QTest::addColumn<QStringList>("avisos");
        const QStringList todos{"GARCIA LOPEZ, JUAN", "PEREZ MARTIN JOSE", "ROS, ANA"};
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "sin restriccion") << QString() << todos << QStringList();
            NewEngineRow(e, "uno") << QStringLiteral("1") << todos.mid(1)
                                   << QStringList{"1 operarios no accesibles no se han incluido"};
            NewEngineRow(e, "rango y codigo")
                << QStringLiteral("2-3;7") << todos.mid(0, 1)
                << QStringList{"2 operarios no accesibles no se han incluido"};
            NewEngineRow(e, "todos") << QStringLiteral("1-3") << QStringList()
                                     << QStringList{"¡No hay datos para procesar!",
                                                    "3 operarios no accesibles no se han incluido"};
        }
    }
    void noAccesibles() {
        QFETCH(int, engine);
        QFETCH(QString, lista);
        QFETCH(QStringList, impresos);
        QFETCH(QStringList, avisos);
        Hoja h{Engine(engine)};
        if (QTest::currentTestFailed()) return;
        GrabarConfiguracionUsuario(h.modulo.get(), CodigoUsuarioActual,
                                   QStringLiteral("OperariosNoAccesibles"), lista);
        QPointer<TfRRHHLFIC> f = qobject_cast<TfRRHHLFIC*>(CreateForm("TfRRHHLFIC"));
        QVERIFY(f);
        const QString pdf = h.dir.filePath(QStringLiteral("fichas.pdf"));
        f->DestinoImpreso = QStringLiteral("PDF:") + pdf;
        f->VisualizacionPrevia->setChecked(false);
        MessageSeam::clearLog();
        f->pbListarClick();
        QCOMPARE(TextosMostrados(), avisos);
        const QString texto = TextoPdf(pdf);
        for (const char* nombre : {"GARCIA LOPEZ, JUAN", "PEREZ MARTIN JOSE", "ROS, ANA"})
            QCOMPARE(texto.contains(QLatin1String(nombre)),
                     impresos.contains(QLatin1String(nombre)));
        // The barred employee's DNI is printed nowhere.
        QCOMPARE(texto.contains(QLatin1String("123X")),
                 impresos.contains(QStringLiteral("GARCIA LOPEZ, JUAN")));
        f->Close();
        QTRY_VERIFY(!f);
    }

    void candidatos_data() { AddEngineRows(); }
    // A candidate sharing an employee's number: only the candidate's own
    // positions, department and training; the candidates master's preset.
    void candidatos() {
        QFETCH(int, engine);
        Hoja h{Engine(engine)};
        if (QTest::currentTestFailed()) return;
        sql(
            QStringLiteral("INSERT INTO CANDIDAT (Codigo, Nombre, DNI) VALUES (1, 'SANZ, EVA', "
                           "'777Z')"));
        sql(QStringLiteral("INSERT INTO CANDIDAT (Codigo, Nombre) VALUES (5, 'ORTIZ, LUIS')"));
        sql(QStringLiteral(
            "INSERT INTO GRANALIS (Codigo, Descripcion) VALUES ('DEP02', 'Montaje')"));
        sql(
            QStringLiteral("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES "
                           "('CANDIDAT', '1', 'DEP02')"));
        sql(
            QStringLiteral("INSERT INTO HFORMACI (NombreTabla, CodigoOperario, Linea, "
                           "Descripcion) VALUES ('CANDIDAT', 1, 1, 'Idiomas')"));
        CodigoImpreso = QStringLiteral("FichaCandidato");
        const QString pdf = h.dir.filePath(QStringLiteral("candidatos.pdf"));
        const QList<Fila> filas = Fichas(TTipoFicha::Candidato, {}, QStringLiteral("PDF:") + pdf);
        QCOMPARE(filas.size(), 2);
        const Fila& c = filas[0];
        QCOMPARE(c.value("NombreOperario"), QStringLiteral("SANZ, EVA"));
        QCOMPARE(c.value("Nombre"), QStringLiteral(" EVA"));
        QCOMPARE(c.value("PuestoTrabajo"), QStringLiteral("C9 - Puesto C9"));
        QCOMPARE(c.value("OtrosPuestos"), QString());
        QCOMPARE(c.value("Seccion"), QStringLiteral("DEP02 - Montaje"));
        QCOMPARE(c.value("Formacion"), QStringLiteral("\r\nIdiomas"));
        QCOMPARE(c.value("FechaIngreso"), QString());
        QVERIFY(!c.contains(QStringLiteral("CategoriaProfesional")));
        const QString texto = TextoPdf(pdf);
        for (const char* t :
             {"SANZ, EVA", "C9 - Puesto C9", "DEP02 - Montaje", "Idiomas", "ORTIZ, LUIS"})
            QVERIFY2(texto.contains(QLatin1String(t)), t);
        for (const char* t : {"Soldadura", "P3 - Puesto P3", "Produccion"})
            QVERIFY2(!texto.contains(QLatin1String(t)), t);

        QPointer<TfRRHHLFCA> f = qobject_cast<TfRRHHLFCA*>(CreateForm("TfRRHHLFCA"));
        QVERIFY(f);
        QCOMPARE(f->FormatoElegido(), QStringLiteral("FichaCandidato"));
        f->setProperty("RangoListado",
                       QVariantMap{{QStringLiteral("Desde"), 5},
                                   {QStringLiteral("Hasta"), 5},
                                   {QStringLiteral("ImprimirDirectamente"), false}});
        QCOMPARE(f->DesdeOperario->Text(), QStringLiteral("5"));
        QCOMPARE(f->HastaOperario->Text(), QStringLiteral("5"));
        const QString uno = h.dir.filePath(QStringLiteral("candidato5.pdf"));
        f->DestinoImpreso = QStringLiteral("PDF:") + uno;
        f->VisualizacionPrevia->setChecked(false);
        f->pbListarClick();
        QCOMPARE(PaginasPdf(uno), 1);
        QVERIFY(TextoPdf(uno).contains(QLatin1String("ORTIZ, LUIS")));
        f->Close();
        QTRY_VERIFY(!f);
    }

    // Candidates 1234 and 12345, and one past 9999 alone: the dialog's
    // default range takes every candidate code, and a preset from the
    // candidates master prints that candidate, never one whose code it
    // begins with.
    void codigoLargo_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QStringList>("impresos");
        QTest::addColumn<QStringList>("ausentes");
        for (Engine e : AvailableEngines()) {
            const QString m = EngineTag(e);
            QTest::addRow("%s sin preset", qPrintable(m))
                << int(e) << 0 << QStringList{"CORTO, UNO", "LARGO, DOS", "MAXIMO, TRES"}
                << QStringList{};
            QTest::addRow("%s preset 12345", qPrintable(m))
                << int(e) << 12345 << QStringList{"LARGO, DOS"}
                << QStringList{"CORTO, UNO", "MAXIMO, TRES"};
            QTest::addRow("%s preset 99999999", qPrintable(m))
                << int(e) << 99999999 << QStringList{"MAXIMO, TRES"}
                << QStringList{"CORTO, UNO", "LARGO, DOS"};
        }
    }
    void codigoLargo() {
        QFETCH(int, engine);
        QFETCH(int, preset);
        QFETCH(QStringList, impresos);
        QFETCH(QStringList, ausentes);
        Hoja h{Engine(engine)};
        if (QTest::currentTestFailed()) return;
        for (const auto& [codigo, nombre] :
             {std::pair{1234, "CORTO, UNO"}, std::pair{12345, "LARGO, DOS"},
              std::pair{99999999, "MAXIMO, TRES"}})
            sql(QStringLiteral("INSERT INTO CANDIDAT (Codigo, Nombre) VALUES (%1, '%2')")
                    .arg(codigo)
                    .arg(QLatin1String(nombre)));
        CodigoImpreso = QStringLiteral("FichaCandidato");
        QPointer<TfRRHHLFCA> f = qobject_cast<TfRRHHLFCA*>(CreateForm("TfRRHHLFCA"));
        QVERIFY(f);
        QCOMPARE(f->DesdeOperario->Text() + QLatin1Char('-') + f->HastaOperario->Text(),
                 QStringLiteral("0-99999999"));
        if (preset)
            f->setProperty("RangoListado",
                           QVariantMap{{QStringLiteral("Desde"), preset},
                                       {QStringLiteral("Hasta"), preset},
                                       {QStringLiteral("ImprimirDirectamente"), false}});
        const QString pdf = h.dir.filePath(QStringLiteral("largo.pdf"));
        f->DestinoImpreso = QStringLiteral("PDF:") + pdf;
        f->VisualizacionPrevia->setChecked(false);
        f->pbListarClick();
        QCOMPARE(PaginasPdf(pdf), impresos.size());
        const QString texto = TextoPdf(pdf);
        for (const QString& t : impresos) QVERIFY2(texto.contains(t), qPrintable(t));
        for (const QString& t : ausentes) QVERIFY2(!texto.contains(t), qPrintable(t));
        f->Close();
        QTRY_VERIFY(!f);
    }

    // The address line of the personnel and candidate sheets printed whole,
    // province and closing bracket included, inside the page, at the
    // longest a town and a province are typed.
    void direccionEntera_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("candidato");
        QTest::addColumn<QString>("localidad");
        QTest::addColumn<QString>("provincia");
        for (Engine e : AvailableEngines()) {
            const QString m = EngineTag(e);
            QTest::addRow("%s personal", qPrintable(m))
                << int(e) << false << "SAN BARTOLOME DE TIRAJANA DEL MONTE ALTO"
                << "SANTA CRUZ DE TENERIFE Y LAS PALMAS NORT";
            QTest::addRow("%s candidato", qPrintable(m))
                << int(e) << true << "VILLANUEVA DE LA SERENA Y SUS ALDEAS MAS"
                << "ILLES BALEARS MALLORCA MENORCA EIVISSA X";
            QTest::addRow("%s fuera de Latin-1", qPrintable(m))
                << int(e) << false << "ŁÓDŹ ŚRÓDMIEŚCIE WSCHODNIE I ZACHODNIE B"
                << "WOJEWÓDZTWO ŁÓDZKIE Z POWIATEM ŁÓDZKIM W";
            QTest::addRow("%s personal sin provincia", qPrintable(m)) << int(e) << false << "MADRID"
                                                                      << "";
            QTest::addRow("%s candidato sin provincia", qPrintable(m)) << int(e) << true << "MADRID"
                                                                       << "";
        }
    }
    void direccionEntera() {
        QFETCH(int, engine);
        QFETCH(bool, candidato);
        QFETCH(QString, localidad);
        QFETCH(QString, provincia);
        Hoja h{Engine(engine)};
        if (QTest::currentTestFailed()) return;
        sql(QStringLiteral("INSERT INTO %1 (%2, Nombre, CodigoPostal, Localidad, Provincia) "
                           "VALUES (7, 'SOLER, PAU', '28001', '%3', '%4')")
                .arg(candidato ? QStringLiteral("CANDIDAT") : QStringLiteral("PERSONAL"),
                     candidato ? QStringLiteral("Codigo") : QStringLiteral("CodigoOperario"),
                     localidad, provincia));
        if (candidato) CodigoImpreso = QStringLiteral("FichaCandidato");
        TSeleccionFichas s;
        s.DesdeOperario = s.HastaOperario = 7;
        const QString pdf = h.dir.filePath(QStringLiteral("direccion.pdf"));
        Fichas(candidato ? TTipoFicha::Candidato : TTipoFicha::Personal, s,
               QStringLiteral("PDF:") + pdf);
        QCOMPARE(PaginasPdf(pdf), 1);
        const QList<Palabra> palabras = PalabrasPdf(pdf);
        const QRectF lugar = CajaTexto(palabras, QStringLiteral("28001 ") + localidad);
        QVERIFY2(!lugar.isEmpty(), qPrintable(TextoPdf(pdf)));
        if (provincia.isEmpty()) {
            // Nothing between the town and the next heading: no "()" line.
            const QRectF seccion = CajaTexto(palabras, QStringLiteral("Sección"));
            QVERIFY(!seccion.isEmpty());
            for (const Palabra& p : palabras)
                QVERIFY2(p.caja.top() < lugar.bottom() || p.caja.bottom() > seccion.top(),
                         qPrintable(p.texto));
            return;
        }
        const QRectF prov = CajaTexto(palabras, provincia);
        QVERIFY2(!prov.isEmpty(), qPrintable(TextoPdf(pdf)));
        // Inside the 15 mm right margin of an A4 page, clear of each other.
        const double borde = 595.3 - 15 * 72 / 25.4;
        QVERIFY(lugar.right() <= borde && prov.right() <= borde);
        QVERIFY(!lugar.intersects(prov));
    }

    // Departments "DEPC" and "DEPC;" side by side: each sheet prints the
    // description of the department its person holds, never the other's
    // (a key read without its end would stop at the ";").
    void seccionConPuntoYComa_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("candidato");
        QTest::addColumn<QString>("grupo");
        QTest::addColumn<QString>("seccion");
        QTest::addColumn<QString>("ajena");
        for (Engine e : AvailableEngines())
            for (bool candidato : {false, true}) {
                const QByteArray t = EngineTag(e).toLatin1();
                const char* ficha = candidato ? "candidato" : "personal";
                QTest::addRow("%s %s DEPC;", t.constData(), ficha) << int(e) << candidato << "DEPC;"
                                                                   << "DEPC; - Soldadura de tubos"
                                                                   << "Pintura";
                QTest::addRow("%s %s DEPC", t.constData(), ficha) << int(e) << candidato << "DEPC"
                                                                  << "DEPC - Pintura"
                                                                  << "Soldadura de tubos";
            }
    }
    void seccionConPuntoYComa() {
        QFETCH(int, engine);
        QFETCH(bool, candidato);
        QFETCH(QString, grupo);
        QFETCH(QString, seccion);
        QFETCH(QString, ajena);
        Hoja h{Engine(engine)};
        if (QTest::currentTestFailed()) return;
        const QString tabla = candidato ? QStringLiteral("CANDIDAT") : QStringLiteral("PERSONAL");
        sql(QStringLiteral("INSERT INTO %1 (%2, Nombre) VALUES (7, 'SOLER, PAU')")
                .arg(tabla,
                     candidato ? QStringLiteral("Codigo") : QStringLiteral("CodigoOperario")));
        sql(
            QStringLiteral("INSERT INTO GRANALIS (Codigo, Descripcion) VALUES ('DEPC', 'Pintura'), "
                           "('DEPC;', 'Soldadura de tubos')"));
        sql(QStringLiteral("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES "
                           "('%1', '7', '%2')")
                .arg(tabla, grupo));
        if (candidato) CodigoImpreso = QStringLiteral("FichaCandidato");
        TSeleccionFichas s;
        s.DesdeOperario = s.HastaOperario = 7;
        const QString pdf = h.dir.filePath(QStringLiteral("seccion.pdf"));
        Fichas(candidato ? TTipoFicha::Candidato : TTipoFicha::Personal, s,
               QStringLiteral("PDF:") + pdf);
        const QString texto = TextoPdf(pdf);
        QVERIFY2(texto.contains(seccion), qPrintable(texto));
        QVERIFY2(!texto.contains(ajena), qPrintable(texto));
    }

    // Print at once: no preview, the sheet printed, the dialog closed.
    void imprimirDirectamente() {
        Hoja h{Engine::Sqlite};
        const QString pdf = h.dir.filePath(QStringLiteral("directo.pdf"));
        AsignarSeamImpreso(
            [pdf](const QString&) -> QString { return QStringLiteral("PDF:") + pdf; });
        QPointer<TfRRHHLFIC> f = qobject_cast<TfRRHHLFIC*>(CreateForm("TfRRHHLFIC"));
        OmitirDialogoImpresora = true;
        f->setProperty("OperarioDesdeFicha", 3);
        f->setProperty("OperarioHastaFicha", 3);
        f->setProperty("ImprimirDirectamenteFicha", true);
        QTRY_VERIFY(!f);
        QVERIFY(TextoPdf(pdf).contains(QLatin1String("ROS, ANA")));
    }
};

QTEST_MAIN(TestRrhhLfic)
#include "tst_rrhhlfic.moc"
