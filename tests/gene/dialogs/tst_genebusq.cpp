// The standard search dialog: the statement it builds for each mode on every
// engine (SQL Server as text), values with quotes and SQL-looking text, the
// user's preferred entry remembered per table, and searches run on both
// engines with the key handed back.

#include <QtTest>

#include "db/clientdataset.h"
#include "db/dialect.h"
#include "db/query.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/geneusua.h"
#include "gene/dialogs/genebusq.h"
#include "gene/registros_prueba.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"

namespace {

const SqlDialect& Sqlite() {
    return SqlDialect::forEngine(Engine::Sqlite);
}
const SqlDialect& Servidor() {
    return SqlDialect::forEngine(Engine::SqlServer);
}

const QList<TCampoBusqueda> kClaveLineas = {{QStringLiteral("CodigoOperario"), ftSmallint},
                                            {QStringLiteral("Linea"), ftSmallint}};
const QList<TCampoBusqueda> kTexto = {{QStringLiteral("Texto"), ftString}};

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

// Rows written through a table: the values reach the engine as typed.
void llenarLineas() {
    auto t = AbrirTablaPrueba(QStringLiteral("LINEAS"));
    const QList<QVariantList> filas = {{12, 3, "GARCIA"}, {12, 4, "GARRIDO"}, {12, 7, "AGARRE"},
                                       {13, 1, "O'NEIL"}, {13, 2, "a = ''x"}, {14, 1, ""}};
    for (const QVariantList& f : filas) {
        t->Append();
        t->FieldByName(QStringLiteral("CodigoOperario"))->setValue(f[0]);
        t->FieldByName(QStringLiteral("Linea"))->setValue(f[1]);
        t->FieldByName(QStringLiteral("Texto"))->setValue(f[2]);
        t->Post();
    }
}

struct Escenario {
    explicit Escenario(Engine motor) : inst(motor, conEmpresa()) {
        CrearLineas();
        llenarLineas();
        CodigoUsuarioActual = QString::fromLatin1(kCodigoAdministradorInicial);
    }
    TestInstalacion inst;
    TModuloDatos modulo;
};

// A dialog on LINEAS as the entry routines prepare it, shown state included.
std::unique_ptr<TfGENEBUSQ> dialogo(const QString& valor = QString(), int indice = 0) {
    auto d = std::unique_ptr<TfGENEBUSQ>(NewForm<TfGENEBUSQ>());
    d->TablaBusqueda = QStringLiteral("LINEAS");
    d->IndiceBusqueda = indice;
    d->DatoABuscar->setText(valor);
    d->FormShow();
    return d;
}

// The values of a column of the result, sorted (unordered results come in
// the engine's order).
QStringList textos(TDataSet* ds, const QString& campo) {
    QStringList l;
    for (ds->First(); !ds->Eof(); ds->Next()) l << ds->FieldByName(campo)->AsString();
    l.sort();
    return l;
}

}  // namespace

class TestGeneBusq : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void condiciones_data() {
        QTest::addColumn<int>("modo");
        QTest::addColumn<bool>("clave");
        QTest::addColumn<QString>("dato");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("compound key") << int(mbAproximada) << true << "12,3"
                                      << "(CodigoOperario = '12') AND (Linea >= '3')";
        QTest::newRow("first piece only") << int(mbAproximada) << true << "12"
                                          << "(CodigoOperario >= '12')";
        QTest::newRow("stops at empty piece") << int(mbAproximada) << true << ";3"
                                              << "";
        QTest::newRow("extra pieces") << int(mbAproximada) << true << "12;3;9"
                                      << "(CodigoOperario = '12') AND (Linea >= '3')";
        QTest::newRow("partial") << int(mbParcial) << false << "GAR"
                                 << "(Texto LIKE 'GAR%')";
        QTest::newRow("phonetic") << int(mbFonetica) << false << "GAR"
                                  << "(Texto LIKE '%GAR%')";
        // A piece that is no number for a numeric field matches nothing; a
        // number its field's type does not hold compares as a number.
        QTest::newRow("no numbers") << int(mbAproximada) << true << "a;b;c,d"
                                    << "(1 = 0) AND (1 = 0)";
        QTest::newRow("text then number") << int(mbAproximada) << true << "Mayor, 5"
                                          << "(1 = 0) AND (Linea >= '5')";
        QTest::newRow("fraction") << int(mbAproximada) << true << "12;3.5"
                                  << "(CodigoOperario = '12') AND (Linea >= 3.5)";
        QTest::newRow("beyond small integer") << int(mbAproximada) << true << "99999"
                                              << "(CodigoOperario >= 99999)";
        QTest::newRow("quote") << int(mbAproximada) << false << "O'NEIL"
                               << "(Texto >= 'O''NEIL')";
        // A typed condition stays a value: nothing rewrites it afterwards.
        QTest::newRow("sql-looking partial") << int(mbParcial) << false << "a = 'x"
                                             << "(Texto LIKE 'a = ''x%')";
        QTest::newRow("sql-looking phonetic") << int(mbFonetica) << false << "x') OR ('1' = '1"
                                              << "(Texto LIKE '%x'') OR (''1'' = ''1%')";
    }
    void condiciones() {
        QFETCH(int, modo);
        QFETCH(bool, clave);
        QFETCH(QString, dato);
        QFETCH(QString, esperado);
        QCOMPARE(CondicionesBusqueda(clave ? kClaveLineas : kTexto, dato, TModoBusqueda(modo),
                                     Servidor()),
                 esperado);
    }

    void fechasYHoras() {
        const QList<TCampoBusqueda> fecha = {{QStringLiteral("FechaAlta"), ftDate}};
        QCOMPARE(CondicionesBusqueda(fecha, QStringLiteral("05/01/2024"), mbAproximada, Sqlite()),
                 QStringLiteral("(FechaAlta >= '2024-01-05')"));
        // A text column keeps what was typed, date-like or not.
        QCOMPARE(CondicionesBusqueda(kTexto, QStringLiteral("05/01/2024"), mbAproximada, Sqlite()),
                 QStringLiteral("(Texto >= '05/01/2024')"));
        const QList<TCampoBusqueda> hora = {{QStringLiteral("HoraEntrada"), ftDateTime}};
        QCOMPARE(CondicionesBusqueda(hora, QStringLiteral("10:30"), mbAproximada, Sqlite()),
                 Sqlite()
                     .dateTimeLiteral(QDateTime(QDate(1899, 12, 30), QTime(10, 30)))
                     .prepend(QStringLiteral("(HoraEntrada >= "))
                     .append(QLatin1Char(')')));
    }

    void sentencias_data() {
        QTest::addColumn<int>("motor");
        QTest::addColumn<QString>("condiciones");
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<QString>("maximo");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("server top and hint")
            << int(Engine::SqlServer) << "(Texto >= 'GAR')"
            << ""
            << "100"
            << "SELECT TOP 100 Texto,Linea FROM LINEAS WITH(NOLOCK)  WHERE (Texto >= 'GAR') "
               "ORDER BY CodigoOperario,Linea";
        QTest::newRow("server zero is one")
            << int(Engine::SqlServer) << ""
            << ""
            << "0"
            << "SELECT TOP 1 Texto,Linea FROM LINEAS WITH(NOLOCK)  ORDER BY CodigoOperario,Linea";
        QTest::newRow("server unlimited")
            << int(Engine::SqlServer) << ""
            << "Activo = 'SI'"
            << "Ilimitado"
            << "SELECT Texto,Linea FROM LINEAS WITH(NOLOCK)  WHERE Activo = 'SI' ORDER BY "
               "CodigoOperario,Linea";
        QTest::newRow("sqlite no top, filter kept")
            << int(Engine::Sqlite) << "(Texto >= 'GAR')"
            << "Linea > 1"
            << "1"
            << "SELECT Texto,Linea FROM LINEAS  WHERE (Texto >= 'GAR') AND (Linea > 1) ORDER BY "
               "CodigoOperario,Linea";
    }
    void sentencias() {
        QFETCH(int, motor);
        QFETCH(QString, condiciones);
        QFETCH(QString, filtro);
        QFETCH(QString, maximo);
        QFETCH(QString, esperado);
        TPeticionBusqueda p;
        p.Tabla = QStringLiteral("LINEAS");
        p.Columnas = QStringLiteral("Texto,Linea");
        p.Condiciones = condiciones;
        p.Filtro = filtro;
        p.Orden = QStringLiteral("CodigoOperario;Linea");
        p.Maximo = maximo;
        QCOMPARE(SentenciaBusqueda(p, SqlDialect::forEngine(Engine(motor))), esperado);
    }

    void preferencias() {
        const QString datos =
            QStringLiteral("PERSONAL:Nombre(P)(O),LINEAS:CodigoOperario;Linea(F)(M)");
        TPreferenciaBusqueda p = LeerPreferenciaBusqueda(datos, QStringLiteral("LINEAS"));
        QCOMPARE(p.Entrada, QStringLiteral("CodigoOperario;Linea"));
        QCOMPARE(p.Modo, int(mbFonetica));
        QVERIFY(p.Memos && !p.Ordenados);
        p = LeerPreferenciaBusqueda(datos, QStringLiteral("OTRA"));
        QCOMPARE(p.Modo, -1);
        QVERIFY(p.Entrada.isEmpty());

        QCOMPARE(TextoPreferenciaBusqueda(QStringLiteral("Texto"), mbParcial, true, false),
                 QStringLiteral("Texto(P)(O)"));
        QCOMPARE(
            ActualizarDatosBusqueda(datos, QStringLiteral("PERSONAL"), QStringLiteral("Codigo(A)")),
            QStringLiteral("PERSONAL:Codigo(A),LINEAS:CodigoOperario;Linea(F)(M)"));
        QCOMPARE(ActualizarDatosBusqueda(QString(), QStringLiteral("LINEAS"),
                                         QStringLiteral("Texto(A)")),
                 QStringLiteral("LINEAS:Texto(A)"));
    }

    // The dialog on both engines: entries from the indexes and columns, each
    // mode against the data, the key of the chosen row, and the preference
    // kept for the next opening.
    void dialogo_data() { AddEngineRows(); }
    void dialogo() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        MessageSeam::clearLog();

        auto d = ::dialogo(QStringLiteral("12,3"));
        QCOMPARE(d->ListaCamposBusqueda->Items().first(), QStringLiteral("CodigoOperario;Linea"));
        QVERIFY(d->ListaCamposBusqueda->Items().contains(QStringLiteral("Texto")));
        QCOMPARE(d->ListaCamposBusqueda->ItemIndex(), 0);
        QVERIFY(d->UltimaSentencia().isEmpty());  // no automatic search for a company table

        d->pbBuscarClick();
        QCOMPARE(textos(d->ClientDataSet1, QStringLiteral("Texto")),
                 (QStringList{"AGARRE", "GARCIA", "GARRIDO"}));
        QVERIFY(!d->UltimaSentencia().contains(QLatin1String("Notas")));  // no memo columns

        d->ListaCamposBusqueda->setText(QStringLiteral("Texto"));
        d->setModo(mbParcial);
        d->DatoABuscar->setText(QStringLiteral("GAR"));
        d->pbBuscarClick();
        QCOMPARE(textos(d->ClientDataSet1, QStringLiteral("Texto")),
                 (QStringList{"GARCIA", "GARRIDO"}));
        d->setModo(mbFonetica);
        d->pbBuscarClick();
        QCOMPARE(textos(d->ClientDataSet1, QStringLiteral("Texto")),
                 (QStringList{"AGARRE", "GARCIA", "GARRIDO"}));
        d->setModo(mbAproximada);
        d->DatoABuscar->setText(QStringLiteral("O'NEIL"));
        d->pbBuscarClick();
        QCOMPARE(textos(d->ClientDataSet1, QStringLiteral("Texto")).first(),
                 QStringLiteral("O'NEIL"));
        d->setModo(mbParcial);
        d->DatoABuscar->setText(QStringLiteral("a = ''"));
        d->pbBuscarClick();
        QCOMPARE(textos(d->ClientDataSet1, QStringLiteral("Texto")), QStringList{"a = ''x"});

        // A LIKE on a numeric column works on every engine.
        d->ListaCamposBusqueda->setText(QStringLiteral("CodigoOperario;Linea"));
        d->ResultadosOrdenados->setChecked(true);
        d->DatoABuscar->setText(QStringLiteral("1"));
        d->pbBuscarClick();
        QCOMPARE(d->ClientDataSet1->RecordCount(), 6);

        d->ClientDataSet1->First();
        d->pbConformeClick();
        QCOMPARE(d->ModalResult(), int(mrYes));
        QCOMPARE(d->ClaveSeleccionada, QStringLiteral("12\r\n3"));
        QString datos;
        LeerConfiguracionUsuario(&e.modulo, CodigoUsuarioActual, QStringLiteral("DatosBusqueda"),
                                 datos);
        QCOMPARE(datos, QStringLiteral("LINEAS:CodigoOperario;Linea(P)(O)"));
        d.reset();

        // The next opening starts with that entry, mode and ordering.
        d = ::dialogo();
        QCOMPARE(d->ListaCamposBusqueda->Text(), QStringLiteral("CodigoOperario;Linea"));
        QCOMPARE(d->Modo(), mbParcial);
        QVERIFY(d->ResultadosOrdenados->isChecked());
        QVERIFY(MessageSeam::log().isEmpty());
    }

    // A backslash is a character like any other on every engine (PostgreSQL
    // took it for its escape); "%" and "_" stay wildcards.
    void barraInvertida_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("modo");
        QTest::addColumn<QString>("dato");
        QTest::addColumn<QStringList>("filas");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "parcial unidad")
                << int(mbParcial) << QStringLiteral("C:\\") << QStringList{"C:\\", "C:\\DOCS"};
            NewEngineRow(e, "parcial carpeta")
                << int(mbParcial) << QStringLiteral("C:\\DOCS") << QStringList{"C:\\DOCS"};
            NewEngineRow(e, "fonetica barra") << int(mbFonetica) << QStringLiteral("\\")
                                              << QStringList{"C:\\", "C:\\DOCS", "DΩ\\X", "X\\Y"};
            NewEngineRow(e, "fuera de latin-1")
                << int(mbFonetica) << QStringLiteral("Ω\\") << QStringList{"DΩ\\X"};
            NewEngineRow(e, "comodines")
                << int(mbFonetica) << QStringLiteral("0_A") << QStringList{"50XA", "50_A"};
        }
    }
    void barraInvertida() {
        QFETCH(int, modo);
        QFETCH(QString, dato);
        QFETCH(QStringList, filas);
        Escenario e{CurrentEngine()};
        int linea = 1;
        for (const QString& texto :
             {"C:\\", "C:\\DOCS", "C:DOCS", "X\\Y", "50_A", "50XA", "50XXA", "DΩ\\X"})
            Sql(QStringLiteral(
                    "INSERT INTO LINEAS (CodigoOperario, Linea, Texto) VALUES (30, %1, %2)")
                    .arg(linea++)
                    .arg(SqlDialect::quoteString(texto)));
        auto d = ::dialogo();
        d->ListaCamposBusqueda->setText(QStringLiteral("Texto"));
        d->setModo(TModoBusqueda(modo));
        d->DatoABuscar->setText(dato);
        d->pbBuscarClick();
        QCOMPARE(textos(d->ClientDataSet1, QStringLiteral("Texto")), filas);
    }

    // Approximate search with pieces that are no numbers for numeric fields:
    // the statement runs on every engine and finds nothing; numbers compare
    // as numbers, also those a small integer does not hold.
    void aproximadaNumerica_data() { AddEngineRows(); }
    void aproximadaNumerica() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        auto d = ::dialogo();
        const struct {
            const char* dato;
            int filas;
        } casos[] = {{"a;b;c,d", 0}, {"Mayor, 5", 0}, {"13,x", 0},
                     {"12, 5", 1},   {"12;3.5", 2},   {"99999", 0}};
        for (const auto& c : casos) {
            d->DatoABuscar->setText(QString::fromLatin1(c.dato));
            d->pbBuscarClick(true);
            TQuery q;
            q.setDatabaseName(QStringLiteral("Database"));
            q.SQL().setText(d->UltimaSentencia());
            q.Open();  // raises what the engine says of it
            QCOMPARE(q.RecordCount(), c.filas);
            QCOMPARE(d->ClientDataSet1->Active() ? d->ClientDataSet1->RecordCount() : 0, c.filas);
        }
    }

    void resultadosYCancelacion_data() { AddEngineRows(); }
    void resultadosYCancelacion() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        MessageSeam::clearLog();
        auto d = ::dialogo(QStringLiteral("999"));
        d->pbBuscarClick();
        QVERIFY(d->ClientDataSet1->IsEmpty());
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("No hay datos que coincidan con el criterio de búsqueda"));
        d->pbConformeClick();
        QCOMPARE(d->ModalResult(), int(mrCancel));
        QVERIFY(d->ClaveSeleccionada.isEmpty());

        // A caller's filter lists its rows at once; an empty last key field is "NULL".
        CrearTablaPrueba(QStringLiteral("CLAVES"),
                         {{QStringLiteral("Grupo"), ftString, 5, true},
                          {QStringLiteral("Sub"), ftString, 5, true}},
                         {QStringLiteral("Grupo"), QStringLiteral("Sub")});
        Sql(QStringLiteral("INSERT INTO CLAVES (Grupo, Sub) VALUES ('A', '')"));
        Sql(QStringLiteral("INSERT INTO CLAVES (Grupo, Sub) VALUES ('B', 'x')"));
        auto c = std::unique_ptr<TfGENEBUSQ>(NewForm<TfGENEBUSQ>());
        c->TablaBusqueda = QStringLiteral("CLAVES");
        c->FiltroBusqueda = QStringLiteral("Grupo = 'A'");
        c->FormShow();
        QCOMPARE(c->ClientDataSet1->RecordCount(), 1);
        c->pbConformeClick();
        QCOMPARE(c->ClaveSeleccionada, QStringLiteral("A\r\nNULL"));

        // Unknown tables and columns find nothing and write nothing.
        c = std::unique_ptr<TfGENEBUSQ>(NewForm<TfGENEBUSQ>());
        c->TablaBusqueda = QStringLiteral("NOEXISTE");
        c->FormShow();
        QCOMPARE(c->ListaCamposBusqueda->count(), 0);
        c->pbBuscarClick();
        QVERIFY(c->UltimaSentencia().isEmpty());
        d = ::dialogo(QStringLiteral("12"));
        d->CamposVisibles = QStringLiteral("Texto,NoExiste");
        MessageSeam::clearLog();
        d->pbBuscarClick();
        QVERIFY(d->ClientDataSet1->IsEmpty());
        QCOMPARE(MessageSeam::log().size(), 1);
        d->pbConformeClick();
        QCOMPARE(d->ModalResult(), int(mrCancel));
    }

    // A clerk with a field hidden is offered no entry that is or holds it,
    // a preference saved for it comes back as none, and a search by it
    // finds nothing; the caller's own filter still restricts by it.
    void camposOcultos_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("oculto");
        QTest::addColumn<QString>("preferencia");
        QTest::addColumn<QString>("primera");
        for (Engine m : AvailableEngines()) {
            NewEngineRow(m, "campo suelto")
                << QStringLiteral("Texto") << QStringLiteral("LINEAS:Texto(P)(O)")
                << QStringLiteral("CodigoOperario;Linea");
            NewEngineRow(m, "en otra letra")
                << QStringLiteral("TEXTO") << QStringLiteral("LINEAS:texto(P)(O)")
                << QStringLiteral("CodigoOperario;Linea");
            NewEngineRow(m, "campo de la clave")
                << QStringLiteral("Linea") << QStringLiteral("LINEAS:CodigoOperario;Linea(P)(O)")
                << QStringLiteral("CodigoOperario");
        }
    }
    void camposOcultos() {
        QFETCH(int, engine);
        QFETCH(QString, oculto);
        QFETCH(QString, preferencia);
        QFETCH(QString, primera);
        Escenario e{Engine(engine)};
        GrabarConfiguracionUsuario(&e.modulo, CodigoUsuarioActual, QStringLiteral("DatosBusqueda"),
                                   preferencia);
        CamposNoVisiblesUsuario = oculto;
        const auto restaurar = qScopeGuard([] { CamposNoVisiblesUsuario.clear(); });
        MessageSeam::clearLog();

        auto d = ::dialogo();
        for (const QString& entrada : d->ListaCamposBusqueda->Items())
            QVERIFY2(!entrada.split(QLatin1Char(';')).contains(oculto, Qt::CaseInsensitive),
                     qPrintable(entrada));
        QCOMPARE(d->ListaCamposBusqueda->Text(), primera);
        QCOMPARE(d->Modo(), mbAproximada);
        QVERIFY(!d->ResultadosOrdenados->isChecked());

        // Chosen anyway, it searches nothing.
        d->ListaCamposBusqueda->setText(oculto);
        d->setModo(mbParcial);
        d->DatoABuscar->setText(QStringLiteral("GAR"));
        d->pbBuscarClick(true);
        QVERIFY(!d->ClientDataSet1->Active() || d->ClientDataSet1->IsEmpty());

        // The caller's filter is the program's: not judged.
        d = std::unique_ptr<TfGENEBUSQ>(NewForm<TfGENEBUSQ>());
        d->TablaBusqueda = QStringLiteral("LINEAS");
        d->FiltroBusqueda = QStringLiteral("Linea = 3 AND Texto = 'GARCIA'");
        d->FormShow();
        QCOMPARE(d->ClientDataSet1->RecordCount(), 1);
        QVERIFY(MessageSeam::log().isEmpty());
    }

    // Keys of the dialog on screen, and value filters of the result whose
    // values may hold quotes.
    void teclasYFiltrosDeValor() {
        Escenario e{Engine::Sqlite};
        auto d = ::dialogo(QStringLiteral("12"));
        d->Show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        d->DatoABuscar->setFocus();
        QTest::keyClick(d->DatoABuscar, Qt::Key_F3);
        QCOMPARE(d->Modo(), mbFonetica);
        QCoreApplication::processEvents();
        QTest::keyClick(d->DatoABuscar, Qt::Key_F3);
        QCOMPARE(d->Modo(), mbParcial);
        QTest::keyClick(d->DatoABuscar, Qt::Key_4, Qt::ControlModifier);
        QCOMPARE(d->ListaCamposBusqueda->ItemIndex(), 3);
        QCOMPARE(d->ListaCamposBusqueda->Text(), QStringLiteral("Texto"));
        d->ListaCamposBusqueda->setItemIndex(0);
        d->DatoABuscar->setFocus();
        QTest::keyClick(d->DatoABuscar, Qt::Key_Return);
        QCOMPARE(d->UltimaSentencia().isEmpty(), false);
        QCOMPARE(d->ClientDataSet1->RecordCount(), 3);

        d->DatoABuscar->setText(QString());
        d->pbBuscarClick();  // an empty box lists everything, approximately
        QCOMPARE(d->Modo(), mbAproximada);
        QCOMPARE(d->ClientDataSet1->RecordCount(), 6);
        d->DBGrid1->setSelectedField(d->ClientDataSet1->FieldByName(QStringLiteral("Texto")));
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("O'NEIL"));
        d->FiltrarRegistrosporValorClick(QStringLiteral("="));
        QCOMPARE(d->FiltroValores, QStringLiteral("(Texto = 'O''NEIL')"));
        QCOMPARE(textos(d->ClientDataSet1, QStringLiteral("Texto")), QStringList{"O'NEIL"});
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("Introduzca el valor del campo Texto"));
        d->CancelarFiltros1Click();
        MessageSeam::enqueue(QStringLiteral("B"));
        MessageSeam::enqueue(QStringLiteral("H"));
        d->FiltrarRegistrosporValoresDesdeHasta1Click();
        QCOMPARE(textos(d->ClientDataSet1, QStringLiteral("Texto")),
                 (QStringList{"GARCIA", "GARRIDO"}));

        // Esc clicks "Cancelar".
        QTest::keyClick(d->DatoABuscar, Qt::Key_Escape);
        QTRY_COMPARE(d->ModalResult(), int(mrCancel));
    }

    // Enter on "No hay datos..." closes the message and nothing else: the
    // search behind it does not run again (a loop stopped at the third).
    void introSobreElMensaje() {
        Escenario e{Engine::Sqlite};
        auto d = ::dialogo(QStringLiteral("999"));
        d->Show();
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        d->DatoABuscar->setFocus();
        MessageSeam::activate(true);
        int mensajes = 0;
        QTimer vigia;
        vigia.setInterval(5);
        connect(&vigia, &QTimer::timeout, [&mensajes] {
            auto* m = qobject_cast<TfGENEMENS*>(QApplication::activeModalWidget());
            if (!m || !m->isVisible()) return;
            if (mensajes >= 3) {
                m->pbAceptar->click();
                return;
            }
            if (m->property("visto").toBool() || !m->pbAceptar->hasFocus()) return;
            m->setProperty("visto", true);
            ++mensajes;
            QPointer<TfGENEMENS> p(m);
            QTimer::singleShot(0, m, [p] {
                if (p) QTest::keyClick(p->pbAceptar, Qt::Key_Return);
            });
        });
        vigia.start();
        QTest::keyClick(d->DatoABuscar, Qt::Key_Return);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        vigia.stop();
        QCOMPARE(mensajes, 1);
        QCOMPARE(MessageSeam::log().size(), 1);
        QVERIFY(d->isVisible());
        MessageSeam::activate();
    }
};

QTEST_MAIN(TestGeneBusq)
#include "tst_genebusq.moc"
