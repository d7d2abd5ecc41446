#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "io/modeldoc.h"
#include "io/office.h"
#include "support/documentoprueba.h"

namespace {

QByteArray Contenido(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Escribir(const QString& ruta, const QByteArray& datos) {
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(datos);
}

QString Run(const QString& texto, bool negrita = false) {
    return QStringLiteral("<w:r>") +
           (negrita ? QStringLiteral("<w:rPr><w:b/></w:rPr>") : QString()) +
           QStringLiteral("<w:t xml:space=\"preserve\">") + texto + QStringLiteral("</w:t></w:r>");
}

QString Parrafo(const QStringList& runs) {
    QString xml = QStringLiteral("<w:p>");
    for (int i = 0; i < runs.size(); ++i) xml += Run(runs[i], i % 2 == 1);
    return xml + QStringLiteral("</w:p>");
}

// Nota comes first: a value holding placeholders must not be filled by the
// fields after it.
const TCamposModelo kCampos{
    {QStringLiteral("Nota"), QStringLiteral("ver $Nombre$ | $Vacio$ $$")},
    {QStringLiteral("Nombre"), QStringLiteral("Pérez & Hijos <SA>")},
    {QStringLiteral("Domicilio"), QStringLiteral("Calle Mayor 1\r\n28001 Madrid")},
    {QStringLiteral("A"), QStringLiteral("uno")},
    {QStringLiteral("B"), QStringLiteral("dos")},
    {QStringLiteral("Vacio"), QString()}};

// The script stands in for a LibreOffice that never ends or that fails.
QString Guion(const QTemporaryDir& dir, const QString& nombre, const QByteArray& cuerpo) {
    const QString ruta = dir.filePath(nombre);
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly)) return QString();
    f.write("#!/bin/sh\n" + cuerpo + "\n");
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
    return ruta;
}

}  // namespace

class TestModelDoc : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What a reader of the filled .docx sees, paragraph by paragraph.
    void rellenarDocx_data() {
        QTest::addColumn<QString>("cuerpo");
        QTest::addColumn<QString>("texto");
        QTest::newRow("partido en tres runs")
            << Parrafo(
                   {QStringLiteral("Sr. $Nom"), QStringLiteral("br"), QStringLiteral("e$, hola")})
            << QStringLiteral("Sr. Pérez & Hijos <SA>, hola\n");
        QTest::newRow("mayúsculas y repetido")
            << Parrafo({QStringLiteral("$nombre$ y $NOMBRE$")})
            << QStringLiteral("Pérez & Hijos <SA> y Pérez & Hijos <SA>\n");
        QTest::newRow("salto de línea")
            << Parrafo({QStringLiteral("Dirección: $Domi"), QStringLiteral("cilio$.")})
            << QStringLiteral("Dirección: Calle Mayor 1\n28001 Madrid.\n");
        QTest::newRow("blancos entre runs")
            << Parrafo({QStringLiteral("A"), QStringLiteral(" "), QStringLiteral("$A$")})
            << QStringLiteral("A uno\n");
        QTest::newRow("juntos y desconocido")
            << Parrafo({QStringLiteral("$A$$B$ $Otro$ 5$ $"), QStringLiteral("B$")})
            << QStringLiteral("unodos $Otro$ 5$ dos\n");
        // An empty value (a field the user may not see) takes its
        // placeholder out, split or whole, and leaves nothing of it.
        QTest::newRow("vacío partido")
            << Parrafo({QStringLiteral("DNI: [$Va"), QStringLiteral("cio$] $vACIO$.")})
            << QStringLiteral("DNI: [] .\n");
        QTest::newRow("valor con marcas")
            << Parrafo({QStringLiteral("$Nota$ $Nombre$")})
            << QStringLiteral("ver $Nombre$ | $Vacio$ $$ Pérez & Hijos <SA>\n");
        QTest::newRow("no cruza párrafos")
            << Parrafo({QStringLiteral("fin $A")}) + Parrafo({QStringLiteral("$ sigue")})
            << QStringLiteral("fin $A\n$ sigue\n");
    }
    void rellenarDocx() {
        QFETCH(QString, cuerpo);
        QFETCH(QString, texto);
        QTemporaryDir dir;
        const QString modelo = dir.filePath(QStringLiteral("modelo.docx"));
        const QString copia = dir.filePath(QStringLiteral("copia.docx"));
        QVERIFY(CrearDocx(modelo, cuerpo, Parrafo({QStringLiteral("Cabecera $A$")})));
        const QByteArray original = Contenido(modelo);
        QString motivo;
        QVERIFY2(FillModelDocument(modelo, copia, kCampos, &motivo), qPrintable(motivo));
        QCOMPARE(TextoXml(EntradaZip(copia, QStringLiteral("word/document.xml"))), texto);
        QCOMPARE(TextoXml(EntradaZip(copia, QStringLiteral("word/header1.xml"))),
                 QStringLiteral("Cabecera uno\n"));
        // The rest of the package is carried over; the model is untouched.
        QCOMPARE(EntradaZip(copia, QStringLiteral("_rels/.rels")),
                 EntradaZip(modelo, QStringLiteral("_rels/.rels")));
        QCOMPARE(Contenido(modelo), original);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void rellenarOdt() {
        QTemporaryDir dir;
        const QString modelo = dir.filePath(QStringLiteral("modelo.odt"));
        const QString copia = dir.filePath(QStringLiteral("copia.odt"));
        QVERIFY(
            CrearOdt(modelo, QStringLiteral("<text:p>Sr. <text:span>$Nom</text:span>bre$</text:p>"
                                            "<text:h>$Domicilio$</text:h>")));
        QString motivo;
        QVERIFY2(FillModelDocument(modelo, copia, kCampos, &motivo), qPrintable(motivo));
        QCOMPARE(TextoXml(EntradaZip(copia, QStringLiteral("content.xml"))),
                 QStringLiteral("Sr. Pérez & Hijos <SA>\nCalle Mayor 1\n28001 Madrid\n"));
        QCOMPARE(EntradaZip(copia, QStringLiteral("mimetype")),
                 QByteArray("application/vnd.oasis.opendocument.text"));
    }

    // A model that cannot be used leaves the target as it was, with the reason.
    void modelosMalos_data() {
        QTest::addColumn<QByteArray>("clase");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("no existe")
            << QByteArray("falta") << QStringLiteral("no se puede leer el modelo");
        QTest::newRow("un .doc antiguo")
            << QByteArray("doc") << QStringLiteral("no es un documento .docx ni .odt");
        QTest::newRow("zip sin documento")
            << QByteArray("zip") << QStringLiteral("no es un documento .docx ni .odt");
        QTest::newRow("xml dañado") << QByteArray("xml") << QStringLiteral("el modelo está dañado");
        QTest::newRow("destino sin carpeta")
            << QByteArray("destino") << QStringLiteral("no se puede escribir");
    }
    void modelosMalos() {
        QFETCH(QByteArray, clase);
        QFETCH(QString, motivo);
        QTemporaryDir dir;
        const QString modelo = dir.filePath(QStringLiteral("modelo.docx"));
        QString destino = dir.filePath(QStringLiteral("copia.docx"));
        Escribir(destino, "anterior");
        if (clase == "doc") Escribir(modelo, QByteArray("\xD0\xCF\x11\xE0 documento antiguo"));
        if (clase == "zip")
            QVERIFY(CrearZip(modelo, {{QStringLiteral("word/styles.xml"), "<x/>"}}));
        if (clase == "xml")
            QVERIFY(CrearDocx(modelo, QStringLiteral("<w:p><w:r><w:t>abierto</w:r></w:p>")));
        if (clase == "destino") {
            QVERIFY(CrearDocx(modelo, Parrafo({QStringLiteral("$A$")})));
            destino = dir.filePath(QStringLiteral("no/existe/copia.docx"));
        }
        QString texto;
        QVERIFY(!FillModelDocument(modelo, destino, kCampos, &texto));
        QVERIFY2(texto.contains(motivo), qPrintable(texto));
        if (clase != "destino") QCOMPARE(Contenido(destino), QByteArray("anterior"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
                 clase == "falta" ? 1 : 2);
    }

    // The filled model read back from LibreOffice's PDF, as the user gets it.
    void aPdf() {
        if (OfficeProgram(QString()).isEmpty()) QSKIP("LibreOffice no está instalado");
        QTemporaryDir dir;
        const QString modelo = dir.filePath(QStringLiteral("modelo.docx"));
        const QString copia = dir.filePath(QStringLiteral("copia.docx"));
        const QString pdf = dir.filePath(QStringLiteral("salida.pdf"));
        QVERIFY(CrearDocx(modelo,
                          Parrafo({QStringLiteral("Contrato de $Nom"), QStringLiteral("bre$ en"),
                                   QStringLiteral(" $Domicilio$")})));
        QString motivo;
        QVERIFY2(FillModelDocument(modelo, copia, kCampos, &motivo), qPrintable(motivo));
        QVERIFY2(ConvertToPdf(copia, pdf, QString(), 120000, &motivo), qPrintable(motivo));
        const QString leido = TextoPdf(pdf);
        QVERIFY2(leido.contains(QStringLiteral(
                     "Contrato de Pérez & Hijos <SA> en Calle Mayor 1\n28001 Madrid")),
                 qPrintable(leido));
        // The job's profile and output folders are gone with it.
        QCOMPARE(QDir(dir.path())
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                     .size(),
                 3);
    }

    // Without a working LibreOffice: the reason, and the target as it was.
    void sinLibreOffice_data() {
        QTest::addColumn<QByteArray>("caso");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("no instalado")
            << QByteArray("path")
            << QStringLiteral("LibreOffice no está instalado (no se encuentra soffice)");
        QTest::newRow("mal configurado")
            << QByteArray("config")
            << QStringLiteral("no se puede iniciar LibreOffice (/no/existe/soffice)");
        QTest::newRow("falla") << QByteArray("falla")
                               << QStringLiteral("LibreOffice no ha podido convertir");
        QTest::newRow("no termina")
            << QByteArray("espera")
            << QStringLiteral("LibreOffice no ha terminado en el tiempo de espera (1 s)");
    }
    void sinLibreOffice() {
        QFETCH(QByteArray, caso);
        QFETCH(QString, motivo);
        QTemporaryDir dir;
        const QString documento = dir.filePath(QStringLiteral("doc.docx"));
        QVERIFY(CrearDocx(documento, Parrafo({QStringLiteral("hola")})));
        const QString pdf = dir.filePath(QStringLiteral("doc.pdf"));
        Escribir(pdf, "anterior");
        const QByteArray path = qgetenv("PATH");
        QString configurado;
        if (caso == "path") qputenv("PATH", QFile::encodeName(dir.path()));
        if (caso == "config") configurado = QStringLiteral("/no/existe/soffice");
        if (caso == "falla")
            configurado = Guion(dir, QStringLiteral("falla"),
                                "echo 'Error: source file could not be loaded'; exit 1");
        if (caso == "espera") configurado = Guion(dir, QStringLiteral("espera"), "exec sleep 30");
        QString texto;
        const bool hecho = ConvertToPdf(documento, pdf, configurado, 1000, &texto);
        qputenv("PATH", path);
        QVERIFY(!hecho);
        QVERIFY2(texto.startsWith(motivo), qPrintable(texto));
        QCOMPARE(Contenido(pdf), QByteArray("anterior"));
    }
};

QTEST_GUILESS_MAIN(TestModelDoc)
#include "tst_modeldoc.moc"
