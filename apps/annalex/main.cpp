// annalex: the command-line face of the product. Each subcommand lives in its own file and
// registers itself on the root application; the exit status is the one the subcommand chose,
// 2 for usage errors. No exception leaves the program: one that no command handled (memory
// running out outside the places that report it) ends it with a line and status 3.

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "common/build_version.hpp"
#include "generate_command.hpp"
#include "settings_command.hpp"

namespace {

int run(int argc, char** argv) {
    CLI::App app{"Annalex: calendar generator for multidimensional cubes", "annalex"};
    app.set_version_flag("--version", std::string(annalex::build::kVersionText));
    app.require_subcommand(1);
    // Options start with "-" on every platform: an argument such as "/tmp/x.cube" is a value,
    // not a Windows-style option. Set before the subcommands are added, which inherit it.
    app.allow_windows_style_options(false);
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

}  // namespace

int main(int argc, char** argv) {
    constexpr int kUnexpectedFailure = 3;
    // A write beyond the file-size limit then fails with EFBIG, which every writer reports as
    // a failed write naming its file, instead of the signal ending the program without a word.
#ifdef _WIN32
    // Output is the same bytes on every platform: no carriage return before each line end.
    _setmode(_fileno(stdout), _O_BINARY);
#else
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("annalex: out of memory\n", stderr);  // nothing that allocates
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "annalex: unexpected failure: %s\n", failure.what());
    } catch (...) {
        std::fputs("annalex: unexpected failure\n", stderr);
    }
    return kUnexpectedFailure;
}
