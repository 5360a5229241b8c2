#include "qn7_setuptool_app.h"

#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "app_icon.h"
#include "pane.h"
#include "qn7_setuptool_dlg.h"
#include "sim_module.h"
#include "user_slots.h"
#include "window_probe.h"

namespace {

// The demo module answers at a rate other than the initial link rate, so the search has
// something to find; it leaves transparent mode by itself so the demo can go on.
constexpr uint32_t kDemoBaud = 57600;
constexpr uint32_t kDemoTransparentReturnMs = 3000;

}  // namespace

CQN7_SETUPTOOLApp::CQN7_SETUPTOOLApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("qn7-setup"));
    setApplicationVersion(QStringLiteral(QN7_VERSION));
    setWindowIcon(AppIcon());
}

CQN7_SETUPTOOLApp::~CQN7_SETUPTOOLApp() = default;

int CQN7_SETUPTOOLApp::InitInstance() {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configures a QN7 serial-to-WiFi module over its serial port."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Work against a simulated module."));
    const QCommandLineOption slotDir(QStringLiteral("slot-dir"),
                                     QStringLiteral("Folder of the user slot files user0 … user3 "
                                                    "(default: the current folder)."),
                                     QStringLiteral("DIR"));
    parser.addOption(demo);
    parser.addOption(slotDir);
    parser.process(*this);
    if (parser.isSet(slotDir)) SetSlotDirectory(parser.value(slotDir).toStdString());

    CQN7_SETUPTOOLDlg dialog;
    if (parser.isSet(demo)) {
        SimOptions options;
        options.baud = kDemoBaud;
        options.transparentReturnMs = kDemoTransparentReturnMs;
        demoModule_ = std::make_unique<SimModule>(options);
        if (const int error = demoModule_->Start(); error != 0) {
            std::fprintf(stderr, "qn7-setup: cannot start the simulated module (errno %d)\n",
                         error);
            return 1;
        }
        const QString port = QString::fromStdString(demoModule_->SlavePath());
        dialog.UsePort(port);
        LogPrintf("Demo mode: simulated module on\r\n%s\r\nPress the search button first.\r\n",
                  port.toUtf8().constData());
    }
    WatchWindowForProbe(dialog);
    dialog.exec();
    return 0;
}
