#pragma once
// Typing as a user does: each key goes to the control that has the focus
// when it is pressed (a grid opens its cell editor on the first key, and the
// rest goes into that editor).

#include <QApplication>
#include <QString>
#include <QtTest>

inline void TeclearEnFoco(const QString& texto) {
    for (const QChar c : texto) {
        QWidget* foco = QApplication::focusWidget();
        QVERIFY(foco);
        QTest::keyClicks(foco, QString(c));
    }
}
