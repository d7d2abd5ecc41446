#include "gene/data/genereloj.h"

#include <QCursor>
#include <QGuiApplication>

TCursorEspera::TCursorEspera()
    : activo_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (activo_) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

TCursorEspera::~TCursorEspera() {
    if (activo_) QGuiApplication::restoreOverrideCursor();
}
