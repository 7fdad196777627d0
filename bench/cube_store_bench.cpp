// Saves a cube of about a million members (1000 top members with two attribute values each,
// 1000 children under each) into a fresh store file, replaces the content of an existing
// store with it, and loads it back; items_per_second counts members. BM_LoadStructureCheck
// measures the structure check that a load and a save run first.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "cube/cube_store.hpp"
#include "cube/sqlite_handle.hpp"
#include "memory_meter.hpp"

namespace {

using namespace annalex::cube;
namespace fs = std::filesystem;

constexpr int kTopMembers = 1000;
constexpr int kChildrenPerTop = 1000;
constexpr std::size_t kMembers = kTopMembers + kTopMembers * kChildrenPerTop;

const MemoryCube& bigCube() {
    static const MemoryCube cube = [] {
        MemoryCube built;
        auto dimension = built.ensureDimension("Time");
        ObjectFactory& objects = dimension->objects();
        auto hierarchy = objects.newHierarchy();
        hierarchy->putName("Period");
        dimension->addHierarchy(hierarchy);
        auto top = objects.newLevel();
        top->putName("Year");
        for (const char* key : {"Start", "Days"}) {
            auto definition = objects.newAttributeDef();
            definition->putName(key);
            definition->putCaption(key);
            top->addAttributeDef(definition);
        }
        hierarchy->addLevel(top);
        auto bottom = objects.newLevel();
        bottom->putName("Day");
        hierarchy->addLevel(bottom);
        for (int t = 0; t < kTopMembers; ++t) {
            auto parent = objects.newMember();
            parent->putName("Y" + std::to_string(t));
            parent->putOrder(t);
            top->addRootMember(parent);
            parent->setAttribute("Start", "01/01/" + std::to_string(1000 + t));
            parent->setAttribute("Days", "365");
            for (int c = 0; c < kChildrenPerTop; ++c) {
                auto child = objects.newMember();
                child->putName("d" + std::to_string(c) + "_" + std::to_string(t));
                child->putOrder(c);
                child->putParent(parent);
            }
        }
        return built;
    }();
    return cube;
}

// A scratch folder under the system's temporary folder, removed at exit.
class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern = (fs::temp_directory_path() / "cube_store_bench.XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchDir() { fs::remove_all(path_); }
    fs::path file(const std::string& name) const { return path_ / name; }

  private:
    fs::path path_;
};

void BM_SaveIntoFreshFile(benchmark::State& state) {
    const MemoryCube& cube = bigCube();
    ScratchDir dir;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path file = dir.file("fresh" + std::to_string(round++) + ".db");
        state.ResumeTiming();
        CubeStore::open(file).save(cube);
        state.PauseTiming();
        state.counters["file_MiB"] = static_cast<double>(fs::file_size(file)) / (1 << 20);
        fs::remove(file);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kMembers));
}
BENCHMARK(BM_SaveIntoFreshFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_SaveReplacingContent(benchmark::State& state) {
    const MemoryCube& cube = bigCube();
    ScratchDir dir;
    CubeStore store = CubeStore::open(dir.file("replace.db"));
    store.save(cube);
    for (auto _ : state) {
        store.save(cube);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kMembers));
}
BENCHMARK(BM_SaveReplacingContent)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_Load(benchmark::State& state) {
    ScratchDir dir;
    const CubeStore store = [&] {
        CubeStore opened = CubeStore::open(dir.file("load.db"));
        opened.save(bigCube());
        return opened;
    }();
    double peakBytes = 0;
    for (auto _ : state) {
        annalex::bench::resetPeak();
        const std::size_t before = annalex::bench::bytesInUse();
        auto loaded = store.load();
        benchmark::DoNotOptimize(loaded.get());
        peakBytes = static_cast<double>(annalex::bench::peakBytesInUse() - before);
        state.PauseTiming();  // freeing the cube is not part of loading it
        loaded.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kMembers));
    state.counters["peak_bytes_per_member"] = peakBytes / kMembers;
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The part of a load (and of a save into an existing store) spent checking the file's
// structure before anything is read or written: compare with BM_Load.
void BM_LoadStructureCheck(benchmark::State& state) {
    ScratchDir dir;
    CubeStore::open(dir.file("check.db")).save(bigCube());
    sqlite::Connection db(dir.file("check.db").string(), sqlite::Connection::Mode::ReadOnly);
    for (auto _ : state) {
        auto check = db.prepare("PRAGMA quick_check(1)");
        check.step();
        benchmark::DoNotOptimize(check.text(0).data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kMembers));
}
BENCHMARK(BM_LoadStructureCheck)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
