// The subsidy-type master: the grid limited to the code in the combo box, a
// line added taking that code with "Discriminar 1ª Baja" "NO", a repeated
// "Hasta Días" of one code refused with the row kept, the same days under
// another code accepted, a leave type outside its list refused when its
// column is left or the line posted, and the lines of each code apart.

#include <QtTest>

#include "gene/data/genemodu.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "maestros_prueba.h"
#include "nomina/nomitsub.h"
#include "support/dbfixture.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

std::unique_ptr<TfNOMITSUB> abrir() {
    RegistrarTfNOMITSUB();
    return std::unique_ptr<TfNOMITSUB>(
        qobject_cast<TfNOMITSUB*>(CreateForm(QStringLiteral("TfNOMITSUB"))));
}

}  // namespace

class TestNomiTsub : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void lineasPorCodigo_data() { AddEngineRows(); }
    void lineasPorCodigo() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), empresa1());
        TModuloDatos modulo;
        std::unique_ptr<TfNOMITSUB> forma = abrir();
        TfNOMITSUB* f = forma.get();
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Maestro de Tipos de Subsidio"));
        QCOMPARE(f->EditRango->Text(), QStringLiteral("Enfermedad"));
        QCOMPARE(f->NombreCampoClave, QStringLiteral("HastaDias"));
        MessageSeam::clearLog();

        f->AgregarClick(f->Agregar);
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("Codigo"))->AsString(),
                 QStringLiteral("Enfermedad"));
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("Discriminar1Baja"))->AsString(),
                 QStringLiteral("NO"));
        QVERIFY(teclear(f, {"3", "Enfermedad", "0", "0"}));
        f->pbConformeClick(f->pbConforme);
        // The post of a new line starts the next one.
        QCOMPARE(f->Table1->State(), dsInsert);
        QVERIFY(teclear(f, {"20", "Enfermedad", "60", "15"}));
        f->pbConformeClick(f->pbConforme);
        QVERIFY(!teclear(f, {"3"}));
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ Ya existe el registro !")});
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("HastaDias"))->AsInteger(), 3);
        QVERIFY(!teclear(f, {"10000"}));
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ El valor debe estar entre 1 y 9999 !")});

        // A leave type outside the list: refused on leaving its column.
        QVERIFY(teclear(f, {"30", "Gripe"}));
        QVERIFY(!salirColumna(f));
        QCOMPARE(textos(),
                 QStringList{QStringLiteral(
                     "¡ El valor \"Gripe\" de la columna \"Tipo Baja\" no es correcto !")});
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(textos().size(), 1);
        f->pbCancelarClick(f->pbCancelar);
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(f->Table1->RecordCount(), 2);

        // Another code: an empty grid, and the same days are a new line.
        f->EditRango->setText(QStringLiteral("Accidente Laboral"));
        QCOMPARE(f->Table1->RecordCount(), 0);
        f->AgregarClick(f->Agregar);
        QVERIFY(teclear(f, {"3", "Accidente Trabajo", "0,05"}));
        f->pbConformeClick(f->pbConforme);
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(f->Table1->RecordCount(), 1);
        // A percentage below one tenth keeps the zero after the comma.
        f->Table1->First();
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("TipoSubsidioSS"))->DisplayText(),
                 QStringLiteral(",05"));
        QCOMPARE(sql(QStringLiteral("SELECT Codigo, HastaDias, TipoBaja FROM TSUBSDIO ORDER BY "
                                    "Codigo, HastaDias")),
                 QStringLiteral("Accidente Laboral|3|Accidente Trabajo\r\nEnfermedad|3|Enfermedad"
                                "\r\nEnfermedad|20|Enfermedad"));
        f->EditRango->setText(QStringLiteral("Enfermedad"));
        QCOMPARE(f->Table1->RecordCount(), 2);
        QVERIFY(textos().isEmpty());
    }

    // A new line closed unconfirmed with Ctrl+F4: without its "Hasta Días"
    // it is dropped whatever the answer to the close question; with days out
    // of their range it is refused with the range warning when the answer
    // keeps it, and the window stays. Nothing is ever stored.
    void lineaNuevaAlCerrar_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("dias");
        QTest::addColumn<QString>("respuesta");
        for (Engine motor : AvailableEngines())
            for (const char* dias : {"", "0", "10000"})
                for (const char* respuesta : {"NO", "SI"})
                    QTest::newRow(qPrintable(EngineTag(motor) + QStringLiteral("/dias '") +
                                             QLatin1String(dias) + QStringLiteral("'/") +
                                             QLatin1String(respuesta)))
                        << int(motor) << QString::fromLatin1(dias)
                        << QString::fromLatin1(respuesta);
    }
    void lineaNuevaAlCerrar() {
        QFETCH(int, engine);
        QFETCH(QString, dias);
        QFETCH(QString, respuesta);
        TestInstalacion inst(Engine(engine), empresa1());
        TModuloDatos modulo;
        VentanaPrincipal principal;
        QPointer<TfNOMITSUB> f = abrir().release();
        QVERIFY(f);
        QStringList mensajes;
        const bool cerrada = cerrarConFilaNueva(f, dias, respuesta, mensajes);
        const bool rechazada = !dias.isEmpty() && respuesta == QLatin1String("NO");
        QCOMPARE(cerrada, !rechazada);
        QCOMPARE(mensajes.size(), rechazada ? 2 : 1);
        QVERIFY(mensajes.first().endsWith(QStringLiteral("¿Desea cancelar la grabación?")));
        if (rechazada)
            QCOMPARE(mensajes.last(), QStringLiteral("¡ El valor debe estar entre 1 y 9999 !"));
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM TSUBSDIO")), QStringLiteral("0"));
        if (f) {
            f->pbCancelarClick(f->pbCancelar);
            f->Close();
            QTRY_VERIFY(!f);
        }
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM TSUBSDIO")), QStringLiteral("0"));
    }

    // The code box changed while a typed line cannot be posted: the box
    // goes back to the line's code, the line is stored under it, and every
    // later line under the code the grid shows. A code longer than its field
    // is never typed, so it is stored and shown as it stands in the box.
    void lineaPendienteAlCambiarCodigo_data() { AddEngineRows(); }
    void lineaPendienteAlCambiarCodigo() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), empresa1());
        TModuloDatos modulo;
        std::unique_ptr<TfNOMITSUB> forma = abrir();
        TfNOMITSUB* f = forma.get();
        MessageSeam::clearLog();
        f->AgregarClick(f->Agregar);
        QVERIFY(teclear(f, {"30", "Gripe"}));
        f->EditRango->setText(QStringLiteral("Accidente"));
        QCOMPARE(textos(),
                 QStringList{QStringLiteral(
                     "¡ El valor \"Gripe\" de la columna \"Tipo Baja\" no es correcto !")});
        QCOMPARE(f->EditRango->Text(), QStringLiteral("Enfermedad"));
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("HastaDias"))->AsInteger(), 30);
        QVERIFY(teclear(f, {"30", "Enfermedad"}));
        f->pbConformeClick(f->pbConforme);
        // The new row the post started is empty: it gives way to the code.
        f->EditRango->setText(QStringLiteral("Accidente"));
        QCOMPARE(f->Table1->RecordCount(), 0);
        f->AgregarClick(f->Agregar);
        QVERIFY(teclear(f, {"5", "Accidente Trabajo"}));
        f->pbConformeClick(f->pbConforme);
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(f->Table1->RecordCount(), 1);

        const QString largo = QStringLiteral("Enfermedad común de larga duración, segunda fase");
        f->EditRango->setText(largo);
        QCOMPARE(f->EditRango->Text(), largo.left(40));
        f->AgregarClick(f->Agregar);
        QVERIFY(teclear(f, {"7", "Recaida"}));
        f->pbConformeClick(f->pbConforme);
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(f->Table1->RecordCount(), 1);
        QVERIFY(textos().isEmpty());
        QCOMPARE(sql(QStringLiteral("SELECT Codigo, HastaDias, TipoBaja FROM TSUBSDIO ORDER BY "
                                    "HastaDias")),
                 QStringLiteral("Accidente|5|Accidente Trabajo\r\n") + largo.left(40) +
                     QStringLiteral("|7|Recaida\r\nEnfermedad|30|Enfermedad"));
    }
};

QTEST_MAIN(TestNomiTsub)
#include "tst_nomitsub.moc"
