// annalex settings as its users run it: what it says when a write did not happen.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "program_run.hpp"
#include "settings/settings_dir.hpp"

namespace annalex::testing {
namespace {

namespace fs = std::filesystem;

// A settings directory of its own, reachable by the unprivileged user that some runs become.
class SettingsCommand : public settings::testing::SettingsDirTest {
  protected:
    void SetUp() override {
        SettingsDirTest::SetUp();
        fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    }
};

// A write that did not happen is reported with the file it names. (Why writes fail, a full disk
// among them, is the settings suite's business.) Here the file may be written by anyone, but its
// folder only by its owner: the replacement cannot be made.
TEST_F(SettingsCommand, AnIniWriteThatDidNotHappenIsReported) {
    const auto ini = writeFile("app.ini", "[Main]\nkey=old\n");
    fs::permissions(ini, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec |
                                            fs::perms::others_exec));
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"settings", "write", ini.string(), "Main", "key", "S", "new"},
             {"settings", "delete-value", ini.string(), "Main", "key"}}) {
        const ProgramRun run = runAnnalex(arguments, RunAs::Unprivileged);
        if (run.status == kCannotDropPrivileges) {
            GTEST_SKIP() << "cannot run the program as an unprivileged user here";
        }
        EXPECT_EQ(run.status, 1) << arguments[1];
        EXPECT_NE(run.err.find("cannot write '" + ini.string() + "'"), std::string::npos)
            << run.err;
        EXPECT_EQ(readFile(ini), "[Main]\nkey=old\n");
    }
}

TEST_F(SettingsCommand, ATypeThatWritesNothingIsAUsageError) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"settings", "write", "HKCU", "Software\\N", "v", "X", "1"},
             {"settings", "read", "HKCU", "Software\\N", "v", "X"}}) {
        const ProgramRun run = runAnnalex(arguments);
        EXPECT_EQ(run.status, 2) << arguments[1];
        EXPECT_NE(run.err.find("TYPE"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(fs::is_empty(dir_));
    // Any case of the three letters is a type.
    EXPECT_EQ(runAnnalex({"settings", "write", "HKCU", "Software\\N", "v", "d", "1"}).status, 0);
}

TEST_F(SettingsCommand, MessagesNameTheFile) {
    ASSERT_EQ(runAnnalex({"settings", "write", "HKCU", "Software\\V", "a", "S", "1"}).status, 0);
    const auto hive = path("HKEY_CURRENT_USER.hive");
    // Cut to its first line: every setting gone, which must not read as an empty hive.
    const std::string text = readFile(hive);
    std::ofstream(hive, std::ios::binary | std::ios::trunc) << text.substr(0, text.find('\n') + 1);
    const ProgramRun damaged = runAnnalex({"settings", "read", "HKCU", "Software\\V", "a"});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(damaged.err, "annalex settings: '" + hive.string() +
                               "': status 1015: The configuration registry database is corrupt.\n");

    const auto ini = writeFile("app.ini", "[Main]\n");
    const ProgramRun missing = runAnnalex({"settings", "list-keys", ini.string(), "Main"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.rfind("annalex settings: '" + ini.string() + "': status 6: ", 0), 0u)
        << missing.err;
}

}  // namespace
}  // namespace annalex::testing
