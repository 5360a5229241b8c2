// The answers of a cleaned query reply, as key/value pairs.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using Answers = std::vector<std::pair<std::string, std::string>>;

// The value `answers` holds for `key`, or nullptr.
const std::string* FindAnswer(const Answers& answers, std::string_view key);
std::string* FindAnswer(Answers& answers, std::string_view key);

// The key of every "at+KEY=" line ended by CR whose key was `asked`, once each in reply order,
// with the value the applier reads for it (GetAtValue: up to the CR after the key's first
// "+KEY="). A key whose value is "?", an echo the module left unanswered, is left out, and so
// is any key nobody asked for, whatever the answer holds.
Answers AnsweredKeys(std::string_view cleanedReply, std::span<const std::string_view> asked);

// The keys of `wanted` that `answers` lacks, in the order of `wanted`.
std::vector<std::string_view> MissingKeys(const Answers& answers,
                                          std::span<const std::string_view> wanted);
