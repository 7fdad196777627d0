#pragma once
// A fresh settings directory per test, named by ANNALEX_SETTINGS_DIR, so tests never touch the
// real configuration directory. On Windows the suite runs against the real registry instead.

#ifdef _WIN32
#include "windows/settings_sandbox.hpp"
#else

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace annalex::settings::testing {

class SettingsDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "annalex-settings-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ::setenv("ANNALEX_SETTINGS_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("ANNALEX_SETTINGS_DIR");
        std::filesystem::remove_all(dir_);
    }

    std::filesystem::path path(const std::string& name) const { return dir_ / name; }

    std::filesystem::path writeFile(const std::string& name, const std::string& content) const {
        std::ofstream(path(name), std::ios::binary) << content;
        return path(name);
    }

    static std::string readFile(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path dir_;
};

}  // namespace annalex::settings::testing

#endif
