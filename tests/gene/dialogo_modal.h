#pragma once
// Drives the generic dialogs in tests: the action runs on the first visible
// modal window of class T as soon as it shows (the dialog's own modal loop
// is running), once. A check that fails inside the action closes it.

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

template <class T>
void AlMostrarse(std::function<void(T*)> accion) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, accion] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialogo = qobject_cast<T*>(w);
            if (!dialogo || !dialogo->isVisible() || !dialogo->isModal()) continue;
            timer->stop();
            timer->deleteLater();
            accion(dialogo);
            // A failed check inside the action leaves the dialog open: it is
            // closed so that the test reports instead of waiting.
            if (QTest::currentTestFailed() && dialogo->isVisible()) dialogo->close();
            return;
        }
    });
    timer->start();
}
