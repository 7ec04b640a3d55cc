// Event store figures, each a ratio of two costs measured side by side in this run:
//   add_cost_1m_vs_10k  amortised AddEvent cost per event filling a list to 1,000,000 events, divided by
//                       the same cost filling it to 10,000 (1.0 means constant cost per event)
//   save_vs_cp          SaveFile of 1,000,000 events divided by `cp` of the same file
//   load_vs_cp          LoadFile of that file divided by `cp` of the same file
#include "events/clsEvents.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

using namespace tvk;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double secondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The fastest of several runs: the least disturbed by other work on the machine.
double bestOf(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, secondsOf(work));
    return best;
}

double perEventFillCost(int events, int runs) {
    return bestOf(runs,
                  [events] {
                      int32_t tick = 0;
                      clsEvents list([&tick] { return tick++; });
                      for (int i = 0; i < events; ++i)
                          list.AddEvent(i & 3, (i & 1) != 0, i, -i, i);
                      if (list.EventCount != events) std::abort();
                  }) /
           events;
}

void copyWithCp(const std::string& from, const std::string& to) {
    const std::string command = "cp '" + from + "' '" + to + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "bench_events: cp failed\n");
        std::exit(1);
    }
}

} // namespace

int main() {
    const double small = perEventFillCost(10'000, 200);
    const double large = perEventFillCost(1'000'000, 5);
    std::printf("add_cost_1m_vs_10k: %.2f x\n", large / small);

    std::string pattern = (fs::temp_directory_path() / "tvk-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path dir = pattern;
    const std::string saved = (dir / "saved.tvk").string();
    const std::string copied = (dir / "copied.tvk").string();

    clsEvents list;
    for (int i = 0; i < 1'000'000; ++i)
        list.AddEvent(i & 3, (i & 1) != 0, i, -i, i);
    list.ElementProcessor = "Function ElementInvoked(Index)\r\n  ElementInvoked = True\r\nEnd Function";

    const int runs = 7;
    const double save = bestOf(runs, [&] { list.SaveFile(saved); });
    const double cpTime = bestOf(runs, [&] { copyWithCp(saved, copied); });
    clsEvents loaded;
    const double load = bestOf(runs, [&] { loaded.LoadFile(saved); });
    if (loaded.EventCount != list.EventCount || loaded.slots() != list.slots()) {
        std::fprintf(stderr, "bench_events: the loaded list differs from the saved one\n");
        return 1;
    }
    std::printf("save_vs_cp: %.2f x\n", save / cpTime);
    std::printf("load_vs_cp: %.2f x\n", load / cpTime);

    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
