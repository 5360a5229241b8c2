#include "qt_ui_thread.h"

void QtUiThread::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
}
