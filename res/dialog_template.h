// Dialog templates as plain data: every control with its ID, kind, label, rectangle in dialog
// units and its styles at creation, in template (creation) order. The dialog builds its window
// from these, so the control inventory lives in exactly one place.
#pragma once

#include <cstdint>
#include <span>

inline constexpr int kStaticId = -1;  // labels and group boxes that nothing addresses

enum class ControlKind {
    kLabel,
    kGroupBox,
    kPushButton,
    kDefaultPushButton,
    kRadioButton,
    kCheckBox,
    kEdit,
    kRichEdit,
    kComboBox,
    kIpAddress,
    kIcon,
};

// Styles and states at creation; a control is visible and enabled unless flagged.
enum ControlStyle : uint32_t {
    kHidden = 1u << 0,
    kDisabled = 1u << 1,
    kReadOnly = 1u << 2,
    kNotify = 1u << 3,  // push button reports double clicks
    kGroup = 1u << 4,   // opens a group (radio group, tab group)
    kTabStop = 1u << 5,
    kCentered = 1u << 6,  // centred label text
    kMultiLine = 1u << 7,
    kSorted = 1u << 8,
    kEditable = 1u << 9,   // drop-down combo box with an edit field
    kNoPrefix = 1u << 10,  // "&" shown as is
    kBorder = 1u << 11,
    kAutoHScroll = 1u << 12,
    kScrollBars = 1u << 13,
};

struct DialogRect {
    int x, y, width, height;
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* label;  // UTF-8; nullptr when the control has none
    DialogRect rect;
    uint32_t styles;
    // English rendering of a Chinese label, the control's tooltip; nullptr when none.
    const char* gloss = nullptr;

    bool Has(ControlStyle style) const { return (styles & style) != 0; }
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;  // dialog units
    const char* fontFace;
    int fontPoints;
    std::span<const ControlTemplate> controls;
};

extern const DialogTemplate kMainDialogTemplate;   // 102
extern const DialogTemplate kAboutDialogTemplate;  // 100

// The control of a template with this ID, nullptr when absent (or for kStaticId).
const ControlTemplate* FindControl(const DialogTemplate& dialog, int id);
