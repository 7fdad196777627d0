// The settings store at scale: listing the values of a key written one value at a time,
// listing the subkeys of a key with many subkeys, and reading one value from a key with many
// values. Each must grow in proportion to the number of entries (items_per_second counts
// entries), not with its square. "Cold" runs see a hive file replaced since the last call, so
// they include reading and parsing it; the others find it unchanged.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "settings/registry.hpp"

namespace {

namespace fs = std::filesystem;
using namespace annalex::settings;

class SettingsDir {
  public:
    SettingsDir() {
        std::string pattern = (fs::temp_directory_path() / "settings_bench.XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
            ::setenv("ANNALEX_SETTINGS_DIR", path_.c_str(), 1);
        }
    }
    ~SettingsDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    fs::path hive() const { return path_ / "HKEY_CURRENT_USER.hive"; }
    // Gives the hive file a new identity with the same content, as a write by another program
    // would.
    void replaceHive() const {
        const fs::path copy = path_ / "copy";
        fs::copy_file(hive(), copy, fs::copy_options::overwrite_existing);
        fs::rename(copy, hive());
    }

  private:
    fs::path path_;
};

// A hive whose key "Big" holds `values` values and `subkeys` subkeys, written as text at once.
void writeHive(const SettingsDir& dir, int values, int subkeys) {
    std::ofstream out(dir.hive(), std::ios::binary);
    out << "annalex-settings-hive 1\n[Big]\n";
    for (int i = 0; i < values; ++i) {
        out << "\"value " << i << "\"=\"text of value " << i << "\"\n";
    }
    for (int i = 0; i < subkeys; ++i) {
        out << "[Big\\subkey " << i << "]\n";
    }
}

void BM_ListValuesWrittenOneByOne(benchmark::State& state) {
    SettingsDir dir;
    const auto count = static_cast<int>(state.range(0));
    for (int i = 0; i < count; ++i) {
        fWriteValue("HKCU", "Written", "value " + std::to_string(i), "D", i);
    }
    for (auto _ : state) {
        state.PauseTiming();
        dir.replaceHive();
        state.ResumeTiming();
        std::string list;
        fEnumValue("HKCU", "Written", list);
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ListValuesWrittenOneByOne)->Arg(250)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ListSubkeysCold(benchmark::State& state) {
    SettingsDir dir;
    const auto count = static_cast<int>(state.range(0));
    writeHive(dir, 0, count);
    for (auto _ : state) {
        state.PauseTiming();
        dir.replaceHive();
        state.ResumeTiming();
        std::string list;
        fEnumKey("HKCU", "Big", list);
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ListSubkeysCold)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_ReadFromKeyWithManyValues(benchmark::State& state) {
    SettingsDir dir;
    const auto count = static_cast<int>(state.range(0));
    const bool cold = state.range(1) != 0;
    writeHive(dir, count, 0);
    const std::string last = "value " + std::to_string(count - 1);
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            dir.replaceHive();
            state.ResumeTiming();
        }
        SettingValue value;
        fReadValue("HKCU", "Big", last, "S", std::string(), value);
        benchmark::DoNotOptimize(&value);
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ReadFromKeyWithManyValues)
    ->Args({10000, 1})
    ->Args({40000, 1})
    ->Args({40000, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
