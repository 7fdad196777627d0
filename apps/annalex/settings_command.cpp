#include "settings_command.hpp"

#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "settings/profile_write_error.hpp"
#include "settings/registry.hpp"
#include "settings/settings_file.hpp"
#include "settings_options.hpp"

namespace annalex::cli {

namespace {

using settings::SettingValue;
using Arguments = SettingsArguments;

// Entries of a NUL-joined list: up to the empty entry that ends it.
std::vector<std::string> listEntries(const std::string& list) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < list.size()) {
        const auto end = list.find('\0', start);
        if (end == start || end == std::string::npos) {
            break;
        }
        entries.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

// Reports a failed status on standard error, naming the file the call worked on: the INI file
// or the hive file of the root key.
int report(const Arguments& args, std::int32_t status) {
    if (status == settings::status::kSuccess) {
        return 0;
    }
    const std::string file = settings::settingsFileOf(args.topKeyOrFile);
    std::cerr << "annalex settings: '" << (file.empty() ? args.topKeyOrFile : file) << "': ";
    std::cerr << "status " << status << ": " << settings::statusMeaning(status) << '\n';
    return 1;
}

// Runs a write or a value deletion. On an INI file the settings functions report success
// whatever the write did, so the cause the profile layer kept is asked for afterwards.
int reportWrite(const Arguments& args, const std::function<std::int32_t()>& call) {
    settings::setLastProfileWriteError(0);
    const std::int32_t status = call();
    if (status == settings::status::kSuccess && settings::namesIniFile(args.topKeyOrFile)) {
        if (const int error = settings::lastProfileWriteError(); error != 0) {
            const std::string& problem = settings::lastProfileWriteProblem();
            std::cerr << "annalex settings: cannot write '" << args.topKeyOrFile
                      << "': " << (problem.empty() ? std::strerror(error) : problem) << '\n';
            return 1;
        }
    }
    return report(args, status);
}

void printValue(const SettingValue& value) {
    std::cout << settings::textForm(value) << '\n';
}

void printList(const std::string& list) {
    for (const auto& entry : listEntries(list)) {
        std::cout << entry << '\n';
    }
}

}  // namespace

void addSettingsCommand(CLI::App& app, int& exitStatus) {
    auto args = std::make_shared<Arguments>();
    const SettingsActions actions = addSettingsOptions(app, *args);

    actions.read->callback([args, &exitStatus] {
        SettingValue value;
        const auto status = settings::fReadValue(args->topKeyOrFile, args->keyOrSection, args->name,
                                                 args->type, std::string(), value);
        if (status == settings::status::kSuccess) {
            printValue(value);
        }
        exitStatus = report(*args, status);
    });
    actions.write->callback([args, &exitStatus] {
        exitStatus = reportWrite(*args, [&] {
            return settings::fWriteValue(args->topKeyOrFile, args->keyOrSection, args->name,
                                         args->type, args->value);
        });
    });
    actions.deleteValue->callback([args, &exitStatus] {
        exitStatus = reportWrite(*args, [&] {
            return settings::fDeleteValue(args->topKeyOrFile, args->keyOrSection, args->name);
        });
    });
    actions.deleteKey->callback([args, &exitStatus] {
        exitStatus =
            report(*args, settings::fDeleteKey(args->topKeyOrFile, args->keyOrSection, args->name));
    });
    actions.listKeys->callback([args, &exitStatus] {
        std::string list;
        const auto status = settings::fEnumKey(args->topKeyOrFile, args->keyOrSection, list);
        if (status == settings::status::kSuccess) {
            printList(list);
        }
        exitStatus = report(*args, status);
    });
    actions.listValues->callback([args, &exitStatus] {
        std::string list;
        const auto status = settings::fEnumValue(args->topKeyOrFile, args->keyOrSection, list);
        if (status == settings::status::kSuccess) {
            printList(list);
        }
        exitStatus = report(*args, status);
    });
}

}  // namespace annalex::cli
