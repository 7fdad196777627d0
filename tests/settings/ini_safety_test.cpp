// INI files under stress: concurrent writers, permissions, links, hostile text, left-overs.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "settings/registry.hpp"
#include "settings_dir.hpp"

namespace annalex::settings {
namespace {

using testing::SettingsDirTest;

class IniSafetyTest : public SettingsDirTest {
  protected:
    // Runs body in count child processes at once; true when every child exited 0.
    template <typename Body>
    static bool inChildren(int count, Body body) {
        std::vector<pid_t> children;
        for (int child = 0; child < count; ++child) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::_exit(body(child));
            }
            children.push_back(pid);
        }
        bool allPassed = true;
        for (const pid_t pid : children) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            allPassed = allPassed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        return allPassed;
    }
};

TEST_F(IniSafetyTest, ConcurrentWritersToOneSectionLoseNothing) {
    const std::string ini = writeFile("app.ini", "[Main]\n").string();
    constexpr int kWriters = 4;
    constexpr int kWrites = 15;
    EXPECT_TRUE(inChildren(kWriters, [&](int writer) {
        for (int i = 0; i < kWrites; ++i) {
            fWriteValue(ini, "Main", "w" + std::to_string(writer) + "_" + std::to_string(i), "S",
                        std::to_string(i));
        }
        return 0;
    }));
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int i = 0; i < kWrites; ++i) {
            SettingValue value;
            fReadValue(ini, "Main", "w" + std::to_string(writer) + "_" + std::to_string(i), "S",
                       std::string("lost"), value);
            EXPECT_EQ(value, SettingValue(std::to_string(i))) << writer << "_" << i;
        }
    }
}

}  // namespace
}  // namespace annalex::settings
