// Personnel-sheet benchmark: the sheet rows of 1,000 employees (a contract,
// three positions, three training lines and a department group each), on a
// temporary SQLite installation. Line printed:
//   fichas personal_1000 ours=<s> raw=<s> ratio=<ours/raw>
//     the sheet fill into the print engine's work table against prepared
//     QSqlQuery reads of the same data per employee and the same rows
//     inserted in one transaction.

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
#include "gene/print/genelimp.h"
#include "nomina/nomimodu.h"
#include "rrhh/rrhhfich.h"

namespace {

using bench::fail;

constexpr int kEmployees = 1000;

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

QString iso(const QDate& d) {
    return d.toString(Qt::ISODate) + QStringLiteral("T00:00:00");
}

void run(TDatabase* db, const QString& sql, const QVariantList& values) {
    QSqlQuery& q = db->Prepared(sql);
    for (int i = 0; i < values.size(); ++i) q.bindValue(i, values[i]);
    db->Run(q);
}

void fillData(TDatabase* db) {
    for (const char* name :
         {"PERSONAL", "HCONTRAT", "HPUESTO", "HFORMACI", "GRANTAB", "GRANALIS", "CATEGORI"}) {
        TTable t;
        t.setTableName(QLatin1String(name));
        if (!AbrirTabla(fGENEINIC, &t)) fail(QStringLiteral("cannot open ") + QLatin1String(name));
    }
    db->StartTransaction();
    for (int g = 0; g < 10; ++g)
        run(db, QStringLiteral("INSERT INTO GRANALIS (Codigo, Descripcion) VALUES (?, ?)"),
            {QStringLiteral("DEP%1").arg(g, 2, 10, QLatin1Char('0')),
             QStringLiteral("DEPARTAMENTO %1").arg(g)});
    for (int c = 1; c <= 5; ++c)
        run(db, QStringLiteral("INSERT INTO CATEGORI (Codigo, Descripcion) VALUES (?, ?)"),
            {c, QStringLiteral("CATEGORIA %1").arg(c)});
    for (int e = 1; e <= kEmployees; ++e) {
        run(db,
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, NumeroMatricula, "
                           "FechaNacimiento, CodigoCategoria, DNI, Domicilio, Localidad) VALUES "
                           "(?, ?, ?, ?, ?, ?, ?, ?)"),
            {e, QStringLiteral("APELLIDO%1 SEGUNDO, NOMBRE").arg(e), e + 1000,
             iso(QDate(1970, 1, 1).addDays(e * 7)), 1 + e % 5, QStringLiteral("%1X").arg(e),
             QStringLiteral("CALLE %1").arg(e), QStringLiteral("BURGOS")});
        run(db,
            QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, "
                           "CodigoContrato, FechaInicioContrato) VALUES (?, 1, 401, ?)"),
            {e, iso(QDate(2010, 1, 1).addDays(e))});
        run(db,
            QStringLiteral("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES "
                           "('PERSONAL', ?, ?)"),
            {QString::number(e), QStringLiteral("DEP%1").arg(e % 10, 2, 10, QLatin1Char('0'))});
        for (int l = 1; l <= 3; ++l) {
            run(db,
                QStringLiteral("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, "
                               "CodigoPuesto, Descripcion, FechaInicio) VALUES ('PERSONAL', ?, "
                               "?, ?, ?, ?)"),
                {e, l, QStringLiteral("P%1").arg(l), QStringLiteral("PUESTO %1").arg(l),
                 iso(QDate(2010 + l * 3, 1, 1))});
            run(db,
                QStringLiteral("INSERT INTO HFORMACI (NombreTabla, CodigoOperario, Linea, "
                               "Descripcion) VALUES ('PERSONAL', ?, ?, ?)"),
                {e, l, QStringLiteral("CURSO DE FORMACION %1").arg(l)});
        }
    }
    db->Commit();
}

// The same reads per employee by prepared statements, the rows inserted in
// one transaction.
int rawFill(TDatabase* db, const QString& table) {
    QSqlDatabase c = db->connection();
    QSqlQuery emp(c), con(c), dep(c), grp(c), pue(c), frm(c), cat(c), ins(c);
    emp.prepare(
        QStringLiteral("SELECT CodigoOperario, Nombre, NumeroMatricula, "
                       "FechaNacimiento, CodigoCategoria, DNI, Domicilio, Localidad "
                       "FROM PERSONAL WHERE CodigoOperario BETWEEN 0 AND 9999 ORDER BY "
                       "CodigoOperario"));
    con.prepare(
        QStringLiteral("SELECT CodigoContrato, FechaInicioContrato FROM HCONTRAT WHERE "
                       "CodigoOperario = ? ORDER BY NumeroContrato"));
    dep.prepare(
        QStringLiteral("SELECT GrupoAnalisis FROM GRANTAB WHERE NombreTabla = "
                       "'PERSONAL' AND ClaveTabla = ? AND GrupoAnalisis >= 'DEP' AND "
                       "GrupoAnalisis <= 'DEPZ' ORDER BY GrupoAnalisis"));
    grp.prepare(QStringLiteral("SELECT Descripcion FROM GRANALIS WHERE Codigo = ?"));
    cat.prepare(QStringLiteral("SELECT Descripcion FROM CATEGORI WHERE Codigo = ?"));
    pue.prepare(
        QStringLiteral("SELECT CodigoPuesto, Descripcion, FechaInicio FROM HPUESTO "
                       "WHERE NombreTabla = 'PERSONAL' AND CodigoOperario = ? ORDER BY "
                       "FechaInicio"));
    frm.prepare(
        QStringLiteral("SELECT Descripcion FROM HFORMACI WHERE NombreTabla = "
                       "'PERSONAL' AND CodigoOperario = ? ORDER BY Linea"));
    ins.prepare(QStringLiteral("INSERT INTO ") + table +
                QStringLiteral(" (CodigoOperario, NumeroMatricula, NombreOperario, "
                               "FechaNacimiento, DNI, Domicilio, Localidad, FechaIngreso, "
                               "CodigoContrato, Seccion, CategoriaProfesional, PuestoTrabajo, "
                               "FechaOcupacionPuesto, OtrosPuestos, Formacion, NumeroCopias) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1)"));
    if (!emp.exec()) fail("raw read failed");
    QList<QVariantList> rows;
    while (emp.next()) {
        const int e = emp.value(0).toInt();
        QVariantList r{e,
                       emp.value(2),
                       emp.value(1),
                       emp.value(3).toString().left(10),
                       emp.value(5),
                       emp.value(6),
                       emp.value(7)};
        con.bindValue(0, e);
        con.exec();
        const bool hay = con.next();
        r << (hay ? con.value(1).toString().left(10) : QString()) << (hay ? con.value(0) : 0);
        dep.bindValue(0, QString::number(e));
        dep.exec();
        QString seccion;
        if (dep.next()) {
            grp.bindValue(0, dep.value(0));
            grp.exec();
            if (grp.next()) seccion = dep.value(0).toString() + " - " + grp.value(0).toString();
        }
        cat.bindValue(0, emp.value(4));
        cat.exec();
        r << seccion
          << QString(emp.value(4).toString() +
                     (cat.next() ? QString(" - " + cat.value(0).toString()) : QString()));
        pue.bindValue(0, e);
        pue.exec();
        QString actual, fecha, otros;
        while (pue.next()) {
            if (!actual.isEmpty()) otros += actual + "\r\n";
            actual = pue.value(0).toString() + " - " + pue.value(1).toString();
            fecha = pue.value(2).toString().left(10);
        }
        frm.bindValue(0, e);
        frm.exec();
        QString formacion;
        while (frm.next()) formacion += "\r\n" + frm.value(0).toString();
        r << actual << fecha << otros << formacion;
        rows << r;
    }
    db->StartTransaction();
    for (const QVariantList& r : rows) {
        for (int i = 0; i < r.size(); ++i) ins.bindValue(i, r[i]);
        if (!ins.exec()) fail("raw insert failed");
    }
    db->Commit();
    return int(rows.size());
}

int count(TDatabase* db, const QString& table) {
    return db->Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt();
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

    // The best of two rounds of each side, taken in turns.
    double ours = 1e9, raw = 1e9;
    QElapsedTimer clock;
    for (int round = 0; round < 2; ++round) {
        {
            TfGENELIMP motor;
            CrearTablaEstructura(fGENEINIC, motor.Temporal, DefinicionFichas(TTipoFicha::Personal),
                                 -1);
            motor.Temporal->Open();
            clock.restart();
            RellenarFichas(TTipoFicha::Personal, motor.Temporal, TSeleccionFichas{});
            ours = std::min(ours, seconds(clock));
            const int n = count(db, motor.Temporal->TableName());
            if (n != kEmployees) fail(QStringLiteral("the fill wrote %1 sheets").arg(n));
        }
        {
            TfGENELIMP motor;
            CrearTablaEstructura(fGENEINIC, motor.Temporal, DefinicionFichas(TTipoFicha::Personal),
                                 -1);
            motor.Temporal->Open();
            clock.restart();
            rawFill(db, motor.Temporal->TableName());
            raw = std::min(raw, seconds(clock));
            const int n = count(db, motor.Temporal->TableName());
            if (n != kEmployees) fail(QStringLiteral("the statements wrote %1 sheets").arg(n));
        }
    }
    std::printf("fichas personal_1000 ours=%.3f raw=%.3f ratio=%.2f\n", ours, raw, ours / raw);
    return 0;
}
