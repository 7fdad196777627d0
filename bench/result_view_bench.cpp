// The result view over the largest calendar the page makes (1000 to 9999, every level, 3.9 M
// members): showing it, opening the tree down to the last day by search, and the memory the
// view adds to the generated dimension. Runs on Qt's offscreen platform.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeView>
#include <memory>

#include "memory_meter.hpp"
#include "support/page_doubles.hpp"
#include "ui/dimension_model.hpp"
#include "ui/result_view.hpp"

namespace {

using annalex::testing::ControlHarness;

const ControlHarness& largestCalendar() {
    static const auto harness = [] {
        auto made = std::make_unique<ControlHarness>();
        made->typeStart("01", "01", "1000");
        made->typeEnd("31", "12", "9999");
        made->tick(31);
        made->pressOk();
        return made;
    }();
    return *harness;
}

// From handing the dimension to a new view to its first paint.
void showLargest(benchmark::State& state) {
    const ControlHarness& calendar = largestCalendar();
    double bytes = 0;
    std::size_t listed = 0;
    for (auto _ : state) {
        annalex::bench::resetPeak();
        const std::size_t before = annalex::bench::bytesInUse();
        auto view = std::make_unique<annalex::ui::ResultView>();
        view->resize(1000, 650);
        view->showDimension(calendar.dimension);
        view->show();
        QApplication::processEvents();
        state.PauseTiming();
        bytes = static_cast<double>(annalex::bench::peakBytesInUse() - before);
        listed = view->model().listedMemberRows();
        view.reset();
        state.ResumeTiming();
    }
    state.counters["members"] = static_cast<double>(calendar.hierarchy()->memberCount());
    state.counters["listed_rows"] = static_cast<double>(listed);
    state.counters["peak_bytes"] = bytes;
}

// A search for the last day placed: every name is read once, and the tree opens to it.
void findLastDay(benchmark::State& state) {
    const ControlHarness& calendar = largestCalendar();
    const auto& hierarchy = *calendar.hierarchy();
    const QString last = QString::fromStdString(std::string(
        hierarchy.member(static_cast<std::uint32_t>(hierarchy.memberCount() - 1)).name()));
    annalex::ui::ResultView view;
    view.resize(1000, 650);
    view.showDimension(calendar.dimension);
    view.show();
    QApplication::processEvents();
    for (auto _ : state) {
        view.tree().setCurrentIndex({});
        if (!view.findMember(last)) {
            state.SkipWithError("the last day was not found");
            break;
        }
        QApplication::processEvents();
    }
    state.counters["listed_rows"] = static_cast<double>(view.model().listedMemberRows());
}

BENCHMARK(showLargest)->Unit(benchmark::kMillisecond);
BENCHMARK(findLastDay)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
