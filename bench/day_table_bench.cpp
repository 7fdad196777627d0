// Writes the day table of the largest calendar, 1000 to 9999 with every level and every
// attribute filled (3.3 M rows), as the command line's --output-format days does, and
// measures rows per second. The calendar is generated once, outside the timing; the table
// goes to a stream that only counts its bytes.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <streambuf>

#include "calendar/day_table.hpp"
#include "support/page_doubles.hpp"

namespace {

using annalex::testing::ControlHarness;

// Counts what is written, and its lines when asked, and keeps nothing.
class CountingBuffer : public std::streambuf {
  public:
    explicit CountingBuffer(bool countLines) : countLines_(countLines) {}
    std::size_t bytes = 0;
    std::size_t lines = 0;

  protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        bytes += static_cast<std::size_t>(count);
        if (countLines_) {
            lines += static_cast<std::size_t>(std::count(text, text + count, '\n'));
        }
        return count;
    }
    int_type overflow(int_type c) override {
        ++bytes;
        return traits_type::not_eof(c);
    }

  private:
    bool countLines_;
};

const ControlHarness& millennia() {
    static const std::unique_ptr<ControlHarness> harness = [] {
        auto made = std::make_unique<ControlHarness>();
        made->typeStart("01", "01", "1000");
        made->typeEnd("31", "12", "9999");
        made->tick(31);
        made->ctrl.setFillAttributes(true);
        made->ctrl.setRecordDates(true);
        made->pressOk();
        return made;
    }();
    return *harness;
}

void writeMillennia(benchmark::State& state, annalex::cube::TableFormat format) {
    const ControlHarness& harness = millennia();
    if (harness.results.size() != 1 || !harness.results.front()) {
        state.SkipWithError("the calendar was not generated");
        return;
    }
    annalex::calendar::DayTableOptions options;
    options.attributes = true;
    // The rows, counted once outside the timing: the CSV table's lines but its header.
    CountingBuffer lines(true);
    std::ostream lineCount(&lines);
    options.format = annalex::cube::TableFormat::Csv;
    annalex::calendar::writeDayTable(*harness.hierarchy(), harness.ctrl.state(), options,
                                     lineCount);
    const double rows = static_cast<double>(lines.lines - 1);

    options.format = format;
    CountingBuffer counted(false);
    std::ostream out(&counted);
    for (auto _ : state) {
        annalex::calendar::writeDayTable(*harness.hierarchy(), harness.ctrl.state(), options, out);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * rows));
    state.counters["rows"] = rows;
    state.counters["bytes_per_row"] =
        static_cast<double>(counted.bytes) / (rows * static_cast<double>(state.iterations()));
}

void BM_DayTableMillenniaCsv(benchmark::State& state) {
    writeMillennia(state, annalex::cube::TableFormat::Csv);
}
void BM_DayTableMillenniaPostgres(benchmark::State& state) {
    writeMillennia(state, annalex::cube::TableFormat::PostgresSql);
}

BENCHMARK(BM_DayTableMillenniaCsv)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(3);
BENCHMARK(BM_DayTableMillenniaPostgres)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
