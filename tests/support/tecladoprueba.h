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
        if (c.unicode() < 0x80) {
            QTest::keyClicks(foco, QString(c));
        } else {
            // A letter no key of the test's keyboard gives: sent as its text,
            // as an input method does.
            QTest::sendKeyEvent(QTest::Press, foco, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, foco, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}
