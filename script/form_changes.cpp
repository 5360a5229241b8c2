#include "pane.h"
#include "presets.h"
#include "script_form.h"

namespace {

enum class Reaction { kNone, kRecompose, kRecomposeAndReapply };

// What a notification of a form control asks for; kNone for anything that is no form change.
Reaction ReactionTo(int id, Notify code) {
    switch (code) {
        case Notify::kClicked:
            switch (id) {
                case ctl::kModeEthernet:
                case ctl::kModeStation:
                case ctl::kModeAp:
                case ctl::kDhcp:
                case ctl::kTcpServer:
                case ctl::kTcpClient:
                case ctl::kUdpServer:
                case ctl::kUdpClient:
                    return Reaction::kRecomposeAndReapply;
            }
            break;
        case Notify::kSelChange:
            switch (id) {
                case ctl::kEncryption:
                case ctl::kUartBaud:
                case ctl::kDataBits:
                case ctl::kStopBits:
                case ctl::kParity:
                    return Reaction::kRecomposeAndReapply;
            }
            break;
        case Notify::kFieldChanged:
            switch (id) {
                case ctl::kLocalIp:
                case ctl::kMask:
                case ctl::kGateway:
                case ctl::kDns:
                    return Reaction::kRecomposeAndReapply;
            }
            break;
        case Notify::kEditChange:
            // Typing only recomposes, so the edit being typed in is never rewritten under
            // the caret.
            switch (id) {
                case ctl::kSsid:
                case ctl::kKey:
                case ctl::kRemoteIp:
                case ctl::kRemotePort:
                case ctl::kLocalPort:
                    return Reaction::kRecompose;
            }
            break;
        case Notify::kDoubleClicked:
            break;
    }
    return Reaction::kNone;
}

// A protocol radio's own step: clients need a local port, servers do not. It runs even
// while a script is being applied.
void UpdateLocalPortForRole(FormAccess& form, int id) {
    if (id == ctl::kTcpServer || id == ctl::kUdpServer) form.Enable(ctl::kLocalPort, false);
    if (id == ctl::kTcpClient || id == ctl::kUdpClient) form.Enable(ctl::kLocalPort, true);
}

}  // namespace

bool OnFormChanged(FormAccess& form, int id, Notify code) {
    const Reaction reaction = ReactionTo(id, code);
    if (reaction == Reaction::kNone) return false;
    if (!g_bApplying) {
        g_szScript = ComposeScript(form);
        ShowScript(g_szScript);
        if (reaction == Reaction::kRecomposeAndReapply) ApplyScript(form, g_szScript);
    }
    if (code == Notify::kClicked) UpdateLocalPortForRole(form, id);
    return true;
}

void StartUpForm(FormAccess& form) {
    ShowScript(FirstPresetScript());
    ApplyScript(form, FirstPresetScript());
}
