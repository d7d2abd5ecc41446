// The usage log and its cap, record photos on both engines (a JPEG round
// trip, a failed replacement that keeps the old photo), predefined texts and
// templates, the mail settings and the attendance code.

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QtTest>

#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genelog.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

QString sql(const QString& sentencia, const QString& selector = QStringLiteral("Database")) {
    QString r;
    EjecutarSQL(nullptr, sentencia, selector, QStringLiteral("Silenciosa"), r);
    return r;
}

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

QByteArray bytesImagen(const char* formato, QColor color) {
    QImage imagen(8, 6, QImage::Format_RGB32);
    imagen.fill(color);
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    imagen.save(&b, formato);
    return bytes;
}

QString escribir(const QString& carpeta, const QString& nombre, const QByteArray& bytes) {
    const QString ruta = JoinPath(carpeta, nombre);
    QFile f(ruta);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return ruta;
}

QImage imagenDe(const QObject& control) {
    return control.property("Picture").value<QImage>();
}

QStringList opcionesVisor;
QString respuestaVisor;
QStringList busquedas;
QString eleccionBusqueda;

}  // namespace

class TestGeneLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        MonitorizarActividadUsuario = false;
        GanchoVisorAgregarDatos = nullptr;
        GanchoBuscarConFiltroYValor = nullptr;
    }

    void registroDeUso() {
        TestInstalacion inst;
        QString usuario;
        NombreUsuarioWindows(usuario);
        const QString archivo = JoinPath(inst.carpeta(), usuario + QStringLiteral(".log"));
        QObject formulario;
        formulario.setObjectName(QStringLiteral("fRRHHPERS"));
        formulario.setProperty("Caption", QStringLiteral("Fichero de Personal"));

        // Off, or without a form: nothing is written.
        RegistrarUso(nullptr, &formulario, QStringLiteral("Show"));
        MonitorizarActividadUsuario = true;
        RegistrarUso(nullptr, nullptr, QStringLiteral("Show"));
        QVERIFY(!QFile::exists(archivo));

        QString texto;
        for (int i = 0; i < 101; ++i) texto += QStringLiteral("linea %1\r\n").arg(i);
        QFile f(archivo);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(texto.toLatin1());
        f.close();
        RegistrarUso(nullptr, &formulario, QStringLiteral("Close"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QStringList lineas = QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
        f.close();
        QCOMPARE(lineas.takeLast(), QString());
        QCOMPARE(lineas.size(), 101);
        QCOMPARE(lineas.first(), QStringLiteral("linea 1"));
        const QRegularExpression forma(QStringLiteral(
            "^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d, Close, fRRHHPERS, Fichero de Personal, "
            "[^,]+/[^,]*, $"));
        QVERIFY2(forma.match(lineas.last()).hasMatch(), qPrintable(lineas.last()));

        // "Start,Show" starts the file again with a "Show" line.
        RegistrarUso(nullptr, &formulario, QStringLiteral("Start,Show"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        lineas = QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
        QCOMPARE(lineas.size(), 2);
        QVERIFY(lineas.first().contains(QLatin1String(", Show, fRRHHPERS, ")));
    }

    void fotoDelRegistro_data() { AddEngineRows(); }
    void fotoDelRegistro() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        const QString tabla = QStringLiteral("PERSONAL");
        const QString clave = QStringLiteral("O'Brien|7");
        const QByteArray jpeg = bytesImagen("JPEG", Qt::red);
        const QString archivoJpeg = escribir(inst.carpeta(), QStringLiteral("foto.jpg"), jpeg);
        QObject control;

        QVERIFY(GrabarObjetoBLOB(&modulo, tabla, clave, &control, archivoJpeg));
        QCOMPARE(imagenDe(control).size(), QSize(8, 6));
        QString tipo, extraido;
        QCOMPARE(TipoObjetoBLOB(&modulo, tabla, clave, QStringLiteral("Foto"), tipo),
                 QStringLiteral("Imagen"));
        QVERIFY(ExtraerObjetoBLOB(&modulo, tabla, clave, QStringLiteral("Foto"), extraido)
                    .endsWith(QLatin1String(".imagen")));
        // Extracted again (by another session, or another installation on this
        // machine) while the first file is in use: a file of its own, whose
        // removal leaves the first one where it was.
        QString otra;
        QVERIFY(ExtraerObjetoBLOB(&modulo, tabla, clave, QStringLiteral("Foto"), otra)
                    .endsWith(QLatin1String(".imagen")));
        QVERIFY2(otra != extraido, qPrintable(otra));
        QVERIFY(QFile::remove(otra));
        QFile f(extraido);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), jpeg);
        f.close();
        QFile::remove(extraido);

        // The stored type is anyone's text: only a plain extension becomes the
        // suffix, and the file never leaves the temporary folder.
        const QString temporal = QDir(DirectorioTemporal()).canonicalPath();
        for (const auto& [guardado, sufijo] :
             {std::pair{QStringLiteral("/../../x"), QString()},
              std::pair{QStringLiteral("../x"), QString()},
              std::pair{QStringLiteral("a.b"), QString()},
              std::pair{QStringLiteral("PDF2"), QStringLiteral("pdf2")}}) {
            sql(QStringLiteral("UPDATE BLOBTAB SET TipoObjeto = ") + Entrecomillar(guardado));
            QString fuera;
            ExtraerObjetoBLOB(&modulo, tabla, clave, QStringLiteral("Foto"), fuera);
            const QFileInfo info(fuera);
            QVERIFY2(!fuera.isEmpty() && info.exists(), qPrintable(guardado));
            QCOMPARE(QDir(info.absolutePath()).canonicalPath(), temporal);
            QCOMPARE(info.suffix(), sufijo);
            QFile copia(fuera);
            QVERIFY(copia.open(QIODevice::ReadOnly));
            QCOMPARE(copia.readAll(), jpeg);
            copia.close();
            QFile::remove(fuera);
        }
        sql(QStringLiteral("UPDATE BLOBTAB SET TipoObjeto = 'Imagen'"));

        QObject visor;
        visor.setProperty("Picture", QImage(2, 2, QImage::Format_RGB32));
        MostrarImagenBLOB(&modulo, tabla, clave, QStringLiteral("Foto"), &visor);
        const QImage vista = imagenDe(visor);
        QCOMPARE(vista.size(), QSize(8, 6));
        QVERIFY(qRed(vista.pixel(3, 3)) > 200 && qGreen(vista.pixel(3, 3)) < 60);

        // A file that cannot be read, or is no picture, keeps the old photo.
        const QString texto =
            escribir(inst.carpeta(), QStringLiteral("nota.jpg"), QByteArray("no soy una foto"));
        for (const QString& malo : {JoinPath(inst.carpeta(), QStringLiteral("falta.jpg")), texto}) {
            MessageSeam::clearLog();
            QObject otro;
            QVERIFY(!GrabarObjetoBLOB(&modulo, tabla, clave, &otro, malo));
            QVERIFY(imagenDe(otro).isNull());
            QCOMPARE(MessageSeam::log().size(), 1);
            QVERIFY(MessageSeam::log().first().text.startsWith(
                QStringLiteral("¡No ha sido posible leer la imagen ") + malo));
            QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM BLOBTAB")), QStringLiteral("1"));
            QVERIFY(
                ExtraerObjetoBLOB(&modulo, tabla, clave, QStringLiteral("Foto"), extraido).size() >
                0);
            QFile guardada(extraido);
            QVERIFY(guardada.open(QIODevice::ReadOnly));
            QCOMPARE(guardada.readAll(), jpeg);
            guardada.close();
            QFile::remove(extraido);
        }

        // A bitmap replaces it; an empty file name removes it.
        const QString bmp =
            escribir(inst.carpeta(), QStringLiteral("foto.bmp"), bytesImagen("BMP", Qt::blue));
        QVERIFY(GrabarObjetoBLOB(&modulo, tabla, clave, &control, bmp));
        MostrarImagenBLOB(&modulo, tabla, clave, QStringLiteral("Foto"), &visor);
        QVERIFY(qBlue(imagenDe(visor).pixel(1, 1)) > 200);
        QVERIFY(GrabarObjetoBLOB(&modulo, tabla, clave, &control, QString()));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM BLOBTAB")), QStringLiteral("0"));
        QCOMPARE(TipoObjetoBLOB(&modulo, tabla, clave, QStringLiteral("Foto"), tipo), QString());
        QCOMPARE(ExtraerObjetoBLOB(&modulo, tabla, clave, QStringLiteral("Foto"), extraido),
                 QString());
        MostrarImagenBLOB(&modulo, tabla, clave, QStringLiteral("Foto"), &visor);
        QVERIFY(imagenDe(visor).isNull());
    }

    void textosPredefinidos_data() { AddEngineRows(); }
    void textosPredefinidos() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        const auto texto = [](const QString& codigo, const QString& descripcion,
                              const QString& contenido, const QString& tipo) {
            // Bound, so that the text keeps its CR LF; the SQL layer makes
            // the table first.
            sql(QStringLiteral("SELECT COUNT(*) FROM TEXTO"));
            TQuery q;
            q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
            q.SQL().setText(QStringLiteral(
                "INSERT INTO TEXTO (Codigo, Descripcion, Texto, Tipo) VALUES (:a, :b, :c, :d)"));
            const QStringList valores = {codigo, descripcion, contenido, tipo};
            for (int i = 0; i < valores.size(); ++i) q.Params()[i]->setAsString(valores[i]);
            q.ExecSQL();
        };
        texto(QStringLiteral("SALUDO"), QStringLiteral("Saludo"),
              QStringLiteral("Buenos días,\r\nAtentamente\r\n"), QString());
        texto(QStringLiteral("CURSO"), QStringLiteral("Datos del curso"),
              QStringLiteral("Curso: nombre\r\nFecha: dd/mm/aaaa\r\n\r\n"),
              QStringLiteral("Plantilla"));
        GanchoBuscarConFiltroYValor = [](const QString& tabla, int, const QString&, QVariant& clave,
                                         const QString& valor) {
            busquedas << tabla + u'>' + valor;
            clave = eleccionBusqueda;
        };
        busquedas.clear();
        opcionesVisor.clear();
        QString r;

        QCOMPARE(TextoPredefinido(&modulo, QStringLiteral("SALUDO"), r),
                 QStringLiteral("Buenos días,\r\nAtentamente\r\n"));
        // Unknown or empty codes search; nothing chosen gives nothing.
        eleccionBusqueda = QStringLiteral("SALUDO");
        QCOMPARE(TextoPredefinido(&modulo, QStringLiteral("SAL'"), r),
                 QStringLiteral("Buenos días,\r\nAtentamente\r\n"));
        eleccionBusqueda.clear();
        QCOMPARE(TextoPredefinido(&modulo, QString(), r), QString());
        QCOMPARE(busquedas, (QStringList{"TEXTO>SAL'", "TEXTO>"}));

        // A template is filled in through the data-entry viewer.
        GanchoVisorAgregarDatos = [](TfGENEINIC*, const QString& opciones, TDataSet*,
                                     QString& resultado) {
            opcionesVisor << opciones;
            resultado = respuestaVisor;
        };
        respuestaVisor = QStringLiteral("Curso=Excel: nivel 2\r\nFecha=1/2/2024\r\n=\r\n");
        QCOMPARE(TextoPredefinido(&modulo, QStringLiteral("CURSO"), r),
                 QStringLiteral("Curso: Excel: nivel 2\r\nFecha: 1/2/2024\r\n"));
        QCOMPARE(opcionesVisor,
                 QStringList{"Titulo=Datos del curso\r\nDefinicionCampos=Curso,ftString,100;"
                             "Fecha,ftString,100;,ftString,100;\r\n"
                             "Opciones=RespetarNombresCampos\r\n"});
        respuestaVisor.clear();  // cancelled
        QCOMPARE(TextoPredefinido(&modulo, QStringLiteral("CURSO"), r), QString());

        // A table that cannot be read gives nothing, not its error text.
        QCOMPARE(sql(QStringLiteral("ALTER TABLE TEXTO RENAME COLUMN Tipo TO Roto")), QString());
        busquedas.clear();
        QCOMPARE(TextoPredefinido(&modulo, QStringLiteral("SALUDO"), r), QString());
        QCOMPARE(busquedas, QStringList());
    }

    void configuracionCorreo_data() { AddEngineRows(); }
    void configuracionCorreo() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        { TModuloDatos crear; }  // makes the tables
        sql(QStringLiteral("INSERT INTO USUARIO (Codigo, Categoria, Configuracion) VALUES "
                           "('PEPE', 'Normal', 'CuentaFromSMTP=pepe@empresa.es'), "
                           "('ANA', 'Normal', '')"),
            QStringLiteral("DatabaseGeneral"));
        sql(QStringLiteral("INSERT INTO PARAGENE (IdRegistro, CfgCorreoElectronico) VALUES (1, ") +
            ValorSQL(QStringLiteral("ServidorSMTP=smtp.empresa.es\r\nPuertoSSL=465\r\n"
                                    "ServidorSMTP(Masivo)=masivo.empresa.es")) +
            u')');
        TModuloDatos modulo;
        QString r;
        ConfiguracionSMTP(&modulo, QStringLiteral("PEPE"), QString(), r);
        QCOMPARE(r, QStringLiteral("ClienteSMTP=\r\nServidorSMTP=\r\nCodigoUsuarioSMTP=\r\n"
                                   "ClaveAccesoSMTP=\r\nPuertoSSL=\r\n"
                                   "CuentaSMTPCopiasDocumentos=\r\n"
                                   "CuentaFromSMTP=pepe@empresa.es"));
        ConfiguracionSMTP(&modulo, QStringLiteral("ANA"), QString(), r);
        QCOMPARE(r, QStringLiteral("ClienteSMTP=\r\nServidorSMTP=smtp.empresa.es\r\n"
                                   "CodigoUsuarioSMTP=\r\nClaveAccesoSMTP=\r\nPuertoSSL=465\r\n"
                                   "CuentaSMTPCopiasDocumentos=\r\nCuentaFromSMTP="));
        ConfiguracionSMTP(&modulo, QStringLiteral("PEPE"), QStringLiteral("Masivo"), r);
        QVERIFY(
            r.startsWith(QStringLiteral("ClienteSMTP(Masivo)=\r\n"
                                        "ServidorSMTP(Masivo)=masivo.empresa.es\r\n")));
        QVERIFY(r.endsWith(QStringLiteral("\r\nCuentaFromSMTP(Masivo)=")));
    }

    void codigoPresencia() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        sql(
            QStringLiteral("CREATE TABLE PERSONAL (CodigoOperario INTEGER, "
                           "CodigoOperarioPresencia INTEGER)"));
        sql(QStringLiteral("INSERT INTO PERSONAL VALUES (5, 905), (6, 0)"));
        QCOMPARE(CodigoOperarioPresencia(nullptr, 5), 905);
        QCOMPARE(CodigoOperarioPresencia(nullptr, 6), 6);
        QCOMPARE(CodigoOperarioPresencia(nullptr, 7), 7);
    }
};

QTEST_MAIN(TestGeneLog)
#include "tst_genelog.moc"
