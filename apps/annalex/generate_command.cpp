#include "generate_command.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "calendar/calendar_list.hpp"
#include "calendar_options.hpp"
#include "common/failure.hpp"
#include "console_services.hpp"
#include "control/annalex_ctrl.hpp"
#include "cube/cube_store.hpp"
#include "cube/dimension_export.hpp"
#include "cube/memory_model.hpp"
#include "errors/recording_reporter.hpp"
#include "errors/report_text.hpp"
#include "output_file.hpp"
#include "progress_dimension.hpp"

namespace annalex::cli {
namespace {

enum ExitStatus { kGenerated = 0, kNotGenerated = 1, kTrapped = 3, kFileError = 4 };

struct GenerateOptions {
    std::string levels;
    std::string calendar = "gregorian";
    CalendarOptionTexts calendarOptions;  // calendar_options.hpp
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
    bool quiet = false;
};

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

std::int16_t entryIndex(const control::DropDownList& list, const std::string& text) {
    const auto& entries = list.entries();
    return static_cast<std::int16_t>(std::find(entries.begin(), entries.end(), text) -
                                     entries.begin());
}

void printReports(const errors::RecordingReporter& reporter) {
    for (const auto& report : reporter.reports()) {
        std::cerr << "Unexpected failure:\n" << errors::reportFieldLines(report);
    }
}

cube::ExportFormat exportFormat(const std::string& name) {
    if (name == "jsonl") {
        return cube::ExportFormat::JsonLines;
    }
    return name == "csv" ? cube::ExportFormat::Csv : cube::ExportFormat::Tree;
}

int runGenerate(const GenerateOptions& options) {
    const auto startPieces = datePieces(options.start, "--start");
    const auto endPieces = datePieces(options.end, "--end");
    const auto ticks = levelTicks(options.levels);
    const calendar::CalendarOptions calendarOptions =
        checkCalendarOptions(options.calendar, options.calendarOptions, ticks);
    std::array<std::string, 6> boxTexts = {startPieces[0], startPieces[1], startPieces[2],
                                           endPieces[0],   endPieces[1],   endPieces[2]};
    for (std::size_t i = 0; i < boxTexts.size(); ++i) {
        if (options.boxes[i]) {
            boxTexts[i] = *options.boxes[i];
        }
    }

    // The page and its services.
    const bool terminal = isatty(STDERR_FILENO) != 0;
    ConsoleMessages messages(options.quiet);
    ConsoleProgress progress(terminal);
    errors::RecordingReporter reporter;
    control::AnnalexCtrl ctrl(messages, progress, reporter);
    // By the time the hourglass shows, OK has stored both dates.
    progress.setTotalSource(
        [&ctrl] { return ctrl.state().endDate.year - ctrl.state().startDate.year + 1; });
    bool generated = false;
    ctrl.addWizardResultListener([&](bool result) { generated = generated || result; });

    // The cube: a store file, or an empty cube in memory.
    std::optional<cube::CubeStore> store;
    std::shared_ptr<cube::MemoryCube> cube;
    try {
        if (!options.db.empty()) {
            store.emplace(cube::CubeStore::open(options.db));
            cube = store->load();
        } else {
            cube = std::make_shared<cube::MemoryCube>();
        }
    } catch (const Failure& failure) {
        std::cerr << "annalex: " << failure.description() << '\n';
        return kFileError;
    }
    const auto dimension = cube->ensureDimension(options.dimension);
    ctrl.setTheCube(cube);
    if (terminal) {
        ctrl.setTheTimeDimension(
            std::make_shared<ProgressDimension>(dimension, [&progress] { progress.step(); }));
    } else {
        ctrl.setTheTimeDimension(dimension);
    }

    // Work the page in tab order, as a person would.
    control::CalendarPage& page = ctrl.page();
    control::TextBox* boxes[] = {&page.txtStartDay, &page.txtStartMonth, &page.txtStartYear,
                                 &page.txtEndDay,   &page.txtEndMonth,   &page.txtEndYear};
    for (std::size_t i = 0; i < boxTexts.size(); ++i) {
        if (boxes[i]->text() != boxTexts[i]) {
            boxes[i]->setText(boxTexts[i]);
        }
    }
    page.cmbDay.select(entryIndex(page.cmbDay, options.dayFormat));
    page.cmbMonth.select(entryIndex(page.cmbMonth, options.monthFormat));
    page.cmbYear.select(entryIndex(page.cmbYear, options.yearFormat));
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        page.availableList.setSelected(static_cast<std::int32_t>(i), ticks[i]);
    }
    // The page's calendar-type buttons are the first entries of the calendar list.
    const auto calendars = calendar::calendarList();
    for (std::size_t i = 0; i < page.calendarType.size() && i < calendars.size(); ++i) {
        if (calendars[i].key == options.calendar && !page.calendarType[i].value()) {
            page.calendarType[i].click();
        }
    }
    chooseExtendedCalendar(ctrl, options.calendar, calendarOptions, options.calendarOptions);
    page.btOk.click();

    printReports(reporter);
    if (generated) {
        try {
            if (store) {
                store->save(*cube);
            }
            writeOutput(options.output, [&](std::ostream& out) {
                cube::writeDimension(*dimension, exportFormat(options.outputFormat), out,
                                     memberDatesFor(ctrl, options.calendarOptions));
            });
        } catch (const Failure& failure) {
            std::cerr << "annalex: " << failure.description() << '\n';
            return kFileError;
        }
    }
    if (!reporter.reports().empty()) {
        return kTrapped;
    }
    return generated ? kGenerated : kNotGenerated;
}

}  // namespace

void addGenerateCommand(CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<GenerateOptions>();
    CLI::App* command = app.add_subcommand(
        "generate",
        "Generate a calendar dimension (hierarchy \"Period\") into a cube and print it");
    command->add_option("--levels", options->levels,
                        "Comma-separated levels: Year, Quarter, Month, Week, Day (any case)");
    std::vector<std::string> calendarKeys;
    for (const calendar::CalendarEntry& entry : calendar::calendarList()) {
        calendarKeys.emplace_back(entry.key);
    }
    command->add_option("--calendar", options->calendar, "Calendar type")
        ->check(CLI::IsMember(calendarKeys, CLI::ignore_case))
        ->transform(CLI::IsMember(calendarKeys, CLI::ignore_case));
    addCalendarOptions(*command, options->calendarOptions);
    command->add_option("--start", options->start, "Start date as the boxes' texts D-M-Y")
        ->default_str("01-01-01");
    command->add_option("--end", options->end, "End date as the boxes' texts D-M-Y")
        ->default_str("31-12-01");
    const char* boxNames[] = {"--start-day", "--start-month", "--start-year",
                              "--end-day",   "--end-month",   "--end-year"};
    for (std::size_t i = 0; i < 6; ++i) {
        command->add_option(boxNames[i], options->boxes[i],
                            "Exact text of one date box (overrides --start/--end)");
    }
    command->add_option("--day-format", options->dayFormat, "Day format")
        ->check(CLI::IsMember({"DD", "DDD", "DDDD"}));
    command->add_option("--month-format", options->monthFormat, "Month format")
        ->check(CLI::IsMember({"MM", "MMM", "MMMM"}));
    command->add_option("--year-format", options->yearFormat, "Year format (preview only)")
        ->check(CLI::IsMember({"YY", "YYYY"}));
    command->add_option("--db", options->db, "Cube store file (created when missing)");
    command->add_option("--dimension", options->dimension, "Time dimension (created when missing)")
        ->default_str("Time");
    command->add_option("--output-format", options->outputFormat, "How to print the dimension")
        ->check(CLI::IsMember({"jsonl", "csv", "tree"}))
        ->default_str("tree");
    command->add_option("--output", options->output, "Write the dimension to FILE, not stdout");
    command->add_flag("--quiet", options->quiet, "Leave out the \"Info\" notice");
    command->callback([options, &exitStatus] { exitStatus = runGenerate(*options); });
}

}  // namespace annalex::cli
