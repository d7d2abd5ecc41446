// The name=value editor: the stored text merged into the template, the
// result on accept and on cancel (and whether the user accepted), range
// buttons whose cancelled prompt keeps the bound, the window's placement,
// and LeerParametro.

#include <QTemporaryDir>
#include <QtTest>

#include "gene/dialogo_modal.h"
#include "gene/data/genemens.h"
#include "gene/dialogs/genevreg.h"
#include "ui/controls.h"
#include "ui/grids.h"

namespace {

const QString kPlantilla = QStringLiteral("Servidor=smtp\r\nPuerto=25\r\nSeguro=NO\r\nRango=1...9");

}  // namespace

class TestGeneVreg : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { MessageSeam::activate(); }
    void cleanup() { MessageSeam::deactivate(); }

    void combinacion() {
        // A stored value wins even when empty; a name the template lacks goes.
        QCOMPARE(CombinarLineasINI(kPlantilla, QStringLiteral("puerto=\r\nViejo=1\r\nSeguro=SI")),
                 (QStringList{QStringLiteral("Servidor=smtp"), QStringLiteral("Puerto="),
                              QStringLiteral("Seguro=SI"), QStringLiteral("Rango=1...9")}));
    }

    void aceptarYCancelar() {
        const QString estilos = QStringLiteral("Seguro=SI,NO\r\nRango=ELLIPSIS_RANGO");
        QString r;
        AlMostrarse<TfGENERINI>([](TfGENERINI* e) {
            QCOMPARE(e->Caption(), QStringLiteral("Editor de Registro INI"));
            QCOMPARE(e->StringGrid->Cells(0, 0), QStringLiteral("Campo"));
            QCOMPARE(e->StringGrid->Cells(1, 0), QStringLiteral("Valor"));
            QCOMPARE(e->ListaValoresFila(3),
                     (QStringList{QStringLiteral("SI"), QStringLiteral("NO")}));
            QVERIFY(e->TieneBoton(4));
            QVERIFY(!e->TieneBoton(1));
            e->StringGrid->setCells(1, 1, QStringLiteral("correo"));
            e->pbAceptar->Click();
        });
        QVERIFY(EditorRegistroINI(nullptr, kPlantilla, QStringLiteral("Puerto=587"), QString(),
                                  QStringLiteral("Campo;Valor"), estilos, QString(), r));
        QCOMPARE(r,
                 QStringLiteral("Servidor=correo\r\nPuerto=587\r\nSeguro=NO\r\nRango=1...9\r\n"));

        // Cancel: the merged text, and the caller is told.
        AlMostrarse<TfGENERINI>([](TfGENERINI* e) {
            e->StringGrid->setCells(1, 1, QStringLiteral("perdido"));
            QTest::keyClick(DondeSeEscribe(e), Qt::Key_Escape);
        });
        QVERIFY(!EditorRegistroINI(nullptr, kPlantilla, QStringLiteral("Puerto=587"),
                                   QStringLiteral("Correo"), QString(), estilos, QString(), r));
        QCOMPARE(r, QStringLiteral("Servidor=smtp\r\nPuerto=587\r\nSeguro=NO\r\nRango=1...9\r\n"));
    }

    // The range button asks both bounds; a cancelled prompt keeps its bound.
    void botonRango() {
        TfGENERINI e;
        e.DoCreate();
        e.EstilosEdicion = {QStringLiteral("Rango=ELLIPSIS_RANGO")};
        e.CargarLineas({QStringLiteral("Rango=10...20")});
        e.StringGrid->setCurrentCell(1, 1);
        MessageSeam::enqueue(MessageSeam::cancel());
        MessageSeam::enqueue(QStringLiteral("30"));
        e.StringGridEditButtonClick();
        QCOMPARE(e.StringGrid->Cells(1, 1), QStringLiteral("10...30"));
        QCOMPARE(MessageSeam::log()[0].text,
                 QStringLiteral("Introduzca el valor Desde para Rango"));
        QCOMPARE(MessageSeam::log()[1].text,
                 QStringLiteral("Introduzca el valor Hasta para Rango"));
    }

    // "Formato=0,0,450,0": centred and 450 wide.
    void formato() {
        AlMostrarse<TfGENERINI>([](TfGENERINI* e) {
            QCOMPARE(e->Width(), 450);
            QCOMPARE(e->Position(), poScreenCenter);
            e->pbAceptar->Click();
        });
        QString r;
        EditorRegistroINI(nullptr, kPlantilla, QString(), QString(), QString(), QString(),
                          QStringLiteral("Formato=0,0,450,0"), r);
    }

    void leerParametro() {
        QTemporaryDir dir;
        const QString archivo = dir.filePath(QStringLiteral("PARAM.TXT"));
        QFile f(archivo);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Alias=EMPRESA\r\nVacio=\r\n");
        f.close();
        QString v;
        LeerParametro(nullptr, archivo, QStringLiteral("alias"), v, QStringLiteral("X"));
        QCOMPARE(v, QStringLiteral("EMPRESA"));
        LeerParametro(nullptr, archivo, QStringLiteral("Vacio"), v, QStringLiteral("X"));
        QCOMPARE(v, QStringLiteral("X"));
        LeerParametro(nullptr, dir.filePath(QStringLiteral("FALTA.TXT")), QStringLiteral("Alias"),
                      v, QStringLiteral("Defecto"));
        QCOMPARE(v, QStringLiteral("Defecto"));
    }
};

QTEST_MAIN(TestGeneVreg)
#include "tst_genevreg.moc"
