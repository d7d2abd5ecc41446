// Transactions of the session's databases: they do not nest, confirming
// commits once, and the guard ends only what it started.

#include <QTest>
#include <optional>

#include "db/database.h"
#include "db/dberror.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/session/geneapp.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/sesion.h"
#include "support/baseretenida.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/loginprueba.h"
#include "support/sqlprueba.h"

namespace {

// Rows of PRUEBA as another session sees them (only what was committed).
int FilasVistasDesdeOtraSesion(TDatabase* db) {
    TDatabase otra;
    otra.setDatabaseName(QStringLiteral("OtraSesion"));
    otra.Params() = db->Params();
    otra.Open();
    return otra.Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA")).toInt();
}

// HIJO's rows must name a row of PADRE, checked only at the commit.
void ClaveAjenaDiferida(TDatabase* db) {
    if (db->engine() == Engine::Sqlite) db->Execute(QStringLiteral("PRAGMA foreign_keys = ON"));
    db->Execute(QStringLiteral("CREATE TABLE PADRE (Codigo INTEGER PRIMARY KEY)"));
    db->Execute(
        QStringLiteral("CREATE TABLE HIJO (Padre INTEGER REFERENCES PADRE "
                       "(Codigo) DEFERRABLE INITIALLY DEFERRED)"));
}

}  // namespace

class TestGeneinicTransaccion : public QObject {
    Q_OBJECT

    std::unique_ptr<TestInstalacion> inst_;
    TfGENEINIC* f() const { return inst_->sesion(); }
    TDatabase* db() const { return inst_->sesion()->Database; }

private Q_SLOTS:
    void init() {
        OpcionesInstalacion o;
        o.empresaActual = 1;
        inst_ = std::make_unique<TestInstalacion>(CurrentEngine(), o);
        QVERIFY(inst_->iniciada());
        db()->Execute(QStringLiteral("CREATE TABLE PRUEBA (Codigo INTEGER)"));
        TransaccionIniciada = ErrorEnTransaccion = false;
    }
    void cleanup() { inst_.reset(); }

    void noAnidan_data() { AddEngineRows(); }
    void noAnidan() {
        QVERIFY(IniciarTransaccion(f()));
        QVERIFY(TransaccionIniciada);
        db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (1)"));
        // A second start while one runs starts nothing and answers true.
        QVERIFY(IniciarTransaccion(f(), db()));
        db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (2)"));
        ErrorEnTransaccion = true;
        QCOMPARE(FilasVistasDesdeOtraSesion(db()), 0);
        // One confirmation commits both rows and clears both flags.
        QVERIFY(ConfirmarTransaccion(f()));
        QVERIFY(!db()->InTransaction());
        QVERIFY(!TransaccionIniciada);
        QVERIFY(!ErrorEnTransaccion);
        QCOMPARE(FilasVistasDesdeOtraSesion(db()), 2);
        // Nothing running: true, flags cleared, no message.
        TransaccionIniciada = ErrorEnTransaccion = true;
        QVERIFY(ConfirmarTransaccion(f()));
        QVERIFY(CancelarTransaccion(f()));
        QVERIFY(!TransaccionIniciada);
        QVERIFY(!ErrorEnTransaccion);
        QVERIFY(MessageSeam::log().isEmpty());
    }

    void cancelar_data() { AddEngineRows(); }
    void cancelar() {
        QVERIFY(IniciarTransaccion(f()));
        db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (1)"));
        QVERIFY(CancelarTransaccion(f()));
        QVERIFY(!TransaccionIniciada);
        QCOMPARE(db()->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA")).toInt(), 0);
        // A database that is not connected cannot start one: false, silently.
        db()->Close();
        QVERIFY(!IniciarTransaccion(f()));
        QVERIFY(!TransaccionIniciada);
        QVERIFY(MessageSeam::log().isEmpty());
    }

    // The guard starts and ends only its own transaction.
    void guarda_data() { AddEngineRows(); }
    void guarda() {
        {
            TGuardaTransaccion g(f());
            QVERIFY(g.Propia());
            db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (1)"));
        }  // left without confirming: rolled back
        QVERIFY(!db()->InTransaction());
        QCOMPARE(db()->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA")).toInt(), 0);

        QVERIFY(IniciarTransaccion(f()));
        {
            TGuardaTransaccion g(f());
            QVERIFY(g.Activa());
            QVERIFY(!g.Propia());
            db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (2)"));
            QVERIFY(g.Confirmar());
            QVERIFY(db()->InTransaction());  // the caller's is still running
        }
        QVERIFY(db()->InTransaction());
        QCOMPARE(FilasVistasDesdeOtraSesion(db()), 0);
        QVERIFY(ConfirmarTransaccion(f()));
        QCOMPARE(FilasVistasDesdeOtraSesion(db()), 1);
    }

    // A record's delete whose commit fails (a full disk, a constraint checked
    // at the end) leaves no transaction behind: the next delete runs in one
    // of its own and is not refused as "another transaction".
    void borradoConConfirmacionFallida_data() { AddEngineRows(); }
    void borradoConConfirmacionFallida() {
        ClaveAjenaDiferida(db());
        db()->Execute(QStringLiteral("INSERT INTO PADRE VALUES (1)"));
        db()->Execute(QStringLiteral("INSERT INTO PADRE VALUES (2)"));
        db()->Execute(QStringLiteral("INSERT INTO HIJO VALUES (1)"));
        TTable padre;
        padre.setDatabaseName(db()->DatabaseName());
        padre.setTableName(QStringLiteral("PADRE"));
        padre.Open();
        MessageSeam::clearLog();
        BorradoRegistro(f(), &padre);
        QVERIFY(db()->InTransaction());
        padre.Delete();
        QCOMPARE(MessageSeam::log().size(), 1);
        QVERIFY(MessageSeam::log().first().text.startsWith(
            QStringLiteral("¡No se puede finalizar la transacción!. Mensaje Original: ")));
        QVERIFY(!db()->InTransaction());
        QVERIFY(!TransaccionIniciada);
        QVERIFY(!ErrorEnTransaccion);
        QCOMPARE(db()->Scalar(QStringLiteral("SELECT COUNT(*) FROM PADRE")).toInt(), 2);

        padre.Close();
        padre.Open();
        padre.Last();
        BorradoRegistro(f(), &padre);
        QVERIFY(db()->InTransaction());
        padre.Delete();
        QVERIFY(!db()->InTransaction());
        QVERIFY(!TransaccionIniciada);
        QCOMPARE(db()->Scalar(QStringLiteral("SELECT Codigo FROM PADRE")).toInt(), 1);
        QCOMPARE(MessageSeam::log().size(), 1);
    }

    // A commit the engine refuses at the end (a deferred constraint) ends
    // the transaction: the guard and a plain confirmation leave no flag
    // set, so that the next transaction starts and commits.
    void confirmacionFallidaSinTransaccion_data() { AddEngineRows(); }
    void confirmacionFallidaSinTransaccion() {
        ClaveAjenaDiferida(db());
        {
            TGuardaTransaccion g(f());
            QVERIFY(g.Propia());
            db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (1)"));
            db()->Execute(QStringLiteral("INSERT INTO HIJO VALUES (7)"));
            QVERIFY(!g.Confirmar());
        }
        QVERIFY(!TransaccionIniciada);
        QVERIFY(!db()->InTransaction());
        QVERIFY(IniciarTransaccion(f()));
        db()->Execute(QStringLiteral("INSERT INTO HIJO VALUES (8)"));
        ErrorEnTransaccion = true;
        QVERIFY(!ConfirmarTransaccion(f()));
        QVERIFY(!TransaccionIniciada);
        QVERIFY(!ErrorEnTransaccion);
        QCOMPARE(MessageSeam::log().size(), 2);
        QVERIFY(IniciarTransaccion(f()));
        db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (2)"));
        QVERIFY(ConfirmarTransaccion(f()));
        QCOMPARE(db()->Scalar(QStringLiteral("SELECT SUM(Codigo) FROM PRUEBA")).toInt(), 2);
        QCOMPARE(db()->Scalar(QStringLiteral("SELECT COUNT(*) FROM HIJO")).toInt(), 0);
    }

    // A connection the server ended in the middle of a transaction took the
    // transaction with it: confirming answers false with the warning, never
    // that the work was saved; until it is ended no statement runs outside
    // it. Cancelling it ends it quietly and forgets the loss. The next
    // transaction commits.
    void conexionPerdida_data() { AddEngineRows(); }
    void conexionPerdida() {
        if (CurrentEngine() != Engine::Postgres) QSKIP("a file's connection is never lost");
        auto cortar = [this] { EndBackends({db()}); };
        const QString aviso = QStringLiteral(
            "¡No se puede finalizar la transacción!. Mensaje Original: ¡ Se ha perdido la "
            "conexión con el servidor de la Base de Datos !. No se ha guardado ninguno de los "
            "cambios de la operación en curso: la transacción se ha cancelado.");

        QVERIFY(IniciarTransaccion(f()));
        db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (1)"));
        cortar();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                                 db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (2)")));
        MessageSeam::clearLog();
        QVERIFY(!ConfirmarTransaccion(f()));
        QCOMPARE(TextosMostrados(), QStringList{aviso});
        QVERIFY(!TransaccionIniciada);

        {
            TGuardaTransaccion g(f());
            QVERIFY(g.Propia());
            db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (3)"));
            cortar();
            try {
                db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (4)"));
            } catch (const EDatabaseError&) {
            }
            QVERIFY_THROWS_EXCEPTION(
                EDatabaseError, db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (6)")));
            MessageSeam::clearLog();
            QVERIFY(!g.Confirmar());
            QCOMPARE(TextosMostrados(), QStringList{aviso});
        }
        QVERIFY(!db()->InTransaction());

        QVERIFY(IniciarTransaccion(f()));
        db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (7)"));
        cortar();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                                 db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (8)")));
        MessageSeam::clearLog();
        QVERIFY(CancelarTransaccion(f()));
        QVERIFY(!db()->InTransaction());
        QVERIFY(ConfirmarTransaccion(f()));
        QCOMPARE(db()->Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA")).toInt(), 0);
        QVERIFY(ConfirmarTransaccion(f()));
        QVERIFY(MessageSeam::log().isEmpty());

        MessageSeam::clearLog();
        QVERIFY(IniciarTransaccion(f()));
        db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (5)"));
        QVERIFY(ConfirmarTransaccion(f()));
        QVERIFY(ConfirmarTransaccion(f()));
        QVERIFY(MessageSeam::log().isEmpty());
        QCOMPARE(FilasVistasDesdeOtraSesion(db()), 1);
    }

    // A refusal no window caught reaches the program's general handler: a
    // busy database is told as busy, never as a record another user holds
    // (the engine's refusal and the program's record lock share their code).
    void ocupadaEnElManejadorGeneral_data() { AddEngineRows(); }
    void ocupadaEnElManejadorGeneral() {
        std::exception_ptr rechazo;
        {
            TBaseRetenida retenida(db(), {QStringLiteral("PRUEBA")});
            try {
                db()->Execute(QStringLiteral("INSERT INTO PRUEBA VALUES (7)"));
            } catch (...) {
                rechazo = std::current_exception();
            }
        }
        QVERIFY(rechazo);
        MessageSeam::clearLog();
        DespacharExcepcion(nullptr, rechazo);
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().at(0).text,
                 QStringLiteral("¡ La base de datos está ocupada por otro usuario !. Inténtelo de "
                                "nuevo dentro de unos momentos."));
        QCOMPARE(FilasVistasDesdeOtraSesion(db()), 0);
    }

    // A transaction that cannot begin is told with its reason: the
    // database another program holds (SQLite's write lock), or the server
    // out of reach; nothing begins, and once the cause is gone it does.
    void inicioRechazado_data() {
        QTest::addColumn<int>("engine");
        for (Engine motor : AvailableEngines())
            NewEngineRow(motor, motor == Engine::Sqlite ? "retenida" : "servidor detenido");
    }
    void inicioRechazado() {
        QFETCH(int, engine);
        std::optional<TLoginPrueba> login;
        std::optional<TBaseRetenida> retenida;
        QString motivo;
        if (Engine(engine) == Engine::Postgres) {
            // The session logs in as a login of the test's own to stop the
            // server for it alone.
            inst_.reset();
            login.emplace();
            OpcionesInstalacion o;
            o.empresaActual = 1;
            inst_ = std::make_unique<TestInstalacion>(CurrentEngine(), o);
            QVERIFY(inst_->iniciada());
            login->Detener();
            motivo = QStringLiteral(
                "¡ No es posible restablecer la conexión con el servidor de la Base de Datos !. "
                "Compruebe que está en marcha e inténtelo de nuevo.");
        } else {
            retenida.emplace(db(), QStringList{QStringLiteral("PRUEBA")});
            motivo = QStringLiteral(
                "¡ La base de datos está ocupada por otro usuario !. Inténtelo de nuevo dentro de "
                "unos momentos.");
        }
        QVERIFY(!IniciarTransaccion(f()));
        QCOMPARE(TextoTransaccionNoIniciada(), motivo);
        QVERIFY(!TransaccionIniciada);
        QVERIFY(!db()->InTransaction());
        if (login) login->Reanudar();
        retenida.reset();
        QVERIFY(IniciarTransaccion(f()));
        QVERIFY(CancelarTransaccion(f()));
    }

    // A record posted in a transaction whose commit then fails is put back
    // as typed (a confirm's failure): in insert or edit with its values,
    // the undone row not among those shown, and on PostgreSQL the edited
    // record held again against another session's edit. Posted again, it is
    // stored.
    void posteoDeshecho_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("alta");
        for (Engine motor : AvailableEngines())
            for (bool alta : {true, false}) NewEngineRow(motor, alta ? "alta" : "edicion") << alta;
    }
    void posteoDeshecho() {
        QFETCH(bool, alta);
        db()->Execute(
            QStringLiteral("CREATE TABLE FICHA (Codigo INTEGER PRIMARY KEY, Nombre VARCHAR(20))"));
        db()->Execute(QStringLiteral("INSERT INTO FICHA VALUES (1, 'Ana')"));
        ClaveAjenaDiferida(db());
        TTable t;
        t.setDatabaseName(db()->DatabaseName());
        t.setTableName(QStringLiteral("FICHA"));
        t.Open();
        if (alta) {
            t.Append();
            t.FieldByName(QStringLiteral("Codigo"))->setAsInteger(2);
        } else {
            t.Edit();
        }
        t.FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Eva"));
        {
            TGuardaTransaccion g(f());
            const TDataSet::TEditSnapshot antes = t.SnapshotEdit();
            t.Post();
            db()->Execute(QStringLiteral("INSERT INTO HIJO VALUES (7)"));
            QVERIFY(!g.Confirmar());
            t.RestoreEdit(antes);
        }
        QCOMPARE(t.State(), alta ? dsInsert : dsEdit);
        QCOMPARE(t.FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("Eva"));
        QVERIFY(t.Modified());
        const QVector<TRow> filas = t.ReadRows(TBookmark(), 10);
        QCOMPARE(filas.size(), 1);
        QCOMPARE(filas.first().values.value(1).toString(), QStringLiteral("Ana"));
        if (CurrentEngine() == Engine::Postgres && !alta) {
            TDatabase otra;
            otra.setDatabaseName(QStringLiteral("OtraSesion"));
            otra.Params() = db()->Params();
            otra.Open();
            QVERIFY(!otra.TryLockRecord(QStringLiteral("FICHA"), QStringLiteral("1")));
        }
        t.Post();
        QCOMPARE(db()->Scalar(QStringLiteral("SELECT Nombre FROM FICHA WHERE Codigo = ") +
                              (alta ? QStringLiteral("2") : QStringLiteral("1")))
                     .toString(),
                 QStringLiteral("Eva"));
        QCOMPARE(db()->Scalar(QStringLiteral("SELECT COUNT(*) FROM FICHA")).toInt(), alta ? 2 : 1);
    }

    // The alternate database keeps its own transaction.
    void alternativa_data() { AddEngineRows(); }
    void alternativa() {
        ConectarBaseDatosAlt(f(), 1, QString());
        TDatabase* alt = f()->DatabaseAlt;
        QCOMPARE(f()->ADOConnectionAlt(), alt);
        QVERIFY(IniciarTransaccion(f(), alt));
        QVERIFY(alt->InTransaction());
        QVERIFY(!db()->InTransaction());
        QVERIFY(ConfirmarTransaccion(f(), alt));
        QVERIFY(!alt->InTransaction());
    }
};

QTEST_MAIN(TestGeneinicTransaccion)
#include "tst_geneinic_transaccion.moc"
