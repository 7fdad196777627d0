#pragma once
// Which file a settings call works on, for messages that must name it.

#include <string>
#include <string_view>

namespace annalex::settings {

// True when the first argument of a settings function names an INI file rather than a root key
// (it is not one of the root-key abbreviations and an existing normal file has that path).
bool namesIniFile(std::string_view topKeyOrFile);

// The file that a settings function given this first argument reads and writes: the INI file's
// path as given, or the hive file of the root key; empty when the argument names neither.
std::string settingsFileOf(std::string_view topKeyOrFile);

}  // namespace annalex::settings
