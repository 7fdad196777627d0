#pragma once
// The grammar of `annalex settings`: its actions and their arguments, apart from running them,
// so that it can be checked (and fuzzed) on its own.

#include <CLI/CLI.hpp>
#include <string>

namespace annalex::cli {

struct SettingsArguments {
    std::string topKeyOrFile;
    std::string keyOrSection;
    std::string name;
    std::string type = "S";
    std::string value;
};

// The actions of the "settings" subcommand, to which the caller attaches what each one does.
struct SettingsActions {
    CLI::App* read;
    CLI::App* write;
    CLI::App* deleteValue;
    CLI::App* deleteKey;
    CLI::App* listKeys;
    CLI::App* listValues;
};

// Adds the subcommand "settings" with its actions, whose arguments are read into args, to app.
SettingsActions addSettingsOptions(CLI::App& app, SettingsArguments& args);

}  // namespace annalex::cli
