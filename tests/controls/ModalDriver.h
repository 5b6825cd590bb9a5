// Acts on a modal dialog from inside its exec(): waits (polling the event loop) until a modal
// widget of the wanted kind is up and visible, then hands it to the body, which drives it with real
// key and mouse events.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace kt {

// Schedules body for the next modal widget of type T that is not `skip` (the dialog already open,
// when a message box on top of it is wanted). Gives up silently after timeoutMs. Delete the
// returned timer (when still there) to stop waiting for a dialog that did not come.
template <class T = QWidget>
QPointer<QTimer> WhenModal(std::function<void(T*)> body, QWidget* skip = nullptr, int timeoutMs = 5000) {
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, body, skip, timeoutMs] {
        QWidget* w = QApplication::activeModalWidget();
        T* wanted = qobject_cast<T*>(w);
        const bool ready = wanted && w != skip && w->isVisible();
        if (!ready && clock->elapsed() < timeoutMs) return;
        timer->stop();
        timer->deleteLater();
        if (ready) body(wanted);
    });
    timer->start();
    return timer;
}

} // namespace kt
