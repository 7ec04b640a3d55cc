// Recorded time accuracy: 140 key and button changes injected by another client at known
// intervals (40 to 300 ms) while the X11 backend records at 10 ms; the Waits between the recorded
// changes are compared with the intervals between the server's own timestamps of those changes.
#include "RawInputListener.h"
#include "recorder/VirtualKeys.h"
#include "recorder/clsRecorder.h"
#include "recorder/x11/X11Backend.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

int main() {
    std::string why;
    auto backend = tvk::createX11Backend({}, &why);
    Display* injector = XOpenDisplay(nullptr);
    tvk::bench::RawInputListener listener;
    if (!backend || !injector || !listener.ok()) {
        std::fprintf(stderr, "bench_recorder_intervals: no X display (%s)\n", why.c_str());
        return 1;
    }

    constexpr int kChanges = 140;
    const unsigned keyA = XKeysymToKeycode(injector, XK_a);
    auto recorder = std::make_shared<tvk::clsRecorder>(backend);
    auto list = std::make_shared<tvk::clsEvents>();
    recorder->Events = list;
    std::atomic<bool> done{false};
    std::thread inject([&] {
        std::mt19937 random(4242);
        std::uniform_int_distribution<int> pause(40, 300);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        for (int i = 0; i < kChanges; ++i) {
            // Key A down, up, left button down, up, and again.
            const bool press = i % 2 == 0;
            if ((i / 2) % 2 == 0) {
                XTestFakeKeyEvent(injector, keyA, press, CurrentTime);
            } else {
                XTestFakeButtonEvent(injector, 1, press, CurrentTime);
            }
            XSync(injector, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        done = true;
    });
    backend->setYield([&] {
        if (done) recorder->StopProcess();
    });
    recorder->InitiateRecording(10);
    inject.join();

    // Moments of the recorded changes: the sum of the Waits before each.
    std::vector<int64_t> recorded;
    int64_t clock = 0;
    for (int32_t i = 0; i < list->EventCount; ++i) {
        const int32_t type = list->EventType(i);
        if (type == tvk::Wait) clock += list->EventData(i);
        const int32_t code = list->EventData(i);
        if ((type == tvk::KeyBoard && code == 'A') || (type == tvk::MouseClick && code == tvk::vk::LButton))
            recorded.push_back(clock);
    }
    const std::vector<uint32_t> server = listener.takeServerTimes();
    if (recorded.size() != kChanges || server.size() != kChanges) {
        std::fprintf(stderr, "bench_recorder_intervals: %zu changes recorded, %zu seen by the server, %d injected\n",
                     recorded.size(), server.size(), kChanges);
        return 1;
    }
    std::vector<double> errors;
    for (size_t i = 1; i < recorded.size(); ++i) {
        const auto serverInterval = static_cast<int32_t>(server[i] - server[i - 1]);
        errors.push_back(std::abs(static_cast<double>(recorded[i] - recorded[i - 1] - serverInterval)));
    }
    std::sort(errors.begin(), errors.end());
    const auto percentile = [&](double p) {
        return errors[std::min(errors.size() - 1, static_cast<size_t>(std::ceil(p * errors.size())) - 1)];
    };
    std::printf("record_interval_error_median_ms: %.1f ms\n", percentile(0.5));
    std::printf("record_interval_error_p99_ms: %.1f ms\n", percentile(0.99));
    XCloseDisplay(injector);
    return 0;
}
