// A front end without a GUI for the shell's suites: a user-interface thread that is the test's
// own thread, serving a task queue, and a view that records the boxes, the buttons' states and
// the progress.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dialog_view.h"
#include "ui_thread.h"

class QueueUiThread : public UiThread {
  public:
    void Post(std::function<void()> task) override { tasks_.Push(std::move(task)); }
    // Runs what has been posted, as the front end's event loop would.
    void RunPosted() { tasks_.RunAll(); }

  private:
    TaskQueue tasks_;
};

class RecordingView : public DialogView {
  public:
    bool AskYesNo(std::string_view caption, std::string_view text) override {
        questions.push_back(std::string(caption) + "|" + std::string(text));
        return answer;
    }
    void ShowErrorBox(std::string_view text) override {
        errors.push_back(std::string(kErrorBoxCaption) + "|" + std::string(text));
        if (whileErrorShown) whileErrorShown();
    }
    void EnableControl(int id, bool enabled) override { enabled_[id] = enabled; }
    void StartProgress(uint32_t totalMs) override { progress.push_back(totalMs); }
    void StopProgress() override { progress.push_back(0); }
    void ShowStopButton(bool shown) override { stopShown.push_back(shown); }
    void ShowStatus(std::string_view text) override { status = text; }
    void FocusControl(int id) override { focus = id; }

    // Never disabled counts as enabled.
    bool IsEnabled(int id) const {
        const auto found = enabled_.find(id);
        return found == enabled_.end() || found->second;
    }

    bool answer = false;
    std::vector<std::string> questions;  // "caption|text"
    std::vector<std::string> errors;
    std::vector<uint32_t> progress;  // each expected wait, 0 for each stop
    std::vector<bool> stopShown;     // each showing and hiding of the Stop button
    std::string status;
    int focus = 0;
    // Runs while an error box is up, as a user could act before dismissing it.
    std::function<void()> whileErrorShown;

  private:
    std::map<int, bool> enabled_;
};
