#pragma once
// Text between the product's UTF-8 and what Windows calls take: wide text for the wide calls,
// the ANSI code page for the narrow ones (the settings store's registry calls, simple MAPI).
// A character the ANSI code page lacks becomes the code page's default character.

#include <string>
#include <string_view>

namespace annalex::report {

std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);
std::string utf8FromAnsi(std::string_view text);
std::string ansiFromUtf8(std::string_view text);

}  // namespace annalex::report
