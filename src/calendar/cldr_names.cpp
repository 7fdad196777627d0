// Month and weekday names from the Unicode CLDR, read through ICU: the one file of the core
// that knows ICU.

#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/uloc.h>
#include <unicode/ures.h>

#include <algorithm>
#include <array>

#include "calendar/calendar_names.hpp"

namespace annalex::calendar {
namespace {

constexpr const char* kExpected = "expected a BCP 47 tag such as de, fr, ja or pt-BR";

std::string utf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

// The locale a tag stands for, when ICU holds CLDR data for exactly that locale.
icu::Locale knownLocale(std::string_view tag) {
    const std::string text(tag);
    const std::string quotedTag = "'" + text + "'";
    char id[ULOC_FULLNAME_CAPACITY] = {};
    std::int32_t parsed = 0;
    UErrorCode status = U_ZERO_ERROR;
    uloc_forLanguageTag(text.c_str(), id, sizeof id, &parsed, &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING ||
        static_cast<std::size_t>(parsed) != text.size()) {
        throw LanguageError(quotedTag + " is not a language tag: " + kExpected);
    }
    const icu::Locale locale(id);
    if (text.empty() || locale.isBogus() || *locale.getLanguage() == '\0') {
        throw LanguageError(quotedTag + " names no language: " + kExpected);
    }
    // ICU answers a locale it lacks with a nearer one (de-XX with de) or with the process's
    // default locale (xx with whatever LANG says); either would be a quiet surprise.
    status = U_ZERO_ERROR;
    UResourceBundle* bundle = ures_open(nullptr, locale.getBaseName(), &status);
    ures_close(bundle);
    if (status != U_ZERO_ERROR) {
        throw LanguageError("unknown language " + quotedTag + ": ICU has no CLDR data for it (" +
                            kExpected + ")");
    }
    return locale;
}

class CldrNames final : public CalendarNames {
  public:
    CldrNames(std::string language, const icu::DateFormatSymbols& symbols)
        : language_(std::move(language)) {
        using Symbols = icu::DateFormatSymbols;
        for (std::size_t form = 0; form < 4; ++form) {
            const auto context = form / 2 == 0 ? Symbols::STANDALONE : Symbols::FORMAT;
            const auto width = form % 2 == 0 ? Symbols::ABBREVIATED : Symbols::WIDE;
            std::int32_t count = 0;
            const icu::UnicodeString* months = symbols.getMonths(count, context, width);
            for (std::int32_t i = 0; i < count && i < 12; ++i) {
                months_[form][static_cast<std::size_t>(i)] = utf8(months[i]);
            }
            // ICU's weekdays start at index 1 (UCAL_SUNDAY).
            const icu::UnicodeString* days = symbols.getWeekdays(count, context, width);
            for (std::int32_t i = 1; i < count && i <= 7; ++i) {
                weekdays_[form][static_cast<std::size_t>(i) - 1] = utf8(days[i]);
            }
        }
    }

    const std::string& language() const override { return language_; }
    std::string month(unsigned month, NameWidth width, NameContext context) const override {
        return months_.at(form(width, context)).at(month - 1);
    }
    std::string weekday(std::chrono::weekday day, NameWidth width,
                        NameContext context) const override {
        return weekdays_.at(form(width, context)).at(day.c_encoding());
    }

  private:
    static std::size_t form(NameWidth width, NameContext context) {
        return (context == NameContext::StandAlone ? 0 : 2) + (width == NameWidth::Wide ? 1 : 0);
    }

    std::string language_;
    std::array<std::array<std::string, 12>, 4> months_;
    std::array<std::array<std::string, 7>, 4> weekdays_;
};

std::string tagOf(const icu::Locale& locale) {
    UErrorCode status = U_ZERO_ERROR;
    std::string tag = locale.toLanguageTag<std::string>(status);
    return U_SUCCESS(status) ? tag : std::string(locale.getName());
}

}  // namespace

std::shared_ptr<const CalendarNames> cldrNames(std::string_view tag) {
    const icu::Locale locale = knownLocale(tag);
    // The names of the Gregorian calendar, whatever calendar the tag asks for (de-u-ca-hebrew).
    icu::Locale gregorian(locale);
    UErrorCode status = U_ZERO_ERROR;
    gregorian.setKeywordValue("calendar", "gregorian", status);
    const icu::DateFormatSymbols symbols(gregorian, status);
    if (U_FAILURE(status)) {
        throw LanguageError("the names of '" + std::string(tag) +
                            "' cannot be read: " + u_errorName(status));
    }
    return std::make_shared<const CldrNames>(tagOf(icu::Locale(locale.getBaseName())), symbols);
}

std::vector<Language> cldrLanguages() {
    std::int32_t count = 0;
    const icu::Locale* locales = icu::Locale::getAvailableLocales(count);
    std::vector<Language> languages;
    languages.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        icu::UnicodeString name;
        locales[i].getDisplayName(locales[i], name);
        languages.push_back({tagOf(locales[i]), utf8(name)});
    }
    std::sort(languages.begin(), languages.end(),
              [](const Language& a, const Language& b) { return a.tag < b.tag; });
    return languages;
}

}  // namespace annalex::calendar
