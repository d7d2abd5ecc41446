#include <QTemporaryDir>
#include <QtTest>

#include "io/inifile.h"
#include "io/textfile.h"

class TestIniFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QString Archivo(const QByteArray& bytes) {
        const QString ruta = dir_.filePath(QStringLiteral("prueba.ini"));
        QFile f(ruta);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return ruta;
    }
    QByteArray Bytes(const QString& ruta) {
        QFile f(ruta);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

private Q_SLOTS:
    void lectura() {
        TIniFile ini(
            Archivo("; comentario\r\n[Configuraci\xF3n]\r\n  Idioma = ES  \r\n"
                    "Ruta=\"C:\\Mis Datos\\\"\r\nNumero=$1F\r\nMalo=12x\r\nSi=1\r\n"
                    "Formula=a=b\r\n;Oculta=1\r\n[Vacia]\r\n"));
        const QString seccion = QStringLiteral("CONFIGURACIÓN");
        QVERIFY(ini.SectionExists(seccion));
        const QString s = QStringLiteral("configuración");
        QVERIFY(ini.SectionExists(s));
        QCOMPARE(ini.ReadString(s, QStringLiteral("IDIOMA"), QString()), QStringLiteral("ES"));
        QCOMPARE(ini.ReadString(s, QStringLiteral("Ruta"), QString()),
                 QStringLiteral("C:\\Mis Datos\\"));
        QCOMPARE(ini.ReadString(s, QStringLiteral("Formula"), QString()), QStringLiteral("a=b"));
        QCOMPARE(ini.ReadString(s, QStringLiteral("Oculta"), QStringLiteral("d")),
                 QStringLiteral("d"));
        QCOMPARE(
            ini.ReadString(QStringLiteral("Otra"), QStringLiteral("Idioma"), QStringLiteral("d")),
            QStringLiteral("d"));
        QCOMPARE(ini.ReadInteger(s, QStringLiteral("Numero"), 0), 31);
        QCOMPARE(ini.ReadInteger(s, QStringLiteral("Malo"), -1), -1);
        QVERIFY(ini.ReadBool(s, QStringLiteral("Si"), false));
        QVERIFY(ini.ReadBool(s, QStringLiteral("Idioma"), true));
        QStringList claves;
        ini.ReadSection(s, claves);
        QCOMPARE(claves, (QStringList{"Idioma", "Ruta", "Numero", "Malo", "Si", "Formula"}));
        ini.ReadSectionValues(s, claves);
        QCOMPARE(claves.first(), QStringLiteral("Idioma=ES"));
        ini.ReadSection(QStringLiteral("Vacia"), claves);
        QVERIFY(claves.isEmpty());
        ini.ReadSections(claves);
        QCOMPARE(claves, (QStringList{"Configuración", "Vacia"}));
    }

    // Other keys, comments, blank lines, order, encoding and line ends survive a write.
    void escrituraConservaElResto() {
        const QString ruta =
            Archivo("; cabecera\r\n[A]\r\nUno=1\r\nDos=2\r\n\r\n[B]\r\nTres=3\r\n");
        TIniFile ini(ruta);
        QVERIFY(ini.WriteString(QStringLiteral("a"), QStringLiteral("DOS"), QStringLiteral("dos")));
        QVERIFY(
            ini.WriteString(QStringLiteral("A"), QStringLiteral("Cuatro"), QStringLiteral("4")));
        QVERIFY(ini.WriteString(QStringLiteral("Reconstrucción Automática de Tablas"),
                                QStringLiteral("Tablas"), QStringLiteral("X,")));
        QCOMPARE(Bytes(ruta),
                 QByteArray("; cabecera\r\n[A]\r\nUno=1\r\nDos=dos\r\nCuatro=4\r\n\r\n"
                            "[B]\r\nTres=3\r\n\r\n"
                            "[Reconstrucci\xF3n Autom\xE1tica de Tablas]\r\nTablas=X,\r\n"));
        QVERIFY(ini.DeleteKey(QStringLiteral("A"), QStringLiteral("uno")));
        QVERIFY(ini.EraseSection(QStringLiteral("b")));
        QVERIFY(!ini.SectionExists(QStringLiteral("B")));
        QCOMPARE(ini.ReadString(QStringLiteral("A"), QStringLiteral("Uno"), QStringLiteral("-")),
                 QStringLiteral("-"));
        QCOMPARE(ini.ReadString(QStringLiteral("A"), QStringLiteral("Cuatro"), QString()),
                 QStringLiteral("4"));
    }

    void codificacionYFinesDeLinea() {
        const QString ruta = Archivo("[Configuraci\xC3\xB3n]\nA=1");
        TIniFile ini(ruta);
        QVERIFY(ini.WriteString(QStringLiteral("Configuración"), QStringLiteral("B"),
                                QStringLiteral("ñ")));
        QCOMPARE(Bytes(ruta), QByteArray("[Configuraci\xC3\xB3n]\nA=1\nB=\xC3\xB1"));
        // A value holding line breaks stays on its line.
        QVERIFY(ini.WriteString(QStringLiteral("Configuración"), QStringLiteral("C"),
                                QStringLiteral("x\r\n[Intrusa]\r\ny=1")));
        QVERIFY(!ini.SectionExists(QStringLiteral("Intrusa")));
    }

    void archivoNuevo() {
        const QString ruta = dir_.filePath(QStringLiteral("nuevo.ini"));
        TIniFile ini(ruta);
        QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("d")),
                 QStringLiteral("d"));
        QVERIFY(!ini.SectionExists(QStringLiteral("S")));
        QVERIFY(ini.DeleteKey(QStringLiteral("S"), QStringLiteral("K")));
        QVERIFY(!QFile::exists(ruta));
        QVERIFY(ini.WriteInteger(QStringLiteral("Sección"), QStringLiteral("K"), 5));
        QCOMPARE(Bytes(ruta), QByteArray("[Secci\xF3n]\r\nK=5\r\n"));
        TIniFile sinCarpeta(dir_.filePath(QStringLiteral("no/hay/carpeta.ini")));
        QVERIFY(
            !sinCarpeta.WriteString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v")));
    }

    // Two objects on one file never undo each other's changes.
    void dosObjetosSobreUnArchivo() {
        const QString ruta = Archivo("[S]\r\n");
        TIniFile uno(ruta);
        TIniFile dos(ruta);
        uno.WriteString(QStringLiteral("S"), QStringLiteral("A"), QStringLiteral("1"));
        dos.WriteString(QStringLiteral("S"), QStringLiteral("B"), QStringLiteral("2"));
        QCOMPARE(uno.ReadString(QStringLiteral("S"), QStringLiteral("B"), QString()),
                 QStringLiteral("2"));
        QCOMPARE(dos.ReadString(QStringLiteral("S"), QStringLiteral("A"), QString()),
                 QStringLiteral("1"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
