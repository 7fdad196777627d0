// Generates calendars through the control's OK into the in-memory cube model, the way a person
// does it on the page, and measures members per second and peak memory per member. With every
// attribute filled, items per second counts attribute values instead, and bytes_per_value is
// the peak memory beyond that of the same calendar generated without them, per value. The last
// benchmark loads back a store that holds such a calendar.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "cube/cube_store.hpp"
#include "memory_meter.hpp"
#include "support/page_doubles.hpp"

namespace {

using annalex::testing::ControlHarness;

struct Range {
    const char* startYear;
    const char* endYear;
    int mask;  // 1 Year, 2 Quarter, 4 Month, 8 Week, 16 Day
    // A calendar key beyond the page's two, chosen through the control; none: the page's
    // Gregorian calendar.
    const char* calendar = nullptr;
    bool fillAttributes = false;
    // The names' language (a BCP 47 tag); none: the built-in English names.
    const char* language = nullptr;
};

std::unique_ptr<ControlHarness> readyToGenerate(const Range& range) {
    auto harness = std::make_unique<ControlHarness>();
    harness->typeStart("01", "01", range.startYear);
    harness->typeEnd("31", "12", range.endYear);
    harness->tick(range.mask);
    if (range.calendar != nullptr) {
        harness->ctrl.chooseCalendar(range.calendar);
    }
    harness->ctrl.setFillAttributes(range.fillAttributes);
    if (range.language != nullptr) {
        harness->ctrl.setLanguage(range.language);
    }
    return harness;
}

// The attribute values the hierarchy holds.
std::size_t attributeValues(const annalex::cube::MemoryHierarchy& hierarchy) {
    std::size_t values = 0;
    for (std::uint32_t id = 0; id < hierarchy.memberCount(); ++id) {
        values += hierarchy.store()->attributeKeys(id).size();
    }
    return values;
}

// The peak heap bytes of generating range.
std::size_t peakBytesOf(const Range& range) {
    auto harness = readyToGenerate(range);
    annalex::bench::resetPeak();
    const std::size_t before = annalex::bench::bytesInUse();
    harness->pressOk();
    return annalex::bench::peakBytesInUse() - before;
}

void generateThroughOk(benchmark::State& state, const Range& range) {
    std::size_t members = 0;
    std::size_t values = 0;
    std::size_t peakBytes = 0;
    double bytesPerMember = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto harness = readyToGenerate(range);
        annalex::bench::resetPeak();
        const std::size_t before = annalex::bench::bytesInUse();
        state.ResumeTiming();

        harness->pressOk();

        state.PauseTiming();
        if (harness->results.size() != 1 || !harness->results.front() ||
            !harness->reporter.reports().empty()) {
            state.SkipWithError("generation reported a failure");
            break;
        }
        peakBytes = annalex::bench::peakBytesInUse() - before;
        members = harness->hierarchy()->memberCount();
        values = attributeValues(*harness->hierarchy());
        bytesPerMember = static_cast<double>(peakBytes) / static_cast<double>(members);
        harness.reset();
        state.ResumeTiming();
    }
    state.counters["members"] = static_cast<double>(members);
    state.counters["bytes_per_member"] = bytesPerMember;
    if (!range.fillAttributes) {
        state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * members));
        return;
    }
    Range plain = range;
    plain.fillAttributes = false;
    const std::size_t plainPeakBytes = peakBytesOf(plain);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values));
    state.counters["values"] = static_cast<double>(values);
    state.counters["bytes_per_value"] =
        (static_cast<double>(peakBytes) - static_cast<double>(plainPeakBytes)) /
        static_cast<double>(values);
}

// (a) a century with every level
void BM_Century_AllLevels(benchmark::State& state) {
    generateThroughOk(state, {"1950", "2049", 31});
}
// (b) nine thousand years with every level
void BM_Millennia_AllLevels(benchmark::State& state) {
    generateThroughOk(state, {"1000", "9999", 31});
}
// (a) and (b) with every attribute filled: items per second are attribute values.
void BM_Century_AllLevels_Filled(benchmark::State& state) {
    generateThroughOk(state, {"1950", "2049", 31, nullptr, true});
}
void BM_Millennia_AllLevels_Filled(benchmark::State& state) {
    generateThroughOk(state, {"1000", "9999", 31, nullptr, true});
}
// (c) a century with Year, Month and Day
void BM_Century_YearMonthDay(benchmark::State& state) {
    generateThroughOk(state, {"1950", "2049", 1 | 4 | 16});
}

// The week-based calendars against Gregorian, for the same levels and years: iso with Year,
// Week and Day, retail and periods13 with every level (against (a)).
void BM_Century_YearWeekDay(benchmark::State& state) {
    generateThroughOk(state, {"1950", "2049", 1 | 8 | 16});
}
void BM_Century_YearWeekDay_Iso(benchmark::State& state) {
    generateThroughOk(state, {"1950", "2049", 1 | 8 | 16, "iso"});
}
void BM_Century_AllLevels_Retail(benchmark::State& state) {
    generateThroughOk(state, {"1950", "2049", 31, "retail"});
}
void BM_Century_AllLevels_Periods13(benchmark::State& state) {
    generateThroughOk(state, {"1950", "2049", 31, "periods13"});
}

// Days named by their weekday and month below each year, in English and in German (names from
// the CLDR): the names are looked up in the same tables in any language.
void BM_Century_YearDay(benchmark::State& state) {
    generateThroughOk(state, {"1950", "2049", 1 | 16});
}
void BM_Century_YearDay_German(benchmark::State& state) {
    generateThroughOk(state, {"1950", "2049", 1 | 16, nullptr, false, "de"});
}

// Loads a store of 1000 to 9999 with Year, Month and Day (3.4 M members), as the command line
// and the desktop host do before they generate into an existing store.
void BM_LoadMillenniaYearMonthDay(benchmark::State& state) {
    namespace fs = std::filesystem;
    std::string folder = (fs::temp_directory_path() / "generation_bench.XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const fs::path file = fs::path(folder) / "calendar.db";
    std::size_t members = 0;
    {
        ControlHarness harness;
        harness.typeStart("01", "01", "1000");
        harness.typeEnd("31", "12", "9999");
        harness.tick(1 | 4 | 16);
        harness.pressOk();
        members = harness.hierarchy()->memberCount();
        annalex::cube::CubeStore::open(file).save(*harness.cube);
    }
    const auto store = annalex::cube::CubeStore::open(file);
    for (auto _ : state) {
        auto loaded = store.load();
        benchmark::DoNotOptimize(loaded.get());
        state.PauseTiming();  // freeing the cube is not part of loading it
        loaded.reset();
        state.ResumeTiming();
    }
    fs::remove_all(folder);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * members));
    state.counters["members"] = static_cast<double>(members);
}

BENCHMARK(BM_Century_AllLevels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Millennia_AllLevels)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Century_AllLevels_Filled)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Millennia_AllLevels_Filled)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_Century_YearMonthDay)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_YearWeekDay)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_YearWeekDay_Iso)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_AllLevels_Retail)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_AllLevels_Periods13)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_YearDay)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_YearDay_German)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadMillenniaYearMonthDay)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
