#pragma once
// The wizard window: the calendar page with the "Calendar rules" panel beside it, and the
// result (the generated dimension) in its place after Ok.
//
// The window hands the cube and its time dimension ("Time", created when missing) to the page.
// When the page reports success it remembers the choices, saves the store on a worker thread
// under a progress box (the wait cursor shows and input is swallowed until the result is
// shown), offers another location when the save fails, and shows the result; "Generate again"
// returns to the page. When the store's dimension already holds a calendar the result shows
// first, and Ok asks before replacing it. Cancel closes the window. The title names the store.

#include <QWidget>
#include <memory>

#include "cube_source.hpp"
#include "store_location.hpp"
#include "ui/annalex_widget.hpp"
#include "ui/calendar_rules_panel.hpp"
#include "ui/result_view.hpp"

class QLabel;
class QStackedWidget;

namespace annalex::wizard {

class WizardWindow final : public QWidget {
    Q_OBJECT

  public:
    // dialogs asks for another store when a save fails, and asks before Ok replaces a calendar.
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

    // Turns to the page, to generate again.
    void showPage();
    // Turns to the result: the time dimension as it is now.
    void showResult();

  signals:
    // The result of a generation is on screen (saved or not).
    void resultShown();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void onWizardResult(bool result);
    QString saveWhileBusy();
    void saveWithRetries();
    bool holdsCalendar() const;
    void updateTitle();

    OpenedStore store_;
    StoreDialogs& dialogs_;
    std::shared_ptr<cube::MemoryDimension> dimension_;
    bool saved_ = true;
    QStackedWidget* stack_;
    QWidget* pagePane_;
    ui::AnnalexCtrl* page_;
    ui::CalendarRulesPanel* rules_;
    QWidget* resultPane_;
    ui::ResultView* result_;
    QLabel* treeHeading_;
    QWidget* okButton_;
};

}  // namespace annalex::wizard
