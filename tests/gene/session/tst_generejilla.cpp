// Child windows of the main window (one per form name, restored, shown or
// created anew, with their usage-log lines), grid columns fitted, defined
// and hidden, the data under controls emptied, time-of-day fields, the
// option key of a menu item and the pick-list check of grid columns.

#include <QTemporaryDir>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/dberror.h"
#include "db/field.h"
#include "gene/data/geneclav.h"
#include "gene/session/geneform.h"
#include "gene/session/geneform_p.h"
#include "gene/data/genemens.h"
#include "gene/session/generejilla.h"
#include "gene/data/geneusua.h"
#include "gene/session/sesion.h"
#include "io/textfile.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/form.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

// Codigo, Nombre (10), Apellidos (30), Fecha, HoraEntrada, Puesto (integer).
std::unique_ptr<TClientDataSet> datos() {
    auto ds = std::make_unique<TClientDataSet>();
    ds->setObjectName(QStringLiteral("Table1"));
    ds->FieldDefs() << TFieldDef{QStringLiteral("Codigo"), ftInteger, 0, true}
                    << TFieldDef{QStringLiteral("Nombre"), ftString, 10, false}
                    << TFieldDef{QStringLiteral("Apellidos"), ftString, 30, false}
                    << TFieldDef{QStringLiteral("Fecha"), ftDateTime, 0, false}
                    << TFieldDef{QStringLiteral("horaEntrada"), ftDateTime, 0, false}
                    << TFieldDef{QStringLiteral("Puesto"), ftInteger, 0, false};
    ds->CreateDataSet();
    ds->Append();
    ds->FieldByName(QStringLiteral("Codigo"))->setAsInteger(1);
    ds->FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Ana"));
    ds->FieldByName(QStringLiteral("Fecha"))->setAsString(QStringLiteral("01/02/2024"));
    ds->FieldByName(QStringLiteral("Puesto"))->setAsInteger(7);
    ds->Post();
    return ds;
}

// A grid over a dataset, with columns of its own (none yet).
struct Rejilla {
    TDataSource fuente;
    TDBGrid rejilla;
    explicit Rejilla(TDataSet* ds) {
        fuente.setDataSet(ds);
        rejilla.setDataSource(&fuente);
        rejilla.Columns().Clear();
    }
};

class TfVENTANA : public TForm {
    Q_OBJECT
public:
    explicit TfVENTANA(QWidget* owner = nullptr) : TForm(owner) {
        setName(QStringLiteral("fVENTANA"));
        setCaption(QStringLiteral("Ventana"));
        setFormStyle(fsMDIChild);
        OnClose = [](QObject*, TCloseAction& Action) { Action = caFree; };
    }
};

QStringList accionesRegistradas(const QString& carpeta) {
    QString usuario = QString::fromLocal8Bit(qgetenv("USER"));
    QDir dir(carpeta);
    const QStringList logs = dir.entryList({QStringLiteral("*.log")});
    if (logs.isEmpty()) return {};
    QString texto;
    ReadTextFile(dir.filePath(logs.first()), texto);
    QStringList acciones;
    for (const QString& l : texto.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        acciones << l.section(QStringLiteral(", "), 1, 2);
    return acciones;
}

}  // namespace

class TestGeneRejilla : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        InstalarServiciosFormulario();
        MessageSeam::activate();
    }
    void init() { MessageSeam::clearLog(); }

    void ventanasDelMenu() {
        QTemporaryDir carpeta;
        DirectorioPrograma = carpeta.path() + QLatin1Char('/');
        MonitorizarActividadUsuario = true;
        RegisterFormClass<TfVENTANA>(QStringLiteral("TfVENTANA"));
        TForm principal;
        principal.setFormStyle(fsMDIForm);
        SetMainForm(&principal);
        principal.show();

        TForm* f = nullptr;
        AbrirFormulario(nullptr, QStringLiteral("TfVENTANA"), f, QString(),
                        QStringLiteral("fVENTANA"));
        QVERIFY(f);
        QPointer<TForm> primera(f);
        QVERIFY(FormularioAbierto(nullptr, QStringLiteral("fVENTANA")));
        TForm* g = nullptr;
        AbrirFormulario(nullptr, QStringLiteral("TfVENTANA"), g, QString(),
                        QStringLiteral("fVENTANA"));
        QCOMPARE(g, f);
        f->setWindowState(wsMinimized);
        AbrirFormulario(nullptr, QStringLiteral("TfVENTANA"), g, QString(),
                        QStringLiteral("fVENTANA"));
        QCOMPARE(g->WindowState(), wsNormal);

        // "Create" closes the open one through its own close and makes another.
        TfVENTANA* nueva = nullptr;
        AbrirFormulario(nullptr, QStringLiteral("TfVENTANA"), nueva, QStringLiteral("Create"),
                        QStringLiteral("fVENTANA"));
        QVERIFY(nueva);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!primera);
        QCOMPARE(nueva->Name(), QStringLiteral("fVENTANA"));
        QCOMPARE(accionesRegistradas(carpeta.path()),
                 (QStringList{"Create, fVENTANA", "Show, fVENTANA", "Restore, fVENTANA",
                              "Create, fVENTANA"}));

        // A second instance is named after the first with "_": found by
        // AbrirFormulario under the form name, not by FormularioAbierto.
        auto* otra = NewForm<TfVENTANA>();
        QCOMPARE(otra->Name(), QStringLiteral("fVENTANA"));
        nueva->Free();
        otra->setName(QStringLiteral("fVENTANA_1"));
        QVERIFY(!FormularioAbierto(nullptr, QStringLiteral("fVENTANA")));
        QVERIFY(FormularioAbierto(nullptr, QStringLiteral("fVENTANA_1")));
        AbrirFormulario(nullptr, QStringLiteral("TfVENTANA"), g, QString(),
                        QStringLiteral("fVENTANA"));
        QCOMPARE(g, otra);

        // A form nobody registered opens nothing.
        TForm* nada = otra;
        AbrirFormulario(nullptr, QStringLiteral("TfNOEXISTE"), nada, QString(),
                        QStringLiteral("fNOEXISTE"));
        QCOMPARE(nada, nullptr);
        otra->Free();
        SetMainForm(nullptr);
        MonitorizarActividadUsuario = false;
    }

    void columnasAjustadas() {
        auto ds = datos();
        Rejilla r(ds.get());
        TDBGrid& rejilla = r.rejilla;
        rejilla.resize(520, 200);
        for (const char* campo : {"Nombre", "Apellidos"})
            rejilla.Columns().Add()->setFieldName(QLatin1String(campo));
        AjustarRejilla(nullptr, &rejilla);
        QCOMPARE(rejilla.Columns()[0]->Width(), 122);
        QCOMPARE(rejilla.Columns()[1]->Width(), 363);
        QCOMPARE(AnchoRejilla(nullptr, &rejilla), 12 + 123 + 364);

        // From column 1 on: column 0 keeps its width, the last takes the rest.
        // (a width given by code is in the forms' units, scaled to the grid's font)
        rejilla.Columns()[0]->setPixelWidth(100);
        AjustarColumnasRejilla(nullptr, &rejilla, QStringLiteral("ColumnaInicial:1"));
        QCOMPARE(rejilla.Columns()[0]->Width(), 100);
        QCOMPARE(rejilla.Columns()[1]->Width(), 488 - 101 - 1);
        rejilla.Columns()[0]->setWidth(90);
        const int digito = rejilla.fontMetrics().horizontalAdvance(QLatin1Char('0'));
        AjustarColumnasRejilla(nullptr, &rejilla, QStringLiteral("ColumnaInicial:1"));
        QCOMPARE(rejilla.Columns()[0]->Width(), qRound(90.0 * digito / 6));
        QCOMPARE(AnchoRejilla(nullptr, &rejilla), 12 + 488);

        // No visible column: nothing to share, and a width of the indicator only.
        rejilla.Columns()[0]->setVisible(false);
        rejilla.Columns()[1]->setVisible(false);
        AjustarRejilla(nullptr, &rejilla);
        QCOMPARE(AnchoRejilla(nullptr, &rejilla), 12);
        rejilla.setOptions(rejilla.Options() & ~dgIndicator);
        QCOMPARE(AnchoRejilla(nullptr, &rejilla), 0);

        // A column without a field leaves the grid as it is.
        rejilla.Columns()[1]->setVisible(true);
        rejilla.Columns().Add()->setFieldName(QStringLiteral("NoExiste"));
        const int antes = rejilla.Columns()[1]->Width();
        AjustarRejilla(nullptr, &rejilla);
        QCOMPARE(rejilla.Columns()[1]->Width(), antes);
    }

    // Ctrl+H brings back the dataset's columns, never one hidden from the
    // user (by any part of its name, as the setting reads), whatever the
    // grid showed before.
    void columnasPorDefectoSinOcultos_data() {
        QTest::addColumn<QString>("ocultos");
        QTest::addColumn<QString>("visibles");
        QTest::newRow("ninguno") << QString() << "Codigo,Nombre,Apellidos,Fecha,horaEntrada,Puesto";
        QTest::newRow("uno") << "Puesto"
                             << "Codigo,Nombre,Apellidos,Fecha,horaEntrada";
        QTest::newRow("parte del nombre, otra caja") << "nombre, ENTRADA"
                                                     << "Codigo,Apellidos,Fecha,Puesto";
        QTest::newRow("excepcion") << "-Apellidos, Nombre, Apellidos"
                                   << "Codigo,Apellidos,Fecha,horaEntrada,Puesto";
    }
    void columnasPorDefectoSinOcultos() {
        QFETCH(QString, ocultos);
        QFETCH(QString, visibles);
        auto ds = datos();
        Rejilla r(ds.get());
        r.rejilla.Columns().Add()->setFieldName(QStringLiteral("Codigo"));
        CamposNoVisiblesUsuario = ocultos;
        geneform::ColumnasPorDefectoRejilla(&r.rejilla);
        CamposNoVisiblesUsuario.clear();
        QStringList vistos;
        for (int i = 0; i < r.rejilla.Columns().Count(); ++i)
            if (r.rejilla.Columns()[i]->Visible()) vistos << r.rejilla.Columns()[i]->FieldName();
        QCOMPARE(vistos.join(QLatin1Char(',')), visibles);
    }

    void columnasDefinidasYOcultas() {
        auto ds = datos();
        Rejilla r(ds.get());
        TDBGrid& rejilla = r.rejilla;
        rejilla.Columns().Add()->setFieldName(QStringLiteral("Puesto"));
        CamposNoVisiblesUsuario = QStringLiteral("Puesto");

        DefinirColumnasRejilla(
            nullptr, QStringLiteral("Nombre,Nombre,80\r\nEntrada,horaEntrada,60"), &rejilla);
        QCOMPARE(rejilla.Columns().Count(), 3);
        QCOMPARE(rejilla.Columns()[1]->Title()->Caption(), QStringLiteral("Nombre"));
        QCOMPARE(rejilla.Columns()[2]->FieldName(), QStringLiteral("horaEntrada"));
        QCOMPARE(rejilla.Columns()[2]->Width(),
                 qRound(60.0 * rejilla.fontMetrics().horizontalAdvance(QLatin1Char('0')) / 6));
        QVERIFY(!rejilla.Columns()[0]->Visible());
        QVERIFY(rejilla.Columns()[1]->Visible());

        // A width that is no number: the lines before it stay.
        QVERIFY_THROWS_EXCEPTION(
            EConvertError,
            DefinirColumnasRejilla(nullptr, QStringLiteral("A,Apellidos,50\r\nB,Fecha,ancho"),
                                   &rejilla));
        QCOMPARE(rejilla.Columns().Count(), 4);
        CamposNoVisiblesUsuario.clear();

        // Only the first column of the field, by its exact name.
        rejilla.Columns().Add()->setFieldName(QStringLiteral("Nombre"));
        OcultarColumnaRejilla(QStringLiteral("nombre"), &rejilla);
        QVERIFY(rejilla.Columns()[1]->Visible());
        OcultarColumnaRejilla(QStringLiteral("Nombre"), &rejilla);
        QVERIFY(!rejilla.Columns()[1]->Visible());
        QVERIFY(rejilla.Columns()[4]->Visible());
    }

    void camposVaciados() {
        auto ds = datos();
        TField* fecha = ds->FieldByName(QStringLiteral("Fecha"));
        BorrarCampo(nullptr, fecha);
        QCOMPARE(ds->State(), dsEdit);
        QVERIFY(!fecha->IsNull());
        QCOMPARE(fecha->AsDateTime().date(), QDate(1899, 12, 30));
        BorrarCampo(nullptr, ds->FieldByName(QStringLiteral("Nombre")));
        QCOMPARE(ds->FieldByName(QStringLiteral("Nombre"))->AsString(), QString());
        ds->Cancel();

        // A lookup combo on an integer key: the key holds 0.
        auto lista = datos();
        TDataSource fuente, fuenteLista;
        fuente.setDataSet(ds.get());
        fuenteLista.setDataSet(lista.get());
        TDBLookupComboBox combo;
        combo.setDataSource(&fuente);
        combo.setDataField(QStringLiteral("Puesto"));
        combo.setListSource(&fuenteLista);
        combo.setKeyField(QStringLiteral("Codigo"));
        combo.setListField(QStringLiteral("Nombre"));
        BorrarCampoControl(nullptr, &combo);
        QCOMPARE(ds->State(), dsEdit);
        QCOMPARE(ds->FieldByName(QStringLiteral("Puesto"))->AsInteger(), 0);
        QVERIFY(!ds->FieldByName(QStringLiteral("Puesto"))->IsNull());
        ds->Cancel();

        // A grid whose column is no lookup field, and an image control.
        TDBGrid rejilla;
        rejilla.setDataSource(&fuente);
        BorrarCampoControl(nullptr, &rejilla);
        QCOMPARE(ds->State(), dsBrowse);
        TImage imagen;
        QImage foto(4, 4, QImage::Format_RGB32);
        foto.fill(Qt::red);
        imagen.setPicture(foto);
        BorrarCampoControl(nullptr, &imagen);
        QVERIFY(imagen.Empty());

        // A check box on a field that does not exist: the dataset's error.
        TDBCheckBox casilla;
        casilla.setDataSource(&fuente);
        casilla.setDataField(QStringLiteral("Falta"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, BorrarCampoControl(nullptr, &casilla));
    }

    void camposHora() {
        auto ds = datos();
        QVERIFY(EsCampoHora(nullptr, ds->FieldByName(QStringLiteral("horaEntrada"))));
        QVERIFY(!EsCampoHora(nullptr, ds->FieldByName(QStringLiteral("Fecha"))));
        TClientDataSet otro;
        otro.FieldDefs() << TFieldDef{QStringLiteral("HoraDia"), ftDate, 0, false};
        otro.CreateDataSet();
        QVERIFY(!EsCampoHora(nullptr, otro.FieldByName(QStringLiteral("HoraDia"))));
    }

    void claveDeOpcion() {
        TMainMenu menu;
        auto* ficheros =
            new TMenuItem(menu.Items(), QStringLiteral("Ficheros1"), QStringLiteral("&Ficheros"));
        auto* personal =
            new TMenuItem(ficheros, QStringLiteral("Personal1"), QStringLiteral("&Personal"));
        auto* historia =
            new TMenuItem(personal, QStringLiteral("Historia1"), QStringLiteral("&Historia"));
        QString clave = QStringLiteral("previa");
        ClaveOpcionMenu(nullptr, ficheros, clave);
        QCOMPARE(clave, QStringLiteral("&Ficheros"));
        ClaveOpcionMenu(nullptr, personal, clave);
        QCOMPARE(clave, QStringLiteral("&Personal"));
        ClaveOpcionMenu(nullptr, historia, clave);
        QCOMPARE(clave, QStringLiteral("&Personal &Historia"));
        QLabel otro;
        ClaveOpcionMenu(nullptr, &otro, clave);
        QCOMPARE(clave, QString());
    }

    // A grid column with a pick list accepts only its items.
    void valoresDeLista() {
        auto ds = datos();
        Rejilla r(ds.get());
        TDBGrid& rejilla = r.rejilla;
        TColumn* c = rejilla.Columns().Add();
        c->setFieldName(QStringLiteral("Nombre"));
        c->Title()->setCaption(QStringLiteral("Nombre del Puesto"));
        c->setPickList({QStringLiteral("Ana"), QStringLiteral("Luis")});
        TField* nombre = ds->FieldByName(QStringLiteral("Nombre"));
        QVERIFY(ValidarValorLista(nullptr, &rejilla, nombre));
        ds->Edit();
        nombre->setAsString(QStringLiteral("Eva"));
        QVERIFY(!ValidarValorLista(nullptr, &rejilla, nombre));
        QCOMPARE(MessageSeam::log().last().text,
                 QStringLiteral("¡ El valor \"Eva\" de la columna \"Nombre del Puesto\" no es "
                                "correcto !"));
        // Another field of the grid, and a data combo's items.
        QVERIFY(ValidarValorLista(nullptr, &rejilla, ds->FieldByName(QStringLiteral("Apellidos"))));
        TDBComboBox combo;
        combo.setDataSource(&r.fuente);
        combo.setDataField(QStringLiteral("Nombre"));
        combo.setItems({QStringLiteral("Eva")});
        QVERIFY(ValidarValorLista(nullptr, &combo, nombre));
        ds->Cancel();
    }
};

QTEST_MAIN(TestGeneRejilla)
#include "tst_generejilla.moc"
