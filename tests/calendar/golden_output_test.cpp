// The generated output, pinned: every accepted level mask, both calendars, every day and month
// format, over ranges with leap years, century years and year 9999. Each case runs OK on a
// fresh control and reduces everything a person or a host could see (the dimension as the
// command line prints it, the messages, the failure reports, the events and the control's
// shared state) to one 64-bit digest, compared with golden_digests.txt.
//
// The digests were taken from the generators before the calendars moved behind their common
// interface. To print the digests of the code as it stands (for a deliberate change of the
// output), run this test with ANNALEX_PRINT_GOLDEN=1 and keep the tab-separated lines of its
// standard output (one per case, in any order).

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "calendar_test_support.hpp"
#include "cube/dimension_export.hpp"

namespace annalex::testing {
namespace {

// 64-bit FNV-1a.
class Digest {
  public:
    void add(std::string_view text) {
        for (const unsigned char c : text) {
            value_ = (value_ ^ c) * 0x100000001b3ULL;
        }
        value_ = (value_ ^ 0xffU) * 0x100000001b3ULL;  // ends each field
    }
    void add(std::int64_t number) { add(std::to_string(number)); }
    std::string hex() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value_));
        return text;
    }

  private:
    std::uint64_t value_ = 0xcbf29ce484222325ULL;
};

void addList(Digest& digest, const std::vector<std::string>& list) {
    digest.add(static_cast<std::int64_t>(list.size()));
    for (const std::string& entry : list) {
        digest.add(entry);
    }
}

// Everything the run left that anyone could see.
std::string digestOf(const ControlHarness& harness) {
    Digest digest;
    std::ostringstream dimension;
    cube::writeDimension(*harness.dimension, cube::ExportFormat::JsonLines, dimension);
    digest.add(dimension.str());
    for (const auto& shown : harness.messages.shown) {
        digest.add(shown.title);
        digest.add(shown.text);
    }
    for (const auto& report : harness.reporter.reports()) {
        digest.add(report.errModName);
        digest.add(report.errProcName);
        digest.add(report.VmErrDescription);
        digest.add(report.VmErrNumber);
        digest.add(report.VmErrSource);
    }
    for (const bool result : harness.results) {
        digest.add(result ? "true" : "false");
    }
    const calendar::CalendarState& state = harness.ctrl.state();
    addList(digest, state.yearList);
    addList(digest, state.quarterList);
    addList(digest, state.monthList);
    digest.add(state.yearCount);
    digest.add(state.yearSuffix);
    digest.add(state.dayParentName);
    digest.add(state.currentYear);
    digest.add(state.levelMask);
    for (const std::int16_t days : state.monthDayTable) {
        digest.add(days);
    }
    for (const calendar::DateParts& date : {state.startDate, state.endDate}) {
        digest.add(date.day);
        digest.add(date.month);
        digest.add(date.year);
    }
    digest.add(harness.ctrl.page().lblDateFormat.caption());
    return digest.hex();
}

// A range as typed into the six date boxes: start day, month, year, end day, month, year.
struct Range {
    const char* label;
    bool fiscal;
    std::array<const char*, 6> boxes;
};

// Leap years (2000, 2004), century years (1900 not leap, 2000 leap), the last years dates are
// written with four digits (9998, 9999), fiscal years that start mid-month, on 29 February, on
// a day 0 and in December (whose year 9999 reaches into 10000), and single-year ranges.
const std::vector<Range>& ranges() {
    static const std::vector<Range> kRanges = {
        {"G 1999-2001", false, {"01", "01", "1999", "31", "12", "2001"}},
        {"G 1899-1901", false, {"01", "01", "1899", "31", "12", "1901"}},
        {"G 9998-9999", false, {"01", "01", "9998", "31", "12", "9999"}},
        {"G 2004 from March", false, {"01", "03", "2004", "31", "12", "2004"}},
        {"F 1999-2001 April", true, {"01", "04", "1999", "31", "03", "2001"}},
        {"F 1899-1901 15 October", true, {"15", "10", "1899", "31", "12", "1901"}},
        {"F 2000-2001 29 February", true, {"29", "02", "2000", "31", "12", "2001"}},
        {"F 9998-9999 December", true, {"01", "12", "9998", "30", "11", "9999"}},
        {"F 2004 day 0 of July", true, {"00", "07", "2004", "31", "12", "2004"}},
    };
    return kRanges;
}

bool accepted(int mask) {
    return mask != 16 && mask != 18 && mask != 19;
}

Choice choiceFor(const Range& range, int mask, std::int16_t dayFormat, std::int16_t monthFormat) {
    const auto& b = range.boxes;
    return {mask, b[0], b[1], b[2], b[3], b[4], b[5], range.fiscal, dayFormat, monthFormat};
}

// Case name -> digest, for every case of one range, run now.
std::map<std::string, std::string> runRange(const Range& range) {
    std::map<std::string, std::string> digests;
    for (int mask = 1; mask < 32; ++mask) {
        if (!accepted(mask)) {
            continue;
        }
        // The day format only matters when days are made.
        const std::int16_t lastDayFormat = (mask & 16) != 0 ? 2 : 0;
        for (std::int16_t dayFormat = 0; dayFormat <= lastDayFormat; ++dayFormat) {
            for (std::int16_t monthFormat = 0; monthFormat <= 2; ++monthFormat) {
                ControlHarness harness;
                generate(harness, choiceFor(range, mask, dayFormat, monthFormat));
                std::ostringstream name;
                name << range.label << " m" << mask << " d" << dayFormat << " M" << monthFormat;
                digests[name.str()] = digestOf(harness);
            }
        }
    }
    // A second OK on the same control: the levels below Year read the year count and
    // suffix that the first run left.
    for (int mask = 2; mask < 32; mask += 2) {
        if (!accepted(mask)) {
            continue;
        }
        ControlHarness harness;
        generate(harness, choiceFor(range, 31, 1, 1));
        generate(harness, choiceFor(range, mask, 1, 1));
        digests[std::string(range.label) + " again m" + std::to_string(mask)] = digestOf(harness);
    }
    return digests;
}

std::map<std::string, std::string> readGolden() {
    std::map<std::string, std::string> golden;
    std::ifstream in(ANNALEX_CALENDAR_GOLDEN);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t tab = line.rfind('\t');
        if (tab != std::string::npos) {
            golden[line.substr(0, tab)] = line.substr(tab + 1);
        }
    }
    return golden;
}

class GoldenOutput : public ::testing::TestWithParam<std::size_t> {};

TEST_P(GoldenOutput, EveryMaskAndFormatGeneratesWhatItDidBefore) {
    const Range& range = ranges()[GetParam()];
    const std::map<std::string, std::string> now = runRange(range);
    if (std::getenv("ANNALEX_PRINT_GOLDEN") != nullptr) {
        for (const auto& [name, digest] : now) {
            std::printf("%s\t%s\n", name.c_str(), digest.c_str());
        }
        GTEST_SKIP() << "digests printed, not compared";
    }
    static const std::map<std::string, std::string> golden = readGolden();
    ASSERT_FALSE(golden.empty()) << "no digests in " << ANNALEX_CALENDAR_GOLDEN;
    std::size_t expected = 0;
    for (const auto& entry : golden) {
        expected += entry.first.starts_with(std::string(range.label) + " ") ? 1 : 0;
    }
    EXPECT_EQ(now.size(), expected) << "cases of " << range.label;
    int differing = 0;
    for (const auto& [name, digest] : now) {
        const auto found = golden.find(name);
        if (found == golden.end() || found->second != digest) {
            ADD_FAILURE() << "output changed: " << name;
            if (++differing == 20) {
                break;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryRange, GoldenOutput,
                         ::testing::Range<std::size_t>(0, ranges().size()));

}  // namespace
}  // namespace annalex::testing
