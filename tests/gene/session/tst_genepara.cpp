// The global parameters on a real installation: the default record of a new
// company, saving with the currency check and the standard template, the
// numeric templates through the prompts (a cancelled prompt changes
// nothing), the default templates alone, and the mail settings editor.

#include <QApplication>
#include <QtTest>

#include "db/database.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/dialogs/genevreg.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/genepara.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"
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

TfGENEPARA* abrir() {
    RegistrarTfGENEPARA();
    return qobject_cast<TfGENEPARA*>(CreateForm(QStringLiteral("TfGENEPARA")));
}

TField* campo(TfGENEPARA* f, const char* nombre) {
    return f->Parametros()->FieldByName(QLatin1String(nombre));
}

// Answers the next Name=Value editor with its accept or cancel button.
void responderEditor(bool aceptar) {
    QTimer::singleShot(0, [aceptar] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<TfGENERINI*>(w))
                (aceptar ? editor->pbAceptar : editor->pbCancelar)->Click();
    });
}

}  // namespace

class TestGenePara : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    void asignarValorTexto_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("replaced") << "A=1\r\nB=2\r\nC=3"
                                  << "A=1\r\nB=x y\r\nC=3";
        QTest::newRow("appended") << "A=1"
                                  << "A=1\r\nB=x y";
        QTest::newRow("after a last line break") << "A=1\r\n"
                                                 << "A=1\r\nB=x y";
        QTest::newRow("empty text") << ""
                                    << "B=x y";
        QTest::newRow("name is whole") << "BB=2"
                                       << "BB=2\r\nB=x y";
        // Written by SQL or another program: every other line and its end stay
        // byte for byte, and a name in other letter case is the same line.
        QTest::newRow("LF line ends") << "A=1\nB=2\nC=3\n"
                                      << "A=1\nB=x y\nC=3\n";
        QTest::newRow("mixed line ends") << "A=1\rB=2\r\nC=3\n"
                                         << "A=1\rB=x y\r\nC=3\n";
        QTest::newRow("appended after LF") << "A=1\nC=3"
                                           << "A=1\nC=3\nB=x y";
        QTest::newRow("other letter case") << "A=1\r\nb=2\r\nC=3"
                                           << "A=1\r\nB=x y\r\nC=3";
        QTest::newRow("first of two") << "b=1\nB=2"
                                      << "B=x y\nB=2";
        QTest::newRow("empty lines kept") << "A=1\r\n\r\nB=2\r\n"
                                          << "A=1\r\n\r\nB=x y\r\n";
    }
    void asignarValorTexto() {
        QFETCH(QString, texto);
        QFETCH(QString, esperado);
        AsignarValorTexto(QStringLiteral("B"), QStringLiteral("x y"), texto);
        QCOMPARE(texto, esperado);
    }

    // The record created by another session after this one read the table
    // empty: the window shows the stored values, and so does every reader of
    // the session's parameters; nothing is refused.
    void creadosPorOtraSesion_data() { AddEngineRows(); }
    void creadosPorOtraSesion() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QVERIFY(modulo.ParamGenerales->Active());
        QVERIFY(modulo.ParamGenerales->IsEmpty());
        {
            TDatabase otra;  // another clerk's program on the same company
            otra.Params() = fGENEINIC->Database->Params();
            otra.setDatabaseName(QStringLiteral("OtraSesion"));
            otra.Open();
            otra.Execute(
                QStringLiteral("INSERT INTO PARAGENE (IdRegistro, CaracterSeparadorASCII, "
                               "CodigoMonedaEuro) VALUES (0, ';', 7)"));
        }
        MessageSeam::clearLog();
        QPointer<TfGENEPARA> f = abrir();
        QVERIFY(f);
        QCOMPARE(textos(), QStringList());
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM PARAGENE")), QStringLiteral("1"));
        QCOMPARE(campo(f, "CaracterSeparadorASCII")->AsString(), QStringLiteral(";"));
        QCOMPARE(modulo.ParamGenerales->State(), dsBrowse);
        QCOMPARE(
            modulo.ParamGenerales->FieldByName(QStringLiteral("CodigoMonedaEuro"))->AsInteger(), 7);
        // A change left unsaved is asked about when the window is closed from
        // elsewhere (exit, a company change): "NO" stores it.
        f->Parametros()->Edit();
        campo(f, "RazonSocial")->setAsString(QStringLiteral("Nueva"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        QVERIFY(f->CloseQuery());
        QCOMPARE(sql(QStringLiteral("SELECT RazonSocial FROM PARAGENE")), QStringLiteral("Nueva"));
        f->Close();
        QTRY_VERIFY(!f);
    }

    void parametros_data() { AddEngineRows(); }
    void parametros() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        PlantillaNumericaStd = QStringLiteral("#,###.##");
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM PARAGENE")), QStringLiteral("0"));

        // A new company's record is created and saved before anything shows.
        QPointer<TfGENEPARA> f = abrir();
        QVERIFY(f);
        QCOMPARE(f->Caption(), QStringLiteral("Parámetros Globales"));
        QCOMPARE(sql(QStringLiteral("SELECT IdRegistro, TipoCombinacionTramas, "
                                    "CaracterSeparadorASCII, TipoLetraListados, "
                                    "PlantillaNumericaStd, IntrastatActivado FROM PARAGENE")),
                 QStringLiteral("0|Standard|@|Por Defecto|#,###.##|NO"));
        QCOMPARE(campo(f, "PerfilesCategoriasGA")->AsString(),
                 QStringLiteral("Articulo=Familia\r\nCliente=Zona,Sector,Segmento\r\n"
                                "Proveedor=Zona,Sector,Segmento\r\nCuenta=Zona,Sector,Segmento\r\n"
                                "Proceso=Planificacion"));
        QVERIFY(campo(f, "MargenIzquierdoImpresora")->IsNull());
        QCOMPARE(campo(f, "TextoEMailEnvioDocs")->AsString().count(QStringLiteral("\r\n")), 6);
        const QString plantillas = campo(f, "PlantillaNumericaExt")->AsString();
        QCOMPARE(plantillas.split(QStringLiteral("\r\n")).size(), 5);
        QCOMPARE(f->PageControl1->ActivePage(), f->Pagina(QStringLiteral("General")));
        QCOMPARE(f->PageControl1->PageCount(), 12);

        // Template 2 through the prompts, blanks removed from both answers.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("#,##0.0000"));
        MessageSeam::enqueue(QStringLiteral("Precio, Tarifa"));
        f->ConfigurarPlantilla(2);
        QCOMPARE(MessageSeam::log().at(0).answer, QStringLiteral("#,##0.0000"));
        QCOMPARE(textos(),
                 (QStringList{"Introduzca el formato de la plantilla número 2",
                              "Introduzca los nombres de los campos para la plantilla número 2 "
                              "separados por comas"}));
        const QString conPlantilla2 = campo(f, "PlantillaNumericaExt")->AsString();
        QVERIFY(conPlantilla2.contains(
            QStringLiteral("\r\nPlantillaNumerica2=#,##0.0000 Precio,Tarifa\r\n")));
        // The prompts offer what is stored; cancelling either changes nothing.
        MessageSeam::clearLog();
        MessageSeam::enqueue(MessageSeam::cancel());
        f->ConfigurarPlantilla(2);
        MessageSeam::enqueue(QStringLiteral("0.0"));
        MessageSeam::enqueue(MessageSeam::cancel());
        f->ConfigurarPlantilla(2);
        QCOMPARE(campo(f, "PlantillaNumericaExt")->AsString(), conPlantilla2);

        // The default templates alone: other changes stay.
        campo(f, "RazonSocial")->setAsString(QStringLiteral("Talleres O'Brien"));
        f->AsignarlasPlantillasporDefecto1Click(f->AsignarlasPlantillasporDefecto1);
        QCOMPARE(campo(f, "PlantillaNumericaExt")->AsString(), plantillas);
        QCOMPARE(campo(f, "RazonSocial")->AsString(), QStringLiteral("Talleres O'Brien"));

        // The same currency twice is refused and the record stays in edit.
        MessageSeam::clearLog();
        campo(f, "CodigoMonedaNacional")->setAsInteger(2);
        campo(f, "CodigoMonedaEuro")->setAsInteger(2);
        QVERIFY(!f->MonedasDistintas());
        f->pbGrabarClick(f->pbGrabar);
        QCOMPARE(textos(), QStringList{QStringLiteral(
                               "¡La Moneda Nacional y la Moneda Euro no pueden ser la misma!")});
        QCOMPARE(f->Parametros()->State(), dsEdit);
        QVERIFY(f);
        QCOMPARE(sql(QStringLiteral("SELECT RazonSocial FROM PARAGENE")), QString());
        // Saving with no standard template sets the session's to the default one.
        campo(f, "CodigoMonedaEuro")->setAsInteger(1);
        campo(f, "PlantillaNumericaStd")->setAsString(QString());
        PlantillaNumericaStd = QStringLiteral("0.##");
        f->pbGrabarClick(f->pbGrabar);
        QTRY_VERIFY(!f);
        QCOMPARE(PlantillaNumericaStd, QStringLiteral("#,###.##"));
        QCOMPARE(sql(QStringLiteral("SELECT RazonSocial, CodigoMonedaNacional, CodigoMonedaEuro "
                                    "FROM PARAGENE")),
                 QStringLiteral("Talleres O'Brien|2|1"));

        // Closing without saving leaves nothing pending in the session.
        f = abrir();
        f->Parametros()->Edit();
        campo(f, "RazonSocial")->setAsString(QStringLiteral("Otra"));
        f->pbSalirClick(f->pbSalir);
        QTRY_VERIFY(!f);
        QCOMPARE(modulo.ParamGenerales->State(), dsBrowse);
        QCOMPARE(modulo.ParamGenerales->FieldByName(QStringLiteral("RazonSocial"))->AsString(),
                 QStringLiteral("Talleres O'Brien"));

        // Templates written by SQL with LF ends and a name in other letter
        // case: only that line changes, the others stay byte for byte.
        const QString otrosFines = QStringLiteral(
            "PlantillaNumerica1=#,##0 Cantidad\nplantillanumerica2=0.00 Precio\n"
            "PlantillaNumerica3=0 Importe\n");
        sql(QStringLiteral("UPDATE PARAGENE SET PlantillaNumericaExt = ") +
            Entrecomillar(otrosFines));
        f = abrir();
        QVERIFY(f);
        f->Parametros()->Refresh();
        QCOMPARE(campo(f, "PlantillaNumericaExt")->AsString(), otrosFines);
        MessageSeam::enqueue(QStringLiteral("#,##0.0000"));
        MessageSeam::enqueue(QStringLiteral("Precio,Tarifa"));
        f->ConfigurarPlantilla(2);
        const QString nuevas = QStringLiteral(
            "PlantillaNumerica1=#,##0 Cantidad\nPlantillaNumerica2=#,##0.0000 Precio,Tarifa\n"
            "PlantillaNumerica3=0 Importe\n");
        QCOMPARE(campo(f, "PlantillaNumericaExt")->AsString(), nuevas);
        f->pbGrabarClick(f->pbGrabar);
        QTRY_VERIFY(!f);
        // Saved as it was shown: every template kept, with its line ends.
        TQuery guardado;
        guardado.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
        guardado.SQL().setText(QStringLiteral("SELECT PlantillaNumericaExt FROM PARAGENE"));
        guardado.Open();
        QCOMPARE(guardado.Fields()[0]->AsString(), nuevas);
    }

    void correo() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QPointer<TfGENEPARA> f = abrir();
        QVERIFY(f);
        f->Parametros()->Edit();
        campo(f, "CfgCorreoElectronico")->setAsString(QStringLiteral("ServidorSMTP=smtp.local"));
        // Cancelled: the stored text stays as it was.
        responderEditor(false);
        f->ConfigurarCorreo();
        QCOMPARE(campo(f, "CfgCorreoElectronico")->AsString(),
                 QStringLiteral("ServidorSMTP=smtp.local"));
        // Accepted: the template's keys in order with the stored values.
        responderEditor(true);
        f->ConfigurarCorreo();
        const QStringList lineas =
            campo(f, "CfgCorreoElectronico")->AsString().split(QStringLiteral("\r\n"));
        QCOMPARE(lineas.mid(0, 3), (QStringList{"ClienteSMTP=Por Defecto",
                                                "ServidorSMTP=smtp.local", "CodigoUsuarioSMTP="}));
        QVERIFY(lineas.contains(QStringLiteral("ClienteSMTP(Masivo)=Indy")));
        QVERIFY(lineas.contains(QStringLiteral("CuentaSMTPCopiasDocumentos(Masivo)=")));
        f->pbCancelarClick(f->pbCancelar);
        QTRY_VERIFY(!f);
    }
};

QTEST_MAIN(TestGenePara)
#include "tst_genepara.moc"
