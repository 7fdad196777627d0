// Fuzzes the hive text parser: any input is parsed without a crash, and an accepted hive
// written back parses to the same tree and the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/hive.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace annalex::settings;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto hive = parseHive(text);
    if (!hive) {
        return 0;
    }
    const auto written = writeHive(*hive);
    const auto reparsed = parseHive(written);
    if (!reparsed || !(*reparsed == *hive) || writeHive(*reparsed) != written) {
        std::abort();
    }
    return 0;
}
