#pragma once
// A fresh settings directory per test, named by ANNALEX_SETTINGS_DIR, so tests never touch the
// real configuration directory. On Windows the suite runs against the real registry instead.

#ifdef _WIN32
#include "windows/settings_sandbox.hpp"
#else

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "support/temporary_folder.hpp"

namespace annalex::settings::testing {

class SettingsDirTest : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("ANNALEX_SETTINGS_DIR", dir_.c_str(), 1); }
    void TearDown() override { ::unsetenv("ANNALEX_SETTINGS_DIR"); }

    std::filesystem::path path(const std::string& name) const { return dir_ / name; }

    std::filesystem::path writeFile(const std::string& name, const std::string& content) const {
        ::annalex::testing::writeFile(path(name), content);
        return path(name);
    }

    static std::string readFile(const std::filesystem::path& file) {
        return ::annalex::testing::readFile(file);
    }

    ::annalex::testing::TemporaryFolder folder_;
    std::filesystem::path dir_ = folder_.path();
};

}  // namespace annalex::settings::testing

#endif
