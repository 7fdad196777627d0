#pragma once
// The two kinds of message box the calendar page shows.

#include <string>
#include <utility>

#include "common/message_service.hpp"

namespace annalex::control {

// The check messages: title "Error", OK only, no icon, system-modal, brought to the foreground.
inline MessageBoxRequest errorMessage(std::string text) {
    return {"Error", std::move(text), MessageIcon::None, MessageModality::System, true};
}

// The generation notice: title "Info", the information icon, modal to the application.
inline MessageBoxRequest infoMessage(std::string text) {
    return {"Info", std::move(text), MessageIcon::Information, MessageModality::Application, false};
}

}  // namespace annalex::control
