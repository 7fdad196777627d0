#pragma once
// splitLine as the control calls it: under the trap, with the labels of the shared module
// "global". A failure (a count beyond 16 bits) is reported and the result is 0.

#include "common/split_line.hpp"
#include "errors/procedure_trap.hpp"

namespace annalex::errors {

inline std::int16_t splitLine(ProcedureTrap& trap, std::string_view line,
                              std::string_view separator, LineFields& elements) {
    static constexpr ProcedureLabels kLabels{
        kGlobalModule,
        "Public Function splitLine(ByVal Line As String, ByVal seperator As String, "
        "elements() As String) As Integer"};
    std::int16_t count = 0;
    trap.run(kLabels, [&] { count = annalex::splitLine(line, separator, elements); });
    return count;
}

}  // namespace annalex::errors
