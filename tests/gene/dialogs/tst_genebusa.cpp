// The approximate search: SQL Server's folded patterns as text, criteria
// joined with AND with the caller's filter kept, fragments matched as typed
// elsewhere, the key handed back with "NULL" for empty values, and nothing
// chosen before a search.

#include <QtTest>

#include "db/query.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/dialogs/genebusa.h"
#include "gene/registros_prueba.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

const SqlDialect& Servidor() {
    return SqlDialect::forEngine(Engine::SqlServer);
}

struct Escenario {
    explicit Escenario(Engine motor) : inst(motor, conEmpresa()) {
        CrearTablaPrueba(QStringLiteral("CONTACTOS"),
                         {{QStringLiteral("Grupo"), ftSmallint, 0, true},
                          {QStringLiteral("Codigo"), ftString, 10, true},
                          {QStringLiteral("Apellidos"), ftString, 40, false},
                          {QStringLiteral("Ciudad"), ftString, 40, false}},
                         {QStringLiteral("Grupo"), QStringLiteral("Codigo")});
        for (const char* fila : {"1, 'A', 'Vázquez', 'Vigo'", "1, 'B', 'Vazquez', 'Lugo'",
                                 "2, '', 'Vazquez Pérez', 'Vigo'", "3, 'C', 'O''Neil', 'Vigo'"})
            Sql(QStringLiteral(
                    "INSERT INTO CONTACTOS (Grupo, Codigo, Apellidos, Ciudad) VALUES (") +
                QLatin1String(fila) + QLatin1Char(')'));
        MessageSeam::clearLog();
    }
    TestInstalacion inst;
    TModuloDatos modulo;
};

std::unique_ptr<TfGENEBUSA> dialogo(const QString& filtro = QString()) {
    auto d = std::unique_ptr<TfGENEBUSA>(NewForm<TfGENEBUSA>());
    d->TablaBusqueda = QStringLiteral("CONTACTOS");
    d->FiltroBusqueda = filtro;
    d->Preparar();
    return d;
}

QStringList codigos(TQuery* q) {
    QStringList l;
    for (q->First(); !q->Eof(); q->Next())
        l << q->FieldByName(QStringLiteral("Grupo"))->AsString() + QLatin1Char('/') +
                 q->FieldByName(QStringLiteral("Codigo"))->AsString();
    l.sort();
    return l;
}

}  // namespace

class TestGeneBusa : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void patrones_data() {
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("patron");
        QTest::newRow("Vazquez") << "Vazquez"
                                 << "[bv][aá]zq[uú][eé]z";
        QTest::newRow("accents folded") << "VÁZQUEZ"
                                        << "[bv][aá]zq[uú][eé]z";
        QTest::newRow("kilo") << "kilo"
                              << "[ck][iíy]l[oó]";
        QTest::newRow("cilo") << "cilo"
                              << "[ck][iíy]l[oó]";
        QTest::newRow("Yago") << "Yago"
                              << "[iíy][aá]g[oó]";
        QTest::newRow("Iago") << "Iago"
                              << "[iíy][aá]g[oó]";
        QTest::newRow("tx as ch") << "Txema"
                                  << "[ct][hxz][eé]m[aá]";
        QTest::newRow("ch") << "Chema"
                            << "[ct][hxz][eé]m[aá]";
        QTest::newRow("c and ch") << "coche"
                                  << "[ck][oó][ct][hxz][eé]";
    }
    void patrones() {
        QFETCH(QString, valor);
        QFETCH(QString, patron);
        QCOMPARE(PatronAproximadoSQLServer(valor), patron);
    }

    void condiciones() {
        const QList<TCriterioAproximado> criterios = {
            {QStringLiteral("Apellidos"), ftString, QStringLiteral("Vazquez")},
            {QStringLiteral("Ciudad"), ftString, QString()},
            {QStringLiteral("Nota"), ftString, QStringLiteral("d'or")}};
        QCOMPARE(CondicionBusquedaAproximada(criterios, QStringLiteral("Grupo = 1"), Servidor()),
                 QStringLiteral(" WHERE (Apellidos LIKE '%[bv][aá]zq[uú][eé]z%') AND (Nota LIKE "
                                "'%d''[oó]r%') AND (Grupo = 1)"));
        QCOMPARE(CondicionBusquedaAproximada(criterios, QString(),
                                             SqlDialect::forEngine(Engine::Sqlite)),
                 QStringLiteral(" WHERE (Apellidos LIKE '%Vazquez%') AND (Nota LIKE '%d''or%')"));
        // Nothing typed: no condition, whatever the filter.
        QVERIFY(CondicionBusquedaAproximada({{QStringLiteral("Ciudad"), ftString, QString()}},
                                            QStringLiteral("Grupo = 1"), Servidor())
                    .isEmpty());
    }

    void busqueda_data() { AddEngineRows(); }
    void busqueda() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        auto d = dialogo();
        QCOMPARE(d->CamposBusqueda, (QStringList{"Grupo", "Codigo", "Apellidos", "Ciudad"}));
        QCOMPARE(d->Caption(), QStringLiteral("Búsqueda por Aproximación en la tabla CONTACTOS"));
        QVERIFY(d->Resultado().isEmpty());  // "Conforme" before any search

        d->pbBuscarClick();
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("¡Debe introducir alguna restricción para realizar la búsqueda!"));

        // Fragments as typed, case and accents included, joined with AND.
        d->setCriterio(QStringLiteral("Apellidos"), QStringLiteral("Vazquez"));
        d->pbBuscarClick();
        QCOMPARE(codigos(d->Query1), (QStringList{"1/B", "2/"}));
        d->setCriterio(QStringLiteral("Ciudad"), QStringLiteral("go"));
        d->setCriterio(QStringLiteral("Grupo"), QStringLiteral("2"));
        d->pbBuscarClick();
        QCOMPARE(codigos(d->Query1), QStringList{"2/"});
        d->Query1->First();
        QCOMPARE(d->Resultado(), QStringLiteral("2\r\nNULL"));

        d->setCriterio(QStringLiteral("Grupo"), QString());
        d->setCriterio(QStringLiteral("Ciudad"), QString());
        d->setCriterio(QStringLiteral("Apellidos"), QStringLiteral("O'N"));
        d->pbBuscarClick();
        QCOMPARE(codigos(d->Query1), QStringList{"3/C"});

        // A character 0 in a value: the same Spanish reason on every engine.
        MessageSeam::clearLog();
        d->setCriterio(QStringLiteral("Apellidos"),
                       QStringLiteral("Vaz") + QChar(0) + QStringLiteral("quez"));
        d->pbBuscarClick();
        QCOMPARE(MessageSeam::log().value(0).text,
                 QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ¡ El texto "
                                "contiene el carácter nulo (código 0), que la base de datos no "
                                "puede guardar !"));
    }

    // A backslash typed in a fragment finds its rows on every engine.
    void barraInvertida_data() { AddEngineRows(); }
    void barraInvertida() {
        Escenario e{CurrentEngine()};
        Sql(
            QStringLiteral("INSERT INTO CONTACTOS (Grupo, Codigo, Apellidos, Ciudad) VALUES (4, "
                           "'D', 'Ruta', 'C:\\DOCS')"));
        auto d = dialogo();
        for (const char* fragmento : {"C:\\", "C:\\DOCS", "\\"}) {
            d->setCriterio(QStringLiteral("Ciudad"), QString::fromLatin1(fragmento));
            d->pbBuscarClick();
            QCOMPARE(codigos(d->Query1), QStringList{"4/D"});
        }
    }

    // The caller's filter holds whatever the user types.
    void filtroDelLlamador_data() { AddEngineRows(); }
    void filtroDelLlamador() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        auto d = dialogo(QStringLiteral("Grupo = 1"));
        d->setCriterio(QStringLiteral("Ciudad"), QStringLiteral("Vigo"));
        d->pbBuscarClick();
        QCOMPARE(codigos(d->Query1), QStringList{"1/A"});
        d->setCriterio(QStringLiteral("Apellidos"), QStringLiteral("') OR ('a' = 'a"));
        d->pbBuscarClick();
        QVERIFY(d->Query1->IsEmpty());
    }
};

QTEST_MAIN(TestGeneBusa)
#include "tst_genebusa.moc"
