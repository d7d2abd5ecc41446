// Typed constant lists as they are stored and as they reach a statement on
// both engines, and the placement of a control in its parent.

#include <QtTest>

#include "gene/listings/genecinf_sql.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/form.h"

class TestGeneCinfSql : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listas_data() {
        QTest::addColumn<QString>("tecleado");
        QTest::addColumn<QString>("guardada");
        QTest::addColumn<QString>("sentencia");
        QTest::newRow("coma final") << "a, b,c,"
                                    << "\"a\",\"b\",\"c\""
                                    << "'a','b','c'";
        QTest::newRow("vacia") << ""
                               << ""
                               << "''";
        QTest::newRow("solo comas") << ", ,,"
                                    << ""
                                    << "''";
        QTest::newRow("blancos internos") << "San Juan ,  Alto Rey"
                                          << "\"San Juan\",\"Alto Rey\""
                                          << "'San Juan','Alto Rey'";
        QTest::newRow("comilla") << "D'Ors,Gil"
                                 << "\"D'Ors\",\"Gil\""
                                 << "'D''Ors','Gil'";
        QTest::newRow("numeros") << "1,5,"
                                 << "\"1\",\"5\""
                                 << "'1','5'";
    }
    void listas() {
        QFETCH(QString, tecleado);
        QFETCH(QString, guardada);
        QFETCH(QString, sentencia);
        QCOMPARE(ListaConstantesSQL(tecleado), guardada);
        QCOMPARE(ListaConstantesEntrecomilladas(tecleado), sentencia);
    }

    void sustitucion_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("variables");
        QTest::addColumn<QStringList>("valores");
        QTest::addColumn<QString>("resultado");
        QTest::newRow("una lista")
            << "SELECT * FROM T WHERE a IN ( :*Lista ) AND b = :$B" << QStringList{"*Lista", "$B"}
            << QStringList{"x,y", "z"} << "SELECT * FROM T WHERE a IN ( 'x','y' ) AND b = :$B";
        QTest::newRow("nombre que empieza igual")
            << "a IN (:*Lista) AND b IN (:*ListaB)" << QStringList{"*Lista", "*ListaB"}
            << QStringList{"1", "2,3"} << "a IN ('1') AND b IN ('2','3')";
        QTest::newRow("repetida y vacia") << "a IN (:*L) OR c IN (:*L)" << QStringList{"*L", "*L_1"}
                                          << QStringList{"", ""} << "a IN ('') OR c IN ('')";
        QTest::newRow("texto con barra y dolar")
            << "a IN (:*L)" << QStringList{"*L"} << QStringList{"$1\\0"} << "a IN ('$1\\0')";
        // An answer is written in once: a token inside it is a value.
        QTest::newRow("respuesta con otra variable")
            << "a IN ( :*A ) AND a IN ( :*B )" << QStringList{"*A", "*B"}
            << QStringList{"N1:*B", ") OR 1=1 OR a IN ("}
            << "a IN ( 'N1:*B' ) AND a IN ( ') OR 1=1 OR a IN (' )";
        QTest::newRow("en texto y comentario")
            << "a = ':*A' AND \"x:*A\" = 1 -- :*A\nAND b IN (:*A) /* :*A */" << QStringList{"*A"}
            << QStringList{"1"} << "a = ':*A' AND \"x:*A\" = 1 -- :*A\nAND b IN ('1') /* :*A */";
        // E'...' would read a backslash as an escape.
        QTest::newRow("tras un nombre") << "a = E:*A OR b = U&:*A" << QStringList{"*A"}
                                        << QStringList{"\\'"} << "a = E '\\''' OR b = U& '\\'''";
    }
    void sustitucion() {
        QFETCH(QString, sql);
        QFETCH(QStringList, variables);
        QFETCH(QStringList, valores);
        QFETCH(QString, resultado);
        SustituirVariablesMultiples(sql, variables, valores);
        QCOMPARE(sql, resultado);
    }

    // The list a user typed selects the rows it names on each engine, a
    // quote in a name included.
    void listaEnElMotor_data() { AddEngineRows(); }
    void listaEnElMotor() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        SqlPrueba(QStringLiteral("CREATE TABLE LISTAPRU (Nombre VARCHAR(40))"));
        for (const char* n : {"D''Ors", "Gil", "Ruiz"})
            SqlPrueba(QStringLiteral("INSERT INTO LISTAPRU (Nombre) VALUES ('%1')")
                          .arg(QLatin1String(n)));
        QString sql = QStringLiteral(
            "SELECT Nombre FROM LISTAPRU WHERE Nombre IN ( :*Nombres ) ORDER BY Nombre");
        SustituirVariablesMultiples(sql, {QStringLiteral("*Nombres")},
                                    {QStringLiteral("D'Ors, Ruiz,")});
        QCOMPARE(SqlPrueba(sql), QStringLiteral("D'Ors\r\nRuiz"));
        sql = QStringLiteral("SELECT COUNT(*) FROM LISTAPRU WHERE Nombre IN ( :*Nombres )");
        SustituirVariablesMultiples(sql, {QStringLiteral("*Nombres")}, {QString()});
        QCOMPARE(SqlPrueba(sql), QStringLiteral("0"));
        // Answers that would close the list and open another select the
        // rows they name, as values.
        sql = QStringLiteral(
            "SELECT Nombre FROM LISTAPRU WHERE Nombre IN ( :*A ) AND Nombre IN ( :*B ) "
            "ORDER BY Nombre");
        const QStringList variables{QStringLiteral("*A"), QStringLiteral("*B")};
        QString vacia = sql;
        SustituirVariablesMultiples(
            vacia, variables,
            {QStringLiteral("N1:*B"), QStringLiteral(") OR 1=1 OR LISTAPRU.Nombre IN (")});
        QCOMPARE(SqlPrueba(vacia), QString());
        SustituirVariablesMultiples(sql, variables,
                                    {QStringLiteral("Gil,N1:*B,Ruiz"), QStringLiteral("Ruiz")});
        QCOMPARE(SqlPrueba(sql), QStringLiteral("Ruiz"));
    }

    void centrar_data() {
        QTest::addColumn<QString>("modo");
        QTest::addColumn<QPoint>("posicion");
        QTest::newRow("centro") << "Centro" << QPoint(75, 40);
        QTest::newRow("horizontal") << "Centro-Horizontal" << QPoint(75, 7);
        QTest::newRow("vertical") << "Centro-Vertical" << QPoint(3, 40);
        QTest::newRow("derecha") << "Derecha" << QPoint(147, 7);
        QTest::newRow("desconocido") << "Arriba" << QPoint(3, 7);
    }
    void centrar() {
        QFETCH(QString, modo);
        QFETCH(QPoint, posicion);
        TPanel padre(nullptr);
        padre.SetBounds(0, 0, 301, 121);
        TPanel hijo(&padre);
        hijo.SetBounds(3, 7, 150, 41);
        CentrarControl(&hijo, modo);
        QCOMPARE(QPoint(hijo.Left(), hijo.Top()), posicion);
    }
};

QTEST_MAIN(TestGeneCinfSql)
#include "tst_genecinf_sql.moc"
