// Acting on modal dialogs from a test: the dialog's exec() blocks the test, so the action is
// scheduled first and runs once the dialog is the active modal widget.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>
#include <memory>

namespace modal {

// Runs action on the next modal widget other than the one active now, polling every 10 ms for
// up to timeoutMs. The action must close the dialog; a failed check closes it for the action. Returns a flag
// that turns true once the action ran.
inline std::shared_ptr<bool> OnNext(std::function<void(QWidget*)> action, int timeoutMs = 10000) {
    auto done = std::make_shared<bool>(false);
    QPointer<QWidget> before = QApplication::activeModalWidget();
    auto* timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, before, action, done, waited, timeoutMs] {
        QWidget* now = QApplication::activeModalWidget();
        *waited += 10;
        if (now && now != before && now->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(now);
            *done = true;
            // A failed check inside the action leaves its dialogs open: close them so the test
            // reports the failure instead of hanging in exec().
            // The action is expected to close its dialog; one left open would hang exec().
            if (now->isVisible() && !QTest::currentTestFailed())
                QTest::qFail("the dialog is still open after the test's action", __FILE__, __LINE__);
            if (QTest::currentTestFailed()) {
                while (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                    open->reject();
                    if (QApplication::activeModalWidget() == open) break;
                }
            }
        } else if (*waited > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
    return done;
}

} // namespace modal
