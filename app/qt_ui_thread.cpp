#include "qt_ui_thread.h"

#include <QCoreApplication>

void QtUiThread::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
}

void QtUiThread::Call(std::function<void()> task) {
    QMetaObject::invokeMethod(&context_, std::move(task), Qt::BlockingQueuedConnection);
}

void QtUiThread::ServeEvents() {
    // Only the worker's tasks and the window's own events: a click or key served while the
    // window waits to close would act on a window that is going.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
}
