#include "session.h"

#include <cstdarg>
#include <cstdio>

void Session::SetPanes(TextPane* cmdPane, TextPane* logPane) {
    cmdPane_ = cmdPane;
    logPane_ = logPane;
}

void Session::ShowScript(std::string_view text) {
    if (cmdPane_ != nullptr) ShowInPane(*cmdPane_, text);
}

void Session::AppendLog(std::string_view text) {
    if (logPane_ != nullptr) AppendToPane(*logPane_, text);
}

void Session::LogPrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    if (length >= 0) {
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<std::size_t>(length));
        AppendLog(text);
    }
    va_end(args);
}
