// Creates, names, places and looks up members in the in-memory cube model.
//
// BM_PlaceAndLookUpMembers looks up every name just before it is placed, so every name is
// indexed. BM_PlaceLikeTheCalendar asks what the calendar builders ask: each top member's
// name before it is placed, and for each child its number within the parent (a handful of
// names asked again and again) before it is placed under a longer name, which for a third of
// the children is changed once after placing (a suffix added).

#include <benchmark/benchmark.h>

#include <string>

#include "cube/memory_model.hpp"
#include "memory_meter.hpp"

namespace {

using namespace annalex::cube;

void BM_PlaceAndLookUpMembers(benchmark::State& state) {
    const auto parents = static_cast<int>(state.range(0));
    const int childrenPerParent = 1000;
    std::size_t members = 0;
    double bytesPerMember = 0;
    for (auto _ : state) {
        annalex::bench::resetPeak();
        const std::size_t before = annalex::bench::bytesInUse();
        {
            MemoryDimension dimension("Time");
            auto hierarchy = dimension.objects().newHierarchy();
            dimension.addHierarchy(hierarchy);
            auto top = dimension.objects().newLevel();
            top->putName("Top");
            hierarchy->addLevel(top);
            auto bottom = dimension.objects().newLevel();
            bottom->putName("Bottom");
            hierarchy->addLevel(bottom);
            members = 0;
            std::string name;
            for (int p = 0; p < parents; ++p) {
                auto parent = dimension.objects().newMember();
                parent->putName("P" + std::to_string(p));
                parent->putOrder(p);
                top->addRootMember(parent);
                ++members;
                for (int c = 0; c < childrenPerParent; ++c) {
                    name = "c" + std::to_string(c) + "_" + std::to_string(p);  // <= 15 chars
                    benchmark::DoNotOptimize(bottom->findMembers(name).Count());
                    auto child = dimension.objects().newMember();
                    child->putName(name);
                    child->putOrder(c);
                    child->putParent(parent);
                    if (c % 3 == 0) {
                        child->putName(name + "x");
                    }
                    ++members;
                }
            }
            benchmark::DoNotOptimize(bottom->findMembers("c1_1").Count());
            bytesPerMember =
                static_cast<double>(annalex::bench::peakBytesInUse() - before) / members;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * members));
    state.counters["members"] = static_cast<double>(members);
    state.counters["bytes_per_member"] = bytesPerMember;
}
BENCHMARK(BM_PlaceAndLookUpMembers)
    ->Arg(3000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

void BM_PlaceLikeTheCalendar(benchmark::State& state) {
    const auto parents = static_cast<int>(state.range(0));
    const int childrenPerParent = 1000;
    std::size_t members = 0;
    double bytesPerMember = 0;
    for (auto _ : state) {
        annalex::bench::resetPeak();
        const std::size_t before = annalex::bench::bytesInUse();
        {
            MemoryDimension dimension("Time");
            auto hierarchy = dimension.objects().newHierarchy();
            dimension.addHierarchy(hierarchy);
            auto top = dimension.objects().newLevel();
            top->putName("Top");
            hierarchy->addLevel(top);
            auto bottom = dimension.objects().newLevel();
            bottom->putName("Bottom");
            hierarchy->addLevel(bottom);
            members = 0;
            std::string name;
            std::string number;
            for (int p = 0; p < parents; ++p) {
                const std::string parentName = "P" + std::to_string(p);
                benchmark::DoNotOptimize(top->findMembers(parentName).Count());
                auto parent = dimension.objects().newMember();
                parent->putName(parentName);
                parent->putOrder(p);
                top->addRootMember(parent);
                ++members;
                for (int c = 0; c < childrenPerParent; ++c) {
                    number = std::to_string(c % 31 + 1);
                    benchmark::DoNotOptimize(bottom->findMembers(number).Count());
                    name = parentName + "_" + std::to_string(c);  // <= 15 chars
                    auto child = dimension.objects().newMember();
                    child->putName(name);
                    child->putOrder(c);
                    child->putParent(parent);
                    if (c % 3 == 0) {
                        child->putName(name + "x");
                    }
                    ++members;
                }
            }
            benchmark::DoNotOptimize(bottom->findMembers("P1_1").Count());
            bytesPerMember =
                static_cast<double>(annalex::bench::peakBytesInUse() - before) / members;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * members));
    state.counters["members"] = static_cast<double>(members);
    state.counters["bytes_per_member"] = bytesPerMember;
}
BENCHMARK(BM_PlaceLikeTheCalendar)
    ->Arg(3000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
