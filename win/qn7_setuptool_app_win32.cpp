#include "qn7_setuptool_app_win32.h"

#include <winsock.h>

#include <string>

#include "dialog_template_win32.h"
#include "qn7_setuptool_dlg_win32.h"
#include "resource_strings.h"
#include "text_win32.h"

bool CQN7_SETUPTOOLApp::StartSockets() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
    if (data.wVersion == MAKEWORD(1, 1)) return true;
    WSACleanup();
    return false;
}

std::wstring ProgramName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    name.erase(0, name.find_last_of(L"\\/") + 1);
    if (const auto dot = name.rfind(L'.'); dot != std::wstring::npos) name.erase(dot);
    return name;
}

bool CQN7_SETUPTOOLApp::InitInstance() {
    InitControlClasses();
    if (!startSockets_()) {
        MessageBoxW(nullptr, Widen(LoadResourceString(kIdpSocketsInitFailed)).c_str(),
                    ProgramName().c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    LoadRichEditLibraries();
    {
        CQN7_SETUPTOOLDlg dialog;
        dialog.DoModal();
    }
    WSACleanup();
    return false;
}
