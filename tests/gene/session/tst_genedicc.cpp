// The data dictionary: specific and variant files, definitions of one table,
// table and field lists, user fields from CAMPOUSR.

#include <QtTest>

#include "db/database.h"
#include "gene/session/genedicc.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemens.h"
#include "gene/session/sesion.h"
#include "io/textfile.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

QString lineas(const QStringList& l) {
    return l.join(CRLF) + CRLF;
}

void escribir(const QString& ruta, const QStringList& l) {
    QVERIFY(WriteTextFile(ruta, lineas(l), TextEncoding::Windows1252));
}

QStringList mostrados() {
    QStringList r;
    for (const auto& m : MessageSeam::log()) r << m.kind + QLatin1Char(':') + m.text;
    return r;
}

const QStringList kEstandar{
    "EMPRESA/C/1/Codigo/ftInteger/0/*",
    "EMPRESA/I/1/<Primary>/Codigo/",
    "",
    "PUESTO/C/1/Codigo/ftString/10/*",
    "PUESTO/C/2/Descripcion/ftString/40/",
    "PUESTO/I/1/<Primary>/Codigo/",
    "PUESTO/I/2/Descripcion/Descripcion/",
    "PUESTO/SQL/1/UPDATE PUESTO SET Descripcion = ''",
    "",
    "SECCION/C/1/Codigo/ftInteger/0/*",
    "SECCION/I/1/<Primary>/Codigo/",
};

}  // namespace

class TestGeneDicc : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { MessageSeam::activate(); }
    void cleanup() { MessageSeam::deactivate(); }

    // The parts of a definition, in the order columns, indexes, SQL lines; an
    // exact, case-sensitive table name; the first run of lines only.
    void definicionDeUnaTabla() {
        const QString texto = lineas(kEstandar) + lineas({"PUESTO/C/9/Otra/ftString/5/"});
        QString d;
        DefinicionTablaDiccionario(nullptr, "PUESTO", texto, d, QString());
        QCOMPARE(d,
                 lineas({"PUESTO/C/1/Codigo/ftString/10/*", "PUESTO/C/2/Descripcion/ftString/40/",
                         "PUESTO/I/1/<Primary>/Codigo/", "PUESTO/I/2/Descripcion/Descripcion/",
                         "PUESTO/SQL/1/UPDATE PUESTO SET Descripcion = ''"}));
        DefinicionTablaDiccionario(nullptr, "PUESTO", texto, d, "Indices,SQL");
        QCOMPARE(d, lineas({"PUESTO/I/1/<Primary>/Codigo/", "PUESTO/I/2/Descripcion/Descripcion/",
                            "PUESTO/SQL/1/UPDATE PUESTO SET Descripcion = ''"}));
        DefinicionTablaDiccionario(nullptr, "Puesto", texto, d, QString());
        QCOMPARE(d, QString());

        QString campos;
        CamposDefinicionTabla(nullptr, "PUESTO", texto, campos, "IncluirTipo");
        QCOMPARE(campos, lineas({"Codigo/ftString", "Descripcion/ftString", "Otra/ftString"}));
    }

    void listaDeTablas() {
        QString r;
        TablasTextoDiccionario(
            nullptr, lineas({"b/C/1/x", "A/C/1/x", "B/I/1/x", "sin tipo", "a/C/2"}), QString(), r);
        QCOMPARE(r, lineas({"A", "b"}));
        TablasTextoDiccionario(nullptr, lineas({"B/C/1/x", "A/C/1/x", "B/I/1/x"}), "IncluirFecha",
                               r);
        QCOMPARE(r, lineas({"A/C", "B/C/I"}));
    }

    // Variants: new or substitute definitions come first and hide the
    // standard ones; complementary lines join the standard definition.
    void variantes() {
        QString r;
        CombinarDiccionario(
            nullptr, lineas(kEstandar),
            lineas({"[Definiciones Complementarias]", "PUESTO/C/3/Nivel/ftInteger/0/", "",
                    "PUESTO/I/3/Nivel/Nivel/", "[Definiciones Nuevas o Sustitutivas]",
                    "SECCION/C/1/Codigo/ftString/4/*", "SECCION/I/1/<Primary>/Codigo/"}),
            r);
        QString d;
        DefinicionTablaDiccionario(nullptr, "PUESTO", r, d, QString());
        QCOMPARE(d,
                 lineas({"PUESTO/C/1/Codigo/ftString/10/*", "PUESTO/C/2/Descripcion/ftString/40/",
                         "PUESTO/C/3/Nivel/ftInteger/0/", "PUESTO/I/1/<Primary>/Codigo/",
                         "PUESTO/I/2/Descripcion/Descripcion/", "PUESTO/I/3/Nivel/Nivel/",
                         "PUESTO/SQL/1/UPDATE PUESTO SET Descripcion = ''"}));
        DefinicionTablaDiccionario(nullptr, "SECCION", r, d, "Campos");
        QCOMPARE(d, lineas({"SECCION/C/1/Codigo/ftString/4/*"}));
        // The standard lines stay in the text, hidden.
        QVERIFY(r.contains("SECCION/C/1/Codigo/ftInteger/0/*"));

        // Lines before any header are new or substitute definitions.
        CombinarDiccionario(nullptr, lineas(kEstandar),
                            lineas({"EMPRESA/C/1/Codigo/ftSmallint/0/*"}), r);
        DefinicionTablaDiccionario(nullptr, "EMPRESA", r, d, QString());
        QCOMPARE(d, lineas({"EMPRESA/C/1/Codigo/ftSmallint/0/*"}));

        // A complemented table that the dictionary names first is still
        // defined once.
        CombinarDiccionario(
            nullptr, lineas(kEstandar),
            lineas({"[Definiciones Complementarias]", "EMPRESA/C/2/Nombre/ftString/40/"}), r);
        DefinicionTablaDiccionario(nullptr, "EMPRESA", r, d, "Campos");
        QCOMPARE(d,
                 lineas({"EMPRESA/C/1/Codigo/ftInteger/0/*", "EMPRESA/C/2/Nombre/ftString/40/"}));
    }

    // Specific file first, then the standard one, then the variants in list
    // order; missing specific or variant files are no error.
    void lecturaDeArchivos() {
        QTemporaryDir dir;
        const QString dic = dir.filePath("DATABASE.TXT");
        escribir(dic, kEstandar);
        // The site's file ends with the table the standard file starts with.
        escribir(dir.filePath("DATABASE.ESP"),
                 {"PUESTO/C/1/Codigo/ftInteger/0/*", "EMPRESA/C/1/Codigo/ftSmallint/0/*",
                  "EMPRESA/C/2/Nombre/ftString/30/"});
        escribir(dir.filePath("UNO.VRT"),
                 {"[Definiciones Complementarias]", "PUESTO/C/5/Extra/ftMemo/0/"});
        QString texto;
        QVERIFY(LeerDiccionarioDatos(nullptr, dic, dir.filePath("DATABASE.ESP"),
                                     dir.filePath("NO.VRT") + "," + dir.filePath("UNO.VRT"),
                                     texto));
        QString d;
        DefinicionTablaDiccionario(nullptr, "EMPRESA", texto, d, QString());
        QCOMPARE(d,
                 lineas({"EMPRESA/C/1/Codigo/ftSmallint/0/*", "EMPRESA/C/2/Nombre/ftString/30/"}));
        DefinicionTablaDiccionario(nullptr, "PUESTO", texto, d, "Campos");
        QCOMPARE(d, lineas({"PUESTO/C/1/Codigo/ftInteger/0/*", "PUESTO/C/5/Extra/ftMemo/0/"}));
        QVERIFY(MessageSeam::log().isEmpty());

        // Without the standard file: the warning, and what could be read.
        QVERIFY(!LeerDiccionarioDatos(nullptr, dir.filePath("FALTA.TXT"),
                                      dir.filePath("DATABASE.ESP"), QString(), texto));
        QCOMPARE(mostrados(),
                 QStringList{"A:No está disponible el archivo " + dir.filePath("FALTA.TXT") +
                             ". Motivo: El archivo no existe."});
        QVERIFY(texto.startsWith("PUESTO/C/1/Codigo/ftInteger/0/*"));
    }

    // The standard dictionary lists and the general tables left out.
    void diccionarioEstandar() {
        TestInstalacion inst(Engine::Sqlite);
        QString tablas;
        ListaTablasDiccionario(nullptr, "ExcluirTablasBDGeneral", tablas);
        const QStringList l = tablas.split(CRLF, Qt::SkipEmptyParts);
        QVERIFY(l.contains("PARAGENE"));
        QVERIFY(l.contains("GRANTAB"));
        for (const char* t : {"EMPRESA", "USUARIO", "CAMPOUSR", "NOMBTTEM", "TXIDIOMA"})
            QVERIFY2(!l.contains(t), t);
        ListaTablasDiccionario(nullptr, QString(), tablas);
        QVERIFY(tablas.split(CRLF).contains("USUARIO"));
        QString campos;
        CamposTablaDiccionario(nullptr, "USUARIO", QString(), campos);
        QVERIFY(campos.startsWith(lineas({"Codigo", "Nombre", "Categoria", "ClaveAcceso"})));
    }

    void camposUsuario_data() { AddEngineRows(); }
    // User fields of CAMPOUSR: numbered 1000 + OrdenCampo, unknown types
    // left out, never for CAMPOUSR itself.
    void camposUsuario() {
        TestInstalacion inst(CurrentEngine());
        QVERIFY(inst.iniciada());
        TDatabase* general = inst.sesion()->DatabaseGeneral;
        for (const auto& fila : {QVariantList{"PUESTO", "Nota", "Texto", 0, 5},
                                 QVariantList{"PUESTO", "Alta", "Fecha", 0, 2},
                                 QVariantList{"PUESTO", "Hora", "Hora", 0, 3},
                                 QVariantList{"puesto", "Nivel", "Entero", 0, 4},
                                 QVariantList{"CAMPOUSR", "X", "Entero", 0, 1}})
            general->Execute(
                "INSERT INTO CAMPOUSR (NombreTabla, NombreCampo, TipoCampo, "
                "LongitudCampo, OrdenCampo) VALUES (?, ?, ?, ?, ?)",
                fila);
        QString d;
        DefinicionTablaDiccionario(inst.sesion(), "PUESTO", lineas(kEstandar), d,
                                   "Campos,CamposUsuario");
        QCOMPARE(d,
                 lineas({"PUESTO/C/1/Codigo/ftString/10/*", "PUESTO/C/2/Descripcion/ftString/40/",
                         "PUESTO/C/1002/Alta/ftDateTime/0/", "PUESTO/C/1004/Nivel/ftInteger/0/",
                         "PUESTO/C/1005/Nota/ftMemo/0/"}));
        QStringList l;
        QString error;
        QVERIFY(LineasCamposUsuario(inst.sesion(), "dbo.PUESTO", true, l, error));
        QCOMPARE(l, QStringList({"PUESTO/C/1000/Alta/ftDateTime/0/NO",
                                 "PUESTO/C/1001/Nivel/ftInteger/0/NO",
                                 "PUESTO/C/1002/Nota/ftMemo/0/NO"}));
        QVERIFY(LineasCamposUsuario(inst.sesion(), "CAMPOUSR", true, l, error));
        QVERIFY(l.isEmpty());
    }
};

QTEST_MAIN(TestGeneDicc)
#include "tst_genedicc.moc"
