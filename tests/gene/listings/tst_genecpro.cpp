// The programmable-listing designer on a real installation, driven without
// showing it: the standard design and stored formats, filter lines and
// ranges as the statement and the dataset filter take them, values with
// quotes, refused conditions, the sort table of a dataset listing and the
// listing itself as a PDF or a workbook.

#include <QApplication>
#include <QLineEdit>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/datasource.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sqllexis.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/geneusua.h"
#include "gene/dialogo_modal.h"
#include "gene/listings/genecpro.h"
#include "gene/listings/genelpro.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/esperaprueba.h"
#include "support/pdfprueba.h"
#include "support/sqlprueba.h"
#include "support/xlsxprueba.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/grids.h"
#include "ui/registry.h"

namespace {

int Filas() {
    return SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM LISTPRU")).toInt();
}

// A company with the table LISTPRU (key, name, amount, date, notes) and the
// designer prepared on it.
// Whether the designer's "Conforme" raised.
bool ConformeLanza(TfGENECPRO* f) {
    try {
        f->pbConformeClick();
    } catch (const std::exception&) {
        return true;
    }
    return false;
}

struct Entorno {
    explicit Entorno(Engine motor, bool modoDataSet = false) : e(motor) {
        tabla.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
        tabla.setTableName(QStringLiteral("LISTPRU"));
        tabla.FieldDefs().Add(QStringLiteral("Codigo"), ftInteger, 0, true);
        tabla.FieldDefs().Add(QStringLiteral("Nombre"), ftString, 40);
        tabla.FieldDefs().Add(QStringLiteral("Importe"), ftFloat, 0);
        tabla.FieldDefs().Add(QStringLiteral("Fecha"), ftDateTime, 0);
        tabla.FieldDefs().Add(QStringLiteral("Notas"), ftMemo, 0);
        tabla.IndexDefs().Add(QString(), QStringLiteral("Codigo"), ixPrimary);
        tabla.CreateTable();
        tabla.Open();
        const struct {
            int codigo;
            const char* nombre;
            double importe;
            QDate fecha;
        } filas[] = {{1, "Ana", 12.5, {2020, 1, 10}},
                     {2, "D'Ors", 3, {2021, 3, 5}},
                     {3, "Luis", 40, {2021, 6, 1}},
                     {4, "Ana", 7, {2019, 2, 2}}};
        for (const auto& r : filas) {
            tabla.Append();
            tabla.FieldByName(QStringLiteral("Codigo"))->setAsInteger(r.codigo);
            tabla.FieldByName(QStringLiteral("Nombre"))->setAsString(QLatin1String(r.nombre));
            tabla.FieldByName(QStringLiteral("Importe"))->setAsFloat(r.importe);
            tabla.FieldByName(QStringLiteral("Fecha"))->setAsDateTime(QDateTime(r.fecha, {}));
            tabla.FieldByName(QStringLiteral("Notas"))->setAsString(QStringLiteral("nota"));
            tabla.Post();
        }
        f = static_cast<TfGENECPRO*>(CreateForm(QStringLiteral("TfGENECPRO")));
        f->pbActivarTablaLogica->setDown(modoDataSet);
        QVERIFY(f->ListadoProgramable(&tabla, QString(), QString(), QString(), false));
    }
    ~Entorno() {
        if (f) f->FormClose();
        delete f;
        CamposNoVisiblesUsuario.clear();
        AsignarSeamDialogos(nullptr);
    }
    void filtro(const QString& campo, const QString& operador, const QString& valor) {
        f->ListaCampos->setItemIndex(int(f->ListaCampos->Items().indexOf(campo)));
        f->Operador->setText(operador);
        f->Valor->setText(valor);
        f->pbAgregarClick();
    }
    void rango(const QString& campo, const QString& desde, const QString& hasta) {
        const int fila = int(f->ListaCampos->Items().indexOf(campo)) + 1;
        f->StringGrid->setCells(1, fila, desde);
        f->StringGrid->setCells(2, fila, hasta);
    }
    // Whether "Conforme" straight to the printer makes a PDF.
    bool conformeImprime() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("x.pdf"));
        ImprimirEnPdf(pdf);
        f->VisualizacionPrevia->setChecked(false);
        f->pbConformeClick();
        return QFile::exists(pdf);
    }
    // The values of a field over the rows the grid's dataset lists now.
    QStringList listado(const QString& campo) {
        QStringList l;
        TDataSet* ds = f->DSAjustar->DataSet();
        for (ds->First(); !ds->Eof(); ds->Next()) l << ds->FieldByName(campo)->AsString();
        return l;
    }
    EmpresaPrueba e;
    TTable tabla;
    QPointer<TfGENECPRO> f;
};

}  // namespace

class TestGeneCpro : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { InstalarListadosProgramables(); }

    // No stored format: every visible field, sorted, and the default title;
    // a stored selection loses the fields that are gone or hidden.
    void disenoEstandarYSeleccionGuardada_data() { AddEngineRows(); }
    void disenoEstandarYSeleccionGuardada() {
        Entorno x(CurrentEngine());
        QCOMPARE(x.f->Titulo->Text(), QStringLiteral("Listado programable de la tabla LISTPRU"));
        const QStringList todos = {QStringLiteral("Codigo"), QStringLiteral("Fecha"),
                                   QStringLiteral("Importe"), QStringLiteral("Nombre"),
                                   QStringLiteral("Notas")};
        QCOMPARE(x.f->LBSeleccionado->Items(), todos);
        QCOMPARE(x.f->StringGrid->RowCount(), 6);
        QCOMPARE(x.f->StringGrid->Cells(1, 0), QStringLiteral("Desde Valor"));
        QCOMPARE(x.f->StringGrid->Cells(0, 4), QStringLiteral("Nombre"));
        QCOMPARE(x.f->TiposCampos.value(2), QStringLiteral("ftFloat"));

        SqlPrueba(
            QStringLiteral("INSERT INTO FORMLIST (Prefijo, Nombre, Titulo, "
                           "ListaSeleccionado, ListaFiltrosSQL) VALUES ('LISTPRU', 'F1', "
                           "'Mi listado', 'Nombre\r\nBorrado\r\nNotas\r\nCodigo\r\n', "
                           "'(Codigo > ''1'')')"));
        CamposNoVisiblesUsuario = QStringLiteral("Notas,");
        QVERIFY(x.f->ListadoProgramable(&x.tabla, QString(), QString(), QString(), false));
        QCOMPARE(x.f->NombreFormato->Text(), QStringLiteral("F1"));
        QCOMPARE(x.f->Titulo->Text(), QStringLiteral("Mi listado"));
        QCOMPARE(x.f->LBSeleccionado->Items(),
                 (QStringList{QStringLiteral("Nombre"), QStringLiteral("Codigo")}));
        QVERIFY(!x.f->LBDisponible->Items().contains(QStringLiteral("Notas")));
        QCOMPARE(x.f->MemoFiltros->Text(), QStringLiteral("(Codigo > '1')"));
        // "Standard" goes back to every field and the default title.
        x.f->CargarFormato(x.f->pbStandard);
        QCOMPARE(x.f->LBSeleccionado->count(), 4);
        QVERIFY(x.f->MemoFiltros->Text().isEmpty());
    }

    // Filter lines as typed in the "Valor" box, in both modes.
    void lineasFiltro_data() {
        QTest::addColumn<bool>("modoDataSet");
        QTest::addColumn<QString>("previo");
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("operador");
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("memo");
        QTest::addColumn<QString>("caja");
        QTest::newRow("real con punto") << false << ""
                                        << "Importe"
                                        << ">="
                                        << "12.5"
                                        << "(Importe >= '12.500000')"
                                        << "12,5";
        QTest::newRow("segunda línea") << false << "(Nombre = '1')"
                                       << "Nombre"
                                       << "="
                                       << "2"
                                       << "(Nombre = '1') AND\r\n(Nombre = '2')"
                                       << "2";
        QTest::newRow("comilla") << false << ""
                                 << "Nombre"
                                 << "="
                                 << "D'Ors"
                                 << "(Nombre = 'D''Ors')"
                                 << "D'Ors";
        QTest::newRow("fecha ilegible") << false << "(Nombre = '1')"
                                        << "Fecha"
                                        << "="
                                        << "32/13/20"
                                        << "(Nombre = '1')"
                                        << "32/13/20";
        QTest::newRow("fecha en conjunto") << true << ""
                                           << "Fecha"
                                           << "<"
                                           << "5/3/2021"
                                           << "(Fecha < '05/03/2021')"
                                           << "5/3/2021";
        QTest::newRow("sin valor") << true << "(A = '1')"
                                   << "Nombre"
                                   << "="
                                   << ""
                                   << "(A = '1')"
                                   << "";
        QTest::newRow("sin campo") << false << ""
                                   << ""
                                   << "="
                                   << "1"
                                   << ""
                                   << "1";
    }
    void lineasFiltro() {
        QFETCH(bool, modoDataSet);
        QFETCH(QString, previo);
        QFETCH(QString, campo);
        QFETCH(QString, operador);
        QFETCH(QString, valor);
        QFETCH(QString, memo);
        QFETCH(QString, caja);
        Entorno x(Engine::Sqlite, modoDataSet);
        x.f->MemoFiltros->setText(previo);
        x.filtro(campo, operador, valor);
        QCOMPARE(x.f->MemoFiltros->Text(), memo);
        QCOMPARE(x.f->Valor->Text(), caja);
    }

    // The statement and the dataset filter with ranges and filter lines: the
    // rows listed are those the user asked for, a name with a quote included.
    void condicionesListadas_data() { AddEngineRows(); }
    void condicionesListadas() {
        for (const bool modoDataSet : {false, true}) {
            Entorno x(CurrentEngine(), modoDataSet);
            x.rango(QStringLiteral("Fecha"), QStringLiteral("01/01/2020"), QString());
            x.rango(QStringLiteral("Importe"), QString(), QStringLiteral("20"));
            const QString fecha =
                modoDataSet ? QStringLiteral("'01/01/2020'") : ValorSQL(QDate(2020, 1, 1));
            QCOMPARE(x.f->CondicionRangosListado(),
                     QStringLiteral("((Fecha >= %1) AND (Importe <= 20.000000))").arg(fecha));
            x.f->IrAPagina(x.f->PagAjustar);
            QCOMPARE(x.listado(QStringLiteral("Codigo")),
                     (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
            x.f->IrAPagina(x.f->PagFiltros);
            x.filtro(QStringLiteral("Nombre"), QStringLiteral("="), QStringLiteral("D'Ors"));
            x.f->IrAPagina(x.f->PagAjustar);
            QCOMPARE(x.f->PageControl1->ActivePage(), x.f->PagAjustar);
            QCOMPARE(x.listado(QStringLiteral("Nombre")), QStringList{QStringLiteral("D'Ors")});
            if (!modoDataSet)
                QCOMPARE(x.f->SentenciaListado(),
                         QStringLiteral("SELECT Codigo,Fecha,Importe,Nombre,Notas\r\nFROM "
                                        "LISTPRU\r\nWHERE ((Nombre = 'D''Ors')) AND ((Fecha >= "
                                        "%1) AND (Importe <= 20.000000))\r\nORDER BY "
                                        "Codigo,Fecha,Importe,Nombre")
                             .arg(fecha));
        }
    }

    // Ranges of number fields are read as the filter lines read a real ("," or
    // a lone "." as the decimal mark) and compared as numbers on both engines,
    // in both modes; a bound that is no number is refused naming the field
    // and lists nothing.
    void rangosNumericos_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("modoDataSet");
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("desde");
        QTest::addColumn<QString>("hasta");
        QTest::addColumn<QStringList>("codigos");  // empty: refused
        QTest::addColumn<QString>("aviso");
        const QString importeMal =
            QStringLiteral("¡El valor de Importe es incorrecto! Repita por favor");
        for (Engine m : AvailableEngines())
            for (const bool modo : {false, true}) {
                const QByteArray t = EngineTag(m).toLatin1() + (modo ? " conjunto" : " consulta");
                auto fila = [&](const char* caso) {
                    return &(QTest::newRow(QByteArray(t + ' ' + caso).constData())
                             << int(m) << modo);
                };
                *fila("hasta con coma") << "Importe"
                                        << ""
                                        << "7,5" << QStringList{"2", "4"} << "";
                *fila("desde con coma") << "Importe"
                                        << "12,5"
                                        << "" << QStringList{"1", "3"} << "";
                *fila("entre dos") << "Importe"
                                   << "3,5"
                                   << "12,5" << QStringList{"1", "4"} << "";
                *fila("punto decimal") << "Importe"
                                       << ""
                                       << "7.5" << QStringList{"2", "4"} << "";
                *fila("miles") << "Importe"
                               << ""
                               << "1.234,5" << QStringList{"1", "2", "3", "4"} << "";
                *fila("entero") << "Codigo"
                                << "2"
                                << "3" << QStringList{"2", "3"} << "";
                *fila("letras") << "Importe"
                                << ""
                                << "abc" << QStringList{} << importeMal;
                *fila("separador de la lista") << "Importe"
                                               << "1|2"
                                               << "" << QStringList{} << importeMal;
                *fila("entero con decimales")
                    << "Codigo"
                    << "2,5"
                    << "" << QStringList{} << "¡El valor de Codigo es incorrecto! Repita por favor";
            }
    }
    void rangosNumericos() {
        QFETCH(bool, modoDataSet);
        QFETCH(QString, campo);
        QFETCH(QString, desde);
        QFETCH(QString, hasta);
        QFETCH(QStringList, codigos);
        QFETCH(QString, aviso);
        Entorno x(CurrentEngine(), modoDataSet);
        x.rango(campo, desde, hasta);
        MessageSeam::clearLog();
        x.f->IrAPagina(x.f->PagAjustar);
        if (!codigos.isEmpty()) {
            QCOMPARE(TextosMostrados(), QStringList());
            QCOMPARE(x.f->PageControl1->ActivePage(), x.f->PagAjustar);
            QCOMPARE(x.listado(QStringLiteral("Codigo")), codigos);
            return;
        }
        QCOMPARE(TextosMostrados(), QStringList{aviso});
        QCOMPARE(x.f->PageControl1->ActivePage(), x.f->PagSeleccionCampos);
        // "Conforme" warns again and prints nothing.
        MessageSeam::clearLog();
        QVERIFY(!x.conformeImprime());
        QCOMPARE(TextosMostrados(), QStringList{aviso});
    }

    // Conditions the engine or the dataset cannot take: the message, back on
    // "Selección", nothing listed and nothing changed in the table.
    void condicionesRechazadas_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("modoDataSet");
        QTest::addColumn<QString>("memo");
        QTest::addColumn<QStringList>("seleccion");
        QTest::addColumn<QString>("mensaje");
        for (Engine m : AvailableEngines()) {
            const QByteArray t = EngineTag(m).toLatin1();
            QTest::newRow(QByteArray(t + " segunda sentencia").constData())
                << int(m) << false << "Codigo = 1); DELETE FROM LISTPRU WHERE (Codigo = 2"
                << QStringList{"Codigo"} << "Imposible ejecutar la sentencia SQL. Motivo: ";
            // Hidden after a backslash escape and after a dollar quote.
            QTest::newRow(QByteArray(t + " segunda tras escape").constData())
                << int(m) << false
                << "Nombre <> E'\\'') ; DELETE FROM LISTPRU; SELECT Codigo FROM LISTPRU WHERE (1 = "
                   "1"
                << QStringList{"Codigo"} << "Imposible ejecutar la sentencia SQL. Motivo: ";
            QTest::newRow(QByteArray(t + " segunda tras dólar").constData())
                << int(m) << false
                << "Nombre <> $$'$$) ; DELETE FROM LISTPRU; SELECT Codigo FROM LISTPRU WHERE "
                   "($$'$$ = $$'$$"
                << QStringList{"Codigo"} << "Imposible ejecutar la sentencia SQL. Motivo: ";
            QTest::newRow(QByteArray(t + " sin campos").constData())
                << int(m) << false << "" << QStringList{}
                << "Imposible ejecutar la sentencia SQL. Motivo: ";
            QTest::newRow(QByteArray(t + " todo memos").constData())
                << int(m) << false << "" << QStringList{"Notas"}
                << "Imposible ejecutar la sentencia SQL. Motivo: ";
            QTest::newRow(QByteArray(t + " filtro rechazado").constData())
                << int(m) << true << "Codigo >>> 'x'" << QStringList{"Codigo"}
                << "¡La lista de filtros es incorrecta! Inténtelo de nuevo.";
        }
    }
    void condicionesRechazadas() {
        QFETCH(int, engine);
        QFETCH(bool, modoDataSet);
        QFETCH(QString, memo);
        QFETCH(QStringList, seleccion);
        QFETCH(QString, mensaje);
        Entorno x(Engine(engine), modoDataSet);
        x.f->MemoFiltros->setText(memo);
        x.f->LBSeleccionado->setItems(seleccion);
        MessageSeam::clearLog();
        x.f->IrAPagina(x.f->PagAjustar);
        QCOMPARE(x.f->PageControl1->ActivePage(), x.f->PagSeleccionCampos);
        QVERIFY2(TextosMostrados().value(0).startsWith(mensaje),
                 qPrintable(TextosMostrados().join('|')));
        QCOMPARE(Filas(), 4);
        if (modoDataSet) {
            // Conforme lists nothing either.
            QVERIFY(!x.conformeImprime());
            QCOMPARE(x.f->DBGrid1->isEnabled(), true);
        }
    }

    // On PostgreSQL a typed filter reaches nothing beyond the listed rows:
    // calls on other sessions are refused with the reason, advisory locks
    // end with the query, the program's record locks stay the program's.
    void filtroAlcance_data() { FilasAlcance(CasosAlcanceConsulta()); }
    void filtroAlcance() {
        QFETCH(int, caso);
        AlcanceSinServidor(caso);
        Entorno x(Engine::Postgres);
        AlcancePrueba a(AlcancePrueba::Caso(caso), QStringLiteral("LISTPRU"));
        x.f->MemoFiltros->setText(a.Expresion);
        x.f->LBSeleccionado->setItems({QStringLiteral("Codigo")});
        MessageSeam::clearLog();
        x.f->IrAPagina(x.f->PagAjustar);
        if (a.Rechazo.isEmpty()) {
            QCOMPARE(TextosMostrados(), QStringList());
            QCOMPARE(x.listado(QStringLiteral("Codigo")).size(), 4);
        } else {
            QCOMPARE(TextosMostrados(),
                     QStringList{"Imposible ejecutar la sentencia SQL. Motivo: " + a.Rechazo});
            QCOMPARE(x.f->PageControl1->ActivePage(), x.f->PagSeleccionCampos);
        }
        QCOMPARE(a.Fuga(), QString());
    }

    // A typed filter that never ends is stopped from the progress window,
    // in the engine, and the designer stays on the selection.
    void detenerSentencia_data() { AddEngineRows(); }
    void detenerSentencia() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        x.f->MemoFiltros->setText(QStringLiteral("Codigo < (") + kSentenciaSinFin +
                                  QLatin1Char(')'));
        x.f->LBSeleccionado->setItems({QStringLiteral("Codigo")});
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        EscEnProgreso esc;
        x.f->IrAPagina(x.f->PagAjustar);
        esc.Parar();
        QCOMPARE(esc.Pulsaciones(), 2);
        QCOMPARE(TextosMostrados(), kMensajesSentenciaDetenida);
        QVERIFY(!ProgresoVisible());
        QCOMPARE(x.f->PageControl1->ActivePage(), x.f->PagSeleccionCampos);
        QTRY_COMPARE(SentenciasRecursivasEnServidor(), 0);
        x.f->MemoFiltros->setText(QString());
        x.f->IrAPagina(x.f->PagAjustar);
        QCOMPARE(x.listado(QStringLiteral("Codigo")).size(), 4);
    }

    void motivoSegundaSentencia_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("rechazada");
        QTest::newRow("una") << "SELECT a FROM T WHERE b = 'x;y'" << false;
        QTest::newRow("punto y coma final") << "SELECT a FROM T ;  \r\n" << false;
        QTest::newRow("comentario final") << "SELECT a FROM T; -- fin" << false;
        // PostgreSQL ends a "--" comment at a carriage return too.
        QTest::newRow("comentario hasta CR") << "a = 1 -- x\r; DELETE FROM T" << true;
        QTest::newRow("comentario hasta LF") << "a = 1 -- x\n; DELETE FROM T" << true;
        QTest::newRow("dos") << "SELECT a FROM T; DELETE FROM T WHERE a = 2" << true;
        QTest::newRow("comilla doblada") << "a = 'D''Ors'; DROP TABLE T" << true;
        QTest::newRow("en comentario") << "a = 1 /* ; DROP TABLE T */" << false;
        QTest::newRow("tras comentario") << "a = 1; /* x */ DROP TABLE T" << true;
        // As PostgreSQL reads it: a backslash escape, dollar quotes, nested comments.
        QTest::newRow("escape") << "a <> E'\\'' ; DELETE FROM T; --'" << true;
        QTest::newRow("escape doblado") << "a <> E'x''; y'" << false;
        QTest::newRow("dólar") << "a <> $$'$$ ; DELETE FROM T; --'" << true;
        QTest::newRow("dólar con etiqueta") << "a <> $e$ $$ ' $e$ ; DELETE FROM T" << true;
        QTest::newRow("dólar en un nombre") << "SELECT a$b$ FROM T WHERE c = 'x;y'" << false;
        QTest::newRow("comentario anidado") << "a = 1 /* x /* y */ ; DELETE FROM T */" << true;
        QTest::newRow("nombre entre comillas") << "SELECT \"a;b\" FROM T" << false;
        // As SQLite reads it: a name in brackets.
        QTest::newRow("corchetes") << "SELECT [a'b] FROM T; DELETE FROM T; --'" << true;
    }
    void motivoSegundaSentencia() {
        QFETCH(QString, sql);
        QFETCH(bool, rechazada);
        QCOMPARE(!MotivoSegundaSentencia(sql).isEmpty(), rechazada);
    }

    // Formats: saved under a name and found on the next call, a repeated name
    // refused, the current one saved again and deleted; the toggle keys the
    // formats by the table's name.
    void formatos_data() { AddEngineRows(); }
    void formatos() {
        Entorno x(CurrentEngine());
        x.f->LBSeleccionado->setItems({QStringLiteral("Nombre"), QStringLiteral("Importe")});
        x.f->Titulo->setText(QStringLiteral("Importes"));
        x.filtro(QStringLiteral("Importe"), QStringLiteral(">"), QStringLiteral("5"));
        MessageSeam::enqueue(QStringLiteral("Mis importes"));
        x.f->pbGuardarComoClick();
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT Prefijo, Nombre, Titulo FROM FORMLIST")),
                 QStringLiteral("LISTPRU|Mis importes|Importes"));
        QCOMPARE(x.f->Formato->FieldByName(QStringLiteral("ListaSeleccionado"))->AsString(),
                 QStringLiteral("Nombre\r\nImporte\r\n"));

        QVERIFY(x.f->ListadoProgramable(&x.tabla, QString(), QString(), QString(), false));
        QCOMPARE(x.f->NombreFormato->Text(), QStringLiteral("Mis importes"));
        QCOMPARE(x.f->LBSeleccionado->Items(),
                 (QStringList{QStringLiteral("Nombre"), QStringLiteral("Importe")}));
        QCOMPARE(x.f->MemoFiltros->Text(), QStringLiteral("(Importe > '5.000000')"));

        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("Mis importes"));
        x.f->pbGuardarComoClick();
        QCOMPARE(TextosMostrados().last(), QStringLiteral("¡Ya existe el formato!"));
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM FORMLIST")), QStringLiteral("1"));
        // An empty name does nothing.
        MessageSeam::enqueue(QString());
        x.f->pbGuardarComoClick();
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM FORMLIST")), QStringLiteral("1"));
        // The name's edit takes no more than a stored name holds: what the
        // user sees is what is saved, never a name cut that clashes later.
        MessageSeam::activate(true);
        QString visto;
        QTimer escribir;
        escribir.setInterval(5);
        QObject::connect(&escribir, &QTimer::timeout, [&] {
            auto* d = qobject_cast<TfGENEMENS*>(QApplication::activeModalWidget());
            if (!d || !d->isVisible()) return;
            escribir.stop();
            d->EditRespuesta->clear();
            QTest::keyClicks(d->EditRespuesta, QString(70, QLatin1Char('x')));
            visto = d->EditRespuesta->text();
            d->pbAceptar->click();
        });
        escribir.start();
        x.f->pbGuardarComoClick();
        MessageSeam::activate();
        QCOMPARE(visto, QString(60, QLatin1Char('x')));
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT Nombre FROM FORMLIST WHERE Nombre <> 'Mis "
                                          "importes'")),
                 visto);
        SqlPrueba(QStringLiteral("DELETE FROM FORMLIST WHERE Nombre <> 'Mis importes'"));
        x.f->ListadoProgramable(&x.tabla, QString(), QString(), QString(), false);

        x.f->Titulo->setText(QStringLiteral("Otro título"));
        x.f->pbGuardarClick();
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT Titulo FROM FORMLIST")),
                 QStringLiteral("Otro título"));

        // A prefix keys the formats apart; the toggle goes back to the table's name.
        QVERIFY(x.f->ListadoProgramable(&x.tabla, QStringLiteral("L.Tabla"), QString(), QString(),
                                        false));
        QVERIFY(x.f->NombreFormato->Text().isEmpty());
        x.f->pbActivarTablaLogica->setDown(true);
        x.f->pbActivarTablaLogicaClick();
        QCOMPARE(x.f->ClaveFormatos(), QStringLiteral("LISTPRU"));
        QCOMPARE(x.f->NombreFormato->Text(), QStringLiteral("Mis importes"));

        MessageSeam::enqueue(QStringLiteral("SI"));
        x.f->pbEliminarClick();
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM FORMLIST")), QStringLiteral("0"));
    }

    // Moving to another stored format starts again on "Selección" (the grid's
    // changes are taken back into the selection); typing into the current one
    // keeps the page.
    void otroFormatoVuelveASeleccion_data() {
        QTest::addColumn<bool>("modoDataSet");
        QTest::addColumn<QString>("pagina");
        QTest::addColumn<QString>("paso");
        QTest::addColumn<QString>("esperada");
        for (const bool ds : {false, true}) {
            const QByteArray m = ds ? "conjunto " : "tabla ";
            QTest::newRow(QByteArray(m + "siguiente desde Desde-Hasta").constData())
                << ds << "PagDesdeHasta"
                << "siguiente"
                << "PagSeleccionCampos";
            QTest::newRow(QByteArray(m + "primero desde Ajustar").constData())
                << ds << "PagAjustar"
                << "primero"
                << "PagSeleccionCampos";
            QTest::newRow(QByteArray(m + "editar en Filtros").constData()) << ds << "PagFiltros"
                                                                           << "editar"
                                                                           << "PagFiltros";
        }
    }
    void otroFormatoVuelveASeleccion() {
        QFETCH(bool, modoDataSet);
        QFETCH(QString, pagina);
        QFETCH(QString, paso);
        QFETCH(QString, esperada);
        Entorno x(Engine::Sqlite, modoDataSet);
        for (const char* nombre : {"Uno", "Dos"}) {
            MessageSeam::enqueue(QLatin1String(nombre));
            x.f->pbGuardarComoClick();
        }
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM FORMLIST")), QStringLiteral("2"));
        x.f->Formato->Last();
        x.f->LBSeleccionado->setItems({QStringLiteral("Nombre"), QStringLiteral("Codigo")});
        auto* destino = x.f->findChild<TTabSheet*>(pagina);
        QVERIFY(destino);
        x.f->IrAPagina(destino);
        QCOMPARE(x.f->PageControl1->ActivePage(), destino);
        if (paso == QLatin1String("editar")) {
            x.f->Formato->Edit();
            x.f->Formato->FieldByName(QStringLiteral("Titulo"))->setAsString(QStringLiteral("T"));
        } else if (paso == QLatin1String("siguiente")) {
            x.f->Formato->Prior();
        } else {
            x.f->Formato->First();
        }
        QCOMPARE(x.f->PageControl1->ActivePage()->objectName(), esperada);
        if (x.f->Formato->State() == dsEdit) x.f->Formato->Cancel();
    }

    // The range grid shows its titles translated and the field names
    // abbreviated and translated; the cells keep what the conditions read.
    void rejillaRangosTraducida_data() {
        QTest::addColumn<QString>("idioma");
        QTest::addColumn<int>("columna");
        QTest::addColumn<int>("fila");
        QTest::addColumn<QString>("celda");
        QTest::addColumn<QString>("mostrado");
        QTest::newRow("título") << "EN" << 0 << 0 << "Campo"
                                << "Field";
        QTest::newRow("título de valor") << "EN" << 1 << 0 << "Desde Valor"
                                         << "From Value";
        QTest::newRow("campo") << "EN" << 0 << 1 << "Nombre"
                               << "Name";
        QTest::newRow("campo abreviado") << "EN" << 0 << 1 << "FechaAlta"
                                         << "Reg.Date";
        QTest::newRow("campo sin traducción") << "EN" << 0 << 1 << "Importe"
                                              << "Importe";
        QTest::newRow("valor tecleado") << "EN" << 1 << 1 << "Nombre"
                                        << "Nombre";
        QTest::newRow("sin idioma") << "" << 0 << 1 << "Nombre"
                                    << "Nombre";
        QTest::newRow("sin idioma abreviado") << "" << 0 << 1 << "FechaAlta"
                                              << "F.Alta";
    }
    void rejillaRangosTraducida() {
        QFETCH(QString, idioma);
        QFETCH(int, columna);
        QFETCH(int, fila);
        QFETCH(QString, celda);
        QFETCH(QString, mostrado);
        Entorno x(Engine::Sqlite);
        for (const char* par : {"'Campo', 'Field'", "'Desde Valor', 'From Value'",
                                "'Nombre', 'Name'", "'F.Alta', 'Reg.Date'"}) {
            QString r;
            EjecutarSQL(nullptr,
                        QStringLiteral("INSERT INTO TXIDIOMA (Idioma, ClaveTexto, Texto) VALUES "
                                       "('EN', ") +
                            QLatin1String(par) + QLatin1Char(')'),
                        QStringLiteral("DatabaseGeneral"), QStringLiteral("Silenciosa"), r);
            QCOMPARE(r, QString());
        }
        IdiomaActual = idioma;
        TextosNoTraducidos.clear();
        x.f->StringGrid->setCells(columna, fila, celda);
        const QString visto = x.f->TextoRejillaRangos(columna, fila);
        IdiomaActual.clear();
        TextosNoTraducidos.clear();
        QCOMPARE(visto, mostrado);
        QCOMPARE(x.f->StringGrid->Cells(columna, fila), celda);
    }

    // The sort table of the two cases: twelve sortable fields (ten sorted, the
    // counter, two more, the blobs) and three sortable fields with a memo; the
    // counter, holding the sorted place, is the key.
    void definicionClasificacion() {
        TClientDataSet doce;
        for (int i = 1; i <= 12; ++i)
            doce.FieldDefs().append({QStringLiteral("C%1").arg(i), ftInteger, 0, false});
        doce.FieldDefs().append({QStringLiteral("Foto"), ftBlob, 0, false});
        doce.CreateDataSet();
        const QStringList lineas =
            DefinicionTablaClasificacion(&doce).split(QStringLiteral("\r\n"));
        QCOMPARE(lineas[0], QStringLiteral("Tabla Temporal"));
        QCOMPARE(lineas[10], QStringLiteral("/C/10/C10/ftInteger/0/*/"));
        QCOMPARE(lineas[11], QStringLiteral("/C/11/ContadorAutoLP/ftInteger/0/*/"));
        QCOMPARE(lineas[12], QStringLiteral("/C/12/C11/ftInteger/0/"));
        QCOMPARE(lineas[13], QStringLiteral("/C/13/C12/ftInteger/0/"));
        QCOMPARE(lineas[14], QStringLiteral("/C/14/Foto/ftBlob/0/"));
        QCOMPARE(lineas[15], QStringLiteral("/I/1/<Primary>/ContadorAutoLP"));

        TClientDataSet tres;
        tres.FieldDefs().append({QStringLiteral("A"), ftString, 5, false});
        tres.FieldDefs().append({QStringLiteral("Notas"), ftMemo, 0, false});
        tres.FieldDefs().append({QStringLiteral("B"), ftFloat, 0, false});
        tres.FieldDefs().append({QStringLiteral("C"), ftDateTime, 0, false});
        tres.CreateDataSet();
        QCOMPARE(DefinicionTablaClasificacion(&tres),
                 QStringLiteral("Tabla Temporal\r\n/C/1/A/ftString/5/*/\r\n/C/2/B/ftFloat/0/*/\r\n"
                                "/C/3/C/ftDateTime/0/*/\r\n/C/4/ContadorAutoLP/ftInteger/0/*/\r\n"
                                "/C/5/Notas/ftMemo/0/\r\n/I/1/<Primary>/ContadorAutoLP\r\n"));
    }

    // A sorted dataset listing: the selection order is the sort order, equal
    // keys keep the source order, dropped fields are tagged 999 and do not
    // print, and the caller's filter comes back on close.
    void listadoClasificado_data() { AddEngineRows(); }
    void listadoClasificado() {
        Entorno x(CurrentEngine(), true);
        x.tabla.setFilter(QStringLiteral("Codigo < 10"));
        x.tabla.setFiltered(true);
        QVERIFY(x.f->ListadoProgramable(&x.tabla, QString(), QString(), QString(), false));
        x.f->LBSeleccionado->setItems({QStringLiteral("Nombre"), QStringLiteral("Importe")});
        x.rango(QStringLiteral("Codigo"), QStringLiteral("1"), QString());
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("l.pdf"));
        ImprimirEnPdf(pdf);
        x.f->VisualizacionPrevia->setChecked(false);
        x.f->Titulo->setText(QStringLiteral("Listado de prueba"));
        x.f->pbConformeClick();
        QCOMPARE(x.f->Temporal->FieldByName(QStringLiteral("Codigo"))->Tag(), 999);
        QStringList orden;
        for (x.f->Temporal->First(); !x.f->Temporal->Eof(); x.f->Temporal->Next())
            orden << x.f->Temporal->FieldByName(QStringLiteral("Codigo"))->AsString();
        QCOMPARE(orden, (QStringList{"4", "1", "2", "3"}));
        QCOMPARE(x.f->DSAjustar->DataSet(), &x.tabla);
        QVERIFY(x.f->DBGrid1->isEnabled());
        const QString texto = TextoPdfMaquetado(pdf);
        QVERIFY2(texto.contains(QStringLiteral("Listado de prueba")), qPrintable(texto));
        QVERIFY(texto.indexOf(QStringLiteral("Ana")) < texto.indexOf(QStringLiteral("Luis")));
        QVERIFY(!texto.contains(QStringLiteral("nota")));
        QVERIFY2(texto.contains(QStringLiteral("62,5")), qPrintable(texto));
        x.f->FormClose();
        QCOMPARE(x.tabla.Filter(), QStringLiteral("Codigo < 10"));
        QVERIFY(!x.f->Temporal->Active());
    }

    // A field hidden from the user is not printed even when the selection
    // names it (as a stored listing or the caller may), from the table's
    // statement and from a dataset's sorted copy alike; the rest prints.
    void camposOcultosNoSeImprimen_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("conjunto");
        for (Engine motor : AvailableEngines()) {
            NewEngineRow(motor, "tabla") << false;
            NewEngineRow(motor, "conjunto clasificado") << true;
        }
    }
    void camposOcultosNoSeImprimen() {
        QFETCH(int, engine);
        QFETCH(bool, conjunto);
        Entorno x(Engine(engine), conjunto);
        CamposNoVisiblesUsuario = QStringLiteral("Importe");
        x.f->LBSeleccionado->setItems(
            {QStringLiteral("Nombre"), QStringLiteral("Importe"), QStringLiteral("Codigo")});
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("l.pdf"));
        ImprimirEnPdf(pdf);
        x.f->VisualizacionPrevia->setChecked(false);
        x.f->pbConformeClick();
        const QString texto = TextoPdfMaquetado(pdf);
        QVERIFY2(texto.contains(QStringLiteral("D'Ors")), qPrintable(texto));
        for (const char* oculto : {"Importe", "12,5", "62,5"})
            QVERIFY2(!texto.contains(QLatin1String(oculto)), qPrintable(texto));
        if (conjunto) {
            // Nor does it order them: the two Ana by their code, not their amount.
            QStringList orden;
            for (x.f->Temporal->First(); !x.f->Temporal->Eof(); x.f->Temporal->Next())
                orden << x.f->Temporal->FieldByName(QStringLiteral("Codigo"))->AsString();
            QCOMPARE(orden, (QStringList{"1", "4", "2", "3"}));
        }
        x.f->FormClose();
    }

    // A restriction on a hidden field would tell its values by the rows it
    // lists: refused naming the field, however written, in both modes, back
    // on "Selección" with nothing printed; a value spelling the name is no
    // field.
    void camposOcultosEnCondiciones_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("modoDataSet");
        QTest::addColumn<QString>("memo");
        QTest::addColumn<bool>("admitido");
        for (Engine m : AvailableEngines()) {
            NewEngineRow(m, "conjunto") << true << QStringLiteral("(Importe >= '12')") << false;
            NewEngineRow(m, "conjunto entre corchetes")
                << true << QStringLiteral("(Nombre = 'Ana') OR\r\n([ importe ] = 40)") << false;
            NewEngineRow(m, "conjunto valor delante")
                << true << QStringLiteral("NOT ('12,5' <> IMPORTE)") << false;
            NewEngineRow(m, "tabla") << false << QStringLiteral("(importe > '10')") << false;
            NewEngineRow(m, "conjunto valor con el nombre")
                << true << QStringLiteral("(Nombre <> 'Importe')") << true;
            NewEngineRow(m, "tabla valor con el nombre")
                << false << QStringLiteral("(Nombre <> 'Importe')") << true;
        }
    }
    void camposOcultosEnCondiciones() {
        QFETCH(int, engine);
        QFETCH(bool, modoDataSet);
        QFETCH(QString, memo);
        QFETCH(bool, admitido);
        Entorno x(Engine(engine), modoDataSet);
        CamposNoVisiblesUsuario = QStringLiteral("Importe");
        x.f->LBSeleccionado->setItems({QStringLiteral("Codigo"), QStringLiteral("Nombre")});
        x.f->MemoFiltros->setText(memo);
        MessageSeam::clearLog();
        x.f->IrAPagina(x.f->PagAjustar);
        if (admitido) {
            QCOMPARE(x.f->PageControl1->ActivePage(), x.f->PagAjustar);
            QCOMPARE(x.listado(QStringLiteral("Nombre")).size(), 4);
            QVERIFY(x.conformeImprime());
            QCOMPARE(TextosMostrados(), QStringList());
            return;
        }
        const QString aviso =
            QStringLiteral("¡El filtro usa el campo Importe, que Vd. no tiene permitido ver!");
        QCOMPARE(x.f->PageControl1->ActivePage(), x.f->PagSeleccionCampos);
        QCOMPARE(TextosMostrados(), QStringList{aviso});
        QVERIFY(!x.conformeImprime());
        QCOMPARE(TextosMostrados().value(1), aviso);
    }

    // A filter that compares the hidden field without naming it (a view's
    // column of that name, NATURAL JOIN): SQLite compares it itself, and
    // the listing is refused with the reason, nothing printed.
    void camposOcultosComparadosPorElMotor() {
        Entorno x{Engine::Sqlite};
        SqlPrueba(QStringLiteral("CREATE VIEW VCIFRA AS SELECT 12.5 AS Importe"));
        CamposNoVisiblesUsuario = QStringLiteral("Importe");
        x.f->LBSeleccionado->setItems({QStringLiteral("Codigo"), QStringLiteral("Nombre")});
        x.f->MemoFiltros->setText(
            QStringLiteral("Codigo IN (SELECT Codigo FROM LISTPRU NATURAL JOIN VCIFRA)"));
        MessageSeam::clearLog();
        QVERIFY(!x.conformeImprime());
        const QString mostrado = TextosMostrados().join(QLatin1Char('|'));
        QVERIFY2(mostrado.contains(HiddenFieldReason(QStringLiteral("Importe"))),
                 qPrintable(mostrado));
    }

    // SQL beyond the filter grammar on a hidden field is the engine's to
    // judge, and so is the count of the rows a restriction left out: it
    // tells nothing of the hidden values either (here: that the one row
    // left out holds an amount between 30 and 50).
    void camposOcultosEnRestriccion_data() { AddEngineRows(); }
    void camposOcultosEnRestriccion() {
        QFETCH(int, engine);
        Entorno x{Engine(engine)};
        const TRestriccionListado restriccion(QStringLiteral("Codigo <> 3"),
                                              QStringLiteral("Quedan fuera %1"));
        CamposNoVisiblesUsuario = QStringLiteral("Importe");
        x.f->LBSeleccionado->setItems({QStringLiteral("Codigo"), QStringLiteral("Nombre")});
        x.f->MemoFiltros->setText(QStringLiteral("Importe BETWEEN 30 AND 50"));
        MessageSeam::clearLog();
        x.conformeImprime();
        for (const QString& t : TextosMostrados())
            QVERIFY2(!t.startsWith(QLatin1String("Quedan fuera")), qPrintable(t));
    }

    // A function named as a column of the table is applied by the server to
    // the whole row, hidden field and all: a filter so written is refused
    // and lists nothing, under every login.
    void campoOcultoEnLaFilaEntera_data() { FilasMotorYLogin(); }
    void campoOcultoEnLaFilaEntera() {
        QFETCH(int, engine);
        QFETCH(QByteArray, login);
        ComoLoginPg comoLogin(login);
        Entorno x{Engine(engine)};
        CamposNoVisiblesUsuario = QStringLiteral("Importe");
        x.f->LBSeleccionado->setItems({QStringLiteral("Codigo"), QStringLiteral("Nombre")});
        x.f->MemoFiltros->setText(
            QStringLiteral("CAST(LISTPRU.to_jsonb ->> 'importe' AS FLOAT) = 12.5"));
        MessageSeam::clearLog();
        x.f->IrAPagina(x.f->PagAjustar);
        QCOMPARE(x.f->PageControl1->ActivePage(), x.f->PagSeleccionCampos);
        QVERIFY(!x.f->Query1->Active());
        const QString texto = TextosMostrados().value(0);
        QVERIFY2(texto.startsWith(QStringLiteral("Imposible ejecutar la sentencia SQL. Motivo: ")),
                 qPrintable(texto));
        // SQLite knows no such column.
        if (Engine(engine) == Engine::Postgres)
            QVERIFY2(texto.contains(HiddenFieldReason(QStringLiteral("Importe"),
                                                      QStringLiteral("listpru.to_jsonb"))),
                     qPrintable(texto));
    }

    // Empty values in the sorted fields: every record is copied, the empty
    // ones first and printed empty, equal keys in their source order; a
    // record whose copy fails is not left appended for the close to ask about.
    void clasificadoConVacios_data() { AddEngineRows(); }
    void clasificadoConVacios() {
        Entorno x(CurrentEngine(), true);
        for (const char* fila :
             {"(5, 'Eva', NULL, NULL)", "(6, '', 7, '2019-02-02')", "(7, 'Bea', NULL, NULL)",
              "(8, 'Eva', NULL, NULL)", "(9, 'Żaneta', 40, NULL)"})
            QCOMPARE(SqlPrueba(QStringLiteral("INSERT INTO LISTPRU (Codigo, Nombre, Importe, "
                                              "Fecha) VALUES ") +
                               QString::fromUtf8(fila)),
                     QString());
        x.tabla.Refresh();
        QVERIFY(x.f->ListadoProgramable(&x.tabla, QString(), QString(), QString(), false));
        x.f->LBSeleccionado->setItems(
            {QStringLiteral("Importe"), QStringLiteral("Nombre"), QStringLiteral("Fecha")});
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("v.pdf"));
        ImprimirEnPdf(pdf);
        x.f->VisualizacionPrevia->setChecked(false);
        MessageSeam::clearLog();
        x.f->pbConformeClick();
        QCOMPARE(TextosMostrados(), QStringList());
        QCOMPARE(x.f->Temporal->State(), dsBrowse);
        QStringList orden, vacios;
        for (x.f->Temporal->First(); !x.f->Temporal->Eof(); x.f->Temporal->Next()) {
            const QString codigo = x.f->Temporal->FieldByName(QStringLiteral("Codigo"))->AsString();
            orden << codigo;
            if (x.f->Temporal->FieldByName(QStringLiteral("Importe"))->IsNull() &&
                x.f->Temporal->FieldByName(QStringLiteral("Fecha"))->IsNull())
                vacios << codigo;
        }
        // A letter outside Latin-1 after the ones inside it.
        QCOMPARE(orden, (QStringList{"7", "5", "8", "2", "6", "4", "1", "3", "9"}));
        QCOMPARE(vacios, (QStringList{"7", "5", "8"}));
        const QString texto = TextoPdfMaquetado(pdf);
        QVERIFY2(texto.indexOf(QStringLiteral("Bea")) < texto.indexOf(QStringLiteral("Luis")),
                 qPrintable(texto));
        QVERIFY2(!texto.contains(QStringLiteral("1899")), qPrintable(texto));
        QVERIFY2(texto.contains(QStringLiteral("Żaneta")), qPrintable(texto));
        // Nothing printed beside the name where the number and date are empty.
        const QStringList lineas = texto.split(QLatin1Char('\n'));
        for (const QString& l : lineas)
            if (l.contains(QStringLiteral("Bea")) || l.contains(QStringLiteral("Eva")))
                QVERIFY2(l.simplified() == QStringLiteral("Bea") ||
                             l.simplified() == QStringLiteral("Eva"),
                         qPrintable(l));

        // A text no engine of this kind stores: the run raises, the copy is
        // not left appended and closing asks nothing.
        TClientDataSet malo;
        malo.FieldDefs() = {{QStringLiteral("Texto"), ftString, 10, false}};
        malo.CreateDataSet();
        for (const QString& t :
             QStringList{QStringLiteral("a"), QStringLiteral("b") + QChar(0) + 'c'}) {
            malo.Append();
            malo.Fields()[0]->setAsString(t);
            malo.Post();
        }
        QVERIFY(x.f->ListadoProgramable(&malo, QString(), QString(), QString(), false));
        QCOMPARE(ConformeLanza(x.f), CurrentEngine() == Engine::Postgres);
        QVERIFY(x.f->Temporal->State() != dsInsert);
        MessageSeam::clearLog();
        x.f->FormClose();
        QCOMPARE(TextosMostrados(), QStringList());
    }

    // Many records of equal keys, more than a sort of a few elements ever
    // meets: each key's records come out in their source order.
    void igualesEnOrdenDeOrigen_data() { AddEngineRows(); }
    void igualesEnOrdenDeOrigen() {
        Entorno x(CurrentEngine(), true);
        // The memo tells the records apart; it is no sort key.
        TClientDataSet conjunto;
        conjunto.FieldDefs() = {{QStringLiteral("Texto"), ftString, 10, false},
                                {QStringLiteral("Nota"), ftMemo, 0, false}};
        conjunto.CreateDataSet();
        QStringList ana, eva;
        for (int i = 0; i < 40; ++i) {
            const bool esAna = i % 3 == 0;
            conjunto.Append();
            conjunto.Fields()[0]->setAsString(esAna ? QStringLiteral("Ana")
                                                    : QStringLiteral("Eva"));
            conjunto.Fields()[1]->setAsString(QString::number(i));
            conjunto.Post();
            (esAna ? ana : eva) << QString::number(i);
        }
        QVERIFY(x.f->ListadoProgramable(&conjunto, QString(), QString(), QString(), false));
        QTemporaryDir dir;
        ImprimirEnPdf(dir.filePath(QStringLiteral("i.pdf")));
        x.f->VisualizacionPrevia->setChecked(false);
        x.f->pbConformeClick();
        QStringList orden;
        for (x.f->Temporal->First(); !x.f->Temporal->Eof(); x.f->Temporal->Next())
            orden << x.f->Temporal->FieldByName(QStringLiteral("Nota"))->AsString();
        QCOMPARE(orden, ana + eva);
        x.f->FormClose();
    }

    // More than 1000 rows ask first; "NO" lists nothing. A run that raises
    // leaves the grid and its source as they were.
    void preguntaYFallo() {
        Entorno x(Engine::Sqlite, true);
        QString r;
        EjecutarSQL(nullptr,
                    QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 10 UNION ALL SELECT "
                                   "i + 1 FROM n WHERE i < 1010) INSERT INTO LISTPRU "
                                   "(Codigo, Nombre) SELECT i, 'x' FROM n"),
                    QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
        x.tabla.Refresh();
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("n.pdf"));
        ImprimirEnPdf(pdf);
        x.f->VisualizacionPrevia->setChecked(false);
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("NO"));
        x.f->pbConformeClick();
        QVERIFY(TextosMostrados().value(0).startsWith(QStringLiteral("El listado actual")));
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(x.f->DSAjustar->DataSet(), &x.tabla);

        // A sort table the engine cannot create (a column named as its
        // counter): the run raises, and the grid and its source are as they were.
        TClientDataSet malo;
        malo.FieldDefs() = {{QStringLiteral("ContadorAutoLP"), ftString, 5, false}};
        malo.CreateDataSet();
        malo.Append();
        malo.Fields()[0]->setAsString(QStringLiteral("x"));
        malo.Post();
        QVERIFY(x.f->ListadoProgramable(&malo, QString(), QString(), QString(), false));
        QVERIFY(ConformeLanza(x.f));
        QCOMPARE(x.f->DSAjustar->DataSet(), &malo);
        QVERIFY(x.f->DBGrid1->isEnabled());
        QVERIFY(!QFile::exists(pdf));
        x.f->FormClose();
    }

    // The search dialog's listing: a copy of its rows in their own field
    // order, the source fixed (the mode button down and hidden while the
    // designer is up, back afterwards) and the caller's title.
    void listadoDeUnConjunto() {
        Entorno x(Engine::Sqlite);
        bool oculto = false, pulsado = false;
        QStringList campos;
        QString titulo;
        AlMostrarse<TfGENECPRO>([&](TfGENECPRO* f) {
            oculto = f->pbActivarTablaLogica->isHidden();
            pulsado = f->pbActivarTablaLogica->Down();
            campos = f->LBSeleccionado->Items();
            titulo = f->Titulo->Text();
            f->Close();
        });
        ListarDataSet(ModuloDatos, &x.tabla, QStringLiteral("L.Tabla"),
                      QStringLiteral("Listado de la tabla LISTPRU"));
        QVERIFY(oculto);
        QVERIFY(pulsado);
        QCOMPARE(campos, (QStringList{"Codigo", "Nombre", "Importe", "Fecha", "Notas"}));
        QCOMPARE(titulo, QStringLiteral("Listado de la tabla LISTPRU"));
        QVERIFY(!x.f->pbActivarTablaLogica->isHidden());
        QVERIFY(!x.f->pbActivarTablaLogica->Down());
    }

    // The Excel toggle writes the workbook and makes no report.
    void excel() {
        Entorno x(Engine::Sqlite);
        QTemporaryDir dir;
        const QString libro = dir.filePath(QStringLiteral("LISTPRG.xlsx"));
        QString propuesto;
        AsignarSeamDialogos([&](QObject* d) {
            auto* dialogo = qobject_cast<TFileDialog*>(d);
            if (!dialogo) return false;
            propuesto = dialogo->FileName;
            dialogo->FileName = libro;
            return true;
        });
        x.f->pbExportarExcel->setDown(true);
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        x.f->LBSeleccionado->setItems({QStringLiteral("Codigo"), QStringLiteral("Nombre")});
        x.f->pbConformeClick();
        QVERIFY2(QFile::exists(libro), qPrintable(propuesto));
        QVERIFY(propuesto.contains(QStringLiteral("LISTPRG"), Qt::CaseInsensitive));
        // The sheet as a spreadsheet shows it: the titles, then the selected
        // columns of every row in order, a quote kept as typed.
        const QList<QStringList> celdas = CeldasXlsx(libro);
        QVERIFY2(celdas.size() >= 2, qPrintable(ParteXlsx(libro, "xl/worksheets/sheet1.xml")));
        QCOMPARE(celdas.first(), (QStringList{"Código", "Nombre"}));
        QStringList filas;
        for (const QStringList& f : celdas.mid(1)) filas << f.join(QLatin1Char('|'));
        QCOMPARE(filas, (QStringList{"1|Ana", "2|D'Ors", "3|Luis", "4|Ana"}));
    }

    // The grid's column moves and widths become the selection and the fields'
    // display widths; the font dialog sets the grid's font.
    void rejillaYLetra() {
        Entorno x(Engine::Sqlite, true);
        x.f->LBSeleccionado->setItems(
            {QStringLiteral("Nombre"), QStringLiteral("Codigo"), QStringLiteral("Importe")});
        x.f->IrAPagina(x.f->PagAjustar);
        QCOMPARE(x.tabla.Fields()[0]->FieldName(), QStringLiteral("Nombre"));
        x.f->DBGrid1->MoveColumn(2, 0);
        x.f->DBGrid1->ResizeColumn(0, 300);
        x.f->IrAPagina(x.f->PagSeleccionCampos);
        QCOMPARE(x.f->LBSeleccionado->Items(),
                 (QStringList{QStringLiteral("Importe"), QStringLiteral("Nombre"),
                              QStringLiteral("Codigo")}));
        QVERIFY(x.tabla.FieldByName(QStringLiteral("Importe"))->DisplayWidth() > 20);
        AsignarSeamDialogos([](QObject* d) {
            auto* dialogo = qobject_cast<TFontDialog*>(d);
            if (!dialogo) return false;
            dialogo->Font.setPointSize(14);
            return true;
        });
        QCOMPARE(x.f->DBGrid1->TitleFontColor(), int(clNavy));
        x.f->pbCambiarFontClick();
        QCOMPARE(x.f->DBGrid1->font().pointSize(), 14);
        QCOMPARE(x.f->DBGrid1->TitleFontColor(), int(clNavy));
    }
};

QTEST_MAIN(TestGeneCpro)
#include "tst_genecpro.moc"
