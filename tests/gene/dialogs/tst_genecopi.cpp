// Copying a table's shown records to other companies on both engines: the
// three methods, the companies chosen by name or "Todas", the form's filter,
// a failing record leaving that company as it was, and a company whose
// database is missing reported while the others are still copied.

#include <QApplication>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "db/database.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genecopi.h"
#include "gene/registros_prueba.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"

namespace {

OpcionesInstalacion tresEmpresas() {
    OpcionesInstalacion o;
    o.empresas = {1, 2, 3};
    o.empresaActual = 1;
    return o;
}

// The company's LINEAS as "operario/linea/texto" lines in key order.
QStringList lineasDe(int empresa) {
    TTable t;
    AsignarBaseDatosEmpresa(fGENEINIC, &t, empresa);
    t.setTableName(QStringLiteral("LINEAS"));
    t.Open();
    QStringList l;
    for (t.First(); !t.Eof(); t.Next())
        l << t.FieldByName(QStringLiteral("CodigoOperario"))->AsString() + QLatin1Char('/') +
                 t.FieldByName(QStringLiteral("Linea"))->AsString() + QLatin1Char('/') +
                 t.FieldByName(QStringLiteral("Texto"))->AsString();
    return l;
}

QString selector(int empresa) {
    return QLatin1Char('?') + NombreBaseDatosEmpresa(fGENEINIC, empresa);
}

struct Escenario {
    explicit Escenario(Engine motor) : inst(motor, tresEmpresas()) {
        for (int empresa : {1, 2, 3}) CrearLineas(selector(empresa));
        for (const char* fila : {"7, 1, 'uno'", "7, 2, 'dos'", "8, 1, 'otro'"})
            Sql(QStringLiteral("INSERT INTO LINEAS (CodigoOperario, Linea, Texto) VALUES (") +
                QLatin1String(fila) + QLatin1Char(')'));
        Sql(QStringLiteral(
                "INSERT INTO LINEAS (CodigoOperario, Linea, Texto) VALUES (7, 1, 'viejo')"),
            selector(2));
        Sql(QStringLiteral(
                "INSERT INTO LINEAS (CodigoOperario, Linea, Texto) VALUES (9, 9, 'suyo')"),
            selector(2));
        for (const char* empresa : {"1, 'Origen'", "2, 'Destino'", "3, 'Tercera'"})
            Sql(QStringLiteral("INSERT INTO EMPRESA (Codigo, Nombre) VALUES (") +
                    QLatin1String(empresa) + QLatin1Char(')'),
                QStringLiteral("DatabaseGeneral"));
        // The administrator, who may open every company the cases copy into.
        CodigoUsuarioActual = QLatin1String(kCodigoAdministradorInicial);
        CrearUsuarioPrueba(QLatin1String(kCodigoAdministradorInicial),
                           QStringLiteral("Administrador"), QStringLiteral("1\r\n2\r\n3\r\n4"));
        t = AbrirTablaPrueba(QStringLiteral("LINEAS"));
        MessageSeam::clearLog();
    }
    TestInstalacion inst;
    TModuloDatos modulo;
    std::unique_ptr<TTable> t;
};

// Answers both questions and picks the companies and the method in the dialog.
void copiar(TTable* t, const QStringList& nombres, TMetodoCopia metodo) {
    MessageSeam::enqueue(QStringLiteral("SI"));
    MessageSeam::enqueue(QStringLiteral("SI"));
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [=] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<TfGENECOPI*>(w);
            if (!d || !d->isVisible() || !d->Modal()) continue;
            timer->stop();
            timer->deleteLater();
            const QStringList elementos = d->ListaEmpresas->Items();
            for (int i = 0; i < elementos.size(); ++i)
                d->ListaEmpresas->setSelected(i, nombres.contains(elementos[i]));
            (metodo == mcAgregar     ? d->Agregar
             : metodo == mcSustituir ? d->Sustituir
                                     : d->AgregarYSustituir)
                ->setChecked(true);
            d->setModalResult(mrOk);
            return;
        }
    });
    timer->start();
    CopiarRegistrosAEmpresas(t);
}

QStringList avisos() {
    QStringList l;
    for (const auto& e : MessageSeam::log())
        if (e.kind == QLatin1String("A")) l << e.text;
    return l;
}

}  // namespace

class TestGeneCopi : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void metodos_data() { AddEngineRows(); }
    void metodos() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};

        copiar(e.t.get(), {"Destino"}, mcSustituir);
        QCOMPARE(lineasDe(2), (QStringList{"7/1/uno", "9/9/suyo"}));
        QCOMPARE(lineasDe(3), QStringList());

        Sql(QStringLiteral("UPDATE LINEAS SET Texto = 'nuevo' WHERE Linea = 1"));
        e.t->Refresh();
        copiar(e.t.get(), {"Destino"}, mcAgregar);
        QCOMPARE(lineasDe(2), (QStringList{"7/1/uno", "7/2/dos", "8/1/nuevo", "9/9/suyo"}));

        copiar(e.t.get(), {"Todas"}, mcAgregarYSustituir);
        QCOMPARE(lineasDe(2), (QStringList{"7/1/nuevo", "7/2/dos", "8/1/nuevo", "9/9/suyo"}));
        QCOMPARE(lineasDe(3), (QStringList{"7/1/nuevo", "7/2/dos", "8/1/nuevo"}));
        QVERIFY(avisos().isEmpty());
        // The form's record stays where it was.
        QCOMPARE(e.t->FieldByName(QStringLiteral("CodigoOperario"))->AsInteger(), 7);
    }

    void filtroYCancelacion_data() { AddEngineRows(); }
    void filtroYCancelacion() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        e.t->setFilter(QStringLiteral("(CodigoOperario = '8')"));
        e.t->setFiltered(true);
        copiar(e.t.get(), {"Tercera"}, mcAgregarYSustituir);
        QCOMPARE(lineasDe(3), QStringList{"8/1/otro"});

        // A "NO" to the second question copies nothing.
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        e.t->setFiltered(false);
        CopiarRegistrosAEmpresas(e.t.get());
        QCOMPARE(lineasDe(3), QStringList{"8/1/otro"});
    }

    // Records go only into the companies the user may open: the others are
    // not offered, and "Todas" leaves them as they were.
    void soloEmpresasDelUsuario_data() { AddEngineRows(); }
    void soloEmpresasDelUsuario() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        CrearUsuarioPrueba(QStringLiteral("PEPE"), QStringLiteral("Normal"),
                           QStringLiteral("1\r\n3"));
        ComoUsuario como(QStringLiteral("PEPE"));
        const QStringList antes = lineasDe(2);
        QStringList ofrecidas;
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        AlMostrarse<TfGENECOPI>([&](TfGENECOPI* d) {
            ofrecidas = d->ListaEmpresas->Items();
            d->ListaEmpresas->setSelected(0, true);
            d->setModalResult(mrOk);
        });
        CopiarRegistrosAEmpresas(e.t.get());
        QCOMPARE(ofrecidas, (QStringList{"Todas", "Tercera"}));
        QCOMPARE(lineasDe(2), antes);
        QCOMPARE(lineasDe(3), (QStringList{"7/1/uno", "7/2/dos", "8/1/otro"}));
    }

    // A record refused half-way leaves the company as it was; a company
    // without a database is reported and the next one is still copied.
    void fallos_data() { AddEngineRows(); }
    void fallos() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        BaseDatosSelector(selector(2))
            ->CreateIndex(
                QStringLiteral("LINEAS"),
                TIndexDef{QStringLiteral("Clave2"), QStringLiteral("Texto"), ixUnique, QString()});
        Sql(QStringLiteral(
                "INSERT INTO LINEAS (CodigoOperario, Linea, Texto) VALUES (5, 5, 'otro')"),
            selector(2));
        Sql(QStringLiteral("INSERT INTO EMPRESA (Codigo, Nombre) VALUES (4, 'Sin Datos')"),
            QStringLiteral("DatabaseGeneral"));
        const QStringList antes = lineasDe(2);

        copiar(e.t.get(), {"Destino", "Sin Datos", "Tercera"}, mcAgregarYSustituir);
        QCOMPARE(lineasDe(2), antes);
        QCOMPARE(lineasDe(3), (QStringList{"7/1/uno", "7/2/dos", "8/1/otro"}));
        QCOMPARE(avisos(), (QStringList{"No se han podido copiar los registros a la empresa 2",
                                        "No se han podido copiar los registros a la empresa 4"}));
        QVERIFY(!TerminacionSolicitada());
    }
};

QTEST_MAIN(TestGeneCopi)
#include "tst_genecopi.moc"
