// The training plan on a real installation: lines typed one after the
// other with the employee's department, the year in the spin box and a
// search into another year, the history and group offers of a line marked
// done, filters by value, carrying pending courses, the revision and the
// repetition for employees with a contract in force, refused lines kept as
// typed, the form printed as an image and the listing opened on the year.

#include <QApplication>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genebusc.h"
#include "gene/dialogs/genebusq.h"
#include "gene/dialogs/genedoce.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/sesion.h"
#include "nomina/nomimodu.h"
#include "rrhh/rrhhlpla.h"
#include "rrhh/rrhhplan.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/instalacion.h"
#include "support/lineasprueba.h"
#include "support/sqlprueba.h"
#include "support/tecladoprueba.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/form.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

QString sql(const QString& sentencia) {
    QString r;
    EjecutarSQL(nullptr, sentencia, QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    return r;
}

QString fecha(int ano, int mes, int dia) {
    return ValorSQL(QDateTime(QDate(ano, mes, dia), QTime(0, 0)));
}

QStringList textos() {
    QStringList l;
    for (const auto& e : MessageSeam::log()) l << e.text;
    return l;
}

// Grid columns by field.
enum Columna {
    cOperario = 0,
    cLinea = 1,
    cDepartamento = 2,
    cFormacion = 4,
    cAccion = 5,
    cNecesidad = 6,
    cTipo = 8,
    cDuracion = 10,
    cRealizado = 13,
    cObservaciones = 16
};

QString valor(TfRRHHPLAN* f, const char* campo) {
    return f->Table1->FieldByName(QLatin1String(campo))->AsString();
}

// A cell typed as the user does: the column selected, the text, the column left.
void teclear(TfRRHHPLAN* f, int columna, const QString& texto) {
    f->DBGrid1->setSelectedIndex(columna);
    f->DBGrid1->SelectedField()->setText(texto);
    f->DBGrid1ColExit(f->DBGrid1);
}

struct Entorno : EmpresaPrueba {
    explicit Entorno(int engine) : EmpresaPrueba(Engine(engine)) {
        // Employees 12 and 20 have a contract in force, 30 one that ended,
        // 40 none; 12 belongs to two departments (the last one counts).
        for (const auto& [codigo, nombre] : {std::pair{12, "Ana Ruiz"}, std::pair{20, "Luis Gil"},
                                             std::pair{30, "Eva Sanz"}, std::pair{40, "Pío Mas"}})
            sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (%1, '%2')")
                    .arg(codigo)
                    .arg(QString::fromUtf8(nombre)));
        int numero = 0;
        for (const auto& [codigo, fin] : {std::pair{12, ZeroDate()}, std::pair{20, ZeroDate()},
                                          std::pair{30, QDate(2001, 6, 30)}})
            sql(QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, "
                               "FechaInicioContrato, FechaFinalContrato) VALUES (%1, %2, %3, %4)")
                    .arg(codigo)
                    .arg(++numero)
                    .arg(fecha(2000, 1, 10), ValorSQL(QDateTime(fin, QTime(0, 0)))));
        sql(
            QStringLiteral("INSERT INTO GRANALIS (Codigo, Descripcion, CategoriaGrupo) VALUES "
                           "('DEP01', 'Administración', 'DEPARTAMENTO')"));
        sql(
            QStringLiteral("INSERT INTO GRANALIS (Codigo, Descripcion, CategoriaGrupo) VALUES "
                           "('DEP02', 'Taller', 'DEPARTAMENTO')"));
        for (const char* fila : {"'12', 'DEP01'", "'12', 'DEP02'", "'12', 'PRL'", "'20', 'DEP01'"})
            sql(QStringLiteral("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) "
                               "VALUES ('PERSONAL', ") +
                QLatin1String(fila) + QLatin1Char(')'));
        RegistrarTfRRHHPLAN();
        f = qobject_cast<TfRRHHPLAN*>(CreateForm(QStringLiteral("TfRRHHPLAN")));
        f->EditEjercicio->setValue(2005);
        MessageSeam::clearLog();
    }
    ~Entorno() {
        if (f) {
            if (f->Table1->State() != dsBrowse) f->Table1->Cancel();
            f->Close();
            (void)QTest::qWaitFor([this] { return f.isNull(); });
        }
    }
    // A 2005 line written as the batch operations find it.
    void linea(int operario, int linea, const char* realizado, double duracion = 0,
               int revision = 1) {
        sql(QStringLiteral("INSERT INTO PLANFORM (Ejercicio, CodigoOperario, Linea, Tipo, "
                           "Realizado, Revision, Duracion) VALUES (2005, %1, %2, 'Interno', "
                           "'%3', %5, %4)")
                .arg(operario)
                .arg(linea)
                .arg(QLatin1String(realizado))
                .arg(duracion)
                .arg(revision));
    }
    QPointer<TfRRHHPLAN> f;
};

}  // namespace

class TestRrhhPlan : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        InstalarServiciosFormulario();
        MessageSeam::activate();
    }
    void cleanup() {
        AsignarSeamDialogos({});
        MessageSeam::clearLog();
    }

    // The plan's grid gone through with Enter, Tab and Shift+Tab keeps the
    // keys; nothing stored changes.
    void recorridoConTeclas_data() { AddEngineRows(); }
    void recorridoConTeclas() {
        QFETCH(int, engine);
        Entorno e(engine);
        e.linea(12, 1, "NO");
        e.linea(20, 1, "NO");
        e.f->Table1->Refresh();
        const QString consulta = QStringLiteral(
            "SELECT Ejercicio, CodigoOperario, Linea, Tipo, Realizado FROM PLANFORM ORDER BY "
            "CodigoOperario, Linea");
        const QStringList antes = FilasEnOtraSesion(consulta);
        QCOMPARE(antes.size(), 2);
        e.f->Show();
        QVERIFY(QTest::qWaitForWindowActive(e.f));
        RecorrerRejillaConTeclas(e.f->DBGrid1);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(textos(), QStringList());
        QCOMPARE(FilasEnOtraSesion(consulta), antes);
    }

    void lineas_data() { AddEngineRows(); }
    void lineas() {
        QFETCH(int, engine);
        Entorno e(engine);
        TfRRHHPLAN* f = e.f;
        QCOMPARE(f->Caption(), QStringLiteral("Plan de Formación"));

        // The first line, typed at the keyboard: its employee's name and
        // department come on leaving the column.
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        f->AgregarClick(f->Agregar);
        f->DBGrid1->setFocus();
        QTRY_VERIFY(f->DBGrid1->hasFocus());
        QCOMPARE(f->DBGrid1->SelectedIndex(), int(cOperario));
        TeclearEnFoco(QStringLiteral("12"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(f->DBGrid1->SelectedIndex(), int(cLinea));
        QCOMPARE(f->EditNombre->Text(), QStringLiteral("Ana Ruiz"));
        QCOMPARE(valor(f, "Linea"), QStringLiteral("1"));
        QCOMPARE(valor(f, "Departamento"), QStringLiteral("DEP02"));
        QCOMPARE(valor(f, "Imputacion"), QStringLiteral("Taller"));
        teclear(f, cAccion, QStringLiteral("Prevención"));
        teclear(f, cNecesidad, QStringLiteral("20"));
        QCOMPARE(valor(f, "NecesidadFijadaPor"), QStringLiteral("Luis Gil"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(textos().join(QLatin1Char(10)), QString());
        // The next line starts at once with the same employee and the defaults.
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(valor(f, "CodigoOperario"), QStringLiteral("12"));
        QCOMPARE(valor(f, "Linea"), QStringLiteral("2"));
        f->Table1->Cancel();
        // ...also while Personal stands on another employee.
        QVERIFY(f->Personal->FindKey({20}));
        f->AgregarClick(f->Agregar);
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(QStringList({valor(f, "Ejercicio"), valor(f, "CodigoOperario"), valor(f, "Linea"),
                              valor(f, "Tipo"), valor(f, "Realizado"), valor(f, "Revision"),
                              valor(f, "Departamento"), valor(f, "Imputacion")}),
                 QStringList({"2005", "12", "2", "Interno", "NO", "1", "DEP02", "Taller"}));
        f->Table1->Cancel();
        QCOMPARE(sql(QStringLiteral("SELECT Ejercicio, CodigoOperario, Linea, AccionFormativa, "
                                    "Departamento FROM PLANFORM")),
                 QStringLiteral("2005|12|1|Prevención|DEP02"));
        QCOMPARE(f->EditNombre->Text(), QStringLiteral("Ana Ruiz"));

        // The spin box shows one year; a search result switches it.
        sql(
            QStringLiteral("INSERT INTO PLANFORM (Ejercicio, CodigoOperario, Linea, Realizado) "
                           "VALUES (2006, 20, 7, 'NO')"));
        f->EditEjercicio->setValue(2006);
        QCOMPARE(f->Table1->RecordCount(), 1);
        QCOMPARE(valor(f, "CodigoOperario"), QStringLiteral("20"));
        f->MostrarClave(QVariantList{2005, 12, 1});
        QCOMPARE(f->EditEjercicio->Value(), 2005);
        QCOMPARE(f->Table1->RecordCount(), 1);
        QCOMPARE(valor(f, "Linea"), QStringLiteral("1"));

        // Marked done: both offers once; a candidate's history with the same
        // code, year and training does not count.
        sql(QStringLiteral("INSERT INTO HFORMACI (NombreTabla, CodigoOperario, Linea, "
                           "CodigoFormacion, FechaInicio) VALUES ('CANDIDAT', 12, 1, 'PRL', %1)")
                .arg(fecha(2005, 2, 1)));
        f->DBGrid1->setSelectedIndex(cRealizado);
        f->Table1->Edit();
        f->Table1->FieldByName(QStringLiteral("CodigoFormacion"))
            ->setAsString(QStringLiteral("PRL"));
        f->Table1->FieldByName(QStringLiteral("FechaInicio"))
            ->setAsDateTime(QDateTime(QDate(2005, 3, 1), QTime(0, 0)));
        f->Table1->FieldByName(QStringLiteral("Duracion"))->setAsFloat(8);
        f->Table1->FieldByName(QStringLiteral("Realizado"))->setAsString(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(
            textos(),
            QStringList({"¿ Quiere dar de alta la acción formativa en el Histórico ?",
                         "¿ Quiere dar de alta la acción formativa como Grupo de Análisis ?"}));
        QCOMPARE(sql(QStringLiteral("SELECT Linea, CodigoFormacion, Descripcion, Tipo "
                                    "FROM HFORMACI WHERE NombreTabla = 'PERSONAL'")),
                 QStringLiteral("1|PRL|Prevención|Interno"));
        // The group was there already: the failure is silent.
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM GRANTAB WHERE ClaveTabla = '12' AND "
                                    "GrupoAnalisis = 'PRL'")),
                 QStringLiteral("1"));
        MessageSeam::clearLog();
        f->DBGrid1->setSelectedIndex(cObservaciones);
        f->Table1->Edit();
        f->Table1->FieldByName(QStringLiteral("Observaciones"))->setAsString(QStringLiteral("x"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(textos(), QStringList());
        QCOMPARE(f->Table1->State(), dsBrowse);

        // Filters by value combine with " AND " within the year.
        e.linea(20, 1, "NO", 15);
        e.linea(20, 2, "NO", 25);
        f->Table1->Refresh();
        QCOMPARE(f->Table1->RecordCount(), 3);
        f->DBGrid1->setSelectedIndex(cDuracion);
        MessageSeam::enqueue(QStringLiteral("10"));
        f->FiltrarRegistrosporValorClick(f->FiltrarRegistrosporValorDesde);
        QCOMPARE(f->Table1->RecordCount(), 2);
        MessageSeam::enqueue(QStringLiteral("20"));
        f->FiltrarRegistrosporValorClick(f->FiltrarRegistrosporValorHasta);
        QCOMPARE(f->Table1->Filter(), QStringLiteral("(Duracion >= '10') AND (Duracion <= '20')"));
        QCOMPARE(f->Table1->RecordCount(), 1);
        QCOMPARE(valor(f, "Linea"), QStringLiteral("1"));
        QCOMPARE(valor(f, "CodigoOperario"), QStringLiteral("20"));
        QCOMPARE(textos().first(), QStringLiteral("Introduzca el valor Desde Duracion"));
        // A value the field cannot hold leaves the filter as it was.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("mucho"));
        f->FiltrarRegistrosporValorClick(f->FiltrarRegistrosporValorIgualA);
        QCOMPARE(textos().last(), QStringLiteral("¡No ha sido posible filtrar registros!"));
        QCOMPARE(f->Table1->Filter(), QStringLiteral("(Duracion >= '10') AND (Duracion <= '20')"));
        QCOMPARE(f->Table1->RecordCount(), 1);
        f->CancelarFiltros1Click(f->CancelarFiltros1);
        QCOMPARE(f->Table1->RecordCount(), 3);
    }

    void lotes_data() { AddEngineRows(); }
    void lotes() {
        QFETCH(int, engine);
        Entorno e(engine);
        TfRRHHPLAN* f = e.f;
        // Lines in their fourth revision: the carried ones start again at 1.
        e.linea(12, 1, "NO", 0, 4);
        e.linea(12, 2, "SI", 0, 4);
        e.linea(20, 1, "NO", 0, 4);
        // A line with a time of day, a fraction, empty numbers and dates.
        sql(QStringLiteral("UPDATE PLANFORM SET AccionFormativa = 'Prevención', "
                           "CodigoOpNecesidad = 20, Duracion = 12.75, FechaInicio = %1, "
                           "FechaFinal = NULL, ValoracionAlumno = NULL, ValoracionJefeSeccion "
                           "= 3 WHERE CodigoOperario = 12 AND Linea = 1")
                .arg(ValorSQL(QDateTime(QDate(2005, 3, 7), QTime(9, 30, 15)))));
        f->Table1->Refresh();
        f->Table1->Last();

        // Pending lines go to 2006 and are marked in 2005.
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->PasarCursosPendientesalSiguienteEjercicio1Click(nullptr);
        // The copy holds every value of the line it comes from.
        const QString copiados = QStringLiteral(
            "SELECT AccionFormativa, CodigoOpNecesidad, Duracion, FechaInicio, FechaFinal IS NULL, "
            "ValoracionAlumno IS NULL, ValoracionJefeSeccion, Tipo FROM PLANFORM WHERE "
            "CodigoOperario = 12 AND Linea = 1 AND Ejercicio = ");
        QCOMPARE(sql(copiados + QStringLiteral("2006")), sql(copiados + QStringLiteral("2005")));
        QCOMPARE(
            sql(QStringLiteral("SELECT Ejercicio, CodigoOperario, Linea, Observaciones, "
                               "Revision FROM PLANFORM ORDER BY Ejercicio, CodigoOperario, "
                               "Linea")),
            QStringLiteral("2005|12|1|Pasa a 2006|4\r\n2005|12|2||4\r\n2005|20|1|Pasa a "
                           "2006|4\r\n2006|12|1|Viene de 2005|1\r\n2006|20|1|Viene de 2005|1"));
        QCOMPARE(valor(f, "CodigoOperario"), QStringLiteral("20"));
        // Again: each line warns and the run goes on; nothing changes.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->PasarCursosPendientesalSiguienteEjercicio1Click(nullptr);
        QCOMPARE(textos().mid(1), QStringList({"¡No ha sido posible grabar el Curso!",
                                               "¡No ha sido posible grabar el Curso!"}));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM PLANFORM")), QStringLiteral("5"));
        QCOMPARE(f->Table1->State(), dsBrowse);

        // A selected line goes under the next free number of 2006, in its
        // first revision, and is marked where it came from.
        sql(
            QStringLiteral("UPDATE PLANFORM SET Observaciones = '' WHERE Ejercicio = 2005 AND "
                           "CodigoOperario = 12 AND Linea = 1"));
        f->Table1->Refresh();
        QVERIFY(f->Table1->FindKey({2005, 12, 1}));
        f->DBGrid1->SelectedRows().setCurrentRowSelected(true);
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->PasarCursosSeleccionadosalSiguienteEjercicio1Click(nullptr);
        QCOMPARE(sql(QStringLiteral("SELECT Observaciones, Revision FROM PLANFORM WHERE Ejercicio "
                                    "= 2006 AND CodigoOperario = 12 AND Linea = 2")),
                 QStringLiteral("Viene de 2005|1"));
        QCOMPARE(sql(QStringLiteral("SELECT Observaciones FROM PLANFORM WHERE Ejercicio = 2005 "
                                    "AND CodigoOperario = 12 AND Linea = 1")),
                 QStringLiteral("Pasa a 2006"));

        // The revision of every line shown; not a whole number changes nothing.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("1,5"));
        f->AsignarRevision1Click(nullptr);
        QCOMPARE(textos().last(),
                 QStringLiteral("¡El valor de Revisión es incorrecto! Repita por favor"));
        // Run from the first line, a new line afterwards proposes the
        // employee of the last line the run wrote.
        f->ValoresUltimaLinea = QVariant();
        f->Table1->First();
        MessageSeam::enqueue(QStringLiteral("3"));
        f->AsignarRevision1Click(nullptr);
        QCOMPARE(sql(QStringLiteral("SELECT Ejercicio, Revision, COUNT(*) FROM PLANFORM GROUP BY "
                                    "Ejercicio, Revision ORDER BY Ejercicio")),
                 QStringLiteral("2005|3|3\r\n2006|1|3"));
        QCOMPARE(valor(f, "CodigoOperario"), QStringLiteral("12"));
        f->Table1->Append();
        QCOMPARE(valor(f, "CodigoOperario"), QStringLiteral("20"));
        f->Table1->Cancel();

        // Repeating 12's line: only 20 (contract in force), under its own
        // next line and department.
        QVERIFY(f->Table1->FindKey({2005, 12, 2}));
        for (const char* malo : {"x", "2,5"}) {
            MessageSeam::clearLog();
            MessageSeam::enqueue(QLatin1String(malo));
            f->RepetirparatodoslosOperarios1Click(nullptr);
            QCOMPARE(textos().last(),
                     QStringLiteral("¡El valor de Desde Operario es incorrecto! Repita por favor"));
        }
        MessageSeam::enqueue(QStringLiteral("1"));
        MessageSeam::enqueue(QStringLiteral("y"));
        f->RepetirparatodoslosOperarios1Click(nullptr);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM PLANFORM")), QStringLiteral("6"));
        MessageSeam::enqueue(QStringLiteral("1"));
        MessageSeam::enqueue(QStringLiteral("9999"));
        f->RepetirparatodoslosOperarios1Click(nullptr);
        QCOMPARE(sql(QStringLiteral("SELECT CodigoOperario, Linea, Realizado, Revision, "
                                    "Departamento, Imputacion FROM PLANFORM WHERE Ejercicio = "
                                    "2005 ORDER BY CodigoOperario, Linea")),
                 QStringLiteral("12|1|NO|3||\r\n12|2|SI|3||\r\n20|1|NO|3||\r\n20|2|SI|3|DEP01|"
                                "Administración"));
        QCOMPARE(f->Table1->RecordCount(), 4);

        // An employee found by one batch and removed before the next is
        // looked for again: his lines are refused.
        f->Table1->setFilter(QStringLiteral("(CodigoOperario = '20')"));
        f->Table1->setFiltered(true);
        MessageSeam::enqueue(QStringLiteral("4"));
        f->AsignarRevision1Click(nullptr);
        sql(QStringLiteral("DELETE FROM PERSONAL WHERE CodigoOperario = 20"));
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("5"));
        f->AsignarRevision1Click(nullptr);
        QCOMPARE(textos().count(QStringLiteral("¡No existe el operario!")), 2);
        QCOMPARE(sql(QStringLiteral("SELECT CodigoOperario, Revision FROM PLANFORM WHERE "
                                    "Ejercicio = 2005 ORDER BY CodigoOperario, Linea")),
                 QStringLiteral("12|3\r\n12|3\r\n20|4\r\n20|4"));
    }

    // A line refused by its check stays as typed, without further warnings.
    void lineaRechazada_data() {
        QTest::addColumn<bool>("alta");
        QTest::addColumn<int>("columna");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("aviso");
        QTest::newRow("alta, operario inexistente") << true << int(cOperario) << "99"
                                                    << "¡No existe el operario!";
        QTest::newRow("alta, tipo fuera de la lista")
            << true << int(cTipo) << "Mixto"
            << "El dato introducido en el campo Tipo es incorrecto";
        QTest::newRow("edición, realizado fuera de la lista")
            << false << int(cRealizado) << "Sí"
            << "El dato introducido en el campo Realizado es incorrecto";
        QTest::newRow("alta, línea 0") << true << int(cLinea) << "0"
                                       << "¡ El valor debe estar entre 1 y 9999 !";
    }
    void lineaRechazada() {
        QFETCH(bool, alta);
        QFETCH(int, columna);
        QFETCH(QString, texto);
        QFETCH(QString, aviso);
        Entorno e(int(Engine::Sqlite));
        TfRRHHPLAN* f = e.f;
        e.linea(12, 1, "NO");
        f->Table1->Refresh();
        if (alta) {
            f->AgregarClick(f->Agregar);
            teclear(f, cOperario, QStringLiteral("12"));
        } else {
            f->DBGrid1->setSelectedIndex(columna);
            f->Table1->Edit();
        }
        MessageSeam::clearLog();
        f->DBGrid1->setSelectedIndex(columna);
        f->DBGrid1->SelectedField()->setText(texto);
        QVERIFY_THROWS_EXCEPTION(EAbort, f->DBGrid1ColExit(f->DBGrid1));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(textos(), QStringList({aviso, aviso}));
        QCOMPARE(f->Table1->State(), alta ? dsInsert : dsEdit);
        QCOMPARE(f->DBGrid1->SelectedField()->Text(), texto);
        QCOMPARE(sql(QStringLiteral("SELECT CodigoOperario, Linea, Tipo, Realizado FROM PLANFORM")),
                 QStringLiteral("12|1|Interno|NO"));
        // Cancelling leaves the form as it was.
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(f->Table1->RecordCount(), 1);
    }

    // A line typed for employee 40, his name shown: another clerk deletes
    // him and enters another 40 ("sustituido"), or changes him
    // ("modificado"), before the confirm. The line is refused and stays as
    // typed, nothing stored (read by another session); untouched, it is
    // stored.
    void lineaDeOperarioSustituido_data() { FilasOperarioEnOtraSesion(); }
    void lineaDeOperarioSustituido() {
        QFETCH(int, engine);
        QFETCH(QString, escena);
        Entorno e(engine);
        TfRRHHPLAN* f = e.f;
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        f->AgregarClick(f->Agregar);
        f->DBGrid1->setFocus();
        QTRY_VERIFY(f->DBGrid1->hasFocus());
        TeclearEnFoco(QStringLiteral("40"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(f->EditNombre->Text(), QStringLiteral("Pío Mas"));
        teclear(f, cAccion, QStringLiteral("Prevención"));
        OperarioEnOtraSesion(escena, 40,
                             escena == QLatin1String("sustituido")
                                 ? QStringLiteral("Otro Cuarenta")
                                 : QStringLiteral("Pío Renombrado"));
        MessageSeam::clearLog();
        QTest::mouseClick(f->pbConforme, Qt::LeftButton);
        const QString lineas =
            QStringLiteral("SELECT CodigoOperario, Linea, AccionFormativa FROM PLANFORM");
        if (escena == QLatin1String("nadie lo toca")) {
            QCOMPARE(textos(), QStringList());
            QCOMPARE(FilasEnOtraSesion(lineas), QStringList{QStringLiteral("40|1|Prevención")});
        } else {
            QVERIFY2(textos().size() == 1 &&
                         textos().first().contains(
                             QStringLiteral("¡ El registro ha sido modificado por otro usuario !")),
                     qPrintable(textos().join(QLatin1Char('\n'))));
            QCOMPARE(FilasEnOtraSesion(lineas), QStringList());
            QCOMPARE(f->Table1->State(), dsInsert);
            QCOMPARE(valor(f, "AccionFormativa"), QStringLiteral("Prevención"));
        }
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(FilasEnOtraSesion(lineas).size(),
                 escena == QLatin1String("nadie lo toca") ? 1 : 0);
    }

    // A line of employee 40 marked done, the history question on screen:
    // another clerk deletes him and enters another 40 meanwhile. "SI" is
    // refused with the reason, and the new employee gets no history line
    // nor group (read by another session); the line itself was stored.
    void historicoDeOperarioSustituido_data() { AddEngineRows(); }
    void historicoDeOperarioSustituido() {
        QFETCH(int, engine);
        MessageSeam::activate(true);
        // Scripted again for the cases after this one, whatever its end.
        const auto guion = qScopeGuard([] { MessageSeam::activate(); });
        Entorno e(engine);
        TfRRHHPLAN* f = e.f;
        e.linea(40, 1, "NO");
        f->Table1->Refresh();
        QCOMPARE(valor(f, "CodigoOperario"), QStringLiteral("40"));
        f->DBGrid1->setSelectedIndex(cRealizado);
        f->Table1->Edit();
        f->Table1->FieldByName(QStringLiteral("CodigoFormacion"))
            ->setAsString(QStringLiteral("PRL"));
        f->Table1->FieldByName(QStringLiteral("FechaInicio"))
            ->setAsDateTime(QDateTime(QDate(2005, 3, 1), QTime(0, 0)));
        f->Table1->FieldByName(QStringLiteral("Realizado"))->setAsString(QStringLiteral("SI"));
        AlMostrarse<TfGENEMENS>([](TfGENEMENS* pregunta) {
            OperarioEnOtraSesion(QStringLiteral("sustituido"), 40, QStringLiteral("Otro Cuarenta"));
            AlMostrarse<TfGENEMENS>([](TfGENEMENS* aviso) { aviso->pbAceptar->click(); });
            pregunta->pbSI->click();
        });
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(textos(),
                 QStringList({"¿ Quiere dar de alta la acción formativa en el Histórico ?",
                              "¡ El registro ha sido modificado por otro usuario !. Debe cancelar "
                              "la edición, salir e intentarlo de nuevo."}));
        QCOMPARE(FilasEnOtraSesion(
                     QStringLiteral("SELECT COUNT(*) FROM HFORMACI WHERE CodigoOperario = 40")),
                 QStringList{QStringLiteral("0")});
        QCOMPARE(FilasEnOtraSesion(
                     QStringLiteral("SELECT COUNT(*) FROM GRANTAB WHERE ClaveTabla = '40'")),
                 QStringList{QStringLiteral("0")});
        QCOMPARE(FilasEnOtraSesion(QStringLiteral("SELECT Realizado FROM PLANFORM")),
                 QStringList{QStringLiteral("SI")});
        QCOMPARE(f->Table1->State(), dsBrowse);
    }

    // After a confirm the next line starts filled in (the employee, the next
    // line number, his department): nobody typed into it, so leaving it
    // stores nothing, whether by a click on another line in another column,
    // by the close question answered as its default, or by F5, which starts
    // the next line at once without a word.
    void lineaSinTeclear_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("salida");
        for (Engine motor : AvailableEngines())
            for (const char* salida : {"clic en otra columna", "Tab y clic", "cierre", "F5"})
                NewEngineRow(motor, salida) << QString::fromLatin1(salida);
    }
    void lineaSinTeclear() {
        QFETCH(int, engine);
        QFETCH(QString, salida);
        Entorno e(engine);
        TfRRHHPLAN* f = e.f;
        e.linea(20, 1, "NO");
        f->Table1->Refresh();
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        TDBGrid* g = f->DBGrid1;
        // Line 1 of employee 12, typed and confirmed.
        f->AgregarClick(f->Agregar);
        QTRY_VERIFY(g->hasFocus());
        TeclearEnFoco(QStringLiteral("12"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        teclear(f, cAccion, QStringLiteral("Prevención"));
        QTest::mouseClick(f->pbConforme, Qt::LeftButton);
        QCOMPARE(textos(), QStringList());
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(
            QStringList({valor(f, "CodigoOperario"), valor(f, "Linea"), valor(f, "Departamento")}),
            QStringList({"12", "2", "DEP02"}));
        const QStringList guardadas{QStringLiteral("2005|12|1|Prevención|DEP02"),
                                    QStringLiteral("2005|20|1||")};
        const QString consulta = QStringLiteral(
            "SELECT Ejercicio, CodigoOperario, Linea, AccionFormativa, Departamento FROM PLANFORM "
            "ORDER BY CodigoOperario, Linea");
        QCOMPARE(FilasEnOtraSesion(consulta), guardadas);
        MessageSeam::clearLog();
        if (salida == QLatin1String("F5")) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
            QCOMPARE(textos(), QStringList());
            QCOMPARE(f->Table1->State(), dsInsert);
            QCOMPARE(valor(f, "Linea"), QStringLiteral("2"));
            QVERIFY(g->hasFocus());
            QCOMPARE(g->SelectedIndex(), int(cOperario));
        } else if (salida == QLatin1String("cierre")) {
            // The question's default is not to cancel: what was typed is kept.
            MessageSeam::enqueue(QStringLiteral("NO"));
            QPointer<TfRRHHPLAN> ventana(f);
            ventana->Close();
            QTRY_VERIFY(ventana.isNull());
            QCOMPARE(textos().size(), 1);
        } else {
            // Into the line's second column first: still nothing typed.
            if (salida == QLatin1String("Tab y clic")) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(g->SelectedIndex(), int(cLinea));
            }
            const QModelIndex celda = g->model()->index(0, cAccion);
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(celda).center());
            QCOMPARE(textos(), QStringList());
            QCOMPARE(FilasEnOtraSesion(consulta), guardadas);
            QCOMPARE(f->Table1->State(), dsBrowse);
            QVERIFY(g->hasFocus());
            QCOMPARE(g->SelectedIndex(), int(cAccion));
            QCOMPARE(valor(f, "AccionFormativa"), QStringLiteral("Prevención"));
        }
        QCOMPARE(FilasEnOtraSesion(consulta), guardadas);
    }

    // F5, an employee typed into the new line, then Esc: the grid is back on
    // the line shown before and so is the documents window, so that a
    // document added then belongs to that line and to no later one.
    void documentosTrasCancelar_data() { AddEngineRows(); }
    void documentosTrasCancelar() {
        QFETCH(int, engine);
        Entorno e(engine);
        TfRRHHPLAN* f = e.f;
        e.linea(12, 1, "NO");
        f->Table1->Refresh();
        CodigoUsuarioActual = QLatin1String(kCodigoAdministradorInicial);
        InstalarDocumentacionElectronica();
        f->DocumentacionElectronica1Click(f);
        QPointer<TfGENEDOCE> documentos = fGENEDOCE;
        QVERIFY(documentos);
        QCOMPARE(documentos->ClaveTabla, QStringLiteral("2005|12|1"));
        f->AgregarClick(f->Agregar);
        teclear(f, cOperario, QStringLiteral("20"));
        QCOMPARE(f->Table1->State(), dsInsert);
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(valor(f, "CodigoOperario"), QStringLiteral("12"));
        QCOMPARE(documentos->ClaveTabla, QStringLiteral("2005|12|1"));
        MessageSeam::clearLog();
        QVERIFY(documentos->AgregarDocumento(QStringLiteral("Temario"),
                                             QStringLiteral("www.empresa.prueba"), QString()));
        QCOMPARE(sql(QStringLiteral("SELECT NombreTabla, ClaveTabla, Nombre FROM DOCUTRON")),
                 QStringLiteral("PLANFORM|2005|12|1|Temario"));
        documentos->Close();
        QTRY_VERIFY(!documentos);
    }

    // A double click searches the cell's code and fills its description;
    // an employee typed brings his department's. Codes that differ only by a
    // closing ";" ("PRL" and "PRL;", "D" and "D;") each bring their own.
    void busquedas_data() { AddEngineRows(); }
    void busquedas() {
        QFETCH(int, engine);
        Entorno e(engine);
        TfRRHHPLAN* f = e.f;
        InstalarDialogosBusqueda();
        e.linea(12, 1, "NO");
        sql(
            QStringLiteral("INSERT INTO FORMCION (Codigo, Descripcion) VALUES ('PRL', "
                           "'Prevención de riesgos'), ('PRL;', 'Prevención en altura')"));
        sql(
            QStringLiteral("INSERT INTO GRANALIS (Codigo, Descripcion, CategoriaGrupo) VALUES "
                           "('D', 'Almacén', 'DEPARTAMENTO'), ('D;', 'Montaje', 'DEPARTAMENTO'), "
                           "('DEP', 'Dirección', 'DEPARTAMENTO'), ('DEP;', 'Planta', "
                           "'DEPARTAMENTO')"));
        sql(
            QStringLiteral("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES "
                           "('PERSONAL', '40', 'DEP;')"));
        f->Table1->Refresh();
        const struct {
            int columna;
            const char* dato;
            const char* campo;
            const char* descripcion;
            const char* clave;
        } casos[] = {{cFormacion, "PRL", "AccionFormativa", "Prevención de riesgos", "Codigo"},
                     {cFormacion, "PRL;", "AccionFormativa", "Prevención en altura", "Codigo"},
                     {cDepartamento, "D", "Imputacion", "Almacén", "Codigo"},
                     {cDepartamento, "D;", "Imputacion", "Montaje", "Codigo"},
                     {cNecesidad, "20", "NecesidadFijadaPor", "Luis Gil", "CodigoOperario"}};
        for (const auto& c : casos) {
            f->DBGrid1->setSelectedIndex(c.columna);
            AlMostrarse<TfGENEBUSQ>([&](TfGENEBUSQ* d) {
                d->DatoABuscar->setText(QLatin1String(c.dato));
                d->pbBuscarClick();
                // The dialog reads ";" as a separator of key fields: the
                // clerk picks the line of the code among those found.
                QVERIFY(d->ClientDataSet1->Locate(QLatin1String(c.clave), QLatin1String(c.dato),
                                                  TLocateOptions()));
                d->pbConformeClick();
            });
            f->DBGrid1DblClick(f->DBGrid1);
            QCOMPARE(f->Table1->State(), dsEdit);
            QCOMPARE(f->DBGrid1->SelectedField()->AsString(), QLatin1String(c.dato));
            QCOMPARE(valor(f, c.campo), QString::fromUtf8(c.descripcion));
        }
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(sql(QStringLiteral("SELECT CodigoFormacion, AccionFormativa, Departamento, "
                                    "Imputacion, CodigoOpNecesidad, NecesidadFijadaPor FROM "
                                    "PLANFORM")),
                 QStringLiteral("PRL;|Prevención en altura|D;|Montaje|20|Luis Gil"));

        // Employee 40's department is "DEP;": its description, not "DEP"'s.
        f->Table1->Cancel();
        f->AgregarClick(f->Agregar);
        teclear(f, cOperario, QStringLiteral("40"));
        QCOMPARE(valor(f, "Departamento"), QStringLiteral("DEP;"));
        QCOMPARE(valor(f, "Imputacion"), QStringLiteral("Planta"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(sql(QStringLiteral("SELECT Departamento, Imputacion FROM PLANFORM WHERE "
                                    "CodigoOperario = 40")),
                 QStringLiteral("DEP;|Planta"));
    }

    void impresion_data() {
        QTest::addColumn<bool>("ajustar");
        QTest::newRow("Formato Original") << false;
        QTest::newRow("A Página Completa") << true;
    }
    void impresion() {
        QFETCH(bool, ajustar);
        Entorno e(int(Engine::Sqlite));
        e.linea(12, 1, "NO");
        e.f->Table1->Refresh();
        e.f->resize(900, 500);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("plan.pdf"));
        AsignarSeamDialogos([&](QObject* d) {
            auto* dialogo = qobject_cast<TPrintDialog*>(d);
            if (!dialogo) return false;
            // Closing the window while its print dialog is open is refused.
            e.f->Close();
            dialogo->Printer().setOutputFormat(QPrinter::PdfFormat);
            dialogo->Printer().setOutputFileName(pdf);
            dialogo->Printer().setPageSize(QPageSize(QPageSize::A4));
            return true;
        });
        if (ajustar)
            e.f->APaginaCompleta1Click(e.f->APaginaCompleta1);
        else
            e.f->FormatoOriginal1Click(e.f->FormatoOriginal1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(e.f);
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY(info.waitForFinished());
        const QString salida = QString::fromUtf8(info.readAllStandardOutput());
        QVERIFY2(salida.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))),
                 qPrintable(salida));
        // Cancelling the dialog prints nothing.
        QFile::remove(pdf);
        AsignarSeamDialogos([](QObject*) { return false; });
        e.f->FormatoOriginal1Click(e.f->FormatoOriginal1);
        QVERIFY(!QFile::exists(pdf));
    }

    // The print button opens the plan listing on the year shown; the menu
    // entry opens the form by its class name.
    void listadoYMenu() {
        Entorno e(int(Engine::Sqlite));
        TForm principal;
        principal.setFormStyle(fsMDIForm);
        SetMainForm(&principal);
        e.f->EditEjercicio->setValue(2011);
        e.f->ImprimirConDialogoClick(e.f->ImprimirConDialogo);
        QVERIFY(fRRHHLPLA);
        QCOMPARE(fRRHHLPLA->EditEjercicio->Value(), 2011);
        delete fRRHHLPLA;
        QVERIFY(FormClassRegistered(QStringLiteral("TfRRHHPLAN")));
        QCOMPARE(e.f->Ficha1->IndexOf(e.f->ListarFichaActual1),
                 e.f->Ficha1->IndexOf(e.f->CopiarRegistrosaOtrasEmpresas1) + 1);
        SetMainForm(nullptr);
    }
};

QTEST_MAIN(TestRrhhPlan)
#include "tst_rrhhplan.moc"
