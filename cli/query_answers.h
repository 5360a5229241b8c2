// The answers of a cleaned query reply, as key/value pairs and as JSON.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

using Answers = std::vector<std::pair<std::string, std::string>>;

// Every "at+KEY=VALUE" line ended by CR, in reply order; the first answer of a key wins (as the
// applier reads it) and an echo the module left unanswered ("=?") is not an answer.
Answers AnsweredKeys(std::string_view cleanedReply);

// A JSON object, one member per answer. Invalid UTF-8 bytes are escaped as \u00XX, so the
// output is always valid JSON.
std::string AnswersToJson(const Answers& answers);
