// Stored custom reports on both engines: names in order, rows written whole
// (a refused insert keeps the stored report), and the access lists copied to
// other reports deciding in whose menus they are listed.

#include <QtTest>

#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/listings/genecinf_filtro.h"
#include "gene/listings/genecinf_sql.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/sqlprueba.h"

namespace {
const QString kSQL = QStringLiteral(
    "SELECT PUESTO.Codigo AS 'Puesto''s'\r\nFROM PUESTO\r\nWHERE PUESTO.Codigo <> :$C\r\n");

QString Instrucciones(const QString& Tabla) {
    DefinicionInforme d;
    d.Tablas = QStringList{Tabla};
    d.Columnas = QStringList{Tabla + ".Codigo"};
    d.Opciones = QStringLiteral("FormatoColumnar,");
    d.AplicacionesContenedoras = QStringLiteral("Recursos Humanos,");
    return ComponerInstrucciones(d);
}

QStringList Listados(const QString& Usuario, const QString& Aplicacion) {
    QString lista;
    ConsultasGuardadas(ModuloDatos, Usuario, Aplicacion, QStringLiteral("GeneradorInformes"),
                       lista);
    return LineasTexto(lista);
}
}  // namespace

class TestGeneCinfFiltro : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cicloDeVida_data() { AddEngineRows(); }
    void cicloDeVida() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        QString motivo;
        QCOMPARE(PrimerInforme(), QString());
        for (const char* n : {"Bajas", "Altas", "Cursos"})
            QVERIFY2(EscribirInforme(n, kSQL, Instrucciones("PUESTO"), motivo), qPrintable(motivo));
        QCOMPARE(PrimerInforme(), QStringLiteral("Altas"));
        QCOMPARE(InformeAnterior("Cursos"), QStringLiteral("Bajas"));
        QVERIFY(ExisteInforme("Bajas"));
        QVERIFY(!ExisteInforme("bajas"));

        // Read back exactly: quotes and the final line break kept.
        QString sql, instrucciones;
        QVERIFY(LeerInforme("Bajas", sql, instrucciones));
        QCOMPARE(sql, kSQL);
        QCOMPARE(instrucciones, Instrucciones("PUESTO"));
        QVERIFY(!InformeModificado("Bajas", kSQL, Instrucciones("PUESTO")));
        QVERIFY(InformeModificado("Bajas", kSQL, Instrucciones("HPUESTO")));
        QVERIFY(InformeModificado("Nadie", kSQL, Instrucciones("PUESTO")));

        // Saving under the name of another report replaces it.
        QVERIFY(EscribirInforme("Cursos", "SELECT 1\r\n", Instrucciones("HPUESTO"), motivo));
        QCOMPARE(SqlPrueba("SELECT COUNT(*) FROM FILTRO WHERE Descripcion = 'Cursos'"),
                 QStringLiteral("1"));
        QVERIFY(LeerInforme("Cursos", sql, instrucciones));
        QCOMPARE(sql, QStringLiteral("SELECT 1\r\n"));

        // A refused insert leaves the stored report as it was.
        BloquearAlta(Engine(engine), "FILTRO");
        QVERIFY(!EscribirInforme("Bajas", "SELECT 2\r\n", Instrucciones("HPUESTO"), motivo));
        QuitarBloqueoAlta(Engine(engine), "FILTRO");
        QVERIFY2(motivo.startsWith(QLatin1String("Error")), qPrintable(motivo));
        QVERIFY(LeerInforme("Bajas", sql, instrucciones));
        QCOMPARE(sql, kSQL);
        QCOMPARE(instrucciones, Instrucciones("PUESTO"));

        // Deleting the first by name leads to the first that remains.
        QVERIFY(EliminarInforme("Altas"));
        QVERIFY(!ExisteInforme("Altas"));
        QCOMPARE(InformeAnterior("Altas"), QStringLiteral("Bajas"));
        QVERIFY(EliminarInforme("Bajas"));
        QVERIFY(EliminarInforme("Cursos"));
        QCOMPARE(PrimerInforme(), QString());
        QCOMPARE(InformeAnterior("Cursos"), QString());
    }

    // The access lists copied to other reports decide the menus at once; the
    // other keys of their designs stay as they were.
    void accesos_data() { AddEngineRows(); }
    void accesos() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        QString motivo;
        for (const char* n : {"Altas", "Bajas", "Cursos"})
            QVERIFY(EscribirInforme(n, kSQL, Instrucciones("PUESTO"), motivo));
        // A saved query of the same name is no report.
        SqlPrueba(
            "INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro, Instrucciones) VALUES "
            "('SQL', 'Altas', 'SELECT 1', 'AplicacionesContenedoras=Nominas,')");
        const QString usuario = CodigoUsuarioActual;
        QCOMPARE(Listados(usuario, "Recursos Humanos"), (QStringList{"Altas", "Bajas", "Cursos"}));

        QCOMPARE(CopiarAccesosInformes({"Bajas", "Cursos", "Nadie"}, "OTRO,", "Nominas,"), 2);
        QCOMPARE(Listados(usuario, "Recursos Humanos"), QStringList{"Altas"});
        QCOMPARE(Listados("PEPE", "Nominas"), QStringList());
        QCOMPARE(Listados("OTRO", "Nominas"), (QStringList{"Bajas", "Cursos"}));

        QCOMPARE(CopiarAccesosInformes({"Bajas"}, QString(), QString()), 1);
        QString sql, instrucciones;
        QVERIFY(LeerInforme("Bajas", sql, instrucciones));
        QVERIFY(instrucciones.endsWith("\r\n"));
        QVERIFY(!instrucciones.contains("UsuariosAutorizados"));
        const DefinicionInforme d = LeerInstrucciones(instrucciones);
        QCOMPARE(d.AplicacionesContenedoras, QString());
        QCOMPARE(d.Columnas, QStringList{"PUESTO.Codigo"});
        QCOMPARE(d.Opciones, QStringLiteral("FormatoColumnar,"));
        // No application: listed in no menu.
        QCOMPARE(Listados("OTRO", "Nominas"), QStringList{"Cursos"});
        QCOMPARE(Listados(QString(), QString()), (QStringList{"Altas", "Bajas", "Cursos"}));
        QCOMPARE(sql, kSQL);
    }
};

QTEST_MAIN(TestGeneCinfFiltro)
#include "tst_genecinf_filtro.moc"
