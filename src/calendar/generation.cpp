// The level schema and the member builders.
//
// Until the builders are written, addLevels and addMembers are procedures with empty bodies
// under the trap.

#include "calendar/calendar_builder.hpp"

namespace annalex::calendar {

using errors::kControlModule;
using errors::ProcedureLabels;

void CalendarBuilder::addLevels() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub addLevels()"};
    trap_.run(kLabels, [] {});
}

void CalendarBuilder::addMembers() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub addMembers()"};
    trap_.run(kLabels, [] {});
}

}  // namespace annalex::calendar
