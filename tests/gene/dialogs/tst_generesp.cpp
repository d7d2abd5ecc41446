// Documentary responsibility: the silent registration stamp (also on a row
// kept with a trailing "|"), the roles with authorized employees (the
// chooser offers only them, an unauthorized one is refused on saving),
// defaults of a new row, the ownership rule of removing and the zero date
// for empty dates.

#include <QApplication>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "db/clientdataset.h"
#include "db/database.h"
#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/dialogs/genebusc.h"
#include "gene/dialogs/genebusq.h"
#include "gene/data/geneconv.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/dialogs/generesp.h"
#include "gene/session/sesion.h"
#include "gene/registros_prueba.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"

namespace {

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

// Runs accion once on the search dialog when it shows modally.
void alBuscar(std::function<void(TfGENEBUSQ*)> accion) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, accion] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<TfGENEBUSQ*>(w);
            if (!d || !d->isVisible() || !d->Modal()) continue;
            timer->stop();
            timer->deleteLater();
            accion(d);
            return;
        }
    });
    timer->start();
}

void sql(const QString& s) {
    QCOMPARE(Sql(s), QString());
}

// Employees 3, 5, 7 and 9; 7 is the user ADMIN's, 3 the user ANA's.
void operarios() {
    for (const char* v :
         {"3, 'Tres', 'ANA'", "5, 'Cinco', ''", "7, 'Siete', 'ADMIN'", "9, 'Nueve', ''"})
        sql(QStringLiteral("INSERT INTO OPERARIO (Codigo, Nombre, CodigoUsuario) VALUES (") +
            QLatin1String(v) + QLatin1Char(')'));
}

void configurar(const QString& campos) {
    Sql(QStringLiteral("DELETE FROM CONFRESP"));
    sql(QStringLiteral("INSERT INTO CONFRESP (NombreTabla, CamposSolicitados) VALUES ('PRUEBA', "
                       "'") +
        campos + QStringLiteral("')"));
}

// The owner table: PRUEBA keyed by Codigo, positioned on record 1.
std::unique_ptr<TTable> propietario() {
    CrearTablaPrueba(QStringLiteral("PRUEBA"), {{QStringLiteral("Codigo"), ftInteger, 0, true}},
                     {QStringLiteral("Codigo")});
    sql(QStringLiteral("INSERT INTO PRUEBA (Codigo) VALUES (1)"));
    auto t = AbrirTablaPrueba(QStringLiteral("PRUEBA"));
    t->First();
    return t;
}

QString fila(const QString& clave = QStringLiteral("1")) {
    return Sql(QStringLiteral("SELECT RealizadoPor, AprobadoPor, RegistradoPor FROM RESPDOC "
                              "WHERE NombreTabla = 'PRUEBA' AND ClaveTabla = '") +
               clave + QLatin1Char('\''));
}

std::unique_ptr<TfGENERESP> dialogo() {
    TablaResponsabilidad = QStringLiteral("PRUEBA");
    ClaveResponsabilidad = QStringLiteral("1");
    return std::unique_ptr<TfGENERESP>(NewForm<TfGENERESP>());
}

QStringList mensajes() {
    QStringList l;
    for (const auto& e : MessageSeam::log()) l << e.text;
    MessageSeam::clearLog();
    return l;
}

}  // namespace

class TestGeneResp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        RegistrarTfGENERESP();
        CodigoUsuarioActual = QLatin1String(kCodigoAdministradorInicial);
    }

    void registroSilencioso() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        TModuloDatos modulo;
        init();
        operarios();
        auto tabla = propietario();
        configurar(QStringLiteral("RegistradoPor\r\nFechaRegistro"));
        ResponsabilidadDocumentalActivada = true;

        const QDateTime antes = QDateTime::currentDateTime().addSecs(-1);
        ResponsabilidadDocumentalRegistro(inst.sesion(), tabla.get());
        QCOMPARE(fila(), QStringLiteral("||7"));
        const QDateTime registro = TextoAFechaHora(
            Sql(QStringLiteral("SELECT FechaRegistro FROM RESPDOC WHERE ClaveTabla = '1'")));
        QVERIFY(registro >= antes);

        // A row kept under "1|" is found and stamped (its key written as
        // the opener gives it); no second row.
        sql(QStringLiteral("UPDATE RESPDOC SET ClaveTabla = '1|', RegistradoPor = 3"));
        ResponsabilidadDocumentalRegistro(inst.sesion(), tabla.get());
        QCOMPARE(fila(), QStringLiteral("||7"));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM RESPDOC")), QStringLiteral("1"));
        QVERIFY(mensajes().isEmpty());

        // A user without an employee empties the stamp.
        CodigoUsuarioActual = QStringLiteral("OTRO");
        ResponsabilidadDocumentalRegistro(inst.sesion(), tabla.get());
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM RESPDOC WHERE RegistradoPor IS NULL OR "
                                    "RegistradoPor = 0")),
                 QStringLiteral("1"));

        // Nothing requested: no row is touched and nothing is shown.
        configurar(QString());
        sql(QStringLiteral("DELETE FROM RESPDOC"));
        auto d = dialogo();
        QVERIFY(!d->HayDatos());
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM RESPDOC")), QStringLiteral("0"));
        ResponsabilidadDocumentalActivada = false;
    }

    // A colleague holding the row: the stamp is skipped without a word and
    // the window still opens, on the row as it is. A stamp that cannot be
    // written after a save leaves the saved record saved, with no warning.
    void registroConFilaRetenida_data() { AddEngineRows(); }
    void registroConFilaRetenida() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        init();
        operarios();
        auto tabla = propietario();
        ResponsabilidadDocumentalActivada = true;
        // Only PostgreSQL holds a row against a second user while it is edited.
        if (Engine(engine) == Engine::Postgres) {
            sql(
                QStringLiteral("INSERT INTO RESPDOC (NombreTabla, ClaveTabla, RealizadoPor, "
                               "AprobadoPor, RegistradoPor) VALUES ('PRUEBA', '1', 5, 9, 3)"));
            TDatabase otra;
            otra.setDatabaseName(QStringLiteral("OtraSesion"));
            otra.Params() = inst.sesion()->Database->Params();
            otra.Open();
            TSession::instance().AddDatabase(&otra);
            TTable suya;
            suya.setDatabaseName(QStringLiteral("OtraSesion"));
            suya.setTableName(QStringLiteral("RESPDOC"));
            suya.Open();
            QVERIFY(suya.FindKey({QStringLiteral("PRUEBA"), QStringLiteral("1")}));
            suya.Edit();
            configurar(QStringLiteral("RegistradoPor\r\nFechaRegistro"));
            ResponsabilidadDocumentalRegistro(inst.sesion(), tabla.get());
            QCOMPARE(fila(), QStringLiteral("5|9|3"));
            configurar(QStringLiteral("RealizadoPor\r\nRegistradoPor\r\nFechaRegistro"));
            auto d = dialogo();
            QVERIFY(d->HayDatos());
            QCOMPARE(d->Table1->State(), dsBrowse);
            QCOMPARE(d->Table1->FieldByName(QStringLiteral("RegistradoPor"))->AsInteger(), 3);
            d.reset();
            QCOMPARE(fila(), QStringLiteral("5|9|3"));
            QVERIFY(mensajes().isEmpty());
            suya.Cancel();
            suya.Close();
            sql(QStringLiteral("DELETE FROM RESPDOC"));
        }

        configurar(QStringLiteral("RegistradoPor\r\nFechaRegistro"));
        BloquearAlta(Engine(engine), QStringLiteral("RESPDOC"));
        tabla->AfterPost = [&inst](TDataSet* ds) { GrabacionRegistro(inst.sesion(), ds); };
        tabla->Append();
        tabla->FieldByName(QStringLiteral("Codigo"))->setAsInteger(2);
        tabla->Post();
        QuitarBloqueoAlta(Engine(engine), QStringLiteral("RESPDOC"));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM PRUEBA WHERE Codigo = 2")),
                 QStringLiteral("1"));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM RESPDOC")), QStringLiteral("0"));
        QVERIFY(mensajes().isEmpty());
        ResponsabilidadDocumentalActivada = false;
    }

    void rolesAutorizados() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        TModuloDatos modulo;
        init();
        operarios();
        configurar(QStringLiteral(
            "RealizadoPor:3,5\r\nFechaRealizacion\r\nAprobadoPor\r\nFechaAprobacion"));
        auto d = dialogo();
        QVERIFY(d->HayDatos());
        QCOMPARE(d->Caption(), QStringLiteral("Responsabilidad Documental (PRUEBA: 1)"));
        QVERIFY(d->PanelRealizadoPor->isEnabled() && d->PanelAprobadoPor->isEnabled());
        QVERIFY(!d->PanelRegistradoPor->isEnabled());
        // A new row proposes the user's employee 7 only where it may stand.
        TTable* t = d->Table1;
        QCOMPARE(t->State(), dsInsert);
        QCOMPARE(t->FieldByName(QStringLiteral("RealizadoPor"))->AsInteger(), 0);
        QCOMPARE(t->FieldByName(QStringLiteral("AprobadoPor"))->AsInteger(), 7);
        QCOMPARE(t->FieldByName(QStringLiteral("NombreAprobadoPor"))->AsString(),
                 QStringLiteral("Siete"));
        QCOMPARE(t->FieldByName(QStringLiteral("FechaRealizacion"))->AsDateTime().date(),
                 QDate::currentDate());

        // Employee 7 may not choose a performer at all.
        d->pbAsignarRealizadoPorClick(nullptr);
        QCOMPARE(t->FieldByName(QStringLiteral("RealizadoPor"))->AsInteger(), 0);

        // ANA (employee 3) chooses among 3 and 5 only.
        CodigoUsuarioActual = QStringLiteral("ANA");
        QStringList ofrecidos;
        QString filtro;
        alBuscar([&](TfGENEBUSQ* b) {
            filtro = b->FiltroBusqueda;
            b->pbBuscarClick(true);
            for (b->ClientDataSet1->First(); !b->ClientDataSet1->Eof(); b->ClientDataSet1->Next())
                ofrecidos << b->ClientDataSet1->FieldByName(QStringLiteral("Codigo"))->AsString();
            b->ClientDataSet1->Locate(QStringLiteral("Codigo"), 5, 0);
            b->pbConformeClick();
        });
        d->pbAsignarRealizadoPorClick(nullptr);
        QCOMPARE(filtro, QStringLiteral("(Codigo=3) OR (Codigo=5)"));
        QCOMPARE(ofrecidos, (QStringList{"3", "5"}));
        QCOMPARE(t->FieldByName(QStringLiteral("RealizadoPor"))->AsInteger(), 5);

        // An employee outside the list is refused on saving; the dialog stays.
        t->FieldByName(QStringLiteral("RealizadoPor"))->setAsInteger(9);
        d->pbGrabarClick(nullptr);
        QCOMPARE(mensajes(),
                 QStringList{QStringLiteral("¡El Operario de Realizado Por no está autorizado!")});
        QCOMPARE(t->State(), dsInsert);
        QCOMPARE(fila(), QString());

        // Removing the approver: only its own employee may, without a list.
        t->FieldByName(QStringLiteral("RealizadoPor"))->setAsInteger(3);
        d->pbDesasignarAprobadoPorClick(nullptr);  // ANA is not 7
        QCOMPARE(t->FieldByName(QStringLiteral("AprobadoPor"))->AsInteger(), 7);
        CodigoUsuarioActual = QLatin1String(kCodigoAdministradorInicial);
        d->pbDesasignarAprobadoPorClick(nullptr);
        QVERIFY(t->FieldByName(QStringLiteral("AprobadoPor"))->IsNull());
        QVERIFY(t->FieldByName(QStringLiteral("FechaAprobacion"))->IsNull());

        // Saved: the date without its employee's stays empty, as the zero date.
        d->pbGrabarClick(nullptr);
        QVERIFY(mensajes().isEmpty());
        QCOMPARE(fila(), QStringLiteral("3||"));
        const QString fechas = Sql(QStringLiteral(
            "SELECT FechaAprobacion, FechaRegistro FROM RESPDOC WHERE ClaveTabla = '1'"));
        QCOMPARE(TextoAFechaHora(fechas.section(QLatin1Char('|'), 0, 0)), ZeroDateTime());
        QCOMPARE(TextoAFechaHora(fechas.section(QLatin1Char('|'), 1, 1)), ZeroDateTime());

        // Opened again, the row is edited; the user's employee may stamp
        // himself as approver again.
        d = dialogo();
        QCOMPARE(d->Table1->State(), dsEdit);
        d->pbAsignarAprobadoPorClick(nullptr);
        QCOMPARE(d->Table1->FieldByName(QStringLiteral("AprobadoPor"))->AsInteger(), 7);
        d->pbCancelarClick(nullptr);
        QCOMPARE(fila(), QStringLiteral("3||"));
    }

    void autorizacion() {
        QVERIFY(OperarioAutorizado(QStringLiteral("3, 5"), 5));
        QVERIFY(!OperarioAutorizado(QStringLiteral("3,,5"), 5));  // the empty item ends it
        QVERIFY(!OperarioAutorizado(QStringLiteral("35"), 5));
        QCOMPARE(FiltroOperariosAutorizados(QStringLiteral("3,5); DROP TABLE X,7")),
                 QStringLiteral("(Codigo=3) OR (Codigo=7)"));
        QCOMPARE(FiltroOperariosAutorizados(QString()), QString());
    }

    // Closed and opened again in the same run, the dialog stands where it was.
    void posicionRecordada() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        TModuloDatos modulo;
        init();
        configurar(QStringLiteral("AprobadoPor"));
        auto d = dialogo();
        d->Show();
        d->setLeft(123);
        d->setTop(77);
        d->pbCancelarClick(nullptr);
        auto e = dialogo();
        QCOMPARE(e->Left(), 123);
        QCOMPARE(e->Top(), 77);
    }
};

QTEST_MAIN(TestGeneResp)
#include "tst_generesp.moc"
