#pragma once
// The day table of a generated calendar: one row per day, in date order, the flat date table a
// data warehouse loads as its time dimension. docs/day-table.md lists the columns.
//
// Columns, in this order:
//   calendar_date DATE (the primary key), date_key INTEGER (YYYYMMDD, unique);
//   for each level of the hierarchy, top down, with the level's name in lower case as prefix:
//     <level>_name TEXT, <level>_number INTEGER (the member's number among its parent's
//     children, or among the top members, from 1), <level>_first_day and <level>_last_day DATE;
//   with attributes, each attribute of each level, top down and in the level's order, under a
//     fixed snake_case name (DayFstDayInWeek: day_first_day_in_week) and type, and after the Day
//     level's attributes day_working_day BOOLEAN: neither a weekend day nor a holiday.
//
// The rows are the days of the members of the lowest level. A day that two of them hold (the
// page's calendars can hang one week below two quarters, or name 1 March as February's 29th)
// is written once: with the member whose ancestors all hold the day too, else with the first in
// the hierarchy's order. Every row is thus a path of the hierarchy, from a top member down.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/calendar_state.hpp"
#include "cube/memory_model.hpp"
#include "cube/table_encoder.hpp"

namespace annalex::calendar {

struct DayTableOptions {
    cube::TableFormat format = cube::TableFormat::Csv;
    std::string tableName = "calendar_day";  // for the SQL scripts
    bool attributes = false;                 // the attribute columns
};

// The column a filled attribute becomes; an unknown key keeps its own name in snake_case, as
// text.
cube::TableColumn attributeColumn(std::string_view key);

// The table's columns for a hierarchy.
std::vector<cube::TableColumn> dayTableColumns(const cube::MemoryHierarchy& hierarchy,
                                               bool attributes);

// Writes the day table of hierarchy, whose members' days the generation recorded in state
// (recordDates). A member without recorded days raises InvalidProcedureCall, and an attribute
// value its column cannot hold TypeMismatch; both name the member.
void writeDayTable(const cube::MemoryHierarchy& hierarchy, const CalendarState& state,
                   const DayTableOptions& options, std::ostream& out);

}  // namespace annalex::calendar
