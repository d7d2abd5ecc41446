// Transactions of the session's databases: they do not nest, confirming
// commits once, and the guard ends only what it started.

#include <QTest>

#include "db/database.h"
#include "gene/geneinic.h"
#include "gene/geneinic_conexion.h"
#include "gene/genemens.h"
#include "gene/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

// Rows of PRUEBA as another session sees them (only what was committed).
int FilasVistasDesdeOtraSesion(TDatabase* db) {
    TDatabase otra;
    otra.setDatabaseName(QStringLiteral("OtraSesion"));
    otra.Params() = db->Params();
    otra.Open();
    return otra.Scalar(QStringLiteral("SELECT COUNT(*) FROM PRUEBA")).toInt();
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
