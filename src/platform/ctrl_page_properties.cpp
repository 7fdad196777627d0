// The page's inputs a host drives through IAnnalexCtrl: the date boxes, the format lists, the
// level list, the calendar with the rules of the week-based calendars, and filled attributes.
// Each works the page's own controls, so their handlers run as when a person uses the page.

#include <algorithm>
#include <array>
#include <cctype>

#include "calendar/calendar_list.hpp"
#include "calendar/holidays/holiday_sets.hpp"
#include "calendar/holidays/rule_parser.hpp"
#include "platform/call_results.hpp"
#include "platform/ctrl_object.hpp"

namespace annalex::platform {

namespace {

constexpr std::array<std::string_view, 7> kWeekdays = {"sun", "mon", "tue", "wed",
                                                       "thu", "fri", "sat"};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

[[noreturn]] void refuse(const char* property, const std::string& given, const char* expected) {
    throw CallError(E_INVALIDARG, std::string(property) + ": '" + given + "' is not " + expected);
}

// One of the texts of a choice, any case; its position among them.
template <std::size_t Count>
std::size_t choiceOf(BSTR given, const std::array<std::string_view, Count>& choices,
                     const char* property, const char* expected) {
    const std::string text = lower(fromBstr(given));
    const auto found = std::find(choices.begin(), choices.end(), text);
    if (found == choices.end()) {
        refuse(property, fromBstr(given), expected);
    }
    return static_cast<std::size_t>(found - choices.begin());
}

short checkedRange(short value, short low, short high, const char* property) {
    if (value < low || value > high) {
        refuse(property, std::to_string(value),
               (std::string("a number from ") + std::to_string(low) + " to " + std::to_string(high))
                   .c_str());
    }
    return value;
}

constexpr std::array<std::string_view, 2> kYearEndRules = {"last", "nearest"};
constexpr std::array<std::string_view, 2> kYearNames = {"start", "end"};
constexpr std::array<std::string_view, 3> kPatterns = {"445", "454", "544"};

}  // namespace

// ---- date boxes ----

HRESULT CtrlObject::boxText(control::TextBox& box, BSTR* text) {
    return call([&] { handOutText(box.text(), text); });
}

HRESULT CtrlObject::setBoxText(control::TextBox& box, BSTR text) {
    return call([&] { box.setText(fromBstr(text)); });
}

HRESULT CtrlObject::get_txtStartDay(BSTR* text) {
    return boxText(ctrl_->page().txtStartDay, text);
}
HRESULT CtrlObject::put_txtStartDay(BSTR text) {
    return setBoxText(ctrl_->page().txtStartDay, text);
}
HRESULT CtrlObject::get_txtStartMonth(BSTR* text) {
    return boxText(ctrl_->page().txtStartMonth, text);
}
HRESULT CtrlObject::put_txtStartMonth(BSTR text) {
    return setBoxText(ctrl_->page().txtStartMonth, text);
}
HRESULT CtrlObject::get_txtStartYear(BSTR* text) {
    return boxText(ctrl_->page().txtStartYear, text);
}
HRESULT CtrlObject::put_txtStartYear(BSTR text) {
    return setBoxText(ctrl_->page().txtStartYear, text);
}
HRESULT CtrlObject::get_txtEndDay(BSTR* text) {
    return boxText(ctrl_->page().txtEndDay, text);
}
HRESULT CtrlObject::put_txtEndDay(BSTR text) {
    return setBoxText(ctrl_->page().txtEndDay, text);
}
HRESULT CtrlObject::get_txtEndMonth(BSTR* text) {
    return boxText(ctrl_->page().txtEndMonth, text);
}
HRESULT CtrlObject::put_txtEndMonth(BSTR text) {
    return setBoxText(ctrl_->page().txtEndMonth, text);
}
HRESULT CtrlObject::get_txtEndYear(BSTR* text) {
    return boxText(ctrl_->page().txtEndYear, text);
}
HRESULT CtrlObject::put_txtEndYear(BSTR text) {
    return setBoxText(ctrl_->page().txtEndYear, text);
}

// ---- format lists ----

HRESULT CtrlObject::listIndex(const control::DropDownList& list, short* index) {
    return call([&] { out(index) = list.listIndex(); });
}

HRESULT CtrlObject::selectEntry(control::DropDownList& list, short index) {
    return call([&] {
        const auto count = static_cast<short>(list.entries().size());
        if (index < 0 || index >= count) {
            throw CallError(E_INVALIDARG, list.name() + ": there is no entry " +
                                              std::to_string(index) + "; the entries are 0 to " +
                                              std::to_string(count - 1));
        }
        list.select(index);
    });
}

HRESULT CtrlObject::get_cmbDay(short* index) {
    return listIndex(ctrl_->page().cmbDay, index);
}
HRESULT CtrlObject::put_cmbDay(short index) {
    return selectEntry(ctrl_->page().cmbDay, index);
}
HRESULT CtrlObject::get_cmbMonth(short* index) {
    return listIndex(ctrl_->page().cmbMonth, index);
}
HRESULT CtrlObject::put_cmbMonth(short index) {
    return selectEntry(ctrl_->page().cmbMonth, index);
}
HRESULT CtrlObject::get_cmbYear(short* index) {
    return listIndex(ctrl_->page().cmbYear, index);
}
HRESULT CtrlObject::put_cmbYear(short index) {
    return selectEntry(ctrl_->page().cmbYear, index);
}

HRESULT CtrlObject::get_lblDateFormat(BSTR* caption) {
    return call([&] { handOutText(ctrl_->page().lblDateFormat.caption(), caption); });
}

// ---- levels ----

HRESULT CtrlObject::get_levels(BSTR* names) {
    return call([&] {
        const auto& list = ctrl_->page().availableList;
        std::string joined;
        for (std::size_t entry = 0; entry < list.entries().size(); ++entry) {
            if (list.selected(static_cast<std::int32_t>(entry))) {
                joined += (joined.empty() ? "" : ",") + list.entries()[entry];
            }
        }
        handOutText(joined, names);
    });
}

HRESULT CtrlObject::put_levels(BSTR names) {
    return call([&] {
        auto& list = ctrl_->page().availableList;
        const auto& entries = list.entries();
        std::vector<bool> ticks(entries.size(), false);
        const std::string given = fromBstr(names);
        std::string_view rest = given;
        while (!trimmed(rest).empty()) {
            const auto comma = rest.find(',');
            const std::string name = trimmed(rest.substr(0, comma));
            const auto found = std::find_if(entries.begin(), entries.end(),
                                            [&](const auto& e) { return lower(e) == lower(name); });
            if (found == entries.end()) {
                refuse("levels", name, "a level (Year, Quarter, Month, Week, Day)");
            }
            ticks[static_cast<std::size_t>(found - entries.begin())] = true;
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        }
        for (std::size_t entry = 0; entry < entries.size(); ++entry) {
            list.setSelected(static_cast<std::int32_t>(entry), ticks[entry]);
        }
    });
}

// ---- calendar and its rules ----

HRESULT CtrlObject::get_calendar(BSTR* key) {
    return call([&] { handOutText(ctrl_->chosenCalendar(), key); });
}

HRESULT CtrlObject::put_calendar(BSTR key) {
    return call([&] {
        if (!ctrl_->chooseCalendar(lower(fromBstr(key)), rules_)) {
            std::string keys;
            for (const auto& entry : calendar::calendarList()) {
                keys += (keys.empty() ? "" : ", ") + std::string(entry.key);
            }
            refuse("calendar", fromBstr(key), ("a calendar (" + keys + ")").c_str());
        }
    });
}

void CtrlObject::applyRules() {
    const std::string current(ctrl_->chosenCalendar());
    ctrl_->chooseCalendar(current, rules_);
}

HRESULT CtrlObject::get_weekStart(BSTR* day) {
    return call([&] { handOutText(kWeekdays[rules_.weekStart.c_encoding()], day); });
}

HRESULT CtrlObject::put_weekStart(BSTR day) {
    return call([&] {
        const std::size_t found = choiceOf(day, kWeekdays, "weekStart", "a weekday (sun to sat)");
        rules_.weekStart = std::chrono::weekday(static_cast<unsigned>(found));
        applyRules();
    });
}

HRESULT CtrlObject::get_yearEndMonth(short* month) {
    return call([&] { out(month) = static_cast<short>(rules_.yearEndMonth); });
}

HRESULT CtrlObject::put_yearEndMonth(short month) {
    return call([&] {
        rules_.yearEndMonth = checkedRange(month, 1, 12, "yearEndMonth");
        applyRules();
    });
}

HRESULT CtrlObject::get_yearEndRule(BSTR* rule) {
    return call([&] {
        handOutText(kYearEndRules[rules_.yearEndRule == calendar::YearEndRule::Nearest], rule);
    });
}

HRESULT CtrlObject::put_yearEndRule(BSTR rule) {
    return call([&] {
        rules_.yearEndRule = choiceOf(rule, kYearEndRules, "yearEndRule", "last or nearest") == 1
                                 ? calendar::YearEndRule::Nearest
                                 : calendar::YearEndRule::Last;
        applyRules();
    });
}

HRESULT CtrlObject::get_yearName(BSTR* rule) {
    return call([&] { handOutText(kYearNames[rules_.yearName == calendar::YearName::End], rule); });
}

HRESULT CtrlObject::put_yearName(BSTR rule) {
    return call([&] {
        rules_.yearName = choiceOf(rule, kYearNames, "yearName", "start or end") == 1
                              ? calendar::YearName::End
                              : calendar::YearName::Start;
        applyRules();
    });
}

HRESULT CtrlObject::get_pattern(BSTR* weeks) {
    return call([&] { handOutText(kPatterns[static_cast<std::size_t>(rules_.pattern)], weeks); });
}

HRESULT CtrlObject::put_pattern(BSTR weeks) {
    return call([&] {
        rules_.pattern = static_cast<calendar::RetailPattern>(
            choiceOf(weeks, kPatterns, "pattern", "445, 454 or 544"));
        applyRules();
    });
}

HRESULT CtrlObject::get_longQuarter(short* quarter) {
    return call([&] { out(quarter) = static_cast<short>(rules_.longQuarter); });
}

HRESULT CtrlObject::put_longQuarter(short quarter) {
    return call([&] {
        rules_.longQuarter = checkedRange(quarter, 1, 4, "longQuarter");
        applyRules();
    });
}

// ---- filled attributes ----

HRESULT CtrlObject::get_fillAttributes(VARIANT_BOOL* fill) {
    return call([&] { out(fill) = ctrl_->state().fillAttributes ? VARIANT_TRUE : VARIANT_FALSE; });
}

HRESULT CtrlObject::put_fillAttributes(VARIANT_BOOL fill) {
    return call([&] { ctrl_->setFillAttributes(fill != VARIANT_FALSE); });
}

HRESULT CtrlObject::get_holidays(BSTR* setOrFile) {
    return call([&] { handOutText(holidays_, setOrFile); });
}

HRESULT CtrlObject::put_holidays(BSTR setOrFile) {
    return call([&] {
        std::string given = fromBstr(setOrFile);
        if (untrustedCaller() && !given.empty() &&
            calendar::holidays::findBuiltinSet(given) == nullptr) {
            throw CallError(E_ACCESSDENIED, "holidays: '" + given +
                                                "' is not a built-in set, and a container that "
                                                "keeps its scripts safe lets them read no file");
        }
        const std::string fault = ctrl_->setHolidays(given);
        if (!fault.empty()) {
            throw CallError(E_INVALIDARG, "holidays: " + fault);
        }
        holidays_ = std::move(given);
    });
}

HRESULT CtrlObject::get_weekend(BSTR* days) {
    return call([&] { handOutText(weekend_, days); });
}

HRESULT CtrlObject::put_weekend(BSTR days) {
    return call([&] {
        const std::string given = lower(trimmed(fromBstr(days)));
        calendar::holidays::WeekdaySet set;
        if (given != "none" && !calendar::holidays::weekdaysNamed(given, set)) {
            refuse("weekend", given,
                   "a list of different weekdays (sun to sat) joined by commas, or none");
        }
        ctrl_->setWeekend(set);
        weekend_ = given;
    });
}

}  // namespace annalex::platform
