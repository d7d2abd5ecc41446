#pragma once
// Drives the generic dialogs in tests: the action runs on the first modal
// window of class T that shows, once, from the dialog's own modal loop, with
// the dialog made the active window. A check that fails inside the action
// closes it.
//
// Nothing waits for a time. Activation comes from the window system at its
// own moment (and not at all for a dialog shown again while its window kept
// the system's focus), and it moves the focus into the dialog: an action run
// before it typed into the dialog, one run after it typed into nothing, and a
// test answered its dialog or hung depending on which came first. The action
// therefore activates the dialog itself, which the later system activation
// leaves as it is, and types through DondeSeEscribe, as a user would.

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTest>
#include <functional>

// Where the keys a user types into an active dialog go: its focused control
// (the dialog's key preview sees them there), or the dialog without one.
inline QWidget* DondeSeEscribe(QWidget* dialogo) {
    QWidget* foco = QApplication::focusWidget();
    return foco && (foco == dialogo || dialogo->isAncestorOf(foco)) ? foco : dialogo;
}

template <class T>
void AlMostrarse(std::function<void(T*)> accion) {
    class Observador : public QObject {
    public:
        explicit Observador(std::function<void(T*)> a) : QObject(qApp), accion_(std::move(a)) {
            qApp->installEventFilter(this);
        }
        bool eventFilter(QObject* o, QEvent* e) override {
            if (hecho_ || e->type() != QEvent::Show) return false;
            auto* dialogo = qobject_cast<T*>(o);
            if (!dialogo || !dialogo->isVisible() || !dialogo->isModal()) return false;
            hecho_ = true;
            qApp->removeEventFilter(this);
            // Posted: it runs once the dialog's modal loop is turning.
            QPointer<T> p(dialogo);
            QMetaObject::invokeMethod(
                dialogo,
                [p, accion = std::move(accion_)] {
                    if (!p) return;
                    QT_WARNING_PUSH
                    QT_WARNING_DISABLE_DEPRECATED
                    QApplication::setActiveWindow(p);
                    QT_WARNING_POP
                    accion(p);
                    // A failed check inside the action leaves the dialog
                    // open: it is closed so that the test reports instead of
                    // waiting.
                    if (QTest::currentTestFailed() && p && p->isVisible()) p->close();
                },
                Qt::QueuedConnection);
            deleteLater();
            return false;
        }

    private:
        std::function<void(T*)> accion_;
        bool hecho_ = false;
    };
    new Observador(std::move(accion));
}
