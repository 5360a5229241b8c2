#include "script_source.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "user_slots.h"

std::string ToCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

bool IsSlotName(std::string_view source) {
    for (int slot = 0; slot < 4; ++slot) {
        if (source == SlotName(slot)) return true;
    }
    return false;
}

namespace {

bool ReadAll(std::istream& stream, std::string& text) {
    std::ostringstream buffer;
    buffer << stream.rdbuf();
    text = std::move(buffer).str();
    return !stream.bad();
}

bool ReadFile(const std::string& path, std::string& text, std::string& error) {
    errno = 0;
    std::ifstream file{path, std::ios::binary};
    const int openErrno = errno;
    // A directory opens as a stream but reads as nothing: refuse it rather than send nothing.
    std::error_code ignored;
    const int reason = std::filesystem::is_directory(path, ignored) ? EISDIR : openErrno;
    if (file && reason != EISDIR && ReadAll(file, text)) return true;
    error = "cannot read '" + path + "': " + std::strerror(reason != 0 ? reason : EIO);
    return false;
}

}  // namespace

bool ReadScriptFile(std::string_view source, std::istream& in, std::string& script,
                    std::string& error) {
    std::string raw;
    if (source == "-") {
        if (!ReadAll(in, raw)) {
            error = "cannot read standard input";
            return false;
        }
    } else if (!ReadFile(std::string(source), raw, error)) {
        return false;
    }
    script = ToCrLf(raw);
    return true;
}

bool ReadSubmitSource(std::string_view source, const std::filesystem::path& slotDir,
                      std::istream& in, std::string& script, std::string& error) {
    if (!IsSlotName(source)) return ReadScriptFile(source, in, script, error);
    if (ReadUserSlot(slotDir, source, script)) return true;
    error = "cannot read user slot '" + std::string(source) + "' in '" + slotDir.string() + "'";
    return false;
}
