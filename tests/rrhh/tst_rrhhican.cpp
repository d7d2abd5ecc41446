// The candidate code interchange on a real installation: a candidate
// renumbered or merged in the dictionary's "CodigoCandidato" columns, its own
// position and training rows, the candidates file and its attachments; the
// employee of the same code left alone; a refused step rolling the pair back;
// the candidates' key range.

#include <QFile>
#include <QtTest>
#include <optional>

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genesist.h"
#include "gene/dialogo_modal.h"
#include "gene/session/geneapp.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "rrhh/rrhhican.h"
#include "support/baseretenida.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/loginprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

QString sql(const QString& s) {
    return SqlPrueba(s);
}

int cuenta(const QString& consulta) {
    return sql(QStringLiteral("SELECT COUNT(*) FROM ") + consulta).trimmed().toInt();
}

// The rows a person holds in the shared tables, by owner: its code goes into
// the column given, the rest of the key is fixed.
struct Compartida {
    const char* tabla;
    const char* columna;
    const char* otras;    // the other key columns
    const char* valores;  // their values
};
constexpr Compartida kCompartidas[] = {
    {"HPUESTO", "CodigoOperario", "Linea", "1"},
    {"HFORMACI", "CodigoOperario", "Linea", "1"},
    {"DOCUTRON", "ClaveTabla", "Nombre", "'contrato.pdf'"},
    {"GRANTAB", "ClaveTabla", "GrupoAnalisis", "'PT01'"},
    {"CONTACTO", "CodigoTabla", "Linea", "1"},
    {"BLOBTAB", "ClaveTabla", "IdObjeto", "'Foto'"},
};

QString valorCodigo(const Compartida& c, int codigo) {
    return QLatin1String(c.columna) == QLatin1String("CodigoOperario")
               ? QString::number(codigo)
               : QLatin1Char('\'') + QString::number(codigo) + QLatin1Char('\'');
}

void filas(const char* propietario, int codigo) {
    for (const Compartida& c : kCompartidas)
        QVERIFY(!sql(QStringLiteral("INSERT INTO %1 (NombreTabla, %2, %3) VALUES ('%4', %5, %6)")
                         .arg(QLatin1String(c.tabla), QLatin1String(c.columna),
                              QLatin1String(c.otras), QLatin1String(propietario),
                              valorCodigo(c, codigo), QLatin1String(c.valores)))
                     .startsWith(QLatin1String("Error")));
}

int filasDe(const char* propietario, int codigo) {
    int n = 0;
    for (const Compartida& c : kCompartidas)
        n += cuenta(QStringLiteral("%1 WHERE NombreTabla = '%2' AND %3 = %4")
                        .arg(QLatin1String(c.tabla), QLatin1String(propietario),
                             QLatin1String(c.columna), valorCodigo(c, codigo)));
    return n;
}

QString nombre(int codigo) {
    return sql(QStringLiteral("SELECT Nombre FROM CANDIDAT WHERE Codigo = ") +
               QString::number(codigo))
        .trimmed();
}

struct Entorno : EmpresaPrueba {
    explicit Entorno(Engine engine) : EmpresaPrueba(engine), motor(engine) {
        principal.setFormStyle(fsMDIForm);
        SetMainForm(&principal);
        // A table of the company's own dictionary that refers to candidates,
        // and the import's ORIGEN table, which keeps its codes.
        const QString ruta = RutaDiccionario();
        QFile especifico(ruta.left(ruta.size() - 3) + QStringLiteral("ESP"));
        QVERIFY(especifico.open(QIODevice::WriteOnly));
        especifico.write(
            "SELECCION/C/1/CodigoCandidato/ftInteger/0/*\r\n"
            "SELECCION/C/2/Prueba/ftInteger/0/*\r\n"
            "ORIGEN/C/1/CodigoCandidato/ftInteger/0/*\r\n");
        especifico.close();
        for (const char* t : {"SELECCION", "ORIGEN"})
            sql(QStringLiteral("CREATE TABLE ") + QLatin1String(t) +
                QStringLiteral(" (CodigoCandidato INTEGER NOT NULL, Prueba INTEGER NOT NULL, "
                               "PRIMARY KEY (CodigoCandidato, Prueba))"));
        sql(
            QStringLiteral("INSERT INTO CANDIDAT (Codigo, Nombre) VALUES (12, 'Ana'), (20, "
                           "'Luis'), (99999999, 'Eva')"));
        sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (12, 'Pedro')"));
        filas("CANDIDAT", 12);
        filas("PERSONAL", 12);
        for (const char* t : {"SELECCION", "ORIGEN"})
            sql(QStringLiteral("INSERT INTO ") + QLatin1String(t) +
                QStringLiteral(" (CodigoCandidato, Prueba) VALUES (12, 1)"));
        RegistrarTfRRHHICAN();
        f = qobject_cast<TfRRHHICAN*>(CreateForm(QStringLiteral("TfRRHHICAN")));
        MessageSeam::clearLog();
    }
    ~Entorno() {
        if (f) {
            f->Close();
            (void)QTest::qWaitFor([this] { return f.isNull(); });
        }
        SetMainForm(nullptr);
    }
    Engine motor;
    TForm principal;
    QPointer<TfRRHHICAN> f;
};

}  // namespace

class TestRrhhIcan : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        InstalarServiciosFormulario();
        MessageSeam::activate();
    }
    void cleanup() { MessageSeam::clearLog(); }

    void renumerarYFusionar_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("destino");
        QTest::addColumn<bool>("bloqueo");
        for (Engine e : AvailableEngines()) {
            const QString t = EngineTag(e);
            QTest::newRow(qPrintable(t + QStringLiteral(" libre"))) << int(e) << 30 << false;
            QTest::newRow(qPrintable(t + QStringLiteral(" existente"))) << int(e) << 20 << false;
            QTest::newRow(qPrintable(t + QStringLiteral(" columna rechazada")))
                << int(e) << 30 << true;
        }
    }
    void renumerarYFusionar() {
        QFETCH(int, engine);
        QFETCH(int, destino);
        QFETCH(bool, bloqueo);
        Entorno e{Engine(engine)};
        if (bloqueo) BloquearModificacion(e.motor, QStringLiteral("SELECCION"));
        const bool existe = destino == 20;
        QCOMPARE(e.f->Caption(), QStringLiteral("Intercambio de Códigos de Candidatos"));
        QCOMPARE(e.f->ImportarMaestro->Caption(), QStringLiteral("Importar &Candidatos"));

        e.f->AgregarPar(QStringLiteral("12"), QString::number(destino));
        e.f->Temporal->First();
        QCOMPARE(e.f->Temporal->FieldByName(QStringLiteral("Nombre"))->AsString(),
                 QStringLiteral("Ana"));
        if (existe) MessageSeam::enqueue(QStringLiteral("SI"));   // the destination exists
        MessageSeam::enqueue(QStringLiteral("SI"));               // the run begins
        if (bloqueo) MessageSeam::enqueue(QStringLiteral("NO"));  // no details
        e.f->pbConformeClick(e.f->pbConforme);
        if (bloqueo) QuitarBloqueoModificacion(e.motor, QStringLiteral("SELECCION"));

        const int hecho = bloqueo ? 0 : 1;
        QCOMPARE(e.f->Incidencias.isEmpty(), !bloqueo);
        if (bloqueo)
            QVERIFY(e.f->Incidencias.first().startsWith(
                QStringLiteral("La tabla SELECCION no se puede procesar. Motivo: ")));
        QCOMPARE(filasDe("CANDIDAT", 12), bloqueo ? 6 : 0);
        QCOMPARE(filasDe("CANDIDAT", destino), hecho * 6);
        QCOMPARE(cuenta(QStringLiteral("SELECCION WHERE CodigoCandidato = %1").arg(destino)),
                 hecho);
        QCOMPARE(cuenta(QStringLiteral("ORIGEN WHERE CodigoCandidato = 12")), 1);
        QCOMPARE(nombre(12), bloqueo ? QStringLiteral("Ana") : QString());
        QCOMPARE(nombre(destino),
                 existe ? QStringLiteral("Luis") : (bloqueo ? QString() : QStringLiteral("Ana")));
        // The employee of the same code keeps everything.
        QCOMPARE(filasDe("PERSONAL", 12), 6);
        QCOMPARE(
            sql(QStringLiteral("SELECT Nombre FROM PERSONAL WHERE CodigoOperario = 12")).trimmed(),
            QStringLiteral("Pedro"));
    }

    // The run under a database another program holds past the lock wait,
    // or on a connection the server ended: the pair is refused with the
    // true reason (busy, or the connection lost), never a record lock nor
    // a bare "not completed", and the candidate keeps every row.
    void baseNoDisponible_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("conexion");
        for (Engine motor : AvailableEngines()) {
            NewEngineRow(motor, "retenida") << false;
            if (motor == Engine::Postgres) NewEngineRow(motor, "conexion perdida") << true;
        }
    }
    void baseNoDisponible() {
        QFETCH(int, engine);
        QFETCH(bool, conexion);
        // The server stopped for the session's own login.
        std::optional<TLoginPrueba> login;
        if (conexion) login.emplace();
        Entorno e{Engine(engine)};
        e.f->AgregarPar(QStringLiteral("12"), QStringLiteral("30"));
        std::optional<TBaseRetenida> retenida;
        if (conexion) {
            // The server stops while the clerk reads the question that
            // begins the run; then no details.
            MessageSeam::activate(true);
            AlMostrarse<TfGENEMENS>([&login](TfGENEMENS* d) {
                AlMostrarse<TfGENEMENS>([](TfGENEMENS* p) { p->pbNO->click(); });
                login->Detener();
                d->pbSI->click();
            });
        } else {
            retenida.emplace(fGENEINIC->Database, QStringList{QStringLiteral("CANDIDAT")});
            MessageSeam::enqueue(QStringLiteral("SI"));  // the run begins
            MessageSeam::enqueue(QStringLiteral("NO"));  // no details
        }
        try {
            e.f->pbConformeClick(e.f->pbConforme);
        } catch (...) {
            // What the button's handler lets go reaches the session's
            // handler, as from the event loop.
            DespacharExcepcion(e.f, std::current_exception());
        }
        retenida.reset();
        const QString incidencias = (e.f->Incidencias + TextosMostrados()).join(QLatin1Char('\n'));
        if (login) {
            login->Reanudar();
            MessageSeam::activate();
        }
        QVERIFY2(incidencias.contains(
                     conexion ? QStringLiteral("conexión con el servidor de la Base de Datos !.")
                              : QStringLiteral("¡ La base de datos está ocupada por otro usuario "
                                               "!. Inténtelo de nuevo dentro de unos momentos.")),
                 qPrintable(incidencias));
        QVERIFY2(!incidencias.contains(QStringLiteral("bloqueado")), qPrintable(incidencias));
        QVERIFY2(!e.f->Incidencias.contains(QStringLiteral(
                     "¡ La transacción no ha sido completada !. Inténtelo de nuevo.")),
                 qPrintable(incidencias));
        QCOMPARE(filasDe("CANDIDAT", 12), 6);
        QCOMPARE(nombre(12), QStringLiteral("Ana"));
        QCOMPARE(nombre(30), QString());
    }

    // Two candidates with rows of the same key: numbered lines take the
    // destination's next number, the rest yield to the destination's and are
    // listed; nothing stays under the origin.
    void fusionConFilas_data() {
        QTest::addColumn<int>("engine");
        for (Engine e : AvailableEngines()) QTest::newRow(qPrintable(EngineTag(e))) << int(e);
    }
    void fusionConFilas() {
        QFETCH(int, engine);
        Entorno e{Engine(engine)};
        filas("CANDIDAT", 20);
        e.f->AgregarPar(QStringLiteral("12"), QStringLiteral("20"));
        for (const char* r : {"SI", "SI", "NO"}) MessageSeam::enqueue(QLatin1String(r));
        e.f->pbConformeClick(e.f->pbConforme);
        QCOMPARE(filasDe("CANDIDAT", 12), 0);
        QCOMPARE(filasDe("CANDIDAT", 20), 9);
        for (const char* t : {"HPUESTO", "HFORMACI"})
            QCOMPARE(cuenta(QStringLiteral("%1 WHERE NombreTabla = 'CANDIDAT' AND CodigoOperario "
                                           "= 20 AND Linea = 2")
                                .arg(QLatin1String(t))),
                     1);
        QCOMPARE(cuenta(QStringLiteral("CONTACTO WHERE NombreTabla = 'CANDIDAT' AND CodigoTabla = "
                                       "'20' AND Linea = 2")),
                 1);
        const QStringList descartes = e.f->Incidencias.filter(QStringLiteral("¡Prevalece"));
        QCOMPARE(descartes.size(), 3);  // document, group, photo
        QCOMPARE(filasDe("PERSONAL", 12), 6);
    }

    // Candidates take codes up to 99999999; the employees' 9999 does not hold.
    void rango_data() {
        QTest::addColumn<QString>("destino");
        QTest::addColumn<bool>("aceptada");
        QTest::newRow("diez mil") << "10000" << true;
        QTest::newRow("máximo existente") << "99999999" << true;
        QTest::newRow("fuera") << "100000000" << false;
        QTest::newRow("cero") << "0" << false;
    }
    void rango() {
        QFETCH(QString, destino);
        QFETCH(bool, aceptada);
        Entorno e{Engine::Sqlite};
        MessageSeam::enqueue(QStringLiteral("SI"));
        e.f->Temporal->Append();
        e.f->Temporal->FieldByName(QStringLiteral("DatoOrigen"))->setAsString(QStringLiteral("12"));
        e.f->Temporal->FieldByName(QStringLiteral("DatoDestino"))->setAsString(destino);
        bool posted = true;
        try {
            e.f->Temporal->Post();
        } catch (const EAbort&) {
            posted = false;
            e.f->Temporal->Cancel();
        }
        QCOMPARE(posted, aceptada);
        if (!aceptada)
            QCOMPARE(TextosMostrados(),
                     QStringList{QStringLiteral("¡ El valor debe estar entre 1 y 99999999 !")});
    }
};

QTEST_MAIN(TestRrhhIcan)
#include "tst_rrhhican.moc"
