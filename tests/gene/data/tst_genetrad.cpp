// Translation through TXIDIOMA on both engines: exact lookups and the cache,
// patterns with "\X" placeholders, word by word, variables, quotes, and
// lookups that fail without messages and without being remembered.

#include <QtTest>

#include "db/database.h"
#include "gene/data/geneconv.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetrad.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

QString sql(const QString& sentencia) {
    QString r;
    EjecutarSQL(nullptr, sentencia, QStringLiteral("DatabaseGeneral"), QStringLiteral("Silenciosa"),
                r);
    return r;
}

void traduccion(const QString& clave, const QString& texto, const QString& idioma = "en") {
    QCOMPARE(sql(QStringLiteral("INSERT INTO TXIDIOMA (Idioma, ClaveTexto, Texto) VALUES (") +
                 ValorSQL(idioma) + QStringLiteral(", ") + ValorSQL(clave) + QStringLiteral(", ") +
                 ValorSQL(texto) + QLatin1Char(')')),
             QString());
}

QString traducir(const QString& texto, const QString& variables = QString()) {
    QString r;
    Traducir(nullptr, texto, variables, QString(), r);
    return r;
}

}  // namespace

class TestGeneTrad : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        IdiomaActual = QStringLiteral("en");
        TextosNoTraducidos.clear();
    }
    void cleanupTestCase() {
        IdiomaActual.clear();
        TextosNoTraducidos.clear();
    }

    void exactaYCache_data() { AddEngineRows(); }
    void exactaYCache() {
        QFETCH(int, engine);
        TestInstalacion inst{Engine(engine)};
        init();  // the start-up set the language from its command line
        traduccion(QStringLiteral("Buscar"), QStringLiteral("Search"));
        traduccion(QStringLiteral("D'Artagnan"), QStringLiteral("D'Artagnan (en)"));
        traduccion(QStringLiteral("QRLabel1"), QStringLiteral("nunca"));

        QCOMPARE(traducir(QStringLiteral("&Buscar")), QStringLiteral("Search"));
        QCOMPARE(TextosNoTraducidos, QStringList{"Buscar=Search"});
        QCOMPARE(traducir(QStringLiteral("D'Artagnan")), QStringLiteral("D'Artagnan (en)"));
        // Component default names and one-letter captions stay as they are.
        QCOMPARE(traducir(QStringLiteral("QRLabel1")), QStringLiteral("QRLabel1"));
        QCOMPARE(traducir(QStringLiteral("&B")), QStringLiteral("&B"));

        // The cache answers without asking the table again, and a stored
        // translation is not translated back.
        sql(QStringLiteral("DELETE FROM TXIDIOMA"));
        traduccion(QStringLiteral("Search"), QStringLiteral("Buscar"));
        QCOMPARE(traducir(QStringLiteral("Buscar")), QStringLiteral("Search"));
        QCOMPARE(traducir(QStringLiteral("Search")), QStringLiteral("Search"));

        // A text without translation comes back without "&" and is
        // remembered as itself (only as the text that was looked up).
        TextosNoTraducidos.clear();
        QCOMPARE(traducir(QStringLiteral("&Nada")), QStringLiteral("Nada"));
        QCOMPARE(TextosNoTraducidos, QStringList());
        QCOMPARE(traducir(QStringLiteral("Nada")), QStringLiteral("Nada"));
        QCOMPARE(traducir(QStringLiteral("Nada")), QStringLiteral("Nada"));
        QCOMPARE(TextosNoTraducidos, QStringList{"Nada=Nada"});

        // Without a language nothing is looked up or remembered; variables
        // are still put in.
        IdiomaActual.clear();
        TextosNoTraducidos.clear();
        QCOMPARE(traducir(QStringLiteral("Hola $Nombre"), QStringLiteral("Nombre=Mundo")),
                 QStringLiteral("Hola Mundo"));
        QCOMPARE(TextosNoTraducidos, QStringList());
    }

    void patronesYPalabras_data() { AddEngineRows(); }
    void patronesYPalabras() {
        QFETCH(int, engine);
        TestInstalacion inst{Engine(engine)};
        init();  // the start-up set the language from its command line
        traduccion(QStringLiteral("Hay \\X1 empleados en \\X2"),
                   QStringLiteral("There are \\X1 employees in \\X2"));
        traduccion(QStringLiteral("Sevilla"), QStringLiteral("Seville"));
        traduccion(QStringLiteral("Se han copiado \\X1 registros."),
                   QStringLiteral("\\ X1 records were copied."));
        traduccion(QStringLiteral("Fecha"), QStringLiteral("Date"));
        traduccion(QStringLiteral("Alta"), QStringLiteral("Registration"));
        traduccion(QStringLiteral("Hola $Nombre"), QStringLiteral("Hello $Nombre"));
        traduccion(QStringLiteral("Mundo"), QStringLiteral("World"));

        QCOMPARE(traducir(QStringLiteral("Hay 25 empleados en Sevilla")),
                 QStringLiteral("There are 25 employees in Seville"));
        QCOMPARE(traducir(QStringLiteral("Hay 3 empleados en Cuenca")),
                 QStringLiteral("There are 3 employees in Cuenca"));
        QCOMPARE(traducir(QStringLiteral("Se han copiado 12 registros.")),
                 QStringLiteral("12 records were copied."));
        // Word by word, each word cut to the length of the Spanish one.
        QCOMPARE(traducir(QStringLiteral("Fecha  Alta")), QStringLiteral("Date  Regi"));
        QCOMPARE(traducir(QStringLiteral("Fecha Baja")), QStringLiteral("Date Baja"));
        QCOMPARE(traducir(QStringLiteral("Hola $Nombre"), QStringLiteral("Nombre=Mundo")),
                 QStringLiteral("Hello World"));

        QString lista;
        TraducirLista(nullptr, QStringLiteral("Fecha;Sevilla;Otra"), QString(), lista);
        QCOMPARE(lista, QStringLiteral("Date;Seville;Otra"));
        TraducirLista(nullptr, QString(), QString(), lista);
        QCOMPARE(lista, QString());
        // Another language than the session's.
        traduccion(QStringLiteral("Fecha"), QStringLiteral("Datum"), QStringLiteral("de"));
        QString r;
        TextosNoTraducidos.clear();
        Traducir(nullptr, QStringLiteral("Fecha"), QString(), QStringLiteral("de"), r);
        QCOMPARE(r, QStringLiteral("Datum"));
    }

    // A failing lookup is no translation: no message, nothing remembered.
    void consultaFallida_data() { AddEngineRows(); }
    void consultaFallida() {
        QFETCH(int, engine);
        TestInstalacion inst{Engine(engine)};
        init();  // the start-up set the language from its command line
        traduccion(QStringLiteral("Guardar"), QStringLiteral("Save"));
        QCOMPARE(sql(QStringLiteral("ALTER TABLE TXIDIOMA RENAME COLUMN Texto TO Roto")),
                 QString());
        QCOMPARE(traducir(QStringLiteral("Guardar")), QStringLiteral("Guardar"));
        QCOMPARE(traducir(QStringLiteral("Hay 2 empleados")), QStringLiteral("Hay 2 empleados"));
        QCOMPARE(MessageSeam::log().size(), 0);
        QCOMPARE(TextosNoTraducidos, QStringList());
        QCOMPARE(sql(QStringLiteral("ALTER TABLE TXIDIOMA RENAME COLUMN Roto TO Texto")),
                 QString());
        QCOMPARE(traducir(QStringLiteral("Guardar")), QStringLiteral("Save"));

        // A general database that is not connected translates nothing.
        TextosNoTraducidos.clear();
        inst.sesion()->DatabaseGeneral->Close();
        QCOMPARE(traducir(QStringLiteral("Guardar")), QStringLiteral("Guardar"));
        QCOMPARE(TextosNoTraducidos, QStringList());
    }

    // Past 10000 lines a lookup drops the oldest 1001.
    void cacheLimitada() {
        TestInstalacion inst;
        init();
        traduccion(QStringLiteral("Salir"), QStringLiteral("Exit"));
        for (int i = 0; i < 10000; ++i) TextosNoTraducidos << QStringLiteral("T%1=T%1").arg(i);
        QCOMPARE(traducir(QStringLiteral("Salir")), QStringLiteral("Exit"));
        QCOMPARE(TextosNoTraducidos.size(), 9000);
        QCOMPARE(TextosNoTraducidos.first(), QStringLiteral("T1001=T1001"));
        QCOMPARE(TextosNoTraducidos.last(), QStringLiteral("Salir=Exit"));
    }

    void aislarSeparador() {
        const QString directo =
            AislarSeparador(QStringLiteral("Hola. Adios"), QStringLiteral("."), "Directo");
        QCOMPARE(directo, QStringLiteral("Hola\r\n.\r\n Adios"));
        QCOMPARE(AislarSeparador(directo, QStringLiteral("."), "Inverso"),
                 QStringLiteral("Hola. Adios"));
    }
};

QTEST_MAIN(TestGeneTrad)
#include "tst_genetrad.moc"
