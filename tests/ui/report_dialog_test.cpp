// The report dialog on the desktop: failures typed into the real page widget reach the one
// application-wide report form through the real reporter; the dialog is driven through its
// widgets, in a temporary installation.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>
#include <filesystem>
#include <memory>
#include <optional>

#include "report/report_sandbox.hpp"
#include "ui/annalex_widget.hpp"
#include "ui/message_catcher.hpp"
#include "ui/qt_error_report.hpp"

using annalex::testing::MessageCatcher;
using annalex::testing::ReportSandbox;
using annalex::ui::QtErrorReport;

class ReportDialogTest : public QObject {
    Q_OBJECT

  private:
    std::optional<ReportSandbox> sandbox;
    std::unique_ptr<QWidget> host;
    annalex::ui::AnnalexCtrl* page = nullptr;
    MessageCatcher catcher;      // the report form's boxes
    MessageCatcher pageCatcher;  // the page's own boxes

    QtErrorReport& report() { return QtErrorReport::instance(); }
    annalex::ui::ReportDialog* dialog() { return report().dialog(); }
    template <typename W>
    W* inDialog(const char* name) {
        auto* found = dialog()->findChild<W*>(QString::fromLatin1(name));
        if (found == nullptr) {
            qFatal("no widget %s", name);
        }
        return found;
    }
    // Pastes text over a date box's text, as a person would (typing it key by key would have
    // the page complain about every shorter number on the way).
    void type(const char* box, const QString& text) {
        auto* edit = page->findChild<QLineEdit*>(QString::fromLatin1(box));
        QApplication::clipboard()->setText(text);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    }

  private slots:
    void initTestCase() { catcher.attach(report().messages()); }

    void init() {
        sandbox.emplace(ReportSandbox::Layout::ApplicationDirIsInstalled);
        catcher.boxes.clear();
        // The page in a window of its own, as a host would hold it.
        host = std::make_unique<QWidget>();
        page = new annalex::ui::AnnalexCtrl(host.get());
        pageCatcher.boxes.clear();
        pageCatcher.attach(page->messageService());
        auto* layout = new QVBoxLayout(host.get());
        layout->addWidget(page);
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    }

    void cleanup() {
        if (report().keeper().form() != nullptr) {
            report().keeper().form()->unloadForm();
        }
        host.reset();
        sandbox.reset();
    }

    void aFailureShowsTheOneFormModelessAndClosesTheHostWindow() {
        type("txtStartDay", QStringLiteral("40000"));  // beyond a day's 16 bits
        QVERIFY(!host->isVisible());
        QVERIFY(dialog() != nullptr);
        QVERIFY(dialog()->isVisible());
        QVERIFY(!dialog()->isModal());
        annalex::report::frmErrorHand* form = report().keeper().form();
        QCOMPARE(form->errProcName, "Private Sub txtStartDay_Change()");
        QCOMPARE(form->VmErrDescription, "Overflow");

        // Without mail the mail options show ticked but cannot be changed, nor the report sent.
        for (const char* name : {"chkAttachScreen", "chkEmailStore"}) {
            QVERIFY(inDialog<QCheckBox>(name)->isChecked());
            QVERIFY(!inDialog<QCheckBox>(name)->isEnabled());
        }
        auto* mail = inDialog<QPushButton>("butEMail");
        QVERIFY(mail->isDefault() && !mail->isEnabled());
        QVERIFY(inDialog<QPushButton>("butClose")->isEnabled());
        // The screen picture, as large as the screen, taken before the form showed.
        const QScreen* screen = QGuiApplication::primaryScreen();
        QCOMPARE(form->Image1.picture().width(),
                 qRound(screen->geometry().width() * screen->devicePixelRatio()));
        QVERIFY(std::filesystem::exists(sandbox->errorLogs() / "screenShot.bmp"));

        // A second failure overwrites the fields of the form on screen; no second form.
        annalex::ui::ReportDialog* first = dialog();
        page->core().page().txtEndDay.setText("40000");
        QCOMPARE(dialog(), first);
        QCOMPARE(report().keeper().form(), form);
        QCOMPARE(form->errProcName, "Private Sub txtEndDay_Change()");
        QVERIFY(catcher.boxes.empty());
    }

    void theDialogAndTheModelFollowEachOther() {
        type("txtStartDay", QStringLiteral("40000"));
        annalex::report::frmErrorHand* form = report().keeper().form();
        auto* description = inDialog<QPlainTextEdit>("edtWhatDoing");
        QTest::keyClicks(description, "Typing a day");
        QCOMPARE(form->edtWhatDoing.text(), "Typing a day");
        form->edtWhatDoing.setText("Set by the model");
        QCOMPARE(description->toPlainText(), "Set by the model");
        form->enableMailOptions(true);
        auto* screenBox = inDialog<QCheckBox>("chkAttachScreen");
        QVERIFY(screenBox->isEnabled());
        QTest::keyClick(screenBox, Qt::Key_Space);
        QVERIFY(!form->chkAttachScreen.checked());
        form->chkEmailStore.setChecked(false);
        QVERIFY(!inDialog<QCheckBox>("chkEmailStore")->isChecked());
    }

    // Close wants a description first; then it closes the report and unloads the form.
    void closeWantsADescriptionThenUnloads() {
        type("txtStartDay", QStringLiteral("40000"));
        auto* description = inDialog<QPlainTextEdit>("edtWhatDoing");
        QTest::keyClicks(description, "   ");
        QTest::mouseClick(inDialog<QPushButton>("butClose"), Qt::LeftButton);
        QCOMPARE(catcher.texts(), QStringList{"Please enter a brief description of what you were "
                                              "doing prior to this fatal error"});
        QVERIFY(dialog()->isVisible());
        QVERIFY(!std::filesystem::exists(sandbox->errorLogs() / "VmError.log"));

        catcher.boxes.clear();
        description->setPlainText("Typing the start day");
        QPointer<annalex::ui::ReportDialog> shown = dialog();
        QTest::mouseClick(inDialog<QPushButton>("butClose"), Qt::LeftButton);

        // What the close writes, archives and restarts is the report form's own tests'
        // business; here: the description typed into the dialog reached the log, and the form
        // is gone.
        QCOMPARE(catcher.boxes.size(), std::size_t{1});
        QVERIFY(report().keeper().form() == nullptr);
        QVERIFY(!shown->isVisible());
        const std::string log = ReportSandbox::read(sandbox->errorLogs() / "VmError.log");
        QVERIFY(log.find("Description    : Typing the start day\r\n") != std::string::npos);
        QVERIFY(!sandbox->restarts().empty());

        // The next failure makes a new form.
        host->show();
        type("txtStartDay", QStringLiteral("40001"));
        QVERIFY(dialog() != nullptr && dialog() != shown.data());
        QVERIFY(dialog()->isVisible());
    }
};

QTEST_MAIN(ReportDialogTest)
#include "report_dialog_test.moc"
