#include "terminal_host.h"

#include <ostream>

#include "exit_codes.h"
#include "serial_port.h"

TerminalHost::TerminalHost(LinkSettings link, bool quiet, std::ostream& err)
    : link_(std::move(link)), quiet_(quiet), err_(err) {}

void TerminalHost::Log(std::string_view text) {
    if (!quiet_) err_ << text << std::flush;
}

void TerminalHost::ShowError(int32_t code, std::string_view text) {
    errorCode_ = code;
    err_ << text << '\n' << std::flush;
}

int TerminalHost::FailureStatus() const {
    if (!errorCode_) return exit_code::kUnavailable;
    return *errorCode_ == kErrorAccessDenied ? exit_code::kNoPermission : exit_code::kIoError;
}
