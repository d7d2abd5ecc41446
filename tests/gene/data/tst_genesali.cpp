// Report output: PDF files with their pages and paper, printers by name,
// the print dialog as the company asks for it, and the end of the report
// told on every path, also when nothing could be printed.

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genesist.h"
#include "gene/session/sesion.h"
#include "gene/informe_prueba.h"
#include "io/pdf.h"
#include "gene/registros_prueba.h"
#include "support/instalacion.h"
#include "support/pdfprueba.h"

namespace {

QStringList PaginasTemporales() {
    return QDir(DirectorioTemporal()).entryList({QStringLiteral("TEMP_*.pic")}, QDir::Files);
}

// Printing on a printer writes a PDF named after it in `carpeta`.
void ImpresorasDePrueba(const QString& carpeta, const QStringList& nombres) {
    AsignarSeamImpresoras(
        [nombres] { return nombres; },
        [carpeta](QPrinter& p, const QString& nombre) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(carpeta + u'/' +
                                (nombre.isEmpty() ? QStringLiteral("defecto") : nombre) +
                                QStringLiteral(".pdf"));
            return true;
        });
}

void SolicitarDialogo(const QString& valor) {
    Sql(QStringLiteral("DELETE FROM PARAGENE"));
    QCOMPARE(Sql(QStringLiteral("INSERT INTO PARAGENE (IdRegistro, SolicitarDialogoImpresora) "
                                "VALUES (1, '%1')")
                     .arg(valor)),
             QString());
    ModuloDatos->ParamGenerales->Refresh();
}

}  // namespace

class TestGeneSali : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QTemporaryDir temporales;

private Q_SLOTS:
    void initTestCase() {
        // Temporary page files are looked for in a folder of this test's own,
        // so that other suites running at the same time cannot show up in it.
        qputenv("TMPDIR", QFile::encodeName(temporales.path()));
        MessageSeam::activate();
    }
    void cleanupTestCase() { MessageSeam::deactivate(); }
    void init() { MessageSeam::clearLog(); }
    void cleanup() {
        AsignarSeamImpresoras({}, {});
        AsignarSeamDialogos({});
    }

    void pdfConSusPaginas() {
        auto ds = Empleados(30);
        InformePrueba inf(ds.get());
        const QString ruta = dir.filePath(QStringLiteral("listado.pdf"));
        QVERIFY(ImprimirInforme(nullptr, inf.rep, QStringLiteral("PDF:") + ruta));
        QCOMPARE(PdfPageCount(ruta), 3);
        QCOMPARE(inf.rep->QRPrinter()->PageCount(), 3);
        QVERIFY(PaginasTemporales().isEmpty());
        QCOMPARE(inf.ejecuciones, 1);
        QCOMPARE(inf.finales, 1);
        QVERIFY(MessageSeam::log().isEmpty());

        // The pages held are written again without a new run; the end is told.
        const QString segunda = dir.filePath(QStringLiteral("segunda.pdf"));
        QVERIFY(ImprimirInforme(nullptr, inf.rep,
                                QStringLiteral("PDF:") + segunda + QStringLiteral("PDF:otra.pdf")));
        QCOMPARE(PdfPageCount(segunda), 3);
        QVERIFY(!QFile::exists(segunda + QStringLiteral("PDF:otra.pdf")));
        QCOMPARE(inf.ejecuciones, 1);
        QCOMPARE(inf.finales, 2);
    }

    // A job to a file draws its pages straight into it: the same pages, texts
    // and paper as the pages a preview made and then wrote; the pages' texts
    // stay at hand for the text exports, made again only when asked for.
    void pdfDirectoComoElPrevisualizado_data() {
        QTest::addColumn<int>("orientacion");
        QTest::addColumn<int>("papel");
        QTest::newRow("A4 apaisado") << int(poLandscape) << int(TQRPaperSize::A4);
        QTest::newRow("A5 vertical") << int(poPortrait) << int(TQRPaperSize::A5);
    }
    void pdfDirectoComoElPrevisualizado() {
        QFETCH(int, orientacion);
        QFETCH(int, papel);
        auto ds = Empleados(45);
        auto elegirPapel = [&](InformePrueba& inf) {
            // The report's own start chooses the paper, as listings do.
            inf.rep->BeforePrint = [&inf, orientacion, papel](QObject*, bool&) {
                ++inf.ejecuciones;
                inf.rep->Page.Orientation = TPrinterOrientation(orientacion);
                inf.rep->Page.PaperSize = TQRPaperSize(papel);
            };
        };
        InformePrueba directo(ds.get());
        elegirPapel(directo);
        const QString rutaDirecta = dir.filePath(QStringLiteral("directo.pdf"));
        QVERIFY(ImprimirInforme(nullptr, directo.rep, QStringLiteral("PDF:") + rutaDirecta));

        InformePrueba previo(ds.get());
        elegirPapel(previo);
        previo.rep->Prepare();
        const QString rutaPrevia = dir.filePath(QStringLiteral("previo.pdf"));
        QVERIFY(ImprimirInforme(nullptr, previo.rep, QStringLiteral("PDF:") + rutaPrevia));

        QCOMPARE(PaginasPdf(rutaDirecta), 5);
        QCOMPARE(PaginasPdf(rutaPrevia), 5);
        QCOMPARE(directo.rep->QRPrinter()->PageCount(), 5);
        const QString texto = TextoPdfMaquetado(rutaDirecta);
        QVERIFY2(texto.contains(QStringLiteral("LISTADO DE PRUEBA")), qPrintable(texto));
        QVERIFY(texto.contains(QStringLiteral("Empleado 45")));
        QCOMPARE(texto, TextoPdfMaquetado(rutaPrevia));
        for (int pagina : {1, 5}) {
            const QList<Palabra> a = PalabrasPdf(rutaDirecta, pagina);
            const QList<Palabra> b = PalabrasPdf(rutaPrevia, pagina);
            QCOMPARE(a.size(), b.size());
            for (qsizetype i = 0; i < a.size(); ++i) {
                QCOMPARE(a[i].texto, b[i].texto);
                QVERIFY2(qAbs(a[i].caja.left() - b[i].caja.left()) < 0.5 &&
                             qAbs(a[i].caja.top() - b[i].caja.top()) < 0.5 &&
                             qAbs(a[i].caja.height() - b[i].caja.height()) < 0.5,
                         qPrintable(a[i].texto));
            }
        }
        QCOMPARE(directo.ejecuciones, 1);

        // The text export reads the same pages, made again for it.
        const QString txtDirecto = dir.filePath(QStringLiteral("directo.txt"));
        const QString txtPrevio = dir.filePath(QStringLiteral("previo.txt"));
        TQRTextFilter filtroDirecto(txtDirecto);
        TQRTextFilter filtroPrevio(txtPrevio);
        QVERIFY(directo.rep->ExportToFilter(filtroDirecto));
        QVERIFY(previo.rep->ExportToFilter(filtroPrevio));
        QFile a(txtDirecto), b(txtPrevio);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        const QByteArray textoDirecto = a.readAll();
        QVERIFY(textoDirecto.contains("Empleado 45"));
        QCOMPARE(textoDirecto, b.readAll());
        QCOMPARE(directo.rep->QRPrinter()->PageCount(), 5);
    }

    void papeles() {
        auto ds = Empleados(1);
        InformePrueba inf(ds.get());
        QCOMPARE(PapelPDF(inf.rep), QStringLiteral("A4-Apaisado"));
        inf.rep->Page.Orientation = poPortrait;
        QCOMPARE(PapelPDF(inf.rep), QStringLiteral("A4"));
        inf.rep->Page.PaperSize = TQRPaperSize::A5;
        QCOMPARE(PapelPDF(inf.rep), QStringLiteral("A5"));
        inf.rep->Page.PaperSize = TQRPaperSize::A3;
        inf.rep->Page.Orientation = poLandscape;
        QCOMPARE(PapelPDF(inf.rep), QStringLiteral("A3-Apaisado"));
        inf.rep->Page.PaperSize = TQRPaperSize::Letter;
        QCOMPARE(PapelPDF(inf.rep), QStringLiteral("A4-Apaisado"));

        // An A5 portrait page gives an A5 PDF page, whatever the picture holds.
        inf.rep->Page.PaperSize = TQRPaperSize::A5;
        inf.rep->Page.Orientation = poPortrait;
        const QString ruta = dir.filePath(QStringLiteral("a5.pdf"));
        QVERIFY(ImprimirInforme(nullptr, inf.rep, QStringLiteral("PDF:") + ruta));
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::ReadOnly));
        static const QRegularExpression kCaja(
            QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([\\d.]+)\\s+([\\d.]+)"));
        const QRegularExpressionMatch m = kCaja.match(QString::fromLatin1(f.readAll()));
        QVERIFY(m.hasMatch());
        QVERIFY(qAbs(m.captured(1).toDouble() - 419.5) < 1);  // 148 mm in points
        QVERIFY(qAbs(m.captured(2).toDouble() - 595.3) < 1);  // 210 mm
    }

    void nadaQueEscribir() {
        auto ds = Empleados(0);
        InformePrueba inf(ds.get());
        inf.rep->setPrintIfEmpty(false);
        const QString ruta = dir.filePath(QStringLiteral("vacio.pdf"));
        QVERIFY(!ImprimirInforme(nullptr, inf.rep, QStringLiteral("PDF:") + ruta));
        QVERIFY(!QFile::exists(ruta));
        QVERIFY(MessageSeam::log().isEmpty());
        QVERIFY(!ImprimirInforme(nullptr, nullptr, QStringLiteral("PDF:") + ruta));
    }

    void pdfQueNoSePuedeEscribir() {
        auto ds = Empleados(12);
        InformePrueba inf(ds.get());
        const QString ruta = dir.filePath(QStringLiteral("no/existe/listado.pdf"));
        QVERIFY(!ImprimirInforme(nullptr, inf.rep, QStringLiteral("PDF:") + ruta));
        QVERIFY(!QFile::exists(ruta));
        QVERIFY(PaginasTemporales().isEmpty());
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log()[0].kind, QStringLiteral("A"));
        QVERIFY(MessageSeam::log()[0].text.startsWith(
            QStringLiteral("Se ha producido un error al generar el archivo PDF. Motivo: ")));
        QCOMPARE(inf.finales, 1);

        // The writer itself, without pages or without a target.
        QVERIFY(!CrearPDF(ruta + QStringLiteral("|") + dir.filePath(QStringLiteral("NADA_")),
                          QStringLiteral("A4"))
                     .isEmpty());
        QVERIFY(!CrearPDF(QStringLiteral("sin barra"), QStringLiteral("A4")).isEmpty());
    }

    void impresoraPorNombre() {
        ImpresorasDePrueba(dir.path(),
                           {QStringLiteral("Oficina Laser"), QStringLiteral("Almacen")});
        auto ds = Empleados(30);
        InformePrueba inf(ds.get());
        QVERIFY(ImprimirInforme(nullptr, inf.rep, QStringLiteral("Laser")));
        QCOMPARE(inf.rep->PrinterSettings.PrinterName, QStringLiteral("Oficina Laser"));
        QCOMPARE(PdfPageCount(dir.filePath(QStringLiteral("Oficina Laser.pdf"))), 3);
        QCOMPARE(inf.finales, 1);

        // Letter case counts; no printer, no message; "PDF:" inside is a name.
        QVERIFY(!ImprimirInforme(nullptr, inf.rep, QStringLiteral("laser")));
        QVERIFY(!ImprimirInforme(nullptr, inf.rep, QStringLiteral("xPDF:y.pdf")));
        QVERIFY(!QFile::exists(QStringLiteral("y.pdf")));
        QCOMPARE(inf.finales, 3);  // the end is told although nothing printed
        QVERIFY(MessageSeam::log().isEmpty());

        // A printer that cannot be used prints nothing.
        AsignarSeamImpresoras([] { return QStringList{QStringLiteral("Rota")}; },
                              [](QPrinter&, const QString&) { return false; });
        QVERIFY(!ImprimirInforme(nullptr, inf.rep, QStringLiteral("Rota")));
        QCOMPARE(inf.finales, 4);
    }

    void dialogoSegunLaEmpresa() {
        TestInstalacion inst(Engine::Sqlite, {.empresas = {1}, .empresaActual = 1});
        { TModuloDatos crear; }
        TModuloDatos modulo;
        ImpresorasDePrueba(dir.path(), {});
        int dialogos = 0;
        bool confirmar = false;
        AsignarSeamDialogos([&](QObject* d) {
            auto* p = qobject_cast<TPrintDialog*>(d);
            if (!p) return false;
            ++dialogos;
            p->Printer().setOutputFormat(QPrinter::PdfFormat);
            p->Printer().setOutputFileName(dir.filePath(QStringLiteral("dialogo.pdf")));
            p->FromPage = 2;
            p->ToPage = 2;
            return confirmar;
        });
        auto ds = Empleados(30);
        InformePrueba inf(ds.get());

        SolicitarDialogo(QStringLiteral("NO"));
        QVERIFY(ImprimirInforme(&modulo, inf.rep, QString()));
        QCOMPARE(dialogos, 0);
        QCOMPARE(PdfPageCount(dir.filePath(QStringLiteral("defecto.pdf"))), 3);

        // Only "NO" skips the dialog; a cancelled dialog prints nothing.
        SolicitarDialogo(QStringLiteral("no"));
        const int finales = inf.finales;
        QVERIFY(!ImprimirInforme(&modulo, inf.rep, QString()));
        QCOMPARE(dialogos, 1);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("dialogo.pdf"))));
        QCOMPARE(inf.finales, finales + 1);

        confirmar = true;
        QVERIFY(ImprimirInforme(&modulo, inf.rep, QString()));
        QCOMPARE(inf.rep->PrinterSettings.FirstPage, 2);
        QCOMPARE(inf.rep->PrinterSettings.LastPage, 2);
        QCOMPARE(PdfPageCount(dir.filePath(QStringLiteral("dialogo.pdf"))), 1);
    }

    void tituloYGrafico() {
        NombreEmpresaActual = QStringLiteral("Industrias del Norte, S.A.");
        QString titulo = QStringLiteral("antes");
        TituloEmpresaListados(nullptr, titulo);
        QCOMPARE(titulo, NombreEmpresaActual);

        // Without a chart window installed nothing shows.
        const TGanchoMostrarGrafico instalado = GanchoMostrarGrafico;
        GanchoMostrarGrafico = nullptr;
        MostrarGrafico(nullptr, QStringLiteral("Titulo=x;"), QStringLiteral("1;2"));  // no window
        static QStringList recibido;
        GanchoMostrarGrafico = [](const QString& p, const QString& s) { recibido = {p, s}; };
        MostrarGrafico(nullptr, QStringLiteral("Titulo=Altas;Medidas=450x300;"),
                       QStringLiteral("Enero;3"));
        QCOMPARE(recibido, (QStringList{QStringLiteral("Titulo=Altas;Medidas=450x300;"),
                                        QStringLiteral("Enero;3")}));
        GanchoMostrarGrafico = instalado;
        CapturarIncidencia(nullptr, QStringLiteral("Area"), QStringLiteral("Texto"), QVariant());
    }
};

QTEST_MAIN(TestGeneSali)
#include "tst_genesali.moc"
