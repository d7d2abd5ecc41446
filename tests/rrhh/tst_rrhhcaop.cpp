// The employee calendars on a real installation: days generated from
// contracts and leaves under the payroll identity (and nothing under this
// program's), the time of an incidence, the grid drawn over the company
// calendar, the palette's rules, marking, "Despersonalizar" and the
// deletions, and incidences numbered per day once their date is known.

#include <QApplication>
#include <QImage>
#include <QtTest>

#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genevmem.h"
#include "gene/session/geneapp.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "nomina/nomicale.h"
#include "rrhh/rrhhcaop.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/lienzoprueba.h"
#include "support/lineasprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/grids.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

QString sql(const QString& sentencia) {
    return SqlPrueba(sentencia);
}

QString fecha(const QDate& d) {
    return ValorSQL(QDateTime(d, QTime(0, 0)));
}

// The texts shown since the last call.
QStringList textos() {
    const QStringList l = TextosMostrados();
    MessageSeam::clearLog();
    return l;
}

// The employee's generated days as "day:worked,holiday,vacation,situation".
QStringList dias(int operario) {
    const QString r =
        sql(QStringLiteral("SELECT Fecha, EsDiaTrabajado, EsDiaFestivo, EsDiaVacaciones, "
                           "Situacion FROM CALENOPE WHERE CodigoOperario = %1 ORDER BY Fecha")
                .arg(operario));
    QStringList l;
    for (const QString& fila : r.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const QStringList c = fila.split(QLatin1Char('|'));
        l << QString::number(TextoAFechaHora(c[0]).date().day()) + QLatin1Char(':') +
                 c.mid(1).join(QLatin1Char(','));
    }
    return l;
}

struct Entorno : EmpresaPrueba {
    explicit Entorno(int engine) : EmpresaPrueba(Engine(engine)) {
        for (const char* nombre :
             {"CALENDAR", "CALENOPE", "INCCALOP", "HCONTRAT", "BAJA", "TSUBSDIO", "HORARIO"}) {
            TTable t;
            t.setTableName(QLatin1String(nombre));
            AbrirTabla(fGENEINIC, &t);
        }
        sql(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, CodigoCalendario) "
                           "VALUES (7, 'Ana Ruiz', 1)"));
        MessageSeam::clearLog();
    }
    ~Entorno() {
        if (f) {
            f->Close();
            (void)QTest::qWaitFor([this] { return f.isNull(); });
        }
        AsignarProgramaEnEjecucion(QStringLiteral("KORVAND.EXE"));
    }
    void contrato(int operario, int numero, const QDate& inicio, const QString& final) {
        sql(QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, "
                           "FechaInicioContrato, FechaFinalContrato) VALUES (%1, %2, %3, %4)")
                .arg(operario)
                .arg(numero)
                .arg(fecha(inicio), final));
    }
    TfRRHHCAOP* abrir(int operario, int ano, int mes) {
        RegistrarTfRRHHCAOP();
        f = qobject_cast<TfRRHHCAOP*>(CreateForm(QStringLiteral("TfRRHHCAOP")));
        // As the personnel master opens it.
        f->setProperty("CodigoOperarioCalendario", operario);
        f->setProperty("EjercicioCalendario", ano);
        f->setProperty("MesCalendario", mes);
        f->setProperty("CodigoCalendarioOperario", 1);
        MessageSeam::clearLog();
        return f;
    }
    QPointer<TfRRHHCAOP> f;
};

}  // namespace

class TestRrhhCaop : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        InstalarServiciosFormulario();
        MessageSeam::activate();
        AsignarProgramaEnEjecucion(QStringLiteral("KORVAND.EXE"));
    }
    void cleanup() { MessageSeam::clearLog(); }

    void tiempo_data() {
        QTest::addColumn<QString>("inicio");
        QTest::addColumn<QString>("final");
        QTest::addColumn<double>("horas");
        QTest::newRow("mañana") << "08:30"
                                << "10:00" << 1.5;
        QTest::newRow("cruza la medianoche") << "22:00"
                                             << "02:00" << 4.0;
        QTest::newRow("segundos") << "09:00:00"
                                  << "09:00:36" << 0.01;
        QTest::newRow("igual") << "12:00"
                               << "12:00" << 0.0;
    }
    void tiempo() {
        QFETCH(QString, inicio);
        QFETCH(QString, final);
        QFETCH(double, horas);
        auto hora = [](const QString& t) {
            return QTime::fromString(
                t, t.size() > 5 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
        };
        QCOMPARE(TiempoIncidencia(hora(inicio), hora(final)), horas);
    }

    void generar_data() { AddEngineRows(); }
    void generar() {
        QFETCH(int, engine);
        Entorno e(engine);
        const QDate junio(2024, 6, 1);
        // Employee 7: a contract ending on the 15th; 8: a contract with a zero
        // end and an "Enfermedad" leave from the 10th with a NULL end; 9: no
        // contract; 10: a contract whose end is NULL.
        e.contrato(7, 1, QDate(2024, 1, 1), fecha(QDate(2024, 6, 15)));
        e.contrato(8, 1, QDate(2020, 1, 1), fecha(ZeroDate()));
        e.contrato(10, 1, QDate(2024, 6, 29), QStringLiteral("NULL"));
        sql(
            QStringLiteral("INSERT INTO TSUBSDIO (Codigo, HastaDias, TipoBaja) VALUES ('ENF', "
                           "30, 'Enfermedad')"));
        sql(
            QStringLiteral("INSERT INTO TSUBSDIO (Codigo, HastaDias, TipoBaja) VALUES ('ENF', "
                           "999, 'Enfermedad')"));
        sql(QStringLiteral("INSERT INTO BAJA (CodigoOperario, FechaInicio, FechaFinal, "
                           "CodigoBaja) VALUES (8, %1, NULL, 'ENF')")
                .arg(fecha(QDate(2024, 6, 10))));
        // The company calendar has 3 June as a holiday and no other day.
        sql(QStringLiteral("INSERT INTO CALENDAR (Codigo, Fecha, EsDiaTrabajado, EsDiaFestivo, "
                           "EsDiaVacaciones, EsDiaPuente, NumeroHorario) VALUES (1, %1, 'NO', "
                           "'SI', 'NO', 'NO', 4)")
                .arg(fecha(QDate(2024, 6, 3))));
        // 7 has an own day already: it becomes employment regulation.
        sql(QStringLiteral("INSERT INTO CALENOPE (CodigoOperario, Fecha, EsDiaTrabajado, "
                           "EsDiaFestivo, EsDiaVacaciones, EsDiaPermiso, EsDiaPuente, "
                           "NumeroHorario, Situacion) VALUES (7, %1, 'SI', 'NO', 'NO', 'NO', 'NO', "
                           "2, 'Alta')")
                .arg(fecha(QDate(2024, 6, 5))));

        // This program changes nothing.
        QVERIFY(
            GeneraCalendarioOperario(7, QString(), QString(), 1, QStringLiteral("Alta"), junio));
        QCOMPARE(dias(7).size(), 1);

        AsignarProgramaEnEjecucion(QStringLiteral("PELISTO.EXE"));
        for (int operario : {7, 8, 9, 10})
            QVERIFY(GeneraCalendarioOperario(operario, QString(), QString(), 1,
                                             QStringLiteral("Alta"), junio));
        const QStringList siete = dias(7);
        QCOMPARE(siete.size(), 15);
        QCOMPARE(siete.value(0),
                 QStringLiteral("1:NO,NO,NO,Alta"));  // not in the calendar: Saturday
        QCOMPARE(siete.value(1), QStringLiteral("2:NO,SI,NO,Alta"));  // Sunday
        QCOMPARE(siete.value(2), QStringLiteral("3:NO,SI,NO,Alta"));  // the calendar's holiday
        QCOMPARE(siete.value(3), QStringLiteral("4:SI,NO,NO,Alta"));
        QCOMPARE(siete.value(4), QStringLiteral("5:SI,NO,NO,Regulacion Empleo"));
        QCOMPARE(siete.value(14), QStringLiteral("15:NO,NO,NO,Alta"));  // Saturday
        const QStringList ocho = dias(8);
        QCOMPARE(ocho.size(), 30);
        QCOMPARE(ocho.value(8), QStringLiteral("9:NO,SI,NO,Alta"));
        QCOMPARE(ocho.value(9), QStringLiteral("10:SI,NO,NO,Enfermedad"));
        QCOMPARE(ocho.value(29), QStringLiteral("30:NO,SI,NO,Enfermedad"));
        QCOMPARE(dias(9), QStringList());
        QCOMPARE(dias(10), QStringList({"29:NO,NO,NO,Alta", "30:NO,SI,NO,Alta"}));
        // The schedule is not copied; leave days are never marked.
        QCOMPARE(sql(QStringLiteral("SELECT NumeroHorario, EsDiaPermiso FROM CALENOPE WHERE "
                                    "CodigoOperario = 7 AND Fecha = %1")
                         .arg(fecha(QDate(2024, 6, 3)))),
                 QStringLiteral("0|NO"));
        // A day that cannot be written ends that employee's period there.
        BloquearAlta(CurrentEngine(), QStringLiteral("CALENOPE"));
        QVERIFY(!GeneraCalendarioOperario(8, QStringLiteral("01/07/2024"),
                                          QStringLiteral("02/07/2024"), 1, QString(), junio));
        QuitarBloqueoAlta(CurrentEngine(), QStringLiteral("CALENOPE"));
        QCOMPARE(
            textos(),
            QStringList{QStringLiteral("¡ Está intentando grabar un calendario que ya existe !")});
        QCOMPARE(dias(8).size(), 30);
        // Dates given as text; August is vacation; the range runs on.
        QVERIFY(GeneraCalendarioOperario(8, QStringLiteral("31/07/2024"),
                                         QStringLiteral("02/08/2024"), 1, QString(), junio));
        QCOMPARE(sql(QStringLiteral("SELECT EsDiaTrabajado, EsDiaVacaciones, Situacion FROM "
                                    "CALENOPE WHERE CodigoOperario = 8 AND Fecha = %1")
                         .arg(fecha(QDate(2024, 8, 1)))),
                 QStringLiteral("NO|SI|Enfermedad"));
        QCOMPARE(textos(), QStringList());
    }

    // Every column each generated day stores, for two employees generated
    // one after the other as a range is: flags from the company calendar
    // (a bridge, a holiday, a vacation day) and from the weekday where it
    // has no row, a leave in the middle of the period and the situation
    // back after it; the second employee takes nothing of the first.
    void diasEnteros_data() { AddEngineRows(); }
    void diasEnteros() {
        QFETCH(int, engine);
        Entorno e(engine);
        for (int operario : {11, 12}) e.contrato(operario, 1, QDate(2020, 1, 1), fecha(ZeroDate()));
        sql(
            QStringLiteral("INSERT INTO TSUBSDIO (Codigo, HastaDias, TipoBaja) VALUES ('ENF', "
                           "30, 'Enfermedad')"));
        sql(QStringLiteral("INSERT INTO BAJA (CodigoOperario, FechaInicio, FechaFinal, "
                           "CodigoBaja) VALUES (11, %1, %2, 'ENF')")
                .arg(fecha(QDate(2024, 3, 5)), fecha(QDate(2024, 3, 6))));
        for (const auto& [dia, valores] :
             {std::pair{4, "'NO', 'NO', 'NO', 'SI', 3"}, std::pair{6, "'NO', 'SI', 'NO', 'NO', 3"},
              std::pair{7, "'NO', 'NO', 'SI', 'NO', 3"}})
            sql(QStringLiteral("INSERT INTO CALENDAR (Codigo, Fecha, EsDiaTrabajado, "
                               "EsDiaFestivo, EsDiaVacaciones, EsDiaPuente, NumeroHorario) "
                               "VALUES (1, %1, %2)")
                    .arg(fecha(QDate(2024, 3, dia)), QLatin1String(valores)));
        AsignarProgramaEnEjecucion(QStringLiteral("PELISTO.EXE"));
        {
            TGeneradorCalendarioOperario generador(1, QDate(2024, 3, 1), QDate(2024, 3, 10),
                                                   QStringLiteral("Alta"));
            QVERIFY(generador.Generar(11));
            QVERIFY(generador.Generar(12));
        }
        // Worked, holiday, vacation, leave, bridge, schedule, situation.
        const QStringList semana = {"SI|NO|NO|NO|NO|0|Alta", "NO|NO|NO|NO|NO|0|Alta",
                                    "NO|SI|NO|NO|NO|0|Alta", "NO|NO|NO|NO|SI|0|Alta",
                                    "SI|NO|NO|NO|NO|0|Alta", "NO|SI|NO|NO|NO|0|Alta",
                                    "NO|NO|SI|NO|NO|0|Alta", "SI|NO|NO|NO|NO|0|Alta",
                                    "NO|NO|NO|NO|NO|0|Alta", "NO|SI|NO|NO|NO|0|Alta"};
        QStringList baja = semana;
        for (int i : {4, 5}) baja[i].replace(QStringLiteral("Alta"), QStringLiteral("Enfermedad"));
        for (const auto& [operario, esperado] : {std::pair{11, baja}, std::pair{12, semana}})
            QCOMPARE(sql(QStringLiteral("SELECT EsDiaTrabajado, EsDiaFestivo, EsDiaVacaciones, "
                                        "EsDiaPermiso, EsDiaPuente, NumeroHorario, Situacion "
                                        "FROM CALENOPE WHERE CodigoOperario = %1 ORDER BY Fecha")
                             .arg(operario))
                         .split(QStringLiteral("\r\n")),
                     esperado);
    }

    void rango_data() { AddEngineRows(); }
    void rango() {
        QFETCH(int, engine);
        Entorno e(engine);
        sql(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, CodigoCalendario) "
                           "VALUES (8, 'Luis Gil', 1)"));
        for (int operario : {7, 8}) e.contrato(operario, 1, QDate(2024, 1, 1), fecha(ZeroDate()));
        AsignarProgramaEnEjecucion(QStringLiteral("PELISTO.EXE"));
        TfRRHHCAOP* f = e.abrir(7, 2024, 2);
        QVERIFY(f->pbGenerarCalendario->Visible() && f->EditSituacion->Visible());
        QVERIFY(!f->EditNumeroHorario->Visible());
        const QString cuenta = QStringLiteral("SELECT COUNT(*) FROM CALENOPE");
        // "a/b" does nothing; a range generates the month on display.
        for (const char* respuesta : {"a/b", "7/8"}) {
            MessageSeam::enqueue(QStringLiteral("SI"));
            MessageSeam::enqueue(QLatin1String(respuesta));
            f->pbGenerarCalendarioClick(f->pbGenerarCalendario);
        }
        QCOMPARE(sql(cuenta), QStringLiteral("58"));
        QCOMPARE(sql(QStringLiteral("SELECT DISTINCT Situacion FROM CALENOPE")),
                 QStringLiteral("Alta"));
        // Employment regulation: a code that is no number stops after the
        // warning; a range of days marks them.
        textos();
        MessageSeam::enqueue(QStringLiteral("x"));
        f->pbMarcarDiasRegulacionEmpleoClick(f->pbMarcarDiasRegulacionEmpleo);
        QCOMPARE(textos().value(1),
                 QStringLiteral("¡El valor de Desde Operario es incorrecto! Repita por favor"));
        for (const char* respuesta : {"8", "8", "05/02/2024", "06/02/2024"})
            MessageSeam::enqueue(QLatin1String(respuesta));
        f->pbMarcarDiasRegulacionEmpleoClick(f->pbMarcarDiasRegulacionEmpleo);
        QCOMPARE(sql(QStringLiteral("SELECT CodigoOperario, Situacion FROM CALENOPE WHERE "
                                    "Situacion = 'Regulacion Empleo' ORDER BY Fecha")),
                 QStringLiteral("8|Regulacion Empleo\r\n8|Regulacion Empleo"));
        QCOMPARE(sql(cuenta), QStringLiteral("58"));
    }

    // The marks each own day's cell draws, read back from the grid: texts
    // and colours (the day number left out).
    void marcas_data() {
        QTest::addColumn<int>("dia");
        // SI/NO: worked, holiday, vacation, leave, bridge; then the situation.
        QTest::addColumn<QString>("tipos");
        QTest::addColumn<QStringList>("marcas");
        const QString azul = QStringLiteral("#0000ff"), rojo = QStringLiteral("#ff0000"),
                      verde = QStringLiteral("#008000"), granate = QStringLiteral("#800000"),
                      naranja = QStringLiteral("#ff8000"), fucsia = QStringLiteral("#ff00ff"),
                      celeste = QStringLiteral("#a6caf0");
        QTest::newRow("trabajado laborable")
            << 10 << "SI|NO|NO|NO|NO|Alta"
            << QStringList{"Tr " + azul, "La " + verde, "Alta " + celeste, "3 " + celeste};
        QTest::newRow("festivo") << 11 << "NO|SI|NO|NO|NO|"
                                 << QStringList{"Fe " + rojo, "3 " + celeste};
        QTest::newRow("vacaciones")
            << 12 << "NO|NO|SI|NO|NO|Enfermedad"
            << QStringList{"La " + verde, "Va " + granate, "Enf. " + celeste, "3 " + celeste};
        QTest::newRow("permiso") << 13 << "NO|NO|NO|SI|NO|"
                                 << QStringList{"La " + verde, "Pe " + fucsia, "3 " + celeste};
        QTest::newRow("puente") << 14 << "SI|NO|NO|NO|SI|"
                                << QStringList{"Tr " + azul, "La " + verde, "Pu " + naranja,
                                               "3 " + celeste};
    }
    void marcas() {
        QFETCH(int, dia);
        QFETCH(QString, tipos);
        QFETCH(QStringList, marcas);
        Entorno e(int(Engine::Sqlite));
        QVERIFY(GenerarAnoCalendario(1, 2024, 3));
        sql(QStringLiteral("INSERT INTO CALENOPE (CodigoOperario, Fecha, NumeroHorario, "
                           "EsDiaTrabajado, EsDiaFestivo, EsDiaVacaciones, EsDiaPermiso, "
                           "EsDiaPuente, Situacion) VALUES (7, %1, 3, '%2')")
                .arg(fecha(QDate(2024, 6, dia)),
                     QString(tipos).replace(QLatin1Char('|'), QStringLiteral("', '"))));
        TfRRHHCAOP* f = e.abrir(7, 2024, 6);
        f->resize(900, 700);
        // June 2024 begins on a Saturday: 10 June is column 0 of row 3.
        QCOMPARE(MarcasDia(f->SGrid, (dia + 4) % 7, 1 + (dia + 4) / 7, dia), marcas);
    }

    void rejilla_data() { AddEngineRows(); }
    void rejilla() {
        QFETCH(int, engine);
        Entorno e(engine);
        sql(QStringLiteral("INSERT INTO HORARIO (Numero, Descripcion) VALUES (3, 'Mañana')"));
        QVERIFY(GenerarAnoCalendario(1, 2024, 3));
        sql(QStringLiteral("INSERT INTO CALENOPE (CodigoOperario, Fecha, EsDiaTrabajado, "
                           "EsDiaFestivo, EsDiaVacaciones, EsDiaPermiso, EsDiaPuente, "
                           "NumeroHorario, Situacion) VALUES (7, %1, 'NO', 'SI', 'SI', 'NO', 'NO', "
                           "0, '')")
                .arg(fecha(QDate(2024, 6, 5))));
        TfRRHHCAOP* f = e.abrir(7, 2024, 6);
        QCOMPARE(f->Caption(), QStringLiteral("Maestro de Calendarios de Operario"));
        QCOMPARE(f->EditNombreOperario->Text(), QStringLiteral("Ana Ruiz"));
        QCOMPARE(f->EditMes->Text(), QStringLiteral("Junio"));
        QVERIFY(!f->pbGenerarCalendario->Visible() && !f->EditSituacion->Visible());
        QVERIFY(f->EditNumeroHorario->Visible() && f->pbZoom->Down());
        // June 2024 begins on a Saturday: 5 June is column 2 of row 2.
        QCOMPARE(f->FechaCelda(5, 1), QDate(2024, 6, 1));
        QCOMPARE(f->FechaCelda(2, 2), QDate(2024, 6, 5));
        QVERIFY(!f->FechaCelda(0, 1).isValid());

        auto fondo = [f](int col, int fila) {
            const QImage imagen = f->SGrid->grab().toImage();
            const QRect celda = f->SGrid->visualRect(f->SGrid->model()->index(fila, col));
            return imagen.pixelColor(
                f->SGrid->viewport()->mapTo(f->SGrid, celda.bottomLeft() + QPoint(5, -2)));
        };
        const QColor amarillo(0xFF, 0xFF, 0xD2);
        QCOMPARE(fondo(2, 2), amarillo);              // the employee's own day
        QCOMPARE(fondo(3, 2), QColor(Qt::white));     // a company day
        QCOMPARE(fondo(3, 0), ColorToQt(clBtnFace));  // a title

        // With "Modificar" up a click changes nothing.
        QVERIFY(!f->pbModificar->Down());
        f->MarcarDia(3, 2);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM CALENOPE")), QStringLiteral("1"));

        // "Pe" puts "Va" and "Pu" up, "La" down and "Fe" up.
        f->pbVacaciones->Click();
        f->pbFestivos->Click();
        f->pbLaborables->Click();
        QVERIFY(f->pbVacaciones->Down() && f->pbFestivos->Down() && !f->pbLaborables->Down());
        f->pbPermiso->Click();
        QVERIFY(f->pbPermiso->Down() && !f->pbVacaciones->Down() && !f->pbPuente->Down());
        QVERIFY(f->pbLaborables->Down() && !f->pbFestivos->Down());

        // A new own day takes the company day's schedule and the palette.
        f->pbModificar->Click();
        QVERIFY(f->pbModificar->Down());
        f->MarcarDia(0, 3);  // Monday 10 June
        const QString dia10 = QStringLiteral(
                                  "SELECT EsDiaTrabajado, EsDiaFestivo, EsDiaVacaciones, "
                                  "EsDiaPermiso, EsDiaPuente, NumeroHorario FROM CALENOPE WHERE "
                                  "CodigoOperario = 7 AND Fecha = %1")
                                  .arg(fecha(QDate(2024, 6, 10)));
        QCOMPARE(sql(dia10), QStringLiteral("SI|NO|NO|SI|NO|3"));
        QCOMPARE(fondo(0, 3), amarillo);
        // A refused post: the message, nothing written, the table browsing.
        BloquearAlta(CurrentEngine(), QStringLiteral("CALENOPE"));
        f->MarcarDia(1, 3);
        QuitarBloqueoAlta(CurrentEngine(), QStringLiteral("CALENOPE"));
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ Calendario no actualizado !")});
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM CALENOPE")), QStringLiteral("2"));
        QCOMPARE(f->Calendario->State(), dsBrowse);
        // Every palette button up: not worked, the holiday flag empty.
        for (TSpeedButton* b : {f->pbTrabajados, f->pbLaborables, f->pbPermiso}) b->Click();
        f->MarcarDia(0, 3);
        QCOMPARE(sql(dia10), QStringLiteral("NO||NO|NO|NO|3"));
        QCOMPARE(textos(), QStringList());

        // "Despersonalizar" on the selected day: the company day shows again;
        // on an empty cell nothing is asked.
        f->pbModificar->Click();
        f->SGrid->setCurrentCell(3, 0);
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->EliminardiaClick(f->Eliminardia);
        QCOMPARE(sql(dia10), QString());
        QCOMPARE(fondo(0, 3), QColor(Qt::white));
        f->SGrid->setCurrentCell(1, 0);
        f->EliminardiaClick(f->Eliminardia);
        QCOMPARE(
            textos(),
            QStringList({QStringLiteral("¿Realmente desea despersonalizar el día seleccionado del "
                                        "calendario?")}));
        QCOMPARE(f->SGrid->PopupMenu(), f->PopupMenu1);

        // Deleting December keeps 1 January, and its incidences too on "SI".
        for (const QDate& d : {QDate(2024, 12, 1), QDate(2024, 12, 31), QDate(2025, 1, 1)}) {
            sql(QStringLiteral("INSERT INTO CALENOPE (CodigoOperario, Fecha, EsDiaTrabajado) "
                               "VALUES (7, %1, 'SI')")
                    .arg(fecha(d)));
            sql(QStringLiteral("INSERT INTO INCCALOP (CodigoOperario, Fecha, Linea, Tiempo) "
                               "VALUES (7, %1, 1, 2)")
                    .arg(fecha(d)));
        }
        f->setProperty("MesCalendario", 12);
        QCOMPARE(f->Incidencias->RecordCount(), 2);
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->pbEliminarClick(f->pbEliminar);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM CALENOPE WHERE Fecha >= %1")
                         .arg(fecha(QDate(2024, 12, 1)))),
                 QStringLiteral("1"));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM INCCALOP")), QStringLiteral("1"));
        QCOMPARE(f->Incidencias->RecordCount(), 0);
        // The year, answering "NO" to the incidences.
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        f->setProperty("EjercicioCalendario", 2025);
        f->pbEliminarEjercicioClick(f->pbEliminarEjercicio);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM CALENOPE WHERE Fecha >= %1")
                         .arg(fecha(QDate(2024, 12, 1)))),
                 QStringLiteral("0"));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM INCCALOP")), QStringLiteral("1"));
    }

    void incidencias_data() { AddEngineRows(); }
    void incidencias() {
        QFETCH(int, engine);
        Entorno e(engine);
        TfRRHHCAOP* f = e.abrir(7, 2024, 6);
        TTable* t = f->Incidencias;
        auto linea = [t](const QDate& d, const char* inicio, const char* final) {
            t->Insert();
            t->FieldByName(QStringLiteral("Fecha"))->setAsDateTime(QDateTime(d, QTime(0, 0)));
            t->FieldByName(QStringLiteral("HoraInicio"))->setText(QLatin1String(inicio));
            t->FieldByName(QStringLiteral("HoraFinal"))->setText(QLatin1String(final));
        };
        linea(QDate(2024, 6, 10), "08:30:00", "10:00:00");
        t->Post();
        linea(QDate(2024, 6, 10), "22:00:00", "02:00:00");
        // Leaving a column with both times computes the time and posts; the
        // grid stays on the line just written.
        f->DBGrid1ColExit(f->DBGrid1);
        QCOMPARE(t->State(), dsBrowse);
        QCOMPARE(t->FieldByName(QStringLiteral("Linea"))->AsInteger(), 2);
        linea(QDate(2024, 6, 11), "09:00:00", "09:30:00");
        t->Post();
        QCOMPARE(sql(QStringLiteral("SELECT CodigoOperario, Linea, Tiempo FROM INCCALOP ORDER BY "
                                    "Fecha, Linea")),
                 QStringLiteral("7|1|1,5\r\n7|2|4\r\n7|1|0,5"));
        QCOMPARE(t->RecordCount(), 3);
        // Another month shows none of them.
        f->SpinMes->DownClick();
        QCOMPARE(t->RecordCount(), 0);
        QCOMPARE(textos(), QStringList());
    }

    // A user who may only read the employees' calendars is offered no
    // change: the deletions of the month and the year, the day's deletion
    // and the marking ask nothing and the days stay.
    void soloLectura_data() { AddEngineRows(); }
    void soloLectura() {
        QFETCH(int, engine);
        Entorno e(engine);
        sql(QStringLiteral("INSERT INTO CALENOPE (CodigoOperario, Fecha, EsDiaTrabajado) VALUES "
                           "(7, %1, 'SI')")
                .arg(fecha(QDate(2024, 6, 5))));
        CrearUsuarioPrueba(QStringLiteral("PEPE"), QStringLiteral("Normal"), QStringLiteral("1"),
                           QStringLiteral("Maestro de Calendarios de Operario"));
        const ComoUsuario pepe(QStringLiteral("PEPE"));
        TfRRHHCAOP* f = e.abrir(7, 2024, 6);
        f->show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        for (QWidget* b : std::initializer_list<QWidget*>{f->pbModificar, f->pbEliminar,
                                                          f->pbEliminarEjercicio}) {
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
            QTest::mouseClick(b, Qt::LeftButton);
        }
        QVERIFY(!f->Eliminardia->isEnabled());
        QCOMPARE(textos(), QStringList());
        QString sinUsar;  // nothing asked: both answers wait
        QVERIFY(MessageSeam::take(sinUsar) && MessageSeam::take(sinUsar));
        QCOMPARE(dias(7), QStringList{QStringLiteral("5:SI,,,")});
    }

    // The calendar of employee 7 open, his name shown: another clerk
    // deletes him and enters another 7 ("sustituido"), or changes him
    // ("modificado"). A day marked, an incidence typed and the month's
    // deletion are each refused, nothing written or removed (read by
    // another session); untouched, each is done.
    void operarioSustituido_data() { FilasOperarioEnOtraSesion(); }
    void operarioSustituido() {
        QFETCH(int, engine);
        QFETCH(QString, escena);
        Entorno e(engine);
        sql(QStringLiteral("INSERT INTO CALENOPE (CodigoOperario, Fecha, EsDiaTrabajado) VALUES "
                           "(7, %1, 'SI')")
                .arg(fecha(QDate(2024, 6, 5))));
        TfRRHHCAOP* f = e.abrir(7, 2024, 6);
        QCOMPARE(f->EditNombreOperario->Text(), QStringLiteral("Ana Ruiz"));
        OperarioEnOtraSesion(escena, 7, QStringLiteral("Otra Persona"));
        const bool nadie = escena == QLatin1String("nadie lo toca");
        const QStringList rechazo{QStringLiteral(
            "¡ El registro ha sido modificado por otro usuario !. Debe cancelar la edición, "
            "salir e intentarlo de nuevo.")};
        const auto dias = [] {
            return FilasEnOtraSesion(QStringLiteral("SELECT COUNT(*) FROM CALENOPE")).join(u',');
        };
        f->pbModificar->Click();
        f->MarcarDia(0, 3);  // Monday 10 June
        QCOMPARE(textos(), nadie ? QStringList() : rechazo);
        QCOMPARE(dias(), nadie ? QStringLiteral("2") : QStringLiteral("1"));
        QCOMPARE(f->Calendario->State(), dsBrowse);

        TTable* t = f->Incidencias;
        t->Insert();
        t->FieldByName(QStringLiteral("Fecha"))
            ->setAsDateTime(QDateTime(QDate(2024, 6, 10), QTime(0, 0)));
        t->FieldByName(QStringLiteral("HoraInicio"))->setText(QStringLiteral("08:30:00"));
        t->FieldByName(QStringLiteral("HoraFinal"))->setText(QStringLiteral("10:00:00"));
        try {
            f->DBGrid1ColExit(f->DBGrid1);
        } catch (...) {
            DespacharExcepcion(nullptr, std::current_exception());
        }
        QCOMPARE(textos(), nadie ? QStringList() : rechazo);
        QCOMPARE(FilasEnOtraSesion(QStringLiteral("SELECT CodigoOperario, Linea FROM INCCALOP")),
                 nadie ? QStringList{QStringLiteral("7|1")} : QStringList());
        QCOMPARE(t->State(), nadie ? dsBrowse : dsInsert);
        if (!nadie) t->Cancel();

        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->pbEliminarClick(f->pbEliminar);
        const QString pregunta =
            QStringLiteral("¿ Realmente desea eliminar el mes del calendario ?");
        QCOMPARE(textos(),
                 nadie ? QStringList({pregunta, QStringLiteral("¿ Realmente desea eliminar las "
                                                               "incidencias del mes ?")})
                       : QStringList({pregunta}) + rechazo);
        QCOMPARE(dias(), nadie ? QStringLiteral("0") : QStringLiteral("1"));
    }

    // A line being typed when the month or the employee changes: posted
    // first; one that cannot be keeps the window where it was, with the line
    // to correct, and the reason shown. Nothing is stored without its day.
    void incidenciaPendiente_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("conFecha");
        QTest::addColumn<bool>("cambiaOperario");
        QTest::addColumn<QString>("aviso");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "sin fecha, otro mes")
                << false << false << "¡ Debe introducir un valor en el campo 'Fecha'  !";
            NewEngineRow(e, "sin fecha, otro operario")
                << false << true << "¡ Debe introducir un valor en el campo 'Fecha'  !";
            NewEngineRow(e, "linea repetida, otro mes")
                << true << false << "¡ Ya existe el registro !";
            NewEngineRow(e, "linea repetida, otro operario")
                << true << true << "¡ Ya existe el registro !";
        }
    }
    void incidenciaPendiente() {
        QFETCH(int, engine);
        QFETCH(bool, conFecha);
        QFETCH(bool, cambiaOperario);
        QFETCH(QString, aviso);
        Entorno e(engine);
        TfRRHHCAOP* f = e.abrir(7, 2024, 6);
        TTable* t = f->Incidencias;
        const QDateTime dia(QDate(2024, 6, 10), QTime(0, 0));
        t->Insert();
        t->FieldByName(QStringLiteral("Fecha"))->setAsDateTime(dia);
        t->FieldByName(QStringLiteral("Descripcion"))->setAsString(QStringLiteral("primera"));
        t->Post();
        t->Insert();
        if (conFecha) {
            t->FieldByName(QStringLiteral("Fecha"))->setAsDateTime(dia);
            t->FieldByName(QStringLiteral("Linea"))->setAsInteger(1);
        }
        t->FieldByName(QStringLiteral("Descripcion"))->setAsString(QStringLiteral("segunda"));
        const auto mover = [&] {
            if (cambiaOperario)
                f->SpinOperario->DownClick();
            else
                f->SpinMes->DownClick();
        };
        mover();
        QCOMPARE(textos(), QStringList{aviso});
        QCOMPARE(f->EditOperario->Text(), QStringLiteral("7"));
        QCOMPARE(f->EditMes->Text(), NombreMes(6));
        QCOMPARE(t->State(), dsInsert);
        QCOMPARE(t->FieldByName(QStringLiteral("Descripcion"))->AsString(),
                 QStringLiteral("segunda"));
        const QString guardadas = QStringLiteral(
            "SELECT CodigoOperario, Linea, Descripcion FROM INCCALOP ORDER BY Linea");
        QCOMPARE(sql(guardadas), QStringLiteral("7|1|primera"));

        // Corrected, the line is stored under its day and the window moves.
        t->FieldByName(QStringLiteral("Fecha"))->setAsDateTime(dia);
        t->FieldByName(QStringLiteral("Linea"))->setAsInteger(2);
        mover();
        QCOMPARE(textos(), QStringList());
        QCOMPARE(t->State(), dsBrowse);
        QCOMPARE(t->RecordCount(), 0);
        QCOMPARE(sql(guardadas), QStringLiteral("7|1|primera\r\n7|2|segunda"));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM INCCALOP WHERE Fecha IS NULL OR Linea "
                                    "IS NULL")),
                 QStringLiteral("0"));
    }
    // A value typed or a group looked up on the last incidence of the month
    // goes into that incidence, also with an empty line left pending after
    // it: the rows as another user reads them.
    void lineaBajoElCursor_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("momento");
        QTest::addColumn<QString>("accion");
        QTest::addColumn<QStringList>("lineas");
        for (Engine e : AvailableEngines())
            for (const char* momento : {"abierta", "pendiente tras Intro", "pendiente tras Abajo",
                                        "tras Intro por la anterior"}) {
                NewEngineRow(e, QByteArray(QByteArray(momento) + " teclear").constData())
                    << QString::fromUtf8(momento) << "teclear"
                    << QStringList{"23|G1|D1", "27|G2|D2", "29|G3|Prueba"};
                NewEngineRow(e, QByteArray(QByteArray(momento) + " buscar").constData())
                    << QString::fromUtf8(momento) << "buscar"
                    << QStringList{"23|G1|D1", "27|G2|D2", "29|G4|D3"};
            }
    }
    void lineaBajoElCursor() {
        QFETCH(int, engine);
        QFETCH(QString, momento);
        QFETCH(QString, accion);
        QFETCH(QStringList, lineas);
        Entorno e(engine);
        sql(
            QStringLiteral("INSERT INTO GRANALIS (Codigo, Descripcion, CategoriaGrupo) VALUES "
                           "('G1', 'Uno', ''), ('G2', 'Dos', ''), ('G3', 'Tres', ''), "
                           "('G4', 'Cuatro', '')"));
        int n = 0;
        for (int dia : {23, 27, 29}) {
            ++n;
            sql(QStringLiteral("INSERT INTO INCCALOP (CodigoOperario, Fecha, Linea, "
                               "GrupoAnalisis, Descripcion) VALUES (7, %1, 1, 'G%2', 'D%2')")
                    .arg(fecha(QDate(2026, 12, dia)))
                    .arg(n));
        }
        TfRRHHCAOP* f = e.abrir(7, 2026, 12);
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        TDBGrid* g = f->DBGrid1;
        QCOMPARE(g->model()->rowCount(), 3);
        SetApplicationExceptionHandler(&DespacharExcepcion);
        const std::unique_ptr<void, void (*)(void*)> manejador(
            this, [](void*) { SetApplicationExceptionHandler(nullptr); });
        if (momento.startsWith(QLatin1String("pendiente")))
            DejarLineaPendiente(g, 2, momento.section(QLatin1Char(' '), -1));
        const bool porTeclado = momento == QLatin1String("tras Intro por la anterior");
        if (porTeclado) CruzarLineaConIntro(g, 1);
        if (QTest::currentTestFailed()) return;
        const bool buscar = accion == QLatin1String("buscar");
        ActuarSobreLinea(
            f, g, 2, buscar ? QStringLiteral("GrupoAnalisis") : QStringLiteral("Descripcion"),
            accion, buscar ? QStringLiteral("G4") : QStringLiteral("Prueba"), porTeclado);
        if (QTest::currentTestFailed()) return;
        // The line is left as the clerk leaves it: a move to another line.
        QWidget* foco = QApplication::focusWidget();
        QTest::keyClick(foco && f->isAncestorOf(foco) ? foco : g, Qt::Key_Up);
        QCOMPARE(f->Incidencias->State(), dsBrowse);
        QStringList filas;
        for (const QString& fila : FilasEnOtraSesion(QStringLiteral(
                 "SELECT Fecha, GrupoAnalisis, Descripcion FROM INCCALOP WHERE CodigoOperario = 7 "
                 "ORDER BY Fecha, Linea"))) {
            QStringList c = fila.split(QLatin1Char('|'));
            c[0] = c[0].mid(8, 2);  // the day of the ISO date either engine gives
            filas << c.join(QLatin1Char('|'));
        }
        QCOMPARE(filas, lineas);
        QCOMPARE(textos(), QStringList());
    }
    // The "..." column of an incidence, which Enter passes over: a click on
    // it and Ctrl+Enter open its viewer, and what is written there is stored.
    void descripcionAmpliadaAlTeclado_data() { AddEngineRows(); }
    void descripcionAmpliadaAlTeclado() {
        QFETCH(int, engine);
        Entorno e(engine);
        sql(QStringLiteral("INSERT INTO INCCALOP (CodigoOperario, Fecha, Linea, Descripcion) "
                           "VALUES (7, %1, 1, 'Revisión')")
                .arg(fecha(QDate(2026, 12, 23))));
        TfRRHHCAOP* f = e.abrir(7, 2026, 12);
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        TDBGrid* g = f->DBGrid1;
        const QModelIndex celda = g->model()->index(0, 7);
        g->scrollTo(celda);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(celda).center());
        QCOMPARE(g->SelectedField()->FieldName(), QStringLiteral("DescripcionAmpliada"));
        AlMostrarse<TfGENEVMEM>([](TfGENEVMEM* v) {
            v->DBMemo->setText(QStringLiteral("Cita | médica ŝ"));
            QTest::keyClick(v->DBMemo, Qt::Key_Escape);
        });
        QTRY_VERIFY(g->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(FilasEnOtraSesion(
                     QStringLiteral("SELECT Descripcion, DescripcionAmpliada FROM INCCALOP")),
                 QStringList{"Revisión|Cita | médica ŝ"});
        QCOMPARE(textos(), QStringList());
    }
};

QTEST_MAIN(TestRrhhCaop)
#include "tst_rrhhcaop.moc"
