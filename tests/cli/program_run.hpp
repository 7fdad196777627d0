#pragma once
// Runs the real annalex program with arguments and collects what it printed and its status.

#include <filesystem>
#include <string>
#include <vector>

namespace annalex::testing {

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Unprivileged: when the tests run as root, the program runs as the user "nobody" (so that
// file permissions apply to it); otherwise as the current user.
enum class RunAs { Caller, Unprivileged };
// The status of a run whose privileges could not be dropped.
inline constexpr int kCannotDropPrivileges = 126;

ProgramRun runAnnalex(const std::vector<std::string>& arguments, RunAs as = RunAs::Caller);

// A fresh directory under the system's temporary directory, removed with the object.
class TemporaryDirectory {
  public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& file);

}  // namespace annalex::testing
