// The session and the world outside: the session command line of sibling
// programs, special applications not configured, printing through the mail
// and print utility, no manifest on Linux, help pages by context number, the
// what-is-new entry and the file picker.

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QTreeView>
#include <QtTest>

#include "gene/dialogo_modal.h"
#include "gene/session/geneapp.h"
#include "gene/session/geneayud.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_programas.h"
#include "gene/data/genemens.h"
#include "gene/data/genesist.h"
#include "gene/session/sesion.h"
#include "io/office.h"
#include "io/printqueue.h"
#include "support/documentoprueba.h"
#include "support/instalacion.h"

namespace {

QStringList textos(const QString& tipo = QString()) {
    QStringList l;
    for (const auto& e : MessageSeam::log())
        if (tipo.isEmpty() || e.kind == tipo) l << e.text;
    return l;
}

void escribir(const QString& archivo, const QByteArray& texto) {
    QFile f(archivo);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(texto);
}

// A script that writes its arguments, and the file named by its last one,
// into `salida`.
QString guion(const QString& carpeta, const QString& salida) {
    const QString ruta = carpeta + QStringLiteral("/qevlext.sh");
    escribir(ruta, QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" > '%1'\n"
                                  "for a in \"$@\"; do last=\"$a\"; done\n"
                                  "cat \"$last\" >> '%1'\n")
                       .arg(salida)
                       .toUtf8());
    QFile(ruta).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return ruta;
}

}  // namespace

class TestGeneInicProgramas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parametrosSesion() {
        TestInstalacion inst;
        CodigoUsuarioActual = QStringLiteral("ADMIN");
        QString texto;
        ParametrosSesion(texto);
        QCOMPARE(texto, QStringLiteral(" L=") + ArchivoParametros + " U=ADMIN I= T=");
        QVERIFY(texto.endsWith(QLatin1String(" U=ADMIN I= T=")));

        QVERIFY(inst.Iniciar({QStringLiteral("I=QEVWIN.INI"), QStringLiteral("T=EN")}));
        CodigoUsuarioActual = QStringLiteral("ANA");
        ParametrosSesion(texto);
        QVERIFY(texto.endsWith(QLatin1String(" U=ANA I=QEVWIN.INI T=EN")));
    }

    // Special applications without a configured command: the program's own
    // name is looked for and its absence reported; with one it starts.
    void aplicacionesEspeciales() {
        TestInstalacion inst;
        CodigoUsuarioActual = QStringLiteral("ADMIN");
        const QString linea =
            LineaProgramaHermano(QStringLiteral("DORNAFEL.EXE"), ParametrosSesion());
        QCOMPARE(linea, QStringLiteral("DORNAFEL.EXE ") + ParametrosSesion());
        EjecutarPrograma(linea, QStringLiteral("Normal"));
        QCOMPARE(textos(QStringLiteral("A")),
                 QStringList{"El archivo " + linea + " no ha sido encontrado."});

        MessageSeam::clearLog();
        const QString salida = inst.carpeta() + QStringLiteral("/dornafel.txt");
        const QString programa = guion(inst.carpeta(), salida);
        inst.EscribirConfiguracion(QStringLiteral("Programas"), QStringLiteral("DORNAFEL.EXE"),
                                   programa);
        EjecutarPrograma(
            LineaProgramaHermano(QStringLiteral("DORNAFEL.EXE"), QStringLiteral("U=X")),
            QStringLiteral("Normal"));
        QVERIFY(MessageSeam::log().isEmpty());
        QTRY_VERIFY(QFile::exists(salida));
    }

    // The request file holds the document and the printer; the utility gets
    // the command word and the file, which is gone afterwards.
    void imprimirExterno() {
        TestInstalacion inst;
        const QString salida = inst.carpeta() + QStringLiteral("/impresion.txt");
        inst.EscribirConfiguracion(QStringLiteral("Programas"), QStringLiteral("QEVLEXT.EXE"),
                                   guion(inst.carpeta(), salida));
        ImprimirDocumentoExterno(inst.sesion(), QStringLiteral("/tmp/carta de pago.pdf"),
                                 QStringLiteral("Oficina 2"), QStringLiteral("PDF"));
        QFile f(salida);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString texto = QString::fromUtf8(f.readAll());
        QVERIFY2(texto.startsWith(QLatin1String("ImprimirDocumentoPDF|")), qPrintable(texto));
        QVERIFY(texto.contains(
            QLatin1String("PathDocumento=/tmp/carta de pago.pdf\r\nNombreImpresora=Oficina 2")));
        const QString peticion = texto.section(QLatin1Char('|'), 1, 1);
        QVERIFY(peticion.endsWith(QLatin1String(".INI")));
        QVERIFY(!QFile::exists(peticion));

        ImprimirDocumentoExterno(inst.sesion(), QStringLiteral("a.doc"), QString(),
                                 QStringLiteral("DOC"));
        QFile g(salida);
        QVERIFY(g.open(QIODevice::ReadOnly));
        QVERIFY(g.readAll().startsWith("ImprimirDocumentoWord|"));
    }

    // Without the utility: a PDF goes to the printer's queue as it is, a
    // document as LibreOffice's PDF of it; failures are told.
    void imprimirSinUtilidad_data() {
        QTest::addColumn<QString>("documento");
        QTest::addColumn<QString>("impresora");
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("soffice");
        QTest::addColumn<QString>("cola");
        QTest::addColumn<QString>("aviso");
        QTest::newRow("PDF") << "carta.pdf"
                             << "Oficina 2"
                             << "PDF" << QString() << "Oficina 2" << QString();
        QTest::newRow("PDF predeterminada") << "carta.pdf"
                                            << "Predeterminada"
                                            << "PDF" << QString() << QString() << QString();
        QTest::newRow("documento") << "carta.docx"
                                   << "Ninguna"
                                   << "DOC" << QString() << QString() << QString();
        QTest::newRow("sin LibreOffice") << "carta.docx"
                                         << "Oficina 2"
                                         << "DOC"
                                         << "/no/existe/soffice" << QString()
                                         << "¡Imposible conectar con Word!. (Motivo: no se puede "
                                            "iniciar LibreOffice (/no/existe/soffice)";
        QTest::newRow("no existe")
            << "falta.pdf"
            << "Oficina 2"
            << "PDF" << QString() << QString()
            << "No se ha podido imprimir el documento %1/falta.pdf. Motivo: no existe el documento";
    }
    void imprimirSinUtilidad() {
        QFETCH(QString, documento);
        QFETCH(QString, impresora);
        QFETCH(QString, tipo);
        QFETCH(QString, soffice);
        QFETCH(QString, cola);
        QFETCH(QString, aviso);
        if (documento.endsWith(QLatin1String(".docx")) && soffice.isEmpty() &&
            OfficeProgram(QString()).isEmpty())
            QSKIP("LibreOffice no está instalado");
        TestInstalacion inst;
        MessageSeam::clearLog();
        if (!soffice.isEmpty())
            inst.EscribirConfiguracion(QStringLiteral("Programas"), QStringLiteral("soffice"),
                                       soffice);
        const QString carpeta = inst.carpeta();
        escribir(carpeta + QStringLiteral("/carta.pdf"), "%PDF-1.4 carta de pago");
        QVERIFY(CrearDocx(carpeta + QStringLiteral("/carta.docx"),
                          QStringLiteral("<w:p><w:r><w:t>Carta de pago</w:t></w:r></w:p>")));
        struct Trabajo {
            QString cola;
            QByteArray datos;
            bool raw;
        };
        QList<Trabajo> trabajos;
        SetPrintQueueSeam([&](const QString& c, const QByteArray& d, bool raw, QString*) {
            trabajos.append({c, d, raw});
            return true;
        });
        ImprimirDocumentoExterno(inst.sesion(), carpeta + u'/' + documento, impresora, tipo);
        SetPrintQueueSeam(nullptr);
        if (!aviso.isEmpty()) {
            QCOMPARE(textos(QStringLiteral("A")).size(), 1);
            QVERIFY2(textos(QStringLiteral("A")).constFirst().startsWith(aviso.arg(carpeta)),
                     qPrintable(textos().join(u'\n')));
            QVERIFY(trabajos.isEmpty());
            return;
        }
        QVERIFY(textos().isEmpty());
        QCOMPARE(trabajos.size(), 1);
        QCOMPARE(trabajos[0].cola, cola);
        QVERIFY(!trabajos[0].raw);
        if (documento.endsWith(QLatin1String(".pdf"))) {
            QCOMPARE(trabajos[0].datos, QByteArray("%PDF-1.4 carta de pago"));
        } else {
            escribir(carpeta + QStringLiteral("/recibido.pdf"), trabajos[0].datos);
            QVERIFY(TextoPdf(carpeta + QStringLiteral("/recibido.pdf"))
                        .contains(QStringLiteral("Carta de pago")));
        }
    }

    // No manifest beside the executable, no restart, no message.
    void sinManifiesto() {
        MessageSeam::activate();
        AnularTerminacion();
        const QString manifiesto =
            QCoreApplication::applicationFilePath() + QStringLiteral(".manifest");
        for (const char* aspecto : {"evo+", "evo", "clasico", "evo+"})
            QVERIFY(!ConfigurarManifiesto(nullptr, QLatin1String(aspecto)));
        QVERIFY(!QFile::exists(manifiesto));
        QVERIFY(!TerminacionSolicitada());
        QVERIFY(MessageSeam::log().isEmpty());
        MessageSeam::deactivate();
    }

    // Pages by context number through the help map; a missing page is
    // reported and the window still opens, on the index.
    void ayuda() {
        TestInstalacion inst;
        QDir().mkpath(inst.carpeta() + QStringLiteral("/help"));
        escribir(inst.carpeta() + QStringLiteral("/help/Indice_de_Ayuda.html"),
                 "<html><head><title>Indice</title></head><body>i</body></html>");
        escribir(inst.carpeta() + QStringLiteral("/help/Recursos_Humanos.html"),
                 "<html><head><title>Principal</title></head><body>p</body></html>");
        MapaContextos =
            QStringList{"Indice de Ayuda=0", "Recursos Humanos=10", "Maestro de Personal=30",
                        "Malo=x", "Listado de Vacaciones/Puentes/Permisos=40"};
        QString nombre;
        NombreAplicacion(inst.sesion(), 10, nombre);
        QCOMPARE(nombre, QStringLiteral("Recursos Humanos"));
        NombreAplicacion(inst.sesion(), 99, nombre);
        QCOMPARE(nombre, QString());
        QCOMPARE(ContextoAyuda(QStringLiteral("Recursos Humanos")), 10);
        QCOMPARE(ContextoAyuda(QStringLiteral("Malo")), 0);
        QCOMPARE(ContextoAyuda(QStringLiteral("Otra Ventana")), 0);
        // A caption with a "/" names a page of the help folder, not a subfolder.
        QCOMPARE(
            PaginaAyuda(40),
            inst.carpeta() + QStringLiteral("/help/Listado_de_Vacaciones_Puentes_Permisos.html"));

        QVERIFY(MostrarAyuda(inst.sesion(), 10));
        TfGENEAYUD* ventana = MostrarVentanaAyuda(PaginaAyuda(10));
        QCOMPARE(ventana->Caption(), QStringLiteral("Principal"));
        QVERIFY(MessageSeam::log().isEmpty());

        QVERIFY(MostrarAyuda(inst.sesion(), 30));
        QCOMPARE(textos(QStringLiteral("A")), QStringList{"¡No existe el archivo de ayuda!"});
        QCOMPARE(ventana->Pagina(), PaginaAyuda(0));
        QCOMPARE(ventana->Caption(), QStringLiteral("Indice"));
        // Esc closes the help window.
        QVERIFY(QTest::qWaitForWindowActive(ventana));
        ventana->Navegador->setFocus();
        QTest::keyClick(ventana->Navegador, Qt::Key_Escape);
        QVERIFY(!ventana->isVisible());
        delete ventana;

        MessageSeam::clearLog();
        ListaNovedades(inst.sesion(), QStringLiteral("Titulo=Recursos Humanos"));
        QCOMPARE(textos(QStringLiteral("I")),
                 QStringList{"Está opción estará disponible en próximas versiones."});
    }

    void selector() {
        TestInstalacion inst;
        QString ruta = inst.carpeta();
        MessageSeam::enqueue(MessageSeam::cancel());
        QVERIFY(!SeleccionarArchivo(inst.sesion(), QStringLiteral("Carpeta"), ruta,
                                    QStringLiteral("Carpetas")));
        QCOMPARE(ruta, inst.carpeta());
        MessageSeam::enqueue(inst.carpetaGeneral());
        QVERIFY(SeleccionarArchivo(inst.sesion(), QStringLiteral("Carpeta"), ruta,
                                   QStringLiteral("Carpetas")));
        QCOMPARE(ruta, inst.carpetaGeneral());
        MessageSeam::clearLog();
        MessageSeam::enqueue(QStringLiteral("/no/existe"));
        QVERIFY(!SeleccionarArchivo(inst.sesion(), QStringLiteral("Archivo"), ruta,
                                    QStringLiteral("Archivos")));
        QCOMPARE(textos(QStringLiteral("A")),
                 QStringList{"¡No ha sido posible abrir el archivo o carpeta /no/existe!. Motivo: "
                             "No existe"});
        QCOMPARE(ruta, inst.carpetaGeneral());

        // The file chooser on screen speaks Spanish, as the program sets Qt up.
        QVERIFY(InstalarTraduccionesQt());
        MessageSeam::activate(true);
        QStringList vistos;
        AlMostrarse<QFileDialog>([&vistos](QFileDialog* d) {
            for (const char* nombre : {"lookInLabel", "fileNameLabel"})
                if (auto* l = d->findChild<QLabel*>(QLatin1String(nombre))) vistos << l->text();
            if (auto* caja = d->findChild<QDialogButtonBox*>())
                for (QAbstractButton* b : caja->buttons()) vistos << b->text();
            d->reject();
        });
        QVERIFY(!SeleccionarArchivo(inst.sesion(), QStringLiteral("Archivo"), ruta,
                                    QStringLiteral("Archivos")));
        QCOMPARE(vistos, (QStringList{"Ver en:", "&Nombre de fichero:", "&Abrir", "Cancelar"}));

        // Its list too: kinds, sizes and dates, whatever the process locale.
        QDir(ruta).mkdir(QStringLiteral("Documentos"));
        QFile nota(ruta + QStringLiteral("/nota.txt"));
        QVERIFY(nota.open(QIODevice::WriteOnly));
        nota.write(QByteArray(100, 'x'));
        nota.close();
        const QDateTime hora(QDate(2026, 12, 8), QTime(9, 5));
        QVERIFY(nota.open(QIODevice::Append) &&
                nota.setFileTime(hora, QFileDevice::FileModificationTime));
        nota.close();
        QMap<QString, QStringList> filas;
        AlMostrarse<QFileDialog>([&filas](QFileDialog* d) {
            d->setViewMode(QFileDialog::Detail);
            auto* lista = d->findChild<QTreeView*>(QStringLiteral("treeView"));
            QAbstractItemModel* m = lista ? lista->model() : nullptr;
            const auto leer = [&] {
                filas.clear();
                for (int i = 0; m && i < m->rowCount(lista->rootIndex()); ++i) {
                    QStringList columnas;
                    for (int c = 1; c < 4; ++c)
                        columnas << m->index(i, c, lista->rootIndex()).data().toString();
                    filas.insert(m->index(i, 0, lista->rootIndex()).data().toString(), columnas);
                }
                return filas.contains(QStringLiteral("nota.txt")) &&
                       !filas.value(QStringLiteral("nota.txt")).value(2).isEmpty();
            };
            QTRY_VERIFY_WITH_TIMEOUT(leer(), 10000);
            d->reject();
        });
        QVERIFY(!SeleccionarArchivo(inst.sesion(), QStringLiteral("Archivo"), ruta,
                                    QStringLiteral("Archivos")));
        QCOMPARE(filas.value(QStringLiteral("nota.txt")),
                 (QStringList{"100 bytes", "Archivo TXT", "8/12/26 9:05"}));
        QCOMPARE(filas.value(QStringLiteral("Documentos")).value(1), QStringLiteral("Carpeta"));
    }

    void utilidades() {
        QCOMPARE(DiaSemana(QDate(2024, 1, 1)), 1);  // a Monday
        QCOMPARE(DiaSemana(QDate(2024, 1, 7)), 7);  // a Sunday
        QString r;
        NombreUniversal(QStringLiteral("Z:\\DATOS"), r);
        QCOMPARE(r, QStringLiteral("Z:\\DATOS"));
    }
};

QTEST_MAIN(TestGeneInicProgramas)
#include "tst_geneinic_programas.moc"
