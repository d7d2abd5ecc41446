// The custom-report designer on a real installation: the window and its
// buttons, the lists built through the selection dialogs and prompts, the SQL
// view following them, the width grid, and a design loaded and saved.

#include <QTextBrowser>
#include <QtTest>

#include "db/sysutils.h"
#include "gene/data/genemens.h"
#include "gene/data/genetext.h"
#include "gene/listings/genecinf.h"
#include "gene/listings/genecinf_filtro.h"
#include "gene/listings/genecinf_sql.h"
#include "gene/session/geneform.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/esperaprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/grids.h"
#include "ui/registry.h"

namespace {

// The selection dialog's answers, in order; each chosen line list. An
// empty queue answers as a closed dialog: the preselected lines.
QList<QStringList> respuestasSeleccion;
QStringList titulosSeleccion;
QStringList elementosOfrecidos;
void ElegirDeLista(TfGENEINIC*, const QString& Opciones, const QString& Elementos,
                   QString& Seleccion) {
    titulosSeleccion << ValorParametro(QStringLiteral("Titulo"), Opciones);
    elementosOfrecidos = LineasTexto(Elementos);
    if (!respuestasSeleccion.isEmpty()) {
        Seleccion = respuestasSeleccion.takeFirst().join(QStringLiteral("\r\n"));
        return;
    }
    QStringList marcadas;
    for (const QString& e : LineasTexto(Elementos))
        if (e.startsWith(QLatin1Char('*'))) marcadas << e.mid(1);
    Seleccion = marcadas.join(QStringLiteral("\r\n"));
}

struct Entorno {
    explicit Entorno(Engine motor) : e(motor) {
        GanchoSeleccionarDeLista = ElegirDeLista;
        respuestasSeleccion.clear();
        titulosSeleccion.clear();
        MessageSeam::clearLog();
        f = static_cast<TfGENECINF*>(CreateForm(QStringLiteral("TfGENECINF")));
    }
    ~Entorno() {
        delete f;
        GanchoSeleccionarDeLista = nullptr;
    }
    // One add on a list: the selection dialogs' answers, then the prompts'.
    void agregar(TListBox* lista, const QList<QStringList>& elegidos,
                 const QStringList& respuestas = {}) {
        respuestasSeleccion = elegidos;
        for (const QString& r : respuestas) MessageSeam::enqueue(r);
        f->AgregarElemento(lista);
        QCOMPARE(respuestasSeleccion.size(), 0);
        QCOMPARE(MessageSeam::pending(), 0);
    }
    // The Part's example: positions held, with the position's description,
    // from a date on, by employee descending.
    void ejemplo() {
        agregar(f->LBTablas, {{"HPUESTO", "PUESTO"}});
        agregar(f->LBColumnas, {{"HPUESTO.CodigoOperario", "PUESTO.Descripcion"}});
        retitular(1, "Puesto");
        agregar(f->LBVinculos, {{"HPUESTO.CodigoPuesto"}, {"PUESTO.Codigo"}});
        agregar(f->LBRestricciones,
                {{"HPUESTO.FechaInicio"}, {"Mayor o igual que"}, {"_Una variable"}}, {"De sde"});
        agregar(f->LBOrdenacion, {{"HPUESTO.CodigoOperario"}});
        f->LBOrdenacion->setItemIndex(0);
        f->LBOrdenacionDblClick();
    }
    void retitular(int columna, const QString& titulo) {
        f->LBColumnas->setItemIndex(columna);
        MessageSeam::enqueue(titulo);
        f->LBColumnasDblClick();
    }
    QList<int> anchos() const {
        QList<int> r;
        for (int c = 0; c < f->SGFormatoColumnas->ColCount(); ++c) r << f->AnchoColumna(c);
        return r;
    }
    EmpresaPrueba e;
    QPointer<TfGENECINF> f;
};

const QString C = QStringLiteral("\r\n");

QColor Tinta(TListBox* Lista, int Fila) {
    return Lista->item(Fila)->foreground().color();
}

}  // namespace

class TestGeneCinf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { RegistrarTfGENECINF(); }

    // The window opens empty on a company without reports, with every
    // button of its tool bar.
    void ventana() {
        Entorno x{Engine::Sqlite};
        QVERIFY(x.f);
        QCOMPARE(x.f->Caption(), QStringLiteral("Configuración de Informes Personalizados"));
        // An MDI child: the main window shows it among its windows.
        QCOMPARE(x.f->FormStyle(), fsMDIChild);
        QCOMPARE(x.f->edNombreInforme->Text(), QString());
        QCOMPARE(x.f->MemoSentenciaSQL->Text(), QString());
        for (const char* b : {"pbNuevo", "pbGuardar", "pbGuardarComo", "pbEliminar",
                              "pbValidarInforme", "pbRestringirAUsuarios", "pbPersonalizarMenu",
                              "pbCopiarConfiguracion", "pbCopiarAOtrasEmpresas", "pbZoom",
                              "pbImportar", "pbExportar", "pbImprimir", "pbSalir", "pbBuscar"})
            QVERIFY2(x.f->findChild<TSpeedButton*>(QLatin1String(b)), b);
        QVERIFY(x.f->pbRestringirAUsuarios->isEnabled());
        // Closed, the window is freed, not kept minimised.
        x.f->Close();
        QTRY_VERIFY(!x.f);
    }

    // The check of a design with an endless column: the progress window
    // answers while the engine runs it, Esc and "NO" stop it there (nothing
    // left running on the server) and the window says so, without calling
    // the design correct or wrong.
    void detenerValidacion_data() { AddEngineRows(); }
    void detenerValidacion() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        SqlPrueba(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P1', 'Jefe')"));
        x.f->LBTablas->setItems({"PUESTO"});
        x.f->LBColumnas->setItems({"PUESTO.Codigo", "(" + kSentenciaSinFin + ") AS 'N'"});
        x.f->ActualizarSentenciaSQL(QStringLiteral("Forzado"));
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        EscEnProgreso esc;
        x.f->pbValidarInforme->Click();
        esc.Parar();
        QCOMPARE(esc.Pulsaciones(), 2);
        QCOMPARE(TextosMostrados(), kMensajesSentenciaDetenida);
        QVERIFY(!ProgresoVisible());
        QTRY_COMPARE(SentenciasRecursivasEnServidor(), 0);

        // Stopped in the save's own check: said, then the save asks.
        MessageSeam::clearLog();
        for (const char* r : {"NO", "NO"}) MessageSeam::enqueue(QLatin1String(r));
        EscEnProgreso otra(1);
        QVERIFY(!x.f->GrabarInforme(QStringLiteral("Sin fin"), QString()));
        QCOMPARE(TextosMostrados(),
                 (QStringList{kPreguntaCancelarListado,
                              "¡ La sentencia SQL ha sido cancelada por el usuario !",
                              "El informe contiene errores. ¿Desea continuar con la grabación?"}));
        QCOMPARE(SqlPrueba("SELECT COUNT(*) FROM FILTRO"), QStringLiteral("0"));
    }

    // The window opens on the first report by name.
    void primerInforme() {
        Entorno x{Engine::Sqlite};
        x.ejemplo();
        QVERIFY(x.f->GrabarInforme("Zeta", "Nuevo"));
        QVERIFY(x.f->GrabarInforme("Alfa", "Nuevo"));
        delete x.f;
        x.f = static_cast<TfGENECINF*>(CreateForm(QStringLiteral("TfGENECINF")));
        QCOMPARE(x.f->edNombreInforme->Text(), QStringLiteral("Alfa"));
        QCOMPARE(x.f->LBColumnas->count(), 2);
    }

    // The example built through the dialogs, on each engine: the entries in
    // the stored grammar, the dialogs' titles, the SQL shown and validated.
    void ejemplo_data() { AddEngineRows(); }
    void ejemplo() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        x.ejemplo();
        const DefinicionInforme d = x.f->Definicion();
        QCOMPARE(d.Tablas, (QStringList{"HPUESTO", "PUESTO"}));
        QCOMPARE(d.Columnas,
                 (QStringList{"HPUESTO.CodigoOperario", "PUESTO.Descripcion AS 'Puesto'"}));
        QCOMPARE(d.Vinculos, QStringList{"HPUESTO.CodigoPuesto = PUESTO.Codigo"});
        QCOMPARE(d.Restricciones, QStringList{"HPUESTO.FechaInicio >= :&Desde"});
        QCOMPARE(d.Ordenacion, QStringList{"HPUESTO.CodigoOperario DESC"});
        QCOMPARE(titulosSeleccion,
                 (QStringList{"Seleccion de Tablas", "Seleccion de Campos",
                              "Seleccion de Campo (Parte A)", "Seleccion de Campo (Parte B)",
                              "Seleccion de Campo (Parte A)", "Seleccion de Relación",
                              "Seleccion de Campo (Parte B)", "Seleccion de Ordenación"}));
        QCOMPARE(x.f->MemoSentenciaSQL->Text(), GenerarSentenciaSQL(d, Engine(engine)));
        QVERIFY(x.f->MemoSentenciaSQL->Text().startsWith(
            "SELECT HPUESTO.CodigoOperario, PUESTO.Descripcion AS "));
        QVERIFY(x.f->WebBrowser1->toHtml().contains("Desde"));
        // The ordering is drawn in blue once descending.
        QCOMPARE(Tinta(x.f->LBOrdenacion, 0), QColor(Qt::blue));
        MessageSeam::clearLog();
        x.f->pbValidarInformeClick();
        QCOMPARE(TextosMostrados(), QStringList{"El informe es correcto"});
        // The grid follows the columns, titled as they print.
        QCOMPARE(x.f->SGFormatoColumnas->Rows(0), (QStringList{"C.Operario", "Puesto"}));
        QCOMPARE(x.f->FormatoColumnasRejilla(), QString());
    }

    // One add through the dialogs: the entry it makes, or none, and what the
    // last dialog offered.
    void agregar_data() {
        QTest::addColumn<QString>("lista");
        QTest::addColumn<QList<QStringList>>("elegidos");
        QTest::addColumn<QStringList>("respuestas");
        QTest::addColumn<QStringList>("entradas");
        QTest::addColumn<QStringList>("ofrecidos");  // empty: not checked
        QTest::addColumn<QStringList>("avisos");
        const auto fila = [](const char* nombre, const char* lista, QList<QStringList> elegidos,
                             QStringList respuestas, QStringList entradas,
                             QStringList ofrecidos = {}, QStringList avisos = {}) {
            QTest::newRow(nombre) << QString::fromLatin1(lista) << elegidos << respuestas
                                  << entradas << ofrecidos << avisos;
        };
        const QString fechaMal =
            QStringLiteral("¡ La fecha (u hora) introducida no es válida !. Repita por favor.\r\n");
        fila("constante de fecha", "Restricciones",
             {{"HPUESTO.FechaInicio"}, {"Igual a"}, {"_Una constante"}}, {"5/3/24"},
             {"HPUESTO.FechaInicio = '5/3/24'"});
        fila("constante que no es fecha", "Restricciones",
             {{"HPUESTO.FechaInicio"}, {"Igual a"}, {"_Una constante"}}, {"31/02/2024"}, {}, {},
             {fechaMal + "HPUESTO.FechaInicio = '31/02/2024'"});
        fila("lista con algo que no es fecha", "Restricciones",
             {{"HPUESTO.FechaInicio"}, {"Incluido en"}, {"_Una constante multiple"}},
             {"5/3/24, 3|4"}, {}, {}, {fechaMal + "HPUESTO.FechaInicio IN (\"5/3/24\",\"3|4\")"});
        fila("vinculo de fecha que no es fecha", "Vinculos",
             {{"HPUESTO.FechaInicio"}, {"Una constante"}}, {"mañana"}, {}, {},
             {fechaMal + "HPUESTO.FechaInicio = 'mañana'"});
        fila("constante", "Restricciones",
             {{"HPUESTO.Descripcion"}, {"Igual a"}, {"_Una constante"}}, {"D'Ors"},
             {"HPUESTO.Descripcion = 'D''Ors'"});
        fila("variable numerica", "Restricciones",
             {{"HPUESTO.Linea"}, {"Menor que"}, {"_Una variable"}}, {"Mi Linea"},
             {"HPUESTO.Linea < :#MiLinea"});
        fila("variable de texto", "Restricciones",
             {{"HPUESTO.Descripcion"}, {"Distinto de"}, {"_Una variable"}}, {"Nombre"},
             {"HPUESTO.Descripcion <> :$Nombre"});
        fila("variable preseleccionada", "Restricciones",
             {{"HPUESTO.FechaInicio"}, {"Mayor o igual que"}}, {"Desde"},
             {"HPUESTO.FechaInicio >= :&Desde"},
             {"_Una constante", "*_Una variable", "HFORMACI.Apto"});
        fila("constantes multiples", "Restricciones",
             {{"HPUESTO.CodigoPuesto"}, {"Incluido en"}, {"_Una constante multiple"}}, {"a, b,c,"},
             {"HPUESTO.CodigoPuesto IN (\"a\",\"b\",\"c\")"});
        fila("variable multiple", "Restricciones", {{"HPUESTO.CodigoPuesto"}, {"No incluido en"}},
             {"Pues tos"}, {"HPUESTO.CodigoPuesto NOT IN ( :*Puestos )"},
             {"_Una constante multiple", "*_Una variable multiple"});
        fila("campo con campo", "Restricciones",
             {{"HPUESTO.Descripcion"}, {"Igual a"}, {"PUESTO.Descripcion"}}, {},
             {"HPUESTO.Descripcion = PUESTO.Descripcion"});
        fila("relacion sin elegir", "Restricciones", {{"HPUESTO.Descripcion"}, {}}, {}, {});
        fila("constante cancelada", "Restricciones",
             {{"HPUESTO.Descripcion"}, {"Igual a"}, {"_Una constante"}}, {MessageSeam::cancel()},
             {});
        fila("vinculo constante", "Vinculos", {{"PUESTO.Codigo"}, {"Una constante"}}, {"A,B"},
             {"PUESTO.Codigo = 'A,B'"});
        fila("vinculo campo", "Vinculos", {{"HPUESTO.CodigoPuesto"}, {"PUESTO.Codigo"}}, {},
             {"HPUESTO.CodigoPuesto = PUESTO.Codigo"});
        fila("expresion", "Columnas", {{"_Expresion"}}, {"PUESTO.Codigo, 1", "Cod"},
             {"(PUESTO.Codigo, 1) AS 'Cod'"});
        fila("grupo de analisis", "Columnas", {{"_Expresion_GrupoAnalisis"}, {"PUESTO"}}, {"DEP"},
             {ColumnaGrupoAnalisis("PUESTO", {"Codigo"}, "DEP")},
             {"HPUESTO", "PUESTO", "HFORMACI"});
        fila("grupo de analisis de clave doble", "Columnas",
             {{"_Expresion_GrupoAnalisis"}, {"HFORMACI"}}, {"CUR"},
             {ColumnaGrupoAnalisis("HFORMACI", {"NombreTabla", "CodigoOperario", "Linea"}, "CUR")});
        fila("columna repetida", "Columnas", {{"HPUESTO.CodigoOperario"}}, {}, {});
        fila("sumatorios", "Sumatorios", {{"HFORMACI.Duracion AS 'Horas'", "_Expresion AS 'Cod'"}},
             {}, {"HFORMACI.Duracion AS 'Horas'", "_Expresion AS 'Cod'"},
             {"_Expresion AS 'Cod'", "HFORMACI.Duracion AS 'Horas'"});
        fila("grupos", "Grupos", {{"HPUESTO.CodigoOperario"}}, {}, {"HPUESTO.CodigoOperario"},
             {"HPUESTO.CodigoOperario", "_Expresion AS 'Cod'"});
        fila("ordenacion", "Ordenacion", {{"_Expresion AS 'Cod'"}}, {}, {"_Expresion AS 'Cod'"},
             {"HPUESTO.CodigoOperario", "_Expresion AS 'Cod'", "HFORMACI.Duracion AS 'Horas'"});
    }
    void agregar() {
        QFETCH(QString, lista);
        QFETCH(QList<QStringList>, elegidos);
        QFETCH(QStringList, respuestas);
        QFETCH(QStringList, entradas);
        QFETCH(QStringList, ofrecidos);
        QFETCH(QStringList, avisos);
        Entorno x{Engine::Sqlite};
        x.f->LBTablas->setItems({"HPUESTO", "PUESTO", "HFORMACI"});
        const QStringList columnas = {"HPUESTO.CodigoOperario", "(PUESTO.Codigo || 'x') AS 'Cod'",
                                      "HFORMACI.Duracion AS 'Horas'"};
        x.f->LBColumnas->setItems(columnas);
        x.f->ActualizarSentenciaSQL("Forzado");
        auto* l = x.f->findChild<TListBox*>("LB" + lista);
        const QStringList antes = l->Items();
        MessageSeam::clearLog();
        x.agregar(l, elegidos, respuestas);
        QCOMPARE(l->Items().mid(antes.size()), entradas);
        if (!avisos.isEmpty())
            QCOMPARE(TextosMostrados().mid(TextosMostrados().size() - 1), avisos);
        if (!ofrecidos.isEmpty()) {
            if (ofrecidos.size() == 3 && lista == "Restricciones")
                QCOMPARE(elementosOfrecidos.mid(0, 3), ofrecidos);
            else
                QCOMPARE(elementosOfrecidos, ofrecidos);
        }
        QCOMPARE(x.f->MemoSentenciaSQL->Text(),
                 GenerarSentenciaSQL(x.f->Definicion(), Engine::Sqlite));
    }

    // Deleting an entry, with the question a table or a column asks and what
    // goes with it.
    void eliminar_data() {
        QTest::addColumn<QString>("lista");
        QTest::addColumn<int>("fila");
        QTest::addColumn<QString>("respuesta");
        QTest::addColumn<QString>("pregunta");
        QTest::addColumn<QStringList>("columnas");
        QTest::addColumn<QStringList>("restricciones");
        QTest::addColumn<QStringList>("vinculos");
        QTest::addColumn<QStringList>("resto");  // orderings, groups and sums
        QTest::addColumn<int>("seleccion");
        const QStringList columnas = {"HPUESTO.CodigoOperario", "PUESTO.Descripcion AS 'Puesto'",
                                      "(PUESTO.Codigo || 'x') AS 'Cod'"};
        const QStringList restricciones = {"HPUESTO.FechaInicio >= :&Desde",
                                           "HPUESTO.Descripcion <> PUESTO.Descripcion"};
        const QStringList vinculos = {"HPUESTO.CodigoPuesto = PUESTO.Codigo"};
        const QStringList resto = {"HPUESTO.CodigoOperario DESC",
                                   "PUESTO.Descripcion AS 'Puesto'",
                                   "_Expresion AS 'Cod' DESC",
                                   "|",
                                   "PUESTO.Descripcion AS 'Puesto'",
                                   "|",
                                   "_Expresion AS 'Cod'"};
        const QString tabla =
            "Esta acción eliminará todas las referencias del informe a la tabla PUESTO. ¿Está "
            "seguro de continuar?";
        QTest::newRow("tabla, NO") << "Tablas" << 1 << "NO" << tabla << columnas << restricciones
                                   << vinculos << resto << 1;
        QTest::newRow("tabla, SI")
            << "Tablas" << 1 << "SI" << tabla
            << QStringList{"HPUESTO.CodigoOperario", "(PUESTO.Codigo || 'x') AS 'Cod'"}
            << QStringList{"HPUESTO.FechaInicio >= :&Desde"} << QStringList{}
            << QStringList{"HPUESTO.CodigoOperario DESC", "_Expresion AS 'Cod' DESC", "|", "|",
                           "_Expresion AS 'Cod'"}
            << 0;
        QTest::newRow("columna, SI")
            << "Columnas" << 1 << "SI"
            << "Esta acción eliminará todas las referencias del informe a la columna "
               "PUESTO.Descripcion. ¿Está seguro de continuar?"
            << QStringList{"HPUESTO.CodigoOperario", "(PUESTO.Codigo || 'x') AS 'Cod'"}
            << restricciones << vinculos
            << QStringList{"HPUESTO.CodigoOperario DESC", "_Expresion AS 'Cod' DESC", "|", "|",
                           "_Expresion AS 'Cod'"}
            << 0;
        QTest::newRow("expresion, SI")
            << "Columnas" << 2 << "SI"
            << "Esta acción eliminará todas las referencias del informe a la columna "
               "(PUESTO.Codigo. ¿Está seguro de continuar?"
            << columnas.mid(0, 2) << restricciones << vinculos
            << QStringList{"HPUESTO.CodigoOperario DESC", "PUESTO.Descripcion AS 'Puesto'", "|",
                           "PUESTO.Descripcion AS 'Puesto'", "|"}
            << 1;
        QTest::newRow("primera restriccion")
            << "Restricciones" << 0 << ""
            << "" << columnas << restricciones.mid(1) << vinculos << resto << 0;
    }
    void eliminar() {
        QFETCH(QString, lista);
        QFETCH(int, fila);
        QFETCH(QString, respuesta);
        QFETCH(QString, pregunta);
        QFETCH(QStringList, columnas);
        QFETCH(QStringList, restricciones);
        QFETCH(QStringList, vinculos);
        QFETCH(QStringList, resto);
        QFETCH(int, seleccion);
        Entorno x{Engine::Sqlite};
        x.f->LBTablas->setItems({"HPUESTO", "PUESTO"});
        x.f->LBColumnas->setItems({"HPUESTO.CodigoOperario", "PUESTO.Descripcion AS 'Puesto'",
                                   "(PUESTO.Codigo || 'x') AS 'Cod'"});
        x.f->LBRestricciones->setItems(
            {"HPUESTO.FechaInicio >= :&Desde", "HPUESTO.Descripcion <> PUESTO.Descripcion"});
        x.f->LBVinculos->setItems({"HPUESTO.CodigoPuesto = PUESTO.Codigo"});
        x.f->LBOrdenacion->setItems({"HPUESTO.CodigoOperario DESC",
                                     "PUESTO.Descripcion AS 'Puesto'", "_Expresion AS 'Cod' DESC"});
        x.f->LBGrupos->setItems({"PUESTO.Descripcion AS 'Puesto'"});
        x.f->LBSumatorios->setItems({"_Expresion AS 'Cod'"});
        x.f->ActualizarSentenciaSQL("Forzado");
        auto* l = x.f->findChild<TListBox*>("LB" + lista);
        l->setItemIndex(fila);
        if (!respuesta.isEmpty()) MessageSeam::enqueue(respuesta);
        MessageSeam::clearLog();
        x.f->pbEliminarLBClick(x.f->findChild<TSpeedButton*>("pbEliminar" + lista));
        QCOMPARE(TextosMostrados(), pregunta.isEmpty() ? QStringList() : QStringList{pregunta});
        QCOMPARE(x.f->LBColumnas->Items(), columnas);
        QCOMPARE(x.f->LBRestricciones->Items(), restricciones);
        QCOMPARE(x.f->LBVinculos->Items(), vinculos);
        QCOMPARE(x.f->LBOrdenacion->Items() + QStringList{"|"} + x.f->LBGrupos->Items() +
                     QStringList{"|"} + x.f->LBSumatorios->Items(),
                 resto);
        QCOMPARE(l->ItemIndex(), seleccion);
        QCOMPARE(x.f->MemoSentenciaSQL->Text(),
                 GenerarSentenciaSQL(x.f->Definicion(), Engine::Sqlite));
    }

    // The designer's edge cases on one design.
    void casosDelDisenador() {
        Entorno x{Engine::Sqlite};
        x.agregar(x.f->LBTablas, {{"HPUESTO", "PUESTO"}});
        x.agregar(x.f->LBColumnas, {{"HPUESTO.CodigoOperario", "HPUESTO.Descripcion"}});
        // No float column and no titled expression: nothing to sum.
        x.agregar(x.f->LBSumatorios, {{}});
        QCOMPARE(elementosOfrecidos, QStringList());
        QCOMPARE(x.f->LBSumatorios->count(), 0);

        // Cancelling the first selection of a restriction or a link asks
        // nothing more.
        for (TListBox* l : {x.f->LBRestricciones, x.f->LBVinculos}) {
            titulosSeleccion.clear();
            MessageSeam::clearLog();
            x.agregar(l, {{}});
            QCOMPARE(titulosSeleccion, QStringList{"Seleccion de Campo (Parte A)"});
            QCOMPARE(TextosMostrados(), QStringList());
            QCOMPARE(l->count(), 0);
        }
        // A cancelled variable name adds nothing either.
        x.agregar(x.f->LBRestricciones, {{"HPUESTO.Linea"}, {"Igual a"}, {"_Una variable"}},
                  {MessageSeam::cancel()});
        QCOMPARE(x.f->LBRestricciones->count(), 0);

        // A group column is hidden in the grid and drawn in silver.
        x.agregar(x.f->LBGrupos, {{"HPUESTO.Descripcion"}});
        QCOMPARE(x.anchos().at(1), -1);
        QCOMPARE(Tinta(x.f->LBColumnas, 1), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(Tinta(x.f->LBColumnas, 0), QColor(Qt::black));

        // Retitling a field column retitles the entries that copy it.
        x.agregar(x.f->LBOrdenacion, {{"HPUESTO.Descripcion"}});
        x.f->LBOrdenacion->setItemIndex(0);
        x.f->LBOrdenacionDblClick();
        x.f->LBSumatorios->setItems({"HPUESTO.Descripcion"});
        x.retitular(1, "Cargo");
        const QString titulada = "HPUESTO.Descripcion AS 'Cargo'";
        QCOMPARE(x.f->LBColumnas->Items().at(1), titulada);
        QCOMPARE(x.f->LBOrdenacion->Items(), QStringList{titulada + " DESC"});
        QCOMPARE(x.f->LBGrupos->Items(), QStringList{titulada});
        QCOMPARE(x.f->LBSumatorios->Items(), QStringList{titulada});
        QVERIFY(x.f->MemoSentenciaSQL->Text().contains("AS \"Cargo\""));
        // The field's own name (or its short form) takes the title away.
        x.retitular(1, "Descripcion");
        QCOMPARE(x.f->LBGrupos->Items(), QStringList{"HPUESTO.Descripcion"});
        // A cancelled prompt keeps it.
        x.retitular(0, MessageSeam::cancel());
        QCOMPARE(x.f->LBColumnas->Items().at(0), QStringLiteral("HPUESTO.CodigoOperario"));
        // A title with an apostrophe is stored quoted; an empty answer takes
        // the title away.
        x.retitular(0, "D'Ors");
        QCOMPARE(x.f->LBColumnas->Items().at(0),
                 QStringLiteral("HPUESTO.CodigoOperario AS 'D''Ors'"));
        x.retitular(0, "");
        QCOMPARE(x.f->LBColumnas->Items().at(0), QStringLiteral("HPUESTO.CodigoOperario"));

        // Moving: not past either end, the entry stays selected.
        x.f->LBColumnas->setItemIndex(0);
        x.f->pbSubirLBClick(x.f->findChild<TSpeedButton*>("pbSubirColumnas"));
        QCOMPARE(x.f->LBColumnas->Items().at(0), QStringLiteral("HPUESTO.CodigoOperario"));
        x.f->pbBajarLBClick(x.f->findChild<TSpeedButton*>("pbBajarColumnas"));
        QCOMPARE(x.f->LBColumnas->Items().at(1), QStringLiteral("HPUESTO.CodigoOperario"));
        QCOMPARE(x.f->LBColumnas->ItemIndex(), 1);
        QVERIFY(x.f->MemoSentenciaSQL->Text().startsWith("SELECT HPUESTO.Descripcion"));
        x.f->pbBajarLBClick(x.f->findChild<TSpeedButton*>("pbBajarColumnas"));
        QCOMPARE(x.f->LBColumnas->ItemIndex(), 1);
        x.f->pbSubirLBClick(x.f->findChild<TSpeedButton*>("pbSubirColumnas"));
        QCOMPARE(x.f->LBColumnas->Items().at(0), QStringLiteral("HPUESTO.CodigoOperario"));

        // Landscape keeps the pixel widths; the stored percentages follow.
        x.f->setAnchoColumna(0, 63);
        x.f->SGFormatoColumnasMouseUp();
        QCOMPARE(x.f->FormatoColumnasRejilla(), QStringLiteral("10|-1|"));
        x.f->OrientacionApaisada->setChecked(true);
        QCOMPARE(x.anchos(), (QList<int>{63, -1}));
        QCOMPARE(x.f->FormatoColumnasRejilla(), FloatToStr(63.0 / 891 * 100) + "|-1|");

        // Moving a grid column moves the column, its width with it.
        x.f->LBGrupos->Clear();
        x.f->ActualizarSentenciaSQL("Forzado");
        const int ancho = x.anchos().at(1);
        x.f->SGFormatoColumnasColumnMoved(1, 0);
        QCOMPARE(x.f->LBColumnas->Items(),
                 (QStringList{"HPUESTO.Descripcion", "HPUESTO.CodigoOperario"}));
        QCOMPARE(x.anchos(), (QList<int>{ancho, 63}));
        QVERIFY(x.f->MemoSentenciaSQL->Text().startsWith(
            "SELECT HPUESTO.Descripcion, HPUESTO.CodigoOperario"));
    }

    // Autoajuste fits the printed columns to the width typed; anything but a
    // positive number changes nothing.
    void autoajuste_data() {
        QTest::addColumn<QString>("respuesta");
        QTest::addColumn<QList<int>>("anchos");
        const QList<int> iguales = {100, 50, -1, 200};
        for (const char* r : {"0", "-5", "abc", "", "1e999", "1e12"})
            QTest::newRow(r) << QString::fromLatin1(r) << iguales;
        QTest::newRow("cancelado") << MessageSeam::cancel() << iguales;
        QTest::newRow("100") << "100" << QList<int>{85, 42, -1, 171};
        QTest::newRow("100,5") << "100,5" << QList<int>{85, 42, -1, 172};
    }
    void autoajuste() {
        QFETCH(QString, respuesta);
        QFETCH(QList<int>, anchos);
        Entorno x{Engine::Sqlite};
        x.f->LBTablas->setItems({"HPUESTO"});
        x.f->LBColumnas->setItems({"HPUESTO.CodigoOperario", "HPUESTO.Linea", "HPUESTO.Descripcion",
                                   "HPUESTO.FechaInicio"});
        x.f->LBGrupos->setItems({"HPUESTO.Descripcion"});
        x.f->ActualizarSentenciaSQL("Forzado");
        for (int c : {0, 1, 3}) x.f->setAnchoColumna(c, QList<int>{100, 50, 0, 200}.at(c));
        MessageSeam::clearLog();
        MessageSeam::enqueue(respuesta);
        x.f->pbAutoajusteClick();
        QCOMPARE(TextosMostrados().value(0),
                 QStringLiteral("Introduzca la anchura máxima para el ajuste: "));
        QCOMPARE(x.anchos(), anchos);
    }

    // A design saved and loaded again is the same design; a refused insert
    // keeps the stored report; a design with errors is saved only when the
    // user says so.
    void grabarYCargar_data() { AddEngineRows(); }
    void grabarYCargar() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        x.ejemplo();
        x.agregar(x.f->LBGrupos, {{"PUESTO.Descripcion AS 'Puesto'"}});
        x.f->FormatoFicha->setChecked(true);
        x.f->NumeroColumnasFicha->setValue(2);
        x.f->NumeroLineasMemoFicha->setValue(7);
        x.f->OrientacionApaisada->setChecked(true);
        x.f->SepararPorPaginas->setChecked(true);
        x.f->UsuariosAutorizados = "ADMIN,";
        x.f->AplicacionesContenedoras = "Recursos Humanos,";
        x.f->setAnchoColumna(0, 297);
        x.f->SGFormatoColumnasMouseUp();
        // The groups lead the ordering: the save's validation asks.
        MessageSeam::enqueue("NO");
        QVERIFY(x.f->GrabarInforme("Puestos", QString()));
        const DefinicionInforme guardado = x.f->Definicion();
        const QString sql = x.f->MemoSentenciaSQL->Text();
        QCOMPARE(guardado.Opciones,
                 QStringLiteral("FormatoFicha(2,7),OrientacionApaisada,SepararPorPaginas,"));
        QCOMPARE(guardado.FormatoColumnas, QStringLiteral("33,3333333333333|-1|"));

        x.f->CargarInforme(QString());
        QCOMPARE(x.f->LBColumnas->count(), 0);
        x.f->CargarInforme("Puestos");
        QCOMPARE(x.f->edNombreInforme->Text(), QStringLiteral("Puestos"));
        QCOMPARE(ComponerInstrucciones(x.f->Definicion()), ComponerInstrucciones(guardado));
        QCOMPARE(x.f->MemoSentenciaSQL->Text(), sql);
        QCOMPARE(x.anchos(), (QList<int>{297, -1}));
        QVERIFY(!x.f->InformeModificado());
        QVERIFY(!x.f->PanelAjusteColumnas->isVisibleTo(x.f));
        x.f->LBOrdenacion->setItemIndex(0);
        x.f->LBOrdenacionDblClick();
        QVERIFY(x.f->InformeModificado());

        // A refused insert: the message, and the stored row as it was.
        BloquearAlta(Engine(engine), "FILTRO");
        MessageSeam::clearLog();
        MessageSeam::enqueue("NO");
        QVERIFY(!x.f->GrabarInforme("Puestos", QString()));
        QuitarBloqueoAlta(Engine(engine), "FILTRO");
        QVERIFY2(TextosMostrados().last().startsWith(
                     "¡No ha sido posible grabar el registro!. Motivo: "),
                 qPrintable(TextosMostrados().join('\n')));
        QString leido, instrucciones;
        QVERIFY(LeerInforme("Puestos", leido, instrucciones));
        QCOMPARE(leido, sql);
        QCOMPARE(instrucciones, ComponerInstrucciones(guardado));

        // A design the engine refuses.
        x.f->LBColumnas->addItem("(NoHay(1)) AS 'Mal'");
        x.f->ActualizarSentenciaSQL(QString());
        for (const char* r : {"NO", "SI"}) {
            MessageSeam::clearLog();
            MessageSeam::enqueue("NO");  // the group-order question
            MessageSeam::enqueue(r);
            QCOMPARE(x.f->GrabarInforme("Mal", QString()), QString(r) == "SI");
            QCOMPARE(
                TextosMostrados().last(),
                QStringLiteral("El informe contiene errores. ¿Desea continuar con la grabación?"));
            QCOMPARE(ExisteInforme("Mal"), QString(r) == "SI");
        }
        // "Nuevo" saves without validating.
        MessageSeam::clearLog();
        QVERIFY(x.f->GrabarInforme("Otro", "Nuevo"));
        QCOMPARE(TextosMostrados(), QStringList());

        // Stored widths whose count differs from the columns are left out.
        DefinicionInforme d = guardado;
        d.FormatoColumnas = "50|";
        QString motivo;
        QVERIFY(EscribirInforme("Anchos", sql, ComponerInstrucciones(d), motivo));
        x.f->CargarInforme("Anchos");
        QCOMPARE(x.f->FormatoColumnasRejilla(), QString());
        QVERIFY(x.anchos().at(0) > 0 && x.anchos().at(0) != 148);
    }
};

QTEST_MAIN(TestGeneCinf)
#include "tst_genecinf.moc"
