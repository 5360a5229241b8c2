#include "form_access.h"

#include <cctype>

int FindListEntry(int count, const std::function<bool(int index)>& matches) {
    for (int step = 1; step <= count; ++step) {
        const int index = step % count;
        if (matches(index)) return index;
    }
    return -1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}
