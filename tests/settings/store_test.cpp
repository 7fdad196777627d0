// The hive store's own promises: its text form, concurrent writers, damaged files and failed
// writes.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include "settings/hive.hpp"
#include "settings/registry.hpp"
#include "settings_dir.hpp"
#include "support/child_process.hpp"

namespace annalex::settings {
namespace {

using namespace std::string_literals;
using testing::SettingsDirTest;

using annalex::testing::inChild;
using annalex::testing::startChild;
using annalex::testing::waitForChild;

class StoreTest : public SettingsDirTest {
  protected:
    // Two processes, "first" and "second", write kWrites values each into HKCU at the same
    // time, each with its own settings directory; returns how many of them the hive in
    // readFrom holds afterwards.
    static constexpr int kWrites = 40;
    static int keptOfConcurrentWriters(const std::filesystem::path& first,
                                       const std::filesystem::path& second,
                                       const std::filesystem::path& readFrom) {
        std::vector<pid_t> children;
        for (const auto& [writer, folder] : {std::pair{"first", first}, {"second", second}}) {
            children.push_back(startChild([&] {
                ::setenv("ANNALEX_SETTINGS_DIR", folder.c_str(), 1);
                int failures = 0;
                for (int i = 0; i < kWrites; ++i) {
                    failures +=
                        fWriteValue("HKCU", "Shared", writer + std::to_string(i), "D", i) != 0;
                }
                return failures;
            }));
        }
        for (const pid_t child : children) {
            EXPECT_EQ(waitForChild(child), 0);
        }
        ::setenv("ANNALEX_SETTINGS_DIR", readFrom.c_str(), 1);
        int kept = 0;
        for (const char* writer : {"first", "second"}) {
            for (int i = 0; i < kWrites; ++i) {
                SettingValue v;
                kept += fReadValue("HKCU", "Shared", writer + std::to_string(i), "D", -1, v) == 0 &&
                        v == SettingValue(i);
            }
        }
        return kept;
    }
};

TEST(HiveTextTest, RoundTripsNamesAndDataThatNeedEscapes) {
    HiveKey root;
    root.setValue("at root", 1, "r\0"s);
    auto& key = root.addSubkey("Soft ware").addSubkey("We]ird");
    key.setValue("quote\"back\\slash\nline", 1, "tab\there\0"s);
    key.setValue("", 4, "\x01\x02\x03\x04"s);
    key.setValue("bin", 3, "\xff\x00"s);
    key.setValue("embedded", 1, "a\0b\0"s);
    key.setValue("odd", 7, "");
    root.addSubkey("empty");
    const auto text = writeHive(root);
    const auto parsed = parseHive(text);
    ASSERT_TRUE(parsed.has_value()) << text;
    EXPECT_TRUE(*parsed == root) << text;
    EXPECT_EQ(writeHive(*parsed), text);
    EXPECT_NE(text.find("[Soft ware\\We]ird]\n"), std::string::npos) << text;
}

TEST(HiveTextTest, RefusesDamagedText) {
    for (const char* text : {
             "", "not a hive\n",
             "annalex-settings-hive 1\n[A]\n[a]\n",                       // same key twice
             "annalex-settings-hive 1\n[A]\n\"v\"=\"1\"\n\"V\"=\"2\"\n",  // same value twice
             "annalex-settings-hive 1\n[A\\\\B]\n",                       // empty key name
             "annalex-settings-hive 1\n\"v\"=dword:123\n",                // short dword
             "annalex-settings-hive 1\n\"v\"=hex:1,2\n",                  // bad hex
             "annalex-settings-hive 1\n\"v\"=\"open\n",                   // unterminated
             "annalex-settings-hive 1\nv=\"x\"\n",                        // unquoted name
         }) {
        EXPECT_FALSE(parseHive(text).has_value()) << text;
    }
}

TEST_F(StoreTest, DamagedHiveIsReportedAndLeftAsItWas) {
    const std::string damaged = "annalex-settings-hive 1\n[K]\n\"v\"=garbage\n";
    const auto file = writeFile("HKEY_CURRENT_USER.hive", damaged);
    SettingValue v;
    std::string list;
    EXPECT_EQ(fReadValue("HKCU", "K", "v", "S", 0, v), 1015);
    EXPECT_EQ(fWriteValue("HKCU", "K", "v", "S", std::string("fix")), 1015);
    EXPECT_EQ(fWriteValue("HKCU", "Other", "v", "D", 1), 1015);
    EXPECT_EQ(fDeleteValue("HKCU", "K", "v"), 1015);
    EXPECT_EQ(fDeleteKey("HKCU", "", "K"), 1015);
    EXPECT_EQ(fEnumKey("HKCU", "", list), 1015);
    EXPECT_EQ(fEnumValue("HKCU", "K", list), 1015);
    EXPECT_EQ(readFile(file), damaged);
    // Other roots are unaffected.
    EXPECT_EQ(fWriteValue("HKLM", "K", "v", "S", std::string("ok")), 0);
}

TEST_F(StoreTest, FailedWriteLeavesTheOldFileWhole) {
    ASSERT_EQ(fWriteValue("HKCU", "K", "small", "S", std::string("before")), 0);
    const auto file = path("HKEY_CURRENT_USER.hive");
    const auto before = readFile(file);
    // The child may write at most a few bytes more than the current file holds, so writing a
    // long value fails part way through the temporary file.
    const int code = inChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{before.size() + 8, before.size() + 8};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return fWriteValue("HKCU", "K", "big", "S", std::string(4096, 'x'));
    });
    EXPECT_EQ(code, 29);
    EXPECT_EQ(readFile(file), before);
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
    }
}

// Writers in two processes wait for each other, also when one reaches the hive through a link:
// the file is locked where it really lies.
TEST_F(StoreTest, ConcurrentWritersThroughALinkedHiveAndBesideItLoseNothing) {
    const auto real = path("real");
    const auto linked = path("linked");
    std::filesystem::create_directories(real);
    std::filesystem::create_directories(linked);
    std::filesystem::create_symlink("../real/HKEY_CURRENT_USER.hive",
                                    linked / "HKEY_CURRENT_USER.hive");
    EXPECT_EQ(keptOfConcurrentWriters(linked, real, real), 2 * kWrites);
    EXPECT_TRUE(std::filesystem::is_symlink(linked / "HKEY_CURRENT_USER.hive"));
}

TEST_F(StoreTest, KeptHivesFollowEveryChangeOfTheFile) {
    // Readers keep the parsed hive between calls: a write by another process, a value removed,
    // a key deleted and the file removed must all show at the next call.
    ASSERT_EQ(fWriteValue("HKCU", "K\\Sub1", "v", "S", std::string("1")), 0);
    const auto subkeys = [] {
        std::string list;
        EXPECT_EQ(fEnumKey("HKCU", "K", list), 0);
        return list;
    };
    EXPECT_EQ(subkeys(), "Sub1\0\0"s);
    ASSERT_EQ(inChild([] { return fWriteValue("HKCU", "K\\Sub0", "v", "S", std::string("0")); }),
              0);
    EXPECT_EQ(subkeys(), "Sub0\0Sub1\0\0"s);
    ASSERT_EQ(inChild([] { return fDeleteKey("HKCU", "K", "Sub1"); }), 0);
    EXPECT_EQ(subkeys(), "Sub0\0\0"s);
    SettingValue value;
    EXPECT_EQ(fReadValue("HKCU", "K\\Sub0", "v", "S", std::string(), value), 0);
    EXPECT_EQ(value, SettingValue(std::string("0")));
    std::filesystem::remove(path("HKEY_CURRENT_USER.hive"));
    EXPECT_EQ(fReadValue("HKCU", "K\\Sub0", "v", "S", std::string(), value), 2);
}

TEST(HiveTextTest, ValuesAreFoundByNameWhateverTheirNumberAndRemovals) {
    HiveKey key;
    for (int i = 0; i < 1000; ++i) {
        key.setValue("Value" + std::to_string(i), 4, std::to_string(i));
    }
    for (int i = 0; i < 1000; i += 3) {
        EXPECT_TRUE(key.removeValue("VALUE" + std::to_string(i)));
    }
    key.setValue("value1", 1, "again");  // replaces in place, keeps its spelling and place
    ASSERT_EQ(key.values().size(), 666u);
    EXPECT_EQ(key.values().front().name, "Value1");
    for (int i = 0; i < 1000; ++i) {
        const HiveValue* value = key.value("value" + std::to_string(i));
        if (i % 3 == 0) {
            EXPECT_EQ(value, nullptr) << i;
        } else {
            ASSERT_NE(value, nullptr) << i;
            EXPECT_EQ(value->data, i == 1 ? "again" : std::to_string(i));
        }
    }
}

TEST(HiveTextTest, AHiveCutShortAnywhereIsDamagedWhileOlderFilesStillRead) {
    HiveKey root;
    root.addSubkey("Software").addSubkey("Velmora").setValue("Installed", 1, "1\0"s);
    root.addSubkey("Other").setValue("n", 4, "\x01\x00\x00\x00"s);
    const std::string text = writeHive(root);
    ASSERT_TRUE(parseHive(text));
    for (std::size_t length = 0; length < text.size(); ++length) {
        EXPECT_FALSE(parseHive(text.substr(0, length))) << "cut to " << length << " bytes";
    }
    std::string grown = text;
    grown.insert(grown.find("[Other]"), "\"extra\"=\"x\"\n");
    EXPECT_FALSE(parseHive(grown)) << "a line added without its trailer";

    // Written before the trailer existed: version 1, no trailer, read as it is.
    const auto old =
        parseHive("annalex-settings-hive 1\n[Software\\Velmora]\n\"Installed\"=\"1\"\n");
    ASSERT_TRUE(old);
    EXPECT_EQ(findKey(*old, {"Software", "Velmora"})->value("Installed")->data, "1\0"s);
}

}  // namespace
}  // namespace annalex::settings
