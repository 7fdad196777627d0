#pragma once
// The command line of annalex-wizard:
//
//   annalex-wizard [options] [store]
//
// The page's choices (--levels, --calendar, --start, --end, the format options and the rules
// of the week-based calendars, as `annalex generate` takes them) replace the remembered ones.
// --auto-ok-after-ms, --quit-after-result and --fail-generation script a run without a person,
// for screenshots and timings. Parsing needs no display, so --help, --version and usage errors
// are answered anywhere; the toolkit's own options (-platform, -style, ...) are left to it.

#include <QString>
#include <QStringList>

#include "page_choices.hpp"

namespace annalex::wizard {

struct WizardOptions {
    QString store;  // empty: a file dialog asks
    PageChoices choices;
    int autoOkAfterMs = -1;  // none when negative
    bool quitAfterResult = false;
    bool failGeneration = false;
};

struct ParsedCommandLine {
    enum class Outcome { Run, Help, Version, UsageError };
    Outcome outcome = Outcome::Run;
    WizardOptions options;
    QString text;  // the help, the version, or the usage error naming the option
};

// arguments as the program received them, the program's name first; the toolkit's own options
// are passed over.
ParsedCommandLine parseWizardCommandLine(const QStringList& arguments);

}  // namespace annalex::wizard
