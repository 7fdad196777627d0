// The day table against the hierarchy the same run saves in its store: every row is a path of
// that hierarchy with the path's numbers, days and attributes, and every day of the lowest
// level's members has exactly one row, in date order.

#include "calendar/day_table.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <regex>
#include <set>

#include "cube/cube_store.hpp"
#include "program_run.hpp"

namespace annalex::testing {
namespace {

// RFC 4180 records: quoted fields may hold commas, doubled quotes and line breaks.
std::vector<std::vector<std::string>> csvRecords(const std::string& text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            records.back().back() += text[++i];
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            records.back().emplace_back();
        } else if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.emplace_back(1);
            ++i;
        } else {
            records.back().back() += c;
        }
    }
    records.pop_back();  // after the last line end
    return records;
}

std::chrono::sys_days isoDay(const std::string& text) {
    return std::chrono::year(std::stoi(text)) / std::stoi(text.substr(5)) /
           std::stoi(text.substr(8));
}

struct StoredMember {
    std::string number;  // among its parent's children, from 1
    std::vector<std::pair<std::string, std::string>> attributes;
};

struct Calendar {
    std::string name;
    std::vector<std::string> options;
    // Whether members may hang below parents that do not hold all their days.
    bool strays = false;
};

class DayTableAgreement : public ::testing::TestWithParam<Calendar> {};

TEST_P(DayTableAgreement, EveryRowIsAPathOfTheSavedHierarchy) {
    TemporaryDirectory folder;
    const std::string db = (folder.path() / "cube.db").string();
    const std::vector<std::string> base =
        with({"generate", "--quiet", "--fill-attributes"}, GetParam().options);
    const ProgramRun table = runAnnalex(with(base, {"--db", db, "--output-format", "days"}));
    ASSERT_EQ(table.status, 0) << table.err;
    // Each member's days, from a run that prints them with the hierarchy.
    const ProgramRun dated = runAnnalex(with(base, {"--with-dates", "--output-format", "jsonl"}));
    ASSERT_EQ(dated.status, 0) << dated.err;
    std::map<std::string, std::pair<std::string, std::string>> days;
    const std::regex member(
        R"re("level":"(\w+)","name":"([^"]*)".*"first":"([-\d]+)","last":"([-\d]+)")re");
    for (std::sregex_iterator m(dated.out.begin(), dated.out.end(), member), end; m != end; ++m) {
        days[(*m)[1].str() + '\t' + (*m)[2].str()] = {(*m)[3], (*m)[4]};
    }

    const auto cube = cube::CubeStore::open(db).load();
    const auto& hierarchy = *cube->dimension("Time")->hierarchies().front();
    std::map<std::string, StoredMember> byPath;  // "2001/Q1_ 2001/..."
    std::set<std::chrono::sys_days> leafDays;
    std::vector<std::string> path;
    std::vector<int> counts;
    hierarchy.walkPreOrder([&](const cube::MemberView& m, int depth) {
        path.resize(static_cast<std::size_t>(depth));
        path.emplace_back(m.name());
        counts.resize(path.size());
        std::string joined;
        for (const auto& name : path) {
            joined += '/' + name;
        }
        StoredMember& stored = byPath[joined];
        stored.number = std::to_string(++counts.back());
        hierarchy.forEachAttribute(m.id, [&](std::string_view key, std::string_view value) {
            stored.attributes.emplace_back(key, value);
        });
        if (m.levelPosition() + 1 == hierarchy.levelCount()) {
            const auto& level = hierarchy.level(m.levelPosition()).name();
            const auto [first, last] = days.at(level + '\t' + std::string(m.name()));
            for (auto day = isoDay(first); day <= isoDay(last); day += std::chrono::days(1)) {
                leafDays.insert(day);
            }
        }
    });

    const auto records = csvRecords(table.out);
    ASSERT_GT(records.size(), 1u);
    std::map<std::string, std::size_t> column;
    for (std::size_t i = 0; i < records[0].size(); ++i) {
        column[records[0][i]] = i;
    }
    std::set<std::chrono::sys_days> rowDays;
    std::string previous;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const auto& row = records[r];
        const auto cell = [&](const std::string& name) { return row.at(column.at(name)); };
        const std::string date = cell("calendar_date");
        SCOPED_TRACE(date);
        EXPECT_LT(previous, date);
        previous = date;
        rowDays.insert(isoDay(date));
        EXPECT_EQ(cell("date_key"), date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2));
        std::string at;
        for (std::size_t level = 0; level < hierarchy.levelCount(); ++level) {
            const std::string name = hierarchy.level(level).name();
            std::string prefix = name;
            prefix[0] = static_cast<char>(std::tolower(prefix[0]));
            at += '/' + cell(prefix + "_name");
            const auto found = byPath.find(at);
            ASSERT_NE(found, byPath.end()) << at << " is no path of the hierarchy";
            EXPECT_EQ(cell(prefix + "_number"), found->second.number);
            const auto span = days.at(name + '\t' + cell(prefix + "_name"));
            EXPECT_EQ(std::pair(cell(prefix + "_first_day"), cell(prefix + "_last_day")), span);
            if (level + 1 == hierarchy.levelCount() || !GetParam().strays) {
                EXPECT_TRUE(span.first <= date && date <= span.second) << at;
            }
            for (const auto& [key, value] : found->second.attributes) {
                const std::string expected = value == "Yes"  ? "true"
                                             : value == "No" ? "false"
                                                             : value;
                EXPECT_EQ(cell(calendar::attributeColumn(key).name), expected) << key;
            }
        }
        if (column.count("day_working_day") != 0) {
            EXPECT_EQ(
                cell("day_working_day"),
                cell("day_weekend") == "false" && cell("day_holiday").empty() ? "true" : "false");
        }
    }
    EXPECT_EQ(rowDays, leafDays);
}

// The page's calendar with the weeks that stray from their year and quarters, a fiscal range
// whose Februaries both lack 29 February and name 1 March as their 29th day, a retail year of
// 53 weeks and periods13's quarters without a year above them. (How each calendar lays out its
// members is the member walk's.)
INSTANTIATE_TEST_SUITE_P(
    Calendars, DayTableAgreement,
    ::testing::Values(Calendar{"GregorianEveryLevel",
                               {"--levels", "Year,Quarter,Month,Week,Day", "--start", "1-1-2001",
                                "--end", "31-12-2002", "--holidays", "us"},
                               true},
                      Calendar{"FiscalFebruaries",
                               {"--levels", "Year,Month,Day", "--calendar", "fiscal", "--start",
                                "1-4-2003", "--end", "31-3-2005"}},
                      Calendar{"Retail53Weeks",
                               {"--levels", "Year,Quarter,Month,Week,Day", "--calendar", "retail",
                                "--year-end-rule", "nearest", "--start", "1-6-2020", "--end",
                                "1-6-2021"}},
                      Calendar{"Periods13QuartersOnTop",
                               {"--levels", "Quarter,Month", "--calendar", "periods13", "--start",
                                "1-1-2021", "--end", "31-12-2022"}}),
    [](const ::testing::TestParamInfo<Calendar>& tested) { return tested.param.name; });

}  // namespace
}  // namespace annalex::testing
