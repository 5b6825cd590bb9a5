// Message boxes and dialogs that a tested window opens, answered from inside their own event
// loop with real mouse clicks (on the shared modal driver).
#pragma once

#include "ModalDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <functional>
#include <memory>

namespace kt {

// Runs action on the next modal widget that is not the one active now. The returned flag turns
// true once the action ran.
inline std::shared_ptr<bool> OnModal(std::function<void(QWidget*)> action, int timeoutMs = 10000) {
    auto done = std::make_shared<bool>(false);
    WhenModal<QWidget>(
        [done, action](QWidget* w) {
            *done = true;
            action(w);
        },
        QApplication::activeModalWidget(), timeoutMs);
    return done;
}

// Answers the next message box with the button, by a mouse click; its text goes to *text.
// Register it while no message box is up.
inline std::shared_ptr<bool> Answer(QMessageBox::StandardButton button, QString* text = nullptr) {
    auto done = std::make_shared<bool>(false);
    WhenModal<QMessageBox>([=](QMessageBox* box) {
        *done = true;
        if (text) *text = box->text();
        QAbstractButton* b = box->button(button);
        if (!b) b = box->buttons().value(0);
        QTest::mouseClick(b, Qt::LeftButton);
    });
    return done;
}

// Answers a chain of message boxes in order (each text appended to texts). The next answer waits
// from the moment the previous box is closed, since the next box may open from that answer.
inline void AnswerAll(std::vector<QMessageBox::StandardButton> buttons, QStringList* texts) {
    if (buttons.empty()) return;
    const QMessageBox::StandardButton first = buttons.front();
    buttons.erase(buttons.begin());
    WhenModal<QMessageBox>([=](QMessageBox* box) {
        if (texts) texts->append(box->text());
        QAbstractButton* b = box->button(first);
        if (!b) b = box->buttons().value(0);
        QTest::mouseClick(b, Qt::LeftButton);
        AnswerAll(buttons, texts);
    });
}

// Waits until the flag is set (the event loop runs meanwhile).
inline bool WaitFor(const std::shared_ptr<bool>& flag, int timeoutMs = 10000) {
    return QTest::qWaitFor([&] { return *flag; }, timeoutMs);
}

} // namespace kt
