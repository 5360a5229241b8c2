#include "form_access.h"

int FindListEntry(int count, const std::function<bool(int index)>& matches) {
    for (int step = 1; step <= count; ++step) {
        const int index = step % count;
        if (matches(index)) return index;
    }
    return -1;
}
