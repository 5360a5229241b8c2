#include "dialog_template_win32.h"

#include <commctrl.h>

#include <cstring>

#include "control_ids.h"

namespace {

// Writes 16-bit words; the items start on DWORD boundaries.
class TemplateWriter {
  public:
    void Word(uint32_t value) { words_.push_back(static_cast<WORD>(value)); }
    void Dword(uint32_t value) {
        Word(value & 0xFFFF);
        Word(value >> 16);
    }
    void Text(const std::wstring& text) {
        for (wchar_t c : text) Word(c);
        Word(0);
    }
    void AlignDword() {
        if (words_.size() % 2) Word(0);
    }
    std::vector<DWORD> Block() {
        AlignDword();
        std::vector<DWORD> block(words_.size() / 2);
        std::memcpy(block.data(), words_.data(), words_.size() * sizeof(WORD));
        return block;
    }

  private:
    std::vector<WORD> words_;
};

// The port list draws its entries, each port with what it is, while its field and the text of
// each entry stay the port alone (PortCombo).
DWORD PortListDrawing(const ControlTemplate& c) {
    return c.id == ctl::kComPortList ? CBS_OWNERDRAWFIXED | CBS_HASSTRINGS : 0;
}

DWORD KindStyle(const ControlTemplate& c) {
    switch (c.kind) {
        case ControlKind::kLabel:
            return (c.Has(kCentered) ? SS_CENTER : SS_LEFT) | (c.Has(kNoPrefix) ? SS_NOPREFIX : 0);
        case ControlKind::kIcon:
            return SS_ICON;
        case ControlKind::kGroupBox:
            return BS_GROUPBOX;
        case ControlKind::kPushButton:
            return BS_PUSHBUTTON | (c.Has(kNotify) ? BS_NOTIFY : 0);
        case ControlKind::kDefaultPushButton:
            return BS_DEFPUSHBUTTON;
        case ControlKind::kRadioButton:
            return BS_AUTORADIOBUTTON;
        case ControlKind::kCheckBox:
            return BS_AUTOCHECKBOX;
        case ControlKind::kEdit:
        case ControlKind::kRichEdit:
            return (c.Has(kAutoHScroll) ? ES_AUTOHSCROLL : 0) |
                   (c.Has(kReadOnly) ? ES_READONLY : 0) |
                   (c.Has(kMultiLine) ? ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL : 0) |
                   (c.Has(kScrollBars) ? WS_VSCROLL | WS_HSCROLL : 0);
        case ControlKind::kComboBox:
            return (c.Has(kEditable) ? CBS_DROPDOWN : CBS_DROPDOWNLIST) |
                   (c.Has(kSorted) ? CBS_SORT : 0) | (c.Has(kAutoHScroll) ? CBS_AUTOHSCROLL : 0) |
                   WS_VSCROLL | PortListDrawing(c);
        case ControlKind::kIpAddress:
            return 0;
    }
    return 0;
}

}  // namespace

DWORD ControlWindowStyle(const ControlTemplate& c) {
    return WS_CHILD | KindStyle(c) | (c.Has(kHidden) ? 0 : WS_VISIBLE) |
           (c.Has(kDisabled) ? WS_DISABLED : 0) | (c.Has(kTabStop) ? WS_TABSTOP : 0) |
           (c.Has(kGroup) ? WS_GROUP : 0) | (c.Has(kBorder) ? WS_BORDER : 0);
}

std::wstring ControlClassName(ControlKind kind) {
    switch (kind) {
        case ControlKind::kLabel:
        case ControlKind::kIcon:
            return L"Static";
        case ControlKind::kEdit:
            return L"Edit";
        case ControlKind::kRichEdit:
            return L"RichEdit20A";
        case ControlKind::kComboBox:
            return L"ComboBox";
        case ControlKind::kIpAddress:
            return L"SysIPAddress32";
        default:
            return L"Button";
    }
}

std::vector<DWORD> BuildDialogTemplate(const DialogTemplate& dialog, DWORD extraStyle,
                                       DWORD exStyle) {
    TemplateWriter out;
    out.Word(1);       // dlgVer
    out.Word(0xFFFF);  // signature: DLGTEMPLATEEX
    out.Dword(0);      // helpID
    out.Dword(exStyle);
    out.Dword(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | extraStyle);
    out.Word(static_cast<uint32_t>(dialog.controls.size()));
    out.Word(0);
    out.Word(0);
    out.Word(static_cast<uint32_t>(dialog.width));
    out.Word(static_cast<uint32_t>(dialog.height));
    out.Word(0);  // no menu
    out.Word(0);  // the standard dialog class
    out.Text(Widen(dialog.caption));
    out.Word(static_cast<uint32_t>(dialog.fontPoints));
    out.Word(FW_NORMAL);
    out.Word(0);  // italic 0, charset 0 (ANSI) as the resource compiler writes them
    out.Text(Widen(dialog.fontFace));
    for (const ControlTemplate& c : dialog.controls) {
        out.AlignDword();
        out.Dword(0);  // helpID
        out.Dword(0);  // exStyle
        out.Dword(ControlWindowStyle(c));
        out.Word(static_cast<uint32_t>(c.rect.x));
        out.Word(static_cast<uint32_t>(c.rect.y));
        out.Word(static_cast<uint32_t>(c.rect.width));
        out.Word(static_cast<uint32_t>(c.rect.height));
        out.Dword(static_cast<uint32_t>(c.kind == ControlKind::kIcon ? kStaticId : c.id));
        out.Text(ControlClassName(c.kind));
        if (c.kind == ControlKind::kIcon) {
            out.Word(0xFFFF);  // the title names the icon resource by number
            out.Word(static_cast<uint32_t>(c.id));
        } else {
            out.Text(Widen(c.label ? c.label : ""));
        }
        out.Word(0);  // no creation data
    }
    return out.Block();
}

void InitControlClasses() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

void LoadRichEditLibraries() {
    // Kept loaded for the whole run: the panes' window class lives in them.
    LoadLibraryW(L"riched32.dll");
    LoadLibraryW(L"riched20.dll");
}

void LoadControlLibraries() {
    InitControlClasses();
    LoadRichEditLibraries();
}
