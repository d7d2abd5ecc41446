// Text export and import (bytes in Windows-1252, the line-break mark 0xB7,
// a master with its lines there and back, incidents and their limits) and
// the Excel workbook read back from the file.

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/database.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneexpt.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genesist.h"
#include "gene/data/geneusua.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genedeta.h"
#include "gene/registros_prueba.h"
#include "io/textfile.h"
#include "support/dbfixture.h"
#include "support/discolleno.h"
#include "support/instalacion.h"
#include "support/memoriaprueba.h"
#include "support/xlsxprueba.h"

namespace {

const QString kStd = QStringLiteral("ConDelimitadorStd;SinDialogo");

QByteArray Leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Escribir(const QString& ruta, const QByteArray& bytes) {
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// EMPLEADO (CodigoOperario key, Nombre, Observaciones memo, HoraEntrada) and
// its lines LINEAEMP (CodigoOperario, Linea key, Descripcion, Importe).
struct Tablas {
    std::unique_ptr<TTable> cabecera;
    std::unique_ptr<TTable> lineas;
    TDataSource fuente;

    Tablas() {
        CrearTablaPrueba(QStringLiteral("EMPLEADO"),
                         {{QStringLiteral("CodigoOperario"), ftInteger, 0, true},
                          {QStringLiteral("Nombre"), ftString, 40, false},
                          {QStringLiteral("Observaciones"), ftMemo, 0, false},
                          {QStringLiteral("HoraEntrada"), ftDateTime, 0, false}},
                         {QStringLiteral("CodigoOperario")});
        CrearTablaPrueba(QStringLiteral("LINEAEMP"),
                         {{QStringLiteral("CodigoOperario"), ftInteger, 0, true},
                          {QStringLiteral("Linea"), ftInteger, 0, true},
                          {QStringLiteral("Descripcion"), ftString, 40, false},
                          {QStringLiteral("Importe"), ftFloat, 0, false}},
                         {QStringLiteral("CodigoOperario"), QStringLiteral("Linea")});
        cabecera = AbrirTablaPrueba(QStringLiteral("EMPLEADO"));
        fuente.setDataSet(cabecera.get());
        lineas = AbrirTablaPrueba(QStringLiteral("LINEAEMP"));
        lineas->Close();
        lineas->setMasterSource(&fuente);
        lineas->setMasterFields(QStringLiteral("CodigoOperario"));
        lineas->Open();
    }

    void Empleado(int codigo, const QString& nombre, const QString& obs, const QString& hora) {
        cabecera->Append();
        cabecera->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(codigo);
        cabecera->FieldByName(QStringLiteral("Nombre"))->setAsString(nombre);
        cabecera->FieldByName(QStringLiteral("Observaciones"))->setAsString(obs);
        cabecera->FieldByName(QStringLiteral("HoraEntrada"))
            ->setAsDateTime(
                QDateTime(ZeroDate(), QTime::fromString(hora, QStringLiteral("hh:mm"))));
        cabecera->Post();
    }
    void Linea(int linea, const QString& descripcion, double importe) {
        lineas->Append();
        lineas->FieldByName(QStringLiteral("Linea"))->setAsInteger(linea);
        lineas->FieldByName(QStringLiteral("Descripcion"))->setAsString(descripcion);
        lineas->FieldByName(QStringLiteral("Importe"))->setAsFloat(importe);
        lineas->Post();
    }
    QString Contenido() {
        return Sql(QStringLiteral("SELECT CodigoOperario, Nombre, Observaciones FROM EMPLEADO "
                                  "ORDER BY CodigoOperario")) +
               QStringLiteral("\n") +
               Sql(QStringLiteral("SELECT CodigoOperario, Linea, Descripcion, Importe FROM "
                                  "LINEAEMP ORDER BY CodigoOperario, Linea"));
    }
    void Vaciar() {
        Sql(QStringLiteral("DELETE FROM LINEAEMP"));
        Sql(QStringLiteral("DELETE FROM EMPLEADO"));
        cabecera->Refresh();
        lineas->Refresh();
    }
};

// The incident list, when it is shown, into `visto`.
void CapturarIncidencias(QString& visto) {
    AlMostrarse<TfGENEDETA>([&visto](TfGENEDETA* d) {
        visto = d->Texto;
        d->Close();
    });
}

}  // namespace

class TestGeneExpt : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase() { MessageSeam::activate(); }
    void cleanupTestCase() { MessageSeam::deactivate(); }
    void init() { MessageSeam::clearLog(); }
    void cleanup() { AsignarSeamDialogos({}); }

    void exportarTextoEnWindows1252() {
        TestInstalacion inst(Engine::Sqlite, {.empresas = {1}, .empresaActual = 1});
        Tablas t;
        // A control character in a value (a sort mark) is no text: it is left out.
        t.Empleado(7,
                   QStringLiteral("Ñú\x01"
                                  "ñez"),
                   QStringLiteral("Primera\r\nSegunda"), QStringLiteral("08:30"));
        const QString ruta = dir.filePath(QStringLiteral("uno.txt"));
        QVERIFY(ExportarASCII(nullptr, t.cabecera.get(), nullptr, ruta, kStd));
        QByteArray esperado("7|\xD1\xFA\xF1\x65z|Primera\xB7Segunda|08:30:00|\r\n");
        QCOMPARE(Leer(ruta), esperado);
        QVERIFY(MessageSeam::log().isEmpty());

        // Header lines: the names, each followed by the separator.
        QVERIFY(ExportarASCII(nullptr, t.cabecera.get(), nullptr, ruta,
                              kStd + QStringLiteral(";ConFormatoCampos")));
        QCOMPARE(Leer(ruta),
                 QByteArray("CamposCabecera=CodigoOperario|Nombre|Observaciones|HoraEntrada|\r\n") +
                     esperado);

        // The value with two lines comes back with its line break.
        t.Vaciar();
        QString leido;
        ImportarASCII(nullptr, t.cabecera.get(), nullptr, ruta, kStd, leido);
        QCOMPARE(leido, ruta);
        QVERIFY(t.cabecera->Locate(QStringLiteral("CodigoOperario"), 7, {}));
        QCOMPARE(t.cabecera->FieldByName(QStringLiteral("Observaciones"))->AsString(),
                 QStringLiteral("Primera\r\nSegunda"));
        QCOMPARE(t.cabecera->FieldByName(QStringLiteral("Nombre"))->AsString(),
                 QStringLiteral("Ñúñez"));
        QCOMPARE(t.cabecera->FieldByName(QStringLiteral("HoraEntrada"))->AsDateTime().time(),
                 QTime(8, 30));
    }

    void cabeceraYLineasIdaYVuelta() {
        TestInstalacion inst(Engine::Sqlite, {.empresas = {1}, .empresaActual = 1});
        Tablas t;
        t.Empleado(1, QStringLiteral("Ana"), QString(), QStringLiteral("07:00"));
        t.Linea(1, QStringLiteral("Curso de seguridad"), 120.5);
        t.Linea(2, QStringLiteral("Primeros auxilios"), 80);
        t.Empleado(2, QStringLiteral("Luis"), QStringLiteral("a\r\nb"), QStringLiteral("09:15"));
        t.Linea(1, QStringLiteral("Inglés"), 300.25);
        const QString antes = t.Contenido();

        for (const QString& formato :
             {QStringLiteral(";ConFormatoCampos"), QStringLiteral(";SinFormatoCampos")}) {
            const QString ruta = dir.filePath(QStringLiteral("md.txt"));
            QVERIFY(ExportarASCII(nullptr, t.cabecera.get(), t.lineas.get(), ruta, kStd + formato));
            const QList<QByteArray> lineas = Leer(ruta).split('\n');
            if (formato.contains(QLatin1String("Con"))) {
                // The marker column stands after the key, in the header too.
                QCOMPARE(lineas[0], QByteArray("CamposCabecera=CodigoOperario|0|Nombre|"
                                               "Observaciones|HoraEntrada|\r"));
                QCOMPARE(lineas[1],
                         QByteArray("CamposLinea=CodigoOperario|Linea|Descripcion|Importe|\r"));
                QCOMPARE(lineas[2], QByteArray("1|0|Ana||07:00:00|\r"));
                QCOMPARE(lineas[3], QByteArray("1|1|Curso de seguridad|120,5|\r"));
            }
            t.Vaciar();
            QString leido;
            ImportarASCII(nullptr, t.cabecera.get(), t.lineas.get(), ruta, kStd, leido);
            QCOMPARE(t.Contenido(), antes);
            QVERIFY(MessageSeam::log().isEmpty());
        }
    }

    void incidenciasYSuLimite_data() { AddEngineRows(); }
    void incidenciasYSuLimite() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), {.empresas = {1}, .empresaActual = 1});
        Tablas t;
        t.Empleado(1, QStringLiteral("Ana"), QString(), QStringLiteral("07:00"));
        t.cabecera->setFilter(QStringLiteral("CodigoOperario > 0"));
        t.cabecera->setFiltered(false);
        QByteArray malas;
        for (int i = 0; i < 1500; ++i) malas += "1|Repetido||08:00:00|\r\n";
        // A code that is not a number is named in Spanish in its incident.
        malas.insert(malas.indexOf('\n') + 1, "abc|Otro||08:00:00|\r\n");
        const QString ruta = dir.filePath(QStringLiteral("malas.txt"));
        Escribir(ruta, malas);
        AsignarSeamDialogos([&](QObject* d) {
            static_cast<TFileDialog*>(d)->FileName = ruta;
            return true;
        });
        MessageSeam::enqueue(QStringLiteral("SI"));  // import from a file?
        MessageSeam::enqueue(QStringLiteral("SI"));  // go on after the first failure
        MessageSeam::enqueue(QStringLiteral("SI"));  // see the incidents
        QString visto;
        CapturarIncidencias(visto);
        QString leido;
        ImportarASCII(nullptr, t.cabecera.get(), nullptr, QStringLiteral("x.txt"),
                      QStringLiteral("ConDelimitadorStd"), leido);
        QCOMPARE(leido, ruta);
        const QStringList incidencias =
            visto.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
        QCOMPARE(incidencias.size(), 1002);
        // A key that exists: the translator's words and the key it repeats.
        const QString repetida =
            QStringLiteral("¡ Ya existe el registro !. Clave: CodigoOperario = «1»");
        QCOMPARE(incidencias[0],
                 QStringLiteral("1 - Error grabando el registro 1. Motivo: ") + repetida);
        QVERIFY2(incidencias[1].startsWith(QStringLiteral("2 - ")) &&
                     incidencias[1].endsWith(QStringLiteral(
                         ". Motivo: ¡ El valor 'abc' no es un número entero válido !")),
                 qPrintable(incidencias[1]));
        QVERIFY(incidencias[1000].startsWith(QStringLiteral("1001 - ")));
        QCOMPARE(incidencias.last(), QStringLiteral("¡Hay demasiados errores!"));
        // One storage question only.
        int preguntas = 0;
        for (const auto& e : MessageSeam::log())
            if (e.text == QStringLiteral("¡Imposible grabar el registro 1!. ¿Desea "
                                         "continuar?.\r\n(Motivo: ") +
                              repetida + QLatin1Char(')'))
                ++preguntas;
        QCOMPARE(preguntas, 1);
        // Filtering is on afterwards, its text as it was.
        QVERIFY(t.cabecera->Filtered());
        QCOMPARE(t.cabecera->Filter(), QStringLiteral("CodigoOperario > 0"));
    }

    // A main line refused (its key is another employee's): its lines are not
    // stored under that employee, each is listed as a line of the refused
    // record, and no question is asked for them; the next record goes in.
    void lineasDeUnRegistroRechazado_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("cabecera");
        for (Engine motor : AvailableEngines()) {
            NewEngineRow(motor, "sin cabecera") << false;
            NewEngineRow(motor, "con cabecera") << true;
        }
    }
    void lineasDeUnRegistroRechazado() {
        QFETCH(int, engine);
        QFETCH(bool, cabecera);
        TestInstalacion inst(Engine(engine), {.empresas = {1}, .empresaActual = 1});
        Tablas t;
        t.Empleado(98, QStringLiteral("Previa"), QString(), QStringLiteral("07:00"));
        QByteArray texto;
        if (cabecera)
            texto =
                "CamposCabecera=CodigoOperario|0|Nombre|Observaciones|HoraEntrada|\r\n"
                "CamposLinea=CodigoOperario|Linea|Descripcion|Importe|\r\n";
        texto +=
            "98|0|Ana||08:00:00|\r\n98|1|Curso|10|\r\n98|2|Otro|5|\r\n"
            "99|0|Luis||09:00:00|\r\n99|1|Inglés|3|\r\n";
        const QString ruta = dir.filePath(QStringLiteral("rechazo.txt"));
        Escribir(ruta, texto);
        MessageSeam::enqueue(QStringLiteral("SI"));  // see the incidents
        QString visto;
        CapturarIncidencias(visto);
        QString leido;
        ImportarASCII(nullptr, t.cabecera.get(), t.lineas.get(), ruta, kStd, leido);
        QCOMPARE(Sql(QStringLiteral("SELECT CodigoOperario, Linea FROM LINEAEMP ORDER BY "
                                    "CodigoOperario, Linea")),
                 QStringLiteral("99|1"));
        QCOMPARE(Sql(QStringLiteral("SELECT Nombre FROM EMPLEADO ORDER BY CodigoOperario")),
                 QStringLiteral("Previa\r\nLuis"));
        const QStringList incidencias =
            visto.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
        QCOMPARE(incidencias.size(), 3);
        QVERIFY2(incidencias[0].startsWith(QStringLiteral("1 - Error grabando el registro 98.")),
                 qPrintable(incidencias[0]));
        QCOMPARE(incidencias[1], QStringLiteral("2 - Error grabando el registro/línea 98/1. "
                                                "Motivo: no se ha grabado el registro 98"));
        QCOMPARE(incidencias[2], QStringLiteral("3 - Error grabando el registro/línea 98/2. "
                                                "Motivo: no se ha grabado el registro 98"));
        QCOMPARE(MessageSeam::log().size(), 1);  // only the offer of the incidents
    }

    void noSigueYLineasQueNoCuadran() {
        TestInstalacion inst(Engine::Sqlite, {.empresas = {1}, .empresaActual = 1});
        Tablas t;
        t.Empleado(1, QStringLiteral("Ana"), QString(), QStringLiteral("07:00"));
        const QString ruta = dir.filePath(QStringLiteral("cabecera.txt"));
        // A piece too many is not shifted into the next field.
        Escribir(ruta,
                 "CamposCabecera=CodigoOperario|Nombre|\r\n"
                 "5|Eva|sobra|\r\n"
                 "6|Luis|\r\n"
                 "1|Repetido|\r\n"
                 "8|Marta|\r\n");
        AsignarSeamDialogos([&](QObject* d) {
            static_cast<TFileDialog*>(d)->FileName = ruta;
            return true;
        });
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("SI"));  // go on, and do not ask again
        MessageSeam::enqueue(QStringLiteral("NO"));  // no details
        QString leido;
        ImportarASCII(nullptr, t.cabecera.get(), nullptr, QString(), kStd.left(17), leido);
        QCOMPARE(Sql(QStringLiteral("SELECT CodigoOperario FROM EMPLEADO ORDER BY 1")),
                 QStringLiteral("1\r\n6\r\n8"));
        QCOMPARE(MessageSeam::log().size(), 3);
        // Stopping at the first failure keeps what was stored before it.
        Sql(QStringLiteral("DELETE FROM EMPLEADO WHERE CodigoOperario > 1"));
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        ImportarASCII(nullptr, t.cabecera.get(), nullptr, QString(), kStd.left(17), leido);
        QCOMPARE(Sql(QStringLiteral("SELECT CodigoOperario FROM EMPLEADO ORDER BY 1")),
                 QStringLiteral("1"));
        const auto& log = MessageSeam::log();
        QVERIFY(log[1].text.startsWith(QStringLiteral("¡Imposible grabar el registro 5!")));
        QVERIFY(log[1].text.contains(QStringLiteral("La línea tiene 3 campos y la cabecera 2")));
        QCOMPARE(log.last().text,
                 QStringLiteral("Se han producido incidencias en el proceso. ¿Desea ver los "
                                "detalles?"));

        // "NO" to the first question imports nothing; a cancelled dialog warns.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("NO"));
        ImportarASCII(nullptr, t.cabecera.get(), nullptr, QString(), QString(), leido);
        QCOMPARE(leido, QString());
        AsignarSeamDialogos([](QObject*) { return false; });
        MessageSeam::enqueue(QStringLiteral("SI"));
        ImportarASCII(nullptr, t.cabecera.get(), nullptr, QString(), QString(), leido);
        QCOMPARE(MessageSeam::log().last().text,
                 QStringLiteral("¡ El fichero ASCII origen no está preparado !"));
    }

    // Without a header a line is refused only when a value would be dropped
    // or shifted (a separator inside a value, text after the last one);
    // shorter lines import as before. Both engines.
    void lineasSinCabecera_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QByteArray>("fichero");
        QTest::addColumn<QString>("guardado");
        QTest::addColumn<int>("incidencias");
        for (Engine m : AvailableEngines()) {
            const QString t = EngineTag(m) + QLatin1Char(' ');
            auto fila = [&](const char* nombre, const QByteArray& fichero, const char* guardado,
                            int incidencias) {
                QTest::newRow(qPrintable(t + QLatin1String(nombre)))
                    << int(m) << fichero << QString::fromUtf8(guardado) << incidencias;
            };
            fila("separator inside a value", "1|Ana|Mar\xED" "a|Madrid|\r\n2|Eva|Sevilla|\r\n",
                 "2|Eva|Sevilla", 1);
            fila("text after the last separator", "1|Ana|Madrid|x\r\n2|Eva|Sevilla|\r\n",
                 "2|Eva|Sevilla", 1);
            fila("two fields into three", "1|Ana|\r\n2|Eva\r\n", "1|Ana|\r\n2|Eva|", 0);
            fila("no final separator, LF ends", "1|Ana|Madrid\n2|Eva|Sevilla|\n",
                 "1|Ana|Madrid\r\n2|Eva|Sevilla", 0);
            fila("letters outside Latin-1", "3|\xC5\x81ukasz|Krak\xC3\xB3w|\r\n",
                 "3|\xC5\x81ukasz|Krak\xC3\xB3w", 0);
            fila("empty code", "|Nadie|Madrid|\r\n", "", 1);
        }
    }
    void lineasSinCabecera() {
        QFETCH(int, engine);
        QFETCH(QByteArray, fichero);
        QFETCH(QString, guardado);
        QFETCH(int, incidencias);
        TestInstalacion inst(Engine(engine), {.empresas = {1}, .empresaActual = 1});
        CrearTablaPrueba(QStringLiteral("CIUDADES"),
                         {{QStringLiteral("Codigo"), ftInteger, 0, true},
                          {QStringLiteral("Nombre"), ftString, 40, false},
                          {QStringLiteral("Ciudad"), ftString, 40, false}},
                         {QStringLiteral("Codigo")});
        auto tabla = AbrirTablaPrueba(QStringLiteral("CIUDADES"));
        const QString ruta = dir.filePath(QStringLiteral("sincabecera.txt"));
        Escribir(ruta, fichero);
        QString visto;
        if (incidencias > 0) {
            MessageSeam::enqueue(QStringLiteral("SI"));  // see the incidents
            AlMostrarse<TfGENEDETA>([&](TfGENEDETA* d) {
                visto = d->Texto;
                d->Close();
            });
        }
        QString leido;
        ImportarASCII(nullptr, tabla.get(), nullptr, ruta, kStd, leido);
        QCOMPARE(MessageSeam::pending(), 0);
        QCOMPARE(Sql(QStringLiteral("SELECT Codigo, Nombre, Ciudad FROM CIUDADES ORDER BY 1")),
                 guardado);
        const QStringList lineas =
            visto.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
        QCOMPARE(lineas.size(), incidencias);
        if (incidencias && fichero.startsWith("1|"))
            QVERIFY2(lineas[0].startsWith(QStringLiteral("1 - Error grabando el registro 1. "
                                                         "Motivo: La línea tiene ")),
                     qPrintable(lineas[0]));
    }

    // Letters the file's character set cannot hold are written as "?" and
    // counted in one warning, also without dialogs.
    void exportarLetrasFueraDeWindows1252_data() { AddEngineRows(); }
    void exportarLetrasFueraDeWindows1252() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), {.empresas = {1}, .empresaActual = 1});
        Tablas t;
        t.Empleado(1, QStringLiteral("Łukasz Żółć"), QStringLiteral("Muñoz"),
                   QStringLiteral("08:00"));
        t.Empleado(2, QStringLiteral("Ana"), QString(), QStringLiteral("08:00"));
        const QString ruta = dir.filePath(QStringLiteral("letras.txt"));
        QVERIFY(ExportarASCII(nullptr, t.cabecera.get(), nullptr, ruta, kStd));
        QCOMPARE(Leer(ruta), QByteArray("1|?ukasz ?\xF3??|Mu\xF1oz|08:00:00|\r\n"
                                        "2|Ana||08:00:00|\r\n"));
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().kind, QStringLiteral("A"));
        QVERIFY2(MessageSeam::log().first().text.startsWith(QStringLiteral("¡ 1 valor(es) ")),
                 qPrintable(MessageSeam::log().first().text));
    }

    // Values the file will not give back as they are (the line-break mark,
    // blanks at either end, the separator) are written as the file's
    // convention says and counted in one warning; a line break, CR LF or a
    // lone LF, travels as the mark and comes back as CR LF.
    void exportarValoresQueNoVuelven_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("separador");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("notas");
        QTest::addColumn<QByteArray>("linea");
        QTest::addColumn<QStringList>("avisos");
        QTest::addColumn<QString>("notasLeidas");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "sin cambios")
                << "|"
                << "Ana"
                << "uno\r\ndos" << QByteArray("1|Ana|uno\xB7\x64os|08:00:00|") << QStringList()
                << "uno\r\ndos";
            NewEngineRow(e, "saltos LF")
                << "|"
                << "Ana"
                << "uno\ndos\ntres" << QByteArray("1|Ana|uno\xB7\x64os\xB7tres|08:00:00|")
                << QStringList() << "uno\r\ndos\r\ntres";
            NewEngineRow(e, "nombres catalanes")
                << "|"
                << "Paral·lel"
                << "col·legi" << QByteArray("1|Paral\xB7lel|col\xB7legi|08:00:00|")
                << QStringList{"¡ 2 valor(es) contienen el carácter '·'"} << "col\r\nlegi";
            NewEngineRow(e, "blancos a los lados")
                << "|"
                << " Ana "
                << "" << QByteArray("1| Ana ||08:00:00|")
                << QStringList{"¡ 1 valor(es) contienen el carácter '·' o espacios"} << "";
            NewEngineRow(e, "separador en el valor")
                << "|"
                << "Turno A|B"
                << "x;y" << QByteArray("1|Turno A|B|x;y|08:00:00|")
                << QStringList{"¡ 1 valor(es) contienen el separador de campos '|'"} << "-";
            // A new company's separator is "@": every e-mail address holds it.
            NewEngineRow(e, "arroba de la empresa")
                << "@"
                << "Ana Ruiz"
                << "ana.ruiz@empresa.es" << QByteArray("1@Ana Ruiz@ana.ruiz@empresa.es@08:00:00@")
                << QStringList{"¡ 1 valor(es) contienen el separador de campos '@'"} << "-";
            NewEngineRow(e, "letras y separador")
                << "|"
                << "Łódź|Kraków"
                << "Paral·lel" << QByteArray("1|?\xF3\x64?|Krak\xF3w|Paral\xB7lel|08:00:00|")
                << QStringList{"¡ 1 valor(es) contienen caracteres que no existen",
                               "¡ 1 valor(es) contienen el carácter '·'",
                               "¡ 1 valor(es) contienen el separador de campos '|'"}
                << "-";
        }
    }
    void exportarValoresQueNoVuelven() {
        QFETCH(QString, separador);
        QFETCH(QString, nombre);
        QFETCH(QString, notas);
        QFETCH(QByteArray, linea);
        QFETCH(QStringList, avisos);
        QFETCH(QString, notasLeidas);
        TestInstalacion inst(CurrentEngine(), {.empresas = {1}, .empresaActual = 1});
        { TModuloDatos crear; }
        TModuloDatos modulo;
        Sql(QStringLiteral("DELETE FROM PARAGENE"));
        QCOMPARE(Sql(QStringLiteral("INSERT INTO PARAGENE (IdRegistro, CaracterSeparadorASCII, "
                                    "CaracterSeparadorCRLF) VALUES (1, '%1', '')")
                         .arg(separador)),
                 QString());
        modulo.ParamGenerales->Refresh();
        Tablas t;
        t.Empleado(1, nombre, notas, QStringLiteral("08:00"));
        const QString ruta = dir.filePath(QStringLiteral("valores.txt"));
        AsignarSeamDialogos([&](QObject* d) {
            static_cast<TFileDialog*>(d)->FileName = ruta;
            return true;
        });
        QVERIFY(ExportarASCII(&modulo, t.cabecera.get(), nullptr, ruta,
                              QStringLiteral("SinFormatoCampos")));
        QCOMPARE(Leer(ruta), linea + "\r\n");
        // One warning at most, naming every kind of change with its count.
        if (avisos.isEmpty()) {
            QVERIFY(MessageSeam::log().isEmpty());
        } else {
            QCOMPARE(MessageSeam::log().size(), 1);
            for (const QString& a : avisos)
                QVERIFY2(MessageSeam::log().first().text.contains(a),
                         qPrintable(MessageSeam::log().first().text));
        }
        // Read back by the import ("-": the fields shift, as the warning said).
        if (notasLeidas == QLatin1String("-")) return;
        t.Vaciar();
        QString leido;
        ImportarASCII(&modulo, t.cabecera.get(), nullptr, ruta, QStringLiteral("SinDialogo"),
                      leido);
        QVERIFY(t.cabecera->Locate(QStringLiteral("CodigoOperario"), 1, {}));
        QCOMPARE(t.cabecera->FieldByName(QStringLiteral("Observaciones"))->AsString(), notasLeidas);
    }

    // A disk that fills up half way: the error reaches the caller naming the
    // file, whose earlier contents stay; nothing is left beside it.
    void exportarSinEspacio_data() { AddEngineRows(); }
    void exportarSinEspacio() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), {.empresas = {1}, .empresaActual = 1});
        Tablas t;
        for (int i = 1; i <= 40; ++i)
            t.Empleado(i, QStringLiteral("Empleado número %1").arg(i), QString(),
                       QStringLiteral("08:00"));
        QTemporaryDir carpeta;
        const QString ruta = carpeta.filePath(QStringLiteral("SQL.TXT"));
        Escribir(ruta, "anterior\r\n");
        QString error;
        bool escrito = true;
        {
            TDiscoLleno lleno(600);
            try {
                escrito = ExportarASCII(nullptr, t.cabecera.get(), nullptr, ruta, kStd);
            } catch (const EInOutError& e) {
                escrito = false;
                error = e.Message();
            }
        }
        QVERIFY(!escrito);
        QVERIFY2(error.startsWith(QStringLiteral("Error de escritura en ")) &&
                     error.contains(QStringLiteral("SQL.TXT")),
                 qPrintable(error));
        QCOMPARE(Leer(ruta), QByteArray("anterior\r\n"));
        QCOMPARE(EntradasCarpeta(carpeta.path()), QStringList{QStringLiteral("SQL.TXT")});
    }

    // A field hidden from the user is in neither export: the text file then
    // carries the names, so that it reads back by name; the workbook has no
    // column for it.
    // With lines, a hidden field of the lines is left out of every line and
    // of their names.
    void camposOcultos_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("conLineas");
        for (Engine e : {Engine::Sqlite, Engine::Postgres}) {
            NewEngineRow(e, "cabecera") << false;
            NewEngineRow(e, "lineas") << true;
        }
    }
    void camposOcultos() {
        QFETCH(int, engine);
        QFETCH(bool, conLineas);
        TestInstalacion inst(Engine(engine), {.empresas = {1}, .empresaActual = 1});
        Tablas t;
        t.Empleado(1, QStringLiteral("Ana"), QStringLiteral("Sueldo 3000"),
                   QStringLiteral("08:00"));
        if (conLineas) {
            t.Linea(1, QStringLiteral("Plus secreto"), 120.5);
            CamposNoVisiblesUsuario = QStringLiteral("descripcion");
            const QString ruta = dir.filePath(QStringLiteral("ocultos_lineas.txt"));
            const bool escrito =
                ExportarASCII(nullptr, t.cabecera.get(), t.lineas.get(), ruta, kStd);
            CamposNoVisiblesUsuario.clear();
            QVERIFY(escrito);
            QCOMPARE(Leer(ruta), QByteArray("CamposCabecera=CodigoOperario|0|Nombre|Observaciones|"
                                            "HoraEntrada|\r\n"
                                            "CamposLinea=CodigoOperario|Linea|Importe|\r\n"
                                            "1|0|Ana|Sueldo 3000|08:00:00|\r\n"
                                            "1|1|120,5|\r\n"));
            return;
        }
        CamposNoVisiblesUsuario = QStringLiteral("observaciones");
        const QString ruta = dir.filePath(QStringLiteral("ocultos.txt"));
        const bool escrito = ExportarASCII(nullptr, t.cabecera.get(), nullptr, ruta, kStd);
        const QString libro = dir.filePath(QStringLiteral("ocultos.xlsx"));
        ExportarExcel(nullptr, t.cabecera.get(), nullptr, libro, QStringLiteral("SinDialogo"));
        CamposNoVisiblesUsuario.clear();
        QVERIFY(escrito);
        QCOMPARE(Leer(ruta), QByteArray("CamposCabecera=CodigoOperario|Nombre|HoraEntrada|\r\n"
                                        "1|Ana|08:00:00|\r\n"));
        QString todo;
        for (const QStringList& fila : CeldasXlsx(libro))
            todo += fila.join(QLatin1Char('|')) + u';';
        QVERIFY2(todo.contains(QStringLiteral("Ana")), qPrintable(todo));
        QVERIFY2(
            !todo.contains(QStringLiteral("Sueldo")) && !todo.contains(QStringLiteral("Observ")),
            qPrintable(todo));
        // Read back by name: no value lands in another field.
        t.Vaciar();
        QString leido;
        ImportarASCII(nullptr, t.cabecera.get(), nullptr, ruta, kStd, leido);
        QCOMPARE(Sql(QStringLiteral("SELECT CodigoOperario, Nombre, Observaciones FROM EMPLEADO")),
                 QStringLiteral("1|Ana|"));
    }

    // A user's result larger than a packet is exported whole as it is read,
    // the dataset keeping what it held; stopped from the wait (Esc), the
    // export says so by its error, the old file stays and the dataset reads
    // on.
    void exportarResultadoGrande_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("formato");
        QTest::addColumn<bool>("detener");
        for (Engine e : AvailableEngines())
            for (const char* formato : {"txt", "xlsx"})
                for (bool detener : {false, true})
                    NewEngineRow(e, qPrintable(QString::fromLatin1(formato) +
                                               (detener ? QStringLiteral(", stopped") : QString())))
                        << QString::fromLatin1(formato) << detener;
    }
    void exportarResultadoGrande() {
        QFETCH(int, engine);
        QFETCH(QString, formato);
        QFETCH(bool, detener);
        TestInstalacion inst(Engine(engine), {.empresas = {1}, .empresaActual = 1});
        struct Espera : TUserStatementWait {
            bool parar = false;
            int incompletas = 0;
            void Began() override {}
            bool Waiting() override { return parar; }
            void Ended(bool) override {}
            void Incomplete() override { ++incompletas; }
            Espera() { SetUserStatementWait(this); }
            ~Espera() override { SetUserStatementWait(nullptr); }
        } espera;
        espera.parar = detener;
        const int total = 9000;
        TQuery q;
        q.setDatabaseName(QStringLiteral("Database"));
        q.setUserStatement(true);
        q.setPacketRecords(200);
        q.SQL().setText(
            QStringLiteral("WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r%1) "
                           "SELECT n AS Numero, 'Łódź ñ' AS Texto FROM r")
                .arg(detener ? QString() : QStringLiteral(" WHERE n < %1").arg(total)));
        q.Open();
        TClientDataSet d;
        d.LoadFromQuery(&q);
        const QString ruta = dir.filePath(QStringLiteral("grande.") + formato);
        Escribir(ruta, "anterior\r\n");
        auto exportar = [&] {
            return formato == QLatin1String("txt")
                       ? ExportarASCII(nullptr, &d, nullptr, ruta, kStd)
                       : ExportarExcel(nullptr, &d, nullptr, ruta, QStringLiteral("SinDialogo"));
        };
        if (detener) {
            QVERIFY_THROWS_EXCEPTION(EUserStatementCancelled, exportar());
            QCOMPARE(Leer(ruta), QByteArray("anterior\r\n"));
            QCOMPARE(espera.incompletas, 0);
            espera.parar = false;
        } else {
            QVERIFY(exportar());
            if (formato == QLatin1String("txt")) {
                const QList<QByteArray> lineas = Leer(ruta).split('\n');
                QCOMPARE(lineas.size(), total + 1);
                QCOMPARE(lineas.value(total - 1), QByteArray("9000|?\xF3"
                                                             "d? \xF1|\r"));
            } else {
                const QList<QStringList> filas = CeldasXlsx(ruta);
                QCOMPARE(filas.size(), total + 1);
                QCOMPARE(filas.last(), (QStringList{"9000", QStringLiteral("Łódź ñ")}));
            }
        }
        // Only what the grid read stays; the rest is read again as reached.
        QCOMPARE(d.RowsHeld(), 200);
        QCOMPARE(d.FieldByName(QStringLiteral("Numero"))->AsInteger(), 1);
        for (int i = 0; i < 300; ++i) d.Next();
        QCOMPARE(d.FieldByName(QStringLiteral("Numero"))->AsInteger(), 301);
    }

    // A memo of 20 MB (one line, LF lines, a letter outside Latin-1 where
    // an Excel cell ends): the text file holds it whole; the workbook holds
    // what a cell can, and a warning names the column and row cut. Neither
    // takes more than a few times the value's own memory.
    void valoresEnormes_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("formato");
        QTest::addColumn<QString>("valor");
        const QString letras(20'000'000, QLatin1Char('x'));
        QString lineas = letras;
        for (qsizetype i = 80; i < lineas.size(); i += 81) lineas[i] = QLatin1Char('\n');
        QString fuera = letras;
        fuera.replace(32766, 2, QStringLiteral("\U0001D11E"));
        for (Engine e : AvailableEngines())
            for (const char* formato : {"txt", "xlsx"}) {
                const QString f = QString::fromLatin1(formato);
                NewEngineRow(e, qPrintable(f + QStringLiteral(", una linea"))) << f << letras;
                NewEngineRow(e, qPrintable(f + QStringLiteral(", lineas LF"))) << f << lineas;
                NewEngineRow(e, qPrintable(f + QStringLiteral(", fuera de Latin-1"))) << f << fuera;
            }
    }
    void valoresEnormes() {
        QFETCH(int, engine);
        QFETCH(QString, formato);
        QFETCH(QString, valor);
        TestInstalacion inst(Engine(engine), {.empresas = {1}, .empresaActual = 1});
        Tablas t;
        t.Empleado(1, QStringLiteral("Ana"), QStringLiteral("corto"), QStringLiteral("08:00"));
        t.Empleado(2, QStringLiteral("Luis"), valor, QStringLiteral("09:00"));
        t.cabecera->First();
        const QString ruta = dir.filePath(QStringLiteral("enorme.") + formato);
        AsignarSeamDialogos([&](QObject* d) {
            static_cast<TFileDialog*>(d)->FileName = ruta;
            return true;
        });
        const bool texto = formato == QLatin1String("txt");
        if (!texto) {
            MessageSeam::enqueue(QStringLiteral("SI"));  // close the open sheets?
            MessageSeam::enqueue(QStringLiteral("NO"));  // the fields' format
        }
        QElapsedTimer reloj;
        reloj.start();
        ReiniciarPicoMemoria();
        const qint64 antes = MemoriaMB();
        QVERIFY(texto ? ExportarASCII(nullptr, t.cabecera.get(), nullptr, ruta, kStd)
                      : ExportarExcel(nullptr, t.cabecera.get(), nullptr, ruta, QString()));
        const qint64 tomado = PicoMemoriaMB() - antes;
        QVERIFY2(reloj.elapsed() < 20000, qPrintable(QString::number(reloj.elapsed())));
        QVERIFY2(tomado < LimiteMemoriaMB(200), qPrintable(QString::number(tomado)));
        const bool latin1 = !valor.contains(QChar(0xD834));
        QStringList avisos;
        for (const auto& m : MessageSeam::log())
            if (m.kind == QLatin1String("A")) avisos << m.text;
        if (texto) {
            // Whole: a line break is the mark, a letter Windows-1252 lacks a "?".
            QByteArray esperado = EncodeText(valor, TextEncoding::Windows1252);
            esperado.replace('\n', '\xB7');
            const QByteArray leido = Leer(ruta);
            const QByteArray cabeza = "1|Ana|corto|08:00:00|\r\n2|Luis|", cola = "|09:00:00|\r\n";
            QCOMPARE(leido.size(), cabeza.size() + esperado.size() + cola.size());
            QVERIFY(leido.startsWith(cabeza));
            QVERIFY(leido.mid(cabeza.size(), esperado.size()) == esperado);
            QVERIFY(leido.endsWith(cola));
            QCOMPARE(avisos.size(), latin1 ? 0 : 1);
            return;
        }
        // The cell holds what Excel takes, never half a letter; said once.
        QCOMPARE(avisos,
                 QStringList{QStringLiteral(
                     "¡ 1 valor(es) tienen más de 32.767 caracteres, los que admite una celda de "
                     "Excel, y se han grabado cortados (el primero en la columna «Observaciones», "
                     "fila 2) !")});
        const QList<QStringList> filas = CeldasXlsx(ruta);
        QCOMPARE(filas.size(), 2);
        QCOMPARE(filas[0].value(2), QStringLiteral("corto"));
        const QString celda = filas[1].value(2);
        QCOMPARE(celda.size(), latin1 ? 32767 : 32766);
        QVERIFY(valor.startsWith(celda));
        QCOMPARE(filas[1].value(1), QStringLiteral("Luis"));
    }

    void nuevoSinClaves() {
        TestInstalacion inst(Engine::Sqlite, {.empresas = {1}, .empresaActual = 1});
        Tablas t;
        int siguiente = 500;
        t.cabecera->OnNewRecord = [&](TDataSet* ds) {
            ds->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(siguiente++);
        };
        int linea = 0;
        t.lineas->OnNewRecord = [&](TDataSet* ds) {
            ds->FieldByName(QStringLiteral("Linea"))->setAsInteger(++linea);
        };
        const QString ruta = dir.filePath(QStringLiteral("nuevo.txt"));
        Escribir(ruta,
                 "77|0|Nueva|||\r\n"
                 "77|9|Curso|12,5|\r\n");
        QString leido;
        ImportarASCII(nullptr, t.cabecera.get(), t.lineas.get(), ruta,
                      kStd + QStringLiteral(";Nuevo"), leido);
        QCOMPARE(Sql(QStringLiteral("SELECT CodigoOperario, Nombre FROM EMPLEADO")),
                 QStringLiteral("500|Nueva"));
        QCOMPARE(Sql(QStringLiteral("SELECT CodigoOperario, Linea, Descripcion, Importe FROM "
                                    "LINEAEMP")),
                 QStringLiteral("500|1|Curso|12,5"));
    }

    void ficheroQueNoSePuedeCrear() {
        auto ds = std::make_unique<TTable>();
        QVERIFY(!ExportarASCII(nullptr, ds.get(), nullptr, QStringLiteral("x"), kStd));
        QCOMPARE(MessageSeam::log().last().text,
                 QStringLiteral("¡La tabla o consulta debe estar activada previamente!"));
        TestInstalacion inst(Engine::Sqlite, {.empresas = {1}, .empresaActual = 1});
        Tablas t;
        QVERIFY(!ExportarASCII(nullptr, t.cabecera.get(), nullptr,
                               dir.filePath(QStringLiteral("no/hay/carpeta.txt")), kStd));
        QVERIFY(MessageSeam::log().last().text.startsWith(
            QStringLiteral("¡Imposible crear el fichero ASCII!. Motivo: ")));
    }

    void excelSinDetalle() {
        TestInstalacion inst(Engine::Sqlite, {.empresas = {1}, .empresaActual = 1});
        Tablas t;
        t.Empleado(1, QStringLiteral("Ana"), QStringLiteral("uno\r\ndos"), QStringLiteral("07:00"));
        t.Linea(1, QStringLiteral("Curso"), 1234.5);
        t.lineas->Close();
        t.lineas->setMasterSource(nullptr);
        t.lineas->Open();
        t.lineas->FieldByName(QStringLiteral("Linea"))->setTag(999);  // left out, no gap
        const QString ruta = dir.filePath(QStringLiteral("LISTADO.XLS"));
        QVERIFY(
            ExportarExcel(nullptr, t.lineas.get(), nullptr, ruta, QStringLiteral("SinDialogo")));
        QVERIFY(MessageSeam::log().isEmpty());
        const QString xlsx = dir.filePath(QStringLiteral("LISTADO.xlsx"));
        QVERIFY(QFile::exists(xlsx));
        const QString hoja = ParteXlsx(xlsx, QStringLiteral("xl/worksheets/sheet1.xml"));
        const QString textos = ParteXlsx(xlsx, QStringLiteral("xl/sharedStrings.xml"));
        QVERIFY(textos.contains(QStringLiteral("Código Operario")));
        QVERIFY(textos.contains(QStringLiteral("Descripción")));
        QVERIFY(!textos.contains(QStringLiteral(">Línea<")));
        // Titles in row 1, records from row 3; the float a number in column C.
        QVERIFY(hoja.contains(QStringLiteral("<c r=\"C1\"")));
        QVERIFY(!hoja.contains(QStringLiteral("r=\"A2\"")));
        QVERIFY(!hoja.contains(QStringLiteral("r=\"D1\"")));
        QRegularExpression numero(QStringLiteral("<c r=\"C3\" s=\"\\d+\"><v>1234.5</v></c>"));
        QVERIFY2(numero.match(hoja).hasMatch(), qPrintable(hoja));
        // The title cells' style has a bold font.
        const QRegularExpressionMatch a1 =
            QRegularExpression(QStringLiteral("<c r=\"A1\" s=\"(\\d+)\"")).match(hoja);
        QVERIFY(a1.hasMatch());
        const QString estilos = ParteXlsx(xlsx, QStringLiteral("xl/styles.xml"));
        const QString xfs = estilos.mid(estilos.indexOf(QStringLiteral("<cellXfs")));
        const QStringList xf = xfs.split(QStringLiteral("<xf "));
        const QRegularExpressionMatch fuente =
            QRegularExpression(QStringLiteral("fontId=\"(\\d+)\""))
                .match(xf.value(a1.captured(1).toInt() + 1));
        QVERIFY(fuente.hasMatch());
        const QStringList fuentes =
            estilos.mid(estilos.indexOf(QStringLiteral("<fonts"))).split(QStringLiteral("<font>"));
        QVERIFY(fuentes.value(fuente.captured(1).toInt() + 1).contains(QStringLiteral("<b/>")));
    }

    void excelConDetalleYFallos() {
        TestInstalacion inst(Engine::Sqlite, {.empresas = {1}, .empresaActual = 1});
        Tablas t;
        t.Empleado(1, QStringLiteral("Ana"), QString(), QStringLiteral("07:00"));
        t.Linea(1, QStringLiteral("Curso"), 10.5);
        t.Empleado(2, QStringLiteral("Luis"), QString(), QStringLiteral("07:00"));
        const QString ruta = dir.filePath(QStringLiteral("detalle.xlsx"));
        AsignarSeamDialogos([&](QObject* d) {
            static_cast<TFileDialog*>(d)->FileName = ruta;
            return true;
        });
        MessageSeam::enqueue(QStringLiteral("SI"));  // close the open sheets?
        MessageSeam::enqueue(QStringLiteral("SI"));  // with the titles
        QVERIFY(ExportarExcel(nullptr, t.cabecera.get(), t.lineas.get(), QStringLiteral("X"),
                              QString()));
        QCOMPARE(MessageSeam::log().last().kind, QStringLiteral("I"));
        QCOMPARE(MessageSeam::log().last().text, QStringLiteral("El archivo ha sido guardado en ") +
                                                     QDir::toNativeSeparators(ruta));
        const QString hoja = ParteXlsx(ruta, QStringLiteral("xl/worksheets/sheet1.xml"));
        // Per record: blank, titles, blank, the record, blank, the lines' titles, the lines.
        QVERIFY(hoja.contains(QStringLiteral("r=\"A2\"")));   // titles
        QVERIFY(hoja.contains(QStringLiteral("r=\"A4\"")));   // Ana
        QVERIFY(hoja.contains(QStringLiteral("r=\"A6\"")));   // lines' titles
        QVERIFY(hoja.contains(QStringLiteral("r=\"A7\"")));   // Curso
        QVERIFY(hoja.contains(QStringLiteral("r=\"A9\"")));   // Luis's titles
        QVERIFY(hoja.contains(QStringLiteral("r=\"A11\"")));  // Luis
        // With lines, floats are texts with a decimal point.
        const QString textos = ParteXlsx(ruta, QStringLiteral("xl/sharedStrings.xml"));
        QVERIFY(textos.contains(QStringLiteral(">10.5<")));

        // A folder that does not exist: the reason, and no success message.
        MessageSeam::clearLog();
        AsignarSeamDialogos([&](QObject* d) {
            static_cast<TFileDialog*>(d)->FileName = dir.filePath(QStringLiteral("no/x.xlsx"));
            return true;
        });
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        QVERIFY(!ExportarExcel(nullptr, t.cabecera.get(), nullptr, QString(), QString()));
        QCOMPARE(MessageSeam::log().size(), 3);
        QVERIFY(MessageSeam::log().last().text.startsWith(
            QStringLiteral("¡No ha sido posible grabar el archivo!. Motivo: ")));
        // "NO" to the first question stops before anything.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("NO"));
        QVERIFY(!ExportarExcel(nullptr, t.cabecera.get(), nullptr, QString(), QString()));
        QCOMPARE(MessageSeam::log().size(), 1);
    }
};

QTEST_MAIN(TestGeneExpt)
#include "tst_geneexpt.moc"
