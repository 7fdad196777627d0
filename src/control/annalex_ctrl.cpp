// The control's shell: start-up, properties, events, OK, Cancel and the calendar type.

#include "control/annalex_ctrl.hpp"

#include <algorithm>
#include <cmath>

#include "calendar/calendar_list.hpp"
#include "common/checked_int.hpp"
#include "common/numeric.hpp"
#include "control/typed_year.hpp"

namespace annalex::control {

using errors::kControlModule;
using errors::ProcedureLabels;

namespace {

// A year box's text as a year with its century.
Int16 typedYear(const std::string& text) {
    return narrowChecked<std::int16_t>(withCentury(toInt16(text)));
}

}  // namespace

std::string AnnalexCtrl::levelsMissingFromCalendar() const {
    const calendar::CalendarEntry* entry = calendar::findCalendar(state_.extendedCalendar);
    if (entry == nullptr) {
        return {};
    }
    std::vector<std::string> missing;
    for (std::int32_t i = 0; i <= 4; ++i) {
        const auto bit = static_cast<std::int16_t>(1 << i);
        if ((state_.levelMask & bit) != 0 && (entry->levels & bit) == 0) {
            missing.push_back(page_.availableList.entries()[static_cast<std::size_t>(i)]);
        }
    }
    if (missing.empty()) {
        return {};
    }
    std::string names = missing.front();
    for (std::size_t i = 1; i < missing.size(); ++i) {
        names += (i + 1 == missing.size() ? " or " : ", ") + missing[i];
    }
    return "The calendar \"" + std::string(entry->caption) + "\" has no " + names +
           " level. Please untick " + (missing.size() == 1 ? "it" : "them") +
           " or choose another calendar.";
}

AnnalexCtrl::AnnalexCtrl(MessageService& messages, PointerService& pointer,
                         errors::FailureReporter& reporter)
    : messages_(messages), pointer_(pointer), trap_(reporter), builder_(state_, *this, trap_) {
    wireEvents();
    UserControl_Initialize();
}

void AnnalexCtrl::wireEvents() {
    page_.btOk.onClick([this] { btOk_Click(); });
    page_.btCancel.onClick([this] { btCancel_Click(); });
    std::vector<OptionButton*> group{&page_.calendarType[0], &page_.calendarType[1]};
    for (OptionButton* button : group) {
        button->joinGroup(group, [this](std::int16_t index) { calendarType_Click(index); });
    }
    page_.txtStartDay.onChange([this] { txtStartDay_Change(); });
    page_.txtStartMonth.onChange([this] { txtStartMonth_Change(); });
    page_.txtStartYear.onChange([this] { txtStartYear_Change(); });
    page_.txtEndDay.onChange([this] { txtEndDay_Change(); });
    page_.txtEndMonth.onChange([this] { txtEndMonth_Change(); });
    page_.txtEndYear.onChange([this] { txtEndYear_Change(); });
    page_.cmbDay.onClick([this] { cmbDay_Click(); });
    page_.cmbMonth.onClick([this] { cmbMonth_Click(); });
    page_.cmbYear.onClick([this] { cmbYear_Click(); });
    page_.cmbDay.onChange([this] { cmbDay_Change(); });
    page_.cmbMonth.onChange([this] { cmbMonth_Change(); });
    page_.cmbYear.onChange([this] { cmbYear_Change(); });
}

void AnnalexCtrl::UserControl_Initialize() {
    static constexpr ProcedureLabels kLabels{kControlModule,
                                             "Private Sub UserControl_Initialize()"};
    trap_.run(kLabels, [&] {
        state_.dateSeparator = "-";
        state_.gregorian = true;
        state_.yearCount = 0;
        state_.yearSuffix.clear();
        state_.dayParentName.clear();
        state_.startDateText = "01-01-01";
        state_.endDateText = "31-12-01";
        page_.cmbDay.select(0);
        page_.cmbMonth.select(0);
        page_.cmbYear.select(0);
        builder_.monthNames();
        builder_.monthDaysDef();
        builder_.dayNames();
    });
}

cube::CubeRef AnnalexCtrl::theCube() {
    static constexpr ProcedureLabels kLabels{kControlModule,
                                             "Public Property Get theCube() As Cube"};
    cube::CubeRef result;
    trap_.run(kLabels, [&] { result = state_.theCube; });
    return result;
}

void AnnalexCtrl::setTheCube(const cube::CubeRef& aCube) {
    static constexpr ProcedureLabels kLabels{kControlModule,
                                             "Public Property Set theCube(ByVal aCube As Cube)"};
    trap_.run(kLabels, [&] { state_.theCube = aCube; });
}

cube::DimensionRef AnnalexCtrl::theTimeDimension() {
    static constexpr ProcedureLabels kLabels{kControlModule,
                                             "Public Property Get theTimeDimension() As Dimension"};
    cube::DimensionRef result;
    trap_.run(kLabels, [&] { result = state_.theTimeDimension; });
    return result;
}

void AnnalexCtrl::setTheTimeDimension(const cube::DimensionRef& aTimeDimension) {
    static constexpr ProcedureLabels kLabels{
        kControlModule, "Public Property Set theTimeDimension(ByVal aTimeDimension As Dimension)"};
    trap_.run(kLabels, [&] { state_.theTimeDimension = aTimeDimension; });
}

void AnnalexCtrl::addWizardResultListener(WizardResultListener listener) {
    wizardResultListeners_.push_back(std::move(listener));
}

void AnnalexCtrl::addStepDescriptionListener(StepDescriptionListener listener) {
    stepDescriptionListeners_.push_back(std::move(listener));
}

void AnnalexCtrl::raiseWizardResult(bool result) {
    for (const auto& listener : wizardResultListeners_) {
        listener(result);
    }
}

void AnnalexCtrl::showError(std::string text) {
    messages_.show(errorMessage(std::move(text)));
}

void AnnalexCtrl::btOk_Click() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub btOk_Click()"};
    trap_.run(kLabels, [&] {
        // 1. The dates as typed, joined with a literal "-".
        state_.startDateText = page_.txtStartDay.text() + "-" + page_.txtStartMonth.text() + "-" +
                               page_.txtStartYear.text();
        state_.endDateText =
            page_.txtEndDay.text() + "-" + page_.txtEndMonth.text() + "-" + page_.txtEndYear.text();

        // 2. Both dates parse and pass their checks (which store them).
        if (!checkDateFormat(1)) {
            return;
        }
        if (!checkDateFormat(2)) {
            return;
        }

        // 3. The end date does not lie before the start date, compared from the boxes.
        bool orderWrong = false;
        const Int16 startYear = typedYear(page_.txtStartYear.text());
        const Int16 endYear = typedYear(page_.txtEndYear.text());
        if (startYear > endYear) {
            orderWrong = true;
        } else if (startYear == endYear) {
            const Int16 startMonth = toInt16(page_.txtStartMonth.text());
            const Int16 endMonth = toInt16(page_.txtEndMonth.text());
            if (endMonth < startMonth) {
                orderWrong = true;
            } else if (endMonth == startMonth) {
                const Int16 startDay = toInt16(page_.txtStartDay.text());
                const Int16 endDay = toInt16(page_.txtEndDay.text());
                orderWrong = endDay < startDay;
            }
        }
        if (orderWrong) {
            showError("End date must be after start date");
            return;
        }

        // 4. The level choice as a sum of powers of two (the sum is computed in floating point
        //    and converted back, which gives the same as setting bit i).
        state_.levelMask = 0;
        double mask = 0;
        for (std::int32_t i = 0; i <= 4; ++i) {
            if (page_.availableList.selected(i)) {
                mask += std::pow(2.0, i);
            }
        }
        state_.levelMask = roundToInt16(mask);

        // 5. The combinations that cannot be generated.
        using calendar::kDayBit;
        using calendar::kQuarterBit;
        using calendar::kYearBit;
        // A calendar beyond the page's takes any non-empty set of its own levels.
        const bool pageCalendar = state_.extendedCalendar.empty();
        if (!pageCalendar && state_.levelMask != 0) {
            if (std::string missing = levelsMissingFromCalendar(); !missing.empty()) {
                showError(std::move(missing));
                return;
            }
        }
        switch (pageCalendar ? state_.levelMask : std::min<std::int16_t>(state_.levelMask, 1)) {
            case 0:
                showError("Please select at least one level");
                return;
            case kQuarterBit | kDayBit:
            case kYearBit | kQuarterBit | kDayBit:
                showError(
                    "The selection Quarter/Day is not valid. Please select at least another "
                    "level between Quarter and Day.");
                return;
            case kDayBit:
                showError(
                    "Selecting Day level only is not valid. Please select at least another "
                    "level.");
                return;
            default:
                break;
        }

        // 6. Generate, once the host agrees.
        if (generationApproval_ && !generationApproval_()) {
            return;
        }
        messages_.show(infoMessage(
            "The generation of the selected calendar may take a few minutes. Please wait."));
        pointer_.setPointer(MousePointer::Hourglass);
        builder_.addLevels();
        if (pageCalendar) {
            builder_.addMembers();
        } else {
            builder_.addPeriodMembers();
        }
        pointer_.setPointer(MousePointer::Default);
        raiseWizardResult(true);
    });
}

void AnnalexCtrl::btCancel_Click() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub btCancel_Click()"};
    trap_.run(kLabels, [&] { raiseWizardResult(false); });
}

void AnnalexCtrl::calendarType_Click(std::int16_t Index) {
    static constexpr ProcedureLabels kLabels{kControlModule,
                                             "Private Sub calendarType_Click(Index As Integer)"};
    trap_.run(kLabels, [&] { state_.gregorian = Index == 0; });
}

}  // namespace annalex::control
