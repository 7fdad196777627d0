#include "ui/calendar_rules_panel.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QScopedValueRollback>
#include <array>
#include <string>

#include "calendar/calendar_list.hpp"
#include "calendar/calendar_names.hpp"
#include "ui/annalex_widget.hpp"

namespace annalex::ui {
namespace {

// Which options a calendar reads: the weekly fiscal rules, the retail pattern, the long quarter.
struct Reads {
    bool weekly = false;
    bool pattern = false;
    bool longQuarter = false;
};

Reads readsOf(const QString& key) {
    const bool weekly = key == QLatin1String("retail") || key == QLatin1String("periods13");
    return {weekly, key == QLatin1String("retail"), key == QLatin1String("periods13")};
}

QComboBox* makeCombo(const QString& name, const QStringList& texts, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(texts);
    return combo;
}

// The entry of combo whose data is value; 0 when none.
int entryOf(const QComboBox* combo, int value) {
    const int found = combo->findData(value);
    return found < 0 ? 0 : found;
}

}  // namespace

CalendarRulesPanel::CalendarRulesPanel(AnnalexCtrl& page, QWidget* parent)
    : QGroupBox(QStringLiteral("Calendar rules"), parent), page_(page) {
    setObjectName(QStringLiteral("calendarRules"));

    calendar_ = new QComboBox(this);
    calendar_->setObjectName(QStringLiteral("calendarChoice"));
    calendar_->addItem(QStringLiteral("Page's calendar"), QString());
    const auto list = calendar::calendarList();
    for (std::size_t i = calendar::pageCalendarCount(); i < list.size(); ++i) {
        calendar_->addItem(
            QString::fromUtf8(list[i].caption.data(),
                              static_cast<qsizetype>(list[i].caption.size())),
            QString::fromUtf8(list[i].key.data(), static_cast<qsizetype>(list[i].key.size())));
    }

    // Weekdays in std::chrono's encoding (0 Sunday ... 6 Saturday).
    weekStart_ =
        makeCombo(QStringLiteral("weekStart"),
                  {QStringLiteral("Sunday"), QStringLiteral("Monday"), QStringLiteral("Tuesday"),
                   QStringLiteral("Wednesday"), QStringLiteral("Thursday"),
                   QStringLiteral("Friday"), QStringLiteral("Saturday")},
                  this);
    for (int day = 0; day < weekStart_->count(); ++day) {
        weekStart_->setItemData(day, day);
    }
    yearEndMonth_ = makeCombo(
        QStringLiteral("yearEndMonth"),
        {QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
         QStringLiteral("April"), QStringLiteral("May"), QStringLiteral("June"),
         QStringLiteral("July"), QStringLiteral("August"), QStringLiteral("September"),
         QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")},
        this);
    for (int month = 0; month < yearEndMonth_->count(); ++month) {
        yearEndMonth_->setItemData(month, month + 1);
    }
    yearEndRule_ = makeCombo(QStringLiteral("yearEndRule"),
                             {QStringLiteral("Last end day of the month"),
                              QStringLiteral("End day nearest the month's end")},
                             this);
    yearEndRule_->setItemData(0, static_cast<int>(calendar::YearEndRule::Last));
    yearEndRule_->setItemData(1, static_cast<int>(calendar::YearEndRule::Nearest));
    yearName_ = makeCombo(
        QStringLiteral("yearName"),
        {QStringLiteral("Year of its end month"), QStringLiteral("Year of its start month")}, this);
    yearName_->setItemData(0, static_cast<int>(calendar::YearName::End));
    yearName_->setItemData(1, static_cast<int>(calendar::YearName::Start));
    pattern_ = makeCombo(
        QStringLiteral("pattern"),
        {QStringLiteral("4-4-5"), QStringLiteral("4-5-4"), QStringLiteral("5-4-4")}, this);
    pattern_->setItemData(0, static_cast<int>(calendar::RetailPattern::P445));
    pattern_->setItemData(1, static_cast<int>(calendar::RetailPattern::P454));
    pattern_->setItemData(2, static_cast<int>(calendar::RetailPattern::P544));
    longQuarter_ = makeCombo(
        QStringLiteral("longQuarter"),
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}, this);
    for (int quarter = 0; quarter < longQuarter_->count(); ++quarter) {
        longQuarter_->setItemData(quarter, quarter + 1);
    }
    fillAttributes_ = new QCheckBox(QStringLiteral("Fill every attribute"), this);
    fillAttributes_->setObjectName(QStringLiteral("fillAttributes"));
    holidays_ = makeCombo(
        QStringLiteral("holidays"),
        {QStringLiteral("None"), QStringLiteral("United States"),
         QStringLiteral("England and Wales"), QStringLiteral("Germany"), QStringLiteral("France")},
        this);
    const std::array<const char*, 5> sets = {"", "us", "gb-eng", "de", "fr"};
    for (int set = 0; set < holidays_->count(); ++set) {
        holidays_->setItemData(set, QString::fromLatin1(sets[static_cast<std::size_t>(set)]));
    }
    // Weekdays in std::chrono's encoding, Sunday first, as the week-start list.
    auto* weekendRow = new QWidget(this);
    auto* weekendLayout = new QHBoxLayout(weekendRow);
    weekendLayout->setContentsMargins(0, 0, 0, 0);
    const std::array<const char*, 7> days = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
    for (std::size_t day = 0; day < weekend_.size(); ++day) {
        weekend_[day] = new QCheckBox(QString::fromLatin1(days[day]), weekendRow);
        weekend_[day]->setObjectName(QStringLiteral("weekend%1").arg(day));
        weekendLayout->addWidget(weekend_[day]);
    }
    language_ = new QComboBox(this);
    language_->setObjectName(QStringLiteral("language"));
    language_->addItem(QStringLiteral("English (built-in names)"), QString());
    for (const calendar::Language& language : calendar::cldrLanguages()) {
        const QString tag = QString::fromStdString(language.tag);
        language_->addItem(
            QString::fromStdString(language.name) + QStringLiteral(" (") + tag + QLatin1Char(')'),
            tag);
    }

    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Calendar:"), calendar_);
    layout->addRow(QStringLiteral("Weeks start on:"), weekStart_);
    layout->addRow(QStringLiteral("Year ends in:"), yearEndMonth_);
    layout->addRow(QStringLiteral("Year ends on:"), yearEndRule_);
    layout->addRow(QStringLiteral("Year is named by:"), yearName_);
    layout->addRow(QStringLiteral("Weeks per month:"), pattern_);
    layout->addRow(QStringLiteral("Quarter with 4 periods:"), longQuarter_);
    layout->addRow(fillAttributes_);
    layout->addRow(QStringLiteral("Holidays:"), holidays_);
    layout->addRow(QStringLiteral("Weekend:"), weekendRow);
    layout->addRow(QStringLiteral("Names in:"), language_);

    showOptions({});
    chooseHolidays(QString(), calendar::holidays::WeekdaySet::saturdaySunday());
    for (QComboBox* combo : {calendar_, weekStart_, yearEndMonth_, yearEndRule_, yearName_,
                             pattern_, longQuarter_, holidays_, language_}) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this] {
            if (!showing_) {
                apply();
            }
        });
    }
    for (QCheckBox* box : weekend_) {
        connect(box, &QCheckBox::toggled, this, [this] {
            if (!showing_) {
                apply();
            }
        });
    }
    connect(fillAttributes_, &QCheckBox::toggled, this, [this] {
        if (!showing_) {
            apply();
        }
    });
    apply();
}

QString CalendarRulesPanel::calendarKey() const {
    return calendar_->currentData().toString();
}

calendar::CalendarOptions CalendarRulesPanel::options() const {
    calendar::CalendarOptions options;
    options.weekStart =
        std::chrono::weekday(static_cast<unsigned>(weekStart_->currentData().toInt()));
    options.yearEndMonth = yearEndMonth_->currentData().toInt();
    options.yearEndRule = static_cast<calendar::YearEndRule>(yearEndRule_->currentData().toInt());
    options.yearName = static_cast<calendar::YearName>(yearName_->currentData().toInt());
    options.pattern = static_cast<calendar::RetailPattern>(pattern_->currentData().toInt());
    options.longQuarter = longQuarter_->currentData().toInt();
    return options;
}

bool CalendarRulesPanel::fillAttributes() const {
    return fillAttributes_->isChecked();
}

void CalendarRulesPanel::setFillAttributes(bool fill) {
    QScopedValueRollback<bool> showing(showing_, true);
    fillAttributes_->setChecked(fill);
}

QString CalendarRulesPanel::holidays() const {
    return holidays_->currentData().toString();
}

calendar::holidays::WeekdaySet CalendarRulesPanel::weekend() const {
    calendar::holidays::WeekdaySet days;
    for (unsigned day = 0; day < weekend_.size(); ++day) {
        if (weekend_[day]->isChecked()) {
            days.add(std::chrono::weekday(day));
        }
    }
    return days;
}

bool CalendarRulesPanel::chooseHolidays(const QString& set,
                                        calendar::holidays::WeekdaySet weekend) {
    const int index = holidays_->findData(set);
    if (index < 0) {
        return false;
    }
    {
        QScopedValueRollback<bool> showing(showing_, true);
        holidays_->setCurrentIndex(index);
        for (unsigned day = 0; day < weekend_.size(); ++day) {
            weekend_[day]->setChecked(weekend.has(std::chrono::weekday(day)));
        }
    }
    apply();
    return true;
}

QString CalendarRulesPanel::language() const {
    return language_->currentData().toString();
}

bool CalendarRulesPanel::chooseLanguage(const QString& tag) {
    // The tag in its usual spelling ("pt-br" is pt-BR).
    QString known;
    if (!tag.isEmpty()) {
        try {
            known = QString::fromStdString(calendar::cldrNames(tag.toStdString())->language());
        } catch (const calendar::LanguageError&) {
            return false;
        }
    }
    int index = language_->findData(known);
    if (index < 0) {
        // An alias ICU has data for but does not list ("zh-TW") gets an entry of its own.
        language_->addItem(known, known);
        index = language_->count() - 1;
    }
    {
        QScopedValueRollback<bool> showing(showing_, true);
        language_->setCurrentIndex(index);
    }
    apply();
    return true;
}

bool CalendarRulesPanel::choose(const QString& key, const calendar::CalendarOptions& options) {
    const calendar::CalendarEntry* entry = calendar::findCalendar(key.toStdString());
    if (!key.isEmpty() && entry == nullptr) {
        return false;
    }
    {
        QScopedValueRollback<bool> showing(showing_, true);
        showOptions(options);
        const int index = calendar_->findData(key);
        calendar_->setCurrentIndex(index < 0 ? 0 : index);
    }
    if (entry != nullptr && calendar_->currentIndex() == 0) {
        // A page calendar: its button decides, as if clicked.
        page_.core().chooseCalendar(entry->key, options);
    }
    apply();
    return true;
}

void CalendarRulesPanel::showOptions(const calendar::CalendarOptions& options) {
    weekStart_->setCurrentIndex(
        entryOf(weekStart_, static_cast<int>(options.weekStart.c_encoding())));
    yearEndMonth_->setCurrentIndex(entryOf(yearEndMonth_, options.yearEndMonth));
    yearEndRule_->setCurrentIndex(entryOf(yearEndRule_, static_cast<int>(options.yearEndRule)));
    yearName_->setCurrentIndex(entryOf(yearName_, static_cast<int>(options.yearName)));
    pattern_->setCurrentIndex(entryOf(pattern_, static_cast<int>(options.pattern)));
    longQuarter_->setCurrentIndex(entryOf(longQuarter_, options.longQuarter));
}

void CalendarRulesPanel::apply() {
    const QString key = calendarKey();
    const Reads reads = readsOf(key);
    for (QWidget* field : {weekStart_, yearEndMonth_, yearEndRule_, yearName_}) {
        field->setEnabled(reads.weekly);
    }
    pattern_->setEnabled(reads.pattern);
    longQuarter_->setEnabled(reads.longQuarter);
    const bool fill = fillAttributes_->isChecked();
    holidays_->setEnabled(fill);
    for (QCheckBox* box : weekend_) {
        box->setEnabled(fill);
    }

    control::AnnalexCtrl& core = page_.core();
    // Every entry of the list has names.
    core.setLanguage(language().toStdString());
    core.setFillAttributes(fill);
    // A built-in set always loads; a fault here would be a broken build.
    core.setHolidays(holidays().toStdString());
    core.setWeekend(weekend());
    if (key.isEmpty()) {
        // Back to the page: the button that is on decides again.
        if (core.chosenCalendar() != calendar::calendarList()[0].key &&
            core.chosenCalendar() != calendar::calendarList()[1].key) {
            const bool gregorian = core.page().calendarType[0].value();
            core.chooseCalendar(calendar::calendarList()[gregorian ? 0 : 1].key);
        }
    } else {
        core.chooseCalendar(key.toStdString(), options());
    }
    const calendar::CalendarEntry* entry = calendar::findCalendar(core.chosenCalendar());
    page_.offerLevels(entry != nullptr ? entry->levels : std::int16_t{31});
    for (int index = 0; index < static_cast<int>(calendar::pageCalendarCount()); ++index) {
        if (QWidget* button = page_.controlWidget(QStringLiteral("calendarType"), index)) {
            button->setEnabled(key.isEmpty());
        }
    }
}

}  // namespace annalex::ui
