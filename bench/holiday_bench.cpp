// The cost of holidays in a generation: a century (1950-2049) of the retail calendar with every
// level and every attribute filled, without holidays and with each built-in set. Holidays
// should cost at most a fifth more than the same generation without them.
//
// And the rules alone at their cap: 10,000 rules that move weekend days to the next or previous
// working day, crowding each other, evaluated for every year from 1900 to 2100. Resolving them
// is linear in rules and days: target well under a second for the two centuries.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "calendar/holidays/holiday_dates.hpp"
#include "calendar/holidays/rule_parser.hpp"
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

// 10,000 rules, about 27 on each day of the year, half moving forward and half back.
annalex::calendar::holidays::RuleSet crowdedRules() {
    std::string text;
    for (int i = 0; i < 10000; ++i) {
        char day[8];
        std::snprintf(day, sizeof day, "%02d-%02d", i % 12 + 1, i / 12 % 28 + 1);
        text += std::string(day) + " sat,sun->" + (i % 2 == 0 ? "next" : "previous") +
                " working day = H" + std::to_string(i) + "\n";
    }
    return annalex::calendar::holidays::parseRules({"crowded", text}, {});
}

void BM_CrowdedObservances_1900to2100(benchmark::State& state) {
    const auto rules = crowdedRules();
    std::size_t holidays = 0;
    for (auto _ : state) {
        holidays = 0;
        for (int year = 1900; year <= 2100; ++year) {
            holidays += annalex::calendar::holidays::holidaysIn(rules, year).size();
        }
        benchmark::DoNotOptimize(holidays);
    }
    state.counters["holidays"] = static_cast<double>(holidays);
}

BENCHMARK(BM_Century_NotFilled)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_Filled_NoHolidays)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_Filled_Holidays_us)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_Filled_Holidays_gb_eng)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Century_Filled_Holidays_de)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CrowdedObservances_1900to2100)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
