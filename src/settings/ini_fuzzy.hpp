#pragma once
// fReadIniFuzzy: a tolerant INI lookup that reads the file itself, line by line.
//
// Each line is trimmed of spaces and upper-cased. A header ("[" first) matches when the wanted
// section occurs in it followed at once by "]" or a space ([MY SECTION] and [SECTION 2001]
// match SECTION, [SECTIONS] does not). In a matching section the first line that begins with
// the upper-cased entry name (a prefix test: PATHS=... matches PATH) and holds "=" gives the
// value: everything after the first "=", upper-cased, spaces after the "=" included.

#include <cstdint>
#include <istream>
#include <string>

namespace annalex::settings {

// sValue starts as sDefault; sSection is upper-cased, then receives the name (between "[" and
// the first "]") of each matching header met. Returns 0 when the entry was found, 99 when it was
// not, when the file cannot be opened, or when a matching header lacks its "]".
std::int32_t fReadIniFuzzy(std::string sIniFile, std::string& sSection, std::string sIniEntry,
                           std::string sDefault, std::string& sValue);

// The lookup over an open text: sSection must already be upper-cased, and sValue hold the
// default. fReadIniFuzzy opens the file and calls this.
std::int32_t scanIniFuzzy(std::istream& text, std::string& sSection, std::string sIniEntry,
                          std::string& sValue);

}  // namespace annalex::settings
