#pragma once
// The "Calendar rules" panel a host shows beside the calendar page: it offers the calendars
// after the page's own two (ISO weeks, retail weeks, 13 periods) with the options they read.
//
// While one of them is chosen the page's two calendar-type buttons are disabled and OK
// generates the chosen calendar (AnnalexCtrl::chooseCalendar); choosing "Page's calendar"
// enables the buttons again and gives the choice back to them. Option fields a calendar does
// not read are disabled, and so are the page's levels it does not have (ISO weeks have no
// quarters or months). "Fill every attribute" works with every calendar; while it is ticked
// the holiday set and the weekend days it fills from can be chosen. The language of the month,
// weekday and holiday names works with every calendar: the built-in English names, or any
// language the CLDR has names for. Every widget has an objectName: calendarChoice, weekStart,
// yearEndMonth, yearEndRule, yearName, pattern, longQuarter, fillAttributes, holidays, weekend0
// (Sunday) to weekend6 (Saturday), language.

#include <QGroupBox>
#include <QString>
#include <array>

#include "calendar/calendar_options.hpp"
#include "calendar/holidays/holiday_rules.hpp"

class QCheckBox;
class QComboBox;

namespace annalex::ui {

class AnnalexCtrl;

class CalendarRulesPanel final : public QGroupBox {
    Q_OBJECT

  public:
    explicit CalendarRulesPanel(AnnalexCtrl& page, QWidget* parent = nullptr);

    // The key of the chosen calendar; empty while the page's own buttons decide.
    QString calendarKey() const;
    calendar::CalendarOptions options() const;
    bool fillAttributes() const;
    // Ticks or clears "Fill every attribute"; it takes effect with the next choice.
    void setFillAttributes(bool fill);
    // The built-in holiday set ("us", "gb-eng", "de", "fr"; empty for none) and the weekend.
    QString holidays() const;
    calendar::holidays::WeekdaySet weekend() const;
    // Shows and applies a holiday set and a weekend; false for an unknown set, which changes
    // nothing.
    bool chooseHolidays(const QString& set, calendar::holidays::WeekdaySet weekend);
    // The BCP 47 tag of the names' language; empty for the built-in English names.
    QString language() const;
    // Shows and applies a language; false for a tag without CLDR names, which changes nothing.
    bool chooseLanguage(const QString& tag);

    // Shows and applies a choice. An empty key or a key of the page's calendars hands the
    // choice back to the page (a page key also clicks its button). False for an unknown key,
    // which changes nothing.
    bool choose(const QString& key, const calendar::CalendarOptions& options);

  private:
    void apply();
    void showOptions(const calendar::CalendarOptions& options);

    AnnalexCtrl& page_;
    QComboBox* calendar_;
    QComboBox* weekStart_;
    QComboBox* yearEndMonth_;
    QComboBox* yearEndRule_;
    QComboBox* yearName_;
    QComboBox* pattern_;
    QComboBox* longQuarter_;
    QCheckBox* fillAttributes_;
    QComboBox* holidays_;
    std::array<QCheckBox*, 7> weekend_{};
    QComboBox* language_;
    bool showing_ = false;
};

}  // namespace annalex::ui
