#include "platform/wide_text.hpp"

#include <oleauto.h>

namespace annalex::platform {

std::wstring toWide(std::string_view text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                            length);
    }
    return result;
}

std::string fromWide(std::wstring_view text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                            length, nullptr, nullptr);
    }
    return result;
}

BSTR toBstr(std::string_view text) {
    const std::wstring wide = toWide(text);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string fromBstr(BSTR text) {
    return text == nullptr ? std::string() : fromWide({text, SysStringLen(text)});
}

HRESULT putBstr(std::string_view text, BSTR* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = toBstr(text);
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace annalex::platform
