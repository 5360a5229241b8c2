#include "user_slots.h"

#include <system_error>

#include "at_line.h"
#include "atomic_file.h"
#include "regular_file.h"
#include "session.h"

namespace {

// The log pane takes UTF-8; the native form of a Windows path is wide.
std::string ForLog(const std::filesystem::path& path) {
    const std::u8string where = path.u8string();
    return {reinterpret_cast<const char*>(where.data()), where.size()};
}

bool IsLink(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::is_symlink(std::filesystem::symlink_status(path, ignored));
}

bool IsAccessDenied(const std::error_code& error) {
    return error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
}

}  // namespace

std::string SlotName(int slot) {
    return "user" + std::to_string(slot);
}

bool ReadUserSlot(const std::filesystem::path& dir, std::string_view name, std::string& out,
                  std::string* reason) {
    // A slot is always a file of its own: a link could show (and a submit send) any file.
    const FileReadResult read =
        ReadRegularFile(dir / name, kMaxScriptBytes, LinkPolicy::kRefuse, out);
    if (!read.ok && reason != nullptr) *reason = read.missing ? std::string() : read.reason;
    return read.ok;
}

bool Session::LoadUserSlot(std::string_view name) {
    std::string text;
    std::string reason;
    if (!ReadUserSlot(slotDirectory_, name, text, &reason)) {
        // A slot never saved is no error; one that is there but unfit for a slot is.
        if (reason.empty()) return false;
        LogPrintf("Could not load user slot \"%s\": %s\r\n", ForLog(slotDirectory_ / name).c_str(),
                  reason.c_str());
        return true;
    }
    // The pane shows only what a submit would send.
    ShowScript(UpToNul(text));
    return true;
}

bool Session::SaveUserSlot(std::string_view name) {
    if (cmdPane_ == nullptr) return false;
    const std::filesystem::path slot = slotDirectory_ / name;
    const std::string where = ForLog(slot);
    const std::string text = cmdPane_->Text();
    const bool wasLink = IsLink(slot);
    const std::error_code error = ReplaceFileAtomically(slot, text);
    if (IsAccessDenied(error) && !wasLink) {
        // When this fails too, the atomic save's reason below says why.
        if (const std::error_code failed = RewriteFileInPlace(slot, text); !failed) {
            LogPrintf(
                "Saved user slot \"%s\" in place: no file may be created in its folder, so "
                "the save was not atomic\r\n",
                where.c_str());
            return true;
        }
    }
    if (error) {
        LogPrintf("Could not save user slot \"%s\": %s\r\n", where.c_str(),
                  error.message().c_str());
    } else if (wasLink) {
        LogPrintf(
            "User slot \"%s\" was a symbolic link: it is now a file of its own, readable "
            "by you alone\r\n",
            where.c_str());
    }
    return !error;
}
