#include "user_slots.h"

#include <cstdio>
#include <system_error>

#include "atomic_file.h"
#include "session.h"

namespace {

// The path in its native form: wide on Windows, where a narrow path is not UTF-8.
std::FILE* OpenForReading(const std::filesystem::path& path) {
#ifdef _WIN32
    return ::_wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

}  // namespace

std::string SlotName(int slot) {
    return "user" + std::to_string(slot);
}

bool ReadUserSlot(const std::filesystem::path& dir, std::string_view name, std::string& out) {
    std::FILE* file = OpenForReading(dir / name);
    if (file == nullptr) return false;
    std::string bytes;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    if (ok) out = std::move(bytes);
    return ok;
}

void Session::LoadUserSlot(std::string_view name) {
    std::string text;
    if (!ReadUserSlot(slotDirectory_, name, text)) return;
    // A script is text up to its NUL, and the port sends no further: the pane shows only what
    // a submit would send.
    ShowScript(std::string_view(text).substr(0, text.find('\0')));
}

bool Session::SaveUserSlot(std::string_view name) {
    if (cmdPane_ == nullptr) return false;
    const std::filesystem::path slot = slotDirectory_ / name;
    const std::error_code error = ReplaceFileAtomically(slot, cmdPane_->Text());
    if (error) {
        // The log pane takes UTF-8; the native form of a Windows path is wide.
        const std::u8string where = slot.u8string();
        LogPrintf("Could not save user slot \"%.*s\": %s\r\n", static_cast<int>(where.size()),
                  reinterpret_cast<const char*>(where.data()), error.message().c_str());
    }
    return !error;
}
