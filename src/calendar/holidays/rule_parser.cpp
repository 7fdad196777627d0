// The rule language, line by line: a comment from '#' to the end of the line, and on what is
// left either nothing, `include WHAT`, `weekend DAYS`, a rule `DAY [OPTIONS] = NAME` or, below
// a rule, its name in another language `name TAG = NAME`.

#include "calendar/holidays/rule_parser.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <set>
#include <vector>

namespace annalex::calendar::holidays {
namespace {

constexpr std::array<std::string_view, 7> kWeekdayNames = {"sun", "mon", "tue", "wed",
                                                           "thu", "fri", "sat"};
constexpr int kMaxIncludeDepth = 16;
constexpr int kMaxEasterOffset = 200;
// The longest piece of a file a message quotes.
constexpr std::size_t kMaxQuoted = 60;

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

bool holdsControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), isControl);
}

// A piece of a rules file for a message, in single quotes: a byte that cannot be shown (a NUL,
// a control character) is written as \xNN, so that it neither ends nor garbles the message, and
// a long piece is cut short.
std::string quoted(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "'";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == kMaxQuoted) {
            out += "...";
            break;
        }
        const auto byte = static_cast<unsigned char>(text[i]);
        if (isControl(text[i])) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
        } else {
            out += text[i];
        }
    }
    return out + "'";
}

// The shape of a BCP 47 tag: a language of two or three letters, then subtags of one to eight
// letters and digits, joined by '-' ("en", "pt-BR", "sr-Latn-RS", "de-CH-1996").
bool wellFormedTag(std::string_view tag) {
    std::size_t at = 0;
    for (bool first = true; at <= tag.size(); first = false) {
        const std::size_t dash = std::min(tag.find('-', at), tag.size());
        const std::string_view subtag = tag.substr(at, dash - at);
        const bool letters = std::all_of(subtag.begin(), subtag.end(), [](char c) {
            return std::isalpha(static_cast<unsigned char>(c)) != 0;
        });
        const bool alphanumeric = std::all_of(subtag.begin(), subtag.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) != 0;
        });
        const bool fits = first ? letters && subtag.size() >= 2 && subtag.size() <= 3
                                : alphanumeric && !subtag.empty() && subtag.size() <= 8;
        if (!fits) {
            return false;
        }
        at = dash + 1;
    }
    return true;
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r')) {
            ++at;
        }
        const std::size_t start = at;
        while (at < text.size() && text[at] != ' ' && text[at] != '\t' && text[at] != '\r') {
            ++at;
        }
        if (at > start) {
            out.push_back(text.substr(start, at - start));
        }
    }
    return out;
}

// All of text as a decimal number (a leading '+' or '-' allowed when signed).
bool number(std::string_view text, int& out, bool allowSign = false) {
    if (allowSign && !text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return false;
        }
    } else if (!allowSign && !text.empty() && text.front() == '-') {
        return false;
    }
    if (text.empty() || text.size() > 6) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

// One line's reading, which throws with the file and line in the message.
class LineReader {
  public:
    LineReader(std::string_view source, int line) : source_(source), line_(line) {}

    [[noreturn]] void fail(const std::string& message) const {
        throw HolidayError(std::string(source_) + ":" + std::to_string(line_) + ": " + message);
    }

    std::chrono::weekday weekday(std::string_view text) const {
        std::chrono::weekday day;
        if (!weekdayNamed(text, day)) {
            fail("unknown weekday " + quoted(text) + ": expected sun, mon, ..., sat");
        }
        return day;
    }

    unsigned month(std::string_view text) const {
        int value = 0;
        if (text.size() != 2 || !number(text, value) || value < 1 || value > 12) {
            fail("bad month " + quoted(text) + ": expected 01 to 12");
        }
        return static_cast<unsigned>(value);
    }

    int year(std::string_view text) const {
        int value = 0;
        if (!number(text, value) || value < kFirstHolidayYear || value > kLastHolidayYear) {
            fail("bad year " + quoted(text) + ": expected " + std::to_string(kFirstHolidayYear) +
                 " to " + std::to_string(kLastHolidayYear));
        }
        return value;
    }

    // "MM-DD", any day a leap year has.
    void monthDay(std::string_view text, Rule& rule) const {
        int day = 0;
        if (text.size() != 5 || text[2] != '-' || !number(text.substr(3), day)) {
            fail("bad date " + quoted(text) + ": expected MM-DD");
        }
        rule.month = month(text.substr(0, 2));
        const auto last = std::chrono::year_month_day_last(
            std::chrono::year(2000), std::chrono::month_day_last(std::chrono::month(rule.month)));
        if (day < 1 || static_cast<unsigned>(day) > static_cast<unsigned>(last.day())) {
            fail("bad date " + quoted(text) + ": no such day in that month");
        }
        rule.day = static_cast<unsigned>(day);
    }

    // The day part of a rule; returns the number of words it used.
    std::size_t day(const std::vector<std::string_view>& w, Rule& rule) const {
        const std::string first = lower(w[0]);
        if (first == "easter") {
            rule.form = DayForm::Easter;
            if (w.size() > 1 && (w[1].front() == '+' || w[1].front() == '-')) {
                if (!number(w[1], rule.offset, true) || rule.offset < -kMaxEasterOffset ||
                    rule.offset > kMaxEasterOffset) {
                    fail("bad Easter offset " + quoted(w[1]) + ": expected -" +
                         std::to_string(kMaxEasterOffset) + " to +" +
                         std::to_string(kMaxEasterOffset));
                }
                return 2;
            }
            return 1;
        }
        if (first.size() == 10 && first[4] == '-') {
            rule.form = DayForm::OneOff;
            rule.firstYear = rule.lastYear = year(first.substr(0, 4));
            monthDay(std::string_view(first).substr(5), rule);
            const std::chrono::year_month_day date{std::chrono::year(rule.firstYear),
                                                   std::chrono::month(rule.month),
                                                   std::chrono::day(rule.day)};
            if (!date.ok()) {
                fail("bad date " + quoted(first) + ": no such day in that year");
            }
            return 1;
        }
        if (first.size() == 5 && first[2] == '-') {
            rule.form = DayForm::Fixed;
            monthDay(first, rule);
            return 1;
        }
        static constexpr std::array<std::string_view, 6> kNth = {"1st", "2nd", "3rd",
                                                                 "4th", "5th", "last"};
        const auto nth = std::find(kNth.begin(), kNth.end(), first);
        if (nth != kNth.end()) {
            if (w.size() < 3) {
                fail(quoted(first) + " needs a weekday and a month, as in '" + first + " mon 05'");
            }
            rule.form = DayForm::NthWeekday;
            rule.nth = nth == kNth.end() - 1 ? -1 : static_cast<int>(nth - kNth.begin()) + 1;
            rule.weekday = weekday(w[1]);
            rule.month = month(w[2]);
            return 3;
        }
        std::chrono::weekday weekdayFirst;
        if (weekdayNamed(first, weekdayFirst) && w.size() >= 3 && lower(w[1]) == "before") {
            rule.form = DayForm::WeekdayBefore;
            rule.weekday = weekdayFirst;
            monthDay(w[2], rule);
            return 3;
        }
        fail("unknown day " + quoted(w[0]) +
             ": expected MM-DD, YYYY-MM-DD, 1st..5th or last WEEKDAY MM, WEEKDAY before MM-DD "
             "or easter [+N|-N]");
    }

    // "DAYS->WEEKDAY", "DAYS->next working day" or "DAYS->previous working day" starting at
    // w[at]; returns the number of words it used.
    std::size_t observance(const std::vector<std::string_view>& w, std::size_t at,
                           Rule& rule) const {
        const std::string text = lower(w[at]);
        const auto arrow = text.find("->");
        Observance observe;
        if (!weekdaysNamed(std::string_view(text).substr(0, arrow), observe.from)) {
            fail("bad observance " + quoted(w[at]) +
                 ": expected weekdays before '->', as in 'sat,sun->mon'");
        }
        for (const Observance& earlier : rule.observances) {
            if ((earlier.from.bits & observe.from.bits) != 0) {
                fail("observance " + quoted(w[at]) + " moves a weekday moved before");
            }
        }
        const std::string target = text.substr(arrow + 2);
        std::size_t used = 1;
        if (target == "next" || target == "previous") {
            if (at + 2 >= w.size() || lower(w[at + 1]) != "working" || lower(w[at + 2]) != "day") {
                fail("expected " + quoted(target + " working day") + " after '->'");
            }
            observe.target = target == "next" ? ObserveTarget::NextWorkingDay
                                              : ObserveTarget::PreviousWorkingDay;
            if ((observe.from.bits | rule.weekend.bits) == WeekdaySet::wholeWeek().bits) {
                fail("observance " + quoted(w[at]) +
                     " leaves no working day: its days and the weekend are the whole week");
            }
            used = 3;
        } else if (weekdayNamed(target, observe.weekday)) {
            if (observe.from.has(observe.weekday)) {
                fail("observance " + quoted(w[at]) + " moves a day onto its own weekday");
            }
        } else {
            fail("bad observance " + quoted(w[at]) +
                 ": expected a weekday, 'next working day' or 'previous working day' after "
                 "'->'");
        }
        rule.observances.push_back(observe);
        return used;
    }

    // "name TAG = NAME": rule's name in the language of TAG.
    void localName(std::string_view text, Rule& rule) const {
        const auto equals = text.find('=');
        const std::vector<std::string_view> w = words(text.substr(0, equals));
        if (equals == std::string_view::npos || w.size() != 2) {
            fail("expected 'name TAG = NAME', as in 'name en = New Year's Day'");
        }
        if (!wellFormedTag(w[1])) {
            fail("bad language tag " + quoted(w[1]) +
                 ": expected a BCP 47 tag such as en, de or pt-BR");
        }
        LocalName local{std::string(w[1]), holidayName(text.substr(equals + 1))};
        for (const LocalName& earlier : rule.localNames) {
            if (lower(earlier.language) == lower(local.language)) {
                fail("the holiday has a name for " + quoted(local.language) + " already");
            }
        }
        rule.localNames.push_back(std::move(local));
    }

    Rule rule(std::string_view text, WeekdaySet weekend) const {
        const auto equals = text.find('=');
        if (equals == std::string_view::npos) {
            fail("expected '= NAME' after the day");
        }
        Rule rule;
        rule.weekend = weekend;
        rule.name = holidayName(text.substr(equals + 1));
        const std::vector<std::string_view> w = words(text.substr(0, equals));
        if (w.empty()) {
            fail("missing day before '='");
        }
        std::size_t at = day(w, rule);
        bool yearsGiven = false;
        while (at < w.size()) {
            const std::string word = lower(w[at]);
            if (word.find("->") != std::string::npos) {
                at += observance(w, at, rule);
                continue;
            }
            if (word != "from" && word != "until" && word != "except") {
                fail("unexpected " + quoted(w[at]) +
                     ": expected from YEAR, until YEAR, except YEAR,... or an observance");
            }
            if (at + 1 >= w.size()) {
                fail(quoted(word) + " needs a year");
            }
            yearsGiven = true;
            if (word == "from") {
                rule.firstYear = year(w[at + 1]);
            } else if (word == "until") {
                rule.lastYear = year(w[at + 1]);
            } else {
                std::string_view list = w[at + 1];
                while (true) {
                    const auto comma = list.find(',');
                    rule.exceptYears.push_back(year(list.substr(0, comma)));
                    if (comma == std::string_view::npos) {
                        break;
                    }
                    list.remove_prefix(comma + 1);
                }
            }
            at += 2;
        }
        if (yearsGiven && rule.form == DayForm::OneOff) {
            fail("a one-off day takes no 'from', 'until' or 'except'");
        }
        if (rule.firstYear > rule.lastYear) {
            fail("first year " + std::to_string(rule.firstYear) + " is after last year " +
                 std::to_string(rule.lastYear));
        }
        return rule;
    }

  private:
    // The name after a rule's '=': not empty, no control characters.
    std::string holidayName(std::string_view text) const {
        std::string name(trim(text));
        if (name.empty()) {
            fail("missing holiday name after '='");
        }
        if (holdsControl(name)) {
            fail("holiday name " + quoted(name) + " holds a control character");
        }
        return name;
    }

    std::string_view source_;
    int line_;
};

// What the reading of one rules file and its includes keeps.
struct Reading {
    const IncludeResolver& resolve;
    std::vector<const RulesSource*> stack;  // the file being read and those including it
    std::set<std::string> seen;             // the identities of every source read so far
    RuleSet rules;
};

std::string identityOf(const RulesSource& source) {
    return source.identity.empty() ? source.name : source.identity;
}

void parseInto(const RulesSource& source, Reading& reading) {
    reading.stack.push_back(&source);
    reading.seen.insert(identityOf(source));
    WeekdaySet weekend = WeekdaySet::saturdaySunday();
    // The rule of this file that `name` lines give names to, the one just above them; none
    // (kNoRule) after a directive.
    constexpr std::size_t kNoRule = static_cast<std::size_t>(-1);
    std::size_t namedRule = kNoRule;
    std::string_view rest = source.text;
    int lineNumber = 0;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        ++lineNumber;
        const LineReader reader(source.name, lineNumber);
        line = trim(line.substr(0, line.find('#')));
        if (line.empty()) {
            continue;
        }
        const std::vector<std::string_view> w = words(line);
        const std::string keyword = lower(w[0]);
        if (keyword == "name") {
            if (namedRule == kNoRule) {
                reader.fail("a 'name' line must follow the rule it names");
            }
            reader.localName(line, reading.rules[namedRule]);
            continue;
        }
        namedRule = kNoRule;
        if (keyword == "include") {
            const std::string_view what = trim(line.substr(w[0].size()));
            if (what.empty()) {
                reader.fail("'include' needs a set name or a file");
            }
            if (holdsControl(what)) {
                reader.fail("include " + quoted(what) + " holds a control character");
            }
            if (reading.stack.size() >= kMaxIncludeDepth) {
                reader.fail("includes nested more than " + std::to_string(kMaxIncludeDepth) +
                            " deep");
            }
            RulesSource included;
            try {
                included = reading.resolve(what, source.name);
            } catch (const HolidayError& error) {
                reader.fail(error.what());
            }
            const std::string identity = identityOf(included);
            const auto including = std::find_if(
                reading.stack.begin(), reading.stack.end(),
                [&](const RulesSource* open) { return identityOf(*open) == identity; });
            if (including != reading.stack.end()) {
                std::string cycle;
                for (const RulesSource* open : reading.stack) {
                    cycle += open->name + " -> ";
                }
                reader.fail("include cycle: " + cycle + included.name);
            }
            // A source read before has put its rules in already.
            if (!reading.seen.contains(identity)) {
                parseInto(included, reading);
            }
            continue;
        }
        if (keyword == "weekend" && line.find('=') == std::string_view::npos) {
            if (w.size() != 2 || !weekdaysNamed(lower(w[1]), weekend)) {
                reader.fail("'weekend' needs a list of weekdays, as in 'weekend sat,sun'");
            }
            continue;
        }
        if (reading.rules.size() >= kMaxRules) {
            reader.fail("more than " + std::to_string(kMaxRules) +
                        " rules (included ones counted)");
        }
        reading.rules.push_back(reader.rule(line, weekend));
        namedRule = reading.rules.size() - 1;
    }
    reading.stack.pop_back();
}

}  // namespace

bool weekdayNamed(std::string_view name, std::chrono::weekday& out) {
    const std::string key = lower(name);
    const auto found = std::find(kWeekdayNames.begin(), kWeekdayNames.end(), key);
    if (found == kWeekdayNames.end()) {
        return false;
    }
    out = std::chrono::weekday(static_cast<unsigned>(found - kWeekdayNames.begin()));
    return true;
}

bool weekdaysNamed(std::string_view list, WeekdaySet& out) {
    WeekdaySet set;
    while (true) {
        const auto comma = list.find(',');
        std::chrono::weekday day;
        if (!weekdayNamed(list.substr(0, comma), day) || set.has(day)) {
            return false;
        }
        set.add(day);
        if (comma == std::string_view::npos) {
            break;
        }
        list.remove_prefix(comma + 1);
    }
    out = set;
    return true;
}

RuleSet parseRules(const RulesSource& source, const IncludeResolver& resolve) {
    Reading reading{resolve, {}, {}, {}};
    parseInto(source, reading);
    return std::move(reading.rules);
}

}  // namespace annalex::calendar::holidays
