// The field-list viewer: the record view (read-only, times of day, memos),
// the data-entry form with its lookups and validation, the memo editor
// reopened on what was edited, the window's height, and the user-defined
// fields editor finding its record by key names and writing values back
// (a stored 0 included).

#include <QtTest>

#include "db/table.h"
#include "gene/dialogo_modal.h"
#include "gene/data/genemens.h"
#include "gene/dialogs/genesele.h"
#include "gene/dialogs/genevcus.h"
#include "gene/dialogs/genevlis.h"
#include "gene/dialogs/genevtex.h"
#include "gene/registros_prueba.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"
#include "ui/grids.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

QStringList Filas(TfGENEVLIS* v) {
    QStringList filas;
    for (int r = 0; r < v->StringGrid->RowCount(); ++r)
        filas << v->StringGrid->Cells(0, r) + QLatin1Char('=') + v->StringGrid->Cells(1, r);
    return filas;
}

QString Agregar(const QString& opciones, const QString& valores,
                std::function<void(TfGENEVLIS*)> accion) {
    AlMostrarse<TfGENEVLIS>(std::move(accion));
    QString resultado = QStringLiteral("sin tocar");
    VisorAgregarDatos(nullptr, opciones, valores, resultado);
    return resultado;
}

}  // namespace

class TestGeneVlis : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { MessageSeam::activate(); }
    void cleanup() { MessageSeam::deactivate(); }

    // Every visible field of the record, a time of day for "Hora" fields in
    // any letter case, memos on one line and in the memo list; nothing editable.
    void visorCampos() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        CrearTablaPrueba(QStringLiteral("PRUEBA"),
                         {{QStringLiteral("Codigo"), ftInteger, 0, true},
                          {QStringLiteral("HORAEntrada"), ftDateTime, 0, false},
                          {QStringLiteral("Notas"), ftMemo, 0, false}},
                         {QStringLiteral("Codigo")});
        Sql(
            QStringLiteral("INSERT INTO PRUEBA (Codigo, HORAEntrada, Notas) VALUES "
                           "(7, '1899-12-30 08:15:00', 'uno\r\ndos')"));
        auto tabla = AbrirTablaPrueba(QStringLiteral("PRUEBA"));
        AlMostrarse<TfGENEVLIS>([](TfGENEVLIS* v) {
            QCOMPARE(Filas(v),
                     (QStringList{QStringLiteral("      Campo=Valor"), QStringLiteral("Codigo=7"),
                                  QStringLiteral("HORAEntrada=08:15:00"),
                                  QStringLiteral("Notas=uno dos")}));
            QCOMPARE(v->TextosMemoVisor, QStringLiteral("Notas") + QChar(0xFF) +
                                             QStringLiteral("uno") + QChar(0xB7) +
                                             QStringLiteral("dos") + kCrLf);
            QVERIFY(v->PanelControl->isHidden());
            QVERIFY(!(v->StringGrid->Options() & goEditing));
            QCOMPARE(v->Caption(), QStringLiteral("Visor de Campos"));
            // Ctrl+Z, the key that opened it, closes it.
            QTest::keyClick(DondeSeEscribe(v), Qt::Key_Z, Qt::ControlModifier);
        });
        VisorCampos(nullptr, tabla.get());
        QCOMPARE(ModoVisorLista, QStringLiteral("VisorCampos"));
    }

    // Values come back as label=value lines; fewer values than items leave
    // the rest empty; a time item shows its time of day; cancel gives "".
    void agregarDatos() {
        const QString opciones =
            QStringLiteral("Titulo=Datos") + kCrLf +
            QStringLiteral("Opciones=RespetarNombresCampos") + kCrLf +
            QStringLiteral(
                "DefinicionCampos=Nombre,ftString,30;HoraFin,ftDateTime,0;Sexo,ftString,1,,,H/M;");
        const QString r =
            Agregar(opciones, QStringLiteral("Ana\r\n30/12/1899 17:45:00"), [](TfGENEVLIS* v) {
                QCOMPARE(v->Caption(), QStringLiteral("Datos"));
                QCOMPARE(v->TextoEtiqueta(QStringLiteral("HoraFin")), QStringLiteral("HoraFin"));
                v->StringGrid->setCells(1, 3, QStringLiteral("m"));
                v->pbGrabarClick();
            });
        QCOMPARE(r, QStringLiteral("Nombre=Ana\r\nHoraFin=17:45:00\r\nSexo=m\r\n"));
        QCOMPARE(Agregar(opciones, QString(), [](TfGENEVLIS* v) { v->pbCancelar->Click(); }),
                 QString());
    }

    // Validation: a pick-list value in another case passes, one outside it
    // is warned about; a table item needs an existing key unless "NoValidar";
    // an item without lookup takes anything. Every failing row warns.
    void validacion() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        CrearTablaPrueba(QStringLiteral("PAISES"), {{QStringLiteral("Codigo"), ftString, 3, true}},
                         {QStringLiteral("Codigo")});
        Sql(QStringLiteral("INSERT INTO PAISES (Codigo) VALUES ('ES')"));
        const QString opciones = QStringLiteral(
            "DefinicionCampos=Sexo,ftString,1,,,H/M;Pais,ftString,3,,PAISES;"
            "Origen,ftString,3,,PAISES,,NoValidar;Libre,ftString,9");
        Agregar(opciones, QStringLiteral("x\r\n\r\nZZ\r\nlo que sea"), [](TfGENEVLIS* v) {
            QVERIFY(!v->ValidarDatos());
            QCOMPARE(MessageSeam::log().size(), 2);
            QCOMPARE(MessageSeam::log()[0].text,
                     QStringLiteral("¡El valor para el campo Sexo es incorrecto!"));
            QCOMPARE(MessageSeam::log()[1].text,
                     QStringLiteral("¡No existe el valor para el campo Pais !"));
            v->StringGrid->setCells(1, 1, QStringLiteral("h"));
            v->StringGrid->setCells(1, 2, QStringLiteral("ES"));
            MessageSeam::clearLog();
            v->pbGrabarClick();
            QVERIFY(MessageSeam::log().isEmpty());
        });
    }

    // The memo editor opens on the memo's text, and the second time on what
    // the first edit left; an empty memo opens nothing.
    void memoReabierto() {
        const QString opciones = QStringLiteral("DefinicionCampos=Texto,ftMemo,0;Otro,ftMemo,0");
        Agregar(opciones, QStringLiteral("linea"), [](TfGENEVLIS* v) {
            v->StringGrid->setCurrentCell(1, 1);
            AlMostrarse<TfGENETEXT>([](TfGENETEXT* t) {
                QCOMPARE(t->Memo1->Text(), QStringLiteral("linea"));
                QCOMPARE(t->Caption(), QStringLiteral("Contenido del Campo: Texto"));
                t->Memo1->setText(QStringLiteral("uno\r\ndos"));
                t->pbAceptar->Click();
            });
            v->StringGridDblClick();
            QCOMPARE(v->StringGrid->Cells(1, 1),
                     QStringLiteral("uno") + QChar(0xB7) + QStringLiteral("dos"));
            AlMostrarse<TfGENETEXT>([](TfGENETEXT* t) {
                QCOMPARE(t->Memo1->Text(), QStringLiteral("uno\r\ndos"));
                t->pbCancelar->Click();
            });
            v->StringGridDblClick();
            QCOMPARE(v->StringGrid->Cells(1, 1),
                     QStringLiteral("uno") + QChar(0xB7) + QStringLiteral("dos"));
            // The empty memo: no editor (a shown one would never be closed).
            v->StringGrid->setCurrentCell(2, 1);
            v->StringGridDblClick();
            v->pbCancelar->Click();
        });
    }

    // A pick list offered on double click; leaving it without a choice keeps the value.
    void listaDeValores() {
        Agregar(QStringLiteral("DefinicionCampos=EstadoCivil,ftString,1,,,S/C/V"),
                QStringLiteral("S"), [](TfGENEVLIS* v) {
                    v->StringGrid->setCurrentCell(1, 1);
                    AlMostrarse<TfGENESELE>([](TfGENESELE* s) {
                        QCOMPARE(s->Caption(), QStringLiteral("Selección de Estado Civil"));
                        QCOMPARE(s->ListBox1->Items(),
                                 (QStringList{QStringLiteral("S"), QStringLiteral("C"),
                                              QStringLiteral("V")}));
                        s->pbCancelar->Click();
                    });
                    v->StringGridDblClick();
                    QCOMPARE(v->StringGrid->Cells(1, 1), QStringLiteral("S"));
                    AlMostrarse<TfGENESELE>([](TfGENESELE* s) {
                        s->ListBox1->setItemIndex(2);
                        s->pbAceptar->Click();
                    });
                    v->StringGridDblClick();
                    QCOMPARE(v->StringGrid->Cells(1, 1), QStringLiteral("V"));
                    v->pbCancelar->Click();
                });
    }

    // A short list is exactly as tall as its rows; a long one twenty rows.
    void alturaIdeal() {
        ModoVisorLista = QStringLiteral("VisorAgregarDatos");
        TfGENEVLIS corto;
        corto.DoCreate();
        corto.PrepararRejilla(3);
        const int fila = corto.StringGrid->DefaultRowHeight() + 1;
        const int extra = corto.AlturaIdeal() - 4 * fila;
        TfGENEVLIS largo;
        largo.DoCreate();
        largo.PrepararRejilla(500);
        QCOMPARE(largo.AlturaIdeal(), 20 * fila + extra - largo.PanelControl->height());
    }

    // The record is found by its key's field names, even when the form's
    // dataset has its fields in another order; values written back (a float
    // without its thousands marks), refused ones warned about, cancel writes nothing.
    void camposUsuario() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        CrearTablaPrueba(QStringLiteral("FICHAS"),
                         {{QStringLiteral("Nombre"), ftString, 20, false},
                          {QStringLiteral("Codigo"), ftInteger, 0, true},
                          {QStringLiteral("Saldo"), ftFloat, 0, false},
                          {QStringLiteral("Edad"), ftInteger, 0, false},
                          {QStringLiteral("Oculto"), ftString, 5, false}},
                         {QStringLiteral("Codigo")});
        Sql(
            QStringLiteral("INSERT INTO FICHAS (Nombre, Codigo, Saldo, Edad) VALUES "
                           "('uno', 1, 0, 0), ('dos', 2, 1234.5, 40)"));
        for (const char* campo : {"'Saldo', 'Numerico', 1", "'Edad', 'Entero', 2"})
            QCOMPARE(Sql(QStringLiteral("INSERT INTO CAMPOUSR (NombreTabla, NombreCampo, "
                                        "TipoCampo, OrdenCampo) VALUES ('FICHAS', ") +
                             QLatin1String(campo) + QLatin1Char(')'),
                         QStringLiteral("DatabaseGeneral")),
                     QString());
        auto tabla = AbrirTablaPrueba(QStringLiteral("FICHAS"));
        QVERIFY(tabla->Locate(QStringLiteral("Codigo"), 2, 0));

        AlMostrarse<TfGENEVLIS>([](TfGENEVLIS* v) {
            QCOMPARE(v->Caption(), QStringLiteral("Introducción de Campos de Usuario"));
            // CAMPOUSR in its key order: Edad, then Saldo.
            QCOMPARE(v->StringGrid->Cells(0, 2), QStringLiteral("Saldo"));
            QCOMPARE(v->StringGrid->Cells(1, 2), QStringLiteral("1.234,5"));
            v->StringGrid->setCells(1, 2, QStringLiteral("2.000,25"));
            v->StringGrid->setCells(1, 1, QStringLiteral("muchos"));
            v->pbGrabarClick();
        });
        VisorCamposUsuario(inst.sesion(), tabla.get());
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("¡El valor Edad = muchos es incorrecto!"));
        QCOMPARE(Sql(QStringLiteral("SELECT Saldo, Edad FROM FICHAS WHERE Codigo = 2")),
                 QStringLiteral("2000,25|40"));
        QCOMPARE(Sql(QStringLiteral("SELECT Saldo FROM FICHAS WHERE Codigo = 1")),
                 QStringLiteral("0"));

        AlMostrarse<TfGENEVLIS>([](TfGENEVLIS* v) {
            v->StringGrid->setCells(1, 2, QStringLiteral("9"));
            v->pbCancelar->Click();
        });
        VisorCamposUsuario(inst.sesion(), tabla.get());
        QCOMPARE(Sql(QStringLiteral("SELECT Saldo FROM FICHAS WHERE Codigo = 2")),
                 QStringLiteral("2000,25"));

        // A stored 0 shows as 0 and is written back as 0, not as NULL.
        QVERIFY(tabla->Locate(QStringLiteral("Codigo"), 1, 0));
        AlMostrarse<TfGENEVLIS>([](TfGENEVLIS* v) {
            QCOMPARE(v->StringGrid->Cells(1, 2), QStringLiteral("0"));
            v->pbGrabarClick();
        });
        VisorCamposUsuario(inst.sesion(), tabla.get());
        QCOMPARE(Sql(QStringLiteral("SELECT COALESCE(Saldo, -1), COALESCE(Edad, -1) FROM FICHAS "
                                    "WHERE Codigo = 1")),
                 QStringLiteral("0|0"));
    }

    // "&Grabar" writes only the rows the user changed: values shown through
    // a template or as a time alone stay exactly as stored.
    void camposSinTocar_data() { AddEngineRows(); }
    void camposSinTocar() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        CrearTablaPrueba(QStringLiteral("FICHAS"),
                         {{QStringLiteral("Codigo"), ftInteger, 0, true},
                          {QStringLiteral("Saldo"), ftFloat, 0, false},
                          {QStringLiteral("Tasa"), ftFloat, 0, false},
                          {QStringLiteral("HoraEntrada"), ftDateTime, 0, false},
                          {QStringLiteral("Edad"), ftInteger, 0, false}},
                         {QStringLiteral("Codigo")});
        Sql(
            QStringLiteral("INSERT INTO FICHAS (Codigo, Saldo, Tasa, HoraEntrada, Edad) VALUES "
                           "(1, 12.3456, 0.05, '2024-05-01 08:30:00', 40)"));
        for (const char* campo : {"'Saldo', 'Numerico', 1", "'Tasa', 'Numerico', 2",
                                  "'HoraEntrada', 'Fecha', 3", "'Edad', 'Entero', 4"})
            Sql(QStringLiteral("INSERT INTO CAMPOUSR (NombreTabla, NombreCampo, TipoCampo, "
                               "OrdenCampo) VALUES ('FICHAS', ") +
                    QLatin1String(campo) + QLatin1Char(')'),
                QStringLiteral("DatabaseGeneral"));
        auto tabla = AbrirTablaPrueba(QStringLiteral("FICHAS"));
        QVERIFY(tabla->Locate(QStringLiteral("Codigo"), 1, 0));
        const QString antes = Sql(QStringLiteral("SELECT Saldo, Tasa, HoraEntrada FROM FICHAS"));
        // Untouched, and then with another row changed.
        for (const QString& edad : {QStringLiteral("40"), QStringLiteral("41")}) {
            AlMostrarse<TfGENEVLIS>([edad](TfGENEVLIS* v) {
                for (int r = 1; r < v->StringGrid->RowCount(); ++r)
                    if (v->StringGrid->Cells(0, r) == QLatin1String("Edad"))
                        v->StringGrid->setCells(1, r, edad);
                v->pbGrabarClick();
            });
            VisorCamposUsuario(inst.sesion(), tabla.get());
            QCOMPARE(MessageSeam::log().size(), 0);
            QCOMPARE(Sql(QStringLiteral("SELECT Saldo, Tasa, HoraEntrada FROM FICHAS")), antes);
            QCOMPARE(Sql(QStringLiteral("SELECT Edad FROM FICHAS")), edad);
        }
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM FICHAS WHERE Saldo = 12.3456 AND "
                                    "Tasa = 0.05")),
                 QStringLiteral("1"));
        QVERIFY2(antes.endsWith(QLatin1String("01/05/2024 08:30:00")), qPrintable(antes));
    }

    // The form's own row after "&Grabar": it shows the stored values, and
    // the clerk's next correction of the record is saved, not refused as
    // another user's change.
    void registroReleidoTrasGrabar_data() { AddEngineRows(); }
    void registroReleidoTrasGrabar() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        CrearTablaPrueba(QStringLiteral("FICHAS"),
                         {{QStringLiteral("Codigo"), ftInteger, 0, true},
                          {QStringLiteral("Nombre"), ftString, 20, false},
                          {QStringLiteral("Edad"), ftInteger, 0, false}},
                         {QStringLiteral("Codigo")});
        Sql(
            QStringLiteral("INSERT INTO FICHAS (Codigo, Nombre, Edad) VALUES (1, 'Ana', 40), "
                           "(2, 'Luis', 50)"));
        Sql(QStringLiteral("INSERT INTO CAMPOUSR (NombreTabla, NombreCampo, TipoCampo, "
                           "OrdenCampo) VALUES ('FICHAS', 'Edad', 'Entero', 1)"),
            QStringLiteral("DatabaseGeneral"));
        auto tabla = AbrirTablaPrueba(QStringLiteral("FICHAS"));
        QVERIFY(tabla->Locate(QStringLiteral("Codigo"), 2, 0));
        AlMostrarse<TfGENEVLIS>([](TfGENEVLIS* v) {
            v->StringGrid->setCells(1, 1, QStringLiteral("51"));
            v->pbGrabarClick();
        });
        VisorCamposUsuario(inst.sesion(), tabla.get());
        QCOMPARE(tabla->FieldByName(QStringLiteral("Codigo"))->AsInteger(), 2);
        QCOMPARE(tabla->FieldByName(QStringLiteral("Edad"))->AsInteger(), 51);
        tabla->Edit();
        tabla->FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Luis Ñúñez"));
        tabla->Post();
        QCOMPARE(MessageSeam::log().size(), 0);
        QCOMPARE(Sql(QStringLiteral("SELECT Nombre, Edad FROM FICHAS WHERE Codigo = 2")),
                 QStringLiteral("Luis Ñúñez|51"));
        QCOMPARE(Sql(QStringLiteral("SELECT Nombre, Edad FROM FICHAS WHERE Codigo = 1")),
                 QStringLiteral("Ana|40"));
    }
};

QTEST_MAIN(TestGeneVlis)
#include "tst_genevlis.moc"
