#include <QtTest>

#include "gene/dialogs/geneeval.h"

namespace {

// Columns of a row as a formula sees them.
TValorColumna Columnas(const QHash<QString, double>& valores) {
    return [valores](const QString& nombre, double& valor) {
        if (!valores.contains(nombre)) return false;
        valor = valores.value(nombre);
        return true;
    };
}

}  // namespace

class TestGeneEval : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formulas_data() {
        QTest::addColumn<QString>("expresion");
        QTest::addColumn<double>("resultado");
        QTest::newRow("signo tras producto") << "3*-2" << -6.0;
        QTest::newRow("grupos") << "(1+2)*(3-1)" << 6.0;
        QTest::newRow("doble signo") << "2-(0-3)" << 5.0;
        QTest::newRow("division por cero omitida") << "4/0+1" << 5.0;
        QTest::newRow("ejemplo completo") << "2x3+10:4-1#2" << 6.5;
        QTest::newRow("decimales con coma y punto") << "1,5+2.25" << 3.75;
        QTest::newRow("blancos") << " 2 * ( 3 + 4 ) " << 14.0;
        QTest::newRow("factor ilegible cuenta 1") << "5*abc" << 5.0;
        QTest::newRow("grupos anidados") << "((2+3)*(1+1))/5" << 2.0;
        QTest::newRow("negativo al empezar") << "-(2+3)*2" << -10.0;
        QTest::newRow("suma de negativo") << "2+(0-3)" << -1.0;
        QTest::newRow("division negativa") << "6/(0-3)" << -2.0;
        QTest::newRow("redondeo a multiplo") << "7#5" << 5.0;
        QTest::newRow("redondeo mitad hacia fuera") << "-7,5#5" << -10.0;
        QTest::newRow("redondeo a cero se omite") << "7#0" << 7.0;
        QTest::newRow("parentesis sin cerrar") << "(1+2" << 0.0;
        QTest::newRow("cierre sin apertura") << "1)+(2" << 0.0;
        QTest::newRow("vacia") << "" << 0.0;
        QTest::newRow("solo signo") << "-" << 0.0;
    }
    void formulas() {
        QFETCH(QString, expresion);
        QFETCH(double, resultado);
        QCOMPARE(EvaluarFormula(expresion), resultado);
    }

    // Operands that are column names are replaced as whole tokens: a name
    // inside a longer one is left alone, and an unknown name is 0.
    void sustitucionDeColumnas_data() {
        QTest::addColumn<QString>("expresion");
        QTest::addColumn<QString>("sustituida");
        QTest::addColumn<double>("resultado");
        QTest::newRow("producto") << "Horas*Precio"
                                  << "8*12.5" << 100.0;
        QTest::newRow("nombre contenido en otro") << "Precio+PrecioBase"
                                                  << "12.5+100" << 112.5;
        QTest::newRow("resta de negativo") << "A-B"
                                           << "5-(-3)" << 8.0;
        QTest::newRow("producto por negativo") << "A*B"
                                               << "5*(-3)" << -15.0;
        QTest::newRow("suma de negativo") << "A+B"
                                          << "5+(-3)" << 2.0;
        QTest::newRow("desconocida es cero") << "A+Nada"
                                             << "5+0" << 5.0;
        QTest::newRow("numeros intactos") << "(A+1,5)*2"
                                          << "(5+1.5)*2" << 13.0;
    }
    void sustitucionDeColumnas() {
        QFETCH(QString, expresion);
        QFETCH(QString, sustituida);
        QFETCH(double, resultado);
        const QHash<QString, double> fila{{QStringLiteral("Horas"), 8},
                                          {QStringLiteral("Precio"), 12.5},
                                          {QStringLiteral("PrecioBase"), 100},
                                          {QStringLiteral("A"), 5},
                                          {QStringLiteral("B"), -3}};
        const QString texto = SustituirOperandos(expresion, Columnas(fila));
        QCOMPARE(texto, sustituida);
        QCOMPARE(EvaluarFormula(texto), resultado);
    }

    void textoDeNumeros() {
        QCOMPARE(TextoNumeroFormula(0.1 + 0.2), QStringLiteral("0.3"));
        QCOMPARE(TextoNumeroFormula(-2), QStringLiteral("-2"));
        QCOMPARE(TextoNumeroFormula(1e20), QStringLiteral("100000000000000000000"));
        QCOMPARE(TextoNumeroFormula(-0.0), QStringLiteral("0"));
    }
};

QTEST_GUILESS_MAIN(TestGeneEval)
#include "tst_geneeval.moc"
