// The dialog's command line, defined once for the early answer to --help and --version (which
// needs no display, so it comes before the GUI application exists) and for the start-up.
#pragma once

#include <QCommandLineParser>
#include <optional>
#include <string>

inline constexpr const char* kDemoOption = "demo";
inline constexpr const char* kSlotDirOption = "slot-dir";
inline constexpr const char* kFastOption = "fast";

// The name and version --help and --version print, set on the running application.
void NameTheProgram();
// The parser with every option of qn7-setup.
void AddSetupOptions(QCommandLineParser& parser);

// Prints the usage or the version and gives the exit status when the command line asks for
// one of them; nullopt otherwise (also when it holds options only the GUI application knows).
std::optional<int> AnswerHelpOrVersion(int argc, char** argv);

// The value of the option `name` (the last one given, as the parser takes it) as the bytes the
// command line holds, in the local 8-bit encoding: a folder name that is not UTF-8 would come
// out of the parser with replacement characters and name another folder. nullopt when absent.
std::optional<std::string> RawOptionValue(int argc, char** argv, const char* name);
