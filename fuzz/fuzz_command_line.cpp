// Fuzzes the command line's grammar: the input, split at NUL bytes, is the argument list of
// annalex. Parsing it, with the checks `generate` makes before it runs, ends normally or with a
// usage error (a CLI11 error), whatever the arguments; nothing is run.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "generate_options.hpp"
#include "settings_options.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace annalex::cli;
    constexpr std::size_t kMaxArguments = 64;
    std::vector<std::string> words = {"annalex"};
    std::string word;
    for (std::size_t i = 0; i < size && words.size() < kMaxArguments; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[i]);
        }
    }
    if (!word.empty() && words.size() < kMaxArguments) {
        words.push_back(word);
    }
    std::vector<char*> argv;
    for (auto& w : words) {
        argv.push_back(w.data());
    }

    CLI::App app{"Annalex", "annalex"};
    app.set_version_flag("--version", std::string("0"));
    app.require_subcommand(1);
    GenerateOptions options;
    addGenerateOptions(app, options)->callback([&options] { checkedInput(options); });
    SettingsArguments arguments;
    addSettingsOptions(app, arguments);
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::Error&) {
        // A usage error, or a request for help or the version.
    }
    return 0;
}
