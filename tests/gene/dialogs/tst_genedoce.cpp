// Electronic documentation: documents attached to an employee through the
// window the session opens, listed, previewed without starting a program,
// opened only by "Ejecutar", removed; titles with quotes kept; a repeated
// title refused; the walk among the records with documents; the selected
// list and the texts of its mail.

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/dialogs/genedoce.h"
#include "gene/registros_prueba.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/sesion.h"
#include "support/baseretenida.h"
#include "support/cortepg.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/controls.h"

namespace {

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

QStringList abiertos;
bool abrirPrueba(const QString& ubicacion) {
    abiertos << ubicacion;
    return true;
}

// The messages shown (file choices left out).
QStringList mensajes() {
    QStringList l;
    for (const auto& e : MessageSeam::log())
        if (e.kind != QLatin1String("Seleccion") && e.kind != QLatin1String("P")) l << e.text;
    MessageSeam::clearLog();
    return l;
}

QString documentos(const QString& clave = QStringLiteral("1")) {
    return Sql(QStringLiteral("SELECT Nombre FROM DOCUTRON WHERE NombreTabla = 'PERSONAL' AND "
                              "ClaveTabla = '") +
               clave + QStringLiteral("' ORDER BY Nombre"));
}

void escribir(const QString& ruta, const QByteArray& contenido) {
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contenido);
}

// The scenes of a record that is no longer the one the window's opener read
// (see TestGeneDoce::sinRegistroActual): neither an added document nor the
// removal of one shown goes through.
void registroCambiado(const TestInstalacion& inst, const QString& escena) {
    Sql(
        QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (9, 'FELIX "
                       "SEXTO'), (8, 'OCTAVO · Ñu | Œ')"));
    Sql(
        QStringLiteral("INSERT INTO DOCUTRON (NombreTabla, ClaveTabla, Nombre) VALUES "
                       "('PERSONAL', '8', 'Ficha')"));
    TDatabase otra;
    otra.setDatabaseName(QStringLiteral("OtraSesion"));
    otra.Params() = inst.sesion()->Database->Params();
    otra.Open();
    auto bajoLaClave = [&otra](const QString& clave) {
        return otra
            .Scalar(QStringLiteral("SELECT COUNT(*) FROM DOCUTRON WHERE NombreTabla = "
                                   "'PERSONAL' AND ClaveTabla = '") +
                    clave + QLatin1Char('\''))
            .toString();
    };
    // The personnel window's record, as it read employee 9.
    auto personal = AbrirTablaPrueba(QStringLiteral("PERSONAL"));
    QVERIFY(personal->FindKey({9}));
    AbrirDocumentacionElectronica(inst.sesion(), QStringLiteral("PERSONAL"), QStringLiteral("9"),
                                  personal->RowAsRead());
    QVERIFY(fGENEDOCE);
    TfGENEDOCE* d = fGENEDOCE;
    QVERIFY(d->AgregarDocumento(QStringLiteral("Contrato"), QString(), QStringLiteral("de 9")));
    QCOMPARE(bajoLaClave(QStringLiteral("9")), QStringLiteral("1"));
    QString clave = QStringLiteral("9");
    if (escena == QLatin1String("recorrido")) {
        d->pbAnteriorClick();
        QCOMPARE(d->ClaveTabla, QStringLiteral("8"));
        clave = QStringLiteral("8");
    }
    // The other clerk's delete takes the record's documents with it.
    const QString donde = QStringLiteral(" WHERE CodigoOperario = ") + clave;
    if (escena == QLatin1String("modificado")) {
        otra.Execute(QStringLiteral("UPDATE PERSONAL SET Telefono = '600'") + donde);
    } else {
        otra.StartTransaction();
        otra.Execute(QStringLiteral("DELETE FROM PERSONAL") + donde);
        otra.Execute(QStringLiteral("DELETE FROM DOCUTRON WHERE NombreTabla = 'PERSONAL' AND "
                                    "ClaveTabla = '") +
                     clave + QLatin1Char('\''));
        if (escena == QLatin1String("sustituido")) {
            otra.Execute(
                QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES "
                               "(9, 'GINA SÉPTIMA')"));
            // The new 9's own document, by the title the window shows.
            otra.Execute(
                QStringLiteral("INSERT INTO DOCUTRON (NombreTabla, ClaveTabla, Nombre) VALUES "
                               "('PERSONAL', '9', 'Contrato')"));
        }
        otra.Commit();
    }
    const QString antes = bajoLaClave(clave);
    MessageSeam::clearLog();
    QVERIFY(!d->AgregarDocumento(QStringLiteral("Nota"), QString(), QStringLiteral("texto")));
    const QString borrado = QStringLiteral(
        "¡Este registro ya no está disponible en la vista actual!. Para ver la nueva "
        "situación vuelva a seleccionar o filtrar los datos que desee.");
    const QString modificado = QStringLiteral(
        "¡ El registro ha sido modificado por otro usuario !. Debe cancelar la edición, salir "
        "e intentarlo de nuevo.");
    const QStringList vistos = mensajes();
    QCOMPARE(vistos.size(), 1);
    if (escena == QLatin1String("sustituido"))
        QVERIFY2(vistos.first() == borrado || vistos.first() == modificado,
                 qPrintable(vistos.first()));
    else
        QCOMPARE(vistos.first(), escena == QLatin1String("modificado") ? modificado : borrado);
    QCOMPARE(bajoLaClave(clave), antes);
    QCOMPARE(otra.Scalar(QStringLiteral("SELECT COUNT(*) FROM DOCUTRON WHERE Nombre = "
                                        "'Nota'"))
                 .toString(),
             QStringLiteral("0"));
    // Removing the document shown is refused the same way: nothing of the
    // record under the key now goes.
    d->SeleccionarDocumento(0);
    d->pbEliminarClick();
    QCOMPARE(mensajes(), vistos);
    QCOMPARE(d->NumeroDocumentos(), 1);
    QCOMPARE(bajoLaClave(clave), antes);
    QVERIFY(!inst.sesion()->Database->InTransaction());
    if (escena == QLatin1String("borrado") || escena == QLatin1String("recorrido")) {
        d->Close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return;
    }
    // The personnel window reads the record again and opens the window
    // on it: the new 9 lists only his own, and takes the note.
    personal->Refresh();
    QVERIFY(personal->FindKey({9}));
    delete d;
    AbrirDocumentacionElectronica(inst.sesion(), QStringLiteral("PERSONAL"), QStringLiteral("9"),
                                  personal->RowAsRead());
    d = fGENEDOCE;
    QVERIFY(d);
    QCOMPARE(d->NumeroDocumentos(), 1);
    QVERIFY(d->AgregarDocumento(QStringLiteral("Nota"), QString(), QStringLiteral("texto")));
    QCOMPARE(bajoLaClave(QStringLiteral("9")), QStringLiteral("2"));
    otra.Close();
    d->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The window left on a new record's key once its entry is gone (no entry
// holds the key): no document goes under the key, before or after another
// clerk enters a record with it.
void altaCancelada(const TestInstalacion& inst, const QString& clave) {
    Sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (1, 'UNO')"));
    TDatabase otra;
    otra.setDatabaseName(QStringLiteral("OtraSesion"));
    otra.Params() = inst.sesion()->Database->Params();
    otra.Open();
    AbrirDocumentacionElectronica(inst.sesion(), QStringLiteral("PERSONAL"), clave, TRowAsRead());
    QVERIFY(fGENEDOCE);
    TfGENEDOCE* d = fGENEDOCE;
    const QString aviso =
        QStringLiteral("¡ No hay ningún registro actual al que asociar el documento !");
    for (bool otroAlta : {false, true}) {
        if (otroAlta)
            otra.Execute(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (") +
                         clave + QStringLiteral(", 'OTRA PERSONA')"));
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("www.empresa.prueba"));
        MessageSeam::enqueue(QStringLiteral("Normas"));
        d->pbAgregarWebClick();
        QVERIFY(!d->AgregarDocumento(QStringLiteral("Nota"), QString(), QStringLiteral("texto")));
        QCOMPARE(mensajes(), QStringList(2, aviso));
        QCOMPARE(otra.Scalar(QStringLiteral("SELECT COUNT(*) FROM DOCUTRON WHERE ClaveTabla = '") +
                             clave + QLatin1Char('\''))
                     .toString(),
                 QStringLiteral("0"));
    }
    QVERIFY(!inst.sesion()->Database->InTransaction());
    otra.Close();
    d->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class TestGeneDoce : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void documentosDeUnEmpleado_data() { AddEngineRows(); }
    void documentosDeUnEmpleado() {
        QFETCH(int, engine);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        CodigoUsuarioActual = QLatin1String(kCodigoAdministradorInicial);
        GanchoAbrirDocumento = &abrirPrueba;
        abiertos.clear();
        QTemporaryDir dir;
        escribir(dir.filePath(QStringLiteral("contrato.txt")), "Contrato de trabajo");
        QImage foto(8, 8, QImage::Format_RGB32);
        foto.fill(Qt::red);
        QVERIFY(foto.save(dir.filePath(QStringLiteral("foto.png"))));

        delete fGENEDOCE;  // left by a failed row
        Sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (1, 'ANA')"));
        auto personal = AbrirTablaPrueba(QStringLiteral("PERSONAL"));
        QVERIFY(personal->FindKey({1}));
        AbrirDocumentacionElectronica(inst.sesion(), QStringLiteral("PERSONAL"),
                                      QStringLiteral("1"), personal->RowAsRead());
        QVERIFY(fGENEDOCE);
        TfGENEDOCE* d = fGENEDOCE;
        QCOMPARE(d->pnClave->Caption(), QStringLiteral("PERSONAL - 1"));
        QCOMPARE(d->NumeroDocumentos(), 0);
        QVERIFY(d->MemoDescripcion->Text().isEmpty());
        QVERIFY(d->WebBrowser1->toPlainText().isEmpty());

        // A file, its path written with "\", and a title with a quote.
        QString ruta = dir.filePath(QStringLiteral("contrato.txt"));
        MessageSeam::enqueue(QString(ruta).replace(QLatin1Char('/'), QLatin1Char('\\')));
        MessageSeam::enqueue(QStringLiteral("Contrato d'Ana"));
        d->pbAgregarClick();
        QCOMPARE(d->NumeroDocumentos(), 1);
        QCOMPARE(d->TituloSeleccionado(), QStringLiteral("Contrato d'Ana"));
        QCOMPARE(d->VistaActual, TfGENEDOCE::vsTexto);
        QCOMPARE(d->WebBrowser1->toPlainText(), QStringLiteral("Contrato de trabajo"));

        // The title offered is the file name without its extension.
        MessageSeam::enqueue(dir.filePath(QStringLiteral("foto.png")));
        MessageSeam::enqueue(QStringLiteral("Foto"));
        d->pbAgregarClick();
        QCOMPARE(d->VistaActual, TfGENEDOCE::vsImagen);
        QVERIFY(!d->Imagen->Empty());
        QVERIFY(d->pbStretch->isVisibleTo(d));

        MessageSeam::enqueue(QStringLiteral("https://www.empresa.prueba/normas"));
        MessageSeam::enqueue(QStringLiteral("Normas"));
        d->pbAgregarWebClick();
        QCOMPARE(d->VistaActual, TfGENEDOCE::vsDireccion);
        QVERIFY(d->WebBrowser1->toPlainText().contains(
            QLatin1String("https://www.empresa.prueba/normas")));

        QVERIFY(d->AgregarDocumento(QStringLiteral("Logo"), QStringLiteral("C:\\logo.wmf"),
                                    QStringLiteral("El logotipo")));
        QCOMPARE(d->VistaActual, TfGENEDOCE::vsNoSoportada);
        QCOMPARE(d->MemoDescripcion->Text(), QStringLiteral("El logotipo"));
        QVERIFY(mensajes().isEmpty());

        // A title the record already has is refused, saying so.
        QVERIFY(!d->AgregarDocumento(QStringLiteral("Logo"), QString(), QString()));
        QCOMPARE(mensajes(), QStringList{QStringLiteral("¡No ha sido posible registrar el "
                                                        "Documento!. Motivo: ¡ Ya existe el "
                                                        "registro !")});
        // A cancelled title adds nothing.
        MessageSeam::enqueue(QStringLiteral("www.otra.prueba"));
        MessageSeam::enqueue(MessageSeam::cancel());
        d->pbAgregarWebClick();
        QCOMPARE(d->NumeroDocumentos(), 4);

        // Listed again in title order; looking at each starts nothing.
        d->CargarDocumentos();
        QStringList titulos;
        for (int i = 0; i < d->NumeroDocumentos(); ++i) {
            d->SeleccionarDocumento(i);
            titulos << d->TituloSeleccionado();
        }
        QCOMPARE(titulos, (QStringList{"Contrato d'Ana", "Foto", "Logo", "Normas"}));
        QCOMPARE(documentos(), QStringLiteral("Contrato d'Ana\r\nFoto\r\nLogo\r\nNormas"));
        QVERIFY(abiertos.isEmpty());
        d->SeleccionarDocumento(0);
        d->pbEjecutarClick();
        QCOMPARE(abiertos, QStringList{ruta});  // stored as the system names it

        // Removed without a question.
        d->SeleccionarDocumento(3);
        d->pbEliminarClick();
        QCOMPARE(d->NumeroDocumentos(), 3);
        QCOMPARE(documentos(), QStringLiteral("Contrato d'Ana\r\nFoto\r\nLogo"));

        // The walk among the employees with documents: 1, 10 and 2 as texts.
        for (const char* clave : {"10", "2"})
            QCOMPARE(Sql(QStringLiteral("INSERT INTO DOCUTRON (NombreTabla, ClaveTabla, Nombre, "
                                        "Ubicacion) VALUES ('PERSONAL', '%1', 'Nota', '')")
                             .arg(QLatin1String(clave))),
                     QString());
        d->pbSiguienteClick();
        QCOMPARE(d->ClaveTabla, QStringLiteral("10"));
        QCOMPARE(d->NumeroDocumentos(), 1);
        d->pbUltimoClick();
        QCOMPARE(d->ClaveTabla, QStringLiteral("2"));
        d->pbSiguienteClick();
        QCOMPARE(d->ClaveTabla, QStringLiteral("2"));
        QCOMPARE(mensajes(), QStringList{QStringLiteral("Esta Vd. en el último registro")});
        d->pbPrimeroClick();
        QCOMPARE(d->ClaveTabla, QStringLiteral("1"));
        d->pbAnteriorClick();
        QCOMPARE(mensajes(), QStringList{QStringLiteral("Esta Vd. en el primer registro")});

        // The selected list keeps a document once.
        d->SeleccionarDocumento(1);
        d->Agregaralalistadedocumentosseleccionados1Click();
        d->Agregaralalistadedocumentosseleccionados1Click();
        QCOMPARE(d->DocumentosSeleccionados,
                 QStringList{QStringLiteral("Foto|") + dir.filePath(QStringLiteral("foto.png"))});
        d->Vaciarlalistadedocumentosseleccionados1Click();
        QVERIFY(d->DocumentosSeleccionados.isEmpty());

        d->Close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!fGENEDOCE);
        GanchoAbrirDocumento = nullptr;
    }

    // The window on no record (an empty owner key, as a master with no
    // records gives it, or a new record's key of empty "|"-joined values
    // while it is typed): every way of adding is refused before anything
    // is asked, and no document is stored under that key.
    // The window on a record that is no longer the one its opener read
    // (escena): another clerk deleted employee 9 with his documents, deleted
    // him and entered a new 9, or changed him; or the window walked to 8,
    // which the other clerk deleted then. The document is refused with the
    // database's words and nothing is stored under the key (read by the
    // other clerk's session), nor is the one shown removed (the new 9 has
    // one by its title); the new 9 lists only his own. The record read
    // again takes the document. Or the window was left on a new record's
    // key whose entry is gone: nothing goes under the key, also once
    // another clerk enters a record with it.
    void sinRegistroActual_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("clave");
        QTest::addColumn<QString>("escena");
        for (Engine e : AvailableEngines()) {
            const QString m = EngineTag(e);
            QTest::addRow("%s vacia", qPrintable(m)) << int(e) << QString() << QString();
            QTest::addRow("%s partes vacias", qPrintable(m))
                << int(e) << QStringLiteral("|||") << QString();
            QTest::addRow("%s partes en blanco", qPrintable(m))
                << int(e) << QStringLiteral(" | |\t|") << QString();
            for (const char* escena : {"borrado", "sustituido", "modificado", "recorrido"})
                QTest::addRow("%s %s", qPrintable(m), escena)
                    << int(e) << QStringLiteral("9") << QString::fromLatin1(escena);
            QTest::addRow("%s alta cancelada", qPrintable(m))
                << int(e) << QStringLiteral("7") << QStringLiteral("alta cancelada");
        }
    }
    void sinRegistroActual() {
        QFETCH(int, engine);
        QFETCH(QString, clave);
        QFETCH(QString, escena);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        CodigoUsuarioActual = QLatin1String(kCodigoAdministradorInicial);
        delete fGENEDOCE;
        if (escena == QLatin1String("alta cancelada")) {
            altaCancelada(inst, clave);
            return;
        }
        if (!escena.isEmpty()) {
            registroCambiado(inst, escena);
            return;
        }
        AbrirDocumentacionElectronica(inst.sesion(), QStringLiteral("PUESTO"), clave, TRowAsRead());
        QVERIFY(fGENEDOCE);
        TfGENEDOCE* d = fGENEDOCE;
        MessageSeam::clearLog();
        const QString aviso =
            QStringLiteral("¡ No hay ningún registro actual al que asociar el documento !");
        d->pbAgregarClick();
        d->pbAgregarCarpetaClick();
        d->pbAgregarWebClick();
        d->pbEditarDescripcionClick();
        QVERIFY(!d->AgregarDocumento(QStringLiteral("Nota"), QString(), QStringLiteral("texto")));
        QCOMPARE(mensajes(), QStringList(5, aviso));
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) FROM DOCUTRON")), QStringLiteral("0"));
        QCOMPARE(d->NumeroDocumentos(), 0);
        d->Close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Adding or removing a document while another program holds
    // the database, or after the server ended the connection: the clerk is
    // told why (busy, the lost connection), once, and nothing is stored or
    // removed (read from another connection); once free, it goes through.
    void refusalsTellTheirCause_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("causa");
        QTest::addColumn<QString>("accion");
        for (Engine e : AvailableEngines())
            for (const char* causa : {"retenida", "conexion perdida"})
                for (const char* accion : {"agregar", "eliminar"})
                    if (e == Engine::Postgres || qstrcmp(causa, "retenida") == 0)
                        QTest::addRow("%s %s %s", qPrintable(EngineTag(e)), causa, accion)
                            << int(e) << QString::fromLatin1(causa) << QString::fromLatin1(accion);
    }
    void refusalsTellTheirCause() {
        QFETCH(int, engine);
        QFETCH(QString, causa);
        QFETCH(QString, accion);
        TestInstalacion inst(Engine(engine), conEmpresa());
        TModuloDatos modulo;
        CodigoUsuarioActual = QLatin1String(kCodigoAdministradorInicial);
        delete fGENEDOCE;
        Sql(QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (1, 'ANA')"));
        Sql(
            QStringLiteral("INSERT INTO DOCUTRON (NombreTabla, ClaveTabla, Nombre, Descripcion) "
                           "VALUES ('PERSONAL', '1', 'Ficha', 'antes')"));
        auto personal = AbrirTablaPrueba(QStringLiteral("PERSONAL"));
        QVERIFY(personal->FindKey({1}));
        AbrirDocumentacionElectronica(inst.sesion(), QStringLiteral("PERSONAL"),
                                      QStringLiteral("1"), personal->RowAsRead());
        QVERIFY(fGENEDOCE);
        TfGENEDOCE* d = fGENEDOCE;
        d->SeleccionarDocumento(0);
        TDatabase otra;
        otra.setDatabaseName(QStringLiteral("OtraSesion"));
        otra.Params() = inst.sesion()->Database->Params();
        otra.Open();
        const auto guardado = [&otra] {
            return otra
                .Scalar(QStringLiteral(
                    "SELECT COUNT(*) || ' ' || COALESCE(MAX(Descripcion), '') FROM DOCUTRON"))
                .toString();
        };
        const auto actuar = [&] {
            MessageSeam::clearLog();
            if (accion == QLatin1String("agregar")) {
                d->AgregarDocumento(QStringLiteral("Nota"), QString(), QStringLiteral("texto"));
            } else {
                d->pbEliminarClick();
            }
            return mensajes();
        };
        {
            std::unique_ptr<TBaseRetenida> retenida;
            std::unique_ptr<TCorteConexion> corte;
            const bool agregar = accion == QLatin1String("agregar");
            if (causa == QLatin1String("retenida"))
                retenida = std::make_unique<TBaseRetenida>(inst.sesion()->Database,
                                                           QStringList{QStringLiteral("DOCUTRON")});
            else  // the server ends the connection as the row is written
                corte = std::make_unique<TCorteConexion>(
                    inst.sesion()->Database, QStringLiteral("docutron"),
                    agregar ? QStringLiteral("NEW.Nombre = 'Nota'")
                            : QStringLiteral("OLD.Nombre = 'Ficha'"),
                    agregar ? QStringLiteral("INSERT") : QStringLiteral("DELETE"));
            const QStringList vistos = actuar();
            if (corte) QVERIFY(corte->Cortada());
            QCOMPARE(vistos.size(), 1);
            if (retenida)
                QCOMPARE(vistos.first(),
                         QStringLiteral("¡ La base de datos está ocupada por otro usuario !. "
                                        "Inténtelo de nuevo dentro de unos momentos."));
            else
                QVERIFY2(vistos.first().startsWith(
                             QStringLiteral("¡ Se ha perdido la conexión con el servidor")),
                         qPrintable(vistos.first()));
            QCOMPARE(guardado(), QStringLiteral("1 antes"));
            QCOMPARE(d->NumeroDocumentos(), 1);
            QVERIFY(!inst.sesion()->Database->InTransaction());
        }
        QCOMPARE(actuar(), QStringList());
        QCOMPARE(guardado(), accion == QLatin1String("agregar") ? QStringLiteral("2 texto")
                                                                : QStringLiteral("0 "));
        otra.Close();
        d->Close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void textosDelCorreo() {
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("contrato.pdf"));
        escribir(ruta, "%PDF");
        QString asunto, cuerpo, adjuntos;
        CorreoDocumentos({QStringLiteral("Normas|https://www.empresa.prueba")}, asunto, cuerpo,
                         adjuntos);
        QCOMPARE(asunto, QStringLiteral("Normas"));
        QCOMPARE(cuerpo, QStringLiteral("La referencia siguiente puede ser de su interés: Normas "
                                        "(https://www.empresa.prueba)"));
        QCOMPARE(adjuntos, QStringLiteral("https://www.empresa.prueba|"));

        CorreoDocumentos({QStringLiteral("Contrato|") + ruta}, asunto, cuerpo, adjuntos);
        QCOMPARE(cuerpo, QStringLiteral("Ver documentos adjuntos..."));

        CorreoDocumentos(
            {QStringLiteral("Contrato|") + ruta, QStringLiteral("Normas|www.e.prueba")}, asunto,
            cuerpo, adjuntos);
        QCOMPARE(asunto, QStringLiteral("Documentos/referencias de su interés"));
        QCOMPARE(cuerpo, QStringLiteral("Adjunto le remitimos los siguientes "
                                        "documentos/referencias: \r\nContrato (contrato.pdf)\r\n"
                                        "Normas (www.e.prueba)"));
        QCOMPARE(adjuntos, ruta + QStringLiteral("|www.e.prueba|"));
        QCOMPARE(TextoClaveDocumentos(QStringLiteral("HPUESTO"), QStringLiteral("PERSONAL|7|2")),
                 QStringLiteral("HPUESTO - PERSONAL \u00B7 7 \u00B7 2"));
    }
};

QTEST_MAIN(TestGeneDoce)
#include "tst_genedoce.moc"
