#pragma once
// The settings suite's fixture on Windows: a fresh temporary folder for INI files and a fresh
// registry for the roots the suite uses, so tests never touch the real settings.
//
// The current user and local machine roots are redirected for the test's process
// (RegOverridePredefKey) to two new keys below HKCU\Software\Annalex Tests, deleted with
// everything in them after the test. The suite states some expectations in the POSIX store's
// text form (a root's "<root name>.hive" file); here reading such a file exports the redirected
// root in that form, and writing one loads it into the redirected root, so the same checks hold
// the real registry calls to the same stored types and bytes.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "settings/hive.hpp"

namespace annalex::settings::testing {

class SettingsDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string unique = std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(GetTickCount64()) + "-" +
                                   std::to_string(counter()++);
        dir_ = std::filesystem::temp_directory_path() / ("annalex-settings-" + unique);
        ASSERT_TRUE(std::filesystem::create_directory(dir_));
        sandboxPath_ = std::string(kSandboxParent) + "\\" + unique;
        for (auto& [name, root, key] : roots_) {
            ASSERT_EQ(
                RegCreateKeyExA(HKEY_CURRENT_USER, (sandboxPath_ + "\\" + name).c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                ERROR_SUCCESS);
        }
        for (auto& [name, root, key] : roots_) {
            ASSERT_EQ(RegOverridePredefKey(root, key), ERROR_SUCCESS) << name;
        }
    }

    void TearDown() override {
        for (auto& [name, root, key] : roots_) {
            RegOverridePredefKey(root, nullptr);
            RegCloseKey(key);
            key = nullptr;
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, sandboxPath_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kSandboxParent);  // fails while other sandboxes live
        std::filesystem::remove_all(dir_);
    }

    std::filesystem::path path(const std::string& name) const { return dir_ / name; }

    std::filesystem::path writeFile(const std::string& name, const std::string& content) const {
        if (HKEY root = hiveRoot(path(name)); root != nullptr) {
            const auto hive = parseHive(content);
            EXPECT_TRUE(hive.has_value()) << "not a hive text: " << content;
            EXPECT_EQ(RegDeleteTreeA(root, nullptr), ERROR_SUCCESS);  // its values and subkeys
            if (hive) {
                loadKey(root, *hive);
            }
            return path(name);
        }
        std::ofstream(path(name), std::ios::binary) << content;
        return path(name);
    }

    std::string readFile(const std::filesystem::path& file) const {
        if (HKEY root = hiveRoot(file); root != nullptr) {
            HiveKey hive;
            exportKey(root, hive);
            return writeHive(hive);
        }
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path dir_;

  private:
    static constexpr const char* kSandboxParent = "Software\\Annalex Tests";

    struct Root {
        const char* name;
        HKEY root;
        HKEY key;
    };

    static int& counter() {
        static int next = 0;
        return next;
    }

    // The redirected root whose store file name this is, or null.
    HKEY hiveRoot(const std::filesystem::path& file) const {
        if (file.parent_path() != dir_) {
            return nullptr;
        }
        for (const auto& [name, root, key] : roots_) {
            if (file.filename() == std::string(name) + ".hive") {
                return key;
            }
        }
        return nullptr;
    }

    static void loadKey(HKEY key, const HiveKey& hive) {
        for (const auto& value : hive.values()) {
            ASSERT_EQ(RegSetValueExA(key, value.name.c_str(), 0, value.type,
                                     reinterpret_cast<const BYTE*>(value.data.data()),
                                     static_cast<DWORD>(value.data.size())),
                      ERROR_SUCCESS)
                << value.name;
        }
        for (const auto& [folded, subkey] : hive.subkeys()) {
            HKEY child = nullptr;
            ASSERT_EQ(
                RegCreateKeyExA(key, subkey->name().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &child, nullptr),
                ERROR_SUCCESS);
            loadKey(child, *subkey);
            RegCloseKey(child);
        }
    }

    static void exportKey(HKEY key, HiveKey& hive) {
        char name[16384];
        for (DWORD i = 0;; ++i) {
            DWORD length = sizeof name;
            DWORD type = 0;
            DWORD size = 0;
            if (RegEnumValueA(key, i, name, &length, nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS) {
                break;
            }
            std::string data(size, '\0');
            const std::string valueName(name, length);
            EXPECT_EQ(RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &size),
                      ERROR_SUCCESS);
            data.resize(size);
            hive.setValue(valueName, type, std::move(data));
        }
        for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
            HKEY child = nullptr;
            if (RegOpenKeyExA(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
                exportKey(child, hive.addSubkey(name));
                RegCloseKey(child);
            }
        }
    }

    std::string sandboxPath_;
    std::vector<Root> roots_{{"HKEY_CURRENT_USER", HKEY_CURRENT_USER, nullptr},
                             {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE, nullptr}};
};

}  // namespace annalex::settings::testing
