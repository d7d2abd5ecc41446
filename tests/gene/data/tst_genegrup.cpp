// Analysis groups: profiles and whole-item categories, the SQL that applies
// ranges (run on both engines), the record test giving the same answer on
// both of its paths for department ranges from "DEP" to "DEPZZ", a record's
// groups, and the range dialog through a scripted list editor.

#include <QtTest>

#include "db/field.h"
#include "db/table.h"
#include "gene/data/genegrup.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesist.h"
#include "gene/session/sesion.h"
#include "gene/registros_prueba.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

const QString kPerfiles =
    QStringLiteral("Personal=DEP, CAT\r\nCandidato=DEP,FOR\r\nArticulo=FAM\r\nOperario=DEPZ");

void perfiles(const QString& texto = kPerfiles) {
    Sql(QStringLiteral("DELETE FROM PARAGENE"));
    QCOMPARE(Sql(QStringLiteral("INSERT INTO PARAGENE (IdRegistro, PerfilesCategoriasGA) "
                                "VALUES (1, '") +
                 texto + QStringLiteral("')")),
             QString());
}

// Employees 1..4 and their groups: 1 DEP01 and C1, 2 DEP07, 3 only C1, 4 DEQ.
void personal() {
    CrearTablaPrueba(QStringLiteral("PERSONAL"),
                     {{QStringLiteral("CodigoOperario"), ftSmallint, 0, true},
                      {QStringLiteral("Nombre"), ftString, 30, false}},
                     {QStringLiteral("CodigoOperario")});
    for (int n = 1; n <= 4; ++n)
        Sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (%1, 'P%1')")
                .arg(n));
    for (const char* g : {"'DEP01', 'DEP'", "'DEP05', 'DEP'", "'DEP07', 'DEP'", "'DEQ', 'DEP'",
                          "'C1', 'CAT'", "'Z9', 'DEPZ'"})
        QCOMPARE(Sql(QStringLiteral("INSERT INTO GRANALIS (Codigo, CategoriaGrupo) VALUES (") +
                     QLatin1String(g) + QLatin1Char(')')),
                 QString());
    for (const char* a :
         {"'1', 'DEP01'", "'1', 'C1'", "'2', 'DEP07'", "'3', 'C1'", "'4', 'DEQ'", "'4', 'Z9'"})
        QCOMPARE(Sql(QStringLiteral("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, "
                                    "GrupoAnalisis) VALUES ('PERSONAL', ") +
                     QLatin1String(a) + QLatin1Char(')')),
                 QString());
}

// Which employees pass the ranges, through the record test in a mode.
QString pasan(TModuloDatos* m, const QString& rangos, const QString& modo) {
    QStringList r;
    for (int n = 1; n <= 4; ++n)
        if (FiltroGruposAnalisis(m, QStringLiteral("PERSONAL"), QString::number(n), modo, rangos))
            r << QString::number(n);
    return r.join(QLatin1Char(','));
}

// The list editor as a script: each call answers the next text.
QStringList respuestas;
QStringList recibidos;
void editorPrueba(const QString&, const QString& datos, QString& resultado) {
    recibidos << datos;
    if (!respuestas.isEmpty()) resultado = respuestas.takeFirst();
}

}  // namespace

class TestGeneGrup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        GanchoVisorListaDatos = nullptr;
        respuestas.clear();
        recibidos.clear();
    }

    void perfilesYCategorias() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        { TModuloDatos crear; }
        perfiles();
        TModuloDatos modulo;
        QString r;
        CategoriasPerfiles(&modulo, QStringLiteral("Personal,Candidato"), r);
        QCOMPARE(r, QStringLiteral("CAT\r\nDEP\r\nFOR\r\n"));
        FiltroCategoriasGrupoAnalisis(&modulo, QStringLiteral("Personal"), r);
        QCOMPARE(r, QStringLiteral("(CategoriaGrupo = 'DEP') OR (CategoriaGrupo = 'CAT')"));
        FiltroCategoriasGrupoAnalisis(&modulo, QStringLiteral("Proveedor"), r);
        QCOMPARE(r, QStringLiteral("(CategoriaGrupo = '')"));
        // Whole items: DEP is not DEPZ.
        PerfilesCategoria(&modulo, QStringLiteral("DEP"), r);
        QCOMPARE(r, QStringLiteral("Personal,Candidato,"));
        PerfilesCategoria(&modulo, QStringLiteral("DEPZ"), r);
        QCOMPARE(r, QStringLiteral("Operario,"));
        TablasCategoria(&modulo, QStringLiteral("DEP"), r);
        QCOMPARE(r, QStringLiteral("PERSONAL,CANDIDAT,"));
        CampoClaveCategoria(&modulo, QStringLiteral("DEP"), r);
        QCOMPARE(r, QStringLiteral("CodigoOperario"));
        CampoClaveCategoria(&modulo, QStringLiteral("FAM"), r);
        QCOMPARE(r, QStringLiteral("Codigo"));
    }

    void sqlDeRangos_data() { AddEngineRows(); }
    void sqlDeRangos() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        { TModuloDatos crear; }
        perfiles(QStringLiteral("Personal=DEP"));
        TModuloDatos modulo;
        personal();
        QString condicion, uniones;
        SQLGruposAnalisis(&modulo, QStringLiteral("DEP|DEP01|DEP05\r\nCAT||"),
                          QStringLiteral("PERSONAL=OP.CodigoOperario"), condicion, uniones);
        // The integer key is compared as text with ClaveTabla.
        const QString clave = QStringLiteral("CAST(TAB0.CodigoOperario AS TEXT)");
        QCOMPARE(uniones,
                 QStringLiteral("  JOIN PERSONAL TAB0     ON OP.CodigoOperario =  "
                                "TAB0.CodigoOperario JOIN GRANTAB GRT0     ON GRT0.NombreTabla = "
                                "'PERSONAL'     AND GRT0.ClaveTabla = ") +
                     clave +
                     QStringLiteral(" JOIN GRANALIS GRA0     ON GRT0.GrupoAnalisis = GRA0.Codigo "
                                    "     AND GRA0.CategoriaGrupo = 'DEP' "));
        QCOMPARE(condicion, QStringLiteral(" ( (GRA0.Codigo >= 'DEP01' AND GRA0.Codigo <= "
                                           "'DEP05')) "));
        QCOMPARE(Sql(QStringLiteral("SELECT OP.CodigoOperario FROM PERSONAL OP") + uniones +
                     QStringLiteral(" WHERE ") + condicion),
                 QStringLiteral("1"));
        // No ranges with a bound: nothing to add.
        SQLGruposAnalisis(&modulo, QStringLiteral("DEP||"), QStringLiteral("PERSONAL=OP.X"),
                          condicion, uniones);
        QCOMPARE(condicion + uniones, QString());
    }

    void filtroDeRegistros_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("rangos");
        QTest::addColumn<QString>("pasan");
        for (Engine e : AvailableEngines()) {
            const QByteArray m = EngineTag(e).toLatin1();
            auto fila = [&](const char* nombre, const char* rangos, const char* resultado) {
                QTest::addRow("%s %s", m.constData(), nombre)
                    << int(e) << QString::fromUtf8(rangos) << QString::fromUtf8(resultado);
            };
            fila("sin rangos", "", "1,2,3,4");
            fila("departamentos", "DEP|DEP|DEPZZ", "1,2");
            fila("desde y hasta", "DEP|DEP01|DEP05", "1");
            fila("sin grupo sin desde", "DEP||DEP05", "1,3");
            fila("hasta vacio", "DEP|DEP06|", "");
            fila("dos rangos", "DEP|DEP|DEPZZ\r\nCAT|C1|C1", "1");
            fila("categoria de otro perfil", "DEPZ|A|B", "1,2,3,4");
            fila("sin limites", "CAT||", "1,2,3,4");
        }
    }
    void filtroDeRegistros() {
        QFETCH(int, engine);
        QFETCH(QString, rangos);
        QFETCH(QString, pasan);
        TestInstalacion inst(Engine(engine), conEmpresa());
        { TModuloDatos crear; }
        perfiles();
        TModuloDatos modulo;
        personal();
        // The query path (the server's default) and the table path agree.
        QCOMPARE(::pasan(&modulo, rangos, QString()), pasan);
        QCOMPARE(::pasan(&modulo, rangos, QStringLiteral("Filtro")), pasan);
    }

    void gruposDeUnRegistro_data() { AddEngineRows(); }
    void gruposDeUnRegistro() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        { TModuloDatos crear; }
        perfiles();
        TModuloDatos modulo;
        personal();
        Sql(
            QStringLiteral("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES "
                           "('PERSONAL', '1', 'DEP05')"));
        QString g;
        GruposAnalisisRegistro(&modulo, QStringLiteral("PERSONAL"), QStringLiteral("Todas"), g,
                               QStringLiteral("1"));
        QCOMPARE(g, QStringLiteral("C1,DEP01,DEP05"));
        GruposAnalisisRegistro(&modulo, QStringLiteral("PERSONAL"), QStringLiteral("DEP"), g,
                               QStringLiteral("1"));
        QCOMPARE(g, QStringLiteral("DEP01"));
        GruposAnalisisRegistro(&modulo, QStringLiteral("PERSONAL"), QStringLiteral("FOR"), g,
                               QStringLiteral("1"));
        QCOMPARE(g, QString());
        GruposAnalisisRegistro(&modulo, QStringLiteral("PERSONAL"), QStringLiteral("Todas"), g,
                               QStringLiteral("1' OR '1'='1"));
        QCOMPARE(g, QString());
    }

    void dialogoDeRangos() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        { TModuloDatos crear; }
        perfiles();
        TModuloDatos modulo;
        QString rangos;
        // Without the list editor nothing changes.
        SeleccionRangosGruposAnalisis(&modulo, QStringLiteral("Personal"),
                                      QStringLiteral("DEP|D01|D05"), rangos);
        QCOMPARE(rangos, QStringLiteral("DEP|D01|D05"));

        GanchoVisorListaDatos = editorPrueba;
        MessageSeam::clearLog();
        // The user leaves DEP as it was: two rows shown, one returned.
        SeleccionRangosGruposAnalisis(&modulo, QStringLiteral("Personal"),
                                      QStringLiteral("DEP|D01|D05"), rangos);
        QCOMPARE(recibidos, QStringList{QStringLiteral("CAT\r\nDEP|D01|D05")});
        QCOMPARE(rangos, QStringLiteral("DEP|D01|D05"));
        QCOMPARE(RangosGruposAnalisisListado, rangos);

        // A lower bound without an upper one is refused and shown again.
        recibidos.clear();
        respuestas = QStringList{QStringLiteral("CAT|C1|C2\r\nDEP|D01|"),
                                 QStringLiteral("CAT|C1|C2\r\nDEP|D01|D09")};
        SeleccionRangosGruposAnalisis(&modulo, QStringLiteral("Personal"), QString(), rangos);
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("¡El valor Desde es mayor que el valor Hasta en la categoría DEP"));
        QCOMPARE(recibidos, (QStringList{QStringLiteral("CAT\r\nDEP"),
                                         QStringLiteral("CAT|C1|C2\r\nDEP|D01|")}));
        QCOMPARE(rangos, QStringLiteral("CAT|C1|C2\r\nDEP|D01|D09"));
    }
};

QTEST_MAIN(TestGeneGrup)
#include "tst_genegrup.moc"
