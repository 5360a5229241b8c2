#include "qn7_setuptool_dlg_win32.h"

#include <commctrl.h>
#include <dbt.h>

#include "control_ids.h"
#include "dialog_init.h"
#include "dialog_template_win32.h"
#include "exchange_controls.h"
#include "port_list.h"
#include "resource_strings.h"
#include "text_win32.h"
#include "window_probe_win32.h"

namespace {

constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT kProgressIntervalMs = 100;
// A port's arrival comes as the device's interface and as the port itself: one listing after
// both.
constexpr UINT_PTR kPortSettleTimer = 2;
constexpr UINT kPortSettleMs = 300;

// Lets the panes' text and the fonts settle before a script's probe looks at the window.
constexpr UINT_PTR kProbeTimer = 3;
constexpr UINT kProbeDelayMs = 500;

// GUID_DEVINTERFACE_COMPORT: USB serial drivers announce their ports through it.
constexpr GUID kComPortInterface = {
    0x86e0d1e0, 0x8089, 0x11d0, {0x9c, 0xe4, 0x08, 0x00, 0x3e, 0x30, 0x1f, 0x73}};

// The About box, template 100, built in memory like the main dialog.
INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(window, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

class CAboutDlg {
  public:
    // Runs the box modally over `owner`; returns once it is closed.
    INT_PTR DoModal(HWND owner) {
        // Its icon control names icon 128 of the program's resources.
        const std::vector<DWORD> block = BuildDialogTemplate(kAboutDialogTemplate, 0, 0);
        return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                       reinterpret_cast<LPCDLGTEMPLATEW>(block.data()), owner,
                                       AboutProc, 0);
    }
};

std::wstring ClassOf(HWND window) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    return name;
}

// Edits, lists and address fields keep Enter: a slip of the key there must not end the program
// and lose the form. The focus is in the control or in one of its fields.
bool KeepsEnter(HWND dialog, HWND focus) {
    for (HWND w = focus; w && w != dialog; w = GetParent(w)) {
        const std::wstring name = ClassOf(w);
        for (const wchar_t* keeper : {L"Edit", L"ComboBox", L"SysIPAddress32", L"RichEdit20A"}) {
            if (_wcsicmp(name.c_str(), keeper) == 0) return true;
        }
    }
    return false;
}

bool IsIn(HWND window, HWND focus) {
    return focus && (focus == window || IsChild(window, focus));
}

}  // namespace

void WindowUiThread::Attach(HWND window) {
    window_ = window;
    if (!window) tasks_.Clear();
}

void WindowUiThread::Post(std::function<void()> task) {
    HWND window = window_;
    if (!window) return;
    tasks_.Push(std::move(task));
    PostMessageW(window, kTaskMessage, 0, 0);
}

bool WindowUiThread::HandleMessage(UINT message) {
    if (message != kTaskMessage) return false;
    tasks_.RunAll();
    return true;
}

CQN7_SETUPTOOLDlg::CQN7_SETUPTOOLDlg()
    : m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIdrMainFrame))),
      shell_(form_, *this, ui_) {}

CQN7_SETUPTOOLDlg::~CQN7_SETUPTOOLDlg() {
    shell_.Shutdown();
    if (window_ && !modal_) DestroyWindow(window_);
}

INT_PTR CQN7_SETUPTOOLDlg::DoModal() {
    modal_ = true;
    template_ = BuildDialogTemplate(kMainDialogTemplate, 0, WS_EX_APPWINDOW);
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                   reinterpret_cast<LPCDLGTEMPLATEW>(template_.data()), nullptr,
                                   DialogProc, reinterpret_cast<LPARAM>(this));
}

HWND CQN7_SETUPTOOLDlg::Create() {
    modal_ = false;
    template_ = BuildDialogTemplate(kMainDialogTemplate, WS_VISIBLE, WS_EX_APPWINDOW);
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                      reinterpret_cast<LPCDLGTEMPLATEW>(template_.data()), nullptr,
                                      DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CQN7_SETUPTOOLDlg::DialogProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CQN7_SETUPTOOLDlg*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->window_ = window;
    }
    if (message == WM_MEASUREITEM && wParam == ctl::kComPortList) {
        PortCombo::MeasureItem(window, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    }
    auto* dialog = reinterpret_cast<CQN7_SETUPTOOLDlg*>(GetWindowLongPtrW(window, DWLP_USER));
    return dialog ? dialog->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CQN7_SETUPTOOLDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (ui_.HandleMessage(message)) return TRUE;
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_NOTIFY: {
            // IPN_FIELDCHANGED of the address fields; the code is negative, the table's too.
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            return shell_.Dispatch(static_cast<int>(header->idFrom),
                                   static_cast<Notify>(static_cast<int>(header->code)));
        }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != kAboutCommandId) return FALSE;
            OnSysCommand(wParam, lParam);
            return TRUE;
        case WM_PAINT:
            return OnPaint();
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(m_hIcon);
        case WM_DRAWITEM:
            if (wParam != ctl::kComPortList) return FALSE;
            m_ComPortList.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DEVICECHANGE:
            OnDeviceChange(wParam, lParam);
            return FALSE;  // the default answer too: removals and queries are granted
        case WM_TIMER:
            if (wParam == kProgressTimer) OnTimer();
            if (wParam == kPortSettleTimer) OnPortsSettled();
            if (wParam == kProbeTimer) {
                KillTimer(window_, kProbeTimer);
                ProbeShownWindow(window_);
                EndDialogWith(IDOK);
            }
            return TRUE;
        case WM_DESTROY:
            if (portNotification_) UnregisterDeviceNotification(portNotification_);
            portNotification_ = nullptr;
            shell_.Shutdown();
            ui_.Attach(nullptr);
            window_ = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

BOOL CQN7_SETUPTOOLDlg::OnInitDialog() {
    ApplyDialogInit();
    AddAboutItem();
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_LogPane.Attach(GetDlgItem(window_, ctl::kLogPane));
    m_CmdPane.Attach(GetDlgItem(window_, ctl::kCmdPane));
    m_LogPane.UseFixedWidthFont();
    m_ComPortList.Attach(GetDlgItem(window_, ctl::kComPortList));
    GiveListTextsTheirFields();
    CreateExchangeControls();
    ui_.Attach(window_);
    form_.Attach(window_, &m_ComPortList);
    shell_.OnInitDialog(&m_CmdPane, &m_LogPane);
    DEV_BROADCAST_DEVICEINTERFACE_W ports{};
    ports.dbcc_size = sizeof ports;
    ports.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    ports.dbcc_classguid = kComPortInterface;
    portNotification_ = RegisterDeviceNotificationW(window_, &ports, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (ProbeRequested()) SetTimer(window_, kProbeTimer, kProbeDelayMs, nullptr);
    // The focus belongs on the submit button, the template's first tab stop. Checking a radio
    // button makes it a tab stop too (the button control does that), so the dialog manager
    // would pick work mode 1054, which the first preset has just checked.
    PostMessageW(window_, WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(GetDlgItem(window_, ctl::kSubmit)), TRUE);
    return TRUE;
}

// The template's initialisation records, applied before the dialog's own set-up. The record
// message 0x0403 adds a string to a combo box.
void CQN7_SETUPTOOLDlg::ApplyDialogInit() {
    for (const DialogInitRecord& record : ParseDialogInit(kMainDialogInitData)) {
        if (record.message != kComboAddString) continue;
        const std::string text(record.data.c_str());  // up to its NUL
        SendDlgItemMessageW(window_, record.controlId, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(Widen(text).c_str()));
    }
}

void CQN7_SETUPTOOLDlg::AddAboutItem() {
    HMENU menu = GetSystemMenu(window_, FALSE);
    const std::wstring text = Widen(LoadResourceString(kIdsAboutBox));
    if (!menu || text.empty()) return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kAboutCommandId, text.c_str());
}

// The editable lists' fields give their text the whole width. With their usual margins, up to
// three pixels a side, the template's narrow boxes cut off "115200" and "NONE".
void CQN7_SETUPTOOLDlg::GiveListTextsTheirFields() {
    for (const ControlTemplate& c : kMainDialogTemplate.controls) {
        if (c.kind != ControlKind::kComboBox || !c.Has(kEditable)) continue;
        COMBOBOXINFO list{};
        list.cbSize = sizeof list;
        if (GetComboBoxInfo(GetDlgItem(window_, c.id), &list) && list.hwndItem) {
            SendMessageW(list.hwndItem, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
        }
    }
}

void CQN7_SETUPTOOLDlg::CreateExchangeControls() {
    const auto font = SendMessageW(window_, WM_GETFONT, 0, 0);
    const auto add = [&](const wchar_t* windowClass, const std::wstring& text, DWORD style,
                         DialogRect rect, int id) {
        RECT r{rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
        MapDialogRect(window_, &r);
        HWND control = CreateWindowExW(0, windowClass, text.c_str(), WS_CHILD | style, r.left,
                                       r.top, r.right - r.left, r.bottom - r.top, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
        return control;
    };
    HWND progress = add(PROGRESS_CLASSW, L"", 0, kProgressRect, kProgressId);
    SendMessageW(progress, PBM_SETRANGE32, 0, kProgressSteps);
    add(L"Button", Widen(kStopLabel), WS_TABSTOP | BS_PUSHBUTTON, kStopRect, kStopId);
    add(L"Static", L"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, kStatusRect,
        kStatusId);
}

void CQN7_SETUPTOOLDlg::OnSysCommand(WPARAM /*command*/, LPARAM /*lParam*/) {
    CAboutDlg about;
    about.DoModal(window_);
}

bool CQN7_SETUPTOOLDlg::OnPaint() {
    if (!IsIconic(window_)) return false;  // the default painting
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(window_, &rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(window_, &paint);
    return true;
}

void CQN7_SETUPTOOLDlg::OnCommand(int id, int code) {
    switch (id) {
        case IDOK: {
            HWND focus = GetFocus();
            // Enter confirms a port typed into the port list.
            if (IsIn(GetDlgItem(window_, ctl::kComPortList), focus)) {
                shell_.UsePort(WindowText(GetDlgItem(window_, ctl::kComPortList)));
            }
            if (!KeepsEnter(window_, focus)) EndDialogWith(IDOK);
            return;
        }
        case IDCANCEL:
            EndDialogWith(IDCANCEL);
            return;
        case kStopId:
            if (code == BN_CLICKED) shell_.OnStop();
            return;
        default:
            shell_.Dispatch(id, static_cast<Notify>(code));
    }
}

void CQN7_SETUPTOOLDlg::EndDialogWith(int result) {
    // Closing during an exchange ends it and releases the port before the window goes.
    shell_.Shutdown();
    if (modal_) {
        EndDialog(window_, result);
    } else {
        DestroyWindow(window_);
    }
}

bool CQN7_SETUPTOOLDlg::AskYesNo(std::string_view caption, std::string_view text) {
    // No owner window, but the dialog waits for the answer.
    return MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

void CQN7_SETUPTOOLDlg::ShowErrorBox(std::string_view text) {
    MessageBoxW(nullptr, Widen(text).c_str(), Widen(kErrorBoxCaption).c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void CQN7_SETUPTOOLDlg::EnableControl(int id, bool enabled) {
    EnableWindow(GetDlgItem(window_, id), enabled);
}

void CQN7_SETUPTOOLDlg::StartProgress(uint32_t totalMs) {
    progressStart_ = GetTickCount64();
    progressTotalMs_ = totalMs;
    HWND progress = GetDlgItem(window_, kProgressId);
    SendMessageW(progress, PBM_SETPOS, 0, 0);
    ShowWindow(progress, SW_SHOWNA);
    SetTimer(window_, kProgressTimer, kProgressIntervalMs, nullptr);
}

void CQN7_SETUPTOOLDlg::OnTimer() {
    const auto elapsed = static_cast<int64_t>(GetTickCount64() - progressStart_);
    SendDlgItemMessageW(
        window_, kProgressId, PBM_SETPOS,
        static_cast<WPARAM>(ProgressPosition(elapsed, progressTotalMs_, kProgressSteps)), 0);
}

// Ports come and go: each port's own notice goes to every top-level window, a USB adapter's
// interface to the windows registered for it.
void CQN7_SETUPTOOLDlg::OnDeviceChange(WPARAM event, LPARAM data) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (!header || (header->dbch_devicetype != DBT_DEVTYP_PORT &&
                    header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE)) {
        return;
    }
    SetTimer(window_, kPortSettleTimer, kPortSettleMs, nullptr);
}

// The list follows, the port in use stays selected, and the log pane says what came and went.
void CQN7_SETUPTOOLDlg::OnPortsSettled() {
    KillTimer(window_, kPortSettleTimer);
    const PortChanges changes = m_ComPortList.Refresh();
    if (!changes.Empty()) shell_.GetSession().AppendLog(PortChangesLogText(changes));
}

void CQN7_SETUPTOOLDlg::StopProgress() {
    KillTimer(window_, kProgressTimer);
    ShowWindow(GetDlgItem(window_, kProgressId), SW_HIDE);
}

void CQN7_SETUPTOOLDlg::ShowStopButton(bool shown) {
    HWND stop = GetDlgItem(window_, kStopId);
    // A disabled button takes no keys: the focus waits on Stop.
    const bool focusDisabled = GetFocus() && !IsWindowEnabled(GetFocus());
    ShowWindow(stop, shown ? SW_SHOWNA : SW_HIDE);
    if (shown && focusDisabled) {
        SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(stop), TRUE);
    }
}

void CQN7_SETUPTOOLDlg::FocusControl(int id) {
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window_, id)), TRUE);
}

void CQN7_SETUPTOOLDlg::ShowStatus(std::string_view text) {
    SetDlgItemTextW(window_, kStatusId, Widen(text).c_str());
}
