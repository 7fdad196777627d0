#include <gtest/gtest.h>

#include "support/page_doubles.hpp"

namespace annalex::control {
namespace {

using testing::ControlHarness;

// Types text into a box one character at a time, as a person would, so that each keystroke
// raises the box's Change handler.
void typeInto(TextBox& box, const std::string& text) {
    std::string sofar;
    for (char c : text) {
        sofar += c;
        box.setText(sofar);
    }
}

void backspace(TextBox& box) {
    std::string text = box.text();
    text.pop_back();
    box.setText(text);
}

TEST(FieldChecks, ClearingADayBoxComplainsOnlyAtTheEmptyText) {
    ControlHarness h;
    TextBox& day = h.ctrl.page().txtStartDay;
    backspace(day);  // "0": in range
    EXPECT_TRUE(h.messages.shown.empty());
    backspace(day);  // "": not numeric
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0], errorMessage("Day must be a numeric value."));
    EXPECT_EQ(day.text(), "");  // never edited by the system
    EXPECT_TRUE(day.hasFocus());
    EXPECT_EQ(day.selStart(), 0);
    EXPECT_EQ(day.selLength(), 0);
}

TEST(FieldChecks, OutOfRangeValuesAreRejectedWithTheBoxSelectedAndFocused) {
    ControlHarness h;
    CalendarPage& page = h.ctrl.page();
    page.txtEndDay.setText("32");
    page.txtStartMonth.setText("13");
    EXPECT_EQ(h.messages.texts(), (std::vector<std::string>{"Invalid day.", "Invalid month."}));
    EXPECT_TRUE(page.txtStartMonth.hasFocus());
    EXPECT_EQ(page.txtStartMonth.selStart(), 0);
    EXPECT_EQ(page.txtStartMonth.selLength(), 2);
    EXPECT_EQ(page.txtEndDay.text(), "32");
    h.messages.shown.clear();
    page.txtStartDay.setText("0");
    page.txtStartMonth.setText("0");
    page.txtEndMonth.setText("-1");
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{"Invalid month."});
}

TEST(FieldChecks, YearBoxesOnlyNeedANumberAndMonthNamesAreNotNumbers) {
    ControlHarness h;
    CalendarPage& page = h.ctrl.page();
    typeInto(page.txtStartYear, "2001");
    page.txtEndYear.setText("12x");
    typeInto(page.txtStartMonth, "Jan");
    EXPECT_EQ(h.messages.texts(),
              (std::vector<std::string>{
                  "Year must be a numeric value.", "Month must be a numeric value.",
                  "Month must be a numeric value.", "Month must be a numeric value."}));
    EXPECT_TRUE(page.txtStartMonth.hasFocus());
}

// Presses OK with the given start date, the default end date and Year ticked; returns the
// messages shown (the "Info" notice included when the date passed).
std::vector<std::string> okWithStart(ControlHarness& h, const char* day, const char* month,
                                     const char* year) {
    h.typeStart(day, month, year);
    h.typeEnd("31", "12", "2050");
    h.tick(1);
    h.messages.shown.clear();
    h.pressOk();
    return h.messages.texts();
}

const char* const kInfo =
    "The generation of the selected calendar may take a few minutes. Please wait.";

struct ParseCase {
    const char* day;
    const char* month;
    const char* year;
    std::vector<std::string> messages;
    calendar::DateParts stored;  // when accepted
};

void PrintTo(const ParseCase& c, std::ostream* out) {
    *out << c.day << "-" << c.month << "-" << c.year;
}

class DateParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DateParse, ChecksAndStoresTheStartDate) {
    const ParseCase& c = GetParam();
    ControlHarness h;
    const auto shown = okWithStart(h, c.day, c.month, c.year);
    EXPECT_EQ(shown, c.messages);
    if (!c.messages.empty() && c.messages.back() == kInfo) {
        EXPECT_EQ(h.ctrl.state().startDate, c.stored);
    } else {
        EXPECT_TRUE(h.ctrl.page().txtStartDay.hasFocus());
        EXPECT_EQ(h.ctrl.page().txtStartDay.selLength(),
                  static_cast<std::int32_t>(std::string(c.day).size()));
        EXPECT_EQ(h.ctrl.state().currentYear, 0);
    }
    EXPECT_TRUE(h.reporter.reports().empty());
}

INSTANTIATE_TEST_SUITE_P(
    OkHandler, DateParse,
    // "Invalid day." while typing, "Invalid day" on OK.
    ::testing::Values(ParseCase{"00", "01", "01", {kInfo}, {0, 1, 2001}},  // day 0 is accepted
                      ParseCase{"01", "01", "49", {kInfo}, {1, 1, 2049}},
                      ParseCase{"01", "01", "50", {kInfo}, {1, 1, 1950}},
                      ParseCase{"31", "04", "01", {"Invalid day"}, {}},
                      ParseCase{"30", "04", "01", {kInfo}, {30, 4, 2001}},
                      ParseCase{"29", "02", "01", {"Invalid day"}, {}},
                      ParseCase{"29", "02", "04", {kInfo}, {29, 2, 2004}},
                      ParseCase{"29", "02", "00", {kInfo}, {29, 2, 2000}},
                      ParseCase{"30", "02", "04", {"Invalid day"}, {}},
                      ParseCase{"45", "02", "01", {"Invalid day", "Invalid day"}, {}},
                      ParseCase{"32", "01", "01", {"Invalid day"}, {}},
                      ParseCase{"05", "13", "01", {"Invalid month"}, {}},
                      ParseCase{"05", "", "01", {"Invalid month"}, {}},
                      ParseCase{"05", "Jan", "01", {kInfo}, {5, 1, 2001}},
                      ParseCase{"Mon 05", "Feb", "01", {kInfo}, {5, 2, 2001}},
                      ParseCase{"05", "Foo", "01", {"Invalid month"}, {}},
                      // A month name is read by its first three letters, in any case.
                      ParseCase{"05", "sEpTember", "01", {kInfo}, {5, 9, 2001}},
                      ParseCase{"05", "Dec_ 2001", "01", {kInfo}, {5, 12, 2001}},
                      ParseCase{"05", "Ja", "01", {"Invalid month"}, {}}));

TEST(DateParse, AFailedEndDateFocusesTheEndDayAndKeepsThePreviousEndDate) {
    ControlHarness h;
    h.tick(1);
    h.pressOk();
    const calendar::DateParts before = h.ctrl.state().endDate;
    h.typeEnd("31", "06", "01");
    h.messages.shown.clear();
    h.pressOk();
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{"Invalid day"});
    EXPECT_TRUE(h.ctrl.page().txtEndDay.hasFocus());
    EXPECT_EQ(h.ctrl.state().endDate, before);
}

}  // namespace
}  // namespace annalex::control
