// Record keys and dataset services on both engines: key strings with a time
// field, existence and reading by key with bad keys, the next code of a
// numeric and a text counter, the record clipboard, distinct values,
// deleting the shown records, listings and electronic documents.

#include <QtTest>

#include "db/clientdataset.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/geneusua.h"
#include "gene/registros_prueba.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/sqlprueba.h"

namespace {

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

void llenarLineas() {
    for (const char* fila :
         {"7, 1, 'uno', 10.5", "7, 2, 'dos', 20", "7, 5, 'cinco', 0", "8, 1, 'O''Brien', 3"})
        QCOMPARE(Sql(QStringLiteral("INSERT INTO LINEAS (CodigoOperario, Linea, Texto, Importe) "
                                    "VALUES (") +
                     QLatin1String(fila) + QLatin1Char(')')),
                 QString());
}

// An installation with company 1, its data module and LINEAS filled and open.
struct Escenario {
    explicit Escenario(Engine motor) : inst(motor, conEmpresa()) {
        CrearLineas();
        llenarLineas();
        t = AbrirTablaPrueba(QStringLiteral("LINEAS"));
    }
    TestInstalacion inst;
    TModuloDatos modulo;
    std::unique_ptr<TTable> t;
};

// FICHAJE: a key with a time of day whose name has "hora" in lower case.
void crearFichajes() {
    CrearTablaPrueba(QStringLiteral("FICHAJE"),
                     {{QStringLiteral("CodigoOperario"), ftSmallint, 0, true},
                      {QStringLiteral("horaEntrada"), ftDateTime, 0, true},
                      {QStringLiteral("Puerta"), ftString, 10, false}},
                     {QStringLiteral("CodigoOperario"), QStringLiteral("horaEntrada")});
    auto t = AbrirTablaPrueba(QStringLiteral("FICHAJE"));
    t->Append();
    t->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(7);
    t->FieldByName(QStringLiteral("horaEntrada"))
        ->setAsDateTime(QDateTime(QDate(1899, 12, 30), QTime(10, 30)));
    t->FieldByName(QStringLiteral("Puerta"))->setAsString(QStringLiteral("Norte"));
    t->Post();
}

// The listing designer as the tests see it: what it was given.
struct Listado {
    int llamadas = 0;
    QStringList filas;
    QString opciones;
    bool fuenteFija = false;
    QString tabla;
    QString base;
};
Listado listado;

void listadoPrueba(TDataSet* d, const QString&, const QString&, const QString& opciones,
                   bool fija) {
    ++listado.llamadas;
    listado.opciones = opciones;
    listado.fuenteFija = fija;
    if (auto* t = qobject_cast<TTable*>(d)) {
        listado.tabla = t->TableName();
        listado.base = t->DatabaseName();
    }
    for (d->First(); !d->Eof(); d->Next()) {
        QStringList campos;
        for (TField* f : d->Fields()) campos << f->AsString();
        listado.filas << campos.join(QLatin1Char('|'));
    }
}

}  // namespace

class TestGeneClav : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        GanchoListadoProgramable = nullptr;
        GanchoListaValoresControl = nullptr;
        listado = Listado();
    }

    void clavesDelRegistro_data() { AddEngineRows(); }
    void clavesDelRegistro() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        TModuloDatos& modulo = e.modulo;
        TTable* t = e.t.get();
        QVERIFY(t->Locate(QStringLiteral("CodigoOperario;Linea"), QVariantList{7, 2}, 0));
        QString clave;
        ClaveRegistro(&modulo, t, clave);
        QCOMPARE(clave, QStringLiteral("7;2;"));
        ClaveTablaRegistro(&modulo, t, clave);
        QCOMPARE(clave, QStringLiteral("7|2"));
        // The last line of the same employee.
        ClaveUltimoRegistro(&modulo, t, clave);
        QCOMPARE(clave, QStringLiteral("7;5;"));

        // A query names its table after FROM.
        TQuery q;
        q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
        q.SQL().setText(QStringLiteral("SELECT * FROM LINEAS WHERE CodigoOperario = 8"));
        q.Open();
        ClaveRegistro(&modulo, &q, clave);
        QCOMPARE(clave, QStringLiteral("8;1;"));

        crearFichajes();
        auto f = AbrirTablaPrueba(QStringLiteral("FICHAJE"));
        ClaveRegistro(&modulo, f.get(), clave);
        QCOMPARE(clave, QStringLiteral("7;10:30:00;"));
        ClaveTablaRegistro(&modulo, f.get(), clave);
        QCOMPARE(clave, QStringLiteral("7|10:30:00"));
        QVERIFY(ExisteClave(&modulo, f.get(), clave.replace(QLatin1Char('|'), QLatin1Char(';'))));
    }

    void existenciaYLecturaPorClave_data() { AddEngineRows(); }
    void existenciaYLecturaPorClave() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        TModuloDatos& modulo = e.modulo;
        TTable* t = e.t.get();
        MessageSeam::clearLog();
        QVERIFY(ExisteClave(&modulo, t, QStringLiteral("7;2;")));
        QVERIFY(ExisteClave(&modulo, t, QStringLiteral("7;2")));
        QVERIFY(!ExisteClave(&modulo, t, QStringLiteral("7;3;")));
        QVERIFY(ExisteClaveTabla(&modulo, QStringLiteral("LINEAS"), QStringLiteral("8;1;")));
        QVERIFY(!ExisteClaveTabla(&modulo, QString(), QStringLiteral("8;1;")));
        // Keys that are no values of the key's types, or quotes: no record,
        // no SQL error shown.
        QVERIFY(!ExisteClave(&modulo, t, QStringLiteral("x';2;")));
        QVERIFY(!ExisteClave(&modulo, t, QStringLiteral("7;;")));
        QCOMPARE(MessageSeam::log().size(), 0);

        QVariant datos;
        BuscarDatosClave(&modulo, QStringLiteral("LINEAS"), QStringLiteral("8;1;"), datos,
                         QStringLiteral("Texto;NoExiste;Importe"));
        QCOMPARE(datos.toList(), (QVariantList{"O'Brien", "", "3"}));
        BuscarDatosClave(&modulo, QStringLiteral("LINEAS"), QStringLiteral("7;2;"), datos,
                         QString());
        QCOMPARE(datos.toList().mid(0, 4), (QVariantList{"7", "2", "dos", "20"}));
        // "Ant:": the line before 7;5 is 7;2; before 8;1 is another employee's.
        BuscarDatosClave(&modulo, QStringLiteral("LINEAS"), QStringLiteral("7;Ant:5"), datos,
                         QStringLiteral("Linea"));
        QCOMPARE(datos.toList(), QVariantList{"2"});
        BuscarDatosClave(&modulo, QStringLiteral("LINEAS"), QStringLiteral("8;Ant:1"), datos,
                         QStringLiteral("Linea"));
        QVERIFY(datos.isNull());
        BuscarDatosClave(&modulo, QStringLiteral("LINEAS"), QStringLiteral("7;Ant:1"), datos,
                         QStringLiteral("Linea"));
        QVERIFY(datos.isNull());
        BuscarDatosClave(&modulo, QStringLiteral("LINEAS"), QStringLiteral("9;9;"), datos,
                         QStringLiteral("Texto"));
        QVERIFY(datos.isNull());
        BuscarDatosClave(&modulo, QStringLiteral("NOEXISTE"), QStringLiteral("1;"), datos,
                         QStringLiteral("Texto"));
        QVERIFY(datos.isNull());
    }

    // A one-field key is the key text whole: a code holding ";" is its own
    // record, never the record of the code before the ";".
    void claveDeUnCampoEntera_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("clave");
        QTest::addColumn<QString>("descripcion");  // "" = no record
        // The record of the same text typed as a code (made a key string).
        QTest::addColumn<QString>("tecleada");
        for (Engine motor : AvailableEngines()) {
            NewEngineRow(motor, "con punto y coma") << "A;B"
                                                    << "la de A;B"
                                                    << "la de A;B";
            NewEngineRow(motor, "como la da ClaveRegistro") << "A;B;"
                                                            << "la de A;B"
                                                            << "";
            NewEngineRow(motor, "sin punto y coma") << "A"
                                                    << "la de A"
                                                    << "la de A";
            NewEngineRow(motor, "cerrada por su separador") << "A;"
                                                            << "la de A"
                                                            << "";
            NewEngineRow(motor, "fuera de Latin-1") << "Ł;€"
                                                    << ""
                                                    << "";
            NewEngineRow(motor, "vacía") << ""
                                         << ""
                                         << "";
        }
    }
    void claveDeUnCampoEntera() {
        QFETCH(int, engine);
        QFETCH(QString, clave);
        QFETCH(QString, descripcion);
        QFETCH(QString, tecleada);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        CrearTablaPrueba(QStringLiteral("PUESTOX"),
                         {{QStringLiteral("Codigo"), ftString, 10, true},
                          {QStringLiteral("Descripcion"), ftString, 40, false}},
                         {QStringLiteral("Codigo")});
        QCOMPARE(Sql(QStringLiteral("INSERT INTO PUESTOX (Codigo, Descripcion) VALUES "
                                    "('A', 'la de A'), ('A;B', 'la de A;B')")),
                 QString());
        QVariant datos;
        BuscarDatosClave(&modulo, QStringLiteral("PUESTOX"), clave, datos,
                         QStringLiteral("Descripcion"));
        QCOMPARE(datos.toList().value(0).toString(), descripcion);
        QCOMPARE(ExisteClaveTabla(&modulo, QStringLiteral("PUESTOX"), clave),
                 !descripcion.isEmpty());
        BuscarDatosClave(&modulo, QStringLiteral("PUESTOX"), CadenaClave(clave), datos,
                         QStringLiteral("Descripcion"));
        QCOMPARE(datos.toList().value(0).toString(), tecleada);
        QCOMPARE(ExisteClaveTabla(&modulo, QStringLiteral("PUESTOX"), CadenaClave(clave)),
                 !tecleada.isEmpty());
        // Typed into a key: whole in a one-field key, refused in a key of
        // several fields, where it would read as the next field's value.
        auto puestos = AbrirTablaPrueba(QStringLiteral("PUESTOX"));
        // A new record duplicated from the key string as a model.
        puestos->Append();
        CopiarDatosRegistro(&modulo, puestos.get(), clave);
        QCOMPARE(puestos->FieldByName(QStringLiteral("Descripcion"))->AsString(), descripcion);
        puestos->Cancel();
        CrearTablaPrueba(QStringLiteral("CRITX"),
                         {{QStringLiteral("Puesto"), ftString, 10, true},
                          {QStringLiteral("Linea"), ftSmallint, 0, true}},
                         {QStringLiteral("Puesto"), QStringLiteral("Linea")});
        auto criterios = AbrirTablaPrueba(QStringLiteral("CRITX"));
        MessageSeam::clearLog();
        QVERIFY(!SeparadorEnClaveCompuesta(&modulo, puestos.get(), puestos->Fields()[0], clave));
        QCOMPARE(MessageSeam::log().size(), 0);
        QCOMPARE(SeparadorEnClaveCompuesta(&modulo, criterios.get(), criterios->Fields()[0], clave),
                 clave.contains(QLatin1Char(';')));
        QCOMPARE(MessageSeam::log().size(), clave.contains(QLatin1Char(';')) ? 1 : 0);
        QCOMPARE(SentenciaBuscarDatosClaveSQLServer(
                     QStringLiteral("dbo.PUESTOX"), {QStringLiteral("Codigo")},
                     QStringLiteral("A;B;"), QStringLiteral("Descripcion")),
                 QStringLiteral("SELECT Descripcion FROM dbo.PUESTOX WHERE (Codigo = 'A;B')"));
    }

    void sentenciaPorClaveEnSQLServer() {
        const QString formato = FormatoFechaSQL;
        FormatoFechaSQL = QStringLiteral("mm/dd/yyyy");
        const QString sql = SentenciaBuscarDatosClaveSQLServer(
            QStringLiteral("dbo.AUSENCIA"),
            {QStringLiteral("CodigoOperario"), QStringLiteral("Fecha"), QStringLiteral("Tipo")},
            QStringLiteral("7;5/3/24;"), QStringLiteral("Motivo;Dias"));
        FormatoFechaSQL = formato;
        QCOMPARE(sql, QStringLiteral("SELECT Motivo, Dias FROM dbo.AUSENCIA WHERE "
                                     "(CodigoOperario = '7') AND (Fecha = '03/05/2024') AND "
                                     "(Tipo = '' OR Tipo IS NULL)"));
    }

    void siguienteCodigo_data() { AddEngineRows(); }
    void siguienteCodigo() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        CrearLineas();
        auto lineas = AbrirTablaPrueba(QStringLiteral("LINEAS"));
        TTable* t = lineas.get();
        QCOMPARE(SiguienteCodigo(&modulo, t, 1, -1, -1), 1);
        llenarLineas();
        t->Refresh();
        QVERIFY(t->Locate(QStringLiteral("CodigoOperario;Linea"), QVariantList{7, 1}, 0));
        // The lines of employee 7 only.
        QCOMPARE(SiguienteCodigo(&modulo, t, 1, -1, -1), 6);
        QCOMPARE(SiguienteCodigo(&modulo, t, 10, -1, -1), 15);
        QCOMPARE(SiguienteCodigo(&modulo, t, 1, 1000, -1), 1);
        QCOMPARE(SiguienteCodigo(&modulo, t, 1, -1, 4), 3);

        // A text counter counts only whole numbers.
        CrearTablaPrueba(QStringLiteral("CODIGOS"),
                         {{QStringLiteral("Codigo"), ftString, 20, true}},
                         {QStringLiteral("Codigo")});
        for (const char* c : {"1", "12", "A7", "9X", "-3", "99999999999999999999", "7.5", " "})
            QCOMPARE(Sql(QStringLiteral("INSERT INTO CODIGOS (Codigo) VALUES ('") +
                         QLatin1String(c) + QStringLiteral("')")),
                     QString());
        auto c = AbrirTablaPrueba(QStringLiteral("CODIGOS"));
        const QString sentencia = SentenciaSiguienteCodigo(&modulo, c.get(), -1, -1);
        QVERIFY2(!sentencia.contains(QLatin1String("NOLOCK")), qPrintable(sentencia));
        MessageSeam::clearLog();
        QCOMPARE(SiguienteCodigo(&modulo, c.get(), 1, -1, -1), 13);
        QCOMPARE(SiguienteCodigo(&modulo, c.get(), 1, 2, 11), 1);
        QCOMPARE(SiguienteCodigo(&modulo, c.get(), 1, 2, 12), 13);
        QCOMPARE(MessageSeam::log().size(), 0);
    }

    // The highest code at the end of its field's range: no next code (never
    // one wrapped round or refused when posted), and a new record keeps its
    // code empty for the user to type.
    void siguienteCodigoAlLimite_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("tipo");
        QTest::addColumn<int>("tamano");
        QTest::addColumn<QString>("maximo");
        QTest::addColumn<int>("siguiente");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "entero corto lleno") << int(ftSmallint) << 0 << "32767" << 0;
            NewEngineRow(e, "entero corto, el ultimo") << int(ftSmallint) << 0 << "32766" << 32767;
            NewEngineRow(e, "entero lleno") << int(ftInteger) << 0 << "2147483647" << 0;
            NewEngineRow(e, "entero, el ultimo")
                << int(ftInteger) << 0 << "2147483646" << 2147483647;
            NewEngineRow(e, "texto de 3 lleno") << int(ftString) << 3 << "'999'" << 0;
            NewEngineRow(e, "texto de 3, el ultimo") << int(ftString) << 3 << "'998'" << 999;
        }
    }
    void siguienteCodigoAlLimite() {
        QFETCH(int, engine);
        QFETCH(int, tipo);
        QFETCH(int, tamano);
        QFETCH(QString, maximo);
        QFETCH(int, siguiente);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        CrearTablaPrueba(QStringLiteral("CONTADOR"),
                         {{QStringLiteral("Codigo"), TFieldType(tipo), tamano, true},
                          {QStringLiteral("Nombre"), ftString, 20, false}},
                         {QStringLiteral("Codigo")});
        QCOMPARE(Sql(QStringLiteral("INSERT INTO CONTADOR (Codigo, Nombre) VALUES (") + maximo +
                     QStringLiteral(", 'alto')")),
                 QString());
        auto t = AbrirTablaPrueba(QStringLiteral("CONTADOR"));
        MessageSeam::clearLog();
        QCOMPARE(SiguienteCodigo(&modulo, t.get(), 1, -1, -1), siguiente);
        const QStringList aviso{
            QStringLiteral("¡No queda ningún código siguiente libre en la tabla CONTADOR!")};
        QCOMPARE(TextosMostrados(), siguiente ? QStringList() : aviso);
        t->Append();
        TField* codigo = t->FieldByName(QStringLiteral("Codigo"));
        AsignarSiguienteCodigo(&modulo, t.get(), codigo);
        QCOMPARE(codigo->IsNull(), siguiente == 0);
        if (siguiente) {
            QCOMPARE(codigo->AsInteger(), siguiente);
            t->Post();
            QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM CONTADOR")), QStringLiteral("2"));
        } else {
            t->Cancel();
            QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM CONTADOR")), QStringLiteral("1"));
        }
    }

    void volverAlRegistroYCopiarDeUnModelo_data() { AddEngineRows(); }
    void volverAlRegistroYCopiarDeUnModelo() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        TModuloDatos& modulo = e.modulo;
        TTable* t = e.t.get();
        QVERIFY(t->Locate(QStringLiteral("CodigoOperario;Linea"), QVariantList{7, 5}, 0));
        QVariant valores;
        ValoresClaveRegistro(&modulo, t, valores);
        t->Close();
        t->Open();
        QVERIFY(LocalizarClave(&modulo, t, valores));
        QCOMPARE(t->FieldByName(QStringLiteral("Texto"))->AsString(), QStringLiteral("cinco"));
        QVERIFY(!LocalizarClave(&modulo, t, QVariant()));

        // A new line takes the non-key fields of 8;1, then one field of 7;2.
        t->Append();
        t->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(9);
        t->FieldByName(QStringLiteral("Linea"))->setAsInteger(1);
        CopiarDatosRegistro(&modulo, t, QStringLiteral("8;1;"));
        QCOMPARE(t->FieldByName(QStringLiteral("Texto"))->AsString(), QStringLiteral("O'Brien"));
        QCOMPARE(t->FieldByName(QStringLiteral("CodigoOperario"))->AsInteger(), 9);
        CopiarCampoRegistro(&modulo, t, QStringLiteral("Importe"), QStringLiteral("7;1;"));
        QCOMPARE(t->FieldByName(QStringLiteral("Importe"))->AsFloat(), 10.5);
        // A model that does not exist changes nothing.
        CopiarDatosRegistro(&modulo, t, QStringLiteral("3;3;"));
        CopiarCampoRegistro(&modulo, t, QStringLiteral("Texto"), QStringLiteral("x;1;"));
        QCOMPARE(t->FieldByName(QStringLiteral("Texto"))->AsString(), QStringLiteral("O'Brien"));
        t->Post();
        QCOMPARE(Sql(QStringLiteral("SELECT Texto FROM LINEAS WHERE CodigoOperario = 9")),
                 QStringLiteral("O'Brien"));
    }

    void portapapelesDeRegistros() {
        Escenario e(Engine::Sqlite);
        TModuloDatos& modulo = e.modulo;
        TTable* t = e.t.get();
        QCOMPARE(Sql(QStringLiteral("UPDATE LINEAS SET Notas = 'a' || char(13, 10) || 'b' "
                                    "WHERE Linea = 2")),
                 QString());
        t->Refresh();
        QVERIFY(t->Locate(QStringLiteral("CodigoOperario;Linea"), QVariantList{7, 2}, 0));
        QString texto;
        TextoRegistro(&modulo, t, QStringLiteral("FormatoINI"), texto);
        QCOMPARE(texto, QStringLiteral("CodigoOperario=7\r\nLinea=2\r\nTexto=dos\r\nImporte=20\r\n"
                                       "Notas=a\u00B7b\r\n"));
        TextoRegistro(&modulo, t, QString(), texto);
        QCOMPARE(texto,
                 QStringLiteral("CodigoOperario=7|Linea=2|Texto=dos|Importe=20|Notas=a\r\nb|"));

        ValoresRegistro(&modulo, t, texto);
        QCOMPARE(texto, QStringLiteral("7|2|dos|20|a\r\nb|"));
        // Pasted into 8;1 without its key: the key stays.
        QVERIFY(t->Locate(QStringLiteral("CodigoOperario;Linea"), QVariantList{8, 1}, 0));
        AsignarValoresRegistro(&modulo, t, QStringLiteral("SinIndices"));
        QCOMPARE(t->State(), dsEdit);
        t->Post();
        QCOMPARE(Sql(QStringLiteral("SELECT Texto, Importe FROM LINEAS WHERE CodigoOperario = 8")),
                 QStringLiteral("dos|20"));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM LINEAS")), QStringLiteral("4"));
    }

    // Copied row 7;1 pasted on row 8;1 without its key: every field gets its
    // own value whatever it holds; a value the target field does not take
    // (a copy from another dataset) is named and no field changes.
    void pegarRegistroCampoACampo_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("notas");
        QTest::addColumn<QString>("importe");  // "" = the row's own, a number
        QTest::addColumn<QString>("ocultos");  // the fields hidden from the user
        QTest::addColumn<bool>("enEdicion");   // the target already in edit, its text changed
        for (Engine motor : AvailableEngines()) {
            NewEngineRow(motor, "barra en el texto") << "Turno A|B"
                                                     << "x"
                                                     << ""
                                                     << "" << false;
            NewEngineRow(motor, "punto y coma, LF") << "a;b"
                                                    << "l1\nl2"
                                                    << ""
                                                    << "" << false;
            NewEngineRow(motor, "fuera de Latin-1, CR LF y barra") << "Łódź ·€"
                                                                   << "c\r\nd|e"
                                                                   << ""
                                                                   << "" << false;
            NewEngineRow(motor, "NULL en el texto") << ""
                                                    << ""
                                                    << ""
                                                    << "" << false;
            NewEngineRow(motor, "importe que no convierte") << "dos|x"
                                                            << "n"
                                                            << "doce"
                                                            << "" << false;
            // Refused after the text was pasted into a record in edit: the
            // text goes back to what the user had typed.
            NewEngineRow(motor, "importe que no convierte, en edición") << "dos|x"
                                                                        << "n"
                                                                        << "doce"
                                                                        << "" << true;
            // A hidden field's value is not in the copy; the target keeps its own.
            NewEngineRow(motor, "importe oculto") << "Łódź|x"
                                                  << "n;1"
                                                  << ""
                                                  << "Importe" << false;
            NewEngineRow(motor, "notas ocultas, texto visible por excepción")
                << "a·b"
                << "secreto|\nx"
                << ""
                << "Notas,Text,-Texto" << false;
        }
    }
    void pegarRegistroCampoACampo() {
        QFETCH(int, engine);
        QFETCH(QString, texto);
        QFETCH(QString, notas);
        QFETCH(QString, importe);
        QFETCH(QString, ocultos);
        QFETCH(bool, enEdicion);
        Escenario e{Engine(engine)};
        TTable* t = e.t.get();
        QVERIFY(t->Locate(QStringLiteral("CodigoOperario;Linea"), QVariantList{7, 1}, 0));
        t->Edit();
        if (texto.isEmpty())
            t->FieldByName(QStringLiteral("Texto"))->Clear();
        else
            t->FieldByName(QStringLiteral("Texto"))->setAsString(texto);
        t->FieldByName(QStringLiteral("Notas"))->setAsString(notas);
        t->Post();
        QString copia;
        CamposNoVisiblesUsuario = ocultos;
        const bool importeVisible = !CampoNoVisible(nullptr, QStringLiteral("Importe"));
        const bool notasVisible = !CampoNoVisible(nullptr, QStringLiteral("Notas"));
        if (importe.isEmpty()) {
            // The Name=Value copy leaves a hidden field out, name and value.
            TextoRegistro(&e.modulo, t, QString(), copia);
            QCOMPARE(copia.contains(QLatin1String("Importe=")), importeVisible);
            QCOMPARE(copia.contains(QLatin1String("10,5")), importeVisible);
            QCOMPARE(copia.contains(QLatin1String("Notas=")), notasVisible && !notas.isEmpty());
            if (!texto.isEmpty()) QVERIFY(copia.contains(QLatin1String("Texto=") + texto));
            ValoresRegistro(&e.modulo, t, copia);
            QCOMPARE(copia.contains(QLatin1String("10")), importeVisible);
            if (!notas.isEmpty()) QCOMPARE(copia.contains(notas), notasVisible);
        } else {
            TClientDataSet otra;
            otra.FieldDefs() << TFieldDef{QStringLiteral("CodigoOperario"), ftInteger, 0, false}
                             << TFieldDef{QStringLiteral("Linea"), ftInteger, 0, false}
                             << TFieldDef{QStringLiteral("Texto"), ftString, 40, false}
                             << TFieldDef{QStringLiteral("Importe"), ftString, 10, false}
                             << TFieldDef{QStringLiteral("Notas"), ftMemo, 0, false};
            otra.CreateDataSet();
            otra.Append();
            otra.Fields()[2]->setAsString(texto);
            otra.Fields()[3]->setAsString(importe);
            otra.Fields()[4]->setAsString(notas);
            otra.Post();
            ValoresRegistro(&e.modulo, &otra, copia);
        }
        QVERIFY(t->Locate(QStringLiteral("CodigoOperario;Linea"), QVariantList{8, 1}, 0));
        if (enEdicion) {
            t->Edit();
            t->FieldByName(QStringLiteral("Texto"))->setAsString(QStringLiteral("editado"));
        }
        MessageSeam::clearLog();
        AsignarValoresRegistro(&e.modulo, t, QStringLiteral("SinIndices"));
        if (t->State() == dsEdit) t->Post();
        auto leido = [](const char* campo) {
            return Sql(QStringLiteral("SELECT ") + QLatin1String(campo) +
                       QStringLiteral(" FROM LINEAS WHERE CodigoOperario = 8 AND Linea = 1"));
        };
        CamposNoVisiblesUsuario.clear();
        if (importe.isEmpty()) {
            QCOMPARE(leido("Texto"), texto);
            QCOMPARE(leido("Importe"), importeVisible ? QStringLiteral("10,5") : "3");
            QCOMPARE(leido("Notas"), notasVisible ? notas : QString());
            QCOMPARE(MessageSeam::log().size(), 0);
        } else {
            QCOMPARE(leido("Texto"), enEdicion ? QStringLiteral("editado") : "O'Brien");
            QCOMPARE(leido("Importe"), QStringLiteral("3"));
            QCOMPARE(leido("Notas"), QString());
            QCOMPARE(MessageSeam::log().size(), 1);
            QCOMPARE(MessageSeam::log().first().kind, QStringLiteral("A"));
            QVERIFY(MessageSeam::log().first().text.contains(QLatin1String("Importe")));
        }
    }

    void valoresDistintosConExtras() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        TModuloDatos modulo;
        CrearLineas();
        llenarLineas();
        Sql(QStringLiteral("UPDATE LINEAS SET Texto = 'BA' WHERE Linea = 5"));
        QString texto;
        ValoresDistintos(&modulo, QStringLiteral("LINEAS"), QStringLiteral("Texto"), texto,
                         QStringLiteral("A;dos;B;;C"));
        // "A" is not "BA"; "dos" is there; nothing after the empty item.
        QCOMPARE(texto, QStringLiteral("BA\r\nO'Brien\r\ndos\r\nuno\r\nA\r\nB\r\n"));
    }

    void eliminarRegistrosActivos_data() { AddEngineRows(); }
    void eliminarRegistrosActivos() {
        QFETCH(int, engine);
        Escenario e{Engine(engine)};
        TModuloDatos& modulo = e.modulo;
        TTable* t = e.t.get();
        t->SetRange({7}, {7});
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("NO"));
        QVERIFY(EliminarRegistrosActivos(&modulo, t));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM LINEAS")), QStringLiteral("4"));

        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        QVERIFY(EliminarRegistrosActivos(&modulo, t));
        QCOMPARE(Sql(QStringLiteral("SELECT CodigoOperario FROM LINEAS")), QStringLiteral("8"));

        // A record that refuses its delete stops the run.
        t->CancelRange();
        t->BeforeDelete = [](TDataSet*) {
            throw EDatabaseError(DbError::General, QStringLiteral("no"));
        };
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::clearLog();
        QVERIFY(!EliminarRegistrosActivos(&modulo, t));
        QCOMPARE(MessageSeam::log().last().text,
                 QStringLiteral("¡Imposible eliminar el registro!"));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM LINEAS")), QStringLiteral("1"));
    }

    void listados() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        TModuloDatos modulo;
        CrearLineas();
        llenarLineas();
        TQuery q;
        q.setObjectName(QStringLiteral("Consulta"));
        q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
        q.SQL().setText(QStringLiteral("SELECT Linea, Texto FROM LINEAS WHERE CodigoOperario = 7"));
        MessageSeam::clearLog();
        ListarDataSet(&modulo, &q, QString(), QString());
        QCOMPARE(MessageSeam::log().last().text, QStringLiteral("No hay registros para listar"));

        // Without the designer nothing is listed, and nothing is left behind.
        q.Open();
        ListarDataSet(&modulo, &q, QString(), QString());
        GanchoListadoProgramable = listadoPrueba;
        ListarDataSet(&modulo, &q, QStringLiteral("PRE"), QStringLiteral("Titulo"));
        QCOMPARE(listado.llamadas, 1);
        QCOMPARE(listado.filas, (QStringList{"1|uno", "2|dos", "5|cinco"}));
        QCOMPARE(listado.opciones, QStringLiteral("CamposOrdenadosOFF"));
        QVERIFY(listado.fuenteFija);
        TTable copia;
        copia.setDatabaseName(listado.base);
        copia.setTableName(listado.tabla);
        QVERIFY(listado.tabla.startsWith(QLatin1String("TEMP")));
        QVERIFY(!copia.Exists());

        // A query's table is listed whole.
        listado = Listado();
        ListarTabla(&modulo, &q);
        QCOMPARE(listado.tabla, QStringLiteral("LINEAS"));
        QCOMPARE(listado.filas.size(), 4);
        QVERIFY(!listado.fuenteFija);
    }

    void documentacionElectronica_data() { AddEngineRows(); }
    void documentacionElectronica() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        QVERIFY(!TieneDocumentacionElectronica(&modulo, QStringLiteral("LINEAS"),
                                               QStringLiteral("7|2")));
        QCOMPARE(Sql(QStringLiteral("INSERT INTO DOCUTRON (NombreTabla, ClaveTabla, Nombre) "
                                    "VALUES ('LINEAS', '7|2', 'Contrato')")),
                 QString());
        QVERIFY(TieneDocumentacionElectronica(&modulo, QStringLiteral("LINEAS"),
                                              QStringLiteral("7|2")));
        QVERIFY(!TieneDocumentacionElectronica(&modulo, QStringLiteral("LINEAS'"),
                                               QStringLiteral("7|2")));
    }

    void valorDeLista() {
        Escenario e(Engine::Sqlite);
        TModuloDatos& modulo = e.modulo;
        TTable* t = e.t.get();
        TField* campo = t->FieldByName(QStringLiteral("Texto"));
        QObject control;
        // Without the data-aware controls every control is "any other".
        QVERIFY(ValidarValorLista(&modulo, &control, campo));
        static TListaValoresControl::Clase clase;
        GanchoListaValoresControl = [](QObject*, TField* f, TListaValoresControl& d) {
            d.clase = clase;
            d.texto = f->AsString();
            d.elementos = QStringList{QStringLiteral("uno"), QStringLiteral("Dos")};
            d.tituloColumna = QStringLiteral("Descripción");
            return true;
        };
        MessageSeam::clearLog();
        clase = TListaValoresControl::Rejilla;
        QVERIFY(ValidarValorLista(&modulo, &control, campo));  // "uno"
        t->Next();
        QVERIFY(!ValidarValorLista(&modulo, &control, campo));  // "dos": case counts
        QCOMPARE(
            MessageSeam::log().last().text,
            QStringLiteral("¡ El valor \"dos\" de la columna \"Descripción\" no es correcto !"));
        clase = TListaValoresControl::Combo;
        QVERIFY(!ValidarValorLista(&modulo, &control, t->FieldByName(QStringLiteral("Texto"))));
        QCOMPARE(MessageSeam::log().last().text,
                 QStringLiteral("¡El valor \"dos\" del campo \"Texto\" no es correcto!"));
    }
};

QTEST_MAIN(TestGeneClav)
#include "tst_geneclav.moc"
