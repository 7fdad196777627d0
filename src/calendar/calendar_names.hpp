#pragma once
// Month and weekday names in the language a generation writes them in.
//
// The builders read the names from the tables start-up fills (CalendarState); the tables ask a
// CalendarNames provider. Unless a host chooses a language, that is the built-in English names,
// the step's long-standing tables. A chosen language's names are those of the Unicode CLDR,
// read through ICU in cldr_names.cpp, the one file of the core that knows ICU; a build without
// ICU (Windows) refuses every language with a LanguageError.

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/failure.hpp"

namespace annalex::calendar {

// The format lists choose the width: entry 2 (MMMM, DDDD) the wide names, the others the
// abbreviated ones.
enum class NameWidth : std::uint8_t { Abbreviated, Wide };

// Where a name stands. Languages that inflect month names use one form for a month by itself
// and another inside a date: Russian "январь" but "1 января", Catalan "gener" but "1 de gener"
// (CLDR's stand-alone and format forms). A month member, a weekday member below a week and the
// weekday attribute stand alone; a day's name ("Mon 1 Jan") is a date, so its weekday and month
// take the forms of a date.
enum class NameContext : std::uint8_t { StandAlone, InDate };

class CalendarNames {
  public:
    virtual ~CalendarNames() = default;
    // The BCP 47 tag of the names' language in its usual spelling ("pt-BR"); empty for the
    // built-in names.
    virtual const std::string& language() const = 0;
    // month: 1 (January) to 12.
    virtual std::string month(unsigned month, NameWidth width, NameContext context) const = 0;
    virtual std::string weekday(std::chrono::weekday day, NameWidth width,
                                NameContext context) const = 0;
};

// The built-in English names ("January", "Sunday"); in either context an abbreviation is the
// name's first three letters ("Jan", "Sun"), as the builders have always cut them.
std::shared_ptr<const CalendarNames> builtinNames();

// A language tag no names can be had for; the message names the tag and says why.
class LanguageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The CLDR names for a BCP 47 tag ("de", "fr", "ja", "pt-BR"; any case). Throws LanguageError
// when the tag is not well-formed, names no language ("und"), or ICU holds no CLDR locale data
// for exactly that locale ("xx", "en-UK": a tag is never quietly answered with the names of a
// nearer or a default locale); and for every tag in a build without ICU.
std::shared_ptr<const CalendarNames> cldrNames(std::string_view tag);

// A language cldrNames accepts: its tag and its name in that language ("de-AT",
// "Deutsch (Österreich)").
struct Language {
    std::string tag;
    std::string name;
};

// Every locale ICU holds CLDR data for, by tag; none in a build without ICU.
std::vector<Language> cldrLanguages();

// Every form of the month and weekday names, filled from a provider when the tables are, and
// read by the builders for each member.
class NameTable {
  public:
    void fillMonths(const CalendarNames& names);
    void fillWeekdays(const CalendarNames& names);

    // month: 1 to 12; SubscriptOutOfRange outside.
    const std::string& month(std::int32_t month, NameWidth width, NameContext context) const {
        return entry(months_[index(width, context)], month);
    }
    // weekdayNumber: the page's numbering, 1 (Sunday) to 7; SubscriptOutOfRange outside.
    const std::string& weekday(std::int32_t weekdayNumber, NameWidth width,
                               NameContext context) const {
        return entry(weekdays_[index(width, context)], weekdayNumber);
    }

  private:
    static std::size_t index(NameWidth width, NameContext context) {
        return static_cast<std::size_t>(context) * 2 + static_cast<std::size_t>(width);
    }
    template <std::size_t N>
    static const std::string& entry(const std::array<std::string, N>& names, std::int32_t number) {
        if (number < 1 || static_cast<std::size_t>(number) > N) {
            raise(ErrorNumber::SubscriptOutOfRange);
        }
        return names[static_cast<std::size_t>(number) - 1];
    }

    std::array<std::array<std::string, 12>, 4> months_;
    std::array<std::array<std::string, 7>, 4> weekdays_;
};

// The width a format list's selected entry asks for.
inline NameWidth widthOf(std::int16_t format) {
    return format == 2 ? NameWidth::Wide : NameWidth::Abbreviated;
}

}  // namespace annalex::calendar
