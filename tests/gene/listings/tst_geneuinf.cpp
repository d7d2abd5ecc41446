// The custom-report runner on both engines: the values asked per occurrence
// and checked, the stored options handed to the listing (read back from the
// printed PDF), and the reports that cannot run.

#include <QtTest>

#include "db/clientdataset.h"
#include "db/field.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/listings/genecinf_filtro.h"
#include "gene/listings/genecinf_intercambio.h"
#include "gene/listings/genecinf_sql.h"
#include "gene/listings/genelpro.h"
#include "gene/listings/geneuinf.h"
#include "gene/session/geneform.h"
#include "gene/session/sesion.h"
#include "report/quickrep.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/esperaprueba.h"
#include "support/pdfprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

void sql(const QString& sentencia) {
    const QString r = SqlPrueba(sentencia);
    QVERIFY2(!r.startsWith(QLatin1String("Error")), qPrintable(sentencia + r));
}

DefinicionInforme Diseno(const QStringList& Columnas, const QStringList& Restricciones,
                         const QStringList& Ordenacion = {"HPUESTO.CodigoOperario",
                                                          "HPUESTO.Linea"}) {
    DefinicionInforme d;
    d.Tablas = QStringList{"HPUESTO", "PUESTO"};
    d.Columnas = Columnas;
    d.Restricciones = Restricciones;
    d.Ordenacion = Ordenacion;
    d.Vinculos = QStringList{"HPUESTO.CodigoPuesto = PUESTO.Codigo"};
    d.Opciones = QStringLiteral("FormatoColumnar,");
    return d;
}

struct Entorno {
    explicit Entorno(Engine motor) : e(motor), motor(motor) {
        const SqlDialect& d = SqlDialect::forEngine(motor);
        sql("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P1', 'Jefe')");
        sql("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P2', 'A|B')");
        sql("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P3', 'Peon')");
        const struct {
            int op, linea;
            const char* puesto;
            QDate inicio;
        } historia[] = {{1, 1, "P1", {2023, 5, 1}},
                        {2, 1, "P2", {2024, 2, 1}},
                        {3, 1, "P1", {2024, 12, 31}},
                        {3, 2, "P3", {2023, 1, 1}}};
        for (const auto& h : historia)
            sql(QStringLiteral("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, "
                               "FechaInicio, CodigoPuesto, Descripcion) VALUES ('PERSONAL', %1, "
                               "%2, %3, '%4', 'x')")
                    .arg(h.op)
                    .arg(h.linea)
                    .arg(d.dateLiteral(h.inicio), QLatin1String(h.puesto)));
    }
    ~Entorno() { delete f; }
    // Stores the design under Nombre and opens the runner on it.
    void abrir(const DefinicionInforme& Diseno, const QString& Nombre = "Puestos") {
        guardar(Nombre, GenerarSentenciaSQL(Diseno, motor), ComponerInstrucciones(Diseno));
        abrirNombre(Nombre);
    }
    void guardar(const QString& Nombre, const QString& Sql, const QString& Instrucciones) {
        QString motivo;
        QVERIFY2(EscribirInforme(Nombre, Sql, Instrucciones, motivo), qPrintable(motivo));
    }
    void abrirNombre(const QString& Nombre) {
        delete f;
        MessageSeam::clearLog();
        InformeUsuarioAEjecutar = Nombre;
        f = qobject_cast<TfGENEUINF*>(CreateForm(QStringLiteral("TfGENEUINF")));
    }
    void valores(const QStringList& v) {
        for (int i = 0; i < v.size(); ++i) f->EditoresParametros[i]->setText(v[i]);
    }
    // The first column of the fetched rows.
    QStringList filas() {
        QStringList l;
        TClientDataSet* d = f->ClientDataSet1;
        if (!d->Active()) return l;
        for (d->First(); !d->Eof(); d->Next()) l << d->Fields()[0]->AsString();
        return l;
    }
    // "Listar" straight to the printer (a PDF): its text, "" when none was made.
    QString listar() {
        const QString pdf = dir.filePath(QStringLiteral("listado%1.pdf").arg(++impresos));
        ImprimirEnPdf(pdf);
        f->VisualizacionPrevia->setChecked(false);
        MessageSeam::clearLog();
        f->pbListarClick();
        return QFile::exists(pdf) ? TextoPdfMaquetado(pdf) : QString();
    }
    EmpresaPrueba e;
    Engine motor;
    QPointer<TfGENEUINF> f;
    QTemporaryDir dir;
    int impresos = 0;
};

const QString kFallo =
    QStringLiteral("Error: No ha sido posible realizar la consulta SQL. Motivo: ");

}  // namespace

class TestGeneUinf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { RegistrarTfGENEUINF(); }

    // Each occurrence has its own edit and value; numbers, dates, multiple
    // lists and a "|" in a value reach the engine as typed.
    void variables_data() { AddEngineRows(); }
    void variables() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        x.abrir(
            Diseno({"HPUESTO.CodigoOperario", "PUESTO.Descripcion AS 'Puesto'"},
                   {"HPUESTO.CodigoOperario >= :#Operario", "HPUESTO.CodigoOperario <= :#Operario",
                    "HPUESTO.FechaInicio >= :&Desde", "PUESTO.Codigo IN ( :*Puestos )",
                    "PUESTO.Codigo NOT IN ( :*PuestosFuera )", "PUESTO.Descripcion <> :$Salvo"}));
        QVERIFY(x.f);
        QCOMPARE(x.f->Caption(), QStringLiteral("Puestos"));
        QStringList etiquetas;
        for (TLabel* l : x.f->EtiquetasParametros) etiquetas << l->text();
        QCOMPARE(etiquetas, (QStringList{"Operario", "Operario", "Desde", "Puestos",
                                         "Puestos Fuera", "Salvo"}));
        QCOMPARE(x.f->PanelParametrosInterno->Height(), 8 * 24);
        QCOMPARE(x.f->EditoresParametros[2]->Text(), QStringLiteral("1/1/1900"));
        QCOMPARE(x.f->EtiquetasParametros[1]->Top(), 2 * 24 + 5);

        // 2..3: the second occurrence takes its own value; ":*Puestos" is not
        // replaced inside ":*PuestosFuera".
        x.valores({"2", "3", "1/1/2023", "P1, P2,P3,", "P3", "Nadie"});
        QCOMPARE(x.f->EjecutarConsultaInforme(), QString());
        QCOMPARE(x.filas(), (QStringList{"2", "3"}));
        // A "|" typed in a value stays in it.
        x.valores({"1", "3", "1/1/2023", "P1,P2", "", "A|B"});
        QCOMPARE(x.f->EjecutarConsultaInforme(), QString());
        QCOMPARE(x.filas(), (QStringList{"1", "3"}));
        // An empty multiple list selects nothing (and fails nowhere).
        x.valores({"1", "3", "1/1/2023", "", "", ""});
        QCOMPARE(x.f->EjecutarConsultaInforme(), QString());
        QCOMPARE(x.filas(), QStringList());

        // "3,5" is checked as a real and 3 as an integer; wrong numbers and
        // dates run nothing, after the validators' messages.
        x.valores({"1", "3,5", "1/1/2023", "P1", "", ""});
        QCOMPARE(x.f->EjecutarConsultaInforme(), QString());
        QCOMPARE(x.filas(), (QStringList{"1", "3"}));
        x.valores({"1", "3", "31/02/2024", "P1", "", ""});
        MessageSeam::clearLog();
        QCOMPARE(x.listar(), QString());
        QCOMPARE(TextosMostrados().size(), 1);
        QVERIFY(TextosMostrados().first().contains(QStringLiteral("Desde")));
        QVERIFY(!x.f->ClientDataSet1->Active());
        x.valores({"uno", "3", "1/1/2000", "P1", "", ""});
        QCOMPARE(x.listar(), QString());
        QCOMPARE(TextosMostrados().size(), 1);
        QVERIFY(TextosMostrados().first().contains(QStringLiteral("Operario")));
    }

    // Answers are values: one that would close its list and open another,
    // or that holds another variable, selects the rows it names, beside
    // numbers, dates and texts.
    void respuestasComoValores_data() { AddEngineRows(); }
    void respuestasComoValores() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        x.abrir(Diseno({"HPUESTO.CodigoOperario"},
                       {"PUESTO.Descripcion IN ( :*A )", "PUESTO.Descripcion IN ( :*B )",
                        "HPUESTO.CodigoOperario >= :#Desde", "HPUESTO.FechaInicio >= :&Dia",
                        "PUESTO.Codigo <> :$Salvo"}));
        QVERIFY(x.f);
        QCOMPARE(x.f->Variables, (QStringList{"*A", "*B", "#Desde", "&Dia", "$Salvo"}));
        x.valores({"N1:*B", ") OR 1=1 OR PUESTO.Descripcion IN (", "0", "1/1/1900", "Nadie"});
        QCOMPARE(x.f->EjecutarConsultaInforme(), QString());
        QCOMPARE(x.filas(), QStringList());
        x.valores({"Jefe,N1:*B:#Desde", "Jefe", "2", "1/1/2023", "P3"});
        QCOMPARE(x.f->EjecutarConsultaInforme(), QString());
        QCOMPARE(x.filas(), QStringList{"3"});
    }

    // What the stored design tells the listing: sums and groups by their
    // titles, hidden columns, cards without sums; read from the printed page.
    void listado_data() { AddEngineRows(); }
    void listado() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        DefinicionInforme d = Diseno({"PUESTO.Descripcion AS 'Puesto'", "HPUESTO.CodigoOperario",
                                      "(HPUESTO.Linea * 1.5) AS 'Horas'"},
                                     {"HPUESTO.FechaInicio >= :&Desde"},
                                     {"PUESTO.Descripcion AS 'Puesto'", "HPUESTO.CodigoOperario"});
        d.Grupos = QStringList{"PUESTO.Descripcion AS 'Puesto'"};
        d.Sumatorios = QStringList{"_Expresion AS 'Horas'"};
        d.FormatoColumnas = QStringLiteral("-1|50|50|");
        x.abrir(d);
        x.valores({"1/1/2023"});
        const QString texto = x.listar();
        QVERIFY2(texto.contains(QStringLiteral("Puestos")), qPrintable(texto));
        TfGENELPRO informe;
        x.f->PrepararListado(&informe);
        QCOMPARE(informe.Sumatorios, QStringLiteral("Horas"));
        QCOMPARE(informe.CamposGrupo, QStringLiteral("Puesto"));
        QCOMPARE(x.f->ClientDataSet1->Fields()[0]->Tag(), 999);
        // The hidden group column is no column; the rows come by position
        // ("A|B", "Jefe", "Peon"), each group with its total, then the total.
        const QString plano = texto.simplified();
        QVERIFY2(plano.contains(QStringLiteral("C.Operario Horas 2 1,5 1,5 1 1,5 3 1,5 3 3 3 3 "
                                               "7,5")),
                 qPrintable(plano));
        QVERIFY(!plano.contains(QStringLiteral("Jefe")));

        // Cards: no sums, no hidden column, whatever the widths say.
        d.Opciones = QStringLiteral("FormatoFicha(2,x),OrientacionApaisada,");
        x.abrir(d, "Fichas");
        x.valores({"1/1/2023"});
        const QString fichas = x.listar();
        QVERIFY2(fichas.contains(QStringLiteral("Fichas")), qPrintable(fichas));
        TfGENELPRO tarjetas;
        x.f->PrepararListado(&tarjetas);
        QCOMPARE(tarjetas.Sumatorios, QStringLiteral("Ninguna"));
        QCOMPARE(tarjetas.CamposGrupo, QString());
        QVERIFY(tarjetas.FormatoFicha);
        QCOMPARE(tarjetas.NumeroColumnasFicha, 2);
        QCOMPARE(tarjetas.NumeroLineasMemoFicha, 3);
        QCOMPARE(tarjetas.QuickReport->Page.Orientation, poLandscape);
        QCOMPARE(x.f->ClientDataSet1->Fields()[0]->Tag(), 0);
    }

    // A field hidden from the user ("CodigoPuesto", "FechaInicio") gives the
    // report no value: read as NULL under a LIKE answer (SQLite prepares
    // such a statement again as it starts), and grouped on, one group whose
    // header tells of no change.
    void campoOculto_data() { AddEngineRows(); }
    void campoOculto() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        CamposNoVisiblesUsuario = QStringLiteral("FechaInicio");
        const auto visibles = qScopeGuard([] { CamposNoVisiblesUsuario.clear(); });
        if (x.motor == Engine::Sqlite) {
            x.abrir(Diseno({"HPUESTO.CodigoOperario", "HPUESTO.FechaInicio"},
                           {"PUESTO.Descripcion LIKE :$Puesto"}));
            x.valores({"%"});
            QCOMPARE(x.f->EjecutarConsultaInforme(), QString());
            QCOMPARE(x.filas(), (QStringList{"1", "2", "3", "3"}));
            TClientDataSet* d = x.f->ClientDataSet1;
            for (d->First(); !d->Eof(); d->Next()) QVERIFY(d->Fields()[1]->IsNull());
        }
        CamposNoVisiblesUsuario = QStringLiteral("CodigoPuesto");
        DefinicionInforme d = Diseno({"HPUESTO.CodigoPuesto", "HPUESTO.CodigoOperario"}, {});
        d.Grupos = QStringList{"HPUESTO.CodigoPuesto"};
        d.Sumatorios = QStringList{"HPUESTO.CodigoOperario"};
        x.guardar(QStringLiteral("Grupos"),
                  QStringLiteral("SELECT * FROM HPUESTO ORDER BY CodigoOperario, Linea"),
                  ComponerInstrucciones(d));
        x.abrirNombre(QStringLiteral("Grupos"));
        const QString texto = x.listar().simplified();
        QVERIFY2(texto.contains(QLatin1String("PERSONAL 3 2")) &&
                     !texto.contains(QLatin1String("P1")) && !texto.contains(QLatin1String("P3")),
                 qPrintable(texto));
        TClientDataSet* filas = x.f->ClientDataSet1;
        for (filas->First(); !filas->Eof(); filas->Next())
            QVERIFY(filas->FieldByName(QStringLiteral("CodigoPuesto"))->IsNull());
    }

    // Expression columns typed by every row: a NULL first neither rounds the
    // fractions below it nor loses their total, a date first does not empty
    // the texts below; on the rows shown and on the printed page.
    void tiposDeColumna_data() { AddEngineRows(); }
    void tiposDeColumna() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        sql("CREATE TABLE TIEMPOS (Codigo INTEGER PRIMARY KEY, Tiempo FLOAT, Fecha DATE, "
            "Nombre VARCHAR(20))");
        sql("INSERT INTO TIEMPOS VALUES (1, NULL, '2024-03-05', 'Ana')");
        sql("INSERT INTO TIEMPOS VALUES (2, 2.75, NULL, 'Łódź|·')");
        sql("INSERT INTO TIEMPOS VALUES (3, 1.5, NULL, 'D''Ors')");
        DefinicionInforme d;
        d.Tablas = QStringList{"TIEMPOS"};
        d.Columnas = QStringList{"TIEMPOS.Codigo", "(COALESCE(TIEMPOS.Tiempo, 0)) AS 'Horas'",
                                 "(CASE WHEN TIEMPOS.Codigo = 1 THEN CAST(TIEMPOS.Fecha AS "
                                 "VARCHAR(10)) ELSE TIEMPOS.Nombre END) AS 'Texto'"};
        d.Ordenacion = QStringList{"TIEMPOS.Codigo"};
        d.Sumatorios = QStringList{"_Expresion AS 'Horas'"};
        d.Opciones = QStringLiteral("FormatoColumnar,");
        x.abrir(d, "Tiempos");
        const QString texto = x.listar().simplified();
        QVERIFY2(texto.contains("1 2024-03-05 2 2,75 Łódź|· 3 1,5 D'Ors 4,25"), qPrintable(texto));
        QStringList vistos;
        TClientDataSet* r = x.f->ClientDataSet1;
        for (r->First(); !r->Eof(); r->Next())
            vistos << r->Fields()[1]->DisplayText() + ";" + r->Fields()[2]->DisplayText();
        QCOMPARE(vistos, (QStringList{"0;2024-03-05", "2,75;Łódź|·", "1,5;D'Ors"}));
    }

    // Reports that cannot run: none stored, a query the engine refuses, a
    // second statement; the warning gives the reason and nothing is listed.
    void fallos_data() { AddEngineRows(); }
    void fallos() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        x.abrirNombre("Nadie");
        QCOMPARE(TextosMostrados(), QStringList{"¡El informe no está disponible!"});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!x.f);

        x.abrir(Diseno({"HPUESTO.CodigoOperario", "(HPUESTO.NoExiste + 1) AS 'X'"}, {}));
        QVERIFY(x.f);
        QCOMPARE(x.f->PanelParametrosInterno->Caption(),
                 QStringLiteral("No hay restricciones definidas para este informe"));
        QCOMPARE(x.listar(), QString());
        QCOMPARE(TextosMostrados().size(), 1);
        QVERIFY2(TextosMostrados().first().startsWith(kFallo),
                 qPrintable(TextosMostrados().first()));

        // A stored date constant that is no date stops the run, named.
        x.abrir(Diseno({"HPUESTO.CodigoOperario"}, {"HPUESTO.FechaInicio > '30/02/2024'"}),
                "Fecha");
        QCOMPARE(x.listar(), QString());
        QCOMPARE(TextosMostrados(),
                 QStringList{"¡ La fecha (u hora) introducida no es válida !. Repita por "
                             "favor.\r\nHPUESTO.FechaInicio > '30/02/2024'"});

        QStringList dobles = SentenciasConSegundaOculta("PUESTO", "Descripcion");
        dobles.prepend("SELECT Codigo FROM PUESTO; DELETE FROM PUESTO");
        for (const QString& doble : dobles) {
            x.guardar("Doble", doble, QString());
            x.abrirNombre("Doble");
            QCOMPARE(x.listar(), QString());
            QCOMPARE(TextosMostrados().size(), 1);
            QVERIFY2(TextosMostrados().first().startsWith(kFallo), qPrintable(doble));
            QCOMPARE(SqlPrueba("SELECT COUNT(*) FROM PUESTO"), QStringLiteral("3"));
        }
    }

    // An endless report listed: the progress window answers while the engine
    // runs it, Esc and "NO" stop it there (nothing left running on the
    // server), the warning says so and nothing is listed. So does Esc while
    // a long report's pages are made.
    void detenerSentencia_data() { AddEngineRows(); }
    void detenerSentencia() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        x.abrir(Diseno({"HPUESTO.CodigoOperario", "(" + kSentenciaSinFin + ") AS 'N'"}, {}));
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        EscEnProgreso esc;
        QCOMPARE(x.listar(), QString());
        esc.Parar();
        QCOMPARE(esc.Pulsaciones(), 2);
        const QStringList t = TextosMostrados();
        QCOMPARE(t.mid(0, 2), (QStringList{kPreguntaCancelarListado, kPreguntaCancelarListado}));
        QCOMPARE(t.size(), 3);
        QVERIFY2(t.last().contains("¡ La sentencia SQL ha sido cancelada por el usuario !"),
                 qPrintable(t.last()));
        QVERIFY(!ProgresoVisible());
        QVERIFY(!x.f->ClientDataSet1->Active());
        QTRY_COMPARE(SentenciasRecursivasEnServidor(), 0);
        x.abrir(Diseno({"HPUESTO.CodigoOperario"}, {}), "Otro");
        QCOMPARE(x.f->EjecutarConsultaInforme(), QString());
        QCOMPARE(x.filas().size(), 4);

        // Esc while the pages of a long report are made, its rows read:
        // stopped the same way, the stop told, no file put in place.
        x.guardar("Largo",
                  "WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r WHERE n < "
                  "60000) SELECT n AS N, 'Fila|;' AS Texto FROM r",
                  QString());
        x.abrirNombre("Largo");
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        EscEnProgreso escPaginas;
        QCOMPARE(x.listar(), QString());
        escPaginas.Parar();
        QCOMPARE(escPaginas.Pulsaciones(), 2);
        // On a slow machine (a sanitizer's build) the rows' reading may still
        // be under way at the first Esc: stopped there, the same stop is told
        // as the query's failure. Either way nothing is listed.
        const QStringList mostrados = TextosMostrados();
        QCOMPARE(mostrados.mid(0, 2), kMensajesSentenciaDetenida.mid(0, 2));
        QCOMPARE(mostrados.size(), 3);
        QVERIFY2(mostrados.last() == kMensajesSentenciaDetenida.last() ||
                     mostrados.last() ==
                         QStringLiteral("Error: No ha sido posible realizar la consulta SQL. "
                                        "Motivo: ") +
                             kMensajesSentenciaDetenida.last(),
                 qPrintable(mostrados.last()));
        QVERIFY(!ProgresoVisible());
    }

    // A restriction read from an exchange file that hides a second statement:
    // the imported report does not run, nothing is deleted.
    void restriccionDeIntercambio_data() { AddEngineRows(); }
    void restriccionDeIntercambio() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        const QString archivo = x.dir.filePath("INFORME.TXT");
        for (const QString& oculta : SentenciasConSegundaOculta("PUESTO", "Descripcion")) {
            DefinicionInforme d;
            d.Tablas = QStringList{"PUESTO"};
            d.Columnas = QStringList{"PUESTO.Codigo"};
            d.Restricciones =
                QStringList{"PUESTO.Descripcion" + oculta.mid(oculta.indexOf(" <> "))};
            d.Opciones = QStringLiteral("FormatoColumnar,");
            x.guardar("Origen", GenerarSentenciaSQL(d, x.motor), ComponerInstrucciones(d));
            QVERIFY(ExportarInforme("Origen", archivo));
            InformeIntercambio informe;
            QVERIFY(LeerArchivoInforme(archivo, informe));
            QVERIFY(InsertarInformeImportado("Importado", informe));
            x.abrirNombre("Importado");
            QCOMPARE(x.listar(), QString());
            QVERIFY2(TextosMostrados().value(0).startsWith(kFallo),
                     qPrintable(TextosMostrados().join('|')));
            QCOMPARE(SqlPrueba("SELECT COUNT(*) FROM PUESTO"), QStringLiteral("3"));
            SqlPrueba("DELETE FROM FILTRO");
        }
    }

    // On PostgreSQL a report's SQL reaches nothing beyond its rows: calls on
    // other sessions are refused with the reason, advisory locks end with
    // the run and the program's record locks stay the program's.
    void alcance_data() { FilasAlcance(CasosAlcanceConsulta()); }
    void alcance() {
        QFETCH(int, caso);
        AlcanceSinServidor(caso);
        Entorno x(Engine::Postgres);
        AlcancePrueba a(AlcancePrueba::Caso(caso), QStringLiteral("PUESTO"));
        x.guardar("Alcance",
                  "SELECT Codigo, " + a.Expresion + " AS X FROM PUESTO WHERE Codigo = :$Codigo",
                  QString());
        x.abrirNombre("Alcance");
        x.valores({"P1"});
        const QString listado = x.listar();
        if (a.Rechazo.isEmpty()) {
            QVERIFY2(listado.contains(QStringLiteral("P1")), qPrintable(listado));
            QCOMPARE(TextosMostrados(), QStringList());
        } else {
            QCOMPARE(listado, QString());
            QCOMPARE(TextosMostrados(), QStringList{kFallo + a.Rechazo});
        }
        QCOMPARE(a.Fuga(), QString());
    }

    // Under another language the menu caption is the translated name: the
    // stored report is found through the translations.
    void traducido_data() { AddEngineRows(); }
    void traducido() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        QString r;
        EjecutarSQL(ModuloDatos,
                    "INSERT INTO TXIDIOMA (Idioma, ClaveTexto, Texto) VALUES ('EN', 'Puestos', "
                    "'Positions')",
                    "DatabaseGeneral", "Silenciosa", r);
        QVERIFY2(!r.startsWith(QLatin1String("Error")), qPrintable(r));
        IdiomaActual = QStringLiteral("EN");
        x.abrir(Diseno({"HPUESTO.CodigoOperario"}, {"HPUESTO.Linea = :#Linea"}), "Puestos");
        x.abrirNombre("Positions");
        IdiomaActual.clear();
        QVERIFY(x.f);
        QCOMPARE(InformeUsuarioAEjecutar, QStringLiteral("Puestos"));
        QCOMPARE(x.f->EditoresParametros.size(), 1);
        x.valores({"2"});
        QCOMPARE(x.f->EjecutarConsultaInforme(), QString());
        QCOMPARE(x.filas(), QStringList{"3"});
    }

    // Titles as the listing names the fetched fields.
    void titulos_data() {
        QTest::addColumn<QString>("entrada");
        QTest::addColumn<QString>("titulo");
        QTest::newRow("campo") << "HPUESTO.CodigoOperario"
                               << "CodigoOperario";
        QTest::newRow("titulo") << "PUESTO.Descripcion AS 'Puesto'"
                                << "Puesto";
        QTest::newRow("expresion") << "_Expresion AS 'Total'"
                                   << "Total";
        QTest::newRow("AS dentro") << "(CAST(HPUESTO.Linea AS REAL)) AS 'Horas'"
                                   << "Horas";
        QTest::newRow("comilla") << "PUESTO.Codigo AS 'Puesto''s'"
                                 << "Puesto's";
    }
    void titulos() {
        QFETCH(QString, entrada);
        QFETCH(QString, titulo);
        QCOMPARE(TituloEntradaInforme(entrada), titulo);
    }
};

QTEST_MAIN(TestGeneUinf)
#include "tst_geneuinf.moc"
