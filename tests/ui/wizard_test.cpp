// The desktop host: it gives the page the cube's time dimension, turns to the tree of that
// dimension on success and closes on Cancel.

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "cube_source.hpp"
#include "ui/dimension_tree.hpp"
#include "ui/message_catcher.hpp"
#include "wizard_window.hpp"

using annalex::wizard::WizardWindow;
namespace cube = annalex::cube;

namespace {

// Fills the dimension through the cube interface: hierarchy "Period", levels Year and Month,
// the year 2001 with an attribute and its first two months.
void fillByHand(cube::MemoryDimension& dimension) {
    auto& objects = dimension.objects();
    auto hierarchy = objects.newHierarchy();
    hierarchy->putName("Period");
    dimension.addHierarchy(hierarchy);
    auto year = objects.newLevel();
    year->putName("Year");
    year->putLevelType(cube::kLevelTypeYears);
    auto leap = objects.newAttributeDef();
    leap->putName("IsLeapYear");
    leap->putCaption("Leap year");
    year->addAttributeDef(leap);
    hierarchy->addLevel(year);
    auto month = objects.newLevel();
    month->putName("Month");
    month->putLevelType(cube::kLevelTypeMonths);
    hierarchy->addLevel(month);

    auto y2001 = objects.newMember();
    y2001->putName("2001");
    y2001->putOrder(1);
    year->addRootMember(y2001);
    y2001->setAttribute("IsLeapYear", "No");
    const char* months[] = {"Jan", "Feb"};
    for (int i = 0; i < 2; ++i) {
        auto m = objects.newMember();
        m->putName(months[i]);
        m->putOrder(i + 1);
        m->putParent(y2001);
    }
}

// The child of item whose first column reads text; nullptr when none.
QTreeWidgetItem* child(QTreeWidgetItem* item, const QString& text) {
    for (int i = 0; item != nullptr && i < item->childCount(); ++i) {
        if (item->child(i)->text(0) == text) {
            return item->child(i);
        }
    }
    return nullptr;
}

}  // namespace

class WizardTest : public QObject {
    Q_OBJECT

  private slots:
    void handsThePageTheTimeDimension() {
        auto empty = std::make_shared<cube::MemoryCube>();
        WizardWindow created(empty, "");
        QVERIFY(empty->dimension("Time"));
        QCOMPARE(created.page().theTimeDimension(), cube::DimensionRef(empty->dimension("Time")));
        QCOMPARE(created.page().theCube(), cube::CubeRef(empty));

        auto existing = std::make_shared<cube::MemoryCube>();
        auto time = existing->ensureDimension("Time");
        WizardWindow reused(existing, "");
        QCOMPARE(reused.page().theTimeDimension(), cube::DimensionRef(time));
        QCOMPARE(existing->dimensions().size(), std::size_t{1});
    }

    void theTreeShowsLevelsMembersPositionsAndAttributes() {
        auto store = std::make_shared<cube::MemoryCube>();
        fillByHand(*store->ensureDimension("Time"));
        annalex::ui::DimensionTree tree;
        tree.showDimension(*store->dimension("Time"));

        QCOMPARE(tree.topLevelItemCount(), 1);
        QTreeWidgetItem* period = child(tree.topLevelItem(0), "Period");
        QVERIFY(period);
        QTreeWidgetItem* year = child(child(period, "Levels"), "Year");
        QVERIFY(year);
        QCOMPARE(year->text(1), "0x14");
        QCOMPARE(year->text(3), "IsLeapYear (Leap year)");
        QVERIFY(child(child(period, "Levels"), "Month"));

        QTreeWidgetItem* members = child(period, "Members");
        QVERIFY(members);
        QCOMPARE(members->text(2), "3");
        QTreeWidgetItem* y2001 = child(members, "2001");
        QVERIFY(y2001);
        QCOMPARE(y2001->text(1), "Year");
        QCOMPARE(y2001->text(2), "1");
        QCOMPARE(y2001->text(3), "IsLeapYear=No");
        QCOMPARE(y2001->childCount(), 2);
        QCOMPARE(y2001->child(0)->text(0), "Jan");
        QCOMPARE(y2001->child(1)->text(0), "Feb");
        QCOMPARE(y2001->child(1)->text(1), "Month");
        QCOMPARE(y2001->child(1)->text(2), "2");
        // The person can browse: the members are shown open down to the years.
        QVERIFY(members->isExpanded());
    }

    void okGeneratesSavesTheStoreAndShowsTheTree() {
        QTemporaryDir directory;
        QVERIFY(directory.isValid());
        const QString path = directory.filePath("calendar.cube");
        WizardWindow window(annalex::wizard::openCubeForWizard(path), path);
        annalex::testing::MessageCatcher catcher;
        catcher.attach(window.page().messageService());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        auto* levels = window.findChild<QListWidget*>("availableList");
        for (int entry : {0, 2}) {  // Year and Month
            QTest::mouseClick(levels->viewport(), Qt::LeftButton, {},
                              levels->visualItemRect(levels->item(entry)).center());
        }
        QTest::mouseClick(window.findChild<QPushButton*>("btOk"), Qt::LeftButton);
        QCOMPARE(catcher.texts(),
                 QStringList{"The generation of the selected calendar may take a few minutes. "
                             "Please wait."});
        QVERIFY(window.showingTree());
        QVERIFY(window.isVisible());

        QTreeWidgetItem* period = child(window.tree().topLevelItem(0), "Period");
        QVERIFY(period);
        QCOMPARE(child(child(period, "Levels"), "Year")->text(1), "0x14");
        QTreeWidgetItem* y2001 = child(child(period, "Members"), "2001");
        QVERIFY(y2001);
        QCOMPARE(y2001->text(3), "YearLeapYear=No; YearNumberOfDays=365; YearYearNo=0");
        QCOMPARE(y2001->childCount(), 12);
        QCOMPARE(y2001->child(0)->text(0), "1");
        QCOMPARE(y2001->child(11)->text(0), "12");

        // The generated calendar was saved: the store reads back with the same members.
        auto reread = annalex::wizard::openCubeForWizard(path);
        QVERIFY(reread->dimension("Time"));
        QCOMPARE(reread->dimension("Time")->hierarchies().front()->memberCount(), std::size_t{13});
    }

    void cancelClosesTheWindow() {
        WizardWindow window(std::make_shared<cube::MemoryCube>(), "");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(window.findChild<QPushButton*>("btCancel"), Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QVERIFY(!window.showingTree());
    }
};

QTEST_MAIN(WizardTest)
#include "wizard_test.moc"
