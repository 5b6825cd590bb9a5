#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Acts on the next modal window other than `except` as soon as it is up (from inside its exec).
inline void OnModal(std::function<void(QWidget*)> act, QWidget* except = nullptr) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act, except] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == except || !w->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(w);
    });
    timer->start();
}
