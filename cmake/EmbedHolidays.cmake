# Writes OUTPUT, a C++ file that defines builtinSets() with the text of every rules file in
# INPUTS (a ;-separated list), each named after its file without ".rules". Run at build time:
#   cmake -DINPUTS=a.rules;b.rules -DOUTPUT=builtin_sets.cpp -P EmbedHolidays.cmake
set(entries "")
list(SORT INPUTS)
foreach(input IN LISTS INPUTS)
  get_filename_component(name "${input}" NAME_WE)
  file(READ "${input}" text)
  if(text MATCHES "\\)annalex_rules\"")
    message(FATAL_ERROR "${input} contains the raw-string delimiter")
  endif()
  string(APPEND entries "    {\"${name}\", R\"annalex_rules(${text})annalex_rules\"},\n")
endforeach()
file(WRITE "${OUTPUT}.tmp"
"// Generated from data/holidays by cmake/EmbedHolidays.cmake at build time; not to be edited.

#include \"calendar/holidays/holiday_sets.hpp\"

namespace annalex::calendar::holidays {
namespace {

constexpr BuiltinSet kSets[] = {
${entries}};

}  // namespace

std::span<const BuiltinSet> builtinSets() {
    return kSets;
}

}  // namespace annalex::calendar::holidays
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
