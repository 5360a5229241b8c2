#include "ui_thread.h"

void TaskQueue::Push(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
}

void TaskQueue::RunAll() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();  // outside the lock: a task may post another
    }
}

void TaskQueue::Clear() {
    std::lock_guard lock(mutex_);
    tasks_.clear();
}
