// The restrictions block of the listings (its height rule, the labels it
// moves and the first page only) and the currency hooks of amount controls.

#include <QtTest>

#include "gene/data/genemodu.h"
#include "gene/data/generest.h"
#include "gene/informe_prueba.h"
#include "gene/registros_prueba.h"
#include "support/instalacion.h"
#include "ui/controls.h"

namespace {

// The page header of the test report with a company label, a column label
// and the restrictions memo, as a report form prepares it.
struct Cabecera {
    std::unique_ptr<TClientDataSet> datos = Empleados(25);
    InformePrueba inf{datos.get()};
    TQRLabel* empresa = new TQRLabel(inf.form, inf.cabecera);
    TQRMemo* memo = new TQRMemo(inf.form, inf.cabecera);

    explicit Cabecera(const QString& texto) {
        inf.rep->Page.Orientation = poPortrait;
        empresa->setObjectName(QStringLiteral("TituloNombreEmpresa"));
        empresa->setCaption(QStringLiteral("EMPRESA"));
        empresa->SetBounds(400, 5, 200, 17);
        inf.titulo->setTop(20);
        memo->setObjectName(QStringLiteral("MemoRestricciones"));
        memo->SetBounds(0, 2, 700, 15);
        memo->setText(texto);
        RestriccionesListado = TRestriccionesListado();
        RestriccionesListado.Memo = memo;
        RestriccionesListado.AlturaBanda = inf.cabecera->Height();
        RestriccionesListado.BandaPreparada = true;
        RestriccionesListado.PosicionesEtiquetas =
            QStringLiteral("TituloListado=20\r\nTituloNombreEmpresa=5");
        inf.cabecera->BeforePrint = [](QObject* Sender, bool& PrintBand) {
            ImprimirRestriccionesListado(nullptr, Sender, PrintBand);
        };
    }
};

}  // namespace

class TestGeneRest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void alturaDelBloque_data() {
        QTest::addColumn<int>("largo");
        QTest::addColumn<bool>("apaisado");
        QTest::addColumn<int>("altura");
        QTest::newRow("250 vertical: tres líneas") << 250 << false << 45;
        QTest::newRow("50: una línea, 30 al menos") << 50 << false << 30;
        QTest::newRow("99 vertical") << 99 << false << 30;
        QTest::newRow("100 vertical: dos líneas") << 100 << false << 30;
        QTest::newRow("200 vertical") << 200 << false << 45;
        QTest::newRow("250 apaisado: dos líneas") << 250 << true << 30;
        QTest::newRow("320 apaisado") << 320 << true << 45;
    }
    void alturaDelBloque() {
        QFETCH(int, largo);
        QFETCH(bool, apaisado);
        QFETCH(int, altura);
        QCOMPARE(AlturaRestricciones(QString(largo, QLatin1Char('x')), apaisado), altura);
    }

    void primeraPaginaSolo() {
        // 250 characters with the prefix: 45 units on page 1.
        const QString titulo = QLatin1String(kTituloRestricciones);
        Cabecera c(QString(250 - titulo.size(), QLatin1Char('r')));
        const int disenada = c.inf.cabecera->Height();
        bool imprimir = true;
        RestriccionesListado.PrimeraPagina = true;
        ImprimirRestriccionesListado(nullptr, c.inf.cabecera, imprimir);
        QVERIFY(imprimir);
        QCOMPARE(c.memo->Text().size(), 250);
        QVERIFY(c.memo->Text().startsWith(titulo));
        QVERIFY(c.memo->Enabled());
        QCOMPARE(c.inf.cabecera->Height(), disenada + 45);
        QCOMPARE(c.inf.titulo->Top(), 20 + 45);
        QCOMPARE(c.empresa->Top(), 5);  // the company's name never moves
        QVERIFY(!RestriccionesListado.PrimeraPagina);

        // Later pages: the band as designed, the block hidden.
        ImprimirRestriccionesListado(nullptr, c.inf.cabecera, imprimir);
        QVERIFY(!c.memo->Enabled());
        QCOMPARE(c.inf.cabecera->Height(), disenada);
        QCOMPARE(c.inf.titulo->Top(), 20);
        // The prefix is not added twice.
        QCOMPARE(c.memo->Text().size(), 250);
    }

    void enLasPaginasDelInforme() {
        Cabecera c(QStringLiteral("Desde Operario: 0, Hasta Operario: 9999, "));
        RestriccionesListado.PrimeraPagina = true;
        c.inf.rep->Prepare();
        QVERIFY(c.inf.rep->QRPrinter()->PageCount() >= 2);
        auto texto = [&](int pagina) {
            QStringList lineas;
            for (const TQRTextLine& l : PageTextLines(c.inf.rep->QRPrinter()->Page(pagina)))
                for (const TQRTextItem& i : l) lineas << i.Text;
            return lineas.join(u' ');
        };
        QVERIFY(texto(1).contains(QStringLiteral(
            "RESTRICCIONES Y OPCIONES DEL LISTADO: Desde Operario: 0, Hasta Operario: 9999,")));
        QVERIFY(!texto(2).contains(QStringLiteral("RESTRICCIONES")));
        QVERIFY(texto(2).contains(QStringLiteral("LISTADO DE PRUEBA")));
    }

    void sinTextoNoHayBloque() {
        Cabecera c{QString()};
        const int disenada = c.inf.cabecera->Height();
        bool imprimir = true;
        RestriccionesListado.PrimeraPagina = true;
        ImprimirRestriccionesListado(nullptr, c.inf.cabecera, imprimir);
        QVERIFY(!c.memo->Enabled());
        QCOMPARE(c.memo->Text(), QString());
        QCOMPARE(c.inf.cabecera->Height(), disenada);
        // A label missing from the designed positions goes to the top.
        auto* suelta = new TQRLabel(c.inf.form, c.inf.cabecera);
        suelta->setObjectName(QStringLiteral("Suelta"));
        suelta->setTop(12);
        ImprimirRestriccionesListado(nullptr, c.inf.cabecera, imprimir);
        QCOMPARE(suelta->Top(), 0);
    }

    void manejadoresDeImportes() {
        QObject form;
        TClientDataSet* datos = Empleados(1).release();
        datos->setParent(&form);
        auto* banda = new TQRBand(&form, nullptr, rbDetail);
        auto* importe = new TQRLabel(&form, banda);
        importe->setTag(1000);
        auto* propio = new TQRDBText(&form, banda);
        propio->setTag(1001);
        bool propioLlamado = false;
        propio->OnPrint = [&](QObject*, QString&) { propioLlamado = true; };
        auto* codigo = new TQRExpr(&form, banda);
        codigo->setTag(999);
        auto* fecha = new TQRSysData(&form, banda);
        fecha->setTag(1000);
        auto* calculo = new TQRDBCalc(&form, banda);
        calculo->setTag(1000);
        TField* campo = datos->FieldByName(QStringLiteral("Importe"));
        campo->setTag(1000);
        campo->OnGetText = [](TField*, QString& t, bool) { t = QStringLiteral("suyo"); };
        TField* otro = datos->FieldByName(QStringLiteral("Codigo"));
        otro->setTag(1000);  // not a float

        ConfigurarBotonesMoneda(nullptr, &form, QStringLiteral("Otro"));
        QVERIFY(!importe->OnPrint);
        ConfigurarBotonesMoneda(nullptr, &form, QStringLiteral("Asignar"));
        QVERIFY(importe->OnPrint);
        QVERIFY(calculo->OnPrint);
        QVERIFY(!codigo->OnPrint);
        QVERIFY(!fecha->OnPrint);
        QString v = QStringLiteral("x");
        propio->OnPrint(propio, v);
        QVERIFY(propioLlamado);                                 // its own handler stays
        QCOMPARE(campo->DisplayText(), QStringLiteral("1,5"));  // replaced: the amount shown
        QVERIFY(!otro->OnGetText);
        // Without a currency switch the amount prints as it is.
        QString texto = QStringLiteral("1.000");
        importe->OnPrint(importe, texto);
        QCOMPARE(texto, QStringLiteral("1.000"));

        ConfigurarBotonesMoneda(nullptr, &form, QStringLiteral("Desasignar"));
        QVERIFY(!importe->OnPrint);
        QVERIFY(!propio->OnPrint);
        QVERIFY(!campo->OnGetText);
    }

    void glifoDelBotonEuro() {
        TestInstalacion inst(Engine::Sqlite, {.empresas = {1}, .empresaActual = 1});
        { TModuloDatos crear; }
        Sql(QStringLiteral("DELETE FROM PARAGENE"));
        Sql(
            QStringLiteral("INSERT INTO PARAGENE (IdRegistro, CodigoMonedaBase, CodigoMonedaEuro, "
                           "CodigoMonedaNacional) VALUES (1, 1, 2, 1)"));
        TModuloDatos modulo;
        QWidget form;
        auto* boton = new TSpeedButton(&form);
        boton->setObjectName(QStringLiteral("pbEuro"));
        ConfigurarBotonesMoneda(nullptr, &form, QStringLiteral("Asignar"));
        QCOMPARE(boton->icon().cacheKey(), GlifoMonedaNacional().cacheKey());
        Sql(QStringLiteral("UPDATE PARAGENE SET CodigoMonedaBase = 2"));
        modulo.ParamGenerales->Refresh();
        ConfigurarBotonesMoneda(nullptr, &form, QStringLiteral("Asignar"));
        QCOMPARE(boton->icon().cacheKey(), GlifoMonedaEuro().cacheKey());
    }
};

QTEST_MAIN(TestGeneRest)
#include "tst_generest.moc"
