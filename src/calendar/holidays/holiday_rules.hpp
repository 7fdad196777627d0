#pragma once
// A holiday set as its rules file describes it: one rule per holiday, each saying on which day
// of a year the holiday falls, in which years it is kept, and where it is observed when it
// lands on a day the rule moves it from. The rule language itself: docs/holidays.md.

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace annalex::calendar::holidays {

// A set of weekdays, one bit per std::chrono::weekday::c_encoding() (bit 0 Sunday).
struct WeekdaySet {
    std::uint8_t bits = 0;

    static WeekdaySet saturdaySunday() { return WeekdaySet{(1u << 6) | 1u}; }
    static WeekdaySet wholeWeek() { return WeekdaySet{0x7f}; }
    bool has(std::chrono::weekday day) const { return (bits >> day.c_encoding()) & 1u; }
    void add(std::chrono::weekday day) {
        bits = static_cast<std::uint8_t>(bits | (1u << day.c_encoding()));
    }
    bool empty() const { return bits == 0; }

    friend bool operator==(const WeekdaySet&, const WeekdaySet&) = default;
};

// Holidays exist for the years 1 to 32767, those in which the calendars form dates.
inline constexpr int kFirstHolidayYear = 1;
inline constexpr int kLastHolidayYear = 32767;

// The most rules one rules file may hold, its includes counted: enough for any real set, few
// enough that reading and evaluating them stays quick.
inline constexpr std::size_t kMaxRules = 10000;

// Which day of a year a rule names.
enum class DayForm : std::uint8_t {
    Fixed,          // month and day, every year ("12-25")
    OneOff,         // one date of one year ("2022-09-19")
    NthWeekday,     // the nth weekday of a month ("4th thu 11"); nth -1 is the last
    WeekdayBefore,  // the last weekday strictly before a month and day ("wed before 11-23")
    Easter,         // an offset in days from Easter Sunday ("easter -2")
};

// Where a holiday landing on one of the from days is observed instead.
enum class ObserveTarget : std::uint8_t {
    Weekday,             // the nearest day of that weekday (at most three days away)
    NextWorkingDay,      // the first later working day that is not already a holiday
    PreviousWorkingDay,  // the last earlier working day that is not already a holiday
};

struct Observance {
    WeekdaySet from;
    ObserveTarget target = ObserveTarget::Weekday;
    std::chrono::weekday weekday;  // for ObserveTarget::Weekday
};

// A holiday's name in another language, from a `name TAG = NAME` line of its rules file.
struct LocalName {
    std::string language;  // a BCP 47 tag, as written ("en", "pt-BR")
    std::string name;
};

struct Rule {
    std::string name;  // as written after "=" on the rule's line
    std::vector<LocalName> localNames;
    DayForm form = DayForm::Fixed;
    unsigned month = 1;            // Fixed, OneOff, NthWeekday, WeekdayBefore
    unsigned day = 1;              // Fixed, OneOff, WeekdayBefore
    int nth = 1;                   // NthWeekday: 1 to 5, or -1 for the last
    std::chrono::weekday weekday;  // NthWeekday, WeekdayBefore
    int offset = 0;                // Easter: days from Easter Sunday
    // Kept from firstYear to lastYear, both included, except the listed years. A one-off day
    // has both set to its year.
    int firstYear = kFirstHolidayYear;
    int lastYear = kLastHolidayYear;
    std::vector<int> exceptYears;
    std::vector<Observance> observances;
    // The days that are not working days for NextWorkingDay and PreviousWorkingDay: the
    // weekend that the rule's file declares (Saturday and Sunday unless it says otherwise).
    WeekdaySet weekend = WeekdaySet::saturdaySunday();
};

using RuleSet = std::vector<Rule>;

// A rules file that cannot be read, with the file and line at fault ("us.rules:12: ...").
class HolidayError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace annalex::calendar::holidays
