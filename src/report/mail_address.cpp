#include "report/mail_address.hpp"

#include <cstdio>

namespace annalex::report {
namespace {

constexpr std::size_t kLocalPartLimit = 64;
constexpr std::size_t kLabelLimit = 63;
constexpr std::size_t kMailboxLimit = 254;

bool isLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool isAtomCharacter(char c) {
    return isLetterOrDigit(c) ||
           std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
}

// Dot-string: atoms of one or more atom characters joined by single dots.
bool isDotString(std::string_view text) {
    bool atomStarted = false;
    for (const char c : text) {
        if (c == '.') {
            if (!atomStarted) {
                return false;
            }
            atomStarted = false;
        } else if (isAtomCharacter(c)) {
            atomStarted = true;
        } else {
            return false;
        }
    }
    return atomStarted;
}

// Quoted-string: printable characters between double quotes, a quote or backslash only after a
// backslash.
bool isQuotedString(std::string_view text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
        return false;
    }
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 32 || c > 126) {
            return false;
        }
        if (c == '\\') {
            ++i;
            if (i + 1 >= text.size() || static_cast<unsigned char>(text[i]) < 32 ||
                static_cast<unsigned char>(text[i]) > 126) {
                return false;
            }
        } else if (c == '"') {
            return false;
        }
    }
    return true;
}

// A domain's label: letters and digits, hyphens inside.
bool isLabel(std::string_view label) {
    if (label.empty() || label.size() > kLabelLimit || !isLetterOrDigit(label.front()) ||
        !isLetterOrDigit(label.back())) {
        return false;
    }
    for (const char c : label) {
        if (!isLetterOrDigit(c) && c != '-') {
            return false;
        }
    }
    return true;
}

bool isDomain(std::string_view text) {
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
        // An address literal: printable characters other than brackets and backslash.
        for (std::size_t i = 1; i + 1 < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c < 33 || c > 126 || c == '[' || c == ']' || c == '\\') {
                return false;
            }
        }
        return text.size() > 2;
    }
    for (std::size_t start = 0;;) {
        const std::size_t dot = text.find('.', start);
        if (!isLabel(text.substr(start, dot == std::string_view::npos ? dot : dot - start))) {
            return false;
        }
        if (dot == std::string_view::npos) {
            return true;
        }
        start = dot + 1;
    }
}

}  // namespace

bool isMailbox(std::string_view text) {
    const std::size_t at = text.rfind('@');
    if (text.size() > kMailboxLimit || at == std::string_view::npos) {
        return false;
    }
    const std::string_view local = text.substr(0, at);
    return local.size() <= kLocalPartLimit && (isDotString(local) || isQuotedString(local)) &&
           isDomain(text.substr(at + 1));
}

std::string printableText(std::string_view text) {
    std::string result;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte > 126) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            result += escaped;
        } else {
            result += c;
        }
    }
    return result;
}

}  // namespace annalex::report
