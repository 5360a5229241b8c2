#include "about_dlg_win32.h"

#include "dialog_template_win32.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(window, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR CAboutDlg::DoModal(HWND owner) {
    // Its icon control names icon 128 of the program's resources.
    const std::vector<DWORD> block = BuildDialogTemplate(kAboutDialogTemplate, 0, 0);
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                   reinterpret_cast<LPCDLGTEMPLATEW>(block.data()), owner,
                                   AboutProc, 0);
}
