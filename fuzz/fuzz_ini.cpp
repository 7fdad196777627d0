// Fuzzes the INI readers: the profile rules (lookup, section listing, rewrite) and the tolerant
// lookup over any text. The input's first line names the section, the second the entry, the
// rest is the file. A value written with the profile rules must read back as written.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "settings/ini_fuzzy.hpp"
#include "settings/ini_text.hpp"

namespace {

std::string takeLine(std::string_view& rest) {
    const auto end = rest.find('\n');
    std::string line(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace annalex::settings;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string section = takeLine(rest);
    const std::string entry = takeLine(rest);
    const std::string text(rest);

    (void)ini::findValue(text, section, entry);
    (void)ini::sectionLines(text, section);
    const auto rewritten = ini::withValue(text, "Fuzz Section", "FuzzKey", "fuzz value");
    if (ini::findValue(rewritten, "fuzz section", "fuzzkey") != "fuzz value") {
        std::abort();
    }

    std::istringstream stream(text);
    std::string value = "default";
    for (char& c : section) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const auto status = scanIniFuzzy(stream, section, entry, value);
    if (status != 0 && status != 99) {
        std::abort();
    }
    return 0;
}
