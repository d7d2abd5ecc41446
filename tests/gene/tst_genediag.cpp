// The installation diagnosis: the report's sections, headings and line ends;
// the SQL Server agent's setting, the only check that applies here; the
// viewer shown for a finding and nothing at all without one; and its place
// in the start, before any database is connected, unless switched off.

#include <QTemporaryDir>
#include <QtTest>

#include "db/database.h"
#include "gene/dialogo_modal.h"
#include "gene/genedeta.h"
#include "gene/genediag.h"
#include "gene/geneinic.h"
#include "gene/geneinic_formulario.h"
#include "gene/geneinic_servicios.h"
#include "gene/genemens.h"
#include "gene/sesion.h"
#include "io/textfile.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

const QString kRegistro =
    QStringLiteral("Las siguientes anomalías han sido detectadas en el Registro de Windows:");
const QString kBDE = QStringLiteral(
    "Las siguientes anomalías han sido detectadas en el archivo de configuración del BDE:");
const QString kSistema =
    QStringLiteral("Las siguientes anomalías han sido detectadas en el Sistema Operativo: ");
const QString kSQLServer = QStringLiteral(
    "Las siguientes anomalías han sido detectadas en Microsoft SQL Server y deben "
    "ser reconfiguradas manualmente: ");
const QString kSinAgente = QStringLiteral(
    "No tiene configurado el sistema de alerta sobre la actividad del Agente de SQL Server "
    "(Gestor de Aplicaciones/Configuración/Configuración de Sistema/Microsoft SQL "
    "Server)\r\n");

THallazgosDiagnostico hallazgosPrueba;
void comprobacionesPrueba(const QString&, THallazgosDiagnostico& h) {
    h = hallazgosPrueba;
}

// The calls the start made to the diagnosis: the mode and whether a database
// was connected then.
QStringList llamadas;
int diagnosticoArranque(TfGENEINIC* f, const QString& Modo) {
    llamadas << Modo + QLatin1Char('|') +
                    (f->Database->Connected() || f->DatabaseGeneral->Connected()
                         ? QLatin1String("conectada")
                         : QLatin1String("sin conectar"));
    return 1;
}

}  // namespace

class TestGeneDiag : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { MessageSeam::activate(); }
    void cleanup() {
        MessageSeam::deactivate();
        GanchoComprobacionesDiagnostico = &ComprobarInstalacion;
        GanchoDiagnosticoInstalacion = nullptr;
        TipoBaseDatos = QStringLiteral("Paradox");
        VersionServidorSQL.clear();
        ArchivoConfiguracion.clear();
        llamadas.clear();
    }

    void informe_data() {
        QTest::addColumn<QStringList>("registro");
        QTest::addColumn<QStringList>("bde");
        QTest::addColumn<QStringList>("sistema");
        QTest::addColumn<QStringList>("sqlServer");
        QTest::addColumn<QString>("esperado");
        const QStringList nada;
        QTest::newRow("nada") << nada << nada << nada << nada << QString();
        QTest::newRow("registro")
            << QStringList{"MaxAllowedZone=0 no es un valor correcto en X.", "Y"} << nada << nada
            << nada
            << kRegistro + "\r\n\r\n - MaxAllowedZone=0 no es un valor correcto en X.\r\n - Y\r\n";
        QTest::newRow("sistema sin guion")
            << nada << nada << QStringList{"El archivo VREDIR.VXD debe ser actualizado."} << nada
            << kSistema + "\r\n\r\nEl archivo VREDIR.VXD debe ser actualizado.\r\n";
        QTest::newRow("sql server unido")
            << nada << nada << nada << QStringList{kSinAgente, "No iniciado."}
            << kSQLServer + "\r\n\r\n" + kSinAgente + "No iniciado.";
        QTest::newRow("las cuatro, en su orden")
            << QStringList{"R"} << QStringList{"B"} << QStringList{"S"} << QStringList{"Q"}
            << kRegistro + "\r\n\r\n - R\r\n\r\n\r\n" + kBDE + "\r\n\r\n - B\r\n\r\n\r\n" +
                   kSistema + "\r\n\r\nS\r\n\r\n\r\n" + kSQLServer + "\r\n\r\nQ";
    }
    void informe() {
        QFETCH(QStringList, registro);
        QFETCH(QStringList, bde);
        QFETCH(QStringList, sistema);
        QFETCH(QStringList, sqlServer);
        QFETCH(QString, esperado);
        QCOMPARE(TextoDiagnostico({registro, bde, sistema, sqlServer}), esperado);
    }

    // The agent's setting, read as plain lines of the settings file, on SQL
    // Server (not its Express edition) in the database-engine mode only.
    void agente_data() {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("configuracion");
        QTest::addColumn<QString>("modo");
        QTest::addColumn<bool>("hallazgo");
        const QString mssql = QStringLiteral("Microsoft SQL Server");
        const QString estandar = QStringLiteral("Microsoft SQL Server 2019 - Standard Edition");
        QTest::newRow("sin nombre de servicio") << mssql << estandar << "[Configuración]\r\nA=1\r\n"
                                                << "MotorBaseDatos" << true;
        QTest::newRow("ambos modos") << mssql << estandar << ""
                                     << "Configuracion,MotorBaseDatos" << true;
        QTest::newRow("nombre en otra seccion")
            << mssql << estandar << "[Otra]\r\nNombreServicioAgenteMSSQL=SQLAgent\r\n"
            << "MotorBaseDatos" << false;
        QTest::newRow("express") << mssql << "SQL Server 2019 Express Edition"
                                 << ""
                                 << "MotorBaseDatos" << false;
        QTest::newRow("solo configuracion") << mssql << estandar << ""
                                            << "Configuracion" << false;
        QTest::newRow("sqlite") << "Paradox"
                                << ""
                                << ""
                                << "MotorBaseDatos" << false;
        QTest::newRow("postgresql") << "SQL Generica"
                                    << ""
                                    << ""
                                    << "Configuracion,MotorBaseDatos" << false;
    }
    void agente() {
        QFETCH(QString, tipo);
        QFETCH(QString, version);
        QFETCH(QString, configuracion);
        QFETCH(QString, modo);
        QFETCH(bool, hallazgo);
        QTemporaryDir dir;
        ArchivoConfiguracion = dir.filePath(QStringLiteral("QEVWIN.INI"));
        QVERIFY(WriteTextFile(ArchivoConfiguracion, configuracion, TextEncoding::Windows1252));
        TipoBaseDatos = tipo;
        VersionServidorSQL = version;
        THallazgosDiagnostico h;
        ComprobarInstalacion(modo, h);
        QCOMPARE(h.SQLServer, hallazgo ? QStringList{kSinAgente} : QStringList());
        QVERIFY(h.Registro.isEmpty() && h.ConfiguracionBDE.isEmpty() &&
                h.SistemaOperativo.isEmpty());
    }

    // Through the session's hook: nothing found answers 1 and shows nothing;
    // a finding shows the viewer, asks nothing and answers 0.
    void visor_data() {
        QTest::addColumn<QString>("modo");
        QTest::newRow("configuracion") << "Configuracion";
        QTest::newRow("motor") << "MotorBaseDatos";
    }
    void visor() {
        QFETCH(QString, modo);
        MessageSeam::activate(true);
        InstalarDiagnostico();
        QCOMPARE(DiagnosticoArranque(nullptr, modo), 1);
        QVERIFY(MessageSeam::log().isEmpty());
        QVERIFY(!fGENEDIAG);

        hallazgosPrueba = {{QStringLiteral("R")}, {}, {}, {}};
        GanchoComprobacionesDiagnostico = &comprobacionesPrueba;
        QString titulo, texto;
        AlMostrarse<TfGENEDETA>([&](TfGENEDETA* d) {
            titulo = d->Caption();
            texto = d->Texto;
            d->Close();
        });
        QCOMPARE(DiagnosticoArranque(nullptr, modo), 0);
        QCOMPARE(titulo, QStringLiteral("Diagnóstico de la Instalación"));
        QCOMPARE(texto, kRegistro + "\r\n\r\n - R\r\n");
        QVERIFY(MessageSeam::log().isEmpty());
        QVERIFY(!fGENEDIAG);
    }

    // The start runs "Configuracion" before it connects anything, unless
    // DesactivarDiagnostico is "SI".
    void arranque_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("desactivar");
        QTest::addColumn<QStringList>("esperadas");
        for (Engine e : AvailableEngines()) {
            QTest::newRow(qPrintable(EngineTag(e) + QStringLiteral(":activo")))
                << int(e) << "NO" << QStringList{"Configuracion|sin conectar"};
            QTest::newRow(qPrintable(EngineTag(e) + QStringLiteral(":desactivado")))
                << int(e) << "SI" << QStringList();
        }
    }
    void arranque() {
        QFETCH(int, engine);
        QFETCH(QString, desactivar);
        QFETCH(QStringList, esperadas);
        OpcionesInstalacion o;
        o.iniciar = false;
        TestInstalacion inst(Engine(engine), o);
        inst.EscribirConfiguracion(QStringLiteral("Configuración"),
                                   QStringLiteral("DesactivarDiagnostico"), desactivar);
        GanchoDiagnosticoInstalacion = &diagnosticoArranque;
        QVERIFY(inst.Iniciar());
        QCOMPARE(llamadas, esperadas);
        QVERIFY(inst.sesion()->Database->Connected());
    }
};

QTEST_MAIN(TestGeneDiag)
#include "tst_genediag.moc"
