#include "report/win32_text.hpp"

#include <windows.h>

namespace annalex::report {
namespace {

std::wstring toWide(UINT codePage, std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string fromWide(UINT codePage, std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::string narrow(static_cast<std::size_t>(WideCharToMultiByte(codePage, 0, text.data(), size,
                                                                    nullptr, 0, nullptr, nullptr)),
                       '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, narrow.data(),
                        static_cast<int>(narrow.size()), nullptr, nullptr);
    return narrow;
}

}  // namespace

std::wstring wideFromUtf8(std::string_view text) {
    return toWide(CP_UTF8, text);
}

std::string utf8FromWide(std::wstring_view text) {
    return fromWide(CP_UTF8, text);
}

std::string utf8FromAnsi(std::string_view text) {
    return utf8FromWide(toWide(CP_ACP, text));
}

std::string ansiFromUtf8(std::string_view text) {
    return fromWide(CP_ACP, wideFromUtf8(text));
}

}  // namespace annalex::report
