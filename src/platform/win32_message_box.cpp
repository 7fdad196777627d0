#include "platform/win32_message_box.hpp"

#include "platform/wide_text.hpp"

namespace annalex::platform {

UINT messageBoxStyle(const MessageBoxRequest& request) {
    UINT style = MB_OK;
    if (request.icon == MessageIcon::Information) {
        style |= MB_ICONINFORMATION;
    }
    style |= request.modality == MessageModality::System ? MB_SYSTEMMODAL : MB_APPLMODAL;
    if (request.foreground) {
        style |= MB_SETFOREGROUND;
    }
    return style;
}

void showMessageBox(HWND owner, const MessageBoxRequest& request) {
    MessageBoxW(owner, toWide(request.text).c_str(), toWide(request.title).c_str(),
                messageBoxStyle(request));
}

}  // namespace annalex::platform
