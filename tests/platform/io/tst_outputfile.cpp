// Every writer of files through the checked output file: on a full disk (a
// file-size limit the test sets for itself) the write is reported failed, the
// old file keeps its bytes, a new one is not made, and nothing is left beside.

#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "io/outputfile.h"
#include "io/textfile.h"
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

bool Pdf(const QString& ruta) {
    TOutputFile salida(ruta);
    if (!salida.open(QIODevice::WriteOnly)) return false;
    {
        QPdfWriter pdf(&salida);
        QPainter p;
        if (!p.begin(&pdf)) return false;
        for (int i = 0; i < 3; ++i) {
            if (i > 0) pdf.newPage();
            p.drawText(100, 100, QStringLiteral("Página %1 · Łódź").arg(i + 1));
        }
        if (!p.end()) return false;
    }
    return salida.Commit();
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
