// Custom reports exchanged as text files on both engines: a round trip gives
// the same row under a new name, the file's encoding follows what it holds,
// a file from another engine gets this engine's SQL, a taken name and every
// kind of bad file write nothing; the copy to other companies takes only the
// reports.

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "db/table.h"
#include "gene/dialogs/genecopi.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/listings/genecinf_filtro.h"
#include "gene/listings/genecinf_intercambio.h"
#include "gene/listings/genecinf_sql.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/sqlprueba.h"

namespace {

// The example report: two tables linked, a date variable, a constant with
// a quote and a comma, an accented title.
DefinicionInforme Diseno(const QString& Titulo = QStringLiteral("Año de inicio")) {
    DefinicionInforme d;
    d.Tablas = QStringList{"HPUESTO", "PUESTO"};
    d.Columnas = QStringList{"HPUESTO.CodigoOperario", "PUESTO.Descripcion AS 'Puesto'",
                             "HPUESTO.FechaInicio AS '" + Titulo + "'"};
    d.Vinculos = QStringList{"HPUESTO.CodigoPuesto = PUESTO.Codigo"};
    d.Restricciones =
        QStringList{"HPUESTO.FechaInicio >= :&Desde", "PUESTO.Descripcion <> 'O''Brien, S.A.'"};
    d.Ordenacion = QStringList{"HPUESTO.CodigoOperario DESC"};
    d.Grupos = QStringList{"HPUESTO.CodigoOperario"};
    d.FormatoColumnas = QStringLiteral("20|50|30|");
    d.Opciones = QStringLiteral("FormatoColumnar,OrientacionApaisada,");
    d.UsuariosAutorizados = QStringLiteral("ADMIN,");
    d.AplicacionesContenedoras = QStringLiteral("Recursos Humanos,");
    return d;
}

void Guardar(const QString& Nombre, const DefinicionInforme& d) {
    QString motivo;
    QVERIFY2(EscribirInforme(Nombre, GenerarSentenciaSQL(d, MotorActual()),
                             ComponerInstrucciones(d), motivo),
             qPrintable(motivo));
}

QString Fila(const QString& Nombre) {
    return SqlPrueba("SELECT NombreTabla, Filtro, Instrucciones FROM FILTRO WHERE Descripcion = " +
                     Entrecomillar(Nombre));
}

QByteArray Bytes(const QString& Archivo) {
    QFile f(Archivo);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(sin archivo)");
}

void Escribir(const QString& Archivo, const QByteArray& Bytes) {
    QFile f(Archivo);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Bytes);
}

QStringList Mostrados() {
    const QStringList t = TextosMostrados();
    MessageSeam::clearLog();
    return t;
}

// Reading and inserting as the designer's import does.
bool Importar(const QString& Archivo, const QString& Nombre) {
    InformeIntercambio informe;
    return LeerArchivoInforme(Archivo, informe) && InsertarInformeImportado(Nombre, informe);
}

}  // namespace

class TestGeneCinfIntercambio : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Exported and imported under a new name, the row is the same but its
    // name; the file is Windows-1252 with "·" for every line break.
    void idaYVuelta_data() { AddEngineRows(); }
    void idaYVuelta() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        QTemporaryDir dir;
        const QString archivo = dir.filePath("INFORME.TXT");
        Guardar("Puestos por año", Diseno());
        MessageSeam::clearLog();
        // The design is the user's to see: a hidden-field list naming its
        // columns leaves the file whole.
        CamposNoVisiblesUsuario = QStringLiteral("Instrucciones,Filtro,Descripcion");
        QVERIFY(ExportarInforme("Puestos por año", archivo));
        CamposNoVisiblesUsuario.clear();

        const QByteArray bytes = Bytes(archivo);
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(
            bytes.startsWith("NombreTabla=GeneradorInformes\r\nDescripcion=Puestos por a\xF1o\r\n"
                             "Filtro=SELECT "));
        QVERIFY(bytes.contains("\r\nInstrucciones=ListaTablas=HPUESTO,PUESTO,\xB7ListaColumnas="));
        QVERIFY(bytes.endsWith("AplicacionesContenedoras=Recursos Humanos,\r\n"));
        QCOMPARE(bytes.count("\r\n"), 4);

        InformeIntercambio informe;
        QVERIFY(LeerArchivoInforme(archivo, informe));
        QCOMPARE(informe.Descripcion, QStringLiteral("Puestos por año"));
        QVERIFY(InsertarInformeImportado("Copia d'O'Brien", informe));
        QCOMPARE(Mostrados(), QStringList());
        QCOMPARE(Fila("Copia d'O'Brien"), Fila("Puestos por año"));

        // A taken name: refused with the database's reason, nothing changed.
        Guardar("Otro", Diseno("Otro título"));
        const QString antes = Fila("Otro");
        QVERIFY(!InsertarInformeImportado("Otro", informe));
        const QStringList t = Mostrados();
        QCOMPARE(t.size(), 1);
        QCOMPARE(t.first(),
                 "¡No ha sido posible grabar el registro!. Motivo: ¡ Ya existe el "
                 "registro !");
        QCOMPARE(Fila("Otro"), antes);
        QCOMPARE(SqlPrueba("SELECT COUNT(*) FROM FILTRO"), QStringLiteral("3"));
    }

    // A character Windows-1252 lacks makes the file UTF-8 with a byte-order
    // mark, read back as it was written; "·" in the design cannot be told
    // from a line break and is refused before anything is written.
    void codificacion_data() { AddEngineRows(); }
    void codificacion() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        QTemporaryDir dir;
        const QString archivo = dir.filePath("INFORME.TXT");
        Guardar("Σ Puestos", Diseno("Δ días €"));
        QVERIFY(ExportarInforme("Σ Puestos", archivo));
        const QByteArray bytes = Bytes(archivo);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBFNombreTabla=GeneradorInformes\r\n"));
        QVERIFY(bytes.contains("Descripcion=\xCE\xA3 Puestos\r\n"));
        QVERIFY(Importar(archivo, "Σ Copia"));
        QCOMPARE(Fila("Σ Copia"), Fila("Σ Puestos"));

        DefinicionInforme d = Diseno();
        d.Restricciones << "PUESTO.Codigo <> 'a·b'";
        Guardar("Con punto", d);
        QFile::remove(archivo);
        MessageSeam::clearLog();
        QVERIFY(!ExportarInforme("Con punto", archivo));
        QCOMPARE(Mostrados(), QStringList{"¡El informe contiene el carácter \"·\" y no puede "
                                          "exportarse!"});
        QVERIFY(!QFile::exists(archivo));

        // A folder that is not there: said so, nothing written.
        QVERIFY(!ExportarInforme("Σ Puestos", dir.filePath("no/INFORME.TXT")));
        QCOMPARE(Mostrados(), QStringList{"¡No es posible escribir el archivo " +
                                          dir.filePath("no/INFORME.TXT") + "!"});
    }

    // A file from another engine gets the SQL of the engine in use; without
    // the byte-order mark it is Windows-1252, though its bytes read as UTF-8.
    void otroMotor_data() { AddEngineRows(); }
    void otroMotor() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        QTemporaryDir dir;
        const QString archivo = dir.filePath("INFORME.TXT");
        DefinicionInforme d = Diseno();
        QString sqlServer = GenerarSentenciaSQL(d, Engine::SqlServer);
        QString instrucciones = ComponerInstrucciones(d);
        sqlServer.replace("\r\n", "·");
        instrucciones.replace("\r\n", "·");
        Escribir(
            archivo,
            QByteArray("NombreTabla=GeneradorInformes\r\nDescripcion=\xC3\xB1\r\n") +
                ("Filtro=" + sqlServer + "\r\nInstrucciones=" + instrucciones + "\r\n").toLatin1());
        InformeIntercambio informe;
        QVERIFY(LeerArchivoInforme(archivo, informe));
        QCOMPARE(informe.Descripcion, QStringLiteral("Ã±"));
        QVERIFY(InsertarInformeImportado("Servidor", informe));
        QString sql, leidas;
        QVERIFY(LeerInforme("Servidor", sql, leidas));
        QCOMPARE(sql, GenerarSentenciaSQL(d, Engine(engine)));
        QCOMPARE(leidas, ComponerInstrucciones(d));
        QVERIFY(sql.contains("AS \"Puesto\""));
    }

    // Every bad file is refused with one clear message and nothing is written.
    void archivosErroneos_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QByteArray>("contenido");
        QString instrucciones = ComponerInstrucciones(Diseno());
        instrucciones.replace("\r\n", "·");
        const QByteArray completo =
            ("NombreTabla=GeneradorInformes\r\nDescripcion=Bueno\r\nFiltro=SELECT 1\r\n"
             "Instrucciones=" +
             instrucciones + "\r\n")
                .toLatin1();
        const QList<QPair<const char*, QByteArray>> casos = {
            {"sin archivo", QByteArray()},
            {"vacio", QByteArray("")},
            {"cortado", completo.left(completo.size() / 2)},
            {"cortado tras Opciones", completo.left(completo.indexOf("\xB7UsuariosAutorizados"))},
            {"sin Instrucciones", completo.left(completo.indexOf("Instrucciones="))},
            {"sin salto final", completo.chopped(2)},
            {"consulta guardada",
             "NombreTabla=SQL\r\nDescripcion=Consulta\r\nFiltro=SELECT 1\r\n"
             "Instrucciones=UsuariosAutorizados=\xB7"
             "AplicacionesContenedoras=Recursos Humanos,\xB7\r\n"},
            {"otro texto", "[Configuracion]\r\nIdioma=Castellano\r\n"},
            {"binario", QByteArray("\x00\x01\xFF\xFE=\x00", 6)},
        };
        for (Engine motor : AvailableEngines())
            for (const auto& [nombre, contenido] : casos)
                QTest::addRow("%s %s", qPrintable(EngineTag(motor)), nombre)
                    << int(motor) << contenido;
    }
    void archivosErroneos() {
        QFETCH(int, engine);
        QFETCH(QByteArray, contenido);
        EmpresaPrueba e{Engine(engine)};
        QTemporaryDir dir;
        const QString archivo = dir.filePath("INFORME.TXT");
        if (!contenido.isNull()) Escribir(archivo, contenido);
        Guardar("Existente", Diseno());
        MessageSeam::clearLog();
        QVERIFY(!Importar(archivo, "Nuevo"));
        QCOMPARE(Mostrados(), QStringList{kArchivoSinInforme});
        QCOMPARE(SqlPrueba("SELECT Descripcion FROM FILTRO"), QStringLiteral("Existente"));
    }

    // Only the reports reach the other company: a saved query there that
    // shares a report's name stays as it was.
    void copiaAEmpresas_data() { AddEngineRows(); }
    void copiaAEmpresas() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        e.inst.CrearEmpresa(2);
        const QString otra = QStringLiteral("?") + NombreBaseDatosEmpresa(fGENEINIC, 2);
        Guardar("Altas", Diseno());
        Guardar("Bajas", Diseno("Baja"));
        SqlPrueba(
            "INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro, Instrucciones) VALUES "
            "('SQL', 'Local', 'SELECT 2', '')");
        TTable informes;
        QVERIFY(AbrirTablaInformes(&informes));
        QVERIFY(CopiarRegistrosEmpresa(&informes, 2, mcAgregarYSustituir));
        QString r;
        EjecutarSQL(ModuloDatos,
                    "INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro, Instrucciones) VALUES "
                    "('SQL', 'Altas', 'SELECT 1', 'AplicacionesContenedoras=Nominas,')",
                    otra, "Silenciosa", r);
        QCOMPARE(r, QString());
        // Copied again over what the other company has.
        QVERIFY(CopiarRegistrosEmpresa(&informes, 2, mcAgregarYSustituir));
        EjecutarSQL(ModuloDatos,
                    "SELECT NombreTabla, Descripcion, Filtro FROM FILTRO ORDER BY NombreTabla, "
                    "Descripcion",
                    otra, "Silenciosa", r);
        QCOMPARE(r.split("\r\n").size(), 3);
        QVERIFY(r.startsWith("GeneradorInformes|Altas|SELECT "));
        QVERIFY(r.contains("\r\nGeneradorInformes|Bajas|SELECT "));
        QVERIFY(r.endsWith("\r\nSQL|Altas|SELECT 1"));
    }
};

QTEST_MAIN(TestGeneCinfIntercambio)
#include "tst_genecinf_intercambio.moc"
