// The command line as its users run it: the real program, its output, messages and status.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>
#include <tuple>

#include "program_run.hpp"
#include "support/sanitizer.hpp"

namespace annalex::testing {
namespace {

const std::vector<std::string> kWorkedExample = {"generate",       "--levels", "Year,Month",
                                                 "--month-format", "MMM",      "--quiet"};

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The worked example in the three output formats; without --quiet the info notice goes to
// standard error and the output stays the same.
TEST(Generate, WorkedExampleInEveryFormat) {
    const ProgramRun run = runAnnalex(with(kWorkedExample, {"--output-format", "jsonl"}));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // What each line says is the export's, pinned over every calendar by the golden digests.
    EXPECT_EQ(lineCount(run.out), 3u + 1u + 12u);
    EXPECT_EQ(run.out.rfind("{\"kind\":\"hierarchy\",\"name\":\"Period\"}\n", 0), 0u);

    const ProgramRun csv = runAnnalex(with(kWorkedExample, {"--output-format", "csv"}));
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(lineCount(csv.out), 14u);
    EXPECT_EQ(csv.out.rfind("level,name,order,parent,path,YearLeapYear,YearNumberOfDays,YearYearNo,"
                            "MonthNumberInYear,MonthNumberInQuarter,MonthNumberOfWeeks,"
                            "MonthNumberOfDays,MonthFstDayInMonth,MonthLstDayInMonth,"
                            "MonthMonthNumber\r\nYear,2001,0,,2001,No,365,0,,,,,,,\r\n"
                            "Month,Jan,0,2001,2001/Jan,,,,,,,,,,\r\n",
                            0),
              0u)
        << csv.out;
    // --with-dates only adds each member's first and last day.
    const ProgramRun dated =
        runAnnalex(with(kWorkedExample, {"--output-format", "csv", "--with-dates"}));
    EXPECT_NE(dated.out.find("\nYear,2001,0,,2001,2001-01-01,2001-12-31,"), std::string::npos)
        << dated.out;
    EXPECT_EQ(
        std::regex_replace(
            dated.out, std::regex(",(first,last|\\d{4}-\\d\\d-\\d\\d,\\d{4}-\\d\\d-\\d\\d)"), ""),
        csv.out);
    std::vector<std::string> loud = kWorkedExample;
    loud.pop_back();  // --quiet
    const ProgramRun noticed = runAnnalex(with(loud, {"--output-format", "csv"}));
    EXPECT_EQ(noticed.out, csv.out);
    EXPECT_EQ(noticed.err,
              "Info: The generation of the selected calendar may take a few minutes. Please "
              "wait.\n");

    const ProgramRun tree = runAnnalex(kWorkedExample);
    ASSERT_EQ(tree.status, 0) << tree.err;
    EXPECT_NE(tree.out.find("Hierarchy Period\n"), std::string::npos);
    EXPECT_NE(tree.out.find("  2001  [Year #0] YearLeapYear=No YearNumberOfDays=365 YearYearNo=0\n"
                            "    Jan  [Month #0]\n"),
              std::string::npos)
        << tree.out;
}

// The page's messages become lines with their titles on standard error, one per message shown
// (a date the day box rejected is said once while typing and again for each check on Ok), and a
// trapped failure prints its report and exits with 3. Which message each choice gives is the
// control's business and tested there.
TEST(Generate, PageMessagesBecomeTitledLines) {
    const std::vector<std::tuple<std::vector<std::string>, std::string, int>> cases = {
        {{}, "Error: Please select at least one level\n", 1},
        {{"--levels", "Year", "--start", "45-02-01"},
         "Error: Invalid day.\nError: Invalid day\nError: Invalid day\n",
         1},
        {{"--levels", "Year", "--start-day", ""},
         "Error: Day must be a numeric value.\n"
         "Unexpected failure:\n"
         "Module         : AnnalexCtrl\n"
         "Procedure      : Private Function dateFormatValid(aDate As String, "
         "dateType As Integer) As Boolean\n"
         "Number         : 13\n"
         "Description    : Type mismatch\n"
         "Last DLL Error : N\n"
         "Source         : Annalex\n",
         3}};
    for (const auto& [arguments, err, status] : cases) {
        const ProgramRun run = runAnnalex(with({"generate", "--quiet"}, arguments));
        EXPECT_EQ(run.status, status) << err;
        // The last system error is whatever the system said last; only its place is fixed.
        EXPECT_EQ(std::regex_replace(run.err, std::regex("Last DLL Error : [0-9]+"),
                                     "Last DLL Error : N"),
                  err);
        EXPECT_EQ(run.out, "") << err;
    }
}

// Every bad value or combination is a usage error (status 2, nothing on standard output)
// whose message names the option or the file at fault.
TEST(Generate, UsageErrorsNameTheOptionOrFile) {
    TemporaryFolder folder;
    const auto rules = folder.path() / "office.rules";
    std::ofstream(rules) << "include gb-eng\n12-24 = Closed\n1st tues 12 = Party\n";
    // Rules files of 1 MB and one byte more, and a pipe no one writes to.
    const auto full = folder.path() / "full.rules", large = folder.path() / "large.rules";
    std::ofstream(full) << "12-25 = C" << std::string((1 << 20) - 10, '#') << '\n';
    std::ofstream(large) << readFile(full) << '#';
    ASSERT_EQ(mkfifo((folder.path() / "pipe").c_str(), 0600), 0);
    const std::vector<std::string> isoDay = {"--calendar", "iso", "--levels", "Day"};
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--levels", "Decade"}, "--levels"},
        {{"--start", "01-01"}, "--start"},
        {{"--start", "01-01-01-01"}, "--start"},
        {{"--calendar", "lunar"}, "--calendar"},
        {{"--day-format", "D"}, "--day-format"},
        {{"--output-format", "xml"}, "--output-format"},
        {{"--no-such-option"}, "--no-such-option"},
        {{"--calendar", "iso", "--levels", "Year,Month"}, "--levels"},
        {{"--calendar", "iso", "--levels", "Year", "--week-start", "mon"}, "--week-start"},
        {{"--calendar", "iso", "--levels", "Year", "--year-end-rule", "last"}, "--year-end-rule"},
        {{"--calendar", "periods13", "--levels", "Year", "--pattern", "445"}, "--pattern"},
        {{"--calendar", "retail", "--levels", "Year", "--pattern", "455"}, "--pattern"},
        {{"--calendar", "retail", "--levels", "Year", "--year-end-month", "0"}, "--year-end-month"},
        {{"--calendar", "retail", "--levels", "Year", "--year-end-month", "13"},
         "--year-end-month"},
        {{"--calendar", "periods13", "--levels", "Year", "--long-quarter", "5"}, "--long-quarter"},
        {{"--calendar", "retail", "--levels", "Year", "--long-quarter", "2"}, "--long-quarter"},
        {{"--calendar", "retail", "--levels", "Year", "--week-start", "funday"}, "--week-start"},
        {{"--calendar", "fiscal", "--levels", "Year", "--year-name", "start"}, "--year-name"},
        {with(isoDay, {"--holidays", "us"}), "--holidays: only with --fill-attributes"},
        {with(isoDay, {"--weekend", "sat,sun"}), "--weekend: only with --fill-attributes"},
        {with(isoDay, {"--fill-attributes", "--weekend", "sat,sunday"}), "--weekend"},
        {with(isoDay, {"--fill-attributes", "--holidays", rules.string()}),
         rules.string() + ":3: unknown weekday 'tues'"},
        {with(isoDay, {"--fill-attributes", "--holidays", "xx"}),
         "cannot read holiday rules file 'xx'"},
        {with(isoDay, {"--fill-attributes", "--holidays", ""}), "--holidays: expected a built-in"},
        {with(isoDay, {"--language", "xx"}), "--language: unknown language 'xx'"},
        // A pipe no one writes to is refused before it is opened, which would wait for ever.
        {with(isoDay, {"--fill-attributes", "--holidays", (folder.path() / "pipe").string()}),
         "pipe' is not a regular file"},
        // The day table's options belong to it alone, and an SQL table name is a plain one.
        {{"--levels", "Year", "--table-format", "csv"}, "--table-format"},
        {{"--levels", "Year", "--output-format", "csv", "--table-name", "days"}, "--table-name"},
        {{"--levels", "Year", "--output-format", "days", "--table-name", "Days"}, "--table-name"},
        {{"--levels", "Year", "--output-format", "days", "--table-name", "1day"}, "--table-name"},
        {{"--levels", "Year", "--output-format", "days", "--table-format", "xlsx"},
         "--table-format"},
        {with(isoDay, {"--fill-attributes", "--holidays", large.string()}),
         large.string() + "' is larger than 1 MB (1048576 bytes)"},
    };
    for (const auto& [arguments, named] : cases) {
        const ProgramRun run = runAnnalex(with({"generate", "--quiet"}, arguments));
        EXPECT_EQ(run.status, 2) << named << ": " << run.err;
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << named;
    }
    const ProgramRun withFull = runAnnalex(with(
        {"generate", "--quiet"}, with(isoDay, {"--fill-attributes", "--holidays", full.string()})));
    EXPECT_EQ(withFull.status, 0) << withFull.err;
    EXPECT_EQ(runAnnalex({}).status, 2);
    const ProgramRun help = runAnnalex({"generate", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--levels"), std::string::npos);
}

// A store that cannot be used is refused with its name and left as it was. (Which stores cannot
// be used, and why, is the store's own tests' business.)
TEST(Generate, AStoreThatCannotBeUsedIsNamedAndLeftAsItWas) {
    TemporaryFolder directory;
    const auto db = directory.path() / "cube.db";
    const std::string damaged = "SQLite format 3" + std::string(200, '\x7f');
    std::ofstream(db, std::ios::binary) << damaged;
    const ProgramRun run = runAnnalex(with(kWorkedExample, {"--db", db.string()}));
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find(db.string()), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(readFile(db), damaged);
}

TEST(Generate, OutputToAPipeIsWrittenInPlace) {
    // A device or a pipe named by --output must stay what it is: the text is written into it,
    // not renamed over it.
    TemporaryFolder directory;
    const auto fifo = directory.path() / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readFile(fifo); });
    const ProgramRun run =
        runAnnalex(with(kWorkedExample, {"--output-format", "csv", "--output", fifo.string()}));
    reader.join();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(lineCount(received), 14u);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

// Memory runs out in the middle of a generation (both limits lie below the about 175 MiB of
// address space it needs): the trap reports it, no crash, and what the builders had made by
// then must not replace the store's calendar.
TEST(Generate, RunningOutOfMemoryFailsCleanlyAndLeavesTheStore) {
    if (kSanitized) {
        GTEST_SKIP() << "the sanitizers' shadow memory does not fit a small address space";
    }
    TemporaryFolder directory;
    const std::string db = (directory.path() / "cube.db").string();
    ASSERT_EQ(runAnnalex(with(kWorkedExample, {"--db", db, "--output", "/dev/null"})).status, 0);
    const std::string before = readFile(db);
    for (const std::uint64_t megabytes : {120, 160}) {
        const ProgramRun run = runAnnalex(
            {"generate", "--levels", "Year,Quarter,Month,Week,Day", "--start", "01-01-1000",
             "--end", "31-12-9999", "--quiet", "--output", "/dev/null", "--db", db},
            RunAs::Caller, Limits{megabytes << 20, 0});
        EXPECT_EQ(run.status, 3) << megabytes << " MiB: " << run.err.substr(0, 400);
        EXPECT_NE(run.err.find("ut of memory"), std::string::npos) << run.err.substr(0, 400);
        EXPECT_NE(run.err.find("'" + db + "' was left unchanged because the generation failed"),
                  std::string::npos)
            << run.err.substr(0, 400);
        EXPECT_EQ(readFile(db), before) << megabytes << " MiB";
    }
}

TEST(Generate, WritesBeyondTheFileSizeLimitFailWithAMessageAndLeaveNothing) {
    TemporaryFolder directory;
    const std::string output = (directory.path() / "out.csv").string();
    const std::string db = (directory.path() / "cube.db").string();
    const std::vector<std::string> decade = {"generate",   "--levels", "Year,Month,Day", "--start",
                                             "01-01-2000", "--end",    "31-12-2010",     "--quiet"};
    for (const auto& target : std::vector<std::vector<std::string>>{
             {"--output", output}, {"--output", "/dev/null", "--db", db}}) {
        const ProgramRun run = runAnnalex(with(decade, target), RunAs::Caller, Limits{0, 16384});
        EXPECT_EQ(run.status, 4) << target.back() << ": " << run.err;
        EXPECT_NE(run.err.find("'" + target.back() + "'"), std::string::npos) << run.err;
        EXPECT_TRUE(std::filesystem::is_empty(directory.path())) << target.back();
    }
}

TEST(Generate, TheStoreNamedAgainAsTheOutputIsAUsageError) {
    TemporaryFolder directory;
    const auto db = directory.path() / "cube.db";
    ASSERT_EQ(
        runAnnalex(with(kWorkedExample, {"--db", db.string(), "--output", "/dev/null"})).status, 0);
    const std::string before = readFile(db);
    std::filesystem::create_symlink(db, directory.path() / "link.db");
    std::filesystem::create_hard_link(db, directory.path() / "hard.db");
    for (const auto& output :
         {db.string(), (directory.path() / "." / "cube.db").string(),
          (directory.path() / "link.db").string(), (directory.path() / "hard.db").string()}) {
        const ProgramRun run =
            runAnnalex(with(kWorkedExample, {"--db", db.string(), "--output", output}));
        EXPECT_EQ(run.status, 2) << output;
        EXPECT_NE(run.err.find("names the same file as --db"), std::string::npos) << run.err;
        EXPECT_EQ(readFile(db), before) << output;
    }
    // Neither exists yet: the same place all the same.
    const auto fresh = directory.path() / "fresh.db";
    EXPECT_EQ(runAnnalex(with(kWorkedExample, {"--db", fresh.string(), "--output",
                                               (directory.path() / "." / "fresh.db").string()}))
                  .status,
              2);
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

// Dates are formed up to 31 December 32767: a week-based year that would reach beyond is a
// failure of the generation (status 3), never a year 32768; the years before it still generate,
// with their holidays.
TEST(Generate, NoYearBeyond32767IsFormed) {
    for (const std::string calendar : {"retail", "periods13"}) {
        const std::vector<std::string> days = {"generate",        "--calendar", calendar,
                                               "--levels",        "Year,Day",   "--quiet",
                                               "--output-format", "csv"};
        const ProgramRun beyond =
            runAnnalex(with(days, {"--start", "31-12-32767", "--end", "31-12-32767"}));
        EXPECT_EQ(beyond.status, 3) << calendar << ": " << beyond.err;
        EXPECT_EQ(beyond.out.find("32768"), std::string::npos) << calendar;
        const ProgramRun last =
            runAnnalex(with(days, {"--start", "01-12-32767", "--end", "30-12-32767",
                                   "--fill-attributes", "--holidays", "us"}));
        EXPECT_EQ(last.status, 0) << calendar << ": " << last.err;
        EXPECT_NE(last.out.find("Christmas Day"), std::string::npos) << calendar;
    }
}

}  // namespace
}  // namespace annalex::testing
