// Session services for open forms: the inactivity limit, the usage-log line
// of released windows, the pending-edits question on closing (on both
// engines), the calculator and diagnosis hooks, the responsibility key and
// the start of the internal-messaging program without its password on the
// command line.

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest>

#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/geneusua.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace {

QStringList textos(const QString& tipo = QString()) {
    QStringList l;
    for (const auto& e : MessageSeam::log())
        if (tipo.isEmpty() || e.kind == tipo) l << e.text;
    return l;
}

QString registroUso() {
    QString usuario;
    NombreUsuarioWindows(usuario);
    QFile f(DirectorioPrograma + usuario + QStringLiteral(".log"));
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(f.readAll());
}

// A form with two tables on TEXTO of the company database.
struct FormaConTablas {
    TForm forma;
    TTable* t1;
    TTable* t2;
    explicit FormaConTablas(TfGENEINIC* f) {
        forma.setName(QStringLiteral("fPRUEBA"));
        forma.setCaption(QStringLiteral("Textos"));
        t1 = nueva(f, QStringLiteral("Tabla1"));
        t2 = nueva(f, QStringLiteral("Tabla2"));
    }
    TTable* nueva(TfGENEINIC* f, const QString& nombre,
                  const QString& tabla = QStringLiteral("TEXTO")) {
        auto* t = new TTable(&forma);
        t->setObjectName(nombre);
        t->setTableName(tabla);
        AbrirTabla(f, t);
        return t;
    }
};

double calculadoraPrueba(const QString& Display) {
    MessageSeam::record(QStringLiteral("Calculadora"), Display, QString());
    return 42.5;
}

int diagnosticoPrueba(TfGENEINIC*, const QString& Opciones) {
    MessageSeam::record(QStringLiteral("Diagnostico"), Opciones, QString());
    return 3;
}

}  // namespace

class TestGeneInicServicios : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        AnularTerminacion();
        TiempoForzarTerminacionAplicacion.clear();
        MonitorizarActividadUsuario = false;
        MensajeriaInternaActivada = false;
        ClaveAccesoUsuarioActual.clear();
        GanchoCalculadora = nullptr;
        GanchoDiagnosticoInstalacion = nullptr;
    }

    void inactividad_data() {
        QTest::addColumn<QString>("minutos");
        QTest::addColumn<int>("inactivo");  // seconds
        QTest::addColumn<bool>("termina");
        QTest::newRow("10 min 10 s de 10") << "10" << 610 << true;
        QTest::newRow("9 min de 10") << "10" << 540 << false;
        QTest::newRow("justo 10 min") << "10" << 600 << false;
        QTest::newRow("no numerico") << "diez" << 2 << true;
        QTest::newRow("cero sin pausa") << "0" << 0 << false;
    }
    void inactividad() {
        QFETCH(QString, minutos);
        QFETCH(int, inactivo);
        QFETCH(bool, termina);
        MessageSeam::activate();
        TiempoForzarTerminacionAplicacion = minutos;
        QTimer timer;
        timer.start(15000);
        UltimaActividad = QDateTime::currentDateTime().addSecs(-inactivo);
        TimerAplicacionTimer(nullptr, &timer);
        QCOMPARE(TerminacionSolicitada(), termina);
        QCOMPARE(timer.isActive(), !termina);
        QVERIFY(MessageSeam::log().isEmpty());  // no question is asked
        MessageSeam::deactivate();

        // Any activity stamps the time again.
        int tecla = 0;
        RegistrarActividadTeclado(nullptr, nullptr, tecla, 0);
        QVERIFY(UltimaActividad.secsTo(QDateTime::currentDateTime()) < 2);
    }

    // Keys and clicks on any control of a prepared form are activity, also on
    // a form that holds datasets and other objects; a window the framework
    // did not prepare counts nothing.
    void actividadEnFormulario() {
        TestInstalacion inst;
        TForm forma;
        auto* tabla = new TTable(&forma);
        tabla->setObjectName(QStringLiteral("Table1"));
        auto* edit = new TEdit(&forma);
        edit->setObjectName(QStringLiteral("Edit1"));
        PrepararFormulario(inst.sesion(), &forma);
        PrepararFormulario(inst.sesion(), &forma);  // once is enough, twice harms nothing
        forma.show();
        QVERIFY(QTest::qWaitForWindowExposed(&forma));
        QLineEdit ajena;
        ajena.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ajena));

        const auto reciente = [] {
            return UltimaActividad.secsTo(QDateTime::currentDateTime()) < 2;
        };
        UltimaActividad = QDateTime::currentDateTime().addSecs(-3600);
        QTest::keyClick(&ajena, Qt::Key_A);
        QTest::mouseClick(&ajena, Qt::LeftButton);
        QVERIFY(!reciente());
        QTest::keyClick(edit, Qt::Key_A);
        QVERIFY(reciente());
        UltimaActividad = QDateTime::currentDateTime().addSecs(-3600);
        QTest::mouseClick(edit, Qt::LeftButton);
        QVERIFY(reciente());
    }

    // "Free" for a released business window; the framework's own windows
    // are not logged, save the analysis-group master.
    void liberacion() {
        TestInstalacion inst;
        MonitorizarActividadUsuario = true;
        InstalarRegistroLiberacion(inst.sesion());
        InstalarRegistroLiberacion(inst.sesion());  // once only
        for (const char* nombre : {"fRRHHPERS", "fGENEBUSQ", "fGENEGANA"}) {
            auto* f = new TForm;
            f->setName(QLatin1String(nombre));
            f->setCaption(QStringLiteral("Ventana"));
            f->Release();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QString log = registroUso();
        QCOMPARE(log.count(QStringLiteral("Free, fRRHHPERS, Ventana")), 1);
        QCOMPARE(log.count(QStringLiteral("Free, fGENEGANA")), 1);
        QVERIFY(!log.contains(QLatin1String("fGENEBUSQ")));
    }

    // Closing a form with unconfirmed records: the question names them; "SI"
    // cancels; otherwise a record with its first field is posted and one
    // without is cancelled. Closing is never refused.
    void edicionPendiente_data() { AddEngineRows(); }
    void edicionPendiente() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), {.empresas = {1}, .empresaActual = 1});
        FormaConTablas f(inst.sesion());
        QVERIFY(f.t1->Active() && f.t2->Active());

        bool puede = false;
        ComprobarEdicionPendiente(inst.sesion(), &f.forma, puede);
        QVERIFY(puede);
        QVERIFY(MessageSeam::log().isEmpty());

        f.t1->Append();
        f.t1->FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("A1"));
        f.t2->Append();  // first field empty
        MessageSeam::enqueue(QStringLiteral("NO"));
        puede = false;
        ComprobarEdicionPendiente(inst.sesion(), &f.forma, puede);
        QVERIFY(puede);
        QCOMPARE(textos(),
                 QStringList{"Hay registros de Textos (Tabla1, Tabla2, )  cuya grabación no ha "
                             "sido confirmada. ¿Desea cancelar la grabación?"});
        QCOMPARE(f.t1->State(), dsBrowse);
        QCOMPARE(f.t2->State(), dsBrowse);
        QCOMPARE(f.t1->RecordCount(), 1);

        // A new record holding only what its start filled in (its first
        // field among them) was typed into by nobody: given up, not stored.
        f.t1->OnNewRecord = [](TDataSet* d) {
            d->FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("Z9"));
        };
        f.t1->Append();
        MessageSeam::enqueue(QStringLiteral("NO"));
        ComprobarEdicionPendiente(inst.sesion(), &f.forma, puede);
        f.t1->OnNewRecord = nullptr;
        QCOMPARE(f.t1->State(), dsBrowse);
        QCOMPARE(f.t1->RecordCount(), 1);
        MessageSeam::clearLog();

        // "SI" cancels even a record with its first field.
        f.t1->Append();
        f.t1->FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("B2"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        ComprobarEdicionPendiente(inst.sesion(), &f.forma, puede);
        QCOMPARE(f.t1->RecordCount(), 1);
        QCOMPARE(f.t1->State(), dsBrowse);

        // An edit whose post fails reaches the caller; the record stays.
        f.t1->Append();
        f.t1->FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("A1"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        QVERIFY_THROWS_EXCEPTION(std::exception,
                                 ComprobarEdicionPendiente(inst.sesion(), &f.forma, puede));
        QCOMPARE(f.t1->State(), dsInsert);
        f.t1->Cancel();

        // Through the form's own closing.
        f.t2->Append();
        f.forma.OnCloseQuery = [&inst](QObject* s, bool& c) {
            ComprobarEdicionPendiente(inst.sesion(), s, c);
        };
        MessageSeam::enqueue(QStringLiteral("NO"));
        QVERIFY(f.forma.CloseQuery());
        QCOMPARE(f.t2->State(), dsBrowse);
    }

    void calculadoraYDiagnostico() {
        MessageSeam::activate();
        QCOMPARE(Calculadora(nullptr, 7.25), 7.25);  // no calculator: unchanged
        QCOMPARE(DiagnosticoArranque(nullptr, QStringLiteral("MotorBaseDatos")), 0);
        GanchoCalculadora = calculadoraPrueba;
        GanchoDiagnosticoInstalacion = diagnosticoPrueba;
        QCOMPARE(Calculadora(nullptr, 1234.5), 42.5);
        QCOMPARE(Calculadora(nullptr, 2.0), 42.5);
        QCOMPARE(DiagnosticoArranque(nullptr, QStringLiteral("MotorBaseDatos")), 3);
        QCOMPARE(textos(), (QStringList{"1234,5", "2", "MotorBaseDatos"}));
        MessageSeam::deactivate();
    }

    // Responsibility: nothing for a table missing from CONFRESP; the key of
    // the record joins its key fields with "|".
    void responsabilidad() {
        TestInstalacion inst(Engine::Sqlite, {.empresas = {1}, .empresaActual = 1});
        TModuloDatos modulo;
        ResponsabilidadDocumentalActivada = true;
        FormaConTablas f(inst.sesion());
        // No table is configured for responsibility.
        QVERIFY(f.nueva(inst.sesion(), QStringLiteral("Configuracion"), QStringLiteral("CONFRESP"))
                    ->Active());
        f.t1->Append();
        f.t1->FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("X9"));
        f.t1->Post();
        QCOMPARE(ClaveResponsabilidadRegistro(f.t1), QStringLiteral("X9"));
        ResponsabilidadDocumentalRegistro(inst.sesion(), f.t1);
        QVERIFY(MessageSeam::log().isEmpty());
        ResponsabilidadDocumentalActivada = false;
    }

    // A folder by the messaging program's name that this user cannot use:
    // the program starts without the password, and the user is told why.
    void mensajeriaSinCarpetaPropia_data() {
        QTest::addColumn<bool>("deOtro");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("de otro usuario") << true << QStringLiteral(" pertenece a otro usuario");
        QTest::newRow("no es una carpeta") << false << QStringLiteral(" no es una carpeta");
    }
    void mensajeriaSinCarpetaPropia() {
        QFETCH(bool, deOtro);
        QFETCH(QString, motivo);
        if (deOtro && ::geteuid() != 0) QSKIP("only root can give a folder to another user");
        TestInstalacion inst;
        const QByteArray temporalAnterior = qgetenv("TMPDIR");
        qputenv("TMPDIR", inst.carpeta().toLocal8Bit());
        const auto restaurar = qScopeGuard([&] { qputenv("TMPDIR", temporalAnterior); });
        const QString carpeta = inst.carpeta() + QStringLiteral("/BRUVELI-%1").arg(::geteuid());
        if (deOtro) {
            QVERIFY(QDir().mkpath(carpeta));
            QCOMPARE(::chown(QFile::encodeName(carpeta).constData(), 65534, 65534), 0);
        } else {
            QFile f(carpeta);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        CodigoUsuarioActual = QStringLiteral("ANA");
        ClaveAccesoUsuarioActual = QStringLiteral("s3creto");
        const auto sinClave = qScopeGuard([] { ClaveAccesoUsuarioActual.clear(); });
        MessageSeam::clearLog();
        QString archivo;
        QCOMPARE(ArgumentosMensajeria(QStringLiteral("Modo=Inicio"), archivo),
                 (QStringList{ArchivoParametros, "ANA", "Indefinida", "Modo=Inicio"}));
        QVERIFY(archivo.isEmpty());
        QCOMPARE(MessageSeam::log().size(), 1);
        const QString texto = MessageSeam::log().first().text;
        QVERIFY2(texto.startsWith(QStringLiteral("¡ El programa de mensajería interna no recibirá "
                                                 "su clave de acceso: ")) &&
                     texto.contains(carpeta + motivo),
                 qPrintable(texto));
        QCOMPARE(MessageSeam::log().first().kind, QStringLiteral("A"));
    }

    // The messaging program gets the password only in a file of its owner.
    void mensajeria() {
        TestInstalacion inst;
        // A temporary folder of the test's own, shared like the system's.
        const QByteArray temporalAnterior = qgetenv("TMPDIR");
        qputenv("TMPDIR", inst.carpeta().toLocal8Bit());
        const auto restaurar = qScopeGuard([&] { qputenv("TMPDIR", temporalAnterior); });
        CodigoUsuarioActual = QStringLiteral("ANA");
        QString archivo;
        QCOMPARE(ArgumentosMensajeria(QStringLiteral("Modo=Inicio"), archivo),
                 (QStringList{ArchivoParametros, "ANA", "Indefinida", "Modo=Inicio"}));
        QVERIFY(archivo.isEmpty());

        ClaveAccesoUsuarioActual = QStringLiteral("s3cr'eto");
        // The folder was made by someone else's hand, open to all, and holds
        // a file by this session's name that others may read, and the file of
        // a session that is no longer running.
        const QString carpeta = inst.carpeta() + QStringLiteral("/BRUVELI-%1").arg(::geteuid());
        QVERIFY(QDir().mkpath(carpeta));
        QVERIFY(QFile::setPermissions(carpeta, QFile::Permissions(0x7777)));
        const QString propio =
            carpeta + QStringLiteral("/BRUVELI_%1.clave").arg(QCoreApplication::applicationPid());
        QProcess muerto;
        muerto.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(muerto.waitForStarted());
        const qint64 pidMuerto = muerto.processId();
        muerto.kill();
        QVERIFY(muerto.waitForFinished());
        const QString abandonado = carpeta + QStringLiteral("/BRUVELI_%1.clave").arg(pidMuerto);
        for (const QString& a : {propio, abandonado}) {
            QFile f(a);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("espia");
            f.close();
            QVERIFY(f.setPermissions(QFile::Permissions(0x6666)));
        }
        const QStringList args = ArgumentosMensajeria(QString(), archivo);
        QCOMPARE(archivo, propio);
        QVERIFY(!QFileInfo::exists(abandonado));
        QCOMPARE(QFile::permissions(carpeta) & QFile::Permissions(0x0077), QFile::Permissions());
        QCOMPARE(args.size(), 4);
        QCOMPARE(args[2], archivo);
        QVERIFY(!args.join(QLatin1Char(' ')).contains(QLatin1String("s3cr")));
        QFile f(archivo);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), QStringLiteral("s3cr'eto"));
        QCOMPARE(f.permissions() &
                     (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());

        // Started through the configured command, with those arguments.
        const QString salida = inst.carpeta() + QStringLiteral("/args.txt");
        const QString guion = inst.carpeta() + QStringLiteral("/bruveli.sh");
        QFile g(guion);
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.write(QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" > '%1.tmp'; mv '%1.tmp' '%1'\n")
                    .arg(salida)
                    .toUtf8());
        g.close();
        g.setPermissions(g.permissions() | QFile::ExeOwner);
        inst.EscribirConfiguracion(QStringLiteral("Programas"), QStringLiteral("BRUVELI.EXE"),
                                   guion);
        MensajeriaInternaActivada = false;
        IniciarMensajeria(inst.sesion(), QStringLiteral("Modo=Inicio"));
        QTest::qWait(200);
        QVERIFY(!QFile::exists(salida));
        MensajeriaInternaActivada = true;
        IniciarMensajeria(inst.sesion(), QStringLiteral("Modo=Inicio"));
        QTRY_VERIFY(QFile::exists(salida));
        QFile r(salida);
        QVERIFY(r.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(r.readAll()),
                 ArchivoParametros + "|ANA|" + archivo + "|Modo=Inicio|");
        QVERIFY(MessageSeam::log().isEmpty());

        // Without a command nor the program, nothing is reported.
        inst.EscribirConfiguracion(QStringLiteral("Programas"), QStringLiteral("BRUVELI.EXE"),
                                   QString());
        IniciarMensajeria(inst.sesion(), QString());
        QVERIFY(MessageSeam::log().isEmpty());
    }
};

QTEST_MAIN(TestGeneInicServicios)
#include "tst_geneinic_servicios.moc"
