// Amounts in either currency: pesetas shown in euros and back, the three
// bases, rates of zero, the module's MONEDA record left where it was, and the
// display handler following the main window's menu item and a record's rate.

#include <QtTest>

#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemone.h"
#include "gene/registros_prueba.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/menus.h"

namespace {

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

// Company parameters with these currencies; 1 peseta (0 decimals), 2 euro
// (166,386 pesetas, 2 decimals), 3 dollar.
void monedas(int base, int euro, int nacional) {
    Sql(QStringLiteral("DELETE FROM PARAGENE"));
    QCOMPARE(Sql(QStringLiteral("INSERT INTO PARAGENE (IdRegistro, CodigoMonedaBase, "
                                "CodigoMonedaEuro, CodigoMonedaNacional) VALUES (1, %1, %2, %3)")
                     .arg(base)
                     .arg(euro)
                     .arg(nacional)),
             QString());
    Sql(QStringLiteral("DELETE FROM MONEDA"));
    for (const char* fila :
         {"1, 'Peseta', 'Pts', 1, 0", "2, 'Euro', 'EUR', 166.386, 2", "3, 'Dolar', 'USD', 120, 2"})
        QCOMPARE(Sql(QStringLiteral("INSERT INTO MONEDA (Codigo, Descripcion, Abreviatura, "
                                    "Cambio, Decimales) VALUES (") +
                     QLatin1String(fila) + QLatin1Char(')')),
                 QString());
}

QString texto(TModuloDatos* m, const QString& importe, const QString& modo = QString()) {
    QString r;
    ConvertirTextoImporte(m, importe, modo, r);
    return r;
}

}  // namespace

class TestGeneMone : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pesetasEnEurosYVuelta_data() { AddEngineRows(); }
    void pesetasEnEurosYVuelta() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        { TModuloDatos crear; }
        monedas(1, 2, 1);
        TModuloDatos modulo;
        QVERIFY(modulo.Moneda->FindKey({3}));

        QCOMPARE(texto(&modulo, QStringLiteral("1000")), QStringLiteral("\u20AC 6,01"));
        QCOMPARE(ConvertirMoneda(&modulo, QStringLiteral("AutoInverso"), 6.01), 1000.0);
        QCOMPARE(ConvertirMoneda(&modulo, QStringLiteral("Otra Moneda"), 1000), 6.01);
        // Markers stay after the amount; a zero amount gets no euro sign.
        QCOMPARE(texto(&modulo, QStringLiteral("1.000DH")), QStringLiteral("\u20AC 6,01DH"));
        QCOMPARE(texto(&modulo, QStringLiteral("0D")), QStringLiteral("D"));
        QCOMPARE(texto(&modulo, QStringLiteral("no es un número")), QString());
        QCOMPARE(DecimalesMoneda(&modulo, 2), 2);
        QCOMPARE(CambioMoneda(&modulo, 2), 166.386);
        QCOMPARE(DecimalesMoneda(&modulo, 99), 0);
        QCOMPARE(CambioMoneda(&modulo, 99), 0.0);
        QCOMPARE(ConvertirImporte(&modulo, 10.4, -1), 10.0);
        QCOMPARE(ConvertirImporte(&modulo, 10.4, 0), 10.0);
        QCOMPARE(ConvertirImporte(&modulo, 6.01, 166.386), 1000.0);
        // The module's MONEDA stays on the record a form may be showing.
        QCOMPARE(modulo.Moneda->FieldByName(QStringLiteral("Codigo"))->AsInteger(), 3);

        // A rate of zero converts nothing (instead of dividing by it).
        Sql(QStringLiteral("UPDATE MONEDA SET Cambio = 0 WHERE Codigo = 2"));
        QCOMPARE(ConvertirMoneda(&modulo, QString(), 1000), 1000.0);
        QCOMPARE(ConvertirMoneda(&modulo, QStringLiteral("AutoInverso"), 6.01), 6.01);
        QCOMPARE(texto(&modulo, QStringLiteral("1000")), QStringLiteral("\u20AC 1.000"));
    }

    void otrasBases() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        { TModuloDatos crear; }
        // Base euro: shown in pesetas (euros per peseta), without the sign.
        monedas(2, 2, 1);
        Sql(QStringLiteral("UPDATE MONEDA SET Cambio = 0.00601012 WHERE Codigo = 1"));
        {
            TModuloDatos modulo;
            QCOMPARE(texto(&modulo, QStringLiteral("6,01")), QStringLiteral("1.000"));
            QCOMPARE(ConvertirMoneda(&modulo, QString(), 6.01), 1000.0);
        }
        // A missing currency row leaves amounts as they are.
        Sql(QStringLiteral("DELETE FROM MONEDA WHERE Codigo = 1"));
        {
            TModuloDatos modulo;
            QCOMPARE(ConvertirMoneda(&modulo, QString(), 6.01), 6.01);
        }
        // A base that is neither: the rate of the record the module's MONEDA
        // stands on.
        monedas(3, 2, 1);
        TModuloDatos modulo;
        QVERIFY(modulo.Moneda->FindKey({3}));
        QCOMPARE(ConvertirMoneda(&modulo, QString(), 240), 2.0);
        QCOMPARE(texto(&modulo, QStringLiteral("240")), QStringLiteral("2"));
    }

    void textoDeCamposImporte() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        { TModuloDatos crear; }
        monedas(1, 2, 1);
        TModuloDatos modulo;
        CrearTablaPrueba(QStringLiteral("FACTURA"),
                         {{QStringLiteral("Numero"), ftInteger, 0, true},
                          {QStringLiteral("Total"), ftFloat, 0, false},
                          {QStringLiteral("Cambio"), ftFloat, 0, false}},
                         {QStringLiteral("Numero")});
        Sql(QStringLiteral("INSERT INTO FACTURA (Numero, Total, Cambio) VALUES (1, 1234.5, 2)"));
        auto t = AbrirTablaPrueba(QStringLiteral("FACTURA"));
        TField* total = t->FieldByName(QStringLiteral("Total"));
        total->setDisplayFormat(QStringLiteral("#,###.##"));
        QString s;
        // No main window: the amount as stored.
        ImporteGetText(&modulo, total, s, true);
        QCOMPARE(s, QStringLiteral("1.234,5"));
        QString valor = QStringLiteral("1000");
        ImporteQRPrint(&modulo, nullptr, valor);
        QCOMPARE(valor, QStringLiteral("1000"));

        TForm principal;
        principal.setFormStyle(fsMDIForm);
        auto* item = new TMenuItem(&principal);
        item->setObjectName(QStringLiteral("VerDatosEnMonedaNacionalOEuro"));
        SetMainForm(&principal);
        ImporteGetText(&modulo, total, s, true);
        QCOMPARE(s, QStringLiteral("1.234,5"));
        item->setChecked(true);
        // The record's own rate first: 1234,5 × 2 pesetas in euros.
        ImporteGetText(&modulo, total, s, true);
        QCOMPARE(s, QStringLiteral("\u20AC 14,84"));
        ImporteQRPrint(&modulo, nullptr, valor);
        QCOMPARE(valor, QStringLiteral("\u20AC 6,01"));
        SetMainForm(nullptr);
    }
};

QTEST_MAIN(TestGeneMone)
#include "tst_genemone.moc"
