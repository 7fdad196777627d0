// The command line's largest calendar with and without filled attributes, side by side in one
// run: `annalex generate --levels Year,Quarter,Month,Week,Day --start 01-01-1000
// --end 31-12-9999 --db NEW --quiet --output /dev/null`, once plain and once with
// --fill-attributes in each iteration, each into a new store. The dimension is printed (to
// /dev/null) as the command does by default, so the output with 57 M values is part of the
// work. Counters: each run's mean and best wall seconds, peak resident memory and store size,
// and the ratios filled / plain: time_ratio of the means, best_time_ratio of the best runs,
// pair_ratio the median of each iteration's filled / plain (the two run back to back, so a
// slow spell of a shared machine tends to slow both: the steadiest of the three), cpu_ratio,
// rss_ratio and store_ratio.
//
// The annalex program is found through the environment variable ANNALEX_PROGRAM, defaulting to
// the build's program.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.hpp"

namespace {

namespace fs = std::filesystem;
using annalex::bench::ChildUsage;

struct Generated {
    ChildUsage usage;
    double bestSeconds = 0;
    double storeMiB = 0;
};

bool generateInto(const fs::path& db, bool fill, Generated& run) {
    std::vector<std::string> arguments = {
        annalex::bench::programFrom("ANNALEX_PROGRAM", ANNALEX_DEFAULT_PROGRAM),
        "generate",
        "--levels",
        "Year,Quarter,Month,Week,Day",
        "--start",
        "01-01-1000",
        "--end",
        "31-12-9999",
        "--db",
        db.string(),
        "--quiet",
        "--output",
        "/dev/null"};
    if (fill) {
        arguments.emplace_back("--fill-attributes");
    }
    fs::remove(db);
    const double before = run.usage.wallSeconds;
    const bool generated = annalex::bench::runChild(arguments, run.usage) == 0;
    const double seconds = run.usage.wallSeconds - before;
    run.bestSeconds = run.bestSeconds == 0 || seconds < run.bestSeconds ? seconds : run.bestSeconds;
    std::error_code missing;
    run.storeMiB = static_cast<double>(fs::file_size(db, missing)) / (1 << 20);
    fs::remove(db);
    return generated && !missing;
}

void BM_Millennia_AllLevels_PlainAndFilled(benchmark::State& state) {
    const fs::path db =
        fs::temp_directory_path() / ("annalex-fill-bench-" + std::to_string(getpid()) + ".cube");
    Generated plain;
    Generated filled;
    std::vector<double> pairRatios;
    for (auto _ : state) {
        const double plainBefore = plain.usage.wallSeconds;
        const double filledBefore = filled.usage.wallSeconds;
        if (!generateInto(db, false, plain) || !generateInto(db, true, filled)) {
            state.SkipWithError("annalex generate failed");
            return;
        }
        pairRatios.push_back((filled.usage.wallSeconds - filledBefore) /
                             (plain.usage.wallSeconds - plainBefore));
    }
    std::sort(pairRatios.begin(), pairRatios.end());
    const std::size_t middle = pairRatios.size() / 2;
    state.counters["pair_ratio"] = pairRatios.size() % 2 == 1
                                       ? pairRatios[middle]
                                       : (pairRatios[middle - 1] + pairRatios[middle]) / 2;
    const auto runs = static_cast<double>(state.iterations());
    state.counters["plain_s"] = plain.usage.wallSeconds / runs;
    state.counters["filled_s"] = filled.usage.wallSeconds / runs;
    state.counters["time_ratio"] = filled.usage.wallSeconds / plain.usage.wallSeconds;
    state.counters["plain_best_s"] = plain.bestSeconds;
    state.counters["filled_best_s"] = filled.bestSeconds;
    state.counters["best_time_ratio"] = filled.bestSeconds / plain.bestSeconds;
    state.counters["cpu_ratio"] = filled.usage.cpuSeconds / plain.usage.cpuSeconds;
    state.counters["plain_rss_MiB"] = static_cast<double>(plain.usage.maxRssKiB) / 1024;
    state.counters["filled_rss_MiB"] = static_cast<double>(filled.usage.maxRssKiB) / 1024;
    state.counters["rss_ratio"] =
        static_cast<double>(filled.usage.maxRssKiB) / static_cast<double>(plain.usage.maxRssKiB);
    state.counters["plain_store_MiB"] = plain.storeMiB;
    state.counters["filled_store_MiB"] = filled.storeMiB;
    state.counters["store_ratio"] = filled.storeMiB / plain.storeMiB;
}
BENCHMARK(BM_Millennia_AllLevels_PlainAndFilled)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
