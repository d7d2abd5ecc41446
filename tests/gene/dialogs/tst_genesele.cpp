#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "gene/dialogo_modal.h"
#include "gene/data/genemens.h"
#include "gene/dialogs/geneopen.h"
#include "gene/dialogs/genesele.h"
#include "ui/controls.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString Elegir(const QString& opciones, const QString& elementos,
               std::function<void(TfGENESELE*)> accion) {
    AlMostrarse<TfGENESELE>(std::move(accion));
    QString seleccion = QStringLiteral("sin tocar");
    SeleccionarDeLista(nullptr, opciones, elementos, seleccion);
    return seleccion;
}

void Aceptar(TfGENESELE* d) {
    d->pbAceptar->Click();
}
void Salir(TfGENESELE* d) {
    QTest::keyClick(DondeSeEscribe(d), Qt::Key_Escape);
}

}  // namespace

class TestGeneSele : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The lines marked with "*" start selected without their "*"; in single
    // mode the later of two marked lines wins, in multiple mode both stay.
    void marcasIniciales() {
        const QString elementos = QStringLiteral("Uno*") + kCrLf + QStringLiteral("Dos") + kCrLf +
                                  QStringLiteral("*Tres*");
        QCOMPARE(Elegir(QStringLiteral("Titulo=Opciones"), elementos, Aceptar),
                 QStringLiteral("Tres*"));
        QCOMPARE(Elegir(QStringLiteral("Modo=Multiple"), elementos, Aceptar),
                 QStringLiteral("Uno") + kCrLf + QStringLiteral("Tres*"));
    }

    // Leaving without "&Aceptar" gives back the marked lines in their given
    // order, whatever was chosen meanwhile and however the list was sorted.
    void salirDevuelveMarcados() {
        const QString elementos = QStringLiteral("c") + kCrLf + QStringLiteral("*b") + kCrLf +
                                  QStringLiteral("*a") + kCrLf + QStringLiteral("d");
        const QString opciones =
            QStringLiteral("Modo=Multiple") + kCrLf + QStringLiteral("Opciones=Ordenada");
        QCOMPARE(Elegir(opciones, elementos,
                        [](TfGENESELE* d) {
                            d->SeleccionarTodoClick();
                            Salir(d);
                        }),
                 QStringLiteral("b") + kCrLf + QStringLiteral("a"));
        // The only marked line of three, cancelled.
        QCOMPARE(
            Elegir(QString(),
                   QStringLiteral("x") + kCrLf + QStringLiteral("y*") + kCrLf + QStringLiteral("z"),
                   [](TfGENESELE* d) { d->pbCancelar->Click(); }),
            QStringLiteral("y"));
    }

    void ordenadaYSeleccionVacia() {
        const QString elementos = QStringLiteral("Zeta*") + kCrLf + QStringLiteral("alfa*") +
                                  kCrLf + QStringLiteral("Beta");
        const QString opciones =
            QStringLiteral("Modo=Multiple") + kCrLf + QStringLiteral("Opciones=Ordenada");
        QCOMPARE(Elegir(opciones, elementos, Aceptar),
                 QStringLiteral("alfa") + kCrLf + QStringLiteral("Zeta"));
        QCOMPARE(Elegir(opciones, elementos,
                        [](TfGENESELE* d) {
                            d->DeseleccionarTodoClick();
                            Aceptar(d);
                        }),
                 QString());
    }

    void comandosDeSeleccion() {
        TfGENESELE d;
        d.DoCreate();
        d.setMultiple(true);
        QStringList lineas;
        for (int i = 0; i < 14; ++i) lineas << QString::number(i) + (i == 1 || i == 12 ? "*" : "");
        d.Cargar(lineas.join(kCrLf), false);
        d.RegistrarSeleccionInicial();
        QCOMPARE(d.SeleccionInicial, QStringLiteral("'1''12'"));
        d.InvertirleleccionClick();
        QCOMPARE(d.ListBox1->SelCount(), 12);
        QVERIFY(!d.ListBox1->Selected(1));
        // Index 2 is not taken for the "2" inside "12".
        d.RestaurarSeleccionInicialClick();
        QCOMPARE(d.TextoSeleccion(), QStringLiteral("1") + kCrLf + QStringLiteral("12"));
        d.SeleccionarTodoClick();
        QCOMPARE(d.ListBox1->SelCount(), 14);
    }

    // "Formato" places the next list; a list opened after it without one
    // comes back where the last was closed.
    void geometriaRecordada() {
        Elegir(QStringLiteral("Formato=40,50,300,260"), QStringLiteral("a"), [](TfGENESELE* d) {
            QCOMPARE(d->Left(), 40);
            QCOMPARE(d->Top(), 50);
            QCOMPARE(d->Width(), 300);
            QCOMPARE(d->Height(), 260);
            d->move(70, 80);
            Aceptar(d);
        });
        Elegir(QString(), QStringLiteral("a"), [](TfGENESELE* d) {
            QCOMPARE(d->Left(), 70);
            QCOMPARE(d->Top(), 80);
            Aceptar(d);
        });
    }

    void carpetas() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Documentos/2024")));
        QString ruta = dir.path();
        AlMostrarse<TfGENEOPEN>([&dir](TfGENEOPEN* d) {
            QCOMPARE(d->Titulo->Caption(), QStringLiteral("Elija la carpeta"));
            QVERIFY(d->SeleccionarRuta(dir.filePath(QStringLiteral("Documentos"))));
            d->pbAceptar->Click();
        });
        QVERIFY(ElegirCarpeta(nullptr, QStringLiteral("Elija la carpeta"), ruta,
                              QStringLiteral("Carpetas")));
        QCOMPARE(ruta, QDir::toNativeSeparators(dir.filePath(QStringLiteral("Documentos"))));

        // A folder that does not exist: the warning, and the path unchanged.
        MessageSeam::activate();
        QString falta = dir.filePath(QStringLiteral("NoExiste"));
        QVERIFY(!ElegirCarpeta(nullptr, QString(), falta, QStringLiteral("Carpetas")));
        QCOMPARE(falta, dir.filePath(QStringLiteral("NoExiste")));
        QCOMPARE(MessageSeam::log().size(), 1);
        QVERIFY(MessageSeam::log().first().text.startsWith(
            QStringLiteral("¡No ha sido posible abrir el archivo o carpeta ") + falta +
            QStringLiteral("!. Motivo: ")));
        MessageSeam::deactivate();
    }
};

QTEST_MAIN(TestGeneSele)
#include "tst_genesele.moc"
