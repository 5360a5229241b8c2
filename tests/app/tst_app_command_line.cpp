// The dialog from its own entry (the application object's InitInstance) with a command line as
// the shell passes it, driven by the user's clicks once the dialog is up.
#include <QApplication>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "control_ids.h"
#include "pane.h"
#include "qn7_setuptool_app.h"
#include "qn7_setuptool_dlg.h"
#include "temp_dir.h"

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

class AppCommandLineTest : public QObject {
    Q_OBJECT
  private slots:
    void slotDirThatIsNotUtf8KeepsItsBytes();
};

// A folder named in Latin-1 (the bytes E9, FF are not UTF-8): the slots load from it and save
// into it, not into a folder of replacement characters.
void AppCommandLineTest::slotDirThatIsNotUtf8KeepsItsBytes() {
    TempDir base;
    const std::filesystem::path folder = base.Path() / "r\xe9glages-\xff";
    QVERIFY(std::filesystem::create_directory(folder));
    const std::string stored = "at+netmode=3\r\n";
    std::ofstream(folder / "user1", std::ios::binary) << stored;

    std::vector<std::string> args = {"qn7-setup", "--slot-dir", folder.string()};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(args.size());
    CQN7_SETUPTOOLApp app(argc, argv.data());

    std::string loaded;
    std::string shown;
    QTimer::singleShot(0, &app, [&] {
        auto* dialog = qobject_cast<CQN7_SETUPTOOLDlg*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return QApplication::exit(1);
        QTest::mouseClick(dialog->Control(ctl::kUser0 + 1), Qt::LeftButton);
        loaded = dialog->GetSession().CmdPane()->Text();
        QTest::mouseDClick(dialog->Control(ctl::kUser0), Qt::LeftButton);
        shown = dialog->GetSession().CmdPane()->Text();
        dialog->done(0);
    });
    QCOMPARE(app.InitInstance(), 0);

    QCOMPARE(loaded, stored);
    QCOMPARE(ReadFile(folder / "user0"), shown);
    QCOMPARE(shown, stored);
}

QTEST_APPLESS_MAIN(AppCommandLineTest)
#include "tst_app_command_line.moc"
