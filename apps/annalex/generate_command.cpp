#include "generate_command.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "calendar/calendar_list.hpp"
#include "calendar_options.hpp"
#include "common/failure.hpp"
#include "console_services.hpp"
#include "control/annalex_ctrl.hpp"
#include "day_table_options.hpp"
#ifdef ANNALEX_HAVE_CUBE_STORE
#include "cube/cube_store.hpp"
#endif
#include "cube/dimension_export.hpp"
#include "cube/memory_model.hpp"
#include "generate_options.hpp"
#include "output_file.hpp"
#include "progress_dimension.hpp"
#ifdef ANNALEX_HAVE_CUBE_STORE
#include "save_alongside.hpp"
#endif

namespace annalex::cli {
namespace {

enum ExitStatus { kGenerated = 0, kNotGenerated = 1, kTrapped = 3, kFileError = 4 };

std::int16_t entryIndex(const control::DropDownList& list, const std::string& text) {
    const auto& entries = list.entries();
    return static_cast<std::int16_t>(std::find(entries.begin(), entries.end(), text) -
                                     entries.begin());
}

cube::ExportFormat exportFormat(const std::string& name) {
    if (name == "jsonl") {
        return cube::ExportFormat::JsonLines;
    }
    return name == "csv" ? cube::ExportFormat::Csv : cube::ExportFormat::Tree;
}

int runGenerate(const GenerateOptions& options) {
    const PageInput input = checkedInput(options);
    const auto& boxTexts = input.boxTexts;
    const auto& ticks = input.ticks;
    const calendar::CalendarOptions calendarOptions =
        checkCalendarOptions(options.calendar, options.calendarOptions, ticks);
    const calendar::DayTableOptions dayTable = checkDayTableOptions(
        options.outputFormat, options.dayTable, options.calendarOptions.fillAttributes);

    // The page and its services.
    const bool terminal = isatty(STDERR_FILENO) != 0;
    ConsoleMessages messages(options.quiet);
    ConsoleProgress progress(terminal);
    ConsoleReporter reporter;
    control::AnnalexCtrl ctrl(messages, progress, reporter);
    // By the time the hourglass shows, OK has stored both dates.
    progress.setTotalSource(
        [&ctrl] { return ctrl.state().endDate.year - ctrl.state().startDate.year + 1; });
    bool generated = false;
    ctrl.addWizardResultListener([&](bool result) { generated = generated || result; });

    // The cube: a store file, or an empty cube in memory.
#ifdef ANNALEX_HAVE_CUBE_STORE
    std::optional<cube::CubeStore> store;
#endif
    std::shared_ptr<cube::MemoryCube> cube;
    try {
        if (!options.db.empty()) {
#ifdef ANNALEX_HAVE_CUBE_STORE
            store.emplace(cube::CubeStore::open(options.db));
            cube = store->load();
#else
            std::cerr << "annalex: '" << options.db
                      << "': this build has no cube store; leave out --db\n";
            return kFileError;
#endif
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
    if (options.outputFormat == "days") {
        ctrl.setRecordDates(true);  // the day table's rows are the members' days
    }
    // Memory may run out where the trap cannot report it (while it records a report): that
    // ends the generation as a trapped failure would.
    bool outOfMemory = false;
    try {
        page.btOk.click();
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
        std::fputs("annalex: out of memory during the generation\n", stderr);
    }
    const bool failed = outOfMemory || !reporter.reports().empty();
#ifdef ANNALEX_HAVE_CUBE_STORE
    if (failed && store) {
        // A calendar cut short by a failure never replaces what the store holds.
        std::cerr << "annalex: '" << options.db
                  << "' was left unchanged because the generation failed\n";
    }
#endif
    if (generated) {
        try {
            // The store is saved while the dimension is printed; an output file takes its
            // place only once the store is saved too.
#ifdef ANNALEX_HAVE_CUBE_STORE
            SaveAlongside saving(store && !failed ? &*store : nullptr, *cube, options.dimension);
            const auto storeSaved = [&saving] { saving.finish(); };
#else
            const auto storeSaved = [] {};
#endif
            writeOutput(
                options.output,
                [&](std::ostream& out) {
                    if (options.outputFormat == "days") {
                        writeDayTableOf(*dimension, ctrl, dayTable, out);
                        return;
                    }
                    cube::writeDimension(*dimension, exportFormat(options.outputFormat), out,
                                         memberDatesFor(ctrl, options.calendarOptions));
                },
                storeSaved);
            storeSaved();
        } catch (const Failure& failure) {
            std::cerr << "annalex: " << failure.description() << '\n';
            return kFileError;
        }
    }
    if (failed) {
        return kTrapped;
    }
    return generated ? kGenerated : kNotGenerated;
}

}  // namespace

void addGenerateCommand(CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<GenerateOptions>();
    CLI::App* command = addGenerateOptions(app, *options);
    command->callback([options, &exitStatus] { exitStatus = runGenerate(*options); });
}

}  // namespace annalex::cli
