#include "fake_front_end.h"

bool RecordingView::AskYesNo(std::string_view caption, std::string_view text) {
    questions.push_back(std::string(caption) + "|" + std::string(text));
    return answer;
}

void RecordingView::ShowErrorBox(std::string_view text) {
    errors.push_back(std::string(kErrorBoxCaption) + "|" + std::string(text));
    if (whileErrorShown) whileErrorShown();
}

bool RecordingView::IsEnabled(int id) const {
    const auto found = enabled_.find(id);
    return found == enabled_.end() || found->second;
}
