// UTF-8, the core's text, to and from the UTF-16 of the wide-character Windows calls.
#pragma once

#include <string>
#include <string_view>

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
