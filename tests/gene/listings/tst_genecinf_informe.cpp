// Custom reports: the stored design read and written by key name, the SELECT
// a design gives on each engine, and that text run on the real engines.

#include <QtTest>

#include "gene/data/genemens.h"
#include "gene/data/genemodu_sql.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genedeta.h"
#include "gene/listings/genecinf_sql.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/sqlprueba.h"

namespace {

const QString C = QStringLiteral("\r\n");

// Dates of the test designs, without reading the dictionary.
QString TipoPrueba(const QString&, const QString& Campo) {
    return Campo.startsWith(QLatin1String("Fecha")) ? QStringLiteral("ftDateTime")
                                                    : QStringLiteral("ftString");
}

DefinicionInforme Diseno(const QStringList& Tablas, const QStringList& Columnas,
                         const QStringList& Restricciones = {}, const QStringList& Ordenacion = {},
                         const QStringList& Vinculos = {}) {
    DefinicionInforme d;
    d.Tablas = Tablas;
    d.Columnas = Columnas;
    d.Restricciones = Restricciones;
    d.Ordenacion = Ordenacion;
    d.Vinculos = Vinculos;
    return d;
}

DefinicionInforme EjemploPuestos() {
    return Diseno({"HPUESTO", "PUESTO"},
                  {"HPUESTO.CodigoOperario", "PUESTO.Descripcion AS 'Puesto'"},
                  {"HPUESTO.FechaInicio >= :&Desde"}, {"HPUESTO.CodigoOperario DESC"},
                  {"HPUESTO.CodigoPuesto = PUESTO.Codigo"});
}

const QString kGrupoUno = QStringLiteral(
    "GRANALIS.Descripcion FROM GRANALIS JOIN GRANTAB ON GRANTAB.NombreTabla = 'PUESTO' AND "
    "GRANTAB.ClaveTabla = %1 AND GRANALIS.Codigo = GRANTAB.GrupoAnalisis WHERE "
    "GRANALIS.CategoriaGrupo = 'DEP'");

void sql(const QString& sentencia) {
    const QString r = SqlPrueba(sentencia);
    QVERIFY2(!r.startsWith(QLatin1String("Error")), qPrintable(sentencia + r));
}

}  // namespace

Q_DECLARE_METATYPE(DefinicionInforme)

class TestGeneCinfInforme : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void instrucciones() {
        DefinicionInforme d = EjemploPuestos();
        d.Columnas << "(SUBSTR(PUESTO.Descripcion,1,3)) AS 'Ini'";
        d.Grupos << "PUESTO.Descripcion AS 'Puesto'";
        d.Vinculos << "PUESTO.Codigo = 'A,B'";
        d.FormatoColumnas = "33.3333333333333|-1|20|";
        d.Opciones = "FormatoFicha(2,4),OrientacionApaisada,";
        d.AplicacionesContenedoras = "Recursos Humanos,";
        const QString texto = ComponerInstrucciones(d);
        QCOMPARE(texto, "ListaTablas=HPUESTO,PUESTO," + C +
                            "ListaColumnas=HPUESTO.CodigoOperario,PUESTO.Descripcion AS 'Puesto',"
                            "(SUBSTR(PUESTO.Descripcion[coma]1[coma]3)) AS 'Ini'," +
                            C + "ListaRestricciones=HPUESTO.FechaInicio >= :&Desde," + C +
                            "ListaOrdenacion=HPUESTO.CodigoOperario DESC," + C +
                            "ListaVinculos=HPUESTO.CodigoPuesto = PUESTO.Codigo,PUESTO.Codigo = "
                            "'A[coma]B'," +
                            C + "ListaGrupos=PUESTO.Descripcion AS 'Puesto'," + C +
                            "ListaSumatorios=" + C + "FormatoColumnas=33.3333333333333|-1|20|" + C +
                            "Opciones=FormatoFicha(2,4),OrientacionApaisada," + C +
                            "UsuariosAutorizados=" + C +
                            "AplicacionesContenedoras=Recursos Humanos,");
        const DefinicionInforme l = LeerInstrucciones(texto);
        QCOMPARE(l.Columnas, d.Columnas);
        QCOMPARE(l.Vinculos, d.Vinculos);
        QCOMPARE(l.Grupos, d.Grupos);
        QCOMPARE(l.Sumatorios, QStringList());
        QCOMPARE(l.FormatoColumnas, d.FormatoColumnas);
        QCOMPARE(l.Opciones, d.Opciones);
        QCOMPARE(ComponerInstrucciones(l), texto);

        // The shape the copy of the access lists leaves: keys moved to the
        // end, an emptied one dropped, a final line break.
        const DefinicionInforme s = LeerInstrucciones(
            "ListaColumnas=PUESTO.Codigo," + C + "Opciones=FormatoColumnar," + C +
            "UsuariosAutorizados=ADMIN,PEPE," + C + "AplicacionesContenedoras=Nominas," + C);
        QCOMPARE(s.Columnas, QStringList{"PUESTO.Codigo"});
        QCOMPARE(s.Tablas, QStringList());
        QCOMPARE(s.UsuariosAutorizados, QStringLiteral("ADMIN,PEPE,"));
        QCOMPARE(s.AplicacionesContenedoras, QStringLiteral("Nominas,"));
        QCOMPARE(s.FormatoColumnas, QString());
    }

    // The SELECT per engine: SQLite and PostgreSQL share one text ("iso").
    void generador_data() {
        QTest::addColumn<DefinicionInforme>("diseno");
        QTest::addColumn<QString>("sqlserver");
        QTest::addColumn<QString>("iso");
        QTest::newRow("ejemplo") << EjemploPuestos()
                                 << "SELECT HPUESTO.CodigoOperario, PUESTO.Descripcion AS "
                                    "'Puesto'\r\nFROM HPUESTO\r\nJOIN PUESTO ON  "
                                    "HPUESTO.CodigoPuesto = PUESTO.Codigo\r\nWHERE "
                                    "HPUESTO.FechaInicio >= :&Desde\r\nORDER BY "
                                    "HPUESTO.CodigoOperario DESC\r\n"
                                 << "SELECT HPUESTO.CodigoOperario, PUESTO.Descripcion AS "
                                    "\"Puesto\"\r\nFROM HPUESTO\r\nJOIN PUESTO ON  "
                                    "HPUESTO.CodigoPuesto = PUESTO.Codigo\r\nWHERE "
                                    "HPUESTO.FechaInicio >= :&Desde\r\nORDER BY "
                                    "HPUESTO.CodigoOperario DESC\r\n";
        const QString cruce = "SELECT PUESTO.Codigo, HPUESTO.Linea\r\nFROM PUESTO, HPUESTO\r\n";
        QTest::newRow("from cruzado")
            << Diseno({"PUESTO", "HPUESTO"}, {"PUESTO.Codigo", "HPUESTO.Linea"}) << cruce << cruce;
        const QString tres =
            "SELECT HPUESTO.Linea\r\nFROM HPUESTO\r\nJOIN PUESTO ON  HPUESTO.CodigoPuesto = "
            "PUESTO.Codigo AND PUESTO.Codigo = 'P1' AND HPUESTO.Descripcion = "
            "PUESTO.Descripcion\r\n";
        QTest::newRow("tres vinculos")
            << Diseno({"HPUESTO", "PUESTO"}, {"HPUESTO.Linea"}, {}, {},
                      {"HPUESTO.CodigoPuesto = PUESTO.Codigo",
                       "HPUESTO.Descripcion = PUESTO.Descripcion", "PUESTO.Codigo = 'P1'"})
            << tres << tres;
        QTest::newRow("columnas sin tablas")
            << Diseno({}, {"(1+1) AS 'Dos'"}) << "SELECT (1+1) AS 'Dos'\r\n"
            << "SELECT (1+1) AS \"Dos\"\r\n";
        QTest::newRow("sin columnas") << Diseno({}, {}) << QString() << QString();
        QTest::newRow("expresion con comas")
            << Diseno({"PUESTO"}, {"(SUBSTR(PUESTO.Descripcion,1,3)) AS 'A,B'", "PUESTO.Codigo"},
                      {}, {"_Expresion AS 'A,B' DESC", "PUESTO.Codigo"})
            << "SELECT (SUBSTR(PUESTO.Descripcion, 1, 3)) AS 'A,B', PUESTO.Codigo\r\nFROM "
               "PUESTO\r\nORDER BY 'A,B' DESC, PUESTO.Codigo\r\n"
            << "SELECT (SUBSTR(PUESTO.Descripcion, 1, 3)) AS \"A,B\", PUESTO.Codigo\r\nFROM "
               "PUESTO\r\nORDER BY \"A,B\" DESC, PUESTO.Codigo\r\n";
        QTest::newRow("grupo de una clave")
            << Diseno({"PUESTO"},
                      {"PUESTO.Codigo", ColumnaGrupoAnalisis("PUESTO", {"Codigo"}, "DEP")})
            << "SELECT PUESTO.Codigo, (SELECT TOP 1 " + kGrupoUno.arg("PUESTO.Codigo") +
                   ") AS 'DEP'\r\nFROM PUESTO\r\n"
            << "SELECT PUESTO.Codigo, (SELECT " + kGrupoUno.arg("CAST(PUESTO.Codigo AS TEXT)") +
                   " LIMIT 1) AS \"DEP\"\r\nFROM PUESTO\r\n";
        QString dos = kGrupoUno;
        dos.replace("'PUESTO'", "'HPUESTO'");
        QTest::newRow("grupo de dos claves")
            << Diseno({"HPUESTO"},
                      {ColumnaGrupoAnalisis("HPUESTO", {"CodigoOperario", "Linea"}, "DEP")})
            << "SELECT (SELECT TOP 1 " + dos.arg("HPUESTO.CodigoOperario+'|'+HPUESTO.Linea") +
                   ") AS 'DEP'\r\nFROM HPUESTO\r\n"
            << "SELECT (SELECT " +
                   dos.arg(
                       "(CAST(HPUESTO.CodigoOperario AS TEXT) || '|' || CAST(HPUESTO.Linea "
                       "AS TEXT))") +
                   " LIMIT 1) AS \"DEP\"\r\nFROM HPUESTO\r\n";
        QTest::newRow("in y not in")
            << Diseno({"PUESTO"}, {"PUESTO.Codigo"},
                      {"PUESTO.Codigo IN (" + ListaConstantesSQL("P1, P'2,a\"b,") + ")",
                       "PUESTO.Descripcion NOT IN ( :*Lista )", "PUESTO.Codigo NOT IN ()"})
            << "SELECT PUESTO.Codigo\r\nFROM PUESTO\r\nWHERE PUESTO.Codigo IN "
               "(\"P1\",\"P'2\",\"a\"\"b\") AND PUESTO.Descripcion NOT IN ( :*Lista ) AND "
               "PUESTO.Codigo NOT IN ()\r\n"
            << "SELECT PUESTO.Codigo\r\nFROM PUESTO\r\nWHERE PUESTO.Codigo IN "
               "('P1','P''2','a\"b') AND PUESTO.Descripcion NOT IN ( :*Lista ) AND "
               "PUESTO.Codigo NOT IN ('')\r\n";
        QTest::newRow("constantes")
            << Diseno({"HPUESTO"}, {"HPUESTO.Descripcion"},
                      {"HPUESTO.Descripcion <> 'D''Ors'", "HPUESTO.CodigoPuesto <> 'Descripcion'",
                       "HPUESTO.FechaInicio < '31/12/2024'", "HPUESTO.FechaFinal = 'nunca'"})
            << "SELECT HPUESTO.Descripcion\r\nFROM HPUESTO\r\nWHERE HPUESTO.Descripcion <> "
               "'D''Ors' AND HPUESTO.CodigoPuesto <> 'Descripcion' AND HPUESTO.FechaInicio < "
               "'31/12/2024' AND HPUESTO.FechaFinal = 'nunca'\r\n"
            << "SELECT HPUESTO.Descripcion\r\nFROM HPUESTO\r\nWHERE HPUESTO.Descripcion <> "
               "'D''Ors' AND HPUESTO.CodigoPuesto <> 'Descripcion' AND HPUESTO.FechaInicio < "
               "'2024-12-31' AND HPUESTO.FechaFinal = 'nunca'\r\n";
    }
    void generador() {
        QFETCH(DefinicionInforme, diseno);
        QFETCH(QString, sqlserver);
        QFETCH(QString, iso);
        QCOMPARE(GenerarSentenciaSQL(diseno, Engine::SqlServer, TipoPrueba), sqlserver);
        QCOMPARE(GenerarSentenciaSQL(diseno, Engine::Sqlite, TipoPrueba), iso);
        QCOMPARE(GenerarSentenciaSQL(diseno, Engine::Postgres, TipoPrueba), iso);
    }

    void variablesYTitulos() {
        const QString sql = QStringLiteral(
            "SELECT A AS 'Uno', B AS \"Dos\", C AS 'Uno'\r\nWHERE X = :$Nombre AND F >= "
            ":&Desde AND N > :#Num AND L IN ( :*Dep ) AND M IN (:*DepFinal) AND Y = :$Nombre "
            "AND F <= :&Desde,");
        QCOMPARE(VariablesInforme(sql),
                 (QStringList{":#Num", ":&Desde", ":$Nombre", ":*Dep", ":*DepFinal"}));
        QCOMPARE(TitulosInforme(sql), (QStringList{"'Uno'", "\"Dos\""}));
        QCOMPARE(SentenciaValidacionInforme(sql, Engine::Sqlite),
                 QStringLiteral("SELECT A AS 'Uno', B AS \"Dos\", C AS 'Uno' WHERE X = '' AND F "
                                ">= '1900-01-01' AND N > 0 AND L IN ( '' ) AND M IN ('') AND Y = "
                                "'' AND F <= '1900-01-01', LIMIT 1"));
        QCOMPARE(SentenciaValidacionInforme(
                     GenerarSentenciaSQL(EjemploPuestos(), Engine::SqlServer, TipoPrueba),
                     Engine::SqlServer),
                 QStringLiteral("SELECT TOP 1 HPUESTO.CodigoOperario, PUESTO.Descripcion AS "
                                "'Puesto' FROM HPUESTO JOIN PUESTO ON  HPUESTO.CodigoPuesto = "
                                "PUESTO.Codigo WHERE HPUESTO.FechaInicio >= '01/01/1900' ORDER "
                                "BY HPUESTO.CodigoOperario DESC"));
    }

    // The designs of the text table run on the engine: rows, their order and
    // the names the fields arrive with.
    void enElMotor_data() { AddEngineRows(); }
    void enElMotor() {
        QFETCH(int, engine);
        const Engine motor = Engine(engine);
        EmpresaPrueba e{motor};
        const SqlDialect& d = SqlDialect::forEngine(motor);
        sql("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P1', 'Jefe')");
        sql("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P''2', 'Peon')");
        sql("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('a\"b', 'Raro')");
        sql("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('Perfil', 'Igual')");
        const struct {
            int op, linea;
            const char* puesto;
            QDate inicio;
        } historia[] = {{1, 1, "P1", {2023, 5, 1}},
                        {2, 1, "P'2", {2024, 2, 1}},
                        {3, 1, "P1", {2024, 12, 31}},
                        {3, 2, "a\"b", {2023, 1, 1}}};
        for (const auto& h : historia)
            sql(QStringLiteral("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, "
                               "FechaInicio, CodigoPuesto, Descripcion) VALUES ('PERSONAL', %1, "
                               "%2, %3, %4, 'x')")
                    .arg(h.op)
                    .arg(h.linea)
                    .arg(d.dateLiteral(h.inicio), SqlDialect::quoteString(h.puesto)));
        sql("INSERT INTO GRANALIS (Codigo, Descripcion, CategoriaGrupo) VALUES ('D1', "
            "'Ventas', 'DEP')");
        sql("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES ('PUESTO', "
            "'P1', 'D1')");
        sql("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) VALUES ('HPUESTO', "
            "'3|2', 'D1')");

        auto ejecutar = [&](const DefinicionInforme& diseno) {
            QString s = GenerarSentenciaSQL(diseno, motor);
            s.replace(":&Desde", d.dateLiteral(QDate(2024, 2, 1)));
            QString r;
            EjecutarSQL(nullptr, s, "Database", "Silenciosa FormatoINI", r);
            return r;
        };
        const QString punto = QString(QChar(0xB7));
        QCOMPARE(ejecutar(EjemploPuestos()), "CodigoOperario=3" + punto + "Puesto=Jefe" + C +
                                                 "CodigoOperario=2" + punto + "Puesto=Peon");
        // The ordering by an expression's title, and a title holding a comma.
        QCOMPARE(ejecutar(Diseno({"PUESTO"}, {"(SUBSTR(PUESTO.Descripcion,1,3)) AS 'A,B'"}, {},
                                 {"_Expresion AS 'A,B' DESC"})),
                 "A,B=Rar" + C + "A,B=Peo" + C + "A,B=Jef" + C + "A,B=Igu");
        QCOMPARE(
            ejecutar(Diseno({"PUESTO"},
                            {"PUESTO.Codigo", ColumnaGrupoAnalisis("PUESTO", {"Codigo"}, "DEP")},
                            {"PUESTO.Codigo IN (" + ListaConstantesSQL("P1, P'2,a\"b,") + ")"},
                            {"PUESTO.Codigo"})),
            "Codigo=P'2" + punto + "DEP=" + C + "Codigo=P1" + punto + "DEP=Ventas" + C +
                "Codigo=a\"b" + punto + "DEP=");
        QCOMPARE(
            ejecutar(Diseno({"HPUESTO"},
                            {"HPUESTO.Linea",
                             ColumnaGrupoAnalisis("HPUESTO", {"CodigoOperario", "Linea"}, "DEP")},
                            {"HPUESTO.CodigoOperario = '3'"}, {"HPUESTO.Linea"})),
            "Linea=1" + punto + "DEP=" + C + "Linea=2" + punto + "DEP=Ventas");
        // A constant equal to a column name, an empty list and a date constant.
        QCOMPARE(ejecutar(Diseno({"PUESTO"}, {"PUESTO.Descripcion"}, {"PUESTO.Codigo = 'Perfil'"})),
                 "Descripcion=Igual");
        QCOMPARE(ejecutar(Diseno({"PUESTO"}, {"PUESTO.Codigo"}, {"PUESTO.Codigo IN ()"})),
                 QString());
        QCOMPARE(ejecutar(Diseno({"HPUESTO"}, {"HPUESTO.CodigoOperario"},
                                 {"HPUESTO.FechaInicio >= '31/12/2024'"},
                                 {"HPUESTO.CodigoOperario", "HPUESTO.Linea"})),
                 "CodigoOperario=3");
        // The validation's form of each design runs too.
        for (const DefinicionInforme& diseno :
             {EjemploPuestos(),
              Diseno({"HPUESTO"}, {"HPUESTO.Linea"},
                     {"HPUESTO.CodigoPuesto NOT IN ( :*Lista )", "HPUESTO.Descripcion = :$Nombre",
                      "HPUESTO.Linea > :#Num", "HPUESTO.FechaFinal < :&Hasta"})}) {
            const QString v = SentenciaValidacionInforme(GenerarSentenciaSQL(diseno, motor), motor);
            QString r;
            EjecutarSQL(nullptr, v, "Database", "Silenciosa", r);
            QVERIFY2(!r.startsWith(QLatin1String("Error")), qPrintable(v + r));
        }
    }

    // Date constants and lists are read day-first as a variable's answer is
    // and written by the engine's dialect; one that is no date is named.
    void constantesDeFecha_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("restriccion");
        QTest::addColumn<QString>("operarios");  // "": refused
        for (Engine e : AvailableEngines()) {
            const auto fila = [e](const char* caso, const char* r, const char* ops) {
                NewEngineRow(e, caso) << QString::fromUtf8(r) << QString::fromUtf8(ops);
            };
            fila("dia primero", "HPUESTO.FechaInicio = '1/2/24'", "2");
            fila("con guiones", "HPUESTO.FechaInicio = '01-02-2024'", "2");
            fila("anterior a", "HPUESTO.FechaInicio < '1/5/2023'", "3");
            fila("lista", "HPUESTO.FechaInicio IN (\"1/5/23\",\"31/12/2024\")", "1,3");
            fila("fuera de la lista", "HPUESTO.FechaInicio NOT IN (\"1/5/2023\")", "2,3,3");
            fila("dia imposible", "HPUESTO.FechaInicio = '31/02/2024'", "");
            fila("lista con texto", "HPUESTO.FechaInicio IN (\"1/2/24\",\"Ñandú\")", "");
            fila("separador de lista", "HPUESTO.FechaInicio = '1|2|24'", "");
        }
    }
    void constantesDeFecha() {
        QFETCH(int, engine);
        QFETCH(QString, restriccion);
        QFETCH(QString, operarios);
        const Engine motor = Engine(engine);
        EmpresaPrueba e{motor};
        const SqlDialect& d = SqlDialect::forEngine(motor);
        const struct {
            int op, linea;
            QDate inicio;
        } historia[] = {{1, 1, {2023, 5, 1}},
                        {2, 1, {2024, 2, 1}},
                        {3, 1, {2024, 12, 31}},
                        {3, 2, {2023, 1, 1}}};
        for (const auto& h : historia)
            sql(QStringLiteral("INSERT INTO HPUESTO (NombreTabla, CodigoOperario, Linea, "
                               "FechaInicio, CodigoPuesto, Descripcion) VALUES ('PERSONAL', %1, "
                               "%2, %3, 'P', 'x')")
                    .arg(h.op)
                    .arg(h.linea)
                    .arg(d.dateLiteral(h.inicio)));
        const DefinicionInforme diseno =
            Diseno({"HPUESTO"}, {"HPUESTO.CodigoOperario"}, {restriccion},
                   {"HPUESTO.CodigoOperario", "HPUESTO.Linea"});
        if (operarios.isEmpty()) {
            QCOMPARE(RestriccionFechaNoValida(diseno), restriccion);
            return;
        }
        QCOMPARE(RestriccionFechaNoValida(diseno), QString());
        QString r;
        EjecutarSQL(nullptr, GenerarSentenciaSQL(diseno, motor), "Database",
                    "Silenciosa FormatoINI", r);
        QStringList leidos;
        for (const QString& linea : r.split(C, Qt::SkipEmptyParts)) leidos << linea.section('=', 1);
        QCOMPARE(leidos.join(','), operarios);
    }

    // The validation on the company database: what it answers, shows and
    // corrects, for correct and failing designs, silent or not.
    void validacion_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<DefinicionInforme>("diseno");
        QTest::addColumn<QString>("opciones");
        QTest::addColumn<QStringList>("respuestas");
        QTest::addColumn<bool>("correcto");
        QTest::addColumn<QStringList>("mensajes");
        QTest::addColumn<QStringList>("ordenacion");
        const QString pregunta = QStringLiteral(
            "La secuencia de Ordenación deberia ser idéntica a la de los Grupos en sus primeros "
            "elementos. ¿Desea corregir esta anomalía?");
        DefinicionInforme agrupado = Diseno(
            {"PUESTO"}, {"PUESTO.Codigo", "PUESTO.Descripcion AS 'Puesto'"},
            {"PUESTO.Codigo <> :$Excluido"}, {"PUESTO.Codigo", "PUESTO.Descripcion AS 'Puesto'"});
        agrupado.Grupos = QStringList{"PUESTO.Descripcion AS 'Puesto'"};
        const DefinicionInforme mala = Diseno({"PUESTO"}, {"PUESTO.NoExiste"});
        const DefinicionInforme dos = Diseno({"PUESTO"}, {"(1);DELETE FROM PUESTO"});
        // A restriction hiding a second statement after a backslash escape
        // or a dollar quote.
        QList<DefinicionInforme> ocultas;
        for (const QString& oculta : SentenciasConSegundaOculta("PUESTO", "PUESTO.Descripcion"))
            ocultas << Diseno({"PUESTO"}, {"PUESTO.Codigo"},
                              {"PUESTO.Descripcion" + oculta.mid(oculta.indexOf(" <> "))});
        for (Engine e : AvailableEngines()) {
            const QString tag = EngineTag(e) + QLatin1Char(':');
            for (qsizetype i = 0; i < ocultas.size(); ++i)
                QTest::newRow(qPrintable(tag + "segunda oculta " + QString::number(i)))
                    << int(e) << ocultas.at(i) << "Silenciosa" << QStringList() << false
                    << QStringList() << QStringList();
            QTest::newRow(qPrintable(tag + "correcto"))
                << int(e) << EjemploPuestos() << QString() << QStringList() << true
                << QStringList{"El informe es correcto"} << EjemploPuestos().Ordenacion;
            QTest::newRow(qPrintable(tag + "correcto silencioso"))
                << int(e) << EjemploPuestos() << "Silenciosa" << QStringList() << true
                << QStringList() << EjemploPuestos().Ordenacion;
            QTest::newRow(qPrintable(tag + "falla")) << int(e) << mala << QString() << QStringList()
                                                     << false << QStringList() << QStringList();
            QTest::newRow(qPrintable(tag + "falla silencioso"))
                << int(e) << mala << "Silenciosa" << QStringList() << false << QStringList()
                << QStringList();
            QTest::newRow(qPrintable(tag + "segunda sentencia"))
                << int(e) << dos << "Silenciosa" << QStringList() << false << QStringList()
                << QStringList();
            QTest::newRow(qPrintable(tag + "anomalia no"))
                << int(e) << agrupado << "Silenciosa" << QStringList{"NO"} << true
                << QStringList{pregunta} << agrupado.Ordenacion;
            QTest::newRow(qPrintable(tag + "anomalia si"))
                << int(e) << agrupado << QString() << QStringList{"SI"} << true
                << QStringList{pregunta, "El informe es correcto"}
                << QStringList{"PUESTO.Descripcion AS 'Puesto'", "PUESTO.Codigo"};
        }
    }
    void validacion() {
        QFETCH(int, engine);
        QFETCH(DefinicionInforme, diseno);
        QFETCH(QString, opciones);
        QFETCH(QStringList, respuestas);
        QFETCH(bool, correcto);
        QFETCH(QStringList, mensajes);
        QFETCH(QStringList, ordenacion);
        EmpresaPrueba e{Engine(engine)};
        sql("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P1', 'Jefe')");
        for (const QString& r : respuestas) MessageSeam::enqueue(r);
        MessageSeam::clearLog();
        QString titulo, pagina;
        if (!correcto && opciones.isEmpty())
            AlMostrarse<TfGENEDETA>([&](TfGENEDETA* d) {
                titulo = d->Caption();
                pagina = d->Texto;
                d->Close();
            });
        QString sentencia = GenerarSentenciaSQL(diseno, Engine(engine));
        const QString r = ValidarSentenciaInforme(diseno, sentencia, opciones);
        QCOMPARE(!r.startsWith(QLatin1String("Error")), correcto);
        QCOMPARE(TextosMostrados(), mensajes);
        if (correcto) QCOMPARE(diseno.Ordenacion, ordenacion);
        QCOMPARE(sentencia, GenerarSentenciaSQL(diseno, Engine(engine)));
        if (!correcto && opciones.isEmpty()) {
            QCOMPARE(titulo, QStringLiteral("Informe de Validación de la Sentencia SQL"));
            QVERIFY2(pagina.startsWith("<font face=\"Verdana\" size=\"2\"><b>La Sentencia SQL es "
                                       "incorrecta</b><br><br><font color=\"red\">Error"),
                     qPrintable(pagina));
        } else {
            QVERIFY(titulo.isEmpty());
        }
        QCOMPARE(SqlPrueba("SELECT COUNT(*) FROM PUESTO"), QStringLiteral("1"));
    }

    // On PostgreSQL the validation only reads, whatever the text begins
    // with, and reaches nothing beyond its rows: calls on other sessions are
    // refused with the reason, advisory locks end with it, the program's
    // record locks stay the program's.
    void validacionAlcance_data() {
        FilasAlcance(CasosAlcanceConsulta() << AlcancePrueba::BorradoEnWith);
    }
    void validacionAlcance() {
        QFETCH(int, caso);
        AlcanceSinServidor(caso);
        EmpresaPrueba e{Engine::Postgres};
        sql("INSERT INTO PUESTO (Codigo, Descripcion) VALUES ('P1', 'Jefe')");
        AlcancePrueba a(AlcancePrueba::Caso(caso), QStringLiteral("PUESTO"));
        DefinicionInforme d;
        QString sentencia = a.Accion.isEmpty() ? "SELECT PUESTO.Codigo, (" + a.Expresion +
                                                     ") AS X\r\nFROM PUESTO\r\n"
                                               : a.Accion;
        const QString r = ValidarSentenciaInforme(d, sentencia, QStringLiteral("Silenciosa"));
        if (!a.Rechazo.isEmpty())
            QCOMPARE(r, "Error. No es posible ejecutar la sentencia SQL. Motivo: " + a.Rechazo);
        else if (a.Accion.isEmpty())
            QVERIFY2(!r.startsWith(QLatin1String("Error")), qPrintable(r));
        else
            QVERIFY2(r.contains(QLatin1String("read-only transaction")), qPrintable(r));
        QCOMPARE(a.Fuga(), QString());
    }

    void vistaHTML() {
        const QString html = SentenciaSQLEnHTML(
            "SELECT PUESTO.Codigo AS 'Puesto'\r\nFROM PUESTO\r\nWHERE PUESTO.Codigo <> :$Cod AND "
            "PUESTO.Codigo < 'B' AND PUESTO.Codigo IN ( :*CodLista ) AND PUESTO.Codigo >= "
            ":&Desde\r\nORDER BY PUESTO.Codigo DESC\r\n");
        QCOMPARE(html,
                 "<html><body bgcolor=\"#FFFFD2\"><font face=\"Verdana\" size=\"1.5\"><b>SELECT "
                 "</b>PUESTO.Codigo<b> AS </b><font color=\"blue\">'Puesto'</font><br><b> FROM "
                 "</b>PUESTO<br><b>WHERE </b>PUESTO.Codigo &lt;&gt; <font "
                 "color=\"red\">:$Cod</font><b> AND </b>PUESTO.Codigo &lt; 'B'<b> AND "
                 "</b>PUESTO.Codigo IN ( <font color=\"red\">:*CodLista</font> )<b> AND "
                 "</b>PUESTO.Codigo &gt;= <font color=\"red\">:&amp;Desde</font><br><b>ORDER BY "
                 "</b>PUESTO.Codigo<b> DESC</b><br></font></body></html>");
    }
};

QTEST_MAIN(TestGeneCinfInforme)
#include "tst_genecinf_informe.moc"
