// Table names, SQL conditions, files, waiting, programs and the system.

#include <QtTest>

#include "db/dialect.h"
#include "gene/data/genemens.h"
#include "gene/data/genesist.h"
#include "gene/session/sesion.h"
#include "io/paths.h"

namespace {

void escribir(const QString& ruta, const QByteArray& datos) {
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(datos);
}

QByteArray leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList textosMostrados() {
    QStringList r;
    for (const auto& m : MessageSeam::log()) r << m.text;
    return r;
}

}  // namespace

class TestGeneSist : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { MessageSeam::activate(); }
    void cleanup() {
        MessageSeam::deactivate();
        TipoBaseDatos = QStringLiteral("Paradox");
    }

    void nombresDeTabla() {
        QVERIFY(EsTablaGeneral(QStringLiteral("dbo.USUARIO")));
        QVERIFY(EsTablaGeneral(QStringLiteral("VPART")));
        QVERIFY(!EsTablaGeneral(QStringLiteral("usuario")));
        QVERIFY(EsTablaGeneral(QStringLiteral("srv.EMPRESA.x")));
        QVERIFY(!EsTablaGeneral(QStringLiteral("PERSONAL")));
        QVERIFY(!EsTablaTemporal(QStringLiteral("TEMP_1")));
        QVERIFY(EsTablaTemporal(QStringLiteral("temp_1234")));
        QVERIFY(EsTablaTemporal(QStringLiteral("dbo.TEMPORAL1")));
        QVERIFY(!EsTablaTemporal(QString()));
        QCOMPARE(NombreTablaSQL(QStringLiteral("select * from Personal")), QString());
        QCOMPARE(NombreTablaSQL(QStringLiteral("SELECT A FROM dbo.Personal P WHERE A = 1")),
                 QStringLiteral("DBO.PERSONAL"));
        QCOMPARE(NombreTablaSQL(QStringLiteral("SELECT A\r\nFROM\r\nPuesto")),
                 QStringLiteral("PUESTO"));
    }

    void condicionDesdeHasta_data() {
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("desde");
        QTest::addColumn<QString>("hasta");
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("condicion");
        QTest::newRow("enteros vacios") << "Codigo"
                                        << ""
                                        << ""
                                        << "ftInteger"
                                        << "((Codigo = 0) OR (Codigo IS NULL))";
        QTest::newRow("rango entero") << "Codigo"
                                      << "5"
                                      << "9"
                                      << "ftInteger"
                                      << "(Codigo >= 5 AND Codigo <= 9)";
        QTest::newRow("entero no numerico")
            << "Codigo"
            << "x;DELETE"
            << "9"
            << "ftSmallint"
            << "((Codigo >= 0 AND Codigo <= 9) OR (Codigo IS NULL))";
        QTest::newRow("cast igual") << "Clave"
                                    << "7"
                                    << "7"
                                    << "CAST_AS_INTEGER"
                                    << "(CAST(Clave AS INTEGER) = 7)";
        QTest::newRow("cast rango")
            << "Clave"
            << "1"
            << "7"
            << "CAST_AS_INTEGER"
            << "(CAST(Clave AS INTEGER) >= 1 AND  CAST(Clave AS INTEGER) <= 7)";
        QTest::newRow("texto desde vacio")
            << "Nombre"
            << ""
            << "ZZZ"
            << "ftString"
            << "((Nombre >= '' AND Nombre <= 'ZZZ') OR (Nombre IS NULL))";
        QTest::newRow("texto con comilla") << "Nombre"
                                           << "O'Neill"
                                           << "O'Neill"
                                           << "ftMemo"
                                           << "(Nombre = 'O''Neill')";
        QTest::newRow("real en notacion SQL") << "Importe"
                                              << "0.5"
                                              << "12.75"
                                              << "ftFloat"
                                              << "(Importe >= 0.5 AND Importe <= 12.75)";
        QTest::newRow("real con coma")
            << "Importe"
            << "0"
            << "1.234,5"
            << "ftFloat"
            << "((Importe >= 0 AND Importe <= 1234.5) OR (Importe IS NULL))";
        QTest::newRow("real vacio") << "Importe"
                                    << ""
                                    << ""
                                    << "ftFloat"
                                    << "((Importe = 0) OR (Importe IS NULL))";
        QTest::newRow("fecha") << "Alta"
                               << "1/1/24"
                               << "31/12/2024"
                               << "ftDate"
                               << "(Alta >= '2024-01-01' AND Alta <= '2024-12-31')";
        QTest::newRow("fecha desde vacia")
            << "Alta"
            << ""
            << "31/12/2024"
            << "ftDate"
            << "((Alta >= '1899-12-30' AND Alta <= '2024-12-31') OR (Alta IS NULL))";
        QTest::newRow("fecha y hora") << "Momento"
                                      << "15/3/2024"
                                      << "15/3/2024"
                                      << "ftDateTime"
                                      << "(Momento = '2024-03-15')";
        QTest::newRow("fecha no valida") << "Alta"
                                         << "1/1/24'--"
                                         << "1/1/24'--"
                                         << "ftDate"
                                         << "(Alta = '1899-12-30')";
    }
    void condicionDesdeHasta() {
        QFETCH(QString, campo);
        QFETCH(QString, desde);
        QFETCH(QString, hasta);
        QFETCH(QString, tipo);
        QFETCH(QString, condicion);
        QCOMPARE(CondicionDesdeHasta(campo, desde, hasta, tipo), condicion);
    }

    void condicionDesdeHastaEnSqlServer() {
        TipoBaseDatos = QStringLiteral("Microsoft SQL Server");
        SetSqlServerDateFormat(QStringLiteral("dd/mm/yyyy"));
        QCOMPARE(CondicionDesdeHasta(QStringLiteral("Alta"), QStringLiteral("1/1/2024"),
                                     QStringLiteral("31/1/2024"), QStringLiteral("ftDate")),
                 QStringLiteral("(Alta >= '01/01/2024' AND Alta <= '31/01/2024')"));
    }

    void condicionDesdeHastaRealNoNumerico() {
        // A float bound that is no number never reaches the SQL.
        QVERIFY_THROWS_EXCEPTION(
            EAbort, CondicionDesdeHasta(QStringLiteral("ImporteBruto"), QStringLiteral("1"),
                                        QStringLiteral("9) OR (1=1"), QStringLiteral("ftFloat")));
        QCOMPARE(textosMostrados(),
                 QStringList{
                     QStringLiteral("¡El valor de Importe Bruto es incorrecto! Repita por favor")});
    }

    void textoDesdeHasta() {
        QCOMPARE(TextoDesdeHasta(QStringLiteral("CodigoPuesto|1|5")),
                 QStringLiteral("Desde Codigo Puesto: 1, Hasta Codigo Puesto: 5, "));
        QCOMPARE(TextoDesdeHasta(QStringLiteral("CodigoPuesto||")), QString());
        QCOMPARE(TextoDesdeHasta(QStringLiteral("Codigo||\r\nFechaAlta||1/1/2024\r\n")),
                 QStringLiteral("Desde Fecha Alta: , Hasta Fecha Alta: 1/1/2024, "));
        QCOMPARE(TextoDesdeHasta(QString()), QString());
    }

    void incluirNulos_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("resultado");
        QTest::newRow("igual y distinto")
            << "SELECT * FROM T WHERE A = '' AND B <> ''"
            << "SELECT * FROM T WHERE (A = '' OR A IS NULL) AND (B <> '' AND B IS NOT NULL)";
        QTest::newRow("sin comparaciones") << "SELECT * FROM T WHERE A = 'x'"
                                           << "SELECT * FROM T WHERE A = 'x'";
        QTest::newRow("varias del mismo tipo")
            << "SELECT * FROM T WHERE (A = '') OR\r\nB = ''"
            << "SELECT * FROM T WHERE ((A = '' OR A IS NULL)) OR\r\n(B = '' OR B IS NULL)";
        QTest::newRow("antes del WHERE detiene su tipo")
            << "SELECT A = '' AS X FROM T WHERE B = '' AND C <> ''"
            << "SELECT A = '' AS X FROM T WHERE B = '' AND (C <> '' AND C IS NOT NULL)";
        // Without a condition nothing is widened: a SET would become invalid SQL.
        QTest::newRow("sin WHERE") << "UPDATE T SET A = ''"
                                   << "UPDATE T SET A = ''";
        // The same characters inside a quoted value are part of the value.
        QTest::newRow("dentro de un valor")
            << "INSERT INTO T (A) SELECT 'a = ''x' FROM U WHERE B = '' AND C = 'b <> '''"
            << "INSERT INTO T (A) SELECT 'a = ''x' FROM U WHERE (B = '' OR B IS NULL) AND C = 'b "
               "<> '''";
        QTest::newRow("campo ilegible") << "SELECT * FROM T WHERE ( = '') AND B = ''"
                                        << "SELECT * FROM T WHERE ( = '') AND B = ''";
        // What the statement holds is never taken for the rewriting's own mark.
        QTest::newRow("texto con $$") << "SELECT * FROM T WHERE A = '$$' AND B = ''"
                                      << "SELECT * FROM T WHERE A = '$$' AND (B = '' OR B IS NULL)";
        QTest::newRow("marca escrita") << "SELECT * FROM T WHERE A = $$ AND B = ''"
                                       << "SELECT * FROM T WHERE A = $$ AND (B = '' OR B IS NULL)";
        // A value that begins with a quote is not an empty value.
        QTest::newRow("valor que empieza por comilla")
            << "DELETE FROM GRANALIS WHERE Codigo = '''Hooft' AND B = ''"
            << "DELETE FROM GRANALIS WHERE Codigo = '''Hooft' AND (B = '' OR B IS NULL)";
        QTest::newRow("valor que es una comilla")
            << "SELECT * FROM T WHERE A = '''' AND B <> ''"
            << "SELECT * FROM T WHERE A = '''' AND (B <> '' AND B IS NOT NULL)";
        QTest::newRow("WHERE dentro de un valor") << "UPDATE T SET N = 'x WHERE y', A = ''"
                                                  << "UPDATE T SET N = 'x WHERE y', A = ''";
        QTest::newRow("valor con saltos y marcas privadas")
            << QString::fromUtf8("SELECT * FROM T WHERE A = 'l\r\n\uF8FF0\uF8FF' AND B = ''")
            << QString::fromUtf8(
                   "SELECT * FROM T WHERE A = 'l\r\n\uF8FF0\uF8FF' AND (B = '' OR B IS NULL)");
    }
    void incluirNulos() {
        QFETCH(QString, sql);
        QFETCH(QString, resultado);
        QCOMPARE(IncluirNulosEnCondiciones(sql), resultado);
    }

    void archivos() {
        QTemporaryDir dir;
        const QString carpeta = dir.path();
        const QString origen = carpeta + QStringLiteral("/origen.txt");
        escribir(origen, "contenido");
        // Written the system's way, with "\".
        CopiarArchivo(WindowsPath(origen), WindowsPath(carpeta + QStringLiteral("/copia.txt")));
        QCOMPARE(leer(carpeta + QStringLiteral("/copia.txt")), QByteArray("contenido"));
        CopiarArchivo(origen, origen);  // onto itself: nothing lost
        QCOMPARE(leer(origen), QByteArray("contenido"));
        QVERIFY_THROWS_EXCEPTION(EInOutError, CopiarArchivo(carpeta + QStringLiteral("/falta.txt"),
                                                            carpeta + QStringLiteral("/x.txt")));
        QVERIFY_THROWS_EXCEPTION(EInOutError,
                                 CopiarArchivo(origen, carpeta + QStringLiteral("/no/x.txt")));

        QVERIFY(FechaArchivo(origen).isValid());
        QVERIFY(!FechaArchivo(carpeta + QStringLiteral("/falta.txt")).isValid());
        QVERIFY(!FechaArchivo(carpeta).isValid());

        const QString texto = carpeta + QStringLiteral("/PEDIDO.TXT");
        QVERIFY(CrearArchivoTexto(texto, QStringLiteral("Cuerpo=línea·dos\nFin")));
        QCOMPARE(leer(texto), QByteArray("Cuerpo=l\xEDnea\xB7"
                                         "dos\r\nFin\r\n"));
        QVERIFY(!CrearArchivoTexto(carpeta + QStringLiteral("/no/a.bat"), QStringLiteral("x")));
        QCOMPARE(MessageSeam::log().size(), 1);
        QVERIFY(MessageSeam::log().first().text.startsWith(
            QStringLiteral("Error de Creación del Archivo (.bat). Motivo: ")));
    }

    void borrarArchivos() {
        QTemporaryDir dir;
        const QString carpeta = dir.path();
        escribir(carpeta + QStringLiteral("/a.tmp"), "1");
        escribir(carpeta + QStringLiteral("/.oculto.TMP"), "1");
        escribir(carpeta + QStringLiteral("/b.txt"), "1");
        QVERIFY(QDir(carpeta).mkdir(QStringLiteral("c.tmp")));
        // The folder is not deleted and reported; the files still go.
        QVERIFY(!BorrarArchivos(WindowsPath(carpeta) + QStringLiteral("\\*.TMP")));
        QCOMPARE(QDir(carpeta).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral("b.txt"), QStringLiteral("c.tmp")}));
        escribir(carpeta + QStringLiteral("/sin_extension"), "1");
        QVERIFY(!BorrarArchivos(carpeta + QStringLiteral("/*.*")));
        QCOMPARE(QDir(carpeta).entryList(QDir::Files), QStringList());
        QVERIFY(BorrarArchivos(carpeta + QStringLiteral("/nada*")));
    }

    void rutaDiccionario() {
        QTemporaryDir dir;
        const QString general = dir.path() + QStringLiteral("/general");
        const QString programa = dir.path() + QStringLiteral("/programa");
        QDir().mkpath(general);
        QDir().mkpath(programa);
        escribir(programa + QStringLiteral("/DATABASE.TXT"), "PERSONAL/C/1/Codigo");
        const QString previoGeneral = PathBaseDatosGeneral;
        const QString previoPrograma = DirectorioPrograma;
        PathBaseDatosGeneral = WindowsPath(general);
        DirectorioPrograma = WindowsPath(programa) + QLatin1Char('\\');
        const QString ruta = RutaDiccionario();
        QCOMPARE(ruta, general + QStringLiteral("/DATABASE.TXT"));
        QCOMPARE(leer(ruta), QByteArray("PERSONAL/C/1/Codigo"));
        // Without a copy to make, the path still comes back.
        PathBaseDatosGeneral = general + QStringLiteral("/falta");
        QCOMPARE(RutaDiccionario(), general + QStringLiteral("/falta/DATABASE.TXT"));
        PathBaseDatosGeneral = previoGeneral;
        DirectorioPrograma = previoPrograma;
    }

    void esperarAtiendeEventos() {
        bool atendido = false;
        QTimer::singleShot(1, [&] { atendido = true; });
        Esperar(30);
        QVERIFY(atendido);
        Esperar(0);
        Esperar(-5);
    }

    void ejecutarYEsperar() {
        QTemporaryDir dir;
        const QString marca = dir.path() + QStringLiteral("/hecho");
        // The command line starts with the program itself; the call returns
        // only after the program has ended.
        EjecutarYEsperar(QStringLiteral("/bin/sh"),
                         QStringLiteral("sh -c \"sleep 0.1; echo x > '%1'\"").arg(marca));
        QVERIFY(QFile::exists(marca));
        QVERIFY(MessageSeam::log().isEmpty());

        EjecutarYEsperar(dir.path() + QStringLiteral("/no_existe"), QString());
        QCOMPARE(MessageSeam::log().size(), 1);
        QVERIFY(MessageSeam::log().first().text.startsWith(
            QStringLiteral("Error de Creación del Proceso: ")));
    }

    void ejecutarPrograma() {
        QTemporaryDir dir;
        const QString texto = dir.path() + QStringLiteral("/datos.txt");
        escribir(texto, "x");
        const QString falta = dir.path() + QStringLiteral("/FALTA.EXE");
        const QString sinCamino = dir.path() + QStringLiteral("/no/PROG.EXE");
        EjecutarPrograma(falta + QStringLiteral(" U=1"), QStringLiteral("Normal"));
        EjecutarPrograma(sinCamino, QStringLiteral("Minimizado"));
        EjecutarPrograma(texto, QString());
        EjecutarPrograma(QStringLiteral("programa_que_no_hay_rh"), QString());
        QCOMPARE(textosMostrados(),
                 (QStringList{QStringLiteral("El archivo ") + falta +
                                  QStringLiteral(" U=1 no ha sido encontrado."),
                              QStringLiteral("El camino(path) del archivo ") + sinCamino +
                                  QStringLiteral(" no ha sido encontrado."),
                              QStringLiteral("El archivo ") + texto +
                                  QStringLiteral(" no es válido o no es una aplicación Win32."),
                              QStringLiteral("El archivo programa_que_no_hay_rh no ha sido "
                                             "encontrado.")}));
        MessageSeam::clearLog();
        EjecutarPrograma(falta, QStringLiteral("Oculto,SinMensaje"));
        QVERIFY(MessageSeam::log().isEmpty());

        const QString marca = dir.path() + QStringLiteral("/lanzado");
        EjecutarPrograma(QStringLiteral("/usr/bin/touch \"%1\"").arg(marca),
                         QStringLiteral("Oculto"));
        QTRY_VERIFY(QFile::exists(marca));
    }

    void programaEnEjecucion() {
        QVERIFY(ProgramaEnEjecucion().endsWith(QStringLiteral(".EXE")));
        QVERIFY(EsProgramaEnEjecucion(QStringLiteral("tst_genesist")));
        AsignarProgramaEnEjecucion(QStringLiteral("korvand.exe"));
        QVERIFY(EsProgramaEnEjecucion(QStringLiteral("KORVAND.EXE")));
        QVERIFY(EsProgramaEnEjecucion(QStringLiteral("korvand")));
        QVERIFY(!EsProgramaEnEjecucion(QStringLiteral("PELISTO.EXE")));
        QVERIFY(!EsProgramaEnEjecucion(QString()));
        AsignarProgramaEnEjecucion(QString());
        QVERIFY(!EsProgramaEnEjecucion(QStringLiteral("KORVAND.EXE")));
    }

    void sistema() {
        const QString a = GenerarGUID();
        QCOMPARE(a.size(), 36);
        QCOMPARE(a, a.toUpper());
        QVERIFY(!a.startsWith(QLatin1Char('{')));
        QVERIFY(a != GenerarGUID());

        QString nombre, direccion, error;
        QVERIFY(NombreEquipo(nombre, direccion, error));
        QVERIFY(!nombre.isEmpty());
        QCOMPARE(direccion.count(QLatin1Char('.')), 3);

        QVERIFY(DirectorioTemporal().endsWith(QLatin1Char('/')));
        QVERIFY(QFileInfo(DirectorioTemporal()).isDir());

        // Four lines; no Windows rule may take this system for one of its own.
        const QStringList lineas = DatosVersionWindows().split(QStringLiteral("\r\n"));
        QCOMPARE(lineas.size(), 4);
        QCOMPARE(lineas.at(0), QStringLiteral("PlataformaBase=Linux"));
        QVERIFY(lineas.at(1).startsWith(QStringLiteral("Plataforma=")));
        QVERIFY(!lineas.at(1).contains(QStringLiteral("Windows")));
        QVERIFY(lineas.at(2).startsWith(QStringLiteral("Version=")));
        QCOMPARE(lineas.at(3), QStringLiteral("Nivel="));
    }
};

QTEST_MAIN(TestGeneSist)
#include "tst_genesist.moc"
