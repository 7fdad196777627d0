// The report dialog on the desktop: failures typed into the real page widget reach the one
// application-wide report form through the real reporter; the dialog is driven through its
// widgets and keys, in a temporary installation, on the offscreen screen of 800 x 600.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "report/report_sandbox.hpp"
#include "report/smtp_test_server.hpp"
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
    int failures = 0;

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
    // Fails a procedure of the page: a day beyond its 16 bits (a new one each time, so that the
    // box's text changes).
    void fail() { type("txtStartDay", QString::number(40000 + ++failures)); }
    QString mailStatus() { return inDialog<QLabel>("lblMailStatus")->text(); }
    // Runs the event loop as the program does: true when it ends by itself, not by the watchdog.
    static bool programEnds() {
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(10000);
        return QApplication::exec() == 0;
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

        // Without mail the report cannot be sent (which options go with it is the form's case).
        auto* mail = inDialog<QPushButton>("butEMail");
        QVERIFY(mail->isDefault() && !mail->isEnabled());
        QVERIFY(inDialog<QPushButton>("butClose")->isEnabled());
        // The screen picture, as large as the screen, taken before the form showed.
        const QScreen* screen = QGuiApplication::primaryScreen();
        QCOMPARE(form->Image1.picture().width(),
                 qRound(screen->geometry().width() * screen->devicePixelRatio()));
        QVERIFY(std::filesystem::exists(sandbox->errorLogs() / "screenShot.bmp"));
        QVERIFY(catcher.boxes.empty());
    }

    void theDialogAndTheModelFollowEachOther() {
        type("txtStartDay", QStringLiteral("40000"));
        annalex::report::frmErrorHand* form = report().keeper().form();
        // (What is typed reaches the model: each way of closing finds it in the log.)
        form->edtWhatDoing.setText("Set by the model");
        QCOMPARE(inDialog<QPlainTextEdit>("edtWhatDoing")->toPlainText(), "Set by the model");
        form->enableMailOptions(true);
        auto* screenBox = inDialog<QCheckBox>("chkAttachScreen");
        QVERIFY(screenBox->isEnabled());
        QTest::keyClick(screenBox, Qt::Key_Space);
        QVERIFY(!form->chkAttachScreen.checked());
        form->chkEmailStore.setChecked(false);
        QVERIFY(!inDialog<QCheckBox>("chkEmailStore")->isChecked());
    }

    // The Close button, Escape and the close box each want a description, say so and put the
    // focus in its box (what is typed next goes there), then do what Close does.
    void everyWayOfClosingWantsADescriptionThenReports() {
        QPointer<annalex::ui::ReportDialog> previous;
        for (const char* way : {"Close button", "Escape", "close box"}) {
            fail();
            QPointer<annalex::ui::ReportDialog> shown = dialog();
            QVERIFY(shown != previous && shown->isVisible());
            previous = shown;
            auto close = [&] {
                if (way[0] == 'C') {
                    QTest::mouseClick(inDialog<QPushButton>("butClose"), Qt::LeftButton);
                } else if (way[0] == 'E') {
                    QTest::keyClick(shown, Qt::Key_Escape);
                } else {
                    shown->close();
                }
            };
            catcher.boxes.clear();
            close();
            QVERIFY2(catcher.texts() == QStringList{report().keeper().form()->kNoDescription}, way);
            QVERIFY2(shown->focusWidget() == inDialog<QPlainTextEdit>("edtWhatDoing"), way);
            QTest::keyClicks(shown->focusWidget(), way);
            close();
            QVERIFY2(!shown->isVisible() && report().keeper().form() == nullptr, way);
            const std::string log = ReportSandbox::read(sandbox->errorLogs() / "VmError.log");
            QVERIFY2(log.find("Description    : " + std::string(way)) != std::string::npos, way);
            QCOMPARE(catcher.boxes.size(), std::size_t{2});  // and "Please email the file"
            host->show();
        }
        const std::string restarts = sandbox->restarts(3);
        QCOMPARE(std::count(restarts.begin(), restarts.end(), '\n'), 3);
    }

    // On a screen of 800 x 600 (offscreen-800x600.json) the whole form fits, and a title bar.
    void theFormFitsTheScreen() {
        fail();
        QCOMPARE(dialog()->screen()->availableGeometry().size(), QSize(800, 600));
        QVERIFY(dialog()->frameGeometry().width() <= 800);
        QVERIFY2(dialog()->frameGeometry().height() + 30 <= 600,
                 qPrintable(QString::number(dialog()->frameGeometry().height())));
    }

    // The mail server is asked once the form shows: the form is on screen at once, says that it
    // asks, and then why mail is unavailable (a server that never says a word).
    void theFormShowsAtOnceAndSaysWhyMailIsUnavailable() {
        std::filesystem::create_directories(sandbox->root() / "smtp");
        annalex::report::testing::SmtpTestServer silent("silent", sandbox->root() / "smtp");
        ReportSandbox::setSetting("MailServer", silent.url());
        annalex::settings::fWriteValue("HKCU", annalex::report::kProductKey, "MailTimeout", "D", 1);
        fail();
        QVERIFY(dialog()->isVisible());
        QCOMPARE(mailStatus(), QString::fromUtf8(annalex::report::frmErrorHand::kMailChecking));
        QTRY_VERIFY_WITH_TIMEOUT(mailStatus().contains(QString::fromStdString(silent.url())),
                                 15000);
        QVERIFY(mailStatus().startsWith(annalex::report::frmErrorHand::kMailUnavailable));
        QVERIFY(!inDialog<QPushButton>("butEMail")->isEnabled());
    }

    // No failure of the report leaves the program without a window: a picture that cannot be
    // saved is left out and the form shows; a close that fails (no error log can be written)
    // says so, and then the program ends.
    void noFailureOfTheReportLeavesTheProgramWithoutAWindow() {
        std::ofstream(sandbox->root() / "file") << "x";
        ReportSandbox::setSetting("ApplicationDir", (sandbox->root() / "file").string());
        ReportSandbox::setSetting("Installed", (sandbox->root() / "nowhere").string());
        fail();
        QVERIFY(dialog()->isVisible() && catcher.boxes.empty());
        QVERIFY(!report().keeper().form()->Image1.note().empty());
        inDialog<QPlainTextEdit>("edtWhatDoing")->setPlainText("Pressed Ok");
        QTest::mouseClick(inDialog<QPushButton>("butClose"), Qt::LeftButton);
        QCOMPARE(catcher.boxes.size(), std::size_t{1});
        QVERIFY(catcher.boxes[0].text.startsWith("Run-time error '76':"));
        QVERIFY(!dialog()->isVisible());
        QVERIFY(programEnds());
    }
};

QTEST_MAIN(ReportDialogTest)
#include "report_dialog_test.moc"
