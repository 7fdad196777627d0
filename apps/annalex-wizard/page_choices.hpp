#pragma once
// What a person chooses on the calendar page and in the "Calendar rules" panel, as texts in the
// command line's own forms: the levels ("Year,Month"), the calendar key, the two dates ("D-M-Y",
// the three box texts), the three formats ("DD", "MMM", "YYYY") and the rules of the week-based
// calendars ("mon", "12", "nearest", "start", "454", "4", "true"), the holiday set and weekend
// of the filled attributes ("us", "sat,sun"), and the names' language ("de", "pt-BR", or
// "default" for the built-in English names).
//
// The same texts come from the wizard's command line and from the remembered choices of the
// last run; a choice not given leaves the page as it is.

#include <QString>
#include <map>
#include <optional>
#include <span>

namespace annalex::ui {
class AnnalexCtrl;
class CalendarRulesPanel;
}  // namespace annalex::ui

namespace annalex::wizard {

enum class Choice {
    Levels,
    Calendar,
    Start,
    End,
    DayFormat,
    MonthFormat,
    YearFormat,
    WeekStart,
    YearEndMonth,
    YearEndRule,
    YearName,
    Pattern,
    LongQuarter,
    FillAttributes,
    Holidays,
    Weekend,
    Language,
};

struct ChoiceName {
    Choice choice;
    const char* option;       // the command-line option, without "--"
    const char* setting;      // the value name in the remembered choices
    const char* valueName;    // the option's value in the usage text
    const char* description;  // the option's help text
};

// Every choice, in the order the page is worked (date boxes, formats, levels, calendar).
std::span<const ChoiceName> choiceNames();

class PageChoices {
  public:
    // Sets one choice from its text; returns what is wrong with the text (empty when accepted,
    // and then the choice holds the text in its usual spelling).
    QString set(Choice choice, const QString& text);
    // The text of the choice; none when not given.
    std::optional<QString> text(Choice choice) const;
    bool empty() const { return texts_.empty(); }

    // These choices with every choice given in over replacing its own.
    PageChoices overriddenBy(const PageChoices& over) const;

  private:
    std::map<Choice, QString> texts_;
};

// Works the page and the panel to show the given choices, as a person would (the page's
// handlers run).
void applyChoices(const PageChoices& choices, ui::AnnalexCtrl& page, ui::CalendarRulesPanel& panel);

// Every choice as the page and the panel show it now.
PageChoices currentChoices(ui::AnnalexCtrl& page, const ui::CalendarRulesPanel& panel);

}  // namespace annalex::wizard
