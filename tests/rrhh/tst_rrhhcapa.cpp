// The capability matrices on a real installation: the employees the
// "Personal" choices list, a column assigned and cleared, cells saved (a bad
// one warned about, the others written, a second save adding no rows) and
// shown again on reopening, the import of the latest evaluation scores,
// unsaved texts across rebuilds, and an assignment answered in real dialogs.

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "db/database.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/dialogo_modal.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/generejilla.h"
#include "rrhh/rrhhcapa.h"
#include "rrhh/rrhhlcap.h"
#include "rrhh/rrhhmaqu.h"
#include "support/baseretenida.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/grids.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

QString sql(const QString& sentencia) {
    return SqlPrueba(sentencia);
}

QString fecha(int ano, int mes, int dia) {
    return ValorSQL(QDateTime(QDate(ano, mes, dia), QTime(0, 0)));
}

// Ana (1) has a contract in force, Luis (2) one that ended, Eva (3) none.
struct Entorno : EmpresaPrueba {
    explicit Entorno(int engine) : EmpresaPrueba(Engine(engine)) {
        principal.setFormStyle(fsMDIForm);
        SetMainForm(&principal);
        sql(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, PuestoTrabajo) VALUES "
                           "(1, 'Ana', 'P1'), (2, 'Luis', 'P2'), (3, 'Eva', '')"));
        sql(QStringLiteral("INSERT INTO HCONTRAT (CodigoOperario, NumeroContrato, "
                           "FechaInicioContrato, FechaFinalContrato) VALUES (1, 1, %1, %2), "
                           "(2, 1, %1, %3)")
                .arg(fecha(2000, 1, 10), ValorSQL(QDateTime(ZeroDate(), QTime(0, 0))),
                     fecha(2001, 6, 30)));
        sql(
            QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P2', 'Soldador'), "
                           "('P1', 'Tornero')"));
        sql(
            QStringLiteral("INSERT INTO MAQUINA (Codigo, Descripcion) VALUES (7, 'Torno'), "
                           "(9, 'Fresa')"));
        MessageSeam::clearLog();
    }
    ~Entorno() {
        cerrar();
        SetMainForm(nullptr);
    }
    TMatrizCapacitacion* abrir(const QString& clase) {
        RegistrarTfRRHHCAPA();
        RegistrarTfRRHHMAQU();
        f = qobject_cast<TMatrizCapacitacion*>(CreateForm(clase));
        return f;
    }
    void cerrar() {
        if (!f) return;
        f->Close();
        (void)QTest::qWaitFor([this] { return f.isNull(); });
    }
    TForm principal;
    QPointer<TMatrizCapacitacion> f;
};

// The sheet as the user sees it: a line per row, its cells joined by "|".
QStringList hoja(const TMatrizCapacitacion* f) {
    QStringList l;
    for (int r = 0; r < f->StringGrid1->RowCount(); ++r)
        l << f->StringGrid1->Rows(r).join(QLatin1Char('|'));
    return l;
}

QString filas(const QString& tabla) {
    return sql(QStringLiteral("SELECT COUNT(*) FROM ") + tabla);
}

}  // namespace

class TestRrhhCapa : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        InstalarServiciosFormulario();
        MessageSeam::activate();
    }
    void cleanup() {
        MessageSeam::deactivate();
        MessageSeam::activate();
    }

    // The employees listed for each choice of "Personal Activo" and
    // "Personal Inactivo" (clicked in order from the start: Activo checked).
    void personal_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("clics");
        QTest::addColumn<QStringList>("empleados");
        QTest::addColumn<QStringList>("avisos");
        for (Engine e : AvailableEngines()) {
            const auto fila = [e](const char* nombre) {
                return &(QTest::newRow(
                             qPrintable(EngineTag(e) + QLatin1Char(':') + QLatin1String(nombre)))
                         << int(e));
            };
            *fila("al abrir: activos") << "" << QStringList{"1 - Ana"} << QStringList();
            *fila("activos e inactivos")
                << "I" << QStringList{"1 - Ana", "2 - Luis", "3 - Eva"} << QStringList();
            *fila("solo inactivos") << "IA" << QStringList{"2 - Luis", "3 - Eva"} << QStringList();
            // Neither: the warning, and the sheet stays as it was.
            *fila("ninguno") << "A" << QStringList{"1 - Ana"}
                             << QStringList{"¡Debe seleccionar Activos y/o Inactivos!"};
        }
    }
    void personal() {
        QFETCH(int, engine);
        QFETCH(QString, clics);
        QFETCH(QStringList, empleados);
        QFETCH(QStringList, avisos);
        Entorno e(engine);
        TMatrizCapacitacion* f = e.abrir(QStringLiteral("TfRRHHCAPA"));
        QVERIFY(f);
        bool activos = true, inactivos = false;
        for (QChar c : clics) {
            if (c == QLatin1Char('A')) {
                f->ActivosClick(f->Activos);
                activos = !activos;
            } else {
                f->InactivosClick(f->Inactivos);
                inactivos = !inactivos;
            }
        }
        QCOMPARE(f->Activos->Checked(), activos);
        QCOMPARE(f->Inactivos->Checked(), inactivos);
        QCOMPARE(TextosMostrados(), avisos);
        QStringList vistos;
        for (int r = 1; r < f->StringGrid1->RowCount(); ++r) vistos << f->StringGrid1->Cells(0, r);
        QCOMPARE(vistos, empleados);
        QCOMPARE(hoja(f).first(), QStringLiteral("|PUESTO ACTUAL|P1 - Tornero|P2 - Soldador"));
        if (empleados.first() == QLatin1String("1 - Ana"))
            QCOMPARE(f->StringGrid1->Cells(1, 1), QStringLiteral("P1"));
    }

    // A column assigned, a bad cell typed, the sheet saved twice and shown
    // again after reopening; the same for both matrices.
    void grabar_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("clase");
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<QString>("pregunta");
        QTest::addColumn<QString>("aviso");
        QTest::addColumn<QStringList>("esperada");
        for (Engine e : AvailableEngines()) {
            QTest::newRow(qPrintable(EngineTag(e) + QStringLiteral(":puestos")))
                << int(e) << "TfRRHHCAPA"
                << "MATRCAPA"
                << "Este proceso asigna la capacitación a la columna 1. ¿Está seguro de continuar?"
                << "¡Imposible grabar la matriz de puestos de trabajo!. Motivo: "
                << QStringList{"|PUESTO ACTUAL|P1 - Tornero|P2 - Soldador", "1 - Ana|P1|3|",
                               "2 - Luis|P2|3|5", "3 - Eva||3|"};
            QTest::newRow(qPrintable(EngineTag(e) + QStringLiteral(":maquinas")))
                << int(e) << "TfRRHHMAQU"
                << "MATRMAQU"
                << "Este proceso asigna la capacitación a la columna 0. ¿Está seguro de continuar?"
                << "¡Imposible grabar la matriz de maquinas!. Motivo: "
                << QStringList{"|7 - Torno|9 - Fresa", "1 - Ana|3|", "2 - Luis|3|5", "3 - Eva|3|"};
        }
    }
    void grabar() {
        QFETCH(int, engine);
        QFETCH(QString, clase);
        QFETCH(QString, tabla);
        QFETCH(QString, pregunta);
        QFETCH(QString, aviso);
        QFETCH(QStringList, esperada);
        Entorno e(engine);
        TMatrizCapacitacion* f = e.abrir(clase);
        f->InactivosClick(f->Inactivos);
        const int primera = f->ColumnasFijas();
        TStringGrid* g = f->StringGrid1;

        // "NO" changes nothing; a text that is no number is refused.
        g->setCurrentCell(1, primera);
        MessageSeam::enqueue(QStringLiteral("NO"));
        f->AsignarCapacitacinatodalacolumna1Click(f->AsignarCapacitacinatodalacolumna1);
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("x"));
        f->AsignarCapacitacinatodalacolumna1Click(f->AsignarCapacitacinatodalacolumna1);
        QCOMPARE(g->Cols(primera).mid(1), QStringList({"", "", ""}));
        QCOMPARE(TextosMostrados(),
                 QStringList({pregunta, pregunta, "Introduzca la capacitacion: ",
                              "¡El valor de Capacitación es incorrecto! Repita por favor"}));
        MessageSeam::clearLog();

        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("3"));
        f->AsignarCapacitacinatodalacolumna1Click(f->AsignarCapacitacinatodalacolumna1);
        g->setCells(primera + 1, 1, QStringLiteral("abc"));
        g->setCells(primera + 1, 2, QStringLiteral("5"));
        MessageSeam::clearLog();
        f->pbGrabarClick(f->pbGrabar);
        // The bad cell alone is warned about, with the reason; the others are written.
        const QStringList avisos = TextosMostrados();
        QCOMPARE(avisos.size(), 1);
        QVERIFY2(avisos.first().startsWith(aviso) && avisos.first().contains(QLatin1String("abc")),
                 qPrintable(avisos.first()));
        QCOMPARE(filas(tabla), QStringLiteral("5"));
        g->setCells(primera + 1, 1, QString());
        f->pbGrabarClick(f->pbGrabar);
        QCOMPARE(filas(tabla), QStringLiteral("6"));
        f->pbGrabarClick(f->pbGrabar);
        QCOMPARE(filas(tabla), QStringLiteral("6"));
        // A user who may only read is told once.
        MessageSeam::clearLog();
        f->Matriz->Close();
        f->Matriz->setReadOnly(true);
        f->pbGrabarClick(f->pbGrabar);
        QCOMPARE(TextosMostrados(), QStringList{aviso + "Cannot modify a read-only dataset"});
        f->Matriz->Close();
        f->Matriz->setReadOnly(false);
        // Another program holds the database past the lock wait: told once
        // that the database is busy, not a record lock per refused cell;
        // nothing is written.
        g->setCells(primera + 1, 1, QStringLiteral("7"));
        g->setCells(primera + 1, 3, QStringLiteral("8"));
        {
            TBaseRetenida retenida(fGENEINIC->Database, {tabla});
            MessageSeam::clearLog();
            f->pbGrabarClick(f->pbGrabar);
            QCOMPARE(TextosMostrados(),
                     QStringList{aviso + "¡ La base de datos está ocupada por otro usuario !. "
                                         "Inténtelo de nuevo dentro de unos momentos."});
        }
        QCOMPARE(filas(tabla), QStringLiteral("6"));

        // Cleared and not saved: reopened, the saved values come back.
        g->setCurrentCell(1, primera);
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->Inicializarlacolumna1Click(f->Inicializarlacolumna1);
        QCOMPARE(g->Cols(primera).mid(1), QStringList({"", "", ""}));
        e.cerrar();
        f = e.abrir(clase);
        f->InactivosClick(f->Inactivos);
        QCOMPARE(hoja(f), esperada);

        // While the sheet shows them, another clerk deletes Luis and enters
        // another employee 2, and deletes Eva: the cells typed for them are
        // refused and stay on screen, Ana's are saved (read from another
        // connection).
        g = f->StringGrid1;
        g->setCells(primera, 1, QStringLiteral("4"));
        g->setCells(primera, 2, QStringLiteral("9"));
        g->setCells(primera + 1, 3, QStringLiteral("6"));
        FilasEnOtraSesion(QStringLiteral("DELETE FROM PERSONAL WHERE CodigoOperario = 2"));
        FilasEnOtraSesion(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, PuestoTrabajo) VALUES "
                           "(2, 'OtraPersona2', 'P2')"));
        FilasEnOtraSesion(QStringLiteral("DELETE FROM PERSONAL WHERE CodigoOperario = 3"));
        MessageSeam::clearLog();
        f->pbGrabarClick(f->pbGrabar);
        QCOMPARE(TextosMostrados(),
                 QStringList({aviso + "¡ El registro ha sido modificado por otro usuario !. Debe "
                                      "cancelar la edición, salir e intentarlo de nuevo.",
                              aviso + "¡Este registro ya no está disponible en la vista actual!. "
                                      "Para ver la nueva situación vuelva a seleccionar o filtrar "
                                      "los datos que desee."}));
        const auto guardadas = [&tabla](int operario) {
            return FilasEnOtraSesion(QStringLiteral("SELECT Capacitacion FROM ") + tabla +
                                     QStringLiteral(" WHERE CodigoOperario = ") +
                                     QString::number(operario) +
                                     QStringLiteral(" AND Capacitacion IS NOT NULL ORDER BY "
                                                    "Capacitacion"))
                .join(QLatin1Char(' '));
        };
        QCOMPARE(guardadas(1), QStringLiteral("4"));
        QCOMPARE(guardadas(2), QStringLiteral("3 5"));
        QCOMPARE(guardadas(3), QStringLiteral("3"));
        QCOMPARE(g->Cells(0, 2), QStringLiteral("2 - Luis"));
        QCOMPARE(g->Cells(primera, 2), QStringLiteral("9"));
        QCOMPARE(g->Cells(primera + 1, 3), QStringLiteral("6"));
        // Entered again, the sheet shows who stands under each code now.
        f->StringGrid1Enter(g);
        QCOMPARE(g->Cells(0, 2), QStringLiteral("2 - OtraPersona2"));
        QCOMPARE(g->Cells(primera, 2), QStringLiteral("3"));
        QCOMPARE(g->RowCount(), 3);
    }

    // The latest position score of each employee; a position without one, or
    // with 0, empties the cell; evaluations of training are not positions.
    void importar_data() { AddEngineRows(); }
    void importar() {
        QFETCH(int, engine);
        Entorno e(engine);
        for (const char* fila : {"1, 'Puesto', 'P1', %1, 40", "1, 'Puesto', 'P1', %2, 70",
                                 "1, 'Formacion', 'P2', %2, 90", "2, 'Puesto', 'P2', %1, 0",
                                 "3, 'Puesto', 'P2', %1, 55"})
            sql(QStringLiteral("INSERT INTO EVLCION (CodigoOperario, Tipo, Codigo, "
                               "FechaEvaluacion, Valoracion) VALUES (") +
                QString::fromLatin1(fila)
                    .replace(QLatin1String("%1"), fecha(2020, 3, 1))
                    .replace(QLatin1String("%2"), fecha(2023, 5, 2)) +
                QLatin1Char(')'));
        auto* f = static_cast<TfRRHHCAPA*>(e.abrir(QStringLiteral("TfRRHHCAPA")));
        f->InactivosClick(f->Inactivos);
        f->StringGrid1->setCells(3, 1, QStringLiteral("8"));
        f->StringGrid1->setCells(3, 2, QStringLiteral("9"));
        const QStringList antes = hoja(f);
        MessageSeam::enqueue(QStringLiteral("NO"));
        f->pbImportarEvaluacionClick(f->pbImportarEvaluacion);
        QCOMPARE(hoja(f), antes);
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->pbImportarEvaluacionClick(f->pbImportarEvaluacion);
        QCOMPARE(TextosMostrados(),
                 QStringList(2, "Los valores actuales se perderán, realmente desea continuar?"));
        QCOMPARE(hoja(f), QStringList({"|PUESTO ACTUAL|P1 - Tornero|P2 - Soldador",
                                       "1 - Ana|P1|70|", "2 - Luis|P2||", "3 - Eva|||55"}));
        f->pbGrabarClick(f->pbGrabar);
        QCOMPARE(sql(QStringLiteral("SELECT CodigoOperario, CodigoPuesto, Capacitacion FROM "
                                    "MATRCAPA WHERE Capacitacion > 0 ORDER BY CodigoOperario")),
                 QStringLiteral("1|P1|70\r\n3|P2|55"));
    }

    // Another clerk saves Ana/P1 (3 -> 5), Luis/P1 (3 -> 6) and Eva/P2 (no
    // row -> 4) while this sheet is open. "&Grabar" keeps what he saved:
    // Ana/P1, untouched here, shows his 5; Luis/P1 and Eva/P2, typed here
    // too, stay as he saved them and are named in one warning. Ana/P2,
    // which nobody else touched, is saved.
    void grabacionAjena_data() { AddEngineRows(); }
    void grabacionAjena() {
        QFETCH(int, engine);
        Entorno e(engine);
        sql(
            QStringLiteral("INSERT INTO MATRCAPA (CodigoOperario, CodigoPuesto, Capacitacion) "
                           "VALUES (1, 'P1', 3), (2, 'P1', 3)"));
        TMatrizCapacitacion* f = e.abrir(QStringLiteral("TfRRHHCAPA"));
        f->InactivosClick(f->Inactivos);
        TStringGrid* g = f->StringGrid1;
        QCOMPARE(hoja(f).mid(1), QStringList({"1 - Ana|P1|3|", "2 - Luis|P2|3|", "3 - Eva|||"}));
        {
            TDatabase otra;
            otra.setDatabaseName(QStringLiteral("OtraSesion"));
            otra.Params() = fGENEINIC->Database->Params();
            otra.Open();
            otra.Execute(
                QStringLiteral("UPDATE MATRCAPA SET Capacitacion = 5 WHERE "
                               "CodigoOperario = 1 AND CodigoPuesto = 'P1'"));
            otra.Execute(
                QStringLiteral("UPDATE MATRCAPA SET Capacitacion = 6 WHERE "
                               "CodigoOperario = 2 AND CodigoPuesto = 'P1'"));
            otra.Execute(
                QStringLiteral("INSERT INTO MATRCAPA (CodigoOperario, CodigoPuesto, "
                               "Capacitacion) VALUES (3, 'P2', 4)"));
            otra.Close();
        }
        g->setCells(2, 2, QStringLiteral("8"));
        g->setCells(3, 3, QStringLiteral("9"));
        g->setCells(3, 1, QStringLiteral("7"));
        MessageSeam::clearLog();
        f->pbGrabarClick(f->pbGrabar);
        QCOMPARE(sql(QStringLiteral("SELECT CodigoOperario, CodigoPuesto, Capacitacion FROM "
                                    "MATRCAPA WHERE Capacitacion IS NOT NULL ORDER BY "
                                    "CodigoOperario, CodigoPuesto")),
                 QStringLiteral("1|P1|5\r\n1|P2|7\r\n2|P1|6\r\n3|P2|4"));
        QCOMPARE(hoja(f).mid(1), QStringList({"1 - Ana|P1|5|7", "2 - Luis|P2|8|", "3 - Eva|||9"}));
        const QStringList avisos = TextosMostrados();
        QCOMPARE(avisos.size(), 1);
        for (const char* celda : {"2 - Luis / P1 - Tornero", "3 - Eva / P2 - Soldador"})
            QVERIFY2(avisos.first().contains(QLatin1String(celda)), qPrintable(avisos.first()));
        QVERIFY(!avisos.first().contains(QLatin1String("Ana")));
        // Saved again without reloading: still nothing of his overwritten.
        MessageSeam::clearLog();
        f->pbGrabarClick(f->pbGrabar);
        QCOMPARE(sql(QStringLiteral("SELECT Capacitacion FROM MATRCAPA WHERE CodigoOperario = 2 "
                                    "AND CodigoPuesto = 'P1'")),
                 QStringLiteral("6"));
        QCOMPARE(TextosMostrados().size(), 1);
        // Reloaded, the sheet shows what is stored and takes a new value.
        f->StringGrid1Enter(g);
        QCOMPARE(hoja(f).mid(1), QStringList({"1 - Ana|P1|5|7", "2 - Luis|P2|6|", "3 - Eva|||4"}));
        g->setCells(2, 2, QStringLiteral("8"));
        MessageSeam::clearLog();
        f->pbGrabarClick(f->pbGrabar);
        QCOMPARE(TextosMostrados(), QStringList());
        QCOMPARE(sql(QStringLiteral("SELECT Capacitacion FROM MATRCAPA WHERE CodigoOperario = 2 "
                                    "AND CodigoPuesto = 'P1'")),
                 QStringLiteral("8"));
        // His own cell changed and saved once more is no other user's change.
        g->setCells(2, 2, QStringLiteral("2"));
        f->pbGrabarClick(f->pbGrabar);
        QCOMPARE(TextosMostrados(), QStringList());
        QCOMPARE(sql(QStringLiteral("SELECT Capacitacion FROM MATRCAPA WHERE CodigoOperario = 2 "
                                    "AND CodigoPuesto = 'P1'")),
                 QStringLiteral("2"));
    }

    // Unsaved texts across rebuilds: a pair shown again keeps its text, an
    // employee moved into another's row never gets it, a saved pair is
    // reloaded; a saved pair without a value shows nothing.
    void reconstruir_data() { AddEngineRows(); }
    void reconstruir() {
        QFETCH(int, engine);
        Entorno e(engine);
        sql(
            QStringLiteral("INSERT INTO MATRCAPA (CodigoOperario, CodigoPuesto, Capacitacion) "
                           "VALUES (1, 'P1', 2), (2, 'P2', NULL)"));
        TMatrizCapacitacion* f = e.abrir(QStringLiteral("TfRRHHCAPA"));
        TStringGrid* g = f->StringGrid1;
        QCOMPARE(hoja(f).at(1), QStringLiteral("1 - Ana|P1|2|"));
        g->setCells(2, 1, QStringLiteral("4"));  // over the saved 2
        g->setCells(3, 1, QStringLiteral("7"));
        f->InactivosClick(f->Inactivos);
        QCOMPARE(hoja(f).mid(1), QStringList({"1 - Ana|P1|2|7", "2 - Luis|P2||", "3 - Eva|||"}));
        f->ActivosClick(f->Activos);
        QCOMPARE(hoja(f).mid(1), QStringList({"2 - Luis|P2||", "3 - Eva|||"}));
        f->pbGrabarClick(f->pbGrabar);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM MATRCAPA WHERE Capacitacion = 7")),
                 QStringLiteral("0"));
        // Entering the grid rebuilds it too.
        g->setCells(2, 1, QStringLiteral("6"));
        f->StringGrid1Enter(g);
        QCOMPARE(hoja(f).at(1), QStringLiteral("2 - Luis|P2||"));
    }

    // A position code that holds the header's own separator: each column
    // keeps its code when saved, reloaded and filled from evaluations.
    void codigoConSeparador_data() { AddEngineRows(); }
    void codigoConSeparador() {
        QFETCH(int, engine);
        Entorno e(engine);
        sql(QStringLiteral("DELETE FROM PUESTO"));
        sql(QStringLiteral(
            "INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('A - B', 'Doble'), ('A', 'Simple')"));
        sql(QStringLiteral("INSERT INTO EVLCION (CodigoOperario, Tipo, Codigo, FechaEvaluacion, "
                           "Valoracion) VALUES (1, 'Puesto', 'A - B', %1, 9)")
                .arg(fecha(2020, 3, 1)));
        auto* f = static_cast<TfRRHHCAPA*>(e.abrir(QStringLiteral("TfRRHHCAPA")));
        TStringGrid* g = f->StringGrid1;
        QCOMPARE(hoja(f).first(), QStringLiteral("|PUESTO ACTUAL|A - Simple|A - B - Doble"));
        g->setCells(2, 1, QStringLiteral("3"));
        g->setCells(3, 1, QStringLiteral("7"));
        f->pbGrabarClick(f->pbGrabar);
        const QString matriz =
            QStringLiteral("SELECT CodigoPuesto, Capacitacion FROM MATRCAPA ORDER BY CodigoPuesto");
        QCOMPARE(sql(matriz), QStringLiteral("A|3\r\nA - B|7"));
        g->setCells(2, 1, QString());
        g->setCells(3, 1, QString());
        f->StringGrid1Enter(g);
        QCOMPARE(hoja(f).at(1), QStringLiteral("1 - Ana|P1|3|7"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->pbImportarEvaluacionClick(f->pbImportarEvaluacion);
        QCOMPARE(hoja(f).at(1), QStringLiteral("1 - Ana|P1||9"));
        f->pbGrabarClick(f->pbGrabar);
        QCOMPARE(sql(matriz), QStringLiteral("A|\r\nA - B|9"));
    }

    // The assignment with its question and prompt on screen: when they close
    // and the focus comes back to the grid, the column keeps its value.
    void asignacionConDialogos() {
        MessageSeam::activate(true);
        Entorno e(int(Engine::Sqlite));
        TMatrizCapacitacion* f = e.abrir(QStringLiteral("TfRRHHMAQU"));
        e.principal.show();
        f->show();
        QApplication::setActiveWindow(f);
        f->StringGrid1->setFocus();
        f->StringGrid1->setCurrentCell(1, 2);
        AlMostrarse<TfGENEMENS>([](TfGENEMENS* d) {
            AlMostrarse<TfGENEMENS>([](TfGENEMENS* p) {
                p->EditRespuesta->setText(QStringLiteral("4"));
                p->pbAceptar->click();
            });
            d->pbSI->click();
        });
        f->AsignarCapacitacinatodalacolumna1Click(f->AsignarCapacitacinatodalacolumna1);
        QApplication::setActiveWindow(f);
        QApplication::processEvents();
        QCOMPARE(hoja(f).mid(1), QStringList({"1 - Ana||4"}));
        f->pbGrabarClick(f->pbGrabar);
        QCOMPARE(sql(QStringLiteral("SELECT CodigoMaquina, Capacitacion FROM MATRMAQU ORDER BY "
                                    "CodigoMaquina")),
                 QStringLiteral("7|\r\n9|4"));
    }

    // The print button opens the machines listing's dialog by its class, for a
    // user who may use it.
    void listado() {
        Entorno e(int(Engine::Sqlite));
        TMatrizCapacitacion* f = e.abrir(QStringLiteral("TfRRHHMAQU"));
        QVERIFY(!BuscarFormularioAbierto(QStringLiteral("fRRHHLMAQ")));
        f->ImprimirConDialogoClick(f->ImprimirConDialogo);
        QPointer<TForm> l = BuscarFormularioAbierto(QStringLiteral("fRRHHLMAQ"));
        QVERIFY(qobject_cast<TfRRHHLMAQ*>(l.data()));
        l->Release();
        QTRY_VERIFY(!l);
    }
};

QTEST_MAIN(TestRrhhCapa)
#include "tst_rrhhcapa.moc"
