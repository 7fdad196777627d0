// annalex: the command-line face of the product. Each subcommand lives in its own file and
// registers itself on the root application; the exit status is the one the subcommand chose,
// 2 for usage errors. No exception leaves the program: one that no command handled (memory
// running out outside the places that report it) ends it with a line and status 3. Standard
// output is flushed and closed last: a write that fails only then ends the program with a line
// and status 4, and a reader that has gone ends it quietly.

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "command_line_text.hpp"
#include "common/build_version.hpp"
#include "common/failure.hpp"
#include "generate_command.hpp"
#include "output_file.hpp"
#include "settings_command.hpp"

namespace {

constexpr int kUnexpectedFailure = 3;
constexpr int kOutputFailure = 4;

int run(int argc, char** argv) {
    // The arguments as UTF-8 (see command_line_text.hpp), in a form CLI11 parses.
    std::vector<std::string> arguments = annalex::cli::utf8Arguments(argc, argv);
    std::vector<char*> pointers;
    for (auto& argument : arguments) {
        pointers.push_back(argument.data());
    }
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
        app.parse(static_cast<int>(pointers.size()), pointers.data());
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : 2;
    }
    return exitStatus;
}

// The status the program ends with once standard output is closed.
int finishStandardOutput(annalex::cli::StandardOutput& standardOutput, int status) {
    try {
        standardOutput.close();
    } catch (const annalex::cli::ReaderGone&) {
        return annalex::cli::kReaderGoneStatus;
    } catch (const annalex::Failure& failure) {
        std::fprintf(stderr, "annalex: %s\n", failure.description().c_str());
        return kOutputFailure;
    }
    return status;
}

int runAndReport(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const annalex::cli::ReaderGone&) {
        return annalex::cli::kReaderGoneStatus;
    } catch (const std::bad_alloc&) {
        std::fputs("annalex: out of memory\n", stderr);  // nothing that allocates
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "annalex: unexpected failure: %s\n", failure.what());
    } catch (...) {
        std::fputs("annalex: unexpected failure\n", stderr);
    }
    return kUnexpectedFailure;
}

}  // namespace

int main(int argc, char** argv) {
    // A write beyond the file-size limit then fails with EFBIG, which every writer reports as
    // a failed write naming its file, instead of the signal ending the program without a word.
#ifdef _WIN32
    // Output is the same bytes on every platform: no carriage return before each line end.
    _setmode(_fileno(stdout), _O_BINARY);
#else
    std::signal(SIGXFSZ, SIG_IGN);
#endif
#ifdef __GLIBC__
    // A run builds one model, writes it and ends: memory freed on the way (a dictionary's text
    // outgrown, a block packed and written) is kept for the next allocation rather than given
    // back to the system, which would have to hand out fresh zeroed pages again. Blocks of
    // 32 MiB and more still get pages of their own.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    annalex::cli::StandardOutput standardOutput;
    const int status = runAndReport(argc, argv);
    return status == annalex::cli::kReaderGoneStatus ? status
                                                     : finishStandardOutput(standardOutput, status);
}
