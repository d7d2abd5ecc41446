// The result grid's tools as the user meets them in the SQL workbench:
// restrictions by value (quoted, refused ones undone), ordering by a title
// that keeps the rest of the statement, the search messages, and the chart
// texts (the "Otros" point, bar colours, labels that hold separators).

#include <QtTest>

#include "db/clientdataset.h"
#include "db/field.h"
#include "db/query.h"
#include "gene/genecomp.h"
#include "gene/genemens.h"
#include "gene/genesali_dialogos.h"
#include "gene/genetext.h"
#include "gene/listings/genecsql.h"
#include "gene/listings/genecsql_rejilla.h"
#include "gene/sesion.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/registry.h"

class TestGeneCsqlRejilla : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { InstalarConsultasSQL(); }

    void orden_data() {
        QTest::addColumn<QString>("sentencia");
        QTest::addColumn<QString>("ordenada");
        QTest::addColumn<QString>("sinOrden");
        QTest::newRow("sin orden") << "SELECT * FROM T\r\nWHERE a = 1"
                                   << "SELECT * FROM T\r\nWHERE a = 1\r\nORDER BY Nombre"
                                   << "SELECT * FROM T\r\nWHERE a = 1";
        QTest::newRow("una linea") << "SELECT * FROM T ORDER BY Codigo"
                                   << "SELECT * FROM T ORDER BY Nombre"
                                   << "SELECT * FROM T ";
        QTest::newRow("condicion y orden") << "SELECT * FROM T\r\nWHERE a = 1 ORDER BY Codigo DESC"
                                           << "SELECT * FROM T\r\nWHERE a = 1 ORDER BY Nombre"
                                           << "SELECT * FROM T\r\nWHERE a = 1 ";
        QTest::newRow("linea propia") << "SELECT * FROM T\r\nORDER BY Codigo"
                                      << "SELECT * FROM T\r\nORDER BY Nombre"
                                      << "SELECT * FROM T";
    }
    void orden() {
        QFETCH(QString, sentencia);
        QFETCH(QString, ordenada);
        QFETCH(QString, sinOrden);
        QCOMPARE(SentenciaOrdenadaPor(sentencia, QStringLiteral("Nombre")), ordenada);
        QCOMPARE(SentenciaSinOrden(sentencia), sinOrden);
    }

    void filtrosYBusqueda_data() { AddEngineRows(); }
    void filtrosYBusqueda() {
        QFETCH(int, engine);
        EmpresaPrueba e{Engine(engine)};
        SqlPrueba(
            QStringLiteral("CREATE TABLE LISTPRU (Codigo INTEGER PRIMARY KEY, "
                           "Nombre VARCHAR(40), Importe FLOAT)"));
        const char* nombres[] = {"Ana", "D'Ors", "Luis", "Eva"};
        const int importes[] = {50, 100, 150, 250};
        for (int i = 0; i < 4; ++i)
            SqlPrueba(QStringLiteral("INSERT INTO LISTPRU VALUES (%1, '%2', %3)")
                          .arg(i + 1)
                          .arg(QString::fromUtf8(nombres[i]).replace("'", "''"))
                          .arg(importes[i]));
        std::unique_ptr<TfGENECSQL> f(
            static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
        f->SentenciaSQL->setText(
            QStringLiteral("SELECT Codigo, Nombre, Importe FROM LISTPRU ORDER BY Codigo"));
        f->pbEjecutarClick();
        TQuery* q = f->QryConsultasSQL;
        auto filas = [q] {
            QStringList l;
            for (q->First(); !q->Eof(); q->Next()) l << q->Fields()[0]->AsString();
            return l;
        };
        f->DBGrid1->setSelectedField(q->FieldByName(QStringLiteral("Importe")));
        MessageSeam::enqueue(QStringLiteral("100"));
        f->Herramientas->Filtrar(QStringLiteral(">="));
        MessageSeam::enqueue(QStringLiteral("200"));
        f->Herramientas->Filtrar(QStringLiteral("<="));
        QCOMPARE(q->Filter(), QStringLiteral("(Importe >= '100') AND (Importe <= '200')"));
        QCOMPARE(filas(), (QStringList{QStringLiteral("2"), QStringLiteral("3")}));
        // A value the column cannot take: warned, the previous filter kept.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("mucho"));
        f->Herramientas->Filtrar(QStringLiteral("="));
        QCOMPARE(TextosMostrados().last(),
                 QStringLiteral("¡No ha sido posible filtrar registros!"));
        QCOMPARE(q->Filter(), QStringLiteral("(Importe >= '100') AND (Importe <= '200')"));
        QCOMPARE(filas(), (QStringList{QStringLiteral("2"), QStringLiteral("3")}));
        f->Herramientas->CancelarFiltros();
        f->DBGrid1->setSelectedField(q->FieldByName(QStringLiteral("Nombre")));
        MessageSeam::enqueue(QStringLiteral("D'Ors"));
        f->Herramientas->Filtrar(QStringLiteral("="));
        QCOMPARE(filas(), QStringList{QStringLiteral("2")});
        f->Herramientas->CancelarFiltros();
        QCOMPARE(filas().size(), 4);

        // Search: found, not found.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("Luis"));
        f->Herramientas->Buscar();
        QCOMPARE(q->FieldByName(QStringLiteral("Codigo"))->AsString(), QStringLiteral("3"));
        MessageSeam::enqueue(QStringLiteral("Nadie"));
        f->Herramientas->Buscar();
        QCOMPARE(TextosMostrados().last(),
                 QStringLiteral("No se ha encontrado ninguna coincidencia"));

        // Ordering by a title keeps the statement and reruns it.
        f->DBGrid1TitleClick(QStringLiteral("Nombre"));
        QCOMPARE(f->SentenciaSQL->Text(),
                 QStringLiteral("SELECT Codigo, Nombre, Importe FROM LISTPRU ORDER BY Nombre"));
        QCOMPARE(filas(), (QStringList{QStringLiteral("1"), QStringLiteral("2"),
                                       QStringLiteral("4"), QStringLiteral("3")}));
        f->CancelarOrdenadoPor1Click();
        QCOMPARE(f->SentenciaSQL->Text(),
                 QStringLiteral("SELECT Codigo, Nombre, Importe FROM LISTPRU "));
        QVERIFY(q->Active());
    }

    // The chosen font becomes the query's Font setting, and a stored one is
    // read back onto the grid (size 8 as the application's font).
    void fuente() {
        EmpresaPrueba e{Engine::Sqlite};
        std::unique_ptr<TfGENECSQL> f(
            static_cast<TfGENECSQL*>(CreateForm(QStringLiteral("TfGENECSQL"))));
        AsignarSeamDialogos([](QObject* d) {
            auto* dialogo = qobject_cast<TFontDialog*>(d);
            if (!dialogo) return false;
            QFont elegida(QStringLiteral("Courier"), 12);
            elegida.setBold(true);
            dialogo->Font = elegida;
            return true;
        });
        f->pbCambiarFont->Click();
        AsignarSeamDialogos(nullptr);
        const QString valor = ValorLista(QStringLiteral("Font"), f->InstruccionesConsulta);
        QCOMPARE(valor.section(QLatin1Char(','), 1), QStringLiteral("fsBold,,12"));
        f->Herramientas->AplicarFuente(QStringLiteral("Courier,fsItalic,Rojo,8"));
        QVERIFY(f->DBGrid1->font().italic());
        QVERIFY(!f->DBGrid1->font().bold());
        QCOMPARE(f->DBGrid1->font().pointSize(), FuenteAplicacion.pointSize());
        QCOMPARE(f->DBGrid1->FontColor(), ColorSegunNombre(QStringLiteral("Rojo")));
        f->Herramientas->AplicarFuente(QStringLiteral("Courier,Nada,,x"));
        QVERIFY(f->DBGrid1->font().italic());
    }

    void grafico() {
        TClientDataSet d;
        d.FieldDefs() << TFieldDef{QStringLiteral("Fecha"), ftString, 20, false};
        for (const char* n : {"A", "B", "C", "D", "E"})
            d.FieldDefs() << TFieldDef{QLatin1String(n), ftFloat, 0, false};
        d.CreateDataSet();
        for (int i = 1; i <= 25; ++i) {
            d.Append();
            d.Fields()[0]->setAsString(
                QStringLiteral("%1/02/2024").arg(i, 2, 10, QLatin1Char('0')));
            for (int c = 1; c <= 5; ++c) d.Fields()[c]->setAsFloat(i);
            d.Post();
        }
        const QStringList series =
            SeriesGrafico(&d, 10, false).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(series.size(), 5);
        const QStringList colores = {"Rojo", "Verde", "Azul", "Amarillo", "Magenta"};
        for (int i = 0; i < 5; ++i)
            QVERIFY(series[i].contains(QStringLiteral(";Color=") + colores[i] + QLatin1Char(';')));
        // Ten points whose date labels cut nothing, then rows 11 to 25 summed.
        const QString valores = series[0].section(QStringLiteral("Valores="), 1);
        const QStringList puntos = valores.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        QCOMPARE(puntos.size(), 11);
        QCOMPARE(puntos[0], QStringLiteral("1:1:01-02-2024:"));
        QCOMPARE(puntos[10], QStringLiteral("11:270:Otros:"));
        QVERIFY(SeriesGrafico(&d, 30, true)
                    .startsWith(QStringLiteral(
                        "Titulo=A;Tipo=Tarta;Color=;Marcas=SI;IncluirEnLeyenda=SI;Valores=")));
    }
};

QTEST_MAIN(TestGeneCsqlRejilla)
#include "tst_genecsql_rejilla.moc"
