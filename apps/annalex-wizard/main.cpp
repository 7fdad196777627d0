// annalex-wizard: opens a cube store, shows the calendar page for its time dimension and,
// after a generation, the generated dimension. See wizard_options.hpp for the command line.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "installed_layout.hpp"
#include "remembered_choices.hpp"
#include "store_location.hpp"
#include "support/refusing_dimension.hpp"
#include "wizard_options.hpp"
#include "wizard_window.hpp"

namespace {

using annalex::wizard::ParsedCommandLine;

enum ExitStatus { kUsageError = 2 };

// Prints the help, the version or a usage error; the exit status when the program ends here.
std::optional<int> answerWithoutWindow(const ParsedCommandLine& parsed) {
    switch (parsed.outcome) {
        case ParsedCommandLine::Outcome::Run:
            return std::nullopt;
        case ParsedCommandLine::Outcome::Help:
        case ParsedCommandLine::Outcome::Version:
            std::fputs(parsed.text.toLocal8Bit().constData(), stdout);
            return 0;
        case ParsedCommandLine::Outcome::UsageError:
            std::fprintf(stderr, "%s\n", parsed.text.toLocal8Bit().constData());
            return kUsageError;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
    // --help, --version and usage errors are answered before the application connects to a
    // display; the toolkit's own options (-platform, -style) are left to QApplication.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const ParsedCommandLine parsed = annalex::wizard::parseWizardCommandLine(arguments);
    if (const auto status = answerWithoutWindow(parsed)) {
        return *status;
    }
    const annalex::wizard::WizardOptions& options = parsed.options;

    std::error_code noProgram;
    annalex::wizard::adoptInstalledLayout(
        std::filesystem::read_symlink("/proc/self/exe", noProgram));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("annalex-wizard"));

    annalex::wizard::QtStoreDialogs dialogs;
    auto store = annalex::wizard::openStore(options.store, dialogs);
    if (!store) {
        return 0;  // the person cancelled the file dialog
    }
    annalex::wizard::WizardWindow window(std::move(*store), dialogs);
    dialogs.setParentWidget(&window);
    if (options.failGeneration) {
        window.page().setTheTimeDimension(
            std::make_shared<annalex::testing::RefusingDimension>(window.timeDimension()));
    }
    if (options.autoOkAfterMs >= 0) {
        QTimer::singleShot(options.autoOkAfterMs, &window, [&window] {
            window.page().messageService().setShownHook(
                [](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); });
            if (auto* ok = qobject_cast<QPushButton*>(window.page().controlWidget("btOk"))) {
                ok->click();
            }
        });
    }
    if (options.quitAfterResult) {
        QObject::connect(&window, &annalex::wizard::WizardWindow::resultShown, &app,
                         [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });
    }
    window.show();
    // After show, so that a message box about a choice has the page behind it. The calendar
    // the store holds decides over the last run's choices, the command line over both.
    annalex::wizard::applyChoices(annalex::wizard::rememberedChoices()
                                      .overriddenBy(annalex::wizard::storedCalendarChoices(
                                          window.storePath(), *window.timeDimension()))
                                      .overriddenBy(options.choices),
                                  window.page(), window.rules());
    return QApplication::exec();
}
