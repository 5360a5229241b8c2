// The application: reads the command line, starts the demo module when asked, and runs the
// main dialog until it closes.
#pragma once

#include <QApplication>
#include <QIcon>
#include <memory>
#include <string>

class DemoModule;

// The application icon (icon 128) in all its sizes.
QIcon AppIcon();

// What the log pane says first in demo mode, with the simulated module's port.
std::string DemoModeLogText(const std::string& port);

class CQN7_SETUPTOOLApp : public QApplication {
    Q_OBJECT
  public:
    CQN7_SETUPTOOLApp(int& argc, char** argv);
    ~CQN7_SETUPTOOLApp() override;

    // Runs the whole program; the exit code of the process.
    int InitInstance();

  private:
    // The command line as left by Qt, which takes out its own options.
    int& argc_;
    char** argv_;
    std::unique_ptr<DemoModule> demoModule_;
};
