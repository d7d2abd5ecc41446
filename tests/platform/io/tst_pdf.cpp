#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtTest>

#include "io/pdf.h"

namespace {

void makePdf(const QString& path, int pages) {
    QPdfWriter writer(path);
    QPainter painter(&writer);
    for (int page = 1; page <= pages; ++page) {
        if (page > 1) writer.newPage();
        painter.drawText(100, 100, QStringLiteral("Página %1").arg(page));
    }
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

class TestPdf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void unirDocumentos() {
        QTemporaryDir dir;
        const QString one = dir.filePath(QStringLiteral("uno.pdf"));
        const QString two = dir.filePath(QStringLiteral("dos.pdf"));
        makePdf(one, 1);
        makePdf(two, 2);
        QCOMPARE(PdfPageCount(one), 1);
        QCOMPARE(PdfPageCount(two), 2);

        const QString joined = dir.filePath(QStringLiteral("unido.pdf"));
        QCOMPARE(JoinPdfFiles({one, two}, joined), 3);
        QCOMPARE(PdfPageCount(joined), 3);
        // Paths written the Windows way are accepted.
        QCOMPARE(PdfPageCount(QString(joined).replace(QLatin1Char('/'), QLatin1Char('\\'))), 3);

        // The target may be one of its own sources.
        QCOMPARE(JoinPdfFiles({joined, one}, joined), 4);
        QCOMPARE(PdfPageCount(joined), 4);

        // A single part is copied as it is.
        const QString copy = dir.filePath(QStringLiteral("copia.pdf"));
        QCOMPARE(JoinPdfFiles({two}, copy), 2);
        QCOMPARE(contents(copy), contents(two));

        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
    }

    // Whatever fails, the target is as it was and the error names the file at
    // fault.
    void errores_data() {
        QTest::addColumn<QByteArray>("malo");  // contents of the bad source; empty: missing
        QTest::addColumn<bool>("destinoMalo");
        QTest::addColumn<QString>("texto");
        QTest::newRow("no existe") << QByteArray() << false << "the file does not exist";
        QTest::newRow("no es un pdf")
            << QByteArray("Esto no es un PDF, aunque se llame así.\n") << false << "";
        QTest::newRow("vacio") << QByteArray("\n") << false << "";
        QTest::newRow("carpeta de destino") << QByteArray("-") << true << "";
    }
    void errores() {
        QFETCH(QByteArray, malo);
        QFETCH(bool, destinoMalo);
        QFETCH(QString, texto);
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("bueno.pdf"));
        makePdf(good, 2);
        QString bad = dir.filePath(QStringLiteral("malo.pdf"));
        if (destinoMalo)
            bad = good;
        else if (!malo.isEmpty())
            write(bad, malo);
        const QString target = destinoMalo ? dir.filePath(QStringLiteral("no/existe/unido.pdf"))
                                           : dir.filePath(QStringLiteral("unido.pdf"));
        if (!destinoMalo) write(target, "anterior");
        const QString atFault = destinoMalo ? target : bad;

        try {
            JoinPdfFiles({good, bad}, target);
            QFAIL("joined");
        } catch (const EPdfError& e) {
            QCOMPARE(e.FileName(), atFault);
            QVERIFY2(e.Message().contains(atFault), qPrintable(e.Message()));
            QVERIFY2(e.Message().contains(texto), qPrintable(e.Message()));
        }
        if (destinoMalo) {
            QVERIFY(!QFile::exists(target));
        } else {
            QCOMPARE(contents(target), QByteArray("anterior"));
            try {
                PdfPageCount(bad);
                QFAIL("counted");
            } catch (const EPdfError& e) {
                QCOMPARE(e.FileName(), bad);
            }
        }
        // No temporary file stays behind.
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(!name.startsWith(QLatin1Char('.')), qPrintable(name));
    }

    void sinDocumentos() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("unido.pdf"));
        QVERIFY_THROWS_EXCEPTION(EPdfError, JoinPdfFiles({}, target));
        QVERIFY(!QFile::exists(target));
    }
};

QTEST_MAIN(TestPdf)
#include "tst_pdf.moc"
