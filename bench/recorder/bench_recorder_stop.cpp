// Staying in control of a replay, on the real clock through the X11 backend:
//   stop_latency_ms          the time from a stop request (a Cancel arriving from outside, or the
//                            user's press of the panic key by another X client) to the end of
//                            injection: the worst over lists that once froze the program of the
//                            median of seven trials each (one trial measures the machine's load)
//   idle_replay_cpu_percent  CPU share of an endless replay of an empty range
#include "recorder/VirtualKeys.h"
#include "recorder/clsRecorder.h"
#include "recorder/x11/X11Backend.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Scenario {
    const char* name;
    std::function<void(tvk::clsEvents&)> fill;
    bool cancelWaits;
};

} // namespace

int main() {
    std::string why;
    auto backend = tvk::createX11Backend({}, &why);
    Display* injector = XOpenDisplay(nullptr);
    if (!backend || !injector) {
        std::fprintf(stderr, "bench_recorder_stop: no X display (%s)\n", why.c_str());
        return 1;
    }
    const KeyCode escape = XKeysymToKeycode(injector, XK_Escape);
    const std::vector<Scenario> scenarios{
        {"no waits",
         [](tvk::clsEvents& l) {
             for (int i = 0; i < 400; ++i)
                 l.AddEvent(tvk::KeyBoard, i % 2 == 0, 0, 0, tvk::vk::LShift);
         },
         false},
        {"waits of 9 ms",
         [](tvk::clsEvents& l) {
             for (int i = 0; i < 100; ++i) {
                 l.AddEvent(tvk::KeyBoard, i % 2 == 0, 0, 0, tvk::vk::LShift);
                 l.AddEvent(tvk::Wait, false, 0, 0, 9);
             }
         },
         false},
        {"a filter cancelling every wait",
         [](tvk::clsEvents& l) {
             for (int i = 0; i < 100; ++i) {
                 l.AddEvent(tvk::Wait, false, 0, 0, 1000);
                 l.AddEvent(tvk::KeyBoard, i % 2 == 0, 0, 0, tvk::vk::LShift);
             }
         },
         true},
        {"an empty endless range", [](tvk::clsEvents&) {}, false},
    };

    double worstMs = 0;
    for (const auto& scenario : scenarios) {
        for (bool panicKey : {false, true}) {
            std::vector<double> trials;
            for (int trial = 0; trial < 7; ++trial) {
                auto list = std::make_shared<tvk::clsEvents>();
                scenario.fill(*list);
                auto recorder = std::make_shared<tvk::clsRecorder>(backend);
                recorder->Events = list;
                recorder->setStopKey(tvk::vk::Escape);
                auto veto = recorder->ExecutingEvent.connect([&](int32_t i, bool& cancel) {
                    if (scenario.cancelWaits && list->EventType(i) == tvk::Wait) cancel = true;
                });
                // The request comes from outside the replay loop, at a moment of its own.
                std::atomic<int64_t> requestedAt{0};
                backend->setYield([&] {
                    if (!panicKey && requestedAt.load() != 0) recorder->StopProcess();
                });
                std::thread requester([&] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(150 + 37 * trial));
                    requestedAt = Clock::now().time_since_epoch().count();
                    if (panicKey) {
                        XTestFakeKeyEvent(injector, escape, True, CurrentTime);
                        XTestFakeKeyEvent(injector, escape, False, CurrentTime);
                        XFlush(injector);
                    }
                });
                recorder->watchStopKey(true);
                bool stopped = false;
                const auto deadline = Clock::now() + 5s;
                while (!stopped && Clock::now() < deadline) {
                    recorder->ReplayEvents(0, -1);
                    stopped = recorder->stoppedByUser() || (!panicKey && requestedAt.load() != 0);
                }
                const auto end = Clock::now().time_since_epoch().count();
                requester.join();
                recorder->releaseHeldInput();
                backend->setYield(nullptr);
                const double ms = double(end - requestedAt.load()) / 1e6;
                if (!stopped) std::fprintf(stderr, "%s: never stopped\n", scenario.name);
                trials.push_back(stopped ? ms : 5000.0);
            }
            std::sort(trials.begin(), trials.end());
            const double median = trials[trials.size() / 2];
            std::fprintf(stderr, "stop latency, %s, %s: median %.1f ms, worst %.1f ms\n", scenario.name,
                         panicKey ? "panic key" : "cancel", median, trials.back());
            worstMs = std::max(worstMs, median);
        }
    }
    std::printf("stop_latency_ms: %.1f ms\n", worstMs);

    // An endless replay of an empty range, for three seconds.
    auto recorder = std::make_shared<tvk::clsRecorder>(backend);
    recorder->Events = std::make_shared<tvk::clsEvents>();
    const auto wallStart = Clock::now();
    const double cpuStart = cpuSeconds();
    while (Clock::now() - wallStart < 3s)
        recorder->ReplayEvents(0, -1);
    const double wall = std::chrono::duration<double>(Clock::now() - wallStart).count();
    std::printf("idle_replay_cpu_percent: %.2f %%\n", (cpuSeconds() - cpuStart) / wall * 100.0);
    XCloseDisplay(injector);
    return 0;
}
