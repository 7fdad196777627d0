#include "platform/com_object.hpp"

#include <oleauto.h>

namespace annalex::platform {

BSTR toBstr(std::string_view text) {
    const int wide =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(wide));
    if (result != nullptr && wide > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result, wide);
    }
    return result;
}

std::string fromBstr(BSTR text) {
    const int length = static_cast<int>(SysStringLen(text));
    if (text == nullptr || length == 0) {
        return {};
    }
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), bytes, nullptr, nullptr);
    return result;
}

HRESULT putBstr(std::string_view text, BSTR* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = toBstr(text);
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace annalex::platform
