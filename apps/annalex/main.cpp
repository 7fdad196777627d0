// annalex: the command-line face of the product. Each subcommand lives in its own file and
// registers itself on the root application; the exit status is the one the subcommand chose,
// 2 for usage errors.

#include <CLI/CLI.hpp>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#endif

#include "generate_command.hpp"
#include "settings_command.hpp"

int main(int argc, char** argv) {
#ifdef _WIN32
    // Output is the same bytes on every platform: no carriage return before each line end.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    CLI::App app{"Annalex: calendar generator for multidimensional cubes", "annalex"};
    app.set_version_flag("--version", std::string(ANNALEX_VERSION));
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
