#include "settings_options.hpp"

#include "command_line_text.hpp"

namespace annalex::cli {
namespace {

CLI::App* addAction(CLI::App& settingsApp, const std::string& name, const std::string& description,
                    SettingsArguments& args, int positionals) {
    auto* action = settingsApp.add_subcommand(name, description);
    // The settings functions take their texts in the ANSI code page (command_line_text.hpp).
    const auto ansi = [](std::string text) { return ansiText(text); };
    action
        ->add_option("ROOT_OR_INI", args.topKeyOrFile,
                     "HKCU, HKLM, HKU, HKDD, HKCC, HKCR, or the path of an INI file")
        ->required()
        ->transform(ansi);
    action->add_option("KEY_OR_SECTION", args.keyOrSection, "Key path (A\\B) or INI section")
        ->required()
        ->transform(ansi);
    if (positionals >= 3) {
        action->add_option("NAME", args.name, "Value name, INI entry or subkey name")
            ->required()
            ->transform(ansi);
    }
    if (positionals >= 4) {
        // Any other type would read or write nothing and still report success.
        action->add_option("TYPE", args.type, "S text, B boolean, D number (default S)")
            ->check(CLI::IsMember({"S", "B", "D"}, CLI::ignore_case));
    }
    if (positionals >= 5) {
        action->add_option("VALUE", args.value, "Value to write (True/False for B)")
            ->required()
            ->transform(ansi);
    }
    return action;
}

}  // namespace

SettingsActions addSettingsOptions(CLI::App& app, SettingsArguments& args) {
    auto* settingsApp = app.add_subcommand(
        "settings", "Read, write, list and delete settings in the registry store or INI files");
    settingsApp->require_subcommand(1);
    return {
        addAction(*settingsApp, "read", "Print one value", args, 4),
        addAction(*settingsApp, "write", "Write one value", args, 5),
        addAction(*settingsApp, "delete-value", "Delete a value (empty an INI entry)", args, 3),
        addAction(*settingsApp, "delete-key", "Delete the subkey NAME of a key", args, 3),
        addAction(*settingsApp, "list-keys", "List the subkeys of a key, one a line", args, 2),
        addAction(*settingsApp, "list-values",
                  "List the values of a key or the lines of a section, one a line", args, 2),
    };
}

}  // namespace annalex::cli
