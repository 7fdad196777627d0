#pragma once
// The profile rules applied to the text of an INI file.
//
//  * A line whose first non-blank character is "[" is a section header; the name is the text up
//    to the next "]" (the rest of the line when there is none), blanks trimmed.
//  * A line whose first non-blank character is ";" is a comment.
//  * Any other line with "=" in a section is an entry: key before the first "=", value after
//    it, both trimmed of blanks and tabs; a value enclosed in matching single or double quotes
//    is read without them.
//  * Section and key names compare without regard to case (ASCII). A lookup uses the first
//    section of the name and the first entry of the key in it.
//  * Lines end with "\n" or "\r\n"; a rewrite keeps every line it does not change as it was,
//    comments and blank lines included, and writes new lines in the file's own style.
//  * A UTF-8 byte-order mark at the start of the text is not part of the first line (and is
//    kept by a rewrite).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace annalex::settings::ini {

// The value of key in section, or nullopt when there is no such entry.
std::optional<std::string> findValue(std::string_view text, std::string_view section,
                                     std::string_view key);

// The lines of the first section of that name, trimmed, entries as "key=value" with key and
// value trimmed; blank and comment lines left out.
std::vector<std::string> sectionLines(std::string_view text, std::string_view section);

// Why section, key and value could not be read back once written, or nullopt when they can:
// a line break anywhere, a section name holding "]", a key holding "=" or starting with ";" or
// "[", an empty name, or names with blanks at either end (reads trim them).
std::optional<std::string> unwritableText(std::string_view section, std::string_view key,
                                          std::string_view value);

// value as written into an entry so that it reads back unchanged: enclosed in double quotes
// when it has blanks at either end or is itself enclosed in matching quotes, as is otherwise.
std::string entryText(std::string_view value);

// The text with key in section set to value: the entry's line replaced when present, else a new
// line after the section's last non-blank line, else a new section at the end of the text.
std::string withValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value);

}  // namespace annalex::settings::ini
