#pragma once
// The options of `annalex generate` and what they stand for on the calendar page, apart from
// running the command, so that the grammar can be checked (and fuzzed) on its own.

#include <CLI/CLI.hpp>
#include <array>
#include <optional>
#include <string>

#include "calendar_options.hpp"
#include "day_table_options.hpp"

namespace annalex::cli {

struct GenerateOptions {
    std::string levels;
    std::string calendar = "gregorian";
    CalendarOptionTexts calendarOptions;  // the extended calendars' options
    std::string start = "01-01-01";
    std::string end = "31-12-01";
    // Single boxes, overriding --start/--end when given (empty text allowed).
    std::array<std::optional<std::string>, 6> boxes;
    std::string dayFormat = "DD";
    std::string monthFormat = "MM";
    std::string yearFormat = "YY";
    std::string db;
    std::string dimension = "Time";
    std::string outputFormat = "tree";
    std::string output;
    DayTableTexts dayTable;  // --output-format days
    bool quiet = false;
};

// The page input an options set stands for: the six date box texts in tab order and the ticks
// of the level list (Year ... Day).
struct PageInput {
    std::array<std::string, 6> boxTexts;
    std::array<bool, 5> ticks{};
};

// Checks what the grammar alone cannot (dates of three pieces, known level names, --output not
// naming the store) and gives the page input; throws CLI::ValidationError.
PageInput checkedInput(const GenerateOptions& options);

// Adds the subcommand "generate" with its options, read into options, to app.
CLI::App* addGenerateOptions(CLI::App& app, GenerateOptions& options);

}  // namespace annalex::cli
