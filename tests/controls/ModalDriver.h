// Acts on a modal dialog from inside its exec(): waits (polling the event loop) until a modal
// widget of the wanted kind is up and visible, then hands it to the body, which drives it with real
// key and mouse events.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace kt {

// Schedules body for the next modal widget of type T that is not `skip` (the dialog already open,
// when a message box on top of it is wanted). Gives up silently after timeoutMs.
template <class T = QWidget>
void WhenModal(std::function<void(T*)> body, QWidget* skip = nullptr, int timeoutMs = 5000) {
    auto* timer = new QTimer(qApp);
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, body, skip, timeoutMs] {
        QWidget* w = QApplication::activeModalWidget();
        T* wanted = qobject_cast<T*>(w);
        const bool ready = wanted && w != skip && w->isVisible();
        if (!ready && clock->elapsed() < timeoutMs) return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (ready) body(wanted);
    });
    timer->start();
}

} // namespace kt
