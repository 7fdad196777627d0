// The date boxes' own checks while typing, and the parse and check of a whole date on OK.

#include "calendar/dates.hpp"
#include "common/checked_int.hpp"
#include "common/numeric.hpp"
#include "control/annalex_ctrl.hpp"
#include "control/typed_year.hpp"

namespace annalex::control {

using errors::kControlModule;
using errors::ProcedureLabels;

void AnnalexCtrl::checkField(TextBox& box, FieldKind kind) {
    const std::string& text = box.text();
    if (!isNumeric(text)) {
        switch (kind) {
            case FieldKind::Day:
                showError("Day must be a numeric value.");
                break;
            case FieldKind::Month:
                showError("Month must be a numeric value.");
                break;
            case FieldKind::Year:
                showError("Year must be a numeric value.");
                break;
        }
        box.selectAll();
        box.setFocus();
        return;
    }
    if (kind == FieldKind::Year) {
        return;
    }
    const std::int16_t value = toInt16(text);
    const std::int16_t bound = kind == FieldKind::Day ? 31 : 12;
    if (value < 0 || value > bound) {
        showError(kind == FieldKind::Day ? "Invalid day." : "Invalid month.");
        box.selectAll();
        box.setFocus();
    }
}

void AnnalexCtrl::txtStartDay_Change() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub txtStartDay_Change()"};
    trap_.run(kLabels, [&] { checkField(page_.txtStartDay, FieldKind::Day); });
}

void AnnalexCtrl::txtStartMonth_Change() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub txtStartMonth_Change()"};
    trap_.run(kLabels, [&] { checkField(page_.txtStartMonth, FieldKind::Month); });
}

void AnnalexCtrl::txtStartYear_Change() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub txtStartYear_Change()"};
    trap_.run(kLabels, [&] { checkField(page_.txtStartYear, FieldKind::Year); });
}

void AnnalexCtrl::txtEndDay_Change() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub txtEndDay_Change()"};
    trap_.run(kLabels, [&] { checkField(page_.txtEndDay, FieldKind::Day); });
}

void AnnalexCtrl::txtEndMonth_Change() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub txtEndMonth_Change()"};
    trap_.run(kLabels, [&] { checkField(page_.txtEndMonth, FieldKind::Month); });
}

void AnnalexCtrl::txtEndYear_Change() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub txtEndYear_Change()"};
    trap_.run(kLabels, [&] { checkField(page_.txtEndYear, FieldKind::Year); });
}

bool AnnalexCtrl::checkDateFormat(std::int16_t dateType) {
    static constexpr ProcedureLabels kLabels{
        kControlModule, "Private Function checkDateFormat(dateType As Integer) As Boolean"};
    bool result = false;
    trap_.run(kLabels, [&] {
        const std::string& text = dateType == 1 ? state_.startDateText : state_.endDateText;
        if (dateFormatValid(text, dateType)) {
            result = true;
            return;
        }
        // Whichever part was wrong, the day box of that date takes the focus.
        TextBox& dayBox = dateType == 1 ? page_.txtStartDay : page_.txtEndDay;
        dayBox.selectAll();
        dayBox.setFocus();
    });
    return result;
}

bool AnnalexCtrl::dateFormatValid(std::string_view aDate, std::int16_t dateType) {
    static constexpr ProcedureLabels kLabels{
        kControlModule,
        "Private Function dateFormatValid(aDate As String, dateType As Integer) As Boolean"};
    bool result = true;
    bool finished = false;
    trap_.run(kLabels, [&] {
        LineFields pieces;
        builder_.splitLine(aDate, state_.dateSeparator, pieces);
        const std::string& dayPiece = pieces[1];
        const std::string& monthPiece = pieces[2];
        const std::string& yearPiece = pieces[3];

        // A day written with its weekday ("Mon 05") counts by its last two characters.
        const Int16 day = isNumeric(dayPiece) ? toInt16(dayPiece)
                                              : toInt16(std::string_view(dayPiece).substr(
                                                    dayPiece.size() < 2 ? 0 : dayPiece.size() - 2));
        const Int16 month = isNumeric(monthPiece) ? toInt16(monthPiece)
                                                  : toInt16(builder_.convertMonth(monthPiece));
        Int32 year = toInt32(yearPiece);

        if (month < 1 || month > 12) {
            showError("Invalid month");
            result = false;
        } else if (day < 0 || day > 31) {
            showError("Invalid day");
            result = false;
        }
        // The month's length is checked even after a failed range check, so a February day
        // beyond 31 is reported twice. A 30-day month refuses its 31st; February refuses any
        // day past its end in the year as typed (a typed "00" is a leap year).
        const std::int16_t length = calendar::daysInMonth(year, month);
        if ((length == 30 && day == 31) || (month == 2 && day > length)) {
            showError("Invalid day");
            result = false;
        }

        year = withCentury(year);

        if (result) {
            calendar::DateParts& stored = dateType == 1 ? state_.startDate : state_.endDate;
            stored.day = day;
            stored.month = month;
            // A year beyond 16 bits fails here, after day and month were written.
            stored.year = narrowChecked<std::int16_t>(year.value());
            if (dateType == 1) {
                state_.currentYear = year;
            }
        }
        finished = true;
    });
    // A failure caught by the trap answers false.
    return finished && result;
}

}  // namespace annalex::control
