#include "command_line_text.hpp"

#ifdef _WIN32
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>
#endif

namespace annalex::cli {

#ifdef _WIN32

namespace {

std::string convert(UINT toCodePage, const std::wstring& text) {
    const int length = WideCharToMultiByte(
        toCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(toCodePage, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        length, nullptr, nullptr);
    return result;
}

}  // namespace

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return {argv, argv + argc};
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(convert(CP_UTF8, wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

std::string ansiText(const std::string& utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return convert(CP_ACP, wide);
}

#else

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    return {argv, argv + argc};
}

std::string ansiText(const std::string& utf8) {
    return utf8;
}

#endif

}  // namespace annalex::cli
