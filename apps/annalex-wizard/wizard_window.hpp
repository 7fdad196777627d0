#pragma once
// The wizard window: the calendar page with the "Calendar rules" panel beside it (below it, and
// scrolled, on a screen too small for both), and the result (the generated dimension) in its
// place after Ok.
//
// The window hands the cube and its time dimension ("Time", created when missing) to the page.
// While Ok generates, the window keeps painting and counts the members made (input is held
// back and dropped), and a close from the title bar waits for the end. When the page reports
// success the window remembers the choices, saves the store on a worker thread under a progress
// box (the wait cursor shows and input is swallowed until the result is shown), offers another
// location when the save fails, and shows the result; "Generate again" returns to the page.
//
// When the store's dimension already holds a calendar the result shows first; on the page Ok
// checks the input and then asks before replacing that calendar, and Cancel returns to the
// result. Without a calendar Cancel closes the window. Closing a calendar that could not be
// saved asks first. The title names the store.

#include <QElapsedTimer>
#include <QWidget>
#include <memory>
#include <optional>

#include "cube_source.hpp"
#include "pulsing_dimension.hpp"
#include "store_location.hpp"
#include "ui/annalex_widget.hpp"
#include "ui/busy_scope.hpp"
#include "ui/calendar_rules_panel.hpp"
#include "ui/result_view.hpp"

class QBoxLayout;
class QLabel;
class QScrollArea;
class QStackedWidget;

namespace annalex::wizard {

class WizardWindow final : public QWidget {
    Q_OBJECT

  public:
    // How many members the page makes between two repaints of the window while it generates.
    static constexpr std::uint32_t kMembersPerRepaint = 4096;

    // dialogs asks for another store when a save fails, and asks before Ok replaces a calendar
    // or the window closes a calendar that is not saved.
    WizardWindow(OpenedStore store, StoreDialogs& dialogs, QWidget* parent = nullptr);

    ui::AnnalexCtrl& page() { return *page_; }
    ui::CalendarRulesPanel& rules() { return *rules_; }
    ui::ResultView& result() { return *result_; }
    bool showingTree() const;
    const std::shared_ptr<cube::MemoryDimension>& timeDimension() const { return dimension_; }
    // The store the calendar is saved to (another one after a failed save, when chosen).
    const QString& storePath() const { return store_.path; }
    // False when the last generation could not be saved.
    bool saved() const { return saved_; }
    // True while Ok is generating.
    bool generating() const { return generating_; }

    // Turns to the page, to generate again.
    void showPage();
    // Turns to the result: the time dimension as it is now.
    void showResult();

  signals:
    // The result of a generation is on screen (saved or not).
    void resultShown();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* buildPagePane();
    bool approveGeneration();
    void onMembersCreated(std::uint64_t created);
    void onWizardResult(bool result);
    QString saveWhileBusy();
    void saveWithRetries();
    bool holdsCalendar() const;
    void updateTitle();
    // Makes the window at most as large as the screen's free area.
    void fitScreen(QSize wanted);

    OpenedStore store_;
    StoreDialogs& dialogs_;
    std::shared_ptr<cube::MemoryDimension> dimension_;
    std::shared_ptr<PulsingDimension> pulsing_;
    bool saved_ = true;
    bool generating_ = false;
    // The title bar's close was pressed while Ok generated.
    bool closeWhenGenerated_ = false;
    QElapsedTimer statusShown_;
    // The busy state from the first repaint of a generation to its end.
    std::optional<ui::BusyScope> generationBusy_;
    QStackedWidget* stack_;
    QScrollArea* pageScroll_;
    QWidget* pagePane_;
    ui::AnnalexCtrl* page_;
    ui::CalendarRulesPanel* rules_;
    QLabel* generationStatus_;
    QWidget* resultPane_;
    ui::ResultView* result_;
    QLabel* treeHeading_;
};

}  // namespace annalex::wizard
