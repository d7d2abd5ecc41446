// The list editor: the rows handed in come back as they were (memo line
// breaks and separators included), the modes' results and the question on
// cancel, column formulas, totals, value filters, restore, the access
// history that Ctrl+A opens on a grid's record, and the detail grid viewer's
// totals and filters.

#include <QtTest>

#include "db/datasource.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/dialogo_modal.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/dialogs/genemlis.h"
#include "gene/dialogs/genevdet.h"
#include "gene/dialogs/genevlis.h"
#include "gene/session/sesion.h"
#include "gene/registros_prueba.h"
#include "gene/session/geneform.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QChar kPunto(0x00B7);

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

QString Opciones(const QString& modo, const QString& extra = QString()) {
    return QStringLiteral("Titulo=Lista") + kCrLf + QStringLiteral("Modo=") + modo + kCrLf +
           QStringLiteral("NumeroCampos=4") + kCrLf +
           QStringLiteral(
               "DefinicionCampos=Nombre,ftString,30;Horas,ftFloat,0;Precio,ftFloat,0,,"
               "Importe->Horas*Precio;Importe,ftFloat,0,ReadOnly;") +
           kCrLf + extra;
}

QString Lista(const QString& opciones, const QString& datos,
              std::function<void(TfGENEMLIS*)> accion) {
    AlMostrarse<TfGENEMLIS>(std::move(accion));
    QString resultado = QStringLiteral("sin tocar");
    VisorListaDatos(fGENEINIC, opciones, datos, resultado);
    return resultado;
}

void Aceptar(TfGENEMLIS* d) {
    d->pbAceptar->Click();
}
void Cancelar(TfGENEMLIS* d) {
    d->pbCancelar->Click();
}

// The detail grid viewer on the table LINEAS.
TfGENEVDET* VisorLineas() {
    auto* visor = NewForm<TfGENEVDET>();
    visor->TablaDetalle->setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    visor->TablaDetalle->setTableName(QStringLiteral("LINEAS"));
    visor->TablaDetalle->Open();
    visor->DataSource1->setDataSet(visor->TablaDetalle);
    return visor;
}

const QString kDatos =
    QStringLiteral("Ana|8|12,5|100") + QStringLiteral("\r\n") + QStringLiteral("Luis|2|3|6");

}  // namespace

class TestGeneMlis : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { MessageSeam::activate(); }
    void cleanup() { MessageSeam::deactivate(); }

    void idaYVuelta_data() { AddEngineRows(); }
    void idaYVuelta() {
        TestInstalacion inst(CurrentEngine(), conEmpresa());
        // A memo's line breaks travel as "·" and come back the same way.
        const QString opciones =
            QStringLiteral("Titulo=Notas") + kCrLf + QStringLiteral("NumeroCampos=3") + kCrLf +
            QStringLiteral("DefinicionCampos=Codigo,ftInteger,0;Nota,ftMemo,0;Fecha,ftDateTime,0");
        const QString datos = QStringLiteral("1|primera") + kPunto + QStringLiteral("segunda|") +
                              QStringLiteral("03/02/2024") + kCrLf + QStringLiteral("2||");
        QCOMPARE(Lista(opciones, datos,
                       [](TfGENEMLIS* d) {
                           d->Temporal->First();
                           QCOMPARE(d->Temporal->FieldByName(QStringLiteral("Nota"))->AsString(),
                                    QStringLiteral("primera\r\nsegunda"));
                           Aceptar(d);
                       }),
                 datos);
    }

    // A "|" typed into a value comes back as "¦", so the row keeps its columns.
    void separadorEnValor() {
        QCOMPARE(TextoFilaLista({QStringLiteral("a|b"), QStringLiteral("c\r\nd")}),
                 QStringLiteral("a") + QChar(0x00A6) + QStringLiteral("b|c") + kPunto +
                     QStringLiteral("d"));
    }

    void modosYCancelacion() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        // Editing: cancelled and "NO" keeps the data; "SI" empties it.
        MessageSeam::enqueue(QStringLiteral("NO"));
        QCOMPARE(Lista(Opciones(QString()), kDatos, Cancelar), kDatos);
        MessageSeam::enqueue(QStringLiteral("SI"));
        QCOMPARE(Lista(Opciones(QString()), kDatos, Cancelar), QString());
        QCOMPARE(MessageSeam::log().last().text,
                 QStringLiteral("¿Desea dejar en blanco la lista de datos?"));

        // Consultation: cancelled gives nothing and asks nothing; accepted
        // gives the current row, or the selected rows.
        MessageSeam::clearLog();
        QCOMPARE(Lista(Opciones(QStringLiteral("Consulta")), kDatos, Cancelar), QString());
        QVERIFY(MessageSeam::log().isEmpty());
        QCOMPARE(Lista(Opciones(QStringLiteral("Consulta")), kDatos,
                       [](TfGENEMLIS* d) {
                           QCOMPARE(d->pbAceptar->Caption(), QStringLiteral("&Conforme"));
                           QVERIFY(d->pbRestablecer->isHidden());
                           QVERIFY(d->DBGrid1->Options() & dgRowSelect);
                           d->Temporal->Last();
                           Aceptar(d);
                       }),
                 QStringLiteral("Luis|2|3|6"));
        QCOMPARE(Lista(Opciones(QStringLiteral("Consulta")), kDatos,
                       [](TfGENEMLIS* d) {
                           d->DBGrid1->setOptions(d->DBGrid1->Options() | dgMultiSelect);
                           d->Temporal->First();
                           d->DBGrid1->SelectedRows().setCurrentRowSelected(true);
                           d->Temporal->Last();
                           d->DBGrid1->SelectedRows().setCurrentRowSelected(true);
                           Aceptar(d);
                       }),
                 kDatos);
        // "Eliminar": what is left of the list.
        QCOMPARE(Lista(Opciones(QStringLiteral("Consulta,Eliminar")), kDatos,
                       [](TfGENEMLIS* d) {
                           QVERIFY(!d->pbRestablecer->isHidden());
                           d->Temporal->First();
                           d->Temporal->Delete();
                           Aceptar(d);
                       }),
                 QStringLiteral("Luis|2|3|6"));
    }

    // Leaving a column runs its formulas on the row being edited; restore
    // brings the initial rows back and rows can still be added afterwards.
    void formulasYRestablecer() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        const QString resultado = Lista(Opciones(QString()), kDatos, [](TfGENEMLIS* d) {
            TTable* t = d->Temporal;
            t->First();
            t->Edit();
            t->FieldByName(QStringLiteral("Horas"))->setAsFloat(-2);
            QVERIFY(d->ValidarColumnaLista(QStringLiteral("Horas")));
            QCOMPARE(t->FieldByName(QStringLiteral("Importe"))->AsFloat(), 100.0);
            QVERIFY(d->ValidarColumnaLista(QStringLiteral("Precio")));
            QCOMPARE(t->FieldByName(QStringLiteral("Importe"))->AsFloat(), -25.0);
            t->Post();

            d->pbRestablecerClick();
            QCOMPARE(t->RecordCount(), 2);
            t->First();
            QCOMPARE(t->FieldByName(QStringLiteral("Importe"))->AsFloat(), 100.0);
            t->Append();
            t->FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Eva"));
            t->Post();
            QCOMPARE(t->FieldByName(QStringLiteral("GENEMLISLinea"))->AsInteger(), 3);
            Aceptar(d);
        });
        QCOMPARE(resultado, kDatos + kCrLf + QStringLiteral("Eva|||"));
    }

    // A formula with a negative operand, an unknown operand, and an entry
    // read only up to its second ":".
    void formulasDeColumna() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        Lista(Opciones(QString()), kDatos, [](TfGENEMLIS* d) {
            TTable* t = d->Temporal;
            t->First();
            t->Edit();
            auto importe = [t] { return t->FieldByName(QStringLiteral("Importe"))->AsFloat(); };
            d->Formulas = {QStringLiteral("Horas:Importe->Horas-Precio")};
            t->FieldByName(QStringLiteral("Precio"))->setAsFloat(-3);
            QVERIFY(d->ValidarColumnaLista(QStringLiteral("Horas")));
            QCOMPARE(importe(), 11.0);
            d->Formulas = {QStringLiteral("Horas:Importe->Horas+Nada")};
            QVERIFY(d->ValidarColumnaLista(QStringLiteral("Horas")));
            QCOMPARE(importe(), 8.0);
            d->Formulas = {QStringLiteral("Horas:Importe->Horas:2")};
            QVERIFY(d->ValidarColumnaLista(QStringLiteral("Horas")));
            QCOMPARE(importe(), 8.0);
            t->Cancel();
            Cancelar(d);
        });
    }

    void totalesYFiltros() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        const QString datos = kDatos + kCrLf + QStringLiteral("O'Brien|1|1|1");
        Lista(Opciones(QString(), QStringLiteral("CamposTotalizadores=Horas;Importe")), datos,
              [](TfGENEMLIS* d) {
                  QCOMPARE(d->PanelTotales->maximumHeight(), 30);
                  QCOMPARE(d->LBTextoTotales->Caption(),
                           QStringLiteral("Total Horas: \nTotal Importe: "));
                  QCOMPARE(d->LBTotales->Caption(), QStringLiteral("11,00       \n107,00       "));

                  // A quote inside the value is one quote of the filter literal.
                  QVERIFY(d->AgregarFiltro(QStringLiteral("Nombre"), QStringLiteral("="),
                                           QStringLiteral("O'Brien")));
                  QCOMPARE(d->Temporal->RecordCount(), 1);
                  QCOMPARE(d->LBTotales->Caption(), QStringLiteral("1,00       \n1,00       "));
                  d->CancelarFiltrosClick();
                  QCOMPARE(d->Temporal->RecordCount(), 3);

                  // An empty answer leaves the filter as it was.
                  d->DBGrid1->setSelectedIndex(0);
                  MessageSeam::enqueue(QString());
                  d->FiltrarRegistrosporValorClick(QStringLiteral(">="));
                  QVERIFY(d->Temporal->Filter().isEmpty());
                  MessageSeam::enqueue(QStringLiteral("B"));
                  d->FiltrarRegistrosporValorClick(QStringLiteral(">="));
                  QCOMPARE(d->Temporal->Filter(), QStringLiteral("(Nombre >= 'B')"));
                  QCOMPARE(d->Temporal->RecordCount(), 2);

                  // A value the column cannot take: warned, previous filter kept.
                  MessageSeam::clearLog();
                  QVERIFY(!d->AgregarFiltro(QStringLiteral("Horas"), QStringLiteral("="),
                                            QStringLiteral("muchas")));
                  QCOMPARE(MessageSeam::log().last().text,
                           QStringLiteral("¡No ha sido posible filtrar registros!"));
                  QCOMPARE(d->Temporal->Filter(), QStringLiteral("(Nombre >= 'B')"));
                  QCOMPARE(d->Temporal->RecordCount(), 2);
                  Cancelar(d);
              });
    }

    // A value filter only narrows what the grid shows: "&Aceptar" hands back
    // every row (every row left with "Eliminar"), and "&Restablecer" brings
    // back every initial row, also those the filter hides.
    void filtroNoPierdeFilas_data() {
        QTest::addColumn<QString>("modo");
        QTest::addColumn<bool>("borrar");
        QTest::addColumn<bool>("restablecer");
        QTest::addColumn<QString>("esperado");
        const QString todas = kDatos + kCrLf + QStringLiteral("O'Brien|1|1|1");
        QTest::newRow("edicion") << QString() << false << false << todas;
        QTest::newRow("eliminar") << QStringLiteral("Consulta,Eliminar,Sin Seleccion") << true
                                  << false << QStringLiteral("Ana|8|12,5|100\r\nO'Brien|1|1|1");
        QTest::newRow("restablecer") << QString() << true << true << todas;
    }
    void filtroNoPierdeFilas() {
        QFETCH(QString, modo);
        QFETCH(bool, borrar);
        QFETCH(bool, restablecer);
        QFETCH(QString, esperado);
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        const QString datos = kDatos + kCrLf + QStringLiteral("O'Brien|1|1|1");
        const QString resultado = Lista(Opciones(modo), datos, [=](TfGENEMLIS* d) {
            d->DBGrid1->setSelectedIndex(0);
            MessageSeam::enqueue(QStringLiteral("Luis"));
            d->FiltrarRegistrosporValorClick(QStringLiteral("="));
            QCOMPARE(d->Temporal->RecordCount(), 1);
            if (borrar) d->Temporal->Delete();
            if (restablecer) {
                MessageSeam::clearLog();
                d->pbRestablecerClick();
                QVERIFY(MessageSeam::log().isEmpty());
                // The filter stays on, over the restored rows.
                QCOMPARE(d->Temporal->RecordCount(), 1);
                d->CancelarFiltrosClick();
                QCOMPARE(d->Temporal->RecordCount(), 3);
                QVERIFY(d->AgregarFiltro(QStringLiteral("Nombre"), QStringLiteral("="),
                                         QStringLiteral("Ana")));
            }
            Aceptar(d);
        });
        QCOMPARE(resultado, esperado);
    }

    // Ctrl+A pressed in a form's grid shows the accesses of the current
    // record (its key with and without the last "|"), newest first, line
    // breaks of the data as blanks; with the history off nothing opens.
    void historialDeAccesos_data() { AddEngineRows(); }
    void historialDeAccesos() {
        QCOMPARE(SentenciaHistorialAccesos(QStringLiteral("PERSONAL"), QStringLiteral("7|O'B|")),
                 QStringLiteral("SELECT CodigoUsuario, Fecha, Accion, Datos FROM REGACCES   "
                                "WHERE NombreTabla = 'PERSONAL'    AND ((ClaveTabla = "
                                "'7|O''B|')      OR (ClaveTabla = '7|O''B'))   ORDER BY Fecha "
                                "DESC"));
        TestInstalacion inst(CurrentEngine(), conEmpresa());
        TModuloDatos modulo;
        InstalarVisoresGenericos();
        CrearLineas();
        Sql(
            QStringLiteral("INSERT INTO LINEAS (CodigoOperario, Linea, Texto) VALUES (1, 1, 'a'), "
                           "(1, 12, 'b')"));
        const auto acceso = [](const char* clave, const QDateTime& fecha, const char* usuario,
                               const QString& datos) {
            Sql(QStringLiteral("INSERT INTO REGACCES (NombreTabla, ClaveTabla, Fecha, "
                               "CodigoUsuario, Accion, Datos) VALUES ('LINEAS', '%1', %2, '%3', "
                               "'Modificar', '%4')")
                    .arg(QLatin1String(clave), ValorSQL(fecha), QLatin1String(usuario), datos));
        };
        acceso("1|1|", QDateTime(QDate(2024, 3, 1), QTime(10, 0)), "ANA",
               QStringLiteral("Texto=a\r\nImporte=1|5"));
        acceso("1|1", QDateTime(QDate(2024, 3, 2), QTime(9, 30)), "LUIS", QString());
        acceso("1|12|", QDateTime(QDate(2024, 3, 3), QTime(8, 0)), "PEPE", QString());

        TForm forma;
        forma.setName(QStringLiteral("fACCESOS"));
        forma.setKeyPreview(true);
        auto* tabla = new TTable(&forma);
        tabla->setObjectName(QStringLiteral("Table1"));
        tabla->setTableName(QStringLiteral("LINEAS"));
        auto* fuente = new TDataSource(&forma);
        fuente->setObjectName(QStringLiteral("DataSource1"));
        fuente->setDataSet(tabla);
        auto* rejilla = new TDBGrid(&forma);
        rejilla->setObjectName(QStringLiteral("DBGrid1"));
        rejilla->setDataSource(fuente);
        forma.OnKeyDown = [&forma](QObject*, int& Key, TShiftState Shift) {
            TeclaPulsadaFormulario(fGENEINIC, &forma, Key, Shift);
        };
        AbrirTablasFormulario(fGENEINIC, &forma);
        tabla->First();
        forma.show();
        QVERIFY(QTest::qWaitForWindowExposed(&forma));
        // The user back in the grid presses Ctrl+A.
        const auto ctrlA = [rejilla] {
            rejilla->activateWindow();
            rejilla->setFocus(Qt::OtherFocusReason);
            QTRY_VERIFY(rejilla->hasFocus());
            QTest::keyClick(rejilla, Qt::Key_A, Qt::ControlModifier);
        };

        RegistroAccesosActivado = true;
        QString titulo;
        QStringList filas;
        AlMostrarse<TfGENEMLIS>([&](TfGENEMLIS* d) {
            titulo = d->Caption();
            for (d->Temporal->First(); !d->Temporal->Eof(); d->Temporal->Next()) {
                QStringList fila;
                for (const char* campo : {"CodigoUsuario", "Fecha", "Accion", "Datos"})
                    fila << d->Temporal->FieldByName(QLatin1String(campo))->AsString();
                filas << fila.join(QLatin1Char(';'));
            }
            Aceptar(d);
        });
        ctrlA();
        QCOMPARE(titulo, QStringLiteral("Historial de Accesos al Registro: LINEAS - 1|1|"));
        QCOMPARE(filas, (QStringList{"LUIS;02/03/2024 09:30:00;Modificar;",
                                     "ANA;01/03/2024 10:00:00;Modificar;Texto=a Importe=1\r\n5"}));

        // Off, the key opens nothing: no dialog waits for an answer.
        RegistroAccesosActivado = false;
        int mostrados = 0;
        AlMostrarse<TfGENEMLIS>([&](TfGENEMLIS* d) {
            ++mostrados;
            Aceptar(d);
        });
        ctrlA();
        RegistroAccesosActivado = true;
        tabla->Next();
        ctrlA();
        QCOMPARE(mostrados, 1);
        RegistroAccesosActivado = false;
    }

    // An amount typed as the program shows it: "." thousands, "," decimals,
    // in the list dialog and in the detail grid viewer, on every engine. Not
    // a number: warned, nothing filtered.
    void filtroImporte_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("respuesta");
        QTest::addColumn<QString>("condicion");
        QTest::addColumn<QStringList>("nombres");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "miles")
                << QStringLiteral("50.000") << QStringLiteral("(Horas = '50000')")
                << QStringList{QStringLiteral("Eva")};
            NewEngineRow(e, "miles y decimales")
                << QStringLiteral("1.234,5") << QStringLiteral("(Horas = '1234,5')")
                << QStringList{QStringLiteral("Pío")};
            NewEngineRow(e, "decimales")
                << QStringLiteral("12,5") << QStringLiteral("(Horas = '12,5')")
                << QStringList{QStringLiteral("Ana")};
            NewEngineRow(e, "no es un numero")
                << QStringLiteral("5 horas") << QString() << QStringList{};
            NewEngineRow(e, "cifras no latinas")
                << QStringLiteral("٥٠") << QString() << QStringList{};
        }
    }
    void filtroImporte() {
        QFETCH(QString, respuesta);
        QFETCH(QString, condicion);
        QFETCH(QStringList, nombres);
        TestInstalacion inst(CurrentEngine(), conEmpresa());
        const auto comprobar = [&](TDataSet* ds, const QString& campo, const QString& nombre,
                                   std::function<void()> filtrar) {
            MessageSeam::clearLog();
            MessageSeam::enqueue(respuesta);
            filtrar();
            QString esperado = condicion;
            esperado.replace(QLatin1String("Horas"), campo);
            QCOMPARE(ds->Filter(), esperado);
            QStringList vistos;
            if (ds->Filtered())
                for (ds->First(); !ds->Eof(); ds->Next())
                    vistos << ds->FieldByName(nombre)->AsString();
            QCOMPARE(vistos, nombres);
            if (condicion.isEmpty())
                QCOMPARE(MessageSeam::log().last().text,
                         QStringLiteral("¡No ha sido posible filtrar registros!"));
        };
        const QString datos = QStringLiteral(
            "Ana|12,5|1|12,5\r\nEva|50000|1|50000\r\n"
            "Pío|1234,5|1|1234,5\r\nLuis|50|1|50");
        Lista(Opciones(QString()), datos, [&](TfGENEMLIS* d) {
            d->DBGrid1->setSelectedIndex(1);
            comprobar(d->Temporal, QStringLiteral("Horas"), QStringLiteral("Nombre"),
                      [d] { d->FiltrarRegistrosporValorClick(QStringLiteral("=")); });
            Cancelar(d);
        });

        CrearLineas();
        Sql(
            QStringLiteral("INSERT INTO LINEAS (CodigoOperario, Linea, Texto, Importe) VALUES "
                           "(1, 1, 'Ana', 12.5), (1, 2, 'Eva', 50000), (1, 3, 'Pío', 1234.5), "
                           "(1, 4, 'Luis', 50)"));
        auto* visor = VisorLineas();
        visor->DBGrid1->setSelectedField(
            visor->TablaDetalle->FieldByName(QStringLiteral("Importe")));
        comprobar(visor->TablaDetalle, QStringLiteral("Importe"), QStringLiteral("Texto"),
                  [visor] { visor->FiltrarRegistrosporValorClick(QStringLiteral("=")); });
        delete visor;
    }

    // The detail grid viewer: totals of two fields in one caption, and two
    // "Desde" filters on different fields joined by " AND ".
    void visorDetalle() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        CrearLineas();
        Sql(
            QStringLiteral("INSERT INTO LINEAS (CodigoOperario, Linea, Texto, Importe) VALUES "
                           "(1, 1, 'a', 10), (1, 2, 'b', 20.5), (2, 1, 'c', 5)"));
        auto* visor = VisorLineas();
        visor->CamposTotalizadores = QStringLiteral("Importe;Linea");
        visor->CalcularTotales();
        QCOMPARE(visor->PanelTotales->Caption(),
                 QStringLiteral("Total Importe: 35,5  , Total Linea: 4  "));

        visor->DBGrid1->setSelectedField(visor->TablaDetalle->FieldByName(QStringLiteral("Linea")));
        MessageSeam::enqueue(QStringLiteral("2"));
        visor->FiltrarRegistrosporValorClick(QStringLiteral(">="));
        visor->DBGrid1->setSelectedField(
            visor->TablaDetalle->FieldByName(QStringLiteral("Importe")));
        MessageSeam::enqueue(QStringLiteral("15"));
        visor->FiltrarRegistrosporValorClick(QStringLiteral(">="));
        QCOMPARE(visor->TablaDetalle->Filter(),
                 QStringLiteral("(Linea >= '2') AND (Importe >= '15')"));
        QCOMPARE(visor->TablaDetalle->RecordCount(), 1);
        QCOMPARE(MessageSeam::log().first().text,
                 QStringLiteral("Introduzca el valor Desde Linea"));
        visor->CancelarFiltros1Click();
        QCOMPARE(visor->TablaDetalle->RecordCount(), 3);
        delete visor;
    }
};

QTEST_MAIN(TestGeneMlis)
#include "tst_genemlis.moc"
