#pragma once
// The choices of the last generation, offered again at the next start. They are kept through
// the product's settings store as text values of HKCU "Software\Velmora\Annalex Wizard", one
// per choice, named as in choiceNames() (Levels, Calendar, Start, End, DayFormat, MonthFormat,
// YearFormat, WeekStart, YearEndMonth, YearEndRule, YearName, Pattern, LongQuarter,
// FillAttributes, Holidays, Weekend, Language) and written in the command line's forms
// ("Year,Month", "retail", "01-01-2001", "MMM", "mon", "12", "nearest", "de", ...).
//
// Each store the wizard saved a calendar to also keeps the choices of that calendar, under the
// subkey "Stores\<16 hex digits of the SHA-1 of the store's canonical path>" with two more
// values: "Store" (the path) and "Members" (how many members the calendar has). When the store
// is opened again and still holds that calendar, the page starts from them.
//
// On Linux the settings store keeps HKCU in a file under $ANNALEX_SETTINGS_DIR, else
// $XDG_CONFIG_HOME/annalex or ~/.config/annalex.

#include <QString>

#include "cube/memory_model.hpp"
#include "page_choices.hpp"

namespace annalex::wizard {

inline constexpr const char* kRememberedChoicesKey = "Software\\Velmora\\Annalex Wizard";

// The remembered choices; a value that is missing or no longer valid is left out.
PageChoices rememberedChoices();

// Remembers every given choice; false when the settings store refused a value.
bool rememberChoices(const PageChoices& choices);

// The choices the calendar dimension holds was made with, for the store at storePath: those
// remembered with it when this wizard saved it and the store still holds the same calendar (the
// same levels and number of members); otherwise only its levels, read from the dimension. None
// when the dimension holds no calendar.
PageChoices storedCalendarChoices(const QString& storePath, const cube::MemoryDimension& dimension);

// Remembers choices as those of the calendar dimension holds, just saved to storePath; false
// when the settings store refused a value.
bool rememberStoredCalendar(const QString& storePath, const PageChoices& choices,
                            const cube::MemoryDimension& dimension);

}  // namespace annalex::wizard
