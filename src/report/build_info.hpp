#pragma once
// What the error log says about the build: its version and when it was compiled.

#include <string>

namespace annalex::report {

class BuildInfo {
  public:
    virtual ~BuildInfo() = default;
    // "major.minor.revision" in decimal, for example "2.0.54".
    virtual std::string versionText() const = 0;
    // When the build was compiled, written day/month/year hours:minutes:seconds with two-digit
    // day, month and fields of the time, for example "23/07/2001 22:14:39".
    virtual std::string compiledText() const = 0;
};

// This build: the version from the project's CMake version, and the date and time at which the
// build information unit was compiled (a fresh build writes it; an incremental build that does
// not recompile that unit keeps the earlier stamp).
class ThisBuild final : public BuildInfo {
  public:
    std::string versionText() const override;
    std::string compiledText() const override;
};

// The compiler's __DATE__ ("Jul 23 2001", day padded with a blank) and __TIME__ ("22:14:39")
// written as "23/07/2001 22:14:39".
std::string compiledStamp(const std::string& date, const std::string& time);

}  // namespace annalex::report
