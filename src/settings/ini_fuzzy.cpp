#include "settings/ini_fuzzy.hpp"

#include <fstream>

#include "common/failure.hpp"
#include "settings/hive.hpp"
#include "settings/value.hpp"

namespace annalex::settings {

namespace {

std::string trimSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The header's own name, between "[" and the first "]"; a header without "]" is a failure.
std::string headerName(const std::string& header) {
    const auto close = header.find(']');
    if (close == std::string::npos) {
        raise(ErrorNumber::InvalidProcedureCall, "Section header without \"]\"", "registry");
    }
    return header.substr(1, close - 1);
}

}  // namespace

std::int32_t scanIniFuzzy(std::istream& text, std::string& sSection, std::string sIniEntry,
                          std::string& sValue) {
    try {
        const std::string wanted = sSection;
        const std::string entry = foldName(sIniEntry);
        bool inSection = false;
        std::string raw;
        while (std::getline(text, raw)) {
            if (!raw.empty() && raw.back() == '\r') {
                raw.pop_back();
            }
            const std::string line = foldName(trimSpaces(raw));
            if (!line.empty() && line.front() == '[') {
                const auto at = line.find(wanted);
                const auto after = at == std::string::npos ? at : at + wanted.size();
                inSection = after < line.size() && (line[after] == ']' || line[after] == ' ');
                if (inSection) {
                    sSection = headerName(line);
                }
                continue;
            }
            if (!inSection || !line.starts_with(entry)) {
                continue;
            }
            if (const auto equals = line.find('='); equals != std::string::npos) {
                sValue = line.substr(equals + 1);
                return status::kSuccess;
            }
        }
        return status::kStart;
    } catch (...) {
        return status::kStart;
    }
}

std::int32_t fReadIniFuzzy(std::string sIniFile, std::string& sSection, std::string sIniEntry,
                           std::string sDefault, std::string& sValue) {
    try {
        sValue = std::move(sDefault);
        sSection = foldName(sSection);
        std::ifstream file(sIniFile);
        if (!file) {
            return status::kStart;
        }
        return scanIniFuzzy(file, sSection, std::move(sIniEntry), sValue);
    } catch (...) {
        return status::kStart;
    }
}

}  // namespace annalex::settings
