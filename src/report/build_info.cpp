#include "report/build_info.hpp"

#include <array>
#include <string_view>

#include "common/build_version.hpp"

namespace annalex::report {

std::string ThisBuild::versionText() const {
    return std::string(build::kVersionText);
}

std::string ThisBuild::compiledText() const {
    return compiledStamp(__DATE__, __TIME__);
}

std::string compiledStamp(const std::string& date, const std::string& time) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (date.size() != 11) {
        return date + " " + time;
    }
    std::string month = "??";
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (date.compare(0, 3, kMonths[i]) == 0) {
            month = (i < 9 ? "0" : "") + std::to_string(i + 1);
        }
    }
    std::string day = date.substr(4, 2);
    if (day[0] == ' ') {
        day[0] = '0';
    }
    return day + "/" + month + "/" + date.substr(7, 4) + " " + time;
}

}  // namespace annalex::report
