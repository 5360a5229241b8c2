// The program: the platform services the dialog needs, then the main dialog, run modally.
#pragma once

#include <windows.h>

#include <string>

class CQN7_SETUPTOOLApp {
  public:
    // Starts Windows Sockets 1.1; false when it cannot (the version differs, say).
    using SocketStartup = bool (*)();

    explicit CQN7_SETUPTOOLApp(SocketStartup startSockets = StartSockets)
        : startSockets_(startSockets) {}

    // Runs the whole program and returns false: nothing follows the dialog.
    bool InitInstance();

    static bool StartSockets();

  private:
    SocketStartup startSockets_;
};

// The caption of the program's own message boxes: its file name without the extension.
std::wstring ProgramName();
