#include "qn7_setuptool_app.h"

#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "command_line.h"
#include "control_ids.h"
#include "demo_module.h"
#include "dialog_template.h"
#include "qn7_setuptool_dlg.h"
#include "window_probe.h"

std::string DemoModeLogText(const std::string& port) {
    // The first line names the button to press in its own words and in English.
    const ControlTemplate* search = FindControl(kMainDialogTemplate, ctl::kSearch);
    return std::string("Demo mode: press ") + search->label + " (" + search->gloss +
           ") first.\r\nSimulated module on\r\n" + port +
           "\r\nAfter transparent mode, Bridge shows both ends of its data path.\r\n";
}

CQN7_SETUPTOOLApp::CQN7_SETUPTOOLApp(int& argc, char** argv)
    : QApplication(argc, argv), argc_(argc), argv_(argv) {
    NameTheProgram();
    setWindowIcon(AppIcon());
}

CQN7_SETUPTOOLApp::~CQN7_SETUPTOOLApp() = default;

int CQN7_SETUPTOOLApp::InitInstance() {
    QCommandLineParser parser;
    AddSetupOptions(parser);
    parser.process(*this);
    const bool demo = parser.isSet(QString::fromLatin1(kDemoOption));
    CQN7_SETUPTOOLDlg dialog;
    dialog.Link().fast = parser.isSet(QString::fromLatin1(kFastOption));
    if (const std::optional<std::string> slotDir = RawOptionValue(argc_, argv_, kSlotDirOption)) {
        dialog.GetSession().SetSlotDirectory(*slotDir);
    }
    if (demo) {
        std::string error;
        demoModule_ = StartDemoModule(error);
        if (demoModule_ == nullptr) {
            std::fprintf(stderr, "qn7-setup: %s\n", error.c_str());
            return 1;
        }
        const QString port = QString::fromStdString(demoModule_->Port());
        dialog.UsePort(port, QStringLiteral("simulated module"));
        dialog.SetModuleAddress(demoModule_->NetAddress());
        dialog.GetSession().AppendLog(DemoModeLogText(port.toStdString()));
    }
    WatchWindowForProbe(dialog);
    dialog.exec();
    return 0;
}
