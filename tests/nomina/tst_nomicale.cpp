// The company calendars on a real installation: the month laid out Monday
// first, a generated year (leap day, August, the schedule), a year that
// exists already, a year outside 1..9999 refused, the deletion of a year by
// its number, copies that never touch the calendar on display, the spins at
// their ends and a marked day.

#include <QSqlQuery>
#include <QtTest>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/listings/geneprog.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/sesion.h"
#include "nomina/nomicale.h"
#include "support/baseretenida.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/lienzoprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/grids.h"
#include "ui/registry.h"

namespace {

QString sql(const QString& sentencia) {
    return SqlPrueba(sentencia);
}

QString fecha(int ano, int mes, int dia) {
    return ValorSQL(QDateTime(QDate(ano, mes, dia), QTime(0, 0)));
}

// The texts shown since the last call.
QStringList textos() {
    const QStringList l = TextosMostrados();
    MessageSeam::clearLog();
    return l;
}

QString dia(int codigo, int ano, int mes, int d) {
    return sql(QStringLiteral("SELECT EsDiaTrabajado, EsDiaFestivo, EsDiaVacaciones, EsDiaPuente, "
                              "NumeroHorario FROM CALENDAR WHERE Codigo = %1 AND Fecha = %2")
                   .arg(codigo)
                   .arg(fecha(ano, mes, d)));
}

QString ocupada() {
    return QStringLiteral(
        "¡ La base de datos está ocupada por otro usuario !. Inténtelo de nuevo dentro de unos "
        "momentos.");
}

QString filas(int codigo) {
    return sql(QStringLiteral("SELECT COUNT(*) FROM CALENDAR WHERE Codigo = %1").arg(codigo));
}

struct Entorno : EmpresaPrueba {
    explicit Entorno(int engine) : EmpresaPrueba(Engine(engine)) {
        RegistrarTfNOMICALE();
        f = qobject_cast<TfNOMICALE*>(CreateForm(QStringLiteral("TfNOMICALE")));
        sql(QStringLiteral("INSERT INTO HORARIO (Numero, Descripcion) VALUES (3, 'Mañana')"));
        f->Horario->Refresh();
        f->EditNumeroHorario->setKeyValue(3);
        MessageSeam::clearLog();
    }
    ~Entorno() {
        if (f) {
            f->Close();
            (void)QTest::qWaitFor([this] { return f.isNull(); });
        }
    }
    void mostrar(int codigo, int ano, int mes) {
        f->CodigoCalendario = codigo;
        f->Ejercicio = ano;
        f->Mes = mes;
        f->MostrarMes();
    }
    QPointer<TfNOMICALE> f;
};

// See TestNomiCale::eliminar.
void eliminarAtravesDeUnaVista(int engine, const QByteArray& login) {
    const TConnectionParams servidor = PostgresServerParams();
    const QByteArray usuario = qgetenv("RH_PG_USER");
    const auto comoAntes = qScopeGuard([&] { qputenv("RH_PG_USER", usuario); });
    if (!login.isEmpty()) qputenv("RH_PG_USER", qgetenv(login.constData()));
    Entorno e(engine);
    QVERIFY(GenerarAnoCalendario(1, 2026, 3));
    const QString general = fGENEINIC->DatabaseGeneral->Params().schema;
    const QString empresa = fGENEINIC->Database->Params().schema;
    // The superuser's connection, standing for any way into the server.
    auto externa = [&](const QString& sentencia) { return RunOutside(servidor, sentencia); };
    const QString empresas =
        QStringLiteral("SELECT Codigo || '|' || Nombre FROM %1.EMPRESA ORDER BY 1").arg(general);
    const QStringList antes = externa(empresas);
    QVERIFY(!antes.isEmpty());
    TQuery u;
    u.setDatabaseName(fGENEINIC->Database->DatabaseName());
    u.setUserStatement(true);
    u.SQL().setText(QStringLiteral("ALTER TABLE CALENDAR RENAME TO calendar_antes"));
    u.ExecSQL();
    externa(QStringLiteral("CREATE VIEW %1.CALENDAR AS SELECT Codigo, CAST('2026-06-01' AS "
                           "timestamp) AS Fecha FROM %2.EMPRESA")
                .arg(empresa, general));
    externa(QStringLiteral("GRANT ALL ON %1.CALENDAR TO PUBLIC").arg(empresa));
    textos();
    QString error;
    try {
        error = EliminarAnoCalendario(1, 2026) ? QString() : textos().join(u'\n');
    } catch (const EDatabaseError& x) {
        error = x.Message();
    }
    QCOMPARE(externa(empresas), antes);
    QCOMPARE(externa(QStringLiteral("SELECT COUNT(*) FROM %1.calendar_antes").arg(empresa)),
             QStringList{QStringLiteral("365")});
    QVERIFY2(error.contains(QLatin1String("CALENDAR")) && error.contains(QLatin1String("vista")),
             qPrintable(error));
}

}  // namespace

class TestNomiCale : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        InstalarServiciosFormulario();
        MessageSeam::activate();
        AsignarProgramaEnEjecucion(QStringLiteral("KORVAND.EXE"));
    }
    void cleanup() { MessageSeam::clearLog(); }

    void celdas_data() {
        QTest::addColumn<int>("ano");
        QTest::addColumn<int>("mes");
        QTest::addColumn<int>("primera");  // the cell of the 1st (0-based)
        QTest::addColumn<int>("ultima");   // the cell of the last day
        QTest::newRow("empieza en lunes") << 2024 << 1 << 0 << 30;
        QTest::newRow("empieza en domingo") << 2023 << 10 << 6 << 36;
        QTest::newRow("31 días desde el sábado") << 2024 << 3 << 4 << 34;
        QTest::newRow("31 días desde el domingo, fila 6") << 2024 << 12 << 6 << 36;
        QTest::newRow("febrero bisiesto") << 2024 << 2 << 3 << 31;
        QTest::newRow("diciembre 9999") << 9999 << 12 << 2 << 32;
    }
    void celdas() {
        QFETCH(int, ano);
        QFETCH(int, mes);
        QFETCH(int, primera);
        QFETCH(int, ultima);
        const QVector<int> c = CeldasMes(ano, mes);
        QCOMPARE(c.indexOf(1), primera);
        QCOMPARE(c.indexOf(QDate(ano, mes, 1).daysInMonth()), ultima);
        QCOMPARE(c.count(0), 42 - QDate(ano, mes, 1).daysInMonth());
        // The grid shows it with the weekday titles in row 0.
        TStringGrid rejilla;
        rejilla.setColCount(7);
        rejilla.setRowCount(7);
        RellenarRejillaMes(&rejilla, ano, mes);
        QCOMPARE(rejilla.Cells(0, 0), QStringLiteral("Lunes"));
        QCOMPARE(rejilla.Cells(6, 0), QStringLiteral("Domingo"));
        QCOMPARE(rejilla.Cells(primera % 7, 1 + primera / 7), QStringLiteral("1"));
        QCOMPARE(rejilla.Cells(ultima % 7, 1 + ultima / 7),
                 QString::number(QDate(ano, mes, 1).daysInMonth()));
    }

    void generar_data() { AddEngineRows(); }
    void generar() {
        QFETCH(int, engine);
        Entorno e(engine);
        TfNOMICALE* f = e.f;
        QCOMPARE(f->Caption(), QStringLiteral("Maestro de Calendarios"));
        // As tall as the control panel's bottom and the platform's allowance.
        QCOMPARE(f->Height(),
                 f->PanelControl->y() + f->PanelControl->height() + AjusteAlturaFormularios);
        QCOMPARE(f->HorarioSeleccionado(), 3);
        e.mostrar(1, 2024, 8);
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->pbNuevoClick(f->pbNuevo);
        QCOMPARE(textos(), QStringList{QStringLiteral(
                               "¿ Realmente desea crear un nuevo calendario para este año ?")});
        QCOMPARE(filas(1), QStringLiteral("366"));
        QCOMPARE(dia(1, 2024, 2, 29), QStringLiteral("SI|NO|NO|NO|3"));  // a Thursday
        QCOMPARE(dia(1, 2024, 8, 3), QStringLiteral("NO|NO|SI|NO|0"));   // Saturday
        QCOMPARE(dia(1, 2024, 8, 4), QStringLiteral("NO|SI|SI|NO|0"));   // Sunday
        QCOMPARE(dia(1, 2024, 3, 2), QStringLiteral("NO|NO|NO|NO|3"));   // Saturday
        QCOMPARE(dia(1, 2024, 3, 3), QStringLiteral("NO|SI|NO|NO|0"));   // Sunday
        QVERIFY(f->DiaMostrado(QDate(2024, 8, 4)));
        // "NO" generates nothing; without a schedule the number is 0.
        MessageSeam::enqueue(QStringLiteral("NO"));
        e.mostrar(2, 2024, 8);
        f->pbNuevoClick(f->pbNuevo);
        QCOMPARE(filas(2), QStringLiteral("0"));
        QVERIFY(GenerarAnoCalendario(2, 2023, 0));
        QCOMPARE(dia(2, 2023, 3, 1), QStringLiteral("SI|NO|NO|NO|0"));
        QCOMPARE(filas(2), QStringLiteral("365"));

        // A year that exists in part: the days before the first existing one
        // are added, the message, nothing after it.
        sql(QStringLiteral("INSERT INTO CALENDAR (Codigo, Fecha, EsDiaTrabajado, EsDiaFestivo, "
                           "EsDiaVacaciones, EsDiaPuente, NumeroHorario) VALUES (4, %1, 'NO', "
                           "'SI', 'NO', 'NO', 0)")
                .arg(fecha(2024, 3, 5)));
        e.mostrar(4, 2024, 3);
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->pbNuevoClick(f->pbNuevo);
        QCOMPARE(textos().value(1),
                 QStringLiteral("¡ Está intentando grabar un calendario que ya existe !"));
        QCOMPARE(filas(4), QString::number(31 + 29 + 4 + 1));
        QCOMPARE(dia(4, 2024, 3, 5), QStringLiteral("NO|SI|NO|NO|0"));
        QCOMPARE(dia(4, 2024, 3, 6), QString());
    }

    // A year without valid dates is refused before anything is written,
    // by every operation on a year: year 0 used to loop for ever, 10000
    // wrote the days of 9999, a negative year invalid dates, and deleting or
    // copying one showed the engine's own English words.
    void anoFueraDeIntervalo_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("ano");
        for (Engine motor : AvailableEngines())
            for (int ano : {0, -1, 10000})
                QTest::newRow(qPrintable(EngineTag(motor) + QStringLiteral(" %1").arg(ano)))
                    << int(motor) << ano;
    }
    void anoFueraDeIntervalo() {
        QFETCH(int, engine);
        QFETCH(int, ano);
        Entorno e(engine);
        QVERIFY(!GenerarAnoCalendario(1, ano, 3));
        QCOMPARE(
            textos(),
            QStringList{QStringLiteral("¡ El año %1 no es válido !. Indique un año entre 1 y 9999.")
                            .arg(ano)});
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM CALENDAR")), QStringLiteral("0"));
        // The limits themselves are years like any other.
        QVERIFY(GenerarAnoCalendario(1, ano > 0 ? 9999 : 1, 3));
        QCOMPARE(filas(1), QStringLiteral("365"));

        // Deleting and copying it from the window: the question, then the
        // same warning, and nothing touched.
        const QString aviso =
            QStringLiteral("¡ El año %1 no es válido !. Indique un año entre 1 y 9999.").arg(ano);
        e.mostrar(1, ano, 1);
        textos();
        MessageSeam::enqueue(QStringLiteral("SI"));
        e.f->pbEliminarClick(e.f->pbEliminar);
        QCOMPARE(
            textos(),
            (QStringList{QStringLiteral("¿ Realmente desea eliminar el calendario ?"), aviso}));
        MessageSeam::enqueue(QStringLiteral("2"));
        e.f->pbDuplicarClick(e.f->pbDuplicar);
        QCOMPARE(textos().mid(1), QStringList{aviso});
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("2/3"));
        e.f->pbCopiaMasivaClick(e.f->pbCopiaMasiva);
        QCOMPARE(textos().mid(2), QStringList{aviso});
        QVERIFY(!EliminarAnoCalendario(1, ano));
        QVERIFY(!CopiarAnoCalendario(1, ano, 2, 2));
        QCOMPARE(textos(), (QStringList{aviso, aviso}));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM CALENDAR")), QStringLiteral("365"));
    }

    // Copying a year the source calendar does not hold: warned, and no target
    // loses its days, whether to one calendar or to a range; also when
    // another program deletes the source's year once the copy has checked
    // it and before it reaches the first target.
    void copiaDeUnAnoQueElOrigenNoTiene_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("masiva");
        QTest::addColumn<bool>("entretanto");
        for (Engine motor : AvailableEngines()) {
            NewEngineRow(motor, "duplicar") << false << false;
            NewEngineRow(motor, "copia a un rango") << true << false;
            NewEngineRow(motor, "duplicar, borrado entretanto") << false << true;
            NewEngineRow(motor, "copia a un rango, borrado entretanto") << true << true;
        }
    }
    void copiaDeUnAnoQueElOrigenNoTiene() {
        QFETCH(int, engine);
        QFETCH(bool, masiva);
        QFETCH(bool, entretanto);
        Entorno e(engine);
        QVERIFY(GenerarAnoCalendario(1, 2024, 3));
        for (int codigo : {2, 3}) QVERIFY(GenerarAnoCalendario(codigo, 2025, 3));
        TDatabase otra;
        QTimer borrado;
        if (entretanto) {
            QVERIFY(GenerarAnoCalendario(1, 2025, 0));
            otra.setDatabaseName(QStringLiteral("OtroPrograma"));
            otra.Params() = fGENEINIC->Database->Params();
            otra.Open();
            // The other program deletes the year when the progress window
            // names the first target: after the check, before the copy.
            QObject::connect(&borrado, &QTimer::timeout, [&] {
                TfGENEPROG* v = fGENEINIC->fGENEPROG();
                if (!v || !v->Texto().startsWith(QStringLiteral("Creando calendario destino")))
                    return;
                borrado.stop();
                otra.Execute(QStringLiteral("DELETE FROM CALENDAR WHERE Codigo = 1 AND Fecha >= ") +
                             fecha(2025, 1, 1));
            });
            borrado.start(0);
        }
        e.mostrar(1, 2025, 1);
        textos();
        if (masiva) {
            MessageSeam::enqueue(QStringLiteral("SI"));
            MessageSeam::enqueue(QStringLiteral("2/3"));
            e.f->pbCopiaMasivaClick(e.f->pbCopiaMasiva);
        } else {
            MessageSeam::enqueue(QStringLiteral("2"));
            e.f->pbDuplicarClick(e.f->pbDuplicar);
        }
        QCOMPARE(textos().last(), QStringLiteral("¡ El calendario 1 no tiene días del año 2025 !. "
                                                 "No se ha copiado nada."));
        QVERIFY(!borrado.isActive());
        QCOMPARE(filas(2), QStringLiteral("365"));
        QCOMPARE(filas(3), QStringLiteral("365"));
        QCOMPARE(dia(2, 2025, 1, 2), QStringLiteral("SI|NO|NO|NO|3"));
        QCOMPARE(filas(1), QStringLiteral("366"));
        // Nothing copied: the window stays on its source.
        QCOMPARE(e.f->CodigoCalendario, 1);
    }

    // Deleting a year; on PostgreSQL, under each login, also once a view
    // over the general EMPRESA stands where CALENDAR stood (moved away by a
    // user's statement, the view made by the server's superuser): the
    // deletion is refused naming the table, and no row of EMPRESA is gone.
    void eliminar_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QByteArray>("login");  // the variable naming it ("" RH_PG_USER)
        QTest::addColumn<bool>("vista");
        for (Engine motor : AvailableEngines()) {
            NewEngineRow(motor, "años") << QByteArray() << false;
            if (motor != Engine::Postgres) continue;
            for (const char* login : {"", "RH_PG_ROLEMAKER_ROLE", "RH_PG_PLAIN_ROLE"})
                if (!*login || !qEnvironmentVariableIsEmpty(login))
                    NewEngineRow(motor, qPrintable(QStringLiteral("vista en su lugar ") + login))
                        << QByteArray(login) << true;
        }
    }
    void eliminar() {
        QFETCH(int, engine);
        QFETCH(QByteArray, login);
        QFETCH(bool, vista);
        if (vista) {
            eliminarAtravesDeUnaVista(engine, login);
            return;
        }
        Entorno e(engine);
        TfNOMICALE* f = e.f;
        for (int ano : {2023, 2024, 2025}) QVERIFY(GenerarAnoCalendario(1, ano, 3));
        QVERIFY(GenerarAnoCalendario(1, 2005, 3));
        QVERIFY(GenerarAnoCalendario(1, 5, 3));
        e.mostrar(1, 2024, 6);
        MessageSeam::enqueue(QStringLiteral("NO"));
        f->pbEliminarClick(f->pbEliminar);
        QCOMPARE(filas(1), QString::number(365 + 366 + 365 + 365 + 365));
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->pbEliminarClick(f->pbEliminar);
        QCOMPARE(filas(1), QString::number(365 + 365 + 365 + 365));
        QCOMPARE(dia(1, 2023, 12, 31), QStringLiteral("NO|SI|NO|NO|0"));
        QCOMPARE(dia(1, 2025, 1, 1), QStringLiteral("SI|NO|NO|NO|3"));
        QCOMPARE(dia(1, 2024, 12, 31), QString());
        // Year 5 is year 5, never 2005.
        e.mostrar(1, 5, 1);
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->pbEliminarClick(f->pbEliminar);
        QCOMPARE(filas(1), QString::number(3 * 365));
        QVERIFY(!dia(1, 2005, 6, 1).isEmpty());
    }

    // A user who may only read the calendars is offered no change made by
    // statements: the buttons and F5, F6 do nothing, ask nothing, and the
    // days stay.
    void soloLectura_data() { AddEngineRows(); }
    void soloLectura() {
        QFETCH(int, engine);
        Entorno e(engine);
        QVERIFY(GenerarAnoCalendario(1, 2024, 3));
        CrearUsuarioPrueba(QStringLiteral("PEPE"), QStringLiteral("Normal"), QStringLiteral("1"),
                           QStringLiteral("Maestro de Calendarios"));
        const ComoUsuario pepe(QStringLiteral("PEPE"));
        QPointer<TfNOMICALE> f =
            qobject_cast<TfNOMICALE*>(CreateForm(QStringLiteral("TfNOMICALE")));
        const auto cerrar = qScopeGuard([&] {
            if (f) f->Close();
            (void)QTest::qWaitFor([&] { return f.isNull(); });
        });
        f->CodigoCalendario = 1;
        f->Ejercicio = 2024;
        f->MostrarMes();
        f->show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        textos();
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("5"));
        for (TBitBtn* b : {f->pbNuevo, f->pbEliminar, f->pbDuplicar, f->pbCopiaMasiva}) {
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
            QTest::mouseClick(b, Qt::LeftButton);
        }
        for (Qt::Key tecla : {Qt::Key_F6, Qt::Key_F5})
            QTest::keyClick(QApplication::focusWidget(), tecla);
        QCOMPARE(textos(), QStringList());
        QString sinUsar;  // nothing asked: both answers wait
        QVERIFY(MessageSeam::take(sinUsar) && MessageSeam::take(sinUsar));
        QCOMPARE(filas(1), QStringLiteral("366"));
        QCOMPARE(filas(5), QStringLiteral("0"));
    }

    // A year whose commit fails was not generated: no rows, and false.
    void generarSinConfirmar_data() { AddEngineRows(); }
    void generarSinConfirmar() {
        QFETCH(int, engine);
        Entorno e(engine);
        FallarConfirmacion(CurrentEngine(), QStringLiteral("CALENDAR"), QStringLiteral("INSERT"));
        textos();
        QVERIFY(!GenerarAnoCalendario(1, 2024, 3));
        QVERIFY(!textos().isEmpty());
        QCOMPARE(filas(1), QStringLiteral("0"));
    }

    void copiar_data() { AddEngineRows(); }
    void copiar() {
        QFETCH(int, engine);
        Entorno e(engine);
        TfNOMICALE* f = e.f;
        QVERIFY(GenerarAnoCalendario(1, 2024, 3));
        QVERIFY(GenerarAnoCalendario(3, 2024, 0));
        QVERIFY(GenerarAnoCalendario(3, 2023, 0));
        sql(QStringLiteral(
                "UPDATE CALENDAR SET EsDiaFestivo = 'SI' WHERE Codigo = 1 AND Fecha = ") +
            fecha(2024, 5, 15));
        e.mostrar(1, 2024, 5);

        // Onto itself, out of range or not a number: the warning, nothing touched.
        const QString aviso =
            QStringLiteral("¡El valor de Código de Calendario es incorrecto! Repita por favor");
        for (const char* respuesta : {"1", "10000", "0", "x"}) {
            MessageSeam::enqueue(QLatin1String(respuesta));
            f->pbDuplicarClick(f->pbDuplicar);
            QCOMPARE(textos().value(1), aviso);
            QCOMPARE(f->CodigoCalendario, 1);
        }
        QCOMPARE(filas(1), QStringLiteral("366"));
        // An empty or cancelled answer does nothing.
        MessageSeam::enqueue(QString());
        f->pbDuplicarClick(f->pbDuplicar);
        MessageSeam::enqueue(MessageSeam::cancel());
        f->pbDuplicarClick(f->pbDuplicar);
        QCOMPARE(textos().size(), 2);

        // One target: its year replaced, the source kept, the target shown
        // in the month of the boxes.
        MessageSeam::enqueue(QStringLiteral("3"));
        f->pbDuplicarClick(f->pbDuplicar);
        QCOMPARE(f->CodigoCalendario, 3);
        QCOMPARE(f->Mes, 5);
        QCOMPARE(f->EditCalendario->Text(), QStringLiteral("3"));
        QCOMPARE(dia(3, 2024, 5, 15), QStringLiteral("SI|SI|NO|NO|3"));
        QCOMPARE(filas(3), QString::number(366 + 365));
        QCOMPARE(filas(1), QStringLiteral("366"));
        QVERIFY(f->DiaMostrado(QDate(2024, 5, 15)));

        // A target that cannot be written keeps its year as it was.
        textos();
        BloquearAlta(CurrentEngine(), QStringLiteral("CALENDAR"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("3/3"));
        e.mostrar(1, 2024, 5);
        f->pbCopiaMasivaClick(f->pbCopiaMasiva);
        QuitarBloqueoAlta(CurrentEngine(), QStringLiteral("CALENDAR"));
        QCOMPARE(textos().value(2), QStringLiteral("¡ Calendario no actualizado !"));
        QCOMPARE(filas(3), QString::number(366 + 365));
        // A range that holds the calendar on display copies to the others.
        e.mostrar(1, 2024, 5);
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("1/3"));
        f->pbCopiaMasivaClick(f->pbCopiaMasiva);
        QCOMPARE(filas(1), QStringLiteral("366"));
        QCOMPARE(filas(2), QStringLiteral("366"));
        QCOMPARE(dia(2, 2024, 5, 15), QStringLiteral("SI|SI|NO|NO|3"));
        QCOMPARE(f->CodigoCalendario, 1);
        // Five to three: nothing written, five shown; "a/b" does nothing.
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("5/3"));
        f->pbCopiaMasivaClick(f->pbCopiaMasiva);
        QCOMPARE(f->CodigoCalendario, 5);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM CALENDAR")),
                 QString::number(366 * 3 + 365));
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("a/b"));
        f->pbCopiaMasivaClick(f->pbCopiaMasiva);
        QCOMPARE(f->CodigoCalendario, 5);
    }

    // The marks each day's cell draws, read back from the grid: texts and
    // colours (the day number left out).
    void marcas_data() {
        QTest::addColumn<int>("dia");
        QTest::addColumn<QString>("tipos");  // SI/NO: worked, holiday, vacation, bridge
        QTest::addColumn<QStringList>("marcas");
        const QString azul = QStringLiteral("#0000ff"), rojo = QStringLiteral("#ff0000"),
                      verde = QStringLiteral("#008000"), granate = QStringLiteral("#800000"),
                      naranja = QStringLiteral("#ff8000"), celeste = QStringLiteral("#a6caf0");
        QTest::newRow("trabajado laborable")
            << 13 << "SI|NO|NO|NO" << QStringList{"Tr " + azul, "La " + verde, "3 " + celeste};
        QTest::newRow("festivo") << 14 << "NO|SI|NO|NO"
                                 << QStringList{"Fe " + rojo, "3 " + celeste};
        QTest::newRow("vacaciones")
            << 15 << "NO|NO|SI|NO" << QStringList{"La " + verde, "Va " + granate, "3 " + celeste};
        QTest::newRow("puente") << 16 << "SI|NO|NO|SI"
                                << QStringList{"Tr " + azul, "La " + verde, "Pu " + naranja,
                                               "3 " + celeste};
    }
    void marcas() {
        QFETCH(int, dia);
        QFETCH(QString, tipos);
        QFETCH(QStringList, marcas);
        Entorno e(int(Engine::Sqlite));
        QVERIFY(GenerarAnoCalendario(1, 2024, 3));
        sql(QStringLiteral("UPDATE CALENDAR SET (EsDiaTrabajado, EsDiaFestivo, EsDiaVacaciones, "
                           "EsDiaPuente) = ('%1') WHERE Codigo = 1 AND Fecha = %2")
                .arg(QString(tipos).replace(QLatin1Char('|'), QStringLiteral("', '")),
                     fecha(2024, 5, dia)));
        e.mostrar(1, 2024, 5);  // 1 May 2024 is a Wednesday: cell 2 of row 1
        e.f->resize(900, 700);
        QCOMPARE(MarcasDia(e.f->SGrid, (dia + 1) % 7, 1 + (dia + 1) / 7, dia), marcas);
    }

    void marcar_data() { AddEngineRows(); }
    void marcar() {
        QFETCH(int, engine);
        Entorno e(engine);
        TfNOMICALE* f = e.f;
        QVERIFY(GenerarAnoCalendario(1, 2024, 3));
        e.mostrar(1, 2024, 5);  // 1 May 2024 is a Wednesday: cell 2 of row 1
        // A title or an empty cell does nothing.
        f->MarcarDia(0, 0);
        f->MarcarDia(0, 1);
        QCOMPARE(textos(), QStringList());
        f->pbFestivos->Click();
        QVERIFY(f->pbFestivos->Down() && !f->pbLaborables->Down());
        f->pbVacaciones->Click();
        f->pbPuente->Click();
        QVERIFY(f->pbPuente->Down() && !f->pbVacaciones->Down());
        f->MarcarDia(2, 1);
        QCOMPARE(dia(1, 2024, 5, 1), QStringLiteral("SI|SI|NO|SI|3"));
        QCOMPARE(f->DiaMostrado(QDate(2024, 5, 1))->Festivo, QStringLiteral("SI"));
        // A refused post: the message, the day as it was.
        BloquearModificacion(CurrentEngine(), QStringLiteral("CALENDAR"));
        f->pbTrabajados->Click();
        f->MarcarDia(3, 1);
        QuitarBloqueoModificacion(CurrentEngine(), QStringLiteral("CALENDAR"));
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ Calendario no actualizado !")});
        QCOMPARE(dia(1, 2024, 5, 2), QStringLiteral("SI|NO|NO|NO|3"));
        QCOMPARE(f->Calendario->State(), dsBrowse);
        // A day the calendar does not have stays missing.
        e.mostrar(1, 2026, 5);
        f->MarcarDia(2, 1);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM CALENDAR WHERE Fecha >= ") +
                     fecha(2026, 1, 1)),
                 QStringLiteral("0"));

        // A search result shows its calendar's month; no result changes nothing.
        f->MostrarClave(QVariantList{3, QDateTime(QDate(2023, 10, 5), QTime(0, 0))});
        QCOMPARE(QList<int>({f->CodigoCalendario, f->Ejercicio, f->Mes}),
                 QList<int>({3, 2023, 10}));
        QCOMPARE(f->EditMes->Text(), QStringLiteral("Octubre"));
        f->MostrarClave(QVariant());
        QCOMPARE(f->CodigoCalendario, 3);
        f->MostrarClave(QStringList{QStringLiteral("2"), QStringLiteral("15/01/2024")});
        QCOMPARE(QList<int>({f->CodigoCalendario, f->Ejercicio, f->Mes}), QList<int>({2, 2024, 1}));
        // The spins stop at their ends.
        e.mostrar(9999, 9999, 12);
        f->SpinMes->DownClick();
        f->SpinEjercicio->DownClick();
        f->SpinCalendario->DownClick();
        QCOMPARE(QList<int>({f->CodigoCalendario, f->Ejercicio, f->Mes}),
                 QList<int>({9999, 9999, 12}));
        QCOMPARE(f->EditMes->Text(), QStringLiteral("Diciembre"));
        f->SpinMes->DownClick();
        e.mostrar(1, 1, 1);
        f->SpinMes->UpClick();
        f->SpinEjercicio->UpClick();
        f->SpinCalendario->UpClick();
        QCOMPARE(QList<int>({f->CodigoCalendario, f->Ejercicio, f->Mes}), QList<int>({1, 1, 1}));
        e.mostrar(1, 2024, 12);
        f->SpinMes->DownClick();
        QCOMPARE(QList<int>({f->Ejercicio, f->Mes}), QList<int>({2025, 1}));
        f->SpinMes->UpClick();
        QCOMPARE(QList<int>({f->Ejercicio, f->Mes}), QList<int>({2024, 12}));
    }

    // A transaction that cannot begin writes no day, even when the cause is
    // gone before the first day would be written: here the connection is
    // in a transaction of another's making (SQLite refuses the BEGIN), whose
    // commit right after would keep whatever was written inside it.
    void inicioRechazadoNoEscribeDias() {
        Entorno e(int(Engine::Sqlite));
        QSqlQuery ajena(fGENEINIC->Database->connection());
        QVERIFY(ajena.exec(QStringLiteral("BEGIN")));
        textos();
        QVERIFY(!GenerarAnoCalendario(5, 2025, 3));
        QVERIFY(ajena.exec(QStringLiteral("COMMIT")));
        QCOMPARE(textos(), QStringList{QStringLiteral(
                               "¡ La transacción no ha sido completada !. Inténtelo de nuevo.")});
        QCOMPARE(filas(5), QStringLiteral("0"));
        QVERIFY(GenerarAnoCalendario(5, 2025, 3));
        QCOMPARE(filas(5), QStringLiteral("365"));
    }

    // Another program holds the database past the lock wait: generating a
    // year, duplicating it or copying it to a range tells the clerk once
    // that the database is busy (no record is locked), and no calendar
    // gains or loses a day; once it is free the same action goes through.
    void baseRetenida_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("accion");
        for (Engine motor : AvailableEngines())
            for (const char* accion : {"nuevo", "duplicar", "copia a un rango"})
                QTest::newRow(
                    qPrintable(EngineTag(motor) + QLatin1Char('/') + QLatin1String(accion)))
                    << int(motor) << QString::fromLatin1(accion);
    }
    void baseRetenida() {
        QFETCH(int, engine);
        QFETCH(QString, accion);
        Entorno e(engine);
        QVERIFY(GenerarAnoCalendario(1, 2025, 3));
        QVERIFY(GenerarAnoCalendario(2, 2025, 0));
        // The clerk's retry is the same button again, on what the window
        // shows after the refusal: the source, never an empty target.
        e.mostrar(accion == QLatin1String("nuevo") ? 4 : 1, 2025, 1);
        const auto actuar = [&] {
            textos();
            if (accion == QLatin1String("nuevo")) {
                MessageSeam::enqueue(QStringLiteral("SI"));
                e.f->pbNuevoClick(e.f->pbNuevo);
            } else if (accion == QLatin1String("duplicar")) {
                MessageSeam::enqueue(QStringLiteral("2"));
                e.f->pbDuplicarClick(e.f->pbDuplicar);
            } else {
                MessageSeam::enqueue(QStringLiteral("SI"));
                MessageSeam::enqueue(QStringLiteral("2/3"));
                e.f->pbCopiaMasivaClick(e.f->pbCopiaMasiva);
            }
            return textos();
        };
        {
            TBaseRetenida retenida(fGENEINIC->Database, {QStringLiteral("CALENDAR")});
            const QStringList vistos = actuar();
            QVERIFY2(vistos.filter(QStringLiteral("bloqueado")).isEmpty(),
                     qPrintable(vistos.join('|')));
            QCOMPARE(vistos.last(), ocupada());
            QCOMPARE(vistos.count(ocupada()), 1);
        }
        QCOMPARE(filas(4), QStringLiteral("0"));
        QCOMPARE(filas(3), QStringLiteral("0"));
        QCOMPARE(dia(2, 2025, 1, 2), QStringLiteral("SI|NO|NO|NO|0"));
        QCOMPARE(filas(1), QStringLiteral("365"));
        QCOMPARE(e.f->CodigoCalendario, accion == QLatin1String("nuevo") ? 4 : 1);
        const QStringList reintento = actuar();
        // Only its questions: no warning ("¡ El calendario 2 no tiene días…").
        QVERIFY2(reintento.filter(QStringLiteral("¡")).isEmpty(), qPrintable(reintento.join('|')));
        QCOMPARE(filas(accion == QLatin1String("nuevo") ? 4 : 2), QStringLiteral("365"));
        if (accion != QLatin1String("nuevo"))
            QCOMPARE(dia(2, 2025, 1, 2), QStringLiteral("SI|NO|NO|NO|3"));
    }
};

QTEST_MAIN(TestNomiCale)
#include "tst_nomicale.moc"
