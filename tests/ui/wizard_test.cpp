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
#include <QTreeView>
#include <filesystem>
#include <map>

#include "cube_source.hpp"
#include "page_choices.hpp"
#include "remembered_choices.hpp"
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

// Calls watch with every event an object receives, before the object does.
struct EventWatcher final : QObject {
    std::function<void(QEvent*)> watch;
    bool eventFilter(QObject*, QEvent* event) override {
        watch(event);
        return false;
    }
};

// Clicks a level's tick in the page's list; true when the level is then ticked.
bool clickLevel(WizardWindow& window, int row) {
    auto* levels = window.findChild<QListWidget*>("availableList");
    QTest::mouseClick(levels->viewport(), Qt::LeftButton, {},
                      levels->visualItemRect(levels->item(row)).center());
    return levels->item(row)->checkState() == Qt::Checked;
}

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

    // The page gets the store's time dimension; Ok generates into it, saves and shows it. Over
    // a stored calendar Ok checks the input first, then asks; only a yes replaces it, and
    // Cancel goes back to it.
    void okSavesTheStoreAndOverAStoredCalendarAsksBeforeReplacingIt() {
        const QString path = directory.filePath("stored.cube");
        {
            OpenedStore opened = wizard::openCubeForWizard(path);
            const auto cube = opened.cube;
            ShownWizard first(std::move(opened), dialogs);
            QCOMPARE(first.window.timeDimension(), cube->dimension("Time"));
            QCOMPARE(first.window.page().theCube(), cube::CubeRef(cube));
            QVERIFY(!first.window.showingTree());
            QSignalSpy result(&first.window, &WizardWindow::resultShown);
            QVERIFY(clickLevel(first.window, 0) && clickLevel(first.window, 2));  // Year, Month
            first.pressOk();
            QCOMPARE(first.catcher.boxes.size(), std::size_t{1});  // the notice before the work
            QVERIFY(first.window.showingTree() && first.window.saved());
            QCOMPARE(result.count(), 1);
            QVERIFY(QApplication::overrideCursor() == nullptr);
        }
        const QByteArray stored = contentsOf(path);
        ShownWizard shown(wizard::openCubeForWizard(path), dialogs);
        QVERIFY(shown.window.showingTree());
        const auto generateAgain = [&shown] {
            QTest::mouseClick(shown.window.findChild<QPushButton*>("generateAgainButton"),
                              Qt::LeftButton);
            QVERIFY(!shown.window.showingTree());
        };
        generateAgain();
        shown.choose(choices({{Choice::Levels, "Year,Quarter"}, {Choice::End, "31-02-2001"}}));
        dialogs.replies = {true};
        shown.pressOk();
        QCOMPARE(shown.catcher.boxes.size(), std::size_t{1});  // the day, before any question
        QVERIFY(dialogs.asked.isEmpty());
        QTest::mouseClick(shown.window.findChild<QPushButton*>("btCancel"), Qt::LeftButton);
        QVERIFY(shown.window.isVisible() && shown.window.showingTree());
        generateAgain();

        shown.choose(choices({{Choice::End, "31-12-2001"}}));
        dialogs.replies = {false};
        shown.pressOk();
        QCOMPARE(dialogs.asked.size(), 1);
        QVERIFY(dialogs.asked[0].contains("already holds a calendar"));
        QVERIFY(!shown.window.showingTree());
        QCOMPARE(memberCount(*shown.window.timeDimension()), std::size_t{13});
        QCOMPARE(contentsOf(path), stored);

        dialogs.replies = {true};
        shown.pressOk();
        QTRY_VERIFY(shown.window.showingTree());
        QCOMPARE(memberCount(*wizard::openCubeForWizard(path).cube->dimension("Time")),
                 std::size_t{5});
    }

    void aFailedSaveOffersAnotherStore() {
        const QString folder = directory.filePath("vanishing");
        QVERIFY(QDir().mkpath(folder));
        ShownWizard shown(wizard::openCubeForWizard(folder + "/calendar.cube"), dialogs);
        QVERIFY(QDir(folder).removeRecursively());  // the save has nowhere to go
        shown.choose(choices({{Choice::Levels, "Year"}}));

        // Another place is asked for as when opening (".cube" added).
        dialogs.replies = {true};
        dialogs.paths = {directory.filePath("elsewhere")};
        shown.pressOk();
        QVERIFY(shown.window.showingTree());
        QVERIFY(shown.window.saved());
        QCOMPARE(dialogs.asked.size(), 1);
        QVERIFY(dialogs.asked[0].contains("vanishing"));
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
        // Closing it asks first, by key or button.
        QTest::keyClick(&declined.window.result().tree(), Qt::Key_Escape);
        QVERIFY(dialogs.asked.last().contains("could not be saved"));
        QVERIFY(declined.window.isVisible());
        dialogs.replies = {true};
        QTest::mouseClick(declined.window.findChild<QPushButton*>("closeButton"), Qt::LeftButton);
        QVERIFY(!declined.window.isVisible());
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

        // ISO weeks have no quarters or months: a tick made before stays until cleared, and
        // then the level cannot be ticked while the calendar is chosen.
        const auto clickRow = [&shown](int row) { return clickLevel(shown.window, row); };
        QVERIFY(clickRow(1));
        calendar->setCurrentIndex(calendar->findData("iso"));
        QVERIFY(!clickRow(1) && !clickRow(1) && !clickRow(2));
        calendar->setCurrentIndex(0);
        QVERIFY(clickRow(2));
    }

    // The holiday set and weekend are offered while attributes are filled, and reach the
    // members, named in the chosen language: 4 July 2021 is a Sunday, so the United States
    // observe it on Monday 5 July.
    void theRulesPanelFillsHolidaysAndWeekend() {
        ShownWizard shown(wizard::openCubeForWizard(""), dialogs);
        auto* holidays = shown.window.findChild<QComboBox*>("holidays");
        QVERIFY(!holidays->isEnabled());
        shown.window.findChild<QCheckBox*>("fillAttributes")->setChecked(true);
        QVERIFY(holidays->isEnabled());
        holidays->setCurrentIndex(holidays->findData("us"));
        shown.window.findChild<QCheckBox*>("weekend0")->setChecked(false);  // Sunday
        shown.window.findChild<QCheckBox*>("weekend5")->setChecked(true);   // Friday
        auto* language = shown.window.findChild<QComboBox*>("language");
        language->setCurrentIndex(language->findData("de"));
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
        QCOMPARE(days["Mo. 5 Juli_2021"]["DayHoliday"], "Independence Day (observed)");
        QCOMPARE(days["Fr. 9 Juli_2021"]["DayWeekend"], "Yes");
        QCOMPARE(days["So. 11 Juli_2021"]["DayWeekend"], "No");
    }

    // For the next run, and with the store's calendar.
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
                                          {Choice::Weekend, "fri,sat"},
                                          {Choice::Language, "pt-BR"}});
        const QString path = directory.filePath("remembered.cube");
        {
            ShownWizard first(wizard::openCubeForWizard(path), dialogs);
            first.choose(made);
            first.pressOk();
            QVERIFY(first.window.showingTree());
        }
        // The store keeps them for its calendar; a copy of it (not saved by the wizard) shows
        // the calendar's levels only.
        const auto dimension = wizard::openCubeForWizard(path).cube->dimension("Time");
        const PageChoices stored = wizard::storedCalendarChoices(path, *dimension);
        const QString copy = directory.filePath("copy.cube");
        QVERIFY(QFile::copy(path, copy));
        const PageChoices copied = wizard::storedCalendarChoices(copy, *dimension);
        QCOMPARE(copied.text(Choice::Levels), made.text(Choice::Levels));
        QVERIFY(!copied.text(Choice::Calendar).has_value());
        ShownWizard fresh(wizard::openCubeForWizard(""), dialogs);
        const PageChoices before =
            wizard::currentChoices(fresh.window.page(), fresh.window.rules());
        fresh.choose(wizard::rememberedChoices());
        const PageChoices after = wizard::currentChoices(fresh.window.page(), fresh.window.rules());
        for (const wizard::ChoiceName& name : wizard::choiceNames()) {
            QVERIFY2(before.text(name.choice) != made.text(name.choice), name.setting);
            QCOMPARE(after.text(name.choice), made.text(name.choice));
            QCOMPARE(stored.text(name.choice), made.text(name.choice));
        }
        QVERIFY(!fresh.window.page().controlWidget("calendarType", 0)->isEnabled());
    }

    void cancelClosesTheWindowWithoutACalendar() {
        ShownWizard shown(wizard::openCubeForWizard(""), dialogs);
        QTest::mouseClick(shown.window.findChild<QPushButton*>("btCancel"), Qt::LeftButton);
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
        EventWatcher watcher;
        watcher.watch = [&](QEvent* event) {
            // Painted with the count of members made so far.
            if (event->type() == QEvent::Paint && shown.window.generating() &&
                !status->text().isEmpty() && ++paintsWhileGenerating == 1) {
                postClick(cancel);
            }
        };
        status->installEventFilter(&watcher);
        shown.pressOk();
        QVERIFY(paintsWhileGenerating >= 1);
        QVERIFY(shown.window.isVisible() && shown.window.showingTree());
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
        QVERIFY(screen.contains(shown.window.frameGeometry()));
        auto* scroll = shown.window.findChild<QScrollArea*>("pageScroll");
        for (const char* name : {"weekend6", "language", "btOk", "cmbYear"}) {
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
