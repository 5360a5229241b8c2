#include "pane.h"
#include "presets.h"
#include "script_form.h"

namespace {

enum class Reaction { kNone, kRecompose, kRecomposeAndReapply };

struct Route {
    Notify code;
    Reaction reaction;
    int ids[8];  // unused places stay 0, which is no control
};

// Clicks and selections reapply so the enabling rules follow the new choice; typing only
// recomposes, so the edit being typed in is never rewritten under the caret.
constexpr Route kRoutes[] = {
    {Notify::kClicked,
     Reaction::kRecomposeAndReapply,
     {ctl::kModeEthernet, ctl::kModeStation, ctl::kModeAp, ctl::kDhcp, ctl::kTcpServer,
      ctl::kTcpClient, ctl::kUdpServer, ctl::kUdpClient}},
    {Notify::kSelChange,
     Reaction::kRecomposeAndReapply,
     {ctl::kEncryption, ctl::kUartBaud, ctl::kDataBits, ctl::kStopBits, ctl::kParity}},
    {Notify::kFieldChanged,
     Reaction::kRecomposeAndReapply,
     {ctl::kLocalIp, ctl::kMask, ctl::kGateway, ctl::kDns}},
    {Notify::kEditChange,
     Reaction::kRecompose,
     {ctl::kSsid, ctl::kKey, ctl::kRemoteIp, ctl::kRemotePort, ctl::kLocalPort}},
};

Reaction ReactionTo(int id, Notify code) {
    for (const Route& route : kRoutes) {
        if (route.code != code) continue;
        for (int routed : route.ids) {
            if (routed == id) return route.reaction;
        }
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
