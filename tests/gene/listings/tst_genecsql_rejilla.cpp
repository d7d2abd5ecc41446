// The result grid's tools as the user meets them in the SQL workbench:
// restrictions by value (quoted, refused ones undone), ordering by a title
// that keeps the rest of the statement, the search messages, and the chart
// texts (the "Otros" point, bar colours, labels that hold separators), memo
// cells and their viewer, the print's restriction line and its stop, and
// the text and Excel files the result goes to and comes back from.

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "db/clientdataset.h"
#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genevmem.h"
#include "gene/listings/genecsql.h"
#include "gene/listings/genecsql_rejilla.h"
#include "gene/listings/genegraf.h"
#include "gene/listings/geneprev.h"
#include "gene/listings/geneprog.h"
#include "gene/listings/geneusql.h"
#include "gene/session/genecomp.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/esperaprueba.h"
#include "support/lienzoprueba.h"
#include "support/memoriaprueba.h"
#include "support/pdfprueba.h"
#include "support/sqlprueba.h"
#include "support/xlsxprueba.h"
#include "ui/component.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/registry.h"

namespace {

// A table with a name Windows-1252 has (ñ, €), a memo of two lines and a
// saved query on it.
void CrearDatos() {
    SqlPrueba(
        QStringLiteral("CREATE TABLE LISTPRU (Codigo INTEGER PRIMARY KEY, "
                       "Nombre VARCHAR(40), Importe FLOAT, Notas TEXT)"));
    SqlPrueba(QStringLiteral("INSERT INTO LISTPRU VALUES (1, 'Muñoz €', 12.5, 'uno\r\ndos')"));
    SqlPrueba(QStringLiteral("INSERT INTO LISTPRU VALUES (2, 'D''Ors', 3, NULL)"));
}

TfGENEUSQL* Ejecutor(const QString& Sql, bool Modificar) {
    SqlPrueba(QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro) VALUES "
                             "('SQL', 'Prueba', ") +
              Entrecomillar(Sql) + QStringLiteral(")"));
    auto* f = static_cast<TfGENEUSQL*>(CreateForm(QStringLiteral("TfGENEUSQL")));
    f->pbModificar->setDown(Modificar);
    f->AbrirConsultaSQL(QStringLiteral("Prueba"));
    return f;
}

// The file dialog answers with Ruta; the name it proposed goes to Propuesto.
void ElegirArchivo(const QString& Ruta, QString* Propuesto) {
    AsignarSeamDialogos([Ruta, Propuesto](QObject* d) {
        auto* dialogo = qobject_cast<TFileDialog*>(d);
        if (!dialogo) return false;
        if (Propuesto) *Propuesto = dialogo->FileName;
        dialogo->FileName = Ruta;
        return true;
    });
}

// The memo column's ellipsis, as the user clicks it on the current row; the
// viewer that opens runs Accion.
void PulsarPuntos(TDBGrid* Rejilla, TField* Campo, std::function<void(TfGENEVMEM*)> Accion) {
    Rejilla->setSelectedField(Campo);
    Rejilla->setEditorMode(true);
    QLineEdit* editor = Rejilla->findChild<QLineEdit*>();
    QVERIFY(editor);
    QCOMPARE(editor->actions().size(), 1);
    AlMostrarse<TfGENEVMEM>(std::move(Accion));
    editor->actions().first()->trigger();
}

// The text of what Boton prints straight to the printer (no preview) as the
// PDF Pdf.
QString TextoImpreso(TSpeedButton* Boton, const QString& Pdf) {
    ImprimirEnPdf(Pdf);
    MessageSeam::enqueue(QStringLiteral("NO"));  // no preview
    Boton->Click();
    return TextoPdfMaquetado(Pdf).simplified();
}

// The category axis under a chart's bars.
QBarCategoryAxis* EjeCategorias(const TfGENEGRAF& Grafico) {
    for (QAbstractAxis* a : Grafico.Chart1->chart()->axes())
        if (auto* c = qobject_cast<QBarCategoryAxis*>(a)) return c;
    return nullptr;
}

}  // namespace

class TestGeneCsqlRejilla : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { InstalarConsultasSQL(); }
    void cleanup() {
        AsignarSeamDialogos(nullptr);
        CamposNoVisiblesUsuario.clear();
    }

    // Titles in navy; a memo column shows its text on one line and offers
    // its viewer: read-only in the workbench, editable in a runner whose
    // result takes changes, the text then saved with the row.
    void camposMemo_data() { AddEngineRows(); }
    void camposMemo() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        CrearDatos();
        std::unique_ptr<TfGENECSQL> f(
            static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
        f->SentenciaSQL->setText(
            QStringLiteral("SELECT Codigo, Notas FROM LISTPRU ORDER BY Codigo"));
        f->pbEjecutarClick();
        TQuery* q = f->QryConsultasSQL;
        QVERIFY(q->Active());
        QCOMPARE(f->DBGrid1->model()
                     ->headerData(1, Qt::Horizontal, Qt::ForegroundRole)
                     .value<QBrush>()
                     .color(),
                 QColor(0, 0, 0x80));
        TField* notas = q->FieldByName(QStringLiteral("Notas"));
        QCOMPARE(notas->DataType(), ftMemo);
        QCOMPARE(f->DBGrid1->Columns()[1]->ButtonStyle(), cbsEllipsis);
        QCOMPARE(TextoCeldaMemo(notas->AsString()), QStringLiteral("uno dos"));
        QString titulo, texto;
        bool soloLectura = false;
        PulsarPuntos(f->DBGrid1, notas, [&](TfGENEVMEM* v) {
            titulo = v->Caption();
            texto = v->DBMemo->toPlainText();
            soloLectura = v->DBMemo->isReadOnly();
            v->Close();
        });
        QCOMPARE(titulo, QStringLiteral("Consultas SQL; Campo Notas"));
        QCOMPARE(texto, QStringLiteral("uno\ndos"));
        QVERIFY(soloLectura);
        QCOMPARE(q->State(), dsBrowse);

        std::unique_ptr<TfGENEUSQL> r(
            Ejecutor(QStringLiteral("SELECT Codigo, Notas FROM LISTPRU ORDER BY Codigo"), true));
        r->DBGrid1->setReadOnly(false);
        TField* nota = r->ClientDataSet1->FieldByName(QStringLiteral("Notas"));
        PulsarPuntos(r->DBGrid1, nota, [&](TfGENEVMEM* v) {
            soloLectura = v->DBMemo->isReadOnly();
            v->DBMemo->setPlainText(QStringLiteral("tres"));
            v->Close();
        });
        QVERIFY(!soloLectura);
        QCOMPARE(nota->AsString(), QStringLiteral("tres"));
        QVERIFY(r->pbGuardarCambiosClick());
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT Notas FROM LISTPRU WHERE Codigo = 1")),
                 QStringLiteral("tres"));

        // A memo of 15 MB, just under what a user's statement may read (LF
        // lines, a letter outside Latin-1), is painted cut,
        // within time and memory, and kept whole in the row.
        QString enorme(15'000'000, QLatin1Char('x'));
        for (qsizetype i = 80; i < enorme.size(); i += 81) enorme[i] = QLatin1Char('\n');
        enorme.replace(1000, 2, QStringLiteral("\U0001D11E"));
        TDatabase* db = TSession::instance().FindDatabase(QStringLiteral("Database"));
        db->Execute(QStringLiteral("INSERT INTO LISTPRU (Codigo, Notas) VALUES (3, ?)"), {enorme});
        f->SentenciaSQL->setText(
            QStringLiteral("SELECT Codigo, Notas FROM LISTPRU WHERE Codigo = 3"));
        ReiniciarPicoMemoria();
        QElapsedTimer reloj;
        reloj.start();
        f->pbEjecutarClick();
        f->DBGrid1->Columns()[1]->setWidth(3000);
        const auto celdas = TextosCeldas(f->DBGrid1);
        QVERIFY2(reloj.elapsed() < 5000, qPrintable(QString::number(reloj.elapsed())));
        QVERIFY2(PicoMemoriaMB() < MemoriaMB() + LimiteMemoriaMB(250),
                 qPrintable(QString::number(PicoMemoriaMB())));
        const QStringList dibujado = celdas.value({1, 0});
        QVERIFY(!dibujado.isEmpty());
        for (const QString& texto : dibujado)
            QVERIFY2(texto.size() < 5000, qPrintable(QString::number(texto.size())));
        QCOMPARE(q->FieldByName(QStringLiteral("Notas"))->AsString(), enorme);
    }

    // With restrictions listed, a print carries the statement once, its
    // lines as one, and the runner's filter.
    void impresion() {
        EmpresaPrueba e{Engine::Sqlite};
        CrearDatos();
        TTable* p = ModuloDatos->ParamGenerales;
        p->Edit();
        p->FieldByName(QStringLiteral("ListarRestricciones"))->setAsString(QStringLiteral("SI"));
        p->Post();
        QTemporaryDir dir;
        auto imprimir = [&](TSpeedButton* Boton, const QString& Nombre) {
            return TextoImpreso(Boton, dir.filePath(Nombre));
        };
        std::unique_ptr<TfGENECSQL> f(
            static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
        f->SentenciaSQL->setText(QStringLiteral("SELECT Codigo, Nombre\r\nFROM LISTPRU"));
        f->pbEjecutarClick();
        QString texto = imprimir(f->pbImprimir, QStringLiteral("editor.pdf"));
        QVERIFY2(
            texto.contains(QStringLiteral("Sentencia SQL: SELECT Codigo, Nombre FROM LISTPRU")),
            qPrintable(texto));
        QCOMPARE(texto.count(QStringLiteral("Sentencia SQL")), 1);
        QVERIFY(texto.contains(QStringLiteral("Muñoz €")));

        std::unique_ptr<TfGENEUSQL> r(
            Ejecutor(QStringLiteral("SELECT Codigo, Nombre\r\nFROM LISTPRU"), false));
        r->ClientDataSet1->setFilter(QStringLiteral("(Codigo = '2')"));
        r->ClientDataSet1->setFiltered(true);
        texto = imprimir(r->pbImprimirApaisado, QStringLiteral("ejecutor.pdf"));
        QVERIFY2(texto.contains(QStringLiteral(
                     "Sentencia SQL: SELECT Codigo, Nombre FROM LISTPRU. Filtro: (Codigo = '2')")),
                 qPrintable(texto));
        QVERIFY(texto.contains(QStringLiteral("Prueba")));
        QVERIFY(!texto.contains(QStringLiteral("Muñoz")));
    }

    // A field hidden from the user ("Importe") is neither printed from the
    // runner nor from the editor, nor copied by the editor's Ctrl+Shift+C: a
    // paste of that copy leaves the target's own amount.
    void camposOcultos_data() { AddEngineRows(); }
    void camposOcultos() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        CrearDatos();
        CamposNoVisiblesUsuario = QStringLiteral("Importe");
        QTemporaryDir dir;
        auto imprimir = [&](TSpeedButton* Boton, const QString& Nombre) {
            return TextoImpreso(Boton, dir.filePath(Nombre));
        };
        const QString sql = QStringLiteral("SELECT * FROM LISTPRU ORDER BY Codigo");
        std::unique_ptr<TfGENEUSQL> r(Ejecutor(sql, false));
        std::unique_ptr<TfGENECSQL> f(
            static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
        f->SentenciaSQL->setText(sql);
        f->pbEjecutarClick();
        for (const QString& texto : {imprimir(r->pbImprimir, QStringLiteral("ejecutor.pdf")),
                                     imprimir(f->pbImprimir, QStringLiteral("editor.pdf"))}) {
            QVERIFY2(texto.contains(QStringLiteral("Muñoz €")), qPrintable(texto));
            for (const char* oculto : {"Importe", "12,5", "15,5"})
                QVERIFY2(!texto.contains(QLatin1String(oculto)), qPrintable(texto));
        }
        // No value enters either result (the column stays, empty), so none
        // reaches the text or Excel file, nor the chart, which draws no
        // series for the field.
        const QList<std::tuple<TDataSet*, TSpeedButton*, TSpeedButton*>> ventanas{
            {r->ClientDataSet1, r->pbExportar, r->pbExportarExcel},
            {f->QryConsultasSQL, f->pbExportar, f->pbExportarExcel}};
        for (const auto& [datos, texto, excel] : ventanas) {
            for (datos->First(); !datos->Eof(); datos->Next())
                QVERIFY(datos->FieldByName(QStringLiteral("Importe"))->IsNull());
            const QString series = SeriesGrafico(datos, 10, false);
            QVERIFY2(!series.contains(QLatin1String("Importe")) && !series.contains(u'3'),
                     qPrintable(series));
            const QString txt = dir.filePath(datos->objectName() + QStringLiteral(".TXT"));
            ElegirArchivo(txt, nullptr);
            texto->Click();  // with its header: a field is left out
            QFile archivo(txt);
            QVERIFY(archivo.open(QIODevice::ReadOnly));
            const QByteArray bytes = archivo.readAll();
            QVERIFY2(bytes.contains("Mu\xF1oz") && !bytes.contains("12") && !bytes.contains("|3"),
                     bytes.constData());
            ElegirArchivo(dir.filePath(datos->objectName() + QStringLiteral(".XLS")), nullptr);
            MessageSeam::enqueue(QStringLiteral("SI"));  // Excel is closed
            MessageSeam::enqueue(QStringLiteral("SI"));  // titles
            excel->Click();
            const QString hoja =
                ParteXlsx(dir.filePath(datos->objectName() + QStringLiteral(".xlsx")),
                          QStringLiteral("xl/worksheets/sheet1.xml"));
            QVERIFY2(!hoja.isEmpty() && !hoja.contains(QStringLiteral("12.5")), qPrintable(hoja));
        }

        f->QryConsultasSQL->First();
        int tecla = 'C';
        f->OnKeyDown(f.get(), tecla, TShiftState(ssCtrl | ssShift));
        QCOMPARE(tecla, 0);
        CamposNoVisiblesUsuario.clear();
        TClientDataSet destino;
        destino.FieldDefs() << TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, false}
                            << TFieldDef{QStringLiteral("Nombre"), ftString, 40, false}
                            << TFieldDef{QStringLiteral("Importe"), ftFloat, 0, false}
                            << TFieldDef{QStringLiteral("Notas"), ftMemo, 0, false};
        destino.CreateDataSet();
        destino.Append();
        destino.Fields()[2]->setAsFloat(7);
        AsignarValoresRegistro(nullptr, &destino, QString());
        destino.Post();
        QCOMPARE(destino.Fields()[1]->AsString(), QStringLiteral("Muñoz €"));
        QCOMPARE(destino.Fields()[2]->AsFloat(), 7.0);
        QCOMPARE(destino.Fields()[3]->AsString(), QStringLiteral("uno\r\ndos"));
    }

    // A result holding a hidden field ("Importe", read as NULL) never writes
    // it: an edit of another field keeps the stored amount and finds its
    // row, a line imported without one is stored, one that gives one is
    // refused naming it (PostgreSQL's result takes changes; SQLite's none).
    void importarCampoOculto_data() { AddEngineRows(); }
    void importarCampoOculto() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        CrearDatos();
        CamposNoVisiblesUsuario = QStringLiteral("Importe");
        const bool vivo = Engine(engine) == Engine::Postgres;
        const QString sql = QStringLiteral("SELECT * FROM LISTPRU ORDER BY Codigo");
        const QString fila1 =
            QStringLiteral("SELECT Nombre, Importe FROM LISTPRU WHERE Codigo = 1");
        QTemporaryDir dir;
        const QString txt = dir.filePath(QStringLiteral("SQL.TXT"));
        QFile archivo(txt);
        QVERIFY(archivo.open(QIODevice::WriteOnly));
        archivo.write("8|Sin importe||\r\n7|Con importe|777,5|\r\n");
        archivo.close();

        std::unique_ptr<TfGENECSQL> banco(
            static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
        banco->pbModificar->setDown(true);
        banco->pbModificarClick();
        banco->SentenciaSQL->setText(sql);
        banco->EjecutarSentenciaSQL();
        TQuery* q = banco->QryConsultasSQL;
        QCOMPARE(q->CanModify(), vivo);
        q->First();
        if (vivo) {
            q->Edit();
            q->FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Eva"));
            q->Post();
            // Typed into the hidden column itself: refused, the row as it was.
            q->Edit();
            q->FieldByName(QStringLiteral("Importe"))->setAsFloat(1);
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, q->Post());
            q->Cancel();
        } else {
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, q->Edit());
        }
        QCOMPARE(SqlPrueba(fila1),
                 vivo ? QStringLiteral("Eva|12,5") : QStringLiteral("Muñoz €|12,5"));
        if (vivo) {
            ElegirArchivo(txt, nullptr);
            MessageSeam::clearLog();
            MessageSeam::enqueue(QStringLiteral("SI"));  // import from a text file
            MessageSeam::enqueue(QStringLiteral("NO"));  // stop at the first refusal
            MessageSeam::enqueue(QStringLiteral("NO"));  // no details
            banco->pbImportar->Click();
            QVERIFY2(TextosMostrados().value(1).contains(QLatin1String("campo Importe")),
                     qPrintable(TextosMostrados().join('|')));
        }
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT Codigo, Importe FROM LISTPRU WHERE Codigo > 2 "
                                          "ORDER BY 1")),
                 vivo ? QStringLiteral("8|") : QString());

        // The runner's "Guardar cambios" writes the same way.
        SqlPrueba(QStringLiteral("DELETE FROM LISTPRU WHERE Codigo > 2"));
        std::unique_ptr<TfGENEUSQL> r(Ejecutor(sql, true));
        TClientDataSet* d = r->ClientDataSet1;
        d->First();
        if (!vivo) {
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, d->Edit());
            return;
        }
        d->Edit();
        d->FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Ana"));
        d->Post();
        QVERIFY(r->pbGuardarCambiosClick());
        QCOMPARE(SqlPrueba(fila1), QStringLiteral("Ana|12,5"));
        ElegirArchivo(txt, nullptr);
        MessageSeam::enqueue(QStringLiteral("SI"));  // import from a text file
        r->pbImportar->Click();
        MessageSeam::clearLog();
        QVERIFY(!r->pbGuardarCambiosClick());
        QVERIFY2(TextosMostrados().value(0).contains(QLatin1String("campo Importe")),
                 qPrintable(TextosMostrados().join('|')));
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM LISTPRU")), QStringLiteral("2"));
    }

    // Expression columns of the editor's and the runner's results, typed by
    // every row: a NULL first neither rounds the fractions below it nor
    // loses the column's total, a date first does not empty the texts below.
    void tiposDeColumna_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("mostrados");
        QTest::addColumn<QString>("impreso");  // a line of the printed page
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "nulo primero")
                << "SELECT Codigo, COALESCE(Tiempo, 0) AS Horas FROM TIEMPOS ORDER BY Codigo"
                << QStringList{"", "2,75", "1,5"} << "1 2 2,75 3 1,5 4,25";
            NewEngineRow(e, "fecha primero")
                << "SELECT Codigo, CASE WHEN Codigo = 1 THEN CAST(Fecha AS VARCHAR(10)) ELSE "
                   "Nombre END AS Texto FROM TIEMPOS ORDER BY Codigo"
                << QStringList{"2024-03-05", "Łódź|·", "D'Ors"} << "1 2024-03-05 2 Łódź|· 3 D'Ors";
        }
    }
    void tiposDeColumna() {
        QFETCH(int, engine);
        QFETCH(QString, sql);
        QFETCH(QStringList, mostrados);
        QFETCH(QString, impreso);
        EmpresaPrueba e{Engine(engine)};
        SqlPrueba(
            QStringLiteral("CREATE TABLE TIEMPOS (Codigo INTEGER PRIMARY KEY, Tiempo FLOAT, "
                           "Fecha DATE, Nombre VARCHAR(20))"));
        SqlPrueba(QStringLiteral("INSERT INTO TIEMPOS VALUES (1, NULL, '2024-03-05', 'Ana')"));
        SqlPrueba(QStringLiteral("INSERT INTO TIEMPOS VALUES (2, 2.75, NULL, 'Łódź|·')"));
        SqlPrueba(QStringLiteral("INSERT INTO TIEMPOS VALUES (3, 1.5, NULL, 'D''Ors')"));
        QTemporaryDir dir;
        std::unique_ptr<TfGENEUSQL> r(Ejecutor(sql, false));
        std::unique_ptr<TfGENECSQL> f(
            static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
        f->SentenciaSQL->setText(sql);
        f->pbEjecutarClick();
        const QList<std::pair<TDataSet*, TSpeedButton*>> ventanas{
            {f->QryConsultasSQL, f->pbImprimir}, {r->ClientDataSet1, r->pbImprimir}};
        for (const auto& [datos, imprimir] : ventanas) {
            QVERIFY2(datos->Active(), qPrintable(TextosMostrados().join('|')));
            QStringList vistos;
            for (datos->First(); !datos->Eof(); datos->Next())
                vistos << datos->Fields()[1]->DisplayText();
            QCOMPARE(vistos, mostrados);
            const QString texto =
                TextoImpreso(imprimir, dir.filePath(datos->objectName() + ".pdf"));
            QVERIFY2(texto.contains(impreso), qPrintable(texto));
        }
    }

    // SQL.TXT is written in Windows-1252 and read back into a result that
    // takes changes, whose save writes the rows again; SQL.XLS becomes an
    // .xlsx workbook with the names and amounts.
    void exportaciones_data() { AddEngineRows(); }
    void exportaciones() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        CrearDatos();
        QTemporaryDir dir;
        std::unique_ptr<TfGENEUSQL> r(Ejecutor(
            QStringLiteral("SELECT Codigo, Nombre, Importe FROM LISTPRU ORDER BY Codigo"), true));
        const QString txt = dir.filePath(QStringLiteral("SQL.TXT"));
        QString propuesto;
        ElegirArchivo(txt, &propuesto);
        MessageSeam::enqueue(QStringLiteral("NO"));  // no header lines
        r->pbExportar->Click();
        QCOMPARE(propuesto, QStringLiteral("SQL.TXT"));
        QFile archivo(txt);
        QVERIFY(archivo.open(QIODevice::ReadOnly));
        const QByteArray bytes = archivo.readAll();
        QVERIFY2(bytes.startsWith("1|Mu\xF1oz \x80|12"), bytes.constData());
        QCOMPARE(bytes.count("\r\n"), 2);

        SqlPrueba(QStringLiteral("DELETE FROM LISTPRU"));
        QCOMPARE(r->EjecutarConsultaSQL(), QString());
        QVERIFY(r->ClientDataSet1->IsEmpty());
        QVERIFY(r->pbImportar->isEnabled());
        ElegirArchivo(txt, nullptr);
        MessageSeam::enqueue(QStringLiteral("SI"));  // import from a text file
        r->pbImportar->Click();
        QCOMPARE(r->ClientDataSet1->RecordCount(), 2);
        QVERIFY(r->pbGuardarCambiosClick());
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT Nombre FROM LISTPRU WHERE Codigo = 1")),
                 QStringLiteral("Muñoz €"));
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT Importe FROM LISTPRU WHERE Codigo = 1")),
                 QStringLiteral("12,5"));

        QCOMPARE(r->EjecutarConsultaSQL(), QString());
        ElegirArchivo(dir.filePath(QStringLiteral("SQL.XLS")), &propuesto);
        MessageSeam::enqueue(QStringLiteral("SI"));  // Excel is closed
        MessageSeam::enqueue(QStringLiteral("SI"));  // titles
        r->pbExportarExcel->Click();
        QCOMPARE(propuesto, QStringLiteral("SQL.XLS"));
        const QString libro = dir.filePath(QStringLiteral("SQL.xlsx"));
        QVERIFY(QFile::exists(libro));
        const QString textos = ParteXlsx(libro, QStringLiteral("xl/sharedStrings.xml"));
        QVERIFY2(textos.contains(QStringLiteral("Muñoz €")), qPrintable(textos));
        QVERIFY(textos.contains(QStringLiteral("D'Ors")) ||
                textos.contains(QStringLiteral("D&apos;Ors")));
        const QString hoja = ParteXlsx(libro, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY2(hoja.contains(QStringLiteral("<v>12.5</v>")), qPrintable(hoja));

        // Thirty columns: after Z come AA to AD, each value in its own column.
        QStringList columnas, valores;
        for (int c = 1; c <= 30; ++c) {
            columnas << QStringLiteral("Codigo + %1 AS Columna%2").arg(c - 1).arg(c);
            valores << QString::number(c);
        }
        SqlPrueba(QStringLiteral("DELETE FROM FILTRO WHERE Descripcion = 'Prueba'"));
        std::unique_ptr<TfGENEUSQL> ancha(
            Ejecutor(QStringLiteral("SELECT ") + columnas.join(QStringLiteral(", ")) +
                         QStringLiteral(" FROM LISTPRU WHERE Codigo = 1"),
                     false));
        const QString anchoXls = dir.filePath(QStringLiteral("ANCHA.XLS"));
        ElegirArchivo(anchoXls, nullptr);
        MessageSeam::enqueue(QStringLiteral("SI"));  // Excel is closed
        MessageSeam::enqueue(QStringLiteral("SI"));  // titles
        ancha->pbExportarExcel->Click();
        const QString anchoXlsx = dir.filePath(QStringLiteral("ANCHA.xlsx"));
        const QStringList filas = FilasXlsx(anchoXlsx);
        QCOMPARE(filas.size(), 3);
        QCOMPARE(filas.at(0).split(QLatin1Char(';')).size(), 30);
        QVERIFY(!filas.at(0).split(QLatin1Char(';')).contains(QString()));
        QCOMPARE(filas.at(2), valores.join(QLatin1Char(';')));
        const QString anchaHoja = ParteXlsx(anchoXlsx, QStringLiteral("xl/worksheets/sheet1.xml"));
        for (const char* celda : {"Z3", "AA3", "AB3", "AC3", "AD3"})
            QVERIFY2(anchaHoja.contains(QStringLiteral("r=\"%1\"").arg(QLatin1String(celda))),
                     celda);
        QVERIFY(!anchaHoja.contains(QStringLiteral("r=\"AE")));

        // Read back into the workbench's live result, a row whose key is
        // there already is refused naming it, in Spanish.
        std::unique_ptr<TfGENECSQL> banco(
            static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
        banco->pbModificar->setDown(true);
        banco->pbModificarClick();
        banco->SentenciaSQL->setText(
            QStringLiteral("SELECT Codigo, Nombre, Importe FROM LISTPRU ORDER BY Codigo"));
        banco->EjecutarSentenciaSQL();
        QVERIFY(banco->pbImportar->isEnabled());
        ElegirArchivo(txt, nullptr);
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("SI"));  // import from a text file
        MessageSeam::enqueue(QStringLiteral("NO"));  // stop at the first refusal
        MessageSeam::enqueue(QStringLiteral("NO"));  // no details
        banco->pbImportar->Click();
        QCOMPARE(TextosMostrados().value(1),
                 QStringLiteral("¡Imposible grabar el registro 1!. ¿Desea continuar?.\r\n(Motivo: "
                                "¡ Ya existe el registro !. Clave: Codigo = «1»)"));

        // A live result larger than a packet: F9 holds the first packet, an
        // edit there is saved, the export reaches every row and keeps none
        // of them, "Refrescar" reads the first packet again, and Last
        // reaches every row.
        SqlPrueba(
            QStringLiteral("WITH RECURSIVE r(n) AS (SELECT 3 UNION ALL SELECT n + 1 FROM r "
                           "WHERE n < 2600) INSERT INTO LISTPRU (Codigo, Nombre) "
                           "SELECT n, 'Fila|;' FROM r"));
        banco->SentenciaSQL->setText(
            QStringLiteral("SELECT Codigo, Nombre FROM LISTPRU ORDER BY Codigo"));
        banco->EjecutarSentenciaSQL();
        TQuery* q = banco->QryConsultasSQL;
        QCOMPARE(q->RowsHeld(), 200);
        q->Next();
        q->Edit();
        q->FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Eva"));
        q->Post();
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT Nombre FROM LISTPRU WHERE Codigo = 2")),
                 QStringLiteral("Eva"));
        const QString largo = dir.filePath(QStringLiteral("LARGO.TXT"));
        ElegirArchivo(largo, nullptr);
        MessageSeam::enqueue(QStringLiteral("NO"));  // no header lines
        banco->pbExportar->Click();
        QFile todo(largo);
        QVERIFY(todo.open(QIODevice::ReadOnly));
        const QByteArray filasLargo = todo.readAll();
        QCOMPARE(filasLargo.count("\r\n"), 2600);
        QVERIFY(filasLargo.contains("\r\n2|Eva|"));
        QVERIFY2(filasLargo.contains("\r\n2600|Fila|;|"), filasLargo.right(40).toHex().constData());
        QCOMPARE(q->RowsHeld(), 200);
        QCOMPARE(q->FieldByName(QStringLiteral("Codigo"))->AsInteger(), 2);
        SqlPrueba(QStringLiteral("UPDATE LISTPRU SET Nombre = 'Otra' WHERE Codigo = 2"));
        banco->pbRefrescar->Click();
        QCOMPARE(q->RowsHeld(), 200);
        QCOMPARE(q->FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("Otra"));
        q->Last();
        QCOMPARE(q->FieldByName(QStringLiteral("Codigo"))->AsInteger(), 2600);
        QCOMPARE(q->RecordCount(), 2600);
        // A refresh the engine refuses says why; the grid keeps its rows.
        SqlPrueba(QStringLiteral("ALTER TABLE LISTPRU RENAME TO LISTPRU2"));
        MessageSeam::clearLog();
        banco->pbRefrescar->Click();
        SqlPrueba(QStringLiteral("ALTER TABLE LISTPRU2 RENAME TO LISTPRU"));
        QVERIFY2(TextosMostrados().value(0).startsWith(
                     QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ")),
                 qPrintable(TextosMostrados().join('|')));
        QCOMPARE(q->RecordCount(), 2600);
    }

    void orden_data() {
        QTest::addColumn<QString>("sentencia");
        QTest::addColumn<QString>("ordenada");
        QTest::addColumn<QString>("sinOrden");
        QTest::newRow("sin orden") << "SELECT * FROM T\r\nWHERE a = 1"
                                   << "SELECT * FROM T\r\nWHERE a = 1\r\nORDER BY Nombre"
                                   << "SELECT * FROM T\r\nWHERE a = 1";
        QTest::newRow("una linea") << "SELECT * FROM T ORDER BY Codigo"
                                   << "SELECT * FROM T ORDER BY Nombre"
                                   << "SELECT * FROM T ";
        QTest::newRow("condicion y orden") << "SELECT * FROM T\r\nWHERE a = 1 ORDER BY Codigo DESC"
                                           << "SELECT * FROM T\r\nWHERE a = 1 ORDER BY Nombre"
                                           << "SELECT * FROM T\r\nWHERE a = 1 ";
        QTest::newRow("linea propia") << "SELECT * FROM T\r\nORDER BY Codigo"
                                      << "SELECT * FROM T\r\nORDER BY Nombre"
                                      << "SELECT * FROM T";
    }
    void orden() {
        QFETCH(QString, sentencia);
        QFETCH(QString, ordenada);
        QFETCH(QString, sinOrden);
        QCOMPARE(SentenciaOrdenadaPor(sentencia, QStringLiteral("Nombre")), ordenada);
        QCOMPARE(SentenciaSinOrden(sentencia), sinOrden);
    }

    void filtrosYBusqueda_data() { AddEngineRows(); }
    void filtrosYBusqueda() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        SqlPrueba(
            QStringLiteral("CREATE TABLE LISTPRU (Codigo INTEGER PRIMARY KEY, "
                           "Nombre VARCHAR(40), Importe FLOAT)"));
        const char* nombres[] = {"Ana", "D'Ors", "Luis", "Eva"};
        const int importes[] = {50, 100, 150, 250};
        for (int i = 0; i < 4; ++i)
            SqlPrueba(QStringLiteral("INSERT INTO LISTPRU VALUES (%1, '%2', %3)")
                          .arg(i + 1)
                          .arg(QString::fromUtf8(nombres[i]).replace("'", "''"))
                          .arg(importes[i]));
        std::unique_ptr<TfGENECSQL> f(
            static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
        f->SentenciaSQL->setText(
            QStringLiteral("SELECT Codigo, Nombre, Importe FROM LISTPRU ORDER BY Codigo"));
        f->pbEjecutarClick();
        TQuery* q = f->QryConsultasSQL;
        auto filas = [q] {
            QStringList l;
            for (q->First(); !q->Eof(); q->Next()) l << q->Fields()[0]->AsString();
            return l;
        };
        f->DBGrid1->setSelectedField(q->FieldByName(QStringLiteral("Importe")));
        MessageSeam::enqueue(QStringLiteral("100"));
        f->Herramientas->Filtrar(QStringLiteral(">="));
        MessageSeam::enqueue(QStringLiteral("200"));
        f->Herramientas->Filtrar(QStringLiteral("<="));
        QCOMPARE(q->Filter(), QStringLiteral("(Importe >= '100') AND (Importe <= '200')"));
        QCOMPARE(filas(), (QStringList{QStringLiteral("2"), QStringLiteral("3")}));
        // A value the column cannot take: warned, the previous filter kept.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("mucho"));
        f->Herramientas->Filtrar(QStringLiteral("="));
        QCOMPARE(TextosMostrados().last(),
                 QStringLiteral("¡No ha sido posible filtrar registros!"));
        QCOMPARE(q->Filter(), QStringLiteral("(Importe >= '100') AND (Importe <= '200')"));
        QCOMPARE(filas(), (QStringList{QStringLiteral("2"), QStringLiteral("3")}));
        f->Herramientas->CancelarFiltros();
        f->DBGrid1->setSelectedField(q->FieldByName(QStringLiteral("Nombre")));
        MessageSeam::enqueue(QStringLiteral("D'Ors"));
        f->Herramientas->Filtrar(QStringLiteral("="));
        QCOMPARE(filas(), QStringList{QStringLiteral("2")});
        f->Herramientas->CancelarFiltros();
        QCOMPARE(filas().size(), 4);

        // Search: found, not found.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("Luis"));
        f->Herramientas->Buscar();
        QCOMPARE(q->FieldByName(QStringLiteral("Codigo"))->AsString(), QStringLiteral("3"));
        MessageSeam::enqueue(QStringLiteral("Nadie"));
        f->Herramientas->Buscar();
        QCOMPARE(TextosMostrados().last(),
                 QStringLiteral("No se ha encontrado ninguna coincidencia"));

        // Ordering by a title keeps the statement and reruns it.
        f->DBGrid1TitleClick(QStringLiteral("Nombre"));
        QCOMPARE(f->SentenciaSQL->Text(),
                 QStringLiteral("SELECT Codigo, Nombre, Importe FROM LISTPRU ORDER BY Nombre"));
        QCOMPARE(filas(), (QStringList{QStringLiteral("1"), QStringLiteral("2"),
                                       QStringLiteral("4"), QStringLiteral("3")}));
        f->CancelarOrdenadoPor1Click();
        QCOMPARE(f->SentenciaSQL->Text(),
                 QStringLiteral("SELECT Codigo, Nombre, Importe FROM LISTPRU "));
        QVERIFY(q->Active());
    }

    // The chosen font becomes the query's Font setting, and a stored one is
    // read back onto the grid (size 8 as the application's font).
    void fuente() {
        EmpresaPrueba e{Engine::Sqlite};
        std::unique_ptr<TfGENECSQL> f(
            static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
        AsignarSeamDialogos([](QObject* d) {
            auto* dialogo = qobject_cast<TFontDialog*>(d);
            if (!dialogo) return false;
            QFont elegida(QStringLiteral("Courier"), 12);
            elegida.setBold(true);
            dialogo->Font = elegida;
            return true;
        });
        f->pbCambiarFont->Click();
        AsignarSeamDialogos(nullptr);
        const QString valor = ValorLista(QStringLiteral("Font"), f->InstruccionesConsulta);
        QCOMPARE(valor.section(QLatin1Char(','), 1), QStringLiteral("fsBold,,12"));
        f->Herramientas->AplicarFuente(QStringLiteral("Courier,fsItalic,Rojo,8"));
        QVERIFY(f->DBGrid1->font().italic());
        QVERIFY(!f->DBGrid1->font().bold());
        QCOMPARE(f->DBGrid1->font().pointSize(), FuenteAplicacion.pointSize());
        QCOMPARE(f->DBGrid1->FontColor(), ColorSegunNombre(QStringLiteral("Rojo")));
        f->Herramientas->AplicarFuente(QStringLiteral("Courier,Nada,,x"));
        QVERIFY(f->DBGrid1->font().italic());
        // Another query's font with no style: none of the previous one's.
        f->Herramientas->AplicarFuente(QStringLiteral("Arial,,,10"));
        for (const QFont& letra : {f->DBGrid1->font(), f->DBGrid1->horizontalHeader()->font()}) {
            QVERIFY(!letra.italic());
            QVERIFY(!letra.bold());
            QCOMPARE(letra.pointSize(), 10);
        }
        QCOMPARE(f->DBGrid1->TitleFontColor(), int(clNavy));
    }

    // A result whose rest was lost with its connection (the backend that
    // read it ended after the first packet), in the workbench and in a
    // runner: the loss is told, then that the grid holds only the rows
    // read; the last row and the count say so again; printing, both
    // exports, the chart and the value filters say the result is
    // incomplete and do nothing (before, they gave the first 200 rows as
    // the whole result: a four-page print, files of 200 rows).
    void resultadoIncompleto_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("ejecutor");
        if (!AvailableEngines().contains(Engine::Postgres)) QSKIP("PostgreSQL only");
        NewEngineRow(Engine::Postgres, "editor") << false;
        NewEngineRow(Engine::Postgres, "runner") << true;
    }
    void resultadoIncompleto() {
        QFETCH(bool, ejecutor);
        EmpresaPrueba e{CurrentEngine()};
        CrearDatos();
        SqlPrueba(
            QStringLiteral("WITH RECURSIVE r(n) AS (SELECT 3 UNION ALL SELECT n + 1 FROM r "
                           "WHERE n < 2600) INSERT INTO LISTPRU (Codigo, Nombre, Importe) "
                           "SELECT n, 'Fila|;', n FROM r"));
        TDatabase* db = BaseDatosSelector(QStringLiteral("Database"));
        const QVariant lector =
            db->UserStatements()->Scalar(QStringLiteral("SELECT pg_backend_pid()"));
        const QString sql =
            QStringLiteral("SELECT Codigo, Nombre, Importe FROM LISTPRU ORDER BY Codigo");
        std::unique_ptr<TfGENECSQL> editor;
        std::unique_ptr<TfGENEUSQL> runner;
        TDataSet* d = nullptr;
        THerramientasRejilla* herramientas = nullptr;
        TDBGrid* rejilla = nullptr;
        if (ejecutor) {
            runner.reset(Ejecutor(sql, false));
            d = runner->ClientDataSet1;
            herramientas = runner->Herramientas.get();
            rejilla = runner->DBGrid1;
        } else {
            editor.reset(static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
            editor->SentenciaSQL->setText(sql);
            editor->pbEjecutarClick();
            d = editor->QryConsultasSQL;
            herramientas = editor->Herramientas.get();
            rejilla = editor->DBGrid1;
        }
        QVERIFY(d->Active());
        EndBackendPids(db->Params(), {lector});
        const QString leidas = QStringLiteral(
            "¡ Se ha cancelado la lectura de la consulta SQL. La rejilla sólo contiene las filas "
            "leídas hasta ahora !");
        MessageSeam::clearLog();
        try {
            d->Last();
            QFAIL("the rest was read from an ended backend");
        } catch (const EDatabaseError& error) {
            QCOMPARE(error.code(), DbError::ConnectionLost);
        }
        QCoreApplication::processEvents();  // the warning follows the action
        QCOMPARE(TextosMostrados(), QStringList{leidas});
        MessageSeam::clearLog();
        d->Last();
        QCOMPARE(d->FieldByName(QStringLiteral("Codigo"))->AsInteger(), 200);
        QCOMPARE(d->RecordCount(), 200);
        QCoreApplication::processEvents();
        QCOMPARE(TextosMostrados(), QStringList{leidas});

        QTemporaryDir dir;
        const QString txt = dir.filePath(QStringLiteral("SQL.TXT"));
        const QString xls = dir.filePath(QStringLiteral("SQL.XLS"));
        const QString pdf = dir.filePath(QStringLiteral("SQL.pdf"));
        QList<TSpeedButton*> botones;
        if (ejecutor)
            botones = {runner->pbImprimir, runner->pbImprimirApaisado, runner->pbExportar,
                       runner->pbExportarExcel};
        else
            botones = {editor->pbImprimir, editor->pbImprimirApaisado, editor->pbExportar,
                       editor->pbExportarExcel, editor->pbGrafico};
        for (TSpeedButton* boton : botones) {
            MessageSeam::clearLog();
            ElegirArchivo(boton == botones[2] ? txt : xls, nullptr);
            ImprimirEnPdf(pdf);
            boton->Click();
            QCOMPARE(TextosMostrados(), QStringList{TextoConsultaIncompleta()});
        }
        for (const QString& archivo : QDir(dir.path()).entryList(QDir::Files))
            QFAIL(qPrintable(QStringLiteral("written: ") + archivo));
        rejilla->setSelectedField(d->FieldByName(QStringLiteral("Importe")));
        for (const char* operador : {"=", ">=", "<="}) {
            MessageSeam::clearLog();
            MessageSeam::enqueue(QStringLiteral("100"));
            herramientas->Filtrar(QLatin1String(operador));
            QString sinUsar;
            QVERIFY(MessageSeam::take(sinUsar));  // nothing asked
            QCOMPARE(TextosMostrados(), QStringList{TextoConsultaIncompleta()});
            QVERIFY(!d->Filtered());
        }

        // Run again, it is whole and every tool serves it.
        if (ejecutor)
            QCOMPARE(runner->EjecutarConsultaSQL(), QString());
        else
            editor->pbEjecutarClick();
        d = ejecutor ? static_cast<TDataSet*>(runner->ClientDataSet1)
                     : static_cast<TDataSet*>(editor->QryConsultasSQL);
        QVERIFY(!d->ResultIncomplete());
        QCOMPARE(d->RecordCount(), 2600);
        MessageSeam::clearLog();
        ElegirArchivo(txt, nullptr);
        MessageSeam::enqueue(QStringLiteral("NO"));  // no header lines
        (ejecutor ? runner->pbExportar : editor->pbExportar)->Click();
        QFile todo(txt);
        QVERIFY(todo.open(QIODevice::ReadOnly));
        QCOMPARE(todo.readAll().count("\r\n"), 2600);
    }

    // Printed, a result whose rest is read until a costly row that never
    // ends: Esc in the progress window stops the print there, on paper and
    // in the preview; on PostgreSQL the server may also end the reading
    // connection there, or before the print began. The stop is told, no
    // PDF is put in place, no preview is left holding the rows read as the
    // listing, nothing can be printed or exported from one, and the grid
    // still shows the result (before, the stop was dropped and the rows read
    // were printed, with their totals, as whole; a cut left the preview
    // open, its PDF an empty page). Esc while the pages of a print to a file
    // are made, every row read already, stops it the same way (before, the
    // whole file was written).
    void impresionDetenida_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("ejecutor");
        QTest::addColumn<bool>("previa");
        QTest::addColumn<QString>("parada");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "editor, to file") << false << false << "esc";
            NewEngineRow(e, "runner, to file") << true << false << "esc";
            NewEngineRow(e, "editor, to file, pages") << false << false << "paginas";
            NewEngineRow(e, "runner, to file, pages") << true << false << "paginas";
            NewEngineRow(e, "editor, preview") << false << true << "esc";
            NewEngineRow(e, "runner, preview") << true << true << "esc";
            if (e != Engine::Postgres) continue;
            NewEngineRow(e, "editor, to file, cut") << false << false << "corte";
            NewEngineRow(e, "runner, preview, cut") << true << true << "corte";
            NewEngineRow(e, "editor, preview, cut") << false << true << "corte";
            NewEngineRow(e, "editor, preview, cut before") << false << true << "antes";
            NewEngineRow(e, "runner, preview, cut before") << true << true << "antes";
        }
    }
    void impresionDetenida() {
        QFETCH(bool, ejecutor);
        QFETCH(bool, previa);
        QFETCH(QString, parada);
        EmpresaPrueba e{CurrentEngine()};
        CrearDatos();
        // The stop while pages are made: rows enough for pages that take
        // their time, every one read before the print.
        const bool paginas = parada == QLatin1String("paginas");
        SqlPrueba(QStringLiteral("WITH RECURSIVE r(n) AS (SELECT 3 UNION ALL SELECT n + 1 FROM r "
                                 "WHERE n < %1) INSERT INTO LISTPRU (Codigo, Nombre, Importe) "
                                 "SELECT n, 'Fila|;', n FROM r")
                      .arg(paginas ? 60000 : 300));
        // Past the first packet, row 250 costs without end (300^5 rows).
        const QString sql =
            paginas ? QStringLiteral("SELECT Codigo, Nombre, Importe FROM LISTPRU ORDER BY Codigo")
                    : QStringLiteral(
                          "SELECT Codigo, CASE WHEN Codigo = 250 THEN (SELECT COUNT(*) FROM "
                          "LISTPRU A, LISTPRU B, LISTPRU C, LISTPRU D, LISTPRU E) ELSE 0 END AS X "
                          "FROM LISTPRU ORDER BY Codigo");
        TDatabase* db = nullptr;
        QVariant lector;
        if (parada == QLatin1String("corte") || parada == QLatin1String("antes")) {
            db = BaseDatosSelector(QStringLiteral("Database"));
            lector = db->UserStatements()->Scalar(QStringLiteral("SELECT pg_backend_pid()"));
        }
        std::unique_ptr<TfGENECSQL> editor;
        std::unique_ptr<TfGENEUSQL> runner;
        TDataSet* d = nullptr;
        TSpeedButton* boton = nullptr;
        if (ejecutor) {
            runner.reset(Ejecutor(sql, false));
            d = runner->ClientDataSet1;
            boton = runner->pbImprimir;
        } else {
            editor.reset(static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
            editor->SentenciaSQL->setText(sql);
            editor->pbEjecutarClick();
            d = editor->QryConsultasSQL;
            boton = editor->pbImprimir;
        }
        QVERIFY(d->Active());
        if (paginas) {
            d->Last();
            QVERIFY(!d->ResultIncomplete());
        }
        QTemporaryDir dir;
        ImprimirEnPdf(dir.filePath(QStringLiteral("SQL.pdf")));
        MessageSeam::clearLog();
        MessageSeam::enqueue(previa ? QStringLiteral("SI") : QStringLiteral("NO"));
        const bool conEsc = parada == QLatin1String("esc") || paginas;
        if (conEsc) {
            MessageSeam::enqueue(QStringLiteral("SI"));
            MessageSeam::enqueue(QStringLiteral("NO"));
        }
        EscEnProgreso esc(conEsc ? 2 : 0);
        if (parada == QLatin1String("antes")) {
            EndBackendPids(db->Params(), {lector});
        }
        // A preview whose run went on to its end would hold the print: it
        // is closed, and noted. The server ends the reader while the costly
        // row is awaited.
        bool vistaEntera = false;
        bool cortada = false;
        QPointer<TfGENEPREV> vista;
        QTimer vistas;
        connect(&vistas, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* v = qobject_cast<TfGENEPREV*>(w); v && v->isVisible()) {
                    vista = v;
                    if (v->EstadoInforme == QLatin1String("Finalizada")) {
                        vistaEntera = true;
                        v->close();
                    }
                }
            if (parada == QLatin1String("corte") && !cortada && ProgresoVisible()) {
                cortada = true;
                EndBackendPids(db->Params(), {lector});
            }
        });
        vistas.start(conEsc ? 200 : 50);
        // What the program's handler is given to tell (the lost connection).
        QList<DbError> contados;
        SetApplicationExceptionHandler([&contados](QObject*, std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const EDatabaseError& e) {
                contados << e.code();
            } catch (...) {
                contados << DbError::General;
            }
        });
        boton->Click();
        SetApplicationExceptionHandler(nullptr);
        vistas.stop();
        esc.Parar();
        if (conEsc) {
            QCOMPARE(esc.Pulsaciones(), 2);
            QCOMPARE(TextosMostrados().mid(1), kMensajesSentenciaDetenida);
            QVERIFY(contados.isEmpty());
        } else {
            QCOMPARE(contados, QList<DbError>{DbError::ConnectionLost});
            QCOMPARE(TextosMostrados().mid(1), QStringList());
        }
        QVERIFY(parada != QLatin1String("corte") || cortada);
        QVERIFY(!vistaEntera);
        // A preview left on screen: every way out of it is tried.
        if (vista && vista->isVisible()) {
            AsignarSeamDialogos([&dir](QObject* o) {
                if (auto* dialogo = qobject_cast<TFileDialog*>(o)) {
                    dialogo->FileName = dir.filePath(QStringLiteral("INFORME"));
                    return true;
                }
                return false;
            });
            MessageSeam::enqueue(QStringLiteral("SI"));  // the Excel export's question
            for (TSpeedButton* b : {vista->pbImprimir, vista->pbImprimirPagina, vista->pbExportar,
                                    vista->pbExportarAExcel, vista->pbExportarAPDF})
                if (b->isEnabled()) b->Click();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!vista);
        for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY(!qobject_cast<TfGENEPREV*>(w));
        for (const QString& archivo : QDir(dir.path()).entryList(QDir::Files))
            QFAIL(qPrintable(QStringLiteral("written: ") + archivo));
        QVERIFY(!ProgresoVisible());
        // The grid holds its result as before the print; a cut one says it
        // holds only the rows read.
        QVERIFY(d->Active());
        if (conEsc) QVERIFY(!d->ResultIncomplete());
        d->First();
        QCOMPARE(d->FieldByName(QStringLiteral("Codigo"))->AsInteger(), 1);
        d->MoveBy(99);
        QCOMPARE(d->FieldByName(QStringLiteral("Codigo"))->AsInteger(), 100);
    }

    void grafico() {
        TClientDataSet d;
        d.FieldDefs() << TFieldDef{QStringLiteral("Fecha"), ftString, 20, false};
        for (const char* n : {"A", "B", "C", "D", "E"})
            d.FieldDefs() << TFieldDef{QLatin1String(n), ftFloat, 0, false};
        d.CreateDataSet();
        for (int i = 1; i <= 25; ++i) {
            d.Append();
            d.Fields()[0]->setAsString(
                QStringLiteral("%1/02/2024").arg(i, 2, 10, QLatin1Char('0')));
            for (int c = 1; c <= 5; ++c) d.Fields()[c]->setAsFloat(i);
            d.Post();
        }
        const QStringList series =
            SeriesGrafico(&d, 10, false).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(series.size(), 5);
        // Each bar series in its own colour, as the chart draws it: the fifth
        // magenta, never the first one's red again.
        TfGENEGRAF grafico;
        grafico.TextoSeries = series.join(QStringLiteral("\r\n"));
        grafico.ConstruirGrafico();
        QCOMPARE(grafico.ColoresPuntos.size(), 5);
        const char* const colores[] = {"Rojo", "Verde", "Azul", "Amarillo", "Fucsia"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(grafico.ColoresPuntos[i].value(0),
                     ColorToQt(ColorSegunNombre(QLatin1String(colores[i]))));
        QCOMPARE(grafico.ColoresPuntos[4].value(0), QColor(Qt::magenta));
        // Ten points whose date labels cut nothing, then rows 11 to 25 summed.
        const QString valores = series[0].section(QStringLiteral("Valores="), 1);
        const QStringList puntos = valores.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        QCOMPARE(puntos.size(), 11);
        QCOMPARE(puntos[0], QStringLiteral("1:1:01-02-2024:"));
        QCOMPARE(puntos[10], QStringLiteral("11:270:Otros:"));
        QVERIFY(SeriesGrafico(&d, 30, true)
                    .startsWith(QStringLiteral(
                        "Titulo=A;Tipo=Tarta;Color=;Marcas=SI;IncluirEnLeyenda=SI;Valores=")));
        // A field hidden from the user draws no series, a hidden first field
        // labels no point: the first visible one does.
        CamposNoVisiblesUsuario = QStringLiteral("Fecha,C");
        const QString sinOcultos = SeriesGrafico(&d, 10, false);
        QCOMPARE(sinOcultos.count(QStringLiteral("Titulo=")), 4);
        QVERIFY2(!sinOcultos.contains(QLatin1String("Titulo=C")) &&
                     !sinOcultos.contains(QLatin1String("02-2024")),
                 qPrintable(sinOcultos));
        QVERIFY(sinOcultos.contains(QLatin1String("Valores=1:1:1:/2:2:2:/")));

        // Twelve numeric columns: the ten first draw, as many as a chart
        // takes of one type.
        TClientDataSet ancho;
        for (int c = 1; c <= 12; ++c)
            ancho.FieldDefs() << TFieldDef{QStringLiteral("N%1").arg(c), ftInteger, 0, false};
        ancho.CreateDataSet();
        ancho.Append();
        ancho.Post();
        const QString diez = SeriesGrafico(&ancho, 10, false);
        QCOMPARE(diez.count(QStringLiteral("Titulo=")), kMaximoSeriesGrafico);
        QVERIFY(diez.contains(QLatin1String("Titulo=N10;")) &&
                !diez.contains(QLatin1String("Titulo=N11;")));
    }

    // Rows named alike each keep their own bar under their own name: the
    // category axis would keep a repeated name once and move every later
    // bar under the next row's name.
    void graficoNombresRepetidos() {
        TClientDataSet d;
        d.FieldDefs() << TFieldDef{QStringLiteral("Nombre"), ftString, 20, false}
                      << TFieldDef{QStringLiteral("Horas"), ftFloat, 0, false};
        d.CreateDataSet();
        const QStringList nombres{QStringLiteral("Ana"), QStringLiteral("Luis"),
                                  QStringLiteral("Ana"), QStringLiteral("Pepe"), QString()};
        for (int i = 0; i < nombres.size(); ++i) {
            d.Append();
            d.Fields()[0]->setAsString(nombres[i]);
            d.Fields()[1]->setAsFloat(i + 1);
            d.Post();
        }
        TfGENEGRAF grafico;
        grafico.TextoSeries = SeriesGrafico(&d, 10, false);
        grafico.ConstruirGrafico();
        QBarCategoryAxis* eje = EjeCategorias(grafico);
        QVERIFY(eje);
        QCOMPARE(eje->categories(), QStringList({QStringLiteral("Ana (1)"), QStringLiteral("Luis"),
                                                 QStringLiteral("Ana (3)"), QStringLiteral("Pepe"),
                                                 QStringLiteral("5")}));
        // Bar i, the value of row i, stands under category i.
        auto* barras =
            qobject_cast<QAbstractBarSeries*>(grafico.Chart1->chart()->series().value(0));
        QVERIFY(barras);
        for (int i = 0; i < nombres.size(); ++i) {
            qreal altura = 0;
            for (QBarSet* set : barras->barSets()) altura += set->at(i);
            QCOMPARE(altura, qreal(i + 1));
        }
    }

    // The number of values asked is bounded where a chart still reads: one
    // more is refused with its message and draws nothing; the bound itself
    // draws that many bars and "Otros", each under its own name.
    void graficoLimite_data() { AddEngineRows(); }
    void graficoLimite() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        SqlPrueba(
            QStringLiteral("CREATE TABLE GRAFPRU (Codigo INTEGER PRIMARY KEY, "
                           "Nombre VARCHAR(20), Importe FLOAT)"));
        // Two names only: every label repeats.
        SqlPrueba(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 150) INSERT INTO GRAFPRU SELECT i, CASE WHEN i % 2 = 0 "
                           "THEN 'Ana' ELSE 'Luis' END, i FROM n"));
        std::unique_ptr<TfGENECSQL> f(
            static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
        f->SentenciaSQL->setText(
            QStringLiteral("SELECT Nombre, Importe FROM GRAFPRU ORDER BY Codigo"));
        f->pbEjecutarClick();
        QVERIFY(f->QryConsultasSQL->Active());
        static QStringList graficos;
        graficos.clear();
        const TGanchoMostrarGrafico antes = GanchoMostrarGrafico;
        GanchoMostrarGrafico = [](const QString&, const QString& Series) { graficos << Series; };
        const auto restaurar = qScopeGuard([antes] { GanchoMostrarGrafico = antes; });
        MessageSeam::clearLog();
        MessageSeam::enqueue(QString::number(kMaximoValoresGrafico + 1));
        f->pbGrafico->Click();
        QCOMPARE(TextosMostrados().last(),
                 QStringLiteral("El número de Valores a Representar no puede ser mayor que 100"));
        QVERIFY(graficos.isEmpty());
        MessageSeam::enqueue(QString::number(kMaximoValoresGrafico));
        MessageSeam::enqueue(QStringLiteral("NO"));  // bars
        f->pbGrafico->Click();
        QCOMPARE(graficos.size(), 1);
        TfGENEGRAF grafico;
        grafico.TextoSeries = graficos.first();
        grafico.ConstruirGrafico();
        QBarCategoryAxis* eje = EjeCategorias(grafico);
        QVERIFY(eje);
        QCOMPARE(eje->count(), kMaximoValoresGrafico + 1);
        QCOMPARE(eje->at(0), QStringLiteral("Luis (1)"));
        QCOMPARE(eje->at(99), QStringLiteral("Ana (100)"));
        QCOMPARE(eje->at(100), QStringLiteral("Otros"));
    }
};

QTEST_MAIN(TestGeneCsqlRejilla)
#include "tst_genecsql_rejilla.moc"
