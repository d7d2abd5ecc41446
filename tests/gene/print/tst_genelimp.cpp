// The document print engine on a real installation, as its callers drive it:
// formats stored in IMPRESO, documents in Temporal and lines in LTemporal,
// printed to a "PDF:" target or to a printer whose output the seam turns into
// a PDF file, read back with pdfinfo, pdftotext and pdftoppm. The preview is
// driven as a user does.

#include <QElapsedTimer>
#include <QImage>
#include <QPicture>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <QSqlQuery>

#include "db/database.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/geneusua.h"
#include "gene/dialogo_modal.h"
#include "gene/print/genelimp.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/discolleno.h"
#include "support/documentoprueba.h"
#include "support/empresaprueba.h"
#include "support/instalacion.h"
#include "support/memoriaprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"

namespace {

QString ejecutar(const QString& programa, const QStringList& argumentos) {
    const QString ruta = QStandardPaths::findExecutable(programa);
    if (ruta.isEmpty()) qFatal("%s (poppler-utils) is missing", qPrintable(programa));
    QProcess p;
    p.start(ruta, argumentos);
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput());
}

int paginasPdf(const QString& pdf) {
    static const QRegularExpression re(QStringLiteral("Pages:\\s+(\\d+)"));
    return re.match(ejecutar(QStringLiteral("pdfinfo"), {pdf})).captured(1).toInt();
}

// "W x H" of page n in whole millimetres.
QString tamanoPagina(const QString& pdf, int n) {
    static const QRegularExpression re(QStringLiteral("size:\\s+([\\d.]+) x ([\\d.]+) pts"));
    const auto m = re.match(ejecutar(
        QStringLiteral("pdfinfo"),
        {QStringLiteral("-f"), QString::number(n), QStringLiteral("-l"), QString::number(n), pdf}));
    return QStringLiteral("%1 x %2")
        .arg(qRound(m.captured(1).toDouble() * 25.4 / 72))
        .arg(qRound(m.captured(2).toDouble() * 25.4 / 72));
}

QString textoPdf(const QString& pdf, int pagina = 0) {
    QStringList a;
    if (pagina > 0)
        a << QStringLiteral("-f") << QString::number(pagina) << QStringLiteral("-l")
          << QString::number(pagina);
    a << QStringLiteral("-layout") << pdf << QStringLiteral("-");
    return ejecutar(QStringLiteral("pdftotext"), a);
}

// Words of page 1 with their boxes in points.
QMap<QString, QRectF> palabrasPdf(const QString& pdf) {
    static const QRegularExpression re(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QMap<QString, QRectF> r;
    const QString salida =
        ejecutar(QStringLiteral("pdftotext"),
                 {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                  QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    for (const auto& m : re.globalMatch(salida))
        r.insert(m.captured(5),
                 QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                        QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())));
    return r;
}

double mm(double puntos) {
    return puntos * 25.4 / 72;
}

// Page 1 of a PDF as an image at 254 dots per inch: one pixel is 0.1 mm.
QImage imagenPdf(const QString& pdf, const QString& dir) {
    ejecutar(QStringLiteral("pdftoppm"),
             {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-f"),
              QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
              QStringLiteral("-png"), pdf, dir + QStringLiteral("/p")});
    QDir d(dir);
    const QStringList png = d.entryList({QStringLiteral("p*.png")});
    return png.isEmpty() ? QImage() : QImage(d.filePath(png.first()));
}

// The first dark pixel, row by row.
QPoint primerPixelOscuro(const QImage& imagen) {
    for (int y = 0; y < imagen.height(); ++y)
        for (int x = 0; x < imagen.width(); ++x)
            if (qGray(imagen.pixel(x, y)) < 100) return {x, y};
    return {-1, -1};
}

const char* const kTemporal =
    "Tabla Temporal\r\n"
    "/C/1/Codigo/ftInteger/0/*\r\n"
    "/C/2/Nombre/ftString/40/\r\n"
    "/C/3/NumeroCopias/ftInteger/0/\r\n"
    "/C/4/CodigoImpreso/ftString/20/\r\n"
    "/C/5/Importe/ftFloat/0/\r\n"
    "/C/6/FechaAlta/ftDateTime/0/\r\n"
    "/C/7/CodigoOperario/ftInteger/0/\r\n"
    "/I/1/<Primary>/Codigo/\r\n";

const char* const kLTemporal =
    "Tabla Temporal 1\r\n"
    "/C/1/Codigo/ftInteger/0/*\r\n"
    "/C/2/Linea/ftInteger/0/*\r\n"
    "/C/3/LineaMemo/ftSmallint/0/*\r\n"
    "/C/4/Concepto/ftString/40/\r\n"
    "/C/5/Importe/ftFloat/0/\r\n"
    "/C/6/Texto/ftMemo/0/\r\n"
    "/C/7/Instrucciones/ftString/100/\r\n"
    "/I/1/<Primary>/Codigo;Linea;LineaMemo/\r\n";

struct Trabajo : EmpresaPrueba {
    explicit Trabajo(Engine engine) : EmpresaPrueba(engine) {
        MessageSeam::clearLog();
        NombreLlamadorImpreso.clear();
        PrevisualizarImpreso = false;
        OmitirDialogoImpresora = true;
        CodigoImpreso = QStringLiteral("F1");
        CamposNoVisiblesUsuario.clear();
        ListadoCancelado = false;
        // No real dialog may wait for a user.
        AsignarSeamDialogos([](QObject*) { return true; });
        // RH_GUARDAR_PDF keeps the files a test wrote, to look at them.
        dir.setAutoRemove(qEnvironmentVariableIsEmpty("RH_GUARDAR_PDF"));
        if (!dir.autoRemove()) qInfo("%s", qPrintable(dir.path()));
    }
    ~Trabajo() {
        liberar();  // an engine a case left open, with its work folder
        AsignarSeamImpreso(nullptr);
        AsignarSeamDialogos(nullptr);
        PrevisualizarImpreso = false;
        NombreLlamadorImpreso.clear();
    }

    void formato(const QString& codigo, const QString& programa,
                 const QString& papel = QStringLiteral("A4"),
                 const QString& modo = QStringLiteral("Grafico"),
                 const QString& impresora = QStringLiteral("Predeterminada")) {
        TTable t;
        t.setTableName(QStringLiteral("IMPRESO"));
        QVERIFY(AbrirTabla(fGENEINIC, &t));
        if (t.FindKey({codigo}))
            t.Edit();
        else
            t.Append();
        t.FieldByName(QStringLiteral("Codigo"))->setAsString(codigo);
        t.FieldByName(QStringLiteral("Descripcion"))
            ->setAsString(QStringLiteral("Ficha ") + codigo);
        t.FieldByName(QStringLiteral("Modo"))->setAsString(modo);
        t.FieldByName(QStringLiteral("Formato"))->setAsString(papel);
        t.FieldByName(QStringLiteral("ImpresoraPorDefecto"))->setAsString(impresora);
        t.FieldByName(QStringLiteral("Instrucciones"))->setAsString(programa);
        t.Post();
    }

    // A new engine with its work tables, the lines' table only when asked.
    TfGENELIMP* motor(bool lineas = false) {
        OmitirDialogoImpresora = true;  // an engine freed clears it
        f = new TfGENELIMP;
        CrearTablaEstructura(fGENEINIC, f->Temporal, QLatin1String(kTemporal), -1);
        f->Temporal->Open();
        if (lineas) {
            CrearTablaEstructura(fGENEINIC, f->LTemporal, QLatin1String(kLTemporal), -1);
            f->LTemporal->setIndexFieldNames(QStringLiteral("Codigo;Linea;LineaMemo"));
            f->LTemporal->setMasterFields(QStringLiteral("Codigo"));
            f->LTemporal->Open();
        }
        return f;
    }

    void documento(int codigo, const QString& nombre, int copias = 1,
                   const QString& impreso = QString(), double importe = 0) {
        f->Temporal->Append();
        f->Temporal->FieldByName(QStringLiteral("Codigo"))->setAsInteger(codigo);
        f->Temporal->FieldByName(QStringLiteral("Nombre"))->setAsString(nombre);
        f->Temporal->FieldByName(QStringLiteral("NumeroCopias"))->setAsInteger(copias);
        f->Temporal->FieldByName(QStringLiteral("CodigoImpreso"))->setAsString(impreso);
        f->Temporal->FieldByName(QStringLiteral("Importe"))->setAsFloat(importe);
        f->Temporal->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(codigo);
        f->Temporal->Post();
    }

    void linea(int codigo, int linea, const QString& concepto, double importe = 0,
               const QString& texto = QString(), const QString& instrucciones = QString()) {
        f->LTemporal->Append();
        f->LTemporal->FieldByName(QStringLiteral("Codigo"))->setAsInteger(codigo);
        f->LTemporal->FieldByName(QStringLiteral("Linea"))->setAsInteger(linea);
        f->LTemporal->FieldByName(QStringLiteral("LineaMemo"))->setAsInteger(0);
        f->LTemporal->FieldByName(QStringLiteral("Concepto"))->setAsString(concepto);
        f->LTemporal->FieldByName(QStringLiteral("Importe"))->setAsFloat(importe);
        f->LTemporal->FieldByName(QStringLiteral("Texto"))->setAsString(texto);
        f->LTemporal->FieldByName(QStringLiteral("Instrucciones"))->setAsString(instrucciones);
        f->LTemporal->Post();
    }

    // The job to a "PDF:" file; its path.
    QString aPdf(const QString& nombre = QStringLiteral("x.pdf")) {
        const QString pdf = dir.filePath(nombre);
        f->DestinoImpreso = QStringLiteral("PDF:") + pdf;
        f->EjecutarImpreso();
        return pdf;
    }

    // The job to the printer, whose output the seam writes to a PDF file.
    QString aImpresora(const QString& nombre = QStringLiteral("impresora.pdf")) {
        const QString pdf = dir.filePath(nombre);
        AsignarSeamImpreso(
            [pdf](const QString&) -> QString { return QStringLiteral("PDF:") + pdf; });
        f->EjecutarImpreso();
        return pdf;
    }

    void liberar() {
        delete f;
        f = nullptr;
    }

    // A new engine whose Temporal holds one row: Codigo 1 and Texto of that
    // type ("ftMemo/0", "ftString/200") holding `texto`.
    void filaDeTexto(const QString& tipo, const QString& texto) {
        f = new TfGENELIMP;
        CrearTablaEstructura(fGENEINIC, f->Temporal,
                             QStringLiteral("Tabla Temporal\r\n/C/1/Codigo/ftInteger/0/*\r\n"
                                            "/C/2/Texto/%1/\r\n/I/1/<Primary>/Codigo/\r\n")
                                 .arg(tipo),
                             -1);
        f->Temporal->Open();
        f->Temporal->Append();
        f->Temporal->FieldByName(QStringLiteral("Codigo"))->setAsInteger(1);
        f->Temporal->FieldByName(QStringLiteral("Texto"))->setAsString(texto);
        f->Temporal->Post();
    }

    QTemporaryDir dir;
    TfGENELIMP* f = nullptr;
};

// The print dialog answers a PDF printed into the file pdf.
void ElegirArchivoEnDialogo(const QString& pdf) {
    AsignarSeamDialogos([pdf](QObject* d) {
        if (auto* dialogo = qobject_cast<TPrintDialog*>(d)) {
            dialogo->Printer().setOutputFormat(QPrinter::PdfFormat);
            dialogo->Printer().setOutputFileName(pdf);
        }
        return true;
    });
    OmitirDialogoImpresora = false;
}

// Runs Accion on a preview once all its pages are made (at once when they are).
void AlTerminarVista(TfGENELIMP* v, const std::function<void()>& Accion) {
    if (v->Generando)
        QObject::connect(v, &TfGENELIMP::FinGeneracion, v, Accion, Qt::SingleShotConnection);
    else
        Accion();
}

const QString kCuerpo = QStringLiteral(
    "[SISTEMA]\r\n"
    "Margenes=10;10\r\n"
    "[CABECERA]\r\n"
    "Camp=0;0;0;Nombre\r\n"
    "Vari=100;0;0;NumeroCopia\r\n");

}  // namespace

class TestGeneLimp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    // Copies of a document: NumeroCopias on the printer, one in the preview;
    // out of range gives one.
    void copias_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("copias");
        QTest::addColumn<int>("paginas");
        for (Engine e : AvailableEngines()) {
            const QByteArray t = EngineTag(e).toLatin1();
            QTest::newRow(QByteArray(t + ":3").constData()) << int(e) << 3 << 3;
            QTest::newRow(QByteArray(t + ":0").constData()) << int(e) << 0 << 1;
            QTest::newRow(QByteArray(t + ":10000").constData()) << int(e) << 10000 << 1;
            QTest::newRow(QByteArray(t + ":9999").constData()) << int(e) << 9999 << 9999;
        }
    }
    void copias() {
        QFETCH(int, engine);
        QFETCH(int, copias);
        QFETCH(int, paginas);
        if (copias == 9999 && Engine(engine) != Engine::Sqlite) return;  // one engine is enough
        Trabajo t{Engine(engine)};
        t.formato(QStringLiteral("F1"), kCuerpo);
        t.motor();
        t.documento(1, QStringLiteral("Ana"), copias);
        const QString pdf = t.aImpresora();
        QCOMPARE(paginasPdf(pdf), paginas);
        if (copias == 3) {
            const QString texto = textoPdf(pdf, 3);
            QVERIFY2(texto.contains(QLatin1String("Ana")) && texto.contains(QLatin1String("3")),
                     qPrintable(texto));
            t.liberar();
            // The preview makes one page whatever the copies.
            PrevisualizarImpreso = true;
            t.motor();
            t.documento(1, QStringLiteral("Ana"), 3);
            int vistas = -1;
            AlMostrarse<TfGENELIMP>([&](TfGENELIMP* v) {
                vistas = int(v->Paginas.size());
                v->Close();
            });
            t.f->EjecutarImpreso();
            QCOMPARE(vistas, 1);
            QVERIFY(t.f->Paginas.empty());  // freed when the preview ends
        }
    }

    // The format of each document: "Por Defecto" takes the job's, another
    // code switches paper and program from that row on; missing formats.
    void formatos_data() { AddEngineRows(); }
    void formatos() {
        QFETCH(int, engine);
        Trabajo t{Engine(engine)};
        t.formato(QStringLiteral("F1"), kCuerpo);
        t.formato(QStringLiteral("APAIS"),
                  QStringLiteral("[CABECERA]\r\nText=10;10;0;Apaisado\r\nCamp=10;20;0;Nombre\r\n"),
                  QStringLiteral("A5-Apaisado"));
        t.formato(QStringLiteral("MEDIDA"), QStringLiteral("[CABECERA]\r\nText=10;10;0;Medida\r\n"),
                  QStringLiteral("150x100"));
        t.formato(QStringLiteral("MAXIMA"), QStringLiteral("[CABECERA]\r\nText=10;10;0;Maxima\r\n"),
                  QStringLiteral("5000x100"));
        t.motor();
        t.documento(1, QStringLiteral("Ana"), 1, QStringLiteral("Por Defecto"));
        t.documento(2, QStringLiteral("Luis"), 1, QStringLiteral("APAIS"));
        t.documento(3, QStringLiteral("Eva"), 1, QStringLiteral("MEDIDA"));
        t.documento(4, QStringLiteral("Paz"), 1, QStringLiteral("NOEXISTE"));
        t.documento(5, QStringLiteral("Rui"), 1, QStringLiteral("MAXIMA"));
        const QString pdf = t.aPdf();
        QCOMPARE(paginasPdf(pdf), 5);
        QCOMPARE(tamanoPagina(pdf, 1), QStringLiteral("210 x 297"));
        QCOMPARE(tamanoPagina(pdf, 2), QStringLiteral("210 x 149"));
        QCOMPARE(tamanoPagina(pdf, 3), QStringLiteral("150 x 100"));
        QCOMPARE(tamanoPagina(pdf, 4), QStringLiteral("210 x 297"));
        QCOMPARE(tamanoPagina(pdf, 5), QStringLiteral("5000 x 100"));  // the largest paper
        QVERIFY(textoPdf(pdf, 2).contains(QLatin1String("Apaisado")));
        QVERIFY(textoPdf(pdf, 2).contains(QLatin1String("Luis")));
        QVERIFY(textoPdf(pdf, 4).contains(QLatin1String("Paz")));  // unknown: the job's format
        t.liberar();

        struct Caso {
            QString codigo;
            QString programa;
            QString mensaje;
        };
        const QList<Caso> casos{
            {QString(), kCuerpo, QStringLiteral("¡El formato del Impreso no está definido!")},
            {QStringLiteral("NADA"), kCuerpo, QStringLiteral("¡No existe el formato del Impreso!")},
            {QStringLiteral("F1"), QStringLiteral("[SISTEMA]\r\nMargenes=1;1\r\n"),
             QStringLiteral("¡No hay datos para procesar!")},
            // A header in another letter case starts no section.
            {QStringLiteral("F1"), QStringLiteral("[Cabecera]\r\nText=1;1;0;Hola\r\n"),
             QStringLiteral("¡No hay datos para procesar!")},
        };
        for (const Caso& c : casos) {
            t.formato(QStringLiteral("F1"), c.programa);
            CodigoImpreso = c.codigo;
            t.motor();
            t.documento(1, QStringLiteral("Ana"));
            MessageSeam::clearLog();
            const QString pdf = t.aPdf(QStringLiteral("nada.pdf"));
            QVERIFY2(TextosMostrados().contains(c.mensaje),
                     qPrintable(TextosMostrados().join('|')));
            QVERIFY(!QFile::exists(pdf));
            t.liberar();
        }
    }

    // A label sheet of 3 × 8 on the printer from the fifth label: the first
    // sheet holds 20 documents; a position out of range is asked again; a
    // cancelled question prints nothing.
    void etiquetas() {
        Trabajo t{Engine::Sqlite};
        t.formato(QStringLiteral("F1"), QStringLiteral("[SISTEMA]\r\n"
                                                       "FormatoEtiqueta=3;8;70;37\r\n"
                                                       "[CABECERA]\r\n"
                                                       "Camp=5;5;0;Nombre\r\n"));
        t.motor();
        for (int i = 1; i <= 30; ++i)
            t.documento(i, QStringLiteral("Doc%1").arg(i, 2, 10, QLatin1Char('0')));
        MessageSeam::enqueue(QStringLiteral("30"));
        MessageSeam::enqueue(QStringLiteral("5"));
        const QString pdf = t.aImpresora();
        QVERIFY(
            TextosMostrados().contains(QStringLiteral("La posición no puede ser mayor que 24")));
        QCOMPARE(paginasPdf(pdf), 2);
        const QMap<QString, QRectF> p = palabrasPdf(pdf);
        QVERIFY(p.contains(QStringLiteral("Doc20")));
        QVERIFY(!p.contains(QStringLiteral("Doc21")));
        // Label 5 is the middle of the second row: 5 + 70 mm across, 5 + 37 down.
        QVERIFY2(qAbs(mm(p.value(QStringLiteral("Doc01")).left()) - 75) < 1,
                 qPrintable(QString::number(mm(p.value(QStringLiteral("Doc01")).left()))));
        QVERIFY(qAbs(mm(p.value(QStringLiteral("Doc01")).top()) - 42) < 2);
        QVERIFY(textoPdf(pdf, 2).contains(QLatin1String("Doc30")));
        t.liberar();

        t.motor();
        t.documento(1, QStringLiteral("Ana"));
        MessageSeam::enqueue(MessageSeam::cancel());
        const QString nada = t.aImpresora(QStringLiteral("cancelado.pdf"));
        QVERIFY(!QFile::exists(nada));
    }

    // Body lines: page breaks with carried sums, 9999 without breaks, lines
    // excluded from the sums, and the sum of a field named twice.
    void lineas_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("fin");
        QTest::addColumn<int>("lineas");
        QTest::addColumn<int>("paginas");
        for (Engine e : AvailableEngines()) {
            const QByteArray t = EngineTag(e).toLatin1();
            QTest::newRow(QByteArray(t + ":9999").constData())
                << int(e) << QStringLiteral("9999") << 500 << 1;
            QTest::newRow(QByteArray(t + ":10 por pagina").constData())
                << int(e) << QStringLiteral("100") << 25 << 3;
        }
    }
    void lineas() {
        QFETCH(int, engine);
        QFETCH(QString, fin);
        QFETCH(int, lineas);
        QFETCH(int, paginas);
        Trabajo t{Engine(engine)};
        t.formato(QStringLiteral("F1"), QStringLiteral("[SISTEMA]\r\n"
                                                       "InicioLineas=50\r\n"
                                                       "AlturaLinea=5\r\n"
                                                       "FinLineas=") +
                                            fin +
                                            QStringLiteral("\r\n"
                                                           "[CABECERA]\r\n"
                                                           "Camp=10;10;0;Nombre\r\n"
                                                           "Vari=150;10;0;NumeroPagina\r\n"
                                                           "[LINEAS]\r\n"
                                                           "Camp=10;0;0;Concepto\r\n"
                                                           "[PIESUMAYSIGUE]\r\n"
                                                           "Text=10;280;0;Suma y sigue\r\n"
                                                           "Suma=60;280;0;Importe;;0\r\n"
                                                           "[PIE]\r\n"
                                                           "Suma=10;270;0;Importe;;0\r\n"
                                                           "Suma=60;270;0;Importe;;0\r\n"));
        t.motor(true);
        t.documento(1, QStringLiteral("Ana"));
        for (int i = 1; i <= lineas; ++i)
            t.linea(1, i, QStringLiteral("L%1").arg(i), 1, QString(),
                    i == 1 ? QStringLiteral("Inst=NoSumaYSigue") : QString());
        const QString pdf = t.aPdf();
        QCOMPARE(paginasPdf(pdf), paginas);
        const QString ultima = textoPdf(pdf, paginas);
        // Line 1 stays out of the sums; both Suma lines print the one slot.
        const QString total = QString::number(lineas - 1);
        QVERIFY2(ultima.count(QRegularExpression(QStringLiteral("\\b") + total +
                                                 QStringLiteral("\\b"))) >= 2,
                 qPrintable(ultima));
        if (paginas > 1) {
            QVERIFY(textoPdf(pdf, 1).contains(QLatin1String("Suma y sigue")));
            QVERIFY(textoPdf(pdf, 1).contains(QLatin1String("L10")));
            QVERIFY(!textoPdf(pdf, 1).contains(QLatin1String("L11")));
            QVERIFY(textoPdf(pdf, 2).contains(QLatin1String("Ana")));  // the header again
        }
    }

    // Each document prints its own lines, in a second run too: a document
    // without lines takes none of the one before.
    void lineasDeCadaDocumento_data() { AddEngineRows(); }
    void lineasDeCadaDocumento() {
        QFETCH(int, engine);
        Trabajo t{Engine(engine)};
        // Header and body, every line on one page.
        const QStringList programa{
            QStringLiteral("[SISTEMA]"),     QStringLiteral("InicioLineas=50"),
            QStringLiteral("AlturaLinea=5"), QStringLiteral("FinLineas=9999"),
            QStringLiteral("[CABECERA]"),    QStringLiteral("Camp=10;10;0;Nombre"),
            QStringLiteral("[LINEAS]"),      QStringLiteral("Camp=10;0;0;Concepto")};
        t.formato(QStringLiteral("F1"), programa.join(QStringLiteral("\r\n")));
        t.motor(true);
        t.documento(1, QStringLiteral("Ana"), 2);
        t.documento(2, QStringLiteral("Luis"));
        t.documento(3, QStringLiteral("Eva"));
        t.linea(1, 1, QStringLiteral("LineaAna1"));
        t.linea(1, 2, QStringLiteral("LineaAna2"));
        t.linea(3, 1, QStringLiteral("LineaEva1"));
        auto paginas = [](const QString& pdf) {
            QStringList r;
            for (int p = 1; p <= paginasPdf(pdf); ++p) r << textoPdf(pdf, p).simplified();
            return r;
        };
        const QStringList esperadas{QStringLiteral("Ana LineaAna1 LineaAna2"),
                                    QStringLiteral("Luis"), QStringLiteral("Eva LineaEva1")};
        QCOMPARE(paginas(t.aPdf()), esperadas);
        QCOMPARE(paginas(t.aPdf(QStringLiteral("otra.pdf"))), esperadas);
    }

    // A memo wrapped in the body: its continuation lines follow their line,
    // are stored in LTemporal, and a second run replaces them.
    void memos_data() { AddEngineRows(); }
    void memos() {
        QFETCH(int, engine);
        Trabajo t{Engine(engine)};
        t.formato(QStringLiteral("F1"), QStringLiteral("[SISTEMA]\r\n"
                                                       "InicioLineas=20\r\n"
                                                       "AlturaLinea=6\r\n"
                                                       "FinLineas=9999\r\n"
                                                       "[CABECERA]\r\n"
                                                       "Text=10;10;0;Cabecera\r\n"
                                                       "[LINEAS]\r\n"
                                                       "Camp=10;0;0;Concepto\r\n"
                                                       "Camp=50;0;30;Texto\r\n"));
        t.motor(true);
        t.documento(1, QStringLiteral("Ana"));
        t.linea(1, 1, QStringLiteral("Primera"), 0,
                QStringLiteral("uno dos tres cuatro cinco seis siete ocho nueve diez"));
        t.linea(1, 2, QStringLiteral("Segunda"));
        auto continuaciones = [&] {
            return SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM ") + t.f->LTemporal->TableName() +
                             QStringLiteral(" WHERE LineaMemo >= 1"))
                .toInt();
        };
        const QString pdf = t.aPdf();
        const int n = continuaciones();
        QVERIFY(n >= 2);
        const QString texto = textoPdf(pdf);
        QVERIFY(texto.indexOf(QLatin1String("diez")) < texto.indexOf(QLatin1String("Segunda")));
        QVERIFY(texto.indexOf(QLatin1String("Primera")) < texto.indexOf(QLatin1String("diez")));
        QCOMPARE(texto.count(QLatin1String("Primera")), 1);  // only Camp prints on them
        t.aPdf(QStringLiteral("otra.pdf"));
        QCOMPARE(continuaciones(), n);
        QCOMPARE(textoPdf(t.dir.filePath(QStringLiteral("otra.pdf"))).count(QLatin1String("diez")),
                 1);
    }

    // A memo hidden from the user prints empty, as any other hidden field,
    // whether the format names it alone or a piece of it.
    void memoOculto_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("campo");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "entero") << QStringLiteral("Texto");
            NewEngineRow(e, "una pieza") << QStringLiteral("Texto,2");
        }
    }
    void memoOculto() {
        QFETCH(int, engine);
        QFETCH(QString, campo);
        Trabajo t{Engine(engine)};
        t.formato(QStringLiteral("F1"), QStringLiteral("[CABECERA]\r\nFont=Arial;10\r\n"
                                                       "Camp=10;10;80;%1;5\r\nText=10;30;0;Fin\r\n")
                                            .arg(campo));
        t.filaDeTexto(QStringLiteral("ftMemo/0"), QStringLiteral("Reservado uno\r\nReservado dos"));
        CamposNoVisiblesUsuario = QStringLiteral("texto");
        const QString texto = textoPdf(t.aPdf());
        QVERIFY2(
            texto.contains(QStringLiteral("Fin")) && !texto.contains(QStringLiteral("Reservado")),
            qPrintable(texto));
    }

    // A memo outside the body wrapped into a 20 mm column: a word longer
    // than the column is cut into pieces that each fit, and together give
    // the word back; ordinary words break at blanks. A text field whose
    // alignment is a number of lines wraps the same way. The line limit
    // prints that many lines, the first ones, and 0 prints none.
    void memoEnColumna_data() {
        QTest::addColumn<QString>("memo");
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<int>("maximo");
        QString palabra;
        for (int i = 0; i < 30; ++i) palabra += QStringLiteral("abcdefghij");
        const QString palabras = QStringLiteral(
            "uno dos tres cuatro cinco seis siete ocho nueve diez once doce trece catorce");
        QTest::newRow("palabra larga") << palabra << "ftMemo/0" << 1000;
        QTest::newRow("palabras") << palabras << "ftMemo/0" << 1000;
        QTest::newRow("palabra larga entre otras")
            << QStringLiteral("Uno ") + palabra.left(95) + QStringLiteral(" dos") << "ftMemo/0"
            << 1000;
        QTest::newRow("texto de una palabra") << palabra.left(200) << "ftString/200" << 1000;
        QTest::newRow("texto de palabras") << palabras << "ftString/200" << 1000;
        const QString cinco = QStringLiteral("uno\r\ndos\r\ntres\r\ncuatro\r\ncinco");
        QTest::newRow("cinco lineas, limite 2") << cinco << "ftMemo/0" << 2;
        QTest::newRow("cinco lineas, limite 0") << cinco << "ftMemo/0" << 0;
        // 20 MB in one word: only the lines printed are made, each measured
        // a line's worth at a time.
        QTest::newRow("palabra de 20 MB, limite 3")
            << QString(20'000'000, QLatin1Char('x')) << "ftMemo/0" << 3;
    }
    void memoEnColumna() {
        QFETCH(QString, memo);
        QFETCH(QString, tipo);
        QFETCH(int, maximo);
        Trabajo t{Engine::Sqlite};
        t.formato(QStringLiteral("F1"), QStringLiteral("[CABECERA]\r\nFont=Arial;10\r\n"
                                                       "Camp=10;10;20;Texto;%1\r\n")
                                            .arg(maximo));
        t.filaDeTexto(tipo, memo);
        QElapsedTimer reloj;
        reloj.start();
        ReiniciarPicoMemoria();
        const qint64 antes = MemoriaMB();
        const QString pdf = t.aPdf();
        QVERIFY2(reloj.elapsed() < 10000, qPrintable(QString::number(reloj.elapsed())));
        const qint64 tomado = PicoMemoriaMB() - antes;
        QVERIFY2(tomado < LimiteMemoriaMB(320), qPrintable(QString::number(tomado)));
        QStringList lineas;
        for (const QString& l : textoPdf(pdf).split(QLatin1Char('\n')))
            if (!l.trimmed().isEmpty()) lineas << l.trimmed();
        if (memo.size() > 1'000'000) {
            QCOMPARE(lineas.size(), maximo);
            QVERIFY(memo.startsWith(lineas.join(QString())));
        } else if (maximo < 1000) {
            QCOMPARE(lineas, memo.split(QStringLiteral("\r\n")).mid(0, maximo));
            return;
        } else {
            QVERIFY2(lineas.size() > 1, qPrintable(lineas.join('|')));
            QCOMPARE(lineas.join(QLatin1Char(' ')).remove(QLatin1Char(' ')),
                     QString(memo).remove(QLatin1Char(' ')));
        }
        static const QRegularExpression re(QStringLiteral(R"re(xMax="([\d.]+)")re"));
        const QString cajas = ejecutar(QStringLiteral("pdftotext"),
                                       {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        for (const auto& m : re.globalMatch(cajas))
            QVERIFY2(mm(m.captured(1).toDouble()) <= 30.3, qPrintable(m.captured(1)));
    }

    // Margins 10 and 15 with compression 0.5: a rectangle at 20, 20 begins
    // 20 mm across and 25 mm down.
    void margenes() {
        Trabajo t{Engine::Sqlite};
        t.formato(QStringLiteral("F1"),
                  QStringLiteral("[SISTEMA]\r\n"
                                 "Margenes=10;15\r\n"
                                 "Compresion=0,5;0,5\r\n"
                                 "[CABECERA]\r\n"
                                 "Rect=20;20;40;40;1;Negro;;Negro;Solido\r\n"));
        t.motor();
        t.documento(1, QStringLiteral("Ana"));
        const QImage imagen = imagenPdf(t.aPdf(), t.dir.path());
        const QPoint p = primerPixelOscuro(imagen);
        QVERIFY2(qAbs(p.x() - 200) <= 3 && qAbs(p.y() - 250) <= 3,
                 qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
    }

    // What the commands print, read back from the PDF.
    void comandos_data() {
        QTest::addColumn<QString>("lineas");
        QTest::addColumn<QStringList>("esta");
        QTest::addColumn<QStringList>("noEsta");
        QTest::newRow("igual en Text")
            << QStringLiteral("Text=10;10;50;izq=der;D") << QStringList{QStringLiteral("izq")}
            << QStringList{QStringLiteral("der")};
        QTest::newRow("barra en Text")
            << QStringLiteral("Text=10;10;0;uno|dos;;\r\nConc=10;20;0;\"a|b\"")
            << QStringList{QStringLiteral("uno|dos"), QStringLiteral("a|b")} << QStringList{};
        QTest::newRow("etiquetas")
            << QStringLiteral("Text=10;10;0;<N><R>Aviso") << QStringList{QStringLiteral("Aviso")}
            << QStringList{QStringLiteral("<N>"), QStringLiteral("<R>")};
        QTest::newRow("fin de etiquetas") << QStringLiteral("Text=10;10;0;</><N>Tal")
                                          << QStringList{QStringLiteral("<N>Tal")} << QStringList{};
        QTest::newRow("Expr sin precedencia")
            << QStringLiteral("Expr=10;10;0;2 + 3 * 4;;0") << QStringList{QStringLiteral("20")}
            << QStringList{QStringLiteral("14")};
        QTest::newRow("Expr entre cero") << QStringLiteral("Expr=10;10;0;10 / 0;;0")
                                         << QStringList{QStringLiteral("10")} << QStringList{};
        QTest::newRow("Expr con campos") << QStringLiteral("Expr=10;10;0;Importe x 2;;0.00")
                                         << QStringList{QStringLiteral("25,00")} << QStringList{};
        QTest::newRow("Conc") << QStringLiteral("Conc=10;10;0;\"Sr. \" + Nombre + \" \\\"V\\\"\"")
                              << QStringList{QStringLiteral("Sr. Ana;BB \"V\"")} << QStringList{};
        QTest::newRow("pieza de texto")
            << QStringLiteral("Camp=10;10;0;Nombre,2") << QStringList{QStringLiteral("BB")}
            << QStringList{QStringLiteral("Ana")};
        QTest::newRow("campo que falta")
            << QStringLiteral("Camp=10;10;0;NoHay\r\nText=10;20;0;Sigue")
            << QStringList{QStringLiteral("Sigue")} << QStringList{};
        QTest::newRow("campo oculto")
            << QStringLiteral("Camp=10;10;0;Importe;;0.00\r\nText=10;20;0;Fin")
            << QStringList{QStringLiteral("Fin")} << QStringList{QStringLiteral("12,50")};
        QTest::newRow("Conexion") << QStringLiteral("Camp=10;10;0;PERSONAL.Nombre")
                                  << QStringList{QStringLiteral("Eulalia")} << QStringList{};
        QTest::newRow("Vari") << QStringLiteral(
                                     "Vari=10;10;0;NombreEmpresa\r\nVari=10;20;0;ContadorPaginas")
                              << QStringList{NombreEmpresaActual.isEmpty() ? QStringLiteral("1")
                                                                           : NombreEmpresaActual}
                              << QStringList{};
    }
    void comandos() {
        QFETCH(QString, lineas);
        QFETCH(QStringList, esta);
        QFETCH(QStringList, noEsta);
        Trabajo t{Engine::Sqlite};
        SqlPrueba(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (1, 'Eulalia')"));
        if (QString::fromLatin1(QTest::currentDataTag()) == QLatin1String("campo oculto"))
            CamposNoVisiblesUsuario = QStringLiteral("Importe");
        t.formato(QStringLiteral("F1"),
                  QStringLiteral("[SISTEMA]\r\nConexion=PERSONAL>CodigoOperario\r\n"
                                 "[CABECERA]\r\n") +
                      lineas + QStringLiteral("\r\n"));
        t.motor();
        t.documento(1, QStringLiteral("Ana;BB"), 1, QString(), 12.5);
        const QString texto = textoPdf(t.aPdf());
        for (const QString& s : esta) QVERIFY2(texto.contains(s), qPrintable(texto));
        for (const QString& s : noEsta) QVERIFY2(!texto.contains(s), qPrintable(texto));
    }

    // A field hidden from the user gives nothing to any command that reads
    // a field: its value absent from the printed page (and from the bar
    // code a scanner reads), while the same format shows it to a user who
    // may see it. The users' table gives nothing to any user.
    void camposOcultos_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("programa");
        QTest::addColumn<QString>("oculto");
        QTest::addColumn<QString>("secreto");
        const QString otra = QStringLiteral("[SISTEMA]\r\nConexion=PERSONAL>CodigoOperario\r\n");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "Camp")
                << QStringLiteral("[CABECERA]\r\nCamp=10;10;0;Importe;;0") << "Importe"
                << "947773";
            NewEngineRow(e, "Expr")
                << QStringLiteral("[CABECERA]\r\nExpr=10;10;0;Importe x 1;;0") << "Importe"
                << "947773";
            NewEngineRow(e, "Expr de la linea")
                << QStringLiteral("[LINEAS]\r\nExpr=10;0;0;Importe + 0;;0") << "Importe"
                << "947773";
            NewEngineRow(e, "Conc")
                << QStringLiteral("[CABECERA]\r\nConc=10;10;0;\"Sueldo: \" + Importe") << "Importe"
                << "947773";
            NewEngineRow(e, "Suma") << QStringLiteral(
                                           "[LINEAS]\r\nCamp=10;0;0;Concepto\r\n"
                                           "[PIE]\r\nSuma=10;100;0;Importe;;0")
                                    << "Importe"
                                    << "947773";
            NewEngineRow(e, "CBar")
                << QStringLiteral("[CABECERA]\r\nCBar=20;20;100;40;Camp:Importe;Code39;1;")
                << "Importe"
                << "CODE-39:947773";
            NewEngineRow(e, "Graf")
                << QStringLiteral("[CABECERA]\r\nGraf=10;10;30;30;Camp:Nombre") << "Nombre"
                << "rojo";
            NewEngineRow(e, "clave de Conexion")
                << otra + QStringLiteral("[CABECERA]\r\nCamp=10;10;0;PERSONAL.Nombre")
                << "CodigoOperario"
                << "Eulalia";
            NewEngineRow(e, "campo de Conexion en Expr")
                << otra + QStringLiteral("[CABECERA]\r\nExpr=10;10;0;PERSONAL.MinimoSS x 1;;0")
                << "MinimoSS"
                << "947773";
            NewEngineRow(e, "grupos de analisis")
                << QStringLiteral(
                       "[SISTEMA]\r\nGrupoAnalisis01=PERSONAL,Todas,CodigoOperario\r\n"
                       "[CABECERA]\r\nCamp=10;10;0;GrupoAnalisis01")
                << "CodigoOperario"
                << "DEPSECRETO";
            NewEngineRow(e, "clave de la tabla de usuarios")
                << QStringLiteral(
                       "[SISTEMA]\r\nConexion=USUARIO>\"JEFE\"\r\n[CABECERA]\r\n"
                       "Camp=10;10;0;USUARIO.ClaveAcceso\r\n"
                       "Conc=10;20;0;USUARIO.ClaveAcceso")
                << ""
                << "Zx4821";
        }
    }
    void camposOcultos() {
        QFETCH(int, engine);
        QFETCH(QString, programa);
        QFETCH(QString, oculto);
        QFETCH(QString, secreto);
        Trabajo t{Engine(engine)};
        SqlPrueba(
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre, MinimoSS) "
                           "VALUES (1, 'Eulalia', 947773)"));
        SqlPrueba(
            QStringLiteral("INSERT INTO GRANALIS (Codigo, Descripcion, CategoriaGrupo) "
                           "VALUES ('DEPSECRETO', 'Reservado', 'Departamento')"));
        SqlPrueba(
            QStringLiteral("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) "
                           "VALUES ('PERSONAL', '1', 'DEPSECRETO')"));
        CrearUsuarioPrueba(QStringLiteral("JEFE"), QStringLiteral("Administrador"),
                           QStringLiteral("1"));
        TQuery clave;
        clave.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("DatabaseGeneral")));
        clave.SQL().setText(QStringLiteral("UPDATE USUARIO SET ClaveAcceso = 'Zx4821'"));
        clave.ExecSQL();
        QImage rojo(40, 40, QImage::Format_RGB32);
        rojo.fill(Qt::red);
        // Named without a folder: taken from the program's folder.
        const QString imagen = QStringLiteral("secreto.png");
        QVERIFY(rojo.save(t.inst.carpeta() + QLatin1Char('/') + imagen, "PNG"));
        t.formato(QStringLiteral("F1"), programa + QStringLiteral("\r\nText=10;150;0;Fin\r\n"));
        // What the page gives: its text, the codes a scanner reads and
        // whether the red picture stands at 10, 10.
        auto impreso = [&](const QString& nombre) {
            t.motor(true);
            t.documento(1, imagen, 1, QString(), 947773);
            t.linea(1, 1, QStringLiteral("Uno"), 947773);
            const QString pdf = t.aPdf(nombre + QStringLiteral(".pdf"));
            QString r = textoPdf(pdf);
            QTemporaryDir dir;
            const QImage pagina = imagenPdf(pdf, dir.path());
            r += LeerCodigos(pagina);
            if (pagina.pixelColor(200, 200).red() > 240 && pagina.pixelColor(200, 200).green() < 16)
                r += QStringLiteral("rojo");
            t.liberar();
            return r;
        };
        if (!oculto.isEmpty()) {
            // The format reads the value indeed.
            const QString visto = impreso(QStringLiteral("visto"));
            QVERIFY2(visto.contains(secreto), qPrintable(visto));
        }
        CamposNoVisiblesUsuario = oculto;
        const QString texto = impreso(QStringLiteral("oculto"));
        CamposNoVisiblesUsuario.clear();
        QVERIFY2(texto.contains(QLatin1String("Fin")) && !texto.contains(secreto),
                 qPrintable(texto));
    }

    // Alignment by blanks within Width: "D" ends one blank short of the
    // right edge, "C" centres.
    void alineacion() {
        Trabajo t{Engine::Sqlite};
        t.formato(QStringLiteral("F1"), QStringLiteral("[CABECERA]\r\n"
                                                       "Font=Arial;10\r\n"
                                                       "Text=10;10;50;Derecha;D\r\n"
                                                       "Text=10;20;50;Centro;C\r\n"));
        t.motor();
        t.documento(1, QStringLiteral("Ana"));
        const QMap<QString, QRectF> p = palabrasPdf(t.aPdf());
        const double derecha = mm(p.value(QStringLiteral("Derecha")).right());
        QVERIFY2(derecha < 60 && derecha > 57, qPrintable(QString::number(derecha)));
        const QRectF c = p.value(QStringLiteral("Centro"));
        QVERIFY2(qAbs(mm(c.center().x()) - 35) < 2,
                 qPrintable(QString::number(mm(c.center().x()))));
        t.liberar();

        // The same text in a larger font afterwards is measured in that font.
        t.formato(QStringLiteral("F1"), QStringLiteral("[CABECERA]\r\n"
                                                       "Font=Arial;10\r\n"
                                                       "Text=10;10;50;Derecha;D\r\n"
                                                       "Font=Arial;16\r\n"
                                                       "Text=10;20;50;Derecha;D\r\n"));
        t.motor();
        t.documento(1, QStringLiteral("Ana"));
        const QRectF grande = palabrasPdf(t.aPdf()).value(QStringLiteral("Derecha"));
        QVERIFY2(grande.height() > p.value(QStringLiteral("Derecha")).height(), "not the larger");
        QVERIFY2(mm(grande.right()) < 60 && mm(grande.right()) > 57,
                 qPrintable(QString::number(mm(grande.right()))));
        t.liberar();

        // An amount sits where its blanks carry it, to the hundredth of a
        // millimetre: the same amount underlined (its blanks drawn) in the
        // same column, right-aligned and centred.
        t.formato(QStringLiteral("F1"), QStringLiteral("[CABECERA]\r\n"
                                                       "Font=Arial;10\r\n"
                                                       "Text=10;10;50;1234,50;D\r\n"
                                                       "Text=10;20;50;<S>1234,50;D\r\n"
                                                       "Text=10;30;50;-7,25;C\r\n"
                                                       "Text=10;40;50;<S>-7,25;C\r\n"));
        t.motor();
        t.documento(1, QStringLiteral("Ana"));
        const QString cajas = ejecutar(QStringLiteral("pdftotext"),
                                       {QStringLiteral("-bbox"), t.aPdf(), QStringLiteral("-")});
        for (const char* importe : {"1234,50", "-7,25"}) {
            static const QRegularExpression re(
                QStringLiteral(R"re(xMin="([\d.]+)"[^>]*>([^<]*)<)re"));
            QList<double> izquierdas;
            for (const auto& m : re.globalMatch(cajas))
                if (m.captured(2) == QLatin1String(importe)) izquierdas << m.captured(1).toDouble();
            QCOMPARE(izquierdas.size(), 2);
            QVERIFY2(qAbs(mm(izquierdas[0]) - mm(izquierdas[1])) < 0.01,
                     qPrintable(QStringLiteral("%1 %2").arg(izquierdas[0]).arg(izquierdas[1])));
        }
    }

    // OriginalCopia on three printed copies; the format editor's test print
    // shows field and expression names.
    void copiasYPrueba() {
        Trabajo t{Engine::Sqlite};
        t.formato(QStringLiteral("F1"),
                  QStringLiteral("[CABECERA]\r\n"
                                 "Vari=10;10;0;OriginalCopia,Original,Duplicado\r\n"
                                 "Vari=10;20;0;OriginalCopia\r\n"));
        t.motor();
        t.documento(1, QStringLiteral("Ana"), 3);
        const QString pdf = t.aImpresora();
        QVERIFY(textoPdf(pdf, 1).contains(QLatin1String("Original")));
        QVERIFY(textoPdf(pdf, 1).contains(QLatin1String("ORIGINAL")));
        QVERIFY(textoPdf(pdf, 2).contains(QLatin1String("Duplicado")));
        QVERIFY(textoPdf(pdf, 3).contains(QLatin1String("COPIA")));
        t.liberar();

        NombreLlamadorImpreso = QStringLiteral("fGENEIMPR");
        t.formato(QStringLiteral("F1"), QStringLiteral("[CABECERA]\r\n"
                                                       "Camp=10;10;0;FechaAlta\r\n"
                                                       "Expr=10;20;0;ImporteBruto\r\n"));
        t.motor();
        t.documento(1, QStringLiteral("Ana"));
        const QString texto = textoPdf(t.aPdf(QStringLiteral("prueba.pdf")));
        QVERIFY2(texto.contains(QLatin1String("F.Alta")), qPrintable(texto));
        QVERIFY2(texto.contains(QLatin1String("I.Bruto")), qPrintable(texto));
    }

    // An unwritable "PDF:" folder: the PDF warning, nothing else written.
    void pdfNoGrabable() {
        Trabajo t{Engine::Sqlite};
        t.formato(QStringLiteral("F1"), kCuerpo);
        t.motor();
        t.documento(1, QStringLiteral("Ana"));
        t.f->DestinoImpreso = QStringLiteral("PDF:/proc/no/existe.pdf");
        t.f->EjecutarImpreso();
        QVERIFY(TextosMostrados().join('|').contains(
            QLatin1String("Se ha producido un error al generar el archivo PDF. Motivo: ")));

        // A file chosen in the print dialog that cannot be made: its name and
        // the reason, not the printer's.
        MessageSeam::clearLog();
        const QString pdf = t.dir.filePath(QStringLiteral("no existe/x.pdf"));
        ElegirArchivoEnDialogo(pdf);
        t.f->DestinoImpreso.clear();
        t.f->EjecutarImpreso();
        QVERIFY2(TextosMostrados().join('|').contains(
                     QStringLiteral("¡No es posible grabar el archivo ") + pdf +
                     QStringLiteral("!. Motivo: la carpeta no existe")),
                 qPrintable(TextosMostrados().join('|')));
        QVERIFY(!QFile::exists(pdf));
    }

    // A disk that fills up while the document is written: the PDF warning,
    // the earlier document stays whole and nothing is left beside it.
    void pdfSinEspacio_data() { AddEngineRows(); }
    void pdfSinEspacio() {
        QFETCH(int, engine);
        Trabajo t{Engine(engine)};
        t.formato(QStringLiteral("F1"), kCuerpo);
        t.motor();
        for (int i = 1; i <= 3; ++i) t.documento(i, QStringLiteral("Łukasz %1").arg(i));
        const QString pdf = t.dir.filePath(QStringLiteral("x.pdf"));
        {
            QFile anterior(pdf);
            QVERIFY(anterior.open(QIODevice::WriteOnly));
            anterior.write("anterior");
        }
        const QStringList antes = EntradasCarpeta(t.dir.path());
        {
            TDiscoLleno lleno(1500);
            t.aPdf();
        }
        QVERIFY2(TextosMostrados().join('|').contains(
                     QLatin1String("Se ha producido un error al generar el archivo PDF. Motivo: ")),
                 qPrintable(TextosMostrados().join('|')));
        QFile leido(pdf);
        QVERIFY(leido.open(QIODevice::ReadOnly));
        QCOMPARE(leido.readAll(), QByteArray("anterior"));
        QCOMPARE(EntradasCarpeta(t.dir.path()), antes);

        // The same job printed into the file the print dialog chose.
        MessageSeam::clearLog();
        ElegirArchivoEnDialogo(pdf);
        t.f->DestinoImpreso.clear();
        {
            TDiscoLleno lleno(1500);
            t.f->EjecutarImpreso();
        }
        QVERIFY2(TextosMostrados().join('|').contains(
                     QStringLiteral("¡No es posible grabar el archivo ") + pdf),
                 qPrintable(TextosMostrados().join('|')));
        leido.seek(0);
        QCOMPARE(leido.readAll(), QByteArray("anterior"));
        QCOMPARE(EntradasCarpeta(t.dir.path()), antes);
    }

    // The shipped formats fill a new company's IMPRESO, never an existing
    // one, and print the sheet their document type names. The table is first
    // made by the query that lists the formats, as the sheet dialogs read them.
    void formatosEnviados_data() { AddEngineRows(); }
    void formatosEnviados() {
        QFETCH(int, engine);
        Trabajo t{Engine(engine)};
        QDir().mkpath(t.inst.carpeta() + QStringLiteral("/impresos"));
        const QDir fuente(CarpetaDatosFuente() + QStringLiteral("/impresos"));
        for (const QString& a : fuente.entryList(QDir::Files))
            QFile::copy(fuente.filePath(a), t.inst.carpeta() + QStringLiteral("/impresos/") + a);
        auto filas = [] {
            return SqlPrueba(
                QStringLiteral("SELECT Codigo, TipoDocumento, Modo, Formato FROM "
                               "IMPRESO ORDER BY Codigo"));
        };
        {
            TQuery q;
            q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
            q.setRequestLive(false);
            q.SQL().setText(QStringLiteral("SELECT Codigo FROM IMPRESO"));
            QVERIFY(AbrirConsulta(t.modulo.get(), &q, QStringLiteral("Open Silencio")));
        }
        const QString esperadas = filas();
        QVERIFY2(esperadas.contains(QLatin1String("FichaCandidato")) &&
                     esperadas.contains(QLatin1String("Ficha Evaluacion")) &&
                     esperadas.contains(QLatin1String("Ficha Personal")),
                 qPrintable(esperadas));
        SqlPrueba(QStringLiteral("DELETE FROM IMPRESO WHERE Codigo = 'FichaCandidato'"));
        {
            TTable impreso;
            impreso.setTableName(QStringLiteral("IMPRESO"));
            QVERIFY(AbrirTabla(fGENEINIC, &impreso));
        }
        QVERIFY(!filas().contains(QLatin1String("FichaCandidato")));

        CodigoImpreso = QStringLiteral("FichaPersonal");
        t.f = new TfGENELIMP;
        CrearTablaEstructura(fGENEINIC, t.f->Temporal,
                             QStringLiteral("Tabla Temporal\r\n"
                                            "/C/1/CodigoOperario/ftInteger/0/*\r\n"
                                            "/C/2/NombreOperario/ftString/40/\r\n"
                                            "/C/3/DNI/ftString/15/\r\n"
                                            "/C/4/OtrosPuestos/ftMemo/0/\r\n"
                                            "/I/1/<Primary>/CodigoOperario/\r\n"),
                             -1);
        t.f->Temporal->Open();
        t.f->Temporal->Append();
        t.f->Temporal->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(7);
        t.f->Temporal->FieldByName(QStringLiteral("NombreOperario"))
            ->setAsString(QStringLiteral("Ruiz Gil, Ana"));
        t.f->Temporal->FieldByName(QStringLiteral("DNI"))->setAsString(QStringLiteral("12345678Z"));
        t.f->Temporal->FieldByName(QStringLiteral("OtrosPuestos"))
            ->setAsString(QStringLiteral("Tornero\r\nFresador"));
        t.f->Temporal->Post();
        const QString texto = textoPdf(t.aPdf());
        for (const char* s :
             {"FICHA DE PERSONAL", "Ruiz Gil, Ana", "12345678Z", "Tornero", "Fresador"})
            QVERIFY2(texto.contains(QLatin1String(s)), qPrintable(texto));
    }

    // "Texto" on a printer: one raw stream of rows by line feeds and reverse
    // feeds, text in code page 850, raw codes; the preview draws the grid.
    void modoTexto() {
        Trabajo t{Engine::Sqlite};
        t.formato(QStringLiteral("F1"),
                  QStringLiteral("[CABECERA]\r\n"
                                 "Text=2;3;0;Año\r\n"
                                 "Text=5;1;4;abcdefgh\r\n"
                                 "Text=0;2;10;ab;D\r\n"
                                 "Text=0;3;9;ab;C\r\n"
                                 "Asci=27,64\r\n"),
                  QStringLiteral("A4"), QStringLiteral("Texto"));
        t.motor();
        t.documento(1, QStringLiteral("Ana"));
        t.documento(2, QStringLiteral("Luis"));
        t.aImpresora();
        // Aligned in character columns: "D" ends one blank short of the
        // width, "C" centres (7 blanks, then 3).
        const QByteArray uno = QByteArray("\n\n\n  A\xa4o\r", 9) +
                               QByteArray("\x1bj$\x1bj$     abcd\r", 16) +
                               QByteArray("\n       ab\r\n   ab\r\x1b@");
        QCOMPARE(t.f->FlujoTexto, uno + '\f' + uno);
        t.liberar();

        // The same format on a page: text in the grid's columns and rows.
        t.motor();
        t.documento(1, QStringLiteral("Ana"));
        const QMap<QString, QRectF> p = palabrasPdf(t.aPdf());
        QVERIFY2(qAbs(mm(p.value(QStringLiteral("Año")).left()) - 2 * 2.54) < 0.5,
                 qPrintable(QString::number(mm(p.value(QStringLiteral("Año")).left()))));
        QVERIFY(p.contains(QStringLiteral("abcdefgh")) || p.contains(QStringLiteral("abcd")));
    }

    // The preview as a user drives it: paging within the pages made, the
    // initial zoom and the grid from the company parameters, the 25-page
    // question answered "NO", the shown page's document printed alone, the
    // PDF export and a print after it.
    void vistaPrevia_data() {
        QTest::addColumn<QString>("zoom");
        QTest::addColumn<QString>("sinRegla");
        QTest::newRow("normal") << QStringLiteral("Normal") << QString();
        QTest::newRow("150 sin regla") << QStringLiteral("150") << QStringLiteral("SI");
    }
    void vistaPrevia() {
        QFETCH(QString, zoom);
        QFETCH(QString, sinRegla);
        Trabajo t{Engine::Sqlite};
        TTable* p = ModuloDatos->ParamGenerales;
        p->Edit();
        p->FieldByName(QStringLiteral("FmtVisualizacionPrevia"))->setAsString(zoom);
        p->FieldByName(QStringLiteral("PrevisualizacionSinRegla"))->setAsString(sinRegla);
        p->Post();
        t.formato(QStringLiteral("F1"), kCuerpo);
        t.formato(QStringLiteral("F2"), kCuerpo);
        PrevisualizarImpreso = true;
        t.motor();
        // The second document is drawn with a format of its own.
        for (int i = 1; i <= 3; ++i)
            t.documento(i, QStringLiteral("Doc%1").arg(i), 2, i == 2 ? QStringLiteral("F2") : "");
        const QString exportado = t.dir.filePath(QStringLiteral("exportado"));
        QString propuesto;
        AsignarSeamDialogos([&](QObject* d) {
            if (auto* f = qobject_cast<TFileDialog*>(d)) {
                propuesto = f->FileName + QLatin1Char('|') + f->Filter;
                f->FileName = exportado;
            }
            return true;
        });
        const QString impresora = t.dir.filePath(QStringLiteral("impresora.pdf"));
        AsignarSeamImpreso(
            [&](const QString&) -> QString { return QStringLiteral("PDF:") + impresora; });
        bool comprobado = false;
        auto comprobar = [&](TfGENELIMP* v) {
            QCOMPARE(v->Caption(), QStringLiteral("Previsualización de Ficha F1"));
            QCOMPARE(int(v->Paginas.size()), 3);
            const int z = zoom == QLatin1String("150") ? 150 : 100;
            QCOMPARE(v->SpinEditZoom->value(), z);
            const QImage imagen = v->ImagenPaginaMostrada();
            QCOMPARE(imagen.width(), qRound(800 * z / 100.0));
            // Shown at its own size whatever the window's: in the proportions
            // of the paper, as the PDF has them.
            static_cast<QWidget*>(v)->setWindowState(Qt::WindowNoState);
            v->resize(1400, 700);
            QCoreApplication::processEvents();
            QCOMPARE(v->Image1->size(), imagen.size());
            // The grid's grey shows in the blank lower part of the page.
            bool gris = false;
            for (int x = 0; x < imagen.width() && !gris; ++x)
                gris = imagen.pixelColor(x, imagen.height() * 3 / 4) == QColor(0xC0, 0xC0, 0xC0);
            QCOMPARE(gris, sinRegla.isEmpty());
            if (!t.dir.autoRemove()) v->grab().save(t.dir.filePath(QStringLiteral("vista.png")));
            // The caption names the format of the page shown.
            v->SpinEditPagina->setValue(2);
            QCOMPARE(v->Caption(), QStringLiteral("Previsualización de Ficha F2"));
            v->SpinEditPagina->setValue(99);
            QCOMPARE(v->SpinEditPagina->value(), 3);
            QCOMPARE(v->Caption(), QStringLiteral("Previsualización de Ficha F1"));
            v->SpinEditPagina->setValue(0);
            QCOMPARE(v->SpinEditPagina->value(), 1);

            v->pbExportarAPDF->click();
            QCOMPARE(propuesto, QStringLiteral("Ficha F1|Archivos PDF (*.PDF)|*.PDF"));
            QCOMPARE(paginasPdf(exportado + QStringLiteral(".pdf")), 3);
            QVERIFY(
                textoPdf(exportado + QStringLiteral(".pdf"), 2).contains(QLatin1String("Doc2")));
            QCOMPARE(v->DestinoImpreso, QString());
            QCOMPARE(int(v->Paginas.size()), 3);

            v->pbImprimir->click();
            QCOMPARE(paginasPdf(impresora), 6);  // two copies each on the printer
            v->pbUltimaPaginaClick();
            QCOMPARE(v->SpinEditPagina->value(), 3);

            v->SpinEditPagina->setValue(2);
            QFile::remove(impresora);
            v->pbImprimirPagina->click();
            QCOMPARE(paginasPdf(impresora), 2);
            QVERIFY(textoPdf(impresora).contains(QLatin1String("Doc2")));
            QVERIFY(!textoPdf(impresora).contains(QLatin1String("Doc1")));
            comprobado = true;
        };
        AlMostrarse<TfGENELIMP>([&](TfGENELIMP* v) {
            AlTerminarVista(v, [&, v] {
                comprobar(v);
                v->Close();
            });
        });
        t.f->EjecutarImpreso();
        QVERIFY(comprobado);
        QVERIFY(!ListadoCancelado);
    }

    // More than 25 pages: the question comes over the open preview, "NO"
    // keeps the 26 pages made; a label sheet's page prints the first
    // document placed on it.
    void vistaPreviaLarga() {
        Trabajo t{Engine::Sqlite};
        t.formato(QStringLiteral("F1"), kCuerpo);
        PrevisualizarImpreso = true;
        t.motor();
        for (int i = 1; i <= 40; ++i) t.documento(i, QStringLiteral("Doc%1").arg(i));
        MessageSeam::enqueue(QStringLiteral("NO"));
        int paginas = 0;
        bool abiertaAntesDelFin = false;
        AlMostrarse<TfGENELIMP>([&](TfGENELIMP* v) {
            abiertaAntesDelFin = v->Generando;
            auto fin = [&, v] {
                paginas = int(v->Paginas.size());
                v->SpinEditPagina->setValue(40);
                QCOMPARE(v->SpinEditPagina->value(), 26);
                v->Close();
            };
            AlTerminarVista(v, fin);
        });
        t.f->EjecutarImpreso();
        QCOMPARE(paginas, 26);
        QVERIFY(abiertaAntesDelFin);
        QVERIFY2(TextosMostrados().join('|').contains(
                     QStringLiteral("¡El número de páginas del informe es mayor que 25!")),
                 qPrintable(TextosMostrados().join('|')));
        t.liberar();

        t.formato(QStringLiteral("F1"), QStringLiteral("[SISTEMA]\r\n"
                                                       "FormatoEtiqueta=3;8;70;37\r\n"
                                                       "[CABECERA]\r\n"
                                                       "Camp=5;5;0;Nombre\r\n"));
        t.motor();
        for (int i = 1; i <= 5; ++i) t.documento(i, QStringLiteral("Eti%1").arg(i));
        const QString impresora = t.dir.filePath(QStringLiteral("etiqueta.pdf"));
        AsignarSeamImpreso(
            [&](const QString&) -> QString { return QStringLiteral("PDF:") + impresora; });
        MessageSeam::enqueue(QStringLiteral("1"));
        AlMostrarse<TfGENELIMP>([&](TfGENELIMP* v) {
            QCOMPARE(int(v->Paginas.size()), 1);
            v->pbImprimirPagina->click();
            v->Close();
        });
        t.f->EjecutarImpreso();
        const QString texto = textoPdf(impresora);
        QVERIFY2(texto.contains(QLatin1String("Eti1")) && !texto.contains(QLatin1String("Eti2")),
                 qPrintable(texto));
    }

    // The preview's keys are the common ones: Esc while pages are made stops
    // the job and leaves a usable preview of the pages laid out (paging,
    // printing every document); Enter moves on as Tab.
    void teclasVistaPrevia() {
        Trabajo t{Engine::Sqlite};
        t.formato(QStringLiteral("F1"), kCuerpo);
        PrevisualizarImpreso = true;
        t.motor();
        for (int i = 1; i <= 20; ++i) t.documento(i, QStringLiteral("Doc%1").arg(i));
        const QString impresora = t.dir.filePath(QStringLiteral("impresora.pdf"));
        AsignarSeamImpreso(
            [&](const QString&) -> QString { return QStringLiteral("PDF:") + impresora; });
        auto tecla = [](TfGENELIMP* v, Qt::Key k) {
            QWidget* foco = QApplication::focusWidget();
            QTest::keyClick(foco && v->isAncestorOf(foco) ? foco : static_cast<QWidget*>(v), k);
        };
        int paginas = 0;
        bool parada = false, comprobado = false;
        AlMostrarse<TfGENELIMP>([&](TfGENELIMP* v) {
            parada = v->Generando;
            tecla(v, Qt::Key_Escape);
            auto fin = [&, v] {
                paginas = int(v->Paginas.size());
                QVERIFY(v->isVisible());
                QVERIFY(!v->ImagenPaginaMostrada().isNull());
                v->pbUltimaPaginaClick();
                QCOMPARE(v->SpinEditPagina->value(), paginas);
                QVERIFY(textoPdf(impresora).isEmpty());
                v->pbImprimir->click();
                QCOMPARE(paginasPdf(impresora), 20);
                // Enter moves the focus on, as Tab does.
                v->SpinEditZoom->setFocus();
                QWidget* antes = QApplication::focusWidget();
                tecla(v, Qt::Key_Return);
                QCoreApplication::processEvents();
                QVERIFY(QApplication::focusWidget() != antes);
                comprobado = true;
                v->Close();
            };
            AlTerminarVista(v, fin);
        });
        t.f->EjecutarImpreso();
        QVERIFY(parada);
        QVERIFY(comprobado);
        QVERIFY2(paginas >= 1 && paginas < 20, qPrintable(QString::number(paginas)));
    }

    // The printer a format names is the installed one of that name, letter
    // case ignored; an unknown one prints on the default printer. "Print to
    // file" in the print dialog writes the chosen PDF file, printers or not.
    void impresoras_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QStringList>("instaladas");
        QTest::addColumn<bool>("aArchivo");
        QTest::addColumn<QString>("elegida");
        const QStringList dos{QStringLiteral("Matricial"), QStringLiteral("Laser Oficina")};
        QTest::newRow("mismo nombre")
            << QStringLiteral("Laser Oficina") << dos << false << QStringLiteral("Laser Oficina");
        QTest::newRow("otras mayusculas")
            << QStringLiteral("LASER oficina") << dos << false << QStringLiteral("Laser Oficina");
        QTest::newRow("desconocida") << QStringLiteral("Otra") << dos << false << QString();
        QTest::newRow("archivo del dialogo")
            << QStringLiteral("Predeterminada") << dos << true << QStringLiteral("-");
        QTest::newRow("archivo del dialogo sin impresoras")
            << QStringLiteral("Predeterminada") << QStringList() << true << QStringLiteral("-");
        // A text-mode document is drawn there in its character grid.
        QTest::newRow("texto a archivo del dialogo")
            << QStringLiteral("Predeterminada") << dos << true << QStringLiteral("-");
    }
    void impresoras() {
        QFETCH(QString, nombre);
        QFETCH(QStringList, instaladas);
        QFETCH(bool, aArchivo);
        QFETCH(QString, elegida);
        Trabajo t{Engine::Sqlite};
        const bool texto = QByteArray(QTest::currentDataTag()).startsWith("texto");
        t.formato(QStringLiteral("F1"), kCuerpo, QStringLiteral("A4"),
                  texto ? QStringLiteral("Texto") : QStringLiteral("Grafico"), nombre);
        const QString pdf = t.dir.filePath(QStringLiteral("salida.pdf"));
        QString preparada = QStringLiteral("-");
        AsignarSeamImpresoras([instaladas] { return instaladas; },
                              [&](QPrinter& p, const QString& n) {
                                  preparada = n;  // the printer it ends on
                                  p.setOutputFormat(QPrinter::PdfFormat);
                                  p.setOutputFileName(pdf);
                                  return n.isEmpty() || instaladas.contains(n);
                              });
        AsignarSeamDialogos([&](QObject* d) {
            if (auto* dialogo = qobject_cast<TPrintDialog*>(d)) {
                dialogo->Printer().setOutputFormat(QPrinter::PdfFormat);
                dialogo->Printer().setOutputFileName(pdf);
            }
            return true;
        });
        t.motor();
        OmitirDialogoImpresora = !aArchivo;
        t.documento(1, QStringLiteral("Ana"));
        t.f->EjecutarImpreso();
        AsignarSeamImpresoras(nullptr, nullptr);
        QCOMPARE(preparada, elegida);
        QVERIFY2(TextosMostrados().isEmpty(), qPrintable(TextosMostrados().join('|')));
        QCOMPARE(paginasPdf(pdf), 1);
        QVERIFY(textoPdf(pdf).contains(QLatin1String("Ana")));
        if (texto)  // column 10 of the grid: 10 + 10 columns of 2.54 mm
            QVERIFY2(qAbs(mm(palabrasPdf(pdf).value(QStringLiteral("Ana")).left()) - 25.4) < 1,
                     qPrintable(QString::number(mm(palabrasPdf(pdf).value("Ana").left()))));
    }

    // Bad input leaves the rest of the document printed: a missing picture,
    // a record no Conexion finds, a Formato nobody reads; a picture is read
    // by its content whatever its name says.
    void malaEntrada() {
        Trabajo t{Engine::Sqlite};
        QImage rojo(40, 40, QImage::Format_RGB32);
        rojo.fill(Qt::red);
        QVERIFY(rojo.save(t.inst.carpeta() + QStringLiteral("/logo.bmp"), "PNG"));
        t.formato(QStringLiteral("F1"),
                  QStringLiteral("[SISTEMA]\r\n"
                                 "Conexion=PERSONAL>CodigoOperario\r\n"
                                 "[CABECERA]\r\n"
                                 "Graf=10;10;30;30;logo.bmp\r\n"
                                 "Graf=10;40;30;60;noexiste.jpg\r\n"
                                 "Camp=10;70;0;PERSONAL.Nombre\r\n"
                                 "Text=10;80;0;Sigue\r\n"),
                  QStringLiteral("abc"));
        t.motor();
        t.documento(9, QStringLiteral("Ana"));
        const QString pdf = t.aPdf();
        QCOMPARE(tamanoPagina(pdf, 1), QStringLiteral("210 x 297"));
        QVERIFY(textoPdf(pdf).contains(QLatin1String("Sigue")));
        const QImage imagen = imagenPdf(pdf, t.dir.path());
        const QColor logo = imagen.pixelColor(200, 200), hueco = imagen.pixelColor(200, 500);
        QVERIFY2(logo.red() > 240 && logo.green() < 16 && logo.blue() < 16,
                 qPrintable(logo.name()));
        QCOMPARE(hueco, QColor(Qt::white));
        t.liberar();

        // No printer at all: told, nothing printed.
        AsignarSeamImpresoras([] { return QStringList(); }, nullptr);
        t.motor();
        t.documento(1, QStringLiteral("Ana"));
        MessageSeam::clearLog();
        t.f->EjecutarImpreso();
        AsignarSeamImpresoras(nullptr, nullptr);
        QVERIFY(TextosMostrados().contains(QStringLiteral("¡No hay ninguna impresora instalada!")));
        QCOMPARE(t.f->ImpresoraEnUso, QStringLiteral("Ninguna"));
    }

    // Numbers a format text may hold, which users can edit and import: each
    // outside its range counts as unreadable (a SISTEMA key keeps its value,
    // a command's argument counts as 0, a font size of 0 prints at 10), so
    // nothing divides by zero, overflows or waits on a question that cannot
    // be answered.
    void numerosFuera_data() {
        QTest::addColumn<QString>("programa");
        QTest::addColumn<bool>("impresora");
        QTest::addColumn<int>("documentos");
        QTest::addColumn<int>("paginas");
        QTest::addColumn<QStringList>("esta");
        const QString lineas = QStringLiteral(
            "[CABECERA]\r\nCamp=10;10;0;Nombre\r\n[LINEAS]\r\nCamp=10;0;0;Concepto\r\n");
        // 0 lines per page: every body line starts a page of its own.
        QTest::newRow("FinLineas INT_MIN con AlturaLinea -1")
            << QStringLiteral("[SISTEMA]\r\nAlturaLinea=-1\r\nFinLineas=-2147483648\r\n") + lineas
            << false << 1 << 3 << QStringList{QStringLiteral("L2")};
        QTest::newRow("FinLineas 1e10 con AlturaLinea -1")
            << QStringLiteral("[SISTEMA]\r\nAlturaLinea=-1\r\nFinLineas=10000000000\r\n") + lineas
            << false << 1 << 3 << QStringList{QStringLiteral("L2")};
        // A number at the top of its range is read: one page for both lines.
        QTest::newRow("FinLineas en su maximo")
            << QStringLiteral(
                   "[SISTEMA]\r\nInicioLineas=50\r\nAlturaLinea=5\r\nFinLineas=10000\r\n") +
                   lineas
            << false << 1 << 1 << QStringList{QStringLiteral("L1"), QStringLiteral("L2")};
        QTest::newRow("InicioLineas enorme")
            << QStringLiteral(
                   "[SISTEMA]\r\nAlturaLinea=5\r\nInicioLineas=3000000000\r\n"
                   "FinLineas=9999\r\n") +
                   lineas
            << false << 1 << 1 << QStringList{QStringLiteral("L1"), QStringLiteral("L2")};
        for (const char* lado : {"100000", "65536"})
            QTest::newRow(QByteArray(QByteArray("FormatoEtiqueta ") + lado).constData())
                << QStringLiteral(
                       "[SISTEMA]\r\nFormatoEtiqueta=%1;%1;70;37\r\n"
                       "[CABECERA]\r\nCamp=5;5;0;Nombre\r\n")
                       .arg(QLatin1String(lado))
                << true << 2 << 2 << QStringList{QStringLiteral("Ana")};
        QTest::newRow("posiciones y margenes enormes")
            << QStringLiteral(
                   "[SISTEMA]\r\nMargenes=1e308;99999999999\r\n"
                   "Compresion=0,0000001;0,0000001\r\n"
                   "[CABECERA]\r\nText=99999999999999999999;20;0;Lejos\r\n"
                   "Rect=1e300;1;2;2;99999999999\r\nText=10;30;0;Sigue\r\n")
            << false << 1 << 1 << QStringList{QStringLiteral("Lejos"), QStringLiteral("Sigue")};
        // "Diez" and "Medida" print at the same size.
        QTest::newRow("Font de tamano 0")
            << QStringLiteral(
                   "[CABECERA]\r\nFont=Arial;10\r\nText=10;10;0;Diez\r\n"
                   "Font=Arial;0\r\nText=10;30;0;Medida\r\n")
            << false << 1 << 1 << QStringList{QStringLiteral("Diez"), QStringLiteral("Medida")};
        QTest::newRow("Font de tamano enorme")
            << QStringLiteral(
                   "[CABECERA]\r\nFont=Arial;10\r\nText=10;10;0;Diez\r\n"
                   "Font=Arial;99999999999\r\nText=10;30;0;Medida\r\n")
            << false << 1 << 1 << QStringList{QStringLiteral("Diez"), QStringLiteral("Medida")};
        QTest::newRow("Font comprimida sin medida")
            << QStringLiteral(
                   "[SISTEMA]\r\nCompresion=2;2\r\n[CABECERA]\r\n"
                   "Font=Arial;900\r\nText=5;15;0;Medida\r\n"
                   "Font=Arial;5\r\nText=5;5;0;Diez\r\n")
            << false << 1 << 1 << QStringList{QStringLiteral("Diez"), QStringLiteral("Medida")};
        QTest::newRow("Font ilegible")
            << QStringLiteral(
                   "[CABECERA]\r\nFont=Arial;diez\r\nText=10;30;0;Medida\r\n"
                   "Font=Arial;10\r\nText=10;10;0;Diez\r\n")
            << false << 1 << 1 << QStringList{QStringLiteral("Diez"), QStringLiteral("Medida")};
    }
    void numerosFuera() {
        QFETCH(QString, programa);
        QFETCH(bool, impresora);
        QFETCH(int, documentos);
        QFETCH(int, paginas);
        QFETCH(QStringList, esta);
        Trabajo t{Engine::Sqlite};
        t.formato(QStringLiteral("F1"), programa);
        t.motor(true);
        for (int d = 1; d <= documentos; ++d) {
            t.documento(d, QStringLiteral("Ana"));
            t.linea(d, 1, QStringLiteral("L1"));
            t.linea(d, 2, QStringLiteral("L2"));
        }
        const QString pdf = impresora ? t.aImpresora() : t.aPdf();
        QCOMPARE(paginasPdf(pdf), paginas);
        const QString texto = textoPdf(pdf);
        for (const QString& s : esta) QVERIFY2(texto.contains(s), qPrintable(texto));
        // No question was asked: its only way out was to cancel the job.
        QVERIFY2(!TextosMostrados().join('|').contains(QLatin1String("posición")),
                 qPrintable(TextosMostrados().join('|')));
        const QMap<QString, QRectF> p = palabrasPdf(pdf);
        if (p.contains(QStringLiteral("Medida")))
            QVERIFY2(qAbs(p.value(QStringLiteral("Medida")).height() -
                          p.value(QStringLiteral("Diez")).height()) < 0.5,
                     qPrintable(QStringLiteral("%1 %2")
                                    .arg(p.value(QStringLiteral("Medida")).height())
                                    .arg(p.value(QStringLiteral("Diez")).height())));
        if (p.contains(QStringLiteral("Lejos")))  // the argument counted as 0
            QVERIFY(mm(p.value(QStringLiteral("Lejos")).left()) < 1);
    }

    // The alternative driver is copied only between files inside the
    // installation folder, never through a symbolic link; anything else is
    // refused with the warning, and the document prints all the same.
    void driverAlternativo_data() {
        QTest::addColumn<QString>("copia");
        QTest::addColumn<bool>("copiado");
        QTest::newRow("dentro") << QStringLiteral("drivers\\nuevo.drv>drivers\\actual.drv") << true;
        QTest::newRow("ruta completa dentro")
            << QStringLiteral("{inst}/drivers/nuevo.drv > {inst}/drivers/actual.drv") << true;
        QTest::newRow("destino fuera")
            << QStringLiteral("drivers\\nuevo.drv>{fuera}/victima.txt") << false;
        QTest::newRow("origen fuera")
            << QStringLiteral("{fuera}/secreto.txt>drivers\\actual.drv") << false;
        QTest::newRow("subiendo con ..")
            << QStringLiteral("drivers\\nuevo.drv>drivers\\..\\..\\victima.txt") << false;
        QTest::newRow("destino enlace") << QStringLiteral("drivers\\nuevo.drv>enlace.drv") << false;
        QTest::newRow("carpeta enlazada")
            << QStringLiteral("drivers\\nuevo.drv>enlazada\\victima.txt") << false;
        QTest::newRow("origen enlace")
            << QStringLiteral("secreto.lnk>drivers\\actual.drv") << false;
        QTest::newRow("destino carpeta") << QStringLiteral("drivers\\nuevo.drv>drivers") << false;
    }
    void driverAlternativo() {
        QFETCH(QString, copia);
        QFETCH(bool, copiado);
        Trabajo t{Engine::Sqlite};
        QTemporaryDir fuera;
        const QString inst = t.inst.carpeta();
        auto escribir = [](const QString& ruta, const QByteArray& datos) {
            QFile f(ruta);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(datos);
        };
        auto leer = [](const QString& ruta) {
            QFile f(ruta);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        QVERIFY(QDir().mkpath(inst + QStringLiteral("/drivers")));
        escribir(inst + QStringLiteral("/drivers/nuevo.drv"), "NUEVO");
        escribir(inst + QStringLiteral("/drivers/actual.drv"), "VIEJO");
        escribir(fuera.filePath(QStringLiteral("victima.txt")), "VICTIMA");
        escribir(fuera.filePath(QStringLiteral("secreto.txt")), "SECRETO");
        QVERIFY(QFile::link(fuera.filePath(QStringLiteral("victima.txt")),
                            inst + QStringLiteral("/enlace.drv")));
        QVERIFY(QFile::link(fuera.filePath(QStringLiteral("secreto.txt")),
                            inst + QStringLiteral("/secreto.lnk")));
        QVERIFY(QFile::link(fuera.path(), inst + QStringLiteral("/enlazada")));
        copia.replace(QLatin1String("{inst}"), inst)
            .replace(QLatin1String("{fuera}"), fuera.path());
        t.formato(QStringLiteral("F1"), QStringLiteral("[SISTEMA]\r\nDriverAlternativo=") + copia +
                                            QStringLiteral("\r\n") + kCuerpo);
        t.motor();
        t.documento(1, QStringLiteral("Ana"));
        const QString pdf = t.aPdf();
        QVERIFY(textoPdf(pdf).contains(QLatin1String("Ana")));
        QCOMPARE(
            TextosMostrados().contains(QStringLiteral("¡Imposible copiar el Driver Alternativo!")),
            !copiado);
        QCOMPARE(leer(inst + QStringLiteral("/drivers/actual.drv")),
                 copiado ? QByteArray("NUEVO") : QByteArray("VIEJO"));
        QCOMPARE(leer(fuera.filePath(QStringLiteral("victima.txt"))), QByteArray("VICTIMA"));
        QCOMPARE(leer(fuera.filePath(QStringLiteral("secreto.txt"))), QByteArray("SECRETO"));
        QVERIFY(QFileInfo(inst + QStringLiteral("/enlace.drv")).isSymLink());
        QVERIFY(!QFile::exists(inst + QStringLiteral("/victima.txt")));
        QVERIFY(!QFile::exists(QFileInfo(inst).absolutePath() + QStringLiteral("/victima.txt")));
    }

    // The page store holds 10,000 pages: generation stops there, warned, and
    // the pages made stay.
    void limitePaginas() {
        Trabajo t{Engine::Sqlite};
        t.formato(QStringLiteral("F1"), QStringLiteral("[CABECERA]\r\nCamp=10;10;0;Nombre\r\n"));
        t.motor();
        TDatabase* db = t.f->Temporal->Database();
        db->StartTransaction();
        QSqlQuery& q = db->Prepared(QStringLiteral("INSERT INTO ") + t.f->Temporal->TableName() +
                                    QStringLiteral(" (Codigo, Nombre) VALUES (?, ?)"));
        for (int i = 1; i <= MaximoPaginasImpreso + 5; ++i) {
            q.bindValue(0, i);
            q.bindValue(1, QStringLiteral("D%1").arg(i));
            db->Run(q);
        }
        db->Commit();
        const QString pdf = t.aPdf();
        QVERIFY(TextosMostrados().contains(QStringLiteral(
            "¡El impreso supera las 10000 páginas!. Sólo se han generado las 10000 primeras.")));
        QCOMPARE(paginasPdf(pdf), MaximoPaginasImpreso);
    }

    // Amounts marked "(Euro)" converted by the document's currency. With the
    // national currency as the base: to euros from the national currency, back
    // from euros, and through the document's rate from any other one. With the
    // euro as the base (a peseta at 0,006): back from the national currency,
    // to it from euros, and through the document's rate from any other one.
    void euros_data() {
        QTest::addColumn<int>("base");
        QTest::addColumn<int>("moneda");
        QTest::addColumn<QString>("cambio");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("nacional") << 1 << 1 << QStringLiteral("0") << QStringLiteral("6,01");
        QTest::newRow("euro") << 1 << 2 << QStringLiteral("0") << QStringLiteral("166386,00");
        QTest::newRow("otra") << 1 << 3 << QStringLiteral("2") << QStringLiteral("12,02");
        QTest::newRow("sin moneda") << 1 << 0 << QStringLiteral("0") << QStringLiteral("6,01");
        QTest::newRow("base euro, nacional")
            << 2 << 1 << QStringLiteral("0") << QStringLiteral("6,00");
        QTest::newRow("base euro, euro")
            << 2 << 2 << QStringLiteral("0") << QStringLiteral("166667,00");
        QTest::newRow("base euro, otra")
            << 2 << 3 << QStringLiteral("2") << QStringLiteral("2000,00");
    }
    void euros() {
        QFETCH(int, base);
        QFETCH(int, moneda);
        QFETCH(QString, cambio);
        QFETCH(QString, esperado);
        Trabajo t{Engine::Sqlite};
        SqlPrueba(
            QStringLiteral("INSERT INTO MONEDA (Codigo, Descripcion, Cambio, Decimales) VALUES "
                           "(1, 'Pesetas', 1, 0), (2, 'Euros', 166.386, 2), (3, 'Otra', 1, 2)"));
        if (base == 2)
            SqlPrueba(QStringLiteral("UPDATE MONEDA SET Cambio = 0.006 WHERE Codigo = 1"));
        TTable* p = ModuloDatos->ParamGenerales;
        p->Edit();
        p->FieldByName(QStringLiteral("CodigoMonedaBase"))->setAsInteger(base);
        p->FieldByName(QStringLiteral("CodigoMonedaNacional"))->setAsInteger(1);
        p->FieldByName(QStringLiteral("CodigoMonedaEuro"))->setAsInteger(2);
        p->Post();
        t.formato(QStringLiteral("F1"),
                  QStringLiteral("[CABECERA]\r\nCamp=10;10;0;Importe(Euro);;0.00\r\n"
                                 "Camp=10;20;0;Importe;;0.00\r\n"));
        t.f = new TfGENELIMP;
        CrearTablaEstructura(fGENEINIC, t.f->Temporal,
                             QStringLiteral("Tabla Temporal\r\n/C/1/Codigo/ftInteger/0/*\r\n"
                                            "/C/2/Importe/ftFloat/0/\r\n"
                                            "/C/3/CodigoMoneda/ftSmallint/0/\r\n"
                                            "/C/4/Cambio/ftFloat/0/\r\n"
                                            "/I/1/<Primary>/Codigo/\r\n"),
                             -1);
        t.f->Temporal->Open();
        t.f->Temporal->Append();
        t.f->Temporal->FieldByName(QStringLiteral("Codigo"))->setAsInteger(1);
        t.f->Temporal->FieldByName(QStringLiteral("Importe"))->setAsFloat(1000);
        t.f->Temporal->FieldByName(QStringLiteral("CodigoMoneda"))->setAsInteger(moneda);
        t.f->Temporal->FieldByName(QStringLiteral("Cambio"))->setAsString(cambio);
        t.f->Temporal->Post();
        const QString texto = textoPdf(t.aPdf());
        QVERIFY2(texto.contains(esperado), qPrintable(texto));
        QVERIFY2(texto.contains(QLatin1String("1000,00")),
                 qPrintable(texto));  // unmarked: as stored
    }

    // The destruction of the engine drops its work tables.
    void tablasBorradas() {
        Trabajo t{Engine::Sqlite};
        t.motor(true);
        const QString temporal = t.f->Temporal->TableName(), lineas = t.f->LTemporal->TableName();
        t.liberar();
        TTable a;
        a.setDatabaseName(PathArchivosTemporales);
        a.setTableName(temporal);
        QVERIFY(!a.Exists());
        a.setTableName(lineas);
        QVERIFY(!a.Exists());
    }
};

QTEST_MAIN(TestGeneLimp)
#include "tst_genelimp.moc"
