// Every writer of files through the checked output file: on a full disk (a
// file-size limit the test sets for itself) the write is reported failed, the
// old file keeps its bytes, a new one is not made, and nothing is left beside;
// a target that is a link gets the new bytes in the file it names, the link
// staying a link; a folder that takes no new file still lets its writable
// files be written, and a refusal names its reason in Spanish.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "io/outputfile.h"
#include "io/printqueue.h"
#include "io/textfile.h"
#include "io/xlsx.h"
#include "support/discolleno.h"

namespace {

using Escritor = std::function<bool(const QString& ruta)>;

QByteArray Leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no existe>");
}

QByteArray Bytes(qsizetype n) {
    QByteArray b(n, 'x');
    for (qsizetype i = 0; i < n; i += 64) b[i] = '\n';
    return b;
}

bool PdfDePaginas(const QString& ruta, int paginas) {
    TOutputFile salida(ruta);
    if (!salida.open(QIODevice::WriteOnly)) return false;
    {
        QPdfWriter pdf(&salida);
        QPainter p;
        if (!p.begin(&pdf)) return false;
        for (int i = 0; i < paginas; ++i) {
            if (i > 0) pdf.newPage();
            for (int linea = 0; linea < 40; ++linea)
                p.drawText(100, 100 + linea * 200,
                           QStringLiteral("Página %1 · línea %2 · Łódź").arg(i + 1).arg(linea));
        }
        if (!p.end()) return false;
    }
    return salida.Commit();
}

bool Pdf(const QString& ruta) {
    return PdfDePaginas(ruta, 3);
}

// A PDF printed "to file" through the print dialog's printer.
bool PdfImpreso(const QString& ruta, QString* motivo = nullptr) {
    QPrinter impresora(QPrinter::ScreenResolution);
    impresora.setOutputFormat(QPrinter::PdfFormat);
    impresora.setOutputFileName(ruta);
    TPrinterFile archivo(impresora);
    {
        QPainter p;
        if (!p.begin(&impresora)) return false;
        for (int i = 0; i < 30; ++i) {
            if (i > 0) impresora.newPage();
            for (int linea = 0; linea < 40; ++linea)
                p.drawText(20, 20 + linea * 15, QStringLiteral("Hoja %1 · %2").arg(i).arg(linea));
        }
        p.end();
    }
    return archivo.Commit(motivo);
}

bool Libro(const QString& ruta) {
    try {
        XlsxWorkbook libro(ruta);
        libro.WriteString(0, 0, 0, QStringLiteral("dato · Łódź"));
        libro.Save();
        return true;
    } catch (const EOutputError&) {
        return false;
    }
}

// Runs a writer as a user who is not root where the test runs as root, so
// that folder permissions bite: in a child process that takes the identity of
// "nobody" (65534). The exit status tells the outcome; the reason, if any,
// comes back through a pipe.
bool ComoUsuario(const std::function<bool(QString*)>& escribir, QString* motivo) {
    if (::geteuid() != 0) return escribir(motivo);
    int tubo[2];
    if (::pipe(tubo) != 0) return false;
    const pid_t hijo = ::fork();
    if (hijo == 0) {
        ::close(tubo[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        QString razon;
        const bool ok = escribir(&razon);
        const QByteArray bytes = razon.toUtf8();
        if (::write(tubo[1], bytes.constData(), size_t(bytes.size())) < 0) ::_exit(4);
        ::_exit(ok ? 0 : 1);
    }
    ::close(tubo[1]);
    QByteArray leido;
    char bloque[512];
    for (ssize_t n; (n = ::read(tubo[0], bloque, sizeof bloque)) > 0;) leido.append(bloque, n);
    ::close(tubo[0]);
    int estado = 0;
    ::waitpid(hijo, &estado, 0);
    if (motivo) *motivo = QString::fromUtf8(leido);
    return WIFEXITED(estado) && WEXITSTATUS(estado) == 0;
}

}  // namespace

Q_DECLARE_METATYPE(Escritor)

class TestOutputFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void discoLleno_data() {
        QTest::addColumn<Escritor>("escribir");
        QTest::addColumn<bool>("habiaArchivo");
        // A write smaller than any buffer: the failure shows only when it is
        // flushed, after the writer has been told every byte was taken.
        QTest::newRow("pocos bytes")
            << Escritor([](const QString& r) { return WriteWholeFile(r, Bytes(300)); }) << true;
        QTest::newRow("pocos bytes, archivo nuevo")
            << Escritor([](const QString& r) { return WriteWholeFile(r, Bytes(300)); }) << false;
        QTest::newRow("muchos bytes")
            << Escritor([](const QString& r) { return WriteWholeFile(r, Bytes(1 << 20)); }) << true;
        QTest::newRow("texto con letras fuera de Latin-1") << Escritor([](const QString& r) {
            return WriteTextFile(r, QString(200, QChar(0x0141)) + QStringLiteral("\n"),
                                 TextEncoding::Utf8);
        }) << true;
        QTest::newRow("texto privado") << Escritor([](const QString& r) {
            return WriteOwnerOnlyTextFile(r, QString(400, u'c'), TextEncoding::Windows1252);
        }) << true;
        QTest::newRow("por bloques") << Escritor([](const QString& r) {
            TOutputFile f(r);
            if (!f.open(QIODevice::WriteOnly)) return false;
            for (int i = 0; i < 100; ++i)
                if (f.write(Bytes(1000)) != 1000) return false;
            return f.Commit();
        }) << true;
        QTest::newRow("pdf") << Escritor(Pdf) << true;
        // Larger than one block: a write fails while the PDF writer goes on,
        // and that failure must still be there at the end.
        QTest::newRow("pdf de más de 64 KiB")
            << Escritor([](const QString& r) { return PdfDePaginas(r, 120); }) << true;
        // The printer writes its file itself: only the check that the PDF is
        // whole stands between a cut file and the user's old one.
        QTest::newRow("pdf impreso en archivo")
            << Escritor([](const QString& r) { return PdfImpreso(r); }) << true;
        QTest::newRow("libro") << Escritor(Libro) << true;
    }
    void discoLleno() {
        QFETCH(Escritor, escribir);
        QFETCH(bool, habiaArchivo);
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("salida.dat"));
        const QByteArray antes("contenido anterior\r\n");
        if (habiaArchivo) {
            QFile f(ruta);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(antes);
        }
        const QStringList entradas = EntradasCarpeta(dir.path());
        bool escrito = true;
        {
            TDiscoLleno lleno(200);
            escrito = escribir(ruta);
        }
        QVERIFY(!escrito);
        QCOMPARE(Leer(ruta), habiaArchivo ? antes : QByteArray("<no existe>"));
        QCOMPARE(EntradasCarpeta(dir.path()), entradas);

        // With room, the same writer replaces the file whole.
        QVERIFY(escribir(ruta));
        QVERIFY(Leer(ruta).size() > 200);
        QCOMPARE(EntradasCarpeta(dir.path()), QStringList{QStringLiteral("salida.dat")});
    }

    // A target that is a link: the file it names takes the new bytes and the
    // link stays a link, whatever writer writes it.
    void enlace_data() {
        QTest::addColumn<Escritor>("escribir");
        QTest::addColumn<QString>("forma");
        const QList<std::pair<const char*, Escritor>> escritores = {
            {"bytes", [](const QString& r) { return WriteWholeFile(r, Bytes(300)); }},
            {"pdf", Escritor(Pdf)},
            {"pdf impreso", [](const QString& r) { return PdfImpreso(r); }},
            {"libro", Escritor(Libro)},
        };
        for (const auto& [nombre, escritor] : escritores)
            for (const char* forma : {"absoluto", "relativo", "cadena", "sin destino"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(nombre, forma)))
                    << escritor << QString::fromLatin1(forma);
    }
    void enlace() {
        QFETCH(Escritor, escribir);
        QFETCH(QString, forma);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("compartida")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Documentos")));
        const QString destino = dir.filePath(QStringLiteral("compartida/informe · Łódź.dat"));
        const QString enlace = dir.filePath(QStringLiteral("Documentos/informe.dat"));
        const QByteArray antes("contenido anterior\n");
        if (forma != QLatin1String("sin destino")) {
            QFile f(destino);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(antes);
        }
        if (forma == QLatin1String("relativo")) {
            QVERIFY(QFile::link(QStringLiteral("../compartida/informe · Łódź.dat"), enlace));
        } else if (forma == QLatin1String("cadena")) {
            const QString medio = dir.filePath(QStringLiteral("Documentos/medio.dat"));
            QVERIFY(QFile::link(destino, medio));
            QVERIFY(QFile::link(medio, enlace));
        } else {
            QVERIFY(QFile::link(destino, enlace));
        }
        QStringList documentos{QStringLiteral("informe.dat")};
        if (forma == QLatin1String("cadena")) documentos << QStringLiteral("medio.dat");

        QVERIFY(escribir(enlace));
        QVERIFY(QFileInfo(enlace).isSymLink());
        const QByteArray escrito = Leer(destino);
        QVERIFY(escrito != antes && escrito != "<no existe>" && !escrito.isEmpty());
        QCOMPARE(Leer(enlace), escrito);
        QCOMPARE(EntradasCarpeta(dir.filePath(QStringLiteral("Documentos"))), documentos);
        QCOMPARE(EntradasCarpeta(dir.filePath(QStringLiteral("compartida"))),
                 QStringList{QStringLiteral("informe · Łódź.dat")});
    }

    // A folder where the user may not create files: a file in it he may write
    // is written in place, whole; one he may not, or a new one, is refused
    // with the reason in Spanish and left as it was.
    void carpetaSinPermiso_data() {
        QTest::addColumn<Escritor>("escribir");
        QTest::addColumn<int>("modo");  // the file's mode; 0: no file
        QTest::addColumn<bool>("escribe");
        const Escritor bytes = [](const QString& r) { return WriteWholeFile(r, Bytes(70000)); };
        QTest::newRow("archivo que se puede escribir") << bytes << 0666 << true;
        QTest::newRow("libro que se puede escribir") << Escritor(Libro) << 0666 << true;
        QTest::newRow("archivo de solo lectura") << bytes << 0444 << false;
        QTest::newRow("archivo nuevo") << bytes << 0 << false;
    }
    void carpetaSinPermiso() {
        QFETCH(Escritor, escribir);
        QFETCH(int, modo);
        QFETCH(bool, escribe);
        QTemporaryDir dir;
        const QString carpeta = dir.filePath(QStringLiteral("Compartida"));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Compartida")));
        const QString ruta = carpeta + QStringLiteral("/salida.xlsx");
        const QByteArray antes(100000, 'a');  // longer than the new content
        if (modo) {
            QFile f(ruta);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(antes);
            f.close();
            QVERIFY(::chmod(QFile::encodeName(ruta).constData(), mode_t(modo)) == 0);
        }
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(carpeta).constData(), 0555) == 0);
        const QStringList entradas = EntradasCarpeta(carpeta);
        QString motivo;
        const bool escrito = ComoUsuario([&](QString*) { return escribir(ruta); }, &motivo);
        QVERIFY(::chmod(QFile::encodeName(carpeta).constData(), 0755) == 0);
        QCOMPARE(escrito, escribe);
        QCOMPARE(EntradasCarpeta(carpeta), entradas);
        if (escribe) {
            const QByteArray nuevo = Leer(ruta);
            QVERIFY(nuevo != antes && nuevo.size() < antes.size() && !nuevo.isEmpty());
            struct stat st;
            QVERIFY(::stat(QFile::encodeName(ruta).constData(), &st) == 0);
            QCOMPARE(int(st.st_mode & 0777), modo);
        } else {
            QCOMPARE(Leer(ruta), modo ? antes : QByteArray("<no existe>"));
        }
    }

    // Every refusal says its reason in Spanish.
    void motivoEnEspanol() {
        QTemporaryDir dir;
        QString motivo;
        QVERIFY(!WriteWholeFile(dir.filePath(QStringLiteral("no/existe/x.txt")), "x", &motivo));
        QCOMPARE(motivo, QStringLiteral("la carpeta no existe"));
        QVERIFY(!WriteWholeFile(dir.path(), "x", &motivo));
        QVERIFY2(!motivo.isEmpty() && !motivo.contains(QLatin1String("denied")),
                 qPrintable(motivo));
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        QVERIFY(!ComoUsuario(
            [&](QString* r) {
                return WriteWholeFile(dir.filePath(QStringLiteral("nuevo.txt")), "x", r);
            },
            &motivo));
        QCOMPARE(motivo, QStringLiteral("permiso denegado"));
    }

    // The new file takes the old one's permissions; a private one is the
    // owner's alone whatever the old one allowed.
    void permisos() {
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("p.txt"));
        QVERIFY(WriteWholeFile(ruta, "uno"));
        QVERIFY(
            QFile::setPermissions(ruta, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(WriteWholeFile(ruta, "dos"));
        const QFile::Permissions otros =
            QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
        QCOMPARE(QFile::permissions(ruta) & otros, QFile::Permissions(QFile::ReadGroup));
        QVERIFY(QFile::setPermissions(ruta, QFile::permissions(ruta) | QFile::ReadOther));
        QVERIFY(WriteOwnerOnlyTextFile(ruta, QStringLiteral("clave"), TextEncoding::Utf8));
        QCOMPARE(QFile::permissions(ruta) & otros, QFile::Permissions());
        QCOMPARE(Leer(ruta), QByteArray("clave"));
    }
};

QTEST_MAIN(TestOutputFile)
#include "tst_outputfile.moc"
