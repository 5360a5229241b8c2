#include "fake_front_end.h"

void QueueUiThread::Post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
}

void QueueUiThread::Call(std::function<void()> task) {
    std::unique_lock lock(mutex_);
    bool done = false;
    tasks_.push_back([&, task = std::move(task)] {
        task();
        std::lock_guard doneLock(mutex_);
        done = true;
    });
    served_.wait(lock, [&] { return done; });
}

void QueueUiThread::ServeEvents() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) break;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
        served_.notify_all();
    }
}

bool RecordingView::AskYesNo(std::string_view caption, std::string_view text) {
    questions.push_back(std::string(caption) + "|" + std::string(text));
    return answer;
}

void RecordingView::ShowErrorBox(std::string_view text) {
    errors.push_back(std::string(kErrorBoxCaption) + "|" + std::string(text));
}

bool RecordingView::IsEnabled(int id) const {
    const auto found = enabled_.find(id);
    return found == enabled_.end() || found->second;
}
