// INI files under stress: concurrent writers, permissions, links, hostile text, left-overs.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "settings/profile_write_error.hpp"
#include "settings/registry.hpp"
#include "settings_dir.hpp"
#include "support/child_process.hpp"

namespace annalex::settings {
namespace {

namespace fs = std::filesystem;
using testing::SettingsDirTest;

using IniSafetyTest = SettingsDirTest;
using annalex::testing::inChild;
using annalex::testing::inUnprivilegedChild;
using annalex::testing::startChild;
using annalex::testing::waitForChild;

TEST_F(IniSafetyTest, ConcurrentWritersToOneSectionLoseNothing) {
    const std::string ini = writeFile("app.ini", "[Main]\n").string();
    constexpr int kWriters = 4;
    constexpr int kWrites = 15;
    std::vector<pid_t> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        writers.push_back(startChild([&] {
            for (int i = 0; i < kWrites; ++i) {
                fWriteValue(ini, "Main", "w" + std::to_string(writer) + "_" + std::to_string(i),
                            "S", std::to_string(i));
            }
            return 0;
        }));
    }
    for (const pid_t writer : writers) {
        EXPECT_EQ(waitForChild(writer), 0);
    }
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int i = 0; i < kWrites; ++i) {
            SettingValue value;
            fReadValue(ini, "Main", "w" + std::to_string(writer) + "_" + std::to_string(i), "S",
                       std::string("lost"), value);
            EXPECT_EQ(value, SettingValue(std::to_string(i))) << writer << "_" << i;
        }
    }
}

TEST_F(IniSafetyTest, FilesTheUserMayNotWriteAreRefusedAndKeepTheirOwners) {
    // The user's own folder, with a read-only INI file and hive, and a file of another owner.
    const auto home = path("home");
    fs::create_directory(home);
    fs::permissions(dir_, fs::perms::owner_all | fs::perms::others_exec);
    ::chown(home.c_str(), 65534, 65534);
    const auto readOnly = home / "read_only.ini";
    std::ofstream(readOnly) << "[Main]\nkey=old\n";
    ::chown(readOnly.c_str(), 65534, 65534);
    fs::permissions(readOnly,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto othersFile = home / "others.ini";
    std::ofstream(othersFile) << "[Main]\nkey=old\n";
    fs::permissions(othersFile, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec |
                                                   fs::perms::others_exec));
    const bool root = ::geteuid() == 0;

    const int code = inUnprivilegedChild([&] {
        ::setenv("ANNALEX_SETTINGS_DIR", home.c_str(), 1);
        setLastProfileWriteError(0);
        fWriteValue(readOnly.string(), "Main", "key", "S", std::string("new"));
        if (lastProfileWriteError() != EACCES) {
            return 1;
        }
        if (fWriteValue("HKCU", "K", "v", "S", std::string("old")) != 0) {
            return 2;
        }
        ::chmod((home / "HKEY_CURRENT_USER.hive").c_str(), 0444);
        if (fWriteValue("HKCU", "K", "v", "S", std::string("new")) != status::kAccessDenied) {
            return 3;
        }
        if (root) {  // a file of another owner that the user may write, but not take over
            setLastProfileWriteError(0);
            fWriteValue(othersFile.string(), "Main", "key", "S", std::string("new"));
            if (lastProfileWriteError() != EPERM) {
                return 4;
            }
        }
        return 0;
    });
    if (code == 125) {
        GTEST_SKIP() << "cannot drop privileges here";
    }
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(readOnly), "[Main]\nkey=old\n");
    EXPECT_EQ(readFile(othersFile), "[Main]\nkey=old\n");
    EXPECT_NE(readFile(home / "HKEY_CURRENT_USER.hive").find("\"old\""), std::string::npos);

    // A privileged writer leaves a user's private file the user's, and private.
    if (root) {
        const auto privateFile = home / "private.ini";
        std::ofstream(privateFile) << "[Main]\nkey=old\n";
        ::chown(privateFile.c_str(), 65534, 65534);
        fs::permissions(privateFile, fs::perms::owner_read | fs::perms::owner_write);
        fWriteValue(privateFile.string(), "Main", "key", "S", std::string("new"));
        struct stat info {};
        ASSERT_EQ(::stat(privateFile.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
        EXPECT_EQ(info.st_mode & 07777, 0600u);
        EXPECT_EQ(readFile(privateFile), "[Main]\nkey=new\n");
    }
}

TEST_F(IniSafetyTest, WritesGoThroughLinksAndNeverFollowALinkForALock) {
    const auto elsewhere = path("elsewhere");
    fs::create_directory(elsewhere);
    const auto realIni = elsewhere / "real.ini";
    std::ofstream(realIni) << "[Main]\nkey=old\n";
    fs::create_symlink(realIni, path("link.ini"));
    fWriteValue(path("link.ini").string(), "Main", "key", "S", std::string("new"));
    EXPECT_TRUE(fs::is_symlink(path("link.ini")));
    EXPECT_EQ(readFile(realIni), "[Main]\nkey=new\n");

    // A lock file planted as a link is refused, and what it names is not created.
    const auto planted = elsewhere / "created-by-the-writer";
    fs::create_symlink(planted, path("HKEY_LOCAL_MACHINE.lock"));
    EXPECT_NE(fWriteValue("HKLM", "K", "v", "S", std::string("x")), 0);
    EXPECT_FALSE(fs::exists(planted));
    EXPECT_FALSE(fs::exists(path("HKEY_LOCAL_MACHINE.hive")));
}

TEST_F(IniSafetyTest, TextIsEitherReadBackExactlyOrRefused) {
    const std::vector<std::string> names = {"plain", "a]b", "a=b", " k",   "k ",  ";k",
                                            "[k",    "a[b", "",    "x\ny", "x\ry"};
    const std::vector<std::string> values = {"v",        "",    "  padded  ", "\"quoted\"",
                                             "'single'", "a=b", ";x",         "v\n[Evil]\nadmin=1"};
    struct Case {
        std::string section, key, value;
    };
    std::vector<Case> cases;
    for (const auto& name : names) {
        cases.push_back({name, "k", "v"});
        cases.push_back({"S", name, "v"});
    }
    for (const auto& value : values) {
        cases.push_back({"S", "k", value});
    }
    for (const auto& [section, key, value] : cases) {
        SCOPED_TRACE("[" + section + "] " + key + "=" + value);
        const auto ini = writeFile("hostile.ini", "[Main]\nkeep=1\n").string();
        setLastProfileWriteError(0);
        fWriteValue(ini, section, key, "S", value);
        const std::string once = readFile(ini);
        if (lastProfileWriteError() != 0) {
            EXPECT_EQ(lastProfileWriteError(), EINVAL);
            EXPECT_EQ(once, "[Main]\nkeep=1\n");
            continue;
        }
        SettingValue read;
        fReadValue(ini, section, key, "S", std::string("missing"), read);
        EXPECT_EQ(read, SettingValue(value));
        fReadValue(ini, "Main", "keep", "S", std::string("missing"), read);
        EXPECT_EQ(read, SettingValue(std::string("1")));
        fWriteValue(ini, section, key, "S", value);  // a rewrite adds nothing
        EXPECT_EQ(readFile(ini), once);
    }
}

TEST_F(IniSafetyTest, AByteOrderMarkHidesNothingAndIsKept) {
    const auto ini = writeFile("bom.ini", "\xEF\xBB\xBF[First]\r\nk=v\r\n").string();
    SettingValue value;
    EXPECT_EQ(fReadValue(ini, "First", "k", "S", std::string("missing"), value), 0);
    EXPECT_EQ(value, SettingValue(std::string("v")));
    fWriteValue(ini, "First", "k", "S", std::string("w"));
    EXPECT_EQ(readFile(ini), "\xEF\xBB\xBF[First]\r\nk=w\r\n");
}

TEST_F(IniSafetyTest, FilesHoldingSettingsArePrivateAndKilledWritesLeaveNothing) {
    const pid_t gone = startChild([] { return 0; });  // a process that no longer runs
    waitForChild(gone);
    const auto folder = path("new") / "settings";
    ASSERT_EQ(inChild([&] {
                  ::umask(0);
                  ::setenv("ANNALEX_SETTINGS_DIR", folder.c_str(), 1);
                  return fWriteValue("HKCU", "K", "v", "S", std::string("first"));
              }),
              0);
    auto modeOf = [](const fs::path& file) {
        struct stat info {};
        ::stat(file.c_str(), &info);
        return info.st_mode & 07777;
    };
    EXPECT_EQ(modeOf(path("new")), 0700u);
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(folder / "HKEY_CURRENT_USER.hive"), 0600u);
    EXPECT_EQ(modeOf(folder / "HKEY_CURRENT_USER.lock"), 0600u);

    // Copies left by writes that were killed: removed by the next write unless their process
    // (this one, or its parent) still runs.
    const std::string hive = (folder / "HKEY_CURRENT_USER.hive").string();
    const std::string stale = hive + ".tmp." + std::to_string(gone) + ".0";
    const std::string running = hive + ".tmp." + std::to_string(::getpid()) + ".7";
    const std::string ofParent = hive + ".tmp." + std::to_string(::getppid()) + ".2";
    const std::string foreign = hive + ".tmp.notes";
    // A killed process that nobody has reaped yet is gone too.
    const pid_t zombie = startChild([] { return 0; });
    const std::string ofZombie = hive + ".tmp." + std::to_string(zombie) + ".1";
    for (const auto& file : {stale, running, ofParent, foreign, ofZombie}) {
        std::ofstream(file) << "a copy of the settings";
    }
    ::usleep(50000);  // until it has ended
    ::setenv("ANNALEX_SETTINGS_DIR", folder.c_str(), 1);
    ASSERT_EQ(fWriteValue("HKCU", "K", "v", "S", std::string("second")), 0);
    waitForChild(zombie);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_FALSE(fs::exists(ofZombie));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(ofParent));
    EXPECT_TRUE(fs::exists(foreign));
}

}  // namespace
}  // namespace annalex::settings
