// The shell's user-interface thread over Qt's event loop: tasks are queued calls on a context
// object, so those still queued when it goes are dropped.
#pragma once

#include <QObject>

#include "ui_thread.h"

class QtUiThread : public UiThread {
  public:
    void Post(std::function<void()> task) override {
        QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
    }

  private:
    QObject context_;
};
