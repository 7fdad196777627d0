// The settings functions over INI files, and the tolerant lookup.

#include <gtest/gtest.h>

#include "settings/ini_fuzzy.hpp"
#include "settings/registry.hpp"
#include "settings_dir.hpp"

namespace annalex::settings {
namespace {

using namespace std::string_literals;
using testing::SettingsDirTest;

class IniTest : public SettingsDirTest {
  protected:
    std::string ini(const std::string& content) { return writeFile("test.ini", content).string(); }
};

TEST_F(IniTest, ReadUsesFirstMatchingSectionAndDefaults) {
    const auto file =
        ini("; comment\n[main]\nPath = \"c:\\data\" \nCount=42abc\nNeg=-7\n[Main]\nOther=no\n");
    SettingValue v;
    EXPECT_EQ(fReadValue(file, "MAIN", "path", "S", std::string("d"), v), 0);
    EXPECT_EQ(v, SettingValue(std::string("c:\\data")));
    EXPECT_EQ(fReadValue(file, "Main", "Other", "S", std::string("d"), v), 0);
    EXPECT_EQ(v, SettingValue(std::string("d")));  // only the first [main] is searched
    EXPECT_EQ(fReadValue(file, "main", "Missing", "S", true, v), 0);
    EXPECT_EQ(v, SettingValue(std::string("True")));  // text form of the default
    EXPECT_EQ(fReadValue(file, "main", "Missing", "S", -12, v), 0);
    EXPECT_EQ(v, SettingValue(std::string("-12")));
    EXPECT_EQ(fReadValue(file, "main", "Count", "D", std::string("x"), v), 0);
    EXPECT_EQ(v, SettingValue(42));
    EXPECT_EQ(fReadValue(file, "main", "Neg", "anything", 0, v), 0);
    EXPECT_EQ(v, SettingValue(-7));
    EXPECT_EQ(fReadValue(file, "main", "Missing", "D", 9, v), 0);
    EXPECT_EQ(v, SettingValue(0));  // integer reads default to 0, not vDefault
}

TEST_F(IniTest, WriteKeepsOtherLinesAndCreatesSections) {
    const auto file = ini("; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    EXPECT_EQ(fWriteValue(file, "a", "X", "S", std::string("new")), 0);
    EXPECT_EQ(fWriteValue(file, "A", "z", "S", false), 0);
    EXPECT_EQ(fWriteValue(file, "C", "w", "S", 5), 0);
    EXPECT_EQ(fWriteValue(file, "A", "n", "D", 5), 99);  // only "S" is written to INI files
    EXPECT_EQ(readFile(file),
              "; keep me\r\n[A]\r\nx=new\r\nz=False\r\n\r\n[B]\r\ny=2\r\n[C]\r\nw=5\r\n");
    // An INI write creates a missing file only through the profile call, and a missing file is
    // not a usable first argument, so the file must exist first.
    EXPECT_EQ(fWriteValue(path("absent.ini").string(), "S", "k", "S", std::string("v")), 99);
}

TEST_F(IniTest, DeleteValueEmptiesTheEntry) {
    const auto file = ini("[S]\nkeep=1\ngone=2\n");
    EXPECT_EQ(fDeleteValue(file, "S", "gone"), 0);
    EXPECT_EQ(readFile(file), "[S]\nkeep=1\ngone=\n");
}

TEST_F(IniTest, EnumValueGivesTheSectionFormatPaddedWithSpaces) {
    const auto file = ini("[S]\n a = 1 \n; note\n\nb=two\n[T]\n");
    std::string list = "ignored";
    EXPECT_EQ(fEnumValue(file, "s", list), 0);
    ASSERT_EQ(list.size(), 8192u);
    const auto expected = "a=1\0b=two\0\0"s;
    EXPECT_EQ(list.substr(0, expected.size()), expected);
    EXPECT_EQ(list.find_first_not_of(' ', expected.size()), std::string::npos);
    EXPECT_EQ(fEnumValue(file, "T", list), 0);
    EXPECT_EQ(list.substr(0, 3), "\0\0 "s);
}

TEST(IniFuzzyTest, HeaderAndPrefixRules) {
    struct Case {
        const char* text;
        const char* search;
        const char* entry;
        std::int32_t status;
        const char* value;
        const char* section;
    };
    const Case cases[] = {
        {"[Main Settings]\nDir = c:\\x\n", "MAIN", "dir", 0, " C:\\X", "MAIN SETTINGS"},
        {"[SECTIONS]\nPATH=a\n", "SECTION", "path", 99, "dflt", "SECTION"},
        {"[My Section]\npath=a\n", "SECTION", "path", 0, "A", "MY SECTION"},
        {"[Section 2001]\npaths=b\n", "SECTION", "path", 0, "B", "SECTION 2001"},  // prefix test
        {"[Section]\npath\nother=1\npath=c\n", "SECTION", "path", 0, "C", "SECTION"},  // needs "="
        {"path=x\n[Section]\n", "SECTION", "path", 99, "dflt", "SECTION"},  // outside any section
        {"[Section]\nx=1\n[Other]\npath=y\n[SECTION]\npath=z\n", "SECTION", "path", 0, "Z",
         "SECTION"},
        {"[a section]\nx=1\n[b]\n", "SECTION", "path", 99, "dflt",
         "A SECTION"},  // name of last match
        {"[Section stuff\npath=y\n", "SECTION", "path", 99, "dflt",
         "SECTION"},  // header without "]"
        {"[Section]\r\npath=a=b\r\n", "SECTION", "path", 0, "A=B", "SECTION"},
    };
    for (const auto& c : cases) {
        std::istringstream text(c.text);
        std::string section = c.search;
        std::string value = "dflt";
        EXPECT_EQ(scanIniFuzzy(text, section, c.entry, value), c.status) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(section, c.section) << c.text;
    }
}

TEST_F(IniTest, FuzzyReadsTheFileToItsLastLine) {
    const auto file = ini("[one]\nx=1\n[Two]\n  last = here");  // no final newline
    std::string section = "two";
    std::string value;
    EXPECT_EQ(fReadIniFuzzy(file, section, "Last", "d", value), 0);
    EXPECT_EQ(value, " HERE");
    EXPECT_EQ(section, "TWO");

    section = "absent";
    EXPECT_EQ(fReadIniFuzzy(path("nofile.ini").string(), section, "x", "d", value), 99);
    EXPECT_EQ(value, "d");
    EXPECT_EQ(section, "ABSENT");  // upper-cased even when the file is missing
}

}  // namespace
}  // namespace annalex::settings
