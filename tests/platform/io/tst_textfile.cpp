#include <QTemporaryDir>
#include <QtTest>

#include "io/textfile.h"

class TestTextFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void deteccion_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("codificacion");
        QTest::newRow("utf8") << QByteArray("Configuraci\xC3\xB3n") << "Configuración"
                              << int(TextEncoding::Utf8);
        QTest::newRow("windows-1252") << QByteArray("Configuraci\xF3n \x80 \xB7")
                                      << "Configuración € ·" << int(TextEncoding::Windows1252);
        QTest::newRow("ascii") << QByteArray("A=1") << "A=1" << int(TextEncoding::Windows1252);
        QTest::newRow("bom") << QByteArray(
                                    "\xEF\xBB\xBF"
                                    "a\xC3\xB1")
                             << "añ" << int(TextEncoding::Utf8Bom);
        // A UTF-8 sequence cut short at the end is not UTF-8.
        QTest::newRow("utf8 cortado")
            << QByteArray("a\xC3") << "aÃ" << int(TextEncoding::Windows1252);
        QTest::newRow("vacio") << QByteArray() << "" << int(TextEncoding::Windows1252);
    }
    void deteccion() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, texto);
        QFETCH(int, codificacion);
        TextEncoding detectada;
        QCOMPARE(DecodeText(bytes, &detectada), texto);
        QCOMPARE(int(detectada), codificacion);
        // Written back in the encoding it was read in, the bytes are the same.
        QCOMPARE(EncodeText(texto, detectada), bytes);
    }

    void windows1252Completo() {
        QByteArray todos;
        for (int b = 0; b < 256; ++b) todos.append(char(b));
        const QString texto = DecodeText(todos);
        QCOMPARE(texto.size(), 256);
        QCOMPARE(EncodeText(texto, TextEncoding::Windows1252), todos);
        QCOMPARE(texto.at(0x80), QChar(0x20AC));
        QCOMPARE(texto.at(0x9F), QChar(0x0178));
        // What the code page cannot hold becomes "?".
        QCOMPARE(EncodeText(QStringLiteral("a\u4E2Db"), TextEncoding::Windows1252),
                 QByteArray("a?b"));
        // A text fits when it comes back whole: every UTF-16 unit, the C1
        // codes Windows keeps and those it maps elsewhere alike.
        for (int u = 0; u < 0x10000; ++u) {
            const QString t = QStringLiteral("a") + QChar(char16_t(u));
            const bool vuelve = DecodeWindows1252(EncodeText(t, TextEncoding::Windows1252)) == t;
            if (FitsWindows1252(t) != vuelve) QFAIL(qPrintable(QString::number(u, 16)));
        }
        QVERIFY(FitsWindows1252(QString()));
    }

    void archivos() {
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("salida.txt"));
        QVERIFY(WriteTextFile(ruta, QStringLiteral("Línea·uno\r\n"), TextEncoding::Windows1252));
        QFile archivo(ruta);
        QVERIFY(archivo.open(QIODevice::ReadOnly));
        QCOMPARE(archivo.readAll(), QByteArray("L\xEDnea\xB7uno\r\n"));
        archivo.close();
        // An existing file keeps its permissions.
        QVERIFY(QFile::setPermissions(ruta, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(WriteTextFile(ruta, QStringLiteral("otro"), TextEncoding::Utf8));
        QCOMPARE(QFile::permissions(ruta) & (QFile::ReadGroup | QFile::ReadOther), 0);
        QString texto = QStringLiteral("sin tocar");
        QVERIFY(!ReadTextFile(dir.filePath(QStringLiteral("no-existe.txt")), texto));
        QCOMPARE(texto, QStringLiteral("sin tocar"));
        QVERIFY(!WriteTextFile(dir.filePath(QStringLiteral("no/existe/x.txt")), texto,
                               TextEncoding::Utf8));
    }

    // Text sent raw to a printer: the letters of Spanish text at their code
    // page 850 places, control bytes unchanged, what 850 lacks as "?".
    void codigo850_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("eñe") << QStringLiteral("Año ÑU") << QByteArray("A\xA4o \xA5U");
        QTest::newRow("acentos") << QStringLiteral("áéíóú ÁÉÍÓÚ ü")
                                 << QByteArray("\xA0\x82\xA1\xA2\xA3 \xB5\x90\xD6\xE0\xE9 \x81");
        QTest::newRow("signos") << QStringLiteral("¿¡ºª·") << QByteArray("\xA8\xAD\xA7\xA6\xFA");
        QTest::newRow("control") << QStringLiteral("\x1bj$\r\n\f") << QByteArray("\x1bj$\r\n\f");
    }
    void codigo850() {
        QFETCH(QString, texto);
        QFETCH(QByteArray, bytes);
        QCOMPARE(EncodeCp850(texto), bytes);
        QCOMPARE(DecodeCp850(bytes), texto);
        QCOMPARE(EncodeCp850(QStringLiteral("€ ≠")), QByteArray("? ?"));
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
