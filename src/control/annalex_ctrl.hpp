#pragma once
// AnnalexCtrl: the calendar step of the cube-building wizard.
//
// The host creates the control with its services, hands it a cube and the cube's time
// dimension (theCube, theTimeDimension) and listens for wizardResult. A person (or a front end,
// or the command line) works the page only through its constituent controls, page(): ticking
// levels, choosing the calendar type and the formats, typing the dates, clicking OK or Cancel.
// OK checks the input with the page's messages and then writes the hierarchy "Period", its
// levels and every member into the dimension, and raises wizardResult(true); Cancel raises
// wizardResult(false) and changes nothing.
//
// Every procedure runs under the procedure trap: an unexpected failure goes to the failure
// reporter and the procedure returns normally.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calendar/calendar_builder.hpp"
#include "calendar/calendar_state.hpp"
#include "common/pointer_service.hpp"
#include "control/calendar_page.hpp"
#include "control/page_messages.hpp"
#include "cube/cube_model.hpp"
#include "errors/failure_reporter.hpp"
#include "errors/procedure_trap.hpp"

namespace annalex::control {

class AnnalexCtrl final : private calendar::FormatSelection {
  public:
    using WizardResultListener = std::function<void(bool result)>;
    using StepDescriptionListener =
        std::function<void(std::string_view description, std::int16_t stepNumber)>;

    // Creates the page and runs the start-up.
    AnnalexCtrl(MessageService& messages, PointerService& pointer,
                errors::FailureReporter& reporter);
    AnnalexCtrl(const AnnalexCtrl&) = delete;
    AnnalexCtrl& operator=(const AnnalexCtrl&) = delete;

    // ---- host-facing surface ----
    cube::CubeRef theCube();
    void setTheCube(const cube::CubeRef& aCube);
    cube::DimensionRef theTimeDimension();
    void setTheTimeDimension(const cube::DimensionRef& aTimeDimension);

    void addWizardResultListener(WizardResultListener listener);
    // Asked by OK once the input has passed every check, before the "Info" message and before
    // anything is written: false ends OK there, without an event (a host that asks before
    // replacing a calendar). Without it OK always goes on.
    void setGenerationApproval(std::function<bool()> approve) {
        generationApproval_ = std::move(approve);
    }
    // Declared for hosts; the control never raises it.
    void addStepDescriptionListener(StepDescriptionListener listener);

    // ---- the calendar, chosen by a host ----
    // Chooses a calendar of the calendar list by its key, with the options the week-based
    // calendars read. A key of the page's calendars clicks that calendar-type button; any other
    // key makes OK generate that calendar, for any non-empty set of levels, until a page
    // calendar is chosen again. An unknown key changes nothing and gives false.
    bool chooseCalendar(std::string_view key, const calendar::CalendarOptions& options = {});
    // Whether OK fills every attribute of the members from their dates (their meanings:
    // docs/attributes.md); without it the page's calendars keep their own attribute values.
    void setFillAttributes(bool fill) { state_.fillAttributes = fill; }
    // Whether OK records the first and last day of each member; memberDates() answers from
    // the last generation.
    void setRecordDates(bool record) { state_.recordDates = record; }
    // The holidays filled attributes use: a built-in set ("us", "gb-eng", "de", "fr") or a
    // rules file (docs/holidays.md); an empty text chooses none. On a fault the choice stays
    // as it was and the answer is the message, naming the file and line; otherwise empty.
    std::string setHolidays(std::string_view setOrFile);
    // The language of the month and weekday names in member names and attributes, and of the
    // holiday names where the rules carry names in it: a BCP 47 tag ("de", "pt-BR"), whose names
    // come from the CLDR; an empty text chooses the built-in English names. An unknown tag
    // changes nothing and the answer is the message naming it; otherwise empty.
    std::string setLanguage(std::string_view tag);
    // The weekdays that filled attributes count as weekend (Saturday and Sunday until set).
    void setWeekend(calendar::holidays::WeekdaySet days) { state_.weekend = days; }
    // The first and last day of that member as ISO dates, when recorded.
    std::optional<std::pair<std::string, std::string>> memberDates(std::string_view level,
                                                                   std::string_view name) const;
    // The key of the calendar OK generates.
    std::string_view chosenCalendar() const;

    CalendarPage& page() { return page_; }
    const CalendarPage& page() const { return page_; }

    // The shared state, for front ends and tests that show or check it.
    const calendar::CalendarState& state() const { return state_; }
    calendar::CalendarBuilder& builder() { return builder_; }

    // ---- handlers, as the page's controls raise them ----
    void UserControl_Initialize();
    void btOk_Click();
    void btCancel_Click();
    void calendarType_Click(std::int16_t Index);
    void txtStartDay_Change();
    void txtStartMonth_Change();
    void txtStartYear_Change();
    void txtEndDay_Change();
    void txtEndMonth_Change();
    void txtEndYear_Change();
    void cmbDay_Click();
    void cmbMonth_Click();
    void cmbYear_Click();
    void cmbDay_Change();
    void cmbMonth_Change();
    void cmbYear_Change();

    // ---- date checks ----
    // Parses and checks the start date (dateType 1) or the end date (any other value) as
    // typed; on a rejection the day box of that date gets the focus with its text selected.
    bool checkDateFormat(std::int16_t dateType);
    bool dateFormatValid(std::string_view aDate, std::int16_t dateType);

  private:
    // FormatSelection: the builders read the formats from the lists when they run.
    std::int16_t dayFormat() const override { return page_.cmbDay.listIndex(); }
    std::int16_t monthFormat() const override { return page_.cmbMonth.listIndex(); }

    void wireEvents();
    void raiseWizardResult(bool result);
    void showError(std::string text);
    // The message for ticked levels the chosen calendar beyond the page's does not have; empty
    // when it has them all.
    std::string levelsMissingFromCalendar() const;
    // The field check shared by the six date boxes.
    enum class FieldKind { Day, Month, Year };
    void checkField(TextBox& box, FieldKind kind);
    // Rebuilds one piece of the preview caption.
    enum class PreviewPiece { Day, Month, Year };
    void rebuildPreview(PreviewPiece piece, std::int16_t index);

    MessageService& messages_;
    PointerService& pointer_;
    errors::ProcedureTrap trap_;
    calendar::CalendarState state_;
    calendar::CalendarBuilder builder_;
    CalendarPage page_;
    std::vector<WizardResultListener> wizardResultListeners_;
    std::vector<StepDescriptionListener> stepDescriptionListeners_;
    std::function<bool()> generationApproval_;
};

}  // namespace annalex::control
