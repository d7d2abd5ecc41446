// The master-form template on work tables of a real installation: the
// "&Ficha" menu and the buttons as the user finds them, the switch between
// browsing and editing, navigation at both ends, the key checks of both
// variants (ranges, existing codes), confirming row after row, a failed
// post of a new record, duplication with Ctrl+F5, deleting with the
// record's attachments, Ctrl+Delete in the grid and a read-only user.

#include <QVBoxLayout>
#include <QtTest>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/registros_prueba.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/genemaes_rejilla.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/sqlprueba.h"
#include "support/tecladoprueba.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"

namespace {

QStringList textos() {
    QStringList l;
    for (const auto& e : MessageSeam::log()) l << e.text;
    MessageSeam::clearLog();
    return l;
}

// The translation of a record another user deleted.
const QString kYaNoDisponible = QStringLiteral(
    "¡Este registro ya no está disponible en la vista actual!. Para ver la nueva situación vuelva "
    "a seleccionar o filtrar los datos que desee.");

// MAQPRU (small-integer key) for the grid form, FICPRU (integer key) for
// the record form.
void crearTablas() {
    CrearTablaPrueba(QStringLiteral("MAQPRU"),
                     {{QStringLiteral("Codigo"), ftSmallint, 0, true},
                      {QStringLiteral("Descripcion"), ftString, 30, false}},
                     {QStringLiteral("Codigo")});
    CrearTablaPrueba(QStringLiteral("FICPRU"),
                     {{QStringLiteral("Codigo"), ftInteger, 0, true},
                      {QStringLiteral("Nombre"), ftString, 30, false}},
                     {QStringLiteral("Codigo")});
    CrearTablaPrueba(QStringLiteral("LINPRU"),
                     {{QStringLiteral("Codigo"), ftInteger, 0, true},
                      {QStringLiteral("Linea"), ftSmallint, 0, true},
                      {QStringLiteral("Texto"), ftString, 20, false}},
                     {QStringLiteral("Codigo"), QStringLiteral("Linea")});
}

class TfREJPRU : public TMaestroRejilla {
public:
    explicit TfREJPRU(bool nomina = false)
        : TMaestroRejilla(nullptr, QStringLiteral("fREJPRU"), QStringLiteral("Rejilla de Prueba"),
                          QStringLiteral("MAQPRU")) {
        if (nomina) UsarMarcoNomina();
        AgregarColumna(QStringLiteral("Codigo"), QStringLiteral("Código"), 48);
        AgregarColumna(QStringLiteral("Descripcion"), QStringLiteral("Descripción"), 263);
    }
    TField* campo(const char* nombre) { return Table1->FieldByName(QLatin1String(nombre)); }
    // Types a key into the first column and leaves it; false when refused.
    bool teclearClave(const QString& clave) {
        DBGrid1->setSelectedIndex(0);
        campo("Codigo")->setText(clave);
        try {
            DBGrid1ColExit(DBGrid1);
        } catch (const EAbort&) {
            return false;
        }
        DBGrid1->setSelectedIndex(1);
        return true;
    }
};

class TfFICPRU : public TMaestroFicha {
public:
    TfFICPRU()
        : TMaestroFicha(nullptr, QStringLiteral("fFICPRU"), QStringLiteral("Ficha de Prueba"),
                        QStringLiteral("FICPRU")) {
        CampoClave = new TDBEdit(this);
        CampoClave->setObjectName(QStringLiteral("EditCodigo"));
        CampoClave->setDataSource(DataSource1);
        CampoClave->setDataField(QStringLiteral("Codigo"));
        AreaDatos->addWidget(CampoClave);
        // Lines under the record's code, as a master with detail lines keeps them.
        Lineas = new TTable(this);
        Lineas->setObjectName(QStringLiteral("Lineas"));
        Lineas->setTableName(QStringLiteral("LINPRU"));
        Lineas->OnNewRecord = [this](TDataSet* d) {
            d->FieldByName(QStringLiteral("Codigo"))->setAsString(CampoClave->Text());
            d->FieldByName(QStringLiteral("Linea"))->setAsInteger(d->RecordCount() + 1);
        };
    }
    TTable* Lineas;
    // A line typed and left pending.
    void teclearLinea(const QString& texto) {
        Lineas->Append();
        Lineas->FieldByName(QStringLiteral("Texto"))->setAsString(texto);
    }
    bool salirClave(const QString& texto) {
        CampoClave->setText(texto);
        try {
            CampoClaveExit(CampoClave);
        } catch (const EAbort&) {
            return false;
        }
        return true;
    }
};

template <class F, class... A>
F* crear(A... args) {
    F* f = new F(args...);
    f->DoCreate();
    return f;
}

QString filas(const QString& tabla) {
    return Sql(QStringLiteral("SELECT Codigo FROM ") + tabla + QStringLiteral(" ORDER BY Codigo"))
        .replace(QStringLiteral("\r\n"), QStringLiteral(","));
}

struct Escenario {
    explicit Escenario(Engine motor) : inst(motor, opciones()) {
        crearTablas();
        MessageSeam::clearLog();
    }
    static OpcionesInstalacion opciones() {
        OpcionesInstalacion o;
        o.empresaActual = 1;
        return o;
    }
    TestInstalacion inst;
    TModuloDatos modulo;
};

}  // namespace

class TestGeneMaes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstalarServiciosFormulario(); }
    void init() { CodigoUsuarioActual.clear(); }

    // The menu, its group, short-cuts and hints; the panel's ten buttons.
    void menuYBotones() {
        Escenario e(Engine::Sqlite);
        std::unique_ptr<TfREJPRU> f(crear<TfREJPRU>());
        QCOMPARE(f->Ficha1->Caption(), QStringLiteral("&Ficha"));
        QCOMPARE(f->Ficha1->GroupIndex(), 3);
        QStringList items;
        for (int i = 0; i < f->Ficha1->Count(); ++i) {
            TMenuItem* m = f->Ficha1->Items(i);
            items << m->objectName() + QLatin1Char('|') + m->Caption() + QLatin1Char('|') +
                         m->ShortCutText() + QLatin1Char('|') + m->Hint();
        }
        QCOMPARE(
            items,
            (QStringList{"IralPaneldeControl1|&Ir al Panel de Control|F3|", "N2|-||",
                         "Agregar|&Agregar|F5|Agregar mas registros",
                         "Eliminar1|&Eliminar|F6|Eliminar el registro actual",
                         "EliminacionMultiple1|Eliminación &Múltiple...||Eliminacion de "
                         "registros seleccionable",
                         "N5|-||", "Buscar|&Buscar Registro...|F11|",
                         "FiltrarRegistros1|&Filtrar Registros...|F12|",
                         "CopiarRegistrosaOtrasEmpresas1|Copiar &Registros a Otras Empresas...||",
                         "N6|-||", "CancelarEdicion1|&Cancelar Edición|Esc|",
                         "ListadoProgramable1|Listado &Programable...||", "N7|-||",
                         "DocumentacionElectronica1|&Documentación Electrónica...||", "N1|-||",
                         "Cerrar1|C&errar||Abandonar esta pantalla"}));
        QStringList botones;
        for (QObject* o : f->PanelNavegador->children())
            if (auto* b = qobject_cast<TBitBtn*>(o))
                botones << b->objectName() + QLatin1Char('|') + b->Hint();
        QCOMPARE(botones,
                 (QStringList{
                     "pbConforme|Aceptar y grabar los datos actuales",
                     "pbCancelar|Cancelar la edicion sin grabar", "pbPrimero|Ir al primer registro",
                     "pbAnterior|Ir al registro anterior", "pbSiguiente|Ir al registro siguiente",
                     "pbUltimo|Ir al ultimo registro", "pbRefrescar|Refrescar todas las tablas",
                     "pbEliminar|Eliminar el registro actual", "pbAgregar|Agregar registros",
                     "pbSalir|Salir"}));
        QCOMPARE(f->Caption(), QStringLiteral("Rejilla de Prueba"));
        QVERIFY(f->DocumentacionElectronica1->isEnabled());
        QVERIFY(f->CopiarRegistrosaOtrasEmpresas1->isVisible());
    }

    // Browsing and editing enable opposite sets; the payroll-side frame
    // also switches pbRefrescar. An empty table: no question on deleting,
    // and the first-record information at once.
    void modosYNavegacion() {
        Escenario e(Engine::Sqlite);
        for (bool nomina : {false, true}) {
            std::unique_ptr<TfREJPRU> f(crear<TfREJPRU>(nomina));
            f->Eliminar1Click(f->Eliminar1);
            f->pbAnteriorClick(f->pbAnterior);
            QCOMPARE(textos(), QStringList{QStringLiteral("Está Vd. en el primer registro")});

            auto estado = [&] {
                QString s;
                for (QWidget* w :
                     {(QWidget*)f->pbConforme, (QWidget*)f->pbCancelar, (QWidget*)f->pbEliminar,
                      (QWidget*)f->pbAgregar, (QWidget*)f->pbRefrescar})
                    s += w->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
                for (TMenuItem* m : {f->CancelarEdicion1, f->Agregar, f->Eliminar1, f->Buscar,
                                     f->Cerrar1, f->DocumentacionElectronica1})
                    s += m->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
                return s;
            };
            QCOMPARE(estado(), QStringLiteral("00111011111"));
            f->AgregarClick(f->Agregar);
            QCOMPARE(estado(),
                     nomina ? QStringLiteral("11000100000") : QStringLiteral("11001100000"));
            f->pbCancelarClick(f->pbCancelar);
            QCOMPARE(estado(), QStringLiteral("00111011111"));
        }
        Sql(QStringLiteral("INSERT INTO MAQPRU (Codigo, Descripcion) VALUES (1, 'a')"));
        Sql(QStringLiteral("INSERT INTO MAQPRU (Codigo, Descripcion) VALUES (2, 'b')"));
        std::unique_ptr<TfREJPRU> f(crear<TfREJPRU>());
        f->pbUltimoClick(f->pbUltimo);
        f->pbSiguienteClick(f->pbSiguiente);
        f->pbAnteriorClick(f->pbAnterior);
        QCOMPARE(textos(), QStringList{QStringLiteral("Está Vd. en el último registro")});
        QCOMPARE(f->campo("Codigo")->AsInteger(), 1);
    }

    // Grid keys: empty drops the row, 0 and 10000 are refused, an existing
    // code moves to its record (or, for masters that refuse, keeps the row),
    // the key is never edited, confirming starts the next row.
    void clavesDeRejilla_data() { AddEngineRows(); }
    void clavesDeRejilla() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        std::unique_ptr<TfREJPRU> f(crear<TfREJPRU>());
        f->AgregarClick(f->Agregar);
        QVERIFY(f->teclearClave(QStringLiteral("5")));
        f->campo("Descripcion")->setText(QStringLiteral("Prensa"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(f->Table1->State(), dsInsert);
        QVERIFY(f->campo("Codigo")->IsNull());
        QCOMPARE(filas(QStringLiteral("MAQPRU")), QStringLiteral("5"));

        QVERIFY(!f->teclearClave(QString()));
        QCOMPARE(f->Table1->State(), dsBrowse);
        for (const char* fuera : {"0", "10000"}) {
            f->AgregarClick(f->Agregar);
            QVERIFY(!f->teclearClave(QLatin1String(fuera)));
            QCOMPARE(f->Table1->State(), dsInsert);
            f->pbCancelarClick(f->pbCancelar);
        }
        QCOMPARE(textos(),
                 QStringList(2, QStringLiteral("¡ El valor debe estar entre 1 y 9999 !")));

        Sql(QStringLiteral("INSERT INTO MAQPRU (Codigo, Descripcion) VALUES (9, 'Torno')"));
        f->Table1->Refresh();
        f->pbPrimeroClick(f->pbPrimero);
        f->AgregarClick(f->Agregar);
        QVERIFY(!f->teclearClave(QStringLiteral("9")));
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ Ya existe el registro !")});
        QCOMPARE(f->Table1->State(), dsBrowse);
        QCOMPARE(f->campo("Descripcion")->AsString(), QStringLiteral("Torno"));

        f->ClaveExistente = TMaestroRejilla::ceRechazar;
        f->AgregarClick(f->Agregar);
        QVERIFY(!f->teclearClave(QStringLiteral("9")));
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ Ya existe el registro !")});
        QCOMPARE(f->Table1->State(), dsInsert);
        QVERIFY(f->teclearClave(QStringLiteral("8")));
        f->pbCancelarClick(f->pbCancelar);

        f->DBGrid1->setSelectedIndex(0);
        QVERIFY_THROWS_EXCEPTION(EAbort, f->Table1->Edit());
        f->DBGrid1->setSelectedIndex(1);
        f->Table1->Edit();
        f->DBGrid1->setSelectedIndex(0);
        QChar tecla('7');
        QVERIFY_THROWS_EXCEPTION(EAbort, f->DBGrid1KeyPress(f->DBGrid1, tecla));
        QVERIFY(tecla.isNull());
        QCOMPARE(textos(),
                 QStringList(2, QStringLiteral("¡ No se puede modificar la clave del registro !")));
        f->pbCancelarClick(f->pbCancelar);
    }

    // A new record whose post fails: the template keeps it for correction
    // and starts nothing over it; the payroll-side frame drops it and starts
    // the next. An edit whose record another user deleted stays as typed,
    // the box giving the master's text and why.
    void grabacionFallida_data() { AddEngineRows(); }
    void grabacionFallida() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        Sql(QStringLiteral("INSERT INTO MAQPRU (Codigo, Descripcion) VALUES (4, 'Sierra')"));
        for (bool nomina : {false, true}) {
            std::unique_ptr<TfREJPRU> f(crear<TfREJPRU>(nomina));
            f->AgregarClick(f->Agregar);
            f->campo("Codigo")->setAsInteger(4);
            f->campo("Descripcion")->setText(QStringLiteral("Otra"));
            f->pbConformeClick(f->pbConforme);
            QCOMPARE(textos(), QStringList{QStringLiteral("¡ Este registro ya existe !")});
            QCOMPARE(f->Table1->State(), dsInsert);
            QCOMPARE(f->campo("Descripcion")->AsString(),
                     nomina ? QString() : QStringLiteral("Otra"));
            f->pbCancelarClick(f->pbCancelar);
            QCOMPARE(Sql(QStringLiteral("SELECT Descripcion FROM MAQPRU")),
                     QStringLiteral("Sierra"));

            // The record vanishes behind the form's back.
            f->DBGrid1->setSelectedIndex(1);
            f->Table1->Edit();
            f->campo("Descripcion")->setText(QStringLiteral("Cambio"));
            Sql(QStringLiteral("DELETE FROM MAQPRU"));
            f->pbConformeClick(f->pbConforme);
            QCOMPARE(textos(),
                     QStringList{(nomina ? QString::fromUtf8(textosmaestro::kImposibleModificar)
                                         : QStringLiteral("¡El registro no ha sido modificado!")) +
                                 QLatin1Char('\n') + kYaNoDisponible});
            // The typing stays; cancelled, the form shows what is stored.
            QCOMPARE(f->Table1->State(), dsEdit);
            QCOMPARE(f->campo("Descripcion")->AsString(), QStringLiteral("Cambio"));
            f->pbCancelarClick(f->pbCancelar);
            QCOMPARE(f->Table1->State(), dsBrowse);
            QVERIFY(f->Table1->IsEmpty());
            Sql(QStringLiteral("INSERT INTO MAQPRU (Codigo, Descripcion) VALUES (4, 'Sierra')"));
        }
    }

    // Ctrl+F5 then "Agregar": the new row copies the current one's values
    // but its key. Deleting asks, takes the attachments along and leaves the
    // others; Ctrl+Delete asks for a line and does nothing while editing.
    void duplicacionYBorrado_data() { AddEngineRows(); }
    void duplicacionYBorrado() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        for (const char* fila : {"1, 'Torno'", "2, 'Fresa'", "3, 'Prensa'"})
            Sql(QStringLiteral("INSERT INTO MAQPRU (Codigo, Descripcion) VALUES (") +
                QLatin1String(fila) + QLatin1Char(')'));
        for (const char* clave : {"1", "2"})
            Sql(QStringLiteral("INSERT INTO GRANTAB (NombreTabla, ClaveTabla, GrupoAnalisis) "
                               "VALUES ('MAQPRU', '") +
                QLatin1String(clave) + QStringLiteral("', 'DEP1')"));
        std::unique_ptr<TfREJPRU> f(crear<TfREJPRU>());
        int tecla = VK_F5;
        f->FormKeyDown(f.get(), tecla, ssCtrl);
        QCOMPARE(f->Agregar->Caption(), QStringLiteral("&Agregar con Duplicación"));
        QVERIFY(f->Table1->Locate(QStringLiteral("Codigo"), 2, 0));
        f->AgregarClick(f->Agregar);
        QVERIFY(f->campo("Codigo")->IsNull());
        QCOMPARE(f->campo("Descripcion")->AsString(), QStringLiteral("Fresa"));
        QVERIFY(f->teclearClave(QStringLiteral("20")));
        f->pbConformeClick(f->pbConforme);
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(Sql(QStringLiteral("SELECT Descripcion FROM MAQPRU WHERE Codigo = 20")),
                 QStringLiteral("Fresa"));

        QVERIFY(f->Table1->Locate(QStringLiteral("Codigo"), 1, 0));
        MessageSeam::enqueue(QStringLiteral("SI"));
        f->Eliminar1Click(f->Eliminar1);
        QCOMPARE(textos(),
                 QStringList{QStringLiteral("¿ Está seguro de querer eliminar el registro ?")});
        QCOMPARE(filas(QStringLiteral("MAQPRU")), QStringLiteral("2,3,20"));
        QCOMPARE(Sql(QStringLiteral("SELECT ClaveTabla FROM GRANTAB")), QStringLiteral("2"));

        // Ctrl+Delete while a row is edited: swallowed, nothing asked.
        f->DBGrid1->setSelectedIndex(1);
        f->Table1->Edit();
        tecla = VK_DELETE;
        f->DBGrid1KeyDown(f->DBGrid1, tecla, ssCtrl);
        QCOMPARE(tecla, 0);
        QVERIFY(textos().isEmpty());
        f->pbCancelarClick(f->pbCancelar);
        MessageSeam::enqueue(QStringLiteral("SI"));
        tecla = VK_DELETE;
        f->DBGrid1KeyDown(f->DBGrid1, tecla, ssCtrl);
        QCOMPARE(textos(),
                 QStringList{QStringLiteral("¿ Está seguro de querer eliminar la linea ?")});
        QCOMPARE(filas(QStringLiteral("MAQPRU")).split(QLatin1Char(',')).size(), 2);

        // The line another clerk deleted meanwhile: the refusal says why.
        f->DBGrid1->setSelectedIndex(1);
        const QString codigo = f->campo("Codigo")->AsString();
        Sql(QStringLiteral("DELETE FROM MAQPRU WHERE Codigo = ") + codigo);
        MessageSeam::enqueue(QStringLiteral("SI"));
        tecla = VK_DELETE;
        f->DBGrid1KeyDown(f->DBGrid1, tecla, ssCtrl);
        QCOMPARE(textos(),
                 (QStringList{QStringLiteral("¿ Está seguro de querer eliminar la linea ?"),
                              QStringLiteral("¡No ha sido posible eliminar la línea!. Motivo: ") +
                                  kYaNoDisponible}));
        QCOMPARE(filas(QStringLiteral("MAQPRU")).split(QLatin1Char(',')).size(), 1);
    }

    // Record form: an integer key of 1..99999999; an existing key is warned
    // about on leaving the edit and refused by the post, which keeps the
    // record for correction (without the lines saved under the refused
    // key); the key edit is open only for a new record; a new record keeps
    // the key its pending lines carry.
    void clavesDeFicha_data() { AddEngineRows(); }
    void clavesDeFicha() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        Sql(QStringLiteral("INSERT INTO FICPRU (Codigo, Nombre) VALUES (10, 'Diez')"));
        std::unique_ptr<TfFICPRU> f(crear<TfFICPRU>());
        QVERIFY(!f->CampoClave->isEnabled());
        f->AgregarClick(f->Agregar);
        QCOMPARE(f->Table1->State(), dsInsert);
        QVERIFY(f->CampoClave->isEnabled());
        QVERIFY(!f->salirClave(QStringLiteral("100000000")));
        QVERIFY(!f->salirClave(QStringLiteral("0")));
        QCOMPARE(textos(),
                 QStringList(2, QStringLiteral("¡ El valor debe estar entre 1 y 99999999 !")));
        QVERIFY(f->salirClave(QStringLiteral("10")));
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ Ya existe el registro !")});
        f->Table1->FieldByName(QStringLiteral("Codigo"))->setAsInteger(10);
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ Este registro ya existe !")});
        QCOMPARE(f->Table1->State(), dsInsert);
        f->Table1->FieldByName(QStringLiteral("Codigo"))->setAsInteger(99999999);
        f->Table1->FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("O'Neill"));
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(f->Table1->State(), dsInsert);
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(Sql(QStringLiteral("SELECT Nombre FROM FICPRU WHERE Codigo = 99999999")),
                 QStringLiteral("O'Neill"));
        QVERIFY(!f->CampoClave->isEnabled());
        QVERIFY(!f->salirClave(QString()));
        QCOMPARE(f->Table1->State(), dsBrowse);

        // An existing key with a line typed: the post refuses the record,
        // dropped or kept for correction, and takes back the line saved
        // under its key.
        for (bool mantener : {false, true}) {
            f->MantenerAltaFallida = mantener;
            f->AgregarClick(f->Agregar);
            f->Table1->FieldByName(QStringLiteral("Codigo"))->setAsInteger(10);
            QVERIFY(f->salirClave(QStringLiteral("10")));
            textos();
            f->teclearLinea(QStringLiteral("Uno"));
            f->pbConformeClick(f->pbConforme);
            QCOMPARE(textos(), QStringList{QStringLiteral("¡ Este registro ya existe !")});
            QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM LINPRU")), QStringLiteral("0"));
            if (!mantener) f->pbCancelarClick(f->pbCancelar);
        }
        QCOMPARE(f->Table1->FieldByName(QStringLiteral("Codigo"))->AsInteger(), 10);
        // Without a pending line the key is corrected; with one it stays the
        // line's key, which the record is saved with.
        f->Table1->FieldByName(QStringLiteral("Codigo"))->setAsInteger(11);
        QVERIFY(f->salirClave(QStringLiteral("11")));
        f->teclearLinea(QStringLiteral("Dos"));
        f->Table1->FieldByName(QStringLiteral("Codigo"))->setAsInteger(12);
        QVERIFY(!f->salirClave(QStringLiteral("12")));
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ No se puede cambiar la clave del "
                                                      "registro: tiene líneas sin grabar con la "
                                                      "clave 11 !")});
        QCOMPARE(f->CampoClave->Text(), QStringLiteral("11"));
        f->Table1->FieldByName(QStringLiteral("Codigo"))->setAsInteger(12);
        f->pbConformeClick(f->pbConforme);
        QCOMPARE(textos(), QStringList{QStringLiteral("¡ No se puede cambiar la clave del "
                                                      "registro: tiene líneas sin grabar con la "
                                                      "clave 11 !")});
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM LINPRU")), QStringLiteral("0"));
        f->pbConformeClick(f->pbConforme);
        f->pbCancelarClick(f->pbCancelar);
        QCOMPARE(Sql(QStringLiteral("SELECT Codigo, Texto FROM LINPRU")), QStringLiteral("11|Dos"));
        QCOMPARE(filas(QStringLiteral("FICPRU")), QStringLiteral("10,11,99999999"));
    }

    // F5 proposes the next code selected, so that what is typed replaces
    // it. After a confirm the next record starts by itself; F5 on it, with
    // nothing typed, starts the next without a word and stores nothing;
    // with a key typed it asks to confirm or cancel first.
    void altaPropuesta_data() { AddEngineRows(); }
    void altaPropuesta() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        Sql(QStringLiteral("INSERT INTO FICPRU (Codigo, Nombre) VALUES (10, 'Diez')"));
        std::unique_ptr<TfFICPRU> f(crear<TfFICPRU>());
        f->ProponerCodigo = true;
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f.get()));
        auto pulsar = [](Qt::Key tecla) { QTest::keyClick(QApplication::focusWidget(), tecla); };
        f->AgregarClick(f->Agregar);
        QTRY_VERIFY(f->CampoClave->hasFocus());
        QCOMPARE(f->CampoClave->selectedText(), QStringLiteral("11"));
        TeclearEnFoco(QStringLiteral("5"));
        QCOMPARE(f->CampoClave->Text(), QStringLiteral("5"));
        pulsar(Qt::Key_Tab);
        QTest::mouseClick(f->pbConforme, Qt::LeftButton);
        QCOMPARE(textos(), QStringList());
        QCOMPARE(FilasEnOtraSesion(QStringLiteral("SELECT Codigo FROM FICPRU ORDER BY Codigo")),
                 (QStringList{"5", "10"}));
        // The next record, begun by the confirm, proposes 11 again.
        QCOMPARE(f->Table1->State(), dsInsert);
        QTRY_VERIFY(f->CampoClave->hasFocus());
        QCOMPARE(f->CampoClave->selectedText(), QStringLiteral("11"));
        pulsar(Qt::Key_F5);
        QCOMPARE(textos(), QStringList());
        QCOMPARE(f->Table1->State(), dsInsert);
        QTRY_VERIFY(f->CampoClave->hasFocus());
        QCOMPARE(f->CampoClave->selectedText(), QStringLiteral("11"));
        QCOMPARE(FilasEnOtraSesion(QStringLiteral("SELECT Codigo FROM FICPRU ORDER BY Codigo")),
                 (QStringList{"5", "10"}));
        // A key typed is a record being typed: F5 does not drop it.
        TeclearEnFoco(QStringLiteral("7"));
        pulsar(Qt::Key_F5);
        QCOMPARE(textos(), QStringList{QString::fromUtf8(textosmaestro::kConfirmeOCancele)});
        QCOMPARE(f->Table1->State(), dsInsert);
        QCOMPARE(f->CampoClave->Text(), QStringLiteral("7"));
        f->pbCancelarClick(f->pbCancelar);
        // The window closed on a new record with only its proposed code, the
        // question answered as its default: nothing stored either.
        f->AgregarClick(f->Agregar);
        QCOMPARE(f->Table1->State(), dsInsert);
        MessageSeam::enqueue(QStringLiteral("NO"));
        QPointer<TfFICPRU> ventana(f.release());
        ventana->Close();
        QTRY_VERIFY(ventana.isNull());
        QCOMPARE(textos().size(), 1);
        QCOMPARE(FilasEnOtraSesion(QStringLiteral("SELECT Codigo FROM FICPRU ORDER BY Codigo")),
                 (QStringList{"5", "10"}));
        // A line typed under such a record: both are kept, the record with
        // its proposed code.
        ventana = crear<TfFICPRU>();
        ventana->ProponerCodigo = true;
        ventana->AgregarClick(ventana->Agregar);
        ventana->teclearLinea(QStringLiteral("Uno"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        ventana->Close();
        QTRY_VERIFY(ventana.isNull());
        QCOMPARE(FilasEnOtraSesion(QStringLiteral("SELECT Codigo FROM FICPRU ORDER BY Codigo")),
                 (QStringList{"5", "10", "11"}));
        QCOMPARE(FilasEnOtraSesion(QStringLiteral("SELECT Codigo, Texto FROM LINPRU")),
                 QStringList{QStringLiteral("11|Uno")});
    }

    // A user whose access to the form is "Solo Lectura" cannot change it,
    // and is offered no way to: neither "Agregar" nor "Eliminar" (button,
    // menu, F5, F6) nor Ctrl+Delete in the grid asks anything or touches a
    // row.
    void soloLectura_data() { AddEngineRows(); }
    void soloLectura() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        CrearUsuarioPrueba(QStringLiteral("PEPE"), QStringLiteral("Normal"), QStringLiteral("1"),
                           QStringLiteral("Rejilla de Prueba"));
        const ComoUsuario pepe(QStringLiteral("PEPE"));
        Sql(QStringLiteral("INSERT INTO MAQPRU (Codigo, Descripcion) VALUES (1, 'Torno')"));
        std::unique_ptr<TfREJPRU> f(crear<TfREJPRU>());
        QVERIFY(f->Table1->ReadOnly());
        for (QWidget* w :
             {static_cast<QWidget*>(f->pbEliminar), static_cast<QWidget*>(f->pbAgregar)})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        for (TMenuItem* m : {f->Eliminar1, f->Agregar, f->EliminacionMultiple1})
            QVERIFY2(!m->isEnabled(), qPrintable(m->objectName()));
        f->show();
        QVERIFY(QTest::qWaitForWindowActive(f.get()));
        QTest::mouseClick(f->DBGrid1->viewport(), Qt::LeftButton, Qt::NoModifier,
                          f->DBGrid1->visualRect(f->DBGrid1->model()->index(0, 1)).center());
        QTRY_VERIFY(f->DBGrid1->hasFocus());
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("SI"));
        for (const auto& [tecla, modificador] :
             {std::pair{Qt::Key_F6, Qt::NoModifier}, std::pair{Qt::Key_F5, Qt::NoModifier},
              std::pair{Qt::Key_Delete, Qt::ControlModifier}}) {
            QTest::keyClick(QApplication::focusWidget(), tecla, modificador);
            QVERIFY(f->DBGrid1->hasFocus());
            QCOMPARE(f->Table1->State(), dsBrowse);
        }
        QCOMPARE(textos(), QStringList());
        QString sinUsar;
        QVERIFY(MessageSeam::take(sinUsar));  // nothing asked
        QCOMPARE(filas(QStringLiteral("MAQPRU")), QStringLiteral("1"));
    }
};

QTEST_MAIN(TestGeneMaes)
#include "tst_genemaes.moc"
