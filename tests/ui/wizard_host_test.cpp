// The desktop host around its window: the store checks before the page shows, the command
// line (with --help and --version answered without a display), and the end of the program once
// an error report has been dismissed.

#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "page_choices.hpp"
#include "report/report_sandbox.hpp"
#include "store_location.hpp"
#include "support/refusing_dimension.hpp"
#include "ui/message_catcher.hpp"
#include "ui/qt_error_report.hpp"
#include "ui/scripted_dialogs.hpp"
#include "wizard_options.hpp"
#include "wizard_window.hpp"

using annalex::testing::ScriptedDialogs;
using annalex::wizard::ParsedCommandLine;
namespace wizard = annalex::wizard;

namespace {

ParsedCommandLine parse(QStringList arguments) {
    arguments.prepend("annalex-wizard");
    return wizard::parseWizardCommandLine(arguments);
}

}  // namespace

class WizardHostTest : public QObject {
    Q_OBJECT

    QTemporaryDir directory;

  private slots:
    void initTestCase() { QVERIFY(directory.isValid()); }

    void aStoreNameWithoutExtensionGetsCube() {
        const std::pair<QString, QString> cases[] = {
            {"calendar", "calendar.cube"},    {"calendar.cube", "calendar.cube"},
            {"calendar.db", "calendar.db"},   {"dir.d/calendar", "dir.d/calendar.cube"},
            {"/tmp/.hidden", "/tmp/.hidden"}, {"", ""},
        };
        for (const auto& [given, expected] : cases) {
            QCOMPARE(wizard::withStoreExtension(given), expected);
        }
    }

    void aStoreLocationIsCheckedBeforeUse() {
        QCOMPARE(wizard::storeLocationProblem(directory.filePath("new.cube")), QString());
        const QString missing = wizard::storeLocationProblem(directory.filePath("no/new.cube"));
        QVERIFY2(missing.contains(directory.filePath("no")) && missing.contains("does not exist"),
                 qPrintable(missing));
        QVERIFY(wizard::storeLocationProblem(directory.path()).contains("is a folder"));

        // A folder that takes no new file: read-only rights for a user, /proc for root.
        QString readOnly = "/proc/annalex.cube";
        if (::geteuid() != 0) {
            const QString folder = directory.filePath("locked");
            QVERIFY(QDir().mkpath(folder));
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            readOnly = folder + "/new.cube";
        }
        QVERIFY(wizard::storeLocationProblem(readOnly).contains("read-only"));
        // The probe leaves nothing behind.
        QCOMPARE(QDir(directory.path()).entryList(QDir::Hidden | QDir::Files).size(), 0);
    }

    void openingAsksAgainUntilAStoreOpens() {
        const QString notAStore = directory.filePath("notes.cube");
        {
            QFile file(notAStore);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("These are notes, not a cube store.\n");
        }
        ScriptedDialogs dialogs;
        dialogs.paths = {directory.filePath("gone/x"), directory.filePath("fresh")};
        const auto opened = wizard::openStore(notAStore, dialogs);
        QVERIFY(opened.has_value());
        QCOMPARE(opened->path, directory.filePath("fresh.cube"));
        QVERIFY(opened->cube != nullptr);
        QCOMPARE(dialogs.told.size(), 2);
        QVERIFY(dialogs.told[0].contains("notes.cube"));
        QVERIFY(dialogs.told[1].contains("does not exist"));
        QCOMPARE(dialogs.suggestions.first(), notAStore);
        QFile file(notAStore);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("These are notes, not a cube store.\n"));

        // Without a path the dialog comes first; cancelling it ends the opening.
        ScriptedDialogs cancelled;
        QVERIFY(!wizard::openStore("", cancelled).has_value());
        QCOMPARE(cancelled.suggestions.size(), 1);
        QVERIFY(cancelled.told.isEmpty());
    }

    void theFileDialogOpensOrCreatesACubeStore() {
        wizard::QtStoreDialogs dialogs;
        QString accept;
        QTimer::singleShot(0, [&accept] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            accept = dialog->labelText(QFileDialog::Accept);
            dialog->selectFile("calendar");
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const QString chosen = dialogs.askForStore(directory.path());
        QCOMPARE(accept, "Open or create");
        QCOMPARE(chosen, directory.filePath("calendar.cube"));
    }

    void theCommandLineTakesThePageChoices() {
        const ParsedCommandLine run = parse(
            {"--levels", "year,DAY", "--calendar", "Retail", "--start", "1-1-2020", "--end",
             "31-12-2021", "--day-format", "dddd", "--pattern", "454", "--fill-attributes",
             "--language", "pt-br", "--auto-ok-after-ms", "100", "--quit-after-result", "my.cube"});
        QCOMPARE(run.outcome, ParsedCommandLine::Outcome::Run);
        QCOMPARE(run.options.store, "my.cube");
        QCOMPARE(run.options.choices.text(wizard::Choice::Levels), "Year,Day");
        QCOMPARE(run.options.choices.text(wizard::Choice::Calendar), "retail");
        QCOMPARE(run.options.choices.text(wizard::Choice::DayFormat), "DDDD");
        QCOMPARE(run.options.choices.text(wizard::Choice::FillAttributes), "true");
        QCOMPARE(run.options.choices.text(wizard::Choice::Language), "pt-BR");
        QVERIFY(!run.options.choices.text(wizard::Choice::MonthFormat).has_value());
        QCOMPARE(run.options.autoOkAfterMs, 100);
        QVERIFY(run.options.quitAfterResult && !run.options.failGeneration);

        const std::pair<QStringList, QString> refused[] = {
            {{"--levels", "Year,Fortnight"}, "Year, Quarter, Month, Week, Day"},
            {{"--calendar", "lunar"}, "gregorian, fiscal, iso, retail or periods13"},
            {{"--start", "1-1"}, "--start"},
            {{"--month-format", "M"}, "--month-format"},
            {{"--week-start", "someday"}, "--week-start"},
            {{"--year-end-month", "13"}, "--year-end-month"},
            {{"--pattern", "455"}, "--pattern"},
            {{"--long-quarter", "5"}, "--long-quarter"},
            {{"--language", "en-UK"}, "'en-UK' is not valid: expected a BCP 47 tag"},
            {{"--auto-ok-after-ms", "soon"}, "--auto-ok-after-ms"},
            {{"--calendar", "gregorian", "--pattern", "454"}, "--pattern"},
            {{"--calendar", "retail", "--long-quarter", "2"}, "--long-quarter"},
            {{"--calendar", "iso", "--week-start", "mon"}, "--week-start"},
            {{"--calendar", "iso", "--levels", "Year,Month"}, "--levels"},
            {{"--colour"}, "colour"},
            {{"-platform", "offscreen", "--colour"}, "colour"},
            {{"a.cube", "b.cube"}, "b.cube"},
        };
        for (const auto& [arguments, named] : refused) {
            const ParsedCommandLine parsed = parse(arguments);
            QCOMPARE(parsed.outcome, ParsedCommandLine::Outcome::UsageError);
            QVERIFY2(parsed.text.contains(named), qPrintable(parsed.text));
        }
    }

    void helpAndVersionNeedNoDisplay() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(name);
        }
        const auto run = [&environment](const QStringList& arguments) {
            QProcess process;
            process.setProcessEnvironment(environment);
            process.start(ANNALEX_WIZARD_PROGRAM, arguments);
            process.waitForFinished(20000);
            return std::tuple{process.exitCode(),
                              QString::fromLocal8Bit(process.readAllStandardOutput()),
                              QString::fromLocal8Bit(process.readAllStandardError())};
        };
        const auto [helpStatus, help, helpErrors] = run({"--help"});
        QCOMPARE(helpStatus, 0);
        QVERIFY2(help.contains("--quit-after-result"), qPrintable(help));
        const auto [versionStatus, version, versionErrors] = run({"--version"});
        QCOMPARE(versionStatus, 0);
        QVERIFY(version.startsWith("annalex-wizard " ANNALEX_VERSION));
        // Usage errors too, an unknown option among the toolkit's own included.
        const auto [errorStatus, out, errors] = run({"-style", "fusion", "--bogus"});
        QCOMPARE(errorStatus, 2);
        QVERIFY2(errors.contains("bogus") && errors.contains("--help"), qPrintable(errors));
    }

    // A failure of Ok closes the window and shows the report, and the calendar cut short is
    // not saved; once the report is dismissed (here by the window's close, which does what
    // Close does), the program's event loop ends with no window left.
    void aDismissedReportEndsTheHost() {
        annalex::testing::ReportSandbox sandbox(
            annalex::testing::ReportSandbox::Layout::ApplicationDirIsInstalled);
        annalex::testing::MessageCatcher reportMessages;
        reportMessages.attach(annalex::ui::QtErrorReport::instance().messages());
        ScriptedDialogs dialogs;
        const QString store = directory.filePath(QStringLiteral("failed.cube"));
        wizard::WizardWindow window(wizard::openCubeForWizard(store), dialogs);
        annalex::testing::MessageCatcher pageMessages;
        pageMessages.attach(window.page().messageService());
        window.page().setTheTimeDimension(
            std::make_shared<annalex::testing::RefusingDimension>(window.timeDimension()));
        window.page().core().page().availableList.setSelected(0, true);
        window.show();

        QTimer::singleShot(0, &window, [&window] { window.page().core().page().btOk.click(); });
        QTimer dismiss;
        QObject::connect(&dismiss, &QTimer::timeout, [] {
            annalex::ui::ReportDialog* dialog = annalex::ui::QtErrorReport::instance().dialog();
            if (dialog == nullptr || !dialog->isVisible()) {
                return;
            }
            dialog->findChild<QPlainTextEdit*>("edtWhatDoing")->setPlainText("Pressed Ok");
            dialog->close();
        });
        dismiss.start(50);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(30000);
        QCOMPARE(QApplication::exec(), 0);
        for (QWidget* shown : QApplication::topLevelWidgets()) {
            QVERIFY2(!shown->isVisible(), qPrintable(shown->objectName()));
        }
        QVERIFY(!sandbox.restarts().empty());
        // The calendar cut short by the failure was not saved.
        QVERIFY(!QFile::exists(store));
    }
};

QTEST_MAIN(WizardHostTest)
#include "wizard_host_test.moc"
