#pragma once
// `annalex settings ...`: the settings functions for administrators and tests.

#include <CLI/CLI.hpp>

namespace annalex::cli {

// Adds the "settings" subcommand to app; when it runs, exitStatus receives 0 for status 0 and 1
// for any other status (which is printed on the standard error with its meaning).
void addSettingsCommand(CLI::App& app, int& exitStatus);

}  // namespace annalex::cli
