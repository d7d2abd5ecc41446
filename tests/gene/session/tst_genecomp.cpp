#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

#include "gene/session/genecomp.h"

// A form as the framework sees it: published handlers and Delphi-named properties.
class Formulario : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QVariant OnClick READ onClick WRITE setOnClick)
    Q_PROPERTY(qint64 Grande READ grande)
    Q_PROPERTY(int Entero READ entero WRITE setEntero)
public:
    QString caption() const { return caption_; }
    void setCaption(const QString& c) { caption_ = c; }
    QVariant onClick() const { return {}; }
    void setOnClick(const QVariant&) {}
    qint64 grande() const { return 1; }
    int entero() const { return entero_; }
    void setEntero(int e) {
        if (e < 0) throw std::runtime_error("negativo");
        entero_ = e;
    }

    Q_INVOKABLE void VerDatosEnMonedaNacionalOEuroClick(QObject* Sender) {
        ++llamadas;
        ultimo = Sender;
    }
    Q_INVOKABLE void FallaClick(QObject*) { throw std::runtime_error("falla"); }
    Q_INVOKABLE void SinArgumento() { ++llamadas; }
    Q_INVOKABLE void SoloBotones(QPushButton* boton) { ultimo = boton; }
    Q_INVOKABLE void DosArgumentos(QObject*, QObject*) {}

    int llamadas = 0;
    QObject* ultimo = nullptr;

private:
    QString caption_;
    int entero_ = 0;
};

class TestGeneComp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void componentesPorNombre() {
        Formulario form;
        auto* panel = new QWidget(&form);
        panel->setObjectName(QStringLiteral("Panel1"));
        auto* euro = new QPushButton(panel);
        euro->setObjectName(QStringLiteral("pbEuro"));
        auto* segundo = new QPushButton(&form);
        segundo->setObjectName(QStringLiteral("PBEURO"));
        auto* otraVentana = new QWidget(&form, Qt::Window);
        auto* ajeno = new QPushButton(otraVentana);
        ajeno->setObjectName(QStringLiteral("pbAjeno"));

        QCOMPARE(BuscarComponente(&form, QStringLiteral("PBEURO")), euro);  // first in order
        QCOMPARE(BuscarComponente(&form, QStringLiteral("panel1")), panel);
        QCOMPARE(BuscarComponente(&form, QStringLiteral("pbAjeno")), nullptr);
        QCOMPARE(BuscarComponente(&form, QString()), nullptr);
        QCOMPARE(BuscarComponente(nullptr, QStringLiteral("pbEuro")), nullptr);
        // Only ASCII letters are folded.
        auto* acento = new QPushButton(&form);
        acento->setObjectName(QStringLiteral("pbAñadir"));
        QCOMPARE(BuscarComponente(&form, QStringLiteral("PBAÑADIR")), nullptr);
        QCOMPARE(BuscarComponente(&form, QStringLiteral("PBAñADIR")), acento);
        QCOMPARE(BuscarComponente(&form, QStringLiteral("pbaÑadir")), nullptr);
    }

    void metodosPublicados() {
        Formulario form;
        QPushButton boton;
        QVERIFY(TieneMetodoPublicado(&form, QStringLiteral("VerDatosEnMonedaNacionalOEuroClick")));
        QVERIFY(!TieneMetodoPublicado(&form, QStringLiteral("NoExiste")));
        QVERIFY(!TieneMetodoPublicado(&form, QStringLiteral("DosArgumentos")));
        QVERIFY(!TieneMetodoPublicado(&form, QString(300, QLatin1Char('a'))));

        QVERIFY(LlamarMetodoPublicado(&form, QStringLiteral("VerDatosEnMonedaNacionalOEuroClick"),
                                      &boton));
        QCOMPARE(form.llamadas, 1);
        QCOMPARE(form.ultimo, &boton);
        QVERIFY(LlamarMetodoPublicado(&form, QStringLiteral("SinArgumento"), &boton));
        QCOMPARE(form.llamadas, 2);
        // Errors are swallowed and reported as false.
        QVERIFY(!LlamarMetodoPublicado(&form, QStringLiteral("FallaClick"), &boton));
        QVERIFY(!LlamarMetodoPublicado(&form, QStringLiteral("NoExiste"), &boton));
        QVERIFY(!LlamarMetodoPublicado(nullptr, QStringLiteral("SinArgumento"), nullptr));
        // An argument of another class is refused rather than passed as the wrong type.
        QVERIFY(!LlamarMetodoPublicado(&form, QStringLiteral("SoloBotones"), &form));
        QVERIFY(LlamarMetodoPublicado(&form, QStringLiteral("SoloBotones"), &boton));
        QCOMPARE(form.ultimo, &boton);
    }

    void propiedadesPublicadas() {
        Formulario form;
        QVERIFY(TienePropiedad(&form, QStringLiteral("Caption")));
        QVERIFY(!TienePropiedad(&form, QStringLiteral("caption")));
        QVERIFY(TienePropiedad(&form, QStringLiteral("OnClick")));
        QVERIFY(!TienePropiedad(&form, QStringLiteral("Grande")));
        QVERIFY(!TienePropiedad(nullptr, QStringLiteral("Caption")));

        QVariant valor = 5;
        LeerPropiedad(&form, QStringLiteral("NoExiste"), valor);
        QCOMPARE(valor, QVariant(QString()));
        QVERIFY(valor.isValid());

        AsignarPropiedad(&form, QStringLiteral("Caption"), QStringLiteral("Ficha"));
        LeerPropiedad(&form, QStringLiteral("Caption"), valor);
        QCOMPARE(valor.toString(), QStringLiteral("Ficha"));
        // A write that fails keeps the old value and raises nothing.
        AsignarPropiedad(&form, QStringLiteral("Entero"), 7);
        AsignarPropiedad(&form, QStringLiteral("Entero"), -1);
        QCOMPARE(form.entero(), 7);
        AsignarPropiedad(&form, QStringLiteral("NoExiste"), 1);

        // Enumerations and sets travel as their identifiers.
        QPushButton boton;
        AsignarPropiedad(&boton, QStringLiteral("focusPolicy"), QStringLiteral("NoFocus"));
        QCOMPARE(boton.focusPolicy(), Qt::NoFocus);
        AsignarPropiedad(&boton, QStringLiteral("focusPolicy"), QStringLiteral("Desconocido"));
        QCOMPARE(boton.focusPolicy(), Qt::NoFocus);
        LeerPropiedad(&boton, QStringLiteral("focusPolicy"), valor);
        QCOMPARE(valor.toString(), QStringLiteral("NoFocus"));
    }

    void colores_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("color");
        QTest::newRow("nombre") << "Rojo" << 255;
        QTest::newRow("decimal") << "255" << 255;
        QTest::newRow("hexadecimal") << "$FF" << 255;
        QTest::newRow("negro") << "Negro" << 0;
        QTest::newRow("minusculas") << "rojo" << 0;
        QTest::newRow("vacio") << "" << 0;
        QTest::newRow("basura") << "12ab" << 0;
        QTest::newRow("crema") << "Crema" << 15793151;
        QTest::newRow("azul celeste") << "Azul Celeste" << 15780518;
    }
    void colores() {
        QFETCH(QString, texto);
        QFETCH(int, color);
        QCOMPARE(ValorColor(texto), color);
    }

    void nombresDeColores() {
        QCOMPARE(NombreColor(8421504), QStringLiteral("Gris Oscuro"));
        QCOMPARE(NombreColor(12632256), QStringLiteral("Gris Claro"));
        QCOMPARE(NombreColor(1193046), QString());
        QCOMPARE(ColorSegunNombre(QStringLiteral("Plateado")), 12632256);
        QCOMPARE(ColorSegunNombre(QStringLiteral("Morado")), 0);
        // Red lives in the low byte.
        QCOMPARE(ColorQt(ColorSegunNombre(QStringLiteral("Rojo"))), QColor(255, 0, 0));
        QCOMPARE(ColorQt(ColorSegunNombre(QStringLiteral("Azul Marino"))), QColor(0, 0, 128));
        QCOMPARE(ColorDesdeQt(QColor(86, 52, 18)), 1193046);
        QCOMPARE(ColorDesdeQt(QColor(166, 202, 240)),
                 ColorSegunNombre(QStringLiteral("Azul Celeste")));
    }

    void estilosDeFuente() {
        QCOMPARE(EstiloFuente(QStringLiteral("Negrita")), 0);
        QCOMPARE(EstiloFuente(QStringLiteral("fsItalic")), 1);
        QCOMPARE(EstiloFuente(QStringLiteral("Subrayado")), 2);
        QCOMPARE(EstiloFuente(QStringLiteral("Tachado")), 3);
        QCOMPARE(EstiloFuente(QStringLiteral("negrita")), 255);
        QCOMPARE(NombreEstiloFuente(fsBold), QStringLiteral("fsBold"));
        QCOMPARE(NombreEstiloFuente(fsStrikeout), QStringLiteral("fsStrikeout"));
        QCOMPARE(NombreEstiloFuente(fsBold | fsItalic), QString());
        QCOMPARE(NombreEstiloFuente(0), QString());
        QCOMPARE(FamiliaFuente(QStringLiteral("MS Sans Serif")), QStringLiteral("Liberation Sans"));
        QCOMPARE(FamiliaFuente(QStringLiteral("Courier New")), QStringLiteral("Liberation Mono"));
        QCOMPARE(FamiliaFuente(QStringLiteral("DejaVu Serif")), QStringLiteral("DejaVu Serif"));
    }
};

QTEST_MAIN(TestGeneComp)
#include "tst_genecomp.moc"
