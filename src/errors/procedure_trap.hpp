#pragma once
// The trap that guards every procedure of the control.
//
// A procedure names itself with two labels (its declaration line and its module) and runs its
// body under the trap. An unexpected failure in the body (a Failure, or any other exception the
// runtime raises) does not travel to the caller: the trap hands the six report fields to the
// failure reporter and the procedure returns normally. A function returns whatever its result
// held when the failure struck, so callers write:
//
//     bool result = false;
//     trap.run(kLabels, [&] { ...; result = true; });
//     return result;
//
// A failure raised by the reporter itself is not caught here and passes to the caller.

#include <cstdint>
#include <exception>
#include <new>
#include <string_view>

#include "common/failure.hpp"
#include "errors/failure_reporter.hpp"

namespace annalex::errors {

struct ProcedureLabels {
    std::string_view module;
    std::string_view procedure;
};

inline constexpr std::string_view kControlModule = "AnnalexCtrl";
inline constexpr std::string_view kGlobalModule = "global";

class ProcedureTrap {
  public:
    explicit ProcedureTrap(FailureReporter& reporter) : reporter_(&reporter) {}

    void setReporter(FailureReporter& reporter) { reporter_ = &reporter; }
    FailureReporter& reporter() const { return *reporter_; }

    template <typename Body>
    void run(const ProcedureLabels& labels, Body&& body) {
        FailureReport caught;
        try {
            body();
            return;
        } catch (const Failure& failure) {
            caught = reportOf(labels, failure);
        } catch (const std::bad_alloc&) {
            caught = reportOf(labels, Failure(ErrorNumber::OutOfMemory));
        } catch (const std::exception& other) {
            caught = reportOf(
                labels, Failure(ErrorNumber::InvalidProcedureCall, other.what(), kDefaultSource));
        }
        // Reported outside the catch blocks: the failure counts as handled from here on.
        reporter_->report(caught, labels.module == kGlobalModule ? ContainerAction::Keep
                                                                 : ContainerAction::Close);
    }

  private:
    static FailureReport reportOf(const ProcedureLabels& labels, const Failure& failure);

    FailureReporter* reporter_;
};

}  // namespace annalex::errors
