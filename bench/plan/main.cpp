// Training-plan benchmark: carrying 10,000 pending lines of one year to the
// next through the plan window, on a temporary SQLite installation. Line
// printed:
//   plan carry_10k ours=<s> raw=<s> ratio=<ours/raw>
//     the window's "Pasar Cursos Pendientes al Siguiente Ejercicio" against
//     prepared INSERT and UPDATE statements making the same writes with the
//     same commits (one per statement, as each line is posted on its own).

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>

#include "../common/instalacion.h"
#include "db/table.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemodu.h"
#include "nomina/nomimodu.h"
#include "rrhh/rrhhplan.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

using bench::fail;

constexpr int kEmployees = 1000;
constexpr int kLinesPerEmployee = 10;
constexpr int kYear = 2024;

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

QString isoDate(const QDate& d) {
    return d.toString(Qt::ISODate) + QStringLiteral("T00:00:00");
}

const char* const kColumns =
    "Ejercicio, CodigoOperario, Linea, Departamento, Imputacion, CodigoFormacion, "
    "AccionFormativa, CodigoOpNecesidad, NecesidadFijadaPor, Tipo, Impartido, Duracion, "
    "FechaInicio, FechaFinal, Realizado, TituloObtenido, Revision, Observaciones, "
    "ValoracionAlumno, ValoracionJefeSeccion";
constexpr int kColumnCount = 20;

QString placeholders() {
    QStringList l;
    for (int i = 0; i < kColumnCount; ++i) l << QStringLiteral("?");
    return l.join(QStringLiteral(", "));
}

// Employees and the year's pending lines, in one transaction.
void fillData(TDatabase* db) {
    for (const char* name : {"PERSONAL", "PLANFORM"}) {
        TTable t;
        t.setTableName(QLatin1String(name));
        if (!AbrirTabla(fGENEINIC, &t)) fail(QStringLiteral("cannot open ") + QLatin1String(name));
    }
    db->StartTransaction();
    QSqlQuery& person =
        db->Prepared(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (?, ?)"));
    for (int e = 1; e <= kEmployees; ++e) {
        person.bindValue(0, e);
        person.bindValue(1, QStringLiteral("EMPLEADO %1").arg(e));
        db->Run(person);
    }
    QSqlQuery& plan =
        db->Prepared(QStringLiteral("INSERT INTO PLANFORM (") + QLatin1String(kColumns) +
                     QStringLiteral(") VALUES (") + placeholders() + QLatin1Char(')'));
    for (int e = 1; e <= kEmployees; ++e) {
        for (int l = 1; l <= kLinesPerEmployee; ++l) {
            const int i = e * kLinesPerEmployee + l;
            const QDate start = QDate(kYear, 1, 1).addDays(i % 300);
            const QVariantList values{kYear,
                                      e,
                                      l,
                                      QStringLiteral("PRODUCCION"),
                                      QStringLiteral("CENTRO %1").arg(i % 7),
                                      QStringLiteral("F%1").arg(i % 40),
                                      QStringLiteral("PREVENCION DE RIESGOS"),
                                      1 + i % kEmployees,
                                      QStringLiteral("JEFE DE SECCION"),
                                      i % 3 ? QStringLiteral("Interno") : QStringLiteral("Externo"),
                                      QStringLiteral("FORMADORES S.L."),
                                      double(4 + i % 36),
                                      isoDate(start),
                                      isoDate(start.addDays(5)),
                                      QStringLiteral("NO"),
                                      QString(),
                                      2,
                                      QString(),
                                      1 + i % 5,
                                      1 + i % 4};
            for (int k = 0; k < values.size(); ++k) plan.bindValue(k, values[k]);
            db->Run(plan);
        }
    }
    db->Commit();
}

// Back to the year's lines only, none carried.
void reset(TDatabase* db) {
    db->Execute(QStringLiteral("DELETE FROM PLANFORM WHERE Ejercicio = %1").arg(kYear + 1));
    db->Execute(QStringLiteral("UPDATE PLANFORM SET Observaciones = ''"));
}

int carried(TDatabase* db) {
    const QVariant nuevas = db->Scalar(
        QStringLiteral("SELECT COUNT(*) FROM PLANFORM WHERE Ejercicio = %1 AND Observaciones "
                       "= 'Viene de %2'")
            .arg(kYear + 1)
            .arg(kYear));
    const QVariant marcadas = db->Scalar(
        QStringLiteral("SELECT COUNT(*) FROM PLANFORM WHERE Ejercicio = %1 AND Observaciones "
                       "= 'Pasa a %2'")
            .arg(kYear)
            .arg(kYear + 1));
    return nuevas.toInt() == marcadas.toInt() ? nuevas.toInt() : -1;
}

// The same writes by plain statements: each pending line read, its copy
// inserted in the next year and the line marked, one commit per statement.
// Kept out of line so that a profile shows it apart from the window.
[[gnu::noinline]] void rawCarry(TDatabase* db) {
    QSqlQuery read(db->connection());
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("SELECT ") + QLatin1String(kColumns) +
                   QStringLiteral(" FROM PLANFORM WHERE Ejercicio = %1 AND Realizado = 'NO' "
                                  "ORDER BY Ejercicio, CodigoOperario, Linea")
                       .arg(kYear)))
        fail("raw read failed");
    QList<QVariantList> rows;
    while (read.next()) {
        QVariantList r;
        for (int c = 0; c < kColumnCount; ++c) r << read.value(c);
        rows << r;
    }
    QSqlQuery insert(db->connection());
    insert.prepare(QStringLiteral("INSERT INTO PLANFORM (") + QLatin1String(kColumns) +
                   QStringLiteral(") VALUES (") + placeholders() + QLatin1Char(')'));
    QSqlQuery update(db->connection());
    update.prepare(
        QStringLiteral("UPDATE PLANFORM SET Observaciones = ? WHERE Ejercicio = ? AND "
                       "CodigoOperario = ? AND Linea = ?"));
    const QString viene = QStringLiteral("Viene de %1").arg(kYear);
    const QString pasa = QStringLiteral("Pasa a %1").arg(kYear + 1);
    for (QVariantList r : rows) {
        r[0] = kYear + 1;
        r[16] = 1;
        r[17] = viene;
        for (int c = 0; c < kColumnCount; ++c) insert.bindValue(c, r[c]);
        if (!insert.exec()) fail("raw insert failed");
        update.bindValue(0, pasa);
        update.bindValue(1, kYear);
        update.bindValue(2, r[1]);
        update.bindValue(3, r[2]);
        if (!update.exec()) fail("raw update failed");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Installation installation;
    InstalarServiciosFormulario();
    TModuloDatos module;
    CrearModulosNomina();
    TDatabase* db = fGENEINIC->Database;
    fillData(db);
    const int expected = kEmployees * kLinesPerEmployee;

    RegistrarTfRRHHPLAN();
    auto* form = qobject_cast<TfRRHHPLAN*>(CreateForm(QStringLiteral("TfRRHHPLAN")));
    if (!form) fail("the plan window was not created");
    form->EditEjercicio->setValue(kYear);

    // The best of two rounds of each side, taken in turns.
    double ours = 1e9, raw = 1e9;
    QElapsedTimer clock;
    for (int round = 0; round < 2; ++round) {
        reset(db);
        form->Table1->Refresh();
        MessageSeam::enqueue(QStringLiteral("SI"));
        clock.restart();
        form->PasarCursosPendientesalSiguienteEjercicio1Click(nullptr);
        ours = std::min(ours, seconds(clock));
        if (carried(db) != expected)
            fail(QStringLiteral("the window carried %1 lines").arg(carried(db)));

        reset(db);
        clock.restart();
        rawCarry(db);
        raw = std::min(raw, seconds(clock));
        if (carried(db) != expected)
            fail(QStringLiteral("the statements carried %1 lines").arg(carried(db)));
    }
    delete form;
    std::printf("plan carry_10k ours=%.4f raw=%.4f ratio=%.2f\n", ours, raw,
                raw > 0 ? ours / raw : 0.0);
    return 0;
}
