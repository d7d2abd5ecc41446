#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>
#include <QtTest>

#include "gene/data/geneconv.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/sesion.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"
#include "ui/component.h"

namespace {

// Runs Accion on the message dialog on screen as soon as it shows.
void AlMostrarse(std::function<void(TfGENEMENS*)> accion) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, accion] {
        auto* dialogo = qobject_cast<TfGENEMENS*>(QApplication::activeModalWidget());
        if (!dialogo || !dialogo->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        accion(dialogo);
    });
    timer->start();
}

}  // namespace

class TestGeneMens : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { AnularTerminacion(); }
    void cleanup() {
        MessageSeam::deactivate();
        AnularTerminacion();
    }

    void disposicionSegunTipo_data() {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("titulo");
        QTest::addColumn<QString>("imagen");
        QTest::addColumn<QStringList>("botones");
        QTest::addColumn<int>("alto");
        QTest::newRow("I") << "I"
                           << "Información"
                           << "ImagenInformacion" << QStringList{"pbAceptar"} << 127;
        QTest::newRow("A") << "A"
                           << "Advertencia"
                           << "ImagenExclamacion" << QStringList{"pbAceptar"} << 127;
        QTest::newRow("E") << "E"
                           << "Error"
                           << "ImagenError" << QStringList{"pbAceptar"} << 127;
        QTest::newRow("C") << "C"
                           << "Confirmar"
                           << "ImagenInterrogacion" << QStringList{"pbSI", "pbNO"} << 127;
        QTest::newRow("P") << "P"
                           << "Pregunta"
                           << "ImagenInterrogacion" << QStringList{"pbAceptar"} << 164;
    }
    void disposicionSegunTipo() {
        QFETCH(QString, tipo);
        QFETCH(QString, titulo);
        QFETCH(QString, imagen);
        QFETCH(QStringList, botones);
        QFETCH(int, alto);
        TfGENEMENS dialogo(tipo, QStringLiteral("Texto del mensaje"), QString());
        dialogo.FormShow();
        QCOMPARE(dialogo.windowTitle(), titulo);
        QCOMPARE(dialogo.TextoMensaje->text(), QStringLiteral("Texto del mensaje"));
        QCOMPARE(dialogo.width(), 394);
        QCOMPARE(dialogo.height(), alto);
        for (auto* label : dialogo.PanelMensaje->findChildren<QLabel*>()) {
            if (label == dialogo.TextoMensaje) continue;
            QCOMPARE(!label->isHidden(), label->objectName() == imagen);
        }
        for (auto* boton : dialogo.findChildren<QPushButton*>())
            QCOMPARE(!boton->isHidden(), botones.contains(boton->objectName()));
        QCOMPARE(!dialogo.PanelRespuesta->isHidden(), tipo == QLatin1String("P"));
        // The question's default answer is "No".
        if (tipo == QLatin1String("C")) QVERIFY(dialogo.pbNO->isDefault());
    }

    void fuenteDeTextosLargos() {
        const QString noventa(90, QLatin1Char('x'));
        TfGENEMENS normal(QStringLiteral("I"), noventa, QString());
        normal.FormShow();
        const int tamano = normal.TextoMensaje->font().pointSize();
        QVERIFY(tamano > 8);
        TfGENEMENS largo(QStringLiteral("I"), noventa + QLatin1Char('x'), QString());
        largo.FormShow();
        QCOMPARE(largo.TextoMensaje->font().pointSize(), 8);
        largo.FormHide();
        QCOMPARE(largo.TextoMensaje->font().pointSize(), tamano);
    }

    // A long advice (statements to run) is shown whole: the box grows up to
    // the screen, then scrolls; the text can be selected and copied. A text
    // that fits keeps the fixed box.
    void textoLargoCompleto_data() {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<int>("repeticiones");
        QTest::newRow("cabe") << "A" << 0;
        QTest::newRow("consejo de 2.000 caracteres") << "A" << 22;
        QTest::newRow("pregunta larga") << "P" << 22;
        QTest::newRow("mayor que la pantalla") << "E" << 120;
    }
    void textoLargoCompleto() {
        QFETCH(QString, tipo);
        QFETCH(int, repeticiones);
        QString texto = QStringLiteral("¡ Aviso !.");
        for (int i = 0; i < repeticiones; ++i)
            texto += QStringLiteral(
                         " GRANT ALL ON ALL TABLES IN SCHEMA \"general\" TO "
                         "\"rh_empleado_%1\"; ALTER TABLE PERSONAL_COPIA;")
                         .arg(i);
        if (repeticiones == 22) QVERIFY(texto.size() >= 1900 && texto.size() <= 2100);
        TfGENEMENS dialogo(tipo, texto, QString());
        dialogo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialogo));
        QCOMPARE(dialogo.TextoMensaje->text(), texto);
        const QRect pantalla = dialogo.screen()->availableGeometry();
        QVERIFY(dialogo.width() <= pantalla.width());
        QVERIFY(dialogo.height() <= pantalla.height());
        if (repeticiones == 0) {
            QCOMPARE(dialogo.size(), QSize(394, tipo == QLatin1String("P") ? 164 : 127));
            QCOMPARE(dialogo.AreaMensaje->size(), QSize(276, 78));
        }
        // The label is as tall as its text needs at its width: nothing cut.
        QVERIFY(dialogo.TextoMensaje->height() >=
                dialogo.TextoMensaje->heightForWidth(dialogo.TextoMensaje->width()));
        // What the area does not show is reached by scrolling, down to the end.
        QScrollBar* barra = dialogo.AreaMensaje->verticalScrollBar();
        const int oculto =
            dialogo.TextoMensaje->height() - dialogo.AreaMensaje->viewport()->height();
        QCOMPARE(barra->maximum(), std::max(0, oculto));
        QCOMPARE(oculto > 0, repeticiones == 120);
        // The buttons stay inside the dialog.
        for (QPushButton* boton : {dialogo.pbAceptar, dialogo.pbSI, dialogo.pbNO})
            if (boton->isVisible())
                QVERIFY(dialogo.rect().contains(
                    QRect(boton->mapTo(&dialogo, QPoint()), boton->size())));
        // Selected and copied whole.
        dialogo.TextoMensaje->setSelection(0, int(texto.size()));
        QCOMPARE(dialogo.TextoMensaje->selectedText(), texto);
        QVERIFY(dialogo.TextoMensaje->textInteractionFlags() & Qt::TextSelectableByMouse);
        // The first focus stays with the answer, not the text.
        QVERIFY(!dialogo.TextoMensaje->hasFocus());
        dialogo.close();
    }

    void respuestaOculta() {
        TfGENEMENS dialogo(QStringLiteral("P"), QStringLiteral("Clave:"),
                           QStringLiteral("Password"));
        dialogo.FormShow();
        QCOMPARE(dialogo.EditRespuesta->text(), QString());
        QCOMPARE(dialogo.EditRespuesta->echoMode(), QLineEdit::Password);
        TfGENEMENS visible(QStringLiteral("P"), QStringLiteral("Código:"), QStringLiteral("ABC"));
        visible.FormShow();
        QCOMPARE(visible.EditRespuesta->text(), QStringLiteral("ABC"));
        QCOMPARE(visible.EditRespuesta->echoMode(), QLineEdit::Normal);
    }

    void seleccionPrevia_data() {
        QTest::addColumn<QString>("defecto");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("seleccion");
        QTest::newRow("marcas") << "abc:SelStart:def:SelEnd:ghi"
                                << "abcdefghi"
                                << "def";
        QTest::newRow("sin fin") << "abc:SelStart:def"
                                 << "abcdef"
                                 << "def";
        QTest::newRow("al reves") << "a:SelEnd:bc:SelStart:d"
                                  << "abcd"
                                  << "bc";
        QTest::newRow("repetidas") << ":SelStart:ab:SelEnd::SelStart:c"
                                   << "abc"
                                   << "ab";
        QTest::newRow("sin marcas") << "a:SelEnd:b"
                                    << "a:SelEnd:b"
                                    << "";
    }
    void seleccionPrevia() {
        QFETCH(QString, defecto);
        QFETCH(QString, texto);
        QFETCH(QString, seleccion);
        TfGENEMENS dialogo(QStringLiteral("P"), QStringLiteral("Nombre:"), defecto);
        dialogo.FormShow();
        dialogo.FormActivate();
        QCOMPARE(dialogo.EditRespuesta->text(), texto);
        QCOMPARE(dialogo.EditRespuesta->selectedText(), seleccion);
    }

    // Scripted answers go to questions and prompts only, in order.
    void guionDePruebas() {
        MessageSeam::activate();
        MessageSeam::enqueue(QStringLiteral("SI"));
        MessageSeam::enqueue(QStringLiteral("texto tecleado"));
        MessageSeam::enqueue(MessageSeam::cancel());
        MensajeInformacion(QStringLiteral("Hola"));
        QCOMPARE(MensajeConfirmacion(QStringLiteral("¿Seguro?")), QStringLiteral("SI"));
        QCOMPARE(MensajePeticion(QStringLiteral("Nombre:")), QStringLiteral("texto tecleado"));
        QVERIFY(!PeticionCancelada());
        QCOMPARE(MensajePeticion(QStringLiteral("Otro:"), QStringLiteral("x")), QString());
        QVERIFY(PeticionCancelada());
        // With the queue empty, questions answer as if closed.
        QCOMPARE(MensajeConfirmacion(QStringLiteral("¿Otra?")), QStringLiteral("NO"));
        QString respuesta = QStringLiteral("defecto");
        QCOMPARE(MensajePeticion(QStringLiteral("Código:"), respuesta), QString());
        QCOMPARE(respuesta, QString());
        QVERIFY(PeticionCancelada());

        const auto& log = MessageSeam::log();
        QCOMPARE(log.size(), 6);
        QCOMPARE(log.at(0).kind, QStringLiteral("I"));
        QCOMPARE(log.at(0).text, QStringLiteral("Hola"));
        QCOMPARE(log.at(1).answer, QStringLiteral("SI"));
        QCOMPARE(log.at(2).answer, QStringLiteral("texto tecleado"));
        QCOMPARE(log.at(4).answer, QStringLiteral("NO"));
        QVERIFY(!TerminacionSolicitada());
    }

    void errorTerminaElPrograma() {
        MessageSeam::activate();
        MensajeError(QStringLiteral("¡ La tabla no existe !"));
        QCOMPARE(MessageSeam::log().size(), 1);
        QCOMPARE(MessageSeam::log().at(0).kind, QStringLiteral("E"));
        QVERIFY(TerminacionSolicitada());
    }

    void marcaTraducir() {
        MessageSeam::activate();
        MensajeAdvertencia(QStringLiteral("TRADUCIR: Index is out of date"));
        MensajeAdvertencia(QStringLiteral("Tabla PERSONAL: TRADUCIR: Field 'X' not found"));
        MensajeAdvertencia(QStringLiteral("Field 'X' not found"));
        QCOMPARE(MessageSeam::log().at(0).text, QStringLiteral("El índice no está actualizado."));
        QCOMPARE(MessageSeam::log().at(1).text,
                 QStringLiteral("Tabla PERSONAL: El campo 'X' no está definido."));
        QCOMPARE(MessageSeam::log().at(2).text, QStringLiteral("Field 'X' not found"));
    }

    // In a session in another language the dialog shows its caption and its
    // text translated; a text without a translation as it came.
    void traduccion_data() { AddEngineRows(); }
    void traduccion() {
        QFETCH(int, engine);
        TestInstalacion inst{Engine(engine)};
        for (const auto& [clave, texto] :
             {std::pair{"Advertencia", "Warning"},
              std::pair{"¡ Registro bloqueado por otro usuario !",
                        "Record locked by another user!"},
              std::pair{"Aceptar", "OK"}, std::pair{"SI", "Yes"}, std::pair{"No", "No"}}) {
            QString r;
            EjecutarSQL(nullptr,
                        QStringLiteral("INSERT INTO TXIDIOMA (Idioma, ClaveTexto, Texto) VALUES "
                                       "('en', ") +
                            ValorSQL(QString::fromUtf8(clave)) + QStringLiteral(", ") +
                            ValorSQL(QString::fromUtf8(texto)) + QLatin1Char(')'),
                        QStringLiteral("DatabaseGeneral"), QStringLiteral("Silenciosa"), r);
            QCOMPARE(r, QString());
        }
        IdiomaActual = QStringLiteral("en");
        TextosNoTraducidos.clear();
        MessageSeam::activate(true);
        QStringList vistos;
        const auto leer = [&vistos](TfGENEMENS* d) {
            vistos << d->windowTitle() + QLatin1Char('|') + d->TextoMensaje->text() +
                          QLatin1Char('|') + d->pbAceptar->text();
            d->pbAceptar->click();
        };
        AlMostrarse(leer);
        MensajeAdvertencia(QStringLiteral("¡ Registro bloqueado por otro usuario !"));
        AlMostrarse(leer);
        MensajeAdvertencia(QStringLiteral("¡ Ñandú sin traducir !"));
        // A question: both its buttons in the language too.
        QString botones;
        AlMostrarse([&botones](TfGENEMENS* d) {
            botones = d->pbSI->text() + QLatin1Char('|') + d->pbNO->text();
            d->pbNO->click();
        });
        MensajeConfirmacion(QStringLiteral("¿ Seguro ?"));
        QCOMPARE(botones, QStringLiteral("Yes|No"));
        IdiomaActual.clear();
        AlMostrarse(leer);
        MensajeAdvertencia(QStringLiteral("¡ Registro bloqueado por otro usuario !"));
        QCOMPARE(vistos,
                 (QStringList{"Warning|Record locked by another user!|OK",
                              "Warning|¡ Ñandú sin traducir !|OK",
                              "Advertencia|¡ Registro bloqueado por otro usuario !|&Aceptar"}));
    }

    void dialogoReal() {
        // A fixed dialog: the window system is asked for a title and a close
        // button only, never to minimise or maximise it.
        AlMostrarse([](TfGENEMENS* d) {
            const Qt::WindowFlags marco = d->windowHandle()->flags();
            d->pbSI->click();
            QCOMPARE(marco & Qt::WindowType_Mask, Qt::Dialog);
            QVERIFY(marco.testFlags(Qt::WindowTitleHint | Qt::WindowCloseButtonHint));
            QVERIFY(!(marco & (Qt::WindowMinMaxButtonsHint | Qt::WindowFullscreenButtonHint)));
        });
        QCOMPARE(MensajeConfirmacion(QStringLiteral("¿Seguro?")), QStringLiteral("SI"));
        AlMostrarse([](TfGENEMENS* d) { d->close(); });
        QCOMPARE(MensajeConfirmacion(QStringLiteral("¿Seguro?")), QStringLiteral("NO"));
        AlMostrarse([](TfGENEMENS* d) { QTest::keyClick(d, Qt::Key_Escape); });
        QCOMPARE(MensajeConfirmacion(QStringLiteral("¿Seguro?")), QStringLiteral("NO"));

        AlMostrarse([](TfGENEMENS* d) {
            QTest::keyClicks(d->EditRespuesta, QStringLiteral("secreto"));
            d->pbAceptar->click();
        });
        QCOMPARE(MensajePeticion(QStringLiteral("Clave:"), QStringLiteral("Password")),
                 QStringLiteral("secreto"));
        QVERIFY(!PeticionCancelada());
        AlMostrarse([](TfGENEMENS* d) {
            QTest::keyClicks(d->EditRespuesta, QStringLiteral("algo"));
            QTest::keyClick(d, Qt::Key_Escape);
        });
        QCOMPARE(MensajePeticion(QStringLiteral("Clave:"), QStringLiteral("abc")), QString());
        QVERIFY(PeticionCancelada());
        // An accepted empty answer is not a cancel.
        AlMostrarse([](TfGENEMENS* d) {
            d->EditRespuesta->clear();
            d->pbAceptar->click();
        });
        QCOMPARE(MensajePeticion(QStringLiteral("Nombre:"), QStringLiteral("abc")), QString());
        QVERIFY(!PeticionCancelada());
    }

    // The keys a user answers with: a button's letter with or without Alt,
    // Enter on the default button, Esc; in a prompt the letters are typed.
    void teclasDeRespuesta_data() {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("letras");
        QTest::addColumn<int>("tecla");
        QTest::addColumn<int>("modificadores");
        QTest::addColumn<QString>("respuesta");
        const int nada = Qt::NoModifier;
        QTest::newRow("s") << "C"
                           << "" << int(Qt::Key_S) << nada << "SI";
        QTest::newRow("Alt+S") << "C"
                               << "" << int(Qt::Key_S) << int(Qt::AltModifier) << "SI";
        QTest::newRow("n") << "C"
                           << "" << int(Qt::Key_N) << nada << "NO";
        QTest::newRow("otra letra") << "C"
                                    << "x" << int(Qt::Key_S) << nada << "SI";
        QTest::newRow("Intro") << "C"
                               << "" << int(Qt::Key_Return) << nada << "NO";
        QTest::newRow("Esc") << "C"
                             << "" << int(Qt::Key_Escape) << nada << "NO";
        QTest::newRow("escrita") << "P"
                                 << "sin" << int(Qt::Key_Return) << nada << "sin";
    }
    void teclasDeRespuesta() {
        QFETCH(QString, tipo);
        QFETCH(QString, letras);
        QFETCH(int, tecla);
        QFETCH(int, modificadores);
        QFETCH(QString, respuesta);
        TeclasPulsadas.clear();
        UltimaTeclaPulsada = 0;
        AlMostrarse([&](TfGENEMENS* d) {
            QTRY_VERIFY(QApplication::focusWidget() &&
                        d->isAncestorOf(QApplication::focusWidget()));
            QWidget* foco = QApplication::focusWidget();
            QTest::keyClicks(foco, letras);
            QTest::keyClick(foco, Qt::Key(tecla), Qt::KeyboardModifiers(modificadores));
            // A key that did not answer would leave the dialog waiting; Alt
            // clicks the button after a short press (Qt's 100 ms).
            QTimer::singleShot(2000, d, [d] { d->done(QDialog::Rejected); });
        });
        bool cancelado = false;
        QCOMPARE(ResponderMensaje(tipo, QStringLiteral("¿Seguro?"), QString(), cancelado),
                 respuesta);
        // Every key also reached the program's common key handling, once.
        if (modificadores == Qt::NoModifier) {
            const QKeyEvent pulsada(QEvent::KeyPress, tecla, Qt::NoModifier);
            QCOMPARE(UltimaTeclaPulsada, VirtualKeyOf(&pulsada));
            QString escritas = letras.toUpper();
            if (tecla >= Qt::Key_A && tecla <= Qt::Key_Z) escritas += QChar(tecla);
            QCOMPARE(TeclasPulsadas.remove(QLatin1Char('|')), escritas);
        }
    }

    // A message raised while another is on screen gets a dialog and an answer of its own.
    void preguntaAnidada() {
        MessageSeam::activate(true);
        QString interior;
        AlMostrarse([&interior](TfGENEMENS* exterior) {
            AlMostrarse([](TfGENEMENS* d) { d->pbSI->click(); });
            interior = MensajeConfirmacion(QStringLiteral("¿Segunda?"));
            exterior->pbNO->click();
        });
        QCOMPARE(MensajeConfirmacion(QStringLiteral("¿Primera?")), QStringLiteral("NO"));
        QCOMPARE(interior, QStringLiteral("SI"));
        const auto& log = MessageSeam::log();
        QCOMPARE(log.size(), 2);
        QCOMPARE(log.at(0).text, QStringLiteral("¿Segunda?"));
        QCOMPARE(log.at(0).answer, QStringLiteral("SI"));
        QCOMPARE(log.at(1).text, QStringLiteral("¿Primera?"));
        QCOMPARE(log.at(1).answer, QStringLiteral("NO"));
    }
};

QTEST_MAIN(TestGeneMens)
#include "tst_genemens.moc"
