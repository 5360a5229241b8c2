#include "terminal_host.h"

#include <ostream>

TerminalHost::TerminalHost(LinkSettings link, bool quiet, std::ostream& err)
    : link_(std::move(link)), quiet_(quiet), err_(err) {}

void TerminalHost::Log(std::string_view text) {
    if (!quiet_) err_ << text << std::flush;
}
