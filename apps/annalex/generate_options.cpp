#include "generate_options.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "calendar/calendar_list.hpp"

namespace annalex::cli {
namespace {

// "D-M-Y" into its three box texts; exactly three pieces.
std::array<std::string, 3> datePieces(const std::string& text, const std::string& option) {
    std::array<std::string, 3> pieces;
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t dash = text.find('-', at);
        if (i < 2 && dash == std::string::npos) {
            throw CLI::ValidationError(option,
                                       "expects D-M-Y (three pieces joined by \"-\"): " + text);
        }
        if (i == 2 && dash != std::string::npos) {
            throw CLI::ValidationError(option, "expects exactly three pieces: " + text);
        }
        pieces[static_cast<std::size_t>(i)] =
            text.substr(at, i < 2 ? dash - at : std::string::npos);
        at = dash + 1;
    }
    return pieces;
}

// "Year,month" into the ticked entries of the level list (Year 0 ... Day 4).
std::array<bool, 5> levelTicks(const std::string& list) {
    static const std::array<const char*, 5> kNames = {"year", "quarter", "month", "week", "day"};
    std::array<bool, 5> ticks{};
    std::stringstream items(list);
    std::string item;
    while (std::getline(items, item, ',')) {
        std::string name;
        for (char c : item) {
            if (!std::isspace(static_cast<unsigned char>(c))) {
                name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
        }
        if (name.empty()) {
            continue;
        }
        const auto found = std::find(kNames.begin(), kNames.end(), name);
        if (found == kNames.end()) {
            throw CLI::ValidationError(
                "--levels", "unknown level '" + item + "' (Year, Quarter, Month, Week, Day)");
        }
        ticks[static_cast<std::size_t>(found - kNames.begin())] = true;
    }
    return ticks;
}

// True when both paths name the same file, through any spelling, link or hard link.
bool sameFile(const std::string& first, const std::string& second) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::equivalent(first, second, ec) && !ec) {
        return true;
    }
    // One or both do not exist yet: compare where they would be created.
    const fs::path a = fs::weakly_canonical(fs::absolute(first, ec), ec);
    const fs::path b = fs::weakly_canonical(fs::absolute(second, ec), ec);
    return !ec && a == b;
}

}  // namespace

PageInput checkedInput(const GenerateOptions& options) {
    // Printing the dimension over the store would destroy the store.
    if (!options.db.empty() && !options.output.empty() && options.output != "-" &&
        sameFile(options.db, options.output)) {
        throw CLI::ValidationError("--output", "names the same file as --db: " + options.output);
    }
    const auto startPieces = datePieces(options.start, "--start");
    const auto endPieces = datePieces(options.end, "--end");
    PageInput input;
    input.ticks = levelTicks(options.levels);
    input.boxTexts = {startPieces[0], startPieces[1], startPieces[2],
                      endPieces[0],   endPieces[1],   endPieces[2]};
    for (std::size_t i = 0; i < input.boxTexts.size(); ++i) {
        if (options.boxes[i]) {
            input.boxTexts[i] = *options.boxes[i];
        }
    }
    return input;
}

CLI::App* addGenerateOptions(CLI::App& app, GenerateOptions& options) {
    CLI::App* command = app.add_subcommand(
        "generate",
        "Generate a calendar dimension (hierarchy \"Period\") into a cube and print it");
    command->add_option("--levels", options.levels,
                        "Comma-separated levels: Year, Quarter, Month, Week, Day (any case)");
    std::vector<std::string> calendarKeys;
    for (const calendar::CalendarEntry& entry : calendar::calendarList()) {
        calendarKeys.emplace_back(entry.key);
    }
    command->add_option("--calendar", options.calendar, "Calendar type")
        ->check(CLI::IsMember(calendarKeys, CLI::ignore_case))
        ->transform(CLI::IsMember(calendarKeys, CLI::ignore_case));
    addCalendarOptions(*command, options.calendarOptions);
    command->add_option("--start", options.start, "Start date as the boxes' texts D-M-Y")
        ->default_str("01-01-01");
    command->add_option("--end", options.end, "End date as the boxes' texts D-M-Y")
        ->default_str("31-12-01");
    const char* boxNames[] = {"--start-day", "--start-month", "--start-year",
                              "--end-day",   "--end-month",   "--end-year"};
    for (std::size_t i = 0; i < 6; ++i) {
        command->add_option(boxNames[i], options.boxes[i],
                            "Exact text of one date box (overrides --start/--end)");
    }
    command->add_option("--day-format", options.dayFormat, "Day format")
        ->check(CLI::IsMember({"DD", "DDD", "DDDD"}));
    command->add_option("--month-format", options.monthFormat, "Month format")
        ->check(CLI::IsMember({"MM", "MMM", "MMMM"}));
    command->add_option("--year-format", options.yearFormat, "Year format (preview only)")
        ->check(CLI::IsMember({"YY", "YYYY"}));
    command->add_option("--db", options.db, "Cube store file (created when missing)");
    command->add_option("--dimension", options.dimension, "Time dimension (created when missing)")
        ->default_str("Time");
    command->add_option("--output-format", options.outputFormat, "How to print the dimension")
        ->check(CLI::IsMember({"jsonl", "csv", "tree", "days"}))
        ->default_str("tree");
    addDayTableOptions(*command, options.dayTable);
    command->add_option("--output", options.output, "Write the dimension to FILE, not stdout");
    command->add_flag("--quiet", options.quiet, "Leave out the \"Info\" notice");
    return command;
}

}  // namespace annalex::cli
