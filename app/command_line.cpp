#include "command_line.h"

#include <QCoreApplication>
#include <string_view>

void NameTheProgram() {
    QCoreApplication::setApplicationName(QStringLiteral("qn7-setup"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QN7_VERSION));
}

void AddSetupOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Configures a QN7 serial-to-WiFi module over its serial port."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {QString::fromLatin1(kDemoOption), QStringLiteral("Work against a simulated module.")});
    parser.addOption({QString::fromLatin1(kSlotDirOption),
                      QStringLiteral("Folder of the user slot files user0 … user3 "
                                     "(default: the current folder)."),
                      QStringLiteral("DIR")});
    parser.addOption({QString::fromLatin1(kFastOption),
                      QStringLiteral("End each reply window as soon as the module's reply is "
                                     "complete, instead of always waiting the fixed time.")});
}

std::optional<int> AnswerHelpOrVersion(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    AddSetupOptions(parser);
    // Qt's own options (-platform …) are unknown here; the GUI application takes those.
    if (!parser.parse(arguments)) return std::nullopt;
    if (!parser.isSet(QStringLiteral("help")) && !parser.isSet(QStringLiteral("version"))) {
        return std::nullopt;
    }
    // A core application needs no display; process() prints and ends the program.
    QCoreApplication core(argc, argv);
    NameTheProgram();
    parser.process(core);
    return 0;
}

std::optional<std::string> RawOptionValue(int argc, char** argv, const char* name) {
    const std::string option = std::string("--") + name;
    std::optional<std::string> value;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") break;
        if (arg == option && i + 1 < argc) {
            value = argv[++i];
        } else if (arg.starts_with(option + "=")) {
            value = std::string(arg.substr(option.size() + 1));
        }
    }
    return value;
}
