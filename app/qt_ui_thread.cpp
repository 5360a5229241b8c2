#include "qt_ui_thread.h"

#include <QCoreApplication>

void QtUiThread::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
}

void QtUiThread::Call(std::function<void()> task) {
    QMetaObject::invokeMethod(&context_, std::move(task), Qt::BlockingQueuedConnection);
}

void QtUiThread::ServeEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}
