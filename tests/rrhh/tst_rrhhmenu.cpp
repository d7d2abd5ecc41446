// The main window on a temporary installation, on both engines: the first
// show with its log-in and first company, users without companies or access,
// the menu dispatch by access level, the company change, the currency view
// broadcast, the logo panel, the help keys and the about box.

#include <unistd.h>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QMdiArea>
#include <QMenu>
#include <QProcess>
#include <QTranslator>
#include <QtTest>
#include <cstdio>
#include <optional>

#include "db/clientdataset.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genelog.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genemone.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/geneacer.h"
#include "gene/listings/genecinf_filtro.h"
#include "gene/listings/genecinf_sql.h"
#include "gene/listings/genecsql.h"
#include "gene/listings/geneprev.h"
#include "gene/listings/geneuinf.h"
#include "gene/listings/geneusql.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/generejilla.h"
#include "gene/session/sesion.h"
#include "report/quickrep.h"
#include "rrhh/rrhhlpla.h"
#include "rrhh/rrhhmenu.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/loginprueba.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

// A business window of the menu, standing for the real ones.
class TfVentanaPrueba : public TForm {
    Q_OBJECT
public:
    TfVentanaPrueba(const QString& nombre, const QString& titulo, QWidget* owner) : TForm(owner) {
        setFormStyle(fsMDIChild);
        setName(nombre);
        setCaption(titulo);
    }
    static QStringList& llamadas() {
        static QStringList l;
        return l;
    }
};

// Takes Ctrl+E as the end of the line, as a line edit does under X11's key bindings.
class FinDeLinea : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::ShortcutOverride ||
            static_cast<QKeyEvent*>(e)->keyCombination() !=
                QKeyCombination(Qt::ControlModifier, Qt::Key_E))
            return false;
        e->accept();
        return true;
    }
};

// One that follows the currency view.
class TfVentanaMoneda : public TfVentanaPrueba {
    Q_OBJECT
public:
    using TfVentanaPrueba::TfVentanaPrueba;
    Q_INVOKABLE void VerDatosEnMonedaNacionalOEuroClick(QObject* Sender) {
        llamadas() << Name() + QLatin1Char(':') + Sender->objectName();
    }
};

void registrar(const char* clase, const char* nombre, const char* titulo, bool moneda = false) {
    const QString n = QLatin1String(nombre);
    const QString t = QString::fromUtf8(titulo);
    RegisterFormClass(QLatin1String(clase), [n, t, moneda](QWidget* owner) -> TForm* {
        if (moneda) return new TfVentanaMoneda(n, t, owner);
        return new TfVentanaPrueba(n, t, owner);
    });
}

const QString kEmpresa = QStringLiteral("Database");

QString sql(const QString& sentencia, const QString& selector = QStringLiteral("DatabaseGeneral")) {
    QString r;
    EjecutarSQL(nullptr, sentencia, selector, QStringLiteral("Silenciosa"), r);
    return r;
}

// Users other than the first administrator: USUARIO is made by a data module.
void agregarUsuario(const QString& codigo, const QString& empresas,
                    const QString& noAccesibles = QString(), const QString& activos = QString()) {
    if (!ModuloDatos) {
        TModuloDatos modulo;
    }
    TQuery q;
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("DatabaseGeneral")));
    q.SQL().setText(QStringLiteral(
        "INSERT INTO USUARIO (Codigo, Nombre, Categoria, ClaveAcceso, Configuracion, "
        "ProgramasNoAccesibles, ProgramasSoloLectura, ProgramasActivos, Empresas) VALUES (:c, "
        ":n, 'Normal', '', '', :na, '', :ac, :em)"));
    q.ParamByName(QStringLiteral("c"))->setAsString(codigo);
    q.ParamByName(QStringLiteral("n"))->setAsString(codigo);
    q.ParamByName(QStringLiteral("na"))->setAsString(noAccesibles);
    q.ParamByName(QStringLiteral("ac"))->setAsString(activos);
    q.ParamByName(QStringLiteral("em"))->setAsString(empresas);
    q.ExecSQL();
}

void agregarEmpresa(int codigo, const QString& abreviatura) {
    sql(QStringLiteral("INSERT INTO EMPRESA (Codigo, Nombre, Abreviatura) VALUES (%1, 'Empresa "
                       "%1', '%2')")
            .arg(codigo)
            .arg(abreviatura));
}

QStringList textos(const QString& tipo = QString()) {
    QStringList l;
    for (const auto& e : MessageSeam::log())
        if (tipo.isEmpty() || e.kind == tipo) l << e.text;
    return l;
}

// The option key of a dispatch entry, as the rights lists hold it.
QString claveSinAcceso(TfRRHHMENU* menu, const QString& item) {
    QString clave;
    ClaveOpcionMenu(ModuloDatos, menu->FindComponent(item), clave);
    return clave.remove(QLatin1Char('&'));
}

// A company chosen in the search window.
int empresaBuscada = 0;
void buscarEmpresa(const QString&, int, const QString&, QVariant& Clave, const QString&) {
    Clave = empresaBuscada == 0 ? QVariant() : QVariant(QVariantList{empresaBuscada});
}

// Runs the action once a listing's preview is on screen with its pages made,
// inside the loop the listing waits in. After a minute it closes the preview
// so that a broken run ends instead of waiting.
void EnPrevisualizacion(std::function<void(TfGENEPREV*)> accion) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    auto inicio = std::make_shared<QElapsedTimer>();
    inicio->start();
    QObject::connect(timer, &QTimer::timeout, [timer, accion, inicio] {
        TfGENEPREV* previa = fGENEPREV;
        const bool lista =
            previa && previa->isVisible() && previa->EstadoInforme == QLatin1String("Finalizada");
        if (!lista && inicio->elapsed() < 60000) return;
        timer->stop();
        timer->deleteLater();
        if (lista)
            accion(previa);
        else if (previa)
            previa->Close();
    });
    timer->start();
}

void damnificarBaseDatos(const QString& carpeta) {
    QFile archivo(carpeta + QStringLiteral("/datos.sqlite"));
    QVERIFY(archivo.open(QIODevice::WriteOnly | QIODevice::Truncate));
    archivo.write(QByteArray(4096, 'x'));
}

}  // namespace

class TestRRHHMenu : public QObject {
    Q_OBJECT

    std::unique_ptr<TestInstalacion> inst_;
    QPointer<TfRRHHMENU> menu_;

    // A fresh installation with companies 1 and 12, and the main window.
    void instalar(int engine, const QStringList& configuracion = {}) {
        OpcionesInstalacion o;
        o.empresas = {1, 12};
        o.configuracion = configuracion;
        inst_ = std::make_unique<TestInstalacion>(Engine(engine), o);
        QVERIFY(inst_->iniciada());
        agregarEmpresa(12, QStringLiteral("ACME"));
        sql(QStringLiteral("UPDATE EMPRESA SET Abreviatura = 'EMP1' WHERE Codigo = 1"));
        menu_ = NewForm<TfRRHHMENU>();
        MessageSeam::clearLog();
    }
    // PEPE, who may open companies 1 and 12, in on company 1 with the
    // personnel master open; the company is then chosen with buscarEmpresa.
    TForm* entrarConPersonal(int engine) {
        instalar(engine);
        agregarUsuario(QStringLiteral("PEPE"), QStringLiteral("1\r\n12"));
        entrar(QStringLiteral("PEPE"));
        GanchoBuscarConFiltroYValor = buscarEmpresa;
        qobject_cast<TMenuItem*>(menu_->FindComponent(QStringLiteral("MaestrodePersonal1")))
            ->Click();
        return BuscarFormularioAbierto(QStringLiteral("fRRHHPERS"));
    }
    // The first show of the main window for the user typed at the prompt.
    void entrar(const QString& usuario) {
        CodigoUsuarioInicial = usuario;
        MessageSeam::enqueue(usuario);
        menu_->FormShow(menu_);
    }

public:
    // The child's part of terminacionEnPrevisualizacion: the training-plan
    // listing waits in its preview when the program is asked to end, by a
    // kind "E" message ("E") or by the inactivity timer ("inactividad"). The
    // request is carried out as in the program (no test seam), inside the
    // application's own loop; the child says how far it got.
    void terminarConListado(const QString& como) {
        initTestCase();
        instalar(int(Engine::Sqlite));
        agregarUsuario(QStringLiteral("PEPE"), QStringLiteral("1"));
        entrar(QStringLiteral("PEPE"));
        TTable personal, plan;
        personal.setTableName(QStringLiteral("PERSONAL"));
        plan.setTableName(QStringLiteral("PLANFORM"));
        if (!AbrirTabla(fGENEINIC, &personal) || !AbrirTabla(fGENEINIC, &plan)) return;
        sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (1, 'GARCIA')"),
            QStringLiteral("Database"));
        sql(QStringLiteral("INSERT INTO PLANFORM (Ejercicio, CodigoOperario, Linea, "
                           "AccionFormativa, Tipo, Realizado, Revision, CodigoFormacion) VALUES "
                           "(%1, 1, 1, 'SOLDADURA', 'Interno', 'SI', 1, 'F1')")
                .arg(QDate::currentDate().year()),
            QStringLiteral("Database"));
        RegistrarTfRRHHLPLA();
        qobject_cast<TMenuItem*>(menu_->FindComponent(QStringLiteral("ListadodePlandeFormacin1")))
            ->Click();
        QPointer<TfRRHHLPLA> listado =
            qobject_cast<TfRRHHLPLA*>(BuscarFormularioAbierto(QStringLiteral("fRRHHLPLA")));
        if (!listado) return;
        EnPrevisualizacion([como](TfGENEPREV*) {
            std::printf("previsualizacion\n");
            std::fflush(stdout);
            MessageSeam::deactivate();
            if (como == QLatin1String("E")) {
                // The user reads the error and accepts it.
                auto* cierre = new QTimer;
                QObject::connect(cierre, &QTimer::timeout, [cierre] {
                    auto* d = qobject_cast<TfGENEMENS*>(QApplication::activeModalWidget());
                    if (!d || !d->isVisible()) return;
                    cierre->stop();
                    cierre->deleteLater();
                    d->close();
                });
                cierre->start(5);
                MensajeError(QStringLiteral("¡ Error de prueba !"));
            } else {
                TiempoForzarTerminacionAplicacion = QStringLiteral("1");
                UltimaActividad = QDateTime::currentDateTime().addSecs(-61);
                TimerAplicacionTimer(fGENEINIC, nullptr);
            }
        });
        listado->pbListarClick();
        std::printf("listado=%s\n", listado && !listado->ListadoEnCurso ? "fin" : "en curso");
        std::fflush(stdout);
    }

private Q_SLOTS:
    void initTestCase() {
        InstalarServiciosFormulario();
        registrar("TfRRHHPERS", "fRRHHPERS", "Maestro de Personal", true);
        registrar("TfRRHHCAND", "fRRHHCAND", "Maestro de Candidatos");
        registrar("TfGENEMTEX", "fGENEMTEX", "Maestro de Textos", true);
    }
    void cleanup() {
        delete menu_;
        delete ModuloDatos;
        inst_.reset();
        TfVentanaPrueba::llamadas().clear();
        CodigoUsuarioActual.clear();
        CodigoEmpresaActual = 0;
        GanchoBuscarConFiltroYValor = nullptr;
        AnularTerminacion();
    }

    void inicio_data() { AddEngineRows(); }
    void inicio() {
        QFETCH(int, engine);
        instalar(engine, {QStringLiteral("URLAccesoMenuWebDistribuidor=Ninguna")});
        QCOMPARE(menu_->Caption(), QStringLiteral("Recursos Humanos"));
        QVERIFY(!menu_->CambioEmpresa1->isEnabled());
        entrar(QStringLiteral("ADMIN"));
        QVERIFY(!TerminacionSolicitada());
        QCOMPARE(textos(), QStringList{"Introduzca el Código de Usuario:"});
        QCOMPARE(CodigoEmpresaActual, 1);
        QCOMPARE(CodigoUsuarioActual, QStringLiteral("ADMIN"));
        QCOMPARE(menu_->Caption(), QStringLiteral("EMP1: Recursos Humanos"));
        QCOMPARE(NombreEmpresaActual, QStringLiteral("Empresa 1"));
        QVERIFY(menu_->CambioEmpresa1->isEnabled());
        QVERIFY(menu_->ConsultasSQL1->isEnabled());
        QVERIFY(ModuloDatos != nullptr);
        // The currency item is checked and clicked at every creation of the
        // data modules: with a company it ends unchecked, the panel showing
        // the currency of that state.
        QVERIFY(!menu_->VerDatosenMonedaNacionalOEuro->Checked());
        QVERIFY(!menu_->PanelMoneda->isHidden());
        // No distributor's address: the link shows nothing and does nothing.
        QVERIFY(menu_->IrAPaginaWeb->Caption().isEmpty());
        QVERIFY(!menu_->IrAPaginaWeb->isEnabled());
        menu_->IrAPaginaWebClick(menu_->IrAPaginaWeb);
        // Every entry of the dispatch table is in the menu.
        for (const TOpcionMenuPrincipal& o : OpcionesMenuPrincipal()) {
            auto* item = qobject_cast<TMenuItem*>(menu_->FindComponent(QLatin1String(o.Item)));
            QVERIFY2(item, o.Item);
            QCOMPARE(item->Caption(), QString::fromUtf8(o.Caption));
            QCOMPARE(item->Parent()->objectName(), QLatin1String(o.Menu));
        }
        QCOMPARE(menu_->Tablas1->Items(0), menu_->Parametros1);
    }

    // Log-in failures end the program and nothing after them runs.
    void sinEntrada_data() { AddEngineRows(); }
    void sinEntrada() {
        QFETCH(int, engine);
        instalar(engine);
        entrar(QStringLiteral("NADIE"));
        QVERIFY(TerminacionSolicitada());
        QCOMPARE(textos(QStringLiteral("A")),
                 (QStringList{"¡El usuario no está definido!",
                              "No ha sido posible iniciar la aplicación (3). Póngase en contacto "
                              "con su distribuidor."}));
        QCOMPARE(CodigoEmpresaActual, 0);
        QCOMPARE(menu_->Caption(), QStringLiteral("Recursos Humanos"));
        QVERIFY(!menu_->CambioEmpresa1->isEnabled());

        // A user without access to the program itself.
        cleanup();
        instalar(engine);
        agregarUsuario(QStringLiteral("PEPE"), QStringLiteral("1"),
                       QStringLiteral("Recursos Humanos"));
        entrar(QStringLiteral("PEPE"));
        QVERIFY(TerminacionSolicitada());
        QCOMPARE(
            textos(QStringLiteral("A")),
            QStringList{"No ha sido posible iniciar la aplicación (4). Póngase en contacto con "
                        "su distribuidor."});
        QCOMPARE(CodigoEmpresaActual, 0);
    }

    // Users whose company list gives no company they may open.
    void sinEmpresas_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("empresas");
        for (Engine e : AvailableEngines()) {
            const QByteArray tag = EngineTag(e).toLatin1();
            QTest::newRow(QByteArray(tag + " vacia").constData()) << int(e) << QString();
            QTest::newRow(QByteArray(tag + " no numerica").constData())
                << int(e) << QStringLiteral("uno\r\n1");
            QTest::newRow(QByteArray(tag + " inexistente").constData())
                << int(e) << QStringLiteral("7");
        }
    }
    void sinEmpresas() {
        QFETCH(int, engine);
        QFETCH(QString, empresas);
        instalar(engine);
        agregarUsuario(QStringLiteral("PEPE"), empresas);
        entrar(QStringLiteral("PEPE"));
        QVERIFY(TerminacionSolicitada());
        QCOMPARE(textos(QStringLiteral("A")),
                 QStringList{"¡Ud. no tiene acceso a ninguna empresa!"});
        QCOMPARE(CodigoEmpresaActual, 0);
        QCOMPARE(menu_->Caption(), QStringLiteral("Recursos Humanos"));
        QVERIFY(!menu_->CambioEmpresa1->isEnabled());
    }

    // The dispatch: a level "Ninguno" opens nothing; an open window is
    // brought forward, never opened twice; unregistered windows open nothing.
    void despacho_data() { AddEngineRows(); }
    void despacho() {
        QFETCH(int, engine);
        instalar(engine);
        agregarUsuario(QStringLiteral("PEPE"), QStringLiteral("1"));
        entrar(QStringLiteral("PEPE"));
        QCOMPARE(CodigoEmpresaActual, 1);
        const QString clave = claveSinAcceso(menu_, QStringLiteral("MaestrodeCandidatos1"));
        QVERIFY(!clave.isEmpty());
        sql(QStringLiteral("UPDATE USUARIO SET ProgramasNoAccesibles = '") + clave +
            QStringLiteral("' WHERE Codigo = 'PEPE'"));
        MessageSeam::clearLog();

        qobject_cast<TMenuItem*>(menu_->FindComponent(QStringLiteral("MaestrodeCandidatos1")))
            ->Click();
        QVERIFY(!FormularioAbierto(ModuloDatos, QStringLiteral("fRRHHCAND")));
        QCOMPARE(textos(), QStringList{"Vd. no tiene acceso al programa " + clave});

        auto* personal =
            qobject_cast<TMenuItem*>(menu_->FindComponent(QStringLiteral("MaestrodePersonal1")));
        personal->Click();
        personal->Click();
        QVERIFY(FormularioAbierto(ModuloDatos, QStringLiteral("fRRHHPERS")));
        QCOMPARE(menu_->MDIChildCount(), 1);

        // A window whose unit is not part of the program yet opens nothing.
        for (const TOpcionMenuPrincipal& o : OpcionesMenuPrincipal()) {
            if (FormClassRegistered(QLatin1String(o.Clase))) continue;
            qobject_cast<TMenuItem*>(menu_->FindComponent(QLatin1String(o.Item)))->Click();
            QCOMPARE(menu_->MDIChildCount(), 1);
            break;
        }

        // The window list names the open window.
        menu_->ActualizarListaVentanas();
        QCOMPARE(menu_->Ventana1->Items(menu_->Ventana1->Count() - 1)->Caption(),
                 QStringLiteral("&1 Maestro de Personal"));
        menu_->ActualizarListaVentanas();
        QCOMPARE(menu_->Ventana1->Count(), 3);

        // Rights that cannot be read (the server stopped; on SQLite the
        // profile unreadable) open nothing, and the user is told why, once.
        sql(QStringLiteral("UPDATE USUARIO SET ProgramasNoAccesibles = '' WHERE Codigo = 'PEPE'"));
        auto* candidatos =
            qobject_cast<TMenuItem*>(menu_->FindComponent(QStringLiteral("MaestrodeCandidatos1")));
        QSqlDatabase general;  // taken before: asking for it later reconnects
        if (engine == int(Engine::Postgres)) {
            general = inst_->sesion()->DatabaseGeneral->connection();
            const QString pid = sql(QStringLiteral("SELECT pg_backend_pid()"));
            general.setPort(1);  // where no server listens
            sql(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid), kEmpresa);
            QTRY_COMPARE(
                sql(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE pid = ") + pid,
                    kEmpresa),
                QStringLiteral("0"));
        } else {
            sql(QStringLiteral("ALTER TABLE USUARIO RENAME COLUMN Categoria TO Roto"));
        }
        MessageSeam::clearLog();
        candidatos->Click();
        QVERIFY(!FormularioAbierto(ModuloDatos, QStringLiteral("fRRHHCAND")));
        QCOMPARE(textos().size(), 1);
        QVERIFY2(textos().first().startsWith(
                     QLatin1String("Error. No es posible ejecutar la sentencia SQL. Motivo: ")),
                 qPrintable(textos().first()));
        if (engine == int(Engine::Postgres))
            general.setPort(PostgresServerParams().port);
        else
            sql(QStringLiteral("ALTER TABLE USUARIO RENAME COLUMN Roto TO Categoria"));
        candidatos->Click();
        QVERIFY(FormularioAbierto(ModuloDatos, QStringLiteral("fRRHHCAND")));
    }

    // The database-engine diagnosis at the first show: only for a user whose
    // setting asks for it, never while DesactivarDiagnostico is "SI".
    void diagnostico_data() {
        QTest::addColumn<bool>("desactivado");
        QTest::addColumn<QString>("ajuste");
        QTest::addColumn<QStringList>("modos");
        QTest::newRow("pedido") << false << "SI" << QStringList{"MotorBaseDatos"};
        QTest::newRow("no pedido") << false << "NO" << QStringList();
        QTest::newRow("desactivado") << true << "SI" << QStringList();
    }
    void diagnostico() {
        QFETCH(bool, desactivado);
        QFETCH(QString, ajuste);
        QFETCH(QStringList, modos);
        instalar(int(Engine::Sqlite));
        agregarUsuario(QStringLiteral("PEPE"), QStringLiteral("1"));
        sql(QStringLiteral("UPDATE USUARIO SET Configuracion = 'DiagnosticoBaseDatosActivado=") +
            ajuste + QStringLiteral("' WHERE Codigo = 'PEPE'"));
        static QStringList llamados;
        llamados.clear();
        GanchoDiagnosticoInstalacion = [](TfGENEINIC*, const QString& Modo) {
            llamados << Modo;
            return 1;
        };
        DesactivarDiagnostico = desactivado;
        entrar(QStringLiteral("PEPE"));
        GanchoDiagnosticoInstalacion = nullptr;
        DesactivarDiagnostico = true;
        QCOMPARE(CodigoEmpresaActual, 1);
        QCOMPARE(llamados, modos);
    }

    // The user's automatic programs open at the first activation.
    void programasActivos_data() { AddEngineRows(); }
    void programasActivos() {
        QFETCH(int, engine);
        instalar(engine);
        agregarUsuario(QStringLiteral("PEPE"), QStringLiteral("1"));
        sql(QStringLiteral("UPDATE USUARIO SET ProgramasActivos = '") +
            claveSinAcceso(menu_, QStringLiteral("MaestrodePersonal1")) +
            QStringLiteral("' WHERE Codigo = 'PEPE'"));
        entrar(QStringLiteral("PEPE"));
        QVERIFY(FormularioAbierto(ModuloDatos, QStringLiteral("fRRHHPERS")));
        QVERIFY(!menu_->PrimeraActivacion);
        menu_->FormActivate(menu_);
        QCOMPARE(menu_->MDIChildCount(), 1);
    }

    // A window that will not close keeps the session on its company, that
    // window with what was typed in it, the other windows and the data
    // module: its close query says no, or the pending record (answered "NO",
    // to store it) cannot be stored, another user having taken its key.
    // Once it may close, the record is stored and the company changes.
    void cambioEmpresa_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("rechazo");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "close refused") << QStringLiteral("cierre");
            NewEngineRow(e, "record not stored") << QStringLiteral("grabación");
        }
    }
    void cambioEmpresa() {
        QFETCH(int, engine);
        QFETCH(QString, rechazo);
        QPointer<TForm> ventana = entrarConPersonal(engine);
        QVERIFY(ventana);
        MessageSeam::clearLog();

        // The same company, or nothing chosen: nothing happens.
        for (int elegida : {1, 0}) {
            empresaBuscada = elegida;
            menu_->CambioEmpresa1Click(menu_->CambioEmpresa1);
            QCOMPARE(CodigoEmpresaActual, 1);
        }
        QVERIFY(ventana);

        // A company the user may not open, or one that does not exist.
        agregarEmpresa(5, QStringLiteral("CINCO"));
        for (int elegida : {5, 99}) {
            MessageSeam::clearLog();
            empresaBuscada = elegida;
            menu_->CambioEmpresa1Click(menu_->CambioEmpresa1);
            QCOMPARE(textos(QStringLiteral("A")),
                     QStringList{"¡Ud. no tiene acceso a esta empresa!"});
            QCOMPARE(CodigoEmpresaActual, 1);
            QCOMPARE(menu_->Caption(), QStringLiteral("EMP1: Recursos Humanos"));
            QVERIFY(ventana);
        }

        // A window that will not close. The candidates' window, opened
        // after it, is asked first and would close.
        qobject_cast<TMenuItem*>(menu_->FindComponent(QStringLiteral("MaestrodeCandidatos1")))
            ->Click();
        QPointer<TForm> candidatos = BuscarFormularioAbierto(QStringLiteral("fRRHHCAND"));
        QVERIFY(candidatos);
        QPointer<TTable> personal = new TTable(ventana);
        personal->setObjectName(QStringLiteral("Table1"));
        personal->setTableName(QStringLiteral("PERSONAL"));
        QVERIFY(AbrirTabla(fGENEINIC, personal));
        const QString nombre = QStringLiteral("GARCÍA|;·Łódź");
        personal->Append();
        personal->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(7);
        personal->FieldByName(QStringLiteral("Nombre"))->setAsString(nombre);
        const auto pendiente = [](QObject* Sender, bool& CanClose) {
            ComprobarEdicionPendiente(fGENEINIC, Sender, CanClose);
        };
        if (rechazo == QLatin1String("cierre")) {
            ventana->OnCloseQuery = [](QObject*, bool& CanClose) { CanClose = false; };
        } else {
            ventana->OnCloseQuery = pendiente;
            QTest::ignoreMessage(QtWarningMsg, "Key violation");
            sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (7, 'OTRO')"),
                QStringLiteral("Database"));
        }
        QPointer<TModuloDatos> modulo = ModuloDatos;
        empresaBuscada = 12;
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("NO"));
        menu_->CambioEmpresa1Click(menu_->CambioEmpresa1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QString sinUsar;
        QCOMPARE(MessageSeam::take(sinUsar), rechazo == QLatin1String("cierre"));
        QCOMPARE(CodigoEmpresaActual, 1);
        QCOMPARE(menu_->Caption(), QStringLiteral("EMP1: Recursos Humanos"));
        QVERIFY(ventana && candidatos && personal);
        QVERIFY(modulo && modulo == ModuloDatos);
        QCOMPARE(personal->State(), dsInsert);
        QCOMPARE(personal->FieldByName(QStringLiteral("CodigoOperario"))->AsInteger(), 7);
        QCOMPARE(personal->FieldByName(QStringLiteral("Nombre"))->AsString(), nombre);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM PERSONAL"), QStringLiteral("Database")),
                 rechazo == QLatin1String("cierre") ? QStringLiteral("0") : QStringLiteral("1"));
        if (rechazo != QLatin1String("cierre")) {
            // Asked once (the key violation goes to the program's handler).
            const QStringList dichos = textos();
            QCOMPARE(dichos.size(), 1);
            QVERIFY2(dichos.first().endsWith(QStringLiteral(
                         " cuya grabación no ha sido confirmada. ¿Desea cancelar la grabación?")),
                     qPrintable(dichos.first()));
        }

        // Another company: its windows close, the caption shows it.
        personal->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(8);
        ventana->OnCloseQuery = pendiente;
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("NO"));
        menu_->CambioEmpresa1Click(menu_->CambioEmpresa1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(CodigoEmpresaActual, 12);
        QCOMPARE(menu_->Caption(), QStringLiteral("ACME: Recursos Humanos"));
        QVERIFY(!ventana && !candidatos);
        QVERIFY(ModuloDatos != nullptr);
        QVERIFY(menu_->PrimeraActivacion == false);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM PERSONAL"), QStringLiteral("Database")),
                 QStringLiteral("0"));
        // The record was stored in the company it was typed in.
        empresaBuscada = 1;
        menu_->CambioEmpresa1Click(menu_->CambioEmpresa1);
        QCOMPARE(CodigoEmpresaActual, 1);
        QCOMPARE(sql(QStringLiteral("SELECT Nombre FROM PERSONAL WHERE CodigoOperario = 8"),
                     QStringLiteral("Database")),
                 nombre);
    }

    // A listing waiting in its preview when a kind "E" message or the
    // inactivity timer ends the program: the listing ends, the program ends
    // with code 1, and nothing crashes on the way out.
    void terminacionEnPrevisualizacion_data() {
        QTest::addColumn<QString>("como");
        QTest::newRow("mensaje E") << "E";
        QTest::newRow("inactividad") << "inactividad";
    }
    void terminacionEnPrevisualizacion() {
        QFETCH(QString, como);
        QProcess hija;
        hija.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        hija.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--terminar-con-listado"), como});
        QVERIFY(hija.waitForFinished(120000));
        const QByteArray salida = hija.readAllStandardOutput();
        QCOMPARE(hija.exitStatus(), QProcess::NormalExit);
        QVERIFY2(salida.contains("previsualizacion\nlistado=fin\nsalida=1\n"), salida.constData());
        QCOMPARE(hija.exitCode(), 1);
    }

    // A query or a report saved or deleted shows in "Adicional" or
    // "Informes" at once, not after the next start.
    void menusConsultas() {
        instalar(int(Engine::Sqlite));
        entrar(QStringLiteral("ADMIN"));
        const auto dinamicos = [](TMenuItem* padre) {
            QStringList c;
            for (int i = 0; i < padre->Count(); ++i)
                if (padre->Items(i)->Tag() == 100) c << padre->Items(i)->Caption();
            return c;
        };
        QCOMPARE(dinamicos(menu_->Adicional1), QStringList());
        const QStringList configuracion{"-", "Configuración de Informes Personalizados"};
        QCOMPARE(dinamicos(menu_->Informes1), configuracion);

        InstalarConsultasSQL();
        QPointer<TfGENECSQL> consulta =
            static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL")));
        consulta->SentenciaSQL->setText(QStringLiteral("SELECT Codigo FROM EMPRESA"));
        consulta->InstruccionesConsulta = {
            QStringLiteral("AplicacionesContenedoras=Recursos Humanos,")};
        MessageSeam::enqueue(QStringLiteral("Empresas"));
        consulta->pbGuardarFiltroComoClick();
        QCOMPARE(dinamicos(menu_->Adicional1), (QStringList{"-", "Empresas"}));
        MessageSeam::enqueue(QStringLiteral("SI"));
        consulta->pbEliminarFiltroClick();
        QCOMPARE(dinamicos(menu_->Adicional1), QStringList());
        delete consulta;

        DefinicionInforme d;
        d.Tablas = QStringList{QStringLiteral("EMPRESA")};
        d.Columnas = QStringList{QStringLiteral("EMPRESA.Codigo")};
        d.AplicacionesContenedoras = QStringLiteral("Recursos Humanos,");
        QString motivo;
        QVERIFY(EscribirInforme(QStringLiteral("Altas"), QStringLiteral("SELECT 1\r\n"),
                                ComponerInstrucciones(d), motivo));
        QCOMPARE(dinamicos(menu_->Informes1), (configuracion + QStringList{"-", "Altas"}));
        QVERIFY(EliminarInforme(QStringLiteral("Altas")));
        QCOMPARE(dinamicos(menu_->Informes1), configuracion);
    }

    // Saved queries and reports whose names hold "&": each entry shows the
    // name as stored and runs its own, also beside one named the same
    // without it; opening one closes only its own earlier window.
    void entradasConAmpersand_data() { AddEngineRows(); }
    void entradasConAmpersand() {
        QFETCH(int, engine);
        instalar(engine);
        entrar(QStringLiteral("ADMIN"));
        InstalarConsultasSQL();
        RegistrarTfGENEUINF();
        const QStringList nombres{"A&B", "AB", "I+D & Ventas"};
        DefinicionInforme d;
        d.AplicacionesContenedoras = QStringLiteral("Recursos Humanos,");
        for (int i = 0; i < nombres.size(); ++i) {
            QString motivo;
            QVERIFY(EscribirInforme(nombres[i], QStringLiteral("SELECT %1 AS N\r\n").arg(i + 1),
                                    ComponerInstrucciones(d), motivo));
            sql(QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro, "
                               "Instrucciones) VALUES ('SQL', %1, 'SELECT %2 AS N', "
                               "'AplicacionesContenedoras=Recursos Humanos,')")
                    .arg(Entrecomillar(nombres[i]))
                    .arg(i + 11),
                QStringLiteral("Database"));
        }
        MenusConsultasModificados();
        const auto entrada = [](TMenuItem* padre, const QString& nombre) -> TMenuItem* {
            for (int i = 0; i < padre->Count(); ++i)
                if (padre->Items(i)->Tag() == 100 &&
                    padre->Items(i)->Caption() == QString(nombre).replace("&", "&&"))
                    return padre->Items(i);
            return nullptr;
        };
        const auto ventanas = [this](const char* clase) {
            QStringList l;
            for (int i = 0; i < menu_->MDIChildCount(); ++i)
                if (TForm* hijo = menu_->MDIChildren(i); hijo && hijo->inherits(clase))
                    l << hijo->Caption();
            l.sort();
            return l;
        };
        for (int i = 0; i < nombres.size(); ++i) {
            MessageSeam::clearLog();
            TMenuItem* informe = entrada(menu_->Informes1, nombres[i]);
            QVERIFY2(informe, qPrintable(nombres[i]));
            QCOMPARE(informe->text(), QString(nombres[i]).replace("&", "&&"));
            informe->Click();
            QCOMPARE(textos(), QStringList());
            QVERIFY(fGENEUINF);
            QCOMPARE(fGENEUINF->Caption(), nombres[i]);
            QCOMPARE(fGENEUINF->EjecutarConsultaInforme(), QString());
            QCOMPARE(fGENEUINF->ClientDataSet1->Fields()[0]->AsInteger(), i + 1);

            TMenuItem* consulta = entrada(menu_->Adicional1, nombres[i]);
            QVERIFY2(consulta, qPrintable(nombres[i]));
            consulta->Click();
            QCOMPARE(textos(), QStringList());
            auto* abierta = qobject_cast<TfGENEUSQL*>(menu_->ActiveMDIChild());
            QVERIFY(abierta);
            QCOMPARE(abierta->Caption(), nombres[i]);
            QCOMPARE(abierta->ClientDataSet1->Fields()[0]->AsInteger(), i + 11);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QCOMPARE(ventanas("TfGENEUINF"), nombres);
        QCOMPARE(ventanas("TfGENEUSQL"), nombres);
        // Opened again, the earlier window of that name goes, no other.
        entrada(menu_->Adicional1, "AB")->Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(ventanas("TfGENEUSQL"), nombres);
    }

    // A listing waiting in its preview: the company change, the exit, the
    // dialog's own close and a master reopening it all leave it alone, with
    // a warning; once the preview is closed the company changes.
    void listadoEnCurso_data() { AddEngineRows(); }
    void listadoEnCurso() {
        QFETCH(int, engine);
        instalar(engine);
        agregarUsuario(QStringLiteral("PEPE"), QStringLiteral("1\r\n12"));
        entrar(QStringLiteral("PEPE"));
        QCOMPARE(CodigoEmpresaActual, 1);
        TTable personal, plan;
        personal.setTableName(QStringLiteral("PERSONAL"));
        plan.setTableName(QStringLiteral("PLANFORM"));
        QVERIFY(AbrirTabla(fGENEINIC, &personal) && AbrirTabla(fGENEINIC, &plan));
        const QString ejercicio = QString::number(QDate::currentDate().year());
        sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (1, 'GARCIA')"),
            QStringLiteral("Database"));
        sql(QStringLiteral("INSERT INTO PLANFORM (Ejercicio, CodigoOperario, Linea, "
                           "AccionFormativa, Tipo, Realizado, Revision, CodigoFormacion) VALUES "
                           "(%1, 1, 1, 'SOLDADURA', 'Interno', 'SI', 1, 'F1')")
                .arg(ejercicio),
            QStringLiteral("Database"));
        GanchoBuscarConFiltroYValor = buscarEmpresa;
        empresaBuscada = 12;
        RegistrarTfRRHHLPLA();
        qobject_cast<TMenuItem*>(menu_->FindComponent(QStringLiteral("ListadodePlandeFormacin1")))
            ->Click();
        QPointer<TForm> dialogo = BuscarFormularioAbierto(QStringLiteral("fRRHHLPLA"));
        auto* listado = qobject_cast<TfRRHHLPLA*>(dialogo.data());
        QVERIFY(listado);
        MessageSeam::clearLog();

        const QString aviso = QStringLiteral(
            "¡Hay un listado o proceso en curso en Listado de Plan de Formación! Finalícelo o "
            "cierre su previsualización antes de continuar.");
        bool probado = false;
        EnPrevisualizacion([&](TfGENEPREV* previa) {
            menu_->CambioEmpresa1Click(menu_->CambioEmpresa1);
            QCOMPARE(CodigoEmpresaActual, 1);
            menu_->SalirAplicacion(menu_->Salir1);
            QVERIFY(!menu_->close());
            dialogo->Close();
            TForm* otro = nullptr;
            AbrirFormulario(ModuloDatos, QStringLiteral("TfRRHHLPLA"), otro,
                            QStringLiteral("Create"), QStringLiteral("fRRHHLPLA"));
            QCOMPARE(otro, dialogo.data());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(menu_ && dialogo);
            QCOMPARE(menu_->MDIChildCount(), 1);
            QCOMPARE(textos(QStringLiteral("A")), QStringList(3, aviso));
            probado = true;
            previa->Close();
        });
        listado->pbListarClick();
        QVERIFY(probado);
        QVERIFY(dialogo);
        QVERIFY(!listado->ListadoEnCurso);

        menu_->CambioEmpresa1Click(menu_->CambioEmpresa1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(CodigoEmpresaActual, 12);
        QVERIFY(!dialogo);
    }

    // A company whose database cannot be read, or a window that will not
    // close, keeps the session on the company open, with its module and its
    // windows; a first company that cannot be read ends the start with the
    // start-up message.
    void empresaIlegible() {
        instalar(int(Engine::Sqlite));
        agregarUsuario(QStringLiteral("PEPE"), QStringLiteral("1\r\n12"));
        entrar(QStringLiteral("PEPE"));
        GanchoBuscarConFiltroYValor = buscarEmpresa;
        qobject_cast<TMenuItem*>(menu_->FindComponent(QStringLiteral("MaestrodePersonal1")))
            ->Click();
        QPointer<TForm> ventana = BuscarFormularioAbierto(QStringLiteral("fRRHHPERS"));
        QVERIFY(ventana);
        QPointer<TModuloDatos> modulo = ModuloDatos;

        // The window refuses: nothing changes.
        ventana->OnCloseQuery = [](QObject*, bool& puede) { puede = false; };
        empresaBuscada = 12;
        MessageSeam::clearLog();
        menu_->CambioEmpresa1Click(menu_->CambioEmpresa1);
        QCOMPARE(CodigoEmpresaActual, 1);
        QVERIFY(ventana && modulo == ModuloDatos);
        QVERIFY(textos().isEmpty());
        ventana->OnCloseQuery = nullptr;

        damnificarBaseDatos(inst_->ubicacionEmpresa(12));
        menu_->CambioEmpresa1Click(menu_->CambioEmpresa1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QStringList avisos = textos(QStringLiteral("A"));
        QCOMPARE(avisos.size(), 1);
        QVERIFY2(avisos.first().startsWith(
                     QStringLiteral("¡No ha sido posible abrir la empresa!. Motivo: ")),
                 qPrintable(avisos.first()));
        QCOMPARE(CodigoEmpresaActual, 1);
        QCOMPARE(menu_->Caption(), QStringLiteral("EMP1: Recursos Humanos"));
        QCOMPARE(NombreEmpresaActual, QStringLiteral("Empresa 1"));
        QVERIFY(ventana);
        QVERIFY(modulo && modulo == ModuloDatos);
        QVERIFY(!sql(QStringLiteral("SELECT COUNT(*) FROM PARAGENE"), QStringLiteral("Database"))
                     .startsWith(QStringLiteral("Error.")));

        cleanup();
        instalar(int(Engine::Sqlite));
        agregarUsuario(QStringLiteral("PEPE"), QStringLiteral("12\r\n1"));
        damnificarBaseDatos(inst_->ubicacionEmpresa(12));
        entrar(QStringLiteral("PEPE"));
        QVERIFY(TerminacionSolicitada());
        const QStringList errores = textos(QStringLiteral("E"));
        QCOMPARE(errores.size(), 1);
        QVERIFY2(errores.first().startsWith(
                     QStringLiteral("¡Imposible iniciar la aplicación!. Motivo: ")),
                 qPrintable(errores.first()));
        QVERIFY(!menu_->CambioEmpresa1->isEnabled());
    }

    // A company whose database was made and is gone is refused before any
    // window closes, naming it; nothing is made in its place.
    void empresaPerdida_data() { AddEngineRows(); }
    void empresaPerdida() {
        QFETCH(int, engine);
        QPointer<TForm> ventana = entrarConPersonal(engine);
        QVERIFY(ventana);
        const QString archivo = inst_->ubicacionEmpresa(12) + QStringLiteral("/datos.sqlite");
        if (Engine(engine) == Engine::Sqlite)
            for (const char* resto : {"", "-wal", "-shm"})
                QFile::remove(archivo + QLatin1String(resto));
        else
            sql(QStringLiteral("DROP SCHEMA ") + inst_->ubicacionEmpresa(12) +
                QStringLiteral(" CASCADE"));
        empresaBuscada = 12;
        MessageSeam::clearLog();
        menu_->CambioEmpresa1Click(menu_->CambioEmpresa1);
        const QStringList avisos = textos(QStringLiteral("A"));
        QCOMPARE(avisos.size(), 1);
        QVERIFY2(avisos.first().startsWith(QStringLiteral(
                     "¡No ha sido posible abrir la empresa!. Motivo: ¡ Falta la Base de Datos de "
                     "la empresa 12 (")),
                 qPrintable(avisos.first()));
        QCOMPARE(CodigoEmpresaActual, 1);
        QVERIFY(ventana);
        if (Engine(engine) == Engine::Sqlite)
            QVERIFY(!QFileInfo::exists(archivo));
        else
            QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM pg_namespace WHERE nspname = '") +
                         inst_->ubicacionEmpresa(12) + QLatin1Char('\'')),
                     QStringLiteral("0"));
    }

    // A company whose database cannot be made (PostgreSQL: the program's
    // login may not create schemas; SQLite: its folder may not be written):
    // the clerk is told why and stays on the company he had, the program
    // goes on, and nothing of the new company is left behind.
    void empresaQueNoSePuedeCrear_data() { AddEngineRows(); }
    void empresaQueNoSePuedeCrear() {
        QFETCH(int, engine);
        const bool sqlite = Engine(engine) == Engine::Sqlite;
        if (sqlite && ::geteuid() == 0) QSKIP("root writes in any folder");
        std::optional<TLoginPrueba> login;
        if (!sqlite) login.emplace();
        instalar(engine);
        agregarEmpresa(13, QStringLiteral("TRECE"));
        agregarUsuario(QStringLiteral("PEPE"), QStringLiteral("1\r\n13"));
        entrar(QStringLiteral("PEPE"));
        GanchoBuscarConFiltroYValor = buscarEmpresa;
        QCOMPARE(CodigoEmpresaActual, 1);
        const QString carpeta = inst_->ubicacionEmpresa(13);
        if (sqlite) {
            QVERIFY(QDir().mkpath(carpeta));
            QVERIFY(QFile::setPermissions(carpeta, QFile::ReadOwner | QFile::ExeOwner));
        } else {
            login->QuitarCrearEsquemas();
        }
        empresaBuscada = 13;
        MessageSeam::clearLog();
        menu_->CambioEmpresa1Click(menu_->CambioEmpresa1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (sqlite)
            QFile::setPermissions(carpeta, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!TerminacionSolicitada());
        QCOMPARE(textos(QStringLiteral("E")), QStringList());
        const QStringList avisos = textos(QStringLiteral("A"));
        QCOMPARE(avisos.size(), 1);
        QVERIFY2(avisos.first().startsWith(
                     QStringLiteral("¡No ha sido posible abrir la empresa!. Motivo: ¡Imposible "
                                    "crear la base de datos ")),
                 qPrintable(avisos.first()));
        QCOMPARE(CodigoEmpresaActual, 1);
        QCOMPARE(menu_->Caption(), QStringLiteral("EMP1: Recursos Humanos"));
        QVERIFY(ModuloDatos != nullptr);
        QCOMPARE(sql(QStringLiteral("SELECT Abreviatura FROM EMPRESA WHERE Codigo = 1")),
                 QStringLiteral("EMP1"));
        QVERIFY(!sql(QStringLiteral("SELECT COUNT(*) FROM PARAGENE"), QStringLiteral("Database"))
                     .startsWith(QStringLiteral("Error.")));
        if (sqlite)
            QCOMPARE(QDir(carpeta).entryList(QDir::Files), QStringList());
        else
            QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM pg_namespace WHERE nspname = '") +
                         carpeta + QLatin1Char('\'')),
                     QStringLiteral("0"));
        // The session works on: the personnel master opens on company 1.
        qobject_cast<TMenuItem*>(menu_->FindComponent(QStringLiteral("MaestrodePersonal1")))
            ->Click();
        QVERIFY(BuscarFormularioAbierto(QStringLiteral("fRRHHPERS")));
        cleanup();
    }

    // The currency view: the panel's caption by the base currency, and the
    // call by name to every other window, from the last to the first.
    void moneda_data() { AddEngineRows(); }
    void moneda() {
        QFETCH(int, engine);
        instalar(engine);
        entrar(QStringLiteral("ADMIN"));
        for (const char* item : {"MaestrodeTextos1", "MaestrodeCandidatos1", "MaestrodePersonal1"})
            qobject_cast<TMenuItem*>(menu_->FindComponent(QLatin1String(item)))->Click();
        QCOMPARE(menu_->MDIChildCount(), 3);
        TfVentanaPrueba::llamadas().clear();

        ModuloDatos->MonedaBaseDistintaNacional = false;
        menu_->VerDatosenMonedaNacionalOEuroClick(nullptr);
        QVERIFY(menu_->VerDatosenMonedaNacionalOEuro->Checked());
        QVERIFY(!menu_->PanelMoneda->isHidden());
        QCOMPARE(menu_->PanelMoneda->Caption(), QStringLiteral("€"));
        QCOMPARE(menu_->PanelMoneda->font().pointSize(), 36);
        QCOMPARE(TfVentanaPrueba::llamadas(),
                 (QStringList{"fRRHHPERS:fRRHHPERS", "fGENEMTEX:fGENEMTEX"}));

        // The other state shows too, its white letters on a dark ground.
        menu_->VerDatosenMonedaNacionalOEuroClick(nullptr);
        QVERIFY(!menu_->PanelMoneda->isHidden());
        QCOMPARE(menu_->PanelMoneda->Caption(), QStringLiteral("Pts"));
        QCOMPARE(menu_->PanelMoneda->font().pointSize(), 18);
        const QPalette colores = menu_->PanelMoneda->palette();
        QCOMPARE(colores.color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(colores.color(QPalette::Window).lightness() < 80);

        ModuloDatos->MonedaBaseDistintaNacional = true;
        menu_->VerDatosenMonedaNacionalOEuroClick(nullptr);
        QCOMPARE(menu_->PanelMoneda->Caption(), QStringLiteral("Pts"));

        // Ctrl+E pressed on the window switches the view, also while a field
        // of an open window has the keyboard.
        menu_->show();
        QVERIFY(QTest::qWaitForWindowActive(menu_));
        TForm* hijo = menu_->ActiveMDIChild();
        QVERIFY(hijo);
        auto* campo = new TEdit(hijo);
        FinDeLinea finDeLinea;
        campo->installEventFilter(&finDeLinea);
        campo->show();
        campo->setFocus();
        QTRY_VERIFY(campo->hasFocus());
        for (QWidget* destino : {static_cast<QWidget*>(menu_), static_cast<QWidget*>(campo)}) {
            const bool antes = menu_->VerDatosenMonedaNacionalOEuro->Checked();
            TfVentanaPrueba::llamadas().clear();
            QTest::keyClick(destino, Qt::Key_E, Qt::ControlModifier);
            QCOMPARE(menu_->VerDatosenMonedaNacionalOEuro->Checked(), !antes);
            QCOMPARE(menu_->PanelMoneda->Caption(),
                     antes ? QStringLiteral("€") : QStringLiteral("Pts"));
            QCOMPARE(TfVentanaPrueba::llamadas(),
                     (QStringList{"fRRHHPERS:fRRHHPERS", "fGENEMTEX:fGENEMTEX"}));
        }
        QVERIFY(campo->Text().isEmpty());

        // Without a company the item keeps its state.
        CodigoEmpresaActual = 0;
        menu_->VerDatosenMonedaNacionalOEuroClick(nullptr);
        QVERIFY(menu_->VerDatosenMonedaNacionalOEuro->Checked());
    }

    // Each click narrows the logo by 20 pixels, back to 160 at 0; a damaged
    // picture leaves the panel empty.
    void logotipo() {
        instalar(int(Engine::Sqlite), {QStringLiteral("VisualizarLogoEmpresaEnMenu=SI")});
        QFile roto(inst_->carpeta() + QStringLiteral("/LOGO.BMP"));
        QVERIFY(roto.open(QIODevice::WriteOnly));
        roto.write("BM no es un mapa de bits");
        roto.close();
        entrar(QStringLiteral("ADMIN"));
        QVERIFY(!TerminacionSolicitada());
        QVERIFY(!menu_->PanelLogotipo->isHidden());
        QVERIFY(menu_->ImagenLogotipo->Picture().isNull());

        QList<QSize> tamanos;
        for (int i = 0; i < 5; ++i) {
            menu_->ImagenLogotipoClick(menu_->ImagenLogotipo);
            tamanos << menu_->PanelLogotipo->size();
        }
        QCOMPARE(tamanos, (QList<QSize>{{80, 60}, {60, 45}, {40, 30}, {20, 15}, {160, 120}}));
    }

    // F1: the program's help with no window open, the active window's with one.
    void teclaAyuda() {
        instalar(int(Engine::Sqlite));
        entrar(QStringLiteral("ADMIN"));
        const QKeySequence f1(Qt::Key_F1);
        menu_->Ayuda1Click(menu_->Ayuda1);
        QCOMPARE(menu_->AyudadeMenu->Caption(), QStringLiteral("&Ayuda de Recursos Humanos"));
        QCOMPARE(menu_->AcercadeMenu->Caption(), QStringLiteral("A&cerca de Recursos Humanos"));
        QCOMPARE(menu_->LoNuevoDeMenu->Caption(), QStringLiteral("Lo &Nuevo de Recursos Humanos"));
        QCOMPARE(menu_->AyudadeMenu->shortcut(), f1);
        QVERIFY(!menu_->Ayudade->isVisible());

        qobject_cast<TMenuItem*>(menu_->FindComponent(QStringLiteral("MaestrodePersonal1")))
            ->Click();
        menu_->Ayuda1Click(menu_->Ayuda1);
        QCOMPARE(menu_->Ayudade->shortcut(), f1);
        QVERIFY(menu_->AyudadeMenu->shortcut().isEmpty());
        QVERIFY(menu_->Ayudade->isVisible());
        QCOMPARE(menu_->Ayudade->Caption(), QStringLiteral("A&yuda de Maestro de Personal"));

        MessageSeam::clearLog();
        menu_->LoNuevoDeMenuClick(nullptr);
        QCOMPARE(textos(QStringLiteral("I")),
                 QStringList{"Está opción estará disponible en próximas versiones."});
    }

    // After the log-in the main window is the active one, whatever window
    // had the keyboard meanwhile (the one the program was started from, which
    // a window manager gives it back to when the prompt closes): Alt+V opens
    // its "Ventana" menu at once.
    void focoTrasEntrar() {
        instalar(int(Engine::Sqlite));
        CodigoUsuarioInicial = QStringLiteral("ADMIN");
        MessageSeam::enqueue(QStringLiteral("ADMIN"));
        menu_->show();
        // The log-in runs once the window is shown; the other window is
        // active by then.
        QWidget terminal;
        terminal.show();
        terminal.activateWindow();
        QTRY_COMPARE(CodigoEmpresaActual, 1);
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(menu_));
        QTest::keyClick(QApplication::activeWindow(), Qt::Key_V, Qt::AltModifier);
        QTRY_VERIFY(menu_->Ventana1->SubMenu()->isVisible());
        menu_->Ventana1->SubMenu()->close();
    }

    // Alt+V opens "Ventana" with the open windows listed while a window is
    // open, and the window stays the active one.
    void menuVentana() {
        instalar(int(Engine::Sqlite));
        entrar(QStringLiteral("ADMIN"));
        menu_->show();
        QVERIFY(QTest::qWaitForWindowActive(menu_));
        qobject_cast<TMenuItem*>(menu_->FindComponent(QStringLiteral("MaestrodePersonal1")))
            ->Click();
        TForm* hijo = menu_->ActiveMDIChild();
        QVERIFY(hijo);
        QTest::keyClick(menu_, Qt::Key_V, Qt::AltModifier);
        QMenu* ventana = menu_->Ventana1->SubMenu();
        QTRY_VERIFY(ventana->isVisible());
        QStringList lineas;
        for (QAction* a : ventana->actions()) lineas << a->text();
        QCOMPARE(lineas, (QStringList{"&Organizar Iconos", "", "&1 Maestro de Personal"}));
        QCOMPARE(menu_->ActiveMDIChild(), hijo);
        ventana->close();
    }

    void acercaDe() {
        const QString texto = TextoVersion();
        QVERIFY2(
            QRegularExpression(
                QStringLiteral("^Versión 2024b - \\(\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d\\)$"))
                .match(texto)
                .hasMatch(),
            qPrintable(texto));
        TfGENEACER acerca;
        QCOMPARE(acerca.Version->Caption(), texto);
        for (TPanel* p : {acerca.Panel1, acerca.Panel2, acerca.Panel3, acerca.Panel4})
            QCOMPARE(p->Color(), int(clBlack));
        // Enter closes it.
        QTimer::singleShot(0, [&acerca] { QTest::keyClick(acerca.pbCerrar, Qt::Key_Return); });
        QTimer::singleShot(2000, [&acerca] { acerca.setModalResult(mrCancel); });
        QCOMPARE(acerca.ShowModal(), int(mrOk));
    }

    // What main() installs before the main window: each service is put out
    // first, so that a start-up that forgets one shows here. Last, since the
    // program's own services stay installed.
    void serviciosPrograma_data() {
        QTest::addColumn<QString>("servicio");
        for (const char* s : {"preparacion", "traduccion", "importes", "visores", "busqueda",
                              "documentacion", "previsualizacion", "diagnostico", "listados",
                              "consultas", "informes", "excepciones", "glifos", "textosQt"})
            QTest::newRow(s) << QString::fromLatin1(s);
    }
    void serviciosPrograma() {
        QFETCH(QString, servicio);
        MessageSeam::activate();
        const auto es = [&](const char* s) { return servicio == QLatin1String(s); };
        if (es("preparacion")) GanchoPrepararFormulario = nullptr;
        if (es("traduccion")) GanchoTraducirFormulario = nullptr;
        if (es("importes")) GanchoFormatoCampoImporte = nullptr;
        if (es("visores")) GanchoVisorCampos = nullptr;
        if (es("busqueda")) GanchoBuscarConFiltroYValor = nullptr;
        if (es("documentacion")) GanchoDocumentacionElectronica = nullptr;
        if (es("previsualizacion")) TQuickRep::SetPreviewHook(nullptr);
        if (es("diagnostico")) GanchoDiagnosticoInstalacion = nullptr;
        if (es("listados")) GanchoListadoProgramable = nullptr;
        if (es("excepciones")) SetApplicationExceptionHandler(nullptr);
        if (es("glifos")) SetFirstShowHook(nullptr);
        if (es("textosQt"))
            for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
                QCoreApplication::removeTranslator(t);
                delete t;
            }

        InstalarServiciosPrograma();

        if (es("preparacion")) QVERIFY(GanchoPrepararFormulario);
        if (es("traduccion")) QVERIFY(GanchoTraducirFormulario);
        if (es("importes")) QVERIFY(GanchoFormatoCampoImporte);
        if (es("visores")) QVERIFY(GanchoVisorCampos && GanchoCalculadora);
        if (es("busqueda")) QVERIFY(GanchoBuscarConFiltroYValor);
        if (es("documentacion")) QVERIFY(GanchoDocumentacionElectronica);
        if (es("previsualizacion")) QVERIFY(TQuickRep::HasPreviewHook());
        if (es("diagnostico")) QVERIFY(GanchoDiagnosticoInstalacion);
        if (es("listados")) QVERIFY(GanchoListadoProgramable);
        if (es("consultas"))
            QVERIFY(FormClassRegistered(QStringLiteral("TfGENECSQL")) &&
                    FormClassRegistered(QStringLiteral("TfGENEUSQL")));
        if (es("informes"))
            QVERIFY(FormClassRegistered(QStringLiteral("TfGENECINF")) &&
                    FormClassRegistered(QStringLiteral("TfGENEUINF")) &&
                    FormClassRegistered(QStringLiteral("TfGENECPRO")));
        if (es("excepciones")) {
            // An error no handler catches reaches the user in a message.
            HandleApplicationException(
                nullptr, std::make_exception_ptr(std::runtime_error("Fallo de prueba")));
            QCOMPARE(textos().size(), 1);
        }
        if (es("glifos")) {
            // A print button built without glyph or caption gets its glyph.
            TForm f;
            auto* boton = new TBitBtn(&f);
            boton->setObjectName(QStringLiteral("pbImprimir"));
            f.Show();
            QVERIFY(!boton->icon().isNull());
        }
        if (es("textosQt"))
            QCOMPARE(QCoreApplication::translate("QFileDialog", "&Open"), QStringLiteral("&Abrir"));
        QCOMPARE(QApplication::applicationName(), QStringLiteral("Recursos Humanos"));
        GanchoDiagnosticoInstalacion = nullptr;
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestRRHHMenu tc;
    if (argc > 2 && qstrcmp(argv[1], "--terminar-con-listado") == 0) {
        const QString como = QString::fromLocal8Bit(argv[2]);
        QTimer::singleShot(0, &tc, [&tc, como] { tc.terminarConListado(como); });
        const int salida = QApplication::exec();
        std::printf("salida=%d\n", salida);
        std::fflush(stdout);
        return salida;
    }
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_rrhhmenu.moc"
