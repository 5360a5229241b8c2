// Form <-> script: the composer and the applier. The change handling around them is the
// Session's (session.h).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "control_ids.h"
#include "form_access.h"

// Form -> script, line for line; reads the form only.
std::string ComposeScript(const FormAccess& form);
// Script (composed, preset, slot or cleaned query reply) -> form, with the enabling rules. The
// edits it sets raise their change notifications: a form wired to change handlers is applied
// through Session::ApplyScript, which keeps them quiet meanwhile.
void ApplyScript(FormAccess& form, std::string_view script);
// The keys ApplyScript reads into form fields; every other key of a reply is only logged.
inline constexpr std::array<std::string_view, 11> kFormFieldKeys = {
    "netmode",    "wifi_conf", "dhcpc", "net_ip", "net_dns", "remoteip",
    "remoteport", "remotepro", "mode",  "uart",   "CLport"};
