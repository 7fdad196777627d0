#include "wizard_options.hpp"

#include <QCommandLineParser>
#include <vector>

#include "common/build_version.hpp"

namespace annalex::wizard {
namespace {

const QString kSummary = QStringLiteral(
    "Usage: annalex-wizard [options] [store]\n"
    "Generates the calendar of a cube's time dimension in a window.\n\n"
    "  store  The cube store to open or create; a file dialog asks when it is "
    "not given.\n");

struct ScriptOption {
    const char* name;
    const char* valueName;  // nullptr for a flag
    const char* description;
};

constexpr ScriptOption kScriptOptions[] = {
    {"auto-ok-after-ms", "ms",
     "Press Ok after this many milliseconds and close the messages it shows."},
    {"quit-after-result", nullptr, "End once the result of Ok is shown."},
    {"fail-generation", nullptr,
     "Let the cube refuse every new member, so that Ok fails and the error report shows."},
};

QString helpText() {
    QString text = kSummary + QStringLiteral("\nOptions (they replace the remembered choices):\n");
    const auto line = [&text](const QString& option, const char* description) {
        text += QStringLiteral("  %1\n      %2\n").arg(option, QString::fromUtf8(description));
    };
    line(QStringLiteral("-h, --help"), "Show this help and end.");
    line(QStringLiteral("--version"), "Show the version and end.");
    for (const ChoiceName& name : choiceNames()) {
        if (name.choice == Choice::FillAttributes) {
            line(QStringLiteral("--%1").arg(QLatin1String(name.option)), name.description);
        } else {
            line(QStringLiteral("--%1 <%2>")
                     .arg(QLatin1String(name.option), QLatin1String(name.valueName)),
                 name.description);
        }
    }
    text += QStringLiteral("\nOptions for scripted runs (screenshots, timings):\n");
    for (const ScriptOption& option : kScriptOptions) {
        line(option.valueName == nullptr
                 ? QStringLiteral("--%1").arg(QLatin1String(option.name))
                 : QStringLiteral("--%1 <%2>")
                       .arg(QLatin1String(option.name), QLatin1String(option.valueName)),
             option.description);
    }
    return text;
}

// The options QApplication takes for itself (with the value after them, or joined by "="),
// written with one dash or two.
const QStringList kToolkitOptionsWithValue = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "title",         "name",
    "style",           "stylesheet"};
const QStringList kToolkitFlags = {"reverse", "widgetcount", "nograb",
                                   "dograb",  "sync",        "qmljsdebugger"};

QStringList withoutToolkitOptions(const QStringList& arguments) {
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (i == 0 || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("--")) {
            kept << argument;
            continue;
        }
        const QString bare = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const QString name = bare.section(QLatin1Char('='), 0, 0);
        if (kToolkitOptionsWithValue.contains(name)) {
            if (!bare.contains(QLatin1Char('='))) {
                ++i;  // its value
            }
            continue;
        }
        if (!kToolkitFlags.contains(name)) {
            kept << argument;
        }
    }
    return kept;
}

ParsedCommandLine usageError(const QString& message) {
    ParsedCommandLine parsed;
    parsed.outcome = ParsedCommandLine::Outcome::UsageError;
    parsed.text = QStringLiteral("annalex-wizard: %1\nRun 'annalex-wizard --help' for the options.")
                      .arg(message);
    return parsed;
}

// An option the calendar given with --calendar does not read, as `annalex generate` refuses
// it; empty when none. Without --calendar the remembered calendar decides, and the panel
// keeps such options for when a calendar that reads them is chosen.
QString combinationProblem(const PageChoices& choices) {
    const auto calendar = choices.text(Choice::Calendar);
    if (!calendar) {
        return {};
    }
    const bool weekly =
        *calendar == QLatin1String("retail") || *calendar == QLatin1String("periods13");
    for (const ChoiceName& name : choiceNames()) {
        const bool weeklyRule =
            name.choice == Choice::WeekStart || name.choice == Choice::YearEndMonth ||
            name.choice == Choice::YearEndRule || name.choice == Choice::YearName;
        if (weeklyRule && !weekly && choices.text(name.choice)) {
            return QStringLiteral("--%1: only with --calendar retail or --calendar periods13")
                .arg(QLatin1String(name.option));
        }
    }
    if (choices.text(Choice::Pattern) && *calendar != QLatin1String("retail")) {
        return QStringLiteral("--pattern: only with --calendar retail");
    }
    if (choices.text(Choice::LongQuarter) && *calendar != QLatin1String("periods13")) {
        return QStringLiteral("--long-quarter: only with --calendar periods13");
    }
    const auto levels = choices.text(Choice::Levels);
    if (*calendar == QLatin1String("iso") && levels &&
        (levels->contains(QLatin1String("Quarter")) || levels->contains(QLatin1String("Month")))) {
        return QStringLiteral(
            "--levels: the iso calendar has Year, Week and Day levels only (no Quarter or Month)");
    }
    return {};
}

}  // namespace

ParsedCommandLine parseWizardCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOption(help);
    parser.addOption(version);
    std::vector<std::pair<Choice, QCommandLineOption>> choiceOptions;
    for (const ChoiceName& name : choiceNames()) {
        QCommandLineOption option(QString::fromLatin1(name.option));
        if (name.choice != Choice::FillAttributes) {
            option.setValueName(QString::fromLatin1(name.valueName));
        }
        parser.addOption(option);
        choiceOptions.emplace_back(name.choice, option);
    }
    std::vector<QCommandLineOption> scriptOptions;
    for (const ScriptOption& script : kScriptOptions) {
        QCommandLineOption option(QString::fromLatin1(script.name));
        if (script.valueName != nullptr) {
            option.setValueName(QString::fromLatin1(script.valueName));
        }
        parser.addOption(option);
        scriptOptions.push_back(option);
    }
    parser.addPositionalArgument(QStringLiteral("store"), QString(), QStringLiteral("[store]"));

    const bool parsedWell = parser.parse(withoutToolkitOptions(arguments));
    ParsedCommandLine parsed;
    if (parser.isSet(help)) {
        parsed.outcome = ParsedCommandLine::Outcome::Help;
        parsed.text = helpText();
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.outcome = ParsedCommandLine::Outcome::Version;
        parsed.text =
            QStringLiteral("annalex-wizard %1\n")
                .arg(QString::fromLatin1(build::kVersionText.data(),
                                         static_cast<qsizetype>(build::kVersionText.size())));
        return parsed;
    }
    if (!parsedWell) {
        return usageError(parser.errorText());
    }
    if (parser.positionalArguments().size() > 1) {
        return usageError(QStringLiteral("one store at most, not '%1'")
                              .arg(parser.positionalArguments().join(QStringLiteral("' '"))));
    }

    WizardOptions& options = parsed.options;
    options.store = parser.positionalArguments().value(0);
    for (const auto& [choice, option] : choiceOptions) {
        if (!parser.isSet(option)) {
            continue;
        }
        const QString text =
            choice == Choice::FillAttributes ? QStringLiteral("true") : parser.value(option);
        const QString problem = options.choices.set(choice, text);
        if (!problem.isEmpty()) {
            return usageError(QStringLiteral("--%1: %2").arg(option.names().constFirst(), problem));
        }
    }
    if (parser.isSet(scriptOptions[0])) {
        bool valid = false;
        options.autoOkAfterMs = parser.value(scriptOptions[0]).toInt(&valid);
        if (!valid || options.autoOkAfterMs < 0) {
            return usageError(QStringLiteral("--auto-ok-after-ms: '%1' is not a number of "
                                             "milliseconds")
                                  .arg(parser.value(scriptOptions[0])));
        }
    }
    if (const QString problem = combinationProblem(options.choices); !problem.isEmpty()) {
        return usageError(problem);
    }
    options.quitAfterResult = parser.isSet(scriptOptions[1]);
    options.failGeneration = parser.isSet(scriptOptions[2]);
    return parsed;
}

}  // namespace annalex::wizard
