// The preview window: pages as they come, paging and zoom, the exports, Esc
// and the cancel flag, printing from the window and its close while busy.

#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/listings/geneprev.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "gene/informe_prueba.h"
#include "io/pdf.h"
#include "support/discolleno.h"
#include "gene/registros_prueba.h"
#include "support/instalacion.h"
#include "ui/controls.h"

namespace {

// A window on the report, its pages made.
TfGENEPREV* Previsualizar(InformePrueba& inf) {
    TfGENEPREV* w = PrevisualizarInforme(inf.rep);
    inf.rep->Prepare();
    return w;
}

void Parametros(const QString& formato, const QString& dialogo) {
    Sql(QStringLiteral("DELETE FROM PARAGENE"));
    QCOMPARE(Sql(QStringLiteral("INSERT INTO PARAGENE (IdRegistro, FmtVisualizacionPrevia, "
                                "SolicitarDialogoImpresora) VALUES (1, '%1', '%2')")
                     .arg(formato, dialogo)),
             QString());
    ModuloDatos->ParamGenerales->Refresh();
}

// Esc where the user types it: the control with the focus, or the window.
void Escape(QWidget* w) {
    QWidget* foco = QApplication::focusWidget();
    QTest::keyClick(foco && foco->window() == w ? foco : w, Qt::Key_Escape);
}

QString Texto(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

// The save dialog answers with this name and file type.
void GuardarComo(const QString& nombre, int indice) {
    AsignarSeamDialogos([nombre, indice](QObject* d) {
        auto* f = static_cast<TFileDialog*>(d);
        f->FileName = nombre;
        f->FilterIndex = indice;
        return true;
    });
}

}  // namespace

class TestGenePrev : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase() { MessageSeam::activate(); }
    void cleanupTestCase() { MessageSeam::deactivate(); }
    void init() {
        MessageSeam::clearLog();
        ListadoCancelado = false;
    }
    void cleanup() {
        AsignarSeamDialogos({});
        AsignarSeamImpresoras({}, {});
        delete fGENEPREV.data();
    }

    void paginasYZoom() {
        auto datos = Empleados(30);
        InformePrueba inf(datos.get());
        TfGENEPREV* w = Previsualizar(inf);
        QCOMPARE(w->Caption(), QStringLiteral("Previsualización de Informes"));
        QCOMPARE(w->NumeroPaginas, 3);
        QCOMPARE(w->EstadoInforme, QStringLiteral("Finalizada"));
        QVERIFY(w->PaginasEnCurso);
        QVERIFY(!w->ProgressBar1->isVisible());
        QCOMPARE(w->SpinEditPagina->value(), 1);
        w->SpinEditPagina->setValue(0);
        QCOMPARE(w->SpinEditPagina->value(), 1);
        w->SpinEditPagina->setValue(99);
        QCOMPARE(w->SpinEditPagina->value(), 3);
        QCOMPARE(w->QRPreview1->PageNumber(), 3);
        w->pbPrimeraPaginaClick();
        QCOMPARE(w->SpinEditPagina->value(), 1);
        QCOMPARE(w->QRPreview1->PageNumber(), 1);
        w->pbUltimaPaginaClick();
        QCOMPARE(w->SpinEditPagina->value(), 3);

        // Without company parameters the zoom is 100.
        QCOMPARE(w->QRPreview1->Zoom(), 100);
        w->SpinEditZoom->setValue(150);
        QCOMPARE(w->QRPreview1->Zoom(), 150);
        w->resize(800, 600);
        w->pbZoomToFitClick();
        QVERIFY(w->QRPreview1->Zoom() < 100);
        QCOMPARE(w->SpinEditZoom->value(), w->QRPreview1->Zoom());
        w->pbZoomTo100Click();
        QCOMPARE(w->SpinEditZoom->value(), 100);
        // A page renders on screen.
        QVERIFY(!w->QRPreview1->grab().isNull());
    }

    void unaPagina() {
        auto datos = Empleados(4);
        InformePrueba inf(datos.get());
        TfGENEPREV* w = Previsualizar(inf);
        QCOMPARE(w->SpinEditPagina->maximum(), 1);
        w->pbUltimaPaginaClick();
        QCOMPARE(w->SpinEditPagina->value(), 1);
    }

    void zoomDeLaEmpresa_data() {
        QTest::addColumn<QString>("formato");
        QTest::addColumn<int>("zoom");
        QTest::newRow("número") << "75" << 75;
        QTest::newRow("texto que no es número") << "abc" << 100;
        QTest::newRow("Normal") << "Normal" << 100;
        QTest::newRow("vacío") << "" << 100;
    }
    void zoomDeLaEmpresa() {
        QFETCH(QString, formato);
        QFETCH(int, zoom);
        TestInstalacion inst(Engine::Sqlite, {.empresas = {1}, .empresaActual = 1});
        { TModuloDatos crear; }
        TModuloDatos modulo;
        Parametros(formato, QStringLiteral("SI"));
        auto datos = Empleados(12);
        InformePrueba inf(datos.get());
        TfGENEPREV* w = Previsualizar(inf);
        QCOMPARE(w->QRPreview1->Zoom(), zoom);
        QCOMPARE(w->SpinEditZoom->value(), zoom);
        delete w;
    }

    void exportaciones() {
        auto datos = Empleados(30);
        InformePrueba inf(datos.get());
        TfGENEPREV* w = Previsualizar(inf);
        TFileDialog* guardar = SaveDialog1(nullptr);
        guardar->Filter = QStringLiteral("Anterior|*.X");
        guardar->FilterIndex = 1;
        QString propuesto;
        int indice = 1;
        QString nombre = dir.filePath(QStringLiteral("INFORME"));
        AsignarSeamDialogos([&](QObject* d) {
            auto* f = static_cast<TFileDialog*>(d);
            propuesto = f->FileName;
            f->FileName = nombre;
            f->FilterIndex = indice;
            return true;
        });
        for (indice = 1; indice <= 3; ++indice) w->pbExportarClick();
        QCOMPARE(propuesto, QStringLiteral("INFORME"));
        QVERIFY(Texto(nombre + QStringLiteral(".TXT")).contains(QStringLiteral("Empleado 30")));
        QVERIFY(Texto(nombre + QStringLiteral(".CSV")).contains(QStringLiteral("Empleado 12")));
        QVERIFY(Texto(nombre + QStringLiteral(".HTM")).contains(QStringLiteral("<html")));
        // The extension goes after whatever name was typed.
        nombre = dir.filePath(QStringLiteral("datos.CSV"));
        indice = 2;
        w->pbExportarClick();
        QVERIFY(QFile::exists(nombre + QStringLiteral(".CSV")));
        QCOMPARE(guardar->Filter, QStringLiteral("Anterior|*.X"));
        QVERIFY(MessageSeam::log().isEmpty());

        // A folder that does not exist.
        nombre = dir.filePath(QStringLiteral("no/hay/INFORME"));
        indice = 1;
        w->pbExportarClick();
        QCOMPARE(MessageSeam::log().last().text,
                 QStringLiteral("¡No ha sido posible grabar el informe!"));
        QCOMPARE(guardar->Filter, QStringLiteral("Anterior|*.X"));

        // PDF: proposed under the report form's name, the pages as previewed.
        MessageSeam::clearLog();
        nombre = dir.filePath(QStringLiteral("listado"));
        w->pbExportarAPDFClick();
        QCOMPARE(propuesto, QStringLiteral("fRRQRLPRU"));
        QCOMPARE(PdfPageCount(nombre + QStringLiteral(".pdf")), 3);
        QCOMPARE(inf.ejecuciones, 1);
        QCOMPARE(guardar->Filter, QStringLiteral("Anterior|*.X"));
        // A PDF that cannot be written: the warning, the window usable.
        nombre = dir.filePath(QStringLiteral("no/hay/listado"));
        w->pbExportarAPDFClick();
        QVERIFY(MessageSeam::log().last().text.startsWith(
            QStringLiteral("Se ha producido un error al generar el archivo PDF. Motivo: ")));
        QVERIFY(w->isVisible());
    }

    // A disk that fills up while an export is written: the user is told, the
    // file of an earlier export stays as it was and nothing is left beside it.
    void exportarSinEspacio_data() {
        QTest::addColumn<int>("indice");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("aviso");
        const QString noGrabado = QStringLiteral("¡No ha sido posible grabar el informe!");
        QTest::newRow("texto") << 1 << ".TXT" << noGrabado;
        QTest::newRow("csv") << 2 << ".CSV" << noGrabado;
        QTest::newRow("html") << 3 << ".HTM" << noGrabado;
        QTest::newRow("pdf") << 0 << ".pdf"
                             << "Se ha producido un error al generar el archivo PDF. Motivo: ";
        // "Imprimir" into the file the print dialog chose.
        QTest::newRow("imprimir a archivo") << -1 << ".pdf" << "¡No es posible grabar el archivo ";
    }
    void exportarSinEspacio() {
        QFETCH(int, indice);
        QFETCH(QString, extension);
        QFETCH(QString, aviso);
        QTemporaryDir carpeta;
        auto datos = Empleados(30);
        InformePrueba inf(datos.get());
        TfGENEPREV* w = Previsualizar(inf);
        const QString nombre = carpeta.filePath(QStringLiteral("INFORME"));
        GuardarComo(nombre, qMax(1, indice));
        const QString archivo = nombre + extension;
        {
            QFile anterior(archivo);
            QVERIFY(anterior.open(QIODevice::WriteOnly));
            anterior.write("anterior");
        }
        if (indice < 0)
            AsignarSeamDialogos([archivo](QObject* d) {
                if (auto* impresion = qobject_cast<TPrintDialog*>(d)) {
                    impresion->Printer().setOutputFormat(QPrinter::PdfFormat);
                    impresion->Printer().setOutputFileName(archivo);
                }
                return true;
            });
        {
            TDiscoLleno lleno(400);
            if (indice > 0)
                w->pbExportarClick();
            else if (indice == 0)
                w->pbExportarAPDFClick();
            else
                w->pbImprimirClick(nullptr);
        }
        QCOMPARE(MessageSeam::log().size(), 1);
        QVERIFY2(MessageSeam::log().last().text.startsWith(aviso),
                 qPrintable(MessageSeam::log().last().text));
        QCOMPARE(Texto(archivo), QStringLiteral("anterior"));
        QCOMPARE(EntradasCarpeta(carpeta.path()), QStringList{QFileInfo(archivo).fileName()});
    }

    // Letters the text and CSV files cannot hold are written as "?", and the
    // user is told once how many values were; HTML keeps them.
    void exportarLetrasFueraDeWindows1252_data() {
        QTest::addColumn<int>("indice");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("cambiados");
        QTest::newRow("texto") << 1 << ".TXT" << 2;
        QTest::newRow("csv") << 2 << ".CSV" << 2;
        QTest::newRow("html") << 3 << ".HTM" << 0;
    }
    void exportarLetrasFueraDeWindows1252() {
        QFETCH(int, indice);
        QFETCH(QString, extension);
        QFETCH(int, cambiados);
        QTemporaryDir carpeta;
        auto datos = Empleados(4);
        const QStringList nombres{QStringLiteral("ŁÓDŹ"), QStringLiteral("Ñúñez"),
                                  QStringLiteral("A€B; x|y"), QStringLiteral("Αθήνα")};
        datos->First();
        for (const QString& n : nombres) {
            datos->Edit();
            datos->FieldByName(QStringLiteral("Nombre"))->setAsString(n);
            datos->Post();
            datos->Next();
        }
        datos->First();
        InformePrueba inf(datos.get());
        TfGENEPREV* w = Previsualizar(inf);
        const QString nombre = carpeta.filePath(QStringLiteral("INFORME"));
        GuardarComo(nombre, indice);
        w->pbExportarClick();
        QFile f(nombre + extension);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        if (cambiados == 0) {
            QVERIFY(MessageSeam::log().isEmpty());
            QVERIFY(QString::fromUtf8(bytes).contains(QStringLiteral("ŁÓDŹ")));
            return;
        }
        QVERIFY(bytes.contains("?\xD3\x44?"));
        QVERIFY(bytes.contains("\xD1\xFA\xF1\x65z"));
        QVERIFY(bytes.contains("A\x80\x42"));
        QCOMPARE(MessageSeam::log().size(), 1);
        QVERIFY2(MessageSeam::log().last().text.contains(
                     QStringLiteral("¡ %1 valor(es)").arg(cambiados)),
                 qPrintable(MessageSeam::log().last().text));
    }

    void excelDeLaTablaDelInforme() {
        auto datos = Empleados(3);
        InformePrueba inf(datos.get());
        // A band named "Detail" that is no sub-detail adds no lines.
        auto* banda = new TQRBand(inf.form, inf.rep, rbSummary);
        banda->setObjectName(QStringLiteral("Detail"));
        TfGENEPREV* w = Previsualizar(inf);
        MessageSeam::enqueue(QStringLiteral("NO"));
        w->pbExportarAExcelClick();
        QCOMPARE(MessageSeam::log().size(), 1);
        QVERIFY(MessageSeam::log()[0].text.startsWith(
            QStringLiteral("No se garantiza que la exportación a hoja Excel")));

        const QString ruta = dir.filePath(QStringLiteral("informe.xlsx"));
        QString propuesto;
        AsignarSeamDialogos([&](QObject* d) {
            auto* f = static_cast<TFileDialog*>(d);
            propuesto = f->FileName;
            f->FileName = ruta;
            return true;
        });
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        w->pbExportarAExcelClick();
        QCOMPARE(propuesto, QStringLiteral("fRRQRLPRU"));
        QVERIFY(QFile::exists(ruta));
        QCOMPARE(MessageSeam::log().last().kind, QStringLiteral("I"));
    }

    void escapeYCancelacion() {
        // A finished preview: too late to cancel.
        auto datos = Empleados(3);
        InformePrueba inf(datos.get());
        TfGENEPREV* w = Previsualizar(inf);
        Escape(w);
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log()[0].text,
                 QStringLiteral("¡No es posible cancelar el listado en este momento!"));
        QVERIFY(!ListadoCancelado);
        delete w;

        // A permanent table before any page: nothing at all.
        TestInstalacion inst(Engine::Sqlite, {.empresas = {1}, .empresaActual = 1});
        CrearTablaPrueba(QStringLiteral("EMPLEADO"),
                         {{QStringLiteral("Codigo"), ftInteger, 0, true}},
                         {QStringLiteral("Codigo")});
        auto tabla = AbrirTablaPrueba(QStringLiteral("EMPLEADO"));
        InformePrueba permanente(tabla.get());
        w = PrevisualizarInforme(permanente.rep);
        MessageSeam::clearLog();
        w->CancelarelListado1Click();
        QVERIFY(MessageSeam::log().isEmpty());
        QVERIFY(!ListadoCancelado);
        delete w;

        // A temporary table being filled: the question decides.
        auto temporal = std::make_unique<TTable>();
        temporal->setTableName(QStringLiteral("TEMP00042A"));
        InformePrueba relleno(temporal.get());
        w = PrevisualizarInforme(relleno.rep);
        MessageSeam::enqueue(QStringLiteral("SI"));
        Escape(w);
        QCOMPARE(MessageSeam::log().last().text,
                 QStringLiteral(
                     "El listado será cancelado a continuación. ¿Desea continuar con el listado?"));
        QVERIFY(!ListadoCancelado);
        MessageSeam::enqueue(QStringLiteral("NO"));
        w->CancelarelListado1Click();
        QVERIFY(ListadoCancelado);
        QVERIFY(w->isVisible());  // no print was started from it
        // After a print from the window the cancel also closes it.
        w->ImpresionLanzada = true;
        MessageSeam::enqueue(QStringLiteral("NO"));
        w->CancelarelListado1Click();
        QCOMPARE(w->EstadoInforme, QStringLiteral("Finalizada"));
        QVERIFY(!w->isVisible());
    }

    void imprimirDesdeLaVentana() {
        TestInstalacion inst(Engine::Sqlite, {.empresas = {1}, .empresaActual = 1});
        { TModuloDatos crear; }
        TModuloDatos modulo;
        Parametros(QStringLiteral("Normal"), QStringLiteral("NO"));
        const QString impreso = dir.filePath(QStringLiteral("impreso.pdf"));
        bool hayImpresora = true;
        AsignarSeamImpresoras({}, [&](QPrinter& p, const QString&) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(impreso);
            return hayImpresora;
        });
        auto datos = Empleados(30);
        InformePrueba inf(datos.get());
        TfGENEPREV* w = Previsualizar(inf);

        // Without the dialog: the page shown only, or every page; no new run.
        w->SpinEditPagina->setValue(2);
        w->pbImprimirClick(w->pbImprimirPagina);
        QCOMPARE(PdfPageCount(impreso), 1);
        QCOMPARE(w->EstadoInforme, QStringLiteral("Finalizada"));
        QVERIFY(w->ImpresionLanzada);
        QVERIFY(!w->PaginasEnCurso);
        w->pbImprimirClick(w->pbImprimir);
        QCOMPARE(PdfPageCount(impreso), 3);
        QCOMPARE(inf.ejecuciones, 1);

        // No printer: nothing printed, the window can close afterwards.
        QFile::remove(impreso);
        hayImpresora = false;
        w->pbImprimirClick(w->pbImprimir);
        QVERIFY(!QFile::exists(impreso));
        QCOMPARE(w->EstadoInforme, QStringLiteral("Finalizada"));

        // With the dialog: a fresh run, the pages chosen there or the page shown.
        Parametros(QStringLiteral("Normal"), QStringLiteral("SI"));
        bool confirmar = false;
        AsignarSeamDialogos([&](QObject* d) {
            auto* p = qobject_cast<TPrintDialog*>(d);
            p->Printer().setOutputFormat(QPrinter::PdfFormat);
            p->Printer().setOutputFileName(impreso);
            p->FromPage = 1;
            p->ToPage = 2;
            return confirmar;
        });
        w->pbImprimirClick(w->pbImprimir);  // cancelled
        QVERIFY(!QFile::exists(impreso));
        QCOMPARE(inf.ejecuciones, 1);
        confirmar = true;
        w->pbImprimirClick(w->pbImprimir);
        QCOMPARE(PdfPageCount(impreso), 2);
        QCOMPARE(inf.ejecuciones, 2);
        w->SpinEditPagina->setValue(3);
        w->pbImprimirClick(w->pbImprimirPagina);
        QCOMPARE(PdfPageCount(impreso), 1);
        QCOMPARE(w->EstadoInforme, QStringLiteral("Finalizada"));
        // The previewed pages are still those of the preview.
        QCOMPARE(w->NumeroPaginas, 3);

        // While a print runs: neither another print nor the close.
        MessageSeam::clearLog();
        w->EstadoInforme = QStringLiteral("En Progreso");
        w->pbImprimirClick(w->pbImprimir);
        QCOMPARE(MessageSeam::log().last().text,
                 QStringLiteral("¡Debe esperar a que finalice el informe en curso!"));
        w->Close();
        QCOMPARE(MessageSeam::log().last().text,
                 QStringLiteral(
                     "¡Debe esperar a que finalice el informe para cerrar la previsualización!"));
        QVERIFY(w->isVisible());
        w->InformeFinalizado();
        w->Close();
        QVERIFY(!w->isVisible());
    }

    void previsualizarEsperaAlCierre() {
        InstalarPrevisualizacion();
        auto datos = Empleados(30);
        InformePrueba inf(datos.get());
        // While the pages are made the window already shows those before.
        int paginasVistas = 0;
        inf.detalle->BeforePrint = [&](QObject*, bool&) {
            if (inf.rep->RecordNumber() == 25 && fGENEPREV && fGENEPREV->isVisible())
                paginasVistas = fGENEPREV->NumeroPaginas;
        };
        QTimer cerrar;
        QObject::connect(&cerrar, &QTimer::timeout, [&] {
            if (fGENEPREV && fGENEPREV->NumeroPaginas == 3 && !inf.rep->QRPrinter()->Busy())
                fGENEPREV->Close();
        });
        cerrar.start(10);
        inf.rep->Preview();
        QCOMPARE(paginasVistas, 2);
        QCOMPARE(inf.rep->QRPrinter()->PageCount(), 3);
        QTRY_VERIFY(!fGENEPREV);  // freed once closed
        TQuickRep::SetPreviewHook({});
    }

    // A report that prints nothing (its BeforePrint says "No existen datos
    // para listar") leaves no empty window open: Preview returns and the
    // window goes; a report with pages keeps its window.
    void sinDatosNoQuedaVentana() {
        InstalarPrevisualizacion();
        auto datos = Empleados(3);
        InformePrueba inf(datos.get());
        bool imprimir = false;
        inf.rep->BeforePrint = [&](QObject*, bool& PrintReport) {
            if (!imprimir) MensajeInformacion(QStringLiteral("No existen datos para listar"));
            PrintReport = imprimir;
        };
        // Only reached inside Preview's wait, that is with the window left open.
        bool quedoAbierta = false;
        QTimer::singleShot(0, [&] {
            if (fGENEPREV && fGENEPREV->isVisible()) {
                quedoAbierta = true;
                fGENEPREV->Close();
            }
        });
        inf.rep->Preview();
        QVERIFY(!quedoAbierta);
        QCOMPARE(MessageSeam::log().size(), 1);
        QTRY_VERIFY(!fGENEPREV);

        imprimir = true;
        QPointer<TfGENEPREV> w = PrevisualizarInforme(inf.rep);
        inf.rep->Prepare();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w && w->isVisible());
        TQuickRep::SetPreviewHook({});
    }
};

QTEST_MAIN(TestGenePrev)
#include "tst_geneprev.moc"
