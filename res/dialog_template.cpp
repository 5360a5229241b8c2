#include "dialog_template.h"

#include "control_ids.h"
#include "resource_strings.h"

const ControlTemplate* FindControl(const DialogTemplate& dialog, int id) {
    if (id == kStaticId) return nullptr;
    for (const ControlTemplate& control : dialog.controls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

// About box, template 100. The main dialog's template has a file of its own.
namespace {

using enum ControlKind;

constexpr ControlTemplate kAboutControls[] = {
    {kIdrMainFrame, kIcon, nullptr, {14, 14, 20, 20}, 0},
    {kStaticId, kLabel, "QN7_Config Version 1.6", {40, 10, 119, 8}, kNoPrefix},
    {kStaticId, kLabel, "Copyright (C) Qn7 Tools. Free to use and share.", {39, 23, 170, 9}, 0},
    {kStaticId,
     kLabel,
     "Support: see the README that came with this program.",
     {40, 37, 188, 11},
     0},
    {ctl::kOk, kDefaultPushButton, "OK", {178, 7, 50, 16}, kGroup | kTabStop},
};

}  // namespace

const DialogTemplate kAboutDialogTemplate = {
    100, "About ZOV-QN7_CONFIG ", 235, 55, "MS Shell Dlg", 8, kAboutControls,
};
