// Key by key: what a module answered against what a script sets, for `diff` and `--verify`.
#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "query_answers.h"

// Each key the script's "at+KEY=VALUE" lines set, in the order of its first line, with the
// value of its last line: the module takes the lines one after another. Lines end at CR or LF.
Answers ScriptSettings(std::string_view script);

// The script without its transparent-mode lines ("at+reconn=1"), and whether it had any: once
// the module is in transparent mode it answers no query.
struct HeldBack {
    std::string script;
    bool transparentLine = false;
};
HeldBack HoldBackTransparentLine(std::string_view script);

struct Difference {
    std::string key;
    std::optional<std::string> module;  // none: the module did not answer the key
    std::string wanted;
};

// The keys of `wanted` that the query asks for (`asked`) and whose answer differs or is missing.
// Keys the query cannot read back (net_commit, reconn ...) are not compared.
std::vector<Difference> Differences(const Answers& module, const Answers& wanted,
                                    std::span<const std::string_view> asked);

// The keys of `wanted` that a comparison after a query that asked `asked` leaves out: those no
// query reads back (net_commit, reconn, keys the module does not know), and the module's
// settings this query does not ask for (CLport and the keys after it below 9600 baud).
struct Unchecked {
    std::vector<std::string> notVerifiable;
    std::vector<std::string> notAsked;
};
Unchecked UncheckedKeys(const Answers& wanted, std::span<const std::string_view> asked);

// "key: module → wanted", one line each; a key without an answer shows "(no answer)".
void PrintDifferences(const std::vector<Difference>& differences, std::ostream& out);
