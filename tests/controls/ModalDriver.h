// Acting on modal windows from a test. A dialog's exec() blocks the test, so the action is
// scheduled first and runs from inside the dialog's own event loop once it is up, driving it with
// real key and mouse events. Every test that meets a modal window goes through these.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

namespace kt {

namespace detail {

// A widget an action was run on is never handed to another action: two waits registered for
// the same kind of window meet one window each.
inline bool Handled(QWidget* w) {
    return w->property("ktHandled").toBool();
}
inline void MarkHandled(QWidget* w) {
    w->setProperty("ktHandled", true);
}

// A modal window is shown before it is activated; under load the activation comes later, and
// until then it has no focus widget to take keys. Waits for it, and tells whether it still exists.
inline bool Activated(QWidget* w) {
    QPointer<QWidget> guard(w);
    // One that never activates is still acted on: the action's checks then tell what is wrong.
    static_cast<void>(QTest::qWaitFor([&] { return !guard || guard->isActiveWindow(); }, 5000));
    return guard && guard->isVisible();
}

// The action ran and left its window open, or a check in it failed: the dialogs left open are
// closed, so that the test reports the failure instead of hanging in exec().
inline void CloseAfterFailure(QWidget* acted) {
    if (acted && acted->isVisible() && !QTest::currentTestFailed())
        QTest::qFail("the dialog is still open after the test's action", __FILE__, __LINE__);
    if (!QTest::currentTestFailed()) return;
    while (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        open->reject();
        if (QApplication::activeModalWidget() == open) break;
    }
}

} // namespace detail

// Schedules body for the next modal widget of type T that is not `skip` (the dialog already open,
// when a message box on top of it is wanted) and was not handled by another wait. Gives up
// silently after timeoutMs. Delete the returned timer (when still there) to stop waiting for a
// dialog that did not come. `skip` is watched, not compared by address: once it is gone, a new
// window created where it was is not mistaken for it.
template <class T = QWidget>
QPointer<QTimer> WhenModal(std::function<void(T*)> body, QWidget* skip = nullptr, int timeoutMs = 10000) {
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QPointer<QWidget> skipped(skip);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, body, skipped, timeoutMs] {
        QWidget* w = QApplication::activeModalWidget();
        T* wanted = qobject_cast<T*>(w);
        const bool ready = wanted && w != skipped.data() && w->isVisible() && !detail::Handled(w);
        if (!ready && clock->elapsed() < timeoutMs) return;
        timer->stop();
        timer->deleteLater();
        if (!ready) return;
        detail::MarkHandled(w);
        if (detail::Activated(w)) body(wanted);
    });
    timer->start();
    return timer;
}

// Runs action on the next modal widget other than the one active now. The action must close the
// window; one left open fails the test. The returned flag turns true once the action ran.
inline std::shared_ptr<bool> OnModal(std::function<void(QWidget*)> action, int timeoutMs = 10000) {
    auto done = std::make_shared<bool>(false);
    WhenModal<QWidget>(
        [done, action](QWidget* w) {
            QPointer<QWidget> acted(w);
            action(w);
            *done = true;
            detail::CloseAfterFailure(acted.data());
        },
        QApplication::activeModalWidget(), timeoutMs);
    return done;
}

// Clicks the button of a message box. A box without that button is a failure (then closed by
// its first button), never silently answered otherwise.
inline void Click(QMessageBox* box, QMessageBox::StandardButton button) {
    QAbstractButton* b = box->button(button);
    if (!b) {
        QTest::qFail(
            qPrintable(QStringLiteral("the message box has not the button asked for: ") + box->text()),
            __FILE__, __LINE__);
        b = box->buttons().value(0);
    }
    QTest::mouseClick(b, Qt::LeftButton);
}

// Answers the next message box with the button, by a mouse click; its text goes to *text.
inline std::shared_ptr<bool> Answer(QMessageBox::StandardButton button, QString* text = nullptr,
                                    QWidget* skip = nullptr) {
    auto done = std::make_shared<bool>(false);
    WhenModal<QMessageBox>(
        [=](QMessageBox* box) {
            *done = true;
            if (text) *text = box->text();
            Click(box, button);
        },
        skip);
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
        Click(box, first);
        AnswerAll(buttons, texts);
    });
}

// Waits until the flag is set (the event loop runs meanwhile).
inline bool WaitFor(const std::shared_ptr<bool>& flag, int timeoutMs = 10000) {
    return QTest::qWaitFor([&] { return *flag; }, timeoutMs);
}

// The modal windows an operation opens, met in order: each step names the window it waits for
// (others, such as the save-file dialog under its overwrite question, are passed over) and acts on
// it. Each step starts waiting before the previous step acts, so a window that a step's action
// opens is met by the next step from inside the action's event loop.
struct Played {
    QStringList texts; // of the message boxes met
    size_t done = 0;
    size_t total = 0;
    bool stopped = false; // set by the test to stop waiting for the steps left
    bool Finished() const { return done == total; }
};

struct Step {
    std::function<bool(QWidget*)> match;
    std::function<void(QWidget*, Played&)> act;
};

namespace detail {
inline void PlayFrom(std::shared_ptr<Played> played, std::shared_ptr<std::vector<Step>> steps, size_t index,
                     int timeoutMs) {
    if (index >= steps->size()) return;
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        if (played->stopped || clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || Handled(w) || !(*steps)[index].match(w)) return;
        MarkHandled(w);
        timer->stop();
        timer->deleteLater();
        ++played->done;
        PlayFrom(played, steps, index + 1, timeoutMs);
        if (Activated(w)) (*steps)[index].act(w, *played);
    });
    timer->start();
}
} // namespace detail

inline std::shared_ptr<Played> Play(std::vector<Step> steps, int timeoutMs = 15000) {
    auto played = std::make_shared<Played>();
    played->total = steps.size();
    detail::PlayFrom(played, std::make_shared<std::vector<Step>>(std::move(steps)), 0, timeoutMs);
    return played;
}

inline bool Finished(const std::shared_ptr<Played>& played, int timeoutMs = 15000) {
    return QTest::qWaitFor([&] { return played->Finished(); }, timeoutMs);
}

// A step for a window of type T.
template <class T> Step Window(std::function<void(T*, Played&)> act) {
    return {[](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
            [act](QWidget* w, Played& played) { act(qobject_cast<T*>(w), played); }};
}

// A message box answered with the button; its text is kept in order.
inline Step Box(QMessageBox::StandardButton button) {
    return Window<QMessageBox>([button](QMessageBox* box, Played& played) {
        played.texts << box->text();
        Click(box, button);
    });
}

} // namespace kt
