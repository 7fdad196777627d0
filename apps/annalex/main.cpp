// annalex: the command-line face of the product. Each subcommand lives in its own file and
// registers itself on the root application; the exit status is the one the subcommand chose,
// 2 for usage errors.

#include <CLI/CLI.hpp>

#include "errors/build_version.hpp"
#include "generate_command.hpp"
#include "settings_command.hpp"

int main(int argc, char** argv) {
    CLI::App app{"Annalex: calendar generator for multidimensional cubes", "annalex"};
    app.set_version_flag("--version", std::string(annalex::build::kVersionText));
    app.require_subcommand(1);
    int exitStatus = 0;
    annalex::cli::addGenerateCommand(app, exitStatus);
    annalex::cli::addSettingsCommand(app, exitStatus);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : 2;
    }
    return exitStatus;
}
