// What a screen reader reads for every control of a window.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabBar>
#include <QtTest>

// Every control a person can reach says what it is: its accessible name, a button's caption or
// the text of the label whose buddy it is. Fails the test naming the first one that does not.
inline void ExpectAccessibleNames(QWidget* window) {
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window)) continue;
        bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                       qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w) ||
                       qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w);
        // The parts of a combo box, spin box or tab bar are read as the whole.
        QWidget* parent = w->parentWidget();
        if (!control || qobject_cast<QComboBox*>(parent) || qobject_cast<QAbstractSpinBox*>(parent) ||
            qobject_cast<QTabBar*>(parent) || qobject_cast<QHeaderView*>(w))
            continue;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        QString name = iface ? iface->text(QAccessible::Name) : QString();
        QVERIFY2(!name.isEmpty(), qPrintable(QString("%1 in %2 has no accessible name")
                                                 .arg(w->metaObject()->className(), window->windowTitle())));
    }
}
