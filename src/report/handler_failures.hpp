#pragma once
// What happens to a failure that escapes the report form's own handlers, or the making of the
// form itself: the form's handlers have no trap, so the face shows the failure as a run-time
// error box ("Run-time error 'N':" and the description, titled as the form) and the report ends
// there, once the person has read it. Both faces bind their windows through these.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/message_service.hpp"

namespace annalex::report {

class frmErrorHand;

// The box that tells a failure escaping a handler.
MessageBoxRequest runTimeErrorMessage(std::int32_t number, const std::string& description);

// Runs work; the box for a failure that escaped it, or nothing when it ended normally. A
// standard exception counts as an invalid procedure call.
std::optional<MessageBoxRequest> runTimeErrorOf(const std::function<void()>& work);

// Runs a handler of the form; a failure that escapes it is shown and unloads the form.
void runFormHandler(frmErrorHand& form, MessageService& messages,
                    const std::function<void()>& handler);

}  // namespace annalex::report
