// Display formats chosen by field name, the look of "evo" forms, status-bar
// panels, form sizes, translation without a language, windows closed at a
// company change, saved queries opened anew, datasets re-read and the glyphs
// of buttons built without one.

#include <QPainter>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/datasource.h"
#include "db/field.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/form.h"
#include "ui/menus.h"
#include "ui/registry.h"

namespace {

QStringList consultasAbiertas;

class TfCONSULTA : public TForm {
    Q_OBJECT
public:
    explicit TfCONSULTA(QWidget* owner = nullptr) : TForm(owner) {
        setName(QStringLiteral("fGENEUSQL"));
        setFormStyle(fsMDIChild);
        OnClose = [](QObject*, TCloseAction& Action) { Action = caFree; };
    }
    Q_INVOKABLE void AbrirConsultaSQL(const QString& Nombre) {
        setCaption(Nombre);
        consultasAbiertas << Nombre;
    }
};

TForm* ventana(const QString& nombre, TForm* principal) {
    auto* f = new TForm(principal);
    f->setName(nombre);
    f->setFormStyle(fsMDIChild);
    f->Show();
    return f;
}

}  // namespace

class TestGeneFormAspecto : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { MessageSeam::activate(); }

    void formatosPorNombre() {
        PlantillaNumericaStd = QStringLiteral("#,##0.##");
        PlantillasNumericas[2] = QStringLiteral("#,##0.000");
        PlantillasNumericas[3] = QStringLiteral("#,##0.00");
        PlantillasNumericas[4] = QStringLiteral("0.0");
        CamposPlantillasNumericas[4] = QStringList{QStringLiteral("Minutos")};
        QString f;
        FormatoCampoImporte(nullptr, QStringLiteral("ImportePrecio"), f);
        QCOMPARE(f, PlantillasNumericas[2]);
        FormatoCampoImporte(nullptr, QStringLiteral("TotalHoras"), f);
        QCOMPARE(f, PlantillasNumericas[3]);
        FormatoCampoImporte(nullptr, QStringLiteral("TOTALMINUTOS"), f);
        QCOMPARE(f, PlantillasNumericas[4]);
        FormatoCampoImporte(nullptr, QStringLiteral("Codigo"), f);
        QCOMPARE(f, PlantillaNumericaStd);

        TClientDataSet ds;
        ds.setObjectName(QStringLiteral("Table1"));
        ds.FieldDefs() << TFieldDef{QStringLiteral("ImporteBruto"), ftFloat, 0, false}
                       << TFieldDef{QStringLiteral("Dias"), ftFloat, 0, false}
                       << TFieldDef{QStringLiteral("Coste"), ftFloat, 0, false}
                       << TFieldDef{QStringLiteral("HoraEntrada"), ftDateTime, 0, false}
                       << TFieldDef{QStringLiteral("Fecha"), ftDateTime, 0, false};
        ds.CreateDataSet();
        TField* importe = ds.FieldByName(QStringLiteral("ImporteBruto"));
        TField* dias = ds.FieldByName(QStringLiteral("Dias"));
        TField* coste = ds.FieldByName(QStringLiteral("Coste"));
        importe->setDisplayFormat(QStringLiteral("#,###.##"));
        dias->setDisplayFormat(QStringLiteral("#,###.##"));
        coste->setDisplayFormat(QStringLiteral("0.0000"));
        for (TField* campo : ds.Fields()) AplicarFormatoCampo(nullptr, campo);
        QCOMPARE(importe->DisplayFormat(), PlantillasNumericas[3]);
        QCOMPARE(dias->DisplayFormat(), PlantillaNumericaStd);
        QCOMPARE(coste->DisplayFormat(), QStringLiteral("0.0000"));
        TField* hora = ds.FieldByName(QStringLiteral("HoraEntrada"));
        QCOMPARE(hora->DisplayFormat(), QStringLiteral("HH:MM:SS"));
        QVERIFY(hora->OnGetText && hora->OnSetText);
        TField* fecha = ds.FieldByName(QStringLiteral("Fecha"));
        QVERIFY(fecha->OnGetText && !fecha->OnSetText);

        // The zero date shows empty; a bare hour gets its minutes and seconds.
        ds.Append();
        fecha->setAsDateTime(QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
        QCOMPARE(fecha->DisplayText(), QString());
        hora->setText(QStringLiteral("9"));
        QCOMPARE(hora->AsDateTime().time(), QTime(9, 0));
        hora->setAsDateTime(QDateTime(QDate(1899, 12, 30), QTime(9, 30, 15)));
        QCOMPARE(hora->DisplayText(), QStringLiteral("09:30:15"));
        ds.Cancel();
        PlantillaNumericaStd = QStringLiteral("#,###.##");
    }

    void aspectoEvo() {
        AspectoAplicacion = QStringLiteral("evo+");
        FuenteAplicacion = QFont(QStringLiteral("Segoe UI"), 8);
        ColorDialogoAspecto = QColor(234, 234, 255);
        TForm forma;
        auto* etiqueta = new TLabel(&forma, QStringLiteral("Nombre"));
        etiqueta->setObjectName(QStringLiteral("Label1"));
        etiqueta->AssignFont(QFont(QStringLiteral("MS Sans Serif"), 10));
        auto* pequena = new TLabel(&forma, QStringLiteral("Pie"));
        pequena->setObjectName(QStringLiteral("Label2"));
        pequena->AssignFont(QFont(QStringLiteral("Arial"), 9));
        auto* roja = new TPanel(&forma);
        roja->setObjectName(QStringLiteral("PanelRojo"));
        roja->setColor(clRed);
        auto* panel = new TPanel(&forma);
        panel->setObjectName(QStringLiteral("Panel1"));
        panel->setColor(clBtnFace);
        auto* edit = new TEdit(&forma);
        edit->setObjectName(QStringLiteral("Edit1"));
        auto* barra = new TStatusBar(&forma);
        barra->setObjectName(QStringLiteral("StatusBar1"));
        barra->setSimplePanel(true);
        barra->setSimpleText(QStringLiteral("Listo"));
        AplicarAspecto(nullptr, &forma);
        QCOMPARE(etiqueta->Font().pointSize(), 10);
        QCOMPARE(etiqueta->Font().family(), FontFamily(FuenteAplicacion.family()));
        QCOMPARE(pequena->Font().pointSize(), 8);
        QCOMPARE(roja->Color(), int(clRed));
        QCOMPARE(panel->Color(), ColorFromQt(ColorDialogoAspecto));
        QCOMPARE(forma.Color(), ColorFromQt(ColorDialogoAspecto));
        QVERIFY(edit->Color() != ColorFromQt(ColorDialogoAspecto));
        QVERIFY(!barra->SimplePanel());
        QCOMPARE(barra->PanelCount(), 1);
        QCOMPARE(barra->Panels(0).Text, QStringLiteral("Listo"));

        // Any other look leaves the colours alone.
        AspectoAplicacion = QStringLiteral("clasico");
        TForm otra;
        auto* gris = new TPanel(&otra);
        gris->setObjectName(QStringLiteral("Panel1"));
        gris->setColor(clBtnFace);
        AplicarAspecto(nullptr, &otra);
        QCOMPARE(gris->Color(), int(clBtnFace));
    }

    void barraDeEstado() {
        TStatusBar barra;
        MensajeBarraEstado(nullptr, &barra, QStringLiteral("Uno|Dos|"), QString());
        QCOMPARE(barra.PanelCount(), 2);
        QCOMPARE(barra.Panels(1).Text, QStringLiteral("Dos"));
        QCOMPARE(barra.Panels(0).Width, barra.TextWidth(QStringLiteral("Uno")) + 10);
        MensajeBarraEstado(nullptr, &barra, QString(), QString());
        QCOMPARE(barra.PanelCount(), 1);
        QCOMPARE(barra.Panels(0).Text, QString());
        barra.setSimplePanel(true);
        MensajeBarraEstado(nullptr, &barra, QStringLiteral("Buscando"), QString());
        QCOMPARE(barra.SimpleText(), QStringLiteral("Buscando"));
        QCOMPARE(barra.PanelCount(), 0);
    }

    void tamanosDeFormulario() {
        TForm principal;
        principal.setFormStyle(fsMDIForm);
        SetMainForm(&principal);
        principal.resize(1280, 1024);
        TForm forma;
        AjustarTamanoFormulario(nullptr, &forma, QString());
        QCOMPARE(QSize(forma.Width(), forma.Height()), QSize(969, 609));
        principal.resize(800, 600);
        AjustarTamanoFormulario(nullptr, &forma, QString());
        QCOMPARE(QSize(forma.Width(), forma.Height()), QSize(760, 520));
        // "Design" lowers only a form with a menu.
        AjustarTamanoFormulario(nullptr, &forma, QStringLiteral("Design"));
        QCOMPARE(forma.Height(), 520);
        auto* menu = new TMainMenu(&forma);
        forma.setMenu(menu);
        const int alto = forma.Height();
        AjustarTamanoFormulario(nullptr, &forma, QStringLiteral("Design"));
        QCOMPARE(forma.Height(), alto + 20);
        SetMainForm(nullptr);
    }

    void sinIdiomaNoSeTraduce() {
        IdiomaActual.clear();
        TForm forma;
        forma.setCaption(QStringLiteral("&Personal"));
        auto* boton = new TButton(&forma, QStringLiteral("&Aceptar"));
        boton->setObjectName(QStringLiteral("pbAceptar"));
        TraducirFormulario(nullptr, &forma, QString());
        QCOMPARE(forma.Caption(), QStringLiteral("&Personal"));
        QCOMPARE(boton->Caption(), QStringLiteral("&Aceptar"));
    }

    void cambioDeEmpresa() {
        TForm principal;
        principal.setName(QStringLiteral("fRRHHMENU"));
        principal.setFormStyle(fsMDIForm);
        SetMainForm(&principal);
        principal.show();
        QPointer<TForm> personal = ventana(QStringLiteral("fRRHHPERS"), &principal);
        QPointer<TForm> busqueda = ventana(QStringLiteral("fGENEBUSQ"), &principal);
        QPointer<TForm> consulta = ventana(QStringLiteral("fGENEUSQL_1"), &principal);
        QPointer<TForm> sentencias = ventana(QStringLiteral("fGENECSQL"), &principal);
        CerrarFormulariosEmpresa(nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!personal);
        QVERIFY(busqueda);
        QVERIFY(!consulta);
        QVERIFY(!sentencias);
        QVERIFY(!ModuloDatos);
        delete busqueda;
        SetMainForm(nullptr);
    }

    // The framework windows that read or write the company's tables close at a
    // company change, after their unconfirmed record is asked about as at exit
    // (answered "NO": it is stored); a record that cannot be stored keeps the
    // window and the company. Windows with no company data stay.
    void ventanasDeDatosDeEmpresa_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<bool>("cerrada");
        QTest::addColumn<bool>("moduloDatos");  // edits a data module's dataset
        QTest::addColumn<bool>("rechaza");      // the record's post fails
        QTest::newRow("documentación electrónica") << "fGENEDOCE" << true << false << false;
        QTest::newRow("grupos de análisis") << "fGENEGANA" << true << false << false;
        QTest::newRow("grupos: grabación rechazada") << "fGENEGANA" << false << false << true;
        QTest::newRow("parámetros de la empresa") << "fGENEPARA" << true << true << false;
        QTest::newRow("parámetros: grabación rechazada") << "fGENEPARA" << false << true << true;
        QTest::newRow("diseñador de listados") << "fGENECPRO" << true << false << false;
        QTest::newRow("presentación preliminar") << "fGENEPREV" << true << false << false;
        QTest::newRow("vista de impresión") << "fGENELIMP" << true << false << false;
        QTest::newRow("calculadora") << "fGENECALC" << false << false << false;
        QTest::newRow("ayuda") << "fGENEAYUD" << false << false << false;
    }
    void ventanasDeDatosDeEmpresa() {
        QFETCH(QString, nombre);
        QFETCH(bool, cerrada);
        QFETCH(bool, moduloDatos);
        QFETCH(bool, rechaza);
        TForm principal;
        principal.setName(QStringLiteral("fRRHHMENU"));
        principal.setFormStyle(fsMDIForm);
        SetMainForm(&principal);
        principal.show();
        QPointer<TForm> forma = ventana(nombre, &principal);
        forma->OnCloseQuery = [](QObject* Sender, bool& CanClose) {
            ComprobarEdicionPendiente(nullptr, Sender, CanClose);
        };
        QObject modulo;  // stands for a data module: no form owns its datasets
        auto* datos = new TClientDataSet(moduloDatos ? static_cast<QObject*>(&modulo)
                                                     : static_cast<QObject*>(forma.data()));
        datos->setObjectName(QStringLiteral("Tabla"));
        datos->FieldDefs() << TFieldDef{QStringLiteral("Codigo"), ftString, 10, false};
        datos->CreateDataSet();
        bool grabado = false;
        if (rechaza) datos->BeforePost = [](TDataSet*) { throw std::runtime_error("rechazada"); };
        datos->AfterPost = [&grabado](TDataSet*) { grabado = true; };
        forma->setProperty("EditaModuloDatos", moduloDatos);
        auto* fuente = new TDataSource(forma);
        fuente->setObjectName(QStringLiteral("DataSource1"));
        fuente->setDataSet(datos);
        datos->Append();
        datos->FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("G1"));
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("NO"));
        const bool cambiada = CerrarFormulariosEmpresa(nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const int preguntas = int(MessageSeam::log().size());
        while (MessageSeam::pending() > 0) {
            QString resto;
            MessageSeam::take(resto);
        }
        QCOMPARE(cambiada, !rechaza);
        QCOMPARE(!forma, cerrada);
        // Asked once where the window closes or refuses; stored, not dropped.
        QCOMPARE(preguntas, cerrada || rechaza ? 1 : 0);
        QCOMPARE(grabado, cerrada);
        if (forma) delete forma;
        SetMainForm(nullptr);
    }

    // A saved query already open is closed before it opens anew.
    void consultaAbiertaDeNuevo() {
        RegisterFormClass<TfCONSULTA>(QStringLiteral("TfGENEUSQL"));
        TForm principal;
        principal.setFormStyle(fsMDIForm);
        SetMainForm(&principal);
        principal.show();
        TMainMenu menu(&principal);
        auto* adicional =
            new TMenuItem(menu.Items(), QStringLiteral("Adicional1"), QStringLiteral("A&dicional"));
        auto* item =
            new TMenuItem(adicional, QStringLiteral("Consulta1"), QStringLiteral("&Bajas del mes"));
        AbrirConsultaMenu(nullptr, item);
        QCOMPARE(consultasAbiertas, QStringList{"Bajas del mes"});
        QCOMPARE(principal.MDIChildCount(), 1);
        QPointer<TForm> primera = principal.MDIChildren(0);
        AbrirConsultaMenu(nullptr, item);
        for (int i = 0; i < 2; ++i)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!primera);
        QCOMPARE(principal.MDIChildCount(), 1);
        QCOMPARE(consultasAbiertas.size(), 2);
        SetMainForm(nullptr);
    }

    // F8 in administrator mode: the control the main window's caption names
    // (its hint) goes into the hidden list; a grid whole or by its column.
    void controlesAgregadosConF8() {
        ModoAdministradorActivado = true;
        ListaControlesNoVisibles.clear();
        TForm principal;
        principal.setFormStyle(fsMDIForm);
        SetMainForm(&principal);
        TForm forma;
        forma.setName(QStringLiteral("fPERS"));
        auto* edit = new TEdit(&forma);
        edit->setObjectName(QStringLiteral("Edit1"));
        auto* ds = new TClientDataSet(&forma);
        ds->setObjectName(QStringLiteral("Tabla"));
        ds->FieldDefs() << TFieldDef{QStringLiteral("Nombre"), ftString, 10, false};
        ds->CreateDataSet();
        auto* rejilla = new TDBGrid(&forma);
        rejilla->setObjectName(QStringLiteral("DBGrid1"));
        IdentificarControlesEnHint(nullptr, &forma);
        QCOMPARE(edit->Hint(), QStringLiteral("fPERS.Edit1"));

        auto f8 = [&forma](const QString& hint) {
            MostrarHintEnTitulo(nullptr, hint);
            int tecla = VK_F8;
            TeclaPulsadaFormulario(nullptr, &forma, tecla, 0);
        };
        f8(QStringLiteral("fPERS.Edit1"));
        // Without a data source the column cannot be named.
        MessageSeam::enqueue(QStringLiteral("NO"));
        f8(QStringLiteral("fPERS.DBGrid1"));
        QCOMPARE(MessageSeam::log().last().text,
                 QStringLiteral("¡No ha sido agregada la columna a la lista de controles!. Intente "
                                "activar los datos asociados a la rejilla."));
        TDataSource fuente;
        fuente.setDataSet(ds);
        rejilla->setDataSource(&fuente);
        MessageSeam::enqueue(QStringLiteral("NO"));
        f8(QStringLiteral("fPERS.DBGrid1"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        f8(QStringLiteral("fPERS.DBGrid1"));
        QCOMPARE(ListaControlesNoVisibles,
                 (QStringList{"fPERS.DBGrid1", "fPERS.DBGrid1.TablaNombre", "fPERS.Edit1"}));
        ModoAdministradorActivado = false;
        SetMainForm(nullptr);
    }

    void celdasMemo() {
        TClientDataSet ds;
        ds.FieldDefs() << TFieldDef{QStringLiteral("Notas"), ftMemo, 0, false};
        ds.CreateDataSet();
        ds.Append();
        ds.FieldByName(QStringLiteral("Notas"))->setAsString(QStringLiteral("texto"));
        ds.Post();
        TDataSource fuente;
        fuente.setDataSet(&ds);
        TDBGrid rejilla;
        rejilla.setDataSource(&fuente);
        auto rojos = [&rejilla]() {
            QImage lienzo(60, 20, QImage::Format_RGB32);
            lienzo.fill(Qt::white);
            QPainter p(&lienzo);
            DibujarCeldaMemo(nullptr, &rejilla, &p, QRect(0, 0, 60, 20), 0);
            p.end();
            int n = 0;
            for (int y = 0; y < lienzo.height(); ++y)
                for (int x = 0; x < lienzo.width(); ++x)
                    if (lienzo.pixelColor(x, y) == QColor(Qt::red)) ++n;
            return n;
        };
        QVERIFY(rojos() > 0);
        ds.Edit();
        ds.FieldByName(QStringLiteral("Notas"))->setAsString(QString());
        ds.Post();
        QCOMPARE(rojos(), 0);
    }

    void refrescoSinTocarEdiciones() {
        TForm forma;
        auto* ds = new TClientDataSet(&forma);
        ds->setObjectName(QStringLiteral("Table1"));
        ds->FieldDefs() << TFieldDef{QStringLiteral("Nombre"), ftString, 10, false};
        ds->CreateDataSet();
        ds->Append();
        ds->FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Ana"));
        RefrescarDatos(nullptr, &forma, QString());
        QCOMPARE(ds->State(), dsInsert);
        QCOMPARE(ds->FieldByName(QStringLiteral("Nombre"))->AsString(), QStringLiteral("Ana"));
        ds->Post();
        RefrescarFormulariosAbiertos(nullptr);
        QCOMPARE(ds->State(), dsBrowse);
        QCOMPARE(ds->RecordCount(), 1);
    }

    // As its window is first shown, a button with neither glyph nor caption
    // gets the glyph its name or hint asks for (one picture per kind), or
    // else the short part of its hint as caption; a button that has either
    // keeps it; an MDI child's buttons wait for the child's own first show.
    void glifosDeBotones() {
        InstalarServiciosFormulario();
        const struct {
            const char* nombre;
            const char* hint;
            const char* clase;  // the kind of glyph; empty: a caption
            const char* titulo;
        } casos[] = {
            {"pbImprimir", "Imprimir el contrato actual directamente", "impresora", ""},
            {"pbListar", "", "impresora", ""},
            {"ImprimirFicha", "Imprimir la ficha actual solicitando diálogo", "dialogo", ""},
            {"CalendarioOperario", "Acceso al Calendario del Operario", "calendario", ""},
            {"pbVerHistoricoEvaluacionesPuesto", "Ver Histórico de Evaluaciones", "historico", ""},
            {"AccesoEvaluacionFormacion", "Acceso a las Evaluaciones del Operario", "evaluacion",
             ""},
            {"pbAutoajustar", "Autoajustar la primera columna al contenido", "ajustar", ""},
            {"pbBusquedaEspecial", "", "buscar", ""},
            {"pbDocumentacionElectronica", "", "documentos", ""},
            {"pbCopiar", "Copiar Cabecera|Copia la cabecera del documento", "", "Copiar Cabecera"},
            {"pbSinHint", "", "", "pbSinHint"},
        };
        TForm principal;
        principal.setFormStyle(fsMDIForm);
        QList<QAbstractButton*> botones;
        for (const auto& c : casos) {
            QAbstractButton* b = botones.size() % 2
                                     ? static_cast<QAbstractButton*>(new TBitBtn(&principal))
                                     : new TSpeedButton(&principal);
            b->setObjectName(QLatin1String(c.nombre));
            b->setToolTip(QString::fromUtf8(c.hint));
            botones << b;
        }
        auto* conTitulo = new TBitBtn(&principal, QStringLiteral("&Listar"));
        conTitulo->setObjectName(QStringLiteral("pbListarConTitulo"));
        auto* conGlifo = new TSpeedButton(&principal);
        conGlifo->setObjectName(QStringLiteral("pbImprimirPropio"));
        const QIcon propio = GlifoConDocumentacion();
        conGlifo->setIcon(propio);
        auto* hijo = new TForm(&principal);
        hijo->setName(QStringLiteral("fHIJO"));
        hijo->setFormStyle(fsMDIChild);
        auto* delHijo = new TSpeedButton(hijo);
        delHijo->setObjectName(QStringLiteral("pbImprimirHijo"));

        principal.Show();
        QHash<QString, qint64> glifos;
        for (int i = 0; i < botones.size(); ++i) {
            QAbstractButton* b = botones.at(i);
            const QString clase = QLatin1String(casos[i].clase);
            if (clase.isEmpty()) {
                QVERIFY(b->icon().isNull());
                QCOMPARE(b->text(), QString::fromUtf8(casos[i].titulo));
                continue;
            }
            QVERIFY2(!b->icon().isNull() && b->text().isEmpty(), casos[i].nombre);
            // The same kind, the same picture; another kind, another one.
            const qint64 clave = b->icon().cacheKey();
            if (glifos.contains(clase))
                QCOMPARE(glifos.value(clase), clave);
            else
                QVERIFY2(!glifos.values().contains(clave), casos[i].nombre);
            glifos.insert(clase, clave);
        }
        QCOMPARE(glifos.value(QStringLiteral("documentos")), GlifoSinDocumentacion().cacheKey());
        QCOMPARE(conTitulo->text(), QStringLiteral("&Listar"));
        QVERIFY(conTitulo->icon().isNull());
        QCOMPARE(conGlifo->icon().cacheKey(), propio.cacheKey());
        QVERIFY(delHijo->icon().isNull());
        hijo->Show();
        QCOMPARE(delHijo->icon().cacheKey(), glifos.value(QStringLiteral("impresora")));
        delete hijo;
    }
};

QTEST_MAIN(TestGeneFormAspecto)
#include "tst_geneform_apariencia.moc"
