// The desktop host's window: it gives the page the cube's time dimension, saves and shows the
// result after Ok, offers another store when a save fails, shows a stored calendar first and
// asks before replacing it, lets the "Calendar rules" panel take over from the page's calendar
// buttons (and its levels), remembers the choices for the next run and for each store, keeps
// painting while it generates, never loses a calendar that is not saved, and fits the screen.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTreeView>
#include <QTreeWidget>
#include <filesystem>
#include <map>

#include "cube_source.hpp"
#include "page_choices.hpp"
#include "remembered_choices.hpp"
#include "ui/busy_scope.hpp"
#include "ui/dimension_model.hpp"
#include "ui/message_catcher.hpp"
#include "ui/scripted_dialogs.hpp"
#include "wizard_window.hpp"

using annalex::testing::ScriptedDialogs;
using annalex::wizard::Choice;
using annalex::wizard::OpenedStore;
using annalex::wizard::PageChoices;
using annalex::wizard::WizardWindow;
namespace cube = annalex::cube;
namespace wizard = annalex::wizard;

namespace {

std::size_t memberCount(const cube::MemoryDimension& dimension) {
    return dimension.hierarchies().empty() ? 0 : dimension.hierarchies().front()->memberCount();
}

// A wizard window on screen whose page messages are recorded and closed.
struct ShownWizard {
    ShownWizard(OpenedStore store, wizard::StoreDialogs& dialogs)
        : window(std::move(store), dialogs) {
        catcher.attach(window.page().messageService());
        window.show();
    }
    void choose(const PageChoices& choices) {
        wizard::applyChoices(choices, window.page(), window.rules());
    }
    void pressOk() { QTest::mouseClick(window.findChild<QPushButton*>("btOk"), Qt::LeftButton); }

    WizardWindow window;
    annalex::testing::MessageCatcher catcher;
};

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Calls watch for every event an object receives, before the object does.
class EventWatcher final : public QObject {
  public:
    EventWatcher(QObject* watched, std::function<void(QEvent*)> watch) : watch_(std::move(watch)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        watch_(event);
        return false;
    }

  private:
    std::function<void(QEvent*)> watch_;
};

void postClick(QWidget* widget) {
    const QPointF at(widget->rect().center());
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QCoreApplication::postEvent(
            widget,
            new QMouseEvent(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {}));
    }
}

PageChoices choices(std::initializer_list<std::pair<Choice, const char*>> texts) {
    PageChoices result;
    for (const auto& [choice, text] : texts) {
        if (!result.set(choice, QString::fromLatin1(text)).isEmpty()) {
            qFatal("rejected choice %s", text);
        }
    }
    return result;
}

}  // namespace

class WizardTest : public QObject {
    Q_OBJECT

    QTemporaryDir directory;
    ScriptedDialogs dialogs;

  private slots:
    void initTestCase() {
        QVERIFY(directory.isValid());
        // The remembered choices go to a settings store of the test's own.
        qputenv("ANNALEX_SETTINGS_DIR", directory.filePath("settings").toLocal8Bit());
        QVERIFY(QDir().mkpath(directory.filePath("settings")));
    }
    void init() { dialogs = ScriptedDialogs(); }

    // The page gets the store's time dimension; Ok generates into it, saves and shows it.
    void okSavesTheStoreAndShowsTheResult() {
        const QString path = directory.filePath("calendar.cube");
        OpenedStore opened = wizard::openCubeForWizard(path);
        const auto cube = opened.cube;
        ShownWizard shown(std::move(opened), dialogs);
        QCOMPARE(shown.window.timeDimension(), cube->dimension("Time"));
        QCOMPARE(shown.window.page().theCube(), cube::CubeRef(cube));
        QVERIFY(!shown.window.showingTree());
        QSignalSpy result(&shown.window, &WizardWindow::resultShown);
        auto* levels = shown.window.findChild<QListWidget*>("availableList");
        for (int entry : {0, 2}) {  // Year and Month
            QTest::mouseClick(levels->viewport(), Qt::LeftButton, {},
                              levels->visualItemRect(levels->item(entry)).center());
        }
        shown.pressOk();
        QCOMPARE(shown.catcher.boxes.size(), std::size_t{1});  // the notice before the work
        QVERIFY(shown.window.showingTree());
        QVERIFY(shown.window.saved());
        QCOMPARE(result.count(), 1);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(memberCount(*shown.window.timeDimension()), std::size_t{13});

        const OpenedStore reread = wizard::openCubeForWizard(path);
        QCOMPARE(memberCount(*reread.cube->dimension("Time")), std::size_t{13});
    }

    void aStoredCalendarShowsFirstAndOkAsksBeforeReplacingIt() {
        const QString path = directory.filePath("stored.cube");
        {
            ShownWizard first(wizard::openCubeForWizard(path), dialogs);
            first.choose(choices({{Choice::Levels, "Year,Month,Day"},
                                  {Choice::Start, "1-1-2001"},
                                  {Choice::End, "31-12-2100"}}));
            first.pressOk();
            QVERIFY(first.window.showingTree());
        }
        const qint64 largeSize = QFileInfo(path).size();
        ShownWizard shown(wizard::openCubeForWizard(path), dialogs);
        QVERIFY(shown.window.showingTree());
        QTest::mouseClick(shown.window.findChild<QPushButton*>("generateAgainButton"),
                          Qt::LeftButton);
        QVERIFY(!shown.window.showingTree());
        shown.choose(choices({{Choice::Levels, "Year,Quarter"},
                              {Choice::Start, "1-1-2001"},
                              {Choice::End, "31-12-2001"}}));
        const std::size_t largeCount = memberCount(*shown.window.timeDimension());

        dialogs.replies = {false};
        shown.pressOk();
        QCOMPARE(dialogs.asked.size(), 1);
        QVERIFY(dialogs.asked[0].contains("already holds a calendar"));
        QTest::qWait(20);
        QVERIFY(!shown.window.showingTree());
        QCOMPARE(memberCount(*shown.window.timeDimension()), largeCount);

        dialogs.replies = {true};
        shown.pressOk();
        QTRY_VERIFY(shown.window.showingTree());
        QCOMPARE(dialogs.asked.size(), 2);
        QCOMPARE(memberCount(*wizard::openCubeForWizard(path).cube->dimension("Time")),
                 std::size_t{5});
        // The small calendar gave the large one's space back to the disk.
        QVERIFY2(QFileInfo(path).size() * 4 < largeSize,
                 qPrintable(QString("%1 -> %2").arg(largeSize).arg(QFileInfo(path).size())));
    }

    void aFailedSaveOffersAnotherStore() {
        const QString folder = directory.filePath("vanishing");
        QVERIFY(QDir().mkpath(folder));
        ShownWizard shown(wizard::openCubeForWizard(folder + "/calendar.cube"), dialogs);
        QVERIFY(QDir(folder).removeRecursively());  // the save has nowhere to go
        shown.choose(choices({{Choice::Levels, "Year"}}));

        // The first other place is missing too; the second is taken, ".cube" added.
        dialogs.replies = {true};
        dialogs.paths = {directory.filePath("missing/x.cube"), directory.filePath("elsewhere")};
        shown.pressOk();
        QVERIFY(shown.window.showingTree());
        QVERIFY(shown.window.saved());
        QCOMPARE(dialogs.asked.size(), 1);
        QVERIFY(dialogs.asked[0].contains("vanishing"));
        QCOMPARE(dialogs.told.size(), 1);
        QVERIFY(dialogs.told[0].contains("does not exist"));
        QCOMPARE(shown.window.storePath(), directory.filePath("elsewhere.cube"));
        QCOMPARE(shown.window.windowTitle(), "elsewhere.cube - Annalex Calendar Wizard");
        QCOMPARE(memberCount(
                     *wizard::openCubeForWizard(shown.window.storePath()).cube->dimension("Time")),
                 std::size_t{1});

        // Declining another store leaves the result shown as not saved.
        QVERIFY(QDir().mkpath(folder));
        ShownWizard declined(wizard::openCubeForWizard(folder + "/calendar.cube"), dialogs);
        QVERIFY(QDir(folder).removeRecursively());
        declined.choose(choices({{Choice::Levels, "Year"}}));
        declined.pressOk();
        QVERIFY(declined.window.showingTree());
        QVERIFY(!declined.window.saved());
    }

    void theRulesPanelTakesOverFromThePageButtons() {
        ShownWizard shown(wizard::openCubeForWizard(""), dialogs);
        auto* calendar = shown.window.findChild<QComboBox*>("calendarChoice");
        const auto pageButtonsEnabled = [&] {
            return shown.window.page().controlWidget("calendarType", 0)->isEnabled() &&
                   shown.window.page().controlWidget("calendarType", 1)->isEnabled();
        };
        const auto optionEnabled = [&](const char* name) {
            return shown.window.rules().findChild<QWidget*>(name)->isEnabled();
        };
        QVERIFY(pageButtonsEnabled());
        QVERIFY(!optionEnabled("pattern"));

        calendar->setCurrentIndex(calendar->findData("retail"));
        QVERIFY(!shown.window.page().controlWidget("calendarType", 0)->isEnabled());
        QVERIFY(!shown.window.page().controlWidget("calendarType", 1)->isEnabled());
        QVERIFY(optionEnabled("pattern") && optionEnabled("weekStart"));
        QVERIFY(!optionEnabled("longQuarter"));
        QCOMPARE(shown.window.page().core().chosenCalendar(), "retail");

        // The retail year ending on the last Saturday of December 2022 has 53 weeks.
        shown.choose(choices({{Choice::Levels, "Year,Week"},
                              {Choice::Start, "1-1-2022"},
                              {Choice::End, "31-12-2022"}}));
        shown.pressOk();
        QVERIFY(shown.window.showingTree());
        QCOMPARE(memberCount(*shown.window.timeDimension()), std::size_t{54});

        calendar->setCurrentIndex(0);
        QVERIFY(pageButtonsEnabled());
        QCOMPARE(shown.window.page().core().chosenCalendar(), "gregorian");
        QVERIFY(!optionEnabled("weekStart"));
    }

    // The holiday set and weekend are offered while attributes are filled, and reach the
    // members: 4 July 2021 is a Sunday, so the United States observe it on Monday 5 July.
    void theRulesPanelFillsHolidaysAndWeekend() {
        ShownWizard shown(wizard::openCubeForWizard(""), dialogs);
        auto* holidays = shown.window.findChild<QComboBox*>("holidays");
        QVERIFY(!holidays->isEnabled());
        shown.window.findChild<QCheckBox*>("fillAttributes")->setChecked(true);
        QVERIFY(holidays->isEnabled());
        holidays->setCurrentIndex(holidays->findData("us"));
        shown.window.findChild<QCheckBox*>("weekend0")->setChecked(false);  // Sunday
        shown.window.findChild<QCheckBox*>("weekend5")->setChecked(true);   // Friday
        shown.choose(choices({{Choice::Levels, "Year,Week,Day"},
                              {Choice::Calendar, "iso"},
                              {Choice::Start, "1-7-2021"},
                              {Choice::End, "31-7-2021"}}));
        shown.pressOk();
        QVERIFY(shown.window.showingTree());
        const auto& hierarchy = *shown.window.timeDimension()->hierarchies().front();
        std::map<std::string, std::map<std::string, std::string>> days;
        for (std::uint32_t id = 0; id < hierarchy.memberCount(); ++id) {
            auto& values = days[std::string(hierarchy.member(id).name())];
            hierarchy.forEachAttribute(id, [&](std::string_view key, std::string_view value) {
                values[std::string(key)] = value;
            });
        }
        QCOMPARE(days["Mon 5 Jul_2021"]["DayHoliday"], "Independence Day (observed)");
        QCOMPARE(days["Fri 9 Jul_2021"]["DayWeekend"], "Yes");
        QCOMPARE(days["Sun 11 Jul_2021"]["DayWeekend"], "No");
    }

    void choicesAreRememberedForTheNextRun() {
        // Every choice away from what a fresh page shows.
        const PageChoices made = choices({{Choice::Levels, "Year,Week"},
                                          {Choice::Calendar, "retail"},
                                          {Choice::Start, "1-1-2020"},
                                          {Choice::End, "31-12-2021"},
                                          {Choice::DayFormat, "DDDD"},
                                          {Choice::MonthFormat, "MMMM"},
                                          {Choice::YearFormat, "YYYY"},
                                          {Choice::WeekStart, "mon"},
                                          {Choice::YearEndMonth, "1"},
                                          {Choice::YearEndRule, "nearest"},
                                          {Choice::YearName, "start"},
                                          {Choice::Pattern, "454"},
                                          {Choice::LongQuarter, "2"},
                                          {Choice::FillAttributes, "true"},
                                          {Choice::Holidays, "gb-eng"},
                                          {Choice::Weekend, "fri,sat"}});
        {
            ShownWizard first(wizard::openCubeForWizard(""), dialogs);
            first.choose(made);
            first.pressOk();
            QVERIFY(first.window.showingTree());
        }
        ShownWizard fresh(wizard::openCubeForWizard(""), dialogs);
        const PageChoices before =
            wizard::currentChoices(fresh.window.page(), fresh.window.rules());
        fresh.choose(wizard::rememberedChoices());
        const PageChoices after = wizard::currentChoices(fresh.window.page(), fresh.window.rules());
        for (const wizard::ChoiceName& name : wizard::choiceNames()) {
            QVERIFY2(before.text(name.choice) != made.text(name.choice), name.setting);
            QCOMPARE(after.text(name.choice), made.text(name.choice));
        }
        QVERIFY(!fresh.window.page().controlWidget("calendarType", 0)->isEnabled());
    }

    void busyWorkSwallowsInputAndRunsOffTheWindowThread() {
        QPushButton button("Press");
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QSignalSpy clicked(&button, &QPushButton::clicked);
        QThread* workThread = nullptr;
        {
            annalex::ui::BusyScope busy;
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            postClick(&button);  // made while the window was busy: never delivered
            annalex::ui::runWithProgress(&button, "Working", [&workThread] {
                workThread = QThread::currentThread();
                QThread::msleep(50);
            });
            postClick(&button);  // still queued when the work ends
        }
        QCOMPARE(clicked.count(), 0);
        QVERIFY(workThread != nullptr && workThread != QThread::currentThread());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        postClick(&button);
        QTRY_COMPARE(clicked.count(), 1);
    }

    // Cancel returns to the calendar the store holds; without one it closes the window. Over a
    // calendar, Ok checks the input before it asks to replace it.
    void cancelReturnsToTheCalendarAndOkChecksBeforeAsking() {
        ShownWizard empty(wizard::openCubeForWizard(""), dialogs);
        QTest::mouseClick(empty.window.findChild<QPushButton*>("btCancel"), Qt::LeftButton);
        QVERIFY(!empty.window.isVisible());

        const QString path = directory.filePath("again.cube");
        {
            ShownWizard first(wizard::openCubeForWizard(path), dialogs);
            first.choose(choices({{Choice::Levels, "Year"}}));
            first.pressOk();
        }
        ShownWizard shown(wizard::openCubeForWizard(path), dialogs);
        QTest::mouseClick(shown.window.findChild<QPushButton*>("generateAgainButton"),
                          Qt::LeftButton);
        shown.choose(choices({{Choice::End, "31-02-2001"}}));
        shown.pressOk();
        QCOMPARE(shown.catcher.texts(), QStringList{"Invalid day"});
        QVERIFY(dialogs.asked.isEmpty());
        QTest::mouseClick(shown.window.findChild<QPushButton*>("btCancel"), Qt::LeftButton);
        QVERIFY(shown.window.isVisible() && shown.window.showingTree());
    }

    // ISO weeks have no quarters or months: while the calendar is chosen those levels cannot
    // be ticked, and ticks made before (a remembered calendar with the command line's levels)
    // can be cleared but reach Ok only as a message, never as a calendar over the stored one.
    void levelsTheChosenCalendarLacksNeverReplaceACalendar() {
        const QString path = directory.filePath("weeks.cube");
        {
            ShownWizard first(wizard::openCubeForWizard(path), dialogs);
            first.choose(choices({{Choice::Levels, "Year,Month"}}));
            first.pressOk();
        }
        const QByteArray stored = contentsOf(path);
        ShownWizard shown(wizard::openCubeForWizard(path), dialogs);
        QTest::mouseClick(shown.window.findChild<QPushButton*>("generateAgainButton"),
                          Qt::LeftButton);
        shown.choose(
            choices({{Choice::Calendar, "iso"}, {Choice::Levels, "Year,Quarter,Month,Week,Day"}}));
        auto* levels = shown.window.findChild<QListWidget*>("availableList");
        const auto enabled = [levels](int row) {
            return levels->item(row)->flags().testFlag(Qt::ItemIsEnabled);
        };
        const auto clickRow = [levels](int row) {
            QTest::mouseClick(levels->viewport(), Qt::LeftButton, {},
                              levels->visualItemRect(levels->item(row)).center());
        };
        QVERIFY(enabled(1) && enabled(2));
        dialogs.replies = {true};
        shown.pressOk();
        QCOMPARE(shown.catcher.texts(),
                 QStringList{"The calendar \"ISO 8601 weeks\" has no Quarter or Month level. "
                             "Please untick them or choose another calendar."});
        QVERIFY(dialogs.asked.isEmpty());
        QVERIFY(!shown.window.showingTree());
        QCOMPARE(contentsOf(path), stored);

        clickRow(1);
        QVERIFY(!enabled(1) && levels->item(1)->checkState() == Qt::Unchecked);
        clickRow(1);
        QCOMPARE(levels->item(1)->checkState(), Qt::Unchecked);
        auto* calendar = shown.window.findChild<QComboBox*>("calendarChoice");
        calendar->setCurrentIndex(0);
        QVERIFY(enabled(1));
        clickRow(1);
        QCOMPARE(levels->item(1)->checkState(), Qt::Checked);
    }

    // A store's calendar brings back the choices it was made with, whatever was generated
    // elsewhere since; a store the wizard did not save shows at least its levels.
    void aStoredCalendarKeepsItsOwnChoices() {
        const QString path = directory.filePath("own.cube");
        const PageChoices made = choices({{Choice::Levels, "Year,Quarter"},
                                          {Choice::Calendar, "fiscal"},
                                          {Choice::Start, "1-4-2001"},
                                          {Choice::End, "31-3-2003"},
                                          {Choice::MonthFormat, "MMMM"}});
        {
            ShownWizard first(wizard::openCubeForWizard(path), dialogs);
            first.choose(made);
            first.pressOk();
        }
        {
            ShownWizard other(wizard::openCubeForWizard(directory.filePath("other.cube")), dialogs);
            other.choose(choices({{Choice::Levels, "Year,Week"}, {Choice::MonthFormat, "MM"}}));
            other.pressOk();
        }
        const auto dimension = wizard::openCubeForWizard(path).cube->dimension("Time");
        const PageChoices stored = wizard::storedCalendarChoices(path, *dimension);
        for (const Choice choice :
             {Choice::Levels, Choice::Calendar, Choice::Start, Choice::End, Choice::MonthFormat}) {
            QCOMPARE(stored.text(choice), made.text(choice));
        }
        const QString copy = directory.filePath("copy.cube");
        QVERIFY(QFile::copy(path, copy));
        const PageChoices copied = wizard::storedCalendarChoices(copy, *dimension);
        QCOMPARE(copied.text(Choice::Levels), "Year,Quarter");
        QVERIFY(!copied.text(Choice::Calendar).has_value());
    }

    // Enter opens and closes rows, never the window; closing a calendar that could not be
    // saved asks first.
    void enterAndCloseNeverLoseAnUnsavedCalendar() {
        const QString folder = directory.filePath("gone");
        QVERIFY(QDir().mkpath(folder));
        ShownWizard shown(wizard::openCubeForWizard(folder + "/calendar.cube"), dialogs);
        QVERIFY(QDir(folder).removeRecursively());
        shown.choose(choices({{Choice::Levels, "Year,Month"}}));
        shown.pressOk();
        QVERIFY(shown.window.showingTree() && !shown.window.saved());

        QTreeView& tree = shown.window.result().tree();
        const QModelIndex year = shown.window.result().model().index(
            0, 0, shown.window.result().model().membersIndex(0));
        tree.setCurrentIndex(year);
        tree.setFocus();
        QTest::keyClick(&tree, Qt::Key_Return);
        QVERIFY(tree.isExpanded(year));
        QTest::keyClick(&tree, Qt::Key_Enter);
        QVERIFY(!tree.isExpanded(year));
        shown.window.result().details().setFocus();
        QTest::keyClick(&shown.window.result().details(), Qt::Key_Return);
        QVERIFY(shown.window.isVisible());
        QVERIFY(dialogs.asked.size() == 1);  // the failed save's question

        QTest::keyClick(&tree, Qt::Key_Escape);
        QCOMPARE(dialogs.asked.size(), 2);
        QVERIFY(dialogs.asked.last().contains("could not be saved"));
        QVERIFY(shown.window.isVisible());
        dialogs.replies = {true};
        QTest::mouseClick(shown.window.findChild<QPushButton*>("closeButton"), Qt::LeftButton);
        QVERIFY(!shown.window.isVisible());
    }

    // The window paints while Ok generates (every few thousand members), and a click made
    // meanwhile is dropped rather than pressing Cancel.
    void theWindowPaintsWhileItGenerates() {
        ShownWizard shown(wizard::openCubeForWizard(""), dialogs);
        shown.choose(choices({{Choice::Levels, "Year,Quarter,Month,Week,Day"},
                              {Choice::Start, "1-1-2000"},
                              {Choice::End, "31-12-2019"},
                              {Choice::FillAttributes, "true"}}));
        auto* status = shown.window.findChild<QLabel*>("generationStatus");
        auto* cancel = shown.window.findChild<QPushButton*>("btCancel");
        int paintsWhileGenerating = 0;
        EventWatcher watcher(status, [&](QEvent* event) {
            // Painted with the count of members made so far.
            if (event->type() == QEvent::Paint && shown.window.generating() &&
                !status->text().isEmpty() && ++paintsWhileGenerating == 1) {
                postClick(cancel);
            }
        });
        shown.pressOk();
        QVERIFY(paintsWhileGenerating >= 1);
        QVERIFY(shown.window.isVisible());
        QVERIFY(shown.window.showingTree());
        QVERIFY(memberCount(*shown.window.timeDimension()) > 2 * WizardWindow::kMembersPerRepaint);
    }

    // The page (scrolled as needed) and the result's buttons lie on the screen; run on an
    // 800x600 screen as well.
    void theWindowFitsTheScreen() {
        ShownWizard shown(wizard::openCubeForWizard(""), dialogs);
        QVERIFY(QTest::qWaitForWindowExposed(&shown.window));
        const QRect screen = shown.window.screen()->availableGeometry();
        const auto reachable = [&shown](QWidget* widget) {
            const QRect inWindow(widget->mapTo(&shown.window, QPoint()), widget->size());
            return widget->isVisibleTo(&shown.window) && shown.window.rect().contains(inWindow);
        };
        QVERIFY2(screen.contains(shown.window.frameGeometry()),
                 qPrintable(QString("%1x%2").arg(shown.window.width()).arg(shown.window.height())));
        auto* scroll = shown.window.findChild<QScrollArea*>("pageScroll");
        for (const char* name : {"weekend6", "holidays", "btOk", "txtEndYear", "cmbYear"}) {
            auto* widget = shown.window.findChild<QWidget*>(name);
            scroll->ensureWidgetVisible(widget);
            QVERIFY2(reachable(widget), name);
        }
        shown.choose(choices({{Choice::Levels, "Year"}}));
        shown.pressOk();
        QVERIFY(screen.contains(shown.window.frameGeometry()));
        for (const char* name :
             {"exportJsonButton", "exportCsvButton", "generateAgainButton", "closeButton"}) {
            QVERIFY2(reachable(shown.window.findChild<QWidget*>(name)), name);
        }
    }
};

QTEST_MAIN(WizardTest)
#include "wizard_test.moc"
