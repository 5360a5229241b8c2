// The About box, template 100, built in memory like the main dialog.
#pragma once

#include <windows.h>

class CAboutDlg {
  public:
    // Runs the box modally over `owner`; returns once it is closed.
    INT_PTR DoModal(HWND owner);
};
