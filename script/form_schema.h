// The form, one row per control: what kind of control it is, the radio group it belongs to, its
// list entries, the notification that reports a user's change and how the form reacts to it.
// The in-memory form, the change routing, the dialog's dispatch rows, its list filling and the
// applier's reset steps all come from this table; a new field is a new row here, a control in
// the template and its lines in the composer and the applier.
#pragma once

#include <array>
#include <span>

#include "at_text.h"
#include "control_ids.h"

enum class FieldKind { kRadio, kCheckBox, kEdit, kAddress, kList };

// What a user's change of a field does.
enum class Reaction {
    kRecompose,  // typing: the edit being typed in is never rewritten under the caret
    kReapply,    // recompose, then apply the script back so the enabling rules follow
    // A protocol radio: reapply, then, even while a script is being applied, disable the local
    // port (a server needs none of its own) or enable it (a client does).
    kReapplyServer,
    kReapplyClient,
};

struct FormField {
    int id;
    FieldKind kind;
    Notify change;  // the notification of a user's change
    Reaction reaction;
    int radioGroup = 0;                         // radios of one group uncheck each other; 0: none
    std::span<const char* const> entries = {};  // a list's entries, in list order
    bool enabledByApply = false;                // the applier enables it before applying a script
};

inline constexpr int kWorkModeGroup = 1;
inline constexpr int kProtocolGroup = 2;

namespace form_schema_detail {
using enum FieldKind;
using enum Reaction;
inline constexpr Notify kOnClick = Notify::kClicked;
inline constexpr Notify kOnSelect = Notify::kSelChange;
inline constexpr Notify kOnType = Notify::kEditChange;
inline constexpr Notify kOnField = Notify::kFieldChanged;

inline constexpr std::array<FormField, 22> kRows = {{
    {ctl::kModeEthernet, kRadio, kOnClick, kReapply, kWorkModeGroup},
    {ctl::kModeStation, kRadio, kOnClick, kReapply, kWorkModeGroup},
    {ctl::kModeAp, kRadio, kOnClick, kReapply, kWorkModeGroup},
    {ctl::kSsid, kEdit, kOnType, kRecompose, 0, {}, true},
    {ctl::kEncryption, kList, kOnSelect, kReapply, 0, kEncryptionLabels, true},
    {ctl::kKey, kEdit, kOnType, kRecompose, 0, {}, true},
    {ctl::kDhcp, kCheckBox, kOnClick, kReapply, 0, {}, true},
    {ctl::kLocalIp, kAddress, kOnField, kReapply, 0, {}, true},
    {ctl::kMask, kAddress, kOnField, kReapply, 0, {}, true},
    {ctl::kGateway, kAddress, kOnField, kReapply, 0, {}, true},
    {ctl::kDns, kAddress, kOnField, kReapply, 0, {}, true},
    {ctl::kTcpServer, kRadio, kOnClick, kReapplyServer, kProtocolGroup},
    {ctl::kTcpClient, kRadio, kOnClick, kReapplyClient, kProtocolGroup},
    {ctl::kUdpServer, kRadio, kOnClick, kReapplyServer, kProtocolGroup},
    {ctl::kUdpClient, kRadio, kOnClick, kReapplyClient, kProtocolGroup},
    {ctl::kRemoteIp, kEdit, kOnType, kRecompose, 0, {}, true},
    {ctl::kRemotePort, kEdit, kOnType, kRecompose, 0, {}, true},
    {ctl::kLocalPort, kEdit, kOnType, kRecompose, 0, {}, true},
    {ctl::kUartBaud, kList, kOnSelect, kReapply, 0, kUartBaudRates},
    {ctl::kDataBits, kList, kOnSelect, kReapply, 0, kDataBitsEntries},
    {ctl::kStopBits, kList, kOnSelect, kReapply, 0, kStopBitsEntries},
    {ctl::kParity, kList, kOnSelect, kReapply, 0, kParityLabels},
}};
}  // namespace form_schema_detail

// In the composer's order of the fields.
inline constexpr std::span<const FormField> kFormSchema = form_schema_detail::kRows;

// The row of a control, nullptr for a control that is not a form field.
constexpr const FormField* FindFormField(int id) {
    for (const FormField& field : kFormSchema) {
        if (field.id == id) return &field;
    }
    return nullptr;
}
