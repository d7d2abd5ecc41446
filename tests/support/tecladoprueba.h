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

// Keys as a clerk presses them, each to the control with the focus: "⏎"
// Enter, "⇥" Tab, "⇤" Shift+Tab, anything else typed. After each, Dentro
// (when given) or a control inside it holds the focus.
inline void PulsarEnFoco(const QStringList& Pasos, QWidget* Dentro = nullptr) {
    for (const QString& paso : Pasos) {
        QWidget* foco = QApplication::focusWidget();
        QVERIFY(foco);
        if (paso == QStringLiteral("⏎"))
            QTest::keyClick(foco, Qt::Key_Return);
        else if (paso == QStringLiteral("⇥"))
            QTest::keyClick(foco, Qt::Key_Tab);
        else if (paso == QStringLiteral("⇤"))
            QTest::keyClick(foco, Qt::Key_Backtab, Qt::ShiftModifier);
        else
            TeclearEnFoco(paso);
        if (QTest::currentTestFailed() || !Dentro) continue;
        QWidget* ahora = QApplication::focusWidget();
        QVERIFY2(ahora && (ahora == Dentro || Dentro->isAncestorOf(ahora)),
                 qPrintable(QStringLiteral("tras %1 el foco está en %2")
                                .arg(paso, ahora ? ahora->objectName() : QStringLiteral("-"))));
    }
}
