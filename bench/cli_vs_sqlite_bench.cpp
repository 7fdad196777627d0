// The command line's main job against the database's own row generator, on the same machine in
// one run: `annalex generate --levels Year,Month,Day` into a fresh cube store, and the sqlite3
// shell filling a fresh file with as many member rows through a recursive CTE, for 1950 to 2049
// and for 1000 to 9999. Both are whole processes started the same way, so the times compare
// like for like; max_rss_MiB is the child's peak resident memory, and child_cpu_ms the CPU time
// (user and system) of one run, which a busy machine inflates less than the wall-clock time.
//
// Arguments (after Google Benchmark's own): the annalex program and the sqlite3 shell are found
// through the environment variables ANNALEX_PROGRAM and SQLITE3_PROGRAM, defaulting to the
// build's program and "sqlite3" on the PATH.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "child_process.hpp"

namespace {

// The years generated, and their members with Year, Month and Day.
struct Span {
    const char* start;
    const char* end;
    std::int64_t members;
};
// 100 years, 1200 months, 36525 days.
constexpr Span kCentury{"01-01-1950", "31-12-2049", 100 + 1200 + 36525};
// 9000 years, 108000 months, 3287182 days.
constexpr Span kMillennia{"01-01-1000", "31-12-9999", 9000 + 108000 + 3287182};

std::filesystem::path scratchFile(const char* name) {
    return std::filesystem::temp_directory_path() /
           (std::string("annalex-bench-") + std::to_string(getpid()) + "-" + name);
}

void reportUsage(benchmark::State& state, const annalex::bench::ChildUsage& usage) {
    state.counters["max_rss_MiB"] = static_cast<double>(usage.maxRssKiB) / 1024;
    if (state.iterations() > 0) {
        state.counters["child_cpu_ms"] =
            usage.cpuSeconds * 1000 / static_cast<double>(state.iterations());
    }
}

void annalexGenerateIntoStore(benchmark::State& state, const Span& span) {
    const std::string annalex =
        annalex::bench::programFrom("ANNALEX_PROGRAM", ANNALEX_DEFAULT_PROGRAM);
    const auto db = scratchFile("cube.db");
    annalex::bench::ChildUsage usage;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(db);
        state.ResumeTiming();
        const int status = annalex::bench::runChild(
            {annalex, "generate", "--levels", "Year,Month,Day", "--start", span.start, "--end",
             span.end, "--db", db.string(), "--quiet", "--output", "/dev/null"},
            usage);
        if (status != 0) {
            state.SkipWithError("annalex generate failed");
            break;
        }
    }
    std::filesystem::remove(db);
    state.SetItemsProcessed(state.iterations() * span.members);
    reportUsage(state, usage);
}

// One table of member rows like the store's, filled by a recursive CTE in one statement.
std::string cteScript(std::int64_t members) {
    return "CREATE TABLE member(id INTEGER PRIMARY KEY, level INTEGER NOT NULL, parent INTEGER, "
           "name TEXT NOT NULL, position INTEGER NOT NULL);"
           "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < " +
           std::to_string(members) +
           ") INSERT INTO member SELECT i, i % 3, CASE WHEN i = 0 THEN NULL ELSE i - 1 END, "
           "'m' || i, i FROM n;";
}

void sqliteRecursiveCteIntoFile(benchmark::State& state, const Span& span) {
    const std::string sqlite3 = annalex::bench::programFrom("SQLITE3_PROGRAM", "sqlite3");
    const auto db = scratchFile("cte.db");
    const std::string script = cteScript(span.members);
    annalex::bench::ChildUsage usage;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(db);
        state.ResumeTiming();
        if (annalex::bench::runChild({sqlite3, db.string(), script}, usage) != 0) {
            state.SkipWithError("sqlite3 failed");
            break;
        }
    }
    std::filesystem::remove(db);
    state.SetItemsProcessed(state.iterations() * span.members);
    reportUsage(state, usage);
}

void BM_AnnalexGenerateIntoStore(benchmark::State& state) {
    annalexGenerateIntoStore(state, kCentury);
}
void BM_SqliteRecursiveCteIntoFile(benchmark::State& state) {
    sqliteRecursiveCteIntoFile(state, kCentury);
}
void BM_AnnalexGenerateIntoStore_1000_9999(benchmark::State& state) {
    annalexGenerateIntoStore(state, kMillennia);
}
void BM_SqliteRecursiveCteIntoFile_1000_9999(benchmark::State& state) {
    sqliteRecursiveCteIntoFile(state, kMillennia);
}

BENCHMARK(BM_AnnalexGenerateIntoStore)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_SqliteRecursiveCteIntoFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_AnnalexGenerateIntoStore_1000_9999)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_SqliteRecursiveCteIntoFile_1000_9999)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
