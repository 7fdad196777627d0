#include "settings/value.hpp"

#include <algorithm>
#include <cctype>

#include "common/checked_int.hpp"
#include "common/failure.hpp"
#include "common/numeric.hpp"

namespace annalex::settings {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) ==
               std::toupper(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::string statusMeaning(std::int32_t code) {
    switch (code) {
        case status::kSuccess:
            return "The operation completed successfully.";
        case status::kFileNotFound:
            return "The system cannot find the file specified.";
        case status::kAccessDenied:
            return "Access is denied.";
        case status::kInvalidHandle:
            return "The handle is invalid.";
        case status::kInvalidData:
            return "The data is invalid.";
        case status::kWriteFault:
            return "The system cannot write to the specified device.";
        case status::kReadFault:
            return "The system cannot read from the specified device.";
        case status::kInvalidParameter:
            return "The parameter is incorrect.";
        case status::kStart:
            return "Neither a root key nor an existing file was named, or the call failed "
                   "before reaching the store.";
        case status::kMoreData:
            return "More data is available.";
        case status::kNoMoreItems:
            return "No more data is available.";
        case status::kBadDatabase:
            return "The configuration registry database is corrupt.";
        case status::kKeyDeleted:
            return "Illegal operation attempted on a registry key that has been marked for "
                   "deletion.";
        default:
            return "Unknown status";
    }
}

std::string textForm(const SettingValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag ? "True" : "False";
    }
    return decimalText(std::get<std::int32_t>(value));
}

bool toBoolean(const SettingValue& value) {
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag;
    }
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        return *number != 0;
    }
    const auto& text = std::get<std::string>(value);
    if (equalsIgnoringCase(text, "True")) {
        return true;
    }
    if (equalsIgnoringCase(text, "False")) {
        return false;
    }
    return toDouble(text) != 0.0;  // raises TypeMismatch for other texts
}

std::int16_t toInt16(const SettingValue& value) {
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag ? std::int16_t{-1} : std::int16_t{0};
    }
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        return narrowChecked<std::int16_t>(*number);
    }
    return annalex::toInt16(std::get<std::string>(value));
}

}  // namespace annalex::settings
