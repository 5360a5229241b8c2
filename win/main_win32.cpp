// qn7-setup.exe: the dialog on the Windows dialog manager.
#include <windows.h>

#include "qn7_setuptool_app_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CQN7_SETUPTOOLApp app;
    app.InitInstance();
    return 0;
}
