// The Bridge window's screenshot for the documentation, taken in demo mode as a user gets there:
// Search, Submit (which ends in transparent mode), Bridge, Connect, a line typed on each side,
// then Check; the window is grabbed once the check's result is in.
// Usage: qn7-bridge-shot FILE.png
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <vector>

#include "bridge_window.h"
#include "control_ids.h"
#include "demo_module.h"
#include "qn7_setuptool_dlg.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.png\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    std::string error;
    std::unique_ptr<DemoModule> module = StartDemoModule(error);
    if (!module) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    CQN7_SETUPTOOLDlg dialog;
    dialog.UsePort(QString::fromStdString(module->Port()), QStringLiteral("simulated module"));
    dialog.SetModuleAddress(module->NetAddress());
    dialog.show();

    const auto click = [&](int id) { qobject_cast<QPushButton*>(dialog.Control(id))->click(); };
    const auto idle = [&] { return !dialog.Runner().Busy(); };
    const auto say = [](QLineEdit* line, const char* text, QPushButton* send) {
        line->setText(QString::fromUtf8(text));
        send->click();
    };
    // Each step runs once the one before is done.
    std::vector<std::function<bool()>> steps = {
        [&] { return click(ctl::kSearch), true; },
        idle,
        [&] { return click(ctl::kSubmit), true; },
        idle,
        [&] { return dialog.OpenBridge(), dialog.Bridge() != nullptr; },
        [&] { return dialog.Bridge()->ConnectButton()->click(), true; },
        [&] {
            return dialog.Bridge()
                ->Side(BridgeSide::kNetwork)
                .status->text()
                .startsWith("connected");
        },
        [&] {
            const auto& serial = dialog.Bridge()->Side(BridgeSide::kSerial);
            say(serial.sendLine, "temperature=21.5 humidity=40", serial.send);
            return true;
        },
        [&] {
            const auto& network = dialog.Bridge()->Side(BridgeSide::kNetwork);
            say(network.sendLine, "set interval=10", network.send);
            return true;
        },
        [&] { return dialog.Bridge()->CheckButton()->click(), true; },
        [&] { return dialog.Bridge()->CheckButton()->isEnabled(); },
    };
    std::size_t next = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (next < steps.size()) {
            if (steps[next]()) ++next;
            return;
        }
        driver.stop();
        // The rows of the lines typed after the check, then the grab.
        const auto& serial = dialog.Bridge()->Side(BridgeSide::kSerial);
        say(serial.sendLine, "temperature=21.6 humidity=41", serial.send);
        QTimer::singleShot(800, [&] {
            const bool saved = dialog.Bridge()->grab().save(QString::fromLocal8Bit(argv[1]));
            app.exit(saved ? 0 : 1);
        });
    });
    driver.start(300);
    return app.exec();
}
