// The text master on a real installation: texts added one after the other
// through the form's own handlers, the key edit writable only for a new
// text, a duplicate code refused by the post with the row kept, texts with
// quotes stored whole, and the window kept open while a text is edited.

#include <QtTest>

#include "db/field.h"
#include "db/table.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/dialogs/genemtex.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

QString sql(const QString& sentencia) {
    QString r;
    EjecutarSQL(nullptr, sentencia, QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    return r;
}

QStringList textos() {
    QStringList l;
    for (const auto& e : MessageSeam::log()) l << e.text;
    return l;
}

void escribir(TfGENEMTEX* f, const QString& codigo, const QString& texto) {
    f->Table1->FieldByName(QStringLiteral("Codigo"))->setAsString(codigo);
    f->Table1->FieldByName(QStringLiteral("Descripcion"))
        ->setAsString(QStringLiteral("D ") + codigo);
    f->Table1->FieldByName(QStringLiteral("Texto"))->setAsString(texto);
}

}  // namespace

class TestGeneMtex : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void maestro_data() { AddEngineRows(); }
    void maestro() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        RegistrarTfGENEMTEX();
        QPointer<TfGENEMTEX> f =
            qobject_cast<TfGENEMTEX*>(CreateForm(QStringLiteral("TfGENEMTEX")));
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Maestro de Textos"));
        QCOMPARE(f->EditTipo->Items(), QStringList{QStringLiteral("Plantilla")});
        QVERIFY(f->Ficha1->Find(QStringLiteral("&Listar Ficha Actual")));
        QVERIFY(!f->EditCodigo->isEnabled());

        // Confirming a new text starts the next one at once.
        f->AgregarClick(f->Agregar);
        QCOMPARE(f->Table1->State(), dsInsert);
        QVERIFY(f->EditCodigo->isEnabled());
        escribir(f, QStringLiteral("SALUDO"), QStringLiteral("Estimado Sr. O'Neill:\r\n'Hola'"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(sql(QStringLiteral("SELECT Texto FROM TEXTO WHERE Codigo = 'SALUDO'")),
                 QStringLiteral("Estimado Sr. O'Neill:\r\n'Hola'"));

        // A code that exists: warned on leaving the key, refused by the post;
        // the new text stays in insertion for the user to correct.
        MessageSeam::clearLog();
        escribir(f, QStringLiteral("SALUDO"), QStringLiteral("otro"));
        f->CampoClaveExit(f->EditCodigo);
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(textos(),
                 (QStringList{"¡ Ya existe el registro !", "¡ Este registro ya existe !"}));
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(sql(QStringLiteral("SELECT Texto FROM TEXTO")),
                 QStringLiteral("Estimado Sr. O'Neill:\r\n'Hola'"));

        // The window stays open while a text is being edited.
        MessageSeam::clearLog();
        f->Close();
        QVERIFY(f);
        QCOMPARE(textos(),
                 QStringList{QStringLiteral(
                     "¡ Debe grabar o cancelar la edición antes de cerrar la ventana !")});
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(f->Table1->State(), dsBrowse);

        // An existing text is edited with its code protected.
        f->Table1->Edit();
        QVERIFY(!f->EditCodigo->isEnabled());
        f->Table1->FieldByName(QStringLiteral("Tipo"))->setAsString(QStringLiteral("Plantilla"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(sql(QStringLiteral("SELECT Tipo FROM TEXTO")), QStringLiteral("Plantilla"));
        f->Close();
        QTRY_VERIFY(!f);
    }
};

QTEST_MAIN(TestGeneMtex)
#include "tst_genemtex.moc"
