#pragma once
// The choices of the last generation, offered again at the next start. They are kept through
// the product's settings store as text values of HKCU "Software\Velmora\Annalex Wizard", one
// per choice, named as in choiceNames() (Levels, Calendar, Start, End, DayFormat, MonthFormat,
// YearFormat, WeekStart, YearEndMonth, YearEndRule, YearName, Pattern, LongQuarter,
// FillAttributes) and written in the command line's forms ("Year,Month", "retail",
// "01-01-2001", "MMM", "mon", "12", "nearest", ...).
//
// On Linux the settings store keeps HKCU in a file under $ANNALEX_SETTINGS_DIR, else
// $XDG_CONFIG_HOME/annalex or ~/.config/annalex.

#include "page_choices.hpp"

namespace annalex::wizard {

inline constexpr const char* kRememberedChoicesKey = "Software\\Velmora\\Annalex Wizard";

// The remembered choices; a value that is missing or no longer valid is left out.
PageChoices rememberedChoices();

// Remembers every given choice; false when the settings store refused a value.
bool rememberChoices(const PageChoices& choices);

}  // namespace annalex::wizard
