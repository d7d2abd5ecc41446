// The search entry routines with the dialogs shown offscreen: the default
// value used by one search only, the key of the current record in the box,
// the user's preferred index over the caller's, locating the chosen record,
// the caller's filter kept by the approximate dialog, and the company chooser.

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "db/clientdataset.h"
#include "db/database.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/dialogs/genebusa.h"
#include "gene/dialogs/genebusc.h"
#include "gene/dialogs/genebusq.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_empresa.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/geneusua.h"
#include "gene/session/sesion.h"
#include "gene/registros_prueba.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"
#include "ui/grids.h"
#include "ui/registry.h"

namespace {

OpcionesInstalacion conEmpresas() {
    OpcionesInstalacion o;
    o.empresas = {1, 12};
    o.empresaActual = 1;
    return o;
}

// Runs accion on the first dialog of class T that shows.
template <class T>
void alMostrarse(std::function<void(T*)> accion) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, accion] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<T*>(w);
            if (!d || !d->isVisible() || !d->Modal()) continue;
            timer->stop();
            timer->deleteLater();
            accion(d);
            return;
        }
    });
    timer->start();
}

struct Escenario {
    explicit Escenario(Engine motor) : inst(motor, conEmpresas()) {
        CrearLineas();
        for (const char* fila : {"7, 1, 'uno'", "7, 2, 'dos'", "8, 1, 'otro'"})
            Sql(QStringLiteral("INSERT INTO LINEAS (CodigoOperario, Linea, Texto) VALUES (") +
                QLatin1String(fila) + QLatin1Char(')'));
        TDatabase* db = BaseDatosSelector(QStringLiteral("Database"));
        db->CreateIndex(QStringLiteral("LINEAS"),
                        TIndexDef{QStringLiteral("Clave2"), QStringLiteral("Texto"), 0, QString()});
        CodigoUsuarioActual = QString::fromLatin1(kCodigoAdministradorInicial);
        BusquedaAproximadaActivada = false;
    }
    ~Escenario() { BusquedaAproximadaActivada = false; }
    TestInstalacion inst;
    TModuloDatos modulo;
};

}  // namespace

class TestGeneBusc : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void claveDeResultado() {
        QVERIFY(ClaveDeResultado(QString()).isNull());
        QCOMPARE(ClaveDeResultado(QStringLiteral("7\r\nNULL")), QVariant(QVariantList{"7", ""}));
        QCOMPARE(ClaveDeResultado(QStringLiteral("A")), QVariant(QVariantList{"A"}));
    }

    void registro() {
        InstalarDialogosBusqueda();
        for (const char* clase : {"TfGENEBUSQ", "TfGENEBUSA", "TfGENEFILT", "TfGENECOPI"})
            QVERIFY2(FormClassRegistered(QLatin1String(clase)), clase);
    }

    void sinTabla() {
        QVariant clave = QStringLiteral("x");
        BuscarCodigo(QString(), 0, clave);
        QVERIFY(clave.isNull());
    }

    // A default value is used by the one search prepared for it; the
    // request's filter and columns are gone after every dialog.
    void valorPorDefecto_data() { AddEngineRows(); }
    void valorPorDefecto() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        QString visto;
        QString filtro;
        alMostrarse<TfGENEBUSQ>([&](TfGENEBUSQ* d) {
            visto = d->DatoABuscar->Text();
            filtro = d->FiltroBusqueda;
            d->setModalResult(mrCancel);
        });
        QVariant clave;
        BuscarConFiltroYValor(QStringLiteral("LINEAS"), 0, QStringLiteral("Linea = 1"), clave,
                              QStringLiteral("125"));
        QVERIFY(clave.isNull());
        QCOMPARE(visto, QStringLiteral("125"));
        QCOMPARE(filtro, QStringLiteral("Linea = 1"));
        QVERIFY(FiltroBusqueda.isEmpty());

        alMostrarse<TfGENEBUSQ>([&](TfGENEBUSQ* d) {
            visto = d->DatoABuscar->Text();
            filtro = d->FiltroBusqueda;
            d->setModalResult(mrCancel);
        });
        BuscarCodigo(QStringLiteral("LINEAS"), 0, clave);
        QVERIFY(visto.isEmpty());
        QVERIFY(filtro.isEmpty());

        // Parameters: the index option read as a number, the rest as given.
        int indice = -1;
        alMostrarse<TfGENEBUSQ>([&](TfGENEBUSQ* d) {
            visto = d->DatoABuscar->Text();
            indice = d->IndiceBusqueda;
            filtro = d->CamposVisibles;
            d->setModalResult(mrCancel);
        });
        BuscarConParametros(QStringLiteral("LINEAS"),
                            QStringLiteral("CamposVisibles=Texto\r\nDatoABuscarPorDefecto=uno\r\n"
                                           "IndiceBusqueda=x"),
                            clave);
        QCOMPARE(visto, QStringLiteral("uno"));
        QCOMPARE(indice, 0);
        QCOMPARE(filtro, QStringLiteral("Texto"));
        QVERIFY(CamposVisiblesBusqueda.isEmpty());
    }

    // The box shows the record's key; the chosen row becomes the current record.
    void buscarRegistro_data() { AddEngineRows(); }
    void buscarRegistro() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        auto t = AbrirTablaPrueba(QStringLiteral("LINEAS"));
        QVERIFY(t->Locate(QStringLiteral("CodigoOperario;Linea"), QVariantList{7, 2}, 0));
        QString visto;
        alMostrarse<TfGENEBUSQ>([&](TfGENEBUSQ* d) {
            visto = d->DatoABuscar->Text();
            d->DatoABuscar->setText(QStringLiteral("8"));
            d->pbBuscarClick();
            d->ClientDataSet1->First();
            d->pbConformeClick();
        });
        QVariant clave;
        BuscarRegistro(t.get(), 0, clave);
        QCOMPARE(visto, QStringLiteral("7;2"));
        QCOMPARE(clave, QVariant(QVariantList{"8", "1"}));
        QCOMPARE(t->FieldByName(QStringLiteral("Texto"))->AsString(), QStringLiteral("otro"));

        // Cancelling leaves the record where it was.
        alMostrarse<TfGENEBUSQ>([](TfGENEBUSQ* d) { d->setModalResult(mrCancel); });
        BuscarRegistro(t.get(), 0, clave);
        QVERIFY(clave.isNull());
        QCOMPARE(t->FieldByName(QStringLiteral("Texto"))->AsString(), QStringLiteral("otro"));
    }

    // The user's own index of a table wins over the caller's.
    void indiceDelUsuario_data() { AddEngineRows(); }
    void indiceDelUsuario() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        QString entrada;
        auto capturar = [&](TfGENEBUSQ* d) {
            entrada = d->ListaCamposBusqueda->Text();
            d->setModalResult(mrCancel);
        };
        QVariant clave;
        alMostrarse<TfGENEBUSQ>(capturar);
        BuscarCodigo(QStringLiteral("LINEAS"), 2, clave);
        QCOMPARE(entrada, QStringLiteral("Texto"));

        GrabarConfiguracionUsuario(&e.modulo, CodigoUsuarioActual,
                                   QStringLiteral("IndicesBusqueda"), QStringLiteral("LINEAS:1"));
        alMostrarse<TfGENEBUSQ>(capturar);
        BuscarCodigo(QStringLiteral("LINEAS"), 2, clave);
        QCOMPARE(entrada, QStringLiteral("CodigoOperario;Linea"));
    }

    // With the approximate dialog a restricted chooser offers only the rows
    // within the caller's filter; accepting before any search chooses nothing.
    void aproximadaConFiltro_data() { AddEngineRows(); }
    void aproximadaConFiltro() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        BusquedaAproximadaActivada = true;
        int filas = -1;
        alMostrarse<TfGENEBUSA>([&](TfGENEBUSA* d) {
            d->setCriterio(QStringLiteral("Texto"), QStringLiteral("o"));
            d->pbBuscarClick();
            filas = d->Query1->RecordCount();
            d->setModalResult(mrOk);
        });
        QVariant clave;
        BuscarConFiltro(QStringLiteral("LINEAS"), 0, QStringLiteral("CodigoOperario = 8"), clave);
        QCOMPARE(filas, 1);
        QCOMPARE(clave, QVariant(QVariantList{"8", "1"}));

        alMostrarse<TfGENEBUSA>([](TfGENEBUSA* d) { d->setModalResult(mrOk); });
        BuscarCodigo(QStringLiteral("LINEAS"), 0, clave);
        QVERIFY(clave.isNull());
    }

    void elegirEmpresa_data() { AddEngineRows(); }
    void elegirEmpresa() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        Sql(QStringLiteral("INSERT INTO EMPRESA (Codigo, Nombre) VALUES (1, 'Uno')"),
            QStringLiteral("DatabaseGeneral"));
        Sql(QStringLiteral("INSERT INTO EMPRESA (Codigo, Nombre) VALUES (12, 'Doce')"),
            QStringLiteral("DatabaseGeneral"));
        alMostrarse<TfGENEBUSQ>([](TfGENEBUSQ* d) {
            // A general table is listed at once.
            d->ClientDataSet1->Locate(QStringLiteral("Codigo"), 12, 0);
            d->pbConformeClick();
        });
        ElegirEmpresa(e.inst.sesion());
        QCOMPARE(CodigoEmpresaActual, 12);
        QVERIFY(fGENEINIC->Database->Connected());
        const TConnectionParams& p = fGENEINIC->Database->Params();
        QCOMPARE(QDir::cleanPath(Engine(engine) == Engine::Sqlite ? p.folder : p.schema),
                 QDir::cleanPath(e.inst.ubicacionEmpresa(12)));

        alMostrarse<TfGENEBUSQ>([](TfGENEBUSQ* d) { d->setModalResult(mrCancel); });
        ElegirEmpresa(e.inst.sesion());
        QCOMPARE(CodigoEmpresaActual, 0);
    }
};

QTEST_MAIN(TestGeneBusc)
#include "tst_genebusc.moc"
