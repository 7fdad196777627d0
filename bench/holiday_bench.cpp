// The cost of holidays in a generation: a century (1950-2049) of the retail calendar with every
// level and every attribute filled, without holidays and with each built-in set. Holidays
// should cost at most a fifth more than the same generation without them.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "support/page_doubles.hpp"

namespace {

using annalex::testing::ControlHarness;

void generateFilled(benchmark::State& state, const std::string& holidays, bool fill = true) {
    std::size_t members = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto harness = std::make_unique<ControlHarness>();
        harness->typeStart("01", "01", "1950");
        harness->typeEnd("31", "12", "2049");
        harness->tick(31);
        harness->ctrl.chooseCalendar("retail");
        harness->ctrl.setFillAttributes(fill);
        // Reading the rules is part of the cost: a generation starts from the set's name.
        state.ResumeTiming();

        if (!harness->ctrl.setHolidays(holidays).empty()) {
            state.SkipWithError("the holiday set did not load");
            break;
        }
        harness->pressOk();

        state.PauseTiming();
        if (harness->results.size() != 1 || !harness->results.front()) {
            state.SkipWithError("generation reported a failure");
            break;
        }
        members = harness->hierarchy()->memberCount();
        harness.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * members));
    state.counters["members"] = static_cast<double>(members);
}

// For scale: the same generation with no attribute filled.
void BM_Century_NotFilled(benchmark::State& state) {
    generateFilled(state, "", false);
}
void BM_Century_Filled_NoHolidays(benchmark::State& state) {
    generateFilled(state, "");
}
void BM_Century_Filled_Holidays_us(benchmark::State& state) {
    generateFilled(state, "us");
}
void BM_Century_Filled_Holidays_gb_eng(benchmark::State& state) {
    generateFilled(state, "gb-eng");
}
void BM_Century_Filled_Holidays_de(benchmark::State& state) {
    generateFilled(state, "de");
}

BENCHMARK(BM_Century_NotFilled)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_Filled_NoHolidays)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_Filled_Holidays_us)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_Filled_Holidays_gb_eng)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_Filled_Holidays_de)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
