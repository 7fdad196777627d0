#pragma once
// What the procedure trap hands to the error report: the six fields, in the order they are set.

#include <cstdint>
#include <string>

namespace annalex::errors {

struct FailureReport {
    std::string errModName;              // module label: "AnnalexCtrl", or "global" for splitLine
    std::string errProcName;             // procedure label: the procedure's declaration line
    std::string VmErrDescription;        // the failure's description text
    std::int32_t VmErrNumber = 0;        // the failure's catalogue number
    std::string VmErrSource;             // the component that raised the failure
    std::int32_t VmErrLastDllError = 0;  // the last system error code when it was raised

    friend bool operator==(const FailureReport&, const FailureReport&) = default;
};

}  // namespace annalex::errors
