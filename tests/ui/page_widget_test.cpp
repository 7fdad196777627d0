// The calendar page driven through its real widgets: keys into the date boxes, clicks on the
// level ticks, the format lists, the calendar buttons, OK and Cancel.

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOption>
#include <QTest>
#include <memory>
#include <optional>

#include "cube/memory_model.hpp"
#include "ui/annalex_widget.hpp"
#include "ui/message_catcher.hpp"
#include "ui/twips.hpp"

using annalex::testing::MessageCatcher;
using annalex::testing::ShownBox;
using annalex::ui::AnnalexCtrl;

class PageWidgetTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<AnnalexCtrl> page;
    MessageCatcher catcher;

    template <typename W>
    W* widget(const char* name) {
        auto* found = page->findChild<W*>(QString::fromLatin1(name));
        if (found == nullptr) {
            qFatal("no widget %s", name);
        }
        return found;
    }
    QLineEdit* edit(const char* name) { return widget<QLineEdit>(name); }

    // Replaces a date box's text by typing, as a person would: select all, then the keys.
    void retype(const char* name, const QString& keys) {
        QLineEdit* box = edit(name);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, keys);
    }
    void clickTick(int row) {
        auto* list = widget<QListWidget>("availableList");
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void clickButton(const char* name) {
        QTest::mouseClick(widget<QAbstractButton>(name), Qt::LeftButton);
    }
    QString preview() { return widget<QLabel>("lblDateFormat")->text(); }

  private slots:
    void init() {
        page = std::make_unique<AnnalexCtrl>();
        catcher = MessageCatcher();
        catcher.attach(page->messageService());
        page->show();
        QApplication::setActiveWindow(page.get());
        QVERIFY(QTest::qWaitForWindowActive(page.get()));
    }
    void cleanup() { page.reset(); }

    // Twips become pixels at the logical resolution (rounding half up), relative to the holding
    // frame; a font family the machine lacks is replaced by one it has.
    void geometryFollowsThePage() {
        using annalex::ui::twipsToPixels;
        QCOMPARE(twipsToPixels(885, 144.0), 89);  // 88.5
        QLineEdit* year = edit("txtStartYear");
        QCOMPARE(year->parentWidget()->objectName(), "Frame4");
        const double dpiX = page->logicalDpiX();
        const double dpiY = page->logicalDpiY();
        QCOMPARE(year->geometry(), QRect(twipsToPixels(2205, dpiX), twipsToPixels(630, dpiY),
                                         twipsToPixels(600, dpiX), twipsToPixels(285, dpiY)));
        QVERIFY(page->minimumSize().width() >= twipsToPixels(6495, dpiX));
        QVERIFY(QFontDatabase::hasFamily(widget<QLabel>("lblSeparator_2")->font().family()));

        // The level list shows all five entries without scrolling, whatever the font's line
        // spacing.
        auto* levels = widget<QListWidget>("availableList");
        QVERIFY(levels->visualItemRect(levels->item(4)).bottom() < levels->viewport()->height());
        QCOMPARE(levels->verticalScrollBar()->maximum(), 0);
    }

    void tabVisitsTheControlsInPageOrder() {
        widget<QWidget>("availableList")->setFocus();
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 13; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        // Qt's Tab enters an exclusive button group at its checked button only.
        QCOMPARE(visited, QStringList({"availableList", "btOk", "btCancel", "calendarType_0",
                                       "cmbDay", "txtStartDay", "txtStartMonth", "txtStartYear",
                                       "txtEndDay", "txtEndMonth", "txtEndYear", "cmbMonth",
                                       "cmbYear", "availableList"}));
        // The page's own focus model follows the keyboard.
        QCOMPARE(page->core().page().focus().focused(), &page->core().page().availableList);
    }

    // A rejected entry, while typing or on Ok (which rules reject what is the control's
    // tests' business): the real message box, the text never corrected, the offending box
    // selected whole and focused once the page's window is active again.
    void rejectedEntries_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("keys");  // empty: the box cleared with Backspace
        QTest::addColumn<bool>("pressOk");
        QTest::addColumn<QString>("message");
        QTest::newRow("day 32 typed") << "txtStartDay"
                                      << "32" << false << "Invalid day.";
        QTest::newRow("day cleared") << "txtEndDay"
                                     << "" << false << "Day must be a numeric value.";
        QTest::newRow("31 April on Ok") << "txtStartMonth"
                                        << "04" << true << "Invalid day";
    }
    void rejectedEntries() {
        QFETCH(QString, box);
        QFETCH(QString, keys);
        QFETCH(bool, pressOk);
        QFETCH(QString, message);
        const QByteArray name = box.toLatin1();
        retype(name.constData(), keys);
        if (keys.isEmpty()) {
            QTest::keyClick(edit(name.constData()), Qt::Key_Backspace);
        }
        if (pressOk) {
            retype("txtStartDay", "31");
            clickTick(0);
            clickButton("btOk");
        }
        QCOMPARE(catcher.texts(), QStringList{message});
        const ShownBox& shown = catcher.boxes.front();
        QCOMPARE(shown.title, "Error");
        QCOMPARE(shown.icon, QMessageBox::NoIcon);
        QCOMPARE(shown.buttonCount, 1);
        QVERIFY(shown.okButton);
        QCOMPARE(shown.modality, Qt::ApplicationModal);
        QVERIFY(shown.staysOnTop);

        const char* offending = pressOk ? "txtStartDay" : name.constData();
        QLineEdit* rejected = edit(offending);
        QCOMPARE(rejected->text(), pressOk ? "31" : keys);
        QVERIFY(page->core().page().find(offending)->hasFocus());
        QTRY_VERIFY(rejected->hasFocus());
        QCOMPARE(rejected->selectedText(), rejected->text());
    }

    // Enter on a focused button presses it (Ok runs its checks; Cancel cancels), Space too;
    // Escape anywhere on the page is Cancel.
    void keysPressButtonsAndEscapeCancels() {
        QSignalSpy results(page.get(), &AnnalexCtrl::wizardResult);
        auto* ok = widget<QPushButton>("btOk");
        ok->setFocus();
        QTest::keyClick(ok, Qt::Key_Return);
        QTest::keyClick(ok, Qt::Key_Enter);
        QCOMPARE(catcher.texts(), QStringList(2, "Please select at least one level"));

        auto* cancel = widget<QPushButton>("btCancel");
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
        QCOMPARE(results.count(), 1);

        for (const char* name : {"txtEndYear", "availableList", "cmbMonth", "calendarType_0"}) {
            QTest::keyClick(widget<QWidget>(name), Qt::Key_Escape);
        }
        QCOMPARE(results.count(), 5);
        for (const auto& result : results) {
            QCOMPARE(result.at(0).toBool(), false);
        }
    }

    // Every text of the page shows whole in its control's rectangle, in the control's font:
    // captions, labels, every entry of the format lists, the option buttons with their marks,
    // four digits in a year box. The suite also runs scaled to 144 dpi, where the page and its
    // fonts take half as many screen pixels again.
    void noTextIsClipped() {
        if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
            const double scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
            QCOMPARE(page->devicePixelRatioF(), scale);
            const double screenDpi = page->logicalDpiX() * scale;
            QVERIFY(qAbs(page->width() * scale - 6495 * screenDpi / 1440) <= scale);
        }
        const QFontMetrics pageMetrics(page->font());
        QVERIFY(pageMetrics.height() * 1440 / page->logicalDpiY() < 285);  // a date box's height
        int checked = 0;
        for (QWidget* control : page->findChildren<QWidget*>()) {
            if (!control->property("controlName").isValid()) {
                continue;
            }
            const QString name = control->objectName();
            const QFontMetrics metrics(control->font());
            const auto fits = [&](const QString& text, const QRect& room) {
                QVERIFY2(metrics.horizontalAdvance(text) <= room.width(),
                         qPrintable(name + ": " + text));
                QVERIFY2(metrics.height() <= room.height() + 2, qPrintable(name + ": " + text));
                ++checked;
            };
            QStyle* style = control->style();
            if (auto* label = qobject_cast<QLabel*>(control)) {
                fits(label->text(), label->contentsRect());
            } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
                QStyleOptionComboBox option;
                option.initFrom(combo);
                const QRect field = style->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, combo);
                for (int i = 0; i < combo->count(); ++i) {
                    fits(combo->itemText(i), field);
                }
            } else if (auto* radio = qobject_cast<QRadioButton*>(control)) {
                QStyleOptionButton option;
                option.initFrom(radio);
                option.text = radio->text();
                fits(radio->text(),
                     style->subElementRect(QStyle::SE_RadioButtonContents, &option, radio));
                QVERIFY2(radio->rect().contains(style->subElementRect(
                             QStyle::SE_RadioButtonIndicator, &option, radio)),
                         qPrintable(name));
            } else if (auto* push = qobject_cast<QPushButton*>(control)) {
                QStyleOptionButton option;
                option.initFrom(push);
                fits(push->text(),
                     style->subElementRect(QStyle::SE_PushButtonContents, &option, push));
            } else if (auto* box = qobject_cast<QGroupBox*>(control)) {
                fits(box->title(), box->rect());
            } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
                QStyleOptionFrame option;
                option.initFrom(edit);
                option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth);
                const QRect contents =
                    style->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                        .adjusted(2, 0, -3, 0);  // QLineEdit's margins and the caret
                fits(name.endsWith("Year") ? "2001" : "31", contents);
            }
        }
        QCOMPARE(checked, 32);
    }

    void okGeneratesUnderTheWaitCursor() {
        std::vector<std::optional<Qt::CursorShape>> cursors;
        const auto currentCursor = [] {
            const QCursor* cursor = QApplication::overrideCursor();
            return cursor ? std::optional(cursor->shape()) : std::nullopt;
        };
        page->pointerService().setChangeHook(
            [&](annalex::MousePointer) { cursors.push_back(currentCursor()); });
        std::optional<Qt::CursorShape> cursorWhileInfoShown = Qt::BusyCursor;
        catcher.onShown = [&](QMessageBox&) { cursorWhileInfoShown = currentCursor(); };
        auto cube = std::make_shared<annalex::cube::MemoryCube>();  // given as a host would
        QVERIFY(page->setProperty("theCube", QVariant::fromValue(annalex::cube::CubeRef(cube))));
        QVERIFY(page->setProperty(
            "theTimeDimension",
            QVariant::fromValue(annalex::cube::DimensionRef(cube->ensureDimension("Time")))));
        QSignalSpy results(page.get(), &AnnalexCtrl::wizardResult);

        clickTick(0);
        clickButton("btOk");
        QCOMPARE(catcher.boxes.size(), std::size_t{1});
        const ShownBox& info = catcher.boxes.front();
        QCOMPARE(info.icon, QMessageBox::Information);
        QCOMPARE(info.modality, Qt::ApplicationModal);
        QVERIFY(!info.staysOnTop);
        // The hourglass comes after the notice is closed and is gone before the host hears.
        QCOMPARE(cursorWhileInfoShown, std::nullopt);
        QCOMPARE(cursors,
                 (std::vector<std::optional<Qt::CursorShape>>{Qt::WaitCursor, std::nullopt}));
        QCOMPARE(results.count(), 1);
        QCOMPARE(results.at(0).at(0).toBool(), true);
    }

    // Clicks reach the page's model, and the model's changes show at once.
    void widgetsAndModelFollowEachOther() {
        const auto& levels = page->core().page().availableList;
        clickTick(4);
        QVERIFY(levels.selected(4) && !levels.selected(3));
        clickTick(4);  // a second click unticks
        QVERIFY(!levels.selected(4));
        clickButton("calendarType_1");
        QVERIFY(!page->core().state().gregorian);
        QVERIFY(!widget<QRadioButton>("calendarType_0")->isChecked());
        clickButton("calendarType_0");
        QVERIFY(page->core().state().gregorian);

        auto& model = page->core().page();
        model.txtEndYear.setText("2005");
        QCOMPARE(edit("txtEndYear")->text(), "2005");
        model.availableList.setSelected(2, true);
        QCOMPARE(widget<QListWidget>("availableList")->item(2)->checkState(), Qt::Checked);
        model.cmbMonth.select(2);
        QCOMPARE(widget<QComboBox>("cmbMonth")->currentIndex(), 2);
        QCOMPARE(preview(), "(01-January-01)");
        auto* year = widget<QComboBox>("cmbYear");  // a key in a list reaches the model too
        year->setFocus();
        QTest::keyClick(year, Qt::Key_End);
        QCOMPARE(page->core().page().cmbYear.listIndex(), year->count() - 1);
        QCOMPARE(preview(), "(01-January-2001)");
        model.calendarType[1].click();
        QVERIFY(widget<QRadioButton>("calendarType_1")->isChecked());
        model.txtEndDay.setFocus();
        QVERIFY(edit("txtEndDay")->hasFocus());
        model.txtEndDay.setSelection(1, 1);
        QCOMPARE(edit("txtEndDay")->selectedText(), "1");
        QVERIFY(catcher.boxes.empty());
    }
};

QTEST_MAIN(PageWidgetTest)
#include "page_widget_test.moc"
