// The Query button's path: a module's reply cleaned, applied to the start-up form, composed.
#include <cstdint>
#include <string_view>

#include "compose_command.h"
#include "query_texts.h"
#include "script_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    RequireCommandLinesOnly(RecomposeFromStartUp(CleanQueryReply(reply)));
    return 0;
}
