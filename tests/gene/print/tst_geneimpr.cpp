// The print-format editor on a company of its own: new formats, the data
// check, the test print through the engine's preview, import and export of
// the program text, the read-only mode and the opening from a format field.

#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/dialogo_modal.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/print/geneimpr.h"
#include "gene/print/genelimp.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"

namespace {

struct Editor : EmpresaPrueba {
    explicit Editor(Engine e = Engine::Sqlite) : EmpresaPrueba(e) {
        MessageSeam::clearLog();
        AsignarSeamDialogos([this](QObject* d) {
            if (auto* f = qobject_cast<TFileDialog*>(d)) f->FileName = archivo;
            return true;
        });
        f = new TfGENEIMPR;
        f->DoCreate();
    }
    ~Editor() {
        delete f.data();
        AsignarSeamDialogos(nullptr);
    }
    QString campo(const char* c) { return f->Table1->FieldByName(QLatin1String(c))->AsString(); }
    void poner(const char* c, const QString& v) {
        f->Table1->FieldByName(QLatin1String(c))->setAsString(v);
    }
    QTemporaryDir dir;
    QString archivo = dir.filePath(QStringLiteral("formato.txt"));
    QPointer<TfGENEIMPR> f;
};

}  // namespace

class TestGeneImpr : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }

    // A new format's defaults ("Otro" kept), "ASCII" giving "Sin Formato" as
    // the mode is left (the blank code not yet complained of) and on
    // posting, the empty code refused with the record still in insertion.
    void alta() {
        for (Engine e : AvailableEngines()) {
            Editor t(e);
            QCOMPARE(t.f->EditImpresoraPorDefecto->Items().value(0),
                     QStringLiteral("Predeterminada"));
            t.f->IniciarAlta();
            QCOMPARE(QStringList({t.campo("TipoDocumento"), t.campo("Modo"), t.campo("Formato"),
                                  t.campo("ImpresoraPorDefecto")}),
                     QStringList({"Otro", "Grafico", "A4", "Predeterminada"}));
            t.poner("Modo", QStringLiteral("ASCII"));
            t.f->EditModo->OnExit(t.f->EditModo);
            QCOMPARE(t.campo("Formato"), QStringLiteral("Sin Formato"));
            QCOMPARE(TextosMostrados(), QStringList());
            t.poner("Formato", QStringLiteral("A4"));
            t.f->GrabarDatos();
            QCOMPARE(TextosMostrados(),
                     QStringList{"¡No es posible crear registros con el código en blanco!"});
            QCOMPARE(t.f->Table1->State(), dsInsert);
            t.poner("Codigo", QStringLiteral("NUEVO"));
            t.poner("Modo", QStringLiteral("ASCII"));
            t.f->GrabarDatos();
            QCOMPARE(SqlPrueba(QStringLiteral(
                         "SELECT TipoDocumento, Formato FROM IMPRESO WHERE Codigo = 'NUEVO'")),
                     QStringLiteral("Otro|Sin Formato"));
        }
    }

    // A save the engine refuses, by the save button or by F9: the editor's
    // message, no test print, a changed format back as it was and a new one
    // still as typed.
    void grabacionRechazada() {
        for (Engine e : AvailableEngines()) {
            Editor t(e);
            t.f->IniciarAlta();
            t.poner("Codigo", QStringLiteral("R1"));
            t.poner("Descripcion", QStringLiteral("Antes"));
            t.f->Table1->Post();
            struct Caso {
                bool alta, simular;
            };
            for (const Caso c :
                 {Caso{false, false}, Caso{false, true}, Caso{true, false}, Caso{true, true}}) {
                if (c.alta) {
                    BloquearAlta(e, QStringLiteral("IMPRESO"));
                    t.f->IniciarAlta();
                    t.poner("Codigo", QStringLiteral("R2"));
                } else {
                    BloquearModificacion(e, QStringLiteral("IMPRESO"));
                    t.f->Table1->Edit();
                    t.poner("Descripcion", QStringLiteral("Después"));
                }
                MessageSeam::clearLog();
                CodigoImpreso.clear();
                if (c.simular) {
                    int tecla = VK_F9;
                    t.f->FormKeyDown(t.f, tecla, 0);
                } else {
                    t.f->GrabarDatos();
                }
                QCOMPARE(TextosMostrados(),
                         QStringList{"¡Imposible modificar el registro!. Es posible que esté "
                                     "siendo modificado por otro usuario."});
                QCOMPARE(CodigoImpreso, QString());
                if (c.alta) {
                    QCOMPARE(t.f->Table1->State(), dsInsert);
                    QCOMPARE(t.campo("Codigo"), QStringLiteral("R2"));
                    t.f->Table1->Cancel();
                    QuitarBloqueoAlta(e, QStringLiteral("IMPRESO"));
                } else {
                    QCOMPARE(t.f->Table1->State(), dsBrowse);
                    QCOMPARE(t.campo("Descripcion"), QStringLiteral("Antes"));
                    QuitarBloqueoModificacion(e, QStringLiteral("IMPRESO"));
                }
            }
            QCOMPARE(SqlPrueba(QStringLiteral("SELECT Codigo, Descripcion FROM IMPRESO WHERE "
                                              "Codigo LIKE 'R%'")),
                     QStringLiteral("R1|Antes"));
        }
    }

    // F9 on a new format saves it (no other record is started) and
    // previews the format's fixed texts.
    void simular() {
        Editor t;
        t.f->IniciarAlta();
        t.poner("Codigo", QStringLiteral("PRUEBA"));
        t.poner("Instrucciones", QStringLiteral("[CABECERA]\r\nText=0;0;0;Texto de prueba\r\n"));
        int paginas = -1;
        QString codigo;
        AlMostrarse<TfGENELIMP>([&](TfGENELIMP* v) {
            paginas = int(v->Paginas.size());
            codigo = CodigoImpreso;
            v->Close();
        });
        int tecla = VK_F9;
        t.f->FormKeyDown(t.f, tecla, 0);
        QCOMPARE(paginas, 1);
        QCOMPARE(codigo, QStringLiteral("PRUEBA"));
        QCOMPARE(t.f->Table1->State(), dsBrowse);
        QCOMPARE(t.campo("Codigo"), QStringLiteral("PRUEBA"));
        QCOMPARE(SqlPrueba(QStringLiteral("SELECT COUNT(*) FROM IMPRESO WHERE Codigo = 'PRUEBA'")),
                 QStringLiteral("1"));
    }

    // Export and import keep accents; an unreadable file changes nothing.
    void importarExportar() {
        Editor t;
        t.f->IniciarAlta();
        t.poner("Codigo", QStringLiteral("EXP"));
        const QString programa = QStringLiteral("[CABECERA]\r\nText=0;0;0;Año y cláusula\r\n");
        t.poner("Instrucciones", programa);
        t.f->Table1->Post();
        t.f->pbExportarClick(nullptr);
        QFile f(t.archivo);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), programa);
        f.close();
        t.f->Table1->Edit();
        t.poner("Instrucciones", QString());
        t.f->Table1->Post();
        t.f->pbImportarClick(nullptr);
        QCOMPARE(t.campo("Instrucciones"), programa);
        t.f->Table1->Post();
        t.archivo = t.dir.filePath(QStringLiteral("no-existe.txt"));
        t.f->pbImportarClick(nullptr);
        QCOMPARE(t.f->Table1->State(), dsBrowse);
        QCOMPARE(t.campo("Instrucciones"), programa);
        QCOMPARE(TextosMostrados().size(), 1);
    }

    // "Importar" takes a text in UTF-8 or Windows-1252 ("€", curly quotes);
    // binary junk, control characters, a file over 1 MB, a device or a
    // folder are refused with a message and the stored program stays.
    void importar_data() {
        QTest::addColumn<QByteArray>("contenido");
        QTest::addColumn<QString>("ruta");
        QTest::addColumn<QString>("programa");
        QTest::addColumn<QString>("mensaje");
        const QString control = QStringLiteral(
            "¡El archivo %1 no es un archivo de texto: contiene caracteres de control!");
        const QString noTexto = QStringLiteral("¡El archivo %1 no es un archivo de texto!");
        QTest::newRow("windows-1252")
            << QByteArray(
                   "Text=0;0;0;\x80 \x93"
                   "cita\x94\r\n")
            << QString() << QStringLiteral("Text=0;0;0;€ “cita”\r\n") << QString();
        QTest::newRow("utf-8") << QStringLiteral("Text=0;0;0;Año\tcláusula\r\n").toUtf8()
                               << QString() << QStringLiteral("Text=0;0;0;Año\tcláusula\r\n")
                               << QString();
        QTest::newRow("nul") << QByteArray("Text=0;0;0;A\0B\r\n", 16) << QString()
                             << QStringLiteral("ANTES") << control;
        QTest::newRow("control") << QByteArray("Text=0;0;0;\x01\x02\r\n") << QString()
                                 << QStringLiteral("ANTES") << control;
        QTest::newRow("mayor de 1 MB")
            << QByteArray(1024 * 1024 + 1, 'a') << QString() << QStringLiteral("ANTES")
            << QStringLiteral(
                   "¡El archivo %1 es demasiado grande para ser un impreso (más de 1 MB)!");
        QTest::newRow("dispositivo")
            << QByteArray() << QStringLiteral("/dev/zero") << QStringLiteral("ANTES") << noTexto;
        QTest::newRow("carpeta") << QByteArray() << QStringLiteral(".") << QStringLiteral("ANTES")
                                 << noTexto;
    }
    void importar() {
        QFETCH(QByteArray, contenido);
        QFETCH(QString, ruta);
        QFETCH(QString, programa);
        QFETCH(QString, mensaje);
        Editor t;
        t.f->IniciarAlta();
        t.poner("Codigo", QStringLiteral("IMP"));
        t.poner("Instrucciones", QStringLiteral("ANTES"));
        t.f->Table1->Post();
        if (ruta == QLatin1String("."))
            t.archivo = t.dir.path();
        else if (!ruta.isEmpty())
            t.archivo = ruta;
        else {
            QFile f(t.archivo);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contenido);
        }
        MessageSeam::clearLog();
        t.f->pbImportarClick(nullptr);
        QCOMPARE(TextosMostrados(),
                 mensaje.isEmpty() ? QStringList() : QStringList{mensaje.arg(t.archivo)});
        QCOMPARE(t.campo("Instrucciones"), programa);
        if (!mensaje.isEmpty()) QCOMPARE(t.f->Table1->State(), dsBrowse);
    }

    // The editor's keys are its own: Esc stops no listing, Ctrl+I clears no
    // field, Enter moves on except in the program; and its saves write the
    // record again without the common after-post step (no user-fields window).
    void teclasYGrabacion_data() {
        QTest::addColumn<int>("tecla");
        QTest::addColumn<int>("mayusculas");
        QTest::addColumn<bool>("enPrograma");
        QTest::addColumn<int>("teclaFinal");
        QTest::newRow("Esc") << int(VK_ESCAPE) << 0 << false << int(VK_ESCAPE);
        QTest::newRow("Ctrl+I") << int('I') << int(ssCtrl) << false << int('I');
        QTest::newRow("Intro") << int(VK_RETURN) << 0 << false << int(VK_TAB);
        QTest::newRow("Intro en el programa") << int(VK_RETURN) << 0 << true << int(VK_RETURN);
    }
    void teclasYGrabacion() {
        QFETCH(int, tecla);
        QFETCH(int, mayusculas);
        QFETCH(bool, enPrograma);
        QFETCH(int, teclaFinal);
        Editor t;
        TTable* p = ModuloDatos->ParamGenerales;
        p->Edit();
        p->FieldByName(QStringLiteral("SolicitarCamposUsuario"))->setAsString(QStringLiteral("SI"));
        p->Post();
        static int visores;
        visores = 0;
        const TGanchoVisorRegistro anterior = GanchoVisorCamposUsuario;
        GanchoVisorCamposUsuario = [](TfGENEINIC*, TDataSet*) { ++visores; };
        t.f->IniciarAlta();
        t.poner("Codigo", QStringLiteral("TECLAS"));
        t.poner("Descripcion", QStringLiteral("Descrita"));
        t.f->setActiveControl(enPrograma ? static_cast<QWidget*>(t.f->EditInstrucciones)
                                         : static_cast<QWidget*>(t.f->EditDescripcion));
        ListadoCancelado = false;
        int k = tecla;
        t.f->FormKeyDown(t.f, k, mayusculas);
        QCOMPARE(k, teclaFinal);
        QVERIFY(!ListadoCancelado);
        QCOMPARE(t.campo("Descripcion"), QStringLiteral("Descrita"));
        t.f->Table1->Post();
        GanchoVisorCamposUsuario = anterior;
        QCOMPARE(visores, 0);
        QCOMPARE(
            SqlPrueba(QStringLiteral("SELECT Descripcion FROM IMPRESO WHERE Codigo = 'TECLAS'")),
            QStringLiteral("Descrita"));
    }

    // A user denied "Modificar Impresos" gets the formats read-only.
    void soloLectura() {
        Editor t;
        delete t.f.data();
        TQuery q;
        q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("DatabaseGeneral")));
        q.SQL().setText(QStringLiteral(
            "INSERT INTO USUARIO (Codigo, Nombre, Categoria, Configuracion, Empresas) VALUES "
            "('ANA', 'ANA', 'Normal', :cfg, '1')"));
        q.Params()[0]->setAsString(QStringLiteral("ProcesosNoAutorizados=Modificar Impresos\r\n"));
        q.ExecSQL();
        CodigoUsuarioActual = QStringLiteral("ANA");
        t.f = new TfGENEIMPR;
        t.f->DoCreate();
        QVERIFY(t.f->Table1->ReadOnly());
        QVERIFY(!t.f->Table1->CanModify());
    }

    // Ctrl+P in a format look-up box opens the editor on that format (the
    // box's key, not the description it shows); an unknown code leaves the
    // table on its first record.
    void ctrlP() {
        Editor t;
        for (const char* c : {"A1", "B2"}) {
            t.f->IniciarAlta();
            t.poner("Codigo", QLatin1String(c));
            t.poner("Descripcion", QStringLiteral("Formato ") + QLatin1String(c));
            t.f->Table1->Post();
        }
        delete t.f.data();
        TForm duenio;
        auto* caja = new TDBLookupComboBox(&duenio);
        caja->setObjectName(QStringLiteral("EditFormatoImpreso"));
        duenio.setActiveControl(caja);
        struct Caso {
            const char* clave;
            const char* visto;
        };
        for (const Caso& c : {Caso{"A1", "A1"}, Caso{"ZZ", "A1"}}) {
            caja->setKeyValue(QLatin1String(c.clave));
            QString visto, modo;
            AlMostrarse<TfGENEIMPR>([&](TfGENEIMPR* d) {
                visto = d->CodigoActual();
                modo = ModoImpresos;
                d->Close();
            });
            int tecla = 'P';
            TeclaPulsadaFormulario(fGENEINIC, &duenio, tecla, ssCtrl);
            QCOMPARE(visto, QLatin1String(c.visto));
            QCOMPARE(modo, QStringLiteral("Contexto"));
            QCOMPARE(ModoImpresos, QString());
        }
    }
};

QTEST_MAIN(TestGeneImpr)
#include "tst_geneimpr.moc"
