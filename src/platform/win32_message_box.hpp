#pragma once
// The page's message boxes as Windows shows them: MessageBoxW with the request's title and
// text, a single OK button, the information icon when asked for, system-modal (topmost) or
// modal to the application, and brought to the foreground when asked.

#include <windows.h>

#include "common/message_service.hpp"

namespace annalex::platform {

// The MessageBoxW style of a request: MB_SYSTEMMODAL | MB_SETFOREGROUND (0x11000) for the
// page's "Error" messages, MB_ICONINFORMATION (0x40) for its "Info" notice.
UINT messageBoxStyle(const MessageBoxRequest& request);

// Shows the box over owner (disabled meanwhile) and returns when the person has closed it.
void showMessageBox(HWND owner, const MessageBoxRequest& request);

}  // namespace annalex::platform
