// The schedule master: the hours of day and night shifts (an interval
// across midnight counted once, not every night interval), a new schedule
// starting as "Fijo" and "Diurno", hours recomputed on every post, an
// unknown analysis group refused, the colour chosen on its column, and a
// schedule number out of range or repeated.

#include <QtTest>
#include <cmath>
#include <limits>

#include "gene/data/genemodu.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "maestros_prueba.h"
#include "nomina/preshora.h"
#include "support/dbfixture.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

double fraccion(const char* hora) {
    return QTime::fromString(QLatin1String(hora), QStringLiteral("HH:mm")).msecsSinceStartOfDay() /
           86400000.0;
}

}  // namespace

class TestPresHora : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void horas_data() {
        QTest::addColumn<QString>("turno");
        QTest::addColumn<QStringList>("tramos");
        QTest::addColumn<double>("horas");
        QTest::newRow("diurno") << "Diurno" << QStringList{"08:00", "13:00", "15:00", "18:00"}
                                << 8.0;
        QTest::newRow("noche") << "Nocturno" << QStringList{"22:00", "06:00", "00:00", "00:00"}
                               << 8.0;
        QTest::newRow("desde medianoche")
            << "Nocturno" << QStringList{"00:00", "06:00", "00:00", "00:00"} << 6.0;
        QTest::newRow("de madrugada")
            << "Nocturno" << QStringList{"02:00", "06:00", "00:00", "00:00"} << 4.0;
        QTest::newRow("media hora")
            << "Nocturno" << QStringList{"23:00", "23:30", "00:00", "00:00"} << 0.5;
        QTest::newRow("dos tramos")
            << "Nocturno" << QStringList{"20:00", "23:00", "23:30", "03:30"} << 7.0;
        QTest::newRow("día entero")
            << "Nocturno" << QStringList{"08:00", "08:00", "00:00", "00:00"} << 24.0;
        QTest::newRow("diurno hasta medianoche")
            << "Diurno" << QStringList{"08:00", "00:00", "00:00", "00:00"} << 16.0;
        QTest::newRow("diurno, segundo tramo hasta medianoche")
            << "Diurno" << QStringList{"08:00", "13:00", "20:00", "00:00"} << 9.0;
        // NaN: refused, no hours counted.
        const double rechazado = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("diurno cruzando medianoche")
            << "Diurno" << QStringList{"22:00", "06:00", "00:00", "00:00"} << rechazado;
        QTest::newRow("diurno, segundo tramo al revés")
            << "Diurno" << QStringList{"08:00", "13:00", "18:00", "15:00"} << rechazado;
    }
    void horas() {
        QFETCH(QString, turno);
        QFETCH(QStringList, tramos);
        QFETCH(double, horas);
        const QByteArray texto = tramos.join(QLatin1Char(',')).toLatin1();
        const QList<QByteArray> p = texto.split(',');
        const double t[] = {fraccion(p[0]), fraccion(p[1]), fraccion(p[2]), fraccion(p[3])};
        QCOMPARE(TramosHorarioValidos(turno, t[0], t[1], t[2], t[3]), !std::isnan(horas));
        if (!std::isnan(horas)) QCOMPARE(NumeroHorasHorario(turno, t[0], t[1], t[2], t[3]), horas);
    }

    // A day shift typed across midnight is refused before the post, nothing
    // stored; ending at 00:00 it is counted up to midnight.
    void diurnoAlGrabar_data() { AddEngineRows(); }
    void diurnoAlGrabar() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), empresa1());
        TModuloDatos modulo;
        RegistrarTfPRESHORA();
        std::unique_ptr<TForm> forma(CreateForm(QStringLiteral("TfPRESHORA")));
        auto* f = qobject_cast<TfPRESHORA*>(forma.get());
        QVERIFY(f);
        auto campo = [f](const char* n) { return f->Table1->FieldByName(QLatin1String(n)); };
        f->AgregarClick(f->Agregar);
        QVERIFY(teclear(f, {"3", "Tarde"}));
        campo("HoraInicio1")->setText(QStringLiteral("22:00:00"));
        campo("HoraFinal1")->setText(QStringLiteral("06:00:00"));
        textos();
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(textos(), QStringList{QStringLiteral(
                               "¡ La hora final de un tramo es anterior a la inicial ! Un turno "
                               "que pasa de la medianoche es \"Nocturno\".")});
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM HORARIO")), QStringLiteral("0"));
        campo("HoraInicio1")->setText(QStringLiteral("08:00:00"));
        campo("HoraFinal1")->setText(QStringLiteral("00:00:00"));
        f->pbConformeClick(f->pbConforme);
        QVERIFY(textos().isEmpty());
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(sql(QStringLiteral("SELECT TipoTurno, NumeroHoras FROM HORARIO")),
                 QStringLiteral("Diurno|16"));
    }

    void formulario_data() { AddEngineRows(); }
    void formulario() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), empresa1());
        TModuloDatos modulo;
        sql(QStringLiteral(
            "INSERT INTO GRANALIS (Codigo, Descripcion) VALUES ('TURNO', 'Turnos')"));
        RegistrarTfPRESHORA();
        std::unique_ptr<TForm> forma(CreateForm(QStringLiteral("TfPRESHORA")));
        auto* f = qobject_cast<TfPRESHORA*>(forma.get());
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Maestro de Horarios"));
        MessageSeam::clearLog();
        auto campo = [f](const char* n) { return f->Table1->FieldByName(QLatin1String(n)); };

        f->AgregarClick(f->Agregar);
        QCOMPARE(campo("TipoHorario")->AsString(), QStringLiteral("Fijo"));
        QCOMPARE(campo("TipoTurno")->AsString(), QStringLiteral("Diurno"));
        QVERIFY(!teclear(f, {"0"}));
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ El valor debe estar entre 1 y 9999 !")});
        QVERIFY(teclear(f, {"1", "Noche", "Fijo", "Nocturno", "22:00:00", "06:00:00"}));
        // Leaving a time column computes the hours.
        QVERIFY(salirColumna(f));
        QCOMPARE(campo("NumeroHoras")->AsFloat(), 8.0);
        campo("HoraInicio1")->setText(QStringLiteral("02:00:00"));
        campo("HoraInicioParada")->setText(QStringLiteral("03:00:00"));
        campo("HoraFinalParada")->setText(QStringLiteral("03:30:00"));
        f->DBGrid1->setSelectedIndex(1);
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(sql(QStringLiteral("SELECT NumeroHoras FROM HORARIO WHERE Numero = 1")),
                 QStringLiteral("4"));
        QCOMPARE(f->Table1->State(), dsInsert);

        // The same number again, then an unknown analysis group.
        QVERIFY(!teclear(f, {"1"}));
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ Ya existe el registro !")});
        QCOMPARE(f->Table1->State(), dsInsert);
        QVERIFY(teclear(f, {"2", "Mañana"}));
        campo("GrupoAnalisis")->setAsString(QStringLiteral("NADA"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(textos(),
                 QStringList{QStringLiteral("El Grupo de Análisis introducido no es válido")});
        QCOMPARE(f->Table1->State(), dsInsert);
        campo("GrupoAnalisis")->setAsString(QStringLiteral("TURNO"));
        campo("HoraInicio1")->setText(QStringLiteral("06:00:00"));
        campo("HoraFinal1")->setText(QStringLiteral("14:00:00"));
        f->pbConformeClick(f->pbConforme);
        QVERIFY(textos().isEmpty());
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(sql(QStringLiteral("SELECT NumeroHoras, GrupoAnalisis FROM HORARIO WHERE "
                                    "Numero = 2")),
                 QStringLiteral("8|TURNO"));
        QCOMPARE(campo("LUGrupoAnalisis")->AsString(), QStringLiteral("Turnos"));

        // The colour: double click on its column, stored with red low.
        f->ElegirColor = [](int& c) {
            c = 0x0000FF;
            return true;
        };
        for (int i = 0; i < f->DBGrid1->Columns().Count(); ++i)
            if (f->DBGrid1->Columns().Items(i)->FieldName() == QLatin1String("Color"))
                f->DBGrid1->setSelectedIndex(i);
        f->DBGrid1DblClick(f->DBGrid1);
        QCOMPARE(f->Table1->State(), dsEdit);
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(sql(QStringLiteral("SELECT Color FROM HORARIO WHERE Numero = 2")),
                 QStringLiteral("255"));
    }
};

QTEST_MAIN(TestPresHora)
#include "tst_preshora.moc"
