// Acting on modal dialogs and message boxes that a tested window opens: the action runs from
// inside the dialog's own event loop, with real key and mouse events.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace kt {

// Runs action on the next modal widget that is not the one active now. The returned flag turns
// true once the action ran.
inline std::shared_ptr<bool> OnModal(std::function<void(QWidget*)> action, int timeoutMs = 10000) {
    auto done = std::make_shared<bool>(false);
    QPointer<QWidget> before = QApplication::activeModalWidget();
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [=]() mutable {
        QWidget* w = QApplication::activeModalWidget();
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        if (!w || w == before || !w->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        *done = true;
        action(w);
    });
    timer->start();
    return done;
}

// Answers the next message box with the button, by a mouse click; its text goes to *text.
inline std::shared_ptr<bool> Answer(QMessageBox::StandardButton button, QString* text = nullptr) {
    return OnModal([=](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) return;
        if (text) *text = box->text();
        QAbstractButton* b = box->button(button);
        if (!b) b = box->buttons().value(0);
        QTest::mouseClick(b, Qt::LeftButton);
    });
}

// Answers a chain of message boxes in order (each text appended to texts).
inline void AnswerAll(std::vector<QMessageBox::StandardButton> buttons, QStringList* texts) {
    if (buttons.empty()) return;
    const QMessageBox::StandardButton first = buttons.front();
    buttons.erase(buttons.begin());
    OnModal([=](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) return;
        if (texts) texts->append(box->text());
        AnswerAll(buttons, texts); // the next box may open from this one's answer
        QAbstractButton* b = box->button(first);
        if (!b) b = box->buttons().value(0);
        QTest::mouseClick(b, Qt::LeftButton);
    });
}

// Waits until the flag is set (the event loop runs meanwhile).
inline bool WaitFor(const std::shared_ptr<bool>& flag, int timeoutMs = 10000) {
    return QTest::qWaitFor([&] { return *flag; }, timeoutMs);
}

} // namespace kt
