// The error box text of a failed exchange.
#include <cstdio>

#include "exchanges.h"
#include "win_error.h"

std::string SerialErrorText(int32_t code, std::string_view message, std::string_view explanation) {
    char head[260];
    std::snprintf(head, sizeof head, "%.*s\n(error code %d)", static_cast<int>(message.size()),
                  message.data(), code);
    std::string text = head;
    text += '\n';
    text += explanation.empty() ? WinErrorDescription(code) : std::string(explanation);
    if (std::string hint = WinErrorHint(code); !hint.empty()) text += ". " + hint;
    return text;
}

void ShowSerialError(ExchangeHost& host, int32_t code, std::string_view message,
                     std::string_view explanation) {
    host.ShowError(code, SerialErrorText(code, message, explanation));
}
