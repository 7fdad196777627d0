// The settings functions over the registry store.

#include "settings/registry.hpp"

#include <gtest/gtest.h>

#include <tuple>

#include "settings_dir.hpp"

namespace annalex::settings {
namespace {

using namespace std::string_literals;
using testing::SettingsDirTest;

class RegistryTest : public SettingsDirTest {};

TEST_F(RegistryTest, RootKeyTextsInAnyCaseSelectTheSameRoot) {
    ASSERT_EQ(fWriteValue("HKCU", "Software\\Test", "Name", "S", std::string("one")), 0);
    for (const char* root : {"hkcu", "Hkcu", "HKCU"}) {
        SettingValue value;
        EXPECT_EQ(fReadValue(root, "software\\TEST", "NAME", "s", std::string(), value), 0) << root;
        EXPECT_EQ(value, SettingValue(std::string("one"))) << root;
    }
    // Each root has its own store.
    SettingValue other;
    EXPECT_EQ(fReadValue("HKLM", "Software\\Test", "Name", "S", std::string("dflt"), other), 2);
    EXPECT_EQ(other, SettingValue(std::string("dflt")));
}

TEST_F(RegistryTest, UnusableFirstArgumentReturns99FromEveryFunction) {
    // HKEY_CURRENT_USER is not an abbreviation: it is a file path, and no such file exists.
    for (const std::string& top : {""s, "HKEY_CURRENT_USER"s, path("missing.ini").string()}) {
        std::string list;
        SettingValue value = 7;
        EXPECT_EQ(fReadValue(top, "K", "V", "S", std::string("d"), value), 99) << top;
        EXPECT_EQ(value, SettingValue(std::string("d")));
        EXPECT_EQ(fWriteValue(top, "K", "V", "S", std::string("x")), 99);
        EXPECT_EQ(fDeleteKey(top, "K", "V"), 99);
        EXPECT_EQ(fDeleteValue(top, "K", "V"), 99);
        EXPECT_EQ(fEnumKey(top, "K", list), 99);
        EXPECT_EQ(fEnumValue(top, "K", list), 99);
        EXPECT_EQ(list, "");
    }
    EXPECT_FALSE(std::filesystem::exists(path("HKEY_CURRENT_USER.hive")));
}

TEST_F(RegistryTest, ReadsBackEachTypeAsWritten) {
    // Name, type written, value written, type read, value read.
    const std::tuple<const char*, const char*, SettingValue, const char*, SettingValue> values[] = {
        {"Text", "S", std::string("c:\\x y"), "S", std::string("c:\\x y")},
        {"Flag", "B", true, "B", true},
        {"Off", "b", std::string("false"), "B", false},
        {"Num", "D", std::string("-1234"), "D", -1234},
        {"BoolNum", "D", true, "D", -1},  // true sign-extended
    };
    for (const auto& [name, type, written, readAs, read] : values) {
        ASSERT_EQ(fWriteValue("HKCU", "A\\B", name, type, written), 0) << name;
    }
    for (const auto& [name, type, written, readAs, read] : values) {
        SettingValue v;
        EXPECT_EQ(fReadValue("HKCU", "A\\B", name, readAs, 7, v), 0) << name;
        EXPECT_EQ(v, read) << name;
    }

    // The stored bytes: "B" true is FF FF in REG_BINARY, "D" is a REG_DWORD.
    const auto hive = readFile(path("HKEY_CURRENT_USER.hive"));
    EXPECT_NE(hive.find("\"Flag\"=hex:ff,ff\n"), std::string::npos) << hive;
    EXPECT_NE(hive.find("\"Num\"=dword:fffffb2e\n"), std::string::npos) << hive;
    EXPECT_NE(hive.find("\"Text\"=\"c:\\\\x y\"\n"), std::string::npos) << hive;
}

TEST_F(RegistryTest, MissingKeysAndValuesLeaveTheDefault) {
    SettingValue v;
    EXPECT_EQ(fReadValue("HKCU", "No\\Such", "X", "S", std::string("d"), v), 2);
    EXPECT_EQ(v, SettingValue(std::string("d")));
    ASSERT_EQ(fWriteValue("HKCU", "K", "Present", "S", std::string("p")), 0);
    for (const char* type : {"S", "B", "D"}) {
        v = std::string("junk");
        EXPECT_EQ(fReadValue("HKCU", "K", "Absent", type, 5, v), 2) << type;
        EXPECT_EQ(v, SettingValue(5)) << type;
    }
    // Reading the text value as "B" or "D": too long for the buffer.
    EXPECT_EQ(fReadValue("HKCU", "K", "Present", "D", 5, v), 0);  // "p\0" fits in 4 bytes
    EXPECT_EQ(v, SettingValue(std::int32_t{'p'}));
    ASSERT_EQ(fWriteValue("HKCU", "K", "Long", "S", std::string("longer")), 0);
    EXPECT_EQ(fReadValue("HKCU", "K", "Long", "B", false, v), 234);
    EXPECT_EQ(v, SettingValue(false));
    // Unknown type letter: nothing read, success.
    EXPECT_EQ(fReadValue("HKCU", "K", "Present", "X", 3, v), 0);
    EXPECT_EQ(v, SettingValue(3));
    // A text value of zero bytes (fWriteValue always stores the NUL, so the hive is written by
    // hand) ends at its length with status 0, leaving the default.
    writeFile("HKEY_CURRENT_USER.hive", "annalex-settings-hive 1\n[K]\n\"Empty\"=hex(1):\n");
    EXPECT_EQ(fReadValue("HKCU", "K", "Empty", "S", std::string("d"), v), 0);
    EXPECT_EQ(v, SettingValue(std::string("d")));
}

TEST_F(RegistryTest, WriteConversions) {
    EXPECT_EQ(fWriteValue("HKCU", "K", "D", "D", 32767), 0);
    EXPECT_EQ(fWriteValue("HKCU", "K", "D", "D", 32768), 13);  // outside 16 bits
    EXPECT_EQ(fWriteValue("HKCU", "K", "B", "B", std::string("maybe")), 13);
    EXPECT_EQ(fWriteValue("HKCU", "K", "Q", "Q", std::string("x")), 0);  // nothing written
    SettingValue v;
    EXPECT_EQ(fReadValue("HKCU", "K", "D", "D", 0, v), 0);
    EXPECT_EQ(v, SettingValue(32767));
    EXPECT_EQ(fReadValue("HKCU", "K", "B", "B", true, v), 2);
    EXPECT_EQ(fReadValue("HKCU", "K", "Q", "S", 0, v), 2);
}

TEST_F(RegistryTest, DeletingWhatIsAbsentSucceedsAKeyWithSubkeysIsRefused) {
    EXPECT_EQ(fDeleteValue("HKCU", "No\\Key", "V"), 0);
    EXPECT_EQ(fDeleteKey("HKCU", "No\\Key", "Sub"), 0);
    ASSERT_EQ(fWriteValue("HKCU", "K\\Sub", "V", "S", std::string("x")), 0);
    EXPECT_EQ(fDeleteValue("HKCU", "K\\Sub", "Nothing"), 0);
    EXPECT_EQ(fDeleteValue("HKCU", "k\\sub", "v"), 0);
    SettingValue v;
    EXPECT_EQ(fReadValue("HKCU", "K\\Sub", "V", "S", 0, v), 2);
    EXPECT_EQ(fDeleteKey("HKCU", "K", "Sub"), 0);
    std::string list;
    EXPECT_EQ(fEnumKey("HKCU", "K", list), 0);
    EXPECT_EQ(list, "\0\0"s);
    // A key with subkeys is refused, and so is a file path.
    ASSERT_EQ(fWriteValue("HKCU", "K\\Sub\\Deeper", "V", "S", std::string("x")), 0);
    EXPECT_EQ(fDeleteKey("HKCU", "K", "Sub"), 5);
    const auto ini = writeFile("settings.ini", "[K]\nSub=1\n");
    EXPECT_EQ(fDeleteKey(ini.string(), "K", "Sub"), 6);
    EXPECT_EQ(fEnumKey(ini.string(), "K", list), 6);
}

TEST_F(RegistryTest, EnumKeyListsSubkeysNulJoined) {
    std::string list;
    ASSERT_EQ(fWriteValue("HKCU", "Top", "V", "S", std::string("x")), 0);
    EXPECT_EQ(fEnumKey("HKCU", "Top", list), 0);
    EXPECT_EQ(list, "\0\0"s);
    list.clear();
    EXPECT_EQ(fEnumKey("HKCU", "Absent", list), 2);
    ASSERT_EQ(fWriteValue("HKCU", "Top\\beta", "V", "S", std::string("x")), 0);
    ASSERT_EQ(fWriteValue("HKCU", "Top\\Alpha\\Inner", "V", "S", std::string("x")), 0);
    list = "prefix|"s;
    EXPECT_EQ(fEnumKey("HKCU", "TOP", list), 0);
    EXPECT_EQ(list, "prefix|Alpha\0beta\0\0"s);
}

TEST_F(RegistryTest, EnumValueListsEachTypeAndSkipsOthers) {
    ASSERT_EQ(fWriteValue("HKCU", "K", "Text", "S", std::string("hello")), 0);
    ASSERT_EQ(fWriteValue("HKCU", "K", "Num", "D", -5), 0);
    ASSERT_EQ(fWriteValue("HKCU", "K", "Flag", "B", true), 0);
    std::string list;
    EXPECT_EQ(fEnumValue("HKCU", "K", list), 0);
    EXPECT_EQ(list, "Text=hello\0Num=-5\0Flag=65535\0\0"s);

    // Long binary values and other types are skipped.
    writeFile("HKEY_LOCAL_MACHINE.hive",
              "annalex-settings-hive 1\n[K]\n\"Big\"=hex:01,02,03\n\"Multi\"=hex(7):61,00,00\n"
              "\"One\"=hex:07\n");
    list.clear();
    EXPECT_EQ(fEnumValue("hklm", "K", list), 0);
    EXPECT_EQ(list, "One=7\0\0"s);
    list.clear();
    EXPECT_EQ(fEnumValue("HKCU", "Absent", list), 2);
    EXPECT_EQ(list, "");
}

}  // namespace
}  // namespace annalex::settings
