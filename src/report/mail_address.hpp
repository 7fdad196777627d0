#pragma once
// Mail addresses as SMTP takes them, checked before any of them reaches a command or a header:
// an address with a line break in it could add commands or headers of its own.

#include <string>
#include <string_view>

namespace annalex::report {

// Whether text is one mailbox as SMTP takes it ("Mailbox" of RFC 5321): a local part of
// dot-separated atoms or one quoted string, "@", and a domain of dot-separated labels (letters,
// digits, inner hyphens) or an address literal in brackets; printable ASCII only, within the
// lengths SMTP allows (64 for the local part, 254 in all).
bool isMailbox(std::string_view text);

// The text for a message: every control character and every byte outside ASCII written as \xNN.
std::string printableText(std::string_view text);

}  // namespace annalex::report
