#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include "io/printqueue.h"

namespace {

QByteArray Contenido(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An lp of our own on PATH: it keeps its arguments and the job it was given
// (its standard input for "-", else the file), or refuses it like CUPS does.
void LpFalso(const QTemporaryDir& dir, bool rechaza) {
    const QString ruta = dir.filePath(QStringLiteral("lp"));
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    if (rechaza) f.write("echo 'lp: The printer or class does not exist.' >&2; exit 1\n");
    f.write(
        "cd \"$(dirname \"$0\")\"\n"
        "echo \"$@\" > argumentos\n"
        "for ultimo; do :; done\n"
        "if [ \"$ultimo\" = - ]; then cat > trabajo; else cp \"$ultimo\" trabajo; fi\n");
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
}

const QByteArray kRaw("\x1bj$  A\xA4o\r\n\x0c\x1b@", 13);

}  // namespace

class TestPrintQueue : public QObject {
    Q_OBJECT
    QByteArray path_ = qgetenv("PATH");
private Q_SLOTS:
    void cleanup() {
        qputenv("PATH", path_);
        SetPrintQueueSeam(nullptr);
    }

    // What `lp` is asked to do, and the job it receives byte for byte.
    void lp_data() {
        QTest::addColumn<QString>("cola");
        QTest::addColumn<bool>("archivo");
        QTest::addColumn<bool>("raw");
        QTest::addColumn<QString>("argumentos");
        QTest::newRow("raw a una cola") << QStringLiteral("Epson_LX") << false << true
                                        << QStringLiteral("-d Epson_LX -o raw -");
        QTest::newRow("raw a la predeterminada")
            << QString() << false << true << QStringLiteral("-o raw -");
        QTest::newRow("archivo") << QStringLiteral("Laser") << true << false
                                 << QStringLiteral("-d Laser %1/doc.pdf");
        QTest::newRow("archivo raw") << QStringLiteral("Laser") << true << true
                                     << QStringLiteral("-d Laser -o raw %1/doc.pdf");
    }
    void lp() {
        QFETCH(QString, cola);
        QFETCH(bool, archivo);
        QFETCH(bool, raw);
        QFETCH(QString, argumentos);
        QTemporaryDir dir;
        LpFalso(dir, false);
        qputenv("PATH", QFile::encodeName(dir.path()) + ":/usr/bin:/bin");
        const QString doc = dir.filePath(QStringLiteral("doc.pdf"));
        QFile f(doc);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kRaw);
        f.close();
        QString motivo;
        QVERIFY2(archivo ? SendFileToPrintQueue(cola, doc, raw, &motivo)
                         : SendToPrintQueue(cola, kRaw, raw, &motivo),
                 qPrintable(motivo));
        QCOMPARE(QString::fromUtf8(Contenido(dir.filePath(QStringLiteral("argumentos")))).trimmed(),
                 argumentos.arg(dir.path()));
        QCOMPARE(Contenido(dir.filePath(QStringLiteral("trabajo"))), kRaw);
    }

    void fallos_data() {
        QTest::addColumn<QByteArray>("caso");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("sin lp") << QByteArray("sin lp")
                                << QStringLiteral("no se encuentra la orden lp de CUPS");
        QTest::newRow("cola rechaza") << QByteArray("rechaza")
                                      << QStringLiteral(
                                             "la impresora ha rechazado el trabajo: lp: The "
                                             "printer or class does not exist.");
        QTest::newRow("archivo falta")
            << QByteArray("falta") << QStringLiteral("no se puede leer ");
    }
    void fallos() {
        QFETCH(QByteArray, caso);
        QFETCH(QString, motivo);
        QTemporaryDir dir;
        if (caso != "sin lp") LpFalso(dir, caso == "rechaza");
        qputenv("PATH", QFile::encodeName(dir.path()));
        QString texto;
        const bool hecho =
            caso == "falta"
                ? SendFileToPrintQueue(QStringLiteral("X"), dir.filePath(QStringLiteral("no.pdf")),
                                       false, &texto)
                : SendToPrintQueue(QStringLiteral("X"), kRaw, true, &texto);
        QVERIFY(!hecho);
        QVERIFY2(texto.startsWith(motivo), qPrintable(texto));
    }

    // The print dialog's "print to file" takes the stream instead of the queue.
    void dialogoAArchivo() {
        QTemporaryDir dir;
        QList<QByteArray> enviados;
        SetPrintQueueSeam([&](const QString&, const QByteArray& datos, bool, QString*) {
            enviados << datos;
            return true;
        });
        QPrinter impresora;
        const QString salida = dir.filePath(QStringLiteral("salida.prn"));
        impresora.setOutputFileName(salida);
        QString motivo;
        QVERIFY(PrintRaw(impresora, kRaw, &motivo));
        QCOMPARE(Contenido(salida), kRaw);
        const QString doc = dir.filePath(QStringLiteral("doc.pdf"));
        QFile f(doc);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("%PDF-1.4 cuerpo");
        f.close();
        QVERIFY(PrintFile(impresora, doc, &motivo));
        QCOMPARE(Contenido(salida), QByteArray("%PDF-1.4 cuerpo"));
        QVERIFY(enviados.isEmpty());

        impresora.setOutputFileName(dir.filePath(QStringLiteral("no/existe.prn")));
        QVERIFY(!PrintRaw(impresora, kRaw, &motivo));
        QVERIFY2(motivo.startsWith(QStringLiteral("no se puede escribir ")), qPrintable(motivo));
    }
};

QTEST_MAIN(TestPrintQueue)
#include "tst_printqueue.moc"
