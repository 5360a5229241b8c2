#include "query_texts.h"

namespace {

std::string QueryLines(std::size_t first, std::size_t end) {
    std::string lines;
    for (std::size_t i = first; i < end; ++i) lines += AtQueryLine(kQueryKeys[i]);
    return lines;
}

}  // namespace

std::string QuerySpacer() {
    return std::string(125, ' ') + "dd\r\n";
}

std::string QueryBlock() {
    return QueryLines(0, kQueryKeys.size());
}

std::array<std::string, 5> QueryChunks() {
    return {QueryLines(0, 4), QueryLines(4, 8), QueryLines(8, 12), QueryLines(12, 16),
            QueryLines(16, kSlowQueryKeyCount)};
}
