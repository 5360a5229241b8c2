#include "script_source.h"

#include <istream>

#include "at_line.h"
#include "exit_codes.h"
#include "regular_file.h"
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

// Standard input may be a device that never ends: one byte beyond the limit tells.
int ReadStandardInput(std::istream& in, std::string& text, std::string& error) {
    std::string read(kMaxScriptBytes + 1, '\0');
    in.read(read.data(), static_cast<std::streamsize>(read.size()));
    if (in.bad()) {
        error = "cannot read standard input";
        return exit_code::kNoInput;
    }
    read.resize(static_cast<std::size_t>(in.gcount()));
    if (read.size() > kMaxScriptBytes) {
        error = "cannot read standard input: " + TooLargeReason(kMaxScriptBytes);
        return exit_code::kNoInput;
    }
    text = std::move(read);
    return exit_code::kOk;
}

int ReadFile(std::string_view source, std::string& text, std::string& error) {
    const FileReadResult read =
        ReadRegularFile(std::string(source), kMaxScriptBytes, LinkPolicy::kFollow, text);
    if (read.ok) return exit_code::kOk;
    error = "cannot read '" + std::string(source) + "': " + read.reason;
    return exit_code::kNoInput;
}

// The script would end at a NUL: the rest would be dropped without a word.
int CheckNoNul(std::string_view what, std::string_view text, std::string& error) {
    const std::size_t sent = UpToNul(text).size();
    if (sent == text.size()) return exit_code::kOk;
    error = std::string(what) + " holds a NUL byte at offset " + std::to_string(sent) +
            "; a script is text";
    return exit_code::kDataError;
}

}  // namespace

std::string DescribedSource(std::string_view source) {
    return source == "-" ? std::string("standard input") : "'" + std::string(source) + "'";
}

int ReadSourceBytes(std::string_view source, std::istream& in, std::string& text,
                    std::string& error) {
    const int status =
        source == "-" ? ReadStandardInput(in, text, error) : ReadFile(source, text, error);
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (status == exit_code::kOk && text.starts_with(kByteOrderMark))
        text.erase(0, kByteOrderMark.size());
    return status;
}

int ReadScriptFile(std::string_view source, std::istream& in, std::string& script,
                   std::string& error) {
    std::string raw;
    if (const int status = ReadSourceBytes(source, in, raw, error)) return status;
    if (const int nul = CheckNoNul(DescribedSource(source), raw, error)) return nul;
    script = ToCrLf(raw);
    return exit_code::kOk;
}

int ReadSubmitSource(std::string_view source, const std::filesystem::path& slotDir,
                     std::istream& in, std::string& script, std::string& error) {
    std::string text;
    if (!IsSlotName(source)) {
        if (const int status = ReadScriptFile(source, in, text, error)) return status;
    } else {
        std::string reason;
        if (!ReadUserSlot(slotDir, source, text, &reason)) {
            error = "cannot read user slot '" + std::string(source) + "' in '" + slotDir.string() +
                    "'" + (reason.empty() ? "" : ": " + reason);
            return exit_code::kNoInput;
        }
        const std::string what = "user slot '" + std::string(source) + "'";
        if (const int nul = CheckNoNul(what, text, error)) return nul;
    }
    if (text.empty()) {
        error = DescribedSource(source) + " is empty: nothing to send";
        return exit_code::kDataError;
    }
    script = std::move(text);
    return exit_code::kOk;
}
