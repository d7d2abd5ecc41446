// The employee evaluation on a real installation: the score from the lines
// and the capability cycle, the import of the criteria, the duplication under
// another date, the delete of lines, documents and header all or nothing, the
// documents' glyph, bad input, and the evaluation made from the personnel
// master.

#include <QtTest>

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/geneapp.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/sesion.h"
#include "nomina/nomimodu.h"
#include "rrhh/rrhheval.h"
#include "rrhh/rrhhleva.h"
#include "rrhh/rrhhpers.h"
#include "support/baseretenida.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/instalacion.h"
#include "support/lineasprueba.h"
#include "support/sqlprueba.h"
#include "support/tecladoprueba.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

QString sql(const QString& sentencia) {
    return SqlPrueba(sentencia);
}

struct Entorno : EmpresaPrueba {
    explicit Entorno(Engine engine) : EmpresaPrueba(engine) {
        principal.setFormStyle(fsMDIForm);
        SetMainForm(&principal);
        sql(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (1, 'Ana'), "
                           "(2, 'Luis')"));
        sql(QStringLiteral("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P1', 'Tornero')"));
        sql(
            QStringLiteral("INSERT INTO FORMCION (Codigo, Tipo, Descripcion) VALUES ('P1', "
                           "'CURSO', 'Soldadura')"));
    }
    ~Entorno() { SetMainForm(nullptr); }
    TForm principal;
};

// Errors that reach the event loop go to the session's handler, as in the
// program, while it lives.
struct ExcepcionesALaSesion {
    ExcepcionesALaSesion() { SetApplicationExceptionHandler(&DespacharExcepcion); }
    ~ExcepcionesALaSesion() { SetApplicationExceptionHandler(nullptr); }
};

TfRRHHEVAL* abrir() {
    RegistrarTfRRHHEVAL();
    return qobject_cast<TfRRHHEVAL*>(CreateForm(QStringLiteral("TfRRHHEVAL")));
}

void cerrar(QPointer<TfRRHHEVAL>& f) {
    f->Close();
    QTRY_VERIFY(!f);
}

// A new evaluation typed and confirmed as the user does; the next new one
// that the confirmation starts is cancelled.
void nuevaEvaluacion(TfRRHHEVAL* f, int operario, const QString& tipo, const QString& fecha,
                     const QString& nivel = QString()) {
    f->AgregarClick(f->Agregar);
    f->Table1->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(operario);
    f->Table1->FieldByName(QStringLiteral("Tipo"))->setAsString(tipo);
    f->Table1->FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("P1"));
    f->Table1->FieldByName(QStringLiteral("FechaEvaluacion"))->setAsString(fecha);
    f->Table1->FieldByName(QStringLiteral("Nivel"))->setAsString(nivel);
    f->CampoClaveP1Exit(f->EditCodigoOperario);
    f->CampoClaveExit(f->EditFechaEvaluacion);
    f->pbConformeClick(f->pbConforme);
    QCOMPARE(f->Table1->State(), dsInsert);
    f->pbCancelarClick(f->pbCancelar);
    f->Table1->Locate(QStringLiteral("CodigoOperario;Tipo;FechaEvaluacion"),
                      QVariantList{operario, tipo, TextoAFechaHora(fecha)}, TLocateOptions());
}

// A line added in the grid and confirmed; "" leaves it without a score.
void nuevaLinea(TfRRHHEVAL* f, const QString& puntuacion) {
    f->Table2->Append();
    f->Table2->FieldByName(QStringLiteral("Descripcion"))->setAsString(QStringLiteral("Criterio"));
    if (!puntuacion.isEmpty())
        f->Table2->FieldByName(QStringLiteral("Valoracion"))->setAsInteger(puntuacion.toInt());
    f->pbConformeClick(f->pbConforme);
    QCOMPARE(f->Table2->State(), dsBrowse);
}

void ctrlSupr(TfRRHHEVAL* f) {
    int tecla = VK_DELETE;
    f->DBGrid1KeyDown(f->DBGrid1, tecla, ssCtrl);
    QCOMPARE(tecla, 0);
}

// Another clerk deletes the employee's evaluation of 10/01/2024 for code P1
// and enters it again under the same key with other values.
void sustituirEnOtraSesion(int operario, const QString& tipo) {
    const QString n = QString::number(operario);
    FilasEnOtraSesion(QStringLiteral("DELETE FROM EVLCION WHERE CodigoOperario = ") + n +
                      QStringLiteral(" AND Tipo = ") + ValorSQL(tipo));
    FilasEnOtraSesion(QStringLiteral("INSERT INTO EVLCION (CodigoOperario, Tipo, Codigo, "
                                     "FechaEvaluacion, Observaciones) VALUES (") +
                      n + QStringLiteral(", ") + ValorSQL(tipo) + QStringLiteral(", 'P1', ") +
                      ValorSQL(QDateTime(QDate(2024, 1, 10), QTime(0, 0))) +
                      QStringLiteral(", 'Otra')"));
}

QString valoracion(int operario = 1) {
    return sql(QStringLiteral("SELECT Valoracion FROM EVLCION WHERE CodigoOperario = ") +
               QString::number(operario));
}

QString lineas() {
    return sql(
        QStringLiteral("SELECT CodigoOperario, Tipo, Linea, Descripcion FROM LEVLCION ORDER BY "
                       "CodigoOperario, Tipo, FechaEvaluacion, Linea"));
}

}  // namespace

class TestRrhhEval : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    // The cycle of P1: line 1 level A target 40, line 2 level A target 50,
    // line 3 level B target 80.
    void puntuacion_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("nivel");
        QTest::addColumn<int>("previas");  // lines of 72 written beforehand
        QTest::addColumn<QStringList>("puntuaciones");
        QTest::addColumn<bool>("borrarTodas");
        QTest::addColumn<int>("esperada");
        for (Engine e : AvailableEngines()) {
            const auto fila = [e](const char* nombre) {
                return &(QTest::newRow(
                             qPrintable(EngineTag(e) + QLatin1Char(':') + QLatin1String(nombre)))
                         << int(e));
            };
            *fila("nivel B: media 50 entre 50 y 80")
                << "B" << 0 << QStringList{"100", "50", ""} << false << 65;
            *fila("nivel A: media 50 entre 0 y 50")
                << "A" << 0 << QStringList{"100", "50", ""} << false << 25;
            *fila("sin nivel 72,5 sube") << "" << 0 << QStringList{"72", "73"} << false << 73;
            *fila("sin nivel 72,49 baja") << "" << 99 << QStringList{"121"} << false << 72;
            *fila("sin nivel -2,5") << "" << 0 << QStringList{"-5", "0"} << false << -3;
            *fila("nivel sin ciclo") << "Z" << 0 << QStringList{"72", "73"} << false << 73;
            *fila("sin lineas") << "" << 0 << QStringList{"40"} << true << 0;
        }
    }
    void puntuacion() {
        QFETCH(int, engine);
        QFETCH(QString, nivel);
        QFETCH(int, previas);
        QFETCH(QStringList, puntuaciones);
        QFETCH(bool, borrarTodas);
        QFETCH(int, esperada);
        Entorno e{Engine(engine)};
        sql(
            QStringLiteral("INSERT INTO CICLOCAP (Tipo, Codigo, Linea, Nivel, Objetivo) VALUES "
                           "('Puesto', 'P1', 1, 'A', 40), ('Puesto', 'P1', 2, 'A', 50), "
                           "('Puesto', 'P1', 3, 'B', 80)"));
        QPointer<TfRRHHEVAL> f = abrir();
        QVERIFY(f);
        nuevaEvaluacion(f, 1, QStringLiteral("Puesto"), QStringLiteral("10/01/2024"), nivel);
        QCOMPARE(f->EditNivel->Text(), nivel);
        for (int i = 1; i <= previas; ++i)
            sql(QStringLiteral("INSERT INTO LEVLCION (CodigoOperario, Tipo, Codigo, "
                               "FechaEvaluacion, Linea, Valoracion) VALUES (1, 'Puesto', 'P1', "
                               "'2024-01-10', %1, 72)")
                    .arg(100 + i));
        for (const QString& p : puntuaciones) nuevaLinea(f, p);
        if (borrarTodas) {
            QCOMPARE(valoracion(), QStringLiteral("40"));
            f->Table2->First();
            while (!f->Table2->IsEmpty()) {
                MessageSeam::enqueue(QStringLiteral("SI"));
                ctrlSupr(f);
            }
        }
        QCOMPARE(valoracion(), QString::number(esperada));
        QCOMPARE(f->EditValoracion->Text(), QString::number(esperada));
        cerrar(f);
    }

    void importarCriterios_data() { AddEngineRows(); }
    void importarCriterios() {
        QFETCH(int, engine);
        Entorno e{Engine(engine)};
        const ExcepcionesALaSesion excepciones;
        sql(
            QStringLiteral("INSERT INTO CRITEVAL (Tipo, Codigo, Linea, Descripcion, Nivel) VALUES "
                           "('Puesto', 'P1', 1, 'Torno', 'A'), ('Puesto', 'P1', 2, 'Fresa', 'A'), "
                           "('Puesto', 'P1', 4, 'Planos', 'B'), ('Formacion', 'P1', 1, 'TIG', "
                           "'A')"));
        QPointer<TfRRHHEVAL> f = abrir();
        // Nothing saved yet, or a new evaluation still being typed: the
        // button says why it does nothing.
        const QStringList sinGrabar{
            QStringLiteral("¡Debe grabar la evaluación antes de importar los criterios!")};
        MessageSeam::clearLog();
        f->pbImportarCriteriosClick(f->pbImportarCriterios);
        QCOMPARE(TextosMostrados(), sinGrabar);
        nuevaEvaluacion(f, 1, QStringLiteral("Puesto"), QStringLiteral("10/01/2024"));
        f->AgregarClick(f->Agregar);
        MessageSeam::clearLog();
        f->pbImportarCriteriosClick(f->pbImportarCriterios);
        QCOMPARE(TextosMostrados(), sinGrabar);
        f->pbCancelarClick(f->pbCancelar);
        f->Table1->First();
        QCOMPARE(f->EditNombreOperario->Text(), QStringLiteral("Ana"));
        QCOMPARE(f->EditDescripcionPuesto->Text(), QStringLiteral("Tornero"));
        MessageSeam::clearLog();
        f->pbImportarCriteriosClick(f->pbImportarCriterios);
        QVERIFY(MessageSeam::log().isEmpty());
        QCOMPARE(lineas(), QStringLiteral("1|Puesto|1|Torno\r\n1|Puesto|2|Fresa\r\n1|Puesto|4|"
                                          "Planos"));
        QCOMPARE(f->Table2->RecordCount(), 3);
        // The import leaves the score alone.
        QCOMPARE(valoracion(), QString());

        // A second import adds nothing.
        f->pbImportarCriteriosClick(f->pbImportarCriterios);
        QCOMPARE(TextosMostrados(),
                 QStringList{QStringLiteral("Ya existen líneas para esta evaluación!")});
        QCOMPARE(f->Table2->RecordCount(), 3);

        // With a level shown only that level's criteria come; a new line
        // follows the highest.
        nuevaEvaluacion(f, 2, QStringLiteral("Puesto"), QStringLiteral("10/01/2024"),
                        QStringLiteral("B"));
        f->pbImportarCriteriosClick(f->pbImportarCriterios);
        nuevaLinea(f, QStringLiteral("30"));
        QCOMPARE(sql(QStringLiteral("SELECT Linea, Descripcion FROM LEVLCION WHERE "
                                    "CodigoOperario = 2 ORDER BY Linea")),
                 QStringLiteral("4|Planos\r\n5|Criterio"));

        // A level no criterion has: said, nothing written.
        nuevaEvaluacion(f, 2, QStringLiteral("Puesto"), QStringLiteral("11/01/2024"),
                        QStringLiteral("C|Ñ"));
        MessageSeam::clearLog();
        f->pbImportarCriteriosClick(f->pbImportarCriterios);
        QCOMPARE(TextosMostrados(),
                 QStringList{QStringLiteral("¡No existen criterios de evaluación para este "
                                            "puesto/formación en el nivel C|Ñ!")});
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM LEVLCION WHERE CodigoOperario = 2")),
                 QStringLiteral("2"));

        // The training evaluation of the same code and date has lines of its own.
        nuevaEvaluacion(f, 1, QStringLiteral("Formacion"), QStringLiteral("10/01/2024"));
        QCOMPARE(f->EditDescripcionPuesto->Text(), QStringLiteral("Soldadura"));
        f->pbImportarCriteriosClick(f->pbImportarCriterios);
        QCOMPARE(sql(QStringLiteral("SELECT Descripcion FROM LEVLCION WHERE Tipo = 'Formacion'")),
                 QStringLiteral("TIG"));

        // An evaluation another clerk deleted and entered again under the
        // same key is not the one shown: refused, nothing written under it.
        nuevaEvaluacion(f, 2, QStringLiteral("Formacion"), QStringLiteral("10/01/2024"));
        sustituirEnOtraSesion(2, QStringLiteral("Formacion"));
        MessageSeam::clearLog();
        f->pbImportarCriteriosClick(f->pbImportarCriterios);
        QCOMPARE(TextosMostrados(),
                 QStringList{QStringLiteral(
                     "¡ El registro ha sido modificado por otro usuario !. Debe cancelar la "
                     "edición, salir e intentarlo de nuevo.")});
        QCOMPARE(FilasEnOtraSesion(QStringLiteral(
                     "SELECT COUNT(*) FROM LEVLCION WHERE CodigoOperario = 2 AND Tipo = "
                     "'Formacion'")),
                 QStringList{QStringLiteral("0")});
        cerrar(f);
    }

    void duplicar_data() { AddEngineRows(); }
    void duplicar() {
        QFETCH(int, engine);
        Entorno e{Engine(engine)};
        QPointer<TfRRHHEVAL> f = abrir();
        nuevaEvaluacion(f, 1, QStringLiteral("Puesto"), QStringLiteral("10/01/2024"));
        nuevaLinea(f, QStringLiteral("60"));
        nuevaLinea(f, QStringLiteral("80"));
        const QString antes = sql(QStringLiteral("SELECT COUNT(*) FROM EVLCION")) + ' ' +
                              sql(QStringLiteral("SELECT COUNT(*) FROM LEVLCION"));
        QCOMPARE(antes, QStringLiteral("1 2"));

        // Bad dates and an empty answer write nothing; the form stays usable.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("31/02/2024 10:00:00"));
        f->pbDuplicarClick(f->pbDuplicar);
        MessageSeam::enqueue(QString());
        f->pbDuplicarClick(f->pbDuplicar);
        QCOMPARE(TextosMostrados().filter(QStringLiteral("incorrecta")).size(), 1);
        // The key of an evaluation that exists.
        MessageSeam::enqueue(QStringLiteral("10/01/2024"));
        f->pbDuplicarClick(f->pbDuplicar);
        QVERIFY(TextosMostrados().last().startsWith(
            QStringLiteral("¡No se ha podido duplicar el registro!. Motivo: Error")));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM EVLCION")) + ' ' +
                     sql(QStringLiteral("SELECT COUNT(*) FROM LEVLCION")),
                 antes);
        QCOMPARE(f->Table1->State(), dsBrowse);

        // A date, a blank and a time: the copy's key ends in the whole answer.
        MessageSeam::enqueue(QStringLiteral("20/05/2024 10:30:00"));
        f->pbDuplicarClick(f->pbDuplicar);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM LEVLCION WHERE FechaEvaluacion = ") +
                     ValorSQL(QDateTime(QDate(2024, 5, 20), QTime(10, 30)))),
                 QStringLiteral("2"));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM EVLCION")), QStringLiteral("2"));
        QCOMPARE(f->EditFechaEvaluacion->Text(), QStringLiteral("20/05/2024 10:30:00"));
        QCOMPARE(f->Table2->RecordCount(), 2);
        cerrar(f);
    }

    void borradoYDocumentos_data() { AddEngineRows(); }
    void borradoYDocumentos() {
        QFETCH(int, engine);
        const Engine motor = Engine(engine);
        Entorno e{motor};
        QPointer<TfRRHHEVAL> f = abrir();
        nuevaEvaluacion(f, 1, QStringLiteral("Puesto"), QStringLiteral("10/01/2024"));
        nuevaLinea(f, QStringLiteral("60"));
        QVERIFY(!f->ConDocumentacion());

        // A document attached through the button lights the glyph; the menu
        // item opens the same documents.
        static QStringList claves;
        claves.clear();
        GanchoDocumentacionElectronica = [](const QString& tabla, const QString& clave,
                                            const TRowAsRead&) {
            claves << clave;
            sql(QStringLiteral("INSERT INTO DOCUTRON (NombreTabla, ClaveTabla, Nombre) VALUES ('") +
                tabla + QStringLiteral("', '") + clave +
                QStringLiteral("', 'Informe') ON CONFLICT DO NOTHING"));
        };
        f->pbDocumentacionElectronicaClick(f->pbDocumentacionElectronica);
        f->DocumentacionElectronica1Click(f->DocumentacionElectronica1);
        GanchoDocumentacionElectronica = nullptr;
        QVERIFY(f->ConDocumentacion());
        QCOMPARE(claves.size(), 2);
        QCOMPARE(claves.at(0), claves.at(1));
        QString clave;
        ClaveTablaRegistro(ModuloDatos, f->Table1, clave);
        QCOMPARE(claves.at(0), clave);
        QVERIFY(clave.startsWith(QStringLiteral("1|Puesto|P1|")));

        const auto recuentos = []() -> QString {
            return sql(QStringLiteral("SELECT COUNT(*) FROM EVLCION")) + ' ' +
                   sql(QStringLiteral("SELECT COUNT(*) FROM LEVLCION")) + ' ' +
                   sql(QStringLiteral("SELECT COUNT(*) FROM DOCUTRON"));
        };
        QCOMPARE(recuentos(), QStringLiteral("1 1 1"));
        // The engine refuses the header, then the documents: nothing goes.
        for (const char* tabla : {"EVLCION", "DOCUTRON"}) {
            BloquearBorrado(motor, QLatin1String(tabla));
            MessageSeam::clearLog();
            MessageSeam::enqueue(QStringLiteral("SI"));
            f->Eliminar1Click(f->Eliminar1);
            QVERIFY(!TransaccionIniciada);
            QCOMPARE(recuentos(), QStringLiteral("1 1 1"));
            QuitarBloqueoBorrado(motor, QLatin1String(tabla));
            f->Table1->Refresh();
            f->Table2->Refresh();
            QCOMPARE(f->Table2->RecordCount(), 1);
        }
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->Eliminar1Click(f->Eliminar1);
        QVERIFY(!TransaccionIniciada);
        QCOMPARE(recuentos(), QStringLiteral("0 0 0"));
        QVERIFY(!f->ConDocumentacion());
        cerrar(f);
    }

    // The print button opens the sheet dialog on the evaluation shown: its
    // employee, code, date and type as both bounds.
    void imprimirFicha() {
        Entorno e{Engine::Sqlite};
        RegistrarTfRRHHLEVA();
        QPointer<TfRRHHEVAL> f = abrir();
        nuevaEvaluacion(f, 1, QStringLiteral("Puesto"), QStringLiteral("15/03/2024"));
        nuevaEvaluacion(f, 2, QStringLiteral("Formacion"), QStringLiteral("20/05/2024"));
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("CodigoOperario"))->AsInteger(), 2);
        f->ImprimirConDialogoClick(f->ImprimirConDialogo);
        QPointer<TfRRHHLEVA> d = fRRHHLEVA;
        QVERIFY(d);
        QCOMPARE(d->DesdeOperario->Text() + QLatin1Char('-') + d->HastaOperario->Text(),
                 QStringLiteral("2-2"));
        QCOMPARE(d->DesdeCodigo->Text() + QLatin1Char('-') + d->HastaCodigo->Text(),
                 QStringLiteral("P1-P1"));
        QCOMPARE(d->DesdeFecha->Text() + QLatin1Char('-') + d->HastaFecha->Text(),
                 QStringLiteral("20/05/2024-20/05/2024"));
        QCOMPARE(d->Tipo->Text(), QStringLiteral("Formacion"));
        d->Close();
        QTRY_VERIFY(!d);
        cerrar(f);
    }

    // Codes out of range, a key that exists and a type outside the list:
    // the messages, nothing written, the form usable.
    // A new evaluation typed at the keyboard: the employee's name, the
    // training type's description and the evaluator's name show as soon as
    // their codes are left.
    void nombresAlTeclear_data() { AddEngineRows(); }
    void nombresAlTeclear() {
        QFETCH(int, engine);
        Entorno e{Engine(engine)};
        e.principal.show();
        QVERIFY(QTest::qWaitForWindowActive(&e.principal));
        QPointer<TfRRHHEVAL> f = abrir();
        f->Show();
        f->AgregarClick(f->Agregar);
        QTRY_VERIFY(f->EditCodigoOperario->hasFocus());
        auto pulsar = [](Qt::Key tecla) { QTest::keyClick(QApplication::focusWidget(), tecla); };
        TeclearEnFoco(QStringLiteral("1"));
        pulsar(Qt::Key_Tab);
        QCOMPARE(f->EditNombreOperario->Text(), QStringLiteral("Ana"));
        QVERIFY(f->EditTipo->hasFocus());
        pulsar(Qt::Key_Down);
        pulsar(Qt::Key_Down);
        QCOMPARE(f->EditTipo->Text(), QStringLiteral("Formacion"));
        pulsar(Qt::Key_Tab);
        TeclearEnFoco(QStringLiteral("P1"));
        pulsar(Qt::Key_Tab);
        QCOMPARE(f->EditDescripcionPuesto->Text(), QStringLiteral("Soldadura"));
        TeclearEnFoco(QStringLiteral("10/01/2024"));
        // Enter passes over "Valoración", which the window works out: the
        // evaluator typed next is kept.
        pulsar(Qt::Key_Return);
        QVERIFY(f->EditCodigoOPerarioEvaluador->hasFocus());
        TeclearEnFoco(QStringLiteral("2"));
        pulsar(Qt::Key_Return);
        QCOMPARE(f->EditNombreOperarioEvaluador->Text(), QStringLiteral("Luis"));
        QVERIFY(f->EditNivel->isAncestorOf(QApplication::focusWidget()) ||
                QApplication::focusWidget() == f->EditNivel);
        QCOMPARE(f->EditValoracion->Text(), QString());
        QCOMPARE(TextosMostrados(), QStringList());
        QTest::mouseClick(f->pbConforme, Qt::LeftButton);
        QCOMPARE(TextosMostrados(), QStringList());
        QCOMPARE(FilasEnOtraSesion(QStringLiteral(
                     "SELECT CodigoOperario, Codigo, CodigoOperarioEvaluador FROM EVLCION")),
                 QStringList{QStringLiteral("1|P1|2")});
        f->pbCancelarClick(f->pbCancelar);
        cerrar(f);
    }

    // A key typed into a field of the empty window starts the evaluation
    // and stays in that field with the rest of what is typed; F5 (also
    // after such an evaluation was cancelled) and the add button start it
    // on "Código Operario". The evaluation as another
    // user reads it.
    void teclaQueIniciaLaEvaluacion_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("inicio");
        for (Engine motor : AvailableEngines())
            for (const char* inicio : {"105 en Evaluador", "F5", "pbAgregar", "F5 tras cancelar"})
                NewEngineRow(motor, inicio) << QString::fromLatin1(inicio);
    }
    void teclaQueIniciaLaEvaluacion() {
        QFETCH(int, engine);
        QFETCH(QString, inicio);
        Entorno e{Engine(engine)};
        e.principal.show();
        QVERIFY(QTest::qWaitForWindowActive(&e.principal));
        QPointer<TfRRHHEVAL> f = abrir();
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        QVERIFY(f->Table1->IsEmpty());
        auto pulsar = [](Qt::Key tecla) { QTest::keyClick(QApplication::focusWidget(), tecla); };
        auto clic = [](QWidget* w) {
            QTest::mouseClick(w, Qt::LeftButton);
            QTRY_VERIFY(w->hasFocus());
        };
        if (inicio == QLatin1String("F5")) {
            clic(f->EditCodigoOPerarioEvaluador);
            pulsar(Qt::Key_F5);
        } else if (inicio == QLatin1String("pbAgregar")) {
            QTest::mouseClick(f->pbAgregar, Qt::LeftButton);
        } else {
            clic(f->EditCodigoOPerarioEvaluador);
            TeclearEnFoco(QStringLiteral("105"));
            QCOMPARE(f->Table1->State(), dsInsert);
            QCOMPARE(f->EditCodigoOPerarioEvaluador->Text(), QStringLiteral("105"));
            QCOMPARE(f->EditCodigoOperario->Text(), QString());
            QVERIFY(f->EditCodigoOPerarioEvaluador->hasFocus());
            if (inicio == QLatin1String("105 en Evaluador")) {
                clic(f->EditCodigoOperario);
            } else {
                // That evaluation cancelled, F5 starts the next on "Código Operario".
                QTest::mouseClick(f->pbCancelar, Qt::LeftButton);
                QCOMPARE(f->Table1->State(), dsBrowse);
                clic(f->EditCodigoOPerarioEvaluador);
                pulsar(Qt::Key_F5);
            }
        }
        QCOMPARE(f->Table1->State(), dsInsert);
        QTRY_VERIFY(f->EditCodigoOperario->hasFocus());
        TeclearEnFoco(QStringLiteral("2"));
        pulsar(Qt::Key_Tab);
        pulsar(Qt::Key_Down);
        pulsar(Qt::Key_Tab);
        TeclearEnFoco(QStringLiteral("P1"));
        pulsar(Qt::Key_Tab);
        TeclearEnFoco(QStringLiteral("10/01/2024"));
        if (inicio != QLatin1String("105 en Evaluador")) {
            clic(f->EditCodigoOPerarioEvaluador);
            TeclearEnFoco(QStringLiteral("105"));
        }
        QTest::mouseClick(f->pbConforme, Qt::LeftButton);
        QCOMPARE(TextosMostrados(), QStringList());
        QCOMPARE(FilasEnOtraSesion(QStringLiteral(
                     "SELECT CodigoOperario, Tipo, Codigo, CodigoOperarioEvaluador FROM EVLCION")),
                 QStringList{QStringLiteral("2|Puesto|P1|105")});
        f->pbCancelarClick(f->pbCancelar);
        cerrar(f);
    }

    void entradaIncorrecta() {
        Entorno e{Engine::Sqlite};
        QPointer<TfRRHHEVAL> f = abrir();
        QCOMPARE(f->Caption(), QStringLiteral("Evaluación de Personal"));
        QCOMPARE(f->PageControl1->ActivePage(), f->TabValoracion);
        nuevaEvaluacion(f, 1, QStringLiteral("Puesto"), QStringLiteral("10/01/2024"));
        QVERIFY(f->EditCodigoOperario->ReadOnly());

        f->AgregarClick(f->Agregar);
        QVERIFY(!f->EditCodigoOperario->ReadOnly());
        MessageSeam::clearLog();
        for (const char* codigo : {"0", "10000", "abc"}) {
            f->EditCodigoOperario->setText(QLatin1String(codigo));
            QVERIFY_THROWS_EXCEPTION(EAbort, f->CampoClaveP1Exit(f->EditCodigoOperario));
        }
        QCOMPARE(TextosMostrados(),
                 QStringList(3, QStringLiteral("¡ El valor debe estar entre 1 y 9999 !")));
        QCOMPARE(f->Table1->State(), dsInsert);

        f->Table1->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(1);
        // No type chosen from the list.
        f->Table1->FieldByName(QStringLiteral("Tipo"))->setAsString(QString());
        f->Table1->FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("P1"));
        f->Table1->FieldByName(QStringLiteral("FechaEvaluacion"))
            ->setAsString(QStringLiteral("11/01/2024"));
        MessageSeam::clearLog();
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(TextosMostrados(),
                 QStringList{QStringLiteral("¡El valor \"\" del campo \"Tipo\" no es correcto!")});
        QCOMPARE(f->Table1->State(), dsInsert);

        // The key of the evaluation that exists: warned on leaving the date,
        // refused by the post, and the next new evaluation started.
        f->Table1->FieldByName(QStringLiteral("Tipo"))->setAsString(QStringLiteral("Puesto"));
        f->Table1->FieldByName(QStringLiteral("FechaEvaluacion"))
            ->setAsString(QStringLiteral("10/01/2024"));
        MessageSeam::clearLog();
        f->CampoClaveExit(f->EditFechaEvaluacion);
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(TextosMostrados(), (QStringList{QStringLiteral("¡ Ya existe el registro !"),
                                                 QStringLiteral("¡ Este registro ya existe !")}));
        QCOMPARE(f->Table1->State(), dsInsert);
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM EVLCION")), QStringLiteral("1"));

        // The evaluator's name follows his code.
        f->Table1->Edit();
        f->Table1->FieldByName(QStringLiteral("CodigoOperarioEvaluador"))->setAsInteger(2);
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(f->EditNombreOperarioEvaluador->Text(), QStringLiteral("Luis"));
        cerrar(f);
    }

    // "Evaluar" on a position line of the personnel master: a new evaluation
    // in this window with the position's single-level criteria.
    void desdeMaestroPersonal_data() {
        QTest::addColumn<bool>("usadasAntes");
        QTest::newRow("evaluaciones usadas antes") << true;
        QTest::newRow("empresa sin tabla de evaluaciones") << false;
    }
    void desdeMaestroPersonal() {
        QFETCH(bool, usadasAntes);
        Entorno e{Engine::Sqlite};
        sql(
            QStringLiteral("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, "
                           "CodigoPuesto) VALUES ('PERSONAL', 1, 1, 'P1')"));
        sql(
            QStringLiteral("INSERT INTO CRITEVAL (Tipo, Codigo, Linea, Descripcion, Nivel) VALUES "
                           "('Puesto', 'P1', 1, 'Torno', 'A'), ('Puesto', 'P1', 2, 'Fresa', "
                           "'A')"));
        // Whether the company has used evaluations before: the master counts
        // them with a statement that does not create the table.
        if (usadasAntes) sql(QStringLiteral("SELECT COUNT(*) FROM EVLCION"));
        RegistrarTfRRHHPERS();
        RegistrarTfRRHHEVAL();
        QPointer<TfRRHHPERS> personal =
            qobject_cast<TfRRHHPERS*>(CreateForm(QStringLiteral("TfRRHHPERS")));
        QVERIFY(personal);
        QCOMPARE(personal->HPuesto->RecordCount(), 1);
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("15/03/2024"));
        personal->AccesoEvaluacionClick(personal->AccesoEvaluacionPuesto);
        QPointer<TfRRHHEVAL> f = fRRHHEVAL;
        QVERIFY(f);
        QCOMPARE(sql(QStringLiteral("SELECT CodigoOperario, Tipo, Codigo FROM EVLCION")),
                 QStringLiteral("1|Puesto|P1"));
        QCOMPARE(lineas(), QStringLiteral("1|Puesto|1|Torno\r\n1|Puesto|2|Fresa"));
        QCOMPARE(f->Table2->RecordCount(), 2);
        QCOMPARE(f->EditFechaEvaluacion->Text(), QStringLiteral("15/03/2024"));
        cerrar(f);
        personal->Close();
        QTRY_VERIFY(!personal);
    }

    // "Refrescar" while a line of evaluation (1, Puesto, P1, 10/01/2024) is
    // being typed, nobody else touching it or another clerk having deleted it
    // and entered it again under the same key: the window is not read again
    // under the line and the refresh stores nothing (read by another
    // session); the confirm or the cancel decides. Browsing, the refresh
    // shows the evaluation as stored.
    // Another program holds the database while an evaluation line typed
    // into is stored alone (its row left with Up): the clerk waits once for
    // the database and is told it is busy; the line stays as typed, nothing
    // stored. SQLite counts the waits, each statement that meets the held
    // file.
    void lineaConLaBaseRetenida_data() { AddEngineRows(); }
    void lineaConLaBaseRetenida() {
        QFETCH(int, engine);
        Entorno e{Engine(engine)};
        e.principal.show();
        QVERIFY(QTest::qWaitForWindowActive(&e.principal));
        const ExcepcionesALaSesion excepciones;
        QPointer<TfRRHHEVAL> f = abrir();
        nuevaEvaluacion(f, 1, QStringLiteral("Puesto"), QStringLiteral("10/01/2024"));
        nuevaLinea(f, QStringLiteral("3"));
        nuevaLinea(f, QStringLiteral("4"));
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        TDBGrid* g = f->DBGrid1;
        // The second line's score.
        const QModelIndex celda = g->model()->index(1, 1);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(celda).center());
        QTRY_VERIFY(g->hasFocus());
        TeclearEnFoco(QStringLiteral("5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const QString lineas =
            QStringLiteral("SELECT Linea, Valoracion, Descripcion FROM LEVLCION ORDER BY Linea");
        const QStringList antes = FilasEnOtraSesion(lineas);
        QCOMPARE(antes.size(), 2);
        int esperas = 0;
        {
            TBaseRetenida retenida(fGENEINIC->Database, {QStringLiteral("LEVLCION")});
            ContarEsperas(fGENEINIC->Database, esperas);
            MessageSeam::clearLog();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
            QCOMPARE(TextosMostrados().size(), 1);
            QVERIFY2(TextosMostrados().first().startsWith(
                         QStringLiteral("¡ La base de datos está ocupada por otro usuario !")),
                     qPrintable(TextosMostrados().first()));
            QCOMPARE(f->Table2->State(), dsEdit);
            QVERIFY(!fGENEINIC->Database->InTransaction());
        }
        if (Engine(engine) == Engine::Sqlite) QCOMPARE(esperas, 1);
        QCOMPARE(FilasEnOtraSesion(lineas), antes);
        f->pbCancelarClick(f->pbCancelar);
        cerrar(f);
    }

    void refrescarConLineaPendiente_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("sustituida");
        for (Engine e : AvailableEngines()) {
            QTest::newRow(qPrintable(EngineTag(e) + QStringLiteral("/nadie la toca")))
                << int(e) << false;
            QTest::newRow(qPrintable(EngineTag(e) + QStringLiteral("/otro la sustituye")))
                << int(e) << true;
        }
    }
    void refrescarConLineaPendiente() {
        QFETCH(int, engine);
        QFETCH(bool, sustituida);
        Entorno e{Engine(engine)};
        const ExcepcionesALaSesion excepciones;
        QPointer<TfRRHHEVAL> f = abrir();
        nuevaEvaluacion(f, 1, QStringLiteral("Puesto"), QStringLiteral("10/01/2024"));
        f->Table2->Append();
        f->Table2->FieldByName(QStringLiteral("Descripcion"))
            ->setAsString(QStringLiteral("Criterio A"));
        if (sustituida) sustituirEnOtraSesion(1, QStringLiteral("Puesto"));
        const QString lineasAjenas =
            QStringLiteral("SELECT Descripcion FROM LEVLCION WHERE CodigoOperario = 1");
        if (sustituida) {
            // The header typed too: its confirm is refused for the
            // evaluation as read, and the line stays as typed.
            f->Table1->Edit();
            f->Table1->FieldByName(QStringLiteral("Observaciones"))
                ->setAsString(QStringLiteral("Mia"));
            MessageSeam::clearLog();
            f->pbConformeClick(f->pbConforme);
            QVERIFY(!TextosMostrados().isEmpty());
            QCOMPARE(f->Table1->State(), dsEdit);
            QCOMPARE(f->Table2->State(), dsInsert);
        }
        MessageSeam::clearLog();
        f->pbRefrescarClick(f->pbRefrescar);
        QCOMPARE(TextosMostrados(), QStringList());
        QCOMPARE(f->Table2->State(), dsInsert);
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("Observaciones"))->AsString(),
                 sustituida ? QStringLiteral("Mia") : QString());
        QCOMPARE(FilasEnOtraSesion(lineasAjenas), QStringList());
        if (sustituida)
            f->pbCancelarClick(f->pbCancelar);
        else
            f->pbConformeClick(f->pbConforme);
        QCOMPARE(f->Table2->State(), dsBrowse);
        QCOMPARE(FilasEnOtraSesion(lineasAjenas),
                 sustituida ? QStringList() : QStringList{QStringLiteral("Criterio A")});
        f->pbRefrescarClick(f->pbRefrescar);
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("Observaciones"))->AsString(),
                 sustituida ? QStringLiteral("Otra") : QString());
        QCOMPARE(f->Table2->RecordCount(), sustituida ? 0 : 1);
        cerrar(f);
    }

    // The lines grid gone through with Enter, Tab and Shift+Tab keeps the
    // keys ("Código Operario" never gets them); nothing stored changes.
    void recorridoConTeclas_data() { AddEngineRows(); }
    void recorridoConTeclas() {
        QFETCH(int, engine);
        Entorno e{Engine(engine)};
        e.principal.show();
        QVERIFY(QTest::qWaitForWindowActive(&e.principal));
        QPointer<TfRRHHEVAL> f = abrir();
        nuevaEvaluacion(f, 1, QStringLiteral("Puesto"), QStringLiteral("10/01/2024"));
        for (const char* p : {"5", "6"}) nuevaLinea(f, QLatin1String(p));
        const QString antes = lineas();
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        MessageSeam::clearLog();
        RecorrerRejillaConTeclas(f->DBGrid1);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(TextosMostrados(), QStringList());
        QCOMPARE(lineas(), antes);
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("CodigoOperario"))->AsInteger(), 1);
        cerrar(f);
    }

    // A click on an evaluation line another clerk deleted meanwhile is
    // told; the line current before stays current, and the delete that
    // follows removes that line, never another.
    void clicEnLineaBorradaEntretanto_data() { AddEngineRows(); }
    void clicEnLineaBorradaEntretanto() {
        QFETCH(int, engine);
        Entorno e{Engine(engine)};
        const ExcepcionesALaSesion excepciones;
        e.principal.show();
        QVERIFY(QTest::qWaitForWindowActive(&e.principal));
        QPointer<TfRRHHEVAL> f = abrir();
        nuevaEvaluacion(f, 1, QStringLiteral("Puesto"), QStringLiteral("10/01/2024"));
        for (const char* p : {"5", "6", "7"}) nuevaLinea(f, QLatin1String(p));
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        ClicEnLineaBorradaEntretanto(f->DBGrid1, 2, 1,
                                     QStringLiteral("DELETE FROM LEVLCION WHERE Linea = 2"));
        if (QTest::currentTestFailed()) return;
        QCOMPARE(lineas(), QStringLiteral("1|Puesto|1|Criterio"));
        cerrar(f);
    }

    // A line goes only under the evaluation the window shows: one another
    // clerk deleted and entered again under the same key is another.
    void lineaDeEvaluacionSustituida_data() { refrescarConLineaPendiente_data(); }
    void lineaDeEvaluacionSustituida() {
        QFETCH(int, engine);
        QFETCH(bool, sustituida);
        Entorno e{Engine(engine)};
        const ExcepcionesALaSesion excepciones;
        QPointer<TfRRHHEVAL> f = abrir();
        nuevaEvaluacion(f, 1, QStringLiteral("Puesto"), QStringLiteral("10/01/2024"));
        if (sustituida) sustituirEnOtraSesion(1, QStringLiteral("Puesto"));
        // The clerk types a line and leaves its row, as in the grid.
        const auto lineaDejada = [&f](const QString& descripcion) {
            f->Table2->Append();
            f->Table2->FieldByName(QStringLiteral("Descripcion"))->setAsString(descripcion);
            MessageSeam::clearLog();
            try {
                f->Table2->CheckBrowseMode();
            } catch (...) {
                DespacharExcepcion(nullptr, std::current_exception());
            }
        };
        const QString lineasAjenas = QStringLiteral(
            "SELECT Descripcion FROM LEVLCION WHERE CodigoOperario = 1 ORDER BY Linea");
        lineaDejada(QStringLiteral("Criterio A"));
        if (sustituida) {
            QCOMPARE(TextosMostrados(),
                     QStringList{QStringLiteral(
                         "¡ El registro ha sido modificado por otro usuario !. Debe cancelar "
                         "la edición, salir e intentarlo de nuevo.")});
            QCOMPARE(f->Table2->State(), dsInsert);
            QCOMPARE(FilasEnOtraSesion(lineasAjenas), QStringList());
            f->pbCancelarClick(f->pbCancelar);
            QCOMPARE(FilasEnOtraSesion(lineasAjenas), QStringList());
            QCOMPARE(FilasEnOtraSesion(QStringLiteral(
                         "SELECT Observaciones FROM EVLCION WHERE CodigoOperario = 1")),
                     QStringList{QStringLiteral("Otra")});
        } else {
            // The score the first line's post stores in the header is the
            // clerk's own: the second line is not refused for it.
            QCOMPARE(TextosMostrados(), QStringList());
            lineaDejada(QStringLiteral("Criterio B"));
            QCOMPARE(TextosMostrados(), QStringList());
            QCOMPARE(f->Table2->State(), dsBrowse);
            QCOMPARE(FilasEnOtraSesion(lineasAjenas),
                     (QStringList{QStringLiteral("Criterio A"), QStringLiteral("Criterio B")}));
        }
        cerrar(f);
    }

    // A new evaluation typed for employee 402, the window showing his name:
    // another clerk deletes him and enters another 402 ("sustituido"), or
    // changes him ("modificado"), before the confirm. It is refused and
    // stays as typed, nothing stored (read by another session); untouched,
    // it is stored.
    void evaluacionDeOperarioSustituido_data() { FilasOperarioEnOtraSesion(); }
    void evaluacionDeOperarioSustituido() {
        QFETCH(int, engine);
        QFETCH(QString, escena);
        Entorno e{Engine(engine)};
        sql(QStringLiteral(
            "INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (402, 'Evaluado402')"));
        e.principal.show();
        QVERIFY(QTest::qWaitForWindowActive(&e.principal));
        QPointer<TfRRHHEVAL> f = abrir();
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        auto pulsar = [](Qt::Key tecla) { QTest::keyClick(QApplication::focusWidget(), tecla); };
        QTest::mouseClick(f->pbAgregar, Qt::LeftButton);
        QTRY_VERIFY(f->EditCodigoOperario->hasFocus());
        TeclearEnFoco(QStringLiteral("402"));
        pulsar(Qt::Key_Tab);
        QCOMPARE(f->EditNombreOperario->Text(), QStringLiteral("Evaluado402"));
        QVERIFY(f->EditTipo->hasFocus());
        pulsar(Qt::Key_Down);
        pulsar(Qt::Key_Tab);
        TeclearEnFoco(QStringLiteral("P1"));
        pulsar(Qt::Key_Tab);
        TeclearEnFoco(QStringLiteral("10/01/2024"));
        OperarioEnOtraSesion(escena, 402,
                             escena == QLatin1String("sustituido")
                                 ? QStringLiteral("Sustituto402")
                                 : QStringLiteral("Renombrado402"));
        MessageSeam::clearLog();
        QTest::mouseClick(f->pbConforme, Qt::LeftButton);
        const QString evaluaciones =
            QStringLiteral("SELECT CodigoOperario, Tipo, Codigo FROM EVLCION");
        if (escena == QLatin1String("nadie lo toca")) {
            QCOMPARE(TextosMostrados(), QStringList());
            QCOMPARE(FilasEnOtraSesion(evaluaciones), QStringList{QStringLiteral("402|Puesto|P1")});
        } else {
            QCOMPARE(TextosMostrados(),
                     QStringList{QStringLiteral(
                         "¡ El registro ha sido modificado por otro usuario !. Debe cancelar "
                         "la edición, salir e intentarlo de nuevo.")});
            QCOMPARE(FilasEnOtraSesion(evaluaciones), QStringList());
            QCOMPARE(f->Table1->State(), dsInsert);
            QCOMPARE(f->EditCodigoOperario->Text(), QStringLiteral("402"));
        }
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(FilasEnOtraSesion(evaluaciones).size(),
                 escena == QLatin1String("nadie lo toca") ? 1 : 0);
        cerrar(f);
    }
};

QTEST_MAIN(TestRrhhEval)
#include "tst_rrhheval.moc"
