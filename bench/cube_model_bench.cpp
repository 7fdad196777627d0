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

constexpr int kChildrenPerParent = 1000;

// Runs state.range(0) top members with kChildrenPerParent children each through place(objects,
// top, bottom, parent number), which places one top member and its children and returns how
// many members it placed; reports members per second and peak bytes per member.
template <typename Place>
void placeMembers(benchmark::State& state, Place place) {
    const auto parents = static_cast<int>(state.range(0));
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
            for (int p = 0; p < parents; ++p) {
                members += place(dimension.objects(), *top, *bottom, p);
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

// Places a child named name under parent; a third of the children are renamed once after.
void placeChild(ObjectFactory& objects, const MemberRef& parent, const std::string& name, int c) {
    auto child = objects.newMember();
    child->putName(name);
    child->putOrder(c);
    child->putParent(parent);
    if (c % 3 == 0) {
        child->putName(name + "x");
    }
}

void BM_PlaceAndLookUpMembers(benchmark::State& state) {
    std::string name;
    placeMembers(state, [&](ObjectFactory& objects, Level& top, Level& bottom, int p) {
        auto parent = objects.newMember();
        parent->putName("P" + std::to_string(p));
        parent->putOrder(p);
        top.addRootMember(parent);
        for (int c = 0; c < kChildrenPerParent; ++c) {
            name = "c" + std::to_string(c) + "_" + std::to_string(p);  // <= 15 chars
            benchmark::DoNotOptimize(bottom.findMembers(name).Count());
            placeChild(objects, parent, name, c);
        }
        return std::size_t{1} + kChildrenPerParent;
    });
}
BENCHMARK(BM_PlaceAndLookUpMembers)
    ->Arg(3000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

void BM_PlaceLikeTheCalendar(benchmark::State& state) {
    std::string number;
    placeMembers(state, [&](ObjectFactory& objects, Level& top, Level& bottom, int p) {
        const std::string parentName = "P" + std::to_string(p);
        benchmark::DoNotOptimize(top.findMembers(parentName).Count());
        auto parent = objects.newMember();
        parent->putName(parentName);
        parent->putOrder(p);
        top.addRootMember(parent);
        for (int c = 0; c < kChildrenPerParent; ++c) {
            number = std::to_string(c % 31 + 1);
            benchmark::DoNotOptimize(bottom.findMembers(number).Count());
            placeChild(objects, parent, parentName + "_" + std::to_string(c), c);  // <= 15 chars
        }
        return std::size_t{1} + kChildrenPerParent;
    });
}
BENCHMARK(BM_PlaceLikeTheCalendar)
    ->Arg(3000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
