// The common preparation of forms on a real installation: tables routed,
// created when missing and opened, the form's own handlers kept, read-only
// tables at "Solo Lectura", attachments deleted with their record in one
// transaction, controls and grid columns hidden per user, the pending-edits
// check on closing, and the menus of saved queries rebuilt without
// duplicates.

#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/database.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/session/genecomp.h"
#include "gene/data/geneconv.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genelog.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/generejilla.h"
#include "gene/data/geneusua.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/form.h"
#include "ui/grids.h"
#include "ui/menus.h"
#include "ui/registry.h"
#include "support/tecladoprueba.h"

namespace {

const QString kGeneral = QStringLiteral("DatabaseGeneral");

QString sql(const QString& sentencia, const QString& selector = QStringLiteral("Database")) {
    QString r;
    EjecutarSQL(nullptr, sentencia, selector, QStringLiteral("Silenciosa"), r);
    return r;
}

void agregarUsuario(const QString& codigo, const QString& configuracion,
                    const QString& soloLectura = QString()) {
    TQuery q;
    q.setDatabaseName(NombreBaseDatosSelector(kGeneral));
    q.SQL().setText(QStringLiteral(
        "INSERT INTO USUARIO (Codigo, Nombre, Categoria, Configuracion, ProgramasSoloLectura, "
        "Empresas) VALUES (:c, :n, 'Normal', :cfg, :sl, '1')"));
    q.Params()[0]->setAsString(codigo);
    q.Params()[1]->setAsString(codigo);
    q.Params()[2]->setAsString(configuracion);
    q.Params()[3]->setAsString(soloLectura);
    q.ExecSQL();
}

QStringList textos() {
    QStringList l;
    for (const auto& e : MessageSeam::log()) l << e.text;
    return l;
}

// A maintenance form as the system builds them: Table1 on TEXTO through
// DataSource1, two edits on two pages.
class TfPRUEBA : public TForm {
    Q_OBJECT
public:
    explicit TfPRUEBA(bool afterPostPropio = false) {
        setName(QStringLiteral("fPRUEBA"));
        setCaption(QStringLiteral("Prueba de Textos"));
        Table1 = new TTable(this);
        Table1->setObjectName(QStringLiteral("Table1"));
        Table1->setTableName(QStringLiteral("TEXTO"));
        if (afterPostPropio) Table1->AfterPost = [this](TDataSet*) { ++grabaciones; };
        DataSource1 = new TDataSource(this);
        DataSource1->setObjectName(QStringLiteral("DataSource1"));
        DataSource1->setDataSet(Table1);
        auto* paginas = new TPageControl(this);
        paginas->setObjectName(QStringLiteral("PageControl1"));
        Hoja1 = new TTabSheet(paginas, QStringLiteral("Uno"));
        Hoja1->setObjectName(QStringLiteral("TabSheet1"));
        Hoja2 = new TTabSheet(paginas, QStringLiteral("Dos"));
        Hoja2->setObjectName(QStringLiteral("TabSheet2"));
        Edit1 = new TEdit(Hoja1);
        Edit1->setObjectName(QStringLiteral("Edit1"));
        Edit2 = new TEdit(Hoja1);
        Edit2->setObjectName(QStringLiteral("Edit2"));
        Edit2->setGeometry(0, 30, 100, 20);
        DBGrid1 = new TDBGrid(Hoja1);
        DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
        DBGrid1->setDataSource(DataSource1);
        for (const char* campo : {"Codigo", "Descripcion", "Tipo"})
            DBGrid1->Columns().Add()->setFieldName(QLatin1String(campo));
    }
    TTable* Table1;
    TDataSource* DataSource1;
    TTabSheet* Hoja1;
    TTabSheet* Hoja2;
    TEdit* Edit1;
    TEdit* Edit2;
    TDBGrid* DBGrid1;
    int grabaciones = 0;
};

// The documentary-responsibility dialog: counts how often it is opened.
int dialogosResponsabilidad = 0;
class TfRESPONSABILIDAD : public TForm {
    Q_OBJECT
public:
    explicit TfRESPONSABILIDAD(QWidget* owner = nullptr) : TForm(owner) {
        ++dialogosResponsabilidad;
    }
};

QString tablasOfrecidas;
void elegirTexto(TfGENEINIC*, const QString&, const QString& Elementos, QString& Seleccion) {
    tablasOfrecidas = Elementos;
    Seleccion = QStringLiteral("TEXTO");
}
QString tablaBuscada;
void buscarPrimero(const QString& NombreTabla, int, const QString&, QVariant& Clave,
                   const QString&) {
    tablaBuscada = NombreTabla;
    Clave = QVariantList{QStringLiteral("A1")};
}
QString textoBuscado;
void buscarTexto(const QString&, int, const QString&, QVariant&, const QString& Valor) {
    textoBuscado = Valor;
}

}  // namespace

class TestGeneForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }
    void init() {
        CodigoUsuarioActual.clear();
        CamposNoVisiblesUsuario.clear();
        ListaControlesNoVisibles.clear();
        ModoAdministradorActivado = false;
        ModoControlesNoVisiblesActivado = false;
        ResponsabilidadDocumentalActivada = false;
        IdiomaActual.clear();
    }

    // A missing table is created from the dictionary and opened; the form's
    // own AfterPost stays; "Solo Lectura" makes its tables read-only.
    void tablasDelFormulario_data() { AddEngineRows(); }
    void tablasDelFormulario() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        agregarUsuario(QStringLiteral("PEPE"), QString(), QStringLiteral("Prueba de Textos"));
        agregarUsuario(QStringLiteral("ANA"), QString());
        {
            TTable texto;
            texto.setDatabaseName(fGENEINIC->Database->DatabaseName());
            texto.setTableName(QStringLiteral("TEXTO"));
            QVERIFY(!texto.Exists());
        }

        CodigoUsuarioActual = QStringLiteral("ANA");
        {
            TfPRUEBA forma(true);
            AbrirTablasFormulario(fGENEINIC, &forma);
            QVERIFY(forma.Table1->Active());
            QVERIFY(!forma.Table1->ReadOnly());
            QVERIFY(forma.Table1->BeforeDelete);
            QVERIFY(forma.OnCloseQuery);
            forma.Table1->Append();
            forma.Table1->FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("A1"));
            forma.Table1->Post();
            QCOMPARE(forma.grabaciones, 1);
            // An open table becomes read-only and stays open on its record.
            FormularioSoloLectura(fGENEINIC, &forma);
            QVERIFY(forma.Table1->ReadOnly());
            QVERIFY(forma.Table1->Active());
            QCOMPARE(forma.Table1->RecordCount(), 1);
        }
        QCOMPARE(sql(QStringLiteral("SELECT Codigo FROM TEXTO")), QStringLiteral("A1"));

        // The common after-post handler where the form has none.
        CodigoUsuarioActual = QStringLiteral("PEPE");
        TfPRUEBA forma;
        AbrirTablasFormulario(fGENEINIC, &forma);
        QVERIFY(forma.Table1->AfterPost);
        QVERIFY(forma.Table1->Active());
        QVERIFY(forma.Table1->ReadOnly());
        QVERIFY(!forma.Table1->CanModify());
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, forma.Table1->Edit());
    }

    // A form with electronic documents keeps the delete and after-scroll
    // handlers it set itself, published or not.
    void manejadoresPropiosConDocumentos() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        agregarUsuario(QStringLiteral("ANA"), QString());
        CodigoUsuarioActual = QStringLiteral("ANA");
        TfPRUEBA forma;
        auto* documentos = new QObject(&forma);
        documentos->setObjectName(QStringLiteral("DocumentacionElectronica1"));
        int borrados = 0, desplazamientos = 0;
        forma.Table1->BeforeDelete = [&](TDataSet*) { ++borrados; };
        forma.Table1->AfterScroll = [&](TDataSet*) { ++desplazamientos; };
        AbrirTablasFormulario(fGENEINIC, &forma);
        forma.Table1->Append();
        forma.Table1->FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("B1"));
        forma.Table1->Post();
        const int antes = desplazamientos;
        forma.Table1->First();
        QVERIFY(desplazamientos > antes);
        forma.Table1->Delete();
        QCOMPARE(borrados, 1);
    }

    // The record's attachments go in the transaction of its own delete: both
    // are done, or neither when the record's delete fails.
    void borradoConAdjuntos_data() { AddEngineRows(); }
    void borradoConAdjuntos() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        TfPRUEBA forma;
        AbrirTablasFormulario(fGENEINIC, &forma);
        for (const char* c : {"A1", "B2"}) {
            forma.Table1->Append();
            forma.Table1->FieldByName(QStringLiteral("Codigo"))->setAsString(QLatin1String(c));
            forma.Table1->Post();
            QCOMPARE(sql(QStringLiteral("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, "
                                        "GrupoAnalisis) VALUES ('TEXTO', '") +
                         QLatin1String(c) + QStringLiteral("', 'DEP1')")),
                     QString());
        }
        QVERIFY(forma.Table1->Locate(QStringLiteral("Codigo"), QStringLiteral("A1"), 0));
        forma.Table1->Delete();
        QVERIFY(!fGENEINIC->Database->InTransaction());
        QCOMPARE(sql(QStringLiteral("SELECT ClaveTabla FROM GRANTAB")), QStringLiteral("B2"));
        QCOMPARE(sql(QStringLiteral("SELECT Codigo FROM TEXTO")), QStringLiteral("B2"));

        // The record vanished behind the form's back: its delete fails and the
        // attachments it took are back at once.
        QVERIFY(forma.Table1->Locate(QStringLiteral("Codigo"), QStringLiteral("B2"), 0));
        QCOMPARE(sql(QStringLiteral("DELETE FROM TEXTO WHERE Codigo = 'B2'")), QString());
        bool fallo = false;
        try {
            forma.Table1->Delete();
        } catch (const EDatabaseError&) {
            fallo = true;
        }
        QVERIFY(fallo);
        QVERIFY(!fGENEINIC->Database->InTransaction());
        QCOMPARE(sql(QStringLiteral("SELECT ClaveTabla FROM GRANTAB")), QStringLiteral("B2"));
        QVERIFY(!forma.Table1->AfterDelete);
        QVERIFY(!forma.Table1->OnDeleteError);
    }

    // After a post the responsibility dialog opens only for a record that has
    // no RESPDOC row, stored with or without the trailing "|"; never for a
    // table of the general database.
    void responsabilidadTrasGrabar_data() { AddEngineRows(); }
    void responsabilidadTrasGrabar() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        RegisterFormClass<TfRESPONSABILIDAD>(QStringLiteral("TfGENERESP"));
        ResponsabilidadDocumentalActivada = true;
        QCOMPARE(sql(QStringLiteral("INSERT INTO CONFRESP (NombreTabla) VALUES ('TEXTO')")),
                 QString());
        TfPRUEBA forma;
        AbrirTablasFormulario(fGENEINIC, &forma);
        auto grabar = [&forma](const QString& codigo) {
            dialogosResponsabilidad = 0;
            forma.Table1->Append();
            forma.Table1->FieldByName(QStringLiteral("Codigo"))->setAsString(codigo);
            forma.Table1->Post();
            return dialogosResponsabilidad;
        };
        QCOMPARE(grabar(QStringLiteral("A1")), 1);
        QCOMPARE(sql(QStringLiteral("INSERT INTO RESPDOC (NombreTabla, ClaveTabla) VALUES "
                                    "('TEXTO', 'B2'), ('TEXTO', 'C3|')")),
                 QString());
        QCOMPARE(grabar(QStringLiteral("B2")), 0);
        QCOMPARE(grabar(QStringLiteral("C3")), 0);

        dialogosResponsabilidad = 0;
        modulo.Usuario->Append();
        modulo.Usuario->FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("LUIS"));
        GrabacionRegistro(fGENEINIC, modulo.Usuario);
        QCOMPARE(dialogosResponsabilidad, 0);
        modulo.Usuario->Cancel();
        ResponsabilidadDocumentalActivada = false;
    }

    // A plain edit without a search table offers one from the dictionary; a
    // binding declined is asked for again, one accepted is kept.
    void tablaDeBusqueda() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        GanchoSeleccionarDeLista = elegirTexto;
        GanchoBuscarConFiltroYValor = buscarPrimero;
        TEdit edit;
        edit.setObjectName(QStringLiteral("EditCodigoTexto"));
        const QStringList preguntas = {
            "No existe una Tabla de Búsqueda asociada al control 'Edit Codigo Texto'. ¿Desea "
            "localizar una tabla adecuada ahora?",
            "¿Desea asociar el control 'Edit Codigo Texto' con la tabla TEXTO de forma "
            "permanente?"};
        for (const char* respuesta : {"NO", "SI"}) {
            MessageSeam::clearLog();
            MessageSeam::enqueue(QStringLiteral("SI"));
            MessageSeam::enqueue(QLatin1String(respuesta));
            edit.setText(QString());
            AsociarTablaBusqueda(fGENEINIC, &edit);
            QCOMPARE(textos(), preguntas);
            QCOMPARE(edit.Text(), QStringLiteral("A1"));
            QCOMPARE(tablaBuscada, QStringLiteral("TEXTO"));
        }
        const QStringList ofrecidas = tablasOfrecidas.split(QStringLiteral("\r\n"));
        QVERIFY(ofrecidas.contains(QStringLiteral("TEXTO")));
        QVERIFY(!ofrecidas.contains(QStringLiteral("USUARIO")));
        // Bound now: straight to the search.
        MessageSeam::clearLog();
        tablaBuscada.clear();
        AsociarTablaBusqueda(fGENEINIC, &edit);
        QCOMPARE(textos(), QStringList());
        QCOMPARE(tablaBuscada, QStringLiteral("TEXTO"));
        GanchoSeleccionarDeLista = nullptr;
        GanchoBuscarConFiltroYValor = nullptr;
    }

    // With a language, the preparation translates captions, hints, grid
    // titles and the first row of string grids; list-only combos show their
    // items translated and keep them stored as they were.
    void traduccionDelFormulario() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        for (const char* par : {"'Personal', 'Staff'", "'Aceptar', 'Accept'", "'Nombre', 'Name'",
                                "'Activo', 'Active'", "'Ayuda', 'Help'"})
            QCOMPARE(sql(QStringLiteral("INSERT INTO TXIDIOMA (Idioma, ClaveTexto, Texto) VALUES "
                                        "('EN', ") +
                             QLatin1String(par) + QLatin1Char(')'),
                         kGeneral),
                     QString());
        IdiomaActual = QStringLiteral("EN");
        TForm forma;
        forma.setCaption(QStringLiteral("Personal"));
        auto* boton = new TButton(&forma, QStringLiteral("&Aceptar"));
        boton->setObjectName(QStringLiteral("pbAceptar"));
        boton->setHint(QStringLiteral("Ayuda"));
        auto* cuadricula = new TStringGrid(&forma);
        cuadricula->setObjectName(QStringLiteral("StringGrid1"));
        cuadricula->setColCount(2);
        cuadricula->setRowCount(2);
        cuadricula->setCells(0, 0, QStringLiteral("Nombre"));
        cuadricula->setCells(0, 1, QStringLiteral("Nombre"));
        auto* rejilla = new TDBGrid(&forma);
        rejilla->setObjectName(QStringLiteral("DBGrid1"));
        rejilla->Columns().Add()->Title()->setCaption(QStringLiteral("Nombre"));
        auto* combo = new TComboBox(&forma);
        combo->setObjectName(QStringLiteral("ComboBox1"));
        combo->setStyle(csDropDownList);
        combo->setItems({QStringLiteral("Activo")});
        PrepararFormulario(fGENEINIC, &forma);
        QCOMPARE(forma.Caption(), QStringLiteral("Staff"));
        QCOMPARE(boton->Caption(), QStringLiteral("Accept"));
        QCOMPARE(boton->Hint(), QStringLiteral("Help"));
        QCOMPARE(cuadricula->Cells(0, 0), QStringLiteral("Name"));
        QCOMPARE(cuadricula->Cells(0, 1), QStringLiteral("Nombre"));
        QCOMPARE(rejilla->Columns()[0]->Title()->Caption(), QStringLiteral("Name"));
        QCOMPARE(combo->Items(), QStringList{"Activo"});
        auto* delegado = qobject_cast<QStyledItemDelegate*>(combo->itemDelegate());
        QVERIFY(delegado);
        QCOMPARE(delegado->displayText(QStringLiteral("Activo"), QLocale()),
                 QStringLiteral("Active"));
        IdiomaActual.clear();
    }

    // Ctrl+T puts the predefined text of the code typed into an edit, or of
    // the keys typed in a grid cell, into the control's field.
    void textoPredefinido() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QCOMPARE(sql(QStringLiteral("INSERT INTO TEXTO (Codigo, Descripcion, Texto, Tipo) "
                                    "VALUES ('ABC', 'Saludo', 'Buenos días', '')")),
                 QString());
        TClientDataSet datos;
        datos.FieldDefs() << TFieldDef{QStringLiteral("Nota"), ftString, 60, false}
                          << TFieldDef{QStringLiteral("Firma"), ftString, 20, false};
        datos.CreateDataSet();
        datos.Append();
        datos.Post();
        TForm forma;
        auto* caja = new QVBoxLayout(&forma);
        auto* edit = new TEdit(&forma);
        edit->setObjectName(QStringLiteral("Edit1"));
        caja->addWidget(edit);
        TDataSource fuente;
        fuente.setDataSet(&datos);
        auto* rejilla = new TDBGrid(&forma);
        rejilla->setObjectName(QStringLiteral("DBGrid1"));
        rejilla->setDataSource(&fuente);
        caja->addWidget(rejilla);
        forma.show();
        QVERIFY(QTest::qWaitForWindowExposed(&forma));
        auto pulsar = [&forma](int tecla, int shift) {
            TeclaPulsadaFormulario(fGENEINIC, &forma, tecla, shift);
        };

        edit->setText(QStringLiteral("ABC"));
        forma.setActiveControl(edit);
        pulsar(VK_CONTROL, ssCtrl);
        pulsar('T', ssCtrl);
        QCOMPARE(edit->Text(), QStringLiteral("Buenos días"));

        forma.setActiveControl(rejilla);
        for (int tecla : {int('A'), int('B'), int('C')}) pulsar(tecla, 0);
        pulsar(VK_CONTROL, ssCtrl);
        pulsar('T', ssCtrl);
        QCOMPARE(datos.State(), dsEdit);
        QCOMPARE(datos.FieldByName(QStringLiteral("Nota"))->AsString(),
                 QStringLiteral("Buenos días"));
        datos.Cancel();

        // The same typed at the keyboard into the grid's cell: the code is
        // the keys typed, once each, and the text stays when the cell is left.
        GanchoBuscarConFiltroYValor = buscarTexto;
        textoBuscado.clear();
        forma.setKeyPreview(true);
        forma.OnKeyDown = [&forma](QObject*, int& Key, TShiftState Shift) {
            TeclaPulsadaFormulario(fGENEINIC, &forma, Key, Shift);
        };
        forma.activateWindow();
        rejilla->setFocus();
        QTRY_VERIFY(rejilla->hasFocus());
        TeclearEnFoco(QStringLiteral("abc"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::ControlModifier);
        GanchoBuscarConFiltroYValor = nullptr;
        QCOMPARE(textoBuscado, QString());
        QCOMPARE(datos.FieldByName(QStringLiteral("Nota"))->AsString(),
                 QStringLiteral("Buenos días"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(rejilla->SelectedIndex(), 1);
        QCOMPARE(datos.FieldByName(QStringLiteral("Nota"))->AsString(),
                 QStringLiteral("Buenos días"));
    }

    // The record's photo shows in the image control it is given.
    void fotoEnControlImagen() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        QTemporaryDir carpeta;
        QImage foto(8, 6, QImage::Format_RGB32);
        foto.fill(Qt::blue);
        const QString archivo = carpeta.filePath(QStringLiteral("foto.png"));
        QVERIFY(foto.save(archivo));
        TImage imagen;
        QVERIFY(GrabarObjetoBLOB(&modulo, QStringLiteral("PERSONAL"), QStringLiteral("7"), &imagen,
                                 archivo));
        QCOMPARE(imagen.Picture().size(), QSize(8, 6));
        imagen.Clear();
        MostrarImagenBLOB(&modulo, QStringLiteral("PERSONAL"), QStringLiteral("7"),
                          QStringLiteral("Foto"), &imagen);
        QVERIFY(!imagen.Empty());
        BorrarCampoControl(&modulo, &imagen);
        QVERIFY(imagen.Empty());
    }

    // The "pbEuro" of the active child decides the view before the main
    // window's menu item, both ways.
    void botonEuroPrimero() {
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        { TModuloDatos crear; }
        sql(QStringLiteral("DELETE FROM PARAGENE"));
        QCOMPARE(sql(QStringLiteral("INSERT INTO PARAGENE (IdRegistro, CodigoMonedaBase, "
                                    "CodigoMonedaEuro, CodigoMonedaNacional) VALUES (1, 1, 2, 1)")),
                 QString());
        sql(QStringLiteral("DELETE FROM MONEDA"));
        QCOMPARE(sql(QStringLiteral("INSERT INTO MONEDA (Codigo, Descripcion, Abreviatura, Cambio, "
                                    "Decimales) VALUES (2, 'Euro', 'EUR', 166.386, 2)")),
                 QString());
        TModuloDatos modulo;
        TClientDataSet datos;
        datos.FieldDefs() << TFieldDef{QStringLiteral("Importe"), ftFloat, 0, false};
        datos.CreateDataSet();
        datos.Append();
        datos.FieldByName(QStringLiteral("Importe"))->setAsFloat(1000);
        datos.Post();
        TField* importe = datos.FieldByName(QStringLiteral("Importe"));
        importe->setTag(1000);
        importe->setDisplayFormat(QStringLiteral("#,###.##"));

        TForm principal;
        principal.setFormStyle(fsMDIForm);
        auto* vista = new TMenuItem(&principal);
        vista->setObjectName(QStringLiteral("VerDatosEnMonedaNacionalOEuro"));
        SetMainForm(&principal);
        principal.show();
        auto* hijo = new TForm(&principal);
        hijo->setName(QStringLiteral("fHIJO"));
        hijo->setFormStyle(fsMDIChild);
        auto* euro = new TSpeedButton(hijo);
        euro->setObjectName(QStringLiteral("pbEuro"));
        euro->setGroupIndex(1);
        hijo->Show();
        QTRY_COMPARE(principal.ActiveMDIChild(), hijo);
        datos.setParent(hijo);
        datos.setObjectName(QStringLiteral("Table1"));
        PrepararFormulario(fGENEINIC, hijo);
        QVERIFY(importe->OnGetText);

        vista->setChecked(true);
        QCOMPARE(importe->DisplayText(), QStringLiteral("1.000"));
        vista->setChecked(false);
        euro->setDown(true);
        QCOMPARE(importe->DisplayText(), QStringLiteral("\u20AC 6,01"));
        datos.setParent(nullptr);
        SetMainForm(nullptr);
    }

    // Controls and grid columns hidden for one user are shown to another and
    // to administrators.
    void controlesOcultosPorUsuario_data() { AddEngineRows(); }
    void controlesOcultosPorUsuario() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        agregarUsuario(QStringLiteral("PEPE"),
                       QStringLiteral("ControlesNoVisibles=fprueba.EDIT2,fPRUEBA.TabSheet2,"
                                      "fPRUEBA.DBGrid1.Table1Descripcion,\r\n"));
        agregarUsuario(QStringLiteral("ANA"), QString());
        sql(
            QStringLiteral("INSERT INTO TEXTO (Codigo, Descripcion, Tipo) VALUES ('A1', "
                           "'Saludo', 'Carta')"));
        ModoControlesNoVisiblesActivado = true;
        // The fields of the columns the user sees in the grid.
        const auto columnas = [](TDBGrid* rejilla) {
            QStringList campos;
            for (int i = 0; i < rejilla->Columns().Count(); ++i)
                if (!rejilla->isColumnHidden(i)) campos << rejilla->Columns()[i]->FieldName();
            return campos;
        };

        CodigoUsuarioActual = QStringLiteral("PEPE");
        {
            TfPRUEBA forma;
            AbrirTablasFormulario(fGENEINIC, &forma);
            QVERIFY(!forma.Edit2->Visible());
            QVERIFY(forma.Edit1->Visible());
            QVERIFY(!forma.Hoja2->TabVisible());
            QCOMPARE(columnas(forma.DBGrid1), (QStringList{"Codigo", "Tipo"}));
            QCOMPARE(ListaControlesNoVisibles, (QStringList{"fPRUEBA.DBGrid1.Table1Descripcion",
                                                            "fprueba.EDIT2", "fPRUEBA.TabSheet2"}));
        }
        CodigoUsuarioActual = QStringLiteral("ANA");
        {
            TfPRUEBA forma;
            AbrirTablasFormulario(fGENEINIC, &forma);
            QVERIFY(forma.Edit2->Visible());
            QVERIFY(forma.Hoja2->TabVisible());
            QCOMPARE(columnas(forma.DBGrid1), (QStringList{"Codigo", "Descripcion", "Tipo"}));
        }
        // An administrator sees everything and names the controls in their hints.
        CodigoUsuarioActual = QStringLiteral("PEPE");
        ModoAdministradorActivado = true;
        TfPRUEBA forma;
        PrepararFormulario(fGENEINIC, &forma);
        QVERIFY(forma.Edit2->Visible());
        QCOMPARE(forma.Edit2->Hint(), QStringLiteral("fPRUEBA.Edit2"));
    }

    // At exit the administrator's list is appended to the users named.
    void listaDeControlesAlSalir_data() { AddEngineRows(); }
    void listaDeControlesAlSalir() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        agregarUsuario(QStringLiteral("PEPE"), QStringLiteral("ControlesNoVisibles=fA.B,\r\n"));
        agregarUsuario(QStringLiteral("ANA"), QString());
        ModoAdministradorActivado = true;
        ListaControlesNoVisibles = QStringList{"fX.Edit1", "fX.Rejilla.TablaNombre"};

        // An empty answer writes nothing.
        MessageSeam::enqueue(QStringLiteral("NO"));
        MessageSeam::enqueue(QString());
        FinalizarSesion(fGENEINIC);
        QString valor;
        LeerConfiguracionUsuario(&modulo, QStringLiteral("ANA"),
                                 QStringLiteral("ControlesNoVisibles"), valor);
        QCOMPARE(valor, QString());

        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("PEPE, ANA,,"));
        // The list shows in the detail viewer, closed here as soon as it shows.
        QString mostrado, titulo;
        QTimer reloj;
        reloj.setInterval(5);
        connect(&reloj, &QTimer::timeout, [&] {
            for (TForm* visor : ApplicationForms()) {
                if (!visor->inherits("TfGENEDETA") || !visor->Modal()) continue;
                QVariant texto;
                LeerPropiedad(visor->FindComponent(QStringLiteral("MemoDetalle")),
                              QStringLiteral("Text"), texto);
                mostrado = texto.toString();
                titulo = visor->Caption();
                reloj.stop();
                visor->setModalResult(mrOk);
            }
        });
        reloj.start();
        FinalizarSesion(fGENEINIC);
        QCOMPARE(titulo, QStringLiteral("Controles No Visibles"));
        QCOMPARE(mostrado, QStringLiteral("fX.Edit1\r\nfX.Rejilla.TablaNombre"));
        QCOMPARE(textos().mid(0, 1), QStringList{"¿Desea ver la Lista de Controles No Visibles?"});
        LeerConfiguracionUsuario(&modulo, QStringLiteral("PEPE"),
                                 QStringLiteral("ControlesNoVisibles"), valor);
        QCOMPARE(valor, QStringLiteral("fA.B,fX.Edit1,fX.Rejilla.TablaNombre,"));
        LeerConfiguracionUsuario(&modulo, QStringLiteral("ANA"),
                                 QStringLiteral("ControlesNoVisibles"), valor);
        QCOMPARE(valor, QStringLiteral("fX.Edit1,fX.Rejilla.TablaNombre,"));
    }

    // Closing with an insert under way: "NO" posts a record whose first field
    // has a text and cancels one whose first field is empty.
    void cierreConInsercionPendiente_data() { AddEngineRows(); }
    void cierreConInsercionPendiente() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        {
            TfPRUEBA forma;
            AbrirTablasFormulario(fGENEINIC, &forma);
            forma.Table1->Append();
            MessageSeam::enqueue(QStringLiteral("NO"));
            forma.Close();
            QCOMPARE(forma.Table1->State(), dsBrowse);
            QCOMPARE(textos(),
                     QStringList{"Hay registros de Prueba de Textos (Table1, )  cuya grabación no "
                                 "ha sido confirmada. ¿Desea cancelar la grabación?"});
        }
        QCOMPARE(sql(QStringLiteral("SELECT COUNT(*) FROM TEXTO")), QStringLiteral("0"));
        TfPRUEBA forma;
        AbrirTablasFormulario(fGENEINIC, &forma);
        forma.Table1->Append();
        forma.Table1->FieldByName(QStringLiteral("Codigo"))->setAsString(QStringLiteral("X"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        forma.Close();
        QCOMPARE(sql(QStringLiteral("SELECT Codigo FROM TEXTO")), QStringLiteral("X"));
    }

    // Saved queries under "Adicional" and reports under "Informes", rebuilt
    // after a company change without duplicates.
    void menusDeConsultas_data() { AddEngineRows(); }
    void menusDeConsultas() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        agregarUsuario(QStringLiteral("PEPE"), QString());
        TForm principal;
        TMainMenu menu(&principal);
        auto* adicional =
            new TMenuItem(menu.Items(), QStringLiteral("Adicional1"), QStringLiteral("A&dicional"));
        new TMenuItem(adicional, QStringLiteral("Calculadora1"), QStringLiteral("Calculadora"));
        auto* informes =
            new TMenuItem(menu.Items(), QStringLiteral("Informes1"), QStringLiteral("&Informes"));
        auto captions = [](TMenuItem* item) {
            QStringList l;
            for (int i = 0; i < item->Count(); ++i) l << item->Items(i)->Caption();
            return l;
        };

        // No saved query: no separator under "Adicional".
        ConfigurarMenusConsultas(fGENEINIC, QStringLiteral("PEPE"), QStringLiteral("KORVAND"),
                                 &menu);
        QCOMPARE(captions(adicional), QStringList{"Calculadora"});
        QCOMPARE(captions(informes),
                 (QStringList{"-", "Configuración de Informes Personalizados"}));

        for (const auto& [tipo, descripcion] :
             {std::pair{"SQL", "Bajas del mes"}, std::pair{"SQL", "Altas del mes"},
              std::pair{"GeneradorInformes", "Plantilla"}})
            QCOMPARE(sql(QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, "
                                        "Instrucciones) VALUES ('") +
                         QLatin1String(tipo) + QStringLiteral("', '") + QLatin1String(descripcion) +
                         QStringLiteral("', 'AplicacionesContenedoras=KORVAND')")),
                     QString());
        for (int vez = 0; vez < 2; ++vez)
            ConfigurarMenusConsultas(fGENEINIC, QStringLiteral("PEPE"), QStringLiteral("KORVAND"),
                                     &menu);
        QCOMPARE(captions(adicional),
                 (QStringList{"Calculadora", "-", "Altas del mes", "Bajas del mes"}));
        QCOMPARE(captions(informes),
                 (QStringList{"-", "Configuración de Informes Personalizados", "-", "Plantilla"}));
        QCOMPARE(adicional->Items(2)->Tag(), 100);
        QVERIFY(adicional->Items(2)->OnClick);
    }
};

QTEST_MAIN(TestGeneForm)
#include "tst_geneform.moc"
