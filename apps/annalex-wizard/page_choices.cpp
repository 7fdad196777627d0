#include "page_choices.hpp"

#include <QStringList>
#include <array>

#include "calendar/calendar_list.hpp"
#include "calendar/calendar_names.hpp"
#include "ui/annalex_widget.hpp"
#include "ui/calendar_rules_panel.hpp"

namespace annalex::wizard {
namespace {

constexpr std::array kChoiceNames = {
    ChoiceName{Choice::Levels, "levels", "Levels", "names",
               "Tick these levels: Year, Quarter, Month, Week, Day, joined by commas."},
    ChoiceName{Choice::Calendar, "calendar", "Calendar", "key",
               "The calendar: gregorian, fiscal, iso, retail or periods13."},
    ChoiceName{Choice::Start, "start", "Start", "D-M-Y", "The start date's three box texts."},
    ChoiceName{Choice::End, "end", "End", "D-M-Y", "The end date's three box texts."},
    ChoiceName{Choice::DayFormat, "day-format", "DayFormat", "DD|DDD|DDDD", "Day names."},
    ChoiceName{Choice::MonthFormat, "month-format", "MonthFormat", "MM|MMM|MMMM", "Month names."},
    ChoiceName{Choice::YearFormat, "year-format", "YearFormat", "YY|YYYY", "Year names."},
    ChoiceName{Choice::WeekStart, "week-start", "WeekStart", "sun|mon|...|sat",
               "First day of each week (retail, periods13)."},
    ChoiceName{Choice::YearEndMonth, "year-end-month", "YearEndMonth", "1..12",
               "Month in which the fiscal year ends (retail, periods13)."},
    ChoiceName{Choice::YearEndRule, "year-end-rule", "YearEndRule", "last|nearest",
               "Year ends on the month's last end day or the one nearest its last day."},
    ChoiceName{Choice::YearName, "year-name", "YearName", "start|end",
               "Name a fiscal year by its start or its end month."},
    ChoiceName{Choice::Pattern, "pattern", "Pattern", "445|454|544",
               "Weeks of each quarter's months (retail)."},
    ChoiceName{Choice::LongQuarter, "long-quarter", "LongQuarter", "1..4",
               "The quarter that holds four periods (periods13)."},
    ChoiceName{Choice::FillAttributes, "fill-attributes", "FillAttributes", "true|false",
               "Fill every attribute of the members from their dates."},
    ChoiceName{Choice::Holidays, "holidays", "Holidays", "none|us|gb-eng|de|fr",
               "Holidays of the filled attributes."},
    ChoiceName{Choice::Weekend, "weekend", "Weekend", "sat,sun",
               "Weekend days of the filled attributes (sun,mon,...,sat joined by commas)."},
    ChoiceName{Choice::Language, "language", "Language", "TAG|default",
               "Month, weekday and holiday names in this language (a BCP 47 tag such as de or "
               "pt-BR), or the built-in English names."},
};

const QStringList kLevels = {QStringLiteral("Year"), QStringLiteral("Quarter"),
                             QStringLiteral("Month"), QStringLiteral("Week"),
                             QStringLiteral("Day")};
const QStringList kWeekdays = {QStringLiteral("sun"), QStringLiteral("mon"), QStringLiteral("tue"),
                               QStringLiteral("wed"), QStringLiteral("thu"), QStringLiteral("fri"),
                               QStringLiteral("sat")};

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList entriesOf(const control::DropDownList& list) {
    QStringList entries;
    for (const std::string& entry : list.entries()) {
        entries << qs(entry);
    }
    return entries;
}

// The one of allowed that equals text in any case; a null text when none.
QString oneOf(const QStringList& allowed, const QString& text) {
    for (const QString& entry : allowed) {
        if (entry.compare(text.trimmed(), Qt::CaseInsensitive) == 0) {
            return entry;
        }
    }
    return {};
}

QString numberIn(const QString& text, int low, int high) {
    bool valid = false;
    const int number = text.trimmed().toInt(&valid);
    return valid && number >= low && number <= high ? QString::number(number) : QString();
}

std::optional<QString> given(const QString& text) {
    if (text.isNull()) {
        return std::nullopt;
    }
    return text;
}

// The three box texts of "D-M-Y"; empty when the text is not three pieces.
QStringList datePieces(const QString& text) {
    const QStringList pieces = text.split(QLatin1Char('-'));
    return pieces.size() == 3 ? pieces : QStringList();
}

// The spelling a valid text is kept in; none when the text is not valid.
std::optional<QString> normalised(Choice choice, const QString& text) {
    switch (choice) {
        case Choice::Levels: {
            QStringList names;
            for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                const QString name = oneOf(kLevels, item);
                if (name.isNull()) {
                    return std::nullopt;
                }
                names << name;
            }
            return names.join(QLatin1Char(','));
        }
        case Choice::Calendar: {
            const QString key = text.trimmed().toLower();
            if (calendar::findCalendar(key.toStdString()) == nullptr) {
                return std::nullopt;
            }
            return key;
        }
        case Choice::Start:
        case Choice::End:
            if (datePieces(text).isEmpty()) {
                return std::nullopt;
            }
            return text;
        case Choice::DayFormat:
            return given(oneOf({"DD", "DDD", "DDDD"}, text));
        case Choice::MonthFormat:
            return given(oneOf({"MM", "MMM", "MMMM"}, text));
        case Choice::YearFormat:
            return given(oneOf({"YY", "YYYY"}, text));
        case Choice::WeekStart:
            return given(oneOf(kWeekdays, text));
        case Choice::YearEndMonth:
            return given(numberIn(text, 1, 12));
        case Choice::YearEndRule:
            return given(oneOf({"last", "nearest"}, text));
        case Choice::YearName:
            return given(oneOf({"start", "end"}, text));
        case Choice::Pattern:
            return given(oneOf({"445", "454", "544"}, text));
        case Choice::LongQuarter:
            return given(numberIn(text, 1, 4));
        case Choice::FillAttributes:
            return given(oneOf({"true", "false"}, text));
        case Choice::Holidays:
            return given(oneOf({"none", "us", "gb-eng", "de", "fr"}, text));
        case Choice::Language: {
            if (text.trimmed().compare(QLatin1String("default"), Qt::CaseInsensitive) == 0) {
                return QStringLiteral("default");
            }
            try {
                return QString::fromStdString(
                    calendar::cldrNames(text.trimmed().toStdString())->language());
            } catch (const calendar::LanguageError&) {
                return std::nullopt;
            }
        }
        case Choice::Weekend: {
            QStringList days;
            for (const QString& day : kWeekdays) {
                if (text.split(QLatin1Char(',')).contains(day, Qt::CaseInsensitive)) {
                    days << day;
                }
            }
            // Every piece must be a weekday; the days come back in week order.
            const QStringList pieces = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
            for (const QString& piece : pieces) {
                if (oneOf(kWeekdays, piece).isNull()) {
                    return std::nullopt;
                }
            }
            return days.join(QLatin1Char(','));
        }
    }
    return std::nullopt;
}

// "a, b or c".
QString oneOfList(const QStringList& values) {
    return values.size() < 2 ? values.join(QString())
                             : values.mid(0, values.size() - 1).join(QStringLiteral(", ")) +
                                   QStringLiteral(" or ") + values.constLast();
}

// The values a choice accepts, for a usage error.
QString expected(Choice choice) {
    switch (choice) {
        case Choice::Levels:
            return QStringLiteral("one or more of %1, joined by commas")
                .arg(kLevels.join(QStringLiteral(", ")));
        case Choice::Calendar: {
            QStringList keys;
            for (const calendar::CalendarEntry& entry : calendar::calendarList()) {
                keys << qs(entry.key);
            }
            return oneOfList(keys);
        }
        case Choice::Start:
        case Choice::End:
            return QStringLiteral("D-M-Y, the day, month and year box texts joined by \"-\"");
        case Choice::WeekStart:
            return oneOfList(kWeekdays);
        case Choice::Weekend:
            return QStringLiteral("some of %1, joined by commas")
                .arg(kWeekdays.join(QStringLiteral(", ")));
        case Choice::YearEndMonth:
            return QStringLiteral("a month number from 1 to 12");
        case Choice::LongQuarter:
            return QStringLiteral("a quarter from 1 to 4");
        case Choice::Language:
            return QStringLiteral(
                "a BCP 47 tag of a language ICU has CLDR names for, such as de, fr, ja or pt-BR, "
                "or default");
        default:
            break;
    }
    for (const ChoiceName& name : kChoiceNames) {
        if (name.choice == choice) {
            return oneOfList(QString::fromLatin1(name.valueName).split(QLatin1Char('|')));
        }
    }
    return {};
}

calendar::CalendarOptions rulesOf(const PageChoices& choices,
                                  const calendar::CalendarOptions& shown) {
    calendar::CalendarOptions options = shown;
    if (const auto day = choices.text(Choice::WeekStart)) {
        options.weekStart = std::chrono::weekday(static_cast<unsigned>(kWeekdays.indexOf(*day)));
    }
    if (const auto month = choices.text(Choice::YearEndMonth)) {
        options.yearEndMonth = month->toInt();
    }
    if (const auto rule = choices.text(Choice::YearEndRule)) {
        options.yearEndRule = *rule == QLatin1String("nearest") ? calendar::YearEndRule::Nearest
                                                                : calendar::YearEndRule::Last;
    }
    if (const auto name = choices.text(Choice::YearName)) {
        options.yearName =
            *name == QLatin1String("start") ? calendar::YearName::Start : calendar::YearName::End;
    }
    if (const auto pattern = choices.text(Choice::Pattern)) {
        options.pattern = *pattern == QLatin1String("454")   ? calendar::RetailPattern::P454
                          : *pattern == QLatin1String("544") ? calendar::RetailPattern::P544
                                                             : calendar::RetailPattern::P445;
    }
    if (const auto quarter = choices.text(Choice::LongQuarter)) {
        options.longQuarter = quarter->toInt();
    }
    return options;
}

void selectEntry(control::DropDownList& list, const std::optional<QString>& text) {
    if (!text) {
        return;
    }
    const auto index = entriesOf(list).indexOf(*text);
    if (index >= 0 && index != list.listIndex()) {
        list.select(static_cast<std::int16_t>(index));
    }
}

}  // namespace

std::span<const ChoiceName> choiceNames() {
    return kChoiceNames;
}

QString PageChoices::set(Choice choice, const QString& text) {
    const std::optional<QString> value = normalised(choice, text);
    if (!value) {
        return QStringLiteral("'%1' is not valid: expected %2").arg(text, expected(choice));
    }
    texts_[choice] = *value;
    return {};
}

std::optional<QString> PageChoices::text(Choice choice) const {
    const auto found = texts_.find(choice);
    if (found == texts_.end()) {
        return std::nullopt;
    }
    return found->second;
}

PageChoices PageChoices::overriddenBy(const PageChoices& over) const {
    PageChoices result = *this;
    for (const auto& [choice, text] : over.texts_) {
        result.texts_[choice] = text;
    }
    return result;
}

void applyChoices(const PageChoices& choices, ui::AnnalexCtrl& page,
                  ui::CalendarRulesPanel& panel) {
    control::CalendarPage& model = page.core().page();
    control::TextBox* boxes[2][3] = {
        {&model.txtStartDay, &model.txtStartMonth, &model.txtStartYear},
        {&model.txtEndDay, &model.txtEndMonth, &model.txtEndYear}};
    const Choice dates[2] = {Choice::Start, Choice::End};
    for (int date = 0; date < 2; ++date) {
        const QStringList pieces = datePieces(choices.text(dates[date]).value_or(QString()));
        for (int box = 0; box < pieces.size(); ++box) {
            const std::string text = pieces[box].toStdString();
            if (boxes[date][box]->text() != text) {
                boxes[date][box]->setText(text);
            }
        }
    }
    selectEntry(model.cmbDay, choices.text(Choice::DayFormat));
    selectEntry(model.cmbMonth, choices.text(Choice::MonthFormat));
    selectEntry(model.cmbYear, choices.text(Choice::YearFormat));
    if (const auto levels = choices.text(Choice::Levels)) {
        const QStringList ticked = levels->split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (std::size_t entry = 0; entry < model.availableList.entries().size(); ++entry) {
            const auto row = static_cast<std::int32_t>(entry);
            const bool tick = ticked.contains(qs(model.availableList.entries()[entry]));
            if (model.availableList.selected(row) != tick) {
                model.availableList.setSelected(row, tick);
            }
        }
    }
    if (const auto fill = choices.text(Choice::FillAttributes)) {
        panel.setFillAttributes(*fill == QLatin1String("true"));
    }
    if (choices.text(Choice::Holidays) || choices.text(Choice::Weekend)) {
        const QString set = choices.text(Choice::Holidays).value_or(panel.holidays());
        calendar::holidays::WeekdaySet weekend = panel.weekend();
        if (const auto days = choices.text(Choice::Weekend)) {
            weekend = {};
            for (const QString& day : days->split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                weekend.add(std::chrono::weekday(static_cast<unsigned>(kWeekdays.indexOf(day))));
            }
        }
        panel.chooseHolidays(set == QLatin1String("none") ? QString() : set, weekend);
    }
    if (const auto language = choices.text(Choice::Language)) {
        panel.chooseLanguage(*language == QLatin1String("default") ? QString() : *language);
    }
    panel.choose(choices.text(Choice::Calendar).value_or(panel.calendarKey()),
                 rulesOf(choices, panel.options()));
}

PageChoices currentChoices(ui::AnnalexCtrl& page, const ui::CalendarRulesPanel& panel) {
    const control::CalendarPage& model = page.core().page();
    PageChoices choices;
    QStringList levels;
    for (std::size_t entry = 0; entry < model.availableList.entries().size(); ++entry) {
        if (model.availableList.selected(static_cast<std::int32_t>(entry))) {
            levels << qs(model.availableList.entries()[entry]);
        }
    }
    choices.set(Choice::Levels, levels.join(QLatin1Char(',')));
    choices.set(Choice::Calendar, qs(page.core().chosenCalendar()));
    const auto date = [](const control::TextBox& day, const control::TextBox& month,
                         const control::TextBox& year) {
        return QStringList{qs(day.text()), qs(month.text()), qs(year.text())}.join(
            QLatin1Char('-'));
    };
    choices.set(Choice::Start, date(model.txtStartDay, model.txtStartMonth, model.txtStartYear));
    choices.set(Choice::End, date(model.txtEndDay, model.txtEndMonth, model.txtEndYear));
    choices.set(Choice::DayFormat, qs(model.cmbDay.text()));
    choices.set(Choice::MonthFormat, qs(model.cmbMonth.text()));
    choices.set(Choice::YearFormat, qs(model.cmbYear.text()));
    const calendar::CalendarOptions rules = panel.options();
    choices.set(Choice::WeekStart, kWeekdays.value(static_cast<int>(rules.weekStart.c_encoding())));
    choices.set(Choice::YearEndMonth, QString::number(rules.yearEndMonth));
    choices.set(Choice::YearEndRule, rules.yearEndRule == calendar::YearEndRule::Nearest
                                         ? QStringLiteral("nearest")
                                         : QStringLiteral("last"));
    choices.set(Choice::YearName, rules.yearName == calendar::YearName::Start
                                      ? QStringLiteral("start")
                                      : QStringLiteral("end"));
    choices.set(Choice::Pattern, rules.pattern == calendar::RetailPattern::P454   ? "454"
                                 : rules.pattern == calendar::RetailPattern::P544 ? "544"
                                                                                  : "445");
    choices.set(Choice::LongQuarter, QString::number(rules.longQuarter));
    choices.set(Choice::FillAttributes,
                panel.fillAttributes() ? QStringLiteral("true") : QStringLiteral("false"));
    choices.set(Choice::Holidays,
                panel.holidays().isEmpty() ? QStringLiteral("none") : panel.holidays());
    QStringList weekend;
    for (unsigned day = 0; day < 7; ++day) {
        if (panel.weekend().has(std::chrono::weekday(day))) {
            weekend << kWeekdays.value(static_cast<int>(day));
        }
    }
    choices.set(Choice::Weekend, weekend.join(QLatin1Char(',')));
    choices.set(Choice::Language,
                panel.language().isEmpty() ? QStringLiteral("default") : panel.language());
    return choices;
}

}  // namespace annalex::wizard
