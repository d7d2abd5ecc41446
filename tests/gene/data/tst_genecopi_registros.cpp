// Code change with detail lines, deleting a record's attachments (and
// undoing them with the record), record copies between two companies in
// every mode, and record snapshots.

#include <QtTest>

#include "db/database.h"
#include "db/datasource.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genecopi_registros.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/registros_prueba.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "support/sqlprueba.h"

namespace {

OpcionesInstalacion empresas(QList<int> codigos = {1}) {
    OpcionesInstalacion o;
    o.empresas = codigos;
    o.empresaActual = 1;
    return o;
}

void insertar(const QString& tabla, const QString& columnas, const QStringList& filas,
              const QString& selector = QStringLiteral("Database")) {
    for (const QString& f : filas)
        QCOMPARE(Sql(QStringLiteral("INSERT INTO ") + tabla + QStringLiteral(" (") + columnas +
                         QStringLiteral(") VALUES (") + f + QLatin1Char(')'),
                     selector),
                 QString());
}

void llenarLineas(const QString& selector = QStringLiteral("Database")) {
    insertar(QStringLiteral("LINEAS"), QStringLiteral("CodigoOperario, Linea, Texto"),
             {"7, 1, 'uno'", "7, 2, 'dos'", "7, 5, 'cinco'", "8, 1, 'ocho'"}, selector);
}

// CABECERA 7 with its LINEAS shown as details.
struct Cabecera {
    Cabecera() {
        CrearTablaPrueba(QStringLiteral("CABECERA"),
                         {{QStringLiteral("CodigoOperario"), ftSmallint, 0, true},
                          {QStringLiteral("Nombre"), ftString, 30, false}},
                         {QStringLiteral("CodigoOperario")});
        insertar(QStringLiteral("CABECERA"), QStringLiteral("CodigoOperario, Nombre"),
                 {"7, 'Ana'", "8, 'Luis'"});
        CrearLineas();
        llenarLineas();
        cabecera = AbrirTablaPrueba(QStringLiteral("CABECERA"));
        fuente.setDataSet(cabecera.get());
        lineas = std::make_unique<TTable>();
        lineas->setDatabaseName(cabecera->DatabaseName());
        lineas->setTableName(QStringLiteral("LINEAS"));
        lineas->setMasterSource(&fuente);
        lineas->setMasterFields(QStringLiteral("CodigoOperario"));
        lineas->Open();
    }
    std::unique_ptr<TTable> cabecera;
    TDataSource fuente;
    std::unique_ptr<TTable> lineas;
};

QString todas(const QString& tabla, const QString& selector = QStringLiteral("Database")) {
    return Sql(QStringLiteral("SELECT * FROM ") + tabla +
                   QStringLiteral(" ORDER BY CodigoOperario, Linea"),
               selector);
}

// One row of each attachment kind for the record 7|2 of LINEAS, and rows of
// other records that must stay.
void adjuntos() {
    insertar(QStringLiteral("RESPDOC"), QStringLiteral("NombreTabla, ClaveTabla"),
             {"'LINEAS', '7|2'", "'LINEAS', '7|2|'", "'LINEAS', '7|20'", "'OTRA', '7|2'"});
    insertar(QStringLiteral("DOCUTRON"), QStringLiteral("NombreTabla, ClaveTabla, Nombre"),
             {"'LINEAS', '7|2', 'Contrato'", "'LINEAS', '7|2|', 'Otro'"});
    insertar(QStringLiteral("BLOBTAB"), QStringLiteral("NombreTabla, ClaveTabla, IdObjeto"),
             {"'LINEAS', '7|2', 'Foto'"});
    insertar(QStringLiteral("GRANTAB"), QStringLiteral("NombreTabla, ClaveTabla, GrupoAnalisis"),
             {"'LINEAS', '7|2', 'DEP1'", "'LINEAS', '8|1', 'DEP1'"});
    insertar(QStringLiteral("CONTACTO"), QStringLiteral("NombreTabla, CodigoTabla, Linea"),
             {"'LINEAS', '7|2', 1", "'LINEAS', '7|2', 2"});
    insertar(QStringLiteral("RELACION"),
             QStringLiteral("NombreTablaA, ClaveTablaA, NombreTablaB, ClaveTablaB"),
             {"'LINEAS', '7|2', 'CABECERA', '7'", "'CABECERA', '8', 'LINEAS', '7|2'",
              "'CABECERA', '8', 'LINEAS', '8|1'"});
}

QString quedan() {
    QStringList n;
    for (const char* t : {"RESPDOC", "DOCUTRON", "BLOBTAB", "GRANTAB", "CONTACTO", "RELACION"})
        n << Sql(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(t));
    return n.join(QLatin1Char(' '));
}

}  // namespace

class TestGeneCopiRegistros : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cambiarCodigo_data() { AddEngineRows(); }
    void cambiarCodigo() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), empresas());
        TModuloDatos modulo;
        Cabecera c;
        QString r;
        CambiarCodigo(&modulo, c.cabecera.get(), {nullptr, c.lineas.get()}, QStringLiteral("15"),
                      r);
        QCOMPARE(r, QString());
        QCOMPARE(Sql(QStringLiteral("SELECT Nombre FROM CABECERA WHERE CodigoOperario = 15")),
                 QStringLiteral("Ana"));
        QCOMPARE(Sql(QStringLiteral("SELECT Linea, Texto FROM LINEAS WHERE CodigoOperario = 15 "
                                    "ORDER BY Linea")),
                 QStringLiteral("1|uno\r\n2|dos\r\n5|cinco"));
        QCOMPARE(c.cabecera->FieldByName(QStringLiteral("CodigoOperario"))->AsInteger(), 15);
        QVERIFY(Sql(QStringLiteral("SELECT Nombre FROM CABECERA WHERE CodigoOperario = 7")) ==
                QStringLiteral("Ana"));

        // A line that cannot be copied undoes the header too.
        QVERIFY(c.cabecera->Locate(QStringLiteral("CodigoOperario"), 7, 0));
        insertar(QStringLiteral("LINEAS"), QStringLiteral("CodigoOperario, Linea, Texto"),
                 {"20, 5, 'ya estaba'"});
        CambiarCodigo(&modulo, c.cabecera.get(), {c.lineas.get()}, QStringLiteral("20"), r);
        QVERIFY2(r.startsWith(QLatin1String("Error: ")), qPrintable(r));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM CABECERA WHERE CodigoOperario = 20")),
                 QStringLiteral("0"));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM LINEAS WHERE CodigoOperario = 20")),
                 QStringLiteral("1"));
        // An existing key: the header itself is refused.
        CambiarCodigo(&modulo, c.cabecera.get(), {}, QStringLiteral("8"), r);
        QVERIFY2(r.startsWith(QLatin1String("Error: ")), qPrintable(r));
        QCOMPARE(Sql(QStringLiteral("SELECT Nombre FROM CABECERA WHERE CodigoOperario = 8")),
                 QStringLiteral("Luis"));
        QCOMPARE(c.lineas->State(), dsBrowse);
        QVERIFY(!fGENEINIC->Database->InTransaction());
    }

    // The server ends the connection half-way through the change (between
    // the first detail and the next): nothing of the change is stored, not
    // even the details copied after the loss, and the user is told that it
    // was not saved; the next change is whole.
    void cambiarCodigoConexionPerdida_data() { AddEngineRows(); }
    void cambiarCodigoConexionPerdida() {
        QFETCH(int, engine);
        if (Engine(engine) != Engine::Postgres) QSKIP("a file's connection is never lost");
        TestInstalacion inst(Engine(engine), empresas());
        TModuloDatos modulo;
        Cabecera c;
        const TFieldDefs campos{{QStringLiteral("CodigoOperario"), ftSmallint, 0, true},
                                {QStringLiteral("Linea"), ftSmallint, 0, true},
                                {QStringLiteral("Texto"), ftString, 40, false}};
        const QStringList clave{QStringLiteral("CodigoOperario"), QStringLiteral("Linea")};
        CrearTablaPrueba(QStringLiteral("VACIA"), campos, clave);
        CrearTablaPrueba(QStringLiteral("NOTAS"), campos, clave);
        insertar(QStringLiteral("NOTAS"), QStringLiteral("CodigoOperario, Linea, Texto"),
                 {"7, 1, 'nota'"});
        auto vacia = AbrirTablaPrueba(QStringLiteral("VACIA"));
        auto notas = AbrirTablaPrueba(QStringLiteral("NOTAS"));
        bool cortada = false;
        vacia->AfterScroll = [&](TDataSet*) {
            if (!std::exchange(cortada, true)) EndBackends({fGENEINIC->Database});
        };
        MessageSeam::clearLog();
        QString r;
        CambiarCodigo(&modulo, c.cabecera.get(), {vacia.get(), c.lineas.get(), notas.get()},
                      QStringLiteral("15"), r);
        QVERIFY(cortada);
        QVERIFY2(r.startsWith(QLatin1String("Error: ")), qPrintable(r));
        QVERIFY(!fGENEINIC->Database->InTransaction());
        QStringList avisos;
        for (const auto& m : MessageSeam::log()) avisos << m.text;
        QVERIFY2(avisos.contains(QStringLiteral(
                     "¡No se puede finalizar la transacción!. Mensaje Original: ¡ Se ha perdido "
                     "la conexión con el servidor de la Base de Datos !. No se ha guardado "
                     "ninguno de los cambios de la operación en curso: la transacción se ha "
                     "cancelado.")),
                 qPrintable(avisos.join(QLatin1Char('\n'))));
        for (const char* t : {"CABECERA", "LINEAS", "NOTAS"})
            QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(t) +
                         QStringLiteral(" WHERE CodigoOperario = 15")),
                     QStringLiteral("0"));

        vacia->AfterScroll = nullptr;
        QVERIFY(c.cabecera->Locate(QStringLiteral("CodigoOperario"), 7, 0));
        CambiarCodigo(&modulo, c.cabecera.get(), {vacia.get(), c.lineas.get(), notas.get()},
                      QStringLiteral("15"), r);
        QCOMPARE(r, QString());
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM LINEAS WHERE CodigoOperario = 15")),
                 QStringLiteral("3"));
        QCOMPARE(Sql(QStringLiteral("SELECT Texto FROM NOTAS WHERE CodigoOperario = 15")),
                 QStringLiteral("nota"));
    }

    void cambiarCodigoPreguntado() {
        TestInstalacion inst(Engine::Sqlite, empresas());
        TModuloDatos modulo;
        CrearLineas();
        llenarLineas();
        auto t = AbrirTablaPrueba(QStringLiteral("LINEAS"));
        QString r;
        // Two key fields given: a copy under 15;2.
        CambiarCodigo(&modulo, t.get(), {}, QStringLiteral("15;2"), r);
        QCOMPARE(r, QString());
        QCOMPARE(Sql(QStringLiteral("SELECT Texto FROM LINEAS WHERE CodigoOperario = 15")),
                 QStringLiteral("uno"));

        // A five-digit small integer is refused.
        MessageSeam::clearLog();
        CambiarCodigo(&modulo, t.get(), {}, QStringLiteral("12345;1"), r);
        QCOMPARE(r, QStringLiteral("Cancelada"));
        QCOMPARE(MessageSeam::log().last().text,
                 QStringLiteral("¡El valor introducido es demasiado grande (el máximo es de 4 "
                                "dígitos)!"));
        // Asked: a cancel at the second field writes nothing.
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("30"));
        MessageSeam::enqueue(MessageSeam::cancel());
        CambiarCodigo(&modulo, t.get(), {}, QString(), r);
        QCOMPARE(r, QStringLiteral("Cancelada"));
        QCOMPARE(MessageSeam::log().size(), 2);
        QCOMPARE(MessageSeam::log().at(0).text, QStringLiteral("Introduzca el nuevo C.Operario:"));
        QCOMPARE(MessageSeam::log().at(1).text, QStringLiteral("Introduzca el nuevo Linea:"));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM LINEAS")), QStringLiteral("5"));
    }

    // A text key longer than its field is refused whole: never stored cut,
    // never cut onto a code that exists.
    void cambiarCodigoTexto_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("nueva");
        QTest::addColumn<QString>("resultado");
        QTest::addColumn<QString>("codigos");
        for (Engine e : AvailableEngines()) {
            NewEngineRow(e, "once caracteres") << "ABCDEFGHIJK"
                                               << "Cancelada"
                                               << "ABCDEFGHIJ|VIEJO";
            NewEngineRow(e, "cortado sobre otro") << "ABCDEFGHIJKLMNO"
                                                  << "Cancelada"
                                                  << "ABCDEFGHIJ|VIEJO";
            NewEngineRow(e, "diez caracteres") << "NUEVO12345"
                                               << ""
                                               << "ABCDEFGHIJ|NUEVO12345|VIEJO";
            NewEngineRow(e, "fuera de latin-1") << "ŁÓDŹ-ŻÓŁĆ1"
                                                << ""
                                                << "ABCDEFGHIJ|VIEJO|ŁÓDŹ-ŻÓŁĆ1";
            NewEngineRow(e, "fuera de latin-1, largo") << "ŁÓDŹ-ŻÓŁĆ12"
                                                       << "Cancelada"
                                                       << "ABCDEFGHIJ|VIEJO";
        }
    }
    void cambiarCodigoTexto() {
        QFETCH(int, engine);
        QFETCH(QString, nueva);
        QFETCH(QString, resultado);
        QFETCH(QString, codigos);
        TestInstalacion inst(Engine(engine), empresas());
        TModuloDatos modulo;
        CrearTablaPrueba(QStringLiteral("CODIGOS"),
                         {{QStringLiteral("Codigo"), ftString, 10, true},
                          {QStringLiteral("Nombre"), ftString, 30, false}},
                         {QStringLiteral("Codigo")});
        insertar(QStringLiteral("CODIGOS"), QStringLiteral("Codigo, Nombre"),
                 {"'VIEJO', 'Ana'", "'ABCDEFGHIJ', 'Luis'"});
        auto t = AbrirTablaPrueba(QStringLiteral("CODIGOS"));
        QVERIFY(t->Locate(QStringLiteral("Codigo"), QStringLiteral("VIEJO"), 0));
        MessageSeam::clearLog();
        QString r;
        CambiarCodigo(&modulo, t.get(), {}, nueva, r);
        QCOMPARE(r, resultado);
        QStringList vistos;
        for (const QString& l :
             Sql(QStringLiteral("SELECT Codigo FROM CODIGOS ORDER BY Codigo")).split("\r\n"))
            vistos << l;
        std::sort(vistos.begin(), vistos.end());
        QCOMPARE(vistos.join(QLatin1Char('|')), codigos);
        QCOMPARE(Sql(QStringLiteral("SELECT Nombre FROM CODIGOS WHERE Codigo = 'ABCDEFGHIJ'")),
                 QStringLiteral("Luis"));
        QCOMPARE(TextosMostrados(),
                 resultado.isEmpty()
                     ? QStringList()
                     : QStringList{QStringLiteral("¡El valor introducido es demasiado largo (el "
                                                  "máximo es de 10 caracteres)!")});
        QVERIFY(!fGENEINIC->Database->InTransaction());
    }

    void eliminarRegistrosAsociados_data() { AddEngineRows(); }
    void eliminarRegistrosAsociados() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), empresas());
        TModuloDatos modulo;
        CrearLineas();
        llenarLineas();
        adjuntos();
        auto t = AbrirTablaPrueba(QStringLiteral("LINEAS"));
        QVERIFY(t->Locate(QStringLiteral("CodigoOperario;Linea"), QVariantList{7, 2}, 0));
        QCOMPARE(quedan(), QStringLiteral("4 2 1 2 2 3"));
        // Inside the record's delete the caller's transaction holds both.
        QVERIFY(IniciarTransaccion(fGENEINIC));
        QVERIFY(EliminarRegistrosAsociados(&modulo, t.get()));
        t->Delete();
        QVERIFY(fGENEINIC->Database->InTransaction());
        QVERIFY(CancelarTransaccion(fGENEINIC));
        QCOMPARE(quedan(), QStringLiteral("4 2 1 2 2 3"));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM LINEAS")), QStringLiteral("4"));

        t->Refresh();
        QVERIFY(t->Locate(QStringLiteral("CodigoOperario;Linea"), QVariantList{7, 2}, 0));
        MessageSeam::clearLog();
        QVERIFY(EliminarRegistrosAsociados(&modulo, t.get()));
        QCOMPARE(MessageSeam::log().size(), 0);
        // RESPDOC by K and K + "|"; RELACION from either side; the rest by K.
        QCOMPARE(quedan(), QStringLiteral("2 1 0 1 0 1"));
        QCOMPARE(Sql(QStringLiteral("SELECT ClaveTabla FROM RESPDOC ORDER BY NombreTabla")),
                 QStringLiteral("7|20\r\n7|2"));
        QVERIFY(!fGENEINIC->Database->InTransaction());
    }

    void adjuntoQueFallaDeshaceElBorrado_data() { AddEngineRows(); }
    void adjuntoQueFallaDeshaceElBorrado() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), empresas());
        TModuloDatos modulo;
        CrearLineas();
        llenarLineas();
        adjuntos();
        // A RELACION of another shape: its delete fails.
        CrearTablaPrueba(QStringLiteral("RELACION"), {{QStringLiteral("Otra"), ftString, 10, true}},
                         {QStringLiteral("Otra")});
        auto t = AbrirTablaPrueba(QStringLiteral("LINEAS"));
        QVERIFY(t->Locate(QStringLiteral("CodigoOperario;Linea"), QVariantList{7, 2}, 0));

        // On its own: every attachment stays.
        MessageSeam::clearLog();
        QVERIFY(!EliminarRegistrosAsociados(&modulo, t.get()));
        QVERIFY(MessageSeam::log().last().text.startsWith(
            QStringLiteral("¡El registro de Relación asociado no ha sido eliminado! Motivo: ")));
        QCOMPARE(quedan(), QStringLiteral("4 2 1 2 2 0"));

        // Inside the record's delete the deletes that went through wait for
        // the caller, who undoes them with the record.
        QVERIFY(IniciarTransaccion(fGENEINIC));
        QVERIFY(!EliminarRegistrosAsociados(&modulo, t.get()));
        QVERIFY(fGENEINIC->Database->InTransaction());
        QVERIFY(CancelarTransaccion(fGENEINIC));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM LINEAS")), QStringLiteral("4"));
        QCOMPARE(quedan(), QStringLiteral("4 2 1 2 2 0"));
    }

    void copiarRegistrosEntreEmpresas_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("modo");
        QTest::addColumn<QString>("resultado");
        const QString todas = QStringLiteral("7|1|uno\r\n7|2|dos\r\n7|5|cinco\r\n8|1|ocho");
        for (Engine e : AvailableEngines()) {
            const QByteArray m = EngineTag(e).toLatin1();
            QTest::addRow("%s Agregar", m.constData())
                << int(e) << QStringLiteral("Agregar")
                << QStringLiteral("7|1|viejo\r\n7|2|dos\r\n7|5|cinco\r\n8|1|ocho\r\n9|9|otro");
            QTest::addRow("%s Sustituir", m.constData())
                << int(e) << QStringLiteral("Sustituir") << QStringLiteral("7|1|uno\r\n9|9|otro");
            QTest::addRow("%s Agregar y Sustituir", m.constData())
                << int(e) << QStringLiteral("Agregar y Sustituir")
                << todas + QStringLiteral("\r\n9|9|otro");
            QTest::addRow("%s Copiar", m.constData())
                << int(e) << QStringLiteral("Copiar") << todas;
        }
    }
    void copiarRegistrosEntreEmpresas() {
        QFETCH(int, engine);
        QFETCH(QString, modo);
        QFETCH(QString, resultado);
        TestInstalacion inst(Engine(engine), empresas({1, 2}));
        TModuloDatos modulo;
        CrearLineas();
        llenarLineas();
        const QString destino = QStringLiteral("?") + NombreBaseDatosEmpresa(fGENEINIC, 2);
        CrearLineas(destino);
        insertar(QStringLiteral("LINEAS"), QStringLiteral("CodigoOperario, Linea, Texto"),
                 {"7, 1, 'viejo'", "9, 9, 'otro'"}, destino);
        auto origen = AbrirTablaPrueba(QStringLiteral("LINEAS"));
        auto copia = AbrirTablaPrueba(QStringLiteral("LINEAS"), destino);
        QVERIFY(CopiarRegistros(&modulo, origen.get(), copia.get(), modo));
        QCOMPARE(Sql(QStringLiteral("SELECT CodigoOperario, Linea, Texto FROM LINEAS ORDER BY "
                                    "CodigoOperario, Linea"),
                     destino),
                 resultado);
        QCOMPARE(todas(QStringLiteral("LINEAS")).count(QLatin1Char('\n')), 3);  // source untouched
    }

    void copiarQueFallaDejaElDestino_data() { AddEngineRows(); }
    void copiarQueFallaDejaElDestino() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), empresas({1, 2}));
        TModuloDatos modulo;
        CrearLineas();
        llenarLineas();
        // The target keyed by Linea alone: 8;1 collides with 7;1 half-way.
        const QString destino = QStringLiteral("?") + NombreBaseDatosEmpresa(fGENEINIC, 2);
        CrearTablaPrueba(QStringLiteral("LINEAS"),
                         {{QStringLiteral("Linea"), ftSmallint, 0, true},
                          {QStringLiteral("CodigoOperario"), ftSmallint, 0, false},
                          {QStringLiteral("Texto"), ftString, 40, false}},
                         {QStringLiteral("Linea")}, destino);
        insertar(QStringLiteral("LINEAS"), QStringLiteral("Linea, CodigoOperario, Texto"),
                 {"3, 9, 'antes'"}, destino);
        auto origen = AbrirTablaPrueba(QStringLiteral("LINEAS"));
        auto copia = AbrirTablaPrueba(QStringLiteral("LINEAS"), destino);
        MessageSeam::clearLog();
        QVERIFY(!CopiarRegistros(&modulo, origen.get(), copia.get(), QStringLiteral("Copiar")));
        QCOMPARE(Sql(QStringLiteral("SELECT Linea, CodigoOperario, Texto FROM LINEAS"), destino),
                 QStringLiteral("3|9|antes"));
        QCOMPARE(copia->RecordCount(), 1);
        QCOMPARE(MessageSeam::log().size(), 0);
        // "Agregar" keeps what it could write.
        QVERIFY(CopiarRegistros(&modulo, origen.get(), copia.get(), QStringLiteral("Agregar")));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM LINEAS"), destino), QStringLiteral("4"));
    }

    void camposYFotografiasDeRegistro() {
        TestInstalacion inst(Engine::Sqlite, empresas());
        TModuloDatos modulo;
        CrearLineas();
        llenarLineas();
        Sql(QStringLiteral("UPDATE LINEAS SET Importe = 12.5, Texto = 'a=b' WHERE Linea = 5"));
        auto t = AbrirTablaPrueba(QStringLiteral("LINEAS"));
        QVERIFY(t->Locate(QStringLiteral("CodigoOperario;Linea"), QVariantList{7, 5}, 0));
        QVariant foto;
        ListaValoresRegistro(&modulo, t.get(), foto);
        QCOMPARE(foto.toList().size(), 5);
        QString v;
        BuscarValorLista(&modulo, QStringLiteral("codigooperario"), foto, v);
        QCOMPARE(v, QStringLiteral("7"));
        BuscarValorLista(&modulo, QStringLiteral("Importe"), foto, v);
        QCOMPARE(v, QStringLiteral("12,5"));
        BuscarValorLista(&modulo, QStringLiteral("Texto"), foto, v);
        QCOMPARE(v, QStringLiteral("a"));  // a value holding "=" is cut there
        BuscarValorLista(&modulo, QStringLiteral("NoEsta"), foto, v);
        QCOMPARE(v, QString());

        // Named fields up to the first empty name; missing ones skipped.
        auto otra = AbrirTablaPrueba(QStringLiteral("LINEAS"));
        otra->Locate(QStringLiteral("CodigoOperario;Linea"), QVariantList{8, 1}, 0);
        otra->Edit();
        CopiarCampos(&modulo, t.get(), otra.get(), QStringLiteral("NoEsta;Importe;;Texto"));
        QCOMPARE(otra->FieldByName(QStringLiteral("Importe"))->AsFloat(), 12.5);
        QCOMPARE(otra->FieldByName(QStringLiteral("Texto"))->AsString(), QStringLiteral("ocho"));
        otra->Cancel();
    }
};

QTEST_MAIN(TestGeneCopiRegistros)
#include "tst_genecopi_registros.moc"
