// The designer's stored reports on both engines, as the user drives them:
// new, save, save as, delete, exit and print with their questions (a save
// that fails stops what asked for it), the access lists deciding in whose
// menus a report is listed, their copy to other reports, and a report
// exported and imported through the buttons.

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genetext.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genebusc.h"
#include "gene/dialogs/genebusq.h"
#include "gene/dialogs/genecopi.h"
#include "gene/listings/genecinf.h"
#include "gene/listings/genecinf_filtro.h"
#include "gene/listings/genecinf_intercambio.h"
#include "gene/listings/genecinf_sql.h"
#include "gene/listings/genecsql_accesos.h"
#include "gene/listings/geneuinf.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/instalacion.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

const QString kNombreNuevo = QStringLiteral("Introduzca el Nombre del Nuevo Informe: ");
const QString kNoGrabado = QStringLiteral("¡No ha sido posible grabar el registro!. Motivo: ");
const QString kExtra = QStringLiteral("PUESTO.Descripcion AS 'Extra'");
// A column the engine refuses.
const QString kError = QStringLiteral("PUESTO.NoExiste AS 'Extra'");

// The selection list: each call's offered lines are kept and the next
// queued answer given (none queued: the preselected lines, as a cancel).
QList<QStringList> respuestasSeleccion;
QList<QStringList> ofrecidos;
void ElegirDeLista(TfGENEINIC*, const QString&, const QString& Elementos, QString& Seleccion) {
    QStringList lineas = LineasTexto(Elementos), marcadas;
    for (QString& l : lineas)
        if (l.startsWith(QLatin1Char('*'))) marcadas << (l = l.mid(1));
    ofrecidos << lineas;
    Seleccion = (respuestasSeleccion.isEmpty() ? marcadas : respuestasSeleccion.takeFirst())
                    .join(QStringLiteral("\r\n"));
}

// The runner: it tells what it was opened on and whether the stored row
// already held the change made in the designer.
QStringList ejecutados;
class RunnerPrueba : public TForm {
public:
    explicit RunnerPrueba(QWidget* owner) : TForm(owner) {
        setObjectName(QStringLiteral("fGENEUINF"));
        QString sql, instrucciones;
        LeerInforme(InformeUsuarioAEjecutar, sql, instrucciones);
        ejecutados << InformeUsuarioAEjecutar + (instrucciones.contains(kExtra)
                                                     ? QStringLiteral(" (modificado)")
                                                     : QString());
    }
};

void Guardar(const QString& Nombre, const QString& Aplicaciones = QString()) {
    DefinicionInforme d;
    d.Tablas = QStringList{"PUESTO"};
    d.Columnas = QStringList{"PUESTO.Codigo"};
    d.Opciones = QStringLiteral("FormatoColumnar,");
    d.AplicacionesContenedoras = Aplicaciones;
    QString motivo;
    QVERIFY2(EscribirInforme(Nombre, GenerarSentenciaSQL(d, MotorActual()),
                             ComponerInstrucciones(d), motivo),
             qPrintable(motivo));
}

QString Nombres(const QString& Condicion = QString()) {
    return SqlPrueba("SELECT Descripcion FROM FILTRO WHERE NombreTabla = 'GeneradorInformes'" +
                     Condicion + " ORDER BY Descripcion")
        .replace("\r\n", ",");
}

QStringList Listados(const QString& Usuario, const QString& Aplicacion) {
    QString lista;
    ConsultasGuardadas(ModuloDatos, Usuario, Aplicacion, QStringLiteral("GeneradorInformes"),
                       lista);
    return LineasTexto(lista);
}

QStringList Mostrados() {
    QStringList l;
    for (const auto& e : MessageSeam::log()) l << e.text;
    MessageSeam::clearLog();
    return l;
}

void Responder(const QStringList& Respuestas) {
    for (const QString& r : Respuestas) MessageSeam::enqueue(r);
}

// The designer shown on a company with the reports Altas, Bajas and Cursos.
struct Disenador {
    explicit Disenador(Engine motor) : e(motor) {
        GanchoSeleccionarDeLista = ElegirDeLista;
        respuestasSeleccion.clear();
        ofrecidos.clear();
        ejecutados.clear();
        for (const char* n : {"Altas", "Bajas", "Cursos"}) Guardar(n);
        f = static_cast<TfGENECINF*>(CreateForm(QStringLiteral("TfGENECINF")));
        f->Show();
        MessageSeam::clearLog();
    }
    ~Disenador() {
        delete f;
        GanchoSeleccionarDeLista = nullptr;
        AsignarSeamDialogos(nullptr);
    }
    void Modificar(const QString& Columna = kExtra) {
        f->LBColumnas->setItems(f->LBColumnas->Items() << Columna);
        f->ActualizarSentenciaSQL(QStringLiteral("Forzado"));
        QVERIFY(f->InformeModificado());
    }
    EmpresaPrueba e;
    QPointer<TfGENECINF> f;
};

}  // namespace

class TestGeneCinfAlmacen : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        RegistrarTfGENECINF();
        InstalarDialogosBusqueda();
        RegisterFormClass<RunnerPrueba>(QStringLiteral("TfGENEUINF"));
    }

    void cicloDeVida_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("inicial");
        QTest::addColumn<QString>("accion");
        QTest::addColumn<QString>("modificar");
        QTest::addColumn<bool>("fallo");
        QTest::addColumn<QStringList>("respuestas");
        QTest::addColumn<QStringList>("mostrados");
        QTest::addColumn<QString>("cargado");
        QTest::addColumn<QString>("informes");
        QTest::addColumn<QString>("conCambio");
        QTest::addColumn<QString>("ejecutado");
        QTest::addColumn<bool>("abierta");
        const QString todos = QStringLiteral("Altas,Bajas,Cursos");
        const QString qEliminar =
            QStringLiteral("¿Está seguro de que quiere eliminar el Informe actual?");
        const QString qNuevo =
            QStringLiteral("¿Desea guardar las modificaciones al informe anterior?");
        const QString qImprimir =
            QStringLiteral("El informe debe ser guardado antes de imprimir. ¿Desea continuar?");
        const QString kExiste = QStringLiteral("¡El nombre del informe indicado ya existe!");
        const QString qErrores =
            QStringLiteral("El informe contiene errores. ¿Desea continuar con la grabación?");
        const QString qSalir =
            QStringLiteral("El informe ha sido modificado. ¿Desea guardarlo antes de salir?");
        struct Caso {
            const char* nombre;
            QString inicial, accion;
            QString modificar;
            bool fallo;
            QStringList respuestas, mostrados;
            QString cargado, informes, conCambio, ejecutado;
            bool abierta;
        };
        // clang-format off
        const QList<Caso> casos = {
            // name, loaded, action, change, failing insert, answers, messages shown,
            // loaded after, stored, stored with the change, runner, window open
            // Another report's name replaces it, with no question.
            {"guardar como sobre otro", "Altas", "GuardarComo", "Extra", false, {"Cursos"}, {kNombreNuevo}, "Cursos", todos, "Cursos", "", true},
            {"guardar como en blanco", "Altas", "GuardarComo", "Extra", false, {"  "}, {kNombreNuevo}, "Altas", todos, "", "", true},
            {"guardar", "Altas", "Guardar", "Extra", false, {}, {}, "Altas", todos, "Altas", "", true},
            {"guardar con fallo", "Altas", "Guardar", "Extra", true, {}, {kNoGrabado}, "Altas", todos, "", "", true},
            // Errors are saved only when the user says so.
            {"guardar con errores", "Altas", "Guardar", "Error", false, {"SI"}, {qErrores}, "Altas", todos, "Altas", "", true},
            {"guardar con errores sin confirmar", "Altas", "Guardar", "Error", false, {"NO"}, {qErrores}, "Altas", todos, "", "", true},
            // The smallest name leads to the first that remains.
            {"eliminar el primero", "Altas", "Eliminar", "", false, {"SI"}, {qEliminar}, "Bajas", "Bajas,Cursos", "", "", true},
            {"eliminar el ultimo", "Cursos", "Eliminar", "", false, {"SI"}, {qEliminar}, "Bajas", "Altas,Bajas", "", "", true},
            {"eliminar sin confirmar", "Altas", "Eliminar", "", false, {"NO"}, {qEliminar}, "Altas", todos, "", "", true},
            {"nuevo con nombre existente", "Altas", "Nuevo", "", false, {"Bajas"}, {kNombreNuevo, kExiste}, "Altas", todos, "", "", true},
            {"nuevo con comillas", "Altas", "Nuevo", "", false, {"D'Ors "}, {kNombreNuevo}, "D'Ors", todos + ",D'Ors", "", "", true},
            {"nuevo guardando el anterior", "Altas", "Nuevo", "Extra", false, {"SI", "Dietas"}, {qNuevo, kNombreNuevo}, "Dietas", todos + ",Dietas", "Altas", "", true},
            {"nuevo sin guardar el anterior", "Altas", "Nuevo", "Extra", false, {"NO", "Dietas"}, {qNuevo, kNombreNuevo}, "Dietas", todos + ",Dietas", "", "", true},
            {"nuevo tras un guardado fallido", "Altas", "Nuevo", "Extra", true, {"SI"}, {qNuevo, kNoGrabado}, "Altas", todos, "", "", true},
            {"imprimir sin cambios", "Bajas", "Imprimir", "", false, {}, {}, "Bajas", todos, "", "Bajas", true},
            // Saved first, so the runner opens on the saved version.
            {"imprimir modificado", "Bajas", "Imprimir", "Extra", false, {"SI"}, {qImprimir}, "Bajas", todos, "Bajas", "Bajas (modificado)", true},
            {"imprimir modificado sin guardar", "Bajas", "Imprimir", "Extra", false, {"NO"}, {qImprimir}, "Bajas", todos, "", "", true},
            {"imprimir tras un guardado fallido", "Bajas", "Imprimir", "Extra", true, {"SI"}, {qImprimir, kNoGrabado}, "Bajas", todos, "", "", true},
            {"salir guardando", "Altas", "Salir", "Extra", false, {"SI"}, {qSalir}, "Altas", todos, "Altas", "", false},
            {"salir sin guardar", "Altas", "Salir", "Extra", false, {"NO"}, {qSalir}, "Altas", todos, "", "", false},
            // A failed save keeps the window and what was designed in it.
            {"salir tras un guardado fallido", "Altas", "Salir", "Extra", true, {"SI"}, {qSalir, kNoGrabado}, "Altas", todos, "", "", true},
        };
        // clang-format on
        for (Engine motor : AvailableEngines())
            for (const Caso& c : casos)
                QTest::addRow("%s %s", qPrintable(EngineTag(motor)), c.nombre)
                    << int(motor) << c.inicial << c.accion << c.modificar << c.fallo << c.respuestas
                    << c.mostrados << c.cargado << c.informes << c.conCambio << c.ejecutado
                    << c.abierta;
    }
    void cicloDeVida() {
        QFETCH(int, engine);
        QFETCH(QString, inicial);
        QFETCH(QString, accion);
        QFETCH(QString, modificar);
        QFETCH(bool, fallo);
        QFETCH(QStringList, respuestas);
        QFETCH(QStringList, mostrados);
        QFETCH(QString, cargado);
        QFETCH(QString, informes);
        QFETCH(QString, conCambio);
        QFETCH(QString, ejecutado);
        QFETCH(bool, abierta);
        Disenador x{Engine(engine)};
        QCOMPARE(x.f->edNombreInforme->Text(), QStringLiteral("Altas"));
        x.f->CargarInforme(inicial);
        QVERIFY(!x.f->InformeModificado());
        if (!modificar.isEmpty()) x.Modificar(modificar == "Error" ? kError : kExtra);
        if (fallo) BloquearAlta(Engine(engine), "FILTRO");
        Responder(respuestas);
        const QMap<QString, void (TfGENECINF::*)()> acciones = {
            {"Nuevo", &TfGENECINF::pbNuevoClick},
            {"Guardar", &TfGENECINF::pbGuardarClick},
            {"GuardarComo", &TfGENECINF::pbGuardarComoClick},
            {"Eliminar", &TfGENECINF::pbEliminarClick},
            {"Salir", &TfGENECINF::pbSalirClick},
            {"Imprimir", &TfGENECINF::pbImprimirClick}};
        (x.f->*acciones.value(accion))();
        if (fallo) QuitarBloqueoAlta(Engine(engine), "FILTRO");
        QCOMPARE(MessageSeam::pending(), 0);

        const QStringList vistos = Mostrados();
        QCOMPARE(vistos.size(), mostrados.size());
        for (int i = 0; i < vistos.size(); ++i)
            QVERIFY2(vistos.at(i).startsWith(mostrados.at(i)), qPrintable(vistos.at(i)));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(x.f && x.f->isVisible(), abierta);
        if (x.f) QCOMPARE(x.f->edNombreInforme->Text(), cargado);
        QCOMPARE(Nombres(), informes);
        QCOMPARE(Nombres(" AND Instrucciones LIKE '%Extra%'"), conCambio);
        QCOMPARE(ejecutados.join(","), ejecutado);
        // What failed to be saved is still on screen.
        if (x.f && fallo) QVERIFY(x.f->LBColumnas->Items().contains(kExtra));
        if (fallo) QVERIFY(Nombres(" AND Instrucciones LIKE '%Extra%'").isEmpty());
    }

    // With the real runner: it opens on the report printed, and printing
    // another closes the one open.
    void imprimirConElEjecutor_data() { AddEngineRows(); }
    void imprimirConElEjecutor() {
        QFETCH(int, engine);
        Disenador x{Engine(engine)};
        RegisterFormClass<TfGENEUINF>(QStringLiteral("TfGENEUINF"));
        auto abiertos = [] {
            QList<TForm*> l;
            for (QWidget* w : QApplication::allWidgets())
                if (auto* f = qobject_cast<TfGENEUINF*>(w)) l << f;
            return l;
        };
        x.f->CargarInforme("Bajas");
        x.f->pbImprimirClick();
        QCOMPARE(abiertos().size(), 1);
        QPointer<TForm> primero = abiertos().first();
        QCOMPARE(primero->Caption(), QStringLiteral("Bajas"));
        x.f->CargarInforme("Cursos");
        x.f->pbImprimirClick();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!primero);
        QCOMPARE(abiertos().size(), 1);
        QCOMPARE(abiertos().first()->Caption(), QStringLiteral("Cursos"));
        QCOMPARE(Mostrados(), QStringList());
        qDeleteAll(abiertos());
        RegisterFormClass<RunnerPrueba>(QStringLiteral("TfGENEUINF"));
    }

    // The search offers the reports alone (F2 opens it too) and loads the
    // one chosen, once the changes of the current one are saved or not.
    void buscar_data() { AddEngineRows(); }
    void buscar() {
        QFETCH(int, engine);
        Disenador x{Engine(engine)};
        SqlPrueba(
            "INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro, Instrucciones) VALUES "
            "('SQL', 'Zeta', 'SELECT 1', '')");
        QStringList vistos;
        auto elegirUltimo = [&](TfGENEBUSQ* d) {
            d->pbBuscarClick();
            for (d->ClientDataSet1->First(); !d->ClientDataSet1->Eof(); d->ClientDataSet1->Next())
                vistos << d->ClientDataSet1->FieldByName("Descripcion")->AsString();
            d->ClientDataSet1->Last();
            d->pbConformeClick();
        };
        AlMostrarse<TfGENEBUSQ>(elegirUltimo);
        QTest::keyClick(x.f->edNombreInforme, Qt::Key_F2);
        QCOMPARE(vistos, (QStringList{"Altas", "Bajas", "Cursos"}));
        QCOMPARE(x.f->edNombreInforme->Text(), QStringLiteral("Cursos"));

        x.f->CargarInforme("Altas");
        x.Modificar();
        Responder({"SI"});
        AlMostrarse<TfGENEBUSQ>(elegirUltimo);
        x.f->BuscarDatosDBEdit();
        QCOMPARE(Mostrados(), QStringList{"¿Desea guardar los cambios del informe actual?"});
        QCOMPARE(x.f->edNombreInforme->Text(), QStringLiteral("Cursos"));
        QCOMPARE(Nombres(" AND Instrucciones LIKE '%Extra%'"), QStringLiteral("Altas"));

        // Cancelled: the report on screen stays.
        AlMostrarse<TfGENEBUSQ>([](TfGENEBUSQ* d) { d->setModalResult(mrCancel); });
        x.f->BuscarDatosDBEdit();
        QCOMPARE(x.f->edNombreInforme->Text(), QStringLiteral("Cursos"));
    }

    // The copy to other companies takes the reports alone: a saved query of
    // the other company that shares a report's name stays as it was.
    void copiaAEmpresas_data() { AddEngineRows(); }
    void copiaAEmpresas() {
        QFETCH(int, engine);
        Disenador x{Engine(engine)};
        x.e.inst.CrearEmpresa(2);
        SqlPrueba("INSERT INTO EMPRESA (Codigo, Nombre) VALUES (2, 'Destino')");
        CrearUsuarioPrueba(QLatin1String(kCodigoAdministradorInicial), "Administrador", "1\r\n2");
        SqlPrueba(
            "INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro, Instrucciones) VALUES "
            "('SQL', 'Altas', 'SELECT 1', '')");
        const QString otra = "?" + NombreBaseDatosEmpresa(fGENEINIC, 2);
        auto copiar = [&] {
            AlMostrarse<TfGENECOPI>([](TfGENECOPI* d) {
                const QStringList empresas = d->ListaEmpresas->Items();
                for (int i = 0; i < empresas.size(); ++i)
                    d->ListaEmpresas->setSelected(i, empresas.at(i) == "Destino");
                d->AgregarYSustituir->setChecked(true);
                d->setModalResult(mrOk);
            });
            Responder({"SI", "SI"});
            x.f->pbCopiarAOtrasEmpresasClick();
            QCOMPARE(MessageSeam::pending(), 0);
        };
        auto filas = [&] {
            QString r;
            EjecutarSQL(ModuloDatos,
                        "SELECT NombreTabla, Descripcion, Filtro FROM FILTRO ORDER BY "
                        "NombreTabla, Descripcion",
                        otra, "Silenciosa", r);
            return r;
        };
        copiar();
        QVERIFY(!filas().contains("SQL|"));
        QString r;
        EjecutarSQL(ModuloDatos,
                    "INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro, Instrucciones) VALUES "
                    "('SQL', 'Altas', 'SELECT 2', '')",
                    otra, "Silenciosa", r);
        copiar();
        const QStringList l = filas().split("\r\n");
        QCOMPARE(l.size(), 4);
        QVERIFY(l.at(0).startsWith("GeneradorInformes|Altas|SELECT "));
        QCOMPARE(l.at(3), QStringLiteral("SQL|Altas|SELECT 2"));
        QVERIFY(!x.f->Filtro->Active());
    }

    // The users and applications chosen reach the row at the next save and
    // decide the menus: a report for no application is in no menu.
    void accesos_data() { AddEngineRows(); }
    void accesos() {
        QFETCH(int, engine);
        Disenador x{Engine(engine)};
        // The applications as the shipped help map names them.
        MapaContextos = LeerMapaContextos(CarpetaDatosFuente() + "/help/QEVWIN.MAP");
        const QString rrhh = QStringLiteral("Recursos Humanos");
        x.f->pbPersonalizarMenuClick();
        QVERIFY2(ofrecidos.last().contains(rrhh), qPrintable(ofrecidos.last().join("/")));
        QCOMPARE(Mostrados(), QStringList{kRecuerdeCambiosAccesos});
        respuestasSeleccion << QStringList{"ADMIN - Administrador"} << QStringList{rrhh};
        x.f->pbRestringirAUsuariosClick();
        QVERIFY(ofrecidos.last().first().startsWith("ADMIN - "));
        x.f->pbPersonalizarMenuClick();
        QCOMPARE(x.f->UsuariosAutorizados, QStringLiteral("ADMIN,"));
        QCOMPARE(x.f->AplicacionesContenedoras, rrhh + ",");
        QCOMPARE(Listados("ADMIN", rrhh), QStringList());
        QVERIFY(x.f->InformeModificado());
        x.f->pbGuardarClick();
        QCOMPARE(Listados("ADMIN", rrhh), QStringList{"Altas"});
        QCOMPARE(Listados("OTRO", rrhh), QStringList());
        QCOMPARE(Listados("ADMIN", "Nominas"), QStringList());

        // Cancelling keeps the choice; the current ones come preselected.
        x.f->pbPersonalizarMenuClick();
        QCOMPARE(x.f->AplicacionesContenedoras, rrhh + ",");
        respuestasSeleccion << QStringList();
        x.f->pbPersonalizarMenuClick();
        QCOMPARE(x.f->AplicacionesContenedoras, QString());
        x.f->pbGuardarClick();
        QCOMPARE(Listados("ADMIN", rrhh), QStringList());

        // Copied to other reports at once, after a question.
        respuestasSeleccion << QStringList{rrhh};
        x.f->pbPersonalizarMenuClick();
        MessageSeam::clearLog();
        respuestasSeleccion << QStringList{"Bajas", "Cursos"};
        Responder({"SI"});
        x.f->pbCopiarConfiguracionClick();
        QCOMPARE(ofrecidos.last(), (QStringList{"Altas", "Bajas", "Cursos"}));
        QCOMPARE(Mostrados(), (QStringList{"¿Está seguro de querer copiar la configuración de "
                                           "usuarios y aplicaciones a los informes indicados?",
                                           kRecuerdeCambiosAccesos}));
        QCOMPARE(Listados("ADMIN", rrhh), (QStringList{"Bajas", "Cursos"}));
        QCOMPARE(Listados("OTRO", rrhh), QStringList());
        respuestasSeleccion << QStringList{"Altas"};
        Responder({"NO"});
        x.f->pbCopiarConfiguracionClick();
        QCOMPARE(Listados("ADMIN", rrhh), (QStringList{"Bajas", "Cursos"}));
    }

    // Export and import through the buttons: the file dialog's name, the
    // imported report loaded under its new name; with no report on screen
    // nothing is saved or written.
    void intercambio_data() { AddEngineRows(); }
    void intercambio() {
        QFETCH(int, engine);
        Disenador x{Engine(engine)};
        QTemporaryDir dir;
        const QString archivo = dir.filePath("INFORME.TXT");
        QStringList titulos;
        AsignarSeamDialogos([&](QObject* o) {
            auto* d = qobject_cast<TFileDialog*>(o);
            if (!d) return false;
            titulos << d->Title + " " + d->FileName;
            d->FileName = archivo;
            return true;
        });
        x.Modificar();
        Responder({"SI"});
        x.f->pbExportarClick();
        QCOMPARE(titulos, QStringList{"Exportar a un Archivo de Texto INFORME.TXT"});
        QCOMPARE(SaveDialog1(ModuloDatos)->FileName, QString());
        QVERIFY(QFile::exists(archivo));
        QCOMPARE(Nombres(" AND Instrucciones LIKE '%Extra%'"), QStringLiteral("Altas"));

        Responder({"NO", "Dietas"});
        x.f->pbImportarClick();
        QCOMPARE(Mostrados(),
                 (QStringList{"Se guadarán los datos del registro actual previamente. ¿Desea "
                              "continuar en cualquier caso?",
                              "¿Desea guadar los datos del registro actual previamente?",
                              "Introduzca un nuevo nombre para el Informe:"}));
        QCOMPARE(x.f->edNombreInforme->Text(), QStringLiteral("Dietas"));
        QVERIFY(x.f->LBColumnas->Items().contains(kExtra));
        QVERIFY(!x.f->InformeModificado());

        // The name the file proposes is taken: the save message, nothing loaded.
        Responder({"NO", "Altas"});
        x.f->pbImportarClick();
        QVERIFY(Mostrados().last().startsWith(kNoGrabado));
        QCOMPARE(x.f->edNombreInforme->Text(), QStringLiteral("Dietas"));

        // No report on screen: nothing to save or export.
        x.f->CargarInforme(QString());
        QFile::remove(archivo);
        titulos.clear();
        MessageSeam::clearLog();
        x.f->pbExportarClick();
        QVERIFY(titulos.isEmpty());
        QCOMPARE(Mostrados(), QStringList());
        QVERIFY(!QFile::exists(archivo));
        QCOMPARE(Nombres(), QStringLiteral("Altas,Bajas,Cursos,Dietas"));
    }
};

QTEST_MAIN(TestGeneCinfAlmacen)
#include "tst_genecinf_almacen.moc"
