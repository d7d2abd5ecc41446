// The print engine's outputs other than drawn pages: bar codes placed on a
// page, raw text streams, documents from a model and the documents attached
// to a job, as a printer, a PDF reader and a scanner receive them.

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/geneusua.h"
#include "gene/print/genelimp.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "io/office.h"
#include "io/pdf.h"
#include "io/printqueue.h"
#include "support/dbfixture.h"
#include "support/documentoprueba.h"
#include "support/empresaprueba.h"
#include "support/sqlprueba.h"

namespace {

// Dark pixels outside the rectangle.
int FueraDe(const QImage& imagen, const QRect& rect) {
    int fuera = 0;
    for (int y = 0; y < imagen.height(); ++y)
        for (int x = 0; x < imagen.width(); ++x)
            if (!rect.contains(x, y) && qGray(imagen.pixel(x, y)) < 128) ++fuera;
    return fuera;
}

struct Trabajo {
    QString cola;
    QByteArray datos;
    bool raw;
};

QString Literal(const QString& texto) {
    return QLatin1Char('\'') + QString(texto).replace(QLatin1String("'"), QLatin1String("''")) +
           QLatin1Char('\'');
}

// A company with one print format and an engine whose Temporal holds the
// rows given (Codigo, Nombre, Domicilio, StreamASCII); the jobs that reach a
// printer queue, the print dialog's answer and the printer the seam names.
struct Motor : EmpresaPrueba {
    Motor(Engine e, const QString& modo, const QString& programa) : EmpresaPrueba(e) {
        SqlPrueba(QStringLiteral("INSERT INTO IMPRESO (Codigo, Descripcion, TipoDocumento, Modo, "
                                 "Instrucciones, Formato, ImpresoraPorDefecto) VALUES ('PRUEBA', "
                                 "'Contrato', 'Contrato', ") +
                  Literal(modo) + QStringLiteral(", ") + Literal(programa) +
                  QStringLiteral(", 'A4', '')"));
        MessageSeam::activate();
        NombreLlamadorImpreso = QStringLiteral("fPRUEBA");
        PrevisualizarImpreso = false;
        CodigoImpreso = QStringLiteral("PRUEBA");
        OmitirDialogoImpresora = false;
        f = new TfGENELIMP;
        f->setObjectName(QStringLiteral("fGENELIMP"));
        creada = CrearTablaEstructura(
            inst.sesion(), f->Temporal,
            QStringLiteral("Tabla Temporal\r\n/C/1/Codigo/ftInteger/0/*\r\n"
                           "/C/2/Nombre/ftString/40/\r\n/C/3/Domicilio/ftMemo/0/\r\n"
                           "/C/4/StreamASCII/ftMemo/0/\r\n/C/5/Modelo/ftString/20/\r\n"
                           "/I/1/<Primary>/Codigo/"),
            -1);
        f->LocalizarImpreso(CodigoImpreso);
        SetPrintQueueSeam([this](const QString& c, const QByteArray& d, bool raw, QString*) {
            trabajos.append({c, d, raw});
            return true;
        });
        AsignarSeamDialogos([this](QObject* d) {
            ++dialogos;
            cerrableEnDialogo = f->CloseQuery();
            if (auto* p = qobject_cast<TPrintDialog*>(d)) {
                p->Printer().setOutputFileName(archivoDialogo);
                return aceptarDialogo;
            }
            return false;
        });
        AsignarSeamImpreso([this](const QString&) { return impresora; });
    }
    ~Motor() {
        delete f;
        SetPrintQueueSeam(nullptr);
        AsignarSeamDialogos(nullptr);
        AsignarSeamImpreso(nullptr);
        MessageSeam::deactivate();
    }
    void Fila(int codigo, const QString& nombre, const QString& domicilio,
              const QString& flujo = QString(), const QString& modelo = QString()) {
        f->Temporal->Append();
        f->Temporal->FieldByName(QStringLiteral("Codigo"))->setAsInteger(codigo);
        f->Temporal->FieldByName(QStringLiteral("Nombre"))->setAsString(nombre);
        f->Temporal->FieldByName(QStringLiteral("Domicilio"))->setAsString(domicilio);
        f->Temporal->FieldByName(QStringLiteral("StreamASCII"))->setAsString(flujo);
        f->Temporal->FieldByName(QStringLiteral("Modelo"))->setAsString(modelo);
        f->Temporal->Post();
    }
    QStringList Avisos() const {
        QStringList l;
        for (const auto& e : MessageSeam::log()) l << e.text;
        return l;
    }

    TfGENELIMP* f = nullptr;
    bool creada = false;
    QList<Trabajo> trabajos;
    int dialogos = 0;
    bool cerrableEnDialogo = true;
    bool aceptarDialogo = true;
    QString archivoDialogo;
    QString impresora = QStringLiteral("Epson_LX");
};

// An object kept for a record in BLOBTAB.
bool GuardarObjeto(const QString& tabla, const QString& clave, const QString& id,
                   const QString& tipo, const QByteArray& objeto) {
    TQuery q;
    q.setRequestLive(false);
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q.SQL().setText(QStringLiteral(
        "INSERT INTO BLOBTAB (NombreTabla, ClaveTabla, IdObjeto, TipoObjeto, Objeto) "
        "VALUES (:NombreTabla, :ClaveTabla, :IdObjeto, :TipoObjeto, :Objeto)"));
    q.ParamByName(QStringLiteral("NombreTabla"))->setAsString(tabla);
    q.ParamByName(QStringLiteral("ClaveTabla"))->setAsString(clave);
    q.ParamByName(QStringLiteral("IdObjeto"))->setAsString(id);
    q.ParamByName(QStringLiteral("TipoObjeto"))->setAsString(tipo);
    q.ParamByName(QStringLiteral("Objeto"))->setValue(objeto);
    return AbrirConsulta(ModuloDatos, &q, QStringLiteral("ExecSQL"));
}

QByteArray PdfDeTexto(const QString& texto) {
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("t.pdf"));
    {
        QPdfWriter pdf(ruta);
        QPainter p(&pdf);
        p.setFont(QFont(QStringLiteral("Liberation Sans"), 14));
        p.drawText(500, 800, texto);
    }
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray Contenido(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A contract model: a placeholder split over runs, another one whole.
bool ModeloContrato(const QString& ruta) {
    return CrearDocx(
        ruta, QStringLiteral("<w:p><w:r><w:t xml:space=\"preserve\">Contrato de $Nom</w:t></w:r>"
                             "<w:r><w:rPr><w:b/></w:rPr><w:t>bre$</w:t></w:r></w:p>"
                             "<w:p><w:r><w:t>$Domicilio$</w:t></w:r></w:p>"));
}

}  // namespace

class TestGenelimpSalida : public QObject {
    Q_OBJECT

    // Three employees, each a document and the files kept for him: a PDF, a
    // Word document and a photo (which is no document).
    static void Adjuntos(Motor& m) {
        m.Fila(1, QStringLiteral("Ana"), QString());
        m.Fila(2, QStringLiteral("Luis"), QString());
        m.Fila(3, QStringLiteral("Eva"), QString());
        QTemporaryDir dir;
        QVERIFY(CrearDocx(dir.filePath(QStringLiteral("carta.docx")),
                          QStringLiteral("<w:p><w:r><w:t>Carta para Luis</w:t></w:r></w:p>")));
        QVERIFY(GuardarObjeto(QStringLiteral("PERSONAL"), QStringLiteral("1"),
                              QStringLiteral("ANEXO"), QStringLiteral("PDF"),
                              PdfDeTexto(QStringLiteral("Anexo de Ana"))));
        QVERIFY(GuardarObjeto(QStringLiteral("PERSONAL"), QStringLiteral("2"),
                              QStringLiteral("CARTA"), QStringLiteral("DOC"),
                              Contenido(dir.filePath(QStringLiteral("carta.docx")))));
        QVERIFY(GuardarObjeto(QStringLiteral("PERSONAL"), QStringLiteral("3"),
                              QStringLiteral("FOTO"), QStringLiteral("JPG"),
                              QByteArray("\xFF\xD8\xFF foto")));
    }

    static QString ProgramaAdjuntos(const QString& conexion = QStringLiteral("PERSONAL>Codigo")) {
        return QStringLiteral(
                   "[SISTEMA]\r\nDocumentosAdjuntos=Auto\r\nConexionDocumentosAdjuntos=") +
               conexion + QStringLiteral("\r\n[CABECERA]\r\nCamp=20;20;0;Nombre\r\n");
    }

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    // A format's CBar on a page picture: the symbology by its name, the code
    // turned as asked, nothing drawn outside its rectangle.
    void codigoEnPagina_data() {
        QTest::addColumn<QString>("simbologia");
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("giro");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QString>("leido");
        const QRect horizontal(100, 100, 300, 90);
        const QRect vertical(100, 100, 90, 300);
        QTest::newRow("Code39") << "Code39"
                                << "RRHH-01" << QString() << horizontal << "CODE-39:RRHH-01";
        QTest::newRow("Code39 +90") << "Code39"
                                    << "RRHH-01"
                                    << "Girar+90" << vertical << "CODE-39:RRHH-01";
        QTest::newRow("Code39 -90") << "Code39"
                                    << "RRHH-01"
                                    << "Girar-90" << vertical << "CODE-39:RRHH-01";
        QTest::newRow("Code39 180") << "Code39"
                                    << "RRHH-01"
                                    << "Girar180" << horizontal << "CODE-39:RRHH-01";
        QTest::newRow("2 de 5") << "Interleaved2OF5"
                                << "12345678" << QString() << horizontal << "I2/5:12345678";
        QTest::newRow("EAN13") << "EAN13"
                               << "400638133393" << QString() << QRect(100, 100, 340, 120)
                               << "EAN-13:4006381333931";
        QTest::newRow("otra es EAN13")
            << "QR"
            << "400638133393" << QString() << QRect(100, 100, 340, 120) << "EAN-13:4006381333931";
        QTest::newRow("UPCA") << "UPCA"
                              << "03600029145" << QString() << QRect(100, 100, 400, 200)
                              << "EAN-13:0036000291452";
        QTest::newRow("Code128") << "Code128"
                                 << "RRHH-26" << QString() << QRect(100, 100, 900, 160)
                                 << "CODE-128:RRHH-26";
        // Wider than its box a symbol would print cut: nothing is drawn.
        QTest::newRow("Code128 ancho")
            << "Code128"
            << "RRHH-26" << QString() << QRect(100, 100, 800, 160) << QString();
        QTest::newRow("GS1-128") << "EAN128"
                                 << "0101234567890128" << QString() << QRect(100, 100, 1000, 160)
                                 << "CODE-128:0101234567890128";
        QTest::newRow("GS1-128 ancho")
            << "EAN128"
            << "0101234567890128" << QString() << QRect(100, 100, 900, 160) << QString();
        QTest::newRow("GS1-128 ancho +90") << "EAN128"
                                           << "0101234567890128"
                                           << "Girar+90" << QRect(100, 100, 160, 900) << QString();
    }
    void codigoEnPagina() {
        QFETCH(QString, simbologia);
        QFETCH(QString, valor);
        QFETCH(QString, giro);
        QFETCH(QRect, rect);
        QFETCH(QString, leido);
        TfGENELIMP f;
        // A page of a "PDF:" target: 150 dots per inch.
        f.AnchoPixels = 1240;
        f.AltoPixels = 1754;
        QImage pagina(f.AnchoPixels, f.AltoPixels, QImage::Format_RGB32);
        pagina.fill(Qt::white);
        QPainter lienzo(&pagina);
        f.Lienzo = &lienzo;
        f.DibujarCodigoBarras(rect, valor, simbologia, 1, giro);
        lienzo.end();
        QCOMPARE(LeerCodigos(pagina), leido);
        QCOMPARE(FueraDe(pagina, leido.isEmpty() ? QRect() : rect), 0);
    }

    // A format's CBar through a whole job to a PDF file: what a scanner reads
    // on the printed page.
    void codigoEnPdf_data() {
        QTest::addColumn<QString>("cbar");
        QTest::addColumn<QString>("leido");
        QTest::newRow("Code39") << "CBar=20;20;100;40;Camp:Nombre;Code39;1;"
                                << "CODE-39:ANA-7";
        QTest::newRow("EAN13 girado") << "CBar=20;20;50;90;400638133393;EAN13;1;Girar+90"
                                      << "EAN-13:4006381333931";
    }
    void codigoEnPdf() {
        QFETCH(QString, cbar);
        QFETCH(QString, leido);
        Motor m{Engine::Sqlite, QStringLiteral("Grafico"), QStringLiteral("[CABECERA]\r\n") + cbar};
        QVERIFY(m.creada);
        m.Fila(1, QStringLiteral("ANA-7"), QString());
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("codigo.pdf"));
        m.f->DestinoImpreso = QStringLiteral("PDF:") + pdf;
        m.f->EjecutarImpreso();
        QCOMPARE(m.Avisos(), QStringList());
        QProcess ppm;
        ppm.start(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
                   QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("p"))});
        QVERIFY(ppm.waitForFinished());
        QCOMPARE(LeerCodigos(QImage(dir.filePath(QStringLiteral("p.png")))), leido);
    }

    // "ASCII": the StreamASCII texts back to back in one raw job, in
    // Windows-1252, to the printer of the print dialog or to its file.
    void ascii_data() { AddEngineRows(); }
    void ascii() {
        QFETCH(int, engine);
        Motor m{Engine(engine), QStringLiteral("ASCII"), QStringLiteral("[SISTEMA]")};
        QVERIFY(m.creada);
        m.Fila(1, QStringLiteral("Ana"), QString(), QStringLiteral("\x1b@Línea 1\r\n"));
        m.Fila(2, QStringLiteral("Luis"), QString(), QStringLiteral("Línea 2 sin fin"));
        m.Fila(3, QStringLiteral("Eva"), QString(), QStringLiteral("\f"));
        const QByteArray esperado("\x1b@L\xEDnea 1\r\nL\xEDnea 2 sin fin\f");
        m.f->ImprimirASCII();
        QCOMPARE(m.dialogos, 1);
        QVERIFY(!m.cerrableEnDialogo);  // the engine refuses to close under its print dialog
        QVERIFY(m.f->CloseQuery());
        QCOMPARE(m.trabajos.size(), 1);
        QCOMPARE(m.trabajos[0].cola, QStringLiteral("Epson_LX"));
        QVERIFY(m.trabajos[0].raw);
        QCOMPARE(m.trabajos[0].datos, esperado);

        // The print dialog's "print to file".
        QTemporaryDir dir;
        m.impresora.clear();
        m.archivoDialogo = dir.filePath(QStringLiteral("salida.prn"));
        m.f->ImprimirASCII();
        QCOMPARE(m.trabajos.size(), 1);
        QFile archivo(m.archivoDialogo);
        QVERIFY(archivo.open(QIODevice::ReadOnly));
        QCOMPARE(archivo.readAll(), esperado);

        // No printer at all: the warning, nothing sent.
        m.impresora.clear();
        m.archivoDialogo.clear();
        AsignarSeamImpresoras([] { return QStringList(); },
                              [](QPrinter&, const QString&) { return false; });
        m.f->ImprimirASCII();
        AsignarSeamImpresoras(nullptr, nullptr);
        QCOMPARE(m.Avisos(), QStringList{QStringLiteral("¡No hay ninguna impresora instalada!")});
        QCOMPARE(m.trabajos.size(), 1);
        MessageSeam::clearLog();

        // Cancelled: nothing.
        m.aceptarDialogo = false;
        m.impresora = QStringLiteral("Epson_LX");
        m.f->ImprimirASCII();
        QCOMPARE(m.trabajos.size(), 1);
        QCOMPARE(m.Avisos(), QStringList());
    }

    // "MSWord" to a "PDF:" target: one part per row, in order, each with its
    // own row's values; to a printer: one PDF job per row.
    void word_data() { AddEngineRows(); }
    void word() {
        QFETCH(int, engine);
        if (OfficeProgram(QString()).isEmpty()) QSKIP("LibreOffice no está instalado");
        QTemporaryDir dir;
        const QString modelo = dir.filePath(QStringLiteral("contrato.docx"));
        QVERIFY(ModeloContrato(modelo));
        Motor m{Engine(engine), QStringLiteral("MSWord"),
                QStringLiteral("[SISTEMA]\r\nDocumentoModelo=") + modelo};
        QVERIFY(m.creada);
        m.Fila(1, QStringLiteral("Pérez & Hijos <SA>"),
               QStringLiteral("Calle Mayor 1\r\n28001 Madrid"));
        m.Fila(2, QStringLiteral("Luis Gómez"), QStringLiteral("Plaza 3"));
        const QString pdf = dir.filePath(QStringLiteral("salida.pdf"));
        m.f->DestinoImpreso = QStringLiteral("PDF:") + pdf;
        m.f->ImprimirMSWord();
        QCOMPARE(m.f->PartesPDF.size(), 2);
        m.f->UnirPartesPDF();
        QCOMPARE(PdfPageCount(pdf), 2);
        const QString texto = TextoPdf(pdf);
        QVERIFY2(texto.contains(QStringLiteral("Contrato de Pérez & Hijos <SA>\n")) &&
                     texto.contains(QStringLiteral("Calle Mayor 1\n28001 Madrid")) &&
                     texto.indexOf(QStringLiteral("Luis Gómez")) >
                         texto.indexOf(QStringLiteral("Pérez")),
                 qPrintable(texto));
        QVERIFY(m.trabajos.isEmpty());
        QCOMPARE(m.Avisos(), QStringList());

        m.f->DestinoImpreso.clear();
        m.f->ImprimirMSWord();
        QCOMPARE(m.trabajos.size(), 2);
        QCOMPARE(m.trabajos[1].cola, QStringLiteral("Epson_LX"));
        QVERIFY(!m.trabajos[1].raw && m.trabajos[1].datos.startsWith("%PDF-"));
    }

    // A field hidden from the clerk fills its placeholder with nothing, as a
    // drawn format prints it: in the document from the model and in an
    // attached one alike, read back from the PDF the job makes; the rest is
    // filled as ever.
    void wordCampoOculto_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("adjunto");
        QTest::addColumn<QString>("oculto");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "modelo") << false << QStringLiteral("Nombre");
            NewEngineRow(e, "adjunto, en otra letra") << true << QStringLiteral("NOMBRE");
            NewEngineRow(e, "memo") << false << QStringLiteral("Domicilio");
        }
    }
    void wordCampoOculto() {
        QFETCH(int, engine);
        QFETCH(bool, adjunto);
        QFETCH(QString, oculto);
        if (OfficeProgram(QString()).isEmpty()) QSKIP("LibreOffice no está instalado");
        QTemporaryDir dir;
        const QString modelo = dir.filePath(QStringLiteral("contrato.docx"));
        QVERIFY(
            CrearDocx(modelo, QStringLiteral("<w:p><w:r><w:t xml:space=\"preserve\">Contrato de "
                                             "[$Nom</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>bre$]"
                                             "</w:t></w:r></w:p><w:p><w:r><w:t>Domicilio: "
                                             "[$Domicilio$] clave $Codigo$</w:t></w:r></w:p>")));
        Motor m{Engine(engine), adjunto ? QStringLiteral("Grafico") : QStringLiteral("MSWord"),
                QStringLiteral("[SISTEMA]\r\n") +
                    (adjunto ? QStringLiteral("DocumentosAdjuntos=")
                             : QStringLiteral("DocumentoModelo=")) +
                    modelo};
        QVERIFY(m.creada);
        m.Fila(7, QStringLiteral("Pérez"), QStringLiteral("Calle Mayor 1"));
        CamposNoVisiblesUsuario = oculto;
        const auto restaurar = qScopeGuard([] { CamposNoVisiblesUsuario.clear(); });
        const QString pdf = dir.filePath(QStringLiteral("salida.pdf"));
        m.f->DestinoImpreso = QStringLiteral("PDF:") + pdf;
        if (adjunto)
            m.f->ImprimirDocumentosAdjuntos();
        else
            m.f->ImprimirMSWord();
        QCOMPARE(m.Avisos(), QStringList());
        QCOMPARE(m.f->PartesPDF.size(), 1);
        m.f->UnirPartesPDF();
        const QString texto = TextoPdf(pdf);
        const bool nombre = oculto.compare(QLatin1String("Nombre"), Qt::CaseInsensitive) == 0;
        QVERIFY2(texto.contains(nombre ? QStringLiteral("Contrato de []")
                                       : QStringLiteral("Contrato de [Pérez]")) &&
                     texto.contains(nombre ? QStringLiteral("Domicilio: [Calle Mayor 1] clave 7")
                                           : QStringLiteral("Domicilio: [] clave 7")) &&
                     !texto.contains(QLatin1Char('$')),
                 qPrintable(texto));
    }

    // Without LibreOffice, with a model missing or not a .docx/.odt: the
    // Word warning with the reason, and nothing written or printed.
    void wordSinDocumento_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("caso");
        QTest::addColumn<QString>("motivo");
        for (Engine e : AvailableEngines()) {
            auto fila = [&](const char* caso, const QString& motivo) {
                QTest::newRow(qPrintable(EngineTag(e) + QLatin1Char(':') + QLatin1String(caso)))
                    << int(e) << QString::fromLatin1(caso) << motivo;
            };
            fila("sin LibreOffice",
                 QStringLiteral("no se puede iniciar LibreOffice (/no/existe/soffice)"));
            fila("sin modelo", QStringLiteral("no se ha indicado el documento modelo"));
            fila("modelo que falta", QStringLiteral("no existe el documento "));
            fila("modelo .doc", QStringLiteral("el modelo %1 no es un documento .docx ni .odt"));
        }
    }
    void wordSinDocumento() {
        QFETCH(int, engine);
        QFETCH(QString, caso);
        QFETCH(QString, motivo);
        QTemporaryDir dir;
        QString modelo = dir.filePath(QStringLiteral("contrato.docx"));
        QVERIFY(ModeloContrato(modelo));
        if (caso == QLatin1String("sin modelo")) modelo.clear();
        if (caso == QLatin1String("modelo que falta"))
            modelo = dir.filePath(QStringLiteral("otro.docx"));
        if (caso == QLatin1String("modelo .doc")) {
            modelo = dir.filePath(QStringLiteral("contrato.doc"));
            QFile doc(modelo);
            QVERIFY(doc.open(QIODevice::WriteOnly));
            doc.write("\xD0\xCF\x11\xE0 Word 97");
        }
        Motor m{Engine(engine), QStringLiteral("MSWord"),
                QStringLiteral("DocumentoModelo=") + modelo};
        QVERIFY(m.creada);
        if (caso == QLatin1String("sin LibreOffice"))
            m.inst.EscribirConfiguracion(QStringLiteral("Programas"), QStringLiteral("soffice"),
                                         QStringLiteral("/no/existe/soffice"));
        m.Fila(1, QStringLiteral("Ana"), QString());
        m.Fila(2, QStringLiteral("Luis"), QString());
        for (const bool pdf : {true, false}) {
            MessageSeam::clearLog();
            m.f->DestinoImpreso =
                pdf ? QStringLiteral("PDF:") + dir.filePath(QStringLiteral("x.pdf")) : QString();
            m.f->ImprimirMSWord();
            QCOMPARE(m.Avisos().size(), 1);
            QVERIFY2(m.Avisos()[0].startsWith(
                         QStringLiteral("¡Imposible conectar con Word!. (Motivo: ") +
                         (motivo.contains(QLatin1String("%1")) ? motivo.arg(modelo) : motivo)),
                     qPrintable(m.Avisos()[0]));
            QVERIFY(m.f->PartesPDF.isEmpty());
            QVERIFY(m.trabajos.isEmpty());
        }
        QCOMPARE(QDir(m.f->CarpetaTrabajo()).entryList(QDir::Files).size(), 0);
    }

    // The Word documents listed after a job: each item for each row, "Camp="
    // taking the row's value into the path; an item whose field Temporal does
    // not have gives no document.
    // A field hidden from the user chooses no document either (nor stands
    // in a path a warning would show): its items give none.
    void documentosAdjuntos_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("oculto");
        QTest::addColumn<QStringList>("orden");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "todos visibles") << QString()
                                              << QStringList{"Contrato de Ana", "Normas para Ana",
                                                             "Anexo B de Luis", "Normas para Luis"};
            NewEngineRow(e, "campo del nombre oculto")
                << QStringLiteral("modelo") << QStringList{"Normas para Ana", "Normas para Luis"};
        }
    }
    void documentosAdjuntos() {
        QFETCH(int, engine);
        QFETCH(QString, oculto);
        QFETCH(QStringList, orden);
        if (OfficeProgram(QString()).isEmpty()) QSKIP("LibreOffice no está instalado");
        QTemporaryDir dir;
        QVERIFY(ModeloContrato(dir.filePath(QStringLiteral("anexo_A.docx"))));
        QVERIFY(CrearDocx(dir.filePath(QStringLiteral("anexo_B.docx")),
                          QStringLiteral("<w:p><w:r><w:t>Anexo B de $Nombre$</w:t></w:r></w:p>")));
        QVERIFY(CrearDocx(dir.filePath(QStringLiteral("normas.docx")),
                          QStringLiteral("<w:p><w:r><w:t>Normas para $Nombre$</w:t></w:r></w:p>")));
        Motor m{Engine(engine), QStringLiteral("Grafico"),
                QStringLiteral("[SISTEMA]\r\nDocumentosAdjuntos=") +
                    dir.filePath(QStringLiteral("anexo_Camp=Modelo.docx,")) +
                    dir.filePath(QStringLiteral("normas.docx")) + QLatin1Char(',') +
                    dir.filePath(QStringLiteral("x_Camp=NoExiste.docx"))};
        QVERIFY(m.creada);
        m.Fila(1, QStringLiteral("Ana"), QStringLiteral("Sol 1"), QString(), QStringLiteral("A"));
        m.Fila(2, QStringLiteral("Luis"), QString(), QString(), QStringLiteral("B"));
        CamposNoVisiblesUsuario = oculto;
        const auto restaurar = qScopeGuard([] { CamposNoVisiblesUsuario.clear(); });
        const QString pdf = dir.filePath(QStringLiteral("adjuntos.pdf"));
        m.f->DestinoImpreso = QStringLiteral("PDF:") + pdf;
        m.f->ImprimirDocumentosAdjuntos();
        QCOMPARE(m.f->PartesPDF.size(), orden.size());
        m.f->UnirPartesPDF();
        const QString texto = TextoPdf(pdf);
        QVERIFY2(orden.size() == 4 || !texto.contains(QLatin1String("Anexo")) &&
                                          !texto.contains(QLatin1String("Contrato")),
                 qPrintable(texto));
        qsizetype desde = 0;
        for (const QString& t : orden) {
            const qsizetype i = texto.indexOf(t, desde);
            QVERIFY2(i >= 0, qPrintable(t + QStringLiteral(" en ") + texto));
            desde = i;
        }
        QCOMPARE(m.Avisos(), QStringList());
    }

    // "Texto" on a printer: one raw stream of line feeds, reverse feeds ESC
    // "j" "$", blanks, text in code page 850 and carriage returns, with the
    // Asci codes as they are; the seam's file stands for the printer.
    void texto_data() { AddEngineRows(); }
    void texto() {
        QFETCH(int, engine);
        Motor m{
            Engine(engine), QStringLiteral("Texto"),
            QStringLiteral(
                "[SISTEMA]\r\n[CABECERA]\r\nText=5;3;0;Año\r\nText=2;1;0;Niño\r\nAsci=27,64\r\n")};
        QVERIFY(m.creada);
        m.Fila(1, QStringLiteral("Ana"), QString());
        QTemporaryDir dir;
        const QString impresora = dir.filePath(QStringLiteral("impresora.prn"));
        AsignarSeamImpreso(
            [&](const QString&) -> QString { return QStringLiteral("PDF:") + impresora; });
        AsignarSeamImpresoras([] { return QStringList{QStringLiteral("Epson_LX")}; },
                              [](QPrinter&, const QString&) { return true; });
        OmitirDialogoImpresora = true;
        m.f->EjecutarImpreso();
        AsignarSeamImpresoras(nullptr, nullptr);
        QCOMPARE(m.Avisos(), QStringList());
        QCOMPARE(Contenido(impresora),
                 QByteArray("\n\n\n     A\xA4o\r\x1bj$\x1bj$  Ni\xA4o\r\x1b@"));
    }

    // The attachments mode to a "PDF:" target: each record's document, then
    // its files in the record's order; a photo is skipped.
    void conAdjuntosPDF_data() { AddEngineRows(); }
    void conAdjuntosPDF() {
        QFETCH(int, engine);
        if (OfficeProgram(QString()).isEmpty()) QSKIP("LibreOffice no está instalado");
        Motor m{Engine(engine), QStringLiteral("Grafico"), ProgramaAdjuntos()};
        QVERIFY(m.creada);
        Adjuntos(m);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("expedientes.pdf"));
        m.f->DestinoImpreso = QStringLiteral("PDF:") + pdf;
        m.f->EjecutarImpreso();
        QVERIFY2(m.Avisos().isEmpty(), qPrintable(m.Avisos().join(QLatin1Char('\n'))));
        QCOMPARE(PdfPageCount(pdf), 5);
        const QString texto = TextoPdf(pdf);
        qsizetype desde = 0;
        for (const char* t : {"Ana", "Anexo de Ana", "Luis", "Carta para Luis", "Eva"}) {
            const qsizetype i = texto.indexOf(QLatin1String(t), desde);
            QVERIFY2(i >= 0, qPrintable(QLatin1String(t) + QStringLiteral(" en ") + texto));
            desde = i + 1;
        }
        QVERIFY(m.trabajos.isEmpty());
        QCOMPARE(m.dialogos, 0);
    }

    // To a printer: the print dialog once; every record's document and its
    // files on the printer chosen there; cancelled, nothing at all.
    void conAdjuntosImpresora_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("cancelar");
        for (Engine e : AvailableEngines())
            for (const bool cancelar : {false, true})
                QTest::newRow(qPrintable(EngineTag(e) +
                                         (cancelar ? QStringLiteral(":cancelado") : QString())))
                    << int(e) << cancelar;
    }
    void conAdjuntosImpresora() {
        QFETCH(int, engine);
        QFETCH(bool, cancelar);
        if (OfficeProgram(QString()).isEmpty()) QSKIP("LibreOffice no está instalado");
        Motor m{Engine(engine), QStringLiteral("Grafico"), ProgramaAdjuntos()};
        QVERIFY(m.creada);
        Adjuntos(m);
        m.aceptarDialogo = !cancelar;
        QTemporaryDir dir;
        int hojas = 0;
        AsignarSeamImpreso([&](const QString&) -> QString {
            return QStringLiteral("PDF:") +
                   dir.filePath(QStringLiteral("hojas%1.pdf").arg(++hojas));
        });
        m.f->EjecutarImpreso();
        QCOMPARE(m.dialogos, 1);
        QCOMPARE(m.Avisos(), QStringList());
        if (cancelar) {
            QCOMPARE(hojas, 0);
            QVERIFY(m.trabajos.isEmpty());
            return;
        }
        QCOMPARE(hojas, 3);
        const QStringList nombres{QStringLiteral("Ana"), QStringLiteral("Luis"),
                                  QStringLiteral("Eva")};
        for (int i = 1; i <= 3; ++i)
            QVERIFY(TextoPdf(dir.filePath(QStringLiteral("hojas%1.pdf").arg(i)))
                        .contains(nombres[i - 1]));
        QCOMPARE(m.trabajos.size(), 2);
        const QStringList adjuntos{QStringLiteral("Anexo de Ana"),
                                   QStringLiteral("Carta para Luis")};
        for (int i = 0; i < 2; ++i) {
            const QString recibido = dir.filePath(QStringLiteral("adjunto%1.pdf").arg(i));
            QFile f(recibido);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(m.trabajos[i].datos);
            f.close();
            QVERIFY(!m.trabajos[i].raw);
            QVERIFY(TextoPdf(recibido).contains(adjuntos[i]));
        }
    }

    // A connection naming no Temporal column ends the mode with the reason.
    void conAdjuntosConexionMala_data() { AddEngineRows(); }
    void conAdjuntosConexionMala() {
        QFETCH(int, engine);
        Motor m{Engine(engine), QStringLiteral("Grafico"),
                ProgramaAdjuntos(QStringLiteral("PERSONAL>NoExiste"))};
        QVERIFY(m.creada);
        Adjuntos(m);
        QTemporaryDir dir;
        m.f->DestinoImpreso = QStringLiteral("PDF:") + dir.filePath(QStringLiteral("x.pdf"));
        m.f->EjecutarImpreso();
        QCOMPARE(m.Avisos(),
                 QStringList{QStringLiteral(
                     "¡La conexión de los documentos adjuntos no es válida! (PERSONAL>NoExiste)")});
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.pdf"))));
    }
};

QTEST_MAIN(TestGenelimpSalida)
#include "tst_genelimp_salida.moc"
